#pragma once
// Shared fonts. TFontManager is the program-wide registry of fonts: it knows
// the installed families, gives every face name that the program or a
// document uses a registered-font entry (whose index is what character format
// slot cfFont stores), keeps a cache of at most 40 realised fonts with their
// metrics and widths for layout and painting, remembers which requested faces
// the system replaced by another, and keeps the user's favourite fonts
// ("FontHistory"), which font lists show first.
#include "foundation/CharFormat.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TFontManager;
class TSettingsStorage;
class TStringList;
class TStrings;

// One installed family, as enumeration first reported it.
struct TFontFamily {
    std::string Name;
    uint8_t Charset = 0;
    uint8_t PitchAndFamily = 0;
    // A registered font uses the family.
    uint8_t Used = 0;
};

// One face with one character set, as the program uses it.
struct TRegisteredFont {
    uint8_t Installed = 0;
    // Index into the family list; -1 when the face is not installed.
    int32_t FamilyIndex = -1;
    // Variants of one face in other character sets share the number.
    int32_t FontNumber = 0;
    std::string FaceName;
    // The set the entry is found under, and the one fonts are created with.
    uint8_t RequestedCharset = 0;
    uint8_t CreateCharset = 0;
    uint8_t PitchAndFamily = 0;
    // The document writers' working marks: the font is used, and its number
    // in the file being written (NotSet outside a write).
    int32_t WriterUsed = NotSet;
    int32_t WriterFontNumber = NotSet;

    // The family's name for an installed face, else the entry's own.
    std::string GetFaceName(const TFontManager& manager) const;
};

// One font of a document's font table, as a reader found it, and the
// registered font that the manager gives it.
struct TDocFontEntry {
    std::string Name;
    uint8_t Charset = 0;
    uint8_t Pitch = 0;
    uint8_t Family = 0;
    int32_t Index = -1;
};

// A realised font with its metrics and the widths of the 256 bytes.
class TSharedFont {
public:
    // Realises the description (cfHeight holds the size, replaced by height
    // in device units) on the device context, leaving it selected there.
    TSharedFont(TFontManager& manager, const TCharFormat& description, int32_t height, HDC dc);
    ~TSharedFont();
    TSharedFont(const TSharedFont&) = delete;
    TSharedFont& operator=(const TSharedFont&) = delete;

    // Owned; null once detached.
    HFONT Handle = nullptr;
    // The description it was made from, slot cfSize holding the height.
    TCharFormat Description{};
    TEXTMETRIC Metrics{};
    int32_t Ascent = 0;
    // Descent plus external leading.
    int32_t Descent = 0;
    int32_t Widths[256] = {};
    int32_t UseCount = 0;

    // The sum of the widths of the text's characters.
    int32_t GetTextWidth(std::string_view text) const;
    // Gives the font handle to the caller, who deletes it.
    HFONT DetachHandle();

private:
    void Recreate(const LOGFONT& font, HDC dc);
};

class TFontManager : public TFontFamilyResolver {
public:
    // Enumerates the installed families on the screen, registers every face
    // and character set, and gives the program's default character formats
    // their fonts (Times New Roman, Arial).
    TFontManager();
    ~TFontManager() override;
    TFontManager(const TFontManager&) = delete;
    TFontManager& operator=(const TFontManager&) = delete;

    static constexpr int32_t MaxSharedFonts = 40;
    // Flag bits.
    static constexpr uint8_t EnumeratingFonts = 1;
    static constexpr uint8_t RetryWithDefaultCharset = 2;

    // The registered font of the face and character set (NotSet: any),
    // registering it when needed. With retry, a face that names no family
    // is tried once more without its last word ("Liberation Sans Bold").
    int32_t GetFontIndex(const std::string& face, int32_t charset, bool retry, uint8_t pitchAndFamily);
    // The variant of font number number in the character set.
    int32_t GetCharsetVariant(int32_t number, uint8_t charset);
    // Names compare ignoring the case of the letters a to z. The last family
    // of that name, or -1.
    int32_t IndexOfFamily(std::string_view name) const;
    // The first registered font of that face name, or -1.
    int32_t IndexOfFont(std::string_view name) const;
    // Gives every entry its registered font.
    void RegisterFontTable(std::vector<TDocFontEntry>& table);
    // Checks a font name typed in a dialog and stores its font in index (see
    // the messages); false when refused.
    bool ValidateFontName(int32_t& index, const std::string& typed);
    // The installed favourite fonts first, then, unless the options limit the
    // lists to the favourites, every other installed family; each name with
    // its family index as object.
    void GetFontNames(TStrings& names) const;
    // The favourites as the long string "FontHistory", names joined by "||".
    void LoadFontHistory(TSettingsStorage& store);
    void SaveFontHistory(TSettingsStorage& store) const;

    // The cached font of the description at the height (made on first use),
    // which becomes the current shared font; selected into the device context
    // when asked (a new font always is).
    TSharedFont* SelectSharedFont(const TCharFormat& description, int32_t height, bool retry, bool select, HDC dc);
    // Most used first.
    void SortSharedFonts();
    // After the installed fonts changed: families and registered fonts
    // rebuilt, every cache emptied, open documents laid out again.
    void RefreshFonts();
    // The logical font of a description (slot cfSize holding the height).
    void CharFormatToLogFont(const TCharFormat& description, LOGFONT& font) const;

    int32_t FamilyCount() const { return static_cast<int32_t>(FFamilies.size()); }
    const TFontFamily& Families(int32_t index) const { return FFamilies.at(static_cast<size_t>(index)); }
    int32_t RegisteredFontCount() const { return static_cast<int32_t>(FFonts.size()); }
    const TRegisteredFont& RegisteredFonts(int32_t index) const { return *FFonts.at(static_cast<size_t>(index)); }
    TRegisteredFont& RegisteredFonts(int32_t index) { return *FFonts.at(static_cast<size_t>(index)); }
    // The registered font of an index, null when it names none.
    const TRegisteredFont* FindFont(int32_t index) const;
    int32_t ArialIndex() const { return FArialIndex; }
    int32_t TimesIndex() const { return FTimesIndex; }
    int32_t SymbolIndex() const { return FSymbolIndex; }
    // Sorted by name without regard to case.
    TStringList& Favourites() { return *FFavourites; }
    const TStringList& Favourites() const { return *FFavourites; }

    // The face the system gave for a requested face (empty when none was
    // recorded), and the number of recorded substitutions.
    std::string SubstituteOf(std::string_view face) const;
    int32_t SubstitutionCount() const { return static_cast<int32_t>(FRequestedFaces.size()); }
    // Records that the system gave actual for requested (once per face).
    void RecordSubstitution(const std::string& requested, const std::string& actual);

    int32_t SharedFontCount() const { return static_cast<int32_t>(FCache.size()); }
    TSharedFont& SharedFonts(int32_t index) { return *FCache.at(static_cast<size_t>(index)); }
    // The last font SelectSharedFont returned; null after a refresh.
    TSharedFont* CurrentSharedFont() const { return FCurrent; }
    // The current font is selected in the device context last given.
    uint8_t Selected = 0;
    uint8_t Flags = 0;

    int32_t FontFamilyOf(int32_t fontIndex) const override;

private:
    void EnumerateFamilies();
    void RebuildRegisteredFonts();
    void RegisterAllFaces();
    int32_t FindFamily(std::string_view name) const;
    int32_t AppendFont(std::unique_ptr<TRegisteredFont> font);

    std::vector<std::unique_ptr<TSharedFont>> FCache;
    TSharedFont* FCurrent = nullptr;
    HDC FSelectedDC = nullptr;
    std::vector<std::string> FRequestedFaces;
    std::vector<std::string> FSubstitutedFaces;
    int32_t FNextFontNumber = 0;
    int32_t FArialIndex = -1;
    int32_t FTimesIndex = -1;
    int32_t FSymbolIndex = -1;
    std::unique_ptr<TStringList> FFavourites;
    std::vector<TFontFamily> FFamilies;
    std::vector<std::unique_ptr<TRegisteredFont>> FFonts;
};

// A realised font of the cached description (slot cfSize holding the height)
// serves the description at the height: same font index, height, bold,
// italic, strike-outs, underline and horizontal scale.
bool SameFontDescription(const TCharFormat& cached, const TCharFormat& description, int32_t height);

// The program-wide instance; null outside CreateFontManager and
// FreeFontManager. While it exists it tells the character formats which
// fonts belong to one family.
TFontManager* GetFontManager();
void CreateFontManager();
void FreeFontManager();
// The current shared font of the program-wide manager; null when none.
TSharedFont* CurrentSharedFont();
