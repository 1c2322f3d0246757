#include "proofing/HyphManager.h"

#include "proofing/HyphDataFile.h"
#include "foundation/MessageAnswers.h"
#include "foundation/MessageDlg.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/win/RegistryStore.h"
#include "platform/runtime/Exception.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using TPoints = std::vector<int32_t>;

TPoints Points(const TLanguageHyphData& data, const std::string& word)
{
    TPoints points;
    data.GetHyphenationPoints(word, points);
    return points;
}

TLanguageHyphData French(const std::string& patterns = "")
{
    TLanguageHyphData data(12);
    data.LoadBlock(HyphLanguageBlock(patterns, "", ""));
    return data;
}

}  // namespace

// The syllable rule: vowels and consonants, no break before the first vowel,
// at least two letters before a break and three after the last.
TEST(HyphManagerTest, SyllableRule)
{
    const TLanguageHyphData french = French();
    EXPECT_EQ(french.SplitSyllables("combinaison"), "com-bi-nai-son");
    EXPECT_EQ(Points(french, "combinaison"), (TPoints{3, 5, 8}));
    EXPECT_EQ(Points(french, "Combinaison"), (TPoints{3, 5, 8}));
    EXPECT_EQ(french.SplitSyllables("été"), "été");
    EXPECT_EQ(Points(french, "les"), TPoints{});
    EXPECT_EQ(french.SplitSyllables("structure"), "struc-ture");

    // English: the prefix table first, applied again to the rest, but never
    // leaving a syllable without a vowel ("st" of unrest).
    TLanguageHyphData english(9);
    EXPECT_EQ(english.SplitSyllables("underline"), "un-der-line");
    EXPECT_EQ(english.SplitSyllables("unrest"), "un-rest");
    EXPECT_EQ(english.SplitSyllables("rest"), "rest");
    EXPECT_EQ(english.SplitSyllables("unreal"), "un-re-al");
}

// Patterns only move or remove the syllable breaks: an even level forbids a
// break, which moves to an odd neighbour or goes.
TEST(HyphManagerTest, PatternsMoveOrRemoveBreaks)
{
    // An even level before "b": the break moves one letter left.
    EXPECT_EQ(Points(French("2b"), "combinaison"), (TPoints{2, 5, 8}));
    EXPECT_EQ(French("2b").ApplyPatterns("combinaison"), "co-mbi-nai-son");
    EXPECT_EQ(French("2s5o").ApplyPatterns("combinaison"), "com-bi-na-ison");
    // A high odd level after it: the break would move right, but not so as
    // to leave one letter alone; then it goes.
    EXPECT_EQ(French("2b5i").ApplyPatterns("combinaison"), "combi-nai-son");
    EXPECT_EQ(French("2n5ai").ApplyPatterns("combinaison"), "com-bin-ai-son");
    // Even on both sides: the break goes.
    EXPECT_EQ(Points(French("2i2n2a"), "combinaison"), (TPoints{3, 8}));
    // A pattern that does not occur changes nothing; one that occurs twice
    // counts at its first place only.
    EXPECT_EQ(Points(French("2xyz"), "combinaison"), (TPoints{3, 5, 8}));
    EXPECT_EQ(French("o2").ApplyPatterns("combinaison"), "com-bi-nai-son");
    // A word of three letters gets no break, whatever the patterns say.
    EXPECT_EQ(Points(French("a1b"), "abc"), TPoints{});
}

// Exceptions and the user's words come before the patterns.
TEST(HyphManagerTest, ExceptionsAndUserWords)
{
    // Front coding: "3xyz" after "abcdef" is "abcxyz"; masks of 1 byte up to
    // 8 letters, 2 bytes from 9.
    const std::string exceptions = "abcdef\r\n3xyz\nabcdefgh\rabcdefghi\r\n";
    const std::string masks = std::string("\x04", 1) + std::string("\x08", 1) + std::string("\x10", 1) +
                              std::string("\x00\x01", 2);
    TLanguageHyphData data(12);
    data.LoadBlock(HyphLanguageBlock("", exceptions, masks));
    ASSERT_EQ(data.Exceptions.size(), 4u);
    EXPECT_EQ(Points(data, "abcdef"), TPoints{2});
    EXPECT_EQ(Points(data, "ABCXYZ"), TPoints{3});
    EXPECT_EQ(Points(data, "abcdefgh"), TPoints{4});
    EXPECT_EQ(Points(data, "abcdefghi"), TPoints{8});
    // A block that ends before its masks is refused.
    TLanguageHyphData truncated(12);
    EXPECT_THROW(truncated.LoadBlock(HyphLanguageBlock("", exceptions, "\x04")), EReadError);

    // A user word overrides everything, even without a hyphen.
    data.SetUserWords({"ab-c-def", "com-binaison", "combi-naison", "parapluie"});
    EXPECT_EQ(Points(data, "abcdef"), (TPoints{2, 3}));
    EXPECT_EQ(Points(data, "Combinaison"), TPoints{3});
    EXPECT_EQ(Points(data, "parapluie"), TPoints{});
    EXPECT_EQ(data.UserWords, (std::vector<std::string>{"abcdef", "combinaison", "parapluie"}));

    // Without data only the user's words give points.
    TLanguageHyphData none(7);
    EXPECT_EQ(Points(none, "combinaison"), TPoints{});
    none.SetUserWords({"Kom-bi"});
    EXPECT_EQ(Points(none, "kombi"), TPoints{3});
}

// The data file: languages found through the directory, read once, kept;
// a missing or damaged file leaves every language without data.
TEST(HyphManagerTest, DataFile)
{
    const std::string dir = MakeTestDir("hyph");
    const std::string path = dir + "/Coupe de mots.dat";
    WriteTestFile(path, HyphDataFile({{9, HyphLanguageBlock("", "", "")},
                                      {12, HyphLanguageBlock("2b\r\n", "abcdef\r\n", "\x04")},
                                      {16, ""}}));
    THyphManager manager(path);
    EXPECT_TRUE(manager.FileValid());
    TLanguageHyphData& french = manager.GetLanguageData(0x040C);
    EXPECT_TRUE(french.HasData);
    EXPECT_EQ(&manager.GetLanguageData(0x080C), &french);  // same primary language
    EXPECT_EQ(french.Patterns, std::vector<std::string>{"2b"});
    EXPECT_EQ(Points(french, "abcdef"), TPoints{2});
    EXPECT_EQ(Points(french, "combinaison"), (TPoints{2, 5, 8}));
    EXPECT_FALSE(manager.GetLanguageData(0x0410).HasData);  // listed without a block
    EXPECT_FALSE(manager.GetLanguageData(0x0407).HasData);  // not listed
    EXPECT_TRUE(manager.GetLanguageData(0x0409).HasData);

    THyphManager missing(dir + "/absent.dat");
    EXPECT_FALSE(missing.FileValid());
    EXPECT_FALSE(missing.GetLanguageData(12).HasData);

    // A wrong signature is said at once; the manager works without data.
    WriteTestFile(dir + "/bad.dat", "XXXXdata");
    {
        TMessageAnswers answers;
        answers.Expect("n'est pas d'une version appropriée", mrOk);
        THyphManager bad(dir + "/bad.dat");
        EXPECT_FALSE(bad.FileValid());
    }
    // A directory longer than the file: the file cannot be read.
    std::string shortDirectory = HyphDataFile({{12, HyphLanguageBlock("2b", "", "")}});
    shortDirectory[shortDirectory.size() - 2] = '\x7F';
    WriteTestFile(dir + "/short.dat", shortDirectory);
    {
        TMessageAnswers answers;
        answers.Expect("Impossible d'ouvrir le fichier", mrOk);
        THyphManager unreadable(dir + "/short.dat");
        EXPECT_FALSE(unreadable.FileValid());
    }

    // A damaged block: the language has no data.
    std::string damaged = HyphDataFile({{12, HyphLanguageBlock("2b", "", "")}});
    damaged[6] = static_cast<char>(damaged[6] ^ 0x55);
    WriteTestFile(dir + "/damaged.dat", damaged);
    THyphManager broken(dir + "/damaged.dat");
    EXPECT_FALSE(broken.GetLanguageData(12).HasData);
}

// The messages a run gives: a missing file once, when the manager is made; a
// language without data once, however often it is asked for.
TEST(HyphManagerTest, QueuedNotices)
{
    const std::string dir = MakeTestDir("hyph-notices");
    TakeQueuedMessages();
    {
        THyphManager missing(dir + "/absent.dat");
        missing.GetLanguageData(7);
        const std::vector<TQueuedMessage> queued = TakeQueuedMessages();
        ASSERT_EQ(queued.size(), 1u);
        EXPECT_NE(queued[0].Text.find("n'est pas installé"), std::string::npos);
    }
    const std::string path = dir + "/Coupe de mots.dat";
    WriteTestFile(path, HyphDataFile({{12, HyphLanguageBlock("2b\r\n", "", "")}, {16, ""}}));
    THyphManager manager(path);
    manager.GetLanguageData(12);
    EXPECT_TRUE(TakeQueuedMessages().empty());
    TLanguageHyphData& italian = manager.GetLanguageData(0x0410);
    EXPECT_EQ(&manager.GetLanguageData(0x0810), &italian);
    manager.GetLanguageData(0x0407);
    const std::vector<TQueuedMessage> queued = TakeQueuedMessages();
    ASSERT_EQ(queued.size(), 2u) << "one notice for each language without data";
    EXPECT_NE(queued[0].Text.find("ne prend pas encore en charge"), std::string::npos);
}

// The user's words come from the settings when a language is first asked for
// and go back under the hyphenation key, one long string per language.
TEST(HyphManagerTest, UserWordsAreSavedAndReadBack)
{
    const std::string dir = MakeTestDir("hyph-user");
    const std::string path = dir + "/Coupe de mots.dat";
    WriteTestFile(path, HyphDataFile({{12, HyphLanguageBlock("", "", "")}}));
    TRegistryStore registry(dir + "/registry");
    {
        THyphManager manager(path);
        TLanguageHyphData& french = manager.GetLanguageData(12);
        french.SetUserWords({"com-bi-nai-son", "pa-ra-pluie"});
        french.Modified = true;
        manager.GetLanguageData(9);  // unchanged: not written
        TRegistryEx store(registry);
        manager.SaveToStorage(store);
        EXPECT_TRUE(store.KeyExists(std::string(HyphenationSettingsKey) + "12"));
        EXPECT_FALSE(store.KeyExists(std::string(HyphenationSettingsKey) + "9"));
    }
    THyphManager again(path);
    again.SetStoreSource([&registry] { return std::make_unique<TRegistryEx>(registry); });
    const TLanguageHyphData& french = again.GetLanguageData(12);
    EXPECT_EQ(french.UserHyphenatedWords, (std::vector<std::string>{"com-bi-nai-son", "pa-ra-pluie"}));
    EXPECT_EQ(Points(french, "parapluie"), (TPoints{2, 4}));
    // Transferring the settings writes every language the old store holds.
    TRegistryStore target(dir + "/target-registry");
    TRegistryEx targetStore(target);
    THyphManager fresh(path);
    fresh.SetStoreSource([&registry] { return std::make_unique<TRegistryEx>(registry); });
    fresh.SaveToStorage(targetStore, true);
    EXPECT_TRUE(targetStore.KeyExists(std::string(HyphenationSettingsKey) + "12"));
}

// The data file the build makes from the hyphenation patterns of the system,
// found in the program folder as the program finds it.
TEST(HyphManagerTest, ProgramDataFileHyphenatesThreeLanguages)
{
    THyphManager manager;
    ASSERT_TRUE(manager.FileValid());
    struct {
        int32_t Language;
        const char* Word;
        const char* Hyphenated;
    } const cases[] = {
        {0x040C, "combinaison", "com-bi-nai-son"},
        {0x040C, "ordinateur", "or-di-na-teur"},
        {0x040C, "développement", "dé-ve-lop-pe-ment"},
        {0x040C, "Paragraphe", "Pa-ra-graphe"},
        {0x0409, "computer", "com-puter"},
        {0x0409, "underline", "un-der-line"},
        {0x0407, "Silbentrennung", "Sil-ben-tren-nung"},
        {0x0407, "Wörterbuch", "Wör-ter-buch"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Word);
        const TLanguageHyphData& data = manager.GetLanguageData(c.Language);
        ASSERT_TRUE(data.HasData);
        TPoints points;
        data.GetHyphenationPoints(c.Word, points);
        std::string shown = c.Word;
        for (auto it = points.rbegin(); it != points.rend(); ++it)
            shown.insert(static_cast<size_t>(*it), 1, '-');
        EXPECT_EQ(shown, c.Hyphenated);
    }
}
