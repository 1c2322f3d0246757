// Range deletion (operation 17) over the three-section fixture: ranges that
// cut through a bookmark, a field and section breaks leave the document the
// way deletion says, and one undo restores it byte for byte; the paragraph
// that survives a join, notes whose references go, headers and footers of
// removed sections, and the settings of the text that ends the document.
#include "document/FormattingFixtures.h"

#include <functional>

namespace {

class RangeDeletionTest : public FormattingTest {
protected:
    void SetUp() override { BuildFixture(); }

    void Fresh()
    {
        Doc = std::make_unique<TDocument>(false);
        BuildFixture();
    }

    std::string Delete(TTextPosition start, TTextPosition end, uint8_t flags = 0)
    {
        return RoundTrip(docDeleteRange, {&start, &end, &flags});
    }

    bool HasObject(const TField* field) const
    {
        for (const auto& object : Doc->RangeObjects())
            if (object.get() == field)
                return true;
        return false;
    }
};

TEST_F(RangeDeletionTest, RangesThatCutThroughObjectsAndSections)
{
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"from before a bookmark into it: the bookmark starts where the text was",
         [&] {
             Delete({3, 2}, {3, 7});  // "ze do"
             EXPECT_EQ(Text(3), "On" + Rec(icRangeStart, Mark->Handle()) + "uze" + Rec(icRangeEnd, Mark->Handle()) +
                                    " treize" + SectionBreak(*S1));
             EXPECT_EQ(Mark->Range.Start.Offset, 2);
             EXPECT_EQ(Mark->Range.End.Offset, 5);
         }},
        {"from inside a bookmark past its end: its end comes to the deletion point",
         [&] {
             Delete({3, 7}, {3, 12});  // "uze t"
             EXPECT_EQ(Text(3), "Onze " + Rec(icRangeStart, Mark->Handle()) + "do" + Rec(icRangeEnd, Mark->Handle()) +
                                    "reize" + SectionBreak(*S1));
         }},
        {"a range that holds a whole bookmark takes it",
         [&] {
             Delete({3, 4}, {3, 11});
             EXPECT_FALSE(HasObject(Mark));
             EXPECT_EQ(Text(3), "Onzetreize" + SectionBreak(*S1));
         }},
        {"from inside a field past its end: the field keeps its start",
         [&] {
             Delete({4, 10}, {4, 13});
             EXPECT_TRUE(HasObject(Field));
             EXPECT_EQ(Text(4), "Quatorze " + Rec(icRangeStart, Field->Handle()) + "1" +
                                    Rec(icRangeEnd, Field->Handle()) + "eize{22:2}");
         }},
        {"exactly a field's text with its anchors",
         [&] {
             Delete({4, 9}, {4, 11});
             EXPECT_FALSE(HasObject(Field));
             EXPECT_EQ(Text(4), "Quatorze  seize{22:2}");
         }},
        {"across a section break: the sections join, the joined paragraph takes the first one's format",
         [&] {
             Delete({1, 2}, {2, 4});
             EXPECT_EQ(Doc->SectionCount(), 2);
             EXPECT_EQ(Plain(1), "Ci neuf dix\x02");
             EXPECT_EQ(Doc->Paragraphs(1).Format[pfLeftIndent], 720);
             EXPECT_EQ(Doc->Paragraphs(1).Format[pfStyle], 0);
             EXPECT_EQ(Doc->GetSectionOfParagraph(1).Handle(), S1->Handle());
         }},
        {"across two section breaks, a bookmark and a field",
         [&] {
             Delete({0, 3}, {4, 10});
             EXPECT_EQ(Doc->SectionCount(), 1);
             EXPECT_FALSE(HasObject(Mark));
             EXPECT_TRUE(HasObject(Field));
             EXPECT_EQ(Text(0), "Un " + Rec(icRangeStart, Field->Handle()) + "5" + Rec(icRangeEnd, Field->Handle()) +
                                    " seize{22:2}");
         }},
    };
    for (const auto& [name, run] : cases) {
        SCOPED_TRACE(name);
        Fresh();
        run();
        if (HasFatalFailure())
            return;
    }
}

TEST_F(RangeDeletionTest, DeletingToTheEndKeepsTheSetUpOfTheSectionWhereItBegan)
{
    S1->Settings[ssColumnCount] = 2;
    S1->PageParams[ppLeftMargin] = 2000;
    Doc->UpdateSectionDeviceSizes();
    // The first section is left alone.
    Delete({3, 2}, {5, 4});
    ASSERT_EQ(Doc->SectionCount(), 2);
    const TSection& last = Doc->Sections(1);
    EXPECT_EQ(last.Settings[ssColumnCount], 2);
    EXPECT_EQ(last.PageParams[ppLeftMargin], 2000);
    EXPECT_EQ(S0->PageParams[ppLeftMargin], 1417);
    EXPECT_EQ(S0->Settings[ssColumnCount], 1);
    EXPECT_EQ(Plain(3), "On\x02");
}

TEST_F(RangeDeletionTest, TheLastParagraphEndStaysUnlessWholeParagraphsAreAsked)
{
    Delete({5, 0}, {5, 4});
    EXPECT_EQ(Doc->StoryCount(stBody), 6);
    EXPECT_EQ(Plain(5), "\x02");
    Undo().Undo();
    // With the end-of-story rule the whole last paragraph goes, within the
    // last section only.
    Delete({5, 0}, {5, 4}, efStoryEnd);
    EXPECT_EQ(Doc->StoryCount(stBody), 5);
    EXPECT_EQ(Doc->Caret.Paragraph, 4);
}

TEST_F(RangeDeletionTest, AnEndAnchorDoesNotOpenTheNextParagraph)
{
    // A field and a bookmark over paragraph 0 and the first word of paragraph
    // 1: with that word deleted, their ends go to the end of paragraph 0.
    TField& span = Doc->AddRangeObject(rkField);
    TField& mark = Doc->AddRangeObject(rkBookmark);
    Build({Rec(icRangeStart, span.Handle()) + Rec(icRangeStart, mark.Handle()) + "Haut{22:2}",
           "Bas" + Rec(icRangeEnd, span.Handle()) + Rec(icRangeEnd, mark.Handle()) + " fin{22:2}"});
    Doc->RefreshRangeObjectPositions();
    Delete({1, 0}, {1, 3});
    EXPECT_EQ(Text(0), Rec(icRangeStart, span.Handle()) + Rec(icRangeStart, mark.Handle()) + "Haut{22:2}" +
                           Rec(icRangeEnd, span.Handle()) + Rec(icRangeEnd, mark.Handle()));
    EXPECT_EQ(Text(1), " fin{22:2}");
    EXPECT_EQ(span.Range.End.Paragraph, 0);
    EXPECT_EQ(span.Range.End.Offset, 5);
}

TEST_F(RangeDeletionTest, ANoteGoesWithItsReference)
{
    TField& reference = Doc->AddRangeObject(rkNoteReference);
    TField& note = Doc->AddRangeObject(rkNoteReference);
    reference.NoteRecord = &note;
    Build({"Texte" + Rec(icRangeStart, reference.Handle()) + "1" + Rec(icRangeEnd, reference.Handle()) +
               " suite{22:2}",
           "Fin{22:2}"});
    AddToStory(stFootnotes, Rec(icRangeStart, note.Handle()) + "1 La note{22:2}");
    AddToStory(stFootnotes, "suite de la note{22:2}" + Rec(icRangeEnd, note.Handle()));
    AddToStory(stFootnotes, "Autre note{22:2}");
    Doc->RefreshRangeObjectPositions();
    Delete({0, 2}, {0, 8});
    EXPECT_FALSE(HasObject(&reference));
    EXPECT_FALSE(HasObject(&note));
    EXPECT_EQ(Doc->StoryCount(stFootnotes), 1);
    EXPECT_EQ(Plain(Doc->StoryFirst(stFootnotes)), "Autre note\x02");
    EXPECT_EQ(Doc->Caret.Paragraph, 0);
    EXPECT_EQ(Doc->Caret.Offset, 2);
}

TEST_F(RangeDeletionTest, HeadersOfARemovedSectionMoveOrGo)
{
    // The first section has a header and a footer; the second its own header.
    TField& header0 = Doc->AddRangeObject(rkHeaderFooter);
    TField& footer0 = Doc->AddRangeObject(rkHeaderFooter);
    TField& header1 = Doc->AddRangeObject(rkHeaderFooter);
    AddToStory(stHeadersFooters, Rec(icRangeStart, header0.Handle()) + "En-tete un{22:2}" +
                                     Rec(icRangeEnd, header0.Handle()));
    AddToStory(stHeadersFooters, Rec(icRangeStart, footer0.Handle()) + "Pied un{22:2}" +
                                     Rec(icRangeEnd, footer0.Handle()));
    AddToStory(stHeadersFooters, Rec(icRangeStart, header1.Handle()) + "En-tete deux{22:2}" +
                                     Rec(icRangeEnd, header1.Handle()));
    Doc->RefreshRangeObjectPositions();
    S0->HeadersFooters[0] = &header0;
    S0->HeadersFooters[2] = &footer0;
    S1->HeadersFooters[0] = &header1;
    Delete({1, 2}, {2, 4});
    // The footer moved to the surviving section; the header it already had
    // stayed, and the removed section's header went with its text.
    EXPECT_EQ(S1->HeadersFooters[0], &header1);
    EXPECT_EQ(S1->HeadersFooters[2], &footer0);
    EXPECT_FALSE(HasObject(&header0));
    EXPECT_TRUE(HasObject(&footer0));
    EXPECT_EQ(Doc->StoryCount(stHeadersFooters), 2);
    EXPECT_EQ(Plain(Doc->StoryFirst(stHeadersFooters)), "Pied un\x02");
}

TEST_F(RangeDeletionTest, AnEmptyRangeOnlyReadsTheFormat)
{
    Doc->PositionFormat[cfBold] = 7;
    TTextPosition at{0, 5};
    uint8_t flags = 0;
    Doc->ExecuteOperation(docDeleteRange, {&at, &at, &flags});
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(Doc->PositionFormat[cfBold], 1);
    EXPECT_EQ(Doc->DeletedStartFormat, Doc->PositionFormat);
}

}  // namespace
