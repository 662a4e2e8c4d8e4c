#pragma once

#include <stdexcept>

// A command line the tool cannot carry out as written: exit status 2.
class CUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
