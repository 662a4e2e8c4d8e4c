#pragma once

#include <string>

// The shared ODBC connection to the reference database. One instance lives
// for the whole run (owned by the application object); cursors borrow it.
// Implementation: unixODBC, RAII handles, every ODBC diagnostic turned into
// CDBException in one place.
class CDatabase {
public:
    // OpenEx options.
    enum : unsigned { openReadOnly = 0x0004 };

    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Read-only access mode (openReadOnly) and a 15 s login time-out are set
    // before connecting; no prompting. The driver is also given time-outs of
    // 15 s for the login and for every read and write on the connection, so
    // a server that stops answering fails the call instead of blocking it
    // for ever. True when open; false without an error only when the driver
    // manager made no connection and nothing failed. Any error throws
    // CDBException and leaves the connection not open.
    bool OpenEx(const std::string& connectString, unsigned options = 0);
    // OpenEx again with the connect string and options it was last given.
    bool Reopen();
    // False also once a statement has found the connection lost
    // (CDBException::IsConnectionLost), until it is opened again.
    bool IsOpen() const;
    // The connect string of the last OpenEx, as it was given.
    const std::string& GetConnect() const;
    void Close();

    // Runs a statement that returns no rows (a transaction's start or end).
    void ExecuteSQL(const std::string& sql);

    // Implementation details for CRecordset.
    struct Impl;
    Impl* impl() const { return m_impl; }

private:
    Impl* m_impl;
};
