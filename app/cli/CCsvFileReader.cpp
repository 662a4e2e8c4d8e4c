#include "CCsvFileReader.h"

#include <algorithm>

CCsvFileReader::CCsvFileReader(const std::string& path, std::size_t pieceSize)
    : m_file(CFile::OpenForReading(path)), m_nPiece(std::max<std::size_t>(pieceSize, 1))
{
    // Enough for the reader to see a byte order mark.
    while (!m_bEnd && m_buffer.size() < 3)
        readMore();
    m_reader.emplace(m_buffer);
}

void CCsvFileReader::readMore()
{
    const std::size_t size = m_buffer.size();
    m_buffer.resize(size + m_nPiece);
    const std::size_t n = m_file.Read(m_buffer.data() + size, m_nPiece);
    m_buffer.resize(size + n);
    m_bEnd = n == 0;
}

CCsvReader::Result CCsvFileReader::Next(std::vector<std::string>& fields, int& line, std::string& problem)
{
    for (;;) {
        CCsvReader attempt = *m_reader;
        const CCsvReader::Result result = attempt.Next(fields, line, problem);
        // A record that ends before the end of what was read is read as the
        // whole text would give it; one that reaches it may go on.
        if (m_bEnd || attempt.position() < m_buffer.size()) {
            *m_reader = attempt;
            return result;
        }
        const int startLine = m_reader->lineNumber();
        m_buffer.erase(0, m_reader->position());
        if (m_buffer.size() > CCsvReader::kMaxRecordBytes) {
            line = startLine;
            skipLongRecord(startLine);
            fields.clear();
            problem = CCsvReader::kLongRecordProblem;
            return CCsvReader::Result::Malformed;
        }
        readMore();
        m_reader.emplace(m_buffer, startLine);
    }
}

void CCsvFileReader::skipLongRecord(int line)
{
    // Blank lines before the record were skipped already, so the first line
    // end found is the record's own.
    std::size_t end;
    while ((end = m_buffer.find_first_of("\r\n")) == std::string::npos && !m_bEnd) {
        m_buffer.clear();
        readMore();
    }
    m_buffer.erase(0, end == std::string::npos ? m_buffer.size() : end);
    // The line end left at the start reads as an empty line, which moves the
    // reader on to the record's next line.
    m_reader.emplace(m_buffer, line);
}
