// vesmar-cli fed with input made to hurt it: stray quotes, control
// characters, giant fields, impossible dates, a file-size limit, a named pipe
// as the output, a NUL inside a diagnosis.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "CCsvReader.h"
#include "CVesmarDoc.h"
#include "CliProcess.h"
#include "TestDb.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses\n";
const std::string kGood = "1950-06-15,2024-02-01,M,,6,J18.9,E87.1\n";
const std::string kGoodRow = ",1,J18.9,0404,Pneumonia with complication,1.3350,\n";

class CliHostileInput : public testing::Test {
protected:
    void SetUp() override { m_dir = makeTempDir(); }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    std::vector<std::string> folderEntries() const { return testfiles::FolderEntries(m_dir); }

    // A case with the given chosen entries, saved by the document itself.
    void saveCase(const std::string& name, const std::vector<std::string>& chosen)
    {
        CVesmarDoc doc;
        doc.OnNewDocument();
        doc.SetBirthDate({18000.0, DateValue::valid});
        doc.SetBirthDateSet(1);
        doc.SetAdmissionDate({45000.0, DateValue::valid});
        for (const std::string& entry : chosen)
            doc.AddChosenDiagnosis(entry);
        CRecordingSink sink;
        ASSERT_TRUE(doc.OnSaveDocument(path(name), sink));
    }

    std::string m_dir;
};

// vesmar-cli under a file-size limit of limitBytes, with SIGXFSZ at its
// default action (ending the process) as a shell would leave it; the test
// process itself may have it ignored.
CliRun runCliWithFileSizeLimit(const std::vector<std::string>& args, rlim_t limitBytes, const std::string& dir)
{
    const std::string errPath = dir + "/stderr.txt";
    pid_t pid = ::fork();
    if (pid == 0) {
        std::FILE* err = std::freopen(errPath.c_str(), "w", stderr);
        rlimit limit{limitBytes, limitBytes};
        if (!err || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(126);
        std::signal(SIGXFSZ, SIG_DFL);
        std::vector<char*> argv{const_cast<char*>(VESMAR_CLI_PATH)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(VESMAR_CLI_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.err = readFile(errPath);
    fs::remove(errPath);
    return run;
}

TEST_F(CliHostileInput, ResavePastTheFileSizeLimitFailsAsAFileErrorAndLeavesNothing)
{
    std::vector<std::string> many(400, std::string(100, 'y'));
    saveCase("big.drg", many);
    saveCase("target.drg", {"the old case"});
    const std::string old = readFile(path("target.drg"));

    CliRun run = runCliWithFileSizeLimit({"resave", path("big.drg"), path("target.drg")}, 16384, m_dir);
    EXPECT_EQ(run.status, 1) << "a negative status is the signal that ended it";
    EXPECT_EQ(run.err, "Disk full while accessing " + path("target.drg") + ".\n");
    EXPECT_EQ(readFile(path("target.drg")), old);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"big.drg", "target.drg"}));
}

TEST_F(CliHostileInput, ResaveOntoAFifoRefusesAndKeepsTheFifo)
{
    saveCase("case.drg", {"A01.2    Typhoid"});
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0644), 0);
    CliRun run = runCli({"resave", path("case.drg"), path("fifo")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Access to " + path("fifo") + " was denied.\n");
    EXPECT_TRUE(fs::is_fifo(path("fifo")));
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"case.drg", "fifo"}));

    CliRun root = runCli({"resave", path("case.drg"), "/"});
    EXPECT_EQ(root.status, 1);
    EXPECT_EQ(root.err, "Access to / was denied.\n");
}

TEST_F(CliHostileInput, AnEmptyFileNameIsAUsageError)
{
    saveCase("case.drg", {"A01.2    Typhoid"});
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"show", ""}, {"resave", path("case.drg"), ""}, {"resave", "", path("x.drg")}, {"batch", ""},
             {"batch", path("in.csv"), "-o", ""}, {"group", ""}}) {
        CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_NE(run.err.find("empty"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(" was not found."), std::string::npos) << run.err;
    }
}

// One stray quote, one control character, one giant field, one impossible
// date: each fails its own case, with a short echo, and every other case is
// grouped.
TEST_F(CliHostileInput, BatchFailsOnlyTheHostileCases)
{
    const std::string giant(60, 'Z');
    const std::string hugeId(CCsvReader::kMaxRecordBytes + 10, 'i');
    writeFile(path("in.csv"), kHeader +                                                      // line 1
                                  "a," + kGood +                                             // 2
                                  "b,\"1950-06-15,2024-02-01,M,,6,J18.9,E87.1\n" +          // 3: never closed
                                  "c," + kGood +                                             // 4
                                  "d,1950-06-15,2024-02-01,M,,6,J18" + std::string(1, '\0') + ".9,\n" + // 5
                                  "e,1950-06-15,2024-02-01,M,,6,J18.9,E87\x7F" "1\n" +      // 6
                                  "f,1950-06-15,2024-02-01," + giant + ",,6,J18.9,\n" +     // 7
                                  "g,0000-01-01,2024-02-01,M,,6,J18.9,\n" +                 // 8
                                  "h,1950-06-15,0099-12-31,M,,6,J18.9,\n" +                 // 9
                                  hugeId + "," + kGood +                                     // 10
                                  "k,0100-01-01,2024-02-01,M,,6,J18.9,E87.1\n" +            // 11
                                  "l,1950-06-15,2024-02-01,M,,6,J18.9|\tX,\n");             // 12
    CliRun run = runCli({"batch", path("in.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "id,rank,diagnosis,drg,name,weight,error\n"
                       "a" + kGoodRow +
                       "b,0,,,,,line 3: a quoted field is not closed\n"
                       "c" + kGoodRow +
                       "d,0,,,,,line 5: diagnoses holds a code with the control character 0x00\n"
                       "e,0,,,,,line 6: bidiagnoses holds a code with the control character 0x7F\n"
                       "f,0,,,,,line 7: sex '" + std::string(40, 'Z') + "\u2026' is neither M nor F\n"
                       "g,0,,,,,line 8: birthdate '0000-01-01' is no date YYYY-MM-DD\n"
                       "h,0,,,,,line 9: admission '0099-12-31' is no date YYYY-MM-DD\n"
                       ",0,,,,,line 10: the record is longer than 1 MiB\n"
                       "k,1,J18.9,0404,Pneumonia with complication,1.3350,\n"
                       "l,0,,,,,\"line 12: diagnoses holds the code '\tX', which is no catalogue code\"\n");
}

// A NUL in a case file's entry is the user's data: the statement reaches the
// server whole, with the NUL escaped, and is no syntax error.
TEST_F(CliHostileInput, ANulInACaseFileEntryReachesTheServerEscaped)
{
    const std::string code = std::string("Q9", 2) + '\0' + "NUL";
    saveCase("nul.drg", {code + "    crafted"});
    testdb::exec("SET GLOBAL general_log = 0; TRUNCATE TABLE mysql.general_log; "
                 "SET GLOBAL log_output = 'TABLE'; SET GLOBAL general_log = 1;");
    CliRun run = runCli({"group", path("nul.drg")});
    testdb::exec("SET GLOBAL general_log = 0;");
    EXPECT_EQ(run.err.find("SQL syntax"), std::string::npos) << run.err;

    // The driver prepares each statement; the log shows it without its closing ";".
    auto logged = testdb::query("SELECT HEX(argument) FROM mysql.general_log WHERE command_type IN ('Prepare', 'Execute') "
                                "AND LOCATE('DGCAT', argument) > 0");
    ASSERT_FALSE(logged.empty()) << "no DGCAT statement";
    const std::string expected = "SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = 'Q9\\0NUL'";
    auto hex = [](const std::string& text) {
        std::string out;
        for (unsigned char c : text) {
            char two[3];
            std::snprintf(two, sizeof two, "%02X", c);
            out += two;
        }
        return out;
    };
    bool found = false;
    for (const auto& row : logged)
        found = found || row[0] == hex(expected);
    EXPECT_TRUE(found) << expected;
}

} // namespace
