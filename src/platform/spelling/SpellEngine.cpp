#include "platform/spelling/SpellEngine.h"

#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Locale.h"
#include "platform/spelling/HunspellDictionary.h"


#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

// Character classes and case maps of the user's locale, made once: the engine
// asks them for every word.
struct TCaseTables {
    std::array<uint16_t, 256> Flags{};
    std::array<uint8_t, 256> Upper{};
    std::array<uint8_t, 256> Lower{};
};

const TCaseTables& CaseTables()
{
    static const TCaseTables tables = [] {
        TCaseTables t;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            t.Flags[static_cast<size_t>(b)] = GetCharTypeFlags(LOCALE_USER_DEFAULT, static_cast<uint8_t>(b));
            t.Upper[static_cast<size_t>(b)] =
                static_cast<uint8_t>(LocaleUpperCase(LOCALE_USER_DEFAULT, std::string_view(&c, 1))[0]);
            t.Lower[static_cast<size_t>(b)] =
                static_cast<uint8_t>(LocaleLowerCase(LOCALE_USER_DEFAULT, std::string_view(&c, 1))[0]);
        }
        return t;
    }();
    return tables;
}

bool IsUpper(uint8_t c)
{
    return CaseTables().Flags[c] & C1_UPPER;
}
bool IsLower(uint8_t c)
{
    return CaseTables().Flags[c] & C1_LOWER;
}
bool IsDigit(uint8_t c)
{
    return CaseTables().Flags[c] & C1_DIGIT;
}
bool IsLetter(uint8_t c)
{
    return CaseTables().Flags[c] & C1_ALPHA;
}

std::string Lowered(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(CaseTables().Lower[static_cast<uint8_t>(c)]);
    return r;
}
std::string Uppered(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(CaseTables().Upper[static_cast<uint8_t>(c)]);
    return r;
}
std::string Capitalized(const std::string& s)
{
    std::string r = Lowered(s);
    if (!r.empty())
        r[0] = static_cast<char>(CaseTables().Upper[static_cast<uint8_t>(r[0])]);
    return r;
}

enum class TCase { NoLetter, Lower, Capitalized, Upper, Mixed };

TCase CaseOf(const std::string& w)
{
    int upper = 0, lower = 0;
    for (unsigned char c : w) {
        upper += IsUpper(c);
        lower += IsLower(c);
    }
    if (upper == 0 && lower == 0)
        return TCase::NoLetter;
    if (upper == 0)
        return TCase::Lower;
    if (lower == 0)
        return TCase::Upper;
    if (upper == 1 && IsUpper(static_cast<uint8_t>(w[0])))
        return TCase::Capitalized;
    return TCase::Mixed;
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes, SSCE_S16& error)
{
    if (!FileExists(fileName)) {
        error = SSCE_FILE_NOT_FOUND_ERR;
        return false;
    }
    THandle h = FileOpen(fileName, fmOpenRead | fmShareDenyWrite);
    if (h == INVALID_HANDLE_VALUE) {
        error = SSCE_FILE_READ_ERR;
        return false;
    }
    const int64_t size = FileGetSize(h);
    bytes.assign(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
    const bool ok = size >= 0 && size < (int64_t(1) << 30) &&
                    FileRead(h, bytes.data(), static_cast<int32_t>(size)) == static_cast<int32_t>(size);
    FileClose(h);
    if (!ok)
        error = SSCE_FILE_READ_ERR;
    return ok;
}

// Replaces the file through a complete new file beside it: a crash leaves the
// old lexicon or the new one, never half of one.
bool WriteWholeFileAtomically(const std::string& fileName, const std::string& bytes)
{
    const std::string temp = GetTempFileName(ExtractFilePath(ExpandFileName(fileName)), "~lex", ".tmp");
    if (temp.empty())
        return false;
    bool written = false;
    THandle h = FileOpen(temp, fmOpenWrite | fmShareExclusive);
    if (h != INVALID_HANDLE_VALUE) {
        written = FileWrite(h, bytes.data(), static_cast<int32_t>(bytes.size())) ==
                      static_cast<int32_t>(bytes.size()) &&
                  FlushFileBuffers(h);
        FileClose(h);
    }
    if (!written || !ReplaceFile(fileName, temp)) {
        DeleteFile(temp);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Lexicons

class TLexicon {
public:
    virtual ~TLexicon() = default;
    virtual bool ReadOnly() const { return true; }
};

// A text or memory lexicon.
class TTextLexicon : public TLexicon {
public:
    struct TEntry {
        std::string Word;
        char Action = 'i';
        std::string Other;
        // The entry's line as read from the file, written back unchanged while
        // the entry is; empty for an entry added since.
        std::string RawLine;
    };

    std::string FileName;  // empty: memory lexicon
    std::string HeaderLine;
    int32_t Language = 0x7878;
    std::vector<TEntry> Entries;
    std::array<uint8_t, 256> FromEngine{};

    TTextLexicon()
    {
        for (int i = 0; i < 256; ++i)
            FromEngine[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    bool ReadOnly() const override { return false; }

    // Parses the file's lines; false for a damaged file.
    bool Parse(const std::string& bytes, const std::array<uint8_t, 256>* toEngine)
    {
        Changed();
        Entries.clear();
        HeaderLine.clear();
        size_t pos = 0;
        bool first = true;
        while (pos < bytes.size()) {
            size_t end = bytes.find('\n', pos);
            if (end == std::string::npos)
                end = bytes.size();
            std::string raw = bytes.substr(pos, end - pos);
            pos = end + 1;
            std::string line = raw;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (first && line.rfind("#LID", 0) == 0) {
                first = false;
                const std::string num = line.size() > 5 ? line.substr(5) : "";
                if (line.size() < 6 || line[4] != ' ' ||
                    num.find_first_not_of("0123456789") != std::string::npos)
                    return false;
                Language = std::atoi(num.c_str());
                HeaderLine = raw;
                continue;
            }
            first = false;
            if (line.empty())
                continue;
            if (toEngine)
                for (char& c : line)
                    c = static_cast<char>((*toEngine)[static_cast<uint8_t>(c)]);
            TEntry e;
            const size_t tab = line.find('\t');
            e.Word = line.substr(0, tab);
            if (tab != std::string::npos) {
                if (tab + 1 >= line.size())
                    return false;
                e.Action = line[tab + 1];
                e.Other = line.substr(tab + 2);
                if (e.Action != SSCE_IGNORE_ACTION && e.Action != SSCE_AUTO_CHANGE_ACTION)
                    return false;
                if (e.Action == SSCE_AUTO_CHANGE_ACTION && e.Other.empty())
                    return false;
            }
            if (e.Word.empty() || e.Word.size() > SSCE_MAX_WORD_SZ)
                return false;
            e.RawLine = raw;
            Entries.push_back(std::move(e));
        }
        return true;
    }

    bool Save() const
    {
        if (FileName.empty())
            return true;
        std::string out;
        if (!HeaderLine.empty())
            out += HeaderLine + "\n";
        else
            out += "#LID " + std::to_string(Language) + "\r\n";
        for (const TEntry& e : Entries) {
            if (!e.RawLine.empty()) {
                out += e.RawLine + "\n";
                continue;
            }
            std::string line = e.Word;
            if (e.Action != SSCE_IGNORE_ACTION || !e.Other.empty())
                line += std::string("\t") + e.Action + e.Other;
            for (char& c : line)
                c = static_cast<char>(FromEngine[static_cast<uint8_t>(c)]);
            out += line + "\r\n";
        }
        return WriteWholeFileAtomically(FileName, out);
    }

    int32_t IndexOf(const std::string& word) const
    {
        for (size_t i = 0; i < Entries.size(); ++i)
            if (Entries[i].Word == word)
                return static_cast<int32_t>(i);
        return -1;
    }

    // The entry that takes the word: the same text; with case respected also
    // the capitalised and the all-capitals forms of an entry in lower case (as
    // a dictionary takes them), otherwise any case.
    const TEntry* Match(const std::string& word, bool caseSensitive) const
    {
        if (!FIndexValid) {
            FLowerIndex.clear();
            for (size_t i = 0; i < Entries.size(); ++i)
                FLowerIndex.emplace(Lowered(Entries[i].Word), i);
            FIndexValid = true;
        }
        const auto [first, last] = FLowerIndex.equal_range(Lowered(word));
        for (auto it = first; it != last; ++it)
            if (Entries[it->second].Word == word)
                return &Entries[it->second];
        for (auto it = first; it != last; ++it) {
            const TEntry& e = Entries[it->second];
            if (!caseSensitive)
                return &e;
            const TCase ec = CaseOf(e.Word);
            if ((ec == TCase::Lower && (word == Capitalized(e.Word) || word == Uppered(e.Word))) ||
                (ec != TCase::Lower && word == Uppered(e.Word)))
                return &e;
        }
        return nullptr;
    }

    // The entries changed: the index is made again when next needed.
    void Changed() { FIndexValid = false; }

private:
    // Entries by their words in small letters.
    mutable std::unordered_multimap<std::string, size_t> FLowerIndex;
    mutable bool FIndexValid = false;
};

class TDictionaryLexicon : public TLexicon {
public:
    std::shared_ptr<THunspellDictionary> Dictionary;
    // French spelling without ligatures: "coeur" is taken as "cœur".
    bool Ligatures = false;

    bool Spell(const std::string& word) const
    {
        if (Dictionary->Spell(word))
            return true;
        return Ligatures && SpellWithLigatures(word);
    }

private:
    bool SpellWithLigatures(const std::string& word) const
    {
        // Each "oe" or "ae" may stand for its ligature; four such pairs at most.
        std::vector<size_t> pairs;
        for (size_t i = 0; i + 1 < word.size() && pairs.size() < 4; ++i) {
            const char a = word[i], e = word[i + 1];
            if ((a == 'o' || a == 'O' || a == 'a' || a == 'A') && (e == 'e' || e == 'E'))
                pairs.push_back(i);
        }
        for (unsigned mask = 1; mask < (1u << pairs.size()); ++mask) {
            std::string w;
            size_t from = 0;
            for (size_t k = 0; k < pairs.size(); ++k) {
                if (!(mask & (1u << k)))
                    continue;
                const size_t i = pairs[k];
                if (i < from)
                    continue;
                w += word.substr(from, i - from);
                const char a = word[i];
                const bool upper = a == 'O' || a == 'A';
                if (a == 'o' || a == 'O')
                    w += upper ? '\x8C' : '\x9C';
                else
                    w += upper ? '\xC6' : '\xE6';
                from = i + 2;
            }
            w += word.substr(from);
            if (Dictionary->Spell(w))
                return true;
        }
        return false;
    }
};

// ---------------------------------------------------------------------------
// Sessions

struct TSession {
    std::vector<std::pair<SSCE_S16, std::unique_ptr<TLexicon>>> Lexicons;  // in opening order
    std::unordered_map<SSCE_U32, bool> Options;
    SSCE_S16 NextLexId = 0;

    bool Option(SSCE_U32 id) const
    {
        auto it = Options.find(id);
        return it != Options.end() && it->second;
    }
    TLexicon* Find(SSCE_S16 lexId)
    {
        for (auto& [id, lex] : Lexicons)
            if (id == lexId)
                return lex.get();
        return nullptr;
    }
    SSCE_S16 Add(std::unique_ptr<TLexicon> lex)
    {
        if (static_cast<int>(Lexicons.size()) >= SSCE_MAX_LEXICONS)
            return SSCE_TOO_MANY_LEXICONS_ERR;
        // Ids are never reused within a session, so a stale id fails.
        const SSCE_S16 id = NextLexId;
        NextLexId = static_cast<SSCE_S16>(NextLexId == 0x7FFF ? 0 : NextLexId + 1);
        Lexicons.emplace_back(id, std::move(lex));
        return id;
    }
};

std::array<std::unique_ptr<TSession>, SSCE_MAX_SESSIONS>& Sessions()
{
    static std::array<std::unique_ptr<TSession>, SSCE_MAX_SESSIONS> sessions;
    return sessions;
}

TSession* FindSession(SSCE_S16 sid)
{
    if (sid < 0 || sid >= SSCE_MAX_SESSIONS)
        return nullptr;
    return Sessions()[static_cast<size_t>(sid)].get();
}

bool ValidWord(const SSCE_CHAR* word)
{
    return word && *word && std::strlen(word) <= SSCE_MAX_WORD_SZ;
}

// A lexicon file: a dictionary link or a text lexicon.
SSCE_S16 OpenLexFile(TSession& session, const std::string& fileName)
{
    std::string bytes;
    SSCE_S16 error = 0;
    if (!ReadWholeFile(fileName, bytes, error))
        return error;
    if (bytes.find('\0') != std::string::npos)
        return SSCE_UNKNOWN_LEX_FORMAT_ERR;
    for (unsigned char c : bytes)
        if (c < 32 && c != '\t' && c != '\r' && c != '\n')
            return SSCE_UNKNOWN_LEX_FORMAT_ERR;
    if (bytes.rfind("#HUNSPELL", 0) == 0) {
        std::string name;
        bool ligatures = false;
        size_t pos = 0;
        while (pos < bytes.size()) {
            size_t end = bytes.find('\n', pos);
            if (end == std::string::npos)
                end = bytes.size();
            std::string line = bytes.substr(pos, end - pos);
            pos = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.rfind("Dictionary=", 0) == 0)
                name = line.substr(11);
            else if (line == "Ligatures=1")
                ligatures = true;
        }
        if (name.empty())
            return SSCE_UNKNOWN_LEX_FORMAT_ERR;
        std::string aff, dic;
        if (!FindHunspellDictionary(FileSystemName(ExtractFilePath(ExpandFileName(fileName))), name, aff, dic))
            return SSCE_FILE_NOT_FOUND_ERR;
        auto dict = THunspellDictionary::Open(aff, dic);
        if (!dict)
            return SSCE_UNKNOWN_LEX_FORMAT_ERR;
        auto lex = std::make_unique<TDictionaryLexicon>();
        lex->Dictionary = std::move(dict);
        lex->Ligatures = ligatures;
        return session.Add(std::move(lex));
    }
    auto lex = std::make_unique<TTextLexicon>();
    lex->FileName = fileName;
    if (!lex->Parse(bytes, nullptr))
        return SSCE_UNKNOWN_LEX_FORMAT_ERR;
    return session.Add(std::move(lex));
}

// The check of one word against the session's lexicons, without the options
// that accept whole classes of words.
SSCE_S16 CheckInLexicons(TSession& s, const std::string& word, SSCE_CHAR* replacement, SSCE_S16 replacementSize)
{
    const bool caseSensitive = s.Option(SSCE_CASE_SENSITIVE_OPT);
    for (auto& [id, lex] : s.Lexicons) {
        auto* text = dynamic_cast<TTextLexicon*>(lex.get());
        if (!text)
            continue;
        if (const TTextLexicon::TEntry* e = text->Match(word, caseSensitive)) {
            if (e->Action == SSCE_AUTO_CHANGE_ACTION) {
                if (replacement && replacementSize > 0) {
                    const size_t n = std::min<size_t>(e->Other.size(), static_cast<size_t>(replacementSize - 1));
                    std::memcpy(replacement, e->Other.data(), n);
                    replacement[n] = '\0';
                }
                return SSCE_AUTO_CHANGE_WORD_RSLT;
            }
            return SSCE_OK_RSLT;
        }
    }
    for (auto& [id, lex] : s.Lexicons) {
        auto* dict = dynamic_cast<TDictionaryLexicon*>(lex.get());
        if (!dict)
            continue;
        if (dict->Spell(word))
            return SSCE_OK_RSLT;
        if (!caseSensitive) {
            const std::string lower = Lowered(word);
            if ((lower != word && dict->Spell(lower)) ||
                (Capitalized(word) != word && dict->Spell(Capitalized(word))))
                return SSCE_OK_RSLT;
        }
    }
    return SSCE_MISSPELLED_WORD_RSLT;
}

// Edit distance of two short words, stopping early beyond the limit.
int EditDistance(const std::string& a, const std::string& b, int limit)
{
    if (std::abs(static_cast<int>(a.size()) - static_cast<int>(b.size())) > limit)
        return limit + 1;
    std::vector<int> prev(b.size() + 1), cur(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        prev[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        cur[0] = static_cast<int>(i);
        int best = cur[0];
        for (size_t j = 1; j <= b.size(); ++j) {
            const int cost = Lowered(std::string(1, a[i - 1])) == Lowered(std::string(1, b[j - 1])) ? 0 : 1;
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost});
            best = std::min(best, cur[j]);
        }
        if (best > limit)
            return limit + 1;
        std::swap(prev, cur);
    }
    return prev[b.size()];
}

// The module.
int32_t LoadCount = 0;
bool ModuleLoaded = false;
constexpr HSPELLMODULE EngineModuleHandle = 0x5353;

}  // namespace

SSCE_S16 SSCE_OpenSession()
{
    auto& sessions = Sessions();
    for (size_t i = 0; i < sessions.size(); ++i) {
        if (!sessions[i]) {
            sessions[i] = std::make_unique<TSession>();
            return static_cast<SSCE_S16>(i);
        }
    }
    return SSCE_TOO_MANY_SESSIONS_ERR;
}

SSCE_S16 SSCE_CloseSession(SSCE_S16 sid)
{
    if (!FindSession(sid))
        return SSCE_BAD_SESSION_ID_ERR;
    Sessions()[static_cast<size_t>(sid)].reset();
    return 0;
}

SSCE_S16 SSCE_SetOption(SSCE_S16 sid, SSCE_U32 option, SSCE_U32 value)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    s->Options[option] = value != 0;
    return 0;
}

SSCE_S16 SSCE_OpenLex(SSCE_S16 sid, const SSCE_CHAR* fileName, SSCE_S32 /*memoryBudget*/)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    if (!fileName || !*fileName)
        return SSCE_FILE_NOT_FOUND_ERR;
    return OpenLexFile(*s, fileName);
}

SSCE_S16 SSCE_CreateLex(SSCE_S16 sid, const SSCE_CHAR* fileName, SSCE_S16 language)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    auto lex = std::make_unique<TTextLexicon>();
    lex->Language = language;
    if (fileName && *fileName) {
        if (FileExists(fileName))
            return SSCE_FILE_EXISTS_ERR;
        lex->FileName = fileName;
        if (!lex->Save())
            return SSCE_FILE_WRITE_ERR;
    }
    return s->Add(std::move(lex));
}

SSCE_S16 SSCE_CloseLex(SSCE_S16 sid, SSCE_S16 lexId)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    for (auto it = s->Lexicons.begin(); it != s->Lexicons.end(); ++it) {
        if (it->first == lexId) {
            s->Lexicons.erase(it);
            return 0;
        }
    }
    return SSCE_BAD_LEX_ID_ERR;
}

SSCE_S32 SSCE_GetLex(SSCE_S16 sid, SSCE_S16 lexId, SSCE_CHAR* buffer, SSCE_S32 size)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    TLexicon* lex = s->Find(lexId);
    if (!lex)
        return SSCE_BAD_LEX_ID_ERR;
    if (!buffer || size < 2)
        return SSCE_BUFFER_TOO_SMALL_ERR;
    SSCE_S32 used = 0;
    if (auto* text = dynamic_cast<TTextLexicon*>(lex)) {
        for (const auto& e : text->Entries) {
            const std::string item = e.Word + "\t" + e.Action + e.Other;
            if (used + static_cast<SSCE_S32>(item.size()) + 2 > size)
                break;
            std::memcpy(buffer + used, item.c_str(), item.size() + 1);
            used += static_cast<SSCE_S32>(item.size()) + 1;
        }
    }
    buffer[used] = '\0';
    if (used == 0)
        buffer[1] = '\0';
    return used + 1;
}

SSCE_S16 SSCE_AddToLex(SSCE_S16 sid, SSCE_S16 lexId, const SSCE_CHAR* word, SSCE_S16 action,
                       const SSCE_CHAR* otherWord)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    TLexicon* lex = s->Find(lexId);
    if (!lex)
        return SSCE_BAD_LEX_ID_ERR;
    auto* text = dynamic_cast<TTextLexicon*>(lex);
    if (!text)
        return SSCE_READ_ONLY_LEX_ERR;
    if (!ValidWord(word) || std::strpbrk(word, "\t\r\n") ||
        (action != SSCE_IGNORE_ACTION && action != SSCE_AUTO_CHANGE_ACTION))
        return SSCE_INVALID_WORD_ERR;
    const std::string other = otherWord ? otherWord : "";
    if ((action == SSCE_AUTO_CHANGE_ACTION && other.empty()) || other.find_first_of("\t\r\n") != std::string::npos)
        return SSCE_INVALID_WORD_ERR;
    TTextLexicon::TEntry entry{word, static_cast<char>(action), other, {}};
    const int32_t i = text->IndexOf(word);
    TTextLexicon::TEntry previous;
    text->Changed();
    if (i >= 0) {
        previous = text->Entries[static_cast<size_t>(i)];
        if (previous.Action == entry.Action && previous.Other == entry.Other)
            return 0;  // nothing changes, nothing is written
        text->Entries[static_cast<size_t>(i)] = entry;
    } else {
        text->Entries.push_back(entry);
    }
    if (!text->Save()) {
        if (i >= 0)
            text->Entries[static_cast<size_t>(i)] = previous;
        else
            text->Entries.pop_back();
        return SSCE_FILE_WRITE_ERR;
    }
    return 0;
}

SSCE_S16 SSCE_DelFromLex(SSCE_S16 sid, SSCE_S16 lexId, const SSCE_CHAR* word)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    TLexicon* lex = s->Find(lexId);
    if (!lex)
        return SSCE_BAD_LEX_ID_ERR;
    auto* text = dynamic_cast<TTextLexicon*>(lex);
    if (!text)
        return SSCE_READ_ONLY_LEX_ERR;
    if (!word)
        return SSCE_INVALID_WORD_ERR;
    const int32_t i = text->IndexOf(word);
    if (i < 0)
        return SSCE_WORD_NOT_FOUND_ERR;
    const TTextLexicon::TEntry removed = text->Entries[static_cast<size_t>(i)];
    text->Changed();
    text->Entries.erase(text->Entries.begin() + i);
    if (!text->Save()) {
        text->Entries.insert(text->Entries.begin() + i, removed);
        return SSCE_FILE_WRITE_ERR;
    }
    return 0;
}

SSCE_S16 SSCE_CheckWord(SSCE_S16 sid, const SSCE_CHAR* word, SSCE_CHAR* replacement, SSCE_S16 replacementSize)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    if (!word)
        return SSCE_INVALID_WORD_ERR;
    const std::string w = word;
    if (w.empty())
        return SSCE_OK_RSLT;
    if (w.size() > SSCE_MAX_WORD_SZ)
        return SSCE_MISSPELLED_WORD_RSLT;
    bool digit = false, letter = false;
    for (unsigned char c : w) {
        digit |= IsDigit(c);
        letter |= IsLetter(c);
    }
    if ((digit && s->Option(SSCE_IGNORE_MIXED_DIGITS_OPT)) || (!letter && s->Option(SSCE_IGNORE_NON_ALPHA_WORD_OPT)))
        return SSCE_OK_RSLT;
    const TCase c = CaseOf(w);
    if ((c == TCase::Upper && s->Option(SSCE_IGNORE_ALL_CAPS_WORD_OPT)) ||
        (c == TCase::Mixed && s->Option(SSCE_IGNORE_MIXED_CASE_OPT)) ||
        (IsUpper(static_cast<uint8_t>(w[0])) && s->Option(SSCE_IGNORE_CAPPED_WORD_OPT)))
        return SSCE_OK_RSLT;
    return CheckInLexicons(*s, w, replacement, replacementSize);
}

SSCE_S16 SSCE_Suggest(SSCE_S16 sid, const SSCE_CHAR* word, SSCE_S16 depth, SSCE_CHAR* buffer, SSCE_S32 size,
                      SSCE_S16 scores[], SSCE_S16 scoreSize)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    if (!word || !buffer || size < 2)
        return SSCE_BUFFER_TOO_SMALL_ERR;
    const std::string w = word;
    // The depth bounds how many suggestions are kept and how far the user's
    // lexicons are searched.
    const int wanted = std::clamp<int>(depth / 5 + 1, 1, std::max<int>(scoreSize, 1));
    const int distance = depth >= 50 ? 2 : 1;
    std::vector<std::string> found;
    auto add = [&](const std::string& t) {
        if (t.empty() || t == w || std::find(found.begin(), found.end(), t) != found.end())
            return;
        if (!s->Option(SSCE_SPLIT_WORDS_OPT) && t.find(' ') != std::string::npos)
            return;
        found.push_back(t);
    };
    if (w.size() <= SSCE_MAX_WORD_SZ) {
        for (auto& [id, lex] : s->Lexicons)
            if (auto* text = dynamic_cast<TTextLexicon*>(lex.get()))
                for (const auto& e : text->Entries)
                    if (e.Action == SSCE_IGNORE_ACTION && EditDistance(e.Word, w, distance) <= distance)
                        add(e.Word);
        for (auto& [id, lex] : s->Lexicons)
            if (auto* dict = dynamic_cast<TDictionaryLexicon*>(lex.get()))
                for (const std::string& t : dict->Dictionary->Suggest(w))
                    add(t);
    }
    SSCE_S32 used = 0;
    SSCE_S16 count = 0;
    for (const std::string& t : found) {
        if (count >= wanted || used + static_cast<SSCE_S32>(t.size()) + 2 > size)
            break;
        std::memcpy(buffer + used, t.c_str(), t.size() + 1);
        used += static_cast<SSCE_S32>(t.size()) + 1;
        if (scores && count < scoreSize)
            scores[count] = static_cast<SSCE_S16>(100 - 100 * count / std::max(wanted, 1));
        ++count;
    }
    buffer[used] = '\0';
    if (used == 0)
        buffer[1] = '\0';
    return count;
}

SSCE_S16 SSCE_Version(SSCE_CHAR* buffer, SSCE_U16 size)
{
    if (!buffer || size == 0)
        return SSCE_BUFFER_TOO_SMALL_ERR;
    const std::string text = "5.16 (Hunspell)";
    const size_t n = std::min<size_t>(text.size(), size - 1u);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return 0;
}

SSCE_S16 SSCE_SetLexFileCodeMap(SSCE_S16 sid, SSCE_S16 lexId, const uint8_t* toEngine, const uint8_t* fromEngine)
{
    TSession* s = FindSession(sid);
    if (!s)
        return SSCE_BAD_SESSION_ID_ERR;
    auto* text = dynamic_cast<TTextLexicon*>(s->Find(lexId));
    if (!text)
        return SSCE_BAD_LEX_ID_ERR;
    std::array<uint8_t, 256> to{};
    std::copy(toEngine, toEngine + 256, to.begin());
    std::copy(fromEngine, fromEngine + 256, text->FromEngine.begin());
    // The entries again from the lines as read, now through the map; lines of
    // entries added since stand in the file's code page too.
    std::string bytes;
    if (!text->HeaderLine.empty())
        bytes += text->HeaderLine + "\n";
    for (auto& e : text->Entries) {
        if (e.RawLine.empty()) {
            std::string line = e.Word;
            if (e.Action != SSCE_IGNORE_ACTION || !e.Other.empty())
                line += std::string("\t") + e.Action + e.Other;
            for (char& c : line)
                c = static_cast<char>(text->FromEngine[static_cast<uint8_t>(c)]);
            e.RawLine = line;
        }
        bytes += e.RawLine + "\n";
    }
    if (!text->Parse(bytes, &to))
        return SSCE_UNKNOWN_LEX_FORMAT_ERR;
    return 0;
}

HSPELLMODULE LoadSpellEngineLibrary(const std::string& /*path*/)
{
    ++LoadCount;
    ModuleLoaded = true;
    return EngineModuleHandle;
}

void* GetSpellEngineProcAddress(HSPELLMODULE module, const char* name)
{
    if (module != EngineModuleHandle || !ModuleLoaded || !name)
        return nullptr;
    struct TProc {
        const char* Name;
        void* Address;
    };
    static const TProc procs[] = {
        {"SSCE_OpenSession", reinterpret_cast<void*>(&SSCE_OpenSession)},
        {"SSCE_CloseSession", reinterpret_cast<void*>(&SSCE_CloseSession)},
        {"SSCE_SetOption", reinterpret_cast<void*>(&SSCE_SetOption)},
        {"SSCE_OpenLex", reinterpret_cast<void*>(&SSCE_OpenLex)},
        {"SSCE_CreateLex", reinterpret_cast<void*>(&SSCE_CreateLex)},
        {"SSCE_CloseLex", reinterpret_cast<void*>(&SSCE_CloseLex)},
        {"SSCE_GetLex", reinterpret_cast<void*>(&SSCE_GetLex)},
        {"SSCE_AddToLex", reinterpret_cast<void*>(&SSCE_AddToLex)},
        {"SSCE_DelFromLex", reinterpret_cast<void*>(&SSCE_DelFromLex)},
        {"SSCE_CheckWord", reinterpret_cast<void*>(&SSCE_CheckWord)},
        {"SSCE_Suggest", reinterpret_cast<void*>(&SSCE_Suggest)},
        {"SSCE_Version", reinterpret_cast<void*>(&SSCE_Version)},
        {"SSCE_SetLexFileCodeMap", reinterpret_cast<void*>(&SSCE_SetLexFileCodeMap)},
    };
    for (const TProc& p : procs)
        if (std::strcmp(p.Name, name) == 0)
            return p.Address;
    return nullptr;
}

void FreeSpellEngineLibrary(HSPELLMODULE module)
{
    if (module == EngineModuleHandle)
        ModuleLoaded = false;
}

int32_t SpellEngineLibraryLoadCount()
{
    return LoadCount;
}
