#pragma once
// Keys registered for a window that reach it from anywhere on the desktop
// (WM_HOTKEY with the id). Wayland gives programs no such keys and this build
// does not grab keys on X11, so every registration is refused: callers learn
// it from the result and tell the user, never counting the key as working.
#include "platform/win/WinTypes.h"

#include <cstdint>

constexpr uint32_t MOD_ALT = 0x0001;
constexpr uint32_t MOD_CONTROL = 0x0002;
constexpr uint32_t MOD_SHIFT = 0x0004;

// True when the key was registered for the window under the id.
bool RegisterHotKey(HWND window, int32_t id, uint32_t modifiers, uint32_t virtualKey);
// True when a key of that id was registered for the window (and is no more).
bool UnregisterHotKey(HWND window, int32_t id);
