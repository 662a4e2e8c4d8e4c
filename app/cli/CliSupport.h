#pragma once

#include <string>

#include "MessageSink.h"

class CDBException;
class CDatabase;
class CVesmarDoc;

// The text a database error shows the user (Windows-1252). An error that the
// connection or cursor detected itself carries no text (the window shows an
// empty box); here it is named by its code so a failure never reads as an
// empty message.
std::string DatabaseErrorText(const CDBException& error);

// Passes every message on to target and keeps them as one UTF-8 line,
// separated by blanks: what a batch case's error column shows of them.
class CKeptMessages : public IMessageSink {
public:
    explicit CKeptMessages(IMessageSink& target) : m_target(target) {}

    void showMessage(const std::string& text, MessageIcon icon, const std::string& caption) override;
    const std::string& text() const { return m_strText; }

private:
    IMessageSink& m_target;
    std::string m_strText;
};

// A fresh case (as at start-up) and then Open of path, with the window's
// messages on failure. True when the file was read (or was empty).
bool OpenCaseFile(CVesmarDoc& doc, const std::string& path, IMessageSink& sink);

// A date written YYYY-MM-DD (exactly so, a real calendar day in the years
// 100 to 9999) as the case's day number: days since 30 December 1899.
bool ParseIsoDate(const std::string& text, double& days);

// The file-error text for errno value err on path ("%1 was not found." ...).
std::string FileErrorText(int err, const std::string& path);
