#include "proofing/HyphManager.h"

#include "proofing/HyphDataFile.h"
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

    // English: the prefix table first, applied again to the rest.
    TLanguageHyphData english(9);
    EXPECT_EQ(english.SplitSyllables("underline"), "un-der-line");
    EXPECT_EQ(english.SplitSyllables("unrest"), "un-re-st");
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

    WriteTestFile(dir + "/bad.dat", "XXXXdata");
    THyphManager bad(dir + "/bad.dat");
    EXPECT_FALSE(bad.FileValid());

    // A damaged block: the language has no data.
    std::string damaged = HyphDataFile({{12, HyphLanguageBlock("2b", "", "")}});
    damaged[6] = static_cast<char>(damaged[6] ^ 0x55);
    WriteTestFile(dir + "/damaged.dat", damaged);
    THyphManager broken(dir + "/damaged.dat");
    EXPECT_FALSE(broken.GetLanguageData(12).HasData);
}
