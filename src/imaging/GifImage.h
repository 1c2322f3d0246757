#pragma once
// TGIFImage: GIF pictures (87a and 89a) with all their frames. Each frame
// keeps its LZW data as read and is decoded into a bitmap when it is drawn
// or asked for; frames made from other pictures are reduced to 256 colours
// and compressed when the picture is saved.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Bitmap.h"

class TGIFImage;

struct TGIFColor {
    uint8_t R = 0, G = 0, B = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

// The logical screen's data, shared between copies of a picture.
struct TGIFData {
    int32_t ColorResolution = 0;
    int32_t BitsPerPixel = 0;
    uint8_t Background = 0;
    uint8_t Aspect = 0;
    std::vector<TGIFColor> Colors;  // the global colour table
    std::vector<std::string> Comment;
};

// One frame's stored data, shared between copies of the frame.
struct TGIFItem {
    std::string Data;  // LZW code size byte and the concatenated data sub-blocks
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t CodeSize = 0;
    std::vector<TGIFColor> Colors;  // the frame's table (a copy of the global one when it has none)
};

enum class TExtensionKind { ekGraphicControl, ekPlainText, ekApplication, ekComment };

struct TExtension {
    TExtensionKind Kind = TExtensionKind::ekComment;
    std::string Fixed;               // the fixed part of the block as read
    std::vector<std::string> Lines;  // data sub-blocks, one line each
};

class TGIFFrame {
public:
    explicit TGIFFrame(TGIFImage* owner);
    ~TGIFFrame();
    TGIFFrame(const TGIFFrame&) = delete;
    TGIFFrame& operator=(const TGIFFrame&) = delete;

    // From another frame, a GIF picture (its current or first frame) or any
    // other picture (made into a bitmap; compressed when saved).
    void Assign(const TGraphic* source, const TGIFFrame* frame);
    // The decoded frame (decoded on first need).
    TBitmap& Bitmap();
    bool HasBitmap() const { return FBitmap != nullptr; }
    bool Empty() const;
    const TGIFItem& Item() const { return *FItem; }
    // Compresses the bitmap into LZW data when the frame has none.
    void Compress();

    std::vector<std::unique_ptr<TExtension>> Extensions;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t TransparentColor = 0x1FFFFFFF;  // clNone
    uint16_t Delay = 0;                     // milliseconds
    uint8_t Disposal = 0;
    bool Interlaced = false;
    bool LocalTable = false;
    bool Grey = false;

private:
    friend class TGIFImage;
    void Decode();
    int32_t BitDepth() const;
    TGIFImage* FOwner;
    std::unique_ptr<TBitmap> FBitmap;
    std::shared_ptr<TGIFItem> FItem;
};

class TGIFImage : public TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;

    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TGIFImage>(); }
    std::string ClassName() const override { return "TGIFImage"; }

    bool AssignTo(TGraphic& dest) const override;
    void Assign(const TGraphic& source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override;
    int32_t Height() const override;
    int32_t Width() const override;
    HPALETTE Palette() const override;
    bool Transparent() const override;
    void ReadData(TStream& stream) override;
    void SetHeight(int32_t) override {}
    void SetWidth(int32_t) override {}
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Adds a frame made from the picture, makes it current; its index.
    virtual int32_t AddFrame(const TGraphic& picture);
    // The current frame's bitmap (an empty frame is added first when there is none).
    TBitmap& GetBitmap();
    // The current frame's transparent colour; clNone without one.
    int32_t GetTransparentColor() const;

    int32_t FrameCount() const { return static_cast<int32_t>(FFrames.size()); }
    TGIFFrame& Frame(int32_t index) { return *FFrames.at(static_cast<size_t>(index)); }
    int32_t CurrentFrame() const { return FCurrent; }
    void SetCurrentFrame(int32_t index);
    int32_t Version() const { return FVersion; }  // 0 none, 1 "87a", 2 "89a"
    const TGIFData& ScreenData() const { return *FData; }
    const std::vector<std::string>& Comment() const { return FData->Comment; }
    int32_t ScreenWidth() const { return FScreenWidth; }
    int32_t ScreenHeight() const { return FScreenHeight; }
    // The picture's transparent colour (the global table's background entry).
    int32_t PictureTransparentColor() const { return FTransparentColor; }

private:
    friend class TGIFFrame;
    void Reset();
    void UpdateScreenSize();
    TGIFFrame* Current() const;
    std::shared_ptr<TGIFData> FData;
    int32_t FVersion = 0;
    std::vector<std::unique_ptr<TGIFFrame>> FFrames;
    int32_t FCurrent = -1;
    int32_t FScreenWidth = 0;
    int32_t FScreenHeight = 0;
    int32_t FTransparentColor = 0x1FFFFFFF;
};

// LZW coding of GIF frames, exposed for tests: decoding into pixel indices
// (one byte each, rows from the top in the order given) and encoding of such
// pixels. Decode returns false when the data ends before the pixels are
// filled; damaged codes stop the decoding and keep what was decoded.
bool DecodeGifLzw(const std::string& data, int32_t pixelCount, int32_t bitDepth, std::vector<uint8_t>& pixels);
std::string EncodeGifLzw(const std::vector<uint8_t>& pixels, int32_t bitsPerPixel);

// Reduces 24-bit pixels (0x00RRGGBB) to at most count colours: the table and
// each pixel's index.
void ReduceColors(const std::vector<uint32_t>& pixels, int32_t count, std::vector<TGIFColor>& table,
                  std::vector<uint8_t>& indices);

void InitializeGifImageUnit();
void FinalizeGifImageUnit();
