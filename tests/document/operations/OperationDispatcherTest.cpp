// The operation dispatcher: typing, Enter, overtype and typing over a
// selection through operation 14, each undone and redone byte for byte; the
// codes whose routines are missing; what a failing operation leaves behind.
#include "document/EditingFixtures.h"
#include "document/steps/InsertDeleteOperation.h"
#include "document/operations/OperationDispatcher.h"
#include "document/steps/FormatStyleListOperation.h"
#include "foundation/managers/Style.h"
#include "platform/runtime/Exception.h"

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

// One edit: the document, where the caret or the selection is, what is typed.
struct TEditScript {
    const char* Name;
    std::vector<std::string> Body;  // "{S}" stands for a section break
    std::vector<std::string> Footnotes;
    int32_t P1, O1, P2, O2;
    std::string Keys;
    bool OneOperation = false;  // the keys as one text, else one operation each
    bool Overtype = false;
};

// Shown by its name: the test's name and its listing stay the same from run to
// run (the bytes of the record would show addresses).
void PrintTo(const TEditScript& script, std::ostream* out)
{
    *out << script.Name;
}

const std::vector<TEditScript>& Scripts()
{
    static const std::vector<TEditScript> scripts = {
        {"TypeInMiddle", {"Bonjour{22:2}"}, {}, 0, 3, 0, 3, "abc"},
        {"TypeAtParagraphStart", {"Bonjour{22:2}", "Suite{22:2}"}, {}, 1, 0, 1, 0, "xy"},
        {"TypeAtParagraphEnd", {"Bonjour{22:2}", "Suite{22:2}"}, {}, 0, 7, 0, 7, " !"},
        {"TypeInsideBoldRun", {"a{2:1}bc{2:0}d{22:2}"}, {}, 0, 2, 0, 2, "XY"},
        {"TypeAfterBoldRun", {"a{2:1}bc{2:0}d{22:2}"}, {}, 0, 3, 0, 3, "Z"},
        {"TypeBeforeFormattedStart", {"{3:1}{2:1}ab{22:2}"}, {}, 0, 0, 0, 0, "Z"},
        {"EnterInMiddle", {"Bonjour{22:2}"}, {}, 0, 3, 0, 3, "\r"},
        {"EnterAtParagraphEnd", {"Bonjour{22:2}", "Suite{22:2}"}, {}, 0, 7, 0, 7, "\r"},
        {"EnterAtParagraphStart", {"Bonjour{22:2}", "Suite{22:2}"}, {}, 1, 0, 1, 0, "\r"},
        {"EnterAtDocumentEnd", {"Bonjour{22:2}", "Fin{22:2}"}, {}, 1, 3, 1, 3, "\r\r"},
        {"EnterInFormattedText", {"a{2:1}bc{2:0}d{22:2}"}, {}, 0, 2, 0, 2, "\r"},
        {"EnterThenType", {"Bonjour{22:2}"}, {}, 0, 7, 0, 7, "\rNouveau"},
        {"OvertypeInMiddle", {"Bonjour{22:2}"}, {}, 0, 2, 0, 2, "XYZ", false, true},
        {"OvertypeOverParagraphEnd", {"Bon{22:2}", "Suite{22:2}"}, {}, 0, 1, 0, 1, "XYZ", false, true},
        {"OvertypeEnter", {"Bonjour{22:2}"}, {}, 0, 2, 0, 2, "\r", false, true},
        {"ReplaceWithinParagraph", {"Bonjour{22:2}"}, {}, 0, 1, 0, 4, "Z"},
        {"ReplaceAcrossParagraphs", {"Bonjour{22:2}", "le monde{22:2}"}, {}, 0, 3, 1, 2, "Z"},
        {"EnterOverSelection", {"Bonjour{22:2}", "le monde{22:2}"}, {}, 0, 3, 1, 2, "\r"},
        {"ReplaceToDocumentEnd", {"Bonjour{22:2}", "Fin{22:2}"}, {}, 0, 2, 1, 4, "Z"},
        {"ReplaceFormattedRun", {"a{2:1}bc{2:0}d{22:2}"}, {}, 0, 1, 0, 3, "Z"},
        {"TypeBeforeSectionBreak", {"un{S}", "deux{22:2}"}, {}, 0, 2, 0, 2, "x"},
        {"EnterBeforeSectionBreak", {"un{S}", "deux{22:2}"}, {}, 0, 2, 0, 2, "\r"},
        {"TypeAfterSectionBreak", {"un{S}", "deux{22:2}"}, {}, 1, 0, 1, 0, "x"},
        {"ReplaceAcrossSectionBreak", {"un{S}", "deux{22:2}"}, {}, 0, 1, 1, 2, "Z"},
        {"EnterAcrossSectionBreak", {"un{S}", "deux{S}", "trois{22:2}"}, {}, 0, 1, 2, 1, "\r"},
        {"TypeAtBodyEndBeforeNotes", {"Corps{22:2}"}, {"Note{22:2}"}, 0, 5, 0, 5, "\rX"},
        {"TypeInNote", {"Corps{22:2}"}, {"Note{22:2}"}, 1, 4, 1, 4, "s\r"},
        {"SpecialCharacters", {"Texte{22:2}"}, {}, 0, 5, 0, 5, "\ta\xA0" "b\x96" "c\x97" "d\x1F" "e", true},
        {"SeveralLines", {"Texte{22:2}"}, {}, 0, 2, 0, 2, "un\r\ndeux\n\rtrois\rquatre", true},
        {"ControlCharactersDropped", {"Texte{22:2}"}, {}, 0, 2, 0, 2, std::string("\x01\x02\x03", 3), true},
    };
    return scripts;
}

class EditScriptTest : public EditingTest, public testing::WithParamInterface<TEditScript> {
protected:
    void Prepare(const TEditScript& script)
    {
        std::vector<std::string> body = script.Body;
        for (std::string& text : body) {
            const size_t at = text.find("{S}");
            if (at != std::string::npos) {
                TSection& section = Doc->InsertSection(Doc->SectionCount() - 1);
                text.replace(at, 3, SectionBreak(section));
            }
        }
        Build(body);
        for (const std::string& note : script.Footnotes)
            AddToStory(stFootnotes, note);
        Select(script.P1, script.O1, script.P2, script.O2);
        Host.Overtype = script.Overtype;
    }
    void Run(const TEditScript& script)
    {
        if (script.OneOperation)
            TypeText(script.Keys);
        else
            Type(script.Keys);
    }
};

TEST_P(EditScriptTest, UndoAndRedoRestoreEveryByte)
{
    const TEditScript& script = GetParam();
    Prepare(script);
    const std::string before = DumpDocument(*Doc);
    const TTextSelection selection = Doc->Selection();
    Run(script);
    const std::string after = DumpDocument(*Doc);
    ExpectDocumentConsistent(*Doc);
    const TTextPosition caretAfter{Doc->Caret.Paragraph, Doc->Caret.Offset};
    if (Undo().Count() == 0) {
        // Nothing survived the conversion: nothing changed, nothing recorded.
        EXPECT_EQ(before, after);
        EXPECT_FALSE(Doc->IsModified());
        return;
    }
    EXPECT_NE(before, after);
    EXPECT_TRUE(Doc->IsModified());

    // All at once.
    Undo().UndoAll();
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(CompareTextPos(Doc->Selection().Start, selection.Start), 0);
    EXPECT_EQ(CompareTextPos(Doc->Selection().End, selection.End), 0);
    EXPECT_FALSE(Doc->IsModified());
    Undo().RedoAll();
    EXPECT_EQ(DumpDocument(*Doc), after);
    EXPECT_EQ(Doc->Caret.Paragraph, caretAfter.Paragraph);
    EXPECT_EQ(Doc->Caret.Offset, caretAfter.Offset);

    // One step at a time, twice over.
    for (int round = 0; round < 2; ++round) {
        while (Undo().CanUndo())
            Undo().Undo();
        EXPECT_EQ(DumpDocument(*Doc), before) << "round " << round;
        while (Undo().CanRedo())
            Undo().Redo();
        EXPECT_EQ(DumpDocument(*Doc), after) << "round " << round;
    }
    ExpectDocumentConsistent(*Doc);
    EXPECT_EQ(Host.Locks, 0);
}

INSTANTIATE_TEST_SUITE_P(Scripts, EditScriptTest, testing::ValuesIn(Scripts()),
                         [](const testing::TestParamInfo<TEditScript>& info) { return info.param.Name; });

// ---------------------------------------------------------------------------

class DispatcherTest : public EditingTest {};

TEST_F(DispatcherTest, TypedTextLandsWhereTheParagraphsSay)
{
    Build({"Bonjour{22:2}", "le monde{22:2}"});
    Caret(0, 3);
    Type("\rX");
    EXPECT_EQ(Plain(0), "Bon\x02");
    EXPECT_EQ(Plain(1), "Xjour\x02");
    EXPECT_EQ(Plain(2), "le monde\x02");
    EXPECT_EQ(Doc->Caret.Paragraph, 1);
    EXPECT_EQ(Doc->Caret.Offset, 1);

    Host.Overtype = true;
    Type("YZ");
    EXPECT_EQ(Plain(1), "XYZur\x02");
    Caret(0, 3);
    Type("!?");
    // Overtype never takes the paragraph's end.
    EXPECT_EQ(Plain(0), "Bon!?\x02");

    Host.Overtype = false;
    Select(1, 1, 2, 3);
    Type("-");
    EXPECT_EQ(Doc->StoryCount(stBody), 2);
    EXPECT_EQ(Plain(1), "X-monde\x02");
}

TEST_F(DispatcherTest, TypingOverASelectionWithTheOptionOffGoesToItsEnd)
{
    Build({"Bonjour{22:2}"});
    Host.Replace = false;
    Select(0, 1, 0, 3);
    Type("Z");
    EXPECT_EQ(Plain(0), "BonZjour\x02");
    EXPECT_EQ(Undo().Count(), 1);
}

TEST_F(DispatcherTest, TypingOverASelectionIsOneUndoStep)
{
    Build({"Bonjour{22:2}", "le monde{22:2}"});
    const std::string before = DumpDocument(*Doc);
    Select(0, 3, 1, 2);
    Type("Z");
    EXPECT_EQ(Undo().Count(), 1);
    EXPECT_EQ(Undo().Operations(0).Kind, okTyping);
    EXPECT_EQ(OperationName(Undo().Operations(0).Kind), "la saisie de texte");
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(DispatcherTest, InsertedTextTakesTheInsertFormatAndTheTextAfterKeepsItsOwn)
{
    // The format at a place between two characters is the one the records
    // there leave: typing after a bold run's last character is plain, typing
    // inside the run bold; the text after the insertion keeps its format.
    Build({"a{2:1}bc{2:0}d{22:2}"});
    Caret(0, 3);
    Type("X");
    EXPECT_EQ(Text(0), "a{2:1}bc{2:0}Xd{22:2}");
    Caret(0, 2);
    Type("Y");
    EXPECT_EQ(Text(0), "a{2:1}bYc{2:0}Xd{22:2}");
    // A tool of the main window shapes the typed text only.
    Host.Tool = etFontColorPen;
    Caret(0, 0);
    Type("Z");
    EXPECT_EQ(Text(0), "{14:5}Z{14:0}a{2:1}bYc{2:0}Xd{22:2}");
}

TEST_F(DispatcherTest, EnterOverASelectionNeverAppliesAStaleDeletedStartFormat)
{
    Build({"Bonjour{22:2}", "le monde{22:2}"});
    // A format left behind by an earlier deletion of an empty range.
    Doc->DeletedStartFormat = DefaultCharFormat();
    Doc->DeletedStartFormat[cfBold] = 1;
    Doc->DeletedStartFormat[cfSize] = 72;
    Select(0, 3, 1, 2);
    Type("\r");
    EXPECT_EQ(Text(0), "Bon{22:2}");
    EXPECT_EQ(Text(1), " monde{22:2}");
}

TEST_F(DispatcherTest, EveryCodeHasARoutineOrSaysWhichIsMissing)
{
    Build({"Bonjour{22:2}"});
    const std::string before = DumpDocument(*Doc);
    for (uint8_t code = 0; code < DocOperationCodeCount; ++code) {
        const TDispatchEntry* entry = GetDispatchEntry(code);
        ASSERT_NE(entry, nullptr);
        if (entry->Routine)
            continue;
        try {
            Doc->ExecuteOperation(static_cast<TDocOperationCode>(code));
            ADD_FAILURE() << "code " << int(code) << " did nothing silently";
        } catch (const EInternalError& error) {
            EXPECT_NE(error.Message().find("L'opération " + std::to_string(code) + " ("), std::string::npos)
                << error.Message();
            EXPECT_NE(error.Message().find(entry->RoutineName), std::string::npos);
            // What brings it is named, never left open.
            EXPECT_NE(error.Message().find(" : elle viendra avec "), std::string::npos) << error.Message();
            EXPECT_EQ(error.Message().find("une version ult"), std::string::npos) << error.Message();
        }
        EXPECT_EQ(Host.Locks, 0);
        EXPECT_EQ(Doc->InOperation, 0);
        EXPECT_EQ(Doc->DeferPaint, 0);
    }
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(GetDispatchEntry(52), nullptr);
}

TEST_F(DispatcherTest, ACodeBeyondTheTableRecordsNothing)
{
    Build({"Bonjour{22:2}"});
    const std::string before = DumpDocument(*Doc);
    Doc->ExecuteOperation(static_cast<TDocOperationCode>(60));
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(Doc->OperationRecorded, 0);
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_FALSE(Doc->IsModified());
    EXPECT_EQ(Host.Locks, 0);
    EXPECT_EQ(Host.ToolbarRefreshes, 1);
}

TEST_F(DispatcherTest, KindsThatDependOnTheParameters)
{
    uint8_t flag = 0;
    auto record = std::make_unique<TFormatStyleListInfo>();
    TTextRange range;
    uint8_t mode = 3;
    void* reset[] = {&range, &flag};
    void* styles[] = {&range, &record};
    void* transform[] = {&mode, &range, &flag};
    EXPECT_EQ(GetDispatchEntry(docResetFormatToStyle)->KindRule(TOperationParams(reset)), okParagraphFormat);
    flag = 1;
    EXPECT_EQ(GetDispatchEntry(docResetFormatToStyle)->KindRule(TOperationParams(reset)), okCharFormat);
    EXPECT_EQ(GetDispatchEntry(docChangeStyleList)->KindRule(TOperationParams(styles)), 7);
    record->Styles = std::make_unique<TStyleList>(nullptr, nullptr);
    EXPECT_EQ(GetDispatchEntry(docChangeStyleList)->KindRule(TOperationParams(styles)), okStyleChange);
    EXPECT_EQ(GetDispatchEntry(docTransformText)->KindRule(TOperationParams(transform)), 32);
    // The fourth parameter of code 26 is null when the array holds three.
    EXPECT_EQ(ParamPtr(transform, 3), nullptr);
    EXPECT_THROW(ParamInt(transform, 3), EInternalError);
}

TEST_F(DispatcherTest, ADocumentWithoutAViewAppliesAndKeepsNoUndo)
{
    SetDocumentViewFactory(nullptr);
    Doc = std::make_unique<TDocument>(false);
    EXPECT_EQ(Doc->NoUndo, 1);
    Build({"Bonjour{22:2}"});
    Caret(0, 7);
    Type("!\r?");
    EXPECT_EQ(Plain(0), "Bonjour!\x02");
    EXPECT_EQ(Plain(1), "?\x02");
    EXPECT_FALSE(Doc->HasSelection());
    EXPECT_EQ(Doc->Selection().Start.Paragraph, 1);
    EXPECT_EQ(Doc->Selection().Start.Offset, 1);
    EXPECT_EQ(Undo().Count(), 0);
    EXPECT_EQ(Doc->OperationRecorded, 0);
}

TEST_F(DispatcherTest, KindOverrideNamesTheRecordedOperation)
{
    Build({"Bonjour{22:2}"});
    Doc->KindOverride = 59;
    Type("x");
    EXPECT_EQ(Undo().Operations(0).Kind, 59);
    EXPECT_EQ(Doc->KindOverride, 255);
    EXPECT_EQ(Doc->OperationRecorded, 1);
}

// ---------------------------------------------------------------------------
// Failures

namespace {

int g_FailAt = 0;
int g_StepsSeen = 0;

void FailNthStep(const TSubOperation&)
{
    if (++g_StepsSeen == g_FailAt)
        throw EOutOfMemory();
}

class FaultTest : public EditingTest {
protected:
    void SetUp() override
    {
        g_StepsSeen = 0;
        g_FailAt = 0;
        FPrevious = SetSubOperationFaultHook(&FailNthStep);
    }
    void TearDown() override { SetSubOperationFaultHook(FPrevious); }

private:
    TSubOperationFaultHook FPrevious = nullptr;
};

}  // namespace

TEST_F(FaultTest, AFailingStepLeavesTheDocumentAndItsUndoAsTheyWere)
{
    Build({"Bonjour{22:2}", "le monde{22:2}"});
    Caret(0, 7);
    Type("!");
    const std::string before = DumpDocument(*Doc);
    const int32_t depth = Doc->ChangeStackDepth();

    // Overtype: the insertion, then the deletion of the character after it.
    Host.Overtype = true;
    Caret(0, 2);
    g_StepsSeen = 0;
    g_FailAt = 2;
    EXPECT_THROW(Type("X"), EOutOfMemory);
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(Undo().Count(), 1);
    EXPECT_EQ(Undo().CurrentIndex(), 0);
    EXPECT_EQ(Doc->OperationRecorded, 0);
    EXPECT_EQ(Doc->InOperation, 0);
    EXPECT_EQ(Doc->DeferPaint, 0);
    EXPECT_EQ(Doc->ChangeStackDepth(), depth);
    EXPECT_EQ(Host.Locks, 0);
    EXPECT_EQ(Doc->Caret.Paragraph, 0);
    EXPECT_EQ(Doc->Caret.Offset, 2);

    // Typing over a selection: the deletion, then the insertion.
    Host.Overtype = false;
    Select(0, 3, 1, 2);
    g_StepsSeen = 0;
    g_FailAt = 2;
    EXPECT_THROW(Type("\r"), EOutOfMemory);
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(Undo().Count(), 1);

    // Undo and redo still work, and the next edit is recorded as usual.
    g_FailAt = 0;
    Undo().Undo();
    EXPECT_EQ(Plain(0), "Bonjour\x02");
    Undo().Redo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Caret(1, 0);
    Type("Z");
    EXPECT_EQ(Undo().Count(), 2);
}

TEST_F(FaultTest, AFailingUndoLeavesTheOperationDone)
{
    Build({"Bonjour{22:2}", "le monde{22:2}"});
    Select(0, 3, 1, 2);
    Type("Z");
    const std::string after = DumpDocument(*Doc);
    // The operation holds a deletion and an insertion; undo takes the
    // insertion back first, then fails on the deletion.
    g_StepsSeen = 0;
    g_FailAt = 2;
    EXPECT_THROW(Undo().Undo(), EOutOfMemory);
    EXPECT_EQ(DumpDocument(*Doc), after);
    EXPECT_EQ(Undo().CurrentIndex(), 0);
    EXPECT_EQ(Doc->Undoing, 0);
    EXPECT_EQ(Host.Locks, 0);
    g_FailAt = 0;
    Undo().Undo();
    EXPECT_EQ(Plain(0), "Bonjour\x02");
}

namespace {

// The allocation that many allocations from now fails, once.
int g_AllocationsLeft = -1;

void* FailingRealloc(void* block, size_t size)
{
    if (g_AllocationsLeft == 0) {
        g_AllocationsLeft = -1;
        return nullptr;
    }
    if (g_AllocationsLeft > 0)
        --g_AllocationsLeft;
    return std::realloc(block, size);
}

}  // namespace

TEST_F(EditingTest, RunningOutOfMemoryAnywhereInAnEditChangesNothing)
{
    // Each buffer allocation of the edit fails in turn, until a run makes no
    // more allocations than that: each failed run leaves the document as it was.
    const std::vector<std::string> keys = {"X", "\r", "\t"};
    for (const std::string& key : keys) {
        Doc = std::make_unique<TDocument>(false);
        Build({"a{2:1}bc{2:0}d{22:2}", "Suite{22:2}"});
        Select(0, 2, 1, 3);
        const std::string before = DumpDocument(*Doc);
        bool done = false;
        int failures = 0;
        for (int allowed = 0; allowed < 500 && !done; ++allowed) {
            Select(0, 2, 1, 3);
            g_AllocationsLeft = allowed;
            const TMemoryReallocator previous = SetMemoryReallocator(&FailingRealloc);
            bool failed = false;
            try {
                TypeText(key);
            } catch (const EOutOfMemory&) {
                failed = true;
            }
            SetMemoryReallocator(previous);
            const bool fired = g_AllocationsLeft == -1;
            g_AllocationsLeft = -1;
            if (failed) {
                ++failures;
                ASSERT_EQ(DumpDocument(*Doc), before) << "key " << int(key[0]) << ", allocation " << allowed;
                ASSERT_EQ(Undo().Count(), 0);
                ASSERT_EQ(Host.Locks, 0);
            } else if (fired) {
                // A buffer that could not shrink stays as large as it was: the
                // edit went through all the same.
                Undo().Undo();
                ASSERT_EQ(DumpDocument(*Doc), before);
                Undo().ClearRedo();
            } else {
                done = true;
            }
        }
        EXPECT_TRUE(done);
        EXPECT_GT(failures, 5);
        ExpectDocumentConsistent(*Doc);
        Undo().Undo();
        EXPECT_EQ(DumpDocument(*Doc), before);
    }
}

}  // namespace
