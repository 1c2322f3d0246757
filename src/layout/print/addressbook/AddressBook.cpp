// Address books: the text files of the host folder, the desktop's vCard
// stores, normalisation of the entries and the look-ups the envelope printer
// makes.
#include "layout/print/addressbook/AddressBook.h"

#include <algorithm>
#include <cctype>

#include "foundation/settings/SettingsStorage.h"
#include "layout/print/addressbook/VCardReader.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

namespace {

// The lines of a text, with CR LF, LF or CR ends.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// Only a line without any character separates entries: the address dialog
// writes a single space on an empty line inside an address.
bool IsEmptyLine(std::string_view line)
{
    return line.empty();
}

std::string ReadWholeFile(const std::string& fileName)
{
    std::string bytes;
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    const int64_t size = stream.Size();
    bytes.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

bool HasExtension(const std::string& name, const char* ext)
{
    return SameText(ExtractFileExt(name), ext);
}

// The files of a folder matching the extension, optionally with those of its
// sub-folders, in name order.
void CollectFiles(const std::string& folder, const char* ext, bool recursive, std::vector<std::string>& out)
{
    const std::string base = IncludeTrailingPathDelimiter(folder);
    TSearchRec rec;
    if (FindFirst(base + "*", faAnyFile & ~faVolumeID, rec) != 0)
        return;
    std::vector<std::string> folders;
    do {
        if (rec.Attr & faDirectory)
            folders.push_back(base + rec.Name);
        else if (HasExtension(rec.Name, ext))
            out.push_back(base + rec.Name);
    } while (FindNext(rec) == 0);
    FindClose(rec);
    if (recursive)
        for (const std::string& sub : folders)
            CollectFiles(sub, ext, true, out);
}

bool HasFiles(const std::string& folder, const char* ext)
{
    std::vector<std::string> files;
    CollectFiles(folder, ext, false, files);
    return !files.empty();
}

std::string BookName(const std::string& fileName)
{
    return ChangeFileExt(ExtractFileName(ExcludeTrailingPathDelimiter(fileName)), "");
}

// A title ending with " (", digits and ")" without that suffix.
std::string WithoutNumberSuffix(const std::string& title)
{
    if (title.size() < 4 || title.back() != ')')
        return title;
    size_t i = title.size() - 1;
    size_t digits = 0;
    while (i > 0 && std::isdigit(static_cast<unsigned char>(title[i - 1]))) {
        --i;
        ++digits;
    }
    if (digits == 0 || i < 2 || title[i - 1] != '(' || title[i - 2] != ' ')
        return title;
    return title.substr(0, i - 2);
}

}  // namespace

TEnvAddressList ParseAddressBookText(std::string_view text)
{
    TEnvAddressList list;
    const std::vector<std::string_view> lines = SplitLines(text);
    size_t i = 0;
    while (i < lines.size()) {
        // Empty lines before an entry are skipped; the first other line is the title.
        while (i < lines.size() && IsEmptyLine(lines[i]))
            ++i;
        if (i >= lines.size())
            break;
        TEnvAddress entry;
        entry.Title = std::string(lines[i++].substr(0, MaxAddressTitle));
        // The address: the lines up to the next empty one.
        while (i < lines.size() && !IsEmptyLine(lines[i])) {
            if (!entry.Address.empty())
                entry.Address += "\r\n";
            entry.Address += lines[i++];
        }
        while (!entry.Address.empty() && (entry.Address.back() == '\r' || entry.Address.back() == '\n'))
            entry.Address.pop_back();
        if (entry.Address.size() > MaxAddressText)
            entry.Address.resize(MaxAddressText);
        if (!Trim(entry.Title).empty() && !entry.Address.empty())
            list.push_back(std::move(entry));
    }
    return list;
}

std::string AddressBookText(const TEnvAddressList& list)
{
    std::string text;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += list[i].Title + "\r\n";
        for (std::string_view line : SplitLines(list[i].Address)) {
            text += line;
            text += "\r\n";
        }
    }
    return text;
}

void LoadAddressBook(const std::string& fileName, TEnvAddressList& list)
{
    list.clear();
    if (DirectoryExists(fileName)) {
        std::vector<std::string> cards;
        CollectFiles(fileName, ".vcf", false, cards);
        for (const std::string& card : cards) {
            try {
                const TEnvAddressList some = AddressesFromVCards(ReadVCards(ReadWholeFile(card)));
                list.insert(list.end(), some.begin(), some.end());
            } catch (const Exception&) {
                // A card that cannot be read is left out; the others still count.
            }
        }
    } else if (FileExists(fileName)) {
        const std::string bytes = ReadWholeFile(fileName);
        list = HasExtension(fileName, ".vcf") ? AddressesFromVCards(ReadVCards(bytes)) : ParseAddressBookText(bytes);
    }
    NormaliseAddressList(list);
}

void SaveAddressBook(const std::string& fileName, const TEnvAddressList& list)
{
    const std::string text = AddressBookText(list);
    TFileStream stream(fileName, fmCreate);
    if (!text.empty())
        stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void NormaliseAddressList(TEnvAddressList& list)
{
    TEnvAddressList kept;
    auto find = [&](const std::string& title) {
        return std::find_if(kept.begin(), kept.end(),
                            [&](const TEnvAddress& e) { return AnsiSameText(e.Title, title); });
    };
    for (TEnvAddress& entry : list) {
        const auto same = find(entry.Title);
        if (same != kept.end()) {
            if (SameText(same->Address, entry.Address))
                continue;
            const std::string base = WithoutNumberSuffix(entry.Title);
            for (int32_t k = 2;; ++k) {
                std::string title = base + " (" + IntToStr(k) + ")";
                if (find(title) == kept.end()) {
                    entry.Title = std::move(title);
                    break;
                }
            }
        }
        kept.push_back(std::move(entry));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const TEnvAddress& a, const TEnvAddress& b) {
        return AnsiCompareText(a.Title, b.Title) < 0;
    });
    list = std::move(kept);
}

// --- Settings ----------------------------------------------------------------------

TAddressBookSettings& AddressBookSettings()
{
    static TAddressBookSettings settings;
    return settings;
}

std::string AddressBookHostFolder()
{
    const std::string& folder = AddressBookSettings().HostFolder;
    if (!folder.empty())
        return ExcludeTrailingPathDelimiter(folder);
    return GetUserFolder(TUserFolder::ufData) + "/eldravin/Carnets d'adresses";
}

void LoadAddressBookSettings(TSettingsStorage& storage)
{
    TAddressBookSettings& s = AddressBookSettings();
    storage.OpenKey("Internal\\Envelopes");
    s.HostFolder = storage.ReadString("AddrBookFldr", "");
    s.LastAddrBook = storage.ReadString("LastAddrBook", "");
    s.LastAddr = storage.ReadString("LastAddr", "");
}

void SaveAddressBookSettings(TSettingsStorage& storage)
{
    const TAddressBookSettings& s = AddressBookSettings();
    storage.OpenKey("Internal\\Envelopes");
    storage.WriteString("AddrBookFldr", s.HostFolder);
    storage.WriteString("LastAddrBook", s.LastAddrBook);
    storage.WriteString("LastAddr", s.LastAddr);
}

// --- Listing and look-ups ----------------------------------------------------------

std::vector<TAddressBookInfo> DesktopContactStores()
{
    std::vector<TAddressBookInfo> stores;
    const std::string data = GetUserFolder(TUserFolder::ufData);
    // The vdir layout: one card per file, collections as sub-folders.
    const std::string contacts = data + "/contacts";
    if (DirectoryExists(contacts)) {
        if (HasFiles(contacts, ".vcf"))
            stores.push_back({"Contacts (vCard)", contacts, true});
        TSearchRec rec;
        if (FindFirst(contacts + "/*", faDirectory, rec) == 0) {
            do {
                const std::string sub = contacts + "/" + rec.Name;
                if ((rec.Attr & faDirectory) && HasFiles(sub, ".vcf"))
                    stores.push_back({rec.Name + " (vCard)", sub, true});
            } while (FindNext(rec) == 0);
            FindClose(rec);
        }
    }
    // Single files holding many cards.
    std::vector<std::string> files;
    CollectFiles(data + "/kaddressbook", ".vcf", false, files);
    for (const std::string& file : files)
        stores.push_back({BookName(file) + " (vCard)", file, true});
    return stores;
}

std::vector<TAddressBookInfo> ListAddressBooks(bool withDesktopStores)
{
    std::vector<TAddressBookInfo> books;
    std::vector<std::string> files;
    CollectFiles(AddressBookHostFolder(), ".txt", true, files);
    for (const std::string& file : files)
        books.push_back({BookName(file), file, false});
    std::stable_sort(books.begin(), books.end(), [](const TAddressBookInfo& a, const TAddressBookInfo& b) {
        return AnsiCompareText(a.Name, b.Name) < 0;
    });
    if (withDesktopStores) {
        const std::vector<TAddressBookInfo> stores = DesktopContactStores();
        books.insert(books.end(), stores.begin(), stores.end());
    }
    return books;
}

int32_t IndexOfAddressBook(const std::vector<TAddressBookInfo>& books, const std::string& fileName)
{
    for (size_t i = 0; i < books.size(); ++i)
        if (books[i].FileName == fileName)
            return static_cast<int32_t>(i);
    return -1;
}

bool AddressIsInBooks(const std::string& address)
{
    for (const TAddressBookInfo& book : ListAddressBooks()) {
        TEnvAddressList list;
        LoadAddressBook(book.FileName, list);
        for (const TEnvAddress& entry : list)
            if (SameText(entry.Address, address))
                return true;
    }
    return false;
}

TEnvAddressList LookUpAddresses(const std::string& text)
{
    const std::string wanted = AnsiLowerCase(text);
    TEnvAddressList found;
    for (const TAddressBookInfo& book : ListAddressBooks()) {
        TEnvAddressList list;
        LoadAddressBook(book.FileName, list);
        for (TEnvAddress& entry : list)
            if (wanted.empty() || AnsiLowerCase(entry.Title).find(wanted) != std::string::npos ||
                AnsiLowerCase(entry.Address).find(wanted) != std::string::npos)
                found.push_back(std::move(entry));
    }
    return found;
}
