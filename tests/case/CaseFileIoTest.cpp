// Opening and saving case files on disk, with the messages the user sees.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CaseBytes.h"
#include "CVesmarDoc.h"
#include "TestDb.h"

using namespace casebytes;
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

class CaseFileIo : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vesmar-case-XXXXXX";
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

    // A document holding a case with something in every field.
    static void fill(CVesmarDoc& doc)
    {
        doc.AddChosenDiagnosis("A01.2    Typhoid");
        doc.AddChosenDiagnosis(std::string(5000, 'x'));
        doc.AddBiDiagnosis("I10      Essential (primary) hypertension");
        doc.SetMale(false);
        doc.SetBirthDate({25000.0, DateValue::valid});
        doc.SetBirthDateSet(1);
        doc.SetAdmissionDate({45000.0, DateValue::valid});
    }

    fs::path m_dir;
    CRecordingSink m_sink;
};

TEST_F(CaseFileIo, SavedCaseOpensAgainWithItsNameAsTitle)
{
    CVesmarDoc doc;
    fill(doc);
    for (int i = 0; i < 3000; ++i)
        doc.AddBiDiagnosis("entry " + std::to_string(i)); // the file spans many read buffers
    ASSERT_TRUE(doc.OnSaveDocument(path("case one.drg"), m_sink));
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_EQ(doc.GetTitle(), "case one.drg");
    EXPECT_EQ(doc.GetPathName(), path("case one.drg"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(slurp(path("case one.drg")) == written(doc));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"case one.drg"}) << "no temporary file is left";

    CVesmarDoc back;
    back.AddChosenDiagnosis("old");
    ASSERT_EQ(back.OnOpenDocument(path("case one.drg"), m_sink), CVesmarDoc::OpenResult::Opened);
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_TRUE(written(back) == written(doc));
    EXPECT_EQ(back.GetTitle(), "case one.drg");
    EXPECT_FALSE(back.IsModified());
}

TEST_F(CaseFileIo, ARelativeNameIsTakenFromTheCurrentFolder)
{
    CVesmarDoc doc;
    fs::path old = fs::current_path();
    fs::current_path(m_dir);
    bool saved = doc.OnSaveDocument("rel.drg", m_sink);
    CVesmarDoc::OpenResult opened = doc.OnOpenDocument("./sub/../rel.drg", m_sink);
    fs::current_path(old);
    EXPECT_TRUE(saved);
    EXPECT_EQ(opened, CVesmarDoc::OpenResult::Opened);
    EXPECT_EQ(doc.GetPathName(), path("rel.drg"));
}

TEST_F(CaseFileIo, AnEmptyFileOpensWithoutMessageAndKeepsTheCase)
{
    spit(path("empty.drg"), "");
    CVesmarDoc doc;
    fill(doc);
    const std::string before = written(doc);
    ASSERT_EQ(doc.OnOpenDocument(path("empty.drg"), m_sink), CVesmarDoc::OpenResult::Opened);
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_TRUE(written(doc) == before);
    EXPECT_EQ(doc.GetTitle(), "empty.drg");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CaseFileIo, EveryTruncationIsAnUnexpectedFormatAndResetsTheCase)
{
    CVesmarDoc source;
    source.AddChosenDiagnosis("A01.2    Typhoid");
    source.AddChosenDiagnosis(std::string(300, 'y')); // the three-byte length form
    source.AddBiDiagnosis("\xFF");
    source.SetBirthDate({25000.0, DateValue::valid});
    source.SetAdmissionDate({45000.0, DateValue::valid});
    const std::string bytes = written(source);
    const std::string file = path("short.drg");
    CVesmarDoc reference;
    reference.SetBirthDate({25000.0, DateValue::valid});
    reference.SetAdmissionDate({45000.0, DateValue::valid});

    spit(path("previous.drg"), bytes);

    for (std::size_t n = 1; n < bytes.size(); ++n) {
        spit(file, bytes.substr(0, n));
        CVesmarDoc doc;
        ASSERT_EQ(doc.OnOpenDocument(path("previous.drg"), m_sink), CVesmarDoc::OpenResult::Opened);
        doc.AddChosenDiagnosis("unsaved");
        m_sink.messages.clear();
        ASSERT_EQ(doc.OnOpenDocument(file, m_sink), CVesmarDoc::OpenResult::FailedWhileReading) << n;
        ASSERT_EQ(m_sink.messages.size(), 1u) << n;
        EXPECT_EQ(m_sink.messages[0].text, "Unexpected file format.") << n;
        EXPECT_EQ(m_sink.messages[0].icon, MessageIcon::Warning);
        // Reset as by New; the dates are not part of the reset.
        EXPECT_EQ(written(doc), written(reference)) << n;
        EXPECT_EQ(doc.GetTitle(), "patient");
        EXPECT_EQ(doc.GetPathName(), "");
        EXPECT_FALSE(doc.IsModified());
    }
}

TEST_F(CaseFileIo, AFileThatCannotBeOpenedChangesNothing)
{
    CVesmarDoc doc;
    fill(doc);
    ASSERT_TRUE(doc.OnSaveDocument(path("kept.drg"), m_sink));
    doc.AddChosenDiagnosis("unsaved");
    const std::string before = written(doc);
    fs::create_directory(m_dir / "folder.drg");

    struct {
        std::string path;
        std::string message;
    } cases[] = {
        {path("missing.drg"), path("missing.drg") + " was not found."},
        {path("nofolder/x.drg"), path("nofolder/x.drg") + " contains an invalid path."},
        {path("kept.drg/x.drg"), path("kept.drg/x.drg") + " contains an invalid path."},
        {path("folder.drg"), "Access to " + path("folder.drg") + " was denied."},
    };
    for (const auto& c : cases) {
        m_sink.messages.clear();
        EXPECT_EQ(doc.OnOpenDocument(c.path, m_sink), CVesmarDoc::OpenResult::FailedBeforeReading);
        ASSERT_EQ(m_sink.messages.size(), 1u);
        EXPECT_EQ(m_sink.messages[0].text, c.message);
        EXPECT_TRUE(written(doc) == before);
        EXPECT_EQ(doc.GetTitle(), "kept.drg");
        EXPECT_TRUE(doc.IsModified());
    }
}

class FailingSave : public CaseFileIo {
protected:
    void SetUp() override
    {
        CaseFileIo::SetUp();
        CVesmarDoc old;
        old.AddChosenDiagnosis("the old case");
        ASSERT_TRUE(old.OnSaveDocument(path("case.drg"), m_sink));
        m_oldBytes = slurp(path("case.drg"));
        fill(m_doc);
        ASSERT_TRUE(m_doc.OnSaveDocument(path("doc.drg"), m_sink));
        m_doc.AddChosenDiagnosis("unsaved");
        m_docBytes = written(m_doc);
        fs::create_directory(m_dir / "folder.drg");
        spit(m_dir / "folder.drg" / "inside", "x");
    }

    // The save failed with message, and nothing changed: not the document,
    // not the old file, and no temporary file is left behind.
    void expectFailed(bool saved, const std::string& message)
    {
        EXPECT_FALSE(saved);
        ASSERT_EQ(m_sink.messages.size(), 1u);
        EXPECT_EQ(m_sink.messages[0].text, message);
        EXPECT_TRUE(written(m_doc) == m_docBytes);
        EXPECT_TRUE(m_doc.IsModified());
        EXPECT_EQ(m_doc.GetTitle(), "doc.drg");
        EXPECT_EQ(m_doc.GetPathName(), path("doc.drg"));
        EXPECT_EQ(slurp(path("case.drg")), m_oldBytes);
        EXPECT_EQ(folderEntries(), (std::vector<std::string>{"case.drg", "doc.drg", "folder.drg"}));
        m_sink.messages.clear();
    }

    CVesmarDoc m_doc;
    std::string m_docBytes;
    std::string m_oldBytes;
};

TEST_F(FailingSave, OntoAFolder)
{
    expectFailed(m_doc.OnSaveDocument(path("folder.drg"), m_sink), "Access to " + path("folder.drg") + " was denied.");
    EXPECT_EQ(slurp(m_dir / "folder.drg" / "inside"), "x");
}

TEST_F(FailingSave, IntoAMissingFolderOrAFile)
{
    expectFailed(m_doc.OnSaveDocument(path("nofolder/x.drg"), m_sink),
                 path("nofolder/x.drg") + " contains an invalid path.");
    expectFailed(m_doc.OnSaveDocument(path("case.drg/x.drg"), m_sink),
                 path("case.drg/x.drg") + " contains an invalid path.");
}

TEST_F(FailingSave, IntoAFolderThatTakesNoFiles)
{
    expectFailed(m_doc.OnSaveDocument("/proc/vesmar-case.drg", m_sink), "/proc/vesmar-case.drg was not found.");
}

TEST_F(FailingSave, WhenTheDataDoesNotFitKeepsTheOldFile)
{
    // A file size limit makes the write fail half-way, even for root.
    for (int i = 0; i < 200; ++i)
        m_doc.AddChosenDiagnosis(std::string(100, 'y'));
    m_docBytes = written(m_doc);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 8192;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = m_doc.OnSaveDocument(path("case.drg"), m_sink);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    expectFailed(saved, "Disk full while accessing " + path("case.drg") + ".");
}

TEST_F(FailingSave, OverAFileTheSaverMayNotWrite)
{
    // Root may write anything, so the save runs as an ordinary user then.
    ASSERT_EQ(::chmod(m_dir.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path("case.drg").c_str(), 0444), 0);
    const std::string expected = "Access to " + path("case.drg") + " was denied.";
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        CRecordingSink sink;
        bool saved = m_doc.OnSaveDocument(path("case.drg"), sink);
        ::_exit(saved ? 1 : sink.messages.size() == 1 && sink.messages[0].text == expected ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saved, 2: other message, 3: no ordinary user";
    EXPECT_EQ(slurp(path("case.drg")), m_oldBytes);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"case.drg", "doc.drg", "folder.drg"}));
}

TEST_F(CaseFileIo, ReplacingAFileKeepsItsOwnerAndPermissionsAndFollowsALink)
{
    CVesmarDoc doc;
    ASSERT_TRUE(doc.OnSaveDocument(path("real.drg"), m_sink));
    ASSERT_EQ(::chmod(path("real.drg").c_str(), 0640), 0);
    // Root saving another user's file leaves it that user's.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path("real.drg").c_str(), 65534, 65534), 0);
    }
    fs::create_symlink("real.drg", m_dir / "link.drg");

    doc.AddChosenDiagnosis("new");
    ASSERT_TRUE(doc.OnSaveDocument(path("link.drg"), m_sink));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.drg"));
    EXPECT_EQ(slurp(path("real.drg")), written(doc));
    EXPECT_EQ(fs::status(m_dir / "real.drg").permissions(), fs::perms(0640));
    struct stat st {};
    ASSERT_EQ(::stat(path("real.drg").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, root ? 65534u : ::geteuid());
    EXPECT_EQ(doc.GetTitle(), "link.drg");
}

TEST_F(CaseFileIo, TheFuzzSeedsAreValidCases)
{
    int seeds = 0;
    for (const auto& entry : fs::directory_iterator(VESMAR_CASE_CORPUS)) {
        CVesmarDoc doc;
        EXPECT_EQ(doc.OnOpenDocument(entry.path().string(), m_sink), CVesmarDoc::OpenResult::Opened)
            << entry.path();
        // A 16-bit entry is written back in 8 bits and a repeated class
        // description as a reference; every other seed is written as read.
        std::string name = entry.path().filename().string();
        if (name != "wide-entry.drg" && name != "second-description.drg") {
            EXPECT_EQ(written(doc), slurp(entry.path())) << name;
        }
        ++seeds;
    }
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_GE(seeds, 6);
}

} // namespace
