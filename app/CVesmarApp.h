#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CStringList.h"
#include "IDocumentObserver.h"

class CCommandLineInfo;
class CDatabase;
class CDocManager;
class CMainFrame;
class CVesmarDoc;
class CVesmarView;
class IDialogRunner;
class IDocumentPrompts;
class IMessageSink;
class QPrinter;

// The application: start-up, the shared connection and the catalogue, the
// one case with its main window and form, and the commands of the shell.
// Messages, modal dialogs and the document questions go through the given
// interfaces, so tests run the whole start-up headless.
class CVesmarApp : private IDocumentObserver {
public:
    CVesmarApp(IMessageSink& sink, IDialogRunner& runner, IDocumentPrompts& prompts);
    ~CVesmarApp() override;
    CVesmarApp(const CVesmarApp&) = delete;
    CVesmarApp& operator=(const CVesmarApp&) = delete;

    // Connection, catalogue, the command line (arguments without the
    // program's name), and the main window shown. Database failures never
    // stop it. False ends the program: a file that could not be opened, a
    // window that could not be created, or a command line that asks to end
    // after its work (printing, unregistering); ExitCode() tells which.
    bool InitInstance(const std::vector<std::string>& args);
    int ExitCode() const { return m_nExitCode; }

    // Start-up's data: opens m_pDB (created before the attempt, whatever its
    // outcome) from the stored settings and, when it opened, loads m_icdList
    // behind the loading dialog. Failures are told through the message sink.
    void OpenReferenceData();

    void OnAppAbout();
    void OnConfiguration();
    // Ctrl+P: the print dialog, then the form's page (it prints nothing).
    void OnFilePrint();

    std::unique_ptr<CDatabase> m_pDB;
    CStringList m_icdList;

    CVesmarDoc& Document() { return *m_pDoc; }
    CDocManager& DocManager() { return *m_pDocManager; }
    // Null until the command line has created them.
    CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
    CVesmarView* View() const { return m_pView; }

private:
    bool ProcessShellCommand(const CCommandLineInfo& cmdInfo);
    bool CreateMainWindow();
    // Prints the open case without a dialog, on the default or the named
    // printer; tells the user when there is no such printer.
    void PrintDirect(const std::string& printerName);
    // One page on printer; false when the job could not be started.
    bool PrintPage(QPrinter& printer);

    void caseReplaced() override;
    void titleChanged() override;

    IMessageSink& m_sink;
    IDialogRunner& m_runner;
    std::unique_ptr<CVesmarDoc> m_pDoc;
    std::unique_ptr<CDocManager> m_pDocManager;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    CVesmarView* m_pView = nullptr; // owned by the main window
    int m_nExitCode = 0;
};
