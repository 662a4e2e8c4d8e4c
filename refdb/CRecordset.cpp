#include "CRecordset.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "CDatabaseImpl.h"
#include "Codepage.h"
#include "OdbcDiagnostics.h"
#include "OdbcHandle.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <sqlext.h>
#include <sqlucode.h>
#include <vector>

namespace {

constexpr SQLULEN kQueryTimeoutSeconds = 15;
constexpr const char* kNotConnected = "The reference database is not connected.\n";

bool hasState(const std::vector<std::string>& states, const char* state)
{
    return std::find(states.begin(), states.end(), state) != states.end();
}

// The driver delivers text as UTF-8 for SQL_C_CHAR (the connection is a
// Unicode one) and converts it itself for SQL_C_WCHAR, but with a converter
// set up anew for every value, which costs more than the whole transfer
// for the catalogue. So text is taken as UTF-8 and turned into Windows-1252
// here.
std::string cp1252FromDriver(std::string_view utf8)
{
    return codepage::IsAscii(utf8) ? std::string(utf8) : codepage::Cp1252FromUtf8(utf8);
}

// One bound text column of a bulk cursor. The driver fills the UTF-8 arrays;
// each fetch converts them into the caller's 8-bit slots. A UTF-8 slot has
// room for four bytes per 8-bit character, so every value whose
// Windows-1252 form fits the 8-bit slot reaches us whole and the length
// limit is judged on the 8-bit form.
struct BulkColumn {
    std::size_t slot = 0;
    std::size_t utf8Slot = 0;
    std::unique_ptr<char[]> values;
    std::unique_ptr<long[]> lengths;
    std::unique_ptr<char[]> utf8;
    std::unique_ptr<SQLLEN[]> utf8Lengths;
    char** userValues = nullptr;
    long** userLengths = nullptr;
};

} // namespace

struct CRecordset::Impl {
    explicit Impl(CDatabase* database) : db(database) {}

    CDatabase* db;
    OdbcHandle stmt;
    // The connection's generation when stmt was allocated.
    unsigned stmtGeneration = 0;
    bool open = false;
    bool bof = true;
    bool eof = true;
    bool scrollable = false;
    bool bulk = false;
    unsigned long rowsetSize = 1;
    SQLULEN rowsFetched = 0;
    std::vector<SQLUSMALLINT> rowStatus;
    std::vector<std::string> columnNames;
    // Plain cursor: the values of the current row read so far.
    std::vector<std::optional<std::string>> rowValues;
    std::vector<BulkColumn> bulkColumns;

    SQLHSTMT hstmt() const { return stmt.get(); }
    // Throws error; an error that says the server is gone marks the
    // connection lost first, so the next command opens it again.
    [[noreturn]] void raise(CDBException error) const;
    [[noreturn]] void fail(SQLRETURN rc) const { raise(odbc::Error(rc, SQL_HANDLE_STMT, stmt.get())); }
    void check(SQLRETURN rc) const
    {
        if (!SQL_SUCCEEDED(rc))
            fail(rc);
    }
    void freeStatement();

    void allocateStatement();
    void setAttribute(SQLINTEGER attribute, SQLULEN value) const;
    void describeColumns();
    void bindBulkColumns();
    bool fetch(SQLSMALLINT orientation);
    void convertRowset();
    std::string readValue(SQLUSMALLINT column) const;
    void freeBulkColumns();

    class Binder;
};

class CRecordset::Impl::Binder final : public CRecordset::CBulkBinder {
public:
    Binder(std::vector<BulkColumn>& columns, unsigned long rows) : m_columns(columns), m_rows(rows) {}

    void BindText(const char* /*name*/, char** values, long** lengths, std::size_t slotSize) override
    {
        BulkColumn c;
        c.slot = std::max<std::size_t>(slotSize, 1);
        c.utf8Slot = 4 * c.slot;
        c.values = std::make_unique<char[]>(m_rows * c.slot);
        c.lengths = std::make_unique<long[]>(m_rows);
        c.utf8 = std::make_unique<char[]>(m_rows * c.utf8Slot);
        c.utf8Lengths = std::make_unique<SQLLEN[]>(m_rows);
        c.userValues = values;
        c.userLengths = lengths;
        *values = c.values.get();
        *lengths = c.lengths.get();
        m_columns.push_back(std::move(c));
    }

private:
    std::vector<BulkColumn>& m_columns;
    unsigned long m_rows;
};

void CRecordset::Impl::raise(CDBException error) const
{
    if (db && error.IsConnectionLost() && !db->impl()->lost)
        db->impl()->lost = error;
    throw error;
}

void CRecordset::Impl::freeStatement()
{
    if (stmt && stmtGeneration != db->impl()->generation)
        stmt.release();
    stmt.reset();
}

void CRecordset::Impl::allocateStatement()
{
    const CDatabase::Impl& conn = *db->impl();
    SQLHANDLE handle = SQL_NULL_HANDLE;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, conn.dbc.get(), &handle);
    if (!SQL_SUCCEEDED(rc))
        raise(odbc::Error(rc, SQL_HANDLE_DBC, conn.dbc.get()));
    stmt = OdbcHandle(SQL_HANDLE_STMT, handle);
    stmtGeneration = conn.generation;
    if (!conn.queryTimeoutRefused) {
        rc = SQLSetStmtAttrW(hstmt(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kQueryTimeoutSeconds), 0);
        // Anything but a plain success (the MariaDB driver answers 01S02):
        // the driver will not honour it, so stop asking.
        if (rc != SQL_SUCCESS)
            db->impl()->queryTimeoutRefused = true;
    }
}

void CRecordset::Impl::setAttribute(SQLINTEGER attribute, SQLULEN value) const
{
    check(SQLSetStmtAttrW(hstmt(), attribute, reinterpret_cast<SQLPOINTER>(value), 0));
}

void CRecordset::Impl::describeColumns()
{
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(hstmt(), &count));
    columnNames.clear();
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(std::max<SQLSMALLINT>(count, 0)); ++i) {
        SQLWCHAR name[256];
        SQLSMALLINT nameBytes = 0;
        check(SQLColAttributeW(hstmt(), i, SQL_DESC_NAME, name, sizeof name, &nameBytes, nullptr));
        std::size_t n = std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(nameBytes, 0)) / sizeof(SQLWCHAR),
                                              std::size(name) - 1);
        columnNames.push_back(codepage::Cp1252FromUtf16(std::u16string(name, name + n)));
    }
    rowValues.assign(columnNames.size(), std::nullopt);
}

void CRecordset::Impl::bindBulkColumns()
{
    for (std::size_t i = 0; i < bulkColumns.size(); ++i) {
        BulkColumn& c = bulkColumns[i];
        check(SQLBindCol(hstmt(), SQLUSMALLINT(i + 1), SQL_C_CHAR, c.utf8.get(), SQLLEN(c.utf8Slot),
                         c.utf8Lengths.get()));
    }
}

bool CRecordset::Impl::fetch(SQLSMALLINT orientation)
{
    std::fill(rowValues.begin(), rowValues.end(), std::nullopt);
    rowsFetched = 0;
    SQLRETURN rc = SQLFetchScroll(hstmt(), orientation, 0);
    if (rc == SQL_NO_DATA)
        return false;
    if (!SQL_SUCCEEDED(rc))
        fail(rc);
    if (rc == SQL_SUCCESS_WITH_INFO) {
        std::vector<std::string> states = odbc::SqlStates(SQL_HANDLE_STMT, hstmt());
        if (hasState(states, "01004"))
            odbc::ThrowCode(kSqlErrorDataTruncated);
        if (hasState(states, "01S01"))
            odbc::ThrowCode(kSqlErrorRowFetch);
    }
    if (!bulk)
        rowsFetched = 1;
    else
        convertRowset();
    return true;
}

void CRecordset::Impl::convertRowset()
{
    for (SQLULEN row = 0; row < rowsFetched; ++row)
        if (rowStatus[row] == SQL_ROW_ERROR)
            odbc::ThrowCode(kSqlErrorRowFetch);
    for (BulkColumn& c : bulkColumns) {
        for (SQLULEN row = 0; row < rowsFetched; ++row) {
            char* slot = c.values.get() + row * c.slot;
            SQLLEN bytes = c.utf8Lengths[row];
            if (bytes == SQL_NULL_DATA) {
                slot[0] = '\0';
                c.lengths[row] = SQL_NULL_DATA;
                continue;
            }
            // The driver may leave a cut value without its terminator; a cut
            // value fails the fetch anyway, so only the length matters here.
            if (bytes == SQL_NO_TOTAL || std::size_t(bytes) >= c.utf8Slot)
                odbc::ThrowCode(kSqlErrorDataTruncated);
            const std::string_view utf8(c.utf8.get() + row * c.utf8Slot, std::size_t(bytes));
            // Plain ASCII, as nearly every value is, reads the same in both code pages.
            const bool ascii = codepage::IsAscii(utf8);
            const std::string converted = ascii ? std::string() : codepage::Cp1252FromUtf8(utf8);
            const std::string_view text = ascii ? utf8 : std::string_view(converted);
            if (text.size() >= c.slot)
                odbc::ThrowCode(kSqlErrorDataTruncated);
            std::copy(text.begin(), text.end(), slot);
            slot[text.size()] = '\0';
            c.lengths[row] = long(text.size());
        }
    }
}

std::string CRecordset::Impl::readValue(SQLUSMALLINT column) const
{
    std::string utf8;
    char buffer[4096];
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(hstmt(), column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(rc);
        if (indicator == SQL_NULL_DATA)
            return std::string();
        // A part of a longer value fills the buffer but for the terminator.
        std::size_t bytes = sizeof buffer - 1;
        if (indicator != SQL_NO_TOTAL && std::size_t(indicator) < bytes)
            bytes = std::size_t(indicator);
        utf8.append(buffer, bytes);
        if (rc == SQL_SUCCESS)
            break;
    }
    return cp1252FromDriver(utf8);
}

void CRecordset::Impl::freeBulkColumns()
{
    for (BulkColumn& c : bulkColumns) {
        *c.userValues = nullptr;
        *c.userLengths = nullptr;
    }
    bulkColumns.clear();
    rowStatus.clear();
}

CRecordset::CRecordset(CDatabase* database) : m_impl(new Impl(database))
{
    if (database && database->IsOpen()) {
        try {
            m_impl->allocateStatement();
        } catch (const CDBException&) {
            // Open allocates it again and reports the error then.
        }
    }
}

CRecordset::~CRecordset()
{
    Close();
    delete m_impl;
}

void CRecordset::SetRowsetSize(unsigned long rows)
{
    m_impl->rowsetSize = std::max(rows, 1UL);
}

bool CRecordset::Open(const std::string& sql, unsigned options)
{
    Impl& d = *m_impl;
    Close();
    // unixODBC cannot let the user pick a data source for a connection that
    // never opened, so the command that needed it ends with this message.
    if (!d.db || !d.db->IsOpen()) {
        // On a connection found lost, the text that told so (a cursor's
        // constructor may have met it silently).
        if (d.db && d.db->impl()->lost)
            throw *d.db->impl()->lost;
        throw CDBException(SQL_ERROR, kNotConnected);
    }
    try {
        if (!d.stmt)
            d.allocateStatement();
        d.bulk = (options & useMultiRowFetch) != 0;
        d.setAttribute(SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC);
        d.setAttribute(SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY);
        d.setAttribute(SQL_ATTR_ROWS_FETCHED_PTR, reinterpret_cast<SQLULEN>(&d.rowsFetched));
        if (d.bulk) {
            d.rowStatus.assign(d.rowsetSize, SQL_ROW_SUCCESS);
            d.setAttribute(SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN);
            d.setAttribute(SQL_ATTR_ROW_ARRAY_SIZE, d.rowsetSize);
            d.setAttribute(SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(d.rowStatus.data()));
        }

        std::u16string wide = codepage::Utf16FromCp1252(sql);
        SQLRETURN rc = SQLExecDirectW(d.hstmt(), reinterpret_cast<SQLWCHAR*>(wide.data()), SQLINTEGER(wide.size()));
        if (rc != SQL_NO_DATA)
            d.check(rc);

        SQLULEN cursorType = SQL_CURSOR_FORWARD_ONLY;
        d.check(SQLGetStmtAttrW(d.hstmt(), SQL_ATTR_CURSOR_TYPE, &cursorType, 0, nullptr));
        d.scrollable = cursorType != SQL_CURSOR_FORWARD_ONLY;
        d.describeColumns();
        if (d.bulk) {
            Impl::Binder binder(d.bulkColumns, d.rowsetSize);
            BindBulkColumns(binder, d.rowsetSize);
            d.bindBulkColumns();
        }
        d.open = true;
        bool any = d.fetch(SQL_FETCH_NEXT);
        d.bof = !any;
        d.eof = !any;
    } catch (...) {
        Close();
        throw;
    }
    return true;
}

bool CRecordset::IsOpen() const
{
    return m_impl->open;
}

bool CRecordset::IsBOF() const
{
    return m_impl->bof;
}

bool CRecordset::IsEOF() const
{
    return m_impl->eof;
}

long CRecordset::GetRowsFetched() const
{
    return long(m_impl->rowsFetched);
}

void CRecordset::MoveNext()
{
    Impl& d = *m_impl;
    if (!d.open || d.eof)
        odbc::ThrowCode(kSqlErrorNoDataFound);
    d.bof = false;
    if (!d.fetch(SQL_FETCH_NEXT))
        d.eof = true;
}

void CRecordset::MoveFirst()
{
    Impl& d = *m_impl;
    if (!d.open)
        odbc::ThrowCode(kSqlErrorNoDataFound);
    if (!d.scrollable)
        odbc::ThrowCode(kSqlErrorRecordsetForwardOnly);
    if (d.bof && d.eof)
        odbc::ThrowCode(kSqlErrorNoDataFound);
    bool any = d.fetch(SQL_FETCH_FIRST);
    d.bof = !any;
    d.eof = !any;
}

void CRecordset::GetFieldValue(const std::string& columnName, std::string& value)
{
    const std::vector<std::string>& names = m_impl->columnNames;
    auto it = std::find(names.begin(), names.end(), columnName);
    if (it == names.end())
        odbc::ThrowCode(kSqlErrorFieldNotFound);
    GetFieldValue(short(it - names.begin()), value);
}

short CRecordset::GetODBCFieldCount() const
{
    return short(m_impl->columnNames.size());
}

std::string CRecordset::GetFieldName(short index) const
{
    return m_impl->columnNames.at(std::size_t(index));
}

void CRecordset::GetFieldValue(short index, std::string& value)
{
    Impl& d = *m_impl;
    if (index < 0 || std::size_t(index) >= d.columnNames.size())
        odbc::ThrowCode(kSqlErrorFieldNotFound);
    std::optional<std::string>& cached = d.rowValues[std::size_t(index)];
    // A column's data can be taken from the driver only once per row.
    if (!cached)
        cached = d.readValue(SQLUSMALLINT(index + 1));
    value = *cached;
}

void CRecordset::Close()
{
    Impl& d = *m_impl;
    d.freeStatement();
    d.freeBulkColumns();
    d.columnNames.clear();
    d.rowValues.clear();
    d.open = false;
    d.bof = true;
    d.eof = true;
    d.bulk = false;
    d.scrollable = false;
    d.rowsFetched = 0;
}
