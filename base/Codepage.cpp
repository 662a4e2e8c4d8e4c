#include "Codepage.h"

#include <array>

namespace codepage {
namespace {

// Windows-1252 0x80..0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t toUnicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0) {
        char16_t u = kHigh[c - 0x80];
        // Undefined bytes pass through as the C1 control of the same value,
        // as Windows itself maps them, so nothing is lost on a round trip.
        return u ? u : char16_t(c);
    }
    return char16_t(c);
}

char fromUnicode(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == u || (kHigh[i] == 0 && u == 0x80 + i))
            return char(0x80 + i);
    return '?';
}

void appendUtf8(std::string& out, char32_t u)
{
    if (u < 0x80) {
        out.push_back(char(u));
    } else if (u < 0x800) {
        out.push_back(char(0xC0 | (u >> 6)));
        out.push_back(char(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
        out.push_back(char(0xE0 | (u >> 12)));
        out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(char(0x80 | (u & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (u >> 18)));
        out.push_back(char(0x80 | ((u >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(char(0x80 | (u & 0x3F)));
    }
}

} // namespace

std::u16string Utf16FromCp1252(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Cp1252FromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t u = text[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            // A surrogate pair is one character outside the code page.
            ++i;
            out.push_back('?');
            continue;
        }
        out.push_back(fromUnicode(u));
    }
    return out;
}

std::string Utf8FromCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Cp1252FromUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + extra >= text.size() + (extra ? 0 : 1)) {
            out.push_back('?');
            ++i;
            continue;
        }
        char32_t u = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            u = (u << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out.push_back('?');
            ++i;
            continue;
        }
        out.push_back(fromUnicode(u));
        i += extra + 1;
    }
    return out;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace codepage
