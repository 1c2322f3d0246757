#include "foundation/settings/IniFile.h"
#include "foundation/settings/RegistryEx.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/CodePages.h"
#include "platform/testing/Testing.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

namespace {

const std::string kPrefix = "\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\";

std::string SampleRtf()
{
    std::string rtf = "{\\rtf1\\ansi\r\n";
    for (int i = 0; i < 200; ++i)
        rtf += "{\\f" + std::to_string(i) + " Times New Roman;} texte   avec des blancs\r\n";
    return rtf + "}";
}

// Writes a set of settings of every kind through a store.
void WriteSample(TSettingsStorage& s)
{
    s.OpenKey("General");
    s.WriteBool("ShowSplash", false);
    s.WriteBool("Vrai", true);
    s.WriteInteger("Min", INT_MIN);
    s.WriteInteger("Max", INT_MAX);
    s.WriteInteger("Zero", 0);
    s.WriteString("UserName", "Zoé « Ÿ » Œuvre");
    s.WriteString("Blancs", "  autour  ");
    s.WriteString("Vide", "");
    s.WriteString("RetAddr", "Jeanne Dupont\r\n12 rue des Lilas\r\n75001 Paris");
    s.WriteString("Pourcent", "100 % = 0x01 \x01");
    s.OpenKey("Internal\\Menus");
    s.WriteBool("ShowHotKeys", true);
    const uint8_t block[5] = {0x0A, 0xFF, 0x00, 0x7F, 0x80};
    s.WriteBinary("MainMenu_Fr", block, sizeof block);
    s.WriteLongString("EnvStyle", SampleRtf());
    s.WriteLongString("FontHistory", "Arial||Times New Roman||Verdana");
    s.WriteLongString("Empty", "");
}

void CheckSample(TSettingsStorage& s)
{
    EXPECT_TRUE(s.KeyExists("General"));
    EXPECT_FALSE(s.KeyExists("Absent"));
    s.OpenKey("General");
    EXPECT_FALSE(s.ReadBool("ShowSplash", true));
    EXPECT_TRUE(s.ReadBool("Vrai", false));
    EXPECT_EQ(s.ReadInteger("Min", INT_MIN, 5, INT_MAX), INT_MIN);
    EXPECT_EQ(s.ReadInteger("Max", INT_MIN, 5, INT_MAX), INT_MAX);
    EXPECT_EQ(s.ReadInteger("Zero", -10, 5, 10), 0);
    EXPECT_EQ(s.ReadInteger("Max", 0, 5, 30), 30);  // clamped
    EXPECT_EQ(s.ReadInteger("Min", 0, 5, 30), 0);
    EXPECT_EQ(s.ReadInteger("Absent", 0, 50, 30), 50);  // the default is not clamped
    EXPECT_EQ(s.ReadString("UserName", "?"), "Zoé « Ÿ » Œuvre");
    EXPECT_EQ(s.ReadString("username", "?"), "Zoé « Ÿ » Œuvre");
    EXPECT_EQ(s.ReadString("Blancs", "?"), "  autour  ");
    EXPECT_EQ(s.ReadString("Vide", "?"), "");
    EXPECT_EQ(s.ReadString("RetAddr", "?"), "Jeanne Dupont\r\n12 rue des Lilas\r\n75001 Paris");
    EXPECT_EQ(s.ReadString("Pourcent", "?"), "100 % = 0x01 \x01");
    EXPECT_EQ(s.ReadString("Absent", "défaut"), "défaut");
    s.OpenKey("Internal\\Menus");
    EXPECT_TRUE(s.ReadBool("ShowHotKeys", false));
    EXPECT_EQ(s.ReadBinary("MainMenu_Fr"), (std::vector<uint8_t>{0x0A, 0xFF, 0x00, 0x7F, 0x80}));
    EXPECT_EQ(s.ReadLongString("FontHistory", "?"), "Arial||Times New Roman||Verdana");
    EXPECT_EQ(s.ReadLongString("Empty", "?"), "");
    EXPECT_EQ(s.ReadLongString("Missing", "défaut"), "défaut");
    EXPECT_EQ(s.ReadLongString("EnvStyle", "?"), SampleRtf());
}

// A store that counts the reads of a long string's pieces.
class TCountingStore : public TSettingsStorage {
public:
    std::map<std::string, std::string> Values;
    int32_t Reads = 0;
    int32_t ReadInteger(const std::string& name, int32_t minimum, int32_t def, int32_t maximum) override
    {
        auto it = Values.find(name);
        return it == Values.end() ? def : std::clamp(std::atoi(it->second.c_str()), minimum, maximum);
    }
    std::string ReadString(const std::string& name, const std::string& def) override
    {
        ++Reads;
        auto it = Values.find(name);
        return it == Values.end() ? def : it->second;
    }
};

}  // namespace

TEST(SettingsStorage, TheNullStoreGivesEveryDefault)
{
    TSettingsStorage s;
    s.OpenKey("General");
    s.WriteInteger("x", 3);
    s.WriteString("y", "z");
    EXPECT_FALSE(s.KeyExists("General"));
    EXPECT_TRUE(s.ReadBool("x", true));
    EXPECT_EQ(s.ReadInteger("x", 0, 50, 30), 50);
    EXPECT_EQ(s.ReadString("y", "d"), "d");
    EXPECT_EQ(s.ReadLongString("y", "long"), "long");
    EXPECT_TRUE(s.ReadBinary("y").empty());
    uint8_t buffer[2] = {7, 7};
    EXPECT_FALSE(s.ReadBinary("y", buffer, 2));
    EXPECT_EQ(buffer[0], 7);
}

TEST(SettingsStorage, RegistryAndIniStoresReadBackEveryKindAfterARestart)
{
    const std::string dir = MakeTestDir("roundtrip");
    const std::string ini = AnsiFromUtf8(dir) + "/Eldravin.ini";
    TRegistryStore store(dir + "/registry");
    {
        TRegistryEx reg(store);
        reg.Prefix = kPrefix;
        WriteSample(reg);
        reg.Flush();
        TIniFile file(ini, true);
        file.Prefix = "";
        WriteSample(file);
    }
    TRegistryStore restarted(dir + "/registry");
    TRegistryEx reg(restarted);
    reg.Prefix = kPrefix;
    CheckSample(reg);
    TIniFile file(ini, false);
    CheckSample(file);
}

TEST(SettingsStorage, LongStringsAreCutBetweenCharactersAboveBlank)
{
    struct TCase {
        std::string Text;
        std::vector<size_t> Sizes;
    };
    std::string blankAtCut = std::string(511, 'a') + " b" + std::string(600, 'c');
    std::string blankAfterCut = std::string(512, 'a') + "  " + std::string(10, 'c');
    const TCase cases[] = {
        {std::string(1030, 'x'), {512, 512, 6}},
        {std::string(512, 'x'), {512}},
        {std::string(513, 'x'), {512, 1}},
        {blankAtCut, {513, 512, 88}},
        {blankAfterCut, {515, 9}},
        {std::string(1000, ' '), {1000}},
        {"", {}},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> pieces = SplitLongString(c.Text);
        std::vector<size_t> sizes;
        std::string joined;
        for (const std::string& p : pieces) {
            sizes.push_back(p.size());
            joined += p;
        }
        EXPECT_EQ(joined, c.Text);
        EXPECT_EQ(sizes, c.Sizes) << c.Text.substr(0, 20);
        for (size_t i = 0; i + 1 < pieces.size(); ++i) {
            EXPECT_GT(static_cast<uint8_t>(pieces[i].back()), 32);
            EXPECT_GT(static_cast<uint8_t>(pieces[i + 1].front()), 32);
        }
    }
}

TEST(SettingsStorage, ADamagedPieceCountDoesNotHoldUpALongStringRead)
{
    // A count far beyond the pieces stored (a damaged or hand-edited store)
    // reads the pieces there are and stops at the first one missing.
    struct TCase {
        std::map<std::string, std::string> Values;
        std::string Expected;
        int32_t MaxReads;
    };
    const TCase cases[] = {
        {{{"Count", "2147483647"}, {"0", "Arial||"}, {"1", "Verdana"}}, "Arial||Verdana", 3},
        {{{"Count", "2"}, {"0", "Arial||"}, {"1", "Verdana"}}, "Arial||Verdana", 2},
        {{{"Count", "1000000000"}}, "", 1},
        {{{"Count", "0"}}, "", 0},
    };
    for (const TCase& c : cases) {
        TCountingStore store;
        store.Values = c.Values;
        EXPECT_EQ(store.ReadLongString("FontHistory", "défaut"), c.Expected);
        EXPECT_LE(store.Reads, c.MaxReads);
    }
}

TEST(SettingsStorage, BinaryBlocksAreLowerCaseHexAndReadInEitherCase)
{
    const std::string ini = AnsiFromUtf8(MakeTestDir("binary")) + "/b.ini";
    {
        TIniFile w(ini, true);
        const uint8_t two[2] = {0x0A, 0xFF};
        w.WriteBinary("Bloc", two, 2);
        EXPECT_EQ(w.OutputLines(), (std::vector<std::string>{"[Bloc]", "Count=1", "0=0aff"}));
    }
    WriteTestFile(Utf8FromAnsi(ini), "[Upper]\r\nCount=1\r\n0=0AFF\r\n"
                                     "[Broken]\r\nCount=1\r\n0=0aZZ11\r\n"
                                     "[Odd]\r\nCount=1\r\n0=abc\r\n");
    TIniFile r(ini, false);
    EXPECT_EQ(r.ReadBinary("Upper"), (std::vector<uint8_t>{0x0A, 0xFF}));
    // Digits that stop being hexadecimal leave zeros, never stray memory.
    EXPECT_EQ(r.ReadBinary("Broken"), (std::vector<uint8_t>{0x0A, 0x00, 0x00}));
    EXPECT_EQ(r.ReadBinary("Odd"), (std::vector<uint8_t>{0xAB}));
    EXPECT_TRUE(r.ReadBinary("Missing").empty());

    // Read into a record of a known size: a shorter block is padded with zeros.
    uint8_t record[4] = {9, 9, 9, 9};
    EXPECT_TRUE(r.ReadBinary("Upper", record, 4));
    EXPECT_EQ(std::vector<uint8_t>(record, record + 4), (std::vector<uint8_t>{0x0A, 0xFF, 0, 0}));
    uint8_t one = 9;
    EXPECT_TRUE(r.ReadBinary("Upper", &one, 1));
    EXPECT_EQ(one, 0x0A);
    EXPECT_FALSE(r.ReadBinary("Missing", record, 4));
    EXPECT_EQ(record[0], 0x0A);
}

TEST(SettingsStorage, RegistryValuesOfAnotherTypeGiveTheDefault)
{
    TRegistryStore store(MakeTestDir("wrongtype") + "/registry");
    {
        TRegistry raw(store);
        ASSERT_TRUE(raw.OpenKey("\\P\\General", true));
        raw.WriteString("Nombre", "12");
        raw.WriteInteger("Texte", 12);
        const char b[2] = {1, 2};
        raw.WriteBinaryData("Bool", b, 2);
        raw.WriteInteger("Grand", 50);
    }
    TRegistryEx reg(store);
    reg.Prefix = "\\P\\";
    reg.OpenKey("General");
    EXPECT_EQ(reg.ReadInteger("Nombre", 0, 7, 100), 7);
    EXPECT_EQ(reg.ReadString("Texte", "d"), "d");
    EXPECT_TRUE(reg.ReadBool("Bool", true));
    EXPECT_FALSE(reg.ReadBool("Bool", false));
    EXPECT_EQ(reg.ReadInteger("Grand", 0, 5, 30), 30);
    EXPECT_EQ(reg.ReadInteger("Grand", 60, 5, 100), 60);
}

TEST(SettingsStorage, RegistryKeysOpenFromTheRootWhateverKeyIsCurrent)
{
    TRegistryStore store(MakeTestDir("root") + "/registry");
    TRegistryEx reg(store);
    reg.Prefix = "";  // as the sound-scheme look-up uses it
    reg.OpenKey("AppEvents\\Schemes");
    reg.WriteString("a", "1");
    reg.OpenKey("AppEvents\\Schemes");  // not AppEvents\Schemes\AppEvents\Schemes
    EXPECT_EQ(reg.ReadString("a", "?"), "1");
    EXPECT_TRUE(reg.KeyExists("AppEvents"));
    EXPECT_FALSE(reg.KeyExists("Schemes"));
    EXPECT_EQ(reg.Registry().RootKey(), HKEY_CURRENT_USER);
}

TEST(IniFile, TheProgramsDialectAsWritten)
{
    const std::string ini = AnsiFromUtf8(MakeTestDir("dialect")) + "/d.ini";
    WriteTestFile(Utf8FromAnsi(ini),
                  "avant=ignoré\r\n"
                  "[General]\r\n"
                  "A=1\r\n"
                  "b = 2\r\n"
                  "x\r\n"
                  "sans egal\r\n"
                  "Val=a=b\r\n"
                  "Double=premier\n"
                  "[Autre]\r"
                  "n=$1F\r\n"
                  "h=0x10\r\n"
                  "neg=-7\r\n"
                  "bad=12abc\r\n"
                  "big=99999999999\r\n"
                  "[general]\r\n"
                  "C=3\r\n"
                  "Double=second\r\n"
                  "[Sans fin\r\n"
                  "z=1\r\n");
    TIniFile f(ini, false);
    EXPECT_TRUE(f.KeyExists("GENERAL"));
    EXPECT_TRUE(f.KeyExists("Sans fi"));  // the last character of a header is dropped whatever it is
    f.OpenKey("General");
    EXPECT_TRUE(f.ReadBool("a", false));
    EXPECT_EQ(f.ReadString("b", "défaut"), "défaut");  // the stored name is "b "
    EXPECT_EQ(f.ReadString("b ", "défaut"), " 2");
    EXPECT_EQ(f.ReadString("x", "d"), "d");
    EXPECT_EQ(f.ReadString("sans egal", "d"), "d");
    EXPECT_EQ(f.ReadString("Val", "d"), "a=b");
    EXPECT_EQ(f.ReadInteger("C", 0, 0, 10), 3);  // sections given twice are merged
    EXPECT_EQ(f.ReadString("Double", "d"), "second");
    EXPECT_EQ(f.ReadString("avant", "d"), "d");
    f.OpenKey("Autre");
    EXPECT_EQ(f.ReadInteger("n", 0, 0, 100), 31);
    EXPECT_EQ(f.ReadInteger("h", 0, 0, 100), 16);
    EXPECT_EQ(f.ReadInteger("neg", -100, 0, 100), -7);
    EXPECT_EQ(f.ReadInteger("bad", 0, 5, 100), 5);
    EXPECT_EQ(f.ReadInteger("big", 0, 5, 100), 5);
    EXPECT_FALSE(f.ReadBool("n", true));  // only "1" is true
    f.OpenKey("Nulle part");
    EXPECT_EQ(f.ReadString("n", "d"), "d");

    // A missing or unreadable file reads as empty.
    TIniFile none(ini + ".absent", false);
    EXPECT_FALSE(none.KeyExists("General"));
    none.OpenKey("General");
    EXPECT_EQ(none.ReadInteger("A", 0, 4, 9), 4);
}

TEST(IniFile, WritingReplacesTheFileWhenTheStoreIsFreed)
{
    const std::string dir = MakeTestDir("write");
    const std::string ini = AnsiFromUtf8(dir) + "/Eldravin.ini";
    WriteTestFile(Utf8FromAnsi(ini), "[Old]\r\nx=1\r\n");
    {
        TIniFile w(ini, true);
        w.Prefix = "P\\";
        w.OpenKey("General");
        w.WriteBool("B", true);
        w.WriteInteger("I", -5);
        w.WriteString("S", "  texte = brut ");
        w.OpenKey("Second");
        EXPECT_EQ(ReadTestFile(Utf8FromAnsi(ini)), "[Old]\r\nx=1\r\n");  // nothing before the store is freed
    }
    EXPECT_EQ(ReadTestFile(Utf8FromAnsi(ini)),
              "[P\\General]\r\nB=1\r\nI=-5\r\nS=  texte = brut \r\n\r\n[P\\Second]\r\n");
    // Values that would break the line structure are escaped and come back whole.
    EXPECT_EQ(EncodeIniValue("a\r\nb%"), "\x01" "a%0D%0Ab%25");
    EXPECT_EQ(DecodeIniValue("\x01" "a%0D%0Ab%25"), "a\r\nb%");
    EXPECT_EQ(EncodeIniValue("C:\\100%"), "C:\\100%");
    EXPECT_EQ(DecodeIniValue("C:\\100%"), "C:\\100%");

    // A name that does not fit the file system's names is reported by Flush.
    TIniFile bad(AnsiFromUtf8(dir) + "/absent/folder/x.ini", true);
    bad.OpenKey("General");
    EXPECT_THROW(bad.Flush(), EInOutError);
}
