#include "shell/StringEditors.h"

#include <memory>

// --- TStrLstEditForm --------------------------------------------------------------------

TStrLstEditForm::TStrLstEditForm(TComponent* owner) : TStandardDialogForm(owner)
{
    SetName("StrLstEditForm");
    Position = TPosition::poScreenCenter;
    SetClientSize(274, 208);
    MainLbl = new TLabel(this);
    MainLbl->SetName("MainLbl");
    MainLbl->SetParent(this);
    MainLbl->SetBounds(8, 8, 176, 13);
    StrEdit = new TEdit(this);
    StrEdit->SetName("StrEdit");
    StrEdit->SetParent(this);
    StrEdit->SetBounds(8, 24, 176, 21);
    PredefinedComboBox = new TAdvComboBox(this);
    PredefinedComboBox->SetName("PredefinedComboBox");
    PredefinedComboBox->Style = TComboBoxStyle::csDropDownList;
    PredefinedComboBox->SetParent(this);
    PredefinedComboBox->SetBounds(8, 24, 176, 21);
    PredefinedComboBox->SetVisible(false);
    StrLstBx = new TListBox(this);
    StrLstBx->SetName("StrLstBx");
    StrLstBx->SetSorted(true);
    StrLstBx->IntegralHeight = true;
    StrLstBx->SetParent(this);
    StrLstBx->SetBounds(8, 52, 176, 116);
    AddBtn = new TButton(this);
    AddBtn->SetName("AddBtn");
    AddBtn->SetCaption("Ajo&uter");
    AddBtn->SetParent(this);
    AddBtn->SetBounds(192, 24, 74, 22);
    DelBtn = new TButton(this);
    DelBtn->SetName("DelBtn");
    DelBtn->SetCaption("&Supprimer");
    DelBtn->SetParent(this);
    DelBtn->SetBounds(192, 52, 74, 22);
    // The tab order runs from the input to the list, the two buttons, then OK and Annuler.
    StrEdit->SetTabOrder(0);
    PredefinedComboBox->SetTabOrder(1);
    StrLstBx->SetTabOrder(2);
    AddBtn->SetTabOrder(3);
    DelBtn->SetTabOrder(4);
    MainLbl->SetFocusControl(StrEdit);

    StrEdit->OnChange = [this](TControl*) { TextChanged(); };
    PredefinedComboBox->OnChange = [this](TControl*) { TextChanged(); };
    StrLstBx->OnClick = [this](TControl*) { ListClicked(); };
    AddBtn->OnClick = [this](TControl*) { AddClicked(); };
    DelBtn->OnClick = [this](TControl*) { DelClicked(); };
}

void TStrLstEditForm::Prepare(const TStrings& strings, const TStrings* predefined)
{
    Ready = false;
    StrLstBx->Items().Assign(strings);
    FHasPredefined = predefined != nullptr;
    if (predefined)
        PredefinedComboBox->Items().Assign(*predefined);
    PredefinedComboBox->SetVisible(FHasPredefined);
    StrEdit->SetVisible(!FHasPredefined);
    TWinControl* input = FHasPredefined ? static_cast<TWinControl*>(PredefinedComboBox) : StrEdit;
    MainLbl->SetFocusControl(input);
    SetActiveControl(input);
    StrLstBx->SetItemIndex(-1);  // no line selected at first
    Ready = true;
    UpdateButtons();
}

std::string TStrLstEditForm::InputText() const
{
    if (FHasPredefined)
        return PredefinedComboBox->ItemIndex() >= 0 ? PredefinedComboBox->Text() : std::string();
    return StrEdit->Text();
}

void TStrLstEditForm::UpdateButtons()
{
    const std::string text = InputText();
    const bool inList = !text.empty() && StrLstBx->Items().IndexOf(text) >= 0;
    if (FHasPredefined) {
        AddBtn->SetEnabled(PredefinedComboBox->ItemIndex() >= 0 && !inList);
        DelBtn->SetEnabled(StrLstBx->ItemIndex() >= 0);
    } else {
        AddBtn->SetEnabled(!text.empty() && !inList && (!OnValidateString || OnValidateString(text)));
        DelBtn->SetEnabled(!text.empty() && inList);
    }
}

void TStrLstEditForm::TextChanged()
{
    if (!Ready || SyncFromList)
        return;
    // The line equal to the text (exact match) is selected, if any.
    const std::string text = InputText();
    int32_t found = -1;
    for (int32_t i = 0; i < StrLstBx->Items().Count(); ++i)
        if (StrLstBx->Items().Strings(i) == text) {
            found = i;
            break;
        }
    StrLstBx->SetItemIndex(found);
    UpdateButtons();
}

void TStrLstEditForm::ListClicked()
{
    if (!Ready)
        return;
    if (!FHasPredefined && StrLstBx->ItemIndex() >= 0) {
        SyncFromList = true;
        StrEdit->SetText(StrLstBx->Items().Strings(StrLstBx->ItemIndex()));
        SyncFromList = false;
        if (StrEdit->CanFocus())
            StrEdit->SetFocus();
    }
    UpdateButtons();
}

void TStrLstEditForm::AddClicked()
{
    const std::string text = InputText();
    if (text.empty() || StrLstBx->Items().IndexOf(text) >= 0)
        return;
    const int32_t index = StrLstBx->Items().Add(text);
    StrLstBx->SetItemIndex(index);
    UpdateButtons();
}

void TStrLstEditForm::DelClicked()
{
    int32_t index = FHasPredefined ? StrLstBx->ItemIndex() : StrLstBx->Items().IndexOf(StrEdit->Text());
    if (index < 0)
        return;
    StrLstBx->Items().Delete(index);
    const int32_t count = StrLstBx->Items().Count();
    if (index >= count)
        index = count - 1;
    StrLstBx->SetItemIndex(index);
    UpdateButtons();
}

// --- TStrEditForm -------------------------------------------------------------------------

TStrEditForm::TStrEditForm(TComponent* owner) : TStandardDialogForm(owner)
{
    SetName("StrEditForm");
    Position = TPosition::poScreenCenter;
    SetClientSize(325, 65);
    StrEdt = new TEdit(this);
    StrEdt->SetName("StrEdt");
    StrEdt->SetParent(this);
    StrEdt->SetBounds(8, 8, 309, 21);
    StrEdt->SetTabOrder(0);
    SetActiveControl(StrEdt);
}

void TStrEditForm::DialogButtonClick(TControl* sender)
{
    auto* button = dynamic_cast<TDlgButton*>(sender);
    if (button && button->Kind() == DlgButtonOK && OnValidateString && !OnValidateString(StrEdt->Text())) {
        // Refused: the dialog stays open with the focus on the edit.
        SetModalResult(mrNone);
        if (StrEdt->CanFocus())
            StrEdt->SetFocus();
        return;
    }
    CloseWithOK(sender);
}

// --- Entry points ---------------------------------------------------------------------------

bool EditStringList(TStrings& strings, const TStrings* predefined, const std::string& caption,
                    const std::string& labelText, int32_t helpTopic, TFont* font,
                    const TValidateStringEvent& onValidateString)
{
    auto form = std::make_unique<TStrLstEditForm>(nullptr);
    form->SetCaption(caption);
    form->MainLbl->SetCaption(labelText);
    form->SetHelpTopic(helpTopic);
    if (font) {
        form->StrEdit->Font().Assign(*font);
        form->PredefinedComboBox->Font().Assign(*font);
        form->StrLstBx->Font().Assign(*font);
    }
    form->OnValidateString = onValidateString;
    form->Prepare(strings, predefined);
    if (form->ShowModal() != mrOk)
        return false;
    strings.Assign(form->StrLstBx->Items());
    return true;
}

bool EditString(std::string& text, const std::string& caption, const TValidateStringEvent& onValidateString)
{
    auto form = std::make_unique<TStrEditForm>(nullptr);
    form->SetCaption(caption);
    form->StrEdt->SetText(text);
    form->OnValidateString = onValidateString;
    if (form->ShowModal() != mrOk)
        return false;
    text = form->StrEdt->Text();
    return true;
}
