#include "platform/win/InputState.h"
#include "platform/win/WindowTable.h"

#include "platform/win/DragDrop.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace {

struct TWindowState {
    std::unordered_map<HWND, TWindowRecord> Records;
    HWND NextHandle = 0x10000;  // never 0, never reused
    uint32_t LastError = 0;
    std::deque<TMsg> Queue;
    bool WakePending = false;
    bool Paused = false;
    uint64_t Delivered = 0;
    // Keyboard and mouse-button messages delivered so far.
    uint64_t InputDelivered = 0;
    TMessageHook Hook;
    uint8_t MessageKeys[256] = {};
    uint8_t AsyncKeys[256] = {};
    uint32_t MessageTime = 0;
    TPoint MessagePos;
};

TWindowState& State()
{
    static TWindowState state;
    return state;
}

void DestroyTree(HWND window)
{
    TWindowRecord* record = FindWindowRecord(window);
    if (!record || record->Destroying)
        return;
    record->Destroying = true;
    // Children go first, then the window itself; records may move while the
    // handlers run, so the record is looked up again after each call.
    std::vector<HWND> children = record->Children;
    for (HWND child : children)
        DestroyTree(child);
    if (TWindowRecord* r = FindWindowRecord(window); r && r->Target)
        r->Target->WindowProc(window, WM_DESTROY, 0, 0);
    RevokeDragDrop(window);
    BackendWindowDestroyed(window);
    if (TWindowRecord* r = FindWindowRecord(window)) {
        BackendDestroyNative(*r);
        RemoveWindowRecord(window);
    }
}

} // namespace

TWindowRecord* FindWindowRecord(HWND window)
{
    auto& s = State();
    auto it = s.Records.find(window);
    if (it == s.Records.end()) {
        s.LastError = ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    return &it->second;
}

TWindowRecord* NewWindowRecord(TWindowTarget* target, const TWindowParams& params)
{
    auto& s = State();
    HWND handle = s.NextHandle++;
    TWindowRecord& record = s.Records[handle];
    record.Handle = handle;
    record.Target = target;
    record.Kind = params.Kind;
    record.Parent = params.Parent;
    record.Style = params.Style;
    record.ExStyle = params.ExStyle;
    if (params.Parent != HWND_NONE && params.Kind != TWindowKind::TopLevel) {
        if (TWindowRecord* parent = FindWindowRecord(params.Parent))
            parent->Children.push_back(handle);
    }
    return &record;
}

void RemoveWindowRecord(HWND window)
{
    auto& s = State();
    auto it = s.Records.find(window);
    if (it == s.Records.end())
        return;
    HWND parent = it->second.Parent;
    s.Records.erase(it);
    if (auto p = s.Records.find(parent); p != s.Records.end()) {
        auto& c = p->second.Children;
        c.erase(std::remove(c.begin(), c.end(), window), c.end());
    }
}

void SetLastWindowError(uint32_t error)
{
    State().LastError = error;
}

uint32_t GetLastWindowError()
{
    return State().LastError;
}

HWND CreateWindowHandle(TWindowTarget* target, const TWindowParams& params)
{
    if (!target)
        return HWND_NONE;
    if (params.Parent != HWND_NONE && !FindWindowRecord(params.Parent))
        return HWND_NONE;
    if (params.Kind != TWindowKind::TopLevel && params.Kind != TWindowKind::MdiFrame && params.Parent == HWND_NONE) {
        SetLastWindowError(ERROR_INVALID_WINDOW_HANDLE);
        return HWND_NONE;
    }
    TWindowRecord* record = NewWindowRecord(target, params);
    HWND handle = record->Handle;
    BackendCreateNative(*record, params);
    SendMessage(handle, WM_CREATE, 0, 0);
    if (IsWindow(handle) && params.Bounds.Width() > 0 && params.Bounds.Height() > 0) {
        TRect client;
        GetClientRect(handle, &client);
        SendMessage(handle, WM_SIZE, SIZE_RESTORED, MakeLParam(client.Right, client.Bottom));
    }
    return IsWindow(handle) ? handle : HWND_NONE;
}

bool DestroyWindow(HWND window)
{
    TWindowRecord* record = FindWindowRecord(window);
    if (!record)
        return false;
    if (record->Destroying)
        return true;
    DestroyTree(window);
    return true;
}

bool IsWindow(HWND window)
{
    return window != HWND_NONE && State().Records.count(window) != 0;
}

TWindowTarget* WindowTarget(HWND window)
{
    TWindowRecord* r = FindWindowRecord(window);
    return r ? r->Target : nullptr;
}

HWND GetParent(HWND window)
{
    TWindowRecord* r = FindWindowRecord(window);
    return r ? r->Parent : HWND_NONE;
}

// --- Messages ---------------------------------------------------------------------

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TWindowRecord* record = FindWindowRecord(window);
    if (!record || !record->Target)
        return 0;
    // Only the handle travels on: the procedure may destroy the window.
    return record->Target->WindowProc(window, message, wParam, lParam);
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != HWND_NONE && !FindWindowRecord(window))
        return false;
    auto& s = State();
    TMsg msg;
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetMessageTime();
    msg.ptX = s.MessagePos.X;
    msg.ptY = s.MessagePos.Y;
    s.Queue.push_back(msg);
    if (!s.WakePending) {
        s.WakePending = true;
        BackendWakeQueue();
    }
    return true;
}

bool PeekMessage(TMsg* msg, HWND window, UINT first, UINT last, bool remove)
{
    auto& s = State();
    for (auto it = s.Queue.begin(); it != s.Queue.end(); ++it) {
        if (window != HWND_NONE && it->hwnd != window)
            continue;
        if ((first != 0 || last != 0) && (it->message < first || it->message > last))
            continue;
        if (msg)
            *msg = *it;
        if (remove)
            s.Queue.erase(it);
        return true;
    }
    return false;
}

LRESULT DispatchMessage(const TMsg& msg)
{
    if (msg.hwnd == HWND_NONE)
        return 0;
    return SendMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

void SetMessageHook(TMessageHook hook)
{
    State().Hook = std::move(hook);
}

void DeliverQueuedMessage(TMsg& msg)
{
    auto& s = State();
    ++s.Delivered;
    if (IsUserInputMessage(msg.message))
        ++s.InputDelivered;
    s.MessageTime = msg.time;
    s.MessagePos = {msg.ptX, msg.ptY};
    if (s.Hook) {
        TMessageHook hook = s.Hook;  // the hook may replace itself
        if (hook(msg))
            return;
    }
    if (msg.hwnd != HWND_NONE && IsWindow(msg.hwnd))
        DispatchMessage(msg);
}

// Called by the backend when the queue's wake event arrives: delivers what was
// queued up to now (messages posted meanwhile wait for the next wake).
void DeliverPostedMessages()
{
    auto& s = State();
    s.WakePending = false;
    size_t count = s.Queue.size();
    while (count-- > 0 && !s.Queue.empty() && !s.Paused) {
        TMsg msg = s.Queue.front();
        s.Queue.pop_front();
        if (msg.hwnd != HWND_NONE && !IsWindow(msg.hwnd))
            continue;  // its window died after the post
        DeliverQueuedMessage(msg);
    }
    if (!s.Queue.empty() && !s.WakePending && !s.Paused) {
        s.WakePending = true;
        BackendWakeQueue();
    }
}

uint64_t DeliveredMessageCount()
{
    return State().Delivered;
}

bool IsUserInputMessage(UINT message)
{
    // Keys, and mouse buttons and the wheel: a mouse move is no input that
    // makes background work wait.
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message > WM_MOUSEMOVE && message <= WM_MOUSELAST);
}

uint64_t InputMessageCount()
{
    return State().InputDelivered;
}

bool GetInputState()
{
    for (const TMsg& msg : State().Queue)
        if (IsUserInputMessage(msg.message))
            return true;
    return false;
}

void PauseMessageDelivery()
{
    State().Paused = true;
}

void ResumeMessageDelivery()
{
    auto& s = State();
    s.Paused = false;
    if (!s.Queue.empty() && !s.WakePending) {
        s.WakePending = true;
        BackendWakeQueue();
    }
}

uint32_t GetMessageTime()
{
    return State().MessageTime;
}

TPoint GetMessagePos()
{
    return State().MessagePos;
}

void SetMessageInfo(uint32_t time, TPoint screenPos)
{
    State().MessageTime = time;
    State().MessagePos = screenPos;
}

// --- Key state ------------------------------------------------------------------

namespace {

void SetKey(uint8_t (&keys)[256], uint32_t vk, bool down)
{
    if (vk > 255)
        return;
    uint8_t& k = keys[vk];
    if (down && !(k & 0x80))
        k ^= 0x01;  // toggles at each press, as the lock keys show
    k = static_cast<uint8_t>(down ? (k | 0x80) : (k & ~0x80));
}

} // namespace

void SetAsyncKeyDown(uint32_t virtualKey, bool down)
{
    SetKey(State().AsyncKeys, virtualKey, down);
}

void SetMessageKeyDown(uint32_t virtualKey, bool down)
{
    SetKey(State().MessageKeys, virtualKey, down);
}

int16_t GetKeyState(uint32_t virtualKey)
{
    if (virtualKey > 255)
        return 0;
    uint8_t k = State().MessageKeys[virtualKey];
    return static_cast<int16_t>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

int16_t GetAsyncKeyState(uint32_t virtualKey)
{
    if (virtualKey > 255)
        return 0;
    uint8_t k = State().AsyncKeys[virtualKey];
    return static_cast<int16_t>((k & 0x80) ? 0x8000 : 0);
}
