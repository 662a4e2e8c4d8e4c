#include "CTerminalProgress.h"

#include <unistd.h>

CTerminalProgress::CTerminalProgress(std::string label, std::FILE* terminal)
    : m_strLabel(std::move(label)), m_terminal(isatty(fileno(terminal)) ? terminal : nullptr)
{
}

CTerminalProgress::~CTerminalProgress()
{
    finish();
}

void CTerminalProgress::setRange(int low, int high)
{
    m_nLow = low;
    m_nHigh = high;
    m_nShownPercent = -1;
    draw();
}

void CTerminalProgress::setPosition(int pos)
{
    m_nPos = pos;
    draw();
}

void CTerminalProgress::draw()
{
    if (!m_terminal || m_nHigh <= m_nLow)
        return;
    long long done = static_cast<long long>(m_nPos) - m_nLow;
    long long span = static_cast<long long>(m_nHigh) - m_nLow;
    int percent = static_cast<int>(done < 0 ? 0 : done >= span ? 100 : done * 100 / span);
    if (percent == m_nShownPercent)
        return;
    m_nShownPercent = percent;
    constexpr int width = 40;
    std::string bar(width * percent / 100, '#');
    bar.resize(width, '.');
    std::fprintf(m_terminal, "\r%s [%s] %3d%%", m_strLabel.c_str(), bar.c_str(), percent);
    std::fflush(m_terminal);
}

void CTerminalProgress::finish()
{
    if (m_terminal && m_nShownPercent >= 0) {
        // Blank the bar's line so the messages and output that follow start clean.
        std::fprintf(m_terminal, "\r%*s\r", static_cast<int>(m_strLabel.size()) + 48, "");
        std::fflush(m_terminal);
    }
    m_nShownPercent = -1;
}
