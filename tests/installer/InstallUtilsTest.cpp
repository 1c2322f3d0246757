// The setup's small routines: the size format, cluster rounding, path joins,
// folder creation and tree copies with their log lines, the install log kept
// across installations, its undoing, and the temporary files.
#include "installer/InstallUtils.h"
#include "installer/SetupProgram.h"

#include "InstallerTesting.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> LogLines()
{
    std::vector<std::string> lines;
    const std::string text = InstallLogText();
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(InstallUtilsTest, DiskSizeTexts)
{
    const struct {
        int64_t Bytes;
        const char* Text;
    } cases[] = {
        {16777215, "16,00 Mo"},          // from 0xFFFFFF on: mebibytes with two decimals
        {1572864, "1 536 Ko"},           // one and a half mebibytes: kibibytes, a space between thousands
        {2097152, "2 Mo"},               // an exact number of mebibytes
        {150 * 1048576LL + 1, "150 Mo"}, // 100 Mo and more: no decimals
        {1000, "1 Ko"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDiskSize(c.Bytes), c.Text) << c.Bytes;
}

TEST(InstallUtilsTest, ClustersAndPathJoins)
{
    EXPECT_EQ(RoundUpToClusters(1, 4096), 4096);
    EXPECT_EQ(RoundUpToClusters(8192, 4096), 8192);
    EXPECT_EQ(RoundUpToClusters(0, 4096), 0);
    // A folder that does not exist yet is measured on the drive of its parent.
    const int64_t rounded = RoundToClusters(MakeTestDir("clusters") + "/not/yet", 1);
    EXPECT_GT(rounded, 0);
    EXPECT_EQ(rounded % 512, 0);

    EXPECT_EQ(AppendPathName("", "x"), "x");
    EXPECT_EQ(AppendPathName("a", "x"), "a/x");
    EXPECT_EQ(AppendPathName("a/", "x"), "a/x");
}

TEST(InstallUtilsTest, ForceFoldersLogsEachMadeFolderParentsFirst)
{
    const std::string root = MakeTestDir("force");
    const std::string log = root + "/Install.log";
    StartInstallLog(log);
    ForceFolders(root + "/a/b/c/");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Made Dir: " + root + "/a", "Made Dir: " + root + "/a/b",
                                                    "Made Dir: " + root + "/a/b/c"}));
    EXPECT_TRUE(DirectoryExists(root + "/a/b/c"));
    ForceFolders(root + "/a/b");  // exists: nothing made, nothing logged
    EXPECT_EQ(LogLines().size(), 3u);
    EndInstallLog();
}

TEST(InstallUtilsTest, LogKeepsEarlierInstallationsAndSuspensionSkipsLines)
{
    const std::string root = MakeTestDir("log");
    const std::string log = root + "/Install.log";
    StartInstallLog(log);
    LogInstallAction("File Copy: " + root + "/un");
    SuspendInstallLog();
    LogInstallAction("File Copy: " + root + "/dictionnaire");
    ResumeInstallLog();
    ASSERT_TRUE(SaveInstallLog());
    EndInstallLog();
    EXPECT_EQ(ReadTestFile(log), "File Copy: " + root + "/un\r\n");

    StartInstallLog(log);  // a second installation into the same folder
    LogInstallAction("File Copy: " + root + "/deux");
    ASSERT_TRUE(SaveInstallLog());
    EndInstallLog();
    EXPECT_EQ(ReadTestFile(log), "File Copy: " + root + "/un\r\nFile Copy: " + root + "/deux\r\n");
    // Nothing is recorded without a started log.
    LogInstallAction("File Copy: nowhere");
    EXPECT_EQ(InstallLogText(), "");
}

TEST(InstallUtilsTest, UndoingTheLogRemovesExactlyWhatItLists)
{
    const std::string root = MakeTestDir("undo");
    const std::string dir = root + "/Eldravin";
    StartInstallLog(dir + "/Install.log");
    ForceFolders(dir + "/Orthographe/Lex");
    WriteTestFile(dir + "/eldravin", "program");
    LogInstallAction("File Copy: " + dir + "/eldravin");
    WriteTestFile(dir + "/Orthographe/Lex/fr_FR.hlx", "lexicon");
    LogInstallAction("File Copy: " + dir + "/Orthographe/Lex/fr_FR.hlx");
    // Not logged: the user's own dictionary stays, and so does its folder.
    WriteTestFile(dir + "/Orthographe/Lex/perso.tlx", "mine");
    LogInstallAction("Shell Link: ignored line");
    ASSERT_TRUE(SaveInstallLog());
    EndInstallLog();

    ASSERT_TRUE(UndoInstallLog(dir + "/Install.log"));
    EXPECT_EQ(ListTreeFiles(root), (std::vector<std::string>{"Eldravin/Orthographe/Lex/perso.tlx"}));

    fs::remove(dir + "/Orthographe/Lex/perso.tlx");
    EXPECT_FALSE(UndoInstallLog(dir + "/Install.log"));  // no log left to read
}

TEST(InstallUtilsTest, TreeCopyKeepsExistingFilesAndSkipsWhatItMakes)
{
    const std::string root = MakeTestDir("copy");
    fs::create_directories(root + "/Images/Coeurs");
    fs::create_directories(root + "/Images/Copie");
    WriteTestFile(root + "/Images/Coeurs/c1.gif", "new c1");
    WriteTestFile(root + "/Images/s.gif", "new s");
    WriteTestFile(root + "/Images/Copie/s.gif", "old s");  // the target lies inside the source
    StartInstallLog(root + "/Install.log");
    CopyFolderWithLog(root + "/Images", root + "/Images/Copie");
    EXPECT_EQ(ReadTestFile(root + "/Images/Copie/s.gif"), "old s");
    EXPECT_EQ(ReadTestFile(root + "/Images/Copie/Coeurs/c1.gif"), "new c1");
    EXPECT_FALSE(fs::exists(root + "/Images/Copie/Copie/Copie"));
    const std::vector<std::string> lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "File Copy: " + root + "/Images/Copie/Coeurs/c1.gif"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Made Dir: " + root + "/Images/Copie/Coeurs"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "File Copy: " + root + "/Images/Copie/s.gif"), lines.end());
    EndInstallLog();
}

TEST(InstallUtilsTest, TemporaryFilesCarryThePrefixAndAreCleanedUp)
{
    EXPECT_EQ(GetTempFilePrefix(), "~InstallationdEldravinBrightfold");
    const std::string a = MakeTempFileName();
    const std::string b = MakeTempFileNameWithExt(".bat");
    EXPECT_NE(a, b);
    EXPECT_EQ(ExtractFileName(a).rfind(GetTempFilePrefix(), 0), 0u);
    EXPECT_EQ(ExtractFileExt(b), ".bat");
    EXPECT_TRUE(FileExists(a));
    ForceDirectories(GetTempPath() + GetTempFilePrefix() + "dir/sub");
    const std::string other = GetTempPath() + "other.tmp";
    WriteTestFile(other, "x");
    DeleteTempFiles();
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
    EXPECT_FALSE(DirectoryExists(GetTempPath() + GetTempFilePrefix() + "dir"));
    EXPECT_TRUE(FileExists(other));
}

TEST(InstallUtilsTest, ShortcutsAreDesktopEntriesAndLogged)
{
    const std::string root = MakeTestDir("links");
    StartInstallLog(root + "/Install.log");
    const std::string target = root + "/Eldravin/eldravin";
    fs::create_directories(root + "/Eldravin");
    WriteTestFile(target, "#!/bin/sh\n");
    fs::permissions(target, fs::perms::owner_all);
    ASSERT_TRUE(CreateShellLink(root + "/menu/Eldravin/Désinstallation.desktop", target, "-ui", 11, target,
                                root + "/Eldravin"));
    const std::string entry = ReadTestFile(FileSystemName(root + "/menu/Eldravin/Désinstallation.desktop"));
    EXPECT_NE(entry.find("Exec="), std::string::npos);
    EXPECT_NE(entry.find(" -ui"), std::string::npos);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Made Dir: " + root + "/menu", "Made Dir: " + root + "/menu/Eldravin",
                                                    "File Copy: " + root + "/menu/Eldravin/Désinstallation.desktop"}));
    EndInstallLog();
}

TEST(InstallUtilsTest, SetupFileRemovesItselfOnlyWhenAsked)
{
    const std::string setup = MakeTestDir("delete") + "/EldravinSetup";
    WriteTestFile(setup, "image");
    EXPECT_FALSE(RemoveSetupFileWhenAsked(setup, {"-x", "delete"}));
    EXPECT_TRUE(FileExists(setup));
    EXPECT_TRUE(RemoveSetupFileWhenAsked(setup, {"-x", "-DELETE"}));
    EXPECT_FALSE(FileExists(setup));
}

} // namespace
