// The style-list change: paragraphs of a deleted style take the style of its
// name or of its nearest remaining ancestor with its formats, the styles
// behind it move down, changed styles are applied again; undo gives back the
// list and the text byte for byte; and the small steps that exchange single
// settings of the document, its sections and its objects.
#include "document/FormattingFixtures.h"
#include "document/steps/ChangeDefLangOperation.h"
#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "document/model/DocObject.h"
#include "document/steps/FormatObjectOperation.h"
#include "document/steps/FormatPageNumberOperation.h"
#include "document/steps/FormatStyleListOperation.h"
#include "document/model/ObjectManager.h"

#include <functional>

namespace {

class FormatStyleListOperationTest : public FormattingTest {
protected:
    int32_t Quote = -1;

    void SetUp() override
    {
        BuildFixture();
        // "Citation" is based on "Titre", and paragraph 3 has it.
        auto quote = std::make_unique<TStyle>(&Doc->Styles());
        quote->Name = quote->DisplayName = "Citation";
        ClearCharFormat(quote->CharFormat);
        ClearParFormat(quote->ParFormat);
        quote->CharFormat[cfItalic] = 1;
        quote->BasedOn = TitleStyle;
        Quote = Doc->Styles().Add(std::move(quote));
        Doc->Paragraphs(3).Format[pfStyle] = Quote;
    }

    // Applies the step inside a recorded operation; undo and redo must give
    // back each side exactly.
    void RecordRoundTrip(std::unique_ptr<TSubOperation> step)
    {
        const std::string before = DumpAll(*Doc);
        auto op = std::make_unique<TOperation>(Doc.get(), okStyleChange);
        TUpdateRange update;
        step->Redo(update);
        op->AddStep(std::move(step));
        Undo().UpdateViews(update);
        Undo().AddOperation(op);
        const std::string after = DumpAll(*Doc);
        EXPECT_NE(after, before);
        Undo().Undo();
        EXPECT_EQ(DumpAll(*Doc), before);
        Undo().Redo();
        EXPECT_EQ(DumpAll(*Doc), after);
    }

    std::unique_ptr<TFormatStyleListInfo> NewList()
    {
        auto info = std::make_unique<TFormatStyleListInfo>();
        info->Styles = std::make_unique<TStyleList>(Doc.get(), &Doc->TabManager());
        info->Styles->Assign(Doc->Styles());
        return info;
    }
};

TEST_F(FormatStyleListOperationTest, ADeletedStyleGivesWayToItsAncestor)
{
    auto info = NewList();
    info->Styles->Delete(TitleStyle);
    info->Deleted.push_back(TitleStyle);
    RecordRoundTrip(std::make_unique<TFormatStyleListOperation>(Doc.get(), std::move(info)));
    EXPECT_EQ(Doc->Styles().Count(), 2);
    // Paragraph 2 had "Titre": it takes "Normal" with its formats.
    EXPECT_EQ(Doc->Paragraphs(2).Format[pfStyle], 0);
    EXPECT_EQ(Doc->Paragraphs(2).Format[pfAlignment], 0);
    EXPECT_EQ(CharFormatsOf(*Doc)[2][0][cfSize], 24);
    // "Citation" moved down and kept its paragraph.
    EXPECT_EQ(Doc->Paragraphs(3).Format[pfStyle], 1);
    EXPECT_EQ(Plain(3), "Onze douze treize\x03");
    EXPECT_GE(Format.StyleBoxRefreshes, 3);
}

TEST_F(FormatStyleListOperationTest, ADeletedStyleTakesTheStyleOfItsNameAndChangedOnesApplyAgain)
{
    auto info = NewList();
    // "Titre" goes; a new "Titre" (right-aligned) comes at the end; "Citation"
    // becomes underlined.
    info->Styles->Delete(TitleStyle);
    auto title = std::make_unique<TStyle>(info->Styles.get());
    title->Name = title->DisplayName = "Titre";
    ClearCharFormat(title->CharFormat);
    ClearParFormat(title->ParFormat);
    title->ParFormat[pfAlignment] = 2;
    const int32_t newTitle = info->Styles->Add(std::move(title));
    (*info->Styles)[Quote - 1].CharFormat[cfUnderline] = 1;
    info->Deleted.push_back(TitleStyle);
    info->Changed.push_back(Quote);
    RecordRoundTrip(std::make_unique<TFormatStyleListOperation>(Doc.get(), std::move(info)));
    EXPECT_EQ(Doc->Paragraphs(2).Format[pfStyle], newTitle);
    EXPECT_EQ(Doc->Paragraphs(2).Format[pfAlignment], 2);
    EXPECT_EQ(Doc->Paragraphs(3).Format[pfStyle], Quote - 1);
    EXPECT_EQ(CharFormatsOf(*Doc)[3][0][cfUnderline], 1);
    EXPECT_EQ(CharFormatsOf(*Doc)[1][0][cfUnderline], 0);
}

TEST_F(FormatStyleListOperationTest, SettingStepsExchangeTheirValues)
{
    TDocObject& picture = Doc->ObjectManager().AddObject(std::make_unique<TDocPicture>(Doc.get()));
    picture.Width = 1000;
    picture.Height = 500;
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<TSubOperation>()>>> steps = {
        {"page numbering of two sections",
         [&]() -> std::unique_ptr<TSubOperation> {
             const int32_t value[2] = {3, 7};
             return std::make_unique<TFormatPageNumberOperation>(Doc.get(), MakeRange(1, 0, 2, 0), value);
         }},
        {"hyphenation options",
         [&]() -> std::unique_ptr<TSubOperation> {
             return std::make_unique<TChangeHyphenationOptionsOperation>(Doc.get(), THyphenationOptions{0, 240, 3});
         }},
        {"default language",
         [&]() -> std::unique_ptr<TSubOperation> {
             return std::make_unique<TChangeDefLangOperation>(Doc.get(), 0x0C0C);
         }},
    };
    for (const auto& [name, make] : steps) {
        SCOPED_TRACE(name);
        RecordRoundTrip(make());
    }
    EXPECT_EQ(S0->Trailing[1], 7);
    EXPECT_EQ(S1->Trailing[0], 3);
    EXPECT_EQ(Doc->Sections(2).Trailing[1], -1);
    EXPECT_EQ(Doc->HyphenationZone, 240);
    EXPECT_EQ(Doc->AutoHyphenation, 0);
    EXPECT_EQ(Doc->DocumentLanguage, 0x0C0C);

    auto format = std::make_unique<TFormatObjectOperation>(Doc.get(), &picture, 0);
    format->Values.ScaleX = 50;
    format->Values.Width = 2000;
    TUpdateRange update;
    format->Redo(update);
    EXPECT_EQ(picture.ScaleX, 50);
    EXPECT_EQ(picture.Width, 2000);
    format->Undo(update);
    EXPECT_EQ(picture.ScaleX, 100);
    EXPECT_EQ(picture.Width, 1000);
    EXPECT_EQ(picture.Height, 500);
}

}  // namespace
