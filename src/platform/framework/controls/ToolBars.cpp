#include "platform/framework/controls/ToolBars.h"

#include "platform/framework/controls/ControlSupport.h"
#include "platform/framework/controls/ExtCtrls.h"

#include <algorithm>

namespace {
constexpr int32_t SeparatorWidth = 8;
constexpr int32_t ArrowWidth = 12;
} // namespace

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner)
{
    FWidth = 23;
    FHeight = 22;
}

TToolButton::~TToolButton()
{
    BeginDestroy();
    if (FToolBar) {
        auto& v = FToolBar->FButtons;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        if (!FToolBar->Destroying())
            FToolBar->ArrangeButtons();
    }
}

void TToolButton::SetToolBar(TToolBar* bar)
{
    if (bar == FToolBar)
        return;
    if (FToolBar) {
        auto& v = FToolBar->FButtons;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        FToolBar->ArrangeButtons();
    }
    FToolBar = bar;
    SetParent(bar);
    if (bar) {
        bar->FButtons.push_back(this);
        bar->ArrangeButtons();
    }
}

void TToolButton::SetDown(bool down)
{
    if (down == FDown)
        return;
    FDown = down;
    if (down && Grouped && FToolBar) {
        // The buttons of a group are the grouped check buttons next to each other.
        auto& v = FToolBar->FButtons;
        const auto self = std::find(v.begin(), v.end(), this) - v.begin();
        for (int dir : {-1, 1})
            for (auto i = self + dir; i >= 0 && i < static_cast<long>(v.size()); i += dir) {
                TToolButton* b = v[static_cast<size_t>(i)];
                if (!b->Grouped || b->Style != TToolButtonStyle::tbsCheck)
                    break;
                if (b->FDown) {
                    b->FDown = false;
                    b->Invalidate();
                }
            }
    }
    Invalidate();
}

void TToolButton::Click()
{
    if (Style == TToolButtonStyle::tbsCheck) {
        if (!FDown)
            SetDown(true);
        else if (!Grouped || AllowAllUp)
            SetDown(false);
    }
    TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft && Enabled() && Style != TToolButtonStyle::tbsSeparator &&
        Style != TToolButtonStyle::tbsDivider) {
        if (Style == TToolButtonStyle::tbsDropDown && x >= Width() - ArrowWidth) {
            FArrowPressed = true;
            Invalidate();
            TGraphicControl::MouseDown(button, shift, x, y);
            if (OnDropDown)
                OnDropDown(this);
            return;
        }
        FPressing = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft && FArrowPressed) {
        // The arrow part does not click the button.
        FArrowPressed = false;
        FClicking = false;
        Invalidate();
        TGraphicControl::MouseUp(button, shift, x, y);
        return;
    }
    if (button == TMouseButton::mbLeft && FPressing) {
        FPressing = false;
        Invalidate();
    }
    if (Style == TToolButtonStyle::tbsSeparator || Style == TToolButtonStyle::tbsDivider)
        FClicking = false;
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TToolButton::Paint()
{
    TCanvas& c = Canvas();
    TRect r{0, 0, Width(), Height()};
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    if (Control)
        return;
    if (Style == TToolButtonStyle::tbsSeparator || Style == TToolButtonStyle::tbsDivider) {
        if (Style == TToolButtonStyle::tbsDivider) {
            TRect line{Width() / 2 - 1, 2, Width() / 2 + 1, Height() - 2};
            Frame3D(c, line, clBtnShadow, clBtnHighlight, 1);
        }
        return;
    }
    const bool pressed = FDown || FPressing;
    TRect face = r;
    if (Style == TToolButtonStyle::tbsDropDown)
        face.Right -= ArrowWidth;
    if (pressed) {
        Frame3D(c, face, clBtnShadow, clBtnHighlight, 1);
    } else if (!FToolBar || !FToolBar->Flat) {
        DrawRaisedFrame(c, face);
    }
    const int32_t shift = pressed ? 1 : 0;
    TImageList* images = FToolBar ? FToolBar->Images : nullptr;
    if (images && ImageIndex >= 0) {
        const int32_t ix = (Width() - (Style == TToolButtonStyle::tbsDropDown ? ArrowWidth : 0) - images->Width()) / 2;
        const int32_t iy = (Height() - images->Height()) / 2;
        TImageList* disabled = FToolBar->DisabledImages;
        if (!Enabled() && disabled && ImageIndex < disabled->Count())
            disabled->Draw(c, ix + shift, iy + shift, ImageIndex, true);
        else
            images->Draw(c, ix + shift, iy + shift, ImageIndex, Enabled());
    } else if (!Caption().empty()) {
        c.Font().Assign(Font());
        DrawCaption(c, {face.Left + shift, face.Top + shift, face.Right + shift, face.Bottom + shift}, Caption(),
                    Enabled(), true, true);
    }
    if (Style == TToolButtonStyle::tbsDropDown) {
        TRect arrow{Width() - ArrowWidth, 0, Width(), Height()};
        if (FArrowPressed)
            Frame3D(c, arrow, clBtnShadow, clBtnHighlight, 1);
        c.Brush().SetColor(Enabled() ? clBtnText : clGrayText);
        const int32_t ax = Width() - ArrowWidth / 2, ay = Height() / 2 - 1;
        for (int i = 0; i < 3; ++i)
            c.FillRect({ax - 2 + i, ay + i, ax + 3 - i, ay + i + 1});
    }
    if (FToolBar && FToolBar->OnButtonPainted)
        FToolBar->OnButtonPainted(this, c);
}

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner)
{
    FAlign = TAlign::alTop;
    FHeight = 29;
}

TToolBar::~TToolBar()
{
    BeginDestroy();
    for (TToolButton* b : FButtons)
        b->FToolBar = nullptr;
}

void TToolBar::ArrangeButtons()
{
    int32_t x = 0;
    for (TToolButton* b : FButtons) {
        if (!b->Visible())
            continue;
        int32_t w = ButtonWidth;
        if (b->Style == TToolButtonStyle::tbsSeparator || b->Style == TToolButtonStyle::tbsDivider)
            w = SeparatorWidth;
        else if (b->Style == TToolButtonStyle::tbsDropDown)
            w += ArrowWidth;
        if (b->ItemWidth > 0)
            w = b->ItemWidth;
        b->SetBounds(x, 2, w, ButtonHeight);
        if (b->Control) {
            const int32_t h = std::min(b->Control->Height(), ButtonHeight);
            b->Control->SetBounds(x, 2 + (ButtonHeight - h) / 2, w, h);
        }
        x += w;
    }
    Invalidate();
}

void TToolBar::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    TRect r = ClientRect();
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
}
