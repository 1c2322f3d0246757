#include "platform/framework/Forms.h"

#include "platform/runtime/Exception.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

// --- TForm ------------------------------------------------------------------------------------

const TMessageMap& TForm::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {
                                     MessageEntry<&TForm::WMClose>(WM_CLOSE),
                                     MessageEntry<&TForm::WMActivate>(WM_ACTIVATE),
                                     MessageEntry<&TForm::WMMDIActivate>(WM_MDIACTIVATE),
                                     MessageEntry<&TForm::WMSetFocus>(WM_SETFOCUS),
                                     MessageEntry<&TForm::CMRelease>(CM_RELEASE),
                                 }};
    return map;
}

TForm::TForm(TComponent* owner) : TCustomControl(owner)
{
    FVisible = false;
    FWidth = 320;
    FHeight = 240;
    if (Screen)
        Screen->FForms.push_back(this);
}

TForm::~TForm()
{
    BeginDestroy();
    *FAlive = false;
    if (OnDestroy)
        OnDestroy(this);
    if (Screen) {
        auto& f = Screen->FForms;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
        if (Screen->FActiveForm == this)
            Screen->FActiveForm = nullptr;
    }
    if (Application && Application->FMainForm == this)
        Application->FMainForm = nullptr;
}

void TForm::SetFormStyle(TFormStyle style)
{
    if (style == FFormStyle)
        return;
    if (HandleAllocated())
        throw Exception("Le style d'une fiche ne change pas une fois sa fenêtre créée");
    FFormStyle = style;
    if (style == TFormStyle::fsMDIChild)
        FVisible = true;  // MDI children show as soon as they are made
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    if (HandleAllocated()) {
        // The frame is part of the window: make it again.
        const bool visible = FVisible;
        DestroyHandle();
        HandleNeeded();
        if (visible)
            ShowWindow(FHandle, SW_SHOW);
    }
}

TWindowParams TForm::CreateParams()
{
    TWindowParams p = TCustomControl::CreateParams();
    p.Style &= ~(WS_CHILD | WS_VISIBLE);
    if (FParent)
        return p;  // a form placed inside another control
    p.Borderless = FBorderStyle == TFormBorderStyle::bsNone;
    if (FFormStyle == TFormStyle::fsStayOnTop)
        p.ExStyle |= WS_EX_TOPMOST;
    if (FBorderStyle == TFormBorderStyle::bsToolWindow || FBorderStyle == TFormBorderStyle::bsSizeToolWin)
        p.ExStyle |= WS_EX_TOOLWINDOW;
    switch (FFormStyle) {
    case TFormStyle::fsMDIForm:
        p.Kind = TWindowKind::MdiFrame;
        p.Parent = HWND_NONE;
        break;
    case TFormStyle::fsMDIChild: {
        TForm* frame = Application ? Application->MainForm() : nullptr;
        if (!frame || frame->FormStyle() != TFormStyle::fsMDIForm)
            throw Exception("Impossible de créer la fiche. Aucune fiche MDI n'est active actuellement");
        p.Kind = TWindowKind::MdiChild;
        p.Parent = frame->Handle();
        break;
    }
    default:
        p.Kind = TWindowKind::TopLevel;
        p.Parent = HWND_NONE;
        break;
    }
    return p;
}

void TForm::SetVisible(bool visible)
{
    if (visible == FVisible && (!visible || (HandleAllocated() && IsWindowVisible(FHandle))))
        return;
    if (!visible) {
        if (OnHide)
            OnHide(this);
        TWinControl::SetVisible(false);
        return;
    }
    HWND self = Handle();
    if (Position == TPosition::poScreenCenter && !FParent && FFormStyle != TFormStyle::fsMDIChild) {
        TRect work = ScreenWorkArea();
        SetBounds(work.Left + (work.Width() - FWidth) / 2, work.Top + (work.Height() - FHeight) / 2, FWidth, FHeight);
        Position = TPosition::poDesigned;
    }
    FVisible = true;
    int command = SW_SHOW;
    if (FWindowState == TWindowState::wsMaximized)
        command = SW_SHOWMAXIMIZED;
    else if (FWindowState == TWindowState::wsMinimized)
        command = SW_SHOWMINIMIZED;
    ShowWindow(self, command);
    if (!IsWindow(self))
        return;
    if (OnShow)
        OnShow(this);
    if (!IsWindow(self))
        return;
    if (FFormStyle == TFormStyle::fsMDIChild) {
        MdiActivate(self);
    } else if (!FParent) {
        SetForegroundWindow(self);
        if (FActiveControl && FActiveControl->CanFocus())
            FActiveControl->SetFocus();
        else
            ::SetFocus(self);
    }
}

TModalResult TForm::ShowModal()
{
    if (FModal || (FVisible && HandleAllocated() && IsWindowVisible(FHandle)) || FFormStyle == TFormStyle::fsMDIChild)
        throw Exception("Impossible de rendre modale une fenêtre visible");
    std::shared_ptr<bool> alive = FAlive;
    // The other windows of the program wait while the form is shown.
    std::vector<HWND> disabled;
    if (Screen)
        for (TForm* f : Screen->FForms)
            if (f != this && f->HandleAllocated() && !f->FParent && f->FFormStyle != TFormStyle::fsMDIChild &&
                IsWindowEnabled(f->FHandle)) {
                EnableWindow(f->FHandle, false);
                disabled.push_back(f->FHandle);
            }
    const HWND previousFocus = GetFocus();
    FModal = true;
    FModalResult = mrNone;
    if (Application)
        ++Application->FModalLevel;
    auto finish = [&] {
        ResumeMessageDelivery();
        if (Application)
            --Application->FModalLevel;
        for (HWND h : disabled)
            EnableWindow(h, true);
        if (*alive) {
            FModal = false;
            if (HandleAllocated())
                Hide();
        }
        if (IsWindow(previousFocus))
            ::SetFocus(previousFocus);
    };
    TModalResult result = mrNone;
    try {
        Show();
        while (*alive) {
            if (Application && Application->Terminated())
                FModalResult = mrCancel;
            if (FModalResult != mrNone) {
                TCloseAction action = TCloseAction::caHide;
                if (CloseQuery()) {
                    if (*alive)
                        DoClose(action);
                } else {
                    action = TCloseAction::caNone;
                }
                if (!*alive)
                    break;
                if (action == TCloseAction::caNone) {
                    FModalResult = mrNone;
                } else {
                    result = FModalResult;
                    if (action == TCloseAction::caFree)
                        Release();
                    break;
                }
            }
            if (!HandleAllocated() || !IsWindow(FHandle)) {
                result = FModalResult != mrNone ? FModalResult : mrCancel;
                break;
            }
            if (Application)
                Application->HandleMessage();
            else
                ProcessPendingMessages(true);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

void TForm::SetModalResult(TModalResult result)
{
    FModalResult = result;
    if (FModal && result != mrNone)
        PauseMessageDelivery();
}

void TForm::Close()
{
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    std::shared_ptr<bool> alive = FAlive;
    if (!CloseQuery() || !*alive)
        return;
    TCloseAction action = FFormStyle == TFormStyle::fsMDIChild ? TCloseAction::caMinimize : TCloseAction::caHide;
    DoClose(action);
    if (!*alive || action == TCloseAction::caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == TCloseAction::caHide)
        Hide();
    else if (action == TCloseAction::caMinimize)
        SetWindowState(TWindowState::wsMinimized);
    else
        Release();
}

bool TForm::CloseQuery()
{
    std::shared_ptr<bool> alive = FAlive;
    if (FFormStyle == TFormStyle::fsMDIForm) {
        for (int i = 0, n = MDIChildCount(); i < n; ++i)
            if (TForm* child = MDIChildren(i); child && !child->CloseQuery())
                return false;
    }
    bool canClose = true;
    if (OnCloseQuery && *alive)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

void TForm::Release()
{
    if (FReleasing)
        return;
    FReleasing = true;
    PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TForm::CMRelease(TMessage&)
{
    delete this;  // nothing of the form is touched after this
}

void TForm::WMClose(TMessage&)
{
    Close();
}

void TForm::SetActiveControl(TWinControl* control)
{
    FActiveControl = control;
    if (control)
        FreeNotification(control);
}

void TForm::FocusChanged(TWinControl* control)
{
    SetActiveControl(control);
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FActiveControl)
        FActiveControl = nullptr;
}

TWindowState TForm::WindowState() const
{
    if (HandleAllocated() && IsWindowVisible(FHandle)) {
        if (IsIconic(FHandle))
            return TWindowState::wsMinimized;
        if (IsZoomed(FHandle))
            return TWindowState::wsMaximized;
        return TWindowState::wsNormal;
    }
    return FWindowState;
}

void TForm::SetWindowState(TWindowState state)
{
    FWindowState = state;
    if (!HandleAllocated() || !FVisible)
        return;
    switch (state) {
    case TWindowState::wsMinimized: ShowWindow(FHandle, SW_MINIMIZE); break;
    case TWindowState::wsMaximized: ShowWindow(FHandle, SW_SHOWMAXIMIZED); break;
    default: ShowWindow(FHandle, SW_RESTORE); break;
    }
}

void TForm::BringToFront()
{
    if (FFormStyle == TFormStyle::fsMDIChild && HandleAllocated())
        MdiActivate(FHandle);
    else if (HandleAllocated())
        SetForegroundWindow(FHandle);
}

TForm* TForm::ActiveMDIChild() const
{
    if (FFormStyle != TFormStyle::fsMDIForm || !HandleAllocated())
        return nullptr;
    return dynamic_cast<TForm*>(FindControl(MdiActiveChild(FHandle)));
}

int TForm::MDIChildCount() const
{
    if (FFormStyle != TFormStyle::fsMDIForm || !HandleAllocated())
        return 0;
    return static_cast<int>(MdiChildren(FHandle).size());
}

TForm* TForm::MDIChildren(int index) const
{
    if (FFormStyle != TFormStyle::fsMDIForm || !HandleAllocated())
        return nullptr;
    auto children = MdiChildren(FHandle);
    if (index < 0 || index >= static_cast<int>(children.size()))
        return nullptr;
    return dynamic_cast<TForm*>(FindControl(children[static_cast<size_t>(index)]));
}

void TForm::Cascade()
{
    if (FFormStyle == TFormStyle::fsMDIForm && HandleAllocated())
        MdiCascade(FHandle);
}

void TForm::Tile()
{
    if (FFormStyle == TFormStyle::fsMDIForm && HandleAllocated())
        MdiTile(FHandle, TileMode == TTileMode::tbHorizontal);
}

void TForm::Next()
{
    auto children = HandleAllocated() ? MdiChildren(FHandle) : std::vector<HWND>{};
    if (children.size() > 1)
        MdiActivate(children.back());
}

void TForm::AlignControls(TRect& rect)
{
    TCustomControl::AlignControls(rect);
    if (FFormStyle == TFormStyle::fsMDIForm && HandleAllocated())
        SetMdiClientRect(FHandle, rect);
}

void TForm::Paint()
{
    TCustomControl::Paint();
}

void TForm::Activate()
{
    FActive = true;
    if (Screen)
        Screen->FActiveForm = this;
    if (OnActivate)
        OnActivate(this);
}

void TForm::Deactivate()
{
    FActive = false;
    if (OnDeactivate)
        OnDeactivate(this);
}

void TForm::WMActivate(TMessage& m)
{
    HWND self = FHandle;
    if (LoWord(m.WParam) == WA_INACTIVE) {
        Deactivate();
    } else {
        Activate();
        if (IsWindow(self) && FActiveControl && FActiveControl->CanFocus() && !FActiveControl->Focused())
            FActiveControl->SetFocus();
    }
    m.Result = 0;
}

void TForm::WMMDIActivate(TMessage& m)
{
    HWND self = FHandle;
    if (static_cast<HWND>(m.WParam) == self && static_cast<HWND>(m.LParam) != self)
        Deactivate();
    if (IsWindow(self) && static_cast<HWND>(m.LParam) == self) {
        Activate();
        if (!IsWindow(self))
            return;
        HWND focus = GetFocus();
        bool inside = false;
        for (HWND h = focus; h != HWND_NONE; h = GetParent(h))
            if (h == self) {
                inside = true;
                break;
            }
        if (!inside) {
            if (FActiveControl && FActiveControl->CanFocus())
                FActiveControl->SetFocus();
            else
                ::SetFocus(self);
        }
    }
    m.Result = 0;
}

void TForm::WMSetFocus(TMessage& m)
{
    // The form hands the focus on to its active control.
    Inherited(ClassMessageMap(), m);
    if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus() && FActiveControl->HandleAllocated())
        ::SetFocus(FActiveControl->Handle());
}

void TForm::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
}

void TForm::KeyUp(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
}

void TForm::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
}

// --- THintWindow -----------------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    FVisible = false;
    FColor = clInfoBk;
    Font().SetColor(clInfoText);
}

TWindowParams THintWindow::CreateParams()
{
    TWindowParams p = TCustomControl::CreateParams();
    p.Kind = TWindowKind::TopLevel;
    p.Parent = HWND_NONE;
    p.Style &= ~(WS_CHILD | WS_VISIBLE);
    p.Borderless = true;
    p.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    return p;
}

namespace {

// The text cut into lines that fit maxWidth (at blanks where it can).
std::vector<std::string> WrapText(TCanvas& canvas, const std::string& text, int32_t maxWidth)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string paragraph;
    while (std::getline(in, paragraph)) {
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.pop_back();
        std::string line;
        std::istringstream words(paragraph);
        std::string word;
        while (words >> word) {
            std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && canvas.TextWidth(candidate) > maxWidth) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TRect THintWindow::CalcHintRect(int32_t maxWidth, const std::string& text)
{
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    int32_t width = 0;
    const auto lines = WrapText(c, text, maxWidth);
    for (const auto& l : lines)
        width = std::max(width, c.TextWidth(l));
    const int32_t lineHeight = c.TextHeight("Ag");
    return {0, 0, width + 6, static_cast<int32_t>(lines.size()) * lineHeight + 2};
}

void THintWindow::ActivateHint(const TRect& screenRect, const std::string& text)
{
    SetCaption(text);
    SetBounds(screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height());
    HWND h = Handle();
    FVisible = true;
    SetWindowPos(h, HWND_NONE, screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
}

void THintWindow::ReleaseHandle()
{
    FVisible = false;
    DestroyHandle();
}

void THintWindow::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(FColor);
    c.FillRect(ClientRect());
    c.Font().Assign(Font());
    c.Brush().SetStyle(TBrushStyle::bsClear);
    int32_t y = 1;
    const int32_t lineHeight = c.TextHeight("Ag");
    for (const auto& line : WrapText(c, FCaption, std::max(1, FWidth - 6))) {
        c.TextOut(3, y, line);
        y += lineHeight;
    }
}

// --- TApplication -----------------------------------------------------------------------------------

// The application's own window: hidden, it receives the hint timers.
class TApplicationWindow final : public TWindowTarget {
public:
    explicit TApplicationWindow(TApplication* app) : FApp(app) {}
    ~TApplicationWindow() override
    {
        if (FHandle != HWND_NONE)
            DestroyWindow(FHandle);
    }
    HWND Handle()
    {
        if (FHandle == HWND_NONE) {
            TWindowParams p;
            p.Kind = TWindowKind::TopLevel;
            p.Borderless = true;
            FHandle = CreateWindowHandle(this, p);
        }
        return FHandle;
    }
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER) {
            KillTimer(window, wParam);
            if (wParam == 1)
                FApp->HintTimerFired();
            else
                FApp->CancelHint();
            return 0;
        }
        if (message == WM_DESTROY)
            FHandle = HWND_NONE;
        return DefWindowProc(window, message, wParam, lParam);
    }

private:
    TApplication* FApp;
    HWND FHandle = HWND_NONE;
};

TApplication::TApplication(TComponent* owner) : TComponent(owner), FWindow(std::make_unique<TApplicationWindow>(this))
{
}

TApplication::~TApplication()
{
    BeginDestroy();
    CancelHint();
    // Owned forms go first (the component destructor), while the window exists.
    while (ComponentCount() > 0) {
        TComponent* c = Components(ComponentCount() - 1);
        RemoveComponent(c);
        delete c;
    }
    FWindow.reset();
}

HWND TApplication::Handle()
{
    return FWindow->Handle();
}

void TApplication::Run()
{
    if (FMainForm)
        FMainForm->Show();
    while (!FTerminated)
        HandleMessage();
}

void TApplication::ProcessMessages()
{
    ProcessPendingMessages(false);
}

void TApplication::HandleMessage()
{
    ResumeMessageDelivery();
    const uint64_t before = DeliveredMessageCount();
    ProcessPendingMessages(false);
    if (FTerminated || DeliveredMessageCount() != before)
        return;  // idle handling waits until no message is left
    bool done = true;
    try {
        if (OnIdle)
            OnIdle(this, done);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        HandleException(this, e);
    }
    if (done && !FTerminated)
        ProcessPendingMessages(true);
}

void TApplication::Terminate()
{
    FTerminated = true;
    PostMessage(HWND_NONE, WM_QUIT, 0, 0);  // wakes a loop that waits
}

bool TApplication::DispatchHook(TMsg& msg)
{
    try {
        bool handled = false;
        if (OnMessage)
            OnMessage(msg, handled);
        if (handled)
            return true;
        if (msg.hwnd == HWND_NONE) {
            if (msg.message == WM_QUIT)
                FTerminated = true;
            return true;
        }
        switch (msg.message) {
        case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            CancelHint();
            break;
        default:
            break;
        }
        // The control with the focus sees keys first as notifications (CN_).
        switch (msg.message) {
        case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR:
            if (SendMessage(msg.hwnd, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0)
                return true;
            break;
        default:
            break;
        }
    } catch (const EAbort&) {
        return true;
    } catch (const std::exception& e) {
        HandleException(this, e);
        return true;
    }
    return false;
}

void TApplication::HandleException(TComponent* sender, const std::exception& e)
{
    static bool handling = false;
    if (handling)
        return;  // a failure while reporting one is dropped
    handling = true;
    try {
        if (OnException)
            OnException(sender, e);
        else if (ShowExceptionMessage)
            ShowExceptionMessage(e.what());
        else
            std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
    }
    handling = false;
}

void TApplication::SetHint(const std::string& hint)
{
    if (hint == FHint)
        return;
    FHint = hint;
    if (OnHint)
        OnHint(this);
}

void TApplication::HintMouseMessage(TControl* control, TMessage&)
{
    if (!ShowHint || !control->ShowHint || control->Hint().empty()) {
        if (control != FHintControl)
            CancelHint();
        return;
    }
    if (control == FHintControl)
        return;
    CancelHint();
    FHintControl = control;
    FreeNotification(control);
    SetHint(control->Hint());
    SetTimer(Handle(), 1, static_cast<uint32_t>(std::max(1, HintPause)));
}

void TApplication::HintTimerFired()
{
    if (!FHintControl)
        return;
    TPoint p;
    GetCursorPos(&p);
    ActivateHint(p);
}

void TApplication::ActivateHint(TPoint cursorPos)
{
    TControl* control = FHintControl;
    if (!control)
        return;
    THintInfo info;
    info.HintControl = control;
    info.CursorPos = control->ScreenToClient(cursorPos);
    info.HintStr = control->Hint();
    info.HideTimeout = HintHidePause;
    if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0)
        return;
    bool canShow = true;
    if (OnShowHint)
        OnShowHint(info.HintStr, canShow, info);
    if (!canShow || info.HintStr.empty())
        return;
    if (!FHintWindow)
        FHintWindow = new THintWindow(this);
    TRect r = FHintWindow->CalcHintRect(300, info.HintStr);
    OffsetRect(r, cursorPos.X, cursorPos.Y + 20);
    FHintWindow->ActivateHint(r, info.HintStr);
    FHintShown = true;
    if (info.HideTimeout > 0)
        SetTimer(Handle(), 2, static_cast<uint32_t>(info.HideTimeout));
}

void TApplication::CancelHint()
{
    if (FWindow && IsWindow(FWindow->Handle())) {
        KillTimer(FWindow->Handle(), 1);
        KillTimer(FWindow->Handle(), 2);
    }
    if (FHintControl)
        RemoveFreeNotification(FHintControl);
    FHintControl = nullptr;
    if (FHintWindow && FHintShown)
        FHintWindow->ReleaseHandle();
    FHintShown = false;
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (component == FHintControl)
            FHintControl = nullptr;
        if (component == FHintWindow)
            FHintWindow = nullptr;
        if (component == FMainForm)
            FMainForm = nullptr;
    }
}

void TApplication::Minimize()
{
    if (Screen)
        for (TForm* f : Screen->FForms)
            if (f->HandleAllocated() && !f->Parent() && f->FormStyle() != TFormStyle::fsMDIChild &&
                IsWindowVisible(f->Handle()))
                ShowWindow(f->Handle(), SW_MINIMIZE);
}

void TApplication::Restore()
{
    if (Screen)
        for (TForm* f : Screen->FForms)
            if (f->HandleAllocated() && IsIconic(f->Handle()) && f->FormStyle() != TFormStyle::fsMDIChild)
                ShowWindow(f->Handle(), SW_RESTORE);
}

void TApplication::BringToFront()
{
    if (FMainForm && FMainForm->HandleAllocated())
        SetForegroundWindow(FMainForm->Handle());
}

bool TApplication::Active() const
{
    return ApplicationActive();
}

// --- TScreen ------------------------------------------------------------------------------------------

TScreen::TScreen(TComponent* owner) : TComponent(owner)
{
}

TScreen::~TScreen()
{
    SetOverrideCursor(0);
}

void TScreen::SetCursor(TCursor cursor)
{
    FCursor = cursor;
    SetOverrideCursor(cursor == crDefault ? 0 : CursorHandle(cursor));
}

HCURSOR TScreen::CursorHandle(TCursor cursor) const
{
    switch (cursor) {
    case crDefault:
    case crArrow: return IDC_ARROW;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE: return IDC_SIZEWE;
    case crHourGlass: return IDC_WAIT;
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crUpArrow: return IDC_UPARROW;
    case crSizeAll: return IDC_SIZEALL;
    case crDrag: return IDC_ARROW;
    case crNoDrop:
    case crNo: return IDC_NO;
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    default: break;
    }
    auto it = FCursors.find(cursor);
    return it == FCursors.end() ? IDC_ARROW : it->second;
}

void TScreen::SetCursorHandle(TCursor cursor, HCURSOR handle)
{
    if (cursor > 0)
        FCursors[cursor] = handle;
}

void TScreen::SetActiveControl(TWinControl* control)
{
    if (FActiveControl)
        RemoveFreeNotification(FActiveControl);
    FActiveControl = control;
    if (control)
        FreeNotification(control);
}

void TScreen::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FActiveControl)
        FActiveControl = nullptr;
}

// --- Start and end ------------------------------------------------------------------------------------------

void InitApplication()
{
    if (!Screen)
        Screen = new TScreen(nullptr);
    if (!Application)
        Application = new TApplication(nullptr);
    SetMessageHook([](TMsg& msg) { return Application && Application->DispatchHook(msg); });
}

void DoneApplication()
{
    SetMessageHook(nullptr);
    delete Application;
    Application = nullptr;
    // Forms with no owner are freed last.
    while (Screen && Screen->FormCount() > 0)
        delete Screen->Forms(Screen->FormCount() - 1);
    delete Screen;
    Screen = nullptr;
}
