#pragma once
// The document engine's shared work buffer: the read buffer of every file
// load. One buffer serves all loads; a load nested in another (a template
// document, a password check, a preview) puts the running load's buffer aside
// while it works with a fresh one (TEngineWorkBufferSwap).
#include <cstdint>
#include <memory>

// 64 KB of file data plus the 32 bytes a reader may still hold unread when the
// next block is read, and three spare bytes.
constexpr int32_t EngineWorkBufferSize = 65571;

// The buffer, allocated on first use with its last 32-bit word cleared.
uint8_t* AllocEngineWorkBuffer();
// Frees it (at shutdown).
void FreeEngineWorkBuffer();

// While it lives, the running load's buffer is put aside and the next
// AllocEngineWorkBuffer makes a fresh one; at its end the fresh one is freed
// and the put-aside one is back.
class TEngineWorkBufferSwap {
public:
    TEngineWorkBufferSwap();
    ~TEngineWorkBufferSwap();
    TEngineWorkBufferSwap(const TEngineWorkBufferSwap&) = delete;
    TEngineWorkBufferSwap& operator=(const TEngineWorkBufferSwap&) = delete;

private:
    std::unique_ptr<uint8_t[]> FSaved;
};
