#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CFile;

// Writes the little-endian values of a case file, into memory or into a file
// through a 4096-byte buffer (Flush writes what is left in it).
class CArchiveWriter {
public:
    explicit CArchiveWriter(std::string& out);
    explicit CArchiveWriter(CFile& file);
    CArchiveWriter(const CArchiveWriter&) = delete;
    CArchiveWriter& operator=(const CArchiveWriter&) = delete;

    void WriteByte(std::uint8_t value);
    void WriteWord(std::uint16_t value);
    void WriteDWord(std::uint32_t value);
    void WriteLong(std::int32_t value);
    void WriteDouble(double value);
    void WriteBytes(const void* data, std::size_t size);

    // Counts below 0xFFFF in 16 bits, larger ones as 0xFFFF and 32 bits.
    // Throws CArchiveException(tooLarge) beyond 32 bits.
    void WriteCount(std::size_t count);

    // The length prefix (1, 3 or 7 bytes) and the bytes of value.
    void WriteString(std::string_view value);

    void Flush();

private:
    CFile* m_pFile = nullptr;
    std::string* m_pOut = nullptr;
    std::string m_buffer;
};
