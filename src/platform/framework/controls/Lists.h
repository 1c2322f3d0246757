#pragma once
// List boxes (standard or owner-drawn, single or multiple selection, with a
// top index), check-list boxes and combo boxes (drop-down with an edit part,
// drop-down list, owner-drawn). Their notifications go to the parent as
// WM_COMMAND (LBN_, CBN_) and come back as the framework's events:
//   list box: LBN_SELCHANGE -> OnClick, LBN_DBLCLK -> OnDblClick;
//   check-list box: a check toggled by mouse or Space -> OnClickCheck;
//   combo box: CBN_DROPDOWN -> OnDropDown, CBN_CLOSEUP -> OnCloseUp,
//   CBN_SELCHANGE -> OnClick then OnChange, CBN_EDITCHANGE -> OnChange.
// Setting ItemIndex by code sends nothing, as with the system's controls.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Controls.h"
#include "platform/runtime/StringList.h"

constexpr uint16_t LBN_SELCHANGE = 1;
constexpr uint16_t LBN_DBLCLK = 2;
constexpr uint16_t CBN_SELCHANGE = 1;
constexpr uint16_t CBN_DBLCLK = 2;
constexpr uint16_t CBN_SETFOCUS = 3;
constexpr uint16_t CBN_KILLFOCUS = 4;
constexpr uint16_t CBN_EDITCHANGE = 5;
constexpr uint16_t CBN_DROPDOWN = 7;
constexpr uint16_t CBN_CLOSEUP = 8;
constexpr uint16_t CBN_SELENDOK = 9;
constexpr uint16_t CBN_SELENDCANCEL = 10;

// State of an item drawn by its owner.
using TOwnerDrawState = uint32_t;
constexpr TOwnerDrawState odSelected = 0x01;
constexpr TOwnerDrawState odFocused = 0x02;
constexpr TOwnerDrawState odDisabled = 0x04;
constexpr TOwnerDrawState odComboBoxEdit = 0x08;

class TWinControl;
// Draws one item on the canvas given (the list's own, or the open list's of a combo box).
using TDrawItemEvent =
    std::function<void(TWinControl* control, TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state)>;

enum class TListBoxStyle : uint8_t { lbStandard, lbOwnerDrawFixed };

class TCustomListBox : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStringList& Items() { return *FItems; }
    int32_t ItemIndex() const { return FItemIndex; }
    // Selects one item (-1: none); the caret item follows. Sends nothing.
    void SetItemIndex(int32_t index);
    bool MultiSelect = false;
    bool Selected(int32_t index) const;
    void SetSelected(int32_t index, bool selected);
    int32_t SelCount() const;
    int32_t TopIndex() const { return FTopIndex; }
    void SetTopIndex(int32_t index);
    int32_t ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int32_t height);
    TListBoxStyle Style = TListBoxStyle::lbStandard;
    bool Sorted() const { return FItems->Sorted(); }
    void SetSorted(bool sorted) { FItems->SetSorted(sorted); }
    bool IntegralHeight = false;
    int32_t ItemAtPos(TPoint p, bool existing) const;
    TRect ItemRect(int32_t index) const;
    TDrawItemEvent OnDrawItem;
    // OnClick comes with a change of selection (LBN_SELCHANGE), not with
    // every release of the mouse button.
    void Click() override {}

protected:
    void Paint() override;
    virtual void DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state);
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void DblClick() override;
    void CNCommand(TMessage& m);
    void WMMouseWheel(TMessage& m);
    void WMFocusChanged(TMessage& m);
    // The user moved the selection to index (sends LBN_SELCHANGE when it changed).
    void UserSelect(int32_t index, TShiftState shift);
    int32_t VisibleCount() const;
    void MakeVisible(int32_t index);
    virtual int32_t TextLeft() const { return 2; }
    void ItemsChanged();

    std::unique_ptr<TStringList> FItems;
    std::vector<bool> FSelected;  // multi-select
    int32_t FItemIndex = -1;
    int32_t FTopIndex = 0;
    int32_t FItemHeight = 16;
    bool FInClick = false;
};

class TListBox : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;
};

class TCheckListBox : public TCustomListBox {
public:
    explicit TCheckListBox(TComponent* owner);
    bool Checked(int32_t index) const;
    void SetChecked(int32_t index, bool checked);
    bool ItemEnabled(int32_t index) const;
    void SetItemEnabled(int32_t index, bool enabled);
    // A check toggled by the user (a click in the box, or Space).
    TNotifyEvent OnClickCheck;

protected:
    void DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    int32_t TextLeft() const override { return 18; }

private:
    void Toggle(int32_t index);
    std::vector<bool> FChecked;
    std::vector<bool> FDisabled;
};

enum class TComboBoxStyle : uint8_t { csDropDown, csDropDownList, csOwnerDrawFixed };

class TComboList;

class TCustomComboBox : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TStringList& Items() { return *FItems; }
    int32_t ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int32_t index);
    TComboBoxStyle Style = TComboBoxStyle::csDropDown;
    std::string Text() const { return FCaption; }
    virtual void SetText(const std::string& text);
    void SetCaption(const std::string& caption) override { SetText(caption); }
    int32_t DropDownCount = 8;
    int32_t ItemHeight = 16;
    bool Sorted() const { return FItems->Sorted(); }
    void SetSorted(bool sorted) { FItems->SetSorted(sorted); }
    bool DroppedDown() const { return FDropped; }
    // Opens or closes the list (the user's way: notifications are sent).
    void SetDroppedDown(bool dropped);
    // The item highlighted in the open list (the item index while closed).
    int32_t HighlightIndex() const;
    // The open list's window (none while closed).
    TCustomControl* ListWindow() const;
    bool WantsKey(uint16_t key) const override { return FDropped && (key == VK_RETURN || key == VK_ESCAPE); }

    TDrawItemEvent OnDrawItem;
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnSelect;
    // OnClick comes with a change of selection (CBN_SELCHANGE) only.
    void Click() override {}

protected:
    virtual void Change();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void Select();
    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void CNCommand(TMessage& m);
    void WMFocusChanged(TMessage& m);
    // Ends the open list: chosen (the highlighted item becomes the selection)
    // or cancelled (the selection stays).
    void CloseList(bool chosen);
    void SetTextSilently(const std::string& text);
    void DrawEntry(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state);

    std::unique_ptr<TStringList> FItems;
    int32_t FItemIndex = -1;
    bool FDropped = false;
    TComboList* FList = nullptr;

    friend class TComboList;
};

class TComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;
};
