#include "dialogs/BookmarkForm.h"

#include "dialogs/DialogControls.h"
#include "document/fields/Field.h"
#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/MessageDlg.h"
#include "foundation/TextTables.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Messages.h"
#include "shell/StringEditors.h"
#include "shell/options/OptionsHolder.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t MaxBookmarkNameLength = 40;
const char* const ChooseNameText = "Veuillez choisir un nom pour le signet, s'il vous plaît.";
const char* const LeadingLetterText =
    "Désolé, mais les noms de signets doivent impérativement commencer par une lettre de l'alphabet.";

bool IsQuoteChar(uint8_t c)
{
    switch (c) {
    case 34: case 39: case 96: case 132: case 145: case 146: case 147: case 148: case 171: case 187:
        return true;
    default:
        return false;
    }
}

bool IsDisallowed(char c)
{
    const auto byte = static_cast<uint8_t>(c);
    if (c == '_')
        return false;
    return DelimiterCharTable[byte] || IsQuoteChar(byte);
}

bool StartsWithDigit(const std::string& name)
{
    return !name.empty() && name[0] >= '0' && name[0] <= '9';
}

std::string ExistsText(const std::string& name)
{
    return "Le signet \"" + name + "\" existe déjà. Choisissez un autre nom, s'il vous plaît.";
}

// The sort order when the program's options are not loaded (0 by name, 1 by
// position).
int32_t FallbackSortOrder = 1;

}  // namespace

char FindDisallowedBookmarkChar(const std::string& name)
{
    for (char c : name)
        if (IsDisallowed(c))
            return c;
    return 0;
}

std::string ReplaceDisallowedBookmarkChars(const std::string& name)
{
    std::string result = name;
    for (char& c : result)
        if (IsDisallowed(c))
            c = '_';
    return result;
}

TBookmarkForm::TBookmarkForm(TComponent* owner, TDocument& document, bool pickOnly)
    : TEldravinForm(owner), FDocument(document), FPickOnly(pickOnly)
{
    SetName("BookmarkForm");
    SetCaption("Signets");
    if (!FPickOnly)
        SetHelpTopic(8100);
    Position = TPosition::poScreenCenter;
    SetClientSize(330, 270);

    NameEdit = new TEdit(this);
    NameEdit->SetName("NameEdit");
    NameEdit->SetParent(this);
    NameEdit->SetBounds(10, 28, 210, 21);
    NameEdit->MaxLength = MaxBookmarkNameLength;
    MakeDlgLabel(this, this, "&Nom du signet :", 10, 10, NameEdit);
    NameLstBx = new TListBox(this);
    NameLstBx->SetName("NameLstBx");
    NameLstBx->SetParent(this);
    NameLstBx->SetBounds(10, 54, 210, 150);
    TLabel* sortLabel = MakeDlgLabel(this, this, "Trier par :", 10, 216);
    (void)sortLabel;
    SortByNameRadBtn = MakeDlgRadio(this, this, "SortByNameRadBtn", "N&om", 10, 236, 90);
    SortByPositionRadBtn = MakeDlgRadio(this, this, "SortByPositionRadBtn", "&Position", 110, 236, 100);

    AddBtn = MakeDlgButton(this, this, "AddBtn", "&Ajouter", 232, 28, 88);
    RenameBtn = MakeDlgButton(this, this, "RenameBtn", "&Renommer...", 232, 58, 88);
    DelBtn = MakeDlgButton(this, this, "DelBtn", "&Supprimer", 232, 88, 88);
    CloseBtn = MakeDlgButton(this, this, "CloseBtn", "Fermer", 232, 232, 88);
    // The buttons of the other mode are hidden; they never share a place.
    ChooseBtn = MakeDlgButton(this, this, "ChooseBtn", "OK", 232, pickOnly ? 28 : 150, 88);
    CancelBtn = MakeDlgButton(this, this, "CancelBtn", "Annuler", 232, pickOnly ? 58 : 180, 88);
    if (pickOnly) {
        for (TButton* button : {AddBtn, RenameBtn, DelBtn})
            button->SetTop(button->Top() + 122);
    }
    // "Fermer" cancels (Esc) but closes with OK: the changes made stay.
    CloseBtn->Cancel = true;
    CloseBtn->ModalResult = mrOk;
    CancelBtn->ModalResult = mrCancel;
    if (FPickOnly) {
        ChooseBtn->SetDefault(true);
        CancelBtn->Cancel = true;
        CloseBtn->Cancel = false;
    } else {
        AddBtn->SetDefault(true);
    }

    NameEdit->OnChange = [this](TControl*) { NameEditChange(); };
    NameEdit->OnKeyDown = [this](TControl*, uint16_t& key, TShiftState) { NameEditKeyDown(key); };
    NameLstBx->OnClick = [this](TControl*) { NameLstBxClick(); };
    NameLstBx->OnDblClick = [this](TControl*) { NameLstBxDblClick(); };
    SortByNameRadBtn->OnClick = [this](TControl*) { SortByRadBtnClick(); };
    SortByPositionRadBtn->OnClick = [this](TControl*) { SortByRadBtnClick(); };
    AddBtn->OnClick = [this](TControl*) { AddBtnClick(); };
    RenameBtn->OnClick = [this](TControl*) { RenameBtnClick(); };
    DelBtn->OnClick = [this](TControl*) { DelBtnClick(); };
    ChooseBtn->OnClick = [this](TControl*) { ChooseBtnClick(); };

    (SortOrder() == 0 ? SortByNameRadBtn : SortByPositionRadBtn)->SetChecked(true);
    FillList();
    if (!FPickOnly) {
        const TTextRange selection{FDocument.Selection().Start, FDocument.Selection().End};
        FActive = false;
        NameEdit->SetText(FDocument.MakeBookmarkName(selection));
        FActive = true;
    }
    SetActiveControl(NameEdit);
}

int32_t TBookmarkForm::SortOrder() const
{
    return OptionsHolder ? OptionsHolder->BkmkSort : FallbackSortOrder;
}

void TBookmarkForm::FillList()
{
    FActive = false;
    NameLstBx->Items().Clear();
    if (SortOrder() == 1) {
        // Text order: the list is rebuilt once unsorted, and sorted again by
        // the next rebuild.
        FDocument.RebuildBookmarkListInTextOrder();
        const TStringList& names = FDocument.BookmarkNames();
        for (int32_t i = 0; i < names.Count(); ++i)
            NameLstBx->Items().Add(names.Strings(i));
    } else {
        TStringList& names = FDocument.GetBookmarkList();
        for (int32_t i = 0; i < names.Count(); ++i)
            NameLstBx->Items().Add(names.Strings(i));
    }
    const bool any = NameLstBx->Items().Count() > 0;
    NameLstBx->SetItemIndex(any ? 0 : -1);
    if (FPickOnly) {
        for (TButton* button : {AddBtn, RenameBtn, DelBtn, CloseBtn})
            button->SetVisible(false);
        ChooseBtn->SetEnabled(any);
    } else {
        RenameBtn->SetEnabled(any);
        DelBtn->SetEnabled(any);
        ChooseBtn->SetVisible(false);
        CancelBtn->SetVisible(false);
    }
    FActive = true;
}

int32_t TBookmarkForm::ListIndexOf(const std::string& name) const
{
    TStringList& items = NameLstBx->Items();
    for (int32_t i = 0; i < items.Count(); ++i)
        if (AnsiCompareText(items.Strings(i), name) == 0)
            return i;
    return -1;
}

void TBookmarkForm::Refuse(const std::string& text, bool warning)
{
    ShowMessageDlg(text, warning ? mtWarning : mtInformation, mbOK);
    if (NameEdit->CanFocus())
        NameEdit->SetFocus();
}

void TBookmarkForm::JoinToEarlier()
{
    TOperationManager& undo = FDocument.UndoManager();
    if (FOperationCount > 0 && FDocument.OperationRecorded && undo.CurrentIndex() >= 0)
        undo.Operations(undo.CurrentIndex()).Joined = 1;
}

void TBookmarkForm::NameEditChange()
{
    if (!FActive)
        return;
    const int32_t index = ListIndexOf(NameEdit->Text());
    if (index >= 0)
        NameLstBx->SetItemIndex(index);
}

void TBookmarkForm::NameEditKeyDown(uint16_t& key)
{
    if (key != VK_UP && key != VK_DOWN)
        return;
    const int32_t count = NameLstBx->Items().Count();
    if (count > 0) {
        const int32_t index = std::clamp(NameLstBx->ItemIndex() + (key == VK_UP ? -1 : 1), 0, count - 1);
        NameLstBx->SetItemIndex(index);
        NameLstBxClick();
    }
    key = 0;
}

void TBookmarkForm::NameLstBxClick()
{
    if (!FActive || NameLstBx->ItemIndex() < 0)
        return;
    FActive = false;
    NameEdit->SetText(NameLstBx->Items().Strings(NameLstBx->ItemIndex()));
    FActive = true;
}

void TBookmarkForm::NameLstBxDblClick()
{
    if (NameLstBx->ItemIndex() < 0)
        return;
    if (FPickOnly) {
        ChooseBtnClick();
        return;
    }
    const std::string name = NameLstBx->Items().Strings(NameLstBx->ItemIndex());
    FActive = false;
    NameEdit->SetText(name);
    FActive = true;
    FDocument.GoToBookmark(name, true);
    SetModalResult(mrOk);
}

void TBookmarkForm::SortByRadBtnClick()
{
    if (!FActive)
        return;
    const int32_t order = SortByNameRadBtn->Checked() ? 0 : 1;
    if (OptionsHolder)
        OptionsHolder->BkmkSort = order;
    else
        FallbackSortOrder = order;
    FDocument.BookmarkListDirty = 1;
    const std::string typed = NameEdit->Text();
    FillList();
    const int32_t index = ListIndexOf(typed);
    if (index >= 0)
        NameLstBx->SetItemIndex(index);
}

void TBookmarkForm::AddBtnClick()
{
    std::string name = NameEdit->Text();
    if (name.empty()) {
        Refuse(ChooseNameText, false);
        return;
    }
    for (char& c : name)
        if (c == ' ')
            c = '_';
    if (name != NameEdit->Text()) {
        FActive = false;
        NameEdit->SetText(name);
        FActive = true;
    }
    if (const char bad = FindDisallowedBookmarkChar(name)) {
        Refuse("Désolé, mais les noms de signets ne peuvent pas comporter le caractère \"" + std::string(1, bad) +
                   "\".",
               true);
        return;
    }
    if (StartsWithDigit(name)) {
        Refuse(LeadingLetterText, true);
        return;
    }
    const int32_t existing = ListIndexOf(name);
    if (existing >= 0) {
        NameLstBx->SetItemIndex(existing);
        Refuse(ExistsText(name), true);
        return;
    }
    FDocument.ExecuteOperation(docInsertBookmark, {&name});
    JoinToEarlier();
    ++FOperationCount;
    SetModalResult(mrOk);
}

void TBookmarkForm::RenameBtnClick()
{
    const int32_t selected = NameLstBx->ItemIndex();
    if (selected < 0)
        return;
    const std::string oldName = NameLstBx->Items().Strings(selected);
    std::string newName = oldName;
    const auto validate = [&](const std::string& text) {
        if (text.empty()) {
            ShowMessageDlg(ChooseNameText, mtInformation, mbOK);
            return false;
        }
        if (StartsWithDigit(text)) {
            ShowMessageDlg(LeadingLetterText, mtWarning, mbOK);
            return false;
        }
        const std::string cleaned = ReplaceDisallowedBookmarkChars(text);
        TStringList& items = NameLstBx->Items();
        for (int32_t i = 0; i < items.Count(); ++i)
            if (i != selected && AnsiCompareText(items.Strings(i), cleaned) == 0) {
                ShowMessageDlg(ExistsText(cleaned), mtWarning, mbOK);
                return false;
            }
        return true;
    };
    if (!EditString(newName, "Renommer le signet", validate))
        return;
    // The bookmark of the old name, from the last down.
    TStringList& list = FDocument.GetBookmarkList();
    TField* field = nullptr;
    for (int32_t i = list.Count() - 1; i >= 0 && !field; --i)
        if (AnsiCompareText(list.Strings(i), oldName) == 0)
            field = static_cast<TField*>(list.Objects(i));
    if (!field)
        return;
    newName = ReplaceDisallowedBookmarkChars(newName);
    int32_t handle = static_cast<int32_t>(field->Handle());
    FDocument.ExecuteOperation(docChangeFieldInstruction, {&newName, &handle});
    JoinToEarlier();
    ++FOperationCount;
    FDocument.BookmarkListDirty = 1;
    FillList();
    const int32_t index = ListIndexOf(newName);
    if (index >= 0)
        NameLstBx->SetItemIndex(index);
    FActive = false;
    NameEdit->SetText(newName);
    FActive = true;
}

void TBookmarkForm::DelBtnClick()
{
    const int32_t selected = NameLstBx->ItemIndex();
    if (selected < 0)
        return;
    std::string name = NameLstBx->Items().Strings(selected);
    FDocument.ExecuteOperation(docDeleteBookmark, {&name});
    JoinToEarlier();
    ++FOperationCount;
    FillList();
}

void TBookmarkForm::ChooseBtnClick()
{
    const std::string name = NameEdit->Text();
    if (name.empty()) {
        Refuse(ChooseNameText, false);
        return;
    }
    const int32_t index = ListIndexOf(name);
    if (index < 0) {
        Refuse("Le signet \"" + name + "\" n'existe pas. Choisissez un signet existant, s'il vous plaît.", true);
        return;
    }
    FChosenName = NameLstBx->Items().Strings(index);
    SetModalResult(mrOk);
}

bool ExecuteBookmarkDialog(TDocument& document, bool pickOnly, std::string& name)
{
    auto form = std::make_unique<TBookmarkForm>(nullptr, document, pickOnly);
    const bool ok = form->ShowModal() == mrOk;
    if (ok && pickOnly)
        name = form->ChosenName();
    form.reset();
    if (!pickOnly)
        document.ExecuteOperation(docRemoveBrokenBookmarkLinks);
    return ok;
}
