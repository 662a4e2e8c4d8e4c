// View > Grouping details..., printing and Export as PDF on the whole
// program against the private server's sample data: cases are entered and
// processed through the form's controls, the window is opened by its key
// binding, the pages are read back with pdftotext.
#include <QDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "CMainFrame.h"
#include "CVesmarApp.h"
#include "CVesmarView.h"
#include "GuiFakes.h"
#include "StringTable.h"
#include "TestDb.h"
#include "ViewTestSupport.h"

using viewtest::CaseInput;

namespace {

CaseInput Ex05() // I21.4 (MDC 05) and E11.9 (MDC 10), bi N18.3
{
    return {"1956-01-30", "2024-05-06", true, -1, "5", {"I21.4", "E11.9"}, {"N18.3"}};
}

// Whitespace runs as one blank: pdftotext spaces words its own way.
QString squeezed(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

QString pdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                                QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("pdftotext failed: %s", process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestGroupingDetails : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        app = NewAppOnServer(dir, sink, runner, prompts);
        QVERIFY(app);
        QVERIFY(app->InitInstance({}));
        QVERIFY(QTest::qWaitForWindowExposed(app->MainFrame()));
        QVERIFY2(sink.messages.empty(), "start-up on the private server is silent");
    }
    void cleanup() { app.reset(); }

    void detailsWindowOpensByItsKeyAndFollowsEveryProcess();
    void exclusionAndComplicationForEveryPrimary();
    void unknownCodeShowsWhichPassBrokeTheReport();
    void printedPagesHoldTheCaseTheReportAndTheDetails();
    void exportAsPdfWritesTheSamePages();

private:
    QDialog* OpenDetails()
    {
        QTest::keyClick(app->MainFrame(), Qt::Key_D, Qt::ControlModifier);
        auto* window = app->MainFrame()->findChild<QDialog*>(QStringLiteral("143"));
        if (window && !window->isVisible())
            return nullptr;
        return window;
    }
    QString DetailsText() const
    {
        auto* window = app->MainFrame()->findChild<QDialog*>(QStringLiteral("143"));
        return window ? window->findChild<QPlainTextEdit*>(QStringLiteral("1100"))->toPlainText() : QString();
    }
    void EnterAndProcess(const CaseInput& input)
    {
        viewtest::EnterCase(*app->View(), input);
        QTest::mouseClick(viewtest::Control<QPushButton>(app->View(), "1010"), Qt::LeftButton);
    }
    QString ResultBox() const { return viewtest::Control<QPlainTextEdit>(app->View(), "1011")->toPlainText(); }

    std::unique_ptr<QTemporaryDir> dir;
    CRecordingSink sink;
    ScriptedRunner runner;
    ScriptedPrompts prompts;
    std::unique_ptr<CVesmarApp> app;
};

void TestGroupingDetails::detailsWindowOpensByItsKeyAndFollowsEveryProcess()
{
    QDialog* window = OpenDetails();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Grouping details"));
    QCOMPARE(DetailsText(), QStringLiteral("No Process has run for this case yet."));

    // Open while the user works: the next Process shows in it at once.
    EnterAndProcess(Ex05());
    QVERIFY(ResultBox().startsWith(QStringLiteral("DRG: 0506")));
    const QString text = DetailsText();
    const QStringList passes = text.split(QStringLiteral("\n\n"));
    QCOMPARE(passes.size(), 2);
    const QString first = passes[0], second = passes[1];
    QVERIFY2(first.startsWith(QStringLiteral("Pass 1 of 2: I21.4    Non-ST elevation (NSTEMI) myocardial infarction\n")),
             qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral("\n  DGCAT: 05M01    MDC: 05\n")), qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral("\n  DGPROP of MDC 05: 05DM, 05RENF\n")), qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral("\n    I214: no COMPL value: not a complication\n")), qPrintable(first));
    // E11.9's 10I01 counts through complcat's 05RENF, which N18.3 gives the MDC 05 pass.
    QVERIFY2(first.contains(QStringLiteral("\n    E119: COMPL 10I01: complcat's property 05RENF is among the DGPROP "
                                           "values: a complication\n  Complication: E119 (compl 1)\n")),
             qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral("\n  Decision row: row_id 17, row ")), qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral(" icd=+ mdc=05 dgcat1=05M01 procpro1=<NONE> or=- compl=1\n")),
             qPrintable(first));
    QVERIFY2(first.endsWith(QStringLiteral("\n  DRG: 0506    Other acute myocardial infarction with complication    "
                                           "Weight: 1.7650")),
             qPrintable(first));
    // In the MDC 10 pass 05RENF is not kept, so the same candidate does not count.
    QVERIFY2(second.contains(QStringLiteral("\n  DGPROP of MDC 10: (none)\n")), qPrintable(second));
    QVERIFY2(second.contains(QStringLiteral("\n    E119: COMPL 10I01: complcat's property 05RENF is not among the "
                                            "DGPROP values: not a complication\n    N183: no COMPL value")),
             qPrintable(second));
    QVERIFY2(second.contains(QStringLiteral("\n  Complication: none (compl 0)\n")), qPrintable(second));
    QVERIFY2(second.endsWith(QStringLiteral("\n  DRG: 1004    Diabetes, age 18 or over    Weight: 0.6420")),
             qPrintable(second));

    // Closed and opened again through the menu item: the same trace.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    app->MainFrame()->CommandAction(ID_VIEW_GROUPING_DETAILS)->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(DetailsText(), text);

    // New drops the trace with the case.
    prompts.answers.push_back(SaveAnswer::No);
    app->MainFrame()->CommandAction(ID_FILE_NEW)->trigger();
    QVERIFY(app->Document().GetChosenList().IsEmpty());
    QCOMPARE(DetailsText(), QStringLiteral("No Process has run for this case yet."));
    QVERIFY(sink.messages.empty());
}

void TestGroupingDetails::exclusionAndComplicationForEveryPrimary()
{
    EnterAndProcess({"1948-11-02", "2024-03-04", false, -1, "4", {"I11.0", "I50.9"}, {}}); // ex02
    QVERIFY(OpenDetails());
    QString text = DetailsText();
    QVERIFY2(text.contains(QStringLiteral("Pass 2 of 2: I50.9    Heart failure, unspecified\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\n    I509: COMPL 05C01: excluded for I509 by complexcl: not a complication\n"
                                          "  Complication: none (compl 0)\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\n    I509: COMPL 05C01: excluded for I110 by complexcl: not a complication\n")),
             qPrintable(text));

    prompts.answers.push_back(SaveAnswer::No);
    app->MainFrame()->CommandAction(ID_FILE_NEW)->trigger();
    QCOMPARE(DetailsText(), QStringLiteral("No Process has run for this case yet."));
    EnterAndProcess({"1994-05-20", "2024-04-10", true, -1, "7", {"A41.9", "K35.8"}, {}}); // ex04
    text = DetailsText();
    // A41.9's 00C00 makes it the complication of both passes, itself included.
    QCOMPARE(text.count(QStringLiteral("    A419: COMPL 00C00: a complication for every primary diagnosis\n"
                                       "  Complication: A419 (compl 1)\n")),
             2);
    QVERIFY2(text.contains(QStringLiteral("  DRG: 0602    Appendicitis with complication, without operation    "
                                          "Weight: 1.1020")),
             qPrintable(text));
}

void TestGroupingDetails::unknownCodeShowsWhichPassBrokeTheReport()
{
    EnterAndProcess({"1951-04-17", "2024-03-04", true, -1, "4", {"I10", "Z79.4"}, {}});
    // The report failed as before: the stop box, the result box untouched.
    QCOMPARE(sink.messages.size(), std::size_t(1));
    QCOMPARE(sink.messages[0].icon, MessageIcon::Stop);
    QCOMPARE(ResultBox(), QString());

    QVERIFY(OpenDetails());
    const QString text = DetailsText();
    const QStringList passes = text.split(QStringLiteral("\n\n"));
    QCOMPARE(passes.size(), 2);
    QVERIFY2(passes[0].endsWith(QStringLiteral("  DRG: 0512    Hypertension    Weight: 0.6540")), qPrintable(passes[0]));
    const QString broken = passes[1];
    QVERIFY2(broken.startsWith(QStringLiteral("Pass 2 of 2: Z79.4    Long term (current) use of insulin\n")),
             qPrintable(broken));
    QVERIFY2(broken.contains(QStringLiteral("\n  DGCAT: the category look-up failed (CDetermineDRG::determineDGCAT "
                                            "FAILED), so MDC: CD\n")),
             qPrintable(broken));
    QVERIFY2(broken.contains(QStringLiteral("\n  Decision row: none of the 0 rows the query returned matched (ERROR in "
                                            "determingDRGlogic)\n")),
             qPrintable(broken));
    const QString lookup = QStringLiteral("\n  DRG: ERROR in determingDRGlogic: the name look-up failed: SELECT english "
                                          "FROM drgnames WHERE drg = 'ERROR in determingDRGlogic'; ");
    QVERIFY2(broken.contains(lookup), qPrintable(broken));
    // The driver's own words follow the statement.
    QVERIFY(broken.length() > broken.indexOf(lookup) + lookup.length());
}

void TestGroupingDetails::printedPagesHoldTheCaseTheReportAndTheDetails()
{
    EnterAndProcess(Ex05());
    const QString pdf = dir->path() + QStringLiteral("/printed.pdf");
    runner.steps.push_back([&pdf](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        QVERIFY(print);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        // Past the dialog's own settings: the printer is the test's file.
        dialog.done(QDialog::Accepted);
    });
    QTest::keyClick(app->MainFrame(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(runner.types.size(), std::size_t(1));
    QVERIFY(runner.types[0].contains(QStringLiteral("PrintDialog")));
    QVERIFY(sink.messages.empty());

    const QString text = squeezed(pdfText(pdf));
    for (const char* expected : {"Vesmar: patient", "Birth date: 1956-01-30", "Admission date: 2024-05-06",
                                 "Age in days: 24934", "Sex: Male", "Discharge: Not discharged",
                                 "Length of stay: 5 days", "I21.4 Non-ST elevation (NSTEMI) myocardial infarction",
                                 "E11.9 Type 2 diabetes mellitus without complications",
                                 "N18.3 Chronic kidney disease, stage 3 (moderate)",
                                 "DRG: 0506 Other acute myocardial infarction with complication Primary Diagnose: "
                                 "I21.4 Weight: 1.7650",
                                 "DRG: 1004 Diabetes, age 18 or over Primary Diagnose: E11.9 Weight: 0.6420",
                                 "Grouping details", "Pass 1 of 2: I21.4",
                                 "E119: COMPL 10I01: complcat's property 05RENF is among the DGPROP values: a "
                                 "complication"})
        QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(QLatin1String(expected) + u'\n' + text));
    QVERIFY(text.indexOf(QLatin1String("Bi-diagnoses")) < text.indexOf(QLatin1String("N18.3")));
}

void TestGroupingDetails::exportAsPdfWritesTheSamePages()
{
    // Before any Process: the case and an empty result, no details.
    viewtest::EnterCase(*app->View(), {"1950-06-15", "2024-02-01", true, 2, "6", {"J18.9"}, {"E87.1"}});
    const QString before = dir->path() + QStringLiteral("/before");
    prompts.savePaths.push_back(QFile::encodeName(before).toStdString());
    app->MainFrame()->CommandAction(ID_FILE_EXPORT_PDF)->trigger();
    QVERIFY(sink.messages.empty());
    QVERIFY2(QFile::exists(before + QStringLiteral(".pdf")), "the extension is added");
    QString text = squeezed(pdfText(before + QStringLiteral(".pdf")));
    QVERIFY2(text.contains(QLatin1String("Discharge: R - Remission")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Result (empty)")), qPrintable(text));
    QVERIFY(!text.contains(QLatin1String("Grouping details")));

    QTest::mouseClick(viewtest::Control<QPushButton>(app->View(), "1010"), Qt::LeftButton);
    const QString after = dir->path() + QStringLiteral("/after.pdf");
    prompts.savePaths.push_back(QFile::encodeName(after).toStdString());
    app->MainFrame()->CommandAction(ID_FILE_EXPORT_PDF)->trigger();
    text = squeezed(pdfText(after));
    QVERIFY2(text.contains(QLatin1String("Age in days: 26894")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("DRG: 0404 Pneumonia with complication Primary Diagnose: J18.9 Weight: 1.3350")),
             qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("E871: COMPL 10C01: not excluded for J189 by complexcl: a complication")),
             qPrintable(text));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")).size(), 0);

    // A folder that does not exist: the file error, and no file.
    prompts.savePaths.push_back(QFile::encodeName(dir->path() + QStringLiteral("/no/such/x.pdf")).toStdString());
    app->MainFrame()->CommandAction(ID_FILE_EXPORT_PDF)->trigger();
    QCOMPARE(sink.messages.size(), std::size_t(1));
    QVERIFY(!QFile::exists(dir->path() + QStringLiteral("/no/such/x.pdf")));
}

QTEST_MAIN(TestGroupingDetails)
#include "tst_GroupingDetails.moc"
