#pragma once
// Inside the window layer: the handle table's records, shared between the
// table and queue (win/) and the backend that gives each window its widget
// (qt/). Nothing outside the layer includes this.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/Windows.h"

class TNativeWindow;  // the backend's object of a window

struct TWindowRecord {
    HWND Handle = HWND_NONE;
    TWindowTarget* Target = nullptr;
    TWindowKind Kind = TWindowKind::Child;
    HWND Parent = HWND_NONE;
    std::vector<HWND> Children;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    TNativeWindow* Native = nullptr;
    bool Destroying = false;
};

// The live record of a handle, or nullptr (the last error is set then).
TWindowRecord* FindWindowRecord(HWND window);
TWindowRecord* NewWindowRecord(TWindowTarget* target, const TWindowParams& params);
// Drops the record; the handle is dead from here on.
void RemoveWindowRecord(HWND window);
void SetLastWindowError(uint32_t error);

// Key state: the state as of the message being handled, updated when a key or
// button message is delivered, and the physical state, updated when the input
// arrives.
void SetAsyncKeyDown(uint32_t virtualKey, bool down);
void SetMessageKeyDown(uint32_t virtualKey, bool down);
void SetMessageInfo(uint32_t time, TPoint screenPos);

// Backend services the table and queue call.
void BackendWakeQueue();
void BackendCreateNative(TWindowRecord& record, const TWindowParams& params);
void BackendDestroyNative(TWindowRecord& record);
void BackendWindowDestroyed(HWND window);  // timers, caret, capture, focus
