// Footnote and endnote numbers given by pagination: the marks of the body
// numbered in text order from the running numbers, their restart at every
// section or page, and the numbers after notes are deleted, moved and put
// back. Five lines to the page.
#include "PaginationFixtures.h"

#include "document/steps/MoveTextOperation.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr const char* kTimes = "Times New Roman";

class NoteNumberingTest : public PaginationTest {
protected:
    // A note: the reference that the body's text brackets around its mark,
    // and the note's own text object over a paragraph of the footnote or
    // endnote story, linked both ways.
    struct TNote {
        TField* Reference;
        TField* Text;
    };
    TNote Note(bool endnote)
    {
        TField& reference = Doc->AddRangeObject(rkNoteReference);
        TField& text = Doc->AddRangeObject(rkReserved2);
        reference.NoteRecord = &text;
        reference.Numbered = 1;
        text.NoteRecord = &reference;
        text.Endnote = endnote ? 1 : 0;
        TParagraph& paragraph = Doc->AppendParagraph(endnote ? stEndnotes : stFootnotes);
        const std::string encoded = EncodeText(Rec(icRangeStart, text.Handle()) + "{22:15} Texte de la note" +
                                               kMark + Rec(icRangeEnd, text.Handle()));
        paragraph.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
        FNotes.push_back({&reference, &text});
        return FNotes.back();
    }
    static std::string Mark(const TNote& note)
    {
        return Rec(icRangeStart, note.Reference->Handle()) + "{22:15}" + Rec(icRangeEnd, note.Reference->Handle());
    }
    // The paragraph of a note's text.
    TParagraph& NoteParagraph(const TNote& note) { return Doc->Paragraphs(note.Text->Range.Start.Paragraph); }
    void LayOutNotes()
    {
        for (const TNote& note : FNotes)
            NoteParagraph(note).Invalidate(true, kSmallPageWidth - 2 * kPageMargin);
    }
    // The numbers the notes show, in the order they were made.
    std::string Numbers() const
    {
        std::string out;
        for (const TNote& note : FNotes)
            out += (out.empty() ? "" : " ") + note.Reference->Result;
        return out;
    }
    void Build() { Doc->RefreshRangeObjectPositions(); }

    std::vector<TNote> FNotes;
};

}  // namespace

TEST_F(NoteNumberingTest, MarksNumberedInTextOrder)
{
    // Footnotes in decimal numbers, endnotes in lower-case roman numerals
    // (the document's defaults), each counted on its own.
    const TNote f1 = Note(false);
    const TNote e1 = Note(true);
    const TNote f2 = Note(false);
    const TNote f3 = Note(false);
    const TNote e2 = Note(true);
    Para("Un" + Mark(f1) + kMark);
    TParagraph& second = Para("Deux" + Mark(e1) + " et" + Mark(f2) + kMark);
    OneLiners(4);
    Para("Sept" + Mark(f3) + Mark(e2) + kMark);
    OneLiners(5);
    Build();
    LayOutNotes();

    Doc->PaginateAll();
    CheckPages();
    EXPECT_EQ(Numbers(), "1 i 2 3 ii");
    EXPECT_EQ(f3.Reference->Number, 2);
    EXPECT_EQ(e2.Reference->Number, 1);
    // The marks were measured again with their numbers ("?" before).
    const TLayoutLine& line = Line(second, 0);
    EXPECT_EQ(line.GetCharPosition(5) - line.GetCharPosition(4), TextWidth(kTimes, 24, "i"));
    EXPECT_EQ(line.GetCharPosition(9) - line.GetCharPosition(8), TextWidth(kTimes, 24, "2"));
    EXPECT_EQ(line.EndnoteMark, e1.Reference);
    EXPECT_EQ(line.FootnoteMark, f2.Reference);
    // Every note's text shows a new number: its lines went.
    for (const TNote& note : FNotes)
        EXPECT_FALSE(NoteParagraph(note).GetLaidOutFlag());

    // Paginated again from nothing: no number changes, the notes keep their
    // lines.
    Doc->FreePages();
    LayOutNotes();
    Doc->PaginateAll();
    EXPECT_EQ(Numbers(), "1 i 2 3 ii");
    for (const TNote& note : FNotes)
        EXPECT_TRUE(NoteParagraph(note).GetLaidOutFlag());

    // The endnotes in symbols from the third on: a changed number shows on
    // a new line of the mark's width and invalidates only that note.
    Doc->EndnoteNumbering.Style = 5;
    Doc->EndnoteNumbering.Start = 4;
    Doc->FreePages();
    LayOutNotes();
    Doc->PaginateAll();
    EXPECT_EQ(Numbers(), "1 \xA7 2 3 **");
    EXPECT_FALSE(NoteParagraph(e1).GetLaidOutFlag());
    EXPECT_TRUE(NoteParagraph(f1).GetLaidOutFlag());
    const TLayoutLine& remeasured = Line(second, 0);
    EXPECT_EQ(remeasured.GetCharPosition(5) - remeasured.GetCharPosition(4), TextWidth(kTimes, 24, "\xA7"));
}

// Restart kinds, over two sections of seven one-line paragraphs with a
// footnote in paragraphs 1, 3, 5, 8, 10 and 12 and an endnote in 2 and 9.
// Whatever page pagination starts from, the numbers come out as one run
// gives them.
TEST_F(NoteNumberingTest, RestartsAndRunsFromAnyPage)
{
    struct TCase {
        const char* Name;
        int32_t Restart;
        uint8_t BreakKind;
        const char* Expected;  // footnotes, then endnotes
    };
    const TCase cases[] = {
        // Pages: 0-4 | 5-6 | 7-11 | 12-13.
        {"never, new page", nrNever, sbNewPage, "1 2 3 4 5 6 i ii"},
        {"each section, new page", nrEachSection, sbNewPage, "1 2 3 1 2 3 i ii"},
        {"each page, new page", nrEachPage, sbNewPage, "1 2 1 1 2 1 i ii"},
        // Pages: 0-4 | 5-9 | 10-13.
        {"never, continuous", nrNever, sbContinuous, "1 2 3 4 5 6 i ii"},
        {"each section, continuous", nrEachSection, sbContinuous, "1 2 3 1 2 3 i ii"},
        {"each page, continuous", nrEachPage, sbContinuous, "1 2 1 2 1 2 i ii"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(true);
        FParagraphs = 0;
        FNotes.clear();
        SmallPage(Doc->Sections(0), 5);
        TSection& first = NewSection(5, c.BreakKind);
        Doc->FootnoteNumbering.Restart = c.Restart;
        std::vector<TNote> footnotes;
        std::vector<TNote> endnotes;
        for (int32_t i = 0; i < 6; ++i)
            footnotes.push_back(Note(false));
        for (int32_t i = 0; i < 2; ++i)
            endnotes.push_back(Note(true));
        FNotes.clear();
        FNotes.insert(FNotes.end(), footnotes.begin(), footnotes.end());
        FNotes.insert(FNotes.end(), endnotes.begin(), endnotes.end());
        size_t footnote = 0;
        size_t endnote = 0;
        for (int32_t i = 0; i < 14; ++i) {
            std::string text = "Ligne " + std::to_string(i);
            if (i == 1 || i == 3 || i == 5 || i == 8 || i == 10 || i == 12)
                text += Mark(footnotes[footnote++]);
            if (i == 2 || i == 9)
                text += Mark(endnotes[endnote++]);
            Para(text + (i == 6 ? SectionBreak(first) : kMark));
        }
        Build();
        Doc->PaginateAll();
        CheckPages();
        const std::string whole = Numbers();
        EXPECT_EQ(whole, c.Expected);

        // Page by page.
        Doc->FreePages();
        for (int32_t page = 0; !Doc->PaginationComplete && page < 10; ++page)
            Doc->Paginate(page, page, page);
        EXPECT_EQ(Numbers(), whole);
        // From each page on, the numbers of the notes there spoilt first:
        // the notes of the pages before tell where numbering goes on.
        for (int32_t page = Doc->PageCount() - 1; page >= 1; --page) {
            SCOPED_TRACE("from page " + std::to_string(page));
            for (const TNote& note : FNotes) {
                const TParLine& line = Doc->Paragraphs(note.Reference->Range.Start.Paragraph).GetLine(0);
                if (line.Page && line.Page->Index >= page) {
                    note.Reference->Number = 99;
                    note.Reference->Result = "x";
                }
            }
            Doc->Paginate(page, INT_MAX, page);
            CheckPages();
            EXPECT_EQ(Numbers(), whole);
        }
    }
}

// Deleting a note through the operation dispatcher takes its text along and
// numbers the notes after it again; undo brings both back, and a note moved
// in front of the others takes the first number.
TEST_F(NoteNumberingTest, NumbersFollowDeletionsMovesAndUndo)
{
    // A document with a window: its edits are recorded and paginated.
    TFakeViewState state;
    TFakeViewScope views(state);
    Doc = std::make_unique<TDocument>(false);
    SmallPage(Doc->Sections(0), 5);
    const TNote a = Note(false);
    const TNote b = Note(false);
    const TNote c = Note(false);
    Para("Premier" + Mark(a) + " paragraphe" + kMark);
    OneLiners(5);
    TParagraph& middle = Para("Milieu" + Mark(b) + kMark);
    OneLiners(5);
    Para("Dernier" + Mark(c) + kMark);
    Build();
    Doc->PaginateAll();
    ASSERT_EQ(Numbers(), "1 2 3");
    ASSERT_EQ(Doc->PageCount(), 3);
    LayOutNotes();

    // The first note's mark deleted: its text goes, the others move up.
    TTextPosition from{0, 7};
    TTextPosition to{0, 8};
    uint8_t flags = 0;
    Doc->ExecuteOperation(docDeleteRange, {&from, &to, &flags});
    EXPECT_EQ(Doc->StoryCount(stFootnotes), 2);
    Doc->PaginateAll();
    CheckPages();
    EXPECT_EQ(b.Reference->Result, "1");
    EXPECT_EQ(c.Reference->Result, "2");
    EXPECT_FALSE(NoteParagraph(b).GetLaidOutFlag());
    const TLayoutLine& line = Line(middle, 0);
    EXPECT_EQ(line.GetCharPosition(7) - line.GetCharPosition(6), TextWidth(kTimes, 24, "1"));

    // Undone: the note and its text are back with their numbers.
    Doc->UndoManager().Undo();
    EXPECT_EQ(Doc->StoryCount(stFootnotes), 3);
    Doc->PaginateAll();
    CheckPages();
    EXPECT_EQ(Numbers(), "1 2 3");

    // The last note moved to the front of the document with the letter
    // before it (a block that starts before the reference's start anchor),
    // as an editing tool records a move.
    const int32_t last = c.Reference->Range.Start.Paragraph;
    auto op = std::make_unique<TOperation>(Doc.get(), 21);
    auto move = std::make_unique<TMoveTextOperation>(Doc.get(), TTextPosition{last, 6}, TTextPosition{last, 8},
                                                     TTextPosition{0, 0});
    TUpdateRange update;
    move->Redo(update);
    op->AddStep(std::move(move));
    Doc->UndoManager().UpdateViews(update);
    Doc->UndoManager().AddOperation(op);
    Doc->PaginateAll();
    CheckPages();
    EXPECT_EQ(Numbers(), "2 3 1");
    Doc->UndoManager().Undo();
    Doc->PaginateAll();
    EXPECT_EQ(Numbers(), "1 2 3");
    Doc->UndoManager().Redo();
    Doc->PaginateAll();
    EXPECT_EQ(Numbers(), "2 3 1");

    Doc.reset();
}

// A line keeps the last note references it measured; when a note is freed
// (its deletion dropped from the undo list, say) before the line is laid out
// again, the line no longer points at it.
TEST_F(NoteNumberingTest, FreedNotesLeaveNoMarksOnLines)
{
    const TNote f = Note(false);
    const TNote e = Note(true);
    TParagraph& paragraph = Para("Avec" + Mark(f) + " et" + Mark(e) + kMark);
    Build();
    Doc->PaginateAll();
    ASSERT_EQ(Line(paragraph, 0).FootnoteMark, f.Reference);
    ASSERT_EQ(Line(paragraph, 0).EndnoteMark, e.Reference);
    Doc->RemoveRangeObject(f.Reference);
    EXPECT_EQ(Line(paragraph, 0).FootnoteMark, nullptr);
    EXPECT_EQ(Line(paragraph, 0).EndnoteMark, e.Reference);
    Doc->RemoveRangeObject(e.Reference);
    EXPECT_EQ(Line(paragraph, 0).EndnoteMark, nullptr);
}

// A keep-with-next heading whose paragraph holds a note goes to the next page
// with the paragraph after it: its note is numbered where it lands, once.
TEST_F(NoteNumberingTest, AKeepChainMovedToTheNextPageKeepsItsNumbers)
{
    const TNote a = Note(false);
    const TNote b = Note(false);
    const TNote c = Note(false);
    Para("Un" + Mark(a) + kMark);
    OneLiners(3);
    Para("Titre" + Mark(b) + kMark, With({{pfKeepWithNext, 1}}));
    Lines(2);
    Para("Suite" + Mark(c) + kMark);
    Build();
    Doc->PaginateAll();
    CheckPages();
    // The heading (paragraph 4) went to page 2 with the paragraph after it.
    EXPECT_EQ(Summary(), "0.0 1.0 2.0 3.0 | 4.0 5.0 5.1 6.0");
    EXPECT_EQ(Numbers(), "1 2 3");
    Doc->EndnoteNumbering.Restart = nrNever;
    Doc->FootnoteNumbering.Restart = nrEachPage;
    Doc->FreePages();
    Doc->PaginateAll();
    EXPECT_EQ(Numbers(), "1 1 2");
}
