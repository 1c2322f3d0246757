// Word checks and suggestions with the shipped French and English systems
// (Debian's Hunspell dictionaries) and with small lexicons of the tests' own.
#include "proofing/SpellFixtures.h"

#include "proofing/AutocorrectLangOptions.h"
#include "proofing/Ligatures.h"

#include <array>
#include <filesystem>

namespace {

struct TWordCase {
    const char* Word;
    uint8_t State;
    const char* First;  // first suggestion (or the replacement), nullptr: not checked
};

// Checks the words and leaves the table of results and first suggestions in
// the test output folder, for people to read.
void CheckTable(TSpellCheckSystem& system, int32_t language, const std::vector<TWordCase>& cases,
                const std::string& outputName)
{
    static const char* const stateNames[] = {"accepted", "auto-replace", "misspelled"};
    std::string table = "| word | result | first suggestion or replacement |\n|---|---|---|\n";
    for (const TWordCase& c : cases) {
        std::array<char, 2065> buffer{};
        const uint8_t state = system.CheckWordCached(c.Word, language, static_cast<int32_t>(buffer.size()), buffer.data());
        std::string shown = Utf8FromAnsi(c.Word);
        for (size_t p; (p = shown.find('\x0B')) != std::string::npos;)
            shown.replace(p, 1, "<11>");  // the hyphen special character
        table += "| " + shown + " | " + (state < 3 ? stateNames[state] : "?") + " | " +
                 (state != csAccepted ? Utf8FromAnsi(FirstSuggestion(buffer.data())) : "") + " |\n";
        EXPECT_EQ(state, c.State) << Utf8FromAnsi(c.Word);
        if (c.First) {
            EXPECT_EQ(Utf8FromAnsi(FirstSuggestion(buffer.data())), Utf8FromAnsi(c.First)) << Utf8FromAnsi(c.Word);
        }
    }
    std::filesystem::create_directories(TestOutputDir());
    WriteTestFile(TestOutputDir() + "/" + outputName, table);
}

class TSettingsGuard {
public:
    TSettingsGuard() : FSaved(ProgramSpellSettings()) {}
    ~TSettingsGuard() { ProgramSpellSettings() = FSaved; }

private:
    TSC_SpellCheckSystemSettings FSaved;
};

}  // namespace

// French: accents, ligatures, elisions with both apostrophes, hyphenated
// compounds, capitals with and without accents, numbers, the personal
// dictionary, ignored words and automatic replacements.
TEST(SpellWordCheckTest, FrenchWords)
{
    auto fr = StartedSystem("Francais.esc");
    ASSERT_TRUE(fr->Running);
    fr->AddWordToDictionary("Eldravinesque", -1);
    fr->IgnoreWordAlways("zorglub");
    const std::string other = "aujourd'hui";
    ASSERT_EQ(fr->AddToLexicon(static_cast<SSCE_S16>(IntFromObject(fr->EditableLexicons.Objects(0))), 'A', &other, "ajd"), 0);
    CheckTable(*fr, 0x040C,
               {
                   {"été", csAccepted, nullptr},
                   {"reçu", csAccepted, nullptr},
                   {"recu", csMisspelled, "reçu"},
                   {"cœur", csAccepted, nullptr},
                   {"coeur", csAccepted, nullptr},
                   {"Œuvre", csAccepted, nullptr},
                   {"l'homme", csAccepted, nullptr},
                   {"l\x92homme", csAccepted, nullptr},
                   {"d'abord", csAccepted, nullptr},
                   {"qu'il", csAccepted, nullptr},
                   {"porte-monnaie", csAccepted, nullptr},
                   {"arc\x0B" "en\x0B" "ciel", csAccepted, nullptr},
                   {"Paris", csAccepted, nullptr},
                   {"PARIS", csAccepted, nullptr},
                   {"ÉTÉ", csAccepted, nullptr},
                   {"ETE", csAccepted, nullptr},  // capitals without accents are accepted (flag on)
                   {"1999", csAccepted, nullptr},
                   {"bateua", csMisspelled, "bateau"},
                   {"McDonald", csMisspelled, nullptr},
                   {"Eldravinesque", csAccepted, nullptr},
                   {"zorglub", csAccepted, nullptr},
                   {"ajd", csAutoReplace, "aujourd'hui"},
               },
               "spelling-words-fr.md");
}

TEST(SpellWordCheckTest, EnglishWords)
{
    auto us = StartedSystem("Anglais US.esc");
    ASSERT_TRUE(us->Running);
    CheckTable(*us, 0x0409,
               {
                   {"color", csAccepted, nullptr},
                   {"colour", csMisspelled, "color"},
                   {"don't", csAccepted, nullptr},
                   {"don\x92t", csAccepted, nullptr},
                   {"well-known", csAccepted, nullptr},
                   {"IBM", csAccepted, nullptr},
                   {"Paris", csAccepted, nullptr},
                   {"paris", csMisspelled, nullptr},  // case respected
                   {"teh", csMisspelled, "the"},
                   {"recieve", csMisspelled, "receive"},
                   {"encyclopædia", csMisspelled, "encyclopedia"},  // no ligature handling outside French
                   {"A4", csAccepted, nullptr},                       // words with digits ignored
               },
               "spelling-words-en-us.md");
    auto gb = StartedSystem("Anglais GB.esc");
    CheckTable(*gb, 0x0809, {{"colour", csAccepted, nullptr}, {"color", csMisspelled, "colour"}},
               "spelling-words-en-gb.md");
}

TEST(SpellWordCheckTest, MixedCaseIgnoredWithoutEngineOrCache)
{
    TSettingsGuard guard;
    auto us = StartedSystem("Anglais US.esc");
    ProgramSpellSettings().Flags |= scIgnoreMixedCase;
    EXPECT_EQ(us->CheckWordCached("McDonald", 0x0409, 0, nullptr), csAccepted);
    EXPECT_EQ(us->CheckWordCached("iPod", 0x0409, 0, nullptr), csAccepted);
    EXPECT_TRUE(us->AcceptedCache.empty());
    EXPECT_TRUE(us->MisspelledCache.empty());
    EXPECT_EQ(us->CheckWordCached("PARISS", 0x0409, 0, nullptr), csMisspelled);
    EXPECT_FALSE(HasIrregularCase("Paris"));
    EXPECT_FALSE(HasIrregularCase("PARIS"));
    EXPECT_TRUE(HasIrregularCase("l'McDonald"));
}

// Apostrophe forms share their cache entries; a check without buffer asks for
// no suggestions; forgetting a word drops all its forms.
TEST(SpellWordCheckTest, MisspellingCacheForms)
{
    TSpellFolder folder("cache-forms");
    folder.Lexicon("fr.tlx", "l'homme\r\n");
    folder.Description("Fr.esc", EscText(1036, {"fr.tlx"}));
    auto fr = StartedSystem("Fr.esc");
    EXPECT_EQ(fr->CheckWordCached("l\x92hom", 0x040C, 0, nullptr), csMisspelled);
    for (const char* form : {"l'hom", "l\x91hom", "l\x92hom", "l`hom"})
        EXPECT_TRUE(fr->IsCachedMisspelling(form)) << form;
    EXPECT_EQ(fr->CheckWordCached("l'hom", 0x040C, 0, nullptr), csMisspelled);
    EXPECT_EQ(fr->CheckWordCached("l`homme", 0x040C, 0, nullptr), csAccepted);
    fr->ForgetMisspelling("l\x92hom");
    EXPECT_TRUE(fr->MisspelledCache.empty());
}

TEST(SpellWordCheckTest, MisspellingCacheIsBounded)
{
    TSpellFolder folder("cache-bound");
    folder.Lexicon("en.tlx", "word\r\n");
    folder.Description("En.esc", EscText(1033, {"en.tlx"}));
    auto en = StartedSystem("En.esc");
    for (int i = 0; i < 3000; ++i) {
        std::string w = "x";
        for (int n = i; n > 0; n /= 26)
            w += static_cast<char>('a' + n % 26);
        ASSERT_EQ(en->CheckWordCached(w + "q", 0x0409, 0, nullptr), csMisspelled);
        ASSERT_LE(en->MisspelledCache.size(), MisspelledCacheLimit);
    }
}

TEST(SpellWordCheckTest, SwissGermanAndCompounds)
{
    TSpellFolder folder("german");
    folder.Lexicon("de.tlx", "Straße\r\nHaus\r\nTür\r\nschlüssel\r\naaa\r\n");
    folder.Description("De.esc", EscText(1031, {"de.tlx"}));
    folder.Description("DeCh.esc", EscText(0x0807, {"de.tlx"}));
    folder.Description("En.esc", EscText(1033, {"de.tlx"}));
    auto ch = StartedSystem("DeCh.esc");
    auto de = StartedSystem("De.esc");
    auto en = StartedSystem("En.esc");
    EXPECT_EQ(ch->CheckWordCached("Strasse", 0x0807, 0, nullptr), csAccepted);
    EXPECT_EQ(de->CheckWordCached("Strasse", 0x0407, 0, nullptr), csMisspelled);
    EXPECT_EQ(ch->CheckWordCached("ssStrasse", 0x0807, 0, nullptr), csMisspelled);
    EXPECT_EQ(de->CheckWordCached("Haustür", 0x0407, 0, nullptr), csAccepted);
    EXPECT_EQ(de->CheckWordCached("Haustürschlüssel", 0x0407, 0, nullptr), csAccepted);
    EXPECT_EQ(de->CheckWordCached("Haus-Tür", 0x0407, 0, nullptr), csMisspelled);
    EXPECT_EQ(en->CheckWordCached("Haustür", 0x0409, 0, nullptr), csMisspelled);
    EXPECT_EQ(de->CheckWordCached("Hausxy", 0x0407, 0, nullptr), csMisspelled);
    // A long word of accepted pieces that never splits: the work per word is bounded.
    const std::string longWord = std::string(60, 'a') + "b";
    EXPECT_EQ(de->CheckWordCached(longWord, 0x0407, 0, nullptr), csMisspelled);
    EXPECT_EQ(de->CheckWordCached(std::string(63, 'a'), 0x0407, 0, nullptr), csAccepted);
}

TEST(SpellWordCheckTest, CanadianCapitalsAndSuggestionOrder)
{
    TSpellFolder folder("canadian");
    folder.Lexicon("fr.tlx", "ÉTÉ\r\nÉLÈVE\r\nÉTÉE\r\ncoeur\r\n");
    folder.Description("Fr.esc", EscText(1036, {"fr.tlx"}));
    auto fr = StartedSystem("Fr.esc");
    EXPECT_EQ(fr->CheckWordCached("ETE", 0x040C, 0, nullptr), csAccepted);
    EXPECT_EQ(fr->CheckWordCached("ELEVE", 0x040C, 0, nullptr), csAccepted);
    uint8_t state = 0;
    EXPECT_EQ(fr->CheckWord(0x040C, "ETE", state, 0, nullptr), 1);  // not Canadian: no retry
    // Suggestions: near misses first, the plain form after each accented capital.
    std::array<char, 2065> buffer{};
    EXPECT_EQ(fr->CheckWordCached("ÉTÉS", 0x040C, static_cast<int32_t>(buffer.size()), buffer.data()), csMisspelled);
    const auto list = Suggestions(buffer.data(), buffer.size());
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], "ÉTÉ");
    EXPECT_EQ(list[1], "ETE");
    EXPECT_EQ(list[2], "ÉTÉE");
    EXPECT_EQ(list[3], "ETEE");
    // The lexicon's "oe" comes back as a ligature.
    EXPECT_EQ(fr->CheckWordCached("coeurr", 0x040C, static_cast<int32_t>(buffer.size()), buffer.data()), csMisspelled);
    EXPECT_EQ(FirstSuggestion(buffer.data()), "cœur");
}

TEST(SpellWordCheckTest, SuggestionsFitTheBuffer)
{
    auto fr = StartedSystem("Francais.esc");
    for (int32_t size : {2, 5, 9, 40}) {
        std::vector<char> buffer(static_cast<size_t>(size), 'x');
        fr->MisspelledCache.clear();
        EXPECT_EQ(fr->CheckWordCached("bateua", 0x040C, size, buffer.data()), csMisspelled);
        const auto list = Suggestions(buffer.data(), buffer.size());
        size_t used = 0;
        for (const auto& s : list)
            used += s.size() + 1;
        EXPECT_LT(used, static_cast<size_t>(size)) << size;
        EXPECT_EQ(buffer[used], '\0');
    }
}

TEST(SpellWordCheckTest, Ligatures)
{
    TAutocorrectLangOptions& fr = GetAutocorrectLangOptionsManager().GetLangOptions(0x040C);
    const struct {
        const char* In;
        const char* Out;
    } make[] = {{"coeur", "cœur"}, {"Caen", "Caen"}, {"coefficient", "coefficient"}, {"loess", "lœss"},
                {"OEUVRE", "ŒUVRE"}, {"ex aequo", "ex æquo"}};
    for (const auto& m : make)
        EXPECT_EQ(Utf8FromAnsi(MakeLigatures(m.In)), Utf8FromAnsi(m.Out)) << m.In;
    EXPECT_EQ(fr.ExpandLigatures("Œuvre"), "Oeuvre");
    EXPECT_EQ(fr.ExpandLigatures("ŒUVRE"), "OEUVRE");
    EXPECT_EQ(fr.ExpandLigatures("cæcum"), "caecum");
    EXPECT_EQ(fr.ApplyLigatures(std::string("coeur\0soeur", 11)), std::string("cœur\0sœur", 9));
}

// An engine error counts as accepted and leaves the caches alone.
TEST(SpellWordCheckTest, EngineErrorCountsAsAccepted)
{
    TSpellFolder folder("engine-error");
    folder.Lexicon("en.tlx", "word\r\n");
    folder.Description("En.esc", EscText(1033, {"en.tlx"}));
    auto en = StartedSystem("En.esc");
    SSCE_CloseSession(en->SessionId);
    uint8_t state = csMisspelled;
    EXPECT_LT(en->CheckWord(0x0409, "qwzx", state, 0, nullptr), 0);
    EXPECT_EQ(state, csMisspelled);  // untouched
    EXPECT_EQ(en->CheckWordCached("qwzx", 0x0409, 0, nullptr), csAccepted);
    EXPECT_TRUE(en->AcceptedCache.empty());
    EXPECT_TRUE(en->MisspelledCache.empty());
    en->SessionId = -1;
}
