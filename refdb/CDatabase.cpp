#include "CDatabase.h"

#include "CDBException.h"
#include "CDatabaseImpl.h"
#include "Codepage.h"
#include "OdbcDiagnostics.h"

#include <sqlext.h>
#include <sqlucode.h>

namespace {

constexpr SQLULEN kLoginTimeoutSeconds = 15;
// The MariaDB driver keeps the login time-out attribute but does not apply
// it to the handshake, and it refuses the statement query time-out; what it
// does honour are these keys, handed to the client library as its connect,
// read and write time-outs.
constexpr const char* kDriverTimeouts = "CONN_TIMEOUT=15;READ_TIMEOUT=15;WRITE_TIMEOUT=15";

std::string withDriverTimeouts(const std::string& connectString)
{
    std::string out = connectString;
    if (!out.empty() && out.back() != ';')
        out += ';';
    return out + kDriverTimeouts;
}

OdbcHandle allocate(SQLSMALLINT type, const OdbcHandle& parent)
{
    SQLHANDLE handle = SQL_NULL_HANDLE;
    SQLRETURN rc = SQLAllocHandle(type, parent ? parent.get() : SQL_NULL_HANDLE, &handle);
    if (!SQL_SUCCEEDED(rc)) {
        if (parent)
            odbc::ThrowError(rc, parent.type(), parent.get());
        throw CDBException(rc, "The ODBC driver manager could not allocate an environment.\n");
    }
    return OdbcHandle(type, handle);
}

// Both conformance answers are SQLSMALLINT values.
SQLSMALLINT infoValue(const OdbcHandle& dbc, SQLUSMALLINT infoType)
{
    SQLSMALLINT value = 0;
    odbc::Check(SQLGetInfoW(dbc.get(), infoType, &value, sizeof value, nullptr), SQL_HANDLE_DBC, dbc.get());
    return value;
}

} // namespace

CDatabase::CDatabase() : m_impl(new Impl) {}

CDatabase::~CDatabase()
{
    Close();
    delete m_impl;
}

bool CDatabase::OpenEx(const std::string& connectString, unsigned options)
{
    Close();
    m_impl->connect = connectString;
    m_impl->options = options;

    OdbcHandle env = allocate(SQL_HANDLE_ENV, OdbcHandle());
    odbc::Check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                SQL_HANDLE_ENV, env.get());
    OdbcHandle dbc = allocate(SQL_HANDLE_DBC, env);

    if (options & openReadOnly)
        odbc::Check(SQLSetConnectAttrW(dbc.get(), SQL_ATTR_ACCESS_MODE,
                                       reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0),
                    SQL_HANDLE_DBC, dbc.get());
    odbc::Check(SQLSetConnectAttrW(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                   reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0),
                SQL_HANDLE_DBC, dbc.get());

    // unixODBC cannot ask the user for anything, so every open is no-prompt.
    std::u16string wide = codepage::Utf16FromCp1252(withDriverTimeouts(connectString));
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    SQLRETURN rc = SQLDriverConnectW(dbc.get(), nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()),
                                     SQLSMALLINT(wide.size()), completed, SQLSMALLINT(std::size(completed)),
                                     &completedLength, SQL_DRIVER_NOPROMPT);
    if (rc == SQL_NO_DATA)
        return false;
    odbc::Check(rc, SQL_HANDLE_DBC, dbc.get());

    // From here a failure must disconnect before the handles go.
    try {
        if (infoValue(dbc, SQL_ODBC_API_CONFORMANCE) < SQL_OAC_LEVEL1)
            odbc::ThrowCode(kSqlErrorApiConformance);
        if (infoValue(dbc, SQL_ODBC_SQL_CONFORMANCE) < SQL_OSC_MINIMUM)
            odbc::ThrowCode(kSqlErrorSqlConformance);
    } catch (...) {
        SQLDisconnect(dbc.get());
        throw;
    }

    m_impl->env = std::move(env);
    m_impl->dbc = std::move(dbc);
    m_impl->open = true;
    m_impl->queryTimeoutRefused = false;
    return true;
}

bool CDatabase::Reopen()
{
    const std::string connect = m_impl->connect;
    return OpenEx(connect, m_impl->options);
}

bool CDatabase::IsOpen() const
{
    return m_impl->open && !m_impl->lost;
}

const std::string& CDatabase::GetConnect() const
{
    return m_impl->connect;
}

void CDatabase::Close()
{
    if (m_impl->open) {
        // Frees the statements still allocated on it too.
        SQLDisconnect(m_impl->dbc.get());
        ++m_impl->generation;
    }
    m_impl->open = false;
    m_impl->lost.reset();
    m_impl->dbc.reset();
    m_impl->env.reset();
}

void CDatabase::ExecuteSQL(const std::string& sql)
{
    if (!m_impl->open)
        throw CDBException(SQL_ERROR, "The reference database is not connected.\n");
    OdbcHandle stmt = allocate(SQL_HANDLE_STMT, m_impl->dbc);
    std::u16string wide = codepage::Utf16FromCp1252(sql);
    SQLRETURN rc = SQLExecDirectW(stmt.get(), reinterpret_cast<SQLWCHAR*>(wide.data()), SQLINTEGER(wide.size()));
    if (rc != SQL_NO_DATA)
        odbc::Check(rc, SQL_HANDLE_STMT, stmt.get());
}
