#pragma once
// Push buttons, check boxes, radio buttons, group boxes and labels.
// Buttons take the focus when clicked, click on Space, and answer the form's
// dialog keys: Enter clicks the focused button or else the default one,
// Escape the cancel button; Alt plus the letter marked "&" in a caption acts
// on that control (a label hands the focus to its FocusControl).
#include <cstdint>
#include <string>

#include "platform/framework/Controls.h"
#include "platform/framework/Forms.h"

// Button notifications (WM_COMMAND high word).
constexpr uint16_t BN_CLICKED = 0;

class TButtonControl : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TButtonControl(TComponent* owner);
    void SetCaption(const std::string& caption) override;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void CMDialogChar(TMessage& m);
    void WMFocusChanged(TMessage& m);
    // What Alt plus the accelerator does: a click by default.
    virtual void AccelPressed();
    bool FDown = false;      // drawn pressed (mouse held inside, or Space held)
    bool FSpaceDown = false;
};

class TButton : public TButtonControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TButton(TComponent* owner);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel = false;
    TModalResult ModalResult = mrNone;
    // Sets the form's modal result (when not mrNone), then OnClick.
    void Click() override;

protected:
    void Paint() override;
    void CMDialogKey(TMessage& m);

private:
    bool FDefault = false;
};

enum class TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };
enum class TLeftRight : uint8_t { taLeftJustify, taRightJustify };

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const { return FState == TCheckBoxState::cbChecked; }
    void SetChecked(bool checked) { SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    // A change of state fires OnClick (also when set by code, as the framework does).
    void SetState(TCheckBoxState state);
    bool AllowGrayed = false;
    void Click() override;

protected:
    void Paint() override;
    void AccelPressed() override;

private:
    TCheckBoxState FState = TCheckBoxState::cbUnchecked;
};

class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const { return FChecked; }
    // Checking one clears the other radio buttons of the same parent.
    void SetChecked(bool checked);
    void Click() override;

protected:
    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void AccelPressed() override;

private:
    bool FChecked = false;
};

// A frame with a caption around other controls.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* owner);
    TRect ClientRect() const override;

protected:
    void Paint() override;
};

enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TGraphicControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TLabel(TComponent* owner);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);
    bool ShowAccelChar = true;
    bool Transparent = false;
    TAlignment Alignment = TAlignment::taLeftJustify;
    // The size follows the text (set before the caption).
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    void SetCaption(const std::string& caption) override;

protected:
    void Paint() override;
    void CMDialogChar(TMessage& m);
    void Notification(TComponent* component, TOperation operation) override;

private:
    void AdjustBounds();
    TWinControl* FFocusControl = nullptr;
    bool FAutoSize = true;
};

// Finds the control of a window's parent form that should act on Enter: the
// focused button, or else the default button.
TButton* ActiveDefaultButton(TForm* form);
