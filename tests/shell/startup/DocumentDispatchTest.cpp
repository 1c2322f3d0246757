// The document dispatcher in the running frame: several documents opened,
// saved, reverted and closed; the open-document limit; and recovery after a
// run that was killed: a child process types, writes its recovery copy and
// dies, and the next start offers the copy back with the typed text.
#include "shell/ShellTesting.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "formats/DocDispatcher.h"
#include "formats/SaveCommands.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/RegistryEx.h"
#include "shell/options/OptionsHolder.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "shell/frame/MainForm.h"
#include "shell/startup/Startup.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

void Type(TDocument& document, const std::string& text)
{
    document.Paragraphs(0).InsertChars(0, text);
    document.SetModified(true);
    document.ChangedSinceRecovery = 1;
}

std::string FirstLine(TDocument& document)
{
    const TMemory& text = document.Paragraphs(0).GetText();
    return std::string(reinterpret_cast<const char*>(text.Data()), static_cast<size_t>(text.Size()));
}

class DocumentDispatchTest : public testing::Test {
protected:
    DocumentDispatchTest()
    {
        Dir = MakeTestDir(testing::UnitTest::GetInstance()->current_test_info()->name());
        TRegistryEx registry;
        std::string key = SettingsKeyPrefix;
        key.pop_back();
        registry.Registry().DeleteKey(key);
        registry.Flush();
    }
    ~DocumentDispatchTest() override { SetProgramArguments(std::vector<std::string>{"eldravin"}); }
    void Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), "eldravin");
        SetProgramArguments(std::move(args));
        ASSERT_EQ(Run.Start(), TStartResult::Running);
    }
    void End()
    {
        Messages.Script.assign(8, mrNo);
        PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
        Run.RunMessageLoop();
        Run.Shutdown();
        Run.EndOfRun();
    }
    std::string Dir;
    TScriptedAnswers Messages;
    TProgramRun Run;
};

}  // namespace

TEST_F(DocumentDispatchTest, SeveralDocumentsOpenSaveRevertAndClose)
{
    const std::string a = Dir + "/a.txt";
    const std::string b = Dir + "/b.txt";
    WriteTestFile(a, "Alpha\r\n");
    WriteTestFile(b, "Beta\r\n");
    Start({a, b});
    ASSERT_EQ(DocDispatcher->Count(), 2);
    TDocument* docA = DocDispatcher->FindOpenDocument(a, true);
    TDocument* docB = DocDispatcher->FindOpenDocument(b, true);
    ASSERT_TRUE(docA && docB && docA->View() && docB->View());

    // Opened again: No keeps the open document as it is.
    Type(*docA, "Un ");
    Messages.Script = {mrNo};
    EXPECT_EQ(DocDispatcher->OpenDocument(a), docA);
    EXPECT_EQ(DocDispatcher->Count(), 2);
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_NE(Messages.Texts[0].find("revenir"), std::string::npos);
    EXPECT_EQ(FirstLine(*docA).rfind("Un Alpha", 0), 0u);

    // Save all writes both changed documents; unchanged ones are left alone.
    Type(*docB, "Deux ");
    ASSERT_TRUE(DocDispatcher->SaveAll());
    EXPECT_EQ(ReadTestFile(a), "Un Alpha\r\n");
    EXPECT_EQ(ReadTestFile(b), "Deux Beta\r\n");

    // Yes goes back to the file: the unsaved change is dropped.
    Type(*docB, "Oublié ");
    Messages.Script = {mrYes};
    TDocument* reverted = DocDispatcher->OpenDocument(b);
    ASSERT_TRUE(reverted);
    EXPECT_EQ(FirstLine(*reverted).rfind("Deux Beta", 0), 0u);
    EXPECT_FALSE(reverted->IsModified());
    EXPECT_EQ(DocDispatcher->Count(), 2);

    DocDispatcher->CloseDocument(docA);
    EXPECT_EQ(DocDispatcher->Count(), 1);
    EXPECT_EQ(DocDispatcher->FindOpenDocument(a, true), nullptr);
    End();
}

TEST_F(DocumentDispatchTest, TheUntouchedStartDocumentGivesWayAndTheLimitHolds)
{
    Start({});
    ASSERT_EQ(DocDispatcher->Count(), 1);
    const std::string a = Dir + "/a.txt";
    WriteTestFile(a, "Alpha\r\n");
    ASSERT_TRUE(DocDispatcher->OpenFile(a));
    ASSERT_EQ(DocDispatcher->Count(), 1);
    EXPECT_EQ(DocDispatcher->Documents(0)->FileName, ExpandFileName(a));

    while (DocDispatcher->Count() < MaxOpenDocuments)
        ASSERT_TRUE(DocDispatcher->NewDocument());
    const std::string b = Dir + "/b.txt";
    WriteTestFile(b, "Beta\r\n");
    Messages.Texts.clear();
    // The command line and drops open nothing at the limit, silently.
    EXPECT_EQ(DocDispatcher->OpenFile(b), nullptr);
    EXPECT_TRUE(Messages.Texts.empty());
    EXPECT_EQ(DocDispatcher->OpenDocument(b), nullptr);
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_NE(Messages.Texts[0].find("Trop de documents"), std::string::npos);
    EXPECT_EQ(DocDispatcher->Count(), MaxOpenDocuments);
    End();
}

// The child's half of the crash test: it runs only when the parent starts it.
TEST(RecoveryChild, TypesWritesItsRecoveryCopyAndDies)
{
    const char* file = std::getenv("ELDRAVIN_RECOVERY_CHILD");
    if (!file)
        GTEST_SKIP() << "started by the crash test only";
    SetProgramArguments(std::vector<std::string>{"eldravin", file});
    TScriptedAnswers messages;
    TProgramRun run;
    if (run.Start() != TStartResult::Running)
        _exit(3);
    TDocument* document = DocDispatcher->FindOpenDocument(file, true);
    if (!document)
        _exit(4);
    Type(*document, "Texte tapé puis perdu sans la copie de secours. ");
    DocDispatcher->SaveRecoveryCopies();
    if (document->FileState.RecoveryFileName.empty())
        _exit(5);
    kill(getpid(), SIGKILL);
}

TEST_F(DocumentDispatchTest, RecoveryAfterAKilledRunLosesNoTypedText)
{
    const std::string file = Dir + "/rapport.txt";
    WriteTestFile(file, "Rapport du jour\r\n");
    const fs::path temp = fs::path(Dir) / "tmp";
    fs::create_directories(temp);
    const fs::path config = fs::path(Dir) / "config";
    fs::create_directories(config);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("ELDRAVIN_CONFIG_DIR=", 0) && entry.rfind("TMPDIR=", 0))
            env.push_back(entry);
    }
    env.push_back("ELDRAVIN_CONFIG_DIR=" + config.string());
    env.push_back("TMPDIR=" + temp.string());
    env.push_back("ELDRAVIN_RECOVERY_CHILD=" + file);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=RecoveryChild.*";
    std::vector<char*> argv{self.data(), filter.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    bool ended = false;
    ASSERT_TRUE(RunUntil([&] { return ended = ended || waitpid(pid, &status, WNOHANG) == pid; }, 120000));
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the child ended with " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    // The user's file is as it was; the killed run's copy is in its temporary folder.
    EXPECT_EQ(ReadTestFile(file), "Rapport du jour\r\n");

    // The child's test run made its temporary folder below TMPDIR; the killed
    // run left it behind with the copy in the program's own folder there.
    std::string folder;
    for (const auto& e : fs::recursive_directory_iterator(temp))
        if (e.is_regular_file() && e.path().extension() == ".ead")
            folder = e.path().parent_path().string();
    ASSERT_FALSE(folder.empty()) << "no recovery copy left";
    {
        // Declined, then not confirmed: the copy is kept for the next start.
        TDocDispatcher next;
        next.CollectRecoveryCopies(folder);
        ASSERT_EQ(next.RecoveryCopies().size(), 1u);
        Messages.Script = {mrNo, mrNo};
        next.OfferRecoveryCopies();
        EXPECT_EQ(next.Count(), 0);
    }
    {
        TDocDispatcher next;
        next.CollectRecoveryCopies(folder);
        ASSERT_EQ(next.RecoveryCopies().size(), 1u);
        const std::string copy = next.RecoveryCopies()[0];
        Messages.Texts.clear();
        Messages.Script = {mrYes};
        next.OfferRecoveryCopies();
        ASSERT_EQ(next.Count(), 1);
        EXPECT_NE(Messages.Texts[0].find("(1)"), std::string::npos);
        TDocument& recovered = *next.Documents(0);
        EXPECT_NE(FirstLine(recovered).find("Texte tapé puis perdu sans la copie de secours. Rapport du jour"), std::string::npos);
        EXPECT_EQ(recovered.FileName, ExpandFileName(file));
        EXPECT_TRUE(recovered.IsModified());
        // The copy is the recovered document's file now: it stays while the
        // document is open.
        EXPECT_TRUE(FileExists(copy));
        next.CloseAll();
        EXPECT_FALSE(FileExists(copy));
    }
}
