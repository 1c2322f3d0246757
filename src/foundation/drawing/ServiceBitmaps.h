#pragma once
// Off-screen bitmap holders that painting, printing, the ruler and the caret
// draw through: each wraps a memory device context and the bitmap selected
// into it.
#include <cstdint>
#include <vector>

#include "platform/gdi/GdiTypes.h"

// A device-independent bitmap of a chosen depth in its own memory context.
class TDIBBitmap {
public:
    // A memory context compatible with dc; depths 16 and 32 become 24. For
    // depth 1 the colour table is black and white, for other depths up to 8
    // the screen's system palette. No bitmap until SetSize.
    TDIBBitmap(HDC dc, int32_t bitDepth);
    ~TDIBBitmap();
    TDIBBitmap(const TDIBBitmap&) = delete;
    TDIBBitmap& operator=(const TDIBBitmap&) = delete;

    // Nothing when the size is unchanged; otherwise a new DIB section of the
    // size and depth replaces the one before.
    void SetSize(int32_t width, int32_t height);
    HDC DC() const { return FDC; }
    HBITMAP Bitmap() const { return FBitmap; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int32_t BitDepth() const { return FBitDepth; }
    const BITMAPINFO& Info() const { return FInfo; }
    // Row y (0 = top) of the pixels; valid until the bitmap is drawn on or resized.
    uint8_t* ScanLine(int32_t y);

private:
    HBITMAP FBitmap = nullptr;
    HDC FDC = nullptr;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    BITMAPINFO FInfo;
    int32_t FBitDepth = 0;
    HBITMAP FInitialBitmap = nullptr;
};

// A screen-compatible bitmap whose size is limited to maxima the callers set.
class TServiceBitmap {
public:
    TServiceBitmap();
    ~TServiceBitmap();
    TServiceBitmap(const TServiceBitmap&) = delete;
    TServiceBitmap& operator=(const TServiceBitmap&) = delete;

    // The used size is the given size limited to the maxima; a side below 1
    // leaves no bitmap (the context holds the bitmap it was made with).
    void SetSize(int32_t width, int32_t height);
    HDC DC() const { return FDC; }
    HBITMAP Bitmap() const { return FBitmap; }
    int32_t MaxWidth = 0;
    int32_t MaxHeight = 0;
    int32_t UsedWidth() const { return FUsedWidth; }
    int32_t UsedHeight() const { return FUsedHeight; }
    int32_t Width() const { return FUsedWidth; }
    int32_t Height() const { return FUsedHeight; }
    // Grows the bitmap (never shrinks it) so that it holds width x height,
    // the maxima raised when needed; the content is kept only when the size
    // stays.
    void EnsureSize(int32_t width, int32_t height);

private:
    HBITMAP FInitialBitmap = nullptr;
    HBITMAP FBitmap = nullptr;
    HDC FDC = nullptr;
    int32_t FUsedWidth = 0;
    int32_t FUsedHeight = 0;
};

// The caret's picture: a 1-bit bitmap (entry 0 black, entry 1 white).
class TCaretBitmap {
public:
    TCaretBitmap();
    ~TCaretBitmap();
    TCaretBitmap(const TCaretBitmap&) = delete;
    TCaretBitmap& operator=(const TCaretBitmap&) = delete;

    // Nothing when unchanged; otherwise a new 1-bit bitmap of the size
    // (contents undefined until drawn).
    void SetSize(int32_t width, int32_t height);
    HDC DC() const { return FDC; }
    HBITMAP Bitmap() const { return FBitmap; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }

private:
    BITMAPINFO FInfo;
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    HBITMAP FInitialBitmap = nullptr;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

// The screen's system palette as a 256-entry colour table: the twenty static
// colours at both ends and a colour cube with a grey ramp between them.
std::vector<RGBQUAD> SystemPaletteTable();
