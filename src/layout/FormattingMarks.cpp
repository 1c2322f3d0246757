#include "layout/FormattingMarks.h"

#include "foundation/SharedManagers.h"
#include "foundation/managers/ColorManager.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cstdlib>

namespace {

void Bar(HDC dc, HBRUSH brush, int32_t x, int32_t y, int32_t width, int32_t height)
{
    const TRect rect{x, y, x + width, y + height};
    FillRect(dc, rect, brush);
}

// p % of a, rounded.
int32_t Pct(int32_t a, int32_t p)
{
    const int64_t product = static_cast<int64_t>(a) * p;
    return static_cast<int32_t>((product + (product >= 0 ? 50 : -50)) / 100);
}

// p per thousand of a, as MulDiv rounds.
int32_t Permil(int32_t a, int32_t p)
{
    return MulDiv(a, p, 1000);
}

bool SlotSet(const TCharFormat& format, int slot)
{
    return format[slot] != NotSet && format[slot] != 0;
}

int32_t Slot(const TCharFormat& format, int slot)
{
    return format[slot] == NotSet ? 0 : format[slot];
}

// A run of bars of length `on` every `period` pixels (phase: the pattern's
// start), clipped to left .. right.
void PatternBars(HDC dc, HBRUSH brush, int32_t start, int32_t left, int32_t right, int32_t top, int32_t height,
                 const std::vector<std::pair<int32_t, int32_t>>& pieces, int32_t period)
{
    if (period <= 0)
        return;
    for (int32_t base = start; base < right; base += period) {
        for (const auto& [offset, length] : pieces) {
            const int32_t a = std::max(base + offset, left);
            const int32_t b = std::min(base + offset + length, right);
            if (a < b)
                Bar(dc, brush, a, top, b - a, height);
        }
    }
}

// The segment's left edge moved back to the last whole period counted from
// the line's left edge.
int32_t PatternStart(int32_t left, int32_t lineLeft, int32_t period)
{
    if (period <= 0)
        return left;
    int64_t distance = static_cast<int64_t>(left) - lineLeft;
    int64_t periods = distance / period;
    if (distance < 0 && distance % period != 0)
        --periods;
    return static_cast<int32_t>(lineLeft + periods * period);
}

bool IsBlankDisplay(uint8_t c)
{
    return c == ' ' || c < 11;
}

}  // namespace

const std::string& BreakMarkCaption(int32_t index)
{
    static const std::string captions[6] = {
        "Saut de page",
        "Saut de colonne",
        "Saut de section (Continu)",
        "Saut de section (Page suivante)",
        "Saut de section (Page paire)",
        "Saut de section (Page impaire)",
    };
    static const std::string none;
    return index >= 0 && index < 6 ? captions[index] : none;
}

void DrawTabArrow(HDC dc, HBRUSH brush, int32_t x, int32_t top, int32_t width, int32_t ascent)
{
    const int32_t left = x + (width - 10) / 2;
    const int32_t y = top + (ascent - 5) / 2;
    Bar(dc, brush, left + 0, y + 2, 6, 1);
    Bar(dc, brush, left + 6, y + 0, 2, 5);
    Bar(dc, brush, left + 8, y + 1, 2, 3);
    Bar(dc, brush, left + 9, y + 2, 3, 1);
}

void DrawLineBreakArrow(HDC dc, HBRUSH brush, int32_t x, int32_t top, int32_t width, int32_t ascent)
{
    const int32_t left = x + (width - 11) / 2;
    const int32_t y = top + (ascent - 7) / 2;
    Bar(dc, brush, left + 0, y + 4, 9, 1);
    Bar(dc, brush, left + 1, y + 3, 2, 3);
    Bar(dc, brush, left + 2, y + 2, 2, 5);
    Bar(dc, brush, left + 9, y + 0, 1, 4);
}

void DrawOptionalHyphenMark(HDC dc, HBRUSH brush, int32_t x, int32_t top, int32_t width, int32_t ascent,
                            int32_t descent)
{
    const int32_t cx = x + width / 2;
    const int32_t y = top + 2;
    const int32_t height = std::max(ascent + descent - 4, 1);
    Bar(dc, brush, cx, y, 1, height);
    // The tick at the top points right (one pixel higher), the one at the
    // bottom points left.
    Bar(dc, brush, cx + 1, y - 1, 3, 1);
    Bar(dc, brush, cx - 3, y + height - 1, 3, 1);
}

int32_t DrawBreakMark(HDC dc, COLORREF markColor, COLORREF captionColor, int32_t captionIndex, int32_t x,
                      int32_t top, int32_t width)
{
    const std::string& caption = BreakMarkCaption(captionIndex);
    TSize size{};
    GetTextExtentPoint32(dc, caption, &size);
    const int32_t total = std::max(width, size.cx + 30);
    const int32_t captionLeft = x + (total - size.cx) / 2;
    const int32_t middle = top + size.cy / 2;

    const int32_t every = captionIndex == 0 ? 2 : captionIndex == 1 ? 3 : 2;
    auto dotted = [&](int32_t from, int32_t to, int32_t y) {
        for (int32_t px = from; px < to; ++px)
            if ((px - from) % every == 0)
                SetPixelV(dc, px, y, markColor);
    };
    const int32_t leftEnd = captionLeft - 1;
    const int32_t rightStart = captionLeft + size.cx + 1;
    if (captionIndex >= 2) {
        dotted(x, leftEnd, middle - 1);
        dotted(x, leftEnd, middle + 1);
        dotted(rightStart, x + total, middle - 1);
        dotted(rightStart, x + total, middle + 1);
    } else {
        dotted(x, leftEnd, middle);
        dotted(rightStart, x + total, middle);
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, captionColor);
    TextOut(dc, captionLeft, top, caption);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    return total;
}

void DrawBookmarkBracket(HDC dc, HBRUSH brush, bool start, int32_t x, int32_t top, int32_t height)
{
    const int32_t left = start ? x - 4 : x - 1;
    height = std::max(height, 4);
    // The vertical stroke on the bracket's open side's opposite edge.
    Bar(dc, brush, start ? left : left + 3, top, 2, height);
    Bar(dc, brush, left, top, 5, 2);
    Bar(dc, brush, left, top + height - 2, 5, 2);
}

void DrawParagraphAttributeGlyphs(HDC dc, const bool (&attributes)[3], int32_t right, int32_t top, int32_t zoom)
{
    HDC glyphs = GetParFormatAttrsDC();
    if (!glyphs)
        return;
    const int32_t width = zoom == 100 ? 12 : std::max(MulDiv(12, zoom, 100), 1);
    const int32_t height = zoom == 100 ? 10 : std::max(MulDiv(10, zoom, 100), 1);
    int32_t x = right;
    for (int32_t i = 0; i < 3; ++i) {
        if (!attributes[i])
            continue;
        x -= width + 1;
        if (zoom == 100)
            BitBlt(dc, x, top, 12, 10, glyphs, 0, i * 10, SRCINVERT);
        else
            StretchBlt(dc, x, top, width, height, glyphs, 0, i * 10, 12, 10, SRCINVERT);
    }
}

void DrawTabLeader(HDC dc, uint8_t leader, bool centred, int32_t x, int32_t top, int32_t width, int32_t height,
                   const int32_t (&widths)[256])
{
    static const char characters[4] = {0, '.', '-', '_'};
    if (leader < 1 || leader > 3 || width <= 0)
        return;
    const char c = characters[leader];
    const int32_t advance = std::max(widths[static_cast<uint8_t>(c)], 1);
    int32_t count = width / advance;
    if (leader == 3) {
        count += std::max(1, Pct(count, 20));
        const std::string text(static_cast<size_t>(count), c);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, x, top, x + width, top + height);
        TextOut(dc, x, top, text);
        RestoreDC(dc, saved);
        return;
    }
    if (count <= 0)
        return;
    const int32_t remainder = width - count * advance;
    const int32_t start = x + (centred ? remainder / 2 : remainder);
    const std::string text(static_cast<size_t>(count), c);
    const std::vector<int32_t> advances(static_cast<size_t>(count), advance);
    ExtTextOut(dc, start, top, 0, nullptr, text, advances.data());
}

COLORREF UnderlineColor(const TCharFormat& format, COLORREF automatic)
{
    const int32_t underline = Slot(format, cfUnderlineColor);
    if (underline >= 1 && underline <= BasicColorCount)
        return static_cast<COLORREF>(BasicColor(underline));
    const int32_t text = Slot(format, cfColor);
    if (text >= 1 && text <= BasicColorCount)
        return static_cast<COLORREF>(BasicColor(text));
    return automatic;
}

void MergeUnderlineSegments(std::vector<TUnderlineSegment>& segments)
{
    if (segments.size() < 2)
        return;
    std::vector<TUnderlineSegment> merged;
    merged.reserve(segments.size());
    merged.push_back(segments.front());
    for (size_t i = 1; i < segments.size(); ++i) {
        TUnderlineSegment& a = merged.back();
        const TUnderlineSegment& b = segments[i];
        const int32_t raiseA = Slot(a.Format, cfRaise);
        const int32_t raiseB = Slot(b.Format, cfRaise);
        const bool sameRaise = (raiseA > 0) == (raiseB > 0) && (raiseA < 0) == (raiseB < 0) &&
                               (!(raiseA > 0 && raiseB > 0) || raiseA == raiseB);
        const bool joins = b.Left == a.Right && Slot(a.Format, cfUnderline) == Slot(b.Format, cfUnderline) &&
                           Slot(a.Format, cfColor) == Slot(b.Format, cfColor) &&
                           Slot(a.Format, cfUnderlineColor) == Slot(b.Format, cfUnderlineColor) &&
                           (Slot(a.Format, cfVerticalPosition) == 2) == (Slot(b.Format, cfVerticalPosition) == 2) &&
                           sameRaise;
        if (!joins) {
            merged.push_back(b);
            continue;
        }
        const bool bold = SlotSet(a.Format, cfBold) || SlotSet(b.Format, cfBold);
        if (b.Ascent > a.Ascent) {
            a.Top = b.Top;
            a.Ascent = b.Ascent;
            a.Descent = b.Descent;
        }
        a.Right = b.Right;
        a.CharCount = b.FirstChar + b.CharCount - a.FirstChar;
        a.Format[cfBold] = bold ? 1 : 0;
    }
    segments.swap(merged);
}

void DrawWaveLine(HDC dc, int32_t x0, int32_t x1, int32_t y, int32_t penWidth, int32_t step, int32_t height,
                  COLORREF color)
{
    if (x1 <= x0)
        return;
    step = std::max(step, 1);
    const int32_t half = std::max(height / 2, 1);
    // A triangle wave of slope 1: up half the height and down again.
    auto offset = [&](int32_t x) {
        const int32_t period = 2 * half;
        int32_t phase = (x - x0) % (2 * period);
        if (phase < 0)
            phase += 2 * period;
        return phase < period ? phase - half : 3 * half - phase;
    };
    std::vector<TPoint> points;
    for (int32_t x = x0; x < x1; x += step)
        points.push_back({x, y + offset(x)});
    points.push_back({x1, y + offset(x1)});
    HPEN pen = CreatePen(PS_SOLID, std::max(penWidth, 1), color);
    HPEN old = SelectObject(dc, pen);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawUnderlineSegment(HDC dc, const TUnderlineSegment& segment, int32_t lineLeft, COLORREF color,
                          const int32_t* x, const uint8_t* text)
{
    const TCharFormat& f = segment.Format;
    const int32_t kind = Slot(f, cfUnderline);
    const int32_t a = segment.Ascent;
    const bool bold = SlotSet(f, cfBold);
    int32_t push = 0;
    if (SlotSet(f, cfEmboss) || SlotSet(f, cfEngrave))
        push = std::max(push, Pct(a, 2));
    if (SlotSet(f, cfShadow))
        push = std::max(push, Pct(a, 4));
    if (SlotSet(f, cfOutline))
        push = std::max(push, 1);
    const int32_t y0 = segment.Top + a + push;
    const int32_t left = segment.Left;
    const int32_t right = segment.Right;
    if (right <= left)
        return;

    HBRUSH brush = CreateSolidBrush(color);
    auto bar = [&](int32_t from, int32_t to, int32_t top, int32_t height) {
        from = std::max(from, left);
        to = std::min(to, right);
        if (from < to)
            Bar(dc, brush, from, top, to - from, height);
    };
    const bool heavy = kind == 20 || kind == 23 || kind == 25 || kind == 26 || kind == 55;
    const int32_t bandTop = heavy ? y0 + std::max(1, Pct(a, 8)) : y0 + std::max(1, Pct(a, 12));
    const int32_t bandHeight =
        heavy ? std::max(2, Pct(a, bold ? 13 : 11)) : std::max(1, Pct(a, bold ? 9 : 7));
    auto pattern = [&](const std::vector<std::pair<int32_t, int32_t>>& pieces, int32_t period) {
        PatternBars(dc, brush, PatternStart(left, lineLeft, period), left, right, bandTop, bandHeight, pieces,
                    period);
    };
    const int32_t dash = std::max(7, Pct(a, 60));

    switch (kind) {
    case 1:
        bar(left, right, y0 + std::max(1, Pct(a, 12)), std::max(1, Pct(a, bold ? 11 : 7)));
        break;
    case 2: {
        // Kind 1 under each stretch of characters that are not blanks.
        const int32_t top = y0 + std::max(1, Pct(a, 12));
        const int32_t height = std::max(1, Pct(a, bold ? 11 : 7));
        if (!x || !text) {
            bar(left, right, top, height);
            break;
        }
        int32_t i = 0;
        while (i < segment.CharCount) {
            while (i < segment.CharCount && IsBlankDisplay(text[i]))
                ++i;
            const int32_t from = i;
            while (i < segment.CharCount && !IsBlankDisplay(text[i]))
                ++i;
            if (i > from)
                bar(x[from], x[i], top, height);
        }
        break;
    }
    case 3: {
        const int32_t height = std::max(1, Permil(a, bold ? 53 : 33));
        const int32_t top = y0 + std::max(1, Permil(a, 68));
        bar(left, right, top, height);
        bar(left, right, top + std::max(2, Permil(a, bold ? 163 : 155)), height);
        break;
    }
    case 6:
        bar(left, right, y0 + std::max(1, Pct(a, 7)), std::max(2, Pct(a, 12)));
        break;
    case 4:
    case 20: {
        const int32_t u = std::max(2, Pct(a, 4));
        pattern({{0, u}}, 2 * u);
        break;
    }
    case 7:
    case 23:
        pattern({{0, dash}}, dash + std::max(2, Pct(a, 15)));
        break;
    case 39:
    case 55: {
        const int32_t longDash = std::max(18, Pct(a, 130));
        pattern({{0, longDash}}, longDash + std::max(5, Pct(a, 35)));
        break;
    }
    case 9:
    case 25: {
        const int32_t u = std::max(2, Pct(a, 12));
        pattern({{0, dash}, {dash + u, u}}, dash + 3 * u);
        break;
    }
    case 10:
    case 26: {
        const int32_t u = std::max(2, Pct(a, 12));
        pattern({{0, dash}, {dash + u, u}, {dash + 3 * u, u}}, dash + 5 * u);
        break;
    }
    case 11:
    case 27: {
        const int32_t pen = kind == 11 ? std::max(1, Pct(a, bold ? 4 : 3)) : std::max(2, Pct(a, bold ? 6 : 5));
        int32_t height = std::max(4, Pct(a, 18));
        height += height & 1;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, left, y0 - 4 * height, right, y0 + 4 * height + pen);
        DrawWaveLine(dc, left, right, y0 + Pct(a, 12), pen, std::max(1, Pct(a, 6)), height, color);
        RestoreDC(dc, saved);
        break;
    }
    case 43: {
        const int32_t pen = std::max(1, Pct(a, bold ? 4 : 3));
        int32_t height = std::max(4, Pct(a, 20));
        height += height & 1;
        const int32_t first = y0 + Pct(a, 10);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, left, y0 - 4 * height, right, y0 + 6 * height + pen);
        DrawWaveLine(dc, left, right, first, pen, std::max(1, Pct(a, 4)), height, color);
        DrawWaveLine(dc, left, right, first + std::max(2, Pct(a, 10)), pen, std::max(1, Pct(a, 4)), height, color);
        RestoreDC(dc, saved);
        break;
    }
    default:
        // 5 (hidden), 8 and unknown kinds draw nothing.
        break;
    }
    DeleteObject(brush);
}
