#include "platform/spelling/HunspellDictionary.h"

#include "platform/runtime/CodePages.h"

#include <hunspell/hunspell.hxx>

#include <array>
#include <cstdlib>
#include <map>
#include <sys/stat.h>

namespace {

// UTF-8 forms of the 256 bytes of code page 1252, made once.
const std::array<std::string, 256>& Utf8Of1252()
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            t[static_cast<size_t>(b)] = Utf8FromAnsi(std::string_view(&c, 1));
        }
        return t;
    }();
    return table;
}

bool IsFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Dictionaries already open, by their .aff path; an entry dies with the last user.
std::map<std::string, std::weak_ptr<THunspellDictionary>>& OpenDictionaries()
{
    static std::map<std::string, std::weak_ptr<THunspellDictionary>> map;
    return map;
}

}  // namespace

THunspellDictionary::~THunspellDictionary() = default;

std::shared_ptr<THunspellDictionary> THunspellDictionary::Open(const std::string& affPath, const std::string& dicPath)
{
    auto& open = OpenDictionaries();
    auto it = open.find(affPath);
    if (it != open.end()) {
        if (auto existing = it->second.lock())
            return existing;
    }
    std::shared_ptr<THunspellDictionary> dict(new THunspellDictionary());
    dict->FHunspell = std::make_unique<Hunspell>(affPath.c_str(), dicPath.c_str());
    const std::string encoding = dict->FHunspell->get_dict_encoding();
    if (encoding == "UTF-8" || encoding == "utf-8")
        dict->FUtf8 = true;
    else if (encoding == "ISO8859-1" || encoding == "ISO-8859-1")
        dict->FUtf8 = false;
    else
        return nullptr;  // other 8-bit encodings are not used by the dictionaries we ship with
    open[affPath] = dict;
    return dict;
}

bool THunspellDictionary::ToDictionary(const std::string& word, std::string& out) const
{
    out.clear();
    if (FUtf8) {
        const auto& table = Utf8Of1252();
        for (unsigned char c : word)
            out += table[c];
        return true;
    }
    // ISO 8859-1: the 1252 bytes 0x80 to 0x9F have no place there.
    for (unsigned char c : word) {
        if (c >= 0x80 && c < 0xA0)
            return false;
        out += static_cast<char>(c);
    }
    return true;
}

bool THunspellDictionary::FromDictionary(const std::string& text, std::string& out) const
{
    if (!FUtf8) {
        out = text;
        return true;
    }
    bool usedDefault = false;
    out = AnsiFromUtf8(text, &usedDefault);
    return !usedDefault;
}

bool THunspellDictionary::Spell(const std::string& word) const
{
    std::string w;
    if (!ToDictionary(word, w))
        return false;
    return FHunspell->spell(w);
}

std::vector<std::string> THunspellDictionary::Suggest(const std::string& word) const
{
    std::vector<std::string> result;
    std::string w;
    if (!ToDictionary(word, w))
        return result;
    for (const std::string& s : FHunspell->suggest(w)) {
        std::string ansi;
        if (FromDictionary(s, ansi))
            result.push_back(ansi);
    }
    return result;
}

bool FindHunspellDictionary(const std::string& fsFolder, const std::string& name, std::string& affPath,
                            std::string& dicPath)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return false;
    std::vector<std::string> folders;
    if (!fsFolder.empty())
        folders.push_back(fsFolder);
    if (const char* env = std::getenv("DICPATH")) {
        std::string list = env;
        size_t pos = 0;
        while (pos <= list.size()) {
            size_t end = list.find(':', pos);
            if (end == std::string::npos)
                end = list.size();
            if (end > pos)
                folders.push_back(list.substr(pos, end - pos));
            pos = end + 1;
        }
    }
    folders.insert(folders.end(), {"/usr/local/share/hunspell", "/usr/share/hunspell", "/usr/share/myspell/dicts",
                                   "/usr/share/myspell"});
    for (std::string folder : folders) {
        if (folder.back() != '/')
            folder += '/';
        if (IsFile(folder + name + ".aff") && IsFile(folder + name + ".dic")) {
            affPath = folder + name + ".aff";
            dicPath = folder + name + ".dic";
            return true;
        }
    }
    return false;
}
