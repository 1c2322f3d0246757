#include "platform/framework/controls/Tabs.h"

#include "platform/framework/Bitmap.h"
#include "platform/framework/Forms.h"
#include "platform/framework/controls/ControlSupport.h"

#include <algorithm>

namespace {

// Text widths in a font, without a window.
int32_t MeasureText(TFont& font, const std::string& text, int32_t* height = nullptr)
{
    TBitmap b;
    b.SetSize(1, 1);
    b.Canvas().Font().Assign(font);
    const TSize s = b.Canvas().TextExtent(text.empty() ? std::string("Ag") : text);
    if (height)
        *height = s.cy;
    return text.empty() ? 0 : s.cx;
}

} // namespace

// --- TTabSheet --------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner)
{
    FVisible = false;
}

TTabSheet::~TTabSheet()
{
    BeginDestroy();
    if (FPageControl)
        FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control)
{
    if (control == FPageControl)
        return;
    if (FPageControl)
        FPageControl->RemovePage(this);
    SetParent(control);
    if (control)
        control->InsertPage(this);
}

int32_t TTabSheet::PageIndex() const
{
    if (!FPageControl)
        return -1;
    const auto& pages = FPageControl->FPages;
    return static_cast<int32_t>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetCaption(const std::string& caption)
{
    TCustomControl::SetCaption(caption);
    if (FPageControl)
        FPageControl->Invalidate();
}

// --- TPageControl ------------------------------------------------------------------------

const TMessageMap& TPageControl::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TPageControl::CMDialogKey>(CM_DIALOGKEY),
                                  MessageEntry<&TPageControl::CMDialogChar>(CM_DIALOGCHAR),
                                  MessageEntry<&TPageControl::WMFocusChanged>(WM_SETFOCUS),
                                  MessageEntry<&TPageControl::WMFocusChanged>(WM_KILLFOCUS)}};
    return map;
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner)
{
    TabStop = true;
    FWidth = 289;
    FHeight = 193;
}

TPageControl::~TPageControl()
{
    BeginDestroy();
    for (TTabSheet* p : FPages)
        p->FPageControl = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page)
{
    FPages.push_back(page);
    page->FPageControl = this;
    if (!FActivePage)
        SetActivePage(page);
    else
        page->SetVisible(false);
    Realign();
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page)
{
    FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
    page->FPageControl = nullptr;
    if (FActivePage == page) {
        FActivePage = nullptr;
        if (!Destroying() && !FPages.empty())
            SetActivePage(FPages.front());
    }
    if (!Destroying())
        Invalidate();
}

int32_t TPageControl::TabHeight()
{
    int32_t h = 0;
    MeasureText(Font(), "", &h);
    return h + 8;
}

TRect TPageControl::ClientRect() const
{
    return TCustomControl::ClientRect();
}

void TPageControl::AlignControls(TRect& rect)
{
    const TRect display{rect.Left + 4, rect.Top + TabHeight() + 4, rect.Right - 4, rect.Bottom - 4};
    for (TTabSheet* p : FPages)
        p->SetBounds(display.Left, display.Top, std::max(0, display.Width()), std::max(0, display.Height()));
    TCustomControl::AlignControls(rect);
}

TRect TPageControl::TabRect(int32_t index)
{
    int32_t x = 2;
    const int32_t h = TabHeight();
    for (int32_t i = 0; i < PageCount(); ++i) {
        TTabSheet* p = FPages[static_cast<size_t>(i)];
        if (!p->TabVisible) {
            if (i == index)
                return {};
            continue;
        }
        const int32_t w = MeasureText(Font(), StripAccelChars(p->Caption())) + 12;
        if (i == index)
            return {x, 2, x + w, h + 2};
        x += w;
    }
    return {};
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->FPageControl != this)
        return;
    if (page == FActivePage)
        return;
    TTabSheet* old = FActivePage;
    FActivePage = page;
    if (page) {
        page->SetVisible(true);
        page->BringToFront();
    }
    if (old)
        old->SetVisible(false);
    Realign();
    Invalidate();
}

void TPageControl::SetActivePageIndex(int32_t index)
{
    SetActivePage(index >= 0 && index < PageCount() ? FPages[static_cast<size_t>(index)] : nullptr);
}

bool TPageControl::SelectPage(TTabSheet* page)
{
    if (!page || page == FActivePage || page->FPageControl != this)
        return false;
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow)
        return false;
    SetActivePage(page);
    if (OnChange)
        OnChange(this);
    return true;
}

void TPageControl::SelectNextPage(bool goForward)
{
    const int32_t n = PageCount();
    if (n < 2)
        return;
    int32_t i = std::max(0, ActivePageIndex());
    for (int32_t step = 0; step < n; ++step) {
        i = (i + (goForward ? 1 : -1) + n) % n;
        if (FPages[static_cast<size_t>(i)]->TabVisible) {
            SelectPage(FPages[static_cast<size_t>(i)]);
            return;
        }
    }
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    for (int32_t i = 0; i < PageCount(); ++i)
        if (PtInRect(TabRect(i), {x, y})) {
            if (CanFocus() && !Focused())
                SetFocus();
            SelectPage(FPages[static_cast<size_t>(i)]);
            return;
        }
}

void TPageControl::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == VK_LEFT || key == VK_RIGHT) {
        SelectNextPage(key == VK_RIGHT);
        key = 0;
    }
}

void TPageControl::CMDialogKey(TMessage& m)
{
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages of the form's page control.
    if (m.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && Showing()) {
        SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        m.Result = 1;
    }
}

void TPageControl::CMDialogChar(TMessage& m)
{
    for (TTabSheet* p : FPages)
        if (p->TabVisible && IsAccel(static_cast<char>(m.WParam), p->Caption()) && Enabled() && Showing()) {
            SelectPage(p);
            m.Result = 1;
            return;
        }
}

void TPageControl::WMFocusChanged(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    Invalidate();
}

void TPageControl::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    const int32_t h = TabHeight();
    TRect body{0, h + 1, Width(), Height()};
    DrawRaisedFrame(c, body);
    c.Font().Assign(Font());
    for (int32_t i = 0; i < PageCount(); ++i) {
        TRect t = TabRect(i);
        if (t.Width() == 0)
            continue;
        const bool active = FPages[static_cast<size_t>(i)] == FActivePage;
        if (active)
            t = {t.Left - 2, t.Top - 2, t.Right + 2, t.Bottom + 1};
        c.Brush().SetColor(Color());
        c.FillRect(t);
        c.Brush().SetColor(clBtnHighlight);
        c.FillRect({t.Left, t.Top + 2, t.Left + 1, t.Bottom});
        c.FillRect({t.Left + 2, t.Top, t.Right - 2, t.Top + 1});
        c.Brush().SetColor(clBtnShadow);
        c.FillRect({t.Right - 2, t.Top + 2, t.Right - 1, t.Bottom});
        c.Brush().SetColor(cl3DDkShadow);
        c.FillRect({t.Right - 1, t.Top + 2, t.Right, t.Bottom});
        DrawCaption(c, t, FPages[static_cast<size_t>(i)]->Caption(), Enabled(), true, true);
        if (active && Focused())
            c.DrawFocusRect({t.Left + 3, t.Top + 3, t.Right - 3, t.Bottom - 2});
    }
}

// --- TTabSet -----------------------------------------------------------------------------

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner), FTabs(std::make_unique<TStringList>())
{
    FWidth = 185;
    FHeight = 21;
    FTabs->OnChange = [this](TStringList&) {
        if (FTabIndex >= FTabs->Count())
            FTabIndex = FTabs->Count() - 1;
        Invalidate();
    };
}

TTabSet::~TTabSet()
{
    BeginDestroy();
    FTabs->OnChange = nullptr;
}

TRect TTabSet::TabRect(int32_t index)
{
    int32_t x = 4;
    for (int32_t i = 0; i < FTabs->Count(); ++i) {
        const int32_t w = MeasureText(Font(), StripAccelChars(FTabs->Strings(i))) + 14;
        if (i == index)
            return {x, 0, x + w, Height() - 1};
        x += w;
    }
    return {};
}

void TTabSet::SetTabIndex(int32_t index)
{
    if (index < -1 || index >= FTabs->Count() || index == FTabIndex)
        return;
    bool allow = true;
    if (OnChange)
        OnChange(this, index, allow);
    if (!allow)
        return;
    FTabIndex = index;
    Invalidate();
    if (OnClick)
        OnClick(this);
}

void TTabSet::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    for (int32_t i = 0; i < FTabs->Count(); ++i)
        if (PtInRect(TabRect(i), {x, y})) {
            SetTabIndex(i);
            return;
        }
}

void TTabSet::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(ClientRect());
    c.Brush().SetColor(cl3DDkShadow);
    c.FillRect({0, 0, Width(), 1});
    c.Font().Assign(Font());
    for (int32_t i = 0; i < FTabs->Count(); ++i) {
        const TRect t = TabRect(i);
        const bool active = i == FTabIndex;
        c.Brush().SetColor(active ? clWindow : clBtnFace);
        c.FillRect({t.Left, active ? 0 : 1, t.Right, t.Bottom});
        c.Brush().SetColor(cl3DDkShadow);
        c.FillRect({t.Left, 1, t.Left + 1, t.Bottom});
        c.FillRect({t.Left, t.Bottom - 1, t.Right, t.Bottom});
        c.FillRect({t.Right - 1, 1, t.Right, t.Bottom});
        DrawCaption(c, t, FTabs->Strings(i), Enabled(), true, true);
    }
}
