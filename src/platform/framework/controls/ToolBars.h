#pragma once
// Tool bars and their buttons: buttons in a row with images from an image
// list (a second list for disabled images, greyed images otherwise),
// separators, check and grouped buttons, and drop-down buttons whose arrow
// part fires OnDropDown instead of the click.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/framework/Controls.h"

class TImageList;
class TToolBar;

enum class TToolButtonStyle : uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;
    // Adds the button at the end of the bar's row.
    void SetToolBar(TToolBar* bar);
    TToolButtonStyle Style = TToolButtonStyle::tbsButton;
    int32_t ImageIndex = -1;
    bool Grouped = false;
    bool AllowAllUp = false;
    bool Down() const { return FDown; }
    void SetDown(bool down);
    // The arrow part of a drop-down button was pressed.
    TNotifyEvent OnDropDown;
    // A width of its own instead of the bar's button width (0: none).
    int32_t ItemWidth = 0;
    // A control that stands in the button's place (a list box on the bar):
    // placed where the button is, the button itself drawing nothing.
    TControl* Control = nullptr;
    // Being pressed with the mouse over it.
    bool Pressing() const { return FPressing; }
    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    friend class TToolBar;
    TToolBar* FToolBar = nullptr;
    bool FDown = false;
    bool FPressing = false;
    bool FArrowPressed = false;
};

class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;
    int32_t ButtonCount() const { return static_cast<int32_t>(FButtons.size()); }
    TToolButton* Buttons(int32_t index) const { return FButtons.at(static_cast<size_t>(index)); }
    // Image lists used, not owned: they outlive the bar.
    TImageList* Images = nullptr;
    TImageList* DisabledImages = nullptr;
    int32_t ButtonWidth = 23;
    int32_t ButtonHeight = 22;
    bool Flat = true;
    // Called after a button has drawn itself, to draw on top of it.
    std::function<void(TToolButton* button, TCanvas& canvas)> OnButtonPainted;
    // Places the buttons in a row (separators 8 pixels wide, drop-down buttons
    // with 12 more for the arrow).
    void ArrangeButtons();

protected:
    void Paint() override;

private:
    friend class TToolButton;
    std::vector<TToolButton*> FButtons;
};
