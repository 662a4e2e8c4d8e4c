#pragma once

#include <sql.h>
#include <string>
#include <vector>

#include "CDBException.h"

// The one place where ODBC diagnostics become CDBException.
namespace odbc {

// A driver message without its leading bracketed tags ("[vendor][driver] ").
std::string StripTags(std::string message);

// The SQLSTATEs of the diagnostic records of handle.
std::vector<std::string> SqlStates(SQLSMALLINT handleType, SQLHANDLE handle);

// The error of a failed call: rc; the diagnostic records of handle, one line
// each (tags stripped, line feed at the end), in Windows-1252; and the first
// record's SQLSTATE and native error code.
CDBException Error(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// Throws Error(rc, handleType, handle) when rc is not a success.
void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

[[noreturn]] void ThrowError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// A condition the layer detects itself (codes 1001..1028): no text.
[[noreturn]] void ThrowCode(long code);

} // namespace odbc
