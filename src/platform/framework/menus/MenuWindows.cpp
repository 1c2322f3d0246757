#include "platform/framework/menus/MenuWindows.h"

#include <algorithm>
#include <cctype>

#include "platform/framework/Forms.h"
#include "platform/gdi/DeviceContext.h"

namespace {

// Sizes of the classic menu look at 96 dots per inch.
constexpr int32_t kBorder = 3;        // frame of a popup level
constexpr int32_t kSeparatorHeight = 9;
constexpr int32_t kTextGap = 8;       // between the image gutter and the caption
constexpr int32_t kShortCutGap = 24;  // between the captions and the shortcuts
constexpr int32_t kArrowArea = 20;    // right of the text, for the submenu arrow
constexpr int32_t kBarItemPadding = 6;

std::vector<TMenuPopupWindow*>& OpenLevels()
{
    static std::vector<TMenuPopupWindow*> levels;
    return levels;
}

int32_t GutterWidth(TMenu* menu)
{
    int32_t w = 16;
    if (menu && menu->Images)
        w = std::max(w, menu->Images->ImageWidth());
    return w + 6;
}

// The caption's two halves: the text before a tab and the text after it (a
// shortcut text the caption carries itself).
std::pair<std::string, std::string> SplitCaption(const std::string& caption)
{
    size_t tab = caption.find('\t');
    if (tab == std::string::npos)
        return {caption, {}};
    return {caption.substr(0, tab), caption.substr(tab + 1)};
}

std::string ShortCutColumn(const TMenuItem& item)
{
    auto [text, after] = SplitCaption(item.Caption());
    if (!after.empty())
        return after;
    return ShortCutToText(item.ShortCut);
}

// Draws a caption with its access key underlined.
void DrawCaption(TCanvas& canvas, int32_t x, int32_t y, const std::string& caption, TColor color)
{
    canvas.Font().SetColor(color);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const std::string plain = StripHotkey(caption);
    canvas.TextOut(x, y, plain);
    // The underlined character: the one after the first single "&".
    size_t plainIndex = 0;
    for (size_t i = 0; i + 1 < caption.size(); ++i, ++plainIndex) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const int32_t left = x + canvas.TextWidth(plain.substr(0, plainIndex));
        const int32_t width = canvas.TextWidth(plain.substr(plainIndex, 1));
        const int32_t base = y + canvas.TextHeight("Ag") - 1;
        canvas.Pen().SetColor(color);
        canvas.Pen().SetStyle(TPenStyle::psSolid);
        canvas.MoveTo(left, base);
        canvas.LineTo(left + width, base);
        break;
    }
}

void DrawCheckMark(TCanvas& canvas, const TRect& box, bool radio, TColor color)
{
    const int32_t cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    canvas.Pen().SetColor(color);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    if (radio) {
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(color);
        canvas.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        return;
    }
    // A tick three pixels thick.
    for (int d = 0; d < 3; ++d) {
        canvas.MoveTo(cx - 3, cy - 1 + d);
        canvas.LineTo(cx - 1, cy + 1 + d);
        canvas.LineTo(cx + 4, cy - 4 + d);
    }
}

} // namespace

// --- Drawing of one item ----------------------------------------------------------------

void TMenuItem::MeasureItem(TCanvas& canvas, int32_t& width, int32_t& height, bool topLevel)
{
    TMenu* menu = GetParentMenu();
    const int32_t textHeight = canvas.TextHeight("Ag");
    if (topLevel) {
        width = canvas.TextWidth(StripHotkey(FCaption)) + 2 * kBarItemPadding;
        height = textHeight + 6;
    } else if (IsLine()) {
        width = 0;
        height = kSeparatorHeight;
    } else {
        const TFontStyles style = canvas.Font().Style();
        if (Default)
            canvas.Font().SetStyle(style | fsBold);
        width = canvas.TextWidth(StripHotkey(SplitCaption(FCaption).first));
        canvas.Font().SetStyle(style);
        height = textHeight + 6;
        if (menu && menu->Images)
            height = std::max(height, menu->Images->ImageHeight() + 4);
    }
    if (menu && menu->OwnerDraw && OnMeasureItem)
        OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas& canvas, const TRect& rect, TOwnerDrawState state, bool topLevel)
{
    TMenu* menu = GetParentMenu();
    const bool selected = (state & odSelected) != 0;
    const bool disabled = (state & odDisabled) != 0;
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(selected ? clHighlight : clMenu);
    canvas.Font().SetColor(selected ? clHighlightText : clMenuText);
    if (menu && menu->OwnerDraw && (OnAdvancedDrawItem || OnDrawItem)) {
        if (OnAdvancedDrawItem)
            OnAdvancedDrawItem(this, canvas, rect, state);
        else
            OnDrawItem(this, canvas, rect, selected);
        return;
    }
    canvas.FillRect(rect);
    const int32_t textHeight = canvas.TextHeight("Ag");
    const int32_t textTop = rect.Top + (rect.Height() - textHeight) / 2;
    if (topLevel) {
        DrawCaption(canvas, rect.Left + kBarItemPadding, textTop, FCaption,
                    disabled ? clGrayText : selected ? clHighlightText : clMenuText);
        return;
    }
    if (IsLine()) {
        const int32_t y = rect.Top + rect.Height() / 2 - 1;
        canvas.Pen().SetStyle(TPenStyle::psSolid);
        canvas.Pen().SetColor(clBtnShadow);
        canvas.MoveTo(rect.Left + 1, y);
        canvas.LineTo(rect.Right - 1, y);
        canvas.Pen().SetColor(clBtnHighlight);
        canvas.MoveTo(rect.Left + 1, y + 1);
        canvas.LineTo(rect.Right - 1, y + 1);
        return;
    }
    const int32_t gutter = GutterWidth(menu);
    const TRect box{rect.Left, rect.Top, rect.Left + gutter, rect.Bottom};
    const TColor textColor = selected ? clHighlightText : clMenuText;
    const bool hasImage = menu && menu->Images && ImageIndex >= 0 && ImageIndex < menu->Images->ImageCount();
    if (hasImage) {
        const int32_t x = box.Left + (gutter - menu->Images->ImageWidth()) / 2;
        const int32_t y = box.Top + (box.Height() - menu->Images->ImageHeight()) / 2;
        if (Checked) {
            // A checked image sits in a sunken frame.
            canvas.Pen().SetStyle(TPenStyle::psSolid);
            canvas.Pen().SetColor(clBtnShadow);
            canvas.MoveTo(x - 2, y + menu->Images->ImageHeight() + 1);
            canvas.LineTo(x - 2, y - 2);
            canvas.LineTo(x + menu->Images->ImageWidth() + 1, y - 2);
            canvas.Pen().SetColor(clBtnHighlight);
            canvas.LineTo(x + menu->Images->ImageWidth() + 1, y + menu->Images->ImageHeight() + 1);
            canvas.LineTo(x - 2, y + menu->Images->ImageHeight() + 1);
        }
        menu->Images->DrawImage(canvas, x, y, ImageIndex, !disabled);
    } else if (Checked) {
        DrawCheckMark(canvas, box, RadioItem, disabled ? clGrayText : textColor);
    }
    const TFontStyles style = canvas.Font().Style();
    if (state & odDefault)
        canvas.Font().SetStyle(style | fsBold);
    const std::string caption = SplitCaption(FCaption).first;
    const std::string shortCut = ShortCutColumn(*this);
    const int32_t textLeft = box.Right + kTextGap;
    auto drawTexts = [&](int32_t dx, TColor color) {
        DrawCaption(canvas, textLeft + dx, textTop + dx, caption, color);
        if (!shortCut.empty()) {
            canvas.Font().SetColor(color);
            canvas.Brush().SetStyle(TBrushStyle::bsClear);
            canvas.TextOut(rect.Right - kArrowArea - canvas.TextWidth(shortCut) + dx, textTop + dx, shortCut);
        }
    };
    if (disabled && !selected)
        drawTexts(1, clBtnHighlight);  // the embossed look of a disabled item
    drawTexts(0, disabled ? clGrayText : textColor);
    canvas.Font().SetStyle(style);
    if (Count() > 0) {
        // The submenu arrow: a small solid triangle pointing right.
        const int32_t ax = rect.Right - kArrowArea / 2 - 2, ay = rect.Top + rect.Height() / 2;
        const TColor arrow = disabled ? clGrayText : textColor;
        canvas.Pen().SetColor(arrow);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(arrow);
        canvas.Polygon({{ax, ay - 4}, {ax + 4, ay}, {ax, ay + 4}});
    }
}

// --- TMenuPopupWindow ----------------------------------------------------------------

TMenuPopupWindow::TMenuPopupWindow(TMenuTracker& tracker, TMenuItem* root, int level)
    : TCustomControl(nullptr), FTracker(tracker), FRoot(root), FLevel(level)
{
    FVisible = false;
    SetColor(clMenu);
    OpenLevels().push_back(this);
}

TMenuPopupWindow::~TMenuPopupWindow()
{
    auto& levels = OpenLevels();
    levels.erase(std::remove(levels.begin(), levels.end(), this), levels.end());
}

TWindowParams TMenuPopupWindow::CreateParams()
{
    TWindowParams p = TCustomControl::CreateParams();
    p.Kind = TWindowKind::TopLevel;
    p.Parent = HWND_NONE;
    p.Style &= ~(WS_CHILD | WS_VISIBLE);
    p.Borderless = true;
    p.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    return p;
}

void TMenuPopupWindow::Layout()
{
    FItemList.clear();
    FRects.clear();
    for (int i = 0; i < FRoot->Count(); ++i)
        if (FRoot->Items(i)->Visible)
            FItemList.push_back(FRoot->Items(i));
    // Measured on the screen's context: the window may not exist yet.
    TCanvas canvas;
    HDC screen = GetScreenDC();
    canvas.SetHandle(screen);
    canvas.Font().Assign(Font());
    TMenu* menu = FTracker.Menu();
    const int32_t gutter = GutterWidth(menu);
    // Columns: a break starts a new one.
    struct TColumn { size_t First = 0; int32_t Caption = 0, ShortCut = 0, Width = 0, Height = 0; };
    std::vector<TColumn> columns(1);
    std::vector<int32_t> heights;
    for (size_t i = 0; i < FItemList.size(); ++i) {
        TMenuItem* item = FItemList[i];
        if (i > 0 && item->Break != TMenuBreak::mbNone) {
            columns.push_back({});
            columns.back().First = i;
        }
        int32_t w = 0, h = 0;
        item->MeasureItem(canvas, w, h, false);
        heights.push_back(h);
        TColumn& c = columns.back();
        c.Caption = std::max(c.Caption, w);
        c.ShortCut = std::max(c.ShortCut, canvas.TextWidth(ShortCutColumn(*item)));
        c.Height += h;
    }
    int32_t x = kBorder, height = 0;
    FRects.resize(FItemList.size());
    for (size_t ci = 0; ci < columns.size(); ++ci) {
        TColumn& c = columns[ci];
        c.Width = gutter + kTextGap + c.Caption + (c.ShortCut ? kShortCutGap + c.ShortCut : 0) + kArrowArea;
        const size_t end = ci + 1 < columns.size() ? columns[ci + 1].First : FItemList.size();
        int32_t y = kBorder;
        for (size_t i = c.First; i < end; ++i) {
            FRects[i] = {x, y, x + c.Width, y + heights[i]};
            y += heights[i];
        }
        height = std::max(height, c.Height);
        x += c.Width + (ci + 1 < columns.size() ? 4 : 0);
    }
    canvas.SetHandle(nullptr);
    ReleaseDC(screen);
    SetBounds(Left(), Top(), x + kBorder, height + 2 * kBorder);
}

int TMenuPopupWindow::ItemAt(TPoint p) const
{
    for (size_t i = 0; i < FRects.size(); ++i)
        if (PtInRect(FRects[i], p))
            return static_cast<int>(i);
    return -1;
}

void TMenuPopupWindow::Select(int index)
{
    if (index == FSelected)
        return;
    FSelected = index;
    Invalidate();
}

void TMenuPopupWindow::Step(int direction)
{
    const int n = static_cast<int>(FItemList.size());
    if (n == 0)
        return;
    int i = FSelected;
    for (int tries = 0; tries < n; ++tries) {
        i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
        if (!FItemList[static_cast<size_t>(i)]->IsLine()) {
            Select(i);
            return;
        }
    }
}

void TMenuPopupWindow::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    const TRect all = ClientRect();
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(clMenu);
    canvas.FillRect(all);
    // The raised frame of a popup level.
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetColor(clBtnHighlight);
    canvas.MoveTo(all.Left, all.Bottom - 1);
    canvas.LineTo(all.Left, all.Top);
    canvas.LineTo(all.Right - 1, all.Top);
    canvas.Pen().SetColor(cl3DDkShadow);
    canvas.LineTo(all.Right - 1, all.Bottom - 1);
    canvas.LineTo(all.Left - 1, all.Bottom - 1);
    canvas.Pen().SetColor(clBtnShadow);
    canvas.MoveTo(all.Left + 1, all.Bottom - 2);
    canvas.LineTo(all.Right - 2, all.Bottom - 2);
    canvas.LineTo(all.Right - 2, all.Top);
    for (size_t i = 0; i < FItemList.size(); ++i) {
        TMenuItem* item = FItemList[i];
        TOwnerDrawState state = 0;
        if (static_cast<int>(i) == FSelected && !item->IsLine())
            state |= odSelected;
        if (!item->Enabled)
            state |= odDisabled | odGrayed;
        if (item->Checked)
            state |= odChecked;
        if (item->Default)
            state |= odDefault;
        item->DrawItem(canvas, FRects[i], state, false);
        if (item->Break == TMenuBreak::mbBarBreak && i > 0) {
            // A bar break draws an etched line left of its column.
            const int32_t x = FRects[i].Left - 3;
            canvas.Pen().SetColor(clBtnShadow);
            canvas.MoveTo(x, kBorder);
            canvas.LineTo(x, all.Bottom - kBorder);
            canvas.Pen().SetColor(clBtnHighlight);
            canvas.MoveTo(x + 1, kBorder);
            canvas.LineTo(x + 1, all.Bottom - kBorder);
        }
    }
}

void TMenuPopupWindow::KeyDown(uint16_t& key, TShiftState shift)
{
    (void)shift;
    switch (key) {
    case VK_UP:
        Step(-1);
        break;
    case VK_DOWN:
        Step(1);
        break;
    case VK_HOME:
        Select(-1);
        Step(1);
        break;
    case VK_END:
        Select(-1);
        Step(-1);
        break;
    case VK_RIGHT:
        if (FSelected >= 0 && FItemList[static_cast<size_t>(FSelected)]->Count() > 0 &&
            FItemList[static_cast<size_t>(FSelected)]->Enabled)
            FTracker.OpenSubmenu(*this, FSelected, true);
        else
            FTracker.MoveAlongBar(1);
        break;
    case VK_LEFT:
        if (FLevel > 0)
            FTracker.CloseLevel(FLevel);
        else
            FTracker.MoveAlongBar(-1);
        break;
    case VK_RETURN:
    case VK_SPACE:
        if (FSelected >= 0) {
            TMenuItem* item = FItemList[static_cast<size_t>(FSelected)];
            if (item->Count() > 0)
                FTracker.OpenSubmenu(*this, FSelected, true);
            else if (item->Enabled && !item->IsLine())
                FTracker.Choose(item);
        }
        break;
    case VK_ESCAPE:
        if (FLevel > 0)
            FTracker.CloseLevel(FLevel);
        else
            FTracker.Cancel();
        break;
    default:
        return;
    }
    key = 0;
}

void TMenuPopupWindow::KeyPress(char& key)
{
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (wanted == 0 || key == '\r' || key == 27 || key == ' ')
        return;
    key = 0;
    // The items with that access key: one is chosen (or opened); several are
    // visited in turn.
    std::vector<int> matches;
    for (size_t i = 0; i < FItemList.size(); ++i)
        if (GetHotkey(FItemList[i]->Caption()) == wanted)
            matches.push_back(static_cast<int>(i));
    if (matches.empty())
        return;
    if (matches.size() > 1) {
        auto next = std::upper_bound(matches.begin(), matches.end(), FSelected);
        Select(next == matches.end() ? matches.front() : *next);
        return;
    }
    Select(matches.front());
    TMenuItem* item = FItemList[static_cast<size_t>(matches.front())];
    if (item->Count() > 0 && item->Enabled)
        FTracker.OpenSubmenu(*this, matches.front(), true);
    else if (item->Enabled)
        FTracker.Choose(item);
}

void TMenuPopupWindow::MouseDown(TMouseButton, TShiftState, int32_t x, int32_t y)
{
    const TPoint screen = ClientToScreen({x, y});
    TMenuPopupWindow* level = FTracker.LevelAtScreen(screen);
    if (!level) {
        // A press outside every level dismisses the menu.
        FTracker.Cancel();
        return;
    }
    const int index = level->ItemAt(level->ScreenToClient(screen));
    if (index >= 0 && level->FItemList[static_cast<size_t>(index)]->Count() > 0)
        FTracker.OpenSubmenu(*level, index, false);
}

void TMenuPopupWindow::MouseUp(TMouseButton, TShiftState, int32_t x, int32_t y)
{
    const TPoint screen = ClientToScreen({x, y});
    TMenuPopupWindow* level = FTracker.LevelAtScreen(screen);
    if (!level)
        return;
    const int index = level->ItemAt(level->ScreenToClient(screen));
    if (index < 0)
        return;
    TMenuItem* item = level->FItemList[static_cast<size_t>(index)];
    if (item->Count() == 0 && item->Enabled && !item->IsLine())
        FTracker.Choose(item);
}

void TMenuPopupWindow::MouseMove(TShiftState, int32_t x, int32_t y)
{
    const TPoint screen = ClientToScreen({x, y});
    TMenuPopupWindow* level = FTracker.LevelAtScreen(screen);
    if (!level)
        return;
    const int index = level->ItemAt(level->ScreenToClient(screen));
    if (index < 0 || index == level->FSelected)
        return;
    // Moving onto another item of a lower level closes the levels above it.
    FTracker.CloseLevel(level->FLevel + 1);
    level->Select(index);
    if (level->FItemList[static_cast<size_t>(index)]->Count() > 0 && level->FItemList[static_cast<size_t>(index)]->Enabled)
        FTracker.OpenSubmenu(*level, index, false);
}

// --- TMenuTracker ---------------------------------------------------------------------------

TMenuTracker::TMenuTracker(TMenu* menu, TMenuBar* bar) : FMenu(menu), FBar(bar)
{
}

TMenuTracker::~TMenuTracker()
{
    if (GetCapture() != HWND_NONE && TopLevel() && TopLevel()->HandleAllocated() &&
        GetCapture() == TopLevel()->Handle())
        ReleaseCapture();
    while (!FLevels.empty())
        FLevels.pop_back();
}

namespace {

// Places a level at a screen point, kept inside the work area.
void PlaceLevel(TMenuPopupWindow& w, TPoint p, int32_t flipLeftTo)
{
    const TRect area = ScreenWorkArea();
    int32_t x = p.X, y = p.Y;
    if (x + w.Width() > area.Right)
        x = std::max(area.Left, flipLeftTo >= 0 ? flipLeftTo - w.Width() : area.Right - w.Width());
    if (y + w.Height() > area.Bottom)
        y = std::max(area.Top, area.Bottom - w.Height());
    w.SetBounds(x, y, w.Width(), w.Height());
}

} // namespace

TMenuItem* TMenuTracker::Run(TMenuItem* root, TPoint screenPoint, bool selectFirst)
{
    const HWND previousFocus = GetFocus();
    // A bar item's drop-down is a submenu opening; a popup menu had its OnPopup.
    if (FBar && FMenu && FMenu->OnSubmenuOpen)
        FMenu->OnSubmenuOpen(root);
    auto level = std::make_unique<TMenuPopupWindow>(*this, root, 0);
    level->Font().Assign(FBar ? FBar->Font() : level->Font());
    level->Layout();
    if (level->ItemList().empty())
        return nullptr;
    PlaceLevel(*level, screenPoint, -1);
    if (selectFirst)
        level->Step(1);
    TMenuPopupWindow* first = level.get();
    FLevels.push_back(std::move(level));
    first->Show();
    SetFocus(first->Handle());
    SetCapture(first->Handle());
    while (!FDone) {
        if (Application) {
            if (Application->Terminated())
                break;
            Application->HandleMessage();
        } else {
            ProcessPendingMessages(true);
        }
        if (!FLevels.empty() && (!FLevels.front()->HandleAllocated() || !IsWindow(FLevels.front()->Handle())))
            break;
    }
    if (GetCapture() != HWND_NONE && !FLevels.empty() && FLevels.back()->HandleAllocated() &&
        GetCapture() == FLevels.back()->Handle())
        ReleaseCapture();
    FLevels.clear();
    if (IsWindow(previousFocus))
        SetFocus(previousFocus);
    return FChosen;
}

void TMenuTracker::OpenSubmenu(TMenuPopupWindow& from, int index, bool selectFirst)
{
    CloseLevel(from.Level() + 1);
    from.Select(index);
    TMenuItem* item = from.ItemList().at(static_cast<size_t>(index));
    if (FMenu && FMenu->OnSubmenuOpen)
        FMenu->OnSubmenuOpen(item);
    auto level = std::make_unique<TMenuPopupWindow>(*this, item, from.Level() + 1);
    level->Font().Assign(from.Font());
    level->Layout();
    if (level->ItemList().empty())
        return;
    const TRect r = from.ItemRects().at(static_cast<size_t>(index));
    const TPoint topRight = from.ClientToScreen({r.Right + kBorder - 2, r.Top - kBorder});
    PlaceLevel(*level, topRight, from.ClientToScreen({0, 0}).X);
    if (selectFirst)
        level->Step(1);
    TMenuPopupWindow* w = level.get();
    FLevels.push_back(std::move(level));
    w->Show();
    SetFocus(w->Handle());
    SetCapture(w->Handle());
}

void TMenuTracker::CloseLevel(int level)
{
    bool closed = false;
    while (static_cast<int>(FLevels.size()) > std::max(level, 1)) {
        FLevels.pop_back();
        closed = true;
    }
    if (closed && !FLevels.empty()) {
        SetFocus(FLevels.back()->Handle());
        SetCapture(FLevels.back()->Handle());
    }
}

void TMenuTracker::Choose(TMenuItem* item)
{
    FChosen = item;
    FDone = true;
}

void TMenuTracker::Cancel()
{
    FChosen = nullptr;
    FDone = true;
}

void TMenuTracker::MoveAlongBar(int direction)
{
    if (!FBar)
        return;
    FBarMove = direction;
    FDone = true;
}

TMenuPopupWindow* TMenuTracker::LevelAtScreen(TPoint screenPoint) const
{
    for (auto it = FLevels.rbegin(); it != FLevels.rend(); ++it) {
        TMenuPopupWindow* w = it->get();
        const TPoint p = w->ScreenToClient(screenPoint);
        if (PtInRect(w->ClientRect(), p))
            return w;
    }
    return nullptr;
}

TMenuItem* TrackMenu(TMenu* menu, TMenuItem* root, TPoint screenPoint, bool selectFirst)
{
    TMenuTracker tracker(menu, nullptr);
    return tracker.Run(root, screenPoint, selectFirst);
}

TMenuPopupWindow* ActiveMenuWindow()
{
    auto& levels = OpenLevels();
    for (auto it = levels.rbegin(); it != levels.rend(); ++it)
        if ((*it)->HandleAllocated() && (*it)->Visible())
            return *it;
    return nullptr;
}

// --- TMenuBar -------------------------------------------------------------------------

TMenuBar::TMenuBar(TMainMenu* menu) : TCustomControl(nullptr), FMenu(menu)
{
    SetColor(clMenu);
}

TMenuBar::~TMenuBar()
{
    BeginDestroy();
    if (FMenu->FBar == this)
        FMenu->FBar = nullptr;
}

void TMenuBar::Rebuild()
{
    FItemList = FMenu->VisibleItems();
    FRects.clear();
    TCanvas probe;
    // Measuring needs a context: the screen's.
    HDC screen = GetScreenDC();
    probe.SetHandle(screen);
    probe.Font().Assign(Font());
    int32_t x = 0, height = GetSystemMetrics(SM_CYMENU);
    for (TMenuItem* item : FItemList) {
        int32_t w = 0, h = 0;
        item->MeasureItem(probe, w, h, true);
        FRects.push_back({x, 0, x + w, 0});
        x += w;
        height = std::max(height, h);
    }
    probe.SetHandle(nullptr);
    ReleaseDC(screen);
    for (TRect& r : FRects)
        r.Bottom = height;
    SetHeight(height);
    if (FParent)
        FParent->Realign();
    Invalidate();
}

int TMenuBar::ItemAt(TPoint p) const
{
    for (size_t i = 0; i < FRects.size(); ++i)
        if (PtInRect(FRects[i], p))
            return static_cast<int>(i);
    return -1;
}

void TMenuBar::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(clMenu);
    canvas.FillRect(ClientRect());
    for (size_t i = 0; i < FItemList.size(); ++i) {
        TOwnerDrawState state = 0;
        if (static_cast<int>(i) == FSelected)
            state |= odSelected;
        if (!FItemList[i]->Enabled)
            state |= odDisabled | odGrayed;
        FItemList[i]->DrawItem(canvas, FRects[i], state, true);
    }
}

TMenuItem* TMenuBar::TrackItem(int index, bool selectFirst)
{
    TMenuItem* chosen = nullptr;
    const int n = static_cast<int>(FItemList.size());
    while (index >= 0 && index < n) {
        FSelected = index;
        Invalidate();
        Update();
        TMenuItem* item = FItemList[static_cast<size_t>(index)];
        if (item->Count() == 0) {
            // An item of the bar without a submenu is a command of its own.
            chosen = item->Enabled ? item : nullptr;
            break;
        }
        const TRect r = FRects[static_cast<size_t>(index)];
        TMenuTracker tracker(FMenu, this);
        chosen = tracker.Run(item, ClientToScreen({r.Left, r.Bottom}), selectFirst);
        if (tracker.BarMove() == 0)
            break;
        index = (index + tracker.BarMove() + n) % n;
        selectFirst = true;
    }
    FSelected = -1;
    Invalidate();
    if (chosen)
        chosen->Click();
    return chosen;
}

bool TMenuBar::OpenByAccessKey(char key)
{
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    for (size_t i = 0; i < FItemList.size(); ++i)
        if (FItemList[i]->Enabled && GetHotkey(FItemList[i]->Caption()) == wanted) {
            TrackItem(static_cast<int>(i), true);
            return true;
        }
    return false;
}

void TMenuBar::MouseDown(TMouseButton button, TShiftState, int32_t x, int32_t y)
{
    if (button != TMouseButton::mbLeft)
        return;
    const int index = ItemAt({x, y});
    if (index >= 0 && FItemList[static_cast<size_t>(index)]->Enabled) {
        // The bar must not keep the capture the press gave it while the menu runs.
        SetMouseCapture(false);
        TrackItem(index, false);
    }
}
