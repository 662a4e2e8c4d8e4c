#include "CaseBytes.h"

#include <cstring>

#include "CArchiveReader.h"
#include "CArchiveWriter.h"

namespace casebytes {

std::string le16(std::uint16_t v)
{
    return {char(v & 0xFF), char(v >> 8)};
}

std::string le32(std::uint32_t v)
{
    return le16(std::uint16_t(v)) + le16(std::uint16_t(v >> 16));
}

std::string f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return le32(std::uint32_t(bits)) + le32(std::uint32_t(bits >> 32));
}

std::string shortString(std::string_view s)
{
    return std::string(1, char(s.size())) + std::string(s);
}

std::string listClassDescription()
{
    return "\xFF\xFF" + le16(0) + le16(11) + "CStringList";
}

std::string caseFile(const CaseFields& f)
{
    return le32(std::uint32_t(f.reserved)) + le32(std::uint32_t(f.sex)) + listClassDescription() + f.chosenBody
        + f.biHeader + f.biBody + le32(std::uint32_t(f.birth.m_status)) + f64(f.birth.m_dt)
        + le32(std::uint32_t(f.admission.m_status)) + f64(f.admission.m_dt) + le32(std::uint32_t(f.birthSet));
}

std::string written(const CVesmarDoc& doc)
{
    std::string out;
    CArchiveWriter ar(out);
    doc.WriteCase(ar);
    return out;
}

void read(CVesmarDoc& doc, std::string_view bytes)
{
    CArchiveReader ar(bytes);
    doc.ReadCase(ar);
}

} // namespace casebytes
