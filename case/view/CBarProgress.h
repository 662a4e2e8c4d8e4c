#pragma once

#include "Progress.h"

class QProgressBar;

// The form's progress bar as the engine drives it. Positions outside the
// range are clamped to it, as a native progress control does (a Qt bar
// would ignore them), and a bar that has never been moved reads as its low
// end, so that advancing it counts from there.
class CBarProgress : public IProgress {
public:
    explicit CBarProgress(QProgressBar* bar);

    void setRange(int low, int high) override;
    int position() const override;
    void setPosition(int pos) override;

private:
    QProgressBar* m_pBar;
};
