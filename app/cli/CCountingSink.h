#pragma once

#include "MessageSink.h"

// Passes every message on and counts them: the connection and the catalogue
// loader report a failure only through their messages.
class CCountingSink : public IMessageSink {
public:
    explicit CCountingSink(IMessageSink& target) : m_target(target) {}

    void showMessage(const std::string& text, MessageIcon icon, const std::string& caption) override
    {
        ++m_nCount;
        m_target.showMessage(text, icon, caption);
    }

    int count() const { return m_nCount; }

private:
    IMessageSink& m_target;
    int m_nCount = 0;
};
