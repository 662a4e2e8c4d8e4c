#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdlib>

#include "ViewTestSupport.h"

using namespace viewtest;

namespace {

const char* const kEx03 = "DRG: 0513    Hypertension with complication     Primary Diagnose:  I10\tWeight: 0.8290";

// scripts/refdb on the server the environment names (scripts/refdb env).
bool RefDb(const QString& command)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    // The script's messages need no locale (the test's may not be installed).
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    script.setProcessEnvironment(env);
    script.start(QStringLiteral("bash"), {QStringLiteral(VESMAR_SOURCE_DIR "/scripts/refdb"), command});
    return script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}

} // namespace

// Stops the private server under a form that is connected to it, and
// starts it again. Registered to run alone.
class ViewServerStopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void serverStoppedBeforeProcess();

private:
    bool m_bStopped = false;
};

void ViewServerStopTest::initTestCase()
{
    QVERIFY2(std::getenv("VESMAR_REFDB_DIR"), "source the env file of scripts/refdb start");
}

void ViewServerStopTest::cleanupTestCase()
{
    // Whatever happened, the server is running again for the tests after us.
    if (m_bStopped)
        QVERIFY(RefDb(QStringLiteral("start")));
}

void ViewServerStopTest::serverStoppedBeforeProcess()
{
    CFormFixture f(CStringList{}, testdb::connectString("Vesmar"));
    {
        CDatabase db;
        QVERIFY(db.OpenEx(testdb::connectString("Vesmar"), CDatabase::openReadOnly));
        f.catalogue = LoadCatalogueOf(db);
    }
    f.NewCase();
    f.EnterCase({"1951-04-17", "2024-03-04", true, -1, "4", {"I10"}, {"I50.9"}});
    auto* button = Control<QPushButton>(&f.View(), "1010");
    button->click();
    QCOMPARE(f.ResultText(), QString::fromLatin1(kEx03));
    QVERIFY(f.sink.messages.empty());

    m_bStopped = true;
    QVERIFY(RefDb(QStringLiteral("stop")));
    button->click();
    QCOMPARE(f.sink.messages.size(), std::size_t(1));
    QCOMPARE(f.sink.messages[0].icon, MessageIcon::Stop);
    QVERIFY2(!f.sink.messages[0].text.empty(), "the driver's text is shown");
    qInfo("server stopped: %s", f.sink.messages[0].text.c_str());
    QCOMPARE(f.ResultText(), QString::fromLatin1(kEx03));
    QVERIFY(button->isEnabled());

    // The window goes on working while the server is away.
    f.NewCase();
    QCOMPARE(f.ResultText(), QString());
    f.EnterCase({"1951-04-17", "2024-03-04", true, -1, "4", {"I10"}, {"I50.9"}});
    QVERIFY(button->isEnabled());

    QVERIFY(RefDb(QStringLiteral("start")));
    m_bStopped = false;
    // The connection is not reopened by the program: a later run either
    // fails clearly again or gives the right report, never another one.
    f.View().findChild<QPlainTextEdit*>(QStringLiteral("1011"))->setPlainText(QStringLiteral("before"));
    button->click();
    if (f.sink.messages.size() == 2) {
        QCOMPARE(f.sink.messages[1].icon, MessageIcon::Stop);
        QVERIFY(!f.sink.messages[1].text.empty());
        qInfo("server back, same connection: %s", f.sink.messages[1].text.c_str());
        QCOMPARE(f.ResultText(), QStringLiteral("before"));
    } else {
        QCOMPARE(f.sink.messages.size(), std::size_t(1));
        QCOMPARE(f.ResultText(), QString::fromLatin1(kEx03));
    }
    QVERIFY(button->isEnabled());
}

QTEST_MAIN(ViewServerStopTest)
#include "ViewServerStopTest.moc"
