#pragma once

#include <string>

#include "CStringList.h"

// The engine's working record for one case. The values that stay the same for
// every pass (sex, age, operating-room flag, discharge, stay) are set once per
// run; category, MDC, the two property lists and the complication flag are
// written afresh by each pass before they are read.
class CCaseData {
public:
    // Marker of a value not yet determined.
    static constexpr const char* kNone = "<NONE>";

    // m_dgcat := value, m_mdc := its first two characters (all of it when shorter).
    void setDGCAT(const std::string& value);
    const std::string& getDGCAT() const { return m_dgcat; }
    const std::string& getMDC() const { return m_mdc; }

    void addPDGPRO(const std::string& value);
    // First primary-diagnosis property; empty when the list is.
    std::string getPDGPRO() const;
    const CStringList& getPDGPROList() const { return m_pdgproList; }

    // Kept only when its first two characters are exactly m_mdc.
    void addDGPROP(const std::string& value);
    bool hasDGPROP(const std::string& value) const;
    const CStringList& getDGPROPList() const { return m_dgpropList; }

    // Each pass collects the properties of its own primary diagnosis; what an
    // earlier pass found must not reach the next pass's decision.
    void clearPropertyLists();

    void setCOMPL(bool found);
    const std::string& getCOMPL() const { return m_compl; }

    void setSex(const std::string& sex) { m_sex = sex; }
    const std::string& getSex() const { return m_sex; }
    void setAge(int days) { m_age = days; }
    int getAge() const { return m_age; }
    const std::string& getProcPro() const { return m_procpro; }
    void setOR(const std::string& flag) { m_or = flag; }
    const std::string& getOR() const { return m_or; }
    void setDischarge(const std::string& code) { m_disch = code; }
    const std::string& getDischarge() const { return m_disch; }
    void setDuration(int days) { m_dur = days; }
    int getDuration() const { return m_dur; }

    // The decision-table query for the current pass. Every value placed
    // between quotes goes through SqlEscape.
    std::string buildDRGlogicQuery() const;

private:
    std::string m_dgcat = kNone;
    std::string m_mdc = kNone;
    CStringList m_pdgproList;
    CStringList m_dgpropList;
    std::string m_compl = kNone;
    std::string m_sex = kNone;
    int m_age = 0;
    // The case entry supplies no procedure property, so nothing ever sets it.
    std::string m_procpro = kNone;
    std::string m_or = kNone;
    std::string m_disch = kNone;
    int m_dur = 0;
};
