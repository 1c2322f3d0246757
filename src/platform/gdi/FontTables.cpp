#include "platform/gdi/FontTables.h"

#include <algorithm>

namespace {

// Big-endian reads that return 0 past the end of the data.
class TReader {
public:
    explicit TReader(std::string_view data) : FData(data) {}
    size_t Size() const { return FData.size(); }
    bool Has(size_t offset, size_t count) const { return offset <= FData.size() && count <= FData.size() - offset; }
    uint8_t U8(size_t offset) const { return Has(offset, 1) ? static_cast<uint8_t>(FData[offset]) : 0; }
    uint16_t U16(size_t offset) const
    {
        return Has(offset, 2) ? static_cast<uint16_t>((U8(offset) << 8) | U8(offset + 1)) : 0;
    }
    int16_t S16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const
    {
        return Has(offset, 4) ? (static_cast<uint32_t>(U16(offset)) << 16) | U16(offset + 2) : 0;
    }

private:
    std::string_view FData;
};

constexpr uint32_t TAG_HEAD = MakeTableTag('h', 'e', 'a', 'd');
constexpr uint32_t TAG_HHEA = MakeTableTag('h', 'h', 'e', 'a');
constexpr uint32_t TAG_HMTX = MakeTableTag('h', 'm', 't', 'x');
constexpr uint32_t TAG_OS2 = MakeTableTag('O', 'S', '/', '2');
constexpr uint32_t TAG_POST = MakeTableTag('p', 'o', 's', 't');
constexpr uint32_t TAG_CMAP = MakeTableTag('c', 'm', 'a', 'p');
constexpr uint32_t TAG_KERN = MakeTableTag('k', 'e', 'r', 'n');
constexpr uint32_t TAG_GPOS = MakeTableTag('G', 'P', 'O', 'S');
constexpr uint32_t FEATURE_KERN = MakeTableTag('k', 'e', 'r', 'n');

// The length of a cmap subtable from its own header, bounded by the table.
size_t SubtableLength(const TReader& r, size_t offset, uint16_t format)
{
    size_t len = 0;
    if (format == 0 || format == 2 || format == 4 || format == 6)
        len = r.U16(offset + 2);
    else if (format == 8 || format == 10 || format == 12 || format == 13)
        len = r.U32(offset + 4);
    if (len == 0 || !r.Has(offset, len))
        len = r.Size() > offset ? r.Size() - offset : 0;
    return len;
}

void ParseCmap(const std::string& cmap, TFontFaceTables& t)
{
    TReader r(cmap);
    const uint16_t count = r.U16(2);
    // Preference among the Unicode subtables; lower is better.
    int bestRank = 100;
    size_t bestOffset = 0;
    uint16_t bestFormat = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t rec = 4 + 8u * i;
        if (!r.Has(rec, 8))
            break;
        const uint16_t platform = r.U16(rec);
        const uint16_t encoding = r.U16(rec + 2);
        const size_t offset = r.U32(rec + 4);
        if (!r.Has(offset, 4))
            continue;
        const uint16_t format = r.U16(offset);
        if (format != 0 && format != 4 && format != 6 && format != 12)
            continue;
        int rank = 100;
        if (platform == 3 && encoding == 10)
            rank = 0;
        else if (platform == 3 && encoding == 1)
            rank = 1;
        else if (platform == 0)
            rank = 2 + (format == 12 ? 0 : 1);
        else if (platform == 3 && encoding == 0) {
            if (t.SymbolMap.Empty())
                t.SymbolMap.Assign(cmap.substr(offset, SubtableLength(r, offset, format)), format);
            continue;
        }
        if (rank < bestRank) {
            bestRank = rank;
            bestOffset = offset;
            bestFormat = format;
        }
    }
    if (bestRank < 100)
        t.UnicodeMap.Assign(cmap.substr(bestOffset, SubtableLength(r, bestOffset, bestFormat)), bestFormat);
}

void ParseKern(const std::string& kern, TFontFaceTables& t)
{
    TReader r(kern);
    if (r.Size() < 4)
        return;
    // Version 0 header: version u16, nTables u16; subtable: version,
    // length, coverage (u16 each). Version 1 (Apple) tables are not read.
    if (r.U16(0) != 0)
        return;
    const uint16_t tables = r.U16(2);
    size_t offset = 4;
    for (uint16_t i = 0; i < tables && r.Has(offset, 6); ++i) {
        const uint16_t length = r.U16(offset + 2);
        const uint16_t coverage = r.U16(offset + 4);
        const uint16_t format = coverage >> 8;
        const bool horizontal = coverage & 0x1;
        const bool minimum = coverage & 0x2;
        const bool crossStream = coverage & 0x4;
        const bool override = coverage & 0x8;
        if (format == 0 && horizontal && !minimum && !crossStream) {
            const uint16_t pairs = r.U16(offset + 6);
            size_t p = offset + 14;
            for (uint16_t k = 0; k < pairs && r.Has(p, 6); ++k, p += 6) {
                const uint32_t key = (static_cast<uint32_t>(r.U16(p)) << 16) | r.U16(p + 2);
                const int16_t value = r.S16(p + 4);
                if (override)
                    t.KernPairs[key] = value;
                else
                    t.KernPairs[key] = static_cast<int16_t>(t.KernPairs[key] + value);
            }
            t.HasKernTable = true;
        }
        if (length < 6)
            break;
        offset += length;
    }
}

}  // namespace

void TCmapSubtable::Assign(std::string data, uint16_t format)
{
    FData = std::move(data);
    FFormat = format;
}

uint16_t TCmapSubtable::Lookup(uint32_t code) const
{
    TReader r(FData);
    switch (FFormat) {
    case 0:
        return code < 256 ? r.U8(6 + code) : 0;
    case 6: {
        const uint16_t first = r.U16(6);
        const uint16_t count = r.U16(8);
        if (code < first || code >= static_cast<uint32_t>(first) + count)
            return 0;
        return r.U16(10 + 2 * (code - first));
    }
    case 4: {
        if (code > 0xFFFF)
            return 0;
        const size_t segments = r.U16(6) / 2;
        const size_t ends = 14;
        const size_t starts = ends + 2 * segments + 2;
        const size_t deltas = starts + 2 * segments;
        const size_t rangeOffsets = deltas + 2 * segments;
        // Binary search for the first segment whose end is >= code.
        size_t lo = 0, hi = segments;
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (r.U16(ends + 2 * mid) < code)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo >= segments)
            return 0;
        const uint16_t start = r.U16(starts + 2 * lo);
        if (code < start)
            return 0;
        const uint16_t delta = r.U16(deltas + 2 * lo);
        const uint16_t rangeOffset = r.U16(rangeOffsets + 2 * lo);
        if (rangeOffset == 0)
            return static_cast<uint16_t>(code + delta);
        const size_t glyphAt = rangeOffsets + 2 * lo + rangeOffset + 2 * (code - start);
        const uint16_t glyph = r.U16(glyphAt);
        return glyph == 0 ? 0 : static_cast<uint16_t>(glyph + delta);
    }
    case 12: {
        const uint32_t groups = r.U32(12);
        uint32_t lo = 0, hi = groups;
        while (lo < hi) {
            const uint32_t mid = lo + (hi - lo) / 2;
            const size_t g = 16 + 12u * mid;
            if (!r.Has(g, 12))
                return 0;
            const uint32_t startCode = r.U32(g);
            const uint32_t endCode = r.U32(g + 4);
            if (code < startCode)
                hi = mid;
            else if (code > endCode)
                lo = mid + 1;
            else {
                const uint32_t glyph = r.U32(g + 8) + (code - startCode);
                return glyph > 0xFFFF ? 0 : static_cast<uint16_t>(glyph);
            }
        }
        return 0;
    }
    default:
        return 0;
    }
}

uint16_t TFontFaceTables::Advance(uint16_t glyph) const
{
    if (Advances.empty())
        return 0;
    return glyph < Advances.size() ? Advances[glyph] : Advances.back();
}

TFontFaceTables ParseFontTables(const TFontTableSource& source)
{
    TFontFaceTables t;
    const std::string head = source(TAG_HEAD);
    const std::string hhea = source(TAG_HHEA);
    const std::string hmtx = source(TAG_HMTX);
    TReader rh(head), rhh(hhea), rm(hmtx);
    if (!rh.Has(0, 54) || !rhh.Has(0, 36))
        return t;
    const uint16_t upem = rh.U16(18);
    if (upem >= 16 && upem <= 16384)
        t.UnitsPerEm = upem;
    t.MacStyle = rh.U16(44);

    t.HheaAscender = rhh.S16(4);
    t.HheaDescender = rhh.S16(6);
    t.HheaLineGap = rhh.S16(8);
    t.AdvanceWidthMax = rhh.U16(10);
    const uint16_t metrics = rhh.U16(34);
    const size_t count = std::min<size_t>(metrics, rm.Size() / 4);
    t.Advances.reserve(count);
    for (size_t i = 0; i < count; ++i)
        t.Advances.push_back(rm.U16(4 * i));
    if (t.Advances.empty())
        return t;

    const std::string os2 = source(TAG_OS2);
    TReader ro(os2);
    if (ro.Has(0, 78)) {
        t.HasOs2 = true;
        t.AvgCharWidth = ro.S16(2);
        t.WeightClass = ro.U16(4);
        t.StrikeoutSize = ro.S16(26);
        t.StrikeoutPosition = ro.S16(28);
        t.FamilyClass = ro.U8(30);
        for (int i = 0; i < 10; ++i)
            t.Panose[i] = ro.U8(32 + i);
        t.FsSelection = ro.U16(62);
        t.WinAscent = ro.U16(74);
        t.WinDescent = ro.U16(76);
        if (ro.U16(0) >= 1 && ro.Has(78, 8)) {
            t.CodePageRange1 = ro.U32(78);
            t.HasCodePageRange = true;
        }
    }
    if (!t.HasOs2 || t.WinAscent + t.WinDescent == 0) {
        // Without usable OS/2 values the horizontal header stands in for them.
        t.WinAscent = static_cast<uint16_t>(std::max<int>(0, t.HheaAscender));
        t.WinDescent = static_cast<uint16_t>(std::max<int>(0, -t.HheaDescender));
    }

    const std::string post = source(TAG_POST);
    TReader rp(post);
    if (rp.Has(0, 16)) {
        t.UnderlinePosition = rp.S16(8);
        t.UnderlineThickness = rp.S16(10);
        t.FixedPitch = rp.U32(12) != 0;
    }

    ParseCmap(source(TAG_CMAP), t);
    ParseKern(source(TAG_KERN), t);
    if (!t.HasKernTable)
        t.Gpos = source(TAG_GPOS);
    t.Valid = true;
    return t;
}

// --- GPOS pair adjustments ------------------------------------------------

namespace {

int ValueRecordSize(uint16_t format)
{
    int n = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (format & (1 << bit))
            n += 2;
    return n;
}

// The x advance of a value record, 0 when the record has none.
int16_t XAdvance(const TReader& r, size_t offset, uint16_t format)
{
    if (!(format & 0x0004))
        return 0;
    size_t at = offset;
    if (format & 0x0001)
        at += 2;
    if (format & 0x0002)
        at += 2;
    return r.S16(at);
}

// Coverage index of a glyph, -1 when not covered.
int CoverageIndex(const TReader& r, size_t offset, uint16_t glyph)
{
    const uint16_t format = r.U16(offset);
    if (format == 1) {
        const uint16_t count = r.U16(offset + 2);
        int lo = 0, hi = count;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const uint16_t g = r.U16(offset + 4 + 2 * mid);
            if (g == glyph)
                return mid;
            if (g < glyph)
                lo = mid + 1;
            else
                hi = mid;
        }
    } else if (format == 2) {
        const uint16_t count = r.U16(offset + 2);
        int lo = 0, hi = count;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const size_t rec = offset + 4 + 6 * mid;
            const uint16_t start = r.U16(rec);
            const uint16_t end = r.U16(rec + 2);
            if (glyph < start)
                hi = mid;
            else if (glyph > end)
                lo = mid + 1;
            else
                return r.U16(rec + 4) + (glyph - start);
        }
    }
    return -1;
}

uint16_t GlyphClass(const TReader& r, size_t offset, uint16_t glyph)
{
    const uint16_t format = r.U16(offset);
    if (format == 1) {
        const uint16_t start = r.U16(offset + 2);
        const uint16_t count = r.U16(offset + 4);
        if (glyph >= start && glyph < start + count)
            return r.U16(offset + 6 + 2 * (glyph - start));
    } else if (format == 2) {
        const uint16_t count = r.U16(offset + 2);
        int lo = 0, hi = count;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const size_t rec = offset + 4 + 6 * mid;
            if (glyph < r.U16(rec))
                hi = mid;
            else if (glyph > r.U16(rec + 2))
                lo = mid + 1;
            else
                return r.U16(rec + 4);
        }
    }
    return 0;
}

}  // namespace

TGposKerning::TGposKerning(std::string_view gpos) : FData(gpos)
{
    TReader r(FData);
    if (r.Size() < 10 || r.U16(0) != 1)
        return;
    const size_t featureList = r.U16(6);
    const size_t lookupList = r.U16(8);
    std::vector<uint16_t> lookupIndexes;
    const uint16_t features = r.U16(featureList);
    for (uint16_t i = 0; i < features; ++i) {
        const size_t rec = featureList + 2 + 6u * i;
        if (!r.Has(rec, 6))
            break;
        if (r.U32(rec) != FEATURE_KERN)
            continue;
        const size_t feature = featureList + r.U16(rec + 4);
        const uint16_t n = r.U16(feature + 2);
        for (uint16_t k = 0; k < n; ++k)
            lookupIndexes.push_back(r.U16(feature + 4 + 2 * k));
    }
    std::sort(lookupIndexes.begin(), lookupIndexes.end());
    lookupIndexes.erase(std::unique(lookupIndexes.begin(), lookupIndexes.end()), lookupIndexes.end());
    const uint16_t lookupCount = r.U16(lookupList);
    for (uint16_t index : lookupIndexes) {
        if (index >= lookupCount)
            continue;
        const size_t lookup = lookupList + r.U16(lookupList + 2 + 2 * index);
        const uint16_t type = r.U16(lookup);
        const uint16_t subtables = r.U16(lookup + 4);
        std::vector<uint32_t> pairSubtables;
        for (uint16_t s = 0; s < subtables; ++s) {
            size_t sub = lookup + r.U16(lookup + 6 + 2 * s);
            if (type == 9) {
                // Extension: format 1, the real type, a 32-bit offset.
                if (r.U16(sub) != 1 || r.U16(sub + 2) != 2)
                    continue;
                sub += r.U32(sub + 4);
            } else if (type != 2) {
                continue;
            }
            if (r.Has(sub, 10) && sub <= 0xFFFFFFFFu)
                pairSubtables.push_back(static_cast<uint32_t>(sub));
        }
        if (!pairSubtables.empty())
            FLookups.push_back(std::move(pairSubtables));
    }
}

bool TGposKerning::CoversFirst(uint16_t glyph) const
{
    TReader r(FData);
    for (const auto& lookup : FLookups)
        for (uint32_t sub : lookup)
            if (CoverageIndex(r, sub + r.U16(sub + 2), glyph) >= 0)
                return true;
    return false;
}

int32_t TGposKerning::Adjustment(uint16_t first, uint16_t second) const
{
    TReader r(FData);
    int32_t total = 0;
    for (const auto& lookup : FLookups) {
        // Within a lookup the first subtable that applies to the pair wins.
        for (uint32_t sub : lookup) {
            const uint16_t format = r.U16(sub);
            const int coverage = CoverageIndex(r, sub + r.U16(sub + 2), first);
            if (coverage < 0)
                continue;
            const uint16_t vf1 = r.U16(sub + 4);
            const uint16_t vf2 = r.U16(sub + 6);
            const int size1 = ValueRecordSize(vf1);
            const int size2 = ValueRecordSize(vf2);
            if (format == 1) {
                const uint16_t sets = r.U16(sub + 8);
                if (coverage >= sets)
                    continue;
                const size_t set = sub + r.U16(sub + 10 + 2 * coverage);
                const uint16_t count = r.U16(set);
                const size_t recordSize = 2 + size1 + size2;
                int lo = 0, hi = count;
                bool found = false;
                while (lo < hi) {
                    const int mid = (lo + hi) / 2;
                    const size_t rec = set + 2 + recordSize * mid;
                    const uint16_t g = r.U16(rec);
                    if (g == second) {
                        total += XAdvance(r, rec + 2, vf1);
                        found = true;
                        break;
                    }
                    if (g < second)
                        lo = mid + 1;
                    else
                        hi = mid;
                }
                if (found)
                    break;
            } else if (format == 2) {
                const size_t classDef1 = sub + r.U16(sub + 8);
                const size_t classDef2 = sub + r.U16(sub + 10);
                const uint16_t class1Count = r.U16(sub + 12);
                const uint16_t class2Count = r.U16(sub + 14);
                const uint16_t c1 = GlyphClass(r, classDef1, first);
                const uint16_t c2 = GlyphClass(r, classDef2, second);
                if (c1 < class1Count && c2 < class2Count) {
                    const size_t rec = sub + 16 + (static_cast<size_t>(c1) * class2Count + c2) * (size1 + size2);
                    total += XAdvance(r, rec, vf1);
                }
                break;
            }
        }
    }
    return total;
}
