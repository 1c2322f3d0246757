#include "docwindow/ObjectResize.h"

#include "document/model/DocObject.h"
#include "document/model/Document.h"

#include <algorithm>
#include <cmath>

namespace {

// Which edges a handle moves: -1 the left or top one, 1 the right or bottom one, 0 none.
void HandleEdges(uint8_t handle, int& horizontal, int& vertical)
{
    static const int h[9] = {0, -1, 0, 1, -1, 1, -1, 0, 1};
    static const int v[9] = {0, -1, -1, -1, 0, 0, 1, 1, 1};
    horizontal = handle <= 8 ? h[handle] : 0;
    vertical = handle <= 8 ? v[handle] : 0;
}

int32_t MulDivRound(int64_t value, int64_t multiplier, int64_t divisor)
{
    if (divisor == 0)
        return 0;
    const double result = static_cast<double>(value) * static_cast<double>(multiplier) / static_cast<double>(divisor);
    return static_cast<int32_t>(std::lround(result));
}

}  // namespace

bool BeginObjectResize(TObjectResize& resize, const TDocObject& object, uint8_t handle, const TRect& rect,
                       TSize minimum, TSize maximum, bool keepProportions)
{
    if (object.Width <= 0 || object.Height <= 0 || object.ScaleX <= 0 || object.ScaleY <= 0 || handle < 1 ||
        handle > 8)
        return false;
    resize = TObjectResize{};
    resize.StoredWidth = object.Width;
    resize.StoredHeight = object.Height;
    resize.ScaleX = object.ScaleX;
    resize.ScaleY = object.ScaleY;
    resize.KeepProportions = keepProportions;
    resize.Handle = handle;
    resize.StartRect = rect;
    resize.Frame = rect;
    resize.MinWidth = std::max<int32_t>(minimum.cx, 1);
    resize.MinHeight = std::max<int32_t>(minimum.cy, 1);
    resize.MaxWidth = std::max<int32_t>(maximum.cx, resize.MinWidth);
    resize.MaxHeight = std::max<int32_t>(maximum.cy, resize.MinHeight);
    return true;
}

void ResizeObjectFrame(TObjectResize& resize, TPoint point)
{
    int horizontal = 0, vertical = 0;
    HandleEdges(resize.Handle, horizontal, vertical);
    TRect& f = resize.Frame;
    const TRect& s = resize.StartRect;
    if (horizontal < 0)
        f.Left = std::clamp(point.X, s.Right - resize.MaxWidth, s.Right - resize.MinWidth);
    else if (horizontal > 0)
        f.Right = std::clamp(point.X, s.Left + resize.MinWidth, s.Left + resize.MaxWidth);
    if (vertical < 0)
        f.Top = std::clamp(point.Y, s.Bottom - resize.MaxHeight, s.Bottom - resize.MinHeight);
    else if (vertical > 0)
        f.Bottom = std::clamp(point.Y, s.Top + resize.MinHeight, s.Top + resize.MaxHeight);
    if (!resize.KeepProportions || horizontal == 0 || vertical == 0)
        return;
    // The ratio of the scaled stored sizes: both are above 0 (BeginObjectResize).
    const double ratio = (static_cast<double>(resize.StoredWidth) * resize.ScaleX) /
                         (static_cast<double>(resize.StoredHeight) * resize.ScaleY);
    const int32_t width = f.Right - f.Left;
    const int32_t height = f.Bottom - f.Top;
    if (height <= 0)
        return;
    const double current = static_cast<double>(width) / height;
    if (current < ratio) {
        const int32_t wanted = static_cast<int32_t>(std::lround(height * ratio));
        if (horizontal < 0)
            f.Left = f.Right - wanted;
        else
            f.Right = f.Left + wanted;
    } else if (current > ratio) {
        const int32_t wanted = static_cast<int32_t>(std::lround(width / ratio));
        if (vertical < 0)
            f.Top = f.Bottom - wanted;
        else
            f.Bottom = f.Top + wanted;
    }
}

std::string ObjectScaleText(const TObjectResize& resize, const TDocument& document)
{
    const int32_t widthTwips = MulDivRound(resize.Frame.Right - resize.Frame.Left, 1440, document.DeviceResolutionX());
    const int32_t heightTwips = MulDivRound(resize.Frame.Bottom - resize.Frame.Top, 1440, document.DeviceResolutionY());
    return "Échelle : largeur = " + std::to_string(MulDivRound(widthTwips, 100, resize.StoredWidth)) +
           "%, hauteur = " + std::to_string(MulDivRound(heightTwips, 100, resize.StoredHeight)) + "%";
}
