#pragma once

#include <string>

// One line of the result report, before sorting: the DRG as the engine found
// it, its weight and English name from the reference database, and the
// diagnosis it was found for.
struct CReportRow {
    std::string m_drg;
    double m_weight = 0.0;
    std::string m_name;
    std::string m_diagnosis;
};
