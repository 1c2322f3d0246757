// Keyboard layouts (compiled by xkbcommon from the system's xkb data) and the
// language names: the desktop's layout list, the character a key gives under
// the French, German and US layouts, the conversion of a character typed
// under the wrong layout, and the names and history of languages.
#include "foundation/managers/LanguageManager.h"
#include "foundation/languages/LayoutManager.h"

#include "foundation/settings/IniFile.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"
#include "platform/testing/Testing.h"
#include "platform/win/KeyboardLayouts.h"
#include "platform/win/Messages.h"

#include <gtest/gtest.h>

namespace {

constexpr HKL French = 0x040C040C, German = 0x04070407, UnitedStates = 0x04090409;

class KeyboardLayoutsTest : public ::testing::Test {
protected:
    void SetUp() override { SetKeyboardLayoutNames({"fr", "de", "us"}); }
    void TearDown() override { SetKeyboardLayoutNames({"fr"}); }

    static char Typed(HKL layout, uint32_t vk, bool shift = false, bool altGr = false)
    {
        uint8_t state[256] = {};
        if (shift)
            state[VK_SHIFT] = 0x80;
        if (altGr)
            state[VK_CONTROL] = state[VK_MENU] = 0x80;
        uint16_t c = 0;
        return ToAsciiEx(vk, 0, state, &c, 0, layout) == 1 ? static_cast<char>(c) : '\0';
    }
};

TEST_F(KeyboardLayoutsTest, DesktopLayoutsInOrderWithTheirLanguages)
{
    EXPECT_EQ(GetKeyboardLayoutList(), (std::vector<HKL>{French, German, UnitedStates}));
    EXPECT_EQ(GetActiveKeyboardLayout(), French);
    EXPECT_TRUE(ActivateKeyboardLayout(German));
    EXPECT_EQ(GetKeyboardLayout(0), German);
    EXPECT_FALSE(ActivateKeyboardLayout(0x04100410));  // Italian is not offered
    EXPECT_EQ(KeyboardLayoutName(UnitedStates), "us");
    // A name xkb does not know is dropped.
    SetKeyboardLayoutNames({"de", "xx-unknown", "us"});
    EXPECT_EQ(GetKeyboardLayoutList(), (std::vector<HKL>{German, UnitedStates}));
}

TEST_F(KeyboardLayoutsTest, CharacterOfAKeyUnderEachLayout)
{
    struct TCase {
        uint32_t Vk;
        bool Shift, AltGr;
        char French, German, UnitedStates;
    };
    // What the keyboards print on their keys.
    const TCase cases[] = {
        {'A', false, false, 'a', 'a', 'a'},
        {'Z', true, false, 'Z', 'Z', 'Z'},
        {'2', false, false, '\xE9', '2', '2'},  // é on the French key
        {'2', true, false, '2', '"', '@'},
        {'7', false, false, '\xE8', '7', '7'},  // è
        {'9', false, false, '\xE7', '9', '9'},  // ç
        {'0', false, false, '\xE0', '0', '0'},  // à
        {'0', false, true, '@', '}', '\0'},
        {'E', false, true, '\x80', '\x80', '\0'},  // € with AltGr; the US layout has none
        {VK_SPACE, false, false, ' ', ' ', ' '},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(Typed(French, c.Vk, c.Shift, c.AltGr), c.French) << c.Vk << " " << c.Shift << c.AltGr;
        EXPECT_EQ(Typed(German, c.Vk, c.Shift, c.AltGr), c.German) << c.Vk << " " << c.Shift << c.AltGr;
        EXPECT_EQ(Typed(UnitedStates, c.Vk, c.Shift, c.AltGr), c.UnitedStates) << c.Vk << " " << c.Shift << c.AltGr;
    }
    // Ctrl alone types nothing; an unknown layout types nothing.
    uint8_t ctrl[256] = {};
    ctrl[VK_CONTROL] = 0x80;
    uint16_t out = 0;
    EXPECT_EQ(ToAsciiEx('A', 0, ctrl, &out, 0, French), 0);
    EXPECT_EQ(Typed(0x12345678, 'A'), '\0');
}

TEST_F(KeyboardLayoutsTest, KeyThatTypesACharacter)
{
    struct TCase {
        char Character;
        HKL Layout;
        int16_t Key;  // virtual key, shifts in the high byte
    };
    const TCase cases[] = {
        {'a', French, 'A'},           {'1', French, 0x100 | '1'}, {'\xE9', French, '2'},
        {'@', French, 0x600 | '0'},   {'@', UnitedStates, 0x100 | '2'}, {'y', German, 'Y'},
        {'\xE9', UnitedStates, -1},   {'\xDF', German, static_cast<int16_t>(0xDB)},  // ß
    };
    for (const TCase& c : cases)
        EXPECT_EQ(VkKeyScanEx(c.Character, c.Layout), c.Key) << c.Character << " " << c.Layout;
}

TEST_F(KeyboardLayoutsTest, TranslateCharRetypesUnderAnotherLayout)
{
    TLayoutManager manager;
    manager.LoadLayouts();
    ASSERT_EQ(manager.Layouts().size(), 3u);
    const TLayout& fr = *manager.Layouts()[0];
    const TLayout& de = *manager.Layouts()[1];
    const TLayout& us = *manager.Layouts()[2];
    EXPECT_EQ(fr.Name, GetLanguageManager().GetLanguageName(0x040C));
    EXPECT_EQ(fr.KeyTable[static_cast<uint8_t>('\xE9')], '2');
    struct TCase {
        char From;
        const TLayout& Source;
        const TLayout& Target;
        char To;
    };
    const TCase cases[] = {
        {'\xE9', fr, us, '2'},  // é was typed on the key that gives 2 in the US layout
        {'2', fr, us, '@'},     // a shifted key stays shifted
        {'"', de, us, '@'},
        {'@', us, fr, '2'},     // Shift+2 on the French keyboard
        {'\xA7', fr, fr, '\xA7'},  // §, Shift on its key
        {'\x80', us, fr, '\x80'},  // no US key types €: unchanged
        {'x', fr, de, 'x'},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(manager.TranslateChar(c.From, c.Source, c.Target), c.To) << c.From;
    // A key the target layout gives no character for yields a space.
    TLayout none;
    none.Handle = 0x12345678;
    EXPECT_EQ(manager.TranslateChar('a', fr, none), ' ');

    ActivateKeyboardLayout(UnitedStates);
    manager.UpdateCurrentLayout();
    EXPECT_EQ(manager.CurrentIndex(), 2);
    EXPECT_EQ(manager.IndexOfLanguage(0x0407), 1);
    EXPECT_EQ(manager.IndexOfLanguage(0x0410), 2);  // none: the current one
}

TEST(LanguageManagerTest, NamesInFrench)
{
    TLanguageManager& languages = GetLanguageManager();
    EXPECT_FALSE(languages.Names().empty());
    struct TCase {
        int32_t Language;
        const char* Name;
    };
    const TCase cases[] = {
        {0x400, "( aucune )"},
        {static_cast<int32_t>(0x80000000u), "( aucune )"},
        {0x040C, "Français (France)"},
        {0x0407, "Allemand (Allemagne)"},
        {0x0409, "Anglais (États-Unis)"},
        {0x7FFF, "( Autre langue (ID: 32767) )"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(languages.GetLanguageName(c.Language), c.Name) << c.Language;
    // Sorted by name.
    for (size_t i = 1; i < languages.Names().size(); ++i)
        EXPECT_LE(AnsiCompareText(languages.Names()[i - 1].Name, languages.Names()[i].Name), 0);
}

TEST(LanguageManagerTest, HistoryKeepsEightMostRecentFirstAndIsStored)
{
    TLanguageManager languages;
    for (int32_t id : {0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408})
        languages.AddToHistory(id);
    languages.AddToHistory(0x0405);  // again: moves first
    languages.AddToHistory(0x0409);  // a ninth: the oldest goes
    EXPECT_EQ(languages.History(),
              (std::vector<int32_t>{0x0409, 0x0405, 0x0408, 0x0407, 0x0406, 0x0404, 0x0403, 0x0402}));

    const std::string path = MakeTestDir("LangHistory") + "/settings.ini";
    {
        TIniFile store(path, true);
        languages.SaveHistory(store);
    }
    TLanguageManager read;
    TIniFile store(path, false);
    read.LoadHistory(store);
    EXPECT_EQ(read.History(), languages.History());

    // Without a stored history: the user's language.
    TLanguageManager fresh;
    TIniFile empty(MakeTestDir("LangHistoryEmpty") + "/settings.ini", false);
    fresh.LoadHistory(empty);
    EXPECT_EQ(fresh.History(), std::vector<int32_t>{GetUserDefaultLangID()});
}

TEST(LanguageManagerTest, RecordsAndCharsets)
{
    int32_t records[3][5] = {{0x040C, 0, 0, 0, 0}, {0x0407, 2, 0, 0, 0}, {0x040C, 1, 0, 0, 0}};
    EXPECT_EQ(TLanguageManager::IndexOfLanguageRecord(records, 2, 0x040C), 2);  // the first with a count
    EXPECT_EQ(TLanguageManager::IndexOfLanguageRecord(records, 1, 0x040C), -1);
    EXPECT_EQ(TLanguageManager::IndexOfLanguageRecord(records, 2, 0x0407), 1);

    TLanguageManager& languages = GetLanguageManager();
    constexpr uint8_t Ansi = 0, Greek = 161;
    EXPECT_EQ(languages.LanguageForCharset(Ansi, 0x040C), 0x040C);
    const int32_t greek = languages.LanguageForCharset(Greek, 0x040C);
    EXPECT_EQ(PRIMARYLANGID(static_cast<LANGID>(greek)), 0x08);  // Greek
}

} // namespace
