#pragma once

#include <QDialog>

// Help > About (template 100): icon, version line, one line of our own and OK.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
