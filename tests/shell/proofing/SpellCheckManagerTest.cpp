// The spelling manager over documents: what the background check marks, the
// marks through typing, deleting and undoing, the word typed last, and the
// search for the next misspelling.
#include "shell/proofing/SpellingFixtures.h"

#include "document/text/BackgroundSpelling.h"

namespace {

using Words = std::vector<std::string>;

struct TMarkCase {
    const char* Text;
    Words Marked;
    const char* What;
};

}  // namespace

// Which words of a French paragraph the background check marks.
TEST_F(SpellingTest, BackgroundCheckMarksTheMisspelledWords)
{
    const TMarkCase cases[] = {
        {"Le chat mange la souriss.", {"souriss"}, "a misspelled word"},
        {"Il a dit 'bonjjour' puis \x93merci\x94.", {"bonjjour"}, "quotation marks are not part of the word"},
        {"Il a vu le le chat.", {"le"}, "the second of doubled words"},
        {"Il a vu le  Le chat.", {"Le"}, "doubled words in other cases, two blanks between"},
        {"Il a vu le, le chat.", {}, "a comma between two words"},
        {"Le 1er janvier du XIVe si\xE8" "cle.", {}, "ordinals"},
        {"C'est l'ordinateur de l'entreprise.", {}, "elisions accepted whole"},
        {"C'est l'ordinateeur.", {"ordinateeur"}, "an elision checked as its two parts"},
        {"Un porte-monnaie et un arc-en-ciel.", {}, "hyphenated words accepted whole"},
        {"Un porte-monnaiie.", {"porte-monnaiie"}, "a long hyphenated word with one letter too many"},
        {"Un porte-monaie.", {"monaie"}, "other hyphenated words are checked part by part"},
    };
    for (const TMarkCase& c : cases) {
        Build({c.Text});
        SetLanguage(kFrench);
        ASSERT_TRUE(CheckInBackground(*Doc)) << c.What;
        EXPECT_EQ(MarkedWords(*Doc), c.Marked) << c.What;
        EXPECT_EQ(Doc->SpellState.Phase, c.Marked.empty() ? bsFinishedClean : bsFinishedMisspelled) << c.What;
    }
}

// Words without a language are left alone; a language without a system is
// marked as such; the state tells the text without a system.
TEST_F(SpellingTest, LanguagesDecideWhatIsChecked)
{
    Build({"Ceci est fautif: erreure.", "Das ist eine Katze.", "This is a mistaek."});
    SetLanguage(kFrench, 0, 0, 0, -1);
    SetLanguage(kGerman, 1, 0, 1, -1);
    SetLanguage(kEnglishUS, 2, 0, 2, -1);
    ASSERT_TRUE(CheckInBackground(*Doc));
    EXPECT_EQ(MarkedWords(*Doc), (Words{"erreure", "Das#", "ist#", "eine#", "Katze#", "mistaek"}));
    EXPECT_EQ(Doc->SpellState.Phase, bsFinishedMisspelled);

    Build({"Das ist eine Katze."});
    SetLanguage(LanguageNeutral);
    ASSERT_TRUE(CheckInBackground(*Doc));
    EXPECT_TRUE(MarkedWords(*Doc).empty());
    EXPECT_EQ(Doc->SpellState.Phase, bsFinishedNoSystem);
}

// Typing and deleting move the marks after the change with the text and drop
// the mark of a word they touch; undo gives the marks back once checked.
TEST_F(SpellingTest, MarksFollowTypingDeletingAndUndo)
{
    Build({"Un mott ici et un autre mott."});
    SetLanguage(kFrench);
    ASSERT_TRUE(CheckInBackground(*Doc));
    ASSERT_EQ(MarkedWords(*Doc), (Words{"mott", "mott"}));

    Caret(0, 0);
    TypeText("Oui. ");
    EXPECT_EQ(MarkedWords(*Doc), (Words{"mott", "mott"})) << "both marks moved with the text";
    Caret(0, 12);  // "Oui. Un mott|"
    TypeText("x");
    EXPECT_EQ(MarkedWords(*Doc), (Words{"mott"})) << "the word typed in is no longer marked";
    ASSERT_TRUE(CheckInBackground(*Doc));
    EXPECT_EQ(MarkedWords(*Doc), (Words{"mottx", "mott"}));

    TTextRange range;
    MakeTextPos(0, 0, range.Start);
    MakeTextPos(0, 5, range.End);
    uint8_t flags = 0;
    Doc->ExecuteOperation(docDeleteRange, {&range.Start, &range.End, &flags});
    EXPECT_EQ(MarkedWords(*Doc), (Words{"mottx", "mott"})) << "deleting before the marks moves them back";

    while (Undo().CanUndo())
        Undo().Undo();
    ASSERT_EQ(PlainText(0), "Un mott ici et un autre mott.");
    ASSERT_TRUE(CheckInBackground(*Doc));
    EXPECT_EQ(MarkedWords(*Doc), (Words{"mott", "mott"}));
}

// The word typed last waits while the user types it, and is checked when
// asked for; with checking as one types off, nothing is remembered.
TEST_F(SpellingTest, TheWordTypedLastIsCheckedWhenTheCaretLeavesIt)
{
    for (const bool asYouType : {true, false}) {
        ProgramSpellSettings().Flags = asYouType ? 0x0D34 : (0x0D34 & ~scCheckAsYouType);
        Build({"Bonjour " + std::string(kMark)});
        SetLanguage(kFrench);
        Doc->RestartSpellCheck();
        Caret(0, 8);
        Type("toutt");
        ASSERT_EQ(Doc->Selection().End.Offset, 13);
        Doc->NoteWordAtCaret();
        EXPECT_EQ(Doc->SpellState.WordPending, asYouType ? 1 : 0);
        if (asYouType) {
            EXPECT_EQ(Doc->SpellState.PendingWord.Position.Offset, 8);
            EXPECT_EQ(Doc->SpellState.PendingWord.Length, 5);
            // The background check passes over the word being typed.
            GetSpellCheckManager().BackgroundStep(*Doc);
            EXPECT_TRUE(MarkedWords(*Doc).empty());
        }
        Doc->CheckPendingWord();
        EXPECT_EQ(MarkedWords(*Doc), asYouType ? Words{"toutt"} : Words{}) << asYouType;
        EXPECT_EQ(Doc->SpellState.WordPending, 0);
    }
}

// A document excluded from checking keeps its state through restarts and is
// never checked.
TEST_F(SpellingTest, AnExcludedDocumentIsNotChecked)
{
    Build({"Une fautte."});
    SetLanguage(kFrench);
    Doc->SpellState.Phase = bsFinishedClean;
    Doc->ExcludedFromSpelling = 1;
    Doc->RestartSpellCheck();
    EXPECT_EQ(Doc->SpellState.Phase, bsFinishedClean);
    Doc->SpellState.Phase = bsChecking;
    GetSpellCheckManager().BackgroundStep(*Doc);
    TTextRange all;
    Doc->GetBodyRange(all);
    GetSpellCheckManager().CheckSpelling(*Doc, scmRange, &all);
    EXPECT_TRUE(MarkedWords(*Doc).empty());
}

// The search for the next misspelling goes from after the caret to the end,
// then wraps to the start; the caret ends after the word found.
TEST_F(SpellingTest, NextMisspellingWrapsToTheStart)
{
    Build({"Un premmier mot, un deuxiemme mot.", "Et un troisiemme."});
    SetLanguage(kFrench);
    struct TStep {
        int32_t Paragraph, Offset;
        int32_t FoundParagraph, FoundOffset;
    };
    const TStep steps[] = {
        {0, 0, 0, 11},   // "premmier"
        {0, 11, 0, 29},  // "deuxiemme"
        {0, 29, 1, 16},  // "troisiemme"
        {1, 16, 0, 11},  // wrapped to "premmier"
    };
    for (const TStep& s : steps) {
        Caret(s.Paragraph, s.Offset);
        GetSpellCheckManager().CheckSpelling(*Doc, scmNextMisspelling);
        EXPECT_EQ(Doc->Selection().End.Paragraph, s.FoundParagraph) << s.Paragraph << "," << s.Offset;
        EXPECT_EQ(Doc->Selection().End.Offset, s.FoundOffset) << s.Paragraph << "," << s.Offset;
    }
}

// The analysis of the word at the caret: a misspelled word with its
// suggestions, a doubled word, a word of a language without a system.
TEST_F(SpellingTest, TheWordAtTheCaretIsAnalysed)
{
    Build({"Un chapeu vu le le soir.", "Das Haus."});
    SetLanguage(kFrench, 0, 0, 0, -1);
    SetLanguage(kGerman, 1, 0, 1, -1);
    ASSERT_TRUE(CheckInBackground(*Doc));
    TSpellCheckManager& manager = GetSpellCheckManager();

    Caret(0, 5);
    manager.CheckWordAtCaret(*Doc);
    EXPECT_TRUE(manager.CaretWord.Misspelled);
    EXPECT_FALSE(manager.CaretWord.Doubled);
    EXPECT_EQ(manager.CaretWord.Text, "chapeu");
    ASSERT_FALSE(manager.Suggestions.empty());
    EXPECT_NE(std::find(manager.Suggestions.begin(), manager.Suggestions.end(), "chapeau"), manager.Suggestions.end());

    Caret(0, 17);
    manager.CheckWordAtCaret(*Doc);
    EXPECT_TRUE(manager.CaretWord.Doubled);
    EXPECT_EQ(manager.CaretWord.DoubledText, "le le");
    EXPECT_EQ(manager.CaretWord.Range.Position.Offset, 13);
    EXPECT_EQ(manager.CaretWord.Range.Length, 5);

    Caret(1, 1);
    manager.CheckWordAtCaret(*Doc);
    EXPECT_TRUE(manager.CaretWord.NoSystem);
    EXPECT_FALSE(manager.CaretWord.Misspelled);
}
