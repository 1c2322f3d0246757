#include "shell/options/OptionsHolder.h"

#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "foundation/settings/FileList.h"
#include "foundation/settings/IniFile.h"
#include "foundation/settings/RegistryEx.h"
#include "foundation/settings/SettingsStorage.h"
#include "formats/html/HtmlExport.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Windows.h"
#include "proofing/AutocorrectLangOptions.h"
#include "shell/BaseForms.h"
#include "shell/about/VersionInfo.h"

#include <langinfo.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

const char* const SettingsKeyPrefix = "\\Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\";
const char* const DefaultSettingsFileName = "Eldravin.ini";

TOptionsHolder* OptionsHolder = nullptr;

namespace {

TRemovableMediaQuery g_RemovableQuery;

// The logged-on user's name.
std::string WindowsUserName()
{
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name)
        return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

// 0 for a metric locale, else 1 (inch).
int32_t DefaultMeasurements()
{
#ifdef _NL_MEASUREMENT_MEASUREMENT
    const char* m = nl_langinfo(_NL_MEASUREMENT_MEASUREMENT);
    if (m && m[0] == 2)
        return 1;
#endif
    return 0;
}

const char* const kFileExts[] = {
    "ani", "arj", "asp", "avi", "bak", "bat", "bmp", "cab", "cfg", "cgi", "chm", "cod", "com", "css", "cur",
    "dat", "dll", "doc", "dot", "drv", "emf", "exe", "gif", "hlp", "htm", "html", "ico", "inf", "ini", "jpeg",
    "jpg", "js", "lnk", "log", "midi", "mp3", "mpeg", "mpg", "ocx", "pcx", "php", "pif", "pl", "png", "rar",
    "rtf", "shtml", "tga", "tif", "tiff", "tmp", "ttf", "txt", "wav", "wmf", "wmv", "wri", "xls", "xml", "zip"};

std::string DefaultFileExts()
{
    std::string out;
    for (const char* e : kFileExts) {
        if (!out.empty())
            out += "\n";
        out += e;
    }
    return out;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
        text.replace(pos, from.size(), to);
    return text;
}

std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string ToHex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The answers of the optional messages: "00" appended until the text holds 32
// bytes; a pair that is not hexadecimal counts as a zero answer and an odd
// last digit is dropped.
std::vector<uint8_t> OptionalMsgsFromHex(std::string text)
{
    while (text.size() < 2 * static_cast<size_t>(OptionalMessageCount))
        text += "00";
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int hi = HexValue(text[2 * i]);
        const int lo = HexValue(text[2 * i + 1]);
        bytes[i] = hi < 0 || lo < 0 ? 0 : static_cast<uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

// The default of a folder setting: below the program folder, except the
// backup folder, which the program writes and so lies among the user's data.
std::string ProgramSubfolder(const char* name)
{
    if (std::string(name) == "Sauvegardes")
        return IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "Eldravin/" + name;
    return ProgramFolder() + name;
}

// A folder setting: empty means the default folder below the program folder.
std::string LoadFolder(TSettingsStorage& store, const char* name, const char* defaultName)
{
    const std::string stored = store.ReadString(name, "");
    return stored.empty() ? ProgramSubfolder(defaultName) : stored;
}

void SaveFolder(TSettingsStorage& store, const char* name, const std::string& folder, const char* defaultName)
{
    const std::string def = ProgramSubfolder(defaultName);
    const bool isDefault = SameText(ExcludeTrailingPathDelimiter(folder), ExcludeTrailingPathDelimiter(def));
    store.WriteString(name, isDefault ? std::string() : folder);
}

void LoadTable(TOptionsHolder& holder, TSettingsStorage& store, const std::vector<TOptionKey>& table,
               const std::string& key)
{
    for (const TOptionKey& k : table) {
        if (k.Key != key)
            continue;
        switch (k.Type()) {
        case TOptionType::Bool:
            holder.*std::get<0>(k.Field) = store.ReadBool(k.Name, k.BoolDefault);
            break;
        case TOptionType::Int:
            holder.*std::get<1>(k.Field) = store.ReadInteger(k.Name, k.Min, k.IntDefault, k.Max);
            break;
        case TOptionType::Text:
            holder.*std::get<2>(k.Field) = store.ReadString(k.Name, k.TextDefault);
            break;
        }
    }
}

void SaveTable(TOptionsHolder& holder, TSettingsStorage& store, const std::vector<TOptionKey>& table,
               const std::string& key)
{
    for (const TOptionKey& k : table) {
        if (k.Key != key)
            continue;
        switch (k.Type()) {
        case TOptionType::Bool:
            store.WriteBool(k.Name, holder.*std::get<0>(k.Field));
            break;
        case TOptionType::Int:
            store.WriteInteger(k.Name, holder.*std::get<1>(k.Field));
            break;
        case TOptionType::Text:
            store.WriteString(k.Name, holder.*std::get<2>(k.Field));
            break;
        }
    }
}

struct TFileListKey {
    const char* Key;
    std::unique_ptr<TFileList> TOptionsHolder::*List;
};
const TFileListKey kFileLists[] = {
    {"RecentDocs", &TOptionsHolder::RecentDocs},
    {"OpenDoc_Files", &TOptionsHolder::OpenDoc_Files},
    {"SaveDocAs_Files", &TOptionsHolder::SaveDocAs_Files},
    {"InsertDoc_Files", &TOptionsHolder::InsertDoc_Files},
    {"InsertPicture_Folders", &TOptionsHolder::InsertPicture_Folders},
    {"InsertPicture_Files", &TOptionsHolder::InsertPicture_Files},
};

std::string OpenDlgSizeName(int32_t w, int32_t h)
{
    return "OpenDlgSize_" + std::to_string(w) + "x" + std::to_string(h);
}

}  // namespace

// --- day counts -----------------------------------------------------------------------

int32_t DayIndexOfToday()
{
    uint16_t y = 0, m = 0, d = 0;
    DecodeDate(Now(), y, m, d);
    return y * 365 + m * 31 + d;
}

int32_t VersionNumberOf(const std::string& dotted)
{
    static const int32_t weights[] = {10000000, 100000, 1000, 1};
    int64_t total = 0;
    size_t part = 0;
    for (const std::string& p : SplitText(dotted, '.')) {
        const int32_t value = std::atoi(p.c_str());
        total += static_cast<int64_t>(value) * weights[part < 4 ? part : 3];
        ++part;
    }
    return static_cast<int32_t>(total);
}

// --- the table ----------------------------------------------------------------------

std::vector<TOptionKey> OptionKeyTable(int32_t W, int32_t H)
{
    using O = TOptionsHolder;
    std::vector<TOptionKey> t;
    auto b = [&](const char* key, const char* name, bool O::*field, bool def) {
        TOptionKey k;
        k.Key = key;
        k.Name = name;
        k.Field = field;
        k.BoolDefault = def;
        t.push_back(k);
    };
    auto i = [&](const char* key, const char* name, int32_t O::*field, int32_t def, int32_t min, int32_t max) {
        TOptionKey k;
        k.Key = key;
        k.Name = name;
        k.Field = field;
        k.IntDefault = def;
        k.Min = min;
        k.Max = max;
        t.push_back(k);
    };
    auto s = [&](const char* key, const char* name, std::string O::*field, std::string def) {
        TOptionKey k;
        k.Key = key;
        k.Name = name;
        k.Field = field;
        k.TextDefault = std::move(def);
        t.push_back(k);
    };
    constexpr int32_t MIN = INT32_MIN, MAX = INT32_MAX;

    const char* in = "Internal";
    i(in, "RunCount", &O::RunCount, 0, 0, MAX);
    i(in, "StyleListViewKind", &O::StyleListViewKind, 0, 0, 1);
    i(in, "OpenDocDlgFilter", &O::OpenDocDlgFilter, 8, 1, 9);
    i(in, "OpenPictDlgFilter", &O::OpenPictDlgFilter, 14, 1, 15);
    i(in, "SavePictDlgFilter", &O::SavePictDlgFilter, 1, 1, 7);
    s(in, "InitDir", &O::InitDir, GetCurrentDir());
    b(in, "AdviseAtStartUp", &O::AdviseAtStartUp, true);
    i(in, "AdviseCounter", &O::AdviseCounter, 0, 0, MAX);
    i(in, "SavePict_Index", &O::SavePict_Index, 1, 1, 999);
    i(in, "SavePict_Web_Index", &O::SavePict_Web_Index, 1, 1, 99999);
    s(in, "InsSymbol_Font", &O::InsSymbol_Font, "Symbol");
    // The default text language: French until the language settings exist.
    i(in, "InsSymbol_Lang", &O::InsSymbol_Lang, 1036, MIN, MAX);
    i(in, "InsSymbol_Symbol", &O::InsSymbol_Symbol, 32, 32, 255);
    i(in, "BkmkSort", &O::BkmkSort, 1, 0, 1);
    i(in, "LastFntScaleFactor", &O::LastFntScaleFactor, 200, 1, 1000);
    i(in, "PasteSpec_Fmt", &O::PasteSpec_Fmt, 0, MIN, MAX);
    b(in, "ApplyTemplatePreview", &O::ApplyTemplatePreview, true);
    s(in, "LastUsedDocTemplate", &O::LastUsedDocTemplate, "");
    i(in, "Highlight_Color", &O::Highlight_Color, 6, 0, 16);
    i(in, "Font_Color", &O::Font_Color, 2, 0, 16);
    i(in, "LastChkForUpd", &O::LastChkForUpd, DayIndexOfToday(), 0, MAX);
    // The same day as a true day count (days since 30 December 1899), which the
    // "every 30 days" test compares; 0 when an older version stored only the index.
    i(in, "LastChkForUpdDay", &O::LastChkForUpdDay, 0, 0, MAX);
    b(in, "ChkForUpdts", &O::ChkForUpdts, true);
    b(in, "FloatFmtPlt", &O::FloatFmtPlt, false);
    b(in, "FloatFmtPltVsbl", &O::FloatFmtPltVsbl, true);
    i(in, "FloatFmtPlt_x1", &O::FloatFmtPlt_x1, W - 150, 0, 19 * W / 20);
    i(in, "FloatFmtPlt_y1", &O::FloatFmtPlt_y1, H / 4, 0, 17 * H / 20);
    // x2 and y2 are clamped from x1 and y1 as loaded (Load fixes their minimum).
    i(in, "FloatFmtPlt_x2", &O::FloatFmtPlt_x2, W - 150 + 150, MIN, MAX);
    i(in, "FloatFmtPlt_y2", &O::FloatFmtPlt_y2, H / 4 + 184, MIN, MAX);
    i(in, "hlpwnd_x1", &O::hlpwnd_x1, W / 10, MIN, MAX);
    i(in, "hlpwnd_y1", &O::hlpwnd_y1, H / 18, MIN, MAX);
    i(in, "hlpwnd_x2", &O::hlpwnd_x2, 9 * W / 10, MIN, MAX);
    i(in, "hlpwnd_y2", &O::hlpwnd_y2, 17 * H / 18, MIN, MAX);
    b(in, "hlpwnd_max", &O::hlpwnd_max, true);
    i(in, "OpenDlgPreview", &O::OpenDlgPreview, 1, 0, 2);
    i(in, "TemplateDlgPreview", &O::TemplateDlgPreview, 2, 0, 2);
    {
        const int64_t max = static_cast<int64_t>(W) * 65536 + H;
        i(in, "", &O::OpenDlgSize, (W / 2) * 65536 + 2 * H / 3, 0, max > MAX ? MAX : static_cast<int32_t>(max));
        t.back().Name = OpenDlgSizeName(W, H);
    }

    const char* toc = "Internal\\TOC";
    b(toc, "PageNum", &O::Toc_PageNum, true);
    b(toc, "RightAlign", &O::Toc_RightAlign, true);
    i(toc, "TabLeader", &O::Toc_TabLeader, 1, -1, 3);
    i(toc, "Levels", &O::Toc_Levels, 3, 1, 9);
    b(toc, "ShowTitle", &O::Toc_ShowTitle, true);
    s(toc, "Title", &O::Toc_Title, "Table des matières");
    s(toc, "Template", &O::Toc_Template, "");

    const char* env = "Internal\\Envelopes";
    s(env, "LastAddrBook", &O::LastAddrBook, "");
    s(env, "LastAddr", &O::LastAddr, "");
    b(env, "OmitRetAddr", &O::OmitRetAddr, false);
    s(env, "RetAddr", &O::RetAddr, "");
    i(env, "Width", &O::Env_Width, 9184, 1440, 31680);
    i(env, "Height", &O::Env_Height, 6463, 1440, 31680);
    i(env, "DA_Left", &O::DA_Left, 4000, 0, 8000);
    i(env, "DA_Top", &O::DA_Top, 5000, 4000, 8000);
    i(env, "RA_Left", &O::RA_Left, 1000, 0, 8000);
    i(env, "RA_Top", &O::RA_Top, 1000, 0, 2000);
    i(env, "FeedMethod", &O::FeedMethod, 5, 0, 5);
    b(env, "FeedFace", &O::FeedFace, false);

    const char* wnd = "Internal\\MainWnd";
    i(wnd, "State", &O::MainWnd_State, 2, 0, 2);
    i(wnd, "x", &O::MainWnd_x, W / 6, MIN, MAX);
    i(wnd, "y", &O::MainWnd_y, H / 6, MIN, MAX);
    i(wnd, "cx", &O::MainWnd_cx, 4 * W / 6, 350, W);
    i(wnd, "cy", &O::MainWnd_cy, 4 * H / 6, 320, H);

    i("Internal\\FindReplace", "FindTextFlags", &O::FindTextFlags, 0, 0, 255);

    b("NewDocParams", "SpecSymbols", &O::NewDoc_SpecSymbols, false);
    b("NewDocParams", "Maximize", &O::NewDoc_Maximize, true);

    b("Preview", "SpecSymbols", &O::Preview_SpecSymbols, false);
    i("Preview", "ZoomFactor", &O::Preview_ZoomFactor, 100, 10, 500);
    i("Preview", "ZoomKind", &O::Preview_ZoomKind, 4, 0, 4);

    const char* gen = "General";
    b(gen, "NewDocAtStartUp", &O::NewDocAtStartUp, true);
    b(gen, "AlwaysShowTemplWnd", &O::AlwaysShowTemplWnd, false);
    b(gen, "NewDocsContNum", &O::NewDocsContNum, true);
    i(gen, "NewDoc_Index", &O::NewDoc_Index, 1, 1, 99);
    b(gen, "FullPaths", &O::FullPaths, true);
    b(gen, "OfferDocProp", &O::OfferDocProp, false);
    i(gen, "DocsToKeep", &O::DocsToKeep, 10, 0, 30);
    i(gen, "Measurements", &O::Measurements, DefaultMeasurements(), 0, 4);
    b(gen, "FavFonts", &O::FavFonts, false);
    b(gen, "UpdFlds", &O::UpdFlds, true);
    s(gen, "UsrName", &O::UsrName, WindowsUserName());

    i("DefDocTemplates", "DefDocFmt", &O::DefDocFmt, 0, 0, 6);

    const char* view = "View";
    i(view, "PicDrawing", &O::PicDrawing, 0, 0, 1);
    i(view, "SpecSymbTypes", &O::SpecSymbTypes, 31, 0, 255);
    i(view, "FldShading", &O::FldShading, 2, 0, 2);
    i(view, "DocBtnBarAlign", &O::DocBtnBarAlign, 2, 1, 4);
    b(view, "FlatDocBtnBar", &O::FlatDocBtnBar, true);

    const char* edit = "Edit";
    b(edit, "ReplaceSel", &O::ReplaceSel, true);
    b(edit, "Drag&Drop", &O::DragDrop, true);
    b(edit, "GroupUndo", &O::GroupUndo, true);
    b(edit, "UndoAfterSave", &O::UndoAfterSave, true);
    b(edit, "FindWordAtCursor", &O::FindWordAtCursor, true);
    b(edit, "SelWholeWords", &O::SelWholeWords, true);
    b(edit, "StepLikeColumns", &O::StepLikeColumns, false);
    b(edit, "WiseCut&Paste", &O::WiseCutPaste, true);
    b(edit, "DiscrVerScroll", &O::DiscrVerScroll, false);
    b(edit, "FmtWithoutSel", &O::FmtWithoutSel, true);
    b(edit, "TreatURLsAsWords", &O::TreatURLsAsWords, true);
    b(edit, "Click&Type", &O::ClickType, true);
    i(edit, "HLink_ULine", &O::HLink_ULine, 1, MIN, MAX);
    i(edit, "HLink_Color", &O::HLink_Color, 2, 0, 16);

    const char* ls = "LoadSave";
    b(ls, "SuperCmpctSave", &O::SuperCmpctSave, true);
    b(ls, "GetFileNameFromDoc", &O::GetFileNameFromDoc, true);
    b(ls, "SaveCaretPos", &O::SaveCaretPos, false);
    b(ls, "CreateBackup", &O::CreateBackup, false);
    i(ls, "Backup_MaxFiles", &O::Backup_MaxFiles, 5, 0, 9);
    b(ls, "Backup_SepFolders", &O::Backup_SepFolders, true);
    i(ls, "Backup_MinDiff", &O::Backup_MinDiff, 2, 0, 16);
    i(ls, "Backup_MaxAmount", &O::Backup_MaxAmount, 10, 1, MAX);
    i(ls, "AutoSave", &O::AutoSave, 3, 0, 120);
    b(ls, "ReloadDocs", &O::ReloadDocs, true);
    b(ls, "UseDocFolder", &O::UseDocFolder, true);
    i(ls, "ReuseEncPass", &O::ReuseEncPass, 0, 0, 3);
    b(ls, "OpenHLinksInPlace", &O::OpenHLinksInPlace, false);

    const char* pr = "Print";
    b(pr, "Collate", &O::Collate, true);
    b(pr, "TwoSided", &O::TwoSided, false);
    s(pr, "PrnDuplexInfoEx", &O::PrnDuplexInfoEx, "");
    i(pr, "BookletSize", &O::BookletSize, MAX, 4, MAX);
    b(pr, "CutGrid", &O::CutGrid, true);

    const char* calc = "HotCalculator";
    b(calc, "Autodetect", &O::Calc_Autodetect, true);
    b(calc, "Beep", &O::Calc_Beep, true);
    i(calc, "DigitsBeforePoint", &O::DigitsBeforePoint, 10, 1, 18);
    i(calc, "DigitsAfterPoint", &O::DigitsAfterPoint, 6, 1, 18);
    i(calc, "ResHandling", &O::ResHandling, 2, 0, 2);
    i(calc, "SelectedFunc", &O::SelectedFunc, 0, 0, 97);

    i("PageNum", "PageNumPos", &O::PageNumPos, 1, 0, 1);
    i("PageNum", "PageNumAlign", &O::PageNumAlign, 2, 0, 4);
    b("PageNum", "1stPage", &O::PageNum_1stPage, true);

    b("ColorScheme", "SmrtClrs", &O::SmrtClrs, true);

    i("SpellCheck", "Flags", &O::Spell_Flags, 3380, 0, 65535);
    i("SpellCheck", "SuggestQuality", &O::SuggestQuality, 1, 0, 2);

    const char* ac = "Autocorrect";
    b(ac, "AsYouType", &O::AsYouType, true);
    b(ac, "IniCaps", &O::IniCaps, true);
    b(ac, "CapSent", &O::CapSent, true);
    b(ac, "CapsLock", &O::CapsLock, true);
    b(ac, "RmvSpcs", &O::RmvSpcs, true);
    b(ac, "ReplTxt", &O::ReplTxt, true);
    b(ac, "SuperscriptOrdinals", &O::SuperscriptOrdinals, true);
    b(ac, "ScriptFract", &O::ScriptFract, true);
    b(ac, "FmtURL", &O::FmtURL, true);
    b(ac, "SplChkrAdds", &O::SplChkrAdds, false);

    const char* web = "SaveAsWeb";
    s(web, "KWrds", &O::Web_KWrds, "");
    s(web, "Author", &O::Web_Author, WindowsUserName());
    b(web, "SepFldr", &O::Web_SepFldr, true);
    i(web, "BkClr", &O::Web_BkClr, MIN, MIN, MAX);
    s(web, "BkImg", &O::Web_BkImg, "");
    b(web, "RestartImgNum", &O::Web_RestartImgNum, false);
    i(web, "DefImgFmt", &O::Web_DefImgFmt, 1, 0, 3);

    const char* clip = "ClipLib";
    b(clip, "Visible", &O::ClipLib_Visible, false);
    b(clip, "Thumbnails", &O::ClipLib_Thumbnails, true);
    s(clip, "RecentClip", &O::RecentClip, "");
    b(clip, "Preview", &O::ClipLib_Preview, true);
    s(clip, "AddTextClip_RecentFolder", &O::AddTextClip_RecentFolder, "");
    s(clip, "AddGraphicClip_RecentFolder", &O::AddGraphicClip_RecentFolder, "Images");
    b(clip, "ReplaceAsYouType", &O::ReplaceAsYouType, false);
    b(clip, "ShowClipLibPanel", &O::ShowClipLibPanel, true);

    i("DateTime", "LastUsedDateTimeCaseFormat", &O::LastUsedDateTimeCaseFormat, 0, 0, 4);
    b("DateTime", "UpdDtTm", &O::UpdDtTm, false);
    return t;
}

// --- the holder -------------------------------------------------------------------------

TOptionsHolder::TOptionsHolder()
    : RecentDocs(std::make_unique<TFileList>(0)),
      OpenDoc_Files(std::make_unique<TFileList>(0)),
      SaveDocAs_Files(std::make_unique<TFileList>(0)),
      InsertDoc_Files(std::make_unique<TFileList>(0)),
      InsertPicture_Folders(std::make_unique<TFileList>(1)),
      InsertPicture_Files(std::make_unique<TFileList>(0)),
      ColorScheme(std::make_unique<TColorScheme>())
{
    OptionalMsgs.assign(OptionalMessageCount, 0);
    AutocorrectFileExts = DefaultFileExts();
    // Until the start-up sequence reads the last run's version: this one.
    LastRunVer = CurrentVersionNumber();
}

TOptionsHolder::~TOptionsHolder() = default;

void TOptionsHolder::LoadViewProfile(TViewProfile& p, TSettingsStorage& store, bool withMouseMode)
{
    p.MarginBorders = store.ReadBool("MarginBorders", p.MarginBorders);
    p.Ruler = store.ReadBool("Ruler", p.Ruler);
    p.VerRuler = store.ReadBool("VerRuler", p.VerRuler);
    p.Bookmarks = store.ReadBool("Bookmarks", p.Bookmarks);
    p.ScrollBars = static_cast<uint8_t>(store.ReadInteger("ScrollBars", 0, p.ScrollBars, 3));
    p.DocBtnBar = store.ReadBool("DocBtnBar", p.DocBtnBar);
    p.StatusBar = store.ReadBool("StatusBar", p.StatusBar);
    p.MouseMode = withMouseMode ? static_cast<uint8_t>(store.ReadInteger("MouseMode", 0, p.MouseMode, 6)) : 0;
}

void TOptionsHolder::SaveViewProfile(const TViewProfile& p, TSettingsStorage& store, bool withMouseMode)
{
    store.WriteBool("MarginBorders", p.MarginBorders);
    store.WriteBool("Ruler", p.Ruler);
    store.WriteBool("VerRuler", p.VerRuler);
    store.WriteBool("Bookmarks", p.Bookmarks);
    store.WriteInteger("ScrollBars", p.ScrollBars);
    store.WriteBool("DocBtnBar", p.DocBtnBar);
    store.WriteBool("StatusBar", p.StatusBar);
    if (withMouseMode)
        store.WriteInteger("MouseMode", p.MouseMode);
}

void TOptionsHolder::Load(TSettingsStorage& store)
{
    const TSize screen = GetScreenSize();
    const std::vector<TOptionKey> table = OptionKeyTable(screen.cx, screen.cy);
    auto key = [&](const std::string& name) {
        store.OpenKey(name);
        LoadTable(*this, store, table, name);
    };

    key("Internal");
    FloatFmtPlt_x2 = std::max(FloatFmtPlt_x2, FloatFmtPlt_x1);
    FloatFmtPlt_y2 = std::max(FloatFmtPlt_y2, FloatFmtPlt_y1);
    FavFolder = LoadFolder(store, "FavFolder", "Favoris");
    OptionalMsgs = OptionalMsgsFromHex(store.ReadString("OptionalMsgs", ""));
    // File dialogs start in the stored folder. A folder that is gone leaves
    // the current one as it is.
    if (!InitDir.empty())
        SetCurrentDir(InitDir);

    key("Internal\\TOC");
    key("Internal\\Envelopes");
    AddrBookFldr = LoadFolder(store, "AddrBookFldr", "Carnets d'adresses");
    AddrFont = ReplaceAll(store.ReadLongString("Internal\\Envelopes\\AddrFont", ""), "||", "\n");
    EnvDevMode = store.ReadBinary("Internal\\Envelopes\\DEVMODE");
    EnvDevNames = store.ReadBinary("Internal\\Envelopes\\DEVNAMES");

    key("Internal\\MainWnd");
    if (MainWnd_State != 1) {
        if (HasSwitch(clsRestored))
            MainWnd_State = 0;
        if (HasSwitch(clsMaximized))
            MainWnd_State = 2;
    }

    key("Internal\\FindReplace");
    FindHistory.clear();
    ReplaceHistory.clear();
    const int32_t finds = store.ReadInteger("StringsToFind", 0, 0, 20);
    for (int32_t n = 0; n < finds; ++n)
        FindHistory.push_back(store.ReadString("Find_" + std::string(1, static_cast<char>('A' + n)), ""));
    const int32_t replaces = store.ReadInteger("StringsToReplace", 0, 0, 20);
    for (int32_t n = 0; n < replaces; ++n)
        ReplaceHistory.push_back(store.ReadString("Replace_" + std::string(1, static_cast<char>('A' + n)), ""));

    key("NewDocParams");
    key("Preview");
    LoadViewProfile(FullScreenView, store, true);
    if (TFontManager* fonts = GetFontManager())
        fonts->LoadFontHistory(store);

    key("General");
    key("DefDocTemplates");
    for (int n = 0; n < 6; ++n)
        Templates[n] = store.ReadString("Template" + std::to_string(n), Templates[n]);

    for (const TFileListKey& list : kFileLists) {
        store.OpenKey(list.Key);
        (this->*list.List)->Paths().Clear();
        (this->*list.List)->Load(store);
    }

    key("View");
    LoadViewProfile(NormalView, store, false);
    CurrentView = NormalView;

    key("Edit");
    key("LoadSave");
    BackupFolder = LoadFolder(store, "BackupFolder", "Sauvegardes");
    if (!DirectoryExists(BackupFolder))
        ForceDirectories(BackupFolder);
    if (ReloadDocs) {
        DocsToReload = store.ReadString("DocsToReload", "");
        ReloadDoc_ToActivate = store.ReadString("ReloadDoc_ToActivate", "");
    }
    DocFolder = store.ReadString("DocFolder", GetSpecialFolder(5));
    if (!DocFolder.empty())
        DocFolder = IncludeTrailingPathDelimiter(DocFolder);
    CipherStrength = store.ReadBool("CipherStrength", false);

    key("Print");
    PrnDevMode = store.ReadBinary("Print\\DEVMODE");
    PrnDevNames = store.ReadBinary("Print\\DEVNAMES");

    key("HotCalculator");
    key("PageNum");
    key("ColorScheme");
    ColorScheme->SetAsText(store.ReadString("Colors", ""));
    if (TColorManager* colors = GetColorManager())
        colors->ApplyOptionsScheme();
    store.OpenKey("ColorScheme\\UsrSchemes");
    UserSchemes.clear();
    const int32_t schemes = store.ReadInteger("Count", 0, 0, INT32_MAX);
    for (int32_t n = 0; n < schemes; ++n) {
        const std::string name = store.ReadString("Name" + std::to_string(n), "");
        if (name.empty())
            continue;
        auto scheme = std::make_unique<TColorScheme>();
        scheme->Name = name;
        scheme->SetAsText(store.ReadString("Data" + std::to_string(n), ""));
        UserSchemes.push_back(std::move(scheme));
    }

    key("SpellCheck");
    SpellSystems = SplitText(store.ReadString("Systems", ""), ';');
    key("Autocorrect");
    AutocorrectFileExts = ReplaceAll(store.ReadString("FileExts", ReplaceAll(DefaultFileExts(), "\n", "||")), "||", "\n");
    key("SaveAsWeb");
    LoadWebExport(store);
    key("ClipLib");
    ClipLibFolder = LoadFolder(store, "Folder", "Collections d'inserts");

    key("DateTime");
    DateTimeFormats.clear();
    const int32_t count = store.ReadInteger("Count", 0, 0, 65535);
    for (int32_t n = 0; n < count; ++n) {
        store.OpenKey("DateTime\\" + std::to_string(n));
        TLangDateTimeFormatInfo info;
        info.DefDateFmt = store.ReadInteger("DefDateFmt", 0, -1, INT32_MAX);
        info.DefTimeFmt = store.ReadInteger("DefTimeFmt", 0, -1, INT32_MAX);
        info.LastDateFmt = store.ReadInteger("LastDateFmt", 0, -1, INT32_MAX);
        const std::string overrides = ReplaceAll(store.ReadString("Overrides", ""), "||", "\n");
        info.Overrides = SplitText(overrides, '\n');
        info.Lang = store.ReadInteger("Lang", 0, 0, INT32_MAX);
        DateTimeFormats.push_back(std::move(info));
    }
    ApplyAutocorrectSwitches();
    ApplyUpgradeFixes();
}

void TOptionsHolder::ApplyAutocorrectSwitches() const
{
    TAutocorrectSwitches& switches = GetAutocorrectLangOptionsManager().Switches;
    switches.AsYouType = AsYouType;
    switches.InitialCaps = IniCaps;
    switches.SentenceCaps = CapSent;
    switches.CapsLock = CapsLock;
    switches.SpaceRules = RmvSpcs;
    switches.ReplaceText = ReplTxt;
    switches.RaiseOrdinals = SuperscriptOrdinals;
    switches.Fractions = ScriptFract;
    switches.UrlToHyperlink = FmtURL;
    switches.AddSpellReplacements = SplChkrAdds;
}

void TOptionsHolder::Save(TSettingsStorage& store)
{
    const TSize screen = GetScreenSize();
    const std::vector<TOptionKey> table = OptionKeyTable(screen.cx, screen.cy);
    auto key = [&](const std::string& name) {
        store.OpenKey(name);
        SaveTable(*this, store, table, name);
    };

    // What this run writes differs from what it read in a few values.
    const int32_t loadedRunCount = RunCount;
    const std::string loadedInitDir = InitDir;
    ++RunCount;
    if (!UseDocFolder || DocFolder.empty()) {
        InitDir = GetCurrentDir();
        if (IsRemovableDrive(InitDir))
            InitDir = GetSpecialFolder(0);
    } else {
        InitDir = DocFolder;
    }
    key("Internal");
    RunCount = loadedRunCount;
    InitDir = loadedInitDir;
    store.WriteInteger("LastRunVer", CurrentVersionNumber());
    SaveFolder(store, "FavFolder", FavFolder, "Favoris");
    store.WriteString("OptionalMsgs", ToHex(OptionalMsgs));

    key("Internal\\TOC");
    key("Internal\\Envelopes");
    SaveFolder(store, "AddrBookFldr", AddrBookFldr, "Carnets d'adresses");
    store.WriteLongString("Internal\\Envelopes\\AddrFont", ReplaceAll(AddrFont, "\n", "||"));
    store.WriteBinary("Internal\\Envelopes\\DEVMODE", EnvDevMode.data(), EnvDevMode.size());
    store.WriteBinary("Internal\\Envelopes\\DEVNAMES", EnvDevNames.data(), EnvDevNames.size());

    store.OpenKey("Internal\\Menus");
    store.WriteBool("ShowHotKeys", ShowHotKeys);
    store.WriteBinary("Internal\\Menus\\MainMenu_Fr", MainMenuLayout.data(), MainMenuLayout.size());
    if (TFontManager* fonts = GetFontManager())
        fonts->SaveFontHistory(store);
    // The language history belongs to the language manager, which saves it
    // itself once it exists.
    store.WriteBinary("General\\HotKeyOverrides_fr", HotKeyOverrides.data(), HotKeyOverrides.size());

    key("Internal\\MainWnd");
    key("Internal\\FindReplace");
    store.WriteInteger("StringsToFind", static_cast<int32_t>(std::min<size_t>(FindHistory.size(), 20)));
    for (size_t n = 0; n < FindHistory.size() && n < 20; ++n)
        store.WriteString("Find_" + std::string(1, static_cast<char>('A' + n)), FindHistory[n]);
    store.WriteInteger("StringsToReplace", static_cast<int32_t>(std::min<size_t>(ReplaceHistory.size(), 20)));
    for (size_t n = 0; n < ReplaceHistory.size() && n < 20; ++n)
        store.WriteString("Replace_" + std::string(1, static_cast<char>('A' + n)), ReplaceHistory[n]);

    key("NewDocParams");
    key("Preview");
    SaveViewProfile(FullScreenView, store, true);

    key("General");
    store.WriteBool("ShowSplash", ShowSplash);
    key("DefDocTemplates");
    for (int n = 0; n < 6; ++n)
        store.WriteString("Template" + std::to_string(n), Templates[n]);

    for (const TFileListKey& list : kFileLists) {
        store.OpenKey(list.Key);
        (this->*list.List)->Save(store);
    }

    key("View");
    SaveViewProfile(NormalView, store, false);
    key("Edit");
    key("LoadSave");
    SaveFolder(store, "BackupFolder", BackupFolder, "Sauvegardes");
    store.WriteString("DocsToReload", DocsToReload);
    store.WriteString("ReloadDoc_ToActivate", ReloadDoc_ToActivate);
    store.WriteString("DocFolder", DocFolder);

    key("Print");
    store.WriteBinary("Print\\DEVMODE", PrnDevMode.data(), PrnDevMode.size());
    store.WriteBinary("Print\\DEVNAMES", PrnDevNames.data(), PrnDevNames.size());

    key("HotCalculator");
    key("PageNum");
    key("ColorScheme");
    store.WriteString("Colors", ColorScheme->GetAsText());
    store.OpenKey("ColorScheme\\UsrSchemes");
    store.WriteInteger("Count", static_cast<int32_t>(UserSchemes.size()));
    for (size_t n = 0; n < UserSchemes.size(); ++n) {
        store.WriteString("Name" + std::to_string(n), UserSchemes[n]->Name);
        store.WriteString("Data" + std::to_string(n), UserSchemes[n]->GetAsText());
    }

    key("SpellCheck");
    std::string systems;
    for (const std::string& s : SpellSystems)
        systems += (systems.empty() ? "" : ";") + s;
    store.WriteString("Systems", systems);
    key("Autocorrect");
    store.WriteString("FileExts", ReplaceAll(AutocorrectFileExts, "\n", "||"));
    SaveWebExport();
    key("SaveAsWeb");
    store.WriteInteger("ImgCounter", WebExportSettings().PictureCounter);
    key("ClipLib");
    SaveFolder(store, "Folder", ClipLibFolder, "Collections d'inserts");

    key("DateTime");
    int32_t saved = 0;
    for (const TLangDateTimeFormatInfo& info : DateTimeFormats)
        saved += info.ToSave ? 1 : 0;
    store.WriteInteger("Count", saved);
    int32_t n = 0;
    for (const TLangDateTimeFormatInfo& info : DateTimeFormats) {
        if (!info.ToSave)
            continue;
        store.OpenKey("DateTime\\" + std::to_string(n++));
        store.WriteInteger("Lang", info.Lang);
        store.WriteInteger("DefDateFmt", info.DefDateFmt);
        store.WriteInteger("DefTimeFmt", info.DefTimeFmt);
        store.WriteInteger("LastDateFmt", info.LastDateFmt);
        std::string overrides;
        for (size_t k = 0; k < info.Overrides.size(); ++k)
            overrides += (k ? "||" : "") + info.Overrides[k];
        store.WriteString("Overrides", overrides);
    }
    // The autocorrection options of the languages that changed; the
    // hyphenation manager saves its own here once it is wired.
    GetAutocorrectLangOptionsManager().SaveToStorage(store);
}

void TOptionsHolder::ApplyUpgradeFixes()
{
    const int32_t v = LastRunVer;
    if (v < 10102010)
        OpenPictDlgFilter = 14;
    // The autocorrection list fix (below 10501000) is the autocorrection
    // manager's, and the file-type keys (below 10102012 and the icon update)
    // are the shell registration's: each applies its own once it exists.
    // Nothing here deletes files in system folders.
}

// --- choosing the store ------------------------------------------------------------------

TRemovableMediaQuery SetRemovableMediaQuery(TRemovableMediaQuery query)
{
    TRemovableMediaQuery previous = std::move(g_RemovableQuery);
    g_RemovableQuery = std::move(query);
    return previous;
}

bool ProgramOnRemovableMedia()
{
    if (g_RemovableQuery)
        return g_RemovableQuery();
    return IsRemovableDrive(ProgramFolder());
}

std::string ResolveInProgramFolder(const std::string& fileName)
{
    if (!ExtractFilePath(fileName).empty())
        return fileName;
    return ProgramFolder() + fileName;
}

std::string SettingsFileName()
{
    return ResolveInProgramFolder(GetSwitchValue(clsSettingsFileName, DefaultSettingsFileName));
}

std::unique_ptr<TSettingsStorage> OpenSettingsStorageForLoad()
{
    std::unique_ptr<TSettingsStorage> store;
    if (HasSwitch(clsDontLoadSettings)) {
        store = std::make_unique<TSettingsStorage>();
    } else if (HasSwitch(clsLoadSettingsFromIni)) {
        const std::string file = SettingsFileName();
        if (!FileExists(file)) {
            ShowErrorBox("Impossible d'ouvrir le fichier \"" + file + "\".");
            store = std::make_unique<TSettingsStorage>();
        } else {
            store = std::make_unique<TIniFile>(file, false);
        }
    } else if (HasSwitch(clsLoadSettingsFromReg)) {
        store = std::make_unique<TRegistryEx>();
    } else if (ProgramOnRemovableMedia() && FileExists(SettingsFileName())) {
        store = std::make_unique<TIniFile>(SettingsFileName(), false);
    } else {
        store = std::make_unique<TRegistryEx>();
    }
    store->Prefix = SettingsKeyPrefix;
    return store;
}

void SaveSettingsToRegistry(TOptionsHolder& holder)
{
    TRegistryEx store;
    store.Prefix = SettingsKeyPrefix;
    holder.Save(store);
    store.Flush();
}

void SaveSettingsToIniFile(TOptionsHolder& holder, const std::string& fileName)
{
    holder.Flags |= TOptionsHolder::SavingToIniFile;
    try {
        TIniFile store(fileName, true);
        store.Prefix = SettingsKeyPrefix;
        holder.Save(store);
        store.Flush();
    } catch (...) {
        holder.Flags &= static_cast<uint8_t>(~TOptionsHolder::SavingToIniFile);
        throw;
    }
    holder.Flags &= static_cast<uint8_t>(~TOptionsHolder::SavingToIniFile);
}

void SaveSettings(TOptionsHolder& holder)
{
    if (HasSwitch(clsDontSaveSettings))
        return;
    if (HasSwitch(clsSaveSettingsToIni))
        SaveSettingsToIniFile(holder, SettingsFileName());
    else if (HasSwitch(clsSaveSettingsToReg))
        SaveSettingsToRegistry(holder);
    else if (ProgramOnRemovableMedia())
        SaveSettingsToIniFile(holder, SettingsFileName());
    else
        SaveSettingsToRegistry(holder);
}

// --- The web-page export's settings ------------------------------------------------------

void TOptionsHolder::LoadWebExport(TSettingsStorage& store)
{
    // The export works from its own record: it gets the values just read,
    // and the picture counter kept beside them.
    TWebExportSettings& web = WebExportSettings();
    web.Keywords = Web_KWrds;
    web.Author = Web_Author;
    web.SeparateFolder = Web_SepFldr;
    web.BackgroundColor = Web_BkClr;
    web.BackgroundImage = Web_BkImg;
    web.RestartNumbering = Web_RestartImgNum;
    web.DefaultFormat = static_cast<uint8_t>(Web_DefImgFmt);
    web.PictureCounter = store.ReadInteger("ImgCounter", 0, 0, 99999);
}

void TOptionsHolder::SaveWebExport()
{
    const TWebExportSettings& web = WebExportSettings();
    Web_KWrds = web.Keywords;
    Web_Author = web.Author;
    Web_SepFldr = web.SeparateFolder;
    Web_BkClr = web.BackgroundColor;
    Web_BkImg = web.BackgroundImage;
    Web_RestartImgNum = web.RestartNumbering;
    Web_DefImgFmt = web.DefaultFormat;
}
