#include "shell/toolbars/ToolbarSettings.h"

#include "foundation/TextTables.h"
#include "foundation/settings/IniFile.h"

#include <algorithm>

namespace {

constexpr TCommandId sep = cmToolbarSeparator;
constexpr size_t MaxDefaultEntries = 36;

// The built-in lists, each ended by 0 when shorter than 36 entries.
const TCommandId DefaultCommands[ToolbarCount][2][MaxDefaultEntries] = {
    {{100, 120, 180, 200, 1260, sep, 290, 280, 300, 800, 850, 1200, sep, 3840, 3860, 3420, 3340, 3360, 3640, sep,
      6000, 206100, sep, 100000, 101120, sep, 6263},
     {100, 120, 140, 160, 220, 202, 205, 230, 260, 320, 305, sep, 3880, 3900, 3200, 3380, sep, 7000, 90000, 90020,
      90040, 90060, 90080, sep, 640, 641, 100070, sep, 6263}},
    {{209050, 212100, 212200, 12120, 12140, 12160, 12180, 12200, 704, 705, 15600, sep, 9080, 9081, 9082, 9083, 9180,
      9200, 9220, 9320, sep},
     {12161, 12162, 12166, 12168, 12150, 12170, 12171, sep, 12320, 12220, 12240, 12340, 12360, 12380, 12400, sep,
      9260, 9240, 9243, 9246, 9120, 9100, 9170, 9140, 9160, sep, 9270, 9271, 9272, sep, 12000, 9000, 9280, 9300,
      9310, sep}},
    {{12020, 12040, 9020, 9040, sep, 3980, 4000, 4020, sep, 4500, 7200, 4520, 4540, 6450, sep, 3540, 3560, 3580, 3620,
      3600, 3680, 3700, sep, 701, 702, sep, 600, 12440, sep},
     {5250, 3440, 3445, 3460, 3480, 3485, 6400, sep, 3630, 5000, 4600, 5100, sep, 12210, 12215, sep, 3920, 3925,
      sep, 6172, 6173, 6170, 6171, 6174, sep, 6020, 6060, 6065, sep, 4100, 4120, sep, 3930, 3931, sep}},
    {{290, 280, 180, sep, 6172, 6173, 6170, 6171, 6174, 206100, 703, 701, sep, 6000, 6020, 6060, 6065, sep, 4500,
      12310, sep},
     {290, 280, 180, sep, 6172, 6173, 6170, 6171, 6174, 206100, 703, 701, sep, 6000, 6020, 6060, 6065, sep, 4500,
      12310, sep}},
    {{3570, 3571, 15700, 3630, sep, 3540, 3560, sep, 260, 7300, sep, 7340, sep, 7350, 7400, 7401, sep},
     {3570, 3571, 15700, 3630, sep, 3540, 3560, sep, 260, 7300, sep, 7340, sep, 7350, 7400, 7401, sep}},
};

const char* const SectionNames[4] = {"STANDARD", "FORMATTING", "EXTENDED", "PREVIEW"};
const char* const GeneralSection = "General Settings";

}  // namespace

TCommandList DefaultToolbarCommands(int index, bool alternative)
{
    TCommandList list;
    for (TCommandId id : DefaultCommands[index][alternative ? 1 : 0]) {
        if (id == 0)
            break;
        list.push_back(id);
    }
    return list;
}

std::string EncodeCommandList(const TCommandList& list)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(list.size() * 8);
    for (TCommandId id : list) {
        const auto value = static_cast<uint32_t>(id);
        for (int shift = 28; shift >= 0; shift -= 4)
            text += digits[(value >> shift) & 0xF];
    }
    return text;
}

int DecodeCommandList(const std::string& text, TCommandList& list)
{
    list.clear();
    int dropped = 0;
    const size_t count = text.size() / 8;
    for (size_t group = 0; group < count; ++group) {
        uint32_t value = 0;
        bool valid = true;
        for (size_t i = 0; i < 8; ++i) {
            const uint8_t digit = HexDigitValueTable[static_cast<uint8_t>(text[group * 8 + i])];
            if (digit > 15) {
                valid = false;
                break;
            }
            value = (value << 4) | digit;
        }
        // A damaged group would give an id nobody chose: it is left out.
        if (!valid || static_cast<TCommandId>(value) == cmRetiredToolbarCommand) {
            ++dropped;
            continue;
        }
        list.push_back(static_cast<TCommandId>(value));
    }
    return dropped;
}

// --- One toolbar ----------------------------------------------------------------------------

void TSingleToolbarSettings::SetDefaultCommands(int index)
{
    Commands = DefaultToolbarCommands(index, false);
    AlternativeCommands = DefaultToolbarCommands(index, true);
}

void TSingleToolbarSettings::LoadFromSection(TSettingsStorage& store)
{
    Visible = store.ReadBool("Visible", true);
    Visible_Preview = store.ReadBool("Visible_Preview", true);
    int dropped = DecodeCommandList(store.ReadString("Commands", ""), Commands);
    dropped += DecodeCommandList(store.ReadString("AlternativeCommands", ""), AlternativeCommands);
    if (dropped > 0 && FOwner)
        FOwner->Modified = true;
}

void TSingleToolbarSettings::SaveToSection(TSettingsStorage& store) const
{
    store.WriteBool("Visible", Visible);
    store.WriteBool("Visible_Preview", Visible_Preview);
    store.WriteString("Commands", EncodeCommandList(Commands));
    store.WriteString("AlternativeCommands", EncodeCommandList(AlternativeCommands));
}

void TSingleToolbarSettings::Assign(const TSingleToolbarSettings& other)
{
    Visible = other.Visible;
    Visible_Preview = other.Visible_Preview;
    Commands = other.Commands;
    AlternativeCommands = other.AlternativeCommands;
}

const TCommandList& TSingleToolbarSettings::CurrentCommands() const
{
    const bool alternative = FOwner && FOwner->AlternativeSet && FOwner->AlternativeSet();
    return alternative ? AlternativeCommands : Commands;
}

// --- All toolbars -----------------------------------------------------------------------------

TToolbarSettings::TToolbarSettings()
{
    for (int i = 0; i < ToolbarCount; ++i)
        FToolbars.push_back(std::make_unique<TSingleToolbarSettings>(this));
}

void TToolbarSettings::SetDefaults()
{
    FlatButtons = true;
    LargeButtons = false;
    DropDownMenus = true;
    ComboBoxHints = true;
    ShowHotKeys = true;
    for (int i = 0; i < ToolbarCount; ++i) {
        Toolbar(i).Visible = i <= tbExtended;
        Toolbar(i).Visible_Preview = i == tbPreview;
        Toolbar(i).SetDefaultCommands(i);
    }
}

bool TToolbarSettings::LoadFromFile(const std::string& fileName)
{
    TIniFile ini(fileName, false);
    bool recognised = ini.KeyExists(GeneralSection);
    for (const char* section : SectionNames)
        recognised = recognised || ini.KeyExists(section);
    ini.OpenKey(GeneralSection);
    if (ThemesInForce && ThemesInForce())
        FlatButtons = true;
    else
        FlatButtons = ini.ReadBool("FlatButtons", true);
    LargeButtons = ini.ReadBool("LargeButtons", false);
    DropDownMenus = ini.ReadBool("DropDownMenus", true);
    ComboBoxHints = ini.ReadBool("ComboBoxHints", true);
    ShowHotKeys = ini.ReadBool("ShowHotKeys", true);
    for (int i = 0; i < 4; ++i) {
        ini.OpenKey(SectionNames[i]);
        Toolbar(i).LoadFromSection(ini);
    }
    Toolbar(tbHeaderFooter).SetDefaultCommands(tbHeaderFooter);
    return recognised;
}

void TToolbarSettings::SaveToFile(const std::string& fileName) const
{
    TIniFile ini(fileName, true);
    ini.OpenKey(GeneralSection);
    ini.WriteBool("FlatButtons", FlatButtons);
    ini.WriteBool("LargeButtons", LargeButtons);
    ini.WriteBool("DropDownMenus", DropDownMenus);
    ini.WriteBool("ComboBoxHints", ComboBoxHints);
    ini.WriteBool("ShowHotKeys", ShowHotKeys);
    for (int i = 0; i < 4; ++i) {
        ini.OpenKey(SectionNames[i]);
        Toolbar(i).SaveToSection(ini);
    }
    ini.Flush();
}

void TToolbarSettings::Assign(const TToolbarSettings& other)
{
    FlatButtons = other.FlatButtons;
    LargeButtons = other.LargeButtons;
    DropDownMenus = other.DropDownMenus;
    ComboBoxHints = other.ComboBoxHints;
    ShowHotKeys = other.ShowHotKeys;
    for (int i = 0; i < ToolbarCount; ++i)
        Toolbar(i).Assign(other.Toolbar(i));
}

int TToolbarSettings::CountVisibleToolbars() const
{
    const bool preview = PreviewMode && PreviewMode();
    int count = 0;
    for (int i = 0; i < 4; ++i)
        if (preview ? Toolbar(i).Visible_Preview : Toolbar(i).Visible)
            ++count;
    return count;
}
