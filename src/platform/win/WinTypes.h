#pragma once
// The basic value types of window messages. A window handle is a 32-bit id
// from the window layer's handle table, never a pointer, so that records and
// messages that carry one keep it in 32 bits. Message parameters are as wide
// as a pointer: some messages carry the address of a structure.
#include <cstdint>

using HWND = uint32_t;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr HWND HWND_NONE = 0;  // no window
