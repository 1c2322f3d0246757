// The install thread: groups extracted in order with the group and the bytes
// published, held at its check points while paused, stopped on request, and
// its questions answered by the user-interface side; a file ignored after an
// error still counts.
#include "installer/InstallThread.h"

#include "InstallerTesting.h"
#include "foundation/MessageAnswers.h"
#include "installer/AttachedFiles.h"
#include "installer/InstallUtils.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Waits (bounded) for the thread's state; the thread signals through the
// status, so the wait needs no sleeping.
bool WaitForState(TInstallThreadStatus& status, uint8_t state)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < limit) {
        if (status.State() == state)
            return true;
        std::this_thread::yield();
    }
    return false;
}

struct InstallThreadTest : ::testing::Test {
    void SetUp() override
    {
        Dir = MakeTestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Writer.Files = {{"a.txt", std::string(1000, 'a')}, {"b.txt", std::string(2000, 'b')},
                        {"Exemples\\c.txt", std::string(3000, 'c')}};
        InstallStatus().Reset();
    }
    void TearDown() override { InstallStatus().Reset(); }
    std::string Dir;
    TPayloadWriter Writer;
};

TEST_F(InstallThreadTest, PausedThreadHoldsAfterEachFileAndStopsOnRequest)
{
    TMessageAnswers answers;
    TAttachedFiles files(Writer.WriteTo(Dir));
    files.AddToInstallList("b.txt", Dir + "/t", orAlways, 3);
    files.AddToInstallList("a.txt", Dir + "/t", orAlways, 0);
    files.AddToInstallList("Exemples\\", Dir + "/t", orAlways, 6);
    TInstallThreadStatus& status = InstallStatus();
    // Paused from the start: the thread extracts one file, then waits.
    status.SetState(ursPaused);
    TInstallThread thread(files);
    thread.Start();
    ASSERT_TRUE(WaitForState(status, ursPaused));
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (status.Total() == 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::yield();
    EXPECT_EQ(status.Total(), 1000);  // group 0 comes first
    EXPECT_EQ(status.CurrentGroup(), 0);
    EXPECT_FALSE(thread.Finished());
    status.SetState(ursStop);
    thread.WaitFor();
    EXPECT_TRUE(fs::exists(Dir + "/t/a.txt"));
    EXPECT_FALSE(fs::exists(Dir + "/t/b.txt"));
    EXPECT_FALSE(fs::exists(Dir + "/t/Exemples/c.txt"));
}

TEST_F(InstallThreadTest, RunsEveryGroupInOrderAndReportsTheEnd)
{
    TMessageAnswers answers;
    TAttachedFiles files(Writer.WriteTo(Dir));
    files.AddToInstallList("Exemples\\", Dir + "/t", orAlways, 6);
    files.AddToInstallList("a.txt", Dir + "/t", orAlways, 0);
    SuspendInstallLog();
    files.AddToInstallList("b.txt", Dir + "/t", orAlways, 8);
    ResumeInstallLog();
    StartInstallLog(Dir + "/t/Install.log");
    TInstallThreadStatus& status = InstallStatus();
    status.SetState(ursRunning);
    TInstallThread thread(files);
    thread.Start();
    ASSERT_TRUE(WaitForState(status, ursStop));
    thread.WaitFor();
    EXPECT_EQ(status.Total(), 6000);
    EXPECT_EQ(status.CurrentGroup(), 8);
    EXPECT_EQ(ReadTestFile(Dir + "/t/Exemples/c.txt"), std::string(3000, 'c'));
    // The unlogged file (queued while the log was suspended) is left out of the log.
    EXPECT_EQ(InstallLogText(), "Made Dir: " + Dir + "/t\r\nFile Copy: " + Dir + "/t/a.txt\r\nMade Dir: " + Dir +
                                    "/t/Exemples\r\nFile Copy: " + Dir + "/t/Exemples/c.txt\r\n");
    EndInstallLog();
}

TEST_F(InstallThreadTest, QuestionsGoThroughTheStatusAndIgnoredFilesCount)
{
    TMessageAnswers answers;
    TAttachedFiles files(Writer.WriteTo(Dir));
    files.AddToInstallList("a.txt", Dir + "/t", orAlways, 0);
    files.AddToInstallList("b.txt", Dir + "/t", orAlways, 0);
    fs::create_directories(Dir + "/t/a.txt");  // a folder in the way: a.txt cannot be written
    TInstallThreadStatus& status = InstallStatus();
    status.SetState(ursRunning);
    TInstallThread thread(files);
    thread.Start();
    // The wizard's side: the question waits until it is taken and answered.
    ASSERT_TRUE(WaitForState(status, ursQuestion));
    TInstallThreadStatus::TQuestion question;
    ASSERT_TRUE(status.TakeQuestion(question));
    EXPECT_EQ(status.State(), ursPaused);
    EXPECT_NE(question.Message.find("Impossible de créer le fichier \"" + Dir + "/t/a.txt\""), std::string::npos);
    EXPECT_EQ(question.Buttons, mbAbort | mbRetry | mbIgnore);
    EXPECT_TRUE(question.OverBackdrop);
    status.Answer(mrIgnore);
    ASSERT_TRUE(WaitForState(status, ursStop));
    thread.WaitFor();
    EXPECT_EQ(status.Total(), 3000);  // the ignored file counts
    EXPECT_TRUE(fs::exists(Dir + "/t/b.txt"));
}

TEST_F(InstallThreadTest, AbortFailsTheThreadAndAnUnansweredQuestionEndsWithIt)
{
    TMessageAnswers answers;
    TAttachedFiles files(Writer.WriteTo(Dir));
    files.AddToInstallList("a.txt", Dir + "/t", orAlways, 0);
    files.AddToInstallList("b.txt", Dir + "/t", orAlways, 0);
    fs::create_directories(Dir + "/t/a.txt");
    TInstallThreadStatus& status = InstallStatus();
    {
        status.SetState(ursRunning);
        TInstallThread thread(files);
        thread.Start();
        ASSERT_TRUE(WaitForState(status, ursQuestion));
        TInstallThreadStatus::TQuestion question;
        ASSERT_TRUE(status.TakeQuestion(question));
        status.Answer(mrAbort);
        ASSERT_TRUE(WaitForState(status, ursFailed));
        thread.WaitFor();
    }
    EXPECT_FALSE(fs::exists(Dir + "/t/b.txt"));
    {
        // Freed while its question is open: the thread is not left waiting.
        status.Reset();
        status.SetState(ursRunning);
        TInstallThread thread(files);
        thread.Start();
        ASSERT_TRUE(WaitForState(status, ursQuestion));
    }
    EXPECT_FALSE(fs::exists(Dir + "/t/b.txt"));
}

} // namespace
