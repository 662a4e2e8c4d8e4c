#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog-template units to pixels from a font's metrics, the way
// dialog templates are laid out: a horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its height.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int x(int units) const;
    int y(int units) const;
    QSize size(int width, int height) const;
    QRect rect(int left, int top, int width, int height) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};
