#include "SqlText.h"

std::string SqlEscape(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\0') {
            out += "\\0";
            continue;
        }
        if (c == '\'' || c == '\\')
            out.push_back(c);
        out.push_back(c);
    }
    return out;
}
