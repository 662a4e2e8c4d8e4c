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
// the codes above). Windows-1252.
class CDBException : public std::exception {
public:
    CDBException(long retCode, std::string errorText)
        : m_nRetCode(retCode), m_strError(std::move(errorText)) {}

    const char* what() const noexcept override { return m_strError.c_str(); }

    long m_nRetCode;
    std::string m_strError;
};
