#include "CStatementAnswers.h"

#include "CCaseData.h"
#include "CRecordset.h"
#include "CStringList.h"
#include "EngineObserver.h"
#include "SqlText.h"

namespace {

// A row of the open cursor, read column by column by name.
class CCursorRow : public IDecisionRow {
public:
    explicit CCursorRow(CRecordset& recordset) : m_recordset(recordset) {}

    const std::string& field(DecisionColumn column) override
    {
        m_value.clear();
        m_recordset.GetFieldValue(DecisionColumnName(column), m_value);
        return m_value;
    }

    std::vector<std::pair<std::string, std::string>> wholeRow() override
    {
        std::vector<std::pair<std::string, std::string>> row;
        const short columns = m_recordset.GetODBCFieldCount();
        for (short c = 0; c < columns; ++c) {
            std::string value;
            m_recordset.GetFieldValue(c, value);
            row.emplace_back(m_recordset.GetFieldName(c), std::move(value));
        }
        return row;
    }

private:
    CRecordset& m_recordset;
    std::string m_value;
};

} // namespace

const char* DecisionColumnName(DecisionColumn column)
{
    static const char* const names[kDecisionColumnCount] = {
        "icd",     "dgcat1",  "mdc",     "sex",     "procpro1", "or",    "pdgprop", "agelim",
        "dgprop1", "dgprop2", "dgprop3", "dgprop4", "compl",    "disch", "dur",     "drg",
    };
    return names[static_cast<int>(column)];
}

CStatementAnswers::CStatementAnswers(CDatabase* database) : m_pRecordset(std::make_unique<CRecordset>(database)) {}

CStatementAnswers::~CStatementAnswers() = default;

std::string CStatementAnswers::VarvalStatement(const char* vartype, const std::string& code)
{
    return std::string("SELECT varval FROM DG1 WHERE vartype = '") + vartype + "' AND code = '" + SqlEscape(code) +
           "';";
}

std::string CStatementAnswers::DgpropStatement(const CStringList& codes)
{
    std::string condition;
    for (const std::string& code : codes)
        condition += (condition.empty() ? "(code = '" : "OR code = '") + SqlEscape(code) + "' ";
    condition += ")";
    return "SELECT varval FROM DG1 WHERE vartype = 'DGPROP' AND " + condition + ";";
}

std::string CStatementAnswers::ComplexclStatement(const std::string& code, const std::string& category)
{
    return "SELECT compl FROM complexcl WHERE code = '" + SqlEscape(code) + "' AND compl = '" + SqlEscape(category) +
           "';";
}

std::string CStatementAnswers::ComplcatStatement(const std::string& category)
{
    return "SELECT inclprop FROM complcat WHERE compl = '" + SqlEscape(category) + "';";
}

bool CStatementAnswers::firstVarval(const char* vartype, const std::string& code, std::string& value)
{
    std::vector<std::string> values;
    if (!readColumn(VarvalStatement(vartype, code), "varval", false, values))
        return false;
    value = std::move(values.front());
    return true;
}

void CStatementAnswers::allVarvals(const char* vartype, const std::string& code, std::vector<std::string>& values)
{
    readColumn(VarvalStatement(vartype, code), "varval", true, values);
}

void CStatementAnswers::dgpropValues(const CStringList& codes, std::vector<std::string>& values)
{
    readColumn(DgpropStatement(codes), "varval", true, values);
}

bool CStatementAnswers::complexclHas(const std::string& code, const std::string& category)
{
    // Only whether a row exists matters; no column is read.
    open(ComplexclStatement(code, category));
    const bool found = !m_pRecordset->IsBOF();
    m_pRecordset->Close();
    return found;
}

bool CStatementAnswers::complcatInclprop(const std::string& category, std::string& inclprop)
{
    std::vector<std::string> values;
    if (!readColumn(ComplcatStatement(category), "inclprop", false, values))
        return false;
    inclprop = std::move(values.front());
    return true;
}

void CStatementAnswers::decisionRows(const CCaseData& caseData, const std::function<bool(IDecisionRow&)>& visit)
{
    visitRows(caseData.buildDRGlogicQuery(), visit);
}

bool CStatementAnswers::readColumn(const std::string& sql, const char* column, bool all,
                                   std::vector<std::string>& values)
{
    open(sql);
    const bool any = !m_pRecordset->IsBOF();
    for (; !m_pRecordset->IsEOF(); m_pRecordset->MoveNext()) {
        std::string value;
        m_pRecordset->GetFieldValue(column, value);
        values.push_back(std::move(value));
        if (!all)
            break;
    }
    m_pRecordset->Close();
    return any;
}

void CStatementAnswers::visitRows(const std::string& sql, const std::function<bool(IDecisionRow&)>& visit)
{
    open(sql);
    // Delivery order is the rules' priority: the rows after the one that
    // decided are not read.
    CCursorRow row(*m_pRecordset);
    for (; !m_pRecordset->IsEOF(); m_pRecordset->MoveNext())
        if (visit(row))
            break;
    m_pRecordset->Close();
}

void CStatementAnswers::open(const std::string& sql)
{
    if (m_pObserver)
        m_pObserver->statementSending(sql);
    // A connection that is not open is reported by the cursor as an error.
    m_pRecordset->Open(sql);
}
