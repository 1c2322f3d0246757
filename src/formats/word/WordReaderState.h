#pragma once
// The working state of one Word read, shared by the text loop (WordReader.cpp),
// the property decoding (WordProperties.cpp) and the position tables, notes,
// fields and headers (WordRanges.cpp). Only those files include it.
//
// Every size, count, offset and index taken from the file is checked against
// the stream or buffer it refers to before use: a table that does not lie in
// its stream fails the load, a count larger than its table or page is cut to
// what the table or page holds.
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/CharFormat.h"
#include "foundation/Memory.h"
#include "formats/DocumentFile.h"
#include "formats/word/PackedDateTime.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TField;
class TSection;
class TStream;
class TStyleList;

using TBytes = std::vector<uint8_t>;

// Little-endian values of a buffer; 0 for bytes the buffer does not hold.
uint16_t WordU16(const TBytes& b, size_t at);
uint32_t WordU32(const TBytes& b, size_t at);

// The reader's own slots after the 22 of a TCharFormat.
enum TWordCharSlot : int {
    wcSpecial = 22,
    wcSymbol = 23,
    wcObject = 24,
    wcFieldData = 25,
    wcOle2 = 26,
    wcPicLocation = 27,
    wcObjLocation = 28,
    wcDeleted = 30,
};
constexpr int WordCharSlots = 31;
// After the 16 of a TParFormat.
enum TWordParSlot : int {
    wpInTable = 16,
    wpRowEnd = 17,
    wpListLevel = 18,
};
constexpr int WordParSlots = 19;
constexpr int WordSectionSlots = WordSectionScalarCount + 64 * 5;

using TWordChp = std::array<int32_t, WordCharSlots>;
using TWordPap = std::array<int32_t, WordParSlots>;
using TWordSep = std::array<int32_t, WordSectionSlots>;

// Position table (PLC): n + 1 character positions, then n records.
struct TWordPlc {
    TBytes Data;
    int32_t Count = 0;       // records
    int32_t RecordSize = 0;
    void Assign(TBytes data, int32_t recordSize);
    int32_t Pos(int32_t i) const { return static_cast<int32_t>(WordU32(Data, static_cast<size_t>(i) * 4)); }
    size_t RecordAt(int32_t i) const
    {
        return static_cast<size_t>(Count + 1) * 4 + static_cast<size_t>(i) * static_cast<size_t>(RecordSize);
    }
};

// One piece of the piece table.
struct TWordPiece {
    int32_t CpStart = 0;
    int32_t CpEnd = 0;
    uint32_t Fc = 0;
    bool Compressed = true;
    uint16_t Prm = 0;
};

// One style of the style sheet, with its full formats.
struct TWordStyle {
    bool Defined = false;
    bool CharStyle = false;
    int32_t Sti = 0;
    int32_t Base = 0xFFF;
    int32_t Next = 0xFFF;
    int32_t ListIndex = -1;  // in the document's style list (paragraph styles)
    TWordChp Chp{};
    TWordPap Pap{};
    TBytes ParSprms;
    TBytes CharSprms;
    std::string Name;
};

// A bookmark, note, header or field boundary in a story.
struct TWordBoundary {
    int32_t Cp = 0;
    int32_t Table = 0;  // 0 bookmark start ... 6 header and footer texts
    int32_t Index = 0;
};

// An open field: its object once its separator was read.
struct TWordOpenField {
    int32_t Cp = 0;
    bool InInstruction = true;
    std::string Instruction;
    TField* Field = nullptr;
};

class TWordReader {
public:
    explicit TWordReader(TDocLoadContext& context);
    ~TWordReader();
    TWordReader(const TWordReader&) = delete;
    TWordReader& operator=(const TWordReader&) = delete;

    // False for an encrypted document (after its message).
    bool Load();
    // The paragraph being filled goes into the document; also after a failure.
    void Finish();

    // --- Streams and the FIB (WordReader.cpp)
    int32_t Fib(int32_t offset97, int32_t offset6) const;
    int32_t FibWord(int32_t offset) const;
    // Reads count bytes at an absolute offset; a position or size outside
    // the stream raises the silent abort.
    void ReadMain(int64_t offset, void* buffer, int64_t count);
    void ReadTable(int64_t offset, TBytes& out, int64_t count);
    void ReadData(int64_t offset, TBytes& out, int64_t count);
    static void ReadStream(TStream* stream, int64_t size, int64_t offset, uint8_t* buffer, int64_t count);
    // The table at (fc, lcb) of the FIB pair; empty when lcb <= 0.
    void ReadPlc(TBytes& out, int32_t fcOffset97, int32_t fcOffset6);

    // --- Text (WordReader.cpp)
    void ReadText();
    void ReadStory(int32_t story);
    void ReadPieces(int32_t story, int32_t storyStart, int32_t storyEnd);
    void ReadPiece(const TWordPiece& piece, int32_t from, int32_t to);
    void HandleChar(uint16_t c, uint8_t byte, int32_t cp);
    void AppendPlain(const uint8_t* chars, int32_t count);
    void AppendSpecial(uint8_t kind);
    void AppendRecord(uint16_t code, int32_t argument);
    // The character-format codes of the slots that differ from what the
    // paragraph holds.
    void EmitCharFormat();
    void EndParagraph(bool sectionBreak);
    void FlushText();
    void StartParagraph();
    void EndSectionAt(int32_t cp);
    int32_t StoryStart(int32_t story) const;
    int32_t StoryLength(int32_t story) const;

    // --- Properties (WordProperties.cpp)
    int32_t SprmLength(const uint8_t* p, int32_t left) const;
    void ApplySprms(const uint8_t* p, int32_t size, TWordChp* chp, TWordPap* pap, TWordSep* sep, bool pieceSprms);
    void ApplyCharSprm(uint16_t id, const uint8_t* op, int32_t opSize, TWordChp& chp, bool pieceSprms);
    void ApplyParSprm(uint16_t id, const uint8_t* op, int32_t opSize, TWordPap& pap);
    void ApplySectionSprm(uint16_t id, const uint8_t* op, int32_t opSize, TWordSep& sep);
    void ApplyPieceSprms();
    void LookupCharProperties(uint32_t fc);
    void LookupParProperties(uint32_t fc);
    // The page of the bin table that holds fc; -1 when none does.
    int32_t FindPage(const TWordPlc& bin, uint32_t fc, int32_t& lastPage) const;
    // The 512-byte page into the buffer (unless it holds it already); false
    // for a page the stream does not hold.
    bool LoadPage(int32_t page, uint8_t (&buffer)[512], int32_t& loaded);
    void MergeChp(TWordChp& target, const TWordChp& overlay, const TWordChp& styleChp);
    void SetParStyle(TWordPap& pap, int32_t istd);
    const TWordStyle* StyleOf(int32_t istd) const;
    // The style of the paragraph record's style (its list index).
    const TWordStyle* ParagraphStyle() const;
    void ReadStyleSheet();
    void ReadFonts();
    void ReadDocumentProperties();
    void ReadSummary();
    void ReadBinTables();
    void ReadSectionProperties(int32_t index, TWordSep& sep);
    void ApplySectionRecord(TSection& section, const TWordSep& sep);
    int32_t MapFont(int32_t number) const;
    std::string ReadWordString(const TBytes& b, size_t& at, bool wide, size_t end) const;
    void ChangeTabs(const uint8_t* op, int32_t size, bool tolerances, TWordPap& pap);

    // --- Position tables, notes, fields, headers (WordRanges.cpp)
    void ReadBookmarks();
    void ReadNoteTables();
    void BuildBoundaries(int32_t story, int32_t storyStart);
    void ProcessBoundaries(int32_t cp);
    void ProcessBoundary(const TWordBoundary& boundary);
    void HandleSpecial(uint16_t c, int32_t cp);
    void FieldBegin(int32_t cp);
    void FieldSeparator();
    void FieldEnd();
    void AppendRangeEnd(TField& field);
    void CloseHeader();
    void ReducedHeaderTable();
    void ReadPicture();

    TDocLoadContext& FContext;
    TDocument& FDocument;
    const uint8_t* FFib = nullptr;
    int32_t FFibSize = 0;
    bool FIs97 = false;
    bool FComplex = false;
    TStream* FMain = nullptr;
    int64_t FMainSize = 0;
    std::unique_ptr<TStream> FTable;
    int64_t FTableSize = 0;
    std::unique_ptr<TStream> FData;
    int64_t FDataSize = 0;
    int32_t FCcp[5] = {};  // text, footnotes, headers, annotations, endnotes

    // Property pages.
    TWordPlc FBinChp;
    TWordPlc FBinPap;
    int32_t FLastChpPage = -1;
    int32_t FLastPapPage = -1;
    uint32_t FChpRunStart = 1;
    uint32_t FChpRunEnd = 0;
    uint32_t FPapRunStart = 1;
    uint32_t FPapRunEnd = 0;
    uint8_t FChpPage[512] = {};
    int32_t FChpPageNumber = -1;
    uint8_t FPapPage[512] = {};
    int32_t FPapPageNumber = -1;

    std::vector<TWordStyle> FStyles;
    std::vector<int32_t> FListToIstd;
    std::vector<int32_t> FFontMap;
    TBytes FClx;
    std::vector<std::pair<size_t, int32_t>> FPropertyBlocks;  // clx grpprls (offset, size)
    std::vector<TWordPiece> FPieces;
    const TWordPiece* FPiece = nullptr;

    TWordChp FChp{};
    TWordChp FDefaultChp{};
    TWordPap FPap{};
    TWordPap FDefaultPap{};
    TCharFormat FEmitted{};
    bool FInPieceSprms = false;

    TWordPlc FSections;
    int32_t FSectionIndex = 0;  // the section being read
    TWordPlc FFields;

    // Position tables 0 to 6 and their boundaries in the current story.
    TWordPlc FTables[7];
    std::vector<std::string> FBookmarkNames;
    std::vector<TField*> FBookmarks;
    std::vector<bool> FBookmarkStarted;
    std::vector<int32_t> FBookmarkOfEnd;
    std::vector<TField*> FNoteRefs[2];  // footnotes, endnotes
    std::vector<TField*> FNoteTexts[2];
    TField* FOpenNote = nullptr;
    TField* FOpenHeader = nullptr;
    int32_t FOpenHeaderFirst = 0;
    std::vector<int32_t> FHeaderEntries;  // positions of the reduced header table
    std::vector<TWordBoundary> FBoundaries;
    size_t FNextBoundary = 0;
    int32_t FStory = 0;
    int32_t FStoryStart = 0;
    TField* FPendingRefEnd = nullptr;

    std::vector<TWordOpenField> FOpenFields;

    // The paragraph being filled.
    TParagraph* FParagraph = nullptr;
    TParagraph* FPrevious = nullptr;
    TMemory FText;
    int32_t FChars = 0;
    int32_t FStoryParagraphs = 0;
    // Characters read from pieces in all: never more than the stream holds.
    int64_t FBytesRead = 0;
    bool FFinished = false;
    int64_t FProgress = 0;
};
