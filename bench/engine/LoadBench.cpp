// Many coders on one server: N simulated coders (threads), each with its own
// connection and form look-up cursor, press Process without pause on random
// cases over the full-catalogue reference set (the engine benchmark's
// generated set, in a database of its own). For N = 1, 10 and 50 it prints
// Processes per second, the p50/p95/p99 latency of one Process, the errors
// and the server's statements per second (SHOW GLOBAL STATUS: Questions).
//
//   source <refdb state>/env; vesmar_load_bench [seconds per N]   (default 20)

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "CDBException.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "MessageSink.h"
#include "ProcessCommand.h"
#include "Progress.h"
#include "ReferenceSet.h"
#include "TestDb.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kDb = "vb_load";

class NoMessages : public IMessageSink {
public:
    void showMessage(const std::string&, MessageIcon, const std::string&) override {}
};

// A case as coders enter them: one to four chosen diagnoses and up to three
// bi-diagnoses from the whole catalogue, an adult or a child, either sex,
// the discharge mostly empty, a stay of a few days.
struct Case {
    CStringList chosen;
    CStringList bi;
    CProcessInput input;
    int ageDays = 0;
};

Case randomCase(const Catalogue& cat, std::mt19937& rng)
{
    Case c;
    const auto pick = [&] { return entry(cat, rng() % cat.codes.size()); };
    for (unsigned i = 0, n = 1 + rng() % 4; i < n; ++i)
        c.chosen.AddTail(pick());
    for (unsigned i = 0, n = rng() % 4; i < n; ++i)
        c.bi.AddTail(pick());
    static const char* const discharges[] = {"", "", "", "", "E", "R", "L"};
    c.input.male = rng() % 2;
    c.input.discharge = discharges[rng() % 7];
    c.input.duration = int(rng() % 15);
    c.input.chosen = &c.chosen;
    c.input.bi = &c.bi;
    c.ageDays = int(rng() % 32000);
    return c;
}

long questions()
{
    return std::stol(testdb::query("SHOW GLOBAL STATUS LIKE 'Questions'").at(0).at(1));
}

struct CoderResult {
    std::vector<double> latencyMs;
    int errors = 0;
    std::string firstError;
};

void coder(const Catalogue& cat, unsigned seed, const std::atomic<bool>& go, const std::atomic<bool>& stop,
           CoderResult& out)
{
    try {
        CDatabase db;
        {
            // The driver sets up the client library on its first use; one open at a time.
            static std::mutex opening;
            const std::lock_guard<std::mutex> lock(opening);
            db.OpenEx(testdb::connectString(kDb), CDatabase::openReadOnly);
        }
        CRecordset lookupSet(&db);
        CSilentProgress progress;
        NoMessages messages;
        std::mt19937 rng(seed);
        while (!go)
            std::this_thread::yield();
        while (!stop) {
            const Case c = randomCase(cat, rng);
            const auto t0 = Clock::now();
            try {
                GroupCase(c.input, c.ageDays, db, lookupSet, progress, messages);
            } catch (const CDBException& e) {
                if (out.errors++ == 0)
                    out.firstError = e.m_strError;
                continue;
            }
            out.latencyMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
    } catch (const CDBException& e) {
        ++out.errors;
        out.firstError = "open: " + e.m_strError;
    }
}

double percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0;
    const std::size_t i = std::min(sorted.size() - 1, std::size_t(p / 100.0 * double(sorted.size())));
    return sorted[i];
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
        const Catalogue cat = readCatalogue();
        loadReferenceSet(cat, kDb);
        std::printf("%d s per N, think time 0, one connection per coder, loopback\n", seconds);
        std::printf("%4s %12s %9s %9s %9s %7s %14s\n", "N", "Processes/s", "p50 ms", "p95 ms", "p99 ms", "errors",
                    "statements/s");
        int allErrors = 0;
        for (int n : {1, 10, 50}) {
            std::vector<CoderResult> results(static_cast<std::size_t>(n));
            std::vector<std::thread> coders;
            std::atomic<bool> go{false}, stop{false};
            for (int i = 0; i < n; ++i)
                coders.emplace_back(coder, std::cref(cat), unsigned(1000 + i), std::cref(go), std::cref(stop),
                                    std::ref(results[std::size_t(i)]));
            // Every coder has connected before the clock starts.
            std::this_thread::sleep_for(std::chrono::milliseconds(500 + 20 * n));
            const long q0 = questions();
            const auto t0 = Clock::now();
            go = true;
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            stop = true;
            for (std::thread& t : coders)
                t.join();
            const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
            const long q1 = questions();

            std::vector<double> all;
            int errors = 0;
            std::string firstError;
            for (const CoderResult& r : results) {
                all.insert(all.end(), r.latencyMs.begin(), r.latencyMs.end());
                errors += r.errors;
                if (firstError.empty())
                    firstError = r.firstError;
            }
            std::sort(all.begin(), all.end());
            allErrors += errors;
            // Questions counts the two status queries as well; they are noise.
            std::printf("%4d %12.1f %9.2f %9.2f %9.2f %7d %14.0f\n", n, double(all.size()) / elapsed,
                        percentile(all, 50), percentile(all, 95), percentile(all, 99), errors,
                        double(q1 - q0) / elapsed);
            if (!firstError.empty())
                std::printf("     first error: %s", firstError.c_str());
            std::fflush(stdout);
        }
        return allErrors == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vesmar_load_bench: %s\n", e.what());
        return 1;
    }
}
