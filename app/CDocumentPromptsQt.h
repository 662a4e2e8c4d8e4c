#pragma once

#include "IDocumentPrompts.h"

class IDialogRunner;
class QWidget;

// The document commands' questions as the window asks them: the Open and
// Save As file dialogs and the Yes/No/Cancel save question.
class CDocumentPromptsQt : public IDocumentPrompts {
public:
    explicit CDocumentPromptsQt(IDialogRunner& runner);

    // The window the dialogs belong to (the main window once it exists).
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::optional<std::string> askOpenPath(const FileDialogRequest& request) override;
    std::optional<std::string> askSavePath(const FileDialogRequest& request) override;
    SaveAnswer askSaveChanges(const std::string& question) override;

private:
    std::optional<std::string> askPath(const FileDialogRequest& request, bool save);

    IDialogRunner& m_runner;
    QWidget* m_owner = nullptr;
};
