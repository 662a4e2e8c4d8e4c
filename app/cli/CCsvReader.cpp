#include "CCsvReader.h"

#include <algorithm>

namespace {

// Where the first byte at or after pos for which stop holds stands, or the
// text's end. find_first_of would search the set of stop bytes once for
// every byte of the text.
template <typename Stop>
std::size_t findFirst(std::string_view text, std::size_t pos, Stop stop)
{
    while (pos < text.size() && !stop(text[pos]))
        ++pos;
    return pos;
}

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

} // namespace

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
    // The strings of the last record keep their room for this one's fields.
    std::size_t count = 0;
    auto nextField = [&]() -> std::string& {
        if (count == fields.size())
            fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        return field;
    };
    auto finish = [&](Result result) {
        fields.resize(count);
        return result;
    };
    while (m_pos < m_text.size() && atLineEnd())
        skipLineEnd();
    if (m_pos >= m_text.size())
        return finish(Result::End);

    line = m_nLine;
    const std::size_t lineEnd = findFirst(m_text, m_pos, isLineEnd);
    if (lineEnd - m_pos > kMaxRecordBytes) {
        problem = kLongRecordProblem;
        skipRestOfLine();
        return finish(Result::Malformed);
    }
    for (;;) {
        std::string& field = nextField();
        if (m_text[m_pos] == '"') {
            ++m_pos;
            for (;;) {
                if (atLineEnd()) {
                    problem = "a quoted field is not closed";
                    skipRestOfLine();
                    return finish(Result::Malformed);
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
                problem = "text after the closing quote of field " + std::to_string(count);
                skipRestOfLine();
                return finish(Result::Malformed);
            }
        } else {
            const std::size_t end =
                findFirst(m_text, m_pos, [](char c) { return c == ',' || c == '"' || isLineEnd(c); });
            field.assign(m_text.substr(m_pos, end - m_pos));
            m_pos = end;
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                problem = "a quote inside the unquoted field " + std::to_string(count);
                skipRestOfLine();
                return finish(Result::Malformed);
            }
        }
        if (atLineEnd()) {
            if (m_pos < m_text.size())
                skipLineEnd();
            return finish(Result::Record);
        }
        ++m_pos; // the comma; a record ending in a comma has an empty last field
    }
}
