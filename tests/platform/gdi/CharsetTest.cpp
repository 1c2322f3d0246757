// Character sets, substitution and enumeration: symbol fonts, code pages,
// faces that are not installed, fonts added from memory, GPOS kerning.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/gdi/FontFile.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/CodePages.h"

namespace {

const char* const kSymbolFace = "Eldravin Symbol Test";
const char* const kGposFace = "Eldravin Gpos Test";

// Liberation Sans turned into a symbol font: (3,0) map only, symbol code page.
std::string MakeSymbolFont(const TTestFontFile& sans, std::map<uint8_t, uint16_t>& mapping)
{
    mapping = {{0x41, sans.Glyph(u'\u03B1')}, {0x61, sans.Glyph(u'W')}, {0xB7, sans.Glyph(u'\u2022')}};
    std::string os2 = sans.Table("OS/2");
    os2[78] = static_cast<char>(0x80);
    os2[79] = os2[80] = os2[81] = 0;
    return sans.Rebuild({{"cmap", TTestFontFile::SymbolCmap(mapping)},
                         {"name", TTestFontFile::NameTable(kSymbolFace)},
                         {"OS/2", os2}},
                        {"kern", "GPOS", "GSUB"});
}

class TCharsets : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(Sans.Load(std::string(kLiberationDir) + "LiberationSans-Regular.ttf"));
        ASSERT_TRUE(DejaVu.Load(std::string(kDejaVuDir) + "DejaVuSans.ttf"));
        const std::string symbol = MakeSymbolFont(Sans, SymbolGlyphs);
        uint32_t faces = 0;
        SymbolHandle = AddFontMemResourceEx(symbol.data(), symbol.size(), &faces);
        ASSERT_NE(SymbolHandle, 0u);
        EXPECT_EQ(faces, 1u);
        const std::string gpos = Sans.Rebuild({{"name", TTestFontFile::NameTable(kGposFace)}}, {"kern"});
        GposHandle = AddFontMemResourceEx(gpos.data(), gpos.size(), nullptr);
        ASSERT_NE(GposHandle, 0u);
    }
    static void TearDownTestSuite()
    {
        EXPECT_TRUE(RemoveFontMemResourceEx(SymbolHandle));
        EXPECT_TRUE(RemoveFontMemResourceEx(GposHandle));
        EXPECT_FALSE(RemoveFontMemResourceEx(SymbolHandle));
    }

    void SetUp() override { FDC = CreateCompatibleDC(nullptr); }
    void TearDown() override
    {
        if (FOld)
            SelectObject(FDC, FOld);
        DeleteObject(FFont);
        DeleteDC(FDC);
    }

    void Select(const std::string& face, uint8_t charset, int32_t height = -100, uint8_t pitchAndFamily = 0,
                uint8_t italic = 0)
    {
        if (FOld)
            SelectObject(FDC, FOld);
        DeleteObject(FFont);
        LOGFONT lf;
        lf.lfFaceName = face;
        lf.lfHeight = height;
        lf.lfCharSet = charset;
        lf.lfPitchAndFamily = pitchAndFamily;
        lf.lfItalic = italic;
        FFont = CreateFontIndirect(lf);
        FOld = SelectObject(FDC, FFont);
    }
    int32_t Width(uint8_t byte)
    {
        int32_t w = -1;
        EXPECT_TRUE(GetCharWidth32(FDC, byte, byte, &w));
        return w;
    }
    static int Expected(const TTestFontFile& file, uint16_t glyph, int em = 100)
    {
        return RoundDiv(1LL * file.Advance(glyph) * em, file.UnitsPerEm());
    }

    static TTestFontFile Sans;
    static TTestFontFile DejaVu;
    static std::map<uint8_t, uint16_t> SymbolGlyphs;
    static uintptr_t SymbolHandle;
    static uintptr_t GposHandle;
    HDC FDC = nullptr;
    HFONT FFont = nullptr;
    HFONT FOld = nullptr;
};

TTestFontFile TCharsets::Sans;
TTestFontFile TCharsets::DejaVu;
std::map<uint8_t, uint16_t> TCharsets::SymbolGlyphs;
uintptr_t TCharsets::SymbolHandle = 0;
uintptr_t TCharsets::GposHandle = 0;

struct TEnumerated {
    std::string Face;
    uint8_t Charset;
    uint8_t PitchAndFamily;
    uint8_t TmPitchAndFamily;
    uint32_t Type;
    std::string Script;
};

std::vector<TEnumerated> Enumerate(HDC dc, uint8_t charset, const std::string& face = "")
{
    LOGFONT filter;
    filter.lfCharSet = charset;
    filter.lfFaceName = face;
    std::vector<TEnumerated> out;
    EnumFontFamiliesEx(dc, filter, [&](const ENUMLOGFONTEX& f, const TEXTMETRIC& tm, uint32_t type) {
        out.push_back({f.elfLogFont.lfFaceName, f.elfLogFont.lfCharSet, f.elfLogFont.lfPitchAndFamily,
                       tm.tmPitchAndFamily, type, f.elfScript});
        return 1;
    });
    return out;
}

}  // namespace

TEST_F(TCharsets, SymbolFontMapsBytesToItsSymbolGlyphs)
{
    for (uint8_t asked : {SYMBOL_CHARSET, ANSI_CHARSET, DEFAULT_CHARSET}) {
        Select(kSymbolFace, asked);
        EXPECT_EQ(GetTextFace(FDC), kSymbolFace);
        EXPECT_EQ(GetTextCharset(FDC), SYMBOL_CHARSET);
        for (const auto& [byte, glyph] : SymbolGlyphs)
            EXPECT_EQ(Width(byte), Expected(Sans, glyph)) << "byte " << int(byte);
        // Bytes the font does not map measure as its missing-glyph shape.
        EXPECT_EQ(Width(0x42), Expected(Sans, 0));
    }
    // A symbol face is asked for by its character set when the name is not installed.
    Select("Wingbats Nowhere", SYMBOL_CHARSET);
    EXPECT_EQ(GetTextFace(FDC), kSymbolFace);
}

TEST_F(TCharsets, SymbolStandsInWithItsCharactersWhereItIsNotInstalled)
{
    for (uint8_t asked : {SYMBOL_CHARSET, DEFAULT_CHARSET, ANSI_CHARSET}) {
        Select("Symbol", asked);
        EXPECT_EQ(GetTextFace(FDC), "Symbol");
        EXPECT_EQ(GetTextCharset(FDC), SYMBOL_CHARSET);
        // The bullet of bulleted paragraphs, Greek letters, arrows, as the font encodes them.
        const std::pair<uint8_t, char16_t> chars[] = {
            {0xB7, u'\u2022'}, {0x61, u'\u03B1'}, {0x57, u'\u03A9'}, {0xAE, u'\u2192'}, {0xA5, u'\u221E'}, {0x31, u'1'}};
        for (const auto& [byte, unicode] : chars) {
            ASSERT_NE(DejaVu.Glyph(unicode), 0);
            EXPECT_EQ(Width(byte), Expected(DejaVu, DejaVu.Glyph(unicode))) << int(byte);
        }
    }
    bool listed = false;
    for (const auto& e : Enumerate(FDC, DEFAULT_CHARSET))
        if (e.Face == "Symbol") {
            listed = true;
            EXPECT_EQ(e.Charset, SYMBOL_CHARSET);
            EXPECT_EQ(e.PitchAndFamily, VARIABLE_PITCH | FF_DECORATIVE);
        }
    EXPECT_TRUE(listed);
}

TEST_F(TCharsets, TextFontsMapBytesThroughTheirCodePage)
{
    struct TCase {
        uint8_t Charset;
        uint8_t Byte;
        char16_t Unicode;
    };
    const TCase cases[] = {
        {ANSI_CHARSET, 0xA5, u'\u00A5'},       {EASTEUROPE_CHARSET, 0xA5, u'\u0104'},
        {ANSI_CHARSET, 0xC6, u'\u00C6'},       {RUSSIAN_CHARSET, 0xC6, u'\u0416'},
        {RUSSIAN_CHARSET, 0xC0, u'\u0410'},    {GREEK_CHARSET, 0xD9, u'\u03A9'},
        {EASTEUROPE_CHARSET, 0x8A, u'\u0160'}, {ANSI_CHARSET, 0x80, u'\u20AC'},
    };
    for (const TCase& c : cases) {
        Select("Arial", c.Charset);
        EXPECT_EQ(GetTextFace(FDC), "Liberation Sans");
        EXPECT_EQ(GetTextCharset(FDC), c.Charset);
        ASSERT_NE(Sans.Glyph(c.Unicode), 0);
        EXPECT_EQ(Width(c.Byte), Expected(Sans, Sans.Glyph(c.Unicode)))
            << "charset " << int(c.Charset) << " byte " << int(c.Byte);
    }
    // The default set is the program's code page.
    Select("Arial", DEFAULT_CHARSET);
    EXPECT_EQ(GetTextCharset(FDC), ANSI_CHARSET);
}

TEST_F(TCharsets, ACharacterSetTheFaceLacksSwitchesToAFaceThatHasIt)
{
    // Liberation Sans has no Arabic: the first listed family of its kind that has it takes
    // its place (DejaVu Sans, unless the machine has another such family listed before it).
    std::string expected;
    for (const auto& e : Enumerate(FDC, ARABIC_CHARSET))
        if ((e.PitchAndFamily & 0xF0) == FF_SWISS) {
            expected = e.Face;
            break;
        }
    ASSERT_FALSE(expected.empty());
    Select("Arial", ARABIC_CHARSET);
    EXPECT_EQ(GetTextFace(FDC), expected);
    EXPECT_EQ(GetTextCharset(FDC), ARABIC_CHARSET);
    if (expected == "DejaVu Sans") {
        EXPECT_EQ(Width(0xC7), Expected(DejaVu, DejaVu.Glyph(u'\u0627')));
    }
}

TEST_F(TCharsets, UnknownFacesAreSubstitutedVisibly)
{
    std::set<std::string> installed;
    for (const auto& e : Enumerate(FDC, DEFAULT_CHARSET))
        installed.insert(e.Face);
    struct TCase {
        uint8_t PitchAndFamily;
        uint8_t WantFamily;  // family nibble expected of the substitute, 0 = any
    };
    for (const TCase& c : {TCase{0, 0}, TCase{VARIABLE_PITCH | FF_SWISS, FF_SWISS},
                           TCase{VARIABLE_PITCH | FF_ROMAN, FF_ROMAN}, TCase{FIXED_PITCH | FF_MODERN, FF_MODERN}}) {
        Select("Zyxwv Nowhere Sans", ANSI_CHARSET, -20, c.PitchAndFamily);
        const std::string face = GetTextFace(FDC);
        EXPECT_NE(face, "Zyxwv Nowhere Sans");
        EXPECT_TRUE(installed.count(face)) << face;
        TEXTMETRIC tm;
        ASSERT_TRUE(GetTextMetrics(FDC, &tm));
        EXPECT_GT(tm.tmHeight, 0);
        if (c.WantFamily) {
            EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, c.WantFamily) << face;
        }
        if (c.WantFamily == FF_MODERN) {
            EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "a fixed-pitch face: " << face;
        }
    }
    // The metric-compatible faces stand in for the usual names.
    for (const auto& [asked, got] : std::map<std::string, std::string>{{"Times New Roman", "Liberation Serif"},
                                                                       {"ARIAL", "Liberation Sans"},
                                                                       {"Courier New", "Liberation Mono"},
                                                                       {"liberation serif", "Liberation Serif"}}) {
        Select(asked, ANSI_CHARSET);
        EXPECT_EQ(GetTextFace(FDC), got) << asked;
    }
}

TEST_F(TCharsets, EnumerationReportsEachFaceWithItsCharacterSets)
{
    const auto all = Enumerate(FDC, DEFAULT_CHARSET);
    ASSERT_FALSE(all.empty());
    std::map<std::string, std::vector<uint8_t>> sets;
    std::map<std::string, uint8_t> pitch;
    std::string previous;
    std::set<std::string> seen;
    for (const auto& e : all) {
        EXPECT_EQ(e.Type, TRUETYPE_FONTTYPE);
        EXPECT_TRUE(e.TmPitchAndFamily & TMPF_VECTOR);
        if (e.Face != previous) {
            EXPECT_FALSE(seen.count(e.Face)) << "sets of one face not together: " << e.Face;
            seen.insert(e.Face);
        }
        previous = e.Face;
        sets[e.Face].push_back(e.Charset);
        pitch[e.Face] = e.PitchAndFamily;
    }
    // Families in order of their names, ignoring case; no aliases.
    std::vector<std::string> order(seen.begin(), seen.end());
    for (const char* alias : {"Sans Serif", "Serif", "Monospace"})
        EXPECT_FALSE(seen.count(alias)) << alias;
    const std::vector<uint8_t> sansSets = {ANSI_CHARSET, EASTEUROPE_CHARSET, RUSSIAN_CHARSET, GREEK_CHARSET,
                                           TURKISH_CHARSET, HEBREW_CHARSET, BALTIC_CHARSET, VIETNAMESE_CHARSET};
    EXPECT_EQ(sets["Liberation Sans"], sansSets);
    EXPECT_EQ(sets[kSymbolFace], std::vector<uint8_t>{SYMBOL_CHARSET});
    EXPECT_EQ(pitch["Liberation Sans"], VARIABLE_PITCH | FF_SWISS);
    EXPECT_EQ(pitch["Liberation Serif"], VARIABLE_PITCH | FF_ROMAN);
    EXPECT_EQ(pitch["Liberation Mono"], FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(pitch[kSymbolFace] & 0xF0, FF_DECORATIVE);

    // One character set only; one family only.
    for (const auto& e : Enumerate(FDC, RUSSIAN_CHARSET)) {
        EXPECT_EQ(e.Charset, RUSSIAN_CHARSET);
        EXPECT_EQ(e.Script, "Cyrillique");
    }
    const auto mono = Enumerate(FDC, ANSI_CHARSET, "liberation mono");
    ASSERT_FALSE(mono.empty());
    for (const auto& e : mono)
        EXPECT_EQ(e.Face, "Liberation Mono");
    // The callback stops the enumeration by returning 0.
    LOGFONT filter;
    filter.lfCharSet = DEFAULT_CHARSET;
    int calls = 0;
    EXPECT_EQ(EnumFontFamiliesEx(FDC, filter, [&](const ENUMLOGFONTEX&, const TEXTMETRIC&, uint32_t) {
                  ++calls;
                  return 0;
              }),
              0);
    EXPECT_EQ(calls, 1);
}

// Faces of one family made by two foundries (the upright by one, the italic
// by the other) are one family under its own name, whose faces are taken
// from either foundry.
TEST_F(TCharsets, AFamilyFromTwoFoundriesIsOneFamily)
{
    const char* const family = "Eldravin Two Foundries";
    TTestFontFile serifItalic;
    ASSERT_TRUE(serifItalic.Load(std::string(kLiberationDir) + "LiberationSerif-Italic.ttf"));
    auto withVendor = [](const TTestFontFile& file, const char* vendor) {
        std::string os2 = file.Table("OS/2");
        os2.replace(58, 4, vendor);
        return os2;
    };
    const std::string italic = serifItalic.Rebuild(
        {{"name", TTestFontFile::NameTable(family, "Italic")}, {"OS/2", withVendor(serifItalic, "AAAA")}});
    const std::string upright =
        Sans.Rebuild({{"name", TTestFontFile::NameTable(family)}, {"OS/2", withVendor(Sans, "BBBB")}});
    const uintptr_t italicHandle = AddFontMemResourceEx(italic.data(), italic.size(), nullptr);
    const uintptr_t uprightHandle = AddFontMemResourceEx(upright.data(), upright.size(), nullptr);
    ASSERT_NE(italicHandle, 0u);
    ASSERT_NE(uprightHandle, 0u);

    std::set<std::string> faces;
    for (const auto& e : Enumerate(FDC, DEFAULT_CHARSET))
        if (e.Face.rfind(family, 0) == 0)
            faces.insert(e.Face);
    EXPECT_EQ(faces, std::set<std::string>{family});

    for (const uint8_t slanted : {0, 1}) {
        Select(family, ANSI_CHARSET, -100, 0, slanted);
        EXPECT_EQ(GetTextFace(FDC), family);
        const TTestFontFile& file = slanted ? serifItalic : Sans;
        EXPECT_EQ(Width('a'), Expected(file, file.Glyph(u'a'))) << "italic " << int(slanted);
    }
    Select("Arial", ANSI_CHARSET);
    EXPECT_TRUE(RemoveFontMemResourceEx(italicHandle));
    EXPECT_TRUE(RemoveFontMemResourceEx(uprightHandle));
}

TEST_F(TCharsets, KerningFromGposWhenTheFontHasNoKernTable)
{
    // The GPOS copy must give the pairs the kern table gives for the same font.
    auto pairsOf = [&](const char* face) {
        Select(face, ANSI_CHARSET, -1000);
        std::vector<KERNINGPAIR> pairs(GetKerningPairs(FDC, 0, nullptr));
        GetKerningPairs(FDC, static_cast<uint32_t>(pairs.size()), pairs.data());
        return pairs;
    };
    const auto fromKern = pairsOf("Liberation Sans");
    const auto fromGpos = pairsOf(kGposFace);
    ASSERT_EQ(GetTextFace(FDC), kGposFace);
    ASSERT_GT(fromGpos.size(), 100u);
    std::map<std::pair<int, int>, int> kern;
    for (const auto& p : fromKern)
        kern[{p.wFirst, p.wSecond}] = p.iKernAmount;
    size_t same = 0;
    for (const auto& p : fromGpos)
        if (kern.count({p.wFirst, p.wSecond}) && kern[{p.wFirst, p.wSecond}] == p.iKernAmount)
            ++same;
    // Fonts carry both tables from one source; allow a few pairs either table adds.
    EXPECT_GE(same * 100, fromGpos.size() * 95) << same << " of " << fromGpos.size();
    EXPECT_GE(same * 100, fromKern.size() * 95) << same << " of " << fromKern.size();
}
