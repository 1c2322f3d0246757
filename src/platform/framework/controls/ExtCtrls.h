#pragma once
// Panels, bevels, pictures, paint boxes, speed buttons and image lists.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Picture.h"

enum class TBevelCut : uint8_t { bvNone, bvLowered, bvRaised };
enum class TBevelShape : uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);
    TBevelCut BevelOuter = TBevelCut::bvRaised;
    TBevelCut BevelInner = TBevelCut::bvNone;
    int32_t BevelWidth = 1;
    bool ShowCaption = true;
    TRect ClientRect() const override;

protected:
    void Paint() override;
};

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape = TBevelShape::bsBox;
    TBevelCut Style = TBevelCut::bvLowered;

protected:
    void Paint() override;
};

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TPicture& Picture() { return *FPicture; }
    bool Stretch = false;
    bool Center = false;

protected:
    void Paint() override;

private:
    std::unique_ptr<TPicture> FPicture;
};

// A graphic control that its OnPaint draws.
class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* owner);
};

// A strip of equal images with a mask colour (the bottom-left pixel of each
// added strip unless given): images are added, replaced and drawn by index,
// greyed when disabled.
class TImageList : public TComponent {
public:
    TImageList(TComponent* owner, int32_t width = 16, int32_t height = 16);
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int32_t Count() const { return static_cast<int32_t>(FImages.size()); }
    // Adds every image of a strip (its width a multiple of the image width);
    // returns the index of the first.
    int32_t AddMasked(TBitmap& strip, TColor maskColor = clDefault);
    void Replace(int32_t index, TBitmap& image, TColor maskColor = clDefault);
    void Delete(int32_t index);
    void Clear() { FImages.clear(); }
    // Draws image index with its mask colour left out; disabled: grey embossed.
    void Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled = true);
    // The image with its mask colour (for tests and copies).
    void GetBitmap(int32_t index, TBitmap& bitmap);

private:
    struct TImage {
        std::unique_ptr<TBitmap> Bitmap;
        TColor Mask;
    };
    std::vector<TImage> FImages;
    int32_t FWidth, FHeight;
};

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    // Buttons of one group index > 0 behave as radio buttons (one down).
    int32_t GroupIndex = 0;
    bool AllowAllUp = false;
    bool Flat = false;
    bool Down() const { return FDown; }
    void SetDown(bool down);
    TBitmap& Glyph() { return FGlyph; }
    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    TBitmap FGlyph;
    bool FDown = false;
    bool FPressing = false;
};
