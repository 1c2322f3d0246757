#pragma once
// TJPEGImage: a JPEG picture kept as its compressed bytes, decoded into a
// bitmap when it is drawn or its pixels are asked for, and encoded from a
// bitmap when it must be saved without compressed bytes. Copies share the
// compressed data.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/framework/Bitmap.h"

// The compressed bytes (absent until the picture has been coded) and the
// size its JPEG header gives; shared between copies of a picture.
struct TJPEGData {
    std::unique_ptr<std::string> Data;
    int32_t Width = 0;
    int32_t Height = 0;
};

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TJPEGImage>(); }
    std::string ClassName() const override { return "TJPEGImage"; }

    bool AssignTo(TGraphic& dest) const override;
    void Assign(const TGraphic& source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override;
    int32_t Height() const override;
    int32_t Width() const override;
    HPALETTE Palette() const override;
    void SetPalette(HPALETTE palette) override;
    void ReadData(TStream& stream) override;
    void SetHeight(int32_t) override {}
    void SetWidth(int32_t) override {}
    // Takes all bytes from the stream's position to its end.
    void LoadFromStream(TStream& stream) override;
    // Encodes first when there are no compressed bytes, then writes them.
    void SaveToStream(TStream& stream) override;

    // The decoded picture (decoded on first need).
    TBitmap& Bitmap() const;
    // Drops the decoded bitmap; the next draw decodes again.
    void FreeBitmap();
    bool HasBitmap() const { return FBitmap != nullptr; }
    // The picture's colour depth in bits per pixel: 8 for grey, else 24.
    int32_t ColorDepth() const;
    // The compressed bytes (empty until coded).
    std::string CompressedData() const;
    // Encodes the decoded bitmap when there are no compressed bytes yet.
    void Compress();

private:
    void LoadBytes(std::string bytes);
    void Decode() const;
    std::shared_ptr<TJPEGData> FImage;
    mutable std::unique_ptr<TBitmap> FBitmap;
    mutable HPALETTE FTempPal = nullptr;
    HPALETTE FPalette = nullptr;
};

void InitializeJpegImageUnit();
void FinalizeJpegImageUnit();
