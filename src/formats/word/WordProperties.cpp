// The property side of the Word reader: single property modifiers (sprms) of
// character, paragraph, section and picture properties, the property pages
// of the text, the style sheet, the font table, the document properties and
// the summary strings.
#include "document/model/Section.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"
#include "document/fields/Field.h"
#include "formats/LoadRoutines.h"
#include "formats/word/WordReaderState.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <algorithm>

namespace {

constexpr int32_t kFcStshf[2] = {0xA2, 0x60};
constexpr int32_t kFcPlcfbteChpx[2] = {0xFA, 0xB8};
constexpr int32_t kFcPlcfbtePapx[2] = {0x102, 0xC0};
constexpr int32_t kFcSttbfffn[2] = {0x112, 0xD0};
constexpr int32_t kFcDop[2] = {0x192, 0x150};
constexpr int32_t kFcSttbfAssoc[2] = {0x19A, 0x158};

// Operand bytes of the Word 6.0/95 sprms (255: a length byte follows the
// code and gives them).
const uint8_t* Word6OperandSizes()
{
    static uint8_t sizes[256] = {};
    static bool made = false;
    if (made)
        return sizes;
    const std::pair<int, int> known[] = {
        {2, 2},   {3, 255}, {4, 1},   {5, 1},   {6, 1},   {7, 1},   {8, 1},   {9, 1},   {10, 1},  {11, 1},
        {12, 255}, {13, 1},  {14, 1},  {15, 255}, {16, 2},  {17, 2},  {18, 2},  {19, 2},  {20, 4},  {21, 2},
        {22, 2},  {23, 255}, {24, 1},  {25, 1},   {26, 2},  {27, 2},  {28, 2},  {29, 1},  {30, 2},  {31, 2},
        {32, 2},  {33, 2},  {34, 2},  {35, 2},   {36, 2},  {37, 1},  {38, 2},  {39, 2},  {40, 2},  {41, 2},
        {42, 2},  {43, 2},  {44, 1},  {45, 2},   {46, 2},  {47, 2},  {48, 2},  {49, 2},  {50, 1},  {51, 1},
        {52, 255}, {65, 1}, {66, 1},  {67, 1},   {68, 255}, {69, 2}, {70, 4},  {71, 1},  {72, 2},  {73, 3},
        {74, 255}, {75, 1}, {80, 2},  {81, 255}, {82, 255}, {83, 0}, {85, 1},  {86, 1},  {87, 1},  {88, 1},
        {89, 1},  {90, 1},  {91, 1},  {92, 1},   {93, 2},  {94, 1},  {95, 3},  {96, 2},  {97, 2},  {98, 1},
        {99, 2},  {100, 1}, {101, 2}, {102, 1},  {103, 255}, {104, 1}, {105, 255}, {106, 255}, {107, 2},
        {108, 255}, {109, 2}, {110, 2}, {117, 1}, {118, 1}, {119, 1}, {120, 255}, {121, 2}, {122, 2},
        {123, 2}, {124, 2}, {131, 1}, {132, 1},  {133, 255}, {136, 3}, {137, 3}, {138, 1}, {139, 1}, {140, 2},
        {141, 2}, {142, 1}, {143, 1}, {144, 2},  {145, 2}, {146, 1}, {147, 1}, {148, 2}, {149, 2}, {150, 1},
        {151, 1}, {152, 1}, {153, 1}, {154, 2},  {155, 2}, {156, 2}, {157, 2}, {158, 1}, {159, 1}, {160, 2},
        {161, 2}, {162, 1}, {163, 1}, {164, 2},  {165, 2}, {166, 2}, {167, 2}, {168, 2}, {169, 2}, {170, 2},
        {171, 2}, {182, 2}, {183, 2}, {184, 2},  {185, 1}, {186, 1}, {187, 12}, {189, 2}, {191, 255},
        {192, 4}, {193, 5}, {194, 4}, {195, 2},  {196, 4}, {197, 2}, {198, 2}, {199, 5}, {200, 4},
    };
    for (const auto& [code, size] : known)
        sizes[code] = static_cast<uint8_t>(size);
    made = true;
    return sizes;
}

// The Word 97 code of the Word 6.0/95 sprms the reader takes (0: none).
uint16_t Word97CodeOf(uint8_t code)
{
    switch (code) {
    case 2: return 0x4600;
    case 5: return 0x2403;
    case 7: return 0x2405;
    case 8: return 0x2406;
    case 9: return 0x2407;
    case 13: return 0xFF0D;  // sprmPNLvlAnm, Word 6.0/95 only
    case 15: return 0xC60D;
    case 16: return 0x840E;
    case 17: return 0x840F;
    case 19: return 0x8411;
    case 20: return 0x6412;
    case 21: return 0xA413;
    case 22: return 0xA414;
    case 23: return 0xC615;
    case 24: return 0x2416;
    case 25: return 0x2417;
    case 44: return 0x242A;
    case 51: return 0x2431;
    case 65: return 0x0800;
    case 68: return 0x6A03;
    case 71: return 0x0806;
    case 74: return 0x6A09;
    case 75: return 0x080A;
    case 80: return 0x4A30;
    case 85: return 0x0835;
    case 86: return 0x0836;
    case 87: return 0x0837;
    case 88: return 0x0838;
    case 89: return 0x0839;
    case 90: return 0x083A;
    case 91: return 0x083B;
    case 93: return 0x4A4F;
    case 94: return 0x2A3E;
    case 96: return 0x8840;
    case 97: return 0x486D;
    case 98: return 0x2A42;
    case 99: return 0x4A43;
    case 101: return 0x4845;
    case 104: return 0x2A48;
    case 107: return 0x484B;
    case 117: return 0x0855;
    case 118: return 0x0856;
    case 120: return 0xCE01;
    case 136: return 0xF203;
    case 137: return 0xF204;
    case 138: return 0x3005;
    case 142: return 0x3009;
    case 143: return 0x300A;
    case 144: return 0x500B;
    case 145: return 0x900C;
    case 147: return 0x300E;
    case 150: return 0x3011;
    case 153: return 0xFF99;  // sprmSGprfIhdt, Word 6.0/95 only
    case 156: return 0xB017;
    case 157: return 0xB018;
    case 158: return 0x3019;
    case 161: return 0x501C;
    case 162: return 0x301D;
    case 164: return 0xB01F;
    case 165: return 0xB020;
    case 166: return 0xB021;
    case 167: return 0xB022;
    case 168: return 0x9023;
    case 169: return 0x9024;
    default: return 0;
    }
}

uint8_t OpU8(const uint8_t* op, int32_t size, int32_t at)
{
    return at >= 0 && at < size ? op[at] : 0;
}
uint16_t OpU16(const uint8_t* op, int32_t size, int32_t at)
{
    return static_cast<uint16_t>(OpU8(op, size, at) | OpU8(op, size, at + 1) << 8);
}
int32_t OpI16(const uint8_t* op, int32_t size, int32_t at)
{
    return static_cast<int16_t>(OpU16(op, size, at));
}
uint32_t OpU32(const uint8_t* op, int32_t size, int32_t at)
{
    return static_cast<uint32_t>(OpU16(op, size, at)) | static_cast<uint32_t>(OpU16(op, size, at + 2)) << 16;
}

// The nearest of the 16 basic colours (index 1-16) to an RGB value.
int32_t NearestBasicColor(uint32_t rgb)
{
    static const uint32_t basic[16] = {0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000,
                                       0xFFFF00, 0xFFFFFF, 0x000080, 0x008080, 0x008000, 0x800080,
                                       0x800000, 0x808000, 0x808080, 0xC0C0C0};
    const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    int32_t best = 1;
    int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < 16; ++i) {
        const int dr = r - static_cast<int>((basic[i] >> 16) & 0xFF);
        const int dg = g - static_cast<int>((basic[i] >> 8) & 0xFF);
        const int db = b - static_cast<int>(basic[i] & 0xFF);
        const int64_t distance = static_cast<int64_t>(dr) * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i + 1;
        }
    }
    return best;
}

// 8-bit text of a UTF-16 string, in the code page its first character beyond
// ASCII needs.
std::string NarrowText(const std::u16string& wide)
{
    uint32_t codePage = 1252;
    for (char16_t c : wide)
        if (c >= 0x80) {
            codePage = GetCodePageOfWideChar(c, 1252);
            break;
        }
    try {
        return FromWide(wide, codePage);
    } catch (const Exception&) {
        std::string out;
        for (char16_t c : wide)
            out += c < 0x100 ? static_cast<char>(c) : '?';
        return out;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Sprms

int32_t TWordReader::SprmLength(const uint8_t* p, int32_t left) const
{
    if (left <= 0)
        return 0;
    if (FIs97) {
        if (left < 2)
            return left + 1;
        const uint16_t sprm = static_cast<uint16_t>(p[0] | p[1] << 8);
        // The table definition keeps a 16-bit length.
        if (sprm == 0xD608)
            return 2 + (left >= 4 ? static_cast<int32_t>(p[2] | p[3] << 8) : 0) + 1;
        if (sprm == 0xC615 && left >= 3 && p[2] == 255) {
            const int32_t del = OpU8(p, left, 3);
            const int32_t add = OpU8(p, left, 4 + 4 * del);
            return 2 + 1 + 1 + 4 * del + 1 + 3 * add;
        }
        switch (sprm >> 13) {
        case 0:
        case 1: return 3;
        case 2:
        case 4:
        case 5: return 4;
        case 3: return 6;
        case 7: return 5;
        default: return 2 + (left >= 3 ? p[2] : 0) + 1;
        }
    }
    const uint8_t code = p[0];
    if (code == 190 || code == 188)
        return 1 + (left >= 3 ? static_cast<int32_t>(p[1] | p[2] << 8) : 0) + 1;
    const uint8_t size = Word6OperandSizes()[code];
    if (size != 255)
        return 1 + size;
    if (left < 2)
        return 2;
    if (code == 23 && p[1] == 255) {
        const int32_t del = OpU8(p, left, 2);
        const int32_t add = OpU8(p, left, 3 + 4 * del);
        return 1 + 1 + 1 + 4 * del + 1 + 3 * add;
    }
    return 1 + p[1] + 1;
}

void TWordReader::ApplySprms(const uint8_t* p, int32_t size, TWordChp* chp, TWordPap* pap, TWordSep* sep,
                             bool pieceSprms)
{
    int32_t pos = 0;
    while (pos < size) {
        const int32_t length = SprmLength(p + pos, size - pos);
        if (length <= 0 || length > size - pos)
            break;
        uint16_t id;
        const uint8_t* op;
        int32_t opSize;
        if (FIs97) {
            id = static_cast<uint16_t>(p[pos] | p[pos + 1] << 8);
            op = p + pos + 2;
            opSize = length - 2;
            if ((id >> 13) == 6 && id != 0xD608) {
                ++op;
                --opSize;
            }
        } else {
            const uint8_t code = p[pos];
            id = Word97CodeOf(code);
            op = p + pos + 1;
            opSize = length - 1;
            if (Word6OperandSizes()[code] == 255) {
                ++op;
                --opSize;
            }
        }
        if (id != 0 && opSize >= 0) {
            if (chp)
                ApplyCharSprm(id, op, opSize, *chp, pieceSprms);
            if (pap)
                ApplyParSprm(id, op, opSize, *pap);
            if (sep)
                ApplySectionSprm(id, op, opSize, *sep);
        }
        pos += length;
    }
}

void TWordReader::ApplyCharSprm(uint16_t id, const uint8_t* op, int32_t n, TWordChp& chp, bool pieceSprms)
{
    auto toggle = [&](int slot) {
        const int32_t value = OpU8(op, n, 0);
        const auto s = static_cast<size_t>(slot);
        if (value == 0x80) {
            const TWordStyle* style = ParagraphStyle();
            chp[s] = style ? style->Chp[s] : 0;
        } else if (value == 0x81) {
            chp[s] = (chp[s] == NotSet ? 0 : chp[s]) ^ 1;
        } else {
            chp[s] = value;
        }
    };
    switch (id) {
    case 0x0800: chp[wcDeleted] = OpU8(op, n, 0); break;
    case 0x6A03:
        chp[wcPicLocation] = static_cast<int32_t>(OpU32(op, n, 0));
        chp[wcSpecial] = 1;
        break;
    case 0x0806: chp[wcFieldData] = OpU8(op, n, 0); break;
    case 0x6A09: {
        const int32_t font = OpU16(op, n, 0);
        const int32_t character = FIs97 ? OpU16(op, n, 2) : OpU8(op, n, 2);
        chp[wcSymbol] = font | character << 16;
        if (MapFont(font) >= 0)
            chp[cfFont] = MapFont(font);
        chp[wcSpecial] = 1;
        break;
    }
    case 0x080A: chp[wcOle2] = OpU8(op, n, 0); break;
    case 0x2A0C: chp[cfHighlight] = OpU8(op, n, 0) & 0x1F; break;
    case 0x680E: chp[wcObjLocation] = static_cast<int32_t>(OpU32(op, n, 0)); break;
    case 0x4A30: {
        const int32_t istd = OpU16(op, n, 0);
        if (istd < 0 || istd >= static_cast<int32_t>(FStyles.size()) || !FStyles[static_cast<size_t>(istd)].Defined)
            break;
        const TWordStyle& style = FStyles[static_cast<size_t>(istd)];
        // The character style of hyperlinks does not colour a table of contents.
        if (style.Sti == 85 && !FOpenFields.empty() && FOpenFields.back().Field &&
            FOpenFields.back().Field->Type == 13)
            break;
        if (!style.CharStyle || style.CharSprms.empty() || FInPieceSprms)
            break;
        // The style's own properties, applied once (no style inside a style).
        FInPieceSprms = true;
        ApplySprms(style.CharSprms.data(), static_cast<int32_t>(style.CharSprms.size()), &chp, nullptr, nullptr,
                   pieceSprms);
        FInPieceSprms = false;
        break;
    }
    case 0x0835: toggle(cfBold); break;
    case 0x0836: toggle(cfItalic); break;
    case 0x0837: toggle(cfStrikeOut); break;
    case 0x0838: toggle(cfOutline); break;
    case 0x0839: toggle(cfShadow); break;
    case 0x083A: toggle(cfSmallCaps); break;
    case 0x083B: toggle(cfAllCaps); break;
    case 0x4A4F: {
        const int32_t font = MapFont(OpU16(op, n, 0));
        chp[cfFont] = font >= 0 ? font : DefaultCharFormat()[cfFont];
        break;
    }
    case 0x2A3E: {
        const int32_t kul = OpU8(op, n, 0);
        chp[cfUnderline] = kul < 18 ? kul : 1;
        break;
    }
    case 0x8840: chp[cfLetterSpacing] = OpI16(op, n, 0); break;
    case 0x486D: chp[cfLanguage] = OpU16(op, n, 0); break;
    case 0x2A42: {
        const int32_t ico = OpU8(op, n, 0);
        chp[cfColor] = ico <= 16 ? ico : 0;
        break;
    }
    case 0x4A43: chp[cfSize] = OpU16(op, n, 0); break;
    case 0x4845: chp[cfRaise] = OpI16(op, n, 0) / 2; break;
    case 0x2A48: chp[cfVerticalPosition] = OpU8(op, n, 0); break;
    case 0x484B: chp[cfKerning] = OpU16(op, n, 0); break;
    case 0x4852: chp[cfHorizontalScale] = OpU16(op, n, 0); break;
    case 0x2A53: chp[cfDoubleStrikeOut] = OpU8(op, n, 0) != 0 ? 1 : 0; break;
    case 0x0854: toggle(cfEngrave); break;
    case 0x0855: chp[wcSpecial] = OpU8(op, n, 0); break;
    case 0x0856: chp[wcObject] = OpU8(op, n, 0); break;
    case 0x0858: toggle(cfEmboss); break;
    case 0x6877: {
        const uint32_t color = OpU32(op, n, 0);
        chp[cfUnderlineColor] = color == 0xFF000000u ? 0 : NearestBasicColor(color);
        break;
    }
    default: break;
    }
}

void TWordReader::ApplyParSprm(uint16_t id, const uint8_t* op, int32_t n, TWordPap& pap)
{
    switch (id) {
    case 0x4600:
        // A style change outside the style sheet (a piece modifier).
        if (!FStyles.empty()) {
            const int32_t numbered = pap[pfInternal];
            SetParStyle(pap, OpU16(op, n, 0));
            pap[pfInternal] = numbered;
        }
        break;
    case 0x2403: pap[pfAlignment] = OpU8(op, n, 0); break;
    case 0x2405: pap[pfKeepTogether] = OpU8(op, n, 0); break;
    case 0x2406: pap[pfKeepWithNext] = OpU8(op, n, 0); break;
    case 0x2407: pap[pfPageBreakBefore] = OpU8(op, n, 0); break;
    case 0xFF0D: pap[pfInternal] = OpU8(op, n, 0) != 0 ? 1 : 0; break;
    case 0x260A: pap[wpListLevel] = OpU8(op, n, 0); break;
    case 0x460B: pap[pfInternal] = OpU16(op, n, 0) != 0 ? 1 : 0; break;
    case 0xC60D: ChangeTabs(op, n, false, pap); break;
    case 0xC615: ChangeTabs(op, n, true, pap); break;
    case 0x840E: pap[pfRightIndent] = OpI16(op, n, 0); break;
    case 0x840F: pap[pfLeftIndent] = OpI16(op, n, 0); break;
    case 0x8411: pap[pfFirstIndent] = OpI16(op, n, 0); break;
    case 0x6412:
        pap[pfLineSpacing] = OpI16(op, n, 0);
        pap[pfLineRule] = OpU16(op, n, 2);
        break;
    case 0xA413: pap[pfSpaceBefore] = OpU16(op, n, 0); break;
    case 0xA414: pap[pfSpaceAfter] = OpU16(op, n, 0); break;
    case 0x2416: pap[wpInTable] = OpU8(op, n, 0); break;
    case 0x2417: pap[wpRowEnd] = OpU8(op, n, 0); break;
    case 0x242A: pap[pfNoHyphenation] = OpU8(op, n, 0); break;
    case 0x2431: pap[pfWidowControl] = OpU8(op, n, 0); break;
    default: break;
    }
}

void TWordReader::ChangeTabs(const uint8_t* op, int32_t n, bool tolerances, TWordPap& pap)
{
    TTabTable table;
    const int32_t current = pap[pfTabTable];
    if (current != NotSet && current >= 0)
        if (const TTabTable* stored = FDocument.TabManager().Tables(current))
            table.Assign(*stored);
    int32_t at = 0;
    const int32_t del = OpU8(op, n, at++);
    for (int32_t i = 0; i < del && at + 2 * i + 1 < n; ++i) {
        const int32_t position = OpI16(op, n, at + 2 * i);
        const int32_t tolerance = tolerances ? OpI16(op, n, at + 2 * del + 2 * i) : 0;
        for (int32_t k = table.Count() - 1; k >= 0; --k) {
            const int32_t stop = TabStopPosition(table.Stops(k));
            if (stop >= position - std::abs(tolerance) && stop <= position + std::abs(tolerance))
                table.RemoveTabAt(stop);
        }
    }
    at += 2 * del * (tolerances ? 2 : 1);
    const int32_t add = OpU8(op, n, at++);
    for (int32_t i = 0; i < add && at + 3 * i < n; ++i) {
        const int32_t position = OpI16(op, n, at + 2 * i);
        const uint8_t tbd = OpU8(op, n, at + 2 * add + i);
        const uint8_t kind = std::min<uint8_t>(tbd & 7, tkBar);
        const uint8_t leader = static_cast<uint8_t>((tbd >> 3) & 7);
        if (position >= 0 && position <= MaxTabLimit)
            table.AddTab(PackTabStop(position, kind, leader));
    }
    table.Sort();
    pap[pfTabTable] = FDocument.TabManager().AddTable(table);
}

void TWordReader::ApplySectionSprm(uint16_t id, const uint8_t* op, int32_t n, TWordSep& sep)
{
    auto scalar = [&](int slot, int32_t value) { sep[static_cast<size_t>(slot)] = value; };
    switch (id) {
    case 0xF203:
    case 0xF204: {
        // Column indexes beyond the 64 columns a section has are ignored.
        const int32_t column = OpU8(op, n, 0);
        if (column >= 64)
            break;
        const size_t entry = WordSectionScalarCount + static_cast<size_t>(column) * 5 + (id == 0xF203 ? 1 : 2);
        sep[entry] = OpI16(op, n, 1);
        break;
    }
    case 0x3005: scalar(wsEvenlySpaced, OpU8(op, n, 0)); break;
    case 0x3009: scalar(wsBreakCode, OpU8(op, n, 0)); break;
    case 0x300A: scalar(wsTitlePage, OpU8(op, n, 0)); break;
    case 0x500B: scalar(wsColumnCount, OpU16(op, n, 0) + 1); break;
    case 0x900C: scalar(wsColumnSpacing, OpI16(op, n, 0)); break;
    case 0x300E: scalar(wsPageNumberFormat, OpU8(op, n, 0)); break;
    case 0x3011: scalar(wsRestartNumbering, OpU8(op, n, 0)); break;
    case 0xFF99: scalar(wsHeaderFlags, OpU8(op, n, 0)); break;
    case 0xB017: scalar(wsHeaderDistance, OpU16(op, n, 0)); break;
    case 0xB018: scalar(wsFooterDistance, OpU16(op, n, 0)); break;
    case 0x3019: scalar(wsLineBetween, OpU8(op, n, 0)); break;
    case 0x501C: scalar(wsFirstPageNumber, OpU16(op, n, 0)); break;
    case 0x301D: scalar(wsOrientation, OpU8(op, n, 0)); break;
    case 0xB01F: scalar(wsPageWidth, OpU16(op, n, 0)); break;
    case 0xB020: scalar(wsPageHeight, OpU16(op, n, 0)); break;
    case 0xB021: scalar(wsLeftMargin, OpU16(op, n, 0)); break;
    case 0xB022: scalar(wsRightMargin, OpU16(op, n, 0)); break;
    case 0x9023: scalar(wsTopMargin, OpI16(op, n, 0)); break;
    case 0x9024: scalar(wsBottomMargin, OpI16(op, n, 0)); break;
    default: break;
    }
}

void TWordReader::ApplyPieceSprms()
{
    if (!FPiece || FPiece->Prm == 0)
        return;
    const uint16_t prm = FPiece->Prm;
    if ((prm & 1) == 0) {
        // One sprm: for Word 97 its index is the Word 6.0/95 code of a sprm
        // with a one-byte operand, as for Word 6.0/95 itself.
        const uint8_t code = static_cast<uint8_t>((prm >> 1) & 0x7F);
        const uint8_t operand = static_cast<uint8_t>(prm >> 8);
        const uint16_t id = Word97CodeOf(code);
        if (id == 0)
            return;
        ApplyCharSprm(id, &operand, 1, FChp, true);
        ApplyParSprm(id, &operand, 1, FPap);
        return;
    }
    const size_t index = prm >> 1;
    if (index >= FPropertyBlocks.size())
        return;
    const auto& [offset, size] = FPropertyBlocks[index];
    ApplySprms(FClx.data() + offset, size, &FChp, &FPap, nullptr, true);
}

// ---------------------------------------------------------------------------
// Property pages

void TWordReader::ReadBinTables()
{
    TBytes chp;
    TBytes pap;
    ReadPlc(chp, kFcPlcfbteChpx[0], kFcPlcfbteChpx[1]);
    ReadPlc(pap, kFcPlcfbtePapx[0], kFcPlcfbtePapx[1]);
    FBinChp.Assign(std::move(chp), FIs97 ? 4 : 2);
    FBinPap.Assign(std::move(pap), FIs97 ? 4 : 2);
}

int32_t TWordReader::FindPage(const TWordPlc& bin, uint32_t fc, int32_t& lastPage) const
{
    int32_t lo = 0;
    int32_t hi = bin.Count - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const auto start = static_cast<uint32_t>(bin.Pos(mid));
        const auto end = static_cast<uint32_t>(bin.Pos(mid + 1));
        if (fc < start) {
            hi = mid - 1;
        } else if (fc >= end) {
            lo = mid + 1;
        } else {
            const size_t at = bin.RecordAt(mid);
            const int32_t page = FIs97 ? static_cast<int32_t>(WordU32(bin.Data, at) & 0x3FFFFF)
                                       : WordU16(bin.Data, at);
            lastPage = page;
            return page;
        }
    }
    // A Word 6.0/95 file without a piece table may list fewer pages than it
    // has: the page after the last one used.
    if (!FIs97 && !FComplex && lastPage >= 0)
        return lastPage + 1;
    return -1;
}

bool TWordReader::LoadPage(int32_t page, uint8_t (&buffer)[512], int32_t& loaded)
{
    if (page == loaded)
        return true;
    const int64_t offset = static_cast<int64_t>(page) * 512;
    if (page < 0 || offset + 512 > FMainSize)
        return false;
    ReadMain(offset, buffer, 512);
    loaded = page;
    return true;
}

void TWordReader::LookupCharProperties(uint32_t fc)
{
    // The paragraph style's character format is the base.
    const TWordStyle* paragraphStyle = ParagraphStyle();
    FChp = paragraphStyle ? paragraphStyle->Chp : FDefaultChp;
    for (int slot = TCharFormat::Count; slot < WordCharSlots; ++slot)
        FChp[static_cast<size_t>(slot)] = 0;
    FChpRunStart = fc;
    FChpRunEnd = fc + 1;
    uint8_t (&page)[512] = FChpPage;
    const int32_t number = FindPage(FBinChp, fc, FLastChpPage);
    if (number >= 0 && LoadPage(number, page, FChpPageNumber)) {
        const int32_t crun = std::min<int32_t>(page[511], (511 - 4) / 5);
        auto pos = [&](int32_t i) {
            return static_cast<uint32_t>(page[i * 4] | page[i * 4 + 1] << 8 | page[i * 4 + 2] << 16 |
                                         static_cast<uint32_t>(page[i * 4 + 3]) << 24);
        };
        for (int32_t i = 0; i < crun; ++i) {
            if (fc < pos(i) || fc >= pos(i + 1))
                continue;
            FChpRunStart = pos(i);
            FChpRunEnd = pos(i + 1);
            const int32_t offset = page[4 * (crun + 1) + i] * 2;
            if (offset > 0 && offset < 511) {
                const int32_t size = std::min<int32_t>(page[offset], 511 - offset - 1);
                ApplySprms(page + offset + 1, size, &FChp, nullptr, nullptr, false);
            }
            break;
        }
    }
    if (FPiece && FPiece->Prm != 0) {
        const TWordPap keep = FPap;
        ApplyPieceSprms();
        FPap = keep;
    }
}

const TWordStyle* TWordReader::ParagraphStyle() const
{
    const int32_t index = FPap[pfStyle];
    if (index >= 0 && index < static_cast<int32_t>(FListToIstd.size()))
        return &FStyles[static_cast<size_t>(FListToIstd[static_cast<size_t>(index)])];
    return nullptr;
}

void TWordReader::LookupParProperties(uint32_t fc)
{
    SetParStyle(FPap, 0);
    FPapRunStart = fc;
    FPapRunEnd = fc + 1;
    uint8_t (&page)[512] = FPapPage;
    const int32_t number = FindPage(FBinPap, fc, FLastPapPage);
    if (number >= 0 && LoadPage(number, page, FPapPageNumber)) {
        const int32_t entry = FIs97 ? 13 : 7;
        const int32_t crun = std::min<int32_t>(page[511], (511 - 4) / (4 + entry));
        auto pos = [&](int32_t i) {
            return static_cast<uint32_t>(page[i * 4] | page[i * 4 + 1] << 8 | page[i * 4 + 2] << 16 |
                                         static_cast<uint32_t>(page[i * 4 + 3]) << 24);
        };
        for (int32_t i = 0; i < crun; ++i) {
            if (fc < pos(i) || fc >= pos(i + 1))
                continue;
            FPapRunStart = pos(i);
            FPapRunEnd = pos(i + 1);
            const int32_t offset = page[4 * (crun + 1) + i * entry] * 2;
            if (offset <= 0 || offset >= 510)
                break;
            int32_t data = offset + 1;
            int32_t size = 0;
            if (FIs97) {
                const int32_t cb = page[offset];
                if (cb == 0) {
                    size = page[offset + 1] * 2;
                    data = offset + 2;
                } else {
                    size = cb * 2 - 1;
                }
            } else {
                size = page[offset] * 2;
            }
            size = std::min(size, 511 - data);
            if (size >= 2) {
                SetParStyle(FPap, page[data] | page[data + 1] << 8);
                ApplySprms(page + data + 2, size - 2, nullptr, &FPap, nullptr, false);
            }
            break;
        }
    }
    if (FPiece && FPiece->Prm != 0) {
        const TWordChp keep = FChp;
        ApplyPieceSprms();
        FChp = keep;
    }
    // The characters take the new paragraph's style.
    FChpRunStart = 1;
    FChpRunEnd = 0;
}

const TWordStyle* TWordReader::StyleOf(int32_t istd) const
{
    if (istd >= 0 && istd < static_cast<int32_t>(FStyles.size()) && FStyles[static_cast<size_t>(istd)].Defined &&
        !FStyles[static_cast<size_t>(istd)].CharStyle)
        return &FStyles[static_cast<size_t>(istd)];
    for (const TWordStyle& style : FStyles)
        if (style.Defined && !style.CharStyle)
            return &style;
    return nullptr;
}

void TWordReader::SetParStyle(TWordPap& pap, int32_t istd)
{
    const TWordStyle* style = StyleOf(istd);
    if (style) {
        pap = style->Pap;
    } else {
        pap = FDefaultPap;
        pap[pfStyle] = 0;
    }
    pap[wpInTable] = 0;
    pap[wpRowEnd] = 0;
    pap[wpListLevel] = 0;
}

// ---------------------------------------------------------------------------
// Style sheet

std::string TWordReader::ReadWordString(const TBytes& b, size_t& at, bool wide, size_t end) const
{
    end = std::min(end, b.size());
    if (wide) {
        const size_t count = WordU16(b, at);
        at += 2;
        std::u16string text;
        for (size_t i = 0; i < count && at + 2 <= end; ++i, at += 2)
            text += static_cast<char16_t>(WordU16(b, at));
        return NarrowText(text);
    }
    if (at >= end)
        return {};
    const size_t count = b[at++];
    std::string text;
    for (size_t i = 0; i < count && at < end; ++i)
        text += static_cast<char>(b[at++]);
    return text;
}

void TWordReader::ReadStyleSheet()
{
    TBytes stsh;
    ReadPlc(stsh, kFcStshf[0], kFcStshf[1]);
    const size_t cbStshi = WordU16(stsh, 0);
    const size_t count = WordU16(stsh, 2);
    const size_t baseSize = std::max<size_t>(WordU16(stsh, 4), FIs97 ? 10 : 8);
    // Each entry takes two bytes at least: never more styles than that.
    const size_t limit = std::min<size_t>(count, stsh.size() / 2);
    FStyles.assign(limit, TWordStyle{});
    size_t pos = 2 + cbStshi;
    for (size_t istd = 0; istd < limit && pos + 2 <= stsh.size(); ++istd) {
        const size_t cbStd = WordU16(stsh, pos);
        pos += 2;
        const size_t start = pos;
        const size_t end = std::min(start + cbStd, stsh.size());
        pos = start + cbStd;
        if (cbStd < baseSize || end - start < baseSize)
            continue;
        TWordStyle& style = FStyles[istd];
        style.Sti = WordU16(stsh, start) & 0xFFF;
        const uint16_t w1 = WordU16(stsh, start + 2);
        const uint16_t w2 = WordU16(stsh, start + 4);
        const int32_t sgc = w1 & 0xF;
        if (sgc != 1 && sgc != 2)
            continue;
        style.Defined = true;
        style.CharStyle = sgc == 2;
        style.Base = w1 >> 4;
        style.Next = w2 >> 4;
        size_t at = start + baseSize;
        style.Name = ReadWordString(stsh, at, FIs97, end);
        at += FIs97 ? 2 : 1;  // the closing zero
        const size_t comma = style.Name.find(',');
        if (comma != std::string::npos)
            style.Name.resize(comma);
        // The property blocks, each at an even offset from the entry's start.
        const int32_t blocks = style.CharStyle ? 1 : 2;
        for (int32_t k = 0; k < blocks; ++k) {
            if ((at - start) & 1)
                ++at;
            if (at + 2 > end)
                break;
            const size_t size = WordU16(stsh, at);
            at += 2;
            if (at + size > end)
                break;
            TBytes bytes(stsh.begin() + static_cast<std::ptrdiff_t>(at),
                         stsh.begin() + static_cast<std::ptrdiff_t>(at + size));
            if (style.CharStyle)
                style.CharSprms = std::move(bytes);
            else if (k == 0)
                style.ParSprms = bytes.size() >= 2 ? TBytes(bytes.begin() + 2, bytes.end()) : TBytes();
            else
                style.CharSprms = std::move(bytes);
            at += size;
        }
    }

    // The paragraph styles become the document's styles, in their order.
    auto list = std::make_unique<TStyleList>(&FDocument, &FDocument.TabManager());
    for (size_t istd = 0; istd < FStyles.size(); ++istd) {
        TWordStyle& style = FStyles[istd];
        if (!style.Defined || style.CharStyle)
            continue;
        auto entry = std::make_unique<TStyle>(list.get());
        const bool standard = style.Sti < 91 && !StandardStyleName(style.Sti).empty();
        entry->Name = standard ? StandardStyleName(style.Sti) : style.Name;
        if (entry->Name.empty())
            entry->Name = "Style " + std::to_string(istd);
        entry->DisplayName = entry->Name;
        entry->FileStyleNumber = static_cast<int32_t>(istd);
        entry->BasedOn = style.Base == 0xFFF ? -1 : style.Base;
        entry->NextStyle = style.Next;
        style.ListIndex = list->Add(std::move(entry));
        FListToIstd.resize(static_cast<size_t>(style.ListIndex) + 1, static_cast<int32_t>(istd));
        FListToIstd[static_cast<size_t>(style.ListIndex)] = static_cast<int32_t>(istd);
    }

    // Full formats; twice, so that styles based on later ones resolve.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t istd = 0; istd < FStyles.size(); ++istd) {
            TWordStyle& style = FStyles[istd];
            if (!style.Defined)
                continue;
            const bool hasBase = style.Base != 0xFFF && style.Base != static_cast<int32_t>(istd) &&
                                 style.Base < static_cast<int32_t>(FStyles.size()) &&
                                 FStyles[static_cast<size_t>(style.Base)].Defined;
            if (style.CharStyle) {
                style.Chp.fill(NotSet);
                continue;
            }
            TWordChp chp;
            TWordPap pap;
            if (hasBase) {
                chp = FStyles[static_cast<size_t>(style.Base)].Chp;
                pap = FStyles[static_cast<size_t>(style.Base)].Pap;
            } else {
                chp.fill(0);
                pap.fill(0);
                for (int slot = 0; slot < TCharFormat::Count; ++slot)
                    chp[static_cast<size_t>(slot)] = DefaultCharFormat()[slot];
                chp[cfSize] = NotSet;
                // Text without a font of its own is in the file's first font.
                if (MapFont(0) >= 0)
                    chp[cfFont] = MapFont(0);
                for (int slot = 0; slot < TParFormat::Count; ++slot)
                    pap[static_cast<size_t>(slot)] = DefaultParFormat()[slot];
                pap[pfWidowControl] = 1;
                pap[pfTabTable] = -1;
            }
            for (int slot = TCharFormat::Count; slot < WordCharSlots; ++slot)
                chp[static_cast<size_t>(slot)] = 0;
            style.Pap = pap;
            ApplySprms(style.ParSprms.data(), static_cast<int32_t>(style.ParSprms.size()), nullptr, &style.Pap,
                       nullptr, false);
            style.Chp = chp;
            ApplySprms(style.CharSprms.data(), static_cast<int32_t>(style.CharSprms.size()), &style.Chp, nullptr,
                       nullptr, false);
            if (style.Chp[cfSize] == NotSet)
                style.Chp[cfSize] = 20;
            style.Pap[pfStyle] = style.ListIndex;
        }
    }
    for (TWordStyle& style : FStyles) {
        if (!style.Defined || style.CharStyle || style.ListIndex < 0)
            continue;
        TStyle& entry = (*list)[style.ListIndex];
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            entry.CharFormat[slot] = style.Chp[static_cast<size_t>(slot)];
        for (int slot = 0; slot < TParFormat::Count; ++slot)
            entry.ParFormat[slot] = style.Pap[static_cast<size_t>(slot)];
    }
    if (list->Count() == 0) {
        auto first = std::make_unique<TStyle>(list.get());
        first->Name = "Normal";
        first->DisplayName = "Normal";
        first->ParFormat = BaseStyleParFormat();
        first->FileStyleNumber = 0;
        list->Add(std::move(first));
    }
    ResolveStyleList(*list, 0xFFF);
    FDocument.ExchangeStyles(std::move(list));
}

// ---------------------------------------------------------------------------
// Fonts, document properties, summary strings

int32_t TWordReader::MapFont(int32_t number) const
{
    if (number < 0 || number >= static_cast<int32_t>(FFontMap.size()))
        return -1;
    return FFontMap[static_cast<size_t>(number)];
}

void TWordReader::ReadFonts()
{
    TBytes table;
    ReadPlc(table, kFcSttbfffn[0], kFcSttbfffn[1]);
    TFontManager* fonts = GetFontManager();
    size_t pos = FIs97 ? 4 : 2;
    while (pos < table.size()) {
        const size_t size = static_cast<size_t>(table[pos]) + 1;
        const size_t end = std::min(pos + size, table.size());
        const size_t nameAt = pos + (FIs97 ? 40 : 6);
        std::string name;
        std::string alternative;
        if (nameAt < end) {
            const uint8_t family = table[pos + 1];
            const uint8_t charset = pos + 4 < end ? table[pos + 4] : 0;
            const size_t altIndex = pos + 5 < end ? table[pos + 5] : 0;
            std::u16string wide;
            std::string narrow;
            if (FIs97) {
                for (size_t at = nameAt; at + 2 <= end; at += 2)
                    wide += static_cast<char16_t>(WordU16(table, at));
            } else {
                narrow.assign(reinterpret_cast<const char*>(table.data() + nameAt), end - nameAt);
            }
            std::string all = FIs97 ? NarrowText(wide) : narrow;
            const size_t zero = all.find('\0');
            name = all.substr(0, zero);
            if (altIndex > 0 && zero != std::string::npos && altIndex < all.size()) {
                alternative = all.substr(altIndex);
                alternative = alternative.substr(0, alternative.find('\0'));
            }
            int32_t index = DefaultCharFormat()[cfFont];
            if (fonts && !name.empty()) {
                std::string face = name;
                if (!alternative.empty() && fonts->IndexOfFamily(face) < 0 && fonts->IndexOfFamily(alternative) >= 0)
                    face = alternative;
                index = fonts->GetFontIndex(face, charset, true, family);
            }
            FFontMap.push_back(index);
        } else {
            FFontMap.push_back(DefaultCharFormat()[cfFont]);
        }
        pos += size;
    }
}

void TWordReader::ReadDocumentProperties()
{
    const int32_t fc = Fib(kFcDop[0], kFcDop[1]);
    const int32_t lcb = Fib(kFcDop[0] + 4, kFcDop[1] + 4);
    if (lcb <= 0)
        return;
    TBytes dop;
    ReadTable(static_cast<uint32_t>(fc), dop, std::min(lcb, 500));
    dop.resize(500, 0);
    TDocument& document = FDocument;
    TPageParams& first = document.Sections(0).PageParams;
    if (dop[0] & 1)
        first[ppFlags] = (first[ppFlags] & ~0xFF) | 1;
    if (dop[6] & 0x20)
        first[ppReserved8] = (first[ppReserved8] & ~0xFF) | 1;
    const int32_t tab = WordU16(dop, 0x0A);
    if (tab != 0)
        document.TabManager().SetDefaultInterval(tab);
    const uint16_t view = WordU16(dop, 0x52);
    int32_t zoom = (view >> 3) & 0x1FF;
    if (zoom < MinZoom || zoom > MaxZoom)
        zoom = 100;
    document.SetZoom(zoom);
    static const uint8_t zoomKinds[4] = {zkFixed, zkWholePage, zkPageWidth, zkTextWidth};
    document.ZoomKind = zoomKinds[(view >> 12) & 3];
    document.Properties.Created = PackedDateTimeToDateTime(WordU32(dop, 0x14));
    document.Properties.LastSaved = PackedDateTimeToDateTime(WordU32(dop, 0x18));
    document.Properties.LastPrinted = PackedDateTimeToDateTime(WordU32(dop, 0x1C));
    document.FootnoteNumbering.Placement = (dop[0] >> 5) & 3;
    const uint16_t footnotes = WordU16(dop, 2);
    document.FootnoteNumbering.Start = footnotes >> 2;
    document.FootnoteNumbering.Restart = footnotes & 3;
    document.EndnoteNumbering.Placement = WordU16(dop, 0x36) & 3;
    const uint16_t endnotes = WordU16(dop, 0x34);
    document.EndnoteNumbering.Start = endnotes >> 2;
    document.EndnoteNumbering.Restart = endnotes & 3;
    // The number formats of the note references.
    if (FIs97) {
        document.FootnoteNumbering.Style = WordU16(dop, 0x1EC);
        document.EndnoteNumbering.Style = WordU16(dop, 0x1EE);
    } else {
        document.FootnoteNumbering.Style = (WordU16(dop, 0x36) >> 2) & 0xF;
        document.EndnoteNumbering.Style = (WordU16(dop, 0x36) >> 6) & 0xF;
    }
    document.AutoHyphenation = (dop[5] & 0x10) ? 1 : 0;
    document.HyphenateCapitals = (dop[5] & 0x08) ? 1 : 0;
    document.HyphenationZone = WordU16(dop, 0x0E);
    document.HyphenationLimit = WordU16(dop, 0x10);
}

void TWordReader::ReadSummary()
{
    TBytes table;
    ReadPlc(table, kFcSttbfAssoc[0], kFcSttbfAssoc[1]);
    std::vector<std::string> entries;
    if (FIs97) {
        if (WordU16(table, 0) != 0xFFFF)
            return;
        const size_t count = WordU16(table, 2);
        size_t at = 6;
        for (size_t i = 0; i < count && i < 8 && at + 2 <= table.size(); ++i)
            entries.push_back(ReadWordString(table, at, true, table.size()));
    } else {
        size_t at = 2;
        for (size_t i = 0; i < 8 && at < table.size(); ++i)
            entries.push_back(ReadWordString(table, at, false, table.size()));
    }
    entries.resize(8);
    TDocProperties& properties = FDocument.Properties;
    auto take = [](std::string& target, const std::string& value) {
        if (!value.empty())
            target = value;
    };
    take(properties.Title, entries[2]);
    take(properties.Subject, entries[3]);
    take(properties.Keywords, entries[4]);
    take(properties.Comments, entries[5]);
    take(properties.Author, entries[6]);
    take(properties.LastAuthor, entries[7]);
}

// ---------------------------------------------------------------------------
// Sections

void TWordReader::ReadSectionProperties(int32_t index, TWordSep& sep)
{
    sep.fill(NotSet);
    if (index >= 0 && index < FSections.Count) {
        const uint32_t fcSepx = WordU32(FSections.Data, FSections.RecordAt(index) + 2);
        if (fcSepx != 0xFFFFFFFFu && static_cast<int64_t>(fcSepx) + 2 <= FMainSize) {
            uint8_t sizeBytes[2];
            ReadMain(fcSepx, sizeBytes, 2);
            const int32_t size = sizeBytes[0] | sizeBytes[1] << 8;
            TBytes sprms(static_cast<size_t>(size));
            ReadMain(static_cast<int64_t>(fcSepx) + 2, sprms.data(), size);
            ApplySprms(sprms.data(), size, nullptr, nullptr, &sep, false);
        }
    }
    for (int slot = 0; slot < WordSectionScalarCount; ++slot)
        if (sep[static_cast<size_t>(slot)] == NotSet)
            sep[static_cast<size_t>(slot)] = DefaultWordSection()[slot];
}

void TWordReader::ApplySectionRecord(TSection& section, const TWordSep& sep)
{
    TPageParams& page = section.PageParams;
    page[ppOrientation] = sep[wsOrientation] == 1 ? 0 : 1;
    page[ppPaperWidth] = sep[wsPageWidth];
    page[ppPaperHeight] = sep[wsPageHeight];
    page[ppLeftMargin] = sep[wsLeftMargin];
    page[ppRightMargin] = sep[wsRightMargin];
    page[ppTopMargin] = sep[wsTopMargin];
    page[ppBottomMargin] = sep[wsBottomMargin];
    page[ppHeaderDistance] = sep[wsHeaderDistance];
    page[ppFooterDistance] = sep[wsFooterDistance];
    page[ppFlags] = (page[ppFlags] & ~0xFF00) | (sep[wsTitlePage] != 0 ? 0x100 : 0);
    TSectionSettings& settings = section.Settings;
    settings[ssColumnCount] = std::clamp(sep[wsColumnCount], 1, MaxColumns);
    settings[ssEqualColumns] = sep[wsEvenlySpaced] != 0 ? 1 : 0;
    settings[ssColumnSpacing] = sep[wsColumnSpacing];
    for (int32_t c = 0; c < MaxColumns; ++c) {
        const size_t entry = WordSectionScalarCount + static_cast<size_t>(c) * 5;
        const int32_t width = sep[entry + 1];
        const int32_t spacing = sep[entry + 2];
        settings[TSectionSettings::ColumnValue(c, crWidth)] = width == NotSet ? 0 : width;
        settings[TSectionSettings::ColumnValue(c, crSpacing)] = spacing == NotSet ? 0 : spacing;
    }
    section.Trailing[0] = NfcToPageNumberStyle(std::clamp(sep[wsPageNumberFormat], 0, 4));
    section.Trailing[1] = sep[wsRestartNumbering] != 0 ? sep[wsFirstPageNumber] : -1;
}
