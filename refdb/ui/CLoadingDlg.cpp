#include "CLoadingDlg.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>

#include "CDialogUnits.h"
#include "QtText.h"
#include "StringTable.h"

CLoadingDlg::CLoadingDlg()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("142"));
    setWindowTitle(ToQString(LoadString(AFX_IDS_APP_TITLE)));
    const CDialogUnits units(font());
    setFixedSize(units.size(186, 95));

    m_text = new QLabel(ToQString(LoadString(IDS_LOADING_TEXT)), this);
    m_text->setObjectName(QStringLiteral("1043"));
    m_text->setGeometry(units.rect(51, 23, 73, 17));
    m_text->setWordWrap(false);
    FitStaticText(m_text);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("1042"));
    m_progress->setGeometry(units.rect(37, 49, 104, 14));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    // A range of 0..0 would make the bar animate as "busy"; until the total
    // is known it shows an empty bar.
    m_progress->setMaximum(1);
}

void CLoadingDlg::ShowAndPaint()
{
    show();
    // Let the window system map and expose the window, then paint it now;
    // no user input is taken.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void CLoadingDlg::SetTotal(int total)
{
    setRange(0, total);
}

void CLoadingDlg::Step()
{
    setPosition(position() + 1);
}

void CLoadingDlg::setRange(int low, int high)
{
    m_nLow = low;
    m_nTotal = high;
    m_nPos = low;
    m_progress->setRange(low, high > low ? high : low + 1);
    m_progress->setValue(low);
}

int CLoadingDlg::position() const
{
    return m_nPos;
}

int CLoadingDlg::pixelOf(int pos) const
{
    const long long span = static_cast<long long>(m_nTotal) - m_nLow;
    if (span <= 0)
        return 0;
    return static_cast<int>((static_cast<long long>(pos) - m_nLow) * m_progress->width() / span);
}

void CLoadingDlg::setPosition(int pos)
{
    const int before = m_nPos;
    m_nPos = pos;
    if (pos == m_nTotal || pixelOf(pos) != pixelOf(m_progress->value()) || pos < before) {
        m_progress->setValue(pos);
        m_progress->repaint();
        // Lets the window system expose and flush the bar; user input waits.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

int CLoadingDlg::shownPosition() const
{
    return m_progress->value();
}
