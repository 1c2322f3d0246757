#pragma once
// Points, sizes and rectangles in device or logical units, with the rectangle
// arithmetic of the original platform: a rectangle covers Left..Right-1 and
// Top..Bottom-1, so it is empty when Right <= Left or Bottom <= Top.
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int32_t x, int32_t y) { return {x, y}; }
constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return {left, top, left + width, top + height};
}

void SetRect(TRect& r, int32_t left, int32_t top, int32_t right, int32_t bottom);
void SetRectEmpty(TRect& r);
void OffsetRect(TRect& r, int32_t dx, int32_t dy);
void InflateRect(TRect& r, int32_t dx, int32_t dy);
bool IsRectEmpty(const TRect& r);
bool EqualRect(const TRect& a, const TRect& b);
bool PtInRect(const TRect& r, TPoint p);
// The common part of a and b; an empty result is stored as (0, 0, 0, 0) and
// reported as false.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);
// The smallest rectangle holding both; empty rectangles are ignored.
bool UnionRect(TRect& dest, const TRect& a, const TRect& b);
// Orders Left/Right and Top/Bottom.
TRect NormalizedRect(const TRect& r);
