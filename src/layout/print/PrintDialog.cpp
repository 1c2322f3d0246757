// The print dialog.
#include "layout/print/PrintDialog.h"

#include <algorithm>
#include <memory>

#include "document/model/Document.h"
#include "document/model/DocumentLayout.h"
#include "document/model/Section.h"
#include "foundation/MessageDlg.h"
#include "foundation/StringRoutines.h"
#include "foundation/managers/PaperSizes.h"
#include "layout/print/TwoSidedForms.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/gdi/Printing.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include "layout/print/PrintFormControls.h"

using namespace print_forms;

namespace {

const char* const kPerSheet[6] = {"1 page", "2 pages", "4 pages", "6 pages", "8 pages", "16 pages"};

int32_t ReadCount(const std::string& text)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return 0;
    return std::stoi(text);
}

}  // namespace

TPrintDialogForm::TPrintDialogForm(TComponent* owner, TDocument& document, TStringList& duplexPrinters)
    : TForm(owner), FDocument(document), FDuplexPrinters(duplexPrinters)
{
    SetName("PrintDlg");
    SetCaption("Imprimer");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(462, 442);
    const TPrintOptions& options = PrintOptions();

    // The printer.
    auto* printerGroup = Make<TGroupBox>(this, this, "PrinterGroup", 8, 6, 446, 118, "Imprimante");
    MakeLabel(printerGroup, this, 10, 22, 60, "&Nom :");
    PrinterCombo = Make<TComboBox>(printerGroup, this, "PrinterCombo", 76, 18, 250, 22);
    PrinterCombo->Style = TComboBoxStyle::csDropDownList;
    PropertiesBtn = Make<TButton>(printerGroup, this, "PropertiesBtn", 336, 17, 100, 24, "P&ropriétés...");
    // The desktop's printers have their settings in the desktop's own tools.
    PropertiesBtn->SetEnabled(false);
    MakeLabel(printerGroup, this, 10, 46, 70, "État :");
    StatusValue = MakeLabel(printerGroup, this, 86, 46, 240, "");
    MakeLabel(printerGroup, this, 10, 62, 70, "Type :");
    TypeValue = MakeLabel(printerGroup, this, 86, 62, 240, "");
    MakeLabel(printerGroup, this, 10, 78, 70, "Où :");
    WhereValue = MakeLabel(printerGroup, this, 86, 78, 240, "");
    MakeLabel(printerGroup, this, 10, 94, 70, "Commentaire :");
    CommentValue = MakeLabel(printerGroup, this, 86, 94, 240, "");
    PrintToFileChk = Make<TCheckBox>(printerGroup, this, "PrintToFileChk", 300, 92, 140, 18,
                                     "Imprimer dans un fic&hier");

    // The pages.
    auto* rangeGroup = Make<TGroupBox>(this, this, "RangeGroup", 8, 130, 260, 136, "Étendue de pages");
    AllRadio = Make<TRadioButton>(rangeGroup, this, "AllRadio", 10, 20, 240, 18);
    CurrentRadio = Make<TRadioButton>(rangeGroup, this, "CurrentRadio", 10, 40, 240, 18);
    SelectionRadio = Make<TRadioButton>(rangeGroup, this, "SelectionRadio", 10, 60, 240, 18, "&Sélection");
    PagesRadio = Make<TRadioButton>(rangeGroup, this, "PagesRadio", 10, 80, 70, 18, "P&ages :");
    PagesEdit = Make<TEdit>(rangeGroup, this, "PagesEdit", 84, 79, 166, 21);
    PagesEdit->SetHint("Tapez les numéros des pages et/ou des groupes de pages séparés par des points-virgules. "
                       "Par exemple, 1;3;7-14");
    PagesEdit->ShowHint = true;
    MakeLabel(rangeGroup, this, 10, 106, 240, "Par exemple, 1;3;7-14");

    // Copies.
    auto* copiesGroup = Make<TGroupBox>(this, this, "CopiesGroup", 276, 130, 178, 136, "Exemplaires");
    MakeLabel(copiesGroup, this, 10, 24, 110, "Nombre de &copies :");
    CopiesEdit = Make<TEdit>(copiesGroup, this, "CopiesEdit", 122, 20, 46, 21);
    CollateChk = Make<TCheckBox>(copiesGroup, this, "CollateChk", 10, 52, 150, 18, "Assemb&ler");

    // The program's own choices.
    ReverseChk = Make<TCheckBox>(this, this, "ReverseChk", 16, 274, 230, 18, "Ordre in&verse (... 3, 2, 1)");
    MakeLabel(this, this, 16, 300, 70, "I&mprimer :");
    FilterCombo = Make<TComboBox>(this, this, "FilterCombo", 90, 296, 178, 22);
    FilterCombo->Style = TComboBoxStyle::csDropDownList;
    TwoSidedChk = Make<TCheckBox>(this, this, "TwoSidedChk", 16, 326, 120, 18, "Rect&o verso");
    OptionsBtn = Make<TButton>(this, this, "OptionsBtn", 150, 323, 100, 24, "Opt&ions...");
    BookletChk = Make<TCheckBox>(this, this, "BookletChk", 16, 354, 100, 18, "&Brochures :");
    BookletCombo = Make<TComboBox>(this, this, "BookletCombo", 120, 351, 56, 22);
    BookletCombo->Style = TComboBoxStyle::csDropDownList;
    MakeLabel(this, this, 182, 355, 100, "pages par broch&ure");
    CutGridChk = Make<TCheckBox>(this, this, "CutGridChk", 16, 380, 200, 18, "Lignes de &découpe");

    auto* zoomGroup = Make<TGroupBox>(this, this, "ZoomGroup", 276, 270, 178, 128, "Zoom");
    PagesPerSheetLbl = MakeLabel(zoomGroup, this, 10, 20, 160, "");
    PagesPerSheetCombo = Make<TComboBox>(zoomGroup, this, "PagesPerSheetCombo", 10, 38, 158, 22);
    PagesPerSheetCombo->Style = TComboBoxStyle::csDropDownList;
    MakeLabel(zoomGroup, this, 10, 68, 160, "Format du papi&er utilisé :");
    PaperCombo = Make<TComboBox>(zoomGroup, this, "PaperCombo", 10, 86, 158, 22);
    PaperCombo->Style = TComboBoxStyle::csDropDownList;

    HelpBtn = Make<TButton>(this, this, "HelpBtn", 8, 410, 80, 25, "Aide");
    OkBtn = Make<TButton>(this, this, "OkBtn", 286, 410, 80, 25, "OK");
    OkBtn->SetDefault(true);
    CancelBtn = Make<TButton>(this, this, "CancelBtn", 374, 410, 80, 25, "Annuler");
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;

    FItems = {{1139, PrinterCombo}, {1056, AllRadio},        {1065, CurrentRadio},    {1057, SelectionRadio},
              {1066, PagesRadio},   {1161, PagesEdit},       {1049, ReverseChk},      {1150, FilterCombo},
              {1051, TwoSidedChk},  {1036, OptionsBtn},      {1050, BookletChk},      {1149, BookletCombo},
              {1053, CutGridChk},   {1154, CopiesEdit},      {1041, CollateChk},      {1103, PagesPerSheetLbl},
              {1151, PagesPerSheetCombo}, {1148, PaperCombo}, {1039, OkBtn},          {9, HelpBtn}};

    // WM_INITDIALOG: the controls as the options and the document say.
    for (const TPrinterInfo& printer : EnumPrinters())
        PrinterCombo->Items().Add(printer.Name);
    int32_t printerIndex = PrinterCombo->Items().IndexOf(options.PrinterName);
    if (printerIndex < 0)
        printerIndex = PrinterCombo->Items().IndexOf(GetDefaultPrinterName());
    PrinterCombo->SetItemIndex(std::max(0, printerIndex));
    PrinterChanged();
    const int32_t printable = PrintablePageCount();
    AllRadio->SetCaption(Format("&Toutes les pages (%d)", {printable}));
    int32_t current = 0;
    if (TDocumentLayout* layout = GetDocumentLayout())
        current = std::max(0, layout->GetCurrentPage(FDocument));
    CurrentRadio->SetCaption(Format("&Page en cours (%d)", {current + 1}));
    SelectionRadio->SetEnabled(FDocument.HasSelection());
    AllRadio->SetChecked(true);
    for (const char* f : {"Pages paires et impaires", "Pages impaires", "Pages paires"})
        FilterCombo->Items().Add(f);
    FilterCombo->SetItemIndex(0);
    TwoSidedChk->SetChecked(options.TwoSided);
    for (int32_t n = 4; n <= 64; n += 4)
        BookletCombo->Items().Add(std::to_string(n));
    BookletCombo->Items().Add("Max");
    BookletCombo->SetItemIndex(options.BookletSize == BookletSizeMax ? 16
                                                                     : std::clamp((options.BookletSize - 4) / 4, 0, 15));
    BookletCombo->SetEnabled(false);
    CutGridChk->SetChecked(options.CutGrid);
    CutGridChk->SetEnabled(false);
    CopiesEdit->SetText("1");
    CollateChk->SetChecked(options.Collate);
    CollateChk->SetEnabled(printable > 1);
    FillPagesPerSheet(false);
    PagesPerSheetCombo->SetItemIndex(0);
    RelabelPagesPerSheet();
    PaperCombo->Items().Add("Identique au format de page");
    for (int32_t i = 0; i < PaperSizeCount - 1; ++i)
        PaperCombo->Items().Add(GetPaperSizeName(i, false));
    PaperCombo->SetItemIndex(0);

    // The hook's reactions.
    PrinterCombo->OnChange = [this](TControl*) { PrinterChanged(); };
    TwoSidedChk->OnClick = [this](TControl*) { RelabelPagesPerSheet(); };
    BookletChk->OnClick = [this](TControl*) { BookletClicked(); };
    PagesPerSheetCombo->OnChange = [this](TControl*) { UpdateCollateForPagesPerSheet(); };
    PagesEdit->OnEnter = [this](TControl*) { PagesRadio->SetChecked(true); };
    PagesRadio->OnClick = [this](TControl*) {
        if (PagesRadio->Checked() && !PagesEdit->Focused())
            PagesEdit->SetFocus();
    };
    OptionsBtn->OnClick = [this](TControl*) { EditDuplexSettingsForPrinter(); };
    OkBtn->OnClick = [this](TControl*) { Validate(); };
    SetActiveControl(PrinterCombo);
}

TControl* TPrintDialogForm::DlgItem(int32_t id) const
{
    auto it = FItems.find(id);
    return it == FItems.end() ? nullptr : it->second;
}

int32_t TPrintDialogForm::PrintablePageCount() const
{
    return FDocument.PageCount();
}

void TPrintDialogForm::PrinterChanged()
{
    const std::string name = PrinterCombo->Text();
    for (const TPrinterInfo& printer : EnumPrinters())
        if (printer.Name == name) {
            StatusValue->SetCaption(printer.Status);
            TypeValue->SetCaption(printer.Type);
            WhereValue->SetCaption(printer.Location);
            CommentValue->SetCaption(printer.Comment);
            // The PDF printer always writes a file.
            PrintToFileChk->SetChecked(printer.WritesFile);
            PrintToFileChk->SetEnabled(!printer.WritesFile);
        }
}

void TPrintDialogForm::RelabelPagesPerSheet()
{
    PagesPerSheetLbl->SetCaption(TwoSidedChk->Checked() ? "Pages sur une fa&ce :" : "Pages par &feuille :");
}

void TPrintDialogForm::FillPagesPerSheet(bool booklet)
{
    TStrings& items = PagesPerSheetCombo->Items();
    items.Clear();
    for (int32_t i = booklet ? 1 : 0; i < 6; ++i) {
        if (booklet && i == 3)
            continue;  // no booklets of 6 pages a side
        items.AddObject(kPerSheet[i], reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    }
}

void TPrintDialogForm::BookletClicked()
{
    const bool booklet = BookletChk->Checked();
    BookletCombo->SetEnabled(booklet);
    CutGridChk->SetEnabled(booklet);
    auto indexOf = [this](int32_t data) {
        for (int32_t i = 0; i < PagesPerSheetCombo->Items().Count(); ++i)
            if (reinterpret_cast<intptr_t>(PagesPerSheetCombo->Items().Objects(i)) == data)
                return i;
        return -1;
    };
    if (booklet) {
        const int32_t sel = PagesPerSheetCombo->ItemIndex();
        FRememberedPerSheet =
            sel >= 0 ? static_cast<int32_t>(reinterpret_cast<intptr_t>(PagesPerSheetCombo->Items().Objects(sel))) : 0;
        FillPagesPerSheet(true);
        PagesPerSheetCombo->SetItemIndex(std::max(0, indexOf(FRememberedPerSheet)));
        FRememberedTwoSided = TwoSidedChk->Checked();
        TwoSidedChk->SetChecked(true);
    } else {
        FillPagesPerSheet(false);
        PagesPerSheetCombo->SetItemIndex(std::max(0, indexOf(FRememberedPerSheet)));
        TwoSidedChk->SetChecked(FRememberedTwoSided);
    }
    TwoSidedChk->SetEnabled(!booklet);
    RelabelPagesPerSheet();
    UpdateCollateForPagesPerSheet();
    BookletChk->SetFocus();
}

void TPrintDialogForm::UpdateCollateForPagesPerSheet()
{
    const int32_t sel = PagesPerSheetCombo->ItemIndex();
    const int32_t data =
        sel >= 0 ? static_cast<int32_t>(reinterpret_cast<intptr_t>(PagesPerSheetCombo->Items().Objects(sel))) : 0;
    if (data > 0) {
        if (!FCollateForced) {
            FSavedCollate = CollateChk->Checked();
            FCollateForced = true;
        }
        CollateChk->SetChecked(true);
        CollateChk->SetEnabled(false);
    } else {
        if (FCollateForced) {
            CollateChk->SetChecked(FSavedCollate);
            FCollateForced = false;
        }
        CollateChk->SetEnabled(PrintablePageCount() > 1);
    }
}

void TPrintDialogForm::UpdatePrintDialogCollate()
{
    if (PagesPerSheetCombo->DroppedDown())
        return;
    const int32_t sel = PagesPerSheetCombo->ItemIndex();
    const bool several = sel >= 0 && reinterpret_cast<intptr_t>(PagesPerSheetCombo->Items().Objects(sel)) > 0;
    if (several)
        CollateChk->SetEnabled(false);
    else if (PrintablePageCount() >= 2)
        CollateChk->SetEnabled(true);
}

void TPrintDialogForm::EditDuplexSettingsForPrinter()
{
    const std::string name = PrinterCombo->Text();
    TDuplexSettings settings = FindDuplexSettings(FDuplexPrinters, name);
    if (EditTwoSidePrinterOptions(settings, name))
        StoreDuplexSettings(FDuplexPrinters, name, settings);
}

bool TPrintDialogForm::LoadDuplexSettings()
{
    const std::string name = PrinterCombo->Text();
    bool found = false;
    FindDuplexSettings(FDuplexPrinters, name, &found);
    if (!found) {
        ShowInformation(Format("Les paramètres d'impression recto verso dépendent de l'imprimante utilisée.||Ces "
                               "paramètres n'ont pas encore été définis pour l'imprimante \"%s\".||Veuillez appuyer "
                               "sur OK afin d'indiquer quels sont les paramètres appropriés à votre imprimante.||"
                               "Eldravin les mémorisera une fois pour toute.",
                               {name}));
        TDuplexSettings settings;
        if (!EditTwoSidePrinterOptions(settings, name))
            return false;
        StoreDuplexSettings(FDuplexPrinters, name, settings);
    }
    Choices.Duplex = FindDuplexSettings(FDuplexPrinters, name);
    return true;
}

bool TPrintDialogForm::CheckDuplexPaperSize()
{
    if (FDocument.SectionCount() == 0)
        return false;
    const TPageParams& p = FDocument.Sections(0).PageParams;
    const int32_t id = GetPaperSizeId(p[ppPaperWidth], p[ppPaperHeight]);
    if (id == 9 || id == 1)
        return false;
    return ShowMessageDlg(
               "Eldravin a détecté d'éventuels problèmes concernant le format de page spécifié pour ce document. "
               "Pour imprimer les documents en mode recto verso, Eldravin a besoin de connaître la taille exacte "
               "des feuilles de papier se trouvant dans le bac d'alimentation de l'imprimante.||||Si le format de "
               "page du document et le format des feuilles de papier utilisées est le même, veuillez cliquer sur "
               "\"Ignorer\".||||Si le format de page du document et le format des feuilles de papier utilisées "
               "n'est pas le même, veuillez cliquer sur \"Non\". Vous devrez alors indiquer quelle est la taille "
               "exacte des feuilles de papier se trouvant dans le bac d'alimentation de l'imprimante.",
               mtWarning, mbIgnore | mbNo) == mrNo;
}

void TPrintDialogForm::Validate()
{
    // (a) The printer, and its two-sided settings when they are used.
    Choices.PrinterName = PrinterCombo->Text().substr(0, 256);
    Choices.Duplex = {};
    if (TwoSidedChk->Checked() && !LoadDuplexSettings())
        return;
    // (b) The pages.
    Choices.Ranges.clear();
    Choices.Selection = SelectionRadio->Checked();
    const int32_t count = FDocument.PageCount();
    if (PagesRadio->Checked()) {
        if (!ParsePageRange(PagesEdit->Text(), count, Choices.Ranges)) {
            ShowError("Le choix de pages n'est pas correct.");
            PagesEdit->SetFocus();
            return;
        }
    } else if (AllRadio->Checked()) {
        if (count > 0)
            Choices.Ranges.push_back({0, count - 1});
    } else if (CurrentRadio->Checked()) {
        int32_t current = 0;
        if (TDocumentLayout* layout = GetDocumentLayout())
            current = std::max(0, layout->GetCurrentPage(FDocument));
        Choices.Ranges.push_back({current, current});
    }
    // (c) Two-sided printing needs the paper's true size.
    if (TwoSidedChk->Checked() && PaperCombo->ItemIndex() == 0 && CheckDuplexPaperSize()) {
        PaperCombo->SetFocus();
        PaperCombo->SetDroppedDown(true);
        return;
    }
    // (d) The choices and the options.
    TPrintOptions& options = PrintOptions();
    Choices.PageFilter = std::max(0, FilterCombo->ItemIndex());
    Choices.ReverseOrder = ReverseChk->Checked();
    Choices.TwoSided = TwoSidedChk->Checked();
    // Booklets check "Rect&o verso" for the job only: the option keeps the user's own choice.
    options.TwoSided = BookletChk->Checked() ? FRememberedTwoSided : Choices.TwoSided;
    std::string joined;
    for (int32_t i = 0; i < FDuplexPrinters.Count(); ++i)
        joined += (i ? "||" : "") + FDuplexPrinters.Strings(i);
    options.PrnDuplexInfoEx = joined;
    Choices.Booklet = BookletChk->Checked();
    Choices.BookletSize = BookletCombo->ItemIndex() == 16 ? BookletSizeMax : 4 * BookletCombo->ItemIndex() + 4;
    options.BookletSize = Choices.BookletSize;
    Choices.CutGrid = CutGridChk->Checked();
    options.CutGrid = Choices.CutGrid;
    Choices.CopiesTyped = ReadCount(CopiesEdit->Text());
    Choices.Copies = std::clamp(Choices.CopiesTyped, 1, 9999);
    Choices.Collate = CollateChk->Checked();
    if (!FCollateForced)
        options.Collate = Choices.Collate;
    const int32_t sel = PagesPerSheetCombo->ItemIndex();
    Choices.PagesPerSheetIndex =
        sel >= 0 ? static_cast<int32_t>(reinterpret_cast<intptr_t>(PagesPerSheetCombo->Items().Objects(sel))) : 0;
    Choices.PaperChoice = std::max(0, PaperCombo->ItemIndex());
    options.PrinterName = Choices.PrinterName;
    if (!PrintToFileChk->Checked())
        Choices.OutputFile.clear();
    SetModalResult(mrOk);
}

bool RunPrintDialog(TDocument& document, TPrintChoices& choices)
{
    document.PaginateAll();
    TStringList duplexPrinters;
    duplexPrinters.SetText(BarsToLineBreaks(PrintOptions().PrnDuplexInfoEx));
    auto form = std::make_unique<TPrintDialogForm>(nullptr, document, duplexPrinters);
    const std::string output = choices.OutputFile;
    form->Choices.OutputFile = output;
    if (form->ShowModal() != mrOk)
        return false;
    TPrintChoices chosen = form->Choices;
    const bool toFile = form->PrintToFileChk->Checked();
    form.reset();
    if (toFile && output.empty()) {
        TSaveDialog dialog(nullptr);
        dialog.Title = "Imprimer dans un fichier";
        dialog.Filter = "Documents PDF (*.pdf)|*.pdf";
        dialog.DefaultExt = "pdf";
        dialog.Options |= ofOverwritePrompt;
        if (!dialog.Execute())
            return false;
        chosen.OutputFile = dialog.WithDefaultExt(dialog.FileName);
    } else if (toFile) {
        chosen.OutputFile = output;
    }
    choices = chosen;
    return true;
}
