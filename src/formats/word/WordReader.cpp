#include "formats/word/WordReader.h"

#include "document/model/Section.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/FontManager.h"
#include "formats/DocFileHost.h"
#include "formats/word/WordReaderState.h"
#include "platform/ole/CompoundFile.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SystemErrors.h"

#include <algorithm>
#include <unordered_map>

namespace {

// FIB fields: offsets in Word 97 and in Word 6.0/95 files.
constexpr int32_t kFcMin = 0x18;
constexpr int32_t kCcpText[2] = {0x4C, 0x34};
constexpr int32_t kCcpFtn[2] = {0x50, 0x38};
constexpr int32_t kCcpHdd[2] = {0x54, 0x3C};
constexpr int32_t kCcpAtn[2] = {0x5C, 0x44};
constexpr int32_t kCcpEdn[2] = {0x60, 0x48};
constexpr int32_t kFcPlcfsed[2] = {0xCA, 0x88};
constexpr int32_t kFcClx[2] = {0x1A2, 0x160};
constexpr int32_t kFcPlcffldMom[2] = {0x11A, 0xD8};
constexpr int32_t kFcPlcffldHdr[2] = {0x122, 0xE0};
constexpr int32_t kFcPlcffldFtn[2] = {0x12A, 0xE8};
constexpr int32_t kFcPlcffldEdn[2] = {0x21A, 0x1E2};

// The document story a Word story goes into.
int32_t DocumentStory(int32_t story)
{
    switch (story) {
    case 1: return stFootnotes;
    case 4: return stEndnotes;
    case 2: return stHeadersFooters;
    default: return stBody;
    }
}

// The 8-bit form of a character of a 16-bit piece, with the code page it
// comes from (0: any, the character is ASCII or a symbol-font character).
struct TNarrowChar {
    uint8_t Byte = '?';
    uint32_t CodePage = 0;
};

class TNarrowCache {
public:
    TNarrowChar Get(char16_t c, uint32_t preferred)
    {
        if (c < 0x80)
            return {static_cast<uint8_t>(c), 0};
        // Symbol fonts keep their characters in the private area.
        if (c >= 0xF000 && c <= 0xF0FF)
            return {static_cast<uint8_t>(c & 0xFF), 0};
        const uint64_t key = static_cast<uint64_t>(preferred) << 16 | c;
        const auto it = FCache.find(key);
        if (it != FCache.end())
            return it->second;
        TNarrowChar result;
        bool usedDefault = false;
        std::string converted;
        // The font's own code page first: a character it holds stays in the
        // font (a Y with diaeresis in a Western font, which the code page
        // table would send to Central European, where it has no place).
        try {
            converted = FromWide(std::u16string(1, c), preferred, &usedDefault);
        } catch (const Exception&) {
            usedDefault = true;
        }
        // Only an exact mapping counts, not a best fit ("t" for a t with
        // cedilla).
        if (!usedDefault && converted.size() == 1 && converted[0] != 0 &&
            ByteToWide(static_cast<uint8_t>(converted[0]), preferred) == c) {
            result.Byte = static_cast<uint8_t>(converted[0]);
            result.CodePage = preferred;
            if (FCache.size() < 65536)
                FCache.emplace(key, result);
            return result;
        }
        usedDefault = false;
        converted.clear();
        uint32_t codePage = GetCodePageOfWideChar(c, preferred);
        try {
            converted = FromWide(std::u16string(1, c), codePage, &usedDefault);
        } catch (const Exception&) {
            usedDefault = true;
        }
        if (!usedDefault && converted.size() == 1 && converted[0] != 0) {
            result.Byte = static_cast<uint8_t>(converted[0]);
            result.CodePage = codePage;
        }
        if (FCache.size() < 65536)
            FCache.emplace(key, result);
        return result;
    }

private:
    std::unordered_map<uint64_t, TNarrowChar> FCache;
};

bool IsPlainByte(uint8_t b)
{
    return b >= 32 && b != 0x96 && b != 0x97 && b != 0xA0;
}

}  // namespace

uint16_t WordU16(const TBytes& b, size_t at)
{
    if (at + 2 > b.size() || at + 2 < at)
        return 0;
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

uint32_t WordU32(const TBytes& b, size_t at)
{
    if (at + 4 > b.size() || at + 4 < at)
        return 0;
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void TWordPlc::Assign(TBytes data, int32_t recordSize)
{
    Data = std::move(data);
    RecordSize = recordSize;
    // The count the table's size gives, never more than it holds.
    Count = Data.size() >= 4 ? static_cast<int32_t>((Data.size() - 4) / static_cast<size_t>(4 + recordSize)) : 0;
    if (Data.size() < 4)
        Data.clear();
}

TWordReader::TWordReader(TDocLoadContext& context) : FContext(context), FDocument(context.Document)
{
    FFib = context.WordHeader;
    FFibSize = std::clamp(context.WordHeaderSize, 0, static_cast<int32_t>(sizeof context.WordHeader));
}

TWordReader::~TWordReader() = default;

// ---------------------------------------------------------------------------
// Streams and the FIB

int32_t TWordReader::Fib(int32_t offset97, int32_t offset6) const
{
    const int32_t at = FIs97 ? offset97 : offset6;
    if (at < 0 || at + 4 > FFibSize)
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(FFib[at]) | static_cast<uint32_t>(FFib[at + 1]) << 8 |
                                static_cast<uint32_t>(FFib[at + 2]) << 16 | static_cast<uint32_t>(FFib[at + 3]) << 24);
}

int32_t TWordReader::FibWord(int32_t offset) const
{
    if (offset < 0 || offset + 2 > FFibSize)
        return 0;
    return FFib[offset] | FFib[offset + 1] << 8;
}

void TWordReader::ReadStream(TStream* stream, int64_t size, int64_t offset, uint8_t* buffer, int64_t count)
{
    if (count <= 0)
        return;
    if (!stream || offset < 0 || offset > size || count > size - offset)
        Abort();
    if (stream->Seek(offset, TSeekOrigin::soBeginning) != offset)
        Abort();
    if (stream->Read(buffer, static_cast<int32_t>(count)) != count)
        Abort();
}

void TWordReader::ReadMain(int64_t offset, void* buffer, int64_t count)
{
    ReadStream(FMain, FMainSize, offset, static_cast<uint8_t*>(buffer), count);
}

void TWordReader::ReadTable(int64_t offset, TBytes& out, int64_t count)
{
    out.clear();
    if (count <= 0)
        return;
    if (offset < 0 || offset > FTableSize || count > FTableSize - offset)
        Abort();
    out.resize(static_cast<size_t>(count));
    ReadStream(FTable.get(), FTableSize, offset, out.data(), count);
}

void TWordReader::ReadData(int64_t offset, TBytes& out, int64_t count)
{
    out.clear();
    if (count <= 0)
        return;
    if (!FData || offset < 0 || offset > FDataSize || count > FDataSize - offset)
        Abort();
    out.resize(static_cast<size_t>(count));
    ReadStream(FData.get(), FDataSize, offset, out.data(), count);
}

void TWordReader::ReadPlc(TBytes& out, int32_t fcOffset97, int32_t fcOffset6)
{
    const int32_t fc = Fib(fcOffset97, fcOffset6);
    const int32_t lcb = Fib(fcOffset97 + 4, fcOffset6 + 4);
    if (lcb > 0)
        ReadTable(static_cast<uint32_t>(fc), out, lcb);
    else
        out.clear();
}

// ---------------------------------------------------------------------------
// Load

bool TWordReader::Load()
{
    FIs97 = FibWord(0) == 0xA5EC;
    FComplex = FFibSize > 10 && (FFib[10] & 0x04) != 0;
    if (FFibSize > 11 && (FFib[11] & 0x01) != 0) {
        if (!FContext.Silent())
            ShowInformation("Le document \"" + FContext.Request.FileName +
                            "\" est un document MS Word crypté. Désolé, mais ces fichiers MS Word cryptés ne "
                            "peuvent pas être ouverts par Eldravin.");
        return false;
    }
    FMain = FContext.Stream.get();
    if (!FMain || !FContext.Storage)
        Abort();
    FMainSize = FMain->Size();
    if (FIs97) {
        const bool table1 = FFibSize > 11 && (FFib[11] & 0x02) != 0;
        FTable = FContext.Storage->OpenStream(table1 ? u"1Table" : u"0Table");
        FTableSize = FTable->Size();
        // A file without a "Data" stream reads; only its pictures are missing.
        const int32_t data = FContext.Storage->FindChild(TCompoundFile::RootStorage, u"Data");
        if (data >= 0 && FContext.Storage->Entry(data).Type == stgStream) {
            FData = FContext.Storage->OpenStream(data);
            FDataSize = FData->Size();
        }
    } else {
        FTable = FContext.Storage->OpenStream(u"WordDocument");
        FTableSize = FTable->Size();
        FData = FContext.Storage->OpenStream(u"WordDocument");
        FDataSize = FData->Size();
    }
    const int v = FIs97 ? 0 : 1;
    FCcp[0] = std::max(Fib(kCcpText[0], kCcpText[1]), 0);
    FCcp[1] = std::max(Fib(kCcpFtn[0], kCcpFtn[1]), 0);
    FCcp[2] = std::max(Fib(kCcpHdd[0], kCcpHdd[1]), 0);
    FCcp[3] = std::max(Fib(kCcpAtn[0], kCcpAtn[1]), 0);
    FCcp[4] = std::max(Fib(kCcpEdn[0], kCcpEdn[1]), 0);
    (void)v;

    ReadDocumentProperties();
    ReadBookmarks();
    ReadNoteTables();
    ReadFonts();
    ReadSummary();
    ReadStyleSheet();
    ReadBinTables();

    // The piece table.
    if (FIs97 || FComplex) {
        ReadPlc(FClx, kFcClx[0], kFcClx[1]);
        size_t pos = 0;
        while (pos < FClx.size() && FClx[pos] == 1) {
            const size_t size = WordU16(FClx, pos + 1);
            if (pos + 3 + size > FClx.size())
                break;
            FPropertyBlocks.emplace_back(pos + 3, static_cast<int32_t>(size));
            pos += 3 + size;
        }
        if (pos + 5 <= FClx.size() && FClx[pos] == 2) {
            // The table's size, never beyond the clx.
            const size_t size = std::min<size_t>(WordU32(FClx, pos + 1), FClx.size() - pos - 5);
            const size_t base = pos + 5;
            const int32_t count = size >= 4 ? static_cast<int32_t>((size - 4) / 12) : 0;
            FPieces.reserve(static_cast<size_t>(count));
            for (int32_t i = 0; i < count; ++i) {
                TWordPiece piece;
                piece.CpStart = static_cast<int32_t>(WordU32(FClx, base + static_cast<size_t>(i) * 4));
                piece.CpEnd = static_cast<int32_t>(WordU32(FClx, base + static_cast<size_t>(i + 1) * 4));
                const size_t pcd = base + static_cast<size_t>(count + 1) * 4 + static_cast<size_t>(i) * 8;
                const uint32_t fc = WordU32(FClx, pcd + 2);
                piece.Prm = WordU16(FClx, pcd + 6);
                if ((fc & 0x40000000u) != 0 || !FIs97) {
                    piece.Compressed = true;
                    piece.Fc = FIs97 ? (fc & ~0x40000000u) / 2 : fc;
                } else {
                    piece.Compressed = false;
                    piece.Fc = fc;
                }
                FPieces.push_back(piece);
            }
        }
    } else {
        TWordPiece piece;
        piece.CpStart = 0;
        const int64_t total = static_cast<int64_t>(FCcp[0]) + FCcp[1] + FCcp[2] + FCcp[3] + FCcp[4];
        piece.CpEnd = static_cast<int32_t>(std::min<int64_t>(total, 0x7FFFFFFF));
        piece.Fc = static_cast<uint32_t>(Fib(kFcMin, kFcMin));
        piece.Compressed = true;
        FPieces.push_back(piece);
    }

    ReadText();
    FDocument.Format = FIs97 ? ciWord97 : ciWord6;
    return true;
}

// ---------------------------------------------------------------------------
// Text

int32_t TWordReader::StoryStart(int32_t story) const
{
    int64_t start = 0;
    for (int32_t s = 0; s < story && s < 5; ++s)
        start += FCcp[s];
    return static_cast<int32_t>(std::min<int64_t>(start, 0x7FFFFFFF));
}

int32_t TWordReader::StoryLength(int32_t story) const
{
    return story >= 0 && story < 5 ? FCcp[story] : 0;
}

void TWordReader::ReadText()
{
    TBytes sections;
    ReadPlc(sections, kFcPlcfsed[0], kFcPlcfsed[1]);
    FSections.Assign(std::move(sections), 12);
    FDefaultChp.fill(0);
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        FDefaultChp[static_cast<size_t>(slot)] = DefaultCharFormat()[slot];
    FDefaultPap.fill(0);
    for (int slot = 0; slot < TParFormat::Count; ++slot)
        FDefaultPap[static_cast<size_t>(slot)] = DefaultParFormat()[slot];
    FChp = FDefaultChp;
    FPap = FDefaultPap;
    SetParStyle(FPap, 0);
    FParagraph = &FDocument.Paragraphs(0);
    FText.Clear();
    FChars = 0;
    StartParagraph();
    for (int32_t story : {0, 1, 4, 2})
        ReadStory(story);
    FlushText();
}

void TWordReader::StartParagraph()
{
    for (int slot = 0; slot < TCharFormat::Count; ++slot)
        FEmitted[slot] = DefaultCharFormat()[slot];
}

void TWordReader::ReadStory(int32_t story)
{
    const int32_t length = StoryLength(story);
    if (story != 0 && length <= 1)
        return;
    if (story == 2 && !FIs97 && FHeaderEntries.empty())
        ReducedHeaderTable();
    FStory = story;
    FStoryStart = StoryStart(story);
    const int32_t docStory = DocumentStory(story);
    if (story != 0) {
        // A story starts in a paragraph of its own.
        FlushText();
        FPrevious = nullptr;
        FParagraph = &FDocument.AppendParagraph(docStory);
        FText.Clear();
        FChars = 0;
        FChp = FDefaultChp;
        FPap = FDefaultPap;
        SetParStyle(FPap, 0);
        FChpRunStart = 1;
        FChpRunEnd = 0;
        FPapRunStart = 1;
        FPapRunEnd = 0;
        StartParagraph();
    }
    TBytes fields;
    switch (story) {
    case 0: ReadPlc(fields, kFcPlcffldMom[0], kFcPlcffldMom[1]); break;
    case 1: ReadPlc(fields, kFcPlcffldFtn[0], kFcPlcffldFtn[1]); break;
    case 4: ReadPlc(fields, kFcPlcffldEdn[0], kFcPlcffldEdn[1]); break;
    default: ReadPlc(fields, kFcPlcffldHdr[0], kFcPlcffldHdr[1]); break;
    }
    FFields.Assign(std::move(fields), 2);
    FOpenFields.clear();
    BuildBoundaries(story, FStoryStart);

    const int32_t storyEnd = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(FStoryStart) + length - (story != 0 ? 1 : 0), 0x7FFFFFFF));
    ReadPieces(story, FStoryStart, storyEnd);
    // Boundaries at the story's end (a bookmark that closes the text, the
    // last note's end, the last header's end).
    ProcessBoundaries(0x7FFFFFFF);
    FOpenFields.clear();
    if (story == 2)
        CloseHeader();

    if (story == 0) {
        // The last section's properties.
        if (FSections.Count > 0 && FDocument.SectionCount() > 0) {
            TWordSep sep;
            ReadSectionProperties(std::min(FSectionIndex, FSections.Count - 1), sep);
            ApplySectionRecord(FDocument.Sections(FDocument.SectionCount() - 1), sep);
        }
    } else if (FChars == 0 && FDocument.StoryCount(docStory) > 1) {
        // The empty paragraph after the story's last mark goes, the marks it
        // holds into the paragraph before it.
        const uint8_t* p = FText.Data();
        bool anchors = false;
        for (int32_t pos = 0; pos + InlineControlSize <= FText.Size(); pos += InlineControlSize)
            if (p[pos] == InlineControlStartByte && IsAnchorCode(InlineControlCodeAt(p, pos)))
                anchors = true;
        if (!anchors) {
            FDocument.DeleteParagraph(FDocument.StoryFirst(docStory) + FDocument.StoryCount(docStory) - 1);
            FParagraph = nullptr;
            FText.Clear();
        }
    }
}

void TWordReader::ReadPieces(int32_t story, int32_t storyStart, int32_t storyEnd)
{
    int32_t from = storyStart;
    // The header story's text before its first header (the note separators)
    // is not read.
    if (story == 2 && !FHeaderEntries.empty())
        from = std::max(from, storyStart + FHeaderEntries.front());
    int32_t previousEnd = 0;
    for (const TWordPiece& piece : FPieces) {
        // Pieces follow one another: one that goes back is not read, so that
        // no text is read twice.
        if (piece.CpEnd <= piece.CpStart || piece.CpStart < previousEnd)
            continue;
        previousEnd = piece.CpEnd;
        const int32_t a = std::max(piece.CpStart, from);
        const int32_t b = std::min(piece.CpEnd, storyEnd);
        if (a < b)
            ReadPiece(piece, a, b);
    }
}

void TWordReader::ReadPiece(const TWordPiece& piece, int32_t from, int32_t to)
{
    FPiece = &piece;
    const int64_t width = piece.Compressed ? 1 : 2;
    const int64_t count = static_cast<int64_t>(to) - from;
    const int64_t fcFrom = static_cast<int64_t>(piece.Fc) + (static_cast<int64_t>(from) - piece.CpStart) * width;
    // A file holds each character once: pieces that read more than the
    // stream holds are no Word document.
    FBytesRead += count * width;
    if (FBytesRead > FMainSize)
        Abort();
    TBytes bytes(static_cast<size_t>(count * width));
    ReadMain(fcFrom, bytes.data(), count * width);
    // The piece's modifiers come with the properties of its first character.
    FChpRunStart = 1;
    FChpRunEnd = 0;
    FPapRunStart = 1;
    FPapRunEnd = 0;

    static thread_local TNarrowCache narrow;
    TFontManager* fonts = GetFontManager();
    std::vector<uint8_t> run;
    for (int64_t i = 0; i < count;) {
        const int32_t cp = from + static_cast<int32_t>(i);
        if (FNextBoundary < FBoundaries.size() && FBoundaries[FNextBoundary].Cp <= cp)
            ProcessBoundaries(cp);
        const auto fc = static_cast<uint32_t>(fcFrom + i * width);
        if (fc < FPapRunStart || fc >= FPapRunEnd)
            LookupParProperties(fc);
        if (fc < FChpRunStart || fc >= FChpRunEnd)
            LookupCharProperties(fc);
        const auto at = static_cast<size_t>(i * width);
        const uint16_t c = width == 1 ? bytes[at] : static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
        uint8_t byte = static_cast<uint8_t>(c);
        if (width == 2) {
            uint32_t fontCodePage = 1252;
            const TRegisteredFont* font = fonts ? fonts->FindFont(FChp[cfFont]) : nullptr;
            if (font && font->RequestedCharset != 2)
                fontCodePage = CharsetToCodePage(font->RequestedCharset);
            const TNarrowChar n = narrow.Get(static_cast<char16_t>(c), fontCodePage);
            byte = n.Byte;
            // A run in another code page takes the font's variant for its
            // character set.
            if (n.CodePage != 0 && font && font->RequestedCharset != 2 && n.CodePage != fontCodePage)
                FChp[cfFont] = fonts->GetCharsetVariant(font->FontNumber, CodePageToCharset(n.CodePage));
        }
        const bool plain = c >= 32 && IsPlainByte(byte) && FChp[wcSpecial] != 1 && FChp[wcDeleted] != 1 &&
                           (FOpenFields.empty() || !FOpenFields.back().InInstruction);
        if (!plain) {
            HandleChar(c, byte, cp);
            ++i;
            continue;
        }
        // A run of plain characters: up to the next property run, boundary,
        // character of another kind or code page.
        run.clear();
        run.push_back(byte);
        const uint32_t runEnd = std::min(FChpRunEnd, FPapRunEnd);
        const int32_t boundary = FNextBoundary < FBoundaries.size() ? FBoundaries[FNextBoundary].Cp : 0x7FFFFFFF;
        int64_t j = i + 1;
        while (j < count) {
            const auto fcj = static_cast<uint32_t>(fcFrom + j * width);
            if (fcj >= runEnd || from + j >= boundary)
                break;
            const auto atj = static_cast<size_t>(j * width);
            const uint16_t cj = width == 1 ? bytes[atj] : static_cast<uint16_t>(bytes[atj] | bytes[atj + 1] << 8);
            if (cj < 32)
                break;
            uint8_t bj = static_cast<uint8_t>(cj);
            if (width == 2) {
                if (cj >= 0x80)
                    break;
            }
            if (!IsPlainByte(bj))
                break;
            run.push_back(bj);
            ++j;
        }
        EmitCharFormat();
        AppendPlain(run.data(), static_cast<int32_t>(run.size()));
        i = j;
    }
    FPiece = nullptr;
}

void TWordReader::HandleChar(uint16_t c, uint8_t byte, int32_t cp)
{
    if (FPendingRefEnd) {
        // The note reference's character is its automatic number.
        TField* reference = FPendingRefEnd;
        FPendingRefEnd = nullptr;
        EmitCharFormat();
        AppendSpecial(scReaderSpecial);
        AppendRecord(icRangeEnd, reference->Handle());
        return;
    }
    if (FChp[wcDeleted] == 1)
        return;
    if (c == 19 || c == 20 || c == 21) {
        if (c == 19)
            FieldBegin(cp);
        else if (c == 20)
            FieldSeparator();
        else
            FieldEnd();
        return;
    }
    if (!FOpenFields.empty() && FOpenFields.back().InInstruction) {
        if (byte >= 32 && FOpenFields.back().Instruction.size() < 4096)
            FOpenFields.back().Instruction += static_cast<char>(byte);
        return;
    }
    if (FChp[wcSpecial] == 1) {
        HandleSpecial(c, cp);
        return;
    }
    switch (c) {
    case 7:
        if (FPap[wpInTable] == 1) {
            if (FPap[wpRowEnd] == 1) {
                EndParagraph(false);
            } else {
                EmitCharFormat();
                AppendSpecial(scTab);
            }
        }
        return;
    case 9: EmitCharFormat(); AppendSpecial(scTab); return;
    case 11: EmitCharFormat(); AppendSpecial(scLineBreak); return;
    case 12: {
        if (FStory == 0 && FSections.Count > 1) {
            while (FSectionIndex + 1 < FSections.Count && FSections.Pos(FSectionIndex + 1) <= cp)
                ++FSectionIndex;
            if (FSectionIndex + 1 < FSections.Count && FSections.Pos(FSectionIndex + 1) == cp + 1) {
                EndSectionAt(cp);
                return;
            }
        }
        EmitCharFormat();
        AppendSpecial(scPageBreak);
        return;
    }
    case 13: EndParagraph(false); return;
    case 14: EmitCharFormat(); AppendSpecial(scColumnBreak); return;
    case 30: EmitCharFormat(); AppendSpecial(scNonBreakingHyphen); return;
    case 31: EmitCharFormat(); AppendSpecial(scOptionalHyphen); return;
    default: break;
    }
    if (c < 32)
        return;
    EmitCharFormat();
    switch (byte) {
    case 0x96: AppendSpecial(scEnDash); return;
    case 0x97: AppendSpecial(scEmDash); return;
    case 0xA0: AppendSpecial(scNonBreakingSpace); return;
    default: AppendPlain(&byte, 1); return;
    }
}

void TWordReader::AppendPlain(const uint8_t* chars, int32_t count)
{
    if (count <= 0 || !FParagraph)
        return;
    FText.Append(chars, count);
    FChars += count;
}

void TWordReader::AppendSpecial(uint8_t kind)
{
    AppendFormatCode(FText, icSpecialChar, kind);
    ++FChars;
}

void TWordReader::AppendRecord(uint16_t code, int32_t argument)
{
    AppendFormatCode(FText, code, argument);
    if (IsCharacterCode(code))
        ++FChars;
}

void TWordReader::EmitCharFormat()
{
    for (int slot = 0; slot < TCharFormat::Count; ++slot) {
        const int32_t value = FChp[static_cast<size_t>(slot)];
        if (value == NotSet || value == FEmitted[slot])
            continue;
        AppendFormatCode(FText, static_cast<uint16_t>(slot), value);
        FEmitted[slot] = value;
    }
}

void TWordReader::FlushText()
{
    if (FParagraph)
        FParagraph->SetText(FText.Data(), FText.Size());
}

void TWordReader::EndParagraph(bool sectionBreak)
{
    if (!sectionBreak) {
        EmitCharFormat();
        AppendSpecial(scParagraphMark);
    }
    FlushText();
    TParFormat format{};
    for (int slot = 0; slot < TParFormat::Count; ++slot)
        format[slot] = FPap[static_cast<size_t>(slot)];
    FParagraph->Format = format;
    FContext.CharacterCount += FChars;
    FProgress += FChars;
    if (!FContext.Silent() && FContext.FileSize > 0) {
        const int64_t total = std::max<int64_t>(static_cast<int64_t>(FCcp[0]) + FCcp[1] + FCcp[2] + FCcp[4], 1);
        DocFileHost().ProgressStep(FContext.FileSize * std::min(FProgress, total) / total);
    }
    FPrevious = FParagraph;
    FParagraph = &FDocument.AppendParagraph(DocumentStory(FStory));
    FText.Clear();
    FChars = 0;
    // The next character looks its properties up again.
    FPapRunStart = 1;
    FPapRunEnd = 0;
    FChpRunStart = 1;
    FChpRunEnd = 0;
    StartParagraph();
}

void TWordReader::EndSectionAt(int32_t cp)
{
    (void)cp;
    TSection& ended = FDocument.Sections(FDocument.SectionCount() - 1);
    TWordSep sep;
    ReadSectionProperties(FSectionIndex, sep);
    ApplySectionRecord(ended, sep);
    // A section's break code says how it starts: the break that ends this
    // section is the code of the one that follows.
    TWordSep next;
    ReadSectionProperties(FSectionIndex + 1, next);
    switch (next[wsBreakCode]) {
    case 0: ended.Settings[ssBreakKind] = sbContinuous; break;
    case 2: ended.Settings[ssBreakKind] = sbNewPage; break;
    case 3: ended.Settings[ssBreakKind] = sbEvenPage; break;
    case 4: ended.Settings[ssBreakKind] = sbOddPage; break;
    default: break;
    }
    EmitCharFormat();
    AppendRecord(icSectionBreak, ended.Handle());
    auto section = std::make_unique<TSection>(&FDocument);
    section->Assign(ended);
    FDocument.PutSection(std::move(section));
    ++FSectionIndex;
    EndParagraph(true);
}

void TWordReader::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    FlushText();
    FDocument.RefreshRangeObjectPositions();
}

// ---------------------------------------------------------------------------

bool ReadWordDocument(TDocLoadContext& context)
{
    bool result = false;
    bool failed = false;
    {
        TWordReader reader(context);
        try {
            result = reader.Load();
            reader.Finish();
        } catch (...) {
            failed = true;
            try {
                reader.Finish();
            } catch (...) {
            }
        }
    }
    // The compound file goes; the document's file is kept open again (a
    // read-only document read a copy, which the open routine deletes).
    context.Stream.reset();
    context.Storage.reset();
    TDocument& document = context.Document;
    if (context.Request.Source == lsFile && !document.FileState.ReadOnly && document.FileState.Handle == 0) {
        const THandle handle = CreateFile(context.OpenedName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
        if (handle != INVALID_HANDLE_VALUE)
            document.FileState.Handle = handle;
    }
    if (failed) {
        return context.ReadFailed();
    }
    return result;
}
