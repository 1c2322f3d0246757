// Drawing into memory bitmaps: text at explicit advances, lines, pens, clip
// regions, origins, saved states, fills, inversion, block transfers, DIBs and
// window surfaces, checked pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/PngWriter.h"
#include "platform/win/SysColors.h"
#include "platform/testing/Testing.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A 32-bit bitmap selected into a memory context, filled white.
class TCanvasBitmap {
public:
    TCanvasBitmap(int w, int h) : Width(w), Height(h)
    {
        HDC screen = GetScreenDC();
        DC = CreateCompatibleDC(screen);
        Bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(screen);
        Old = SelectObject(DC, Bitmap);
        HBRUSH white = GetStockBrush(WHITE_BRUSH);
        FillRect(DC, {0, 0, w, h}, white);
    }
    ~TCanvasBitmap()
    {
        SelectObject(DC, Old);
        DeleteObject(Bitmap);
        DeleteDC(DC);
    }
    COLORREF At(int x, int y) const { return GetPixel(DC, x, y); }
    // The pixels, 0x00RRGGBB, top-down.
    std::vector<uint32_t> Pixels() const
    {
        BITMAPINFO info;
        info.bmiHeader.biWidth = Width;
        info.bmiHeader.biHeight = -Height;
        info.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> px(static_cast<size_t>(Width) * Height);
        EXPECT_EQ(GetDIBits(DC, Bitmap, 0, Height, px.data(), &info, DIB_RGB_COLORS), Height);
        for (auto& p : px)
            p &= 0xFFFFFF;
        return px;
    }
    bool Ink(int x, int y) const
    {
        const COLORREF c = At(x, y);
        return c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 200;
    }

    int Width, Height;
    HDC DC;
    HBITMAP Bitmap;
    HBITMAP Old;
};

HFONT MakeFont(const char* face, int32_t height)
{
    LOGFONT lf;
    lf.lfFaceName = face;
    lf.lfHeight = height;
    return CreateFontIndirect(lf);
}

}  // namespace

TEST(Render, TextGlyphsStandExactlyAtTheGivenAdvances)
{
    TCanvasBitmap c(420, 120);
    HFONT font = MakeFont("Arial", -40);
    HFONT old = SelectObject(c.DC, font);
    SetBkMode(c.DC, TRANSPARENT);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(c.DC, &tm));
    // Each character in a slot 60 pixels wide, whatever its own width.
    const std::string text = "HIHIH";
    const int32_t dx[] = {60, 60, 60, 60, 60};
    const int x0 = 17, y0 = 11;
    ASSERT_TRUE(ExtTextOut(c.DC, x0, y0, 0, nullptr, text, dx));
    int32_t widths[256];
    GetCharWidth32(c.DC, 0, 255, widths);

    const int baseline = y0 + tm.tmAscent;
    for (size_t k = 0; k < text.size(); ++k) {
        const int slot = x0 + 60 * static_cast<int>(k);
        int inkLeft = 1000, inkRight = -1, inkTop = 1000, inkBottom = -1;
        for (int y = 0; y < c.Height; ++y)
            for (int x = slot; x < slot + 60; ++x)
                if (c.Ink(x, y)) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                    inkTop = std::min(inkTop, y);
                    inkBottom = std::max(inkBottom, y);
                }
        ASSERT_GE(inkRight, 0) << "no ink for character " << k;
        // Ink inside the glyph's own advance, capitals between cap height and baseline.
        EXPECT_GE(inkLeft, slot) << k;
        EXPECT_LE(inkRight, slot + widths[static_cast<uint8_t>(text[k])]) << k;
        EXPECT_GE(inkTop, baseline - tm.tmAscent) << k;
        EXPECT_LE(inkBottom, baseline) << k;
        EXPECT_GT(inkBottom, baseline - 3) << k;
    }
    // Same character, same pixels: integer positions leave no drift.
    for (int k : {2, 4})
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < 60; ++x)
                ASSERT_EQ(c.At(x0 + x, y), c.At(x0 + 60 * k + x, y)) << "H at slot " << k << " (" << x << "," << y << ")";
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(c.At(x0 + 60 + x, y), c.At(x0 + 180 + x, y)) << "I (" << x << "," << y << ")";
    // Nothing left of the text nor right of its last advance.
    for (int y = 0; y < c.Height; ++y) {
        for (int x = 0; x < x0; ++x)
            ASSERT_FALSE(c.Ink(x, y));
        for (int x = x0 + 300; x < c.Width; ++x)
            ASSERT_FALSE(c.Ink(x, y));
    }
    SelectObject(c.DC, old);
    DeleteObject(font);
}

TEST(Render, BackgroundModeAndOpaqueRectangle)
{
    TCanvasBitmap c(200, 80);
    HFONT font = MakeFont("Arial", -20);
    HFONT old = SelectObject(c.DC, font);
    TEXTMETRIC tm;
    GetTextMetrics(c.DC, &tm);
    TSize size;
    GetTextExtentPoint32(c.DC, "ab", &size);
    SetBkColor(c.DC, kRed);
    SetTextColor(c.DC, RGB(0, 0, 255));
    // Opaque: the text cell takes the background colour.
    SetBkMode(c.DC, OPAQUE);
    TextOut(c.DC, 10, 10, "ab");
    EXPECT_EQ(c.At(10, 10), kRed);
    EXPECT_EQ(c.At(10 + size.cx - 1, 10 + tm.tmHeight - 1), kRed);
    EXPECT_EQ(c.At(10 + size.cx, 10), kWhite);
    EXPECT_EQ(c.At(10, 10 + tm.tmHeight), kWhite);
    // Transparent: only the glyphs.
    SetBkMode(c.DC, TRANSPARENT);
    TextOut(c.DC, 100, 10, "ab");
    EXPECT_EQ(c.At(100, 10), kWhite);
    // ETO_OPAQUE fills the rectangle whatever the mode; ETO_CLIPPED keeps the text in it.
    const TRect box{10, 45, 30, 75};
    ExtTextOut(c.DC, 10, 45, ETO_OPAQUE | ETO_CLIPPED, &box, "WWWW", nullptr);
    int inkOutside = 0;
    for (int y = 40; y < 80; ++y)
        for (int x = 30; x < 120; ++x)
            inkOutside += c.At(x, y) != kWhite;
    EXPECT_EQ(inkOutside, 0);
    EXPECT_NE(c.At(10, 74), kWhite);
    SelectObject(c.DC, old);
    DeleteObject(font);
}

TEST(Render, LinesLeaveOutTheirLastPixelAndPensHaveTheirPatterns)
{
    TCanvasBitmap c(100, 40);
    MoveToEx(c.DC, 5, 5);
    LineTo(c.DC, 50, 5);
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(49, 5), kBlack);
    EXPECT_EQ(c.At(50, 5), kWhite);
    TPoint pos;
    GetCurrentPositionEx(c.DC, &pos);
    EXPECT_EQ(pos, Point(50, 5));
    // A line to the current position draws nothing.
    LineTo(c.DC, 50, 5);
    EXPECT_EQ(c.At(50, 5), kWhite);

    // Dotted pen: three on, three off; in opaque mode the gaps take the background colour.
    HPEN dot = CreatePen(PS_DOT, 1, kRed);
    HPEN old = SelectObject(c.DC, dot);
    SetBkMode(c.DC, TRANSPARENT);
    MoveToEx(c.DC, 0, 10);
    LineTo(c.DC, 30, 10);
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(c.At(x, 10), (x % 6) < 3 ? kRed : kWhite) << x;
    SetBkMode(c.DC, OPAQUE);
    SetBkColor(c.DC, RGB(0, 255, 0));
    MoveToEx(c.DC, 0, 12);
    LineTo(c.DC, 30, 12);
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(c.At(x, 12), (x % 6) < 3 ? kRed : RGB(0, 255, 0)) << x;
    SelectObject(c.DC, old);
    DeleteObject(dot);

    // A rectangle's outline covers left..right-1, top..bottom-1; the brush fills inside.
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    HBRUSH oldBrush = SelectObject(c.DC, blue);
    Rectangle(c.DC, 60, 20, 70, 30);
    EXPECT_EQ(c.At(60, 20), kBlack);
    EXPECT_EQ(c.At(69, 29), kBlack);
    EXPECT_EQ(c.At(70, 29), kWhite);
    EXPECT_EQ(c.At(69, 30), kWhite);
    EXPECT_EQ(c.At(65, 25), RGB(0, 0, 255));
    SelectObject(c.DC, oldBrush);
    DeleteObject(blue);

    // An XOR pen drawn twice leaves nothing.
    SetROP2(c.DC, R2_XORPEN);
    HPEN white = GetStockPen(WHITE_PEN);
    SelectObject(c.DC, white);
    const auto before = c.Pixels();
    for (int i = 0; i < 2; ++i) {
        MoveToEx(c.DC, 0, 0);
        LineTo(c.DC, 99, 39);
        Ellipse(c.DC, 10, 10, 40, 35);
    }
    EXPECT_EQ(c.Pixels(), before);
}

TEST(Render, NothingIsDrawnOutsideTheClipRegion)
{
    TCanvasBitmap c(160, 100);
    HRGN a = CreateRectRgn(10, 10, 70, 60);
    HRGN b = CreateRectRgn(50, 40, 140, 90);
    HRGN hole = CreateEllipticRgn(20, 20, 45, 50);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(clip, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(clip, clip, hole, RGN_DIFF), COMPLEXREGION);
    EXPECT_NE(SelectClipRgn(c.DC, clip), RGN_ERROR);

    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(c.DC, {0, 0, 160, 100}, red);
    HFONT font = MakeFont("Arial", -30);
    HFONT oldFont = SelectObject(c.DC, font);
    SetBkMode(c.DC, TRANSPARENT);
    SetTextColor(c.DC, RGB(0, 0, 255));
    TextOut(c.DC, 0, 30, "WWWWWWWW");
    MoveToEx(c.DC, 0, 95);
    LineTo(c.DC, 160, 0);

    const auto px = c.Pixels();
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x) {
            const bool inside = PtInRegion(clip, x, y);
            const uint32_t p = px[static_cast<size_t>(y) * c.Width + x];
            if (!inside) {
                ASSERT_EQ(p, 0xFFFFFFu) << "drawn outside the clip at " << x << "," << y;
            } else {
                ASSERT_NE(p, 0xFFFFFFu) << "not filled at " << x << "," << y;
            }
        }
    // The clip box is the region's bounds.
    TRect box;
    EXPECT_EQ(GetClipBox(c.DC, &box), COMPLEXREGION);
    EXPECT_EQ(box, Rect(10, 10, 140, 90));
    EXPECT_TRUE(RectVisible(c.DC, {0, 0, 11, 11}));
    EXPECT_FALSE(RectVisible(c.DC, {0, 0, 10, 10}));
    EXPECT_FALSE(PtVisible(c.DC, 30, 35));  // in the hole

    // Intersecting and excluding rectangles narrow the clip; removing it restores all.
    IntersectClipRect(c.DC, 0, 0, 60, 100);
    ExcludeClipRect(c.DC, 0, 0, 60, 15);
    GetClipBox(c.DC, &box);
    EXPECT_EQ(box, Rect(10, 15, 60, 90));
    SelectClipRgn(c.DC, nullptr);
    GetClipBox(c.DC, &box);
    EXPECT_EQ(box, Rect(0, 0, 160, 100));

    SelectObject(c.DC, oldFont);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(a), static_cast<HGDIOBJ>(b), static_cast<HGDIOBJ>(hole),
                      static_cast<HGDIOBJ>(clip), static_cast<HGDIOBJ>(red), static_cast<HGDIOBJ>(font)})
        EXPECT_TRUE(DeleteObject(o));
}

TEST(Render, ViewportOriginAndSavedStates)
{
    TCanvasBitmap c(60, 60);
    HBRUSH red = CreateSolidBrush(kRed);
    TPoint old;
    SetViewportOrgEx(c.DC, 10, 20, &old);
    EXPECT_EQ(old, Point(0, 0));
    FillRect(c.DC, {0, 0, 5, 5}, red);
    EXPECT_EQ(c.At(0, 0), kRed);  // GetPixel takes logical coordinates too
    SetViewportOrgEx(c.DC, 0, 0);
    EXPECT_EQ(c.At(10, 20), kRed);
    EXPECT_EQ(c.At(14, 24), kRed);
    EXPECT_EQ(c.At(15, 24), kWhite);
    EXPECT_EQ(c.At(9, 20), kWhite);
    // The clip is in device units, not moved by the origin.
    SetViewportOrgEx(c.DC, 30, 30);
    IntersectClipRect(c.DC, 0, 0, 10, 10);  // logical: device 30..40
    TPoint p[2] = {{0, 0}, {10, 10}};
    LPtoDP(c.DC, p, 2);
    EXPECT_EQ(p[0], Point(30, 30));
    DPtoLP(c.DC, p, 2);
    EXPECT_EQ(p[1], Point(10, 10));

    const int level = SaveDC(c.DC);
    EXPECT_EQ(level, 1);
    SetTextColor(c.DC, kRed);
    SetViewportOrgEx(c.DC, 0, 0);
    SelectClipRgn(c.DC, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 3, kRed);
    SelectObject(c.DC, pen);
    EXPECT_EQ(SaveDC(c.DC), 2);
    SetBkMode(c.DC, TRANSPARENT);
    EXPECT_TRUE(RestoreDC(c.DC, -1));
    EXPECT_EQ(GetBkMode(c.DC), OPAQUE);
    EXPECT_EQ(GetTextColor(c.DC), kRed);
    EXPECT_TRUE(RestoreDC(c.DC, level));
    EXPECT_EQ(GetTextColor(c.DC), kBlack);
    EXPECT_EQ(GetCurrentObject(c.DC, OBJ_PEN), GetStockObject(BLACK_PEN));
    TPoint org;
    GetViewportOrgEx(c.DC, &org);
    EXPECT_EQ(org, Point(30, 30));
    TRect box;
    GetClipBox(c.DC, &box);
    EXPECT_EQ(box, Rect(0, 0, 10, 10));
    EXPECT_FALSE(RestoreDC(c.DC, 1));  // that level is gone
    DeleteObject(pen);
    DeleteObject(red);
}

TEST(Render, InversionHatchesAndFrames)
{
    TCanvasBitmap c(40, 40);
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(c.DC, {0, 0, 20, 40}, red);
    InvertRect(c.DC, {10, 0, 30, 10});
    EXPECT_EQ(c.At(12, 5), RGB(0, 255, 255));
    EXPECT_EQ(c.At(25, 5), kBlack);
    EXPECT_EQ(c.At(35, 5), kWhite);
    InvertRect(c.DC, {10, 0, 30, 10});
    EXPECT_EQ(c.At(12, 5), kRed);

    const auto before = c.Pixels();
    DrawFocusRect(c.DC, {2, 2, 38, 38});
    EXPECT_NE(c.Pixels(), before);
    DrawFocusRect(c.DC, {2, 2, 38, 38});
    EXPECT_EQ(c.Pixels(), before);

    // A hatched brush: lines in its colour, gaps by the background mode.
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, kBlack);
    SetBkColor(c.DC, RGB(0, 255, 0));
    SetBkMode(c.DC, TRANSPARENT);
    FillRect(c.DC, {0, 16, 16, 24}, hatch);
    int black = 0, red_ = 0;
    for (int y = 16; y < 24; ++y)
        for (int x = 0; x < 16; ++x) {
            black += c.At(x, y) == kBlack;
            red_ += c.At(x, y) == kRed;
        }
    EXPECT_EQ(black, 2 * (8 + 8) - 2);  // one horizontal and one vertical line per 8 x 8 cell
    EXPECT_EQ(black + red_, 16 * 8);
    SetBkMode(c.DC, OPAQUE);
    FillRect(c.DC, {20, 16, 36, 24}, hatch);
    EXPECT_EQ(c.At(20, 16), RGB(0, 255, 0));

    FrameRect(c.DC, {20, 26, 30, 36}, red);
    EXPECT_EQ(c.At(20, 26), kRed);
    EXPECT_EQ(c.At(29, 35), kRed);
    EXPECT_EQ(c.At(25, 30), kWhite);
    DeleteObject(hatch);
    DeleteObject(red);
}

TEST(Render, BlockTransfersApplyTheirRasterOperation)
{
    // Source and destination pixel values combined by each operation.
    const COLORREF s = RGB(0xF0, 0x0F, 0x55), d = RGB(0xCC, 0x33, 0xAA), p = RGB(0x12, 0x34, 0x56);
    const uint32_t S = 0x00F00F55, D = 0x00CC33AA, P = 0x00123456, M = 0xFFFFFF;
    struct TCase {
        uint32_t Rop;
        uint32_t Result;
    };
    const TCase cases[] = {
        {SRCCOPY, S},          {SRCPAINT, S | D},           {SRCAND, S & D},         {SRCINVERT, S ^ D},
        {SRCERASE, S & ~D & M}, {NOTSRCCOPY, ~S & M},        {NOTSRCERASE, ~(S | D) & M}, {MERGECOPY, S & P},
        {MERGEPAINT, (~S | D) & M}, {PATCOPY, P},            {PATINVERT, P ^ D},      {DSTINVERT, ~D & M},
        {BLACKNESS, 0},        {WHITENESS, M},             {PATPAINT, (P | ~S | D) & M},
    };
    TCanvasBitmap src(4, 4), dst(4, 4);
    HBRUSH bs = CreateSolidBrush(s), bd = CreateSolidBrush(d), bp = CreateSolidBrush(p);
    FillRect(src.DC, {0, 0, 4, 4}, bs);
    SelectObject(dst.DC, bp);
    for (const TCase& c : cases) {
        FillRect(dst.DC, {0, 0, 4, 4}, bd);
        ASSERT_TRUE(BitBlt(dst.DC, 1, 1, 2, 2, src.DC, 0, 0, c.Rop));
        const COLORREF got = dst.At(1, 1);
        EXPECT_EQ(got, RGB(static_cast<uint8_t>(c.Result >> 16), static_cast<uint8_t>(c.Result >> 8),
                           static_cast<uint8_t>(c.Result)))
            << std::hex << c.Rop;
        EXPECT_EQ(dst.At(0, 0), d);  // outside the rectangle
        EXPECT_EQ(dst.At(3, 3), d);
    }
    SelectObject(dst.DC, GetStockBrush(WHITE_BRUSH));
    DeleteObject(bs);
    DeleteObject(bd);
    DeleteObject(bp);
}

TEST(Render, StretchingMirroringAndMonochromeSources)
{
    TCanvasBitmap src(2, 2), dst(8, 8);
    SetPixel(src.DC, 0, 0, kRed);
    SetPixel(src.DC, 1, 1, kBlack);
    ASSERT_TRUE(StretchBlt(dst.DC, 0, 0, 4, 4, src.DC, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), kRed);
    EXPECT_EQ(dst.At(1, 1), kRed);
    EXPECT_EQ(dst.At(2, 0), kWhite);
    EXPECT_EQ(dst.At(3, 3), kBlack);
    EXPECT_EQ(dst.At(4, 4), kWhite);
    // A negative width mirrors.
    ASSERT_TRUE(StretchBlt(dst.DC, 8, 4, -2, 2, src.DC, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(dst.At(7, 4), kRed);
    EXPECT_EQ(dst.At(6, 5), kBlack);

    // A monochrome source: 0 bits take the text colour, 1 bits the background colour.
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP bits = CreateCompatibleBitmap(mono, 2, 1);  // monochrome, as the context holds
    BITMAP info;
    GetObject(bits, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HBITMAP oldBits = SelectObject(mono, bits);
    SetPixel(mono, 0, 0, kWhite);
    SetPixel(mono, 1, 0, kBlack);
    SetTextColor(dst.DC, RGB(0, 0, 255));
    SetBkColor(dst.DC, RGB(0, 255, 0));
    BitBlt(dst.DC, 0, 7, 2, 1, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.At(0, 7), RGB(0, 255, 0));
    EXPECT_EQ(dst.At(1, 7), RGB(0, 0, 255));
    // A colour source to monochrome: the source's background colour becomes white.
    SetBkColor(src.DC, kRed);
    BitBlt(mono, 0, 0, 2, 1, src.DC, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(mono, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(mono, 1, 0), kBlack);
    SelectObject(mono, oldBits);
    DeleteObject(bits);
    DeleteDC(mono);

    // Transparent copy.
    TCanvasBitmap t(8, 8);
    ASSERT_TRUE(TransparentBlt(t.DC, 0, 0, 2, 2, src.DC, 0, 0, 2, 2, kWhite));
    EXPECT_EQ(t.At(0, 0), kRed);
    EXPECT_EQ(t.At(1, 0), kWhite);
}

TEST(Render, DibsOfEveryDepthRoundTrip)
{
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        const int w = 13, h = 5;  // odd width: padded rows
        BITMAPINFO info;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h;  // bottom-up
        info.bmiHeader.biBitCount = static_cast<uint16_t>(depth);
        if (depth <= 8)
            for (int i = 0; i < (1 << depth); ++i)
                info.bmiColors.push_back({static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                                          static_cast<uint8_t>(i * 3), 0});
        const int stride = DibStride(w, depth);
        std::vector<uint8_t> bits(static_cast<size_t>(stride) * h);
        for (int y = 0; y < h; ++y)
            for (int b = 0; b < (w * depth + 7) / 8; ++b)
                bits[static_cast<size_t>(y) * stride + b] = static_cast<uint8_t>(y * 31 + b * 17 + 5);
        if (depth == 16)  // 5-5-5: the top bit is unused
            for (size_t i = 1; i < bits.size(); i += 2)
                bits[i] &= 0x7F;
        if (depth == 32)  // the fourth byte is unused
            for (size_t i = 3; i < bits.size(); i += 4)
                bits[i] = 0xFF;
        if (depth < 8) {  // padding bits past the last pixel read back as 0
            for (int y = 0; y < h; ++y) {
                const int used = w * depth;
                for (int bit = used; bit < stride * 8; ++bit)
                    bits[static_cast<size_t>(y) * stride + bit / 8] &= static_cast<uint8_t>(~(0x80 >> (bit % 8)));
            }
        }
        HBITMAP bmp = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, bits.data(), bits.size());
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(BitmapBitCount(bmp), depth);
        BITMAPINFO back;
        back.bmiHeader.biBitCount = static_cast<uint16_t>(depth);
        back.bmiHeader.biHeight = h;
        std::vector<uint8_t> read(bits.size());
        ASSERT_EQ(GetDIBits(nullptr, bmp, 0, h, read.data(), &back, DIB_RGB_COLORS), h);
        if (depth < 8 || depth == 24) {
            // Compare pixel bits only (row padding is unspecified).
            for (int y = 0; y < h; ++y)
                for (int b = 0; b < (w * depth + 7) / 8; ++b)
                    ASSERT_EQ(read[static_cast<size_t>(y) * stride + b], bits[static_cast<size_t>(y) * stride + b]);
        } else if (depth == 8 || depth == 16) {
            for (int y = 0; y < h; ++y)
                for (int b = 0; b < w * depth / 8; ++b)
                    ASSERT_EQ(read[static_cast<size_t>(y) * stride + b], bits[static_cast<size_t>(y) * stride + b]);
        } else {
            EXPECT_EQ(read, bits);
        }
        if (depth <= 8) {
            EXPECT_EQ(back.bmiColors, info.bmiColors);
        }

        // Drawn through StretchDIBits, pixel (x, row from the top) shows the colour the DIB gives it.
        TCanvasBitmap c(w, h);
        ASSERT_EQ(StretchDIBits(c.DC, 0, 0, w, h, 0, 0, w, h, bits.data(), info, DIB_RGB_COLORS, SRCCOPY), h);
        TDibImage img;
        ASSERT_TRUE(GetBitmapDib(bmp, &img));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(c.At(x, y), RGB(static_cast<uint8_t>(DibPixel(img, x, y) >> 16),
                                          static_cast<uint8_t>(DibPixel(img, x, y) >> 8),
                                          static_cast<uint8_t>(DibPixel(img, x, y))));
        DeleteObject(bmp);
    }
}

TEST(Render, StretchDIBitsCountsSourceRowsFromTheBottom)
{
    // Bottom-up 1 x 4 DIB: rows from the bottom are red, green, blue, black.
    BITMAPINFO info;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biBitCount = 32;
    const uint32_t rows[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    TCanvasBitmap c(1, 2);
    // Source rows 1..2 from the bottom: green (lower) and blue (upper).
    StretchDIBits(c.DC, 0, 0, 1, 2, 0, 1, 1, 2, rows, info, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(0, 1), RGB(0, 255, 0));
}

TEST(Render, PaintingAnIndexedBitmapKeepsItsPalette)
{
    BITMAPINFO info;
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = 8;
    info.bmiHeader.biBitCount = 4;
    for (int i = 0; i < 16; ++i)
        info.bmiColors.push_back({static_cast<uint8_t>(i * 17), static_cast<uint8_t>(i * 17), static_cast<uint8_t>(i * 17), 0});
    HBITMAP bmp = CreateDIBSection(nullptr, info, DIB_RGB_COLORS);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectObject(dc, bmp);
    HBRUSH grey = CreateSolidBrush(RGB(100, 100, 100));  // nearest grey of the table: 102
    SelectObject(dc, grey);
    SelectObject(dc, GetStockPen(NULL_PEN));
    Rectangle(dc, 0, 0, 5, 5);  // through the painter
    SetPixel(dc, 7, 7, RGB(250, 250, 250));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(102, 102, 102));
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(255, 255, 255));
    EXPECT_EQ(DIBScanLine(bmp, 0)[0], 0x66);  // indices 6 and 6
    EXPECT_EQ(BitmapBitCount(bmp), 4);
    SelectObject(dc, old);
    SelectObject(dc, GetStockBrush(WHITE_BRUSH));
    DeleteObject(grey);
    DeleteObject(bmp);
    DeleteDC(dc);
}

namespace {

class TFakeSurface : public TWindowSurface {
public:
    explicit TFakeSurface(HBITMAP bitmap) : FBitmap(bitmap) {}
    HBITMAP SurfaceBitmap() override { return FBitmap; }
    void SurfaceChanged(const TRect& r) override { Changed.push_back(r); }
    std::vector<TRect> Changed;

private:
    HBITMAP FBitmap;
};

}  // namespace

TEST(Render, WindowContextsDrawIntoTheSurfaceAndReportWhatChanged)
{
    HDC screen = GetScreenDC();
    HBITMAP back = CreateCompatibleBitmap(screen, 50, 50);
    TFakeSurface surface(back);
    HDC dc = CreateWindowSurfaceDC(&surface);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSX));
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, {10, 10, 20, 15}, red);
    EXPECT_TRUE(surface.Changed.empty());
    EXPECT_EQ(ReleaseDC(dc), 1);
    ASSERT_EQ(surface.Changed.size(), 1u);
    EXPECT_EQ(surface.Changed[0], Rect(10, 10, 20, 15));
    HDC mem = CreateCompatibleDC(screen);
    SelectObject(mem, back);
    EXPECT_EQ(GetPixel(mem, 10, 10), kRed);
    DeleteDC(mem);
    DeleteObject(red);
    DeleteObject(back);
    ReleaseDC(screen);
}

TEST(Render, ObjectsAndContextsFailSafelyWhenMisused)
{
    HDC screen = GetScreenDC();
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
    // Drawing on the screen context does nothing but is no error.
    EXPECT_TRUE(TextOut(screen, 0, 0, "x"));
    EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);

    HDC a = CreateCompatibleDC(screen), b = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 4, 4);
    HBITMAP oldA = SelectObject(a, bmp);
    EXPECT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr) << "a bitmap is selected into one context at a time";
    // A font deleted while selected stays usable until it is replaced.
    HFONT font = MakeFont("Arial", -12);
    HFONT oldFont = SelectObject(a, font);
    EXPECT_TRUE(DeleteObject(font));
    TEXTMETRIC tm;
    EXPECT_TRUE(GetTextMetrics(a, &tm));
    EXPECT_TRUE(TextOut(a, 0, 0, "x"));
    EXPECT_EQ(SelectObject(a, font), nullptr) << "a deleted handle is no longer accepted";
    SelectObject(a, oldFont);
    // Stale and foreign handles fail without harm.
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_EQ(GetObjectType(font), 0);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects stay
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), OBJ_BRUSH);
    SelectObject(a, oldA);
    EXPECT_NE(SelectObject(b, bmp), nullptr);
    EXPECT_TRUE(DeleteDC(a));
    EXPECT_FALSE(DeleteDC(a));
    EXPECT_FALSE(TextOut(a, 0, 0, "x"));
    EXPECT_EQ(GetDeviceCaps(a, LOGPIXELSX), 0);
    DeleteDC(b);
    DeleteObject(bmp);
    EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(screen, 1 << 20, 1 << 20), nullptr) << "too large";
    ReleaseDC(screen);
}

TEST(Render, PictureForPeopleToLookAt)
{
    TCanvasBitmap c(360, 140);
    HBRUSH band = CreateSolidBrush(RGB(235, 240, 255));
    FillRect(c.DC, {0, 0, 360, 140}, band);
    HFONT serif = MakeFont("Times New Roman", -28);
    HFONT old = SelectObject(c.DC, serif);
    SetBkMode(c.DC, TRANSPARENT);
    const std::string text = "Éléphant à 9,50 €";
    std::vector<int32_t> dx(text.size());
    int32_t widths[256];
    GetCharWidth32(c.DC, 0, 255, widths);
    for (size_t i = 0; i < text.size(); ++i)
        dx[i] = widths[static_cast<uint8_t>(text[i])] + 2;  // letter-spaced by 2 pixels
    ExtTextOut(c.DC, 10, 10, 0, nullptr, text, dx.data());
    HPEN dash = CreatePen(PS_DASH, 1, RGB(0, 0, 160));
    SelectObject(c.DC, dash);
    MoveToEx(c.DC, 10, 50);
    LineTo(c.DC, 350, 50);
    HRGN clip = CreateEllipticRgn(20, 60, 340, 135);
    SelectClipRgn(c.DC, clip);
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(200, 0, 0));
    FillRect(c.DC, {0, 55, 360, 140}, hatch);
    SetTextColor(c.DC, RGB(0, 100, 0));
    TextOut(c.DC, 40, 80, "Découpé par une ellipse");
    SelectClipRgn(c.DC, nullptr);
    WriteTestPng(TestOutputDir() + "/gdi-rendering.png", c.Width, c.Height, c.Pixels());
    EXPECT_TRUE(TestPathExists(TestOutputDir() + "/gdi-rendering.png"));
    SelectObject(c.DC, old);
    SelectObject(c.DC, GetStockPen(BLACK_PEN));
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(band), static_cast<HGDIOBJ>(serif), static_cast<HGDIOBJ>(dash),
                      static_cast<HGDIOBJ>(clip), static_cast<HGDIOBJ>(hatch)})
        DeleteObject(o);
}

TEST(Render, ArcsRoundedRectanglesAndPolylines)
{
    TCanvasBitmap c(120, 50);
    auto inkIn = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += c.At(x, y) == kBlack;
        return n;
    };
    // Counter-clockwise from three o'clock to twelve: the top-right quarter only.
    Arc(c.DC, 0, 0, 41, 41, 40, 20, 20, 0);
    EXPECT_GT(inkIn(21, 0, 41, 20), 10);
    EXPECT_EQ(inkIn(0, 21, 20, 41), 0);
    EXPECT_EQ(inkIn(0, 0, 19, 19), 0);
    // Clockwise, the same radials give the other three quarters.
    SetArcDirection(c.DC, AD_CLOCKWISE);
    Arc(c.DC, 60, 0, 101, 41, 100, 20, 80, 0);
    EXPECT_EQ(inkIn(82, 0, 101, 18), 0);
    EXPECT_GT(inkIn(60, 21, 80, 41), 10);
    SetArcDirection(c.DC, AD_COUNTERCLOCKWISE);

    // Rounded corners stay empty; the straight edges are drawn.
    TCanvasBitmap r(40, 40);
    SelectObject(r.DC, GetStockBrush(NULL_BRUSH));
    RoundRect(r.DC, 0, 0, 40, 40, 16, 16);
    EXPECT_EQ(r.At(0, 0), kWhite);
    EXPECT_EQ(r.At(20, 0), kBlack);
    EXPECT_EQ(r.At(0, 20), kBlack);
    EXPECT_EQ(r.At(39, 20), kBlack);

    // A polyline joins its points and leaves out only the last one.
    TCanvasBitmap p(20, 20);
    const TPoint pts[] = {{2, 2}, {10, 2}, {10, 10}};
    Polyline(p.DC, pts, 3);
    EXPECT_EQ(p.At(2, 2), kBlack);
    EXPECT_EQ(p.At(10, 2), kBlack);
    EXPECT_EQ(p.At(10, 9), kBlack);
    EXPECT_EQ(p.At(10, 10), kWhite);
}

TEST(Render, SystemColoursAndTheirBrushes)
{
    for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT,
                      COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT}) {
        HBRUSH b = GetSysColorBrush(index);
        LOGBRUSH lb;
        ASSERT_TRUE(GetObject(b, &lb)) << index;
        EXPECT_EQ(lb.lbColor, GetSysColor(index));
        EXPECT_EQ(GetSysColorBrush(index), b) << "one shared brush per colour";
        EXPECT_TRUE(DeleteObject(b));
        EXPECT_EQ(GetObjectType(b), OBJ_BRUSH) << "never freed";
    }
    // Text stays readable on its background.
    auto lightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    EXPECT_GT(std::abs(lightness(GetSysColor(COLOR_WINDOW)) - lightness(GetSysColor(COLOR_WINDOWTEXT))), 300);
    EXPECT_GT(std::abs(lightness(GetSysColor(COLOR_HIGHLIGHT)) - lightness(GetSysColor(COLOR_HIGHLIGHTTEXT))), 150);
    EXPECT_GT(lightness(GetSysColor(COLOR_BTNHIGHLIGHT)), lightness(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(GetSysColor(999), 0u);
    EXPECT_EQ(GetSysColorBrush(999), nullptr);
}
