// Automatic hyphenation while lines are built.
#include "LayoutFixtures.h"

#include "proofing/HyphDataFile.h"
#include "proofing/HyphManager.h"
#include "platform/testing/Testing.h"

namespace {

// French hyphenation data without patterns: the syllable rule alone.
class HyphenationTest : public LayoutTest {
protected:
    HyphenationTest()
    {
        const std::string path = MakeTestDir("hyphenation") + "/Coupe de mots.dat";
        WriteTestFile(path, HyphDataFile({{12, HyphLanguageBlock("", "", "")}}));
        FPrevious = SetHyphManager(std::make_unique<THyphManager>(path));
    }
    ~HyphenationTest() override { SetHyphManager(std::move(FPrevious)); }

    // The width in twips that holds the text in 12 pt Times and a little more.
    int32_t WidthFor(const std::string& text) { return TextWidth("Times New Roman", 24, text) * 1440 / 768 + 2; }

private:
    std::unique_ptr<THyphManager> FPrevious;
};

const std::string kFrench = "{21:1036}";

}  // namespace

// A word that overflows is cut at its last hyphenation point that fits, and
// the line shows a hyphen.
TEST_F(HyphenationTest, WordsAreCutAtTheirHyphenationPoints)
{
    Doc->HyphenationZone = 0;
    TParagraph& p = Lay(kFrench + "Une combinaison" + kMark, TParFormat(DefaultParFormat()), WidthFor("Une combinai"));
    ASSERT_EQ(p.GetLineCount(), 2);
    EXPECT_EQ(LineText(p, 0), "Une combi");
    EXPECT_EQ(LineText(p, 1), "naison<2>");
    const TLayoutLine& first = Line(p, 0);
    EXPECT_EQ(first.HyphenEnd, 1);
    EXPECT_EQ(first.GetCharPosition(first.CharCount), TextWidth("Times New Roman", 24, "Une combi-"));
    EXPECT_EQ(Line(p, 1).HyphenEnd, 0);
    // The single-line rebuild finds the same cut.
    TLayoutLine& line = Line(p, 0);
    EXPECT_TRUE(line.TryRebuild());
    EXPECT_EQ(line.CharCount, 9);
    EXPECT_EQ(line.HyphenEnd, 1);

    // Edits at the cut: the rebuilt line is the one a full layout gives, or
    // the rebuild fails. "combi" ending in a space keeps no hyphen; a word
    // that now ends the line at a hyphenation point gets one.
    struct TEdit {
        const char* Text;
        int32_t Width;
        int32_t At;  // character of the word's text edited (after the language record)
        const char* Replacement;
    };
    const TEdit edits[] = {
        {"Une combinaison", WidthFor("Une combinai"), 8, " "},
        {"Une combinaison", WidthFor("Une combinai"), 7, "b"},
        {"Une cxxxxxxxxxx", WidthFor("Une cxxxxxx"), 5, "o"},
        {"Une cxxxxxxxxxx", WidthFor("Une cxxxxxx"), 5, "a"},
    };
    for (const TEdit& e : edits) {
        SCOPED_TRACE(std::string(e.Text) + " " + e.Replacement);
        TParagraph& q = Lay(kFrench + e.Text + kMark, TParFormat(DefaultParFormat()), e.Width);
        const int32_t at = 8 + e.At;
        q.DeleteText(at, 1);
        q.InsertChars(at, e.Replacement);
        TLayoutLine& first = Line(q, 0);
        const int32_t bytes = first.ByteLength;
        const bool rebuilt = first.TryRebuild();
        const std::string text = LineText(q, 0);
        const int32_t hyphen = first.HyphenEnd;
        const int32_t end = first.GetCharPosition(first.CharCount);
        q.Invalidate(true, e.Width);
        const TLayoutLine& full = Line(q, 0);
        EXPECT_EQ(rebuilt, full.ByteLength == bytes);
        if (rebuilt) {
            EXPECT_EQ(text, LineText(q, 0));
            EXPECT_EQ(hyphen, full.HyphenEnd);
            EXPECT_EQ(end, full.GetCharPosition(full.CharCount));
        }
    }
}

// No hyphenation: paragraphs that forbid it, documents that switch it off,
// languages without data, and breaks that would leave less room than the
// hyphenation zone.
TEST_F(HyphenationTest, WhenWordsAreNotHyphenated)
{
    const int32_t width = WidthFor("Une combinai");
    TParFormat noHyphenation = DefaultParFormat();
    noHyphenation[pfNoHyphenation] = 1;
    EXPECT_EQ(LineText(Lay(kFrench + "Une combinaison" + kMark, noHyphenation, width), 0), "Une ");
    EXPECT_EQ(LineText(Lay("{21:1031}Une combinaison" + kMark, DefaultParFormat(), width), 0), "Une ");
    Doc->HyphenationZone = 0;
    EXPECT_EQ(LineText(Lay(kFrench + "Une combinaison" + kMark, DefaultParFormat(), width), 0), "Une combi");
    // The room after "Une " is about 0.6 in: a zone of 1 in keeps the word
    // whole, one of half an inch does not.
    Doc->HyphenationZone = 720;
    EXPECT_EQ(LineText(Lay(kFrench + "Une combinaison" + kMark, DefaultParFormat(), width), 0), "Une combi");
    Doc->HyphenationZone = 1440;
    EXPECT_EQ(LineText(Lay(kFrench + "Une combinaison" + kMark, DefaultParFormat(), width), 0), "Une ");
    Doc->HyphenationZone = 0;
    Doc->AutoHyphenation = 0;
    EXPECT_EQ(LineText(Lay(kFrench + "Une combinaison" + kMark, DefaultParFormat(), width), 0), "Une ");
    Doc->AutoHyphenation = 1;
    // An elided article is no part of the word.
    EXPECT_EQ(LineText(Lay(kFrench + "Une l'association" + kMark, DefaultParFormat(), WidthFor("Une l'associ")), 0),
              "Une l'asso");
    // Words in capitals, while the document hyphenates them only.
    EXPECT_EQ(LineText(Lay(kFrench + "Une COMBINAISON" + kMark, DefaultParFormat(), WidthFor("Une COMBINAI")), 0),
              "Une COMBI");
    Doc->HyphenateCapitals = 0;
    EXPECT_EQ(LineText(Lay(kFrench + "Une COMBINAISON" + kMark, DefaultParFormat(), WidthFor("Une COMBINAI")), 0),
              "Une ");
    EXPECT_EQ(LineText(Lay(kFrench + "Une Combinaison" + kMark, DefaultParFormat(), WidthFor("Une Combinai")), 0),
              "Une Combi");
    Doc->HyphenateCapitals = 1;
    // A link is never cut.
    EXPECT_EQ(LineText(Lay(kFrench + "Une /combinaison" + kMark, DefaultParFormat(), WidthFor("Une /combinai")), 0),
              "Une ");
    // A word that holds a conditional hyphen is cut there only.
    EXPECT_EQ(LineText(Lay(kFrench + "Une combinai" + kSoftHyphen + "son" + kMark, DefaultParFormat(),
                           WidthFor("Une combinai-")), 0),
              "Une combinai<14>");
}

// A line narrower than any character still takes one: the word's first
// character is taken again once hyphenation restarts the empty line.
TEST_F(HyphenationTest, LinesNarrowerThanACharacter)
{
    Doc->HyphenationZone = 0;
    TParagraph& p = Lay(kFrench + "Une combinaison" + kMark, DefaultParFormat(), 1);
    std::string all;
    for (int32_t i = 0; i < p.GetLineCount(); ++i) {
        EXPECT_GT(Line(p, i).CharCount, 0) << i;
        all += LineText(p, i);
    }
    EXPECT_EQ(all, "Une combinaison<2>");
    EXPECT_EQ(LineText(p, 0), "U");
}

// The document's limit of consecutive hyphenated lines: after that many lines
// ending at a hyphenation point, the next line breaks before the word.
TEST_F(HyphenationTest, ConsecutiveHyphenatedLinesAreLimited)
{
    Doc->HyphenationZone = 0;
    const std::string text = kFrench + "combinaisoncombinaisoncombinaisoncombinaison" + kMark;
    const int32_t width = WidthFor("combinaison");
    auto hyphenEnds = [&](int32_t limit) {
        Doc->HyphenationLimit = limit;
        TParagraph& p = Lay(text, DefaultParFormat(), width);
        std::vector<int32_t> ends;
        for (int32_t i = 0; i < p.GetLineCount(); ++i)
            ends.push_back(Line(p, i).HyphenEnd);
        return ends;
    };
    // Without a limit every line but the last ends at a hyphenation point.
    const std::vector<int32_t> free = hyphenEnds(0);
    ASSERT_GE(free.size(), 4u);
    std::vector<int32_t> expected(free.size() - 1, 1);
    expected.push_back(0);
    EXPECT_EQ(free, expected);
    for (const int32_t limit : {1, 2}) {
        const std::vector<int32_t> ends = hyphenEnds(limit);
        int32_t run = 0;
        for (size_t i = 0; i < ends.size(); ++i) {
            run = ends[i] ? run + 1 : 0;
            EXPECT_LE(run, limit) << "limit " << limit << ", line " << i;
        }
        EXPECT_EQ(ends[0], 1) << limit;
    }
}
