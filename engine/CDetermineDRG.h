#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CCaseData.h"
#include "CDRGResult.h"
#include "CStringList.h"
#include "EngineObserver.h"

class CDatabase;
class CPatient;
class CStatementAnswers;
class IDecisionRow;
class IEngineObserver;
class IReferenceAnswers;
class IMessageSink;
class IProgress;

// The grouping engine: one pass per chosen diagnosis, each taking that
// diagnosis as the primary one, each appending one CDRGResult. All grouping
// knowledge is read from the reference database: by default one statement
// per look-up, nothing cached; a batch may answer the look-ups from a
// snapshot of the tables instead (setAnswers).
//
// Use: construct, setDatabase (or setAnswers), setDiagnoses, setDischarge,
// setDuration, one determineDRG, destroy. Database errors (CDBException) are not caught: they
// leave determineDRG, results of finished passes stay in the caller's list,
// and destroying the engine releases its cursor.
class CDetermineDRG {
public:
    // The patient and the message sink are borrowed and must outlive the
    // engine. The sink shows the two warnings of determineCOMPL (icon
    // Warning, caption "Vesmar"); the run goes on after each.
    CDetermineDRG(const CPatient* patient, IMessageSink& messages);
    ~CDetermineDRG();
    CDetermineDRG(const CDetermineDRG&) = delete;
    CDetermineDRG& operator=(const CDetermineDRG&) = delete;

    // Borrows the connection and creates the engine's own cursor on it: every
    // look-up is a statement.
    void setDatabase(CDatabase* database);
    // Look-ups answered by answers instead (borrowed).
    void setAnswers(IReferenceAnswers* answers);
    // Entries as the catalogue shows them: code, blanks, text. Called once.
    void setDiagnoses(const CStringList* chosen, const CStringList* bi);
    void setDischarge(const std::string& code);
    void setDuration(int days);
    // Optional; when set, each finished pass is reported and every statement
    // is shown to it before it is sent. Borrowed.
    void setObserver(IEngineObserver* observer);

    // Range 0 .. n(n+m+1); every pass advances the position by 1+n+m.
    void determineDRG(std::vector<CDRGResult>& results, IProgress& progress);

    // The steps of one pass. On statements, each runs on the engine's cursor,
    // which is closed again when a step returns normally. Codes are without dots.
    std::string determineDGCAT(const std::string& code);
    void determinePDGPRO(const std::string& code, CCaseData& caseData);
    void determineDGPROP(CCaseData& caseData, const CStringList& codes);
    bool determineCOMPL(const std::string& primary, const std::string& candidate);
    std::string determineDRGlogic(CCaseData& caseData);

    const CStringList& primaryCodes() const { return m_primaryCodes; }
    const CStringList& biCodes() const { return m_biCodes; }
    const CStringList& allCodes() const { return m_allCodes; }
    const CStringList& displayCodes() const { return m_displayCodes; }

    static constexpr const char* kDGCATFailed = "CDetermineDRG::determineDGCAT FAILED";
    static constexpr const char* kNoRuleMatched = "ERROR in determingDRGlogic";
    static constexpr const char* kComplcatMissing = "THIS SHOULD NEVER HAPPEN, ERROR in determineCOMPL";
    static constexpr const char* kUnknownComplKind = "CDetermineDRG::determineCOMPL";

private:
    IReferenceAnswers& answers();
    bool rowPasses(const CCaseData& caseData, IDecisionRow& row);
    // determineCOMPL's answer for verdict, kept for the observer's trace.
    bool noteCandidate(ComplVerdict verdict, const std::string& candidate, const std::string& value,
                       const std::string& inclprop = std::string());

    const CPatient* m_pPatient;
    IMessageSink& m_messages;
    std::unique_ptr<CCaseData> m_pCaseData;
    CStringList m_primaryCodes;
    CStringList m_biCodes;
    CStringList m_allCodes;
    CStringList m_displayCodes;
    std::unique_ptr<CStatementAnswers> m_pStatements;
    IReferenceAnswers* m_pAnswers = nullptr;

    std::vector<std::string> m_values; // the answer of the current look-up, kept for its room

    IEngineObserver* m_pObserver = nullptr;
    std::vector<std::pair<std::string, std::string>> m_decidingRow;
    std::vector<CComplCandidate> m_candidates;
    int m_nDecidingPosition = 0;
    int m_nRowsExamined = 0;
};
