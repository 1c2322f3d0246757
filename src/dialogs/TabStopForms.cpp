#include "dialogs/TabStopForms.h"

#include "dialogs/DialogControls.h"
#include "dialogs/UnitEdits.h"
#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/MeasurementsManager.h"
#include "platform/runtime/SysUtils.h"

#include <memory>

// --- TEditTabStopForm ------------------------------------------------------------------

TEditTabStopForm::TEditTabStopForm(TComponent* owner, int32_t stop)
    : TStandardDialogForm(owner), FStart(stop == NotSet ? NotSet : TabStopPosition(static_cast<TTabStop>(stop))),
      FUnit(DialogMeasurementUnit())
{
    SetName("EditTabStopForm");
    SetCaption("Position du taquet");
    Position = TPosition::poScreenCenter;
    SetClientSize(250, 90);
    TabStopUpDownEdit = MakeDlgUpDown(this, this, "TabStopUpDownEdit", 100, 14, 90);
    MakeDlgLabel(this, this, "Po&sition :", 10, 18, TabStopUpDownEdit);
    SetupLengthEdit(*TabStopUpDownEdit, FUnit, 15, MaxTabLimit);
    TabStopUpDownEdit->Increment = 10;
    if (FStart == NotSet) {
        TabStopUpDownEdit->SetEmpty(true);
    } else {
        TabStopUpDownEdit->RangeCheck = false;
        TabStopUpDownEdit->SetValue(TwipsToUnits(FUnit, FStart));
        TabStopUpDownEdit->RangeCheck = true;
    }
    FStartText = TabStopUpDownEdit->Text();
    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    DlgButtons().PlaceButtons();
}

int32_t TEditTabStopForm::StopPosition() const
{
    if (FStart != NotSet && TabStopUpDownEdit->Text() == FStartText)
        return FStart;
    return LengthEditTwips(*TabStopUpDownEdit, FUnit);
}

void TEditTabStopForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (!TabStopUpDownEdit->IsValueValid()) {
        TabStopUpDownEdit->ReportInvalidValue();
        return;
    }
    SetModalResult(mrOk);
}

bool ExecuteEditTabStopDialog(int32_t& stop)
{
    auto form = std::make_unique<TEditTabStopForm>(nullptr, stop);
    if (form->ShowModal() != mrOk)
        return false;
    stop = static_cast<int32_t>(PackTabStop(form->StopPosition(), tkLeft, 0));
    return true;
}

// --- TEditTabsForm ---------------------------------------------------------------------

TEditTabsForm::TEditTabsForm(TComponent* owner, const TTabsDialogRecord& record, TTabManager& manager,
                             bool hideDefault)
    : TStandardDialogForm(owner), FRecord(record), FManager(manager), FHideDefault(hideDefault),
      FUnit(DialogMeasurementUnit())
{
    SetName("EditTabsForm");
    SetCaption("Tabulations");
    SetHelpTopic(11000);
    Position = TPosition::poScreenCenter;
    SetClientSize(400, 290);
    if (FRecord[1] != -1 && FRecord[1] != NotSet)
        if (const TTabTable* table = FManager.Tables(FRecord[1]))
            FTable.Assign(*table);

    TabStopListBox = new TListBox(this);
    TabStopListBox->SetName("TabStopListBox");
    TabStopListBox->SetParent(this);
    TabStopListBox->SetBounds(10, 28, 130, 160);
    MakeDlgLabel(this, this, "Posi&tion :", 10, 10, TabStopListBox);
    AddTabStopBtn = MakeDlgButton(this, this, "AddTabStopBtn", "Ajo&uter...", 150, 28, 90);
    EditTabStopBtn = MakeDlgButton(this, this, "EditTabStopBtn", "M&odifier...", 150, 58, 90);
    DeleteTabStopBtn = MakeDlgButton(this, this, "DeleteTabStopBtn", "&Supprimer", 150, 88, 90);
    DefaultTabStopUpDownEdit = MakeDlgUpDown(this, this, "DefaultTabStopUpDownEdit", 150, 210, 90);
    TLabel* defaultLabel = MakeDlgLabel(this, this, "Taquets par &défaut :", 10, 214, DefaultTabStopUpDownEdit);

    TGroupBox* alignment = MakeDlgGroup(this, this, "Alignement", 256, 10, 134, 130);
    LeftAlignmentRadioBtn = MakeDlgRadio(this, alignment, "LeftAlignmentRadioBtn", "&Gauche", 10, 20, 110);
    CenterAlignmentRadioBtn = MakeDlgRadio(this, alignment, "CenterAlignmentRadioBtn", "&Centré", 10, 41, 110);
    RightAlignmentRadioBtn = MakeDlgRadio(this, alignment, "RightAlignmentRadioBtn", "D&roite", 10, 62, 110);
    DecimalAlignmentRadioBtn = MakeDlgRadio(this, alignment, "DecimalAlignmentRadioBtn", "Déci&mal", 10, 83, 110);
    BarAlignmentRadioBtn = MakeDlgRadio(this, alignment, "BarAlignmentRadioBtn", "&Barre", 10, 104, 110);
    TGroupBox* leaders = MakeDlgGroup(this, this, "Points de suite", 256, 146, 134, 110);
    NoneLeaderRadioBtn = MakeDlgRadio(this, leaders, "NoneLeaderRadioBtn", "&1 Aucun", 10, 20, 110);
    DotsLeaderRadioBtn = MakeDlgRadio(this, leaders, "DotsLeaderRadioBtn", "&2 ..........", 10, 41, 110);
    HyphenLeaderRadioBtn = MakeDlgRadio(this, leaders, "HyphenLeaderRadioBtn", "&3 ----------", 10, 62, 110);
    UnderlineLeaderRadioBtn = MakeDlgRadio(this, leaders, "UnderlineLeaderRadioBtn", "&4 _____", 10, 83, 110);

    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    DlgButtons().PlaceButtons();

    if (FHideDefault) {
        defaultLabel->SetVisible(false);
        DefaultTabStopUpDownEdit->SetVisible(false);
    }
    SetupLengthEdit(*DefaultTabStopUpDownEdit, FUnit, 15, MaxTabLimit);
    DefaultTabStopUpDownEdit->Increment = 10;
    DefaultTabStopUpDownEdit->RangeCheck = false;
    DefaultTabStopUpDownEdit->SetValue(TwipsToUnits(FUnit, FRecord[0]));
    DefaultTabStopUpDownEdit->RangeCheck = true;
    FDefaultText = DefaultTabStopUpDownEdit->Text();

    TabStopListBox->OnClick = [this](TControl*) { UpdateControls(); };
    TabStopListBox->OnDblClick = [this](TControl*) { EditTabStopBtnClick(); };
    AddTabStopBtn->OnClick = [this](TControl*) { AddTabStopBtnClick(); };
    EditTabStopBtn->OnClick = [this](TControl*) { EditTabStopBtnClick(); };
    DeleteTabStopBtn->OnClick = [this](TControl*) { DeleteTabStopBtnClick(); };
    for (TRadioButton* button :
         {LeftAlignmentRadioBtn, CenterAlignmentRadioBtn, RightAlignmentRadioBtn, DecimalAlignmentRadioBtn,
          BarAlignmentRadioBtn, NoneLeaderRadioBtn, DotsLeaderRadioBtn, HyphenLeaderRadioBtn, UnderlineLeaderRadioBtn})
        button->OnClick = [this](TControl*) { ControlsChange(); };
    FillList();
    UpdateControls();
}

void TEditTabsForm::FillList()
{
    TabStopListBox->Items().Clear();
    for (int32_t i = 0; i < FTable.Count(); ++i)
        TabStopListBox->Items().Add(FormatTwipsIn(FUnit, TabStopPosition(FTable.Stops(i))));
    if (FTable.Count() > 0)
        TabStopListBox->SetItemIndex(0);
}

TTabStop TEditTabsForm::SelectedStop() const
{
    const int32_t index = TabStopListBox->ItemIndex();
    return index >= 0 && index < FTable.Count() ? FTable.Stops(index) : 0;
}

void TEditTabsForm::UpdateControls()
{
    FUpdating = true;
    const bool any = FTable.Count() > 0 && TabStopListBox->ItemIndex() >= 0;
    const TTabStop stop = SelectedStop();
    const bool bar = any && TabStopKind(stop) == tkBar;
    TRadioButton* kinds[] = {LeftAlignmentRadioBtn, CenterAlignmentRadioBtn, RightAlignmentRadioBtn,
                             DecimalAlignmentRadioBtn, BarAlignmentRadioBtn};
    TRadioButton* leaders[] = {NoneLeaderRadioBtn, DotsLeaderRadioBtn, HyphenLeaderRadioBtn, UnderlineLeaderRadioBtn};
    for (int32_t i = 0; i < 5; ++i) {
        kinds[i]->SetEnabled(any);
        kinds[i]->SetChecked(any && TabStopKind(stop) == i);
    }
    for (int32_t i = 0; i < 4; ++i) {
        leaders[i]->SetEnabled(any && !bar);
        leaders[i]->SetChecked(any && !bar && TabStopLeader(stop) == i);
    }
    EditTabStopBtn->SetEnabled(FTable.Count() > 0);
    DeleteTabStopBtn->SetEnabled(FTable.Count() > 0);
    FUpdating = false;
}

void TEditTabsForm::ControlsChange()
{
    if (FUpdating)
        return;
    const int32_t index = TabStopListBox->ItemIndex();
    if (index < 0 || index >= FTable.Count())
        return;
    const TTabStop old = FTable.Stops(index);
    int32_t position = 0;
    uint8_t kind = 0, leader = 0;
    UnpackTabStop(old, position, kind, leader);
    const uint8_t newKind = LeftAlignmentRadioBtn->Checked()      ? tkLeft
                            : CenterAlignmentRadioBtn->Checked()  ? tkCenter
                            : RightAlignmentRadioBtn->Checked()   ? tkRight
                            : DecimalAlignmentRadioBtn->Checked() ? tkDecimal
                                                                  : tkBar;
    // A bar stop keeps the leader it had: its buttons show none.
    if (kind != tkBar)
        leader = NoneLeaderRadioBtn->Checked()     ? 0
                 : DotsLeaderRadioBtn->Checked()   ? 1
                 : HyphenLeaderRadioBtn->Checked() ? 2
                                                   : 3;
    std::vector<TTabStop> stops = FTable.StopList();
    stops[static_cast<size_t>(index)] = PackTabStop(position, newKind, leader);
    FTable.Clear();
    for (TTabStop stop : stops)
        FTable.AddTab(stop);
    UpdateControls();
}

void TEditTabsForm::SelectPosition(int32_t position)
{
    const int32_t index = FTable.IndexOfPosition(position);
    if (index >= 0)
        TabStopListBox->SetItemIndex(index);
    UpdateControls();
}

void TEditTabsForm::AddTabStopBtnClick()
{
    if (FTable.Count() >= MaxTabStops) {
        ShowWarning("Le nombre de taquets de tabulation dans une table de tabulations ne peut pas dépasser " +
                    std::to_string(MaxTabStops) + ".");
        return;
    }
    int32_t stop = NotSet;
    if (!ExecuteEditTabStopDialog(stop))
        return;
    const int32_t position = TabStopPosition(static_cast<TTabStop>(stop));
    if (!FTable.HasTabAt(position)) {
        FTable.AddTab(PackTabStop(position, tkLeft, 0));
        FTable.Sort();
        FillList();
    }
    SelectPosition(position);
}

void TEditTabsForm::EditTabStopBtnClick()
{
    const int32_t index = TabStopListBox->ItemIndex();
    if (index < 0 || index >= FTable.Count())
        return;
    const TTabStop old = FTable.Stops(index);
    int32_t stop = static_cast<int32_t>(old);
    if (!ExecuteEditTabStopDialog(stop))
        return;
    int32_t oldPosition = 0;
    uint8_t kind = 0, leader = 0;
    UnpackTabStop(old, oldPosition, kind, leader);
    const int32_t position = TabStopPosition(static_cast<TTabStop>(stop));
    std::vector<TTabStop> stops = FTable.StopList();
    stops.erase(stops.begin() + index);
    FTable.Clear();
    for (TTabStop s : stops)
        FTable.AddTab(s);
    // Moved onto another stop, the two merge: the other keeps its kind and leader.
    if (!FTable.HasTabAt(position)) {
        FTable.AddTab(PackTabStop(position, kind, leader));
        FTable.Sort();
    }
    FillList();
    SelectPosition(position);
}

void TEditTabsForm::DeleteTabStopBtnClick()
{
    const int32_t index = TabStopListBox->ItemIndex();
    if (index < 0 || index >= FTable.Count())
        return;
    std::vector<TTabStop> stops = FTable.StopList();
    stops.erase(stops.begin() + index);
    FTable.Clear();
    for (TTabStop s : stops)
        FTable.AddTab(s);
    FillList();
    UpdateControls();
}

void TEditTabsForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (!FHideDefault) {
        if (!DefaultTabStopUpDownEdit->IsValueValid()) {
            DefaultTabStopUpDownEdit->ReportInvalidValue();
            return;
        }
        // An untouched interval comes back exactly.
        if (DefaultTabStopUpDownEdit->Text() != FDefaultText)
            FRecord[0] = LengthEditTwips(*DefaultTabStopUpDownEdit, FUnit);
    }
    FRecord[1] = FManager.AddTable(FTable);
    SetModalResult(mrOk);
}

bool ExecuteEditTabsDialog(TTabsDialogRecord& record, TTabManager& manager, int32_t preselectIndex, bool hideDefault)
{
    auto form = std::make_unique<TEditTabsForm>(nullptr, record, manager, hideDefault);
    if (preselectIndex != NotSet && preselectIndex >= 0 && preselectIndex < form->TabStopListBox->Items().Count()) {
        form->TabStopListBox->SetItemIndex(preselectIndex);
    }
    if (form->ShowModal() != mrOk)
        return false;
    record = form->Record();
    return true;
}

bool FormatTabsWithDialog(TDocument& document)
{
    TTextRange range{document.Selection().Start, document.Selection().End};
    TParFormat common;
    document.GetCommonParFormat(range, common, false);
    TTabsDialogRecord record{};
    record.fill(NotSet);
    record[0] = document.TabManager().DefaultInterval();
    record[1] = common[pfTabTable] == NotSet ? -1 : common[pfTabTable];
    const TTabsDialogRecord original = record;
    if (!ExecuteEditTabsDialog(record, document.TabManager(), NotSet, false))
        return false;
    TTabChange change;
    change.DefaultInterval = record[0] != original[0] ? record[0] : NotSet;
    // A table left as it was is not applied: over paragraphs with different
    // tables (shown as an empty one) each keeps its own.
    change.TableIndex = record[1] != original[1] ? record[1] : NotSet;
    change.Range = range;
    if (change.DefaultInterval != NotSet || change.TableIndex != NotSet)
        document.ExecuteOperation(docFormatTabs, {&change});
    return true;
}
