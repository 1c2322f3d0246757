// The base forms: the standard button row built from ButtonIndexes, Enter,
// Escape and F1 on a standard dialog, the veto of its Cancel handler, help
// topics that follow the active page, and popup lists freed when they lose
// the activation.
#include "shell/BaseForms.h"

#include "platform/framework/controls/Tabs.h"
#include "platform/testing/Testing.h"
#include "ShellTesting.h"

#include <memory>

namespace {

using BaseFormsTest = ShellWindowTest;

// A dialog whose Cancel handler may refuse the close.
class TVetoDialog : public TStandardDialogForm {
public:
    explicit TVetoDialog(TComponent* owner) : TStandardDialogForm(owner)
    {
        SetCaption("Essai");
        SetClientSize(300, 120);
    }
    bool RefuseCancel = false;
    int CancelCalls = 0;
    int OkCalls = 0;
    void DialogButtonClick(TControl* sender) override
    {
        auto* b = dynamic_cast<TDlgButton*>(sender);
        if (b && b->Kind() == DlgButtonCancel) {
            ++CancelCalls;
            if (RefuseCancel)
                SetModalResult(mrNone);
            return;
        }
        if (b && b->Kind() == DlgButtonOK)
            ++OkCalls;
        TStandardDialogForm::DialogButtonClick(sender);
    }
};

TEST_F(BaseFormsTest, ButtonRowFromButtonIndexes)
{
    struct TCase {
        const char* Indexes;
        std::vector<std::string> CaptionsLeftToRight;
    };
    const TCase cases[] = {
        {"01", {"OK", "Annuler"}},
        {"021", {"OK", "Appliquer", "Annuler"}},
        {" 0", {"Annuler"}},
        {" 10", {"Appliquer", "Annuler"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Indexes);
        TVetoDialog dialog(nullptr);
        dialog.DlgButtons().SetButtonIndexes(c.Indexes);
        std::vector<TDlgButton*> buttons;
        for (uint8_t kind = 0; kind < 3; ++kind)
            if (TDlgButton* b = dialog.DlgButtons().Button(kind))
                buttons.push_back(b);
        std::sort(buttons.begin(), buttons.end(), [](TDlgButton* a, TDlgButton* b) { return a->Left() < b->Left(); });
        std::vector<std::string> captions;
        for (TDlgButton* b : buttons)
            captions.push_back(b->Caption());
        EXPECT_EQ(captions, c.CaptionsLeftToRight);
        // Bottom right: 8 pixels from the right and bottom, 6 apart, 74 by 22.
        const int32_t n = static_cast<int32_t>(buttons.size());
        for (int32_t i = 0; i < n; ++i) {
            EXPECT_EQ(buttons[static_cast<size_t>(i)]->BoundsRect(),
                      Bounds(300 - (n - i) * 74 - (n - i - 1) * 6 - 8, 120 - 8 - 22, 74, 22));
        }
        // Tab order runs from left to right.
        for (int32_t i = 1; i < n; ++i)
            EXPECT_LT(buttons[static_cast<size_t>(i - 1)]->TabOrder(), buttons[static_cast<size_t>(i)]->TabOrder());
    }
    // The kinds carry their modal results and marks.
    TVetoDialog dialog(nullptr);
    dialog.DlgButtons().SetButtonIndexes("021");
    EXPECT_EQ(dialog.DlgButtons().Button(DlgButtonOK)->ModalResult, mrOk);
    EXPECT_TRUE(dialog.DlgButtons().Button(DlgButtonOK)->Default());
    EXPECT_EQ(dialog.DlgButtons().Button(DlgButtonCancel)->ModalResult, mrCancel);
    EXPECT_TRUE(dialog.DlgButtons().Button(DlgButtonCancel)->Cancel);
    EXPECT_EQ(dialog.DlgButtons().Button(DlgButtonApply)->ModalResult, mrOk);
    // Buttons follow the form's size.
    dialog.SetClientSize(400, 200);
    EXPECT_EQ(dialog.DlgButtons().Button(DlgButtonCancel)->BoundsRect(), Bounds(400 - 74 - 8, 200 - 8 - 22, 74, 22));
}

TEST_F(BaseFormsTest, EnterEscapeAndF1OnAStandardDialog)
{
    std::vector<int32_t> topics;
    BaseFormServices().ShowHelpTopic = [&](int32_t topic) { topics.push_back(topic); };
    TTestKeyboard& keys = Keys;

    // Enter presses OK.
    {
        TVetoDialog dialog(nullptr);
        DuringNextModal([&](TForm&) { keys.Tap("Enter"); });
        EXPECT_EQ(dialog.ShowModal(), mrOk);
        EXPECT_EQ(dialog.OkCalls, 1);
    }
    // Escape presses Annuler; a handler that resets the result keeps the
    // dialog open, until it lets it go.
    {
        TVetoDialog dialog(nullptr);
        dialog.RefuseCancel = true;
        bool stillOpen = false;
        DuringNextModal([&](TForm& form) {
            keys.Tap("Esc");
            RunPending();
            stillOpen = form.Modal() && IsWindowVisible(form.Handle());
            dialog.RefuseCancel = false;
            keys.Tap("Esc");
        });
        EXPECT_EQ(dialog.ShowModal(), mrCancel);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(dialog.CancelCalls, 2);
    }
    // Closing the window asks the Cancel handler; a click on Annuler closes
    // without asking it a second time.
    {
        TVetoDialog dialog(nullptr);
        dialog.RefuseCancel = true;
        DuringNextModal([&](TForm& form) {
            form.Close();  // the close asks the handler, which refuses
            DuringNextModal([&](TForm&) {
                EXPECT_EQ(dialog.CancelCalls, 1);
                dialog.RefuseCancel = false;
                TTestMouse mouse;
                mouse.Click(dialog.DlgButtons().Button(DlgButtonCancel)->Handle(), {10, 10});
            });
        });
        EXPECT_EQ(dialog.ShowModal(), mrCancel);
        EXPECT_EQ(dialog.CancelCalls, 2);
    }
    // F1 shows the form's topic plus the active page's index; topic 0 shows nothing.
    {
        TVetoDialog dialog(nullptr);
        EXPECT_FALSE(dialog.HasHelpButton());
        auto* pages = new TPageControl(&dialog);
        pages->SetParent(&dialog);
        pages->SetBounds(8, 8, 280, 70);
        for (const char* caption : {"Un", "Deux"}) {
            auto* sheet = new TTabSheet(&dialog);
            sheet->SetCaption(caption);
            sheet->SetPageControl(pages);
        }
        DuringNextModal([&](TForm& form) {
            keys.Tap("F1");  // topic 0: nothing
            dialog.SetHelpTopic(500);
            keys.Tap("F1");
            pages->SetActivePageIndex(1);
            keys.Tap("F1");
            SendMessage(form.Handle(), WM_SYSCOMMAND, SC_CONTEXTHELP | 2, 0);
            keys.Tap("Esc");
        });
        EXPECT_EQ(dialog.ShowModal(), mrCancel);
        EXPECT_TRUE(dialog.HasHelpButton());
        EXPECT_EQ(topics, (std::vector<int32_t>{500, 501, 501}));
    }
    BaseFormServices().ShowHelpTopic = nullptr;
}

TEST_F(BaseFormsTest, ProgramFontAndKeyboardCues)
{
    TVetoDialog dialog(nullptr);
    EXPECT_EQ(dialog.Font().Name(), "MS Sans Serif");
    EXPECT_EQ(dialog.Font().Height(), -11);
    // Shown: the form hides focus rectangles and accelerator marks first.
    std::vector<WPARAM> uiState;
    class TCueForm : public TVetoDialog {
    public:
        using TVetoDialog::TVetoDialog;
        std::vector<WPARAM>* Seen = nullptr;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_CHANGEUISTATE && Seen)
                Seen->push_back(m.WParam);
            TVetoDialog::WndProc(m);
        }
    };
    TCueForm cues(nullptr);
    cues.Seen = &uiState;
    cues.Show();
    RunPending();
    EXPECT_EQ(uiState, (std::vector<WPARAM>{MakeWParam(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL)}));
}

TEST_F(BaseFormsTest, PopupListIsFreedWhenItLosesTheActivation)
{
    auto* owner = new TForm(nullptr);
    std::unique_ptr<TForm> ownerGuard(owner);
    owner->SetBounds(10, 10, 200, 100);
    owner->Show();
    auto* popup = new TPopupStayOnTopForm(nullptr);
    bool destroyed = false;
    popup->OnDestroy = [&](TControl*) { destroyed = true; };
    class TWatch : public TComponent {
    public:
        TWatch(TComponent* c, bool* gone) : TComponent(nullptr), FGone(gone) { FreeNotification(c); }
        void Notification(TComponent*, TOperation op) override
        {
            if (op == TOperation::opRemove)
                *FGone = true;
        }
        bool* FGone;
    };
    bool gone = false;
    TWatch watch(popup, &gone);
    popup->SetBounds(30, 30, 100, 60);
    popup->Show();
    ASSERT_TRUE(RunUntil([&] { return popup->Active(); }));
    owner->BringToFront();
    SetForegroundWindow(owner->Handle());
    EXPECT_TRUE(RunUntil([&] { return gone; }));
}

TEST_F(BaseFormsTest, StartUpDataOfTheModule)
{
    InitBaseForms();
    EXPECT_EQ(RegisteredComponentClasses().size(), 43u);
    EXPECT_EQ(RegisteredComponentClasses().front(), "TAdvComboBox");
    EXPECT_TRUE(IsRegisteredComponentClass("tscrollbar95"));
    EXPECT_FALSE(IsRegisteredComponentClass("TWebBrowser"));
    EXPECT_TRUE(StartupInProgress);
    EXPECT_FALSE(ProgramPath().empty());
    EXPECT_EQ(ProgramFolder().back(), '/');
    DoneBaseForms();
    StartupInProgress = false;
}

} // namespace
