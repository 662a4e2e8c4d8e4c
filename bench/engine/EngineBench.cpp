// Grouping benchmark: one case of 10 chosen and 10 bi-diagnoses on a generated
// reference set of realistic size (the full ICD-10-CM catalogue, DG1 rows for
// every code, a decision table of more than 2,000 rules), in its own database.
// It prints the statements one run sends, the wall time of determineDRG, and
// the time the same statements take sent bare through the cursor layer.
//
//   source <refdb state>/env; vesmar_engine_bench [repetitions]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "CDatabase.h"
#include "CDetermineDRG.h"
#include "CGroupingTrace.h"
#include "CPatient.h"
#include "CRecordset.h"
#include "EngineObserver.h"
#include "MessageSink.h"
#include "Progress.h"
#include "ReferenceSet.h"
#include "TestDb.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kDb = "vb_engine";

class NoMessages : public IMessageSink {
public:
    void showMessage(const std::string&, MessageIcon, const std::string&) override { ++shown; }
    int shown = 0;
};

class StatementLog : public IEngineObserver {
public:
    void passFinished(const CPassTrace&) override {}
    void statementSending(const std::string& sql) override { statements.push_back(sql); }
    std::vector<std::string> statements;
};

struct Case {
    CStringList chosen;
    CStringList bi;
};

std::vector<CDRGResult> group(CDatabase& db, const Case& c, NoMessages& messages, IEngineObserver* observer)
{
    CPatient patient;
    patient.setFemale();
    patient.setAge(26000);
    CSilentProgress progress;
    std::vector<CDRGResult> results;
    CDetermineDRG engine(&patient, messages);
    engine.setDatabase(&db);
    engine.setDiagnoses(&c.chosen, &c.bi);
    engine.setDischarge("");
    engine.setDuration(6);
    engine.setObserver(observer);
    engine.determineDRG(results, progress);
    return results;
}

void sendBare(CRecordset& rs, const std::vector<std::string>& statements, bool readValues)
{
    std::string value;
    for (const std::string& sql : statements) {
        rs.Open(sql);
        const short columns = rs.GetODBCFieldCount();
        for (; !rs.IsEOF(); rs.MoveNext())
            for (short i = 0; readValues && i < columns; ++i)
                rs.GetFieldValue(i, value);
        rs.Close();
    }
}

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
        const Catalogue cat = readCatalogue();
        loadReferenceSet(cat, kDb);

        // Ten chosen and ten bi-diagnoses spread over the catalogue.
        Case c;
        std::mt19937 pick(7);
        for (int i = 0; i < 20; ++i)
            (i < 10 ? c.chosen : c.bi).AddTail(entry(cat, pick() % cat.codes.size()));

        CDatabase db;
        db.OpenEx(testdb::connectString(kDb));
        NoMessages messages;
        StatementLog log;
        const std::vector<CDRGResult> results = group(db, c, messages, &log);
        std::printf("case: 10 chosen, 10 bi-diagnoses; results:");
        for (const CDRGResult& r : results)
            std::printf(" %s=%s", r.m_diagnosis.c_str(), r.m_drg.c_str());
        std::printf("\nstatements sent by one determineDRG: %zu (%d messages)\n", log.statements.size(),
                    messages.shown);

        // Interleaved so that drift of the server or the machine hits all three alike.
        CRecordset bare(&db);
        std::vector<double> engineMs, stepMs, readMs, tracedMs;
        for (int r = 0; r < repetitions + 1; ++r) {
            auto t0 = Clock::now();
            group(db, c, messages, nullptr);
            auto t1 = Clock::now();
            sendBare(bare, log.statements, false);
            auto t2 = Clock::now();
            sendBare(bare, log.statements, true);
            auto t3 = Clock::now();
            // As the form and vesmar-cli run it: with the grouping trace collected.
            CGroupingTrace trace(c.chosen);
            group(db, c, messages, &trace);
            auto t4 = Clock::now();
            if (r == 0)
                continue; // warm-up
            engineMs.push_back(millis(t1 - t0));
            stepMs.push_back(millis(t2 - t1));
            readMs.push_back(millis(t3 - t2));
            tracedMs.push_back(millis(t4 - t3));
        }
        const double e = median(engineMs), s = median(stepMs), v = median(readMs), t = median(tracedMs);
        std::printf("repetitions: %d (medians)\n", repetitions);
        std::printf("determineDRG wall time:                         %8.3f ms\n", e);
        std::printf("same statements bare (open, step rows, close):  %8.3f ms\n", s);
        std::printf("same statements bare (reading every value):     %8.3f ms\n", v);
        std::printf("engine overhead over the bare statements:       %+7.1f %% (target <= 10 %%)\n",
                    (e - s) / s * 100.0);
        std::printf("determineDRG with the grouping trace:           %8.3f ms (%.3f x without)\n", t, t / e);
        std::printf("per statement: engine %.1f us, bare %.1f us\n", e * 1000 / log.statements.size(),
                    s * 1000 / log.statements.size());
        return 0;
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "vesmar_engine_bench: %s\n", ex.what());
        return 1;
    }
}
