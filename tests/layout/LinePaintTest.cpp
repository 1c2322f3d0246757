// Lines painted on bitmaps and checked against pixels the test expects from
// the layout's own positions: glyphs at the line's character positions,
// superscript, underline kinds, selection, formatting marks and tab leaders.
#include "PaintFixtures.h"

#include "foundation/managers/FontManager.h"
#include "foundation/managers/TabManager.h"
#include "layout/FormattingMarks.h"

#include <set>
#include <utility>

namespace {

// Percent of a, rounded.
int32_t Pct(int32_t a, int32_t p)
{
    return static_cast<int32_t>((static_cast<int64_t>(a) * p + 50) / 100);
}

}  // namespace

class LinePaintTest : public PaintTest {
protected:
    // The document's first paragraph with the text, paginated afresh; its
    // first line (valid until the next call).
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

    // The realised font of the default format with a slot changed, at a size
    // in half-points, selected into the canvas.
    TSharedFont* Font(TPaintCanvas& canvas, const std::vector<std::pair<int, int32_t>>& slots, int32_t halfPoints = 24)
    {
        TCharFormat format = DefaultCharFormat();
        for (const auto& [slot, value] : slots)
            format[slot] = value;
        return GetFontManager()->SelectSharedFont(format, Doc->FontSizeToDeviceHeight(halfPoints), false, true,
                                                  canvas.DC);
    }

};

// Text goes out glyph by glyph at the line's positions: the painted line
// equals each character drawn alone at its x, whatever moves the positions.
TEST_F(LinePaintTest, GlyphsStandAtTheLinePositions)
{
    struct TCase {
        const char* Name;
        std::string Prefix;  // format records before the text
        std::vector<std::pair<int, int32_t>> Slots;
    };
    const TCase cases[] = {
        {"plain", "", {}},
        {"letter spacing", Rec(cfLetterSpacing, 60), {{cfLetterSpacing, 60}}},
        {"condensed", Rec(cfLetterSpacing, -15), {{cfLetterSpacing, -15}}},
        {"bold", Rec(cfBold, 1), {{cfBold, 1}}},
        {"italic", Rec(cfItalic, 1), {{cfItalic, 1}}},
    };
    const std::string text = "Lettres espacées";
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLayoutLine& line = OneLine(c.Prefix + text);
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);

        TPaintCanvas painted(PageWidth(), PageHeight());
        PaintOnto(painted, line);
        TPaintCanvas expected(PageWidth(), PageHeight());
        TSharedFont* font = Font(expected, c.Slots);
        SetBkMode(expected.DC, TRANSPARENT);
        SetTextColor(expected.DC, 0);
        for (size_t i = 0; i < text.size(); ++i)
            TextOut(expected.DC, geometry.X[i], geometry.Baseline - font->Ascent, text.substr(i, 1));
        const int32_t differing = painted.Count({0, 0, painted.Width, painted.Height},
                                                [&](int32_t x, int32_t y) { return painted.At(x, y) != expected.At(x, y); });
        EXPECT_EQ(differing, 0);
        // The spacing moves the characters.
        if (std::string(c.Name) == "letter spacing") {
            EXPECT_GT(geometry.X[text.size()] - geometry.X[0], Font(expected, {})->GetTextWidth(text));
        }
    }
}

// A superscript character stands in the reduced font with its top at the
// full-size ascent above the baseline; a subscript one hangs below it.
TEST_F(LinePaintTest, SuperscriptAndSubscriptPlaces)
{
    for (int32_t position : {1, 2}) {
        SCOPED_TRACE(position);
        TLayoutLine& line = OneLine("x" + Rec(cfVerticalPosition, position) + "2" + Rec(cfVerticalPosition, 0) + "y");
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);
        TPaintCanvas painted(PageWidth(), PageHeight());
        PaintOnto(painted, line);

        TPaintCanvas expected(PageWidth(), PageHeight());
        SetBkMode(expected.DC, TRANSPARENT);
        TSharedFont* full = Font(expected, {});
        TextOut(expected.DC, geometry.X[0], geometry.Baseline - full->Ascent, "x");
        TextOut(expected.DC, geometry.X[2], geometry.Baseline - full->Ascent, "y");
        TSharedFont* small = Font(expected, {{cfVerticalPosition, position}}, MulDiv(24, 65, 100));
        const int32_t top = position == 1 ? geometry.Baseline - small->Ascent * 100 / 65
                                          : geometry.Baseline + small->Metrics.tmDescent * 100 / 65 -
                                                small->Metrics.tmDescent - small->Ascent;
        TextOut(expected.DC, geometry.X[1], top, "2");
        const int32_t differing = painted.Count({0, 0, painted.Width, painted.Height},
                                                [&](int32_t x, int32_t y) { return painted.At(x, y) != expected.At(x, y); });
        EXPECT_EQ(differing, 0);
    }
}

// Each underline kind against the same line without underline: what the
// underline adds lies in the band its kind gives, and solid kinds cover it.
TEST_F(LinePaintTest, UnderlineKinds)
{
    const std::string text = "mot et mot";
    TPaintCanvas plain(PageWidth(), PageHeight());
    std::vector<int32_t> plainX;
    {
        TLayoutLine& line = OneLine(text);
        PaintOnto(plain, line);
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);
        plainX = geometry.X;
    }

    struct TKind {
        int32_t Kind;
        // Rows (from y0) that the kind may touch, and whether it is solid
        // over them.
        std::function<std::pair<int32_t, int32_t>(int32_t a)> Rows;
        bool Solid;
    };
    const TKind kinds[] = {
        {1, [](int32_t a) { return std::pair{std::max(1, Pct(a, 12)), std::max(1, Pct(a, 7))}; }, true},
        {6, [](int32_t a) { return std::pair{std::max(1, Pct(a, 7)), std::max(2, Pct(a, 12))}; }, true},
        {3, [](int32_t a) { return std::pair{std::max(1, MulDiv(a, 68, 1000)), std::max(1, MulDiv(a, 33, 1000)) + std::max(2, MulDiv(a, 155, 1000))}; }, false},
        {4, [](int32_t a) { return std::pair{std::max(1, Pct(a, 12)), std::max(1, Pct(a, 7))}; }, false},
        {7, [](int32_t a) { return std::pair{std::max(1, Pct(a, 12)), std::max(1, Pct(a, 7))}; }, false},
        {20, [](int32_t a) { return std::pair{std::max(1, Pct(a, 8)), std::max(2, Pct(a, 11))}; }, false},
        {11, [](int32_t a) { int32_t h = std::max(4, Pct(a, 18)); h += h & 1; return std::pair{Pct(a, 12) - h, 2 * h + 2}; }, false},
    };
    for (const TKind& k : kinds) {
        SCOPED_TRACE(k.Kind);
        TLayoutLine& line = OneLine(Rec(cfUnderline, k.Kind) + text);
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);
        TPaintCanvas painted(PageWidth(), PageHeight());
        PaintOnto(painted, line);
        ASSERT_EQ(geometry.X, plainX);

        TPaintCanvas probe(1, 1);
        const int32_t a = Font(probe, {})->Ascent;
        const int32_t y0 = geometry.Baseline;  // text top + ascent
        const auto [offset, height] = k.Rows(a);
        const TRect band{geometry.X[0], y0 + offset, geometry.X[text.size()], y0 + offset + height};
        const TRect page{0, 0, painted.Width, painted.Height};
        auto added = [&](int32_t x, int32_t y) { return painted.At(x, y) != plain.At(x, y); };
        const int32_t all = painted.Count(page, added);
        EXPECT_GT(all, 0);
        EXPECT_EQ(painted.Count(band, added), all) << "outside the band";
        if (k.Solid) {
            EXPECT_EQ(painted.Count(band, [&](int32_t x, int32_t y) { return painted.At(x, y) != 0; }), 0);
        }
        if (k.Kind == 4) {
            // Dots of u pixels every 2u from the line's left edge.
            const int32_t u = std::max(2, Pct(a, 4));
            const int32_t row = band.Top;
            for (int32_t x = geometry.X[0]; x < geometry.X[text.size()]; ++x) {
                const bool dot = (x - geometry.TextLeft) % (2 * u) < u;
                if (plain.At(x, row) == 0xFFFFFF) {
                    EXPECT_EQ(painted.At(x, row) == 0, dot) << x;
                }
            }
        }
    }

    // Words only: nothing under the blanks; hidden (5) and 8: nothing.
    {
        TLayoutLine& line = OneLine(Rec(cfUnderline, 2) + text);
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);
        TPaintCanvas painted(PageWidth(), PageHeight());
        PaintOnto(painted, line);
        auto added = [&](int32_t x, int32_t y) { return painted.At(x, y) != plain.At(x, y); };
        EXPECT_EQ(painted.Count({geometry.X[3], 0, geometry.X[4], painted.Height}, added), 0);
        EXPECT_GT(painted.Count({geometry.X[0], 0, geometry.X[3], painted.Height}, added), 0);
    }
    for (int32_t kind : {5, 8}) {
        TLayoutLine& line = OneLine(Rec(cfUnderline, kind) + text);
        TPaintCanvas painted(PageWidth(), PageHeight());
        PaintOnto(painted, line);
        EXPECT_EQ(painted.Count({0, 0, painted.Width, painted.Height},
                                [&](int32_t x, int32_t y) { return painted.At(x, y) != plain.At(x, y); }),
                  0)
            << kind;
    }
}

// Two neighbouring runs of different sizes with the same dashed underline are
// underlined as one segment at the larger run's depth, the dashes unbroken.
TEST_F(LinePaintTest, NeighbouringUnderlinedRunsJoin)
{
    std::vector<TUnderlineSegment> segments(2);
    segments[0] = {10, 40, 5, 12, 3, DefaultCharFormat(), 0, 3};
    segments[1] = {40, 90, 0, 17, 4, DefaultCharFormat(), 3, 5};
    for (TUnderlineSegment& s : segments)
        s.Format[cfUnderline] = 7;
    segments[1].Format[cfBold] = 1;
    MergeUnderlineSegments(segments);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].Left, 10);
    EXPECT_EQ(segments[0].Right, 90);
    EXPECT_EQ(segments[0].Top, 0);
    EXPECT_EQ(segments[0].Ascent, 17);
    EXPECT_EQ(segments[0].Format[cfBold], 1);
    // Another colour or a subscript keeps them apart.
    std::vector<TUnderlineSegment> apart(2, segments[0]);
    apart[1].Left = apart[0].Right;
    apart[1].Right = apart[1].Left + 20;
    apart[1].Format[cfColor] = 6;
    MergeUnderlineSegments(apart);
    EXPECT_EQ(apart.size(), 2u);
}

// The selection inverts the band of its characters across a run boundary
// and leaves everything else as painted without it.
TEST_F(LinePaintTest, SelectionOverARunBoundary)
{
    TLayoutLine& line = OneLine("AB" + Rec(cfBold, 1) + "CD" + Rec(cfBold, 0) + "EF");
    TLineGeometry geometry;
    GetLineGeometry(line, geometry);
    TPaintCanvas before(PageWidth(), PageHeight());
    PaintOnto(before, line, TPaintMode::Screen);
    Doc->SetSelection(0, 1, 0, 3);
    TPaintCanvas after(PageWidth(), PageHeight());
    PaintOnto(after, line, TPaintMode::Screen);

    const TRect selected{geometry.X[1], geometry.Top, geometry.X[3], geometry.Top + geometry.BandHeight};
    EXPECT_EQ(after.Count(selected, [&](int32_t x, int32_t y) { return after.At(x, y) != (~before.At(x, y) & 0xFFFFFF); }), 0);
    EXPECT_EQ(after.Count({0, 0, after.Width, after.Height},
                          [&](int32_t x, int32_t y) {
                              const bool inside = x >= selected.Left && x < selected.Right && y >= selected.Top &&
                                                  y < selected.Bottom;
                              return !inside && after.At(x, y) != before.At(x, y);
                          }),
              0);
    // Printing never shows the selection.
    TPaintCanvas printed(PageWidth(), PageHeight());
    PaintOnto(printed, line, TPaintMode::Printing);
    EXPECT_EQ(printed.Count(selected, [&](int32_t x, int32_t y) { return printed.At(x, y) != before.At(x, y); }), 0);
}

// Formatting marks: the tab arrow's 24 pixels in the marks colour centred in
// the tab, the paragraph mark's glyph, nothing of either when marks are off
// or when printing.
TEST_F(LinePaintTest, FormattingMarksOnAndOff)
{
    TLayoutLine& line = OneLine("a" + kTab + "b");
    TLineGeometry geometry;
    GetLineGeometry(line, geometry);
    const COLORREF marks = static_cast<COLORREF>(GetColorManager()->CurrentPalette().Colors(1).Color());
    const TRect tab{geometry.X[1], geometry.Top, geometry.X[2], geometry.Top + geometry.BandHeight};
    const TRect mark{geometry.X[3], geometry.Top, geometry.X[3] + 12, geometry.Top + geometry.BandHeight};

    TPaintCanvas off(PageWidth(), PageHeight());
    PaintOnto(off, line, TPaintMode::Screen);
    EXPECT_EQ(off.Count(tab, [&](int32_t x, int32_t y) { return off.At(x, y) != 0xFFFFFF; }), 0);
    EXPECT_EQ(off.Count(mark, [&](int32_t x, int32_t y) { return off.At(x, y) != 0xFFFFFF; }), 0);

    PaintSettings().ShowMarks = true;
    TPaintCanvas on(PageWidth(), PageHeight());
    PaintOnto(on, line, TPaintMode::Screen);
    TPaintCanvas probe(1, 1);
    const int32_t ascent = Font(probe, {})->Ascent;
    const int32_t left = tab.Left + (tab.Width() - 10) / 2;
    const int32_t top = geometry.Baseline - ascent + (ascent - 5) / 2;
    const std::set<std::pair<int32_t, int32_t>> arrow = [&] {
        std::set<std::pair<int32_t, int32_t>> s;
        auto bar = [&](int32_t x, int32_t y, int32_t w, int32_t h) {
            for (int32_t j = 0; j < h; ++j)
                for (int32_t i = 0; i < w; ++i)
                    s.insert({left + x + i, top + y + j});
        };
        bar(0, 2, 6, 1);
        bar(6, 0, 2, 5);
        bar(8, 1, 2, 3);
        bar(9, 2, 3, 1);
        return s;
    }();
    EXPECT_EQ(arrow.size(), 24u);
    for (const auto& [x, y] : arrow)
        EXPECT_EQ(on.At(x, y), marks) << x << "," << y;
    EXPECT_EQ(on.Count(tab, [&](int32_t x, int32_t y) { return on.At(x, y) == marks; }), 24);
    EXPECT_GT(on.Count(mark, [&](int32_t x, int32_t y) { return on.At(x, y) != 0xFFFFFF; }), 0);

    // Only the tabs: no paragraph mark.
    PaintSettings().MarkParagraphEnds = false;
    TPaintCanvas tabsOnly(PageWidth(), PageHeight());
    PaintOnto(tabsOnly, line, TPaintMode::Screen);
    EXPECT_EQ(tabsOnly.Count(mark, [&](int32_t x, int32_t y) { return tabsOnly.At(x, y) != 0xFFFFFF; }), 0);

    TPaintCanvas printed(PageWidth(), PageHeight());
    PaintOnto(printed, line, TPaintMode::Printing);
    EXPECT_EQ(printed.Count(tab, [&](int32_t x, int32_t y) { return printed.At(x, y) != 0xFFFFFF; }), 0);
}

// A tab with a dotted leader: as many dots as whole dot advances fit in the
// tab, drawn in the tab's cell only.
TEST_F(LinePaintTest, TabLeader)
{
    TTabTable table;
    table.AddTab(PackTabStop(2880, tkLeft, 1));
    table.Sort();
    const int32_t index = Doc->TabManager().AddTable(table);
    TLayoutLine& line = OneLine("a" + kTab + "b", With({{pfTabTable, index}}));
    TLineGeometry geometry;
    GetLineGeometry(line, geometry);
    TPaintCanvas painted(PageWidth(), PageHeight());
    PaintOnto(painted, line);
    TPaintCanvas probe(1, 1);
    const int32_t advance = Font(probe, {})->Widths[static_cast<uint8_t>('.')];
    const int32_t width = geometry.X[2] - geometry.X[1];
    // Dots are runs of inked columns on the rows just above the baseline.
    int32_t dots = 0;
    bool inDot = false;
    for (int32_t x = geometry.X[1]; x < geometry.X[2]; ++x) {
        bool ink = false;
        for (int32_t y = geometry.Baseline - 4; y < geometry.Baseline + 1; ++y)
            ink = ink || painted.At(x, y) != 0xFFFFFF;
        if (ink && !inDot)
            ++dots;
        inDot = ink;
    }
    EXPECT_EQ(dots, width / advance);
    // Nothing above the dots' rows in the tab.
    EXPECT_EQ(painted.Count({geometry.X[1], geometry.Top, geometry.X[2], geometry.Baseline - 5},
                            [&](int32_t x, int32_t y) { return painted.At(x, y) != 0xFFFFFF; }),
              0);
}

// A break mark is at least its caption's width plus 30 pixels wide: 14
// pixels of dotted line stand on each side of the caption, one pixel in two
// for a page break, one in three for a column break.
TEST_F(LinePaintTest, BreakMarkWidth)
{
    for (int32_t caption : {0, 1}) {
        SCOPED_TRACE(caption);
        TPaintCanvas canvas(400, 40);
        Font(canvas, {}, 16);
        TSize size{};
        GetTextExtentPoint32(canvas.DC, BreakMarkCaption(caption), &size);
        const int32_t width = DrawBreakMark(canvas.DC, 0x0000FF, 0, caption, 10, 5, 4);
        EXPECT_EQ(width, size.cx + 30);
        const int32_t middle = 5 + size.cy / 2;
        int32_t dots = 0;
        for (int32_t x = 10; x < 24; ++x)
            dots += canvas.At(x, middle) == 0x0000FF;
        EXPECT_EQ(dots, caption == 0 ? 7 : 5);
        dots = 0;
        for (int32_t x = 10 + width - 14; x < 10 + width; ++x)
            dots += canvas.At(x, middle) == 0x0000FF;
        EXPECT_GE(dots, caption == 0 ? 6 : 4);
    }
}

// The paragraph-attribute glyphs stand left of a paragraph's first line
// while marks are shown: 12 x 10 at 100 %, stretched at other zooms.
TEST_F(LinePaintTest, ParagraphAttributeGlyphs)
{
    PaintSettings().ShowMarks = true;
    for (int32_t zoom : {100, 200}) {
        SCOPED_TRACE(zoom);
        Doc->SetZoom(zoom);
        TLayoutLine& line = OneLine("abc", With({{pfKeepWithNext, 1}}));
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);
        TPaintCanvas canvas(PageWidth(), PageHeight());
        PaintOnto(canvas, line, TPaintMode::Screen);
        const int32_t w = zoom == 100 ? 12 : 24;
        const int32_t h = zoom == 100 ? 10 : 20;
        const TRect glyph{geometry.TextLeft - w - 1, geometry.Top, geometry.TextLeft - 1, geometry.Top + h};
        auto ink = [&](int32_t x, int32_t y) { return canvas.At(x, y) != 0xFFFFFF; };
        EXPECT_GT(canvas.Count(glyph, ink), 0);
        // Nothing of it outside its box in the margin.
        EXPECT_EQ(canvas.Count({0, geometry.Top, glyph.Left, geometry.Top + geometry.BandHeight}, ink), 0);
        EXPECT_EQ(canvas.Count({glyph.Left, glyph.Bottom, glyph.Right, geometry.Top + geometry.BandHeight}, ink), 0);
    }
    Doc->SetZoom(100);
}
