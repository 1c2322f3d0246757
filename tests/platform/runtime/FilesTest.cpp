#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/testing/Testing.h"

#include <filesystem>

#include <sys/stat.h>

namespace {
std::string Utf8(std::u8string_view s)
{
    return std::string(s.begin(), s.end());
}

std::vector<std::string> List(const std::string& pathMask, int32_t attr = faAnyFile)
{
    std::vector<std::string> names;
    TSearchRec rec;
    for (int32_t rc = FindFirst(pathMask, attr, rec); rc == 0; rc = FindNext(rec))
        names.push_back(rec.Name);
    FindClose(rec);
    return names;
}
}  // namespace

TEST(Files, MasksMatchAsOnTheOriginalPlatform)
{
    struct TCase {
        const char* Mask;
        const char* Name;
        bool Match;
    } const cases[] = {
        {"*.rtf", "Lettre.RTF", true},     {"*.rtf", "a.rtf.bak", false},    {"*.rtf", "rtf", false},
        {"*.txt", "a.b.txt", true},        {"~Eldrav*.tmp", "~ELDRAV12.TMP", true},
        {"~Eldrav*.tmp", "Eldrav12.tmp", false},
        {"?", "a", true},                  {"?", "ab", false},               {"??", "a", true},
        {"a?.txt", "a.txt", true},         {"a?.txt", "ab.txt", true},       {"a?.txt", "abc.txt", false},
        {"a?c", "a.c", false},             {"*", ".cache", true},            {"*.*", "README", true},
        {"*.*", "a.b.c", true},            {"*.", "README", true},           {"*.", "a.txt", false},
        {"Modèle*.RTF", "MODÈLE 2.rtf", true},                                {"*a*b*", "xaxxbx", true},
        {"*a*b*", "xbxxax", false},        {"exact.doc", "EXACT.DOC", true}, {"exact.doc", "exact.docx", false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Match) << c.Mask << " ~ " << c.Name;
}

TEST(Files, FindFirstListsSortedAndFiltered)
{
    const std::string dir = MakeTestDir("find");
    for (const char* n : {"b.rtf", "A.RTF", "c.txt", ".hidden.rtf", "~Eldrav0.tmp", "~Eldrav1.tmp"})
        WriteTestFile(dir + "/" + n, "x");
    std::filesystem::create_directory(dir + "/sub.rtf");

    EXPECT_EQ(List(dir + "/*.rtf", 0), (std::vector<std::string>{"A.RTF", "b.rtf"}));
    EXPECT_EQ(List(dir + "/*.rtf", faHidden | faDirectory),
              (std::vector<std::string>{".hidden.rtf", "A.RTF", "b.rtf", "sub.rtf"}));
    EXPECT_EQ(List(dir + "\\~eldrav*.TMP"), (std::vector<std::string>{"~Eldrav0.tmp", "~Eldrav1.tmp"}));

    TSearchRec rec;
    EXPECT_EQ(FindFirst(dir + "/c.txt", faAnyFile, rec), 0);
    EXPECT_EQ(rec.Attr, faArchive);
    EXPECT_EQ(rec.Size, 1);
    EXPECT_EQ(FindNext(rec), static_cast<int32_t>(ERROR_NO_MORE_FILES));
    FindClose(rec);
    EXPECT_EQ(FindFirst(dir + "/*.doc", faAnyFile, rec), static_cast<int32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirst(dir + "/absent/*.*", faAnyFile, rec), static_cast<int32_t>(ERROR_PATH_NOT_FOUND));
}

TEST(Files, ANameOutside1252IsFoundOpenedWrittenAndSaved)
{
    const std::string dir = MakeTestDir("cyrillic");
    const std::string real = dir + "/" + Utf8(u8"\u041F\u0440\u0438\u0432\u0435\u0442.rtf");  // Привет.rtf
    WriteTestFile(real, "{\\rtf1 old}");

    TSearchRec rec;
    ASSERT_EQ(FindFirst(dir + "/*.rtf", faAnyFile, rec), 0);
    const std::string name = dir + "/" + rec.Name;
    FindClose(rec);
    EXPECT_EQ(ExtractFileName(name), "??????.rtf");
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ(GetFileSize(name), 11);
    {
        TFileStream s(name, fmOpenReadWrite | fmShareDenyWrite);
        std::string content(11, '\0');
        s.ReadBuffer(content.data(), 11);
        EXPECT_EQ(content, "{\\rtf1 old}");
        s.SetPosition(0);
        s.WriteString("{\\rtf1 new}");
    }
    EXPECT_EQ(ReadTestFile(real), "{\\rtf1 new}");

    // A save that replaces the file: delete it and create it again under the alias.
    ASSERT_TRUE(DeleteFile(name));
    EXPECT_FALSE(TestPathExists(real));
    {
        TFileStream s(name, fmCreate);
        s.WriteString("{\\rtf1 saved}");
    }
    EXPECT_EQ(ReadTestFile(real), "{\\rtf1 saved}");
    EXPECT_EQ(List(dir + "/*.*"), std::vector<std::string>{"??????.rtf"});
    ASSERT_TRUE(CopyFile(name, dir + "/copie.rtf", true));
    EXPECT_EQ(ReadTestFile(dir + "/copie.rtf"), "{\\rtf1 saved}");
}

TEST(Files, AttributesAndTimes)
{
    const std::string dir = MakeTestDir("attributes");
    const std::string file = dir + "/f.txt";
    WriteTestFile(file, "abc");
    WriteTestFile(dir + "/.profile", "");
    EXPECT_EQ(FileGetAttr(file), faArchive);
    EXPECT_EQ(FileGetAttr(dir), faDirectory);
    EXPECT_EQ(FileGetAttr(dir + "/.profile"), faArchive | faHidden);
    EXPECT_EQ(FileGetAttr(dir + "/none"), -1);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_TRUE(DirectoryExists(dir + "/"));
    EXPECT_FALSE(DirectoryExists(file));

    // Read-only protects the file from writing, replacing and deleting.
    EXPECT_EQ(FileSetAttr(file, faReadOnly | faArchive), 0);
    EXPECT_EQ(FileGetAttr(file), faReadOnly | faArchive);
    EXPECT_FALSE(DeleteFile(file));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    WriteTestFile(dir + "/other.txt", "other");
    EXPECT_FALSE(CopyFile(dir + "/other.txt", file, false));
    EXPECT_FALSE(MoveFile(dir + "/other.txt", file, true));
    EXPECT_EQ(ReadTestFile(file), "abc");
    EXPECT_EQ(FileSetAttr(file, faArchive), 0);
    EXPECT_EQ(FileGetAttr(file), faArchive);

    // Times: 2001-02-03 04:05:06.5 UTC is kept to the tenth of a microsecond and
    // travels with a copy.
    const TFileTime when = FileTimeFromUnix(981173106, 500000000);
    ASSERT_TRUE(SetFileTimes(file, nullptr, &when));
    TFileTime written = 0, created = 0;
    ASSERT_TRUE(GetFileTimes(file, &created, nullptr, &written));
    EXPECT_EQ(written, when);
    EXPECT_GT(created, 0);
    ASSERT_TRUE(CopyFile(file, dir + "/copy.txt", true));
    ASSERT_TRUE(GetFileTimes(dir + "/copy.txt", nullptr, nullptr, &written));
    EXPECT_EQ(written, when);
    TSearchRec rec;
    ASSERT_EQ(FindFirst(dir + "/copy.txt", faAnyFile, rec), 0);
    EXPECT_EQ(rec.LastWriteTime, when);
}

TEST(Files, CopyMoveDeleteFollowTheOriginalRules)
{
    const std::string dir = MakeTestDir("copy-move");
    const std::string a = dir + "/a.txt", b = dir + "/b.txt";
    WriteTestFile(a, "AAA");
    WriteTestFile(b, "B");

    EXPECT_FALSE(CopyFile(a, b, true));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadTestFile(b), "B");
    EXPECT_FALSE(CopyFile(a, a, false)) << "copying a file onto itself must not empty it";
    EXPECT_EQ(ReadTestFile(a), "AAA");
    EXPECT_TRUE(CopyFile(a, b, false));
    EXPECT_EQ(ReadTestFile(b), "AAA");
    // A copy that fails halfway (the process's own memory cannot be read from
    // its start) leaves the file it was to replace as it was, and nothing else.
    EXPECT_FALSE(CopyFile("/proc/self/mem", b, false));
    EXPECT_EQ(ReadTestFile(b), "AAA");
    EXPECT_EQ(List(dir + "/*.*"), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(CopyFile(dir + "/none", dir + "/c.txt", false));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(TestPathExists(dir + "/c.txt"));

    EXPECT_FALSE(MoveFile(a, b));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(RenameFile(a, dir + "/c.txt"));
    EXPECT_TRUE(MoveFile(dir + "/c.txt", b, true));
    EXPECT_FALSE(TestPathExists(dir + "/c.txt"));

    // A file held open (as a document is) can be neither deleted nor renamed.
    {
        TFileStream held(b, fmOpenReadWrite | fmShareDenyWrite);
        EXPECT_FALSE(DeleteFile(b));
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        EXPECT_FALSE(RenameFile(b, dir + "/d.txt"));
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        EXPECT_TRUE(CopyFile(b, dir + "/e.txt", true)) << "a copy of a document in use";
    }
    EXPECT_TRUE(DeleteFile(b));
    EXPECT_FALSE(DeleteFile(b));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFile(dir));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Files, Folders)
{
    const std::string dir = MakeTestDir("folders");
    EXPECT_TRUE(ForceDirectories(dir + "\\un\\deux/trois\\"));
    EXPECT_TRUE(DirectoryExists(dir + "/un/deux/trois"));
    EXPECT_TRUE(ForceDirectories(dir + "/un"));
    EXPECT_FALSE(CreateDir(dir + "/un"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDir(dir + "/absent/x"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(RemoveDir(dir + "/un"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(RemoveDir(dir + "/un/deux/trois/"));
    EXPECT_FALSE(DirectoryExists(dir + "/un/deux/trois"));
    WriteTestFile(dir + "/file", "");
    EXPECT_FALSE(ForceDirectories(dir + "/file"));

    int64_t free = -1, total = -1, totalFree = -1;
    ASSERT_TRUE(GetDiskFreeSpaceEx(dir, &free, &total, &totalFree));
    EXPECT_GT(total, 0);
    EXPECT_LE(free, totalFree);
    EXPECT_LE(totalFree, total);
    EXPECT_GT(GetDiskClusterSize(dir), 0);
    EXPECT_EQ(GetDriveType(dir + "/absent"), DRIVE_NO_ROOT_DIR);
}

TEST(Files, ReplaceFilePutsANewFileInPlaceKeepingWhatTheOldOneHad)
{
    const std::string dir = MakeTestDir("replace");
    const std::string doc = dir + "/lettre.txt", fresh = dir + "/~nouveau.tmp";
    WriteTestFile(doc, "ancien");
    std::filesystem::permissions(doc, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                          std::filesystem::perms::group_read);
    {
        // The kept handle of the document stays on the old content; the new
        // file's handle reaches the file under the document's name, with its sharing.
        TFileStream kept(doc, fmOpenReadWrite | fmShareDenyWrite);
        TFileStream written(fresh, fmCreate | fmShareDenyWrite);
        written.WriteString("nouveau");
        EXPECT_TRUE(ReplaceFile(doc, fresh));
        EXPECT_FALSE(TestPathExists(fresh));
        EXPECT_EQ(ReadTestFile(doc), "nouveau");
        EXPECT_EQ(std::filesystem::status(doc).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                      std::filesystem::perms::group_read);
        EXPECT_EQ(FileOpen(doc, fmOpenWrite | fmShareDenyNone), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        char old[6];
        kept.SetPosition(0);
        EXPECT_EQ(kept.Read(old, 6), 6);
        EXPECT_EQ(std::string(old, 6), "ancien");
    }

    // A read-only file is not replaced; nothing changes.
    WriteTestFile(fresh, "refus");
    FileSetAttr(doc, faReadOnly);
    EXPECT_FALSE(ReplaceFile(doc, fresh));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadTestFile(doc), "nouveau");
    EXPECT_EQ(ReadTestFile(fresh), "refus");
    FileSetAttr(doc, 0);

    // Through a link the linked file is replaced and the link stays.
    const std::string link = dir + "/lien.txt";
    std::filesystem::create_symlink(doc, link);
    EXPECT_TRUE(ReplaceFile(link, fresh));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadTestFile(doc), "refus");
    EXPECT_EQ(GetFinalPathName(link), doc);

    // A new name takes the permissions of a new file.
    WriteTestFile(fresh, "neuf");
    std::filesystem::permissions(fresh, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(ReplaceFile(dir + "/neuf.txt", fresh));
    EXPECT_EQ(ReadTestFile(dir + "/neuf.txt"), "neuf");
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(dir + "/neuf.txt").permissions() &
                                  std::filesystem::perms::all),
              0666 & ~mask);
}
