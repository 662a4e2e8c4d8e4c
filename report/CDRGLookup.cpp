#include "CDRGLookup.h"

#include "CRecordset.h"
#include "NumberText.h"
#include "SqlText.h"

std::string CDRGLookup::NameStatement(const std::string& drg)
{
    return "SELECT english FROM drgnames WHERE drg = '" + SqlEscape(drg) + "';";
}

std::string CDRGLookup::WeightStatement(const std::string& weightCode)
{
    return "SELECT weight FROM DRGWeight WHERE DRG = '" + SqlEscape(weightCode) + "';";
}

std::string CDRGLookup::LookupDRGName(const std::string& drg)
{
    return readOne(NameStatement(drg), "english");
}

double CDRGLookup::LookupDRGWeight(const std::string& weightCode)
{
    return AtofC(LookupDRGWeightText(weightCode));
}

std::string CDRGLookup::LookupDRGWeightText(const std::string& weightCode)
{
    return readOne(WeightStatement(weightCode), "weight");
}

std::string CDRGLookup::readOne(const std::string& sql, const std::string& column)
{
    // Open closes the cursor itself when it throws.
    m_lookupSet.Open(sql);
    std::string value;
    try {
        m_lookupSet.GetFieldValue(column, value);
    } catch (...) {
        m_lookupSet.Close();
        throw;
    }
    m_lookupSet.Close();
    return value;
}
