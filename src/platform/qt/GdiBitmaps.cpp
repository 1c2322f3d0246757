// Bitmaps, DIB transfers and block transfers with raster operations.
#include <algorithm>
#include <cstring>

#include "platform/qt/GdiBackend.h"
#include "platform/runtime/Exception.h"

namespace {

std::shared_ptr<TBitmapObject> NewBitmap(TDibImage&& image)
{
    auto b = std::make_shared<TBitmapObject>();
    b->Image = std::move(image);
    return b;
}

HBITMAP Register(std::shared_ptr<TBitmapObject> b)
{
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(std::move(b));
}

bool ValidDepth(uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

constexpr int64_t MaxSmoothStretchPixels = 4096LL * 4096;

bool RopUsesDest(uint32_t rop)
{
    const uint32_t code = (rop >> 16) & 0xFF;
    return ((code >> 1) & 0x55) != (code & 0x55);
}

// The pixels of a DIB area as a Qt image (for devices without pixels of their own).
QImage ToQImage(const TDibImage& img, const QRect& area)
{
    const QRect r = area.normalized().intersected(QRect(0, 0, img.Width, img.Height));
    QImage out(std::max(1, r.width()), std::max(1, r.height()), QImage::Format_RGB32);
    out.fill(Qt::white);
    for (int y = 0; y < r.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(out.scanLine(y));
        ReadDibRow(img, r.top() + y, r.left(), r.width(), row);
        for (int x = 0; x < r.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return out;
}

// Draws DIB pixels on a device without pixels to mix with (a PDF page).
bool DrawOnVectorDevice(TDc* d, const QRect& destRect, const TDibImage& img, bool deviceMono, const QRect& srcRect,
                        uint32_t rop, const COLORREF* transparent)
{
    QPainter* p = d->Painter();
    if (!p)
        return d->Kind == TDcKind::Screen;
    if (!RopUsesSource(rop)) {
        if (rop == BLACKNESS || rop == WHITENESS)
            p->fillRect(destRect.normalized(), rop == BLACKNESS ? Qt::black : Qt::white);
        else if (rop == PATCOPY)
            p->fillRect(destRect.normalized(),
                        MakeQtBrush(d->State.Brush.get(), d->State.BkColor, d->State.BkMode == OPAQUE));
        return true;
    }
    QImage image = ToQImage(img, srcRect);
    if (deviceMono) {
        // Monochrome: 0 bits in the text colour, 1 bits in the background colour.
        const QRect r = srcRect.normalized().intersected(QRect(0, 0, img.Width, img.Height));
        for (int y = 0; y < image.height() && y < r.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
            const uint8_t* bits = img.Row(r.top() + y);
            for (int x = 0; x < r.width(); ++x) {
                const int sx = r.left() + x;
                const bool set = (bits[sx >> 3] >> (7 - (sx & 7))) & 1;
                row[x] = 0xFF000000u | ToXrgb(set ? d->State.BkColor : d->State.TextColor);
            }
        }
    }
    if (transparent) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        const uint32_t key = 0xFF000000u | ToXrgb(*transparent);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (row[x] == key)
                    row[x] = 0;
        }
    }
    image = image.mirrored((destRect.width() < 0) != (srcRect.width() < 0),
                           (destRect.height() < 0) != (srcRect.height() < 0));
    p->setRenderHint(QPainter::SmoothPixmapTransform, d->State.StretchMode == HALFTONE);
    p->drawImage(destRect.normalized(), image);
    return true;
}

// Maps destination offsets first..first+count-1 (of 0..destLength-1) to
// source coordinates (nearest pixel), -1 outside. Only the offsets drawn are
// mapped, however long the destination.
std::vector<int32_t> AxisMap(int32_t destLength, int32_t first, int32_t count, int32_t srcStart, int32_t srcLength,
                             bool mirror, int32_t limit)
{
    std::vector<int32_t> map(static_cast<size_t>(std::max(0, count)));
    for (int32_t k = 0; k < count; ++k) {
        const int32_t i = first + k;
        const int32_t u = mirror ? destLength - 1 - i : i;
        const int32_t s = srcStart + static_cast<int32_t>(static_cast<int64_t>(u) * srcLength / destLength);
        map[static_cast<size_t>(k)] = (s >= 0 && s < limit) ? s : -1;
    }
    return map;
}

}  // namespace

bool RasterBlt(TDc* dest, const QRect& destRect, const TBltSource* source, uint32_t rop, const COLORREF* transparent,
               const TBrushObject* brush)
{
    auto bmp = dest->TargetBitmap();
    if (!bmp)
        return dest->Kind == TDcKind::Screen;
    const QRect dr = destRect.normalized();
    const QRegion area = dest->VisibleRegion().intersected(dr);
    if (area.isEmpty())
        return true;
    const bool usesSource = RopUsesSource(rop) || transparent;
    const bool usesPattern = RopUsesPattern(rop);
    if (usesSource && (!source || !source->Image || source->Image->Empty()))
        return false;
    const TBrushObject* patternBrush = brush ? brush : dest->State.Brush.get();
    const TBrushSampler sampler(patternBrush, dest->State.BrushOrg, dest->State.BkColor);
    if (usesPattern && sampler.Null())
        return true;  // a null brush paints nothing

    bmp->PrepareAccess();
    TDibImage& target = bmp->Image;

    // Source pixels, copied when they are the destination's own.
    TDibImage sourceCopy;
    const TDibImage* src = nullptr;
    QRect sr;
    // The maps cover the drawn part of the destination only.
    const QRect drawn = area.boundingRect();
    const int32_t mapLeft = drawn.left() - dr.left(), mapTop = drawn.top() - dr.top();
    std::vector<int32_t> xmap, ymap;
    if (usesSource) {
        src = source->Image;
        sr = source->Rect;
        if (src == &target) {
            sourceCopy = *src;
            src = &sourceCopy;
        }
        const bool mirrorX = (destRect.width() < 0) != (sr.width() < 0);
        const bool mirrorY = (destRect.height() < 0) != (sr.height() < 0);
        const QRect srn = sr.normalized();
        const bool stretched = srn.width() != dr.width() || srn.height() != dr.height();
        // Smoothing scales the whole source to the destination's size: only
        // for destinations of a sensible size (others take the nearest pixel).
        const bool smoothable = static_cast<int64_t>(dr.width()) * dr.height() <= MaxSmoothStretchPixels;
        if (stretched && smoothable && dest->State.StretchMode == HALFTONE && !source->DeviceMono) {
            QImage smooth = ToQImage(*src, srn).scaled(dr.width(), dr.height(), Qt::IgnoreAspectRatio,
                                                       Qt::SmoothTransformation);
            TDibImage scaled;
            AllocateDib(scaled, smooth.width(), smooth.height(), 32);
            for (int y = 0; y < smooth.height(); ++y)
                WriteDibRow(scaled, y, 0, smooth.width(), reinterpret_cast<const uint32_t*>(smooth.constScanLine(y)));
            sourceCopy = std::move(scaled);
            src = &sourceCopy;
            xmap = AxisMap(dr.width(), mapLeft, drawn.width(), 0, dr.width(), mirrorX, src->Width);
            ymap = AxisMap(dr.height(), mapTop, drawn.height(), 0, dr.height(), mirrorY, src->Height);
        } else {
            xmap = AxisMap(dr.width(), mapLeft, drawn.width(), srn.left(), srn.width(), mirrorX, src->Width);
            ymap = AxisMap(dr.height(), mapTop, drawn.height(), srn.top(), srn.height(), mirrorY, src->Height);
        }
    }
    const bool srcMono = src && source->DeviceMono;
    const bool destMono = bmp->DeviceMono;
    const uint32_t monoZero = ToXrgb(dest->State.TextColor);
    const uint32_t monoOne = ToXrgb(dest->State.BkColor);
    const uint32_t srcBk = source ? ToXrgb(source->BkColor) : 0xFFFFFF;
    const uint32_t key = transparent ? ToXrgb(*transparent) : 0;
    const bool readDest = RopUsesDest(rop) || transparent || (usesPattern && !sampler.Solid() &&
                                                              dest->State.BkMode == TRANSPARENT);

    std::vector<uint32_t> row, srcRow;
    std::vector<uint8_t> keep;
    for (const QRect& r : area) {
        const int32_t w = r.width();
        row.resize(static_cast<size_t>(w));
        keep.resize(static_cast<size_t>(w));
        for (int32_t y = r.top(); y <= r.bottom(); ++y) {
            if (readDest)
                ReadDibRow(target, y, r.left(), w, row.data());
            int32_t sy = -1;
            if (src) {
                sy = ymap[static_cast<size_t>(y - drawn.top())];
                if (sy >= 0 && !srcMono) {
                    srcRow.resize(static_cast<size_t>(src->Width));
                    ReadDibRow(*src, sy, 0, src->Width, srcRow.data());
                }
            }
            for (int32_t i = 0; i < w; ++i) {
                const int32_t x = r.left() + i;
                keep[static_cast<size_t>(i)] = 0;
                uint32_t s = 0;
                if (src) {
                    const int32_t sx = xmap[static_cast<size_t>(x - drawn.left())];
                    if (sx < 0 || sy < 0) {
                        keep[static_cast<size_t>(i)] = 1;
                        continue;
                    }
                    if (srcMono) {
                        const bool set = (src->Row(sy)[sx >> 3] >> (7 - (sx & 7))) & 1;
                        s = destMono ? (set ? 0xFFFFFF : 0) : (set ? monoOne : monoZero);
                    } else {
                        s = srcRow[static_cast<size_t>(sx)];
                        if (destMono)
                            s = s == srcBk ? 0xFFFFFF : 0;
                    }
                    if (transparent && s == key) {
                        keep[static_cast<size_t>(i)] = 1;
                        continue;
                    }
                }
                uint32_t p = 0;
                if (usesPattern) {
                    bool background = false;
                    p = sampler.At(x, y, background);
                    if (background && dest->State.BkMode == TRANSPARENT && rop == PATCOPY) {
                        keep[static_cast<size_t>(i)] = 1;
                        continue;
                    }
                }
                row[static_cast<size_t>(i)] = ApplyRop3(rop, p, s, readDest ? row[static_cast<size_t>(i)] : 0);
            }
            if (readDest) {
                WriteDibRow(target, y, r.left(), w, row.data());
            } else {
                // Write runs of changed pixels only.
                int32_t i = 0;
                while (i < w) {
                    if (keep[static_cast<size_t>(i)]) {
                        ++i;
                        continue;
                    }
                    int32_t j = i;
                    while (j < w && !keep[static_cast<size_t>(j)])
                        ++j;
                    WriteDibRow(target, y, r.left() + i, j - i, row.data() + i);
                    i = j;
                }
            }
        }
    }
    dest->MarkDirty(dr);
    return true;
}

// --- Bitmap objects --------------------------------------------------------------

HBITMAP CreateBitmap(int32_t width, int32_t height, uint32_t planes, uint32_t bitCount, const void* bits)
{
    const uint32_t depth = std::max<uint32_t>(1, planes) * bitCount;
    if (width < 0 || height < 0 || !ValidDepth(depth))
        return nullptr;
    TDibImage img;
    try {
        AllocateDib(img, width, height, static_cast<int>(depth));
    } catch (const EOutOfMemory&) {
        return nullptr;
    }
    auto b = NewBitmap(std::move(img));
    b->DeviceMono = depth == 1;
    if (bits) {
        TDibImage& target = b->Image;
        const size_t srcStride = ((static_cast<size_t>(width) * depth + 15) / 16) * 2;
        const auto* src = static_cast<const uint8_t*>(bits);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(target.Row(y), src + y * srcStride,
                        std::min<size_t>(srcStride, static_cast<size_t>(target.Stride)));
    }
    return Register(std::move(b));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int32_t width, int32_t height)
{
    TDc* d = FindDC(dc);
    if (!d || width < 0 || height < 0)
        return nullptr;
    int depth = 32;
    if (d->Kind == TDcKind::Memory && d->State.Bitmap && d->State.Bitmap->DeviceMono)
        depth = 1;
    if (width == 0 || height == 0) {
        width = height = 1;
        depth = 1;
    }
    TDibImage img;
    try {
        AllocateDib(img, width, height, depth);
    } catch (const EOutOfMemory&) {
        return nullptr;
    }
    auto b = NewBitmap(std::move(img));
    b->DeviceMono = depth == 1;
    return Register(std::move(b));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO& info, uint32_t, const void* bits, size_t bitsSize)
{
    TDibImage img;
    if (bits) {
        std::string error;
        if (!DecodeDib(info, static_cast<const uint8_t*>(bits), bitsSize, img, error))
            return nullptr;
    } else {
        const BITMAPINFOHEADER& h = info.bmiHeader;
        const int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
        if (h.biWidth <= 0 || height == 0 || height > 0x7FFFFFFF || !ValidDepth(h.biBitCount))
            return nullptr;
        bool rgb565 = false;
        if (h.biBitCount == 16 && h.biCompression == BI_BITFIELDS && info.bmiColors.size() >= 3)
            rgb565 = info.bmiColors[1].rgbGreen == 0x07 && info.bmiColors[1].rgbBlue == 0xE0;
        try {
            AllocateDib(img, h.biWidth, static_cast<int32_t>(height), h.biBitCount, rgb565);
        } catch (const EOutOfMemory&) {
            return nullptr;
        }
        if (h.biBitCount <= 8 && !info.bmiColors.empty()) {
            const size_t n = std::min<size_t>(info.bmiColors.size(), size_t{1} << h.biBitCount);
            img.Colors.assign(info.bmiColors.begin(), info.bmiColors.begin() + static_cast<std::ptrdiff_t>(n));
        }
    }
    return Register(NewBitmap(std::move(img)));
}

HBITMAP CreateBitmapFromDib(TDibImage&& image)
{
    if (image.Width < 0 || image.Height < 0 || !ValidDepth(image.BitCount) ||
        image.Stride != DibStride(image.Width, image.BitCount) ||
        image.Bits.size() != static_cast<size_t>(image.Stride) * static_cast<size_t>(image.Height))
        return nullptr;
    return Register(NewBitmap(std::move(image)));
}

bool GetBitmapDib(HBITMAP bitmap, TDibImage* image)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    if (!b || !image)
        return false;
    b->PrepareAccess();
    *image = b->Image;
    return true;
}

uint8_t* DIBScanLine(HBITMAP bitmap, int32_t y)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    if (!b || y < 0 || y >= b->Image.Height)
        return nullptr;
    b->PrepareAccess();
    return b->Image.Row(y);
}

int32_t BitmapBitCount(HBITMAP bitmap)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    return b ? b->Image.BitCount : 0;
}

bool BitmapIsRgb565(HBITMAP bitmap)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    return b && b->Image.Rgb565;
}

std::vector<RGBQUAD> GetBitmapColorTable(HBITMAP bitmap)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    return b ? b->Image.Colors : std::vector<RGBQUAD>();
}

bool SetBitmapColorTable(HBITMAP bitmap, const std::vector<RGBQUAD>& colors)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    if (!b || !b->Image.Indexed() || colors.empty() || colors.size() > (size_t{1} << b->Image.BitCount))
        return false;
    b->PrepareAccess();
    b->Image.Colors = colors;
    return true;
}

// --- DIB transfers -----------------------------------------------------------

int GetDIBits(HDC, HBITMAP bitmap, uint32_t start, uint32_t lines, void* bits, BITMAPINFO* info, uint32_t)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    if (!b || !info)
        return 0;
    b->PrepareAccess();
    const TDibImage& img = b->Image;
    BITMAPINFOHEADER& h = info->bmiHeader;
    const bool describeOnly = !bits && h.biBitCount == 0;
    int depth = h.biBitCount == 0 ? img.BitCount : h.biBitCount;
    if (!ValidDepth(static_cast<uint32_t>(depth)))
        return 0;
    const bool topDown = h.biHeight < 0;
    const bool rgb565 = depth == 16 && (describeOnly ? img.Rgb565 : h.biCompression == BI_BITFIELDS && img.Rgb565);
    h.biSize = 40;
    h.biWidth = img.Width;
    h.biHeight = topDown ? -img.Height : img.Height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(depth);
    h.biCompression = rgb565 ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(static_cast<int64_t>(DibStride(img.Width, depth)) * img.Height);
    if (describeOnly)
        return img.Height;
    const std::vector<RGBQUAD>* table = (depth <= 8 && depth == img.BitCount) ? &img.Colors : nullptr;
    const TDibImage converted =
        (depth == img.BitCount && rgb565 == img.Rgb565) ? img : ConvertDib(img, depth, rgb565, table);
    if (depth <= 8) {
        info->bmiColors = converted.Colors;
        h.biClrUsed = static_cast<uint32_t>(converted.Colors.size());
    } else {
        info->bmiColors.clear();
        h.biClrUsed = 0;
    }
    if (!bits)
        return img.Height;
    if (start >= static_cast<uint32_t>(img.Height))
        return 0;
    const uint32_t count = std::min<uint32_t>(lines, static_cast<uint32_t>(img.Height) - start);
    auto* out = static_cast<uint8_t*>(bits);
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t line = static_cast<int32_t>(start + i);  // in the DIB's own order
        const int32_t y = topDown ? line : img.Height - 1 - line;
        std::memcpy(out + static_cast<size_t>(i) * converted.Stride, converted.Row(y), static_cast<size_t>(converted.Stride));
    }
    return static_cast<int>(count);
}

namespace {

// Decodes the given lines of DIB data described by info.
bool DecodeLines(const BITMAPINFO& info, const void* bits, uint32_t lines, TDibImage& out)
{
    BITMAPINFO part = info;
    const bool topDown = info.bmiHeader.biHeight < 0;
    const uint32_t total = static_cast<uint32_t>(topDown ? -static_cast<int64_t>(info.bmiHeader.biHeight)
                                                          : info.bmiHeader.biHeight);
    lines = std::min(lines, total);
    part.bmiHeader.biHeight = topDown ? -static_cast<int32_t>(lines) : static_cast<int32_t>(lines);
    size_t size;
    if (info.bmiHeader.biCompression == BI_RLE8 || info.bmiHeader.biCompression == BI_RLE4)
        size = info.bmiHeader.biSizeImage;
    else
        size = static_cast<size_t>(DibStride(info.bmiHeader.biWidth, info.bmiHeader.biBitCount)) * lines;
    std::string error;
    return bits && DecodeDib(part, static_cast<const uint8_t*>(bits), size, out, error);
}

}  // namespace

int SetDIBits(HDC, HBITMAP bitmap, uint32_t start, uint32_t lines, const void* bits, const BITMAPINFO& info, uint32_t)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    if (!b || lines == 0)
        return 0;
    TDibImage part;
    if (!DecodeLines(info, bits, lines, part))
        return 0;
    b->PrepareAccess();
    TDibImage& img = b->Image;
    const bool topDown = info.bmiHeader.biHeight < 0;
    const int32_t width = std::min(img.Width, part.Width);
    std::vector<uint32_t> row(static_cast<size_t>(std::max(0, part.Width)));
    int copied = 0;
    for (int32_t i = 0; i < part.Height; ++i) {
        // Line start + i of the DIB, in its own order.
        const int64_t line = static_cast<int64_t>(start) + i;
        const int64_t y = topDown ? line : img.Height - 1 - line;
        const int32_t py = topDown ? i : part.Height - 1 - i;
        if (y < 0 || y >= img.Height)
            continue;
        ReadDibRow(part, py, 0, width, row.data());
        WriteDibRow(img, static_cast<int32_t>(y), 0, width, row.data());
        ++copied;
    }
    return copied;
}

int StretchDIBits(HDC dc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, int32_t xSrc,
                  int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits, const BITMAPINFO& info,
                  uint32_t, uint32_t rop)
{
    TDc* d = FindDC(dc);
    if (!d || destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0)
        return 0;
    TDibImage img;
    const bool topDown = info.bmiHeader.biHeight < 0;
    const uint32_t total = static_cast<uint32_t>(topDown ? -static_cast<int64_t>(info.bmiHeader.biHeight)
                                                          : info.bmiHeader.biHeight);
    if (!DecodeLines(info, bits, total, img))
        return 0;
    // Bottom-up DIBs count source rows from the bottom.
    const int64_t top = topDown ? ySrc : int64_t{img.Height} - ySrc - srcHeight;
    const QRect srcRect = DeviceRect(QPoint(ClampDeviceCoord(xSrc), ClampDeviceCoord(top)), srcWidth, srcHeight);
    const QRect destRect = DeviceRect(d->ToDevice(xDest, yDest), destWidth, destHeight);
    bool ok;
    if (d->IsRaster()) {
        TBltSource source;
        source.Image = &img;
        source.Rect = srcRect;
        source.BkColor = d->State.BkColor;
        ok = RasterBlt(d, destRect, &source, rop);
    } else {
        ok = DrawOnVectorDevice(d, destRect, img, false, srcRect, rop, nullptr);
    }
    return ok ? static_cast<int>(std::min<int64_t>(std::abs(int64_t{srcHeight}), INT32_MAX)) : 0;
}

// --- Block transfers ---------------------------------------------------------

namespace {

bool Transfer(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc, int32_t ySrc,
              int32_t srcWidth, int32_t srcHeight, uint32_t rop, const COLORREF* transparent)
{
    TDc* d = FindDC(dest);
    if (!d)
        return false;
    const QRect destRect = DeviceRect(d->ToDevice(x, y), width, height);
    if (width == 0 || height == 0)
        return true;
    const bool usesSource = RopUsesSource(rop) || transparent;
    TDc* s = usesSource ? FindDC(src) : nullptr;
    if (usesSource && !s)
        return false;
    std::shared_ptr<TBitmapObject> sbmp;
    QRect srcRect;
    if (s) {
        sbmp = s->TargetBitmap();
        if (!sbmp)
            return false;  // the source has no pixels to read (screen, file)
        sbmp->PrepareAccess();
        srcRect = DeviceRect(s->ToDevice(xSrc, ySrc), srcWidth, srcHeight);
        if (srcWidth == 0 || srcHeight == 0)
            return true;
    }
    if (d->IsRaster()) {
        TBltSource source;
        if (sbmp) {
            source.Image = &sbmp->Image;
            source.DeviceMono = sbmp->DeviceMono;
            source.Rect = srcRect;
            source.BkColor = s->State.BkColor;
        }
        return RasterBlt(d, destRect, sbmp ? &source : nullptr, rop, transparent);
    }
    static const TDibImage empty;
    return DrawOnVectorDevice(d, destRect, sbmp ? sbmp->Image : empty, sbmp && sbmp->DeviceMono, srcRect, rop,
                              transparent);
}

}  // namespace

bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc, int32_t ySrc,
            uint32_t rop)
{
    return Transfer(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop, nullptr);
}

bool StretchBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc, int32_t ySrc,
                int32_t srcWidth, int32_t srcHeight, uint32_t rop)
{
    return Transfer(dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, rop, nullptr);
}

bool TransparentBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t xSrc,
                    int32_t ySrc, int32_t srcWidth, int32_t srcHeight, COLORREF transparent)
{
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return false;
    const COLORREF key = transparent & 0xFFFFFF;
    return Transfer(dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, SRCCOPY, &key);
}
