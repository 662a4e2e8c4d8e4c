#pragma once

#include <memory>
#include <string>

#include "ReferenceAnswers.h"

class CDatabase;
class CRecordset;
class IEngineObserver;

// The look-ups as statements on the connection: one statement per look-up,
// on one cursor of its own, opened for the statement and closed again when
// the look-up returns normally. A database error leaves the cursor open; the
// next statement closes it.
class CStatementAnswers : public IReferenceAnswers {
public:
    explicit CStatementAnswers(CDatabase* database);
    ~CStatementAnswers() override;

    // Sees every statement just before it is sent. Borrowed; may be null.
    void setObserver(IEngineObserver* observer) { m_pObserver = observer; }

    bool firstVarval(const char* vartype, const std::string& code, std::string& value) override;
    void allVarvals(const char* vartype, const std::string& code, std::vector<std::string>& values) override;
    void dgpropValues(const CStringList& codes, std::vector<std::string>& values) override;
    bool complexclHas(const std::string& code, const std::string& category) override;
    bool complcatInclprop(const std::string& category, std::string& inclprop) override;
    void decisionRows(const CCaseData& caseData, const std::function<bool(IDecisionRow&)>& visit) override;

    // The statements, word for word.
    static std::string VarvalStatement(const char* vartype, const std::string& code);
    static std::string DgpropStatement(const CStringList& codes);
    static std::string ComplexclStatement(const std::string& code, const std::string& category);
    static std::string ComplcatStatement(const std::string& category);

    // Runs sql and reads column of every row (all: false, only the first)
    // into values. True when a row came back.
    bool readColumn(const std::string& sql, const char* column, bool all, std::vector<std::string>& values);
    // Runs sql and hands its rows to visit as decision rows.
    void visitRows(const std::string& sql, const std::function<bool(IDecisionRow&)>& visit);

private:
    void open(const std::string& sql);

    std::unique_ptr<CRecordset> m_pRecordset;
    IEngineObserver* m_pObserver = nullptr;
};
