#include "platform/gdi/FontMetrics.h"

#include <algorithm>
#include <cstdlib>

#include "platform/runtime/CodePages.h"

int32_t ScaleRound(int64_t value, int64_t num, int64_t den)
{
    if (den <= 0)
        return 0;
    const bool negative = (value < 0) != (num < 0);
    const int64_t a = std::llabs(value);
    const int64_t b = std::llabs(num);
    // a * b stays far below 2^63 for 16-bit design values and sane sizes;
    // sizes are limited where the scale is made.
    const int64_t q = (2 * a * b + den) / (2 * den);
    return static_cast<int32_t>(negative ? -q : q);
}

double TFontScale::Stretch() const
{
    if (EmHeight <= 0 || XDen <= 0)
        return 1.0;
    return (static_cast<double>(XNum) / static_cast<double>(XDen)) /
           (static_cast<double>(EmHeight) / static_cast<double>(UnitsPerEm));
}

namespace {

// Sizes beyond this many device units are clamped: no page or zoom needs them,
// and the integer arithmetic stays exact.
constexpr int32_t MaxEmHeight = 1 << 20;

}  // namespace

TFontScale ComputeFontScale(const TFontFaceTables& face, int32_t lfHeight, int32_t lfWidth, int32_t defaultEmHeight)
{
    TFontScale s;
    s.UnitsPerEm = face.UnitsPerEm;
    const int64_t cellUnits = static_cast<int64_t>(face.WinAscent) + face.WinDescent;
    int64_t em;
    if (lfHeight < 0)
        em = -static_cast<int64_t>(lfHeight);
    else if (lfHeight > 0)
        em = cellUnits > 0 ? std::max<int64_t>(1, ScaleRound(lfHeight, face.UnitsPerEm, cellUnits)) : lfHeight;
    else
        em = std::max(1, defaultEmHeight);
    s.EmHeight = static_cast<int32_t>(std::clamp<int64_t>(em, 1, MaxEmHeight));
    const int64_t width = std::min<int64_t>(std::llabs(static_cast<int64_t>(lfWidth)), MaxEmHeight);
    if (width != 0 && face.AvgCharWidth > 0) {
        s.XNum = width;
        s.XDen = face.AvgCharWidth;
    } else {
        s.XNum = s.EmHeight;
        s.XDen = s.UnitsPerEm;
    }
    return s;
}

namespace {

struct TCharsetProbe {
    uint8_t Charset;
    int CodePageBit;
    char16_t Probe;  // a letter only fonts covering the set have
};

const TCharsetProbe kCharsets[] = {
    {ANSI_CHARSET, 0, u'\u00E9'},        {EASTEUROPE_CHARSET, 1, u'\u0104'}, {RUSSIAN_CHARSET, 2, u'\u0416'},
    {GREEK_CHARSET, 3, u'\u03A9'},       {TURKISH_CHARSET, 4, u'\u011E'},    {HEBREW_CHARSET, 5, u'\u05D0'},
    {ARABIC_CHARSET, 6, u'\u0627'},      {BALTIC_CHARSET, 7, u'\u0100'},     {VIETNAMESE_CHARSET, 8, u'\u01A0'},
};

}  // namespace

std::vector<uint8_t> FaceCharsets(const TFontFaceTables& face)
{
    if (face.IsSymbolFont())
        return {SYMBOL_CHARSET};
    std::vector<uint8_t> sets;
    for (const auto& c : kCharsets) {
        const bool covered = face.HasCodePageRange ? (face.CodePageRange1 >> c.CodePageBit) & 1
                                                   : face.UnicodeMap.Lookup(c.Probe) != 0;
        if (covered)
            sets.push_back(c.Charset);
    }
    if (sets.empty())
        sets.push_back(ANSI_CHARSET);
    return sets;
}

bool FaceSupportsCharset(const TFontFaceTables& face, uint8_t charset)
{
    const auto sets = FaceCharsets(face);
    return std::find(sets.begin(), sets.end(), charset) != sets.end();
}

uint8_t ResolveFaceCharset(const TFontFaceTables& face, uint8_t charset)
{
    const auto sets = FaceCharsets(face);
    if (face.IsSymbolFont())
        return SYMBOL_CHARSET;
    if (charset == DEFAULT_CHARSET)
        charset = CharsetFromCodePage(GetACP());
    if (charset == OEM_CHARSET)
        return OEM_CHARSET;
    if (std::find(sets.begin(), sets.end(), charset) != sets.end())
        return charset;
    return sets.front();
}

uint8_t FacePitchAndFamily(const TFontFaceTables& face)
{
    const uint8_t familyType = face.Panose[0];
    const uint8_t serifStyle = face.Panose[1];
    const uint8_t proportion = face.Panose[3];
    const bool fixed = face.FixedPitch || (familyType == 2 && proportion == 9);
    uint8_t family = FF_DONTCARE;
    if (fixed)
        family = FF_MODERN;
    else if (familyType == 3)
        family = FF_SCRIPT;
    else if (familyType == 4 || familyType == 5)
        family = FF_DECORATIVE;
    else if (familyType == 2)
        family = (serifStyle >= 11 && serifStyle <= 13) ? FF_SWISS : FF_ROMAN;
    else {
        // IBM family classes: 1-7 serifs, 8 sans serif, 9 ornamentals, 10 scripts.
        switch (face.FamilyClass) {
        case 1: case 2: case 3: case 4: case 5: case 7: family = FF_ROMAN; break;
        case 8: family = FF_SWISS; break;
        case 9: family = FF_DECORATIVE; break;
        case 10: family = FF_SCRIPT; break;
        default: family = FF_DONTCARE; break;
        }
    }
    if (face.IsSymbolFont())
        family = FF_DECORATIVE;
    return static_cast<uint8_t>(family | (fixed ? FIXED_PITCH : VARIABLE_PITCH));
}

std::string CharsetScriptName(uint8_t charset)
{
    switch (charset) {
    case ANSI_CHARSET: return "Occidental";
    case EASTEUROPE_CHARSET: return "Europe centrale";
    case RUSSIAN_CHARSET: return "Cyrillique";
    case GREEK_CHARSET: return "Grec";
    case TURKISH_CHARSET: return "Turc";
    case HEBREW_CHARSET: return "Hébreu";
    case ARABIC_CHARSET: return "Arabe";
    case BALTIC_CHARSET: return "Balte";
    case VIETNAMESE_CHARSET: return "Vietnamien";
    case SYMBOL_CHARSET: return "Symbole";
    case OEM_CHARSET: return "OEM/DOS";
    default: return "Occidental";
    }
}

std::array<uint16_t, 256> MapCharsetGlyphs(const TFontFaceTables& face, uint8_t charset)
{
    std::array<uint16_t, 256> glyphs{};
    if (charset == SYMBOL_CHARSET) {
        for (int b = 0; b < 256; ++b) {
            uint16_t g = face.SymbolMap.Lookup(0xF000 + b);
            if (!g)
                g = face.SymbolMap.Lookup(b);
            if (!g)
                g = face.UnicodeMap.Lookup(0xF000 + b);
            if (!g)
                g = face.UnicodeMap.Lookup(b);
            glyphs[b] = g;
        }
        return glyphs;
    }
    const uint32_t codePage = CodePageFromCharset(charset);
    for (int b = 0; b < 256; ++b) {
        const char16_t u = ByteToWide(static_cast<uint8_t>(b), codePage);
        uint16_t g = face.UnicodeMap.Lookup(u);
        if (!g && !face.SymbolMap.Empty())
            g = face.SymbolMap.Lookup(0xF000 + b);
        glyphs[b] = g;
    }
    return glyphs;
}

TFontMeasures MeasureFont(const TFontRealisation& r)
{
    const TFontFaceTables& face = *r.Face;
    TFontMeasures m;
    m.Scale = ComputeFontScale(face, r.Height, r.Width, r.DefaultEmHeight);
    const TFontScale& s = m.Scale;
    m.Glyphs = MapCharsetGlyphs(face, r.Charset);
    for (int b = 0; b < 256; ++b)
        m.Widths[b] = s.X(face.Advance(m.Glyphs[b]));

    TEXTMETRIC& tm = m.Metrics;
    tm.tmAscent = s.Y(face.WinAscent);
    tm.tmDescent = s.Y(face.WinDescent);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - s.EmHeight);
    const int64_t gap = static_cast<int64_t>(face.HheaLineGap) -
                        ((static_cast<int64_t>(face.WinAscent) + face.WinDescent) -
                         (static_cast<int64_t>(face.HheaAscender) - face.HheaDescender));
    tm.tmExternalLeading = std::max(0, s.Y(gap));
    const int64_t avg = face.AvgCharWidth > 0 ? face.AvgCharWidth : face.Advance(face.UnicodeMap.Lookup(u'x'));
    tm.tmAveCharWidth = s.X(avg);
    tm.tmMaxCharWidth = s.X(face.AdvanceWidthMax);
    tm.tmWeight = r.Weight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = r.DpiX;
    tm.tmDigitizedAspectY = r.DpiY;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = r.Italic ? 1 : 0;
    tm.tmUnderlined = r.Underline ? 1 : 0;
    tm.tmStruckOut = r.StrikeOut ? 1 : 0;
    const uint8_t pf = FacePitchAndFamily(face);
    tm.tmPitchAndFamily = static_cast<uint8_t>((pf & 0xF0) | TMPF_VECTOR | TMPF_TRUETYPE |
                                               ((pf & 0x03) == FIXED_PITCH ? 0 : TMPF_FIXED_PITCH));
    tm.tmCharSet = r.Charset;

    const int16_t ulThickness = face.UnderlineThickness > 0 ? face.UnderlineThickness : face.UnitsPerEm / 20;
    const int16_t ulPosition = face.UnderlinePosition != 0 ? face.UnderlinePosition : -face.UnitsPerEm / 10;
    m.UnderlineThickness = std::max(1, s.Y(ulThickness));
    m.UnderlinePosition = std::max(1, s.Y(-ulPosition));
    const int16_t soThickness = face.StrikeoutSize > 0 ? face.StrikeoutSize : ulThickness;
    const int16_t soPosition = face.StrikeoutPosition > 0 ? face.StrikeoutPosition : face.UnitsPerEm / 4;
    m.StrikeoutThickness = std::max(1, s.Y(soThickness));
    m.StrikeoutPosition = s.Y(soPosition);
    return m;
}

std::vector<KERNINGPAIR> DesignKerningPairs(const TFontFaceTables& face, const std::array<uint16_t, 256>& glyphs)
{
    std::vector<KERNINGPAIR> pairs;
    if (face.HasKernTable) {
        if (face.KernPairs.empty())
            return pairs;
        for (int a = 0; a < 256; ++a) {
            if (!glyphs[a])
                continue;
            for (int b = 0; b < 256; ++b) {
                if (!glyphs[b])
                    continue;
                auto it = face.KernPairs.find((static_cast<uint32_t>(glyphs[a]) << 16) | glyphs[b]);
                if (it != face.KernPairs.end() && it->second != 0)
                    pairs.push_back({static_cast<uint16_t>(a), static_cast<uint16_t>(b), it->second});
            }
        }
        return pairs;
    }
    TGposKerning gpos(face.Gpos);
    if (gpos.Empty())
        return pairs;
    for (int a = 0; a < 256; ++a) {
        if (!glyphs[a] || !gpos.CoversFirst(glyphs[a]))
            continue;
        for (int b = 0; b < 256; ++b) {
            if (!glyphs[b])
                continue;
            const int32_t v = gpos.Adjustment(glyphs[a], glyphs[b]);
            if (v != 0)
                pairs.push_back({static_cast<uint16_t>(a), static_cast<uint16_t>(b), v});
        }
    }
    return pairs;
}
