#pragma once
// Two small modal editors: one of a sorted list of strings (typed freely, or
// chosen from a predefined list) and one of a single string, each with an
// optional validation of the caller.
#include <functional>
#include <string>

#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/StringList.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

using TValidateStringEvent = std::function<bool(const std::string& text)>;

class TStrLstEditForm : public TStandardDialogForm {
public:
    explicit TStrLstEditForm(TComponent* owner);
    TLabel* MainLbl;
    TEdit* StrEdit;
    TAdvComboBox* PredefinedComboBox;
    TListBox* StrLstBx;
    TButton* AddBtn;
    TButton* DelBtn;
    TValidateStringEvent OnValidateString;
    // Fills the list (sorted) and the predefined choices (none: free text).
    void Prepare(const TStrings& strings, const TStrings* predefined);
    bool HasPredefined() const { return FHasPredefined; }
    void UpdateButtons();

private:
    void TextChanged();
    void ListClicked();
    void AddClicked();
    void DelClicked();
    std::string InputText() const;
    bool FHasPredefined = false;
    bool Ready = false;
    bool SyncFromList = false;
};

class TStrEditForm : public TStandardDialogForm {
public:
    explicit TStrEditForm(TComponent* owner);
    TEdit* StrEdt;
    TValidateStringEvent OnValidateString;
    void DialogButtonClick(TControl* sender) override;
};

// Shows the list editor filled with strings; on OK the edited lines replace
// them. Predefined may be absent (free text). True when OK was pressed.
bool EditStringList(TStrings& strings, const TStrings* predefined, const std::string& caption,
                    const std::string& labelText, int32_t helpTopic, TFont* font,
                    const TValidateStringEvent& onValidateString);
// Shows the one-line editor with text; on OK stores the edited text.
bool EditString(std::string& text, const std::string& caption, const TValidateStringEvent& onValidateString);

