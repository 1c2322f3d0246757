#include "formats/PasswordForms.h"

#include "formats/EncryptionManager.h"
#include "foundation/MessageDlg.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/SysUtils.h"

#include <memory>

namespace {

const char kExplanation[] =
    "Pour une sécurité maximale, ce mot de passe sera crypté puis stocké en mémoire vive pour la présente session de "
    "travail d'Eldravin. Aucun mot de passe ne sera jamais enregistré sur votre disque dur.";
const char kEmpty[] = "S'il vous plaît, veuillez spécifier un mot de passe.";

uint32_t g_LastKeyTick = 0;

// A text over several labels, cut between words at about perLine characters;
// the top of what follows.
int32_t AddWrappedText(TForm* form, const std::string& text, int32_t left, int32_t top, int32_t width,
                       size_t perLine, bool bold)
{
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > perLine) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (!line.empty())
        lines.push_back(line);
    for (const std::string& l : lines) {
        auto* label = new TLabel(form);
        label->SetParent(form);
        label->ShowAccelChar = false;
        if (bold)
            label->Font().SetStyle(fsBold);
        label->SetCaption(l);
        label->SetBounds(left, top, width, 14);
        top += 14;
    }
    return top;
}

TEdit* MakePasswordEdit(TForm* form, const char* name, int32_t left, int32_t top, int32_t width)
{
    auto* edit = new TEdit(form);
    edit->SetName(name);
    edit->SetParent(form);
    edit->SetBounds(left, top, width, 21);
    edit->PasswordChar = '*';
    edit->MaxLength = MaxPasswordLength;
    // Each key adds the time since the one before to the entropy pool.
    edit->OnKeyPress = [](TControl*, char&) {
        const uint32_t now = GetTickCount();
        GetEncryptionManager().AddEntropy(static_cast<int32_t>((now - g_LastKeyTick) & 0xFFFF));
        g_LastKeyTick = now;
    };
    return edit;
}

TButton* MakeButton(TForm* form, const char* name, const char* caption, int32_t left, int32_t top)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(form);
    button->SetCaption(caption);
    button->SetBounds(left, top, 88, 25);
    return button;
}

void FeedMouse(TForm* form)
{
    form->OnMouseMove = [](TControl*, TShiftState, int32_t x, int32_t y) {
        GetEncryptionManager().AddEntropy(x);
        GetEncryptionManager().AddEntropy(y);
    };
}

// Refuses the entry with a message and puts the focus on the edit.
void Refuse(TEdit* edit, const std::string& text, bool warning)
{
    if (warning)
        ShowWarning(text);
    else
        ShowInformation(text);
    if (edit->CanFocus())
        edit->SetFocus();
}

}  // namespace

TPasswordSession& PasswordSession()
{
    static TPasswordSession session;
    return session;
}

// --- Saving ------------------------------------------------------------------------

TEncPswdForSavingForm::TEncPswdForSavingForm(TComponent* owner) : TForm(owner)
{
    FLoading = true;
    SetName("EncPswdForSavingForm");
    SetCaption("Mot de passe du document");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(416, 270);
    FeedMouse(this);

    int32_t top = AddWrappedText(this,
                                 "Veuillez préciser le mot de passe qui sera requis pour ouvrir ce document à "
                                 "l'avenir. Important : Eldravin respecte la différence majuscule/minuscule.",
                                 8, 8, 400, 70, false);
    top += 6;
    auto* first = new TLabel(this);
    first->SetParent(this);
    first->SetCaption("&Mot de passe (1ère saisie) :");
    first->SetBounds(8, top + 3, 180, 14);
    PasswordEdit = MakePasswordEdit(this, "PasswordEdit", 196, top, 212);
    first->SetFocusControl(PasswordEdit);
    top += 26;
    auto* second = new TLabel(this);
    second->SetParent(this);
    second->SetCaption("Mot de passe (&2ème saisie) :");
    second->SetBounds(8, top + 3, 180, 14);
    RetypePasswordEdit = MakePasswordEdit(this, "RetypePasswordEdit", 196, top, 212);
    second->SetFocusControl(RetypePasswordEdit);
    top += 30;
    MemChkBx = new TCheckBox(this);
    MemChkBx->SetName("MemChkBx");
    MemChkBx->SetParent(this);
    MemChkBx->Font().SetStyle(fsBold);
    MemChkBx->SetCaption("&Suggérer le même mot de passe lors de la création d'autres documents cryptés.");
    MemChkBx->SetBounds(8, top, 400, 17);
    top = AddWrappedText(this, kExplanation, 24, top + 20, 384, 68, false);
    top = AddWrappedText(this,
                         "Attention! Eldravin utilise un cryptage extrêmement puissant et inviolable. Protégez "
                         "votre mot de passe très soigneusement. Si vous perdiez le mot de passe d'un document, vous "
                         "ne pourriez plus l'ouvrir, ni accéder à l'information qu'il contient. Soyez prudents !",
                         8, top + 6, 400, 66, true);
    OkBtn = MakeButton(this, "OkBtn", "OK", 224, top + 8);
    OkBtn->SetDefault(true);
    OkBtn->OnClick = [this](TControl*) { OkBtnClick(); };
    CancelBtn = MakeButton(this, "CancelBtn", "Annuler", 320, top + 8);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;
    SetClientSize(416, top + 41);

    TPasswordSession& session = PasswordSession();
    if (session.RememberSaving) {
        const std::string remembered = session.SavingPassword.empty() ? std::string()
                                                                       : DecryptPassword(session.SavingPassword);
        PasswordEdit->SetText(remembered);
        RetypePasswordEdit->SetText(remembered);
        MemChkBx->SetChecked(true);
    }
    MemChkBx->OnClick = [this](TControl*) { MemChkBxClick(); };
    SetActiveControl(PasswordEdit);
    FLoading = false;
}

void TEncPswdForSavingForm::MemChkBxClick()
{
    if (FLoading)
        return;
    // The choice holds at once, whether the dialog ends with OK or not; the
    // password itself is remembered only once it is accepted.
    PasswordSession().RememberSaving = MemChkBx->Checked();
    CancelBtn->SetCaption("Fermer");
}

void TEncPswdForSavingForm::OkBtnClick()
{
    const std::string first = PasswordEdit->Text();
    const std::string second = RetypePasswordEdit->Text();
    if (first.empty()) {
        Refuse(PasswordEdit, kEmpty, false);
        return;
    }
    if (static_cast<int32_t>(first.size()) < MinPasswordLength) {
        PasswordEdit->SetText("");
        RetypePasswordEdit->SetText("");
        Refuse(PasswordEdit,
               "Le mot de passe ne peut avoir moins de " + IntToStr(MinPasswordLength) + " caractères.", true);
        return;
    }
    if (second.empty()) {
        Refuse(RetypePasswordEdit, "S'il vous plaît, veuillez ressaisir le mot de passe.", false);
        return;
    }
    if (first != second) {
        PasswordEdit->SetText("");
        RetypePasswordEdit->SetText("");
        Refuse(PasswordEdit, "Les mots de passe saisis doivent être identiques.", true);
        return;
    }
    PasswordSession().SavingPassword = EncryptPassword(first);
    SetModalResult(mrOk);
}

std::string TEncPswdForSavingForm::Password() const
{
    return ModalResult() == mrOk ? PasswordEdit->Text() : std::string();
}

// --- Opening -----------------------------------------------------------------------

TEncPswdForOpeningForm::TEncPswdForOpeningForm(TComponent* owner) : TForm(owner)
{
    FLoading = true;
    SetName("EncPswdForOpeningForm");
    SetCaption("Mot de passe");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    FeedMouse(this);

    auto* intro = new TLabel(this);
    intro->SetParent(this);
    intro->SetCaption("Le présent document est protégé par mot de passe.");
    intro->SetBounds(8, 8, 400, 14);
    auto* prompt = new TLabel(this);
    prompt->SetParent(this);
    prompt->SetCaption("Entrez le mot de &passe :");
    prompt->SetBounds(8, 26, 400, 14);
    PasswordEdit = MakePasswordEdit(this, "PasswordEdit", 8, 44, 400);
    prompt->SetFocusControl(PasswordEdit);
    MemChkBx = new TCheckBox(this);
    MemChkBx->SetName("MemChkBx");
    MemChkBx->SetParent(this);
    MemChkBx->SetCaption("Essayer d'ouvrir &tous les documents cryptés avec ce mot de passe.");
    MemChkBx->SetBounds(8, 74, 400, 17);
    const int32_t top = AddWrappedText(this, kExplanation, 24, 94, 384, 68, false);
    OkBtn = MakeButton(this, "OkBtn", "OK", 224, top + 8);
    OkBtn->SetDefault(true);
    OkBtn->OnClick = [this](TControl*) { OkBtnClick(); };
    CancelBtn = MakeButton(this, "CancelBtn", "Annuler", 320, top + 8);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;
    SetClientSize(416, top + 41);

    MemChkBx->SetChecked(PasswordSession().TryOpeningForAll);
    MemChkBx->OnClick = [this](TControl*) { MemChkBxClick(); };
    SetActiveControl(PasswordEdit);
    FLoading = false;
}

void TEncPswdForOpeningForm::MemChkBxClick()
{
    if (FLoading)
        return;
    PasswordSession().TryOpeningForAll = MemChkBx->Checked();
    CancelBtn->SetCaption("Fermer");
}

void TEncPswdForOpeningForm::OkBtnClick()
{
    if (PasswordEdit->Text().empty()) {
        Refuse(PasswordEdit, kEmpty, false);
        return;
    }
    PasswordSession().OpeningPassword = EncryptPassword(PasswordEdit->Text());
    SetModalResult(mrOk);
}

std::string TEncPswdForOpeningForm::Password() const
{
    return ModalResult() == mrOk ? PasswordEdit->Text() : std::string();
}

bool AskPasswordForSaving(std::string& password)
{
    std::unique_ptr<TEncPswdForSavingForm> form(new TEncPswdForSavingForm(nullptr));
    if (form->ShowModal() != mrOk)
        return false;
    password = form->Password();
    return true;
}

bool AskPasswordForOpening(std::string& password)
{
    std::unique_ptr<TEncPswdForOpeningForm> form(new TEncPswdForOpeningForm(nullptr));
    if (form->ShowModal() != mrOk)
        return false;
    password = form->Password();
    return true;
}
