#pragma once

#include <string>
#include <string_view>
#include <vector>

// Records of a CSV text (RFC 4180, less line breaks inside fields): fields
// separated by commas, a field in double quotes may hold commas and doubled
// quotes; records end with CRLF, LF or CR. No field of the batch input holds a
// line break, so a quoted field that reaches the end of its line is malformed
// and one stray quote costs one record. Lines without any character are
// skipped.
class CCsvReader {
public:
    enum class Result { Record, Malformed, End };

    // The longest record read; a longer line is malformed and none of its
    // fields is copied.
    static constexpr std::size_t kMaxRecordBytes = 1 << 20;
    static constexpr const char* kLongRecordProblem = "the record is longer than 1 MiB";

    // text must outlive the reader.
    explicit CCsvReader(std::string_view text);
    // A later piece of a text, from the start of a record on line firstLine
    // (no byte order mark there).
    CCsvReader(std::string_view text, int firstLine) : m_text(text), m_nLine(firstLine) {}

    // The next record into fields; line is its line (1-based). Malformed:
    // problem says what is wrong, fields holds what was read up to it, and
    // reading goes on at the next line.
    Result Next(std::vector<std::string>& fields, int& line, std::string& problem);

    // Where the next Next starts reading, and its line.
    std::size_t position() const { return m_pos; }
    int lineNumber() const { return m_nLine; }

private:
    bool atLineEnd() const;
    void skipLineEnd();
    void skipRestOfLine();

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_nLine = 1;
};
