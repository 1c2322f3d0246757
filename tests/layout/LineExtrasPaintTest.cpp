// What a line draws besides its text: the bullet of a bulleted paragraph,
// bar tabs, the line between columns, block selection, spelling marks, note
// reference marks, overlapping neighbours, the unprintable border and the
// header and footer frames; and the caret's shape from the typing format.
#include "PaintFixtures.h"

#include "document/editing/EditingRecords.h"
#include "document/fields/Field.h"
#include "document/model/Page.h"
#include "document/model/Section.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/TabManager.h"
#include "layout/CaretDisplay.h"
#include "layout/PagePainter.h"
#include "layout/RunFont.h"
#include "platform/gdi/PngWriter.h"
#include "platform/testing/Testing.h"

class LineExtrasPaintTest : public PaintTest {
protected:
    TLayoutLine& OneLine(const std::string& notation, const TParFormat& format = DefaultParFormat())
    {
        TParagraph& paragraph = Doc->Paragraphs(0);
        const std::string text = EncodeText(notation + kMark);
        paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
        paragraph.Format = format;
        Doc->FreePages();
        Doc->PaginateAll();
        return LineOf(0);
    }
    static bool Ink(const TPaintCanvas& canvas, int32_t x, int32_t y) { return canvas.At(x, y) != 0xFFFFFF; }
    static int32_t InkIn(const TPaintCanvas& canvas, const TRect& rect)
    {
        return canvas.Count(rect, [&](int32_t x, int32_t y) { return Ink(canvas, x, y); });
    }
    static int32_t Differing(const TPaintCanvas& a, const TPaintCanvas& b, const TRect& rect)
    {
        return a.Count(rect, [&](int32_t x, int32_t y) { return a.At(x, y) != b.At(x, y); });
    }
    TRect Band(const TLineGeometry& g) const { return {0, g.Top, PageWidth(), g.Top + g.BandHeight}; }
    // Leaves the canvas in the test output for a person to look at.
    static void Keep(const TPaintCanvas& canvas, const std::string& name)
    {
        TDibImage image;
        GetBitmapDib(canvas.Bitmap(), &image);
        std::vector<uint32_t> pixels(static_cast<size_t>(canvas.Width) * canvas.Height);
        for (int32_t y = 0; y < canvas.Height; ++y)
            ReadDibRow(image, y, 0, canvas.Width, pixels.data() + static_cast<size_t>(y) * canvas.Width);
        WriteTestPng(TestOutputDir() + "/line-" + name + ".png", canvas.Width, canvas.Height, pixels);
    }
};

// A bulleted paragraph's first line shows the bullet left of its text, in
// the room the layout gave it, on screen and on paper; a plain paragraph
// shows nothing there, and the bullet's line keeps its text where it was.
TEST_F(LineExtrasPaintTest, BulletHangsLeftOfTheText)
{
    for (TPaintMode mode : {TPaintMode::Screen, TPaintMode::Printing}) {
        SCOPED_TRACE(static_cast<int>(mode));
        for (int32_t bullet : {0, 1}) {
            TLayoutLine& line = OneLine("Puce", With({{pfInternal, bullet}}));
            TLineGeometry g;
            GetLineGeometry(line, g);
            TPaintCanvas canvas(PageWidth(), PageHeight());
            PaintOnto(canvas, line, mode);
            if (bullet && mode == TPaintMode::Screen)
                Keep(canvas, "bullet");
            const int32_t room = Doc->ApplyZoom(NormalLayoutUnits(*Doc).TwipsToEighths(270) / 8);
            EXPECT_EQ(g.X[0] - g.TextLeft, bullet ? room : 0);
            const int32_t left = InkIn(canvas, {g.TextLeft, g.Top, g.X[0], g.Top + g.BandHeight});
            if (bullet)
                EXPECT_GT(left, 0);
            else
                EXPECT_EQ(left, 0);
            EXPECT_EQ(InkIn(canvas, {0, g.Top, g.TextLeft, g.Top + g.BandHeight}), 0);
        }
    }
}

// A bar tab inverts a band 20 twips wide at its stop over the line's height,
// wherever the line's text is; other stops draw nothing.
TEST_F(LineExtrasPaintTest, BarTabInvertsItsColumn)
{
    TTabTable table;
    table.AddTab(PackTabStop(2880, tkBar, 0));
    table.AddTab(PackTabStop(1440, tkLeft, 0));
    table.Sort();
    const int32_t index = Doc->TabManager().AddTable(table);
    TLayoutLine& line = OneLine("a" + kTab + "b", With({{pfTabTable, index}}));
    TLineGeometry g;
    GetLineGeometry(line, g);
    TPaintCanvas canvas(PageWidth(), PageHeight());
    PaintOnto(canvas, line, TPaintMode::Screen);
    const int32_t x = g.TextLeft + Doc->ApplyZoom(NormalLayoutUnits(*Doc).TwipsToEighths(2880) / 8);
    const int32_t width = std::max(1, Doc->TwipsToDeviceX(20));
    const TRect bar{x, g.Top, x + width, g.Top + g.BandHeight};
    EXPECT_EQ(canvas.Count(bar, [&](int32_t px, int32_t py) { return canvas.At(px, py) != 0; }), 0);
    // Nothing at the left stop, and nothing of the bar beside it.
    EXPECT_EQ(InkIn(canvas, {x + width, g.Top, x + width + 20, g.Top + g.BandHeight}), 0);
    const int32_t left = g.TextLeft + Doc->ApplyZoom(NormalLayoutUnits(*Doc).TwipsToEighths(1440) / 8);
    EXPECT_EQ(InkIn(canvas, {left - 2, g.Top, left + 1, g.Baseline - 20}), 0);
}

// Spelling marks: the paragraph's marked ranges are underlined with a zigzag
// in their colour 2 pixels below the baseline, only on screen and only while
// checking as one types shows its errors.
TEST_F(LineExtrasPaintTest, SpellingMarks)
{
    TLayoutLine& line = OneLine("un mott faux");
    TParagraph& paragraph = Doc->Paragraphs(0);
    paragraph.MarkSpellChecked(0, paragraph.GetCharCount(), paragraph.GetSpellGeneration());
    paragraph.AddMisspelling(3, 7, 0x0000FF);
    ASSERT_EQ(paragraph.GetMisspellingCount(), 1);
    TLineGeometry g;
    GetLineGeometry(line, g);
    struct TCase {
        bool Checking;
        bool Shown;
        TPaintMode Mode;
        bool Expected;
    };
    const TCase cases[] = {
        {true, true, TPaintMode::Screen, true},
        {true, false, TPaintMode::Screen, false},
        {false, true, TPaintMode::Screen, false},
        {true, true, TPaintMode::Printing, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Checking << c.Shown << static_cast<int>(c.Mode));
        PaintSettings().CheckAsYouType = c.Checking;
        PaintSettings().ShowSpellingErrors = c.Shown;
        TPaintCanvas canvas(PageWidth(), PageHeight());
        PaintOnto(canvas, line, c.Mode);
        auto red = [&](const TRect& r) {
            return canvas.Count(r, [&](int32_t x, int32_t y) { return canvas.At(x, y) == 0x0000FF; });
        };
        const TRect under{g.X[3], g.Baseline + 1, g.X[7], g.Baseline + 4};
        if (c.Expected) {
            Keep(canvas, "spelling-marks");
            // Every column of the word has its point of the zigzag.
            EXPECT_GE(red(under), g.X[7] - g.X[3] - 1);
        } else {
            EXPECT_EQ(red(under), 0);
        }
        // Nothing under the other words.
        EXPECT_EQ(red({g.X[0], g.Baseline, g.X[2], g.Baseline + 5}), 0);
        EXPECT_EQ(red({g.X[9], g.Baseline, g.X[12], g.Baseline + 5}), 0);
    }
}

// A block selection inverts its span over the line's height; snapped to
// characters, the span of the characters inside it; other lines are left.
TEST_F(LineExtrasPaintTest, BlockSelection)
{
    TLayoutLine& line = OneLine("abcdefghij");
    TLineGeometry g;
    GetLineGeometry(line, g);
    TPaintCanvas plain(PageWidth(), PageHeight());
    PaintOnto(plain, line, TPaintMode::Screen);
    TBlockSelection block;
    block.StartParagraph = block.EndParagraph = 0;
    block.StartLine = block.EndLine = 0;
    // Page x values from inside 'c' to inside 'g'.
    block.LeftX = (g.X[2] + g.X[3]) / 2 + 1;
    block.RightX = (g.X[6] + g.X[7]) / 2 - 1;
    for (bool snap : {false, true}) {
        SCOPED_TRACE(snap);
        PaintSettings().BlockSnapsToChars = snap;
        SetShownBlockSelection(*Doc, &block);
        TPaintCanvas canvas(PageWidth(), PageHeight());
        PaintOnto(canvas, line, TPaintMode::Screen);
        SetShownBlockSelection(*Doc, nullptr);
        Keep(canvas, snap ? "block-selection-snapped" : "block-selection");
        int32_t first = 0;
        int32_t last = 0;
        line.GetBlockRange(block.LeftX, block.RightX, first, last);
        const TRect span = snap ? TRect{g.X[first], g.Top, g.X[last], g.Top + g.BandHeight}
                                : TRect{block.LeftX, g.Top, block.RightX, g.Top + g.BandHeight};
        ASSERT_GT(span.Width(), 0);
        EXPECT_EQ(canvas.Count(span, [&](int32_t x, int32_t y) { return canvas.At(x, y) != (~plain.At(x, y) & 0xFFFFFF); }),
                  0);
        EXPECT_EQ(canvas.Count(Band(g),
                               [&](int32_t x, int32_t y) {
                                   return (x < span.Left || x >= span.Right) && canvas.At(x, y) != plain.At(x, y);
                               }),
                  0);
    }
    // Not on another line.
    block.StartParagraph = block.EndParagraph = 1;
    SetShownBlockSelection(*Doc, &block);
    TPaintCanvas other(PageWidth(), PageHeight());
    PaintOnto(other, line, TPaintMode::Screen);
    SetShownBlockSelection(*Doc, nullptr);
    EXPECT_EQ(Differing(other, plain, Band(g)), 0);
}

// A note reference shows its field's result; while marks are shown a focus
// rectangle surrounds it.
TEST_F(LineExtrasPaintTest, NoteReferenceMark)
{
    TField& note = Doc->AddRangeObject(rkNoteReference);
    note.Result = "7";
    const std::string mark = Rec(icRangeStart, note.Handle()) + "{22:15}" + Rec(icRangeEnd, note.Handle());
    TLayoutLine& line = OneLine("Texte" + mark + " suite");
    note.Range = {{0, 5}, {0, 6}};
    TLineGeometry g;
    GetLineGeometry(line, g);
    ASSERT_GT(g.X[6] - g.X[5], 0);
    const int32_t top = g.Top + Doc->ApplyZoom(line.GetSpaceBefore());
    const TRect cell{g.X[5], top, g.X[6], top + Doc->ApplyZoom(line.Ascent + line.Descent)};
    TPaintCanvas printed(PageWidth(), PageHeight());
    PaintOnto(printed, line, TPaintMode::Printing);
    EXPECT_GT(InkIn(printed, cell), 0);
    // The digit as the font draws it at the cell's x.
    TPaintCanvas expected(PageWidth(), PageHeight());
    TSharedFont* font =
        GetFontManager()->SelectSharedFont(DefaultCharFormat(), Doc->FontSizeToDeviceHeight(24), false, true, expected.DC);
    SetBkMode(expected.DC, TRANSPARENT);
    TextOut(expected.DC, g.X[5], g.Baseline - font->Ascent, "7");
    EXPECT_EQ(Differing(printed, expected, cell), 0);

    PaintSettings().ShowMarks = true;
    PaintSettings().FieldShading = 0;
    TPaintCanvas marked(PageWidth(), PageHeight());
    PaintOnto(marked, line, TPaintMode::Screen);
    Keep(marked, "note-reference-marks");
    // The frame's top row: dotted, every other pixel.
    const int32_t dots = marked.Count({cell.Left, cell.Top, cell.Right, cell.Top + 1},
                                      [&](int32_t x, int32_t y) { return Ink(marked, x, y); });
    EXPECT_GE(dots, (cell.Width() - 1) / 2);
}

// The line between two columns stands in the middle of the gap before the
// second column, one pixel wide on screen, in palette entry 0.
TEST_F(LineExtrasPaintTest, LineBetweenColumns)
{
    TSection& section = Doc->Sections(0);
    section.Settings[ssColumnCount] = 2;
    section.LineBetweenColumns = 1;
    SmallPage(section, 5, 9000);
    OneLiners(8);
    Doc->PaginateAll();
    TLayoutLine* right = nullptr;
    for (int32_t p = 0; p < Doc->ParagraphCount() && !right; ++p)
        if (Doc->Paragraphs(p).GetLineCount() > 0 && LineOf(p).Column == 1)
            right = &LineOf(p);
    ASSERT_NE(right, nullptr);
    TLineGeometry g;
    GetLineGeometry(*right, g);
    const TPageMargins margins = GetPageMargins(*Doc, section.PageParams, 0);
    const int32_t x = margins.LeftDevice + Doc->TwipsToDeviceX(section.GetColumnGeometry(1).LeftBoundary);
    TPaintCanvas canvas(PageWidth(), PageHeight());
    PaintOnto(canvas, *right, TPaintMode::Screen);
    const TRect column{x, g.Top, x + 1, g.Top + g.BandHeight};
    auto black = [](const TPaintCanvas& c, const TRect& r) {
        return c.Count(r, [&](int32_t px, int32_t py) { return c.At(px, py) == 0; });
    };
    EXPECT_EQ(black(canvas, column), g.BandHeight);
    Keep(canvas, "line-between-columns");
    section.LineBetweenColumns = 0;
    TPaintCanvas without(PageWidth(), PageHeight());
    PaintOnto(without, *right, TPaintMode::Screen);
    EXPECT_LT(black(without, column), g.BandHeight / 2);
    // Only that column of pixels differs.
    EXPECT_EQ(Differing(canvas, without, {0, 0, x, PageHeight()}), 0);
    EXPECT_EQ(Differing(canvas, without, {x + 1, 0, PageWidth(), PageHeight()}), 0);
}

// Exactly spaced lines whose glyphs reach into their neighbours: painting a
// line composes the overlapping line above it too, so a line redrawn alone
// leaves the page as the whole page's paint drew it, and that paint keeps
// the descenders of the line above.
TEST_F(LineExtrasPaintTest, OverlappingNeighbours)
{
    TParFormat format = With({{pfLineSpacing, -150}, {pfLineRule, 0}});
    Para(Rec(cfSize, 40) + "gypq jgyp" + kLineBreak + "Ábcd ÉÀÊ" + kLineBreak + "fin" + kMark, format);
    Doc->PaginateAll();
    TLayoutLine& first = LineOf(0, 0);
    TLayoutLine& second = LineOf(0, 1);
    ASSERT_TRUE(first.Overlap);
    TLineGeometry g1;
    GetLineGeometry(first, g1);
    TLineGeometry g2;
    GetLineGeometry(second, g2);
    TPage& page = *first.Page;
    SetUpdateRegion(*Doc, {0, 0, PageWidth(), PageHeight()});
    TPaintCanvas whole(PageWidth(), PageHeight());
    {
        TPaintModeScope scope(TPaintMode::Screen);
        PaintPage(page, whole.DC, 0, NotSet, 0);
    }
    Keep(whole, "overlapping-neighbours");
    // The first line alone, printed: its ink inside the second line's band.
    TPaintCanvas alone(PageWidth(), PageHeight());
    PaintOnto(alone, first, TPaintMode::Printing);
    const TRect band2 = Band(g2);
    int32_t overhang = 0;
    int32_t kept = 0;
    for (int32_t y = band2.Top; y < band2.Bottom; ++y)
        for (int32_t x = g1.X[0]; x < g1.X[4]; ++x)
            if (alone.At(x, y) == 0) {
                ++overhang;
                kept += whole.At(x, y) == 0;
            }
    ASSERT_GT(overhang, 0);
    EXPECT_EQ(kept, overhang);
    TPaintCanvas again(PageWidth(), PageHeight());
    BitBlt(again.DC, 0, 0, again.Width, again.Height, whole.DC, 0, 0, SRCCOPY);
    {
        TPaintModeScope scope(TPaintMode::Screen);
        PaintLine(second, again.DC, 0, 0);
    }
    EXPECT_EQ(Differing(again, whole, {0, 0, again.Width, again.Height}), 0);
}

// While the printable area is previewed, what lies beyond the printer's
// minimum margins shows the page background only.
TEST_F(LineExtrasPaintTest, UnprintableBorder)
{
    TLayoutLine& line = OneLine("Marge de l'imprimante");
    TLineGeometry g;
    GetLineGeometry(line, g);
    const int32_t cut = g.X[5];
    const int32_t twips = MulDiv(cut, 1440, 96);
    TPaintCanvas plain(PageWidth(), PageHeight());
    PaintOnto(plain, line, TPaintMode::Screen);
    ASSERT_GT(InkIn(plain, {0, g.Top, cut, g.Top + g.BandHeight}), 0);
    PaintFlags().PrintableAreaPreview = true;
    PaintFlags().PrinterMargins[0] = twips;
    TPaintCanvas preview(PageWidth(), PageHeight());
    PaintOnto(preview, line, TPaintMode::Screen);
    PaintFlags().PrintableAreaPreview = false;
    const int32_t left = Doc->TwipsToDeviceX(twips);
    EXPECT_EQ(InkIn(preview, {0, g.Top, left, g.Top + g.BandHeight}), 0);
    EXPECT_EQ(Differing(preview, plain, {left, g.Top, PageWidth(), g.Top + g.BandHeight}), 0);
}

// In header editing the header's area is framed with dashes of palette entry
// 0, 4 pixels every 8, and a line of the header redrawn alone keeps it.
TEST_F(LineExtrasPaintTest, HeaderFrameInHeaderEditing)
{
    OneLiners(2);
    TField& header = HeaderFooter(Doc->Sections(0), 1, 1);
    Doc->PaginateAll();
    TPage& page = *Doc->Pages()[0];
    Doc->EditedHeaderFooter = &header;
    Doc->EditedHeaderFooterPage = 0;
    page.LayoutHeaderFooter(&header);
    TRect frame{};
    ASSERT_TRUE(HeaderFooterFrameRect(page, false, frame));
    SetUpdateRegion(*Doc, {0, 0, PageWidth(), PageHeight()});
    TPaintCanvas canvas(PageWidth(), PageHeight());
    {
        TPaintModeScope scope(TPaintMode::Screen);
        PaintPage(page, canvas.DC, 0, NotSet, 0);
    }
    auto dashes = [&](const TPaintCanvas& c) {
        return c.Count({frame.Left, frame.Top, frame.Right, frame.Top + 1},
                       [&](int32_t x, int32_t y) { return c.At(x, y) == 0; });
    };
    Keep(canvas, "header-frame");
    // Dashes of 4 every 8 pixels: half the row.
    const int32_t drawn = dashes(canvas);
    EXPECT_GE(drawn, frame.Width() / 2 - 4);
    EXPECT_LE(drawn, frame.Width() / 2 + 4);
    // The header's line redrawn alone (after an edit) draws its part again.
    TLayoutLine& line = LineOf(header.Range.Start.Paragraph);
    {
        TPaintModeScope scope(TPaintMode::Screen);
        PaintLine(line, canvas.DC, 0, 0);
    }
    EXPECT_EQ(dashes(canvas), drawn);
    Doc->EditedHeaderFooter = nullptr;
    Doc->EditedHeaderFooterPage = -1;
    page.RemoveHeaderFooter();
}

// Without a selection the caret shows the typing format: a format given
// before typing changes its size and slant at once.
TEST_F(LineExtrasPaintTest, CaretFollowsTheTypingFormat)
{
    OneLine("Texte droit");
    Doc->SetSelection(0, 3, 0, 3);
    UpdateCaretShape(*Doc);
    const int32_t plainHeight = Doc->Caret.Height;
    EXPECT_FALSE(CaretDisplay(*Doc).Italic);
    Doc->SelCharFormat[cfItalic] = 1;
    Doc->SelCharFormat[cfSize] = 48;
    UpdateCaretShape(*Doc);
    EXPECT_TRUE(CaretDisplay(*Doc).Italic);
    EXPECT_GT(Doc->Caret.Height, plainHeight * 3 / 2);
    // With a selection, the format at the caret.
    Doc->SetSelection(0, 1, 0, 3);
    UpdateCaretShape(*Doc);
    EXPECT_FALSE(CaretDisplay(*Doc).Italic);
    EXPECT_EQ(Doc->Caret.Height, plainHeight);
}

// With the marks colour given explicitly, the paragraph mark and the middle
// dots of spaces are drawn in it; otherwise in the text's colour.
TEST_F(LineExtrasPaintTest, MarksColourOfSpacesAndParagraphEnds)
{
    TLayoutLine& line = OneLine("a b");
    TLineGeometry g;
    GetLineGeometry(line, g);
    // A colour of marks that no text has.
    const COLORREF marks = 0x00A000;
    GetColorManager()->CurrentPalette().Colors(1).SetColor(static_cast<int32_t>(marks));
    PaintSettings().ShowMarks = true;
    for (bool explicitColour : {false, true}) {
        SCOPED_TRACE(explicitColour);
        PaintSettings().MarksColorExplicit = explicitColour;
        TPaintCanvas canvas(PageWidth(), PageHeight());
        PaintOnto(canvas, line, TPaintMode::Screen);
        for (int32_t i : {1, 3}) {
            const TRect cell{g.X[static_cast<size_t>(i)], g.Top, g.X[static_cast<size_t>(i) + 1], g.Top + g.BandHeight};
            const int32_t inMarks = canvas.Count(cell, [&](int32_t x, int32_t y) { return canvas.At(x, y) == marks; });
            const int32_t black = canvas.Count(cell, [&](int32_t x, int32_t y) { return canvas.At(x, y) == 0; });
            if (explicitColour) {
                EXPECT_GT(inMarks, 0) << i;
                EXPECT_EQ(black, 0) << i;
            } else {
                EXPECT_EQ(inMarks, 0) << i;
                EXPECT_GT(black, 0) << i;
            }
        }
        // The letters keep their colour.
        EXPECT_EQ(canvas.Count({g.X[0], g.Top, g.X[1], g.Top + g.BandHeight},
                               [&](int32_t x, int32_t y) { return canvas.At(x, y) == marks; }),
                  0);
    }
}
