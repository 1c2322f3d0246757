#include "foundation/drawing/ServiceBitmaps.h"

#include <algorithm>

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"

std::vector<RGBQUAD> SystemPaletteTable()
{
    // RGBQUAD is blue, green, red, reserved.
    auto q = [](uint8_t r, uint8_t g, uint8_t b) { return RGBQUAD{b, g, r, 0}; };
    std::vector<RGBQUAD> t(256);
    const RGBQUAD low[10] = {q(0, 0, 0),       q(128, 0, 0),   q(0, 128, 0),   q(128, 128, 0),   q(0, 0, 128),
                             q(128, 0, 128),   q(0, 128, 128), q(192, 192, 192), q(192, 220, 192), q(166, 202, 240)};
    const RGBQUAD high[10] = {q(255, 251, 240), q(160, 160, 164), q(128, 128, 128), q(255, 0, 0),   q(0, 255, 0),
                              q(255, 255, 0),   q(0, 0, 255),     q(255, 0, 255),   q(0, 255, 255), q(255, 255, 255)};
    std::copy(low, low + 10, t.begin());
    std::copy(high, high + 10, t.begin() + 246);
    size_t i = 10;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                t[i++] = q(static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51));
    for (int k = 0; i < 246; ++i, ++k) {
        const uint8_t v = static_cast<uint8_t>(8 + k * 12);
        t[i] = q(v, v, v);
    }
    return t;
}

// --- TDIBBitmap ---------------------------------------------------------------------

TDIBBitmap::TDIBBitmap(HDC dc, int32_t bitDepth)
{
    FDC = CreateCompatibleDC(dc);
    FInitialBitmap = static_cast<HBITMAP>(GetCurrentObject(FDC, OBJ_BITMAP));
    FBitDepth = (bitDepth == 16 || bitDepth == 32) ? 24 : bitDepth;
    FInfo.bmiHeader.biSize = 40;
    FInfo.bmiHeader.biPlanes = 1;
    FInfo.bmiHeader.biCompression = BI_RGB;
    if (FBitDepth == 1)
        FInfo.bmiColors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    else if (FBitDepth <= 8) {
        FInfo.bmiColors = SystemPaletteTable();
        FInfo.bmiColors.resize(static_cast<size_t>(1) << FBitDepth);
    }
}

TDIBBitmap::~TDIBBitmap()
{
    if (FBitmap) {
        SelectObject(FDC, FInitialBitmap);
        DeleteObject(FBitmap);
    }
    DeleteDC(FDC);
}

void TDIBBitmap::SetSize(int32_t width, int32_t height)
{
    if (width == FWidth && height == FHeight)
        return;
    FInfo.bmiHeader.biWidth = width;
    FInfo.bmiHeader.biHeight = height;
    FInfo.bmiHeader.biBitCount = static_cast<uint16_t>(FBitDepth);
    HBITMAP made = width > 0 && height > 0 ? CreateDIBSection(FDC, FInfo, DIB_RGB_COLORS) : nullptr;
    SelectObject(FDC, made ? made : FInitialBitmap);
    if (FBitmap)
        DeleteObject(FBitmap);
    FBitmap = made;
    FWidth = width;
    FHeight = height;
}

uint8_t* TDIBBitmap::ScanLine(int32_t y)
{
    return FBitmap ? DIBScanLine(FBitmap, y) : nullptr;
}

// --- TServiceBitmap ---------------------------------------------------------------------

TServiceBitmap::TServiceBitmap()
{
    FDC = CreateCompatibleDC(nullptr);
    SetBkMode(FDC, TRANSPARENT);
    FInitialBitmap = static_cast<HBITMAP>(GetCurrentObject(FDC, OBJ_BITMAP));
}

TServiceBitmap::~TServiceBitmap()
{
    SelectObject(FDC, FInitialBitmap);
    if (FBitmap)
        DeleteObject(FBitmap);
    DeleteDC(FDC);
}

void TServiceBitmap::SetSize(int32_t width, int32_t height)
{
    FUsedWidth = std::min(width, MaxWidth);
    FUsedHeight = std::min(height, MaxHeight);
    HBITMAP made = nullptr;
    if (FUsedWidth >= 1 && FUsedHeight >= 1) {
        HDC screen = GetScreenDC();
        made = CreateCompatibleBitmap(screen, FUsedWidth, FUsedHeight);
        ReleaseDC(screen);
    }
    SelectObject(FDC, made ? made : FInitialBitmap);
    if (FBitmap)
        DeleteObject(FBitmap);
    FBitmap = made;
}

void TServiceBitmap::EnsureSize(int32_t width, int32_t height)
{
    if (FBitmap && width <= FUsedWidth && height <= FUsedHeight)
        return;
    if (FBitmap) {
        width = std::max(width, FUsedWidth);
        height = std::max(height, FUsedHeight);
    }
    MaxWidth = std::max(MaxWidth, width);
    MaxHeight = std::max(MaxHeight, height);
    SetSize(width, height);
}

// --- TCaretBitmap -------------------------------------------------------------------------

TCaretBitmap::TCaretBitmap()
{
    FInfo.bmiHeader.biSize = 40;
    FInfo.bmiHeader.biPlanes = 1;
    FInfo.bmiHeader.biBitCount = 1;
    FInfo.bmiHeader.biCompression = BI_RGB;
    FInfo.bmiColors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    FDC = CreateCompatibleDC(nullptr);
    FInitialBitmap = static_cast<HBITMAP>(GetCurrentObject(FDC, OBJ_BITMAP));
}

TCaretBitmap::~TCaretBitmap()
{
    SelectObject(FDC, FInitialBitmap);
    if (FBitmap)
        DeleteObject(FBitmap);
    DeleteDC(FDC);
}

void TCaretBitmap::SetSize(int32_t width, int32_t height)
{
    if (width == FWidth && height == FHeight)
        return;
    SelectObject(FDC, FInitialBitmap);
    if (FBitmap)
        DeleteObject(FBitmap);
    FBitmap = nullptr;
    FWidth = width;
    FHeight = height;
    if (width < 1 || height < 1)
        return;
    FInfo.bmiHeader.biWidth = width;
    FInfo.bmiHeader.biHeight = height;
    FBitmap = CreateDIBSection(FDC, FInfo, DIB_RGB_COLORS);
    SelectObject(FDC, FBitmap);
}
