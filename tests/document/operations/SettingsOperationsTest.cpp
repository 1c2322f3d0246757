// Operations of the dispatcher on settings and arrangements: the default
// language, the hyphenation settings, the page numbering with its field
// update, the style list, sorting paragraphs and the format of a picture;
// each undone and redone byte for byte, and refused with its message where it
// does not apply.
#include "document/FormattingFixtures.h"
#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "document/steps/FormatObjectOperation.h"
#include "document/steps/FormatStyleListOperation.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/Exception.h"

namespace {

class SettingsOperationsTest : public FormattingTest {
protected:
    void SetUp() override { BuildFixture(); }

    // The operation records nothing and changes nothing.
    void ExpectNothing(TDocOperationCode code, std::initializer_list<void*> params)
    {
        const std::string before = DumpAll(*Doc);
        const int32_t count = Undo().Count();
        Doc->ExecuteOperation(code, params);
        EXPECT_EQ(Doc->OperationRecorded, 0);
        EXPECT_EQ(Undo().Count(), count);
        EXPECT_EQ(DumpAll(*Doc), before);
    }
    uint8_t LastKind() { return Undo().Operations(Undo().CurrentIndex()).Kind; }
};

}  // namespace

TEST_F(SettingsOperationsTest, DefaultLanguageAndHyphenationSettings)
{
    int32_t language = 0x0409;
    RoundTrip(docChangeDefaultLanguage, {&language});
    EXPECT_EQ(Doc->DocumentLanguage, 0x0409);
    EXPECT_EQ(LastKind(), 42);
    ExpectNothing(docChangeDefaultLanguage, {&language});

    THyphenationOptions options{hofCapitals, 240, 2};
    RoundTrip(docChangeHyphenationOptions, {&options});
    EXPECT_EQ(Doc->AutoHyphenation, 0);
    EXPECT_EQ(Doc->HyphenateCapitals, 1);
    EXPECT_EQ(Doc->HyphenationZone, 240);
    EXPECT_EQ(Doc->HyphenationLimit, 2);
    EXPECT_EQ(LastKind(), 60);
    options = {hofAutomatic, 360, 0};
    RoundTrip(docChangeHyphenationOptions, {&options});
    EXPECT_EQ(Doc->AutoHyphenation, 1);
    EXPECT_EQ(Doc->HyphenateCapitals, 0);
}

TEST_F(SettingsOperationsTest, PageNumberingOfTheSectionsConcerned)
{
    int32_t numbering[2] = {2, 5};
    // The caret's section only.
    Caret(2, 1);
    const int32_t first = S0->Trailing[1];
    RoundTrip(docFormatPageNumbers, {&numbering});
    EXPECT_EQ(S1->Trailing[0], 2);
    EXPECT_EQ(S1->Trailing[1], 5);
    EXPECT_EQ(S0->Trailing[1], first);
    EXPECT_EQ(LastKind(), 56);

    // A selection from the first section into the last: all three, and the
    // PAGE field of the last one brought up to date in the same action, so
    // that one undo takes both back.
    Select(1, 2, 4, 1);
    numbering[1] = 9;
    const std::string before = DumpAll(*Doc);
    const int32_t count = Undo().Count();
    Doc->ExecuteOperation(docFormatPageNumbers, {&numbering});
    for (int32_t i = 0; i < Doc->SectionCount(); ++i)
        EXPECT_EQ(Doc->Sections(i).Trailing[1], 9) << i;
    ASSERT_EQ(Undo().Count(), count + 2);
    EXPECT_EQ(LastKind(), 56);
    EXPECT_EQ(Undo().Operations(Undo().CurrentIndex()).Joined, 1);
    const std::string after = DumpAll(*Doc);
    Undo().Undo();
    EXPECT_EQ(DumpAll(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpAll(*Doc), after);
}

TEST_F(SettingsOperationsTest, StyleListChanges)
{
    // A record with a new list: kind 8, the list installed.
    TTextRange range = MakeRange(0, 0, 0, 0);
    auto info = std::make_unique<TFormatStyleListInfo>();
    info->Styles = std::make_unique<TStyleList>(Doc.get(), &Doc->TabManager());
    info->Styles->Assign(Doc->Styles());
    auto added = std::make_unique<TStyle>(info->Styles.get());
    added->Name = added->DisplayName = "Nouveau";
    ClearCharFormat(added->CharFormat);
    ClearParFormat(added->ParFormat);
    info->Styles->Add(std::move(added));
    const int32_t count = Doc->Styles().Count();
    RoundTrip(docChangeStyleList, {&range, &info});
    EXPECT_EQ(info, nullptr);  // the step took the record
    EXPECT_EQ(Doc->Styles().Count(), count + 1);
    EXPECT_EQ(LastKind(), okStyleChange);

    // A record that only names a style to apply: kind 7, the style applied
    // to the range's paragraphs, the style-box notification held back.
    info = std::make_unique<TFormatStyleListInfo>();
    info->StyleIndex = TitleStyle;
    info->Apply = 1;
    RoundTrip(docChangeStyleList, {&range, &info});
    EXPECT_EQ(LastKind(), 7);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfStyle], TitleStyle);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 1);
    EXPECT_EQ(Doc->GetChangeFlag(96), 0);
}

TEST_F(SettingsOperationsTest, SortingParagraphs)
{
    Doc = std::make_unique<TDocument>(false);
    Build({"poire{22:2}", "abricot{22:2}", "Cerise{22:2}", "fin{22:2}"});
    int32_t first = 0, last = 2;
    uint8_t mode = 0;
    RoundTrip(docSortParagraphs, {&first, &last, &mode});
    EXPECT_EQ(Plain(0), "abricot\x02");
    EXPECT_EQ(Plain(1), "Cerise\x02");
    EXPECT_EQ(Plain(2), "poire\x02");
    EXPECT_EQ(Plain(3), "fin\x02");
    EXPECT_EQ(LastKind(), 27);

    // One paragraph: refused with its message.
    last = 0;
    TMessageAnswers answers;
    answers.Expect("Cette action (\"le tri des paragraphes\") ne s'applique qu'\xE0 une s\xE9lection de plusieurs "
                   "paragraphes.",
                   mrOk);
    ExpectNothing(docSortParagraphs, {&first, &last, &mode});
}

TEST_F(SettingsOperationsTest, SortingIsRefusedAcrossSectionsAndObjects)
{
    struct TCase {
        int32_t First, Last;
        const char* Message;
    };
    const TCase cases[] = {
        // Paragraph 1 closes the first section.
        {0, 1, "ne s'applique qu'\xE0 une s\xE9lection d\xE9pourvue de saut de section."},
        {1, 2, "ne s'applique qu'\xE0 une s\xE9lection d\xE9pourvue de saut de section."},
    };
    for (const TCase& c : cases) {
        int32_t first = c.First, last = c.Last;
        uint8_t mode = 0;
        TMessageAnswers answers;
        answers.Expect(std::string("Cette action (\"le tri des paragraphes\") ") + c.Message, mrOk);
        ExpectNothing(docSortParagraphs, {&first, &last, &mode});
    }
    // A bookmark over two of the paragraphs.
    Doc = std::make_unique<TDocument>(false);
    TField& mark = Doc->AddRangeObject(rkBookmark);
    mark.Instruction = "signet";
    Build({"b" + Rec(icRangeStart, mark.Handle()) + "b{22:2}", "a" + Rec(icRangeEnd, mark.Handle()) + "{22:2}",
           "c{22:2}"});
    Doc->RefreshRangeObjectPositions();
    int32_t first = 0, last = 2;
    uint8_t mode = 0;
    TMessageAnswers answers;
    answers.Expect("Cette action (\"le tri des paragraphes\") ne peut pas s'appliquer \xE0 une s\xE9lection qui "
                   "comprend des signets ou des champs de structure complexe.",
                   mrOk);
    ExpectNothing(docSortParagraphs, {&first, &last, &mode});
}

TEST_F(SettingsOperationsTest, PictureFormat)
{
    Doc = std::make_unique<TDocument>(false);
    TDocObject& picture = Doc->ObjectManager().AddObject(std::make_unique<TDocPicture>(Doc.get()));
    picture.Width = 1000;
    picture.Height = 500;
    Build({"Image " + Rec(icPicture, picture.Handle()) + "{22:2}"});
    TTextPosition at{0, 6};
    TObjectFormat format{1000, 500, 50, 200, 0};
    Doc->ExecuteOperation(docFormatObject, {&at, &format});
    EXPECT_EQ(LastKind(), 39);
    auto values = [&picture] {
        return std::vector<int32_t>{picture.Width, picture.Height, picture.ScaleX, picture.ScaleY,
                                    picture.PlainPicture};
    };
    const std::vector<int32_t> applied{1000, 500, 50, 200, 0};
    EXPECT_EQ(values(), applied);
    Undo().Undo();
    EXPECT_EQ(values(), (std::vector<int32_t>{1000, 500, 100, 100, 1}));
    Undo().Redo();
    EXPECT_EQ(values(), applied);
    // The same values again, or no picture there: nothing.
    ExpectNothing(docFormatObject, {&at, &format});
    TTextPosition text{0, 2};
    format.ScaleX = 75;
    ExpectNothing(docFormatObject, {&text, &format});
}

TEST_F(SettingsOperationsTest, AnEmptyTableOfContentsIsReported)
{
    // The table's own routine comes later; its end step already tells the
    // user when no heading made an entry.
    Doc->TocEntryCount = 0;
    TMessageAnswers answers;
    answers.Expect("Aucun paragraphe n'est associ\xE9 \xE0 un style de type \"Titre\".", mrOk);
    GetDispatchEntry(docBuildTableOfContents)->AtEnd(*Doc, {});
    EXPECT_EQ(answers.Asked().size(), 1u);
    Doc->TocEntryCount = 3;
    GetDispatchEntry(docBuildTableOfContents)->AtEnd(*Doc, {});
    EXPECT_EQ(answers.Asked().size(), 1u);
}
