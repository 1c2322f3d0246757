#include "dialogs/ColumnEditForm.h"

#include "dialogs/DialogControls.h"
#include "dialogs/UnitEdits.h"
#include "document/editing/SamplePage.h"
#include "document/editing/SectionScopes.h"
#include "document/model/Document.h"
#include "document/steps/FormatSectionOperation.h"
#include "foundation/managers/MeasurementsManager.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <memory>

namespace {

// The scope chosen last, for the run of the program.
uint8_t LastScope = NoApplyToScope;

bool IsSet(int32_t value)
{
    return value != NotSet;
}

int32_t& ColumnValue(TSectionSettings& settings, int32_t column, int32_t value)
{
    return settings[TSectionSettings::ColumnValue(column, value)];
}

// Same count, equal flag and spacing, and without equal widths the same
// width and gap for every column.
bool SameColumnsInfo(const TSectionSettings& a, const TSectionSettings& b)
{
    if (a[ssColumnCount] != b[ssColumnCount] || a[ssEqualColumns] != b[ssEqualColumns] ||
        a[ssColumnSpacing] != b[ssColumnSpacing])
        return false;
    if (a[ssEqualColumns] == 1 || !IsSet(a[ssColumnCount]))
        return true;
    for (int32_t c = 0; c < std::clamp(a[ssColumnCount], 1, MaxColumns); ++c)
        if (a[TSectionSettings::ColumnValue(c, crWidth)] != b[TSectionSettings::ColumnValue(c, crWidth)] ||
            a[TSectionSettings::ColumnValue(c, crSpacing)] != b[TSectionSettings::ColumnValue(c, crSpacing)])
            return false;
    return true;
}

}  // namespace

TColumnEditForm::TColumnEditForm(TComponent* owner, TDocument& document)
    : TEldravinForm(owner), FDocument(document), FUnit(DialogMeasurementUnit())
{
    SetName("ColumnEditForm");
    SetCaption("Colonnes");
    SetHelpTopic(15100);
    Position = TPosition::poScreenCenter;
    SetClientSize(470, 330);
    DlgFormManager = new TDlgFormManager(this);
    FDocument.GetCaretPageParams(FPage);
    UpdateColumnPresets();

    TGroupBox* presets = MakeDlgGroup(this, this, "Prédéfinies", 8, 8, 352, 96);
    const char* captions[5] = {"&Une", "&Deux", "T&rois", "&Gauche", "Dr&oite"};
    for (int32_t i = 0; i < 5; ++i) {
        Presets[i] = new TPaintBox(this);
        Presets[i]->SetParent(presets);
        Presets[i]->SetBounds(10 + i * 68, 18, 56, 54);
        Presets[i]->OnPaint = [this, i](TControl*) {
            DrawPreset(i, Presets[i]->Canvas(), {0, 0, Presets[i]->Width(), Presets[i]->Height()});
        };
        Presets[i]->OnClick = [this, i](TControl*) { ApplyPreset(i); };
        MakeDlgLabel(this, presets, captions[i], 18 + i * 68, 74);
    }
    ColCountUpDownEdit = MakeDlgUpDown(this, this, "ColCountUpDownEdit", 160, 112, 60);
    MakeDlgLabel(this, this, "&Nombre de colonnes :", 10, 116, ColCountUpDownEdit);
    LineBetweenChkBx = MakeDlgCheckBox(this, this, "LineBetweenChkBx", "Ligne &séparatrice", 250, 114, 150);
    TGroupBox* widths = MakeDlgGroup(this, this, "Largeur et espacement", 8, 140, 352, 130);
    ColNumberHeading = MakeDlgLabel(this, widths, "Col n° :", 10, 18);
    WidthHeading = MakeDlgLabel(this, widths, "&Largeur :", 70, 18);
    SpacingHeading = MakeDlgLabel(this, widths, "&Espacement :", 190, 18);
    ColumnsScrollBar = new TScrollBar(this);
    ColumnsScrollBar->SetParent(widths);
    ColumnsScrollBar->SetKind(TScrollBarKind::sbVertical);
    ColumnsScrollBar->SetBounds(326, 36, 17, 84);
    for (int32_t r = 0; r < 3; ++r) {
        ColLabels[r] = MakeDlgLabel(this, widths, std::to_string(r + 1) + " :", 14, 42 + r * 28);
        WidthEdits[r] = MakeDlgUpDown(this, widths, "WidthEdit" + std::to_string(r + 1), 70, 38 + r * 28, 84);
        SpacingEdits[r] = MakeDlgUpDown(this, widths, "SpacingEdit" + std::to_string(r + 1), 190, 38 + r * 28, 84);
        for (TUpDownEdit* e : {WidthEdits[r], SpacingEdits[r]}) {
            SetupLengthEdit(*e, FUnit, 0, FPage[ppTextWidth]);
            e->Increment = 10;
            e->Tag = r;
        }
        WidthEdits[r]->OnValueChanged = [this, r](TControl*) { WidthEditChanged(r); };
        SpacingEdits[r]->OnValueChanged = [this, r](TControl*) { SpacingEditChanged(r); };
    }
    EqualWidthChkBx =
        MakeDlgCheckBox(this, this, "EqualWidthChkBx", "Largeurs de colonne iden&tiques", 10, 278, 250);
    ApplyToCmbBx = MakeDlgCombo(this, this, "ApplyToCmbBx", 10, 300, 200, {});
    MakeDlgLabel(this, this, "Appl&iquer :", 218, 304, ApplyToCmbBx);
    TGroupBox* previewGroup = MakeDlgGroup(this, this, "Aperçu", 368, 8, 94, 150);
    PreviewImage = new TPaintBox(this);
    PreviewImage->SetParent(previewGroup);
    PreviewImage->SetBounds(6, 18, 82, 124);
    PreviewImage->OnPaint = [this](TControl*) { PreviewImage->Canvas().Draw(0, 0, FPreview); };
    OKBtn = MakeDlgButton(this, this, "OKBtn", "OK", 380, 266, 80);
    OKBtn->SetDefault(true);
    OKBtn->OnClick = [this](TControl*) { OKBtnClick(); };
    CancelBtn = MakeDlgButton(this, this, "CancelBtn", "Annuler", 380, 296, 80);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;

    for (int32_t r = 0; r < 3; ++r) {
        DlgFormManager->AddControl(WidthEdits[r]);
        DlgFormManager->AddControl(SpacingEdits[r]);
    }
    DlgFormManager->AddControl(ColCountUpDownEdit);
    FDocument.GetSelectionSectionSettings(FSettings);

    ColCountUpDownEdit->SetNrOfDigitsAfterSeparator(0);
    ColCountUpDownEdit->Increment = 1;
    ColCountUpDownEdit->Min = 1;
    ColCountUpDownEdit->Max = MaxColumns;
    ColCountUpDownEdit->OnValueChanged = [this](TControl*) { ColCountUpDownEditValueChanged(); };
    ColumnsScrollBar->SetParams(0, 0, 0);
    ColumnsScrollBar->OnChange = [this](TControl* sender) { DlgFormManager->ControlChanged(sender); };
    LineBetweenChkBx->AllowGrayed = true;
    EqualWidthChkBx->AllowGrayed = !IsSet(FSettings[ssEqualColumns]);
    // The section operation carries no line between columns: the box shows
    // the sections' state but cannot be changed here.
    std::vector<TSection*> sections;
    FDocument.GetSectionsOfRange({FDocument.Selection().Start, FDocument.Selection().End}, sections);
    int32_t line = sections.empty() ? 0 : sections.front()->LineBetweenColumns;
    for (const TSection* section : sections)
        if (section->LineBetweenColumns != line)
            line = NotSet;
    SetCheckSilently(*LineBetweenChkBx, CheckStateOf(line));
    LineBetweenChkBx->SetEnabled(false);
    EqualWidthChkBx->OnClick = [this](TControl*) { EqualWidthChkBxClick(); };

    uint8_t proposed = LastScope;
    FillApplyToScopes(FDocument, ApplyToCmbBx->Items(), proposed);
    int32_t item = 0;
    for (int32_t i = 0; i < ApplyToCmbBx->Items().Count(); ++i)
        if (reinterpret_cast<intptr_t>(ApplyToCmbBx->Items().Objects(i)) == LastScope)
            item = i;
    ApplyToCmbBx->SetItemIndex(ApplyToCmbBx->Items().Count() > 0 ? item : -1);

    DlgFormManager->OnSetDataToControls = [this](TComponent* sender) { SetDataToControls(sender); };
    DlgFormManager->OnGetDataFromControls = [this](TComponent* sender) { GetDataFromControls(sender); };
    SetDataToControls(nullptr);
}

int32_t TColumnEditForm::ColumnCount() const
{
    return IsSet(FSettings[ssColumnCount]) ? std::clamp(FSettings[ssColumnCount], 1, MaxColumns) : NotSet;
}

uint8_t TColumnEditForm::Scope() const
{
    const int32_t item = ApplyToCmbBx->ItemIndex();
    return item < 0 ? static_cast<uint8_t>(atWholeDocument)
                    : static_cast<uint8_t>(reinterpret_cast<intptr_t>(ApplyToCmbBx->Items().Objects(item)));
}

void TColumnEditForm::UpdateColumnPresets()
{
    const int32_t text = FPage[ppTextWidth];
    for (int32_t i = 0; i < 5; ++i) {
        FPresets[i] = DefaultSectionSettings();
        FPresets[i][ssColumnSpacing] = 720;
        FPresets[i][ssColumnCount] = i < 3 ? i + 1 : 2;
        FPresets[i][ssEqualColumns] = i < 3 ? 1 : 0;
    }
    const int32_t third = (text - 720) / 3, twoThirds = (text - 720) * 2 / 3;
    for (int32_t i : {3, 4}) {
        ColumnValue(FPresets[i], 0, crWidth) = i == 3 ? third : twoThirds;
        ColumnValue(FPresets[i], 0, crSpacing) = 720;
        ColumnValue(FPresets[i], 1, crWidth) = i == 3 ? twoThirds : third;
        ColumnValue(FPresets[i], 1, crSpacing) = 0;
    }
}

int32_t TColumnEditForm::MatchingPreset() const
{
    for (int32_t i = 0; i < 5; ++i)
        if (SameColumnsInfo(FPresets[i], FSettings))
            return i;
    return -1;
}

void TColumnEditForm::DrawPreset(int32_t index, TCanvas& canvas, const TRect& rect)
{
    UpdateColumnPresets();
    TPageParams page = FPage;
    page[ppPaperHeight] = page[ppPaperHeight] * 3 / 4;
    TSectionSettings drawn = FPresets[index];
    if (index == 1 || index == 2)
        drawn[ssColumnSpacing] += 360;
    DrawSamplePage(nullptr, canvas, {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2}, page, drawn,
                   nullptr, true);
    if (SameColumnsInfo(FPresets[index], FSettings)) {
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.Pen().SetColor(clHighlight);
        canvas.Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom);
        canvas.Rectangle(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    }
}

void TColumnEditForm::ApplyPreset(int32_t index)
{
    if (index < 0 || index >= 5)
        return;
    for (int slot = ssColumnCount; slot < ssLastValue; ++slot)
        FSettings[slot] = FPresets[index][slot];
    FFirstShown = 0;
    SetDataToControls(DlgFormManager);
}

void TColumnEditForm::SetDataToControls(TComponent*)
{
    TDlgFormManager& m = *DlgFormManager;
    m.Active = false;
    for (TPaintBox* preset : Presets)
        preset->Invalidate();
    const int32_t count = ColumnCount();
    if (m.CanSetData(ColCountUpDownEdit) && FChanging != ColCountUpDownEdit) {
        if (count == NotSet)
            m.WriteEmpty(ColCountUpDownEdit);
        else
            m.WriteValue(ColCountUpDownEdit, count);
    }
    LineBetweenChkBx->SetVisible(count != 1);
    const bool mixed = count == NotSet;
    const bool equal = FSettings[ssEqualColumns] == 1;
    if (!mixed)
        FFirstShown = std::clamp(FFirstShown, 0, std::max(0, count - 3));
    ColNumberHeading->SetVisible(!mixed);
    WidthHeading->SetVisible(!mixed);
    SpacingHeading->SetVisible(!mixed && count > 1);
    ColumnsScrollBar->SetVisible(!mixed && count > 3);
    if (!mixed) {
        ColumnsScrollBar->SetEnabled(!equal);
        const auto change = ColumnsScrollBar->OnChange;
        ColumnsScrollBar->OnChange = nullptr;
        ColumnsScrollBar->SetParams(FFirstShown, 0, std::max(0, count - 3));
        ColumnsScrollBar->OnChange = change;
    }
    for (int32_t r = 0; r < 3; ++r) {
        const int32_t column = FFirstShown + r + 1;
        const bool shown = !mixed && column <= count;
        ColLabels[r]->SetVisible(shown);
        WidthEdits[r]->SetVisible(shown);
        SpacingEdits[r]->SetVisible(shown && column != count);
        if (!shown)
            continue;
        ColLabels[r]->SetCaption(std::to_string(column) + " :");
        const bool editable = count == 1 || column == 1 || !equal;
        const TColumnGeometry geometry = GetColumnGeometry(FSettings, FPage, column - 1);
        for (TUpDownEdit* e : {WidthEdits[r], SpacingEdits[r]}) {
            e->SetEnabled(editable);
            e->SetColor(editable ? clWindow : clBtnFace);
        }
        if (FChanging != WidthEdits[r])
            m.WriteValue(WidthEdits[r], TwipsToUnits(FUnit, count == 1 ? FPage[ppTextWidth] : geometry.Width));
        if (FChanging != SpacingEdits[r])
            m.WriteValue(SpacingEdits[r], TwipsToUnits(FUnit, geometry.Gap));
    }
    SetCheckSilently(*EqualWidthChkBx, CheckStateOf(FSettings[ssEqualColumns]));
    EqualWidthChkBx->SetVisible(count != 1);
    // The miniature of the caret's page with the working columns.
    const int32_t width = std::max(1, PreviewImage->Width()), height = std::max(1, PreviewImage->Height());
    FPreview.SetSize(width, height);
    FPreview.Canvas().Brush().SetColor(clBtnFace);
    FPreview.Canvas().FillRect({0, 0, width, height});
    TSectionSettings shown = FSettings;
    if (mixed)
        shown[ssColumnCount] = 1;
    DrawSamplePage(nullptr, FPreview.Canvas(), {-3, -7, width + 3, height + 3}, FPage, shown, nullptr, false);
    PreviewImage->Invalidate();
    m.Active = true;
}

void TColumnEditForm::GetDataFromControls(TComponent*)
{
    FSettings[ssEqualColumns] = ValueOfCheckState(EqualWidthChkBx->State());
    FFirstShown = FSettings[ssEqualColumns] == 1 ? 0 : ColumnsScrollBar->Position();
}

void TColumnEditForm::ColCountUpDownEditValueChanged()
{
    TDlgFormManager& m = *DlgFormManager;
    if (!m.Active || Trim(ColCountUpDownEdit->Text()).empty() || !m.EditTouched(ColCountUpDownEdit))
        return;
    if (!ColCountUpDownEdit->IsValueValid()) {
        ColCountUpDownEdit->ReportInvalidValue();
        return;
    }
    const int32_t count = ColCountUpDownEdit->Value();
    const int32_t old = ColumnCount();
    FSettings[ssColumnCount] = count;
    if (old == NotSet || count > old) {
        if (!IsSet(FSettings[ssEqualColumns]))
            FSettings[ssEqualColumns] = 1;
        if (!IsSet(FSettings[ssColumnSpacing]))
            FSettings[ssColumnSpacing] = 720;
        CalcEqualColumnWidths(FSettings, FPage);
    }
    FChanging = ColCountUpDownEdit;
    SetDataToControls(DlgFormManager);
    FChanging = nullptr;
}

void TColumnEditForm::EqualWidthChkBxClick()
{
    if (!DlgFormManager->Active)
        return;
    if (EqualWidthChkBx->State() == TCheckBoxState::cbUnchecked && ColumnCount() != NotSet && ColumnCount() > 1) {
        TSectionSettings equal = FSettings;
        equal[ssEqualColumns] = 1;
        CalcEqualColumnWidths(equal, FPage);
        for (int32_t c = 0; c < ColumnCount(); ++c) {
            ColumnValue(FSettings, c, crWidth) = ColumnValue(equal, c, crWidth);
            ColumnValue(FSettings, c, crSpacing) = ColumnValue(equal, c, crSpacing);
        }
    }
    DlgFormManager->ControlChanged(EqualWidthChkBx);
}

void TColumnEditForm::WidthEditChanged(int32_t row)
{
    TUpDownEdit* edit = WidthEdits[row];
    const int32_t count = ColumnCount();
    // Only the user's changes count: the shown text, rounded to the unit, is not read back.
    if (!DlgFormManager->Active || !edit->IsValueValid() || count == NotSet || !DlgFormManager->EditTouched(edit))
        return;
    const int32_t twips = LengthEditTwips(*edit, FUnit);
    if (FSettings[ssEqualColumns] != 1)
        ColumnValue(FSettings, FFirstShown + row, crWidth) = twips;
    else if (count > 1)
        FSettings[ssColumnSpacing] = std::max(0, FPage[ppTextWidth] - twips * count) / (count - 1);
    FChanging = edit;
    SetDataToControls(DlgFormManager);
    FChanging = nullptr;
}

void TColumnEditForm::SpacingEditChanged(int32_t row)
{
    TUpDownEdit* edit = SpacingEdits[row];
    if (!DlgFormManager->Active || !edit->IsValueValid() || ColumnCount() == NotSet ||
        !DlgFormManager->EditTouched(edit))
        return;
    const int32_t twips = LengthEditTwips(*edit, FUnit);
    if (FSettings[ssEqualColumns] != 1)
        ColumnValue(FSettings, FFirstShown + row, crSpacing) = twips;
    else
        FSettings[ssColumnSpacing] = twips;
    FChanging = edit;
    SetDataToControls(DlgFormManager);
    FChanging = nullptr;
}

void TColumnEditForm::OKBtnClick()
{
    if (DlgFormManager->ValidateControls())
        SetModalResult(mrOk);
}

bool ExecuteColumnsDialog(TDocument& document)
{
    auto form = std::make_unique<TColumnEditForm>(nullptr, document);
    if (form->ShowModal() != mrOk)
        return false;
    LastScope = form->Scope();
    TSectionSettings settings = form->Settings();
    TPageParams page;
    document.GetCaretPageParams(page);
    // Each section keeps its own break kind.
    settings[ssBreakKind] = NotSet;
    if (IsSet(settings[ssColumnCount]))
        FitColumnWidths(settings, page);
    form.reset();
    ApplySectionFormatToScope(document, LastScope, sfColumns, &settings);
    return true;
}
