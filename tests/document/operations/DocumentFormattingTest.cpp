// Format operations through the dispatcher over one fixture document of three
// sections: character and paragraph formats, tabs, reset to style, section
// formats, section breaks and page set-up over selections that start and end
// inside runs and span paragraphs and sections, each undone and redone byte
// for byte; and the rules of the routines and their steps.
#include "document/FormattingFixtures.h"
#include "document/steps/ChangePageParamsOperation.h"
#include "document/steps/FormatSectionOperation.h"
#include "document/steps/FormatTextOperation.h"

#include <functional>
#include <random>

namespace {

// Every character inside the range has the value in the slot and its other
// slots as before; every character outside it is as before.
void ExpectSlotOverRange(const std::vector<std::vector<TCharFormat>>& before,
                         const std::vector<std::vector<TCharFormat>>& after, const TTextRange& range, int slot,
                         int32_t value)
{
    ASSERT_EQ(before.size(), after.size());
    for (size_t p = 0; p < after.size(); ++p) {
        ASSERT_EQ(before[p].size(), after[p].size()) << "paragraph " << p;
        for (size_t o = 0; o < after[p].size(); ++o) {
            const TTextPosition at{static_cast<int32_t>(p), static_cast<int32_t>(o)};
            TCharFormat expected = before[p][o];
            if (TextPosInRange(at, range))
                expected[slot] = value;
            EXPECT_EQ(after[p][o], expected) << "character " << p << ":" << o;
        }
    }
}

class DocumentFormattingTest : public FormattingTest {
protected:
    void SetUp() override { BuildFixture(); }

    void Fresh()
    {
        Doc = std::make_unique<TDocument>(false);
        BuildFixture();
    }

    // A character format that sets one slot.
    static TCharFormat One(int slot, int32_t value)
    {
        TCharFormat format;
        ClearCharFormat(format);
        format[slot] = value;
        return format;
    }

    void CharCase(const TTextRange& range, int slot, int32_t value)
    {
        Select(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);
        const auto before = CharFormatsOf(*Doc);
        TTextRange target = range;
        TCharFormat format = One(slot, value);
        uint8_t flags = 0;
        RoundTrip(docFormatText, {&target, &format, &flags});
        ExpectSlotOverRange(before, CharFormatsOf(*Doc), range, slot, value);
    }
};

TEST_F(DocumentFormattingTest, FormatsThroughTheDispatcherUndoAndRedoByteForByte)
{
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"bold from inside one run into another",
         [&] {
             CharCase(MakeRange(0, 1, 0, 5), cfBold, 1);
             EXPECT_EQ(Text(0), "U{2:1}n deux trois{2:0} quatre{22:2}");
         }},
        {"italic over three paragraphs, from inside a run to inside a run",
         [&] {
             CharCase(MakeRange(0, 8, 2, 3), cfItalic, 1);
             EXPECT_EQ(Text(1), "{3:1}Cinq six sept" + SectionBreak(*S0));
             EXPECT_EQ(Text(2), "{1:28}{3:1}Hui{3:0}t neuf{1:24} dix{22:2}");
         }},
        {"size across a section break", [&] { CharCase(MakeRange(1, 2, 2, 5), cfSize, 20); }},
        {"colour over the whole body, fields and bookmarks kept",
         [&] {
             CharCase(MakeRange(0, 0, 5, 4), cfColor, 5);
             EXPECT_EQ(Doc->RangeObjects().size(), 2u);
             EXPECT_EQ(Plain(4), "Quatorze 15 seize\x02");
         }},
        {"alignment over paragraphs of three sections",
         [&] {
             Select(1, 3, 4, 2);
             TTextRange range = MakeRange(1, 3, 4, 2);
             TParFormat format;
             ClearParFormat(format);
             format[pfAlignment] = 2;
             RoundTrip(docFormatParagraphs, {&range, &format});
             for (int32_t p = 0; p < 6; ++p)
                 EXPECT_EQ(Doc->Paragraphs(p).Format[pfAlignment], p >= 1 && p <= 4 ? 2 : 0) << p;
         }},
        {"a hanging first line keeps the first line in place",
         [&] {
             Caret(1, 2);
             TTextRange range = MakeRange(1, 2, 1, 2);
             TParFormat format;
             ClearParFormat(format);
             format[pfFirstIndent] = -360;
             RoundTrip(docFormatParagraphs, {&range, &format});
             EXPECT_EQ(Doc->Paragraphs(1).Format[pfLeftIndent], 1080);
             EXPECT_EQ(Doc->Paragraphs(1).Format[pfFirstIndent], -360);
         }},
        {"tab table and default interval of the selected paragraphs",
         [&] {
             TTabTable table;
             table.AddTab(PackTabStop(1440, tkRight, 1));
             TTabChange change;
             change.DefaultInterval = 1000;
             change.TableIndex = Doc->TabManager().AddTable(table);
             Select(2, 1, 3, 2);
             RoundTrip(docFormatTabs, {&change});
             EXPECT_EQ(Doc->TabManager().DefaultInterval(), 1000);
             for (int32_t p = 0; p < 6; ++p)
                 EXPECT_EQ(Doc->Paragraphs(p).Format[pfTabTable], p == 2 || p == 3 ? change.TableIndex : -1) << p;
         }},
        {"characters back to their styles over two styles",
         [&] {
             Select(1, 2, 2, 6);
             TTextRange range = MakeRange(1, 2, 2, 6);
             uint8_t what = 1;
             RoundTrip(docResetFormatToStyle, {&range, &what});
             EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Kind, okCharFormat);
             const auto formats = CharFormatsOf(*Doc);
             EXPECT_EQ(formats[1][6][cfItalic], 0);  // "six" in Normal
             EXPECT_EQ(formats[1][1][cfItalic], 0);
             EXPECT_EQ(formats[2][0][cfBold], 1);  // "Huit" in Titre
             EXPECT_EQ(formats[2][0][cfSize], 32);
             EXPECT_EQ(formats[2][6][cfSize], 28);  // after the range: as before
         }},
        {"paragraphs back to their styles",
         [&] {
             Select(1, 2, 2, 6);
             TTextRange range = MakeRange(1, 2, 2, 6);
             uint8_t what = 0;
             RoundTrip(docResetFormatToStyle, {&range, &what});
             EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Kind, okParagraphFormat);
             EXPECT_EQ(Doc->Paragraphs(1).Format[pfLeftIndent], 0);
             EXPECT_EQ(Doc->Paragraphs(2).Format[pfAlignment], 1);
             EXPECT_EQ(Doc->Paragraphs(4).Format[pfAlignment], 3);
         }},
        {"two columns for the sections of a selection",
         [&] {
             Select(1, 2, 2, 3);
             TTextRange range = MakeRange(1, 2, 2, 3);
             TSectionSettings settings;
             std::fill(std::begin(settings.Values), std::end(settings.Values), NotSet);
             settings[ssColumnCount] = 2;
             settings[ssColumnSpacing] = 360;
             RoundTrip(docFormatSections, {&range, &settings});
             EXPECT_EQ(S0->Settings[ssColumnCount], 2);
             EXPECT_EQ(S1->Settings[ssColumnSpacing], 360);
             EXPECT_EQ(S1->BreakKind(), sbNewPage);
             EXPECT_EQ(Doc->Sections(2).Settings[ssColumnCount], 1);
         }},
        {"a section break made continuous",
         [&] {
             int32_t paragraph = 1;
             uint8_t kind = sbContinuous;
             RoundTrip(docChangeSectionBreak, {&paragraph, &kind});
             EXPECT_EQ(S0->BreakKind(), sbContinuous);
             // The next section's pages now follow the first section's set-up.
             EXPECT_EQ(&Doc->GetPageSection(2), S0);
         }},
        {"a left margin is held to 40 % of the paper width",
         [&] {
             Caret(0, 2);
             TTextRange scope = MakeRange(0, 2, 0, 2);
             TPageParams params;
             std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
             params[ppLeftMargin] = 6000;
             RoundTrip(docChangePageParams, {&params, &scope});
             EXPECT_EQ(S0->PageParams[ppLeftMargin], 4762);
             EXPECT_EQ(S0->PageParams[ppRightMargin], 1417);
             EXPECT_EQ(S1->PageParams[ppLeftMargin], 1417);
         }},
        {"a margin alone is held to 40 % rounded down",
         [&] {
             // 40 % of 11907 is 4762.8, of 16839 is 6735.6.
             S0->PageParams[ppPaperWidth] = 11907;
             S0->PageParams[ppPaperHeight] = 16839;
             ValidatePageParams(S0->PageParams);
             Caret(0, 2);
             TTextRange scope = MakeRange(0, 2, 0, 2);
             TPageParams params;
             std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
             params[ppRightMargin] = 6000;
             RoundTrip(docChangePageParams, {&params, &scope});
             EXPECT_EQ(S0->PageParams[ppRightMargin], 4762);
             params[ppRightMargin] = NotSet;
             params[ppFooterDistance] = 9000;
             RoundTrip(docChangePageParams, {&params, &scope});
             EXPECT_EQ(S0->PageParams[ppFooterDistance], 6735);
         }},
        {"the pages of two sections turned",
         [&] {
             TTextRange scope = MakeRange(1, 0, 2, 0);
             TPageParams params;
             std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
             RoundTrip(docChangePageParams, {&params, &scope});
             for (TSection* section : {S0, S1}) {
                 EXPECT_EQ(section->PageParams[ppOrientation], 1);
                 EXPECT_EQ(section->PageParams[ppPaperWidth], 16838);
                 EXPECT_EQ(section->PageParams[ppPaperHeight], 11905);
                 EXPECT_EQ(section->PageParams[ppTopMargin], 1417);
             }
             EXPECT_EQ(Doc->Sections(2).PageParams[ppOrientation], 0);
         }},
        {"a new paper size is not a turn of the pages",
         [&] {
             TTextRange scope = MakeRange(4, 0, 4, 0);
             TPageParams params;
             std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
             params[ppPaperWidth] = 12240;
             params[ppPaperHeight] = 15840;
             RoundTrip(docChangePageParams, {&params, &scope});
             const TPageParams& page = Doc->Sections(2).PageParams;
             EXPECT_EQ(page[ppPaperWidth], 12240);
             EXPECT_EQ(page[ppPaperHeight], 15840);
             EXPECT_EQ(page[ppOrientation], 0);
             EXPECT_EQ(page[ppLeftMargin], 1417);
             EXPECT_EQ(page[ppTextWidth], 12240 - 2 * 1417);
             EXPECT_EQ(S0->PageParams[ppPaperWidth], 11905);
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

// One undo takes a whole mixed series back, one redo brings it again.
TEST_F(DocumentFormattingTest, ASeriesOfFormatsIsTakenBackInOrder)
{
    const std::string start = DumpAll(*Doc);
    std::vector<std::string> states{start};
    TTextRange range = MakeRange(0, 4, 3, 7);
    TCharFormat bold = One(cfBold, 0);
    uint8_t flags = 0;
    Select(0, 4, 3, 7);
    Doc->ExecuteOperation(docFormatText, {&range, &bold, &flags});
    states.push_back(DumpAll(*Doc));
    TCharFormat size = One(cfSize, 30);
    Doc->ExecuteOperation(docFormatText, {&range, &size, &flags});
    states.push_back(DumpAll(*Doc));
    TParFormat par;
    ClearParFormat(par);
    par[pfSpaceAfter] = 120;
    Doc->ExecuteOperation(docFormatParagraphs, {&range, &par});
    states.push_back(DumpAll(*Doc));
    int32_t paragraph = 3;
    uint8_t kind = sbOddPage;
    Doc->ExecuteOperation(docChangeSectionBreak, {&paragraph, &kind});
    states.push_back(DumpAll(*Doc));
    for (size_t i = states.size() - 1; i > 0; --i) {
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), states[i - 1]) << i;
    }
    Undo().RedoAll();
    EXPECT_EQ(DumpAll(*Doc), states.back());
}

TEST_F(DocumentFormattingTest, ChangesThatChangeNothingRecordNothing)
{
    TTextRange range = MakeRange(0, 0, 5, 2);
    Select(0, 0, 5, 2);
    TParFormat none;
    ClearParFormat(none);
    Doc->ExecuteOperation(docFormatParagraphs, {&range, &none});
    TParFormat same;
    ClearParFormat(same);
    same[pfAlignment] = 3;
    TTextRange fifth = MakeRange(4, 0, 4, 3);
    Doc->ExecuteOperation(docFormatParagraphs, {&fifth, &same});
    TCharFormat nothing;
    ClearCharFormat(nothing);
    uint8_t flags = 0;
    Doc->ExecuteOperation(docFormatText, {&range, &nothing, &flags});
    int32_t paragraph = 1;
    uint8_t kind = sbNewPage;
    Doc->ExecuteOperation(docChangeSectionBreak, {&paragraph, &kind});
    TSectionSettings settings = S0->Settings;
    Doc->ExecuteOperation(docFormatSections, {&range, &settings});
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(Doc->OperationRecorded, 0);
}

TEST_F(DocumentFormattingTest, AnEmptySelectionChangesTheTypingFormatOrTheWholeWord)
{
    const std::string before = DumpAll(*Doc);
    Caret(0, 5);
    TTextRange caret = MakeRange(0, 5, 0, 5);
    TCharFormat italic = One(cfItalic, 1);
    uint8_t flags = 0;
    Doc->ExecuteOperation(docFormatText, {&caret, &italic, &flags});
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(DumpAll(*Doc), before);
    EXPECT_EQ(Doc->SelCharFormat[cfItalic], 1);
    EXPECT_EQ(Doc->SelCharFormat[cfBold], 1);
    // The typed text takes it.
    Type("z");
    EXPECT_EQ(CharFormatsOf(*Doc)[0][5][cfItalic], 1);
    Undo().Undo();

    // With the whole-word option the word at the caret takes it ("deux").
    Format.WholeWord = true;
    Caret(0, 5);
    Doc->ExecuteOperation(docFormatText, {&caret, &italic, &flags});
    ASSERT_EQ(Undo().Count(), 1);
    const auto formats = CharFormatsOf(*Doc);
    for (int32_t o = 2; o <= 8; ++o)
        EXPECT_EQ(formats[0][o][cfItalic], o >= 3 && o <= 6 ? 1 : 0) << o;
    // At a word's edge only the typing format changes.
    Caret(0, 3);
    TTextRange edge = MakeRange(0, 3, 0, 3);
    TCharFormat strike = One(cfStrikeOut, 1);
    Doc->ExecuteOperation(docFormatText, {&edge, &strike, &flags});
    EXPECT_EQ(Undo().Count(), 1);
    // A language given at a word's edge through the language command takes
    // the word, and the word is checked for spelling at once.
    Doc->LanguageCommand = 1;
    Format.TakeWord = true;
    TCharFormat language = One(cfLanguage, 0x0409);
    Doc->ExecuteOperation(docFormatText, {&edge, &language, &flags});
    Doc->LanguageCommand = 0;
    EXPECT_EQ(Undo().Count(), 2);
    EXPECT_EQ(CharFormatsOf(*Doc)[0][4][cfLanguage], 0x0409);
    ASSERT_EQ(Format.Checked.size(), 1u);
    EXPECT_EQ(Format.Checked[0].Start.Offset, 3);
}

TEST_F(DocumentFormattingTest, ALanguageOverManyParagraphsIsLeftToTheBackgroundCheck)
{
    for (int i = 0; i < 12; ++i)
        Doc->AppendParagraph(stBody);
    const int32_t last = Doc->StoryLast(stBody);
    TTextRange all = MakeRange(0, 0, last, 0);
    Select(0, 0, last, 0);
    TCharFormat language;
    ClearCharFormat(language);
    language[cfLanguage] = 0x0407;
    uint8_t flags = 0;
    Doc->SpellState.Phase = bsNotRunning;
    Doc->ExecuteOperation(docFormatText, {&all, &language, &flags});
    EXPECT_TRUE(Format.Checked.empty());
    EXPECT_EQ(Doc->SpellState.Phase, bsChecking);
}

TEST_F(DocumentFormattingTest, RoutinesWithoutAnOperationApplyAndKeepNothing)
{
    TUpdateRange update;
    TCharFormat bold;
    ClearCharFormat(bold);
    bold[cfBold] = 1;
    Doc->FormatText(MakeRange(5, 0, 5, 3), bold, 0, update, nullptr);
    EXPECT_EQ(Text(5), "{2:1}Fin{2:0}{22:2}");
    TParFormat right;
    ClearParFormat(right);
    right[pfRightIndent] = 200;
    Doc->FormatParagraphs(MakeRange(5, 0, 5, 0), right, update, nullptr);
    EXPECT_EQ(Doc->Paragraphs(5).Format[pfRightIndent], 200);
    Doc->ChangeSectionBreak(3, sbEvenPage, update, nullptr);
    EXPECT_EQ(S1->BreakKind(), sbEvenPage);
    EXPECT_EQ(Undo().Count(), 0);
}

TEST_F(DocumentFormattingTest, PageSetUpStepsExchangeOnlyWhatTheyChange)
{
    // The top margin of the first section: undo restores only that.
    S0->PageParams[ppBottomMargin] = 999;
    Caret(0, 1);
    TTextRange scope = MakeRange(0, 1, 0, 1);
    TPageParams params;
    std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
    params[ppTopMargin] = 2000;
    Doc->ExecuteOperation(docChangePageParams, {&params, &scope});
    EXPECT_EQ(S0->PageParams[ppTopMargin], 2000);
    S0->PageParams[ppBottomMargin] = 555;  // changed behind the step's back
    Undo().Undo();
    EXPECT_EQ(S0->PageParams[ppTopMargin], 1417);
    EXPECT_EQ(S0->PageParams[ppBottomMargin], 555);

    // Turning twice by undo and redo swaps width and height each time; the
    // margins stay.
    S0->PageParams[ppLeftMargin] = 800;
    std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
    Doc->ExecuteOperation(docChangePageParams, {&params, &scope});
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(S0->PageParams[ppPaperWidth], 16838);
        EXPECT_EQ(S0->PageParams[ppOrientation], 1);
        Undo().Undo();
        EXPECT_EQ(S0->PageParams[ppPaperWidth], 11905);
        EXPECT_EQ(S0->PageParams[ppOrientation], 0);
        EXPECT_EQ(S0->PageParams[ppLeftMargin], 800);
        Undo().Redo();
    }
    // A page already wider than high is marked landscape without a swap.
    Undo().Undo();
    std::swap(S0->PageParams[ppPaperWidth], S0->PageParams[ppPaperHeight]);
    Doc->ExecuteOperation(docChangePageParams, {&params, &scope});
    EXPECT_EQ(S0->PageParams[ppPaperWidth], 16838);
    EXPECT_EQ(S0->PageParams[ppOrientation], 1);
}

TEST_F(DocumentFormattingTest, AWholePageSetUpGivesEverySectionItsFlags)
{
    const std::string before = DumpAll(*Doc);
    TTextRange scope = MakeRange(0, 0, 0, 0);
    TPageParams params = S0->PageParams;
    params[ppTopMargin] = 1000;
    params[ppFlags] = 0x0101;
    params[ppPaperHeight] = 40000;  // beyond the largest paper: held to it
    Doc->ExecuteOperation(docChangePageParams, {&params, &scope});
    EXPECT_EQ(S0->PageParams[ppTopMargin], 1000);
    EXPECT_EQ(S0->PageParams[ppPaperHeight], MaxPaperSize);
    for (int32_t i = 0; i < Doc->SectionCount(); ++i)
        EXPECT_EQ(Doc->Sections(i).PageParams[ppFlags], 0x0101) << i;
    EXPECT_EQ(S1->PageParams[ppTopMargin], 1417);
    Undo().Undo();
    EXPECT_EQ(DumpAll(*Doc), before);
}

TEST_F(DocumentFormattingTest, SectionFormatsKeepWhatTheyLeaveUnset)
{
    // Unequal columns whose widths were given: -1 in the equal flag keeps
    // sections of several equal columns equal and makes the others' widths
    // explicit.
    S0->Settings[ssColumnCount] = 2;
    S1->Settings[ssColumnCount] = 3;
    S1->Settings[ssEqualColumns] = 0;
    TSectionSettings settings;
    std::fill(std::begin(settings.Values), std::end(settings.Values), NotSet);
    settings[ssEqualColumns] = -1;
    settings[ssLastValue] = 1;
    // Without a column count the block is the section's own: a break kind
    // given with it is not taken (breaks change through their own operation).
    settings[ssBreakKind] = sbOddPage;
    TTextRange range = MakeRange(0, 0, 4, 0);
    Select(0, 0, 4, 0);
    Doc->ExecuteOperation(docFormatSections, {&range, &settings});
    EXPECT_EQ(S0->Settings[ssEqualColumns], 1);
    EXPECT_EQ(S0->Settings[ssColumnCount], 2);
    EXPECT_EQ(S1->Settings[ssEqualColumns], 0);
    // Three equal widths, refit to fill the text width with the gaps.
    for (int32_t column = 0; column < 3; ++column)
        EXPECT_EQ(S1->Settings[TSectionSettings::ColumnValue(column, crWidth)], 2544) << column;
    EXPECT_EQ(S1->Settings[TSectionSettings::ColumnValue(0, crSpacing)], 720);
    EXPECT_EQ(S1->Settings[TSectionSettings::ColumnValue(2, crSpacing)], 0);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(Doc->Sections(i).Settings[ssLastValue], 1);
    EXPECT_EQ(S0->BreakKind(), sbNewPage);
    EXPECT_EQ(S1->BreakKind(), sbNewPage);
    // With a column count the whole new record goes in, its break kind too.
    settings[ssColumnCount] = 1;
    Doc->ExecuteOperation(docFormatSections, {&range, &settings});
    EXPECT_EQ(S0->BreakKind(), sbOddPage);
    EXPECT_EQ(S0->Settings[ssColumnCount], 1);
}

// Long random series of formats, page set-ups, section changes, typing and
// deletions over the fixture, with and without laid-out paragraphs: undoing
// all of them restores the document byte for byte, redoing all brings the end
// state back, and undoing one by one restores it again.
TEST_F(DocumentFormattingTest, MixedFormatsAndEditsUndoneAndRedoneByteForByte)
{
    std::mt19937 random(20240917);
    auto pick = [&random](int32_t from, int32_t to) { return std::uniform_int_distribution<int32_t>(from, to)(random); };
    auto anyPosition = [&]() -> TTextPosition {
        const int32_t paragraph = pick(0, Doc->StoryCount(stBody) - 1);
        return {paragraph, pick(0, Doc->Paragraphs(paragraph).GetCharCount() - 1)};
    };
    auto anyRange = [&]() {
        TTextPosition a = anyPosition();
        TTextPosition b = anyPosition();
        if (CompareTextPos(b, a) < 0)
            std::swap(a, b);
        return TTextRange{a, b};
    };
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        Fresh();
        std::unique_ptr<TCharLayout> layout;
        if (run % 2) {
            layout = std::make_unique<TCharLayout>();
            for (int32_t i = 0; i < Doc->ParagraphCount(); ++i)
                Doc->Paragraphs(i).Invalidate(true, 9);
        }
        const std::string before = DumpAll(*Doc);
        for (int i = 0; i < 40; ++i) {
            TTextRange range = anyRange();
            Select(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);
            uint8_t flags = 0;
            switch (pick(0, 8)) {
            case 0:
            case 1: {
                constexpr int kSlots[] = {cfBold, cfItalic, cfSize, cfColor, cfLanguage, cfUnderline};
                const int slot = kSlots[pick(0, 5)];
                TCharFormat format = One(slot, slot == cfSize ? pick(8, 40) : pick(0, 2));
                if (pick(0, 3) == 0)
                    format[cfBold] = pick(0, 1);
                Doc->ExecuteOperation(docFormatText, {&range, &format, &flags});
                break;
            }
            case 2: {
                constexpr int kSlots[] = {pfAlignment, pfFirstIndent, pfLeftIndent, pfSpaceAfter, pfKeepWithNext};
                TParFormat format;
                ClearParFormat(format);
                const int slot = kSlots[pick(0, 4)];
                format[slot] = slot == pfAlignment ? pick(0, 3) : slot == pfKeepWithNext ? pick(0, 1) : pick(-400, 900);
                Doc->ExecuteOperation(docFormatParagraphs, {&range, &format});
                break;
            }
            case 3: {
                Doc->ExecuteOperation(docDeleteRange, {&range.Start, &range.End, &flags});
                break;
            }
            case 4:
                TypeText(pick(0, 1) ? "mot" : "a\rb");
                break;
            case 5: {
                int32_t paragraph = anyPosition().Paragraph;
                uint8_t kind = static_cast<uint8_t>(pick(0, 3));
                Doc->ExecuteOperation(docChangeSectionBreak, {&paragraph, &kind});
                break;
            }
            case 6: {
                TSectionSettings settings;
                std::fill(std::begin(settings.Values), std::end(settings.Values), NotSet);
                settings[ssColumnCount] = pick(1, 3);
                settings[ssEqualColumns] = pick(-1, 1);
                Doc->ExecuteOperation(docFormatSections, {&range, &settings});
                break;
            }
            case 7: {
                TPageParams params;
                std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
                const int choice = pick(0, 3);
                if (choice == 1)
                    params[ppTopMargin] = pick(0, 9000);
                else if (choice == 2)
                    params[ppPaperWidth] = pick(1000, 20000);
                else if (choice == 3)
                    params[ppFooterDistance] = pick(-100, 1000);
                Doc->ExecuteOperation(docChangePageParams, {&params, &range});
                break;
            }
            case 8: {
                uint8_t what = static_cast<uint8_t>(pick(0, 1));
                Doc->ExecuteOperation(docResetFormatToStyle, {&range, &what});
                break;
            }
            }
            ExpectDocumentConsistent(*Doc);
            if (HasFatalFailure())
                return;
        }
        // Most of the edits changed something.
        EXPECT_GT(Undo().Count(), 25);
        const std::string after = DumpAll(*Doc);
        Undo().UndoAll();
        EXPECT_EQ(DumpAll(*Doc), before);
        Undo().RedoAll();
        EXPECT_EQ(DumpAll(*Doc), after);
        while (Undo().CanUndo())
            Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), before);
    }
}

TEST(StepCharAttributeValueTest, StandardSizesPercentagesAndLimits)
{
    struct TCase {
        int slot;
        int32_t value;
        int32_t delta;
        int32_t expected;
    };
    const TCase cases[] = {
        {cfSize, 24, 2000, 28},     {cfSize, 144, 2000, 144},   {cfSize, 12, -2000, 12},
        {cfSize, 25, -2000, 24},    {cfSize, 24, 2150, 36},     {cfSize, 20, 2080, 16},
        {cfSize, 24, 3, 27},        {cfSize, 3, -5, 2},         {cfSize, 1990, 1999, 2000},
        {cfLetterSpacing, 35, 20, 60}, {cfLetterSpacing, 19990, 40, 20000}, {cfRaise, 990, 20, 1000},
        {cfRaise, -990, -20, -1000}, {cfHorizontalScale, 100, -10, 90},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(StepCharAttributeValue(c.slot, c.value, c.delta), c.expected)
            << c.slot << " " << c.value << " " << c.delta;
}

TEST_F(DocumentFormattingTest, StepsOfOneAttributeRunByRun)
{
    // "Huit neuf" is 14 pt, " dix" 12 pt: each run goes to the next size.
    TUpdateRange update;
    auto op = std::make_unique<TOperation>(Doc.get(), okCharFormat);
    Doc->StepCharAttribute(MakeRange(2, 2, 2, 12), cfSize, 2000, update, op.get());
    const auto formats = CharFormatsOf(*Doc);
    EXPECT_EQ(formats[2][1][cfSize], 28);
    EXPECT_EQ(formats[2][2][cfSize], 32);
    EXPECT_EQ(formats[2][8][cfSize], 32);
    EXPECT_EQ(formats[2][9][cfSize], 28);
    EXPECT_EQ(formats[2][11][cfSize], 28);
    EXPECT_EQ(formats[2][12][cfSize], 24);
    EXPECT_EQ(op->StepCount(), 2);
}

TEST_F(DocumentFormattingTest, TextFormatStepsKeepTheirValues)
{
    TUpdateRange update;
    auto op = std::make_unique<TOperation>(Doc.get(), okCharFormat);
    TCharFormat format;
    ClearCharFormat(format);
    format[cfBold] = 1;
    format[cfSize] = 30;
    // From inside the bold run to inside the size run: at the end the text
    // keeps no bold and 14 pt.
    Doc->FormatText(MakeRange(0, 10, 2, 2), format, 0, update, op.get());
    ASSERT_EQ(op->StepCount(), 1);
    const auto& step = dynamic_cast<const TFormatTextOperation&>(op->Steps(0));
    EXPECT_EQ(step.EndValues()[cfBold], 0);
    EXPECT_EQ(step.EndValues()[cfSize], 28);
    EXPECT_EQ(step.EndValues()[cfItalic], NotSet);
    EXPECT_EQ(Text(2), "{1:30}{2:1}Hu{1:28}{2:0}it neuf{1:24} dix{22:2}");
    // A size change without pagination asks for a whole new layout.
    EXPECT_TRUE(update.IsFull());
}

}  // namespace
