#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sample data set's example cases (sample/examples.csv) and their
// expected batch output, for the command-line tests.

// The records of a CSV file, header included.
std::vector<std::vector<std::string>> readCsv(const std::string& path);

struct Example {
    std::string id, birth, admission, sex, discharge, duration;
    std::vector<std::string> chosen, bi;
};

std::vector<Example> examples();
Example example(const std::string& id);

// The report text that the expected batch output gives for a case, with
// line feeds as group prints it.
std::string expectedReport(const std::string& id);

// The day number of a date written YYYY-MM-DD; a date that is none fails
// the test.
double day(const std::string& iso);

// A case file as the window saves it after the form accepted both dates.
void saveCase(const std::string& path, const Example& e, std::int32_t birthSet = 1);
