#include "foundation/BitmapHelpers.h"

#include <algorithm>
#include <unordered_map>

#include "platform/framework/Bitmap.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Dib.h"
#include "platform/runtime/Stream.h"

namespace {

// The bitmap's pixels; empty image for an empty bitmap.
TDibImage Pixels(TBitmap& bitmap)
{
    TDibImage img;
    if (bitmap.Empty() || !GetBitmapDib(bitmap.Handle(), &img))
        return TDibImage();
    return img;
}

void SetPixels(TBitmap& bitmap, TDibImage&& img)
{
    bitmap.SetHandle(CreateBitmapFromDib(std::move(img)));
}

}  // namespace

void CollectBitmapColors(TBitmap& bitmap, std::vector<uint32_t>& colors)
{
    const TDibImage img = Pixels(bitmap);
    std::unordered_map<uint32_t, bool> seen;
    for (uint32_t c : colors)
        seen[c] = true;
    std::vector<uint32_t> row(static_cast<size_t>(std::max(0, img.Width)));
    for (int32_t y = img.Height - 1; y >= 0; --y) {
        ReadDibRow(img, y, 0, img.Width, row.data());
        for (uint32_t c : row)
            if (seen.emplace(c & 0xFFFFFF, true).second)
                colors.push_back(c & 0xFFFFFF);
        if (colors.size() > 256)
            break;
    }
    if (bitmap.Transparent() && !seen.count(0xFFFFFF))
        colors.push_back(0xFFFFFF);
}

bool BuildPalettedDIB(TBitmap& bitmap, const std::vector<uint32_t>& colors, TStream& stream)
{
    // A colour table holds at most 256 entries.
    if (colors.size() > 256)
        return false;
    const TDibImage src = Pixels(bitmap);
    const int bits = colors.size() <= 2 ? 1 : colors.size() <= 16 ? 4 : 8;
    TDibImage out;
    AllocateDib(out, std::max(1, src.Width), std::max(1, src.Height), bits);
    out.Colors.assign(size_t{1} << bits, RGBQUAD{});
    std::unordered_map<uint32_t, uint8_t> index;
    for (size_t i = 0; i < colors.size(); ++i) {
        out.Colors[i] = {static_cast<uint8_t>(colors[i] & 0xFF), static_cast<uint8_t>((colors[i] >> 8) & 0xFF),
                         static_cast<uint8_t>((colors[i] >> 16) & 0xFF), 0};
        index.emplace(colors[i], static_cast<uint8_t>(i));
    }
    out.Colors.resize(std::max<size_t>(colors.size(), 1));
    for (int32_t y = 0; y < src.Height; ++y)
        for (int32_t x = 0; x < src.Width; ++x) {
            const uint32_t c = DibPixel(src, x, y) & 0xFFFFFF;
            auto it = index.find(c);
            const uint8_t i = it != index.end() ? it->second : NearestColorIndex(out.Colors, c);
            uint8_t* row = out.Row(y);
            if (bits == 8) {
                row[x] = i;
            } else if (bits == 4) {
                row[x / 2] = static_cast<uint8_t>(x % 2 ? (row[x / 2] & 0xF0) | i : (row[x / 2] & 0x0F) | (i << 4));
            } else if (i) {
                row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
            } else {
                row[x / 8] = static_cast<uint8_t>(row[x / 8] & ~(0x80 >> (x % 8)));
            }
        }
    const BITMAPINFO info = DibInfo(out);
    const BITMAPINFOHEADER& h = info.bmiHeader;
    stream.WriteDWord(40);
    stream.WriteDWord(static_cast<uint32_t>(h.biWidth));
    stream.WriteDWord(static_cast<uint32_t>(h.biHeight));
    stream.WriteWord(1);
    stream.WriteWord(static_cast<uint16_t>(bits));
    stream.WriteDWord(BI_RGB);
    const std::string rows = PackDibBottomUp(out);
    stream.WriteDWord(static_cast<uint32_t>(rows.size()));
    stream.WriteDWord(0);
    stream.WriteDWord(0);
    stream.WriteDWord(static_cast<uint32_t>(info.bmiColors.size()));
    stream.WriteDWord(0);
    for (const RGBQUAD& q : info.bmiColors) {
        const uint8_t quad[4] = {q.rgbBlue, q.rgbGreen, q.rgbRed, 0};
        stream.WriteBuffer(quad, 4);
    }
    stream.WriteBuffer(rows.data(), static_cast<int64_t>(rows.size()));
    return true;
}

void ReduceBitmapColors(TBitmap& bitmap)
{
    if (bitmap.Empty() || bitmap.PixelFormat() != TPixelFormat::pf24bit)
        return;
    std::vector<uint32_t> colors;
    CollectBitmapColors(bitmap, colors);
    if (colors.size() > 256)
        return;
    TMemoryStream dib;
    if (!BuildPalettedDIB(bitmap, colors, dib))
        return;
    TMemoryStream file;
    file.WriteWord(0x4D42);
    const uint32_t headerSize = 40 + 4 * static_cast<uint32_t>(std::max<size_t>(colors.size(), 1));
    file.WriteDWord(static_cast<uint32_t>(14 + dib.Size()));
    file.WriteDWord(0);
    file.WriteDWord(14 + headerSize);
    dib.SetPosition(0);
    file.CopyFrom(dib, dib.Size());
    file.SetPosition(0);
    const bool transparent = bitmap.Transparent();
    // The framework's own reader: the file image is a BMP whatever the
    // bitmap's class writes.
    bitmap.TBitmap::LoadFromStream(file);
    bitmap.SetTransparent(transparent);
}

void RotateBitmap90(TBitmap& bitmap)
{
    TDibImage src = Pixels(bitmap);
    if (src.Empty())
        return;
    const int bits = src.BitCount == 8 ? 8 : 24;
    if (src.BitCount != bits)
        src = ConvertDib(src, bits);
    TDibImage out;
    AllocateDib(out, src.Height, src.Width, bits);
    out.Colors = src.Colors;
    const int bpp = bits / 8;
    // The top row of the source becomes the right column of the result.
    for (int32_t y = 0; y < src.Height; ++y) {
        const uint8_t* s = src.Row(y);
        for (int32_t x = 0; x < src.Width; ++x) {
            uint8_t* d = out.Row(x) + static_cast<size_t>(src.Height - 1 - y) * bpp;
            std::copy(s + static_cast<size_t>(x) * bpp, s + static_cast<size_t>(x + 1) * bpp, d);
        }
    }
    SetPixels(bitmap, std::move(out));
}

void LightenBitmap(TBitmap& bitmap)
{
    TDibImage img = Pixels(bitmap);
    if (img.Empty() || img.BitCount != 24)
        return;
    for (int32_t y = 0; y < img.Height; ++y) {
        uint8_t* row = img.Row(y);
        for (int32_t i = 0; i < img.Width * 3; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (255 - row[i]) * 7 / 10);
    }
    SetPixels(bitmap, std::move(img));
}

void MetafileToBitmap(HENHMETAFILE metafile, TBitmap& bitmap, TSize size)
{
    if (size.cx == 0) {
        ENHMETAHEADER h;
        size = {1, 1};
        if (GetEnhMetaFileHeader(metafile, &h) && h.szlMillimeters.cx > 0 && h.szlMillimeters.cy > 0) {
            const int64_t w = static_cast<int64_t>(h.rclFrame.Right - h.rclFrame.Left) * h.szlDevice.cx /
                              (static_cast<int64_t>(h.szlMillimeters.cx) * 100);
            const int64_t ht = static_cast<int64_t>(h.rclFrame.Bottom - h.rclFrame.Top) * h.szlDevice.cy /
                               (static_cast<int64_t>(h.szlMillimeters.cy) * 100);
            size = {static_cast<int32_t>(std::clamp<int64_t>(w, 1, 16384)),
                    static_cast<int32_t>(std::clamp<int64_t>(ht, 1, 16384))};
        }
    }
    size.cx = std::max(1, size.cx);
    size.cy = std::max(1, size.cy);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(size.cx, size.cy);
    HDC dc = bitmap.Canvas().Handle();
    const TRect all{0, 0, size.cx, size.cy};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, all, white);
    DeleteObject(white);
    PlayEnhMetaFile(dc, metafile, all);
    ReduceBitmapColors(bitmap);
}

HBITMAP MetafileToBitmapHandle(HENHMETAFILE metafile, TSize size)
{
    TBitmap bitmap;
    MetafileToBitmap(metafile, bitmap, size);
    return bitmap.ReleaseHandle();
}

void AssignMetafileToGraphic(HENHMETAFILE metafile, TGraphic& graphic, TSize size)
{
    TBitmap bitmap;
    MetafileToBitmap(metafile, bitmap, size);
    graphic.Assign(bitmap);
}

HENHMETAFILE BitmapToMetafile(TBitmap& bitmap)
{
    TDibImage img = Pixels(bitmap);
    if (img.Empty())
        return nullptr;
    HDC screen = GetScreenDC();
    const TRect frame = FrameOfPixelSize(screen, img.Width, img.Height);
    TEnhMetafileRecorder recorder(screen, frame);
    ReleaseDC(screen);
    const TRect rect{0, 0, img.Width, img.Height};
    if (bitmap.Transparent()) {
        recorder.TransparentDib(rect, img, ColorToRGB(bitmap.TransparentColor()));
    } else {
        recorder.FillRect({0, 0, img.Width - 1, img.Height - 1}, RGB(255, 255, 255));
        recorder.StretchDib(rect, img);
    }
    return recorder.Close();
}
