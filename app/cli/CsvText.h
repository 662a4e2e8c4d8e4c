#pragma once

#include <string>
#include <string_view>
#include <vector>

// One CSV field as RFC 4180 writes it: in double quotes (inner quotes
// doubled) when it holds a comma, a quote or a line break; otherwise as it
// is, blanks included (a DRG's leading blank is part of the field).
std::string CsvField(const std::string& value);
// The same field appended to out.
void AppendCsvField(std::string& out, std::string_view value);

// The fields joined with commas, ended with a line feed (the line end of
// the tools that read the output here; the reader takes CRLF as well).
std::string CsvRecord(const std::vector<std::string>& fields);

// A value quoted in an error message: as it is up to 40 bytes, else its first
// 40 bytes (never cutting a UTF-8 character) and "…", so an error never copies
// a whole long field.
std::string EchoValue(const std::string& value);

// The first byte of value below 0x20 or 0x7F, written "0x09"; empty when
// there is none.
std::string FirstControlCharacter(const std::string& value);
