#include "platform/framework/menus/Menus.h"

#include <algorithm>
#include <cctype>

#include "platform/framework/Forms.h"
#include "platform/framework/menus/MenuWindows.h"
#include "platform/runtime/Exception.h"

// --- Shortcuts and captions --------------------------------------------------------

TShortCut ShortCut(uint16_t key, TShiftState shift)
{
    TShortCut s = static_cast<TShortCut>(key & 0xFF);
    if (shift & ssShift)
        s |= scShift;
    if (shift & ssCtrl)
        s |= scCtrl;
    if (shift & ssAlt)
        s |= scAlt;
    return s;
}

namespace {

std::string KeyName(uint16_t key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key < VK_F1 + 24)
        return "F" + std::to_string(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9)
        return "Num " + std::to_string(key - VK_NUMPAD0);
    switch (key) {
    case VK_BACK: return "Retour arrière";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Entrée";
    case VK_ESCAPE: return "Échap";
    case VK_SPACE: return "Espace";
    case VK_PRIOR: return "Pg.préc";
    case VK_NEXT: return "Pg.suiv";
    case VK_END: return "Fin";
    case VK_HOME: return "Origine";
    case VK_LEFT: return "Gauche";
    case VK_UP: return "Haut";
    case VK_RIGHT: return "Droite";
    case VK_DOWN: return "Bas";
    case VK_INSERT: return "Inser";
    case VK_DELETE: return "Suppr";
    case VK_MULTIPLY: return "Num *";
    case VK_ADD: return "Num +";
    case VK_SUBTRACT: return "Num -";
    case VK_DECIMAL: return "Num .";
    case VK_DIVIDE: return "Num /";
    default: return {};
    }
}

} // namespace

std::string ShortCutToText(TShortCut shortCut)
{
    const std::string name = KeyName(static_cast<uint16_t>(shortCut & 0xFF));
    if (name.empty())
        return {};
    std::string text;
    if (shortCut & scCtrl)
        text += "Ctrl+";
    if (shortCut & scShift)
        text += "Maj+";
    if (shortCut & scAlt)
        text += "Alt+";
    return text + name;
}

char GetHotkey(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

std::string StripHotkey(const std::string& caption)
{
    std::string r;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        r += caption[i];
    }
    return r;
}

// --- TMenuItem ------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
}

TMenuItem::~TMenuItem()
{
    BeginDestroy();
    // The submenu goes with its item, whoever owns the items.
    while (!FItems.empty())
        delete FItems.back();  // each one takes itself out of FItems
    if (FParent)
        FParent->Remove(this);
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item == this)
        return;
    for (TMenuItem* p = this; p; p = p->FParent)
        if (p == item)
            throw Exception("Un élément de menu ne peut pas contenir son propre parent");
    if (item->FParent)
        item->FParent->Remove(item);
    index = std::clamp(index, 0, Count());
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    item->FParent = nullptr;
    Changed();
}

void TMenuItem::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    delete FItems[static_cast<size_t>(index)];
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        delete FItems.back();
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* p = this;
    while (p->FParent)
        p = p->FParent;
    return p->FMenu;
}

TMenuItem* TMenuItem::Find(const std::string& caption) const
{
    for (TMenuItem* item : FItems)
        if (StripHotkey(item->FCaption) == StripHotkey(caption))
            return item;
    return nullptr;
}

void TMenuItem::SetChecked(bool checked)
{
    Checked = checked;
    if (checked && RadioItem && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex)
                sibling->Checked = false;
    Changed();
}

void TMenuItem::Click()
{
    if (AutoCheck)
        SetChecked(!Checked);
    if (OnClick)
        OnClick(this);
}

void TMenuItem::Changed()
{
    if (Destroying())
        return;
    if (TMenu* menu = GetParentMenu(); menu && !menu->Destroying())
        menu->MenuChanged();
}

// --- TMenu ------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr))
{
    FItems->FMenu = this;
}

TMenu::~TMenu()
{
    BeginDestroy();
    FItems.reset();
}

namespace {

TMenuItem* FindShortCut(TMenuItem& parent, TShortCut shortCut)
{
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible || !item->Enabled)
            continue;
        if (item->ShortCut == shortCut && item->Count() == 0)
            return item;
        if (TMenuItem* found = FindShortCut(*item, shortCut))
            return found;
    }
    return nullptr;
}

} // namespace

TMenuItem* TMenu::FindItemByShortCut(TShortCut shortCut)
{
    if (shortCut == 0)
        return nullptr;
    return FindShortCut(*FItems, shortCut);
}

bool TMenu::IsShortCut(uint16_t key, TShiftState shift)
{
    TMenuItem* item = FindItemByShortCut(ShortCut(key, shift));
    if (!item)
        return false;
    item->Click();
    return true;
}

// --- TMainMenu ----------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner)
{
}

TMainMenu::~TMainMenu()
{
    BeginDestroy();
    if (FMerged)
        RemoveFreeNotification(FMerged);
    delete FBar;
}

void TMainMenu::SetForm(TForm* form)
{
    if (form == FForm)
        return;
    if (FForm)
        RemoveFreeNotification(FForm);
    delete FBar;
    FForm = form;
    if (!form)
        return;
    FreeNotification(form);
    FBar = new TMenuBar(this);
    FBar->SetParent(form);
    FBar->SetAlign(TAlign::alTop);
    // First in the form's control order, so that it is aligned above every
    // other top-aligned control.
    FBar->SendToBack();
    FBar->Rebuild();
}

void TMainMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FForm)
        FForm = nullptr;  // the form has freed the bar with its other controls
    if (component == FMerged) {
        FMerged = nullptr;
        MenuChanged();
    }
}

void TMainMenu::Merge(TMenu* menu)
{
    if (menu == FMerged)
        return;
    if (FMerged)
        RemoveFreeNotification(FMerged);
    FMerged = menu;
    if (menu)
        FreeNotification(menu);
    MenuChanged();
}

void TMainMenu::Unmerge(TMenu* menu)
{
    if (menu && menu == FMerged)
        Merge(nullptr);
}

std::vector<TMenuItem*> TMainMenu::VisibleItems() const
{
    std::vector<TMenuItem*> items;
    TMenuItem& own = const_cast<TMainMenu*>(this)->Items();
    for (int i = 0; i < own.Count(); ++i)
        items.push_back(own.Items(i));
    if (FMerged) {
        TMenuItem& other = FMerged->Items();
        for (int i = 0; i < other.Count(); ++i) {
            TMenuItem* m = other.Items(i);
            // Items of the same group are replaced; others go after the last lower group.
            bool replaced = false;
            for (auto it = items.begin(); it != items.end();) {
                if ((*it)->GetParentMenu() == this && (*it)->GroupIndex == m->GroupIndex) {
                    it = items.erase(it);
                    if (!replaced) {
                        items.insert(it, m);
                        replaced = true;
                        ++it;
                    }
                } else {
                    ++it;
                }
            }
            if (replaced)
                continue;
            auto pos = items.begin();
            for (auto it = items.begin(); it != items.end(); ++it)
                if ((*it)->GroupIndex <= m->GroupIndex)
                    pos = it + 1;
            items.insert(pos, m);
        }
    }
    std::vector<TMenuItem*> visible;
    for (TMenuItem* item : items)
        if (item->Visible)
            visible.push_back(item);
    return visible;
}

void TMainMenu::MenuChanged()
{
    if (FBar && !Destroying())
        FBar->Rebuild();
}

// --- TPopupMenu -------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner)
{
}

TPopupMenu::~TPopupMenu()
{
    BeginDestroy();
}

void TPopupMenu::Popup(int32_t screenX, int32_t screenY)
{
    if (FTracking)
        return;
    FLastChosen = nullptr;
    if (OnPopup)
        OnPopup(&Items());
    FTracking = true;
    TMenuItem* chosen = nullptr;
    try {
        chosen = TrackMenu(this, &Items(), {screenX, screenY}, false);
    } catch (...) {
        FTracking = false;
        throw;
    }
    FTracking = false;
    FLastChosen = chosen;
    // The command runs once the menu is gone, as a posted WM_COMMAND would.
    if (chosen)
        chosen->Click();
}
