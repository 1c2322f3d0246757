// The object registry, stock objects, pens, brushes, palettes and the
// generic object functions.
#include <QCoreApplication>

#include <algorithm>

#include "platform/qt/GdiBackend.h"
#include "platform/runtime/CodePages.h"
#include "platform/win/SysColors.h"

TGdiRegistry& TGdiRegistry::Instance()
{
    static TGdiRegistry registry;
    return registry;
}

void TGdiRegistry::MarkStock(const TGdiObject* object)
{
    std::lock_guard<std::mutex> lock(FLock);
    FStock[object] = true;
}

bool TGdiRegistry::IsStock(const TGdiObject* object)
{
    std::lock_guard<std::mutex> lock(FLock);
    return FStock.count(object) != 0;
}

std::shared_ptr<TGdiObject> TGdiRegistry::Find(const TGdiObject* handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> lock(FLock);
    auto it = FObjects.find(handle);
    return it == FObjects.end() ? nullptr : it->second;
}

bool TGdiRegistry::Remove(const TGdiObject* handle)
{
    std::shared_ptr<TGdiObject> doomed;
    {
        std::lock_guard<std::mutex> lock(FLock);
        auto it = FObjects.find(handle);
        if (it == FObjects.end())
            return false;
        if (FStock.count(handle))
            return true;
        doomed = std::move(it->second);
        FObjects.erase(it);
    }
    // Freed outside the lock (a bitmap may end a painter).
    doomed.reset();
    return true;
}

TDc* TGdiRegistry::AddDC(std::unique_ptr<TDc> dc)
{
    TDc* raw = dc.get();
    std::lock_guard<std::mutex> lock(FLock);
    FDCs[raw] = std::move(dc);
    return raw;
}

TDc* TGdiRegistry::FindDC(const TDeviceContext* handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> lock(FLock);
    auto it = FDCs.find(handle);
    return it == FDCs.end() ? nullptr : it->second.get();
}

bool TGdiRegistry::RemoveDC(const TDeviceContext* handle)
{
    std::unique_ptr<TDc> doomed;
    {
        std::lock_guard<std::mutex> lock(FLock);
        auto it = FDCs.find(handle);
        if (it == FDCs.end())
            return false;
        doomed = std::move(it->second);
        FDCs.erase(it);
    }
    doomed.reset();
    return true;
}

void TGdiRegistry::Clear()
{
    std::unordered_map<const TDeviceContext*, std::unique_ptr<TDc>> dcs;
    std::unordered_map<const TGdiObject*, std::shared_ptr<TGdiObject>> objects;
    {
        std::lock_guard<std::mutex> lock(FLock);
        dcs.swap(FDCs);
        objects.swap(FObjects);
        FStock.clear();
    }
    // Windows may be gone already: their surfaces are not told any more.
    for (auto& [handle, dc] : dcs)
        dc->Surface = nullptr;
    dcs.clear();
    objects.clear();
}

namespace {

std::mutex g_StockLock;
std::array<std::shared_ptr<TGdiObject>, 20> g_Stock;
std::array<std::shared_ptr<TBrushObject>, COLOR_MAX + 1> g_SysBrushes;
std::shared_ptr<TBitmapObject> g_MonoBitmap;
bool g_CleanupRegistered = false;

void CleanupGdi()
{
    {
        std::lock_guard<std::mutex> lock(g_StockLock);
        for (auto& s : g_Stock)
            s.reset();
        for (auto& b : g_SysBrushes)
            b.reset();
        g_MonoBitmap.reset();
    }
    TGdiRegistry::Instance().Clear();
    ClearFontCaches();
    g_CleanupRegistered = false;
}

std::shared_ptr<TBrushObject> MakeBrush(uint32_t style, COLORREF color, int hatch = 0)
{
    auto b = std::make_shared<TBrushObject>();
    b->Log.lbStyle = style;
    b->Log.lbColor = color;
    b->Log.lbHatch = hatch;
    return b;
}

std::shared_ptr<TPenObject> MakePen(int style, int width, COLORREF color)
{
    auto p = std::make_shared<TPenObject>();
    p->Log.lopnStyle = static_cast<uint32_t>(style);
    p->Log.lopnWidth.X = std::max(0, width);
    p->Log.lopnColor = color;
    return p;
}

std::shared_ptr<TGdiObject> MakeStock(int index)
{
    switch (index) {
    case WHITE_BRUSH: return MakeBrush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH: return MakeBrush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH: return MakeBrush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH: return MakeBrush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH: return MakeBrush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH: return MakeBrush(BS_NULL, 0);
    case WHITE_PEN: return MakePen(PS_SOLID, 0, RGB(255, 255, 255));
    case BLACK_PEN: return MakePen(PS_SOLID, 0, RGB(0, 0, 0));
    case NULL_PEN: return MakePen(PS_NULL, 0, 0);
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
        auto f = std::make_shared<TFontObject>();
        // The dialog font: 8 points (system font: 10 points) on the 96-dpi screen.
        f->Log.lfHeight = index == SYSTEM_FONT ? -13 : -11;
        f->Log.lfWeight = FW_NORMAL;
        f->Log.lfCharSet = DEFAULT_CHARSET;
        f->Log.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        f->Log.lfFaceName = "Arial";
        return f;
    }
    case DEFAULT_PALETTE: {
        auto p = std::make_shared<TPaletteObject>();
        for (const RGBQUAD& q : StandardColorTable(4))
            p->Entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        return p;
    }
    default: return nullptr;
    }
}

}  // namespace

void EnsureGdiCleanup()
{
    std::lock_guard<std::mutex> lock(g_StockLock);
    if (!g_CleanupRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(CleanupGdi);
        g_CleanupRegistered = true;
    }
}

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index >= static_cast<int>(g_Stock.size()))
        return nullptr;
    EnsureGdiCleanup();
    std::shared_ptr<TGdiObject> obj;
    {
        std::lock_guard<std::mutex> lock(g_StockLock);
        if (!g_Stock[index]) {
            g_Stock[index] = MakeStock(index);
            if (!g_Stock[index])
                return nullptr;
            TGdiRegistry::Instance().Add(g_Stock[index]);
            TGdiRegistry::Instance().MarkStock(g_Stock[index].get());
        }
        obj = g_Stock[index];
    }
    return obj.get();
}

std::shared_ptr<TPenObject> StockPen(int index)
{
    return FindGdiObject<TPenObject>(GetStockObject(index));
}

std::shared_ptr<TBrushObject> StockBrush(int index)
{
    return FindGdiObject<TBrushObject>(GetStockObject(index));
}

std::shared_ptr<TFontObject> StockFont(int index)
{
    return FindGdiObject<TFontObject>(GetStockObject(index));
}

std::shared_ptr<TBitmapObject> StockMonoBitmap()
{
    EnsureGdiCleanup();
    std::lock_guard<std::mutex> lock(g_StockLock);
    if (!g_MonoBitmap) {
        g_MonoBitmap = std::make_shared<TBitmapObject>();
        AllocateDib(g_MonoBitmap->Image, 1, 1, 1);
        g_MonoBitmap->DeviceMono = true;
        TGdiRegistry::Instance().Add(g_MonoBitmap);
        TGdiRegistry::Instance().MarkStock(g_MonoBitmap.get());
    }
    return g_MonoBitmap;
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index > COLOR_MAX)
        return nullptr;
    EnsureGdiCleanup();
    std::lock_guard<std::mutex> lock(g_StockLock);
    auto& b = g_SysBrushes[index];
    if (!b) {
        b = MakeBrush(BS_SOLID, GetSysColor(index));
        TGdiRegistry::Instance().Add(b);
        TGdiRegistry::Instance().MarkStock(b.get());
    }
    return b.get();
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    const int s = style & PS_STYLE_MASK;
    if (s < PS_SOLID || s > PS_INSIDEFRAME)
        return nullptr;
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(MakePen(s, width, color & 0xFFFFFF));
}

HPEN CreatePenIndirect(const LOGPEN& pen)
{
    return CreatePen(static_cast<int>(pen.lopnStyle), pen.lopnWidth.X, pen.lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(MakeBrush(BS_SOLID, color & 0xFFFFFF));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return nullptr;
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(MakeBrush(BS_HATCHED, color & 0xFFFFFF, hatch));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap)
{
    auto bmp = FindGdiObject<TBitmapObject>(bitmap);
    if (!bmp || bmp->Image.Empty())
        return nullptr;
    bmp->PrepareAccess();
    auto b = MakeBrush(BS_PATTERN, 0);
    b->Pattern = std::make_shared<TDibImage>(bmp->Image);
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(std::move(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH& brush)
{
    switch (brush.lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush.lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(brush.lbHatch, brush.lbColor);
    default: return nullptr;
    }
}

bool DeleteObject(HGDIOBJ object)
{
    return TGdiRegistry::Instance().Remove(object);
}

uint8_t GetObjectType(HGDIOBJ object)
{
    auto o = TGdiRegistry::Instance().Find(object);
    return o ? o->ObjectType() : 0;
}

bool GetObject(HPEN pen, LOGPEN* out)
{
    auto p = FindGdiObject<TPenObject>(pen);
    if (!p || !out)
        return false;
    *out = p->Log;
    return true;
}

bool GetObject(HBRUSH brush, LOGBRUSH* out)
{
    auto b = FindGdiObject<TBrushObject>(brush);
    if (!b || !out)
        return false;
    *out = b->Log;
    return true;
}

bool GetObject(HFONT font, LOGFONT* out)
{
    auto f = FindGdiObject<TFontObject>(font);
    if (!f || !out)
        return false;
    *out = f->Log;
    return true;
}

bool GetObject(HBITMAP bitmap, BITMAP* out)
{
    auto b = FindGdiObject<TBitmapObject>(bitmap);
    if (!b || !out)
        return false;
    out->bmType = 0;
    out->bmWidth = b->Image.Width;
    out->bmHeight = b->Image.Height;
    out->bmWidthBytes = b->Image.Stride;
    out->bmPlanes = 1;
    out->bmBitsPixel = b->Image.BitCount;
    return true;
}

// --- Palettes ------------------------------------------------------------------

HPALETTE CreatePalette(const std::vector<PALETTEENTRY>& entries)
{
    if (entries.empty() || entries.size() > 256)
        return nullptr;
    auto p = std::make_shared<TPaletteObject>();
    p->Entries = entries;
    EnsureGdiCleanup();
    return TGdiRegistry::Instance().Add(std::move(p));
}

uint32_t GetPaletteEntries(HPALETTE palette, uint32_t start, uint32_t count, PALETTEENTRY* entries)
{
    auto p = FindGdiObject<TPaletteObject>(palette);
    if (!p)
        return 0;
    const uint32_t size = static_cast<uint32_t>(p->Entries.size());
    if (!entries)
        return size;
    if (start >= size)
        return 0;
    const uint32_t n = std::min(count, size - start);
    std::copy_n(p->Entries.begin() + start, n, entries);
    return n;
}

uint32_t GetPaletteSize(HPALETTE palette)
{
    return GetPaletteEntries(palette, 0, 0, nullptr);
}

uint32_t GetNearestPaletteIndex(HPALETTE palette, COLORREF color)
{
    auto p = FindGdiObject<TPaletteObject>(palette);
    if (!p)
        return CLR_INVALID;
    std::vector<RGBQUAD> quads;
    for (const auto& e : p->Entries)
        quads.push_back({e.peBlue, e.peGreen, e.peRed, 0});
    return NearestColorIndex(quads, ToXrgb(color));
}

// --- Brush sampling ------------------------------------------------------------

TBrushSampler::TBrushSampler(const TBrushObject* brush, TPoint origin, COLORREF bkColor) : FOrigin(origin)
{
    FBack = ToXrgb(bkColor);
    if (!brush || brush->Log.lbStyle == BS_NULL) {
        FNull = true;
        return;
    }
    FColor = ToXrgb(brush->Log.lbColor);
    if (brush->Log.lbStyle == BS_HATCHED) {
        FSolid = false;
        FHatch = brush->Log.lbHatch;
    } else if (brush->Log.lbStyle == BS_PATTERN && brush->Pattern && !brush->Pattern->Empty()) {
        FSolid = false;
        FPattern = brush->Pattern.get();
        FHatch = -1;
    }
}

uint32_t TBrushSampler::At(int32_t x, int32_t y, bool& isBackground) const
{
    isBackground = false;
    if (FSolid)
        return FColor;
    // Patterns repeat from the brush origin in device space.
    if (FPattern) {
        const int32_t w = FPattern->Width, h = FPattern->Height;
        int32_t px = (x - FOrigin.X) % w, py = (y - FOrigin.Y) % h;
        if (px < 0)
            px += w;
        if (py < 0)
            py += h;
        return DibPixel(*FPattern, px, py);
    }
    int32_t px = (x - FOrigin.X) & 7, py = (y - FOrigin.Y) & 7;
    bool ink = false;
    switch (FHatch) {
    case HS_HORIZONTAL: ink = py == 7; break;
    case HS_VERTICAL: ink = px == 7; break;
    case HS_FDIAGONAL: ink = px == py; break;
    case HS_BDIAGONAL: ink = px == 7 - py; break;
    case HS_CROSS: ink = px == 7 || py == 7; break;
    case HS_DIAGCROSS: ink = px == py || px == 7 - py; break;
    default: break;
    }
    isBackground = !ink;
    return ink ? FColor : FBack;
}
