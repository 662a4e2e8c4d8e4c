#pragma once

#include <optional>
#include <string>
#include <vector>

// What the Open and Save As dialogs are given.
struct FileDialogRequest {
    // Save As: the file's full path, or for a case without a file a name made
    // from its title ("patient.drg"). Open: empty. File-system bytes.
    std::string proposedPath;
    // "Vesmar-Files (*.drg)" then "All Files (*.*)", in this order.
    std::vector<std::string> filters;
    // ".drg". CDocManager appends it itself to a chosen name without
    // extension, so a dialog need not.
    std::string defaultExtension;
};

enum class SaveAnswer { Yes, No, Cancel };

// The questions the document commands ask the user. The window implements it
// with file dialogs and a message box; tests answer from a script.
class IDocumentPrompts {
public:
    virtual ~IDocumentPrompts() = default;
    // The chosen file's path, or nothing when the user cancelled.
    virtual std::optional<std::string> askOpenPath(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> askSavePath(const FileDialogRequest& request) = 0;
    // question is the whole text, "Save changes to patient?" (Windows-1252),
    // shown with Yes, No and Cancel, the exclamation icon and caption "Vesmar".
    virtual SaveAnswer askSaveChanges(const std::string& question) = 0;
};
