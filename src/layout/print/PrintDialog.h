#pragma once
// The print dialog ("Imprimer"): the printer group with the desktop's
// printers and the PDF printer, the page range, copies and collation, and the
// program's own controls (odd/even pages, reverse order, two-sided printing
// and its set-up, booklets, cutting lines, pages per sheet, the paper loaded).
// Confirming it checks the page choice and fills the job's choices and the
// print options.
#include <cstdint>
#include <map>
#include <string>

#include "layout/print/PrintJob.h"
#include "platform/framework/Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TDocument;
class TEdit;
class TGroupBox;
class TLabel;
class TRadioButton;
class TStringList;

class TPrintDialogForm : public TForm {
public:
    // The document (its page count, current page and selection) and the
    // two-sided settings of the printers (edited by "Opt&ions...").
    TPrintDialogForm(TComponent* owner, TDocument& document, TStringList& duplexPrinters);

    // The controls by their identifiers.
    TComboBox* PrinterCombo;     // 1139
    TButton* PropertiesBtn;
    TLabel* StatusValue;
    TLabel* TypeValue;
    TLabel* WhereValue;
    TLabel* CommentValue;
    TCheckBox* PrintToFileChk;
    TRadioButton* AllRadio;      // 1056
    TRadioButton* CurrentRadio;  // 1065
    TRadioButton* SelectionRadio;  // 1057
    TRadioButton* PagesRadio;    // 1066
    TEdit* PagesEdit;            // 1161
    TCheckBox* ReverseChk;       // 1049
    TComboBox* FilterCombo;      // 1150
    TCheckBox* TwoSidedChk;      // 1051
    TButton* OptionsBtn;         // 1036
    TCheckBox* BookletChk;       // 1050
    TComboBox* BookletCombo;     // 1149
    TCheckBox* CutGridChk;       // 1053
    TEdit* CopiesEdit;           // 1154
    TCheckBox* CollateChk;       // 1041
    TLabel* PagesPerSheetLbl;    // 1103
    TComboBox* PagesPerSheetCombo;  // 1151
    TComboBox* PaperCombo;       // 1148
    TButton* OkBtn;              // 1039
    TButton* CancelBtn;
    TButton* HelpBtn;            // 9

    // The control of an identifier (null for another).
    TControl* DlgItem(int32_t id) const;

    // What the dialog chose, valid after OK.
    TPrintChoices Choices;

    // The idle check: the collate box follows the pages per sheet.
    void UpdatePrintDialogCollate();

private:
    void Validate();
    void PrinterChanged();
    void RelabelPagesPerSheet();
    void BookletClicked();
    void FillPagesPerSheet(bool booklet);
    void UpdateCollateForPagesPerSheet();
    bool LoadDuplexSettings();
    void EditDuplexSettingsForPrinter();
    bool CheckDuplexPaperSize();
    int32_t PrintablePageCount() const;

    TDocument& FDocument;
    TStringList& FDuplexPrinters;
    std::map<int32_t, TControl*> FItems;
    int32_t FRememberedPerSheet = 0;
    bool FRememberedTwoSided = false;
    bool FSavedCollate = false;
    bool FCollateForced = false;
};

// Runs the dialog for the document; true when confirmed (choices filled:
// printer, output file of a printer that writes a file, ranges...). A
// choices.OutputFile given by the caller is kept; otherwise the file is asked
// for with the save dialog.
bool RunPrintDialog(TDocument& document, TPrintChoices& choices);
