#include "platform/win/GlobalHotKeys.h"

bool RegisterHotKey(HWND /*window*/, int32_t /*id*/, uint32_t /*modifiers*/, uint32_t /*virtualKey*/)
{
    return false;
}

bool UnregisterHotKey(HWND /*window*/, int32_t /*id*/)
{
    return false;
}
