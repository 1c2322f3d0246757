#pragma once
// One Hunspell dictionary as the engine's dictionary lexicons use it: words in
// code page 1252 in, 1252 out. Dictionaries are shared between the sessions
// that open them and freed with the last of them.
#include <memory>
#include <string>
#include <vector>

class Hunspell;

class THunspellDictionary {
public:
    // The dictionary of these files (system file names); nullptr when Hunspell
    // cannot use them (unknown encoding, unreadable files).
    static std::shared_ptr<THunspellDictionary> Open(const std::string& affPath, const std::string& dicPath);
    ~THunspellDictionary();
    THunspellDictionary(const THunspellDictionary&) = delete;
    THunspellDictionary& operator=(const THunspellDictionary&) = delete;

    // A word of code page 1252 is in the dictionary (with its affixes and
    // compounds). A word that cannot be written in the dictionary's encoding is not.
    bool Spell(const std::string& word) const;
    // Hunspell's suggestions that code page 1252 can hold, best first.
    std::vector<std::string> Suggest(const std::string& word) const;

private:
    THunspellDictionary() = default;
    bool ToDictionary(const std::string& word, std::string& out) const;
    bool FromDictionary(const std::string& text, std::string& out) const;

    std::unique_ptr<Hunspell> FHunspell;
    bool FUtf8 = true;
};

// Where a dictionary of that name (without extension) is: the .aff and .dic
// system paths, looked up in the folder given first, then in the folders of
// $DICPATH, then in the system's dictionary folders. False when not found.
bool FindHunspellDictionary(const std::string& fsFolder, const std::string& name, std::string& affPath,
                            std::string& dicPath);
