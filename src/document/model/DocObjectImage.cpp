#include "document/model/DocObjectImage.h"

#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/ObjectManager.h"
#include "foundation/BitmapHelpers.h"
#include "foundation/ShellHelpers.h"
#include "foundation/managers/ColorManager.h"
#include "imaging/JpegImage.h"
#include "imaging/PictureData.h"
#include "imaging/PngImage.h"
#include "imaging/ResampleImage.h"
#include "platform/framework/Bitmap.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Regions.h"
#include "platform/runtime/Stream.h"

#include <algorithm>

// --- Picture memory ----------------------------------------------------------

TPictureMemory::TPictureMemory()
{
    const int64_t physical = std::max<int64_t>(GetTotalPhysicalMemory(), 64LL * 1024 * 1024);
    SizeLimit = physical / 2;
    CompressionThreshold = physical / 4;
}

TPictureMemory& PictureMemory()
{
    static TPictureMemory memory;
    return memory;
}

void TPictureMemory::Register(TObjectManager* manager)
{
    FManagers.push_back(manager);
}

void TPictureMemory::Unregister(TObjectManager* manager)
{
    FManagers.erase(std::remove(FManagers.begin(), FManagers.end(), manager), FManagers.end());
}

bool TPictureMemory::ReleaseOldestPicture(TDocObject* object)
{
    if (!object || object->ObjectImage().Packed || !IsFull())
        return true;
    TDocObject* best = nullptr;
    for (auto it = FManagers.rbegin(); it != FManagers.rend(); ++it) {
        TDocObject* candidate = (*it)->FindLeastRecentImage(object);
        if (candidate && (!best || candidate->ObjectImage().DrawCount < best->ObjectImage().DrawCount))
            best = candidate;
    }
    if (!best)
        return false;
    if (object == LastDrawn || best->ObjectImage().DrawCount < object->ObjectImage().DrawCount) {
        best->ObjectImage().SetCompressed(true);
        return true;
    }
    return false;
}

// --- Memory blocks -----------------------------------------------------------

std::vector<uint8_t> CompressMemoryBlock(const std::vector<uint8_t>& data, int levelIndex)
{
    imaging::TDeflater deflater(levelIndex);
    deflater.Write(data.data(), data.size());
    const std::string out = deflater.Finish();
    return std::vector<uint8_t>(out.begin(), out.end());
}

std::vector<uint8_t> DecompressMemoryBlock(const std::vector<uint8_t>& data, int32_t sizeEstimate)
{
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::clamp(sizeEstimate, 0, 64 * 1024 * 1024)));
    imaging::TInflater inflater(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    uint8_t buffer[65536];
    for (;;) {
        const size_t n = inflater.Read(buffer, sizeof buffer);
        if (n == 0)
            break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

uint8_t ChoosePngColorType(TBitmap& bitmap)
{
    const TPixelFormat f = bitmap.PixelFormat();
    if (f == TPixelFormat::pf1bit || f == TPixelFormat::pf4bit || f == TPixelFormat::pf8bit)
        return 3;
    if (static_cast<int64_t>(bitmap.Width()) * bitmap.Height() <= 2500)
        return 3;
    return 2;
}

namespace {

std::vector<uint8_t> SavePng(TPNGImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    const auto* p = static_cast<const uint8_t*>(stream.Memory());
    return std::vector<uint8_t>(p, p + stream.Size());
}

// A PNG image from stored bytes; null when they do not load.
std::unique_ptr<TPNGImage> LoadPng(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return nullptr;
    auto image = std::make_unique<TPNGImage>();
    try {
        TForeignMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
        image->LoadFromStream(stream);
    } catch (...) {
        return nullptr;
    }
    if (image->Empty())
        return nullptr;
    return image;
}

}  // namespace

// --- The image -----------------------------------------------------------------

TDocObjectImage::TDocObjectImage(TDocObject* owner) : Owner(owner) {}

TDocObjectImage::~TDocObjectImage()
{
    if (Metafile)
        DeleteEnhMetaFile(Metafile);
}

int64_t TDocObjectImage::MemorySize() const
{
    int64_t size = sizeof(TDocObjectImage);
    size += static_cast<int64_t>(Data.size());
    size += static_cast<int64_t>(RenderedPng.size());
    if (!Packed) {
        if (Kind == 0)
            size += GetEnhMetaFileBits(Metafile, 0, nullptr);
        else if (Bitmap)
            size += static_cast<int64_t>(Bitmap->Width()) * Bitmap->Height();
    }
    if (JpegSource)
        size += static_cast<int64_t>(JpegSource->Width()) * JpegSource->Height();
    if (ScaledCache)
        size += static_cast<int64_t>(ScaledCache->Width()) * ScaledCache->Height();
    size += static_cast<int64_t>(ScaledCacheData.size());
    return size;
}

void TDocObjectImage::UpdateUnpackedSize()
{
    if (Kind == 0) {
        UnpackedSize = GetEnhMetaFileBits(Metafile, 0, nullptr);
        return;
    }
    if (!Bitmap) {
        UnpackedSize = 0;
        return;
    }
    const int64_t pixels = static_cast<int64_t>(Bitmap->Width()) * Bitmap->Height();
    switch (Bitmap->PixelFormat()) {
    case TPixelFormat::pf1bit: UnpackedSize = pixels / 8; break;
    case TPixelFormat::pf4bit: UnpackedSize = pixels / 2; break;
    case TPixelFormat::pf8bit: UnpackedSize = pixels; break;
    case TPixelFormat::pf16bit: UnpackedSize = pixels * 2; break;
    default: UnpackedSize = pixels * 3; break;
    }
}

void TDocObjectImage::SetCompressed(bool packed)
{
    if (Packed == static_cast<uint8_t>(packed))
        return;
    try {
        if (packed)
            Pack();
        else
            Unpack();
    } catch (...) {
        // Packing and unpacking never raise: the image stays as far as it got.
    }
}

void TDocObjectImage::Pack()
{
    if (Kind == 0) {
        if (Data.empty() && Metafile) {
            const uint32_t size = GetEnhMetaFileBits(Metafile, 0, nullptr);
            std::vector<uint8_t> bits(size);
            GetEnhMetaFileBits(Metafile, size, bits.data());
            UncompressedSize = static_cast<int32_t>(size);
            Data = CompressMemoryBlock(bits, 1);
            WindowsMetafile = 0;
            Zlib = 1;
        }
        if (Metafile)
            DeleteEnhMetaFile(Metafile);
        Metafile = nullptr;
    } else {
        if (Data.empty() && Bitmap)
            Data = SavePng(*Bitmap);
        Bitmap.reset();
    }
    if (ScaledCache) {
        if (!ScaledCacheData.empty() && PackedCacheDimmed != CacheDimmed)
            ScaledCacheData.clear();
        if (ScaledCacheData.empty())
            ScaledCacheData = SavePng(*ScaledCache);
        ScaledCache.reset();
        PackedCacheDimmed = CacheDimmed;
    }
    if (JpegSource)
        JpegSource->FreeBitmap();
    Packed = 1;
    TPictureMemory& memory = PictureMemory();
    memory.Count -= 1;
    memory.Sum -= UnpackedSize;
}

void TDocObjectImage::Unpack()
{
    TPictureMemory& memory = PictureMemory();
    if (memory.IsFull() && (memory.Flags & pmForceUnpack) == 0)
        return;
    if (Kind == 0) {
        if (Data.empty())
            return;
        std::vector<uint8_t> inflated;
        const std::vector<uint8_t>* bits = &Data;
        if (Zlib) {
            inflated = DecompressMemoryBlock(Data, UncompressedSize);
            bits = &inflated;
        }
        HENHMETAFILE handle = WindowsMetafile
                                  ? SetWinMetaFileBits(static_cast<uint32_t>(bits->size()), bits->data(), nullptr,
                                                       &MetafilePict)
                                  : SetEnhMetaFileBits(static_cast<uint32_t>(bits->size()), bits->data());
        if (!handle)
            return;
        Metafile = handle;
        if (!Zlib)
            Data.clear();
    } else {
        // A bitmap that does not load leaves the image packed: nothing that
        // cannot be drawn is ever marked drawable.
        Bitmap = LoadPng(Data);
        if (!Bitmap)
            return;
    }
    if (!ScaledCacheData.empty())
        ScaledCache = LoadPng(ScaledCacheData);
    Packed = 0;
    memory.Count += 1;
    UpdateUnpackedSize();
    memory.Sum += UnpackedSize;
}

void TDocObjectImage::BuildPngData()
{
    if (!RenderedPng.empty() || Kind != 0)
        return;
    TPictureMemory& memory = PictureMemory();
    memory.Flags |= pmForceUnpack;
    SetCompressed(false);
    memory.Flags &= ~pmForceUnpack;
    if (!Metafile)
        return;
    TSize size;
    Owner->GetScreenSize(size);
    TPNGImage png;
    MetafileToBitmap(Metafile, png, {std::max(1, size.cx), std::max(1, size.cy)});
    RenderedPng = SavePng(png);
}

bool TDocObjectImage::PrepareScaledCache(const TObjectDrawInfo& info)
{
    TDocument* doc = Owner->GetDocument();
    if (!doc)
        return false;
    const int32_t w = doc->ApplyZoom(doc->TwipsToLayoutScaled(Owner->Width, Owner->ScaleX));
    const int32_t h = doc->ApplyZoom(doc->TwipsToLayoutScaled(Owner->Height, Owner->ScaleY));
    const bool dimmed = doc->IsOutsideEditedStory(info.Paragraph);
    const int64_t pixels = static_cast<int64_t>(w) * h;
    const bool scaled = Owner->ScaleX != 100 || Owner->ScaleY != 100 || doc->Zoom() != 100;
    // A dimmed picture is always drawn from the cache, but never into nothing.
    if (!(dimmed && w >= 1 && h >= 1 && pixels <= 16LL * 786432) && !(pixels <= 786432 && w >= 2 && h >= 2 && scaled))
        return false;
    if (ScaledCache && ScaledCache->Width() == w && ScaledCache->Height() == h && CacheDimmed == dimmed)
        return true;
    ScaledCache.reset();
    auto cache = std::make_unique<TPNGImage>();
    cache->SetPixelFormat(TPixelFormat::pf24bit);
    cache->SetSize(w, h);
    std::unique_ptr<TPNGImage> temporary;
    TBitmap* source = nullptr;
    if (Kind == 0) {
        BuildPngData();
        temporary = LoadPng(RenderedPng);
    } else if (Bitmap && Bitmap->PixelFormat() == TPixelFormat::pf24bit) {
        source = Bitmap.get();
    } else if (Bitmap) {
        temporary = std::make_unique<TPNGImage>();
        temporary->Assign(*Bitmap);
    } else {
        temporary = LoadPng(Data);
    }
    if (temporary) {
        temporary->SetPixelFormat(TPixelFormat::pf24bit);
        source = temporary.get();
    }
    if (!source || source->Empty())
        return false;
    ResampleBitmap(*source, *cache);
    if (dimmed)
        LightenBitmap(*cache);
    ScaledCache = std::move(cache);
    CacheDimmed = dimmed;
    return true;
}

void TDocObjectImage::DrawThroughDib(const TObjectDrawInfo& info)
{
    TDocument* doc = Owner->GetDocument();
    HDC target = info.TargetDC ? info.TargetDC : info.DC;
    const int32_t w = info.Rect.Width() - 1, h = info.Rect.Height() - 1;
    if (!doc || !target || w <= 0 || h <= 0)
        return;
    TBitmap dib;
    if (Kind == 0) {
        const int32_t nw = std::max(1, doc->TwipsToLayout(Owner->Width));
        const int32_t nh = std::max(1, doc->TwipsToLayout(Owner->Height));
        if (static_cast<int64_t>(nw) * nh > 64LL * 1024 * 1024)
            return;
        dib.SetPixelFormat(TPixelFormat::pf24bit);
        dib.SetSize(nw, nh);
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(dib.Canvas().Handle(), {0, 0, nw, nh}, white);
        DeleteObject(white);
        PlayEnhMetaFile(dib.Canvas().Handle(), Metafile, {0, 0, nw, nh});
        StretchBlt(target, info.Rect.Left, info.Rect.Top, w, h, dib.Canvas().Handle(), 0, 0, nw, nh, SRCCOPY);
    } else if (Bitmap) {
        StretchBlt(target, info.Rect.Left, info.Rect.Top, w, h, Bitmap->Canvas().Handle(), 0, 0, Bitmap->Width(),
                   Bitmap->Height(), SRCCOPY);
    }
}

void TDocObjectImage::DrawPlaceholder(const TObjectDrawInfo& info)
{
    HDC dc = info.DC;
    TDocument* doc = Owner->GetDocument();
    if ((info.Flags & odSelectedObject) == 0) {
        TColorManager* colors = GetColorManager();
        HBRUSH own = nullptr;
        HBRUSH brush = colors ? colors->CurrentPalette().Colors(5).GetBrush() : (own = CreateSolidBrush(0x808080));
        FrameRect(dc, info.Rect, brush);
        if (own)
            DeleteObject(own);
    }
    // The label in bold 8 pt, centred and clipped; the line's own font is
    // back afterwards.
    const int saved = SaveDC(dc);
    LOGFONT lf;
    lf.lfHeight = doc ? doc->FontSizeToDeviceHeight(16) : -11;
    lf.lfWeight = FW_BOLD;
    lf.lfFaceName = "Arial";
    HFONT font = CreateFontIndirect(lf);
    SelectObject(dc, font);
    const std::string label = Owner->Kind() == TObjectKind::OleObject ? "Objet OLE" : "Image";
    TSize extent;
    GetTextExtentPoint32(dc, label, &extent);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    const int32_t x = info.Rect.Left + (info.Rect.Width() - extent.cx) / 2;
    const int32_t y = info.Rect.Top + (info.Rect.Height() - extent.cy) / 2;
    ExtTextOut(dc, x, y, ETO_CLIPPED, &info.Rect, label, nullptr);
    RestoreDC(dc, saved);
    DeleteObject(font);
}

void TDocObjectImage::Draw(const TObjectDrawInfo& info)
{
    TDocument* doc = Owner->GetDocument();
    TPictureMemory& memory = PictureMemory();
    const bool placeholders = DocumentHost().PicturePlaceholders() && !(doc && doc->IsFullScreen());
    if (!placeholders) {
        memory.Flags |= pmForceUnpack;
        SetCompressed(false);
        memory.Flags &= ~pmForceUnpack;
    }
    if (Packed)
        return;
    if ((info.Flags & odPrinting) != 0 && !(doc && DocumentHost().IsFileDialogPreview(*doc))) {
        DrawThroughDib(info);
    } else {
        if (placeholders) {
            DrawPlaceholder(info);
        } else if (info.DC) {
            if (PrepareScaledCache(info)) {
                BitBlt(info.DC, info.Rect.Left, info.Rect.Top, info.Rect.Width(), info.Rect.Height(),
                       ScaledCache->Canvas().Handle(), 0, 0, SRCCOPY);
            } else if (Kind == 0) {
                PlayEnhMetaFile(info.DC, Metafile, info.Rect);
            } else if (Bitmap) {
                if (Bitmap->Width() == info.Rect.Width() && Bitmap->Height() == info.Rect.Height())
                    BitBlt(info.DC, info.Rect.Left, info.Rect.Top, info.Rect.Width(), info.Rect.Height(),
                           Bitmap->Canvas().Handle(), 0, 0, SRCCOPY);
                else
                    StretchBlt(info.DC, info.Rect.Left, info.Rect.Top, info.Rect.Width(), info.Rect.Height(),
                               Bitmap->Canvas().Handle(), 0, 0, Bitmap->Width(), Bitmap->Height(), SRCCOPY);
            }
        }
        if ((info.Flags & odSelectedObject) != 0 && info.DC) {
            // Eight handles and the frame, inverted once as one region.
            const TRect& r = info.Rect;
            const int32_t mx = r.Left + (r.Width() - 6) / 2, my = r.Top + (r.Height() - 6) / 2;
            const TPoint squares[8] = {{r.Left, r.Top},      {mx, r.Top},          {r.Right - 6, r.Top},
                                       {r.Left, my},         {r.Right - 6, my},    {r.Left, r.Bottom - 6},
                                       {mx, r.Bottom - 6},   {r.Right - 6, r.Bottom - 6}};
            HRGN all = CreateRectRgn(0, 0, 0, 0);
            auto add = [&](int32_t l, int32_t t, int32_t rt, int32_t b) {
                HRGN part = CreateRectRgn(l, t, rt, b);
                CombineRgn(all, all, part, RGN_OR);
                DeleteObject(part);
            };
            for (const TPoint& p : squares)
                add(p.X, p.Y, p.X + 6, p.Y + 6);
            add(r.Left, r.Top, r.Right, r.Top + 1);
            add(r.Left, r.Bottom - 1, r.Right, r.Bottom);
            add(r.Left, r.Top, r.Left + 1, r.Bottom);
            add(r.Right - 1, r.Top, r.Right, r.Bottom);
            InvertRgn(info.DC, all);
            DeleteObject(all);
        }
    }
    DrawCount += 1;
    if (!memory.ReleaseOldestPicture(Owner))
        SetCompressed(true);
    memory.LastDrawn = Owner;
}
