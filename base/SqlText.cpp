#include "SqlText.h"

std::string sqlEscape(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\'' || c == '\\')
            out.push_back(c);
        out.push_back(c);
    }
    return out;
}
