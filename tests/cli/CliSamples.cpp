#include "CliSamples.h"

#include <gtest/gtest.h>
#include <stdexcept>

#include "CCsvReader.h"
#include "CVesmarDoc.h"
#include "CliProcess.h"
#include "CliSupport.h"
#include "TestDb.h"

namespace {

const std::string kSample = VESMAR_SAMPLE_DIR;

} // namespace

std::vector<std::vector<std::string>> readCsv(const std::string& path)
{
    const std::string text = readFile(path);
    CCsvReader reader(text);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    int line = 0;
    std::string problem;
    while (reader.Next(fields, line, problem) == CCsvReader::Result::Record)
        records.push_back(fields);
    return records;
}

namespace {

std::vector<std::string> split(const std::string& codes)
{
    std::vector<std::string> list;
    for (std::size_t start = 0; !codes.empty();) {
        std::size_t bar = codes.find('|', start);
        list.push_back(codes.substr(start, bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return list;
}

} // namespace

double day(const std::string& iso)
{
    double days = 0;
    EXPECT_TRUE(ParseIsoDate(iso, days)) << iso;
    return days;
}

std::vector<Example> examples()
{
    std::vector<Example> list;
    auto records = readCsv(kSample + "/examples.csv");
    for (std::size_t i = 1; i < records.size(); ++i) {
        const auto& r = records[i];
        list.push_back({r[0], r[1], r[2], r[3], r[4], r[5], split(r[6]), split(r[7])});
    }
    return list;
}

std::string expectedReport(const std::string& id)
{
    std::string text;
    for (const auto& r : readCsv(kSample + "/examples-expected.csv"))
        if (r[0] == id && r[1] != "0")
            text += "DRG: " + r[3] + "    " + r[4] + "     Primary Diagnose:  " + r[2] + "\tWeight: " + r[5] + "\n";
    return text;
}

void saveCase(const std::string& path, const Example& e, std::int32_t birthSet)
{
    CVesmarDoc doc;
    doc.OnNewDocument();
    doc.SetMale(e.sex == "M");
    doc.SetBirthDate({day(e.birth), DateValue::valid});
    doc.SetAdmissionDate({day(e.admission), DateValue::valid});
    doc.SetBirthDateSet(birthSet);
    doc.SetAdmissionDateSet(1);
    for (const std::string& code : e.chosen)
        doc.AddChosenDiagnosis(code + "    from the catalogue");
    for (const std::string& code : e.bi)
        doc.AddBiDiagnosis(code + "    from the catalogue");
    CRecordingSink sink;
    ASSERT_TRUE(doc.OnSaveDocument(path, sink));
}

Example example(const std::string& id)
{
    for (const Example& e : examples())
        if (e.id == id)
            return e;
    throw std::runtime_error("no example " + id);
}

