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
#include "CatalogueTsv.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "CRecordset.h"
#include "EngineObserver.h"
#include "MessageSink.h"
#include "Progress.h"
#include "TestDb.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kDb = "vb_engine";
const std::string kSource = VESMAR_SOURCE_DIR;
struct Catalogue {
    std::vector<std::string> codes; // as displayed, with dots
    std::vector<std::string> texts;
};

Catalogue readCatalogue()
{
    Catalogue c;
    for (CatalogueTsvRow& row : ReadCatalogueTsv(DefaultCatalogueTsvPath())) {
        c.codes.push_back(std::move(row.code));
        c.texts.push_back(std::move(row.text));
    }
    return c;
}

std::string mdcOf(const std::string& code)
{
    static const std::map<char, std::string> byChapter{
        {'A', "18"}, {'B', "18"}, {'C', "17"}, {'D', "16"}, {'E', "10"}, {'F', "19"}, {'G', "01"},
        {'H', "02"}, {'I', "05"}, {'J', "04"}, {'K', "06"}, {'L', "09"}, {'M', "08"}, {'N', "11"},
        {'O', "14"}, {'P', "15"}, {'Q', "13"}, {'R', "23"}, {'S', "21"}, {'T', "22"}, {'U', "25"},
        {'V', "24"}, {'W', "24"}, {'X', "24"}, {'Y', "24"}, {'Z', "23"}};
    const auto it = byChapter.find(code.empty() ? ' ' : code[0]);
    return it == byChapter.end() ? "99" : it->second;
}

std::string two(unsigned n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string withoutDots(std::string code)
{
    std::erase(code, '.');
    return code;
}

// Writes DG1, complexcl, complcat and drglogic as a data set folder that
// scripts/refdb loads; the catalogue itself comes from scripts/refdb load-icd10cm.
void writeReferenceSet(const Catalogue& cat, const fs::path& dir)
{
    fs::create_directories(dir);
    std::mt19937 rng(20240601);
    auto chance = [&](unsigned percent) { return rng() % 100 < percent; };

    std::ofstream dg1(dir / "DG1.tsv"), excl(dir / "complexcl.tsv"), ccat(dir / "complcat.tsv"),
        logic(dir / "drglogic.tsv");
    dg1 << "code\tvartype\tvarval\n";
    excl << "code\tcompl\n";
    ccat << "compl\tinclprop\n";
    logic << "icd\tmdc\tdgcat1\tpdgprop\tprocpro1\tor\tsex\tagelim\tdgprop1\tdgprop2\tdgprop3\tdgprop4\tcompl\tdisch"
             "\tdur\tdrg\n";

    std::set<std::string> mdcs;
    std::map<std::string, std::set<std::string>> categoriesOf; // MDC -> DGCATs
    std::vector<std::string> allMdcs;
    for (const std::string& code : cat.codes)
        mdcs.insert(mdcOf(code));
    allMdcs.assign(mdcs.begin(), mdcs.end());

    for (const std::string& code : cat.codes) {
        const std::string key = withoutDots(code);
        const std::string mdc = mdcOf(code);
        const std::string category = code.substr(0, 3);
        const std::string dgcat = mdc + "M" + two(unsigned(std::hash<std::string>{}(category) % 12 + 1));
        categoriesOf[mdc].insert(dgcat);
        dg1 << key << "\tDGCAT\t" << dgcat << "\n";
        if (chance(10))
            dg1 << key << "\tPDGPRO\t" << mdc << "P" << rng() % 3 + 1 << "\n";
        for (int k = 0; k < (chance(50) ? (chance(20) ? 2 : 1) : 0); ++k) {
            const std::string& where = chance(80) ? mdc : allMdcs[rng() % allMdcs.size()];
            dg1 << key << "\tDGPROP\t" << where << "D" << rng() % 4 + 1 << "\n";
        }
        if (chance(15)) {
            const unsigned kind = rng() % 100;
            std::string complValue;
            if (kind < 3)
                complValue = "00C00";
            else if (kind < 15)
                complValue = mdc + "I0" + std::to_string(rng() % 3 + 1);
            else
                complValue = mdc + "C0" + std::to_string(rng() % 5 + 1);
            dg1 << key << "\tCOMPL\t" << complValue << "\n";
            if (complValue[2] == 'C' && complValue != "00C00") {
                excl << key << "\t" << complValue << "\n"; // no code is its own complication
                for (int k = 0; k < 3; ++k)
                    excl << withoutDots(cat.codes[rng() % cat.codes.size()]) << "\t" << complValue << "\n";
            }
        }
    }

    unsigned drg = 0;
    auto rule = [&](const std::string& icd, const std::string& mdc, const std::string& dgcat,
                    std::map<std::string, std::string> more) {
        auto col = [&](const char* name) {
            const auto it = more.find(name);
            return it == more.end() ? std::string("\\N") : it->second;
        };
        logic << icd << "\t" << mdc << "\t" << dgcat << "\t" << col("pdgprop") << "\t" << col("procpro1") << "\t"
              << col("or") << "\t" << col("sex") << "\t" << col("agelim") << "\t" << col("dgprop1") << "\t"
              << col("dgprop2") << "\t\\N\t\\N\t" << col("compl") << "\t" << col("disch") << "\t" << col("dur")
              << "\t" << mdc << two(++drg % 100) << "\n";
    };
    for (const std::string& mdc : allMdcs) {
        for (unsigned i = 1; i <= 3; ++i)
            ccat << mdc << "I0" << i << "\t" << mdc << "D" << i << "\n";
        rule("+", mdc, "\\N", {{"disch", "L"}});
        for (const std::string& g : categoriesOf[mdc]) {
            rule("-", mdc, g, {});
            rule("+", mdc, g, {{"procpro1", "OP1"}, {"or", "+"}});
            rule("+", mdc, g, {{"pdgprop", mdc + "P1"}, {"or", "-"}, {"compl", "1"}});
            rule("+", mdc, g, {{"pdgprop", mdc + "P2"}});
            rule("+", mdc, g, {{"dgprop1", mdc + "D1"}, {"dgprop2", mdc + "D2"}});
            rule("+", mdc, g, {{"agelim", "-6570"}, {"compl", "1"}});
            rule("+", mdc, g, {{"disch", "E"}, {"dur", "-3"}});
            rule("+", mdc, g, {{"sex", "F"}, {"dgprop1", mdc + "D3"}});
            rule("+", mdc, g, {{"compl", "1"}, {"agelim", "23725"}});
            rule("+", mdc, g, {{"dur", "30"}});
            rule("+", mdc, g, {{"or", "-"}, {"compl", "0"}, {"dgprop1", mdc + "D4"}});
        }
        rule("+", mdc, "\\N", {{"compl", "1"}});
        rule("+", mdc, "\\N", {});
    }
    std::printf("reference set: %zu catalogue codes, %u decision rules, %zu MDCs\n", cat.codes.size(), drg,
                allMdcs.size());
}

void loadReferenceSet(const Catalogue& cat)
{
    const fs::path dir = fs::temp_directory_path() / "vesmar-engine-bench";
    writeReferenceSet(cat, dir);
    const std::string script = "'" + kSource + "/scripts/refdb'";
    const std::string load = script + " load '" + dir.string() + "' " + kDb + " >/dev/null && " + script +
                             " load-icd10cm " + kDb + " >/dev/null";
    if (std::system(load.c_str()) != 0)
        throw std::runtime_error("loading the reference set failed: " + load);
    fs::remove_all(dir);
    const auto counts = testdb::query("SELECT (SELECT COUNT(*) FROM icd), (SELECT COUNT(*) FROM DG1), "
                                      "(SELECT COUNT(*) FROM complexcl), (SELECT COUNT(*) FROM drglogic)",
                                      kDb);
    std::printf("loaded into %s: icd %s, DG1 %s, complexcl %s, drglogic %s rows\n", kDb, counts.at(0).at(0).c_str(),
                counts.at(0).at(1).c_str(), counts.at(0).at(2).c_str(), counts.at(0).at(3).c_str());
}

// Catalogue entries as the form holds them: code, blanks, text.
std::string entry(const Catalogue& cat, std::size_t i)
{
    return cat.codes[i] + std::string(cat.codes[i].size() == 3 ? 7 : 4, ' ') + cat.texts[i];
}

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
        rs.Open(CRecordset::snapshot, sql);
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
        loadReferenceSet(cat);

        // Ten chosen and ten bi-diagnoses spread over the catalogue.
        Case c;
        std::mt19937 pick(7);
        for (int i = 0; i < 20; ++i)
            (i < 10 ? c.chosen : c.bi).AddTail(entry(cat, pick() % cat.codes.size()));

        CDatabase db;
        db.OpenEx(testdb::connectString(kDb), CDatabase::noOdbcDialog);
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
        std::vector<double> engineMs, stepMs, readMs;
        for (int r = 0; r < repetitions + 1; ++r) {
            auto t0 = Clock::now();
            group(db, c, messages, nullptr);
            auto t1 = Clock::now();
            sendBare(bare, log.statements, false);
            auto t2 = Clock::now();
            sendBare(bare, log.statements, true);
            auto t3 = Clock::now();
            if (r == 0)
                continue; // warm-up
            engineMs.push_back(millis(t1 - t0));
            stepMs.push_back(millis(t2 - t1));
            readMs.push_back(millis(t3 - t2));
        }
        const double e = median(engineMs), s = median(stepMs), v = median(readMs);
        std::printf("repetitions: %d (medians)\n", repetitions);
        std::printf("determineDRG wall time:                         %8.3f ms\n", e);
        std::printf("same statements bare (open, step rows, close):  %8.3f ms\n", s);
        std::printf("same statements bare (reading every value):     %8.3f ms\n", v);
        std::printf("engine overhead over the bare statements:       %+7.1f %% (target <= 10 %%)\n",
                    (e - s) / s * 100.0);
        std::printf("per statement: engine %.1f us, bare %.1f us\n", e * 1000 / log.statements.size(),
                    s * 1000 / log.statements.size());
        return 0;
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "vesmar_engine_bench: %s\n", ex.what());
        return 1;
    }
}
