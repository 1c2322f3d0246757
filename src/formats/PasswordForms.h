#pragma once
// The two password dialogs of encrypted documents: one sets the password a
// document is saved under (typed twice), one asks for the password of a
// document being opened. Both feed the cipher's entropy pool while the user
// types and moves the mouse, and can remember the password for the rest of
// the session, only ever in its session form and never on disk.
#include "platform/framework/Forms.h"

#include <cstdint>
#include <string>

class TButton;
class TCheckBox;
class TEdit;
class TLabel;

// What the session remembers.
struct TPasswordSession {
    // The saving dialog offers the remembered password.
    bool RememberSaving = false;
    // The remembered opening password is tried on every encrypted document.
    bool TryOpeningForAll = false;
    // Session forms (EncryptPassword); empty: none.
    std::string SavingPassword;
    std::string OpeningPassword;
};
TPasswordSession& PasswordSession();

constexpr int32_t MinPasswordLength = 8;
constexpr int32_t MaxPasswordLength = 64;

class TEncPswdForSavingForm : public TForm {
public:
    explicit TEncPswdForSavingForm(TComponent* owner);

    TEdit* PasswordEdit;
    TEdit* RetypePasswordEdit;
    TCheckBox* MemChkBx;
    TButton* OkBtn;
    TButton* CancelBtn;

    void MemChkBxClick();
    // Checks the entries; the dialog closes only when they are accepted.
    void OkBtnClick();
    // The password entered, when the dialog ended with OK.
    std::string Password() const;

private:
    bool FLoading = false;
};

class TEncPswdForOpeningForm : public TForm {
public:
    explicit TEncPswdForOpeningForm(TComponent* owner);

    TEdit* PasswordEdit;
    TCheckBox* MemChkBx;
    TButton* OkBtn;
    TButton* CancelBtn;

    void MemChkBxClick();
    void OkBtnClick();
    std::string Password() const;

private:
    bool FLoading = false;
};

// Show the dialog; true with the password entered (plain text) when the user
// confirmed it. The caller turns it into session form at once.
bool AskPasswordForSaving(std::string& password);
bool AskPasswordForOpening(std::string& password);
