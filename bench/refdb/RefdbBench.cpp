// Starts a private server of its own (state in a temporary folder, port
// VESMAR_BENCH_PORT or 33081), loads the full ICD-10-CM catalogue into its
// database Vesmar and prints, per measurement, the median and the fastest of
// several runs:
//   - server start: fresh (install + start + sample data) and restart;
//   - mariadb --quick -e 'SELECT Code, Text From icd' > /dev/null;
//   - the same rows as a bulk read through CIcdSet (rowsets of 5000);
//   - LoadCatalogue with a counting progress, and its peak memory.

#include "CDBException.h"
#include "CDatabase.h"
#include "CIcdSet.h"
#include "CStringList.h"
#include "CatalogueLoader.h"
#include "MessageSink.h"
#include "Progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const std::function<void()>& action)
{
    auto start = Clock::now();
    action();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double median;
    double fastest;
};

Figures repeat(int runs, const std::function<void()>& action)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(seconds(action));
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

void run(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

// Peak and current resident memory of this process, in KiB.
long statusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::char_traits<char>::length(field));
    return -1;
}

class CCountingProgress : public CSilentProgress {
public:
    explicit CCountingProgress(long& steps) : m_steps(steps) {}
    void setPosition(int pos) override
    {
        ++m_steps;
        CSilentProgress::setPosition(pos);
    }

private:
    long& m_steps;
};

class CPrintingSink : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon, const std::string&) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++m_count;
    }
    int m_count = 0;
};

// The bench's own server, stopped whatever happens.
class PrivateServer {
public:
    PrivateServer(std::string state, std::string port) : m_state(std::move(state)), m_port(std::move(port)) {}
    ~PrivateServer() { std::system((script("stop") + " > /dev/null").c_str()); }

    std::string script(const std::string& args) const
    {
        return "VESMAR_REFDB_DIR='" + m_state + "' VESMAR_DB_PORT=" + m_port + " '" VESMAR_SOURCE_DIR
               "/scripts/refdb' " + args;
    }

private:
    std::string m_state;
    std::string m_port;
};

void print(const char* what, Figures f)
{
    std::printf("%-64s %9.3f s  (fastest %.3f s)\n", what, f.median, f.fastest);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const char* portEnv = std::getenv("VESMAR_BENCH_PORT");
    std::string port = portEnv && *portEnv ? portEnv : "33081";
    char folder[] = "/tmp/vesmar-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string state = folder;

    try {
        PrivateServer server(state, port);
        const std::string quiet = " > /dev/null";
        double fresh = seconds([&] { run(server.script("start") + quiet); });
        std::vector<double> starts;
        for (int i = 0; i < runs; ++i) {
            run(server.script("stop") + quiet);
            starts.push_back(seconds([&] { run(server.script("start") + quiet); }));
        }
        std::sort(starts.begin(), starts.end());
        Figures restart{starts[starts.size() / 2], starts.front()};
        run(server.script("load-icd10cm Vesmar") + quiet);

        setenv("ODBCSYSINI", state.c_str(), 1);
        CDatabase db;
        db.OpenEx("DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=127.0.0.1;PORT=" + port +
                      ";UID=vesmar;PASSWORD=vesmar",
                  CDatabase::openReadOnly);

        // First, while the process is small: the catalogue's own peak memory.
        long rssBefore = statusKiB("VmRSS:");
        long steps = 0;
        CStringList catalogue;
        CPrintingSink sink;
        double firstLoad = seconds([&] {
            LoadCatalogue(db, catalogue, sink, [&] { return std::make_unique<CCountingProgress>(steps); });
        });
        long peak = statusKiB("VmHWM:");
        std::size_t entries = catalogue.GetCount();
        catalogue.RemoveAll();

        const std::string client = "mariadb --no-defaults --quick -h 127.0.0.1 -P " + port +
                                   " -u vesmar -pvesmar Vesmar -e 'SELECT Code, Text From icd' > /dev/null";
        Figures clientTime = repeat(runs, [&] { run(client); });

        long rows = 0;
        Figures bulk = repeat(runs, [&] {
            CIcdSet set(&db);
            set.SetRowsetSize(CIcdSet::kRowsetSize);
            set.Open(CIcdSet::kSql, CRecordset::useMultiRowFetch);
            rows = 0;
            while (!set.IsEOF()) {
                rows += set.GetRowsFetched();
                set.MoveNext();
            }
            set.Close();
        });

        long laterSteps = 0;
        Figures load = repeat(runs, [&] {
            CStringList list;
            LoadCatalogue(db, list, sink, [&] { return std::make_unique<CCountingProgress>(laterSteps); });
        });

        std::printf("Vesmar reference database figures (%d runs each; median, fastest)\n", runs);
        std::printf("%-64s %9.3f s\n", "server start, fresh (install, start, sample data)", fresh);
        print("server start of an existing data folder (scripts/refdb start)", restart);
        print("mariadb --quick -e 'SELECT Code, Text From icd' >/dev/null", clientTime);
        char what[128];
        std::snprintf(what, sizeof what, "bulk read through CIcdSet (%ld rows)", rows);
        print(what, bulk);
        std::snprintf(what, sizeof what, "LoadCatalogue (%zu entries)", entries);
        print(what, load);
        std::printf("%-64s %9.3f s\n", "LoadCatalogue, first run", firstLoad);
        std::printf("LoadCatalogue / client: %.2f (target at most 2)\n", load.median / clientTime.median);
        std::printf("bulk read / client:     %.2f\n", bulk.median / clientTime.median);
        std::printf("progress steps in the first load: %ld, messages: %d\n", steps, sink.m_count);
        std::printf("peak memory: %.1f MiB resident before the first load, %.1f MiB peak after it (+%.1f MiB)\n",
                    rssBefore / 1024.0, peak / 1024.0, (peak - rssBefore) / 1024.0);
    } catch (const CDBException& e) {
        std::fprintf(stderr, "database error %ld: %s\n", e.m_nRetCode, e.m_strError.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    run("rm -rf '" + state + "'");
    return 0;
}
