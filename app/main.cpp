#include <string>
#include <vector>

#include <QApplication>
#include <QFile>

#include "CDocumentPromptsQt.h"
#include "CMainFrame.h"
#include "CMessageBoxSink.h"
#include "CVesmarApp.h"
#include "DialogRunner.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Qt's own options (-platform, -style ...) are gone from arguments() now.
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.emplace_back(QFile::encodeName(arguments[i]).constData());

    CMessageBoxSink sink;
    CModalDialogRunner runner;
    CDocumentPromptsQt prompts(runner);
    CVesmarApp theApp(sink, runner, prompts);
    if (!theApp.InitInstance(args))
        return theApp.ExitCode();
    // Start-up's boxes had no owner; from now on the main window owns them.
    sink.setOwner(theApp.MainFrame());
    prompts.setOwner(theApp.MainFrame());
    return QApplication::exec();
}
