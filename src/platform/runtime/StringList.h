#pragma once
// String lists: TStrings, the abstract list of strings with attached objects
// that controls and the program share, and TStringList, the list kept in memory,
// optionally sorted. Strings are code page 1252; the attached objects are used,
// never owned (small integers travel as objects through ObjectFromInt).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TStream;

enum TDuplicates : uint8_t {
    dupIgnore,  // adding a string a sorted list already has does nothing
    dupAccept,  // it is added beside the others
    dupError    // it raises EStringListError
};

// Small integers attached to list items in place of objects.
inline void* ObjectFromInt(intptr_t value)
{
    return reinterpret_cast<void*>(value);
}
inline intptr_t IntFromObject(const void* object)
{
    return reinterpret_cast<intptr_t>(object);
}

class TStrings {
public:
    TStrings() = default;
    virtual ~TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;

    virtual int32_t Count() const = 0;
    // Index errors raise EStringListError "Indice de liste hors limites (%d)".
    std::string Strings(int32_t index) const { return Get(index); }
    void SetStrings(int32_t index, const std::string& s) { Put(index, s); }
    void* Objects(int32_t index) const { return GetObject(index); }
    void SetObjects(int32_t index, void* object) { PutObject(index, object); }

    // Add returns the index the string went to.
    virtual int32_t Add(const std::string& s);
    virtual int32_t AddObject(const std::string& s, void* object);
    virtual void Insert(int32_t index, const std::string& s) = 0;
    virtual void InsertObject(int32_t index, const std::string& s, void* object);
    virtual void Delete(int32_t index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int32_t index1, int32_t index2);
    // Moves the item at curIndex so that it ends at newIndex.
    virtual void Move(int32_t curIndex, int32_t newIndex);
    void AddStrings(const TStrings& strings);
    // The strings, objects, delimiter and quote character of source.
    virtual void Assign(const TStrings& source);

    // -1 when absent. Comparison by CompareStrings (without regard to case here).
    virtual int32_t IndexOf(std::string_view s) const;
    int32_t IndexOfObject(const void* object) const;

    // Items of the form name=value.
    int32_t IndexOfName(std::string_view name) const;
    std::string Names(int32_t index) const;  // empty when the item has no "="
    std::string Values(std::string_view name) const;
    // An empty value removes the item; otherwise the item is replaced or added.
    void SetValues(std::string_view name, const std::string& value);
    std::string ValueFromIndex(int32_t index) const;
    void SetValueFromIndex(int32_t index, const std::string& value);

    // The items joined by the delimiter; an item with blanks, control characters,
    // the delimiter or the quote character is quoted (quote doubled inside).
    // Reading splits at delimiters and at blanks outside quotes.
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char delimiter) { FDelimiter = delimiter; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char quoteChar) { FQuoteChar = quoteChar; }
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);
    // DelimitedText with ',' and '"'.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);

    // Every item followed by CR LF; reading splits at CR LF, LF or CR.
    virtual std::string Text() const;
    virtual void SetText(std::string_view text);

    // Text from the stream's position to its end, and Text to a stream.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // Change notifications are held back until the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();

protected:
    virtual std::string Get(int32_t index) const = 0;
    virtual void* GetObject(int32_t index) const;
    virtual void Put(int32_t index, const std::string& s);
    virtual void PutObject(int32_t index, void* object);
    virtual void SetUpdateState(bool updating);
    // AnsiCompareText here; sorted lists compare by their own rule.
    virtual int32_t CompareStrings(std::string_view a, std::string_view b) const;
    int32_t UpdateCount() const { return FUpdateCount; }
    // Raises EStringListError with data in place of "%d".
    [[noreturn]] static void Error(const char* message, int32_t data);

private:
    // Put, also for a sorted list (name=value items).
    void Replace(int32_t index, const std::string& s);
    std::string DelimitedTextWith(char delimiter, char quote) const;
    void SetDelimitedTextWith(std::string_view text, char delimiter, char quote);

    int32_t FUpdateCount = 0;
    char FDelimiter = ',';
    char FQuoteChar = '"';
};

class TStringList;
// Compares the items at two indexes: < 0, 0 or > 0.
using TStringListSortCompare = std::function<int32_t(TStringList& list, int32_t index1, int32_t index2)>;
using TStringListNotifyEvent = std::function<void(TStringList& sender)>;

class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    int32_t Count() const override { return static_cast<int32_t>(FList.size()); }
    const std::string& Strings(int32_t index) const;

    // In a sorted list the string goes to its place, as Duplicates says.
    int32_t Add(const std::string& s) override;
    int32_t AddObject(const std::string& s, void* object) override;
    // Inserting into a sorted list, moving in it and replacing its strings
    // raise EStringListError.
    void Insert(int32_t index, const std::string& s) override;
    void InsertObject(int32_t index, const std::string& s, void* object) override;
    void Delete(int32_t index) override;
    void Clear() override;
    void Exchange(int32_t index1, int32_t index2) override;
    void Move(int32_t curIndex, int32_t newIndex) override;
    int32_t IndexOf(std::string_view s) const override;

    // Binary search of a sorted list: true when found; index is then the item's
    // (the first of equal ones when duplicates are accepted), otherwise the
    // index where s would be inserted.
    bool Find(std::string_view s, int32_t& index) const;
    // Sorts an unsorted list (a sorted one is in order already).
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates duplicates) { FDuplicates = duplicates; }
    // Without regard to case by default; a sorted list is sorted again.
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool caseSensitive);

    // After and before every change (held back by BeginUpdate).
    TStringListNotifyEvent OnChange;
    TStringListNotifyEvent OnChanging;

protected:
    std::string Get(int32_t index) const override;
    void* GetObject(int32_t index) const override;
    void Put(int32_t index, const std::string& s) override;
    void PutObject(int32_t index, void* object) override;
    void SetUpdateState(bool updating) override;
    int32_t CompareStrings(std::string_view a, std::string_view b) const override;
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int32_t index, const std::string& s, void* object);

private:
    struct TStringItem {
        std::string FString;
        void* FObject;
    };
    void CheckIndex(int32_t index) const;
    template <typename TCompare>
    void QuickSort(int32_t l, int32_t r, TCompare& compare);

    std::vector<TStringItem> FList;
    TDuplicates FDuplicates = dupIgnore;
    bool FSorted = false;
    bool FCaseSensitive = false;
};
