#include "shell/system/AssociateForm.h"

#include "foundation/MessageDlg.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Registry.h"
#include "shell/system/ShellRegistration.h"
#include "shell/system/WrappedLabel.h"

namespace {

TLabel* MakeText(TForm* form, const std::string& name, const std::string& caption, int32_t left, int32_t top,
                 int32_t width, int32_t height, bool bold)
{
    auto* label = new TWrappedLabel(form);
    label->SetName(name);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(left, top, width, height);
    if (bold)
        label->Font().SetStyle(fsBold);
    label->SetCaption(caption);
    return label;
}

TButton* MakeButton(TForm* form, const std::string& name, const std::string& caption, int32_t left, int32_t top)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(form);
    button->SetBounds(left, top, 95, 23);
    button->SetCaption(caption);
    return button;
}

TComboBox* MakeCombo(TForm* form, const std::string& name, int32_t left, int32_t top, TComboBoxStyle style)
{
    auto* combo = new TComboBox(form);
    combo->SetName(name);
    combo->SetParent(form);
    combo->SetBounds(left, top, 95, 21);
    combo->Style = style;
    return combo;
}

}  // namespace

TAssociateForm::TAssociateForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("AssociateForm");
    SetCaption("Types de fichiers associés");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(422, 237);

    LeftText = MakeText(this, "LeftText",
                        "Tous les fichiers de type texte peuvent être associés à Eldravin.\rVeuillez sélectionner ou "
                        "taper un type de fichier dans la zone de liste déroulante ci-dessous, puis appuyez sur "
                        "\"Associer\".",
                        10, 10, 195, 120, true);
    FileExt1Label = MakeText(this, "FileExt1Label", "T&ype de fichier :", 10, 140, 195, 16, false);
    FileExt1CmbBx = MakeCombo(this, "FileExt1CmbBx", 10, 158, TComboBoxStyle::csDropDown);
    for (const char* ext : {"cod", "doc", "dot", "ini", "rtf", "txt", "wri"})
        FileExt1CmbBx->Items().Add(ext);
    AssocBtn = MakeButton(this, "AssocBtn", "Associer...", 110, 157);
    AssocBtn->OnClick = [this](TControl*) { AssocBtnClick(); };

    RightText = MakeText(this, "RightText",
                         "Eldravin est actuellement associé aux types de fichiers présents dans la liste ci-dessous."
                         "\rPour supprimer l'association d'Eldravin avec l'un quelconque de ces types de fichier, "
                         "veuillez le sélectionner, puis appuyez sur \"Dissocier\".",
                         217, 10, 195, 120, true);
    FileExt2Label = MakeText(this, "FileExt2Label", "Type de &fichier :", 217, 140, 195, 16, false);
    FileExt2CmbBx = MakeCombo(this, "FileExt2CmbBx", 217, 158, TComboBoxStyle::csDropDownList);
    FileExt2CmbBx->SetSorted(true);
    UnAssocBtn = MakeButton(this, "UnAssocBtn", "Dissocier...", 317, 157);
    UnAssocBtn->OnClick = [this](TControl*) { UnAssocBtnClick(); };

    CloseBtn = MakeButton(this, "CloseBtn", "Fermer", 317, 204);
    CloseBtn->Cancel = true;
    CloseBtn->ModalResult = mrOk;

    // While a list has the focus, its button is the default one.
    FileExt1CmbBx->OnEnter = [this](TControl*) { AssocBtn->SetDefault(true); };
    FileExt1CmbBx->OnExit = [this](TControl*) { AssocBtn->SetDefault(false); };
    FileExt2CmbBx->OnEnter = [this](TControl*) { UnAssocBtn->SetDefault(true); };
    FileExt2CmbBx->OnExit = [this](TControl*) { UnAssocBtn->SetDefault(false); };
    FillAssociatedList();
}

TAssociateForm::~TAssociateForm()
{
    BeginDestroy();
}

void TAssociateForm::FillAssociatedList()
{
    FileExt2CmbBx->Items().Clear();
    std::string part;
    for (char c : RecordedAssociations() + " ") {
        if (c != ' ') {
            part += c;
            continue;
        }
        if (part.size() > 1) {
            // Dropped when the program no longer holds the extension.
            TRegistry reg;
            reg.SetRootKey(HKEY_CLASSES_ROOT);
            if (reg.OpenKeyReadOnly("\\" + part) && reg.ReadString("").rfind("Eldravin.", 0) == 0)
                FileExt2CmbBx->Items().Add(part.substr(1));
        }
        part.clear();
    }
    if (FileExt2CmbBx->Items().Count() > 0)
        FileExt2CmbBx->SetItemIndex(0);
    UnAssocBtn->SetEnabled(FileExt2CmbBx->Items().Count() > 0);
}

void TAssociateForm::AssocBtnClick()
{
    const std::string ext = Trim(FileExt1CmbBx->Text());
    if (ext.empty()) {
        ShowMessageDlg("S'il vous plaît, veuillez préciser une extension de fichier.", mtInformation, mbOK);
    } else if (ShowMessageDlg("Voulez-vous qu'Eldravin soit désormais l'application associée par défaut aux fichiers "
                              "d'extension \"" + ext + "\" ?",
                              mtConfirmation, mbYes | mbNo) == mrYes) {
        RegisterProgId();
        RegisterFileAssociation(ext, true);
        FillAssociatedList();
        ShowMessageDlg("Opération terminée. Eldravin est désormais associé par défaut aux fichiers d'extension \"" +
                           ext + "\".",
                       mtInformation, mbOK);
    }
    if (FileExt1CmbBx->CanFocus())
        FileExt1CmbBx->SetFocus();
}

void TAssociateForm::UnAssocBtnClick()
{
    const std::string ext = FileExt2CmbBx->Text();
    if (ext.empty()) {
        ShowMessageDlg("S'il vous plaît, veuillez préciser une extension de fichier.", mtInformation, mbOK);
    } else if (ShowMessageDlg("Voulez-vous vraiment qu'Eldravin ne soit plus l'application associée par défaut aux "
                              "fichiers d'extension \"" + ext + "\" ?",
                              mtConfirmation, mbYes | mbNo) == mrYes) {
        UnassociateExtension("." + ext);
        FillAssociatedList();
        ShowMessageDlg("Opération terminée. Eldravin n'est désormais plus associé par défaut aux fichiers "
                       "d'extension \"" + ext + "\".",
                       mtInformation, mbOK);
    }
    if (FileExt2CmbBx->CanFocus())
        FileExt2CmbBx->SetFocus();
}
