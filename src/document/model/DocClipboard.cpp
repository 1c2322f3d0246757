#include "document/model/DocClipboard.h"

#include <utility>

namespace {

TDocClipboard* g_Clipboard = nullptr;

}  // namespace

TDocClipboard* GetDocClipboard()
{
    return g_Clipboard;
}

TDocClipboard* SetDocClipboard(TDocClipboard* clipboard)
{
    return std::exchange(g_Clipboard, clipboard);
}
