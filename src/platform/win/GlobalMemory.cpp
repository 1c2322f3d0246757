#include "platform/win/GlobalMemory.h"

#include "platform/runtime/SystemErrors.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct TGlobalBlock {
    std::unique_ptr<uint8_t[]> Bytes;
    size_t Size = 0;
    int32_t Locks = 0;
    bool Held = false;  // the clipboard's
};

struct TGlobalBlocks {
    std::mutex Lock;
    std::unordered_map<const void*, std::unique_ptr<TGlobalBlock>> Blocks;
};

TGlobalBlocks& Blocks()
{
    static TGlobalBlocks blocks;
    return blocks;
}

// The live block of a handle, or null; the caller holds the lock.
TGlobalBlock* FindBlock(TGlobalBlocks& blocks, HGLOBAL handle)
{
    if (!handle)
        return nullptr;
    auto it = blocks.Blocks.find(handle);
    return it == blocks.Blocks.end() ? nullptr : it->second.get();
}

} // namespace

HGLOBAL GlobalAlloc(UINT /*flags*/, size_t bytes)
{
    auto block = std::make_unique<TGlobalBlock>();
    // A block of no bytes still has a distinct address for its data.
    block->Bytes.reset(new (std::nothrow) uint8_t[bytes == 0 ? 1 : bytes]());
    if (!block->Bytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    block->Size = bytes;
    HGLOBAL handle = block.get();
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    blocks.Blocks.emplace(handle, std::move(block));
    return handle;
}

void* GlobalLock(HGLOBAL handle)
{
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    TGlobalBlock* block = FindBlock(blocks, handle);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->Locks;
    return block->Bytes.get();
}

bool GlobalUnlock(HGLOBAL handle)
{
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    TGlobalBlock* block = FindBlock(blocks, handle);
    if (!block || block->Locks == 0)
        return false;
    return --block->Locks > 0;
}

size_t GlobalSize(HGLOBAL handle)
{
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    TGlobalBlock* block = FindBlock(blocks, handle);
    return block ? block->Size : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    std::unique_ptr<TGlobalBlock> doomed;
    {
        TGlobalBlocks& blocks = Blocks();
        std::lock_guard<std::mutex> guard(blocks.Lock);
        auto it = handle ? blocks.Blocks.find(handle) : blocks.Blocks.end();
        if (it == blocks.Blocks.end() || it->second->Held) {
            SetLastError(ERROR_INVALID_HANDLE);
            return handle;
        }
        doomed = std::move(it->second);
        blocks.Blocks.erase(it);
    }
    return nullptr;
}

bool IsGlobalBlock(HANDLE handle)
{
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    return FindBlock(blocks, handle) != nullptr;
}

HGLOBAL GlobalAllocBytes(const void* bytes, size_t size)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!handle)
        return nullptr;
    if (size != 0) {
        void* p = GlobalLock(handle);
        std::memcpy(p, bytes, size);
        GlobalUnlock(handle);
    }
    return handle;
}

void SetGlobalBlockHeld(HGLOBAL handle, bool held)
{
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    if (TGlobalBlock* block = FindBlock(blocks, handle))
        block->Held = held;
}

void ReleaseGlobalBlock(HGLOBAL handle)
{
    std::unique_ptr<TGlobalBlock> doomed;
    TGlobalBlocks& blocks = Blocks();
    std::lock_guard<std::mutex> guard(blocks.Lock);
    auto it = handle ? blocks.Blocks.find(handle) : blocks.Blocks.end();
    if (it != blocks.Blocks.end()) {
        doomed = std::move(it->second);
        blocks.Blocks.erase(it);
    }
}
