#pragma once

#include <QDialog>

// Runs a modal dialog and returns its result. The program runs it with
// exec(); headless tests substitute a runner that works the dialog's
// controls and returns without entering a nested event loop.
class IDialogRunner {
public:
    virtual ~IDialogRunner() = default;
    virtual int run(QDialog& dialog) = 0;
};

class CModalDialogRunner : public IDialogRunner {
public:
    int run(QDialog& dialog) override { return dialog.exec(); }
};
