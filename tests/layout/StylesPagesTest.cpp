// Operations on real pages: tables of contents built from headings of
// several levels and brought up to date after edits that move headings to
// other pages; headers and footers created, edited with a page-number field
// and kept valid while pages change; page reduction. Five lines to the page.
#include "PaginationFixtures.h"

#include "document/DocumentDump.h"
#include "document/operations/Operation.h"

#include "document/fields/FieldInstructions.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StylesPagesTest : public PaginationTest {
protected:
    StylesPagesTest()
    {
        CreateStyleManager();
        FState = std::make_unique<TFakeViewState>();
        TFakeView::State = FState.get();
        FPreviousViews = SetDocumentViewFactory(&TFakeView::Create);
        Doc = std::make_unique<TDocument>(false);
        FParagraphs = 0;
        SmallPage(Doc->Sections(0), 5);
        // "Normal" and "Titre 1" to "Titre 3".
        TStyleList& styles = Doc->Styles();
        for (int32_t number = 0; number <= 3; ++number) {
            auto style = std::make_unique<TStyle>(&styles);
            ClearCharFormat(style->CharFormat);
            ClearParFormat(style->ParFormat);
            style->Name = StandardStyleName(number);
            style->BasedOn = number == 0 ? -1 : 0;
            styles.Add(std::move(style));
        }
        IdentifyStandardStyles(styles);
    }
    ~StylesPagesTest() override
    {
        Doc.reset();
        SetDocumentViewFactory(FPreviousViews);
        TFakeView::State = nullptr;
        FreeStyleManager();
    }

    void Heading(const std::string& text, int32_t level) { Para(text + kMark).Format[pfStyle] = level; }
    TOperationManager& Undo() { return Doc->UndoManager(); }
    // The paragraph's characters without its mark, tabs as tabs.
    std::string Text(int32_t paragraph) const
    {
        const TMemory& plain = Doc->Paragraphs(paragraph).GetPlainChars();
        std::string text(reinterpret_cast<const char*>(plain.Data()), static_cast<size_t>(plain.Size()));
        if (!text.empty())
            text.pop_back();
        for (char& c : text)
            if (c == scTab)
                c = '\t';
        return text;
    }
    int32_t StandardOf(int32_t paragraph) const
    {
        return Doc->Styles()[Doc->Paragraphs(paragraph).Format[pfStyle]].StandardNumber;
    }
    // The first body paragraph with that text.
    int32_t Find(const std::string& text) const
    {
        for (int32_t i = 0; i <= Doc->StoryLast(stBody); ++i)
            if (Text(i) == text)
                return i;
        return -1;
    }
    // The page (1-based) that shows the paragraph.
    int32_t PageOf(int32_t paragraph) const { return Doc->PageOfPosition({paragraph, 0}) + 1; }
    int32_t Count(uint8_t kind, uint8_t type) const
    {
        int32_t count = 0;
        for (const auto& object : Doc->RangeObjects())
            count += object->Kind == kind && (kind != rkField || object->Type == type);
        return count;
    }
    void TypeAt(int32_t paragraph, int32_t offset, const std::string& text)
    {
        Doc->SetSelection(paragraph, offset, paragraph, offset);
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        uint8_t flags = 0;
        Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
    }

private:
    std::unique_ptr<TFakeViewState> FState;
    TDocumentViewFactory FPreviousViews = nullptr;
};

TEST_F(StylesPagesTest, ATableOfContentsOfTwoLevelsWithPageNumbers)
{
    Para("Texte avant" + kMark);
    Heading("Introduction", 1);
    OneLiners(4);
    Heading("Partie " + kTab + "A", 2);
    OneLiners(2);
    Heading("Détail", 3);
    OneLiners(3);
    Heading("Partie B", 2);
    Doc->SectionsDirty = 1;
    Doc->PaginateAll();
    const std::string before = DumpDocument(*Doc);

    // The caret on the first paragraph: the table goes before it.
    Doc->SetSelection(0, 0, 0, 0);
    TTOCOptions options;
    options.Levels = 2;
    options.ShowPageNumbers = 1;
    options.RightAlignPageNumbers = 1;
    options.TabLeader = 1;
    options.HasTitle = 1;
    options.Title = "Sommaire";
    Doc->ExecuteOperation(docBuildTableOfContents, {&options});
    ASSERT_EQ(Doc->TocEntryCount, 4);

    // Title, three entries (not "Détail"), then the empty paragraph.
    EXPECT_EQ(Text(0), "Sommaire");
    EXPECT_EQ(StandardOf(0), 91);
    EXPECT_EQ(Text(4), "");
    EXPECT_EQ(Text(5), "Texte avant");
    const int32_t intro = 6, partA = 11, partB = 18;
    ASSERT_EQ(Text(intro), "Introduction");
    ASSERT_EQ(Text(partB), "Partie B");
    // The entries read the pages the headings are on, after a tab; the
    // heading's tab became a blank.
    EXPECT_EQ(Text(1), "Introduction\t" + std::to_string(PageOf(intro)));
    EXPECT_EQ(Text(2), "Partie  A\t" + std::to_string(PageOf(partA)));
    EXPECT_EQ(Text(3), "Partie B\t" + std::to_string(PageOf(partB)));
    EXPECT_GT(PageOf(partB), 1);
    EXPECT_EQ(StandardOf(1), 19);
    EXPECT_EQ(StandardOf(2), 20);
    EXPECT_EQ(StandardOf(3), 20);
    // "TOC 2" is indented from "TOC 1"; each entry has one right stop at the
    // text width, with the leader asked for.
    TCharFormat c;
    TParFormat level1, level2;
    Doc->Styles()[Doc->Paragraphs(1).Format[pfStyle]].GetFullFormat(c, level1, 0);
    Doc->Styles()[Doc->Paragraphs(2).Format[pfStyle]].GetFullFormat(c, level2, 0);
    EXPECT_EQ(level2[pfLeftIndent], level1[pfLeftIndent] + 240);
    for (int32_t entry = 1; entry <= 3; ++entry) {
        const TTabTable* table = Doc->TabManager().Tables(Doc->Paragraphs(entry).Format[pfTabTable]);
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(table->Count(), 1);
        EXPECT_EQ(TabStopKind(table->Stops(0)), tkRight);
        EXPECT_EQ(TabStopPosition(table->Stops(0)), Doc->Sections(0).PageParams[ppTextWidth]);
        EXPECT_EQ(TabStopLeader(table->Stops(0)), 1);
    }
    // A hyperlink and a page reference per entry, a bookmark per heading
    // and one around the table, and the TOC field.
    EXPECT_EQ(Count(rkField, fkHyperlink), 3);
    EXPECT_EQ(Count(rkField, fkPageRef), 3);
    EXPECT_EQ(Count(rkField, fkTOC), 1);
    EXPECT_EQ(Count(rkBookmark, 0), 4);
    EXPECT_TRUE(Doc->BookmarkNameExists("_Table_des_matières"));
    TField* hyperlink = Doc->FindRangeAt({1, 0}, fkHyperlink, rkField);
    ASSERT_NE(hyperlink, nullptr);
    std::string target, tip;
    ParseHyperlinkField(hyperlink->Instruction, target, tip);
    ASSERT_GE(target.size(), 2u);
    TTextRange bookmark;
    Doc->GetBookmarkList();
    Doc->GoToBookmark(target.substr(1), true);
    EXPECT_EQ(Doc->Selection().Start.Paragraph, intro);
    ExpectDocumentConsistent(*Doc);

    // The table and its page numbers are one step of undo.
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(Text(3), "Partie B\t" + std::to_string(PageOf(partB)));

    // Lines inserted before "Partie A" move it and "Partie B" to later
    // pages; the page references follow when fields are updated.
    const int32_t oldA = PageOf(partA);
    TypeAt(partA - 1, 0, "\r\r\r\r\r");
    Doc->PaginateAll();
    ASSERT_EQ(Text(partA + 5), "Partie \tA");
    EXPECT_GT(PageOf(partA + 5), oldA);
    TTextRange body;
    Doc->GetBodyRange(body);
    Doc->UpdateAllFields(body);
    EXPECT_EQ(Text(2), "Partie  A\t" + std::to_string(PageOf(partA + 5)));
    EXPECT_EQ(Text(3), "Partie B\t" + std::to_string(PageOf(partB + 5)));

    // Rebuilt with the caret in the table: replaced in place, one TOC field
    // and the table's bookmark under its own name again.
    options.Levels = 3;
    Doc->SetSelection(2, 3, 2, 3);
    Doc->ExecuteOperation(docBuildTableOfContents, {&options});
    EXPECT_EQ(Doc->TocEntryCount, 5);
    EXPECT_EQ(Count(rkField, fkTOC), 1);
    EXPECT_TRUE(Doc->BookmarkNameExists("_Table_des_matières"));
    EXPECT_FALSE(Doc->BookmarkNameExists("_Table_des_matières_2"));
    EXPECT_EQ(Text(0), "Sommaire");
    EXPECT_EQ(Text(3), "Détail\t" + std::to_string(PageOf(Find("Détail"))));
    EXPECT_EQ(StandardOf(3), 21);
    EXPECT_EQ(Text(5), "");
    EXPECT_EQ(Text(6), "Texte avant");
    ExpectDocumentConsistent(*Doc);
}

TEST_F(StylesPagesTest, NoHeadingsMakeNoTable)
{
    OneLiners(3);
    Doc->SetSelection(0, 0, 0, 0);
    const std::string before = DumpDocument(*Doc);
    TTOCOptions options;
    TMessageAnswers answers;
    answers.Expect("Aucun paragraphe n'est associé à un style de type", mrOk);
    Doc->ExecuteOperation(docBuildTableOfContents, {&options});
    EXPECT_EQ(Doc->TocEntryCount, 0);
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_FALSE(Undo().CanUndo());
}

TEST_F(StylesPagesTest, HeadersAndFootersCreatedAndEditedOnTheirPage)
{
    OneLiners(12);
    Doc->SectionsDirty = 1;
    Doc->PaginateAll();
    ASSERT_EQ(Doc->PageCount(), 3);
    Doc->SetSelection(7, 2, 7, 2);
    const std::string before = DumpDocument(*Doc);

    // Entering on the second page creates the six headers and footers as one
    // step, with the "En-tête" and "Pied de page" styles.
    Doc->ToggleHeaderFooterEditing(true, 1, nullptr);
    ASSERT_TRUE(Undo().CanUndo());
    EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Kind, 54);
    TSection& section = Doc->Sections(0);
    for (int32_t slot = 0; slot < 6; ++slot)
        ASSERT_NE(section.HeadersFooters[slot], nullptr) << slot;
    EXPECT_EQ(Doc->StoryCount(stHeadersFooters), 6);
    const int32_t headerStyle = Doc->Styles().IndexOfStandardId(31);
    const int32_t footerStyle = Doc->Styles().IndexOfStandardId(32);
    ASSERT_GE(headerStyle, 0);
    ASSERT_GE(footerStyle, 0);
    Doc->RefreshRangeObjectPositions();
    for (int32_t slot = 0; slot < 6; ++slot)
        EXPECT_EQ(Doc->Paragraphs(section.HeadersFooters[slot]->Range.Start.Paragraph).Format[pfStyle],
                  slot == 2 || slot == 3 || slot == 5 ? footerStyle : headerStyle)
            << slot;
    EXPECT_EQ(Doc->Paragraphs(section.HeadersFooters[1]->Range.Start.Paragraph).Format[pfStyle], headerStyle);
    EXPECT_EQ(Doc->Paragraphs(section.HeadersFooters[3]->Range.Start.Paragraph).Format[pfStyle], footerStyle);
    const TTabTable* stops = Doc->TabManager().Tables(Doc->Styles()[headerStyle].ParFormat[pfTabTable]);
    ASSERT_NE(stops, nullptr);
    EXPECT_EQ(stops->Count(), 2);
    // The page's header is edited, the caret at its start.
    ASSERT_EQ(Doc->EditedHeaderFooter, Doc->Pages()[1]->Header);
    EXPECT_EQ(Doc->EditedHeaderFooterPage, 1);
    EXPECT_EQ(Doc->GetStoryOfParagraph(Doc->Caret.Paragraph), stHeadersFooters);

    // Text and a page-number field typed into it.
    TField* header = Doc->EditedHeaderFooter;
    const int32_t paragraph = header->Range.Start.Paragraph;
    TypeAt(paragraph, 0, "Page ");
    Doc->SetSelection(paragraph, 5, paragraph, 5);
    uint8_t type = fkPage;
    std::string none;
    Doc->ExecuteOperation(docInsertField, {&type, &none});
    EXPECT_EQ(Doc->EditedHeaderFooter, header);
    EXPECT_EQ(Doc->GetTextRun(paragraph, 0, 20), "Page 2");
    const TPage& page = *Doc->Pages()[1];
    EXPECT_TRUE(!page.Ranges.empty() && page.Ranges.back().HeaderFooter);

    // Editing it on the third page shows that page's number.
    Doc->EnterHeaderFooterEditing(header, 2);
    EXPECT_EQ(Doc->EditedHeaderFooterPage, 2);
    EXPECT_EQ(Doc->GetTextRun(paragraph, 0, 20), "Page 3");

    // Leaving: the caret goes back to the body where it was.
    Doc->ToggleHeaderFooterEditing(false, -1, nullptr);
    EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
    EXPECT_EQ(Doc->Caret.Paragraph, 7);
    EXPECT_EQ(Doc->Caret.Offset, 2);

    // Entering again creates nothing and records nothing.
    const int32_t count = Undo().Count();
    Doc->ToggleHeaderFooterEditing(true, 0, nullptr);
    EXPECT_EQ(Undo().Count(), count);
    EXPECT_EQ(Doc->EditedHeaderFooterPage, 0);
    Doc->ToggleHeaderFooterEditing(false, -1, nullptr);

    // Everything undone, back to the document as it was.
    while (Undo().CanUndo())
        Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(StylesPagesTest, FirstPageAndOddEvenHeadersWithTheirNumbers)
{
    OneLiners(12);
    TSection& section = Doc->Sections(0);
    section.PageParams[ppFlags] = 0x0101;
    Doc->SectionsDirty = 1;
    Doc->PaginateAll();
    Doc->ToggleHeaderFooterEditing(true, 0, nullptr);
    Doc->ToggleHeaderFooterEditing(false, -1, nullptr);
    // Each of the three headers the pages show: its own word and the page.
    for (int32_t slot : {4, 0, 1}) {
        TField* header = section.HeadersFooters[slot];
        const int32_t paragraph = header->Range.Start.Paragraph;
        TypeAt(paragraph, 0, "H" + std::to_string(slot) + " ");
        Doc->SetSelection(paragraph, 3, paragraph, 3);
        uint8_t type = fkPage;
        std::string none;
        Doc->ExecuteOperation(docInsertField, {&type, &none});
        Doc->ToggleHeaderFooterEditing(false, -1, nullptr);
    }
    Doc->ClearPageList();
    Doc->PaginationComplete = 0;
    Doc->PaginateAll();
    ASSERT_EQ(Doc->PageCount(), 3);
    std::vector<std::string> shown;
    for (const auto& page : Doc->Pages()) {
        ASSERT_NE(page->Header, nullptr);
        page->LayoutHeaderFooter(page->Header);
        const int32_t paragraph = page->Header->Range.Start.Paragraph;
        shown.push_back(Doc->GetTextRun(paragraph, 0, 20));
    }
    // The first page has its own header; the others alternate.
    EXPECT_EQ(shown[0], "H4 1");
    EXPECT_NE(shown[1].substr(0, 2), shown[2].substr(0, 2));
    EXPECT_EQ(shown[1].substr(3), "2");
    EXPECT_EQ(shown[2].substr(3), "3");
}

TEST_F(StylesPagesTest, EditingEndsWhenItsPageGoes)
{
    OneLiners(12);
    Doc->SectionsDirty = 1;
    Doc->PaginateAll();
    Doc->ToggleHeaderFooterEditing(true, 2, nullptr);
    ASSERT_NE(Doc->EditedHeaderFooter, nullptr);
    ASSERT_EQ(Doc->EditedHeaderFooterPage, 2);
    // The body shrinks to one page behind the editor's back.
    for (int32_t i = 0; i < 8; ++i) {
        TTextPosition start{2, 0};
        TTextPosition end{3, 0};
        uint8_t flags = 0;
        Doc->ExecuteOperation(docDeleteRange, {&start, &end, &flags});
    }
    Doc->ClearPageList();
    Doc->PaginationComplete = 0;
    Doc->PaginateAll();
    ASSERT_LT(Doc->PageCount(), 3);
    Doc->RefreshHeaderFooterEditing();
    EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
}

TEST_F(StylesPagesTest, ReducingThePageCount)
{
    TMessageAnswers answers;
    // One page: refused.
    OneLiners(3);
    Doc->SectionsDirty = 1;
    answers.Expect("Ce document n'a qu'une page.", mrOk);
    Doc->ExecuteOperation(docReducePageCount, {});
    EXPECT_FALSE(Undo().CanUndo());

    // Six lines of 12 points on pages of five: smaller sizes until one page.
    OneLiners(3);
    Doc->SectionsDirty = 1;
    Doc->ClearPageList();
    Doc->PaginationComplete = 0;
    Doc->PaginateAll();
    ASSERT_EQ(Doc->PageCount(), 2);
    const std::string before = DumpDocument(*Doc);
    Doc->ExecuteOperation(docReducePageCount, {});
    ASSERT_TRUE(Undo().CanUndo());
    Doc->PaginationComplete = 0;
    Doc->PaginateAll();
    EXPECT_EQ(Doc->PageCount(), 1);
    // Every character took the same size, the first one that fits.
    TCharFormat common;
    TTextRange body;
    Doc->GetBodyRange(body);
    Doc->GetCommonCharFormat(body, common, false);
    EXPECT_LT(common[cfSize], 24);
    EXPECT_GT(common[cfSize], 12);
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);

    // Two pages that no size can join (a page break before the second
    // paragraph): every change taken back, and the message.
    Doc->Paragraphs(3).Format[pfPageBreakBefore] = 1;
    Doc->ClearPageList();
    Doc->PaginationComplete = 0;
    Doc->PaginateAll();
    ASSERT_EQ(Doc->PageCount(), 2);
    const std::string unbreakable = DumpDocument(*Doc);
    const int32_t count = Undo().Count();
    answers.Expect("Impossible de réduire le nombre de pages.", mrOk);
    Doc->ExecuteOperation(docReducePageCount, {});
    EXPECT_EQ(Undo().Count(), count);
    EXPECT_EQ(DumpDocument(*Doc), unbreakable);
}

}  // namespace
