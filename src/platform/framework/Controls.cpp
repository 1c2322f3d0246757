#include "platform/framework/Controls.h"

#include "platform/framework/Forms.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

// --- Message maps ------------------------------------------------------------------------

TMessageHandler TMessageMap::Find(UINT message) const
{
    for (const auto& [msg, handler] : Entries)
        if (msg == message)
            return handler;
    return nullptr;
}

TShiftState ShiftStateOfKeyFlags(uint32_t keyFlags)
{
    TShiftState s = 0;
    if (keyFlags & MK_SHIFT)
        s |= ssShift;
    if (keyFlags & MK_CONTROL)
        s |= ssCtrl;
    if (keyFlags & MK_LBUTTON)
        s |= ssLeft;
    if (keyFlags & MK_RBUTTON)
        s |= ssRight;
    if (keyFlags & MK_MBUTTON)
        s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}

TShiftState KeyboardShiftState()
{
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}

namespace {

struct TDragState2 {
    TControl* Control = nullptr;  // being dragged
    TControl* Target = nullptr;   // under the mouse and told of it
    bool Accepted = false;
    bool Started = false;        // past the threshold
    TPoint Start;
    int32_t Threshold = 0;
};

TDragState2& DragInfo()
{
    static TDragState2 state;
    return state;
}

// The control (windowed or graphic) under a screen point.
TControl* ControlAtScreen(TPoint p)
{
    TWinControl* w = TWinControl::FindControl(WindowFromPoint(p));
    if (!w)
        return nullptr;
    TControl* g = w->ControlAtPos(w->ScreenToClient(p));
    return g ? g : w;
}

} // namespace

// --- TControl ---------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner)
{
}

TControl::~TControl()
{
    BeginDestroy();
    if (DragInfo().Control == this || DragInfo().Target == this)
        DragInfo() = {};
    if (FParent)
        FParent->RemoveControl(this);
}

const TMessageMap& TControl::ClassMessageMap()
{
    static const TMessageMap map{nullptr,
                                 {
                                     MessageEntry<&TControl::WMMouseButton>(WM_LBUTTONDOWN),
                                     MessageEntry<&TControl::WMMouseButton>(WM_LBUTTONUP),
                                     MessageEntry<&TControl::WMMouseButton>(WM_LBUTTONDBLCLK),
                                     MessageEntry<&TControl::WMMouseButton>(WM_RBUTTONDOWN),
                                     MessageEntry<&TControl::WMMouseButton>(WM_RBUTTONUP),
                                     MessageEntry<&TControl::WMMouseButton>(WM_RBUTTONDBLCLK),
                                     MessageEntry<&TControl::WMMouseButton>(WM_MBUTTONDOWN),
                                     MessageEntry<&TControl::WMMouseButton>(WM_MBUTTONUP),
                                     MessageEntry<&TControl::WMMouseButton>(WM_MBUTTONDBLCLK),
                                     MessageEntry<&TControl::WMMouseMove>(WM_MOUSEMOVE),
                                     MessageEntry<&TControl::WMContextMenu>(WM_CONTEXTMENU),
                                     MessageEntry<&TControl::CMMouseEnter>(CM_MOUSEENTER),
                                     MessageEntry<&TControl::CMMouseLeave>(CM_MOUSELEAVE),
                                     MessageEntry<&TControl::WMCancelMode>(WM_CANCELMODE),
                                 }};
    return map;
}

void TControl::WndProc(TMessage& message)
{
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message)
{
    for (const TMessageMap* map = &MessageMap(); map; map = map->Parent)
        if (TMessageHandler h = map->Find(message.Msg)) {
            h(*this, message);
            return;
        }
    DefaultHandler(message);
}

void TControl::Inherited(const TMessageMap& map, TMessage& message)
{
    for (const TMessageMap* m = map.Parent; m; m = m->Parent)
        if (TMessageHandler h = m->Find(message.Msg)) {
            h(*this, message);
            return;
        }
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage&)
{
}

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam)
{
    TMessage m{message, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    if (parent == this)
        throw Exception("Un contrôle ne peut pas être son propre parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

TForm* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c) {
        if (auto* f = dynamic_cast<TForm*>(const_cast<TControl*>(c)))
            return f;
        c = c->FParent;
    }
    return nullptr;
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    const TRect old = BoundsRect();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FParent && FParent->HandleAllocated() && FVisible) {
        // A graphic control lives on its parent's pixels.
        TRect r = old;
        InvalidateRect(FParent->FHandle, &r, true);
        r = BoundsRect();
        InvalidateRect(FParent->FHandle, &r, true);
    }
    Resize();
    RequestAlign();
}

void TControl::UpdateBoundsFromWindow(int32_t left, int32_t top, int32_t width, int32_t height)
{
    const bool resized = width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (resized)
        Resize();
}

void TControl::SetClientSize(int32_t width, int32_t height)
{
    const TRect c = ClientRect();
    SetBounds(FLeft, FTop, FWidth + width - c.Width(), FHeight + height - c.Height());
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent)
        return {FLeft, FTop};
    TPoint p = FParent->ClientOrigin();
    return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign align)
{
    if (align == FAlign)
        return;
    FAlign = align;
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (FParent && (FAlign != TAlign::alNone || FParent->HandleAllocated()))
        FParent->Realign();
}

void TControl::SetVisible(bool visible)
{
    if (visible == FVisible)
        return;
    VisibleChanging();
    FVisible = visible;
    if (FParent && FParent->HandleAllocated()) {
        TRect r = BoundsRect();
        InvalidateRect(FParent->FHandle, &r, true);
    }
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
    RequestAlign();
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible)
            return false;
    return true;
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    Perform(CM_ENABLEDCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Perform(CM_COLORCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetCaption(const std::string& caption)
{
    FCaption = caption;
    Invalidate();
}

void TControl::SetCursor(TCursor cursor)
{
    FCursor = cursor;
}

bool TControl::MouseCapture() const
{
    HWND c = GetCapture();
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        return c != HWND_NONE && c == w->FHandle;
    return FParent && c != HWND_NONE && c == FParent->FHandle && FParent->FCaptured == this;
}

void TControl::SetMouseCapture(bool capture)
{
    if (MouseCapture() == capture)
        return;
    auto* w = dynamic_cast<TWinControl*>(this);
    TWinControl* holder = w ? w : FParent;
    if (!holder)
        return;
    if (capture) {
        if (!w)
            holder->FCaptured = this;
        SetCapture(holder->Handle());
    } else {
        holder->FCaptured = nullptr;
        ReleaseCapture();
    }
}

void TControl::Invalidate()
{
    if (FParent && FParent->HandleAllocated() && FVisible) {
        TRect r = BoundsRect();
        InvalidateRect(FParent->FHandle, &r, true);
    }
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (!FParent)
        return;
    auto& v = FParent->FControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        BringWindowToTop(w->FHandle);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    auto& v = FParent->FControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
    Invalidate();
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::DragOver(TControl* source, int32_t x, int32_t y, TDragState state, bool& accept)
{
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TControl* source, int32_t x, int32_t y)
{
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::BeginDrag(bool immediate, int32_t threshold)
{
    auto& d = DragInfo();
    if (d.Control)
        return;
    d = {};
    d.Control = this;
    d.Started = immediate;
    d.Threshold = threshold < 0 ? 5 : threshold;
    GetCursorPos(&d.Start);
    SetMouseCapture(true);
}

void TControl::EndDrag(bool drop)
{
    auto& d = DragInfo();
    if (d.Control != this)
        return;
    TControl* target = d.Target;
    const bool accepted = d.Accepted && d.Started;
    TPoint p;
    GetCursorPos(&p);
    d = {};
    SetMouseCapture(false);
    TPoint local = target ? target->ScreenToClient(p) : p;
    if (target && !drop) {
        bool ignored = false;
        target->DragOver(this, local.X, local.Y, TDragState::dsDragLeave, ignored);
    }
    if (drop && accepted && target)
        target->DragDrop(this, local.X, local.Y);
    if (OnEndDrag)
        OnEndDrag(this, drop && accepted ? target : nullptr, local.X, local.Y);
}

bool TControl::Dragging() const
{
    return DragInfo().Control == this;
}

TControl* TControl::DragControl()
{
    return DragInfo().Control;
}

void TControl::WMMouseButton(TMessage& m)
{
    const int32_t x = GetXLParam(m.LParam), y = GetYLParam(m.LParam);
    TShiftState shift = ShiftStateOfKeyFlags(static_cast<uint32_t>(m.WParam));
    TMouseButton button = TMouseButton::mbLeft;
    bool down = false, dbl = false;
    switch (m.Msg) {
    case WM_LBUTTONDBLCLK: dbl = true; [[fallthrough]];
    case WM_LBUTTONDOWN: down = true; break;
    case WM_RBUTTONDBLCLK: dbl = true; [[fallthrough]];
    case WM_RBUTTONDOWN: down = true; button = TMouseButton::mbRight; break;
    case WM_MBUTTONDBLCLK: dbl = true; [[fallthrough]];
    case WM_MBUTTONDOWN: down = true; button = TMouseButton::mbMiddle; break;
    case WM_RBUTTONUP: button = TMouseButton::mbRight; break;
    case WM_MBUTTONUP: button = TMouseButton::mbMiddle; break;
    default: break;
    }
    if (down) {
        if (dbl)
            shift |= ssDouble;
        if (button == TMouseButton::mbLeft) {
            if (FCaptureMouse)
                SetMouseCapture(true);
            FClicking = true;
            if (DragMode == TDragMode::dmAutomatic && !dbl)
                BeginDrag(false);
        }
        MouseDown(button, shift, x, y);
        if (dbl && button == TMouseButton::mbLeft)
            DblClick();
        return;
    }
    // Release: a drag ends with a drop where the mouse is.
    if (button == TMouseButton::mbLeft && Dragging()) {
        EndDrag(true);
        return;
    }
    const bool wasClicking = FClicking && button == TMouseButton::mbLeft;
    if (button == TMouseButton::mbLeft) {
        FClicking = false;
        SetMouseCapture(false);
    }
    MouseUp(button, shift, x, y);
    if (wasClicking && x >= 0 && y >= 0 && x < FWidth && y < FHeight)
        Click();
    if (button == TMouseButton::mbRight) {
        if (auto* w = dynamic_cast<TWinControl*>(this))
            DefWindowProc(w->Handle(), m.Msg, m.WParam, m.LParam);  // WM_CONTEXTMENU
        else if (FParent) {
            TPoint p = ClientToScreen({x, y});
            Perform(WM_CONTEXTMENU, 0, MakeLParam(p.X, p.Y));
        }
    }
}

void TControl::WMMouseMove(TMessage& m)
{
    const int32_t x = GetXLParam(m.LParam), y = GetYLParam(m.LParam);
    auto& d = DragInfo();
    if (d.Control == this) {
        TPoint p;
        GetCursorPos(&p);
        if (!d.Started && (std::abs(p.X - d.Start.X) >= d.Threshold || std::abs(p.Y - d.Start.Y) >= d.Threshold))
            d.Started = true;
        if (d.Started) {
            TControl* target = ControlAtScreen(p);
            if (target != d.Target) {
                if (d.Target) {
                    TPoint l = d.Target->ScreenToClient(p);
                    bool ignored = false;
                    d.Target->DragOver(this, l.X, l.Y, TDragState::dsDragLeave, ignored);
                }
                d.Target = target;
                if (target) {
                    TPoint l = target->ScreenToClient(p);
                    d.Accepted = false;
                    target->DragOver(this, l.X, l.Y, TDragState::dsDragEnter, d.Accepted);
                }
            } else if (target) {
                TPoint l = target->ScreenToClient(p);
                d.Accepted = false;
                target->DragOver(this, l.X, l.Y, TDragState::dsDragMove, d.Accepted);
            }
            if (DragInfo().Control == this)
                ::SetCursor(LoadCursor(d.Accepted ? IDC_ARROW : IDC_NO));
        }
    }
    MouseMove(ShiftStateOfKeyFlags(static_cast<uint32_t>(m.WParam)), x, y);
    if (Application && !Dragging())
        Application->HintMouseMessage(this, m);
}

void TControl::WMContextMenu(TMessage& m)
{
    TPoint screen{GetXLParam(m.LParam), GetYLParam(m.LParam)};
    TPoint local = ScreenToClient(screen);
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, local, handled);
    if (handled) {
        m.Result = 1;
        return;
    }
    if (PopupMenu) {
        PopupMenu->Popup(screen.X, screen.Y);
        m.Result = 1;
        return;
    }
    DefaultHandler(m);
}

void TControl::CMMouseEnter(TMessage&)
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage&)
{
    if (Application)
        Application->CancelHint();
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TControl::WMCancelMode(TMessage& m)
{
    FClicking = false;
    if (Dragging())
        EndDrag(false);
    if (MouseCapture())
        SetMouseCapture(false);
    DefaultHandler(m);
}

// --- TWinControl -----------------------------------------------------------------------------

const TMessageMap& TWinControl::ClassMessageMap()
{
    static const TMessageMap map{&TControl::ClassMessageMap(),
                                 {
                                     MessageEntry<&TWinControl::WMPaint>(WM_PAINT),
                                     MessageEntry<&TWinControl::WMEraseBkgnd>(WM_ERASEBKGND),
                                     MessageEntry<&TWinControl::WMSetFocus>(WM_SETFOCUS),
                                     MessageEntry<&TWinControl::WMKillFocus>(WM_KILLFOCUS),
                                     MessageEntry<&TWinControl::WMWindowPosChanged>(WM_WINDOWPOSCHANGED),
                                     MessageEntry<&TWinControl::WMSize>(WM_SIZE),
                                     MessageEntry<&TWinControl::WMKeyDown>(WM_KEYDOWN),
                                     MessageEntry<&TWinControl::WMKeyDown>(WM_SYSKEYDOWN),
                                     MessageEntry<&TWinControl::WMKeyUp>(WM_KEYUP),
                                     MessageEntry<&TWinControl::WMKeyUp>(WM_SYSKEYUP),
                                     MessageEntry<&TWinControl::WMChar>(WM_CHAR),
                                     MessageEntry<&TWinControl::CNKeyDown>(CN_KEYDOWN),
                                     MessageEntry<&TWinControl::CNKeyDown>(CN_SYSKEYDOWN),
                                     MessageEntry<&TWinControl::CNSysChar>(CN_SYSCHAR),
                                     MessageEntry<&TWinControl::WMReflect>(WM_COMMAND),
                                     MessageEntry<&TWinControl::WMReflect>(WM_HSCROLL),
                                     MessageEntry<&TWinControl::WMReflect>(WM_VSCROLL),
                                     MessageEntry<&TWinControl::WMReflect>(WM_NOTIFY),
                                     MessageEntry<&TWinControl::WMDestroy>(WM_DESTROY),
                                 }};
    return map;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner)
{
}

TWinControl::~TWinControl()
{
    BeginDestroy();
    // Children still here are freed with their parent.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
        delete c;
    }
    DestroyHandle();
}

TWinControl* TWinControl::FindControl(HWND window)
{
    if (!IsWindow(window))
        return nullptr;
    return dynamic_cast<TWinControl*>(WindowTarget(window));
}

HWND TWinControl::Handle()
{
    if (FHandle == HWND_NONE && !FCreatingWnd && !Destroying()) {
        FCreatingWnd = true;
        try {
            CreateWnd();
        } catch (...) {
            FCreatingWnd = false;
            throw;
        }
        FCreatingWnd = false;
    }
    return FHandle;
}

TWindowParams TWinControl::CreateParams()
{
    TWindowParams p;
    p.Kind = TWindowKind::Child;
    p.Parent = FParent ? FParent->Handle() : HWND_NONE;
    p.Bounds = BoundsRect();
    p.Style = WS_CHILD | (FVisible ? WS_VISIBLE : 0) | (FEnabled ? 0 : WS_DISABLED);
    p.Caption = FCaption;
    return p;
}

void TWinControl::CreateWnd()
{
    TWindowParams p = CreateParams();
    if (p.Kind == TWindowKind::Child && p.Parent == HWND_NONE)
        throw Exception("Le contrôle '" + Name() + "' n'a pas de fenêtre parente");
    FHandle = CreateWindowHandle(this, p);
    if (FHandle == HWND_NONE)
        throw Exception("Impossible de créer la fenêtre");
    if (FCursor != crDefault)
        SetCursor(FCursor);
    // Windowed children that exist already get their windows now.
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->HandleNeeded();
    Realign();
}

void TWinControl::DestroyWnd()
{
    HWND h = FHandle;
    FHandle = HWND_NONE;
    ::DestroyWindow(h);
}

void TWinControl::DestroyHandle()
{
    if (FHandle != HWND_NONE)
        DestroyWnd();
}

void TWinControl::WMDestroy(TMessage& m)
{
    // The window goes (its parent's or its own destruction): forget the handle.
    FHandle = HWND_NONE;
    DefaultHandler(m);
}

LRESULT TWinControl::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    TMessage m{message, wParam, lParam, 0};
    try {
        WndProc(m);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        if (Application)
            Application->HandleException(this, e);
    }
    // Nothing of this object may be touched here: the handler may have freed it.
    return m.Result;
}

void TWinControl::WndProc(TMessage& message)
{
    // Mouse messages over (or captured by) a graphic child go to that child.
    if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MBUTTONDBLCLK) {
        TControl* target = FCaptured;
        if (!target && GetCapture() != FHandle)
            target = ControlAtPos({GetXLParam(message.LParam), GetYLParam(message.LParam)});
        if (!target && GetCapture() == FHandle && !FCaptured)
            target = nullptr;
        if (target && target != this && !dynamic_cast<TWinControl*>(target)) {
            LPARAM l = MakeLParam(GetXLParam(message.LParam) - target->FLeft,
                                  GetYLParam(message.LParam) - target->FTop);
            message.Result = target->Perform(message.Msg, message.WParam, l);
            return;
        }
    }
    TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (FHandle != HWND_NONE)
        message.Result = DefWindowProc(FHandle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || control->FParent == this)
        return;
    control->FParent = this;
    FControls.push_back(control);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        FTabList.push_back(w);
        if (HandleAllocated())
            w->HandleNeeded();
    }
    control->Invalidate();
    Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it == FControls.end())
        return;
    control->Invalidate();
    if (FCaptured == control)
        FCaptured = nullptr;
    FControls.erase(it);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
        if (!Destroying())
            w->DestroyHandle();  // a window cannot outlive its parent's
    }
    control->FParent = nullptr;
    if (!Destroying())
        Realign();
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) const
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!allowWinControls && dynamic_cast<TWinControl*>(c))
            continue;
        if (!c->FVisible || (!c->FEnabled && !allowDisabled))
            continue;
        if (PtInRect(c->BoundsRect(), p))
            return c;
    }
    return nullptr;
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (FHandle != HWND_NONE) {
        if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
            return;
        // The window says what it became (WM_WINDOWPOSCHANGED).
        SetWindowPos(FHandle, HWND_NONE, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        RequestAlign();
        return;
    }
    TControl::SetBounds(left, top, width, height);
}

TRect TWinControl::ClientRect() const
{
    TRect r;
    if (FHandle != HWND_NONE && ::GetClientRect(FHandle, &r))
        return r;
    return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() const
{
    if (FHandle != HWND_NONE) {
        TPoint p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

void TWinControl::SetVisible(bool visible)
{
    if (visible == FVisible)
        return;
    TControl::SetVisible(visible);
    if (FHandle != HWND_NONE)
        ShowWindow(FHandle, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    if (FHandle != HWND_NONE)
        EnableWindow(FHandle, enabled);
    TControl::SetEnabled(enabled);
}

void TWinControl::SetCaption(const std::string& caption)
{
    FCaption = caption;
    if (FHandle != HWND_NONE)
        SetWindowText(FHandle, caption);
}

void TWinControl::SetCursor(TCursor cursor)
{
    FCursor = cursor;
    if (FHandle != HWND_NONE && Screen)
        SetWindowCursor(FHandle, Screen->CursorHandle(cursor));
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    const bool hadHandle = HandleAllocated();
    TControl::SetParent(parent);
    if (hadHandle && !HandleAllocated() && parent && parent->HandleAllocated())
        HandleNeeded();
}

void TWinControl::Invalidate()
{
    if (FHandle != HWND_NONE)
        InvalidateRect(FHandle, nullptr, true);
}

void TWinControl::Update()
{
    if (FHandle != HWND_NONE)
        UpdateWindow(FHandle);
}

void TWinControl::RequestAlign()
{
    TControl::RequestAlign();
}

void TWinControl::Realign()
{
    if (FAligning || Destroying())
        return;
    TRect r = ClientRect();
    FAligning = true;
    AlignControls(r);
    FAligning = false;
}

void TWinControl::AlignControls(TRect& rect)
{
    // Top, bottom, left, right, then client, each in the order the children were added.
    for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (TControl* c : std::vector<TControl*>(FControls)) {
            if (c->FAlign != kind || !c->FVisible)
                continue;
            int32_t l = rect.Left, t = rect.Top, w = rect.Width(), h = rect.Height();
            switch (kind) {
            case TAlign::alTop: h = c->FHeight; rect.Top += h; break;
            case TAlign::alBottom: h = c->FHeight; t = rect.Bottom - h; rect.Bottom -= h; break;
            case TAlign::alLeft: w = c->FWidth; rect.Left += w; break;
            case TAlign::alRight: w = c->FWidth; l = rect.Right - w; rect.Right -= w; break;
            default: break;
            }
            c->SetBounds(l, t, std::max(0, w), std::max(0, h));
        }
    }
}

int TWinControl::TabOrder() const
{
    if (!FParent)
        return -1;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!FParent)
        return;
    auto& list = FParent->FTabList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible || !c->FEnabled)
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    return FHandle != HWND_NONE && GetFocus() == FHandle;
}

void TWinControl::SetFocus()
{
    if (TForm* form = ParentForm(); form && form != this)
        form->SetActiveControl(this);
    ::SetFocus(Handle());
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const
{
    // All windowed descendants in tab order, depth first.
    std::vector<TWinControl*> order;
    std::function<void(const TWinControl*)> collect = [&](const TWinControl* parent) {
        for (TWinControl* w : parent->FTabList) {
            order.push_back(w);
            collect(w);
        }
    };
    collect(this);
    if (order.empty())
        return nullptr;
    auto it = std::find(order.begin(), order.end(), current);
    const int n = static_cast<int>(order.size());
    int start = it == order.end() ? (goForward ? -1 : n) : static_cast<int>(it - order.begin());
    for (int step = 1; step <= n; ++step) {
        int i = ((start + (goForward ? step : -step)) % n + n) % n;
        TWinControl* w = order[i];
        if (w != current && w->CanFocus() && (!checkTabStop || w->TabStop))
            return w;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop))
        next->SetFocus();
}

void TWinControl::PaintWindow(HDC)
{
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* c : std::vector<TControl*>(FControls)) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->FVisible)
            continue;
        TRect r = g->BoundsRect();
        if (!RectVisible(dc, r))
            continue;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        OffsetViewportOrgEx(dc, r.Left, r.Top);
        g->PaintOn(dc);
        RestoreDC(dc, saved);
    }
}

void TWinControl::WMPaint(TMessage& m)
{
    HWND self = FHandle;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(self, &ps);
    if (!dc)
        return;
    PaintWindow(dc);
    if (IsWindow(self)) {
        PaintControls(dc);
        EndPaint(self, &ps);
    } else {
        DeleteDC(dc);
    }
    m.Result = 0;
}

void TWinControl::WMEraseBkgnd(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    TRect r = ClientRect();
    HBRUSH brush = CreateSolidBrush(ColorToRGB(FColor));
    FillRect(dc, r, brush);
    DeleteObject(brush);
    m.Result = 1;
}

void TWinControl::WMSetFocus(TMessage& m)
{
    if (TForm* form = ParentForm(); form && form != this)
        form->FocusChanged(this);
    if (Screen)
        Screen->SetActiveControl(this);
    if (OnEnter)
        OnEnter(this);
    DefaultHandler(m);
}

void TWinControl::WMKillFocus(TMessage& m)
{
    if (OnExit)
        OnExit(this);
    DefaultHandler(m);
}

void TWinControl::WMWindowPosChanged(TMessage& m)
{
    const auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if (wp)
        UpdateBoundsFromWindow(wp->x, wp->y, wp->cx, wp->cy);
    DefaultHandler(m);  // WM_SIZE and WM_MOVE
}

void TWinControl::WMSize(TMessage& m)
{
    Realign();
    DefaultHandler(m);
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& m)
{
    uint16_t key = static_cast<uint16_t>(m.WParam);
    const TShiftState shift = KeyboardShiftState();
    TForm* form = ParentForm();
    HWND self = FHandle;
    if (form && form != this && form->KeyPreview) {
        form->KeyDown(key, shift);
        if (!IsWindow(self))
            return;
    }
    if (key != 0)
        KeyDown(key, shift);
    if (key == 0) {
        m.Result = 1;
        return;
    }
    if (IsWindow(self))
        DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m)
{
    uint16_t key = static_cast<uint16_t>(m.WParam);
    const TShiftState shift = KeyboardShiftState();
    TForm* form = ParentForm();
    HWND self = FHandle;
    if (form && form != this && form->KeyPreview) {
        form->KeyUp(key, shift);
        if (!IsWindow(self))
            return;
    }
    if (key != 0)
        KeyUp(key, shift);
    if (key != 0 && IsWindow(self))
        DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m)
{
    char key = static_cast<char>(m.WParam);
    TForm* form = ParentForm();
    HWND self = FHandle;
    if (form && form != this && form->KeyPreview) {
        form->KeyPress(key);
        if (!IsWindow(self))
            return;
    }
    if (key != 0)
        KeyPress(key);
    if (key == 0) {
        m.Result = 1;
        return;
    }
    if (IsWindow(self))
        DefaultHandler(m);
}

void TWinControl::CNKeyDown(TMessage& m)
{
    m.Result = 0;
    const uint16_t key = static_cast<uint16_t>(m.WParam);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    TForm* form = ParentForm();
    if (!form)
        return;
    // Tab moves the focus among the form's controls unless the control takes it.
    if (key == VK_TAB && !WantTabs() && !ctrl && !alt) {
        if (form != this) {
            form->SelectNext(this, GetKeyState(VK_SHIFT) >= 0, true);
            m.Result = 1;
        }
        return;
    }
    // F1 asks the window for help (the form answers WM_HELP).
    if (key == VK_F1 && !ctrl && !alt && GetKeyState(VK_SHIFT) >= 0) {
        SendMessage(form->Handle(), WM_HELP, 0, 0);
        m.Result = 1;
        return;
    }
    // Enter and Escape go to the form's buttons unless the control takes them.
    if ((key == VK_RETURN || key == VK_ESCAPE) && !ctrl && !alt && !WantsKey(key)) {
        TMessage dk{CM_DIALOGKEY, key, m.LParam, 0};
        form->Broadcast(dk);
        m.Result = dk.Result;
    }
}

void TWinControl::CNSysChar(TMessage& m)
{
    // Alt plus a letter: the control whose caption marks it acts on it.
    m.Result = 0;
    TForm* form = ParentForm();
    if (!form || static_cast<char>(m.WParam) == 0)
        return;
    TMessage dc{CM_DIALOGCHAR, m.WParam, m.LParam, 0};
    form->Broadcast(dc);
    m.Result = dc.Result;
}

void TWinControl::Broadcast(TMessage& message)
{
    for (TControl* c : std::vector<TControl*>(FControls)) {
        if (!c->Visible())
            continue;
        c->WndProc(message);
        if (message.Result != 0)
            return;
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            w->Broadcast(message);
            if (message.Result != 0)
                return;
        }
    }
}

void TWinControl::WMReflect(TMessage& m)
{
    // A standard control's notification comes back to it as CN_ message.
    const auto child = static_cast<HWND>(m.LParam);
    if (child != HWND_NONE && child != FHandle) {
        if (TWinControl* c = FindControl(child)) {
            m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
            return;
        }
    }
    DefaultHandler(m);
}

// --- TCustomControl and TGraphicControl ----------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), FCanvas(std::make_unique<TCanvas>())
{
}

TCustomControl::~TCustomControl()
{
    BeginDestroy();
    FCanvas->SetHandle(nullptr);
    if (FWindowDC && HandleAllocated())
        ReleaseDC(FHandle, FWindowDC);
}

TCanvas& TCustomControl::Canvas()
{
    if (!FCanvas->HandleAllocated() && HandleAllocated()) {
        // Outside painting: a context on the whole window.
        if (!FWindowDC || !IsDC(FWindowDC))
            FWindowDC = GetDC(FHandle);
        FCanvas->SetHandle(FWindowDC);
    }
    return *FCanvas;
}

void TCustomControl::PaintWindow(HDC dc)
{
    HDC previous = FCanvas->HandleAllocated() ? FCanvas->Handle() : nullptr;
    FCanvas->SetHandle(dc);
    HWND self = FHandle;
    try {
        Paint();
    } catch (...) {
        if (IsWindow(self))
            FCanvas->SetHandle(previous && IsDC(previous) ? previous : nullptr);
        throw;
    }
    if (IsWindow(self))
        FCanvas->SetHandle(previous && IsDC(previous) ? previous : nullptr);
}

void TCustomControl::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), FCanvas(std::make_unique<TCanvas>())
{
}

TGraphicControl::~TGraphicControl()
{
    BeginDestroy();
    FCanvas->SetHandle(nullptr);
}

void TGraphicControl::PaintOn(HDC dc)
{
    FCanvas->SetHandle(dc);
    Paint();
    FCanvas->SetHandle(nullptr);
}

void TGraphicControl::Paint()
{
    if (OnPaint)
        OnPaint(this);
}
