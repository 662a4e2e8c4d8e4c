#include <gtest/gtest.h>

#include <map>

#include "CDBException.h"
#include "CDatabase.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "EngineTestSupport.h"

namespace {

const char* const kDb = "vt_engine_driver";

// X01 has the primary property PX and the property 01D of its own MDC; Y01 has
// neither. Q01 is a complication for any primary. KC1 is excluded for X01,
// KI1 needs 01D. Two crafted codes have their own categories; A012 comes first,
// so a statement whose condition was broken open finds it instead.
const char* const kFixture = R"SQL(
INSERT INTO DG1 (code, vartype, varval) VALUES
 ('A012', 'DGCAT', '05M02'),
 ('B019', 'DGPROP', '05D'),
 ('X01', 'DGCAT', '01X01'), ('X01', 'PDGPRO', 'PX'), ('X01', 'DGPROP', '01D'),
 ('Y01', 'DGCAT', '02Y01'),
 ('Q01', 'DGCAT', '03Q01'), ('Q01', 'COMPL', '00C00'),
 ('KC1', 'COMPL', '12C34'), ('KI1', 'COMPL', '12I01'),
 ('A01''OR''1''=''1', 'DGCAT', '07K01'),
 ('A01\\''OR''1''=''1', 'DGCAT', '07K02');
INSERT INTO complexcl (code, compl) VALUES ('X01', '12C34');
INSERT INTO complcat (compl, inclprop) VALUES ('12I01', '01D');
INSERT INTO drglogic (icd, mdc, dgcat1, pdgprop, dgprop1, compl, drg) VALUES
 ('+', NULL, NULL, 'PX', NULL, NULL, 'PXRULE'),
 ('+', NULL, NULL, NULL, '01D', NULL, 'DPROPRULE'),
 ('+', 'CD', 'CDetermineDRG::determineDGCAT FAILED', NULL, NULL, NULL, 'NOCAT'),
 ('+', NULL, '07K01', NULL, NULL, NULL, 'CRAFTED1'),
 ('+', NULL, '07K02', NULL, NULL, NULL, 'CRAFTED2'),
 ('+', '05', NULL, NULL, NULL, NULL, '05RULE'),
 ('+', NULL, NULL, NULL, NULL, '1', 'COMPLRULE'),
 ('+', NULL, NULL, NULL, NULL, NULL, 'PLAIN');
)SQL";

class Driver : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec(kFixture, kDb);
        db = openDatabase(kDb);
    }
    static void TearDownTestSuite() { db.reset(); }
    void SetUp() override { ASSERT_TRUE(db) << "no connection to the test server"; }

    static std::map<std::string, std::string> byDiagnosis(const CaseRun& run)
    {
        std::map<std::string, std::string> out;
        for (const CDRGResult& r : run.results)
            out[r.m_diagnosis] = r.m_drg;
        return out;
    }

    static inline std::unique_ptr<CDatabase> db;
};

TEST_F(Driver, OneResultPerChosenDiagnosisInChosenOrder)
{
    CaseRun run = runCase(*db, CaseSpec({"Y01    y", "Z99.9    unknown", "X01    x", "A01.2    Paratyphoid fever B",
                                           "X01    x again"},
                                {"B01.9    Varicella"}));
    EXPECT_EQ(run.results, (std::vector<CDRGResult>{{"PLAIN", "Y01"},
                                                    {"NOCAT", "Z99.9"},
                                                    {"PXRULE", "X01"},
                                                    {"05RULE", "A01.2"},
                                                    {"PXRULE", "X01"}}));
}

TEST_F(Driver, FailedCategoryFlowsIntoTheDecisionQuery)
{
    CaseRun run = runCase(*db, CaseSpec({"Z99    unknown"}));
    EXPECT_EQ(run.observer.statements.back(),
              "SELECT * FROM drglogic WHERE (mdc = 'CD' OR mdc IS NULL) AND (dgcat1 = 'CDetermineDRG::determineDGCAT "
              "FAILED' OR dgcat1 IS NULL) AND (pdgprop IS NULL OR pdgprop IS NULL) AND (procpro1 = '<NONE>'  OR "
              "procpro1 IS NULL) ;");
    EXPECT_EQ(run.drgs(), std::vector<std::string>{"NOCAT"});
}

// Each pass must see only what its own primary diagnosis brings: X01's
// primary property and its MDC's properties must not reach Y01's pass.
TEST_F(Driver, ResultsDoNotDependOnTheOrderOfChosenDiagnoses)
{
    CaseRun xy = runCase(*db, CaseSpec({"X01    x", "Y01    y"}));
    CaseRun yx = runCase(*db, CaseSpec({"Y01    y", "X01    x"}));
    const std::map<std::string, std::string> expected{{"X01", "PXRULE"}, {"Y01", "PLAIN"}};
    EXPECT_EQ(byDiagnosis(xy), expected);
    EXPECT_EQ(byDiagnosis(yx), expected);
    EXPECT_TRUE(xy.observer.passes.at(1).pdgpro.empty());
    EXPECT_TRUE(xy.observer.passes.at(1).dgprop.empty());
}

TEST_F(Driver, ProgressRangeAndOneStepPerLookUp)
{
    CaseRun run = runCase(*db, CaseSpec({"Y01    y", "X01    x"}, {"B01.9    b"}));
    EXPECT_EQ(run.progress.ranges, (std::vector<std::pair<int, int>>{{0, 8}}));
    EXPECT_EQ(run.progress.positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(run.observer.count("vartype = 'COMPL'"), 6);
}

TEST_F(Driver, PrimaryThatIsItsOwnComplicationJumpsTheBar)
{
    CaseRun run = runCase(*db, CaseSpec({"Q01    q"}, {"B01.9    b", "Y01    y"}));
    EXPECT_EQ(run.progress.ranges, (std::vector<std::pair<int, int>>{{0, 4}}));
    EXPECT_EQ(run.progress.positions, (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(run.observer.count("vartype = 'COMPL'"), 1);
    EXPECT_EQ(run.observer.passes.at(0).complication, "Q01");
    EXPECT_EQ(run.drgs(), std::vector<std::string>{"COMPLRULE"});

    // A complication found midway: the bar moves by what is left of the candidates.
    CaseRun mid = runCase(*db, CaseSpec({"Y01    y"}, {"B01.9    b", "Q01    q", "X01    x"}));
    EXPECT_EQ(mid.progress.ranges, (std::vector<std::pair<int, int>>{{0, 5}}));
    EXPECT_EQ(mid.progress.positions, (std::vector<int>{0, 1, 2, 3, 5}));
}

TEST_F(Driver, NoChosenDiagnosisSendsNothing)
{
    CDatabase neverOpened;
    CPatient patient;
    CRecordingSink sink;
    RecordingProgress progress;
    RecordingObserver observer;
    const CStringList chosen;
    const CStringList bi = makeList({"B01.9    b"});
    std::vector<CDRGResult> results{{"EARLIER", "X"}};

    CDetermineDRG engine(&patient, sink);
    engine.setDatabase(&neverOpened); // any statement would fail on it
    engine.setDiagnoses(&chosen, &bi);
    engine.setObserver(&observer);
    engine.determineDRG(results, progress);

    EXPECT_EQ(results, (std::vector<CDRGResult>{{"EARLIER", "X"}}));
    EXPECT_EQ(progress.ranges, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(progress.positions, std::vector<int>{0});
    EXPECT_TRUE(observer.statements.empty());
}

TEST_F(Driver, CraftedCodesAreLookedUpLiterally)
{
    CaseRun run = runCase(*db, CaseSpec({"A01'OR'1'='1    crafted", "A01\\'OR'1'='1    crafted with a backslash",
                                           "A01.2    Paratyphoid fever B"},
                                {"X01'--    crafted bi"}));
    EXPECT_EQ(run.results, (std::vector<CDRGResult>{{"CRAFTED1", "A01'OR'1'='1"},
                                                    {"CRAFTED2", "A01\\'OR'1'='1"},
                                                    {"05RULE", "A01.2"}}));
    EXPECT_EQ(run.observer.statements.at(0),
              "SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = 'A01''OR''1''=''1';");
}

// The server trims a statement's final ";" and the white space around it
// before it logs the statement, so that is how the log shows each text.
std::vector<std::string> asLogged(std::vector<std::string> texts)
{
    for (std::string& t : texts) {
        while (!t.empty() && (t.back() == ';' || t.back() == ' '))
            t.pop_back();
    }
    return texts;
}

// What the server receives is compared with the exact texts, for the worked
// example (two codes in the property condition) and for the complication
// look-ups of both kinds.
TEST_F(Driver, ServerReceivesTheExactStatementTexts)
{
    CaseRun run;
    std::vector<std::string> received = serverReceived(*db, [&] {
        run = runCase(*db, CaseSpec({"A01.2    Paratyphoid fever B"}, {"B01.9    Varicella"}));
    });
    const std::vector<std::string> workedExample{
        "SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = 'A012';",
        "SELECT varval FROM DG1 WHERE vartype = 'PDGPRO' AND code = 'A012';",
        "SELECT varval FROM DG1 WHERE vartype = 'DGPROP' AND (code = 'A012' OR code = 'B019' );",
        "SELECT varval FROM DG1 WHERE vartype = 'COMPL' AND code = 'A012';",
        "SELECT varval FROM DG1 WHERE vartype = 'COMPL' AND code = 'B019';",
        "SELECT * FROM drglogic WHERE (mdc = '05' OR mdc IS NULL) AND (dgcat1 = '05M02' OR dgcat1 IS NULL) AND "
        "(pdgprop IS NULL OR pdgprop IS NULL) AND (procpro1 = '<NONE>'  OR procpro1 IS NULL) ;",
    };
    EXPECT_EQ(received, asLogged(workedExample));
    EXPECT_EQ(run.observer.statements, workedExample);

    received = serverReceived(*db, [&] { run = runCase(*db, CaseSpec({"X01    x"}, {"KC1    c", "KI1    i"})); });
    const std::vector<std::string> bothKinds{
                            "SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = 'X01';",
                            "SELECT varval FROM DG1 WHERE vartype = 'PDGPRO' AND code = 'X01';",
                            "SELECT varval FROM DG1 WHERE vartype = 'DGPROP' AND (code = 'X01' OR code = 'KC1' OR "
                            "code = 'KI1' );",
                            "SELECT varval FROM DG1 WHERE vartype = 'COMPL' AND code = 'X01';",
                            "SELECT varval FROM DG1 WHERE vartype = 'COMPL' AND code = 'KC1';",
                            "SELECT compl FROM complexcl WHERE code = 'X01' AND compl = '12C34';",
                            "SELECT varval FROM DG1 WHERE vartype = 'COMPL' AND code = 'KI1';",
                            "SELECT inclprop FROM complcat WHERE compl = '12I01';",
                            "SELECT * FROM drglogic WHERE (mdc = '01' OR mdc IS NULL) AND (dgcat1 = '01X01' OR "
                            "dgcat1 IS NULL) AND (pdgprop = 'PX' OR pdgprop IS NULL) AND (procpro1 = '<NONE>'  OR "
                            "procpro1 IS NULL) ;",
                        };
    EXPECT_EQ(received, asLogged(bothKinds));
    EXPECT_EQ(run.observer.statements, bothKinds);
    EXPECT_EQ(run.observer.passes.at(0).complication, "KI1");
}

} // namespace
