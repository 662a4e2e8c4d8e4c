#pragma once

#include <stdexcept>
#include <string>

// A failure of the operating system on a file, with the file's full path and
// the cause the user is told about.
class CFileException : public std::runtime_error {
public:
    enum Cause {
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(Cause cause, int osError, std::string path);

    // The cause for errno value err on path. ENOENT is "not found" when the
    // folder exists and "invalid path" when it does not.
    static CFileException FromErrno(int err, const std::string& path);

    // The string-table id of the cause's text ("%1 was not found." ...).
    int MessageId() const;

    // The text shown to the user: the cause's text with %1 the full path,
    // in Windows-1252.
    std::string UserMessage() const;

    Cause m_cause;
    int m_lOsError;          // errno, 0 when the failure is not the system's
    std::string m_strFileName; // full path, file-system bytes
};
