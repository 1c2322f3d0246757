#pragma once
// The operation dispatcher's vocabulary: the 52 operation codes, the way
// their parameters travel, the edit flags of the insertion and deletion
// routines, and the table that ties each code to the routine that does its
// work (TDocument::ExecuteOperation runs it).
//
// The parameters are an array of untyped pointers to the caller's values; the
// table says for each code how each entry is read (the helpers below).
// A routine that is not wired into the table yet raises EInternalError naming
// its code, the routine and what brings it, when it is asked for: the table lists every code, and wiring a
// routine is one line of it (DispatchTable in OperationDispatcher.cpp).
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

class TDocument;
class TOperation;
struct TUpdateRange;

enum TDocOperationCode : uint8_t {
    docChangePageParams = 0,
    docFormatParagraphs = 1,
    docFormatText = 2,
    docFormatBlock = 3,
    docScaleCharAttribute = 4,
    docApplyFormatPainter = 5,
    docReducePageCount = 6,
    docFormatTabs = 7,
    docResetFormatToStyle = 8,
    docStepParagraphFormat = 9,
    docApplyStyle = 10,
    docChangeStyleList = 11,
    docUpdateStyleFromSelection = 12,
    docInsertFragment = 13,
    docInsertText = 14,
    docPaste = 15,
    docPasteNoteSpike = 16,
    docDeleteRange = 17,
    docDeleteBlock = 18,
    docReplaceText = 19,
    docMoveText = 20,
    docDuplicateText = 21,
    docJoinParagraphs = 22,
    docSplitParagraphs = 23,
    docSortParagraphs = 24,
    docFormatObject = 25,
    docTransformText = 26,
    docCalculate = 27,
    docBlockSum = 28,
    docChangeDefaultLanguage = 29,
    docClickAndType = 30,
    docAutocorrectTypedChar = 31,
    docAutocorrectRange = 32,
    docFormatSections = 33,
    docInsertBookmark = 34,
    docDeleteBookmark = 35,
    docChangeFieldInstruction = 36,
    docRemoveHyperlink = 37,
    docRemoveHyperlinksInSelection = 38,
    docRemoveBrokenBookmarkLinks = 39,
    docInsertHyperlink = 40,
    docBuildTableOfContents = 41,
    docDeleteField = 42,
    docInsertField = 43,
    docUpdateFields = 44,
    docRemoveFieldRecord = 45,
    docChangeSectionBreak = 46,
    docLinkHeaderToPrevious = 47,
    docInsertSymbol = 48,
    docFormatPageNumbers = 49,
    docInsertEnvelope = 50,
    docChangeHyphenationOptions = 51,
};
constexpr int32_t DocOperationCodeCount = 52;

// The parameters of a dispatch: pointers to the caller's values.
using TOperationParams = std::span<void* const>;

// Reading the entries: the address of the caller's record (ref), the 32-bit
// value or the byte an entry points to, or the entry itself (ptr, null
// allowed; also null for an entry the caller did not give). A missing ref,
// int32 or byte entry raises EInternalError.
void* ParamRef(TOperationParams params, size_t index);
template <typename T>
T& ParamRefAs(TOperationParams params, size_t index)
{
    return *static_cast<T*>(ParamRef(params, index));
}
int32_t ParamInt(TOperationParams params, size_t index);
uint8_t ParamByte(TOperationParams params, size_t index);
void* ParamPtr(TOperationParams params, size_t index);

// The flags of the insertion and deletion routines (TEditFlags).
using TEditFlags = uint8_t;
constexpr TEditFlags efFollowingFormatDone = 1;  // the fragment already restores the following format
constexpr TEditFlags efReportRange = 2;          // report the inserted range in the view hints
constexpr TEditFlags efKeepRecordObjects = 4;    // the objects the text's records carry stay in the
                                                 // document's lists (a move); clear: they come and go
                                                 // with the text
constexpr TEditFlags efKeepEndFormat = 8;        // deletion: the surviving end paragraph keeps its format
constexpr TEditFlags efKeepNotes = 16;           // deletion: leave orphaned notes, headers and footers
constexpr TEditFlags efAdjustSpaces = 32;        // adjust spaces at the edges of the text
constexpr TEditFlags efStoryEnd = 64;            // the end-of-story rule of deletion

// A routine of the table. Op is the operation to which it adds its steps
// (null: apply without undo), update the record it fills.
using TOperationRoutine = void (*)(TDocument& document, TOperationParams params, TOperation* op,
                                   TUpdateRange& update);
// Steps that run after the operation was recorded (follow-up edits of the
// same action), and at the very end of the dispatch, recorded or not.
using TOperationFollowUp = void (*)(TDocument& document, TOperationParams params);

// What the dispatcher knows of one code.
struct TDispatchEntry {
    // The operation kind recorded (the name undo and redo show), or, when
    // KindRule is given, what it computes from the parameters.
    uint8_t Kind;
    uint8_t (*KindRule)(TOperationParams params);
    // The routine; null while the code has no routine yet.
    TOperationRoutine Routine;
    // The routine's name, for the error raised while it is missing.
    const char* RoutineName;
    // The change touches the whole layout (page set-up and the like): the
    // recorded operation keeps the view in place when replayed.
    bool LayoutWide;
    // The typing format is prepared at the caret before the routine runs.
    bool PrepareTyping;
    // Change flag 95 (pasting) is raised around the routine.
    bool Pasting;
    // Painting is allowed while the routine runs (it asks a question first).
    bool PaintAllowed;
    TOperationFollowUp FollowUp;
    TOperationFollowUp AtEnd;
};

// The entry of a code; null for a value outside the 52 codes.
const TDispatchEntry* GetDispatchEntry(uint8_t code);

// Runs the routine of a code outside a dispatch (one routine calling
// another's, or undo restoring field results); raises EInternalError while
// the routine is missing.
void RunOperationRoutine(uint8_t code, TDocument& document, TOperationParams params, TOperation* op,
                         TUpdateRange& update);
