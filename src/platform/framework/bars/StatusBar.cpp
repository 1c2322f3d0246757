#include "platform/framework/bars/StatusBar.h"

#include <algorithm>

namespace {

constexpr int32_t kPanelGap = 2;    // between two panels
constexpr int32_t kGripSize = 12;   // the size grip's square at the right end
constexpr int32_t kTextIndent = 2;  // text inside a panel's bevel

} // namespace

// --- TStatusPanel ------------------------------------------------------------------

void TStatusPanel::SetText(const std::string& text)
{
    if (text == FText)
        return;
    FText = text;
    FBar.PanelChanged(*this);
}

void TStatusPanel::SetWidth(int32_t width)
{
    width = std::max(0, width);
    if (width == FWidth)
        return;
    FWidth = width;
    FBar.Invalidate();
}

void TStatusPanel::SetStyle(TStatusPanelStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    FBar.PanelChanged(*this);
}

int TStatusPanel::Index() const
{
    return FBar.IndexOf(*this);
}

// --- TStatusBar --------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner)
{
    SetColor(clBtnFace);
    FHeight = 19;
    SetAlign(TAlign::alBottom);
}

TStatusBar::~TStatusBar()
{
    BeginDestroy();
}

TStatusPanel& TStatusBar::AddPanel()
{
    FPanels.push_back(std::make_unique<TStatusPanel>(*this));
    Invalidate();
    return *FPanels.back();
}

void TStatusBar::DeletePanel(int index)
{
    if (index < 0 || index >= PanelCount())
        return;
    FPanels.erase(FPanels.begin() + index);
    Invalidate();
}

void TStatusBar::ClearPanels()
{
    FPanels.clear();
    Invalidate();
}

int TStatusBar::IndexOf(const TStatusPanel& panel) const
{
    for (size_t i = 0; i < FPanels.size(); ++i)
        if (FPanels[i].get() == &panel)
            return static_cast<int>(i);
    return -1;
}

void TStatusBar::PanelChanged(TStatusPanel& panel)
{
    const int index = IndexOf(panel);
    if (index < 0 || FSimplePanel || !HandleAllocated()) {
        Invalidate();
        return;
    }
    TRect r = PanelRect(index);
    InflateRect(r, 1, 1);
    InvalidateRect(Handle(), &r, true);
}

TRect TStatusBar::PanelRect(int index)
{
    const TRect client = ClientRect();
    const int32_t right = client.Right - (FSizeGrip ? kGripSize : 0);
    int32_t x = 0;
    for (int i = 0; i < PanelCount(); ++i) {
        const bool last = i == PanelCount() - 1;
        const int32_t w = last ? std::max(0, right - x) : FPanels[static_cast<size_t>(i)]->Width();
        if (i == index)
            return {x + 1, client.Top + 3, std::max(x + 1, x + w - 1), client.Bottom - 1};
        x += w + kPanelGap;
    }
    return {};
}

int TStatusBar::PanelAt(TPoint p)
{
    if (FSimplePanel)
        return -1;
    for (int i = 0; i < PanelCount(); ++i) {
        TRect r = PanelRect(i);
        InflateRect(r, 1, 1);
        if (PtInRect(r, p))
            return i;
    }
    return -1;
}

void TStatusBar::SetSimplePanel(bool simple)
{
    if (simple == FSimplePanel)
        return;
    FSimplePanel = simple;
    Invalidate();
}

void TStatusBar::SetSimpleText(const std::string& text)
{
    if (text == FSimpleText)
        return;
    FSimpleText = text;
    if (FSimplePanel)
        Invalidate();
}

void TStatusBar::SetSizeGrip(bool grip)
{
    if (grip == FSizeGrip)
        return;
    FSizeGrip = grip;
    Invalidate();
}

void TStatusBar::Resize()
{
    TCustomControl::Resize();
    Invalidate();
}

void TStatusBar::DrawBevel(TCanvas& canvas, const TRect& inside, TStatusPanelBevel bevel)
{
    if (bevel == TStatusPanelBevel::pbNone)
        return;
    const TColor topLeft = bevel == TStatusPanelBevel::pbLowered ? clBtnShadow : clBtnHighlight;
    const TColor bottomRight = bevel == TStatusPanelBevel::pbLowered ? clBtnHighlight : clBtnShadow;
    const TRect r{inside.Left - 1, inside.Top - 1, inside.Right + 1, inside.Bottom + 1};
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetColor(topLeft);
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    canvas.Pen().SetColor(bottomRight);
    canvas.LineTo(r.Right - 1, r.Bottom - 1);
    canvas.LineTo(r.Left - 1, r.Bottom - 1);
}

void TStatusBar::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(Color());
    const TRect client = ClientRect();
    canvas.FillRect(client);
    auto drawText = [&](const TRect& r, const std::string& text, TPanelAlignment alignment) {
        const int32_t w = canvas.TextWidth(text);
        int32_t x = r.Left + kTextIndent;
        if (alignment == TPanelAlignment::taRightJustify)
            x = r.Right - kTextIndent - w;
        else if (alignment == TPanelAlignment::taCenter)
            x = r.Left + (r.Width() - w) / 2;
        const int32_t y = r.Top + (r.Height() - canvas.TextHeight("Ag")) / 2;
        canvas.Font().SetColor(clBtnText);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.TextRect(r, x, y, text);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    };
    if (FSimplePanel) {
        TRect r{client.Left + 1, client.Top + 3, client.Right - (FSizeGrip ? kGripSize : 0) - 1, client.Bottom - 1};
        DrawBevel(canvas, r, TStatusPanelBevel::pbLowered);
        drawText(r, FSimpleText, TPanelAlignment::taLeftJustify);
    } else {
        const TRect clip = canvas.ClipRect();
        for (int i = 0; i < PanelCount(); ++i) {
            TStatusPanel& panel = *FPanels[static_cast<size_t>(i)];
            const TRect r = PanelRect(i);
            TRect bevel = r, common;
            InflateRect(bevel, 1, 1);
            // Only the panels the update touches are drawn (an owner-drawn
            // panel is not asked to draw itself for a change elsewhere).
            if (!IntersectRect(common, bevel, clip))
                continue;
            DrawBevel(canvas, r, panel.Bevel);
            if (panel.Style() == TStatusPanelStyle::psOwnerDraw && OnDrawPanel) {
                canvas.Brush().SetStyle(TBrushStyle::bsSolid);
                canvas.Brush().SetColor(Color());
                canvas.Font().SetColor(clBtnText);
                OnDrawPanel(this, panel, r);
                canvas.Font().Assign(Font());
            } else if (panel.Style() == TStatusPanelStyle::psText) {
                drawText(r, panel.Text(), panel.Alignment);
            }
        }
    }
    if (FSizeGrip) {
        // Three pairs of diagonal lines in the bottom-right corner.
        const int32_t right = client.Right - 1, bottom = client.Bottom - 1;
        for (int k = 0; k < 3; ++k) {
            const int32_t d = 4 * k + 2;
            canvas.Pen().SetColor(clBtnHighlight);
            canvas.MoveTo(right - d - 2, bottom);
            canvas.LineTo(right + 1, bottom - d - 3);
            canvas.Pen().SetColor(clBtnShadow);
            canvas.MoveTo(right - d - 1, bottom);
            canvas.LineTo(right + 1, bottom - d - 2);
            canvas.MoveTo(right - d, bottom);
            canvas.LineTo(right + 1, bottom - d - 1);
        }
    }
}
