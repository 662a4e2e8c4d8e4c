#include "CBarProgress.h"

#include <QProgressBar>

#include <algorithm>

CBarProgress::CBarProgress(QProgressBar* bar)
    : m_pBar(bar)
{
}

void CBarProgress::setRange(int low, int high)
{
    const int pos = position();
    m_pBar->setRange(low, std::max(low, high));
    setPosition(pos);
}

int CBarProgress::position() const
{
    return std::max(m_pBar->value(), m_pBar->minimum());
}

void CBarProgress::setPosition(int pos)
{
    // setValue repaints the bar at once; it does not run the event loop, so
    // no other input is taken while a command drives the bar.
    m_pBar->setValue(std::clamp(pos, m_pBar->minimum(), m_pBar->maximum()));
}
