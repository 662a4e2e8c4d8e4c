#pragma once

#include <string>

// The shared ODBC connection to the reference database. One instance lives
// for the whole run (owned by the application object); cursors borrow it.
// Implementation: unixODBC, RAII handles, every ODBC diagnostic turned into
// CDBException in one place.
class CDatabase {
public:
    // OpenEx options.
    enum : unsigned { openReadOnly = 0x0004, noOdbcDialog = 0x0008 };

    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Read-only access mode and a 15 s login time-out are set before
    // connecting; no prompting. True when open; false without an error only
    // when the driver manager made no connection and nothing failed.
    // Any error throws CDBException and leaves the connection not open.
    bool OpenEx(const std::string& connectString, unsigned options = 0);
    bool IsOpen() const;
    void Close();

    // Runs a statement that returns no rows (a transaction's start or end).
    void ExecuteSQL(const std::string& sql);

    // Implementation details for CRecordset.
    struct Impl;
    Impl* impl() const { return m_impl; }

private:
    Impl* m_impl;
};
