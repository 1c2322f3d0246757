#include "foundation/DisplayScale.h"

#include <algorithm>
#include <limits>

namespace {

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A percentage below 1 would divide by zero or turn the scale over; it counts
// as 1.
int64_t Percent(int32_t percent)
{
    return std::max<int64_t>(percent, 1);
}

int32_t ToView(bool scaled, int32_t percent, int32_t value)
{
    const int64_t v = value;
    if (scaled) {
        const int64_t z = Percent(percent);
        if (v >= 0) {
            const int64_t product = v * z;
            return Saturate(product / 100 + (product % 100 >= 50 ? 1 : 0));
        }
        const int64_t product = (1 - v) * z;
        return Saturate(1 - product / 100 - (product % 100 >= 50 ? 1 : 0));
    }
    if (v >= 0)
        return Saturate(v * UnscaledViewRatio);
    return Saturate(1 - (1 - v) * UnscaledViewRatio);
}

int32_t FromView(bool scaled, int32_t percent, int32_t value)
{
    const int64_t v = value;
    if (scaled) {
        const int64_t z = Percent(percent);
        // The remainder of the division by z is compared with 50, not with z / 2.
        if (v >= 0) {
            const int64_t product = v * 100;
            return Saturate(product / z + (product % z >= 50 ? 1 : 0));
        }
        const int64_t product = (1 - v) * 100;
        return Saturate(1 - product / z - (product % z >= 50 ? 1 : 0));
    }
    if (v >= 0)
        return Saturate(v / UnscaledViewRatio + ((v >> 2) & 1));
    const int64_t a = 1 - v;
    return Saturate(1 - a / UnscaledViewRatio - ((a >> 2) & 1));
}

}  // namespace

int32_t ScaleToViewX(const TViewScale* scale, int32_t value)
{
    return scale ? ToView(scale->Scaled, scale->Zoom, value) : ToView(false, 100, value);
}

int32_t ScaleFromViewX(const TViewScale* scale, int32_t value)
{
    return scale ? FromView(scale->Scaled, scale->Zoom, value) : FromView(false, 100, value);
}

int32_t ScaleToViewY(const TViewScale* scale, int32_t value)
{
    return scale ? ToView(scale->Scaled, scale->SecondZoom, value) : ToView(false, 100, value);
}

int32_t ScaleFromViewY(const TViewScale* scale, int32_t value)
{
    return scale ? FromView(scale->Scaled, scale->SecondZoom, value) : FromView(false, 100, value);
}
