#pragma once
// Inside the Qt backend: turning Qt's key events into the key messages of the
// window layer.
#include <vector>

#include "platform/win/Messages.h"

class QKeyEvent;

struct TKeyMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
};

// The messages of one key event, in order: WM_KEYDOWN or WM_SYSKEYDOWN, then
// the character (WM_CHAR, WM_SYSCHAR, WM_DEADCHAR) when the key gives one; or
// the key-up message. AltGr arrives as Ctrl then Alt. A dead key waits for the
// next character and composes with it into one character. Updates the
// physical key state as it goes.
std::vector<TKeyMessage> TranslateKeyEvent(const QKeyEvent& event);
// Forgets a pending dead key (focus moved).
void ResetKeyTranslation();
