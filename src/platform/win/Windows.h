#pragma once
// Windows and messages: window handles from one handle table, the message
// queue, window procedures, timers, focus, capture, key state, painting by
// invalidated region, the caret, cursors and coordinate helpers. The handle
// table and the queue live here; the Qt backend gives every window a widget,
// turns its events into these messages and shows what they painted.
//
// Every call is made on the user-interface thread. A handle that names no
// window (never made, or destroyed) makes every call fail: results are 0 or
// false and GetLastError says ERROR_INVALID_WINDOW_HANDLE.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/win/Geometry.h"
#include "platform/win/Messages.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/win/WinTypes.h"

constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr uint32_t ERROR_TIMER_NOT_FOUND = 1402;  // (also ERROR_INVALID_PARAMETER cases)
uint32_t GetLastWindowError();

// What answers a window's messages: the window procedure. The framework's
// controls implement it; the window layer keeps only this pointer.
class TWindowTarget {
public:
    virtual ~TWindowTarget() = default;
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// Window styles the backend honours.
constexpr uint32_t WS_CHILD = 0x40000000u;
constexpr uint32_t WS_VISIBLE = 0x10000000u;
constexpr uint32_t WS_DISABLED = 0x08000000u;
constexpr uint32_t WS_CAPTION = 0x00C00000u;
constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080u;

enum class TWindowKind : uint8_t {
    Child,     // a control inside its parent's client area
    TopLevel,  // a form with its frame (or none, when borderless)
    MdiFrame,  // a form whose client area holds MDI children
    MdiChild,  // a form inside an MDI frame's client area
};

struct TWindowParams {
    TWindowKind Kind = TWindowKind::Child;
    HWND Parent = HWND_NONE;  // the parent (child), the MDI frame (MDI child), the owner (top level)
    TRect Bounds;             // in the parent's client coordinates (screen for top-level windows)
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    std::string Caption;      // 1252
    bool Borderless = false;
};

// Makes a window for target (not owned). Sends WM_CREATE and, when it has a
// size, WM_SIZE. Returns HWND_NONE when the parent names no window.
HWND CreateWindowHandle(TWindowTarget* target, const TWindowParams& params);
// Destroys a window and its children (children first): each gets WM_DESTROY,
// loses its timers, caret, capture, focus and drop target, and its handle
// dies for good (handles are never reused). Safe inside the window's own
// message handler: the layer touches nothing of the window afterwards.
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);
TWindowTarget* WindowTarget(HWND window);
HWND GetParent(HWND window);

// --- Messages ------------------------------------------------------------------

// Calls the window procedure now; 0 and a failure for a dead handle.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message; it arrives after the poster returns, from the event loop.
// window HWND_NONE posts to the thread (seen only by the message hook).
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes (remove) or looks at the first queued message in a window and range
// (0, 0 = every message). False when there is none.
bool PeekMessage(TMsg* msg, HWND window, UINT first, UINT last, bool remove);
// Hands a message taken from the queue to its window procedure.
LRESULT DispatchMessage(const TMsg& msg);
// The default handling of the messages the layer gives meaning to.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sees every queued message (posted messages, input, timers) before it is
// dispatched; returns true when it handled it (it is then not dispatched).
// The framework installs the application's hook here.
using TMessageHook = std::function<bool(TMsg&)>;
void SetMessageHook(TMessageHook hook);
// Runs a queued message through the hook, then dispatches it.
void DeliverQueuedMessage(TMsg& msg);

// The time and cursor position of the message being handled.
uint32_t GetMessageTime();
TPoint GetMessagePos();

// Runs the event loop once (wait: blocks until something happened).
void ProcessPendingMessages(bool wait);
// How many queued messages (posted, input, timers) were delivered so far.
uint64_t DeliveredMessageCount();
// Holds back posted messages after the one being handled, so that a modal
// loop sees the state that message left (its modal result) before the next
// one runs, as a loop that takes one message at a time would. Resume lets
// them come again.
void PauseMessageDelivery();
void ResumeMessageDelivery();

// --- Window geometry and state -------------------------------------------------

bool SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t flags);
bool MoveWindow(HWND window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint);
// The window's rectangle in screen coordinates, and its client rectangle (0, 0, w, h).
bool GetWindowRect(HWND window, TRect* rect);
bool GetClientRect(HWND window, TRect* rect);
bool ClientToScreen(HWND window, TPoint* point);
bool ScreenToClient(HWND window, TPoint* point);
// Maps points from one window's client coordinates to another's (HWND_NONE = screen).
int MapWindowPoints(HWND from, HWND to, TPoint* points, int count);
HWND WindowFromPoint(TPoint screenPoint);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;
bool ShowWindow(HWND window, int command);
bool IsWindowVisible(HWND window);
bool IsIconic(HWND window);
bool IsZoomed(HWND window);
bool EnableWindow(HWND window, bool enable);
bool IsWindowEnabled(HWND window);
bool SetWindowText(HWND window, const std::string& text);
std::string GetWindowText(HWND window);
bool BringWindowToTop(HWND window);
bool SetForegroundWindow(HWND window);
HWND GetActiveWindow();
bool SetWindowTopmost(HWND window, bool topmost);

// --- MDI -----------------------------------------------------------------------

// The MDI children of a frame in activation order (most recently active first).
std::vector<HWND> MdiChildren(HWND frame);
HWND MdiActiveChild(HWND frame);
// Activates a child: WM_MDIACTIVATE goes to the child losing activation and to
// the one gaining it (wParam the former, lParam the latter).
bool MdiActivate(HWND child);
bool MdiCascade(HWND frame);
bool MdiTile(HWND frame, bool horizontal);
// The MDI client area of a frame, in the frame's client coordinates.
bool MdiClientRect(HWND frame, TRect* rect);
// Places the MDI client area (the rest of the frame's client area once its
// aligned controls are placed).
bool SetMdiClientRect(HWND frame, const TRect& rect);

// --- Focus, capture, input state ------------------------------------------------

// Moves the keyboard focus: WM_KILLFOCUS to the old window (wParam the new),
// WM_SETFOCUS to the new (wParam the old). Returns the old one.
HWND SetFocus(HWND window);
HWND GetFocus();
// All mouse input goes to the capturing window until ReleaseCapture; the
// window losing the capture gets WM_CAPTURECHANGED (lParam the new holder).
HWND SetCapture(HWND window);
bool ReleaseCapture();
HWND GetCapture();

// Key state as of the message being handled: bit 15 set while down, bit 0
// toggled (lock keys). Asynchronous: the physical state now.
int16_t GetKeyState(uint32_t virtualKey);
int16_t GetAsyncKeyState(uint32_t virtualKey);
bool GetCursorPos(TPoint* point);
bool SetCursorPos(int32_t x, int32_t y);

uint32_t GetDoubleClickTime();
uint32_t GetCaretBlinkTime();

// System metrics used by the program (pixels at the screen's resolution).
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
int GetSystemMetrics(int index);
constexpr uint32_t SPI_GETWHEELSCROLLLINES = 0x0068;
// The wheel's lines per notch (3 unless the desktop says otherwise).
uint32_t WheelScrollLines();

// --- Timers ----------------------------------------------------------------------

// Starts (or restarts with a new period) the window's timer id; WM_TIMER with
// wParam = id arrives from the event loop at each period. Returns id, or 0
// for a dead window. Periods below 1 ms count as 1 ms.
uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t milliseconds);
bool KillTimer(HWND window, uintptr_t id);

// --- Painting --------------------------------------------------------------------

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    bool fErase = false;
    TRect rcPaint;
};

// Adds to the update region (nullptr: the whole client area); WM_PAINT comes
// from the event loop with the accumulated region.
bool InvalidateRect(HWND window, const TRect* rect, bool erase);
bool InvalidateRgn(HWND window, HRGN region, bool erase);
bool ValidateRect(HWND window, const TRect* rect);
// The bounding box of the update region; false when it is empty.
bool GetUpdateRect(HWND window, TRect* rect, bool erase);
// Copies the update region into region: NULLREGION, SIMPLEREGION, COMPLEXREGION or RGN_ERROR.
int GetUpdateRgn(HWND window, HRGN region, bool erase);
// Sends WM_PAINT now when the update region is not empty.
bool UpdateWindow(HWND window);
// A context on the window's back buffer clipped to the update region, which
// is emptied; WM_ERASEBKGND is sent first when an erase was asked for.
HDC BeginPaint(HWND window, PAINTSTRUCT* ps);
bool EndPaint(HWND window, const PAINTSTRUCT* ps);
// A context on the whole client area of the back buffer (outside WM_PAINT).
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// Scrolls the back buffer's pixels and invalidates what was uncovered.
bool ScrollWindow(HWND window, int32_t dx, int32_t dy);

// --- Caret -----------------------------------------------------------------------

// One caret for the thread: a solid block (bitmap nullptr) or a bitmap whose
// pixels are XORed over the window. Created hidden; ShowCaret and HideCaret
// count; it blinks at GetCaretBlinkTime.
bool CreateCaret(HWND window, HBITMAP bitmap, int32_t width, int32_t height);
bool DestroyCaret();
bool ShowCaret(HWND window);
bool HideCaret(HWND window);
bool SetCaretPos(int32_t x, int32_t y);
bool GetCaretPos(TPoint* point);
// Whether the caret is shown now (created, not hidden), for tests and painting.
bool CaretVisible();
HWND CaretWindow();

// --- Cursors ---------------------------------------------------------------------

// A cursor handle: the standard cursors are small numbers (IDC_*); cursors
// made from bitmaps get numbers of their own.
using HCURSOR = uint32_t;
constexpr HCURSOR IDC_ARROW = 32512;
constexpr HCURSOR IDC_IBEAM = 32513;
constexpr HCURSOR IDC_WAIT = 32514;
constexpr HCURSOR IDC_CROSS = 32515;
constexpr HCURSOR IDC_UPARROW = 32516;
constexpr HCURSOR IDC_SIZENWSE = 32642;
constexpr HCURSOR IDC_SIZENESW = 32643;
constexpr HCURSOR IDC_SIZEWE = 32644;
constexpr HCURSOR IDC_SIZENS = 32645;
constexpr HCURSOR IDC_SIZEALL = 32646;
constexpr HCURSOR IDC_NO = 32648;
constexpr HCURSOR IDC_HAND = 32649;
constexpr HCURSOR IDC_APPSTARTING = 32650;
constexpr HCURSOR IDC_HELP = 32651;
// The standard cursor of an IDC_ number (0 for an unknown one).
HCURSOR LoadCursor(HCURSOR id);
// A cursor from a picture: colour (32 bits, may be nullptr for monochrome
// masks) and an AND mask (1 bit per pixel: 1 = transparent), with its hot spot.
HCURSOR CreateCursorFromBitmaps(HBITMAP color, HBITMAP mask, int32_t hotX, int32_t hotY);
bool DestroyCursor(HCURSOR cursor);
// The cursor shown over a window's client area (0: the arrow).
bool SetWindowCursor(HWND window, HCURSOR cursor);
// Shows a cursor everywhere until it is set to 0 (Screen.Cursor).
void SetOverrideCursor(HCURSOR cursor);
// Sets the cursor of the window under the mouse now (the WM_SETCURSOR answer).
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// --- Screen and application --------------------------------------------------------

TSize GetScreenSize();
// The desktop's work area (screen minus panels).
TRect ScreenWorkArea();
// True while one of the program's windows is the active window of the desktop.
bool ApplicationActive();
