#pragma once
// TCanvas: drawing on a device context with a font, a pen and a brush that
// are selected into it when a drawing call needs them.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/GraphicsObjects.h"
#include "platform/gdi/GdiTypes.h"

class TGraphic;

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The device context; a canvas that makes its own (a bitmap's) makes it here.
    HDC Handle();
    // Draws on another context (the canvas does not own it); nullptr detaches.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont& Font() { return FFont; }
    TPen& Pen() { return FPen; }
    TBrush& Brush() { return FBrush; }

    TPoint PenPos();
    void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
    // The raster operation of CopyRect and of pictures drawn (SRCCOPY).
    uint32_t CopyMode() const { return FCopyMode; }
    void SetCopyMode(uint32_t rop) { FCopyMode = rop; }

    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height);
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);

    // Fills with the brush (no outline).
    void FillRect(const TRect& rect);
    // A one-pixel frame in the brush.
    void FrameRect(const TRect& rect);
    void DrawFocusRect(const TRect& rect);

    // Text in the font and its colour; the background as the brush says
    // (clear brush: transparent). The pen moves to the end of the text.
    void TextOut(int32_t x, int32_t y, std::string_view text);
    // Text clipped to a rectangle, which the brush fills first (unless clear).
    void TextRect(const TRect& rect, int32_t x, int32_t y, std::string_view text);
    TSize TextExtent(std::string_view text);
    int32_t TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int32_t TextHeight(std::string_view text) { return TextExtent(text).cy; }

    // Pictures drawn at their own size, or stretched into a rectangle.
    void Draw(int32_t x, int32_t y, TGraphic& graphic);
    void StretchDraw(const TRect& rect, TGraphic& graphic);
    // Copies (stretching) a part of another canvas with CopyMode.
    void CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source);

    // The colour of a pixel (clNone outside), and setting one.
    TColor Pixels(int32_t x, int32_t y);
    void SetPixels(int32_t x, int32_t y, TColor color);

    // The visible area (the clip box) in logical units.
    TRect ClipRect();

    // Deselects the font, pen and brush; they are selected again on next use.
    void Refresh();

    std::function<void(TCanvas&)> OnChange;
    std::function<void(TCanvas&)> OnChanging;

protected:
    // Made by canvases that own their context (a bitmap's canvas).
    virtual void CreateHandle() {}
    // Detaches without deleting: the owner frees its context itself.
    void DetachHandle();
    void Changing();
    void Changed();

private:
    void RequireFont();
    void RequirePen();
    void RequireBrush();
    void DeselectObjects();

    HDC FHandle = nullptr;
    TFont FFont;
    TPen FPen;
    TBrush FBrush;
    uint32_t FCopyMode = 0x00CC0020;  // SRCCOPY
    bool FFontValid = false;
    bool FPenValid = false;
    bool FBrushValid = false;
    HFONT FOldFont = nullptr;
    HPEN FOldPen = nullptr;
    HBRUSH FOldBrush = nullptr;
};
