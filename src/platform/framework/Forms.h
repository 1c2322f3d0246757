#pragma once
// Forms, the application object and the screen: TForm (modal with its modal
// result, modeless, MDI frame and children, stay-on-top, borderless, close
// query and close actions, Release, KeyPreview, ActiveControl, window state),
// THintWindow, TApplication (message loop, idle work, exceptions, message
// hook, hints, minimise and restore) and TScreen (size, resolution, cursors,
// forms). Application and Screen are made by InitApplication and freed by
// DoneApplication, in the program's start-up and shutdown order.
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Controls.h"
#include "platform/framework/ModalResults.h"

enum class TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
enum class TPosition : uint8_t { poDesigned, poScreenCenter, poMainFormCenter, poOwnerFormCenter };
enum class TTileMode : uint8_t { tbHorizontal, tbVertical };

class TForm : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position = TPosition::poDesigned;
    bool KeyPreview = false;

    // Shows the form and runs the loop until its ModalResult is set; returns it.
    // Raises when the form is already shown or modal.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    // Setting a result ends a modal loop after the message being handled.
    void SetModalResult(TModalResult result);
    bool Modal() const { return FModal; }

    // Asks OnCloseQuery (and, for an MDI frame, every child first); then
    // OnClose decides: hide, free (Release), minimise or nothing. Closing the
    // main form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages being handled are done.
    void Release();

    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    void FocusChanged(TWinControl* control);
    bool Active() const { return FActive; }

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    void BringToFront();

    // MDI frame.
    TForm* ActiveMDIChild() const;
    int MDIChildCount() const;
    TForm* MDIChildren(int index) const;  // in activation order, the active first
    void Cascade();
    void Tile();
    TTileMode TileMode = TTileMode::tbHorizontal;
    void Next();

    std::function<void(TForm* sender, bool& canClose)> OnCloseQuery;
    std::function<void(TForm* sender, TCloseAction& action)> OnClose;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnDestroy;

    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void SetVisible(bool visible) override;

protected:
    TWindowParams CreateParams() override;
    void AlignControls(TRect& rect) override;
    void Paint() override;
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();
    void Notification(TComponent* component, TOperation operation) override;

    void WMClose(TMessage& m);
    void WMActivate(TMessage& m);
    void WMMDIActivate(TMessage& m);
    void WMSetFocus(TMessage& m);
    void CMRelease(TMessage& m);

private:
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FActive = false;
    TWinControl* FActiveControl = nullptr;
    TWindowState FWindowState = TWindowState::wsNormal;
    bool FReleasing = false;
    // Cleared when the form is freed, so that loops running inside it can tell.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// A small borderless window showing a hint.
class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    // The size the text needs at most maxWidth wide (word-wrapped).
    TRect CalcHintRect(int32_t maxWidth, const std::string& text);
    void ActivateHint(const TRect& screenRect, const std::string& text);
    void ReleaseHandle();

protected:
    TWindowParams CreateParams() override;
    void Paint() override;
};

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // The application's own hidden window.
    HWND Handle();
    TForm* MainForm() const { return FMainForm; }
    void SetMainForm(TForm* form) { FMainForm = form; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title) { FTitle = title; }

    // Shows the main form and handles messages until Terminate.
    void Run();
    // Handles every message waiting now, without waiting for more.
    void ProcessMessages();
    // Handles what is waiting; with nothing left, runs the idle handling and,
    // when it is done, waits for the next message.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    // Called when no message waits; setting done to false calls it again at
    // once instead of waiting for a message.
    std::function<void(TApplication* sender, bool& done)> OnIdle;
    // Every message taken from the queue (posted, input, timers) before it is
    // dispatched; handled stops it.
    std::function<void(TMsg& msg, bool& handled)> OnMessage;
    // An exception escaping a message handler (EAbort excepted).
    std::function<void(TComponent* sender, const std::exception& e)> OnException;
    std::function<void(TApplication* sender)> OnHint;
    std::function<void(std::string& hintStr, bool& canShow, THintInfo& info)> OnShowHint;
    void HandleException(TComponent* sender, const std::exception& e);
    // Without OnException, exceptions are shown through this (the program's
    // message box); without it, written to the error output.
    std::function<void(const std::string& message)> ShowExceptionMessage;

    // Hints.
    int32_t HintPause = 500;
    int32_t HintHidePause = 2500;
    bool ShowHint = true;
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint);
    void ActivateHint(TPoint cursorPos);
    void CancelHint();
    THintWindow* HintWindow() const { return FHintWindow; }
    // Mouse moves over controls start the hint pause (called by the controls).
    void HintMouseMessage(TControl* control, TMessage& m);

    void Minimize();
    void Restore();
    void BringToFront();
    bool Active() const;

    // The number of modal loops running.
    int ModalLevel() const { return FModalLevel; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TForm;
    friend class TApplicationWindow;
    friend void InitApplication();
    bool DispatchHook(TMsg& msg);
    void Idle();
    void HintTimerFired();

    std::unique_ptr<class TApplicationWindow> FWindow;
    TForm* FMainForm = nullptr;
    std::string FTitle = "Eldravin";
    bool FTerminated = false;
    int FModalLevel = 0;
    std::string FHint;
    THintWindow* FHintWindow = nullptr;
    TControl* FHintControl = nullptr;
    bool FHintShown = false;
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    int32_t Width() const { return GetScreenSize().cx; }
    int32_t Height() const { return GetScreenSize().cy; }
    int32_t PixelsPerInch() const { return ScreenPixelsPerInch(); }
    TRect WorkAreaRect() const { return ScreenWorkArea(); }

    // The cursor shown everywhere (crDefault: each control's own).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    // The window-layer cursor of a cursor number; program numbers (> 0) are
    // registered with SetCursorHandle.
    HCURSOR CursorHandle(TCursor cursor) const;
    void SetCursorHandle(TCursor cursor, HCURSOR handle);

    int FormCount() const { return static_cast<int>(FForms.size()); }
    TForm* Forms(int index) const { return FForms.at(static_cast<size_t>(index)); }
    TForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TForm;
    friend class TApplication;
    friend void DoneApplication();
    std::vector<TForm*> FForms;
    TForm* FActiveForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCursor FCursor = crDefault;
    std::map<TCursor, HCURSOR> FCursors;
};

extern TApplication* Application;
extern TScreen* Screen;

// Makes Application and Screen (and installs the application's message hook).
void InitApplication();
// Frees the forms left, then Application and Screen.
void DoneApplication();
