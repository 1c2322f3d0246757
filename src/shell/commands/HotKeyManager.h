#pragma once
// THotKeyManager: the program's shortcut keys. Every command can be bound to
// one key with modifiers or to a two-stroke chord (one of three prefix keys,
// then a second key). The program's default table comes from the HOTKEYTABLE
// resource; the user's bindings are kept as override records that are stored
// in the settings. The manager turns the key presses of the main frame and
// the document windows into commands, gives menus the shortcut text of a
// command, and registers the shortcuts of the two commands that may be
// reached from anywhere on the desktop.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "docwindow/DocumentKeyRouter.h"
#include "foundation/Memory.h"
#include "platform/win/WinTypes.h"
#include "shell/commands/CommandIds.h"

class TDocument;
class TMenuItem;

// Bits 0-7 the modifiers (hkShift, hkAlt, hkCtrl), 8-15 the first virtual
// key, 16-23 the second key of a chord (0: a one-stroke shortcut); 0 is no
// shortcut.
using THotKeyCode = uint32_t;
constexpr uint8_t hkShift = 0x01;
constexpr uint8_t hkAlt = 0x02;
constexpr uint8_t hkCtrl = 0x04;

constexpr THotKeyCode MakeHotKey(uint8_t modifiers, uint8_t key, uint8_t secondKey = 0)
{
    return modifiers | (static_cast<THotKeyCode>(key) << 8) | (static_cast<THotKeyCode>(secondKey) << 16);
}
constexpr uint8_t HotKeyModifiers(THotKeyCode code)
{
    return static_cast<uint8_t>(code & 0xFF);
}
constexpr uint8_t HotKeyFirstKey(THotKeyCode code)
{
    return static_cast<uint8_t>((code >> 8) & 0xFF);
}
constexpr uint8_t HotKeySecondKey(THotKeyCode code)
{
    return static_cast<uint8_t>((code >> 16) & 0xFF);
}

// The two commands that may be registered as desktop-wide keys: quit and
// restore from the system tray.
constexpr TCommandId cmdQuit = 360;
constexpr TCommandId cmdRestoreFromTray = 90140;
constexpr TCommandId cmdFullScreen = 7000;

// Bits of THotKeyManager::KeyState.
constexpr uint8_t hksCommandRan = 0x01;   // the last key press ran a command: its character is dropped
constexpr uint8_t hksTranslating = 0x02;  // a key is being translated

class THotKeyManager : public TDocumentKeyRouter {
public:
    // Loads the default table (codes and ids) from the HOTKEYTABLE resource.
    THotKeyManager();
    ~THotKeyManager() override;
    THotKeyManager(const THotKeyManager&) = delete;
    THotKeyManager& operator=(const THotKeyManager&) = delete;

    // --- The bindings ---
    // The command's shortcut: its first default, unless the user's records
    // (the last one of the command decides) say otherwise; 0 when none.
    THotKeyCode GetCommandHotKey(TCommandId id) const;
    // The command the code runs, or -1. A user's record decides first; a
    // default binding counts only for a command the user did not rebind.
    TCommandId FindCommandByHotKey(THotKeyCode code) const;
    // Replaces every record of the command with one binding it to the code
    // (0: the command has no shortcut at all).
    void SetCommandHotKey(TCommandId id, THotKeyCode code);
    // Removes the command's records: its defaults apply again.
    void RestoreCommandHotKey(TCommandId id);
    // The default shortcut of a command, records set aside (0 when none).
    THotKeyCode GetDefaultHotKey(TCommandId id) const;
    // The three chord prefixes (Ctrl+K, Ctrl+Shift+K, Shift+Alt+K).
    bool IsPrefixCode(THotKeyCode code) const;
    THotKeyCode PrefixCode(int index) const { return DefaultCodes[static_cast<size_t>(index)]; }

    // The user's records as stored in the settings (8 bytes each: the
    // command id and the code, little-endian); setting them takes a copy.
    std::vector<uint8_t> OverrideBytes() const;
    void SetOverrideBytes(const std::vector<uint8_t>& bytes);
    // Called after every change of the records (the options keep a copy to save).
    std::function<void(const std::vector<uint8_t>&)> OnOverridesChanged;

    // --- Texts ---
    // "Ctrl+Maj+F5"; a chord as "Ctrl+K, Y".
    static std::string HotKeyToText(THotKeyCode code);
    // The caption, a tab and the shortcut text of the item's command when it has one.
    std::string AppendHotKeyText(const TMenuItem& item, const std::string& caption) const;

    // --- Keys ---
    // Turns a stroke into a command (or the first half of a chord); true
    // when it was taken.
    bool TranslateKey(uint8_t modifiers, uint16_t key) override;
    // The main frame's and the toolbar controls' key-down and key-up.
    bool HandleFrameKeyDown(uint16_t key, uint8_t modifiers);
    void HandleFrameKeyUp(uint16_t key);
    // Keys pressed with Alt, and the system characters they give.
    bool HandleSysKeyDown(uint16_t key, uint8_t modifiers) override;
    bool HandleSysChar(uint8_t character, uint8_t modifiers) override;
    bool CommandRanForLastKey() const override { return (KeyState & hksCommandRan) != 0; }
    void ClearCommandRan() override { KeyState &= static_cast<uint8_t>(~hksCommandRan); }
    bool NavKeyWithoutNumLockSet() const override { return NavKeyWithoutNumLock; }
    void ClearNavKeyWithoutNumLock() override { NavKeyWithoutNumLock = false; }

    // --- Desktop-wide keys ---
    // Registers the shortcuts of 360 and 90140 for the main frame's window
    // (after unregistering the current ones); a key this desktop refuses is
    // kept in RefusedGlobalHotKeys, not listed as registered.
    void RegisterGlobalHotKeys();
    void UnregisterGlobalHotKeys();
    // The window the keys are registered for (the main frame).
    std::function<HWND()> FrameWindow;
    // The frame is in full-screen mode (Escape then leaves it).
    std::function<bool()> FrameFullScreen;
    // The toolbar manager's double-press detector sees the frame's keys.
    std::function<void(uint16_t key, bool down)> ToolbarKeyDetector;
    // The document the style shortcuts apply to: the frame's active document
    // when its window can take input (null otherwise).
    std::function<TDocument*()> ActiveInputDocument;

    std::vector<THotKeyCode> DefaultCodes;
    std::vector<TCommandId> GlobalHotKeys;
    std::vector<TCommandId> RefusedGlobalHotKeys;
    std::vector<TCommandId> DefaultIds;
    THotKeyCode PendingCode = 0;
    TMemory Overrides;
    uint8_t KeyState = 0;
    bool NavKeyWithoutNumLock = false;

private:
    bool RunHotKey(THotKeyCode code);
    void OverridesChanged();
    int32_t RecordCount() const { return Overrides.Size() / 8; }
    TCommandId RecordId(int32_t index) const;
    THotKeyCode RecordCode(int32_t index) const;
    bool HasRecordOf(TCommandId id) const;
    void RemoveRecordsOf(TCommandId id);
};

// The program's shortcut manager: made at start-up, freed at shutdown; null
// outside that span. Creating it installs it as the document windows' key router.
extern THotKeyManager* HotKeyManager;
void CreateHotKeyManager();
void FreeHotKeyManager();

// The shifts of the keyboard now, as shortcut modifiers.
uint8_t CurrentHotKeyModifiers();

// --- The shortcut dialog's rules ---
// What assigning a code to a command comes to.
enum class THotKeyAssignResult : uint8_t {
    Assigned,
    ChordRefused,     // a chord for a command reachable from the whole desktop
    Reserved,         // movement keys and Escape without Alt
    Conflict,         // bound to another command (the question was answered No)
    ConflictReplaced  // bound to another command, which loses it (answered Yes)
};
// Assigns a code to a command as the dialog's "&Attribuer" does, asking
// through the message service; commandHint gives the hint text of a command.
THotKeyAssignResult AssignHotKey(THotKeyManager& manager, TCommandId id, THotKeyCode code,
                                 const std::function<std::string(TCommandId)>& commandHint);
// The codes no command uses, in the order the free-shortcut list offers them.
std::vector<THotKeyCode> FreeHotKeys(const THotKeyManager& manager);

// Start-up: makes the manager, gives it the overrides the options read from
// the settings (and keeps the options' copy up to date for saving), binds it
// to the main frame and registers the desktop-wide keys.
void StartHotKeyManager();
