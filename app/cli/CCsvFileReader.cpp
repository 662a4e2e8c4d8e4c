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
        readMore();
        m_reader.emplace(m_buffer, startLine);
    }
}
