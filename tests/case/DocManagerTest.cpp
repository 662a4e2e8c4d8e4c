// The New, Open and Save commands with scripted dialogs and questions.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "CDocManager.h"
#include "CVesmarDoc.h"
#include "CaseBytes.h"
#include "IDocumentObserver.h"
#include "IDocumentPrompts.h"
#include "TestDb.h"

namespace fs = std::filesystem;

namespace {

// Answers from a script and records what it was asked. An unscripted
// question fails the test.
class ScriptedPrompts : public IDocumentPrompts {
public:
    std::optional<std::string> askOpenPath(const FileDialogRequest& request) override
    {
        return answerPath("open", request);
    }
    std::optional<std::string> askSavePath(const FileDialogRequest& request) override
    {
        return answerPath("save", request);
    }
    SaveAnswer askSaveChanges(const std::string& question) override
    {
        asked.push_back(question);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question;
            return SaveAnswer::Cancel;
        }
        SaveAnswer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::deque<SaveAnswer> answers;
    std::deque<std::optional<std::string>> paths;
    std::vector<std::string> asked;
    std::vector<FileDialogRequest> dialogs;

private:
    std::optional<std::string> answerPath(const char* kind, const FileDialogRequest& request)
    {
        asked.push_back(kind);
        dialogs.push_back(request);
        if (paths.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " dialog";
            return std::nullopt;
        }
        auto p = paths.front();
        paths.pop_front();
        return p;
    }
};

class CountingObserver : public IDocumentObserver {
public:
    void caseReplaced() override { ++replaced; }
    void titleChanged() override { ++titles; }
    int replaced = 0;
    int titles = 0;
};

class DocManager : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vesmar-docs-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        m_dir = name;
        m_manager.SetObserver(&m_observer);
        ASSERT_TRUE(m_manager.OnFileNew());
        m_observer = {};
    }
    void TearDown() override
    {
        fs::remove_all(m_dir);
        EXPECT_TRUE(m_prompts.answers.empty()) << "scripted answers left";
        EXPECT_TRUE(m_prompts.paths.empty()) << "scripted paths left";
    }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
    CVesmarDoc m_doc;
    ScriptedPrompts m_prompts;
    CRecordingSink m_sink;
    CountingObserver m_observer;
    CDocManager m_manager{m_doc, m_prompts, m_sink};
};

TEST_F(DocManager, NewOnAnUnchangedCaseAsksNothing)
{
    m_doc.SetMale(false);
    m_doc.SetBirthDate({1.0, DateValue::valid});
    m_doc.SetAdmissionDateSet(1);
    EXPECT_TRUE(m_manager.OnFileNew());
    EXPECT_TRUE(m_prompts.asked.empty());
    EXPECT_EQ(m_observer.replaced, 1);
    EXPECT_TRUE(m_doc.IsMale());
    EXPECT_EQ(m_doc.GetTitle(), "patient");
}

TEST_F(DocManager, ListEditsAskAndCancelKeepsTheCase)
{
    m_doc.AddChosenDiagnosis("A01");
    m_prompts.answers = {SaveAnswer::Cancel};
    EXPECT_FALSE(m_manager.OnFileNew());
    EXPECT_EQ(m_prompts.asked, std::vector<std::string>{"Save changes to patient?"});
    EXPECT_EQ(m_doc.GetChosenList().GetCount(), 1u);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_observer.replaced, 0);

    m_prompts.answers = {SaveAnswer::No};
    EXPECT_TRUE(m_manager.OnFileNew());
    EXPECT_TRUE(m_doc.GetChosenList().IsEmpty());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_observer.replaced, 1);
}

TEST_F(DocManager, UserEditsOfSexAndDatesAsk)
{
    const auto edits = {
        +[](CVesmarDoc& d) { d.SetMale(false, ChangeSource::User); },
        +[](CVesmarDoc& d) { d.SetBirthDate({12.0, DateValue::valid}, ChangeSource::User); },
        +[](CVesmarDoc& d) { d.SetBirthDateSet(1, ChangeSource::User); },
        +[](CVesmarDoc& d) { d.SetAdmissionDate({13.0, DateValue::valid}, ChangeSource::User); },
        +[](CVesmarDoc& d) { d.SetAdmissionDateSet(1, ChangeSource::User); },
    };
    for (auto edit : edits) {
        edit(m_doc);
        m_prompts.answers = {SaveAnswer::Cancel};
        EXPECT_FALSE(m_manager.SaveModified());
        m_prompts.answers = {SaveAnswer::No};
        EXPECT_TRUE(m_manager.OnFileNew());
    }
    EXPECT_EQ(m_prompts.asked.size(), 10u);
}

TEST_F(DocManager, YesSavesANewCaseThroughSaveAs)
{
    m_doc.AddChosenDiagnosis("A01");
    m_prompts.answers = {SaveAnswer::Yes};
    m_prompts.paths = {path("first")};
    EXPECT_TRUE(m_manager.OnFileNew());
    EXPECT_EQ(m_prompts.asked, (std::vector<std::string>{"Save changes to patient?", "save"}));

    const FileDialogRequest& request = m_prompts.dialogs.at(0);
    EXPECT_EQ(request.proposedPath, "patient.drg");
    EXPECT_EQ(request.filters, (std::vector<std::string>{"Vesmar-Files (*.drg)", "All Files (*.*)"}));
    EXPECT_EQ(request.defaultExtension, ".drg");

    // Saved with the extension appended, then New went on.
    ASSERT_TRUE(fs::exists(path("first.drg")));
    CVesmarDoc saved;
    ASSERT_EQ(saved.OnOpenDocument(path("first.drg"), m_sink), CVesmarDoc::OpenResult::Opened);
    EXPECT_EQ(saved.GetChosenList().GetHead(), "A01");
    EXPECT_TRUE(m_doc.GetChosenList().IsEmpty());
    EXPECT_EQ(m_doc.GetTitle(), "patient");
}

TEST_F(DocManager, CancellingTheSaveDialogOrAFailingSaveStopsNew)
{
    m_doc.AddChosenDiagnosis("A01");
    m_prompts.answers = {SaveAnswer::Yes, SaveAnswer::Yes};
    m_prompts.paths = {std::nullopt, path("missing/x.drg")};
    EXPECT_FALSE(m_manager.OnFileNew());
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_FALSE(m_manager.OnFileNew());
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0].text, path("missing/x.drg") + " contains an invalid path.");
    EXPECT_EQ(m_doc.GetChosenList().GetCount(), 1u);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetTitle(), "patient");
    EXPECT_EQ(m_observer.replaced, 0);
}

TEST_F(DocManager, ACaseWithAFileIsSavedToItWithoutDialog)
{
    m_prompts.paths = {path("named.txt")};
    ASSERT_TRUE(m_manager.OnFileSave());
    EXPECT_EQ(m_doc.GetTitle(), "named.txt") << "a typed extension is kept";
    EXPECT_EQ(m_observer.titles, 1);

    m_doc.AddBiDiagnosis("B01");
    m_prompts.answers = {SaveAnswer::Yes};
    EXPECT_TRUE(m_manager.SaveModified());
    EXPECT_EQ(m_prompts.asked.back(), "Save changes to named.txt?");
    EXPECT_FALSE(m_doc.IsModified());
    CVesmarDoc saved;
    ASSERT_EQ(saved.OnOpenDocument(path("named.txt"), m_sink), CVesmarDoc::OpenResult::Opened);
    EXPECT_EQ(saved.GetBiList().GetHead(), "B01");

    // Save As proposes the file's own path.
    m_prompts.paths = {std::nullopt};
    EXPECT_FALSE(m_manager.OnFileSaveAs());
    EXPECT_EQ(m_prompts.dialogs.back().proposedPath, path("named.txt"));
}

TEST_F(DocManager, OpenAsksFirstThenShowsTheDialog)
{
    CVesmarDoc other;
    other.AddChosenDiagnosis("from file");
    ASSERT_TRUE(other.OnSaveDocument(path("other.drg"), m_sink));

    m_doc.AddChosenDiagnosis("A01");
    m_prompts.answers = {SaveAnswer::No, SaveAnswer::No};
    m_prompts.paths = {std::nullopt, path("other.drg")};
    EXPECT_FALSE(m_manager.OnFileOpen());
    EXPECT_EQ(m_doc.GetChosenList().GetHead(), "A01");
    EXPECT_EQ(m_observer.replaced, 0);

    EXPECT_TRUE(m_manager.OnFileOpen());
    EXPECT_EQ(m_prompts.asked,
              (std::vector<std::string>{"Save changes to patient?", "open", "Save changes to patient?", "open"}));
    EXPECT_EQ(m_prompts.dialogs.back().proposedPath, "");
    EXPECT_EQ(m_prompts.dialogs.back().filters.front(), "Vesmar-Files (*.drg)");
    EXPECT_EQ(m_doc.GetChosenList().GetHead(), "from file");
    EXPECT_EQ(m_doc.GetTitle(), "other.drg");
    EXPECT_EQ(m_observer.replaced, 1);
    EXPECT_GE(m_observer.titles, 1);
}

TEST_F(DocManager, AnOpenThatFailsWhileReadingRefillsTheFormFromTheResetCase)
{
    std::ofstream(path("bad.drg"), std::ios::binary) << "\x01\x02\x03";
    m_doc.AddChosenDiagnosis("A01");
    m_doc.SetModifiedFlag(false);
    m_prompts.paths = {path("bad.drg")};
    EXPECT_FALSE(m_manager.OnFileOpen());
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0].text, "Unexpected file format.");
    EXPECT_EQ(m_observer.replaced, 1);
    EXPECT_TRUE(m_doc.GetChosenList().IsEmpty());
    EXPECT_EQ(m_doc.GetTitle(), "patient");
}

TEST_F(DocManager, AFileThatCannotBeOpenedLeavesTheFormAlone)
{
    m_doc.AddChosenDiagnosis("A01");
    EXPECT_FALSE(m_manager.OpenDocumentFile(path("nothing.drg")));
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0].text, path("nothing.drg") + " was not found.");
    EXPECT_EQ(m_observer.replaced, 0);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(m_prompts.asked.empty()) << "the command line opens without question";
}

TEST_F(DocManager, TheDefaultExtensionGoesOnlyToNamesWithout)
{
    EXPECT_EQ(CDocManager::WithDefaultExtension("/a/case"), "/a/case.drg");
    EXPECT_EQ(CDocManager::WithDefaultExtension("/a.d/case"), "/a.d/case.drg");
    EXPECT_EQ(CDocManager::WithDefaultExtension("/a/case.DRG"), "/a/case.DRG");
    EXPECT_EQ(CDocManager::WithDefaultExtension("/a/case.v2"), "/a/case.v2");
}

// Save As onto a named pipe, as a user may pick one in the dialog: refused,
// the pipe stays, the case keeps its file and stays modified.
TEST_F(DocManager, SaveAsOntoAFifoIsRefused)
{
    m_prompts.paths = {path("case.drg")};
    ASSERT_TRUE(m_manager.OnFileSave());
    m_doc.AddChosenDiagnosis("A01");
    ASSERT_EQ(::mkfifo(path("pipe.drg").c_str(), 0644), 0);
    m_prompts.paths = {path("pipe.drg")};
    EXPECT_FALSE(m_manager.OnFileSaveAs());
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0].text, "Access to " + path("pipe.drg") + " was denied.");
    EXPECT_TRUE(fs::is_fifo(path("pipe.drg")));
    EXPECT_EQ(m_doc.GetPathName(), path("case.drg"));
    EXPECT_TRUE(m_doc.IsModified());
}

} // namespace
