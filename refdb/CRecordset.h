#pragma once

#include <cstddef>
#include <string>

class CDatabase;

// A cursor over the result of one SQL text on a connection. All values are
// read as Windows-1252 text. Snapshot (static, scrollable) cursors only.
// Plain cursors fetch one row at a time and read columns by exact name;
// bulk cursors (SetRowsetSize + useMultiRowFetch) bind column arrays by
// position in BindBulkColumns and fetch a rowset per call.
// Every driver error is thrown as CDBException.
class CRecordset {
public:
    // Open options. Every cursor is a read-only snapshot.
    enum : unsigned { none = 0, useMultiRowFetch = 0x2000 };

    explicit CRecordset(CDatabase* database);
    virtual ~CRecordset();
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    void SetRowsetSize(unsigned long rows);

    // Executes sql unchanged and fetches the first row (rowset). An empty
    // result leaves BOF and EOF both true. On failure the cursor is closed
    // again before the error is thrown.
    bool Open(const std::string& sql, unsigned options = none);
    bool IsOpen() const;
    bool IsBOF() const;
    bool IsEOF() const;
    long GetRowsFetched() const;

    void MoveNext();
    void MoveFirst();

    // Current row's value of the column named exactly so (case-sensitive);
    // NULL reads as the empty text; nothing is trimmed. Unknown name: 1026.
    void GetFieldValue(const std::string& columnName, std::string& value);
    // Columns of the result by position (0-based), for tools that show a
    // whole row.
    short GetODBCFieldCount() const;
    std::string GetFieldName(short index) const;
    void GetFieldValue(short index, std::string& value);

    void Close();

    struct Impl;

protected:
    // Bulk binding, for derived bulk cursors.
    class CBulkBinder;
    virtual void BindBulkColumns(CBulkBinder&, unsigned long /*rows*/) {}

private:
    Impl* m_impl;
};

// Binds the columns of a bulk cursor's result by position, in the order of
// the calls (the name only documents the binding). A slot holds one row's
// value in Windows-1252, terminator included, so a slot of 10 takes at most
// 9 characters; a longer value fails the fetch with 1021. The length array
// gives each row's length in characters, or -1 for NULL (read as ""). Both
// arrays belong to the cursor: allocated at Open for the rowset size, freed
// (and the pointers reset to null) at Close.
class CRecordset::CBulkBinder {
public:
    virtual void BindText(const char* name, char** values, long** lengths, std::size_t slotSize) = 0;

protected:
    ~CBulkBinder() = default;
};
