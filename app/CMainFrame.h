#pragma once

#include <functional>
#include <string>

#include <QMainWindow>

class QAction;
class QKeyEvent;
class QLabel;
class QStatusBar;

// The main window: menu 128 with its key bindings, the status bar with the
// message pane and the CAP, NUM and SCRL panes, and the form as its client.
// Every command is a QAction whose objectName is the command's id; the
// application connects the ones it handles. Copy, cut, paste, undo and the
// pane keys are bound to commands that nothing handles; the edit keys among
// them never take a key from a focused text control.
class CMainFrame : public QMainWindow {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Places the window at (0, 0) with the screen's width and its height less
    // 30, then creates the status bar and its panes. False when any of them
    // could not be created.
    bool Create();

    // The action of a command id of menu or key bindings 128; null for others.
    QAction* CommandAction(int id) const;

    // The caption: the case's title (Windows-1252), " - " and "Vesmar".
    void SetDocumentTitle(const std::string& title);

    // Asked before the window closes (Exit, the close box, Alt+F4); false
    // keeps it open.
    void SetCloseQuery(std::function<bool()> query) { m_closeQuery = std::move(query); }

    // Reads the lock keys again and shows them in their panes.
    void UpdateIndicators();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddCommand(int id, const QString& text = QString());
    QLabel* AddIndicator(int id);
    // A key bound to copy, cut, paste or undo.
    bool IsEditCommandKey(const QKeyEvent& key) const;

    QStatusBar* m_wndStatusBar = nullptr;
    QLabel* m_caps = nullptr;
    QLabel* m_num = nullptr;
    QLabel* m_scrl = nullptr;
    std::function<bool()> m_closeQuery;
};
