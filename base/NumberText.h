#pragma once

#include <string>

// Numbers to and from text with the fixed conventions of the C library in
// the "C" locale (full stop, no grouping), whatever locale the process runs
// in: the window program sets the process locale from the environment, and
// under de_DE plain atof/printf would read and write a comma.

// atof rules: leading white space skipped, the longest prefix that forms a
// number converted, 0.0 when none does.
double AtofC(const std::string& text);

// printf("%.*f", decimals, value).
std::string FormatFixed(double value, int decimals);
// The same text appended to out.
void AppendFixed(std::string& out, double value, int decimals);

// atoi rules (white space, an optional sign, the digits up to the first other
// character; 0 without digits), with a value beyond an int held at the
// nearest int instead of atoi's undefined result.
int AtoiC(const std::string& text);
