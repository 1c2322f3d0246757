// Metafiles played into memory bitmaps: a table of small enhanced and Windows
// metafiles (lines, polygons, text, bitmaps, clipping, mapping modes, world
// transforms) checked by pixels; damaged metafiles play as far as they are
// sound; the recorder's metafiles play back the pixels recorded.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Metafile.h"
#include "platform/gdi/PngWriter.h"
#include "platform/testing/Testing.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

class TSurface {
public:
    TSurface(int w, int h) : Width(w), Height(h)
    {
        HDC screen = GetScreenDC();
        DC = CreateCompatibleDC(screen);
        Bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(screen);
        Old = SelectObject(DC, Bitmap);
        FillRect(DC, {0, 0, w, h}, GetStockBrush(WHITE_BRUSH));
    }
    ~TSurface()
    {
        SelectObject(DC, Old);
        DeleteObject(Bitmap);
        DeleteDC(DC);
    }
    COLORREF At(int x, int y) const { return GetPixel(DC, x, y) & 0xFFFFFF; }
    int InkIn(const TRect& r) const
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += At(x, y) != kWhite;
        return n;
    }
    void Save(const std::string& name) const
    {
        std::vector<uint32_t> px;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const COLORREF c = At(x, y);
                px.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
            }
        WriteTestPng(TestOutputDir() + "/" + name + ".png", Width, Height, px);
    }
    int Width, Height;
    HDC DC;
    HBITMAP Bitmap;
    HBITMAP Old;
};

void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, uint16_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
uint32_t FloatBits(float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

// An enhanced metafile whose reference device has 1 pixel per millimetre, so
// that a frame of 0..10000 (0.01 mm) is 100 reference pixels.
class TEmfBuilder {
public:
    TEmfBuilder& Rec(uint32_t type, std::vector<uint32_t> values)
    {
        Put32(FRecords, type);
        Put32(FRecords, static_cast<uint32_t>(8 + 4 * values.size()));
        for (uint32_t v : values)
            Put32(FRecords, v);
        ++FCount;
        return *this;
    }
    TEmfBuilder& Raw(const std::string& record)
    {
        FRecords += record;
        ++FCount;
        return *this;
    }
    std::string Bits(int32_t frame = 10000) const
    {
        std::string out;
        Put32(out, 1);
        Put32(out, 88);
        for (int32_t v : {0, 0, frame / 100, frame / 100, 0, 0, frame, frame})
            Put32(out, static_cast<uint32_t>(v));
        Put32(out, 0x464D4520);
        Put32(out, 0x10000);
        Put32(out, static_cast<uint32_t>(88 + FRecords.size() + 20));
        Put32(out, FCount + 1);
        Put16(out, 8);
        Put16(out, 0);
        for (int i = 0; i < 3; ++i)
            Put32(out, 0);
        for (int32_t v : {1000, 1000, 1000, 1000})
            Put32(out, static_cast<uint32_t>(v));
        out += FRecords;
        for (uint32_t v : {14u, 20u, 0u, 16u, 20u})
            Put32(out, v);
        return out;
    }
    HENHMETAFILE Make(int32_t frame = 10000) const
    {
        const std::string b = Bits(frame);
        return SetEnhMetaFileBits(static_cast<uint32_t>(b.size()), reinterpret_cast<const uint8_t*>(b.data()));
    }

private:
    std::string FRecords;
    uint32_t FCount = 1;
};

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }

// Red brush selected (handle 1), no outline.
TEmfBuilder& RedNoPen(TEmfBuilder& b)
{
    return b.Rec(39, {1, BS_SOLID, kRed, 0}).Rec(37, {1}).Rec(37, {0x80000000u | NULL_PEN});
}

// A Windows metafile of 16-bit records.
class TWmfBuilder {
public:
    TWmfBuilder& Rec(uint16_t func, std::vector<int16_t> params)
    {
        Put32(FRecords, static_cast<uint32_t>(3 + params.size()));
        Put16(FRecords, func);
        for (int16_t p : params)
            Put16(FRecords, static_cast<uint16_t>(p));
        return *this;
    }
    std::string Bits() const
    {
        std::string out;
        Put16(out, 1);
        Put16(out, 9);
        Put16(out, 0x300);
        Put32(out, static_cast<uint32_t>((18 + FRecords.size() + 6) / 2));
        Put16(out, 4);
        Put32(out, 64);
        Put16(out, 0);
        out += FRecords;
        Put32(out, 3);
        Put16(out, 0);
        return out;
    }
    HENHMETAFILE Make(const METAFILEPICT* pict = nullptr) const
    {
        const std::string b = Bits();
        return SetWinMetaFileBits(static_cast<uint32_t>(b.size()), reinterpret_cast<const uint8_t*>(b.data()),
                                  nullptr, pict);
    }

private:
    std::string FRecords;
};

int16_t Lo(COLORREF c) { return static_cast<int16_t>(c & 0xFFFF); }
int16_t Hi(COLORREF c) { return static_cast<int16_t>(c >> 16); }

// A stretch-DIB record of a 2 x 2 picture (red, green over blue, white;
// bottom-up rows) into a destination rectangle.
std::string StretchDibRecord(int32_t x, int32_t y, int32_t w, int32_t h)
{
    std::string bmi;
    for (uint32_t v : {40u, 2u, 2u})
        Put32(bmi, v);
    Put16(bmi, 1);
    Put16(bmi, 24);
    for (int i = 0; i < 6; ++i)
        Put32(bmi, 0);
    // Bottom row first: blue, white; then red, green. BGR, padded to 8 bytes.
    const std::string bits("\xFF\x00\x00\xFF\xFF\xFF\x00\x00"
                           "\x00\x00\xFF\x00\xFF\x00\x00\x00",
                           16);
    std::string body;
    for (int32_t v : {0, 0, 0, 0, x, y, 0, 0, 2, 2})
        Put32(body, U(v));
    const uint32_t offBmi = 80;
    Put32(body, offBmi);
    Put32(body, static_cast<uint32_t>(bmi.size()));
    Put32(body, offBmi + static_cast<uint32_t>(bmi.size()));
    Put32(body, static_cast<uint32_t>(bits.size()));
    Put32(body, DIB_RGB_COLORS);
    Put32(body, SRCCOPY);
    Put32(body, U(w));
    Put32(body, U(h));
    body += bmi + bits;
    std::string rec;
    Put32(rec, 81);
    Put32(rec, static_cast<uint32_t>(8 + body.size()));
    return rec + body;
}

std::string TextRecord(int32_t x, int32_t y, const std::u16string& text)
{
    std::string body;
    for (int32_t v : {0, 0, 0, 0, 1})
        Put32(body, U(v));
    Put32(body, FloatBits(1));
    Put32(body, FloatBits(1));
    Put32(body, U(x));
    Put32(body, U(y));
    Put32(body, static_cast<uint32_t>(text.size()));
    const uint32_t offString = 76;
    Put32(body, offString);
    Put32(body, 0);
    for (int i = 0; i < 4; ++i)
        Put32(body, 0);
    Put32(body, 0);  // no advances
    for (char16_t c : text)
        Put16(body, c);
    while (body.size() % 4)
        body += '\0';
    std::string rec;
    Put32(rec, 84);
    Put32(rec, static_cast<uint32_t>(8 + body.size()));
    return rec + body;
}

struct TProbe {
    int X, Y;
    COLORREF Color;
};

struct TCase {
    const char* Name;
    std::function<HENHMETAFILE()> Make;
    TRect Dest;
    std::vector<TProbe> Probes;
};

TEST(Metafile, SmallMetafilesPlayToTheExpectedPixels)
{
    const std::vector<TCase> cases = {
        {"emf-rectangle",
         [] {
             TEmfBuilder b;
             b.Rec(39, {1, BS_SOLID, kRed, 0}).Rec(37, {1}).Rec(43, {10, 10, 50, 50});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{30, 30, kRed}, {10, 30, kBlack}, {49, 30, kBlack}, {5, 5, kWhite}, {55, 30, kWhite}}},
        {"emf-lines",
         [] {
             TEmfBuilder b;
             b.Rec(27, {10, 20}).Rec(54, {90, 20});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{50, 20, kBlack}, {50, 22, kWhite}, {95, 20, kWhite}}},
        {"emf-polygon16",
         [] {
             TEmfBuilder b;
             RedNoPen(b);
             // Triangle (10,10) (90,10) (10,90): 3 points of 16 bits.
             b.Rec(86, {0, 0, 0, 0, 3, (10u << 16) | 10u, (10u << 16) | 90u, (90u << 16) | 10u});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{20, 20, kRed}, {80, 80, kWhite}, {15, 70, kRed}}},
        {"emf-polypolygon-hole",
         [] {
             TEmfBuilder b;
             RedNoPen(b);
             // An outer square and an inner one: the inner stays empty (alternate fill).
             b.Rec(8, {0, 0, 0, 0, 2, 8, 4, 4, 10, 10, 90, 10, 90, 90, 10, 90, 40, 40, 60, 40, 60, 60, 40, 60});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{20, 20, kRed}, {50, 50, kWhite}, {70, 50, kRed}}},
        {"emf-anisotropic",
         [] {
             TEmfBuilder b;
             b.Rec(17, {MM_ANISOTROPIC}).Rec(9, {10, 10}).Rec(11, {100, 100});
             RedNoPen(b).Rec(43, {1, 1, 5, 5});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{30, 30, kRed}, {12, 12, kRed}, {60, 60, kWhite}, {5, 5, kWhite}}},
        {"emf-lometric",
         [] {
             TEmfBuilder b;
             // 0.1 mm units, y upwards: (100,-100)-(500,-500) is 10..50 pixels.
             b.Rec(17, {MM_LOMETRIC});
             RedNoPen(b).Rec(43, {100, U(-100), 500, U(-500)});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{30, 30, kRed}, {60, 30, kWhite}, {30, 60, kWhite}}},
        {"emf-world-transform",
         [] {
             TEmfBuilder b;
             b.Rec(35, {FloatBits(2), FloatBits(0), FloatBits(0), FloatBits(2), FloatBits(0), FloatBits(0)});
             RedNoPen(b).Rec(43, {5, 5, 25, 25});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{30, 30, kRed}, {45, 45, kRed}, {60, 60, kWhite}, {8, 8, kWhite}}},
        {"emf-clip",
         [] {
             TEmfBuilder b;
             b.Rec(30, {0, 0, 30, 100});
             RedNoPen(b).Rec(43, {10, 10, 50, 50});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{20, 30, kRed}, {40, 30, kWhite}}},
        {"emf-save-restore-clip",
         [] {
             TEmfBuilder b;
             b.Rec(33, {}).Rec(30, {0, 0, 30, 100}).Rec(34, {U(-1)});
             RedNoPen(b).Rec(43, {10, 10, 50, 50});
             return b.Make();
         },
         {0, 0, 100, 100},
         {{20, 30, kRed}, {40, 30, kRed}}},
        {"emf-bitmap",
         [] {
             TEmfBuilder b;
             b.Raw(StretchDibRecord(0, 0, 40, 40));
             return b.Make();
         },
         {0, 0, 100, 100},
         {{10, 10, kRed}, {30, 10, kGreen}, {10, 30, kBlue}, {30, 30, kWhite}, {50, 50, kWhite}}},
        {"emf-scaled-into-rectangle",
         [] {
             TEmfBuilder b;
             RedNoPen(b).Rec(43, {0, 0, 50, 50});
             return b.Make();
         },
         {100, 50, 300, 250},
         {{150, 100, kRed}, {190, 140, kRed}, {210, 160, kWhite}, {90, 100, kWhite}}},
        {"wmf-rectangle-window",
         [] {
             TWmfBuilder w;
             w.Rec(0x020B, {0, 0}).Rec(0x020C, {1000, 1000});
             w.Rec(0x02FC, {BS_SOLID, Lo(kBlue), Hi(kBlue), 0}).Rec(0x012D, {0});
             w.Rec(0x041B, {500, 500, 100, 100});  // bottom, right, top, left
             METAFILEPICT pict{MM_ANISOTROPIC, 10000, 10000, 0};
             return w.Make(&pict);
         },
         {0, 0, 100, 100},
         {{30, 30, kBlue}, {10, 30, kBlack}, {60, 60, kWhite}}},
        {"wmf-polygon-and-clip",
         [] {
             TWmfBuilder w;
             w.Rec(0x020B, {0, 0}).Rec(0x020C, {100, 100});
             w.Rec(0x02FC, {BS_SOLID, Lo(kRed), Hi(kRed), 0}).Rec(0x012D, {0});
             w.Rec(0x0416, {100, 50, 0, 0});  // clip to the left half
             w.Rec(0x0324, {4, 10, 10, 90, 10, 90, 90, 10, 90});
             METAFILEPICT pict{MM_ANISOTROPIC, 10000, 10000, 0};
             return w.Make(&pict);
         },
         {0, 0, 100, 100},
         {{30, 50, kRed}, {70, 50, kWhite}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        HENHMETAFILE mf = c.Make();
        ASSERT_NE(mf, nullptr);
        TSurface s(320, 260);
        ASSERT_TRUE(PlayEnhMetaFile(s.DC, mf, c.Dest));
        s.Save(std::string("metafile-") + c.Name);
        for (const TProbe& p : c.Probes)
            EXPECT_EQ(s.At(p.X, p.Y), p.Color) << "at " << p.X << "," << p.Y;
        DeleteEnhMetaFile(mf);
    }
}

TEST(Metafile, TextIsDrawnWithTheMetafilesFontAtItsScale)
{
    TEmfBuilder b;
    std::string font;
    Put32(font, 1);
    for (int32_t v : {-20, 0, 0, 0, 700})
        Put32(font, U(v));
    font += std::string(8, '\0');
    std::u16string face = u"Arial";
    face.resize(32, u'\0');
    for (char16_t c : face)
        Put16(font, c);
    std::string rec;
    Put32(rec, 82);
    Put32(rec, static_cast<uint32_t>(8 + font.size()));
    b.Raw(rec + font);
    b.Rec(37, {1}).Rec(18, {TRANSPARENT});
    b.Raw(TextRecord(10, 10, u"HHH"));
    HENHMETAFILE mf = b.Make();
    ASSERT_NE(mf, nullptr);
    // Played at twice the size, the text is twice as tall.
    TSurface small(100, 100), large(200, 200);
    PlayEnhMetaFile(small.DC, mf, {0, 0, 100, 100});
    PlayEnhMetaFile(large.DC, mf, {0, 0, 200, 200});
    EXPECT_GT(small.InkIn({10, 10, 60, 30}), 40);
    EXPECT_EQ(small.InkIn({0, 35, 100, 100}), 0);
    EXPECT_EQ(small.InkIn({0, 0, 100, 9}), 0);
    EXPECT_GT(large.InkIn({20, 40, 120, 60}), 40);
    EXPECT_EQ(large.InkIn({0, 65, 200, 200}), 0);
    DeleteEnhMetaFile(mf);
}

TEST(Metafile, PlayingLeavesTheContextAsItWas)
{
    TEmfBuilder b;
    b.Rec(24, {kRed}).Rec(25, {kBlue}).Rec(18, {TRANSPARENT}).Rec(30, {0, 0, 10, 10});
    RedNoPen(b).Rec(43, {0, 0, 5, 5});
    HENHMETAFILE mf = b.Make();
    TSurface s(100, 100);
    HPEN pen = CreatePen(PS_SOLID, 1, kGreen);
    SelectObject(s.DC, pen);
    SetTextColor(s.DC, kBlack);
    PlayEnhMetaFile(s.DC, mf, {0, 0, 100, 100});
    EXPECT_EQ(GetTextColor(s.DC), kBlack);
    EXPECT_EQ(GetBkMode(s.DC), OPAQUE);
    EXPECT_EQ(GetCurrentObject(s.DC, OBJ_PEN), static_cast<HGDIOBJ>(pen));
    TRect box;
    GetClipBox(s.DC, &box);
    EXPECT_EQ(box, (TRect{0, 0, 100, 100}));
    SelectObject(s.DC, GetStockPen(BLACK_PEN));
    DeleteObject(pen);
    DeleteEnhMetaFile(mf);
}

TEST(Metafile, DamagedMetafilesPlayAsFarAsTheyAreSound)
{
    TEmfBuilder b;
    RedNoPen(b).Rec(43, {10, 10, 40, 40});
    // A record that claims more bytes than the metafile holds ends the play.
    std::string bad;
    Put32(bad, 43);
    Put32(bad, 4000);
    Put32(bad, 60);
    Put32(bad, 60);
    b.Raw(bad);
    b.Rec(43, {60, 60, 90, 90});
    HENHMETAFILE mf = b.Make();
    ASSERT_NE(mf, nullptr);
    TSurface s(100, 100);
    PlayEnhMetaFile(s.DC, mf, {0, 0, 100, 100});
    EXPECT_EQ(s.At(20, 20), kRed);
    EXPECT_EQ(s.At(70, 70), kWhite);
    DeleteEnhMetaFile(mf);

    // Records cut anywhere, or counts that run past their record, never read
    // outside the data.
    TEmfBuilder full;
    RedNoPen(full).Rec(86, {0, 0, 0, 0, 1000000, 1, 2}).Raw(StretchDibRecord(0, 0, 50, 50));
    full.Raw(TextRecord(0, 0, u"abc")).Rec(8, {0, 0, 0, 0, 0x7FFFFFFF, 3, 1, 2});
    const std::string bits = full.Bits();
    for (size_t cut = 88; cut <= bits.size(); cut += 3) {
        HENHMETAFILE part = SetEnhMetaFileBits(static_cast<uint32_t>(cut), reinterpret_cast<const uint8_t*>(bits.data()));
        ASSERT_NE(part, nullptr);
        PlayEnhMetaFile(s.DC, part, {0, 0, 100, 100});
        DeleteEnhMetaFile(part);
    }
    TWmfBuilder w;
    w.Rec(0x0324, {30000, 1, 1}).Rec(0x0538, {3, 2, 2, 2}).Rec(0x0A32, {0, 0, 500, 0});
    const std::string wbits = w.Bits();
    for (size_t cut = 18; cut <= wbits.size(); ++cut) {
        HENHMETAFILE part = SetWinMetaFileBits(static_cast<uint32_t>(cut),
                                               reinterpret_cast<const uint8_t*>(wbits.data()), nullptr, nullptr);
        ASSERT_NE(part, nullptr);
        PlayEnhMetaFile(s.DC, part, {0, 0, 100, 100});
        DeleteEnhMetaFile(part);
    }
    // What is no metafile makes none.
    const uint8_t junk[100] = {1, 0, 0, 0, 88};
    EXPECT_EQ(SetEnhMetaFileBits(sizeof junk, junk), nullptr);
    EXPECT_EQ(SetWinMetaFileBits(sizeof junk, junk, nullptr, nullptr), nullptr);
    EXPECT_EQ(SetEnhMetaFileBits(10, junk), nullptr);
}

TEST(Metafile, WindowsMetafilesKeepTheirBitsAndFrame)
{
    TWmfBuilder w;
    w.Rec(0x020B, {0, 0}).Rec(0x020C, {100, 200});  // y, x
    const std::string bits = w.Bits();
    METAFILEPICT pict{MM_ANISOTROPIC, 5080, 2540, 0};
    HENHMETAFILE mf = w.Make(&pict);
    ENHMETAHEADER header;
    ASSERT_TRUE(GetEnhMetaFileHeader(mf, &header));
    EXPECT_EQ(header.rclFrame, (TRect{0, 0, 5080, 2540}));
    const std::vector<uint8_t> kept = GetWinMetaFileBitsOf(mf);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), bits);
    // Without a suggested size, the window at the screen's resolution.
    HENHMETAFILE bare = w.Make(nullptr);
    ASSERT_TRUE(GetEnhMetaFileHeader(bare, &header));
    EXPECT_EQ(header.rclFrame, (TRect{0, 0, 5292, 2646}));
    // The enhanced bits make the same metafile again.
    const uint32_t size = GetEnhMetaFileBits(mf, 0, nullptr);
    std::vector<uint8_t> emf(size);
    EXPECT_EQ(GetEnhMetaFileBits(mf, size, emf.data()), size);
    HENHMETAFILE again = SetEnhMetaFileBits(size, emf.data());
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(GetEnhMetaFileHeader(again, &header));
    EXPECT_EQ(header.rclFrame, (TRect{0, 0, 5080, 2540}));
    for (HENHMETAFILE h : {mf, bare, again})
        DeleteEnhMetaFile(h);
}

TEST(Metafile, RecordedBitmapsPlayBackTheirPixels)
{
    TDibImage img;
    AllocateDib(img, 3, 2, 24);
    const uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFFFF00, 0x00FFFF};
    for (int i = 0; i < 6; ++i)
        SetDibPixel(img, i % 3, i / 3, colours[i]);
    TEnhMetafileRecorder opaque(nullptr, {0, 0, 2540, 2540});
    opaque.StretchDib({0, 0, 30, 20}, img);
    HENHMETAFILE mf = opaque.Close();
    ASSERT_NE(mf, nullptr);
    TSurface s(30, 20);
    // Played at the reference size the picture is copied pixel for pixel,
    // ten times over each way.
    ENHMETAHEADER h;
    GetEnhMetaFileHeader(mf, &h);
    const int32_t w = static_cast<int32_t>(2540LL * h.szlDevice.cx / (h.szlMillimeters.cx * 100));
    const int32_t ht = static_cast<int32_t>(2540LL * h.szlDevice.cy / (h.szlMillimeters.cy * 100));
    PlayEnhMetaFile(s.DC, mf, {0, 0, w, ht});
    for (int i = 0; i < 6; ++i) {
        const COLORREF c = s.At((i % 3) * 10 + 5, (i / 3) * 10 + 5);
        EXPECT_EQ((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c), colours[i]) << i;
    }
    DeleteEnhMetaFile(mf);

    // Transparent: the key colour leaves what was there.
    TEnhMetafileRecorder transparent(nullptr, {0, 0, 2540, 2540});
    transparent.TransparentDib({0, 0, 30, 20}, img, RGB(0, 0, 0));
    mf = transparent.Close();
    TSurface t(30, 20);
    FillRect(t.DC, {0, 0, 30, 20}, GetStockBrush(GRAY_BRUSH));
    PlayEnhMetaFile(t.DC, mf, {0, 0, w, ht});
    EXPECT_EQ(t.At(5, 5), kRed);
    EXPECT_EQ(t.At(5, 15), RGB(128, 128, 128));
    DeleteEnhMetaFile(mf);
}

}  // namespace
