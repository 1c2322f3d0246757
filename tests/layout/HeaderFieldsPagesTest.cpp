// Fields of headers and footers stamped for each page by pagination and by
// the page's own header layout, the counts they show refreshed after
// re-layout, and fields updated around pagination. Five lines to the page.
#include "PaginationFixtures.h"

#include "document/fields/FieldInstructions.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"
#include "document/operations/OperationDispatcher.h"
#include "layout/PageGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class HeaderFieldsTest : public PaginationTest {
protected:
    TField& Field(uint8_t type, const std::string& instruction)
    {
        TField& field = Doc->AddRangeObject(rkField);
        field.Type = type;
        field.Instruction = instruction;
        return field;
    }
    static std::string Wrap(const TField& field, const std::string& result)
    {
        return Rec(icRangeStart, field.Handle()) + result + Rec(icRangeEnd, field.Handle());
    }
    // A header or footer of one paragraph between its anchors in a section's
    // slot.
    TField& HeaderText(TSection& section, int32_t slot, const std::string& notation)
    {
        TField& range = Doc->AddRangeObject(rkHeaderFooter);
        TParagraph& paragraph = Doc->AppendParagraph(stHeadersFooters);
        const std::string encoded =
            EncodeText(Rec(icRangeStart, range.Handle()) + notation + kMark + Rec(icRangeEnd, range.Handle()));
        paragraph.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
        section.HeadersFooters[slot] = &range;
        return range;
    }
    // The text a header or footer shows now (its first paragraph).
    std::string Shown(const TField& range) const
    {
        const TParagraph& paragraph = Doc->Paragraphs(range.Range.Start.Paragraph);
        return Doc->GetTextRun(paragraph.Index, 0, paragraph.GetCharCount());
    }
    // What each page shows of its header (or footer) once laid out on it.
    std::vector<std::string> PerPage(bool footer)
    {
        std::vector<std::string> shown;
        for (const auto& page : Doc->Pages()) {
            TField* range = footer ? page->Footer : page->Header;
            if (!range) {
                shown.push_back("(aucun)");
                continue;
            }
            page->LayoutHeaderFooter(range);
            EXPECT_TRUE(!page->Ranges.empty() && page->Ranges.back().HeaderFooter);
            shown.push_back(Shown(*range));
        }
        return shown;
    }
    // A document with a window, whose edits are recorded.
    void WithView()
    {
        FState = std::make_unique<TFakeViewState>();
        TFakeView::State = FState.get();
        FPreviousViews = SetDocumentViewFactory(&TFakeView::Create);
        FHasView = true;
        Doc = std::make_unique<TDocument>(false);
        FParagraphs = 0;
        SmallPage(Doc->Sections(0), 5);
    }
    ~HeaderFieldsTest() override
    {
        if (FHasView) {
            Doc.reset();
            SetDocumentViewFactory(FPreviousViews);
            TFakeView::State = nullptr;
        }
    }

private:
    std::unique_ptr<TFakeViewState> FState;
    TDocumentViewFactory FPreviousViews = nullptr;
    bool FHasView = false;
};

}  // namespace

TEST_F(HeaderFieldsTest, EachPageShowsItsNumberAndTheCounts)
{
    const TField& page = Field(fkPage, "PAGE");
    const TField& pages = Field(fkNumPages, "NUMPAGES");
    const TField& words = Field(fkNumWords, "NUMWORDS");
    TField& header = HeaderText(Doc->Sections(0), 1,
                                "Page " + Wrap(page, "?") + " sur " + Wrap(pages, "?") + ", " + Wrap(words, "?") +
                                    " mots");
    OneLiners(12);
    Doc->RefreshRangeObjectPositions();
    Doc->SetSelection(1, 2, 3, 4);

    // Pagination stamps every page as it makes it; the counts are the
    // stored ones until they are refreshed.
    Doc->PaginateAll();
    CheckPages();
    EXPECT_EQ(Doc->PageCount(), 3);
    EXPECT_EQ(Shown(header), "Page 3 sur 1, 1 mots");
    EXPECT_TRUE(Doc->LinesRebuilt);

    Doc->UpdateInfoFields();
    EXPECT_EQ(Doc->FieldStatistics[0], 3);
    EXPECT_EQ(Doc->FieldStatistics[1], 24);
    EXPECT_EQ(Shown(header), "Page 3 sur 3, 24 mots");
    EXPECT_FALSE(Doc->LinesRebuilt);
    EXPECT_TRUE(Doc->PaginationComplete);
    CheckPages();
    EXPECT_EQ(PerPage(false),
              (std::vector<std::string>{"Page 1 sur 3, 24 mots", "Page 2 sur 3, 24 mots", "Page 3 sur 3, 24 mots"}));
    // The fields still stand between their anchors.
    EXPECT_EQ(Doc->GetRangeText(page.Range), "3");
    EXPECT_EQ(Doc->GetRangeText(words.Range), "24");

    // Showing pages is no edit: nothing to undo, nothing modified, nothing
    // queued, the selection where it was.
    EXPECT_FALSE(Doc->UndoManager().CanUndo());
    EXPECT_FALSE(Doc->IsModified());
    EXPECT_FALSE(Doc->ReformatingManager().HasPending());
    EXPECT_EQ(Doc->Selection().Start.Paragraph, 1);
    EXPECT_EQ(Doc->Selection().Start.Offset, 2);
    EXPECT_EQ(Doc->Selection().End.Paragraph, 3);
    EXPECT_EQ(Doc->Selection().End.Offset, 4);

    // Nothing is refreshed until lines are rebuilt again.
    Doc->FieldStatistics[0] = 7;
    Doc->UpdateInfoFields();
    EXPECT_EQ(Doc->FieldStatistics[0], 7);
}

TEST_F(HeaderFieldsTest, SectionFieldsOnThePagesOfTheirSection)
{
    // Two pages of a first section, three of the second, which shows the
    // first section's footer.
    TSection& first = NewSection(5, sbNewPage);
    const TField& section = Field(fkSection, "SECTION");
    const TField& sectionPages = Field(fkSectionPages, "SECTIONPAGES \\* roman");
    const TField& page = Field(fkPage, "PAGE");
    HeaderText(first, 3, Wrap(section, "?") + "/" + Wrap(sectionPages, "?") + " p. " + Wrap(page, "?"));
    OneLiners(6);
    Para("Fin" + SectionBreak(first));
    OneLiners(12);
    Doc->RefreshRangeObjectPositions();
    Doc->PaginateAll();
    Doc->UpdateInfoFields();
    CheckPages();
    EXPECT_EQ(PerPage(true), (std::vector<std::string>{"1/ii p. 1", "1/ii p. 2", "2/iii p. 3", "2/iii p. 4",
                                                       "2/iii p. 5"}));
    EXPECT_EQ(first.PageCount, 2);
    EXPECT_EQ(Doc->Sections(1).PageCount, 3);
}

TEST_F(HeaderFieldsTest, TheHeaderBeingEditedKeepsItsText)
{
    const TField& page = Field(fkPage, "PAGE");
    const TField& after = Field(fkPage, "PAGE");
    TField& header = HeaderText(Doc->Sections(0), 1, "Page " + Wrap(page, "??") + " et " + Wrap(after, "?"));
    OneLiners(12);
    Doc->RefreshRangeObjectPositions();
    TParagraph& paragraph = Doc->Paragraphs(header.Range.Start.Paragraph);
    paragraph.Invalidate(true, kSmallPageWidth - 2 * kPageMargin);
    // A mark on its first line (a column no line has) tells the lines kept
    // from lines made again, wherever those would be allocated.
    constexpr int32_t kMark = 0x4C4D;
    paragraph.GetLine(0).Column = kMark;
    Doc->EditedHeaderFooter = &header;
    Doc->EditedHeaderFooterPage = 0;

    Doc->PaginateAll();
    CheckPages();
    EXPECT_EQ(Doc->PageCount(), 3);
    // What the user edits, with its own lines; the fields where the text
    // has them.
    EXPECT_EQ(Shown(header), "Page ?? et ?");
    EXPECT_EQ(paragraph.GetLine(0).Column, kMark);
    paragraph.GetLine(0).Column = -1;
    EXPECT_EQ(Doc->GetRangeText(page.Range), "??");
    EXPECT_EQ(Doc->GetRangeText(after.Range), "?");
    EXPECT_EQ(after.Range.Start.Offset, 11);
    // Laid out on its own page it stays as it is; on another it is stamped.
    Doc->Pages()[0]->LayoutHeaderFooter(&header);
    EXPECT_EQ(Shown(header), "Page ?? et ?");
    Doc->EditedHeaderFooter = nullptr;
    Doc->Pages()[1]->LayoutHeaderFooter(&header);
    EXPECT_EQ(Shown(header), "Page 2 et 2");
    EXPECT_FALSE(Doc->ReformatingManager().HasPending());
}

// A caret that leaves the header being edited ends its editing: the header
// leaves its page and the selection in it goes.
TEST_F(HeaderFieldsTest, LeavingTheEditedHeaderTakesItOffItsPage)
{
    TField& header = HeaderText(Doc->Sections(0), 1, "Un en-t\xEAte");
    OneLiners(4);
    Doc->RefreshRangeObjectPositions();
    Doc->PaginateAll();
    Doc->EditedHeaderFooter = &header;
    Doc->EditedHeaderFooterPage = 0;
    TPage& page = *Doc->Pages()[0];
    page.LayoutHeaderFooter(&header);
    auto headerRanges = [&] {
        int count = 0;
        for (const auto& range : page.Ranges)
            count += range.HeaderFooter ? 1 : 0;
        return count;
    };
    ASSERT_EQ(headerRanges(), 1);
    const int32_t inHeader = header.Range.Start.Paragraph;
    Doc->SetSelection(inHeader, 0, inHeader, 3);

    TUpdateRange update;
    update.SetCaret(0, 1, NotSet);
    Doc->UndoManager().UpdateViews(update);
    EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
    EXPECT_EQ(headerRanges(), 0);
    EXPECT_FALSE(Doc->HasSelection());
    EXPECT_EQ(Doc->Caret.Paragraph, 0);
    EXPECT_EQ(Doc->Caret.Offset, 1);
}

// Undo gives back a selection made backwards with the caret at its start
// while the window shows both its ends; a selection out of view is shown
// from its end.
TEST_F(HeaderFieldsTest, UndoKeepsTheCaretOfAVisibleSelection)
{
    WithView();
    OneLiners(30);
    Doc->PaginateAll();
    UpdatePageLayout(*Doc);
    struct TCase {
        const char* Name;
        int32_t Paragraph;
        int32_t ViewTop;
        int32_t CaretOffset;
    } const cases[] = {
        {"both ends in view", 1, 0, 0},
        {"out of view", 1, 3000, 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc->ViewOrigin = {0, 0};
        Doc->SetSelection(c.Paragraph, 0, c.Paragraph, 4);
        Doc->Caret.Paragraph = c.Paragraph;
        Doc->Caret.Offset = 0;
        TTextRange range;
        MakeTextPos(c.Paragraph, 0, range.Start);
        MakeTextPos(c.Paragraph, 4, range.End);
        TCharFormat bold;
        ClearCharFormat(bold);
        bold[cfBold] = 1;
        uint8_t flags = 0;
        Doc->ExecuteOperation(docFormatText, {&range, &bold, &flags});
        Doc->ViewOrigin = {0, c.ViewTop};
        Doc->UndoManager().Undo();
        EXPECT_EQ(Doc->Selection().Start.Offset, 0);
        EXPECT_EQ(Doc->Selection().End.Offset, 4);
        EXPECT_EQ(Doc->Caret.Paragraph, c.Paragraph);
        EXPECT_EQ(Doc->Caret.Offset, c.CaretOffset);
    }
}

TEST_F(HeaderFieldsTest, UpdateAllFieldsWithCurrentPages)
{
    WithView();
    const TField& first = Field(fkPage, "PAGE");
    const TField& last = Field(fkPage, "PAGE \\* ROMAN");
    const TField& count = Field(fkNumPages, "NUMPAGES");
    const TField& link = Field(fkHyperlink, "HYPERLINK \"http://www.example.fr\"");
    Para("Page " + Wrap(first, "?") + " de " + Wrap(count, "?") + kMark);
    Para("Voir " + Wrap(link, "le site") + kMark);
    OneLiners(10);
    Para("Page " + Wrap(last, "?") + kMark);
    Doc->RefreshRangeObjectPositions();
    const std::string before = Doc->GetTextRun(0, 0, 100);

    TTextRange body;
    Doc->GetBodyRange(body);
    Doc->UpdateAllFields(body);
    EXPECT_TRUE(Doc->PaginationComplete);
    CheckPages();
    EXPECT_EQ(Doc->GetRangeText(first.Range), "1");
    EXPECT_EQ(Doc->GetRangeText(count.Range), "3");
    EXPECT_EQ(Doc->GetRangeText(last.Range), "III");
    // A field of a type that field update does not compute keeps its text.
    EXPECT_EQ(Doc->GetRangeText(link.Range), "le site");

    // One operation, undone at once.
    Doc->UndoManager().Undo();
    EXPECT_EQ(Doc->GetTextRun(0, 0, 100), before);
    EXPECT_EQ(Doc->GetRangeText(last.Range), "?");
    EXPECT_FALSE(Doc->UndoManager().CanUndo());
}
