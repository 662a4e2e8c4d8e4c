#include "CReferenceSnapshot.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <thread>

#include "CCaseData.h"
#include "CDBException.h"
#include "CDRGLookup.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "CStatementAnswers.h"
#include "CStringList.h"
#include "NumberText.h"

struct CReferenceSnapshot::CachedRows {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
};

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// What information_schema says of one table.
struct TableInfo {
    std::string type, engine, options;
    std::size_t rows = 0; // the server's estimate
    std::map<std::string, std::string> collations; // column (lower case) -> collation
    std::map<std::string, long long> lengths;      // column (lower case) -> characters; -1 not text
    std::vector<std::string> primaryKey;
    std::map<std::string, std::vector<std::string>> secondary; // index -> columns (lower case)
};

std::string field(CRecordset& set, short index)
{
    std::string value;
    set.GetFieldValue(index, value);
    return value;
}

// Each row of sql (read by position) handed to take.
template <typename Take>
void eachRow(CRecordset& set, const std::string& sql, Take take)
{
    set.Open(sql);
    try {
        for (; !set.IsEOF(); set.MoveNext())
            take(set);
    } catch (...) {
        set.Close();
        throw;
    }
    set.Close();
}

// A bulk cursor that binds every column of its result as text, each in a
// slot that holds the column's longest value (from information_schema), so a
// table arrives in rowsets rather than value by value. NULL has length -1.
class CBulkTextSet : public CRecordset {
public:
    CBulkTextSet(CDatabase* db, const TableInfo& table) : CRecordset(db), m_table(table)
    {
        std::size_t rowBytes = 0;
        for (const auto& [column, length] : table.lengths)
            rowBytes += 5 * slotFor(length);
        SetRowsetSize(static_cast<unsigned long>(
            std::clamp<std::size_t>((std::size_t(8) << 20) / std::max<std::size_t>(rowBytes, 1), 16, 5000)));
    }
    ~CBulkTextSet() override { Close(); }

    std::string_view text(long row, short column) const
    {
        const long length = m_lengths[std::size_t(column)][row];
        return length < 0 ? std::string_view() : std::string_view(m_values[std::size_t(column)] + row * m_slots[std::size_t(column)], std::size_t(length));
    }
    bool isNull(long row, short column) const { return m_lengths[std::size_t(column)][row] < 0; }

protected:
    void BindBulkColumns(CBulkBinder& binder, unsigned long) override
    {
        const short columns = GetODBCFieldCount();
        m_values.assign(std::size_t(columns), nullptr);
        m_lengths.assign(std::size_t(columns), nullptr);
        m_slots.assign(std::size_t(columns), 0);
        for (short c = 0; c < columns; ++c) {
            auto it = m_table.lengths.find(lower(GetFieldName(c)));
            m_slots[std::size_t(c)] = slotFor(it == m_table.lengths.end() ? -1 : it->second);
            binder.BindText("", &m_values[std::size_t(c)], &m_lengths[std::size_t(c)], m_slots[std::size_t(c)]);
        }
    }

private:
    // Not text (a number): room for any number's text; a value too long for
    // its slot fails the read, and the table is then left to statements.
    static std::size_t slotFor(long long characters)
    {
        return characters < 0 ? 80 : std::size_t(std::min<long long>(characters, 1 << 16)) + 1;
    }

    const TableInfo& m_table;
    std::vector<char*> m_values;
    std::vector<long*> m_lengths;
    std::vector<std::size_t> m_slots;
};

// One rowset's values copied out of the cursor's buffers, so that the cursor
// can fetch the next rowset while this one is taken in.
class CRowset {
public:
    void CopyFrom(const CBulkTextSet& set, const std::vector<std::string>& names)
    {
        m_pNames = &names;
        m_nColumns = short(names.size());
        m_nRows = set.GetRowsFetched();
        m_text.clear();
        m_begins.clear();
        m_lengths.clear();
        for (long row = 0; row < m_nRows; ++row)
            for (short c = 0; c < m_nColumns; ++c) {
                const std::string_view value = set.text(row, c);
                m_begins.push_back(m_text.size());
                m_lengths.push_back(set.isNull(row, c) ? -1 : long(value.size()));
                m_text.append(value);
            }
    }

    long rows() const { return m_nRows; }
    short columns() const { return m_nColumns; }
    const std::string& name(short column) const { return (*m_pNames)[std::size_t(column)]; }
    std::string_view text(long row, short column) const
    {
        const std::size_t at = std::size_t(row) * std::size_t(m_nColumns) + std::size_t(column);
        if (m_lengths[at] < 0)
            return {};
        return std::string_view(m_text).substr(m_begins[at], std::size_t(m_lengths[at]));
    }
    bool isNull(long row, short column) const
    {
        return m_lengths[std::size_t(row) * std::size_t(m_nColumns) + std::size_t(column)] < 0;
    }

private:
    const std::vector<std::string>* m_pNames = nullptr;
    short m_nColumns = 0;
    long m_nRows = 0;
    std::string m_text;
    std::vector<std::size_t> m_begins;
    std::vector<long> m_lengths; // -1: NULL
};

// Takes rowsets in on a thread of its own, in the order they are handed
// over: building the snapshot's indexes overlaps with the driver's fetching.
class CRowsetTaker {
public:
    explicit CRowsetTaker(std::function<void(const CRowset&)> take)
        : m_take(std::move(take)), m_thread([this] { run(); })
    {
    }
    ~CRowsetTaker()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bClosed = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    CRowsetTaker(const CRowsetTaker&) = delete;
    CRowsetTaker& operator=(const CRowsetTaker&) = delete;

    // A rowset to fill, once one is free.
    CRowset& free()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_nFilled - m_nTaken < m_rowsets.size(); });
        return m_rowsets[m_nFilled % m_rowsets.size()];
    }
    // The rowset of free() is filled.
    void hand()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_nFilled;
        }
        m_changed.notify_all();
    }
    // Waits until every rowset handed over is taken in; rethrows what take threw.
    void finish()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_nTaken == m_nFilled; });
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] { return m_bClosed || m_nTaken < m_nFilled; });
            if (m_nTaken == m_nFilled)
                return;
            const CRowset& rowset = m_rowsets[m_nTaken % m_rowsets.size()];
            lock.unlock();
            if (!m_error) {
                try {
                    m_take(rowset);
                } catch (...) {
                    m_error = std::current_exception();
                }
            }
            lock.lock();
            ++m_nTaken;
            m_changed.notify_all();
        }
    }

    std::function<void(const CRowset&)> m_take;
    std::array<CRowset, 3> m_rowsets;
    std::size_t m_nFilled = 0, m_nTaken = 0;
    bool m_bClosed = false;
    std::exception_ptr m_error; // written by the thread only, read after finish()
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread; // last: started once the rest is ready
};

// Each row of sql, read in rowsets, handed to take(rowset, row) in order.
template <typename Take>
void eachBulkRow(CDatabase& db, const TableInfo& table, const std::string& sql, Take take)
{
    CBulkTextSet set(&db, table);
    set.Open(sql, CRecordset::useMultiRowFetch);
    if (set.IsEOF())
        return;
    std::vector<std::string> names;
    for (short c = 0; c < set.GetODBCFieldCount(); ++c)
        names.push_back(set.GetFieldName(c));
    auto takeAll = [&](const CRowset& rowset) {
        for (long row = 0; row < rowset.rows(); ++row)
            take(rowset, row);
    };
    // A result of one rowset is taken in on this thread: a thread of its own
    // would cost more than it saves. A larger one is taken in on a thread
    // beside the fetching.
    CRowset first;
    first.CopyFrom(set, names);
    set.MoveNext();
    if (set.IsEOF()) {
        takeAll(first);
        return;
    }
    CRowsetTaker taker(takeAll);
    taker.free() = std::move(first);
    taker.hand();
    for (; !set.IsEOF(); set.MoveNext()) {
        taker.free().CopyFrom(set, names);
        taker.hand();
    }
    taker.finish();
}

std::string orderBy(const TableInfo& table)
{
    std::string clause;
    for (const std::string& column : table.primaryKey)
        clause += (clause.empty() ? " ORDER BY `" : ", `") + column + "`";
    return clause;
}

// Whether every plan the server may choose for an equality look-up on
// equalityColumns delivers the rows of one key in primary-key order: an
// InnoDB base table, not partitioned, with a primary key, and no secondary
// index holding anything but those columns (an index with more columns
// would order the rows of one key by them).
bool orderProven(const TableInfo& table, std::initializer_list<const char*> equalityColumns, std::string& why)
{
    if (table.type != "BASE TABLE" || lower(table.engine) != "innodb") {
        why = "not an InnoDB table";
        return false;
    }
    if (lower(table.options).find("partitioned") != std::string::npos) {
        why = "partitioned";
        return false;
    }
    if (table.primaryKey.empty()) {
        why = "no primary key";
        return false;
    }
    for (const auto& [name, columns] : table.secondary)
        for (const std::string& column : columns)
            if (std::none_of(equalityColumns.begin(), equalityColumns.end(),
                             [&](const char* c) { return column == c; })) {
                why = "index " + name + " orders rows by " + column;
                return false;
            }
    return true;
}

KeyRule ruleOf(const TableInfo& table, const char* column)
{
    auto it = table.collations.find(column);
    return it == table.collations.end() ? KeyRule::Unknown : KeyRuleOfCollation(it->second);
}

// Values are numbers of distinct texts: equal numbers, equal texts.
bool allEqual(std::span<const std::uint32_t> values)
{
    return std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) == values.end();
}

} // namespace

struct CReferenceSnapshot::Schema {
    std::map<std::string, TableInfo> tables; // exact name
};

KeyRule KeyRuleOfCollation(const std::string& collation)
{
    // PAD SPACE collations whose weights for printable ASCII are the bytes
    // themselves, with a-z weighed as A-Z in the _ci ones (checked against the
    // server by the tests).
    static const char* const foldAZ[] = {"utf8mb4_general_ci", "utf8mb3_general_ci", "utf8_general_ci",
                                         "latin1_swedish_ci", "ascii_general_ci"};
    static const char* const bytes[] = {"utf8mb4_bin", "utf8mb3_bin", "utf8_bin", "latin1_bin", "ascii_bin"};
    for (const char* name : foldAZ)
        if (collation == name)
            return KeyRule::FoldAZ;
    for (const char* name : bytes)
        if (collation == name)
            return KeyRule::Bytes;
    return KeyRule::Unknown;
}

bool ComparisonKey(KeyRule rule, std::string_view value, std::string& key)
{
    if (rule == KeyRule::Unknown)
        return false;
    std::size_t end = value.size();
    while (end > 0 && value[end - 1] == ' ')
        --end;
    key.assign(value.data(), end);
    for (char& c : key) {
        // A backslash reaches the server doubled, which only some SQL modes
        // read back as one.
        if (c < 0x20 || c > 0x7E || c == '\\')
            return false;
        if (rule == KeyRule::FoldAZ && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return true;
}

CReferenceSnapshot::CReferenceSnapshot(CDatabase& db)
    : m_db(db), m_pRead(std::make_unique<CRecordset>(&db)), m_pStatements(std::make_unique<CStatementAnswers>(&db)),
      m_pLookupSet(std::make_unique<CRecordset>(&db)), m_pLookup(std::make_unique<CDRGLookup>(*m_pLookupSet))
{
}

CReferenceSnapshot::~CReferenceSnapshot() = default;

void CReferenceSnapshot::fallBack(const char* table, Table& state, const std::string& reason)
{
    state.inMemory = false;
    m_fallbacks.push_back(std::string(table) + ": " + reason);
}

void CReferenceSnapshot::Load()
{
    // One version of the tables for the whole batch, also for the statements
    // sent later for what memory cannot answer.
    m_db.ExecuteSQL("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ");
    m_db.ExecuteSQL("START TRANSACTION READ ONLY, WITH CONSISTENT SNAPSHOT");

    Schema schema;
    try {
        eachRow(*m_pRead,
                "SELECT TABLE_NAME, TABLE_TYPE, ENGINE, CREATE_OPTIONS, TABLE_ROWS FROM information_schema.TABLES "
                "WHERE TABLE_SCHEMA = DATABASE();",
                [&](CRecordset& set) {
                    TableInfo& t = schema.tables[field(set, 0)];
                    t.type = field(set, 1);
                    t.engine = field(set, 2);
                    t.options = field(set, 3);
                    // Only a guide for the first allocations: an odd estimate costs a regrowth.
                    t.rows = std::size_t(std::clamp(AtoiC(field(set, 4)), 0, 1 << 22));
                });
        eachRow(*m_pRead,
                "SELECT TABLE_NAME, COLUMN_NAME, COLLATION_NAME, CHARACTER_MAXIMUM_LENGTH "
                "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE();",
                [&](CRecordset& set) {
                    auto it = schema.tables.find(field(set, 0));
                    if (it == schema.tables.end())
                        return;
                    const std::string column = lower(field(set, 1)), length = field(set, 3);
                    it->second.collations[column] = field(set, 2);
                    it->second.lengths[column] = length.empty() ? -1 : std::stoll(length);
                });
        eachRow(*m_pRead,
                "SELECT TABLE_NAME, INDEX_NAME, COLUMN_NAME FROM information_schema.STATISTICS "
                "WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME, INDEX_NAME, SEQ_IN_INDEX;",
                [&](CRecordset& set) {
                    auto it = schema.tables.find(field(set, 0));
                    if (it == schema.tables.end())
                        return;
                    const std::string index = field(set, 1);
                    if (index == "PRIMARY")
                        it->second.primaryKey.push_back(field(set, 2));
                    else
                        it->second.secondary[index].push_back(lower(field(set, 2)));
                });
    } catch (const CDBException&) {
        // Without the schema nothing can be proven: every look-up is a statement.
        schema.tables.clear();
    }

    loadDG1(schema);
    loadComplexcl(schema);
    loadComplcat(schema);
    loadDrglogic(schema);
    loadKeyed(schema, "DRGWeight", "DRG", "weight", m_weightTable, m_weightDrg, m_weightTexts);
    // The few distinct weights are read once, not once per report line.
    for (std::uint32_t v = 0; m_weightTable.inMemory && v < m_weightTexts.TextCount(); ++v)
        m_weights.push_back(AtofC(std::string(m_weightTexts.Text(v))));
    loadKeyed(schema, "drgnames", "drg", "english", m_names, m_nameDrg, m_nameTexts);
}

void CReferenceSnapshot::Finish()
{
    try {
        m_db.ExecuteSQL("COMMIT");
    } catch (const CDBException&) {
        // Nothing was written; the server ends the transaction with the connection.
    }
}

void CReferenceSnapshot::loadDG1(const Schema& schema)
{
    auto it = schema.tables.find("DG1");
    if (it == schema.tables.end())
        return fallBack("DG1", m_dg1, "not in information_schema");
    const TableInfo& t = it->second;
    m_dg1Code = ruleOf(t, "code");
    m_dg1Vartype = ruleOf(t, "vartype");
    if (m_dg1Code == KeyRule::Unknown || m_dg1Vartype == KeyRule::Unknown)
        return fallBack("DG1", m_dg1, "a collation of code or vartype that is not modelled");
    std::string why;
    m_dg1.orderProven = orderProven(t, {"code", "vartype"}, why);
    if (!m_dg1.orderProven)
        m_fallbacks.push_back("DG1: several rows of one code and kind go to statements (" + why + ")");

    std::string kinds[kCodeKinds];
    for (int k = 0; const char* kind : {"DGCAT", "PDGPRO", "DGPROP", "COMPL"})
        ComparisonKey(m_dg1Vartype, kind, kinds[k++]);
    m_dg1.inMemory = true;
    // A code has one category row and, as a rule, a property or two.
    m_codes.Reserve(t.rows / 2, t.rows);
    // The rows of one code come one after the other, and there are only a
    // few vartypes: a key is worked out only when the text changes.
    std::string code, rawCode, rawVartype;
    int kind = -1;
    try {
        eachBulkRow(m_db, t, "SELECT code, vartype, varval FROM DG1" + orderBy(t) + ";",
                    [&](const CRowset& set, long row) {
                        if (!m_dg1.inMemory || set.isNull(row, 0) || set.isNull(row, 1))
                            return;
                        if (set.name(2) != "varval") {
                            m_dg1.inMemory = false;
                            return;
                        }
                        const std::string_view rowCode = set.text(row, 0), rowVartype = set.text(row, 1);
                        if (rowCode != rawCode) {
                            if (!ComparisonKey(m_dg1Code, rowCode, code)) {
                                m_dg1.inMemory = false;
                                return;
                            }
                            rawCode = rowCode;
                        }
                        if (rowVartype != rawVartype) {
                            std::string vartype;
                            if (!ComparisonKey(m_dg1Vartype, rowVartype, vartype)) {
                                m_dg1.inMemory = false;
                                return;
                            }
                            // Rows of other kinds are never asked for.
                            kind = -1;
                            for (unsigned k = 0; k < kCodeKinds; ++k)
                                if (vartype == kinds[k])
                                    kind = int(k);
                            rawVartype = rowVartype;
                        }
                        if (kind >= 0)
                            m_codes.Add(code, unsigned(kind), set.text(row, 2));
                    });
    } catch (const CDBException&) {
        m_codes.RemoveAll();
        return fallBack("DG1", m_dg1, "cannot be read");
    }
    if (!m_dg1.inMemory) {
        m_codes.RemoveAll();
        return fallBack("DG1", m_dg1, "a code or vartype outside printable ASCII, or no column varval");
    }
    m_codes.Seal();
}

void CReferenceSnapshot::loadComplexcl(const Schema& schema)
{
    auto it = schema.tables.find("complexcl");
    if (it == schema.tables.end())
        return fallBack("complexcl", m_complexcl, "not in information_schema");
    m_complexclCode = ruleOf(it->second, "code");
    m_complexclCompl = ruleOf(it->second, "compl");
    if (m_complexclCode == KeyRule::Unknown || m_complexclCompl == KeyRule::Unknown)
        return fallBack("complexcl", m_complexcl, "a collation of code or compl that is not modelled");
    // Only whether a row exists matters, so the order of the rows does not.
    m_complexcl.inMemory = true;
    m_exclusions.Reserve(it->second.rows, 16 * it->second.rows);
    // Most codes have no exclusions at all; with one key rule for both
    // tables, a code's DG1 key number tells so at once.
    const bool byCode = m_dg1.inMemory && m_dg1Code == m_complexclCode;
    if (byCode)
        m_excludingCodes.assign(m_codes.KeyCount(), false);
    std::string code, category;
    try {
        eachBulkRow(m_db, it->second, "SELECT code, compl FROM complexcl;", [&](const CRowset& set, long row) {
            if (!m_complexcl.inMemory || set.isNull(row, 0) || set.isNull(row, 1))
                return;
            if (!ComparisonKey(m_complexclCode, set.text(row, 0), code) ||
                !ComparisonKey(m_complexclCompl, set.text(row, 1), category)) {
                m_complexcl.inMemory = false;
                return;
            }
            if (byCode)
                if (const std::uint32_t id = m_codes.FindKey(code); id != CKeyIndex::kNone)
                    m_excludingCodes[id] = true;
            code += '\n';
            code += category;
            m_exclusions.Add(code);
        });
    } catch (const CDBException&) {
        m_exclusions.RemoveAll();
        m_excludingCodes.clear();
        return fallBack("complexcl", m_complexcl, "cannot be read");
    }
    if (!m_complexcl.inMemory) {
        m_exclusions.RemoveAll();
        m_excludingCodes.clear();
        fallBack("complexcl", m_complexcl, "a key outside printable ASCII");
    }
}

void CReferenceSnapshot::loadComplcat(const Schema& schema)
{
    loadKeyed(schema, "complcat", "compl", "inclprop", m_complcat, m_complcatCompl, m_inclprops);
}

void CReferenceSnapshot::loadKeyed(const Schema& schema, const char* table, const char* keyColumn,
                                   const char* valueColumn, Table& state, KeyRule& rule, CKeyedTexts& into)
{
    auto it = schema.tables.find(table);
    if (it == schema.tables.end())
        return fallBack(table, state, "not in information_schema");
    const TableInfo& t = it->second;
    rule = ruleOf(t, lower(keyColumn).c_str());
    if (rule == KeyRule::Unknown)
        return fallBack(table, state, std::string("a collation of ") + keyColumn + " that is not modelled");
    std::string why;
    state.orderProven = orderProven(t, {lower(keyColumn).c_str()}, why);
    if (!state.orderProven)
        m_fallbacks.push_back(std::string(table) + ": several rows of one key go to statements (" + why + ")");
    state.inMemory = true;
    into.Reserve(t.rows, t.rows);
    std::string key;
    try {
        eachBulkRow(m_db, t,
                    std::string("SELECT ") + keyColumn + ", " + valueColumn + " FROM " + table + orderBy(t) + ";",
                    [&](const CRowset& set, long row) {
                        if (!state.inMemory || set.isNull(row, 0))
                            return;
                        if (set.name(1) != valueColumn || !ComparisonKey(rule, set.text(row, 0), key)) {
                            state.inMemory = false;
                            return;
                        }
                        into.Add(key, 0, set.text(row, 1));
                    });
    } catch (const CDBException&) {
        into.RemoveAll();
        return fallBack(table, state, "cannot be read");
    }
    if (!state.inMemory) {
        into.RemoveAll();
        return fallBack(table, state, std::string("a key outside printable ASCII, or no column ") + valueColumn);
    }
    into.Seal();
}

void CReferenceSnapshot::loadDrglogic(const Schema& schema)
{
    auto it = schema.tables.find("drglogic");
    if (it == schema.tables.end())
        return fallBack("drglogic", m_drglogic, "not in information_schema");
    const TableInfo& t = it->second;
    std::string why;
    // The narrowing has no equality on a single column, so any secondary
    // index could change the order of delivery.
    if (!orderProven(t, {}, why))
        return fallBack("drglogic", m_drglogic, "delivery order not provable (" + why + ")");
    const char* narrowing[4] = {"mdc", "dgcat1", "pdgprop", "procpro1"};
    for (int i = 0; i < 4; ++i)
        if ((m_narrowing[i] = ruleOf(t, narrowing[i])) == KeyRule::Unknown)
            return fallBack("drglogic", m_drglogic, std::string("a collation of ") + narrowing[i] + " that is not modelled");

    m_drglogic.inMemory = true;
    int columnOf[kDecisionColumnCount] = {};
    try {
        eachBulkRow(m_db, t, "SELECT * FROM drglogic" + orderBy(t) + ";", [&](const CRowset& set, long r) {
            if (!m_drglogic.inMemory)
                return;
            const short columns = set.columns();
            if (m_decisionColumns.empty()) {
                for (short c = 0; c < columns; ++c)
                    m_decisionColumns.push_back(set.name(c));
                for (int d = 0; d < kDecisionColumnCount; ++d) {
                    auto at = std::find(m_decisionColumns.begin(), m_decisionColumns.end(),
                                        DecisionColumnName(DecisionColumn(d)));
                    if (at == m_decisionColumns.end()) {
                        m_drglogic.inMemory = false;
                        return;
                    }
                    columnOf[d] = int(at - m_decisionColumns.begin());
                }
            }
            DecisionRow row;
            std::copy(std::begin(columnOf), std::end(columnOf), std::begin(row.column));
            for (short c = 0; c < columns; ++c)
                row.values.emplace_back(set.text(r, c));
            const DecisionColumn keyed[4] = {DecisionColumn::mdc, DecisionColumn::dgcat1, DecisionColumn::pdgprop,
                                             DecisionColumn::procpro1};
            for (int i = 0; i < 4; ++i) {
                const short c = short(row.column[int(keyed[i])]);
                row.isNull[i] = set.isNull(r, c);
                if (!row.isNull[i] && !ComparisonKey(m_narrowing[i], set.text(r, c), row.key[i])) {
                    m_drglogic.inMemory = false;
                    return;
                }
            }
            m_decisionRows.push_back(std::move(row));
        });
    } catch (const CDBException&) {
        m_decisionRows.clear();
        return fallBack("drglogic", m_drglogic, "cannot be read");
    }
    if (!m_drglogic.inMemory) {
        m_decisionRows.clear();
        fallBack("drglogic", m_drglogic, "a narrowing value outside printable ASCII, or a column missing");
    }
}

// The remembered answer to key, or ask's (a statement, sent now and once):
// one statement at a time on the connection. An error is not remembered.
template <typename Answers, typename Ask>
const typename Answers::mapped_type& CReferenceSnapshot::remembered(Answers& answers, const std::string& key, Ask ask)
{
    auto it = answers.find(key);
    if (it == answers.end()) {
        noteStatement();
        it = answers.emplace(key, ask()).first;
    }
    return it->second;
}

bool CReferenceSnapshot::cachedColumn(const std::string& sql, const char* column, bool all,
                                      std::vector<std::string>& values)
{
    std::lock_guard lock(m_mutex);
    const auto& [any, read] = remembered(m_columnAnswers, sql, [&] {
        std::vector<std::string> rows;
        const bool found = m_pStatements->readColumn(sql, column, true, rows);
        return std::make_pair(found, std::move(rows));
    });
    if (all)
        values.insert(values.end(), read.begin(), read.end());
    else if (any)
        values.push_back(read.front());
    return any;
}

bool CReferenceSnapshot::cachedComplexcl(const std::string& code, const std::string& category)
{
    std::lock_guard lock(m_mutex);
    return remembered(m_complexclAnswers, CStatementAnswers::ComplexclStatement(code, category),
                      [&] { return m_pStatements->complexclHas(code, category); });
}

std::shared_ptr<const CReferenceSnapshot::CachedRows> CReferenceSnapshot::cachedRows(const std::string& sql)
{
    std::lock_guard lock(m_mutex);
    return remembered(m_rowAnswers, sql, [&] {
        auto rows = std::make_shared<CachedRows>();
        m_pStatements->visitRows(sql, [&](IDecisionRow& row) {
            std::vector<std::string> values;
            auto whole = row.wholeRow();
            if (rows->names.empty())
                for (auto& [name, value] : whole)
                    rows->names.push_back(name);
            for (auto& [name, value] : whole)
                values.push_back(std::move(value));
            rows->rows.push_back(std::move(values));
            return false;
        });
        return std::shared_ptr<const CachedRows>(std::move(rows));
    });
}

// A DRG or weight code without a row fails here with the server's own error.
std::string CReferenceSnapshot::cachedName(const std::string& drg)
{
    std::lock_guard lock(m_mutex);
    return remembered(m_nameAnswers, drg, [&] { return m_pLookup->LookupDRGName(drg); });
}

std::string CReferenceSnapshot::cachedWeight(const std::string& weightCode)
{
    std::lock_guard lock(m_mutex);
    return remembered(m_weightAnswers, weightCode, [&] { return m_pLookup->LookupDRGWeightText(weightCode); });
}

namespace {

// A decision row held in memory: the snapshot's or a remembered answer's.
class CHeldRow : public IDecisionRow {
public:
    CHeldRow(const std::vector<std::string>& names, const std::vector<std::string>& values, const int* columns)
        : m_names(names), m_values(values), m_columns(columns)
    {
    }

    const std::string& field(DecisionColumn column) override
    {
        if (m_columns)
            return m_values[std::size_t(m_columns[int(column)])];
        auto at = std::find(m_names.begin(), m_names.end(), DecisionColumnName(column));
        // As the cursor reports a column the result does not have.
        if (at == m_names.end())
            throw CDBException(kSqlErrorFieldNotFound, std::string());
        return m_values[std::size_t(at - m_names.begin())];
    }

    std::vector<std::pair<std::string, std::string>> wholeRow() override
    {
        std::vector<std::pair<std::string, std::string>> row;
        for (std::size_t c = 0; c < m_names.size(); ++c)
            row.emplace_back(m_names[c], m_values[c]);
        return row;
    }

private:
    const std::vector<std::string>& m_names;
    const std::vector<std::string>& m_values;
    const int* m_columns; // null: look the column up by name
};

// The kind of DG1 row a vartype asks for, or -1 for one the snapshot does
// not answer.
int kindOf(const char* vartype)
{
    const std::string_view kind = vartype;
    if (kind == "DGCAT")
        return CReferenceSnapshot::kDgcat;
    if (kind == "PDGPRO")
        return CReferenceSnapshot::kPdgpro;
    if (kind == "COMPL")
        return CReferenceSnapshot::kCompl;
    return -1;
}

// The first of key's values in a keyed table (its number), when memory can
// tell which one the server delivers first; false when a statement must say.
bool firstOfKey(const CReferenceSnapshot::Table& table, KeyRule rule, const CKeyedTexts& texts,
                const std::string& value, std::string& key, bool& found, std::uint32_t& first)
{
    if (!table.inMemory || !ComparisonKey(rule, value, key))
        return false;
    const std::uint32_t id = texts.FindKey(key);
    found = id != CKeyIndex::kNone;
    if (!found)
        return true;
    const std::span<const std::uint32_t> values = texts.Values(id, 0);
    if (!table.orderProven && !allEqual(values))
        return false;
    first = values.front();
    return true;
}

} // namespace

std::uint32_t CSnapshotAnswers::codeRows(const std::string& code, bool& sure)
{
    const Recent& r = recent(code, CKeyIndex::Hash(code) % m_recent.size());
    sure = r.sure;
    return r.rows;
}

// What the snapshot knows of code, kept at slot of the recent codes.
const CSnapshotAnswers::Recent& CSnapshotAnswers::recent(const std::string& code, std::size_t slot)
{
    Recent& r = m_recent[slot];
    if (!r.used || r.code != code) {
        r.used = true;
        r.code = code;
        r.sure = m_snapshot.m_dg1.inMemory && ComparisonKey(m_snapshot.m_dg1Code, code, m_key);
        r.rows = r.sure ? m_snapshot.m_codes.FindKey(m_key) : CKeyIndex::kNone;
    }
    return r;
}

// The rows of vartype for code from memory; false when only the statement
// can tell (which of several different rows the server delivers first is
// known only where the order is proven).
bool CSnapshotAnswers::codeValues(const char* vartype, const std::string& code, std::span<const std::uint32_t>& values)
{
    const int kind = kindOf(vartype);
    bool sure = false;
    const std::uint32_t rows = codeRows(code, sure);
    if (!sure || kind < 0)
        return false;
    values = rows == CKeyIndex::kNone ? std::span<const std::uint32_t>() : m_snapshot.m_codes.Values(rows, unsigned(kind));
    return values.size() <= 1 || m_snapshot.m_dg1.orderProven || allEqual(values);
}

bool CSnapshotAnswers::firstVarval(const char* vartype, const std::string& code, std::string& value)
{
    std::span<const std::uint32_t> values;
    if (codeValues(vartype, code, values)) {
        if (values.empty())
            return false;
        value = m_snapshot.m_codes.Text(values.front());
        return true;
    }
    std::vector<std::string> read;
    if (!m_snapshot.cachedColumn(CStatementAnswers::VarvalStatement(vartype, code), "varval", false, read))
        return false;
    value = std::move(read.front());
    return true;
}

void CSnapshotAnswers::allVarvals(const char* vartype, const std::string& code, std::vector<std::string>& values)
{
    std::span<const std::uint32_t> found;
    if (codeValues(vartype, code, found)) {
        for (std::uint32_t v : found)
            values.emplace_back(m_snapshot.m_codes.Text(v));
        return;
    }
    m_snapshot.cachedColumn(CStatementAnswers::VarvalStatement(vartype, code), "varval", true, values);
}

void CSnapshotAnswers::dgpropValues(const CStringList& codes, std::vector<std::string>& values)
{
    // Every pass of a case asks with the same codes.
    if (std::equal(codes.begin(), codes.end(), m_dgpropCodes.begin(), m_dgpropCodes.end())) {
        values.insert(values.end(), m_dgpropValues.begin(), m_dgpropValues.end());
        return;
    }
    m_dgpropCodes.assign(codes.begin(), codes.end());
    m_dgpropValues.clear();
    collectDgprop(codes, m_dgpropValues);
    values.insert(values.end(), m_dgpropValues.begin(), m_dgpropValues.end());
}

void CSnapshotAnswers::collectDgprop(const CStringList& codes, std::vector<std::string>& values)
{
    const std::size_t before = values.size();
    // A new case's codes are mostly not remembered yet: the slots of those
    // that are not, then the rows of all, are asked of memory at once, so
    // that the waits for memory overlap.
    m_slots.clear();
    for (const std::string& code : codes) {
        const std::size_t slot = CKeyIndex::Hash(code) % m_recent.size();
        m_slots.push_back(slot);
        const Recent& r = m_recent[slot];
        if ((!r.used || r.code != code) && m_snapshot.m_dg1.inMemory &&
            ComparisonKey(m_snapshot.m_dg1Code, code, m_key))
            m_snapshot.m_codes.PrefetchKey(m_key);
    }
    for (std::size_t i = 0; i < codes.GetCount(); ++i)
        if (const std::uint32_t rows = recent(codes.GetAt(i), m_slots[i]).rows; rows != CKeyIndex::kNone)
            m_snapshot.m_codes.PrefetchValues(rows, CReferenceSnapshot::kDgprop);
    for (std::size_t i = 0; i < codes.GetCount(); ++i) {
        // Two codes of the case may share a slot: the later one is worked out again.
        const Recent& r = recent(codes.GetAt(i), m_slots[i]);
        if (!r.sure) {
            values.resize(before);
            m_snapshot.cachedColumn(CStatementAnswers::DgpropStatement(codes), "varval", true, values);
            return;
        }
        if (r.rows != CKeyIndex::kNone)
            for (std::uint32_t v : m_snapshot.m_codes.Values(r.rows, CReferenceSnapshot::kDgprop))
                values.emplace_back(m_snapshot.m_codes.Text(v));
    }
}

bool CSnapshotAnswers::complexclHas(const std::string& code, const std::string& category)
{
    if (m_snapshot.m_complexcl.inMemory && !m_snapshot.m_excludingCodes.empty()) {
        // No row has the code's key, so none has it with any category.
        bool sure = false;
        const std::uint32_t id = codeRows(code, sure);
        if (sure && id != CKeyIndex::kNone && !m_snapshot.m_excludingCodes[id])
            return false;
    }
    if (m_snapshot.m_complexcl.inMemory && ComparisonKey(m_snapshot.m_complexclCode, code, m_key) &&
        ComparisonKey(m_snapshot.m_complexclCompl, category, m_complKey)) {
        m_pair.assign(m_key).append(1, '\n').append(m_complKey);
        return m_snapshot.m_exclusions.Find(m_pair) != CKeyIndex::kNone;
    }
    return m_snapshot.cachedComplexcl(code, category);
}

bool CSnapshotAnswers::complcatInclprop(const std::string& category, std::string& inclprop)
{
    bool found = false;
    std::uint32_t first = 0;
    if (firstOfKey(m_snapshot.m_complcat, m_snapshot.m_complcatCompl, m_snapshot.m_inclprops, category, m_key, found,
                   first)) {
        if (found)
            inclprop = m_snapshot.m_inclprops.Text(first);
        return found;
    }
    std::vector<std::string> read;
    if (!m_snapshot.cachedColumn(CStatementAnswers::ComplcatStatement(category), "inclprop", false, read))
        return false;
    inclprop = std::move(read.front());
    return true;
}

// The rows the decision-table query admits, in table order, or null when
// memory cannot tell.
const std::vector<std::uint32_t>* CSnapshotAnswers::admitted(const CCaseData& caseData)
{
    if (!m_snapshot.m_drglogic.inMemory)
        return nullptr;
    const CStringList& pdgpro = caseData.getPDGPROList();
    // Codes of one category differ by their primary properties, if at all.
    const std::uint64_t hash = CKeyIndex::Hash(caseData.getDGCAT()) ^
                               (pdgpro.IsEmpty() ? 0 : CKeyIndex::Hash(pdgpro.GetHead()) * 31);
    RecentNarrowing& recent = m_recentNarrowings[hash % m_recentNarrowings.size()];
    if (recent.rows && recent.dgcat == caseData.getDGCAT() && recent.mdc == caseData.getMDC() &&
        recent.procpro == caseData.getProcPro() &&
        std::equal(pdgpro.begin(), pdgpro.end(), recent.pdgpro.begin(), recent.pdgpro.end()))
        return recent.rows;
    recent.rows = narrowed(caseData);
    if (recent.rows) {
        recent.dgcat = caseData.getDGCAT();
        recent.mdc = caseData.getMDC();
        recent.procpro = caseData.getProcPro();
        recent.pdgpro.assign(pdgpro.begin(), pdgpro.end());
    }
    return recent.rows;
}

// admitted's answer worked out: the query's four narrowing conditions with
// the server's comparisons: mdc, dgcat1 and procpro1 equal to the case's
// value or NULL, pdgprop equal to one of the primary's properties or NULL.
const std::vector<std::uint32_t>* CSnapshotAnswers::narrowed(const CCaseData& caseData)
{
    const KeyRule* rules = m_snapshot.m_narrowing;
    std::string mdc, dgcat, none;
    if (!ComparisonKey(rules[0], caseData.getMDC(), mdc) || !ComparisonKey(rules[1], caseData.getDGCAT(), dgcat) ||
        !ComparisonKey(rules[3], caseData.getProcPro(), none))
        return nullptr;
    std::vector<std::string> properties;
    for (const std::string& p : caseData.getPDGPROList()) {
        properties.emplace_back();
        if (!ComparisonKey(rules[2], p, properties.back()))
            return nullptr;
    }
    std::string memo = mdc + '\n' + dgcat + '\n' + none + '\n' + std::to_string(properties.size());
    for (const std::string& p : properties)
        memo += '\n' + p;
    auto it = m_admitted.find(memo);
    if (it != m_admitted.end())
        return &it->second;

    std::vector<std::uint32_t> rows;
    const auto& all = m_snapshot.m_decisionRows;
    for (std::uint32_t r = 0; r < all.size(); ++r) {
        const CReferenceSnapshot::DecisionRow& row = all[r];
        if ((row.isNull[0] || row.key[0] == mdc) && (row.isNull[1] || row.key[1] == dgcat) &&
            (row.isNull[2] || std::find(properties.begin(), properties.end(), row.key[2]) != properties.end()) &&
            (row.isNull[3] || row.key[3] == none))
            rows.push_back(r);
    }
    return &m_admitted.emplace(std::move(memo), std::move(rows)).first->second;
}

void CSnapshotAnswers::decisionRows(const CCaseData& caseData, const std::function<bool(IDecisionRow&)>& visit)
{
    if (const std::vector<std::uint32_t>* rows = admitted(caseData)) {
        for (std::uint32_t r : *rows) {
            const CReferenceSnapshot::DecisionRow& row = m_snapshot.m_decisionRows[r];
            CHeldRow held(m_snapshot.m_decisionColumns, row.values, row.column);
            if (visit(held))
                return;
        }
        return;
    }
    const auto answer = m_snapshot.cachedRows(caseData.buildDRGlogicQuery());
    for (const std::vector<std::string>& values : answer->rows) {
        CHeldRow held(answer->names, values, nullptr);
        if (visit(held))
            return;
    }
}

// The number of key's first value in a keyed table, from the thread's memory
// of recent keys or from the snapshot; kNone when memory has no row for it or
// cannot tell which row the server delivers first.
std::uint32_t CSnapshotAnswers::firstValue(RecentKeys& recent, const CReferenceSnapshot::Table& table, KeyRule rule,
                                           const CKeyedTexts& texts, const std::string& key)
{
    RecentKey& r = recent[CKeyIndex::Hash(key) % recent.size()];
    if (r.value != CKeyIndex::kNone && r.key == key)
        return r.value;
    bool found = false;
    std::uint32_t first = 0;
    if (!firstOfKey(table, rule, texts, key, m_key, found, first) || !found)
        return CKeyIndex::kNone;
    r.key = key;
    r.value = first;
    return first;
}

std::string CSnapshotAnswers::LookupDRGName(const std::string& drg)
{
    const std::uint32_t name =
        firstValue(m_recentNames, m_snapshot.m_names, m_snapshot.m_nameDrg, m_snapshot.m_nameTexts, drg);
    if (name != CKeyIndex::kNone)
        return std::string(m_snapshot.m_nameTexts.Text(name));
    return m_snapshot.cachedName(drg);
}

double CSnapshotAnswers::LookupDRGWeight(const std::string& weightCode)
{
    const std::uint32_t weight = firstValue(m_recentWeights, m_snapshot.m_weightTable, m_snapshot.m_weightDrg,
                                            m_snapshot.m_weightTexts, weightCode);
    if (weight != CKeyIndex::kNone)
        return m_snapshot.m_weights[weight];
    return AtofC(m_snapshot.cachedWeight(weightCode));
}
