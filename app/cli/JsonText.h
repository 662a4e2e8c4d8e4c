#pragma once

#include <string>

// Pieces of the JSON that show prints.

// A JSON string literal of utf8 (quotes, backslash and control characters escaped).
std::string JsonString(const std::string& utf8);

// A JSON number that reads back as exactly value (the shortest such text).
// JSON has no NaN or infinity: those become the strings "NaN", "Infinity"
// and "-Infinity", which keep the file's value visible.
std::string JsonNumber(double value);
