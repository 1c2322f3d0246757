// Word check and suggestions of a spelling system: the caches, the program's
// own handling of apostrophes, ligatures and mixed case, the Swiss German and
// Canadian French retries, compound words and the order of the suggestions.
#include "proofing/AutocorrectLangOptions.h"
#include "proofing/SpellCheckDrvAPI.h"
#include "proofing/SpellCheckSystem.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t French = 12;
constexpr LANGID FrenchLangId = 0x040C;
constexpr int32_t CanadianFrench = 0x0C0C;
constexpr int32_t SwissGerman = 0x0807;

struct TCharTables {
    std::array<uint16_t, 256> Flags{};
    std::array<uint8_t, 256> Lower{};
    std::array<uint8_t, 256> Upper{};
};

// The user's locale's character classes and case maps, made once.
const TCharTables& Chars()
{
    static const TCharTables tables = [] {
        TCharTables t;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            t.Flags[static_cast<size_t>(b)] = GetCharTypeFlags(LOCALE_USER_DEFAULT, static_cast<uint8_t>(b));
            t.Lower[static_cast<size_t>(b)] =
                static_cast<uint8_t>(LocaleLowerCase(LOCALE_USER_DEFAULT, std::string_view(&c, 1))[0]);
            t.Upper[static_cast<size_t>(b)] =
                static_cast<uint8_t>(LocaleUpperCase(LOCALE_USER_DEFAULT, std::string_view(&c, 1))[0]);
        }
        return t;
    }();
    return tables;
}

bool IsUpperChar(char c)
{
    return Chars().Flags[static_cast<uint8_t>(c)] & C1_UPPER;
}
bool IsLowerChar(char c)
{
    return Chars().Flags[static_cast<uint8_t>(c)] & C1_LOWER;
}
char LowerChar(char c)
{
    return static_cast<char>(Chars().Lower[static_cast<uint8_t>(c)]);
}
std::string Lower(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = LowerChar(c);
    return r;
}
std::string Upper(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(Chars().Upper[static_cast<uint8_t>(c)]);
    return r;
}
bool HasUpper(const std::string& s)
{
    return std::any_of(s.begin(), s.end(), IsUpperChar);
}
bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && Lower(a) == Lower(b);
}

std::string Replaced(const std::string& s, char from, char to)
{
    std::string r = s;
    std::replace(r.begin(), r.end(), from, to);
    return r;
}

// The word equals the suggestion after one small edit, ignoring case: two
// neighbours swapped, one character removed (not the last), one character of
// code 97 to 255 inserted, or one replaced by such a character.
bool IsNearMiss(const std::string& word, const std::string& suggestion)
{
    const std::string w = Lower(word), s = Lower(suggestion);
    if (w == s)
        return true;
    const auto inRange = [](char c) { return static_cast<uint8_t>(c) >= 97; };
    if (w.size() == s.size()) {
        std::vector<size_t> diff;
        for (size_t i = 0; i < w.size() && diff.size() <= 2; ++i)
            if (w[i] != s[i])
                diff.push_back(i);
        if (diff.size() == 1 && inRange(w[diff[0]]))
            return true;
        if (diff.size() == 2 && diff[1] == diff[0] + 1 && w[diff[0]] == s[diff[1]] && w[diff[1]] == s[diff[0]])
            return true;
        return false;
    }
    if (s.size() == w.size() + 1) {
        // One character of the suggestion removed, any but its last.
        for (size_t k = 0; k + 1 < s.size(); ++k)
            if (s.compare(0, k, w, 0, k) == 0 && s.compare(k + 1, std::string::npos, w, k) == 0)
                return true;
        return false;
    }
    if (w.size() == s.size() + 1) {
        for (size_t k = 0; k < w.size(); ++k)
            if (inRange(w[k]) && w.compare(0, k, s, 0, k) == 0 && w.compare(k + 1, std::string::npos, s, k) == 0)
                return true;
    }
    return false;
}

std::vector<std::string> ReadSuggestions(const char* buffer, int32_t size)
{
    std::vector<std::string> list;
    int32_t i = 0;
    while (i < size && buffer[i] != '\0') {
        const int32_t start = i;
        while (i < size && buffer[i] != '\0')
            ++i;
        list.emplace_back(buffer + start, buffer + i);
        ++i;
    }
    return list;
}

void WriteSuggestions(const std::vector<std::string>& list, char* buffer, int32_t size)
{
    int32_t used = 0;
    for (const std::string& s : list) {
        if (used + static_cast<int32_t>(s.size()) + 2 > size)
            break;
        std::memcpy(buffer + used, s.c_str(), s.size() + 1);
        used += static_cast<int32_t>(s.size()) + 1;
    }
    if (used < size)
        buffer[used] = '\0';
}

std::string PlainCapitals(const std::string& s)
{
    static const std::string accented = "ÀÁÂÈÉÊÌÍÎÒÓÔÙÚÛ";
    static const std::string plain = "AAAEEEIIIOOOUUU";
    std::string r = s;
    for (char& c : r) {
        const size_t p = accented.find(c);
        if (p != std::string::npos)
            c = plain[p];
    }
    return r;
}

bool IsCompoundLanguage(int32_t primary)
{
    return primary == 6 || primary == 7 || primary == 0x0B || primary == 0x13 || primary == 0x14 || primary == 0x1D;
}

}  // namespace

bool HasIrregularCase(const std::string& word)
{
    size_t start = 0;
    while (start <= word.size()) {
        size_t end = word.find_first_of("'-", start);
        if (end == std::string::npos)
            end = word.size();
        const std::string part = word.substr(start, end - start);
        int upper = 0, lower = 0;
        for (char c : part) {
            upper += IsUpperChar(c);
            lower += IsLowerChar(c);
        }
        if (upper > 0 && lower > 0 &&
            (IsLowerChar(part[0]) || (IsUpperChar(part[0]) && upper > 1)))
            return true;
        start = end + 1;
    }
    return false;
}

uint8_t TSpellCheckSystem::CheckWordCached(const std::string& word, int32_t language, int32_t size, char* buffer)
{
    std::string w = Replaced(word, '\x0B', '-');
    for (char& c : w)
        if (c == '`' || c == '\x91' || c == '\x92')
            c = '\'';
    TAutocorrectLangOptions* french = nullptr;
    if (PrimaryLanguage() == French) {
        french = &GetAutocorrectLangOptionsManager().GetLangOptions(FrenchLangId);
        w = french->ExpandLigatures(w);
    }
    if (AcceptedCache.count(w))
        return csAccepted;
    if ((ProgramSpellSettings().Flags & scIgnoreMixedCase) && HasIrregularCase(w))
        return csAccepted;
    if (size == 0) {
        auto it = MisspelledCache.find(w);
        if (it != MisspelledCache.end())
            return it->second;
    }
    int32_t checkLanguage = language;
    if (french)
        checkLanguage = (french->Flags & 0x4) ? CanadianFrench : FrenchLangId;
    uint8_t state = csAccepted;
    if (CheckWord(checkLanguage, w, state, size, buffer) < 0)
        return csAccepted;  // an engine error: counted as accepted, nothing cached
    if (state != csAccepted) {
        if (french && (french->Flags & 0x1) && size > 0) {
            // The buffer up to its end mark, through the ligatures, at most its size.
            int32_t end = 0;
            while (end + 1 < size && !(buffer[end] == '\0' && buffer[end + 1] == '\0'))
                ++end;
            std::string text = french->ApplyLigatures(std::string(buffer, buffer + end));
            text.resize(std::min<size_t>(text.size(), static_cast<size_t>(size) - 1));
            std::memcpy(buffer, text.data(), text.size());
            buffer[text.size()] = '\0';
            if (static_cast<int32_t>(text.size()) + 1 < size)
                buffer[text.size() + 1] = '\0';
        }
        AddMisspelling(w, state);
        AddMisspelling(Replaced(w, '\'', '\x91'), state);
        AddMisspelling(Replaced(w, '\'', '\x92'), state);
        AddMisspelling(Replaced(w, '\'', '`'), state);
        AddMisspelling(Replaced(w, '-', '\x0B'), state);
    } else if (AcceptedCache.size() < AcceptedCacheLimit) {
        AcceptedCache.insert(w);
    }
    return state;
}

void TSpellCheckSystem::AddMisspelling(const std::string& form, uint8_t state)
{
    if (MisspelledCache.count(form))
        return;
    // The cache is bounded: when full it starts again from empty.
    if (MisspelledCache.size() >= MisspelledCacheLimit)
        MisspelledCache.clear();
    MisspelledCache.emplace(form, state);
}

SSCE_S16 TSpellCheckSystem::EngineCheck(const std::string& word, char* buffer, int32_t size)
{
    const SSCE_S16 replacementSize = static_cast<SSCE_S16>(std::clamp<int32_t>(size, 0, 0x7FFF));
    return SpellEngine().CheckWord(SessionId, word.c_str(), replacementSize > 0 ? buffer : nullptr, replacementSize);
}

bool TSpellCheckSystem::CanadianRetry(std::string& variant, size_t pos, int varied, SSCE_S16& result, char* buffer,
                                      int32_t size)
{
    static const char* const forms[] = {"AÀÁÂ", "EÈÉÊ", "IÌÍÎ", "OÒÓÔ", "UÙÚÛ"};
    for (; pos < variant.size(); ++pos) {
        const char c = variant[pos];
        const char* set = nullptr;
        for (const char* f : forms)
            if (f[0] == c)
                set = f;
        if (set && varied < 4) {
            for (int k = 0; k < 4; ++k) {
                variant[pos] = set[k];
                if (CanadianRetry(variant, pos + 1, varied + 1, result, buffer, size))
                    return true;
            }
            variant[pos] = c;
            return false;
        }
    }
    const SSCE_S16 r = EngineCheck(variant, buffer, size);
    if (r >= 0 && !(r & SSCE_MISSPELLED_WORD_RSLT)) {
        result = r;
        return true;
    }
    return false;
}

SSCE_S16 TSpellCheckSystem::CheckWithRetries(int32_t language, const std::string& word, char* buffer, int32_t size)
{
    SSCE_S16 r = EngineCheck(word, buffer, size);
    if (r < 0 || !(r & SSCE_MISSPELLED_WORD_RSLT))
        return r;
    if (language == SwissGerman) {
        std::string changed;
        bool any = false;
        for (size_t i = 0; i < word.size(); ++i) {
            if (i > 0 && word[i] == 's' && i + 1 < word.size() && word[i + 1] == 's') {
                changed += '\xDF';
                ++i;
                any = true;
            } else {
                changed += word[i];
            }
        }
        if (any)
            r = EngineCheck(changed, buffer, size);
    } else if (language == CanadianFrench && HasUpper(word)) {
        std::string variant = word;
        SSCE_S16 found = r;
        if (CanadianRetry(variant, 0, 0, found, buffer, size))
            r = found;
    }
    return r;
}

bool TSpellCheckSystem::SplitCompound(int32_t language, const std::string& part, size_t wholeLength, int depth,
                                      int32_t& budget)
{
    if (part.size() < (depth == 0 ? 2u : 3u))
        return false;
    if (part.size() < wholeLength) {
        if (--budget < 0)
            return false;
        if (CheckWithRetries(language, part, nullptr, 0) == 0)
            return true;
    }
    for (size_t p = 3; p + 3 <= part.size(); ++p) {
        if (--budget < 0)
            return false;
        if (CheckWithRetries(language, part.substr(0, p), nullptr, 0) == 0 &&
            SplitCompound(language, part.substr(p), wholeLength, depth + 1, budget))
            return true;
    }
    return false;
}

int32_t TSpellCheckSystem::CheckWord(int32_t language, const std::string& word, uint8_t& state, int32_t size,
                                     char* buffer)
{
    std::string w = word;
    if (IsCzech())
        ConvertToEngine(w);
    SSCE_S16 r = CheckWithRetries(language, w, buffer, size);
    if (r < 0)
        return r;
    if ((r & SSCE_MISSPELLED_WORD_RSLT) && w.find_first_of("'-") == std::string::npos &&
        IsCompoundLanguage(language & 0x3FF)) {
        SpellEngine().SetOption(SessionId, SSCE_CASE_SENSITIVE_OPT, 0);
        // The work per word is bounded: a long word cannot make the split run away.
        int32_t budget = CompoundSplitBudget;
        const bool split = SplitCompound(language, w, w.size(), 0, budget);
        SpellEngine().SetOption(SessionId, SSCE_CASE_SENSITIVE_OPT,
                                (EngineSettings.Flags & scRespectCase) ? 1 : 0);
        if (split)
            r = 0;
    }
    if (!(r & SSCE_MISSPELLED_WORD_RSLT)) {
        state = (r & SSCE_AUTO_CHANGE_WORD_RSLT) ? csAutoReplace : csAccepted;
        if (IsCzech() && state == csAutoReplace && size > 0)
            ConvertFromEngine(buffer, static_cast<size_t>(size));
        return CheckWordAccepted;
    }
    if (size > 0) {
        static const SSCE_S16 depths[] = {25, 50, 75};
        SSCE_S16 scores[16] = {};
        SpellEngine().Suggest(SessionId, w.c_str(), depths[std::min<uint8_t>(EngineSettings.SuggestQuality, 2)],
                              buffer, size, scores, 16);
        if (buffer[0] == '\0' && size > 1)
            buffer[1] = '\0';
        if (IsCzech())
            ConvertFromEngine(buffer, static_cast<size_t>(size));
        TidySuggestions(word, language, buffer, size);
    }
    state = csMisspelled;
    return r;
}

void TSpellCheckSystem::TidySuggestions(const std::string& word, int32_t language, char* buffer, int32_t size) const
{
    std::vector<std::string> list = ReadSuggestions(buffer, size);
    if (word.size() < 2 || list.size() < 2)
        return;
    // Near misses first, each group in its own order.
    std::vector<std::string> near, far;
    for (const std::string& s : list)
        (IsNearMiss(word, s) ? near : far).push_back(s);
    list = near;
    list.insert(list.end(), far.begin(), far.end());
    // Suggestions given twice: one of them goes.
    std::vector<std::string> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        if (sorted[i] != sorted[i + 1])
            continue;
        auto it = std::find_if(list.begin(), list.end(),
                               [&](const std::string& s) { return SameTextIgnoringCase(s, sorted[i]); });
        if (it != list.end())
            list.erase(it);
    }
    // A word in small letters is best answered in small letters.
    if (!HasUpper(word)) {
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = i + 1; j < list.size(); ++j)
                if (list[i] != list[j] && SameTextIgnoringCase(list[i], list[j]) && !HasUpper(list[j]))
                    std::swap(list[i], list[j]);
    }
    // Canadian French: accented capitals also offered plain.
    if (language == CanadianFrench) {
        for (size_t i = list.size(); i-- > 0;) {
            const std::string plain = PlainCapitals(list[i]);
            if (plain != list[i])
                list.insert(list.begin() + static_cast<std::ptrdiff_t>(i) + 1, plain);
        }
    }
    WriteSuggestions(list, buffer, size);
}

bool TSpellCheckSystem::IsCachedMisspelling(const std::string& word) const
{
    std::string w = word;
    if (PrimaryLanguage() == French)
        w = GetAutocorrectLangOptionsManager().GetLangOptions(FrenchLangId).ExpandLigatures(w);
    return MisspelledCache.count(w) > 0;
}

void TSpellCheckSystem::ForgetMisspelling(const std::string& word)
{
    const std::string w = NormalizeApostrophesAndHyphens(word);
    const std::string forms[] = {w, Replaced(w, '\'', '\x91'), Replaced(w, '\'', '\x92'), Replaced(w, '\'', '`'),
                                 Replaced(w, '-', '\x0B')};
    for (const std::string& f : forms) {
        MisspelledCache.erase(f);
        if (!f.empty() && Lower(f) == f) {
            std::string capitalised = f;
            capitalised[0] = Upper(f.substr(0, 1))[0];
            MisspelledCache.erase(capitalised);
        }
        MisspelledCache.erase(Upper(f));
    }
}
