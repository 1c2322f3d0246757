// The single-instance link: a request and its answer over the user's private
// socket; sockets and folders open to others, sockets of nobody and files that
// are no sockets refused; the sender's protocol against a fake running
// instance (which commands, in which order, and when it keeps its own work).
#include "shell/ShellTesting.h"
#include "shell/system/InstanceLink.h"

#include "foundation/settings/CmdLineSwitches.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"
#include "platform/win/LocalLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Folder()
{
    std::string error;
    const std::string folder = LocalLinkFolder(error);
    EXPECT_FALSE(folder.empty()) << error;
    return folder;
}

int BindSocket(const std::string& path, mode_t mode)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ::unlink(path.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::chmod(path.c_str(), mode);
    ::listen(fd, 4);
    return fd;
}

// A running instance played by the test: it answers each command from a
// table and records what it got.
class TFakeInstance {
public:
    explicit TFakeInstance(std::map<uint8_t, int32_t> answers, std::string session = "Session: ")
        : FAnswers(std::move(answers)), FSession(std::move(session))
    {
        Path = Folder() + "/instance-fake-" + std::to_string(::getpid()) + ".sock";
        FFd = BindSocket(Path, 0600);
        FThread = std::thread([this] { Serve(); });
    }
    ~TFakeInstance()
    {
        FStop = true;
        FThread.join();
        ::close(FFd);
        ::unlink(Path.c_str());
    }
    std::vector<std::string> Received()
    {
        std::lock_guard guard(FLock);
        return FReceived;
    }
    std::string Path;

private:
    void Serve()
    {
        while (!FStop) {
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(FFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ::fcntl(fd, F_SETFL, 0);
            unsigned char head[5];
            if (LocalLinkWire::ReadAll(fd, head, 5)) {
                const uint32_t n = head[1] | head[2] << 8 | head[3] << 16 | static_cast<uint32_t>(head[4]) << 24;
                std::string text(n, '\0');
                LocalLinkWire::ReadAll(fd, text.data(), n);
                int32_t answer = FAnswers.count(head[0]) ? FAnswers[head[0]] : 0;
                if (head[0] == icSessionCheck)
                    answer = text == FSession ? 1 : 0;
                {
                    std::lock_guard guard(FLock);
                    FReceived.push_back(std::to_string(head[0]) + (text.empty() ? "" : " " + text));
                }
                const unsigned char reply[4] = {static_cast<unsigned char>(answer), 0, 0, 0};
                LocalLinkWire::WriteAll(fd, reply, 4);
            }
            ::close(fd);
        }
    }
    std::map<uint8_t, int32_t> FAnswers;
    std::string FSession;
    int FFd = -1;
    std::atomic<bool> FStop{false};
    std::thread FThread;
    std::mutex FLock;
    std::vector<std::string> FReceived;
};

}  // namespace

class InstanceLinkTest : public ShellWindowTest {
protected:
    ~InstanceLinkTest() override
    {
        StopLocalLinkServer();
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        FreeDocumentArgs();
    }
    void Args(std::vector<std::string> args)
    {
        args.insert(args.begin(), "eldravin");
        SetProgramArguments(std::move(args));
        InitializeTextTables();
    }
};

TEST_F(InstanceLinkTest, ARequestIsAnsweredOnTheUserInterfaceThread)
{
    std::string error;
    std::vector<std::string> got;
    ASSERT_TRUE(StartLocalLinkServer(
        [&](uint8_t code, const std::string& text) {
            got.push_back(std::to_string(code) + ":" + text);
            return code == icOpenFile ? 77 : -5;
        },
        error))
        << error;
    const std::string path = LocalLinkServerPath();
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::atomic<int> done{0};
    int32_t first = 0, second = 0;
    bool ok1 = false, ok2 = false;
    std::thread sender([&] {
        ok1 = SendLocalLinkRequest(path, icOpenFile, std::string("/tmp/lettre.rtf\0ignored", 23), first);
        ok2 = SendLocalLinkRequest(path, icWindowState, "", second);
        done = 1;
    });
    const bool answered = RunUntil([&] { return done.load() == 1; }, 20000);
    sender.join();
    ASSERT_TRUE(answered);
    EXPECT_TRUE(ok1 && ok2);
    EXPECT_EQ(first, 77);
    EXPECT_EQ(second, -5);
    EXPECT_EQ(got, (std::vector<std::string>{"3:/tmp/lettre.rtf", "5:"}));
    StopLocalLinkServer();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(InstanceLinkTest, SocketsAndFoldersOpenToOthersAreRefused)
{
    const std::string folder = Folder();
    struct TCase {
        const char* Name;
        mode_t Mode;
    } cases[] = {{"open to everyone", 0666}, {"open to the group", 0660}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = folder + "/instance-open.sock";
        const int fd = BindSocket(path, c.Mode);
        int32_t answer = 0;
        std::string why;
        EXPECT_FALSE(IsTrustedLinkSocket(path, why));
        EXPECT_FALSE(SendLocalLinkRequest(path, icCanTakeWork, "", answer));
        // Nothing even connected to it.
        EXPECT_LT(::accept4(fd, nullptr, nullptr, 0), 0);
        ::close(fd);
        ::unlink(path.c_str());
    }
    // A file that is no socket.
    std::ofstream(folder + "/instance-file.sock") << "x";
    int32_t answer = 0;
    EXPECT_FALSE(SendLocalLinkRequest(folder + "/instance-file.sock", icCanTakeWork, "", answer));
    fs::remove(folder + "/instance-file.sock");
    // A socket nobody listens on any more is passed over and removed.
    const std::string stale = folder + "/instance-stale.sock";
    ::close(BindSocket(stale, 0600));
    EXPECT_EQ(FindInstanceWindow(0), "");
    EXPECT_FALSE(fs::exists(stale));

    // A folder others may enter is not used at all, and its sockets are refused.
    TFakeInstance fake({{icCanTakeWork, 1}});
    EXPECT_EQ(FindInstanceWindow(1), fake.Path);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    std::string error;
    EXPECT_EQ(LocalLinkFolder(error), "");
    EXPECT_FALSE(SendLocalLinkRequest(fake.Path, icCanTakeWork, "", answer));
    EXPECT_EQ(FindInstanceWindow(1), "");
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(fake.Received().size() == 1u);
}

TEST_F(InstanceLinkTest, ASecondStartHandsItsDocumentsOverOrKeepsItsWork)
{
    const std::string dir = MakeTestDir("handoff");
    const std::string doc = dir + "/a.rtf";
    WriteTestFile(doc, "{\\rtf1 a}");
    struct TCase {
        const char* Name;
        std::vector<std::string> Args;
        std::map<uint8_t, int32_t> Answers;
        std::string Session;
        bool HandedOff;
        std::vector<std::string> Received;
    } cases[] = {
        {"documents", {doc}, {{icCanTakeWork, 1}, {icOpenFile, 1}}, "Session: ", true,
         {"2", "6 Session: ", "5", "0", "3 " + doc}},
        {"busy instance", {doc}, {{icCanTakeWork, 0}}, "Session: ", false, {"2"}},
        {"other session", {doc}, {{icCanTakeWork, 1}}, "Session: abc", false, {"2", "6 Session: "}},
        {"no documents, not in the tray", {}, {{icWindowState, 0}}, "Session: ", false, {"5"}},
        {"no documents, in the tray", {}, {{icWindowState, 2}}, "Session: ", true, {"5", "6 Session: ", "5", "0", "1"}},
        {"no documents, -n", {"-n"}, {{icWindowState, 2}}, "Session: ", true, {"5", "6 Session: ", "5", "0"}},
        {"print, minimised", {"-p", doc}, {{icCanTakeWork, 1}, {icWindowState, 1}, {icPrintFile, 1}}, "Session: ",
         true, {"2", "6 Session: ", "5", "0", "4 " + doc, "7"}},
        {"print to a printer", {"-pt", doc, "imprimante"}, {{icCanTakeWork, 1}}, "Session: ", false, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeInstance fake(c.Answers, c.Session);
        Args(c.Args);
        EXPECT_EQ(HandOffToRunningInstance(), c.HandedOff);
        EXPECT_EQ(fake.Received(), c.Received);
    }
}
