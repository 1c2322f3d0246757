#pragma once
// The program's small controls: a scroll bar with a full 32-bit thumb position
// (TScrollBar95), a combo box for tool bars that opens its list with the arrow
// keys and can show a live preview beside its open list (TAdvComboBox with
// TComboBoxHint), and a numeric edit with fixed decimals, a unit text and a
// range check (TValidationEdit), with a variant that has up and down buttons
// (TUpDownEdit).
#include <cstdint>
#include <functional>
#include <string>

#include "platform/framework/Forms.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/Ranges.h"

// Program event fired when a tool-bar combo box opens its list.
constexpr int32_t TOOLBAR_COMBOBOX_LISTDROP = 410;

class TScrollBar95 : public TScrollBar {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TScrollBar95(TComponent* owner);
    // Stores the page size and passes it to the window (page field only, redrawn).
    void SetPageSize(int32_t pageSize) override;
    std::function<void(TControl* sender, int32_t trackBarPos)> OnTrackBarDragEvent;
    TNotifyEvent OnCancelMode;

protected:
    void CNScroll(TMessage& m) override;
    void WMCancelMode95(TMessage& m);
    void WMCaptureChanged(TMessage& m);
};

class TAdvComboBox : public TComboBox {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TAdvComboBox(TComponent* owner);
    bool CancelPending = false;
    // The combo box sits on a tool bar (a cancelled list then posts Escape to it).
    bool OnToolBar = false;

protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void CNCommandAdv(TMessage& m);

private:
    int32_t FIndexAtDrop = -1;
    std::string FTextAtDrop;
};

// A preview window beside the open list of a combo box, painted by its creator.
class TComboBoxHint : public THintWindow {
public:
    using TPaintProc = std::function<void(TComboBoxHint& hint, TCanvas& canvas, int32_t itemIndex)>;
    TComboBoxHint(TComponent* owner, TCustomComboBox* comboBox, TPaintProc paintProc, int32_t width, int32_t height);
    ~TComboBoxHint() override;
    TCustomComboBox* ComboBox() const { return FComboBox; }
    int32_t LastItemPainted() const { return FLastItem; }
    void ShowHint();
    void HideHint();

protected:
    void Paint() override;

private:
    TCustomComboBox* FComboBox;
    TPaintProc FPaint;
    int32_t FHintWidth, FHintHeight;
    int32_t FLastItem = -1;
    std::function<void(TApplication*, bool&)> FReplacedIdle;
    bool FShown = false;
};

class TValidationEdit : public TEdit {
public:
    explicit TValidationEdit(TComponent* owner);
    bool Empty() const { return FEmpty; }
    void SetEmpty(bool empty);
    int32_t Max = 100;
    int32_t Min = 0;
    int32_t NrOfDigitsAfterSeparator() const { return FDigits; }
    void SetNrOfDigitsAfterSeparator(int32_t digits);
    const std::string& TailString() const { return FTail; }
    void SetTailString(const std::string& tail);
    int32_t Value() const { return FValue; }
    void SetValue(int32_t value);
    bool RangeCheck = true;
    TNotifyEvent OnValueChanged;
    // An optional parser of the text (without its tail): true and the value
    // when it understands the text.
    std::function<bool(const std::string& text, int32_t& value)> OnTextToValue;

    std::string FormatValue(int32_t value) const;
    // The number text the edit's text stands for (scaled, without separator).
    std::string GetNumberText(const std::string& text) const;
    bool IsValueValid() const;
    // Brings the edit into view and focus and shows why its text is refused.
    void ReportInvalidValue();
    // Whether change events are on (off while the control rewrites its text).
    bool ChangeEventsEnabled = true;

protected:
    void Change() override;
    // A valid text (one IsValueValid accepts) becomes Value; Empty becomes false.
    void ApplyText();
    void RewriteText();
    bool ParseNumberText(const std::string& numberText, int32_t& value) const;

    bool FEmpty = false;
    int32_t FDigits = 2;
    std::string FTail;
    std::string FTrimmedTail;
    int32_t FValue = 0;
};

class TUpDownEdit : public TValidationEdit {
public:
    explicit TUpDownEdit(TComponent* owner);
    int32_t Increment = 10;
    TNotifyEvent OnStep;
    TUpDown& UpDown() { return *FUpDown; }
    // Adds delta, rounded to a multiple of it, clamped to the range.
    void Step(int32_t delta);
    // Places the buttons beside the edit on its parent (done when the edit is
    // put on a parent or moved).
    void PlaceUpDown();
    void SetParent(TWinControl* parent) override;
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    void SetEnabled(bool enabled) override;
    void SetVisible(bool visible) override;

protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;

private:
    TUpDown* FUpDown;
};
