#pragma once
// Cursor files (".cur", the form cursor resources are kept in): a directory of
// images, each a bitmap of twice the cursor's height (the colour or XOR part
// above the AND mask) with a hot spot. The first image is read; every count,
// offset and size is checked against the data, so a damaged file is refused
// rather than read past its end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/GdiTypes.h"
#include "platform/win/Windows.h"

struct TCursorFileImage {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t HotX = 0;
    int32_t HotY = 0;
    // Top-down pixels: the colour (0x00RRGGBB, or 0xAARRGGBB with Alpha) and
    // whether the AND mask marks the pixel transparent.
    std::vector<uint32_t> Color;
    std::vector<uint8_t> Transparent;
    bool Alpha = false;
};

// Reads the first image of a cursor file; false for data that is no cursor
// (or an icon file, whose entries carry no hot spot), or is damaged.
bool ReadCursorFile(const uint8_t* data, size_t size, TCursorFileImage& image);
// A window-layer cursor of the image (DestroyCursor frees it); 0 on failure.
HCURSOR CreateCursorFromImage(const TCursorFileImage& image);
// The image's pixels as a 32-bit colour on a background: transparent pixels
// take the background, pixels that invert the screen the background inverted.
uint32_t CursorPixelOn(const TCursorFileImage& image, int32_t x, int32_t y, COLORREF background);
