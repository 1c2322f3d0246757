#pragma once
// The dialog where the user associates any extension with the program or
// dissociates one it holds.
#include <string>

#include "shell/BaseForms.h"

class TButton;
class TComboBox;
class TLabel;

class TAssociateForm : public TEldravinForm {
public:
    explicit TAssociateForm(TComponent* owner);
    ~TAssociateForm() override;

    // The right list: the recorded extensions (without their dot) that the
    // program still holds.
    void FillAssociatedList();
    void AssocBtnClick();
    void UnAssocBtnClick();

    TLabel* LeftText = nullptr;
    TLabel* FileExt1Label = nullptr;
    TComboBox* FileExt1CmbBx = nullptr;
    TButton* AssocBtn = nullptr;
    TLabel* RightText = nullptr;
    TLabel* FileExt2Label = nullptr;
    TComboBox* FileExt2CmbBx = nullptr;
    TButton* UnAssocBtn = nullptr;
    TButton* CloseBtn = nullptr;
};
