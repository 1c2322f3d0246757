// Key translation. The virtual key comes from the physical key (the X key
// code Qt passes on, which is the evdev code + 8) laid out as the French
// keyboard the program is made for; without a key code (input methods,
// synthetic events) it comes from Qt's key. Characters come from the event's
// text, converted to code page 1252, except where the original platform makes
// them itself (Ctrl+letter control codes, Enter, Backspace, Escape, Tab).
#include "platform/qt/QtInput.h"

#include "platform/runtime/CodePages.h"
#include "platform/win/WindowTable.h"

#include <QKeyEvent>
#include <QString>

#include <cstdint>

namespace {

struct TPhysicalKey {
    uint8_t Vk = 0;
    uint8_t Scan = 0;
    bool Extended = false;
};

// evdev code → French-layout virtual key and set-1 scan code.
TPhysicalKey PhysicalKey(uint32_t evdev)
{
    static const uint8_t mainBlock[89] = {
        0,    VK_ESCAPE, '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9',  '0',
        0xDB, 0xBB,      VK_BACK, VK_TAB, 'A', 'Z', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P',
        0xDD, 0xBA,      VK_RETURN, VK_CONTROL, 'Q', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 'M',
        0xC0, 0xDE,      VK_SHIFT, 0xDC, 'W', 'X', 'C', 'V', 'B', 'N', 0xBC, 0xBE, 0xBF, 0xDF,
        VK_SHIFT, VK_MULTIPLY, VK_MENU, VK_SPACE, VK_CAPITAL,
        0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79,  // F1..F10
        VK_NUMLOCK, VK_SCROLL,
        VK_HOME, VK_UP, VK_PRIOR, VK_SUBTRACT, VK_LEFT, VK_CLEAR, VK_RIGHT, VK_ADD,
        VK_END, VK_DOWN, VK_NEXT, VK_INSERT, VK_DELETE,  // keypad 71..83
        0, 0, VK_OEM_102, 0x7A, 0x7B,                    // 84..88: <, F11, F12
    };
    if (evdev < 89) {
        return {mainBlock[evdev], static_cast<uint8_t>(evdev), false};
    }
    switch (evdev) {
    case 96: return {VK_RETURN, 0x1C, true};
    case 97: return {VK_CONTROL, 0x1D, true};
    case 98: return {VK_DIVIDE, 0x35, true};
    case 99: return {VK_SNAPSHOT, 0x37, true};
    case 100: return {VK_MENU, 0x38, true};
    case 102: return {VK_HOME, 0x47, true};
    case 103: return {VK_UP, 0x48, true};
    case 104: return {VK_PRIOR, 0x49, true};
    case 105: return {VK_LEFT, 0x4B, true};
    case 106: return {VK_RIGHT, 0x4D, true};
    case 107: return {VK_END, 0x4F, true};
    case 108: return {VK_DOWN, 0x50, true};
    case 109: return {VK_NEXT, 0x51, true};
    case 110: return {VK_INSERT, 0x52, true};
    case 111: return {VK_DELETE, 0x53, true};
    case 119: return {VK_PAUSE, 0x45, false};
    case 125: return {VK_LWIN, 0x5B, true};
    case 126: return {VK_RWIN, 0x5C, true};
    case 127: return {VK_APPS, 0x5D, true};
    default: return {};
    }
}

// The virtual key of a Qt key when no physical key is known.
uint8_t VirtualKeyOfQtKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<uint8_t>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<uint8_t>(keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<uint8_t>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Meta: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : VK_OEM_5;
    case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : '6';
    case Qt::Key_Slash: return keypad ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Period: return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Comma: return VK_OEM_COMMA;
    default: return 0;
    }
}

// The keypad keys give digits or movement keys by the state of Num Lock, which
// Qt's key already tells.
uint8_t KeypadVirtualKey(int key, uint8_t physical)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<uint8_t>(VK_NUMPAD0 + (key - Qt::Key_0));
    if (key == Qt::Key_Period || key == Qt::Key_Comma)
        return VK_DECIMAL;
    return physical;
}

// The spacing character of a dead key and the combining mark it adds.
bool DeadKeyChars(int key, char16_t& spacing, char16_t& combining)
{
    switch (key) {
    case Qt::Key_Dead_Circumflex: spacing = u'^'; combining = 0x0302; return true;
    case Qt::Key_Dead_Diaeresis: spacing = 0x00A8; combining = 0x0308; return true;
    case Qt::Key_Dead_Grave: spacing = u'`'; combining = 0x0300; return true;
    case Qt::Key_Dead_Acute: spacing = 0x00B4; combining = 0x0301; return true;
    case Qt::Key_Dead_Tilde: spacing = u'~'; combining = 0x0303; return true;
    case Qt::Key_Dead_Cedilla: spacing = 0x00B8; combining = 0x0327; return true;
    default: return false;
    }
}

struct TTranslatorState {
    char16_t DeadSpacing = 0;
    char16_t DeadCombining = 0;
    bool AltGrDown = false;
};

TTranslatorState& Translator()
{
    static TTranslatorState state;
    return state;
}

bool Down(uint32_t vk)
{
    return GetAsyncKeyState(vk) < 0;
}

uint8_t ToAnsi(char16_t c)
{
    char16_t text[1] = {c};
    std::string bytes = FromWide(std::u16string_view(text, 1), 1252);
    return bytes.empty() ? static_cast<uint8_t>('?') : static_cast<uint8_t>(bytes[0]);
}

LPARAM KeyData(const TPhysicalKey& k, bool release, bool repeat, bool context)
{
    LPARAM l = 1 | (static_cast<LPARAM>(k.Scan) << 16);
    if (k.Extended)
        l |= KEYDATA_EXTENDED;
    if (context)
        l |= KEYDATA_ALTDOWN;
    if (release || repeat)
        l |= KEYDATA_PREVIOUSDOWN;
    if (release)
        l |= KEYDATA_RELEASED;
    return l;
}

void SetSidedKey(uint32_t vk, bool extended, bool down)
{
    SetAsyncKeyDown(vk, down);
    if (vk == VK_SHIFT)
        SetAsyncKeyDown(extended ? VK_RSHIFT : VK_LSHIFT, down);
    else if (vk == VK_CONTROL)
        SetAsyncKeyDown(extended ? VK_RCONTROL : VK_LCONTROL, down);
    else if (vk == VK_MENU)
        SetAsyncKeyDown(extended ? VK_RMENU : VK_LMENU, down);
}

} // namespace

void ResetKeyTranslation()
{
    Translator().DeadSpacing = 0;
    Translator().DeadCombining = 0;
}

std::vector<TKeyMessage> TranslateKeyEvent(const QKeyEvent& event)
{
    std::vector<TKeyMessage> out;
    TTranslatorState& st = Translator();
    const bool press = event.type() == QEvent::KeyPress;
    const bool repeat = event.isAutoRepeat();
    if (!press && repeat)
        return out;  // the desktop's auto-repeat sends a release before each repeat
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);

    TPhysicalKey phys;
    const uint32_t code = event.nativeScanCode();
    if (code > 8 && code < 256)
        phys = PhysicalKey(code - 8);
    if (phys.Vk == 0) {
        phys.Vk = VirtualKeyOfQtKey(key, keypad);
        if (phys.Vk == 0 && !event.text().isEmpty()) {
            // A character without a known key: the letter or digit it is on.
            QChar c = event.text().at(0).toUpper();
            if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
                phys.Vk = static_cast<uint8_t>(c.unicode());
        }
    } else if (code - 8 >= 71 && code - 8 <= 83) {
        phys.Vk = KeypadVirtualKey(key, phys.Vk);
    }

    // AltGr is Ctrl and Alt together, as the original platform reports it.
    if (key == Qt::Key_AltGr || (phys.Vk == VK_MENU && phys.Extended && key != Qt::Key_Alt)) {
        if (press && !repeat && st.AltGrDown)
            return out;
        TPhysicalKey ctrl{VK_CONTROL, 0x1D, false};
        TPhysicalKey alt{VK_MENU, 0x38, true};
        if (press) {
            const bool again = st.AltGrDown;
            st.AltGrDown = true;
            SetSidedKey(VK_CONTROL, false, true);
            SetSidedKey(VK_MENU, true, true);
            out.push_back({WM_KEYDOWN, VK_CONTROL, KeyData(ctrl, false, again, false)});
            out.push_back({WM_KEYDOWN, VK_MENU, KeyData(alt, false, again, true)});
        } else {
            st.AltGrDown = false;
            SetSidedKey(VK_CONTROL, false, false);
            SetSidedKey(VK_MENU, true, false);
            out.push_back({WM_KEYUP, VK_CONTROL, KeyData(ctrl, true, false, false)});
            out.push_back({WM_KEYUP, VK_MENU, KeyData(alt, true, false, false)});
        }
        return out;
    }
    if (phys.Vk == 0)
        return out;

    if (phys.Vk == VK_SHIFT || phys.Vk == VK_CONTROL || phys.Vk == VK_MENU)
        SetSidedKey(phys.Vk, phys.Extended, press);
    else
        SetAsyncKeyDown(phys.Vk, press);

    const bool ctrl = Down(VK_CONTROL);
    const bool alt = Down(VK_MENU);
    // Alt without Ctrl makes system keys; F10 is one too.
    const bool sys = (alt && !ctrl) || (phys.Vk == VK_F1 + 9 && !ctrl) || (phys.Vk == VK_MENU && !press && !ctrl);
    if (!press) {
        out.push_back({sys ? WM_SYSKEYUP : WM_KEYUP, phys.Vk, KeyData(phys, true, false, sys && alt)});
        return out;
    }
    const LPARAM data = KeyData(phys, false, repeat, sys && (alt || phys.Vk == VK_MENU));
    out.push_back({sys ? WM_SYSKEYDOWN : WM_KEYDOWN, phys.Vk, data});

    // The character.
    char16_t ch = 0;
    char16_t spacing = 0, combining = 0;
    if (DeadKeyChars(key, spacing, combining)) {
        if (st.DeadSpacing) {
            // A dead key twice gives its character.
            out.push_back({sys ? WM_SYSCHAR : WM_CHAR, ToAnsi(st.DeadSpacing), data});
            ResetKeyTranslation();
            return out;
        }
        st.DeadSpacing = spacing;
        st.DeadCombining = combining;
        out.push_back({sys ? WM_SYSDEADCHAR : WM_DEADCHAR, ToAnsi(spacing), data});
        return out;
    }
    const uint8_t vk = phys.Vk;
    if (ctrl && !alt && vk >= 'A' && vk <= 'Z')
        ch = static_cast<char16_t>(vk - 'A' + 1);
    else if (vk == VK_RETURN)
        ch = 13;
    else if (vk == VK_BACK)
        ch = ctrl ? 0x7F : 8;
    else if (vk == VK_ESCAPE)
        ch = 27;
    else if (vk == VK_TAB && !ctrl && !alt)
        ch = 9;
    else if (ctrl && !alt)
        ch = 0;  // no character for other Ctrl keys
    else if (!event.text().isEmpty() && event.text().at(0).unicode() >= 32 && event.text().at(0).unicode() != 127)
        ch = event.text().at(0).unicode();
    if (ch == 0)
        return out;
    const UINT charMsg = sys ? WM_SYSCHAR : WM_CHAR;
    if (st.DeadSpacing && ch >= 32) {
        QString composed = QString(QChar(ch)) + QChar(st.DeadCombining);
        composed = composed.normalized(QString::NormalizationForm_C);
        if (ch == u' ') {
            out.push_back({charMsg, ToAnsi(st.DeadSpacing), data});
        } else if (composed.size() == 1) {
            out.push_back({charMsg, ToAnsi(composed.at(0).unicode()), data});
        } else {
            // No such letter: the accent, then the character, as typed.
            out.push_back({charMsg, ToAnsi(st.DeadSpacing), data});
            out.push_back({charMsg, ToAnsi(ch), data});
        }
        ResetKeyTranslation();
        return out;
    }
    out.push_back({charMsg, static_cast<WPARAM>(ch < 32 ? ch : ToAnsi(ch)), data});
    return out;
}
