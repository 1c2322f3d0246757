#include "platform/framework/controls/Lists.h"

#include "platform/framework/Forms.h"
#include "platform/framework/controls/ControlSupport.h"
#include "platform/gdi/DeviceContext.h"

#include <algorithm>

// --- TCustomListBox ------------------------------------------------------------------

const TMessageMap& TCustomListBox::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TCustomListBox::CNCommand>(CN_COMMAND),
                                  MessageEntry<&TCustomListBox::WMMouseWheel>(WM_MOUSEWHEEL),
                                  MessageEntry<&TCustomListBox::WMFocusChanged>(WM_SETFOCUS),
                                  MessageEntry<&TCustomListBox::WMFocusChanged>(WM_KILLFOCUS)}};
    return map;
}

TCustomListBox::TCustomListBox(TComponent* owner) : TCustomControl(owner), FItems(std::make_unique<TStringList>())
{
    TabStop = true;
    FColor = clWindow;
    FWidth = 121;
    FHeight = 97;
    FItems->OnChange = [this](TStringList&) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox()
{
    BeginDestroy();
    FItems->OnChange = nullptr;
}

void TCustomListBox::ItemsChanged()
{
    const int32_t n = FItems->Count();
    FSelected.resize(static_cast<size_t>(n), false);
    if (FItemIndex >= n)
        FItemIndex = -1;
    FTopIndex = std::clamp(FTopIndex, 0, std::max(0, n - 1));
    Invalidate();
}

void TCustomListBox::SetItemIndex(int32_t index)
{
    if (index < -1 || index >= FItems->Count())
        index = -1;
    FItemIndex = index;
    if (MultiSelect) {
        std::fill(FSelected.begin(), FSelected.end(), false);
        if (index >= 0)
            FSelected[static_cast<size_t>(index)] = true;
    }
    MakeVisible(index);
    Invalidate();
}

bool TCustomListBox::Selected(int32_t index) const
{
    if (index < 0 || index >= FItems->Count())
        return false;
    if (MultiSelect)
        return static_cast<size_t>(index) < FSelected.size() && FSelected[static_cast<size_t>(index)];
    return index == FItemIndex;
}

void TCustomListBox::SetSelected(int32_t index, bool selected)
{
    if (index < 0 || index >= FItems->Count())
        return;
    if (!MultiSelect) {
        if (selected)
            FItemIndex = index;
        else if (FItemIndex == index)
            FItemIndex = -1;
    } else {
        FSelected.resize(static_cast<size_t>(FItems->Count()), false);
        FSelected[static_cast<size_t>(index)] = selected;
    }
    Invalidate();
}

int32_t TCustomListBox::SelCount() const
{
    if (!MultiSelect)
        return FItemIndex >= 0 ? 1 : 0;
    return static_cast<int32_t>(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::SetTopIndex(int32_t index)
{
    FTopIndex = std::clamp(index, 0, std::max(0, FItems->Count() - 1));
    Invalidate();
}

void TCustomListBox::SetItemHeight(int32_t height)
{
    FItemHeight = std::max(1, height);
    Invalidate();
}

int32_t TCustomListBox::VisibleCount() const
{
    return std::max(1, (Height() - 4) / FItemHeight);
}

void TCustomListBox::MakeVisible(int32_t index)
{
    if (index < 0)
        return;
    if (index < FTopIndex)
        FTopIndex = index;
    else if (index >= FTopIndex + VisibleCount())
        FTopIndex = index - VisibleCount() + 1;
}

TRect TCustomListBox::ItemRect(int32_t index) const
{
    const int32_t top = 2 + (index - FTopIndex) * FItemHeight;
    return {2, top, Width() - 2, top + FItemHeight};
}

int32_t TCustomListBox::ItemAtPos(TPoint p, bool existing) const
{
    const int32_t i = FTopIndex + (p.Y - 2) / FItemHeight;
    if (p.Y < 2 || i >= FItems->Count())
        return existing ? -1 : FItems->Count();
    return i;
}

void TCustomListBox::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(r);
    DrawSunkenFrame(c, r);
    const int32_t last = std::min(FItems->Count(), FTopIndex + VisibleCount() + 1);
    for (int32_t i = FTopIndex; i < last; ++i) {
        TOwnerDrawState state = 0;
        if (Selected(i))
            state |= odSelected;
        if (i == FItemIndex && Focused())
            state |= odFocused;
        if (!Enabled())
            state |= odDisabled;
        const TRect item = ItemRect(i);
        const int saved = SaveDC(c.Handle());
        IntersectClipRect(c.Handle(), 2, 2, Width() - 2, Height() - 2);
        DrawItem(i, item, state);
        RestoreDC(c.Handle(), saved);
        c.Refresh();
    }
}

void TCustomListBox::DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state)
{
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    const bool selected = (state & odSelected) != 0;
    c.Brush().SetColor(selected ? clHighlight : Color());
    c.Font().SetColor(selected ? clHighlightText : (state & odDisabled) ? clGrayText : Font().Color());
    if (Style == TListBoxStyle::lbOwnerDrawFixed && OnDrawItem) {
        OnDrawItem(this, c, index, rect, state);
    } else {
        TRect text = rect;
        text.Left += TextLeft();
        c.FillRect(text);
        c.TextRect(text, text.Left + 1, rect.Top + (rect.Height() - c.TextHeight("Ag")) / 2,
                   FItems->Strings(index));
    }
    if (state & odFocused) {
        TRect f = rect;
        f.Left += TextLeft();
        c.DrawFocusRect(f);
    }
}

void TCustomListBox::UserSelect(int32_t index, TShiftState shift)
{
    if (FItems->Count() == 0)
        return;
    index = std::clamp(index, 0, FItems->Count() - 1);
    bool changed = index != FItemIndex;
    if (MultiSelect) {
        FSelected.resize(static_cast<size_t>(FItems->Count()), false);
        if (shift & ssCtrl) {
            FSelected[static_cast<size_t>(index)] = !FSelected[static_cast<size_t>(index)];
            changed = true;
        } else if ((shift & ssShift) && FItemIndex >= 0) {
            std::fill(FSelected.begin(), FSelected.end(), false);
            for (int32_t i = std::min(index, FItemIndex); i <= std::max(index, FItemIndex); ++i)
                FSelected[static_cast<size_t>(i)] = true;
            changed = true;
        } else {
            const bool only = SelCount() == 1 && FSelected[static_cast<size_t>(index)];
            std::fill(FSelected.begin(), FSelected.end(), false);
            FSelected[static_cast<size_t>(index)] = true;
            changed = changed || !only;
        }
    }
    FItemIndex = index;
    MakeVisible(index);
    Invalidate();
    if (changed)
        NotifyParent(*this, WM_COMMAND, MakeWParam(0, LBN_SELCHANGE));
}

void TCustomListBox::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    int32_t target;
    switch (key) {
    case VK_UP: target = FItemIndex - 1; break;
    case VK_DOWN: target = FItemIndex + 1; break;
    case VK_PRIOR: target = FItemIndex - VisibleCount() + 1; break;
    case VK_NEXT: target = FItemIndex + VisibleCount() - 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = FItems->Count() - 1; break;
    default: return;
    }
    UserSelect(std::max(0, target), shift & ~ssCtrl);
    key = 0;
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        const int32_t i = ItemAtPos({x, y}, true);
        if (i >= 0 && !(shift & ssDouble))
            UserSelect(i, shift);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    // Dragging with the button held moves the selection (single selection).
    if (MouseCapture() && !MultiSelect && (shift & ssLeft)) {
        const int32_t i = ItemAtPos({x, std::clamp(y, 2, Height() - 3)}, true);
        if (i >= 0 && i != FItemIndex)
            UserSelect(i, 0);
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TCustomListBox::DblClick()
{
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, LBN_DBLCLK));
}

void TCustomListBox::CNCommand(TMessage& m)
{
    switch (HiWord(m.WParam)) {
    case LBN_SELCHANGE: TControl::Click(); break;
    case LBN_DBLCLK: TControl::DblClick(); break;
    default: break;
    }
}

void TCustomListBox::WMMouseWheel(TMessage& m)
{
    SetTopIndex(FTopIndex - GetWheelDelta(m.WParam) / WHEEL_DELTA * 3);
    m.Result = 0;
}

void TCustomListBox::WMFocusChanged(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    Invalidate();
}

// --- TCheckListBox -----------------------------------------------------------------------

TCheckListBox::TCheckListBox(TComponent* owner) : TCustomListBox(owner)
{
    FItems->OnChange = [this](TStringList&) {
        FChecked.resize(static_cast<size_t>(FItems->Count()), false);
        FDisabled.resize(static_cast<size_t>(FItems->Count()), false);
        ItemsChanged();
    };
}

bool TCheckListBox::Checked(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < FChecked.size() && FChecked[static_cast<size_t>(index)];
}

void TCheckListBox::SetChecked(int32_t index, bool checked)
{
    if (index < 0 || index >= FItems->Count())
        return;
    FChecked.resize(static_cast<size_t>(FItems->Count()), false);
    FChecked[static_cast<size_t>(index)] = checked;
    Invalidate();
}

bool TCheckListBox::ItemEnabled(int32_t index) const
{
    return !(index >= 0 && static_cast<size_t>(index) < FDisabled.size() && FDisabled[static_cast<size_t>(index)]);
}

void TCheckListBox::SetItemEnabled(int32_t index, bool enabled)
{
    if (index < 0 || index >= FItems->Count())
        return;
    FDisabled.resize(static_cast<size_t>(FItems->Count()), false);
    FDisabled[static_cast<size_t>(index)] = !enabled;
    Invalidate();
}

void TCheckListBox::Toggle(int32_t index)
{
    if (index < 0 || index >= FItems->Count() || !ItemEnabled(index))
        return;
    SetChecked(index, !Checked(index));
    if (OnClickCheck)
        OnClickCheck(this);
}

void TCheckListBox::DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state)
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect({rect.Left, rect.Top, rect.Left + TextLeft(), rect.Bottom});
    const int32_t top = rect.Top + (rect.Height() - 13) / 2;
    TRect box{rect.Left + 2, top, rect.Left + 15, top + 13};
    c.Brush().SetColor(ItemEnabled(index) ? clWindow : clBtnFace);
    c.FillRect(box);
    DrawSunkenFrame(c, box);
    if (Checked(index)) {
        c.Brush().SetColor(ItemEnabled(index) ? clWindowText : clGrayText);
        const int32_t cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
        for (int i = 0; i < 3; ++i)
            c.FillRect({cx - 3 + i, cy - 1 + i, cx - 2 + i, cy + 2 + i});
        for (int i = 0; i < 4; ++i)
            c.FillRect({cx + i, cy + 1 - i, cx + 1 + i, cy + 4 - i});
    }
    TCustomListBox::DrawItem(index, rect, ItemEnabled(index) ? state : state | odDisabled);
}

void TCheckListBox::KeyPress(char& key)
{
    TCustomListBox::KeyPress(key);
    if (key == ' ' && FItemIndex >= 0) {
        Toggle(FItemIndex);
        key = 0;
    }
}

void TCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomListBox::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    const int32_t i = ItemAtPos({x, y}, true);
    if (i >= 0 && x >= 2 && x < 2 + TextLeft())
        Toggle(i);
}

// --- Combo boxes ------------------------------------------------------------------------

// The open list of a combo box: a borderless window below it that shows the
// items and takes the mouse; the keyboard stays with the combo box.
class TComboList : public TCustomControl {
public:
    TComboList(TCustomComboBox* combo) : TCustomControl(nullptr), FCombo(combo) { FVisible = false; FColor = clWindow; }
    int32_t Highlight = -1;
    int32_t Top = 0;

    int32_t Rows() const { return std::max(1, std::min(FCombo->DropDownCount, FCombo->Items().Count())); }
    void MakeVisible()
    {
        if (Highlight < Top)
            Top = std::max(0, Highlight);
        else if (Highlight >= Top + Rows())
            Top = Highlight - Rows() + 1;
    }
    int32_t ItemAt(int32_t y) const
    {
        const int32_t i = Top + (y - 1) / FCombo->ItemHeight;
        return y < 1 || i >= FCombo->Items().Count() ? -1 : i;
    }

protected:
    TWindowParams CreateParams() override
    {
        TWindowParams p = TCustomControl::CreateParams();
        p.Kind = TWindowKind::TopLevel;
        p.Parent = HWND_NONE;
        p.Style &= ~(WS_CHILD | WS_VISIBLE);
        p.Borderless = true;
        p.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
        return p;
    }
    void Paint() override
    {
        TCanvas& c = Canvas();
        c.Brush().SetColor(clWindow);
        c.FillRect(ClientRect());
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(ClientRect());
        for (int32_t i = Top; i < std::min(FCombo->Items().Count(), Top + Rows()); ++i) {
            const int32_t y = 1 + (i - Top) * FCombo->ItemHeight;
            FCombo->DrawEntry(c, i, {1, y, Width() - 1, y + FCombo->ItemHeight}, i == Highlight ? odSelected : 0);
        }
    }
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override
    {
        const int32_t i = ItemAt(y);
        if (i >= 0 && i != Highlight) {
            Highlight = i;
            Invalidate();
        }
        TCustomControl::MouseMove(shift, x, y);
    }
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override
    {
        TCustomControl::MouseUp(button, shift, x, y);
        if (button != TMouseButton::mbLeft)
            return;
        const int32_t i = ItemAt(y);
        if (i >= 0) {
            Highlight = i;
            FCombo->CloseList(true);
        }
    }

private:
    TCustomComboBox* FCombo;
};

const TMessageMap& TCustomComboBox::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TCustomComboBox::CNCommand>(CN_COMMAND),
                                  MessageEntry<&TCustomComboBox::WMFocusChanged>(WM_SETFOCUS),
                                  MessageEntry<&TCustomComboBox::WMFocusChanged>(WM_KILLFOCUS)}};
    return map;
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TCustomControl(owner), FItems(std::make_unique<TStringList>())
{
    TabStop = true;
    FColor = clWindow;
    FWidth = 145;
    FHeight = 21;
    FItems->OnChange = [this](TStringList&) {
        if (FItemIndex >= FItems->Count())
            FItemIndex = -1;
        Invalidate();
    };
}

TCustomComboBox::~TCustomComboBox()
{
    BeginDestroy();
    FItems->OnChange = nullptr;
    delete FList;
}

TCustomControl* TCustomComboBox::ListWindow() const
{
    return FDropped ? FList : nullptr;
}

int32_t TCustomComboBox::HighlightIndex() const
{
    return FDropped && FList ? FList->Highlight : FItemIndex;
}

void TCustomComboBox::SetTextSilently(const std::string& text)
{
    TWinControl::SetCaption(text);
    Invalidate();
}

void TCustomComboBox::SetItemIndex(int32_t index)
{
    if (index < -1 || index >= FItems->Count())
        index = -1;
    FItemIndex = index;
    SetTextSilently(index >= 0 ? FItems->Strings(index) : std::string());
}

void TCustomComboBox::SetText(const std::string& text)
{
    const int32_t i = FItems->IndexOf(text);
    if (Style != TComboBoxStyle::csDropDown) {
        // A list without an edit part shows only its items.
        FItemIndex = i;
        SetTextSilently(i >= 0 ? FItems->Strings(i) : std::string());
        return;
    }
    FItemIndex = i;
    SetTextSilently(text);
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        TControl::Click();
}

void TCustomComboBox::CNCommand(TMessage& m)
{
    switch (HiWord(m.WParam)) {
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    case CBN_SELCHANGE:
        if (FItemIndex >= 0)
            SetTextSilently(FItems->Strings(FItemIndex));
        Select();
        Change();
        break;
    case CBN_EDITCHANGE: Change(); break;
    default: break;
    }
}

void TCustomComboBox::SetDroppedDown(bool dropped)
{
    if (dropped == FDropped)
        return;
    if (!dropped) {
        CloseList(false);
        return;
    }
    if (FItems->Count() == 0 && Style != TComboBoxStyle::csDropDown)
        return;
    const HWND self = Handle();
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, CBN_DROPDOWN));
    if (!IsWindow(self) || FDropped)
        return;
    if (!FList)
        FList = new TComboList(this);
    FList->Font().Assign(Font());
    FList->Highlight = FItemIndex;
    FList->Top = 0;
    FList->MakeVisible();
    FDropped = true;
    const TPoint origin = ClientToScreen({0, Height()});
    const int32_t h = FList->Rows() * ItemHeight + 2;
    FList->SetBounds(origin.X, origin.Y, Width(), h);
    const HWND list = FList->Handle();
    FList->SetVisible(true);
    SetWindowPos(list, HWND_NONE, origin.X, origin.Y, Width(), h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FList->Invalidate();
}

void TCustomComboBox::CloseList(bool chosen)
{
    if (!FDropped)
        return;
    const HWND self = Handle();
    const int32_t chosenIndex = FList->Highlight;
    FDropped = false;
    FList->SetVisible(false);
    // The system's order: the end of the selection, the list closing, then the
    // change of selection.
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, chosen ? CBN_SELENDOK : CBN_SELENDCANCEL));
    if (!IsWindow(self))
        return;
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, CBN_CLOSEUP));
    if (!IsWindow(self))
        return;
    if (chosen && chosenIndex >= 0 && chosenIndex != FItemIndex) {
        FItemIndex = chosenIndex;
        Invalidate();
        NotifyParent(*this, WM_COMMAND, MakeWParam(0, CBN_SELCHANGE));
    }
}

void TCustomComboBox::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    const bool alt = GetKeyState(VK_MENU) < 0;
    if (key == VK_F1 + 3 || ((key == VK_DOWN || key == VK_UP) && alt)) {
        SetDroppedDown(!FDropped);
        key = 0;
        return;
    }
    if (FDropped && (key == VK_RETURN || key == VK_ESCAPE)) {
        CloseList(key == VK_RETURN);
        key = 0;
        return;
    }
    int32_t step = 0;
    switch (key) {
    case VK_UP: step = -1; break;
    case VK_DOWN: step = 1; break;
    case VK_PRIOR: step = -DropDownCount; break;
    case VK_NEXT: step = DropDownCount; break;
    default: return;
    }
    key = 0;
    if (FItems->Count() == 0)
        return;
    // In the open list the arrow keys move the highlight, which becomes the
    // selection when the list closes with a choice; in a closed box they
    // change the selection at once.
    if (FDropped) {
        const int32_t from = FList->Highlight;
        FList->Highlight = std::clamp(from < 0 ? 0 : from + step, 0, FItems->Count() - 1);
        FList->MakeVisible();
        FList->Invalidate();
        return;
    }
    const int32_t to = std::clamp(FItemIndex < 0 ? 0 : FItemIndex + step, 0, FItems->Count() - 1);
    if (to == FItemIndex)
        return;
    FItemIndex = to;
    Invalidate();
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, CBN_SELCHANGE));
}

void TCustomComboBox::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
    if (key == 0 || Style != TComboBoxStyle::csDropDown)
        return;
    const auto u = static_cast<unsigned char>(key);
    std::string t = FCaption;
    if (u == VK_BACK) {
        if (t.empty())
            return;
        t.pop_back();
    } else if (u >= 32) {
        t += key;
    } else {
        return;
    }
    FItemIndex = FItems->IndexOf(t);
    SetTextSilently(t);
    NotifyParent(*this, WM_COMMAND, MakeWParam(0, CBN_EDITCHANGE));
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == TMouseButton::mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        // The arrow button (and the whole box of a list without edit part) opens the list.
        if (Style != TComboBoxStyle::csDropDown || x >= Width() - 18)
            SetDroppedDown(!FDropped);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomComboBox::WMFocusChanged(TMessage& m)
{
    if (m.Msg == WM_KILLFOCUS)
        CloseList(false);
    Inherited(ClassMessageMap(), m);
    Invalidate();
}

void TCustomComboBox::DrawEntry(TCanvas& c, int32_t index, const TRect& rect, TOwnerDrawState state)
{
    c.Font().Assign(Font());
    const bool selected = (state & odSelected) != 0;
    c.Brush().SetColor(selected ? clHighlight : clWindow);
    c.Font().SetColor(selected ? clHighlightText : Font().Color());
    if (Style == TComboBoxStyle::csOwnerDrawFixed && OnDrawItem && index >= 0) {
        c.FillRect(rect);
        OnDrawItem(this, c, index, rect, state);
        return;
    }
    c.FillRect(rect);
    const std::string text = index >= 0 ? FItems->Strings(index) : FCaption;
    c.TextRect(rect, rect.Left + 2, rect.Top + (rect.Height() - c.TextHeight("Ag")) / 2, text);
}

void TCustomComboBox::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(r);
    DrawSunkenFrame(c, r);
    const TRect arrow{Width() - 18, 2, Width() - 2, Height() - 2};
    c.Brush().SetColor(clBtnFace);
    c.FillRect(arrow);
    DrawRaisedFrame(c, arrow);
    c.Brush().SetColor(Enabled() ? clBtnText : clGrayText);
    const int32_t ax = (arrow.Left + arrow.Right) / 2, ay = (arrow.Top + arrow.Bottom) / 2 - 1;
    for (int i = 0; i < 4; ++i)
        c.FillRect({ax - 3 + i, ay + i, ax + 4 - i, ay + i + 1});
    const TRect text{3, 3, Width() - 19, Height() - 3};
    const bool highlight = Focused() && !FDropped && Style != TComboBoxStyle::csDropDown;
    DrawEntry(c, Style == TComboBoxStyle::csDropDown ? -1 : FItemIndex, text,
              (highlight ? odSelected | odFocused : 0) | odComboBoxEdit);
    if (highlight)
        c.DrawFocusRect(text);
}
