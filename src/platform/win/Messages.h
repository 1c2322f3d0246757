#pragma once
// Window message numbers, their parameter flags and the virtual-key codes, with
// the values of the original platform: the program's window procedures compare
// them as numbers, and some of them (private messages, timer ids) are stored or
// exchanged with other instances.
#include <cstdint>

#include "platform/win/WinTypes.h"

// --- Window messages ---------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_FONTCHANGE = 0x001D;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_INPUTLANGCHANGEREQUEST = 0x0050;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_HELP = 0x0053;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_DEADCHAR = 0x0103;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_SYSDEADCHAR = 0x0107;
constexpr UINT WM_KEYFIRST = WM_KEYDOWN;
constexpr UINT WM_KEYLAST = 0x0108;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_MENUCHAR = 0x0120;
constexpr UINT WM_CHANGEUISTATE = 0x0127;
constexpr UINT WM_UPDATEUISTATE = 0x0128;
constexpr UINT WM_QUERYUISTATE = 0x0129;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSEFIRST = WM_MOUSEMOVE;
constexpr UINT WM_MOUSELAST = WM_MOUSEWHEEL;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MDIACTIVATE = 0x0222;
constexpr UINT WM_DROPFILES = 0x0233;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT WM_DRAWCLIPBOARD = 0x0308;
constexpr UINT WM_CHANGECBCHAIN = 0x030D;
constexpr UINT WM_HOTKEY = 0x0312;
constexpr UINT WM_USER = 0x0400;

// The program's private messages are ordinary numbers above WM_USER.
constexpr UINT WM_INSTANCECOMMAND = 0x07E8;  // single-instance link (2024)
constexpr UINT WM_TRAYNOTIFY = 0x07F2;       // tray icon notifications
constexpr UINT WM_DEFERREDSTARTUP = 0x07FC;  // deferred start-up work

// Messages of the class framework: component messages (CM_) and the
// notifications it reflects back to the control concerned (CN_ = CN_BASE +
// the window message).
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr UINT CM_FONTCHANGED = CM_BASE + 5;
constexpr UINT CM_COLORCHANGED = CM_BASE + 6;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 22;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_DRAG = CM_BASE + 38;
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
// Keys and accelerators offered to the controls of a form (wParam the key or
// the character; a control that acts on it answers 1), and the notifications
// of standard controls reflected back to them by their parent.
constexpr UINT CM_DIALOGKEY = CM_BASE + 60;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 61;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 62;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// System commands (WM_SYSCOMMAND wParam, low 4 bits cleared).
constexpr uint32_t SC_CLOSE = 0xF060;
constexpr uint32_t SC_CONTEXTHELP = 0xF180;

// WM_CHANGEUISTATE actions and flags (low word action, high word flags).
constexpr uint32_t UIS_SET = 1;
constexpr uint32_t UIS_CLEAR = 2;
constexpr uint32_t UIS_INITIALIZE = 3;
constexpr uint32_t UISF_HIDEFOCUS = 0x1;
constexpr uint32_t UISF_HIDEACCEL = 0x2;

// --- Parameters --------------------------------------------------------------

// Key flags of mouse messages (wParam).
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;

constexpr int32_t WHEEL_DELTA = 120;
constexpr uint32_t WHEEL_PAGESCROLL = 0xFFFFFFFFu;

// WM_SIZE kinds.
constexpr uint32_t SIZE_RESTORED = 0;
constexpr uint32_t SIZE_MINIMIZED = 1;
constexpr uint32_t SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states.
constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;
constexpr uint32_t WA_CLICKACTIVE = 2;

// WINDOWPOS flags.
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;

// The structure WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED point to (lParam):
// the handler of the first may change the size or position.
struct WINDOWPOS {
    HWND hwnd = HWND_NONE;
    HWND hwndInsertAfter = HWND_NONE;
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    uint32_t flags = 0;
};

// --- Virtual keys --------------------------------------------------------------
constexpr uint32_t VK_LBUTTON = 0x01;
constexpr uint32_t VK_RBUTTON = 0x02;
constexpr uint32_t VK_CANCEL = 0x03;
constexpr uint32_t VK_MBUTTON = 0x04;
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_CLEAR = 0x0C;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12;
constexpr uint32_t VK_PAUSE = 0x13;
constexpr uint32_t VK_CAPITAL = 0x14;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;
constexpr uint32_t VK_NEXT = 0x22;
constexpr uint32_t VK_END = 0x23;
constexpr uint32_t VK_HOME = 0x24;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_SNAPSHOT = 0x2C;
constexpr uint32_t VK_INSERT = 0x2D;
constexpr uint32_t VK_DELETE = 0x2E;
constexpr uint32_t VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A.
constexpr uint32_t VK_LWIN = 0x5B;
constexpr uint32_t VK_RWIN = 0x5C;
constexpr uint32_t VK_APPS = 0x5D;
constexpr uint32_t VK_NUMPAD0 = 0x60;
constexpr uint32_t VK_MULTIPLY = 0x6A;
constexpr uint32_t VK_ADD = 0x6B;
constexpr uint32_t VK_SEPARATOR = 0x6C;
constexpr uint32_t VK_SUBTRACT = 0x6D;
constexpr uint32_t VK_DECIMAL = 0x6E;
constexpr uint32_t VK_DIVIDE = 0x6F;
constexpr uint32_t VK_F1 = 0x70;  // VK_F1 + n - 1 up to VK_F24
constexpr uint32_t VK_NUMLOCK = 0x90;
constexpr uint32_t VK_SCROLL = 0x91;
constexpr uint32_t VK_LSHIFT = 0xA0;
constexpr uint32_t VK_RSHIFT = 0xA1;
constexpr uint32_t VK_LCONTROL = 0xA2;
constexpr uint32_t VK_RCONTROL = 0xA3;
constexpr uint32_t VK_LMENU = 0xA4;
constexpr uint32_t VK_RMENU = 0xA5;
constexpr uint32_t VK_OEM_1 = 0xBA;
constexpr uint32_t VK_OEM_PLUS = 0xBB;
constexpr uint32_t VK_OEM_COMMA = 0xBC;
constexpr uint32_t VK_OEM_MINUS = 0xBD;
constexpr uint32_t VK_OEM_PERIOD = 0xBE;
constexpr uint32_t VK_OEM_2 = 0xBF;
constexpr uint32_t VK_OEM_3 = 0xC0;
constexpr uint32_t VK_OEM_4 = 0xDB;
constexpr uint32_t VK_OEM_5 = 0xDC;
constexpr uint32_t VK_OEM_6 = 0xDD;
constexpr uint32_t VK_OEM_7 = 0xDE;
constexpr uint32_t VK_OEM_8 = 0xDF;
constexpr uint32_t VK_OEM_102 = 0xE2;

// Key-message lParam fields.
constexpr uint32_t KF_EXTENDED = 0x0100;  // of the high word
constexpr LPARAM KEYDATA_EXTENDED = LPARAM(1) << 24;
constexpr LPARAM KEYDATA_ALTDOWN = LPARAM(1) << 29;
constexpr LPARAM KEYDATA_PREVIOUSDOWN = LPARAM(1) << 30;
constexpr LPARAM KEYDATA_RELEASED = LPARAM(1) << 31;

// --- Helpers -----------------------------------------------------------------
constexpr LPARAM MakeLParam(int32_t low, int32_t high)
{
    return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}
constexpr WPARAM MakeWParam(int32_t low, int32_t high)
{
    return static_cast<WPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}
constexpr uint16_t LoWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
constexpr uint16_t HiWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
// Signed client coordinates of a mouse message.
constexpr int16_t GetXLParam(LPARAM l) { return static_cast<int16_t>(LoWord(static_cast<uintptr_t>(l))); }
constexpr int16_t GetYLParam(LPARAM l) { return static_cast<int16_t>(HiWord(static_cast<uintptr_t>(l))); }
// The signed wheel delta in the high word of WM_MOUSEWHEEL's wParam.
constexpr int16_t GetWheelDelta(WPARAM w) { return static_cast<int16_t>(HiWord(w)); }

// A message as window procedures and message handlers see it.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// A message taken from the queue: posted messages and input.
struct TMsg {
    HWND hwnd = HWND_NONE;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    uint32_t time = 0;
    int32_t ptX = 0;
    int32_t ptY = 0;
};
