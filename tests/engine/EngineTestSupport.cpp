#include "EngineTestSupport.h"

#include <algorithm>

#include "CDatabase.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "CRecordset.h"

int RecordingObserver::count(const std::string& needle) const
{
    return int(std::count_if(statements.begin(), statements.end(),
                             [&](const std::string& s) { return s.find(needle) != std::string::npos; }));
}

CStringList makeList(std::initializer_list<std::string> entries)
{
    return makeList(std::vector<std::string>(entries));
}

CStringList makeList(const std::vector<std::string>& entries)
{
    CStringList list;
    for (const std::string& e : entries)
        list.AddTail(e);
    return list;
}

std::unique_ptr<CDatabase> openDatabase(const std::string& name)
{
    auto db = std::make_unique<CDatabase>();
    if (!db->OpenEx(testdb::connectString(name)))
        throw std::runtime_error("no connection to " + name);
    return db;
}

std::vector<std::string> CaseRun::drgs() const
{
    std::vector<std::string> out;
    for (const CDRGResult& r : results)
        out.push_back(r.m_drg);
    return out;
}

CaseRun runCase(CDatabase& db, const CaseSpec& theCase)
{
    CaseRun run;
    CPatient patient;
    patient.setSex(theCase.sex);
    patient.setAge(theCase.age);
    const CStringList chosen = makeList(theCase.chosen);
    const CStringList bi = makeList(theCase.bi);

    CDetermineDRG engine(&patient, run.sink);
    engine.setDatabase(&db);
    engine.setDiagnoses(&chosen, &bi);
    engine.setDischarge(theCase.discharge);
    engine.setDuration(theCase.duration);
    engine.setObserver(&run.observer);
    engine.determineDRG(run.results, run.progress);
    return run;
}

std::string connectionId(CDatabase& db)
{
    CRecordset rs(&db);
    rs.Open("SELECT CONNECTION_ID() AS id");
    std::string id;
    rs.GetFieldValue("id", id);
    rs.Close();
    return id;
}

void startGeneralLog()
{
    testdb::exec("SET GLOBAL general_log = 0; TRUNCATE TABLE mysql.general_log; "
                 "SET GLOBAL log_output = 'TABLE'; SET GLOBAL general_log = 1;");
}

void stopGeneralLog() { testdb::exec("SET GLOBAL general_log = 0;"); }

std::vector<std::string> statementsLoggedFor(const std::string& connectionId)
{
    std::vector<std::string> out;
    for (const auto& row : testdb::query("SELECT argument FROM mysql.general_log WHERE thread_id = " + connectionId +
                                         " AND command_type IN ('Query', 'Execute')"))
        out.push_back(row.at(0));
    return out;
}
