#include "CCsvReader.h"

#include <algorithm>

CCsvReader::CCsvReader(std::string_view text) : m_text(text)
{
    // A UTF-8 byte order mark, as spreadsheet programs write one.
    if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
        m_pos = 3;
}

bool CCsvReader::atLineEnd() const
{
    return m_pos >= m_text.size() || m_text[m_pos] == '\n' || m_text[m_pos] == '\r';
}

void CCsvReader::skipLineEnd()
{
    if (m_pos < m_text.size() && m_text[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == '\n')
        ++m_pos;
    ++m_nLine;
}

void CCsvReader::skipRestOfLine()
{
    while (!atLineEnd())
        ++m_pos;
    if (m_pos < m_text.size())
        skipLineEnd();
}

CCsvReader::Result CCsvReader::Next(std::vector<std::string>& fields, int& line, std::string& problem)
{
    fields.clear();
    while (m_pos < m_text.size() && atLineEnd())
        skipLineEnd();
    if (m_pos >= m_text.size())
        return Result::End;

    line = m_nLine;
    const std::size_t lineEnd = std::min(m_text.find_first_of("\r\n", m_pos), m_text.size());
    if (lineEnd - m_pos > kMaxRecordBytes) {
        problem = kLongRecordProblem;
        skipRestOfLine();
        return Result::Malformed;
    }
    for (;;) {
        std::string field;
        if (m_text[m_pos] == '"') {
            ++m_pos;
            for (;;) {
                if (atLineEnd()) {
                    fields.push_back(std::move(field));
                    problem = "a quoted field is not closed";
                    skipRestOfLine();
                    return Result::Malformed;
                }
                char c = m_text[m_pos++];
                if (c == '"') {
                    if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                        field += '"';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                field += c;
            }
            if (!atLineEnd() && m_text[m_pos] != ',') {
                fields.push_back(std::move(field));
                problem = "text after the closing quote of field " + std::to_string(fields.size());
                skipRestOfLine();
                return Result::Malformed;
            }
        } else {
            while (!atLineEnd() && m_text[m_pos] != ',') {
                if (m_text[m_pos] == '"') {
                    fields.push_back(std::move(field));
                    problem = "a quote inside the unquoted field " + std::to_string(fields.size());
                    skipRestOfLine();
                    return Result::Malformed;
                }
                field += m_text[m_pos++];
            }
        }
        fields.push_back(std::move(field));
        if (atLineEnd()) {
            if (m_pos < m_text.size())
                skipLineEnd();
            return Result::Record;
        }
        ++m_pos; // the comma; a record ending in a comma has an empty last field
    }
}
