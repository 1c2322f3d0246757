#pragma once
// TBitmap: a device-independent bitmap as a picture, with a canvas to draw
// on, direct access to its rows, a pixel format, a palette, transparency,
// and the BMP file format.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Canvas.h"
#include "platform/framework/Graphic.h"

// pfDevice is the screen's format (32 bits per pixel here); pf15bit is
// 5-5-5, pf16bit 5-6-5.
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
// tmAuto takes the bottom-left pixel as the transparent colour.
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TBitmap>(); }
    std::string ClassName() const override { return "TBitmap"; }

    // From another bitmap: a copy of its pixels, format and transparency.
    // From any other picture: the picture drawn on white at its own size.
    void Assign(const TGraphic& source) override;
    bool AssignTo(TGraphic& dest) const override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override;
    int32_t Height() const override;
    int32_t Width() const override;
    void SetHeight(int32_t height) override;
    void SetWidth(int32_t width) override;
    // Resizes keeping the pixels of the common area; new pixels are 0.
    void SetSize(int32_t width, int32_t height);

    TPixelFormat PixelFormat() const;
    // Converts the pixels (nearest colours of the standard table, or of the
    // colour table when one is set afterwards).
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const;
    void SetMonochrome(bool monochrome);

    // The canvas drawing on this bitmap (made on first use).
    TCanvas& Canvas();
    // Row y (0 = top) of the pixels in the pixel format's layout; valid until
    // the bitmap is drawn on, resized or converted.
    uint8_t* ScanLine(int32_t y);

    // The bitmap's handle (owned); ReleaseHandle gives it away and empties the
    // bitmap; SetHandle takes one over.
    HBITMAP Handle();
    HBITMAP ReleaseHandle();
    void SetHandle(HBITMAP bitmap);

    // The colour table of 1-, 4- and 8-bit bitmaps; setting it keeps the indices.
    std::vector<RGBQUAD> ColorTable() const;
    void SetColorTable(const std::vector<RGBQUAD>& colors);
    // A palette of the colour table (owned by the bitmap), none for other formats.
    HPALETTE Palette() const override;
    void SetPalette(HPALETTE palette) override;

    TColor TransparentColor();
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // BMP: reads a file image from the stream's position (the bytes its file
    // header counts); raises EInvalidGraphic on data that is no bitmap.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // A bitmap among the program's resources (type "BITMAP"): a BMP file, or a
    // packed DIB without the file header.
    void LoadFromResourceName(const std::string& name);

private:
    friend class TBitmapCanvas;
    void ReplaceHandle(HBITMAP bitmap);
    void FreePalette() const;

    HBITMAP FHandle = nullptr;
    TPixelFormat FRequestedFormat = TPixelFormat::pfDevice;
    std::unique_ptr<TBitmapCanvas> FCanvas;
    mutable HPALETTE FPalette = nullptr;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
};
