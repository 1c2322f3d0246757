#include "proofing/AutocorrectLangOptions.h"

#include "foundation/InterfaceTexts.h"
#include "foundation/StringRoutines.h"
#include "foundation/TextTables.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Resources.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int32_t English = 9;
constexpr int32_t French = 12;
constexpr int32_t German = 7;
// Every primary language id (the low 10 bits of a language id).
constexpr int32_t LastPrimaryLanguage = 0x3FF;

void Mark(std::array<bool, 256>& table, std::initializer_list<int> codes)
{
    for (int c : codes)
        table[static_cast<size_t>(c)] = true;
}

void MarkText(std::array<bool, 256>& table, const char* text)
{
    for (; *text; ++text)
        table[static_cast<uint8_t>(*text)] = true;
}

// The lines of a text, ended by CR LF, CR or LF; no empty last line.
std::vector<std::string> TextLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        lines.emplace_back(text.substr(i, end - i));
        if (end < text.size() && text[end] == '\r')
            ++end;
        if (end < text.size() && text[end] == '\n')
            ++end;
        i = end;
    }
    return lines;
}

std::vector<std::string> ResourceLines(const std::string& name)
{
    const TResourceData data = FindResourceData("TXT", name);
    return data ? TextLines(data.View()) : std::vector<std::string>{};
}

std::string TypedPart(const std::string& entry)
{
    const size_t tab = entry.find('\t');
    return tab == std::string::npos ? entry : entry.substr(0, tab);
}

int32_t CompareTyped(const std::string& a, const std::string& b)
{
    return AnsiCompareStr(a, b);
}

// Orders replacement entries by their typed texts.
bool EntryLess(const std::string& a, const std::string& b)
{
    const int32_t r = CompareTyped(TypedPart(a), TypedPart(b));
    return r != 0 ? r < 0 : a < b;
}

void AssignLines(TStringList& list, const std::vector<std::string>& lines)
{
    list.BeginUpdate();
    list.Clear();
    for (const std::string& line : lines)
        list.Add(line);
    list.EndUpdate();
}

std::vector<std::string> ListLines(const TStringList& list)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < list.Count(); ++i)
        lines.push_back(list.Strings(i));
    return lines;
}

// The effective list: the user's stored list plus every resource line the
// user did not remove. Lines compare as the list does (exactly for the
// replacements, without regard to case for the exception lists).
std::vector<std::string> MergeList(const std::string& stored, const std::vector<std::string>& resource,
                                   const std::string& removed, bool caseSensitive)
{
    const auto same = [caseSensitive](const std::string& a, const std::string& b) {
        return caseSensitive ? a == b : AnsiCompareText(a, b) == 0;
    };
    std::vector<std::string> lines;
    for (std::string& line : TextLines(BarsToLineBreaks(stored)))
        if (!line.empty() && std::none_of(lines.begin(), lines.end(), [&](const std::string& l) { return same(l, line); }))
            lines.push_back(std::move(line));
    const std::vector<std::string> removedLines = TextLines(BarsToLineBreaks(removed));
    for (auto it = resource.rbegin(); it != resource.rend(); ++it) {
        if (it->empty())
            continue;
        const auto is = [&](const std::string& l) { return same(l, *it); };
        if (std::none_of(removedLines.begin(), removedLines.end(), is) && std::none_of(lines.begin(), lines.end(), is))
            lines.push_back(*it);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "||" : "") + lines[i];
    return text;
}

std::string TableText(const std::array<bool, 256>& table)
{
    std::string text;
    for (int c = 33; c < 256; ++c)
        if (table[static_cast<size_t>(c)])
            text += static_cast<char>(c);
    return text;
}

// The resource of a list for a language ("RplcTxt_" falls back on "RplcTxt_Def").
std::string ListResourceName(const char* list, int32_t language)
{
    const std::string name = std::string(list) + "_" + std::to_string(language);
    if (std::string(list) == "RplcTxt") {
        const TResourceData data = FindResourceData("TXT", name);
        if (!data || data.Size == 0)
            return "RplcTxt_Def";
    }
    return name;
}

// Sets the store's prefix for the time of a read or write of one language.
class TPrefixScope {
public:
    TPrefixScope(TSettingsStorage& store, std::string prefix) : FStore(store), FPrevious(store.Prefix)
    {
        store.Prefix = std::move(prefix);
    }
    ~TPrefixScope() { FStore.Prefix = FPrevious; }

private:
    TSettingsStorage& FStore;
    std::string FPrevious;
};

}  // namespace

bool SplitOrdinal(const std::string& text, bool romansAllowed, std::string& number, std::string& suffix)
{
    number.clear();
    suffix.clear();
    size_t i = 0;
    if (romansAllowed && !text.empty() && std::string_view("CDILMVX").find(text[0]) != std::string_view::npos) {
        while (i < text.size() && std::string_view("CDILMVX").find(text[i]) != std::string_view::npos)
            ++i;
        // A lone C, D, L or M is the start of a word ("Le", "Les", "Ces",
        // "Des", "Mes"), not the hundredth or fiftieth.
        if (i == 1 && std::string_view("CDLM").find(text[0]) != std::string_view::npos)
            return false;
        const int32_t value = RomanToInt(text.substr(0, i), -1);
        if (value <= 0)
            return false;
        number = std::to_string(value);
    } else {
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        number = text.substr(0, i);
    }
    suffix = text.substr(i);
    return !number.empty() && !suffix.empty();
}

TAutocorrectLangOptions::TAutocorrectLangOptions(int32_t language) : TAutocorrectLangOptions(language, nullptr) {}

TAutocorrectLangOptions::TAutocorrectLangOptions(int32_t language, TSettingsStorage* store)
    : Language(language & 0x3FF)
{
    CapSentEx.SetSorted(true);
    OtherEx.SetSorted(true);
    Decisions.SetSorted(true);
    Decisions.SetCaseSensitive(true);
    Load(store);
}

void TAutocorrectLangOptions::SetDefaultTables(std::array<bool, 256>& left, std::array<bool, 256>& right) const
{
    left.fill(false);
    right.fill(false);
    // Codes 2 to 7, the non-breaking space and hyphen and the blank attach on
    // both sides; code 15 only to the text before it.
    for (auto* table : {&left, &right})
        Mark(*table, {2, 3, 4, 5, 6, 7, 10, 11, ' '});
    Mark(right, {15});
    // French typography wants a space before ! ? : and after « and before »,
    // unless the program's own language is Canadian French.
    if (Language == French && GetUserDefaultLangID() != 0x0C0C) {
        MarkText(left, "#(*+-/=@[^_{~");
        Mark(left, {0x84, 0x93});
        MarkText(right, ")*+,-./;=@]^_}~");
        Mark(right, {0x94});
    } else {
        MarkText(left, "#$(*+-/=@[^_{~");
        Mark(left, {0x80, 0x84, 0x93, 0xAB});
        MarkText(right, "!%)*+,-./:;?@]^_}~");
        Mark(right, {0x94, 0xBB});
    }
}

void TAutocorrectLangOptions::Load(TSettingsStorage* store)
{
    TSettingsStorage none;
    TSettingsStorage& s = store ? *store : none;
    TPrefixScope scope(s, AutocorrectSettingsKey);
    const std::string id = std::to_string(Language);

    LangRecord = -1;
    for (int32_t i = 0; i < AutocorrectLanguageOptions.Count; ++i)
        if (AutocorrectLanguageOptions[i].PrimaryLanguage == Language && AutocorrectLanguageOptions[i].Count > 0)
            LangRecord = i;

    s.OpenKey(id);
    Flags = s.ReadInteger("Flags", 0, 0x7FFFFFFF, 0x7FFFFFFF);
    AllowQuotes = s.ReadBool("AllowQuotes", true) ? 1 : 0;
    Quotes = static_cast<uint8_t>(
        std::clamp(s.ReadInteger("Quotes", 0, Language == German ? 2 : Language == French ? 1 : 0, 3), 0, 3));
    std::array<bool, 256> defaultLeft{}, defaultRight{};
    SetDefaultTables(defaultLeft, defaultRight);
    const auto readTable = [&](const char* name, std::array<bool, 256>& table, const std::array<bool, 256>& def) {
        constexpr const char* Absent = "\x01";
        const std::string stored = s.ReadString(name, Absent);
        if (stored == Absent) {
            table = def;
            return;
        }
        // The stored string holds the characters 33 to 255: the codes below
        // and the space come from the default table, so that a table saved
        // and read back keeps its blank.
        table.fill(false);
        for (int c = 0; c <= 32; ++c)
            table[static_cast<size_t>(c)] = def[static_cast<size_t>(c)];
        for (const char c : stored)
            table[static_cast<uint8_t>(c)] = true;
    };
    readTable("LeftAdjSep", LeftAdjSep, defaultLeft);
    readTable("RightAdjSep", RightAdjSep, defaultRight);
    TwoSentSpcs = s.ReadBool("TwoSentSpcs", true) ? 1 : 0;
    NonbrSpcs = s.ReadBool("NonbrSpcs", true) ? 1 : 0;

    // The lists are long strings in keys below the language's key.
    TPrefixScope lists(s, std::string(AutocorrectSettingsKey) + id + "\\");
    const auto merged = [&](const char* name, bool caseSensitive) {
        const std::string stored = s.ReadLongString(name, "");
        const std::string removed = s.ReadLongString(std::string(name) + "_Rmv", "");
        return MergeList(stored, ResourceLines(ListResourceName(name, Language)), removed, caseSensitive);
    };
    AssignLines(CapSentEx, merged("CapSentEx", false));
    AssignLines(OtherEx, merged("OtherEx", false));
    std::vector<std::string> replacements = merged("RplcTxt", true);
    std::stable_sort(replacements.begin(), replacements.end(), EntryLess);
    // One entry a typed text: the first (the user's) stays.
    replacements.erase(std::unique(replacements.begin(), replacements.end(),
                                   [](const std::string& a, const std::string& b) {
                                       return CompareTyped(TypedPart(a), TypedPart(b)) == 0;
                                   }),
                       replacements.end());
    AssignLines(Replacements, replacements);

    const std::string ordinalResource = "Ordinals_" + id;
    std::vector<std::string> ordinals;
    if (ResourceExists("TXT", ordinalResource)) {
        OrdinalsStored = 0;
        ordinals = ResourceLines(ordinalResource);
    } else {
        OrdinalsStored = 1;
        ordinals = TextLines(BarsToLineBreaks(s.ReadLongString("Ordinals", "")));
    }
    if (ordinals.size() == 1 && ordinals[0].empty())
        ordinals.clear();
    AssignLines(Ordinals, ordinals);
    OrdinalsSorted = 0;
    Decisions.Clear();
    Modified = 0;
}

void TAutocorrectLangOptions::SaveToStorage(TSettingsStorage& store)
{
    const std::string id = std::to_string(Language);
    {
        TPrefixScope scope(store, AutocorrectSettingsKey);
        store.OpenKey(id);
        store.WriteInteger("Flags", Flags);
        store.WriteBool("AllowQuotes", AllowQuotes != 0);
        store.WriteInteger("Quotes", Quotes);
        store.WriteString("LeftAdjSep", TableText(LeftAdjSep));
        store.WriteString("RightAdjSep", TableText(RightAdjSep));
        store.WriteBool("TwoSentSpcs", TwoSentSpcs != 0);
        store.WriteBool("NonbrSpcs", NonbrSpcs != 0);
    }
    TPrefixScope lists(store, std::string(AutocorrectSettingsKey) + id + "\\");
    const auto save = [&](const char* name, const TStringList& list, bool caseSensitive) {
        const std::vector<std::string> lines = ListLines(list);
        store.WriteLongString(name, JoinLines(lines));
        std::vector<std::string> removed;
        for (const std::string& line : ResourceLines(ListResourceName(name, Language))) {
            const bool kept = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
                return caseSensitive ? l == line : AnsiCompareText(l, line) == 0;
            });
            if (!line.empty() && !kept)
                removed.push_back(line);
        }
        store.WriteLongString(std::string(name) + "_Rmv", JoinLines(removed));
    };
    save("CapSentEx", CapSentEx, false);
    save("OtherEx", OtherEx, false);
    save("RplcTxt", Replacements, true);
    if (OrdinalsStored)
        store.WriteLongString("Ordinals", JoinLines(ListLines(Ordinals)));
}

bool TAutocorrectLangOptions::IsWordDelimiter(uint8_t c) const
{
    return DelimiterCharTable[c];
}

bool TAutocorrectLangOptions::IsOpeningQuote(uint8_t c) const
{
    switch (c) {
    case 0x84:
        return true;
    case 0x93:
        return Quotes != 2;
    case 0xBB:
        return Quotes == 3;
    case 0xAB:
        return Quotes != 3;
    default:
        return false;
    }
}

bool TAutocorrectLangOptions::IsClosingQuote(uint8_t c) const
{
    switch (c) {
    case 0x94:
        return true;
    case 0x93:
        return Quotes == 2;
    case 0xAB:
        return Quotes == 3;
    case 0xBB:
        return Quotes != 3;
    default:
        return false;
    }
}

bool TAutocorrectLangOptions::IsOpeningMark(uint8_t c) const
{
    return IsOpeningQuote(c) || c == '(' || c == '[' || c == '{';
}

bool TAutocorrectLangOptions::IsClosingMark(uint8_t c) const
{
    return IsClosingQuote(c) || c == ')' || c == ']' || c == '}';
}

bool TAutocorrectLangOptions::IsCapSentException(const std::string& word) const
{
    int32_t index = 0;
    return CapSentEx.Find(word, index);
}

bool TAutocorrectLangOptions::IsOtherException(const std::string& word) const
{
    int32_t index = 0;
    return !word.empty() && OtherEx.Find(word, index);
}

bool TAutocorrectLangOptions::HasLangFlag(int32_t flag) const
{
    return LangRecord >= 0 && AutocorrectLanguageOptions[LangRecord].Count > flag && (Flags & (1 << flag)) != 0;
}

int32_t TAutocorrectLangOptions::FindReplacement(const std::string& typed) const
{
    int32_t low = 0;
    int32_t high = Replacements.Count() - 1;
    while (low <= high) {
        const int32_t mid = (low + high) / 2;
        const int32_t r = CompareTyped(TypedPart(Replacements.Strings(mid)), typed);
        if (r == 0)
            return mid;
        if (r < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return -1;
}

void TAutocorrectLangOptions::SetReplacement(const std::string& typed, const std::string& replacement)
{
    const std::string entry = typed + "\t" + replacement;
    const int32_t index = FindReplacement(typed);
    if (index >= 0) {
        Replacements.SetStrings(index, entry);
    } else {
        int32_t at = 0;
        while (at < Replacements.Count() && CompareTyped(TypedPart(Replacements.Strings(at)), typed) < 0)
            ++at;
        Replacements.Insert(at, entry);
    }
    Modified = 1;
}

void TAutocorrectLangOptions::SplitReplacementEntry(const std::string& entry, std::string& typed,
                                                    std::string& replacement)
{
    const size_t tab = entry.find('\t');
    typed = tab == std::string::npos ? entry : entry.substr(0, tab);
    replacement = tab == std::string::npos ? std::string() : entry.substr(tab + 1);
}

void TAutocorrectLangOptions::SortOrdinals()
{
    std::vector<std::string> lines = ListLines(Ordinals);
    const auto numberLength = [](const std::string& entry) {
        std::string number, suffix;
        SplitOrdinal(entry, true, number, suffix);
        return number.size();
    };
    std::stable_sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) {
        const size_t la = numberLength(a), lb = numberLength(b);
        if (la != lb)
            return la > lb;
        return CompareStringLocale(GetUserDefaultLCID(), true, a, b) < 0;
    });
    AssignLines(Ordinals, lines);
    OrdinalsSorted = 1;
}

bool TAutocorrectLangOptions::MatchOrdinal(const std::string& word, int32_t& suffixStart, int32_t& suffixLength)
{
    suffixStart = 0;
    suffixLength = 0;
    std::string number, suffix;
    if (!SplitOrdinal(word, Language == English || Language == French, number, suffix))
        return false;
    if (!OrdinalsSorted)
        SortOrdinals();
    size_t fitted = 0;
    for (int32_t i = 0; i < Ordinals.Count(); ++i) {
        std::string entryNumber, entrySuffix;
        if (!SplitOrdinal(Ordinals.Strings(i), true, entryNumber, entrySuffix))
            continue;
        if (entryNumber.size() < fitted)
            break;
        if (number.size() < entryNumber.size() ||
            number.compare(number.size() - entryNumber.size(), entryNumber.size(), entryNumber) != 0)
            continue;
        fitted = entryNumber.size();
        const bool same = Language == French ? entrySuffix == suffix : AnsiCompareText(entrySuffix, suffix) == 0;
        if (same && !IsOtherException(word)) {
            suffixLength = static_cast<int32_t>(suffix.size());
            suffixStart = static_cast<int32_t>(word.size()) - suffixLength;
            return true;
        }
    }
    return false;
}

TAutocorrectLangOptions& TAutocorrectLangOptionsManager::GetLangOptions(LANGID language)
{
    const int32_t primary = language & 0x3FF;
    for (auto it = FList.rbegin(); it != FList.rend(); ++it)
        if ((*it)->Language == primary)
            return **it;
    std::unique_ptr<TSettingsStorage> store = FStoreSource ? FStoreSource() : nullptr;
    FList.push_back(std::make_unique<TAutocorrectLangOptions>(primary, store.get()));
    return *FList.back();
}

void TAutocorrectLangOptionsManager::SaveToStorage(TSettingsStorage& store, bool transfer)
{
    if (transfer && FStoreSource) {
        // Every language the loading store holds reaches the new store: all
        // primary language ids are looked for, not only the usual ones.
        if (const std::unique_ptr<TSettingsStorage> source = FStoreSource()) {
            const std::string previous = source->Prefix;
            for (int32_t id = 0; id <= LastPrimaryLanguage; ++id) {
                source->Prefix.clear();
                if (source->KeyExists(AutocorrectSettingsKey + std::to_string(id)))
                    GetLangOptions(static_cast<LANGID>(id));
            }
            source->Prefix = previous;
        }
    }
    for (const auto& options : FList)
        if (options->Modified || transfer)
            options->SaveToStorage(store);
}

void TAutocorrectLangOptionsManager::BeginPass(bool silent)
{
    PassSilent = silent ? 1 : 0;
    PassMode = 1;
    PopupUsed = 0;
    for (const auto& options : FList)
        options->Decisions.Clear();
}

void TAutocorrectLangOptionsManager::EndPass()
{
    PassMode = 0;
    PassSilent = 0;
}

TAutocorrectLangOptionsManager& GetAutocorrectLangOptionsManager()
{
    static TAutocorrectLangOptionsManager manager;
    return manager;
}
