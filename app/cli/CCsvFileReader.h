#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CCsvReader.h"
#include "CFile.h"

// The records of a CSV file exactly as CCsvReader reads them from the whole
// text, but read from the file piece by piece, so only the current piece and
// the record being read are held in memory; a record longer than
// CCsvReader::kMaxRecordBytes is never held whole.
class CCsvFileReader {
public:
    // Opens the file as the case file is opened (same refusals and texts);
    // throws CFileException. pieceSize: the bytes read at a time; small
    // enough that a short input does not pay for a large buffer's first use.
    explicit CCsvFileReader(const std::string& path, std::size_t pieceSize = std::size_t(64) << 10);

    // As CCsvReader::Next. Throws CFileException when reading fails.
    CCsvReader::Result Next(std::vector<std::string>& fields, int& line, std::string& problem);

private:
    void readMore();
    // Drops the record that starts the buffer up to its line's end, reading
    // on without keeping its bytes; the reader then starts at that line end.
    void skipLongRecord(int line);

    CFile m_file;
    std::size_t m_nPiece;
    std::string m_buffer;
    std::optional<CCsvReader> m_reader; // over m_buffer
    bool m_bEnd = false;
};
