// The address chooser.
#include "layout/print/addressbook/AddressChooser.h"

#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/Lists.h"
#include "platform/runtime/StringList.h"

namespace {

const char* const kNoBook = "(pas de carnet d'adresses disponible)";
const char* const kEmptyBook = "(ce carnet ne comprend encore aucune adresse)";

template <class T>
T* Make(TWinControl* parent, const char* name, int32_t x, int32_t y, int32_t w, int32_t h,
        const std::string& caption = std::string())
{
    auto* c = new T(parent);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty())
        c->SetCaption(caption);
    return c;
}

TLabel* MakeLabel(TWinControl* parent, int32_t x, int32_t y, int32_t w, int32_t h, const std::string& caption)
{
    auto* label = new TLabel(parent);
    label->SetAutoSize(false);
    label->SetParent(parent);
    label->SetBounds(x, y, w, h);
    label->SetCaption(caption);
    return label;
}

}  // namespace

TEditAddrBookFrm::TEditAddrBookFrm(TComponent* owner, bool multiple) : TForm(owner), FMultiple(multiple)
{
    SetName("EditAddrBookFrm");
    SetCaption(multiple ? "Choisir des adresses" : "Choisir une adresse");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    // With one address the hint goes and the list grows by three rows.
    const int32_t grow = multiple ? 0 : 45;
    SetClientSize(470, 330);
    MakeLabel(this, 10, 12, 130, 15, "&Carnet d'adresses :");
    BookCmbBx = Make<TComboBox>(this, "BookCmbBx", 140, 8, 320, 22);
    BookCmbBx->Style = TComboBoxStyle::csDropDownList;
    MakeLabel(this, 10, 40, 200, 15, "&Adresses :");
    AddrLstBx = Make<TListBox>(this, "AddrLstBx", 10, 58, 220, 180 + grow);
    AddrLstBx->MultiSelect = multiple;
    MakeLabel(this, 240, 40, 220, 15, "Adresse &sélectionnée :");
    SelAddrMemo = Make<TMemo>(this, "SelAddrMemo", 240, 58, 220, 180 + grow);
    SelAddrMemo->ReadOnly = true;
    // The hint, on two lines.
    HintLbl = MakeLabel(this, 10, 246, 450, 15,
                        "Maintenez la touche Ctrl enfoncée et cliquez sur des adresses pour les sélectionner.");
    TLabel* hint2 = MakeLabel(this, 10, 262, 450, 15, "Utilisez Ctrl+A pour sélectionner toutes les adresses.");
    HintLbl->SetVisible(multiple);
    hint2->SetVisible(multiple);
    OkBtn = Make<TButton>(this, "OkBtn", 290, 292, 80, 26, "OK");
    OkBtn->ModalResult = mrOk;
    OkBtn->SetDefault(true);
    CancelBtn = Make<TButton>(this, "CancelBtn", 380, 292, 80, 26, "Annuler");
    CancelBtn->ModalResult = mrCancel;
    CancelBtn->Cancel = true;

    FBooks = ListAddressBooks();
    for (const TAddressBookInfo& book : FBooks)
        BookCmbBx->Items().Add(book.Name);
    if (FBooks.empty())
        BookCmbBx->Items().Add(kNoBook);
    BookCmbBx->OnClick = [this](TControl*) { LoadBook(BookCmbBx->ItemIndex()); };
    AddrLstBx->OnClick = [this](TControl*) { ShowSelected(); };
    AddrLstBx->OnDblClick = [this](TControl*) {
        if (!FEntries.empty())
            SetModalResult(mrOk);
    };
    const int32_t last = IndexOfAddressBook(FBooks, AddressBookSettings().LastAddrBook);
    BookCmbBx->SetItemIndex(last >= 0 ? last : 0);
    LoadBook(BookCmbBx->ItemIndex());
}

void TEditAddrBookFrm::LoadBook(int32_t index)
{
    FEntries.clear();
    if (index >= 0 && index < static_cast<int32_t>(FBooks.size()))
        LoadAddressBook(FBooks[static_cast<size_t>(index)].FileName, FEntries);
    AddrLstBx->Items().Clear();
    for (const TEnvAddress& entry : FEntries)
        AddrLstBx->Items().Add(entry.Title);
    if (FEntries.empty())
        AddrLstBx->Items().Add(FBooks.empty() ? kNoBook : kEmptyBook);
    AddrLstBx->SetEnabled(!FEntries.empty());
    OkBtn->SetEnabled(!FEntries.empty());
    // One address: the title chosen last, else the first entry.
    int32_t selected = 0;
    if (!FMultiple)
        for (size_t i = 0; i < FEntries.size(); ++i)
            if (FEntries[i].Title == AddressBookSettings().LastAddr)
                selected = static_cast<int32_t>(i);
    if (!FEntries.empty()) {
        AddrLstBx->SetItemIndex(selected);
        if (FMultiple)
            AddrLstBx->SetSelected(selected, true);
    }
    ShowSelected();
}

TEnvAddressList TEditAddrBookFrm::SelectedEntries() const
{
    TEnvAddressList chosen;
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (FMultiple ? AddrLstBx->Selected(static_cast<int32_t>(i))
                      : AddrLstBx->ItemIndex() == static_cast<int32_t>(i))
            chosen.push_back(FEntries[i]);
    return chosen;
}

void TEditAddrBookFrm::ShowSelected()
{
    const int32_t index = AddrLstBx->ItemIndex();
    SelAddrMemo->SetText(index >= 0 && index < static_cast<int32_t>(FEntries.size())
                             ? FEntries[static_cast<size_t>(index)].Address
                             : std::string());
}

bool SelectAddresses(bool multiple, TEnvAddressList& list)
{
    TEditAddrBookFrm form(nullptr, multiple);
    if (form.ShowModal() != mrOk)
        return false;
    list = form.SelectedEntries();
    const int32_t book = form.BookCmbBx->ItemIndex();
    const std::vector<TAddressBookInfo> books = ListAddressBooks();
    if (book >= 0 && book < static_cast<int32_t>(books.size()))
        AddressBookSettings().LastAddrBook = books[static_cast<size_t>(book)].FileName;
    if (list.size() == 1)
        AddressBookSettings().LastAddr = list.front().Title;
    return true;
}
