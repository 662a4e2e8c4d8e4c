// The main window without a case: menu 128, key bindings, status bar,
// caption, placement, and the About box.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "StringTable.h"

class TestMainFrame : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        frame = new CMainFrame;
        QVERIFY(frame->Create());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }
    void cleanup() { delete frame; }

    void menuHasTheItemsInOrder()
    {
        const QList<QAction*> menus = frame->menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Edit"));
        QCOMPARE(menus[2]->text(), QStringLiteral("&View"));
        QCOMPARE(menus[3]->text(), QStringLiteral("&Help"));

        struct Item { const char* text; int id; };
        const Item file[] = {{"&New\tCtrl+N", ID_FILE_NEW}, {"&Open...\tCtrl+O", ID_FILE_OPEN},
                             {"&Save\tCtrl+S", ID_FILE_SAVE}, {"Save &As...", ID_FILE_SAVE_AS},
                             {"&Export as PDF...", ID_FILE_EXPORT_PDF}, {"", 0}, {"E&xit", ID_APP_EXIT}};
        const QList<QAction*> fileItems = menus[0]->menu()->actions();
        QCOMPARE(fileItems.size(), 7);
        for (int i = 0; i < 7; ++i) {
            if (file[i].id == 0) {
                QVERIFY(fileItems[i]->isSeparator());
                continue;
            }
            QCOMPARE(fileItems[i]->text(), QString::fromLatin1(file[i].text));
            QCOMPARE(fileItems[i]->objectName(), QString::number(file[i].id));
        }
        const QList<QAction*> editItems = menus[1]->menu()->actions();
        QCOMPARE(editItems.size(), 1);
        QCOMPARE(editItems[0]->text(), QStringLiteral("Configuration"));
        QCOMPARE(editItems[0]->objectName(), QStringLiteral("32771"));
        const QList<QAction*> viewItems = menus[2]->menu()->actions();
        QCOMPARE(viewItems.size(), 1);
        QCOMPARE(viewItems[0]->text(), QStringLiteral("Grouping &details...\tCtrl+D"));
        QCOMPARE(viewItems[0]->objectName(), QString::number(ID_VIEW_GROUPING_DETAILS));
        const QList<QAction*> helpItems = menus[3]->menu()->actions();
        QCOMPARE(helpItems.size(), 1);
        QCOMPARE(helpItems[0]->text(), QStringLiteral("&About Vesmar..."));
        QCOMPARE(helpItems[0]->objectName(), QStringLiteral("57664"));
    }

    void keyBindings_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("keys");
        QTest::newRow("new") << int(ID_FILE_NEW) << "Ctrl+N";
        QTest::newRow("open") << int(ID_FILE_OPEN) << "Ctrl+O";
        QTest::newRow("save") << int(ID_FILE_SAVE) << "Ctrl+S";
        QTest::newRow("print") << int(ID_FILE_PRINT) << "Ctrl+P";
        QTest::newRow("copy") << int(ID_EDIT_COPY) << "Ctrl+C, Ctrl+Ins";
        QTest::newRow("cut") << int(ID_EDIT_CUT) << "Ctrl+X, Shift+Del";
        QTest::newRow("paste") << int(ID_EDIT_PASTE) << "Ctrl+V, Shift+Ins";
        QTest::newRow("undo") << int(ID_EDIT_UNDO) << "Ctrl+Z, Alt+Backspace";
        QTest::newRow("next pane") << int(ID_NEXT_PANE) << "F6";
        QTest::newRow("previous pane") << int(ID_PREV_PANE) << "Shift+F6";
        QTest::newRow("grouping details") << int(ID_VIEW_GROUPING_DETAILS) << "Ctrl+D";
        QTest::newRow("save as has none") << int(ID_FILE_SAVE_AS) << "";
        QTest::newRow("export as pdf has none") << int(ID_FILE_EXPORT_PDF) << "";
    }

    void keyBindings()
    {
        QFETCH(int, id);
        QFETCH(QString, keys);
        QAction* action = frame->CommandAction(id);
        QVERIFY(action);
        QStringList bound;
        for (const QKeySequence& sequence : action->shortcuts())
            bound << sequence.toString(QKeySequence::PortableText);
        QCOMPARE(bound.join(QStringLiteral(", ")), keys);
    }

    void keyReachesItsCommand()
    {
        QSignalSpy newSpy(frame->CommandAction(ID_FILE_NEW), &QAction::triggered);
        QSignalSpy paneSpy(frame->CommandAction(ID_PREV_PANE), &QAction::triggered);
        QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(frame, Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(newSpy.count(), 1);
        QCOMPARE(paneSpy.count(), 1);
    }

    void unhandledCommandsChangeNothing()
    {
        const QString caption = frame->windowTitle();
        for (int id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO, ID_NEXT_PANE, ID_PREV_PANE})
            frame->CommandAction(id)->trigger();
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->windowTitle(), caption);
        QCOMPARE(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
    }

    void statusBarShowsReadyAndThePrompts()
    {
        QStatusBar* bar = frame->findChild<QStatusBar*>(QStringLiteral("59393"));
        QVERIFY(bar);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->currentMessage(), QStringLiteral("Ready"));

        // Highlight Edit > Configuration as the user would: open the menu
        // from the menu bar and move onto the item.
        QMenu* edit = frame->menuBar()->actions()[1]->menu();
        frame->menuBar()->setActiveAction(edit->menuAction());
        QTRY_VERIFY(edit->isVisible());
        QAction* configuration = frame->CommandAction(ID_CONFIGURATION);
        QTest::mouseMove(edit, edit->actionGeometry(configuration).center());
        QTRY_COMPARE(bar->currentMessage(), QStringLiteral("Configure the databaseconnection"));

        QMenu* file = frame->menuBar()->actions()[0]->menu();
        frame->menuBar()->setActiveAction(file->menuAction());
        QTRY_VERIFY(file->isVisible());
        QTest::mouseMove(file, file->actionGeometry(frame->CommandAction(ID_APP_EXIT)).center());
        QTRY_COMPARE(bar->currentMessage(), QStringLiteral("Quit the application; prompts to save documents"));

        QTest::keyClick(file, Qt::Key_Escape);
        QTest::keyClick(frame->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());
        QTRY_COMPARE(bar->currentMessage(), QStringLiteral("Ready"));
    }

    void everyCommandHasItsPrompt()
    {
        for (QAction* action : frame->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
            bool numeric = false;
            const int id = action->objectName().toInt(&numeric);
            if (!numeric)
                continue;
            QVERIFY2(!action->statusTip().isEmpty(), qPrintable(action->objectName()));
            QCOMPARE(action->statusTip(), QString::fromLatin1(CommandPrompt(id).c_str()));
        }
        QCOMPARE(frame->CommandAction(ID_FILE_NEW)->statusTip(), QStringLiteral("Create a new document"));
    }

    void lockKeyPanes()
    {
        const int ids[] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
        QStatusBar* bar = frame->statusBar();
        int previousRight = 0;
        for (int id : ids) {
            auto* pane = bar->findChild<QLabel*>(QString::number(id));
            QVERIFY(pane);
            QVERIFY(pane->isVisible());
            // The headless platform cannot tell the keys' state.
            QVERIFY(pane->text().isEmpty());
            QVERIFY(pane->width() >= pane->fontMetrics().horizontalAdvance(QString::fromLatin1(LoadString(id).c_str())));
            const int left = pane->mapTo(bar, QPoint()).x();
            QVERIFY(left >= previousRight);
            previousRight = left + pane->width();
        }
    }

    void placedOverTheScreen()
    {
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(frame->pos(), QPoint(0, 0));
        QCOMPARE(frame->size(), QSize(screen.width(), screen.height() - 30));
    }

    void captionIsTitleDashVesmar()
    {
        frame->SetDocumentTitle("patient");
        QCOMPARE(frame->windowTitle(), QStringLiteral("patient - Vesmar"));
        frame->SetDocumentTitle("F\xfc\xdf.drg");
        QCOMPARE(frame->windowTitle(), QString::fromUtf8("F\u00fc\u00df.drg - Vesmar"));
    }

    void exitAsksTheCloseQuery()
    {
        int asked = 0;
        bool allow = false;
        frame->SetCloseQuery([&] { ++asked; return allow; });
        frame->CommandAction(ID_APP_EXIT)->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(frame->isVisible());
        allow = true;
        frame->close();
        QCOMPARE(asked, 2);
        QVERIFY(!frame->isVisible());
    }

    void aboutBox()
    {
        CAboutDlg about(frame);
        QCOMPARE(about.objectName(), QStringLiteral("100"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Vesmar"));
        QStringList texts;
        for (QLabel* label : about.findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Vesmar Version 1.3")));
        QCOMPARE(texts.size(), 2);
        auto* icon = about.findChild<QLabel*>(QStringLiteral("128"));
        QVERIFY(icon && !icon->pixmap().isNull());
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("1"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    }

private:
    CMainFrame* frame = nullptr;
};

QTEST_MAIN(TestMainFrame)
#include "tst_MainFrame.moc"
