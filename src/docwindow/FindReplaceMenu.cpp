// The special-character menu of the find-and-replace window. Kept apart
// from the window's other controls: the menu and list headers both name the
// owner-draw states.
#include "docwindow/FindReplaceForm.h"

#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/menus/Menus.h"

void TFindReplaceForm::BuildSpecialCharMenu(bool forSearchBox)
{
    if (!FSpecialMenu)
        FSpecialMenu = new TPopupMenu(this);
    FSpecialMenu->Items().Clear();
    for (int32_t row = 0; row < SpecialSearchCharCount; ++row) {
        const TSpecialSearchChar& entry = SpecialSearchChars[static_cast<size_t>(row)];
        if (!forSearchBox && !entry.ForReplacement)
            continue;
        auto* item = new TMenuItem(FSpecialMenu);
        item->SetCaption(entry.Caption);
        item->Tag = row;
        item->OnClick = [this, forSearchBox](TMenuItem* sender) {
            SpecSymbItemClick(forSearchBox, static_cast<int32_t>(sender->Tag));
        };
        FSpecialMenu->Items().Add(item);
    }
}

void TFindReplaceForm::PopupSpecialCharMenu(bool forSearchBox)
{
    BuildSpecialCharMenu(forSearchBox);
    // At the button's bottom-left corner.
    TSpeedButton* button = forSearchBox ? AddSpecSymbToFindEditSpeedBtn : AddSpecSymbToReplaceEditSpeedBtn;
    const TPoint at = Panel->ClientToScreen({button->Left(), button->Top() + button->Height()});
    FSpecialMenu->Popup(at.X, at.Y);
}

std::vector<std::string> TFindReplaceForm::SpecialCharMenuCaptions() const
{
    std::vector<std::string> captions;
    if (FSpecialMenu)
        for (int i = 0; i < FSpecialMenu->Items().Count(); ++i)
            captions.push_back(FSpecialMenu->Items().Items(i)->Caption());
    return captions;
}

void TFindReplaceForm::ClickSpecialCharMenuItem(int32_t index)
{
    if (FSpecialMenu && index >= 0 && index < FSpecialMenu->Items().Count())
        FSpecialMenu->Items().Items(index)->Click();
}
