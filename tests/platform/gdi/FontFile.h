#pragma once
// A font file read for tests, independently of the graphics layer: the table
// directory, the few values the metric definitions use, glyph lookup through
// the Unicode character map, advances, 'kern' pairs, and the rebuilding of a
// font with some tables replaced (to make fixtures such as a symbol font).
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

class TTestFontFile {
public:
    bool Load(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        FData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        FTables.clear();
        if (FData.size() < 12)
            return false;
        const uint16_t n = U16(FData, 4);
        for (uint16_t i = 0; i < n; ++i) {
            const size_t rec = 12 + 16u * i;
            FTables[FData.substr(rec, 4)] = FData.substr(U32(FData, rec + 8), U32(FData, rec + 12));
        }
        return true;
    }

    const std::string& Table(const std::string& tag) const
    {
        static const std::string none;
        auto it = FTables.find(tag);
        return it == FTables.end() ? none : it->second;
    }
    bool HasTable(const std::string& tag) const { return FTables.count(tag) != 0; }

    int UnitsPerEm() const { return U16(Table("head"), 18); }
    int HheaAscender() const { return S16(Table("hhea"), 4); }
    int HheaDescender() const { return S16(Table("hhea"), 6); }
    int HheaLineGap() const { return S16(Table("hhea"), 8); }
    int AdvanceWidthMax() const { return U16(Table("hhea"), 10); }
    int AvgCharWidth() const { return S16(Table("OS/2"), 2); }
    int WinAscent() const { return U16(Table("OS/2"), 74); }
    int WinDescent() const { return U16(Table("OS/2"), 76); }

    // Glyph of a Unicode character through the (3,1) format 4 map, by a plain scan.
    uint16_t Glyph(uint32_t code) const
    {
        const std::string& cmap = Table("cmap");
        const uint16_t count = U16(cmap, 2);
        for (uint16_t i = 0; i < count; ++i) {
            const size_t rec = 4 + 8u * i;
            if (U16(cmap, rec) != 3 || U16(cmap, rec + 2) != 1)
                continue;
            const size_t t = U32(cmap, rec + 4);
            if (U16(cmap, t) != 4)
                continue;
            const size_t segs = U16(cmap, t + 6) / 2;
            for (size_t s = 0; s < segs; ++s) {
                const uint16_t end = U16(cmap, t + 14 + 2 * s);
                const uint16_t start = U16(cmap, t + 16 + 2 * segs + 2 * s);
                if (code < start || code > end)
                    continue;
                const uint16_t delta = U16(cmap, t + 16 + 4 * segs + 2 * s);
                const size_t roAt = t + 16 + 6 * segs + 2 * s;
                const uint16_t ro = U16(cmap, roAt);
                if (ro == 0)
                    return static_cast<uint16_t>(code + delta);
                const uint16_t g = U16(cmap, roAt + ro + 2 * (code - start));
                return g ? static_cast<uint16_t>(g + delta) : 0;
            }
        }
        return 0;
    }

    int Advance(uint16_t glyph) const
    {
        const uint16_t metrics = U16(Table("hhea"), 34);
        const uint16_t g = std::min<uint16_t>(glyph, static_cast<uint16_t>(metrics - 1));
        return U16(Table("hmtx"), 4u * g);
    }

    // Amount of a glyph pair in the first horizontal format-0 'kern' subtable.
    int Kern(uint16_t left, uint16_t right) const
    {
        const std::string& k = Table("kern");
        if (k.size() < 18)
            return 0;
        const uint16_t pairs = U16(k, 10);
        for (uint16_t i = 0; i < pairs; ++i) {
            const size_t p = 18 + 6u * i;
            if (U16(k, p) == left && U16(k, p + 2) == right)
                return S16(k, p + 4);
        }
        return 0;
    }

    // The font with tables replaced, added or removed.
    std::string Rebuild(const std::map<std::string, std::string>& replace, const std::set<std::string>& drop = {}) const
    {
        std::map<std::string, std::string> tables;
        for (const auto& [tag, data] : FTables)
            if (!drop.count(tag))
                tables[tag] = data;
        for (const auto& [tag, data] : replace)
            tables[tag] = data;
        const uint16_t n = static_cast<uint16_t>(tables.size());
        uint16_t entrySelector = 0;
        while ((2u << entrySelector) <= n)
            ++entrySelector;
        const uint16_t searchRange = static_cast<uint16_t>(16u << entrySelector);
        std::string out;
        Put32(out, 0x00010000);
        Put16(out, n);
        Put16(out, searchRange);
        Put16(out, entrySelector);
        Put16(out, static_cast<uint16_t>(n * 16 - searchRange));
        size_t offset = 12 + 16u * n;
        std::string body;
        for (const auto& [tag, data] : tables) {
            std::string padded = data;
            while (padded.size() % 4)
                padded += '\0';
            uint32_t sum = 0;
            for (size_t i = 0; i < padded.size(); i += 4)
                sum += U32(padded, i);
            out += tag;
            Put32(out, sum);
            Put32(out, static_cast<uint32_t>(offset));
            Put32(out, static_cast<uint32_t>(data.size()));
            body += padded;
            offset += padded.size();
        }
        return out + body;
    }

    static uint16_t U16(const std::string& s, size_t at)
    {
        if (at + 2 > s.size())
            return 0;
        return static_cast<uint16_t>((static_cast<uint8_t>(s[at]) << 8) | static_cast<uint8_t>(s[at + 1]));
    }
    static int16_t S16(const std::string& s, size_t at) { return static_cast<int16_t>(U16(s, at)); }
    static uint32_t U32(const std::string& s, size_t at)
    {
        return (static_cast<uint32_t>(U16(s, at)) << 16) | U16(s, at + 2);
    }
    static void Put16(std::string& s, uint16_t v)
    {
        s += static_cast<char>(v >> 8);
        s += static_cast<char>(v & 0xFF);
    }
    static void Put32(std::string& s, uint32_t v)
    {
        Put16(s, static_cast<uint16_t>(v >> 16));
        Put16(s, static_cast<uint16_t>(v));
    }

    // A 'name' table naming a family and a style (Windows Unicode records).
    static std::string NameTable(const std::string& family, const std::string& style = "Regular")
    {
        const bool regular = style == "Regular";
        const std::string full = regular ? family : family + " " + style;
        std::string ps;
        for (char c : family)
            if (c != ' ')
                ps += c;
        if (!regular)
            ps += "-" + style;
        const std::pair<uint16_t, std::string> names[] = {{1, family}, {2, style}, {4, full}, {6, ps}};
        std::string strings, records;
        for (const auto& [id, text] : names) {
            std::string utf16;
            for (char c : text) {
                utf16 += '\0';
                utf16 += c;
            }
            Put16(records, 3);
            Put16(records, 1);
            Put16(records, 0x409);
            Put16(records, id);
            Put16(records, static_cast<uint16_t>(utf16.size()));
            Put16(records, static_cast<uint16_t>(strings.size()));
            strings += utf16;
        }
        std::string t;
        Put16(t, 0);
        Put16(t, 4);
        Put16(t, static_cast<uint16_t>(6 + records.size()));
        return t + records + strings;
    }

    // A 'cmap' table with one (3,0) symbol subtable (format 4) mapping
    // U+F000 + byte to the given glyphs (glyph 0: unmapped).
    static std::string SymbolCmap(const std::map<uint8_t, uint16_t>& glyphs)
    {
        // One segment per mapped byte plus the closing 0xFFFF segment.
        std::string ends, starts, deltas, offsets;
        uint16_t segs = 0;
        for (const auto& [byte, glyph] : glyphs) {
            const uint16_t code = static_cast<uint16_t>(0xF000 + byte);
            Put16(ends, code);
            Put16(starts, code);
            Put16(deltas, static_cast<uint16_t>(glyph - code));
            Put16(offsets, 0);
            ++segs;
        }
        Put16(ends, 0xFFFF);
        Put16(starts, 0xFFFF);
        Put16(deltas, 1);
        Put16(offsets, 0);
        ++segs;
        std::string sub;
        Put16(sub, 4);
        Put16(sub, static_cast<uint16_t>(16 + 8 * segs));
        Put16(sub, 0);
        Put16(sub, static_cast<uint16_t>(segs * 2));
        uint16_t sel = 0;
        while ((2u << sel) <= segs)
            ++sel;
        Put16(sub, static_cast<uint16_t>(2u << sel));
        Put16(sub, sel);
        Put16(sub, static_cast<uint16_t>(segs * 2 - (2u << sel)));
        sub += ends;
        Put16(sub, 0);
        sub += starts + deltas + offsets;
        std::string t;
        Put16(t, 0);
        Put16(t, 1);
        Put16(t, 3);
        Put16(t, 0);
        Put32(t, 12);
        return t + sub;
    }

private:
    std::string FData;
    std::map<std::string, std::string> FTables;
};

// Rounds n / d half away from zero (d > 0), as the metric definitions do.
inline int RoundDiv(long long n, long long d)
{
    const long long q = (2 * (n < 0 ? -n : n) + d) / (2 * d);
    return static_cast<int>(n < 0 ? -q : q);
}

constexpr const char* kLiberationDir = "/usr/share/fonts/truetype/liberation2/";
constexpr const char* kDejaVuDir = "/usr/share/fonts/truetype/dejavu/";
