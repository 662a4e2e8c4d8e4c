// vesmar-cli against a server of the test's own that the test stops,
// starts and pauses (SIGSTOP: the server keeps its connections and answers
// nothing): group fails with the connection message and the driver's text
// and works again once the server is back; a batch across a restart reports
// the cases of the outage as failed and groups the later ones again.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CliProcess.h"
#include "CliSamples.h"
#include "OwnServer.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kConnectionMessage =
    "A connection could not be opened to the database. Contact the system administrator.\n";

class CliOutageTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = makeTempDir();
        ASSERT_NO_THROW(m_server.start());
        saveCase(path("ex03.drg"), example("ex03"));
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    // ex03 with the sample's length of stay.
    CliRun group() { return runCli({"group", "--duration", "4", path("ex03.drg")}, m_server.cliEnvironment()); }

    testdb::COwnServer m_server;
    std::string m_dir;
};

// How often text occurs in the file at path, as far as it has been written.
std::size_t occurrences(const std::string& path, const std::string& text)
{
    const std::string written = readFile(path);
    std::size_t n = 0;
    for (std::size_t pos = 0; (pos = written.find(text, pos)) != std::string::npos; pos += text.size())
        ++n;
    return n;
}

// Waits (at most two minutes) until text occurs more than times times in the
// file at path.
bool waitFor(const std::string& path, const std::string& text, std::size_t times)
{
    const auto end = Clock::now() + std::chrono::minutes(2);
    while (Clock::now() < end) {
        if (occurrences(path, text) > times)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST_F(CliOutageTest, GroupWhileTheServerIsDownTellsTheConnectionMessageAndWorksOnceItIsBack)
{
    const std::string expected = expectedReport("ex03");
    CliRun before = group();
    ASSERT_EQ(before.status, 0) << before.err;
    EXPECT_EQ(before.out, expected);

    m_server.stop();
    CliRun down = group();
    EXPECT_EQ(down.status, 1);
    EXPECT_EQ(down.out, "");
    EXPECT_EQ(down.err.rfind(kConnectionMessage, 0), 0u) << down.err;
    EXPECT_NE(down.err.find("Can't connect to server on '127.0.0.1'"), std::string::npos) << down.err;

    m_server.start();
    CliRun back = group();
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, expected);
}

TEST_F(CliOutageTest, GroupAgainstAPausedServerFailsWithinTheTimeOutAndWorksAfterTheResume)
{
    m_server.pause();
    const auto start = Clock::now();
    CliRun stalled = group();
    const auto seconds = std::chrono::duration<double>(Clock::now() - start).count();
    m_server.resume();
    EXPECT_EQ(stalled.status, 1);
    EXPECT_LT(seconds, 30.0);
    EXPECT_EQ(stalled.out, "");
    EXPECT_EQ(stalled.err.rfind(kConnectionMessage, 0), 0u) << stalled.err;
    EXPECT_NE(stalled.err.find("Lost connection to server at 'handshake"), std::string::npos) << stalled.err;
    std::printf("group against a paused server failed after %.1f s: %s", seconds, stalled.err.c_str());

    CliRun back = group();
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, expectedReport("ex03"));
}

TEST_F(CliOutageTest, ABatchAcrossARestartFailsTheCasesOfTheOutageAndGroupsTheLaterOnesAgain)
{
    // The sample examples many times over, each copy with ids of its own.
    const std::vector<std::vector<std::string>> sample = readCsv(VESMAR_SAMPLE_DIR "/examples.csv");
    std::string input = "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses\n";
    const int copies = 40;
    for (int copy = 0; copy < copies; ++copy)
        for (std::size_t i = 1; i < sample.size(); ++i) {
            std::vector<std::string> r = sample[i];
            input += r[0] + "-" + std::to_string(copy);
            for (std::size_t f = 1; f < r.size(); ++f)
                input += "," + r[f];
            input += "\n";
        }
    writeFile(path("in.csv"), input);
    // The expected rows of each example (a case the date check refuses
    // included), keyed by id; the header is one more key.
    std::map<std::string, std::vector<std::vector<std::string>>> expected;
    for (const auto& r : readCsv(VESMAR_SAMPLE_DIR "/examples-expected.csv"))
        expected[r[0]].push_back(r);

    // One statement per look-up, so every case needs the server; the output
    // goes to standard output, which shows each case as it is written (-o
    // would show nothing before the batch has finished).
    const int pid = startCli({"batch", "--per-statement", path("in.csv")}, m_server.cliEnvironment(),
                             path("stdout"), path("stderr"));
    // Some cases grouped, then the server goes while the tool is held, and
    // comes back once the tool has met the outage on a good many cases.
    ASSERT_TRUE(waitFor(path("stdout"), "\n", 100));
    kill(pid, SIGSTOP);
    m_server.stop();
    kill(pid, SIGCONT);
    ASSERT_TRUE(waitFor(path("stdout"), "A connection could not be opened to the database.", 100));
    kill(pid, SIGSTOP);
    m_server.start();
    kill(pid, SIGCONT);
    EXPECT_EQ(waitCli(pid), 1);

    const std::vector<std::vector<std::string>> out = readCsv(path("stdout"));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], (std::vector<std::string>{"id", "rank", "diagnosis", "drg", "name", "weight", "error"}));
    // Each case's rows: its expected rows exactly, or one failed row that
    // the outage explains. Never another report.
    std::map<std::string, std::vector<std::vector<std::string>>> rows;
    std::vector<std::string> order;
    for (std::size_t i = 1; i < out.size(); ++i) {
        if (rows.find(out[i][0]) == rows.end())
            order.push_back(out[i][0]);
        rows[out[i][0]].push_back(out[i]);
    }
    // Every case; the one without diagnoses has no report line, so it shows
    // only when the outage failed it.
    ASSERT_GE(order.size(), std::size_t(copies) * (expected.size() - 1));
    ASSERT_LE(order.size(), std::size_t(copies) * (sample.size() - 1));
    int lost = 0, reopenFailed = 0, grouped = 0, groupedAfterTheOutage = 0;
    for (const std::string& id : order) {
        const std::string base = id.substr(0, id.find('-'));
        std::vector<std::vector<std::string>> want = expected[base];
        for (auto& r : want)
            r[0] = id;
        const auto& got = rows[id];
        if (got == want) {
            ++grouped;
            if (lost > 0)
                ++groupedAfterTheOutage;
            continue;
        }
        ASSERT_EQ(got.size(), 1u) << id;
        EXPECT_EQ(got[0][1], "0") << id;
        EXPECT_EQ(got[0][2] + got[0][3] + got[0][4] + got[0][5], "") << id;
        // The statement that met the outage failed with the driver's text;
        // the later cases failed in the reopen before them.
        const std::string& error = got[0][6];
        EXPECT_FALSE(error.empty()) << id;
        if (error.rfind("A connection could not be opened to the database. Contact the system administrator. ", 0) == 0)
            ++reopenFailed;
        ++lost;
    }
    EXPECT_GE(reopenFailed, 100);
    EXPECT_LE(lost - reopenFailed, 2);
    EXPECT_GT(groupedAfterTheOutage, 300);
    const std::string err = readFile(path("stderr"));
    EXPECT_NE(err.find("A connection could not be opened to the database. Contact the system administrator."),
              std::string::npos);
    std::printf("batch of %zu cases across a restart: %d grouped, %d failed in the outage, %d grouped after it\n",
                order.size(), grouped, lost, groupedAfterTheOutage);
}

} // namespace
