#pragma once
// TOperation: one named, undoable user action. It holds the steps
// (TSubOperation) the action performed, in order, with the selection and the
// caret before and after it. The operation dispatcher and the editing tools
// create it, the edit routines append their steps, and the document's
// operation manager records it, undoes and redoes it.
#include "document/operations/SubOperation.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument;
class TField;
class TStringList;

// Operation kinds that the program tests for.
constexpr uint8_t okCommand = 0;
constexpr uint8_t okPageSetup = 1;
constexpr uint8_t okParagraphFormat = 5;
constexpr uint8_t okTabs = 6;
constexpr uint8_t okStyleChange = 8;
constexpr uint8_t okCharFormat = 9;
constexpr uint8_t okTyping = 15;
constexpr uint8_t okAutocorrect = 44;
constexpr uint8_t okSectionFormat = 45;
constexpr uint8_t okSectionBreak = 53;
constexpr uint8_t OperationKindCount = 61;

// The action's name that undo and redo show ("la saisie de texte"); the first
// name for a kind outside the table.
const std::string& OperationName(uint8_t kind);

// An operation with this many steps or more shows its progress while it is
// undone or redone.
constexpr int32_t LargeOperationSteps = 50;

class TOperation {
public:
    // Stores the selection and the caret as they are now; while a header or
    // footer is edited, also that header or footer and the results of its
    // page-dependent fields.
    TOperation(TDocument* document, uint8_t kind);
    ~TOperation();
    TOperation(const TOperation&) = delete;
    TOperation& operator=(const TOperation&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    uint8_t Kind;
    // Set by the code that makes one action of several operations: undo and
    // redo go on through a joined operation into the one before it.
    uint8_t Joined = 0;
    // 0 when the action was recorded with change flag 32 set: replaying it
    // keeps the view in place.
    uint8_t ScrollOnReplay = 1;

    // Selection (start paragraph, start offset, end paragraph, end offset)
    // and caret (paragraph, offset) before the action and when it was recorded.
    int32_t SelectionBefore[4] = {};
    int32_t CaretBefore[2] = {};
    int32_t SelectionAfter[4] = {};
    int32_t CaretAfter[2] = {};

    int32_t StepCount() const { return static_cast<int32_t>(FSteps.size()); }
    TSubOperation& Steps(int32_t index) const;
    // Room for that many more steps, so that adding them cannot fail.
    void ReserveSteps(int32_t count);
    // Appends a step that has been applied; the operation owns it from now on.
    void AddStep(std::unique_ptr<TSubOperation> step);
    // Moves the steps of another operation (already applied) to the end of
    // this one.
    void TakeSteps(TOperation& other);
    bool IsEmpty() const { return FSteps.empty(); }
    // One step, an insertion or deletion of exactly one character.
    bool IsTyping() const;
    bool IsLarge() const { return StepCount() >= LargeOperationSteps; }
    int64_t MemorySize() const;

    // While a header or footer is edited: stores it and the results of its
    // page-dependent fields as they stand when the action ends.
    void CaptureFieldsAfter();
    // The selection and caret as they are now become the "after" values.
    void CaptureSelectionAfter();

    // Undoes the steps from the last to the first; afterwards the update
    // record restores the selection and caret from before the action.
    void Undo(TUpdateRange& update);
    // Redoes the steps from the first to the last; the update record sets
    // the selection and caret from when the action was recorded.
    void Redo(TUpdateRange& update);
    // Takes back the steps of an action that failed before it was recorded,
    // from the last to the first, best effort: a step that fails to go back
    // ends the roll-back. Returns whether every step went back.
    bool Rollback(TUpdateRange& update) noexcept;

private:
    struct TFieldResult {
        TField* Field;
        std::string Text;
    };
    void CaptureFieldResults(std::vector<TFieldResult>& list) const;
    void RestoreFieldResults(const std::vector<TFieldResult>* list, TField* headerFooter);
    void Replay(TUpdateRange& update, bool undo);

    TDocument* FDocument;
    std::unique_ptr<std::vector<TFieldResult>> FFieldsBefore;
    std::unique_ptr<std::vector<TFieldResult>> FFieldsAfter;
    TField* FHeaderFooterBefore = nullptr;
    TField* FHeaderFooterAfter = nullptr;
    std::vector<std::unique_ptr<TSubOperation>> FSteps;
};

// Applies a step and hands it to the operation (without one, the step is freed:
// the change is made without undo); the step's range to re-lay out is merged
// into update.
void ApplyStep(TDocument& document, std::unique_ptr<TSubOperation> step, TUpdateRange& update, TOperation* op);
