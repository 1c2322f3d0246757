// Region arithmetic, and device contexts on PDF files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/gdi/Gdi.h"
#include "platform/testing/Testing.h"

TEST(Regions, CombiningReportsTheKindOfResult)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN far = CreateRectRgn(20, 20, 30, 30);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    struct TCase {
        HRGN A, B;
        int Mode;
        int Kind;
        TRect Box;
    };
    const TCase cases[] = {
        {a, b, RGN_AND, SIMPLEREGION, {5, 5, 10, 10}},   {a, b, RGN_OR, COMPLEXREGION, {0, 0, 15, 15}},
        {a, b, RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}},  {a, b, RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}},
        {a, far, RGN_AND, NULLREGION, {0, 0, 0, 0}},     {a, nullptr, RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}},
        {a, a, RGN_DIFF, NULLREGION, {0, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(CombineRgn(r, c.A, c.B, c.Mode), c.Kind) << c.Mode;
        TRect box;
        EXPECT_EQ(GetRgnBox(r, &box), c.Kind);
        EXPECT_EQ(box, c.Box) << c.Mode;
    }
    // XOR leaves out the overlap; DIFF keeps the L shape.
    CombineRgn(r, a, b, RGN_XOR);
    EXPECT_FALSE(PtInRegion(r, 7, 7));
    EXPECT_TRUE(PtInRegion(r, 2, 2));
    EXPECT_TRUE(PtInRegion(r, 12, 12));
    // Rectangles are half-open: touching is not meeting.
    EXPECT_TRUE(RectInRegion(a, {9, 9, 20, 20}));
    EXPECT_FALSE(RectInRegion(a, {10, 0, 20, 10}));
    EXPECT_FALSE(PtInRegion(a, 10, 5));
    EXPECT_EQ(OffsetRgn(a, 100, 0), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(a, 105, 5));
    EXPECT_TRUE(SetRectRgn(a, 0, 0, 10, 10));
    HRGN copy = CreateRectRgnIndirect({0, 0, 10, 10});
    EXPECT_TRUE(EqualRgn(a, copy));
    EXPECT_EQ(GetRegionRects(copy).size(), 1u);
    // Bad handles fail.
    EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_AND), RGN_ERROR);
    EXPECT_EQ(CombineRgn(r, a, b, 99), RGN_ERROR);
    for (HRGN h : {a, b, far, r, copy})
        EXPECT_TRUE(DeleteObject(h));
    EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), RGN_ERROR);
}

TEST(Regions, PolygonFillModes)
{
    // A five-pointed star: its centre is inside with WINDING, outside with ALTERNATE.
    const TPoint star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    HRGN winding = CreatePolygonRgn(star, 5, WINDING);
    HRGN alternate = CreatePolygonRgn(star, 5, ALTERNATE);
    EXPECT_TRUE(PtInRegion(winding, 50, 50));
    EXPECT_FALSE(PtInRegion(alternate, 50, 50));
    EXPECT_TRUE(PtInRegion(alternate, 50, 10));
    EXPECT_FALSE(PtInRegion(alternate, 5, 80));
    // A slanted selection end: the shape the painter inverts for italic text.
    const TPoint slant[] = {{10, 0}, {40, 0}, {35, 20}, {5, 20}};
    HRGN s = CreatePolygonRgn(slant, 4, ALTERNATE);
    EXPECT_TRUE(PtInRegion(s, 9, 15));
    EXPECT_FALSE(PtInRegion(s, 9, 1));
    EXPECT_FALSE(PtInRegion(s, 38, 18));
    // Fewer than three points make an empty region.
    HRGN empty = CreatePolygonRgn(slant, 2, ALTERNATE);
    TRect box;
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    for (HRGN h : {winding, alternate, s, empty})
        DeleteObject(h);
}

namespace {

// Page objects: "/Type /Page" not followed by "s".
int CountPages(const std::string& pdf)
{
    int n = 0;
    for (size_t at = pdf.find("/Type"); at != std::string::npos; at = pdf.find("/Type", at + 1)) {
        size_t p = at + 5;
        while (p < pdf.size() && pdf[p] == ' ')
            ++p;
        if (pdf.compare(p, 5, "/Page") == 0 && (p + 5 >= pdf.size() || pdf[p + 5] != 's'))
            ++n;
    }
    return n;
}

// Width and height in points of the first page's media box.
std::pair<double, double> MediaBox(const std::string& pdf)
{
    const size_t at = pdf.find("/MediaBox [");
    if (at == std::string::npos)
        return {0, 0};
    double v[4] = {};
    const char* p = pdf.c_str() + at + 11;
    for (double& x : v) {
        char* end = nullptr;
        x = std::strtod(p, &end);
        p = end;
    }
    return {v[2] - v[0], v[3] - v[1]};
}

}  // namespace

TEST(PdfDC, PagesOfTheGivenSizeAndResolution)
{
    const std::string dir = MakeTestDir("pdf");
    const std::string file = dir + "/lettre.pdf";
    HDC dc = CreatePdfDC(file, 12240, 15840, 600);  // US letter
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 5100);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 6600);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 5100);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 0);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 216);

    // Drawing outside a page draws nothing and does not fail.
    EXPECT_TRUE(TextOut(dc, 0, 0, "avant"));
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    ASSERT_GT(StartDoc(dc, {"Essai", ""}), 0);
    EXPECT_EQ(StartDoc(dc, {"Deux fois", ""}), SP_ERROR);
    LOGFONT lf;
    lf.lfFaceName = "Times New Roman";
    lf.lfHeight = -100;  // 12 points at 600 dpi
    HFONT font = CreateFontIndirect(lf);
    HFONT old = SelectObject(dc, font);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(dc, &tm));
    EXPECT_EQ(tm.tmDigitizedAspectY, 600);
    for (int page = 0; page < 2; ++page) {
        ASSERT_EQ(StartPage(dc), 1);
        const int32_t dx[] = {60, 60, 60, 60, 60};
        EXPECT_TRUE(ExtTextOut(dc, 600, 600, 0, nullptr, "Pages", dx));
        Rectangle(dc, 600, 900, 3000, 1500);
        HRGN clip = CreateRectRgn(600, 2000, 1200, 2600);
        SelectClipRgn(dc, clip);
        HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 200));
        FillRect(dc, {0, 0, 5100, 6600}, hatch);
        SelectClipRgn(dc, nullptr);
        DeleteObject(hatch);
        DeleteObject(clip);
        ASSERT_EQ(EndPage(dc), 1);
    }
    EXPECT_EQ(EndDoc(dc), 1);
    SelectObject(dc, old);
    DeleteObject(font);
    EXPECT_TRUE(DeleteDC(dc));

    const std::string pdf = ReadTestFile(file);
    ASSERT_GT(pdf.size(), 100u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_EQ(CountPages(pdf), 2);
    EXPECT_NE(pdf.find("/FontFile"), std::string::npos) << "the text's font is embedded";
    const auto [w, h] = MediaBox(pdf);
    EXPECT_DOUBLE_EQ(w, 612);
    EXPECT_DOUBLE_EQ(h, 792);
}

TEST(PdfDC, WidePagesAndFailures)
{
    const std::string dir = MakeTestDir("pdf");
    HDC wide = CreatePdfDC(dir + "/paysage.pdf", 16838, 11906, 300);  // A4 turned
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(GetDeviceCaps(wide, PHYSICALWIDTH), 3508);
    EXPECT_EQ(GetDeviceCaps(wide, PHYSICALHEIGHT), 2480);
    ASSERT_GT(StartDoc(wide, {"Paysage", ""}), 0);
    StartPage(wide);
    EndPage(wide);
    EXPECT_EQ(EndDoc(wide), 1);
    DeleteDC(wide);
    const std::string pdf = ReadTestFile(dir + "/paysage.pdf");
    // The file holds whole points.
    const auto [w, h] = MediaBox(pdf);
    EXPECT_NEAR(w, 841.9, 0.5);
    EXPECT_NEAR(h, 595.3, 0.5);

    // A file that cannot be written: the document does not start.
    HDC bad = CreatePdfDC(dir + "/absent/sous-dossier/x.pdf", 11906, 16838, 300);
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(StartDoc(bad, {"X", ""}), SP_ERROR);
    EXPECT_EQ(EndDoc(bad), SP_ERROR);
    DeleteDC(bad);
    // Abandoning removes the partial file.
    HDC aborted = CreatePdfDC(dir + "/abandon.pdf", 11906, 16838, 300);
    ASSERT_GT(StartDoc(aborted, {"A", ""}), 0);
    StartPage(aborted);
    EXPECT_EQ(AbortDoc(aborted), 1);
    DeleteDC(aborted);
    EXPECT_FALSE(TestPathExists(dir + "/abandon.pdf"));
    EXPECT_EQ(CreatePdfDC(dir + "/x.pdf", 0, 100, 300), nullptr);
}
