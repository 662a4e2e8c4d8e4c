// The document commands' questions as the window asks them: the save
// question's box and the file dialogs with their filters.
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "CDocumentPromptsQt.h"
#include "GuiFakes.h"

class TestDocumentPromptsQt : public QObject {
    Q_OBJECT

private slots:
    void saveQuestionAnswers_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << int(SaveAnswer::Yes);
        QTest::newRow("No") << int(QMessageBox::No) << int(SaveAnswer::No);
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << int(SaveAnswer::Cancel);
        QTest::newRow("Esc") << -1 << int(SaveAnswer::Cancel);
    }

    void saveQuestionAnswers()
    {
        QFETCH(int, button);
        QFETCH(int, answer);
        ScriptedRunner runner;
        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        runner.steps.push_back([&](QDialog& dialog) {
            auto& box = static_cast<QMessageBox&>(dialog);
            text = box.text();
            caption = box.windowTitle();
            icon = box.icon();
            buttons = box.standardButtons();
            if (button < 0)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(QMessageBox::StandardButton(button))->click();
        });
        CDocumentPromptsQt prompts(runner);
        QCOMPARE(int(prompts.askSaveChanges("Save changes to M\xfcller.drg?")), answer);
        QCOMPARE(text, QString::fromUtf8("Save changes to M\u00fcller.drg?"));
        QCOMPARE(caption, QStringLiteral("Vesmar"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }

    void openDialogOffersTheFiltersAndReturnsThePath()
    {
        QTemporaryDir dir;
        QFile file(dir.path() + "/case.drg");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        ScriptedRunner runner;
        QStringList filters;
        runner.steps.push_back([&](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            filters = files.nameFilters();
            QCOMPARE(files.acceptMode(), QFileDialog::AcceptOpen);
            files.selectFile(file.fileName());
            static_cast<QDialog&>(files).accept();
        });
        CDocumentPromptsQt prompts(runner);
        FileDialogRequest request{"", {"Vesmar-Files (*.drg)", "All Files (*.*)"}, ".drg"};
        const std::optional<std::string> path = prompts.askOpenPath(request);
        QCOMPARE(filters, (QStringList{"Vesmar-Files (*.drg)", "All Files (*.*)"}));
        QVERIFY(path.has_value());
        QCOMPARE(QFile::decodeName(path->c_str()), file.fileName());
    }

    void cancelledDialogsReturnNothing()
    {
        ScriptedRunner runner; // no step: the dialog is rejected
        CDocumentPromptsQt prompts(runner);
        FileDialogRequest request{"/tmp/patient.drg", {"Vesmar-Files (*.drg)", "All Files (*.*)"}, ".drg"};
        QVERIFY(!prompts.askSavePath(request).has_value());
        QVERIFY(!prompts.askOpenPath(request).has_value());
        QCOMPARE(runner.seen.size(), std::size_t(2));
    }

    void saveDialogProposesTheName()
    {
        QTemporaryDir dir;
        ScriptedRunner runner;
        QString proposed;
        runner.steps.push_back([&](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            QCOMPARE(files.acceptMode(), QFileDialog::AcceptSave);
            proposed = files.selectedFiles().value(0);
            static_cast<QDialog&>(files).accept();
        });
        CDocumentPromptsQt prompts(runner);
        const QString target = dir.path() + "/patient.drg";
        FileDialogRequest request{QFile::encodeName(target).toStdString(),
                                  {"Vesmar-Files (*.drg)", "All Files (*.*)"}, ".drg"};
        const std::optional<std::string> path = prompts.askSavePath(request);
        QCOMPARE(proposed, target);
        QVERIFY(path.has_value());
        QCOMPARE(QFile::decodeName(path->c_str()), target);
    }
};

QTEST_MAIN(TestDocumentPromptsQt)
#include "tst_DocumentPromptsQt.moc"
