#pragma once
// The single owner of everything on the toolbars: their settings, the button
// images, the toolbar rows of the main frame with their buttons and controls,
// the drop-down menus of the buttons, the more-commands popups that hold what
// does not fit on a row, and the double Ctrl press that switches between the
// normal and the alternative command sets.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CharFormat.h"
#include "platform/framework/Forms.h"
#include "shell/toolbars/ToolbarSettings.h"

class TCommandManager;
class TControlCommandRunner;
class TToolbarComboBox;
class TPopupMenu;
class TMenuItem;
class TToolBar;
class TToolButton;
class TToolbarButtonImages;
class TDocument;
class TAdditionalCommands_Form;

// The toolbar controls.
constexpr TCommandId ToolbarControlIds[6] = {206100, 209050, 212100, 212200, 212300, 212400};
bool IsToolbarControl(TCommandId id);

// Reads what is typed in the zoom box: the percentage, or 0 after a warning
// (not a number; outside 10 to 500).
int32_t ParseZoomText(const std::string& text);
// Reads what is typed in the size box as half-points (one decimal place, "."
// or "," as the separator), or 0 after a warning (not a number; outside 1 to
// 1000 points).
int32_t ParseSizeText(const std::string& text);

// The popup that holds the continuation toolbars of one row.
class TAdditionalCommands_Form : public TForm {
public:
    TAdditionalCommands_Form(TComponent* owner, int row);
    int Row;
    // The more-commands button that opened it (released when it hides).
    TToolButton* Opener = nullptr;
    void HidePopup();
    // Runs the customisation of the row (the title strip's button).
    std::function<void(int row)> OnCustomise;
    void KeyDown(uint16_t& key, TShiftState shift) override;

protected:
    void Paint() override;
};

class TToolbarManager {
public:
    explicit TToolbarManager(TCommandManager& commands);
    ~TToolbarManager();
    TToolbarManager(const TToolbarManager&) = delete;
    TToolbarManager& operator=(const TToolbarManager&) = delete;

    // --- What the frame provides ----------------------------------------------------
    // The window the first toolbar of each row stands on (the main frame).
    TWinControl* Frame = nullptr;
    std::function<bool()> FullScreen;
    std::function<void()> FocusActiveDocument;
    std::function<void()> FrameLayout;
    // The frame's mouse mode (2: the format brush) and the copied character
    // format that the brush paints.
    std::function<int32_t()> MouseMode;
    TCharFormat* PainterCharFormat = nullptr;
    // Switches of the command line: "dls" and "dss".
    bool DontLoadSettings = false;
    bool DontSaveSettings = false;
    std::function<uint32_t()> TickSource;
    // Runs the customisation dialog for a row (command 6220).
    std::function<void(int row)> CustomiseToolbar;

    // --- Start-up and shutdown --------------------------------------------------------
    // Reads the settings file (or sets the defaults) and makes the control
    // command runner. The file name is resolved by the caller.
    void LoadSettings(const std::string& fileName);
    const std::string& SettingsFileName() const { return FSettingsFileName; }
    // Writes the settings when modified, unless settings are not saved.
    void SaveSettings();

    TToolbarButtonImages& GetButtonImages();
    void CreateDropDownMenus(TComponent* owner);
    void RebuildToolbars();
    void RefreshToolbarStates();
    void RefreshToolbars();
    bool IsRowVisible(int row) const;
    int32_t GetDockedHeight() const;
    bool ActivateControl(TCommandId id);
    void ToggleCommandSet();
    void HandleKeyDown(uint16_t key, TShiftState shift);
    void HandleKeyUp(uint16_t key, TShiftState shift);
    void ClosePopups();
    // Opens the row's more-commands popup under its more-commands button.
    void ShowMorePopup(int row);

    TToolbarSettings& Settings() { return FSettings; }
    const std::vector<TToolBar*>& Row(int row) const { return FRows.at(static_cast<size_t>(row)); }
    TAdditionalCommands_Form* Popup(int row) const { return FPopups.at(static_cast<size_t>(row)); }
    // The first item of that command in the visible rows (tests and the
    // keyboard), null when none.
    TToolButton* FindItem(TCommandId id) const;
    TPopupMenu* ColoursMenu() const { return FColoursMenu; }
    TPopupMenu* UnderlineMenu() const { return FUnderlineMenu; }
    TPopupMenu* GeneralMenu() const { return FGeneralMenu; }
    TControlCommandRunner& Runner() { return *FRunner; }
    // Builds the drop-down menu of a button's command (fires event 400);
    // null when the command has none.
    TPopupMenu* PrepareDropDown(TCommandId id);

    bool Ready = false;
    bool InDropDown = false;
    bool PreviewMode = false;
    bool AlternativeSet = false;
    // Bit 2 leaves the popups open when a command runs.
    uint8_t Options = 0;
    // The double-Ctrl detector: 0 idle, 1 down, 2 released once, 3 down again.
    uint8_t ToggleState = 0;
    uint32_t ToggleTick = 0;
    // The drop-down buttons and the items that act on the brush's format.
    static const std::vector<TCommandId> DropDownCommands;
    static const std::vector<TCommandId> PainterCommands;
    // The colour last chosen through the colours menu for 704 and 705.
    int32_t LastHighlightColor = 7;
    int32_t LastFontColor = 6;
    // The command of the button whose menu opened last.
    TCommandId DropDownCommand = 0;

private:
    // Fills a toolbar of the given width from the list index on; false when
    // not everything fitted.
    bool FillToolbar(int row, TToolBar& bar, size_t& index, bool first, int32_t width);
    void AddButton(TToolBar& bar, TCommandId id, bool continuation);
    TToolButton* AddControl(TToolBar& bar, TCommandId id);
    TToolBar* NewToolbar(TWinControl* parent);
    void ButtonClick(TToolButton* button);
    void ButtonPainted(TToolButton* button, TCanvas& canvas);
    void RefreshItem(TToolButton& item, TDocument* document);
    void ControlInput(TToolbarComboBox& box);
    void DropDown(TToolButton* button);
    void BuildColoursMenu(TCommandId id);
    void ColourChosen(TMenuItem* item);
    void LayoutPopup(int row);
    std::string ItemHint(TCommandId id);
    TCommandManager& FCommands;
    TToolbarSettings FSettings;
    std::unique_ptr<TToolbarButtonImages> FImages;
    std::unique_ptr<TControlCommandRunner> FRunner;
    std::array<std::vector<TToolBar*>, ToolbarCount> FRows;
    std::array<TAdditionalCommands_Form*, ToolbarCount> FPopups{};
    TPopupMenu* FColoursMenu = nullptr;
    TPopupMenu* FUnderlineMenu = nullptr;
    TPopupMenu* FGeneralMenu = nullptr;
    std::string FSettingsFileName;
};

// The program's toolbar manager; null outside start-up and shutdown.
extern TToolbarManager* ToolbarManager;
