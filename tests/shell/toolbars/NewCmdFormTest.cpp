// The new-commands notice lists the commands it is given, the last one first.
#include "shell/toolbars/NewCmdForm.h"

#include "ToolbarTesting.h"

class NewCmdFormTest : public ToolbarFixture {};

TEST_F(NewCmdFormTest, TheListShowsTheCommandsInReverseOrder)
{
    CommandManager = Commands.get();
    std::vector<std::string> shown;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TNewCmdFrm&>(form);
        EXPECT_EQ(f.Caption(), "Nouvelles commandes");
        EXPECT_EQ(f.ClientWidth(), 391);
        for (int32_t i = 0; i < f.LstBx->Items().Count(); ++i)
            shown.push_back(f.LstBx->Items().Strings(i));
        EXPECT_EQ(f.LstBx->ItemIndex(), 0);
        SavePng(f, "new-commands-notice.png");
        f.CancelBtn->Click();
    });
    ShowNewCommands({12120, 3840, 9081});
    EXPECT_EQ(shown, (std::vector<std::string>{Commands->GetCommandText(9081, false, false, true),
                                               Commands->GetCommandText(3840, false, false, true),
                                               Commands->GetCommandText(12120, false, false, true)}));
    DuringNextModal([&](TForm& form) {
        EXPECT_EQ(dynamic_cast<TNewCmdFrm&>(form).LstBx->Items().Count(), 0);
        dynamic_cast<TNewCmdFrm&>(form).CancelBtn->Click();
    });
    ShowNewCommands({});
    CommandManager = nullptr;
}
