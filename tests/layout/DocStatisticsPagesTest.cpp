// Statistics and page fields of a document paginated by the real line layout
// and pagination: five lines to the page.
#include "PaginationFixtures.h"

#include "document/text/DocStatistics.h"
#include "document/fields/FieldInstructions.h"
#include "document/operations/SubOperation.h"

#include <gtest/gtest.h>

namespace {

class DocStatisticsPagesTest : public PaginationTest {};

}  // namespace

TEST_F(DocStatisticsPagesTest, PagesLinesAndWordsCountedByHand)
{
    // Twelve one-line paragraphs "Ligne 0": three pages of five lines; 24
    // words; 7 characters each, 6 without the blank.
    OneLiners(12);
    TDocStatistics statistics;
    Doc->ComputeStatistics(statistics);
    EXPECT_EQ(statistics.Pages, 3);
    EXPECT_EQ(statistics.Lines, 12);
    EXPECT_EQ(statistics.Paragraphs, 12);
    EXPECT_EQ(statistics.Words, 24);
    EXPECT_EQ(statistics.CharsWithSpaces, 12 * 7);
    EXPECT_EQ(statistics.CharsWithoutSpaces, 12 * 6);
    EXPECT_EQ(statistics.Sentences, 12);

    // A selection from the fourth line to the eighth spans two pages.
    Doc->SetSelection(3, 2, 7, 3);
    Doc->ComputeStatistics(statistics);
    EXPECT_EQ(statistics.Pages, 2);
    EXPECT_EQ(statistics.Lines, 5);
}

TEST_F(DocStatisticsPagesTest, PageFieldsOnTheirPages)
{
    TField& page = Doc->AddRangeObject(rkField);
    page.Type = fkPage;
    page.Instruction = "PAGE";
    TField& count = Doc->AddRangeObject(rkField);
    count.Type = fkNumPages;
    count.Instruction = "NUMPAGES";
    OneLiners(11);
    Para("Page " + Rec(icRangeStart, page.Handle()) + "?" + Rec(icRangeEnd, page.Handle()) + " sur " +
         Rec(icRangeStart, count.Handle()) + "?" + Rec(icRangeEnd, count.Handle()) + kMark);
    Doc->RefreshRangeObjectPositions();
    TTextRange range;
    Doc->GetBodyRange(range);
    TFieldTypeSet types;
    types.set(fkPage);
    types.set(fkNumPages);
    TUpdateRange update;
    Doc->UpdateFields(range, types, update, nullptr);
    EXPECT_EQ(Doc->GetRangeText(page.Range), "3");
    EXPECT_EQ(Doc->GetRangeText(count.Range), "3");
}
