#pragma once
// Spelling systems for tests: a program folder of the test's own with
// descriptions and lexicons written by the test, the shipped systems beside the
// test executable, and message answers.
#include "foundation/MessageAnswers.h"
#include "platform/runtime/Folders.h"
#include "platform/testing/Testing.h"
#include "proofing/SpellCheckDrvAPI.h"
#include "proofing/SpellCheckSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// A description file's text.
inline std::string EscText(int32_t language, const std::vector<std::string>& fixed,
                           const std::vector<std::string>& editable = {})
{
    std::string t = "[General]\r\nLanguage=" + std::to_string(language) + "\r\nDescription=Test\r\n";
    t += "[Fixed Lexicons]\r\nCount=" + std::to_string(fixed.size()) + "\r\n";
    for (size_t i = 0; i < fixed.size(); ++i)
        t += "Lexicon" + std::to_string(i + 1) + "=" + fixed[i] + "\r\n";
    t += "[Editable Lexicons]\r\nCount=" + std::to_string(editable.size()) + "\r\n";
    for (size_t i = 0; i < editable.size(); ++i)
        t += "Lexicon" + std::to_string(i + 1) + "=" + editable[i] + "\r\n";
    return t;
}

// A program folder of the test's own: "Orthographe/" and "Orthographe/Lex/".
class TSpellFolder {
public:
    explicit TSpellFolder(const std::string& name) : Root(MakeTestDir(name) + "/")
    {
        std::filesystem::create_directories(Root + "Orthographe/Lex");
        // Each test starts without the user's dictionaries and descriptions of another.
        std::filesystem::remove_all(SpellUserFolder());
        SetSpellProgramFolder(Root);
    }
    ~TSpellFolder() { SetSpellProgramFolder(""); }
    TSpellFolder(const TSpellFolder&) = delete;
    TSpellFolder& operator=(const TSpellFolder&) = delete;

    void Description(const std::string& name, const std::string& text) { WriteTestFile(Root + "Orthographe/" + name, text); }
    void Lexicon(const std::string& name, const std::string& bytes) { WriteTestFile(Root + "Orthographe/Lex/" + name, bytes); }
    std::string LexPath(const std::string& name) const { return Root + "Orthographe/Lex/" + name; }

    std::string Root;
};

// A started system; fails the test when it does not run.
inline std::unique_ptr<TSpellCheckSystem> StartedSystem(const std::string& name)
{
    auto system = std::make_unique<TSpellCheckSystem>(name);
    system->StartSession();
    EXPECT_TRUE(system->Running) << name;
    return system;
}

// The first suggestion of a buffer.
inline std::string FirstSuggestion(const char* buffer)
{
    return std::string(buffer);
}

inline std::vector<std::string> Suggestions(const char* buffer, size_t size)
{
    std::vector<std::string> list;
    size_t i = 0;
    while (i < size && buffer[i]) {
        list.emplace_back(buffer + i);
        i += list.back().size() + 1;
    }
    return list;
}
