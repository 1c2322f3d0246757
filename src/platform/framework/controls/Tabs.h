#pragma once
// Page controls with their tab sheets, and tab sets. A tab clicked (or
// Ctrl+Tab, Ctrl+Shift+Tab, the arrow keys on a focused page control) asks
// OnChanging, which may refuse, then shows the page and fires OnChange.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Controls.h"
#include "platform/runtime/StringList.h"

class TPageControl;

class TTabSheet : public TCustomControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return FPageControl; }
    // Puts the sheet on a page control (its parent becomes the control).
    void SetPageControl(TPageControl* control);
    int32_t PageIndex() const;
    bool TabVisible = true;
    void SetCaption(const std::string& caption) override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
};

class TPageControl : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
    TTabSheet* Pages(int32_t index) const { return FPages.at(static_cast<size_t>(index)); }
    TTabSheet* ActivePage() const { return FActivePage; }
    // By code: no OnChanging or OnChange.
    void SetActivePage(TTabSheet* page);
    int32_t ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int32_t index);
    // The user's way of changing pages (OnChanging, then OnChange).
    bool SelectPage(TTabSheet* page);
    void SelectNextPage(bool goForward);
    TRect ClientRect() const override;
    // The tab's rectangle of a page (empty when its tab is hidden).
    TRect TabRect(int32_t index);
    std::function<void(TControl* sender, bool& allowChange)> OnChanging;
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void CMDialogKey(TMessage& m);
    void CMDialogChar(TMessage& m);
    void WMFocusChanged(TMessage& m);
    void AlignControls(TRect& rect) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    int32_t TabHeight();
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
};

// A row of tabs drawn at the bottom edge (no pages of its own).
class TTabSet : public TCustomControl {
public:
    explicit TTabSet(TComponent* owner);
    ~TTabSet() override;
    TStringList& Tabs() { return *FTabs; }
    int32_t TabIndex() const { return FTabIndex; }
    // By code: OnChange only after OnChange allows it, as a click does.
    void SetTabIndex(int32_t index);
    TRect TabRect(int32_t index);
    // Asked before a change: newTab, and whether to allow it.
    std::function<void(TControl* sender, int32_t newTab, bool& allowChange)> OnChange;
    TNotifyEvent OnClick;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    std::unique_ptr<TStringList> FTabs;
    int32_t FTabIndex = -1;
};
