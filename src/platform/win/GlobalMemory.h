#pragma once
// Movable memory blocks reached through handles, the kind of memory the
// clipboard carries. A handle is checked against the blocks alive before it
// is used, so a stale or made-up handle gives null, 0 or false rather than a
// wild access. A block handed to the clipboard belongs to it: GlobalFree
// refuses it until the clipboard lets it go.
#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>

using HANDLE = void*;
using HGLOBAL = HANDLE;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A new block of the given size (its bytes are zero whatever the flags);
// null when the memory cannot be had.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// The block's bytes (null for a handle that is no live block); each lock is
// paired with GlobalUnlock.
void* GlobalLock(HGLOBAL block);
// True while the block stays locked after this call.
bool GlobalUnlock(HGLOBAL block);
// The block's size in bytes; 0 for a handle that is no live block.
size_t GlobalSize(HGLOBAL block);
// Frees the block: null on success, the handle itself when it is no live block
// or belongs to the clipboard (the error is then ERROR_INVALID_HANDLE).
HGLOBAL GlobalFree(HGLOBAL block);

// Whether a handle is a live block.
bool IsGlobalBlock(HANDLE handle);
// A new block holding a copy of the bytes (null when out of memory).
HGLOBAL GlobalAllocBytes(const void* bytes, size_t size);

// For the clipboard: marks a block as the clipboard's (GlobalFree refuses it)
// or hands it back; and frees a block whatever its mark.
void SetGlobalBlockHeld(HGLOBAL block, bool held);
void ReleaseGlobalBlock(HGLOBAL block);
