#pragma once
// The windows that show menus: TMenuBar (the main menu's bar at the top of a
// form) and TMenuPopupWindow (one open level of a popup or drop-down menu),
// and the tracker that runs the open levels with the mouse and the keyboard:
// Up and Down move the highlight over the items (separators skipped), Right
// opens a submenu (or moves to the next menu of the bar), Left closes it (or
// moves to the previous menu of the bar), Enter chooses, Escape closes one
// level, and an item's access key chooses it (or opens its submenu).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/Controls.h"
#include "platform/framework/menus/Menus.h"

class TMenuTracker;

class TMenuPopupWindow : public TCustomControl {
public:
    TMenuPopupWindow(TMenuTracker& tracker, TMenuItem* root, int level);
    ~TMenuPopupWindow() override;

    TMenuItem* Root() const { return FRoot; }
    int Level() const { return FLevel; }
    // The visible items in order, with their rectangles (client coordinates).
    const std::vector<TMenuItem*>& ItemList() const { return FItemList; }
    const std::vector<TRect>& ItemRects() const { return FRects; }
    int Selected() const { return FSelected; }
    void Select(int index);
    // Measures the items and takes the size they need.
    void Layout();
    // The item index at a client point, or -1.
    int ItemAt(TPoint p) const;
    // Moves the highlight to the next (or previous) item that is no separator.
    void Step(int direction);

protected:
    TWindowParams CreateParams() override;
    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;

private:
    TMenuTracker& FTracker;
    TMenuItem* FRoot;
    int FLevel;
    int FSelected = -1;
    std::vector<TMenuItem*> FItemList;
    std::vector<TRect> FRects;
};

class TMenuBar : public TCustomControl {
public:
    explicit TMenuBar(TMainMenu* menu);
    ~TMenuBar() override;

    TMainMenu* Menu() const { return FMenu; }
    // Takes the items again and re-lays the bar.
    void Rebuild();
    const std::vector<TMenuItem*>& ItemList() const { return FItemList; }
    const std::vector<TRect>& ItemRects() const { return FRects; }
    int ItemAt(TPoint p) const;
    int Selected() const { return FSelected; }

    // Opens the drop-down menu of an item and tracks it, moving along the bar
    // with Left and Right; the chosen item's Click runs after the menus close.
    // Returns the chosen item, or nullptr.
    TMenuItem* TrackItem(int index, bool selectFirst);
    // The bar's answer to Alt with an access key: opens the item whose caption
    // has that key (true), or does nothing (false).
    bool OpenByAccessKey(char key);

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    TMainMenu* FMenu;
    std::vector<TMenuItem*> FItemList;
    std::vector<TRect> FRects;
    int FSelected = -1;
};

// One run of a menu: the open levels, the chosen item and whether it ended.
class TMenuTracker {
public:
    TMenuTracker(TMenu* menu, TMenuBar* bar);
    ~TMenuTracker();

    TMenu* Menu() const { return FMenu; }
    // Opens the first level at a screen point and runs until the menu ends.
    TMenuItem* Run(TMenuItem* root, TPoint screenPoint, bool selectFirst);

    // Used by the level windows.
    void OpenSubmenu(TMenuPopupWindow& from, int index, bool selectFirst);
    void CloseLevel(int level);
    void Choose(TMenuItem* item);
    void Cancel();
    // Left or Right at a level with nothing to open or close: the bar moves.
    void MoveAlongBar(int direction);
    int BarMove() const { return FBarMove; }
    bool Done() const { return FDone; }
    TMenuPopupWindow* LevelAtScreen(TPoint screenPoint) const;
    TMenuPopupWindow* TopLevel() const { return FLevels.empty() ? nullptr : FLevels.back().get(); }
    TMenuBar* Bar() const { return FBar; }

private:
    TMenu* FMenu;
    TMenuBar* FBar;
    std::vector<std::unique_ptr<TMenuPopupWindow>> FLevels;
    TMenuItem* FChosen = nullptr;
    bool FDone = false;
    int FBarMove = 0;
};

// The menu windows open now (for tests and the application's idle work).
TMenuPopupWindow* ActiveMenuWindow();
