// libFuzzer target: any bytes given to vesmar-cli batch as its input file.
// The CSV reader must come to an end, number its records by line in
// order, and give back from a record it accepts the very fields that
// CsvRecord writes for them. Each record then goes through the checks a
// batch case meets before grouping (ISO dates, the date check, the
// duration, the codes' conversion), whose answers must agree with each
// other. A crash, a leak, undefined behaviour or any other exception is a
// finding as well.
#include <chrono>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CCsvReader.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "CsvText.h"
#include "NumberText.h"
#include "ProcessCommand.h"

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// YYYY-MM-DD of a day number, for dates that ParseIsoDate accepted.
std::string isoDate(double days)
{
    using namespace std::chrono;
    constexpr sys_days oleEpoch = year{1899} / December / 30;
    const year_month_day date{oleEpoch + std::chrono::days{static_cast<long>(days)}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()));
    return text;
}

// A record of one empty field is written as an empty line, which the
// reader skips by design; the byte order mark is taken only at the start.
bool roundTrips(const std::vector<std::string>& fields)
{
    return !(fields.size() == 1 && fields[0].empty());
}

void checkRecord(const std::vector<std::string>& fields)
{
    if (roundTrips(fields)) {
        const std::string written = "\n" + CsvRecord(fields);
        CCsvReader again(written);
        std::vector<std::string> back;
        int line = 0;
        std::string problem;
        require(again.Next(back, line, problem) == CCsvReader::Result::Record);
        require(back == fields);
        require(again.Next(back, line, problem) == CCsvReader::Result::End);
    }

    if (fields.size() != 8)
        return;
    // As a batch case: the date check only for dates that were read.
    CProcessInput input;
    for (int i : {1, 2}) {
        DateValue& date = i == 1 ? input.birthDate : input.admissionDate;
        if (!ParseIsoDate(fields[std::size_t(i)], date.m_dt))
            return;
        require(isoDate(date.m_dt) == fields[std::size_t(i)]);
        date.m_status = DateValue::valid;
    }
    input.birthDateOk = input.admissionDateOk = true;
    int age = -1;
    const bool accepted = CheckDates(input, age);
    require(accepted == (input.admissionDate.m_dt >= input.birthDate.m_dt));
    if (accepted)
        require(age == static_cast<int>(input.admissionDate.m_dt - input.birthDate.m_dt));

    // The duration's atoi reading never fails; the codes become 8-bit text.
    (void)AtoiC(fields[5]);
    for (int i : {6, 7}) {
        const std::string& codes = fields[std::size_t(i)];
        for (std::size_t start = 0;;) {
            const std::size_t bar = codes.find('|', start);
            const std::string code = codepage::Cp1252FromUtf8(codes.substr(start, bar - start));
            require(code.size() <= codes.size());
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CCsvReader reader(text);
    std::vector<std::string> fields;
    std::string problem;
    int previousLine = 0;
    // Every record takes at least one byte, so more calls than bytes mean
    // the reader stopped moving.
    for (std::size_t calls = 0;; ++calls) {
        require(calls <= size + 1);
        int line = 0;
        problem.clear();
        const CCsvReader::Result result = reader.Next(fields, line, problem);
        if (result == CCsvReader::Result::End)
            break;
        require(line > previousLine);
        previousLine = line;
        if (result == CCsvReader::Result::Malformed)
            require(!problem.empty());
        else
            checkRecord(fields);
    }
    return 0;
}
