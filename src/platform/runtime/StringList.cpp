#include "platform/runtime/StringList.h"

#include "platform/runtime/Exception.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/Stream.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <utility>

namespace {

const char* const kListIndexError = "Indice de liste hors limites (%d)";
const char* const kDuplicateString = "La liste de chaînes n'accepte pas les doublons";
const char* const kSortedListError = "Opération non autorisée sur une liste de chaînes triée";

bool IsBlank(char c)
{
    return static_cast<uint8_t>(c) <= ' ';
}

// BeginUpdate ... EndUpdate around a body, also when it throws.
template <typename TBody>
void Updating(TStrings& strings, TBody body)
{
    strings.BeginUpdate();
    try {
        body();
    } catch (...) {
        strings.EndUpdate();
        throw;
    }
    strings.EndUpdate();
}

}  // namespace

// ---------------------------------------------------------------------------
// TStrings

void TStrings::Error(const char* message, int32_t data)
{
    std::string m(message);
    size_t p = m.find("%d");
    if (p != std::string::npos)
        m.replace(p, 2, std::to_string(data));
    throw EStringListError(m);
}

void* TStrings::GetObject(int32_t) const
{
    return nullptr;
}

void TStrings::PutObject(int32_t, void*) {}

void TStrings::SetUpdateState(bool) {}

void TStrings::Put(int32_t index, const std::string& s)
{
    void* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

int32_t TStrings::CompareStrings(std::string_view a, std::string_view b) const
{
    return AnsiCompareText(a, b);
}

int32_t TStrings::Add(const std::string& s)
{
    int32_t index = Count();
    Insert(index, s);
    return index;
}

int32_t TStrings::AddObject(const std::string& s, void* object)
{
    int32_t index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int32_t index, const std::string& s, void* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::Exchange(int32_t index1, int32_t index2)
{
    Updating(*this, [&] {
        std::string s1 = Get(index1);
        void* o1 = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s1);
        PutObject(index2, o1);
    });
}

void TStrings::Move(int32_t curIndex, int32_t newIndex)
{
    if (curIndex == newIndex)
        return;
    // Both indexes are checked first, so that a bad target cannot lose the item.
    const int32_t count = Count();
    if (curIndex < 0 || curIndex >= count)
        Error(kListIndexError, curIndex);
    if (newIndex < 0 || newIndex >= count)
        Error(kListIndexError, newIndex);
    Updating(*this, [&] {
        std::string s = Get(curIndex);
        void* object = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    });
}

void TStrings::AddStrings(const TStrings& strings)
{
    Updating(*this, [&] {
        const int32_t count = strings.Count();
        for (int32_t i = 0; i < count; ++i)
            AddObject(strings.Get(i), strings.GetObject(i));
    });
}

void TStrings::Assign(const TStrings& source)
{
    if (&source == this)
        return;
    Updating(*this, [&] {
        Clear();
        FDelimiter = source.FDelimiter;
        FQuoteChar = source.FQuoteChar;
        AddStrings(source);
    });
}

int32_t TStrings::IndexOf(std::string_view s) const
{
    const int32_t count = Count();
    for (int32_t i = 0; i < count; ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int32_t TStrings::IndexOfObject(const void* object) const
{
    const int32_t count = Count();
    for (int32_t i = 0; i < count; ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

int32_t TStrings::IndexOfName(std::string_view name) const
{
    const int32_t count = Count();
    for (int32_t i = 0; i < count; ++i) {
        std::string s = Get(i);
        size_t p = s.find('=');
        if (p != std::string::npos && CompareStrings(std::string_view(s).substr(0, p), name) == 0)
            return i;
    }
    return -1;
}

std::string TStrings::Names(int32_t index) const
{
    std::string s = Get(index);
    size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(std::string_view name) const
{
    int32_t i = IndexOfName(name);
    return i >= 0 ? ValueFromIndex(i) : std::string();
}

void TStrings::SetValues(std::string_view name, const std::string& value)
{
    int32_t i = IndexOfName(name);
    std::string item = std::string(name) + "=" + value;
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    if (i >= 0) {
        Replace(i, item);
        return;
    }
    Add(item);
}

std::string TStrings::ValueFromIndex(int32_t index) const
{
    if (index < 0)
        return {};
    std::string s = Get(index);
    size_t p = s.find('=');
    // An item without "=" has no value (it is not one whose name is empty).
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int32_t index, const std::string& value)
{
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    if (index < 0) {
        Add("=" + value);
        return;
    }
    Replace(index, Names(index) + "=" + value);
}

void TStrings::Replace(int32_t index, const std::string& s)
{
    // A sorted list refuses Put: the item leaves and comes back at its place.
    auto* list = dynamic_cast<TStringList*>(this);
    if (list && list->Sorted()) {
        void* object = GetObject(index);
        Updating(*this, [&] {
            Delete(index);
            AddObject(s, object);
        });
        return;
    }
    Put(index, s);
}

std::string TStrings::DelimitedTextWith(char delimiter, char quote) const
{
    const int32_t count = Count();
    if (count == 1 && Get(0).empty())
        return std::string(2, quote);
    std::string result;
    for (int32_t i = 0; i < count; ++i) {
        std::string s = Get(i);
        bool needsQuotes = std::any_of(s.begin(), s.end(),
                                       [&](char c) { return IsBlank(c) || c == quote || c == delimiter; });
        if (i > 0)
            result += delimiter;
        result += needsQuotes ? AnsiQuotedStr(s, quote) : s;
    }
    return result;
}

void TStrings::SetDelimitedTextWith(std::string_view text, char delimiter, char quote)
{
    Updating(*this, [&] {
        Clear();
        size_t p = 0;
        const size_t n = text.size();
        while (p < n && IsBlank(text[p]))
            ++p;
        while (p < n) {
            std::string s;
            if (text[p] == quote) {
                size_t used = 0;
                s = AnsiExtractQuotedStr(text.substr(p), quote, &used);
                p += used;
            } else {
                size_t start = p;
                while (p < n && !IsBlank(text[p]) && text[p] != delimiter)
                    ++p;
                s.assign(text.substr(start, p - start));
            }
            Add(s);
            while (p < n && IsBlank(text[p]))
                ++p;
            if (p < n && text[p] == delimiter) {
                if (p + 1 == n)  // a delimiter at the very end stands before an empty item
                    Add(std::string());
                do
                    ++p;
                while (p < n && IsBlank(text[p]));
            }
        }
    });
}

std::string TStrings::DelimitedText() const
{
    return DelimitedTextWith(FDelimiter, FQuoteChar);
}

void TStrings::SetDelimitedText(std::string_view text)
{
    SetDelimitedTextWith(text, FDelimiter, FQuoteChar);
}

std::string TStrings::CommaText() const
{
    return DelimitedTextWith(',', '"');
}

void TStrings::SetCommaText(std::string_view text)
{
    SetDelimitedTextWith(text, ',', '"');
}

std::string TStrings::Text() const
{
    std::string result;
    const int32_t count = Count();
    for (int32_t i = 0; i < count; ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetText(std::string_view text)
{
    Updating(*this, [&] {
        Clear();
        size_t p = 0;
        const size_t n = text.size();
        while (p < n) {
            size_t start = p;
            while (p < n && text[p] != '\r' && text[p] != '\n')
                ++p;
            Add(std::string(text.substr(start, p - start)));
            if (p < n && text[p] == '\r')
                ++p;
            if (p < n && text[p] == '\n')
                ++p;
        }
    });
}

void TStrings::LoadFromStream(TStream& stream)
{
    Updating(*this, [&] {
        std::string data;
        char buffer[65536];
        while (true) {
            int32_t got = stream.Read(buffer, sizeof buffer);
            if (got <= 0)
                break;
            data.append(buffer, static_cast<size_t>(got));
        }
        SetText(data);
    });
}

void TStrings::SaveToStream(TStream& stream) const
{
    std::string text = Text();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

// The file is read while other programs may read it too, and written anew.
void TStrings::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList()
{
    // Freeing the list tells no one.
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TStringList::CheckIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        Error(kListIndexError, index);
}

const std::string& TStringList::Strings(int32_t index) const
{
    CheckIndex(index);
    return FList[static_cast<size_t>(index)].FString;
}

std::string TStringList::Get(int32_t index) const
{
    return Strings(index);
}

void* TStringList::GetObject(int32_t index) const
{
    CheckIndex(index);
    return FList[static_cast<size_t>(index)].FObject;
}

void TStringList::Put(int32_t index, const std::string& s)
{
    if (FSorted)
        Error(kSortedListError, 0);
    CheckIndex(index);
    Changing();
    FList[static_cast<size_t>(index)].FString = s;
    Changed();
}

void TStringList::PutObject(int32_t index, void* object)
{
    CheckIndex(index);
    Changing();
    FList[static_cast<size_t>(index)].FObject = object;
    Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(*this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(*this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

int32_t TStringList::CompareStrings(std::string_view a, std::string_view b) const
{
    return FCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

int32_t TStringList::Add(const std::string& s)
{
    return AddObject(s, nullptr);
}

int32_t TStringList::AddObject(const std::string& s, void* object)
{
    int32_t index = Count();
    if (FSorted && Find(s, index)) {
        switch (FDuplicates) {
        case dupIgnore:
            return index;
        case dupError:
            Error(kDuplicateString, 0);
        case dupAccept:
            break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::InsertItem(int32_t index, const std::string& s, void* object)
{
    Changing();
    TStringItem item{s, object};  // copied first: s may be one of our own strings
    FList.insert(FList.begin() + index, std::move(item));
    Changed();
}

void TStringList::Insert(int32_t index, const std::string& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int32_t index, const std::string& s, void* object)
{
    if (FSorted)
        Error(kSortedListError, 0);
    if (index < 0 || index > Count())
        Error(kListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::Delete(int32_t index)
{
    CheckIndex(index);
    Changing();
    FList.erase(FList.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (FList.empty())
        return;
    Changing();
    FList.clear();
    Changed();
}

void TStringList::Exchange(int32_t index1, int32_t index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FList[static_cast<size_t>(index1)], FList[static_cast<size_t>(index2)]);
    Changed();
}

void TStringList::Move(int32_t curIndex, int32_t newIndex)
{
    if (curIndex == newIndex)
        return;
    if (FSorted)
        Error(kSortedListError, 0);
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    Changing();
    auto first = FList.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
    Changed();
}

int32_t TStringList::IndexOf(std::string_view s) const
{
    if (!FSorted)
        return TStrings::IndexOf(s);
    int32_t index = 0;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(std::string_view s, int32_t& index) const
{
    bool found = false;
    int32_t l = 0;
    int32_t h = Count() - 1;
    while (l <= h) {
        int32_t i = l + (h - l) / 2;
        int32_t c = CompareStrings(FList[static_cast<size_t>(i)].FString, s);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept)
                    l = i;
            }
        }
    }
    index = l;
    return found;
}

template <typename TCompare>
void TStringList::QuickSort(int32_t l, int32_t r, TCompare& compare)
{
    auto swap = [this](int32_t a, int32_t b) {
        std::swap(FList[static_cast<size_t>(a)], FList[static_cast<size_t>(b)]);
    };
    QuickSortRange(l, r, compare, swap);
}

void TStringList::Sort()
{
    if (FSorted || Count() < 2)
        return;
    Changing();
    auto compare = [this](int32_t a, int32_t b) {
        return CompareStrings(FList[static_cast<size_t>(a)].FString, FList[static_cast<size_t>(b)].FString);
    };
    QuickSort(0, Count() - 1, compare);
    Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (FSorted || Count() < 2)
        return;
    Changing();
    auto call = [this, &compare](int32_t a, int32_t b) { return compare(*this, a, b); };
    QuickSort(0, Count() - 1, call);
    Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted == FSorted)
        return;
    if (sorted)
        Sort();
    FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive == FCaseSensitive)
        return;
    FCaseSensitive = caseSensitive;
    // The order changes with the rule: sort again, or Find would miss.
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}
