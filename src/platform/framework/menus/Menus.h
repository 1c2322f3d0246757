#pragma once
// Menus of the class framework: TMenuItem (caption with "&" access key,
// command tag, checked and radio items, default item, breaks, shortcut shown
// after a tab, image index, owner drawing), TMainMenu (the bar of a form, with
// the merging of an MDI child's menu) and TPopupMenu (OnPopup, then tracked
// with the mouse and the keyboard until an item is chosen or the menu is
// dismissed). Menus are drawn and tracked by windows of the window layer
// (MenuWindows.h); nothing here depends on a toolkit.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Canvas.h"
#include "platform/framework/Component.h"
#include "platform/framework/Controls.h"

class TForm;
class TMenu;
class TMenuBar;

// A shortcut: the virtual key in the low byte, scShift, scCtrl and scAlt above.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(uint16_t key, TShiftState shift);
// The French text of a shortcut as menus show it after the tab ("Ctrl+Maj+S",
// "F7", "Suppr"); empty for 0.
std::string ShortCutToText(TShortCut shortCut);
// The access key of a caption: the character after a single "&" (upper case),
// or 0. "&&" is a literal ampersand.
char GetHotkey(const std::string& caption);
// The caption without its access-key marks ("&&" becomes "&").
std::string StripHotkey(const std::string& caption);

enum class TMenuBreak : uint8_t { mbNone, mbBreak, mbBarBreak };

// The state an owner-drawn item is drawn in.
using TOwnerDrawState = uint32_t;
constexpr TOwnerDrawState odSelected = 0x0001;
constexpr TOwnerDrawState odGrayed = 0x0002;
constexpr TOwnerDrawState odDisabled = 0x0004;
constexpr TOwnerDrawState odChecked = 0x0008;
constexpr TOwnerDrawState odDefault = 0x0020;
constexpr TOwnerDrawState odNoAccel = 0x0100;

class TMenuItem;
using TMenuDrawItemEvent = std::function<void(TMenuItem* sender, TCanvas& canvas, const TRect& rect, bool selected)>;
using TMenuAdvancedDrawItemEvent =
    std::function<void(TMenuItem* sender, TCanvas& canvas, const TRect& rect, TOwnerDrawState state)>;
using TMenuMeasureItemEvent = std::function<void(TMenuItem* sender, TCanvas& canvas, int32_t& width, int32_t& height)>;
using TMenuNotifyEvent = std::function<void(TMenuItem* sender)>;

// Where a menu takes its item images from (an image list of the program).
class TMenuImages {
public:
    virtual ~TMenuImages() = default;
    virtual int32_t ImageWidth() const = 0;
    virtual int32_t ImageHeight() const = 0;
    virtual int32_t ImageCount() const = 0;
    // Draws image index with its top-left corner at (x, y), greyed when disabled.
    virtual void DrawImage(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled) = 0;
};

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption) { FCaption = caption; Changed(); }
    // A separator: the caption "-".
    bool IsLine() const { return FCaption == "-"; }
    bool Enabled = true;
    bool Visible = true;
    bool Checked = false;
    // Radio items of one GroupIndex exclude each other when checked through SetChecked.
    bool RadioItem = false;
    uint8_t GroupIndex = 0;
    // Checks the item; a radio item unchecks the other radio items of its group.
    void SetChecked(bool checked);
    // The default item of a menu is drawn in bold and chosen by a double click.
    bool Default = false;
    TMenuBreak Break = TMenuBreak::mbNone;
    TShortCut ShortCut = 0;
    int32_t ImageIndex = -1;
    std::string Hint;
    // Handled by the menu's own items: the item opens no submenu.
    bool AutoCheck = false;

    TMenuNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuAdvancedDrawItemEvent OnAdvancedDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

    // The submenu.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
    int IndexOf(const TMenuItem* item) const;
    // Takes the item into this submenu (from any menu it was in).
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out of this submenu without freeing it.
    void Remove(TMenuItem* item);
    void Delete(int index);
    // Frees every item of the submenu.
    void Clear();
    TMenuItem* Parent() const { return FParent; }
    // The menu the item belongs to (through its parents), or nullptr.
    TMenu* GetParentMenu() const;
    // The first item of the submenu whose caption, without access marks, equals caption.
    TMenuItem* Find(const std::string& caption) const;

    // Runs OnClick (an AutoCheck item toggles first).
    virtual void Click();

    // Drawing: the default look, or the owner-draw handlers when the menu says
    // so. Used by the menu windows.
    void MeasureItem(TCanvas& canvas, int32_t& width, int32_t& height, bool topLevel);
    void DrawItem(TCanvas& canvas, const TRect& rect, TOwnerDrawState state, bool topLevel);

private:
    friend class TMenu;
    void Changed();
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;  // set on the root item of a menu
    std::string FCaption;
    std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item whose submenu is the menu.
    TMenuItem& Items() { return *FItems; }
    TMenuImages* Images = nullptr;
    // Items are drawn by their OnDrawItem/OnAdvancedDrawItem handlers (the
    // default look for items without one).
    bool OwnerDraw = false;
    // Called with an item whose submenu is about to open (a bar item's drop-
    // down or a nested submenu), before its items are laid out: the owner
    // brings their states up to date there.
    TMenuNotifyEvent OnSubmenuOpen;

    // The item (at any depth) whose shortcut is the key with these shifts, when enabled.
    TMenuItem* FindItemByShortCut(TShortCut shortCut);
    // Runs the item of a shortcut; true when one was run.
    bool IsShortCut(uint16_t key, TShiftState shift);

    // Told when items change (a main menu re-lays its bar).
    virtual void MenuChanged() {}

private:
    std::unique_ptr<TMenuItem> FItems;
};

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    // Shows the menu as the bar at the top of the form (nullptr removes it).
    void SetForm(TForm* form);
    TForm* Form() const { return FForm; }
    TMenuBar* Bar() const { return FBar; }

    // The items of another menu join the bar: an item of the other menu
    // replaces the items of this one with the same GroupIndex, or goes after
    // the last item with a lower GroupIndex (the menu of an active MDI child
    // joined to the frame's menu). Unmerge takes them out again.
    void Merge(TMenu* menu);
    void Unmerge(TMenu* menu);
    TMenu* MergedMenu() const { return FMerged; }
    // The top-level items as the bar shows them (merged items included).
    std::vector<TMenuItem*> VisibleItems() const;

    void MenuChanged() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TMenuBar;
    TForm* FForm = nullptr;
    // A child control of the form: freed with it, or by the menu when the
    // menu goes first (the bar tells the menu when it is freed).
    TMenuBar* FBar = nullptr;
    TMenu* FMerged = nullptr;
};

class TPopupMenu : public TMenu, public TPopupMenuHook {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Calls OnPopup, then shows the menu at the screen point and tracks it
    // until an item is chosen (its Click runs after the menu is closed) or the
    // menu is dismissed. Returns after the menu is gone.
    void Popup(int32_t screenX, int32_t screenY) override;
    TMenuNotifyEvent OnPopup;
    // The item chosen by the last Popup, or nullptr when it was dismissed.
    TMenuItem* LastChosen() const { return FLastChosen; }
    // Whether a popup is being tracked now.
    bool Tracking() const { return FTracking; }
    // The control the menu was opened for (set by the caller).
    TControl* PopupComponent = nullptr;

private:
    TMenuItem* FLastChosen = nullptr;
    bool FTracking = false;
};

// Runs a menu's items from a root item as a popup at a screen point, with the
// mouse and the keyboard; returns the chosen item or nullptr. The chosen
// item's Click is not called. Used by popup menus and by the menu bar.
TMenuItem* TrackMenu(TMenu* menu, TMenuItem* root, TPoint screenPoint, bool selectFirst);
