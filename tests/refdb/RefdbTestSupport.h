#pragma once

#include "CDBException.h"

#include <gtest/gtest.h>

// Runs action, which must raise CDBException, and returns the exception; a
// missing exception fails the test and returns an impossible code.
template <class Action>
CDBException catchDbError(Action&& action)
{
    try {
        action();
    } catch (const CDBException& e) {
        return e;
    }
    ADD_FAILURE() << "no CDBException was raised";
    return CDBException(0, "<no exception>");
}

template <class Action>
long expectDbError(Action&& action)
{
    return catchDbError(std::forward<Action>(action)).m_nRetCode;
}
