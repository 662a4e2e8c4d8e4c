#include <gtest/gtest.h>

#include "CCommandLine.h"
#include "CCsvReader.h"
#include "CStderrSink.h"
#include "CUsageError.h"
#include "CliSupport.h"
#include "CsvText.h"
#include "JsonText.h"

namespace {

struct Read {
    CCsvReader::Result result;
    std::vector<std::string> fields;
    int line;
    std::string problem;
};

std::vector<Read> readAll(const std::string& text)
{
    CCsvReader reader(text);
    std::vector<Read> all;
    for (;;) {
        Read r{};
        r.result = reader.Next(r.fields, r.line, r.problem);
        if (r.result == CCsvReader::Result::End)
            return all;
        all.push_back(r);
    }
}

using Fields = std::vector<std::string>;

TEST(CliCsvReader, QuotedFieldsLineEndsAndLineNumbers)
{
    auto all = readAll("\xEF\xBB\xBF" "a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n"
                       "\"one\",,\n"
                       " x , y \r"
                       "last");
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].fields, (Fields{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(all[0].line, 1);
    EXPECT_EQ(all[1].fields, (Fields{"one", "", ""}));
    EXPECT_EQ(all[1].line, 3);
    EXPECT_EQ(all[2].fields, (Fields{" x ", " y "}));
    EXPECT_EQ(all[2].line, 4);
    EXPECT_EQ(all[3].fields, (Fields{"last"}));
    EXPECT_EQ(all[3].line, 5);
}

// No input field holds a line break: a quote left open fails its own line,
// not every line up to the next quote.
TEST(CliCsvReader, AQuotedFieldEndsAtTheEndOfItsLine)
{
    auto all = readAll("\"multi\nline\",,\nok,\"a\"\n\"open,x\r\nnext,1\n");
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[0].problem, "a quoted field is not closed");
    EXPECT_EQ(all[0].fields, (Fields{"multi"}));
    EXPECT_EQ(all[0].line, 1);
    EXPECT_EQ(all[1].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[1].line, 2);
    EXPECT_EQ(all[2].result, CCsvReader::Result::Record);
    EXPECT_EQ(all[2].fields, (Fields{"ok", "a"}));
    EXPECT_EQ(all[2].line, 3);
    EXPECT_EQ(all[3].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[3].fields, (Fields{"open,x"}));
    EXPECT_EQ(all[3].line, 4);
    EXPECT_EQ(all[4].result, CCsvReader::Result::Record);
    EXPECT_EQ(all[4].fields, (Fields{"next", "1"}));
    EXPECT_EQ(all[4].line, 5);
}

// A record over 1 MiB is refused without copying it; the one at the limit is read.
TEST(CliCsvReader, RecordsOverOneMebibyteAreMalformed)
{
    const std::string atLimit = "a," + std::string(CCsvReader::kMaxRecordBytes - 2, 'x');
    auto all = readAll(atLimit + "\n" + "b," + std::string(CCsvReader::kMaxRecordBytes, '"') + "\r\nc,2");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].result, CCsvReader::Result::Record);
    EXPECT_EQ(all[0].fields[1].size(), CCsvReader::kMaxRecordBytes - 2);
    EXPECT_EQ(all[1].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[1].problem, "the record is longer than 1 MiB");
    EXPECT_TRUE(all[1].fields.empty());
    EXPECT_EQ(all[1].line, 2);
    EXPECT_EQ(all[2].fields, (Fields{"c", "2"}));
    EXPECT_EQ(all[2].line, 3);
}

TEST(CliCsvReader, MalformedRecordsAreReportedAndReadingGoesOn)
{
    auto all = readAll("a\"b,c\n\"x\"y,z\nok,1\n\"open,2\nmore\n");
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[0].line, 1);
    EXPECT_EQ(all[1].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[1].fields, (Fields{"x"}));
    EXPECT_EQ(all[1].line, 2);
    EXPECT_EQ(all[2].result, CCsvReader::Result::Record);
    EXPECT_EQ(all[2].fields, (Fields{"ok", "1"}));
    EXPECT_EQ(all[3].result, CCsvReader::Result::Malformed);
    EXPECT_EQ(all[3].line, 4);
    EXPECT_EQ(all[3].problem, "a quoted field is not closed");
    // The open quote costs its own line only.
    EXPECT_EQ(all[4].result, CCsvReader::Result::Record);
    EXPECT_EQ(all[4].fields, (Fields{"more"}));
    EXPECT_EQ(all[4].line, 5);
}

TEST(CliCsvText, QuotesOnlyWhenNeeded)
{
    EXPECT_EQ(CsvRecord({" 801", "a,b", "say \"hi\"", "two\nlines", ""}),
              " 801,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\n");
    // What is written reads back, but for line breaks, which no input field holds.
    auto back = readAll(CsvRecord({" 801", "a,b", "say \"hi\"", ""}));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].fields, (Fields{" 801", "a,b", "say \"hi\"", ""}));
    EXPECT_EQ(readAll(CsvRecord({"two\r\nlines"}))[0].result, CCsvReader::Result::Malformed);
}

TEST(CliCommandLine, OptionsInBothFormsAndOperands)
{
    CCommandLine line = CCommandLine::Parse({"group", "--discharge=", "--duration", "7", "--explain", "--", "-x.drg"});
    EXPECT_EQ(line.command(), "group");
    EXPECT_TRUE(line.hasValue("--discharge"));
    EXPECT_EQ(line.value("--discharge", "unset"), "");
    EXPECT_EQ(line.value("--duration"), "7");
    EXPECT_TRUE(line.hasFlag("--explain"));
    EXPECT_EQ(line.operands(), (Fields{"-x.drg"}));

    CCommandLine batch = CCommandLine::Parse({"batch", "-o", "out.csv", "in.csv"});
    EXPECT_EQ(batch.value("-o"), "out.csv");
    EXPECT_EQ(batch.operands(), (Fields{"in.csv"}));
    EXPECT_FALSE(CCommandLine::Parse({"batch", "in.csv"}).hasValue("-o"));

    EXPECT_TRUE(CCommandLine::Parse({"resave", "--help"}).helpWanted());
    EXPECT_THROW(CCommandLine::Parse({"show", "-o", "x", "a.drg"}), CUsageError);
}

TEST(CliJsonText, StringsAndNumbersReadBack)
{
    EXPECT_EQ(JsonString("a\"b\\c\x1f\xC3\xA9"), "\"a\\\"b\\\\c\\u001f\xC3\xA9\"");
    EXPECT_EQ(JsonNumber(38047.0), "38047");
    EXPECT_EQ(JsonNumber(0.1), "0.1");
    EXPECT_EQ(JsonNumber(-2.25), "-2.25");
    EXPECT_EQ(std::stod(JsonNumber(1.0 / 3.0)), 1.0 / 3.0);
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "\"NaN\"");
    EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "\"-Infinity\"");
}

TEST(CliIsoDate, DayNumbersOfTheCaseFile)
{
    double days = -1;
    ASSERT_TRUE(ParseIsoDate("1899-12-30", days));
    EXPECT_EQ(days, 0.0);
    ASSERT_TRUE(ParseIsoDate("2004-03-01", days));
    EXPECT_EQ(days, 38047.0);
    ASSERT_TRUE(ParseIsoDate("1899-12-29", days));
    EXPECT_EQ(days, -1.0);
    ASSERT_TRUE(ParseIsoDate("2024-02-29", days));
    ASSERT_TRUE(ParseIsoDate("0100-01-01", days));
    EXPECT_EQ(days, -657434.0);
    ASSERT_TRUE(ParseIsoDate("9999-12-31", days));
    EXPECT_EQ(days, 2958465.0);
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-00-10", "2024-1-01", "24-01-01", "2024/01/01",
                            "2024-01-01 ", "", "2024-01-0x", "0000-01-01", "0099-12-31"})
        EXPECT_FALSE(ParseIsoDate(bad, days)) << bad;
}

TEST(CliCsvText, EchoesAreCutAndControlCharactersNamed)
{
    EXPECT_EQ(EchoValue(std::string(40, 'a')), std::string(40, 'a'));
    EXPECT_EQ(EchoValue(std::string(41, 'a')), std::string(40, 'a') + "\u2026");
    // A two-byte character across the cut is left out whole.
    EXPECT_EQ(EchoValue(std::string(39, 'a') + "\xC3\xA9" + "zz"), std::string(39, 'a') + "\u2026");
    EXPECT_EQ(EchoValue(std::string(50'000'000, 'i')).size(), 43u);

    EXPECT_EQ(FirstControlCharacter("J18.9"), "");
    EXPECT_EQ(FirstControlCharacter("Caf\xC3\xA9 ~"), "");
    EXPECT_EQ(FirstControlCharacter(std::string("J1\x1F\0", 4)), "0x1F");
    EXPECT_EQ(FirstControlCharacter(std::string("\0", 1)), "0x00");
    EXPECT_EQ(FirstControlCharacter("A\x7F"), "0x7F");
}

TEST(CliStderrSink, OneLinePerMessageInUtf8)
{
    EXPECT_EQ(CStderrSink::OneLine("A connection could not be opened to the database.\n\nContact the system administrator."),
              "A connection could not be opened to the database. Contact the system administrator.");
    EXPECT_EQ(CStderrSink::OneLine("first record\nsecond record\n"), "first record second record");
    EXPECT_EQ(CStderrSink::OneLine("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(CStderrSink::OneLine(""), "");
}

} // namespace
