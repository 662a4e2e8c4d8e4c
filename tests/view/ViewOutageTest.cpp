#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "CDBException.h"
#include "OwnServer.h"
#include "StringTable.h"
#include "ViewTestSupport.h"

using namespace viewtest;

namespace {

const char* const kEx03 = "DRG: 0513    Hypertension with complication     Primary Diagnose:  I10\tWeight: 0.8290";

CaseInput Ex03()
{
    return {"1951-04-17", "2024-03-04", true, -1, "4", {"I10"}, {"I50.9"}};
}

// The form's commands end within this when the server stops answering.
constexpr qint64 kLimitMs = 30000;

} // namespace

// The form on a server of the test's own, which the test stops, starts and
// pauses (SIGSTOP: it keeps its connections and answers nothing): the
// command that meets the outage fails with the driver's text, the next one
// opens the connection again or tells why it cannot, and once the server is
// back Process works without a restart of the program.
class ViewOutageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void serverRestartedUnderTheForm();
    void serverPausedDuringProcess();
    void serverPausedWhenTheConnectionIsOpened();

private:
    void ProcessInto(const QString& before);
    QPushButton* Button() { return Control<QPushButton>(&m_f->View(), "1010"); }

    testdb::COwnServer m_server;
    CStringList m_catalogue;
    std::unique_ptr<CFormFixture> m_f;
};

void ViewOutageTest::initTestCase()
{
    try {
        m_server.start();
        CDatabase db;
        QVERIFY(db.OpenEx(m_server.connectString(), CDatabase::openReadOnly));
        m_catalogue = LoadCatalogueOf(db);
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
}

void ViewOutageTest::init()
{
    m_f = std::make_unique<CFormFixture>(m_catalogue, m_server.connectString());
    QVERIFY(m_f->db.IsOpen());
    m_f->EnterCase(Ex03());
}

void ViewOutageTest::cleanup()
{
    m_f.reset();
    // Whatever happened, the server runs again for the next test.
    if (m_server.isPaused())
        m_server.resume();
    m_server.start();
}

// Process with the result box holding before.
void ViewOutageTest::ProcessInto(const QString& before)
{
    Control<QPlainTextEdit>(&m_f->View(), "1011")->setPlainText(before);
    QTest::mouseClick(Button(), Qt::LeftButton);
}

void ViewOutageTest::serverRestartedUnderTheForm()
{
    ProcessInto(QString());
    QCOMPARE(m_f->ResultText(), QString::fromLatin1(kEx03));
    QVERIFY(m_f->sink.messages.empty());

    // The command that meets the outage: the stop box with the driver's text.
    m_server.stop();
    ProcessInto(QStringLiteral("before"));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QCOMPARE(m_f->sink.messages[0].icon, MessageIcon::Stop);
    QVERIFY2(!m_f->sink.messages[0].text.empty(), "the driver's text is shown");
    QVERIFY(m_f->sink.messages[0].text != LoadString(IDS_CONNECTION_FAILED));
    QCOMPARE(m_f->ResultText(), QStringLiteral("before"));
    QVERIFY(Button()->isEnabled());

    // The next one tries to open the connection again: the connection
    // message and the driver's text, once each, and nothing else.
    ProcessInto(QStringLiteral("still before"));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(3));
    QCOMPARE(m_f->sink.messages[1].text, LoadString(IDS_CONNECTION_FAILED));
    QCOMPARE(m_f->sink.messages[1].icon, MessageIcon::Warning);
    QVERIFY2(m_f->sink.messages[2].text.find("Can't connect to server on '127.0.0.1'") != std::string::npos,
             m_f->sink.messages[2].text.c_str());
    QCOMPARE(m_f->ResultText(), QStringLiteral("still before"));
    QVERIFY(Button()->isEnabled());

    // Back: the same window groups again, on a new connection.
    m_server.start();
    ProcessInto(QStringLiteral("before the restart"));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(3));
    QCOMPARE(m_f->ResultText(), QString::fromLatin1(kEx03));
    QVERIFY(m_f->db.IsOpen());
}

void ViewOutageTest::serverPausedDuringProcess()
{
    m_server.pause();
    QElapsedTimer timer;
    timer.start();
    ProcessInto(QStringLiteral("before"));
    const qint64 elapsed = timer.elapsed();
    m_server.resume();
    qInfo("Process on a paused server ended after %lld ms", elapsed);
    QVERIFY2(elapsed < kLimitMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QCOMPARE(m_f->sink.messages[0].icon, MessageIcon::Stop);
    QVERIFY2(m_f->sink.messages[0].text.find("Lost connection to server during query") != std::string::npos,
             m_f->sink.messages[0].text.c_str());
    QCOMPARE(m_f->ResultText(), QStringLiteral("before"));
    QVERIFY(Button()->isEnabled());

    // Resumed: the next Process opens the connection again and groups.
    ProcessInto(QStringLiteral("before"));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QCOMPARE(m_f->ResultText(), QString::fromLatin1(kEx03));
}

void ViewOutageTest::serverPausedWhenTheConnectionIsOpened()
{
    // Start-up on a server that accepts the connection and answers nothing.
    m_f = std::make_unique<CFormFixture>(m_catalogue);
    m_f->EnterCase(Ex03());
    m_server.pause();
    QElapsedTimer timer;
    timer.start();
    try {
        m_f->db.OpenEx(m_server.connectString(), CDatabase::openReadOnly);
        QFAIL("the open of a paused server succeeded");
    } catch (const CDBException& e) {
        qInfo("open on a paused server failed after %lld ms: %s", timer.elapsed(), e.m_strError.c_str());
        QVERIFY(timer.elapsed() < kLimitMs);
        QVERIFY(e.IsConnectionLost());
    }
    QVERIFY(!m_f->db.IsOpen());

    // Process while it is still paused: the reopen gives up in time too.
    timer.restart();
    ProcessInto(QStringLiteral("before"));
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed < kLimitMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(2));
    QCOMPARE(m_f->sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
    QVERIFY2(m_f->sink.messages[1].text.find("Lost connection to server at 'handshake") != std::string::npos,
             m_f->sink.messages[1].text.c_str());
    QCOMPARE(m_f->ResultText(), QStringLiteral("before"));
    QVERIFY(Button()->isEnabled());

    m_server.resume();
    ProcessInto(QStringLiteral("before"));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(2));
    QCOMPARE(m_f->ResultText(), QString::fromLatin1(kEx03));
}

QTEST_MAIN(ViewOutageTest)
#include "ViewOutageTest.moc"
