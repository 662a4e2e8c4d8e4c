#pragma once

#include <string>
#include <string_view>

// Every value placed between single quotes in a statement goes through here,
// so a code read from a case file cannot change what a statement means.
// A quote and a backslash are doubled (MariaDB/MySQL rules) and a NUL byte
// becomes \0, which the server reads back as that byte: a raw NUL would cut
// the statement short on its way to the server. A value without any of these comes back
// unchanged, so ordinary statements read exactly as written.
std::string SqlEscape(std::string_view value);
