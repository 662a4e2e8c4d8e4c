#include "CArchiveWriter.h"

#include <cstring>
#include <limits>

#include "CArchiveException.h"
#include "CFile.h"

namespace {
constexpr std::size_t kBufferSize = 4096;
}

CArchiveWriter::CArchiveWriter(std::string& out) : m_pOut(&out)
{
}

CArchiveWriter::CArchiveWriter(CFile& file) : m_pFile(&file)
{
    m_buffer.reserve(kBufferSize);
}

void CArchiveWriter::WriteBytes(const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    if (m_pOut) {
        m_pOut->append(p, size);
        return;
    }
    if (m_buffer.size() + size > kBufferSize) {
        Flush();
        if (size >= kBufferSize) {
            m_pFile->Write(p, size);
            return;
        }
    }
    m_buffer.append(p, size);
}

void CArchiveWriter::Flush()
{
    if (m_pFile && !m_buffer.empty()) {
        m_pFile->Write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }
}

void CArchiveWriter::WriteByte(std::uint8_t value)
{
    WriteBytes(&value, 1);
}

void CArchiveWriter::WriteWord(std::uint16_t value)
{
    unsigned char b[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    WriteBytes(b, 2);
}

void CArchiveWriter::WriteDWord(std::uint32_t value)
{
    unsigned char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(value >> (8 * i));
    WriteBytes(b, 4);
}

void CArchiveWriter::WriteLong(std::int32_t value)
{
    WriteDWord(static_cast<std::uint32_t>(value));
}

void CArchiveWriter::WriteDouble(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(bits >> (8 * i));
    WriteBytes(b, 8);
}

void CArchiveWriter::WriteCount(std::size_t count)
{
    if (count < 0xFFFF) {
        WriteWord(static_cast<std::uint16_t>(count));
        return;
    }
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw CArchiveException(CArchiveException::tooLarge, "list too long for a case file");
    WriteWord(0xFFFF);
    WriteDWord(static_cast<std::uint32_t>(count));
}

void CArchiveWriter::WriteString(std::string_view value)
{
    std::size_t length = value.size();
    if (length < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        // 0xFFFE after the 0xFF byte would announce 16-bit characters.
        WriteByte(0xFF);
        WriteWord(static_cast<std::uint16_t>(length));
    } else {
        if (length >= std::numeric_limits<std::uint32_t>::max())
            throw CArchiveException(CArchiveException::tooLarge, "string too long for a case file");
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDWord(static_cast<std::uint32_t>(length));
    }
    WriteBytes(value.data(), value.size());
}
