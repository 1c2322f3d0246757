#include "proofing/HyphManager.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/MessageDlg.h"
#include "foundation/StringRoutines.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/SysUtils.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

std::unique_ptr<THyphManager> g_Manager;

constexpr int32_t kEnglish = 9;
constexpr int32_t kDirectoryEntrySize = 12;
constexpr size_t kMaxBlockSize = 64u << 20;

bool IsVowel(char c)
{
    static const std::string vowels = "aeiouyàáâãäåæèéêëìíîïòóôõöøùúûüý";
    return vowels.find(c) != std::string::npos;
}

bool IsConsonant(char c)
{
    return !IsVowel(c);
}

// Case-insensitive order of the sorted word lists.
bool LessText(const std::string& a, const std::string& b)
{
    return AnsiCompareText(a, b) < 0;
}

// The English prefixes and their hyphenated forms, in search order.
const char* const kEnglishPrefixes[][2] = {
    {"after", "af-ter-"}, {"air", "air-"},     {"anti", "an-ti-"},   {"under", "un-der-"},   {"over", "over-"},
    {"trans", "trans-"},  {"back", "back-"},   {"un", "un-"},        {"in", "in-"},          {"non", "non-"},
    {"re", "re-"},        {"out", "out-"},     {"per", "per-"},      {"psycho", "psy-cho-"}, {"sub", "sub-"},
    {"sup", "sup-"},      {"para", "para-"},   {"semi", "semi-"},    {"pre", "pre-"},        {"tele", "tele-"},
    {"en", "en-"},        {"des", "des-"},     {"dis", "dis-"},      {"de", "de-"},          {"mis", "mis-"},
    {"micro", "mi-cro-"}, {"stereo", "stereo-"},
};

uint32_t ReadUInt32(const std::string& data, size_t& at)
{
    if (at + 4 > data.size())
        throw EReadError("Données de coupe de mots tronquées");
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(data[at + i])) << (8 * i);
    at += 4;
    return value;
}

// The lines of a text; CR LF, a lone CR or a lone LF end a line.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The break points of a hyphenated form: at each "-", the letters before it.
void ReadHyphens(const std::string& hyphenated, std::vector<int32_t>& points)
{
    int32_t letters = 0;
    for (char c : hyphenated) {
        if (c == '-')
            points.push_back(letters);
        else
            ++letters;
    }
}

bool IsEvenLevel(char level)
{
    return level == '2' || level == '4' || level == '6' || level == '8';
}

bool IsHighOddLevel(char level)
{
    return level == '5' || level == '7' || level == '9';
}

}  // namespace

// ===========================================================================
// TLanguageHyphData

TLanguageHyphData::TLanguageHyphData(int32_t languageId) : LanguageId(languageId) {}

void TLanguageHyphData::LoadBlock(const std::string& block)
{
    size_t at = 0;
    const uint32_t patternLength = ReadUInt32(block, at);
    if (at + patternLength > block.size())
        throw EReadError("Données de coupe de mots tronquées");
    Patterns = SplitLines(block.substr(at, patternLength));
    at += patternLength;
    const uint32_t exceptionLength = ReadUInt32(block, at);
    if (at + exceptionLength > block.size())
        throw EReadError("Données de coupe de mots tronquées");
    const std::vector<std::string> lines = SplitLines(block.substr(at, exceptionLength));
    at += exceptionLength;

    // Front coding: a line starting below "Z" takes (count - 48) characters of
    // the word before it.
    Exceptions.clear();
    std::string previous;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string word;
        if (i > 0 && !line.empty() && static_cast<uint8_t>(line[0]) < 'Z') {
            const int kept = std::clamp(static_cast<int>(static_cast<uint8_t>(line[0])) - 48, 0,
                                        static_cast<int>(previous.size()));
            word = previous.substr(0, static_cast<size_t>(kept)) + line.substr(1);
        } else {
            word = line;
        }
        previous = word;
        // The break mask: as wide as the word asks.
        const size_t length = word.size();
        const int width = length >= 1 && length <= 8 ? 1 : length >= 9 && length <= 16 ? 2
                                                         : length >= 17 && length <= 24 ? 3
                                                                                        : 4;
        if (at + static_cast<size_t>(width) > block.size())
            throw EReadError("Données de coupe de mots tronquées");
        uint32_t mask = 0;
        for (int b = 0; b < width; ++b)
            mask |= static_cast<uint32_t>(static_cast<uint8_t>(block[at + static_cast<size_t>(b)])) << (8 * b);
        at += static_cast<size_t>(width);
        Exceptions.push_back(TException{word, mask});
    }
    std::stable_sort(Exceptions.begin(), Exceptions.end(),
                     [](const TException& a, const TException& b) { return LessText(a.Word, b.Word); });
    HasData = true;
}

void TLanguageHyphData::SetUserWords(const std::vector<std::string>& hyphenated)
{
    std::vector<std::pair<std::string, std::string>> words;
    for (const std::string& line : hyphenated) {
        std::string plain;
        for (char c : line)
            if (c != '-')
                plain.push_back(c);
        const bool known = std::any_of(words.begin(), words.end(),
                                       [&](const auto& entry) { return AnsiCompareText(entry.first, plain) == 0; });
        if (!known)
            words.emplace_back(plain, line);
    }
    std::stable_sort(words.begin(), words.end(), [](const auto& a, const auto& b) { return LessText(a.first, b.first); });
    UserWords.clear();
    UserHyphenatedWords.clear();
    for (auto& [plain, line] : words) {
        UserWords.push_back(plain);
        UserHyphenatedWords.push_back(line);
    }
}

void TLanguageHyphData::SaveToStorage(TSettingsStorage& store) const
{
    // The store's keys are opened below its prefix: the hyphenation key takes
    // its place meanwhile. The store's current key afterwards is the
    // language's; callers open theirs again before writing on.
    const std::string previous = store.Prefix;
    store.Prefix = HyphenationSettingsKey;
    std::string lines;
    for (size_t i = 0; i < UserHyphenatedWords.size(); ++i)
        lines += (i ? "\r\n" : "") + UserHyphenatedWords[i];
    store.WriteLongString(std::to_string(LanguageId), LineBreaksToBars(lines));
    store.Prefix = previous;
}

void TLanguageHyphData::GetHyphenationPoints(const std::string& word, std::vector<int32_t>& points) const
{
    points.clear();
    const std::string lower = AnsiLowerCase(word);
    // 1. The user's words.
    const auto user = std::lower_bound(UserWords.begin(), UserWords.end(), lower, LessText);
    if (user != UserWords.end() && AnsiCompareText(*user, lower) == 0) {
        ReadHyphens(UserHyphenatedWords[static_cast<size_t>(user - UserWords.begin())], points);
        return;
    }
    // 2. The exceptions.
    const auto exception = std::lower_bound(Exceptions.begin(), Exceptions.end(), lower,
                                            [](const TException& e, const std::string& w) { return LessText(e.Word, w); });
    if (exception != Exceptions.end() && AnsiCompareText(exception->Word, lower) == 0) {
        for (int32_t b = 0; b < 32; ++b)
            if (exception->Mask & (uint32_t{1} << b))
                points.push_back(b);
        return;
    }
    // 3. The patterns; a language without data gives no points.
    if (!HasData)
        return;
    ReadHyphens(ApplyPatterns(lower), points);
}

std::string TLanguageHyphData::SplitSyllables(const std::string& source) const
{
    std::string r = source;
    if (source.size() <= 3)
        return r;
    const std::string w = AnsiLowerCase(source);
    const bool english = (LanguageId & 0x3FF) == kEnglish;
    if (english) {
        for (const auto& row : kEnglishPrefixes) {
            const std::string prefix = row[0];
            // A prefix is split off only when the rest of the word holds a
            // vowel: "unrest" gives un-rest, not a syllable "st" without one.
            if (w.size() > prefix.size() && w.compare(0, prefix.size(), prefix) == 0 &&
                std::any_of(w.begin() + static_cast<std::ptrdiff_t>(prefix.size()), w.end(), IsVowel))
                return row[1] + SplitSyllables(r.substr(prefix.size()));
        }
    }
    // Letters counted from 1: W[i] is w[i - 1].
    auto at = [&w](int32_t i) { return w[static_cast<size_t>(i - 1)]; };
    int32_t i = static_cast<int32_t>(w.size());
    while (i > 0) {
        int32_t c = 0;
        while (i > 0 && IsConsonant(at(i))) {
            --i;
            ++c;
        }
        if (english) {
            if (i > 0 && IsVowel(at(i)))
                --i;
            if (i > 0 && IsConsonant(at(i))) {
                --i;
                ++c;
            }
        } else {
            while (i > 0 && IsVowel(at(i)))
                --i;
            c = 0;
            while (i > 0 && IsConsonant(at(i)) && (c == 0 || i == 1 || IsConsonant(at(i - 1)))) {
                --i;
                ++c;
            }
        }
        if (i > 1 && i < static_cast<int32_t>(r.size()) - 2 && c > 0)
            r.insert(static_cast<size_t>(i), 1, '-');
    }
    // No break before the word's first vowel.
    for (size_t k = 0; k + 1 < r.size(); ++k) {
        if (r[k] == '-')
            continue;
        if (IsVowel(static_cast<char>(AnsiLowerCase(std::string(1, r[k]))[0])))
            break;
        if (r[k + 1] == '-') {
            r.erase(k + 1, 1);
            break;
        }
    }
    return r;
}

std::string TLanguageHyphData::ApplyPatterns(const std::string& word) const
{
    std::string r = SplitSyllables(word);
    std::string w2 = AnsiLowerCase(word);
    w2.insert(w2.begin(), '.');
    w2.push_back('.');
    const auto n2 = static_cast<int32_t>(w2.size());
    // Level marks of the gaps before each character of w2; 0 is empty.
    std::vector<char> levels(static_cast<size_t>(n2), 0);
    for (const std::string& pattern : Patterns) {
        std::string letters;
        for (char c : pattern)
            if (c < '0' || c > '9')
                letters.push_back(c);
        if (letters.empty() || static_cast<int32_t>(letters.size()) > n2)
            continue;
        int32_t start = -1;
        for (int32_t s = 0; s + static_cast<int32_t>(letters.size()) <= n2 && start < 0; ++s) {
            bool match = true;
            for (size_t k = 0; k < letters.size() && match; ++k) {
                const char p = letters[k];
                const char c = w2[static_cast<size_t>(s) + k];
                match = p == '?' ? c != '.' : p == c;
            }
            if (match)
                start = s;
        }
        if (start < 0)
            continue;
        int32_t k = 1;
        for (char c : pattern) {
            if (c >= '0' && c <= '9') {
                const int32_t gap = start + k - 1;
                if (gap < n2 && c > levels[static_cast<size_t>(gap)])
                    levels[static_cast<size_t>(gap)] = c;
            } else {
                ++k;
            }
        }
    }
    // G(j): the gap before the j-th letter of the word (1 to n).
    const auto n = static_cast<int32_t>(word.size());
    auto g = [&](int32_t j) -> char { return j >= 1 && j <= n ? levels[static_cast<size_t>(j)] : 0; };
    const bool english = (LanguageId & 0x3FF) == kEnglish;
    // R counted from 1: R[r] is r[r - 1].
    auto ch = [&r](int32_t pos) -> char {
        return pos >= 1 && pos <= static_cast<int32_t>(r.size()) ? r[static_cast<size_t>(pos - 1)] : 0;
    };
    auto moveLeft = [&r](int32_t pos, int32_t by) {
        r.erase(static_cast<size_t>(pos - 1), 1);
        r.insert(static_cast<size_t>(pos - 1 - by), 1, '-');
    };
    // Moves the break at pos one letter to the right, or only removes it when
    // that would leave a syllable of one letter.
    auto moveRight = [&r, &ch](int32_t pos) {
        const bool oneLetter = ch(pos + 3) == '-';
        r.erase(static_cast<size_t>(pos - 1), 1);
        if (!oneLetter)
            r.insert(static_cast<size_t>(pos), 1, '-');
    };
    int32_t pos = 1;
    int32_t j = 1;
    int32_t guard = 0;
    while (pos < static_cast<int32_t>(r.size()) && ++guard < 1000) {
        if (ch(pos) != '-') {
            ++j;
            ++pos;
            continue;
        }
        if (!IsEvenLevel(g(j))) {
            ++pos;
            continue;
        }
        const auto length = static_cast<int32_t>(r.size());
        if (pos > 3 && IsHighOddLevel(g(j - 1)) && ch(pos - 1) != '-') {
            moveLeft(pos, 1);
            --j;
        } else if (pos > 4 && IsHighOddLevel(g(j - 2)) && ch(pos - 3) != '-') {
            moveLeft(pos, 2);
            --j;
        } else if (english) {
            const char after = static_cast<char>(AnsiLowerCase(std::string(1, ch(pos + 1)))[0]);
            if (pos < length - 3 && !IsEvenLevel(g(j + 1)) && (IsConsonant(after) || IsHighOddLevel(g(j + 1)))) {
                moveRight(pos);
            } else if (pos > 3 && (g(j - 1) == '3' || IsHighOddLevel(g(j - 1)))) {
                moveLeft(pos, 1);
                --j;
            } else {
                r.erase(static_cast<size_t>(pos - 1), 1);
            }
        } else if (pos < length - 3 && IsHighOddLevel(g(j + 1))) {
            moveRight(pos);
        } else if (pos > 3 && !IsEvenLevel(g(j - 1))) {
            moveLeft(pos, 1);
            --j;
        } else {
            r.erase(static_cast<size_t>(pos - 1), 1);
        }
    }
    return r;
}

// ===========================================================================
// THyphManager

THyphManager::THyphManager() : THyphManager(GetProgramFolder() + DataFileName) {}

THyphManager::THyphManager(const std::string& path)
{
    Open(path);
}

THyphManager::~THyphManager() = default;

void THyphManager::Open(const std::string& path)
{
    FPath = path;
    if (!FileExists(path)) {
        QueueMessageDlg("Le module d'Eldravin pour la coupe de mots n'est pas installé. Veuillez utiliser le fichier "
                        "d'installation d'Eldravin pour installer le module de coupe de mots.",
                        mtInformation, mbOK, NoMessagePreset);
        return;
    }
    try {
        FDataFile = std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyWrite);
        uint32_t signature = 0;
        FDataFile->ReadBuffer(&signature, 4);
        if (signature != Signature) {
            FDataFile.reset();
            ShowInformation("Le module actuel d'Eldravin pour la coupe de mots (\"" + path +
                            "\") n'est pas d'une version appropriée, ou est altéré. Veuillez utiliser le fichier "
                            "d'installation d'Eldravin pour ré-installer le module de coupe de mots.");
            return;
        }
        const int64_t size = FDataFile->Size();
        if (size < 8)
            throw EReadError("Répertoire de coupe de mots manquant");
        FDataFile->SetPosition(size - 4);
        uint32_t length = 0;
        FDataFile->ReadBuffer(&length, 4);
        if (length > size - 8)
            throw EReadError("Répertoire de coupe de mots tronqué");
        FDirectory.resize(length);
        FDataFile->SetPosition(size - 4 - length);
        if (length > 0)
            FDataFile->ReadBuffer(FDirectory.data(), length);
        FFileValid = true;
    } catch (const Exception&) {
        FDirectory.clear();
        FDataFile.reset();
        ShowError("Impossible d'ouvrir le fichier \"" + path + "\".");
    }
}

std::string THyphManager::ReadBlock(uint32_t offset, uint32_t length)
{
    std::string compressed(length, '\0');
    FDataFile->SetPosition(offset);
    FDataFile->ReadBuffer(compressed.data(), length);
    z_stream stream{};
    if (inflateInit2(&stream, 15) != Z_OK)
        throw EReadError("Données de coupe de mots illisibles");
    stream.next_in = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_in = length;
    std::string out;
    char buffer[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
        // A language's patterns and words take a few megabytes at most; a
        // block that inflates past this bound is damaged.
        if (out.size() > kMaxBlockSize) {
            inflateEnd(&stream);
            throw EReadError("Données de coupe de mots illisibles");
        }
        if (result == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            break;
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END && result != Z_OK)
        throw EReadError("Données de coupe de mots illisibles");
    return out;
}

TLanguageHyphData& THyphManager::GetLanguageData(int32_t languageId)
{
    const int32_t key = languageId & 0x3FF;
    for (auto it = FLanguages.rbegin(); it != FLanguages.rend(); ++it)
        if ((*it)->LanguageId == key)
            return **it;
    auto data = std::make_unique<TLanguageHyphData>(key);
    if (FFileValid) {
        for (size_t at = 0; at + kDirectoryEntrySize <= FDirectory.size(); at += kDirectoryEntrySize) {
            uint32_t entry[3];
            std::memcpy(entry, FDirectory.data() + at, sizeof entry);
            if (static_cast<int32_t>(entry[0]) != key)
                continue;
            if (entry[2] > 0) {
                try {
                    data->LoadBlock(ReadBlock(entry[1], entry[2]));
                } catch (const Exception&) {
                    // A damaged block: the language has no data, and the
                    // user hears of it once, when the frame gets to it.
                    data = std::make_unique<TLanguageHyphData>(key);
                    QueueMessageDlg("Impossible d'ouvrir le fichier \"" + FPath + "\".", mtError, mbOK,
                                    NoMessagePreset);
                }
            }
            break;
        }
        if (!data->HasData)
            LanguageNotice(key);
    }
    LoadUserWords(*data);
    FLanguages.push_back(std::move(data));
    return *FLanguages.back();
}

void THyphManager::LanguageNotice(int32_t key)
{
    std::string name = GetLocaleLanguageName(static_cast<LCID>(key));
    if (name.empty())
        name = std::to_string(key);
    QueueMessageDlg("Désolé, mais le module d'Eldravin pour la coupe de mots ne prend pas encore en charge le \"" +
                        name + "\".",
                    mtInformation, mbOK, NoMessagePreset);
}

// The user's hyphenated words of the language, one a line in a long string
// named by the language id.
void THyphManager::LoadUserWords(TLanguageHyphData& data)
{
    if (!FStoreSource)
        return;
    const std::unique_ptr<TSettingsStorage> store = FStoreSource();
    if (!store)
        return;
    store->Prefix = HyphenationSettingsKey;
    const std::string text = BarsToLineBreaks(store->ReadLongString(std::to_string(data.LanguageId), ""));
    std::vector<std::string> lines = SplitLines(text);
    lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
    data.SetUserWords(lines);
}

void THyphManager::SaveToStorage(TSettingsStorage& store, bool transfer)
{
    if (transfer && FStoreSource) {
        // Every language the loading store knows is read, so that all of
        // them reach the new store, without notices.
        if (const std::unique_ptr<TSettingsStorage> source = FStoreSource()) {
            source->Prefix.clear();
            const bool quiet = MessagesQuiet();
            SetMessagesQuiet(true);
            for (int32_t id = 0; id <= 54; ++id) {
                if (source->KeyExists(HyphenationSettingsKey + std::to_string(id)))
                    GetLanguageData(id);
            }
            SetMessagesQuiet(quiet);
        }
    }
    for (auto it = FLanguages.rbegin(); it != FLanguages.rend(); ++it)
        if ((*it)->Modified || transfer)
            (*it)->SaveToStorage(store);
}

THyphManager& GetHyphManager()
{
    if (!g_Manager)
        g_Manager = std::make_unique<THyphManager>();
    return *g_Manager;
}

void FreeHyphManager()
{
    g_Manager.reset();
}

std::unique_ptr<THyphManager> SetHyphManager(std::unique_ptr<THyphManager> manager)
{
    std::swap(g_Manager, manager);
    return manager;
}
