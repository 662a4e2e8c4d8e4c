// Case files from someone who means harm: what reading one costs in memory,
// and saves onto things that are no regular file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CaseBytes.h"
#include "CVesmarDoc.h"
#include "TestDb.h"

using namespace casebytes;
namespace fs = std::filesystem;

namespace {

void spit(const fs::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CaseFileLimits : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vesmar-limits-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        m_dir = name;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

struct Peak {
    bool opened = false;
    double factor = 0; // growth of the peak resident size over the file's size
};

// Opens file in a child process and measures how far the child's peak
// resident size rose above what it held before the open. The child starts
// with its peak at its current size, so the rise is what the open cost.
Peak peakOfOpening(const std::string& file)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        rusage before {};
        ::getrusage(RUSAGE_SELF, &before);
        CVesmarDoc doc;
        CRecordingSink sink;
        const bool opened = doc.OnOpenDocument(file, sink) == CVesmarDoc::OpenResult::Opened;
        rusage after {};
        ::getrusage(RUSAGE_SELF, &after);
        const long kib[2] = {opened ? 1L : 0L, after.ru_maxrss - before.ru_maxrss};
        ::_exit(::write(fds[1], kib, sizeof kib) == sizeof kib ? 0 : 1);
    }
    ::close(fds[1]);
    long kib[2] = {0, 0};
    const bool got = child > 0 && ::read(fds[0], kib, sizeof kib) == sizeof kib;
    ::close(fds[0]);
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return {kib[0] == 1, double(kib[1]) * 1024.0 / double(fs::file_size(file))};
}

std::string withChosen(const std::string& body)
{
    CaseFields fields;
    fields.chosenBody = body;
    return caseFile(fields);
}

TEST_F(CaseFileLimits, ReadingCostsASmallMultipleOfTheFileSize)
{
    struct {
        const char* what;
        std::string bytes;
        bool opens;
        double limit;
    } files[] = {
        // 4 Gi entries claimed, 10 million present, then the data ends.
        {"refused: count 0xFFFFFFFF and 10 MB of empty entries",
         le32(0xFFFFFFFF) + le32(1) + listClassDescription() + "\xFF\xFF" + le32(0xFFFFFFFF) +
             std::string(10'000'000, '\0'),
         false, 6.0},
        // As many entries as the format can put in a megabyte.
        {"read: 1,000,000 empty entries",
         withChosen("\xFF\xFF" + le32(1'000'000) + std::string(1'000'000, '\0')), true, 40.0},
        {"read: 20,000 catalogue-like entries",
         [] {
             std::string body = "\xFF\xFF" + le32(20'000);
             for (int i = 0; i < 20'000; ++i)
                 body += shortString("J18." + std::to_string(i % 10) + "    Pneumonia, organism unspecified " +
                                     std::to_string(i));
             return withChosen(body);
         }(),
         true, 6.0},
    };
    for (const auto& f : files) {
        spit(m_dir / "probe.drg", f.bytes);
        Peak peak = peakOfOpening(path("probe.drg"));
        std::printf("%-56s %9zu bytes: peak %.1f times the size\n", f.what, f.bytes.size(), peak.factor);
        EXPECT_EQ(peak.opened, f.opens) << f.what;
        EXPECT_GT(peak.factor, 0.0) << f.what << ": no measurement";
        EXPECT_LE(peak.factor, f.limit) << f.what;
    }
}

// A save onto something that is no regular file is refused before anything
// is written, and the thing stays what it was.
TEST_F(CaseFileLimits, SavingOntoAFifoADeviceOrAFolderIsRefused)
{
    ASSERT_EQ(::mkfifo(path("pipe.drg").c_str(), 0644), 0);
    // Only root may make a device node; others try the system's own one.
    const bool root = ::geteuid() == 0;
    const std::string device = root ? path("null.drg") : "/dev/null";
    if (root) {
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    }
    fs::create_symlink("pipe.drg", m_dir / "to-pipe.drg");

    CVesmarDoc doc;
    doc.AddChosenDiagnosis("A01.2    Typhoid");
    for (const std::string& target : {path("pipe.drg"), device, path("to-pipe.drg"), std::string("/")}) {
        CRecordingSink sink;
        EXPECT_FALSE(doc.OnSaveDocument(target, sink)) << target;
        ASSERT_EQ(sink.messages.size(), 1u) << target;
        EXPECT_EQ(sink.messages[0].text, "Access to " + target + " was denied.");
        EXPECT_TRUE(doc.IsModified());
    }
    EXPECT_TRUE(fs::is_fifo(m_dir / "pipe.drg"));
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_symlink(m_dir / "to-pipe.drg"));
    std::vector<std::string> expected = {"pipe.drg", "to-pipe.drg"};
    if (root)
        expected.insert(expected.begin(), "null.drg");
    EXPECT_EQ(folderEntries(), expected);
}

// A link that points nowhere would become a regular file in the link's place,
// or one where it points; neither is what a user saving "onto the link" means.
TEST_F(CaseFileLimits, ADanglingLinkIsRefusedAndALinkToAFileIsFollowed)
{
    fs::create_directory(m_dir / "sub");
    fs::create_symlink("sub/missing.drg", m_dir / "dangling.drg");
    fs::create_symlink("dangling.drg", m_dir / "to-dangling.drg");
    fs::create_symlink("loop.drg", m_dir / "loop.drg");

    CVesmarDoc doc;
    doc.AddChosenDiagnosis("A01.2    Typhoid");
    for (const char* name : {"dangling.drg", "to-dangling.drg", "loop.drg"}) {
        CRecordingSink sink;
        EXPECT_FALSE(doc.OnSaveDocument(path(name), sink)) << name;
        ASSERT_EQ(sink.messages.size(), 1u) << name;
        EXPECT_EQ(sink.messages[0].text, "Access to " + path(name) + " was denied.");
        EXPECT_TRUE(fs::is_symlink(m_dir / name));
    }
    EXPECT_TRUE(fs::is_empty(m_dir / "sub"));

    spit(m_dir / "sub" / "real.drg", "old");
    fs::create_symlink("sub/real.drg", m_dir / "link.drg");
    fs::create_symlink("link.drg", m_dir / "link-to-link.drg");
    CRecordingSink sink;
    ASSERT_TRUE(doc.OnSaveDocument(path("link-to-link.drg"), sink));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(slurp(m_dir / "sub" / "real.drg"), written(doc));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.drg"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link-to-link.drg"));
    EXPECT_EQ(doc.GetTitle(), "link-to-link.drg");
}

} // namespace
