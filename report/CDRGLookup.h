#pragma once

#include <string>

#include "IDRGLookup.h"

class CRecordset;

// The report's look-ups on a borrowed plain cursor (the form's look-up
// cursor): each opens the cursor as a snapshot on its statement, reads one
// column of the current row by name and closes the cursor again, also when
// the open or the read throws, so the cursor is closed between look-ups.
// A statement that finds no row throws CDBException at the read.
class CDRGLookup : public IDRGLookup {
public:
    explicit CDRGLookup(CRecordset& lookupSet) : m_lookupSet(lookupSet) {}

    std::string LookupDRGName(const std::string& drg) override;
    double LookupDRGWeight(const std::string& weightCode) override;
    // The weight as the column holds it, before atof.
    std::string LookupDRGWeightText(const std::string& weightCode);

    static std::string NameStatement(const std::string& drg);
    static std::string WeightStatement(const std::string& weightCode);

private:
    std::string readOne(const std::string& sql, const std::string& column);

    CRecordset& m_lookupSet;
};
