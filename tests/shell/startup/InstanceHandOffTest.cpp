// A second start of the program, as a child process, hands its document to
// the instance running in this process, which opens it; the second start
// then ends at once with exit code 0, without a frame of its own.
#include "DocumentProbe.h"
#include "shell/ShellTesting.h"

#include "formats/DocDispatcher.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/testing/Testing.h"
#include "platform/win/LocalLink.h"
#include "shell/BaseForms.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/startup/Startup.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

TEST(InstanceHandOffTest, ASecondStartHandsItsDocumentToTheRunningInstance)
{
    const fs::path root = MakeTestDir("handoff-process");
    const std::string document = (root / "rapport.txt").string();
    WriteTestFile(document, "Rapport annuel\r\nTout va bien.\r\n");
    {
        TRegistryEx registry;
        std::string key = SettingsKeyPrefix;
        key.pop_back();
        registry.Registry().DeleteKey(key);
        registry.Flush();
    }
    SetRemovableMediaQuery([] { return false; });
    SetProgramArguments(std::vector<std::string>{"eldravin"});
    TScriptedAnswers messages;
    TProgramRun run;
    ASSERT_EQ(run.Start(), TStartResult::Running);
    ASSERT_FALSE(LocalLinkServerPath().empty());
    const int32_t before = DocDispatcher->Count();

    // The second start: its own settings and temporary folders, the same
    // user and runtime folder (so the same link).
    const fs::path config = root / "config";
    const fs::path temp = root / "tmp";
    fs::create_directories(config);
    fs::create_directories(temp);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("ELDRAVIN_CONFIG_DIR=", 0) && entry.rfind("TMPDIR=", 0) && entry.rfind("QT_QPA_PLATFORM=", 0))
            env.push_back(entry);
    }
    env.push_back("ELDRAVIN_CONFIG_DIR=" + config.string());
    env.push_back("TMPDIR=" + temp.string());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = ELDRAVIN_EXECUTABLE;
    std::string file = document;
    std::vector<char*> argv{program.data(), file.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    bool ended = false;
    // This instance answers while the loop runs.
    const bool done = RunUntil(
        [&] {
            if (!ended && waitpid(pid, &status, WNOHANG) == pid)
                ended = true;
            return ended;
        },
        60000);
    if (!done) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(done) << "the second start did not end";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The untouched new document of the start gives way to the file.
    ASSERT_EQ(DocDispatcher->Count(), std::max(before, 1));
    TDocument* opened = DocDispatcher->Documents(DocDispatcher->Count() - 1);
    EXPECT_EQ(ParagraphText(*opened, 0).rfind("Rapport annuel", 0), 0u);
    EXPECT_TRUE(messages.Texts.empty());

    PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
    run.RunMessageLoop();
    run.Shutdown();
    run.EndOfRun();
    EXPECT_TRUE(LocalLinkServerPath().empty());
    SetRemovableMediaQuery(nullptr);
}
