#include "CsvText.h"

#include <cstdio>

void AppendCsvField(std::string& out, std::string_view value)
{
    bool quoted = false;
    for (char c : value)
        quoted = quoted || c == ',' || c == '"' || c == '\r' || c == '\n';
    if (!quoted) {
        out += value;
        return;
    }
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string CsvField(const std::string& value)
{
    std::string out;
    AppendCsvField(out, value);
    return out;
}

std::string CsvRecord(const std::vector<std::string>& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        AppendCsvField(out, fields[i]);
    }
    out += '\n';
    return out;
}

std::string EchoValue(const std::string& value)
{
    constexpr std::size_t kEchoBytes = 40;
    if (value.size() <= kEchoBytes)
        return value;
    std::size_t cut = kEchoBytes;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
        --cut;
    return value.substr(0, cut) + "\u2026";
}

std::string FirstControlCharacter(const std::string& value)
{
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7F) {
            char name[5];
            std::snprintf(name, sizeof name, "0x%02X", c);
            return name;
        }
    }
    return {};
}
