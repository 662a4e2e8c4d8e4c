#pragma once

#include <stdexcept>

// A case file whose bytes do not form a case: it ends before the last field,
// its list header is not the expected class, or a tag refers to nothing read
// before. Also thrown when a case is too large for the file's count and
// length fields.
class CArchiveException : public std::runtime_error {
public:
    enum Cause { endOfFile, badClass, badSchema, badIndex, tooLarge };

    CArchiveException(Cause cause, const char* what) : std::runtime_error(what), m_cause(cause) {}

    Cause m_cause;
};
