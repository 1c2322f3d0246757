#pragma once
// The tables of a scalable font that the font mapper reads: 'head', 'hhea',
// 'hmtx', 'OS/2', 'post', 'cmap', 'kern' and 'GPOS'. Parsing never trusts the
// font: every offset is checked, and a damaged table reads as absent.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Gives the bytes of one table by its tag ('head' = 0x68656164); empty when the
// font has no such table.
using TFontTableSource = std::function<std::string(uint32_t tag)>;

constexpr uint32_t MakeTableTag(char a, char b, char c, char d)
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(d));
}

// One character map subtable kept as its bytes and looked up on demand.
class TCmapSubtable {
public:
    bool Empty() const { return FData.empty(); }
    void Assign(std::string data, uint16_t format);
    // Glyph of a character, 0 when the subtable does not map it.
    uint16_t Lookup(uint32_t code) const;

private:
    std::string FData;
    uint16_t FFormat = 0;
};

// The values of a face the mapper needs, in font design units.
struct TFontFaceTables {
    bool Valid = false;  // head, hhea and hmtx were readable

    uint16_t UnitsPerEm = 2048;
    uint16_t MacStyle = 0;

    int16_t HheaAscender = 0;
    int16_t HheaDescender = 0;  // negative below the baseline
    int16_t HheaLineGap = 0;
    uint16_t AdvanceWidthMax = 0;

    bool HasOs2 = false;
    int16_t AvgCharWidth = 0;
    uint16_t WeightClass = 400;
    uint16_t FsSelection = 0;
    int16_t StrikeoutSize = 0;
    int16_t StrikeoutPosition = 0;
    uint8_t FamilyClass = 0;   // high byte of sFamilyClass
    uint8_t Panose[10] = {};
    uint32_t CodePageRange1 = 0;
    bool HasCodePageRange = false;
    uint16_t WinAscent = 0;
    uint16_t WinDescent = 0;

    int16_t UnderlinePosition = 0;
    int16_t UnderlineThickness = 0;
    bool FixedPitch = false;  // 'post' isFixedPitch

    std::vector<uint16_t> Advances;  // per glyph (the last one repeats)

    TCmapSubtable UnicodeMap;  // (3,10), (3,1), (0,x) in that preference
    TCmapSubtable SymbolMap;   // (3,0)

    // 'kern' format 0 horizontal pairs, glyph pair (first << 16 | second) -> amount.
    std::unordered_map<uint32_t, int16_t> KernPairs;
    bool HasKernTable = false;
    std::string Gpos;  // kept raw; pair adjustments are read on demand

    uint16_t Advance(uint16_t glyph) const;
    bool IsSymbolFont() const { return !SymbolMap.Empty() || (HasCodePageRange && (CodePageRange1 & 0x80000000u)); }
};

// Reads the tables of a face. Missing or damaged tables leave their defaults;
// Valid tells whether the face can be measured at all.
TFontFaceTables ParseFontTables(const TFontTableSource& source);

// Horizontal advance adjustment of the pair (first, second) from the 'kern'
// feature of the GPOS table, in design units; 0 when none.
class TGposKerning {
public:
    // The table must outlive this reader.
    explicit TGposKerning(std::string_view gpos);
    bool Empty() const { return FLookups.empty(); }
    // Whether any pair adjustment starts with this glyph.
    bool CoversFirst(uint16_t glyph) const;
    int32_t Adjustment(uint16_t first, uint16_t second) const;

private:
    std::string_view FData;
    std::vector<std::vector<uint32_t>> FLookups;  // per lookup: offsets of its pair subtables
};
