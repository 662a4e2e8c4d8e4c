#include "CCaseData.h"

#include "SqlText.h"

void CCaseData::setDGCAT(const std::string& value)
{
    m_dgcat = value;
    m_mdc.assign(value, 0, 2);
}

void CCaseData::addPDGPRO(const std::string& value) { m_pdgproList.AddTail(value); }

std::string CCaseData::getPDGPRO() const
{
    return m_pdgproList.IsEmpty() ? std::string() : m_pdgproList.GetHead();
}

void CCaseData::addDGPROP(const std::string& value)
{
    if (value.compare(0, 2, m_mdc) == 0)
        m_dgpropList.AddTail(value);
}

bool CCaseData::hasDGPROP(const std::string& value) const
{
    for (const std::string& entry : m_dgpropList)
        if (entry == value)
            return true;
    return false;
}

void CCaseData::clearPropertyLists()
{
    m_pdgproList.RemoveAll();
    m_dgpropList.RemoveAll();
}

void CCaseData::setCOMPL(bool found) { m_compl = found ? "1" : "0"; }

std::string CCaseData::buildDRGlogicQuery() const
{
    std::string property;
    if (m_pdgproList.IsEmpty()) {
        property = "pdgprop IS NULL";
    } else {
        for (const std::string& v : m_pdgproList) {
            if (!property.empty())
                property += " or ";
            property += "pdgprop = '" + SqlEscape(v) + "'";
        }
    }
    const std::string procedure = "procpro1 = '" + SqlEscape(m_procpro) + "' ";

    return "SELECT * FROM drglogic WHERE (mdc = '" + SqlEscape(m_mdc) + "' OR mdc IS NULL) AND (dgcat1 = '" +
           SqlEscape(m_dgcat) + "' OR dgcat1 IS NULL) " + "AND (" + property + " OR pdgprop IS NULL) " + "AND (" +
           procedure + " OR procpro1 IS NULL) " + ";";
}
