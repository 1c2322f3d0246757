// The page miniature of the page-setup dialogs: where the paper, the text
// area, the stripes and the page number land for a few page set-ups, that no
// rectangle is too small for it, and a picture of each for people to look at.
#include "document/editing/SamplePage.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A4 portrait with 2.5 cm margins.
TPageParams A4(int32_t left = 1418, int32_t right = 1418)
{
    TPageParams page;
    page[ppPaperWidth] = 11906;
    page[ppPaperHeight] = 16838;
    page[ppLeftMargin] = left;
    page[ppRightMargin] = right;
    page[ppTopMargin] = 1418;
    page[ppBottomMargin] = 1418;
    return page;
}

TSectionSettings Columns(int32_t count, int32_t spacing)
{
    TSectionSettings section;
    section[ssColumnCount] = count;
    section[ssEqualColumns] = 1;
    section[ssColumnSpacing] = spacing;
    return section;
}

// The x values of a row where the colour is `color`, as runs "from-to".
std::string Runs(TBitmap& bitmap, int32_t y, TColor color)
{
    std::string out;
    int32_t start = -1;
    for (int32_t x = 0; x <= bitmap.Width(); ++x) {
        const bool in = x < bitmap.Width() && bitmap.Canvas().Pixels(x, y) == color;
        if (in && start < 0)
            start = x;
        if (!in && start >= 0) {
            out += (out.empty() ? "" : " ") + std::to_string(start) + "-" + std::to_string(x - 1);
            start = -1;
        }
    }
    return out;
}

struct TSampleCase {
    const char* Name;
    TPageParams Page;
    TSectionSettings Section;
    bool Number;
    uint8_t Alignment;
};

TEST(SamplePageTest, PaperMarginsColumnsAndStripesLandWhereTheScaleSays)
{
    TPageParams mirrored = A4(1000, 2500);
    mirrored[ppReserved8] = 1;
    TPageParams landscape = A4();
    std::swap(landscape[ppPaperWidth], landscape[ppPaperHeight]);
    const std::vector<TSampleCase> cases = {
        {"a4", A4(), Columns(1, 0), false, 0},
        {"a4-two-columns", A4(), Columns(2, 720), true, 1},
        {"landscape-three-columns", landscape, Columns(3, 360), true, 2},
        {"facing-pages", mirrored, Columns(1, 0), true, 3},
    };
    for (const TSampleCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap target;
        target.SetSize(160, 120);
        TSamplePageNumber number;
        number.Alignment = c.Alignment;
        DrawSamplePage(nullptr, target.Canvas(), {0, 0, 160, 120}, c.Page, c.Section, c.Number ? &number : nullptr,
                       false);
        EXPECT_TRUE(WriteBitmapPng(target, TestOutputDir() + "/sample-page-" + c.Name + ".png"));
        const bool two = c.Page[ppReserved8] != 0;
        const int32_t width = c.Page[ppPaperWidth] * (two ? 2 : 1);
        const int32_t scale = std::max(c.Page[ppPaperHeight] / (120 - 25), width / (160 - 25 - (two ? 10 : 0)));
        const int32_t pageWidth = c.Page[ppPaperWidth] / scale;
        const int32_t x = (160 - (width / scale + (two ? 15 : 0))) / 2;
        const int32_t y = (120 - c.Page[ppPaperHeight] / scale) / 2;
        // The background outside, the paper inside its black edge.
        EXPECT_NE(target.Canvas().Pixels(0, 0), clWhite);
        EXPECT_EQ(target.Canvas().Pixels(x, y), clBlack);
        EXPECT_EQ(target.Canvas().Pixels(x + 2, y + 2), clWhite);
        // The first stripe row: one run per column, from the left margin on.
        // The first page drawn of a pair has its margins exchanged.
        const int32_t left = two ? c.Page[ppRightMargin] : c.Page[ppLeftMargin];
        const int32_t row = y + c.Page[ppTopMargin] / scale;
        const std::string runs = Runs(target, row, clGray);
        ASSERT_FALSE(runs.empty());
        EXPECT_EQ(runs.substr(0, runs.find('-')), std::to_string(x + left / scale));
        const int32_t count = std::max(c.Section[ssColumnCount], 1) * (two ? 2 : 1);
        EXPECT_EQ(static_cast<int32_t>(std::count(runs.begin(), runs.end(), '-')), count) << runs;
        // The next row holds no stripe; the paragraph-end row is shorter.
        EXPECT_EQ(Runs(target, row + 1, clGray), "");
        const std::string full = Runs(target, row + 2, clGray);
        const std::string shorter = Runs(target, row + 4, clGray);
        EXPECT_EQ(full.substr(0, full.find(' ')).size(), full.substr(0, full.find(' ')).size());
        EXPECT_NE(shorter, full);
        // The page number's mark in the bottom margin (black), or none.
        const int32_t markRow = std::min((y + (c.Page[ppPaperHeight] - c.Page[ppBottomMargin]) / scale +
                                           y + c.Page[ppPaperHeight] / scale) / 2,
                                          y + c.Page[ppPaperHeight] / scale - 3);
        const std::string marks = Runs(target, markRow, clBlack);
        // The paper's two edges are black too.
        const int32_t edges = two ? 4 : 2;
        EXPECT_EQ(static_cast<int32_t>(std::count(marks.begin(), marks.end(), '-')),
                  edges + (c.Number ? (two ? 2 : 1) : 0))
            << marks;
        if (two) {
            // Outside: right on the first page drawn, left on the second.
            const int32_t secondX = x + pageWidth + 10;
            EXPECT_EQ(target.Canvas().Pixels(x + (c.Page[ppPaperWidth] - c.Page[ppLeftMargin]) / scale - 1, markRow),
                      clBlack);
            EXPECT_EQ(target.Canvas().Pixels(secondX + 1000 / scale + 1, markRow), clBlack);
        }
    }
}

TEST(SamplePageTest, TinyAndEmptyRectanglesAndPagesDrawWithoutFault)
{
    TBitmap target;
    target.SetSize(40, 40);
    TPageParams zero;
    TPageParams wide = A4(20000, 20000);
    wide[ppTopMargin] = 20000;
    for (const TRect& rect : std::vector<TRect>{{0, 0, 1, 1}, {0, 0, 25, 25}, {0, 0, 10, 40}, {5, 5, 5, 5}}) {
        for (const TPageParams& page : {A4(), zero, wide}) {
            DrawSamplePage(nullptr, target.Canvas(), rect, page, Columns(64, 50000), nullptr, false);
            DrawSamplePage(nullptr, target.Canvas(), rect, page, Columns(0, 0), nullptr, true);
        }
    }
    SUCCEED();
}

}  // namespace
