#include "platform/framework/Metafile.h"

#include <cstring>
#include <vector>

#include "platform/framework/Canvas.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/Stream.h"

TMetafile::~TMetafile()
{
    Clear();
}

void TMetafile::Clear()
{
    if (FHandle)
        DeleteEnhMetaFile(FHandle);
    FHandle = nullptr;
    FMMWidth = FMMHeight = 0;
    FInch = 0;
}

HENHMETAFILE TMetafile::ReleaseHandle()
{
    HENHMETAFILE h = FHandle;
    FHandle = nullptr;
    FMMWidth = FMMHeight = 0;
    Changed();
    return h;
}

void TMetafile::SetHandle(HENHMETAFILE metafile)
{
    if (metafile == FHandle)
        return;
    if (FHandle)
        DeleteEnhMetaFile(FHandle);
    FHandle = metafile;
    FMMWidth = FMMHeight = 0;
    ENHMETAHEADER header;
    if (GetEnhMetaFileHeader(FHandle, &header)) {
        FMMWidth = header.rclFrame.Right - header.rclFrame.Left;
        FMMHeight = header.rclFrame.Bottom - header.rclFrame.Top;
    }
    Changed();
}

void TMetafile::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (const auto* m = dynamic_cast<const TMetafile*>(&source)) {
        Clear();
        FHandle = CopyEnhMetaFile(m->FHandle);
        FMMWidth = m->FMMWidth;
        FMMHeight = m->FMMHeight;
        FEnhanced = m->FEnhanced;
        FInch = m->FInch;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect)
{
    if (FHandle)
        PlayEnhMetaFile(canvas.Handle(), FHandle, rect);
}

int32_t TMetafile::Width() const
{
    return MulDiv(FMMWidth, ScreenPixelsPerInch(), 2540);
}

int32_t TMetafile::Height() const
{
    return MulDiv(FMMHeight, ScreenPixelsPerInch(), 2540);
}

void TMetafile::SetWidth(int32_t width)
{
    SetMMWidth(MulDiv(width, 2540, ScreenPixelsPerInch()));
}

void TMetafile::SetHeight(int32_t height)
{
    SetMMHeight(MulDiv(height, 2540, ScreenPixelsPerInch()));
}

void TMetafile::SetMMWidth(int32_t value)
{
    if (value != FMMWidth) {
        FMMWidth = value;
        Changed();
    }
}

void TMetafile::SetMMHeight(int32_t value)
{
    if (value != FMMHeight) {
        FMMHeight = value;
        Changed();
    }
}

void TMetafile::LoadFromStream(TStream& stream)
{
    const int64_t left = stream.Size() - stream.Position();
    if (left <= 0 || left > 1024LL * 1024 * 1024)
        throw EInvalidGraphic("Métafichier non valide");
    std::vector<uint8_t> data(static_cast<size_t>(left));
    stream.ReadBuffer(data.data(), left);
    uint16_t inch = 0;
    HENHMETAFILE h = MetafileFromFileBits(data, &inch);
    if (!h)
        throw EInvalidGraphic("Métafichier non valide");
    Clear();
    SetHandle(h);
    FInch = inch;
    FEnhanced = GetWinMetaFileBitsOf(h).empty() || inch == 0;
}

void TMetafile::SaveToStream(TStream& stream)
{
    if (!FHandle)
        return;
    const std::vector<uint8_t> wmf = GetWinMetaFileBitsOf(FHandle);
    if (!FEnhanced && !wmf.empty()) {
        // Placeable header: key, handle, bounding box, units per inch,
        // reserved, checksum of the ten words before it.
        const uint16_t inch = FInch ? FInch : 1440;
        uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<uint16_t>(MulDiv(FMMWidth, inch, 2540)),
                              static_cast<uint16_t>(MulDiv(FMMHeight, inch, 2540)), inch, 0, 0};
        uint16_t sum = 0;
        for (uint16_t w : words)
            sum ^= w;
        for (uint16_t w : words)
            stream.WriteWord(w);
        stream.WriteWord(sum);
        stream.WriteBuffer(wmf.data(), static_cast<int64_t>(wmf.size()));
        return;
    }
    const uint32_t size = GetEnhMetaFileBits(FHandle, 0, nullptr);
    std::vector<uint8_t> bits(size);
    GetEnhMetaFileBits(FHandle, size, bits.data());
    stream.WriteBuffer(bits.data(), static_cast<int64_t>(bits.size()));
}
