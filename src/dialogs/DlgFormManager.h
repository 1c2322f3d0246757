#pragma once
// TDlgFormManager: moves data both ways between a format dialog's working
// record and its controls, and checks the dialog's numeric edits before the
// dialog is accepted. A change of one control is read into the record at
// once and every other control is refreshed from it, so that dependent
// controls always agree; the control being edited is never rewritten while
// the user types in it, and a numeric edit holding unfinished or invalid
// text is neither read nor overwritten until it becomes valid.
#include "platform/framework/Component.h"
#include "platform/framework/Controls.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class TValidationEdit;

class TDlgFormManager : public TComponent {
public:
    explicit TDlgFormManager(TComponent* owner);

    // The managed numeric edits in registration order (the order of validation).
    std::vector<TValidationEdit*> Controls;
    // Writes the working record into the controls (Sender: the manager, or
    // none for the first pass).
    std::function<void(TComponent* sender)> OnSetDataToControls;
    // Reads the controls into the working record (Sender: the changed control).
    std::function<void(TComponent* sender)> OnGetDataFromControls;
    // Change notifications are ignored while false.
    bool Active = false;
    // While true, a get-data pass excludes no invalid edit.
    bool RefreshInvalidControls = false;
    // While true, a get-data pass keeps the excluded controls a dialog put there.
    bool KeepExcludedControls = false;
    TComponent* ChangingControl = nullptr;
    // Controls the current pass must neither read nor write.
    std::vector<TComponent*> ExcludedControls;

    void AddControl(TValidationEdit* edit);
    // Lets the coming set-data pass write the control again.
    void IncludeControl(TComponent* control);
    void BeginGetData();
    void ControlChanged(TComponent* control);
    bool CanSetData(const TComponent* control) const;
    // Not excluded and, for a numeric edit, not empty.
    bool CanGetData(const TComponent* control) const;
    // Reports the first non-empty invalid edit in registration order; false then.
    bool ValidateControls();
    // Blank edits count as empty (dialogs whose record may hold not-set values).
    bool AllowEmpty = false;
    // The edit shows no number: Empty, or blank while AllowEmpty.
    bool IsBlank(const TValidationEdit* edit) const;
    // Writes a value into a numeric edit, outside its range too, and
    // remembers the text it shows; WriteEmpty shows no number.
    void WriteValue(TValidationEdit* edit, int32_t value);
    void WriteEmpty(TValidationEdit* edit);
    // Whether the edit's text is no longer the one last written: a value the
    // user did not touch is not read back, so it returns to the record exactly
    // as it came (no rounding through the shown unit).
    bool EditTouched(const TValidationEdit* edit) const;
    // CanGetData and touched.
    bool CanReadEdit(const TValidationEdit* edit) const;
    // Reads and writes every control, invalid ones included (a bulk change of
    // the record, such as a pasted format).
    void RefreshAll();

private:
    std::map<const TValidationEdit*, std::string> FWritten;
    bool IsExcluded(const TComponent* control) const;
};
