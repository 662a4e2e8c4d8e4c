#include "CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>

#include "AppIcon.h"
#include "LockKeys.h"
#include "QtText.h"
#include "StringTable.h"

namespace {
constexpr int kStatusBarId = 59393;

// A control that has copy, cut, paste, select-all and undo keys of its own.
bool IsTextControl(const QWidget* widget)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable();
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)
           || qobject_cast<const QTextEdit*>(widget);
}
} // namespace

CMainFrame::CMainFrame()
{
    setWindowIcon(AppIcon());
    setWindowTitle(ToQString(LoadString(AFX_IDS_APP_TITLE)));

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(AddCommand(ID_FILE_NEW, QStringLiteral("&New\tCtrl+N")));
    file->addAction(AddCommand(ID_FILE_OPEN, QStringLiteral("&Open...\tCtrl+O")));
    file->addAction(AddCommand(ID_FILE_SAVE, QStringLiteral("&Save\tCtrl+S")));
    file->addAction(AddCommand(ID_FILE_SAVE_AS, QStringLiteral("Save &As...")));
    file->addAction(AddCommand(ID_FILE_EXPORT_PDF, QStringLiteral("&Export as PDF...")));
    file->addSeparator();
    file->addAction(AddCommand(ID_APP_EXIT, QStringLiteral("E&xit")));
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(AddCommand(ID_CONFIGURATION, QStringLiteral("Configuration")));
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(AddCommand(ID_VIEW_GROUPING_DETAILS, QStringLiteral("Grouping &details...\tCtrl+D")));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(AddCommand(ID_APP_ABOUT, QStringLiteral("&About Vesmar...")));

    // Key bindings 128: the menu's three and the ones without a menu item.
    CommandAction(ID_FILE_NEW)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    CommandAction(ID_FILE_OPEN)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    CommandAction(ID_FILE_SAVE)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    CommandAction(ID_VIEW_GROUPING_DETAILS)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    AddCommand(ID_FILE_PRINT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    AddCommand(ID_EDIT_COPY)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    AddCommand(ID_EDIT_CUT)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    AddCommand(ID_EDIT_PASTE)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    AddCommand(ID_EDIT_UNDO)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    AddCommand(ID_NEXT_PANE)->setShortcut(QKeySequence(Qt::Key_F6));
    AddCommand(ID_PREV_PANE)->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));

    connect(CommandAction(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
}

QAction* CMainFrame::AddCommand(int id, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    action->setStatusTip(ToQString(CommandPrompt(id)));
    // Window-wide, so the bindings work whichever control has the focus;
    // a text control keeps its own edit keys (see eventFilter).
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    return action;
}

QAction* CMainFrame::CommandAction(int id) const
{
    return findChild<QAction*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QLabel* CMainFrame::AddIndicator(int id)
{
    auto* pane = new QLabel(m_wndStatusBar);
    pane->setObjectName(QString::number(id));
    // Wide enough for its text whether the key is on or off.
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(ToQString(LoadString(id))) + 8);
    pane->setAlignment(Qt::AlignCenter);
    m_wndStatusBar->addPermanentWidget(pane);
    return pane;
}

bool CMainFrame::Create()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QSize screenSize = screen->size();
    move(0, 0);
    resize(screenSize.width(), screenSize.height() - 30);

    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QString::number(kStatusBarId));
    setStatusBar(m_wndStatusBar);
    // The message pane: "Ready" whenever no menu item's prompt is shown.
    const QString idle = ToQString(LoadString(AFX_IDS_IDLEMESSAGE));
    connect(m_wndStatusBar, &QStatusBar::messageChanged, m_wndStatusBar, [this, idle](const QString& text) {
        if (text.isEmpty())
            m_wndStatusBar->showMessage(idle);
    });
    m_wndStatusBar->showMessage(idle);
    m_caps = AddIndicator(ID_INDICATOR_CAPS);
    m_num = AddIndicator(ID_INDICATOR_NUM);
    m_scrl = AddIndicator(ID_INDICATOR_SCRL);
    qApp->installEventFilter(this);
    UpdateIndicators();
    return true;
}

void CMainFrame::SetDocumentTitle(const std::string& title)
{
    setWindowTitle(ToQString(title) + QStringLiteral(" - ") + ToQString(LoadString(AFX_IDS_APP_TITLE)));
}

void CMainFrame::UpdateIndicators()
{
    if (!m_caps)
        return;
    const std::optional<LockKeyState> state = QueryLockKeys();
    auto show = [](QLabel* pane, bool on, int id) { pane->setText(on ? ToQString(LoadString(id)) : QString()); };
    show(m_caps, state && state->caps, ID_INDICATOR_CAPS);
    show(m_num, state && state->num, ID_INDICATOR_NUM);
    show(m_scrl, state && state->scroll, ID_INDICATOR_SCRL);
}

bool CMainFrame::IsEditCommandKey(const QKeyEvent& key) const
{
    const QKeySequence pressed(QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    for (int id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO})
        if (CommandAction(id)->shortcuts().contains(pressed))
            return true;
    return false;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Nothing handles the window's copy, cut, paste and undo: in a text
        // control these keys are the control's, not the window's.
        if (IsTextControl(QApplication::focusWidget()) && QApplication::focusWidget()->window() == this
            && IsEditCommandKey(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyRelease:
    case QEvent::ApplicationActivate:
    case QEvent::WindowActivate:
        if (watched == this || event->type() != QEvent::WindowActivate)
            UpdateIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closeQuery && !m_closeQuery()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
