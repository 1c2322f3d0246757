#include "dialogs/PageFormatForm.h"

#include "dialogs/DialogControls.h"
#include "dialogs/DialogServices.h"
#include "dialogs/UnitEdits.h"
#include "document/editing/SamplePage.h"
#include "document/editing/SectionScopes.h"
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/PaperSizes.h"
#include "layout/print/PrintJob.h"
#include "platform/gdi/Printing.h"
#include "platform/runtime/SysUtils.h"

#include <memory>

namespace {

// The page shown last, for the run of the program.
int32_t LastPageIndex = 0;

void SetRadioSilently(TRadioButton& button, bool checked)
{
    const auto click = button.OnClick;
    button.OnClick = nullptr;
    button.SetChecked(checked);
    button.OnClick = click;
}

}  // namespace

TPageFormatForm::TPageFormatForm(TComponent* owner, TDocument& document, const TPageParams& params)
    : TStandardDialogForm(owner), FDocument(document), FParams(params), FUnit(DialogMeasurementUnit())
{
    SetName("PageFormatForm");
    SetCaption("Mise en page");
    SetHelpTopic(4000);
    Position = TPosition::poScreenCenter;
    SetClientSize(470, 300);
    DlgFormManager = new TDlgFormManager(this);
    FSection = FDocument.GetSectionOfParagraph(FDocument.Caret.Paragraph).Settings;

    PageControl = new TPageControl(this);
    PageControl->SetName("PageControl");
    PageControl->SetParent(this);
    PageControl->SetBounds(8, 8, 290, 244);
    auto sheet = [&](const char* caption) {
        auto* page = new TTabSheet(this);
        page->SetPageControl(PageControl);
        page->SetCaption(caption);
        return page;
    };
    TTabSheet* margins = sheet("Marges");
    TTabSheet* paper = sheet("Format de page");
    TTabSheet* layout = sheet("Disposition");

    auto edit = [&](TWinControl* parent, const char* name, const char* caption, int32_t top, TLabel** label) {
        TUpDownEdit* e = MakeDlgUpDown(this, parent, name, 120, top, 90);
        TLabel* l = MakeDlgLabel(this, parent, caption, 10, top + 4, e);
        if (label)
            *label = l;
        return e;
    };
    TopMarginUpDownEdit = edit(margins, "TopMarginUpDownEdit", "&Haute :", 12, nullptr);
    BottomMarginUpDownEdit = edit(margins, "BottomMarginUpDownEdit", "&Basse :", 40, nullptr);
    LeftMarginUpDownEdit = edit(margins, "LeftMarginUpDownEdit", "&Gauche :", 68, &LeftMarginLabel);
    RightMarginUpDownEdit = edit(margins, "RightMarginUpDownEdit", "&Droite :", 96, &RightMarginLabel);
    MirrorMarginChkBx = MakeDlgCheckBox(this, margins, "MirrorMarginChkBx", "Pages en &vis-à-vis", 10, 126, 200);
    TGroupBox* edge = MakeDlgGroup(this, margins, "Distance du bord", 6, 148, 270, 66);
    HeadMargUpDownEdit = MakeDlgUpDown(this, edge, "HeadMargUpDownEdit", 114, 14, 90);
    MakeDlgLabel(this, edge, "En-&tête :", 8, 18, HeadMargUpDownEdit);
    FootMargUpDownEdit = MakeDlgUpDown(this, edge, "FootMargUpDownEdit", 114, 40, 90);
    MakeDlgLabel(this, edge, "&Pied de page :", 8, 44, FootMargUpDownEdit);

    PredefinedPageInfosComboBox = MakeDlgCombo(this, paper, "PredefinedPageInfosComboBox", 10, 28, 260, {});
    MakeDlgLabel(this, paper, "Format du &papier :", 10, 10, PredefinedPageInfosComboBox);
    PageWidthUpDownEdit = edit(paper, "PageWidthUpDownEdit", "&Largeur :", 62, nullptr);
    PageHeightUpDownEdit = edit(paper, "PageHeightUpDownEdit", "&Hauteur :", 90, nullptr);
    TGroupBox* orientation = MakeDlgGroup(this, paper, "Orientation de la page", 6, 124, 270, 70);
    PortraitPageOrientationRadioBtn =
        MakeDlgRadio(this, orientation, "PortraitPageOrientationRadioBtn", "Por&trait", 12, 20, 120);
    LandscapePageOrientationRadioBtn =
        MakeDlgRadio(this, orientation, "LandscapePageOrientationRadioBtn", "Pay&sage", 12, 42, 120);

    TGroupBox* headers = MakeDlgGroup(this, layout, "En-têtes et pieds de page", 6, 10, 270, 70);
    DifferHeadFootChkBx =
        MakeDlgCheckBox(this, headers, "DifferHeadFootChkBx", "Paires et impaires &différentes", 10, 20, 250);
    DifferFirstPageChkBx =
        MakeDlgCheckBox(this, headers, "DifferFirstPageChkBx", "Pre&mière page différente", 10, 44, 250);

    TGroupBox* previewGroup = MakeDlgGroup(this, this, "Aperçu", 306, 8, 156, 170);
    PreviewImage = new TPaintBox(this);
    PreviewImage->SetName("PreviewImage");
    PreviewImage->SetParent(previewGroup);
    PreviewImage->SetBounds(8, 18, 140, 144);
    PreviewImage->OnPaint = [this](TControl*) { PreviewImage->Canvas().Draw(0, 0, FPreview); };
    ApplyToCmbBx = MakeDlgCombo(this, this, "ApplyToCmbBx", 306, 204, 156, {});
    MakeDlgLabel(this, this, "&Appliquer à :", 306, 186, ApplyToCmbBx);
    DefBtn = MakeDlgButton(this, this, "DefBtn", "Par dé&faut...", 8, 0, 92);
    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    DlgButtons().PlaceButtons();
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        DefBtn->SetTop(ok->Top());
    DefBtn->SetEnabled(static_cast<bool>(DialogServices().ChangeDefaultTemplate));
    DefBtn->OnClick = [this](TControl*) { DefBtnClick(); };

    for (int32_t i = 0; i <= LastEnvelopeSize; ++i)
        PredefinedPageInfosComboBox->Items().Add(GetPaperSizeName(i, false));
    for (TUpDownEdit* e : {TopMarginUpDownEdit, BottomMarginUpDownEdit, LeftMarginUpDownEdit, RightMarginUpDownEdit,
                           HeadMargUpDownEdit, FootMargUpDownEdit})
        SetupLengthEdit(*e, FUnit, 0, 0);
    SetupLengthEdit(*PageWidthUpDownEdit, FUnit, MinPaperSize, MaxPaperSize);
    SetupLengthEdit(*PageHeightUpDownEdit, FUnit, MinPaperSize, MaxPaperSize);

    uint8_t proposed = NoApplyToScope;
    FillApplyToScopes(FDocument, ApplyToCmbBx->Items(), proposed);
    if (proposed == atSelection)
        proposed = atWholeDocument;
    int32_t scopeItem = 0;
    for (int32_t i = 0; i < ApplyToCmbBx->Items().Count(); ++i)
        if (reinterpret_cast<intptr_t>(ApplyToCmbBx->Items().Objects(i)) == proposed)
            scopeItem = i;
    ApplyToCmbBx->SetItemIndex(ApplyToCmbBx->Items().Count() > 0 ? scopeItem : -1);

    DlgFormManager->OnSetDataToControls = [this](TComponent* sender) { SetDataToControls(sender); };
    DlgFormManager->OnGetDataFromControls = [this](TComponent* sender) { GetDataFromControls(sender); };
    for (TUpDownEdit* e : {TopMarginUpDownEdit, BottomMarginUpDownEdit, LeftMarginUpDownEdit, RightMarginUpDownEdit,
                           HeadMargUpDownEdit, FootMargUpDownEdit, PageWidthUpDownEdit, PageHeightUpDownEdit}) {
        e->OnValueChanged = [this](TControl* sender) { DlgFormManager->ControlChanged(sender); };
        DlgFormManager->AddControl(e);
    }
    for (TCheckBox* box : {MirrorMarginChkBx, DifferHeadFootChkBx, DifferFirstPageChkBx})
        box->OnClick = [this](TControl* sender) { DlgFormManager->ControlChanged(sender); };
    PredefinedPageInfosComboBox->OnChange = [this](TControl*) { PredefinedPageInfosComboBoxChange(); };
    PortraitPageOrientationRadioBtn->OnClick = [this](TControl*) {
        PageOrientationRadioBtnsClick(PortraitPageOrientationRadioBtn);
    };
    LandscapePageOrientationRadioBtn->OnClick = [this](TControl*) {
        PageOrientationRadioBtnsClick(LandscapePageOrientationRadioBtn);
    };
    PageControl->OnChange = [this](TControl*) { LastPageIndex = PageControl->ActivePageIndex(); };
    SetDataToControls(nullptr);
    PageControl->SetActivePageIndex(std::clamp(LastPageIndex, 0, PageControl->PageCount() - 1));
}

uint8_t TPageFormatForm::Scope() const
{
    const int32_t item = ApplyToCmbBx->ItemIndex();
    if (item < 0)
        return atWholeDocument;
    return static_cast<uint8_t>(reinterpret_cast<intptr_t>(ApplyToCmbBx->Items().Objects(item)));
}

void TPageFormatForm::SetDataToControls(TComponent*)
{
    TDlgFormManager& m = *DlgFormManager;
    m.Active = false;
    const int32_t width = FParams[ppPaperWidth], height = FParams[ppPaperHeight];
    for (TUpDownEdit* e : {TopMarginUpDownEdit, BottomMarginUpDownEdit, HeadMargUpDownEdit, FootMargUpDownEdit})
        e->Max = TwipsToUnits(FUnit, height * 40 / 100);
    for (TUpDownEdit* e : {LeftMarginUpDownEdit, RightMarginUpDownEdit})
        e->Max = TwipsToUnits(FUnit, width * 40 / 100);
    const bool mirror = HasMirroredMargins(FParams);
    SetCheckSilently(*MirrorMarginChkBx, mirror ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    LeftMarginLabel->SetCaption(mirror ? "&Intérieure :" : "&Gauche :");
    RightMarginLabel->SetCaption(mirror ? "&Extérieure :" : "&Droite :");
    const std::pair<TUpDownEdit*, int> edits[] = {
        {TopMarginUpDownEdit, ppTopMargin},       {BottomMarginUpDownEdit, ppBottomMargin},
        {LeftMarginUpDownEdit, ppLeftMargin},     {RightMarginUpDownEdit, ppRightMargin},
        {HeadMargUpDownEdit, ppHeaderDistance},   {FootMargUpDownEdit, ppFooterDistance},
        {PageWidthUpDownEdit, ppPaperWidth},      {PageHeightUpDownEdit, ppPaperHeight}};
    for (const auto& [e, index] : edits)
        if (m.CanSetData(e))
            m.WriteValue(e, TwipsToUnits(FUnit, FParams[index]));
    const bool landscape = (FParams[ppOrientation] & 0xFF) == 1;
    SetRadioSilently(*PortraitPageOrientationRadioBtn, !landscape);
    SetRadioSilently(*LandscapePageOrientationRadioBtn, landscape);
    // The custom size is listed only while it is the match.
    const int32_t paper = FindPaperSize(width, height);
    TStrings& items = PredefinedPageInfosComboBox->Items();
    if (paper == CustomPaperSize && items.Count() == CustomPaperSize)
        items.Add(GetPaperSizeName(CustomPaperSize, false));
    else if (paper != CustomPaperSize && items.Count() > CustomPaperSize)
        items.Delete(CustomPaperSize);
    PredefinedPageInfosComboBox->SetItemIndex(paper);
    SetCheckSilently(*DifferHeadFootChkBx,
                     HasOddEvenHeaders(FParams) ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    SetCheckSilently(*DifferFirstPageChkBx,
                     HasTitlePage(FParams) ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    DrawPreview();
    PreviewImage->Invalidate();
    m.Active = true;
}

void TPageFormatForm::GetDataFromControls(TComponent*)
{
    TDlgFormManager& m = *DlgFormManager;
    m.BeginGetData();
    const std::pair<TUpDownEdit*, int> edits[] = {
        {TopMarginUpDownEdit, ppTopMargin},       {BottomMarginUpDownEdit, ppBottomMargin},
        {LeftMarginUpDownEdit, ppLeftMargin},     {RightMarginUpDownEdit, ppRightMargin},
        {HeadMargUpDownEdit, ppHeaderDistance},   {FootMargUpDownEdit, ppFooterDistance},
        {PageWidthUpDownEdit, ppPaperWidth},      {PageHeightUpDownEdit, ppPaperHeight}};
    for (const auto& [e, index] : edits)
        if (m.CanReadEdit(e))
            FParams[index] = LengthEditTwips(*e, FUnit);
    FParams[ppReserved8] = (FParams[ppReserved8] & ~0xFF) | (MirrorMarginChkBx->Checked() ? 1 : 0);
    FParams[ppFlags] = (FParams[ppFlags] & ~0xFFFF) | (DifferHeadFootChkBx->Checked() ? 1 : 0) |
                       (DifferFirstPageChkBx->Checked() ? 0x100 : 0);
    FParams[ppTextWidth] = FParams[ppPaperWidth] - FParams[ppLeftMargin] - FParams[ppRightMargin];
}

void TPageFormatForm::PredefinedPageInfosComboBoxChange()
{
    if (!DlgFormManager->Active)
        return;
    const int32_t item = PredefinedPageInfosComboBox->ItemIndex();
    if (item >= 0 && item <= LastEnvelopeSize) {
        const TPaperSize& size = PaperSizes(item);
        const bool landscape = (FParams[ppOrientation] & 0xFF) == 1;
        FParams[ppPaperWidth] = landscape ? size.Height : size.Width;
        FParams[ppPaperHeight] = landscape ? size.Width : size.Height;
        FParams[ppTextWidth] = FParams[ppPaperWidth] - FParams[ppLeftMargin] - FParams[ppRightMargin];
    }
    DlgFormManager->IncludeControl(PageWidthUpDownEdit);
    DlgFormManager->IncludeControl(PageHeightUpDownEdit);
    SetDataToControls(DlgFormManager);
}

void TPageFormatForm::PageOrientationRadioBtnsClick(TRadioButton* button)
{
    if (!DlgFormManager->Active || !button->Checked())
        return;
    const bool landscape = (FParams[ppOrientation] & 0xFF) == 1;
    if ((button == LandscapePageOrientationRadioBtn) == landscape)
        return;
    const int32_t width = FParams[ppPaperWidth], height = FParams[ppPaperHeight];
    if ((!landscape && width < height) || (landscape && height < width)) {
        FParams[ppPaperWidth] = height;
        FParams[ppPaperHeight] = width;
    }
    FParams[ppOrientation] = (FParams[ppOrientation] & ~0xFF) | (landscape ? 0 : 1);
    FParams[ppTextWidth] = FParams[ppPaperWidth] - FParams[ppLeftMargin] - FParams[ppRightMargin];
    DlgFormManager->IncludeControl(PageWidthUpDownEdit);
    DlgFormManager->IncludeControl(PageHeightUpDownEdit);
    SetDataToControls(DlgFormManager);
}

void TPageFormatForm::DrawPreview()
{
    const int32_t width = std::max(1, PreviewImage->Width());
    const int32_t height = std::max(1, PreviewImage->Height());
    FPreview.SetSize(width, height);
    TCanvas& canvas = FPreview.Canvas();
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect({0, 0, width, height});
    DrawSamplePage(nullptr, canvas, {0, 0, width, height}, FParams, FSection, nullptr, false);
}

bool TPageFormatForm::CheckContinuousSections()
{
    const uint8_t scope = Scope();
    if (scope != atThisSection && scope != atSelectedSections)
        return true;
    const TTextSelection& selection = FDocument.Selection();
    TTextRange range = scope == atThisSection ? TTextRange{selection.End, selection.End}
                                              : TTextRange{selection.Start, selection.End};
    TTextRange widened;
    ExtendRangeToSections(FDocument, range, widened);
    std::vector<TSection*> before, after;
    FDocument.GetSectionsOfRange(range, before);
    FDocument.GetSectionsOfRange(widened, after);
    if (after.size() <= before.size())
        return true;
    const int32_t answer = ShowMessageDlg(
        Format("Vous êtes sur le point de modifier la mise en page d'une ou de plusieurs sections se terminant par des "
               "sauts de section de type \"continu\". De telles suites de sections sont toujours affichées avec une "
               "mise en page commune. Si vous modifiez la mise en page de l'une des sections de cette séquence, cela "
               "affectera la totalité des sections concernées.||||Appuyez sur \"Oui\" pour appliquer la nouvelle mise "
               "en page à la présente suite continue de sections (%d sections seront affectées).||||Appuyez sur "
               "\"Non\" pour séparer la ou les section(s) sélectionnée(s) par des sauts de section de type \"page "
               "suivante\" (les autres sections ne seront pas affectées par cette nouvelle mise en page).||||Appuyez "
               "sur \"Annuler\" pour revenir à la fenêtre de dialogue \"Mise en page\".",
               {std::to_string(after.size())}),
        mtConfirmation, mbYesNoCancel);
    if (answer == mrCancel)
        return false;
    if (answer == mrYes) {
        FDocument.SetSelection(widened.Start.Paragraph, widened.Start.Offset, widened.End.Paragraph,
                               widened.End.Offset);
        const int32_t item = ApplyToCmbBx->Items().AddObject(ApplyToScopeName(atSelectedSections),
                                                             reinterpret_cast<void*>(intptr_t{atSelectedSections}));
        ApplyToCmbBx->SetItemIndex(item);
    }
    return true;
}

bool TPageFormatForm::CheckPrintableArea()
{
    const std::string printer = GetDefaultPrinterName();
    if (printer.empty())
        return true;
    const TRect minimum = GetPrinterMinMargins(printer, FParams[ppPaperWidth], FParams[ppPaperHeight],
                                               (FParams[ppOrientation] & 0xFF) == 1);
    bool headers = false;
    for (const auto& page : FDocument.Pages())
        if (page->Header || page->Footer)
            headers = true;
    bool fits = FParams[ppLeftMargin] >= minimum.Left && FParams[ppTopMargin] >= minimum.Top &&
                FParams[ppRightMargin] >= minimum.Right && FParams[ppBottomMargin] >= minimum.Bottom;
    if (headers)
        fits = fits && FParams[ppHeaderDistance] >= minimum.Top && FParams[ppFooterDistance] >= minimum.Bottom;
    if (fits)
        return true;
    PageControl->SetActivePageIndex(0);
    const int32_t answer = ShowMessageDlg(
        "Une ou plusieurs marges ont été définies en dehors de la zone imprimable de l'imprimante par défaut.||||Si "
        "vous cliquez sur \"Oui\", Eldravin rétablira des valeurs minimales pour ces marges, et vous ramènera à la "
        "boîte de dialogue \"Mise en page\".||||Si vous cliquez sur \"Non\", Eldravin gardera les valeurs de marge "
        "actuelles, et la boîte de dialogue \"Mise en page\" sera fermée.||||Si vous cliquez sur \"Annuler\", "
        "Eldravin n'effectuera aucun changement et vous ramènera à la boîte de dialogue \"Mise en page\".",
        mtWarning, mbYesNoCancel);
    if (answer == mrNo)
        return true;
    if (answer == mrYes) {
        FParams[ppLeftMargin] = std::max(FParams[ppLeftMargin], minimum.Left);
        FParams[ppTopMargin] = std::max(FParams[ppTopMargin], minimum.Top);
        FParams[ppRightMargin] = std::max(FParams[ppRightMargin], minimum.Right);
        FParams[ppBottomMargin] = std::max(FParams[ppBottomMargin], minimum.Bottom);
        if (headers) {
            FParams[ppHeaderDistance] = std::max(FParams[ppHeaderDistance], minimum.Top);
            FParams[ppFooterDistance] = std::max(FParams[ppFooterDistance], minimum.Bottom);
        }
        FParams[ppTextWidth] = FParams[ppPaperWidth] - FParams[ppLeftMargin] - FParams[ppRightMargin];
        DlgFormManager->ExcludedControls.clear();
        SetDataToControls(DlgFormManager);
    }
    return false;
}

void TPageFormatForm::DefBtnClick()
{
    if (!DlgFormManager->ValidateControls() || !DialogServices().ChangeDefaultTemplate)
        return;
    TPageParams params = FParams;
    DialogServices().ChangeDefaultTemplate(
        "Voulez-vous que les paramètres actuels de mise en page deviennent les paramètres de mise en page par défaut ?",
        [params](TDocument& templateDocument) {
            ApplySectionFormatToScope(templateDocument, atWholeDocument, sfPageSetup, &params);
        });
}

void TPageFormatForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (!DlgFormManager->ValidateControls() || !CheckContinuousSections() || !CheckPrintableArea())
        return;
    SetModalResult(mrOk);
}

bool ExecutePageFormatDialog(TDocument& document, TPageParams& params, uint8_t& scope)
{
    auto form = std::make_unique<TPageFormatForm>(nullptr, document, params);
    const bool ok = form->ShowModal() == mrOk;
    LastPageIndex = form->PageControl->ActivePageIndex();
    if (!ok)
        return false;
    params = form->Params();
    scope = form->Scope();
    return true;
}

bool PageSetupWithDialog(TDocument& document)
{
    TPageParams params;
    document.GetCaretPageParams(params);
    uint8_t scope = atWholeDocument;
    if (!ExecutePageFormatDialog(document, params, scope))
        return false;
    ApplySectionFormatToScope(document, scope, sfPageSetup, &params);
    return true;
}
