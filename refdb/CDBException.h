#pragma once

#include <exception>
#include <string>

// Conditions the connection and cursor detect themselves; they carry no text.
enum : long {
    kSqlErrorRecordsetForwardOnly = 1002,
    kSqlErrorApiConformance = 1014,
    kSqlErrorSqlConformance = 1015,
    kSqlErrorNoDataFound = 1016,
    kSqlErrorDataTruncated = 1021,
    kSqlErrorRowFetch = 1022,
    kSqlErrorFieldNotFound = 1026,
};

// A database error. m_nRetCode is the ODBC return code of the failed call
// (SQL_ERROR for an error the driver reported) or one of the codes above;
// m_strError is the text the user sees: one line per diagnostic record, each
// ending in a line feed, with the driver's bracketed tags removed (empty for
// the codes above). Windows-1252. m_strSqlState and m_nNativeError are those
// of the first diagnostic record (empty and 0 when there was none).
class CDBException : public std::exception {
public:
    CDBException(long retCode, std::string errorText, std::string sqlState = std::string(), long nativeError = 0)
        : m_nRetCode(retCode)
        , m_strError(std::move(errorText))
        , m_strSqlState(std::move(sqlState))
        , m_nNativeError(nativeError)
    {
    }

    const char* what() const noexcept override { return m_strError.c_str(); }

    // The connection to the server is gone (or never came about): a
    // communication error (class 08), or the client library's "server has
    // gone away" / "lost connection" family, which the driver may report as
    // a general error (HY000). Any other error leaves the connection usable.
    bool IsConnectionLost() const;

    long m_nRetCode;
    std::string m_strError;
    std::string m_strSqlState;
    long m_nNativeError;
};
