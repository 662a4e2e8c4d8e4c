#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "CVesmarDoc.h"

// Building case files byte by byte, and reading and writing documents in
// memory, for the tests of the case file.
namespace casebytes {

std::string le16(std::uint16_t v);
std::string le32(std::uint32_t v);
std::string f64(double v);
// One-byte length prefix and the bytes.
std::string shortString(std::string_view s);
// FF FF FF (the full class description) 00 00 0B 00 "CStringList".
std::string listClassDescription();

// A whole file: reserved, sex, chosen list with the class description, bi
// list behind biHeader (normally 01 80), dates and the birth flag.
struct CaseFields {
    std::int32_t reserved = -1;
    std::int32_t sex = 1;
    std::string chosenBody = std::string("\0\0", 2); // count and strings
    std::string biHeader = "\x01\x80";
    std::string biBody = std::string("\0\0", 2);
    DateValue birth;
    DateValue admission;
    std::int32_t birthSet = 0;
};
std::string caseFile(const CaseFields& f);

std::string written(const CVesmarDoc& doc);
// Throws what ReadCase throws.
void read(CVesmarDoc& doc, std::string_view bytes);

} // namespace casebytes
