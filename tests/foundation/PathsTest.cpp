#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "foundation/Paths.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string NewDir(const std::string& name)
{
    return AnsiFromUtf8(MakeTestDir(name));
}

void Touch(const std::string& path, const std::string& bytes = "x")
{
    WriteTestFile(Utf8FromAnsi(path), bytes);
}

bool g_ShowFullPaths = false;
bool ShowFullPaths()
{
    return g_ShowFullPaths;
}

bool g_OtherInstance = false;
bool OtherInstance()
{
    return g_OtherInstance;
}

}  // namespace

TEST(Paths, NamesAndTheCurrentFolder)
{
    const std::string dir = NewDir("names");
    const std::string start = GetCurrentFolder();
    EXPECT_EQ(start.back(), '/');
    PushCurrentFolder();
    ASSERT_TRUE(SetCurrentDir(dir));
    EXPECT_EQ(GetCurrentFolder(), dir + "/");
    PopCurrentFolder();
    EXPECT_EQ(GetCurrentFolder(), start);
    PopCurrentFolder();  // an empty stack changes nothing
    EXPECT_EQ(GetCurrentFolder(), start);

    Touch(dir + "/Lettre.rtf");
    fs::create_symlink(Utf8FromAnsi(dir + "/Lettre.rtf"), Utf8FromAnsi(dir + "/lien.rtf"));
    EXPECT_TRUE(SameFileName(dir + "/Lettre.rtf", dir + "\\Lettre.rtf"));
    EXPECT_TRUE(SameFileName(dir + "/Lettre.rtf", dir + "/lien.rtf"));  // one file, two names
    EXPECT_FALSE(SameFileName(dir + "/Lettre.rtf", dir + "/LETTRE.rtf"));  // names are case-sensitive here
    EXPECT_TRUE(SameFileName("/a/b.rtf", "/a/b.rtf"));

    EXPECT_EQ(RemoveFileExt("/docs/lettre.été.rtf"), "/docs/lettre.été");
    EXPECT_EQ(RemoveFileExt("/docs.d/lettre"), "/docs.d/lettre");

    // The full form of names handed in from outside.
    PushCurrentFolder();
    ASSERT_TRUE(SetCurrentDir(dir));
    EXPECT_EQ(ExpandLongPathName("Lettre.rtf"), dir + "/Lettre.rtf");
    EXPECT_EQ(ExpandLongPathName("./sous/../Lettre.rtf"), "./sous/../Lettre.rtf");  // no such path: unchanged
    EXPECT_EQ(ExpandLongPathName("."), dir);
    PopCurrentFolder();
    EXPECT_EQ(ExpandLongPathName("Imprimante HP"), "Imprimante HP");
    EXPECT_EQ(ExpandLongPathName(""), "");
}

TEST(Paths, DisplayNamesAreShortenedInTheMiddle)
{
    // Every character is 10 pixels wide.
    const auto width = [](const std::string& s) { return static_cast<int32_t>(s.size()) * 10; };
    TShowFullPathsQuery previous = SetShowFullPathsQuery(ShowFullPaths);
    g_ShowFullPaths = false;
    EXPECT_EQ(GetDisplayFileName("/home/jeanne/lettre.rtf", width, 50), "lettre.rtf");
    EXPECT_EQ(GetDisplayFileName("lettre.rtf", width, 50), "lettre.rtf");
    EXPECT_EQ(GetDisplayFileName("/home/jeanne/", width, 500), "/home/jeanne/");  // a folder shows as a path
    EXPECT_EQ(GetDisplayFileName("/home/jeanne/documents/2024/", width, 10), "/home/.../2024/");
    g_ShowFullPaths = true;
    EXPECT_EQ(GetDisplayFileName("/home/jeanne/lettre.rtf", width, 1000), "/home/jeanne/lettre.rtf");
    // Two folder levels stay whole even when too wide.
    EXPECT_EQ(GetDisplayFileName("/home/jeanne/lettre.rtf", width, 50), "/home/jeanne/lettre.rtf");
    const std::string deep = "/home/jeanne/documents/2024/courrier/banque/lettre.rtf";
    EXPECT_EQ(GetDisplayFileName(deep, width, 400), "/home/.../courrier/banque/lettre.rtf");
    EXPECT_EQ(GetDisplayFileName(deep, width, 360), "/home/.../banque/lettre.rtf");
    EXPECT_EQ(GetDisplayFileName(deep, width, 10), "/home/.../banque/lettre.rtf");
    // Paths written on Windows keep their drive and first folder.
    EXPECT_EQ(GetDisplayFileName("C:\\Mes documents\\2024\\courrier\\banque\\lettre.rtf", width, 300),
              "C:\\Mes documents\\...\\banque\\lettre.rtf");
    SetShowFullPathsQuery(previous);
}

TEST(Paths, DisplayNamesAreMeasuredInTheCanvasFont)
{
    TShowFullPathsQuery previous = SetShowFullPathsQuery(ShowFullPaths);
    g_ShowFullPaths = true;
    TBitmap bitmap;
    bitmap.SetSize(8, 8);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font().SetName("Courier New");
    canvas.Font().SetSize(10);
    const std::string deep = "/home/jeanne/documents/2024/courrier/banque/lettre.rtf";
    const std::string shortened = "/home/.../banque/lettre.rtf";
    EXPECT_EQ(GetDisplayFileName(deep, canvas, canvas.TextWidth(shortened) + 1), shortened);
    EXPECT_EQ(GetDisplayFileName(deep, canvas, canvas.TextWidth(deep)), deep);
    SetShowFullPathsQuery(previous);
}

TEST(Paths, SpecialAndTemporaryFolders)
{
    const std::string temp = GetTempFolder();
    EXPECT_EQ(temp.back(), '/');
    EXPECT_EQ(temp, GetTempPath());
    EXPECT_EQ(GetSpecialFolder(5), GetUserFolder(TUserFolder::ufDocuments));
    EXPECT_EQ(GetSpecialFolder(0x27), GetUserFolder(TUserFolder::ufPictures));
    EXPECT_EQ(GetSpecialFolder(16), GetUserFolder(TUserFolder::ufDesktop));
    EXPECT_EQ(GetSpecialFolder(9999), "");

    // Unpredictable names, each a new file of this user's temporary folder.
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        const std::string name = GetUniqueTempFileName(".rtf");
        EXPECT_EQ(name.rfind(temp + "~Eldrav", 0), 0u) << name;
        EXPECT_EQ(ExtractFileExt(name), ".rtf");
        EXPECT_TRUE(FileExists(name));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(ExtractFileExt(GetTempFileNameForKind(1)), ".ead");
    EXPECT_EQ(ExtractFileExt(GetTempFileNameForKind(3)), ".bmp");
    EXPECT_EQ(ExtractFileName(GetUniqueKeptTempFileName(".bat")).rfind("Eldrav", 0), 0u);
}

TEST(Paths, OldTemporaryFilesAreClearedWhenNoOtherInstanceRuns)
{
    const std::string temp = GetTempFolder();
    const std::string outside = NewDir("outside");
    Touch(outside + "/précieux.txt");
    const std::string mine = GetUniqueTempFileName(".rtf");
    const std::string kept = GetUniqueKeptTempFileName(".bat");
    ASSERT_TRUE(ForceDirectories(temp + "~Eldrav_dossier/sous"));
    Touch(temp + "~Eldrav_dossier/sous/f.tmp");
    Touch(temp + "autre.tmp");
    fs::create_symlink(Utf8FromAnsi(outside), Utf8FromAnsi(temp + "~Eldrav_lien"));

    TOtherInstanceQuery previous = SetOtherInstanceQuery(nullptr);
    DeleteOldTempFiles();  // nobody can tell whether another instance runs: nothing goes
    EXPECT_TRUE(FileExists(mine));
    SetOtherInstanceQuery(OtherInstance);
    g_OtherInstance = true;
    DeleteOldTempFiles();
    EXPECT_TRUE(FileExists(mine));
    g_OtherInstance = false;
    DeleteOldTempFiles();
    EXPECT_FALSE(FileExists(mine));
    EXPECT_FALSE(DirectoryExists(temp + "~Eldrav_dossier"));
    EXPECT_FALSE(fs::is_symlink(Utf8FromAnsi(temp + "~Eldrav_lien")));
    EXPECT_TRUE(FileExists(outside + "/précieux.txt"));  // a link is removed, never followed
    EXPECT_TRUE(FileExists(kept));
    EXPECT_TRUE(FileExists(temp + "autre.tmp"));
    SetOtherInstanceQuery(previous);
}

TEST(Paths, FileFacts)
{
    const std::string dir = NewDir("facts");
    Touch(dir + "/un.txt", "x");
    Touch(dir + "/vide.txt", "");
    const int64_t cluster = GetClusterSize(dir);
    ASSERT_GT(cluster, 0);
    EXPECT_EQ(GetFileSizeByName(dir + "/un.txt"), 1);
    EXPECT_EQ(GetFileSizeOnDisk(dir + "/un.txt"), cluster);
    EXPECT_EQ(GetFileSizeOnDisk(dir + "/vide.txt"), 0);
    EXPECT_EQ(GetFileSizeByName(dir + "/absent.txt"), -1);
    EXPECT_EQ(FormatFileSize(dir + "/un.txt"), "1 octets");

    // Times go through the two-second steps of the packed date.
    const TDateTime odd = EncodeDate(2021, 3, 14) + EncodeTime(15, 9, 27, 0);
    const TFileTime written = LocalFileTimeToFileTime(static_cast<TFileTime>(DateTimeToFileTime(odd)));
    ASSERT_TRUE(SetFileTimes(dir + "/un.txt", &written, &written));
    uint16_t h, m, s, ms;
    DecodeTime(GetFileModificationTime(dir + "/un.txt"), h, m, s, ms);
    EXPECT_EQ(h * 3600 + m * 60 + s, 15 * 3600 + 9 * 60 + 26);
    const TDateTime before = Now();
    const TDateTime missing = GetFileCreationTime(dir + "/absent.txt");
    EXPECT_GE(missing, before);
    EXPECT_LE(missing, Now());

    EXPECT_TRUE(IsValidFileName("lettre d'été.rtf"));
    EXPECT_FALSE(IsValidFileName("absent/lettre.rtf"));
    EXPECT_FALSE(IsValidFileName(""));
    EXPECT_TRUE(IsValidFileName(ExtractFileName(GetUniqueTempFileName(".tmp"))));  // an existing one

    SaveTextToFile(dir + "/texte.txt", "un\ndeux");
    EXPECT_EQ(ReadTestFile(Utf8FromAnsi(dir + "/texte.txt")), "un\r\ndeux\r\n");
    THandle h2 = FileOpen(dir + "/texte.txt", fmOpenRead);
    ASSERT_NE(h2, INVALID_HANDLE_VALUE);
    char c[2];
    ASSERT_EQ(FileRead(h2, c, 2), 2);
    EXPECT_TRUE(RewindFile(h2));
    ASSERT_EQ(FileRead(h2, c, 1), 1);
    EXPECT_EQ(c[0], 'u');
    FileClose(h2);
}

TEST(Paths, FolderTrees)
{
    const std::string dir = NewDir("tree");
    const std::string outside = NewDir("untouched");
    Touch(outside + "/garde.txt");
    ASSERT_TRUE(ForceDirectories(dir + "/a/b"));
    ASSERT_TRUE(ForceDirectories(dir + "/vide"));
    Touch(dir + "/racine.rtf", "1234");
    Touch(dir + "/note.txt");
    Touch(dir + "/a/un.rtf");
    Touch(dir + "/a/b/deux.rtf", "12");
    Touch(dir + "/.cache.rtf");
    fs::create_symlink(Utf8FromAnsi(outside), Utf8FromAnsi(dir + "/a/lien"));

    EXPECT_TRUE(FolderExists(dir));
    EXPECT_TRUE(FolderExists(dir + "/a/"));
    EXPECT_FALSE(FolderExists(dir + "/absent"));
    EXPECT_FALSE(FolderExists(dir + "/note.txt"));
    EXPECT_TRUE(IsFolderEmpty(dir + "/vide"));
    EXPECT_FALSE(IsFolderEmpty(dir + "/a/b"));

    // Sub-folders before the folder's own files.
    TStringList found;
    FindFilesRecursive(dir, "*.rtf", found);
    std::vector<std::string> list;
    for (int32_t i = 0; i < found.Count(); ++i)
        list.push_back(found.Strings(i));
    EXPECT_EQ(list, (std::vector<std::string>{dir + "/a/b/deux.rtf", dir + "/a/un.rtf", dir + "/.cache.rtf",
                                              dir + "/racine.rtf"}));

    const int64_t cluster = GetClusterSize(dir);
    EXPECT_EQ(GetFolderSize(dir), 5 * cluster);  // five small files; the link counts nothing

    const std::string copy = NewDir("copy") + "/copie";
    CopyFolder(dir, copy, false);
    EXPECT_TRUE(FileExists(copy + "/a/b/deux.rtf"));
    EXPECT_TRUE(DirectoryExists(copy + "/vide"));
    Touch(dir + "/racine.rtf", "nouveau");
    CopyFolder(dir, copy, false);
    EXPECT_EQ(ReadTestFile(Utf8FromAnsi(copy + "/racine.rtf")), "1234");
    CopyFolder(dir, copy, true);
    EXPECT_EQ(ReadTestFile(Utf8FromAnsi(copy + "/racine.rtf")), "nouveau");

    RemoveEmptySubfolders(dir);
    EXPECT_FALSE(DirectoryExists(dir + "/vide"));
    EXPECT_TRUE(DirectoryExists(dir + "/a"));

    EXPECT_TRUE(DeleteFolderTree(dir));
    EXPECT_FALSE(DirectoryExists(dir));
    EXPECT_TRUE(FileExists(outside + "/garde.txt"));
}
