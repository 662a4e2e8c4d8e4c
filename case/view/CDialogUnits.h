#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

class QLabel;

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

// Gives a static text the room its texts need in the font the machine draws
// it with: the template's rectangle sized for the designer's font, grown to
// the right and downwards where one of the texts (its own and any it shows
// later) would be clipped. Never shrinks it.
void FitStaticText(QLabel* label, const QStringList& alsoShown = {});
