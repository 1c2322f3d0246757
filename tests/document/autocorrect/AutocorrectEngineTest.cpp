// The autocorrection engine as typing drives it: each character goes in
// through the insert operation and, after a delimiter or an apostrophe, the
// typed-character correction runs as the window runs it. One undo takes a
// correction back with the character that set it off.
#include "document/EditingFixtures.h"
#include "document/editing/Autocorrect.h"
#include "foundation/TextTables.h"
#include "proofing/AutocorrectLangOptions.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t EnglishUS = 0x0409;
constexpr int32_t FrenchFR = 0x040C;

class TAutocorrectHost : public TEditHost {
public:
    int32_t Language = FrenchFR;
    bool Urls = false;
    int32_t KeyboardLanguage() override { return Language; }
    bool UrlDetection() override { return Urls; }
    void SetUrlDetection(bool on) override { Urls = on; }
};

// The characters of a paragraph as the user reads them: the non-breaking
// space as "~", the dashes as their characters; a raised character is
// preceded by "^", a lowered one by "_", an italic one by "/".
std::string Render(TDocument& document, int32_t paragraph)
{
    const TParagraph& par = document.Paragraphs(paragraph);
    const TMemory& plain = par.GetPlainChars();
    const std::vector<TCharFormat> formats = CharFormatsOfParagraph(par);
    std::string out;
    for (int32_t i = 0; i + 1 < plain.Size(); ++i) {
        const uint8_t c = plain.Data()[i];
        if (static_cast<size_t>(i) < formats.size()) {
            const TCharFormat& f = formats[static_cast<size_t>(i)];
            if (f[cfVerticalPosition] == 1)
                out += '^';
            if (f[cfVerticalPosition] == 2)
                out += '_';
            if (f[cfItalic] == 1)
                out += '/';
        }
        switch (c) {
        case scNonBreakingSpace: out += '~'; break;
        case scEmDash: out += '\x97'; break;
        case scEnDash: out += '\x96'; break;
        default: out += static_cast<char>(c);
        }
    }
    return out;
}

class AutocorrectTest : public EditingTest {
protected:
    TAutocorrectHost AcHost;

    void SetUp() override
    {
        Host.Group = false;
        AcHost.Group = false;
        GetAutocorrectLangOptionsManager().Clear();
        GetAutocorrectLangOptionsManager().Switches = TAutocorrectSwitches();
        AutocorrectPassState().fill(0);
    }

    // An empty document whose typed text is in the language.
    void NewDocument(int32_t language)
    {
        AcHost.Language = language;
        Doc = std::make_unique<TDocument>(false);
        Build({"{21:" + std::to_string(language) + "}" + kMark});
    }

    // Types one character and runs the correction the window runs after it.
    void TypeChar(char c)
    {
        TypeText(std::string(1, c));
        const auto typed = static_cast<uint8_t>(c);
        if (typed == '\'' || DelimiterCharTable[typed]) {
            const TTextPosition caret{Doc->Caret.Paragraph, Doc->Caret.Offset};
            Doc->ExecuteOperation(docAutocorrectTypedChar, {const_cast<uint8_t*>(&typed), const_cast<TTextPosition*>(&caret)});
        }
    }
    void TypeAll(const std::string& text)
    {
        for (char c : text)
            TypeChar(c);
    }
};

struct TTypingCase {
    int32_t Language;
    const char* Typed;
    const char* Expected;
};

// Sequences typed into an empty paragraph and what they become.
const TTypingCase TypingCases[] = {
    // Capitals at the start of a sentence, not after an abbreviation.
    {FrenchFR, "bonjour. il pleut ", "Bonjour. Il pleut "},
    {FrenchFR, "voir etc. la suite ", "Voir etc. la suite "},
    {EnglishUS, "hello. it rains ", "Hello. It rains "},
    {EnglishUS, "see fig. the list ", "See fig. the list "},
    // A list marker keeps its letter.
    {FrenchFR, "a) voici ", "a) voici "},
    // Two initial capitals; not in a two-letter word, a word in capitals or
    // an ordinal.
    {EnglishUS, "THe ", "The "},
    {EnglishUS, "TH THE 2ND ", "TH THE 2^N^D "},
    {FrenchFR, "le CHat ", "Le Chat "},
    {EnglishUS, "PCs ", "PCs "},
    // French quotes with their non-breaking spaces, and the other styles.
    {FrenchFR, "il dit \"oui\" ", "Il dit \xAB~oui~\xBB "},
    {FrenchFR, "l'\"ami\" ", "L\x92\xAB~ami~\xBB "},
    {EnglishUS, "say \"yes\" ", "Say \x93yes\x94 "},
    {EnglishUS, "it's 'so' ", "It\x92s \x91so\x92 "},
    // Replacement entries, in the case the user typed them.
    {EnglishUS, "teh cat ", "The cat "},
    {EnglishUS, "so TEH cat ", "So THE cat "},
    {EnglishUS, "i think ", "I think "},
    {EnglishUS, "(c) 2024 ", "\xA9 2024 "},
    {FrenchFR, "la Cie ", "La C^i^e "},
    {FrenchFR, "ca va ", "\xC7" "a va "},
    {FrenchFR, "mot - mot ", "Mot \x96 mot "},
    // Exceptions leave a token alone.
    {FrenchFR, "le GHz ", "Le GHz "},
    // Ordinals and fractions.
    {FrenchFR, "le 1er et le XIVe ", "Le 1^e^r et le XIV^e "},
    {EnglishUS, "the 21st ", "The 21^s^t "},
    {FrenchFR, "1/2 ", "^1//_2 "},
    {FrenchFR, "1/2/3 ", "1/2/3 "},
    {EnglishUS, "1/2 ", "\xBD "},
    // French ligatures and thousands.
    {FrenchFR, "le coeur et le coefficient ", "Le c\x9C" "ur et le coefficient "},
    {FrenchFR, "12345 ", "12~345 "},
};

TEST_F(AutocorrectTest, TypedSequencesAreCorrected)
{
    for (const TTypingCase& c : TypingCases) {
        SCOPED_TRACE(c.Typed);
        AcHost.Language = c.Language;
        NewDocument(c.Language);
        EXPECT_NO_THROW(TypeAll(c.Typed));
        EXPECT_EQ(Render(*Doc, 0), c.Expected);
        // The caret stays after the last typed character.
        EXPECT_EQ(Doc->Caret.Offset, Doc->Paragraphs(0).GetCharCount() - 1);
        ExpectDocumentConsistent(*Doc);
    }
}

// Each correction is undone in one step together with the character that
// set it off, and redone the same way.
TEST_F(AutocorrectTest, OneUndoTakesTheCorrectionWithTheTypedCharacter)
{
    struct {
        int32_t Language;
        const char* Before;
        char Last;
    } const cases[] = {
        {FrenchFR, "bonjour. il", ' '}, {EnglishUS, "THe", ' '},   {FrenchFR, "la Cie", ' '},
        {FrenchFR, "il dit ", '"'},     {FrenchFR, "le 1er", ' '}, {FrenchFR, "1/2", ' '},
        {EnglishUS, "i", ' '},          {FrenchFR, "coeur", ' '},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Before);
        NewDocument(c.Language);
        TypeAll(c.Before);
        const std::string before = DumpDocument(*Doc);
        const std::string shown = Render(*Doc, 0);
        TypeChar(c.Last);
        const std::string after = DumpDocument(*Doc);
        ASSERT_NE(Render(*Doc, 0), shown + c.Last) << "no correction happened";
        Undo().Undo();
        EXPECT_EQ(DumpDocument(*Doc), before);
        Undo().Redo();
        EXPECT_EQ(DumpDocument(*Doc), after);
    }
}

TEST_F(AutocorrectTest, SwitchesAndDecisionsTurnKindsOff)
{
    TAutocorrectSwitches& switches = GetAutocorrectLangOptionsManager().Switches;
    switches.SentenceCaps = false;
    switches.ReplaceText = false;
    NewDocument(FrenchFR);
    TypeAll("teh. la Cie ");
    EXPECT_EQ(Render(*Doc, 0), "teh. la Cie ");

    // A refused typed text stays; a refused kind is skipped for the pass.
    switches = TAutocorrectSwitches();
    TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(FrenchFR);
    options.Decisions.AddObject("Cie", ObjectFromInt(2));
    AutocorrectPassState()[acSentenceCaps] = 2;
    NewDocument(FrenchFR);
    TypeAll("la Cie ca ");
    EXPECT_EQ(Render(*Doc, 0), "la Cie \xE7" "a ");
}

// The explicit pass over a range runs the blank rules too: French spacing
// before the high punctuation marks.
TEST_F(AutocorrectTest, RangePassPutsFrenchSpacing)
{
    struct {
        const char* Text;
        int32_t Offset;
        uint16_t Kinds;
        const char* Expected;
    } const cases[] = {
        {"Quoi!", 5, 1u << acInsertSpace, "Quoi~!"},
        {"Vraiment ?", 9, 1u << acNonBreakingSpace, "Vraiment~?"},
        {"Note: voir", 5, 1u << acInsertSpace, "Note~: voir"},
        {"Un  deux", 4, 1u << acCollapseBlanks, "Un deux"},
        {"3,5 et 4.2", 2, 1u << acInsertSpace, "3,5 et 4.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        NewDocument(FrenchFR);
        TypeText(c.Text);
        const std::string before = DumpDocument(*Doc);
        const TTextRange range{{0, c.Offset}, {0, c.Offset}};
        uint16_t kinds = c.Kinds;
        Doc->ExecuteOperation(docAutocorrectRange, {const_cast<TTextRange*>(&range), &kinds});
        EXPECT_EQ(Render(*Doc, 0), c.Expected);
        if (Render(*Doc, 0) != c.Text) {
            Undo().Undo();
            EXPECT_EQ(DumpDocument(*Doc), before);
        }
    }
}

}  // namespace

namespace {

// A double quote typed after a blank opens in each quote style, and one
// typed after a letter closes; the French style puts its non-breaking spaces.
TEST_F(AutocorrectTest, QuoteStyles)
{
    struct {
        uint8_t Style;
        const char* Expected;
    } const cases[] = {
        {0, "Un \x93mot\x94 "},
        {1, "Un \xAB~mot~\xBB "},
        {2, "Un \x84mot\x93 "},
        {3, "Un \xBB~mot~\xAB "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Style));
        NewDocument(FrenchFR);
        GetAutocorrectLangOptionsManager().GetLangOptions(FrenchFR).Quotes = c.Style;
        TypeAll("un \"mot\" ");
        EXPECT_EQ(Render(*Doc, 0), c.Expected);
    }
    // Without the space rules the French quotes come alone.
    GetAutocorrectLangOptionsManager().Switches.SpaceRules = false;
    GetAutocorrectLangOptionsManager().GetLangOptions(FrenchFR).Quotes = 1;
    NewDocument(FrenchFR);
    TypeAll("un \"mot\" ");
    EXPECT_EQ(Render(*Doc, 0), "Un \xABmot\xBB ");
}

// A web address becomes a hyperlink after a blank, not after another
// character, and is no sentence start to capitalise.
TEST_F(AutocorrectTest, WebAddresses)
{
    NewDocument(EnglishUS);
    TypeAll("www.example.com");
    TypeChar('x');
    EXPECT_TRUE(Doc->RangeObjects().empty());
    EXPECT_EQ(Render(*Doc, 0), "www.example.comx");

    NewDocument(EnglishUS);
    TypeAll("www.example.com ");
    EXPECT_EQ(Render(*Doc, 0).substr(0, 15), "www.example.com");
    ASSERT_EQ(Doc->RangeObjects().size(), 1u);
    EXPECT_EQ(Doc->RangeObjects()[0]->Type, 88);  // HYPERLINK
    Undo().Undo();
    EXPECT_TRUE(Doc->RangeObjects().empty());
    EXPECT_EQ(Render(*Doc, 0), "www.example.com");
}

}  // namespace
