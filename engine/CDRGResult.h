#pragma once

#include <string>

// One grouping result: the DRG found (as the decision table holds it, or the
// engine's failure text) and the chosen diagnosis it was found for, dots kept.
struct CDRGResult {
    std::string m_drg;
    std::string m_diagnosis;

    bool operator==(const CDRGResult&) const = default;
};
