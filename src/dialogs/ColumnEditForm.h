#pragma once
// The "Colonnes" dialog: the column layout of the section at the caret, or
// the layout common to the selected sections (count, equal widths, spacing,
// explicit widths and gaps), with presets and a miniature of the page,
// applied to a chosen scope as one undoable operation.
#include "dialogs/DlgFormManager.h"
#include "document/model/Section.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Ranges.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

class TDocument;

class TColumnEditForm : public TEldravinForm {
public:
    TColumnEditForm(TComponent* owner, TDocument& document);

    TUpDownEdit* ColCountUpDownEdit;
    TCheckBox* LineBetweenChkBx;
    TLabel* ColNumberHeading;
    TLabel* WidthHeading;
    TLabel* SpacingHeading;
    TScrollBar* ColumnsScrollBar;
    TLabel* ColLabels[3];
    TUpDownEdit* WidthEdits[3];
    TUpDownEdit* SpacingEdits[3];
    TCheckBox* EqualWidthChkBx;
    TComboBox* ApplyToCmbBx;
    TPaintBox* Presets[5];
    TPaintBox* PreviewImage;
    TButton* OKBtn;
    TButton* CancelBtn;
    TDlgFormManager* DlgFormManager;

    const TSectionSettings& Settings() const { return FSettings; }
    int32_t FirstShownColumn() const { return FFirstShown; }
    uint8_t Scope() const;
    // The preset framed as equal to the working layout; -1 when none.
    int32_t MatchingPreset() const;
    TBitmap& PreviewBitmap() { return FPreview; }
    void ApplyPreset(int32_t index);
    void OKBtnClick();

private:
    void SetDataToControls(TComponent* sender);
    void GetDataFromControls(TComponent* sender);
    void ColCountUpDownEditValueChanged();
    void EqualWidthChkBxClick();
    void WidthEditChanged(int32_t row);
    void SpacingEditChanged(int32_t row);
    void UpdateColumnPresets();
    void DrawPreset(int32_t index, TCanvas& canvas, const TRect& rect);
    int32_t ColumnCount() const;

    TDocument& FDocument;
    TPageParams FPage;
    TSectionSettings FSettings;
    TSectionSettings FPresets[5];
    int32_t FFirstShown = 0;
    uint8_t FUnit;
    TBitmap FPreview;
    TComponent* FChanging = nullptr;
};

// Shows the dialog; on OK applies the column layout to the chosen scope.
bool ExecuteColumnsDialog(TDocument& document);
