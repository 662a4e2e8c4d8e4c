// The grouping trace of whole Process runs on a fixture database built so
// that every complication verdict, both decision outcomes and both failing
// report look-ups occur, and the details text made from it.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "CDBException.h"
#include "CDatabase.h"
#include "CGroupingTrace.h"
#include "CRecordset.h"
#include "GroupingDetails.h"
#include "ProcessCommand.h"
#include "Progress.h"
#include "TestDb.h"

namespace {

// One per process: the report tests run in two locales side by side.
const std::string kDb = "vt_report_trace_" + std::to_string(::getpid());

class GroupingTraceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec(R"SQL(
INSERT INTO DG1 (code, vartype, varval) VALUES
 ('P01', 'DGCAT', '01A01'), ('P01', 'DGPROP', '01Z'), ('P01', 'PDGPRO', 'PX'),
 ('P02', 'DGCAT', '01A02'),
 ('K10', 'COMPL', '12C34'), ('K11', 'COMPL', '12I05'), ('K12', 'COMPL', '12I01'),
 ('K14', 'COMPL', '12I09'), ('K15', 'COMPL', '12x00'), ('K16', 'COMPL', '00C00'),
 ('K17', 'COMPL', '12C77');
INSERT INTO complexcl (code, compl) VALUES ('P01', '12C34');
INSERT INTO complcat (compl, inclprop) VALUES ('12I01', '01Z'), ('12I05', '99NOPE');
INSERT INTO drglogic (icd, mdc, compl, drg) VALUES
 ('-', '01', NULL, 'NEVER'), ('+', '01', '1', 'D1'), ('+', '01', NULL, 'D0');
INSERT INTO drgnames (drg, english) VALUES ('D1', 'With complication'), ('D0', 'Without');
INSERT INTO DRGWeight (DRG, weight) VALUES ('D1', '1.5'), ('D0', '0.25');
)SQL",
                     kDb);
        db = std::make_unique<CDatabase>();
        db->OpenEx(testdb::connectString(kDb), CDatabase::openReadOnly);
    }
    static void TearDownTestSuite()
    {
        db.reset();
        testdb::exec("DROP DATABASE IF EXISTS `" + kDb + "`;");
    }

    void SetUp() override { ASSERT_TRUE(db && db->IsOpen()) << "no connection to the test server"; }

    // One Process run on the fixture, as the form runs it; failed is set when
    // a database error ended it (the trace is told, as the form does).
    std::unique_ptr<CGroupingTrace> run(const std::vector<std::string>& chosenEntries,
                                        const std::vector<std::string>& biEntries, bool* failed = nullptr)
    {
        CStringList chosen, bi;
        for (const std::string& e : chosenEntries)
            chosen.AddTail(e);
        for (const std::string& e : biEntries)
            bi.AddTail(e);
        CProcessInput input;
        input.birthDate = {30000.0, DateValue::valid};
        input.admissionDate = {40000.0, DateValue::valid};
        input.birthDateOk = input.admissionDateOk = true;
        input.chosen = &chosen;
        input.bi = &bi;
        auto trace = std::make_unique<CGroupingTrace>(chosen);
        CRecordset lookupSet(db.get());
        CSilentProgress progress;
        bool thrown = false;
        try {
            GroupCase(input, 10000, *db, lookupSet, progress, sink, trace.get());
        } catch (const CDBException& e) {
            thrown = true;
            trace->runFailed(e.m_strError);
        }
        if (failed)
            *failed = thrown;
        return trace;
    }

    static std::vector<ComplVerdict> verdicts(const CPassTrace& t)
    {
        std::vector<ComplVerdict> v;
        for (const CComplCandidate& c : t.candidates)
            v.push_back(c.verdict);
        return v;
    }

    static bool hasLine(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    static inline std::unique_ptr<CDatabase> db;
    CRecordingSink sink;
};

TEST_F(GroupingTraceTest, CandidatesUpToTheFirstThatCountsEachWithItsReason)
{
    auto trace = run({"P01    primary one"}, {"K13    none", "K10    excluded", "K11    not included",
                                              "K12    included", "K17    never reached"});
    ASSERT_EQ(trace->passes().size(), 1u);
    const CGroupingTrace::Pass& pass = trace->passes()[0];
    const CPassTrace& t = pass.trace;
    EXPECT_EQ(pass.entry, "P01    primary one");
    EXPECT_EQ(verdicts(t), (std::vector<ComplVerdict>{ComplVerdict::NoComplValue, ComplVerdict::NoComplValue,
                                                      ComplVerdict::Excluded, ComplVerdict::NotIncluded,
                                                      ComplVerdict::IncludedByProperty}));
    EXPECT_EQ(t.candidates[0].code, "P01");
    EXPECT_EQ(t.candidates[2].value, "12C34");
    EXPECT_EQ(t.candidates[3].inclprop, "99NOPE");
    EXPECT_EQ(t.candidates[4].inclprop, "01Z");
    EXPECT_EQ(t.complication, "K12");
    // Row 1 is never in force; row 2 (compl 1) decides as the second returned.
    EXPECT_EQ(t.drg, "D1");
    EXPECT_EQ(t.decidingPosition, 2);
    EXPECT_EQ(t.rowsExamined, 2);
    ASSERT_TRUE(pass.name && pass.weight);
    EXPECT_EQ(*pass.name, "With complication");
    EXPECT_DOUBLE_EQ(*pass.weight, 1.5);
    EXPECT_FALSE(trace->failure());

    const std::vector<std::string> lines = GroupingDetailsLines(*trace);
    EXPECT_EQ(lines.at(0), "Pass 1 of 1: P01    primary one");
    EXPECT_TRUE(hasLine(lines, "  DGCAT: 01A01    MDC: 01"));
    EXPECT_TRUE(hasLine(lines, "  PDGPRO: PX"));
    EXPECT_TRUE(hasLine(lines, "  DGPROP of MDC 01: 01Z"));
    EXPECT_TRUE(hasLine(lines, "    K13: no COMPL value: not a complication"));
    EXPECT_TRUE(hasLine(lines, "    K10: COMPL 12C34: excluded for P01 by complexcl: not a complication"));
    EXPECT_TRUE(hasLine(lines, "    K11: COMPL 12I05: complcat's property 99NOPE is not among the DGPROP values: "
                               "not a complication"));
    EXPECT_TRUE(hasLine(lines, "    K12: COMPL 12I01: complcat's property 01Z is among the DGPROP values: "
                               "a complication"));
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return l.find("K17") != l.npos; }));
    EXPECT_TRUE(hasLine(lines, "  Complication: K12 (compl 1)"));
    EXPECT_TRUE(hasLine(lines, "  Decision row: row_id 2, row 2 of those the query returned: icd=+ mdc=01 compl=1"));
    EXPECT_TRUE(hasLine(lines, "  DRG: D1    With complication    Weight: 1.5000"));
}

TEST_F(GroupingTraceTest, ShouldNotHappenStatesCountAndAreNamed)
{
    auto missing = run({"P01    p"}, {"K14    no complcat row"});
    const CPassTrace& a = missing->passes().at(0).trace;
    ASSERT_EQ(a.candidates.size(), 2u);
    EXPECT_EQ(a.candidates[1].verdict, ComplVerdict::ComplcatMissing);
    auto unknown = run({"P01    p"}, {"K15    lower-case kind"});
    const CPassTrace& b = unknown->passes().at(0).trace;
    ASSERT_EQ(b.candidates.size(), 2u);
    EXPECT_EQ(b.candidates[1].verdict, ComplVerdict::UnknownKind);
    EXPECT_EQ(b.complFlag, "1");
    EXPECT_EQ(sink.messages.size(), 2u); // the engine's two boxes, shown as before

    const auto lines = GroupingDetailsLines(*missing);
    EXPECT_TRUE(hasLine(lines, "    K14: COMPL 12I09: no complcat row (THIS SHOULD NEVER HAPPEN, ERROR in "
                               "determineCOMPL): counted as a complication"));
    EXPECT_TRUE(hasLine(GroupingDetailsLines(*unknown),
                        "    K15: COMPL 12x00: a kind neither C nor I (CDetermineDRG::determineCOMPL): counted as a "
                        "complication"));
}

TEST_F(GroupingTraceTest, AlwaysAndNotExcludedCount)
{
    auto always = run({"P01    p"}, {"K16    universal"});
    EXPECT_EQ(verdicts(always->passes().at(0).trace).back(), ComplVerdict::Always);
    EXPECT_TRUE(hasLine(GroupingDetailsLines(*always),
                        "    K16: COMPL 00C00: a complication for every primary diagnosis"));
    // 12C34 is excluded only for P01: as a candidate of P02 it counts.
    auto other = run({"P02    p"}, {"K10    excluded elsewhere"});
    EXPECT_EQ(verdicts(other->passes().at(0).trace).back(), ComplVerdict::NotExcluded);
    EXPECT_TRUE(hasLine(GroupingDetailsLines(*other),
                        "    K10: COMPL 12C34: not excluded for P02 by complexcl: a complication"));
}

TEST_F(GroupingTraceTest, WithoutComplicationTheThirdRowDecides)
{
    auto trace = run({"P01    p"}, {});
    const CPassTrace& t = trace->passes().at(0).trace;
    EXPECT_EQ(t.drg, "D0");
    EXPECT_EQ(t.decidingPosition, 3);
    EXPECT_TRUE(hasLine(GroupingDetailsLines(*trace), "  Complication: none (compl 0)"));
    EXPECT_TRUE(hasLine(GroupingDetailsLines(*trace), "  DRG: D0    Without    Weight: 0.2500"));
}

TEST_F(GroupingTraceTest, UnknownCodeShowsWhichPassBrokeTheReport)
{
    bool failed = false;
    auto trace = run({"P01    fine", "Q99    unknown", "P02    after"}, {}, &failed);
    ASSERT_TRUE(failed);
    // The engine finished all three passes; the report broke at the second.
    ASSERT_EQ(trace->passes().size(), 3u);
    const CPassTrace& t = trace->passes()[1].trace;
    EXPECT_TRUE(t.dgcatFailed);
    EXPECT_EQ(t.mdc, "CD");
    EXPECT_TRUE(t.decidingRow.empty());
    EXPECT_EQ(t.rowsExamined, 0);
    EXPECT_EQ(t.drg, "ERROR in determingDRGlogic");
    ASSERT_TRUE(trace->failure());
    EXPECT_EQ(trace->failure()->pass, 1u);
    EXPECT_TRUE(trace->failure()->inReport);
    EXPECT_EQ(trace->failure()->step, LookupStep::Name);
    EXPECT_FALSE(trace->failure()->error.empty());
    EXPECT_TRUE(trace->passes()[0].name.has_value());
    EXPECT_FALSE(trace->passes()[2].name.has_value());

    const auto lines = GroupingDetailsLines(*trace);
    EXPECT_TRUE(hasLine(lines, "  DGCAT: the category look-up failed (CDetermineDRG::determineDGCAT FAILED), so MDC: CD"));
    EXPECT_TRUE(hasLine(lines, "  Decision row: none of the 0 rows the query returned matched (ERROR in determingDRGlogic)"));
    const std::string failedLine =
        "  DRG: ERROR in determingDRGlogic: the name look-up failed: SELECT english FROM drgnames WHERE drg = 'ERROR "
        "in determingDRGlogic'; ";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& l) { return l.rfind(failedLine, 0) == 0 && l.size() > failedLine.size(); }));
    EXPECT_TRUE(hasLine(lines, "  DRG: D0 (name and weight not looked up: the run ended before)"));
}

TEST_F(GroupingTraceTest, MissingWeightIsTheWeightLookupThatFailed)
{
    bool failed = false;
    // A rule for the failed category's MDC "CD" whose DRG has a name but no weight.
    testdb::exec("INSERT INTO drglogic (icd, mdc, drg) VALUES ('+', 'CD', 'NONAME');"
                 "INSERT INTO drgnames (drg, english) VALUES ('NONAME', 'Named, not weighed');",
                 kDb);
    auto trace = run({"Q98    unknown"}, {}, &failed);
    testdb::exec("DELETE FROM drglogic WHERE drg = 'NONAME'; DELETE FROM drgnames WHERE drg = 'NONAME';", kDb);
    ASSERT_TRUE(failed);
    const CPassTrace& t = trace->passes().at(0).trace;
    EXPECT_EQ(t.drg, "NONAME");
    EXPECT_EQ(t.decidingPosition, 1);
    ASSERT_TRUE(trace->failure());
    EXPECT_EQ(trace->failure()->step, LookupStep::Weight);
    EXPECT_EQ(trace->passes()[0].name, std::optional<std::string>("Named, not weighed"));
    const auto lines = GroupingDetailsLines(*trace);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("  DRG: NONAME: the weight look-up failed: SELECT weight FROM DRGWeight WHERE DRG = 'NONAME'; ", 0) == 0;
    }));
}

TEST_F(GroupingTraceTest, AnEngineErrorNamesThePassUnderWay)
{
    CGroupingTrace trace(CStringList{});
    CStringList chosen;
    chosen.AddTail("P01    first");
    chosen.AddTail("P02    second");
    CGroupingTrace twoPasses(chosen);
    CPassTrace first;
    first.primary = "P01";
    twoPasses.passFinished(first);
    twoPasses.runFailed("Lost connection\n");
    ASSERT_TRUE(twoPasses.failure());
    EXPECT_FALSE(twoPasses.failure()->inReport);
    EXPECT_EQ(twoPasses.failure()->pass, 1u);
    const auto lines = GroupingDetailsLines(twoPasses);
    EXPECT_EQ(lines.at(lines.size() - 2), "Pass 2 of 2: P02    second");
    EXPECT_EQ(lines.back(), "  The pass broke off: Lost connection");
    EXPECT_EQ(GroupingDetailsLines(trace),
              (std::vector<std::string>{"The case has no chosen diagnoses: the Process ran no pass."}));
}

} // namespace
