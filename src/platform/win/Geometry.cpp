#include "platform/win/Geometry.h"

#include <algorithm>

void SetRect(TRect& r, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    r = {left, top, right, bottom};
}

void SetRectEmpty(TRect& r)
{
    r = {};
}

void OffsetRect(TRect& r, int32_t dx, int32_t dy)
{
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}

void InflateRect(TRect& r, int32_t dx, int32_t dy)
{
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

bool IsRectEmpty(const TRect& r)
{
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

bool EqualRect(const TRect& a, const TRect& b)
{
    return a == b;
}

bool PtInRect(const TRect& r, TPoint p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (IsRectEmpty(r)) {
        dest = {};
        return false;
    }
    dest = r;
    return true;
}

bool UnionRect(TRect& dest, const TRect& a, const TRect& b)
{
    if (IsRectEmpty(a)) {
        dest = IsRectEmpty(b) ? TRect{} : b;
    } else if (IsRectEmpty(b)) {
        dest = a;
    } else {
        dest = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom)};
    }
    return !IsRectEmpty(dest);
}

TRect NormalizedRect(const TRect& r)
{
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom)};
}
