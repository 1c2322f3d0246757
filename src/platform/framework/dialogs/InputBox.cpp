#include "platform/framework/dialogs/InputBox.h"

#include "platform/framework/Forms.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"

#include <memory>

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("InputQueryForm");
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->Position = TPosition::poScreenCenter;
    form->SetCaption(caption);
    form->SetClientSize(300, 98);
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(8, 8, 284, 13);
    label->SetCaption(prompt);
    auto* edit = new TEdit(form.get());
    edit->SetName("Edit");
    edit->SetParent(form.get());
    edit->SetBounds(8, 28, 284, 21);
    edit->SetText(value);
    label->SetFocusControl(edit);
    auto* ok = new TButton(form.get());
    ok->SetName("OKButton");
    ok->SetParent(form.get());
    ok->SetBounds(136, 64, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->ModalResult = mrOk;
    auto* cancel = new TButton(form.get());
    cancel->SetName("CancelButton");
    cancel->SetParent(form.get());
    cancel->SetBounds(217, 64, 75, 25);
    cancel->SetCaption("Annuler");
    cancel->Cancel = true;
    cancel->ModalResult = mrCancel;
    form->SetActiveControl(edit);
    if (form->ShowModal() != mrOk)
        return false;
    value = edit->Text();
    return true;
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    return InputQuery(caption, prompt, value) ? value : defaultValue;
}
