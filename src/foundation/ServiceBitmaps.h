#pragma once
// Two off-screen helpers of the painters. A TServiceBitmap is a memory device
// context with a screen-compatible bitmap that grows on demand within the
// maxima its user sets: the line painter composes each line in one before a
// single copy to the window. A TCaretBitmap is the 1-bit picture of a shaped
// (slanted) caret.
#include "platform/gdi/GdiTypes.h"

#include <cstdint>

class TServiceBitmap {
public:
    // A memory context compatible with the screen, transparent background,
    // without a bitmap of its own yet.
    TServiceBitmap();
    ~TServiceBitmap();
    TServiceBitmap(const TServiceBitmap&) = delete;
    TServiceBitmap& operator=(const TServiceBitmap&) = delete;

    HDC DC() const { return FDC; }
    // The current bitmap; null when there is none.
    HBITMAP Bitmap() const { return FBitmap; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The largest size SetSize gives (the callers set them).
    int32_t MaxWidth = 0;
    int32_t MaxHeight = 0;
    // The used size becomes the size given limited to the maxima, and a new
    // bitmap of that size replaces the old one; a side below 1 leaves no
    // bitmap (the context's first bitmap is selected back).
    void SetSize(int32_t width, int32_t height);
    // Grows the bitmap (never shrinks it) so that it holds width x height,
    // the maxima raised when needed; the content is kept only when the size
    // stays.
    void EnsureSize(int32_t width, int32_t height);

private:
    HDC FDC = nullptr;
    HBITMAP FOriginal = nullptr;
    HBITMAP FBitmap = nullptr;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

class TCaretBitmap {
public:
    TCaretBitmap();
    ~TCaretBitmap();
    TCaretBitmap(const TCaretBitmap&) = delete;
    TCaretBitmap& operator=(const TCaretBitmap&) = delete;

    HDC DC() const { return FDC; }
    HBITMAP Bitmap() const { return FBitmap; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // A 1-bit bitmap of the size (palette: 0 black, 1 white), selected into
    // the context; nothing when the size is unchanged. Its content is
    // undefined until drawn.
    void SetSize(int32_t width, int32_t height);

private:
    BITMAPINFO FInfo;
    HDC FDC = nullptr;
    HBITMAP FOriginal = nullptr;
    HBITMAP FBitmap = nullptr;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};
