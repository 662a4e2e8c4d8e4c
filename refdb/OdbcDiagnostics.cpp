#include "OdbcDiagnostics.h"

#include "CDBException.h"
#include "Codepage.h"

#include <algorithm>
#include <iterator>
#include <sqlext.h>
#include <sqlucode.h>

namespace odbc {
namespace {

struct Record {
    std::string state;
    long native = 0;
    std::string message;
};

std::string narrow(const SQLWCHAR* text, std::size_t length)
{
    std::u16string wide(text, text + length);
    return codepage::Cp1252FromUtf16(wide);
}

// Reads records until the call fails or reports no more; a record whose state
// is "00000" ends the walk too.
std::vector<Record> records(SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::vector<Record> out;
    if (handle == SQL_NULL_HANDLE)
        return out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::u16string message(SQL_MAX_MESSAGE_LENGTH, u'\0');
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, i, state, &native,
                                      reinterpret_cast<SQLWCHAR*>(message.data()),
                                      SQLSMALLINT(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
            // The message was cut: ask again with room for all of it.
            message.assign(std::size_t(length) + 1, u'\0');
            rc = SQLGetDiagRecW(handleType, handle, i, state, &native, reinterpret_cast<SQLWCHAR*>(message.data()),
                                SQLSMALLINT(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        Record r{narrow(state, 5), long(native), {}};
        if (r.state == "00000")
            break;
        std::size_t n = std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(length, 0)), message.size());
        r.message = codepage::Cp1252FromUtf16(std::u16string_view(message.data(), n));
        out.push_back(std::move(r));
    }
    return out;
}

} // namespace

std::string StripTags(std::string message)
{
    while (!message.empty() && message.front() == '[') {
        std::size_t close = message.find(']');
        if (close == std::string::npos)
            break;
        std::size_t cut = close + 1;
        if (cut < message.size() && message[cut] == ' ')
            ++cut;
        message.erase(0, cut);
    }
    return message;
}

CDBException Error(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::vector<Record> found = records(handleType, handle);
    std::string text;
    for (Record& r : found) {
        text += StripTags(std::move(r.message));
        text += '\n';
    }
    if (found.empty())
        return CDBException(rc, std::move(text));
    return CDBException(rc, std::move(text), std::move(found.front().state), found.front().native);
}

std::vector<std::string> SqlStates(SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::vector<std::string> states;
    for (Record& r : records(handleType, handle))
        states.push_back(std::move(r.state));
    return states;
}

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle)
{
    if (!SQL_SUCCEEDED(rc))
        ThrowError(rc, handleType, handle);
}

void ThrowError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle)
{
    throw Error(rc, handleType, handle);
}

void ThrowCode(long code)
{
    throw CDBException(code, std::string());
}

} // namespace odbc

bool CDBException::IsConnectionLost() const
{
    // The client library's numbers: can't connect through the socket or to
    // the host (2002, 2003), server has gone away (2006), lost connection
    // (2013, 2055), a read or write on the socket failed (5013, 5014: "Write
    // error: Broken pipe" when the server went between two commands); and
    // the server's "connection killed" (1927, state 70100), as when an
    // administrator ends the session.
    constexpr long kLostCodes[] = {1927, 2002, 2003, 2006, 2013, 2055, 5013, 5014};
    if (m_strSqlState.compare(0, 2, "08") == 0)
        return true;
    if (m_strSqlState != "HY000" && m_strSqlState != "70100")
        return false;
    return std::find(std::begin(kLostCodes), std::end(kLostCodes), m_nNativeError) != std::end(kLostCodes);
}
