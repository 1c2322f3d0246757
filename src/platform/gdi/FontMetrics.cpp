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

char16_t SymbolEncodingChar(uint8_t byte)
{
    // 0x20..0x7E and 0xA0..0xFE; ASCII punctuation and digits stand as themselves.
    static const char16_t low[95] = {
        u' ',      u'!',      u'\u2200', u'#',      u'\u2203', u'%',      u'&',      u'\u220B',  // 20-27
        u'(',      u')',      u'\u2217', u'+',      u',',      u'\u2212', u'.',      u'/',       // 28-2F
        u'0',      u'1',      u'2',      u'3',      u'4',      u'5',      u'6',      u'7',       // 30-37
        u'8',      u'9',      u':',      u';',      u'<',      u'=',      u'>',      u'?',       // 38-3F
        u'\u2245', u'\u0391', u'\u0392', u'\u03A7', u'\u0394', u'\u0395', u'\u03A6', u'\u0393',  // 40-47
        u'\u0397', u'\u0399', u'\u03D1', u'\u039A', u'\u039B', u'\u039C', u'\u039D', u'\u039F',  // 48-4F
        u'\u03A0', u'\u0398', u'\u03A1', u'\u03A3', u'\u03A4', u'\u03A5', u'\u03C2', u'\u03A9',  // 50-57
        u'\u039E', u'\u03A8', u'\u0396', u'[',      u'\u2234', u']',      u'\u22A5', u'_',       // 58-5F
        u'\u203E', u'\u03B1', u'\u03B2', u'\u03C7', u'\u03B4', u'\u03B5', u'\u03C6', u'\u03B3',  // 60-67
        u'\u03B7', u'\u03B9', u'\u03D5', u'\u03BA', u'\u03BB', u'\u03BC', u'\u03BD', u'\u03BF',  // 68-6F
        u'\u03C0', u'\u03B8', u'\u03C1', u'\u03C3', u'\u03C4', u'\u03C5', u'\u03D6', u'\u03C9',  // 70-77
        u'\u03BE', u'\u03C8', u'\u03B6', u'{',      u'|',      u'}',      u'\u223C',            // 78-7E
    };
    static const char16_t high[95] = {
        u'\u20AC', u'\u03D2', u'\u2032', u'\u2264', u'\u2044', u'\u221E', u'\u0192', u'\u2663',  // A0-A7
        u'\u2666', u'\u2665', u'\u2660', u'\u2194', u'\u2190', u'\u2191', u'\u2192', u'\u2193',  // A8-AF
        u'\u00B0', u'\u00B1', u'\u2033', u'\u2265', u'\u00D7', u'\u221D', u'\u2202', u'\u2022',  // B0-B7
        u'\u00F7', u'\u2260', u'\u2261', u'\u2248', u'\u2026', u'\u23D0', u'\u23AF', u'\u21B5',  // B8-BF
        u'\u2135', u'\u2111', u'\u211C', u'\u2118', u'\u2297', u'\u2295', u'\u2205', u'\u2229',  // C0-C7
        u'\u222A', u'\u2283', u'\u2287', u'\u2284', u'\u2282', u'\u2286', u'\u2208', u'\u2209',  // C8-CF
        u'\u2220', u'\u2207', u'\u00AE', u'\u00A9', u'\u2122', u'\u220F', u'\u221A', u'\u22C5',  // D0-D7
        u'\u00AC', u'\u2227', u'\u2228', u'\u21D4', u'\u21D0', u'\u21D1', u'\u21D2', u'\u21D3',  // D8-DF
        u'\u25CA', u'\u2329', u'\u00AE', u'\u00A9', u'\u2122', u'\u2211', u'\u239B', u'\u239C',  // E0-E7
        u'\u239D', u'\u23A1', u'\u23A2', u'\u23A3', u'\u23A7', u'\u23A8', u'\u23A9', u'\u23AA',  // E8-EF
        0,         u'\u232A', u'\u222B', u'\u2320', u'\u23AE', u'\u2321', u'\u239E', u'\u239F',  // F0-F7
        u'\u23A0', u'\u23A4', u'\u23A5', u'\u23A6', u'\u23AB', u'\u23AC', u'\u23AD',            // F8-FE
    };
    if (byte >= 0x20 && byte <= 0x7E)
        return low[byte - 0x20];
    if (byte >= 0xA0 && byte <= 0xFE)
        return high[byte - 0xA0];
    return 0;
}

std::array<uint16_t, 256> MapSymbolStandInGlyphs(const TFontFaceTables& face)
{
    std::array<uint16_t, 256> glyphs{};
    for (int b = 0; b < 256; ++b) {
        const char16_t u = SymbolEncodingChar(static_cast<uint8_t>(b));
        glyphs[b] = u ? face.UnicodeMap.Lookup(u) : 0;
    }
    return glyphs;
}

TFontMeasures MeasureFont(const TFontRealisation& r)
{
    const TFontFaceTables& face = *r.Face;
    TFontMeasures m;
    m.Scale = ComputeFontScale(face, r.Height, r.Width, r.DefaultEmHeight);
    const TFontScale& s = m.Scale;
    m.Glyphs = r.SymbolStandIn ? MapSymbolStandInGlyphs(face) : MapCharsetGlyphs(face, r.Charset);
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
    const uint8_t family = r.SymbolStandIn ? FF_DECORATIVE : (pf & 0xF0);
    tm.tmPitchAndFamily = static_cast<uint8_t>(family | TMPF_VECTOR | TMPF_TRUETYPE |
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
