#include "platform/runtime/Processes.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/testing/Testing.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {
std::string Utf8(std::u8string_view s)
{
    return std::string(s.begin(), s.end());
}

// A named pipe: reading it waits until a started process has written and closed it.
std::string MakeFifo(const std::string& dir)
{
    const std::string path = dir + "/fifo";
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path;
}

std::string ReadFifo(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(Processes, RunAndWaitForTheExitCode)
{
    int32_t code = -1;
    ASSERT_TRUE(RunProcess("sh", {"-c", "exit 7"}, code));
    EXPECT_EQ(code, 7);
    ASSERT_TRUE(RunProcess("/bin/sh", {"-c", "kill -TERM $$"}, code));
    EXPECT_EQ(code, 128 + 15);
    EXPECT_FALSE(RunProcess("/no/such/program", {}, code));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(RunProcess("no-such-program-anywhere", {}, code));
}

TEST(Processes, ArgumentsReachTheProgramAsTheFileSystemNamesThem)
{
    const std::string dir = MakeTestDir("process-args");
    const std::string real = dir + "/" + Utf8(u8"\u0417\u0430\u043C\u0435\u0442\u043A\u0430.txt");  // Заметка.txt
    WriteTestFile(real, "contenu");
    int32_t code = -1;
    // The alias of a file becomes its real name; other text becomes UTF-8.
    ASSERT_TRUE(RunProcess("sh", {"-c", "cat \"$1\" > out; printf %s \"$2\" >> out", "sh", "???????.txt", "Été"},
                           code, dir));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadTestFile(dir + "/out"), "contenu" + Utf8(u8"\u00C9t\u00E9"));
}

TEST(Processes, StartWithoutWaiting)
{
    const std::string dir = MakeTestDir("process-start");
    const std::string fifo = MakeFifo(dir);
    ASSERT_TRUE(StartProcess("sh", {"-c", "printf started > \"$0\"", fifo}));
    EXPECT_EQ(ReadFifo(fifo), "started");

    EXPECT_GT(WinExec("sh -c \"printf 'from a command line' > '" + fifo + "'\""), 31u);
    EXPECT_EQ(ReadFifo(fifo), "from a command line");
    EXPECT_EQ(WinExec("/no/such/program"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WinExec("   "), ERROR_FILE_NOT_FOUND);
}

TEST(Processes, CommandLinesSplitOnBlanksOutsideQuotes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("\"/opt/Eldravin/eldravin\" /p  \"a b.rtf\""),
              (V{"/opt/Eldravin/eldravin", "/p", "a b.rtf"}));
    EXPECT_EQ(SplitCommandLine("a\"b c\"d\te"), (V{"ab cd", "e"}));
    EXPECT_EQ(SplitCommandLine("x \"\""), (V{"x", ""}));
    EXPECT_EQ(SplitCommandLine(" \t "), V{});
}

TEST(Processes, ShellOpenHandsTheTargetToTheDesktop)
{
    // A stand-in for the desktop's opener records what it was given.
    const std::string dir = MakeTestDir("shell-open");
    const std::string fifo = MakeFifo(dir);
    WriteTestFile(dir + "/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + fifo + "'\n");
    chmod((dir + "/xdg-open").c_str(), 0755);
    const std::string real = dir + "/" + Utf8(u8"\u0424\u043E\u0442\u043E.rtf");  // Фото.rtf
    WriteTestFile(real, "");
    struct TPathOverride {
        std::string Saved = std::getenv("PATH");
        explicit TPathOverride(const std::string& dir) { setenv("PATH", (dir + ":" + Saved).c_str(), 1); }
        ~TPathOverride() { setenv("PATH", Saved.c_str(), 1); }
    } path(dir);

    ASSERT_TRUE(ShellOpen(dir + "/????.rtf"));
    EXPECT_EQ(ReadFifo(fifo), real);
    ASSERT_TRUE(ShellOpen("www.exemple.fr"));
    EXPECT_EQ(ReadFifo(fifo), "http://www.exemple.fr");
    ASSERT_TRUE(ShellOpen("MAILTO:dupont@exemple.fr"));
    EXPECT_EQ(ReadFifo(fifo), "MAILTO:dupont@exemple.fr");
}
