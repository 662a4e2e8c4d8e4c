#include "CDialogUnits.h"

#include <QFontMetrics>

namespace {
// The reference string of the platform's average-width computation.
constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}

CDialogUnits::CDialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    m_nBaseX = (metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)) / 26 + 1) / 2;
    m_nBaseY = metrics.height();
}

int CDialogUnits::x(int units) const
{
    return (units * m_nBaseX + 2) / 4;
}

int CDialogUnits::y(int units) const
{
    return (units * m_nBaseY + 4) / 8;
}

QSize CDialogUnits::size(int width, int height) const
{
    return {x(width), y(height)};
}

QRect CDialogUnits::rect(int left, int top, int width, int height) const
{
    return {x(left), y(top), x(width), y(height)};
}
