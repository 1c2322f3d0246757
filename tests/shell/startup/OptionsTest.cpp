// The options holder: every plain key with its default, its clamp and a damaged
// value; the special values; saving and reading back through the registry and
// an INI file; the choice of the store by switches and medium.
#include "formats/html/HtmlExport.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/FileList.h"
#include "foundation/settings/IniFile.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"
#include "platform/win/Windows.h"
#include "shell/BaseForms.h"
#include "shell/about/AboutBox.h"
#include "shell/about/VersionInfo.h"
#include "shell/options/OptionsHolder.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class TAnswerAll : public TMessageAnswerer {
public:
    TAnswerAll() : FPrevious(SetMessageAnswerer(this)) {}
    ~TAnswerAll() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        Texts.push_back(request.Text);
        return mrOk;
    }
    std::vector<std::string> Texts;

private:
    TMessageAnswerer* FPrevious;
};

void EmptyRegistry();

// A fresh registry (the test run's store emptied of the product key) and the
// program's arguments, folders and medium as the test says.
class OptionsTest : public testing::Test {
protected:
    OptionsTest()
    {
        InitBaseForms();
        ReadVersionInfo();
        FolderPath = MakeTestDir("options");
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        SetRemovableMediaQuery([this] { return Removable; });
        EmptyRegistry();
        FSavedDir = GetCurrentDir();
    }
    ~OptionsTest() override
    {
        SetCurrentDir(FSavedDir);
        SetRemovableMediaQuery(nullptr);
        SetProgramArguments(std::vector<std::string>{"eldravin"});
        DoneBaseForms();
    }
    void Args(std::vector<std::string> args)
    {
        args.insert(args.begin(), "eldravin");
        SetProgramArguments(std::move(args));
    }
    std::string IniPath() const { return FolderPath + "/Eldravin.ini"; }

    bool Removable = false;
    std::string FolderPath;
    TAnswerAll Messages;

private:
    std::string FSavedDir;
};

TSize ScreenSize()
{
    return GetScreenSize();
}

// The field of a key in a holder, as an integer (bools as 0 and 1) or a text.
std::string FieldText(const TOptionsHolder& holder, const TOptionKey& key)
{
    switch (key.Type()) {
    case TOptionType::Bool:
        return holder.*std::get<0>(key.Field) ? "1" : "0";
    case TOptionType::Int:
        return std::to_string(holder.*std::get<1>(key.Field));
    case TOptionType::Text:
        return holder.*std::get<2>(key.Field);
    }
    return {};
}

std::string DefaultText(const TOptionKey& key)
{
    switch (key.Type()) {
    case TOptionType::Bool:
        return key.BoolDefault ? "1" : "0";
    case TOptionType::Int:
        return std::to_string(key.IntDefault);
    case TOptionType::Text:
        return key.TextDefault;
    }
    return {};
}

std::string Id(const TOptionKey& key)
{
    return key.Key + "\\" + key.Name;
}

// The values that depend on the moment of loading (the current folder).
bool MomentDependent(const TOptionKey& key)
{
    return key.Name == "InitDir";
}

// The far corner of the floating palette is held at or beyond its near corner.
bool FollowsAnotherValue(const TOptionKey& key)
{
    return key.Name == "FloatFmtPlt_x2" || key.Name == "FloatFmtPlt_y2";
}

void EmptyRegistry()
{
    std::string key = SettingsKeyPrefix;
    key.pop_back();
    TRegistryEx registry;
    registry.Registry().DeleteKey(key);
    registry.Flush();
}

}  // namespace

TEST_F(OptionsTest, EveryKeyHasItsDefaultItsClampAndSurvivesADamagedValue)
{
    const TSize s = ScreenSize();
    const std::vector<TOptionKey> table = OptionKeyTable(s.cx, s.cy);
    ASSERT_GT(table.size(), 150u);

    // Nothing stored: every default, in both stores.
    {
        TSettingsStorage bare;
        TOptionsHolder holder;
        holder.Load(bare);
        for (const TOptionKey& k : table) {
            if (!MomentDependent(k)) {
                EXPECT_EQ(FieldText(holder, k), DefaultText(k)) << Id(k);
            }
        }
    }

    // Integers stored beyond both ends read as the ends; a value of another
    // type (damaged) reads as the default.
    for (int pass = 0; pass < 3; ++pass) {
        {
            TRegistryEx store;
            store.Prefix = SettingsKeyPrefix;
            for (const TOptionKey& k : table) {
                store.OpenKey(k.Key);
                if (k.Type() == TOptionType::Int && pass == 0 && k.Max < INT32_MAX)
                    store.WriteInteger(k.Name, k.Max + 1);
                else if (k.Type() == TOptionType::Int && pass == 1 && k.Min > INT32_MIN)
                    store.WriteInteger(k.Name, k.Min - 1);
                else if (pass == 2 && k.Type() != TOptionType::Text)
                    store.WriteString(k.Name, "n'importe quoi");
            }
            store.Flush();
        }
        TRegistryEx store;
        store.Prefix = SettingsKeyPrefix;
        TOptionsHolder holder;
        holder.Load(store);
        for (const TOptionKey& k : table) {
            if (MomentDependent(k) || FollowsAnotherValue(k) || k.Type() == TOptionType::Text)
                continue;
            std::string expected = DefaultText(k);
            if (pass == 0 && k.Type() == TOptionType::Int && k.Max < INT32_MAX)
                expected = std::to_string(k.Max);
            if (pass == 1 && k.Type() == TOptionType::Int && k.Min > INT32_MIN)
                expected = std::to_string(k.Min);
            EXPECT_EQ(FieldText(holder, k), expected) << Id(k) << " pass " << pass;
        }
        EXPECT_GE(holder.FloatFmtPlt_y2, holder.FloatFmtPlt_y1);
        EmptyRegistry();
    }

    // The same in an INI file: numbers out of range are clamped, text where a
    // number belongs gives the default.
    for (int pass = 0; pass < 2; ++pass) {
        {
            TIniFile store(IniPath(), true);
            store.Prefix = SettingsKeyPrefix;
            for (const TOptionKey& k : table) {
                if (k.Type() != TOptionType::Int)
                    continue;
                store.OpenKey(k.Key);
                store.WriteString(k.Name, pass == 0 ? (k.Max < INT32_MAX ? std::to_string(int64_t{k.Max} + 1) : "")
                                                    : "douze");
            }
            store.Flush();
        }
        TIniFile store(IniPath(), false);
        store.Prefix = SettingsKeyPrefix;
        TOptionsHolder holder;
        holder.Load(store);
        for (const TOptionKey& k : table) {
            if (k.Type() != TOptionType::Int || FollowsAnotherValue(k))
                continue;
            const std::string expected =
                pass == 0 && k.Max < INT32_MAX ? std::to_string(k.Max) : DefaultText(k);
            EXPECT_EQ(FieldText(holder, k), expected) << Id(k) << " ini pass " << pass;
        }
    }
}

TEST_F(OptionsTest, SpecialValuesReadAsTheirRulesSay)
{
    const TSize s = ScreenSize();
    {
        TRegistryEx store;
        store.Prefix = SettingsKeyPrefix;
        store.OpenKey("Internal\\TOC");
        store.WriteInteger("Levels", 12);
        store.OpenKey("Print");
        store.WriteInteger("BookletSize", 2);
        store.OpenKey("Internal\\MainWnd");
        store.WriteInteger("cx", s.cx + 500);
        store.OpenKey("Internal");
        // Ten answers: the rest are zero answers up to 32.
        store.WriteString("OptionalMsgs", "01020300000000000001");
        store.WriteString("FavFolder", "");
        store.OpenKey("DateTime");
        store.WriteInteger("Count", 2);
        store.OpenKey("DateTime\\0");
        store.WriteInteger("Lang", 1036);
        store.WriteInteger("DefDateFmt", -5);
        store.WriteString("Overrides", "d MMMM||||yyyy");
        store.OpenKey("DateTime\\1");
        store.WriteInteger("Lang", 1033);
        store.OpenKey("Autocorrect");
        store.WriteString("FileExts", "doc||rtf");
        store.OpenKey("SpellCheck");
        store.WriteString("Systems", "Français;English");
        store.OpenKey("LoadSave");
        store.WriteBool("ReloadDocs", false);
        store.WriteString("DocsToReload", "/tmp/a.rtf;");
        store.Flush();
    }
    TRegistryEx store;
    store.Prefix = SettingsKeyPrefix;
    TOptionsHolder holder;
    holder.Load(store);
    EXPECT_EQ(holder.Toc_Levels, 9);
    EXPECT_EQ(holder.BookletSize, 4);
    EXPECT_EQ(holder.MainWnd_cx, s.cx);
    ASSERT_EQ(holder.OptionalMsgs.size(), 32u);
    EXPECT_EQ(holder.OptionalMsgs[0], 1);
    EXPECT_EQ(holder.OptionalMsgs[2], 3);
    EXPECT_EQ(holder.OptionalMsgs[9], 1);
    EXPECT_EQ(holder.OptionalMsgs[31], 0);
    EXPECT_EQ(holder.FavFolder, ProgramFolder() + "Favoris");
    ASSERT_EQ(holder.DateTimeFormats.size(), 2u);
    EXPECT_EQ(holder.DateTimeFormats[0].DefDateFmt, 0);
    EXPECT_EQ(holder.DateTimeFormats[0].DefTimeFmt, -1);
    EXPECT_EQ(holder.DateTimeFormats[0].Overrides, (std::vector<std::string>{"d MMMM", "", "yyyy"}));
    EXPECT_EQ(holder.DateTimeFormats[1].Lang, 1033);
    EXPECT_EQ(holder.AutocorrectFileExts, "doc\nrtf");
    EXPECT_EQ(holder.SpellSystems, (std::vector<std::string>{"Français", "English"}));
    // The reload list is read only when reloading is on.
    EXPECT_EQ(holder.DocsToReload, "");
    // The normal view never keeps a mouse mode; the full-screen one does.
    EXPECT_EQ(holder.NormalView.MouseMode, 0);
    EXPECT_EQ(holder.FullScreenView.MouseMode, 3);
    EXPECT_TRUE(DirectoryExists(holder.BackupFolder));
}

TEST_F(OptionsTest, SavedOptionsComeBackThroughBothStores)
{
    auto fill = [](TOptionsHolder& h) {
        h.Toc_Levels = 5;
        h.DocsToKeep = 17;
        h.UsrName = "Jeanne Dupré";
        h.ReloadDocs = true;
        h.DocsToReload = "/tmp/lettre.rtf;";
        h.OptionalMsgs.assign(40, 0);
        h.OptionalMsgs[33] = 0xAB;
        h.MainMenuLayout = {1, 'A', 0x10, 0, 0, 0, 0xFF};
        h.HotKeyOverrides = {9, 8, 7};
        h.FindHistory = {"ancien", "récent"};
        h.FullScreenView.MouseMode = 5;
        h.NormalView.Ruler = false;
        h.RecentDocs->AddFile("/tmp/lettre.rtf");
        auto scheme = std::make_unique<TColorScheme>();
        scheme->Name = "Nuit";
        scheme->Colors[0] = 0x102030;
        h.UserSchemes.push_back(std::move(scheme));
        TLangDateTimeFormatInfo kept;
        kept.Lang = 1036;
        kept.DefDateFmt = 3;
        TLangDateTimeFormatInfo dropped;
        dropped.Lang = 1033;
        dropped.ToSave = false;
        h.DateTimeFormats = {kept, dropped};
        h.FavFolder = ProgramFolder() + "Favoris";  // the default: stored empty
        h.RunCount = 4;
        // The web-page export keeps its settings and picture counter in its own record.
        WebExportSettings().Keywords = "rapport";
        WebExportSettings().SeparateFolder = false;
        WebExportSettings().DefaultFormat = ifJpeg;
        WebExportSettings().PictureCounter = 42;
    };
    // The menu layout and the shortcut overrides are read by the start-up
    // sequence, not by Load.
    auto checkBlocks = [](TSettingsStorage& store) {
        EXPECT_EQ(store.ReadBinary("Internal\\Menus\\MainMenu_Fr"), (std::vector<uint8_t>{1, 'A', 0x10, 0, 0, 0, 0xFF}));
        EXPECT_EQ(store.ReadBinary("General\\HotKeyOverrides_fr"), (std::vector<uint8_t>{9, 8, 7}));
    };
    auto check = [](const TOptionsHolder& h) {
        EXPECT_EQ(h.Toc_Levels, 5);
        EXPECT_EQ(h.DocsToKeep, 17);
        EXPECT_EQ(h.UsrName, "Jeanne Dupré");
        EXPECT_EQ(h.DocsToReload, "/tmp/lettre.rtf;");
        ASSERT_EQ(h.OptionalMsgs.size(), 40u);
        EXPECT_EQ(h.OptionalMsgs[33], 0xAB);
        EXPECT_EQ(h.FindHistory, (std::vector<std::string>{"ancien", "récent"}));
        EXPECT_EQ(h.FullScreenView.MouseMode, 5);
        EXPECT_FALSE(h.NormalView.Ruler);
        ASSERT_EQ(h.RecentDocs->Paths().Count(), 1);
        EXPECT_EQ(h.RecentDocs->Paths().Strings(0), "/tmp/lettre.rtf");
        ASSERT_EQ(h.UserSchemes.size(), 1u);
        EXPECT_EQ(h.UserSchemes[0]->Name, "Nuit");
        EXPECT_EQ(h.UserSchemes[0]->Colors[0], 0x102030);
        ASSERT_EQ(h.DateTimeFormats.size(), 1u);
        EXPECT_EQ(h.DateTimeFormats[0].DefDateFmt, 3);
        EXPECT_EQ(h.FavFolder, ProgramFolder() + "Favoris");
        // Each save counts one more run; the version is this one's.
        EXPECT_EQ(h.RunCount, 5);
        EXPECT_EQ(h.Web_KWrds, "rapport");
        EXPECT_EQ(WebExportSettings().Keywords, "rapport");
        EXPECT_FALSE(WebExportSettings().SeparateFolder);
        EXPECT_EQ(WebExportSettings().DefaultFormat, ifJpeg);
        EXPECT_EQ(WebExportSettings().PictureCounter, 42);
    };

    TOptionsHolder saved;
    fill(saved);
    // The registry (no switch, fixed medium).
    SaveSettings(saved);
    {
        std::unique_ptr<TSettingsStorage> store = OpenSettingsStorageForLoad();
        ASSERT_NE(dynamic_cast<TRegistryEx*>(store.get()), nullptr);
        WebExportSettings() = TWebExportSettings{};
        TOptionsHolder loaded;
        loaded.Load(*store);
        check(loaded);
        store->OpenKey("Internal");
        EXPECT_EQ(store->ReadInteger("LastRunVer", INT32_MIN, 0, INT32_MAX), CurrentVersionNumber());
        EXPECT_EQ(store->ReadString("FavFolder", "x"), "");
        checkBlocks(*store);
    }
    // An INI file named by the switches.
    Args({"-ssi", "-lsi", "-sfn", IniPath()});
    SaveSettings(saved);
    ASSERT_TRUE(FileExists(IniPath()));
    std::unique_ptr<TSettingsStorage> store = OpenSettingsStorageForLoad();
    ASSERT_NE(dynamic_cast<TIniFile*>(store.get()), nullptr);
    WebExportSettings() = TWebExportSettings{};
    TOptionsHolder loaded;
    loaded.Load(*store);
    check(loaded);
    checkBlocks(*store);
    EXPECT_EQ(saved.Flags & TOptionsHolder::SavingToIniFile, 0);
}

TEST_F(OptionsTest, TheStoreFollowsTheSwitchesAndTheMedium)
{
    // Whether an "Eldravin.ini" lies beside the program (here: the file the
    // switch "sfn" names), the medium, the switches; the store read from.
    struct TCase {
        bool IniExists;
        bool Removable;
        std::vector<std::string> Switches;
        const char* Expected;  // "registry", "ini", "bare"
        bool Message;
    };
    const TCase cases[] = {
        {true, false, {}, "registry", false},
        {true, true, {}, "ini", false},
        {false, true, {}, "registry", false},
        {true, false, {"-lsi"}, "ini", false},
        {false, false, {"-lsi"}, "bare", true},
        {true, true, {"-lsr"}, "registry", false},
        {true, true, {"-dls"}, "bare", false},
        {true, true, {"-dls", "-lsi"}, "bare", false},
    };
    for (const TCase& c : cases) {
        DeleteFile(IniPath());
        if (c.IniExists)
            WriteTestFile(IniPath(), "[x]\r\n");
        Removable = c.Removable;
        std::vector<std::string> args = c.Switches;
        args.push_back("-sfn");
        args.push_back(IniPath());
        Args(args);
        Messages.Texts.clear();
        std::unique_ptr<TSettingsStorage> store = OpenSettingsStorageForLoad();
        std::string kind = dynamic_cast<TIniFile*>(store.get())     ? "ini"
                           : dynamic_cast<TRegistryEx*>(store.get()) ? "registry"
                                                                     : "bare";
        EXPECT_EQ(kind, c.Expected) << c.IniExists << c.Removable << args.front();
        EXPECT_EQ(store->Prefix, SettingsKeyPrefix);
        ASSERT_EQ(Messages.Texts.size(), c.Message ? 1u : 0u);
        if (c.Message) {
            EXPECT_EQ(Messages.Texts[0], "Impossible d'ouvrir le fichier \"" + IniPath() + "\".");
        }
    }

    // On removable media without the file, the first run reads the registry
    // and the shutdown writes a new file.
    DeleteFile(IniPath());
    Removable = true;
    Args({"-sfn", IniPath()});
    TOptionsHolder holder;
    SaveSettings(holder);
    EXPECT_TRUE(FileExists(IniPath()));
    // On a fixed drive the registry is written even with the file there.
    Removable = false;
    DeleteFile(IniPath());
    SaveSettings(holder);
    EXPECT_FALSE(FileExists(IniPath()));
    // "dss" writes nothing.
    Args({"-dss", "-ssi", "-sfn", IniPath()});
    SaveSettings(holder);
    EXPECT_FALSE(FileExists(IniPath()));
    // "dls" with "ssi": all defaults written as a complete file.
    Args({"-dls", "-ssi", "-sfn", IniPath()});
    {
        std::unique_ptr<TSettingsStorage> store = OpenSettingsStorageForLoad();
        TOptionsHolder fresh;
        fresh.Load(*store);
        SaveSettings(fresh);
    }
    const std::string text = ReadTestFile(IniPath());
    const TSize s = ScreenSize();
    for (const TOptionKey& k : OptionKeyTable(s.cx, s.cy)) {
        EXPECT_NE(text.find(std::string("[") + SettingsKeyPrefix + k.Key + "]"), std::string::npos) << k.Key;
        EXPECT_NE(text.find("\n" + k.Name + "="), std::string::npos) << k.Name;
    }
    EXPECT_NE(text.find("\nRunCount=1"), std::string::npos);
}

TEST(VersionTest, VersionTextAndNumbersAndTheAboutText)
{
    EXPECT_EQ(MakeVersionText("2.0"), "2.x Brightfold");
    EXPECT_EQ(MakeVersionText("1.5.3.1"), "1.x Brightfold");
    EXPECT_EQ(VersionNumberOf("1.5.1.0"), 10501000);
    EXPECT_EQ(VersionNumberOf("1.1.2.10"), 10102010);
    ReadVersionInfo();
    EXPECT_EQ(FileVersionText(), "1.5.1.0");
    EXPECT_EQ(VersionText(), "1.x Brightfold");
    EXPECT_EQ(CurrentVersionNumber(), 10501000);
    const std::string about = AboutText("1.5.1.0", true);
    EXPECT_EQ(about.rfind("Eldravin Brightfold (version: 1.5.1.0)\rPuissance de cryptage : 256 bits\r", 0), 0u);
    EXPECT_NE(AboutText("1.5.1.0", false).find(": 128 bits\r"), std::string::npos);
}
