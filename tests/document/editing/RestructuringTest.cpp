// The operations that rearrange text: moving, joining, splitting and sorting
// paragraphs, case changes, block selections, click and type, and page
// set-up applied to a scope. Each case runs through the dispatcher on a
// fixture, is undone and redone byte for byte (RoundTripOperation), and its
// result is checked.
#include "document/FormattingFixtures.h"
#include "document/editing/EditingRecords.h"
#include "document/editing/SectionScopes.h"
#include "foundation/MessageAnswers.h"
#include "foundation/SharedManagers.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/StringList.h"

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int32_t French = 0x040C;

class TRestructuringHost : public TFormatHost {
public:
    std::vector<std::string> Clipboard;
    bool PutCalculationOnClipboard(const std::string& text) override
    {
        Clipboard.push_back(text);
        return true;
    }
};

class RestructuringTest : public FormattingTest {
protected:
    TRestructuringHost Clip;

    // The fixture of three sections, with a header of the first section and
    // a footnote whose reference stands on "sept" (paragraph 1).
    void BuildWithNotes()
    {
        BuildFixture();
        TField& header = Doc->AddRangeObject(rkHeaderFooter);
        AddToStory(stHeadersFooters,
                   Rec(icRangeStart, header.Handle()) + "En-tête{22:2}" + Rec(icRangeEnd, header.Handle()));
        S0->HeadersFooters[0] = &header;
        TField& reference = Doc->AddRangeObject(rkNoteReference);
        TField& note = Doc->AddRangeObject(rkNoteReference);
        reference.NoteRecord = &note;
        TParagraph& noted = Doc->Paragraphs(1);
        noted.InsertControl(noted.CharToByteOffset(13), icRangeEnd, reference.Handle());
        noted.InsertControl(noted.CharToByteOffset(9), icRangeStart, reference.Handle());
        AddToStory(stFootnotes, Rec(icRangeStart, note.Handle()) + "1 La note{22:2}" + Rec(icRangeEnd, note.Handle()));
        Doc->RefreshRangeObjectPositions();
    }
    // Every paragraph laid out in lines of `width` characters.
    void LayOut(TCharLayout&, int32_t width)
    {
        for (int32_t i = 0; i < Doc->ParagraphCount(); ++i)
            Doc->Paragraphs(i).Invalidate(true, width);
    }
    // The body's plain texts, paragraphs joined by "|", marks left out.
    std::string Body()
    {
        std::string out;
        for (int32_t i = 0; i <= Doc->StoryLast(stBody); ++i) {
            std::string text;
            for (char c : Plain(i))
                if (static_cast<uint8_t>(c) >= 32)
                    text += c;
                else if (c == scLineBreak)
                    text += "/";
                else if (c == scSectionBreak)
                    text += "§";
                else if (c == scTab)
                    text += "\t";
            out += (i ? "|" : "") + text;
        }
        return out;
    }
};

struct TCase {
    const char* Name;
    std::function<void()> Run;
};

TEST_F(RestructuringTest, EachOperationUndoesAndRedoesByteForByte)
{
    const std::vector<TCase> cases = {
        {"move a paragraph down across a section break",
         [this] {
             BuildFixture();
             TTextPosition start{0, 0}, end{1, 0}, target{2, 0};
             uint8_t flags = efReportRange;
             RoundTripOperation(*Doc, docMoveText, {&start, &end, &target, &flags});
             EXPECT_EQ(Body(), "Cinq six sept§|Un deux trois quatre|Huit neuf dix|Onze douze treize§|"
                                 "Quatorze 15 seize|Fin");
         }},
        {"move a paragraph with a field up to the start",
         [this] {
             BuildFixture();
             TTextPosition start{4, 0}, end{5, 0}, target{0, 0};
             uint8_t flags = 0;
             RoundTripOperation(*Doc, docMoveText, {&start, &end, &target, &flags});
             EXPECT_EQ(Body(), "Quatorze 15 seize|Un deux trois quatre|Cinq six sept§|Huit neuf dix|"
                                 "Onze douze treize§|Fin");
             // The field went with its text.
             EXPECT_EQ(Field->Range.Start.Paragraph, 0);
             EXPECT_EQ(Doc->GetRangeText(Field->Range), "15");
         }},
        {"move text that cuts a bookmark",
         [this] {
             BuildFixture();
             // "Onze dou" out of "Onze douze treize": the bookmark keeps "ze".
             TTextPosition start{3, 0}, end{3, 8}, target{5, 0};
             uint8_t flags = 0;
             RoundTripOperation(*Doc, docMoveText, {&start, &end, &target, &flags});
             EXPECT_EQ(Body(), "Un deux trois quatre|Cinq six sept§|Huit neuf dix|ze treize§|Quatorze 15 seize|"
                                 "Onze douFin");
             EXPECT_EQ(Doc->GetRangeText(Mark->Range), "ze");
         }},
        {"move a note reference to another section",
         [this] {
             BuildWithNotes();
             TTextPosition start{1, 9}, end{1, 13}, target{4, 0};
             uint8_t flags = 0;
             RoundTripOperation(*Doc, docMoveText, {&start, &end, &target, &flags});
             EXPECT_EQ(Body(), "Un deux trois quatre|Cinq six §|Huit neuf dix|Onze douze treize§|"
                                 "septQuatorze 15 seize|Fin");
             // The note and its text stay.
             EXPECT_EQ(Doc->StoryCount(stFootnotes), 1);
         }},
        {"move text in the notes",
         [this] {
             BuildWithNotes();
             const int32_t note = Doc->StoryFirst(stFootnotes);
             TTextPosition start{note, 2}, end{note, 5}, target{note, 9};
             uint8_t flags = 0;
             RoundTripOperation(*Doc, docMoveText, {&start, &end, &target, &flags});
             EXPECT_EQ(Plain(note), std::string("1 noteLa \x02", 10));
         }},
        {"move with space adjustment",
         [this] {
             Build({"alpha beta gamma{22:2}"});
             TTextPosition start{0, 0}, end{0, 6}, target{0, 16};
             uint8_t flags = efAdjustSpaces | efReportRange;
             RoundTripOperation(*Doc, docMoveText, {&start, &end, &target, &flags});
             EXPECT_EQ(Body(), "beta gamma alpha");
         }},
        {"join five paragraphs around an empty one",
         [this] {
             Build({"a{22:2}", "b{22:2}", "{22:2}", "c{22:2}", "d{22:2}"});
             Select(0, 0, 4, 1);
             int32_t first = 0, last = 4;
             RoundTripOperation(*Doc, docJoinParagraphs, {&first, &last});
             EXPECT_EQ(Body(), "a b||c d");
         }},
        {"join removes single line ends, keeps doubled ones",
         [this] {
             Build({"un{22:5}deux{22:5}{22:5}trois{22:2}"});
             Select(0, 0, 0, 5);
             int32_t first = 0, last = 0;
             RoundTripOperation(*Doc, docJoinParagraphs, {&first, &last});
             EXPECT_EQ(Body(), "un deux//trois");
         }},
        {"split a paragraph at its lines",
         [this] {
             Build({"aaaa bbbb cccc dd{22:2}", "Fin{22:2}"});
             Caret(0, 2);
             TCharLayout charLayout;
             LayOut(charLayout, 5);
             ASSERT_EQ(Doc->Paragraphs(0).GetLineCount(), 4);
             int32_t first = 0, last = 0;
             RoundTripOperation(*Doc, docSplitParagraphs, {&first, &last});
             EXPECT_EQ(Body(), "aaaa |bbbb |cccc |dd|Fin");
         }},
        {"sort paragraphs",
         [this] {
             Build({"poire{22:2}", "abricot{22:2}", "Melon{22:2}", "Fin{22:2}"});
             int32_t first = 0, last = 2;
             uint8_t mode = 0;
             RoundTripOperation(*Doc, docSortParagraphs, {&first, &last, &mode});
             EXPECT_EQ(Body(), "abricot|Melon|poire|Fin");
         }},
        {"upper case with accents and ligatures",
         [this] {
             Build({"{21:1036}\xE9l\xE8ve \x9C" "uvre \xFF" "e ma\xEEtre stra\xDF" "e i{22:2}"});
             uint8_t mode = tmUpperCase, flags = 0;
             TTextRange range = MakeRange(0, 0, 0, 30);
             RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags});
             // No dotted capital I, whatever the language: the code page has none.
             EXPECT_EQ(Body(), "\xC9L\xC8VE \x8CUVRE \x9F" "E MA\xCETRE STRA\xDF" "E I");
         }},
        {"lower case keeps formats and the bookmark",
         [this] {
             BuildFixture();
             uint8_t mode = tmLowerCase, flags = 0;
             TTextRange range = MakeRange(0, 0, 3, 17);
             const std::string bookmark = Doc->GetRangeText(Mark->Range);
             RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags});
             EXPECT_EQ(Body(), "un deux trois quatre|cinq six sept§|huit neuf dix|onze douze treize§|"
                                 "Quatorze 15 seize|Fin");
             EXPECT_EQ(Text(0), "un {2:1}deux trois{2:0} quatre{22:2}");
             EXPECT_EQ(Doc->GetRangeText(Mark->Range), bookmark);
         }},
        {"toggle case",
         [this] {
             Build({"aBc \xC9t\xC9{22:2}"});
             uint8_t mode = tmToggleCase, flags = 0;
             TTextRange range = MakeRange(0, 0, 0, 7);
             RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags});
             EXPECT_EQ(Body(), "AbC \xE9T\xE9");
         }},
        {"sentence case over capitals and an acronym",
         [this] {
             Build({"IL PLEUT. TOUT VA BIEN.{22:2}", "la SNCF roule. le train part.{22:2}"});
             uint8_t mode = tmSentenceCase, flags = 0;
             TTextRange range = MakeRange(0, 0, 1, 29);
             RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags});
             EXPECT_EQ(Body(), "Il pleut. Tout va bien.|La SNCF roule. Le train part.");
         }},
        {"capitalise words",
         [this] {
             Build({"le petit ONU bleu.{22:2}", "TOUT EN CAPITALES.{22:2}"});
             uint8_t mode = tmCapitalizeWords, flags = 0;
             TTextRange range = MakeRange(0, 0, 1, 18);
             RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags});
             EXPECT_EQ(Body(), "Le Petit ONU Bleu.|Tout En Capitales.");
         }},
        {"case change of the word at the caret",
         [this] {
             Build({"un mot ici{22:2}"});
             Clip.TakeWord = true;
             Caret(0, 4);
             uint8_t mode = tmUpperCase, flags = 0;
             TTextRange range = MakeRange(0, 4, 0, 4);
             RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags});
             EXPECT_EQ(Body().substr(0, 6), "un MOT");
             EXPECT_EQ(Body().substr(7), "ici");
         }},
        {"delete a block over three paragraphs",
         [this] {
             Build({"abcdefgh{22:2}", "ijklmnop{22:2}", "qrstuvwx{22:2}", "Fin{22:2}"});
             TCharLayout charLayout;
             LayOut(charLayout, 100);
             TBlockSelection block{{0, 2}, 0, 0, 2, 0, 2, 5};
             RoundTripOperation(*Doc, docDeleteBlock, {&block});
             EXPECT_EQ(Body(), "abfgh|ijnop|qrvwx|Fin");
             EXPECT_EQ(Clip.Events.back(), 2300);
         }},
        {"format a block over lines of one paragraph",
         [this] {
             Build({"abcdefghij{22:2}", "Fin{22:2}"});
             TCharLayout charLayout;
             LayOut(charLayout, 5);
             TBlockSelection block{{0, 1}, 0, 0, 0, 1, 1, 3};
             TCharFormat bold;
             ClearCharFormat(bold);
             bold[cfBold] = 1;
             RoundTripOperation(*Doc, docFormatBlock, {&block, &bold});
             EXPECT_EQ(Text(0), "a{2:1}bc{2:0}def{2:1}gh{2:0}ij{22:2}");
             EXPECT_EQ(Clip.Events.back(), 10080);
         }},
        {"click and type: two paragraphs, centred",
         [this] {
             Build({"Texte{22:2}"});
             Caret(0, 2);
             TClickAndTypePlan plan;
             plan.TargetParagraph = 2;
             plan.Steps = {{ctAddParagraphs, 2, 0}, {ctAlignment, 1, 0}, {ctCaretOffset, 0, 0}};
             RoundTripOperation(*Doc, docClickAndType, {&plan});
             EXPECT_EQ(Body(), "Texte||");
             EXPECT_EQ(Doc->Paragraphs(2).Format[pfAlignment], 1);
             EXPECT_EQ(Doc->Paragraphs(1).Format[pfInternal], 0);
             EXPECT_EQ(Doc->ClickAndTypePending, 1);
             EXPECT_EQ(Undo().Count(), 1);
         }},
        {"click and type: indent, tab character and tab stops",
         [this] {
             Build({"Texte{22:2}"});
             TTabTable table;
             table.AddTab(PackTabStop(1440, 0, 0));
             table.AddTab(PackTabStop(4320, 0, 0));
             Doc->Paragraphs(0).Format[pfTabTable] = Doc->TabManager().AddTable(table);
             TClickAndTypePlan plan;
             plan.TargetParagraph = 0;
             plan.Steps = {{ctFirstIndent, 360, 0},
                           {ctInsertTab, 5, 0},
                           {ctRemoveTabsFrom, 2880, 0},
                           {ctSetTab, 3600, 1}};
             RoundTripOperation(*Doc, docClickAndType, {&plan});
             EXPECT_EQ(Body(), "Texte\t");
             EXPECT_EQ(Doc->Paragraphs(0).Format[pfFirstIndent], 360);
             const TTabTable* tabs = Doc->TabManager().Tables(Doc->Paragraphs(0).Format[pfTabTable]);
             ASSERT_NE(tabs, nullptr);
             ASSERT_EQ(tabs->Count(), 2);
             EXPECT_EQ(TabStopPosition(tabs->Stops(0)), 1440);
             EXPECT_EQ(TabStopPosition(tabs->Stops(1)), 3600);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(false);
        Clip.Events.clear();
        Clip.TakeWord = false;
        c.Run();
        if (HasFailure())
            return;
    }
}

// Rewriting text into the character set of a chosen language keeps each
// font's family: the variant is looked up by the font's number, which is not
// its place in the program's font table.
TEST_F(RestructuringTest, CharsetOfAChosenLanguageKeepsTheFontFamily)
{
    struct TManagers {
        TManagers() { CreateSharedManagers(); }
        ~TManagers() { FreeSharedManagers(); }
    } managers;
    TFontManager* fonts = GetFontManager();
    ASSERT_NE(fonts, nullptr);
    const int32_t sans = fonts->ArialIndex();
    ASSERT_NE(fonts->RegisteredFonts(sans).FontNumber, sans) << "the fixture needs a number unlike the index";
    constexpr uint8_t RussianCharset = 204;
    const int32_t variant = fonts->GetCharsetVariant(fonts->RegisteredFonts(sans).FontNumber, RussianCharset);
    ASSERT_GE(variant, 0);

    Doc = std::make_unique<TDocument>(false);
    Build({"{0:" + std::to_string(sans) + "}texte{22:2}"});
    uint8_t mode = tmCharset, flags = 0;
    int32_t language = 0x419;
    TTextRange range = MakeRange(0, 0, 0, 5);
    RoundTripOperation(*Doc, docTransformText, {&mode, &range, &flags, &language});
    const std::string text = Text(0);
    EXPECT_NE(text.find("{0:" + std::to_string(variant) + "}"), std::string::npos) << text;
    EXPECT_EQ(fonts->RegisteredFonts(variant).FontNumber, fonts->RegisteredFonts(sans).FontNumber);
}

// A sum of a block goes to the clipboard; a piece that is no expression puts
// nothing there. Neither changes the document.
TEST_F(RestructuringTest, BlockSumPutsTheTotalOnTheClipboardOrNothing)
{
    TCharLayout layout;
    Build({"x 12 y{22:2}", "a 3  b{22:2}", "c{22:2}", "Fin{22:2}"});
    LayOut(layout, 100);
    const std::string before = DumpAll(*Doc);
    TBlockSelection block{{0, 2}, 0, 0, 2, 0, 2, 4};
    Doc->ExecuteOperation(docBlockSum, {&block});
    EXPECT_EQ(Clip.Clipboard, std::vector<std::string>{"15"});
    EXPECT_EQ(Doc->OperationRecorded, 0);
    EXPECT_EQ(DumpAll(*Doc), before);

    Build({"x 12 y{22:2}", "a ab b{22:2}", "Fin{22:2}"});
    LayOut(layout, 100);
    block = {{0, 2}, 0, 0, 1, 0, 2, 4};
    Doc->ExecuteOperation(docBlockSum, {&block});
    EXPECT_EQ(Clip.Clipboard.size(), 1u);
}

// Messages that refuse an operation name it; nothing is recorded.
TEST_F(RestructuringTest, RefusalsNameTheOperationAndRecordNothing)
{
    Build({"un{22:2}", "deux{22:2}"});
    TMessageAnswers answers;
    answers.Expect("(\"la réunion des paragraphes\") ne s'applique qu'à une sélection de plusieurs paragraphes.",
                   mrOk);
    answers.Expect("(\"la mise en majuscules\") ne s'applique qu'à une sélection.", mrOk);
    answers.Expect("au moins deux configurations clavier", mrOk);
    int32_t first = 0, last = 0;
    Doc->ExecuteOperation(docJoinParagraphs, {&first, &last});
    uint8_t mode = tmUpperCase, flags = 0;
    TTextRange empty = MakeRange(0, 1, 0, 1);
    Doc->ExecuteOperation(docTransformText, {&mode, &empty, &flags});
    mode = tmKeyboardLayout;
    TTextRange word = MakeRange(0, 0, 0, 2);
    Doc->ExecuteOperation(docTransformText, {&mode, &word, &flags});
    EXPECT_EQ(answers.Asked().size(), 3u);
    EXPECT_EQ(Undo().Count(), 0);

    // Moving an empty range, or onto itself, records nothing either.
    TTextPosition a{0, 1}, b{0, 1}, target{1, 0};
    uint8_t none = 0;
    Doc->ExecuteOperation(docMoveText, {&a, &b, &target, &none});
    b = {0, 2};
    target = {0, 2};
    Doc->ExecuteOperation(docMoveText, {&a, &b, &target, &none});
    EXPECT_EQ(Undo().Count(), 0);
    // Splitting a paragraph of one line keeps the selection.
    TCharLayout layout;
    LayOut(layout, 100);
    Select(0, 0, 0, 2);
    Doc->ExecuteOperation(docSplitParagraphs, {&first, &last});
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_TRUE(Doc->HasSelection());
}

int g_FailAt = 0;

void FailAtStep(const TSubOperation&)
{
    if (g_FailAt > 0 && --g_FailAt == 0)
        throw EOutOfMemory();
}

// A section break put into a section that has headers: the new section takes
// them over. When any step of that edit fails, the document is as it was,
// and no step of the abandoned edit touches the section that went with it.
TEST_F(RestructuringTest, AFailedSectionBreakLeavesTheDocumentAsItWas)
{
    for (int failAt = 1; failAt <= 6; ++failAt) {
        SCOPED_TRACE(failAt);
        Doc = std::make_unique<TDocument>(false);
        BuildWithNotes();
        Caret(0, 3);
        const std::string before = DumpAll(*Doc);
        g_FailAt = failAt;
        const TSubOperationFaultHook previous = SetSubOperationFaultHook(&FailAtStep);
        bool failed = false;
        try {
            TypeText(std::string("\x0C\x00\x01", 3));
        } catch (const EOutOfMemory&) {
            failed = true;
        }
        SetSubOperationFaultHook(previous);
        g_FailAt = 0;
        if (!failed) {
            // Every step went through: the first section's header moved to
            // the new section that ends at the break.
            EXPECT_NE(Doc->GetSectionOfParagraph(0).HeadersFooters[0], nullptr);
            EXPECT_EQ(Doc->GetSectionOfParagraph(1).HeadersFooters[0], nullptr);
            Undo().Undo();
        }
        EXPECT_EQ(DumpAll(*Doc), before);
        ExpectDocumentConsistent(*Doc);
    }
}

// The caret goes back to where the last edit left it, unless that lies
// outside the part being edited.
TEST_F(RestructuringTest, GoToLastEditStaysInThePartBeingEdited)
{
    BuildWithNotes();
    Caret(4, 3);
    TypeText("x");
    Caret(0, 0);
    Doc->GoToLastEdit();
    EXPECT_EQ(Doc->Caret.Paragraph, 4);
    EXPECT_EQ(Doc->Caret.Offset, 4);
    // Undone: the caret before the first edit.
    Undo().Undo();
    Caret(0, 1);
    Doc->GoToLastEdit();
    EXPECT_EQ(Doc->Caret.Paragraph, 4);
    EXPECT_EQ(Doc->Caret.Offset, 3);
    // A header being edited: the body's last edit does not move the caret.
    Undo().Redo();
    Doc->EditedHeaderFooter = S0->HeadersFooters[0];
    const int32_t header = Doc->StoryFirst(stHeadersFooters);
    Caret(header, 2);
    Doc->GoToLastEdit();
    EXPECT_EQ(Doc->Caret.Paragraph, header);
    EXPECT_EQ(Doc->Caret.Offset, 2);
    Doc->EditedHeaderFooter = nullptr;
}

// Page groups: from the first section of the start's page to the end of the
// sections that continue on the end's page, never beyond the body.
TEST_F(RestructuringTest, RangesWidenToWholePageGroups)
{
    BuildFixture();
    TTextRange out;
    ExtendRangeToSections(*Doc, MakeRange(1, 2, 2, 3), out);
    EXPECT_EQ(out.Start.Paragraph, 0);
    EXPECT_EQ(out.Start.Offset, 2);
    EXPECT_EQ(out.End.Paragraph, 3);
    EXPECT_EQ(out.End.Offset, 3);
    // Continuous breaks join the sections that follow, up to the body's end.
    S0->Settings[ssBreakKind] = sbContinuous;
    S1->Settings[ssBreakKind] = sbContinuous;
    ExtendRangeToSections(*Doc, MakeRange(0, 0, 0, 1), out);
    EXPECT_EQ(out.End.Paragraph, 5);
    ExtendRangeToSections(*Doc, MakeRange(4, 0, 5, 1), out);
    EXPECT_EQ(out.Start.Paragraph, 0);
    EXPECT_EQ(out.End.Paragraph, 5);
}

// The scopes that the page-setup and column dialogs offer, and the default.
TEST_F(RestructuringTest, ScopesOfferedFollowTheSelectionAndTheSections)
{
    TStringList list;
    auto names = [&] {
        std::string out;
        for (int32_t i = 0; i < list.Count(); ++i)
            out += (i ? ";" : "") + std::to_string(reinterpret_cast<uintptr_t>(list.Objects(i)));
        return out;
    };
    Build({"Un deux{22:2}", "Trois{22:2}"});
    struct TScopeCase {
        int32_t P1, O1, P2, O2;
        const char* Expected;
        uint8_t Default;
    };
    for (const TScopeCase& c : std::vector<TScopeCase>{
             {0, 3, 0, 3, "0;1", 0},  // one section, caret inside
             {0, 0, 0, 0, "0", 0},    // at the very start
             {1, 5, 1, 5, "0", 0},    // at the end
             {0, 1, 0, 4, "2;0", 2},  // a selection
             {0, 0, 1, 6, "0", 0},    // the whole body
         }) {
        Select(c.P1, c.O1, c.P2, c.O2);
        uint8_t scope = NoApplyToScope;
        FillApplyToScopes(*Doc, list, scope);
        EXPECT_EQ(names(), c.Expected) << c.P1 << ":" << c.O1 << ".." << c.P2 << ":" << c.O2;
        EXPECT_EQ(scope, c.Default);
    }
    EXPECT_EQ(list.Strings(0), "à tout le document");

    BuildFixture();
    uint8_t scope = atWholeDocument;
    Select(0, 1, 0, 3);
    FillApplyToScopes(*Doc, list, scope);
    EXPECT_EQ(names(), "2;3;0");
    EXPECT_EQ(scope, atSelection);
    Select(0, 1, 3, 3);
    FillApplyToScopes(*Doc, list, scope);
    EXPECT_EQ(names(), "4;2;0");
    Caret(2, 3);
    scope = atFromHere;
    FillApplyToScopes(*Doc, list, scope);
    EXPECT_EQ(names(), "3;0;1");
    EXPECT_EQ(scope, atFromHere);
}

// Page set-up and columns applied to a scope: the section breaks the scope
// needs, one undo step, undone and redone byte for byte.
TEST_F(RestructuringTest, PageSetupAppliedToAScope)
{
    TPageParams params;
    std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
    params[ppLeftMargin] = 2000;
    TSectionSettings columns;
    std::fill(std::begin(columns.Values), std::end(columns.Values), NotSet);
    columns[ssColumnCount] = 2;
    struct TScopeCase {
        const char* Name;
        uint8_t Scope;
        uint8_t Mode;
        int32_t P1, O1, P2, O2;
        int32_t Sections;  // afterwards
        uint8_t Kind;
    };
    for (const TScopeCase& c : std::vector<TScopeCase>{
             {"selection inside one paragraph", atSelection, sfPageSetup, 0, 3, 0, 7, 3, okPageSetup},
             {"whole document, columns", atWholeDocument, sfColumns, 0, 2, 0, 2, 1, okSectionFormat},
             {"whole document", atWholeDocument, sfPageSetup, 0, 2, 0, 2, 1, okPageSetup},
             {"from the caret on", atFromHere, sfPageSetup, 1, 2, 1, 2, 2, okPageSetup},
             {"this section", atThisSection, sfPageSetup, 1, 2, 1, 2, 1, okPageSetup},
         }) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(false);
        Build({"Un deux trois{22:2}", "Quatre cinq{22:2}", "Six{22:2}"});
        Select(c.P1, c.O1, c.P2, c.O2);
        const std::string before = DumpAll(*Doc);
        ApplySectionFormatToScope(*Doc, c.Scope, c.Mode, c.Mode == sfPageSetup ? static_cast<const void*>(&params)
                                                                             : static_cast<const void*>(&columns));
        ASSERT_EQ(Undo().Count(), 1);
        EXPECT_EQ(Undo().Operations(0).Kind, c.Kind);
        EXPECT_EQ(Doc->SectionCount(), c.Sections);
        ExpectDocumentConsistent(*Doc);
        const std::string after = DumpAll(*Doc);
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), before);
        Undo().Redo();
        EXPECT_EQ(DumpAll(*Doc), after);
        // The scope's sections have the new margin, the others keep theirs.
        if (c.Scope == atSelection) {
            EXPECT_EQ(Body(), "Un §|deux§| trois|Quatre cinq|Six");
            EXPECT_EQ(Doc->GetSectionOfParagraph(1).PageParams[ppLeftMargin], 2000);
            EXPECT_NE(Doc->GetSectionOfParagraph(0).PageParams[ppLeftMargin], 2000);
            EXPECT_NE(Doc->GetSectionOfParagraph(2).PageParams[ppLeftMargin], 2000);
        }
        if (c.Scope == atFromHere) {
            EXPECT_EQ(Body(), "Un deux trois|Qu§|atre cinq|Six");
            EXPECT_NE(Doc->GetSectionOfParagraph(0).PageParams[ppLeftMargin], 2000);
            EXPECT_EQ(Doc->GetSectionOfParagraph(2).PageParams[ppLeftMargin], 2000);
        }
    }
}

}  // namespace
