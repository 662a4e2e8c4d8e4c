#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CKeyIndex.h"
#include "CKeyedTexts.h"
#include "IDRGLookup.h"
#include "ReferenceAnswers.h"

class CDatabase;
class CDRGLookup;
class CRecordset;
class CStatementAnswers;

// How the server compares a column with a quoted value, as far as this
// program knows it for sure.
enum class KeyRule {
    Unknown,   // a collation not modelled here: ask the server
    FoldAZ,    // letters a-z equal A-Z, trailing blanks do not count (general_ci, swedish_ci)
    Bytes,     // byte for byte, trailing blanks do not count (the PAD SPACE _bin collations)
};
KeyRule KeyRuleOfCollation(const std::string& collation);

// The key under which rule finds value: two values are equal to the server
// exactly when their keys are. False when the rule cannot say for this value
// (an unknown rule, or a byte outside printable ASCII, which the modelled
// collations may weigh like a letter: 'À' = 'A').
bool ComparisonKey(KeyRule rule, std::string_view value, std::string& key);

// The reference tables that grouping reads (DG1, complexcl, complcat,
// drglogic, DRGWeight, drgnames), read once in one read-only transaction with
// a consistent snapshot, so a batch sees one version of them. A look-up is
// answered from memory only where the answer is provably the one the
// statement would get from the server; everywhere else the very statement is
// sent (inside the same transaction, so it sees the same version) and its
// answer is remembered. Shared, read-only after Load, by the grouping threads;
// each thread asks through its own CSnapshotAnswers.
class CReferenceSnapshot {
public:
    explicit CReferenceSnapshot(CDatabase& db);
    ~CReferenceSnapshot();
    CReferenceSnapshot(const CReferenceSnapshot&) = delete;
    CReferenceSnapshot& operator=(const CReferenceSnapshot&) = delete;

    // Starts the transaction and reads the tables. A table that cannot be read
    // or checked is left to statements. Throws CDBException when the
    // transaction cannot be started.
    void Load();
    // Ends the transaction (best effort).
    void Finish();

    // Holds back the statements for what memory cannot answer, so that the
    // connection can be looked after (opened again) meanwhile.
    std::unique_lock<std::mutex> LockStatements() { return std::unique_lock(m_mutex); }

    // Statements sent for look-ups the snapshot could not answer.
    std::uint64_t statementsSent() const { return m_nStatements.load(); }
    // One line per table that is answered by statements, with the reason.
    const std::vector<std::string>& fallbacks() const { return m_fallbacks; }

    // What is known of one table.
    struct Table {
        bool inMemory = false;     // false: every look-up is a statement
        bool orderProven = false;  // rows of one key come in primary-key order
    };

    // The kinds of DG1 row that are asked for, as CKeyedTexts kinds.
    enum CodeKind : unsigned { kDgcat, kPdgpro, kDgprop, kCompl, kCodeKinds };
    struct DecisionRow {
        std::vector<std::string> values; // every column of SELECT *
        int column[kDecisionColumnCount] = {};
        bool isNull[4] = {};             // mdc, dgcat1, pdgprop, procpro1
        std::string key[4];
    };

    // For CSnapshotAnswers.
    struct CachedRows;
    bool cachedColumn(const std::string& sql, const char* column, bool all, std::vector<std::string>& values);
    bool cachedComplexcl(const std::string& code, const std::string& category);
    std::shared_ptr<const CachedRows> cachedRows(const std::string& sql);
    std::string cachedName(const std::string& drg);
    std::string cachedWeight(const std::string& weightCode);

    Table m_dg1, m_complexcl, m_complcat, m_drglogic, m_weightTable, m_names;
    KeyRule m_dg1Code = KeyRule::Unknown, m_dg1Vartype = KeyRule::Unknown;
    KeyRule m_complexclCode = KeyRule::Unknown, m_complexclCompl = KeyRule::Unknown;
    KeyRule m_complcatCompl = KeyRule::Unknown, m_weightDrg = KeyRule::Unknown, m_nameDrg = KeyRule::Unknown;
    KeyRule m_narrowing[4] = {KeyRule::Unknown, KeyRule::Unknown, KeyRule::Unknown, KeyRule::Unknown};

    CKeyedTexts m_codes{kCodeKinds}; // by code key
    CKeyIndex m_exclusions;           // code key, '\n', compl key
    // By DG1 code key number: whether complexcl has a row for the code
    // (empty: not known, the pair is looked up).
    std::vector<bool> m_excludingCodes;
    CKeyedTexts m_inclprops;          // by compl key
    std::vector<std::string> m_decisionColumns;
    std::vector<DecisionRow> m_decisionRows;
    CKeyedTexts m_weightTexts, m_nameTexts; // by DRG key
    std::vector<double> m_weights;          // each weight text read with atof rules, by its number

private:
    struct Schema;
    void loadDG1(const Schema& schema);
    void loadComplexcl(const Schema& schema);
    void loadComplcat(const Schema& schema);
    void loadDrglogic(const Schema& schema);
    void loadKeyed(const Schema& schema, const char* table, const char* keyColumn, const char* valueColumn,
                   Table& state, KeyRule& rule, CKeyedTexts& into);
    void fallBack(const char* table, Table& state, const std::string& reason);
    void noteStatement() { m_nStatements.fetch_add(1); }
    template <typename Answers, typename Ask>
    const typename Answers::mapped_type& remembered(Answers& answers, const std::string& key, Ask ask);

    CDatabase& m_db;
    std::unique_ptr<CRecordset> m_pRead;
    std::vector<std::string> m_fallbacks;
    std::atomic<std::uint64_t> m_nStatements{0};

    // The statements sent for what memory cannot answer, one at a time on
    // the connection, and their answers.
    std::mutex m_mutex;
    std::unique_ptr<CStatementAnswers> m_pStatements;
    std::unique_ptr<CRecordset> m_pLookupSet;
    std::unique_ptr<CDRGLookup> m_pLookup;
    std::map<std::string, std::pair<bool, std::vector<std::string>>> m_columnAnswers;
    std::map<std::string, std::shared_ptr<const CachedRows>> m_rowAnswers;
    std::map<std::string, bool> m_complexclAnswers;
    std::map<std::string, std::string> m_nameAnswers;
    std::map<std::string, std::string> m_weightAnswers; // the texts, before atof
};

// The look-ups of one grouping thread, answered from a shared snapshot. Keeps
// its own memory of which decision rows each narrowing admits.
class CSnapshotAnswers : public IReferenceAnswers, public IDRGLookup {
public:
    explicit CSnapshotAnswers(CReferenceSnapshot& snapshot) : m_snapshot(snapshot) {}

    bool firstVarval(const char* vartype, const std::string& code, std::string& value) override;
    void allVarvals(const char* vartype, const std::string& code, std::vector<std::string>& values) override;
    void dgpropValues(const CStringList& codes, std::vector<std::string>& values) override;
    bool complexclHas(const std::string& code, const std::string& category) override;
    bool complcatInclprop(const std::string& category, std::string& inclprop) override;
    void decisionRows(const CCaseData& caseData, const std::function<bool(IDecisionRow&)>& visit) override;

    std::string LookupDRGName(const std::string& drg) override;
    double LookupDRGWeight(const std::string& weightCode) override;

private:
    std::uint32_t codeRows(const std::string& code, bool& sure);
    bool codeValues(const char* vartype, const std::string& code, std::span<const std::uint32_t>& values);
    void collectDgprop(const CStringList& codes, std::vector<std::string>& values);
    const std::vector<std::uint32_t>* admitted(const CCaseData& caseData);
    const std::vector<std::uint32_t>* narrowed(const CCaseData& caseData);

    CReferenceSnapshot& m_snapshot;
    std::string m_key, m_complKey, m_pair;
    std::unordered_map<std::string, std::vector<std::uint32_t>> m_admitted;
    // The last narrowings asked for, as the case record held them, by a hash
    // of the category and the first primary property: most passes ask for
    // one seen shortly before.
    struct RecentNarrowing {
        std::string mdc, dgcat, procpro;
        std::vector<std::string> pdgpro;
        const std::vector<std::uint32_t>* rows = nullptr;
    };
    std::array<RecentNarrowing, 4096> m_recentNarrowings;
    // The codes of the last cases, by a hash of their bytes: every pass of a
    // case asks for the same ones.
    struct Recent {
        std::string code;
        std::uint32_t rows = CKeyIndex::kNone; // the code key's number in the snapshot
        bool sure = false;
        bool used = false;
    };
    std::array<Recent, 4096> m_recent;
    const Recent& recent(const std::string& code, std::size_t slot);
    std::vector<std::size_t> m_slots; // of the codes of the DGPROP question being answered
    std::vector<std::string> m_dgpropCodes, m_dgpropValues; // the last DGPROP question and its answer
    // The DRGs of the last reports and their names' and weights' numbers.
    struct RecentKey {
        std::string key;
        std::uint32_t value = CKeyIndex::kNone;
    };
    using RecentKeys = std::array<RecentKey, 512>;
    std::uint32_t firstValue(RecentKeys& recent, const CReferenceSnapshot::Table& table, KeyRule rule,
                             const CKeyedTexts& texts, const std::string& key);
    RecentKeys m_recentNames, m_recentWeights;
};
