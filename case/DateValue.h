#pragma once

#include <cstdint>

// A date of the case: an OLE Automation day number (days since 30 December
// 1899, that day 0.0, earlier days negative; the form stores whole days) and
// a validity status.
struct DateValue {
    enum Status : std::int32_t { valid = 0, invalid = 1, null = 2 };

    double m_dt = 0.0;
    std::int32_t m_status = valid;

    bool operator==(const DateValue&) const = default;
};
