#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CDRGResult.h"
#include "CStringList.h"
#include "EngineObserver.h"
#include "Progress.h"
#include "TestDb.h"

class CDatabase;

// Keeps every range and every position the engine sets, in order.
class RecordingProgress : public IProgress {
public:
    void setRange(int low, int high) override { ranges.emplace_back(low, high); }
    int position() const override { return m_pos; }
    void setPosition(int pos) override
    {
        m_pos = pos;
        positions.push_back(pos);
    }
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> positions;

private:
    int m_pos = -1;
};

class RecordingObserver : public IEngineObserver {
public:
    void passFinished(const CPassTrace& trace) override { passes.push_back(trace); }
    void statementSending(const std::string& sql) override { statements.push_back(sql); }
    // Statements that contain needle.
    int count(const std::string& needle) const;

    std::vector<CPassTrace> passes;
    std::vector<std::string> statements;
};

CStringList makeList(std::initializer_list<std::string> entries);
CStringList makeList(const std::vector<std::string>& entries);

// An open connection to database name on the test server.
std::unique_ptr<CDatabase> openDatabase(const std::string& name);

struct CaseSpec {
    CaseSpec(std::vector<std::string> chosenEntries = {}, std::vector<std::string> biEntries = {})
        : chosen(std::move(chosenEntries)), bi(std::move(biEntries))
    {
    }
    std::vector<std::string> chosen; // catalogue entries, e.g. "A01.2    text"
    std::vector<std::string> bi;
    std::string sex = "M";
    int age = 20000;
    std::string discharge;
    int duration = 3;
};

struct CaseRun {
    std::vector<CDRGResult> results;
    CRecordingSink sink;
    RecordingProgress progress;
    RecordingObserver observer;

    // The DRGs in result order.
    std::vector<std::string> drgs() const;
};

// One engine, used the way the Process command uses it, with an observer.
CaseRun runCase(CDatabase& db, const CaseSpec& theCase);

std::string connectionId(CDatabase& db);
// Empties the server's general query log and turns it on, into mysql.general_log.
void startGeneralLog();
void stopGeneralLog();
// Statements the log holds for that connection, in the order received.
std::vector<std::string> statementsLoggedFor(const std::string& connectionId);

// Statements the server received on db's connection while action ran.
template <class Action>
std::vector<std::string> serverReceived(CDatabase& db, Action action)
{
    const std::string id = connectionId(db);
    startGeneralLog();
    action();
    std::vector<std::string> received = statementsLoggedFor(id);
    stopGeneralLog();
    return received;
}
