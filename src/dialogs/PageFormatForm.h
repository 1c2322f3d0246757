#pragma once
// The "Mise en page" dialog: margins, header and footer distances, paper size
// and orientation, mirrored margins and the header/footer variants of the
// page parameters, with a miniature of the page and the scope the change is
// applied to. Before closing with OK it checks sections joined by
// continuous breaks and the printable area of the default printer.
#include "dialogs/DlgFormManager.h"
#include "document/model/Section.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Tabs.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

class TDocument;

class TPageFormatForm : public TStandardDialogForm {
public:
    TPageFormatForm(TComponent* owner, TDocument& document, const TPageParams& params);

    TPageControl* PageControl;
    TUpDownEdit* TopMarginUpDownEdit;
    TUpDownEdit* BottomMarginUpDownEdit;
    TUpDownEdit* LeftMarginUpDownEdit;
    TUpDownEdit* RightMarginUpDownEdit;
    TLabel* LeftMarginLabel;
    TLabel* RightMarginLabel;
    TCheckBox* MirrorMarginChkBx;
    TUpDownEdit* HeadMargUpDownEdit;
    TUpDownEdit* FootMargUpDownEdit;
    TComboBox* PredefinedPageInfosComboBox;
    TUpDownEdit* PageWidthUpDownEdit;
    TUpDownEdit* PageHeightUpDownEdit;
    TRadioButton* PortraitPageOrientationRadioBtn;
    TRadioButton* LandscapePageOrientationRadioBtn;
    TCheckBox* DifferHeadFootChkBx;
    TCheckBox* DifferFirstPageChkBx;
    TPaintBox* PreviewImage;
    TComboBox* ApplyToCmbBx;
    TButton* DefBtn;
    TDlgFormManager* DlgFormManager;

    const TPageParams& Params() const { return FParams; }
    // The code of the chosen scope.
    uint8_t Scope() const;
    TBitmap& PreviewBitmap() { return FPreview; }

    void DialogButtonClick(TControl* sender) override;
    void DefBtnClick();

private:
    void SetDataToControls(TComponent* sender);
    void GetDataFromControls(TComponent* sender);
    void PredefinedPageInfosComboBoxChange();
    void PageOrientationRadioBtnsClick(TRadioButton* button);
    bool CheckContinuousSections();
    bool CheckPrintableArea();
    void DrawPreview();

    TDocument& FDocument;
    TPageParams FParams;
    TSectionSettings FSection;
    uint8_t FUnit;
    TBitmap FPreview;
};

// Edits the page parameters; on OK copies them back and gives the scope.
bool ExecutePageFormatDialog(TDocument& document, TPageParams& params, uint8_t& scope);

// The page setup command: the caret's page parameters in the dialog; on OK
// they are applied to the chosen scope as one undoable operation.
bool PageSetupWithDialog(TDocument& document);
