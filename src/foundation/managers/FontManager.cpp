#include "foundation/managers/FontManager.h"

#include "foundation/managers/KerningPairsManager.h"
#include "foundation/MessageDlg.h"
#include "foundation/settings/SettingsStorage.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/CodePageRoutines.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cmath>

namespace {

std::unique_ptr<TFontManager> g_Manager;
const TFontFamilyResolver* g_PreviousResolver = nullptr;

// Face names compare ignoring the case of the letters a to z only.
unsigned char FoldAscii(char c)
{
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

int CompareNames(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldAscii(a[i]);
        const unsigned char cb = FoldAscii(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameName(std::string_view a, std::string_view b)
{
    return CompareNames(a, b) == 0;
}

// The screen's context for enumeration, released on every way out.
class TScreenDC {
public:
    TScreenDC() : FDC(GetScreenDC()) {}
    ~TScreenDC() { ReleaseDC(FDC); }
    TScreenDC(const TScreenDC&) = delete;
    TScreenDC& operator=(const TScreenDC&) = delete;
    HDC Handle() const { return FDC; }

private:
    HDC FDC;
};

}  // namespace

bool SameFontDescription(const TCharFormat& cached, const TCharFormat& description, int32_t height)
{
    if (cached[cfFont] != description[cfFont] || cached[cfSize] != height)
        return false;
    for (int i = cfBold; i <= cfUnderline; ++i)
        if (cached[i] != description[i])
            return false;
    return cached[cfHorizontalScale] == description[cfHorizontalScale];
}

// --- TRegisteredFont ---

std::string TRegisteredFont::GetFaceName(const TFontManager& manager) const
{
    if (Installed && FamilyIndex >= 0 && FamilyIndex < manager.FamilyCount())
        return manager.Families(FamilyIndex).Name;
    return FaceName;
}

// --- TSharedFont ---

TSharedFont::TSharedFont(TFontManager& manager, const TCharFormat& description, int32_t height, HDC dc)
    : Description(description)
{
    Description[cfSize] = height;
    LOGFONT font;
    manager.CharFormatToLogFont(Description, font);
    // Lines are drawn by the painter, not by the font.
    font.lfUnderline = 0;
    font.lfStrikeOut = 0;
    Recreate(font, dc);
    SharedManagersHost().AddEntropy(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(Handle)));

    const int32_t scale = Description[cfHorizontalScale];
    if (scale != 100 && scale != NotSet) {
        font.lfWidth = std::max<int32_t>(
            1, static_cast<int32_t>(std::lround(static_cast<double>(Metrics.tmAveCharWidth) * scale / 100.0)));
        Recreate(font, dc);
    }

    // The face the system actually used.
    const TRegisteredFont* registered = manager.FindFont(Description[cfFont]);
    const std::string actual = GetTextFace(dc);
    const std::string requested = font.lfFaceName;
    if (SameName(actual, requested)) {
        // A face that is no installed family (a screen font the enumeration
        // left out) is replaced by Arial. A face the system gave earlier for
        // this one is its substitute and stays, so that the font is the same
        // each time it is realised.
        if (registered && !registered->Installed && SameName(requested, registered->FaceName)) {
            font.lfFaceName = "Arial";
            Recreate(font, dc);
        }
    } else if (manager.Flags & TFontManager::RetryWithDefaultCharset) {
        if (font.lfCharSet != ANSI_CHARSET && font.lfCharSet != DEFAULT_CHARSET) {
            font.lfCharSet = DEFAULT_CHARSET;
            Recreate(font, dc);
        }
    } else if (font.lfCharSet == ANSI_CHARSET || font.lfCharSet == DEFAULT_CHARSET) {
        manager.RecordSubstitution(requested, actual);
    } else {
        font.lfCharSet = DEFAULT_CHARSET;
        Recreate(font, dc);
        const std::string second = GetTextFace(dc);
        if (!SameName(second, requested))
            manager.RecordSubstitution(requested, second);
    }

    Ascent = Metrics.tmAscent;
    Descent = Metrics.tmDescent + Metrics.tmExternalLeading;
    if (!GetCharWidth32(dc, 0, 255, Widths))
        std::fill(std::begin(Widths), std::end(Widths), 0);
}

TSharedFont::~TSharedFont()
{
    if (Handle)
        DeleteObject(Handle);
}

void TSharedFont::Recreate(const LOGFONT& font, HDC dc)
{
    HFONT created = CreateFontIndirect(font);
    SelectObject(dc, created);
    if (Handle)
        DeleteObject(Handle);
    Handle = created;
    if (!GetTextMetrics(dc, &Metrics))
        Metrics = TEXTMETRIC{};
}

int32_t TSharedFont::GetTextWidth(std::string_view text) const
{
    int32_t width = 0;
    for (char c : text)
        width += Widths[static_cast<uint8_t>(c)];
    return width;
}

HFONT TSharedFont::DetachHandle()
{
    HFONT handle = Handle;
    Handle = nullptr;
    return handle;
}

// --- TFontManager ---

TFontManager::TFontManager() : FFavourites(std::make_unique<TStringList>())
{
    FFavourites->SetSorted(true);
    EnumerateFamilies();
    RebuildRegisteredFonts();
    RegisterAllFaces();

    const uint8_t charset = DefaultCharset();
    FArialIndex = GetFontIndex("Arial", charset, false, 0x20);
    FTimesIndex = GetFontIndex("Times New Roman", charset, false, 0x10);
    FSymbolIndex = GetFontIndex("Symbol", SYMBOL_CHARSET, false, 0);
    DefaultCharFormat()[cfFont] = FTimesIndex;
    PresetCharFormat()[cfFont] = FArialIndex;
    PresetBoldCharFormat()[cfFont] = FArialIndex;
}

TFontManager::~TFontManager()
{
    FCurrent = nullptr;
}

void TFontManager::EnumerateFamilies()
{
    FFamilies.clear();
    TScreenDC screen;
    LOGFONT filter;
    filter.lfCharSet = DEFAULT_CHARSET;
    std::string previous;
    EnumFontFamiliesEx(screen.Handle(), filter,
                       [this, &previous](const ENUMLOGFONTEX& font, const TEXTMETRIC& metrics, uint32_t) {
                           const LOGFONT& lf = font.elfLogFont;
                           if ((metrics.tmPitchAndFamily & TMPF_VECTOR) && lf.lfCharSet != OEM_CHARSET &&
                               lf.lfFaceName != previous) {
                               FFamilies.push_back({lf.lfFaceName, lf.lfCharSet, lf.lfPitchAndFamily, 0});
                               previous = lf.lfFaceName;
                           }
                           return 1;
                       });
    std::stable_sort(FFamilies.begin(), FFamilies.end(),
                     [](const TFontFamily& a, const TFontFamily& b) { return CompareNames(a.Name, b.Name) < 0; });
}

void TFontManager::RebuildRegisteredFonts()
{
    for (auto& font : FFonts) {
        font->Installed = 0;
        font->FamilyIndex = -1;
        for (int32_t f = 0; f < FamilyCount(); ++f) {
            if (SameName(font->FaceName, FFamilies[static_cast<size_t>(f)].Name)) {
                font->Installed = 1;
                font->FamilyIndex = f;
                FFamilies[static_cast<size_t>(f)].Used = 1;
                break;
            }
        }
    }
    for (int32_t f = 0; f < FamilyCount(); ++f) {
        TFontFamily& family = FFamilies[static_cast<size_t>(f)];
        if (family.Used)
            continue;
        auto font = std::make_unique<TRegisteredFont>();
        font->Installed = 1;
        font->FamilyIndex = f;
        font->FontNumber = FNextFontNumber++;
        font->FaceName = family.Name;
        font->RequestedCharset = family.Charset;
        font->CreateCharset = family.Charset;
        font->PitchAndFamily = family.PitchAndFamily;
        FFonts.push_back(std::move(font));
        family.Used = 1;
    }
}

void TFontManager::RegisterAllFaces()
{
    struct TFace {
        std::string Name;
        uint8_t Charset;
        uint8_t PitchAndFamily;
    };
    std::vector<TFace> faces;
    TScreenDC screen;
    LOGFONT filter;
    filter.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesEx(screen.Handle(), filter,
                       [&faces](const ENUMLOGFONTEX& font, const TEXTMETRIC& metrics, uint32_t) {
                           if (metrics.tmPitchAndFamily & TMPF_VECTOR)
                               faces.push_back({font.elfLogFont.lfFaceName, font.elfLogFont.lfCharSet,
                                                font.elfLogFont.lfPitchAndFamily});
                           return 1;
                       });
    Flags |= EnumeratingFonts;
    for (const TFace& face : faces)
        GetFontIndex(face.Name, face.Charset, true, face.PitchAndFamily);
    Flags &= static_cast<uint8_t>(~EnumeratingFonts);
}

int32_t TFontManager::FindFamily(std::string_view name) const
{
    // Binary search over the sorted families.
    int32_t low = 0;
    int32_t high = FamilyCount() - 1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const int c = CompareNames(FFamilies[static_cast<size_t>(middle)].Name, name);
        if (c == 0)
            return middle;
        if (c < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

int32_t TFontManager::AppendFont(std::unique_ptr<TRegisteredFont> font)
{
    FFonts.push_back(std::move(font));
    return RegisteredFontCount() - 1;
}

int32_t TFontManager::GetFontIndex(const std::string& face, int32_t charset, bool retry, uint8_t pitchAndFamily)
{
    std::string name = face;
    int32_t family = FindFamily(name);
    if (family == -1 && retry) {
        const size_t space = name.rfind(' ');
        if (space != std::string::npos) {
            const std::string shorter = name.substr(0, space);
            family = FindFamily(shorter);
            if (family != -1)
                name = shorter;
        }
    }

    int32_t number = -1;
    if (family == -1) {
        // A face that is not installed: its entry in that set, or another
        // set's entry whose number the new variant shares.
        // Any set: as for a family, the face's first entry, else the user's set.
        for (int32_t i = 0; i < RegisteredFontCount(); ++i) {
            const TRegisteredFont& font = *FFonts[static_cast<size_t>(i)];
            if (!font.Installed && SameName(font.FaceName, name)) {
                if (charset == NotSet || font.RequestedCharset == charset)
                    return i;
                // The variant in the set asked for may come later.
                if (number == -1)
                    number = font.FontNumber;
            }
        }
        if (charset == NotSet)
            charset = DefaultCharset();
    } else if (charset == NotSet) {
        for (int32_t i = 0; i < RegisteredFontCount(); ++i) {
            const TRegisteredFont& font = *FFonts[static_cast<size_t>(i)];
            if (font.FamilyIndex == family && SameName(font.FaceName, name))
                return i;
        }
        charset = DefaultCharset();
    }
    if (family != -1) {
        for (int32_t i = RegisteredFontCount() - 1; i >= 0; --i) {
            const TRegisteredFont& font = *FFonts[static_cast<size_t>(i)];
            if (font.FamilyIndex != family)
                continue;
            if (font.RequestedCharset == charset)
                return i;
            number = font.FontNumber;
        }
    }

    const uint8_t set = static_cast<uint8_t>(charset);
    if (family != -1) {
        const uint8_t familySet = FFamilies[static_cast<size_t>(family)].Charset;
        // A symbol family is only ever used in the symbol set, and the symbol
        // set only with a symbol family.
        if (familySet == SYMBOL_CHARSET && set != SYMBOL_CHARSET)
            return GetFontIndex(name, SYMBOL_CHARSET, false, pitchAndFamily);
        if (set == SYMBOL_CHARSET && familySet != SYMBOL_CHARSET && DefaultCharset() != SYMBOL_CHARSET)
            return GetFontIndex(name, DefaultCharset(), false, pitchAndFamily);
    }
    auto font = std::make_unique<TRegisteredFont>();
    font->FontNumber = number != -1 ? number : FNextFontNumber++;
    font->FaceName = name;
    font->FamilyIndex = family;
    font->Installed = family != -1 ? 1 : 0;
    font->RequestedCharset = set;
    font->CreateCharset = set;
    font->PitchAndFamily = pitchAndFamily;
    return AppendFont(std::move(font));
}

int32_t TFontManager::GetCharsetVariant(int32_t number, uint8_t charset)
{
    int32_t first = -1;
    for (int32_t i = 0; i < RegisteredFontCount() && first == -1; ++i)
        if (FFonts[static_cast<size_t>(i)]->FontNumber == number)
            first = i;
    if (first == -1)
        return -1;
    const TRegisteredFont& base = *FFonts[static_cast<size_t>(first)];
    if (base.Installed && base.FamilyIndex >= 0 && base.FamilyIndex < FamilyCount()) {
        const uint8_t familySet = FFamilies[static_cast<size_t>(base.FamilyIndex)].Charset;
        if ((charset == SYMBOL_CHARSET) != (familySet == SYMBOL_CHARSET))
            charset = familySet;
    }
    for (int32_t i = first; i < RegisteredFontCount(); ++i) {
        const TRegisteredFont& font = *FFonts[static_cast<size_t>(i)];
        if (font.FontNumber == number && font.RequestedCharset == charset)
            return i;
    }
    auto variant = std::make_unique<TRegisteredFont>(base);
    variant->RequestedCharset = charset;
    return AppendFont(std::move(variant));
}

int32_t TFontManager::IndexOfFamily(std::string_view name) const
{
    for (int32_t i = FamilyCount() - 1; i >= 0; --i)
        if (SameName(FFamilies[static_cast<size_t>(i)].Name, name))
            return i;
    return -1;
}

int32_t TFontManager::IndexOfFont(std::string_view name) const
{
    for (int32_t i = 0; i < RegisteredFontCount(); ++i)
        if (SameName(FFonts[static_cast<size_t>(i)]->FaceName, name))
            return i;
    return -1;
}

const TRegisteredFont* TFontManager::FindFont(int32_t index) const
{
    return index >= 0 && index < RegisteredFontCount() ? FFonts[static_cast<size_t>(index)].get() : nullptr;
}

void TFontManager::RegisterFontTable(std::vector<TDocFontEntry>& table)
{
    for (TDocFontEntry& entry : table)
        entry.Index = GetFontIndex(entry.Name, entry.Charset, true, static_cast<uint8_t>(entry.Pitch | entry.Family));
}

bool TFontManager::ValidateFontName(int32_t& index, const std::string& typed)
{
    const bool set = index != NotSet;
    if (set && typed.empty()) {
        ShowWarning("La zone de nom de police ne peut pas être laissée en blanc.");
        return false;
    }
    if (!typed.empty() && IndexOfFont(typed) == -1) {
        const int32_t answer = ShowMessageDlgPreset(
            Format("La police \"%s\" est absente de la liste des polices installées. Voulez-vous utiliser cette "
                   "police quand même ?",
                   {typed}),
            mtWarning, 10);
        // Declined (the preset's buttons may be Yes and No, or Yes and Cancel).
        if (answer == mrCancel || answer == mrNo)
            return false;
    }
    if (!typed.empty()) {
        const TRegisteredFont* previous = set ? FindFont(index) : nullptr;
        index = GetFontIndex(typed, previous ? previous->RequestedCharset : 0, true, 0x20);
    }
    return true;
}

void TFontManager::GetFontNames(TStrings& names) const
{
    names.Clear();
    std::vector<bool> listed(FFamilies.size(), false);
    for (int32_t i = 0; i < FFavourites->Count(); ++i) {
        const std::string& name = FFavourites->Strings(i);
        const int32_t family = IndexOfFamily(name);
        if (family == -1)
            continue;
        names.AddObject(name, ObjectFromInt(family));
        listed[static_cast<size_t>(family)] = true;
    }
    if (SharedManagersHost().FavouriteFontsOnly())
        return;
    for (int32_t f = 0; f < FamilyCount(); ++f)
        if (!listed[static_cast<size_t>(f)])
            names.AddObject(FFamilies[static_cast<size_t>(f)].Name, ObjectFromInt(f));
}

void TFontManager::LoadFontHistory(TSettingsStorage& store)
{
    const std::string text = store.ReadLongString("FontHistory", "Arial||Times New Roman||Verdana");
    FFavourites->Clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find("||", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string name = text.substr(start, end - start);
        if (!name.empty())
            FFavourites->Add(name);
        start = end + 2;
    }
}

void TFontManager::SaveFontHistory(TSettingsStorage& store) const
{
    std::string text;
    for (int32_t i = 0; i < FFavourites->Count(); ++i) {
        if (i > 0)
            text += "||";
        text += FFavourites->Strings(i);
    }
    store.WriteLongString("FontHistory", text);
}

std::string TFontManager::SubstituteOf(std::string_view face) const
{
    for (size_t i = 0; i < FRequestedFaces.size(); ++i)
        if (SameName(FRequestedFaces[i], face))
            return FSubstitutedFaces[i];
    return {};
}

void TFontManager::RecordSubstitution(const std::string& requested, const std::string& actual)
{
    if (requested.empty())
        return;  // the system's default face was asked for: nothing was replaced
    for (const std::string& face : FRequestedFaces)
        if (SameName(face, requested))
            return;
    FRequestedFaces.push_back(requested);
    FSubstitutedFaces.push_back(actual);
}

void TFontManager::CharFormatToLogFont(const TCharFormat& description, LOGFONT& font) const
{
    font = LOGFONT{};
    font.lfHeight = description[cfSize];
    font.lfWeight = description[cfBold] == NotSet ? 400 : description[cfBold] * 300 + 400;
    font.lfItalic = description[cfItalic] == NotSet ? 0 : static_cast<uint8_t>(description[cfItalic]);
    font.lfUnderline = description[cfUnderline] == NotSet ? 0 : static_cast<uint8_t>(description[cfUnderline]);
    font.lfStrikeOut = description[cfStrikeOut] == NotSet ? 0 : static_cast<uint8_t>(description[cfStrikeOut]);
    // An index that names no registered font (a damaged document) is realised
    // with the program's default font.
    const TRegisteredFont* registered = FindFont(description[cfFont]);
    if (!registered)
        registered = FindFont(DefaultCharFormat()[cfFont]);
    if (!registered)
        return;
    font.lfCharSet = registered->CreateCharset;
    std::string face;
    if (registered->Installed) {
        face = registered->GetFaceName(*this);
    } else {
        face = SubstituteOf(registered->FaceName);
        if (face.empty())
            face = registered->FaceName;
    }
    if (face.size() > LF_FACESIZE - 1)
        face.resize(LF_FACESIZE - 1);
    font.lfFaceName = face;
}

TSharedFont* TFontManager::SelectSharedFont(const TCharFormat& description, int32_t height, bool retry,
                                            bool select, HDC dc)
{
    if (FCurrent && SameFontDescription(FCurrent->Description, description, height)) {
        // Selected already, unless into another context.
        if (select && (!Selected || FSelectedDC != dc)) {
            SelectObject(dc, FCurrent->Handle);
            Selected = 1;
            FSelectedDC = dc;
        }
        return FCurrent;
    }
    for (auto& cached : FCache) {
        if (cached.get() == FCurrent || !SameFontDescription(cached->Description, description, height))
            continue;
        FCurrent = cached.get();
        ++FCurrent->UseCount;
        if (select) {
            SelectObject(dc, FCurrent->Handle);
            Selected = 1;
            FSelectedDC = dc;
        } else {
            Selected = 0;
        }
        return FCurrent;
    }

    if (static_cast<int32_t>(FCache.size()) >= MaxSharedFonts) {
        // The ten before the last go (the cache is kept sorted by use).
        const auto first = FCache.begin() + (MaxSharedFonts - 11);
        const auto last = FCache.begin() + (MaxSharedFonts - 1);
        for (auto it = first; it != last; ++it)
            if (it->get() == FCurrent)
                FCurrent = nullptr;
        FCache.erase(first, last);
    }
    if (retry)
        Flags |= RetryWithDefaultCharset;
    std::unique_ptr<TSharedFont> font;
    try {
        font = std::make_unique<TSharedFont>(*this, description, height, dc);
    } catch (...) {
        Flags &= static_cast<uint8_t>(~RetryWithDefaultCharset);
        throw;
    }
    Flags &= static_cast<uint8_t>(~RetryWithDefaultCharset);
    font->UseCount = 1;
    FCurrent = font.get();
    FCache.insert(FCache.begin(), std::move(font));
    Selected = 1;
    FSelectedDC = dc;
    return FCurrent;
}

void TFontManager::SortSharedFonts()
{
    std::stable_sort(FCache.begin(), FCache.end(),
                     [](const auto& a, const auto& b) { return a->UseCount > b->UseCount; });
}

void TFontManager::RefreshFonts()
{
    RefreshFontDatabase();
    EnumerateFamilies();
    RebuildRegisteredFonts();
    RegisterAllFaces();
    FCurrent = nullptr;
    Selected = 0;
    FSelectedDC = nullptr;
    FCache.clear();
    FRequestedFaces.clear();
    FSubstitutedFaces.clear();
    if (TKerningPairsManager* kerning = GetKerningPairsManager())
        kerning->Clear();
    SharedManagersHost().FontsChanged();
}

int32_t TFontManager::FontFamilyOf(int32_t fontIndex) const
{
    const TRegisteredFont* font = FindFont(fontIndex);
    return font ? font->FamilyIndex : -1;
}

// --- The program-wide instance ---

TFontManager* GetFontManager()
{
    return g_Manager.get();
}

void CreateFontManager()
{
    FreeFontManager();
    g_Manager = std::make_unique<TFontManager>();
    g_PreviousResolver = SetFontFamilyResolver(g_Manager.get());
}

void FreeFontManager()
{
    if (!g_Manager)
        return;
    SetFontFamilyResolver(g_PreviousResolver);
    g_PreviousResolver = nullptr;
    g_Manager.reset();
}

TSharedFont* CurrentSharedFont()
{
    return g_Manager ? g_Manager->CurrentSharedFont() : nullptr;
}
