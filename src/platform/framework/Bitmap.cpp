#include "platform/framework/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/Resources.h"
#include "platform/runtime/Stream.h"

// The canvas of a bitmap: a memory context with the bitmap selected.
class TBitmapCanvas final : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* owner) : FOwner(owner) {}
    ~TBitmapCanvas() override { FreeContext(); }

    // The bitmap's handle changed: the context shows the new one.
    void BitmapChanged(HBITMAP bitmap)
    {
        if (!FDC)
            return;
        if (bitmap)
            SelectObject(FDC, bitmap);
        else if (FOld)
            SelectObject(FDC, FOld);
    }

protected:
    void CreateHandle() override
    {
        if (FDC)
            return;
        FDC = CreateCompatibleDC(nullptr);
        if (!FDC)
            return;
        FOld = static_cast<HBITMAP>(GetCurrentObject(FDC, OBJ_BITMAP));
        if (FOwner->FHandle)
            SelectObject(FDC, FOwner->FHandle);
        SetHandle(FDC);
    }

private:
    void FreeContext()
    {
        if (!FDC)
            return;
        HDC dc = FDC;
        DetachHandle();
        if (FOld)
            SelectObject(dc, FOld);
        DeleteDC(dc);
        FDC = nullptr;
    }

    TBitmap* FOwner;
    HDC FDC = nullptr;
    HBITMAP FOld = nullptr;
};

namespace {

int DepthOf(TPixelFormat f)
{
    switch (f) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    default: return 32;
    }
}

TPixelFormat FormatOf(int depth, bool rgb565, TPixelFormat requested)
{
    switch (depth) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 16: return rgb565 ? TPixelFormat::pf16bit : TPixelFormat::pf15bit;
    case 24: return TPixelFormat::pf24bit;
    default: return requested == TPixelFormat::pf32bit ? TPixelFormat::pf32bit : TPixelFormat::pfDevice;
    }
}

[[noreturn]] void InvalidBitmap(const std::string& reason)
{
    throw EInvalidGraphic(reason.empty() ? "Image bitmap non valide" : "Image bitmap non valide : " + reason);
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    FCanvas.reset();
    FreePalette();
    DeleteObject(FHandle);
}

void TBitmap::FreePalette() const
{
    if (FPalette) {
        DeleteObject(FPalette);
        FPalette = nullptr;
    }
}

void TBitmap::ReplaceHandle(HBITMAP bitmap)
{
    if (bitmap == FHandle)
        return;
    FreePalette();
    if (FCanvas)
        FCanvas->BitmapChanged(bitmap);
    DeleteObject(FHandle);
    FHandle = bitmap;
}

TCanvas& TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(this);
        FCanvas->OnChange = [this](TCanvas&) { Changed(); };
    }
    return *FCanvas;
}

HBITMAP TBitmap::Handle()
{
    return FHandle;
}

HBITMAP TBitmap::ReleaseHandle()
{
    HBITMAP h = FHandle;
    if (FCanvas)
        FCanvas->BitmapChanged(nullptr);
    FreePalette();
    FHandle = nullptr;
    return h;
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    ReplaceHandle(bitmap);
    if (bitmap)
        FRequestedFormat = FormatOf(BitmapBitCount(bitmap), BitmapIsRgb565(bitmap), TPixelFormat::pf32bit);
    Changed();
}

bool TBitmap::Empty() const
{
    return Width() == 0 || Height() == 0;
}

int32_t TBitmap::Width() const
{
    BITMAP b;
    return FHandle && GetObject(FHandle, &b) ? b.bmWidth : 0;
}

int32_t TBitmap::Height() const
{
    BITMAP b;
    return FHandle && GetObject(FHandle, &b) ? b.bmHeight : 0;
}

void TBitmap::SetWidth(int32_t width)
{
    SetSize(width, Height());
}

void TBitmap::SetHeight(int32_t height)
{
    SetSize(Width(), height);
}

void TBitmap::SetSize(int32_t width, int32_t height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    if (width == 0 || height == 0) {
        ReplaceHandle(nullptr);
        Changed();
        return;
    }
    TDibImage old;
    const bool hadPixels = FHandle && GetBitmapDib(FHandle, &old);
    TDibImage img;
    const int depth = hadPixels ? old.BitCount : DepthOf(FRequestedFormat);
    const bool rgb565 = hadPixels ? old.Rgb565 : FRequestedFormat == TPixelFormat::pf16bit;
    AllocateDib(img, width, height, depth, rgb565);  // raises EOutOfMemory when too large
    if (hadPixels) {
        if (old.Indexed())
            img.Colors = old.Colors;
        const int32_t w = std::min(width, old.Width);
        std::vector<uint32_t> row(static_cast<size_t>(w));
        for (int32_t y = 0; y < std::min(height, old.Height); ++y) {
            ReadDibRow(old, y, 0, w, row.data());
            WriteDibRow(img, y, 0, w, row.data());
        }
    }
    HBITMAP h = CreateBitmapFromDib(std::move(img));
    if (!h)
        throw EOutOfMemory();
    ReplaceHandle(h);
    Changed();
}

TPixelFormat TBitmap::PixelFormat() const
{
    if (!FHandle)
        return FRequestedFormat;
    return FormatOf(BitmapBitCount(FHandle), BitmapIsRgb565(FHandle), FRequestedFormat);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == TPixelFormat::pfCustom)
        throw EInvalidGraphicOperation("Format de pixel non pris en charge");
    FRequestedFormat = format;
    if (!FHandle)
        return;
    const int depth = DepthOf(format);
    const bool rgb565 = format == TPixelFormat::pf16bit;
    if (BitmapBitCount(FHandle) == depth && (depth != 16 || BitmapIsRgb565(FHandle) == rgb565))
        return;
    TDibImage old;
    GetBitmapDib(FHandle, &old);
    HBITMAP h = CreateBitmapFromDib(ConvertDib(old, depth, rgb565));
    if (!h)
        throw EOutOfMemory();
    ReplaceHandle(h);
    Changed();
}

bool TBitmap::Monochrome() const
{
    return PixelFormat() == TPixelFormat::pf1bit;
}

void TBitmap::SetMonochrome(bool monochrome)
{
    if (monochrome == Monochrome())
        return;
    if (!monochrome) {
        SetPixelFormat(TPixelFormat::pfDevice);
        return;
    }
    FRequestedFormat = TPixelFormat::pf1bit;
    if (!FHandle)
        return;
    // A monochrome device bitmap: copied to and from colour as text and
    // background colours.
    TDibImage old;
    GetBitmapDib(FHandle, &old);
    const TDibImage mono = ConvertDib(old, 1);
    HBITMAP h = CreateBitmap(mono.Width, mono.Height, 1, 1, nullptr);
    if (!h)
        throw EOutOfMemory();
    for (int32_t y = 0; y < mono.Height; ++y)
        std::memcpy(DIBScanLine(h, y), mono.Row(y), static_cast<size_t>(mono.Stride));
    ReplaceHandle(h);
    Changed();
}

uint8_t* TBitmap::ScanLine(int32_t y)
{
    if (!FHandle || y < 0 || y >= Height())
        throw EInvalidGraphicOperation("Indice de ligne hors limites");
    Changed();
    return DIBScanLine(FHandle, y);
}

std::vector<RGBQUAD> TBitmap::ColorTable() const
{
    return FHandle ? GetBitmapColorTable(FHandle) : std::vector<RGBQUAD>();
}

void TBitmap::SetColorTable(const std::vector<RGBQUAD>& colors)
{
    if (!FHandle || !SetBitmapColorTable(FHandle, colors))
        throw EInvalidGraphicOperation("Table de couleurs non valide pour cette image");
    FreePalette();
    Changed();
}

HPALETTE TBitmap::Palette() const
{
    if (!FPalette && FHandle && BitmapBitCount(FHandle) <= 8) {
        std::vector<PALETTEENTRY> entries;
        for (const RGBQUAD& q : GetBitmapColorTable(FHandle))
            entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        FPalette = CreatePalette(entries);
    }
    return FPalette;
}

void TBitmap::SetPalette(HPALETTE palette)
{
    // The bitmap owns the palette given to it; an indexed bitmap takes its
    // colours as its colour table.
    if (palette == FPalette)
        return;
    FreePalette();
    FPalette = palette;
    if (palette && FHandle && BitmapBitCount(FHandle) <= 8) {
        const uint32_t count = std::min<uint32_t>(GetPaletteSize(palette), 1u << BitmapBitCount(FHandle));
        std::vector<PALETTEENTRY> entries(count);
        GetPaletteEntries(palette, 0, count, entries.data());
        std::vector<RGBQUAD> colors;
        for (const auto& e : entries)
            colors.push_back({e.peBlue, e.peGreen, e.peRed, 0});
        if (!colors.empty())
            SetBitmapColorTable(FHandle, colors);
    }
    Changed();
}

TColor TBitmap::TransparentColor()
{
    if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (Empty())
        return clDefault;
    return Canvas().Pixels(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == FTransparentMode)
        return;
    if (mode == TTransparentMode::tmAuto)
        FTransparentColor = clDefault;
    else if (FTransparentColor == clDefault)
        FTransparentColor = TransparentColor();
    FTransparentMode = mode;
    Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty())
        return;
    const int32_t w = Width(), h = Height();
    if (Transparent()) {
        const COLORREF key = ColorToRGB(TransparentColor());
        TransparentBlt(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), Canvas().Handle(), 0, 0, w,
                       h, key);
        return;
    }
    canvas.CopyRect(rect, Canvas(), {0, 0, w, h});
}

void TBitmap::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        HBITMAP h = nullptr;
        if (bitmap->FHandle) {
            TDibImage img;
            GetBitmapDib(bitmap->FHandle, &img);
            h = CreateBitmapFromDib(std::move(img));
            if (!h)
                throw EOutOfMemory();
        }
        ReplaceHandle(h);
        FRequestedFormat = bitmap->FRequestedFormat;
        FTransparentColor = bitmap->FTransparentColor;
        FTransparentMode = bitmap->FTransparentMode;
        SetTransparent(bitmap->Transparent());
        Changed();
        return;
    }
    if (source.AssignTo(*this))
        return;
    // Any other picture: drawn on white at its own size.
    SetSize(source.Width(), source.Height());
    if (Empty())
        return;
    TCanvas& c = Canvas();
    c.Brush().SetColor(clWhite);
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    c.FillRect({0, 0, Width(), Height()});
    c.Draw(0, 0, const_cast<TGraphic&>(source));
    Changed();
}

bool TBitmap::AssignTo(TGraphic& dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        bitmap->Assign(*this);
        return true;
    }
    return false;
}

void TBitmap::LoadFromStream(TStream& stream)
{
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining <= 0) {
        ReplaceHandle(nullptr);
        Changed();
        return;
    }
    std::string data(14, '\0');
    stream.ReadBuffer(data.data(), 14);
    if (data[0] != 'B' || data[1] != 'M')
        InvalidBitmap("");
    // The file header counts the file's bytes; a bitmap may be followed by other data.
    const uint32_t fileSize = static_cast<uint8_t>(data[2]) | (static_cast<uint8_t>(data[3]) << 8) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(data[4])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(data[5])) << 24);
    int64_t rest = remaining - 14;
    if (fileSize >= 14 + 12 && static_cast<int64_t>(fileSize) - 14 <= rest)
        rest = static_cast<int64_t>(fileSize) - 14;
    data.resize(static_cast<size_t>(14 + rest));
    stream.ReadBuffer(data.data() + 14, rest);
    TDibImage img;
    std::string error;
    if (!ReadBmp(data, img, error))
        InvalidBitmap(error);
    const int depth = img.BitCount;
    const bool rgb565 = img.Rgb565;
    HBITMAP h = CreateBitmapFromDib(std::move(img));
    if (!h)
        InvalidBitmap("");
    ReplaceHandle(h);
    FRequestedFormat = FormatOf(depth, rgb565, TPixelFormat::pf32bit);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (!FHandle)
        return;
    TDibImage img;
    GetBitmapDib(FHandle, &img);
    stream.WriteString(WriteBmp(img));
}

void TBitmap::LoadFromResourceName(const std::string& name)
{
    const TResourceData res = FindResourceData("BITMAP", name);
    if (!res)
        throw EInvalidGraphic("Ressource " + name + " introuvable");
    std::string data(res.View());
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') {
        // A packed DIB: a file header in front of it makes it a BMP file.
        const uint32_t size = static_cast<uint32_t>(data.size() + 14);
        std::string header = "BM";
        for (int shift = 0; shift < 32; shift += 8)
            header += static_cast<char>((size >> shift) & 0xFF);
        header += std::string(8, '\0');
        data = header + data;
    }
    TStringStream stream(std::move(data));
    LoadFromStream(stream);
}
