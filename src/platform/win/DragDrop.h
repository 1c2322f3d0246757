#pragma once
// Drop targets: a window announces one with RegisterDragDrop, and data dragged
// from other programs (or from the program's own windows) over that window is
// offered to it. Points are in screen coordinates; key state is the MK_ flags
// of mouse messages. The target answers through Effect, a DROPEFFECT_ value.
// The window layer calls the target from its event handling on the
// user-interface thread; it takes no ownership of it.
#include "platform/ole/DataObject.h"
#include "platform/win/Geometry.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

constexpr uint32_t DROPEFFECT_NONE = 0;
constexpr uint32_t DROPEFFECT_COPY = 1;
constexpr uint32_t DROPEFFECT_MOVE = 2;
constexpr uint32_t DROPEFFECT_LINK = 4;
constexpr uint32_t DROPEFFECT_SCROLL = 0x80000000u;

class TDropTarget {
public:
    virtual ~TDropTarget() = default;
    virtual void DragEnter(const TDataObject& data, uint32_t keyState, TPoint screenPoint, uint32_t& effect) = 0;
    virtual void DragOver(uint32_t keyState, TPoint screenPoint, uint32_t& effect) = 0;
    virtual void DragLeave() = 0;
    virtual void Drop(const TDataObject& data, uint32_t keyState, TPoint screenPoint, uint32_t& effect) = 0;
};

// False when the window already has a target or the handle names no window.
bool RegisterDragDrop(HWND window, TDropTarget* target);
// False when the window has no target.
bool RevokeDragDrop(HWND window);
// The target of a window, or nullptr.
TDropTarget* DropTargetOf(HWND window);
