#pragma once

#include <QDialog>

class CGroupingTrace;
class QPlainTextEdit;

// View > Grouping details...: a window of its own beside the form that shows
// how the last Process grouped the case (GroupingDetailsLines), pass by
// pass. It only shows what it is given; the application hands it the
// form's trace whenever that changes. Dialog 143: the read-only text 1100
// and the button "Close" (2).
class CGroupingDetailsDlg : public QDialog {
public:
    explicit CGroupingDetailsDlg(QWidget* parent = nullptr);

    // trace: the last Process of the case, or null when none has run. Not kept.
    void ShowTrace(const CGroupingTrace* trace);

private:
    QPlainTextEdit* m_text = nullptr;
};
