// Whole pages painted at several zooms (left as pictures in the test
// output), and the update region's rules: only pages and lines that meet it
// are drawn.
#include "DocumentWindowFixture.h"

#include "foundation/managers/TabManager.h"
#include "platform/gdi/PngWriter.h"
#include "platform/testing/Testing.h"

namespace {

std::vector<uint32_t> Pixels(const TPaintCanvas& canvas)
{
    TDibImage image;
    GetBitmapDib(canvas.Bitmap(), &image);
    std::vector<uint32_t> pixels(static_cast<size_t>(canvas.Width) * canvas.Height);
    for (int32_t y = 0; y < canvas.Height; ++y)
        ReadDibRow(image, y, 0, canvas.Width, pixels.data() + static_cast<size_t>(y) * canvas.Width);
    return pixels;
}

const char* const kText =
    "Le traitement de texte range les lignes sur les pages, chaque ligne à sa place, et dessine chaque "
    "caractère à la position que la mise en page lui donne. ";

}  // namespace

class PagePaintTest : public WindowPaintTest {
protected:
    void A4(TSection& section)
    {
        TPageParams& p = section.PageParams;
        p[ppPaperWidth] = 11906;
        p[ppPaperHeight] = 16838;
        p[ppLeftMargin] = p[ppRightMargin] = 1134;
        p[ppTopMargin] = p[ppBottomMargin] = 1418;
        p[ppHeaderDistance] = p[ppFooterDistance] = 709;
        Doc->RecalcPageExtents();
    }

    // Two sections: a first page with a header, formatted runs, a tab with a
    // leader and underlines; then a section of two columns on the next page.
    void BuildDocument()
    {
        TSection& first = Doc->InsertSection(0);
        first.Settings[ssBreakKind] = sbNewPage;
        A4(first);
        A4(Doc->Sections(1));
        Doc->Sections(1).Settings[ssBreakKind] = sbNewPage;
        Doc->Sections(1).Settings[ssColumnCount] = 2;
        Doc->RecalcPageExtents();
        TTabTable table;
        table.AddTab(PackTabStop(4320, tkLeft, 1));
        table.AddTab(PackTabStop(8640, tkRight, 3));
        table.Sort();
        const int32_t tabs = Doc->TabManager().AddTable(table);

        Para(Rec(cfSize, 36) + Rec(cfBold, 1) + "Titre de la première section" + kMark);
        for (int i = 0; i < 4; ++i)
            Para(std::string(kText) + Rec(cfItalic, 1) + "Italique, " + Rec(cfItalic, 0) + Rec(cfUnderline, 1) +
                 "souligné, " + Rec(cfUnderline, 11) + "ondulé" + Rec(cfUnderline, 0) + " et " +
                 Rec(cfVerticalPosition, 1) + "exposant" + Rec(cfVerticalPosition, 0) + ". " + kText + kMark);
        Para("Points" + kTab + "suite" + kTab + "fin" + kMark, With({{pfTabTable, tabs}}));
        Para(Rec(cfHighlight, 7) + "Surligné" + Rec(cfHighlight, 0) + " " + Rec(cfStrikeOut, 1) + "barré" +
             Rec(cfStrikeOut, 0) + SectionBreak(first));
        for (int i = 0; i < 12; ++i)
            Para(std::string(kText) + kText + kMark);
        TParagraph& header = Doc->AppendParagraph(stHeadersFooters);
        const std::string headerText = EncodeText("En-tête du document" + kTab + "page" + kMark);
        header.SetText(headerText.data(), static_cast<int32_t>(headerText.size()));
        TField& field = Doc->AddRangeObject(rkHeaderFooter);
        field.Range = {{header.Index, 0}, {header.Index, header.GetCharCount()}};
        first.HeadersFooters[1] = &field;

    }
};

// A page of each section at 50, 100 and 200 %: the page's size follows the
// zoom, text stands only in the text area and the header area, and the ink
// grows with the zoom. The pictures are left for a person to look at.
TEST_F(PagePaintTest, WholePagesAtThreeZooms)
{
    BuildDocument();
    int64_t inkAt100 = 0;
    for (int32_t zoom : {100, 50, 200}) {
        SCOPED_TRACE(zoom);
        Doc->SetZoom(zoom);
        Doc->PaginateAll();
        ASSERT_GE(Doc->PageCount(), 2);
        for (int32_t index : {0, 1}) {
            TPage& page = *Doc->Pages()[static_cast<size_t>(index)];
            const TPageParams& params = Doc->GetPageSectionOf(page.GetSection()).PageParams;
            const int32_t width = params[ppPaperWidthDevice];
            const int32_t height = params[ppPaperHeightDevice];
            EXPECT_NEAR(width, 11906 * 96 * zoom / 144000, 1);
            EXPECT_NEAR(height, 16838 * 96 * zoom / 144000, 1);
            TPaintCanvas canvas(width, height, 0x00FF00);
            SetUpdateRegion(*Doc, {0, 0, width, height});
            {
                TPaintModeScope screen(TPaintMode::Screen);
                PaintPage(page, canvas.DC, 0, NotSet, 0);
            }
            const std::vector<uint32_t> pixels = Pixels(canvas);

            WriteTestPng(TestOutputDir() + "/page-" + std::to_string(index + 1) + "-zoom-" + std::to_string(zoom) +
                             ".png",
                         width, height, pixels);
            // Everything is painted (no green left), and ink stands only
            // within the margins, or in the header band.
            const TPageMargins margins = GetPageMargins(*Doc, params, index);
            const int32_t top = Doc->TwipsToDeviceY(params[ppTopMargin]);
            const int32_t headerTop = Doc->TwipsToDeviceY(params[ppHeaderDistance]);
            const int32_t bottom = height - Doc->TwipsToDeviceY(params[ppBottomMargin]);
            int64_t green = 0;
            int64_t ink = 0;
            int64_t stray = 0;
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x) {
                    const uint32_t p = pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
                    if (p == 0x00FF00)
                        ++green;
                    if (p == 0xFFFFFF)
                        continue;
                    ++ink;
                    const bool inText = x >= margins.LeftDevice - 2 && x < width - margins.RightDevice + 2 &&
                                        ((y >= top - 2 && y < bottom + 2) || (y >= headerTop && y < top));
                    if (!inText)
                        ++stray;
                }
            EXPECT_EQ(green, 0);
            EXPECT_GT(ink, 0);
            EXPECT_EQ(stray, 0);
            if (index == 1) {
                // Both columns start at the top margin: neither hides the other.
                auto inkIn = [&](int32_t left, int32_t right) {
                    int64_t n = 0;
                    for (int32_t y = top; y < top + 3 * Doc->ApplyZoom(18); ++y)
                        for (int32_t x = left; x < right; ++x)
                            n += (pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) != 0xFFFFFF;
                    return n;
                };
                EXPECT_GT(inkIn(margins.LeftDevice, width / 2 - 10), 0);
                EXPECT_GT(inkIn(width / 2 + 10, width - margins.RightDevice), 0);
            }
            if (zoom == 100 && index == 0)
                inkAt100 = ink;
            if (zoom == 200 && index == 0) {
                EXPECT_GT(ink, 2 * inkAt100);
                EXPECT_LT(ink, 5 * inkAt100);
            }
        }
    }
}

// A page only partly in the update region repaints the lines that meet it
// and leaves the rest; the frame and shadow are drawn where the region
// reaches them.
TEST_F(PagePaintTest, UpdateRegionLimitsThePaint)
{
    TTestDocumentWindow& window = ShowInWindow(420, 300);
    OneLiners(5);
    Doc->PaginateAll();
    UpdatePageLayout(*Doc);
    const TRect line = LineWindowRect(*Doc, 2, 0);
    ASSERT_GT(line.Height(), 0);

    TPaintCanvas canvas(window.ClientWidth(), window.ClientHeight(), 0x00FF00);
    SetUpdateRegion(*Doc, line);
    PaintDocument(*Doc, canvas.DC, canvas.Width, canvas.Height);
    // Outside the region nothing is drawn but the page's frame (drawn
    // whole; the window's own clip keeps it to the region).
    const TRect page = GetPageRect(*Doc, 0);
    const TRect frame{page.Left - 1, page.Top - 1, page.Right + 1, page.Bottom + 1};
    const int32_t outside =
        canvas.Count({0, 0, canvas.Width, canvas.Height}, [&](int32_t x, int32_t y) {
            const bool in = x >= line.Left && x < line.Right && y >= line.Top && y < line.Bottom;
            const bool onFrame = (x == frame.Left || x == frame.Right - 1) && y >= frame.Top && y < frame.Bottom;
            const bool onFrameRow = (y == frame.Top || y == frame.Bottom - 1) && x >= frame.Left && x < frame.Right;
            return !in && !onFrame && !onFrameRow && canvas.At(x, y) != 0x00FF00;
        });
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(canvas.Count(line, [&](int32_t x, int32_t y) { return canvas.At(x, y) == 0x00FF00; }), 0);
    // The line's text is there.
    EXPECT_GT(canvas.Count(line, [&](int32_t x, int32_t y) { return canvas.At(x, y) == 0; }), 0);
}

// A zoom of 50 % or less writes the captions of header editing at 7 points;
// a second section's header is captioned with its number.
TEST_F(PagePaintTest, HeaderCaptions)
{
    TSection& first = NewSection(5, sbNewPage);
    OneLiners(2);
    Para("fin" + SectionBreak(first));
    OneLiners(2);
    TField& header = HeaderFooter(Doc->Sections(1), 0, 1);
    (void)header;
    Doc->PaginateAll();
    ASSERT_GE(Doc->PageCount(), 2);
    EXPECT_EQ(HeaderFooterCaption(*Doc, *Doc->Pages()[1], false), "En-tête de section 2");
    EXPECT_EQ(HeaderFooterCaption(*Doc, *Doc->Pages()[0], true), "Pied de page de section 1");
    bool inherited = true;
    HeaderFooterCaption(*Doc, *Doc->Pages()[1], false, &inherited);
    EXPECT_FALSE(inherited);
}
