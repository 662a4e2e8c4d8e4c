#pragma once

#include <string>
#include <string_view>

// Every value placed between single quotes in a statement goes through here,
// so a code read from a case file cannot change what a statement means.
// A quote and a backslash are doubled (MariaDB/MySQL rules); a value without
// either comes back unchanged, so ordinary statements read exactly as written.
std::string sqlEscape(std::string_view value);
