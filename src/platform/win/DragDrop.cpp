#include "platform/win/DragDrop.h"

#include <unordered_map>

namespace {

std::unordered_map<HWND, TDropTarget*>& Targets()
{
    static std::unordered_map<HWND, TDropTarget*> targets;
    return targets;
}

} // namespace

bool RegisterDragDrop(HWND window, TDropTarget* target)
{
    if (window == HWND_NONE || target == nullptr)
        return false;
    return Targets().emplace(window, target).second;
}

bool RevokeDragDrop(HWND window)
{
    return Targets().erase(window) != 0;
}

TDropTarget* DropTargetOf(HWND window)
{
    auto it = Targets().find(window);
    return it == Targets().end() ? nullptr : it->second;
}
