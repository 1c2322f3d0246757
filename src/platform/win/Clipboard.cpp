#include "platform/win/Clipboard.h"

#include "platform/win/Windows.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/Drawing.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/SystemErrors.h"

#include <chrono>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace {

// The viewers hear of changes as the window messages, unless a notifier says
// otherwise.
TClipboardNotifier MessageNotifier(TClipboardNotifier notifier)
{
    if (!notifier.DrawClipboard)
        notifier.DrawClipboard = [](HWND viewer) { SendMessage(viewer, WM_DRAWCLIPBOARD, 0, 0); };
    if (!notifier.ChangeChain)
        notifier.ChangeChain = [](HWND viewer, HWND removed, HWND next) {
            SendMessage(viewer, WM_CHANGECBCHAIN, static_cast<WPARAM>(removed), static_cast<LPARAM>(next));
        };
    return notifier;
}

struct TClipboardState {
    std::recursive_mutex Lock;
    std::unique_ptr<TDesktopClipboard> Desktop;
    bool Open = false;
    HWND OpenWindow = HWND_NONE;
    // Emptied while open for no window: no data may be set until it closes.
    bool EmptiedForNoWindow = false;
    bool Changed = false;       // changed since the open
    bool Own = false;           // the content is the program's
    bool Unpublished = false;   // the program's content never reached the desktop
    bool ForeignRead = false;   // Content is the desktop's current content
    bool Publishing = false;
    bool ViewersOwed = false;   // another program changed it while it was open
    HWND Owner = HWND_NONE;
    TDataObject Content;        // the formats actually put, in order
    // Handles given out or taken over: the clipboard's, freed when the
    // content changes. (Left alone at the end of the run: the memory and
    // graphics registries free what they hold themselves.)
    std::map<UINT, HANDLE> Handles;
    uint32_t Sequence = 0;
    TClipboardRetry Retry;
    HWND FirstViewer = HWND_NONE;
    TClipboardNotifier Notifier = MessageNotifier({});
};

TClipboardState& State()
{
    static TClipboardState state;
    return state;
}

bool IsGdiFormat(UINT format)
{
    return format == CF_BITMAP || format == CF_PALETTE;
}

bool IsMetafileFormat(UINT format)
{
    return format == CF_METAFILEPICT || format == CF_ENHMETAFILE;
}

bool IsTextFormat(UINT format)
{
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

void FreeHandle(UINT format, HANDLE handle)
{
    if (IsGdiFormat(format))
        DeleteObject(static_cast<HGDIOBJ>(handle));
    else
        ReleaseGlobalBlock(handle);
}

void ReleaseHandles(TClipboardState& s)
{
    for (const auto& [format, handle] : s.Handles)
        FreeHandle(format, handle);
    s.Handles.clear();
}

// Frees the handles of formats made from others: their source changed.
void ReleaseSynthesizedHandles(TClipboardState& s)
{
    for (auto it = s.Handles.begin(); it != s.Handles.end();) {
        if (s.Content.HasFormat(it->first)) {
            ++it;
            continue;
        }
        FreeHandle(it->first, it->second);
        it = s.Handles.erase(it);
    }
}

TDesktopClipboard* Desktop(TClipboardState& s)
{
    if (!s.Desktop)
        s.Desktop = MakeDesktopClipboard();
    return s.Desktop.get();
}

// Brings the content up to date with the desktop while the clipboard is
// closed: the program's content stays as long as the desktop holds it (or
// never got it and nobody else put anything there since); otherwise the
// content is what another program put on the desktop.
void Refresh(TClipboardState& s)
{
    TDesktopClipboard* desktop = Desktop(s);
    if (s.Own) {
        if (s.Unpublished || (desktop && desktop->HoldsPublished()))
            return;
        s.Own = false;
        s.Owner = HWND_NONE;
        s.ForeignRead = false;
    }
    if (s.ForeignRead)
        return;
    ReleaseHandles(s);
    s.Content = desktop ? desktop->Read() : TDataObject();
    s.ForeignRead = true;
}

UINT FirstTextFormat(const TClipboardState& s)
{
    for (const auto& item : s.Content.Items())
        if (IsTextFormat(item.first))
            return item.first;
    return 0;
}

// Every format that can be had: those put, then those made from them.
std::vector<UINT> AvailableFormats(const TClipboardState& s)
{
    std::vector<UINT> formats;
    for (const auto& item : s.Content.Items())
        formats.push_back(item.first);
    auto add = [&](UINT format) {
        if (!s.Content.HasFormat(format))
            formats.push_back(format);
    };
    if (FirstTextFormat(s) != 0) {
        add(CF_LOCALE);
        add(CF_TEXT);
        add(CF_OEMTEXT);
        add(CF_UNICODETEXT);
    }
    if (s.Content.HasFormat(CF_DIB) || s.Content.HasFormat(CF_BITMAP)) {
        add(CF_DIB);
        add(CF_BITMAP);
    }
    return formats;
}

LCID TextLocale(const TClipboardState& s)
{
    std::string bytes;
    if (s.Content.GetData(CF_LOCALE, bytes) && bytes.size() >= 4) {
        uint32_t lcid = 0;
        std::memcpy(&lcid, bytes.data(), 4);
        return lcid;
    }
    return GetUserDefaultLCID();
}

// The data of a format, put or made from another.
bool Render(const TClipboardState& s, UINT format, std::string& bytes)
{
    if (s.Content.GetData(format, bytes))
        return true;
    const UINT source = FirstTextFormat(s);
    if (format == CF_LOCALE && source != 0) {
        const uint32_t lcid = GetUserDefaultLCID();
        bytes.assign(reinterpret_cast<const char*>(&lcid), 4);
        return true;
    }
    if (IsTextFormat(format) && source != 0) {
        const uint32_t ansi = CodePageFromLangId(static_cast<uint16_t>(TextLocale(s) & 0xFFFF));
        std::string block;
        s.Content.GetData(source, block);
        std::u16string wide;
        if (source == CF_UNICODETEXT)
            wide = WideTextOfBlock(block);
        else
            wide = ToWide(TextOfBlock(block), source == CF_TEXT ? ansi : CP_OEMCP);
        if (format == CF_UNICODETEXT)
            bytes = WideTextBlock(wide);
        else
            bytes = TextBlock(FromWide(wide, format == CF_TEXT ? ansi : CP_OEMCP));
        return true;
    }
    // CF_DIB and CF_BITMAP both hold a packed DIB.
    if (format == CF_DIB)
        return s.Content.GetData(CF_BITMAP, bytes);
    if (format == CF_BITMAP)
        return s.Content.GetData(CF_DIB, bytes);
    bytes.clear();
    return false;
}

// A handle over a format's data, or null when the data cannot be one.
HANDLE MakeHandle(UINT format, const std::string& bytes)
{
    if (IsMetafileFormat(format))
        return nullptr;
    if (format == CF_BITMAP) {
        TDibImage img;
        std::string error;
        try {
            if (!ReadPackedDib(bytes, img, error))
                return nullptr;
        } catch (const std::exception&) {
            return nullptr;  // a picture too large to be made
        }
        return CreateBitmapFromDib(std::move(img));
    }
    if (format == CF_PALETTE) {
        std::vector<PALETTEENTRY> entries(bytes.size() / 4);
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i] = {static_cast<uint8_t>(bytes[4 * i]), static_cast<uint8_t>(bytes[4 * i + 1]),
                          static_cast<uint8_t>(bytes[4 * i + 2]), static_cast<uint8_t>(bytes[4 * i + 3])};
        return entries.empty() ? nullptr : CreatePalette(entries);
    }
    HGLOBAL block = GlobalAllocBytes(bytes.data(), bytes.size());
    if (block)
        SetGlobalBlockHeld(block, true);
    return block;
}

// The bytes of data handed to SetClipboardData; false when the handle is not
// data of the kind the format takes.
bool BytesOfHandle(UINT format, HANDLE handle, std::string& bytes)
{
    if (format == CF_BITMAP) {
        TDibImage img;
        if (GetObjectType(static_cast<HGDIOBJ>(handle)) != OBJ_BITMAP ||
            !GetBitmapDib(static_cast<HBITMAP>(handle), &img))
            return false;
        bytes = WritePackedDib(img);
        return true;
    }
    if (format == CF_PALETTE) {
        auto palette = static_cast<HPALETTE>(handle);
        if (GetObjectType(static_cast<HGDIOBJ>(handle)) != OBJ_PAL)
            return false;
        std::vector<PALETTEENTRY> entries(GetPaletteSize(palette));
        GetPaletteEntries(palette, 0, static_cast<uint32_t>(entries.size()), entries.data());
        bytes.clear();
        for (const PALETTEENTRY& e : entries) {
            bytes += static_cast<char>(e.peRed);
            bytes += static_cast<char>(e.peGreen);
            bytes += static_cast<char>(e.peBlue);
            bytes += static_cast<char>(e.peFlags);
        }
        return true;
    }
    if (!IsGlobalBlock(handle))
        return false;
    const size_t size = GlobalSize(handle);
    const void* p = GlobalLock(handle);
    bytes.assign(static_cast<const char*>(p), size);
    GlobalUnlock(handle);
    return true;
}

uint32_t DefaultTicks()
{
    return GetTickCount();
}

void DefaultPause()
{
    // Another window of the program (on another thread) or the desktop may
    // hold the clipboard for a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void TellViewers(std::unique_lock<std::recursive_mutex>& lock, TClipboardState& s)
{
    const HWND first = s.FirstViewer;
    const auto tell = s.Notifier.DrawClipboard;
    lock.unlock();
    if (first != HWND_NONE && tell)
        tell(first);
}

} // namespace

bool OpenClipboard(HWND owner)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (s.Open) {
        if (s.OpenWindow == owner)
            return true;
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    TDesktopClipboard* desktop = Desktop(s);
    if (!desktop || !desktop->Reachable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    Refresh(s);
    s.Open = true;
    s.OpenWindow = owner;
    s.Changed = false;
    s.EmptiedForNoWindow = false;
    return true;
}

bool CloseClipboard()
{
    TClipboardState& s = State();
    std::unique_lock<std::recursive_mutex> lock(s.Lock);
    if (!s.Open) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return false;
    }
    s.Open = false;
    s.OpenWindow = HWND_NONE;
    s.EmptiedForNoWindow = false;
    if (!s.Changed) {
        if (s.ViewersOwed) {
            s.ViewersOwed = false;
            TellViewers(lock, s);
        }
        return true;
    }
    s.ViewersOwed = false;
    s.Changed = false;
    ++s.Sequence;
    TDesktopClipboard* desktop = Desktop(s);
    s.Publishing = true;
    bool published = false;
    try {
        published = desktop && desktop->Reachable() && desktop->Publish(s.Content);
    } catch (const std::exception&) {
        published = false;
    }
    s.Publishing = false;
    s.Unpublished = !published;
    TellViewers(lock, s);
    if (!published)
        SetLastError(ERROR_ACCESS_DENIED);
    return published;
}

bool EmptyClipboard()
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return false;
    }
    ReleaseHandles(s);
    s.Content.Clear();
    s.Own = true;
    s.Owner = s.OpenWindow;
    s.ForeignRead = false;
    s.Changed = true;
    s.EmptiedForNoWindow = s.OpenWindow == HWND_NONE;
    return true;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    if (s.EmptiedForNoWindow || format == 0 || data == nullptr || IsMetafileFormat(format)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A handle the clipboard already holds for another format would be freed
    // twice.
    for (const auto& [held, handle] : s.Handles)
        if (handle == data && held != format) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    std::string bytes;
    if (!BytesOfHandle(format, data, bytes)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto old = s.Handles.find(format);
    if (old != s.Handles.end()) {
        if (old->second != data)
            FreeHandle(format, old->second);
        s.Handles.erase(old);
    }
    if (IsGdiFormat(format)) {
        // The clipboard owns the object from now on; it keeps its pixels and
        // frees it at once, so that a caller deleting it against the rules
        // cannot make the clipboard free another object later. The handle
        // it gives out for the format is one of its own.
        DeleteObject(static_cast<HGDIOBJ>(data));
    } else {
        SetGlobalBlockHeld(data, true);
        s.Handles[format] = data;
    }
    s.Content.SetData(format, std::move(bytes));
    ReleaseSynthesizedHandles(s);
    s.Own = true;
    s.ForeignRead = false;
    s.Changed = true;
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto it = s.Handles.find(format);
    if (it != s.Handles.end()) {
        const bool live = IsGdiFormat(format) ? GetObjectType(static_cast<HGDIOBJ>(it->second)) != 0
                                              : IsGlobalBlock(it->second);
        if (live)
            return it->second;
        s.Handles.erase(it);  // freed by a caller against the rules: made again
    }
    std::string bytes;
    if (!Render(s, format, bytes))
        return nullptr;
    HANDLE handle = MakeHandle(format, bytes);
    if (handle)
        s.Handles[format] = handle;
    return handle;
}

bool IsClipboardFormatAvailable(UINT format)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open)
        Refresh(s);
    for (UINT f : AvailableFormats(s))
        if (f == format)
            return true;
    return false;
}

UINT EnumClipboardFormats(UINT format)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    const std::vector<UINT> formats = AvailableFormats(s);
    SetLastError(ERROR_SUCCESS);
    if (format == 0)
        return formats.empty() ? 0 : formats.front();
    for (size_t i = 0; i + 1 < formats.size(); ++i)
        if (formats[i] == format)
            return formats[i + 1];
    return 0;
}

int32_t CountClipboardFormats()
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open)
        Refresh(s);
    return static_cast<int32_t>(AvailableFormats(s).size());
}

HWND GetClipboardOwner()
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    if (!s.Open)
        Refresh(s);
    return s.Own ? s.Owner : HWND_NONE;
}

HWND GetOpenClipboardWindow()
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    return s.Open ? s.OpenWindow : HWND_NONE;
}

uint32_t GetClipboardSequenceNumber()
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    return s.Sequence;
}

bool OpenClipboardWithin(HWND owner, uint32_t timeoutMs)
{
    TClipboardRetry retry;
    {
        TClipboardState& s = State();
        std::lock_guard<std::recursive_mutex> guard(s.Lock);
        retry = s.Retry;
    }
    if (!retry.Ticks)
        retry.Ticks = DefaultTicks;
    if (!retry.Pause)
        retry.Pause = DefaultPause;
    const uint32_t start = retry.Ticks();
    for (;;) {
        if (OpenClipboard(owner))
            return true;
        if (retry.Ticks() - start >= timeoutMs)
            break;
        retry.Pause();
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

TClipboardRetry SetClipboardRetry(TClipboardRetry retry)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    std::swap(s.Retry, retry);
    return retry;
}

HWND SetClipboardViewer(HWND viewer)
{
    TClipboardState& s = State();
    std::unique_lock<std::recursive_mutex> lock(s.Lock);
    const HWND next = s.FirstViewer;
    s.FirstViewer = viewer;
    // A new viewer hears at once of the content as it stands.
    TellViewers(lock, s);
    return next;
}

bool ChangeClipboardChain(HWND remove, HWND next)
{
    TClipboardState& s = State();
    std::unique_lock<std::recursive_mutex> lock(s.Lock);
    if (remove == HWND_NONE)
        return false;
    if (s.FirstViewer == remove) {
        // Nobody points at the first viewer: the chain just starts further on.
        s.FirstViewer = next;
        return true;
    }
    const HWND first = s.FirstViewer;
    const auto tell = s.Notifier.ChangeChain;
    lock.unlock();
    if (first != HWND_NONE && tell)
        tell(first, remove, next);
    return true;
}

void SetClipboardNotifier(TClipboardNotifier notifier)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    s.Notifier = MessageNotifier(std::move(notifier));
}

std::unique_ptr<TDesktopClipboard> SetDesktopClipboard(std::unique_ptr<TDesktopClipboard> desktop)
{
    TClipboardState& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.Lock);
    std::swap(s.Desktop, desktop);
    // What was read from the desktop before belongs to the other one.
    s.ForeignRead = false;
    s.Unpublished = s.Own;
    return desktop;
}

void DesktopClipboardChanged()
{
    TClipboardState& s = State();
    std::unique_lock<std::recursive_mutex> lock(s.Lock);
    if (s.Publishing)
        return;  // the program's own content arriving there
    ++s.Sequence;
    s.ForeignRead = false;
    s.Unpublished = false;
    if (s.Open) {
        // The content stays as it was at the open; viewers, who would open
        // the clipboard themselves, hear of the change at the close.
        s.ViewersOwed = true;
        return;
    }
    TellViewers(lock, s);
}
