#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "CStringList.h"
#include "EngineObserver.h"

// Everything one Process run learnt about the case, gathered while it ran:
// the engine's passes, the report's look-ups of each pass's DRG, and where
// the run broke when it did. It reads nothing itself; the details window,
// the printed pages and vesmar-cli's explanations are views of it.
class CGroupingTrace : public IEngineObserver {
public:
    struct Pass {
        CPassTrace trace;
        std::string entry;                  // the chosen list's entry: code, blanks, catalogue text
        std::optional<std::string> name;    // the DRG's English name, once looked up
        std::optional<double> weight;
    };
    struct Failure {
        std::size_t pass = 0;               // index of the pass (engine order) that broke the run
        bool inReport = false;              // false: the engine's own queries
        LookupStep step = LookupStep::Name; // with inReport
        std::string error;                  // the database error's text
    };

    // chosen: the list the run groups, copied for the entries' texts.
    explicit CGroupingTrace(const CStringList& chosen);

    void passFinished(const CPassTrace& trace) override;
    void drgNameFound(std::size_t pass, const std::string& name) override;
    void drgWeightFound(std::size_t pass, double weight) override;
    void lookupFailed(std::size_t pass, LookupStep step, const std::string& error) override;

    // The run ended with error. A report look-up told of its failure already;
    // otherwise the engine's pass under way broke.
    void runFailed(const std::string& error);

    const std::vector<Pass>& passes() const { return m_passes; }
    const std::vector<std::string>& chosen() const { return m_chosen; }
    const std::optional<Failure>& failure() const { return m_failure; }

private:
    std::vector<std::string> m_chosen;
    std::vector<Pass> m_passes;
    std::optional<Failure> m_failure;
};
