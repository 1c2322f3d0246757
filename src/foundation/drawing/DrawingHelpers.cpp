#include "foundation/drawing/DrawingHelpers.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "foundation/Memory.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/Controls.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Regions.h"
#include "platform/win/SysColors.h"
#include "platform/win/Windows.h"

// --- Geometry -----------------------------------------------------------------------

void ExcludeRectFromRegion(const TRect& rect, HRGN region)
{
    HRGN cut = CreateRectRgnIndirect(rect);
    CombineRgn(region, region, cut, RGN_DIFF);
    DeleteObject(cut);
}

bool IntersectRectWith(TRect& rect, const TRect& clip)
{
    TRect r;
    const bool any = IntersectRect(r, rect, clip);
    rect = r;
    return any;
}

bool SamePoint(TPoint a, TPoint b)
{
    return a == b;
}

TPoint MapPointBetweenControls(TPoint point, TControl& from, TControl& to)
{
    return to.ScreenToClient(from.ClientToScreen(point));
}

TRect NormalRectToScreen(const TRect& rect)
{
    const TRect area = ScreenWorkArea();
    TRect r = rect;
    OffsetRect(r, area.Left, area.Top);
    return r;
}

TPoint GetMousePos()
{
    TPoint p;
    GetCursorPos(&p);
    return p;
}

TPoint GetMousePosInControl(TControl& control)
{
    return control.ScreenToClient(GetMousePos());
}

// --- Colour -----------------------------------------------------------------------------

COLORREF GetContrastShade(COLORREF color, COLORREF background)
{
    auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    const bool dark = channel(background, 0) + channel(background, 8) + channel(background, 16) < 384;
    int carry = 0;
    int value[3] = {0, 0, 0};  // blue, green, red
    const int shifts[3] = {16, 8, 0};
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < 3; ++k) {
            const int base = channel(background, shifts[k]);
            const int offset = 255 - channel(color, shifts[k]);
            int v;
            if (dark && base + offset < 256) {
                v = base + offset;
                if (base < 32)
                    v = std::min(255, base + offset * 5 / 2);
            } else if (base >= offset) {
                v = base - offset;
                if (pass == 1 && carry >= 1 && base != offset) {
                    const int taken = std::min(base - offset, carry);
                    v -= taken;
                    carry -= taken;
                }
            } else if (base < 129) {
                v = std::min(255, base + offset);
                if (base + offset - 255 > 0)
                    carry += base + offset - 255;
            } else {
                v = 0;
                carry += offset - base;
            }
            value[k] = v;
        }
        if (carry <= 0)
            break;
    }
    return static_cast<COLORREF>(value[2] | value[1] << 8 | value[0] << 16);
}

// --- Pixel lines -------------------------------------------------------------------------

namespace {

// Sets the pixels of positions from..to (inclusive) whose place in the
// pattern (counted from the start) the picker gives a colour for.
template <class Pick>
void PixelRun(int32_t from, int32_t to, Pick pick, const std::function<void(int32_t, COLORREF)>& set)
{
    for (int32_t p = from, i = 0; p <= to; ++p, ++i) {
        COLORREF c;
        if (pick(i, c))
            set(p, c);
    }
}

} // namespace

void DrawDottedHLine(HDC dc, int32_t x1, int32_t x2, int32_t y, COLORREF color)
{
    for (int32_t x = x1; x <= x2; x += 2)
        SetPixelV(dc, x, y, color);
}

void DrawSparseDottedHLine(HDC dc, int32_t x1, int32_t x2, int32_t y, COLORREF color)
{
    for (int32_t x = x1; x <= x2; x += 3)
        SetPixelV(dc, x, y, color);
}

void DrawTwoColorDottedHLine(HDC dc, int32_t x1, int32_t x2, int32_t y, COLORREF first, COLORREF second)
{
    PixelRun(
        x1, x2,
        [&](int32_t i, COLORREF& c) {
            const int k = i % 5;
            c = (k == 0 || k == 2) ? second : first;
            return true;
        },
        [&](int32_t x, COLORREF c) { SetPixelV(dc, x, y, c); });
}

void DrawDottedVLine(HDC dc, int32_t x, int32_t y1, int32_t y2, COLORREF color)
{
    PixelRun(
        y1, y2,
        [&](int32_t i, COLORREF& c) {
            c = color;
            const int k = i % 5;
            return k == 0 || k == 2;
        },
        [&](int32_t y, COLORREF c) { SetPixelV(dc, x, y, c); });
}

void DrawTwoColorDottedVLine(HDC dc, int32_t x, int32_t y1, int32_t y2, COLORREF first, COLORREF second)
{
    PixelRun(
        y1, y2,
        [&](int32_t i, COLORREF& c) {
            const int k = i % 5;
            c = (k == 0 || k == 2) ? second : first;
            return true;
        },
        [&](int32_t y, COLORREF c) { SetPixelV(dc, x, y, c); });
}

// --- Zigzag and wave ---------------------------------------------------------------------

namespace {

// The point array shared by the zigzag and the wave, kept between calls and
// grown one point at a time when full.
TMemory& PointBuffer()
{
    static TMemory buffer;
    return buffer;
}

class TPointList {
public:
    TPointList() : FBuffer(PointBuffer()) {}
    void Add(int32_t x, int32_t y)
    {
        const int32_t bytes = (FCount + 1) * static_cast<int32_t>(sizeof(TPoint));
        if (FBuffer.Size() < bytes)
            FBuffer.SetSize(bytes);
        reinterpret_cast<TPoint*>(FBuffer.Data())[FCount++] = {x, y};
    }
    const TPoint* Data() const { return reinterpret_cast<const TPoint*>(FBuffer.Data()); }
    int Count() const { return FCount; }

private:
    TMemory& FBuffer;
    int FCount = 0;
};

// The zigzag's pen, made anew only when the colour changes.
struct TZigzagPen {
    HPEN Pen = nullptr;
    COLORREF Color = 0;
};

TZigzagPen& ZigzagPen()
{
    static TZigzagPen pen;
    return pen;
}

int32_t Mod(int64_t a, int32_t m)
{
    const int64_t r = a % m;
    return static_cast<int32_t>(r < 0 ? r + m : r);
}

} // namespace

void DrawZigzagLine(HDC dc, int32_t x1, int32_t x2, COLORREF color, int32_t phaseX, int32_t baseline)
{
    auto yOf = [&](int32_t x) {
        switch (Mod(static_cast<int64_t>(x) - phaseX, 4)) {
        case 0: return baseline - 1;
        case 2: return baseline + 1;
        default: return baseline;
        }
    };
    TPointList points;
    points.Add(x1, yOf(x1));
    int32_t x = x1 + 1;
    if (Mod(static_cast<int64_t>(x) - phaseX, 2) != 0)
        ++x;
    for (; x < x2; x += 2)
        points.Add(x, yOf(x));
    points.Add(x2, yOf(x2));
    TZigzagPen& pen = ZigzagPen();
    if (!pen.Pen || pen.Color != color) {
        if (pen.Pen)
            DeleteObject(pen.Pen);
        pen.Pen = CreatePen(PS_SOLID, 1, color);
        pen.Color = color;
    }
    HPEN old = SelectObject(dc, pen.Pen);
    Polyline(dc, points.Data(), points.Count());
    SelectObject(dc, old);
}

void DrawWaveLine(HDC dc, int32_t x1, int32_t x2, COLORREF color, int32_t penWidth, int32_t amplitude, int32_t period,
                  int32_t phase, int32_t baseline)
{
    // The points step by half a period: there is no wave below 2.
    if (period < 2)
        return;
    const int saved = SaveDC(dc);
    SelectClipRgn(dc, nullptr);
    IntersectClipRect(dc, x1, baseline - 2 * amplitude - penWidth - 1, x2, baseline + 2 * amplitude + penWidth + 2);
    const int32_t start = x1 - (x1 + phase) % period;
    const int32_t end = x2 + period - (x2 + phase) % period;
    const bool doubled = penWidth > 2 && period > 2 && amplitude > 2;
    TPointList points;
    for (int32_t x = start; x <= end; x += period / 2) {
        const bool low = std::llabs(static_cast<int64_t>(x) + phase) % period == 0;
        int32_t y = low ? baseline + amplitude : baseline - amplitude;
        if (doubled) {
            // A wide pen: each point becomes a short flat piece, pulled towards
            // the baseline by half the pen, so that the wave keeps its height.
            y += low ? -(penWidth / 2) : penWidth / 2;
            points.Add(x + 1 - penWidth / 2, y);
            points.Add(x + penWidth - 1, y);
        } else {
            points.Add(x, y);
        }
    }
    HPEN pen = CreatePen(PS_SOLID, penWidth, color);
    HPEN old = SelectObject(dc, pen);
    Polyline(dc, points.Data(), points.Count());
    SelectObject(dc, old);
    DeleteObject(pen);
    RestoreDC(dc, saved);
}

// --- Frames ------------------------------------------------------------------------------

void DrawDashedFrame(TCanvas& canvas, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (right <= left || bottom <= top)
        return;
    // The perimeter walked clockwise: each edge a run of pixels with a step.
    struct TEdge { int32_t X, Y, DX, DY, Length; };
    const int32_t w = right - left, h = bottom - top;
    const TEdge edges[4] = {
        {left, top, 1, 0, w},                          // top, left to right
        {right - 1, top + 1, 0, 1, h - 1},             // right, downwards
        {right - 2, bottom - 1, -1, 0, w - 1},         // bottom, right to left
        {left, bottom - 2, 0, -1, std::max(0, h - 2)}, // left, upwards
    };
    int32_t pos = 0;
    auto dash = [&](int32_t ax, int32_t ay, int32_t bx, int32_t by) {
        TRect r{std::min(ax, bx), std::min(ay, by), std::max(ax, bx) + 1, std::max(ay, by) + 1};
        r.Left = std::max(0, r.Left);
        r.Top = std::max(0, r.Top);
        r.Right = std::max(0, r.Right);
        r.Bottom = std::max(0, r.Bottom);
        if (!IsRectEmpty(r))
            canvas.FillRect(r);
    };
    for (const TEdge& e : edges) {
        int32_t runStart = -1;
        for (int32_t i = 0; i < e.Length; ++i, ++pos) {
            const bool on = pos % 8 < 4;
            if (on && runStart < 0)
                runStart = i;
            if (!on && runStart >= 0) {
                dash(e.X + e.DX * runStart, e.Y + e.DY * runStart, e.X + e.DX * (i - 1), e.Y + e.DY * (i - 1));
                runStart = -1;
            }
        }
        if (runStart >= 0)
            dash(e.X + e.DX * runStart, e.Y + e.DY * runStart, e.X + e.DX * (e.Length - 1),
                 e.Y + e.DY * (e.Length - 1));
    }
}

void DrawEtchedLine(TCanvas& canvas, int32_t x1, int32_t x2, int32_t y)
{
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(clBtnShadow);
    canvas.MoveTo(x1, y);
    canvas.LineTo(x2, y);
    canvas.Pen().SetColor(clBtnHighlight);
    canvas.MoveTo(x1, y + 1);
    canvas.LineTo(x2, y + 1);
}

// --- Underline samples --------------------------------------------------------------------

namespace {

// A line of on/off segments (pixels), repeated from x1, thickness rows high.
void PatternLine(HDC dc, int32_t x1, int32_t x2, int32_t y, int32_t thickness, const std::vector<int>& pattern,
                 COLORREF color)
{
    int32_t period = 0;
    for (int s : pattern)
        period += s;
    for (int32_t x = x1; x <= x2; ++x) {
        int32_t p = (x - x1) % period;
        bool on = true;
        for (int s : pattern) {
            if (p < s)
                break;
            p -= s;
            on = !on;
        }
        if (on)
            for (int32_t t = 0; t < thickness; ++t)
                SetPixelV(dc, x, y + t, color);
    }
}

} // namespace

void DrawUnderlineSample(TCanvas& canvas, const TRect& rect, int32_t underlineKind, int32_t width)
{
    TRect r = rect;
    r.Right = std::min(r.Right, r.Left + width);
    if (IsRectEmpty(r))
        return;
    HDC dc = canvas.Handle();
    const COLORREF color = ColorToRGB(canvas.Font().Color());
    const int32_t x1 = r.Left + 4, x2 = r.Right - 5, y = (r.Top + r.Bottom) / 2;
    auto centredText = [&](const char* text) {
        const TSize size = canvas.TextExtent(text);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.TextRect(r, r.Left + (r.Width() - size.cx) / 2, r.Top + (r.Height() - size.cy) / 2, text);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    };
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    switch (underlineKind) {
    case 0: centredText("Aucun(e)"); break;
    case 2: centredText("Mots seuls"); break;
    case 1: PatternLine(dc, x1, x2, y, 1, {1, 0}, color); break;
    case 3:
        PatternLine(dc, x1, x2, y - 1, 1, {1, 0}, color);
        PatternLine(dc, x1, x2, y + 1, 1, {1, 0}, color);
        break;
    case 4: DrawDottedHLine(dc, x1, x2, y, color); break;
    case 6: PatternLine(dc, x1, x2, y, 2, {1, 0}, color); break;
    case 7: PatternLine(dc, x1, x2, y, 1, {4, 2}, color); break;
    case 9: PatternLine(dc, x1, x2, y, 1, {4, 2, 1, 2}, color); break;
    case 10: PatternLine(dc, x1, x2, y, 1, {4, 2, 1, 2, 1, 2}, color); break;
    case 11: DrawWaveLine(dc, x1, x2, color, 1, 1, 4, 0, y); break;
    case 20: PatternLine(dc, x1, x2, y, 2, {2, 2}, color); break;
    case 23: PatternLine(dc, x1, x2, y, 2, {4, 2}, color); break;
    case 25: PatternLine(dc, x1, x2, y, 2, {4, 2, 2, 2}, color); break;
    case 26: PatternLine(dc, x1, x2, y, 2, {4, 2, 2, 2, 2, 2}, color); break;
    case 27: DrawWaveLine(dc, x1, x2, color, 2, 1, 6, 0, y); break;
    case 39: PatternLine(dc, x1, x2, y, 1, {8, 3}, color); break;
    case 43:
        DrawWaveLine(dc, x1, x2, color, 1, 1, 4, 0, y - 2);
        DrawWaveLine(dc, x1, x2, color, 1, 1, 4, 0, y + 2);
        break;
    case 55: PatternLine(dc, x1, x2, y, 2, {8, 3}, color); break;
    default: break;
    }
    RestoreDC(dc, saved);
}
