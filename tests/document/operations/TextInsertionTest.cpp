// Text insertion: plain text turned into paragraphs, special characters and
// section breaks; fragments; Enter and its style rules; the language of
// inserted text.
#include "document/EditingFixtures.h"
#include "document/steps/InsertDeleteOperation.h"
#include "foundation/managers/Style.h"
#include "platform/runtime/Exception.h"

#include <cstring>

namespace {

class TextInsertionTest : public EditingTest {
protected:
    // Plain text inserted at a position by a tool, recorded.
    void InsertAt(const TTextPosition& position, const std::string& text, TEditFlags flags = 0)
    {
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        auto op = std::make_unique<TOperation>(Doc.get(), okTyping);
        Doc->PrepareTypingFormat(position, 0);
        TUpdateRange update;
        Doc->InsertPlainTextAt(buffer, position, update, op.get(), flags);
        Undo().UpdateViews(update);
        Undo().AddOperation(op);
    }
};

TEST_F(TextInsertionTest, LineEndsMakeParagraphs)
{
    Build({"{22:2}"});
    InsertAt({0, 0}, "a\r\nb");
    EXPECT_EQ(Doc->StoryCount(stBody), 2);
    EXPECT_EQ(Plain(0), "a\x02");
    EXPECT_EQ(Plain(1), "b\x02");
    const auto& step = dynamic_cast<const TInsertDeleteOperation&>(Undo().Operations(0).Steps(0));
    EXPECT_EQ(step.ParagraphSpan(), 1);

    Doc = std::make_unique<TDocument>(false);
    Build({"{22:2}"});
    InsertAt({0, 0}, "a\r\rb\n\rc");
    EXPECT_EQ(Doc->StoryCount(stBody), 4);
    EXPECT_EQ(Plain(1), "\x02");
    EXPECT_EQ(Plain(3), "c\x02");
}

TEST_F(TextInsertionTest, SpecialCharactersBecomeRecords)
{
    Build({"{22:2}"});
    InsertAt({0, 0}, "\t\xA0\x96\x97\x0B\x1F\x10.");
    EXPECT_EQ(Text(0), "{22:7}{22:10}{22:13}{22:12}{22:5}{22:14}{22:11}.{22:2}");
}

TEST_F(TextInsertionTest, TextWithoutACharacterInsertsNothing)
{
    Build({"Bonjour{22:2}"});
    InsertAt({0, 2}, std::string("\x01\x02\x00", 3));
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(Plain(0), "Bonjour\x02");
}

TEST_F(TextInsertionTest, ASectionBreakInTheTextMakesASection)
{
    TField& header = Doc->AddRangeObject(rkHeaderFooter);
    Build({"avant apres{22:2}"});
    Doc->Sections(0).HeadersFooters[0] = &header;
    const std::string before = DumpDocument(*Doc);
    InsertAt({0, 5}, std::string("\x0C\x00\x02", 3));
    ASSERT_EQ(Doc->SectionCount(), 2);
    TSection& added = Doc->Sections(0);
    EXPECT_EQ(added.BreakKind(), sbEvenPage);
    EXPECT_EQ(Text(0), "avant" + SectionBreak(added));
    EXPECT_EQ(Plain(1), " apres\x02");
    // The new section, which closes the text before the break, took the header.
    EXPECT_EQ(added.HeadersFooters[0], &header);
    EXPECT_EQ(Doc->Sections(1).HeadersFooters[0], nullptr);
    const TObjectHandle handle = added.Handle();
    const std::string after = DumpDocument(*Doc);
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpDocument(*Doc), after);
    // Undone and dropped, the section goes.
    Undo().Undo();
    Undo().ClearRedo();
    EXPECT_EQ(Doc->Objects().GetSection(handle), nullptr);
}

TEST_F(TextInsertionTest, FragmentsCarryTheirParagraphFormats)
{
    Build({"Bonjour{22:2}"});
    Caret(0, 3);
    TParFormat format = DefaultParFormat();
    format[pfAlignment] = 2;
    std::string fragment = EncodeText("X{22:2}");
    fragment += '\x1d';
    fragment += '\x1e';
    fragment.append(reinterpret_cast<const char*>(format.Slots), sizeof format.Slots);
    fragment += "Y";
    TMemory buffer;
    buffer.Append(fragment.data(), static_cast<int32_t>(fragment.size()));
    int32_t breaks = 1;
    uint8_t flags = 0;
    const std::string before = DumpDocument(*Doc);
    Doc->ExecuteOperation(docInsertFragment, {&buffer, &breaks, &flags});
    EXPECT_EQ(Plain(0), "BonX\x02");
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfAlignment], 2);
    EXPECT_EQ(Plain(1), "Yjour\x02");
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfAlignment], 0);
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(TextInsertionTest, TheInsertedRangeIsReportedWhenAsked)
{
    Build({"Bonjour{22:2}"});
    Caret(0, 3);
    TypeText("abc", efReportRange);
    EXPECT_TRUE(Doc->HasSelection());
    EXPECT_EQ(Doc->Selection().Start.Offset, 3);
    EXPECT_EQ(Doc->Selection().End.Offset, 6);
}

TEST_F(TextInsertionTest, SpaceAdjustmentSeparatesInsertedWords)
{
    Build({"{21:1033}Bonjour{22:2}", "{21:1033}Un  deux.{22:2}"});
    const std::string before = DumpDocument(*Doc);
    Caret(0, 3);
    TypeText("abc", efAdjustSpaces);
    EXPECT_EQ(Plain(0), "Bon abc jour\x02");
    EXPECT_EQ(Doc->Caret.Offset, 8);
    // Two blanks before the inserted word: one of them goes.
    Caret(1, 4);
    TypeText("trois", efAdjustSpaces);
    EXPECT_EQ(Plain(1), "Un trois deux.\x02");
    Undo().Undo();
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(TextInsertionTest, EnterAtTheEndOfAHeadingAsksForItsFollowingStyle)
{
    TStyleList& styles = Doc->Styles();
    auto normal = std::make_unique<TStyle>(&styles);
    normal->Name = "Normal";
    normal->NextStyle = 0;
    styles.Add(std::move(normal));
    auto heading = std::make_unique<TStyle>(&styles);
    heading->Name = "heading 1";
    heading->NextStyle = 0;
    const int32_t headingIndex = styles.Add(std::move(heading));
    Build({"Titre{22:2}", "Texte{22:2}"});
    Doc->Paragraphs(0).Format[pfStyle] = headingIndex;
    Doc->Paragraphs(1).Format[pfStyle] = 0;
    Type("x");
    const std::string before = DumpDocument(*Doc);

    // Enter in Normal text: its following style is itself.
    Caret(1, 5);
    Type("\r");
    EXPECT_EQ(Doc->StoryCount(stBody), 3);
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);

    // Enter at the end of the heading: the new paragraph takes "Normal",
    // the heading keeps its style, and one undo takes both back.
    Caret(0, 6);
    Type("\r");
    ASSERT_EQ(Doc->StoryCount(stBody), 3);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfStyle], headingIndex);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfStyle], 0);
    EXPECT_EQ(Plain(1), "\x02");
    EXPECT_EQ(Doc->TypedStyleApplied, 0);
    const std::string after = DumpDocument(*Doc);
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpDocument(*Doc), after);
    EXPECT_EQ(Host.Locks, 0);
}

TEST_F(TextInsertionTest, EnterOnAnEmptyListItemEndsTheList)
{
    TStyleList& styles = Doc->Styles();
    auto normal = std::make_unique<TStyle>(&styles);
    normal->Name = "Normal";
    normal->NextStyle = 0;
    styles.Add(std::move(normal));
    Build({"item{22:2}"});
    Doc->Paragraphs(0).Format[pfInternal] = 1;
    Caret(0, 4);
    Type("\r");
    ASSERT_EQ(Doc->StoryCount(stBody), 2);
    // The new item continues the list.
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfInternal], 1);
    const std::string before = DumpDocument(*Doc);
    // Enter on the empty item: it and the new paragraph leave the list.
    Type("\r");
    ASSERT_EQ(Doc->StoryCount(stBody), 3);
    EXPECT_EQ(Doc->Paragraphs(0).Format[pfInternal], 1);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfInternal], 0);
    EXPECT_EQ(Doc->Paragraphs(2).Format[pfInternal], 0);
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfStyle], 0);
    EXPECT_EQ(Doc->TypedStyleApplied, 1);
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(TextInsertionTest, TheLanguageOfInsertedText)
{
    Build({"Bonjour{22:2}"});
    int32_t language = 7;
    int32_t font = 3;
    Doc->NoInsertLanguage = 1;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, 7);
    Doc->NoInsertLanguage = 0;

    // The selection's language while both it and the keyboard write 1252.
    Doc->SelCharFormat[cfLanguage] = 0x0407;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, 0x0407);
    EXPECT_EQ(font, 3);
    // Once the input language changed, the keyboard's.
    Doc->KeyboardLayoutChanged = 1;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, 0x040C);
    Doc->KeyboardLayoutChanged = 0;
    // A selection in a language of another code page: the keyboard's.
    Doc->SelCharFormat[cfLanguage] = 0x0419;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, 0x040C);
    Doc->UseDocumentLanguage = 1;
    Doc->DocumentLanguage = 0x0410;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, 0x0410);
    Doc->UseDefaultLanguage = 1;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, DefaultCharFormat()[cfLanguage] & 0xFFFF);
    Doc->FixedLanguage = 0x0809;
    Doc->ChooseInsertLanguage(3, language, font);
    EXPECT_EQ(language, 0x0809);
}

TEST_F(TextInsertionTest, TheLanguageAtTheCaret)
{
    Build({"a{21:1031}b{22:2}"});
    Caret(0, 1);
    Doc->SelCharFormat[cfLanguage] = NotSet;
    EXPECT_EQ(Doc->GetCurrentLanguage(), 1031);
    Doc->SelCharFormat[cfLanguage] = 1036;
    EXPECT_EQ(Doc->GetCurrentLanguage(), 1036);
}

}  // namespace
