// Text access: runs, words, links and sentences found at positions of a French
// paragraph with punctuation, apostrophes, non-breaking spaces before ";:!?"
// and inside guillemets.
#include "document/EditingFixtures.h"
#include "document/text/TextAccess.h"
#include "proofing/AutocorrectLangOptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TUrlHost : public TEditHost {
public:
    bool Urls = true;
    bool UrlDetection() override { return Urls; }
};

// The non-breaking space.
const std::string Nbsp = "{22:10}";

class TextAccessTest : public EditingTest {
protected:
    TUrlHost UrlHost;

    void SetUp() override
    {
        Build({"\xAB" + Nbsp + "Bonjour" + Nbsp + "\xBB, dit-il" + Nbsp +
                   "; l'\xE9t\xE9 arrive. Qu'en penses-tu" + Nbsp +
                   "? Voir www.example.fr/page.html ou C:\\Docs\\plan.rtf" + Nbsp + "!" + kMark,
               std::string("Tout est pr\xEAt... Enfin presque. Des pommes, etc. et des poires. 1. Premier point.") +
                   kMark});
    }

    // The offset of a piece of text in a paragraph's plain characters.
    int32_t At(const std::string& piece, int32_t paragraph = 0) const
    {
        const size_t found = Plain(paragraph).find(piece);
        EXPECT_NE(found, std::string::npos) << piece;
        return static_cast<int32_t>(found);
    }
    TTextPosition Pos(int32_t offset, int32_t paragraph = 0) const { return {paragraph, offset}; }
    std::string WordText(const TFoundWord& word) const
    {
        return Plain(word.Position.Paragraph).substr(static_cast<size_t>(word.Position.Offset),
                                                     static_cast<size_t>(word.Length));
    }
    std::string WordAt(int32_t offset, int32_t paragraph = 0)
    {
        TFoundWord word;
        Doc->GetWordAt(Pos(offset, paragraph), word);
        return WordText(word);
    }
    std::string PrevWord(int32_t offset, int32_t paragraph = 0)
    {
        TFoundWord word;
        Doc->GetPrevWord(Pos(offset, paragraph), word);
        return WordText(word);
    }
    int32_t NextWord(int32_t offset, int32_t paragraph = 0)
    {
        TTextPosition next;
        Doc->GetNextWord(Pos(offset, paragraph), next);
        EXPECT_EQ(next.Paragraph, paragraph);
        return next.Offset;
    }
    std::string Sentence(int32_t offset, int32_t paragraph = 0)
    {
        TTextRange range;
        Doc->GetSentenceAt(Pos(offset, paragraph), range);
        EXPECT_EQ(range.Start.Paragraph, paragraph);
        EXPECT_EQ(range.End.Paragraph, paragraph);
        return Plain(paragraph).substr(static_cast<size_t>(range.Start.Offset),
                                       static_cast<size_t>(range.End.Offset - range.Start.Offset));
    }
};

}  // namespace

TEST_F(TextAccessTest, TextOfRunsAndRanges)
{
    AddToStory(stBody, "a{22:7}b{22:12}c{22:13}d{22:11}e{22:10}f{24:0}g{22:14}h" + std::string(kMark));
    EXPECT_EQ(Doc->GetTextRun(2, 0, 100), "ab\x97" "c\x96" "d-e fgh");
    EXPECT_EQ(Doc->GetTextRun(2, 2, 3), "b\x97" "c");
    EXPECT_EQ(Doc->GetTextRun(2, -5, 2), "a");
    EXPECT_EQ(Doc->GetTextRun(99, 0, 5), "");
    // Within one paragraph, and up to the mark when the range goes on.
    EXPECT_EQ(Doc->GetRangeText({Pos(At("Tout", 1), 1), Pos(At(" est", 1), 1)}), "Tout");
    EXPECT_EQ(Doc->GetRangeText({Pos(At("1. Premier", 1), 1), Pos(3, 2)}), "1. Premier point.");

    AddToStory(stBody, std::string(2000, 'x') + kMark);
    EXPECT_EQ(Doc->GetTextRun(3, 0, 2000), std::string(1024, 'x'));
}

TEST_F(TextAccessTest, WordsAtPositions)
{
    UrlHost.Urls = false;
    struct TCase {
        int32_t Offset;
        const char* Word;
    };
    const TCase cases[] = {
        {At("Bonjour"), "Bonjour"},
        {At("jour"), "Bonjour"},
        // At the separator right after a word: that word.
        {At("\xBB") - 1, "Bonjour"},
        {At("dit"), "dit"},
        {At("-il") + 1, "il"},
        {At("l'\xE9t\xE9"), "l'\xE9t\xE9"},
        {At("\xE9t\xE9 arrive"), "l'\xE9t\xE9"},
        {At(". Qu"), "arrive"},
        {At("Qu'en"), "Qu'en"},
        {At("penses"), "penses"},
        // Between separators: nothing.
        {At(", dit") + 1, ""},
        {At("\xBB"), ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Word);
        EXPECT_EQ(WordAt(c.Offset), c.Word);
    }
    // Spelling keeps hyphens and full stops inside the word and knows
    // abbreviations in capitals.
    TFoundWord word;
    EXPECT_FALSE(Doc->GetSpellWordAt(Pos(At("penses")), word));
    EXPECT_EQ(WordText(word), "penses-tu");
    EXPECT_FALSE(Doc->GetSpellWordAt(Pos(At("etc.", 1), 1), word));
    EXPECT_EQ(WordText(word), "etc.");
    AddToStory(stBody, std::string("U.S. J.-P. ABC. A-B") + kMark);
    struct TAbbreviation {
        const char* Word;
        bool Is;
    };
    for (const TAbbreviation& a : {TAbbreviation{"U.S.", true}, TAbbreviation{"J.-P.", true},
                                   TAbbreviation{"ABC.", false}, TAbbreviation{"A-B", false}}) {
        SCOPED_TRACE(a.Word);
        EXPECT_EQ(Doc->GetSpellWordAt(Pos(At(a.Word, 2), 2), word), a.Is);
        EXPECT_EQ(WordText(word), a.Word);
    }
}

TEST_F(TextAccessTest, PreviousAndNextWords)
{
    UrlHost.Urls = false;
    // Back from a word: the word before, over blanks and elided articles.
    EXPECT_EQ(PrevWord(At("arrive")), "\xE9t\xE9");
    EXPECT_EQ(PrevWord(At("Qu'en")), ".");
    EXPECT_EQ(PrevWord(At("l'")), ";");
    EXPECT_EQ(PrevWord(At("dit")), "\xBB,");
    EXPECT_EQ(PrevWord(At(" presque", 1), 1), "Enfin");
    // A run of symbols is one word.
    EXPECT_EQ(PrevWord(At(" Enfin", 1), 1), "...");
    // At the start of the first paragraph: the position itself.
    TFoundWord word;
    Doc->GetPrevWord(Pos(0), word);
    EXPECT_EQ(word.Position.Paragraph, 0);
    EXPECT_EQ(word.Position.Offset, 0);
    EXPECT_EQ(word.Length, 0);
    // At the start of a later one: the end of the paragraph before.
    Doc->GetPrevWord(Pos(0, 1), word);
    EXPECT_EQ(word.Position.Paragraph, 0);
    EXPECT_EQ(word.Position.Offset, static_cast<int32_t>(Plain(0).size()) - 1);

    // Forward: over the word and the blanks after it; a guillemet stands alone.
    EXPECT_EQ(NextWord(At("Bonjour")), At("\xBB"));
    EXPECT_EQ(NextWord(At("\xBB")), At(", dit"));
    EXPECT_EQ(NextWord(At("l'")), At("\xE9t\xE9"));
    EXPECT_EQ(NextWord(At("arrive")), At(". Qu"));
    EXPECT_EQ(NextWord(At("... Enfin", 1), 1), At("Enfin", 1));
    // Before the mark: the next paragraph; in the last paragraph, after the mark.
    TTextPosition next;
    const int32_t last = static_cast<int32_t>(Plain(0).size()) - 1;
    Doc->GetNextWord(Pos(last), next);
    EXPECT_EQ(next.Paragraph, 1);
    EXPECT_EQ(next.Offset, 0);
    const int32_t end = static_cast<int32_t>(Plain(1).size());
    Doc->GetNextWord(Pos(end - 1, 1), next);
    EXPECT_EQ(next.Paragraph, 1);
    EXPECT_EQ(next.Offset, end);
    Doc->GetNextWord(Pos(end, 1), next);
    EXPECT_EQ(next.Offset, end);
}

TEST_F(TextAccessTest, LinksUnderThePosition)
{
    TFoundWord word;
    // A web address, whole, from any of its characters (the final full stop
    // and the guillemets are not part of it).
    for (const char* piece : {"www.", "example", "page.html"}) {
        SCOPED_TRACE(piece);
        Doc->GetLinkAt(Pos(At(piece)), word);
        EXPECT_EQ(WordText(word), "www.example.fr/page.html");
    }
    Doc->GetWordAt(Pos(At("example")), word);
    EXPECT_EQ(WordText(word), "www.example.fr/page.html");
    // A file path with a drive, up to the non-breaking space.
    Doc->GetLinkAt(Pos(At("Docs")), word);
    EXPECT_EQ(WordText(word), "C:\\Docs\\plan.rtf");
    Doc->GetWordOrLinkAt(Pos(At("penses")), word);
    EXPECT_EQ(WordText(word), "penses");
    // "arrive." is no address.
    Doc->GetUrlAt(Pos(At("arrive")), word);
    EXPECT_EQ(word.Length, 0);
    // Without the URL option only the file link is found.
    UrlHost.Urls = false;
    Doc->GetLinkAt(Pos(At("example")), word);
    EXPECT_EQ(word.Length, 0);
    Doc->GetLinkAt(Pos(At("plan")), word);
    EXPECT_EQ(WordText(word), "C:\\Docs\\plan.rtf");

    struct TCase {
        const char* Text;
        bool FileLink;
    };
    const TCase files[] = {
        {"C:\\Docs\\rapport.rtf", true}, {"d:notes", true},        {"/home/jean/lettre", true},
        {"\\\\serveur\\partage", true},   {"rapport.DOC", true},    {"file:///lettre.wri", true},
        {"file:///rapport", false},       {"notes.xyz", false},     {"a.b", false},
        {"", false},                      {"file:///", false},      {"version.txt.bak", false},
    };
    for (const TCase& c : files) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(IsFileLinkText(c.Text), c.FileLink);
    }
    EXPECT_TRUE(IsUrlLike("www.example.fr"));
    EXPECT_TRUE(IsUrlLike("v1.2"));
    EXPECT_FALSE(IsUrlLike("fin."));
    EXPECT_FALSE(IsUrlLike("a.b"));
}

TEST_F(TextAccessTest, SentencesAroundPositions)
{
    EXPECT_TRUE(Doc->IsSentenceStart(Pos(0)));
    EXPECT_TRUE(Doc->IsSentenceStart(Pos(At("Bonjour"))));
    EXPECT_FALSE(Doc->IsSentenceStart(Pos(At("dit"))));
    EXPECT_FALSE(Doc->IsSentenceStart(Pos(At("l'"))));
    EXPECT_TRUE(Doc->IsSentenceStart(Pos(At("Qu'en"))));
    EXPECT_TRUE(Doc->IsSentenceStart(Pos(At("Voir"))));
    // A full stop inside a name or a number ends no sentence.
    EXPECT_FALSE(Doc->IsSentenceStart(Pos(At("rtf"))));
    EXPECT_FALSE(Doc->IsSentenceStart(Pos(At("html"))));
    // After an ellipsis only a lone letter or number ends a sentence.
    EXPECT_FALSE(Doc->IsSentenceStart(Pos(At("Enfin", 1), 1)));
    EXPECT_TRUE(Doc->IsSentenceStart(Pos(At("Premier", 1), 1)));

    const std::string first = "\xAB" "\n" "Bonjour" "\n" "\xBB, dit-il" "\n" "; l'\xE9t\xE9 arrive.";
    EXPECT_EQ(Sentence(At("jour")), first);
    EXPECT_EQ(Sentence(At("arrive")), first);
    EXPECT_EQ(Sentence(At("penses")), "Qu'en penses-tu\n?");
    EXPECT_EQ(Sentence(At("Voir")), "Voir www.example.fr/page.html ou C:\\Docs\\plan.rtf\n!");
    EXPECT_EQ(Sentence(At("plan")), "Voir www.example.fr/page.html ou C:\\Docs\\plan.rtf\n!");
    EXPECT_EQ(Sentence(At("presque", 1), 1), "Tout est pr\xEAt... Enfin presque.");
    EXPECT_EQ(Sentence(At("poires", 1), 1), "et des poires.");
    // A number and its full stop stand for themselves.
    EXPECT_EQ(Sentence(At("Premier", 1), 1), "Premier point.");
    EXPECT_EQ(Sentence(At("1. Premier", 1), 1), "1.");

    // "etc." ends no sentence once the language's exceptions list it.
    const int32_t language = Doc->GetLanguageAt(1, At("etc.", 1) + 1);
    TAutocorrectLangOptions& options =
        GetAutocorrectLangOptionsManager().GetLangOptions(static_cast<LANGID>(language));
    options.CapSentEx.Add("etc.");
    EXPECT_EQ(Sentence(At("poires", 1), 1), "Des pommes, etc. et des poires.");
    options.CapSentEx.Clear();
}
