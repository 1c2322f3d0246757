#pragma once
// Small helpers that build the controls of the format dialogs in code: each
// control is owned by the form, named, put on its parent and placed.
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Lists.h"
#include "shell/SmallControls.h"

#include <string>

class TForm;
class TWinControl;

TLabel* MakeDlgLabel(TForm* form, TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                     TWinControl* focus = nullptr);
TButton* MakeDlgButton(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                       int32_t left, int32_t top, int32_t width);
TCheckBox* MakeDlgCheckBox(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                           int32_t left, int32_t top, int32_t width);
TRadioButton* MakeDlgRadio(TForm* form, TWinControl* parent, const std::string& name, const std::string& caption,
                           int32_t left, int32_t top, int32_t width);
// A drop-down list (no typing) with its items.
TComboBox* MakeDlgCombo(TForm* form, TWinControl* parent, const std::string& name, int32_t left, int32_t top,
                        int32_t width, const std::vector<std::string>& items);
TGroupBox* MakeDlgGroup(TForm* form, TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                        int32_t width, int32_t height);
TUpDownEdit* MakeDlgUpDown(TForm* form, TWinControl* parent, const std::string& name, int32_t left, int32_t top,
                           int32_t width);

// The check box state of a 0/1 value: grey when not set.
TCheckBoxState CheckStateOf(int32_t value, int32_t checkedValue = 1);
// The value of a check box: 1 (or checkedValue) checked, 0 clear, not set grey.
int32_t ValueOfCheckState(TCheckBoxState state, int32_t checkedValue = 1);
// Sets a check box's state without a click event.
void SetCheckSilently(TCheckBox& box, TCheckBoxState state);
