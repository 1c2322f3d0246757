// TCanvas on bitmaps and on foreign contexts: fonts, pens and brushes
// selected when needed, text measures, shapes, pixels, copies and pictures.
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/CodePages.h"

namespace {

std::unique_ptr<TBitmap> WhiteBitmap(int w, int h, TPixelFormat format = TPixelFormat::pf24bit)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(format);
    b->SetSize(w, h);
    b->Canvas().Brush().SetColor(clWhite);
    b->Canvas().FillRect({0, 0, w, h});
    return b;
}

}  // namespace

TEST(Canvas, TextMeasuresAreTheFontsOwn)
{
    auto bmp = WhiteBitmap(200, 60);
    TCanvas& c = bmp->Canvas();
    c.Font().SetName("Times New Roman");
    c.Font().SetSize(12);
    EXPECT_EQ(c.Font().Height(), -16);  // 12 points at 96 pixels per inch
    const std::string text = "Canevas à l'œuvre";

    // The same font through the graphics layer directly.
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONT lf;
    lf.lfFaceName = "Times New Roman";
    lf.lfHeight = -16;
    lf.lfCharSet = DEFAULT_CHARSET;
    HFONT f = CreateFontIndirect(lf);
    HFONT old = SelectObject(dc, f);
    TSize expected;
    GetTextExtentPoint32(dc, text, &expected);
    SelectObject(dc, old);
    DeleteObject(f);
    DeleteDC(dc);

    EXPECT_EQ(c.TextWidth(text), expected.cx);
    EXPECT_EQ(c.TextHeight(text), expected.cy);
    c.Font().SetColor(clRed);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.TextOut(10, 20, text);
    EXPECT_EQ(c.PenPos(), Point(10 + expected.cx, 20));
    int red = 0;
    for (int y = 20; y < 20 + expected.cy; ++y)
        for (int x = 10; x < 10 + expected.cx; ++x)
            red += c.Pixels(x, y) != clWhite;
    EXPECT_GT(red, 50);
    EXPECT_EQ(c.Pixels(5, 5), clWhite);  // a clear brush leaves the background

    // A style change makes a new font: bold text is wider.
    c.Font().SetStyle(fsBold);
    EXPECT_GT(c.TextWidth(text), expected.cx);
    // Text clipped to a rectangle, its background filled by the brush.
    c.Brush().SetColor(clYellow);
    c.TextRect({150, 0, 160, 10}, 150, 0, "WWWW");
    int yellow = 0, white = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 150; x < 160; ++x) {
            yellow += c.Pixels(x, y) == clYellow;
            white += c.Pixels(x, y) == clWhite;
        }
    EXPECT_GT(yellow, 0);
    EXPECT_EQ(white, 0);
    for (int x = 160; x < 200; ++x)
        EXPECT_EQ(c.Pixels(x, 5), clWhite) << "text outside its rectangle at " << x;
}

TEST(Canvas, PensBrushesAndPixels)
{
    auto bmp = WhiteBitmap(50, 50);
    TCanvas& c = bmp->Canvas();
    c.Pen().SetColor(clBlue);
    c.MoveTo(0, 0);
    c.LineTo(10, 0);
    EXPECT_EQ(c.Pixels(9, 0), clBlue);
    EXPECT_EQ(c.Pixels(10, 0), clWhite);
    c.Brush().SetColor(clLime);
    c.Rectangle(10, 10, 20, 20);
    EXPECT_EQ(c.Pixels(10, 10), clBlue);
    EXPECT_EQ(c.Pixels(15, 15), clLime);
    c.Brush().SetColor(clRed);
    c.FillRect({30, 30, 35, 35});
    EXPECT_EQ(c.Pixels(30, 30), clRed);
    c.Polygon({{40, 0}, {49, 0}, {49, 9}});
    EXPECT_EQ(c.Pixels(47, 2), clRed);
    c.SetPixels(1, 40, clSilver);
    EXPECT_EQ(c.Pixels(1, 40), clSilver);
    EXPECT_EQ(c.Pixels(50, 0), clNone);
    EXPECT_EQ(c.Pixels(-1, 0), clNone);
    // System colours become the desktop's colours.
    c.SetPixels(2, 40, clWindow);
    EXPECT_EQ(static_cast<COLORREF>(c.Pixels(2, 40)), GetSysColor(COLOR_WINDOW));
    // An XOR pen drawn twice leaves the picture as it was.
    c.Pen().SetMode(TPenMode::pmXor);
    c.Pen().SetColor(clWhite);
    const TColor before = c.Pixels(25, 25);
    c.MoveTo(0, 25);
    c.LineTo(50, 25);
    EXPECT_NE(c.Pixels(25, 25), before);
    c.MoveTo(0, 25);
    c.LineTo(50, 25);
    EXPECT_EQ(c.Pixels(25, 25), before);
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 50, 50));
}

TEST(Canvas, DrawingPicturesAndCopying)
{
    auto target = WhiteBitmap(40, 40);
    auto glyph = WhiteBitmap(4, 4);
    glyph->Canvas().Brush().SetColor(clRed);
    glyph->Canvas().FillRect({1, 1, 3, 3});
    glyph->Canvas().SetPixels(0, 3, clFuchsia);  // bottom-left: the automatic transparent colour
    glyph->Canvas().SetPixels(3, 3, clFuchsia);

    TCanvas& c = target->Canvas();
    c.Draw(0, 0, *glyph);
    EXPECT_EQ(c.Pixels(0, 0), clWhite);
    EXPECT_EQ(c.Pixels(1, 1), clRed);
    EXPECT_EQ(c.Pixels(3, 3), clFuchsia);
    c.StretchDraw({10, 10, 18, 18}, *glyph);
    EXPECT_EQ(c.Pixels(12, 12), clRed);
    EXPECT_EQ(c.Pixels(17, 17), clFuchsia);

    glyph->SetTransparent(true);
    EXPECT_EQ(glyph->TransparentColor(), clFuchsia);
    c.Draw(20, 0, *glyph);
    EXPECT_EQ(c.Pixels(23, 3), clWhite);  // transparent pixels let the target through
    EXPECT_EQ(c.Pixels(21, 1), clRed);
    glyph->SetTransparentColor(clRed);
    EXPECT_EQ(glyph->TransparentMode(), TTransparentMode::tmFixed);
    c.Draw(30, 0, *glyph);
    EXPECT_EQ(c.Pixels(31, 1), clWhite);
    EXPECT_EQ(c.Pixels(33, 3), clFuchsia);

    c.CopyRect({0, 30, 8, 38}, glyph->Canvas(), {0, 0, 4, 4});
    EXPECT_EQ(c.Pixels(2, 32), clRed);
    c.SetCopyMode(SRCINVERT);
    c.CopyRect({0, 30, 8, 38}, glyph->Canvas(), {0, 0, 4, 4});
    EXPECT_EQ(c.Pixels(2, 32), clBlack);
}

TEST(Canvas, ForeignContextsGetTheirObjectsBack)
{
    HDC screen = GetScreenDC();
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 10, 10);
    ReleaseDC(screen);
    SelectObject(dc, bmp);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    {
        TCanvas c;
        c.SetHandle(dc);
        c.Brush().SetColor(clRed);
        c.Rectangle(0, 0, 5, 5);
        c.TextOut(0, 0, "x");
        EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), font);
        EXPECT_EQ(c.Pixels(2, 2), clRed);
        c.SetHandle(nullptr);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    }
    DeleteDC(dc);
    DeleteObject(bmp);
}
