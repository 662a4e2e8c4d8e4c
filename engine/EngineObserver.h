#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Why determineCOMPL counted a candidate or not.
enum class ComplVerdict {
    NoComplValue,        // DG1 holds no COMPL row for the candidate
    Always,              // "00C00": a complication for every primary diagnosis
    Excluded,            // kind C with a complexcl row for (primary, value)
    NotExcluded,         // kind C without such a row
    IncludedByProperty,  // kind I: complcat's inclprop is among the pass's DGPROP values
    NotIncluded,         // kind I: it is not
    ComplcatMissing,     // kind I without a complcat row (the "should never happen" box)
    UnknownKind,         // any other kind (the "CDetermineDRG::determineCOMPL" box)
};

// True for the verdicts that make the candidate the pass's complication.
inline bool ComplCounts(ComplVerdict verdict)
{
    return verdict == ComplVerdict::Always || verdict == ComplVerdict::NotExcluded ||
           verdict == ComplVerdict::IncludedByProperty || verdict == ComplVerdict::ComplcatMissing ||
           verdict == ComplVerdict::UnknownKind;
}

// One complication candidate as determineCOMPL looked at it.
struct CComplCandidate {
    std::string code;     // dots removed, as queried
    std::string value;    // its COMPL value; empty with NoComplValue
    ComplVerdict verdict = ComplVerdict::NoComplValue;
    std::string inclprop; // complcat's property, for the kind-I verdicts that found one
};

// What one pass of the engine found, for a reader who wants to see why a
// case grouped as it did. Filled only when an observer is set.
struct CPassTrace {
    std::string primary;                 // the chosen diagnosis, dots kept
    std::string dgcat;
    std::string mdc;
    bool dgcatFailed = false;            // no DGCAT row: dgcat holds the failure text
    std::vector<std::string> pdgpro;
    std::vector<std::string> dgprop;
    // In the order tried; the search ends with the first that counts.
    std::vector<CComplCandidate> candidates;
    std::string complication;            // the candidate code found (dots removed); empty: none
    std::vector<std::pair<std::string, std::string>> decidingRow; // column, value; empty: no row passed
    int decidingPosition = 0;            // 1-based place of that row among those the query returned
    int rowsExamined = 0;                // rows read before the decision (all of them when none passed)
    std::string drg;
    std::string complFlag;               // the pass's complication flag, "1" or "0"
};

// Which report look-up a failure belongs to.
enum class LookupStep { Name, Weight };

class IEngineObserver {
public:
    virtual ~IEngineObserver() = default;
    virtual void passFinished(const CPassTrace& trace) = 0;
    // Every statement, just before it is sent (also one the server then rejects).
    virtual void statementSending(const std::string& /*sql*/) {}
    // The report's look-ups after the passes; pass is the result's index in
    // engine order. A failed look-up is told before its error leaves the report.
    virtual void drgNameFound(std::size_t /*pass*/, const std::string& /*name*/) {}
    virtual void drgWeightFound(std::size_t /*pass*/, double /*weight*/) {}
    virtual void lookupFailed(std::size_t /*pass*/, LookupStep /*step*/, const std::string& /*error*/) {}
};
