#pragma once
// The program's settings in memory: one field per stored value, loaded from
// the settings store at start-up and saved back at shutdown. Which store is
// used (the registry or an INI file, or none) follows from the command-line
// switches and from the medium the program runs from.
//
// Most values are plain: a name in a key, a type, a default and a clamp range.
// They are listed once in the option-key table (OptionKeyTable), which Load
// and Save walk key by key in the stored order; the values that need more (the
// folders, the window place, the view profiles, the lists and blocks) are
// read and written beside the table at their place in the order.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class TColorScheme;
class TFileList;
class TSettingsStorage;

// The product key every key path is relative to.
extern const char* const SettingsKeyPrefix;
// The settings file's default name.
extern const char* const DefaultSettingsFileName;

// The view settings of one view mode.
struct TViewProfile {
    bool MarginBorders = false;
    bool Ruler = true;
    bool VerRuler = true;
    bool Bookmarks = true;
    uint8_t ScrollBars = 3;  // bit 0 horizontal, bit 1 vertical
    bool DocBtnBar = true;
    bool StatusBar = true;
    uint8_t MouseMode = 0;   // 0 to 6; stored only for the full-screen profile
};

// One language's date and time format preferences.
struct TLangDateTimeFormatInfo {
    int32_t Lang = 0;
    int32_t DefDateFmt = -1;
    int32_t DefTimeFmt = -1;
    int32_t LastDateFmt = -1;
    std::vector<std::string> Overrides;
    bool ToSave = true;
};

class TOptionsHolder {
public:
    TOptionsHolder();
    ~TOptionsHolder();
    TOptionsHolder(const TOptionsHolder&) = delete;
    TOptionsHolder& operator=(const TOptionsHolder&) = delete;

    // Reads every setting, in the stored order, and applies what applies at once.
    void Load(TSettingsStorage& store);
    // Writes every setting in the same order.
    void Save(TSettingsStorage& store);
    void LoadViewProfile(TViewProfile& profile, TSettingsStorage& store, bool withMouseMode);
    void SaveViewProfile(const TViewProfile& profile, TSettingsStorage& store, bool withMouseMode);
    // Corrections that depend on the version of the previous run.
    void ApplyUpgradeFixes();
    // Hands the autocorrection switches to the autocorrection engine (after
    // loading, and after the options dialogs changed them).
    void ApplyAutocorrectSwitches() const;

    // --- "Internal" --------------------------------------------------------
    int32_t RunCount = 0;
    // The version of the previous run (read by the start-up sequence).
    int32_t LastRunVer = 0;
    int32_t StyleListViewKind = 0;
    int32_t OpenDocDlgFilter = 8;
    int32_t OpenPictDlgFilter = 14;
    int32_t SavePictDlgFilter = 1;
    std::string InitDir;
    bool AdviseAtStartUp = true;
    // How many times the tips window has opened over the runs of the program:
    // the first ten openings show the first ten tips in order.
    int32_t AdviseCounter = 0;
    int32_t SavePict_Index = 1;
    int32_t SavePict_Web_Index = 1;
    std::string InsSymbol_Font = "Symbol";
    int32_t InsSymbol_Lang = 0;
    int32_t InsSymbol_Symbol = 32;
    int32_t BkmkSort = 1;
    int32_t LastFntScaleFactor = 200;
    int32_t PasteSpec_Fmt = 0;
    bool ApplyTemplatePreview = true;
    std::string LastUsedDocTemplate;
    int32_t Highlight_Color = 6;
    int32_t Font_Color = 2;
    int32_t LastChkForUpd = 0;
    int32_t LastChkForUpdDay = 0;
    bool ChkForUpdts = true;
    bool FloatFmtPlt = false;
    bool FloatFmtPltVsbl = true;
    int32_t FloatFmtPlt_x1 = 0, FloatFmtPlt_y1 = 0, FloatFmtPlt_x2 = 0, FloatFmtPlt_y2 = 0;
    int32_t hlpwnd_x1 = 0, hlpwnd_y1 = 0, hlpwnd_x2 = 0, hlpwnd_y2 = 0;
    bool hlpwnd_max = true;
    int32_t OpenDlgPreview = 1;
    int32_t TemplateDlgPreview = 2;
    int32_t OpenDlgSize = 0;
    std::string FavFolder;
    // One answer byte per optional message; at least 32 bytes after loading.
    std::vector<std::uint8_t> OptionalMsgs;

    // --- "Internal\TOC" -------------------------------------------------------
    bool Toc_PageNum = true;
    bool Toc_RightAlign = true;
    int32_t Toc_TabLeader = 1;
    int32_t Toc_Levels = 3;
    bool Toc_ShowTitle = true;
    std::string Toc_Title;
    std::string Toc_Template;

    // --- "Internal\Envelopes" -------------------------------------------------
    std::string AddrBookFldr;
    std::string LastAddrBook;
    std::string LastAddr;
    bool OmitRetAddr = false;
    std::string RetAddr;
    int32_t Env_Width = 9184, Env_Height = 6463;
    int32_t DA_Left = 4000, DA_Top = 5000, RA_Left = 1000, RA_Top = 1000;
    int32_t FeedMethod = 5;
    bool FeedFace = false;
    std::string AddrFont;
    std::vector<uint8_t> EnvDevMode, EnvDevNames;

    // --- "Internal\Menus" -----------------------------------------------------
    bool ShowHotKeys = true;
    // The user's stored main-menu layout (empty: the built-in menu).
    std::vector<uint8_t> MainMenuLayout;
    // The user's shortcut overrides ("General" "HotKeyOverrides_fr").
    std::vector<uint8_t> HotKeyOverrides;

    // --- "Internal\MainWnd" ---------------------------------------------------
    int32_t MainWnd_State = 2;  // 0 normal, 1 minimised, 2 maximised
    int32_t MainWnd_x = 0, MainWnd_y = 0, MainWnd_cx = 0, MainWnd_cy = 0;

    // --- "Internal\FindReplace" (oldest first; the find window takes them when it exists)
    std::vector<std::string> FindHistory;
    std::vector<std::string> ReplaceHistory;
    int32_t FindTextFlags = 0;

    // --- "NewDocParams", "Preview" --------------------------------------------
    bool NewDoc_SpecSymbols = false;
    bool NewDoc_Maximize = true;
    bool Preview_SpecSymbols = false;
    int32_t Preview_ZoomFactor = 100;
    int32_t Preview_ZoomKind = 4;
    TViewProfile FullScreenView{false, true, true, false, 2, true, true, 3};

    // --- "General" ----------------------------------------------------------
    bool NewDocAtStartUp = true;
    bool ShowSplash = true;
    bool AlwaysShowTemplWnd = false;
    bool NewDocsContNum = true;
    int32_t NewDoc_Index = 1;
    bool FullPaths = true;
    bool OfferDocProp = false;
    int32_t DocsToKeep = 10;
    int32_t Measurements = 0;
    bool FavFonts = false;
    bool UpdFlds = true;
    std::string UsrName;

    // --- "DefDocTemplates" ------------------------------------------------------
    int32_t DefDocFmt = 0;
    std::string Templates[6];

    // --- the six file lists ----------------------------------------------------
    std::unique_ptr<TFileList> RecentDocs, OpenDoc_Files, SaveDocAs_Files, InsertDoc_Files, InsertPicture_Folders,
        InsertPicture_Files;

    // --- "View" --------------------------------------------------------------
    int32_t PicDrawing = 0;
    int32_t SpecSymbTypes = 31;
    int32_t FldShading = 2;
    int32_t DocBtnBarAlign = 2;
    bool FlatDocBtnBar = true;
    TViewProfile NormalView;
    // The view settings in force (the flags of the profile applied last).
    TViewProfile CurrentView;

    // --- "Edit" ----------------------------------------------------------------
    bool ReplaceSel = true, DragDrop = true, GroupUndo = true, UndoAfterSave = true, FindWordAtCursor = true,
         SelWholeWords = true, StepLikeColumns = false, WiseCutPaste = true, DiscrVerScroll = false,
         FmtWithoutSel = true, TreatURLsAsWords = true, ClickType = true;
    int32_t HLink_ULine = 1;
    int32_t HLink_Color = 2;

    // --- "LoadSave" -----------------------------------------------------------
    bool SuperCmpctSave = true, GetFileNameFromDoc = true, SaveCaretPos = false, CreateBackup = false;
    std::string BackupFolder;
    int32_t Backup_MaxFiles = 5;
    bool Backup_SepFolders = true;
    int32_t Backup_MinDiff = 2;
    int32_t Backup_MaxAmount = 10;
    int32_t AutoSave = 3;
    bool ReloadDocs = true;
    std::string DocsToReload;
    std::string ReloadDoc_ToActivate;
    bool UseDocFolder = true;
    std::string DocFolder;
    // 0: 128-bit, 1: 256-bit encryption (read, never written).
    bool CipherStrength = false;
    int32_t ReuseEncPass = 0;
    bool OpenHLinksInPlace = false;

    // --- "Print" ---------------------------------------------------------------
    bool Collate = true, TwoSided = false;
    std::string PrnDuplexInfoEx;
    int32_t BookletSize = 2147483647;
    bool CutGrid = true;
    std::vector<uint8_t> PrnDevMode, PrnDevNames;

    // --- "HotCalculator" -------------------------------------------------------
    bool Calc_Autodetect = true, Calc_Beep = true;
    int32_t DigitsBeforePoint = 10, DigitsAfterPoint = 6, ResHandling = 2, SelectedFunc = 0;

    // --- "PageNum" -------------------------------------------------------------
    int32_t PageNumPos = 1, PageNumAlign = 2;
    bool PageNum_1stPage = true;

    // --- "ColorScheme" ---------------------------------------------------------
    std::unique_ptr<TColorScheme> ColorScheme;
    bool SmrtClrs = true;
    std::vector<std::unique_ptr<TColorScheme>> UserSchemes;

    // --- "SpellCheck" ----------------------------------------------------------
    int32_t Spell_Flags = 3380;
    int32_t SuggestQuality = 1;
    std::vector<std::string> SpellSystems;

    // --- "Autocorrect" ---------------------------------------------------------
    bool AsYouType = true, IniCaps = true, CapSent = true, CapsLock = true, RmvSpcs = true, ReplTxt = true,
         SuperscriptOrdinals = true, ScriptFract = true, FmtURL = true;
    // One extension a line.
    std::string AutocorrectFileExts;
    bool SplChkrAdds = false;

    // --- "SaveAsWeb" -----------------------------------------------------------
    std::string Web_KWrds, Web_Author;
    bool Web_SepFldr = true;
    int32_t Web_BkClr = static_cast<int32_t>(0x80000000u);
    std::string Web_BkImg;
    bool Web_RestartImgNum = false;
    int32_t Web_DefImgFmt = 1;
    // The export's own record follows these values when they are loaded and
    // gives them back before they are saved; the picture counter lives there.
    void LoadWebExport(TSettingsStorage& store);
    void SaveWebExport();

    // --- "ClipLib" -------------------------------------------------------------
    std::string ClipLibFolder;
    bool ClipLib_Visible = false, ClipLib_Thumbnails = true;
    std::string RecentClip;
    bool ClipLib_Preview = true;
    std::string AddTextClip_RecentFolder, AddGraphicClip_RecentFolder;
    bool ReplaceAsYouType = false, ShowClipLibPanel = true;

    // --- "DateTime" ------------------------------------------------------------
    int32_t LastUsedDateTimeCaseFormat = 0;
    bool UpdDtTm = false;
    std::vector<TLangDateTimeFormatInfo> DateTimeFormats;

    // Bit 0 (SavingToIniFile) is set while the holder is saved into an INI file.
    uint8_t Flags = 0;
    static constexpr uint8_t SavingToIniFile = 0x01;

private:
    void LoadFolders(TSettingsStorage& store, const std::string& key);
    void SaveFolders(TSettingsStorage& store, const std::string& key);
};

// The program-wide holder; null outside the start-up and shutdown sequence.
extern TOptionsHolder* OptionsHolder;

// --- The option-key table ---------------------------------------------------------

enum class TOptionType : uint8_t { Bool, Int, Text };

// One plain stored value: its key path (relative to the product key), its
// name, its field and its default with the clamp range of integers.
struct TOptionKey {
    std::string Key;
    std::string Name;
    std::variant<bool TOptionsHolder::*, int32_t TOptionsHolder::*, std::string TOptionsHolder::*> Field;
    bool BoolDefault = false;
    int32_t IntDefault = 0;
    int32_t Min = INT32_MIN;
    int32_t Max = INT32_MAX;
    std::string TextDefault;
    TOptionType Type() const { return static_cast<TOptionType>(Field.index()); }
};

// Every plain value in the order Load and Save visit them; defaults that depend
// on the screen (W x H pixels) or on the moment are computed for that call.
std::vector<TOptionKey> OptionKeyTable(int32_t screenWidth, int32_t screenHeight);

// Today as the stored day index of "LastChkForUpd": year × 365 + month × 31 +
// day. The index is kept for the stored values' sake; it is no day count
// (31 December 2023 and 7 January 2024 share one index), so whoever compares
// dates keeps a true date beside it.
int32_t DayIndexOfToday();

// --- Choosing the store ------------------------------------------------------------

// The store to read the settings from (new, owned by the caller), chosen by the
// switches "dls", "lsi" ("sfn"), "lsr" and the medium the program runs from.
std::unique_ptr<TSettingsStorage> OpenSettingsStorageForLoad();
// Chooses the store for writing ("dss", "ssi", "ssr", the medium) and saves.
void SaveSettings(TOptionsHolder& holder);
void SaveSettingsToRegistry(TOptionsHolder& holder);
void SaveSettingsToIniFile(TOptionsHolder& holder, const std::string& fileName);
// A bare file name in the program folder; a name with a folder stays as it is.
std::string ResolveInProgramFolder(const std::string& fileName);
// The settings file the switches name ("sfn", default "Eldravin.ini") as a full path.
std::string SettingsFileName();

// Whether the program runs from removable or CD-ROM media. The default asks the
// drive type of the program folder; tests install their own answer. Returns
// the previous query.
using TRemovableMediaQuery = std::function<bool()>;
TRemovableMediaQuery SetRemovableMediaQuery(TRemovableMediaQuery query);
bool ProgramOnRemovableMedia();

// The dotted version text as one number: a × 10000000 + b × 100000 + c × 1000
// + d, any further part added with weight 1.
int32_t VersionNumberOf(const std::string& dotted);
