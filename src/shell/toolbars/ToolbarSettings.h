#pragma once
// What the user can customise about the toolbars: five general switches and,
// for each of the five toolbars, two visibility flags and two command lists
// (the normal set and the alternative set), with the built-in defaults and the
// INI-style toolbar settings file.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/commands/CommandIds.h"

class TSettingsStorage;
class TToolbarSettings;

// A command list entry that stands for a separator.
constexpr TCommandId cmToolbarSeparator = 2147483647;
// An id that no longer names a command: dropped from stored lists.
constexpr TCommandId cmRetiredToolbarCommand = 6175;
constexpr int ToolbarCount = 5;
// The toolbars by index.
enum TToolbarIndex : int { tbStandard = 0, tbFormatting = 1, tbExtended = 2, tbPreview = 3, tbHeaderFooter = 4 };
constexpr const char* DefaultToolbarSettingsFile = "Eldravin.ets";

using TCommandList = std::vector<TCommandId>;

// The text of a command list: each id as 8 upper-case hexadecimal digits.
std::string EncodeCommandList(const TCommandList& list);
// Reads groups of 8 hexadecimal digits (a shorter tail is ignored). Groups
// holding a character that is no hexadecimal digit are skipped rather than
// read as an id; the retired id is dropped. Returns how many entries were
// dropped or skipped.
int DecodeCommandList(const std::string& text, TCommandList& list);

class TSingleToolbarSettings {
public:
    explicit TSingleToolbarSettings(TToolbarSettings* owner) : FOwner(owner) {}
    bool Visible = true;
    bool Visible_Preview = true;
    TCommandList Commands;
    TCommandList AlternativeCommands;

    void SetDefaultCommands(int index);
    void LoadFromSection(TSettingsStorage& store);
    void SaveToSection(TSettingsStorage& store) const;
    void Assign(const TSingleToolbarSettings& other);
    const TCommandList& CurrentCommands() const;

private:
    TToolbarSettings* FOwner;
};

class TToolbarSettings {
public:
    TToolbarSettings();
    bool FlatButtons = true;
    bool LargeButtons = false;
    bool DropDownMenus = true;
    bool ComboBoxHints = true;
    bool ShowHotKeys = true;
    bool Modified = false;
    TSingleToolbarSettings& Toolbar(int index) { return *FToolbars.at(static_cast<size_t>(index)); }
    const TSingleToolbarSettings& Toolbar(int index) const { return *FToolbars.at(static_cast<size_t>(index)); }

    void SetDefaults();
    // Reads the file; false when it holds none of the toolbar sections (a
    // damaged or foreign file), the values then being every key's default.
    bool LoadFromFile(const std::string& fileName);
    // Raises EInOutError when the file cannot be written.
    void SaveToFile(const std::string& fileName) const;
    void Assign(const TToolbarSettings& other);
    // Toolbars 0 to 3 whose visibility flag in force is set.
    int CountVisibleToolbars() const;

    // The owner's modes: the alternative command sets shown, the print
    // preview shown (selects Visible_Preview). Unset: neither.
    std::function<bool()> AlternativeSet;
    std::function<bool()> PreviewMode;
    // Visual themes in force: flat buttons always.
    std::function<bool()> ThemesInForce;

private:
    std::vector<std::unique_ptr<TSingleToolbarSettings>> FToolbars;
};

// The built-in lists of a toolbar, up to their end mark.
TCommandList DefaultToolbarCommands(int index, bool alternative);
