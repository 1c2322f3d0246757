#include "platform/framework/controls/Buttons.h"

#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/ControlSupport.h"

#include <algorithm>
#include <functional>
#include <vector>

// --- TButtonControl ------------------------------------------------------------

const TMessageMap& TButtonControl::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TButtonControl::CMDialogChar>(CM_DIALOGCHAR),
                                  MessageEntry<&TButtonControl::WMFocusChanged>(WM_SETFOCUS),
                                  MessageEntry<&TButtonControl::WMFocusChanged>(WM_KILLFOCUS)}};
    return map;
}

TButtonControl::TButtonControl(TComponent* owner) : TCustomControl(owner)
{
    TabStop = true;
}

void TButtonControl::SetCaption(const std::string& caption)
{
    TWinControl::SetCaption(caption);
    Invalidate();
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        FDown = true;
        Invalidate();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft && FDown) {
        FDown = false;
        Invalidate();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TButtonControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    if (MouseCapture()) {
        const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
        if (inside != FDown) {
            FDown = inside;
            Invalidate();
        }
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TButtonControl::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == VK_SPACE && !FSpaceDown) {
        FSpaceDown = FDown = true;
        Invalidate();
    }
}

void TButtonControl::KeyUp(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    if (key == VK_SPACE && FSpaceDown) {
        FSpaceDown = FDown = false;
        Invalidate();
        Click();
    }
}

void TButtonControl::AccelPressed()
{
    if (CanFocus())
        SetFocus();
    Click();
}

void TButtonControl::CMDialogChar(TMessage& m)
{
    if (Enabled() && Showing() && IsAccel(static_cast<char>(m.WParam), Caption())) {
        AccelPressed();
        m.Result = 1;
    }
}

void TButtonControl::WMFocusChanged(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    FSpaceDown = false;
    if (TForm* form = ParentForm())
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(form->Components(i)))
                b->Invalidate();  // the default frame moves with the focus
    Invalidate();
}

// --- TButton ---------------------------------------------------------------------

const TMessageMap& TButton::ClassMessageMap()
{
    static const TMessageMap map{&TButtonControl::ClassMessageMap(),
                                 {MessageEntry<&TButton::CMDialogKey>(CM_DIALOGKEY)}};
    return map;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner)
{
    FWidth = 75;
    FHeight = 25;
}

void TButton::SetDefault(bool value)
{
    FDefault = value;
    Invalidate();
}

void TButton::Click()
{
    if (ModalResult != mrNone)
        if (TForm* form = ParentForm())
            form->SetModalResult(ModalResult);
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, BN_CLICKED));
    TButtonControl::Click();
}

TButton* ActiveDefaultButton(TForm* form)
{
    if (!form)
        return nullptr;
    if (auto* focused = dynamic_cast<TButton*>(TWinControl::FindControl(GetFocus())))
        if (focused->ParentForm() == form)
            return focused;
    TButton* found = nullptr;
    std::function<void(TWinControl*)> walk = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount() && !found; ++i) {
            if (auto* b = dynamic_cast<TButton*>(parent->Controls(i)); b && b->Default() && b->Showing())
                found = b;
            else if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i)))
                walk(w);
        }
    };
    walk(form);
    return found;
}

void TButton::CMDialogKey(TMessage& m)
{
    const bool enter = m.WParam == VK_RETURN && ActiveDefaultButton(ParentForm()) == this;
    const bool escape = m.WParam == VK_ESCAPE && Cancel;
    if ((enter || escape) && Enabled() && Showing()) {
        Click();
        m.Result = 1;
    }
}

void TButton::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    const bool framed = Focused() || ActiveDefaultButton(ParentForm()) == this;
    if (framed) {
        c.Brush().SetColor(cl3DDkShadow);
        c.FrameRect(r);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    if (FDown) {
        c.Brush().SetColor(clBtnShadow);
        c.FrameRect(r);
    } else {
        DrawRaisedFrame(c, r);
    }
    c.Font().Assign(Font());
    TRect text = r;
    if (FDown)
        text = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    DrawCaption(c, text, Caption(), Enabled(), true, true);
    if (Focused())
        c.DrawFocusRect({r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3});
}

// --- Check boxes and radio buttons -------------------------------------------

namespace {

void PaintMark(TCanvas& c, const TRect& box, bool radio, TCheckBoxState state, bool enabled, bool down)
{
    c.Brush().SetColor(down || !enabled ? clBtnFace : clWindow);
    c.FillRect(box);
    DrawSunkenFrame(c, box);
    if (state == TCheckBoxState::cbUnchecked)
        return;
    const TColor ink = state == TCheckBoxState::cbGrayed || !enabled ? clGrayText : clWindowText;
    c.Brush().SetColor(ink);
    const int32_t cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    if (radio) {
        c.FillRect({cx - 2, cy - 2, cx + 2, cy + 2});
        return;
    }
    // A tick: two strokes three pixels thick.
    for (int i = 0; i < 3; ++i) {
        c.FillRect({cx - 3 + i, cy - 1 + i, cx - 2 + i, cy + 2 + i});
    }
    for (int i = 0; i < 4; ++i)
        c.FillRect({cx + i, cy + 1 - i, cx + 1 + i, cy + 4 - i});
}

void PaintButtonLabel(TCustomControl& control, const std::string& caption)
{
    TCanvas& c = control.Canvas();
    c.Font().Assign(control.Font());
    const TRect text{18, 0, control.Width(), control.Height()};
    DrawCaption(c, text, caption, control.Enabled(), false, true);
    if (control.Focused()) {
        const TSize s = c.TextExtent(StripAccelChars(caption));
        const int32_t top = (control.Height() - s.cy) / 2;
        c.DrawFocusRect({16, top - 1, std::min(control.Width(), 20 + s.cx), top + s.cy + 1});
    }
}

} // namespace

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner)
{
    FWidth = 97;
    FHeight = 17;
}

void TCheckBox::SetState(TCheckBoxState state)
{
    if (state == FState)
        return;
    FState = state;
    Invalidate();
    TControl::Click();
}

void TCheckBox::Click()
{
    // A click moves to the next state: unchecked, checked (grayed when allowed).
    switch (FState) {
    case TCheckBoxState::cbUnchecked: SetState(TCheckBoxState::cbChecked); break;
    case TCheckBoxState::cbChecked:
        SetState(AllowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
        break;
    case TCheckBoxState::cbGrayed: SetState(TCheckBoxState::cbUnchecked); break;
    }
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, BN_CLICKED));
}

void TCheckBox::AccelPressed()
{
    if (CanFocus())
        SetFocus();
    Click();
}

void TCheckBox::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    const int32_t top = (Height() - 13) / 2;
    PaintMark(c, {0, top, 13, top + 13}, false, FState, Enabled(), FDown);
    PaintButtonLabel(*this, Caption());
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner)
{
    TabStop = false;  // only the checked button of a group is a tab stop
    FWidth = 113;
    FHeight = 17;
}

void TRadioButton::SetChecked(bool checked)
{
    if (checked == FChecked)
        return;
    FChecked = checked;
    TabStop = checked;
    Invalidate();
    if (!checked)
        return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(parent->Controls(i)); r && r != this)
                r->SetChecked(false);
    TControl::Click();
}

void TRadioButton::Click()
{
    SetChecked(true);
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, BN_CLICKED));
}

void TRadioButton::AccelPressed()
{
    if (CanFocus())
        SetFocus();
    Click();
}

void TRadioButton::KeyDown(uint16_t& key, TShiftState shift)
{
    TButtonControl::KeyDown(key, shift);
    // The arrow keys move through the group, checking as they go.
    if (key != VK_UP && key != VK_DOWN && key != VK_LEFT && key != VK_RIGHT)
        return;
    TWinControl* parent = Parent();
    if (!parent)
        return;
    std::vector<TRadioButton*> group;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* r = dynamic_cast<TRadioButton*>(parent->Controls(i)); r && r->CanFocus())
            group.push_back(r);
    auto it = std::find(group.begin(), group.end(), this);
    if (it == group.end() || group.size() < 2)
        return;
    const int n = static_cast<int>(group.size());
    const int step = key == VK_UP || key == VK_LEFT ? -1 : 1;
    TRadioButton* next = group[static_cast<size_t>(((it - group.begin()) + step + n) % n)];
    next->SetFocus();
    next->Click();
    key = 0;
}

void TRadioButton::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    const int32_t top = (Height() - 13) / 2;
    PaintMark(c, {0, top, 13, top + 13}, true,
              FChecked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked, Enabled(), FDown);
    PaintButtonLabel(*this, Caption());
}

// --- TGroupBox ---------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner)
{
    FWidth = 185;
    FHeight = 105;
}

TRect TGroupBox::ClientRect() const
{
    TRect r = TCustomControl::ClientRect();
    return r;
}

void TGroupBox::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    c.Font().Assign(Font());
    const int32_t h = c.TextHeight("Ag");
    TRect frame{0, h / 2, Width(), Height()};
    Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
    frame = {1, h / 2 + 1, Width() - 1, Height() - 1};
    Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
    if (Caption().empty())
        return;
    const std::string text = StripAccelChars(Caption());
    const int32_t w = c.TextWidth(text);
    c.Brush().SetColor(Color());
    c.FillRect({6, 0, 10 + w, h});
    DrawCaption(c, {8, 0, 8 + w + 1, h}, Caption(), Enabled(), false, false);
}

// --- TLabel --------------------------------------------------------------------------

const TMessageMap& TLabel::ClassMessageMap()
{
    static const TMessageMap map{&TGraphicControl::ClassMessageMap(),
                                 {MessageEntry<&TLabel::CMDialogChar>(CM_DIALOGCHAR)}};
    return map;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    FWidth = 65;
    FHeight = 13;
}

void TLabel::SetFocusControl(TWinControl* control)
{
    if (FFocusControl)
        RemoveFreeNotification(FFocusControl);
    FFocusControl = control;
    if (control)
        FreeNotification(control);
}

void TLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

void TLabel::SetAutoSize(bool value)
{
    FAutoSize = value;
    AdjustBounds();
}

void TLabel::SetCaption(const std::string& caption)
{
    TGraphicControl::SetCaption(caption);
    AdjustBounds();
}

void TLabel::AdjustBounds()
{
    if (!FAutoSize)
        return;
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas& c = measure.Canvas();
    c.Font().Assign(Font());
    const std::string text = ShowAccelChar ? StripAccelChars(Caption()) : Caption();
    const TSize s = c.TextExtent(text.empty() ? std::string("Ag") : text);
    SetBounds(Left(), Top(), text.empty() ? Width() : s.cx, s.cy);
}

void TLabel::Paint()
{
    TCanvas& c = Canvas();
    if (!Transparent) {
        c.Brush().SetColor(Color());
        c.FillRect({0, 0, Width(), Height()});
    }
    c.Font().Assign(Font());
    const std::string shown = ShowAccelChar ? StripAccelChars(Caption()) : Caption();
    int32_t x = 0;
    const int32_t w = c.TextWidth(shown);
    if (Alignment == TAlignment::taRightJustify)
        x = Width() - w;
    else if (Alignment == TAlignment::taCenter)
        x = (Width() - w) / 2;
    c.Brush().SetStyle(TBrushStyle::bsClear);
    if (!Enabled())
        c.Font().SetColor(clGrayText);
    c.TextRect({0, 0, Width(), Height()}, x, 0, shown);
    c.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TLabel::CMDialogChar(TMessage& m)
{
    if (ShowAccelChar && FFocusControl && Enabled() && Showing() && FFocusControl->CanFocus() &&
        IsAccel(static_cast<char>(m.WParam), Caption())) {
        FFocusControl->SetFocus();
        m.Result = 1;
    }
}
