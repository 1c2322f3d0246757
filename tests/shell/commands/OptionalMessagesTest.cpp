// Optional messages: the table and its answers, each message asked through the
// message box with its buttons, a switched-off message answered from the
// stored answers without being shown, and the "Messages facultatifs" dialog
// driven with the mouse and keyboard.
#include "shell/commands/OptionalMessages.h"

#include "platform/runtime/Exception.h"
#include "platform/testing/Testing.h"
#include "shell/ShellTesting.h"
#include "shell/commands/OptionalMsgForm.h"

#include <gtest/gtest.h>

namespace {

// The shell's side of the message box as the options holder will give it:
// the buttons of a preset and whether it is switched off, from one answer buffer.
class TPresetHost : public TMessageDlgHost {
public:
    explicit TPresetHost(std::vector<uint8_t>& answers) : FAnswers(answers), FPrevious(SetMessageDlgHost(this)) {}
    ~TPresetHost() override { SetMessageDlgHost(FPrevious); }
    bool ApplicationTerminating() override { return false; }
    std::string ApplicationTitle() override { return "Eldravin"; }
    void BeginMessage() override {}
    void EndMessage() override {}
    TMsgDlgButtons PresetButtons(uint8_t preset) override { return OptionalMsgButtons(preset); }
    bool PresetSilenced(uint8_t preset) override { return OptionalMsgSilenced(FAnswers, preset); }
    void FireProgramEvent(int32_t eventId) override { Events.push_back(eventId); }
    void MessageShown() override {}
    std::vector<int32_t> Events;

private:
    std::vector<uint8_t>& FAnswers;
    TMessageDlgHost* FPrevious;
};

// The message form: a switched-off message is answered from the stored
// answers; a shown one is recorded and answered with the first button offered.
class TPresetForm : public TMessageAnswerer {
public:
    explicit TPresetForm(std::vector<uint8_t>& answers) : FAnswers(answers), FPrevious(SetMessageAnswerer(this)) {}
    ~TPresetForm() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        int32_t stored = 0;
        if (OptionalMsgPresetAnswer(FAnswers, request, stored))
            return stored;
        Shown.push_back(request);
        CurrentDuring.push_back(CurrentMessagePreset());
        for (int answer = 0; answer < OptionalAnswerCount; ++answer)
            if (request.Buttons & OptionalAnswerButton(answer))
                return OptionalAnswerResult(answer);
        return mrNone;
    }
    std::vector<TMessageRequest> Shown;
    std::vector<uint8_t> CurrentDuring;

private:
    std::vector<uint8_t>& FAnswers;
    TMessageAnswerer* FPrevious;
};

TEST(OptionalMessages, TableAndAnswers)
{
    const std::pair<uint8_t, TMsgDlgButtons> buttons[] = {
        {0, mbYes | mbCancel}, {1, mbYesNo},  {3, mbYesNoCancel},        {8, mbNo | mbIgnore},
        {10, mbCancel | mbIgnore}, {26, mbOK}, {27, mbOK}, {31, mbYesNo},
    };
    for (const auto& [id, set] : buttons)
        EXPECT_EQ(OptionalMsgButtons(id), set) << int(id);
    for (int id = 0; id < OptionalMessageCount; ++id) {
        ASSERT_NE(OptionalMessages[id].Text, nullptr);
        EXPECT_NE(OptionalMessages[id].Answers, 0);
    }
    const int32_t results[OptionalAnswerCount] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
    for (int answer = 0; answer < OptionalAnswerCount; ++answer)
        EXPECT_EQ(OptionalAnswerResult(answer), results[answer]);
    EXPECT_THROW(OptionalMsgButtons(32), EInternalError);
    EXPECT_EQ(OptionalMsgDisplayText(13, false),
              "Vous venez de créer une enveloppe à destination de :  ###  Cette adresse est absente de vos carnets "
              "d'adresses. Voulez-vous l'ajouter à l'un de vos carnets d'adresses ?");
    EXPECT_EQ(OptionalMsgDisplayText(4, true).substr(0, 55), "Eldravin a trouvé des copies de secours de documents (#");
}

TEST(OptionalMessages, EachPresetIsAskedWithItsButtonsUnlessSwitchedOff)
{
    std::vector<uint8_t> answers(OptionalMessageCount, 0);
    TPresetHost host(answers);
    TPresetForm form(answers);
    for (int id = 0; id < OptionalMessageCount; ++id)
        ShowMessageDlgPreset(OptionalMessages[id].Text, mtConfirmation, static_cast<uint8_t>(id));
    ASSERT_EQ(form.Shown.size(), static_cast<size_t>(OptionalMessageCount));
    for (int id = 0; id < OptionalMessageCount; ++id) {
        EXPECT_EQ(form.Shown[id].Preset, id);
        EXPECT_EQ(form.CurrentDuring[id], id);
        EXPECT_EQ(form.Shown[id].Buttons, OptionalMsgButtons(static_cast<uint8_t>(id)));
    }
    EXPECT_EQ(CurrentMessagePreset(), NoMessagePreset);
    EXPECT_EQ(host.Events, std::vector<int32_t>(OptionalMessageCount, 1003));

    // Switched off: the stored answer comes back at once, without a sound.
    form.Shown.clear();
    host.Events.clear();
    answers[6] = 128 + 1;   // "Non"
    answers[10] = 128 + 6;  // "Ignorer"
    answers[26] = 128 + 2;  // "OK"
    EXPECT_EQ(ShowMessageDlgPreset("Le document a changé", mtConfirmation, 6), mrNo);
    EXPECT_EQ(ShowMessageDlgPreset("Police absente", mtWarning, 10), mrIgnore);
    EXPECT_EQ(ShowMessageDlgPreset("Coupe de mots absente", mtInformation, 26), mrOk);
    EXPECT_TRUE(form.Shown.empty());
    EXPECT_TRUE(host.Events.empty());
    // A stored answer the message does not offer is never taken: the message shows.
    answers[6] = 128 + 6;  // "Ignorer" to "save the changes?"
    EXPECT_EQ(ShowMessageDlgPreset("Le document a changé", mtConfirmation, 6), mrYes);
    EXPECT_EQ(form.Shown.size(), 1u);
    // A short buffer shows the messages it has no byte for.
    answers.resize(5);
    EXPECT_FALSE(OptionalMsgSilenced(answers, 6));
    EXPECT_EQ(CurrentMessagePreset(), NoMessagePreset);
}

class OptionalMsgDialog : public ShellWindowTest {
protected:
    // Clicks the check box of an item (selecting it first, as the user does).
    void ClickCheck(TOptionalMsgForm& f, int32_t index)
    {
        const TRect r = f.ChkLstBx->ItemRect(index);
        Mouse.Click(f.ChkLstBx->Handle(), {r.Left + 8, (r.Top + r.Bottom) / 2});
    }
    void ClickText(TOptionalMsgForm& f, int32_t index)
    {
        const TRect r = f.ChkLstBx->ItemRect(index);
        Mouse.Click(f.ChkLstBx->Handle(), {r.Left + 60, (r.Top + r.Bottom) / 2});
    }
};

TEST_F(OptionalMsgDialog, SwitchingOffChoosingAnAnswerAndSwitchingOnAgain)
{
    std::vector<uint8_t> answers(40, 0);
    answers[35] = 7;  // bytes past the messages are kept
    answers[10] = 128 + 0;  // stored "Oui", which message 10 does not offer
    std::vector<uint8_t> seen;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TOptionalMsgForm&>(form);
        EXPECT_EQ(f.ChkLstBx->Items().Count(), OptionalMessageCount);
        EXPECT_EQ(f.ChkLstBx->ItemIndex(), 0);
        EXPECT_FALSE(f.AnswerCmbBx->Enabled());
        EXPECT_FALSE(f.ChkLstBx->Checked(10));
        // Message 8 switched off with nothing stored: its lowest answer, "Non".
        ClickCheck(f, 8);
        EXPECT_EQ(f.ChkLstBx->ItemIndex(), 8);
        EXPECT_FALSE(f.ChkLstBx->Checked(8));
        EXPECT_EQ(f.Answers()[8], 128 + 1);
        EXPECT_TRUE(f.AnswerCmbBx->Enabled());
        EXPECT_EQ(f.AnswerCmbBx->Items().CommaText(), "Non,Ignorer");
        EXPECT_EQ(f.AnswerCmbBx->ItemIndex(), 0);
        // Choose "Ignorer" with the keyboard.
        f.AnswerCmbBx->SetFocus();
        Keys.Tap("Down");
        EXPECT_EQ(f.Answers()[8], 128 + 6);
        // Message 10: its stored answer is not offered, so none is selected;
        // switched on and off again it takes the lowest one offered, "Annuler".
        ClickText(f, 10);
        EXPECT_TRUE(f.AnswerCmbBx->Enabled());
        EXPECT_EQ(f.AnswerCmbBx->ItemIndex(), -1);
        ClickCheck(f, 10);
        EXPECT_EQ(f.Answers()[10], 0);
        EXPECT_FALSE(f.AnswerCmbBx->Enabled());
        f.ChkLstBx->SetFocus();
        Keys.Tap("Space");
        EXPECT_EQ(f.Answers()[10], 128 + 3);
        seen = f.Answers();
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteOptionalMsgDialog(answers));
    EXPECT_EQ(answers, seen);
    EXPECT_EQ(answers[35], 7);
    EXPECT_EQ(answers[8], 128 + 6);

    // The message box now takes the answers without asking.
    TPresetHost host(answers);
    TPresetForm form(answers);
    EXPECT_EQ(ShowMessageDlgPreset(OptionalMessages[8].Text, mtWarning, 8), mrIgnore);
    EXPECT_EQ(ShowMessageDlgPreset(OptionalMessages[10].Text, mtWarning, 10), mrCancel);
    EXPECT_TRUE(form.Shown.empty());

    // Switched on again: message 8 is asked again.
    DuringNextModal([&](TForm& f0) {
        auto& f = dynamic_cast<TOptionalMsgForm&>(f0);
        ClickCheck(f, 8);
        EXPECT_TRUE(f.ChkLstBx->Checked(8));
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(ExecuteOptionalMsgDialog(answers));
    EXPECT_EQ(answers[8], 0);
    EXPECT_EQ(ShowMessageDlgPreset(OptionalMessages[8].Text, mtWarning, 8), mrNo);
    EXPECT_EQ(form.Shown.size(), 1u);
}

TEST_F(OptionalMsgDialog, CancelKeepsTheStoredAnswers)
{
    std::vector<uint8_t> answers(OptionalMessageCount, 0);
    answers[3] = 128 + 3;
    const std::vector<uint8_t> before = answers;
    const int32_t hidePause = Application->HintHidePause;
    int32_t pauseDuring = 0;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TOptionalMsgForm&>(form);
        pauseDuring = Application->HintHidePause;
        ClickCheck(f, 0);
        ClickCheck(f, 3);
        EXPECT_NE(f.Answers(), before);
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(ExecuteOptionalMsgDialog(answers));
    EXPECT_EQ(answers, before);
    EXPECT_EQ(pauseDuring, hidePause * 10);
    EXPECT_EQ(Application->HintHidePause, hidePause);
}

TEST_F(OptionalMsgDialog, LongMessagesAreShortenedWithTheirFullTextAsHint)
{
    auto form = std::make_unique<TOptionalMsgForm>(nullptr);
    std::vector<uint8_t> answers(OptionalMessageCount, 0);
    answers[5] = 128 + 1;
    form->Prepare(answers);
    form->Show();
    RunPending();
    // Message 5 is long: cut with "...", its hint the whole text on lines.
    const std::string line = form->ChkLstBx->Items().Strings(5);
    EXPECT_TRUE(form->Shortened(5));
    EXPECT_EQ(line.substr(line.size() - 3), "...");
    EXPECT_LE(form->ChkLstBx->Canvas().TextWidth(line),
              form->ChkLstBx->ClientWidth() - 10 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_FALSE(form->Shortened(1));
    const TRect r = form->ChkLstBx->ItemRect(5);
    Mouse.Move(form->ChkLstBx->Handle(), {r.Left + 100, r.Top + 3});
    EXPECT_EQ(form->ChkLstBx->Hint(), OptionalMsgDisplayText(5, true));
    EXPECT_NE(form->ChkLstBx->Hint().find('\n'), std::string::npos);
    const TRect r1 = form->ChkLstBx->ItemRect(1);
    Mouse.Move(form->ChkLstBx->Handle(), {r1.Left + 100, r1.Top + 3});
    EXPECT_EQ(form->ChkLstBx->Hint(), "");

    // A picture of the dialog with message 5 switched off and selected.
    Mouse.Click(form->ChkLstBx->Handle(), {r.Left + 100, r.Top + 3});
    EXPECT_TRUE(form->AnswerCmbBx->Enabled());
    EXPECT_EQ(form->AnswerCmbBx->Text(), "Non");
    RunPending();
    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(form->Handle(), grab) && grab.Width() > 0; }));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/optional-messages.png"));
}

}  // namespace
