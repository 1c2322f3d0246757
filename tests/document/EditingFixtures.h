#pragma once
// Helpers of the editing tests: a host with the editing options and a record
// of what the document asked of it, and a fixture holding a document with a
// window (so that its operations are recorded for undo), built from paragraph
// texts in the notation of DocumentFixtures.h.
#include "document/DocumentDump.h"
#include "document/DocumentFixtures.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class TEditHost : public TTestHost {
public:
    bool Group = true;
    bool Replace = true;
    bool Overtype = false;
    int Locks = 0;
    int LockCalls = 0;
    int ToolbarRefreshes = 0;
    std::vector<std::string> ProgressTexts;
    std::vector<int32_t> ProgressSteps;
    int ProgressEnds = 0;
    bool Running = false;
    std::vector<int32_t> Events;

    bool GroupTypingUndo() override { return Group; }
    bool TypingReplacesSelection() override { return Replace; }
    bool OvertypeMode() override { return Overtype; }
    int32_t KeyboardLanguage() override { return 0x040C; }
    uint32_t KeyboardCodePage() override { return 1252; }
    void BeginDocumentUpdate(TDocument&) override
    {
        ++Locks;
        ++LockCalls;
    }
    void EndDocumentUpdate() override { --Locks; }
    bool ProgressRunning() override { return Running; }
    void ProgressStart(int32_t, const std::string& text) override { ProgressTexts.push_back(text); }
    void ProgressStep(int32_t done) override { ProgressSteps.push_back(done); }
    void ProgressEnd() override { ++ProgressEnds; }
    void RefreshToolbars() override { ++ToolbarRefreshes; }
    void FireProgramEvent(int32_t id) override { Events.push_back(id); }
};

// A line layout for the editing tests: a line holds as many characters as its
// right limit in layout units, one unit a character.
class TCharLine : public TParLine {
public:
    void BuildLine(TLineBuildState& state) override
    {
        int32_t chars = 0;
        int32_t i = 0;
        while (i < state.Remaining && chars < RightLimit) {
            if (state.Text[i] != 0) {
                ++chars;
                ++i;
                continue;
            }
            const TInlineControl c = ReadInlineControl(state.Text + i);
            if (IsFormatCode(c.Code))
                state.Format[c.Code] = c.Argument;
            else if (IsCharacterCode(c.Code))
                ++chars;
            i += InlineControlSize;
        }
        state.Text += i;
        state.Remaining -= i;
    }
    void FinishLine() override {}
    bool EndsWithBreak() const override { return false; }
    // One unit a character: the block's extent is the characters' span.
    void GetBlockRange(int32_t leftX, int32_t rightX, int32_t& first, int32_t& last) override
    {
        if (leftX > rightX)
            std::swap(leftX, rightX);
        first = std::clamp(leftX, 0, CharCount);
        last = std::clamp(rightX, 0, CharCount);
    }
};

class TCharLayout : public TParagraphLayout {
public:
    TCharLayout() : FPrevious(SetParagraphLayout(this)) {}
    ~TCharLayout() override { SetParagraphLayout(FPrevious); }
    int32_t WidthToLayout(TParagraph&, int32_t twips) override { return twips; }
    int32_t ScaleToViewX(TParagraph&, int32_t value) override { return value; }
    int32_t ScaleFromViewX(TParagraph&, int32_t value) override { return value; }
    void PrepareParagraphTabs(TParagraph&) override {}
    void SelectRunFont(TParagraph&, const TCharFormat&) override {}
    std::unique_ptr<TParLine> CreateLine(TParagraph&) override { return std::make_unique<TCharLine>(); }

private:
    TParagraphLayout* FPrevious;
};

class EditingTest : public testing::Test {
protected:
    TTestViews Views;
    TEditHost Host;
    std::unique_ptr<TDocument> Doc = std::make_unique<TDocument>(false);

    TOperationManager& Undo() { return Doc->UndoManager(); }

    // The body's paragraphs, replaced by these texts (normalised, as layout
    // and editing keep them); the caret at the start.
    void Build(const std::vector<std::string>& paragraphs)
    {
        while (Doc->StoryCount(stBody) < static_cast<int32_t>(paragraphs.size()))
            Doc->AppendParagraph(stBody);
        for (size_t i = 0; i < paragraphs.size(); ++i) {
            TParagraph& paragraph = Doc->Paragraphs(static_cast<int32_t>(i));
            SetParagraphText(paragraph, paragraphs[i]);
            paragraph.NormalizeControlCodes();
        }
        Doc->SectionsDirty = 1;
        Doc->SetSelection(0, 0, 0, 0);
    }
    // A story other than the body, appended.
    void AddToStory(int32_t story, const std::string& text)
    {
        TParagraph& paragraph = Doc->AppendParagraph(story);
        SetParagraphText(paragraph, text);
        paragraph.NormalizeControlCodes();
    }

    void Caret(int32_t paragraph, int32_t offset) { Doc->SetSelection(paragraph, offset, paragraph, offset); }
    void Select(int32_t p1, int32_t o1, int32_t p2, int32_t o2) { Doc->SetSelection(p1, o1, p2, o2); }

    // Text through the dispatcher (operation 14), as the window sends it.
    void TypeText(const std::string& text, uint8_t flags = 0)
    {
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
    }
    // One operation per character.
    void Type(const std::string& text)
    {
        for (char c : text)
            TypeText(std::string(1, c));
    }

    // The plain characters of a paragraph, special characters as their codes.
    std::string Plain(int32_t paragraph) const
    {
        const TMemory& plain = Doc->Paragraphs(paragraph).GetPlainChars();
        return std::string(reinterpret_cast<const char*>(plain.Data()), static_cast<size_t>(plain.Size()));
    }
    std::string Text(int32_t paragraph) const { return DumpParagraphText(Doc->Paragraphs(paragraph)); }
};
