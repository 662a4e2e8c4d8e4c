// Start-up of the window program to its main window shown, with whatever
// catalogue the private server holds (bench/gui/startup-bench loads the full
// ICD-10-CM one), beside the mariadb client reading the same rows:
//   mariadb --quick -e 'SELECT Code, Text From icd' > /dev/null
// The first start is timed from the process's own start (the kernel's start
// time, 10 ms resolution), so it includes loading the program and Qt; the
// further starts are timed from the construction of the application object
// in the same process. Message boxes would block: any message ends the run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QWindow>

#include "CDocumentPromptsQt.h"
#include "CMainFrame.h"
#include "CVesmarApp.h"
#include "DialogRunner.h"
#include "MessageSink.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Seconds since this process started, from /proc.
double secondsSinceProcessStart()
{
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    // Field 22 (starttime), counted after the command name's closing parenthesis.
    std::size_t pos = stat.rfind(')');
    for (int field = 2; field < 22 && pos != std::string::npos; ++field)
        pos = stat.find(' ', pos + 1);
    const double started = std::strtod(stat.c_str() + pos + 1, nullptr) / double(sysconf(_SC_CLK_TCK));
    std::ifstream uptimeFile("/proc/uptime");
    double uptime = 0;
    uptimeFile >> uptime;
    return uptime - started;
}

class FailingSink : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon, const std::string&) override
    {
        std::fprintf(stderr, "startup bench: the program said: %s\n", text.c_str());
        std::exit(1);
    }
};

// One start: application object, InitInstance, and the main window exposed
// and painted.
double startOnce(FailingSink& sink, std::size_t& entries)
{
    const Clock::time_point start = Clock::now();
    CModalDialogRunner runner;
    CDocumentPromptsQt prompts(runner);
    CVesmarApp app(sink, runner, prompts);
    if (!app.InitInstance({})) {
        std::fprintf(stderr, "startup bench: start-up failed\n");
        std::exit(1);
    }
    QWindow* window = app.MainFrame()->windowHandle();
    while (!window->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    entries = app.m_icdList.GetCount();
    return seconds(Clock::now() - start);
}

double clientOnce()
{
    const char* socket = std::getenv("VESMAR_DB_SOCKET");
    const std::string command = std::string("mariadb --no-defaults -u root --socket='") + (socket ? socket : "")
        + "' --quick -e 'SELECT Code, Text From icd' Vesmar > /dev/null";
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "startup bench: the mariadb client failed\n");
        std::exit(1);
    }
    return seconds(Clock::now() - start);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const double qtReady = secondsSinceProcessStart();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    FailingSink sink;

    std::size_t entries = 0;
    startOnce(sink, entries);
    const double firstFromProcessStart = secondsSinceProcessStart();

    std::vector<double> starts, clients;
    for (int i = 0; i < runs; ++i) {
        starts.push_back(startOnce(sink, entries));
        clients.push_back(clientOnce());
    }
    std::printf("platform: %s, catalogue entries: %zu, runs: %d\n",
                qPrintable(QGuiApplication::platformName()), entries, runs);
    std::printf("process start to QApplication constructed:        %.3f s\n", qtReady);
    std::printf("first start, process start to main window shown: %.3f s\n", firstFromProcessStart);
    std::printf("start to main window shown (median, min, max):    %.3f s  %.3f s  %.3f s\n", median(starts),
                *std::min_element(starts.begin(), starts.end()), *std::max_element(starts.begin(), starts.end()));
    std::printf("mariadb --quick -e 'SELECT Code, Text From icd':  %.3f s (median)\n", median(clients));
    std::printf("target: start at most 1.0 s -> %s\n", std::max(firstFromProcessStart, median(starts)) <= 1.0 ? "met" : "MISSED");
    return 0;
}
