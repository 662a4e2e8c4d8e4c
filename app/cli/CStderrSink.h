#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "MessageSink.h"

// Shows the window's message boxes as lines on standard error: one line per
// message, in UTF-8, line breaks inside a message turned into blanks. An
// empty message (the window's empty second box for an error without text)
// prints nothing. A prefix, when set, says which case a message belongs to.
class CStderrSink : public IMessageSink {
public:
    explicit CStderrSink(std::ostream& err) : m_err(err) {}

    void showMessage(const std::string& text, MessageIcon icon = MessageIcon::Warning,
                     const std::string& caption = kAppTitle) override;

    void setPrefix(std::string_view prefix) { m_strPrefix.assign(prefix); }

    // text (Windows-1252) as one UTF-8 line without its line breaks.
    static std::string OneLine(const std::string& text);

private:
    std::ostream& m_err;
    std::string m_strPrefix;
};
