#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "CDatabase.h"
#include "EngineTestSupport.h"

namespace {

const char* const kDb = "vt_engine_sample";
const std::string kSample = VESMAR_SOURCE_DIR "/sample";

// Splits one line of the examples' CSV; a field in double quotes may hold commas.
std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::vector<std::vector<std::string>> csvRows(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error(path + " not found");
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line))
        if (!line.empty())
            rows.push_back(csvFields(line));
    return rows;
}

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, sep);)
        parts.push_back(part);
    return parts;
}

// Days since 1970-01-01 of an ISO date (proleptic Gregorian calendar).
long dayNumber(const std::string& iso)
{
    int y = std::stoi(iso.substr(0, 4));
    const int m = std::stoi(iso.substr(5, 2));
    const int d = std::stoi(iso.substr(8, 2));
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

class SampleData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string load = "'" VESMAR_SOURCE_DIR "/scripts/refdb' load '" + kSample + "' " + kDb + " >/dev/null";
        if (std::system(load.c_str()) != 0)
            throw std::runtime_error("loading the sample data set failed: " + load);
        db = openDatabase(kDb);
    }
    static void TearDownTestSuite() { db.reset(); }
    void SetUp() override { ASSERT_TRUE(db) << "the sample data set is not loaded"; }

    static inline std::unique_ptr<CDatabase> db;
};

// Every example case the engine can be given (a case whose admission lies
// before the birth is refused before grouping) gives, per chosen diagnosis,
// the DRG the examples expect.
TEST_F(SampleData, ExampleCasesGroupAsExpected)
{
    std::map<std::string, std::map<std::string, std::string>> expected; // case -> diagnosis -> DRG
    for (const auto& row : csvRows(kSample + "/examples-expected.csv"))
        if (row.at(6).empty())
            expected[row.at(0)][row.at(2)] = row.at(3);

    int grouped = 0;
    for (const auto& c : csvRows(kSample + "/examples.csv")) {
        const std::string& id = c.at(0);
        const long age = dayNumber(c.at(2)) - dayNumber(c.at(1));
        if (age < 0)
            continue;
        CaseSpec theCase(split(c.at(6), '|'), split(c.at(7), '|'));
        theCase.sex = c.at(3);
        theCase.age = int(age);
        theCase.discharge = c.at(4);
        theCase.duration = std::stoi(c.at(5));

        CaseRun run = runCase(*db, theCase);
        std::map<std::string, std::string> got;
        for (const CDRGResult& r : run.results)
            got[r.m_diagnosis] = r.m_drg;
        EXPECT_EQ(run.results.size(), theCase.chosen.size()) << id;
        EXPECT_EQ(got, expected[id]) << id;
        EXPECT_TRUE(run.sink.messages.empty()) << id;
        ++grouped;
    }
    EXPECT_EQ(grouped, 23);
}

} // namespace
