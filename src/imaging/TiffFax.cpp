#include "imaging/TiffFax.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

struct TCode {
    const char* Bits;
    int16_t Value;
};

// ITU-T T.4 run-length codes: terminating codes 0..63, make-up codes, and the
// extended make-up codes shared by both colours.
const TCode kWhite[] = {
    {"00110101", 0}, {"000111", 1}, {"0111", 2}, {"1000", 3}, {"1011", 4}, {"1100", 5}, {"1110", 6}, {"1111", 7},
    {"10011", 8}, {"10100", 9}, {"00111", 10}, {"01000", 11}, {"001000", 12}, {"000011", 13}, {"110100", 14},
    {"110101", 15}, {"101010", 16}, {"101011", 17}, {"0100111", 18}, {"0001100", 19}, {"0001000", 20},
    {"0010111", 21}, {"0000011", 22}, {"0000100", 23}, {"0101000", 24}, {"0101011", 25}, {"0010011", 26},
    {"0100100", 27}, {"0011000", 28}, {"00000010", 29}, {"00000011", 30}, {"00011010", 31}, {"00011011", 32},
    {"00010010", 33}, {"00010011", 34}, {"00010100", 35}, {"00010101", 36}, {"00010110", 37}, {"00010111", 38},
    {"00101000", 39}, {"00101001", 40}, {"00101010", 41}, {"00101011", 42}, {"00101100", 43}, {"00101101", 44},
    {"00000100", 45}, {"00000101", 46}, {"00001010", 47}, {"00001011", 48}, {"01010010", 49}, {"01010011", 50},
    {"01010100", 51}, {"01010101", 52}, {"00100100", 53}, {"00100101", 54}, {"01011000", 55}, {"01011001", 56},
    {"01011010", 57}, {"01011011", 58}, {"01001010", 59}, {"01001011", 60}, {"00110010", 61}, {"00110011", 62},
    {"00110100", 63}, {"11011", 64}, {"10010", 128}, {"010111", 192}, {"0110111", 256}, {"00110110", 320},
    {"00110111", 384}, {"01100100", 448}, {"01100101", 512}, {"01101000", 576}, {"01100111", 640},
    {"011001100", 704}, {"011001101", 768}, {"011010010", 832}, {"011010011", 896}, {"011010100", 960},
    {"011010101", 1024}, {"011010110", 1088}, {"011010111", 1152}, {"011011000", 1216}, {"011011001", 1280},
    {"011011010", 1344}, {"011011011", 1408}, {"010011000", 1472}, {"010011001", 1536}, {"010011010", 1600},
    {"011000", 1664}, {"010011011", 1728}};

const TCode kBlack[] = {
    {"0000110111", 0}, {"010", 1}, {"11", 2}, {"10", 3}, {"011", 4}, {"0011", 5}, {"0010", 6}, {"00011", 7},
    {"000101", 8}, {"000100", 9}, {"0000100", 10}, {"0000101", 11}, {"0000111", 12}, {"00000100", 13},
    {"00000111", 14}, {"000011000", 15}, {"0000010111", 16}, {"0000011000", 17}, {"0000001000", 18},
    {"00001100111", 19}, {"00001101000", 20}, {"00001101100", 21}, {"00000110111", 22}, {"00000101000", 23},
    {"00000010111", 24}, {"00000011000", 25}, {"000011001010", 26}, {"000011001011", 27}, {"000011001100", 28},
    {"000011001101", 29}, {"000001101000", 30}, {"000001101001", 31}, {"000001101010", 32}, {"000001101011", 33},
    {"000011010010", 34}, {"000011010011", 35}, {"000011010100", 36}, {"000011010101", 37}, {"000011010110", 38},
    {"000011010111", 39}, {"000001101100", 40}, {"000001101101", 41}, {"000011011010", 42}, {"000011011011", 43},
    {"000001010100", 44}, {"000001010101", 45}, {"000001010110", 46}, {"000001010111", 47}, {"000001100100", 48},
    {"000001100101", 49}, {"000001010010", 50}, {"000001010011", 51}, {"000000100100", 52}, {"000000110111", 53},
    {"000000111000", 54}, {"000000100111", 55}, {"000000101000", 56}, {"000001011000", 57}, {"000001011001", 58},
    {"000000101011", 59}, {"000000101100", 60}, {"000001011010", 61}, {"000001100110", 62}, {"000001100111", 63},
    {"0000001111", 64}, {"000011001000", 128}, {"000011001001", 192}, {"000001011011", 256},
    {"000000110011", 320}, {"000000110100", 384}, {"000000110101", 448}, {"0000001101100", 512},
    {"0000001101101", 576}, {"0000001001010", 640}, {"0000001001011", 704}, {"0000001001100", 768},
    {"0000001001101", 832}, {"0000001110010", 896}, {"0000001110011", 960}, {"0000001110100", 1024},
    {"0000001110101", 1088}, {"0000001110110", 1152}, {"0000001110111", 1216}, {"0000001010010", 1280},
    {"0000001010011", 1344}, {"0000001010100", 1408}, {"0000001010101", 1472}, {"0000001011010", 1536},
    {"0000001011011", 1600}, {"0000001100100", 1664}, {"0000001100101", 1728}};

const TCode kExtended[] = {{"00000001000", 1792}, {"00000001100", 1856}, {"00000001101", 1920},
                           {"000000010010", 1984}, {"000000010011", 2048}, {"000000010100", 2112},
                           {"000000010101", 2176}, {"000000010110", 2240}, {"000000010111", 2304},
                           {"000000011100", 2368}, {"000000011101", 2432}, {"000000011110", 2496},
                           {"000000011111", 2560}};

// Two-dimensional modes: pass, horizontal, vertical -3..3.
enum : int16_t { kPass = 100, kHorizontal = 101, kV0 = 110 };  // vertical modes kV0 - 3 .. kV0 + 3
const TCode kModes[] = {{"0001", kPass},       {"001", kHorizontal},     {"1", kV0},         {"011", kV0 + 1},
                        {"000011", kV0 + 2},   {"0000011", kV0 + 3},     {"010", kV0 - 1},   {"000010", kV0 - 2},
                        {"0000010", kV0 - 3}};

constexpr int kMaxBits = 13;

// A table indexed by (1 << length) | code: every code of up to 13 bits.
struct TTable {
    std::array<int16_t, 1 << (kMaxBits + 1)> Slot;
    template <size_t N, size_t M>
    TTable(const TCode (&a)[N], const TCode (&b)[M])
    {
        Slot.fill(-1);
        Add(a, N);
        Add(b, M);
    }
    template <size_t N>
    explicit TTable(const TCode (&a)[N])
    {
        Slot.fill(-1);
        Add(a, N);
    }
    void Add(const TCode* codes, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            uint32_t key = 1;
            for (const char* p = codes[i].Bits; *p; ++p)
                key = (key << 1) | (*p == '1');
            Slot[key] = codes[i].Value;
        }
    }
};

class TBitReader {
public:
    explicit TBitReader(std::string_view data) : FData(data) {}
    // -1 at the end of the data.
    int Bit()
    {
        if (FPos >= FData.size() * 8)
            return -1;
        const int b = (static_cast<uint8_t>(FData[FPos / 8]) >> (7 - FPos % 8)) & 1;
        ++FPos;
        return b;
    }
    size_t Position() const { return FPos; }
    void SetPosition(size_t pos) { FPos = pos; }
    void AlignToByte() { FPos = (FPos + 7) / 8 * 8; }
    bool AtEnd() const { return FPos >= FData.size() * 8; }

private:
    std::string_view FData;
    size_t FPos = 0;
};

// Reads one code of the table; -1 when none matches or the data ends.
int ReadCode(TBitReader& in, const TTable& table)
{
    uint32_t key = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        const int b = in.Bit();
        if (b < 0)
            return -1;
        key = (key << 1) | static_cast<uint32_t>(b);
        if (table.Slot[key] >= 0)
            return table.Slot[key];
    }
    return -1;
}

// A run: make-up codes then a terminating code. -1 on damaged data.
int ReadRun(TBitReader& in, const TTable& table)
{
    int total = 0;
    for (;;) {
        const int v = ReadCode(in, table);
        if (v < 0)
            return -1;
        total += v;
        if (v < 64)
            return total;
        if (total > (1 << 24))
            return -1;
    }
}

// Skips an end-of-line code (eleven or more 0 bits and a 1) when one comes
// next; true when one was found.
bool SkipEol(TBitReader& in)
{
    const size_t start = in.Position();
    int zeros = 0;
    int b;
    while ((b = in.Bit()) == 0)
        ++zeros;
    if (b == 1 && zeros >= 11)
        return true;
    in.SetPosition(start);
    return false;
}

void FillBlack(uint8_t* row, int32_t from, int32_t to)
{
    for (int32_t x = std::max(0, from); x < to; ++x)
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
}

}  // namespace

int32_t DecodeFax(std::string_view data, TFaxCoding coding, bool twoDimensional, int32_t width, int32_t rows,
                  std::string& out)
{
    static const TTable white(kWhite, kExtended), black(kBlack, kExtended), modes(kModes);
    if (width <= 0 || rows <= 0)
        return 0;
    const size_t rowBytes = static_cast<size_t>(width + 7) / 8;
    out.assign(rowBytes * static_cast<size_t>(rows), '\0');
    TBitReader in(data);
    // Changing elements of the reference and the current row: positions
    // where the colour changes, starting from white.
    std::vector<int32_t> ref{width, width}, cur;
    int32_t done = 0;
    for (; done < rows; ++done) {
        if (in.AtEnd())
            break;
        auto* row = reinterpret_cast<uint8_t*>(out.data()) + rowBytes * static_cast<size_t>(done);
        bool twoD = coding == TFaxCoding::fcT6;
        if (coding == TFaxCoding::fcModifiedHuffman) {
            in.AlignToByte();
        } else if (coding == TFaxCoding::fcT4) {
            SkipEol(in);
            if (twoDimensional) {
                const int tag = in.Bit();
                if (tag < 0)
                    break;
                twoD = tag == 0;
            }
        }
        cur.clear();
        bool ok = true;
        if (!twoD) {
            int32_t a0 = 0;
            bool isWhite = true;
            while (a0 < width) {
                const int run = ReadRun(in, isWhite ? white : black);
                if (run < 0) {
                    ok = false;
                    break;
                }
                const int32_t a1 = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(a0) + run, width));
                if (!isWhite)
                    FillBlack(row, a0, a1);
                a0 = a1;
                if (a0 < width || !isWhite)
                    cur.push_back(a0);
                isWhite = !isWhite;
            }
        } else {
            int32_t a0 = -1;
            bool isWhite = true;
            while (a0 < width) {
                // b1: the first change on the reference row right of a0 to
                // the colour opposite a0's; b2 the next change after it.
                size_t i = 0;
                while (i < ref.size() && (ref[i] <= a0 || (i % 2 == 0) != isWhite))
                    ++i;
                const int32_t b1 = i < ref.size() ? ref[i] : width;
                const int32_t b2 = i + 1 < ref.size() ? ref[i + 1] : width;
                const int mode = ReadCode(in, modes);
                if (mode < 0) {
                    ok = false;
                    break;
                }
                const int32_t start = std::max(a0, 0);
                if (mode == kPass) {
                    if (!isWhite)
                        FillBlack(row, start, std::min(b2, width));
                    a0 = b2;
                } else if (mode == kHorizontal) {
                    const int r1 = ReadRun(in, isWhite ? white : black);
                    const int r2 = r1 < 0 ? -1 : ReadRun(in, isWhite ? black : white);
                    if (r2 < 0) {
                        ok = false;
                        break;
                    }
                    const int32_t a1 = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(start) + r1, width));
                    const int32_t a2 = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(a1) + r2, width));
                    FillBlack(row, isWhite ? a1 : start, isWhite ? a2 : a1);
                    cur.push_back(a1);
                    cur.push_back(a2);
                    a0 = a2;
                } else {
                    const int32_t a1 = b1 + (mode - kV0);
                    if (a1 < start && !(a1 == 0 && a0 < 0)) {
                        ok = false;  // a change to the left of a0: damaged
                        break;
                    }
                    const int32_t end = std::min(a1, width);
                    if (!isWhite)
                        FillBlack(row, start, end);
                    cur.push_back(end);
                    a0 = end;
                    isWhite = !isWhite;
                }
                if (a0 > width) {
                    ok = false;
                    break;
                }
            }
        }
        if (!ok)
            break;
        cur.push_back(width);
        cur.push_back(width);
        ref.swap(cur);
    }
    return done;
}
