#include "shell/sound/SoundSettingsForm.h"

#include "foundation/MessageDlg.h"
#include "foundation/resources/ResourceStrings.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/StringList.h"
#include "shell/sound/SoundPack.h"

#include <algorithm>

namespace {

constexpr int32_t kCellSize = 16;

TSoundManager& Manager()
{
    return *SoundManager;
}

}  // namespace

TSoundSettingsForm::TSoundSettingsForm(TComponent* owner) : TStandardDialogForm(owner)
{
    SetName("SoundSettingsForm");
    SetCaption("Effets sonores");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetClientSize(442, 341);
    Position = TPosition::poScreenCenter;
    SetHelpTopic(23000);

    TWinControl* parent = this;
    auto label = [this, &parent](const std::string& name, const std::string& caption, int32_t x, int32_t y) {
        auto* l = new TLabel(this);
        l->SetName(name);
        l->SetParent(parent);
        l->SetCaption(caption);
        l->SetLeft(x);
        l->SetTop(y);
        return l;
    };
    auto button = [this, &parent](const std::string& name, const std::string& caption, int32_t x, int32_t y,
                                  int32_t w) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(parent);
        b->SetCaption(caption);
        b->SetBounds(x, y, w, 23);
        return b;
    };
    auto readOnlyEdit = [&parent](TCustomEdit* e, const std::string& name, int32_t x, int32_t y, int32_t w,
                                  int32_t h) {
        e->SetName(name);
        e->SetParent(parent);
        e->SetBounds(x, y, w, h);
        e->ReadOnly = true;
        e->SetColor(clBtnFace);
    };

    SchemeLabel = label("SchemeLabel", "M&odule sonore :", 10, 12);
    SchemeEdit = new TEdit(this);
    readOnlyEdit(SchemeEdit, "SchemeEdit", 104, 9, 156, 21);
    SchemeLabel->SetFocusControl(SchemeEdit);
    BrowseBtn = button("BrowseBtn", "Re&chercher...", 266, 8, 80);
    BrowseBtn->OnClick = [this](TControl*) { BrowseBtnClick(); };
    RemoveBtn = button("RemoveBtn", "S&upprimer", 352, 8, 80);
    RemoveBtn->OnClick = [this](TControl*) { RemoveBtnClick(); };
    DescriptionLabel = label("DescriptionLabel", "&Description :", 10, 40);
    DescriptionMemo = new TMemo(this);
    readOnlyEdit(DescriptionMemo, "DescriptionMemo", 104, 38, 328, 52);
    DescriptionLabel->SetFocusControl(DescriptionMemo);

    EventGroupBox = new TGroupBox(this);
    EventGroupBox->SetName("EventGroupBox");
    EventGroupBox->SetParent(this);
    EventGroupBox->SetCaption("Évènements d'Eldravin");
    EventGroupBox->SetBounds(10, 98, 422, 206);
    // The event controls lie inside the group box.
    parent = EventGroupBox;
    EventListBox = new TListBox(this);
    EventListBox->SetName("EventListBox");
    EventListBox->SetParent(parent);
    EventListBox->Style = TListBoxStyle::lbOwnerDrawFixed;
    EventListBox->IntegralHeight = true;
    EventListBox->SetItemHeight(18);
    EventListBox->SetBounds(10, 18, 236, 182);
    EventListBox->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                      TOwnerDrawState) { DrawLine(canvas, index, rect); };
    EventListBox->OnClick = [this](TControl*) {
        if (FControlsReady)
            RefreshEventControls();
    };
    EventListBox->OnDblClick = [this](TControl*) { PlayBtnClick(); };
    CustSndLbl = label("CustSndLbl", "Son personnalisé :", 256, 18);
    CustSndEdit = new TEdit(this);
    readOnlyEdit(CustSndEdit, "CustSndEdit", 256, 34, 158, 21);
    CustSndBrowseBtn = button("CustSndBrowseBtn", "Pa&rcourir...", 256, 60, 77);
    CustSndBrowseBtn->OnClick = [this](TControl*) { CustSndBrowseBtnClick(); };
    CustSndClearBtn = button("CustSndClearBtn", "A&nnuler", 337, 60, 77);
    CustSndClearBtn->OnClick = [this](TControl*) { CustSndClearBtnClick(); };
    PlayBtn = button("PlayBtn", "Écou&ter", 256, 90, 158);
    PlayBtn->OnClick = [this](TControl*) { PlayBtnClick(); };
    EnableCheckBox = new TCheckBox(this);
    EnableCheckBox->SetName("EnableCheckBox");
    EnableCheckBox->SetParent(parent);
    EnableCheckBox->SetCaption("Acti&vé");
    EnableCheckBox->SetBounds(256, 120, 158, 17);
    EnableCheckBox->OnClick = [this](TControl* sender) { EnableClick(sender); };
    EnableAllBtn = button("EnableAllBtn", "Tout &activer", 256, 146, 158);
    EnableAllBtn->OnClick = [this](TControl* sender) { EnableClick(sender); };
    DisableAllBtn = button("DisableAllBtn", "Tout dé&sactiver", 256, 174, 158);
    DisableAllBtn->OnClick = [this](TControl* sender) { EnableClick(sender); };

    SetSchemeDialog = new TOpenDialog(this);
    SetSchemeDialog->Title = "Choisir un module sonore d'Eldravin";
    SetSchemeDialog->Filter = "Modules sonores (*.esn)|*.esn|Tous fichiers (*.*)|*.*";
    SetSchemeDialog->DefaultExt = "esn";
    SetSchemeDialog->Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;
    OpenWavDialog = new TOpenDialog(this);
    OpenWavDialog->Title = "Choisir un fichier son";
    OpenWavDialog->Filter = "Fichiers son (*.wav)|*.wav|Tous fichiers (*.*)|*.*";
    OpenWavDialog->DefaultExt = "wav";
    OpenWavDialog->Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;

    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    DlgButtons().PlaceButtons();

    FSavedSettings.Assign(Manager().Settings());
    // The state strip, cut into its square cells; the strip's bottom-left
    // pixel colour is drawn transparent.
    TBitmap strip;
    strip.LoadFromResourceName("MEGAPHONE");
    const int32_t cell = strip.Height();
    if (cell > 0) {
        const TColor transparent = strip.Canvas().Pixels(0, cell - 1);
        for (int32_t i = 0; i < strip.Width() / cell; ++i) {
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->SetSize(cell, cell);
            bitmap->Canvas().CopyRect({0, 0, cell, cell}, strip.Canvas(), {i * cell, 0, (i + 1) * cell, cell});
            bitmap->SetTransparentColor(transparent);
            bitmap->SetTransparent(true);
            FCells.push_back(std::move(bitmap));
        }
    }
    RefreshSchemeControls();
    LoadIndexedStrings(LoadResourceData("EVENTNAMES", "EVENTNAMES"), EventListBox->Items());
    if (EventListBox->Items().Count() > 0)
        EventListBox->SetItemIndex(0);
    RefreshEventControls();
}

TSoundSettingsForm::~TSoundSettingsForm() = default;

TEventId TSoundSettingsForm::LineEventId(int32_t index) const
{
    if (index < 0 || index >= EventListBox->Items().Count())
        return -1;
    return static_cast<TEventId>(reinterpret_cast<uintptr_t>(EventListBox->Items().Objects(index)));
}

TEventId TSoundSettingsForm::SelectedEventId() const
{
    return LineEventId(EventListBox->ItemIndex());
}

void TSoundSettingsForm::RefreshSchemeControls()
{
    TSoundManager& manager = Manager();
    manager.LoadScheme();
    const TSoundSettings& settings = manager.Settings();
    if (!settings.SoundScheme.empty()) {
        SchemeEdit->SetText(ExtractFileName(settings.SoundScheme));
        RemoveBtn->SetEnabled(true);
        TSoundScheme* scheme = manager.Scheme();
        const bool opened = scheme && scheme->Plugin() && scheme->Plugin()->Elements();
        DescriptionMemo->SetText(opened ? scheme->Plugin()->GetAuthorInfo() : std::string());
        DescriptionMemo->SetEnabled(true);
    } else {
        SchemeEdit->SetText("Aucun(e)");
        RemoveBtn->SetEnabled(false);
        DescriptionMemo->SetText("");
        DescriptionMemo->SetEnabled(false);
    }
    FDescriptionScrollBar = DescriptionMemo->Lines().Count() >= 4;
}

void TSoundSettingsForm::RefreshEventControls()
{
    FControlsReady = false;
    const TEventId id = SelectedEventId();
    TSoundManager& manager = Manager();
    const TSoundOverride* own = manager.Settings().FindOverride(id);
    CustSndEdit->SetText(own ? own->WaveFile : std::string());
    CustSndEdit->SetEnabled(own != nullptr);
    CustSndClearBtn->SetEnabled(own != nullptr);
    PlayBtn->SetEnabled(id != -1 && (own != nullptr || manager.HasSchemeSound(id)));
    EnableCheckBox->SetChecked(!manager.Settings().IsDisabled(id));
    CustSndBrowseBtn->SetEnabled(id != -1);
    EnableCheckBox->SetEnabled(id != -1);
    FControlsReady = true;
}

int32_t TSoundSettingsForm::LineCell(int32_t index) const
{
    TSoundManager& manager = Manager();
    if (!manager.Loaded())
        return -1;
    const TEventId id = LineEventId(index);
    const bool disabled = manager.Settings().IsDisabled(id);
    int32_t cell;
    if (!manager.Settings().GetOverride(id).empty())
        cell = 3;
    else if (manager.Scheme() && manager.Scheme()->HasSound(id))
        cell = 1;
    else
        return disabled ? 0 : -1;
    return disabled ? cell + 1 : cell;
}

void TSoundSettingsForm::DrawLine(TCanvas& canvas, int32_t index, const TRect& rect)
{
    canvas.FillRect(rect);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const int32_t cell = LineCell(index);
    const int32_t cellSize = FCells.empty() ? kCellSize : FCells.front()->Width();
    if (cell >= 0 && cell < static_cast<int32_t>(FCells.size()))
        canvas.Draw(rect.Left + 3, rect.Top + (rect.Bottom - rect.Top - cellSize) / 2, *FCells[static_cast<size_t>(cell)]);
    const std::string text = EventListBox->Items().Strings(index);
    canvas.TextOut(rect.Left + cellSize + 6, rect.Top + (rect.Bottom - rect.Top - canvas.TextHeight(text)) / 2, text);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TSoundSettingsForm::AfterButton()
{
    EventListBox->Invalidate();
    RefreshEventControls();
}

void TSoundSettingsForm::BrowseBtnClick()
{
    const std::string folder = GetCurrentDir();
    SetSchemeDialog->InitialDir = ProgramFolder();
    const bool chosen = SetSchemeDialog->Execute();
    SetCurrentDir(folder);
    if (chosen) {
        Manager().Settings().SoundScheme = SetSchemeDialog->FileName;
        RefreshSchemeControls();
    }
    AfterButton();
}

void TSoundSettingsForm::RemoveBtnClick()
{
    Manager().Settings().SoundScheme.clear();
    RefreshSchemeControls();
    AfterButton();
}

void TSoundSettingsForm::CustSndBrowseBtnClick()
{
    const TEventId id = SelectedEventId();
    const std::string folder = GetCurrentDir();
    const bool chosen = id != -1 && OpenWavDialog->Execute();
    SetCurrentDir(folder);
    if (chosen)
        Manager().Settings().SetOverride(id, OpenWavDialog->FileName);
    AfterButton();
}

void TSoundSettingsForm::CustSndClearBtnClick()
{
    Manager().Settings().ClearOverride(SelectedEventId());
    AfterButton();
}

void TSoundSettingsForm::PlayBtnClick()
{
    TSoundManager& manager = Manager();
    const TEventId id = SelectedEventId();
    const std::string wave = manager.Settings().GetOverride(id);
    if (!wave.empty() || manager.HasSchemeSound(id)) {
        // A pack sound that turns out damaged has no data and is reported
        // like a wave file that cannot be played.
        const std::vector<uint8_t>* data = wave.empty() ? manager.Scheme()->GetSoundData(id) : nullptr;
        if (!manager.PlaySample(wave, data))
            ShowWarning("Impossible de lire ce son.");
    }
    AfterButton();
}

void TSoundSettingsForm::EnableClick(TControl* sender)
{
    if (!FControlsReady)
        return;
    TSoundSettings& settings = Manager().Settings();
    if (sender == EnableCheckBox) {
        const TEventId id = SelectedEventId();
        if (id != -1)
            settings.SetDisabled(id, !settings.IsDisabled(id));
    } else if (sender == EnableAllBtn) {
        settings.DisabledEvents.clear();
    } else if (sender == DisableAllBtn) {
        settings.DisabledEvents.clear();
        for (int32_t i = 0; i < EventListBox->Items().Count(); ++i)
            settings.DisabledEvents.push_back(LineEventId(i));
    }
    AfterButton();
}

void TSoundSettingsForm::DialogButtonClick(TControl* sender)
{
    CloseWithOK(sender);
}

void TSoundSettingsForm::Finish(TModalResult result)
{
    TSoundManager& manager = Manager();
    if (result == mrOk) {
        manager.Settings().Modified = true;
    } else {
        // Cancelled (or closed otherwise): the settings as they were.
        manager.Settings().Assign(FSavedSettings);
        manager.LoadScheme();
    }
}

bool ShowSoundSettingsDialog()
{
    if (!SoundManager)
        return false;
    auto form = std::make_unique<TSoundSettingsForm>(nullptr);
    const TModalResult result = form->ShowModal();
    form->Finish(result);
    return result == mrOk;
}
