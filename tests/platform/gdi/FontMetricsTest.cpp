// Text metrics, widths, extents and kerning pairs of realised fonts, checked
// against values derived here from the font files' own tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/FontFile.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/CodePages.h"

namespace {

// A memory context with a font selected; frees both.
class TFontDC {
public:
    explicit TFontDC(const LOGFONT& lf)
    {
        FDC = CreateCompatibleDC(nullptr);
        FFont = CreateFontIndirect(lf);
        FOld = SelectObject(FDC, FFont);
    }
    ~TFontDC()
    {
        SelectObject(FDC, FOld);
        DeleteObject(FFont);
        DeleteDC(FDC);
    }
    HDC DC() const { return FDC; }

private:
    HDC FDC = nullptr;
    HFONT FFont = nullptr;
    HFONT FOld = nullptr;
};

LOGFONT Font(const std::string& face, int32_t height, int32_t weight = FW_NORMAL, uint8_t charset = ANSI_CHARSET)
{
    LOGFONT lf;
    lf.lfFaceName = face;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    return lf;
}

struct TFaceCase {
    const char* Requested;
    const char* File;
    const char* Expected;
    int32_t Weight;
};

const TFaceCase kFaces[] = {
    {"Times New Roman", "LiberationSerif-Regular.ttf", "Liberation Serif", FW_NORMAL},
    {"Arial", "LiberationSans-Regular.ttf", "Liberation Sans", FW_NORMAL},
    {"Courier New", "LiberationMono-Regular.ttf", "Liberation Mono", FW_NORMAL},
    {"Arial", "LiberationSans-Bold.ttf", "Liberation Sans", FW_BOLD},
    {"times new roman", "LiberationSerif-Bold.ttf", "Liberation Serif", FW_BOLD},
};

// Heights: em heights (negative) and cell heights (positive), from tiny to the
// eight-times layout sizes.
const int32_t kHeights[] = {-1, -11, -13, -16, -21, -37, -128, -307, 12, 16, 20, 37, 150};

// Bytes whose widths are checked, with the Unicode characters code page 1252 gives them.
const std::pair<uint8_t, char16_t> kChars[] = {
    {'A', u'A'}, {'a', u'a'}, {'W', u'W'}, {'i', u'i'}, {'y', u'y'}, {'1', u'1'}, {' ', u' '},
    {'.', u'.'}, {0xE9, u'\u00E9'}, {0x80, u'\u20AC'}, {0x97, u'\u2014'}, {0xB6, u'\u00B6'}, {0xB7, u'\u00B7'},
};

}  // namespace

TEST(FontMetrics, MetricsAndWidthsFollowTheFontTables)
{
    for (const TFaceCase& face : kFaces) {
        TTestFontFile file;
        ASSERT_TRUE(file.Load(std::string(kLiberationDir) + face.File)) << face.File;
        const int upem = file.UnitsPerEm();
        const int wa = file.WinAscent(), wd = file.WinDescent();
        for (int32_t h : kHeights) {
            SCOPED_TRACE(std::string(face.File) + " height " + std::to_string(h));
            TFontDC dc(Font(face.Requested, h, face.Weight));
            EXPECT_EQ(GetTextFace(dc.DC()), face.Expected);

            const int em = h < 0 ? -h : std::max(1, RoundDiv(1LL * h * upem, wa + wd));
            TEXTMETRIC tm;
            ASSERT_TRUE(GetTextMetrics(dc.DC(), &tm));
            const int ascent = RoundDiv(1LL * wa * em, upem);
            const int descent = RoundDiv(1LL * wd * em, upem);
            EXPECT_EQ(tm.tmAscent, ascent);
            EXPECT_EQ(tm.tmDescent, descent);
            EXPECT_EQ(tm.tmHeight, ascent + descent);
            EXPECT_EQ(tm.tmInternalLeading, std::max(0, ascent + descent - em));
            const int gap = file.HheaLineGap() - ((wa + wd) - (file.HheaAscender() - file.HheaDescender()));
            EXPECT_EQ(tm.tmExternalLeading, std::max(0, RoundDiv(1LL * gap * em, upem)));
            EXPECT_EQ(tm.tmAveCharWidth, RoundDiv(1LL * file.AvgCharWidth() * em, upem));
            EXPECT_EQ(tm.tmMaxCharWidth, RoundDiv(1LL * file.AdvanceWidthMax() * em, upem));
            EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
            EXPECT_EQ(tm.tmWeight, face.Weight);
            EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_VECTOR);
            if (h > 0) {  // a cell height is met to within the rounding of the em
                EXPECT_NEAR(tm.tmHeight, h, 1);
            }

            std::string text;
            int sum = 0;
            for (const auto& [byte, unicode] : kChars) {
                const uint16_t glyph = file.Glyph(unicode);
                ASSERT_NE(glyph, 0) << "character missing from the font";
                int32_t width = -1;
                ASSERT_TRUE(GetCharWidth32(dc.DC(), byte, byte, &width));
                const int expected = RoundDiv(1LL * file.Advance(glyph) * em, upem);
                EXPECT_EQ(width, expected) << "byte " << int(byte);
                text += static_cast<char>(byte);
                sum += expected;
            }
            TSize extent;
            ASSERT_TRUE(GetTextExtentPoint32(dc.DC(), text, &extent));
            EXPECT_EQ(extent.cx, sum);
            EXPECT_EQ(extent.cy, tm.tmHeight);
        }
    }
}

TEST(FontMetrics, AllWidthsAtOnceAndExtentsOfEveryByte)
{
    TFontDC dc(Font("Arial", -16));
    int32_t widths[256];
    ASSERT_TRUE(GetCharWidth32(dc.DC(), 0, 255, widths));
    int32_t one;
    for (int c = 0; c < 256; c += 17) {
        ASSERT_TRUE(GetCharWidth32(dc.DC(), static_cast<uint32_t>(c), static_cast<uint32_t>(c), &one));
        EXPECT_EQ(one, widths[c]);
    }
    std::string all;
    int64_t sum = 0;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
        sum += widths[c];
    }
    TSize size;
    ASSERT_TRUE(GetTextExtentPoint32(dc.DC(), all, &size));
    EXPECT_EQ(size.cx, sum);
    EXPECT_TRUE(GetTextExtentPoint32(dc.DC(), "", &size));
    EXPECT_EQ(size.cx, 0);

    int32_t fit = 0;
    int32_t positions[3];
    ASSERT_TRUE(GetTextExtentExPoint(dc.DC(), "WWW", widths['W'] * 2, &fit, positions, &size));
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(positions[2], 3 * widths['W']);
    // Asked for an invalid range.
    EXPECT_FALSE(GetCharWidth32(dc.DC(), 10, 256, widths));
    EXPECT_FALSE(GetCharWidth32(dc.DC(), 20, 10, widths));
}

TEST(FontMetrics, HorizontalScaleSetsTheAverageWidth)
{
    TTestFontFile file;
    ASSERT_TRUE(file.Load(std::string(kLiberationDir) + "LiberationSans-Regular.ttf"));
    for (int32_t width : {3, 7, 20, 55}) {
        LOGFONT lf = Font("Arial", -32);
        lf.lfWidth = width;
        TFontDC dc(lf);
        TEXTMETRIC tm;
        ASSERT_TRUE(GetTextMetrics(dc.DC(), &tm));
        EXPECT_EQ(tm.tmAveCharWidth, width);
        EXPECT_EQ(tm.tmAscent, RoundDiv(1LL * file.WinAscent() * 32, file.UnitsPerEm()));  // height unchanged
        int32_t w;
        ASSERT_TRUE(GetCharWidth32(dc.DC(), 'M', 'M', &w));
        EXPECT_EQ(w, RoundDiv(1LL * file.Advance(file.Glyph(u'M')) * width, file.AvgCharWidth()));
    }
}

TEST(FontMetrics, KerningPairsComeFromTheKernTable)
{
    TTestFontFile file;
    ASSERT_TRUE(file.Load(std::string(kLiberationDir) + "LiberationSans-Regular.ttf"));
    const int design = file.Kern(file.Glyph(u'A'), file.Glyph(u'V'));
    ASSERT_LT(design, 0) << "the fixture font kerns A V";
    for (int32_t h : {-16, -128}) {
        TFontDC dc(Font("Arial", h));
        const uint32_t count = GetKerningPairs(dc.DC(), 0, nullptr);
        ASSERT_GT(count, 10u);
        std::vector<KERNINGPAIR> pairs(count);
        ASSERT_EQ(GetKerningPairs(dc.DC(), count, pairs.data()), count);
        // Grouped by first character, ascending by second within a group.
        for (size_t i = 1; i < pairs.size(); ++i) {
            const bool ordered = pairs[i - 1].wFirst < pairs[i].wFirst ||
                                 (pairs[i - 1].wFirst == pairs[i].wFirst && pairs[i - 1].wSecond < pairs[i].wSecond);
            ASSERT_TRUE(ordered) << "pair " << i;
        }
        bool found = false;
        for (const KERNINGPAIR& p : pairs) {
            ASSERT_LT(p.wFirst, 256);
            ASSERT_LT(p.wSecond, 256);
            if (p.wFirst == 'A' && p.wSecond == 'V') {
                EXPECT_EQ(p.iKernAmount, RoundDiv(1LL * design * -h, file.UnitsPerEm()));
                found = true;
            }
            // Every pair is the table's value for the two glyphs the bytes map to.
            const char16_t a = ByteToWide(static_cast<uint8_t>(p.wFirst), 1252);
            const char16_t b = ByteToWide(static_cast<uint8_t>(p.wSecond), 1252);
            ASSERT_EQ(p.iKernAmount, RoundDiv(1LL * file.Kern(file.Glyph(a), file.Glyph(b)) * -h, file.UnitsPerEm()))
                << p.wFirst << " " << p.wSecond;
        }
        EXPECT_TRUE(found);
        // A short buffer gets the first pairs only.
        KERNINGPAIR two[2];
        EXPECT_EQ(GetKerningPairs(dc.DC(), 2, two), 2u);
        EXPECT_EQ(two[0], pairs[0]);
    }
    // A font without kerning gives no pairs.
    TFontDC mono(Font("Courier New", -16));
    EXPECT_EQ(GetKerningPairs(mono.DC(), 0, nullptr), 0u);
}

TEST(FontMetrics, ExternalLeadingIsTheLineGapLessWhatTheWindowsMetricsAlreadyAdd)
{
    // Copies of Liberation Serif whose horizontal header differs from its
    // Windows metrics: the line gap counts only beyond the difference.
    TTestFontFile serif;
    ASSERT_TRUE(serif.Load(std::string(kLiberationDir) + "LiberationSerif-Regular.ttf"));
    struct TCase {
        const char* Face;
        int16_t Ascender;
        int16_t LineGap;
    };
    const TCase cases[] = {{"Eldravin Leading A", 1700, 300}, {"Eldravin Leading B", 1700, 50}};
    for (const TCase& c : cases) {
        std::string hhea = serif.Table("hhea");
        hhea[4] = static_cast<char>(static_cast<uint16_t>(c.Ascender) >> 8);
        hhea[5] = static_cast<char>(c.Ascender & 0xFF);
        hhea[8] = static_cast<char>(static_cast<uint16_t>(c.LineGap) >> 8);
        hhea[9] = static_cast<char>(c.LineGap & 0xFF);
        const std::string font = serif.Rebuild({{"hhea", hhea}, {"name", TTestFontFile::NameTable(c.Face)}});
        const uintptr_t handle = AddFontMemResourceEx(font.data(), font.size(), nullptr);
        ASSERT_NE(handle, 0u);
        for (int32_t h : {-16, -100, -1000}) {
            TFontDC dc(Font(c.Face, h));
            ASSERT_EQ(GetTextFace(dc.DC()), c.Face);
            TEXTMETRIC tm;
            ASSERT_TRUE(GetTextMetrics(dc.DC(), &tm));
            const int gap = c.LineGap - ((serif.WinAscent() + serif.WinDescent()) - (c.Ascender - serif.HheaDescender()));
            EXPECT_EQ(tm.tmExternalLeading, std::max(0, RoundDiv(1LL * gap * -h, serif.UnitsPerEm()))) << c.Face << h;
            EXPECT_EQ(tm.tmAscent, RoundDiv(1LL * serif.WinAscent() * -h, serif.UnitsPerEm()));
        }
        EXPECT_TRUE(RemoveFontMemResourceEx(handle));
    }
}
