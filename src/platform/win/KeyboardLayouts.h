#pragma once
// Keyboard layouts: the layouts the desktop offers, the active one, which key
// gives a character under a layout and which character a key gives. Layouts
// are compiled by xkbcommon from the system's xkb data; a layout's handle
// carries its language identifier in the low 16 bits (and again in the high
// ones), as the program's callers expect. Virtual keys follow the layout's
// letters and digits (the key that types "a" is 'A' under every layout, the
// top-row keys are '0' to '9' whether the digit is shifted or not); the other
// character keys keep the virtual keys of their place on the French keyboard
// the program's key input uses.
#include <cstdint>
#include <string>
#include <vector>

using HKL = uint32_t;

// The layouts in the desktop's order. The desktop's layout list comes from
// $XKB_DEFAULT_LAYOUT ("fr,de,us"); without it the French layout alone.
std::vector<HKL> GetKeyboardLayoutList();
// Replaces the desktop's layout list (xkb layout names such as "fr", "de",
// "us"); the first becomes active. Unknown names are dropped.
void SetKeyboardLayoutNames(const std::vector<std::string>& names);
// The active layout (the thread argument is ignored: there is one keyboard).
HKL GetKeyboardLayout(uint32_t threadId);
HKL GetActiveKeyboardLayout();
// Makes a layout of the list active; false when it is not in the list.
bool ActivateKeyboardLayout(HKL layout);
// The xkb name of a layout of the list ("" when none).
std::string KeyboardLayoutName(HKL layout);

// The key that types a code page 1252 character under the layout: low byte
// the virtual key, high byte the shifts (1 Shift, 2 Ctrl, 4 Alt; AltGr is
// Ctrl and Alt); -1 when no key types it.
int16_t VkKeyScanEx(char character, HKL layout);
// The character the virtual key types under the layout with the shift state
// of keyState (entry VK_SHIFT, VK_CONTROL, VK_MENU: bit 7 down): 1 and the
// code page 1252 character in *character, or 0 when the key types none. A
// dead key gives its accent on its own.
int32_t ToAsciiEx(uint32_t virtualKey, uint32_t scanCode, const uint8_t keyState[256], uint16_t* character,
                  uint32_t flags, HKL layout);
