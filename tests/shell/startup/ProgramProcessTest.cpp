// The program itself as a child process on the offscreen platform: it starts
// with a document, ends on the desktop's request to end (SIGTERM) with exit
// code 0, saves its settings and leaves no temporary file behind.
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

bool HasTempFile(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind("~Eldrav", 0) == 0)
            return true;
    return false;
}

}  // namespace

TEST(ProgramProcessTest, StartsWithADocumentAndEndsOnTheDesktopsRequest)
{
    const fs::path root = MakeTestDir("process");
    const fs::path config = root / "config";
    const fs::path temp = root / "tmp";
    fs::create_directories(config);
    // The program's own temporary folder below TMPDIR, private to the user.
    const fs::path userTemp = temp / ("eldravin-" + std::to_string(getuid()));
    fs::create_directories(userTemp);
    fs::permissions(userTemp, fs::perms::owner_all, fs::perm_options::replace);
    const fs::path document = root / "courrier.txt";
    WriteTestFile(document.string(), "Bonjour,\r\nceci est un courrier.\r\n");
    // A temporary file an earlier run left: the end of this run removes it.
    WriteTestFile((userTemp / "~EldravAncien.tmp").string(), "x");

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
    std::string file = document.string();
    std::vector<char*> argv{program.data(), file.data(), nullptr};

    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    bool ended = false;
    auto reap = [&] {
        if (!ended && waitpid(pid, &status, WNOHANG) == pid)
            ended = true;
        return ended;
    };
    // The settings store is written once the run ends; the instance lock
    // appears in the temporary folder once the program is up to take requests.
    const bool up = RunUntil([&] { return reap() || fs::exists(userTemp / "Eldravin.instances"); }, 60000);
    ASSERT_TRUE(up);
    ASSERT_FALSE(ended) << "the program ended on its own";
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    if (!RunUntil(reap, 60000)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the program did not end on the request";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(HasTempFile(userTemp));
    // The run saved its settings.
    bool stored = false;
    for (const auto& entry : fs::recursive_directory_iterator(config))
        stored = stored || entry.is_regular_file();
    EXPECT_TRUE(stored);
}
