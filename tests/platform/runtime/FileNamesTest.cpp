#include "platform/runtime/FileNames.h"
#include "platform/testing/Testing.h"

#include <sys/stat.h>

#include <filesystem>

namespace {
std::string Utf8(std::u8string_view s)
{
    return std::string(s.begin(), s.end());
}

bool Exists(const std::string& fsPath)
{
    struct stat st;
    return lstat(fsPath.c_str(), &st) == 0;
}
}  // namespace

TEST(FileNames, ConvertsBetween1252AndUtf8WithEitherSeparator)
{
    // "é" and "œ" are 1252 bytes in the program's strings, UTF-8 on disk.
    EXPECT_EQ(FileSystemName("Mes documents\\Été\\cœur.rtf"), Utf8(u8"Mes documents/\u00C9t\u00E9/c\u0153ur.rtf"));
    EXPECT_EQ(ProgramFileName(Utf8(u8"/home/\u00E9l\u00E8ve/lettre.rtf")), "/home/élève/lettre.rtf");
    EXPECT_EQ(FileSystemName("/a/what?.txt"), "/a/what?.txt") << "a '?' that is no alias stays";
}

TEST(FileNames, NamesOutside1252GetStableAliasesThatReachThem)
{
    const std::string dir = MakeTestDir("aliases");
    const std::string privet = Utf8(u8"\u041F\u0440\u0438\u0432\u0435\u0442.rtf");  // Привет.rtf
    const std::string mirnyi = Utf8(u8"\u041C\u0438\u0440\u043D\u044B\u0439.rtf");  // Мирный.rtf
    WriteTestFile(dir + "/" + privet, "P");
    WriteTestFile(dir + "/" + mirnyi, "M");
    WriteTestFile(dir + "/??????.rtf", "literal");  // a real name that looks like an alias

    // The real "??????.rtf" keeps its name; the two others follow in the order
    // of their UTF-8 bytes (М U+041C before П U+041F).
    EXPECT_EQ(ProgramNameInFolder(dir, privet), "??????~3.rtf");
    EXPECT_EQ(ProgramNameInFolder(dir, mirnyi), "??????~2.rtf");
    EXPECT_EQ(ProgramNameInFolder(dir, "??????.rtf"), "??????.rtf");
    EXPECT_EQ(ProgramFileName(dir + "/" + privet), dir + "/??????~3.rtf");
    EXPECT_EQ(FileSystemName(dir + "/??????~3.rtf"), dir + "/" + privet);
    EXPECT_EQ(FileSystemName(dir + "\\??????~2.RTF"), dir + "/" + mirnyi) << "aliases ignore case";
    EXPECT_EQ(FileSystemName(dir + "/??????.rtf"), dir + "/??????.rtf");

    // Aliases hold while the folder changes, and a deleted file's alias
    // creates it again under its real name.
    std::filesystem::remove(dir + "/" + mirnyi);
    WriteTestFile(dir + "/" + Utf8(u8"\u0410\u0430\u0430\u0430\u0430\u0430.rtf"), "A");  // sorts first
    EXPECT_EQ(ProgramFileName(dir + "/" + privet), dir + "/??????~3.rtf");
    EXPECT_EQ(FileSystemName(dir + "/??????~2.rtf"), dir + "/" + mirnyi);
    EXPECT_EQ(ProgramNameInFolder(dir, Utf8(u8"\u0410\u0430\u0430\u0430\u0430\u0430.rtf")), "??????~4.rtf");
}

TEST(FileNames, OtherNames1252CannotCarry)
{
    const std::string dir = MakeTestDir("odd-names");
    const std::string folder = Utf8(u8"\u0414\u043E\u043A");    // Док
    const std::string emoji = Utf8(u8"\U0001F600 note.txt");    // one character outside the BMP
    const std::string latin1 = "caf\xE9.txt";                   // not UTF-8 at all
    const std::string slash = "a\\b.txt";                       // a backslash inside a name
    std::filesystem::create_directory(dir + "/" + folder);
    for (const std::string& n : {folder + "/inner.rtf", emoji, latin1, slash})
        WriteTestFile(dir + "/" + n, "x");

    struct TCase {
        std::string Real, Program;
    } const cases[] = {
        {folder + "/inner.rtf", "???" "/inner.rtf"},  // split: "??/" would read as a trigraph
        {emoji, "? note.txt"},
        {latin1, "caf?.txt"},
        {slash, "a?b.txt"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ProgramFileName(dir + "/" + c.Real), dir + "/" + c.Program);
        const std::string back = FileSystemName(dir + "/" + c.Program);
        EXPECT_EQ(back, dir + "/" + c.Real);
        EXPECT_TRUE(Exists(back)) << c.Program;
    }
    // A relative path through an aliased folder reaches the same file.
    std::filesystem::current_path(dir);
    EXPECT_EQ(FileSystemName("???\\inner.rtf"), folder + "/inner.rtf");
    EXPECT_EQ(FileSystemName("./???" "/../???" "/inner.rtf"), "./" + folder + "/../" + folder + "/inner.rtf");
    std::filesystem::current_path(TestRunDir() + "/current");
}

TEST(FileNames, PathStrings)
{
    struct TCase {
        const char* Path;
        const char* FilePath;
        const char* FileDir;
        const char* Name;
        const char* Ext;
    } const cases[] = {
        {"/home/u/lettre.rtf", "/home/u/", "/home/u", "lettre.rtf", ".rtf"},
        {"C:\\Docs\\a.b\\notes", "C:\\Docs\\a.b\\", "C:\\Docs\\a.b", "notes", ""},
        {"archive.tar.gz", "", "", "archive.tar.gz", ".gz"},
        {"/racine", "/", "/", "racine", ""},
        {"dossier/", "dossier/", "dossier", "", ""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.Path), c.FilePath) << c.Path;
        EXPECT_EQ(ExtractFileDir(c.Path), c.FileDir) << c.Path;
        EXPECT_EQ(ExtractFileName(c.Path), c.Name) << c.Path;
        EXPECT_EQ(ExtractFileExt(c.Path), c.Ext) << c.Path;
    }
    EXPECT_EQ(ChangeFileExt("a.b/lettre.rtf", ".doc"), "a.b/lettre.doc");
    EXPECT_EQ(ChangeFileExt("a.b/lettre", ".doc"), "a.b/lettre.doc");
    EXPECT_EQ(ChangeFileExt("lettre.rtf", ""), "lettre");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(ExpandFileName("/a/./b/../c\\d"), "/a/c/d");
    EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
    EXPECT_EQ(ExpandFileName("x.rtf"), TestRunDir() + "/current/x.rtf");
    EXPECT_EQ(AnsiUpperCaseFileName("été œuvre ÿ.rtf"), "ÉTÉ ŒUVRE Ÿ.RTF");
}
