// The manual hyphenation run over a document laid out by the real line
// layout: the word each line would be cut in is offered with the breaks that
// fit the line, the answer becomes the word's only conditional hyphen, every
// change goes through the dispatcher, and undo and redo give the document
// back byte for byte, one word at a time.
#include "document/DocumentDump.h"
#include "document/DocumentFixtures.h"
#include "document/model/ParLine.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "layout/LayoutLine.h"
#include "layout/LineLayoutService.h"
#include "layout/RunFont.h"
#include "platform/testing/Testing.h"
#include "proofing/HyphDataFile.h"
#include "proofing/HyphManager.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// An answer that stops the run.
constexpr int32_t kStop = -100;

// Answers the manual hyphenation dialog from a script, and records each word
// asked with what the document showed meanwhile.
class TPassHost : public TTestHost {
public:
    struct TAsked {
        std::string Word;
        std::vector<int32_t> Points;
        int32_t MinBefore = 0;
        int32_t MinAfter = 0;
        TTextSelection Selection;
    };
    TDocument* Doc = nullptr;
    std::deque<int32_t> Answers;
    std::vector<TAsked> Asked;

    bool ExecuteManualHyphenation(const std::string& word, int32_t, const std::vector<int32_t>& points,
                                  int32_t minBefore, int32_t minAfter, int32_t& chosen) override
    {
        Asked.push_back({word, points, minBefore, minAfter, Doc->Selection()});
        if (Answers.empty()) {
            ADD_FAILURE() << "word not expected: " << word;
            return false;
        }
        const int32_t answer = Answers.front();
        Answers.pop_front();
        if (answer == kStop)
            return false;
        chosen = answer;
        return true;
    }
};

const std::string kFrench = "{21:1036}";
const std::string kHyphen = "{22:14}";

class HyphenationPassTest : public testing::Test {
protected:
    HyphenationPassTest()
    {
        CreateFontManager();
        CreateKerningPairsManager();
        CreateLineLayout();
        // French without patterns: the syllable rule alone (com-bi-nai-son).
        const std::string path = MakeTestDir("hyphenation-pass") + "/Coupe de mots.dat";
        WriteTestFile(path, HyphDataFile({{12, HyphLanguageBlock("", "", "")}}));
        FPreviousData = SetHyphManager(std::make_unique<THyphManager>(path));
        Doc = std::make_unique<TDocument>(false);
        Host.Doc = Doc.get();
    }
    ~HyphenationPassTest() override
    {
        Doc.reset();
        SetHyphManager(std::move(FPreviousData));
        FreeLineLayout();
        FreeKerningPairsManager();
        FreeFontManager();
    }

    // The body's paragraphs, in the notation, laid out at a text width that
    // holds the text given in 12 pt Times and a little more.
    void Build(const std::vector<std::string>& paragraphs, const std::string& widthText)
    {
        while (Doc->StoryCount(stBody) < static_cast<int32_t>(paragraphs.size()))
            Doc->AppendParagraph(stBody);
        TPageParams& page = Doc->GetPageSection(0).PageParams;
        const int32_t width = TextWidth(widthText) * 1440 / 768 + 2;
        page[ppTextWidth] = width;
        page[ppPaperWidth] = width + page[ppLeftMargin] + page[ppRightMargin];
        for (size_t i = 0; i < paragraphs.size(); ++i) {
            TParagraph& paragraph = Doc->Paragraphs(static_cast<int32_t>(i));
            SetParagraphText(paragraph, paragraphs[i]);
            paragraph.NormalizeControlCodes();
            paragraph.Invalidate(true, width);
        }
        Doc->SetSelection(0, 0, 0, 0);
    }
    // The width of a text in 12 pt Times, in layout units.
    int32_t TextWidth(const std::string& text)
    {
        TCharFormat format = DefaultCharFormat();
        format[cfFont] = GetFontManager()->IndexOfFont("Times New Roman");
        format[cfSize] = 24 * 8;
        SelectRunFont(*Doc, format, rfLineBuilding);
        int32_t width = 0;
        for (char c : text)
            width += LayoutWorkingState().Font->Widths[static_cast<uint8_t>(c)];
        return width;
    }
    // The run with automatic hyphenation off and no zone.
    void Run()
    {
        THyphenationOptions options;
        options.Flags = hofCapitals;
        options.Zone = 0;
        Doc->HyphenateDocument(options);
    }
    std::string Text(int32_t paragraph) { return DumpParagraphText(Doc->Paragraphs(paragraph)); }
    std::vector<std::string> Words() const
    {
        std::vector<std::string> words;
        for (const auto& asked : Host.Asked)
            words.push_back(asked.Word);
        return words;
    }
    TOperationManager& Undo() { return Doc->UndoManager(); }

    TTestViews Views;
    TPassHost Host;
    std::unique_ptr<TDocument> Doc;

private:
    std::unique_ptr<THyphManager> FPreviousData;
};

}  // namespace

// Each word the lines would be cut in is asked once, from the selection's
// line on; the chosen break replaces the word's conditional hyphens, no break
// removes them; each word is one undoable action named "la coupe de mots",
// and undo and redo give the text back byte for byte.
TEST_F(HyphenationPassTest, WordsGetTheChosenBreakAsTheirOnlyConditionalHyphen)
{
    struct TCase {
        const char* Name;
        std::string Text;
        int32_t From;  // the selection start (to the paragraph's end); -1: no selection
        std::vector<int32_t> Answers;
        std::vector<std::string> Asked;
        std::string Expected;
    };
    const TCase cases[] = {
        {"break taken", kFrench + "Une combinaison" + kMark, -1, {5}, {"combinaison"},
         kFrench + "Une combi" + kHyphen + "naison" + kMark},
        {"no break", kFrench + "Une combinaison" + kMark, -1, {-1}, {"combinaison"},
         kFrench + "Une combinaison" + kMark},
        {"hyphens replaced by the chosen one",
         kFrench + "Une co" + kHyphen + "mbinai" + kHyphen + "son" + kMark, -1, {5}, {"combinaison"},
         kFrench + "Une combi" + kHyphen + "naison" + kMark},
        {"hyphens removed without a break",
         kFrench + "Une co" + kHyphen + "mbinai" + kHyphen + "son" + kMark, -1, {-1}, {"combinaison"},
         kFrench + "Une combinaison" + kMark},
        {"two lines, two words", kFrench + "Une combinaison une combinaison" + kMark, -1, {5, 5},
         {"combinaison", "combinaison"},
         kFrench + "Une combi" + kHyphen + "naison une combi" + kHyphen + "naison" + kMark},
        // The selection starts at the second "une": the first word's line is
        // not probed.
        {"from the selection's line", kFrench + "Une combinaison une combinaison" + kMark, 17, {5}, {"combinaison"},
         kFrench + "Une combinaison une combi" + kHyphen + "naison" + kMark},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc = std::make_unique<TDocument>(false);
        Host.Doc = Doc.get();
        Host.Asked.clear();
        Host.Answers.assign(c.Answers.begin(), c.Answers.end());
        Build({c.Text}, "Une combinai");
        const std::string before = DumpDocument(*Doc);
        if (c.From >= 0)
            Doc->SetSelection(0, c.From, 0, Doc->Paragraphs(0).GetCharCount() - 1);
        {
            TMessageAnswers answers;
            answers.Expect("La coupe de mots est terminée.", mrOk);
            Run();
        }
        EXPECT_EQ(Words(), c.Asked);
        EXPECT_TRUE(Host.Answers.empty());
        EXPECT_EQ(Text(0), c.Expected);
        EXPECT_EQ(Doc->HyphParagraph, -1);
        EXPECT_EQ(Doc->HyphProbing, 0);
        const std::string after = DumpDocument(*Doc);

        // The settings first, then one action per changed word, all under
        // the run's name.
        ASSERT_GE(Undo().CurrentIndex(), 0);
        for (int32_t i = 0; i <= Undo().CurrentIndex(); ++i)
            EXPECT_EQ(Undo().Operations(i).Kind, 60);
        EXPECT_EQ(OperationName(60), "la coupe de mots");
        Undo().UndoAll();
        EXPECT_EQ(DumpDocument(*Doc), before);
        EXPECT_EQ(Doc->AutoHyphenation, 1);
        Undo().RedoAll();
        EXPECT_EQ(DumpDocument(*Doc), after);
        EXPECT_EQ(Doc->AutoHyphenation, 0);
        EXPECT_EQ(Doc->HyphenationZone, 0);
    }
}

// What the dialog is given: the word without its conditional hyphens, the
// breaks of the data that fit the line with their hyphen, and the word
// selected while it wholly went to the next line.
TEST_F(HyphenationPassTest, TheDialogGetsTheBreaksThatFitTheLine)
{
    Host.Answers = {-1};
    Build({kFrench + "Une combinaison" + kMark}, "Une combinai");
    TMessageAnswers answers;
    answers.Expect("La coupe de mots est terminée.", mrOk);
    Run();
    ASSERT_EQ(Host.Asked.size(), 1u);
    const TPassHost::TAsked& asked = Host.Asked[0];
    // "Une combinai-" does not fit, "Une combi-" does.
    EXPECT_EQ(asked.Points, (std::vector<int32_t>{3, 5}));
    EXPECT_EQ(asked.MinBefore, 0);
    EXPECT_EQ(asked.MinAfter, 0);
    EXPECT_EQ(asked.Selection.Start.Offset, 4);
    EXPECT_EQ(asked.Selection.End.Offset, 4 + 11);
}

// A word longer than a line: its part on earlier lines keeps its hyphen and
// is not offered again (the dialog allows only breaks behind it), and the
// new break counts the word's characters without that hyphen.
TEST_F(HyphenationPassTest, AWordOverSeveralLinesKeepsItsEarlierBreak)
{
    Build({kFrench + "anticonstitutionnellement" + kMark}, "Une combinai");
    Host.Answers = {8, 16};
    TMessageAnswers answers;
    answers.Expect("La coupe de mots est terminée.", mrOk);
    Run();
    ASSERT_EQ(Host.Asked.size(), 2u);
    EXPECT_EQ(Host.Asked[0].Word, "anticonstitutionnellement");
    EXPECT_EQ(Host.Asked[0].MinBefore, 0);
    EXPECT_EQ(Host.Asked[1].Word, "anticonstitutionnellement");
    EXPECT_EQ(Host.Asked[1].MinBefore, 8);
    for (int32_t point : Host.Asked[1].Points)
        EXPECT_GT(point, 8);
    EXPECT_EQ(Text(0), kFrench + "anticons" + kHyphen + "titution" + kHyphen + "nellement" + kMark);
}

// Paragraphs not to be hyphenated are left alone and counted; stopping ends
// the run at once, keeps the words already done and shows no message.
TEST_F(HyphenationPassTest, SkippedParagraphsAreCountedAndStoppingKeepsTheDoneWords)
{
    Build({kFrench + "Une combinaison" + kMark, kFrench + "Une combinaison" + kMark,
           kFrench + "Une combinaison" + kMark, kFrench + "Une combinaison" + kMark},
          "Une combinai");
    Doc->Paragraphs(1).Format[pfNoHyphenation] = 1;
    Doc->Paragraphs(3).Format[pfNoHyphenation] = 1;
    const std::string before = DumpDocument(*Doc);
    Doc->SelectAll();
    Host.Answers = {5, 3};
    {
        TMessageAnswers answers;
        answers.Expect("Eldravin a sauté les 2 paragraphes qui avaient l'attribut \"Pas de coupe de mots\"", mrOk);
        Run();
    }
    EXPECT_EQ(Host.Asked.size(), 2u);
    EXPECT_EQ(Text(0), kFrench + "Une combi" + kHyphen + "naison" + kMark);
    EXPECT_EQ(Text(1), kFrench + "Une combinaison" + kMark);
    EXPECT_EQ(Text(2), kFrench + "Une com" + kHyphen + "binaison" + kMark);
    EXPECT_EQ(Text(3), kFrench + "Une combinaison" + kMark);
    Undo().UndoAll();
    EXPECT_EQ(DumpDocument(*Doc), before);

    // Stopped at the third paragraph's word: the first keeps its hyphen,
    // one undo takes it back, and nothing is said.
    Doc->Paragraphs(1).Format[pfNoHyphenation] = 0;
    Doc->SelectAll();
    Host.Asked.clear();
    Host.Answers = {5, kStop};
    {
        TMessageAnswers answers;
        Run();
        EXPECT_TRUE(answers.Asked().empty());
    }
    EXPECT_EQ(Host.Asked.size(), 2u);
    EXPECT_EQ(Text(0), kFrench + "Une combi" + kHyphen + "naison" + kMark);
    EXPECT_EQ(Text(1), kFrench + "Une combinaison" + kMark);
    Undo().Undo();
    EXPECT_EQ(Text(0), kFrench + "Une combinaison" + kMark);
}

// Runs over random paragraphs with random answers: every run, undone, gives
// the document back byte for byte, and redone gives the run's result.
TEST_F(HyphenationPassTest, RandomRunsUndoAndRedoByteForByte)
{
    std::mt19937 random(20261211);
    auto pick = [&](int32_t from, int32_t to) { return std::uniform_int_distribution<int32_t>(from, to)(random); };
    const char* words[] = {"combinaison", "une", "personnalisation", "correcteur", "disponibles", "et", "la"};
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        Doc = std::make_unique<TDocument>(false);
        Host.Doc = Doc.get();
        Host.Asked.clear();
        Host.Answers.clear();
        std::vector<std::string> paragraphs;
        for (int p = pick(1, 3); p > 0; --p) {
            std::string text = kFrench;
            for (int w = pick(2, 8); w > 0; --w) {
                std::string word = words[pick(0, 6)];
                if (word.size() > 4 && pick(0, 2) == 0)
                    word.insert(static_cast<size_t>(pick(1, static_cast<int32_t>(word.size()) - 1)), kHyphen);
                text += word + (w > 1 ? " " : "");
            }
            paragraphs.push_back(text + kMark);
        }
        Build(paragraphs, pick(0, 1) ? "Une combinai" : "Une personnalisa");
        for (int i = 0; i < 40; ++i)
            Host.Answers.push_back(pick(0, 3) == 0 ? -1 : pick(1, 9));
        const std::string before = DumpDocument(*Doc);
        {
            TMessageAnswers answers;
            answers.AnswerOthers(mrOk);
            Run();
        }
        ExpectDocumentConsistent(*Doc);
        const std::string after = DumpDocument(*Doc);
        Undo().UndoAll();
        EXPECT_EQ(DumpDocument(*Doc), before);
        Undo().RedoAll();
        EXPECT_EQ(DumpDocument(*Doc), after);
        if (HasFailure())
            return;
    }
}
