#pragma once

#include <string>
#include <vector>

class CVesmarDoc;
class IDocumentObserver;
class IDocumentPrompts;
class IMessageSink;

// The commands New, Open, Save and Save As, the save question before a
// modified case is dropped, and the opening of a file named on the command
// line. The window binds its menu commands and its close event to these; the
// dialogs and questions go through IDocumentPrompts, messages through
// IMessageSink, and the form learns of a replaced case through
// IDocumentObserver.
class CDocManager {
public:
    CDocManager(CVesmarDoc& doc, IDocumentPrompts& prompts, IMessageSink& sink);

    // The form and the main window; may be null (no one to tell).
    void SetObserver(IDocumentObserver* observer) { m_pObserver = observer; }

    // Each returns true when the command was carried out; false when the user
    // cancelled or it failed (the failure has been told).
    bool OnFileNew();    // File > New and the first case at start-up
    bool OnFileOpen();   // File > Open
    bool OnFileSave();   // File > Save (Save As for a case without a file)
    bool OnFileSaveAs(); // File > Save As

    // Before the case is dropped (New, Open, closing the main window): when
    // the case is modified, asks "Save changes to %1?"; Yes saves as Save
    // does. True to go on, false to stay (Cancel, or the save failed).
    bool SaveModified();

    // Start-up with a file name: opens it without question or dialog. False
    // when it could not be opened or read; the program then ends.
    bool OpenDocumentFile(const std::string& path);

    // The name Save As proposes: the file's path, or for a case without a
    // file the title cut before its first blank, '#', '%', ';', '/' or '\',
    // with ".drg" appended.
    static std::string ProposedSaveName(const CVesmarDoc& doc);
    // path with ".drg" appended when its file name has no extension.
    static std::string WithDefaultExtension(const std::string& path);
    // "Vesmar-Files (*.drg)", "All Files (*.*)".
    static std::vector<std::string> FileFilters();

private:
    bool DoSave(const std::string& path);
    void NotifyReplaced();

    CVesmarDoc& m_doc;
    IDocumentPrompts& m_prompts;
    IMessageSink& m_sink;
    IDocumentObserver* m_pObserver = nullptr;
};
