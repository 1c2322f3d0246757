#include "dialogs/DlgFormManager.h"

#include "platform/runtime/SysUtils.h"
#include "shell/SmallControls.h"

#include <algorithm>

TDlgFormManager::TDlgFormManager(TComponent* owner) : TComponent(owner)
{
    SetName("DlgFormManager");
}

void TDlgFormManager::AddControl(TValidationEdit* edit)
{
    Controls.push_back(edit);
}

bool TDlgFormManager::IsExcluded(const TComponent* control) const
{
    return std::find(ExcludedControls.begin(), ExcludedControls.end(), control) != ExcludedControls.end();
}

void TDlgFormManager::IncludeControl(TComponent* control)
{
    std::erase(ExcludedControls, control);
}

void TDlgFormManager::BeginGetData()
{
    if (!KeepExcludedControls)
        ExcludedControls.clear();
    if (RefreshInvalidControls)
        return;
    // Text the user is still typing ("1," or "-") is neither read nor rewritten.
    for (TValidationEdit* edit : Controls)
        if (edit->Visible() && edit->Enabled() && !IsBlank(edit) && !edit->IsValueValid())
            ExcludedControls.push_back(edit);
}

void TDlgFormManager::ControlChanged(TComponent* control)
{
    if (!Active)
        return;
    ChangingControl = control;
    if (OnGetDataFromControls)
        OnGetDataFromControls(control);
    ExcludedControls.push_back(control);
    if (OnSetDataToControls)
        OnSetDataToControls(this);
    // Only the entry appended above goes: the invalid edits stay out until
    // the next get-data pass.
    for (auto it = ExcludedControls.rbegin(); it != ExcludedControls.rend(); ++it)
        if (*it == control) {
            ExcludedControls.erase(std::next(it).base());
            break;
        }
    ChangingControl = nullptr;
}

bool TDlgFormManager::CanSetData(const TComponent* control) const
{
    return !IsExcluded(control);
}

bool TDlgFormManager::CanGetData(const TComponent* control) const
{
    if (IsExcluded(control))
        return false;
    if (auto* edit = dynamic_cast<const TValidationEdit*>(control))
        return !IsBlank(edit);
    return true;
}

bool TDlgFormManager::ValidateControls()
{
    for (TValidationEdit* edit : Controls)
        if (!IsBlank(edit) && !edit->IsValueValid()) {
            edit->ReportInvalidValue();
            return false;
        }
    return true;
}

void TDlgFormManager::RefreshAll()
{
    RefreshInvalidControls = true;
    try {
        BeginGetData();
        if (OnSetDataToControls)
            OnSetDataToControls(this);
    } catch (...) {
        RefreshInvalidControls = false;
        throw;
    }
    RefreshInvalidControls = false;
}

bool TDlgFormManager::IsBlank(const TValidationEdit* edit) const
{
    return edit->Empty() || (AllowEmpty && Trim(edit->Text()).empty());
}

void TDlgFormManager::WriteValue(TValidationEdit* edit, int32_t value)
{
    // Text that already stands for the value ("1,", "2,5", "1 pouce") stays as typed.
    if (!edit->Empty() && edit->IsValueValid() && edit->Value() == value && !Trim(edit->Text()).empty()) {
        FWritten[edit] = edit->Text();
        return;
    }
    const bool events = edit->ChangeEventsEnabled;
    const bool range = edit->RangeCheck;
    edit->ChangeEventsEnabled = false;
    edit->RangeCheck = false;
    if (edit->Empty() || edit->Value() != value || edit->Text() != edit->FormatValue(value)) {
        edit->SetEmpty(false);
        edit->SetValue(value);
        if (edit->Text() != edit->FormatValue(value))
            edit->SetText(edit->FormatValue(value));
    }
    edit->RangeCheck = range;
    edit->ChangeEventsEnabled = events;
    FWritten[edit] = edit->Text();
}

void TDlgFormManager::WriteEmpty(TValidationEdit* edit)
{
    const bool events = edit->ChangeEventsEnabled;
    edit->ChangeEventsEnabled = false;
    edit->SetEmpty(true);
    edit->ChangeEventsEnabled = events;
    FWritten[edit] = edit->Text();
}

bool TDlgFormManager::EditTouched(const TValidationEdit* edit) const
{
    const auto it = FWritten.find(edit);
    return it == FWritten.end() || it->second != edit->Text();
}

bool TDlgFormManager::CanReadEdit(const TValidationEdit* edit) const
{
    return CanGetData(edit) && EditTouched(edit);
}
