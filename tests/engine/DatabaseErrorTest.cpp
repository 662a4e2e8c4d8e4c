#include <gtest/gtest.h>

#include <functional>

#include "CDBException.h"
#include "CDatabase.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "EngineTestSupport.h"

namespace {

const char* const kDb = "vt_engine_fail";

const char* const kFixture = R"SQL(
INSERT INTO DG1 (code, vartype, varval) VALUES ('A01', 'DGCAT', '01A01'), ('B01', 'DGCAT', '02B01');
INSERT INTO drglogic (icd, mdc, sex, drg) VALUES ('+', '01', 'F', 'A_FEMALE'), ('+', '02', NULL, 'B_ANY');
)SQL";

// Runs a hook after every finished pass.
class HookObserver : public RecordingObserver {
public:
    explicit HookObserver(std::function<void(int)> afterPass) : m_afterPass(std::move(afterPass)) {}
    void passFinished(const CPassTrace& trace) override
    {
        RecordingObserver::passFinished(trace);
        m_afterPass(int(passes.size()));
    }

private:
    std::function<void(int)> m_afterPass;
};

// Each test breaks the schema, so each starts from a fresh database.
class DatabaseError : public ::testing::Test {
protected:
    void SetUp() override
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec(kFixture, kDb);
        db = openDatabase(kDb);
    }

    // A male case with A01 and B01 chosen: A01 finds no rule, B01 finds B_ANY.
    struct Run {
        CPatient patient;
        CRecordingSink sink;
        RecordingProgress progress;
        std::vector<CDRGResult> results;
        CStringList chosen = makeList({"A01    a", "B01    b"});
        CStringList bi;
        std::unique_ptr<CDetermineDRG> engine;

        Run(CDatabase& db, IEngineObserver* observer = nullptr)
        {
            patient.setMale();
            patient.setAge(12000);
            engine = std::make_unique<CDetermineDRG>(&patient, sink);
            engine->setDatabase(&db);
            engine->setDiagnoses(&chosen, &bi);
            engine->setObserver(observer);
        }
    };

    void expectNextEngineWorks()
    {
        Run next(*db);
        next.engine->determineDRG(next.results, next.progress);
        EXPECT_EQ(next.results, (std::vector<CDRGResult>{{"ERROR in determingDRGlogic", "A01"}, {"B_ANY", "B01"}}));
    }

    std::unique_ptr<CDatabase> db;
};

TEST_F(DatabaseError, TableDroppedBetweenPassesKeepsTheFinishedPass)
{
    HookObserver dropAfterFirst([](int pass) {
        if (pass == 1)
            testdb::exec("DROP TABLE DG1;", kDb);
    });
    Run broken(*db, &dropAfterFirst);
    try {
        broken.engine->determineDRG(broken.results, broken.progress);
        ADD_FAILURE() << "the missing table was not reported";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.find("doesn't exist"), std::string::npos) << e.m_strError;
        EXPECT_EQ(e.m_strError.back(), '\n');
    }
    EXPECT_EQ(broken.results, (std::vector<CDRGResult>{{"ERROR in determingDRGlogic", "A01"}}));
    EXPECT_EQ(broken.progress.position(), 3 + 1); // one whole pass, then the first step of the next
    EXPECT_EQ(dropAfterFirst.statements.back(), "SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = 'B01';");

    // The broken engine still exists while another one works on the same connection.
    testdb::createReferenceDatabase(kDb);
    testdb::exec(kFixture, kDb);
    expectNextEngineWorks();
}

TEST_F(DatabaseError, DecisionTableWithoutAColumnFailsOnlyWhenARowReachesIt)
{
    testdb::exec("ALTER TABLE drglogic DROP COLUMN dur;", kDb);
    Run broken(*db);
    try {
        broken.engine->determineDRG(broken.results, broken.progress);
        ADD_FAILURE() << "the missing column was not reported";
    } catch (const CDBException& e) {
        EXPECT_EQ(e.m_nRetCode, kSqlErrorFieldNotFound);
    }
    // A01's only row fails on sex before dur would be read; B01's row reaches it.
    EXPECT_EQ(broken.results, (std::vector<CDRGResult>{{"ERROR in determingDRGlogic", "A01"}}));

    testdb::exec("SET SESSION lock_wait_timeout = 10; ALTER TABLE drglogic ADD COLUMN dur VARCHAR(16) NULL AFTER disch;",
                 kDb);
    expectNextEngineWorks();
}

} // namespace
