#include "document/DocumentFixtures.h"

#include "document/fields/Field.h"
#include "document/model/Page.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

TPageParams DefaultParams()
{
    TPageParams params;
    SetDefaultPageParams(params);
    return params;
}

TSectionSettings Columns(int32_t count, int32_t spacing)
{
    TSectionSettings settings = DefaultSectionSettings();
    settings[ssColumnCount] = count;
    settings[ssColumnSpacing] = spacing;
    return settings;
}

void SetColumn(TSectionSettings& settings, int32_t column, int32_t width, int32_t spacing)
{
    settings[TSectionSettings::ColumnValue(column, crWidth)] = width;
    settings[TSectionSettings::ColumnValue(column, crSpacing)] = spacing;
}

}  // namespace

TEST(PageParams, DefaultsAreAnA4Page)
{
    const TPageParams p = DefaultParams();
    EXPECT_EQ(p[ppPaperWidth], 11905);
    EXPECT_EQ(p[ppPaperHeight], 16838);
    for (int i : {ppLeftMargin, ppRightMargin, ppTopMargin, ppBottomMargin})
        EXPECT_EQ(p[i], 1417);
    EXPECT_EQ(p[ppTextWidth], 9071);
    EXPECT_EQ(p[ppHeaderDistance], 720);
    EXPECT_EQ(p[ppFooterDistance], 720);
}

TEST(PageParams, ValidationKeepsThePageWithinItsLimits)
{
    struct {
        int Index;
        int32_t Value;
        int Checked;
        int32_t Expected;
    } const cases[] = {
        {ppPaperWidth, 1000, ppPaperWidth, 1440},
        {ppPaperWidth, 40000, ppPaperWidth, 31680},
        {ppPaperHeight, -5, ppPaperHeight, 1440},
        {ppPaperHeight, std::numeric_limits<int32_t>::max(), ppPaperHeight, 31680},
        {ppLeftMargin, -1, ppLeftMargin, 0},
        {ppTopMargin, 9000, ppTopMargin, 6735},        // 40 % of 16838
        {ppRightMargin, 5000, ppRightMargin, 4762},    // 40 % of 11905
        {ppRightMargin, 5000, ppTextWidth, 11905 - 1417 - 4762},
        {ppHeaderDistance, 7000, ppHeaderDistance, 6735},
        {ppFooterDistance, -300, ppFooterDistance, -300},  // no lower bound
    };
    for (const auto& c : cases) {
        TPageParams p = DefaultParams();
        p[c.Index] = c.Value;
        ValidatePageParams(p);
        EXPECT_EQ(p[c.Checked], c.Expected) << c.Index << " = " << c.Value;
    }
    // A left margin of 700 on a page 1440 wide.
    TPageParams narrow = DefaultParams();
    narrow[ppPaperWidth] = 1440;
    narrow[ppLeftMargin] = 700;
    ValidatePageParams(narrow);
    EXPECT_EQ(narrow[ppLeftMargin], 576);
    EXPECT_EQ(narrow[ppRightMargin], 576);
    EXPECT_EQ(narrow[ppTextWidth], 288);
}

TEST(Columns, EqualColumnsShareTheTextWidth)
{
    const TPageParams p = DefaultParams();  // text width 9071
    struct {
        int32_t Count, Spacing, Column;
        TColumnGeometry Expected;
    } const cases[] = {
        {2, 720, 0, {0, 4175, 720, 0, 4535}},
        {2, 720, 1, {4895, 4175, 720, 4535, 9070}},
        {3, 720, 1, {3263, 2543, 720, 2903, 6166}},
        // One column is as wide as the text; no gap to divide.
        {1, 720, 0, {0, 9071, 0, 0, 9071}},
        // A count of 0 or below counts as one column.
        {0, 720, 0, {0, 9071, 0, 0, 9071}},
        {-4, 720, 3, {0, 9071, 0, 0, 9071}},
        // A spacing larger than the page leaves 30 % of the width to the columns.
        {2, 1000000, 1, {6349 + 1361, 1361, 6349, 6349 + 1361 - 3174, 9071}},
        // More columns than the block holds: 64, in range.
        {1000, 720, 63, {63 * 143, 43, 100, 63 * 143 - 50, 63 * 143 + 43}},
        // A column index outside the columns is brought within them.
        {2, 720, 7, {4895, 4175, 720, 4535, 9070}},
    };
    for (const auto& c : cases) {
        const TColumnGeometry g = GetColumnGeometry(Columns(c.Count, c.Spacing), p, c.Column);
        SCOPED_TRACE(testing::Message() << c.Count << " columns, spacing " << c.Spacing << ", column " << c.Column);
        EXPECT_EQ(g.Left, c.Expected.Left);
        EXPECT_EQ(g.Width, c.Expected.Width);
        EXPECT_EQ(g.Gap, c.Expected.Gap);
        EXPECT_EQ(g.LeftBoundary, c.Expected.LeftBoundary);
        EXPECT_EQ(g.RightBoundary, c.Expected.RightBoundary);
    }
    // No text width at all.
    TPageParams none = p;
    none[ppTextWidth] = 0;
    const TColumnGeometry g = GetColumnGeometry(Columns(3, 720), none, 2);
    EXPECT_EQ(g.Width, 0);
    EXPECT_EQ(g.Gap, 0);
}

TEST(Columns, UnequalColumnsAreFittedToTheTextWidth)
{
    const TPageParams p = DefaultParams();
    TSectionSettings s = Columns(3, 0);
    s[ssEqualColumns] = 0;
    SetColumn(s, 0, 2000, 400);
    SetColumn(s, 1, 3000, 600);
    SetColumn(s, 2, 1000, 999);  // the last gap is not counted
    const TColumnGeometry middle = GetColumnGeometry(s, p, 1);
    EXPECT_EQ(middle.Left, 2400);
    EXPECT_EQ(middle.Width, 3000);
    EXPECT_EQ(middle.LeftBoundary, 2200);
    EXPECT_EQ(middle.RightBoundary, 5700);
    EXPECT_EQ(GetColumnGeometry(s, p, 2).RightBoundary, 6000 + 1000);

    FitColumnWidths(s, p);
    // (9071 - 1000) spread in the proportion 2 : 3 : 1; gaps kept.
    EXPECT_EQ(s[TSectionSettings::ColumnValue(0, crWidth)], 2690);
    EXPECT_EQ(s[TSectionSettings::ColumnValue(1, crWidth)], 4036);
    EXPECT_EQ(s[TSectionSettings::ColumnValue(2, crWidth)], 1345);
    EXPECT_EQ(s[TSectionSettings::ColumnValue(0, crSpacing)], 400);

    // Widths that add up to nothing are shared out evenly.
    TSectionSettings zero = Columns(2, 0);
    zero[ssEqualColumns] = 0;
    SetColumn(zero, 0, 0, 71);
    FitColumnWidths(zero, p);
    EXPECT_EQ(zero[TSectionSettings::ColumnValue(0, crWidth)], 4500);
    EXPECT_EQ(zero[TSectionSettings::ColumnValue(1, crWidth)], 4500);
    // Equal columns and single columns are left alone.
    TSectionSettings equal = Columns(2, 720);
    SetColumn(equal, 0, 5, 5);
    FitColumnWidths(equal, p);
    EXPECT_EQ(equal[TSectionSettings::ColumnValue(0, crWidth)], 5);
}

// A body of five paragraphs in three sections:
//   0 "Un"        1 "Deux" + break of A      (section A, continuous break)
//   2 "Trois" + break of B                   (section B, new page)
//   3 "Quatre"    4 "Cinq"                   (the last section)
class SectionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        A = &Doc.InsertSection(0);
        B = &Doc.InsertSection(1);
        Last = &Doc.Sections(2);
        A->Settings[ssBreakKind] = sbContinuous;
        B->PageParams[ppPaperWidth] = 12240;
        B->PageParams[ppPaperHeight] = 15840;
        SetParagraphText(Doc.Paragraphs(0), "Un" + std::string(kMark));
        SetParagraphText(Doc.AppendParagraph(stBody), "Deux" + SectionBreak(*A));
        SetParagraphText(Doc.AppendParagraph(stBody), "Trois" + SectionBreak(*B) + Rec(icRangeEnd, 99));
        SetParagraphText(Doc.AppendParagraph(stBody), "Quatre" + std::string(kMark));
        SetParagraphText(Doc.AppendParagraph(stBody), "Cinq" + std::string(kMark));
        SetParagraphText(Doc.AppendParagraph(stHeadersFooters), "En-tête" + std::string(kMark));
        Doc.UpdateSectionDeviceSizes();
    }

    TDocument Doc{true};
    TSection* A = nullptr;
    TSection* B = nullptr;
    TSection* Last = nullptr;
};

TEST_F(SectionsTest, BreaksCloseTheSectionsTheyName)
{
    const TSection* expected[] = {A, A, B, Last, Last};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(&Doc.GetSectionOfParagraph(i), expected[i]) << i;
    EXPECT_EQ(A->FirstParagraph, 0);
    EXPECT_EQ(A->LastParagraph, 1);
    EXPECT_EQ(B->Number, 1);
    EXPECT_EQ(Last->FirstParagraph, 3);
    EXPECT_EQ(Last->LastParagraph, 4);
    EXPECT_EQ(Last->Number, 2);
    // A paragraph of the header story, or beyond, belongs to the last section.
    EXPECT_EQ(&Doc.GetSectionOfParagraph(5), Last);
    EXPECT_EQ(Doc.SectionsDirty, 0);

    // The section after a continuous break takes its page setup from before it.
    EXPECT_EQ(&Doc.GetPageSection(2), A);
    EXPECT_EQ(&Doc.GetPageSection(0), A);
    EXPECT_EQ(&Doc.GetPageSection(3), Last);
    EXPECT_EQ(B->GetColumnGeometry(0).Width, A->PageParams[ppTextWidth]);
    A->Settings[ssBreakKind] = sbNewPage;
    EXPECT_EQ(&Doc.GetPageSection(2), B);
    EXPECT_EQ(B->GetColumnGeometry(0).Width, 12240 - 2 * 1417);

    // Ranges are recomputed only when marked dirty.
    Doc.DeleteParagraph(0);
    EXPECT_EQ(Doc.SectionsDirty, 1);
    EXPECT_EQ(&Doc.GetSectionOfParagraph(0), A);
    EXPECT_EQ(&Doc.GetSectionOfParagraph(1), B);
}

TEST_F(SectionsTest, BreaksThatNameNoSectionCloseNothing)
{
    // A break naming a range object's handle, or no object, is no section's end.
    TField& field = Doc.AddRangeObject(rkBookmark);
    SetParagraphText(Doc.Paragraphs(1), "Deux" + Rec(icSectionBreak, field.Handle()));
    SetParagraphText(Doc.Paragraphs(3), "Quatre" + Rec(icSectionBreak, 123456));
    Doc.SectionsDirty = 1;
    EXPECT_EQ(&Doc.GetSectionOfParagraph(0), B);
    EXPECT_EQ(&Doc.GetSectionOfParagraph(2), B);
    EXPECT_EQ(&Doc.GetSectionOfParagraph(3), Last);
    EXPECT_GT(A->FirstParagraph, A->LastParagraph);  // covers nothing
}

TEST(Sections, OneSectionTakesTheWholeBodyWhateverBreaksItHolds)
{
    TDocument doc(true);
    TSection& only = doc.Sections(0);
    SetParagraphText(doc.Paragraphs(0), "Un" + SectionBreak(only));
    SetParagraphText(doc.AppendParagraph(stBody), "Deux" + std::string(kMark));
    doc.SectionsDirty = 1;
    EXPECT_EQ(&doc.GetSectionOfParagraph(0), &only);
    EXPECT_EQ(only.FirstParagraph, 0);
    EXPECT_EQ(only.LastParagraph, 1);
    EXPECT_TRUE(only.ReachesRangeEnd({{0, 0}, {1, 5}}));
    EXPECT_FALSE(only.ReachesRangeEnd({{0, 0}, {1, 4}}));
}

TEST_F(SectionsTest, SizesAndCommonSettings)
{
    EXPECT_TRUE(Doc.HasDifferentPageSizes());
    EXPECT_FALSE(Doc.HasMultiColumnSections());
    TLargestPage largest;
    Doc.GetMaxPageSizes(largest);
    EXPECT_EQ(largest.WidthTwips, 12240);
    EXPECT_EQ(largest.HeightTwips, 16838);
    EXPECT_EQ(largest.TextWidthTwips, 12240 - 2 * 1417);
    EXPECT_EQ(largest.WidthLayout, 816);
    EXPECT_EQ(B->PageParams[ppPaperWidthLayout], 816);

    TPageParams caret;
    Doc.SetSelection(3, 1, 3, 1);
    Doc.GetCaretPageParams(caret);
    EXPECT_EQ(caret[ppPaperWidth], 11905);

    // Sections that differ in their columns give unset column values.
    B->Settings[ssColumnCount] = 2;
    B->Settings[ssLastValue] = 9;
    EXPECT_TRUE(Doc.HasMultiColumnSections());
    TSectionSettings common;
    Doc.SetSelection(0, 1, 1, 2);
    Doc.GetSelectionSectionSettings(common);
    EXPECT_EQ(common[ssColumnCount], 1);  // within section A only
    Doc.SetSelection(0, 1, 3, 2);
    Doc.GetSelectionSectionSettings(common);
    EXPECT_EQ(common[ssColumnCount], NotSet);
    EXPECT_EQ(common[ssColumnSpacing], NotSet);
    EXPECT_EQ(common[TSectionSettings::ColumnValue(63, crWidth)], NotSet);
    EXPECT_EQ(common[ssEqualColumns], 1);
    EXPECT_EQ(common[ssLastValue], NotSet);
    EXPECT_EQ(common[ssBreakKind], sbContinuous);  // A's

    std::vector<TSection*> sections;
    Doc.GetSectionsOfRange({{4, 0}, {0, 0}}, sections);
    EXPECT_EQ(sections.size(), 3u);
}

TEST_F(SectionsTest, PagesASectionSpans)
{
    // Pages: 0 [0 1 2]  1 [2]  2 (blank)  3 [3]  4 [3 4]
    auto page = [this](std::vector<int32_t> paragraphs) {
        auto p = std::make_unique<TPage>(&Doc, static_cast<int32_t>(Doc.Pages().size()));
        for (int32_t i : paragraphs)
            p->AddParagraphRange(Doc.Paragraphs(i), 0, -1);
        Doc.Pages().push_back(std::move(p));
    };
    page({0, 1, 2});
    page({2});
    page({});
    page({3});
    page({3, 4});
    Doc.RebuildSectionRanges();
    EXPECT_EQ(A->GetPageCount(), 1);
    EXPECT_EQ(B->GetPageCount(), 3);  // its two pages and the blank one after
    EXPECT_EQ(Last->GetPageCount(), 2);  // found beyond the blank page
    EXPECT_EQ(Last->PageCount, 2);
    EXPECT_EQ(&Doc.GetPageSectionOfPage(2), A);  // from page 1, whose text is B's
    EXPECT_EQ(&Doc.GetPageSectionOfPage(4), Last);
    EXPECT_EQ(&Doc.GetPageSectionOfPage(99), Last);

    // A header edited on page 3 takes that page's section.
    TField& header = Doc.AddRangeObject(rkHeaderFooter);
    header.Range = {{5, 0}, {5, 8}};
    Doc.EditedHeaderFooter = &header;
    Doc.EditedHeaderFooterPage = 1;
    EXPECT_EQ(&Doc.GetSectionOfParagraph(5), A);

    // A section whose first paragraph is on no page spans one.
    Doc.Pages().clear();
    EXPECT_EQ(B->GetPageCount(), 1);
}
