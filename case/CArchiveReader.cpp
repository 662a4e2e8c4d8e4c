#include "CArchiveReader.h"

#include <algorithm>
#include <cstring>

#include "CArchiveException.h"
#include "CFile.h"
#include "CFileException.h"
#include "Codepage.h"

namespace {
constexpr std::size_t kBufferSize = 4096;
}

CArchiveReader::CArchiveReader(std::string_view bytes) : m_memory(bytes), m_nTotal(bytes.size())
{
}

CArchiveReader::CArchiveReader(CFile& file, std::uint64_t size)
    : m_pFile(&file), m_buffer(kBufferSize), m_nTotal(size)
{
}

void CArchiveReader::Require(std::uint64_t size) const
{
    if (size > Remaining())
        throw CArchiveException(CArchiveException::endOfFile, "case file ends early");
}

void CArchiveReader::ReadBytes(void* dest, std::size_t size)
{
    Require(size);
    char* out = static_cast<char*>(dest);
    if (!m_pFile) {
        std::memcpy(out, m_memory.data() + m_nConsumed, size);
        m_nConsumed += size;
        return;
    }
    while (size > 0) {
        if (m_nBufferPos == m_nBufferEnd) {
            m_nBufferPos = 0;
            m_nBufferEnd = m_pFile->Read(m_buffer.data(), m_buffer.size());
            // The file shrank since it was measured.
            if (m_nBufferEnd == 0)
                throw CFileException(CFileException::endOfFile, 0, m_pFile->GetFilePath());
        }
        std::size_t n = std::min(size, m_nBufferEnd - m_nBufferPos);
        std::memcpy(out, m_buffer.data() + m_nBufferPos, n);
        m_nBufferPos += n;
        m_nConsumed += n;
        out += n;
        size -= n;
    }
}

std::uint8_t CArchiveReader::ReadByte()
{
    unsigned char b[1];
    ReadBytes(b, 1);
    return b[0];
}

std::uint16_t CArchiveReader::ReadWord()
{
    unsigned char b[2];
    ReadBytes(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t CArchiveReader::ReadDWord()
{
    unsigned char b[4];
    ReadBytes(b, 4);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[3]) << 24);
}

std::int32_t CArchiveReader::ReadLong()
{
    return static_cast<std::int32_t>(ReadDWord());
}

double CArchiveReader::ReadDouble()
{
    unsigned char b[8];
    ReadBytes(b, 8);
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | b[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint32_t CArchiveReader::ReadCount()
{
    std::uint16_t count = ReadWord();
    return count != 0xFFFF ? count : ReadDWord();
}

std::uint32_t CArchiveReader::ReadStringLength(bool& wide)
{
    wide = false;
    std::uint8_t len8 = ReadByte();
    if (len8 < 0xFF)
        return len8;
    std::uint16_t len16 = ReadWord();
    if (len16 == 0xFFFE) {
        // 16-bit characters; the length that follows counts characters, and
        // in it 0xFFFE is an ordinary length.
        wide = true;
        len8 = ReadByte();
        if (len8 < 0xFF)
            return len8;
        len16 = ReadWord();
    }
    return len16 != 0xFFFF ? len16 : ReadDWord();
}

void CArchiveReader::AppendString(std::string& out)
{
    bool wide = false;
    std::uint64_t length = ReadStringLength(wide);
    if (!wide) {
        Require(length);
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(length));
        ReadBytes(out.data() + at, static_cast<std::size_t>(length));
        return;
    }
    Require(length * 2);
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    for (char16_t& c : text)
        c = ReadWord();
    out += codepage::Cp1252FromUtf16(text);
}
