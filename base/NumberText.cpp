#include "NumberText.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <stdexcept>

namespace {

locale_t cLocale()
{
    static const locale_t c = [] {
        locale_t l = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        if (l == static_cast<locale_t>(0))
            throw std::runtime_error("the C locale is not available");
        return l;
    }();
    return c;
}

} // namespace

double AtofC(const std::string& text)
{
    return strtod_l(text.c_str(), nullptr, cLocale());
}

std::string FormatFixed(double value, int decimals)
{
    std::string text;
    AppendFixed(text, value, decimals);
    return text;
}

void AppendFixed(std::string& out, double value, int decimals)
{
    // Wide enough for the largest double written out in full.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        throw std::length_error("number too long to format");
    out.append(buffer, end);
}

int AtoiC(const std::string& text)
{
    std::size_t i = 0;
    // The C locale's white space.
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            value = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}
