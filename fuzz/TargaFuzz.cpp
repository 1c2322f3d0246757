// Bytes of any kind given to the Targa picture class: it must read them or
// refuse them with one of the program's exceptions.
#include <cstddef>
#include <cstdint>

#include "imaging/TargaImage.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        TTargaImage picture;
        TForeignMemoryStream stream(data, static_cast<int64_t>(size));
        picture.LoadFromStream(stream);
        picture.Width();
    } catch (const Exception&) {
    }
    return 0;
}
