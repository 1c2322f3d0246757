#include "platform/framework/controls/ExtCtrls.h"

#include "platform/framework/controls/ControlSupport.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/win/Colors.h"

#include <algorithm>

namespace {

void BevelColors(TBevelCut cut, TColor& topLeft, TColor& bottomRight)
{
    topLeft = cut == TBevelCut::bvLowered ? clBtnShadow : clBtnHighlight;
    bottomRight = cut == TBevelCut::bvLowered ? clBtnHighlight : clBtnShadow;
}

} // namespace

// --- TPanel --------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    FWidth = 185;
    FHeight = 41;
}

TRect TPanel::ClientRect() const
{
    return TCustomControl::ClientRect();
}

void TPanel::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(r);
    TColor a, b;
    if (BevelOuter != TBevelCut::bvNone) {
        BevelColors(BevelOuter, a, b);
        Frame3D(c, r, a, b, BevelWidth);
    }
    if (BevelInner != TBevelCut::bvNone) {
        BevelColors(BevelInner, a, b);
        Frame3D(c, r, a, b, BevelWidth);
    }
    if (ShowCaption && !Caption().empty()) {
        c.Font().Assign(Font());
        DrawCaption(c, r, Caption(), Enabled(), true, true);
    }
}

// --- TBevel ---------------------------------------------------------------------------

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner)
{
    FWidth = 50;
    FHeight = 50;
}

void TBevel::Paint()
{
    TCanvas& c = Canvas();
    TColor a, b;
    BevelColors(Style, a, b);
    const int32_t w = Width(), h = Height();
    auto line = [&](TColor color, TRect r) {
        c.Brush().SetColor(color);
        c.FillRect(r);
    };
    switch (Shape) {
    case TBevelShape::bsBox: {
        TRect r{0, 0, w, h};
        Frame3D(c, r, a, b, 1);
        break;
    }
    case TBevelShape::bsFrame: {
        TRect r{0, 0, w - 1, h - 1};
        Frame3D(c, r, a, a, 1);
        r = {1, 1, w, h};
        Frame3D(c, r, b, b, 1);
        break;
    }
    case TBevelShape::bsTopLine: line(a, {0, 0, w, 1}); line(b, {0, 1, w, 2}); break;
    case TBevelShape::bsBottomLine: line(a, {0, h - 2, w, h - 1}); line(b, {0, h - 1, w, h}); break;
    case TBevelShape::bsLeftLine: line(a, {0, 0, 1, h}); line(b, {1, 0, 2, h}); break;
    case TBevelShape::bsRightLine: line(a, {w - 2, 0, w - 1, h}); line(b, {w - 1, 0, w, h}); break;
    }
}

// --- TImage and TPaintBox ---------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>())
{
    FWidth = 105;
    FHeight = 105;
}

TImage::~TImage() = default;

void TImage::Paint()
{
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty())
        return;
    TCanvas& c = Canvas();
    if (Stretch) {
        c.StretchDraw({0, 0, Width(), Height()}, *g);
        return;
    }
    const int32_t x = Center ? (Width() - g->Width()) / 2 : 0;
    const int32_t y = Center ? (Height() - g->Height()) / 2 : 0;
    c.Draw(x, y, *g);
}

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner)
{
    FWidth = 105;
    FHeight = 105;
}

// --- TImageList -------------------------------------------------------------------------

TImageList::TImageList(TComponent* owner, int32_t width, int32_t height)
    : TComponent(owner), FWidth(std::max(1, width)), FHeight(std::max(1, height))
{
}

int32_t TImageList::AddMasked(TBitmap& strip, TColor maskColor)
{
    const int32_t first = Count();
    const int32_t n = strip.Width() / FWidth;
    for (int32_t i = 0; i < n; ++i) {
        auto b = std::make_unique<TBitmap>();
        b->SetPixelFormat(TPixelFormat::pf32bit);
        b->SetSize(FWidth, FHeight);
        b->Canvas().CopyRect({0, 0, FWidth, FHeight}, strip.Canvas(), {i * FWidth, 0, (i + 1) * FWidth, FHeight});
        const TColor mask = maskColor == clDefault ? b->Canvas().Pixels(0, FHeight - 1) : maskColor;
        FImages.push_back({std::move(b), mask});
    }
    return first;
}

void TImageList::Replace(int32_t index, TBitmap& image, TColor maskColor)
{
    if (index < 0 || index >= Count())
        return;
    TImage& img = FImages[static_cast<size_t>(index)];
    img.Bitmap->Canvas().CopyRect({0, 0, FWidth, FHeight}, image.Canvas(), {0, 0, FWidth, FHeight});
    img.Mask = maskColor == clDefault ? img.Bitmap->Canvas().Pixels(0, FHeight - 1) : maskColor;
}

void TImageList::Delete(int32_t index)
{
    if (index >= 0 && index < Count())
        FImages.erase(FImages.begin() + index);
}

void TImageList::GetBitmap(int32_t index, TBitmap& bitmap)
{
    if (index < 0 || index >= Count())
        return;
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetSize(FWidth, FHeight);
    bitmap.Canvas().CopyRect({0, 0, FWidth, FHeight}, FImages[static_cast<size_t>(index)].Bitmap->Canvas(),
                             {0, 0, FWidth, FHeight});
}

void TImageList::Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled)
{
    if (index < 0 || index >= Count())
        return;
    TImage& img = FImages[static_cast<size_t>(index)];
    TCanvas& src = img.Bitmap->Canvas();
    if (enabled) {
        TransparentBlt(canvas.Handle(), x, y, FWidth, FHeight, src.Handle(), 0, 0, FWidth, FHeight,
                       ColorToRGB(img.Mask));
        return;
    }
    // Disabled: every pixel that is not the mask and is dark becomes shadow,
    // with a highlight copy one pixel down and right.
    const COLORREF mask = ColorToRGB(img.Mask);
    for (const auto& [dx, color] : {std::pair<int32_t, TColor>{1, clBtnHighlight}, {0, clBtnShadow}}) {
        for (int32_t py = 0; py < FHeight; ++py)
            for (int32_t px = 0; px < FWidth; ++px) {
                const COLORREF p = ColorToRGB(src.Pixels(px, py));
                if (p == mask)
                    continue;
                const int lum = (GetRValue(p) * 30 + GetGValue(p) * 59 + GetBValue(p) * 11) / 100;
                if (lum < 192)
                    canvas.SetPixels(x + px + dx, y + py + dx, color);
            }
    }
}

// --- TSpeedButton ----------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner)
{
    FWidth = 23;
    FHeight = 22;
}

void TSpeedButton::SetDown(bool down)
{
    if (down == FDown)
        return;
    if (!down && GroupIndex > 0 && !AllowAllUp)
        return;
    FDown = down;
    if (down && GroupIndex > 0 && Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* s = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
                s && s != this && s->GroupIndex == GroupIndex)
                s->FDown = false, s->Invalidate();
    Invalidate();
}

void TSpeedButton::Click()
{
    if (GroupIndex > 0) {
        if (!FDown)
            SetDown(true);
        else if (AllowAllUp)
            SetDown(false);
    }
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft && Enabled()) {
        FPressing = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft && FPressing) {
        FPressing = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Paint()
{
    TCanvas& c = Canvas();
    TRect r{0, 0, Width(), Height()};
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    const bool pressed = FDown || FPressing;
    if (pressed)
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    else if (!Flat)
        DrawRaisedFrame(c, r);
    const int32_t shift = pressed ? 1 : 0;
    if (!FGlyph.Empty()) {
        const int32_t gx = (Width() - FGlyph.Width()) / 2 + shift, gy = (Height() - FGlyph.Height()) / 2 + shift;
        TransparentBlt(c.Handle(), gx, gy, FGlyph.Width(), FGlyph.Height(), FGlyph.Canvas().Handle(), 0, 0,
                       FGlyph.Width(), FGlyph.Height(), ColorToRGB(FGlyph.TransparentColor()));
    } else if (!Caption().empty()) {
        c.Font().Assign(Font());
        DrawCaption(c, {shift, shift, Width() + shift, Height() + shift}, Caption(), Enabled(), true, true);
    }
}
