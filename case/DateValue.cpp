#include "DateValue.h"

#include <chrono>

namespace {

using namespace std::chrono;

// Day 0 of the day count.
constexpr sys_days kEpoch = year{1899} / December / 30;

} // namespace

std::int64_t DayNumberOf(const CivilDate& date)
{
    const year_month_day ymd{year{date.year}, month{date.month}, day{date.day}};
    return (sys_days{ymd} - kEpoch).count();
}

CivilDate CivilDateOf(std::int64_t dayNumber)
{
    const year_month_day ymd{kEpoch + days{dayNumber}};
    return {int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day())};
}
