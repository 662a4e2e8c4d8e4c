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

// A calendar day of the proleptic Gregorian calendar.
struct CivilDate {
    int year = 1899;
    unsigned month = 12;
    unsigned day = 30;
};

// The years a case's dates may lie in (what the form reads and shows).
constexpr int kFirstDateYear = 100;
constexpr int kLastDateYear = 9999;

// The day number of a date (no check that it is a real day), and the date of
// a whole day number.
std::int64_t DayNumberOf(const CivilDate& date);
CivilDate CivilDateOf(std::int64_t dayNumber);
