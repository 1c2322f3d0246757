// The re-layout queue: paragraphs laid out again after an edit, their lines
// kept on their pages when nothing that matters to pagination changed, and
// re-pagination from the first changed page otherwise. A counting line
// layout tells which paragraphs were laid out.
#include "PaginationFixtures.h"

#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"

class ReformatTest : public PaginationTest {
protected:
    ReformatTest() : FPrevious(SetParagraphLayout(&Counting)) {}
    ~ReformatTest() override
    {
        Doc.reset();
        SetParagraphLayout(FPrevious);
    }

    // A new empty document, hidden or with a window, five lines to a page.
    void NewDocument(bool hidden)
    {
        Doc = std::make_unique<TDocument>(hidden);
        FParagraphs = 0;
        SmallPage(Doc->Sections(0), 5);
    }
    // A paginated document of one-line paragraphs, five to a page; the
    // layout counts start afresh.
    void Paginated(int32_t paragraphs)
    {
        OneLiners(paragraphs);
        Doc->PaginateAll();
        ASSERT_TRUE(Doc->PaginationComplete);
        Counting.Layouts.clear();
    }
    // Replaces the paragraph's text (an edit made on the paragraph as the
    // editing code makes it) and queues it.
    void Edit(int32_t index, const std::string& notation)
    {
        TParagraph& paragraph = Doc->Paragraphs(index);
        const std::string text = EncodeText(notation);
        paragraph.DeleteText(0, paragraph.GetText().Size());
        paragraph.InsertText(0, text.data(), static_cast<int32_t>(text.size()));
        Doc->ReformatingManager().AddParagraph(index);
    }
    std::vector<const TPage*> PagePointers() const
    {
        std::vector<const TPage*> pages;
        for (const auto& page : Doc->Pages())
            pages.push_back(page.get());
        return pages;
    }
    // The summary of a fresh pagination of the same text.
    std::string Fresh()
    {
        Doc->FreePages();
        Doc->PaginateAll();
        return Summary();
    }

    TCountingLayout Counting;

private:
    TParagraphLayout* FPrevious;
};

// A typed character that leaves the line as high as it was: only that
// paragraph is laid out again, its new lines take the old ones' places and
// only they are repainted; nothing is paginated again. Queuing it twice lays
// it out once.
TEST_F(ReformatTest, LinesKeepTheirPlaces)
{
    Paginated(20);
    const std::vector<const TPage*> pages = PagePointers();
    const std::string before = Summary();
    Edit(12, "Lignes 0" + kMark);
    Doc->ReformatingManager().AddParagraph(12);
    EXPECT_EQ(Doc->ReformatingManager().Queue().size(), 1u);

    TUpdateRange update;
    Doc->ReformatingManager().ReformatParagraph(12, 0, update);
    EXPECT_EQ(update.FirstParagraph, NotSet);
    EXPECT_EQ(Doc->UndoManager().ChangedLineCount(), 1);
    const TParLine& line = Doc->Paragraphs(12).GetLine(0);
    EXPECT_EQ(Doc->Pages()[2]->Lines[2], &line);
    EXPECT_EQ(line.Page, Doc->Pages()[2].get());
    EXPECT_EQ(line.Top, Doc->TwipsToLayout(kPageMargin) + 2 * kLineHeight);

    Edit(12, "Lignes 00" + kMark);
    Doc->ReformatingManager().AddParagraph(12);
    Counting.Layouts.clear();
    EXPECT_TRUE(Doc->ReformatingManager().ReformatPending());
    EXPECT_FALSE(Doc->ReformatingManager().HasPending());
    EXPECT_EQ(Counting.Total(), 1);
    EXPECT_EQ(Counting.Layouts[&Doc->Paragraphs(12)], 1);
    EXPECT_EQ(PagePointers(), pages);
    EXPECT_EQ(Summary(), before);
    EXPECT_TRUE(Doc->PaginationComplete);
    CheckPages();
    EXPECT_FALSE(Doc->ReformatingManager().ReformatPending());  // nothing queued
}

// An edit that adds a line: only the touched paragraph is laid out again;
// pagination starts again one page before the page of its last line (the
// pages before stay as they are) and reaches the same pages as a fresh
// pagination.
TEST_F(ReformatTest, RepaginationFromTheFirstChangedPage)
{
    Paginated(30);
    const std::vector<const TPage*> pages = PagePointers();
    ASSERT_EQ(pages.size(), 6u);
    Edit(17, "Une ligne bien plus longue que la largeur du texte, qui en fait deux" + kMark);
    EXPECT_TRUE(Doc->ReformatingManager().ReformatPending());
    EXPECT_EQ(Counting.Total(), 1);
    EXPECT_EQ(Doc->Paragraphs(17).GetLineCount(), 2);
    // Page 3 holds paragraph 17: pages 0 and 1 stay, page 2 was made again.
    ASSERT_GE(Doc->Pages().size(), 3u);
    EXPECT_EQ(Doc->Pages()[0].get(), pages[0]);
    EXPECT_EQ(Doc->Pages()[1].get(), pages[1]);
    EXPECT_NE(Doc->Pages()[2].get(), pages[2]);
    CheckPages();
    // A document without a window re-paginates only up to the changed page;
    // the rest is left to background pagination, which lays nothing out
    // again.
    EXPECT_FALSE(Doc->PaginationComplete);
    Doc->PaginateAll();
    EXPECT_EQ(Counting.Total(), 1);
    const std::string after = Summary();
    EXPECT_EQ(after, Fresh());
    EXPECT_EQ(Doc->Pages().size(), 7u);
}

// A line that changes height (a larger font) re-paginates as well.
TEST_F(ReformatTest, HeightChange)
{
    Paginated(12);
    TUpdateRange update;
    Edit(7, Rec(cfSize, 48) + "Ligne" + kMark);  // 24 points
    Doc->ReformatingManager().ReformatParagraph(7, 0, update);
    EXPECT_EQ(update.FirstParagraph, 7);
    EXPECT_EQ(update.FirstPage, 1);
    EXPECT_EQ(Doc->UndoManager().ChangedLineCount(), 0);
    EXPECT_GT(Doc->Paragraphs(7).GetLine(0).Height, kLineHeight);
}

// Paragraphs that pagination must see only lose their lines; pagination
// lays them out again.
TEST_F(ReformatTest, LeftToPagination)
{
    struct TCase {
        const char* Name;
        int32_t Paragraph;
        std::function<void()> Prepare;
    };
    const std::vector<TCase> cases = {
        {"not paginated yet", 14,
         [this]() {
             Doc->ClearPageList();
             Doc->PaginationComplete = 0;
             Doc->Paginate(0, 0, 0);
         }},
        {"a page break after the change", 3, [this]() { Edit(3, "a" + kPageBreak + "b" + kMark); }},
        {"a note mark", 3, [this]() { Edit(3, "note{22:15}" + kMark); }},
        {"lines of different widths", 3,
         [this]() {
             Edit(3, "deux" + kLineBreak + "lignes" + kMark);
             Doc->FreePages();
             Doc->PaginateAll();
             Doc->Paragraphs(3).Reformat(1, 999);
             ASSERT_TRUE(Doc->Paragraphs(3).IsPaginated());
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        NewDocument(true);
        Paginated(20);
        c.Prepare();
        TUpdateRange update;
        Doc->ReformatingManager().ReformatParagraph(c.Paragraph, 0, update);
        EXPECT_FALSE(Doc->Paragraphs(c.Paragraph).GetLaidOutFlag());
        EXPECT_EQ(Doc->Paragraphs(c.Paragraph).GetLineCount(), 0);
        // The view update paginates from the record's start, background
        // pagination the rest.
        Doc->UndoManager().UpdateViews(update);
        Doc->PaginateAll();
        EXPECT_TRUE(Doc->Paragraphs(c.Paragraph).GetLaidOutFlag());
        CheckPages();
    }

    // A header paragraph.
    Doc = std::make_unique<TDocument>(true);
    FParagraphs = 0;
    OneLiners(3);
    TField& header = HeaderFooter(Doc->Sections(0), 1, 1);
    SmallPage(Doc->Sections(0), 5);
    Doc->PaginateAll();
    TPage& page = *Doc->Pages()[0];
    page.LayoutHeaderFooter(&header);
    const int32_t index = header.Range.Start.Paragraph;
    ASSERT_NE(Doc->Paragraphs(index).GetLine(0).Page, nullptr);
    TUpdateRange update;
    Doc->ReformatingManager().ReformatParagraph(index, 0, update);
    EXPECT_EQ(Doc->Paragraphs(index).GetLineCount(), 0);
    EXPECT_EQ(update.FirstParagraph, index);
}

// While the window is in a mouse operation or a ruler drag the queue only
// grows; the next request after it drains it.
TEST_F(ReformatTest, BusyView)
{
    TFakeViewState state;
    TFakeViewScope views(state);
    NewDocument(false);
    Paginated(10);
    TParReformatingManager& queue = Doc->ReformatingManager();
    state.Busy = true;
    Edit(6, "Lignes" + kMark);
    Edit(2, "Lignes" + kMark);
    EXPECT_TRUE(queue.ReformatPending());
    EXPECT_EQ(queue.Queue(), (std::vector<int32_t>{6, 2}));
    EXPECT_EQ(Counting.Total(), 0);
    state.Busy = false;
    const int32_t repaints = state.Repaints;
    EXPECT_TRUE(queue.ReformatPending());
    EXPECT_FALSE(queue.HasPending());
    EXPECT_EQ(Counting.Total(), 2);
    EXPECT_GT(state.Repaints, repaints);  // the changed lines
    CheckPages();
    Doc.reset();
}

// The undo manager's pagination after an edit drains the queue first and
// starts early enough for every queued paragraph.
TEST_F(ReformatTest, PaginationAfterAnEditDrainsTheQueue)
{
    Paginated(30);
    const std::vector<const TPage*> pages = PagePointers();
    Edit(13, "Une ligne bien plus longue que la largeur du texte, qui en fait deux" + kMark);
    Edit(22, "Lignes" + kMark);
    GetDocumentLayout()->Paginate(*Doc, 4, -1);
    EXPECT_FALSE(Doc->ReformatingManager().HasPending());
    EXPECT_EQ(Counting.Total(), 2);
    // Paragraph 13 stood on page 2: pagination went again from page 1.
    EXPECT_EQ(Doc->Pages()[0].get(), pages[0]);
    EXPECT_NE(Doc->Pages()[1].get(), pages[1]);
    EXPECT_TRUE(Doc->PaginationComplete);
    CheckPages();
    const std::string after = Summary();
    EXPECT_EQ(after, Fresh());
}

// Typing through the operation dispatcher, and undoing it: only the typed-in
// paragraph is laid out again, and pagination starts again one page before
// the page that holds it; the pages come out as a fresh pagination makes them.
TEST_F(ReformatTest, TypingThroughTheDispatcher)
{
    TFakeViewState state;
    TFakeViewScope views(state);
    NewDocument(false);
    Paginated(30);
    const std::string before = Summary();
    const std::vector<const TPage*> pages = PagePointers();
    const TParagraph& typedIn = Doc->Paragraphs(17);  // on page 3
    const int32_t end = typedIn.GetCharCount() - 1;
    Doc->SetSelection(17, end, 17, end);
    auto type = [this](const std::string& text) {
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        uint8_t flags = 0;
        Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
    };
    type(" et une suite assez longue pour passer à la ligne");
    EXPECT_EQ(typedIn.GetLineCount(), 2);
    EXPECT_EQ(Counting.Total(), Counting.Layouts[&typedIn]);
    EXPECT_GE(Counting.Layouts[&typedIn], 1);
    EXPECT_EQ(Doc->Pages()[0].get(), pages[0]);
    EXPECT_EQ(Doc->Pages()[1].get(), pages[1]);
    EXPECT_NE(Doc->Pages()[2].get(), pages[2]);
    CheckPages();
    Doc->PaginateAll();
    EXPECT_EQ(Counting.Total(), Counting.Layouts[&typedIn]);
    const std::string after = Summary();
    EXPECT_EQ(Doc->PageCount(), 7);

    // One more character that leaves the line count as it is.
    Counting.Layouts.clear();
    type("s");
    Doc->PaginateAll();
    EXPECT_EQ(Counting.Total(), Counting.Layouts[&typedIn]);
    EXPECT_EQ(Summary(), after);

    Counting.Layouts.clear();
    Doc->UndoManager().Undo();
    Doc->UndoManager().Undo();
    Doc->PaginateAll();
    EXPECT_EQ(Counting.Total(), Counting.Layouts[&typedIn]);
    EXPECT_EQ(typedIn.GetLineCount(), 1);
    EXPECT_EQ(Summary(), before);
    CheckPages();
    EXPECT_EQ(after, [&] {
        Doc->UndoManager().Redo();
        Doc->UndoManager().Redo();
        return Fresh();
    }());

    Doc.reset();
}

// A paragraph kept together that no longer fitted on the page before, made
// shorter: pagination starts again on that page, and the paragraph moves back
// as a fresh pagination puts it. So too when pagination had not reached the
// paragraph yet (it stopped after that page, as it does at the end of a
// window): the page it left was made for the paragraph's old height.
TEST_F(ReformatTest, ShortenedParagraphMovesBack)
{
    struct TCase {
        const char* Name;
        bool KeepWithNext;  // a one-line keep-with-next paragraph before it
        int32_t PagesMade;  // made before the edit; 0: all
        const char* Before;
        const char* After;
    };
    const TCase cases[] = {
        {"on its pages", false, 0, "0.0 1.0 2.0 | 3.0 3.1 3.2 3.3 3.4 | 3.5 3.6 4.0 5.0 6.0 | 7.0 8.0 9.0",
         "0.0 1.0 2.0 3.0 4.0 | 5.0 6.0 7.0 8.0 9.0"},
        {"not paginated yet", false, 1, "0.0 1.0 2.0", "0.0 1.0 2.0 3.0 4.0 | 5.0 6.0 7.0 8.0 9.0"},
        {"after a keep-with-next paragraph not paginated yet", true, 1, "0.0 1.0 2.0",
         "0.0 1.0 2.0 3.0 4.0 | 5.0 6.0 7.0 8.0 9.0 | 10.0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        NewDocument(true);
        OneLiners(3);
        if (c.KeepWithNext)
            Lines(1, With({{pfKeepWithNext, 1}}));
        const int32_t kept = FParagraphs;
        Lines(7, With({{pfKeepTogether, 1}}));
        OneLiners(6);
        if (c.PagesMade > 0)
            Doc->Paginate(0, c.PagesMade - 1, 0);
        else
            Doc->PaginateAll();
        ASSERT_EQ(Summary(), c.Before);
        Edit(kept, "Ligne" + kMark);
        EXPECT_TRUE(Doc->ReformatingManager().ReformatPending());
        Doc->PaginateAll();
        CheckPages();
        const std::string after = Summary();
        EXPECT_EQ(after, c.After);
        EXPECT_EQ(after, Fresh());
    }
}

// A document without a window is edited through the dispatcher (nothing is
// recorded for undo and no view is brought up to date): the next pagination
// still puts every line of the edited paragraphs on a page.
TEST_F(ReformatTest, EditWithoutAWindow)
{
    Paginated(12);
    ASSERT_TRUE(Doc->NoUndo);
    const TParagraph& typedIn = Doc->Paragraphs(6);
    Doc->SetSelection(6, 2, 6, 2);
    TMemory buffer;
    const std::string text = " et une suite assez longue pour passer à la ligne";
    buffer.Append(text.data(), static_cast<int32_t>(text.size()));
    uint8_t flags = 0;
    Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
    ASSERT_EQ(typedIn.GetLineCount(), 2);
    Doc->PaginateAll();
    EXPECT_TRUE(Doc->PaginationComplete);
    CheckPages();
    EXPECT_NE(typedIn.GetLine(1).Page, nullptr);
    const std::string after = Summary();
    EXPECT_EQ(after, Fresh());
}
