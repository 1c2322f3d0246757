#include "dialogs/ParFormatForm.h"

#include "dialogs/DialogControls.h"
#include "dialogs/DialogServices.h"
#include "dialogs/UnitEdits.h"
#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/TabManager.h"

#include <cstdlib>

namespace {

enum TLineSpacingItem : int32_t { lsSingle, lsOneAndHalf, lsDouble, lsAtLeast, lsExactly, lsMultiple };

int32_t RoundDiv(int64_t a, int64_t b)
{
    const int64_t q = (std::llabs(a) * 2 + b) / (2 * b);
    return static_cast<int32_t>(a < 0 ? -q : q);
}

bool IsSet(int32_t value)
{
    return value != NotSet;
}

}  // namespace

TParFormatForm::TParFormatForm(TComponent* owner, const TParFormat& format, const TPageParams& page, uint8_t flags,
                               int32_t helpTopic)
    : TStandardDialogForm(owner), FFormat(format), FPage(page), FFlags(flags), FUnit(DialogMeasurementUnit())
{
    SetName("ParFormatForm");
    SetCaption("Paragraphe");
    SetHelpTopic(helpTopic);
    Position = TPosition::poScreenCenter;
    SetClientSize(432, 300);
    DlgFormManager = new TDlgFormManager(this);
    DlgFormManager->AllowEmpty = Undefined();

    PageControl = new TPageControl(this);
    PageControl->SetName("PageControl");
    PageControl->SetParent(this);
    PageControl->SetBounds(8, 8, 416, 236);
    auto* indents = new TTabSheet(this);
    indents->SetPageControl(PageControl);
    indents->SetCaption("&Retraits et espacements");
    auto* flow = new TTabSheet(this);
    flow->SetPageControl(PageControl);
    flow->SetCaption("Enchaînements");
    PageControl->SetActivePage(indents);

    AlignmentComboBox =
        MakeDlgCombo(this, indents, "AlignmentComboBox", 100, 10, 120, {"Gauche", "Centré", "Droite", "Justifié"});
    MakeDlgLabel(this, indents, "Aligne&ment :", 10, 14, AlignmentComboBox);
    TGroupBox* indentGroup = MakeDlgGroup(this, indents, "Retraits", 8, 42, 196, 150);
    ParLeftIndentUpDownEdit = MakeDlgUpDown(this, indentGroup, "ParLeftIndentUpDownEdit", 96, 20, 76);
    MakeDlgLabel(this, indentGroup, "&Gauche :", 10, 24, ParLeftIndentUpDownEdit);
    ParRightIndentUpDownEdit = MakeDlgUpDown(this, indentGroup, "ParRightIndentUpDownEdit", 96, 50, 76);
    MakeDlgLabel(this, indentGroup, "Dro&ite :", 10, 54, ParRightIndentUpDownEdit);
    FirstLineIndentKindComboBox = MakeDlgCombo(this, indentGroup, "FirstLineIndentKindComboBox", 96, 80, 92,
                                               {"( Aucun )", "Positif", "Négatif"});
    MakeDlgLabel(this, indentGroup, "De 1&ère ligne :", 10, 84, FirstLineIndentKindComboBox);
    FirstLineIndentValueUpDownEdit = MakeDlgUpDown(this, indentGroup, "FirstLineIndentValueUpDownEdit", 96, 110, 76);
    MakeDlgLabel(this, indentGroup, "&De :", 10, 114, FirstLineIndentValueUpDownEdit);

    TGroupBox* spacingGroup = MakeDlgGroup(this, indents, "Espacements", 210, 42, 196, 150);
    SpaceBeforeUpDownEdit = MakeDlgUpDown(this, spacingGroup, "SpaceBeforeUpDownEdit", 96, 20, 76);
    MakeDlgLabel(this, spacingGroup, "A&vant :", 10, 24, SpaceBeforeUpDownEdit);
    SpaceAfterUpDownEdit = MakeDlgUpDown(this, spacingGroup, "SpaceAfterUpDownEdit", 96, 50, 76);
    MakeDlgLabel(this, spacingGroup, "A&près :", 10, 54, SpaceAfterUpDownEdit);
    LineSpacingComboBox =
        MakeDlgCombo(this, spacingGroup, "LineSpacingComboBox", 96, 80, 92,
                     {"Simple", "1,5 ligne", "Double", "Au moins", "Exactement", "Multiple"});
    MakeDlgLabel(this, spacingGroup, "Inter&ligne :", 10, 84, LineSpacingComboBox);
    LineSpacingValueUpDownEdit = MakeDlgUpDown(this, spacingGroup, "LineSpacingValueUpDownEdit", 96, 110, 76);

    KeepWithNextCheckBox = MakeDlgCheckBox(this, flow, "KeepWithNextCheckBox", "P&aragraphes solidaires", 12, 16, 300);
    KeepIntactCheckBox = MakeDlgCheckBox(this, flow, "KeepIntactCheckBox", "Li&gnes solidaires", 12, 42, 300);
    PageBreakBeforeCheckBox = MakeDlgCheckBox(this, flow, "PageBreakBeforeCheckBox", "Sa&ut de page avant", 12, 68, 300);
    WidowOrphanControlCheckBox =
        MakeDlgCheckBox(this, flow, "WidowOrphanControlCheckBox", "É&viter veuves et orphelines", 12, 94, 300);
    DontHyphChkBx = MakeDlgCheckBox(this, flow, "DontHyphChkBx", "&Pas de coupe de mots", 12, 120, 300);

    DefBtn = MakeDlgButton(this, this, "DefBtn", "Par dé&faut...", 8, 0, 92);
    CopyFormatBtn = MakeDlgButton(this, this, "CopyFormatBtn", "Copier", 104, 0, 64);
    PasteFormatBtn = MakeDlgButton(this, this, "PasteFormatBtn", "Coller", 172, 0, 64);

    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    DlgButtons().PlaceButtons();
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        for (TButton* button : {DefBtn, CopyFormatBtn, PasteFormatBtn})
            button->SetTop(ok->Top());
    DefBtn->SetEnabled(static_cast<bool>(DialogServices().ChangeDefaultTemplate));
    DefBtn->OnClick = [this](TControl*) { DefBtnClick(); };
    CopyFormatBtn->OnClick = [this](TControl*) { CopyFormatBtnClick(); };
    PasteFormatBtn->OnClick = [this](TControl*) { PasteFormatBtnClick(); };

    // Units, limits and steps: indents in the user's unit within the text
    // width, spacing in points within the page height.
    const int32_t textWidth = FPage[ppTextWidth];
    SetupLengthEdit(*ParLeftIndentUpDownEdit, FUnit, -textWidth, textWidth);
    SetupLengthEdit(*ParRightIndentUpDownEdit, FUnit, -textWidth, textWidth);
    SetupLengthEdit(*FirstLineIndentValueUpDownEdit, FUnit, 0, textWidth);
    SetupPointEdit(*SpaceBeforeUpDownEdit, 0, FPage[ppPaperHeight]);
    SetupPointEdit(*SpaceAfterUpDownEdit, 0, FPage[ppPaperHeight]);
    for (TUpDownEdit* edit : {ParLeftIndentUpDownEdit, ParRightIndentUpDownEdit, FirstLineIndentValueUpDownEdit,
                              LineSpacingValueUpDownEdit})
        edit->Increment = 10;
    SpaceBeforeUpDownEdit->Increment = 100;
    SpaceAfterUpDownEdit->Increment = 100;
    SetLineSpacingMode(1);
    LineSpacingValueUpDownEdit->SetValue(300);

    // Tags name the fields that "Valeur non définie" clears.
    AlignmentComboBox->Tag = pfAlignment;
    ParLeftIndentUpDownEdit->Tag = pfLeftIndent;
    ParRightIndentUpDownEdit->Tag = pfRightIndent;
    FirstLineIndentKindComboBox->Tag = pfFirstIndent;
    FirstLineIndentValueUpDownEdit->Tag = pfFirstIndent;
    SpaceBeforeUpDownEdit->Tag = pfSpaceBefore;
    SpaceAfterUpDownEdit->Tag = pfSpaceAfter;
    LineSpacingComboBox->Tag = pfLineRule;
    LineSpacingValueUpDownEdit->Tag = pfLineSpacing;
    const std::pair<TCheckBox*, int> boxes[] = {{KeepWithNextCheckBox, pfKeepWithNext},
                                                {KeepIntactCheckBox, pfKeepTogether},
                                                {PageBreakBeforeCheckBox, pfPageBreakBefore},
                                                {WidowOrphanControlCheckBox, pfWidowControl},
                                                {DontHyphChkBx, pfNoHyphenation}};
    for (const auto& [box, field] : boxes) {
        box->Tag = field;
        box->AllowGrayed = FFormat[field] == NotSet || Undefined();
        box->OnClick = [this](TControl* sender) { ControlsChange(sender); };
    }

    DlgFormManager->OnSetDataToControls = [this](TComponent* sender) { SetDataToControls(sender); };
    DlgFormManager->OnGetDataFromControls = [this](TComponent* sender) { GetDataFromControls(sender); };
    AlignmentComboBox->OnChange = [this](TControl* sender) { ControlsChange(sender); };
    for (TUpDownEdit* edit : {ParLeftIndentUpDownEdit, ParRightIndentUpDownEdit, SpaceBeforeUpDownEdit,
                              SpaceAfterUpDownEdit, LineSpacingValueUpDownEdit})
        edit->OnValueChanged = [this](TControl* sender) { ControlsChange(sender); };
    FirstLineIndentKindComboBox->OnChange = [this](TControl*) { FirstLineIndentKindComboBoxChange(); };
    FirstLineIndentValueUpDownEdit->OnValueChanged = [this](TControl*) { FirstIndentEditChanged(); };
    LineSpacingComboBox->OnChange = [this](TControl*) { LineSpacingComboBoxChange(); };

    // Registration order is the order of validation.
    for (TUpDownEdit* edit : {ParLeftIndentUpDownEdit, ParRightIndentUpDownEdit, FirstLineIndentValueUpDownEdit,
                              SpaceBeforeUpDownEdit, SpaceAfterUpDownEdit, LineSpacingValueUpDownEdit})
        DlgFormManager->AddControl(edit);
    SetDataToControls(nullptr);
}

void TParFormatForm::SetLineSpacingMode(uint8_t mode)
{
    if (mode == FLineMode)
        return;
    FLineMode = mode;
    TUpDownEdit& edit = *LineSpacingValueUpDownEdit;
    if (mode == 0) {
        SetupPointEdit(edit, 0, FPage[ppPaperHeight]);
        edit.Min = 10;
    } else {
        edit.OnTextToValue = nullptr;
        edit.SetNrOfDigitsAfterSeparator(2);
        edit.SetTailString("");
        edit.Min = 10;
        edit.Max = 2000;
    }
}

void TParFormatForm::PutLength(TUpDownEdit* edit, int32_t twips)
{
    if (twips == NotSet) {
        if (DlgFormManager->CanSetData(edit) || Undefined())
            DlgFormManager->WriteEmpty(edit);
    } else if (DlgFormManager->CanSetData(edit)) {
        DlgFormManager->WriteValue(edit, TwipsToUnits(FUnit, twips));
    }
}

void TParFormatForm::PutPoints(TUpDownEdit* edit, int32_t twips)
{
    if (twips == NotSet) {
        if (DlgFormManager->CanSetData(edit) || Undefined())
            DlgFormManager->WriteEmpty(edit);
    } else if (DlgFormManager->CanSetData(edit)) {
        DlgFormManager->WriteValue(edit, TwipsToPointHundredths(twips));
    }
}

void TParFormatForm::SetDataToControls(TComponent*)
{
    TDlgFormManager& m = *DlgFormManager;
    m.Active = false;
    const TParFormat& f = FFormat;
    if (m.CanSetData(AlignmentComboBox))
        AlignmentComboBox->SetItemIndex(IsSet(f[pfAlignment]) ? f[pfAlignment] : -1);

    // With a hanging indent the left edit shows where the first line starts.
    if (!IsSet(f[pfLeftIndent])) {
        PutLength(ParLeftIndentUpDownEdit, NotSet);
    } else if (m.CanSetData(ParLeftIndentUpDownEdit)) {
        FShownLeftTwips = f[pfLeftIndent] + (IsSet(f[pfFirstIndent]) && f[pfFirstIndent] < 0 ? f[pfFirstIndent] : 0);
        PutLength(ParLeftIndentUpDownEdit, FShownLeftTwips);
    }
    const int32_t first = f[pfFirstIndent];
    if (m.CanSetData(FirstLineIndentKindComboBox))
        FirstLineIndentKindComboBox->SetItemIndex(!IsSet(first) ? -1 : first < 0 ? 2 : first > 0 ? 1 : 0);
    if (!IsSet(first) || first == 0) {
        if (m.CanSetData(FirstLineIndentValueUpDownEdit) || Undefined())
            m.WriteEmpty(FirstLineIndentValueUpDownEdit);
    } else {
        PutLength(FirstLineIndentValueUpDownEdit, std::abs(first));
    }
    PutLength(ParRightIndentUpDownEdit, f[pfRightIndent]);
    PutPoints(SpaceBeforeUpDownEdit, f[pfSpaceBefore]);
    PutPoints(SpaceAfterUpDownEdit, f[pfSpaceAfter]);

    TUpDownEdit* value = LineSpacingValueUpDownEdit;
    const bool canValue = m.CanSetData(value);
    if (!IsSet(f[pfLineSpacing]) || !IsSet(f[pfLineRule])) {
        if (m.CanSetData(LineSpacingComboBox))
            LineSpacingComboBox->SetItemIndex(-1);
        SetLineSpacingMode(1);
        if (canValue || Undefined())
            m.WriteEmpty(value);
    } else if (f[pfLineRule] == 0) {
        SetLineSpacingMode(0);
        if (m.CanSetData(LineSpacingComboBox))
            LineSpacingComboBox->SetItemIndex(f[pfLineSpacing] < 1 ? lsExactly : lsAtLeast);
        if (canValue)
            m.WriteValue(value, TwipsToPointHundredths(std::abs(f[pfLineSpacing])));
    } else {
        SetLineSpacingMode(1);
        const int32_t spacing = f[pfLineSpacing];
        if (LineSpacingComboBox->ItemIndex() == lsMultiple) {
            if (canValue)
                m.WriteValue(value, RoundDiv(int64_t(spacing) * 100, 240));
        } else if (spacing == 240 || spacing == 360 || spacing == 480) {
            if (m.CanSetData(LineSpacingComboBox))
                LineSpacingComboBox->SetItemIndex(spacing == 240 ? lsSingle : spacing == 360 ? lsOneAndHalf : lsDouble);
            if (canValue)
                m.WriteEmpty(value);
        } else {
            if (m.CanSetData(LineSpacingComboBox))
                LineSpacingComboBox->SetItemIndex(lsMultiple);
            if (canValue)
                m.WriteValue(value, RoundDiv(int64_t(spacing) * 100, 240));
        }
    }
    for (TCheckBox* box :
         {KeepWithNextCheckBox, KeepIntactCheckBox, PageBreakBeforeCheckBox, WidowOrphanControlCheckBox, DontHyphChkBx})
        if (m.CanSetData(box))
            SetCheckSilently(*box, CheckStateOf(f[static_cast<int>(box->Tag)]));
    TParFormatingStateClipboard* clip = GetParFormatingStateClipboard();
    PasteFormatBtn->SetEnabled(clip && clip->Captured);
    m.Active = true;
}

void TParFormatForm::GetDataFromControls(TComponent* sender)
{
    TDlgFormManager& m = *DlgFormManager;
    m.BeginGetData();
    TParFormat& f = FFormat;
    if (m.CanGetData(AlignmentComboBox)) {
        if (AlignmentComboBox->ItemIndex() >= 0)
            f[pfAlignment] = AlignmentComboBox->ItemIndex();
        else if (Undefined())
            f[pfAlignment] = NotSet;
    }
    TUpDownEdit* firstEdit = FirstLineIndentValueUpDownEdit;
    if (m.CanReadEdit(firstEdit)) {
        const int32_t twips = LengthEditTwips(*firstEdit, FUnit);
        f[pfFirstIndent] = FirstLineIndentKindComboBox->ItemIndex() == 2 ? -twips : twips;
    } else if (!m.CanGetData(firstEdit) && sender == firstEdit && Undefined() && m.IsBlank(firstEdit)) {
        f[pfFirstIndent] = NotSet;
    }
    TUpDownEdit* left = ParLeftIndentUpDownEdit;
    if (m.CanGetData(left)) {
        const int32_t shown = m.EditTouched(left) ? LengthEditTwips(*left, FUnit) : FShownLeftTwips;
        f[pfLeftIndent] = shown - (IsSet(f[pfFirstIndent]) && f[pfFirstIndent] < 0 ? f[pfFirstIndent] : 0);
    } else if (!m.CanGetData(left) && Undefined() && m.IsBlank(left)) {
        f[pfLeftIndent] = NotSet;
    }
    auto readLength = [&](TUpDownEdit* edit, int field, bool points) {
        if (m.CanReadEdit(edit))
            f[field] = points ? PointEditTwips(*edit) : LengthEditTwips(*edit, FUnit);
        else if (!m.CanGetData(edit) && Undefined() && m.IsBlank(edit))
            f[field] = NotSet;
    };
    readLength(ParRightIndentUpDownEdit, pfRightIndent, false);
    readLength(SpaceBeforeUpDownEdit, pfSpaceBefore, true);
    readLength(SpaceAfterUpDownEdit, pfSpaceAfter, true);
    TUpDownEdit* value = LineSpacingValueUpDownEdit;
    if (m.CanReadEdit(value)) {
        if (FLineMode == 0) {
            const int32_t twips = PointEditTwips(*value);
            f[pfLineRule] = 0;
            f[pfLineSpacing] = LineSpacingComboBox->ItemIndex() == lsAtLeast ? twips : -twips;
        } else {
            f[pfLineRule] = 1;
            f[pfLineSpacing] = RoundDiv(int64_t(value->Value()) * 240, 100);
        }
    }
    for (TCheckBox* box :
         {KeepWithNextCheckBox, KeepIntactCheckBox, PageBreakBeforeCheckBox, WidowOrphanControlCheckBox, DontHyphChkBx})
        if (m.CanGetData(box))
            f[static_cast<int>(box->Tag)] = ValueOfCheckState(box->State());
}

void TParFormatForm::ControlsChange(TComponent* sender)
{
    DlgFormManager->ControlChanged(sender);
}

void TParFormatForm::FirstLineIndentKindComboBoxChange()
{
    if (!DlgFormManager->Active)
        return;
    TParFormat& f = FFormat;
    if (IsSet(f[pfFirstIndent]) && f[pfFirstIndent] < 0 && IsSet(f[pfLeftIndent]))
        f[pfLeftIndent] += f[pfFirstIndent];
    const bool readable = DlgFormManager->CanGetData(FirstLineIndentValueUpDownEdit) &&
                          FirstLineIndentValueUpDownEdit->IsValueValid() && IsSet(f[pfFirstIndent]) &&
                          f[pfFirstIndent] != 0;
    const int32_t amount = readable ? std::abs(f[pfFirstIndent]) : 720;
    switch (FirstLineIndentKindComboBox->ItemIndex()) {
    case 0: f[pfFirstIndent] = 0; break;
    case 1: f[pfFirstIndent] = amount; break;
    default:
        f[pfFirstIndent] = -amount;
        if (IsSet(f[pfLeftIndent]))
            f[pfLeftIndent] -= f[pfFirstIndent];
        break;
    }
    DlgFormManager->IncludeControl(FirstLineIndentValueUpDownEdit);
    SetDataToControls(DlgFormManager);
}

void TParFormatForm::FirstIndentEditChanged()
{
    TDlgFormManager& m = *DlgFormManager;
    if (!m.Active)
        return;
    // The kind box is neither read nor rewritten while the value is typed, so
    // that an empty or zero value does not switch it to "( Aucun )".
    m.ExcludedControls.clear();
    m.ExcludedControls.push_back(FirstLineIndentKindComboBox);
    m.KeepExcludedControls = true;
    m.ControlChanged(FirstLineIndentValueUpDownEdit);
    m.KeepExcludedControls = false;
    m.IncludeControl(FirstLineIndentKindComboBox);
}

void TParFormatForm::LineSpacingComboBoxChange()
{
    if (!DlgFormManager->Active)
        return;
    static constexpr int32_t kSpacing[] = {240, 360, 480, 240, -240, 720};
    static constexpr int32_t kRule[] = {1, 1, 1, 0, 0, 1};
    const int32_t item = LineSpacingComboBox->ItemIndex();
    if (item < 0 || item > lsMultiple)
        return;
    FFormat[pfLineSpacing] = kSpacing[item];
    FFormat[pfLineRule] = kRule[item];
    DlgFormManager->IncludeControl(LineSpacingValueUpDownEdit);
    SetDataToControls(DlgFormManager);
}

void TParFormatForm::SetUndefinedValue(int32_t tag)
{
    if (tag < 0 || tag >= TParFormat::Count)
        return;
    if (tag == pfFirstIndent && FirstLineIndentKindComboBox->ItemIndex() == 2 && IsSet(FFormat[pfLeftIndent]) &&
        IsSet(FFormat[pfFirstIndent]))
        FFormat[pfLeftIndent] += FFormat[pfFirstIndent];
    FFormat[tag] = NotSet;
    if (tag == pfLineRule)
        FFormat[pfLineSpacing] = NotSet;
    SetDataToControls(DlgFormManager);
}

void TParFormatForm::CopyFormatBtnClick()
{
    if (!DlgFormManager->ValidateControls())
        return;
    if (TParFormatingStateClipboard* clip = GetParFormatingStateClipboard()) {
        clip->Format = FFormat;
        clip->Captured = 1;
    }
    SetDataToControls(DlgFormManager);
}

void TParFormatForm::PasteFormatBtnClick()
{
    TParFormatingStateClipboard* clip = GetParFormatingStateClipboard();
    if (!clip || !clip->Captured)
        return;
    for (int field = 0; field < TParFormat::Count; ++field)
        if (field != pfStyle && field != pfTabTable)
            FFormat[field] = clip->Format[field];
    DlgFormManager->RefreshAll();
}

void TParFormatForm::DefBtnClick()
{
    if (!DlgFormManager->ValidateControls() || !DialogServices().ChangeDefaultTemplate)
        return;
    TParFormat format = FFormat;
    format[pfStyle] = NotSet;
    DialogServices().ChangeDefaultTemplate(
        "Voulez-vous que les caractéristiques actuelles de mise en forme de paragraphe deviennent celles du "
        "paragraphe par défaut ?",
        [format](TDocument& templateDocument) mutable {
            TTextRange body;
            templateDocument.GetBodyRange(body);
            templateDocument.ExecuteOperation(docFormatParagraphs, {&body, &format});
        });
}

void TParFormatForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (DlgFormManager->ValidateControls())
        SetModalResult(mrOk);
}

bool ExecuteParFormatDialog(TParFormat& format, const TPageParams& page, uint8_t flags, int32_t helpTopic)
{
    auto form = std::make_unique<TParFormatForm>(nullptr, format, page, flags, helpTopic);
    if (form->ShowModal() != mrOk)
        return false;
    format = form->Format();
    return true;
}

bool FormatParagraphsWithDialog(TDocument& document)
{
    TTextRange range{document.Selection().Start, document.Selection().End};
    TParFormat common;
    document.GetCommonParFormat(range, common, false);
    TPageParams page;
    document.GetCaretPageParams(page);
    TParFormat edited = common;
    if (!ExecuteParFormatDialog(edited, page, 0, 10000))
        return false;
    // Only what the user changed is applied: the other fields stay as each
    // paragraph has them.
    DiffParFormat(edited, common);
    if (!IsParFormatEmpty(edited))
        document.ExecuteOperation(docFormatParagraphs, {&range, &edited});
    return true;
}
