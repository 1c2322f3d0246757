#pragma once
// Documents checked with the shipped French and English spelling systems
// (Debian's Hunspell dictionaries): the spelling settings made for the test,
// the document's words given a language, the background check run to its
// end, and the marks it left read back as words.
#include "document/EditingFixtures.h"
#include "document/model/Paragraph.h"
#include "foundation/CharFormat.h"
#include "foundation/managers/LanguageManager.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Locale.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "proofing/SpellCheckDrvAPI.h"
#include "proofing/SpellCheckSystem.h"
#include "shell/proofing/SpellCheckManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

constexpr int32_t kFrench = 0x040C;
constexpr int32_t kEnglishUS = 0x0409;
constexpr int32_t kGerman = 0x0407;

// The spelling settings of a test: the shipped French and American English
// systems, the default flags, and no user dictionary left by another test.
class TSpellingSetup {
public:
    TSpellingSetup() : FFlags(ProgramSpellSettings())
    {
        std::filesystem::remove_all(SpellUserFolder());
        CreateSpellSettings();
        GetSpellSettings()->SetSystemsText("Francais.esc;Anglais US.esc");
        ProgramSpellSettings() = TSC_SpellCheckSystemSettings{};
    }
    ~TSpellingSetup()
    {
        FreeSpellCheckManager();
        FreeSpellGlobals();
        ProgramSpellSettings() = FFlags;
    }
    TSpellingSetup(const TSpellingSetup&) = delete;
    TSpellingSetup& operator=(const TSpellingSetup&) = delete;

private:
    TSC_SpellCheckSystemSettings FFlags;
};

// A marked word of a paragraph: its text, with "#" after it for a word whose
// language has no spelling system.
inline std::vector<std::string> MarkedWords(TDocument& document)
{
    std::vector<std::string> words;
    for (int32_t p = 0; p < document.ParagraphCount(); ++p) {
        TParagraph& paragraph = document.Paragraphs(p);
        const TMemory& plain = paragraph.GetPlainChars();
        const std::string text(reinterpret_cast<const char*>(plain.Data()), static_cast<size_t>(plain.Size()));
        std::vector<TMisspelling> marks;
        for (int32_t i = 0; i < paragraph.GetMisspellingCount(); ++i)
            marks.push_back(paragraph.GetMisspelling(i));
        std::sort(marks.begin(), marks.end(), [](const TMisspelling& a, const TMisspelling& b) { return a.From < b.From; });
        for (const TMisspelling& m : marks) {
            std::string word = text.substr(static_cast<size_t>(m.From), static_cast<size_t>(m.To - m.From));
            if (m.Value == SpellMarkNoSystem)
                word += "#";
            words.push_back(word);
        }
    }
    return words;
}

// Runs the document's background check from its start to its end, as the
// frame's idle work does; false when it did not end.
inline bool CheckInBackground(TDocument& document)
{
    document.RestartSpellCheck();
    for (int i = 0; i < 10000; ++i) {
        GetSpellCheckManager().BackgroundStep(document);
        if (document.SpellState.Phase != bsChecking)
            return true;
    }
    return false;
}

class SpellingTest : public EditingTest {
protected:
    void SetUp() override
    {
        InitApplication();
        // The program makes the manager at its first idle time and starts a
        // system at its first word.
        ASSERT_NE(GetSpellCheckManager().GetSystemForLanguage(kFrench, true), nullptr);
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        RunPending();
    }

    // The whole body takes the language (not undoable).
    void SetLanguage(int32_t language) { SetLanguage(language, 0, 0, Doc->StoryLast(stBody), -1); }
    // The range takes the language (an end offset of -1: the paragraph's end).
    void SetLanguage(int32_t language, int32_t p1, int32_t o1, int32_t p2, int32_t o2)
    {
        TTextRange range;
        MakeTextPos(p1, o1, range.Start);
        MakeTextPos(p2, o2 < 0 ? Doc->Paragraphs(p2).GetCharCount() : o2, range.End);
        TCharFormat format;
        ClearCharFormat(format);
        format[cfLanguage] = language;
        uint8_t flags = 0;
        Doc->ExecuteOperation(docFormatText, {&range, &format, &flags});
        Undo().ClearUndo();
    }
    // The characters of a paragraph without its mark.
    std::string PlainText(int32_t paragraph) const
    {
        return Doc->GetTextRun(paragraph, 0, Doc->Paragraphs(paragraph).GetCharCount());
    }

    TSpellingSetup Spelling;
};
