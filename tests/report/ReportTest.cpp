#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CDBException.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "Report.h"
#include "TestDb.h"

namespace {

const char* const kDb = "vesmar_report_fixture";
const char* const kTextWeightDb = "vesmar_report_textweight";

std::string line(const std::string& drg, const std::string& name, const std::string& diagnosis,
                 const std::string& weight)
{
    return "DRG: " + drg + "    " + name + "     Primary Diagnose:  " + diagnosis + "\tWeight: " + weight;
}

class ReportOnServer : public testing::Test {
protected:
    // Per test rather than per suite: a missing server then fails every test
    // instead of skipping it.
    static void createFixtures()
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec("INSERT INTO drgnames (drg, english) VALUES "
                     "('A01', 'Alpha'), ('B02', 'Beta  spaced '), ('C03', NULL), ('D04', 'Delta'),"
                     "(' 12', 'Blank twelve'), ('012', 'Zero twelve'), ('X''Y', 'Quoted'),"
                     "('N01', 'No weight row'), ('E01', 'Even one'), ('E02', 'Even two');"
                     "INSERT INTO DRGWeight (DRG, weight) VALUES "
                     "('A01', 0.5), ('B02', 1.25), ('C03', NULL), ('D04', 2), ('012', 3.1),"
                     "(' 12', 9), ('X''Y', 0.75), ('E01', 1), ('E02', 1);",
                     kDb);
        testdb::createReferenceDatabase(kTextWeightDb);
        testdb::exec("ALTER TABLE DRGWeight MODIFY weight VARCHAR(32) NULL;"
                     "INSERT INTO drgnames (drg, english) VALUES ('T1', 'a'), ('T2', 'b'), ('T3', 'c'), ('T4', 'd');"
                     "INSERT INTO DRGWeight (DRG, weight) VALUES "
                     "('T1', ' 1.5'), ('T2', '2,75'), ('T3', 'abc'), ('T4', '0.25kg');",
                     kTextWeightDb);
    }

    void open(const char* database)
    {
        ASSERT_TRUE(m_db.OpenEx(testdb::connectString(database), CDatabase::openReadOnly));
        m_set = std::make_unique<CRecordset>(&m_db);
        m_lookup = std::make_unique<CDRGLookup>(*m_set);
    }

    void SetUp() override
    {
        static const bool fixturesReady = (createFixtures(), true);
        (void)fixturesReady;
        open(kDb);
    }

    std::string report(const std::vector<CDRGResult>& results) { return BuildReport(results, *m_lookup); }

    CDatabase m_db;
    std::unique_ptr<CRecordset> m_set;
    std::unique_ptr<CDRGLookup> m_lookup;
};

TEST_F(ReportOnServer, NoResultsGiveTheEmptyText)
{
    EXPECT_EQ(report({}), "");
}

TEST_F(ReportOnServer, OneResultIsOneLineWithoutBreak)
{
    EXPECT_EQ(report({{"A01", "A01.2"}}), line("A01", "Alpha", "A01.2", "0.5000"));
    EXPECT_FALSE(m_set->IsOpen());
}

TEST_F(ReportOnServer, HigherWeightComesFirst)
{
    EXPECT_EQ(report({{"A01", "A01.2"}, {"B02", "B01.9"}}),
              line("B02", "Beta  spaced ", "B01.9", "1.2500") + "\r\n" + line("A01", "Alpha", "A01.2", "0.5000"));
}

TEST_F(ReportOnServer, EqualWeightsKeepTheEngineOrderAlsoBeyondSixteenRows)
{
    std::vector<CDRGResult> results;
    std::vector<std::string> expectedOrder;
    for (int i = 0; i < 20; ++i) {
        std::string diagnosis = "Q" + std::to_string(i);
        results.push_back({i % 2 ? "E02" : "E01", diagnosis});
        expectedOrder.push_back(diagnosis);
    }
    results.insert(results.begin() + 7, {"D04", "HEAVY"});
    expectedOrder.insert(expectedOrder.begin(), "HEAVY");

    std::vector<CReportRow> rows = BuildReportRows(results, *m_lookup);
    ASSERT_EQ(rows.size(), expectedOrder.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].m_diagnosis, expectedOrder[i]) << "row " << i;
}

TEST_F(ReportOnServer, WholeAndNullValuesAreShownWithFourDecimals)
{
    EXPECT_EQ(report({{"D04", "D04.1"}}), line("D04", "Delta", "D04.1", "2.0000"));
    EXPECT_EQ(report({{"C03", "C03.1"}}), line("C03", "", "C03.1", "0.0000"));
}

TEST_F(ReportOnServer, LeadingBlankIsReplacedOnlyForTheWeight)
{
    // The name comes from ' 12' (not '012'), the weight from '012' (not ' 12').
    EXPECT_EQ(report({{" 12", "K12"}}), line(" 12", "Blank twelve", "K12", "3.1000"));
}

TEST_F(ReportOnServer, QuotesInACodeAreEscapedNotInterpreted)
{
    EXPECT_EQ(report({{"X'Y", "X1"}}), line("X'Y", "Quoted", "X1", "0.7500"));
}

TEST_F(ReportOnServer, MissingNameIsADatabaseErrorWithTheCursorClosed)
{
    std::vector<CDRGResult> results = {{"A01", "A01.2"}, {"ERROR in determingDRGlogic", "Z99"}};
    EXPECT_THROW(report(results), CDBException);
    EXPECT_FALSE(m_set->IsOpen());
    // The cursor is usable again for the next command.
    EXPECT_EQ(report({{"A01", "A01.2"}}), line("A01", "Alpha", "A01.2", "0.5000"));
}

TEST_F(ReportOnServer, MissingWeightIsADatabaseErrorWithTheCursorClosed)
{
    EXPECT_THROW(report({{"N01", "N01.0"}}), CDBException);
    EXPECT_FALSE(m_set->IsOpen());
}

TEST_F(ReportOnServer, WeightTextIsReadWithAtofRulesAndAFullStop)
{
    m_lookup.reset();
    m_set.reset();
    m_db.Close();
    open(kTextWeightDb);
    EXPECT_EQ(m_lookup->LookupDRGWeight("T1"), 1.5);
    EXPECT_EQ(m_lookup->LookupDRGWeight("T2"), 2.0);
    EXPECT_EQ(m_lookup->LookupDRGWeight("T3"), 0.0);
    EXPECT_EQ(m_lookup->LookupDRGWeight("T4"), 0.25);
}

// Records the look-ups in the order the report makes them.
class RecordingLookup : public IDRGLookup {
public:
    std::string LookupDRGName(const std::string& drg) override
    {
        calls.push_back("name " + drg);
        return "n" + drg;
    }
    double LookupDRGWeight(const std::string& weightCode) override
    {
        calls.push_back("weight " + weightCode);
        return static_cast<double>(calls.size());
    }
    std::vector<std::string> calls;
};

TEST(ReportLookups, NameThenWeightCodePerResultInEngineOrder)
{
    RecordingLookup lookup;
    BuildReport({{"A01", "a"}, {" 7", "b"}, {"C3", "c"}}, lookup);
    EXPECT_EQ(lookup.calls,
              (std::vector<std::string>{"name A01", "weight A01", "name  7", "weight 07", "name C3", "weight C3"}));
}

TEST(ReportLookups, WeightCode)
{
    EXPECT_EQ(WeightCode(" 12"), "012");
    EXPECT_EQ(WeightCode("  1"), "0 1");
    EXPECT_EQ(WeightCode("123"), "123");
    EXPECT_EQ(WeightCode(""), "");
}

TEST(ReportStatements, ValuesAreEscaped)
{
    EXPECT_EQ(CDRGLookup::NameStatement("A01"), "SELECT english FROM drgnames WHERE drg = 'A01';");
    EXPECT_EQ(CDRGLookup::WeightStatement("0'1"), "SELECT weight FROM DRGWeight WHERE DRG = '0''1';");
}

} // namespace
