#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CCaseData;
class CStringList;

// The columns of a decision row that the row checks read, in the order they
// read them.
enum class DecisionColumn {
    icd, dgcat1, mdc, sex, procpro1, orFlag, pdgprop, agelim,
    dgprop1, dgprop2, dgprop3, dgprop4, complFlag, disch, dur, drg,
};
inline constexpr int kDecisionColumnCount = 16;
// The column names as the table has them, by DecisionColumn.
const char* DecisionColumnName(DecisionColumn column);

// One row of the decision table's answer.
class IDecisionRow {
public:
    virtual ~IDecisionRow() = default;
    // The column's text (NULL: empty). Valid until the next call.
    virtual const std::string& field(DecisionColumn column) = 0;
    // Every column of the row, name and text, in the row's order.
    virtual std::vector<std::pair<std::string, std::string>> wholeRow() = 0;
};

// Where the engine's look-ups find their answers: the statements of today on
// the connection, or a snapshot of the tables that answers as the server
// would. Codes are without dots. Database errors are CDBException.
class IReferenceAnswers {
public:
    virtual ~IReferenceAnswers() = default;

    // SELECT varval FROM DG1 WHERE vartype = '<vartype>' AND code = '<code>';
    // The first row's varval into value; false for an empty result.
    virtual bool firstVarval(const char* vartype, const std::string& code, std::string& value) = 0;
    // The same statement; every row's varval, in delivery order.
    virtual void allVarvals(const char* vartype, const std::string& code, std::vector<std::string>& values) = 0;
    // The DGPROP values of any of codes (not empty). The engine only asks
    // which values are among them, so their order is the source's own.
    virtual void dgpropValues(const CStringList& codes, std::vector<std::string>& values) = 0;
    // Whether complexcl has a row for (code, category).
    virtual bool complexclHas(const std::string& code, const std::string& category) = 0;
    // The first complcat row's inclprop for category; false when there is none.
    virtual bool complcatInclprop(const std::string& category, std::string& inclprop) = 0;
    // The rows of the decision-table query for caseData, in delivery order,
    // each handed to visit until it returns true.
    virtual void decisionRows(const CCaseData& caseData, const std::function<bool(IDecisionRow&)>& visit) = 0;
};
