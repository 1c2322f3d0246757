#include "shell/commands/HotKeyManager.h"

#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/StringRoutines.h"
#include "foundation/managers/Style.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Resources.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/GlobalHotKeys.h"
#include "platform/win/KeyboardLayouts.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"
#include "shell/commands/CommandManager.h"

#include <algorithm>
#include <cstring>

THotKeyManager* HotKeyManager = nullptr;

namespace {

constexpr int32_t kDefaultEntries = 152;
constexpr int32_t kRecordSize = 8;

uint32_t ReadDWord(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool IsModifierKey(uint16_t key)
{
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU;
}

TShortCut FrameworkShortCut(uint8_t modifiers, uint8_t key)
{
    TShortCut s = key;
    if (modifiers & hkShift)
        s |= scShift;
    if (modifiers & hkCtrl)
        s |= scCtrl;
    if (modifiers & hkAlt)
        s |= scAlt;
    return s;
}

} // namespace

uint8_t CurrentHotKeyModifiers()
{
    uint8_t m = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        m |= hkShift;
    if (GetKeyState(VK_MENU) < 0)
        m |= hkAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        m |= hkCtrl;
    return m;
}

// --- The table and the records ---------------------------------------------------------

THotKeyManager::THotKeyManager()
{
    const TResourceData table = FindResourceData("HOTKEYTABLE", "HOTKEYTABLE");
    if (!table || table.Size < static_cast<size_t>(kDefaultEntries * 8))
        throw Exception("La table des raccourcis clavier est introuvable.");
    DefaultCodes.reserve(kDefaultEntries);
    DefaultIds.reserve(kDefaultEntries);
    for (int32_t i = 0; i < kDefaultEntries; ++i) {
        DefaultCodes.push_back(ReadDWord(table.Data + i * 4));
        DefaultIds.push_back(static_cast<TCommandId>(ReadDWord(table.Data + kDefaultEntries * 4 + i * 4)));
    }
}

THotKeyManager::~THotKeyManager() = default;

TCommandId THotKeyManager::RecordId(int32_t index) const
{
    return static_cast<TCommandId>(ReadDWord(Overrides.Data() + index * kRecordSize));
}

THotKeyCode THotKeyManager::RecordCode(int32_t index) const
{
    return ReadDWord(Overrides.Data() + index * kRecordSize + 4);
}

bool THotKeyManager::HasRecordOf(TCommandId id) const
{
    for (int32_t i = 0; i < RecordCount(); ++i)
        if (RecordId(i) == id)
            return true;
    return false;
}

void THotKeyManager::RemoveRecordsOf(TCommandId id)
{
    for (int32_t i = RecordCount() - 1; i >= 0; --i)
        if (RecordId(i) == id)
            Overrides.Delete(i * kRecordSize, kRecordSize);
}

THotKeyCode THotKeyManager::GetDefaultHotKey(TCommandId id) const
{
    // The ids are in ascending order: the first entry of the run of equal ids.
    auto it = std::lower_bound(DefaultIds.begin(), DefaultIds.end(), id);
    if (it == DefaultIds.end() || *it != id)
        return 0;
    return DefaultCodes[static_cast<size_t>(it - DefaultIds.begin())];
}

THotKeyCode THotKeyManager::GetCommandHotKey(TCommandId id) const
{
    for (int32_t i = RecordCount() - 1; i >= 0; --i)
        if (RecordId(i) == id)
            return RecordCode(i);
    return GetDefaultHotKey(id);
}

TCommandId THotKeyManager::FindCommandByHotKey(THotKeyCode code) const
{
    if (code == 0)
        return -1;
    for (int32_t i = RecordCount() - 1; i >= 0; --i)
        if (RecordCode(i) == code)
            return RecordId(i);
    for (size_t i = 0; i < DefaultCodes.size(); ++i) {
        if (DefaultCodes[i] != code)
            continue;
        // A command the user rebound loses all its default shortcuts.
        return HasRecordOf(DefaultIds[i]) ? -1 : DefaultIds[i];
    }
    return -1;
}

void THotKeyManager::SetCommandHotKey(TCommandId id, THotKeyCode code)
{
    RemoveRecordsOf(id);
    Overrides.AppendDWord(static_cast<uint32_t>(id));
    Overrides.AppendDWord(code);
    OverridesChanged();
}

void THotKeyManager::RestoreCommandHotKey(TCommandId id)
{
    RemoveRecordsOf(id);
    OverridesChanged();
}

bool THotKeyManager::IsPrefixCode(THotKeyCode code) const
{
    return code != 0 && (code == DefaultCodes[0] || code == DefaultCodes[1] || code == DefaultCodes[2]);
}

std::vector<uint8_t> THotKeyManager::OverrideBytes() const
{
    return std::vector<uint8_t>(Overrides.Data(), Overrides.Data() + Overrides.Size());
}

void THotKeyManager::SetOverrideBytes(const std::vector<uint8_t>& bytes)
{
    // A stored value cut short keeps its whole records only.
    const int32_t size = static_cast<int32_t>(bytes.size() / kRecordSize * kRecordSize);
    Overrides.SetData(bytes.data(), size);
}

void THotKeyManager::OverridesChanged()
{
    if (OnOverridesChanged)
        OnOverridesChanged(OverrideBytes());
}

// --- Texts --------------------------------------------------------------------------------

namespace {

// The framework's text of a key with modifiers; a punctuation key it has no
// name for is named by the character it types in the active layout.
std::string StrokeText(uint8_t modifiers, uint8_t key)
{
    std::string text = ShortCutToText(FrameworkShortCut(modifiers, key));
    if (!text.empty())
        return text;
    uint8_t state[256] = {};
    uint16_t character = 0;
    if (ToAsciiEx(key, 0, state, &character, 0, GetActiveKeyboardLayout()) != 1 || character <= 32)
        return {};
    text = ShortCutToText(FrameworkShortCut(modifiers, 'A'));
    text.back() = static_cast<char>(character);
    return text;
}

} // namespace

std::string THotKeyManager::HotKeyToText(THotKeyCode code)
{
    if (code == 0)
        return {};
    std::string text = StrokeText(HotKeyModifiers(code), HotKeyFirstKey(code));
    if (HotKeySecondKey(code) != 0)
        text = Format("%s, %s", {text, StrokeText(0, HotKeySecondKey(code))});
    return text;
}

std::string THotKeyManager::AppendHotKeyText(const TMenuItem& item, const std::string& caption) const
{
    const THotKeyCode code = GetCommandHotKey(static_cast<TCommandId>(item.Tag));
    if (code == 0)
        return caption;
    return caption + "\t" + HotKeyToText(code);
}

// --- Keys ---------------------------------------------------------------------------------

bool THotKeyManager::TranslateKey(uint8_t modifiers, uint16_t key)
{
    // Modifiers alone and anything typed with AltGr (the layout's characters)
    // are never shortcuts.
    if (IsModifierKey(key) || GetKeyState(VK_RMENU) < 0)
        return false;
    if (key > 0xFF)
        return false;
    if (!IsPrefixCode(PendingCode))
        PendingCode = MakeHotKey(modifiers, static_cast<uint8_t>(key));
    else
        PendingCode |= static_cast<THotKeyCode>(key) << 16;
    const bool handled = RunHotKey(PendingCode);
    if (!IsPrefixCode(PendingCode))
        PendingCode = 0;
    return handled;
}

bool THotKeyManager::RunHotKey(THotKeyCode code)
{
    KeyState |= hksTranslating;
    bool handled = false;
    try {
        // The chord prefixes' entries carry id 0: no command.
        const TCommandId id = FindCommandByHotKey(code);
        if (id > 0) {
            KeyState |= hksCommandRan;
            if (CommandManager)
                CommandManager->ExecuteCommand(id);
            handled = true;
        } else if (TDocument* document = ActiveInputDocument ? ActiveInputDocument() : nullptr) {
            int32_t styleIndex = -1;
            TStyleList& styles = document->Styles();
            for (int32_t i = 0; i < styles.Count(); ++i)
                if (styles[i].HotKey != 0 && static_cast<THotKeyCode>(styles[i].HotKey) == code) {
                    styleIndex = i;
                    break;
                }
            if (styleIndex >= 0) {
                TTextRange range{document->Selection().Start, document->Selection().End};
                uint8_t flag = 1;
                document->ExecuteOperation(docApplyStyle, {&range, &styleIndex, &flag, nullptr, nullptr});
                handled = true;
            } else {
                // An unbound chord is swallowed; an unbound key passes on.
                handled = HotKeySecondKey(code) != 0;
            }
            if (CommandManager)
                CommandManager->SetLastActionTime();
        }
    } catch (...) {
        KeyState &= static_cast<uint8_t>(~hksTranslating);
        throw;
    }
    KeyState &= static_cast<uint8_t>(~hksTranslating);
    return handled;
}

bool THotKeyManager::HandleFrameKeyDown(uint16_t key, uint8_t modifiers)
{
    if (ToolbarKeyDetector)
        ToolbarKeyDetector(key, true);
    if (key == VK_ESCAPE && FrameFullScreen && FrameFullScreen()) {
        if (CommandManager)
            CommandManager->ExecuteCommand(cmdFullScreen);
        return true;
    }
    return TranslateKey(modifiers, key);
}

void THotKeyManager::HandleFrameKeyUp(uint16_t key)
{
    if (ToolbarKeyDetector)
        ToolbarKeyDetector(key, false);
}

bool THotKeyManager::HandleSysKeyDown(uint16_t key, uint8_t modifiers)
{
    ClearCommandRan();
    bool handled = false;
    if (!IsModifierKey(key))
        handled = TranslateKey(modifiers, key);
    NavKeyWithoutNumLock = ((key >= VK_PRIOR && key <= VK_DOWN) || key == VK_CLEAR || key == VK_INSERT) &&
                           (GetKeyState(VK_NUMLOCK) & 1) == 0;
    return handled;
}

bool THotKeyManager::HandleSysChar(uint8_t character, uint8_t modifiers)
{
    if (CommandRanForLastKey())
        return false;
    uint16_t key = character;
    if (character >= 128) {
        // The key that gives the character in the current layout.
        const int16_t scan = VkKeyScanEx(static_cast<char>(character), GetKeyboardLayout(0));
        if (scan == -1)
            return false;
        key = static_cast<uint16_t>(scan & 0xFF);
    } else if (character >= 'a' && character <= 'z') {
        key = static_cast<uint16_t>(character - 'a' + 'A');  // letters' virtual keys are the capitals
    }
    return TranslateKey(modifiers, key);
}

// --- Desktop-wide keys ------------------------------------------------------------------------

void THotKeyManager::RegisterGlobalHotKeys()
{
    UnregisterGlobalHotKeys();
    RefusedGlobalHotKeys.clear();
    const HWND window = FrameWindow ? FrameWindow() : HWND_NONE;
    for (TCommandId id : {cmdQuit, cmdRestoreFromTray}) {
        const THotKeyCode code = GetCommandHotKey(id);
        if (code == 0)
            continue;
        uint32_t mods = 0;
        if (HotKeyModifiers(code) & hkShift)
            mods |= MOD_SHIFT;
        if (HotKeyModifiers(code) & hkCtrl)
            mods |= MOD_CONTROL;
        if (HotKeyModifiers(code) & hkAlt)
            mods |= MOD_ALT;
        // A key the desktop refuses is not listed as registered: the shortcut
        // dialog tells the user instead.
        if (RegisterHotKey(window, id, mods, HotKeyFirstKey(code)))
            GlobalHotKeys.push_back(id);
        else
            RefusedGlobalHotKeys.push_back(id);
    }
}

void THotKeyManager::UnregisterGlobalHotKeys()
{
    const HWND window = FrameWindow ? FrameWindow() : HWND_NONE;
    for (auto it = GlobalHotKeys.rbegin(); it != GlobalHotKeys.rend(); ++it)
        UnregisterHotKey(window, *it);
    GlobalHotKeys.clear();
}

// --- The program's instance -----------------------------------------------------------------

void CreateHotKeyManager()
{
    if (HotKeyManager)
        return;
    HotKeyManager = new THotKeyManager;
    SetDocumentKeyRouter(HotKeyManager);
}

void FreeHotKeyManager()
{
    if (DocumentKeyRouter() == HotKeyManager)
        SetDocumentKeyRouter(nullptr);
    delete HotKeyManager;
    HotKeyManager = nullptr;
}

// --- The shortcut dialog's rules --------------------------------------------------------------

THotKeyAssignResult AssignHotKey(THotKeyManager& manager, TCommandId id, THotKeyCode code,
                                 const std::function<std::string(TCommandId)>& commandHint)
{
    if (HotKeySecondKey(code) != 0 && (id == cmdQuit || id == cmdRestoreFromTray)) {
        const std::string prefixes = THotKeyManager::HotKeyToText(manager.PrefixCode(0)) + "\r" +
                                     THotKeyManager::HotKeyToText(manager.PrefixCode(1)) + "\r" +
                                     THotKeyManager::HotKeyToText(manager.PrefixCode(2));
        ShowMessageDlg(Format("L'opération \"%s\" ne peut pas être associée\rà un raccourci clavier contenant "
                              "l'un des éléments suivants :\r\r%s",
                              {commandHint(id), prefixes}),
                       mtInformation, mbOK);
        return THotKeyAssignResult::ChordRefused;
    }
    const TCommandId other = manager.FindCommandByHotKey(code);
    if (other >= 0 && other != id) {
        const std::string question =
            Format("Le raccourci clavier \"%s\" est déjà attribué à la commande \"%s\".||Voulez-vous attribuer ce "
                   "raccourci clavier à la commande \"%s\" ? La commande \"%s\" n'aurait alors plus de raccourci "
                   "clavier.",
                   {THotKeyManager::HotKeyToText(code), commandHint(other), commandHint(id), commandHint(other)});
        if (ShowMessageDlg(question, mtConfirmation, mbYesNo) != mrYes)
            return THotKeyAssignResult::Conflict;
        manager.SetCommandHotKey(other, 0);
        manager.SetCommandHotKey(id, code);
        return THotKeyAssignResult::ConflictReplaced;
    }
    const uint8_t first = HotKeyFirstKey(code);
    if ((HotKeyModifiers(code) & hkAlt) || !(first == VK_ESCAPE || (first >= VK_PRIOR && first <= VK_DOWN))) {
        manager.SetCommandHotKey(id, code);
        return THotKeyAssignResult::Assigned;
    }
    ShowMessageDlg(Format("Le raccourci clavier \"%s\" est réservé. Veuillez choisir un autre raccourci.",
                          {THotKeyManager::HotKeyToText(code)}),
                   mtInformation, mbOK);
    return THotKeyAssignResult::Reserved;
}

std::vector<THotKeyCode> FreeHotKeys(const THotKeyManager& manager)
{
    std::vector<THotKeyCode> free;
    auto offer = [&](THotKeyCode code) {
        if (manager.FindCommandByHotKey(code) < 0)
            free.push_back(code);
    };
    auto keys = [&](bool letters, bool digits, const std::function<void(uint8_t)>& each) {
        if (letters)
            for (uint8_t k = 'A'; k <= 'Z'; ++k)
                each(k);
        if (digits)
            for (uint8_t k = '0'; k <= '9'; ++k)
                each(k);
        for (uint8_t k = VK_F1; k <= VK_F1 + 11; ++k)
            each(k);
    };
    const uint8_t sets[] = {0, hkCtrl, hkShift, hkCtrl | hkShift, hkCtrl | hkAlt, hkShift | hkAlt,
                            hkCtrl | hkShift | hkAlt};
    for (uint8_t mods : sets) {
        const bool letters = mods == hkCtrl || mods == (hkCtrl | hkShift) || mods == (hkShift | hkAlt) ||
                             mods == (hkCtrl | hkShift | hkAlt);
        keys(letters, mods == hkCtrl, [&](uint8_t k) { offer(MakeHotKey(mods, k)); });
    }
    for (int p = 0; p < 3; ++p)
        keys(true, true, [&](uint8_t k) { offer(manager.PrefixCode(p) | static_cast<THotKeyCode>(k) << 16); });
    return free;
}
