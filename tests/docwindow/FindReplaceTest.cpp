// The find-and-replace window over a French document in a real document
// window: compiled patterns, searches with their options (case, whole words,
// accents, special characters, wildcards, formats, direction, wrap, the
// header being edited), replacing one occurrence and all of them, undo, the
// histories and the special-character menu.
#include "docwindow/DocumentWindowFixture.h"
#include "docwindow/FindReplaceForm.h"

#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/MessageAnswers.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"

#include <memory>
#include <optional>

namespace {

// Six body paragraphs and a header. Paragraph 4 holds a tab, a
// non-breaking space, the euro sign and conditional hyphens; paragraph 5 a
// word half in bold.
const char* const FrenchRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\fs24"
    "{\\header\\pard Le Temps des cerises, en-t\\'eate\\par}"
    "\\pard Quand nous chanterons le temps des cerises,\\par"
    "\\pard Et gai rossignol et merle moqueur\\par"
    "\\pard Seront tous en f\\'eate.\\par"
    "\\pard L\\rquote \\'e9t\\'e9 de 1871, \\'c9t\\'e9 \\'e9t\\'e9 ETE.\\par"
    "\\pard Prix\\tab 12\\~\\'80, ca\\-ma\\-rade\\par"
    "\\pard Un mot en {\\b gras}sement.\\par}";

std::string PlainText(TDocument& document, int32_t paragraph)
{
    const TParagraph& par = document.Paragraphs(paragraph);
    return {reinterpret_cast<const char*>(par.GetPlainChars().Data()), static_cast<size_t>(par.GetCharCount())};
}

// The body's characters, paragraph by paragraph (marks included).
std::string BodyText(TDocument& document)
{
    std::string text;
    for (int32_t p = document.StoryFirst(0); p <= document.StoryLast(0); ++p)
        text += PlainText(document, p);
    return text;
}

// The offset of a piece of a paragraph's plain characters.
int32_t At(TDocument& document, int32_t paragraph, const std::string& piece)
{
    const size_t at = PlainText(document, paragraph).find(piece);
    EXPECT_NE(at, std::string::npos) << piece;
    return static_cast<int32_t>(at);
}

struct TSel {
    int32_t StartParagraph, StartOffset, EndParagraph, EndOffset;
    bool operator==(const TSel&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TSel& s)
{
    return out << "(" << s.StartParagraph << "," << s.StartOffset << ")-(" << s.EndParagraph << "," << s.EndOffset
               << ")";
}

}  // namespace

class FindReplaceTest : public DocumentWindowTest {
protected:
    void SetUp() override
    {
        DocumentWindowTest::SetUp();
        Doc = OpenRtf("cerises.rtf", FrenchRtf);
        ASSERT_NE(Doc, nullptr);
        Form = std::make_unique<TFindReplaceForm>(nullptr);
        Form->ActiveDocument = [this] { return Doc; };
    }
    void TearDown() override
    {
        Form.reset();
        DocumentWindowTest::TearDown();
    }
    TSel Selection() const
    {
        const TTextSelection& s = Doc->Selection();
        return {s.Start.Paragraph, s.Start.Offset, s.End.Paragraph, s.End.Offset};
    }
    void Caret(int32_t paragraph, int32_t offset)
    {
        Doc->SetSelection(paragraph, offset, paragraph, offset);
        Doc->Caret.Paragraph = paragraph;
        Doc->Caret.Offset = offset;
    }
    void Options(uint8_t flags)
    {
        Form->FindTextFlags = flags;
        Form->UpdateControls();
    }
    TSel Piece(int32_t paragraph, const std::string& piece)
    {
        const int32_t at = At(*Doc, paragraph, piece);
        return {paragraph, at, paragraph, at + static_cast<int32_t>(piece.size())};
    }

    TDocument* Doc = nullptr;
    std::unique_ptr<TFindReplaceForm> Form;
};

TEST(SearchPatternTest, CaretCodesPartsAndReplacementText)
{
    struct TCase {
        const char* Typed;
        std::string Pattern;
        std::vector<std::pair<int32_t, int32_t>> Parts;
        std::string Replacement;
    };
    const TCase cases[] = {
        {"été", "été", {}, "été"},
        {"a^tb^sc", "a\x07" "b\x0A" "c", {}, "a\tb\xA0" "c"},
        // Codes are read after upper-casing; an unknown code goes with its letter.
        {"x^p", "x\x02", {{0, 2}}, "x\r\n"},
        {"a^Pb", "a\x02" "b", {{0, 2}, {2, 1}}, "a\r\nb"},
        {"a^zb", "ab", {}, "ab"},
        // A final caret stands for itself; "^^" is the caret.
        {"1^^2^", "1^2^", {}, "1^2^"},
        {"^b^p", "\x03\x02", {{0, 1}, {1, 1}}, "\r\n"},
        // Wildcards, pictures and objects cannot be inserted.
        {"^?^#^$^g^o", "\x10\x11\x12\x08\x09", {}, ""},
        {"^l^n^m^~^-^+^=", "\x05\x04\x06\x0B\x0E\x0C\x0D", {}, "\x0B\x0F\x0C\x10\x1F\x97\x96"},
        // Typed tab, dashes and non-breaking space become their codes.
        {"\t\x96\x97\xA0", "\x07\x0D\x0C\x0A", {}, "\t\x96\x97\xA0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        std::vector<TSearchPart> parts;
        EXPECT_EQ(CompileSearchPattern(c.Typed, parts), c.Pattern);
        std::vector<std::pair<int32_t, int32_t>> got;
        for (const TSearchPart& part : parts)
            got.emplace_back(part.Start, part.Length);
        EXPECT_EQ(got, c.Parts);
        EXPECT_EQ(SearchPatternToText(c.Typed), c.Replacement);
    }
}

TEST_F(FindReplaceTest, FindNextOverTheFrenchDocument)
{
    struct TCase {
        const char* What;
        const char* Typed;
        uint8_t Flags;
        TSel From;  // the selection before (a caret when empty)
        std::optional<TSel> Found;
    };
    TDocument& d = *Doc;
    const int32_t euro = At(d, 4, "12");
    const TCase cases[] = {
        {"plain", "cerises", 0, {0, 0, 0, 0}, Piece(0, "cerises")},
        {"case ignored, accents kept", "été", 0, {3, 5, 3, 5}, Piece(3, "\xC9t\xE9")},
        {"case respected", "été", ftMatchCase, {3, 5, 3, 5}, TSel{3, At(d, 3, "\xE9t\xE9 ETE"), 3, At(d, 3, " ETE")}},
        {"an unaccented e is no é", "ete", ftMatchCase, {0, 0, 0, 0}, std::nullopt},
        {"accents are no case", "ETE", 0, {3, 0, 3, 0}, Piece(3, "ETE")},
        {"part of a word", "mer", 0, {0, 0, 0, 0}, Piece(1, "mer")},
        {"whole words only", "mer", ftWholeWords, {0, 0, 0, 0}, std::nullopt},
        {"whole word found", "merle", ftWholeWords, {0, 0, 0, 0}, Piece(1, "merle")},
        {"straight apostrophe finds the curly one", "L'\xE9t\xE9", 0, {0, 0, 0, 0}, Piece(3, "L\x92\xE9t\xE9")},
        {"blank finds the non-breaking space", "12 \x80", 0, {0, 0, 0, 0}, TSel{4, euro, 4, euro + 4}},
        {"tab code", "Prix^t12", 0, {0, 0, 0, 0}, Piece(4, "Prix\x07" "12")},
        {"typed tab", "Prix\t12", 0, {0, 0, 0, 0}, Piece(4, "Prix\x07" "12")},
        {"any digit", "^#^#^#^#", 0, {0, 0, 0, 0}, Piece(3, "1871")},
        {"any character", "f^?te", 0, {0, 0, 0, 0}, Piece(2, "f\xEAte")},
        {"any letter", "^$^$^$^$^$^$^$^$^$", 0, {0, 0, 0, 0}, Piece(0, "chanteron")},
        {"conditional hyphens inside the word", "camarade", 0, {0, 0, 0, 0}, Piece(4, "ca\x0Ema\x0Erade")},
        {"any character skips no conditional hyphen", "ca^?ma", 0, {0, 0, 0, 0}, std::nullopt},
        {"across a format change", "grassement", 0, {0, 0, 0, 0}, Piece(5, "grassement")},
        {"ends with the paragraph mark", "cerises,^p", 0, {0, 0, 0, 0},
         TSel{0, At(d, 0, "cerises"), 0, static_cast<int32_t>(PlainText(d, 0).size())}},
        {"across a paragraph end", "moqueur^pSeront", 0, {0, 0, 0, 0}, TSel{1, At(d, 1, "moqueur"), 2, 6}},
        {"a paragraph end only at the end", "s^pE", 0, {0, 0, 0, 0}, std::nullopt},
        {"three parts", "r^pSeront tous en f\xEAte.^pL", 0, {0, 0, 0, 0}, TSel{1, At(d, 1, "r\x02"), 3, 1}},
        {"forward from the caret", "et", 0, {1, 4, 1, 4}, Piece(1, "et")},
        {"upward", "\xE9t\xE9", ftUpward, {3, 27, 3, 27}, TSel{3, At(d, 3, "\xE9t\xE9 ETE"), 3, At(d, 3, " ETE")}},
        {"upward from a selection", "\xE9t\xE9", ftUpward | ftMatchCase, Piece(3, "\xE9t\xE9 ETE"),
         TSel{3, At(d, 3, "\xE9t\xE9 de"), 3, At(d, 3, " de")}},
        {"upward across paragraphs", "moqueur^pSeront", ftUpward, {4, 0, 4, 0}, TSel{1, At(d, 1, "moqueur"), 2, 6}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Doc->SetSelection(c.From.StartParagraph, c.From.StartOffset, c.From.EndParagraph, c.From.EndOffset);
        Doc->Caret.Paragraph = c.From.EndParagraph;
        Doc->Caret.Offset = c.From.EndOffset;
        Options(c.Flags);
        Form->TextToFindComboBox->SetText(c.Typed);
        TMessageAnswers answers;
        answers.AnswerOthers(mrNo);
        const TSel before = Selection();
        Host.Events.clear();
        Form->FindNext();
        if (c.Found) {
            EXPECT_EQ(Selection(), *c.Found);
            EXPECT_EQ(Doc->Caret.Paragraph, c.Found->EndParagraph);
            EXPECT_EQ(Doc->Caret.Offset, c.Found->EndOffset);
            EXPECT_NE(std::find(Host.Events.begin(), Host.Events.end(), evTextFound), Host.Events.end());
            EXPECT_TRUE(answers.Asked().empty());
        } else {
            ASSERT_FALSE(answers.Asked().empty());
            EXPECT_NE(answers.Asked().back().Text.find("n'a pu être trouvée"), std::string::npos);
            // Searched from the start: the selection stays and nobody asks to wrap.
            EXPECT_EQ(Selection(), before);
            EXPECT_EQ(answers.Asked().size(), 1u);
        }
        EXPECT_EQ(Form->LastCommandKind, skFindNext);
    }
}

TEST_F(FindReplaceTest, TheEndOfTheTextAsksToGoOnFromTheOtherEnd)
{
    Form->TextToFindComboBox->SetText("Quand");
    {
        Caret(2, 0);
        TMessageAnswers answers;
        answers.Expect("a atteint la fin du document", mrYes);
        Form->FindNext();
        EXPECT_EQ(Selection(), Piece(0, "Quand"));
    }
    {
        Caret(2, 0);
        TMessageAnswers answers;
        answers.Expect("a atteint la fin du document", mrNo).Expect("n'a pu être trouvée", mrOk);
        Form->FindNext();
        // The prompt left the caret at the end of the text.
        const int32_t last = Doc->StoryLast(0);
        EXPECT_EQ(Selection(), (TSel{last, Doc->Paragraphs(last).GetCharCount() - 1, last,
                                     Doc->Paragraphs(last).GetCharCount() - 1}));
    }
    {
        // Upward, the prompt offers the end of the text.
        Caret(2, 0);
        Options(ftUpward);
        Form->TextToFindComboBox->SetText("sement");
        TMessageAnswers answers;
        answers.Expect("a atteint la fin du document", mrYes);
        Form->FindNext();
        EXPECT_EQ(Selection(), Piece(5, "sement"));
    }
    {
        // An empty search box asks for a text and searches nothing.
        Form->TextToFindComboBox->SetText("");
        TMessageAnswers answers;
        answers.Expect("Veuillez préciser le texte à rechercher", mrOk);
        Form->FindNext();
        EXPECT_TRUE(Form->Visible());
    }
}

TEST_F(FindReplaceTest, TheHeaderBeingEditedIsTheTextSearched)
{
    Doc->EnterHeaderFooterEditing(nullptr, 0);
    ASSERT_NE(Doc->EditedHeaderFooter, nullptr);
    TTextRange header;
    Doc->GetEditRange(header);
    Caret(header.Start.Paragraph, 0);
    Form->TextToFindComboBox->SetText("cerises");
    Form->FindNext();
    EXPECT_EQ(Selection(), Piece(header.Start.Paragraph, "cerises"));
    // From there on, the body's "cerises" is not part of the text searched.
    TMessageAnswers answers;
    answers.Expect("fin de l'en-tête/pied de page", mrYes);
    Form->FindNext();
    EXPECT_EQ(Selection(), Piece(header.Start.Paragraph, "cerises"));
}

TEST_F(FindReplaceTest, ReplaceTakesTheSelectedOccurrenceThenFindsTheNext)
{
    const std::string original = BodyText(*Doc);
    Form->ShowFindReplaceForm(1);
    Form->TextToFindComboBox->SetText("\xE9t\xE9");
    Form->TextToReplaceByComboBox->SetText("hiver");
    Caret(0, 0);
    // Without a selection the first replace only finds.
    Form->ReplaceNext();
    EXPECT_EQ(Selection(), Piece(3, "\xE9t\xE9"));
    EXPECT_EQ(BodyText(*Doc), original);
    Form->ReplaceNext();
    EXPECT_EQ(PlainText(*Doc, 3).substr(0, 15), "L\x92hiver de 1871");
    EXPECT_EQ(Selection(), Piece(3, "\xC9t\xE9"));
    EXPECT_EQ(Doc->UndoManager().Operations(Doc->UndoManager().CurrentIndex()).Kind, 22);
    Doc->UndoManager().Undo();
    RunPending();
    EXPECT_EQ(BodyText(*Doc), original);
    EXPECT_EQ(Form->LastCommandKind, skReplace);
}

TEST_F(FindReplaceTest, ReplaceAllMakesOnePassFromTheStartAndOneUndoTakesItBack)
{
    const std::string original = BodyText(*Doc);
    std::string expected;
    int count = 0;
    for (char ch : original) {
        if (ch == 'a' || ch == 'A') {
            expected += "aa";
            ++count;
        } else {
            expected += ch;
        }
    }
    Caret(0, 0);
    Form->ShowFindReplaceForm(1);
    Form->TextToFindComboBox->SetText("a");
    Form->TextToReplaceByComboBox->SetText("aa");
    const int32_t operations = Doc->UndoManager().Count();
    {
        TMessageAnswers answers;
        answers.Expect("Recherche terminée. " + std::to_string(count) + " remplacement(s)", mrOk);
        Form->ReplaceAll();
    }
    EXPECT_EQ(BodyText(*Doc), expected);
    EXPECT_EQ(Doc->UndoManager().Count(), operations + 1);
    EXPECT_EQ(Doc->UndoManager().Operations(Doc->UndoManager().CurrentIndex()).Kind, 23);
    EXPECT_TRUE(Form->Visible());
    Doc->UndoManager().Undo();
    RunPending();
    EXPECT_EQ(BodyText(*Doc), original);
}

TEST_F(FindReplaceTest, ReplaceAllFromTheMiddleGoesOnFromTheOtherEndOnceAndStopsWhereItBegan)
{
    struct TCase {
        const char* What;
        uint8_t Flags;
        TSel From;
    };
    const TCase cases[] = {
        {"forward", 0, {3, 0, 3, 0}},
        {"upward", ftUpward, {3, 0, 3, 0}},
        {"forward from a selection inside a word", 0, {1, 6, 1, 9}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string original = BodyText(*Doc);
        std::string expected;
        int count = 0;
        for (char ch : original) {
            if (ch == 'e' || ch == 'E') {
                expected += "ee";
                ++count;
            } else {
                expected += ch;
            }
        }
        Doc->SetSelection(c.From.StartParagraph, c.From.StartOffset, c.From.EndParagraph, c.From.EndOffset);
        Options(c.Flags);
        Form->TextToFindComboBox->SetText("e");
        Form->TextToReplaceByComboBox->SetText("ee");
        {
            TMessageAnswers answers;
            answers.Expect("a atteint la fin du document", mrYes)
                .Expect("Recherche terminée. " + std::to_string(count) + " remplacement(s)", mrOk);
            Form->ReplaceAll();
        }
        EXPECT_EQ(BodyText(*Doc), expected);
        // Both passes go back with one undo.
        Doc->UndoManager().Undo();
        RunPending();
        EXPECT_EQ(BodyText(*Doc), original);
    }
}

TEST_F(FindReplaceTest, ReplaceAllAcrossParagraphEndsAndWithNothingToReplace)
{
    Caret(0, 0);
    Form->TextToFindComboBox->SetText(",^p");
    Form->TextToReplaceByComboBox->SetText(" ; ");
    const int32_t paragraphs = Doc->StoryCount(0);
    {
        TMessageAnswers answers;
        answers.Expect("1 remplacement(s)", mrOk);
        Form->ReplaceAll();
    }
    EXPECT_EQ(Doc->StoryCount(0), paragraphs - 1);
    EXPECT_EQ(PlainText(*Doc, 0), "Quand nous chanterons le temps des cerises ; Et gai rossignol et merle moqueur\x02");
    Form->TextToFindComboBox->SetText("xyz");
    Caret(0, 0);
    const int32_t operations = Doc->UndoManager().Count();
    {
        TMessageAnswers answers;
        answers.Expect("n'a pu être trouvée", mrOk);
        Form->ReplaceAll();
    }
    EXPECT_EQ(Doc->UndoManager().Count(), operations);
}

TEST_F(FindReplaceTest, HistoriesKeepTwentyEntriesNewestFirst)
{
    TComboBox& box = *Form->TextToFindComboBox;
    for (int i = 1; i <= 21; ++i)
        Form->AddToHistory(box, "mot" + std::to_string(i));
    ASSERT_EQ(box.Items().Count(), MaxSearchHistory);
    EXPECT_EQ(box.Items().Strings(0), "mot21");
    EXPECT_EQ(box.Items().Strings(19), "mot2");
    // Present (case ignored without match case): moved to the top as typed.
    Form->AddToHistory(box, "MOT5");
    EXPECT_EQ(box.Items().Count(), MaxSearchHistory);
    EXPECT_EQ(box.Items().Strings(0), "MOT5");
    for (int32_t i = 1; i < box.Items().Count(); ++i)
        EXPECT_NE(box.Items().Strings(i), "mot5");
    Form->AddToHistory(box, "");
    EXPECT_EQ(box.Items().Strings(0), "MOT5");
}

TEST_F(FindReplaceTest, TheWindowItsButtonsAndTheSpecialCharacterMenus)
{
    Caret(0, 0);
    Doc->SetSelection(0, 0, 0, 5);
    Form->ShowFindReplaceForm(1);
    RunPending();
    // The selected text fills the search box.
    EXPECT_EQ(Form->TextToFindComboBox->Text(), "Quand");
    EXPECT_TRUE(Form->ReplaceAllBtn->Visible());
    Form->BuildSpecialCharMenu(true);
    EXPECT_EQ(Form->SpecialCharMenuCaptions().size(), 18u);
    Form->BuildSpecialCharMenu(false);
    const std::vector<std::string> replaceable = Form->SpecialCharMenuCaptions();
    ASSERT_EQ(replaceable.size(), 11u);
    EXPECT_EQ(replaceable[1], "Saut de lig&ne");
    EXPECT_EQ(replaceable[10], "&Signe ^");
    Form->TextToReplaceByComboBox->SetText("nous");
    Form->ClickSpecialCharMenuItem(0);
    EXPECT_EQ(Form->TextToReplaceByComboBox->Text(), "nous^P");

    // The option controls make the flags.
    Mouse.Click(Form->WholeWordsOnlyCheckBox->Handle(), {5, 8});
    ASSERT_TRUE(RunUntil([&] { return Form->FindTextFlags == ftWholeWords; }));
    Form->WholeWordsOnlyCheckBox->SetChecked(false);

    Form->TextToFindComboBox->SetText("cerises");
    Caret(0, 0);
    Mouse.Click(Form->FindNextBtn->Handle(), {45, 11});
    ASSERT_TRUE(RunUntil([&] { return Selection() == Piece(0, "cerises"); }));
    {
        Form->TextToReplaceByComboBox->SetText("prunes");
        TMessageAnswers answers;
        answers.Expect("a atteint la fin du document", mrNo).Expect("n'a pu être trouvée", mrOk);
        Mouse.Click(Form->ReplaceBtn->Handle(), {45, 11});
        ASSERT_TRUE(RunUntil([&] { return answers.Asked().size() == 2; }));
    }
    EXPECT_EQ(PlainText(*Doc, 0), "Quand nous chanterons le temps des prunes,\x02");
    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(Form->Handle(), grab) && grab.Width() > 0; }));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/FindReplaceWindow.png"));
    Mouse.Click(Form->CloseBtn->Handle(), {45, 11});
    ASSERT_TRUE(RunUntil([&] { return !Form->Visible(); }));
}

TEST_F(FindReplaceTest, SearchCommandsOpenTheWindowUntilASearchHasRun)
{
    Caret(1, 0);
    Form->RunSearchCommand(skRepeat);
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Form->Page, 0);
    Form->TextToFindComboBox->SetText("merle");
    Form->FindNext();
    Caret(0, 0);
    Form->RunSearchCommand(skRepeat);
    EXPECT_EQ(Selection(), Piece(1, "merle"));
    Form->RunSearchCommand(skReplace);
    EXPECT_EQ(Form->Page, 1);
    EXPECT_EQ(Selection(), Piece(1, "merle"));
}
