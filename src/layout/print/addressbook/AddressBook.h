#pragma once
// Address books: the delivery addresses offered by the envelope printer. A
// book of the program is a text file (code page 1252, extension ".txt") in the
// host folder or one of its sub-folders: entries separated by empty lines, each
// its title on one line followed by the address lines. Beside them, the
// contacts that the desktop keeps as vCard files are offered as books that can
// be read but not changed (see DesktopContactStores).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TSettingsStorage;

constexpr size_t MaxAddressTitle = 128;
constexpr size_t MaxAddressText = 512;

// One entry: the title shown in lists and the address printed on the
// envelope (lines separated by CR LF).
struct TEnvAddress {
    std::string Title;
    std::string Address;
    bool operator==(const TEnvAddress&) const = default;
};
using TEnvAddressList = std::vector<TEnvAddress>;

// The text of a book read into entries, and the entries written as text.
TEnvAddressList ParseAddressBookText(std::string_view text);
std::string AddressBookText(const TEnvAddressList& list);

// Loads a book into the list (replacing it) and normalises it: a ".txt" file,
// a ".vcf" file, or a folder of ".vcf" files (a desktop store). A missing book
// loads as an empty list.
void LoadAddressBook(const std::string& fileName, TEnvAddressList& list);
// Writes a ".txt" book; file errors raise the file exceptions.
void SaveAddressBook(const std::string& fileName, const TEnvAddressList& list);

// Drops repeated entries (same title ignoring case and same address with
// ASCII case folding), gives a colliding title the first free suffix " (k)"
// from 2 up (after removing a suffix of that form), then sorts by title
// ignoring case.
void NormaliseAddressList(TEnvAddressList& list);

// The settings: the host folder of the books, the last book used to choose
// addresses (its file name) and the title of the last address chosen alone.
struct TAddressBookSettings {
    std::string HostFolder;
    std::string LastAddrBook;
    std::string LastAddr;
};
TAddressBookSettings& AddressBookSettings();
// The host folder of the settings, or "Carnets d'adresses" in the program's
// data folder of the user when none is set.
std::string AddressBookHostFolder();
void LoadAddressBookSettings(TSettingsStorage& storage);
void SaveAddressBookSettings(TSettingsStorage& storage);

// A book offered for choosing addresses.
struct TAddressBookInfo {
    std::string Name;      // file name without folder and extension; desktop stores end with " (vCard)"
    std::string FileName;  // the file, or the folder of a desktop store
    bool ReadOnly = false; // a desktop store
};

// The desktop's contact stores that hold vCard files, which exist:
// $XDG_DATA_HOME/contacts (its own ".vcf" files, and each sub-folder holding
// some as a store of its own, as vdir collections are kept) and the ".vcf"
// files of $XDG_DATA_HOME/kaddressbook.
std::vector<TAddressBookInfo> DesktopContactStores();
// The program's books (".txt" in the host folder and its sub-folders, sorted
// by name ignoring case), then the desktop's stores.
std::vector<TAddressBookInfo> ListAddressBooks(bool withDesktopStores = true);

// The book of that file name among the listed ones; -1 when none.
int32_t IndexOfAddressBook(const std::vector<TAddressBookInfo>& books, const std::string& fileName);

// True when one of the books (the desktop's stores included) holds an entry
// with that address (ASCII case folding).
bool AddressIsInBooks(const std::string& address);

// Entries of every book whose title or address contains the text (ignoring
// case); an empty text gives them all.
TEnvAddressList LookUpAddresses(const std::string& text);
