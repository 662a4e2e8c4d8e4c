#include <gtest/gtest.h>

#include <functional>

#include "CDatabase.h"
#include "EngineTestSupport.h"

namespace {

const char* const kDb = "vt_engine_logic";
const std::string kNoRule = "ERROR in determingDRGlogic";

// M01: category 05M02, no primary properties, properties 05A and 05B (and 01Q
// of another MDC); M02: 05M03 with primary properties P1 then P2; N01: a
// category whose MDC has letters; S01 adds 05C; S02 is a complication anywhere.
class DecisionTable : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec(R"SQL(
INSERT INTO DG1 (code, vartype, varval) VALUES
 ('M01', 'DGCAT', '05M02'), ('M01', 'DGPROP', '05A'), ('M01', 'DGPROP', '05B'), ('M01', 'DGPROP', '01Q'),
 ('M02', 'DGCAT', '05M03'), ('M02', 'PDGPRO', 'P1'), ('M02', 'PDGPRO', 'P2'),
 ('N01', 'DGCAT', 'ABx12'),
 ('S01', 'DGPROP', '05C'),
 ('S02', 'COMPL', '00C00');
)SQL",
                     kDb);
        db = openDatabase(kDb);
    }
    static void TearDownTestSuite() { db.reset(); }
    void SetUp() override { ASSERT_TRUE(db) << "no connection to the test server"; }

    // Replaces the decision table by rows (INSERT ... SET assignments, in
    // order) and returns the DRG of the case's first pass.
    static std::string decide(const std::vector<std::string>& rows, const CaseSpec& theCase)
    {
        std::string sql = "DELETE FROM drglogic;";
        for (const std::string& r : rows)
            sql += " INSERT INTO drglogic SET " + r + ";";
        testdb::exec(sql, kDb);
        CaseRun run = runCase(*db, theCase);
        return run.results.at(0).m_drg;
    }

    // Whether a row passes: it comes first, followed by a row that takes anything.
    static bool passes(const std::string& row, const CaseSpec& theCase = base())
    {
        const std::string drg = decide({row + ", drg = 'HIT'", "icd = '+', drg = 'FALLBACK'"}, theCase);
        EXPECT_TRUE(drg == "HIT" || drg == "FALLBACK") << drg;
        return drg == "HIT";
    }

    static CaseSpec base() { return CaseSpec({"M01    main"}); }
    static CaseSpec with(std::function<void(CaseSpec&)> change)
    {
        CaseSpec s = base();
        change(s);
        return s;
    }

    static inline std::unique_ptr<CDatabase> db;
};

TEST_F(DecisionTable, RuleSwitchMustBeExactlyPlus)
{
    EXPECT_TRUE(passes("icd = '+'"));
    EXPECT_FALSE(passes("icd = ''"));
    EXPECT_FALSE(passes("icd = NULL"));
    EXPECT_FALSE(passes("icd = '-'"));
    EXPECT_FALSE(passes("icd = ' +'"));
    EXPECT_FALSE(passes("icd = '+ '"));
}

TEST_F(DecisionTable, CategoryIgnoresLetterCaseButMdcDoesNot)
{
    const CaseSpec letters = with([](CaseSpec& s) { s.chosen = {"N01    letters"}; });
    EXPECT_TRUE(passes("icd = '+', dgcat1 = 'abX12'", letters));
    EXPECT_TRUE(passes("icd = '+', dgcat1 = 'ABX12', mdc = 'AB'", letters));
    EXPECT_FALSE(passes("icd = '+', mdc = 'ab'", letters));
    EXPECT_FALSE(passes("icd = '+', mdc = 'Ab'", letters));
    EXPECT_TRUE(passes("icd = '+', dgcat1 = '05m02', mdc = '05'"));
    EXPECT_FALSE(passes("icd = '+', dgcat1 = '05M0'"));
}

TEST_F(DecisionTable, SexProcedureAndOperatingRoomFlags)
{
    const CaseSpec female = with([](CaseSpec& s) { s.sex = "F"; });
    EXPECT_TRUE(passes("icd = '+', sex = 'M'"));
    EXPECT_FALSE(passes("icd = '+', sex = 'F'"));
    EXPECT_TRUE(passes("icd = '+', sex = 'F'", female));
    EXPECT_TRUE(passes("icd = '+', sex = ''", female));
    EXPECT_FALSE(passes("icd = '+', sex = 'f'", female));

    EXPECT_TRUE(passes("icd = '+', procpro1 = '<NONE>'"));
    EXPECT_FALSE(passes("icd = '+', procpro1 = 'OP1'"));

    EXPECT_TRUE(passes("icd = '+', `or` = '-'"));
    EXPECT_TRUE(passes("icd = '+', `or` = ''"));
    EXPECT_FALSE(passes("icd = '+', `or` = '+'"));
    EXPECT_FALSE(passes("icd = '+', `or` = 'X'"));
}

TEST_F(DecisionTable, PrimaryPropertyComparedWithTheFirstListEntry)
{
    const CaseSpec twoProps = with([](CaseSpec& s) { s.chosen = {"M02    P1 then P2"}; });
    EXPECT_TRUE(passes("icd = '+', pdgprop = 'P1'", twoProps));
    EXPECT_FALSE(passes("icd = '+', pdgprop = 'P2'", twoProps)); // admitted by the query, refused by the check
    EXPECT_TRUE(passes("icd = '+', pdgprop = NULL", twoProps));
    EXPECT_FALSE(passes("icd = '+', pdgprop = 'P1'")); // no primary properties at all

    CaseRun run = runCase(*db, twoProps);
    EXPECT_NE(run.observer.statements.back().find("AND (pdgprop = 'P1' or pdgprop = 'P2' OR pdgprop IS NULL) "),
              std::string::npos);
}

struct LimitCase {
    const char* text;
    int value;
    bool passes;
};

TEST_F(DecisionTable, AgeLimitSignRulesAndAtoiParsing)
{
    const LimitCase cases[] = {
        {"-365", 0, true},   {"-365", 364, true}, {"-365", 365, false}, {"365", 365, true},
        {"365", 364, false}, {"0", 0, true},      {"abc", 0, true},     {" 12abc", 12, true},
        {" 12abc", 11, false}, {"-5", 4, true},   {"-5", 5, false},     {"+7", 7, true},
        {"+7", 6, false},    {"\t-3", 2, true},   {"\t-3", 3, false},   {"", 0, true},
        {"99999999999", 2147483647, true}, {"- 5", 0, true},
    };
    for (const LimitCase& c : cases) {
        const CaseSpec theCase = with([&](CaseSpec& s) { s.age = c.value; });
        EXPECT_EQ(passes(std::string("icd = '+', agelim = '") + c.text + "'", theCase), c.passes)
            << "agelim '" << c.text << "' age " << c.value;
    }
}

TEST_F(DecisionTable, StayLimitSignRulesAndAtoiParsing)
{
    const LimitCase cases[] = {
        {"-5", 0, true},  {"-5", 4, true}, {"-5", 5, false},       {"5", 5, true},       {"5", 4, false},
        {"5", 400, true}, {"", 0, true},   {" 12abc", 12, true},   {" 12abc", 11, false}, {"x", 0, true},
    };
    for (const LimitCase& c : cases) {
        const CaseSpec theCase = with([&](CaseSpec& s) { s.duration = c.value; });
        EXPECT_EQ(passes(std::string("icd = '+', dur = '") + c.text + "'", theCase), c.passes)
            << "dur '" << c.text << "' stay " << c.value;
    }
    EXPECT_TRUE(passes("icd = '+', dur = NULL", with([](CaseSpec& s) { s.duration = 0; })));
}

TEST_F(DecisionTable, DiagnosisPropertyChainEndsAtTheFirstEmptyColumn)
{
    const CaseSpec withS01 = with([](CaseSpec& s) { s.bi = {"S01    adds 05C"}; });
    EXPECT_TRUE(passes("icd = '+', dgprop1 = '05A'"));
    EXPECT_FALSE(passes("icd = '+', dgprop1 = '05C'"));
    EXPECT_TRUE(passes("icd = '+', dgprop1 = '05C'", withS01));
    EXPECT_FALSE(passes("icd = '+', dgprop1 = '05A', dgprop2 = '05C'"));
    EXPECT_TRUE(passes("icd = '+', dgprop1 = '05A', dgprop2 = '05C'", withS01));
    EXPECT_TRUE(passes("icd = '+', dgprop1 = NULL, dgprop2 = 'ZZZ'"));
    EXPECT_TRUE(passes("icd = '+', dgprop1 = '', dgprop2 = 'ZZZ'"));
    EXPECT_TRUE(passes("icd = '+', dgprop1 = '05A', dgprop2 = '05B', dgprop3 = NULL, dgprop4 = 'ZZZ'"));
    EXPECT_FALSE(passes("icd = '+', dgprop1 = '05A', dgprop2 = '05B', dgprop3 = '05A', dgprop4 = 'ZZZ'"));
    EXPECT_TRUE(passes("icd = '+', dgprop1 = '05A', dgprop2 = '05B', dgprop3 = '05A', dgprop4 = '05B'"));
    EXPECT_FALSE(passes("icd = '+', dgprop1 = '01Q'")); // another MDC's property is never collected
    EXPECT_FALSE(passes("icd = '+', dgprop1 = '05a'"));
}

TEST_F(DecisionTable, ComplicationAndDischarge)
{
    const CaseSpec complicated = with([](CaseSpec& s) { s.bi = {"S02    complication"}; });
    EXPECT_TRUE(passes("icd = '+', compl = '1'", complicated));
    EXPECT_FALSE(passes("icd = '+', compl = '0'", complicated));
    EXPECT_TRUE(passes("icd = '+', compl = '0'"));
    EXPECT_FALSE(passes("icd = '+', compl = '1'"));
    EXPECT_TRUE(passes("icd = '+', compl = ''", complicated));

    const CaseSpec dischargedE = with([](CaseSpec& s) { s.discharge = "E"; });
    EXPECT_TRUE(passes("icd = '+', disch = 'E'", dischargedE));
    EXPECT_TRUE(passes("icd = '+', disch = ''", dischargedE));
    EXPECT_TRUE(passes("icd = '+', disch = NULL", dischargedE));
    EXPECT_FALSE(passes("icd = '+', disch = 'R'", dischargedE));
    EXPECT_FALSE(passes("icd = '+', disch = 'e'", dischargedE));
    EXPECT_FALSE(passes("icd = '+', disch = 'E'"));
    EXPECT_TRUE(passes("icd = '+', disch = NULL"));
}

TEST_F(DecisionTable, FirstPassingRowInDeliveryOrderWins)
{
    EXPECT_EQ(decide({"icd = '+', sex = 'F', drg = 'R1'", "icd = '+', dgprop1 = '05B', drg = 'R2'",
                      "icd = '+', drg = 'R3'"},
                     base()),
              "R2");
    EXPECT_EQ(decide({"icd = '+', drg = 'R3'", "icd = '+', dgprop1 = '05B', drg = 'R2'"}, base()), "R3");
}

TEST_F(DecisionTable, NoPassingRowGivesTheErrorTextAndTheNextPassStillRuns)
{
    const CaseSpec two = with([](CaseSpec& s) { s.chosen = {"M01    one", "M02    two"}; });
    EXPECT_EQ(decide({"icd = '-', drg = 'R1'", "icd = '+', sex = 'F', drg = 'R2'"}, two), kNoRule);
    CaseRun run = runCase(*db, two);
    EXPECT_EQ(run.drgs(), (std::vector<std::string>{kNoRule, kNoRule}));

    EXPECT_EQ(decide({}, base()), kNoRule);
}

TEST_F(DecisionTable, DrgIsReturnedUnchanged)
{
    EXPECT_EQ(decide({"icd = '+', drg = ' 123'"}, base()), " 123");
    EXPECT_EQ(decide({"icd = '+', drg = '05a '"}, base()), "05a ");
}

} // namespace
