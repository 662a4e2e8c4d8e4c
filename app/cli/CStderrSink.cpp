#include "CStderrSink.h"

#include "Codepage.h"

void CStderrSink::showMessage(const std::string& text, MessageIcon, const std::string&)
{
    std::string line = OneLine(text);
    if (line.empty())
        return;
    m_err << m_strPrefix << line << '\n' << std::flush;
}

std::string CStderrSink::OneLine(const std::string& text)
{
    std::string line;
    bool pendingBreak = false;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            pendingBreak = true;
            continue;
        }
        // A run of breaks ("\n\n" between the two sentences of 32775) is one blank.
        if (pendingBreak && !line.empty())
            line += ' ';
        pendingBreak = false;
        line += c;
    }
    return codepage::Utf8FromCp1252(line);
}
