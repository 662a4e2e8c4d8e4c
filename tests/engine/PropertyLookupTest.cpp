#include <gtest/gtest.h>

#include "CDatabase.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "EngineTestSupport.h"

namespace {

const char* const kDb = "vt_engine_props";

class PropertyLookups : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec(R"SQL(
INSERT INTO DG1 (code, vartype, varval) VALUES
 ('A01', 'DGCAT', '01A01'), ('A01', 'DGCAT', '02Z99'),
 ('A01', 'PDGPRO', 'P2'), ('A01', 'PDGPRO', 'P1'),
 ('B02', 'DGCAT', '5'),
 ('A01', 'DGPROP', '01X'), ('A01', 'DGPROP', '05Y'), ('B02', 'DGPROP', '01X'),
 ('C03', 'DGPROP', '01Z'), ('C03', 'DGPROP', '01X'),
 ('K00', 'COMPL', '00C00'), ('K01', 'COMPL', '12C34'), ('K02', 'COMPL', '12I01'),
 ('K03', 'COMPL', '12I02'), ('K04', 'COMPL', '12c00'), ('K05', 'COMPL', '1C'),
 ('K06', 'COMPL', '12I05'), ('K06', 'COMPL', '00C00'), ('K07', 'COMPL', '00c00'),
 ('K08', 'COMPL', '12i01');
INSERT INTO complexcl (code, compl) VALUES ('A01', '12C34'), ('A01', '00C00');
INSERT INTO complcat (compl, inclprop) VALUES ('12I01', '01Z'), ('12I05', '99NOPE');
INSERT INTO drglogic (icd, drg) VALUES ('+', 'ANY');
)SQL",
                     kDb);
        db = openDatabase(kDb);
    }
    static void TearDownTestSuite() { db.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(db) << "no connection to the test server";
        engine = std::make_unique<CDetermineDRG>(&patient, sink);
        engine->setDatabase(db.get());
        engine->setObserver(&observer);
    }

    static inline std::unique_ptr<CDatabase> db;
    CPatient patient;
    CRecordingSink sink;
    RecordingObserver observer;
    std::unique_ptr<CDetermineDRG> engine;
};

TEST_F(PropertyLookups, CategoryIsTheFirstRowOrTheFailureText)
{
    EXPECT_EQ(engine->determineDGCAT("A01"), "01A01");
    EXPECT_EQ(engine->determineDGCAT("B02"), "5");
    EXPECT_EQ(engine->determineDGCAT("Z99"), "CDetermineDRG::determineDGCAT FAILED");
    EXPECT_EQ(engine->determineDGCAT("A01"), "01A01"); // the cursor was closed on every path
    EXPECT_EQ(observer.statements.at(2), "SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = 'Z99';");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(PropertyLookups, PrimaryPropertiesAllRowsInServerOrderAppended)
{
    CCaseData c;
    c.addPDGPRO("EARLIER");
    engine->determinePDGPRO("A01", c);
    engine->determinePDGPRO("B02", c);
    EXPECT_EQ(c.getPDGPROList(), makeList({"EARLIER", "P2", "P1"}));
    EXPECT_EQ(observer.statements.at(0), "SELECT varval FROM DG1 WHERE vartype = 'PDGPRO' AND code = 'A01';");
}

TEST_F(PropertyLookups, DiagnosisPropertiesOfTheCurrentMdcOnlyDuplicatesKept)
{
    CCaseData c;
    c.setDGCAT("01A01");
    engine->determineDGPROP(c, makeList({"A01", "B02", "C03", "Z99"}));
    EXPECT_EQ(observer.statements.at(0), "SELECT varval FROM DG1 WHERE vartype = 'DGPROP' AND (code = 'A01' OR "
                                         "code = 'B02' OR code = 'C03' OR code = 'Z99' );");

    // Server order is whatever the server gives for the same statement.
    CStringList expected;
    for (const auto& row : testdb::query(observer.statements.at(0), kDb))
        if (row.at(0).substr(0, 2) == "01")
            expected.AddTail(row.at(0));
    EXPECT_EQ(expected.GetCount(), 4u);
    EXPECT_EQ(c.getDGPROPList(), expected);
    EXPECT_FALSE(c.hasDGPROP("05Y"));

    CCaseData five;
    five.setDGCAT("05Q");
    engine->determineDGPROP(five, makeList({"A01"}));
    EXPECT_EQ(five.getDGPROPList(), makeList({"05Y"}));
}

TEST_F(PropertyLookups, UniversalComplicationNeedsNoExclusionLookUp)
{
    EXPECT_TRUE(engine->determineCOMPL("B02", "K00"));
    EXPECT_TRUE(engine->determineCOMPL("A01", "K00")); // a complexcl row for A01/00C00 is not consulted
    EXPECT_EQ(observer.statements.size(), 2u);
    EXPECT_EQ(observer.count("complexcl"), 0);
}

TEST_F(PropertyLookups, KindCIsAComplicationUnlessExcludedForThePrimary)
{
    EXPECT_FALSE(engine->determineCOMPL("A01", "K01"));
    EXPECT_TRUE(engine->determineCOMPL("B02", "K01"));
    EXPECT_FALSE(engine->determineCOMPL("A01", "NOCOMPL"));
    ASSERT_EQ(observer.statements.size(), 5u);
    EXPECT_EQ(observer.statements[1], "SELECT compl FROM complexcl WHERE code = 'A01' AND compl = '12C34';");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(PropertyLookups, OnlyTheFirstComplicationRowCounts)
{
    // K06: 12I05 (inclusion property not in the case) before 00C00.
    EXPECT_FALSE(engine->determineCOMPL("B02", "K06"));
    EXPECT_EQ(observer.statements.back(), "SELECT inclprop FROM complcat WHERE compl = '12I05';");
}

TEST_F(PropertyLookups, UnknownKindsWarnAndCountAsComplication)
{
    for (const char* candidate : {"K04", "K05", "K07", "K08"})
        EXPECT_TRUE(engine->determineCOMPL("B02", candidate)) << candidate;
    ASSERT_EQ(sink.messages.size(), 4u);
    for (const auto& m : sink.messages) {
        EXPECT_EQ(m.text, "CDetermineDRG::determineCOMPL");
        EXPECT_EQ(m.icon, MessageIcon::Warning);
        EXPECT_EQ(m.caption, "Vesmar");
    }
    EXPECT_EQ(observer.count("complexcl") + observer.count("complcat"), 0);
}

TEST_F(PropertyLookups, InclusionKindFollowsTheCaseDiagnosisProperties)
{
    CaseRun with = runCase(*db, CaseSpec({"A01    primary"}, {"C03    has 01Z", "K02    12I01"}));
    ASSERT_EQ(with.observer.passes.size(), 1u);
    EXPECT_EQ(with.observer.passes[0].complication, "K02");
    EXPECT_EQ(with.observer.passes[0].complFlag, "1");

    CaseRun without = runCase(*db, CaseSpec({"A01    primary"}, {"K02    12I01"}));
    EXPECT_EQ(without.observer.passes.at(0).complication, "");
    EXPECT_EQ(without.observer.passes.at(0).complFlag, "0");
    EXPECT_TRUE(with.sink.messages.empty());
    EXPECT_TRUE(without.sink.messages.empty());
}

TEST_F(PropertyLookups, MissingInclusionRowWarnsAndTheRunGoesOn)
{
    CaseRun run = runCase(*db, CaseSpec({"A01    primary", "B02    second"}, {"K03    12I02"}));
    EXPECT_EQ(run.drgs(), (std::vector<std::string>{"ANY", "ANY"}));
    ASSERT_EQ(run.sink.messages.size(), 2u); // once per pass
    EXPECT_EQ(run.sink.messages[0].text, "THIS SHOULD NEVER HAPPEN, ERROR in determineCOMPL");
    EXPECT_EQ(run.sink.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(run.sink.messages[0].caption, "Vesmar");
    EXPECT_EQ(run.observer.passes.at(1).complication, "K03");
}

TEST_F(PropertyLookups, PassTraceShowsWhatThePassFound)
{
    CaseRun run = runCase(*db, CaseSpec({"A01    primary"}, {"B02    b", "K00    universal"}));
    ASSERT_EQ(run.observer.passes.size(), 1u);
    const CPassTrace& t = run.observer.passes[0];
    EXPECT_EQ(t.primary, "A01");
    EXPECT_EQ(t.dgcat, "01A01");
    EXPECT_EQ(t.mdc, "01");
    EXPECT_EQ(t.pdgpro, (std::vector<std::string>{"P2", "P1"}));
    EXPECT_EQ(t.dgprop, (std::vector<std::string>{"01X", "01X"}));
    EXPECT_EQ(t.complication, "K00");
    EXPECT_EQ(t.drg, "ANY");
    bool sawDrg = false;
    for (const auto& [column, value] : t.decidingRow)
        if (column == "drg")
            sawDrg = value == "ANY";
    EXPECT_TRUE(sawDrg);
    std::string columns;
    for (const auto& [column, value] : t.decidingRow)
        columns += column + "=" + value + " ";
    EXPECT_EQ(columns, "row_id=1 icd=+ mdc= dgcat1= pdgprop= procpro1= or= sex= agelim= dgprop1= dgprop2= dgprop3= "
                       "dgprop4= compl= disch= dur= drg=ANY ");
}

} // namespace
