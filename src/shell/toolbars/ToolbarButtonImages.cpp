#include "shell/toolbars/ToolbarButtonImages.h"

#include "foundation/NotSet.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/resources/ResourceStrings.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/runtime/Exception.h"
#include "shell/toolbars/ToolbarSettings.h"

#include <cstring>

namespace {
constexpr TCommandId cmHighlight = 704;
constexpr TCommandId cmFontColor = 705;
constexpr int32_t ButtonFaceValue = static_cast<int32_t>(0x80000000u);
}  // namespace

TToolbarButtonImages::TToolbarButtonImages()
    : FSmallNormal(std::make_unique<TImageList>(nullptr, 16, 16)),
      FSmallGrayed(std::make_unique<TImageList>(nullptr, 16, 16))
{
    const TResourceData data = LoadResourceData("TOOLBARIMAGECOMMANDS", "TOOLBARIMAGECOMMANDS");
    if (!data)
        throw Exception("Ressource TOOLBARIMAGECOMMANDS introuvable");
    FIds.resize(data.Size / 4);
    for (size_t i = 0; i < FIds.size(); ++i) {
        const uint8_t* p = data.Data + i * 4;
        FIds[i] = static_cast<TCommandId>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                          static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
    }
}

TToolbarButtonImages::~TToolbarButtonImages() = default;

void TToolbarButtonImages::LoadStrip(const char* name, TImageList& small, TImageList* large)
{
    TBitmap strip;
    strip.LoadFromResourceName(name);
    small.Clear();
    small.AddMasked(strip, ToolbarImageMaskColor);
    if (!large)
        return;
    // The large images are the small ones doubled in each direction.
    large->Clear();
    TBitmap doubled;
    doubled.SetPixelFormat(TPixelFormat::pf24bit);
    doubled.SetSize(strip.Width() * 2, strip.Height() * 2);
    doubled.Canvas().StretchDraw({0, 0, strip.Width() * 2, strip.Height() * 2}, strip);
    doubled.SetPixelFormat(TPixelFormat::pf4bit);
    large->AddMasked(doubled, ToolbarImageMaskColor);
}

void TToolbarButtonImages::LoadImages(const TToolbarSettings& settings)
{
    if (settings.LargeButtons) {
        if (!FLargeNormal)
            FLargeNormal = std::make_unique<TImageList>(nullptr, 32, 32);
        if (!FLargeGrayed)
            FLargeGrayed = std::make_unique<TImageList>(nullptr, 32, 32);
    }
    LoadStrip("NORMALTOOLBARIMAGES", *FSmallNormal, settings.LargeButtons ? FLargeNormal.get() : nullptr);
    LoadStrip("GRAYEDTOOLBARIMAGES", *FSmallGrayed, settings.LargeButtons ? FLargeGrayed.get() : nullptr);
}

int32_t TToolbarButtonImages::IndexOfCommand(TCommandId id) const
{
    if (id == 4900)
        id = 5000;
    int32_t low = 0, high = static_cast<int32_t>(FIds.size()) - 1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const TCommandId value = FIds[static_cast<size_t>(middle)];
        if (value == id)
            return middle;
        if (value < id)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

void TToolbarButtonImages::DrawCommandGlyph(TCommandId id, TBitmap& bitmap)
{
    bitmap.SetPixelFormat(TPixelFormat::pf4bit);
    const int32_t index = IndexOfCommand(id);
    if (index < 0 || index >= FSmallNormal->Count()) {
        if (bitmap.Width() == 0 || bitmap.Height() == 0)
            bitmap.SetSize(16, 16);
        bitmap.Canvas().Brush().SetColor(ToolbarImageMaskColor);
        bitmap.Canvas().FillRect({0, 0, bitmap.Width(), bitmap.Height()});
        return;
    }
    bitmap.SetSize(FSmallNormal->Width(), FSmallNormal->Height());
    bitmap.Canvas().Brush().SetColor(ToolbarImageMaskColor);
    bitmap.Canvas().FillRect({0, 0, bitmap.Width(), bitmap.Height()});
    FSmallNormal->Draw(bitmap.Canvas(), 0, 0, index, true);
}

TColor ColorIndicatorColor(int32_t value, TCommandId id)
{
    if (value == ButtonFaceValue)
        return clBtnFace;
    if (value > 0 && value <= BasicColorCount)
        return static_cast<TColor>(BasicColor(value));
    // Automatic: a yellow marker for the highlight, the text colour for text.
    return id == cmHighlight ? static_cast<TColor>(BasicColor(7)) : static_cast<TColor>(BasicColor(1));
}

void TToolbarButtonImages::DrawColorIndicator(TCanvas& canvas, const TRect& rect, TCommandId id)
{
    if (id != cmHighlight && id != cmFontColor)
        return;
    const int32_t value = id == cmHighlight ? HighlightColor : FontColor;
    const int32_t h = rect.Bottom - rect.Top;
    canvas.Brush().SetColor(ColorIndicatorColor(value, id));
    canvas.FillRect({rect.Left + h / 7, rect.Top + (2 * h) / 3, rect.Left + h - h / 7, rect.Top + (2 * h) / 3 + h / 5});
}
