// The autocorrection pass over a document, answered in its popup with real
// clicks: accepting, accepting all of a typed text or of a kind, refusing a
// kind, accepting everything, cancelling; the blink of the change; the wrap
// around to the start; the silent pass; one undo takes the pass back.
#include "shell/proofing/AutocorrectPass.h"

#include "document/EditingFixtures.h"
#include "document/editing/Autocorrect.h"
#include "document/fields/Field.h"
#include "foundation/CodePageRoutines.h"
#include "platform/testing/Testing.h"
#include "proofing/AutocorrectLangOptions.h"
#include "shell/ShellTesting.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

constexpr int32_t kEnglish = 0x0409;
constexpr int32_t kFrench = 0x040C;

class TPassHost : public TEditHost {
public:
    int32_t Language = kEnglish;
    bool Urls = false;
    int32_t KeyboardLanguage() override { return Language; }
    bool UrlDetection() override { return Urls; }
    void SetUrlDetection(bool on) override { Urls = on; }
};

// What the popup is answered, question after question; a hook may act
// before the answer. Questions beyond the script are refused.
struct TPopupScript {
    std::deque<uint8_t> Answers;
    std::function<void(TAutocorrectForm&, size_t question)> BeforeAnswer;
    std::vector<std::string> Questions;
    std::vector<std::string> Words;
};

class AutocorrectPassTest : public EditingTest {
protected:
    void SetUp() override
    {
        InitApplication();
        Host.Group = false;
        PassHost.Group = false;
        GetAutocorrectLangOptionsManager().Clear();
        GetAutocorrectLangOptionsManager().SetStoreSource(nullptr);
        GetAutocorrectLangOptionsManager().Switches = TAutocorrectSwitches();
        AutocorrectPassState().fill(0);
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        FreeAutocorrectPopup();
        RunPending();
        GetAutocorrectLangOptionsManager().Clear();
    }
    void NewDocument(int32_t language, const std::vector<std::string>& paragraphs)
    {
        PassHost.Language = language;
        Doc = std::make_unique<TDocument>(false);
        std::vector<std::string> texts;
        for (const std::string& text : paragraphs)
            texts.push_back("{21:" + std::to_string(language) + "}" + text + kMark);
        Build(texts);
    }
    std::string Text(int32_t paragraph)
    {
        const TMemory& plain = Doc->Paragraphs(paragraph).GetPlainChars();
        return std::string(reinterpret_cast<const char*>(plain.Data()), static_cast<size_t>(plain.Size() - 1));
    }
    // Answers the popup whenever it waits for an answer, with clicks on its buttons.
    void Answer(TPopupScript& script)
    {
        Application->OnIdle = [this, &script](TApplication*, bool& done) {
            TAutocorrectForm* f = AutocorrectPopup();
            done = true;
            if (!f || f->Busy || f->Result != acrNone || !f->HandleAllocated() || !IsWindowVisible(f->Handle()))
                return;
            const size_t question = script.Questions.size();
            script.Questions.push_back(f->Correct2Lbl->Caption());
            script.Words.push_back(f->Word);
            if (script.BeforeAnswer)
                script.BeforeAnswer(*f, question);
            done = false;
            if (f->Result != acrNone)
                return;  // the hook answered
            uint8_t answer = acrReject;
            if (!script.Answers.empty()) {
                answer = script.Answers.front();
                script.Answers.pop_front();
            }
            TButton* buttons[] = {f->AcceptBtn, f->AcceptAllBtn, f->AutoCorrectAllBtn,
                                  f->RejectBtn, f->RejectAllBtn, f->CancelBtn};
            TButton& button = *buttons[answer - 1];
            Mouse.Click(button.Handle(), {button.Width() / 2, button.Height() / 2});
            done = false;
        };
    }

    TPassHost PassHost;
    TTestMouse Mouse;
    TRecordedMessages Messages;
};

}  // namespace

// "D'accord pour tout" on a replacement accepts the later "teh" without
// asking; "Aucune correction" on a sentence capital refuses the later ones;
// the change blinks while the popup waits; one undo takes the pass back.
TEST_F(AutocorrectPassTest, AcceptAllOfATypedTextAndRefuseAKind)
{
    NewDocument(kEnglish, {"teh cat. the dog. teh end."});
    const std::string before = DumpDocument(*Doc);
    TPopupScript script;
    script.Answers = {acrAcceptAll, acrAccept, acrRejectAll};
    std::vector<std::string> blink;
    script.BeforeAnswer = [&](TAutocorrectForm& f, size_t question) {
        if (question != 0)
            return;
        // The ticks are given by hand from here on.
        KillTimer(f.Handle(), AutocorrectBlinkTimer);
        EXPECT_EQ(f.Caption(), "Correction automatique : " + GetLocaleLanguageName(kEnglish));
        EXPECT_TRUE(f.AddExceptSpdBtn->Visible());
        EXPECT_EQ(f.AddExceptSpdBtn->Hint(), "Ajouter \"teh\" aux exceptions");
        RunPending();
        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(f.Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/autocorrect-popup.png"));
        blink.push_back(Text(0));
        for (int tick = 0; tick < 6; ++tick)
            f.BlinkStep();
        blink.push_back(Text(0));
        f.BlinkStep();
        blink.push_back(Text(0));
        for (int tick = 0; tick < 6; ++tick)
            f.BlinkStep();
        blink.push_back(Text(0));
        // Answered while the old text shows: the correction stands all the same.
    };
    Answer(script);
    EXPECT_EQ(AutocorrectDocument(*Doc), 3);
    EXPECT_EQ(Text(0), "The cat. the dog. the end.");
    ASSERT_GE(script.Questions.size(), 3u);
    EXPECT_EQ(script.Questions[0], "Remplacer\r\"teh\" par\r\"the\"");
    EXPECT_EQ(script.Questions[1], "Caract\xE8re en d\xE9" "but de phrase - Mettre en majuscule");
    EXPECT_EQ(script.Questions[2], script.Questions[1]);
    EXPECT_EQ(script.Questions.size(), 3u) << script.Questions.back();
    EXPECT_EQ(blink, (std::vector<std::string>{"the cat. the dog. teh end.", "teh cat. the dog. teh end.",
                                                "the cat. the dog. teh end.", "teh cat. the dog. teh end."}));
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_EQ(Messages.Texts[0], "Correction automatique termin\xE9" "e.\r\n3 changement(s) effectu\xE9(s).");
    EXPECT_EQ(Doc->Autocorrected, 1);
    EXPECT_FALSE(AutocorrectPopup()->Visible());

    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_FALSE(Undo().CanUndo());
}

// "Annuler" refuses the change shown and ends the pass without its message;
// what was accepted before stays, and nothing is left to redo.
TEST_F(AutocorrectPassTest, CancelLeavesTheTextAsBeforeTheChangeShown)
{
    NewDocument(kEnglish, {"teh cat. teh dog."});
    TPopupScript script;
    script.Answers = {acrAccept, acrCancel};
    Answer(script);
    EXPECT_EQ(AutocorrectDocument(*Doc), 1);
    EXPECT_EQ(Text(0), "the cat. teh dog.");
    EXPECT_EQ(script.Questions.size(), 2u);
    EXPECT_TRUE(Messages.Texts.empty());
    EXPECT_FALSE(Undo().CanRedo());
}

// "Correction automatique" accepts every later change of every kind; a pass
// started in the middle without a selection also covers the paragraphs
// before the caret, and the count sums both parts.
TEST_F(AutocorrectPassTest, AcceptEverythingAndWrapAround)
{
    NewDocument(kEnglish, {"teh one.", "teh two.", "teh three."});
    Doc->SetSelection(1, 0, 1, 0);
    TPopupScript script;
    script.Answers = {acrAcceptEverything};
    Answer(script);
    EXPECT_EQ(AutocorrectDocument(*Doc), 6);
    EXPECT_EQ(script.Questions.size(), 1u);
    for (int32_t p = 0; p < 3; ++p)
        EXPECT_EQ(Text(p).substr(0, 4), "The ") << p;
    ASSERT_EQ(Messages.Texts.size(), 1u);
    EXPECT_NE(Messages.Texts[0].find("6 changement(s)"), std::string::npos);

    // With a selection the pass stays within it.
    NewDocument(kEnglish, {"teh one.", "teh two.", "teh three."});
    Doc->SetSelection(1, 0, 1, 3);
    AutocorrectPassState().fill(0);
    script = TPopupScript{};
    script.Answers = {acrAcceptEverything};
    Answer(script);
    EXPECT_EQ(AutocorrectDocument(*Doc), 2);
    EXPECT_EQ(Text(0), "teh one.");
    EXPECT_EQ(Text(1), "The two.");
    EXPECT_EQ(Text(2), "teh three.");
}

// The exceptions button adds the word to the language's other exceptions and
// refuses the change.
TEST_F(AutocorrectPassTest, TheExceptionsButtonKeepsTheWord)
{
    NewDocument(kEnglish, {"teh cat"});
    TPopupScript script;
    script.BeforeAnswer = [&](TAutocorrectForm& f, size_t question) {
        if (question == 0)
            Mouse.Click(f.Handle(), {f.AddExceptSpdBtn->Left() + 4, f.AddExceptSpdBtn->Top() + 4});
    };
    Answer(script);
    EXPECT_EQ(AutocorrectDocument(*Doc), 0);
    ASSERT_FALSE(script.Words.empty());
    EXPECT_EQ(script.Words[0], "teh");
    EXPECT_TRUE(GetAutocorrectLangOptionsManager().GetLangOptions(kEnglish).IsOtherException("teh"));
    EXPECT_EQ(Text(0).substr(0, 3), "teh");
}

// The silent pass turns the web addresses of the whole body into links and
// nothing else, without a question or a message.
TEST_F(AutocorrectPassTest, TheSilentPassConvertsWebAddressesOnly)
{
    NewDocument(kFrench, {"voir www.exemple.fr et teh fin", "ca va"});
    Doc->SetSelection(1, 0, 1, 0);
    TPopupScript script;
    Answer(script);
    const size_t fields = Doc->RangeObjects().size();
    AutocorrectDocument(*Doc, true);
    EXPECT_TRUE(script.Questions.empty());
    EXPECT_TRUE(Messages.Texts.empty());
    EXPECT_EQ(Doc->RangeObjects().size(), fields + 1);
    EXPECT_EQ(Text(0), "voir www.exemple.fr et teh fin");
    EXPECT_EQ(Text(1), "ca va");
}

// The range variant corrects without asking, with the kinds of the mask only.
TEST_F(AutocorrectPassTest, TheRangeVariantAppliesOnlyItsKinds)
{
    NewDocument(kFrench, {"le 1er et ca"});
    TTextRange range{{0, 0}, {0, 12}};
    AutocorrectRange(*Doc, range, 0x0100);
    EXPECT_EQ(Text(0), "le 1er et ca");
    const std::vector<TCharFormat> formats = CharFormatsOfParagraph(Doc->Paragraphs(0));
    EXPECT_EQ(formats[4][cfVerticalPosition], 1);
    EXPECT_EQ(formats[5][cfVerticalPosition], 1);
    EXPECT_NE(formats[3][cfVerticalPosition], 1);
    EXPECT_EQ(Doc->Autocorrected, 1);
}
