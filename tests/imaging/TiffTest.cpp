// TTiffImage: both byte orders, the directory chain (last page, loops),
// strips checked against the file, bilevel and fax pictures, PackBits, and
// 24-bit LZW pictures written and read back.
#include "imaging/ImagingFixtures.h"
#include "imaging/TiffImage.h"

#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"

#include <random>

namespace {

struct TTag {
    uint16_t Tag, Type;
    uint32_t Count, Value;
};

// A TIFF of one or more directories; pixel data placed at offset 8 and
// directories after it. motorola writes every field big-endian.
class TTiffBuilder {
public:
    explicit TTiffBuilder(bool motorola = false) : FMotorola(motorola) {}
    uint32_t AddData(const std::string& bytes)
    {
        const uint32_t at = static_cast<uint32_t>(8 + FData.size());
        FData += bytes;
        if (FData.size() % 2)
            FData += '\0';
        return at;
    }
    void AddDirectory(std::vector<TTag> tags) { FDirs.push_back(std::move(tags)); }
    // nextOfLast: the next-directory offset of the last directory (0 ends).
    std::string Build(int loopTo = -1) const
    {
        std::string out = FMotorola ? "MM" : "II";
        Put16(out, 42);
        std::vector<uint32_t> at;
        uint32_t pos = static_cast<uint32_t>(8 + FData.size());
        for (const auto& d : FDirs) {
            at.push_back(pos);
            pos += static_cast<uint32_t>(2 + d.size() * 12 + 4);
        }
        Put32(out, at.empty() ? 0 : at[0]);
        out += FData;
        for (size_t i = 0; i < FDirs.size(); ++i) {
            Put16(out, static_cast<uint16_t>(FDirs[i].size()));
            for (const TTag& t : FDirs[i]) {
                Put16(out, t.Tag);
                Put16(out, t.Type);
                Put32(out, t.Count);
                if (t.Type == 3 && t.Count == 1) {
                    Put16(out, static_cast<uint16_t>(t.Value));
                    Put16(out, 0);
                } else {
                    Put32(out, t.Value);
                }
            }
            const bool last = i + 1 == FDirs.size();
            Put32(out, !last ? at[i + 1] : loopTo >= 0 ? at[static_cast<size_t>(loopTo)] : 0);
        }
        return out;
    }

private:
    void Put16(std::string& s, uint16_t v) const
    {
        if (FMotorola) {
            s += static_cast<char>(v >> 8);
            s += static_cast<char>(v & 0xFF);
        } else {
            imaging::PutLE16(s, v);
        }
    }
    void Put32(std::string& s, uint32_t v) const
    {
        if (FMotorola)
            imaging::PutBE32(s, v);
        else
            imaging::PutLE32(s, v);
    }
    bool FMotorola;
    std::string FData;
    std::vector<std::vector<TTag>> FDirs;
};

// An 8-bit grey picture w x h with pixels from f, in one uncompressed strip.
template <class F>
std::vector<TTag> GreyDirectory(TTiffBuilder& b, int w, int h, F f)
{
    std::string pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels += static_cast<char>(f(x, y));
    const uint32_t at = b.AddData(pixels);
    return {{256, 3, 1, static_cast<uint32_t>(w)}, {257, 3, 1, static_cast<uint32_t>(h)}, {258, 3, 1, 8},
            {262, 3, 1, 1}, {273, 4, 1, at}, {279, 4, 1, static_cast<uint32_t>(pixels.size())}};
}

class TiffTest : public TImagingTest {};

}  // namespace

TEST_F(TiffTest, MotorolaFileReadsLikeItsIntelTwin)
{
    std::string pictures[2];
    for (int m = 0; m < 2; ++m) {
        TTiffBuilder b(m == 1);
        b.AddDirectory(GreyDirectory(b, 5, 3, [](int x, int y) { return x * 50 + y; }));
        pictures[m] = RgbBytes(*LoadBytes<TTiffImage>(b.Build()));
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(static_cast<uint8_t>(pictures[0][(2 * 5 + 4) * 3]), 202);
}

TEST_F(TiffTest, LastPageIsShownAndADirectoryLoopEndsTheChain)
{
    for (int loopTo : {-1, 0, 1}) {
        SCOPED_TRACE(loopTo);
        TTiffBuilder b;
        b.AddDirectory(GreyDirectory(b, 2, 2, [](int, int) { return 10; }));
        b.AddDirectory(GreyDirectory(b, 3, 1, [](int, int) { return 20; }));
        auto tiff = LoadBytes<TTiffImage>(b.Build(loopTo));
        EXPECT_EQ(tiff->Width(), 3);
        EXPECT_EQ(RgbBytes(*tiff), std::string(9, '\x14'));
    }
}

TEST_F(TiffTest, StripsAreCheckedAgainstTheFile)
{
    TTiffBuilder b;
    auto dir = GreyDirectory(b, 4, 2, [](int x, int) { return x + 1; });
    // A byte count far past the end of the file: cut to what the file holds.
    dir[5].Value = 0x7FFFFFFF;
    b.AddDirectory(dir);
    EXPECT_EQ(static_cast<uint8_t>(RgbBytes(*LoadBytes<TTiffImage>(b.Build()))[3]), 2);

    struct TCase {
        const char* Name;
        std::function<void(std::vector<TTag>&)> Change;
    } refused[] = {
        {"strip past the end", [](auto& d) { d[4].Value = 0x7FFFFF00; }},
        {"no strips", [](auto& d) { d.erase(d.begin() + 4); }},
        {"width only", [](auto& d) { d.resize(1); }},
        {"unknown coding", [](auto& d) { d.push_back({259, 3, 1, 7}); }},
        {"samples of 24 bits", [](auto& d) { d[2].Value = 24; }},
    };
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.Name);
        TTiffBuilder r;
        auto d = GreyDirectory(r, 4, 2, [](int, int) { return 1; });
        c.Change(d);
        r.AddDirectory(d);
        EXPECT_THROW(LoadBytes<TTiffImage>(r.Build()), EAbort);
    }
    EXPECT_THROW(LoadBytes<TTiffImage>("XX*\0\0\0\0\0"), EAbort);
}

TEST_F(TiffTest, BilevelPicturesWithoutPhotometricAreBlackOnWhite)
{
    // Rows 0x0F: four white, four black pixels when 0 is white.
    TTiffBuilder b;
    const uint32_t at = b.AddData("\x0F\x0F");
    b.AddDirectory({{256, 3, 1, 8}, {257, 3, 1, 2}, {273, 4, 1, at}, {279, 4, 1, 2}});
    auto tiff = LoadBytes<TTiffImage>(b.Build());
    EXPECT_EQ(tiff->PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(PixelAt(*tiff, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*tiff, 7, 1), 0u);
}

TEST_F(TiffTest, PackBitsAndLzwStripsDecode)
{
    // PackBits: 2 literal bytes, a run of 4, a -128 no-op, 2 literal bytes.
    TTiffBuilder b;
    auto dir = GreyDirectory(b, 8, 1, [](int, int) { return 0; });
    const uint32_t at = b.AddData(std::string("\x01\x0A\x0B\xFD\x0C\x80\x01\x0D\x0E", 9));
    dir[4].Value = at;
    dir[5].Value = 9;
    dir.push_back({259, 3, 1, 32773});
    b.AddDirectory(dir);
    EXPECT_EQ(RgbBytes(*LoadBytes<TTiffImage>(b.Build())).substr(0, 24),
              std::string("\x0A\x0A\x0A\x0B\x0B\x0B\x0C\x0C\x0C\x0C\x0C\x0C\x0C\x0C\x0C\x0C\x0C\x0C\x0D\x0D\x0D\x0E\x0E\x0E", 24));
    // LZW: coder and decoder agree over table resets.
    std::mt19937 random(5);
    std::string data;
    for (int i = 0; i < 50000; ++i)
        data += static_cast<char>(i % 3 ? random() % 7 : random());
    std::string decoded;
    ASSERT_TRUE(DecodeTiffLzw(EncodeTiffLzw(data), decoded, data.size()));
    EXPECT_EQ(decoded, data);
    // Clear, 65, then 300 beyond the table: the strip fails.
    std::string bad;
    EXPECT_FALSE(DecodeTiffLzw(std::string("\x80\x10\x65\x80", 4), bad, 100));
}

TEST_F(TiffTest, SavedPicturesReadBackAndBothExtensionsAreTiff)
{
    TTiffImage tiff;
    FillBitmap(tiff, 37, 23, 32, [](int x, int y) { return static_cast<uint32_t>((x * 7) << 16 | (y * 11) << 8 | (x * y % 256)); });
    const std::string before = RgbBytes(tiff);
    const std::string saved = SaveBytes(tiff);
    EXPECT_EQ(saved.substr(0, 4), std::string("II*\0", 4));
    WriteTestFile(TestOutputDir() + "/saved.tif", saved);  // for a look with other readers
    auto back = LoadBytes<TTiffImage>(saved);
    EXPECT_EQ(back->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(RgbBytes(*back), before);
    for (const char* ext : {"x.tif", "x.TIFF"}) {
        const auto cls = TPicture::FindGraphicClass(ext);
        ASSERT_TRUE(cls);
        EXPECT_EQ(cls->Name, "TTiffImage");
    }
}
