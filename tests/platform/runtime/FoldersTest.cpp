#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/testing/Testing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {
std::string Utf8(std::u8string_view s)
{
    return std::string(s.begin(), s.end());
}

int Mode(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Points TMPDIR elsewhere for one test.
struct TTempDirOverride {
    std::string Saved = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    explicit TTempDirOverride(const std::string& dir) { setenv("TMPDIR", dir.c_str(), 1); }
    ~TTempDirOverride() { setenv("TMPDIR", Saved.c_str(), 1); }
};
}  // namespace

TEST(Folders, TemporaryNamesAreUniqueAndPrivate)
{
    const std::string expected = std::string(std::getenv("TMPDIR")) + "/eldravin-" + std::to_string(getuid()) + "/";
    const std::string temp = GetTempPath();
    ASSERT_EQ(temp, expected);
    EXPECT_EQ(Mode(temp), 0700);

    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        const std::string name = GetTempFileName("", "~Eldrav", ".rtf");
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(ExtractFilePath(name), temp);
        EXPECT_EQ(ExtractFileName(name).substr(0, 7), "~Eldrav");
        EXPECT_EQ(ExtractFileExt(name), ".rtf");
        EXPECT_EQ(Mode(name), 0600);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 200u);
    const std::string elsewhere = MakeTestDir("temp-names");
    EXPECT_EQ(ExtractFilePath(GetTempFileName(elsewhere, "x", "")), elsewhere + "/");
}

TEST(Folders, ATemporaryFolderPlantedByOthersIsNotUsed)
{
    const std::string base = MakeTestDir("planted");
    const std::string planted = base + "/eldravin-" + std::to_string(getuid());
    const std::string target = MakeTestDir("planted-target");
    ASSERT_EQ(symlink(target.c_str(), planted.c_str()), 0);
    TTempDirOverride override(base);
    const std::string temp = GetTempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_NE(temp, planted + "/");
    EXPECT_EQ(ExtractFilePath(ExcludeTrailingPathDelimiter(temp)), base + "/");
    EXPECT_EQ(Mode(temp), 0700);
    EXPECT_TRUE(std::filesystem::is_empty(target));

    // The user's own folder left open to others is closed again.
    const std::string base2 = MakeTestDir("too-open");
    mkdir((base2 + "/eldravin-" + std::to_string(getuid())).c_str(), 0777);
    chmod((base2 + "/eldravin-" + std::to_string(getuid())).c_str(), 0777);
    TTempDirOverride override2(base2);
    EXPECT_EQ(GetTempPath(), base2 + "/eldravin-" + std::to_string(getuid()) + "/");
    EXPECT_EQ(Mode(GetTempPath()), 0700);
}

TEST(Folders, CurrentFolderStack)
{
    const std::string start = GetCurrentDir();
    const std::string dir = MakeTestDir("cwd");
    const std::string named = dir + "/" + Utf8(u8"\u0414\u043E\u043A");  // Док
    std::filesystem::create_directory(named);

    PushCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir));
    PushCurrentDir();
    ASSERT_TRUE(SetCurrentDir("???"));
    EXPECT_EQ(GetCurrentDir(), dir + "/???");
    EXPECT_EQ(std::filesystem::current_path().string(), named);
    EXPECT_TRUE(PopCurrentDir());
    EXPECT_EQ(GetCurrentDir(), dir);
    EXPECT_TRUE(PopCurrentDir());
    EXPECT_EQ(GetCurrentDir(), start);
    EXPECT_FALSE(PopCurrentDir());
    EXPECT_EQ(GetCurrentDir(), start);
    EXPECT_FALSE(SetCurrentDir(dir + "/absent"));
}

TEST(Folders, ProgramAndUserFolders)
{
    const std::string exe = GetModuleFileName();
    EXPECT_TRUE(FileExists(exe));
    EXPECT_EQ(GetProgramFolder(), ExtractFilePath(exe));
    EXPECT_EQ(GetProgramFolder().back(), '/');

    const std::string config = std::getenv("XDG_CONFIG_HOME");
    EXPECT_EQ(GetUserFolder(TUserFolder::ufConfig), config);
    WriteTestFile(config + "/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                              "XDG_DOCUMENTS_DIR=\"$HOME/Mes documents\"\n"
                                              "XDG_DESKTOP_DIR=\"/srv/bureau/\"\n");
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(GetUserFolder(TUserFolder::ufDocuments), home + "/Mes documents");
    EXPECT_EQ(GetUserFolder(TUserFolder::ufDesktop), "/srv/bureau");
    EXPECT_EQ(GetUserFolder(TUserFolder::ufPictures), home);
    std::filesystem::remove(config + "/user-dirs.dirs");
}
