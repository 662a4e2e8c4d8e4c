#pragma once

#include <string>
#include <utility>
#include <vector>

// What one pass of the engine found, for a reader who wants to see why a
// case grouped as it did. Filled only when an observer is set.
struct CPassTrace {
    std::string primary;                 // the chosen diagnosis, dots kept
    std::string dgcat;
    std::string mdc;
    std::vector<std::string> pdgpro;
    std::vector<std::string> dgprop;
    std::string complication;            // the candidate code found (dots removed); empty: none
    std::vector<std::pair<std::string, std::string>> decidingRow; // column, value; empty: no row passed
    std::string drg;
    std::string complFlag;               // the pass's complication flag, "1" or "0"
};

class IEngineObserver {
public:
    virtual ~IEngineObserver() = default;
    virtual void passFinished(const CPassTrace& trace) = 0;
    // Every statement, just before it is sent (also one the server then rejects).
    virtual void statementSending(const std::string& /*sql*/) {}
};
