// The caret's shape and place, scrolling it into view, its blinking, and the
// repaint after an edit, in a real window that paints the document.
#include "DocumentWindowFixture.h"

#include "document/operations/SubOperation.h"
#include "foundation/drawing/ServiceBitmaps.h"
#include "foundation/managers/FontManager.h"
#include "layout/PageGrid.h"
#include "platform/framework/Bitmap.h"
#include "platform/testing/WindowTesting.h"

#include <set>

namespace {

int64_t Area(const TRect& r)
{
    return static_cast<int64_t>(r.Width()) * r.Height();
}

}  // namespace

class CaretTest : public WindowPaintTest {
protected:
    // The expected caret of a position from the line's geometry: x, top and
    // height for the font of the format at the size (half-points).
    struct TExpected {
        int32_t X;
        int32_t Y;
        int32_t Height;
    };
    TExpected Expect(int32_t paragraph, int32_t offset, int32_t vertical = 0)
    {
        TParagraph& par = Doc->Paragraphs(paragraph);
        const int32_t lineIndex = par.FindLineOfChar(offset, 0, false);
        TLayoutLine& line = Line(par, lineIndex);
        TLineGeometry geometry;
        GetLineGeometry(line, geometry);
        const TRect page = GetPageRect(*Doc, line.Page->Index);
        TCharFormat format = DefaultCharFormat();
        format[cfVerticalPosition] = vertical;
        const int32_t size = vertical ? MulDiv(24, 65, 100) : 24;
        TSharedFont* font = GetFontManager()->SelectSharedFont(format, Doc->FontSizeToDeviceHeight(size), false, true,
                                                               LayoutWorkingState().DC);
        const int32_t a = font->Metrics.tmAscent;
        const int32_t d = font->Metrics.tmDescent;
        const int32_t baseline = page.Top + geometry.Baseline;
        int32_t y = baseline - a;
        if (vertical == 1)
            y = baseline - a * 100 / 65;
        else if (vertical == 2)
            y = baseline + d * 100 / 65 - d - a;
        return {page.Left + geometry.X[static_cast<size_t>(offset - line.FirstChar)] - 1, y, a + d};
    }
};

// A plain caret is 1 pixel wide below 16 pixels of height and 2 from 16 on;
// an italic one is a slanted stroke in the caret bitmap, rising one pixel to
// the right every 4 rows.
TEST_F(CaretTest, CaretShapes)
{
    Para("abc" + kMark);
    Doc->PaginateAll();
    std::set<int32_t> widths;
    for (int32_t size = 16; size <= 40; size += 2) {
        TTextRange all;
        Doc->GetAllRange(all);
        Doc->SetSelection(0, 0, 0, 3);
        TCharFormat format;
        ClearCharFormat(format);
        format[cfSize] = size;
        TUpdateRange update;
        Doc->FormatText(all, format, 0, update, nullptr);
        Doc->SetSelection(0, 1, 0, 1);
        Doc->Caret.Paragraph = 0;
        Doc->Caret.Offset = 1;
        UpdateCaretShape(*Doc);
        const int32_t h = Doc->Caret.Height;
        EXPECT_EQ(Doc->Caret.Width, h >= 16 ? 2 : 1) << "height " << h;
        widths.insert(Doc->Caret.Width);
    }
    EXPECT_EQ(widths, (std::set<int32_t>{1, 2}));

    TTextRange all;
    Doc->GetAllRange(all);
    TCharFormat italic;
    ClearCharFormat(italic);
    italic[cfItalic] = 1;
    italic[cfSize] = 16;
    TUpdateRange update;
    Doc->FormatText(all, italic, 0, update, nullptr);
    Doc->SetSelection(0, 1, 0, 1);
    UpdateCaretShape(*Doc);
    const int32_t h = Doc->Caret.Height;
    const int32_t s = (h + 3) / 4;
    EXPECT_TRUE(CaretDisplay(*Doc).Italic);
    EXPECT_EQ(Doc->Caret.Width, s + 1);
    TCaretBitmap* bitmap = CaretBitmap();
    ASSERT_NE(bitmap->Bitmap(), nullptr);
    ASSERT_EQ(bitmap->Width(), s + 1);
    ASSERT_EQ(bitmap->Height(), h);
    const int32_t stroke = h >= 16 ? 2 : 1;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < s + 1; ++x) {
            bool white = false;
            for (int32_t i = 0; i < s; ++i)
                white = white || (x >= i && x < i + stroke && y >= h - 4 * (i + 1) && y < h - 4 * i);
            EXPECT_EQ(GetPixel(bitmap->DC(), x, y) & 0xFFFFFF, white ? 0xFFFFFFu : 0u) << x << "," << y;
        }
}

// The caret's place and height after moves: inside a line, at the start of
// a wrapped line, at a line end, after the paragraph mark, in a superscript and a
// subscript run.
TEST_F(CaretTest, CaretPlaces)
{
    Para("Une ligne assez longue pour passer sur la ligne suivante sans faute" + kMark);
    Para("abc" + kLineBreak + "def" + kMark);
    Para("x" + Rec(cfVerticalPosition, 1) + "23" + Rec(cfVerticalPosition, 2) + "45" + Rec(cfVerticalPosition, 0) +
         "y" + kMark);
    Doc->PaginateAll();
    ASSERT_GE(Doc->Paragraphs(0).GetLineCount(), 2);
    const int32_t secondLine = Doc->Paragraphs(0).GetLine(1).FirstChar;

    struct TCase {
        const char* Name;
        int32_t Paragraph;
        int32_t Offset;
        int32_t ExpectedOffset;
        int32_t Vertical;
    };
    const TCase cases[] = {
        {"inside", 0, 4, 4, 0},
        {"second line", 0, secondLine + 2, secondLine + 2, 0},
        {"line end", 1, 7, 7, 0},
        {"after the paragraph mark", 1, 8, 7, 0},
        {"superscript", 2, 2, 2, 1},
        {"subscript", 2, 4, 4, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        GoToPosition(*Doc, c.Paragraph, c.Offset, 0);
        EXPECT_EQ(Doc->Caret.Offset, c.ExpectedOffset);
        const TExpected expected = Expect(c.Paragraph, c.ExpectedOffset, c.Vertical);
        EXPECT_EQ(Doc->Caret.X, expected.X);
        EXPECT_EQ(Doc->Caret.Y, expected.Y);
        EXPECT_EQ(Doc->Caret.Height, expected.Height);
    }
    // An offset beyond the paragraph is cut to its end, then put before the
    // mark.
    GoToPosition(*Doc, 1, 99, 0);
    EXPECT_EQ(Doc->Caret.Offset, 7);
}

// Going to a paragraph that is not paginated yet paginates until it is
// placed; the caret then stands on its page.
TEST_F(CaretTest, GoingToAnUnpaginatedParagraph)
{
    OneLiners(40);
    Doc->Paginate(0, 0, 0);
    ASSERT_LT(Doc->PageCount(), 3);
    GoToPosition(*Doc, 33, 2, 0);
    ASSERT_GE(Doc->PageCount(), 7);
    EXPECT_EQ(CaretDisplay(*Doc).Page, 6);
    const TExpected expected = Expect(33, 2);
    EXPECT_EQ(Doc->Caret.Y, expected.Y);
}

// Scrolling into view: a move below the window scrolls so that the caret's
// zone shows; mode 1 puts the zone's bottom at mid-window.
TEST_F(CaretTest, ScrollingIntoView)
{
    TTestDocumentWindow& window = ShowInWindow(420, 200);
    OneLiners(30);
    Doc->PaginateAll();
    UpdatePageLayout(*Doc);
    ASSERT_EQ(Doc->ViewOrigin.Y, 0);
    GoToPosition(*Doc, 22, 1, 0);
    EXPECT_GT(Doc->ViewOrigin.Y, 0);
    EXPECT_TRUE(IsCaretVisible(*Doc));
    const TRect zone = GetCaretZone(*Doc);
    EXPECT_GE(zone.Top, Doc->ViewOrigin.Y);
    EXPECT_LE(zone.Bottom, Doc->ViewOrigin.Y + window.ClientHeight());
    // Below the window: the zone's bottom ends at its bottom edge.
    EXPECT_EQ(zone.Bottom, Doc->ViewOrigin.Y + window.ClientHeight());

    // A rectangle left of the view never takes the origin below 0, however
    // narrow the view's extent.
    const TPoint left = CalcScrollToRect(*Doc, {-60, zone.Top, -40, zone.Bottom}, 2);
    EXPECT_EQ(left.X, 0);

    Doc->ScrollTo({0, 0});
    ASSERT_FALSE(IsCaretVisible(*Doc));
    ScrollToCaret(*Doc, 1);
    EXPECT_EQ(GetCaretZone(*Doc).Bottom, Doc->ViewOrigin.Y + window.ClientHeight() / 2);
    // The window's caret stands at the caret's window position.
    TPoint place;
    ASSERT_TRUE(GetCaretPos(&place));
    GoToPosition(*Doc, 22, 1, 0);
    ASSERT_TRUE(GetCaretPos(&place));
    EXPECT_EQ(place.X, Doc->Caret.X - Doc->ViewOrigin.X);
    EXPECT_EQ(place.Y, Doc->Caret.Y - Doc->ViewOrigin.Y);
}

// The caret blinks while shown and never while hidden.
TEST_F(CaretTest, NoBlinkingWhileHidden)
{
    TTestDocumentWindow& window = ShowInWindow(420, 200);
    OneLiners(3);
    Doc->PaginateAll();
    UpdatePageLayout(*Doc);
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    GoToPosition(*Doc, 1, 2, 0);
    ASSERT_TRUE(CaretVisible());
    const int32_t x = Doc->Caret.X - Doc->ViewOrigin.X;
    const int32_t y = Doc->Caret.Y - Doc->ViewOrigin.Y + Doc->Caret.Height / 2;
    // The caret's pixel over three blink periods.
    auto watch = [&] {
        std::set<uint32_t> seen;
        const int period = static_cast<int>(GetCaretBlinkTime());
        RunUntil(
            [&] {
                TBitmap grab;
                if (GrabWindow(window.Handle, grab))
                    seen.insert(GetPixel(grab.Canvas().Handle(), x, y) & 0xFFFFFF);
                return false;
            },
            3 * period);
        return seen;
    };
    EXPECT_EQ(watch().size(), 2u);  // on and off
    ::HideCaret(window.Handle);
    EXPECT_FALSE(CaretVisible());
    EXPECT_EQ(watch(), (std::set<uint32_t>{0xFFFFFF}));
}

// Typing one character repaints the line it went into and, as the view
// update asks after every edit, the lines after it on the visible pages;
// nothing above it and never the whole window. A repaint of one line's range
// paints exactly that line's rectangle.
TEST_F(CaretTest, TypingRepaintsOnlyChangedLines)
{
    TTestDocumentWindow& window = ShowInWindow(420, 300);
    OneLiners(8);
    Doc->PaginateAll();
    UpdatePageLayout(*Doc);
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    RunPending();
    const int32_t end = Doc->Paragraphs(2).GetCharCount() - 1;
    Doc->SetSelection(2, end, 2, end);
    RunPending();
    auto clear = [&] {
        window.Painted.clear();
        window.Invalidated.clear();
        window.Repaints = 0;
    };
    auto painted = [&](const TRect& within) {
        int64_t area = 0;
        for (const auto& rects : window.Painted)
            for (const TRect& r : rects) {
                TRect inside{};
                if (IntersectRect(inside, r, within))
                    area += Area(inside);
            }
        return area;
    };
    const TRect client{0, 0, window.ClientWidth(), window.ClientHeight()};
    clear();

    TMemory buffer;
    buffer.Append("s", 1);
    uint8_t flags = 0;
    Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    RunPending();
    EXPECT_EQ(window.Repaints, 0);
    const TRect line = LineWindowRect(*Doc, 2, 0);
    ASSERT_GT(Area(line), 0);
    EXPECT_EQ(painted(line), Area(line));
    EXPECT_EQ(painted({0, 0, client.Right, line.Top}), 0);
    EXPECT_LT(painted(client), Area(client) / 2);
    // What was painted is what was asked for.
    HRGN asked = CreateRectRgn(0, 0, 0, 0);
    for (const TRect& r : window.Invalidated) {
        HRGN one = CreateRectRgnIndirect(r);
        CombineRgn(asked, asked, one, RGN_OR);
        DeleteObject(one);
    }
    int64_t askedArea = 0;
    for (const TRect& r : GetRegionRects(asked))
        askedArea += Area(r);
    DeleteObject(asked);
    EXPECT_EQ(painted(client), askedArea);

    // One line's range: that line's rectangle alone.
    clear();
    TTextRange range;
    MakeTextPos(2, 0, range.Start);
    MakeTextPos(2, 1, range.End);
    GetDocumentLayout()->RepaintRange(*Doc, range);
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    RunPending();
    ASSERT_EQ(window.Invalidated.size(), 1u);
    EXPECT_EQ(window.Invalidated[0], line);
    EXPECT_EQ(painted(client), Area(line));
}

// After an edit the window shows what a whole repaint would: lines that
// moved down when a paragraph gained a line, and up when it lost one
// (leaving nothing of their old places), are drawn again.
TEST_F(CaretTest, LinesThatMovedAreRepainted)
{
    TTestDocumentWindow& window = ShowInWindow(420, 320);
    OneLiners(2);
    Para("Un paragraphe court" + kMark);
    OneLiners(3);
    Doc->PaginateAll();
    UpdatePageLayout(*Doc);
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    RunPending();
    // The window's pixels against the document painted whole on a bitmap.
    auto differing = [&] {
        TBitmap grab;
        EXPECT_TRUE(GrabWindow(window.Handle, grab));
        TPaintCanvas whole(window.ClientWidth(), window.ClientHeight());
        SetUpdateRegion(*Doc, {0, 0, whole.Width, whole.Height});
        PaintDocument(*Doc, whole.DC, whole.Width, whole.Height);
        int32_t count = 0;
        HDC dc = grab.Canvas().Handle();
        TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int32_t y = 0; y < whole.Height; ++y)
            for (int32_t x = 0; x < whole.Width; ++x)
                if ((GetPixel(dc, x, y) & 0xFFFFFF) != whole.At(x, y)) {
                    ++count;
                    box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                           std::max(box.Bottom, y + 1)};
                }
        if (count)
            ADD_FAILURE() << "differing within " << box.Left << "," << box.Top << " - " << box.Right << ","
                          << box.Bottom;
        return count;
    };
    // The caret is hidden so that it does not count.
    auto settle = [&] {
        RunPending();
        ::HideCaret(window.Handle);
        RunPending();
    };

    const int32_t end = Doc->Paragraphs(2).GetCharCount() - 1;
    Doc->SetSelection(2, end, 2, end);
    RunPending();
    const int32_t lines = Doc->Paragraphs(2).GetLineCount();
    window.Painted.clear();
    TMemory buffer;
    const std::string words = " qui devient long, bien plus long qu'une ligne de la page";
    buffer.Append(words.data(), static_cast<int32_t>(words.size()));
    uint8_t flags = 0;
    Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    settle();
    ASSERT_GT(Doc->Paragraphs(2).GetLineCount(), lines);
    EXPECT_EQ(differing(), 0);

    // Deleting the words again: the lines below move back up.
    window.Painted.clear();
    TTextPosition from;
    TTextPosition to;
    MakeTextPos(2, end, from);
    MakeTextPos(2, end + static_cast<int32_t>(words.size()), to);
    flags = 0;
    Doc->ExecuteOperation(docDeleteRange, {&from, &to, &flags});
    ASSERT_TRUE(RunUntil([&] { return !window.Painted.empty(); }));
    settle();
    ASSERT_EQ(Doc->Paragraphs(2).GetLineCount(), lines);
    EXPECT_EQ(differing(), 0);
}
