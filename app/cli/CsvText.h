#pragma once

#include <string>
#include <vector>

// One CSV field as RFC 4180 writes it: in double quotes (inner quotes
// doubled) when it holds a comma, a quote or a line break; otherwise as it
// is, blanks included (a DRG's leading blank is part of the field).
std::string CsvField(const std::string& value);

// The fields joined with commas, ended with a line feed (the line end of
// the tools that read the output here; the reader takes CRLF as well).
std::string CsvRecord(const std::vector<std::string>& fields);
