// libFuzzer target: the connect string built from any three stored
// settings. It always begins with the driver and the database; without
// settings it is the bare string; with them, read back by the ODBC rules
// (attributes separated by ";", KEY=VALUE, a value in braces with "}}" for
// a brace), it gives back every setting exactly: the user and the password
// as they are, the host as SERVER, or as SERVER and PORT joined by a colon.
// A crash, a leak or undefined behaviour is a finding as well.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ReferenceConnection.h"

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The attributes of an ODBC connect string; nothing when it is not well
// formed (an attribute without "=", an unclosed brace, text after a
// closing brace).
std::optional<std::map<std::string, std::string>> attributes(std::string_view text)
{
    std::map<std::string, std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ';') {
            ++pos;
            continue;
        }
        const std::size_t equals = text.find('=', pos);
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string key(text.substr(pos, equals - pos));
        std::string value;
        pos = equals + 1;
        if (pos < text.size() && text[pos] == '{') {
            for (++pos;; ++pos) {
                if (pos >= text.size())
                    return std::nullopt;
                if (text[pos] == '}') {
                    if (pos + 1 < text.size() && text[pos + 1] == '}') {
                        value += '}';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos];
            }
            if (pos < text.size() && text[pos] != ';')
                return std::nullopt;
        } else {
            const std::size_t end = std::min(text.find(';', pos), text.size());
            value = text.substr(pos, end - pos);
            pos = end;
        }
        out[key] = value;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool settingsRead = (data[0] & 1) != 0;
    // The rest: host, user and password separated by NUL bytes.
    std::string parts[3];
    std::size_t part = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0 && part < 2)
            ++part;
        else
            parts[part] += char(data[i]);
    }
    const std::string& host = parts[0];
    const std::string& user = parts[1];
    const std::string& password = parts[2];

    const std::string connect = BuildConnectString(settingsRead, host, user, password);
    const std::string head = "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;";
    require(connect.compare(0, head.size(), head) == 0);
    if (!settingsRead) {
        require(connect == head + ";;");
        return 0;
    }
    const auto read = attributes(connect);
    require(read.has_value());
    require(read->size() == (read->count("PORT") ? 6u : 5u));
    require(read->at("DRIVER") == "MySQL ODBC 3.51 Driver");
    require(read->at("DATABASE") == "Vesmar");
    const auto port = read->find("PORT");
    require(read->at("SERVER") + (port == read->end() ? "" : ":" + port->second) == host);
    require(read->at("UID") == user);
    require(read->at("PASSWORD") == password);
    return 0;
}
