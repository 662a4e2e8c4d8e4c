#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "CDBException.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "EngineObserver.h"
#include "ProcessCommand.h"
#include "Progress.h"
#include "TestDb.h"

namespace {

// 2000-03-01 and 2004-03-01 as day numbers.
constexpr double kMarch2000 = 36586.0;
constexpr double kMarch2004 = 38047.0;

CProcessInput datedInput(double birth, double admission)
{
    CProcessInput input;
    input.birthDate = {birth, DateValue::valid};
    input.admissionDate = {admission, DateValue::valid};
    input.birthDateOk = true;
    input.admissionDateOk = true;
    return input;
}

TEST(DischargeCode, FirstItemAndNoSelectionGiveTheEmptyCode)
{
    EXPECT_EQ(DischargeCode(0, " Not Discharged?"), "");
    EXPECT_EQ(DischargeCode(-1, "whatever was typed"), "");
    EXPECT_EQ(DischargeCode(1, "E - Exitus"), "E");
    EXPECT_EQ(DischargeCode(2, "R - Remission"), "R");
    EXPECT_EQ(DischargeCode(3, "L - Left against medical advice"), "L");
}

TEST(CheckDates, AgeIsTheSpanInWholeDays)
{
    int age = -1;
    ASSERT_TRUE(CheckDates(datedInput(kMarch2000, kMarch2004), age));
    EXPECT_EQ(age, 1461);
    ASSERT_TRUE(CheckDates(datedInput(kMarch2004, kMarch2004), age));
    EXPECT_EQ(age, 0);
    // A time of day in a date read from a file: the fraction is cut off.
    ASSERT_TRUE(CheckDates(datedInput(100.75, 110.5), age));
    EXPECT_EQ(age, 9);
    ASSERT_TRUE(CheckDates(datedInput(-700.0, -600.25), age));
    EXPECT_EQ(age, 99);
}

TEST(CheckDates, EachConditionRefusesOnItsOwnAndLeavesTheAgeAlone)
{
    auto refused = [](const CProcessInput& input) {
        int age = -7;
        bool ok = CheckDates(input, age);
        return !ok && age == -7;
    };
    CProcessInput input = datedInput(kMarch2000, kMarch2004);
    input.birthDate.m_status = DateValue::invalid;
    EXPECT_TRUE(refused(input));
    input = datedInput(kMarch2000, kMarch2004);
    input.admissionDate.m_status = DateValue::null;
    EXPECT_TRUE(refused(input));
    input = datedInput(kMarch2000, kMarch2004);
    input.birthDateOk = false;
    EXPECT_TRUE(refused(input));
    input = datedInput(kMarch2000, kMarch2004);
    input.admissionDateOk = false;
    EXPECT_TRUE(refused(input));
    EXPECT_TRUE(refused(datedInput(kMarch2004 + 1, kMarch2004)));
    EXPECT_TRUE(refused(datedInput(kMarch2004, kMarch2004 - 0.25)));
}

TEST(CheckDates, DayNumbersThatGiveNoAgeAreRefused)
{
    int age = 0;
    EXPECT_FALSE(CheckDates(datedInput(0.0, std::numeric_limits<double>::quiet_NaN()), age));
    EXPECT_FALSE(CheckDates(datedInput(0.0, std::numeric_limits<double>::infinity()), age));
    EXPECT_FALSE(CheckDates(datedInput(-1e300, 1e300), age));
    EXPECT_FALSE(CheckDates(datedInput(0.0, 2147483648.0), age));
    EXPECT_TRUE(CheckDates(datedInput(0.0, 2147483647.5), age));
    EXPECT_EQ(age, 2147483647);
}

const char* const kDb = "vesmar_process_fixture";
const char* const kBrokenDb = "vesmar_process_broken";

void loadFixture(const char* database)
{
    testdb::createReferenceDatabase(database);
    testdb::exec("INSERT INTO DG1 (code, vartype, varval) VALUES "
                 "('A012', 'DGCAT', '01M01'), ('B019', 'DGCAT', '02M01'), ('C030', 'DGCAT', '03M01'),"
                 "('D040', 'DGCAT', '04M01'), ('E050', 'DGCAT', '05M01'), ('F060', 'DGCAT', '06M01'),"
                 "('F061', 'COMPL', 'x1');"
                 "INSERT INTO drglogic (icd, mdc, sex, disch, dur, agelim, drg) VALUES "
                 "('+', '01', NULL, NULL, NULL, NULL, 'A01'),"
                 "('+', '02', NULL, NULL, NULL, NULL, 'B02'),"
                 "('+', '03', 'M', NULL, NULL, NULL, 'M03'),"
                 "('+', '03', 'F', NULL, NULL, NULL, 'F03'),"
                 "('+', '04', NULL, 'E', '5', NULL, 'E04'),"
                 "('+', '04', NULL, NULL, NULL, NULL, 'Z04'),"
                 "('+', '05', NULL, NULL, NULL, '-365', 'Y05'),"
                 "('+', '05', NULL, NULL, NULL, NULL, 'Z05'),"
                 "('+', '06', NULL, NULL, NULL, NULL, 'Z06');"
                 "INSERT INTO drgnames (drg, english) VALUES ('A01', 'Alpha'), ('B02', 'Beta'), ('M03', 'Male'),"
                 "('F03', 'Female'), ('E04', 'Exitus five'), ('Z04', 'Other four'), ('Y05', 'Infant'),"
                 "('Z05', 'Other five'), ('Z06', 'Six');"
                 "INSERT INTO DRGWeight (DRG, weight) VALUES ('A01', 0.5), ('B02', 1.25), ('M03', 1), ('F03', 1),"
                 "('E04', 1), ('Z04', 1), ('Y05', 1), ('Z05', 1), ('Z06', 1);",
                 database);
}

class GroupCaseOnServer : public testing::Test {
protected:
    static void createFixtures()
    {
        loadFixture(kDb);
        loadFixture(kBrokenDb);
        // Every decision row read fails: the column is read by name.
        testdb::exec("ALTER TABLE drglogic DROP COLUMN dur;", kBrokenDb);
    }

    void SetUp() override
    {
        static const bool fixturesReady = (createFixtures(), true);
        (void)fixturesReady;
        open(kDb);
    }

    void open(const char* database)
    {
        m_set.reset();
        m_db = std::make_unique<CDatabase>();
        ASSERT_TRUE(m_db->OpenEx(testdb::connectString(database), CDatabase::openReadOnly));
        m_set = std::make_unique<CRecordset>(m_db.get());
    }

    CProcessInput input(std::initializer_list<const char*> chosen, std::initializer_list<const char*> bi = {})
    {
        m_chosen = CStringList();
        m_bi = CStringList();
        for (const char* entry : chosen)
            m_chosen.AddTail(entry);
        for (const char* entry : bi)
            m_bi.AddTail(entry);
        CProcessInput in = datedInput(kMarch2000, kMarch2004);
        in.chosen = &m_chosen;
        in.bi = &m_bi;
        return in;
    }

    std::string group(const CProcessInput& in, int age = 1461, IEngineObserver* observer = nullptr)
    {
        return GroupCase(in, age, *m_db, *m_set, m_progress, m_sink, observer);
    }

    std::unique_ptr<CDatabase> m_db;
    std::unique_ptr<CRecordset> m_set;
    CStringList m_chosen;
    CStringList m_bi;
    CSilentProgress m_progress;
    CRecordingSink m_sink;
};

TEST_F(GroupCaseOnServer, GroupsEveryChosenDiagnosisAndReportsByWeight)
{
    EXPECT_EQ(group(input({"A01.2    Typhoid fever", "B01.9    Varicella"}, {"C03.0    Other"})),
              "DRG: B02    Beta     Primary Diagnose:  B01.9\tWeight: 1.2500\r\n"
              "DRG: A01    Alpha     Primary Diagnose:  A01.2\tWeight: 0.5000");
    // The engine drove the progress to its end: 2 passes of 1 + 2 + 1.
    EXPECT_EQ(m_progress.high(), 8);
    EXPECT_EQ(m_progress.position(), 8);
    EXPECT_FALSE(m_set->IsOpen());
}

TEST_F(GroupCaseOnServer, NoChosenDiagnosisGivesTheEmptyReport)
{
    EXPECT_EQ(group(input({}, {"A01.2    Typhoid fever"})), "");
}

TEST_F(GroupCaseOnServer, OnlyTheFlagOneIsMale)
{
    CProcessInput in = input({"C03.0    Test"});
    in.male = 1;
    EXPECT_NE(group(in).find("DRG: M03"), std::string::npos);
    in.male = 0;
    EXPECT_NE(group(in).find("DRG: F03"), std::string::npos);
    in.male = 7;
    EXPECT_NE(group(in).find("DRG: F03"), std::string::npos);
}

TEST_F(GroupCaseOnServer, DischargeDurationAndAgeReachTheEngine)
{
    CProcessInput in = input({"D04.0    Test"});
    in.discharge = "E";
    in.duration = 5;
    EXPECT_NE(group(in).find("DRG: E04"), std::string::npos);
    in.duration = 4;
    EXPECT_NE(group(in).find("DRG: Z04"), std::string::npos);
    in.duration = 5;
    in.discharge = "";
    EXPECT_NE(group(in).find("DRG: Z04"), std::string::npos);

    CProcessInput infant = input({"E05.0    Test"});
    EXPECT_NE(group(infant, 364).find("DRG: Y05"), std::string::npos);
    EXPECT_NE(group(infant, 365).find("DRG: Z05"), std::string::npos);
}

TEST_F(GroupCaseOnServer, EngineWarningsGoToTheSinkAndTheRunGoesOn)
{
    EXPECT_EQ(group(input({"F06.0    Test"}, {"F06.1    Other"})),
              "DRG: Z06    Six     Primary Diagnose:  F06.0\tWeight: 1.0000");
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0].text, "CDetermineDRG::determineCOMPL");
}

class CountingObserver : public IEngineObserver {
public:
    void passFinished(const CPassTrace& trace) override { primaries.push_back(trace.primary); }
    void statementSending(const std::string&) override { ++statements; }
    std::vector<std::string> primaries;
    int statements = 0;
};

TEST_F(GroupCaseOnServer, TheObserverSeesEveryPass)
{
    CountingObserver observer;
    group(input({"A01.2    Typhoid fever", "B01.9    Varicella"}), 1461, &observer);
    EXPECT_EQ(observer.primaries, (std::vector<std::string>{"A01.2", "B01.9"}));
    // Per pass: DGCAT, PDGPRO, DGPROP, one COMPL per candidate (no COMPL rows), the decision table.
    EXPECT_EQ(observer.statements, 2 * (3 + 2 + 1));
}

TEST_F(GroupCaseOnServer, DrgMissingFromTheNamesEndsWithTheLookupCursorClosed)
{
    // No DGCAT row and no decision row: the engine's failure text reaches the report.
    EXPECT_THROW(group(input({"A01.2    Typhoid fever", "Q99.9    Unknown"})), CDBException);
    EXPECT_FALSE(m_set->IsOpen());
}

TEST_F(GroupCaseOnServer, EngineDatabaseErrorPassesWithTheLookupCursorClosed)
{
    open(kBrokenDb);
    try {
        group(input({"A01.2    Typhoid fever"}));
        FAIL() << "no database error";
    } catch (const CDBException& e) {
        EXPECT_EQ(e.m_nRetCode, kSqlErrorFieldNotFound);
    }
    EXPECT_FALSE(m_set->IsOpen());
}

} // namespace
