#pragma once

#include <QDialog>

#include "Progress.h"

class QLabel;
class QProgressBar;

// The modeless "Loading diagnoses" window shown while the catalogue loads
// (template 142). The loader drives it through IProgress; the exact position
// is kept here, and the bar is only updated (and so repainted) when the
// position moves it by at least one pixel, so 95,000 steps cost a few hundred
// repaints rather than 95,000.
class CLoadingDlg : public QDialog, public IProgress {
public:
    CLoadingDlg();

    // Shows the window and paints it at once: no event loop runs while the
    // catalogue loads.
    void ShowAndPaint();

    void SetTotal(int total);
    void Step();

    void setRange(int low, int high) override;
    int position() const override;
    void setPosition(int pos) override;

    int total() const { return m_nTotal; }
    // The value the bar shows: lags the position by less than one pixel.
    int shownPosition() const;

private:
    int pixelOf(int pos) const;

    QLabel* m_text;
    QProgressBar* m_progress;
    int m_nTotal = 0;
    int m_nLow = 0;
    int m_nPos = 0;
};
