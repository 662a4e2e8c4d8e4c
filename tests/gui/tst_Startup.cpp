// The whole start-up on the private server: connection, catalogue, main
// window and form, the command line, the document commands' wiring and the
// save question at exit. Modal dialogs and messages are scripted.
#include <QAbstractItemModel>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

#include "CDatabase.h"
#include "CRecordset.h"
#include "CRegistry.h"
#include "CDocManager.h"
#include "CMainFrame.h"
#include "CVesmarApp.h"
#include "CVesmarDoc.h"
#include "CVesmarView.h"
#include "GuiFakes.h"
#include "StringTable.h"
#include "TestDb.h"

namespace {

// A case file with one chosen diagnosis, written by the document itself.
std::string writeCase(const QString& path, const std::string& entry)
{
    CRecordingSink sink;
    CVesmarDoc doc;
    doc.OnNewDocument();
    doc.AddChosenDiagnosis(entry);
    const std::string file = QFile::encodeName(path).toStdString();
    if (!doc.OnSaveDocument(file, sink))
        qFatal("cannot write %s", file.c_str());
    return file;
}

int rows(CVesmarApp& app, const char* listId)
{
    auto* list = app.View()->findChild<QListView*>(QString::fromLatin1(listId));
    if (!list)
        qFatal("no list %s", listId);
    return list->model()->rowCount();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Fails, not skips, without the server.
        try {
            icdRows = std::stoi(testdb::query("SELECT COUNT(*) FROM icd", "Vesmar").at(0).at(0));
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
        QVERIFY(icdRows > 0);
    }

    void init()
    {
        app = NewAppOnServer(dir, sink, runner, prompts);
        QVERIFY(app);
    }

    void cleanup() { app.reset(); }

    void connectedStartShowsANewCaseWithTheCatalogue()
    {
        QVERIFY(app->InitInstance({}));
        QVERIFY(sink.messages.empty());
        QVERIFY(app->m_pDB && app->m_pDB->IsOpen());
        QCOMPARE(int(app->m_icdList.GetCount()), icdRows);
        CMainFrame* frame = app->MainFrame();
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(frame->windowTitle(), QStringLiteral("patient - Vesmar"));
        QCOMPARE(frame->centralWidget(), static_cast<QWidget*>(app->View()));
        QCOMPARE(rows(*app, "1001"), icdRows);
        QCOMPARE(rows(*app, "1006"), 0);
        QVERIFY(!app->Document().IsModified());
        // The loading dialog is gone once the catalogue is in.
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(top->objectName() != QStringLiteral("142") || !top->isVisible());
    }

    void serverDownStillOpensTheWindow()
    {
        // Nothing listens on port 1: the connection is refused.
        writeSettingsFile(dir->path() + "/xdg", {"Host=127.0.0.1:1", "User=vesmar", "Password=vesmar"});
        QVERIFY(app->InitInstance({}));
        QCOMPARE(sink.messages.size(), std::size_t(2));
        QCOMPARE(sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
        QVERIFY(!sink.messages[1].text.empty());
        QVERIFY(sink.messages[1].text[0] != '[');
        for (const auto& message : sink.messages) {
            QCOMPARE(message.icon, MessageIcon::Warning);
            QCOMPARE(message.caption, std::string("Vesmar"));
        }
        QVERIFY(app->m_pDB && !app->m_pDB->IsOpen());
        QVERIFY(app->m_icdList.IsEmpty());
        QVERIFY(app->MainFrame()->isVisible());
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("patient - Vesmar"));
        QCOMPARE(rows(*app, "1001"), 0);
    }

    void noSettingsStillOpensTheWindow()
    {
        QFile::remove(dir->path() + "/xdg/Orbel/Vesmar.conf");
        QVERIFY(app->InitInstance({}));
        // The bare connect string: whatever the driver makes of it, either
        // the connection opened silently or the two messages were shown;
        // nothing is said about the missing settings themselves.
        QVERIFY(app->m_pDB);
        if (app->m_pDB->IsOpen()) {
            QVERIFY(sink.messages.empty());
        } else {
            QCOMPARE(sink.messages.size(), std::size_t(2));
            QCOMPARE(sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
        }
        QVERIFY(app->MainFrame()->isVisible());
        QCOMPARE(rows(*app, "1001"), int(app->m_icdList.GetCount()));
    }

    void fileOnTheCommandLineOpensIt()
    {
        const std::string path = writeCase(dir->path() + "/smith.drg", "A01.1    Paratyphoid fever A");
        QVERIFY(app->InitInstance({path}));
        QVERIFY(sink.messages.empty());
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("smith.drg - Vesmar"));
        QCOMPARE(rows(*app, "1006"), 1);
        QCOMPARE(app->Document().GetPathName(), path);
        QVERIFY(!app->Document().IsModified());
    }

    void missingFileOnTheCommandLineEndsTheProgram()
    {
        const std::string path = QFile::encodeName(dir->path() + "/none.drg").toStdString();
        QVERIFY(!app->InitInstance({path}));
        QCOMPARE(app->ExitCode(), 1);
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QCOMPARE(sink.messages[0].text, FormatString1(AFX_IDP_FILE_NOT_FOUND, path));
        QVERIFY(!app->MainFrame() || !app->MainFrame()->isVisible());
    }

    void unregisterTellsAndEnds_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("Unregister") << "/Unregister";
        QTest::newRow("unregserver") << "-unregserver";
    }

    void unregisterTellsAndEnds()
    {
        QFETCH(QString, option);
        QVERIFY(!app->InitInstance({option.toStdString()}));
        QCOMPARE(app->ExitCode(), 0);
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QCOMPARE(sink.messages[0].text,
                 std::string("System registry entries have been removed and the INI file (if any) was deleted."));
        QVERIFY(!app->MainFrame());
    }

    void embeddingAutomationAndDdeStartANewCase_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("Embedding") << "-Embedding";
        QTest::newRow("Automation") << "/AUTOMATION";
        QTest::newRow("dde") << "/dde";
    }

    void embeddingAutomationAndDdeStartANewCase()
    {
        QFETCH(QString, option);
        QVERIFY(app->InitInstance({option.toStdString()}));
        QVERIFY(sink.messages.empty());
        QVERIFY(app->MainFrame()->isVisible());
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("patient - Vesmar"));
    }

    void printToAMissingPrinterTellsAndEnds()
    {
        const std::string path = writeCase(dir->path() + "/print.drg", "A01.1    Paratyphoid fever A");
        QVERIFY(!app->InitInstance({"-pt", path, "No Such Printer", "driver", "port"}));
        QCOMPARE(app->ExitCode(), 1);
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QCOMPARE(sink.messages[0].text, FormatString1(IDS_NO_PRINTER, path));
        QVERIFY(!app->MainFrame()->isVisible());
    }

    void printWithoutAnyPrinterTellsAndEnds()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer; the test would print");
        const std::string path = writeCase(dir->path() + "/print.drg", "A01.1    Paratyphoid fever A");
        QVERIFY(!app->InitInstance({"-p", path}));
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QCOMPARE(sink.messages[0].text, "No printer is available: " + path + " was not printed.");
    }

    void printWithoutAFileNameEnds()
    {
        QVERIFY(!app->InitInstance({"-p"}));
        QCOMPARE(app->ExitCode(), 1);
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QVERIFY(!app->MainFrame()->isVisible());
    }

    void printCommandShowsThePrintDialog()
    {
        QVERIFY(app->InitInstance({}));
        app->MainFrame()->CommandAction(ID_FILE_PRINT)->trigger();
        QCOMPARE(runner.types.size(), std::size_t(1));
        QVERIFY(runner.types[0].contains(QStringLiteral("PrintDialog")));
        QVERIFY(sink.messages.empty());
    }

    void aboutAndConfigurationOpenTheirDialogs()
    {
        QVERIFY(app->InitInstance({}));
        runner.steps.push_back([](QDialog& dialog) { dialog.accept(); });
        app->MainFrame()->CommandAction(ID_APP_ABOUT)->trigger();
        app->MainFrame()->CommandAction(ID_CONFIGURATION)->trigger();
        QCOMPARE(runner.seen, (std::vector<QString>{"100", "139"}));
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("patient - Vesmar"));
        QVERIFY(!app->Document().IsModified());
    }

    void newSettingsWaitForTheNextStart()
    {
        QVERIFY(app->InitInstance({}));
        const std::size_t entries = app->m_icdList.GetCount();
        runner.steps.push_back([](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("1024"))->setText(QStringLiteral("elsewhere.invalid"));
            dialog.accept();
        });
        app->MainFrame()->CommandAction(ID_CONFIGURATION)->trigger();
        QVERIFY(sink.messages.empty());
        std::string host, user, password;
        QVERIFY(CRegistry().ReadSettings(host, user, password));
        QCOMPARE(host, std::string("elsewhere.invalid"));
        // The running connection and catalogue stay as they were.
        QVERIFY(app->m_pDB->IsOpen());
        QCOMPARE(app->m_icdList.GetCount(), entries);
        CRecordset check(app->m_pDB.get());
        QVERIFY(check.Open("SELECT Code FROM icd"));
        QVERIFY(!check.IsEOF());
    }

    void newAndOpenRefillTheForm()
    {
        const std::string path = writeCase(dir->path() + "/jones.drg", "B01.9    Varicella without complication");
        QVERIFY(app->InitInstance({}));
        app->Document().AddChosenDiagnosis("A00.0    Cholera");
        prompts.answers = {SaveAnswer::No};
        app->MainFrame()->CommandAction(ID_FILE_NEW)->trigger();
        QCOMPARE(prompts.questions, (std::vector<std::string>{"Save changes to patient?"}));
        QCOMPARE(rows(*app, "1006"), 0);

        prompts.openPaths = {path};
        app->MainFrame()->CommandAction(ID_FILE_OPEN)->trigger();
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("jones.drg - Vesmar"));
        QCOMPARE(rows(*app, "1006"), 1);

        // A file that breaks off after reading started: the case is reset and
        // the form follows it.
        QFile whole(QFile::decodeName(path.c_str()));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        QFile cut(dir->path() + "/cut.drg");
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() - 3));
        cut.close();
        prompts.openPaths = {QFile::encodeName(cut.fileName()).toStdString()};
        app->MainFrame()->CommandAction(ID_FILE_OPEN)->trigger();
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QCOMPARE(sink.messages[0].text, std::string("Unexpected file format."));
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("patient - Vesmar"));
        QCOMPARE(rows(*app, "1006"), 0);
    }

    void saveAsRetitlesTheWindow()
    {
        QVERIFY(app->InitInstance({}));
        app->Document().AddChosenDiagnosis("A00.0    Cholera");
        const QString target = dir->path() + "/saved";
        prompts.savePaths = {QFile::encodeName(target).toStdString()};
        app->MainFrame()->CommandAction(ID_FILE_SAVE)->trigger();
        QVERIFY(QFileInfo::exists(target + ".drg"));
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("saved.drg - Vesmar"));
        QVERIFY(!app->Document().IsModified());
    }

    void exitAsksToSaveAModifiedCase()
    {
        QVERIFY(app->InitInstance({}));
        CMainFrame* frame = app->MainFrame();
        // Unchanged: closes without a question.
        // (Checked last; first the modified case.)
        app->Document().AddChosenDiagnosis("A00.0    Cholera");

        prompts.answers = {SaveAnswer::Cancel};
        frame->CommandAction(ID_APP_EXIT)->trigger();
        QCOMPARE(prompts.questions, (std::vector<std::string>{"Save changes to patient?"}));
        QVERIFY(frame->isVisible());
        QVERIFY(app->Document().IsModified());

        // Yes with the Save As dialog cancelled: the save fails, the program stays.
        prompts.answers = {SaveAnswer::Yes};
        prompts.savePaths = {std::nullopt};
        frame->close();
        QVERIFY(frame->isVisible());

        prompts.answers = {SaveAnswer::Yes};
        prompts.savePaths = {QFile::encodeName(dir->path() + "/exit.drg").toStdString()};
        frame->close();
        QVERIFY(!frame->isVisible());
        QVERIFY(QFileInfo::exists(dir->path() + "/exit.drg"));
        QCOMPARE(prompts.questions.size(), std::size_t(3));
    }

    void exitWithoutChangesAsksNothing()
    {
        QVERIFY(app->InitInstance({}));
        app->MainFrame()->close();
        QVERIFY(!app->MainFrame()->isVisible());
        QVERIFY(prompts.questions.empty());
    }

    void editKeysStillWorkInTheFormsEdits()
    {
        // The window binds copy and paste to commands nothing handles; the
        // focused edit still takes its own keys first.
        QVERIFY(app->InitInstance({}));
        auto* search = app->View()->findChild<QLineEdit*>(QStringLiteral("1000"));
        QVERIFY(search);
        app->MainFrame()->activateWindow();
        search->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(search));
        QApplication::clipboard()->setText(QStringLiteral("J18"));
        QTest::keyClick(search, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(search->text(), QStringLiteral("J18"));
        search->selectAll();
        QTest::keyClick(search, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(search->text(), QString());
        QTest::keyClick(search, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(search->text(), QStringLiteral("J18"));
    }

    void textControlsKeepTheirEditKeys()
    {
        const std::string path = writeCase(dir->path() + "/case.drg", "J18.9    Pneumonia, unspecified organism");
        QVERIFY(app->InitInstance({path}));
        CMainFrame* frame = app->MainFrame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (int id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO})
            spies.push_back(std::make_unique<QSignalSpy>(frame->CommandAction(id), &QAction::triggered));
        const auto windowTookAKey = [&] {
            return std::any_of(spies.begin(), spies.end(), [](const auto& spy) { return spy->count() > 0; });
        };
        QClipboard* clipboard = QApplication::clipboard();
        const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), k, m);
        };

        // Every edit of the form, the discharge combo's field among them.
        for (const char* id : {"1000", "1019", "1023", "1035", "1039"}) {
            QWidget* control = app->View()->findChild<QWidget*>(QString::fromLatin1(id));
            QVERIFY(control);
            control->setFocus();
            QTRY_VERIFY(control->isAncestorOf(QApplication::focusWidget()) || control->hasFocus());
            auto* combo = qobject_cast<QComboBox*>(control);
            auto* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(control);
            QVERIFY2(edit, id);
            key(Qt::Key_A, Qt::ControlModifier);
            key(Qt::Key_Delete);
            QTest::keyClicks(QApplication::focusWidget(), "ab12");
            key(Qt::Key_A, Qt::ControlModifier);
            key(Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(clipboard->text(), QStringLiteral("ab12"));
            clipboard->clear();
            key(Qt::Key_Insert, Qt::ControlModifier);
            QCOMPARE(clipboard->text(), QStringLiteral("ab12"));
            key(Qt::Key_X, Qt::ControlModifier);
            QCOMPARE(edit->text(), QString());
            key(Qt::Key_V, Qt::ControlModifier);
            key(Qt::Key_Insert, Qt::ShiftModifier);
            QCOMPARE(edit->text(), QStringLiteral("ab12ab12"));
            key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(edit->text(), QStringLiteral("ab12"));
            key(Qt::Key_Home, Qt::ShiftModifier);
            key(Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(edit->text(), QString());
            QCOMPARE(clipboard->text(), QStringLiteral("ab12"));
            // Alt+Backspace is the edit's key too: its undo where the
            // platform's key scheme has it so.
            key(Qt::Key_Backspace, Qt::AltModifier);
            if (QKeySequence::keyBindings(QKeySequence::Undo).contains(QKeySequence(Qt::ALT | Qt::Key_Backspace)))
                QCOMPARE(edit->text(), QStringLiteral("ab12"));
            QVERIFY2(!windowTookAKey(), id);
            key(Qt::Key_A, Qt::ControlModifier);
            key(Qt::Key_Delete);
        }

        // The read-only report: select all and copy, by both copy keys, and
        // a selection made with the keyboard.
        QTest::keyClicks(app->View()->findChild<QLineEdit*>(QStringLiteral("1035")), "1950-06-15");
        QTest::keyClicks(app->View()->findChild<QLineEdit*>(QStringLiteral("1039")), "2024-02-01");
        auto* process = app->View()->findChild<QPushButton*>(QStringLiteral("1010"));
        QTest::mouseClick(process, Qt::LeftButton);
        auto* report = app->View()->findChild<QPlainTextEdit*>(QStringLiteral("1011"));
        QVERIFY(report->toPlainText().startsWith(QStringLiteral("DRG: ")));
        QTest::mouseClick(report->viewport(), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(report));
        clipboard->clear();
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), report->toPlainText());
        clipboard->clear();
        key(Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), report->toPlainText());
        key(Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < 8; ++i)
            key(Qt::Key_Right, Qt::ShiftModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), report->toPlainText().left(8));
        // Its text stays as it is.
        key(Qt::Key_V, Qt::ControlModifier);
        key(Qt::Key_X, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(report->toPlainText().startsWith(QStringLiteral("DRG: ")));
        QVERIFY(!windowTookAKey());

        // Elsewhere the window's bindings still take their keys.
        app->View()->findChild<QWidget*>(QStringLiteral("1006"))->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), app->View()->findChild<QWidget*>(QStringLiteral("1006")));
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(spies[0]->count(), 1);
        app->Document().SetModifiedFlag(false);
    }

    void searchHasTheFocusAtStartAfterNewAndAfterOpen()
    {
        const std::string path = writeCase(dir->path() + "/jones.drg", "B01.9    Varicella without complication");
        QVERIFY(app->InitInstance({}));
        CMainFrame* frame = app->MainFrame();
        QWidget* search = app->View()->findChild<QLineEdit*>(QStringLiteral("1000"));
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTRY_COMPARE(QApplication::focusWidget(), search);
        QTest::keyClicks(QApplication::focusWidget(), "b01");
        QCOMPARE(static_cast<QLineEdit*>(search)->text(), QStringLiteral("b01"));

        QWidget* duration = app->View()->findChild<QLineEdit*>(QStringLiteral("1023"));
        duration->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), duration);
        QTest::keyClick(duration, Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(QApplication::focusWidget(), search);

        duration->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), duration);
        prompts.openPaths = {path};
        QTest::keyClick(duration, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("jones.drg - Vesmar"));
        QTRY_COMPARE(QApplication::focusWidget(), search);
    }

    void userEditOfTheSexIsOfferedForSaving()
    {
        QVERIFY(app->InitInstance({}));
        auto* female = app->View()->findChild<QRadioButton*>(QStringLiteral("1013"));
        QVERIFY(female);
        QTest::mouseClick(female, Qt::LeftButton);
        QVERIFY(app->Document().IsModified());
        prompts.answers = {SaveAnswer::No};
        app->MainFrame()->close();
        QCOMPARE(prompts.questions.size(), std::size_t(1));
        QVERIFY(!app->MainFrame()->isVisible());
    }

private:
    int icdRows = 0;
    std::unique_ptr<QTemporaryDir> dir;
    CRecordingSink sink;
    ScriptedRunner runner;
    ScriptedPrompts prompts;
    std::unique_ptr<CVesmarApp> app;
};

QTEST_MAIN(TestStartup)
#include "tst_Startup.moc"
