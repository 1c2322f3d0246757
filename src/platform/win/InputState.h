#pragma once
// Whether the user's input came or waits: background work that runs while the
// program is idle stops when it does.
#include "platform/win/Windows.h"

#include <cstdint>

// A keyboard, mouse-button or wheel message.
bool IsUserInputMessage(UINT message);
// The keyboard, mouse-button and wheel messages delivered so far (input that
// arrived while a piece of work ran shows as a changed count).
uint64_t InputMessageCount();
// A keyboard, mouse-button or wheel message waits in the queue.
bool GetInputState();
