#include "platform/runtime/FileHandles.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/testing/Testing.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The twelve ways to open an existing file: three accesses by four share modes.
constexpr uint16_t kModes[12] = {
    fmOpenRead | fmShareExclusive,      fmOpenRead | fmShareDenyWrite,      fmOpenRead | fmShareDenyRead,
    fmOpenRead | fmShareDenyNone,       fmOpenWrite | fmShareExclusive,     fmOpenWrite | fmShareDenyWrite,
    fmOpenWrite | fmShareDenyRead,      fmOpenWrite | fmShareDenyNone,      fmOpenReadWrite | fmShareExclusive,
    fmOpenReadWrite | fmShareDenyWrite, fmOpenReadWrite | fmShareDenyRead, fmOpenReadWrite | fmShareDenyNone,
};
const char* const kModeNames[12] = {"R-Excl", "R-DenyW", "R-DenyR", "R-DenyNone", "W-Excl", "W-DenyW",
                                    "W-DenyR", "W-DenyNone", "RW-Excl", "RW-DenyW", "RW-DenyR", "RW-DenyNone"};

// Row: the open that holds the file; column: the second open; Y = admitted.
// The original platform admits a second open only when each one's access is
// among what the other shares.
const char* const kAdmitted[12] = {
    "NNNNNNNNNNNN",  // R-Excl
    "NYNYNNNNNNNN",  // R-DenyW: other readers that share reading
    "NNNNNYNYNNNN",  // R-DenyR: writers that share reading
    "NYNYNYNYNYNY",  // R-DenyNone: anyone who shares reading
    "NNNNNNNNNNNN",  // W-Excl
    "NNYYNNNNNNNN",  // W-DenyW: readers that share writing
    "NNNNNNYYNNNN",  // W-DenyR: writers that share writing
    "NNYYNNYYNNYY",  // W-DenyNone: anyone who shares writing
    "NNNNNNNNNNNN",  // RW-Excl
    "NNNYNNNNNNNN",  // RW-DenyW: readers that share everything
    "NNNNNNNYNNNN",  // RW-DenyR: writers that share everything
    "NNNYNNNYNNNY",  // RW-DenyNone: anyone who shares everything
};

std::string MakeFile(const std::string& name, const std::string& content = "data")
{
    const std::string path = MakeTestDir(name) + "/file.bin";
    WriteTestFile(path, content);
    return path;
}

}  // namespace

TEST(FileHandles, ShareModesBetweenTwoOpensFollowTheOriginalTable)
{
    const std::string path = MakeFile("share-table");
    for (int first = 0; first < 12; ++first) {
        for (int second = 0; second < 12; ++second) {
            const THandle a = FileOpen(path, kModes[first]);
            ASSERT_NE(a, INVALID_HANDLE_VALUE) << kModeNames[first];
            const THandle b = FileOpen(path, kModes[second]);
            const bool admitted = b != INVALID_HANDLE_VALUE;
            EXPECT_EQ(admitted, kAdmitted[first][second] == 'Y')
                << kModeNames[first] << " then " << kModeNames[second];
            if (!admitted) {
                EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION) << kModeNames[first] << " then " << kModeNames[second];
            }
            FileClose(b);
            FileClose(a);
        }
    }
}

TEST(FileHandles, RefusedOpensChangeNothingAndClosingReleases)
{
    const std::string path = MakeFile("share-release", "precious");
    // A document kept open for reading and writing, sharing reads.
    const THandle doc = CreateFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(doc, INVALID_HANDLE_VALUE);

    // Creating the file anew over it is refused before anything is cut.
    EXPECT_EQ(CreateFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(FileCreate(path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadTestFile(path), "precious");
    // Compatibility mode counts as exclusive.
    EXPECT_EQ(FileOpen(path, fmOpenRead | fmShareCompat), INVALID_HANDLE_VALUE);

    // A reader that shares everything comes in; closing it leaves the
    // document's own locks in place (the locks belong to each open).
    const THandle reader = FileOpen(path, fmOpenRead | fmShareDenyNone);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    FileClose(reader);
    EXPECT_EQ(FileOpen(path, fmOpenReadWrite | fmShareDenyNone), INVALID_HANDLE_VALUE);

    FileClose(doc);
    const THandle writer = FileOpen(path, fmOpenReadWrite | fmShareExclusive);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    FileClose(writer);
}

namespace {
// A child process that opens the file in a mode, reports the outcome (0 or the
// error code) through a pipe, keeps the file open until the parent closes the
// other pipe, then ends.
struct THoldingChild {
    pid_t Pid = -1;
    int Report = -1;  // read end: the child's outcome
    int Release = -1; // write end: closing it lets the child end

    THoldingChild(const std::string& path, uint16_t mode)
    {
        int report[2], release[2];
        if (pipe(report) != 0 || pipe(release) != 0)
            return;
        Pid = fork();
        if (Pid == 0) {
            close(report[0]);
            close(release[1]);
            const THandle h = FileOpen(path, mode);
            const uint8_t outcome = h == INVALID_HANDLE_VALUE ? static_cast<uint8_t>(GetLastError()) : 0;
            (void)!write(report[1], &outcome, 1);
            char c;
            (void)!read(release[0], &c, 1);
            _exit(0);
        }
        close(report[1]);
        close(release[0]);
        Report = report[0];
        Release = release[1];
    }
    int Outcome()
    {
        uint8_t outcome = 0xFF;
        return read(Report, &outcome, 1) == 1 ? outcome : -1;
    }
    ~THoldingChild()
    {
        close(Release);
        close(Report);
        int status;
        if (Pid > 0)
            waitpid(Pid, &status, 0);
    }
};
}  // namespace

TEST(FileHandles, SharingHoldsBetweenProcesses)
{
    const std::string path = MakeFile("share-processes");
    {
        // Another program keeps the file as a document: reads and writes, shares reads.
        THoldingChild child(path, fmOpenReadWrite | fmShareDenyWrite);
        ASSERT_GT(child.Pid, 0);
        ASSERT_EQ(child.Outcome(), 0);
        EXPECT_EQ(FileOpen(path, fmOpenReadWrite | fmShareDenyWrite), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        EXPECT_EQ(FileOpen(path, fmOpenRead | fmShareDenyWrite), INVALID_HANDLE_VALUE)
            << "denying writes to a file someone writes";
        const THandle reader = FileOpen(path, fmOpenRead | fmShareDenyNone);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "copying a document in use stays possible";
        FileClose(reader);
    }
    // The other program has ended: its locks went with it.
    const THandle mine = FileOpen(path, fmOpenReadWrite | fmShareExclusive);
    ASSERT_NE(mine, INVALID_HANDLE_VALUE);
    {
        THoldingChild child(path, fmOpenRead | fmShareDenyNone);
        ASSERT_GT(child.Pid, 0);
        EXPECT_EQ(child.Outcome(), static_cast<int>(ERROR_SHARING_VIOLATION));
    }
    FileClose(mine);
}

TEST(FileHandles, OpenErrorsCarryTheOriginalCodes)
{
    const std::string dir = MakeTestDir("open-errors");
    WriteTestFile(dir + "/exists", "x");
    struct TCase {
        std::string Name;
        uint32_t Access, Disposition, Error;
    } const cases[] = {
        {dir + "/missing", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {dir + "/no-folder/file", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {dir + "/no-folder/file", GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {dir, GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {dir + "/exists", GENERIC_READ | GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
        {"", GENERIC_READ, OPEN_EXISTING, ERROR_INVALID_PARAMETER},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(CreateFile(c.Name, c.Access, FILE_SHARE_READ, c.Disposition), INVALID_HANDLE_VALUE) << c.Name;
        EXPECT_EQ(GetLastError(), c.Error) << c.Name;
    }

    // A read-only file cannot be opened for writing, even by the superuser.
    chmod((dir + "/exists").c_str(), 0444);
    EXPECT_EQ(FileOpen(dir + "/exists", fmOpenReadWrite | fmShareDenyNone), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    const THandle reader = FileOpen(dir + "/exists", fmOpenRead | fmShareDenyNone);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    FileClose(reader);

    // Opening an existing file with OPEN_ALWAYS says so, a new one does not.
    const THandle old = CreateFile(dir + "/exists", GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    FileClose(old);
    const THandle made = CreateFile(dir + "/made", GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_GT(made, 2) << "handles never collide with 0 or the standard streams";
    FileClose(made);
}

TEST(FileHandles, FileTimesConvertToUnixAndLocalTime)
{
    int64_t ns = 0;
    EXPECT_EQ(UnixFromFileTime(FileTimeFromUnix(-1, 500), &ns), -1);
    EXPECT_EQ(ns, 500);
    const TFileTime t = FileTimeFromUnix(981173106);
    EXPECT_EQ(LocalFileTimeToFileTime(FileTimeToLocalFileTime(t)), t);
}
