#include "shell/toolbars/NewCmdForm.h"

#include "platform/framework/controls/ExtCtrls.h"
#include "shell/commands/CommandManager.h"
#include "shell/system/WrappedLabel.h"
#include "shell/toolbars/ToolbarButtonImages.h"
#include "shell/toolbars/ToolbarManager.h"

#include <memory>

TNewCmdFrm::TNewCmdFrm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("NewCmdFrm");
    SetCaption("Nouvelles commandes");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(391, 326);
    Lbl1 = new TWrappedLabel(this);
    Lbl1->SetName("Lbl1");
    Lbl1->SetAutoSize(false);
    Lbl1->SetParent(this);
    Lbl1->SetBounds(9, 9, 372, 280);
    Lbl1->Font().SetStyle(fsBold);
    Lbl1->ShowAccelChar = false;
    Lbl1->SetCaption(std::string("Cette version d'Eldravin comprend de nouvelles commandes :") +
                     std::string(13, '\r') +
                     "Ces nouvelles commandes peuvent être placées sur les barres d'outils ou ajoutées aux menus "
                     "principaux d'Eldravin. Elles peuvent aussi être associées à des raccourcis clavier.\r\r"
                     "Pour personnaliser les menus principaux, les barres d'outils, ou les raccourcis clavier "
                     "d'Eldravin, choisissez la commande correspondante (\"Menus...\", \"Barres d'outils...\", "
                     "\"Raccourcis clavier...\") dans le menu \"Outils\" d'Eldravin.");
    LstBx = new TListBox(this);
    LstBx->SetName("LstBx");
    LstBx->Style = TListBoxStyle::lbOwnerDrawFixed;
    LstBx->IntegralHeight = true;
    LstBx->SetItemHeight(24);
    LstBx->SetParent(this);
    LstBx->SetBounds(9, 38, 372, 124);
    LstBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                               TOwnerDrawState state) { LstBxDrawItem(canvas, index, rect, state); };
    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(305, 294, 75, 22);
    CancelBtn->SetCaption("Fermer");
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;
}

void TNewCmdFrm::FillCommands(const std::vector<TCommandId>& ids)
{
    LstBx->Items().Clear();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        const std::string text = CommandManager ? CommandManager->GetCommandText(*it, false, false, true) : "";
        LstBx->Items().AddObject(text, reinterpret_cast<void*>(static_cast<intptr_t>(*it)));
    }
    if (LstBx->Items().Count() > 0)
        LstBx->SetItemIndex(0);
}

void TNewCmdFrm::LstBxDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState state)
{
    if (ToolbarManager)
        ToolbarManager->Options |= 2;
    const bool selected = (state & odSelected) != 0;
    canvas.Brush().SetColor(selected ? clHighlight : clWindow);
    canvas.FillRect(rect);
    const auto id = static_cast<TCommandId>(reinterpret_cast<intptr_t>(LstBx->Items().Objects(index)));
    if (ToolbarManager) {
        TToolbarButtonImages& images = ToolbarManager->GetButtonImages();
        const int32_t image = images.IndexOfCommand(id);
        if (image >= 0)
            images.SmallNormal()->Draw(canvas, rect.Left + 4, rect.Top + (rect.Height() - 16) / 2, image, true);
    }
    canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOut(rect.Left + 28, rect.Top + (rect.Height() - canvas.TextHeight("Ag")) / 2,
                   LstBx->Items().Strings(index));
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    if (ToolbarManager)
        ToolbarManager->Options &= static_cast<uint8_t>(~2);
}

void ShowNewCommands(const std::vector<TCommandId>& ids)
{
    auto form = std::make_unique<TNewCmdFrm>(nullptr);
    form->FillCommands(ids);
    form->ShowModal();
}
