// Bytes of any kind given to the Jpeg picture class: it must read them or
// refuse them with one of the program's exceptions.
#include <cstddef>
#include <cstdint>

#include "imaging/JpegImage.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        TJPEGImage picture;
        TForeignMemoryStream stream(data, static_cast<int64_t>(size));
        picture.LoadFromStream(stream);
        picture.Bitmap();
    } catch (const Exception&) {
    }
    return 0;
}
