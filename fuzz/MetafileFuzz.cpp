// Bytes of any kind given to the metafile reader and player: read as a
// metafile file (enhanced, placeable or plain Windows metafile) and as
// Windows-metafile bits, and played into a small bitmap. Nothing may read
// outside the data, loop without end or leak.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static HDC dc = [] {
        HDC screen = GetScreenDC();
        HDC memory = CreateCompatibleDC(screen);
        SelectObject(memory, CreateCompatibleBitmap(screen, 64, 64));
        ReleaseDC(screen);
        return memory;
    }();
    const std::vector<uint8_t> bytes(data, data + size);
    METAFILEPICT pict{MM_ANISOTROPIC, 1000, 1000, 0};
    for (HENHMETAFILE mf : {MetafileFromFileBits(bytes),
                            SetWinMetaFileBits(static_cast<uint32_t>(size), data, nullptr, &pict)}) {
        if (!mf)
            continue;
        PlayEnhMetaFile(dc, mf, {0, 0, 64, 64});
        DeleteEnhMetaFile(mf);
    }
    return 0;
}
