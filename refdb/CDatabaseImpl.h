#pragma once

#include <optional>
#include <string>

#include "CDBException.h"
#include "CDatabase.h"
#include "OdbcHandle.h"

// What a cursor needs of its connection. Internal to the refdb library.
struct CDatabase::Impl {
    OdbcHandle env;
    OdbcHandle dbc;
    bool open = false;
    // The error with which a statement found the server gone; the
    // connection then counts as not open until it is opened again, and a
    // cursor opened on it meanwhile raises this error again.
    std::optional<CDBException> lost;
    // Counts the connection handles: a statement allocated under an earlier
    // one was freed by its disconnect and must not be freed again.
    unsigned generation = 0;
    // Set once the driver has refused the statement query time-out; later
    // statements no longer ask for it.
    bool queryTimeoutRefused = false;
    // What the last OpenEx was given, for Reopen.
    std::string connect;
    unsigned options = 0;
};
