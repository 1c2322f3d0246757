// Styles applied, created, redefined, renamed and deleted through the
// dispatcher, with based-on chains and following styles, each undone and
// redone byte for byte (the style list included); format stepping of
// character attributes and of indents and spacing; the format painter.
#include "document/FormattingFixtures.h"
#include "document/steps/FormatStyleListOperation.h"
#include "document/styles/StyleOperations.h"
#include "foundation/MessageAnswers.h"

#include <string>

namespace {

// The style list as text: every style's names, relatives and set slots.
std::string DumpStyles(const TStyleList& styles)
{
    std::string out;
    for (int32_t i = 0; i < styles.Count(); ++i) {
        const TStyle& style = styles[i];
        out += std::to_string(i) + " " + style.Name + "/" + style.DisplayName + " std " +
               std::to_string(style.StandardNumber) + " base " + std::to_string(style.BasedOn) + " next " +
               std::to_string(style.NextStyle) + " char";
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (style.CharFormat[slot] != NotSet)
                out += " " + std::to_string(slot) + "=" + std::to_string(style.CharFormat[slot]);
        out += " par";
        for (int slot = 0; slot < TParFormat::Count; ++slot)
            if (style.ParFormat[slot] != NotSet)
                out += " " + std::to_string(slot) + "=" + std::to_string(style.ParFormat[slot]);
        out += "\n";
    }
    return out;
}

class StyleOperationsTest : public FormattingTest {
protected:
    int32_t Quote = -1;

    void SetUp() override
    {
        BuildFixture();
        // "Citation": italic, based on "Titre", followed by "Normal".
        auto quote = std::make_unique<TStyle>(&Doc->Styles());
        quote->Name = quote->DisplayName = "Citation";
        ClearCharFormat(quote->CharFormat);
        ClearParFormat(quote->ParFormat);
        quote->CharFormat[cfItalic] = 1;
        quote->BasedOn = TitleStyle;
        quote->NextStyle = 0;
        Quote = Doc->Styles().Add(std::move(quote));
    }

    std::string State() { return DumpAll(*Doc) + DumpStyles(Doc->Styles()); }

    // Through the dispatcher; undone, redone, undone and redone again, each
    // state byte for byte the one before or after (text, formats, objects
    // and the style list). Returns the state after.
    std::string RoundTrip(TDocOperationCode code, std::initializer_list<void*> params)
    {
        const std::string before = State();
        const int32_t current = Undo().CurrentIndex();
        Doc->ExecuteOperation(code, params);
        EXPECT_EQ(Undo().CurrentIndex(), current + 1) << "nothing was recorded";
        const std::string after = State();
        EXPECT_NE(after, before);
        ExpectDocumentConsistent(*Doc);
        for (int i = 0; i < 2; ++i) {
            Undo().Undo();
            EXPECT_EQ(State(), before);
            Undo().Redo();
            EXPECT_EQ(State(), after);
        }
        return after;
    }

    std::unique_ptr<TFormatStyleListInfo> NewList()
    {
        auto info = std::make_unique<TFormatStyleListInfo>();
        info->Styles = std::make_unique<TStyleList>(Doc.get(), &Doc->TabManager());
        info->Styles->Assign(Doc->Styles());
        return info;
    }

    TCharFormat At(int32_t paragraph, int32_t offset) { return CharFormatsOf(*Doc)[paragraph][offset]; }
};

TEST_F(StyleOperationsTest, ApplyingAStyleKeepsDirectFormattingAgainstTheOldStyle)
{
    // Paragraph 0: "Un " plain, "deux trois" bold, " quatre" plain, in Normal.
    TTextRange range = MakeRange(0, 5, 0, 5);
    int32_t style = TitleStyle;
    uint8_t reset = 1;
    RoundTrip(docApplyStyle, {&range, &style, &reset});
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfStyle], TitleStyle);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 1);
    // Text like Normal takes the heading's bold and size; the bold run stays
    // the opposite of its style.
    EXPECT_EQ(At(0, 0)[cfBold], 1);
    EXPECT_EQ(At(0, 0)[cfSize], 32);
    EXPECT_EQ(At(0, 4)[cfBold], 0);
    EXPECT_EQ(At(0, 4)[cfSize], 32);
    EXPECT_EQ(At(0, 15)[cfBold], 1);
    // The other paragraphs are untouched.
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfStyle], 0);

    // Back to Normal from the heading: its own bold goes with it.
    range = MakeRange(0, 0, 0, 0);
    Caret(0, 0);
    style = 0;
    RoundTrip(docApplyStyle, {&range, &style, &reset});
    EXPECT_EQ(At(0, 0)[cfBold], 0);
    EXPECT_EQ(At(0, 4)[cfBold], 1);
    EXPECT_EQ(At(0, 0)[cfSize], 24);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 0) << "Normal's full format aligns left";
}

TEST_F(StyleOperationsTest, WithoutResetOnlyTheStyleIndexChanges)
{
    const auto before = CharFormatsOf(*Doc);
    TTextRange range = MakeRange(0, 0, 1, 2);
    int32_t style = Quote;
    uint8_t reset = 0;
    RoundTrip(docApplyStyle, {&range, &style, &reset});
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfStyle], Quote);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfStyle], Quote);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfLeftIndent], 720);
    EXPECT_EQ(CharFormatsOf(*Doc), before);
}

TEST_F(StyleOperationsTest, HyperlinkRunsKeepTheirColourAndUnderline)
{
    TField& link = Doc->AddRangeObject(rkField);
    link.Type = 88;
    link.Instruction = "HYPERLINK \"http://exemple.fr\"";
    Build({"Voir " + Rec(icRangeStart, link.Handle()) + "{6:1}{14:255}ici" + Rec(icRangeEnd, link.Handle()) +
           "{6:0}{14:0} fin{22:2}"});
    Doc->RefreshRangeObjectPositions();
    // The object list in text order, as edits keep it.
    Doc->RangeObjectsUnsorted = 1;
    Doc->FindRangeAt({0, 0});
    Doc->Styles()[TitleStyle].CharFormat[cfUnderline] = 0;
    Doc->Styles()[TitleStyle].CharFormat[cfColor] = 77;
    TTextRange range = MakeRange(0, 0, 0, 0);
    int32_t style = TitleStyle;
    uint8_t reset = 1;
    RoundTrip(docApplyStyle, {&range, &style, &reset});
    EXPECT_EQ(At(0, 5)[cfUnderline], 1);
    EXPECT_EQ(At(0, 5)[cfColor], 255);
    EXPECT_EQ(At(0, 5)[cfBold], 1);
    EXPECT_EQ(At(0, 0)[cfColor], 77);
}

TEST_F(StyleOperationsTest, StylesCreatedRenamedAndDeletedThroughTheStyleList)
{
    // A style made from the selection's formats, based on "Citation" (so on
    // "Titre" and "Normal"), applied to the selected paragraph at once.
    Select(4, 0, 4, 8);
    auto info = NewList();
    auto made = std::make_unique<TStyle>(info->Styles.get());
    made->Name = made->DisplayName = "Encadré";
    ClearCharFormat(made->CharFormat);
    ClearParFormat(made->ParFormat);
    made->CharFormat[cfSize] = 20;
    made->ParFormat[pfAlignment] = 3;
    made->BasedOn = Quote;
    made->NextStyle = 0;
    const int32_t madeIndex = info->Styles->Add(std::move(made));
    info->StyleIndex = madeIndex;
    info->Apply = 1;
    TTextRange range = MakeRange(4, 0, 4, 8);
    RoundTrip(docChangeStyleList, {&range, &info});
    EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Kind, okStyleChange);
    ASSERT_EQ(Doc->Styles().Count(), 4);
    EXPECT_EQ(Doc->Paragraphs(4).Format[pfStyle], madeIndex);
    // The whole chain shows: italic from "Citation", bold from "Titre",
    // the size of its own.
    EXPECT_EQ(At(4, 0)[cfItalic], 1);
    EXPECT_EQ(At(4, 0)[cfBold], 1);
    EXPECT_EQ(At(4, 0)[cfSize], 20);

    // Renamed: the paragraphs keep it.
    info = NewList();
    (*info->Styles)[madeIndex].Name = (*info->Styles)[madeIndex].DisplayName = "Cadre";
    RoundTrip(docChangeStyleList, {&range, &info});
    EXPECT_EQ(Doc->Styles()[madeIndex].DisplayName, "Cadre");
    EXPECT_EQ(Doc->Paragraphs(4).Format[pfStyle], madeIndex);

    // Deleted "Citation": the new style is now based on "Titre", its
    // paragraph keeps it.
    info = NewList();
    info->Styles->Delete(Quote);
    info->Deleted.push_back(Quote);
    RoundTrip(docChangeStyleList, {&range, &info});
    ASSERT_EQ(Doc->Styles().Count(), 3);
    EXPECT_EQ(Doc->Styles()[2].DisplayName, "Cadre");
    EXPECT_EQ(Doc->Styles()[2].BasedOn, TitleStyle);
    EXPECT_EQ(Doc->Paragraphs(4).Format[pfStyle], 2);
}

TEST_F(StyleOperationsTest, FollowingStyleAfterEnter)
{
    Doc->Styles()[TitleStyle].NextStyle = Quote;
    Caret(2, 13);
    Type("\r");
    EXPECT_EQ(Doc->Paragraphs(3).Format[pfStyle], Quote);
    Undo().Undo();
    EXPECT_EQ(Doc->Paragraphs(3).Format[pfStyle], 0);
}

TEST_F(StyleOperationsTest, RedefiningAStyleFromTheSelection)
{
    // Paragraph 2 ("Titre"): 14 pt then 12 pt. The caret's paragraph gives
    // its format, the selection's start its characters.
    Select(2, 0, 2, 4);
    Doc->Paragraphs(2).Format[pfSpaceAfter] = 120;
    RoundTrip(docUpdateStyleFromSelection, {});
    EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Kind, 28);
    const TStyle& title = Doc->Styles()[TitleStyle];
    // Differences from "Normal" (the program defaults here).
    EXPECT_EQ(title.CharFormat[cfSize], 28);
    EXPECT_EQ(title.CharFormat[cfBold], NotSet);
    EXPECT_EQ(title.ParFormat[pfAlignment], NotSet);
    EXPECT_EQ(title.ParFormat[pfSpaceAfter], 120);
    EXPECT_EQ(title.ParFormat[pfStyle], TitleStyle);
    EXPECT_EQ(title.CharFormat[cfLanguage], NotSet);

    // Once more: nothing differs, nothing is recorded.
    const int32_t count = Undo().Count();
    Doc->ExecuteOperation(docUpdateStyleFromSelection, {});
    EXPECT_EQ(Undo().Count(), count);

    // Over paragraphs of two styles: the message, and nothing changes.
    TMessageAnswers answers;
    answers.Expect("la mise à jour des styles\") ne peut s'appliquer qu'à une sélection de paragraphes relevant du "
                   "même style",
                   mrOk);
    Select(1, 0, 2, 3);
    const std::string before = State();
    Doc->ExecuteOperation(docUpdateStyleFromSelection, {});
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Undo().Count(), count);
}

TEST_F(StyleOperationsTest, ARedefinedBaseStyleReachesTheStylesBasedOnIt)
{
    Doc->Paragraphs(3).Format[pfStyle] = Quote;
    // "Normal" redefined from paragraph 0 made 11 pt.
    for (int32_t i = 0; i < 2; ++i) {
        TTextRange all = MakeRange(0, 0, 0, 17);
        TCharFormat size;
        ClearCharFormat(size);
        size[cfSize] = 22;
        uint8_t flags = 0;
        Doc->ExecuteOperation(docFormatText, {&all, &size, &flags});
    }
    Select(0, 0, 0, 3);
    RoundTrip(docUpdateStyleFromSelection, {});
    EXPECT_EQ(Doc->Styles()[0].CharFormat[cfSize], 22);
    // "Citation" inherits it through "Titre" unless the chain sets it.
    TCharFormat full;
    TParFormat par;
    Doc->Styles()[Quote].GetFullFormat(full, par, 0);
    EXPECT_EQ(full[cfSize], 32);
    EXPECT_EQ(full[cfItalic], 1);
    EXPECT_EQ(full[cfBold], 1);
}

TEST_F(StyleOperationsTest, CharacterAttributeStepping)
{
    struct TCase {
        const char* Name;
        TTextRange Range;
        int32_t Slot;
        int32_t Step;
        int32_t Paragraph;
        std::vector<std::pair<int32_t, int32_t>> Expected;  // offset, value
    };
    // Paragraph 2: "Huit neuf" 14 pt, " dix" 12 pt.
    const TCase cases[] = {
        {"uniform size up", MakeRange(2, 0, 2, 4), cfSize, 1, 2, {{0, 29}, {4, 28}}},
        {"mixed size down", MakeRange(2, 2, 2, 12), cfSize, -1, 2, {{0, 28}, {2, 27}, {10, 23}, {12, 24}}},
        {"next preset size", MakeRange(2, 0, 2, 4), cfSize, 2000, 2, {{0, 32}}},
        {"percentage", MakeRange(2, 10, 2, 12), cfSize, 2150, 2, {{10, 36}}},
        {"letter spacing", MakeRange(0, 0, 0, 2), cfLetterSpacing, 20, 0, {{0, 20}, {2, 0}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTextRange range = c.Range;
        int32_t slot = c.Slot;
        int32_t step = c.Step;
        RoundTrip(docScaleCharAttribute, {&range, &slot, &step});
        for (const auto& [offset, value] : c.Expected)
            EXPECT_EQ(At(c.Paragraph, offset)[c.Slot], value) << "at " << offset;
        Undo().Undo();
    }

    // An empty range steps the typing format only.
    Caret(2, 2);
    Doc->PrepareTypingFormat({2, 2}, 1);
    TTextRange empty = MakeRange(2, 2, 2, 2);
    int32_t slot = cfSize;
    int32_t step = -2;
    const std::string before = State();
    Doc->ExecuteOperation(docScaleCharAttribute, {&empty, &slot, &step});
    EXPECT_EQ(Doc->SelCharFormat[cfSize], 26);
    EXPECT_EQ(State(), before);
}

TEST_F(StyleOperationsTest, ParagraphStepping)
{
    // The page is 12240 x 15840 with one-inch margins: text width 9360.
    TPageParams& page = S0->PageParams;
    page[ppPaperWidth] = 12240;
    page[ppPaperHeight] = 15840;
    page[ppLeftMargin] = page[ppRightMargin] = 1440;
    ValidatePageParams(page);
    const int32_t width = S0->PageParams[ppTextWidth];
    struct TCase {
        const char* Name;
        uint8_t Mode;
        int32_t Amount;
        int32_t First, Left, SpaceBefore, SpaceAfter;  // before
        int32_t NewFirst, NewLeft, NewBefore, NewAfter;
    };
    const int32_t cap = 15840 * 40 / 100;
    const TCase cases[] = {
        {"indent", psmLeftIndent, 360, 0, 500, 0, 0, 0, 860, 0, 0},
        {"indent within the width", psmLeftIndent, 5000, 0, 9000, 0, 0, 0, width, 0, 0},
        {"outdent not below 0", psmLeftIndent, -720, -300, 500, 0, 0, 0, 0, 0, 0},
        {"hanging line kept within", psmLeftIndent, -360, -300, 500, 0, 0, -140, 140, 0, 0},
        {"first line stays", psmLeftIndentKeepFirst, 360, 100, 500, 0, 0, -260, 860, 0, 0},
        {"hanging indent", psmHanging, 0, -100, 500, 0, 0, -270, 670, 0, 0},
        {"no hanging indent", psmNoHanging, 0, -100, 500, 0, 0, 0, 400, 0, 0},
        {"less space before", psmSpaceBeforeLess, 0, 0, 0, 40, 0, 0, 0, 0, 0},
        {"more space before", psmSpaceBeforeMore, 0, 0, 0, 120, 0, 0, 0, 180, 0},
        {"space before capped", psmSpaceBeforeMore, 0, 0, 0, cap - 30, 0, 0, 0, cap, 0},
        {"more space after", psmSpaceAfterMore, 0, 0, 0, 0, 60, 0, 0, 0, 120},
        {"less space after", psmSpaceAfterLess, 0, 0, 0, 0, 100, 0, 0, 0, 40},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int32_t p : {0, 1}) {
            TParFormat& format = Doc->Paragraphs(p).Format;
            format[pfFirstIndent] = c.First;
            format[pfLeftIndent] = c.Left;
            format[pfSpaceBefore] = c.SpaceBefore;
            format[pfSpaceAfter] = c.SpaceAfter;
        }
        TTextRange range = MakeRange(0, 2, 1, 3);
        uint8_t mode = c.Mode;
        int32_t amount = c.Amount;
        const std::string before = State();
        Doc->ExecuteOperation(docStepParagraphFormat, {&range, &mode, &amount});
        for (int32_t p : {0, 1}) {
            const TParFormat& format = Doc->Paragraphs(p).Format;
            EXPECT_EQ(format[pfFirstIndent], c.NewFirst);
            EXPECT_EQ(format[pfLeftIndent], c.NewLeft);
            EXPECT_EQ(format[pfSpaceBefore], c.NewBefore);
            EXPECT_EQ(format[pfSpaceAfter], c.NewAfter);
        }
        EXPECT_EQ(Doc->Paragraphs(2).Format[pfLeftIndent], 0);
        if (State() != before) {
            Undo().Undo();
            EXPECT_EQ(State(), before);
        }
    }
}

TEST_F(StyleOperationsTest, TheFormatPainter)
{
    TFormatPainterRecord record;
    ClearCharFormat(record.Char);
    ClearParFormat(record.Par);
    record.Char[cfItalic] = 1;
    record.Char[cfHighlight] = 5;
    Select(0, 0, 0, 2);
    int32_t byStyle = 0;
    RoundTrip(docApplyFormatPainter, {&record, &byStyle});
    EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Kind, 10);
    EXPECT_EQ(At(0, 0)[cfItalic], 1);
    EXPECT_EQ(At(0, 0)[cfHighlight], DefaultCharFormat()[cfHighlight]) << "the highlight is never painted";
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 0);

    // With a paragraph part: the caret's paragraph takes it.
    record.Par[pfAlignment] = 2;
    Caret(1, 2);
    RoundTrip(docApplyFormatPainter, {&record, &byStyle});
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfAlignment], 2);

    // By style name, found without regard to case.
    record.StyleName = "titre";
    byStyle = 1;
    Select(4, 0, 5, 1);
    RoundTrip(docApplyFormatPainter, {&record, &byStyle});
    EXPECT_EQ(Doc->Paragraphs(4).Format[pfStyle], TitleStyle);
    EXPECT_EQ(Doc->Paragraphs(5).Format[pfStyle], TitleStyle);
    EXPECT_EQ(At(5, 0)[cfItalic], 0);

    // An unknown name changes nothing.
    record.StyleName = "Inconnu";
    const int32_t count = Undo().Count();
    Doc->ExecuteOperation(docApplyFormatPainter, {&record, &byStyle});
    EXPECT_EQ(Undo().Count(), count);
}

}  // namespace
