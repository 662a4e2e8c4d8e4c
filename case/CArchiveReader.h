#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CFile;

// Reads the little-endian values of a case file, from memory or from a file
// through a 4096-byte buffer. Every length and count is checked against the
// bytes that remain before anything is allocated for it. Running out of bytes throws
// CArchiveException(endOfFile); a failing read of the file, or a file that
// has become shorter than its measured size, throws CFileException.
class CArchiveReader {
public:
    explicit CArchiveReader(std::string_view bytes);
    // size: the file's length when it was opened; bytes beyond it are not read.
    CArchiveReader(CFile& file, std::uint64_t size);

    std::uint64_t Remaining() const { return m_nTotal - m_nConsumed; }

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    std::int32_t ReadLong();
    double ReadDouble();
    void ReadBytes(void* dest, std::size_t size);

    // An element count: 16 bits, or 0xFFFF and 32 bits.
    std::uint32_t ReadCount();

    // A length-prefixed string, appended to out; one stored in 16-bit
    // characters (UTF-16LE) comes in Windows-1252, '?' for what that cannot
    // hold. out grows by no more than the bytes the string takes in the file.
    void AppendString(std::string& out);

private:
    void Require(std::uint64_t size) const;
    std::uint32_t ReadStringLength(bool& wide);

    CFile* m_pFile = nullptr;
    std::string_view m_memory;
    std::vector<char> m_buffer;
    std::size_t m_nBufferPos = 0;
    std::size_t m_nBufferEnd = 0;
    std::uint64_t m_nTotal = 0;
    std::uint64_t m_nConsumed = 0;
};
