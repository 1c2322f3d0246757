// Bytes of any kind given to the Gif picture class: it must read them or
// refuse them with one of the program's exceptions.
#include <cstddef>
#include <cstdint>

#include "imaging/GifImage.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        TGIFImage picture;
        TForeignMemoryStream stream(data, static_cast<int64_t>(size));
        picture.LoadFromStream(stream);
        picture.GetBitmap();
    } catch (const Exception&) {
    }
    return 0;
}
