#pragma once
// The "Police" dialog: font, size, colours, underline, the eleven
// attributes, scale, letter spacing, raised or lowered position and kerning
// of one character format, with a preview laid out and painted by the real
// layout. Data moves through the dialog data manager.
#include "dialogs/DlgFormManager.h"
#include "foundation/CharFormat.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Tabs.h"
#include "shell/BaseForms.h"
#include "shell/SmallControls.h"

#include <string>

class TDocument;

// Flag bit 0: every control may show and give the not-set value.
constexpr uint8_t fffAllowUndefined = 1;

// The program-wide copied character format (the dialog's "Copier" and
// "Coller", the shell's copy and paste of formats, the format brush).
struct TCharFormatClipboard {
    uint8_t HasFormat = 0;
    TCharFormat Format{};
};
TCharFormatClipboard& CharFormatClipboard();

// The underline kinds in the order of the underline box.
extern const int32_t UnderlineKindCodes[18];

class TFontFormatForm : public TStandardDialogForm {
public:
    TFontFormatForm(TComponent* owner, const TCharFormat& format, int32_t helpTopic, uint8_t flags);

    TPageControl* PageControl;
    TEdit* FontNameEdit;
    TListBox* PredefinedFontNamesLstBx;
    TValidationEdit* FontSizeEdit;
    TListBox* PredefinedFontSizesLstBx;
    TComboBox* ColorsCmbBx;
    TComboBox* UStyleCmbBx;
    TComboBox* UColorCmbBx;
    TCheckBox* BoldChkBx;
    TCheckBox* ItalicChkBx;
    TCheckBox* StrikeChkBx;
    TCheckBox* DblStrikeChkBx;
    TCheckBox* SmallCapsChkBx;
    TCheckBox* AllCapsChkBx;
    TCheckBox* ShadChkBx;
    TCheckBox* OutlChkBx;
    TCheckBox* EmbossChkBx;
    TCheckBox* EngraveChkBx;
    TCheckBox* SupChkBx;
    TCheckBox* SubChkBx;
    TUpDownEdit* CharScaleUpDnEdt;
    TComboBox* IntervalTypeCmbBx;
    TUpDownEdit* IntervalValueUpDnEdit;
    TComboBox* LocationTypeCmbBx;
    TUpDownEdit* LocationValueUpDnEdit;
    TCheckBox* KerningChkBx;
    TUpDownEdit* KerningUpDnEdit;
    TPaintBox* PreviewImage;
    TButton* DefBtn;
    TButton* CopyFormatBtn;
    TButton* PasteFormatBtn;
    TDlgFormManager* DlgFormManager;

    const TCharFormat& Format() const { return FFormat; }
    const std::string& FontName() const { return FFontName; }
    // The sample the preview shows: the active document's selected text
    // when there is one, else the font name, else "Aperçu".
    std::string SelectedText;
    // The last preview drawn.
    TBitmap& PreviewBitmap() { return FPreview; }

    void DialogButtonClick(TControl* sender) override;
    void SetUndefinedValue(int32_t tag);
    void CopyFormatBtnClick();
    void PasteFormatBtnClick();
    void DefBtnClick();
    // Draws the preview of the working format into PreviewBitmap.
    void DrawPreview();

private:
    void SetDataToControls(TComponent* sender);
    void GetDataFromControls(TComponent* sender);
    void ControlsChange(TComponent* sender);
    bool RunChecks();
    bool Undefined() const { return (FFlags & fffAllowUndefined) != 0; }
    void FontNameFromSlot();

    TCharFormat FFormat;
    uint8_t FFlags;
    std::string FFontName;
    TBitmap FPreview;
};

// Edits the format; on OK copies the 22 slots back with slot 21 not set.
bool ExecuteFontFormatDialog(TCharFormat& format, uint8_t flags, int32_t helpTopic);

// The font command: the common format of the selection in the dialog; on OK
// the slots that changed are applied to the selection as one undoable
// operation. True when the dialog closed with OK.
bool FormatTextWithDialog(TDocument& document);
