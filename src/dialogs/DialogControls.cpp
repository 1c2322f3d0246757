#include "dialogs/DialogControls.h"

#include "foundation/NotSet.h"
#include "platform/framework/Forms.h"

TLabel* MakeDlgLabel(TForm* form, TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                     TWinControl* focus)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    if (focus)
        label->SetFocusControl(focus);
    return label;
}

TButton* MakeDlgButton(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                       int32_t left, int32_t top, int32_t width)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(left, top, width, 23);
    button->SetCaption(caption);
    return button;
}

TCheckBox* MakeDlgCheckBox(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                           int32_t left, int32_t top, int32_t width)
{
    auto* box = new TCheckBox(form);
    box->SetName(name);
    box->SetParent(parent);
    box->SetBounds(left, top, width, 17);
    box->SetCaption(caption);
    return box;
}

TRadioButton* MakeDlgRadio(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                           int32_t left, int32_t top, int32_t width)
{
    auto* button = new TRadioButton(form);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(left, top, width, 17);
    button->SetCaption(caption);
    return button;
}

TComboBox* MakeDlgCombo(TForm* form, TWinControl* parent, const std::string& name, int32_t left, int32_t top,
                        int32_t width, const std::vector<std::string>& items)
{
    auto* combo = new TComboBox(form);
    combo->SetName(name);
    combo->Style = TComboBoxStyle::csDropDownList;
    combo->SetParent(parent);
    combo->SetBounds(left, top, width, 21);
    for (const std::string& item : items)
        combo->Items().Add(item);
    return combo;
}

TGroupBox* MakeDlgGroup(TForm* form, TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                        int32_t width, int32_t height)
{
    auto* group = new TGroupBox(form);
    group->SetParent(parent);
    group->SetBounds(left, top, width, height);
    group->SetCaption(caption);
    return group;
}

TUpDownEdit* MakeDlgUpDown(TForm* form, TWinControl* parent, const std::string& name, int32_t left, int32_t top,
                           int32_t width)
{
    auto* edit = new TUpDownEdit(form);
    edit->SetName(name);
    edit->SetParent(parent);
    edit->SetBounds(left, top, width, 21);
    return edit;
}

TCheckBoxState CheckStateOf(int32_t value, int32_t checkedValue)
{
    if (value == NotSet)
        return TCheckBoxState::cbGrayed;
    return value == checkedValue ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
}

int32_t ValueOfCheckState(TCheckBoxState state, int32_t checkedValue)
{
    switch (state) {
    case TCheckBoxState::cbChecked: return checkedValue;
    case TCheckBoxState::cbGrayed: return NotSet;
    default: return 0;
    }
}

void SetCheckSilently(TCheckBox& box, TCheckBoxState state)
{
    if (box.State() == state)
        return;
    auto click = box.OnClick;
    box.OnClick = nullptr;
    box.SetState(state);
    box.OnClick = click;
}
