#pragma once
// The "Paragraphe" dialog: alignment, indents, spacing, line spacing and the
// pagination and hyphenation switches of one paragraph format, edited on a
// working copy through the dialog data manager.
#include "dialogs/DlgFormManager.h"
#include "document/model/Section.h"
#include "foundation/CharFormat.h"
#include "platform/framework/controls/Tabs.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

class TDocument;

// Flag bit 0: every field may stay not set (style editor, format painter).
constexpr uint8_t pffAllowUndefined = 1;

class TParFormatForm : public TStandardDialogForm {
public:
    TParFormatForm(TComponent* owner, const TParFormat& format, const TPageParams& page, uint8_t flags,
                   int32_t helpTopic);

    TPageControl* PageControl;
    TComboBox* AlignmentComboBox;
    TUpDownEdit* ParLeftIndentUpDownEdit;
    TUpDownEdit* ParRightIndentUpDownEdit;
    TComboBox* FirstLineIndentKindComboBox;
    TUpDownEdit* FirstLineIndentValueUpDownEdit;
    TUpDownEdit* SpaceBeforeUpDownEdit;
    TUpDownEdit* SpaceAfterUpDownEdit;
    TComboBox* LineSpacingComboBox;
    TUpDownEdit* LineSpacingValueUpDownEdit;
    TCheckBox* KeepWithNextCheckBox;
    TCheckBox* KeepIntactCheckBox;
    TCheckBox* PageBreakBeforeCheckBox;
    TCheckBox* WidowOrphanControlCheckBox;
    TCheckBox* DontHyphChkBx;
    TButton* DefBtn;
    TButton* CopyFormatBtn;
    TButton* PasteFormatBtn;
    TDlgFormManager* DlgFormManager;

    const TParFormat& Format() const { return FFormat; }
    // 0: line spacing in points; 1: in lines.
    uint8_t LineSpacingMode() const { return FLineMode; }

    void DialogButtonClick(TControl* sender) override;
    // Makes the field named by a control's tag not set.
    void SetUndefinedValue(int32_t tag);
    void CopyFormatBtnClick();
    void PasteFormatBtnClick();
    void DefBtnClick();

private:
    void SetDataToControls(TComponent* sender);
    void GetDataFromControls(TComponent* sender);
    void ControlsChange(TComponent* sender);
    void FirstLineIndentKindComboBoxChange();
    void FirstIndentEditChanged();
    void LineSpacingComboBoxChange();
    void SetLineSpacingMode(uint8_t mode);
    void PutLength(TUpDownEdit* edit, int32_t twips);
    void PutPoints(TUpDownEdit* edit, int32_t twips);
    bool Undefined() const { return (FFlags & pffAllowUndefined) != 0; }

    TParFormat FFormat;
    TPageParams FPage;
    uint8_t FFlags;
    uint8_t FUnit;
    uint8_t FLineMode = 255;
    // The exact twips behind the left indent edit's text (where the first
    // line starts with a hanging indent).
    int32_t FShownLeftTwips = 0;
};

// Edits the format; on OK copies the 16 fields back and returns true.
bool ExecuteParFormatDialog(TParFormat& format, const TPageParams& page, uint8_t flags, int32_t helpTopic);

// The paragraph command: the common format of the selected paragraphs in the
// dialog; on OK the fields that changed are applied to them as one undoable
// operation. True when the dialog closed with OK.
bool FormatParagraphsWithDialog(TDocument& document);
