// The toolbar settings: the command list text, the settings file written and
// read back, keys that are missing, damaged lists and the built-in defaults.
#include "shell/toolbars/ToolbarSettings.h"

#include "foundation/settings/IniFile.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr TCommandId sep = cmToolbarSeparator;

std::string ReadAll(const std::string& path)
{
    std::string text = ReadTestFile(path);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

}  // namespace

TEST(ToolbarCommandListText, EncodesAndDecodesIdsAsEightHexDigits)
{
    struct TCase {
        TCommandList List;
        std::string Text;
    };
    const TCase cases[] = {
        {{}, ""},
        {{100}, "00000064"},
        {{100, sep, 6263}, "000000647FFFFFFF00001877"},
        {{206100, 2000000000}, "0003251477359400"},
        {{-1}, "FFFFFFFF"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(EncodeCommandList(c.List), c.Text);
        TCommandList back;
        EXPECT_EQ(DecodeCommandList(c.Text, back), 0);
        EXPECT_EQ(back, c.List);
    }
}

TEST(ToolbarCommandListText, ShortTailsDamagedGroupsAndTheRetiredIdAreLeftOut)
{
    struct TCase {
        const char* Name;
        std::string Text;
        TCommandList List;
        int Dropped;
    };
    const TCase cases[] = {
        // 20 characters: two ids, the last four characters ignored.
        {"short tail", "0000006400000078ABCD", {100, 120}, 0},
        // Lower-case digits read like upper-case ones.
        {"lower case", "7fffffff", {sep}, 0},
        // A group with a character that is no digit gives no made-up id.
        {"damaged group", "00000064000x0078000000B4", {100, 180}, 1},
        {"retired id", "0000181F000000640000181F", {100}, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TCommandList list{1, 2, 3};
        EXPECT_EQ(DecodeCommandList(c.Text, list), c.Dropped);
        EXPECT_EQ(list, c.List);
    }
}

TEST(ToolbarSettings, DefaultsShowTheFirstThreeToolbarsAndThePreviewToolbarInPreview)
{
    TToolbarSettings s;
    bool preview = false;
    s.PreviewMode = [&] { return preview; };
    s.SetDefaults();
    EXPECT_TRUE(s.FlatButtons);
    EXPECT_FALSE(s.LargeButtons);
    EXPECT_TRUE(s.DropDownMenus && s.ComboBoxHints && s.ShowHotKeys);
    EXPECT_EQ(s.CountVisibleToolbars(), 3);
    preview = true;
    EXPECT_EQ(s.CountVisibleToolbars(), 1);
    EXPECT_EQ(s.Toolbar(tbStandard).Commands.size(), 27u);
    EXPECT_EQ(s.Toolbar(tbStandard).Commands.back(), cmSwitchToolbarCommandSet);
    EXPECT_EQ(s.Toolbar(tbFormatting).Commands.front(), 209050);
    EXPECT_EQ(s.Toolbar(tbFormatting).AlternativeCommands.size(), 36u);
    EXPECT_EQ(s.Toolbar(tbPreview).Commands, s.Toolbar(tbPreview).AlternativeCommands);
    EXPECT_EQ(s.Toolbar(tbHeaderFooter).Commands.front(), 3570);
    // The alternative set is the one in force while the owner says so.
    bool alternative = true;
    s.AlternativeSet = [&] { return alternative; };
    EXPECT_EQ(&s.Toolbar(tbExtended).CurrentCommands(), &s.Toolbar(tbExtended).AlternativeCommands);
}

TEST(ToolbarSettings, WrittenSettingsReadBackAlikeAndTheHeaderToolbarKeepsItsBuiltInLists)
{
    const std::string path = MakeTestDir("tbsettings") + "/Eldravin.ets";
    TToolbarSettings written;
    written.SetDefaults();
    written.FlatButtons = false;
    written.LargeButtons = true;
    written.ShowHotKeys = false;
    written.Toolbar(tbStandard).Visible = false;
    written.Toolbar(tbExtended).Visible_Preview = true;
    written.Toolbar(tbStandard).Commands = {100, sep, 6263};
    written.Toolbar(tbFormatting).AlternativeCommands = {};
    written.Toolbar(tbHeaderFooter).Commands = {100};
    written.SaveToFile(path);

    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("[General Settings]\nFlatButtons=0\nLargeButtons=1\nDropDownMenus=1\nComboBoxHints=1\n"
                         "ShowHotKeys=0\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("[STANDARD]\nVisible=0\nVisible_Preview=0\nCommands=000000647FFFFFFF00001877\n"),
              std::string::npos)
        << text;
    // Five sections: the header-and-footer toolbar is never written.
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), 5) << text;
    EXPECT_NE(text.find("[PREVIEW]"), std::string::npos);

    TToolbarSettings read;
    EXPECT_TRUE(read.LoadFromFile(path));
    EXPECT_FALSE(read.Modified);
    EXPECT_EQ(read.FlatButtons, written.FlatButtons);
    EXPECT_EQ(read.LargeButtons, written.LargeButtons);
    EXPECT_EQ(read.ShowHotKeys, written.ShowHotKeys);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read.Toolbar(i).Visible, written.Toolbar(i).Visible);
        EXPECT_EQ(read.Toolbar(i).Visible_Preview, written.Toolbar(i).Visible_Preview);
        EXPECT_EQ(read.Toolbar(i).Commands, written.Toolbar(i).Commands);
        EXPECT_EQ(read.Toolbar(i).AlternativeCommands, written.Toolbar(i).AlternativeCommands);
    }
    EXPECT_EQ(read.Toolbar(tbHeaderFooter).Commands, DefaultToolbarCommands(tbHeaderFooter, false));
}

TEST(ToolbarSettings, MissingKeysTakeTheirDefaultsAndRetiredIdsMarkTheSettingsModified)
{
    const std::string path = MakeTestDir("tbmissing") + "/tb.ets";
    WriteTestFile(path,
                  "[General Settings]\nFlatButtons=0\nLargeButtons=1\n"
                  "[STANDARD]\nVisible=1\n"
                  "[FORMATTING]\nCommands=0000181F00002FD0\n");
    TToolbarSettings s;
    EXPECT_TRUE(s.LoadFromFile(path));
    EXPECT_FALSE(s.FlatButtons);
    EXPECT_TRUE(s.LargeButtons);
    EXPECT_TRUE(s.DropDownMenus);
    // No "Commands" key: an empty toolbar, not the built-in list.
    EXPECT_TRUE(s.Toolbar(tbStandard).Commands.empty());
    EXPECT_TRUE(s.Toolbar(tbExtended).Visible);
    EXPECT_EQ(s.Toolbar(tbFormatting).Commands, (TCommandList{12240}));
    EXPECT_TRUE(s.Modified);

    // With visual themes in force the stored "0" still gives flat buttons,
    // and the next save writes "1".
    TToolbarSettings themed;
    themed.ThemesInForce = [] { return true; };
    themed.LoadFromFile(path);
    EXPECT_TRUE(themed.FlatButtons);
    themed.SaveToFile(path);
    EXPECT_NE(ReadAll(path).find("FlatButtons=1"), std::string::npos);
}

TEST(ToolbarSettings, AFileWithNoToolbarSectionIsNotRecognised)
{
    const std::string dir = MakeTestDir("tbdamaged");
    static const char binary[] = "\0\x01\xFF garbage\n=\n[";
    const std::string cases[] = {"", std::string(binary, sizeof binary - 1), "[Autre]\nCommands=00000064\n"};
    for (const std::string& content : cases) {
        WriteTestFile(dir + "/tb.ets", content);
        TToolbarSettings s;
        EXPECT_FALSE(s.LoadFromFile(dir + "/tb.ets"));
    }
    TToolbarSettings s;
    EXPECT_FALSE(s.LoadFromFile(dir + "/absent.ets"));
}

TEST(ToolbarSettings, AssignCopiesEverythingButTheModifiedFlag)
{
    TToolbarSettings a, b;
    a.SetDefaults();
    a.LargeButtons = true;
    a.Toolbar(tbStandard).Commands = {100};
    a.Toolbar(tbPreview).Visible = false;
    a.Modified = true;
    b.Assign(a);
    EXPECT_TRUE(b.LargeButtons);
    EXPECT_EQ(b.Toolbar(tbStandard).Commands, (TCommandList{100}));
    EXPECT_FALSE(b.Toolbar(tbPreview).Visible);
    EXPECT_EQ(b.Toolbar(tbFormatting).AlternativeCommands, a.Toolbar(tbFormatting).AlternativeCommands);
    EXPECT_FALSE(b.Modified);
}
