#include "foundation/ServiceBitmaps.h"

#include "platform/gdi/Gdi.h"

#include <algorithm>

TServiceBitmap::TServiceBitmap()
{
    FDC = CreateCompatibleDC(nullptr);
    SetBkMode(FDC, TRANSPARENT);
    FOriginal = static_cast<HBITMAP>(GetCurrentObject(FDC, OBJ_BITMAP));
}

TServiceBitmap::~TServiceBitmap()
{
    if (FBitmap) {
        SelectObject(FDC, FOriginal);
        DeleteObject(FBitmap);
    }
    DeleteDC(FDC);
}

void TServiceBitmap::SetSize(int32_t width, int32_t height)
{
    FWidth = std::min(width, MaxWidth);
    FHeight = std::min(height, MaxHeight);
    HBITMAP old = FBitmap;
    if (FWidth < 1 || FHeight < 1) {
        FWidth = std::max(FWidth, 0);
        FHeight = std::max(FHeight, 0);
        SelectObject(FDC, FOriginal);
        FBitmap = nullptr;
    } else {
        // Compatible with the screen, not with the context: a fresh memory
        // context still holds its 1 x 1 monochrome bitmap.
        HDC screen = GetScreenDC();
        FBitmap = CreateCompatibleBitmap(screen, FWidth, FHeight);
        ReleaseDC(screen);
        SelectObject(FDC, FBitmap);
    }
    if (old)
        DeleteObject(old);
}

void TServiceBitmap::EnsureSize(int32_t width, int32_t height)
{
    if (FBitmap && width <= FWidth && height <= FHeight)
        return;
    if (FBitmap) {
        width = std::max(width, FWidth);
        height = std::max(height, FHeight);
    }
    MaxWidth = std::max(MaxWidth, width);
    MaxHeight = std::max(MaxHeight, height);
    SetSize(width, height);
}

TCaretBitmap::TCaretBitmap()
{
    FInfo.bmiHeader.biPlanes = 1;
    FInfo.bmiHeader.biBitCount = 1;
    FInfo.bmiHeader.biCompression = BI_RGB;
    FInfo.bmiColors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    FDC = CreateCompatibleDC(nullptr);
    FOriginal = static_cast<HBITMAP>(GetCurrentObject(FDC, OBJ_BITMAP));
}

TCaretBitmap::~TCaretBitmap()
{
    if (FBitmap) {
        SelectObject(FDC, FOriginal);
        DeleteObject(FBitmap);
    }
    DeleteDC(FDC);
}

void TCaretBitmap::SetSize(int32_t width, int32_t height)
{
    if (FBitmap && width == FWidth && height == FHeight)
        return;
    SelectObject(FDC, FOriginal);
    if (FBitmap)
        DeleteObject(FBitmap);
    FBitmap = nullptr;
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
    if (FWidth < 1 || FHeight < 1)
        return;
    FInfo.bmiHeader.biWidth = FWidth;
    FInfo.bmiHeader.biHeight = FHeight;
    FBitmap = CreateDIBSection(FDC, FInfo, DIB_RGB_COLORS);
    SelectObject(FDC, FBitmap);
}
