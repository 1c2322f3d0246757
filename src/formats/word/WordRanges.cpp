// The position tables of the Word reader: bookmarks, note references and
// note texts, headers and footers, fields, and the special characters that
// stand for note numbers, fields, symbols and pictures.
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "platform/runtime/SysUtils.h"
#include "foundation/managers/FontManager.h"
#include "formats/LoadRoutines.h"
#include "formats/PictureDecoding.h"
#include "formats/word/WordReaderState.h"
#include "platform/framework/Picture.h"

#include <algorithm>
#include <set>

namespace {

constexpr int32_t kFcSttbfbkmk[2] = {0x142, 0x100};
constexpr int32_t kFcPlcfbkf[2] = {0x14A, 0x108};
constexpr int32_t kFcPlcfbkl[2] = {0x152, 0x110};
constexpr int32_t kFcPlcffndRef[2] = {0xAA, 0x68};
constexpr int32_t kFcPlcffndTxt[2] = {0xB2, 0x70};
constexpr int32_t kFcPlcfendRef[2] = {0x20A, 0x1D2};
constexpr int32_t kFcPlcfendTxt[2] = {0x212, 0x1DA};
constexpr int32_t kFcPlcfhdd[2] = {0xF2, 0xB0};

// Open fields nest at most this deep; deeper ones are read as text.
constexpr size_t kMaxOpenFields = 256;

std::string TrimText(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

void TWordReader::ReadBookmarks()
{
    TBytes names;
    TBytes starts;
    TBytes ends;
    ReadPlc(names, kFcSttbfbkmk[0], kFcSttbfbkmk[1]);
    ReadPlc(starts, kFcPlcfbkf[0], kFcPlcfbkf[1]);
    ReadPlc(ends, kFcPlcfbkl[0], kFcPlcfbkl[1]);
    FTables[0].Assign(std::move(starts), 4);
    FTables[1].Assign(std::move(ends), 0);
    if (FIs97) {
        if (WordU16(names, 0) == 0xFFFF) {
            const size_t count = WordU16(names, 2);
            size_t at = 6;
            for (size_t i = 0; i < count && at + 2 <= names.size(); ++i)
                FBookmarkNames.push_back(ReadWordString(names, at, true, names.size()));
        }
    } else {
        size_t at = 2;
        const size_t end = std::min<size_t>(WordU16(names, 0), names.size());
        while (at < end)
            FBookmarkNames.push_back(ReadWordString(names, at, false, end));
    }
    const int32_t count = FTables[0].Count;
    FBookmarks.assign(static_cast<size_t>(count), nullptr);
    FBookmarkStarted.assign(static_cast<size_t>(count), false);
    FBookmarkOfEnd.assign(static_cast<size_t>(std::max(FTables[1].Count + 1, 0)), -1);
    std::set<std::string> seen;
    for (int32_t i = 0; i < count; ++i) {
        // Each end belongs to one start; a name given twice is kept once.
        const int32_t end = WordU16(FTables[0].Data, FTables[0].RecordAt(i));
        const std::string name = static_cast<size_t>(i) < FBookmarkNames.size() ? FBookmarkNames[static_cast<size_t>(i)]
                                                                                 : std::string();
        if (name.empty() || !seen.insert(AnsiUpperCase(name)).second)
            continue;
        if (end >= 0 && end < FTables[1].Count && FBookmarkOfEnd[static_cast<size_t>(end)] < 0)
            FBookmarkOfEnd[static_cast<size_t>(end)] = i;
    }
}

void TWordReader::ReadNoteTables()
{
    TBytes data;
    ReadPlc(data, kFcPlcffndRef[0], kFcPlcffndRef[1]);
    FTables[2].Assign(std::move(data), 2);
    ReadPlc(data, kFcPlcffndTxt[0], kFcPlcffndTxt[1]);
    FTables[3].Assign(std::move(data), 0);
    ReadPlc(data, kFcPlcfendRef[0], kFcPlcfendRef[1]);
    FTables[4].Assign(std::move(data), 2);
    ReadPlc(data, kFcPlcfendTxt[0], kFcPlcfendTxt[1]);
    FTables[5].Assign(std::move(data), 0);
    ReadPlc(data, kFcPlcfhdd[0], kFcPlcfhdd[1]);
    FTables[6].Assign(std::move(data), 0);
    ReducedHeaderTable();
}

void TWordReader::ReducedHeaderTable()
{
    FHeaderEntries.clear();
    // Word 6.0/95 lists only the headers a section has (by its presence
    // bits); the reader places Word 97 headers only.
    if (!FIs97)
        return;
    // The first six entries are the note separators.
    const TWordPlc& table = FTables[6];
    for (int32_t i = 6; i <= table.Count; ++i)
        FHeaderEntries.push_back(table.Pos(i));
}

void TWordReader::BuildBoundaries(int32_t story, int32_t storyStart)
{
    FBoundaries.clear();
    FNextBoundary = 0;
    auto add = [&](int32_t table, int32_t positions, int32_t base) {
        for (int32_t i = 0; i < positions; ++i)
            FBoundaries.push_back({static_cast<int32_t>(std::min<int64_t>(
                                       static_cast<int64_t>(base) + FTables[table].Pos(i), 0x7FFFFFFF)),
                                   table, i});
    };
    switch (story) {
    case 0:
        add(0, FTables[0].Count, 0);
        add(1, FTables[1].Count, 0);
        add(2, FTables[2].Count, 0);
        add(4, FTables[4].Count, 0);
        break;
    case 1: add(3, FTables[3].Count > 0 ? FTables[3].Count + 1 : 0, storyStart); break;
    case 4: add(5, FTables[5].Count > 0 ? FTables[5].Count + 1 : 0, storyStart); break;
    case 2:
        for (size_t k = 0; k < FHeaderEntries.size(); ++k)
            FBoundaries.push_back(
                {static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(storyStart) + FHeaderEntries[k],
                                                        0x7FFFFFFF)),
                 6, static_cast<int32_t>(k)});
        break;
    default: break;
    }
    std::stable_sort(FBoundaries.begin(), FBoundaries.end(), [](const TWordBoundary& a, const TWordBoundary& b) {
        return a.Cp != b.Cp ? a.Cp < b.Cp : a.Table < b.Table;
    });
}

void TWordReader::ProcessBoundaries(int32_t cp)
{
    while (FNextBoundary < FBoundaries.size() && FBoundaries[FNextBoundary].Cp <= cp)
        ProcessBoundary(FBoundaries[FNextBoundary++]);
}

void TWordReader::ProcessBoundary(const TWordBoundary& boundary)
{
    const int32_t i = boundary.Index;
    switch (boundary.Table) {
    case 0:
    case 1: {
        const int32_t mark = boundary.Table == 0 ? i : FBookmarkOfEnd[static_cast<size_t>(i)];
        if (mark < 0 || (boundary.Table == 0 && FBookmarkOfEnd.end() ==
                                                     std::find(FBookmarkOfEnd.begin(), FBookmarkOfEnd.end(), mark)))
            return;
        const auto m = static_cast<size_t>(mark);
        if (!FBookmarks[m]) {
            if (FBookmarkStarted[m])
                return;  // ended already
            TField& bookmark = FDocument.AddRangeObject(rkBookmark);
            bookmark.Instruction = FBookmarkNames[m];
            FBookmarks[m] = &bookmark;
            FBookmarkStarted[m] = true;
            AppendRecord(icRangeStart, bookmark.Handle());
        }
        if (boundary.Table == 1) {
            AppendRangeEnd(*FBookmarks[m]);
            FBookmarks[m] = nullptr;
        }
        return;
    }
    case 2:
    case 4: {
        const int k = boundary.Table == 2 ? 0 : 1;
        TField& reference = FDocument.AddRangeObject(rkNoteReference);
        reference.Numbered = WordU16(FTables[boundary.Table].Data, FTables[boundary.Table].RecordAt(i)) != 0 ? 1 : 0;
        reference.Endnote = static_cast<uint8_t>(k);
        FNoteRefs[k].push_back(&reference);
        EmitCharFormat();
        AppendRecord(icRangeStart, reference.Handle());
        // The reference's character follows: it closes the reference.
        FPendingRefEnd = &reference;
        return;
    }
    case 3:
    case 5: {
        const int k = boundary.Table == 3 ? 0 : 1;
        if (FOpenNote) {
            AppendRangeEnd(*FOpenNote);
            FOpenNote = nullptr;
        }
        // The last two positions close the last note and the story.
        if (i >= FTables[boundary.Table].Count - 1)
            return;
        TField& note = FDocument.AddRangeObject(rkReserved2);
        note.Endnote = static_cast<uint8_t>(k);
        if (static_cast<size_t>(i) < FNoteRefs[k].size()) {
            TField* reference = FNoteRefs[k][static_cast<size_t>(i)];
            note.NoteRecord = reference;
            reference->NoteRecord = &note;
        }
        FNoteTexts[k].push_back(&note);
        AppendRecord(icRangeStart, note.Handle());
        FOpenNote = &note;
        return;
    }
    case 6: {
        CloseHeader();
        const size_t next = static_cast<size_t>(i) + 1;
        const int32_t section = i / 6;
        // An empty entry gives no header (the section takes the one before).
        if (next >= FHeaderEntries.size() || FHeaderEntries[next] <= FHeaderEntries[static_cast<size_t>(i)] ||
            section >= FDocument.SectionCount())
            return;
        TField& header = FDocument.AddRangeObject(rkHeaderFooter);
        FDocument.Sections(section).HeadersFooters[i % 6] = &header;
        AppendRecord(icRangeStart, header.Handle());
        FOpenHeader = &header;
        return;
    }
    default: return;
    }
}

void TWordReader::AppendRangeEnd(TField& field)
{
    // A range that ends with its paragraph ends there, not in the next one.
    if (FChars == 0 && FPrevious)
        FPrevious->AppendControl(icRangeEnd, field.Handle());
    else
        AppendRecord(icRangeEnd, field.Handle());
}

void TWordReader::CloseHeader()
{
    if (!FOpenHeader)
        return;
    AppendRangeEnd(*FOpenHeader);
    FOpenHeader = nullptr;
}

void TWordReader::FieldBegin(int32_t cp)
{
    if (FOpenFields.size() >= kMaxOpenFields)
        return;
    FOpenFields.push_back({cp, true, {}, nullptr});
}

void TWordReader::FieldSeparator()
{
    if (FOpenFields.empty() || !FOpenFields.back().InInstruction)
        return;
    TWordOpenField& open = FOpenFields.back();
    // A field inside another's instruction is part of that instruction.
    for (size_t k = 0; k + 1 < FOpenFields.size(); ++k)
        if (FOpenFields[k].InInstruction)
            return;
    uint8_t type = 0xFF;
    const int32_t relative = open.Cp - FStoryStart;
    int32_t lo = 0;
    int32_t hi = FFields.Count;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (FFields.Pos(mid) < relative)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int32_t i = lo; i < FFields.Count && FFields.Pos(i) == relative; ++i) {
        const size_t at = FFields.RecordAt(i);
        if (at + 2 <= FFields.Data.size() && (FFields.Data[at] & 0x1F) == 19) {
            type = FFields.Data[at + 1];
            break;
        }
    }
    TField& field = FDocument.AddRangeObject(rkField);
    field.Type = type;
    field.Instruction = NormalizeFieldInstruction(type, TrimText(open.Instruction));
    EmitCharFormat();
    AppendRecord(icRangeStart, field.Handle());
    open.Field = &field;
    open.InInstruction = false;
}

void TWordReader::FieldEnd()
{
    // An end without a begin is ignored.
    if (FOpenFields.empty())
        return;
    TField* field = FOpenFields.back().Field;
    FOpenFields.pop_back();
    if (field)
        AppendRangeEnd(*field);
}

void TWordReader::HandleSpecial(uint16_t c, int32_t cp)
{
    (void)cp;
    switch (c) {
    case 1:
        if (FChp[wcOle2] != 1)
            ReadPicture();
        return;
    case 2:
        EmitCharFormat();
        AppendSpecial(scReaderSpecial);
        return;
    default: break;
    }
    const bool symbol = c == 9 || c == 13 || c == 17 || c == 18 || c == 31 || c == 32 || c == 40 || c > 41;
    if (!symbol)
        return;
    int32_t code = c;
    if (FChp[wcSymbol] != 0 && FChp[wcSymbol] != NotSet)
        code = (FChp[wcSymbol] >> 16) & 0xFFFF;
    if (code > 0xFF)
        code &= 0xFF;
    if (code < 32)
        return;
    std::string fontName;
    if (TFontManager* fonts = GetFontManager())
        if (const TRegisteredFont* font = fonts->FindFont(FChp[cfFont]))
            fontName = font->GetFaceName(*fonts);
    TField& field = FDocument.AddRangeObject(rkField);
    field.Type = 57;
    field.Instruction = BuildSymbolField(code, fontName);
    EmitCharFormat();
    AppendRecord(icRangeStart, field.Handle());
    const auto byte = static_cast<uint8_t>(code);
    AppendPlain(&byte, 1);
    AppendRecord(icRangeEnd, field.Handle());
}

namespace {

// The picture descriptor's header: 68 bytes in Word 97, 58 in Word 6.0/95.
constexpr size_t kPicfHeader = 68;
constexpr size_t kPicfHeader6 = 58;

}  // namespace

void TWordReader::ReadPicture()
{
    // A file without a "Data" stream opens without its pictures.
    if (!FData || FChp[wcPicLocation] == NotSet)
        return;
    const int64_t at = static_cast<uint32_t>(FChp[wcPicLocation]);
    // The descriptor's size first, then the whole descriptor.
    TBytes size;
    ReadData(at, size, 4);
    const uint32_t lcb = WordU32(size, 0);
    const size_t minimumHeader = FIs97 ? kPicfHeader : kPicfHeader6;
    if (lcb < minimumHeader)
        return;
    TBytes picf;
    ReadData(at, picf, lcb);
    const size_t header = std::clamp<size_t>(WordU16(picf, 4), minimumHeader, picf.size());
    const int32_t mm = static_cast<int16_t>(WordU16(picf, 6));
    auto picture = std::make_unique<TDocPicture>(&FDocument);
    const int32_t goalWidth = static_cast<int16_t>(WordU16(picf, 28));
    const int32_t goalHeight = static_cast<int16_t>(WordU16(picf, 30));
    const int32_t scaleX = WordU16(picf, 32);
    const int32_t scaleY = WordU16(picf, 34);
    if (mm >= 1 && mm <= 8) {
        picture->DataKind = pdkWmf;
        picture->MappingMode = mm;
        picture->SourceWidth = static_cast<int16_t>(WordU16(picf, 8));
        picture->SourceHeight = static_cast<int16_t>(WordU16(picf, 10));
        picture->Data.assign(picf.begin() + static_cast<std::ptrdiff_t>(header), picf.end());
    } else if (mm == 98 || mm == 99 || !FIs97) {
        return;
    } else {
        // Office Art records: shape containers, then the blip store entry.
        size_t pos = header;
        while (pos + 8 <= picf.size() && WordU16(picf, pos + 2) == 0xF004)
            pos += 8 + std::min<size_t>(WordU32(picf, pos + 4), picf.size() - pos - 8);
        if (pos + 8 + 36 > picf.size() || WordU16(picf, pos + 2) != 0xF007)
            return;
        const size_t nameLength = picf[pos + 8 + 33];
        size_t blip = pos + 8 + 36 + nameLength * 2;
        if (blip + 8 > picf.size())
            return;
        const uint16_t instance = WordU16(picf, blip) >> 4;
        const uint16_t type = WordU16(picf, blip + 2);
        const size_t blipEnd = std::min<size_t>(blip + 8 + WordU32(picf, blip + 4), picf.size());
        size_t data = blip + 8 + 16;
        switch (type) {
        case 0xF01D:
            picture->DataKind = pdkJpeg;
            data += (instance != 0x46A ? 16 : 0) + 1;
            break;
        case 0xF01E:
            picture->DataKind = pdkPng;
            data += (instance != 0x6E0 ? 16 : 0) + 1;
            break;
        default: return;
        }
        if (data >= blipEnd)
            return;
        picture->Data.assign(picf.begin() + static_cast<std::ptrdiff_t>(data),
                             picf.begin() + static_cast<std::ptrdiff_t>(blipEnd));
    }
    picture->Image = DecodeDocPicture(*picture);
    if (!picture->Image)
        return;
    int32_t width = goalWidth;
    int32_t height = goalHeight;
    if (width <= 0 || height <= 0) {
        width = picture->Image->Width() * 15;
        height = picture->Image->Height() * 15;
    }
    picture->Width = std::clamp(width, 0, 31680 * 10);
    picture->Height = std::clamp(height, 0, 31680 * 10);
    picture->ScaleX = std::clamp(scaleX / 10, 1, 1000);
    picture->ScaleY = std::clamp(scaleY / 10, 1, 1000);
    EmitCharFormat();
    TDocObject& added = FDocument.ObjectManager().AddObject(std::move(picture));
    AppendRecord(icPicture, added.Handle());
}
