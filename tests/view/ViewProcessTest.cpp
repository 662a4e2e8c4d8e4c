#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QListView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "CatalogueLoader.h"
#include "QtText.h"
#include "StringTable.h"
#include "ViewTestSupport.h"

using namespace viewtest;

Q_DECLARE_METATYPE(viewtest::CaseInput)

namespace {

// Example cases of the sample data set (sample/README.md) with their
// expected result boxes.
CaseInput Ex01()
{
    return {"1950-06-15", "2024-02-01", true, -1, "6", {"J18.9"}, {"E87.1"}};
}
const char* const kEx01 = "DRG: 0404    Pneumonia with complication     Primary Diagnose:  J18.9\tWeight: 1.3350";

CaseInput Ex03()
{
    return {"1951-04-17", "2024-03-04", true, -1, "4", {"I10"}, {"I50.9"}};
}
const char* const kEx03 = "DRG: 0513    Hypertension with complication     Primary Diagnose:  I10\tWeight: 0.8290";

CaseInput Ex15()
{
    return {"1952-12-03", "2024-09-14", true, 3, "2", {"I21.0"}, {}};
}

QString Lines(std::initializer_list<const char*> lines)
{
    QStringList list;
    for (const char* line : lines)
        list << QString::fromLatin1(line);
    return list.join(u'\n');
}

QPushButton* ProcessButton(CVesmarView& view)
{
    return Control<QPushButton>(&view, "1010");
}

void Process(CVesmarView& view)
{
    QTest::mouseClick(ProcessButton(view), Qt::LeftButton);
}

} // namespace

class ViewProcessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void groupsExampleCasesEnteredOnTheForm_data();
    void groupsExampleCasesEnteredOnTheForm();
    void dischargeCodeFromTheComboSelection();
    void birthAfterAdmissionIsRefused();
    void birthEditHoldingNoDateIsRefused();
    void buttonDisabledAndNoOtherInputWhileRunning();
    void drgMissingFromDrgnamesEndsTheCommand();
    void withoutAConnectionTheCommandEndsWithTheError();
    void caseWithoutDiagnosesLeavesTheBarEmptyAndStill();
    void keyboardOnlyEntryGroupsACase();

private:
    CStringList m_catalogue;
    std::unique_ptr<CFormFixture> m_f;
};

void ViewProcessTest::initTestCase()
{
    // Without the server (scripts/refdb start, then its env file) this fails.
    try {
        CDatabase db;
        QVERIFY(db.OpenEx(testdb::connectString("Vesmar"), CDatabase::openReadOnly));
        m_catalogue = LoadCatalogueOf(db);
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
    QCOMPARE(m_catalogue.GetCount(), std::size_t(312));
}

void ViewProcessTest::init()
{
    m_f = std::make_unique<CFormFixture>(m_catalogue, testdb::connectString("Vesmar"));
}

void ViewProcessTest::cleanup()
{
    m_f.reset();
}

void ViewProcessTest::groupsExampleCasesEnteredOnTheForm_data()
{
    QTest::addColumn<CaseInput>("input");
    QTest::addColumn<QString>("report");

    QTest::newRow("ex01") << Ex01() << Lines({kEx01});
    QTest::newRow("ex03") << Ex03() << Lines({kEx03});
    QTest::newRow("ex05") << CaseInput{"1956-01-30", "2024-05-06", true, -1, "5", {"I21.4", "E11.9"}, {"N18.3"}}
                          << Lines({"DRG: 0506    Other acute myocardial infarction with complication     Primary "
                                    "Diagnose:  I21.4\tWeight: 1.7650",
                                    "DRG: 1004    Diabetes, age 18 or over     Primary Diagnose:  E11.9\tWeight: 0.6420"});
    QTest::newRow("ex06") << CaseInput{"2024-03-12", "2024-03-12", false, -1, "12", {"P07.2", "P07.3", "P22.0"}, {}}
                          << Lines({"DRG: 1501    Extreme immaturity, newborn     Primary Diagnose:  P07.2\tWeight: 4.8620",
                                    "DRG: 1502    Prematurity with respiratory distress, newborn     Primary Diagnose:  "
                                    "P07.3\tWeight: 2.3750",
                                    "DRG: 1504    Respiratory distress, newborn     Primary Diagnose:  P22.0\tWeight: 1.1480"});
    QTest::newRow("ex14") << CaseInput{"1952-12-03", "2024-09-14", true, 1, "2", {"I21.0", "I48.0"}, {}}
                          << Lines({"DRG: 0503    Acute myocardial infarction, died     Primary Diagnose:  I21.0\tWeight: 2.1030",
                                    "DRG: 0599    Other circulatory diagnoses     Primary Diagnose:  I48.0\tWeight: 0.7730"});
    QTest::newRow("ex16") << CaseInput{"1970-04-25", "2024-10-02", false, 2, "2", {"I10", "K92.2"}, {}}
                          << Lines({"DRG: 0607    Gastrointestinal hemorrhage     Primary Diagnose:  K92.2\tWeight: 0.6870",
                                    "DRG: 0511    Hypertension, stay under 3 days     Primary Diagnose:  I10\tWeight: 0.3870"});
    QTest::newRow("ex18") << CaseInput{"1940-02-11", "2024-07-01", false, -1, "11", {"S72.0", "M54.5"}, {}}
                          << Lines({"DRG:  801    Fracture of femur, age 65 or over     Primary Diagnose:  S72.0\tWeight: 1.7340",
                                    "DRG:  899    Other musculoskeletal diagnoses     Primary Diagnose:  M54.5\tWeight: 0.5930"});
    QTest::newRow("ex22") << CaseInput{"1946-08-30", "2024-12-01", true, -1, "1", {"J18.9", "J44.1"}, {"J96.0"}}
                          << Lines({"DRG: 0401    Pneumonia with respiratory failure     Primary Diagnose:  J18.9\tWeight: 1.8520",
                                    "DRG: 0407    COPD, stay under 2 days     Primary Diagnose:  J44.1\tWeight: 0.4980"});
    QTest::newRow("ex23") << CaseInput{"1988-02-14", "2024-01-20", false, -1, "3", {}, {"E87.1"}} << QString();
}

void ViewProcessTest::groupsExampleCasesEnteredOnTheForm()
{
    QFETCH(CaseInput, input);
    QFETCH(QString, report);
    // A report from before, which the new one replaces whole (also by the
    // empty text of a case without chosen diagnoses).
    m_f->EnterCase(Ex03());
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));

    m_f->NewCase();
    m_f->EnterCase(input);
    QCOMPARE(m_f->doc.GetChosenList().GetCount(), input.chosen.size());
    QCOMPARE(m_f->doc.GetBiList().GetCount(), input.bi.size());
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), report);
    QVERIFY(m_f->sink.messages.empty());
    QVERIFY(ProcessButton(m_f->View())->isEnabled());
    // The engine ran the bar to the end of its range.
    auto* bar = Control<QProgressBar>(&m_f->View(), "1017");
    if (!input.chosen.empty())
        QCOMPARE(bar->value(), bar->maximum());
}

void ViewProcessTest::dischargeCodeFromTheComboSelection()
{
    m_f->EnterCase(Ex15());
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(),
             Lines({"DRG: 0501    Circulatory diagnosis, left against medical advice     Primary Diagnose:  "
                    "I21.0\tWeight: 0.4210"}));

    const QString stemi = Lines({"DRG: 0505    STEMI     Primary Diagnose:  I21.0\tWeight: 1.9870"});
    auto* combo = Control<QComboBox>(&m_f->View(), "1019");
    // Typed over the selected item: a text that selects no item.
    TypeInto(combo->lineEdit(), "zzz");
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), stemi);

    combo->setCurrentIndex(1);
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(),
             Lines({"DRG: 0503    Acute myocardial infarction, died     Primary Diagnose:  I21.0\tWeight: 2.1030"}));

    combo->setCurrentIndex(0);
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), stemi);

    // Typing an item's whole text selects that item.
    TypeInto(combo->lineEdit(), "L - Left against medical advice");
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(),
             Lines({"DRG: 0501    Circulatory diagnosis, left against medical advice     Primary Diagnose:  "
                    "I21.0\tWeight: 0.4210"}));
    QVERIFY(m_f->sink.messages.empty());
}

void ViewProcessTest::birthAfterAdmissionIsRefused()
{
    m_f->EnterCase(Ex03());
    Process(m_f->View());
    auto* bar = Control<QProgressBar>(&m_f->View(), "1017");
    const int barBefore = bar->value();

    m_f->NewCase();
    m_f->EnterCase({"2024-05-02", "2024-05-01", true, -1, "3", {"J18.9"}, {}});
    Control<QPlainTextEdit>(&m_f->View(), "1011")->setPlainText(QStringLiteral("kept"));
    Process(m_f->View());
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QCOMPARE(m_f->sink.messages[0].text, std::string("Validate the birth- and admissiondate"));
    QCOMPARE(m_f->sink.messages[0].text, LoadString(IDS_VALIDATE_DATES));
    QCOMPARE(m_f->sink.messages[0].icon, MessageIcon::Warning);
    QCOMPARE(m_f->sink.messages[0].caption, std::string("Vesmar"));
    QCOMPARE(m_f->ResultText(), QStringLiteral("kept"));
    QVERIFY(ProcessButton(m_f->View())->isEnabled());
    QCOMPARE(bar->value(), barBefore);

    // One day later the same case groups (age 0 passes).
    TypeInto(Control<QLineEdit>(&m_f->View(), "1035"), "2024-05-01");
    Process(m_f->View());
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QVERIFY(m_f->ResultText().startsWith(QStringLiteral("DRG: ")));
}

void ViewProcessTest::birthEditHoldingNoDateIsRefused()
{
    m_f->EnterCase(Ex03());
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));

    // The document keeps the earlier birth date; the form's flag decides.
    TypeInto(Control<QLineEdit>(&m_f->View(), "1035"), "1951-04-1x");
    QCOMPARE(m_f->doc.GetBirthDate().m_status, DateValue::valid);
    Process(m_f->View());
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QCOMPARE(m_f->sink.messages[0].text, LoadString(IDS_VALIDATE_DATES));
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));
    QVERIFY(ProcessButton(m_f->View())->isEnabled());

    // Likewise the admission edit.
    TypeInto(Control<QLineEdit>(&m_f->View(), "1035"), "1951-04-17");
    TypeInto(Control<QLineEdit>(&m_f->View(), "1039"), "later");
    Process(m_f->View());
    QCOMPARE(m_f->sink.messages.size(), std::size_t(2));
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));
}

void ViewProcessTest::buttonDisabledAndNoOtherInputWhileRunning()
{
    m_f->EnterCase({"1956-01-30", "2024-05-06", true, -1, "5", {"I21.4", "E11.9"}, {"N18.3"}});
    auto* button = ProcessButton(m_f->View());
    auto* bar = Control<QProgressBar>(&m_f->View(), "1017");

    // An event waiting in the queue when the command starts must not be
    // delivered before the command has ended.
    bool queuedDelivered = false;
    QTimer::singleShot(0, this, [&queuedDelivered] { queuedDelivered = true; });
    int moves = 0;
    bool enabledWhileRunning = false;
    bool deliveredWhileRunning = false;
    const auto connection = connect(bar, &QProgressBar::valueChanged, this, [&](int) {
        ++moves;
        enabledWhileRunning |= button->isEnabled();
        deliveredWhileRunning |= queuedDelivered;
    });
    m_f->View().OnProcess();
    disconnect(connection);

    QVERIFY(moves > 0);
    QVERIFY(!enabledWhileRunning);
    QVERIFY(!deliveredWhileRunning);
    QVERIFY(button->isEnabled());
    QTRY_VERIFY(queuedDelivered);
}

void ViewProcessTest::drgMissingFromDrgnamesEndsTheCommand()
{
    // A copy of the sample database without the name of DRG 0404, one per
    // test process (the locales' runs may go side by side).
    const std::string fixture = "vesmar_view_nodrgname_" + std::to_string(QCoreApplication::applicationPid());
    const auto dropFixture = qScopeGuard([&fixture] {
        try {
            testdb::exec("DROP DATABASE IF EXISTS `" + fixture + "`;");
        } catch (const std::exception& e) {
            qWarning("%s", e.what());
        }
    });
    try {
        testdb::createReferenceDatabase(fixture);
        for (const char* table : {"icd", "DG1", "complexcl", "complcat", "drglogic", "DRGWeight", "drgnames"})
            testdb::exec(std::string("INSERT INTO `") + table + "` SELECT * FROM Vesmar.`" + table + "`;", fixture);
        testdb::exec("DELETE FROM drgnames WHERE drg = '0404';", fixture);
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }

    m_f = std::make_unique<CFormFixture>(m_catalogue, testdb::connectString(fixture));
    m_f->EnterCase(Ex03());
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));

    m_f->NewCase();
    Control<QPlainTextEdit>(&m_f->View(), "1011")->setPlainText(Lines({kEx03}));
    m_f->EnterCase(Ex01());
    Process(m_f->View());
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    QCOMPARE(m_f->sink.messages[0].icon, MessageIcon::Stop);
    QCOMPARE(m_f->sink.messages[0].caption, std::string("Vesmar"));
    QVERIFY2(!m_f->sink.messages[0].text.empty(), "the driver's text is shown");
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));
    QVERIFY(ProcessButton(m_f->View())->isEnabled());

    // The look-up cursor was left closed: the next run works.
    m_f->NewCase();
    m_f->EnterCase(Ex03());
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), Lines({kEx03}));
    QCOMPARE(m_f->sink.messages.size(), std::size_t(1));
    m_f.reset();
}

void ViewProcessTest::withoutAConnectionTheCommandEndsWithTheError()
{
    // Start-up without a server: the window opens on a connection that is
    // not open, with the catalogue empty; the user still presses Process.
    m_f = std::make_unique<CFormFixture>(m_catalogue);
    QVERIFY(!m_f->db.IsOpen());
    m_f->EnterCase(Ex03());
    Control<QPlainTextEdit>(&m_f->View(), "1011")->setPlainText(QStringLiteral("before"));
    // Process first tries to open it: the connection message, then the
    // driver manager's text, as at start-up; then the command ends.
    Process(m_f->View());
    QCOMPARE(m_f->sink.messages.size(), std::size_t(2));
    QCOMPARE(m_f->sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
    QCOMPARE(m_f->sink.messages[0].icon, MessageIcon::Warning);
    QVERIFY(!m_f->sink.messages[1].text.empty());
    QCOMPARE(m_f->ResultText(), QStringLiteral("before"));
    QVERIFY(ProcessButton(m_f->View())->isEnabled());
}

void ViewProcessTest::caseWithoutDiagnosesLeavesTheBarEmptyAndStill()
{
    auto* bar = Control<QProgressBar>(&m_f->View(), "1017");
    m_f->EnterCase(Ex03());
    Process(m_f->View());
    QCOMPARE(bar->value(), bar->maximum());

    m_f->NewCase();
    m_f->EnterCase({"1988-02-14", "2024-01-20", false, -1, "3", {}, {}});
    Process(m_f->View());
    QCOMPARE(m_f->ResultText(), QString());
    // The engine's range stays as it set it.
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 0);
    QCOMPARE(bar->value(), 0);

    // Still: the same picture a while later, with the event loop running.
    const QImage now = bar->grab().toImage();
    QTest::qWait(300);
    QCOMPARE(bar->grab().toImage(), now);
    // Empty: the picture of the bar at the low end of a real range.
    bar->setRange(0, 1);
    bar->setValue(0);
    QCOMPARE(bar->grab().toImage(), now);
}

void ViewProcessTest::keyboardOnlyEntryGroupsACase()
{
    // Example 1 entered with keys only, from the focus the form starts with.
    CVesmarView& view = m_f->View();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    const auto focused = [] {
        QWidget* widget = QApplication::focusWidget();
        if (!widget)
            qFatal("no widget has the keyboard focus");
        return widget;
    };
    const auto tab = [&](int times) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(focused(), Qt::Key_Tab);
    };
    const auto type = [&](const QString& text) {
        QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focused(), Qt::Key_Backspace);
        QTest::keyClicks(focused(), text);
    };
    QTRY_COMPARE(focused(), Control<QWidget>(&view, "1000"));
    type("J18.9 ");
    tab(1);
    QTest::keyClick(focused(), Qt::Key_Return);
    QTest::keyClick(focused(), Qt::Key_Backtab);
    type("E87.1 ");
    tab(1);
    QTest::keyClick(focused(), Qt::Key_Space);
    // To the chosen list, on to E87.1 (the first entry), and "->".
    tab(1);
    QTest::keyClick(focused(), Qt::Key_End);
    QTest::keyClick(focused(), Qt::Key_Home);
    tab(2);
    QCOMPARE(focused(), Control<QWidget>(&view, "1008"));
    QTest::keyClick(focused(), Qt::Key_Space);
    QCOMPARE(ListTexts(Control<QListView>(&view, "1007")).size(), 1);
    // Duration, birth date and admission by Tab from "->", past "<-",
    // Process, the report and the discharge combo.
    tab(5);
    QCOMPARE(focused(), Control<QWidget>(&view, "1023"));
    type("6");
    tab(1);
    type("1950-06-15");
    tab(1);
    type("2024-02-01");
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(m_f->ResultText(), Lines({kEx01}));
    QVERIFY(m_f->sink.messages.empty());
}

QTEST_MAIN(ViewProcessTest)
#include "ViewProcessTest.moc"
