// Personal dictionaries and lexicon files: where they are written, what their
// bytes become after edits, damaged, missing and compressed lexicons, and the
// description written back.
#include "proofing/SpellFixtures.h"

#include "foundation/settings/IniFile.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "proofing/AutocorrectLangOptions.h"

#include <zlib.h>

namespace {

std::string UserLex(const std::string& name)
{
    return SpellUserFolder() + "Lex/" + name;
}

SSCE_S16 LexId(const TStringList& list, int32_t index)
{
    return static_cast<SSCE_S16>(IntFromObject(list.Objects(index)));
}

}  // namespace

TEST(SpellDictionaryTest, PersonalDictionaryEditsKeepTheFileExact)
{
    TSpellFolder folder("dict-edits");
    folder.Lexicon("en.tlx", "word\r\n");
    folder.Description("En.esc", EscText(1033, {"en.tlx"}));
    {
        auto en = StartedSystem("En.esc");
        en->AddWordToDictionary("Eldravin", -1);
        ASSERT_EQ(en->EditableLexicons.Count(), 1);
        EXPECT_EQ(en->EditableLexicons.Strings(0), "Mon dictionnaire 1.tlx");
        const std::string file = UserLex("Mon dictionnaire 1.tlx");
        EXPECT_EQ(ReadTestFile(file), "#LID 30840\r\nEldravin\r\n");
        EXPECT_FALSE(TestPathExists(folder.LexPath("Mon dictionnaire 1.tlx")));

        const SSCE_S16 id = LexId(en->EditableLexicons, 0);
        const std::string the = "the", they = "they";
        EXPECT_EQ(en->AddToLexicon(id, 'A', &the, "teh"), 0);
        EXPECT_EQ(en->AddToLexicon(id, 'i', nullptr, "Corvel"), 0);
        EXPECT_EQ(ReadTestFile(file), "#LID 30840\r\nEldravin\r\nteh\tAthe\r\nCorvel\r\n");
        EXPECT_EQ(en->AddToLexicon(id, 'A', &they, "teh"), 0);  // change
        EXPECT_EQ(en->DeleteFromLexicon(id, "Eldravin"), 0);
        EXPECT_EQ(ReadTestFile(file), "#LID 30840\r\nteh\tAthey\r\nCorvel\r\n");
        EXPECT_LT(en->DeleteFromLexicon(id, "absent"), 0);

        TStringList lines;
        en->GetLexiconWords(id, lines);
        ASSERT_EQ(lines.Count(), 2);
        EXPECT_EQ(lines.Strings(0), "teh   --->   they");
        EXPECT_EQ(lines.Strings(1), "Corvel");

        // The display lines, edited, go back as entries, never as arrow text.
        lines.SetStrings(0, "teh   --->   the");
        lines.Add("hte   --->   the");
        lines.Delete(1);
        lines.Add("Brightfold");
        EXPECT_EQ(en->SetLexiconWords(id, lines), 0);
        EXPECT_EQ(ReadTestFile(file), "#LID 30840\r\nteh\tAthe\r\nhte\tAthe\r\nBrightfold\r\n");
        std::array<char, 64> buffer{};
        EXPECT_EQ(en->CheckWordCached("hte", 0x0409, 64, buffer.data()), csAutoReplace);
        EXPECT_STREQ(buffer.data(), "the");
        EXPECT_EQ(en->CheckWordCached("Brightfold", 0x0409, 0, nullptr), csAccepted);
    }
    // Read back by a new system from the description it wrote to the user's folder.
    EXPECT_FALSE(TestPathExists(SpellUserFolder() + "En.esc") == false);
    EXPECT_EQ(ReadTestFile(folder.Root + "Orthographe/En.esc"), EscText(1033, {"en.tlx"}));
    auto again = StartedSystem("En.esc");
    ASSERT_EQ(again->EditableLexicons.Count(), 1);
    EXPECT_EQ(again->CheckWordCached("Brightfold", 0x0409, 0, nullptr), csAccepted);
    EXPECT_EQ(again->CheckWordCached("Eldravin", 0x0409, 0, nullptr), csMisspelled);
    EXPECT_EQ(again->MakeDictionaryFileName(), UserLex("Mon dictionnaire 2.tlx"));
}

// A shipped personal dictionary is copied to the user's folder before it is
// written; a missing one is made again there, with the warning.
TEST(SpellDictionaryTest, EditableLexiconsLiveInTheUsersFolder)
{
    TSpellFolder folder("dict-user");
    folder.Lexicon("base.tlx", "word\r\n");
    folder.Lexicon("shipped.tlx", "#LID 30840\r\nalpha\r\n");
    folder.Description("En.esc", EscText(1033, {"base.tlx"}, {"shipped.tlx", "lost.tlx"}));
    TMessageAnswers answers;
    answers.Expect("Your personal dictionary \"lost.tlx\" could not be found.", mrOk);
    auto en = StartedSystem("En.esc");
    ASSERT_EQ(en->EditableLexicons.Count(), 2);
    en->AddWordToDictionary("beta", 0);
    EXPECT_EQ(ReadTestFile(folder.LexPath("shipped.tlx")), "#LID 30840\r\nalpha\r\n");
    EXPECT_EQ(ReadTestFile(UserLex("shipped.tlx")), "#LID 30840\r\nalpha\r\nbeta\r\n");
    EXPECT_EQ(ReadTestFile(UserLex("lost.tlx")), "");
    EXPECT_FALSE(TestPathExists(folder.LexPath("lost.tlx")));
}

TEST(SpellDictionaryTest, DamagedLexiconIsRefusedWithTheQuestion)
{
    const struct {
        const char* Name;
        std::string Bytes;
    } damaged[] = {
        {"action.tlx", "good\r\nbad\tZ\r\n"},
        {"nul.tlx", std::string("mot\0\r\n", 6)},
        {"header.tlx", "#LID x\r\nmot\r\n"},
        {"auto.tlx", "mot\tA\r\n"},
        {"link.hlx", "#HUNSPELL\r\n"},
        {"compressed.tlx", std::string("\x01\x4C\xE5\xBF" "garbage", 11)},
    };
    for (const auto& d : damaged) {
        TSpellFolder folder(std::string("dict-damaged-") + d.Name);
        folder.Lexicon("base.tlx", "word\r\n");
        folder.Lexicon(d.Name, d.Bytes);
        folder.Description("En.esc", EscText(1033, {"base.tlx"}, {d.Name}));
        {
            TMessageAnswers answers;
            answers.Expect(std::string("Impossible de charger le dictionnaire \"") + d.Name + "\".", mrNo);
            auto en = StartedSystem("En.esc");
            EXPECT_EQ(en->EditableLexicons.Count(), 0) << d.Name;
            EXPECT_TRUE(en->Modified);
        }
        // The damaged file is left as it was; the description without it goes
        // to the user's folder.
        EXPECT_EQ(ReadTestFile(folder.LexPath(d.Name)), d.Bytes);
        EXPECT_EQ(ReadTestFile(SpellUserFolder() + "En.esc").find(d.Name), std::string::npos) << d.Name;
        EXPECT_EQ(ReadTestFile(folder.Root + "Orthographe/En.esc"), EscText(1033, {"base.tlx"}, {d.Name}));
        DeleteFile(SpellUserFolder() + "En.esc");
    }
    // Yes keeps the entry, with the engine's negative result.
    TSpellFolder folder("dict-damaged-keep");
    folder.Lexicon("base.tlx", "word\r\n");
    folder.Lexicon("bad.tlx", "bad\tZ\r\n");
    folder.Description("En.esc", EscText(1033, {"base.tlx"}, {"bad.tlx"}));
    TMessageAnswers answers;
    answers.Expect("Souhaitez-vous conserver ce dictionnaire et renouveler votre tentative plus tard ?", mrYes);
    auto en = StartedSystem("En.esc");
    ASSERT_EQ(en->EditableLexicons.Count(), 1);
    EXPECT_LT(LexId(en->EditableLexicons, 0), 0);
    EXPECT_FALSE(en->Modified);
}

TEST(SpellDictionaryTest, AddLexiconRefusesAKnownFileName)
{
    TSpellFolder folder("dict-add");
    folder.Lexicon("base.tlx", "word\r\n");
    folder.Description("En.esc", EscText(1033, {"base.tlx"}));
    auto en = StartedSystem("En.esc");
    EXPECT_EQ(en->AddLexicon("/elsewhere/BASE.TLX", lkEditable), -1);
    EXPECT_FALSE(en->Modified);
    EXPECT_GE(en->AddLexicon(UserLex("new.tlx"), lkNewEditable), 0);
    EXPECT_EQ(en->EditableLexicons.Strings(0), "new.tlx");
    EXPECT_TRUE(en->Modified);
}

TEST(SpellDictionaryTest, CompressedLexiconOpensThroughATemporaryCopy)
{
    const std::string plain = "Zwiebelkuchen\r\n";
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(size, '\0');
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                       reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size())),
              Z_OK);
    packed.resize(size);
    TSpellFolder folder("dict-compressed");
    folder.Lexicon("packed.clx", std::string("\x01\x4C\xE5\xBF", 4) + packed);
    folder.Description("De.esc", EscText(1031, {"packed.clx"}));
    auto de = StartedSystem("De.esc");
    ASSERT_EQ(de->TempFiles.Count(), 1);
    const std::string temp = de->TempFiles.Strings(0);
    EXPECT_TRUE(TestPathExists(temp));
    EXPECT_EQ(de->CheckWordCached("Zwiebelkuchen", 0x0407, 0, nullptr), csAccepted);
    de->Stop();
    EXPECT_FALSE(TestPathExists(temp));
}

// Ignored words survive a restart of the system (options changed), not a new
// system (a new program run).
TEST(SpellDictionaryTest, IgnoredWordsSurviveRestart)
{
    TSpellFolder folder("dict-ignore");
    folder.Lexicon("base.tlx", "word\r\n");
    folder.Description("En.esc", EscText(1033, {"base.tlx"}));
    auto en = StartedSystem("En.esc");
    EXPECT_EQ(en->CheckWordCached("qwzx", 0x0409, 0, nullptr), csMisspelled);
    en->IgnoreWordAlways("qwzx");
    EXPECT_EQ(en->CheckWordCached("qwzx", 0x0409, 0, nullptr), csAccepted);
    en->Restart();
    EXPECT_EQ(en->CheckWordCached("qwzx", 0x0409, 0, nullptr), csAccepted);
    auto other = StartedSystem("En.esc");
    EXPECT_EQ(other->CheckWordCached("qwzx", 0x0409, 0, nullptr), csMisspelled);
}

// A Czech personal dictionary keeps the bytes of the lines it had (î, Î, ç,
// Ć, ć share their bytes with the engine's forms of ž, Ž, ť, Š, š); only the
// added entry is written, in the text's code page.
TEST(SpellDictionaryTest, CzechLexiconKeepsItsBytes)
{
    TSpellFolder folder("dict-czech");
    const std::string original = "#LID 30840\r\nc\xEEte\r\n\xCEle\r\nfa\xE7on\r\n\xC6ma\r\n\xE6ma\r\n\x9Eluva\r\n";
    folder.Lexicon("cz.tlx", original);
    folder.Lexicon("binary.tlx", std::string("\x01\x02", 2));
    folder.Description("Cs.esc", EscText(1029, {}, {"cz.tlx"}));
    {
        auto cs = StartedSystem("Cs.esc");
        EXPECT_EQ(cs->CheckWordCached("\x9Eluva", 0x0405, 0, nullptr), csAccepted);
        EXPECT_EQ(cs->CheckWordCached("\x9A" "atka", 0x0405, 0, nullptr), csMisspelled);
        cs->AddWordToDictionary("\x9A" "atka", 0);
        EXPECT_EQ(cs->CheckWordCached("\x9A" "atka", 0x0405, 0, nullptr), csAccepted);
        EXPECT_EQ(ReadTestFile(UserLex("cz.tlx")), original + "\x9A" "atka\r\n");
        TStringList lines;
        cs->GetLexiconWords(LexId(cs->EditableLexicons, 0), lines);
        EXPECT_EQ(lines.Strings(6), "\x9A" "atka");
    }
    EXPECT_EQ(ReadTestFile(UserLex("cz.tlx")), original + "\x9A" "atka\r\n");
    EXPECT_EQ(ReadTestFile(folder.LexPath("cz.tlx")), original);
}

TEST(SpellDictionaryTest, ExceptionWordsAreAccepted)
{
    TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(0x0409);
    options.CapSentEx.Add("etc.");
    options.OtherEx.Add("GHz");
    options.OtherEx.Add("...");
    TSpellFolder folder("dict-exceptions");
    folder.Lexicon("base.tlx", "word\r\n");
    folder.Description("En.esc", EscText(1033, {"base.tlx"}));
    auto en = StartedSystem("En.esc");
    EXPECT_EQ(en->CheckWordCached("etc", 0x0409, 0, nullptr), csAccepted);
    EXPECT_EQ(en->CheckWordCached("GHz", 0x0409, 0, nullptr), csAccepted);
    options.CapSentEx.Clear();
    options.OtherEx.Clear();
}
