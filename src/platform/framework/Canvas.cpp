#include "platform/framework/Canvas.h"

#include "platform/framework/Graphic.h"
#include "platform/gdi/Gdi.h"

TCanvas::TCanvas()
{
    FFont.OnChange = [this](TGraphicsObject&) { FFontValid = false; };
    FPen.OnChange = [this](TGraphicsObject&) { FPenValid = false; };
    FBrush.OnChange = [this](TGraphicsObject&) { FBrushValid = false; };
}

TCanvas::~TCanvas()
{
    DeselectObjects();
}

HDC TCanvas::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == FHandle)
        return;
    DeselectObjects();
    FHandle = dc;
}

void TCanvas::DetachHandle()
{
    DeselectObjects();
    FHandle = nullptr;
}

void TCanvas::DeselectObjects()
{
    if (FHandle) {
        if (FOldFont)
            SelectObject(FHandle, FOldFont);
        if (FOldPen)
            SelectObject(FHandle, FOldPen);
        if (FOldBrush)
            SelectObject(FHandle, FOldBrush);
    }
    FOldFont = nullptr;
    FOldPen = nullptr;
    FOldBrush = nullptr;
    FFontValid = FPenValid = FBrushValid = false;
}

void TCanvas::Refresh()
{
    DeselectObjects();
}

void TCanvas::RequireFont()
{
    if (FFontValid)
        return;
    HDC dc = Handle();
    if (!dc)
        return;
    HFONT old = SelectObject(dc, FFont.Handle());
    if (!FOldFont)
        FOldFont = old;
    SetTextColor(dc, ColorToRGB(FFont.Color()));
    FFontValid = true;
}

void TCanvas::RequirePen()
{
    if (FPenValid)
        return;
    HDC dc = Handle();
    if (!dc)
        return;
    HPEN old = SelectObject(dc, FPen.Handle());
    if (!FOldPen)
        FOldPen = old;
    SetROP2(dc, FPen.Rop2());
    FPenValid = true;
}

void TCanvas::RequireBrush()
{
    if (FBrushValid)
        return;
    HDC dc = Handle();
    if (!dc)
        return;
    HBRUSH old = SelectObject(dc, FBrush.Handle());
    if (!FOldBrush)
        FOldBrush = old;
    SetBkColor(dc, ColorToRGB(FBrush.Color()));
    SetBkMode(dc, FBrush.Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
    FBrushValid = true;
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(*this);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(*this);
}

TPoint TCanvas::PenPos()
{
    TPoint p;
    GetCurrentPositionEx(Handle(), &p);
    return p;
}

void TCanvas::MoveTo(int32_t x, int32_t y)
{
    MoveToEx(Handle(), x, y);
}

void TCanvas::LineTo(int32_t x, int32_t y)
{
    Changing();
    RequirePen();
    RequireBrush();
    ::LineTo(Handle(), x, y);
    Changed();
}

void TCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Changing();
    RequirePen();
    RequireBrush();
    ::Rectangle(Handle(), left, top, right, bottom);
    Changed();
}

void TCanvas::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height)
{
    Changing();
    RequirePen();
    RequireBrush();
    ::RoundRect(Handle(), left, top, right, bottom, width, height);
    Changed();
}

void TCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Changing();
    RequirePen();
    RequireBrush();
    ::Ellipse(Handle(), left, top, right, bottom);
    Changed();
}

void TCanvas::Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
                  int32_t y4)
{
    Changing();
    RequirePen();
    ::Arc(Handle(), left, top, right, bottom, x3, y3, x4, y4);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    Changing();
    RequirePen();
    RequireBrush();
    ::Polygon(Handle(), points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    Changing();
    RequirePen();
    RequireBrush();
    ::Polyline(Handle(), points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    Changing();
    RequireBrush();
    ::FillRect(Handle(), rect, FBrush.Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect)
{
    Changing();
    RequireBrush();
    ::FrameRect(Handle(), rect, FBrush.Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect)
{
    Changing();
    ::DrawFocusRect(Handle(), rect);
    Changed();
}

void TCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    Changing();
    RequireFont();
    RequireBrush();
    ExtTextOut(Handle(), x, y, 0, nullptr, text, nullptr);
    TSize size;
    GetTextExtentPoint32(Handle(), text, &size);
    MoveTo(x + size.cx, y);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, std::string_view text)
{
    Changing();
    RequireFont();
    RequireBrush();
    uint32_t options = ETO_CLIPPED;
    if (FBrush.Style() != TBrushStyle::bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(Handle(), x, y, options, &rect, text, nullptr);
    Changed();
}

TSize TCanvas::TextExtent(std::string_view text)
{
    RequireFont();
    TSize size;
    if (!GetTextExtentPoint32(Handle(), text, &size))
        size = {};
    return size;
}

void TCanvas::Draw(int32_t x, int32_t y, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, rect);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source)
{
    Changing();
    // A monochrome source takes this canvas's text and background colours.
    RequireFont();
    RequireBrush();
    StretchBlt(Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), canvas.Handle(), source.Left, source.Top,
               source.Width(), source.Height(), FCopyMode);
    Changed();
}

TColor TCanvas::Pixels(int32_t x, int32_t y)
{
    const COLORREF c = GetPixel(Handle(), x, y);
    return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int32_t x, int32_t y, TColor color)
{
    Changing();
    SetPixel(Handle(), x, y, ColorToRGB(color));
    Changed();
}

TRect TCanvas::ClipRect()
{
    TRect r;
    if (GetClipBox(Handle(), &r) == RGN_ERROR)
        r = {};
    return r;
}
