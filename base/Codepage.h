#pragma once

#include <string>
#include <string_view>

// The program's strings are Windows-1252 bytes. These convert at the edges:
// the ODBC driver's wide interface, UTF-16 strings in case files, Qt and
// UTF-8 output. Characters that Windows-1252 cannot hold become '?'.
namespace codepage {

std::u16string Utf16FromCp1252(std::string_view text);
std::string Cp1252FromUtf16(std::u16string_view text);
std::string Utf8FromCp1252(std::string_view text);
std::string Cp1252FromUtf8(std::string_view text);

// Plain ASCII reads the same in Windows-1252 and UTF-8: no conversion needed.
bool IsAscii(std::string_view text);

} // namespace codepage
