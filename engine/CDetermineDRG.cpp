#include "CDetermineDRG.h"

#include <stdexcept>

#include "CDatabase.h"
#include "CPatient.h"
#include "CRecordset.h"
#include "EngineObserver.h"
#include "MessageSink.h"
#include "NumberText.h"
#include "Progress.h"
#include "SqlText.h"

namespace {

char foldAZ(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Case-insensitive for the letters A to Z only, whatever the locale.
bool equalsFoldingAZ(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAZ(a[i]) != foldAZ(b[i]))
            return false;
    return true;
}

// n >= 0: value at least n; n < 0: value below -n. An empty text is no condition.
bool withinLimit(int value, const std::string& text)
{
    if (text.empty())
        return true;
    // The limits are read with atoi's rules, whatever the locale.
    const long long n = AtoiC(text);
    return n >= 0 ? value >= n : value < -n;
}

std::string removeDots(std::string code)
{
    std::erase(code, '.');
    return code;
}

std::string beforeFirstBlank(const std::string& entry) { return entry.substr(0, entry.find(' ')); }

} // namespace

CDetermineDRG::CDetermineDRG(const CPatient* patient, IMessageSink& messages)
    : m_pPatient(patient), m_messages(messages), m_pCaseData(std::make_unique<CCaseData>())
{
}

CDetermineDRG::~CDetermineDRG() = default;

void CDetermineDRG::setDatabase(CDatabase* database)
{
    m_pDatabase = database;
    m_pRecordset = std::make_unique<CRecordset>(m_pDatabase);
}

void CDetermineDRG::setDiagnoses(const CStringList* chosen, const CStringList* bi)
{
    for (const std::string& entry : *chosen) {
        std::string code = beforeFirstBlank(entry);
        m_displayCodes.AddTail(code);
        m_primaryCodes.AddTail(removeDots(std::move(code)));
    }
    for (const std::string& entry : *bi)
        m_biCodes.AddTail(removeDots(beforeFirstBlank(entry)));
    for (const std::string& code : m_primaryCodes)
        m_allCodes.AddTail(code);
    for (const std::string& code : m_biCodes)
        m_allCodes.AddTail(code);
}

void CDetermineDRG::setDischarge(const std::string& code) { m_pCaseData->setDischarge(code); }

void CDetermineDRG::setDuration(int days) { m_pCaseData->setDuration(days); }

void CDetermineDRG::setObserver(IEngineObserver* observer) { m_pObserver = observer; }

void CDetermineDRG::determineDRG(std::vector<CDRGResult>& results, IProgress& progress)
{
    const int chosen = int(m_primaryCodes.GetCount());
    const int candidates = int(m_allCodes.GetCount());
    progress.setRange(0, chosen * (candidates + 1));
    progress.setPosition(0);

    CCaseData& caseData = *m_pCaseData;
    caseData.setSex(m_pPatient->getSex());
    caseData.setAge(m_pPatient->getAge());
    caseData.setOR("-");

    for (int i = 0; i < chosen; ++i) {
        progress.advance(1);
        caseData.setCOMPL(false);
        caseData.clearPropertyLists();
        const std::string& primary = m_primaryCodes.GetAt(i);
        caseData.setDGCAT(determineDGCAT(primary));
        determinePDGPRO(primary, caseData);
        determineDGPROP(caseData, m_allCodes);

        const std::string* complication = nullptr;
        for (int j = 0; j < candidates; ++j) {
            if (determineCOMPL(primary, m_allCodes.GetAt(j))) {
                caseData.setCOMPL(true);
                complication = &m_allCodes.GetAt(j);
                progress.advance(candidates - j);
                break;
            }
            progress.advance(1);
        }

        std::string drg = determineDRGlogic(caseData);
        results.push_back({drg, m_displayCodes.GetAt(i)});

        if (m_pObserver) {
            CPassTrace trace;
            trace.primary = m_displayCodes.GetAt(i);
            trace.dgcat = caseData.getDGCAT();
            trace.mdc = caseData.getMDC();
            trace.pdgpro.assign(caseData.getPDGPROList().begin(), caseData.getPDGPROList().end());
            trace.dgprop.assign(caseData.getDGPROPList().begin(), caseData.getDGPROPList().end());
            if (complication)
                trace.complication = *complication;
            trace.complFlag = caseData.getCOMPL();
            trace.decidingRow = std::move(m_decidingRow);
            trace.drg = std::move(drg);
            m_pObserver->passFinished(trace);
        }
    }
}

std::string CDetermineDRG::determineDGCAT(const std::string& code)
{
    open("SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = '" + sqlEscape(code) + "';");
    if (m_pRecordset->IsBOF()) {
        m_pRecordset->Close();
        return kDGCATFailed;
    }
    std::string value = field("varval");
    m_pRecordset->Close();
    return value;
}

void CDetermineDRG::determinePDGPRO(const std::string& code, CCaseData& caseData)
{
    open("SELECT varval FROM DG1 WHERE vartype = 'PDGPRO' AND code = '" + sqlEscape(code) + "';");
    for (; !m_pRecordset->IsEOF(); m_pRecordset->MoveNext())
        caseData.addPDGPRO(field("varval"));
    m_pRecordset->Close();
}

void CDetermineDRG::determineDGPROP(CCaseData& caseData, const CStringList& codes)
{
    // An empty list would make the condition "()" and the statement invalid;
    // it can only come from a direct call, and it has no properties anyway.
    if (codes.IsEmpty())
        return;
    std::string condition;
    for (const std::string& code : codes)
        condition += (condition.empty() ? "(code = '" : "OR code = '") + sqlEscape(code) + "' ";
    condition += ")";

    open("SELECT varval FROM DG1 WHERE vartype = 'DGPROP' AND " + condition + ";");
    for (; !m_pRecordset->IsEOF(); m_pRecordset->MoveNext())
        caseData.addDGPROP(field("varval"));
    m_pRecordset->Close();
}

bool CDetermineDRG::determineCOMPL(const std::string& primary, const std::string& candidate)
{
    open("SELECT varval FROM DG1 WHERE vartype = 'COMPL' AND code = '" + sqlEscape(candidate) + "';");
    if (m_pRecordset->IsBOF()) {
        m_pRecordset->Close();
        return false;
    }
    const std::string value = field("varval");
    m_pRecordset->Close();

    const char kind = value.size() >= 3 ? value[2] : '\0';
    if (kind == 'C') {
        if (equalsFoldingAZ(value, "00C00"))
            return true;
        open("SELECT compl FROM complexcl WHERE code = '" + sqlEscape(primary) + "' AND compl = '" +
             sqlEscape(value) + "';");
        const bool excluded = !m_pRecordset->IsBOF();
        m_pRecordset->Close();
        return !excluded;
    }
    if (kind == 'I') {
        open("SELECT inclprop FROM complcat WHERE compl = '" + sqlEscape(value) + "';");
        if (m_pRecordset->IsBOF()) {
            m_messages.showMessage(kComplcatMissing, MessageIcon::Warning, kAppTitle);
            m_pRecordset->Close();
            return true;
        }
        const std::string inclprop = field("inclprop");
        m_pRecordset->Close();
        return m_pCaseData->hasDGPROP(inclprop);
    }
    m_messages.showMessage(kUnknownComplKind, MessageIcon::Warning, kAppTitle);
    return true;
}

std::string CDetermineDRG::determineDRGlogic(CCaseData& caseData)
{
    m_decidingRow.clear();
    open(caseData.buildDRGlogicQuery());
    // Delivery order is the rules' priority: the first row that passes decides
    // and the rows after it are not read.
    for (; !m_pRecordset->IsEOF(); m_pRecordset->MoveNext()) {
        if (!rowPasses(caseData))
            continue;
        std::string drg = field("drg");
        if (m_pObserver) {
            const short columns = m_pRecordset->GetODBCFieldCount();
            for (short c = 0; c < columns; ++c) {
                std::string value;
                m_pRecordset->GetFieldValue(c, value);
                m_decidingRow.emplace_back(m_pRecordset->GetFieldName(c), std::move(value));
            }
        }
        m_pRecordset->Close();
        return drg;
    }
    m_pRecordset->Close();
    return kNoRuleMatched;
}

// Columns are read in this order and each condition is applied as soon as its
// column is read, so a row that fails early is never read further.
bool CDetermineDRG::rowPasses(const CCaseData& caseData)
{
    if (field("icd") != "+")
        return false;
    std::string v = field("dgcat1");
    if (!v.empty() && !equalsFoldingAZ(v, caseData.getDGCAT()))
        return false;

    auto emptyOrExactly = [this, &v](const char* column, const std::string& expected) {
        v = field(column);
        return v.empty() || v == expected;
    };
    if (!emptyOrExactly("mdc", caseData.getMDC()) || !emptyOrExactly("sex", caseData.getSex()) ||
        !emptyOrExactly("procpro1", caseData.getProcPro()) || !emptyOrExactly("or", caseData.getOR()))
        return false;

    v = field("pdgprop");
    if (!v.empty() && (caseData.getPDGPROList().IsEmpty() || v != caseData.getPDGPRO()))
        return false;
    if (!withinLimit(caseData.getAge(), field("agelim")))
        return false;
    for (const char* column : {"dgprop1", "dgprop2", "dgprop3", "dgprop4"}) {
        v = field(column);
        if (v.empty())
            break;
        if (!caseData.hasDGPROP(v))
            return false;
    }
    if (!emptyOrExactly("compl", caseData.getCOMPL()) || !emptyOrExactly("disch", caseData.getDischarge()))
        return false;
    return withinLimit(caseData.getDuration(), field("dur"));
}

void CDetermineDRG::open(const std::string& sql)
{
    if (!m_pRecordset)
        throw std::logic_error("CDetermineDRG: setDatabase was not called");
    if (m_pObserver)
        m_pObserver->statementSending(sql);
    // A connection that is not open is reported by the cursor as an error.
    m_pRecordset->Open(sql);
}

std::string CDetermineDRG::field(const char* column)
{
    std::string value;
    m_pRecordset->GetFieldValue(column, value);
    return value;
}
