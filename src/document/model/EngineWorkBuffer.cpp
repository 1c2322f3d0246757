#include "document/model/EngineWorkBuffer.h"

#include <cstring>
#include <utility>

namespace {

std::unique_ptr<uint8_t[]>& Buffer()
{
    static std::unique_ptr<uint8_t[]> buffer;
    return buffer;
}

}  // namespace

uint8_t* AllocEngineWorkBuffer()
{
    std::unique_ptr<uint8_t[]>& buffer = Buffer();
    if (!buffer) {
        buffer = std::make_unique<uint8_t[]>(EngineWorkBufferSize);
        std::memset(buffer.get() + EngineWorkBufferSize - 4, 0, 4);
    }
    return buffer.get();
}

void FreeEngineWorkBuffer()
{
    Buffer().reset();
}

TEngineWorkBufferSwap::TEngineWorkBufferSwap() : FSaved(std::move(Buffer()))
{
}

TEngineWorkBufferSwap::~TEngineWorkBufferSwap()
{
    Buffer() = std::move(FSaved);
}
