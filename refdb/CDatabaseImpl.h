#pragma once

#include "CDatabase.h"
#include "OdbcHandle.h"

// What a cursor needs of its connection. Internal to the refdb library.
struct CDatabase::Impl {
    OdbcHandle env;
    OdbcHandle dbc;
    bool open = false;
    // Set once the driver has refused the statement query time-out; later
    // statements no longer ask for it.
    bool queryTimeoutRefused = false;
};
