#pragma once
// The clipboard: one content in several formats, opened by one window at a
// time, owned by the window that last emptied it. The program's content is put
// on the desktop's clipboard when the clipboard is closed after a change, and
// what other programs put there is read when the clipboard is opened, so that
// other programs exchange text, rich text, pictures and file lists with the
// program.
//
// Data handles: a format's data is a memory block (GlobalAlloc), except
// CF_BITMAP (a bitmap, HBITMAP) and CF_PALETTE (a palette, HPALETTE). Data
// handed to SetClipboardData belongs to the clipboard from then on (a bitmap
// or palette is freed at once, the clipboard keeping its content); handles
// that GetClipboardData returns stay the clipboard's and remain valid until
// the content changes.
//
// The clipboard is used from the user-interface thread.
//
// Formats the system makes from others, as the original platform does: the
// three text formats (CF_TEXT in the code page of the text's language,
// CF_OEMTEXT in the DOS code page, CF_UNICODETEXT) from whichever was put,
// CF_LOCALE (the user's language) beside text, and CF_DIB and CF_BITMAP from
// each other. They are enumerated after the formats actually put, and the
// data of one is made when it is first asked for.
//
// Delayed rendering (data set as a null handle, produced on request) and
// metafile formats are not carried: SetClipboardData refuses them.
#include "platform/ole/DataObject.h"
#include "platform/win/GlobalMemory.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>
#include <memory>


// Opens the clipboard for a window (HWND_NONE: for no window), in one attempt:
// false, with ERROR_ACCESS_DENIED, while another window has it open or when
// the desktop's clipboard cannot be reached. The window that has it open may
// open it again. The content is taken as it stands at the open.
bool OpenClipboard(HWND owner);
// Closes it; the content, when it changed, goes to the desktop's clipboard.
// False when the clipboard was not open, or when the desktop refused the
// content (the content stays the program's for its own pastes).
bool CloseClipboard();
// Removes every format and makes the window that opened the clipboard its
// owner. The clipboard must be open.
bool EmptyClipboard();
// Puts data in a format (replacing data already in it) and returns the handle;
// null when the clipboard is not open, the handle is not data of the kind the
// format takes, or the clipboard was emptied while open for no window.
HANDLE SetClipboardData(UINT format, HANDLE data);
// The data of a format (null when absent or when the clipboard is not open).
HANDLE GetClipboardData(UINT format);
// Whether a format can be had; works whether the clipboard is open or not.
bool IsClipboardFormatAvailable(UINT format);
// The format after the given one (0: the first); 0 after the last, or when
// the clipboard is not open (ERROR_CLIPBOARD_NOT_OPEN).
UINT EnumClipboardFormats(UINT format);
int32_t CountClipboardFormats();
// The window that owns the content: the one that last emptied it, as long as
// the content on the desktop is still the program's; HWND_NONE when another
// program put the content there.
HWND GetClipboardOwner();
// The window that has the clipboard open (HWND_NONE when closed or open for
// no window).
HWND GetOpenClipboardWindow();
// Grows by one at every change of content, the program's or another program's.
uint32_t GetClipboardSequenceNumber();

// Opening with a bounded wait: OpenClipboard is tried until it succeeds or
// the tick count has advanced by the timeout; with 0, exactly one attempt is
// made. Between attempts the policy's Pause runs. Tests give their own policy
// (a clock of their own, a pause that does not wait).
struct TClipboardRetry {
    std::function<uint32_t()> Ticks;  // milliseconds
    std::function<void()> Pause;
};
bool OpenClipboardWithin(HWND owner, uint32_t timeoutMs);
// Installs a policy and returns the one it replaces; an empty member takes
// the default (GetTickCount, a pause of a few milliseconds).
TClipboardRetry SetClipboardRetry(TClipboardRetry retry);

// Windows told about changes of the clipboard (a chain of viewers): the
// first viewer hears of each change and passes the news on to the next itself.
// The notices arrive as WM_DRAWCLIPBOARD and WM_CHANGECBCHAIN messages.
// SetClipboardViewer returns the window that was first before (the next one
// for the new viewer).
HWND SetClipboardViewer(HWND viewer);
// Takes a window out of the chain; the first viewer is told with the window
// removed and the one after it, as the original platform does.
bool ChangeClipboardChain(HWND remove, HWND next);
struct TClipboardNotifier {
    // The content changed (a WM_DRAWCLIPBOARD to the first viewer).
    std::function<void(HWND viewer)> DrawClipboard;
    // A window left the chain (a WM_CHANGECBCHAIN to the first viewer).
    std::function<void(HWND viewer, HWND removed, HWND next)> ChangeChain;
};
// An empty member takes the default: the message sent to the viewer window.
void SetClipboardNotifier(TClipboardNotifier notifier);

// The desktop's clipboard as the clipboard functions use it. The Qt backend
// gives the real one; tests may put another in its place.
class TDesktopClipboard {
public:
    virtual ~TDesktopClipboard() = default;
    // Whether the desktop's clipboard can be used now.
    virtual bool Reachable() = 0;
    // Puts the content there as the program's own (every format, richest
    // first; an empty content claims the clipboard with nothing on it).
    virtual bool Publish(const TDataObject& content) = 0;
    // Whether what Publish last put there is still there.
    virtual bool HoldsPublished() = 0;
    // What another program put there, in the formats it can be had in.
    virtual TDataObject Read() = 0;
};
// Installs a desktop clipboard and returns the one it replaces; with none
// installed, the backend's is made at the first use.
std::unique_ptr<TDesktopClipboard> SetDesktopClipboard(std::unique_ptr<TDesktopClipboard> desktop);
// Made by the backend.
std::unique_ptr<TDesktopClipboard> MakeDesktopClipboard();
// The backend calls this when the desktop's clipboard changed.
void DesktopClipboardChanged();
