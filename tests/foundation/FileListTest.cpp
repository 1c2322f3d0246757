#include "foundation/settings/FileList.h"
#include "foundation/Paths.h"
#include "foundation/settings/IniFile.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

#include <memory>

namespace {

std::vector<std::string> Entries(const TFileList& list)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < list.Paths().Count(); ++i)
        out.push_back(list.Paths().Strings(i));
    return out;
}

int32_t g_Limit = 10;
int32_t Limit()
{
    return g_Limit;
}

// Installs a length limit for the life of the object.
struct TLimit {
    explicit TLimit(int32_t limit) : Previous(SetFileListLimitQuery(Limit)) { g_Limit = limit; }
    ~TLimit() { SetFileListLimitQuery(Previous); }
    TFileListLimitQuery Previous;
};

}  // namespace

TEST(FileList, FullListsReadBackWholeFromBothStores)
{
    const std::string dir = MakeTestDir("filelist");
    TRegistryStore registry(dir + "/registry");
    const std::string ini = AnsiFromUtf8(dir) + "/Eldravin.ini";
    TFileList saved(1);
    for (int i = 0; i < TFileList::MaxStoredEntries; ++i)
        saved.Paths().Add("/docs/lettre " + std::to_string(i) + ".rtf");
    saved.Locked = true;
    {
        TRegistryEx reg(registry);
        reg.Prefix = "\\Soft\\";
        reg.OpenKey("RecentDocs");
        saved.Save(reg);
        reg.OpenKey("After");
        reg.WriteInteger("x", 1);
        TIniFile file(ini, true);
        file.OpenKey("RecentDocs");
        saved.Save(file);
        file.OpenKey("After");
        file.WriteInteger("x", 1);
    }
    TRegistryEx reg(registry);
    reg.Prefix = "\\Soft\\";
    TIniFile file(ini, false);
    for (TSettingsStorage* store : {static_cast<TSettingsStorage*>(&reg), static_cast<TSettingsStorage*>(&file)}) {
        store->OpenKey("RecentDocs");
        TFileList loaded(1);
        loaded.Load(*store);
        EXPECT_EQ(Entries(loaded), Entries(saved));
        EXPECT_TRUE(loaded.Locked);
        // The values after the list are still where they belong.
        store->OpenKey("After");
        EXPECT_EQ(store->ReadInteger("x", 0, 0, 9), 1);
    }
    EXPECT_EQ(TFileList::EntryName(0), "A");
    EXPECT_EQ(TFileList::EntryName(25), "Z");
    EXPECT_EQ(TFileList::EntryName(26), "AA");
    EXPECT_EQ(TFileList::EntryName(29), "AD");
}

TEST(FileList, LoadingKeepsStoredOrderWithinBounds)
{
    const std::string ini = AnsiFromUtf8(MakeTestDir("load")) + "/l.ini";
    WriteTestFile(Utf8FromAnsi(ini), "[Big]\r\nCount=40\r\nA=a\r\nB=\r\nC=c\r\nZ=z\r\nAD=ad\r\nAE=ae\r\n"
                                     "[Negative]\r\nCount=-3\r\nA=a\r\n"
                                     "[Folders]\r\nCount=1\r\nA=/x/\r\nLocked=1\r\n");
    TIniFile file(ini, false);
    file.OpenKey("Big");
    TFileList big(0);
    big.Paths().Add("already");
    big.Load(file);
    EXPECT_EQ(Entries(big), (std::vector<std::string>{"a", "c", "z", "ad", "already"}));
    file.OpenKey("Negative");
    TFileList none(0);
    none.Load(file);
    EXPECT_TRUE(Entries(none).empty());
    // Only kind 1 keeps its locked flag.
    file.OpenKey("Folders");
    TFileList kind1(1), kind2(2);
    kind1.Load(file);
    kind2.Load(file);
    EXPECT_TRUE(kind1.Locked);
    EXPECT_FALSE(kind2.Locked);
    EXPECT_EQ(Entries(kind2), std::vector<std::string>{"/x/"});
    // The old single-character names after "Z" still load from a registry.
    TRegistryStore registry(MakeTestDir("oldnames") + "/registry");
    TRegistryEx reg(registry);
    reg.OpenKey("Old");
    reg.WriteInteger("Count", 28);
    reg.WriteString("Z", "z");
    reg.WriteString("[", "26");
    reg.WriteString("\\", "27");
    TFileList old(0);
    old.Load(reg);
    EXPECT_EQ(Entries(old), (std::vector<std::string>{"z", "26", "27"}));
}

TEST(FileList, AddingMovesToTheTopWithinTheLimit)
{
    TLimit limit(4);
    TFileList list(0);
    for (const char* p : {"d", "c", "b", "a"})
        list.AddFile(p);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    list.AddFile("c");  // already there: moved, nothing cut
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"c", "a", "b", "d"}));
    list.AddFile("e");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"e", "c", "a", "b"}));
    list.AddFile("C");  // another file on this system
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C", "e", "c", "a"}));

    list.Locked = true;
    list.AddFile("f");
    list.Truncate(1);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C", "e", "c", "a"}));
    list.Locked = false;
    list.Truncate(2);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C", "e"}));

    g_Limit = 0;
    list.AddFile("g");
    EXPECT_TRUE(Entries(list).empty());
}

TEST(FileList, MissingFilesAndFoldersAreRemoved)
{
    const std::string dir = AnsiFromUtf8(MakeTestDir("missing"));
    WriteTestFile(Utf8FromAnsi(dir + "/là.rtf"), "x");
    TFileList files(0);
    for (const std::string& p : {dir + "/là.rtf", dir + "/absent.rtf", dir, dir + "/là.rtf"})
        files.Paths().Add(p);
    files.Locked = true;
    files.RemoveMissingFiles();
    EXPECT_EQ(Entries(files), (std::vector<std::string>{dir + "/là.rtf", dir + "/là.rtf"}));

    TFileList folders(1);
    for (const std::string& p : {dir + "/", dir + "/absent/", dir + "/là.rtf", std::string("/")})
        folders.Paths().Add(p);
    const std::string before = GetCurrentFolder();
    folders.RemoveMissingFiles();
    EXPECT_EQ(Entries(folders), (std::vector<std::string>{dir + "/", "/"}));
    EXPECT_EQ(GetCurrentFolder(), before);
}
