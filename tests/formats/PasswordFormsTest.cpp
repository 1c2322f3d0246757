// The password dialogs driven by the keyboard: the checks on OK in their
// order, the length limit, remembering a password only once it was
// accepted, and a picture of the saving dialog.
#include "formats/PasswordForms.h"

#include "formats/EncryptionManager.h"
#include "foundation/MessageDlg.h"
#include "platform/framework/ModalTesting.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/runtime/CodePages.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>

namespace {

// Keeps the message texts, answering OK.
class TMessages : public TMessageAnswerer {
public:
    TMessages() : FPrevious(SetMessageAnswerer(this)) {}
    ~TMessages() override { SetMessageAnswerer(FPrevious); }
    int32_t Answer(const TMessageRequest& request) override
    {
        Texts.push_back(request.Text);
        return mrOk;
    }
    // The last message; empty when none came since the last call.
    std::string Take()
    {
        std::string last = Texts.empty() ? std::string() : Texts.back();
        Texts.clear();
        return last;
    }
    std::vector<std::string> Texts;

private:
    TMessageAnswerer* FPrevious;
};

class PasswordFormsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitApplication();
        PasswordSession() = TPasswordSession{};
    }
    void TearDown() override { PasswordSession() = TPasswordSession{}; }
    // Types letters (capitals with Shift) into the focused edit.
    void Type(const std::string& text)
    {
        for (char c : text) {
            const std::string key(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
            if (std::isupper(static_cast<unsigned char>(c)))
                Keys.Chord({"Shift"}, key);
            else
                Keys.Tap(key);
        }
    }
    TTestKeyboard Keys;
    TMessages Messages;
};

}  // namespace

TEST_F(PasswordFormsTest, SavingChecksTheEntriesInOrderAndRemembersOnlyAnAcceptedPassword)
{
    std::vector<std::string> said;
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEncPswdForSavingForm&>(form);
        EXPECT_TRUE(f.PasswordEdit->Focused());
        struct {
            const char* First;
            const char* Second;
            const char* Message;
            bool Cleared;
            bool FocusFirst;
        } const attempts[] = {
            {"", "", "spécifier un mot de passe", false, true},
            {"abcdefg", "abcdefg", "moins de 8 caractères", true, true},
            {"abcdefgh", "", "ressaisir le mot de passe", false, false},
            {"abcdefgh", "ABCDEFGH", "doivent être identiques", true, true},
        };
        for (const auto& a : attempts) {
            SCOPED_TRACE(a.Message);
            f.PasswordEdit->SetText("");
            f.RetypePasswordEdit->SetText("");
            f.PasswordEdit->SetFocus();
            Type(a.First);
            f.RetypePasswordEdit->SetFocus();
            Type(a.Second);
            Keys.Tap("Enter");
            RunPending();
            EXPECT_NE(Messages.Take().find(a.Message), std::string::npos);
            EXPECT_TRUE(f.Visible());
            EXPECT_EQ(f.PasswordEdit->Text().empty(), a.Cleared || !*a.First);
            EXPECT_EQ(f.PasswordEdit->Focused(), a.FocusFirst);
            EXPECT_EQ(f.RetypePasswordEdit->Focused(), !a.FocusFirst);
        }
        // Nothing refused so far was remembered.
        EXPECT_TRUE(PasswordSession().SavingPassword.empty());
        f.PasswordEdit->SetText("");
        f.RetypePasswordEdit->SetText("");
        f.PasswordEdit->SetFocus();
        Type("MotSecret");
        f.RetypePasswordEdit->SetFocus();
        Type("MotSecret");
        Keys.Tap("Enter");
    });
    std::string password;
    ASSERT_TRUE(AskPasswordForSaving(password));
    EXPECT_EQ(password, "MotSecret");
    EXPECT_TRUE(Messages.Texts.empty());
    EXPECT_EQ(DecryptPassword(PasswordSession().SavingPassword), "MotSecret");
    // Not offered next time: the box was not ticked.
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEncPswdForSavingForm&>(form);
        EXPECT_EQ(f.PasswordEdit->Text(), "");
        EXPECT_FALSE(f.MemChkBx->Checked());
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(AskPasswordForSaving(password));
}

TEST_F(PasswordFormsTest, TheBoxHoldsAtOnceButCancelRemembersNoPassword)
{
    PasswordSession().SavingPassword = EncryptPassword("Ancienmotdepasse");
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEncPswdForSavingForm&>(form);
        // 65 keys: the 65th is not taken.
        Type(std::string(65, 'x'));
        EXPECT_EQ(f.PasswordEdit->Text(), std::string(64, 'x'));
        Keys.Chord({"Alt"}, "S");  // &Suggérer...
        EXPECT_TRUE(f.MemChkBx->Checked());
        EXPECT_TRUE(PasswordSession().RememberSaving);
        EXPECT_EQ(f.CancelBtn->Caption(), "Fermer");
        Keys.Tap("Esc");
    });
    std::string password;
    EXPECT_FALSE(AskPasswordForSaving(password));
    // The unconfirmed entry did not replace the remembered password.
    EXPECT_EQ(DecryptPassword(PasswordSession().SavingPassword), "Ancienmotdepasse");

    // Offered now: both edits filled, the box ticked; OK takes it as it is.
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEncPswdForSavingForm&>(form);
        EXPECT_EQ(f.PasswordEdit->Text(), "Ancienmotdepasse");
        EXPECT_EQ(f.RetypePasswordEdit->Text(), "Ancienmotdepasse");
        EXPECT_TRUE(f.MemChkBx->Checked());
        Keys.Tap("Enter");
    });
    ASSERT_TRUE(AskPasswordForSaving(password));
    EXPECT_EQ(password, "Ancienmotdepasse");
}

TEST_F(PasswordFormsTest, OpeningAsksForANonEmptyPasswordAndRemembersIt)
{
    DuringNextModal([&](TForm& form) {
        auto& f = dynamic_cast<TEncPswdForOpeningForm&>(form);
        EXPECT_FALSE(f.MemChkBx->Checked());
        Keys.Tap("Enter");
        RunPending();
        EXPECT_NE(Messages.Take().find("spécifier un mot de passe"), std::string::npos);
        EXPECT_TRUE(f.Visible());
        Type("cle");
        Keys.Chord({"Alt"}, "T");  // &tous les documents
        EXPECT_TRUE(PasswordSession().TryOpeningForAll);
        f.PasswordEdit->SetFocus();
        Keys.Tap("Enter");
    });
    std::string password;
    ASSERT_TRUE(AskPasswordForOpening(password));
    EXPECT_EQ(password, "cle");
    EXPECT_EQ(DecryptPassword(PasswordSession().OpeningPassword), "cle");
    DuringNextModal([&](TForm& form) {
        EXPECT_TRUE(dynamic_cast<TEncPswdForOpeningForm&>(form).MemChkBx->Checked());
        Keys.Tap("Esc");
    });
    EXPECT_FALSE(AskPasswordForOpening(password));
    EXPECT_EQ(DecryptPassword(PasswordSession().OpeningPassword), "cle");
}

TEST_F(PasswordFormsTest, PictureOfTheSavingDialog)
{
    auto form = std::make_unique<TEncPswdForSavingForm>(nullptr);
    form->PasswordEdit->SetText("secret");
    form->Show();
    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(form->Handle(), grab) && grab.Width() > 0; }));
    RunPending();
    ASSERT_TRUE(GrabWindow(form->Handle(), grab));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/password-for-saving.png"));
}
