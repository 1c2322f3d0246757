#pragma once
// Helpers of the tests of format operations and range deletion: a dump that
// adds to the document dump what format operations change besides the text
// (section settings, page set-up, tab interval, hyphenation, default language,
// field instructions), the character format of every character, and a
// fixture document of three sections with formatted runs, a bookmark, a field
// and two styles.
#include "document/EditingFixtures.h"
#include "document/fields/Field.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Everything DumpDocument holds, and the values format operations change
// beside the text.
inline std::string DumpAll(TDocument& document)
{
    std::string out = DumpDocument(document);
    for (int32_t i = 0; i < document.SectionCount(); ++i) {
        const TSection& section = document.Sections(i);
        out += "settings " + std::to_string(section.Handle()) + ":";
        for (int slot = 0; slot < TSectionSettings::Count; ++slot)
            if (section.Settings[slot] != 0)
                out += " " + std::to_string(slot) + "=" + std::to_string(section.Settings[slot]);
        out += "\npage " + std::to_string(section.Handle()) + ":";
        for (int slot = 0; slot < TPageParams::Count; ++slot)
            out += " " + std::to_string(section.PageParams[slot]);
        out += " trailing " + std::to_string(section.Trailing[0]) + " " + std::to_string(section.Trailing[1]) + "\n";
    }
    for (const auto& object : document.RangeObjects())
        out += "instruction " + std::to_string(object->Handle()) + " " + object->Instruction + "\n";
    out += "tabs " + std::to_string(document.TabManager().DefaultInterval()) + " hyphenation " +
           std::to_string(document.AutoHyphenation) + " " + std::to_string(document.HyphenationZone) + " " +
           std::to_string(document.HyphenationLimit) + " language " + std::to_string(document.DocumentLanguage) +
           " styles " + std::to_string(document.Styles().Count()) + "\n";
    return out;
}

// Runs an operation through the dispatcher, then undoes, redoes, undoes and
// redoes it: each state must be the one before or after, byte for byte, and
// the document consistent after it. Returns the state after.
inline std::string RoundTripOperation(TDocument& document, TDocOperationCode code, std::initializer_list<void*> params)
{
    TOperationManager& undo = document.UndoManager();
    const std::string before = DumpAll(document);
    const int32_t current = undo.CurrentIndex();
    document.ExecuteOperation(code, params);
    EXPECT_EQ(undo.CurrentIndex(), current + 1) << "nothing was recorded";
    const std::string after = DumpAll(document);
    EXPECT_NE(after, before);
    ExpectDocumentConsistent(document);
    undo.Undo();
    EXPECT_EQ(DumpAll(document), before);
    undo.Redo();
    EXPECT_EQ(DumpAll(document), after);
    undo.Undo();
    EXPECT_EQ(DumpAll(document), before);
    undo.Redo();
    return after;
}

// The character format of every character of every paragraph.
inline std::vector<std::vector<TCharFormat>> CharFormatsOf(const TDocument& document)
{
    std::vector<std::vector<TCharFormat>> result;
    for (int32_t index = 0; index < document.ParagraphCount(); ++index)
        result.push_back(CharFormatsOfParagraph(document.Paragraphs(index)));
    return result;
}

inline TTextRange MakeRange(int32_t p1, int32_t o1, int32_t p2, int32_t o2)
{
    TTextRange range;
    MakeTextPos(p1, o1, range.Start);
    MakeTextPos(p2, o2, range.End);
    return range;
}

class TFormatHost : public TEditHost {
public:
    bool WholeWord = false;
    bool TakeWord = false;
    std::vector<TTextRange> Checked;
    int StyleBoxRefreshes = 0;
    bool FormatWholeWord() override { return WholeWord; }
    bool EmptySelectionTakesWord() override { return TakeWord; }
    void CheckSpelling(TDocument&, const TTextRange& range) override { Checked.push_back(range); }
    void RefreshStyleBox() override { ++StyleBoxRefreshes; }
};

class FormattingTest : public EditingTest {
protected:
    TFormatHost Format;
    TSection* S0 = nullptr;
    TSection* S1 = nullptr;
    TField* Mark = nullptr;
    TField* Field = nullptr;
    int32_t TitleStyle = -1;

    // Three sections (paragraphs 0-1, 2-3, 4-5) with bold, italic and size
    // runs, a bookmark on "douze", a field around "15", and two styles:
    // "Normal" (0) and "Titre" (1: bold, 16 pt, centred), which paragraph 2
    // has.
    void BuildFixture()
    {
        S1 = &Doc->InsertSection(0);
        S0 = &Doc->InsertSection(0);
        Mark = &Doc->AddRangeObject(rkBookmark);
        Mark->Instruction = "signet";
        Field = &Doc->AddRangeObject(rkField);
        Field->Type = 33;
        Field->Instruction = "PAGE";
        Build({"Un {2:1}deux trois{2:0} quatre{22:2}",
               "Cinq {3:1}six{3:0} sept" + SectionBreak(*S0),
               "{1:28}Huit neuf{1:24} dix{22:2}",
               "Onze " + Rec(icRangeStart, Mark->Handle()) + "douze" + Rec(icRangeEnd, Mark->Handle()) + " treize" +
                   SectionBreak(*S1),
               "Quatorze " + Rec(icRangeStart, Field->Handle()) + "15" + Rec(icRangeEnd, Field->Handle()) +
                   " seize{22:2}",
               "Fin{22:2}"});
        Doc->Paragraphs(1).Format[pfLeftIndent] = 720;
        Doc->Paragraphs(4).Format[pfAlignment] = 3;
        auto normal = std::make_unique<TStyle>(&Doc->Styles());
        normal->Name = normal->DisplayName = "Normal";
        ClearCharFormat(normal->CharFormat);
        ClearParFormat(normal->ParFormat);
        Doc->Styles().Add(std::move(normal));
        auto title = std::make_unique<TStyle>(&Doc->Styles());
        title->Name = title->DisplayName = "Titre";
        ClearCharFormat(title->CharFormat);
        ClearParFormat(title->ParFormat);
        title->CharFormat[cfBold] = 1;
        title->CharFormat[cfSize] = 32;
        title->ParFormat[pfAlignment] = 1;
        title->BasedOn = 0;
        TitleStyle = Doc->Styles().Add(std::move(title));
        Doc->Paragraphs(2).Format[pfStyle] = TitleStyle;
        Doc->RefreshRangeObjectPositions();
        Doc->SectionsDirty = 1;
    }

    // Runs the operation, then undoes, redoes and undoes it again; each state
    // must be the one before or after, byte for byte. Returns the state after.
    std::string RoundTrip(TDocOperationCode code, std::initializer_list<void*> params)
    {
        return RoundTripOperation(*Doc, code, params);
    }
};
