#pragma once

#include <QProgressBar>

// The form's progress bar. A range whose low and high ends are equal (the
// engine's range for a case without chosen diagnoses) is drawn as an empty,
// still bar; Qt would draw 0..0 as an endless busy animation, although
// nothing is running. The range and value themselves stay as set.
class CProgressCtrl : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* event) override;
};
