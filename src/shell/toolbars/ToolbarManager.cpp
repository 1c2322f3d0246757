#include "shell/toolbars/ToolbarManager.h"

#include "document/model/Document.h"
#include "foundation/MessageDlg.h"
#include "foundation/NotSet.h"
#include "foundation/StringRoutines.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/runtime/Processes.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/ToolBars.h"
#include "platform/runtime/StringList.h"
#include "platform/win/Windows.h"
#include "shell/commands/CommandManager.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/toolbars/ControlCommands.h"
#include "shell/toolbars/ToolbarButtonImages.h"
#include "shell/toolbars/ToolbarControls.h"

#include <algorithm>
#include <cmath>

TToolbarManager* ToolbarManager = nullptr;

const std::vector<TCommandId> TToolbarManager::DropDownCommands = {
    100, 120, 200, 300, 1260, 3360, 3645, 3646, 4020, 3960, 3540, 3560,
    3580, 3600, 3620, 702, 704, 705, 12440, 12445, 15600, 4520, 12160};
const std::vector<TCommandId> TToolbarManager::PainterCommands = {
    702,   209050, 9000,  9080,  9081,  9082,  9083,  9180,  9200,  9220,  9270,   9271,   9272,   9320,
    12000, 705,    12120, 12140, 12160, 12161, 12162, 12163, 12164, 12165, 12166,  12167,  12168,  12170,
    12171, 12180,  12200, 12210, 12215, 12520, 212100, 212200, 212300, 212400, 12150, 12285};

namespace {

constexpr TCommandId cmHighlight = 704;
constexpr TCommandId cmFontColor = 705;
constexpr TCommandId cmUnderlineColor = 12150;
constexpr TCommandId cmFormatBrush = 702;
constexpr TCommandId cmCustomiseToolbar = 6220;
constexpr TCommandId cmHighlightSelection = 12500;
constexpr TCommandId cmColourSelection = 12520;
constexpr int32_t evCommandSetSwitched = 300;
constexpr int32_t evDropDownMenu = 400;
constexpr int32_t SeparatorWidth = 8;
constexpr int32_t TitleHeight = 17;

bool Contains(const std::vector<TCommandId>& list, TCommandId id)
{
    return std::find(list.begin(), list.end(), id) != list.end();
}

bool RadioLike(TCommandId id)
{
    return id == 9080 || id == 9081 || id == 9082 || id == 9083 || id == 9180 || id == 9200 || id == 9220;
}

std::string WithoutAccelerators(const std::string& caption)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                out += '&', ++i;
            continue;
        }
        out += caption[i];
    }
    return out;
}

TCommandId ItemId(const TToolButton& item)
{
    return static_cast<TCommandId>(item.Tag);
}

}  // namespace

bool IsToolbarControl(TCommandId id)
{
    return std::find(std::begin(ToolbarControlIds), std::end(ToolbarControlIds), id) != std::end(ToolbarControlIds);
}

// --- The more-commands popup ------------------------------------------------------------------

TAdditionalCommands_Form::TAdditionalCommands_Form(TComponent* owner, int row) : TForm(owner), Row(row)
{
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetFormStyle(TFormStyle::fsStayOnTop);
    KeyPreview = true;
    OnDeactivate = [this](TControl*) { HidePopup(); };
}

void TAdditionalCommands_Form::HidePopup()
{
    Hide();
    if (Opener)
        Opener->SetDown(false);
}

void TAdditionalCommands_Form::KeyDown(uint16_t& key, TShiftState shift)
{
    if (key == VK_ESCAPE) {
        key = 0;
        HidePopup();
        return;
    }
    TForm::KeyDown(key, shift);
}

void TAdditionalCommands_Form::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(ClientRect());
    // The title strip: a flat button at the right (it customises the row) and
    // a bevel line under it.
    c.Pen().SetColor(clBtnShadow);
    c.MoveTo(0, TitleHeight);
    c.LineTo(ClientWidth(), TitleHeight);
    c.Pen().SetColor(clBtnHighlight);
    c.MoveTo(0, TitleHeight + 1);
    c.LineTo(ClientWidth(), TitleHeight + 1);
    const TRect button{ClientWidth() - 17, 2, ClientWidth() - 3, TitleHeight - 2};
    c.Brush().SetColor(clBtnText);
    const int32_t cx = (button.Left + button.Right) / 2, cy = (button.Top + button.Bottom) / 2;
    for (int i = 0; i < 3; ++i)
        c.FillRect({cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i});
    c.Pen().SetColor(clBtnShadow);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.Rectangle(0, 0, ClientWidth(), ClientHeight());
    c.Brush().SetStyle(TBrushStyle::bsSolid);
}

// --- Number boxes -------------------------------------------------------------------------------

int32_t ParseZoomText(const std::string& text)
{
    std::string t = text;
    while (!t.empty() && (t.back() == ' ' || t.back() == '%'))
        t.pop_back();
    int32_t value = 0;
    if (!TryStrToInt(t, value)) {
        ShowWarning("Le nombre spécifié n'est pas valide.");
        return 0;
    }
    if (value < 10 || value > 500) {
        ShowWarning("Le nombre doit être compris entre 10% et 500%.");
        return 0;
    }
    return value;
}

int32_t ParseSizeText(const std::string& text)
{
    std::string t = Trim(text);
    // Tenths of a point: digits, at most one decimal separator and one decimal.
    int64_t tenths = 0;
    int decimals = -1;
    bool digits = false;
    for (char ch : t) {
        if (ch >= '0' && ch <= '9') {
            if (decimals >= 1)
                continue;  // one decimal place is kept
            tenths = tenths * 10 + (ch - '0');
            digits = true;
            if (decimals >= 0)
                ++decimals;
            if (tenths > 100000000)
                break;
        } else if ((ch == ',' || ch == '.') && decimals < 0) {
            decimals = 0;
        } else {
            digits = false;
            break;
        }
    }
    if (!digits) {
        ShowWarning("Le nombre spécifié n'est pas valide.");
        return 0;
    }
    if (decimals <= 0)
        tenths *= 10;
    const int64_t halfPoints = (tenths + 2) / 5;
    if (halfPoints < 2 || halfPoints > 2000) {
        ShowWarning("Le nombre doit être compris entre 1 et 1000.");
        return 0;
    }
    return static_cast<int32_t>(halfPoints);
}

// --- The manager ----------------------------------------------------------------------------------

TToolbarManager::TToolbarManager(TCommandManager& commands) : FCommands(commands)
{
    FSettings.AlternativeSet = [this] { return AlternativeSet; };
    FSettings.PreviewMode = [this] { return PreviewMode; };
    FRunner = std::make_unique<TControlCommandRunner>(commands);
    ControlCommandRunner = FRunner.get();
    FRunner->ClosePopups = [this] { ClosePopups(); };
    FRunner->MouseMode = [this] { return MouseMode ? MouseMode() : 0; };
    FRunner->UpdateFrameLayout = [this] {
        if (FrameLayout)
            FrameLayout();
    };
    TickSource = [] { return GetTickCount(); };
    FSettings.SetDefaults();
}

TToolbarManager::~TToolbarManager()
{
    SaveSettings();
    for (auto& row : FRows)
        for (TToolBar* bar : row)
            delete bar;
    for (TAdditionalCommands_Form* popup : FPopups)
        delete popup;
    if (ControlCommandRunner == FRunner.get())
        ControlCommandRunner = nullptr;
}

void TToolbarManager::LoadSettings(const std::string& fileName)
{
    FSettingsFileName = fileName;
    FRunner->PainterCharFormat = PainterCharFormat;
    bool loaded = false;
    if (!DontLoadSettings && FileExists(fileName))
        loaded = FSettings.LoadFromFile(fileName);
    if (!loaded)
        FSettings.SetDefaults();
    Ready = true;
}

void TToolbarManager::SaveSettings()
{
    if (!FSettings.Modified || DontSaveSettings || FSettingsFileName.empty())
        return;
    try {
        FSettings.SaveToFile(FSettingsFileName);
        FSettings.Modified = false;
    } catch (const Exception&) {
        // Shutdown goes on: the settings stay as they were stored.
    }
}

TToolbarButtonImages& TToolbarManager::GetButtonImages()
{
    if (!FImages) {
        FImages = std::make_unique<TToolbarButtonImages>();
        FImages->LoadImages(FSettings);
    }
    return *FImages;
}

bool TToolbarManager::IsRowVisible(int row) const
{
    const TSingleToolbarSettings& t = FSettings.Toolbar(row);
    const bool flag = PreviewMode ? t.Visible_Preview : t.Visible;
    const bool full = FullScreen && FullScreen();
    return flag && (!full || row == tbHeaderFooter) && !t.CurrentCommands().empty();
}

int32_t TToolbarManager::GetDockedHeight() const
{
    int32_t height = 0;
    for (int row = 0; row < ToolbarCount; ++row)
        if (IsRowVisible(row) && !FRows[static_cast<size_t>(row)].empty())
            height += FRows[static_cast<size_t>(row)].front()->Height();
    return height;
}

TToolBar* TToolbarManager::NewToolbar(TWinControl* parent)
{
    auto* bar = new TToolBar(nullptr);
    bar->SetParent(parent);
    bar->OnButtonPainted = [this](TToolButton* button, TCanvas& canvas) { ButtonPainted(button, canvas); };
    return bar;
}

void TToolbarManager::RebuildToolbars()
{
    GetButtonImages();
    if (FSettings.LargeButtons && !FImages->LargeNormal())
        FImages->LoadImages(FSettings);
    const bool wasReady = Ready;
    Ready = false;
    for (int row = 0; row < ToolbarCount; ++row) {
        auto& bars = FRows[static_cast<size_t>(row)];
        if (!IsRowVisible(row) || !Frame) {
            for (TToolBar* bar : bars)
                delete bar;
            bars.clear();
            if (FPopups[static_cast<size_t>(row)])
                FPopups[static_cast<size_t>(row)]->Hide();
            continue;
        }
        const TCommandList& list = FSettings.Toolbar(row).CurrentCommands();
        size_t index = 0;
        size_t used = 0;
        while (index < list.size() || used == 0) {
            const bool first = used == 0;
            TWinControl* parent = Frame;
            if (!first) {
                auto& popup = FPopups[static_cast<size_t>(row)];
                if (!popup) {
                    popup = new TAdditionalCommands_Form(nullptr, row);
                    popup->OnCustomise = CustomiseToolbar;
                }
                parent = popup;
            }
            if (used >= bars.size())
                bars.push_back(NewToolbar(parent));
            TToolBar* bar = bars[used];
            if (bar->Parent() != parent)
                bar->SetParent(parent);
            // The first toolbar docks at the top of the frame; the popup
            // places its toolbars itself.
            bar->SetAlign(first ? TAlign::alTop : TAlign::alNone);
            bar->Tag = row;
            const int32_t width =
                first ? std::max<int32_t>(Frame->Width() - 12, 0) : std::max<int32_t>(Screen->Width() / 4, 1);
            if (!first)
                bar->SetWidth(width);
            ++used;
            const size_t before = index;
            FillToolbar(row, *bar, index, first, width);
            if (index == before && !first)
                break;  // nothing fits even on an empty continuation toolbar
        }
        while (bars.size() > used) {
            delete bars.back();
            bars.pop_back();
        }
        LayoutPopup(row);
    }
    Ready = wasReady;
    RefreshToolbarStates();
    if (FrameLayout)
        FrameLayout();
}

void TToolbarManager::LayoutPopup(int row)
{
    TAdditionalCommands_Form* popup = FPopups[static_cast<size_t>(row)];
    if (!popup)
        return;
    const auto& bars = FRows[static_cast<size_t>(row)];
    int32_t y = 4 + TitleHeight;
    int32_t width = 0;
    for (size_t i = 1; i < bars.size(); ++i) {
        bars[i]->SetBounds(3, y, bars[i]->Width(), bars[i]->Height());
        y += bars[i]->Height();
        width = std::max(width, bars[i]->Width());
    }
    popup->SetClientSize(width + 6, y + 4);
    if (bars.size() <= 1)
        popup->Hide();
}

bool TToolbarManager::FillToolbar(int row, TToolBar& bar, size_t& index, bool first, int32_t width)
{
    while (bar.ButtonCount() > 0) {
        TToolButton* b = bar.Buttons(bar.ButtonCount() - 1);
        delete b->Control;
        delete b;
    }
    const bool large = FSettings.LargeButtons;
    TToolbarButtonImages& images = GetButtonImages();
    bar.Images = large ? images.LargeNormal() : images.SmallNormal();
    bar.DisabledImages = large ? images.LargeGrayed() : images.SmallGrayed();
    bar.Flat = FSettings.FlatButtons;
    bar.ButtonWidth = large ? 46 : 23;
    bar.ButtonHeight = large ? 44 : 22;
    bar.SetHeight(bar.ButtonHeight + 6);
    bar.SetColor(clBtnFace);

    const TCommandList& list = FSettings.Toolbar(row).CurrentCommands();
    const bool continuation = !first;
    int32_t used = 0;
    // The list index of each placed item.
    std::vector<size_t> placed;
    size_t i = index;
    for (; i < list.size(); ++i) {
        const TCommandId id = list[i];
        if (continuation && (id == cmToolbarSeparator || id == cmSwitchToolbarCommandSet))
            continue;
        const int32_t before = bar.ButtonCount();
        if (IsToolbarControl(id))
            AddControl(bar, id);
        else
            AddButton(bar, id, continuation);
        TToolButton* item = bar.Buttons(before);
        const int32_t w = item->ItemWidth > 0 ? item->ItemWidth
                          : item->Style == TToolButtonStyle::tbsSeparator ? SeparatorWidth
                                                                           : bar.ButtonWidth;
        if (used + w > width && !(continuation && placed.empty())) {
            delete item->Control;
            delete item;
            break;
        }
        used += w;
        placed.push_back(i);
    }
    const bool all = i >= list.size();
    if (!all && first) {
        auto widthOf = [&](TToolButton* item) {
            return item->ItemWidth > 0 ? item->ItemWidth
                   : item->Style == TToolButtonStyle::tbsSeparator ? SeparatorWidth
                                                                    : bar.ButtonWidth;
        };
        auto removeLast = [&] {
            TToolButton* item = bar.Buttons(bar.ButtonCount() - 1);
            used -= widthOf(item);
            delete item->Control;
            delete item;
            placed.pop_back();
        };
        const int32_t more = large ? 24 : 12;
        while (!placed.empty() && used + more + 3 > width)
            removeLast();
        bool switchPlaced = false;
        for (size_t p : placed)
            switchPlaced = switchPlaced || list[p] == cmSwitchToolbarCommandSet;
        const bool switchListed = Contains(list, cmSwitchToolbarCommandSet);
        if (switchListed && !switchPlaced) {
            const int32_t room = large ? 70 : 35;
            while (!placed.empty() && used + room > width)
                removeLast();
            AddButton(bar, cmSwitchToolbarCommandSet, false);
        }
        AddButton(bar, cmMoreButtons, false);
        TToolButton* moreButton = bar.Buttons(bar.ButtonCount() - 1);
        moreButton->ItemWidth = more;
        bar.ArrangeButtons();
        index = placed.empty() ? index : placed.back() + 1;
        return false;
    }
    index = placed.empty() ? i : placed.back() + 1;
    if (all)
        index = list.size();
    bar.ArrangeButtons();
    return all;
}

std::string TToolbarManager::ItemHint(TCommandId id)
{
    return FCommands.GetCommandText(id, FSettings.ShowHotKeys, false, true);
}

void TToolbarManager::AddButton(TToolBar& bar, TCommandId id, bool /*continuation*/)
{
    auto* button = new TToolButton(&bar);
    button->Tag = id;
    if (id == cmToolbarSeparator) {
        button->Style = TToolButtonStyle::tbsSeparator;
        button->SetToolBar(&bar);
        return;
    }
    TToolbarButtonImages& images = GetButtonImages();
    button->ImageIndex = id == cmMoreButtons ? -1 : images.IndexOfCommand(id);
    if (button->ImageIndex < 0 && id != cmMoreButtons) {
        const std::string caption = WithoutAccelerators(FCommands.GetCommandCaption(id, false));
        button->SetCaption(caption);
        button->ItemWidth = bar.Canvas().TextWidth(caption) + 10;
    }
    if (FSettings.DropDownMenus && Contains(DropDownCommands, id)) {
        button->Style = TToolButtonStyle::tbsDropDown;
        button->ItemWidth = bar.ButtonWidth + bar.ButtonWidth / 2;
        button->OnDropDown = [this](TControl* sender) { DropDown(static_cast<TToolButton*>(sender)); };
    }
    button->SetHint(ItemHint(id));
    button->OnClick = [this](TControl* sender) { ButtonClick(static_cast<TToolButton*>(sender)); };
    button->SetToolBar(&bar);
}

TToolButton* TToolbarManager::AddControl(TToolBar& bar, TCommandId id)
{
    auto* holder = new TToolButton(&bar);
    holder->Tag = id;
    TToolbarComboBox* box = CreateToolbarControl(bar, id);
    box->SetHint(ItemHint(id));
    box->OnInput = [this](TToolbarComboBox& sender) { ControlInput(sender); };
    box->OnEscape = [this](TToolbarComboBox&) {
        if (FocusActiveDocument)
            FocusActiveDocument();
    };
    holder->ItemWidth = box->Width();
    holder->Control = box;
    holder->SetToolBar(&bar);
    return holder;
}

void TToolbarManager::ButtonClick(TToolButton* button)
{
    if (!Ready)
        return;
    const TCommandId id = ItemId(*button);
    if (id == cmMoreButtons) {
        ShowMorePopup(static_cast<int>(button->Parent()->Tag));
        return;
    }
    if (RadioLike(id))
        button->SetDown(true);
    if (FocusActiveDocument)
        FocusActiveDocument();
    if (!(Options & 4))
        ClosePopups();
    FCommands.ExecuteCommand(id);
    RefreshToolbarStates();
}

void TToolbarManager::ShowMorePopup(int row)
{
    TAdditionalCommands_Form* popup = FPopups[static_cast<size_t>(row)];
    const auto& bars = FRows[static_cast<size_t>(row)];
    if (!popup || bars.empty())
        return;
    TToolBar* first = bars.front();
    TToolButton* more = first->ButtonCount() ? first->Buttons(first->ButtonCount() - 1) : nullptr;
    if (!more || ItemId(*more) != cmMoreButtons)
        return;
    more->SetDown(true);
    popup->Opener = more;
    const TPoint bottomRight = more->ClientToScreen({more->Width(), more->Height()});
    popup->SetBounds(bottomRight.X - popup->Width(), bottomRight.Y + 2, popup->Width(), popup->Height());
    popup->Show();
}

void TToolbarManager::ClosePopups()
{
    if (Options & 4)
        return;
    for (TAdditionalCommands_Form* popup : FPopups)
        if (popup && popup->Visible())
            popup->HidePopup();
}

TToolButton* TToolbarManager::FindItem(TCommandId id) const
{
    for (int row = ToolbarCount - 1; row >= 0; --row)
        for (TToolBar* bar : FRows[static_cast<size_t>(row)])
            for (int32_t i = 0; i < bar->ButtonCount(); ++i)
                if (ItemId(*bar->Buttons(i)) == id)
                    return bar->Buttons(i);
    return nullptr;
}

bool TToolbarManager::ActivateControl(TCommandId id)
{
    TToolButton* item = FindItem(id);
    if (!item) {
        bool elsewhere = false;
        for (int row = 0; row < ToolbarCount; ++row) {
            const TSingleToolbarSettings& t = FSettings.Toolbar(row);
            elsewhere = elsewhere || Contains(AlternativeSet ? t.Commands : t.AlternativeCommands, id);
        }
        if (!elsewhere)
            return false;
        ToggleCommandSet();
        item = FindItem(id);
        if (!item)
            return false;
    }
    const int row = static_cast<int>(item->Parent()->Tag);
    const auto& bars = FRows[static_cast<size_t>(row)];
    const bool inPopup = !bars.empty() && item->Parent() != bars.front();
    if (auto* box = dynamic_cast<TToolbarComboBox*>(item->Control)) {
        if (inPopup)
            ShowMorePopup(row);
        box->SetFocus();
        if (box->Style != TComboBoxStyle::csOwnerDrawFixed || true)
            box->SetDroppedDown(true);
        return true;
    }
    if (item->Style == TToolButtonStyle::tbsDropDown && !inPopup) {
        InDropDown = true;
        DropDown(item);
        InDropDown = false;
        return true;
    }
    return false;
}

void TToolbarManager::ToggleCommandSet()
{
    AlternativeSet = !AlternativeSet;
    ToggleState = 0;
    FireEvent(evCommandSetSwitched);
    RebuildToolbars();
}

void TToolbarManager::HandleKeyDown(uint16_t key, TShiftState shift)
{
    if (FullScreen && FullScreen())
        return;
    const TShiftState keys = shift & (ssShift | ssAlt | ssCtrl);
    if (key == VK_CONTROL && keys == ssCtrl) {
        if (ToggleState == 0)
            ToggleState = 1;
        else if (ToggleState == 2)
            ToggleState = 3;
        return;
    }
    ToggleState = 0;
}

void TToolbarManager::HandleKeyUp(uint16_t key, TShiftState shift)
{
    if (FullScreen && FullScreen())
        return;
    const TShiftState keys = shift & (ssShift | ssAlt | ssCtrl);
    if (key == VK_CONTROL && keys == 0) {
        const uint32_t now = TickSource();
        if (ToggleState == 1) {
            ToggleState = 2;
            ToggleTick = now;
            return;
        }
        if (ToggleState == 3) {
            if (now - ToggleTick > GetDoubleClickTime()) {
                ToggleState = 2;
                ToggleTick = now;
            } else {
                ToggleCommandSet();
            }
            return;
        }
    }
    ToggleState = 0;
}

void TToolbarManager::RefreshToolbarStates()
{
    const bool wasReady = Ready;
    Ready = false;
    TDocument* document = FCommands.GetTargetDocument();
    if (FImages) {
        FImages->HighlightColor = LastHighlightColor;
        FImages->FontColor = LastFontColor;
        if (MouseMode && MouseMode() == 2 && PainterCharFormat)
            FImages->FontColor = (*PainterCharFormat)[cfColor] == NotSet ? 0 : (*PainterCharFormat)[cfColor];
    }
    for (int row = 0; row < ToolbarCount; ++row) {
        if (!IsRowVisible(row))
            continue;
        for (TToolBar* bar : FRows[static_cast<size_t>(row)])
            for (int32_t i = 0; i < bar->ButtonCount(); ++i)
                RefreshItem(*bar->Buttons(i), document);
    }
    Ready = wasReady;
}

void TToolbarManager::RefreshItem(TToolButton& item, TDocument* document)
{
    const TCommandId id = ItemId(item);
    if (auto* box = dynamic_cast<TToolbarComboBox*>(item.Control)) {
        box->SetEnabled(FCommands.IsCommandEnabled(id));
        const bool painter = MouseMode && MouseMode() == 2 && PainterCharFormat;
        ShowControlValue(*box, document, painter ? PainterCharFormat : nullptr);
        return;
    }
    if (id < 1 || id > 199999 || id == cmSwitchToolbarCommandSet) {
        if (id == cmSwitchToolbarCommandSet)
            item.SetEnabled(true);
        return;
    }
    item.SetEnabled(FCommands.IsCommandEnabled(id));
    const int32_t state = FCommands.GetCommandState(id);
    // A mixed state shows as not pressed; the button's hint still names it.
    item.SetDown(state == 0);
    item.Invalidate();
}

void TToolbarManager::RefreshToolbars()
{
    for (int row = 0; row < ToolbarCount; ++row)
        if (IsRowVisible(row))
            for (TToolBar* bar : FRows[static_cast<size_t>(row)]) {
                bar->Invalidate();
                for (int32_t i = 0; i < bar->ButtonCount(); ++i) {
                    bar->Buttons(i)->Invalidate();
                    if (bar->Buttons(i)->Control)
                        bar->Buttons(i)->Control->Invalidate();
                }
            }
}

void TToolbarManager::ControlInput(TToolbarComboBox& box)
{
    if (!Ready)
        return;
    Ready = false;
    const bool painter = MouseMode && MouseMode() == 2 && PainterCharFormat;
    TControlValue value;
    if (ReadControlInput(box, FCommands.GetTargetDocument(), painter, value))
        ExecuteControlCommand(box.CommandId, value);
    Ready = true;
    if (box.CommandId == 212300)
        RefreshToolbars();
    if (FocusActiveDocument)
        FocusActiveDocument();
    RefreshToolbarStates();
}

void TToolbarManager::ButtonPainted(TToolButton* button, TCanvas& canvas)
{
    const TCommandId id = ItemId(*button);
    if (id == cmMoreButtons) {
        TBitmap chevron;
        chevron.LoadFromResourceName("MORECOMMANDS");
        chevron.SetTransparentColor(clWhite);
        chevron.SetTransparentMode(TTransparentMode::tmFixed);
        canvas.Draw((button->Width() - chevron.Width()) / 2 + (button->Down() ? 1 : 0),
                    (button->Height() - chevron.Height()) / 2 + (button->Down() ? 1 : 0), chevron);
        return;
    }
    if ((id == cmHighlight || id == cmFontColor) && FImages) {
        const int32_t shift = button->Down() || button->Pressing() ? 1 : 0;
        const int32_t side = FSettings.LargeButtons ? 44 : 22;
        FImages->DrawColorIndicator(canvas, {shift, shift, side + shift, side + shift}, id);
    }
    if (MouseMode && MouseMode() == 2 && Contains(PainterCommands, id)) {
        TColor colour = clBlue;
        const bool colourButton = id == cmFontColor || id == cmUnderlineColor;
        const bool colourSet = PainterCharFormat &&
                               (*PainterCharFormat)[id == cmFontColor ? cfColor : cfUnderlineColor] != NotSet;
        if (id == cmFormatBrush || id == 9000 || id == 12000 || (colourButton && !colourSet))
            colour = static_cast<TColor>(0xFFFF00);  // cyan
        else if (button->Down() || (colourButton && colourSet))
            colour = clRed;
        canvas.Brush().SetColor(colour);
        canvas.FrameRect({0, 0, button->Width(), button->Height()});
        canvas.FrameRect({1, 1, button->Width() - 1, button->Height() - 1});
    }
}

