#include "imaging/TiffImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "imaging/PictureData.h"
#include "imaging/TiffFax.h"
#include "platform/framework/Picture.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

using namespace imaging;

namespace {

int gUnitCount = 0;
constexpr uint32_t kMaxDirectories = 4096;

// Bytes of one value of a TIFF field type (0 for an unknown type).
uint32_t TypeSize(uint16_t type)
{
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: case 13: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
    }
}

struct TEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    uint32_t Position = 0;  // of the entry's 4-byte value field in the file
};

class TTiffFile {
public:
    explicit TTiffFile(const std::string& data) : FData(data) {}
    bool Motorola = false;

    bool Has(uint64_t offset, uint64_t count) const { return offset <= FData.size() && count <= FData.size() - offset; }
    uint16_t U16(uint64_t offset) const
    {
        if (!Has(offset, 2))
            Abort();
        const auto* p = reinterpret_cast<const uint8_t*>(FData.data()) + offset;
        return Motorola ? GetBE16(p) : GetLE16(p);
    }
    uint32_t U32(uint64_t offset) const
    {
        if (!Has(offset, 4))
            Abort();
        const auto* p = reinterpret_cast<const uint8_t*>(FData.data()) + offset;
        return Motorola ? GetBE32(p) : GetLE32(p);
    }
    // Integer values of an entry (at most max of them; none when the values
    // lie outside the file). A SHORT held in the value field is its first two bytes.
    std::vector<uint32_t> Values(const TEntry& e, uint32_t max = 0xFFFFFFFF) const
    {
        std::vector<uint32_t> out;
        const uint32_t size = TypeSize(e.Type);
        if (size == 0 || e.Count == 0)
            return out;
        const uint64_t total = static_cast<uint64_t>(size) * e.Count;
        const uint64_t at = total <= 4 ? e.Position : U32(e.Position);
        if (!Has(at, total))
            return out;
        const uint32_t n = std::min(e.Count, max);
        out.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            const uint64_t p = at + static_cast<uint64_t>(i) * size;
            switch (e.Type) {
            case 1: case 2: case 6: case 7: out.push_back(static_cast<uint8_t>(FData[p])); break;
            case 3: case 8: out.push_back(U16(p)); break;
            case 5: case 10: {
                const uint32_t den = U32(p + 4);
                out.push_back(den ? U32(p) / den : 0);
                break;
            }
            default: out.push_back(U32(p)); break;
            }
        }
        return out;
    }
    std::string Text(const TEntry& e) const
    {
        std::string s;
        for (uint32_t v : Values(e, 4096))
            s += static_cast<char>(v);
        return s;
    }

private:
    const std::string& FData;
};

struct TDescription {
    uint32_t Width = 0, Height = 0;
    uint32_t Bits = 1;
    uint32_t Compression = 1;
    uint32_t Photometric = 2;
    bool PhotometricSet = false;
    uint32_t FillOrder = 1;
    uint32_t Samples = 1;
    uint32_t RowsPerStrip = 0;
    uint32_t Planar = 1;
    uint32_t T4Options = 0;
    uint32_t Predictor = 1;
    int64_t TileWidth = -1, TileLength = -1;
    std::string Software;
    std::vector<uint32_t> StripOffsets, StripCounts, TileOffsets, TileCounts, ColorMap;
};

uint8_t ReverseBits(uint8_t b)
{
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// PackBits: n 0..127 copies n + 1 bytes, -127..-1 repeats the next byte
// 1 - n times, -128 is skipped. Stops at limit bytes.
void UnpackBits(std::string_view in, std::string& out, size_t limit)
{
    size_t i = 0;
    while (i < in.size() && out.size() < limit) {
        const int8_t n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            const size_t count = std::min<size_t>(static_cast<size_t>(n) + 1, in.size() - i);
            out.append(in.substr(i, count));
            i += count;
        } else if (n != -128) {
            if (i >= in.size())
                break;
            out.append(static_cast<size_t>(1 - n), in[i++]);
        }
    }
    if (out.size() > limit)
        out.resize(limit);
}

// CIE L*a*b* (8-bit L, signed a and b) to sRGB under D65.
void LabToRgb(uint8_t L8, int8_t a8, int8_t b8, uint8_t rgb[3])
{
    const double L = L8 * 100.0 / 255.0;
    const double fy = (L + 16.0) / 116.0, fx = fy + a8 / 500.0, fz = fy - b8 / 200.0;
    auto inv = [](double t) { return t > 6.0 / 29.0 ? t * t * t : 3.0 * (6.0 / 29.0) * (6.0 / 29.0) * (t - 4.0 / 29.0); };
    const double X = 0.95047 * inv(fx), Y = inv(fy), Z = 1.08883 * inv(fz);
    const double lin[3] = {3.2406 * X - 1.5372 * Y - 0.4986 * Z, -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
                           0.0557 * X - 0.2040 * Y + 1.0570 * Z};
    for (int i = 0; i < 3; ++i) {
        const double c = std::clamp(lin[i], 0.0, 1.0);
        const double s = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
        rgb[i] = static_cast<uint8_t>(std::lround(s * 255.0));
    }
}

class TTiffDecoder {
public:
    TTiffDecoder(const std::string& data, const TTiffFile& file, const TDescription& d)
        : FData(data), FFile(file), D(d)
    {
    }

    // Decodes the picture into img; false when a strip or tile failed (the
    // rows before it stay in place).
    bool Run(TDibImage& img);

private:
    bool Decompress(size_t index, bool tile, uint32_t rows, uint32_t rowBytes, std::string& out);
    void Predict(uint8_t* row, uint32_t pixels) const;
    void StoreRow(TDibImage& img, const uint8_t* row, int64_t y, int64_t x0, uint32_t count) const;
    uint32_t Sample(const uint8_t* row, uint32_t index) const;

    const std::string& FData;
    const TTiffFile& FFile;
    const TDescription& D;
    uint32_t FSamplesInRow = 0;  // samples per pixel in the rows given to StoreRow
};

uint32_t TTiffDecoder::Sample(const uint8_t* row, uint32_t index) const
{
    const uint32_t bits = D.Bits;
    if (bits == 8)
        return row[index];
    if (bits == 16) {
        const uint8_t* p = row + index * 2;
        return FFile.Motorola ? GetBE16(p) : GetLE16(p);
    }
    if (bits == 32) {
        const uint8_t* p = row + index * 4;
        return (FFile.Motorola ? GetBE32(p) : GetLE32(p)) >> 16;
    }
    const uint64_t bit = static_cast<uint64_t>(index) * bits;
    uint32_t v = 0;
    for (uint32_t k = 0; k < bits; ++k) {
        const uint64_t b = bit + k;
        v = (v << 1) | ((row[b / 8] >> (7 - b % 8)) & 1);
    }
    return v;
}

void TTiffDecoder::StoreRow(TDibImage& img, const uint8_t* row, int64_t y, int64_t x0, uint32_t count) const
{
    if (y < 0 || y >= img.Height)
        return;
    uint8_t* dst = img.Row(static_cast<int32_t>(y));
    const int64_t end = std::min<int64_t>(x0 + count, img.Width);
    if (img.BitCount == 1) {
        for (int64_t x = x0; x < end; ++x) {
            const uint64_t k = static_cast<uint64_t>(x - x0);
            const int bit = (row[k / 8] >> (7 - k % 8)) & 1;
            if (bit)
                dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
            else
                dst[x / 8] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
        }
        return;
    }
    const uint32_t spp = FSamplesInRow;
    const uint32_t maxValue = D.Bits >= 16 ? 0xFFFF : (1u << D.Bits) - 1;
    auto scale = [&](uint32_t v) -> uint8_t {
        if (D.Bits >= 16)
            return static_cast<uint8_t>(v >> 8);
        if (D.Bits == 8)
            return static_cast<uint8_t>(v);
        return static_cast<uint8_t>(v * 255 / maxValue);
    };
    for (int64_t x = x0; x < end; ++x) {
        const uint32_t i = static_cast<uint32_t>(x - x0) * spp;
        uint8_t r, g, b;
        switch (D.Photometric) {
        case 0:
        case 1: {
            uint32_t v = Sample(row, i);
            if (D.Photometric == 0)
                v = maxValue - v;
            r = g = b = scale(v);
            break;
        }
        case 3: {
            const uint32_t v = Sample(row, i);
            const size_t n = D.ColorMap.size() / 3;
            if (v < n) {
                r = static_cast<uint8_t>(D.ColorMap[v] >> 8);
                g = static_cast<uint8_t>(D.ColorMap[n + v] >> 8);
                b = static_cast<uint8_t>(D.ColorMap[2 * n + v] >> 8);
            } else {
                r = g = b = 0;  // an index past the colour map
            }
            break;
        }
        case 5: {
            if (spp < 4) {
                r = g = b = 0;
                break;
            }
            const int c = scale(Sample(row, i)), m = scale(Sample(row, i + 1)), ye = scale(Sample(row, i + 2)),
                      k = scale(Sample(row, i + 3));
            r = static_cast<uint8_t>((255 - k) * (255 - c) / 255);
            g = static_cast<uint8_t>((255 - k) * (255 - m) / 255);
            b = static_cast<uint8_t>((255 - k) * (255 - ye) / 255);
            break;
        }
        case 8: {
            if (spp < 3) {
                r = g = b = scale(Sample(row, i));
                break;
            }
            uint8_t rgb[3];
            LabToRgb(scale(Sample(row, i)), static_cast<int8_t>(scale(Sample(row, i + 1))),
                     static_cast<int8_t>(scale(Sample(row, i + 2))), rgb);
            r = rgb[0];
            g = rgb[1];
            b = rgb[2];
            break;
        }
        default:
            if (spp >= 3) {
                r = scale(Sample(row, i));
                g = scale(Sample(row, i + 1));
                b = scale(Sample(row, i + 2));
            } else {
                r = g = b = scale(Sample(row, i));
            }
            break;
        }
        uint8_t* q = dst + x * 3;
        q[0] = b;
        q[1] = g;
        q[2] = r;
    }
}

void TTiffDecoder::Predict(uint8_t* row, uint32_t pixels) const
{
    if (D.Predictor != 2)
        return;
    const uint32_t spp = FSamplesInRow;
    // Horizontal differencing is undone for 8- and 16-bit samples of any
    // count per pixel (RGB with alpha and grey with alpha included).
    if (D.Bits == 8) {
        for (uint32_t i = spp; i < pixels * spp; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - spp]);
    } else if (D.Bits == 16) {
        for (uint32_t i = spp; i < pixels * spp; ++i) {
            uint8_t* p = row + i * 2;
            const uint8_t* q = row + (i - spp) * 2;
            const uint16_t v = static_cast<uint16_t>((FFile.Motorola ? GetBE16(p) : GetLE16(p)) +
                                                     (FFile.Motorola ? GetBE16(q) : GetLE16(q)));
            p[FFile.Motorola ? 0 : 1] = static_cast<uint8_t>(v >> 8);
            p[FFile.Motorola ? 1 : 0] = static_cast<uint8_t>(v & 0xFF);
        }
    }
}

bool TTiffDecoder::Decompress(size_t index, bool tile, uint32_t rows, uint32_t rowBytes, std::string& out)
{
    const std::vector<uint32_t>& offsets = tile ? D.TileOffsets : D.StripOffsets;
    const std::vector<uint32_t>& counts = tile ? D.TileCounts : D.StripCounts;
    if (index >= offsets.size())
        return false;
    const uint64_t offset = offsets[index];
    if (offset >= FData.size())
        return false;  // a strip that starts past the end of the file
    uint64_t count = index < counts.size() ? counts[index] : 0;
    // A missing count reads to the end of the file; a count past the end is
    // cut to what the file holds.
    if (count == 0 || count > FData.size() - offset)
        count = FData.size() - offset;
    std::string_view in(FData.data() + offset, static_cast<size_t>(count));
    const size_t limit = static_cast<size_t>(rows) * rowBytes;
    out.clear();
    std::string reversed;
    // FillOrder 2: the bits of each byte are stored lowest first, whatever
    // the coding.
    if (D.FillOrder == 2) {
        reversed.assign(in);
        for (char& c : reversed)
            c = static_cast<char>(ReverseBits(static_cast<uint8_t>(c)));
        in = reversed;
    }
    switch (D.Compression) {
    case 1: out.assign(in.substr(0, std::min<size_t>(in.size(), limit))); break;
    case 2:
    case 3:
    case 4: {
        const TFaxCoding coding = D.Compression == 2 ? TFaxCoding::fcModifiedHuffman
                                  : D.Compression == 3 ? TFaxCoding::fcT4
                                                       : TFaxCoding::fcT6;
        const int32_t got = DecodeFax(in, coding, D.Compression == 3 && (D.T4Options & 1), static_cast<int32_t>(D.Width),
                                      static_cast<int32_t>(rows), out);
        if (got <= 0)
            return false;
        break;
    }
    case 5:
        if (!DecodeTiffLzw(in, out, limit))
            return false;
        break;
    case 8:
    case 32946: {
        TInflater inflater(in);
        out.resize(limit);
        size_t got = 0;
        try {
            got = inflater.Read(reinterpret_cast<uint8_t*>(out.data()), limit);
        } catch (const EAbort&) {
            return false;
        }
        out.resize(got);
        break;
    }
    case 32773: UnpackBits(in, out, limit); break;
    default: return false;  // a coding this reader does not know
    }
    return !out.empty();
}

bool TTiffDecoder::Run(TDibImage& img)
{
    const bool tiled = D.TileWidth > 0 || D.TileLength > 0;
    const bool planar = D.Planar == 2 && D.Samples > 1;
    FSamplesInRow = planar ? std::min<uint32_t>(D.Samples, 3) : D.Samples;
    const uint32_t planeSamples = planar ? 1 : D.Samples;
    if (tiled) {
        if (D.TileWidth <= 0 || D.TileLength <= 0 || D.TileWidth > 65536 || D.TileLength > 65536 || planar)
            return false;
        const uint32_t tw = static_cast<uint32_t>(D.TileWidth), tl = static_cast<uint32_t>(D.TileLength);
        const uint32_t rowBytes = static_cast<uint32_t>((static_cast<uint64_t>(tw) * planeSamples * D.Bits + 7) / 8);
        const uint32_t across = (D.Width + tw - 1) / tw, down = (D.Height + tl - 1) / tl;
        std::string tile;
        for (uint32_t ty = 0; ty < down; ++ty)
            for (uint32_t tx = 0; tx < across; ++tx) {
                const size_t index = static_cast<size_t>(ty) * across + tx;
                if (!Decompress(index, true, tl, rowBytes, tile))
                    return false;
                tile.resize(static_cast<size_t>(tl) * rowBytes, '\0');
                for (uint32_t r = 0; r < tl; ++r) {
                    auto* row = reinterpret_cast<uint8_t*>(tile.data()) + static_cast<size_t>(r) * rowBytes;
                    Predict(row, tw);
                    StoreRow(img, row, static_cast<int64_t>(ty) * tl + r, static_cast<int64_t>(tx) * tw, tw);
                }
            }
        return true;
    }
    const uint32_t rps = D.RowsPerStrip == 0 || D.RowsPerStrip > D.Height ? D.Height : D.RowsPerStrip;
    const uint32_t strips = (D.Height + rps - 1) / rps;
    const uint32_t rowBytes = static_cast<uint32_t>((static_cast<uint64_t>(D.Width) * planeSamples * D.Bits + 7) / 8);
    std::string strip;
    std::vector<std::string> planes(FSamplesInRow);
    std::vector<uint8_t> chunky;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t rows = std::min(rps, D.Height - s * rps);
        if (!planar) {
            if (!Decompress(s, false, rows, rowBytes, strip))
                return false;
            const uint32_t got = static_cast<uint32_t>(strip.size() / rowBytes);
            strip.resize(static_cast<size_t>(rows) * rowBytes, '\0');
            for (uint32_t r = 0; r < rows; ++r) {
                auto* row = reinterpret_cast<uint8_t*>(strip.data()) + static_cast<size_t>(r) * rowBytes;
                Predict(row, D.Width);
                StoreRow(img, row, static_cast<int64_t>(s) * rps + r, 0, D.Width);
            }
            if (got < rows && D.Compression != 1)
                return false;  // the strip ended early
            continue;
        }
        // Separate planes: the strips of each component in turn, combined.
        for (uint32_t p = 0; p < FSamplesInRow; ++p) {
            if (!Decompress(static_cast<size_t>(p) * strips + s, false, rows, rowBytes, planes[p]))
                return false;
            planes[p].resize(static_cast<size_t>(rows) * rowBytes, '\0');
        }
        const uint32_t bytesPerSample = D.Bits / 8;
        if (bytesPerSample == 0)
            return false;
        chunky.assign(static_cast<size_t>(D.Width) * FSamplesInRow * bytesPerSample, 0);
        for (uint32_t r = 0; r < rows; ++r) {
            for (uint32_t x = 0; x < D.Width; ++x)
                for (uint32_t p = 0; p < FSamplesInRow; ++p)
                    std::memcpy(chunky.data() + (static_cast<size_t>(x) * FSamplesInRow + p) * bytesPerSample,
                                planes[p].data() + static_cast<size_t>(r) * rowBytes + static_cast<size_t>(x) * bytesPerSample,
                                bytesPerSample);
            StoreRow(img, chunky.data(), static_cast<int64_t>(s) * rps + r, 0, D.Width);
        }
    }
    return true;
}

}  // namespace

bool DecodeTiffLzw(std::string_view data, std::string& out, size_t limit)
{
    std::vector<uint16_t> prefix(4096);
    std::vector<uint8_t> suffix(4096), stack(4097);
    for (int i = 0; i < 256; ++i)
        suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    int width = 9, next = 258, prev = -1;
    uint8_t first = 0;
    uint32_t acc = 0;
    int bits = 0;
    size_t pos = 0;
    while (out.size() < limit) {
        while (bits < width) {
            if (pos >= data.size())
                return true;  // the data ends without the end code
            acc = (acc << 8) | static_cast<uint8_t>(data[pos++]);
            bits += 8;
        }
        const int code = static_cast<int>((acc >> (bits - width)) & ((1u << width) - 1));
        bits -= width;
        if (code == 257)
            break;
        if (code == 256) {
            width = 9;
            next = 258;
            prev = -1;
            continue;
        }
        if (prev < 0) {
            if (code > 255)
                return false;
            out += static_cast<char>(code);
            first = static_cast<uint8_t>(code);
            prev = code;
            continue;
        }
        if (code > next)
            return false;  // a code beyond the table
        size_t depth = 0;
        int cur = code;
        if (code == next) {
            stack[depth++] = first;
            cur = prev;
        }
        while (cur > 257) {
            if (depth >= 4096)
                return false;
            stack[depth++] = suffix[static_cast<size_t>(cur)];
            cur = prefix[static_cast<size_t>(cur)];
        }
        stack[depth++] = static_cast<uint8_t>(cur);
        first = static_cast<uint8_t>(cur);
        while (depth > 0)
            out += static_cast<char>(stack[--depth]);
        if (next < 4096) {
            prefix[static_cast<size_t>(next)] = static_cast<uint16_t>(prev);
            suffix[static_cast<size_t>(next)] = first;
            ++next;
        }
        // Codes widen one code early, as TIFF's LZW has it.
        if (next == 511)
            width = 10;
        else if (next == 1023)
            width = 11;
        else if (next == 2047)
            width = 12;
        prev = code;
    }
    if (out.size() > limit)
        out.resize(limit);
    return true;
}

std::string EncodeTiffLzw(std::string_view data)
{
    constexpr uint32_t kSlots = 5003;
    struct TSlot {
        int32_t Key = -1;
        int32_t Code = 0;
    };
    std::vector<TSlot> table(kSlots);
    std::string out;
    uint32_t acc = 0;
    int bits = 0, width = 9, next = 258;
    auto put = [&](int code) {
        acc = (acc << width) | static_cast<uint32_t>(code);
        bits += width;
        while (bits >= 8) {
            out += static_cast<char>((acc >> (bits - 8)) & 0xFF);
            bits -= 8;
        }
    };
    auto reset = [&] {
        std::fill(table.begin(), table.end(), TSlot{});
        width = 9;
        next = 258;
    };
    put(256);
    int cur = -1;
    for (char ch : data) {
        const uint8_t c = static_cast<uint8_t>(ch);
        if (cur < 0) {
            cur = c;
            continue;
        }
        const int32_t key = (cur << 8) | c;
        uint32_t slot = static_cast<uint32_t>(key) % kSlots;
        while (table[slot].Key >= 0 && table[slot].Key != key)
            slot = (slot + 1) % kSlots;
        if (table[slot].Key == key) {
            cur = table[slot].Code;
            continue;
        }
        put(cur);
        table[slot] = {key, next++};
        if (next >= 4094) {
            put(256);
            reset();
        } else if (next == (1 << width) && width < 12) {
            ++width;
        }
        cur = c;
    }
    if (cur >= 0)
        put(cur);
    // The end code: the decoder has grown its table by one more entry.
    if (next + 1 == (1 << width) && width < 12)
        ++width;
    put(257);
    if (bits > 0)
        out += static_cast<char>((acc << (8 - bits)) & 0xFF);
    return out;
}

void TTiffImage::LoadFromStream(TStream& stream)
{
    const std::string data = ReadRest(stream);
    TTiffFile file(data);
    if (data.size() < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')))
        Abort();
    file.Motorola = data[0] == 'M';
    // The directory chain: the last directory read describes the picture. A
    // chain that comes back to a directory already read ends there.
    uint32_t offset = file.U32(4);
    std::set<uint32_t> seen;
    std::vector<TEntry> entries;
    while (offset != 0 && seen.insert(offset).second && seen.size() <= kMaxDirectories) {
        if (!file.Has(offset, 2))
            break;
        const uint32_t count = file.U16(offset);
        if (!file.Has(offset + 2, static_cast<uint64_t>(count) * 12 + 4))
            break;
        entries.clear();
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = offset + 2 + static_cast<uint64_t>(i) * 12;
            entries.push_back({file.U16(at), file.U16(at + 2), file.U32(at + 4), static_cast<uint32_t>(at + 8)});
        }
        offset = file.U32(offset + 2 + static_cast<uint64_t>(count) * 12);
    }
    TDescription d;
    bool rowsSet = false;
    for (const TEntry& e : entries) {
        auto first = [&](uint32_t def) {
            const std::vector<uint32_t> v = file.Values(e, 1);
            return v.empty() ? def : v[0];
        };
        switch (e.Tag) {
        case 256: d.Width = first(0); break;
        case 257: d.Height = first(0); break;
        case 258: {
            const std::vector<uint32_t> v = file.Values(e, 16);
            if (!v.empty())
                d.Bits = std::all_of(v.begin(), v.end(), [&](uint32_t b) { return b == v[0]; }) ? v[0] : 0;
            break;
        }
        case 259: d.Compression = first(1); break;
        case 262: d.Photometric = first(2); d.PhotometricSet = true; break;
        case 266: d.FillOrder = first(1); break;
        case 273: d.StripOffsets = file.Values(e); break;
        case 277: d.Samples = first(1); break;
        case 278: d.RowsPerStrip = first(0); rowsSet = true; break;
        case 279: d.StripCounts = file.Values(e); break;
        case 284: d.Planar = first(1); break;
        case 292: d.T4Options = first(0); break;
        case 305: d.Software = file.Text(e); break;
        case 317: d.Predictor = first(1); break;
        case 320: d.ColorMap = file.Values(e, 3 * 65536); break;
        case 322: d.TileWidth = first(0); break;
        case 323: d.TileLength = first(0); break;
        case 324: d.TileOffsets = file.Values(e); break;
        case 325: d.TileCounts = file.Values(e); break;
        default: break;
        }
    }
    if (!rowsSet || d.RowsPerStrip == 0xFFFFFFFF)
        d.RowsPerStrip = d.Height;
    if (d.Samples == 1 && d.Bits == 1 && d.Compression >= 1 && d.Compression <= 4 && !d.PhotometricSet)
        d.Photometric = 0;
    const bool tiled = d.TileWidth > 0 || d.TileLength > 0;
    if (d.Width == 0 || d.Height == 0 || (tiled ? d.TileOffsets.empty() : d.StripOffsets.empty()))
        Abort();
    // Samples of 1 to 16 bits (and 32, by their high bits) and at most a few
    // samples per pixel; anything else is no picture this reader shows.
    if (d.Bits == 0 || (d.Bits > 16 && d.Bits != 32) || d.Samples == 0 || d.Samples > 16)
        Abort();
    const bool mono = d.Samples == 1 && d.Bits == 1 && d.Photometric != 3;
    const int depth = mono ? 1 : 24;
    CheckPictureSize(d.Width, d.Height, depth);
    TDibImage img;
    AllocateDib(img, static_cast<int32_t>(d.Width), static_cast<int32_t>(d.Height), depth);
    if (mono) {
        // 1 bits are white for BlackIsZero, black for WhiteIsZero.
        img.Colors = d.Photometric == 0 ? std::vector<RGBQUAD>{Quad(255, 255, 255), Quad(0, 0, 0)}
                                        : std::vector<RGBQUAD>{Quad(0, 0, 0), Quad(255, 255, 255)};
        if (d.Photometric == 0)
            std::memset(img.Bits.data(), 0, img.Bits.size());
    }
    TTiffDecoder decoder(data, file, d);
    const bool ok = decoder.Run(img);
    SetBitmapPixels(*this, std::move(img));
    if (!ok)
        Abort();
}

void TTiffImage::SaveToStream(TStream& stream)
{
    TDibImage img = BitmapPixels24(*this);
    if (img.Empty())
        return;
    std::string out(8, '\0');
    // Values that do not fit in an entry: BitsPerSample, the strip, the rationals.
    const uint32_t bitsAt = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 3; ++i)
        PutLE16(out, 8);
    std::string raw;
    raw.reserve(static_cast<size_t>(img.Width) * 3 * static_cast<size_t>(img.Height));
    std::vector<uint8_t> row(static_cast<size_t>(img.Width) * 3);
    for (int32_t y = 0; y < img.Height; ++y) {
        const uint8_t* src = img.Row(y);
        for (int32_t x = 0; x < img.Width; ++x) {
            row[static_cast<size_t>(x) * 3] = src[x * 3 + 2];
            row[static_cast<size_t>(x) * 3 + 1] = src[x * 3 + 1];
            row[static_cast<size_t>(x) * 3 + 2] = src[x * 3];
        }
        // Horizontal differencing: each byte minus the same component of the
        // pixel to its left.
        for (size_t i = row.size(); i-- > 3;)
            row[i] = static_cast<uint8_t>(row[i] - row[i - 3]);
        raw.append(reinterpret_cast<const char*>(row.data()), row.size());
    }
    const uint32_t stripAt = static_cast<uint32_t>(out.size());
    const std::string strip = EncodeTiffLzw(raw);
    out += strip;
    HDC screen = GetScreenDC();
    const uint32_t xdpi = static_cast<uint32_t>(GetDeviceCaps(screen, LOGPIXELSX));
    const uint32_t ydpi = static_cast<uint32_t>(GetDeviceCaps(screen, LOGPIXELSY));
    const uint32_t rationalsAt = static_cast<uint32_t>(out.size());
    for (uint32_t v : {xdpi, 1u, ydpi, 1u, 0u, 10000u, 0u, 10000u})
        PutLE32(out, v);
    if (out.size() % 2)
        out += '\0';
    const uint32_t dirAt = static_cast<uint32_t>(out.size());
    struct TOut {
        uint16_t Tag, Type;
        uint32_t Count, Value;
    };
    const uint32_t w = static_cast<uint32_t>(img.Width), h = static_cast<uint32_t>(img.Height);
    const TOut dir[] = {{256, 4, 1, w},
                        {257, 4, 1, h},
                        {258, 3, 3, bitsAt},
                        {259, 3, 1, 5},
                        {262, 3, 1, 2},
                        {273, 4, 1, stripAt},
                        {277, 3, 1, 3},
                        {278, 4, 1, h},
                        {279, 4, 1, static_cast<uint32_t>(strip.size())},
                        {282, 5, 1, rationalsAt},
                        {283, 5, 1, rationalsAt + 8},
                        {286, 5, 1, rationalsAt + 16},
                        {287, 5, 1, rationalsAt + 24},
                        {296, 3, 1, 2},
                        {317, 3, 1, 2}};
    PutLE16(out, static_cast<uint16_t>(std::size(dir)));
    for (const TOut& e : dir) {
        PutLE16(out, e.Tag);
        PutLE16(out, e.Type);
        PutLE32(out, e.Count);
        if (e.Type == 3 && e.Count == 1) {
            PutLE16(out, static_cast<uint16_t>(e.Value));
            PutLE16(out, 0);
        } else {
            PutLE32(out, e.Value);
        }
    }
    PutLE32(out, 0);
    std::string header = "II";
    PutLE16(header, 42);
    PutLE32(header, dirAt);
    out.replace(0, 8, header);
    stream.WriteString(out);
}

void InitializeTiffImageUnit()
{
    if (gUnitCount++ == 0) {
        TPicture::RegisterFileFormat("tif", "Images TIFF", GraphicClassOf<TTiffImage>("TTiffImage"));
        TPicture::RegisterFileFormat("tiff", "Images TIFF", GraphicClassOf<TTiffImage>("TTiffImage"));
    }
}

void FinalizeTiffImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TTiffImage");
}
