#pragma once

#include <string>

#include "CStderrSink.h"
#include "MessageSink.h"

// Passes every message on, and counts and keeps them: the connection and the
// catalogue loader report a failure only through their messages.
class CCountingSink : public IMessageSink {
public:
    explicit CCountingSink(IMessageSink& target) : m_target(target) {}

    void showMessage(const std::string& text, MessageIcon icon, const std::string& caption) override
    {
        ++m_nCount;
        const std::string line = CStderrSink::OneLine(text);
        if (!line.empty())
            m_strText += (m_strText.empty() ? "" : " ") + line;
        m_target.showMessage(text, icon, caption);
    }

    int count() const { return m_nCount; }
    // The messages as one UTF-8 line, separated by blanks.
    const std::string& text() const { return m_strText; }

private:
    IMessageSink& m_target;
    int m_nCount = 0;
    std::string m_strText;
};
