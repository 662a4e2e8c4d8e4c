#include <algorithm>
#include <cstdlib>
#include <sys/wait.h>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CCsvReader.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "CVesmarDoc.h"
#include "CliProcess.h"
#include "CliSamples.h"
#include "CliSupport.h"
#include "NumberText.h"
#include "ProcessCommand.h"
#include "Progress.h"
#include "TestDb.h"

namespace {

const std::string kSample = VESMAR_SAMPLE_DIR;
const std::string kDatesMessage = "Validate the birth- and admissiondate\n";
const std::string kConnectionMessage =
    "A connection could not be opened to the database. Contact the system administrator.\n";

// A port on which nothing listens: the server is as good as stopped.
const std::map<std::string, std::string> kServerDown = {{"MYSQL_TCP_PORT", "1"}};

std::string le32(std::uint32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return le32(static_cast<std::uint32_t>(bits)) + le32(static_cast<std::uint32_t>(bits >> 32));
}

std::string shortString(const std::string& s)
{
    return static_cast<char>(s.size()) + s;
}

// A case file written byte by byte, with values the form never writes.
std::string craftedCase()
{
    const std::string chosen =
        std::string("\x02\x00", 2) + shortString("A01.2    Caf\xE9 \"x\"") + shortString("B\\1\tz\x01");
    return le32(5) + le32(7) + "\xFF\xFF" + std::string("\x00\x00\x0B\x00", 4) + "CStringList" + chosen + "\x01\x80" +
           std::string("\x01\x00", 2) + shortString("Z99") + le32(0) + f64(12345.5) + le32(1) + f64(-2.25) + le32(1);
}

// Tests with files of their own in a temporary folder.
class CliFileTest : public testing::Test {
protected:
    void SetUp() override { m_dir = makeTempDir(); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

// Tests that reach the server.
class CliTest : public CliFileTest {
protected:
    // Per test rather than per suite: a missing server then fails every test
    // instead of skipping it.
    static void createAccounts()
    {
        // An account of the program's kind that may not read icd: the catalogue load fails.
        testdb::exec("CREATE USER IF NOT EXISTS 'vesmar_cli_noicd'@'127.0.0.1' IDENTIFIED BY 'noicd';"
                     "GRANT SELECT ON `Vesmar`.`DG1` TO 'vesmar_cli_noicd'@'127.0.0.1';"
                     "GRANT SELECT ON `Vesmar`.`drgnames` TO 'vesmar_cli_noicd'@'127.0.0.1';");
    }

    void SetUp() override
    {
        static const bool accountsReady = (createAccounts(), true);
        (void)accountsReady;
        CliFileTest::SetUp();
    }

    // Settings of another account, in a settings folder of their own.
    std::map<std::string, std::string> account(const std::string& user, const std::string& password)
    {
        const std::string xdg = path("xdg");
        std::filesystem::create_directories(xdg + "/Orbel");
        writeFile(xdg + "/Orbel/Vesmar.conf",
                  "[General]\nHost=127.0.0.1\nUser=" + user + "\nPassword=" + password + "\n");
        return {{"XDG_CONFIG_DIRS", xdg}};
    }
};

TEST(CliUsage, HelpAndUsageErrors)
{
    CliRun help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vesmar-cli COMMAND", 0), 0u);
    EXPECT_EQ(runCli({"group", "-h"}).status, 0);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"regroup", "a.drg"},
             {"group"},
             {"group", "a.drg", "b.drg"},
             {"group", "--bogus", "a.drg"},
             {"group", "--discharge", "X", "a.drg"},
             {"group", "--explain=yes", "a.drg"},
             {"group", "a.drg", "--duration"},
             {"batch", "in.csv", "-o"},
             {"batch", "in.csv", "--explain"},
             {"batch", "--jobs", "0", "in.csv"},
             {"batch", "--jobs", "two", "in.csv"},
             {"batch", "--jobs=-1", "in.csv"},
             {"batch", "--per-statement=yes", "in.csv"},
             {"resave", "in.drg"},
             {"catalogue", "extra"},
         }) {
        CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("vesmar-cli: "), std::string::npos);
        EXPECT_NE(run.err.find("--help"), std::string::npos);
    }
}

TEST_F(CliTest, GroupPrintsTheExpectedReportOfEachSampleCase)
{
    CDatabase db;
    ASSERT_TRUE(db.OpenEx(testdb::connectString("Vesmar"), CDatabase::openReadOnly));
    CRecordset lookupSet(&db);
    int grouped = 0;
    for (const Example& e : examples()) {
        if (day(e.birth) > day(e.admission))
            continue;
        const std::string file = path(e.id + ".drg");
        saveCase(file, e);
        CliRun run = runCli({"group", "--discharge", e.discharge, "--duration", e.duration, file});
        EXPECT_EQ(run.status, 0) << e.id << run.err;
        EXPECT_EQ(run.err, "") << e.id;
        EXPECT_EQ(run.out, expectedReport(e.id)) << e.id;

        // The form's Process on the same case: the result box's text.
        CVesmarDoc doc;
        CRecordingSink sink;
        ASSERT_TRUE(OpenCaseFile(doc, file, sink));
        CProcessInput input{static_cast<unsigned char>(doc.IsMale()), doc.GetBirthDate(), doc.GetAdmissionDate(),
                            true, true, e.discharge, AtoiC(e.duration), &doc.GetChosenList(), &doc.GetBiList()};
        int age = 0;
        ASSERT_TRUE(CheckDates(input, age));
        CSilentProgress progress;
        std::string box = GroupCase(input, age, db, lookupSet, progress, sink);
        for (std::size_t pos; (pos = box.find("\r\n")) != std::string::npos;)
            box.replace(pos, 2, "\n");
        // No chosen diagnosis: the box is emptied and nothing is printed.
        EXPECT_EQ(run.out, box.empty() ? box : box + "\n") << e.id;
        ++grouped;
    }
    EXPECT_GE(grouped, 23);
}

TEST_F(CliTest, GroupTakesDischargeAndDurationLikeTheForm)
{
    const std::string file = path("case.drg");
    saveCase(file, example("ex16")); // I10|K92.2, discharged R
    const std::string shortStay = expectedReport("ex16"), longStay = expectedReport("ex17");
    ASSERT_NE(shortStay, longStay);
    EXPECT_EQ(runCli({"group", "--discharge=R", "--duration=2", file}).out, shortStay);
    // Read with atoi rules: the leading digits count.
    EXPECT_EQ(runCli({"group", "--discharge", "R", "--duration", "5 days", file}).out, longStay);
    EXPECT_EQ(runCli({"group", "--duration", "12abc", "--discharge", "R", file}).out, longStay);

    saveCase(file, example("ex14")); // I21.0|I48.0, died (E)
    EXPECT_EQ(runCli({"group", "--discharge", "E", "--duration", "2", file}).out, expectedReport("ex14"));
    CliRun leftEarly = runCli({"group", "--discharge", "L", "--duration", "2", file});
    EXPECT_NE(leftEarly.out.find(expectedReport("ex15")), std::string::npos) << leftEarly.out;
}

TEST_F(CliTest, GroupExplainShowsEachPassBeforeTheReport)
{
    const std::string file = path("case.drg");
    saveCase(file, example("ex05")); // I21.4|E11.9, bi N18.3
    CliRun run = runCli({"group", "--explain", "--duration", "5", file});
    EXPECT_EQ(run.status, 0);
    const std::string report = expectedReport("ex05");
    ASSERT_GE(run.out.size(), report.size());
    EXPECT_EQ(run.out.substr(run.out.size() - report.size()), report);
    const std::string explain = run.out.substr(0, run.out.size() - report.size());
    std::size_t pass1 = explain.find("Pass 1: primary diagnosis I21.4\n"),
                pass2 = explain.find("Pass 2: primary diagnosis E11.9\n");
    ASSERT_NE(pass1, std::string::npos);
    ASSERT_NE(pass2, std::string::npos);
    const std::string first = explain.substr(pass1, pass2 - pass1);
    EXPECT_NE(first.find("  DGCAT: 05M01\n  MDC: 05\n"), std::string::npos) << first;
    EXPECT_NE(first.find("  PDGPRO: "), std::string::npos);
    EXPECT_NE(first.find("  DGPROP: "), std::string::npos);
    // E11.9, a chosen diagnosis, is the complication of the infarction.
    EXPECT_NE(first.find("  Complication: E119 (compl 1)\n"), std::string::npos) << first;
    EXPECT_NE(first.find(" icd=\"+\" mdc=\"05\" dgcat1=\"05M01\""), std::string::npos) << first;
    EXPECT_NE(first.find(" compl=\"1\""), std::string::npos) << first;
    EXPECT_NE(first.find("drg=\"0506\""), std::string::npos) << first;
    EXPECT_NE(first.find("  DRG: 0506\n"), std::string::npos) << first;
}

TEST_F(CliTest, GroupRefusesDatesLikeTheProcessButton)
{
    const std::string file = path("case.drg");
    saveCase(file, example("ex24")); // born the day after admission
    CliRun run = runCli({"group", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, kDatesMessage);

    saveCase(file, example("ex05"), 0); // the birth date was never accepted on the form
    run = runCli({"group", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, kDatesMessage);

    // The date check comes before the connection, as Process comes after start-up.
    saveCase(file, example("ex24"));
    run = runCli({"group", file}, kServerDown);
    EXPECT_EQ(run.err, kDatesMessage);
}

TEST_F(CliFileTest, GroupOfAnUnreadableFile)
{
    CliRun missing = runCli({"group", path("missing.drg")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, path("missing.drg") + " was not found.\n");

    writeFile(path("short.drg"), craftedCase().substr(0, 30));
    CliRun bad = runCli({"group", path("short.drg")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "Unexpected file format.\n");
}

TEST_F(CliTest, GroupDatabaseErrorsEndTheCommand)
{
    Example e = example("ex05");
    e.chosen = {"Z79.4"}; // no category, no rule: the report's name look-up finds no row
    saveCase(path("case.drg"), e);
    CliRun run = runCli({"group", path("case.drg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Invalid cursor state\n");

    saveCase(path("case.drg"), example("ex05"));
    CliRun down = runCli({"group", path("case.drg")}, kServerDown);
    EXPECT_EQ(down.status, 1);
    EXPECT_EQ(down.out, "");
    ASSERT_EQ(down.err.rfind(kConnectionMessage, 0), 0u) << down.err;
    // Then the driver's own text, without its bracketed tags, on one line.
    std::string driverText = down.err.substr(kConnectionMessage.size());
    EXPECT_NE(driverText.find("Can't connect"), std::string::npos) << driverText;
    EXPECT_EQ(driverText.find('['), std::string::npos);
    EXPECT_EQ(std::count(driverText.begin(), driverText.end(), '\n'), 1);
}

TEST_F(CliTest, BatchOfTheSampleExamplesGivesTheExpectedOutput)
{
    const std::string expected = readFile(kSample + "/examples-expected.csv");
    CliRun run = runCli({"batch", kSample + "/examples.csv"});
    // ex24 fails its date check, so the batch as a whole failed.
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "");

    CliRun toFile = runCli({"batch", kSample + "/examples.csv", "-o", path("out.csv")});
    EXPECT_EQ(toFile.status, 1);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readFile(path("out.csv")), expected);

    // Without the failing case every case succeeds.
    std::string input = readFile(kSample + "/examples.csv");
    input.erase(input.find("ex24,"));
    writeFile(path("good.csv"), input);
    CliRun good = runCli({"batch", path("good.csv")});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, expected.substr(0, expected.find("ex24,")));
}

TEST_F(CliTest, BatchReportsMalformedLinesAndFailedCasesAndGoesOn)
{
    writeFile(path("in.csv"),
              "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses\r\n"
              "a,1950-06-15,2024-02-01,M,,6,J18.9,E87.1\r\n"
              "b,1950-06-15,2024-02-01,X,,6,J18.9,\r\n"
              "c,1950-06-15,2024-02-30,M,,6,J18.9,\r\n"
              "d,1950-06-15,2024-02-01,M,,6\r\n"
              "\"e\"x,1950-06-15,2024-02-01,M,,6,J18.9,\r\n"
              "f,1950-06-15,2024-02-01,M,,6,J18.9||I10,\r\n"
              "g,1950-06-15,2024-02-01,M,,6,Z79.4,\r\n"
              "\"h, with comma\",1950-06-15,2024-02-01,M,X,6,J18.9,\r\n"
              "\"i\nj\",1950-06-15,2024-02-01,M,,6,\"J18.9\",\"E87.1\"\n"
              "k,1950-06-15,2024-02-01,M,,6,\"J18.9,E87.1\n");
    CliRun run = runCli({"batch", path("in.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "id,rank,diagnosis,drg,name,weight,error\n"
                       "a,1,J18.9,0404,Pneumonia with complication,1.3350,\n"
                       "b,0,,,,,line 3: sex 'X' is neither M nor F\n"
                       "c,0,,,,,line 4: admission '2024-02-30' is no date YYYY-MM-DD\n"
                       "d,0,,,,,\"line 5: expected 8 fields, found 6\"\n"
                       "e,0,,,,,line 6: text after the closing quote of field 1\n"
                       "f,0,,,,,\"line 7: diagnoses holds the code '', which is no catalogue code\"\n"
                       "g,0,,,,,Invalid cursor state\n"
                       "\"h, with comma\",0,,,,,\"line 9: discharge 'X' is not E, R, L or empty\"\n"
                       "i,0,,,,,line 10: a quoted field is not closed\n"
                       "j,0,,,,,line 11: a quote inside the unquoted field 1\n"
                       "k,0,,,,,line 12: a quoted field is not closed\n");
}

TEST_F(CliTest, BatchFailuresOfTheWholeRun)
{
    CliRun missing = runCli({"batch", path("none.csv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, path("none.csv") + " was not found.\n");

    CliRun folder = runCli({"batch", m_dir});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "Access to " + m_dir + " was denied.\n");

    // File names are UTF-8 and stay so in the messages.
    writeFile(path("K\xC3\xBC" "che.csv"), "id,birth,admission\n1,2,3\n");
    CliRun header = runCli({"batch", path("K\xC3\xBC" "che.csv")});
    EXPECT_EQ(header.status, 1);
    EXPECT_EQ(header.out, "");
    EXPECT_EQ(header.err, path("K\xC3\xBC" "che.csv") +
                              ": the first line must be the header "
                              "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses\n");
    CliRun missingUmlaut = runCli({"batch", path("\xC3\xA4.csv")});
    EXPECT_EQ(missingUmlaut.err, path("\xC3\xA4.csv") + " was not found.\n");

    writeFile(path("previous.csv"), "kept");
    CliRun down = runCli({"batch", kSample + "/examples.csv", "-o", path("previous.csv")}, kServerDown);
    EXPECT_EQ(down.status, 1);
    EXPECT_EQ(down.out, "");
    EXPECT_EQ(down.err.rfind(kConnectionMessage, 0), 0u) << down.err;
    EXPECT_EQ(readFile(path("previous.csv")), "kept");

    CliRun noFolder = runCli({"batch", kSample + "/examples.csv", "-o", path("no/such/out.csv")});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.out, "");
    EXPECT_NE(noFolder.err.find(path("no/such/out.csv")), std::string::npos) << noFolder.err;
}

// The shell's file-size limit (in KiB) for one run, as a full disk shows
// itself to the writer: SIGXFSZ and then EFBIG.
CliRun runLimited(const std::string& dir, int kib, const std::string& args)
{
    const std::string command = "ulimit -f " + std::to_string(kib) + "; exec '" VESMAR_CLI_PATH "' " + args +
                                " 2>'" + dir + "/limited.err'";
    CliRun run;
    const int raw = std::system(("bash -c \"" + command + "\"").c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = readFile(dir + "/limited.err");
    std::filesystem::remove(dir + "/limited.err");
    return run;
}

TEST_F(CliTest, BatchStopsAtTheFirstFailedWriteAndKeepsTheOldOutput)
{
    // Many copies of the examples, far more output than the limit; each copy
    // ends in a case whose name look-up the snapshot leaves to the server (it
    // finds no row), so the statements counted tell how far the batch went.
    const std::string examples = readFile(kSample + "/examples.csv");
    std::string input = examples;
    const std::string records = examples.substr(examples.find('\n') + 1) + "z,1950-06-15,2024-02-01,M,,6,Z79.4,\n";
    for (int i = 0; i < 300; ++i)
        input += records;
    writeFile(path("in.csv"), input);
    auto selects = [] { return std::stoll(testdb::query("SHOW GLOBAL STATUS LIKE 'Com_select'").at(0).at(1)); };
    long long before = selects();
    CliRun full = runCli({"batch", path("in.csv"), "-o", path("full.csv")});
    const long long fullStatements = selects() - before;
    ASSERT_EQ(full.status, 1); // ex24's date check
    ASSERT_GT(readFile(path("full.csv")).size(), 100000u);

    writeFile(path("out.csv"), "kept");
    before = selects();
    CliRun toFile = runLimited(m_dir, 16, "batch '" + path("in.csv") + "' -o '" + path("out.csv") + "'");
    const long long limitedStatements = selects() - before;
    EXPECT_EQ(toFile.status, 1);
    const std::string diskFull = "Disk full while accessing " + path("out.csv") + ".\n";
    ASSERT_GE(toFile.err.size(), diskFull.size()) << toFile.err;
    EXPECT_EQ(toFile.err.substr(toFile.err.size() - diskFull.size()), diskFull);
    EXPECT_EQ(toFile.err.find(diskFull), toFile.err.size() - diskFull.size()) << "reported once";
    // Stopped there, not after grouping every case.
    EXPECT_GT(fullStatements, 300);
    EXPECT_LT(limitedStatements * 4, fullStatements) << limitedStatements << " of " << fullStatements;
    EXPECT_EQ(readFile(path("out.csv")), "kept");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"full.csv", "in.csv", "out.csv"}));

    // Standard output that cannot take more.
    CliRun toStdout = runLimited(m_dir, 16, "batch '" + path("in.csv") + "' >'" + path("stdout.csv") + "'");
    EXPECT_EQ(toStdout.status, 1);
    EXPECT_NE(toStdout.err.find("writing the output failed\n"), std::string::npos) << toStdout.err;
    EXPECT_LE(readFile(path("stdout.csv")).size(), 16u * 1024);
    EXPECT_EQ(readFile(path("full.csv")).substr(0, readFile(path("stdout.csv")).size()),
              readFile(path("stdout.csv")));

    // A batch that completes replaces the old file, with the same bytes as
    // standard output and on every number of threads.
    CliRun replaced = runCli({"batch", "--jobs", "3", path("in.csv"), "-o", path("out.csv")});
    EXPECT_EQ(replaced.status, 1);
    EXPECT_EQ(readFile(path("out.csv")), readFile(path("full.csv")));
    EXPECT_EQ(replaced.err, full.err);
}

TEST_F(CliFileTest, ShowPrintsTheCaseAsJson)
{
    writeFile(path("crafted.drg"), craftedCase());
    CliRun run = runCli({"show", path("crafted.drg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"reserved\":5,\"sex\":7,"
                       "\"chosen\":[\"A01.2    Caf\xC3\xA9 \\\"x\\\"\",\"B\\\\1\\tz\\u0001\"],\"bi\":[\"Z99\"],"
                       "\"birth\":{\"status\":0,\"days\":12345.5},\"admission\":{\"status\":1,\"days\":-2.25},"
                       "\"birthSet\":1}\n");

    writeFile(path("short.drg"), craftedCase().substr(0, 40));
    CliRun bad = runCli({"show", path("short.drg")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "Unexpected file format.\n");

    CliRun missing = runCli({"show", path("none.drg")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, path("none.drg") + " was not found.\n");
}

TEST_F(CliFileTest, ResaveWritesTheSameBytes)
{
    writeFile(path("crafted.drg"), craftedCase());
    CliRun run = runCli({"resave", path("crafted.drg"), path("copy.drg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(path("copy.drg")), craftedCase());

    CliRun noFolder = runCli({"resave", path("crafted.drg"), path("no/such/folder/copy.drg")});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find(path("no/such/folder/copy.drg")), std::string::npos) << noFolder.err;

    writeFile(path("short.drg"), craftedCase().substr(0, 50));
    CliRun bad = runCli({"resave", path("short.drg"), path("copy2.drg")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "Unexpected file format.\n");
    EXPECT_EQ(readFile(path("copy2.drg")), "");
}

TEST_F(CliTest, CatalogueListsTheIcdTableInOrder)
{
    CliRun run = runCli({"catalogue"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::string expected;
    auto rows = testdb::query("SELECT Code, Text FROM icd ORDER BY row_id", "Vesmar");
    for (const auto& row : rows)
        expected += row[0] + std::string(row[0].size() == 3 ? 7 : 4, ' ') + row[1] + "\n";
    EXPECT_GT(rows.size(), 300u);
    EXPECT_EQ(run.out, expected);

    CliRun denied = runCli({"catalogue"}, account("vesmar_cli_noicd", "noicd"));
    EXPECT_EQ(denied.status, 1);
    EXPECT_EQ(denied.out, "");
    EXPECT_EQ(denied.err.rfind("BulkFetch failed\n", 0), 0u) << denied.err;
    EXPECT_NE(denied.err.find("icd"), std::string::npos) << denied.err;

    CliRun down = runCli({"catalogue"}, kServerDown);
    EXPECT_EQ(down.status, 1);
    EXPECT_EQ(down.err.rfind(kConnectionMessage, 0), 0u) << down.err;
}

} // namespace
