// The shortcut manager: the program's default table, the user's overrides
// (and their bytes as the settings keep them), key strokes and chords turned
// into commands, the texts of shortcuts, the rules of assigning a shortcut and
// the desktop-wide keys.
#include "shell/commands/HotKeyManager.h"

#include "CommandTesting.h"
#include "foundation/MessageAnswers.h"
#include "platform/framework/menus/Menus.h"
#include "platform/win/KeyboardLayouts.h"
#include "platform/win/Messages.h"
#include "platform/win/WindowTable.h"

#include <gtest/gtest.h>

namespace {

constexpr THotKeyCode CtrlK = MakeHotKey(hkCtrl, 'K');

class HotKeyManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateCommandManager(Context);
        InstallHandlers(*CommandManager, Handler);
        // A changed document with a selection, that can undo and redo.
        Context.Active = &Document;
        Context.Doc.SelectionEmpty = false;
        Context.Doc.Modified = true;
        Context.Doc.CanUndo = Context.Doc.CanRedo = true;
    }
    void TearDown() override { FreeCommandManager(); }

    // Presses the keys with the modifiers as the key handlers see them.
    std::vector<TCommandId> Strokes(std::initializer_list<std::pair<uint8_t, uint16_t>> strokes)
    {
        Handler.Ran.clear();
        for (const auto& [mods, key] : strokes)
            Manager.TranslateKey(mods, key);
        return Handler.Ran;
    }

    TDocument Document{true};
    TTestCommandContext Context;
    TRecordingHandler Handler;
    THotKeyManager Manager;
};

TEST_F(HotKeyManagerTest, DefaultTableFromTheResource)
{
    ASSERT_EQ(Manager.DefaultCodes.size(), 152u);
    ASSERT_EQ(Manager.DefaultIds.size(), 152u);
    EXPECT_TRUE(std::is_sorted(Manager.DefaultIds.begin(), Manager.DefaultIds.end()));
    // The three chord prefixes lead the table.
    EXPECT_EQ(Manager.DefaultCodes[0], 0x00004B04u);
    EXPECT_EQ(Manager.DefaultCodes[1], 0x00004B05u);
    EXPECT_EQ(Manager.DefaultCodes[2], 0x00004B03u);
    struct TCase {
        TCommandId Id;
        THotKeyCode Code;  // the command's first default
    };
    const TCase cases[] = {
        {100, MakeHotKey(hkCtrl, 'N')},
        {180, MakeHotKey(hkCtrl, 'S')},  // Ctrl+S before F2
        {3000, MakeHotKey(0, VK_RETURN)},
        {3280, MakeHotKey(hkCtrl, 'K', 'Y')},
        {3340, MakeHotKey(hkCtrl, 'C')},
        {3646, MakeHotKey(hkCtrl | hkShift, VK_F1 + 4)},
        {3925, MakeHotKey(hkCtrl | hkShift, 'K', 'U')},
        {4120, MakeHotKey(hkAlt, 0x3D)},
        {9246, MakeHotKey(hkCtrl | hkShift, 'K', 0xDB)},
        {12280, MakeHotKey(hkCtrl | hkShift | hkAlt, VK_OEM_102)},
        {100070, MakeHotKey(hkShift, VK_F1)},
        {360, 0},  // quit has no default shortcut
        {90140, 0},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(Manager.GetCommandHotKey(c.Id), c.Code) << c.Id;
        if (c.Code != 0) {
            EXPECT_EQ(Manager.FindCommandByHotKey(c.Code), c.Id) << c.Id;
        }
    }
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(0, VK_F1 + 1)), 180);  // F2 saves too
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, VK_F1 + 10)), -1);
    EXPECT_EQ(Manager.FindCommandByHotKey(0), -1);
}

TEST_F(HotKeyManagerTest, OverridesRebindRemoveAndRestore)
{
    const THotKeyCode F2 = MakeHotKey(0, VK_F1 + 1), CtrlS = MakeHotKey(hkCtrl, 'S');
    // F2 taken by 3820: Ctrl+S still saves.
    Manager.SetCommandHotKey(3820, F2);
    EXPECT_EQ(Manager.FindCommandByHotKey(F2), 3820);
    EXPECT_EQ(Manager.FindCommandByHotKey(CtrlS), 180);
    EXPECT_EQ(Manager.GetCommandHotKey(3820), F2);
    // 180 rebound to Ctrl+F11: none of its defaults save any more.
    Manager.SetCommandHotKey(180, MakeHotKey(hkCtrl, VK_F1 + 10));
    EXPECT_EQ(Manager.FindCommandByHotKey(CtrlS), -1);
    EXPECT_EQ(Manager.FindCommandByHotKey(F2), 3820);
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, VK_F1 + 10)), 180);
    // Removing copy's shortcut stores a record of code 0: Ctrl+C and Ctrl+Insert do nothing.
    Manager.SetCommandHotKey(3340, 0);
    EXPECT_EQ(Manager.GetCommandHotKey(3340), 0u);
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, 'C')), -1);
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, VK_INSERT)), -1);
    EXPECT_TRUE(Strokes({{hkCtrl, 'C'}, {hkCtrl, VK_INSERT}}).empty());
    // Restoring gives the defaults back.
    Manager.RestoreCommandHotKey(3340);
    Manager.RestoreCommandHotKey(180);
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, VK_INSERT)), 3340);
    EXPECT_EQ(Manager.FindCommandByHotKey(CtrlS), 180);
    EXPECT_EQ(Manager.Overrides.Size(), 8);  // only 3820's record is left
}

TEST_F(HotKeyManagerTest, OverridesSavedAndReadBackAsTheSettingsKeepThem)
{
    std::vector<uint8_t> saved;
    Manager.OnOverridesChanged = [&](const std::vector<uint8_t>& bytes) { saved = bytes; };
    Manager.SetCommandHotKey(3820, MakeHotKey(0, VK_F1 + 1));
    Manager.SetCommandHotKey(3340, 0);
    // Two records: id, then code, little-endian, in the order they were made.
    const std::vector<uint8_t> expected = {0xEC, 0x0E, 0, 0, 0x00, 0x71, 0, 0,   // 3820, F2
                                           0x0C, 0x0D, 0, 0, 0, 0, 0, 0};        // 3340, none
    EXPECT_EQ(saved, expected);

    THotKeyManager next;
    // A stored value cut short keeps its whole records only.
    std::vector<uint8_t> stored = saved;
    stored.push_back(0x55);
    next.SetOverrideBytes(stored);
    EXPECT_EQ(next.OverrideBytes(), expected);
    EXPECT_EQ(next.FindCommandByHotKey(MakeHotKey(0, VK_F1 + 1)), 3820);
    EXPECT_EQ(next.FindCommandByHotKey(MakeHotKey(hkCtrl, 'C')), -1);
}

TEST_F(HotKeyManagerTest, StrokesAndChords)
{
    struct TCase {
        const char* What;
        std::vector<std::pair<uint8_t, uint16_t>> Strokes;
        std::vector<TCommandId> Ran;
    };
    const TCase cases[] = {
        {"one stroke", {{hkCtrl, 'S'}}, {180}},
        {"chord", {{hkCtrl, 'K'}, {0, 'Y'}}, {3280}},
        {"second stroke's modifiers are ignored", {{hkCtrl, 'K'}, {hkCtrl, 'Y'}}, {3280}},
        {"other prefix", {{hkCtrl | hkShift, 'K'}, {0, 'U'}}, {3925}},
        {"unbound chord, then a new code", {{hkCtrl, 'K'}, {0, 'Q'}, {hkCtrl, 'S'}}, {180}},
        {"modifier keys alone change nothing", {{hkCtrl, 'K'}, {hkCtrl, VK_CONTROL}, {0, 'Y'}}, {3280}},
        {"unbound key", {{hkCtrl, VK_F1 + 10}}, {}},
    };
    for (const TCase& c : cases) {
        Handler.Ran.clear();
        for (const auto& [mods, key] : c.Strokes)
            Manager.TranslateKey(mods, key);
        EXPECT_EQ(Handler.Ran, c.Ran) << c.What;
        EXPECT_EQ(Manager.PendingCode, 0u) << c.What;
    }
    // The result: a prefix is taken and waits; a bound key is taken.
    EXPECT_FALSE(Manager.TranslateKey(hkCtrl, 'K'));
    EXPECT_EQ(Manager.PendingCode, CtrlK);
    EXPECT_TRUE(Manager.TranslateKey(0, 'Y'));
    EXPECT_TRUE(Manager.CommandRanForLastKey());
    EXPECT_FALSE(Manager.TranslateKey(0, 'Q'));  // unbound, no document: passes on
}

TEST_F(HotKeyManagerTest, KeysTypedWithAltGrAreNeverShortcuts)
{
    // AltGr is Ctrl and Alt together on the right Alt key: Ctrl+Alt+Y would run 3648.
    SetMessageKeyDown(VK_RMENU, true);
    EXPECT_FALSE(Manager.TranslateKey(hkCtrl | hkAlt, 'Y'));
    SetMessageKeyDown(VK_RMENU, false);
    EXPECT_TRUE(Handler.Ran.empty());
    EXPECT_TRUE(Manager.TranslateKey(hkCtrl | hkAlt, 'Y'));
    EXPECT_EQ(Handler.Ran, std::vector<TCommandId>{3648});
}

TEST_F(HotKeyManagerTest, SystemKeysAndTheirCharacters)
{
    // Alt+Left runs 4140; its system character is then dropped.
    EXPECT_TRUE(Manager.HandleSysKeyDown(VK_LEFT, hkAlt));
    EXPECT_FALSE(Manager.HandleSysChar('x', hkAlt));
    // Alt+0 (90100) through its character.
    EXPECT_FALSE(Manager.HandleSysKeyDown('A', hkAlt));
    EXPECT_TRUE(Manager.HandleSysChar('0', hkAlt));
    EXPECT_EQ(Handler.Ran, (std::vector<TCommandId>{4140, 90100}));
    // A numeric-pad movement key with Num Lock off is remembered.
    const bool numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    Manager.HandleSysKeyDown(VK_HOME, hkAlt);
    EXPECT_EQ(Manager.NavKeyWithoutNumLock, !numLock);
    Manager.HandleSysKeyDown('B', hkAlt);
    EXPECT_FALSE(Manager.NavKeyWithoutNumLock);
}

TEST_F(HotKeyManagerTest, FrameKeys)
{
    bool fullScreen = true;
    std::vector<std::pair<uint16_t, bool>> detector;
    Manager.FrameFullScreen = [&] { return fullScreen; };
    Manager.ToolbarKeyDetector = [&](uint16_t key, bool down) { detector.push_back({key, down}); };
    EXPECT_TRUE(Manager.HandleFrameKeyDown(VK_ESCAPE, 0));
    fullScreen = false;
    EXPECT_FALSE(Manager.HandleFrameKeyDown(VK_ESCAPE, 0));
    EXPECT_TRUE(Manager.HandleFrameKeyDown('O', hkCtrl));
    Manager.HandleFrameKeyUp(VK_CONTROL);
    EXPECT_EQ(Handler.Ran, (std::vector<TCommandId>{7000, 120}));
    EXPECT_EQ(detector.size(), 4u);
    EXPECT_FALSE(detector.back().second);
}

TEST_F(HotKeyManagerTest, ShortcutTextsInFrench)
{
    struct TCase {
        THotKeyCode Code;
        const char* Text;
    };
    const TCase cases[] = {
        {MakeHotKey(hkCtrl | hkShift, VK_F1 + 4), "Ctrl+Maj+F5"},
        {MakeHotKey(hkCtrl, 'K', 'Y'), "Ctrl+K, Y"},
        {MakeHotKey(hkShift | hkAlt, 'K', 'C'), "Maj+Alt+K, C"},
        {MakeHotKey(0, VK_DELETE), "Suppr"},
        {MakeHotKey(hkCtrl | hkShift | hkAlt, VK_F1 + 11), "Ctrl+Maj+Alt+F12"},
        {MakeHotKey(hkCtrl, VK_OEM_PLUS), "Ctrl+="},  // named by its character on the French keyboard
        {MakeHotKey(hkCtrl | hkShift, 'K', 0xDB), "Ctrl+Maj+K, )"},
        {0, ""},
    };
    SetKeyboardLayoutNames({"fr"});
    for (const TCase& c : cases)
        EXPECT_EQ(THotKeyManager::HotKeyToText(c.Code), c.Text) << c.Code;

    TMenuItem item(nullptr);
    item.Tag = 180;
    EXPECT_EQ(Manager.AppendHotKeyText(item, "&Enregistrer"), "&Enregistrer\tCtrl+S");
    item.Tag = 360;
    EXPECT_EQ(Manager.AppendHotKeyText(item, "&Quitter"), "&Quitter");
}

TEST_F(HotKeyManagerTest, AssigningAShortcut)
{
    auto hint = [](TCommandId id) { return "commande " + std::to_string(id); };
    {
        // Movement keys without Alt are reserved; with Alt they may be given.
        TMessageAnswers answers;
        answers.Expect("Le raccourci clavier \"Ctrl+Gauche\" est réservé", mrOk);
        EXPECT_EQ(AssignHotKey(Manager, 3820, MakeHotKey(hkCtrl, VK_LEFT), hint), THotKeyAssignResult::Reserved);
    }
    EXPECT_EQ(AssignHotKey(Manager, 3820, MakeHotKey(hkCtrl | hkAlt, VK_F1 + 10), hint),
              THotKeyAssignResult::Assigned);
    {
        // A conflict refused leaves both commands as they were.
        TMessageAnswers answers;
        answers.Expect("Le raccourci clavier \"Ctrl+S\" est déjà attribué à la commande \"commande 180\"", mrNo);
        EXPECT_EQ(AssignHotKey(Manager, 3820, MakeHotKey(hkCtrl, 'S'), hint), THotKeyAssignResult::Conflict);
    }
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, 'S')), 180);
    EXPECT_EQ(Manager.GetCommandHotKey(3820), MakeHotKey(hkCtrl | hkAlt, VK_F1 + 10));
    {
        // Accepted: the other command loses its shortcut.
        TMessageAnswers answers;
        answers.Expect("Voulez-vous attribuer ce raccourci clavier à la commande \"commande 3820\"", mrYes);
        EXPECT_EQ(AssignHotKey(Manager, 3820, MakeHotKey(hkCtrl, 'S'), hint),
                  THotKeyAssignResult::ConflictReplaced);
    }
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(hkCtrl, 'S')), 3820);
    EXPECT_EQ(Manager.GetCommandHotKey(180), 0u);
    EXPECT_EQ(Manager.FindCommandByHotKey(MakeHotKey(0, VK_F1 + 1)), -1);
    {
        // Quit cannot take a chord.
        TMessageAnswers answers;
        answers.Expect("Ctrl+K\rCtrl+Maj+K\rMaj+Alt+K", mrOk);
        EXPECT_EQ(AssignHotKey(Manager, cmdQuit, MakeHotKey(hkCtrl, 'K', 'Q'), hint),
                  THotKeyAssignResult::ChordRefused);
    }
    EXPECT_EQ(Manager.GetCommandHotKey(cmdQuit), 0u);
}

TEST_F(HotKeyManagerTest, FreeShortcutsListedInOrder)
{
    const std::vector<THotKeyCode> free = FreeHotKeys(Manager);
    ASSERT_FALSE(free.empty());
    // Without modifiers only function keys are offered: F4 is the first free one
    // (F1, F2 and F3 are taken).
    EXPECT_EQ(free.front(), MakeHotKey(0, VK_F1 + 3));
    for (THotKeyCode code : free)
        EXPECT_EQ(Manager.FindCommandByHotKey(code), -1) << THotKeyManager::HotKeyToText(code);
    EXPECT_NE(std::find(free.begin(), free.end(), MakeHotKey(hkCtrl, 'K', 'A')), free.end());
    EXPECT_EQ(std::find(free.begin(), free.end(), MakeHotKey(hkCtrl, 'K', 'Y')), free.end());
    EXPECT_EQ(std::find(free.begin(), free.end(), MakeHotKey(hkShift, 'A')), free.end());  // Shift+letter: typing
}

TEST_F(HotKeyManagerTest, DesktopWideKeysRefusedAreNotListedAsWorking)
{
    // Nothing is registered while quit and restore have no shortcut.
    Manager.RegisterGlobalHotKeys();
    EXPECT_TRUE(Manager.GlobalHotKeys.empty());
    EXPECT_TRUE(Manager.RefusedGlobalHotKeys.empty());
    // This desktop gives no desktop-wide keys: the shortcut is refused and said so.
    Manager.SetCommandHotKey(cmdQuit, MakeHotKey(hkCtrl | hkAlt, 'Q'));
    Manager.RegisterGlobalHotKeys();
    EXPECT_TRUE(Manager.GlobalHotKeys.empty());
    EXPECT_EQ(Manager.RefusedGlobalHotKeys, std::vector<TCommandId>{cmdQuit});
    Manager.UnregisterGlobalHotKeys();
    EXPECT_TRUE(Manager.GlobalHotKeys.empty());
}

} // namespace
