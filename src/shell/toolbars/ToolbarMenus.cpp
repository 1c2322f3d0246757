#include "shell/toolbars/ToolbarManager.h"

#include "document/model/Document.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/resources/MenuResources.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/controls/ToolBars.h"
#include "platform/framework/menus/Menus.h"
#include "platform/win/Windows.h"
#include "shell/commands/CommandManager.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/toolbars/ControlCommands.h"
#include "shell/toolbars/ToolbarButtonImages.h"
#include "shell/toolbars/ToolbarMenus.h"

#include <algorithm>

namespace {
constexpr TCommandId cmHighlight = 704;
constexpr TCommandId cmFontColor = 705;
constexpr TCommandId cmUnderlineColor = 12150;
constexpr TCommandId cmHighlightSelection = 12500;
constexpr TCommandId cmColourSelection = 12520;
constexpr int32_t evDropDownMenu = 400;

TCommandId ItemId(const TToolButton& item)
{
    return static_cast<TCommandId>(item.Tag);
}
void DrawColourSwatch(TCanvas& canvas, const TRect& r, int32_t index)
{
    canvas.Brush().SetColor(index == 0 ? clWindow : static_cast<TColor>(BasicColor(index)));
    canvas.FillRect(r);
    canvas.Brush().SetColor(clBtnShadow);
    canvas.FrameRect(r);
}
}  // namespace

// --- Drop-down menus ---------------------------------------------------------------------------------

void TToolbarManager::CreateDropDownMenus(TComponent* owner)
{
    FColoursMenu = new TPopupMenu(owner);
    for (int32_t i = 0; i <= BasicColorCount; ++i) {
        auto* item = new TMenuItem(FColoursMenu);
        item->SetCaption(BasicColorName(i));
        item->Tag = i;
        item->OnClick = [this](TMenuItem* sender) { ColourChosen(sender); };
        item->OnMeasureItem = [](TMenuItem*, TCanvas& canvas, int32_t& width, int32_t& height) {
            width = std::max(width, canvas.TextWidth("Bleu marine") + 40);
            height = std::max(height, 18);
        };
        item->OnDrawItem = [](TMenuItem* sender, TCanvas& canvas, const TRect& rect, bool selected) {
            DrawColourMenuItem(*sender, canvas, rect, selected);
        };
        FColoursMenu->Items().Add(item);
    }
    FUnderlineMenu = new TPopupMenu(owner);
    for (int32_t i = 0; i < UnderlineKindCount; ++i) {
        auto* item = new TMenuItem(FUnderlineMenu);
        item->SetCaption(UnderlineKindName(i));
        item->Tag = UnderlineKinds[i];
        item->OnClick = [](TMenuItem* sender) {
            TControlValue value;
            value.Int = static_cast<int32_t>(sender->Tag);
            ExecuteControlCommand(212400, value);
        };
        FUnderlineMenu->Items().Add(item);
    }
    auto* colour = new TMenuItem(FUnderlineMenu);
    colour->SetCaption("Couleur");
    colour->Tag = cmUnderlineColor;
    colour->OnClick = [this](TMenuItem*) {
        DropDownCommand = cmUnderlineColor;
        BuildColoursMenu(cmUnderlineColor);
        TPoint p{};
        GetCursorPos(&p);
        FColoursMenu->Popup(p.X, p.Y);
    };
    FUnderlineMenu->Items().Add(colour);
    FGeneralMenu = new TPopupMenu(owner);
}

void TToolbarManager::BuildColoursMenu(TCommandId id)
{
    if (FColoursMenu && FColoursMenu->Items().Count() > 0)
        FColoursMenu->Items().Items(0)->SetCaption(id == cmHighlight ? "Aucun(e)" : "Automatique");
}

TPopupMenu* TToolbarManager::PrepareDropDown(TCommandId id)
{
    DropDownCommand = id;
    FireEvent(evDropDownMenu);
    if (id == cmHighlight || id == cmFontColor || id == cmUnderlineColor) {
        BuildColoursMenu(id);
        return FColoursMenu;
    }
    if (id == 12160)
        return FUnderlineMenu;
    if (!FGeneralMenu)
        return nullptr;
    const char* name = GeneralMenuResource(id);
    if (!name)
        return nullptr;
    FGeneralMenu->Items().Clear();
    LoadMenuResource(*FGeneralMenu, name, false);
    if (id == 1260) {
        // The favourites as the Favourites menu lists them: each entry opens
        // its favourite through the command manager. The main menu's own list
        // keeps its pending rebuild.
        const uint8_t saved = FCommands.DirtyFlags;
        FCommands.DirtyFlags |= TCommandManager::dfFavourites;
        FCommands.UpdateFavouritesMenu(FGeneralMenu);
        FCommands.DirtyFlags = saved;
    }
    FCommands.PrepareMenu(FGeneralMenu);
    FCommands.UpdateMenu(FGeneralMenu);
    return FGeneralMenu;
}

void TToolbarManager::DropDown(TToolButton* button)
{
    TPopupMenu* menu = PrepareDropDown(ItemId(*button));
    if (!menu)
        return;
    menu->PopupComponent = button;
    const TPoint p = button->ClientToScreen({0, button->Height()});
    menu->Popup(p.X, p.Y);
}

void TToolbarManager::ColourChosen(TMenuItem* item)
{
    const auto index = static_cast<int32_t>(item->Tag);
    TDocument* document = FCommands.GetTargetDocument();
    if (DropDownCommand == cmUnderlineColor) {
        TControlValue value;
        value.Int = index;
        ExecuteControlCommand(212500, value);
        if (document && document->SelCharFormat[cfUnderline] == 0) {
            TControlValue single;
            single.Int = 1;
            ExecuteControlCommand(212400, single);
        }
        return;
    }
    if (DropDownCommand != cmHighlight && DropDownCommand != cmFontColor)
        return;
    const bool highlight = DropDownCommand == cmHighlight;
    (highlight ? LastHighlightColor : LastFontColor) = index;
    if (FImages)
        (highlight ? FImages->HighlightColor : FImages->FontColor) = index;
    const int32_t mode = MouseMode ? MouseMode() : 0;
    const bool penMode = mode == (highlight ? 4 : 5);
    if (InDropDown || (penMode && document && document->HasSelection())) {
        FCommands.ExecuteCommand(highlight ? cmHighlightSelection : cmColourSelection);
        RefreshToolbars();
    } else {
        FCommands.ExecuteCommand(DropDownCommand);
    }
}

void DrawColourMenuItem(TMenuItem& item, TCanvas& canvas, const TRect& rect, bool selected)
{
    canvas.Brush().SetColor(selected ? clHighlight : clMenu);
    canvas.FillRect(rect);
    const int32_t h = rect.Bottom - rect.Top;
    DrawColourSwatch(canvas, {rect.Left + 4, rect.Top + 3, rect.Left + 4 + (h - 6) * 2, rect.Bottom - 3},
                     static_cast<int32_t>(item.Tag));
    canvas.Font().SetColor(selected ? clHighlightText : clMenuText);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOut(rect.Left + 8 + (h - 6) * 2, rect.Top + (h - canvas.TextHeight("Ag")) / 2, item.Caption());
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}
