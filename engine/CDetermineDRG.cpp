#include "CDetermineDRG.h"

#include <stdexcept>

#include "CPatient.h"
#include "CStatementAnswers.h"
#include "EngineObserver.h"
#include "MessageSink.h"
#include "NumberText.h"
#include "Progress.h"

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
    m_pStatements = std::make_unique<CStatementAnswers>(database);
    m_pStatements->setObserver(m_pObserver);
    m_pAnswers = m_pStatements.get();
}

void CDetermineDRG::setAnswers(IReferenceAnswers* answers) { m_pAnswers = answers; }

void CDetermineDRG::setDiagnoses(const CStringList* chosen, const CStringList* bi)
{
    m_displayCodes.Reserve(chosen->GetCount());
    m_primaryCodes.Reserve(chosen->GetCount());
    m_biCodes.Reserve(bi->GetCount());
    m_allCodes.Reserve(chosen->GetCount() + bi->GetCount());
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

void CDetermineDRG::setObserver(IEngineObserver* observer)
{
    m_pObserver = observer;
    if (m_pStatements)
        m_pStatements->setObserver(observer);
}

void CDetermineDRG::determineDRG(std::vector<CDRGResult>& results, IProgress& progress)
{
    const int chosen = int(m_primaryCodes.GetCount());
    const int candidates = int(m_allCodes.GetCount());
    progress.setRange(0, chosen * (candidates + 1));
    progress.setPosition(0);

    results.reserve(results.size() + std::size_t(chosen));
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
        m_candidates.clear();
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
            trace.dgcatFailed = trace.dgcat == kDGCATFailed;
            trace.pdgpro.assign(caseData.getPDGPROList().begin(), caseData.getPDGPROList().end());
            trace.dgprop.assign(caseData.getDGPROPList().begin(), caseData.getDGPROPList().end());
            trace.candidates = std::move(m_candidates);
            if (complication)
                trace.complication = *complication;
            trace.complFlag = caseData.getCOMPL();
            trace.decidingRow = std::move(m_decidingRow);
            trace.decidingPosition = m_nDecidingPosition;
            trace.rowsExamined = m_nRowsExamined;
            trace.drg = std::move(drg);
            m_pObserver->passFinished(trace);
        }
    }
}

std::string CDetermineDRG::determineDGCAT(const std::string& code)
{
    std::string value;
    if (!answers().firstVarval("DGCAT", code, value))
        return kDGCATFailed;
    return value;
}

void CDetermineDRG::determinePDGPRO(const std::string& code, CCaseData& caseData)
{
    m_values.clear();
    answers().allVarvals("PDGPRO", code, m_values);
    for (const std::string& value : m_values)
        caseData.addPDGPRO(value);
}

void CDetermineDRG::determineDGPROP(CCaseData& caseData, const CStringList& codes)
{
    // An empty list would make the condition "()" and the statement invalid;
    // it can only come from a direct call, and it has no properties anyway.
    if (codes.IsEmpty())
        return;
    m_values.clear();
    answers().dgpropValues(codes, m_values);
    for (const std::string& value : m_values)
        caseData.addDGPROP(value);
}

bool CDetermineDRG::determineCOMPL(const std::string& primary, const std::string& candidate)
{
    std::string value;
    if (!answers().firstVarval("COMPL", candidate, value))
        return noteCandidate(ComplVerdict::NoComplValue, candidate, std::string());

    const char kind = value.size() >= 3 ? value[2] : '\0';
    if (kind == 'C') {
        if (equalsFoldingAZ(value, "00C00"))
            return noteCandidate(ComplVerdict::Always, candidate, value);
        const bool excluded = answers().complexclHas(primary, value);
        return noteCandidate(excluded ? ComplVerdict::Excluded : ComplVerdict::NotExcluded, candidate, value);
    }
    if (kind == 'I') {
        std::string inclprop;
        if (!answers().complcatInclprop(value, inclprop)) {
            m_messages.showMessage(kComplcatMissing, MessageIcon::Warning, kAppTitle);
            return noteCandidate(ComplVerdict::ComplcatMissing, candidate, value);
        }
        return noteCandidate(m_pCaseData->hasDGPROP(inclprop) ? ComplVerdict::IncludedByProperty
                                                              : ComplVerdict::NotIncluded,
                             candidate, value, inclprop);
    }
    m_messages.showMessage(kUnknownComplKind, MessageIcon::Warning, kAppTitle);
    return noteCandidate(ComplVerdict::UnknownKind, candidate, value);
}

bool CDetermineDRG::noteCandidate(ComplVerdict verdict, const std::string& candidate, const std::string& value,
                                  const std::string& inclprop)
{
    if (m_pObserver)
        m_candidates.push_back({candidate, value, verdict, inclprop});
    return ComplCounts(verdict);
}

std::string CDetermineDRG::determineDRGlogic(CCaseData& caseData)
{
    m_decidingRow.clear();
    m_nDecidingPosition = 0;
    m_nRowsExamined = 0;
    std::string drg;
    bool decided = false;
    // Delivery order is the rules' priority: the first row that passes
    // decides and the rows after it are not read.
    answers().decisionRows(caseData, [&](IDecisionRow& row) {
        ++m_nRowsExamined;
        if (!rowPasses(caseData, row))
            return false;
        m_nDecidingPosition = m_nRowsExamined;
        drg = row.field(DecisionColumn::drg);
        decided = true;
        if (m_pObserver)
            m_decidingRow = row.wholeRow();
        return true;
    });
    return decided ? drg : kNoRuleMatched;
}

// Columns are read in this order and each condition is applied as soon as its
// column is read, so a row that fails early is never read further.
bool CDetermineDRG::rowPasses(const CCaseData& caseData, IDecisionRow& row)
{
    if (row.field(DecisionColumn::icd) != "+")
        return false;
    const std::string* v = &row.field(DecisionColumn::dgcat1);
    if (!v->empty() && !equalsFoldingAZ(*v, caseData.getDGCAT()))
        return false;

    auto emptyOrExactly = [&row, &v](DecisionColumn column, const std::string& expected) {
        v = &row.field(column);
        return v->empty() || *v == expected;
    };
    if (!emptyOrExactly(DecisionColumn::mdc, caseData.getMDC()) ||
        !emptyOrExactly(DecisionColumn::sex, caseData.getSex()) ||
        !emptyOrExactly(DecisionColumn::procpro1, caseData.getProcPro()) ||
        !emptyOrExactly(DecisionColumn::orFlag, caseData.getOR()))
        return false;

    v = &row.field(DecisionColumn::pdgprop);
    if (!v->empty() && (caseData.getPDGPROList().IsEmpty() || *v != caseData.getPDGPROList().GetHead()))
        return false;
    if (!withinLimit(caseData.getAge(), row.field(DecisionColumn::agelim)))
        return false;
    for (DecisionColumn column :
         {DecisionColumn::dgprop1, DecisionColumn::dgprop2, DecisionColumn::dgprop3, DecisionColumn::dgprop4}) {
        v = &row.field(column);
        if (v->empty())
            break;
        if (!caseData.hasDGPROP(*v))
            return false;
    }
    if (!emptyOrExactly(DecisionColumn::complFlag, caseData.getCOMPL()) ||
        !emptyOrExactly(DecisionColumn::disch, caseData.getDischarge()))
        return false;
    return withinLimit(caseData.getDuration(), row.field(DecisionColumn::dur));
}

IReferenceAnswers& CDetermineDRG::answers()
{
    if (!m_pAnswers)
        throw std::logic_error("CDetermineDRG: setDatabase was not called");
    return *m_pAnswers;
}
