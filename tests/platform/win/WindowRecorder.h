#pragma once
// A window that records the messages it gets, for the window layer's tests.
#include <functional>
#include <set>
#include <vector>

#include "platform/win/Windows.h"

struct TSeenMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    friend bool operator==(const TSeenMessage&, const TSeenMessage&) = default;
};

class TRecordingWindow : public TWindowTarget {
public:
    // Records every message in `record` (all when empty).
    explicit TRecordingWindow(std::set<UINT> record = {}) : FRecord(std::move(record)) {}
    ~TRecordingWindow() override
    {
        if (IsWindow(Handle))
            DestroyWindow(Handle);
    }

    HWND Create(TRect bounds, TWindowKind kind = TWindowKind::TopLevel, HWND parent = HWND_NONE)
    {
        TWindowParams p;
        p.Kind = kind;
        p.Parent = parent;
        p.Bounds = bounds;
        p.Style = WS_VISIBLE | (kind == TWindowKind::Child ? WS_CHILD : 0);
        Handle = CreateWindowHandle(this, p);
        return Handle;
    }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (FRecord.empty() || FRecord.count(message))
            Seen.push_back({message, wParam, lParam});
        if (OnMessage) {
            LRESULT result = 0;
            if (OnMessage(window, message, wParam, lParam, result))
                return result;
        }
        return DefWindowProc(window, message, wParam, lParam);
    }

    std::vector<TSeenMessage> Of(UINT message) const
    {
        std::vector<TSeenMessage> out;
        for (const auto& m : Seen)
            if (m.Msg == message)
                out.push_back(m);
        return out;
    }

    HWND Handle = HWND_NONE;
    std::vector<TSeenMessage> Seen;
    // Returns true when it handled the message (result then goes back).
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> OnMessage;

private:
    std::set<UINT> FRecord;
};
