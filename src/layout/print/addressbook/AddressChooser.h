#pragma once
// The address books' editor in its choosing mode ("Choisir une adresse",
// "Choisir des adresses"): a book chosen in the list of books (the host
// folder's and the desktop's), its entries listed by title, the selected
// entry's address shown; OK hands the selected entries over.
#include "layout/print/addressbook/AddressBook.h"
#include "platform/framework/Forms.h"

class TButton;
class TComboBox;
class TLabel;
class TListBox;
class TMemo;

class TEditAddrBookFrm : public TForm {
public:
    TEditAddrBookFrm(TComponent* owner, bool multiple);

    TComboBox* BookCmbBx;
    TListBox* AddrLstBx;
    TMemo* SelAddrMemo;
    TLabel* HintLbl;
    TButton* OkBtn;
    TButton* CancelBtn;

    // Loads the book of that index of the combo box into the list.
    void LoadBook(int32_t index);
    // The entries selected in the list.
    TEnvAddressList SelectedEntries() const;

private:
    void ShowSelected();

    bool FMultiple;
    std::vector<TAddressBookInfo> FBooks;
    TEnvAddressList FEntries;
};

// Runs the chooser on the last used book; on OK the selected entries go into
// the list (replacing it), the book is remembered and, for exactly one
// entry, its title. True on OK.
bool SelectAddresses(bool multiple, TEnvAddressList& list);
