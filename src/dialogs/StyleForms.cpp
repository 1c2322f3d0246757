#include "dialogs/StyleForms.h"

#include "dialogs/DialogControls.h"
#include "dialogs/FontFormatForm.h"
#include "dialogs/ParFormatForm.h"
#include "dialogs/TabStopForms.h"
#include "document/model/Document.h"
#include "document/model/Section.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/NotSet.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/SharedManagersHost.h"
#include "foundation/managers/StyleManager.h"
#include "foundation/managers/TabManager.h"
#include "platform/framework/Canvas.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <memory>

namespace {

// The style indexes of a list sorted by display name (locale order, without
// regard to case).
std::vector<int32_t> SortedByName(const TStyleList& list)
{
    std::vector<int32_t> order;
    for (int32_t i = 0; i < list.Count(); ++i)
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return AnsiCompareText(list[a].DisplayName, list[b].DisplayName) < 0;
    });
    return order;
}

bool Contains(const std::vector<int32_t>& values, int32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

void Identify(TStyleList& list)
{
    if (TStyleManager* manager = GetStyleManager())
        manager->IdentifyStandardStyles(list);
    else
        IdentifyStandardStyles(list);
}

std::string HotKeyText(int32_t code)
{
    return SharedManagersHost().HotKeyToText(code);
}

bool ViewAsListOption = false;

// The Ctrl modifier of a shortcut-key code.
constexpr int32_t HotKeyCtrlBit = 0x4000;

}  // namespace

bool& StyleListViewAsList()
{
    return ViewAsListOption;
}

// --- TEditStyleForm ----------------------------------------------------------------------

TEditStyleForm::TEditStyleForm(TComponent* owner, TStyle& style, int32_t index, bool nameAlwaysEditable)
    : TStandardDialogForm(owner), FStyle(style), FList(*style.Owner), FIndex(index), FStartHotKey(style.HotKey)
{
    SetName("EditStyleForm");
    SetCaption("Caractéristiques du style");
    SetHelpTopic(13000);
    Position = TPosition::poScreenCenter;
    SetClientSize(440, 290);

    StyleNameEdit = new TEdit(this);
    StyleNameEdit->SetName("StyleNameEdit");
    StyleNameEdit->SetParent(this);
    StyleNameEdit->SetBounds(190, 10, 240, 21);
    MakeDlgLabel(this, this, "&Nom :", 10, 14, StyleNameEdit);
    BasedOnComboBox = MakeDlgCombo(this, this, "BasedOnComboBox", 190, 38, 240, {});
    MakeDlgLabel(this, this, "&Basé sur :", 10, 42, BasedOnComboBox);
    NextStyleComboBox = MakeDlgCombo(this, this, "NextStyleComboBox", 190, 66, 240, {});
    MakeDlgLabel(this, this, "&Style du paragraphe suivant :", 10, 70, NextStyleComboBox);
    // The shortcut is shown; it is kept as the style has it.
    HotKeyEdit = new TEdit(this);
    HotKeyEdit->SetName("HotKey");
    HotKeyEdit->SetParent(this);
    HotKeyEdit->SetBounds(190, 94, 240, 21);
    HotKeyEdit->ReadOnly = true;
    MakeDlgLabel(this, this, "&Touches de raccourci :", 10, 98, HotKeyEdit);
    TGroupBox* description = MakeDlgGroup(this, this, "Description", 10, 124, 420, 70);
    DescriptionStrLabel = MakeDlgLabel(this, description, "", 10, 20);
    FontFormatBtn = MakeDlgButton(this, this, "FontFormatBtn", "P&olice...", 10, 204, 100);
    ParagraphFormatBtn = MakeDlgButton(this, this, "ParagraphFormatBtn", "P&aragraphe...", 118, 204, 100);
    TabsBtn = MakeDlgButton(this, this, "TabsBtn", "Tab&ulations...", 226, 204, 100);

    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    DlgButtons().PlaceButtons();

    // The styles derived from this one may not become its base.
    FList.GetDerivedStyles(FIndex, FDescendants, true);
    StyleNameEdit->SetEnabled(!FStyle.Standard || nameAlwaysEditable);
    BasedOnComboBox->SetEnabled(FIndex != 0);
    const std::vector<int32_t> sorted = SortedByName(FList);
    FBasedOnStyles.push_back(-1);
    BasedOnComboBox->Items().Add("Aucun(e)");
    for (int32_t i : sorted) {
        if (i == FIndex)
            continue;
        FBasedOnStyles.push_back(i);
        BasedOnComboBox->Items().Add(FList[i].DisplayName);
    }
    for (int32_t i : sorted) {
        FNextStyles.push_back(i);
        NextStyleComboBox->Items().Add(i == FIndex ? FStyle.DisplayName : FList[i].DisplayName);
    }

    StyleNameEdit->OnChange = [this](TControl*) { StyleNameEditChange(); };
    BasedOnComboBox->OnChange = [this](TControl*) { BasedOnComboBoxChange(); };
    NextStyleComboBox->OnChange = [this](TControl*) { NextStyleComboBoxChange(); };
    FontFormatBtn->OnClick = [this](TControl*) { FontFormatBtnClick(); };
    ParagraphFormatBtn->OnClick = [this](TControl*) { ParagraphFormatBtnClick(); };
    TabsBtn->OnClick = [this](TControl*) { TabsBtnClick(); };
    Refresh();
    SetActiveControl(StyleNameEdit->Enabled() ? static_cast<TWinControl*>(StyleNameEdit) : FontFormatBtn);
}

int32_t TEditStyleForm::ComboStyle(const TComboBox& combo, int32_t item) const
{
    const std::vector<int32_t>& styles = &combo == BasedOnComboBox ? FBasedOnStyles : FNextStyles;
    return item >= 0 && item < static_cast<int32_t>(styles.size()) ? styles[static_cast<size_t>(item)] : -1;
}

int32_t TEditStyleForm::ComboItemOf(const TComboBox& combo, int32_t styleIndex) const
{
    const std::vector<int32_t>& styles = &combo == BasedOnComboBox ? FBasedOnStyles : FNextStyles;
    const auto found = std::find(styles.begin(), styles.end(), styleIndex);
    return found == styles.end() ? (&combo == BasedOnComboBox ? 0 : -1)
                                 : static_cast<int32_t>(found - styles.begin());
}

void TEditStyleForm::Refresh()
{
    FUpdating = true;
    if (StyleNameEdit->Text() != FStyle.DisplayName)
        StyleNameEdit->SetText(FStyle.DisplayName);
    BasedOnComboBox->SetItemIndex(ComboItemOf(*BasedOnComboBox, FStyle.BasedOn));
    NextStyleComboBox->SetItemIndex(ComboItemOf(*NextStyleComboBox, FStyle.NextStyle));
    HotKeyEdit->SetText(HotKeyText(FStyle.HotKey));
    DescriptionStrLabel->SetCaption(FStyle.GetDescription(true));
    FUpdating = false;
}

void TEditStyleForm::StyleNameEditChange()
{
    if (FUpdating)
        return;
    FStyle.Name = StyleNameEdit->Text();
    FStyle.DisplayName = StyleNameEdit->Text();
    const int32_t item = ComboItemOf(*NextStyleComboBox, FIndex);
    if (item >= 0) {
        const int32_t chosen = NextStyleComboBox->ItemIndex();
        NextStyleComboBox->Items().SetStrings(item, FStyle.DisplayName);
        NextStyleComboBox->SetItemIndex(chosen);
    }
}

void TEditStyleForm::BasedOnComboBoxChange()
{
    if (FUpdating)
        return;
    const int32_t chosen = ComboStyle(*BasedOnComboBox, BasedOnComboBox->ItemIndex());
    if (chosen >= 0 && Contains(FDescendants, chosen)) {
        ShowMessageDlg("Le style \"" + FList[chosen].DisplayName + "\" est un dérivé du style \"" +
                           FStyle.DisplayName + "\" et ne peut être choisi comme base pour le style \"" +
                           FStyle.DisplayName + "\".",
                       mtWarning, mbOK);
        Refresh();
        return;
    }
    FStyle.BasedOn = chosen;
    Refresh();
}

void TEditStyleForm::NextStyleComboBoxChange()
{
    if (FUpdating)
        return;
    const int32_t chosen = ComboStyle(*NextStyleComboBox, NextStyleComboBox->ItemIndex());
    if (chosen >= 0)
        FStyle.NextStyle = chosen;
    Refresh();
}

void TEditStyleForm::FontFormatBtnClick()
{
    TCharFormat format = FStyle.CharFormat;
    if (!ExecuteFontFormatDialog(format, fffAllowUndefined, 14000))
        return;
    format[cfHighlight] = NotSet;
    format[21] = NotSet;
    FStyle.CharFormat = format;
    Refresh();
}

void TEditStyleForm::ParagraphFormatBtnClick()
{
    TPageParams page;
    if (TDocument* document = FList.Document())
        document->GetCaretPageParams(page);
    TParFormat format = FStyle.ParFormat;
    if (!ExecuteParFormatDialog(format, page, pffAllowUndefined, 15000))
        return;
    format[15] = NotSet;
    // The style's own number and tab table stay as they are.
    format[pfStyle] = FStyle.ParFormat[pfStyle];
    format[pfTabTable] = FStyle.ParFormat[pfTabTable];
    FStyle.ParFormat = format;
    Refresh();
}

void TEditStyleForm::TabsBtnClick()
{
    TTabManager* manager = FList.TabManager();
    if (!manager)
        return;
    TTabsDialogRecord record{};
    record[0] = manager->DefaultInterval();
    record[1] = FStyle.ParFormat[pfTabTable] == NotSet ? -1 : FStyle.ParFormat[pfTabTable];
    if (!ExecuteEditTabsDialog(record, *manager, NotSet, true))
        return;
    FStyle.ParFormat[pfTabTable] = record[1] == -1 ? NotSet : record[1];
    Refresh();
}

bool TEditStyleForm::Validate()
{
    const std::string name = StyleNameEdit->Text();
    auto refuse = [&](const std::string& text, TWinControl* focus) {
        ShowMessageDlg(text, mtWarning, mbOK);
        if (focus->CanFocus())
            focus->SetFocus();
        return false;
    };
    if (name.empty())
        return refuse("La zone de nom de style ne peut pas être laissée en blanc. Précisez un style, s'il vous plaît.",
                      StyleNameEdit);
    if (static_cast<int32_t>(name.size()) > MaxStyleNameLength)
        return refuse("Un nom de style ne peut excéder " + std::to_string(MaxStyleNameLength) + " caractères.",
                      StyleNameEdit);
    for (int32_t i = 0; i < FList.Count(); ++i) {
        if (i == FIndex)
            continue;
        const TStyle& other = FList[i];
        if (AnsiCompareText(other.DisplayName, name) == 0)
            return refuse("Le style \"" + name + "\" est déjà présent dans la liste de styles en cours d'édition.",
                          StyleNameEdit);
        if (AnsiCompareText(other.Name, name) == 0)
            return refuse("Le style \"" + name + "(" + other.DisplayName +
                              ")\" est déjà présent dans la liste de styles en cours d'édition.",
                          StyleNameEdit);
    }
    const int32_t hotKey = FStyle.HotKey;
    if (hotKey != 0) {
        for (int32_t i = 0; i < FList.Count(); ++i)
            if (i != FIndex && FList[i].HotKey == hotKey) {
                FStyle.HotKey = FStartHotKey;
                Refresh();
                return refuse("Le raccourci clavier \"" + HotKeyText(hotKey) +
                                  "\" est déjà attribué au style \"" + FList[i].DisplayName +
                                  "\" dans la liste en cours d'édition.",
                              HotKeyEdit);
            }
        TStyleDialogServices& services = StyleDialogServices();
        const std::string command = services.FindCommandByHotKey ? services.FindCommandByHotKey(hotKey) : "";
        if (!command.empty()) {
            if (ShowMessageDlg("Le raccourci clavier \"" + HotKeyText(hotKey) + "\" est déjà attribué à la commande \"" +
                                   command + "\".||Voulez-vous attribuer ce raccourci clavier au style \"" + name +
                                   "\" ? La commande \"" + command + "\" n'aurait alors plus de raccourci clavier.",
                               mtConfirmation, mbYesNo) != mrYes) {
                FStyle.HotKey = FStartHotKey;
                Refresh();
                return false;
            }
            if (services.RemoveCommandHotKey)
                services.RemoveCommandHotKey(hotKey);
        } else if ((hotKey & HotKeyCtrlBit) == 0 && services.IsReservedHotKey && services.IsReservedHotKey(hotKey)) {
            FStyle.HotKey = FStartHotKey;
            Refresh();
            return refuse("Le raccourci clavier \"" + HotKeyText(hotKey) +
                              "\" est réservé. Veuillez choisir un autre raccourci.",
                          HotKeyEdit);
        }
    }
    return true;
}

void TEditStyleForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (Validate())
        SetModalResult(mrOk);
}

bool ExecuteEditStyleDialog(TStyle& style, int32_t index, bool nameAlwaysEditable)
{
    auto form = std::make_unique<TEditStyleForm>(nullptr, style, index, nameAlwaysEditable);
    return form->ShowModal() == mrOk;
}

// --- TImportStylesForm ---------------------------------------------------------------------

TImportStylesForm::TImportStylesForm(TComponent* owner, TStyleList& destination) : TEldravinForm(owner)
{
    SetName("ImportStylesForm");
    SetCaption("Importer des styles");
    Position = TPosition::poScreenCenter;
    SetClientSize(460, 300);
    TLabel* intro = MakeDlgLabel(this, this, "Choisissez un document ou un modèle, puis les styles à importer.", 10, 10);
    intro->Font().SetStyle(fsBold);
    SourceStyleListListBox = new TListBox(this);
    SourceStyleListListBox->SetName("SourceStyleListListBox");
    SourceStyleListListBox->SetParent(this);
    SourceStyleListListBox->SetBounds(10, 52, 215, 200);
    MakeDlgLabel(this, this, "D&ocuments et modèles :", 10, 34, SourceStyleListListBox);
    StylesToImportListBox = new TListBox(this);
    StylesToImportListBox->SetName("StylesToImportListBox");
    StylesToImportListBox->SetParent(this);
    StylesToImportListBox->MultiSelect = true;
    StylesToImportListBox->SetBounds(235, 52, 215, 200);
    MakeDlgLabel(this, this, "&Styles à importer :", 235, 34, StylesToImportListBox);
    ImportStylesBtn = MakeDlgButton(this, this, "ImportStylesBtn", "&Importer", 290, 266, 78);
    ImportStylesBtn->SetDefault(true);
    CancelBtn = MakeDlgButton(this, this, "CancelBtn", "Annuler", 372, 266, 78);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;

    if (StyleDialogServices().ListStyleSources)
        FSources = StyleDialogServices().ListStyleSources(*destination.Document());
    for (const TStyleSource& source : FSources)
        SourceStyleListListBox->Items().Add(source.Caption);
    SourceStyleListListBox->OnClick = [this](TControl*) { SourceStyleListListBoxClick(); };
    ImportStylesBtn->OnClick = [this](TControl*) { ImportStylesBtnClick(); };
    SetActiveControl(SourceStyleListListBox);
}

TImportStylesForm::~TImportStylesForm() = default;

TDocument* TImportStylesForm::Source() const
{
    return FSource;
}

void TImportStylesForm::SourceStyleListListBoxClick()
{
    const int32_t index = SourceStyleListListBox->ItemIndex();
    if (index < 0 || index >= static_cast<int32_t>(FSources.size()))
        return;
    FLoaded.reset();
    FSource = nullptr;
    FListed.clear();
    StylesToImportListBox->Items().Clear();
    const TStyleSource& source = FSources[static_cast<size_t>(index)];
    if (source.Open) {
        FSource = source.Open;
    } else if (source.Load) {
        FLoaded = source.Load();
        FSource = FLoaded.get();
    }
    if (!FSource)
        return;
    const TStyleList& styles = FSource->Styles();
    for (int32_t i : SortedByName(styles)) {
        FListed.push_back(i);
        StylesToImportListBox->Items().Add(styles[i].DisplayName);
    }
}

void TImportStylesForm::ImportStylesBtnClick()
{
    FChosen.clear();
    for (int32_t i = 0; i < StylesToImportListBox->Items().Count(); ++i)
        if (StylesToImportListBox->Selected(i))
            FChosen.push_back(FListed[static_cast<size_t>(i)]);
    if (FChosen.empty() || !FSource) {
        ShowMessageDlg("S'il vous plaît, veuillez préciser les styles devant être importés.", mtInformation, mbOK);
        if (StylesToImportListBox->CanFocus())
            StylesToImportListBox->SetFocus();
        return;
    }
    std::sort(FChosen.begin(), FChosen.end());
    SetModalResult(mrOk);
}

bool ExecuteImportStylesDialog(TStyleList& destination, TImportStylesInfo& request,
                               std::unique_ptr<TDocument>& loadedSource)
{
    auto form = std::make_unique<TImportStylesForm>(nullptr, destination);
    if (form->ShowModal() != mrOk)
        return false;
    request.Source = &form->Source()->Styles();
    request.Chosen = form->Chosen();
    loadedSource = form->TakeLoaded();
    return true;
}

// --- TEditStyleListForm ----------------------------------------------------------------------

// Working fields of the styles while the editor runs: PreviousIndex holds
// the starting index (-1 for a style made or imported here), EditMark 1 for
// a changed style.
TEditStyleListForm::TEditStyleListForm(TComponent* owner, TStyleList& working, TFormatStyleListInfo& info)
    : TStandardDialogForm(owner), FList(working), FInfo(info)
{
    SetName("EditStyleListForm");
    SetCaption("Styles du document");
    SetHelpTopic(12000);
    Position = TPosition::poScreenCenter;
    SetClientSize(470, 330);

    StyleTreeView = new TListBox(this);
    StyleTreeView->SetName("StyleTreeView");
    StyleTreeView->SetParent(this);
    StyleTreeView->Style = TListBoxStyle::lbOwnerDrawFixed;
    StyleTreeView->SetBounds(10, 28, 240, 200);
    MakeDlgLabel(this, this, "Styl&es :", 10, 10, StyleTreeView);
    TGroupBox* view = MakeDlgGroup(this, this, "Affichage ...", 262, 10, 198, 70);
    ViewAsTreeRadioBtn = MakeDlgRadio(this, view, "ViewAsTreeRadioBtn", "&Arborescence", 10, 20, 170);
    ViewAsListRadioBtn = MakeDlgRadio(this, view, "ViewAsListRadioBtn", "&Liste", 10, 42, 170);
    NewStyleBtn = MakeDlgButton(this, this, "NewStyleBtn", "No&uveau...", 262, 92, 96);
    EditStyleBtn = MakeDlgButton(this, this, "EditStyleBtn", "M&odifier...", 364, 92, 96);
    DeleteStyleBtn = MakeDlgButton(this, this, "DeleteStyleBtn", "&Supprimer", 262, 122, 96);
    ImportStylesBtn = MakeDlgButton(this, this, "ImportStylesBtn", "&Importer...", 364, 122, 96);
    TGroupBox* description = MakeDlgGroup(this, this, "Description", 10, 236, 450, 52);
    StyleDescriptionStrLabel = MakeDlgLabel(this, description, "", 10, 22);

    DlgButtons().SetButtonIndexes("021");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    for (uint8_t kind : {DlgButtonOK, DlgButtonApply})
        if (TDlgButton* button = DlgButtons().Button(kind))
            button->ModalResult = mrNone;
    DlgButtons().PlaceButtons();

    StyleTreeView->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                       TOwnerDrawState state) {
        canvas.Brush().SetColor((state & odSelected) ? clHighlight : clWindow);
        canvas.Font().SetColor((state & odSelected) ? clHighlightText : clWindowText);
        canvas.FillRect(rect);
        if (index >= 0 && index < StyleTreeView->Items().Count())
            canvas.TextOut(rect.Left + 2 + 19 * RowLevel(index), rect.Top + 1, StyleTreeView->Items().Strings(index));
    };
    StyleTreeView->OnClick = [this](TControl*) { StyleTreeViewChange(); };
    StyleTreeView->OnDblClick = [this](TControl*) { DialogButtonClick(DlgButtons().Button(DlgButtonOK)); };
    StyleTreeView->OnMouseDown = [this](TControl*, TMouseButton button, TShiftState, int32_t x, int32_t y) {
        const int32_t row = StyleTreeView->ItemAtPos({x, y}, true);
        if (button == TMouseButton::mbLeft && row >= 0 && RowStyle(row) != 0) {
            FDragged = RowStyle(row);
            StyleTreeView->BeginDrag(false, 5);
        }
    };
    StyleTreeView->OnDragOver = [this](TControl*, TControl* source, int32_t x, int32_t y, TDragState,
                                       bool& accept) {
        const int32_t row = StyleTreeView->ItemAtPos({x, y}, true);
        accept = source == StyleTreeView && row >= 0 && CanDrop(FDragged, RowStyle(row));
    };
    StyleTreeView->OnDragDrop = [this](TControl*, TControl*, int32_t x, int32_t y) {
        const int32_t row = StyleTreeView->ItemAtPos({x, y}, true);
        if (row >= 0 && CanDrop(FDragged, RowStyle(row)))
            DropOn(FDragged, RowStyle(row));
    };
    ViewAsTreeRadioBtn->OnClick = [this](TControl*) { StyleViewRadioBtnsClick(); };
    ViewAsListRadioBtn->OnClick = [this](TControl*) { StyleViewRadioBtnsClick(); };
    NewStyleBtn->OnClick = [this](TControl*) { NewStyleBtnClick(); };
    EditStyleBtn->OnClick = [this](TControl*) { EditStyleBtnClick(); };
    DeleteStyleBtn->OnClick = [this](TControl*) { DeleteStyleBtnClick(); };
    ImportStylesBtn->OnClick = [this](TControl*) { ImportStylesBtnClick(); };

    for (int32_t i = 0; i < FList.Count(); ++i) {
        FList[i].PreviousIndex = i;
        FList[i].EditMark = 0;
    }
    (StyleListViewAsList() ? ViewAsListRadioBtn : ViewAsTreeRadioBtn)->SetChecked(true);
    BuildTree(FInfo.StyleIndex != -1 ? FInfo.StyleIndex : 0);
    SetActiveControl(StyleTreeView);
}

int32_t TEditStyleListForm::SelectedStyle() const
{
    const int32_t row = StyleTreeView->ItemIndex();
    return row >= 0 && row < static_cast<int32_t>(FRows.size()) ? FRows[static_cast<size_t>(row)].Style : -1;
}

int32_t TEditStyleListForm::RowOf(int32_t style) const
{
    for (size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Style == style)
            return static_cast<int32_t>(i);
    return -1;
}

void TEditStyleListForm::AddBranch(int32_t parent, int32_t level, const std::vector<int32_t>& sorted)
{
    for (int32_t i : sorted) {
        const int32_t base = FList[i].BasedOn;
        const bool root = base < 0 || base >= FList.Count() || base == i;
        if ((parent < 0 && root) || (parent >= 0 && !root && base == parent)) {
            if (RowOf(i) >= 0)
                continue;  // a loop in the chain: each style shows once
            FRows.push_back({i, level});
            AddBranch(i, level + 1, sorted);
        }
    }
}

void TEditStyleListForm::BuildTree(int32_t select)
{
    FRows.clear();
    const std::vector<int32_t> sorted = SortedByName(FList);
    if (StyleListViewAsList()) {
        for (int32_t i : sorted)
            FRows.push_back({i, 0});
    } else {
        AddBranch(-1, 0, sorted);
        // Styles caught in a loop of based-on links have no root: shown at the top level.
        for (int32_t i : sorted)
            if (RowOf(i) < 0)
                FRows.push_back({i, 0});
    }
    StyleTreeView->Items().Clear();
    for (const TRow& row : FRows) {
        const std::string& name = FList[row.Style].DisplayName;
        StyleTreeView->Items().Add(row.Style == FInfo.StyleIndex ? ">>> " + name + " <<<" : name);
    }
    StyleTreeView->SetItemIndex(RowOf(select));
    ShowDescription();
}

void TEditStyleListForm::ShowDescription()
{
    const int32_t style = SelectedStyle();
    StyleDescriptionStrLabel->SetCaption(style >= 0 ? FList[style].GetDescription(true) : std::string());
    EditStyleBtn->SetEnabled(style >= 0);
    DeleteStyleBtn->SetEnabled(style >= 0);
}

void TEditStyleListForm::StyleTreeViewChange()
{
    ShowDescription();
}

void TEditStyleListForm::StyleViewRadioBtnsClick()
{
    StyleListViewAsList() = ViewAsListRadioBtn->Checked();
    BuildTree(SelectedStyle());
}

void TEditStyleListForm::MarkChanged(int32_t index, bool withDescendants)
{
    FList[index].EditMark = 1;
    if (!withDescendants)
        return;
    std::vector<int32_t> derived;
    FList.GetDerivedStyles(index, derived, true);
    for (int32_t i : derived)
        FList[i].EditMark = 1;
}

bool TEditStyleListForm::CanDrop(int32_t dragged, int32_t target) const
{
    if (dragged <= 0 || target < 0 || dragged == target || FList[dragged].BasedOn == target)
        return false;
    std::vector<int32_t> derived;
    FList.GetDerivedStyles(dragged, derived, true);
    return !Contains(derived, target);
}

void TEditStyleListForm::DropOn(int32_t dragged, int32_t target)
{
    FList[dragged].BasedOn = target;
    MarkChanged(dragged, true);
    BuildTree(dragged);
}

bool TEditStyleListForm::EditStyle(int32_t index, bool nameAlwaysEditable)
{
    std::unique_ptr<TStyle> copy = TStyle::CreateCopy(&FList, FList[index]);
    if (!ExecuteEditStyleDialog(*copy, index, nameAlwaysEditable))
        return false;
    MarkChanged(index, true);
    const int32_t start = FList[index].PreviousIndex;
    FList[index].Assign(*copy);
    FList[index].PreviousIndex = start;
    FList[index].EditMark = 1;
    Identify(FList);
    BuildTree(index);
    return true;
}

void TEditStyleListForm::NewStyleBtnClick()
{
    const int32_t base = SelectedStyle();
    std::string name;
    for (int32_t n = 1;; ++n) {
        name = "Style " + std::to_string(n);
        if (FList.IndexOfName(name) < 0 && FList.IndexOfDisplayName(name) < 0)
            break;
    }
    auto style = std::make_unique<TStyle>(&FList);
    style->Name = name;
    style->DisplayName = name;
    style->BasedOn = base;
    const int32_t index = FList.Add(std::move(style));
    FList[index].NextStyle = index;
    FList[index].PreviousIndex = -1;
    FList[index].EditMark = 0;
    Identify(FList);
    BuildTree(index);
    if (!EditStyle(index, false)) {
        FList.Delete(index);
        BuildTree(base);
    }
}

void TEditStyleListForm::EditStyleBtnClick()
{
    const int32_t style = SelectedStyle();
    if (style >= 0)
        EditStyle(style, false);
}

void TEditStyleListForm::DeleteStyleBtnClick()
{
    const int32_t style = SelectedStyle();
    if (style < 0)
        return;
    const std::string name = FList[style].DisplayName;
    if (style == 0) {
        ShowMessageDlg("Le style \"" + name + "\" est le style par défaut et ne peut pas être supprimé.", mtWarning,
                       mbOK);
        return;
    }
    const int32_t answer =
        ShowMessageDlg("Supprimer le style \"" + name + "\" ainsi que tous ses dérivés ?", mtConfirmation,
                       mbYesNoCancel);
    if (answer != mrYes && answer != mrNo)
        return;
    std::vector<int32_t> doomed{style};
    std::vector<int32_t> derived;
    FList.GetDerivedStyles(style, derived, true);
    if (answer == mrYes)
        doomed.insert(doomed.end(), derived.begin(), derived.end());
    else
        for (int32_t i : derived)
            FList[i].EditMark = 1;
    int32_t select = FList[style].BasedOn;
    if (select < 0 || select >= FList.Count())
        select = 0;
    const int32_t selectStart = FList[select].PreviousIndex;
    for (int32_t i : doomed) {
        const int32_t start = FList[i].PreviousIndex;
        if (start < 0)
            continue;
        FInfo.Deleted.push_back(start);
        if (FInfo.StyleIndex == start)
            FInfo.StyleIndex = -1;
    }
    // The marked style of the selection follows its style down the list.
    if (FInfo.StyleIndex > 0) {
        int32_t below = 0;
        for (int32_t i : doomed)
            if (i < FInfo.StyleIndex)
                ++below;
        FInfo.StyleIndex -= below;
    }
    std::sort(doomed.begin(), doomed.end());
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        FList.Delete(*it);
    int32_t newSelect = 0;
    for (int32_t i = 0; i < FList.Count(); ++i)
        if (selectStart >= 0 && FList[i].PreviousIndex == selectStart)
            newSelect = i;
    BuildTree(newSelect);
}

void TEditStyleListForm::ImportStylesBtnClick()
{
    TImportStylesInfo request(nullptr);
    request.Mode = 1;
    // Only the styles the user picked may replace styles of the list; a
    // style brought along as the base of one never does.
    request.ChosenOnly = 1;
    std::unique_ptr<TDocument> loaded;
    if (!ExecuteImportStylesDialog(FList, request, loaded))
        return;
    const int32_t before = FList.Count();
    std::vector<int32_t> starts;
    for (int32_t i = 0; i < before; ++i)
        starts.push_back(FList[i].PreviousIndex);
    try {
        FList.ImportStyles(request, true);
    } catch (const EAbort&) {
        return;  // cancelled at a question: the list is as it was
    }
    for (int32_t i : request.Added) {
        FList[i].PreviousIndex = -1;
        FList[i].EditMark = 0;
    }
    for (int32_t i : request.Replaced) {
        if (i < before)
            FList[i].PreviousIndex = starts[static_cast<size_t>(i)];
        if (FList[i].PreviousIndex >= 0)
            FList[i].EditMark = 1;
    }
    int32_t select = SelectedStyle();
    if (!request.Added.empty())
        select = request.Added.front();
    else if (!request.Replaced.empty())
        select = request.Replaced.front();
    BuildTree(select);
}

bool TEditStyleListForm::ValidateList()
{
    for (int32_t i = 0; i < FList.Count(); ++i)
        for (int32_t j = i + 1; j < FList.Count(); ++j)
            if (AnsiCompareText(FList[i].DisplayName, FList[j].DisplayName) == 0) {
                ShowMessageDlg("La liste de styles en cours d'édition contient plusieurs styles du même nom \"" +
                                   FList[j].DisplayName +
                                   "\". Ceci n'est pas possible. Renommez le(s) style(s) en double.",
                               mtWarning, mbOK);
                BuildTree(j);
                EditStyle(j, true);
                return false;
            }
    // Names first, over every pair: a shortcut shared by two styles is only
    // a warning, and must not let two styles of one name through.
    for (int32_t i = 0; i < FList.Count(); ++i)
        for (int32_t j = i + 1; j < FList.Count(); ++j)
            if (FList[i].HotKey != 0 && FList[i].HotKey == FList[j].HotKey) {
                ShowMessageDlg("Les styles \"" + FList[i].DisplayName + "\" et \"" + FList[j].DisplayName +
                                   "\" ont le même raccourci clavier ( " + HotKeyText(FList[i].HotKey) + " ).",
                               mtWarning, mbOK);
                return true;
            }
    return true;
}

void TEditStyleListForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (!ValidateList())
        return;
    const bool apply = row && row->Kind() == DlgButtonApply;
    FInfo.StyleIndex = apply ? SelectedStyle() : -1;
    SetModalResult(mrOk);
}

bool ExecuteEditStyleListDialog(TFormatStyleListInfo& info, TStyleList& styles)
{
    auto working = std::make_unique<TStyleList>(styles.Document(), styles.TabManager());
    working->Assign(styles);
    info.Deleted.clear();
    info.Changed.clear();
    {
        auto form = std::make_unique<TEditStyleListForm>(nullptr, *working, info);
        if (form->ShowModal() != mrOk) {
            info.Styles.reset();
            return false;
        }
    }
    // The changed list: edited, re-based, or descendants of those; a style
    // deleted is never also changed.
    for (int32_t i = 0; i < working->Count(); ++i) {
        const TStyle& style = (*working)[i];
        if (style.EditMark && style.PreviousIndex >= 0 && !Contains(info.Deleted, style.PreviousIndex))
            info.Changed.push_back(style.PreviousIndex);
    }
    std::sort(info.Deleted.begin(), info.Deleted.end());
    std::sort(info.Changed.begin(), info.Changed.end());
    bool differs = !info.Deleted.empty() || !info.Changed.empty() || working->Count() != styles.Count();
    if (differs)
        info.Styles = std::move(working);
    else
        info.Styles.reset();
    return true;
}

bool FormatStylesWithDialog(TDocument& document)
{
    auto info = std::make_unique<TFormatStyleListInfo>();
    int32_t first = 0;
    int32_t last = 0;
    document.GetSelectedParagraphs(first, last);
    info->StyleIndex = first >= 0 && first < document.ParagraphCount() ? document.Paragraphs(first).Format[pfStyle] : -1;
    if (info->StyleIndex == NotSet)
        info->StyleIndex = -1;
    if (!ExecuteEditStyleListDialog(*info, document.Styles()))
        return false;
    if (!info->Styles && info->StyleIndex == -1)
        return true;
    info->Apply = info->StyleIndex != -1 ? 1 : 0;
    TTextRange range{document.Selection().Start, document.Selection().End};
    document.ExecuteOperation(docChangeStyleList, {&range, &info});
    return true;
}
