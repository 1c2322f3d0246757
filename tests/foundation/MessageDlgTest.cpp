#include "foundation/MessageDlg.h"

#include "foundation/MessageAnswers.h"
#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The shell's side, recording what the message box asks of it.
class TFakeHost : public TMessageDlgHost {
public:
    std::vector<std::string> Calls;
    bool Terminating = false;
    bool Silenced = false;

    bool ApplicationTerminating() override { return Terminating; }
    std::string ApplicationTitle() override { return "Eldravin"; }
    void BeginMessage() override { Calls.push_back("begin"); }
    void EndMessage() override { Calls.push_back("end"); }
    TMsgDlgButtons PresetButtons(uint8_t preset) override { return preset == 15 ? mbYesNo : mbYesNoCancel; }
    bool PresetSilenced(uint8_t) override { return Silenced; }
    void FireProgramEvent(int32_t eventId) override { Calls.push_back("event " + std::to_string(eventId)); }
    void MessageShown() override { Calls.push_back("shown"); }
};

class MessageDlgTest : public testing::Test {
protected:
    void SetUp() override { FPreviousHost = SetMessageDlgHost(nullptr); }
    void TearDown() override
    {
        SetMessageDlgHost(FPreviousHost);
        SetMessagesQuiet(false);
        TakeQueuedMessages();
    }

private:
    TMessageDlgHost* FPreviousHost = nullptr;
};

}  // namespace

TEST_F(MessageDlgTest, NobodyToAnswerIsAFault)
{
    EXPECT_THROW(ShowMessageDlg("Question ?", mtConfirmation, mbYesNo), EInternalError);
    EXPECT_THROW(ShowError("Erreur"), EInternalError);
}

TEST_F(MessageDlgTest, TextIsShownAsWritten)
{
    TMessageAnswers answers;
    answers.Expect("Premier\r\nsecond", mrYes).Expect("Copier && coller", mrOk);
    EXPECT_EQ(ShowMessageDlg("Premier||second", mtConfirmation, mbYesNoCancel), mrYes);
    ShowInformation("Copier & coller");
    ASSERT_EQ(answers.Asked().size(), 2u);
    const TMessageRequest& first = answers.Asked()[0];
    EXPECT_EQ(first.Kind, TMessageBoxKind::MessageForm);
    EXPECT_EQ(first.Buttons, 11);
    EXPECT_EQ(first.Type, mtConfirmation);
    EXPECT_EQ(first.Preset, NoMessagePreset);
    EXPECT_EQ(answers.Asked()[1].Buttons, mbOK);
    EXPECT_EQ(answers.Asked()[1].Type, mtInformation);
}

TEST_F(MessageDlgTest, QuietAnswersCancelAndQueuesNothing)
{
    TMessageAnswers answers;
    SetMessagesQuiet(true);
    EXPECT_EQ(ShowMessageDlg("Question ?", mtConfirmation, mbYesNo), mrCancel);
    EXPECT_EQ(ShowMessageDlgPreset("Question ?", mtConfirmation, 15), mrCancel);
    QueueMessageDlg("Plus tard", mtWarning, mbOK, 0);
    EXPECT_TRUE(answers.Asked().empty());
    EXPECT_TRUE(TakeQueuedMessages().empty());
}

TEST_F(MessageDlgTest, PresetQuestionWithTheShell)
{
    TFakeHost host;
    SetMessageDlgHost(&host);
    TMessageAnswers answers;
    uint8_t presetWhileShown = 0;
    answers.Expect("Ouverture de", mrNo);
    struct TWatch : TMessageAnswerer {
        TMessageAnswerer* Inner;
        uint8_t* Seen;
        int32_t Answer(const TMessageRequest& r) override
        {
            *Seen = CurrentMessagePreset();
            return Inner->Answer(r);
        }
    } watch;
    watch.Inner = &answers;
    watch.Seen = &presetWhileShown;
    TMessageAnswerer* previous = SetMessageAnswerer(&watch);
    const int32_t result = ShowMessageDlgPreset("Ouverture de %s||Voulez-vous toujours ouvrir ce fichier ?",
                                                mtConfirmation, 15);
    SetMessageAnswerer(previous);

    EXPECT_EQ(result, mrNo);
    EXPECT_EQ(presetWhileShown, 15);
    EXPECT_EQ(CurrentMessagePreset(), NoMessagePreset);
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].Buttons, mbYesNo);
    EXPECT_EQ(answers.Asked()[0].Preset, 15);
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"begin", "event 1003", "end", "shown"}));

    host.Calls.clear();
    host.Silenced = true;
    answers.Expect("Ouverture", mrYes);
    EXPECT_EQ(ShowMessageDlgPreset("Ouverture", mtConfirmation, 15), mrYes);
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"begin", "end", "shown"})) << "a silenced preset plays no sound";

    host.Calls.clear();
    answers.Expect("Autre", mrOk);
    ShowMessageDlg("Autre", mtCustom, mbOK);
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"begin", "end", "shown"})) << "kinds from 4 on play no sound";

    EXPECT_THROW(ShowMessageDlgPreset("x", mtWarning, 32), EInternalError);
}

TEST_F(MessageDlgTest, PresetWithoutShellIsAFault)
{
    TMessageAnswers answers;
    EXPECT_THROW(ShowMessageDlgPreset("Question", mtConfirmation, 15), EInternalError);
    EXPECT_EQ(CurrentMessagePreset(), NoMessagePreset);
}

TEST_F(MessageDlgTest, WhileTerminatingTheSystemBoxAnswersCancel)
{
    TFakeHost host;
    host.Terminating = true;
    SetMessageDlgHost(&host);
    TMessageAnswers answers;
    answers.Expect("Fin & suite\r\n", mrYes);
    EXPECT_EQ(ShowMessageDlg("Fin & suite||", mtError, mbYesNo), mrCancel);
    const TMessageRequest& shown = answers.Asked().at(0);
    EXPECT_EQ(shown.Kind, TMessageBoxKind::SystemBox);
    EXPECT_EQ(shown.Caption, "Eldravin");
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"begin", "event 1001", "end", "shown"}));
}

TEST_F(MessageDlgTest, HostIsRestoredWhenTheDialogFails)
{
    TFakeHost host;
    SetMessageDlgHost(&host);
    struct TThrowing : TMessageAnswerer {
        int32_t Answer(const TMessageRequest&) override { throw EAbort(); }
    } throwing;
    TMessageAnswerer* previous = SetMessageAnswerer(&throwing);
    EXPECT_THROW(ShowMessageDlgPreset("x", mtWarning, 3), EAbort);
    SetMessageAnswerer(previous);
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"begin", "event 1000", "end"}));
    EXPECT_EQ(CurrentMessagePreset(), NoMessagePreset);
}

TEST_F(MessageDlgTest, ErrorBoxAndQueue)
{
    TMessageAnswers answers;
    answers.Expect("Anomalie :\r\nboom.", mrOk);
    ShowErrorBox("Anomalie :||boom.");
    EXPECT_EQ(answers.Asked().at(0).Kind, TMessageBoxKind::SystemBox);
    EXPECT_EQ(answers.Asked().at(0).Type, mtError);
    EXPECT_EQ(answers.Asked().at(0).Caption, "");

    QueueMessageDlg("Un", mtWarning, mbOK, 255);
    QueueMessageDlg("Deux", mtConfirmation, mbYesNo, 4);
    const std::vector<TQueuedMessage> queued = TakeQueuedMessages();
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].Text, "Un");
    EXPECT_EQ(queued[1].Buttons, mbYesNo);
    EXPECT_EQ(queued[1].Flag, 4);
    EXPECT_TRUE(TakeQueuedMessages().empty());
}
