// The parts of a Word document besides the main text and its formatting:
// the footnote, endnote and header/footer stories with their position
// tables, fields, bookmarks and pictures.
#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/DocObjectImage.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "formats/OutputFile.h"
#include "formats/word/WordWriterState.h"
#include "imaging/PngImage.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

#include <zlib.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr TFibPair kFibPlcffndRef{0xAA, 0x68};
constexpr TFibPair kFibPlcffndTxt{0xB2, 0x70};
constexpr TFibPair kFibPlcfendRef{0x20A, 0x1D2};
constexpr TFibPair kFibPlcfendTxt{0x212, 0x1DA};
constexpr TFibPair kFibPlcfHdd{0xF2, 0xB0};
constexpr TFibPair kFibPlcffld[4] = {{0x11A, 0xD8}, {0x12A, 0xE8}, {0x122, 0xE0}, {0x21A, 0x1E2}};
constexpr TFibPair kFibSttbfBkmk{0x142, 0x100};
constexpr TFibPair kFibPlcfBkf{0x14A, 0x108};
constexpr TFibPair kFibPlcfBkl{0x152, 0x110};

void Put16(TWordBytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(TWordBytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Set32(TWordBytes& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

// An Office Art record header.
void Record(TWordBytes& out, uint16_t versionAndInstance, uint16_t type, uint32_t length)
{
    Put16(out, versionAndInstance);
    Put16(out, type);
    Put32(out, length);
}

// Operand bytes of the Word 6.0/95 character sprms the writer emits (255: a
// length byte follows the code).
int32_t Word6CharSprmSize(uint8_t code)
{
    switch (code) {
    case 68: return 255;
    case 93:
    case 96:
    case 97:
    case 99:
    case 101:
    case 107: return 2;
    default: return 1;
    }
}

// A Windows metafile's bits kept zlib-compressed come back inflated.
std::vector<uint8_t> Inflated(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out(std::max<size_t>(data.size() * 4, 4096));
    for (int attempt = 0; attempt < 8; ++attempt) {
        uLongf size = static_cast<uLongf>(out.size());
        const int result = uncompress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
        if (result == Z_OK) {
            out.resize(size);
            return out;
        }
        if (result != Z_BUF_ERROR)
            return data;
        out.resize(out.size() * 4);
    }
    return data;
}

}  // namespace

// ---------------------------------------------------------------------------
// Range records in the text

void TWordWriter::RangeStart(TField& field, const TCharFormat& format)
{
    switch (field.Kind) {
    case rkField: {
        const uint32_t cp = FCp - FStoryStart;
        SetRun(format, true, -1);
        FFields[FStory].push_back({static_cast<int32_t>(cp), 0x13, field.Type});
        PutUnit(0x13);
        std::string instruction;
        for (char c : field.Instruction)
            if (static_cast<uint8_t>(c) >= 32)
                instruction += c;
        if (!instruction.empty()) {
            SetRun(format, false, -1);
            PutPlain(reinterpret_cast<const uint8_t*>(instruction.data()), static_cast<int32_t>(instruction.size()),
                     format[cfFont]);
        }
        SetRun(format, true, -1);
        FFields[FStory].push_back({static_cast<int32_t>(FCp - FStoryStart), 0x94, 0xFF});
        PutUnit(0x14);
        FOpenFields.push_back(&field);
        return;
    }
    case rkBookmark:
        if (FStory == 0)
            FBookmarks.push_back({&field, FCp, 0, false});
        return;
    case rkNoteReference:
        if (FStory == 0) {
            const int k = IsEndnoteReference(field) ? 1 : 0;
            FNoteRefs[k].push_back(&field);
            FNoteRefCps[k].push_back(FCp);
        }
        return;
    default: return;
    }
}

void TWordWriter::RangeEnd(TField& field, const TCharFormat& format)
{
    if (field.Kind == rkField) {
        const auto open = std::find(FOpenFields.rbegin(), FOpenFields.rend(), &field);
        if (open == FOpenFields.rend())
            return;
        FOpenFields.erase(std::next(open).base());
        // The end mark takes the format of the result's last character, not
        // a format change that only follows the field.
        SetRun(FHasTextFormat ? FTextFormat : format, true, -1);
        FFields[FStory].push_back({static_cast<int32_t>(FCp - FStoryStart), 0x95, 0x80});
        PutUnit(0x15);
        return;
    }
    if (field.Kind == rkBookmark && FStory == 0)
        for (TBookmark& bookmark : FBookmarks)
            if (bookmark.Field == &field && !bookmark.Ended) {
                bookmark.End = FCp;
                bookmark.Ended = true;
                return;
            }
}

// ---------------------------------------------------------------------------
// Stories

void TWordWriter::WriteNoteStory(int32_t kind)
{
    const int32_t story = kind == 0 ? 1 : 3;
    const int32_t ccp = kind == 0 ? 1 : 3;
    if (FNoteRefs[kind].empty())
        return;
    FStory = story;
    FStoryStart = FCp;
    FOpenFields.clear();
    std::vector<uint32_t>& starts = FNoteTextCps[kind];
    for (TField* reference : FNoteRefs[kind]) {
        starts.push_back(FCp - FStoryStart);
        const TField* note = reference->NoteRecord;
        if (note && note->Range.Start.Paragraph >= 0 && note->Range.End.Paragraph >= note->Range.Start.Paragraph)
            WriteStoryParagraphs(note->Range.Start.Paragraph, note->Range.End.Paragraph, story);
        else
            PutClosingMark();
    }
    CloseCharRun();
    const uint32_t end = FCp - FStoryStart;
    starts.push_back(end);
    PutClosingMark();
    starts.push_back(end + 2);
    FCcp[ccp] = static_cast<int32_t>(FCp - FStoryStart);
}

void TWordWriter::WriteHeaderStory()
{
    const int32_t sections = FDocument.SectionCount();
    FHeaderPresent.assign(static_cast<size_t>(std::max(sections, 0)), 0);
    auto present = [&](int32_t s, int k) -> TField* {
        TField* field = FDocument.Sections(s).HeadersFooters[k];
        if (!field || IsEmptyHeaderFooter(FDocument, *field))
            return nullptr;
        // A section that shares the header of the one before leaves it to
        // that one.
        if (s > 0 && FDocument.Sections(s - 1).HeadersFooters[k] == field)
            return nullptr;
        if (field->Range.Start.Paragraph < 0 || field->Range.End.Paragraph < field->Range.Start.Paragraph)
            return nullptr;
        return field;
    };
    bool any = false;
    for (int32_t s = 0; s < sections && !any; ++s)
        for (int k = 0; k < 6 && !any; ++k)
            any = present(s, k) != nullptr;
    if (!any)
        return;
    FStory = 2;
    FStoryStart = FCp;
    FOpenFields.clear();
    FHeaderCps.assign(FWord97 ? 7 : 1, 0);
    for (int32_t s = 0; s < sections; ++s)
        for (int k = 0; k < 6; ++k) {
            TField* field = present(s, k);
            if (field) {
                WriteStoryParagraphs(field->Range.Start.Paragraph, field->Range.End.Paragraph, 2);
                FHeaderPresent[static_cast<size_t>(s)] |= static_cast<uint8_t>(1 << k);
            }
            CloseCharRun();
            if (FWord97 || field)
                FHeaderCps.push_back(FCp - FStoryStart);
        }
    PutClosingMark();
    FHeaderCps.push_back(FCp - FStoryStart);
    FCcp[2] = static_cast<int32_t>(FCp - FStoryStart);
}

void TWordWriter::WriteHeaderTable()
{
    if (FHeaderCps.empty())
        return;
    TWordBytes plc;
    for (uint32_t cp : FHeaderCps)
        Put32(plc, cp);
    WriteTable(kFibPlcfHdd, plc);
}

// ---------------------------------------------------------------------------
// Position tables

void TWordWriter::WriteNoteTables()
{
    const uint32_t closing = static_cast<uint32_t>(FCcp[0] + FCcp[1] + FCcp[2] + 1);
    for (int k = 0; k < 2; ++k) {
        if (FNoteRefs[k].empty())
            continue;
        TWordBytes references;
        for (uint32_t cp : FNoteRefCps[k])
            Put32(references, cp);
        Put32(references, closing);
        for (TField* reference : FNoteRefs[k])
            Put16(references, reference->Numbered != 0 ? 1 : 0);
        WriteTable(k == 0 ? kFibPlcffndRef : kFibPlcfendRef, references);
        TWordBytes texts;
        for (uint32_t cp : FNoteTextCps[k])
            Put32(texts, cp);
        WriteTable(k == 0 ? kFibPlcffndTxt : kFibPlcfendTxt, texts);
    }
}

void TWordWriter::WriteBookmarks()
{
    if (FBookmarks.empty())
        return;
    const uint32_t closing = static_cast<uint32_t>(FCcp[0] + FCcp[1] + FCcp[2] + FCcp[3]);
    for (TBookmark& bookmark : FBookmarks)
        if (!bookmark.Ended)
            bookmark.End = static_cast<uint32_t>(FCcp[0]);
    // Ends in text order; each start names its end's entry.
    std::vector<size_t> byEnd(FBookmarks.size());
    std::iota(byEnd.begin(), byEnd.end(), 0);
    std::stable_sort(byEnd.begin(), byEnd.end(),
                     [this](size_t a, size_t b) { return FBookmarks[a].End < FBookmarks[b].End; });
    std::vector<uint32_t> endEntry(FBookmarks.size());
    for (size_t rank = 0; rank < byEnd.size(); ++rank)
        endEntry[byEnd[rank]] = static_cast<uint32_t>(rank);

    TWordBytes names;
    if (FWord97) {
        Put16(names, 0xFFFF);
        Put16(names, static_cast<uint32_t>(FBookmarks.size()));
        Put16(names, 0);
        for (const TBookmark& bookmark : FBookmarks) {
            std::u16string name = ToWide(bookmark.Field->Instruction, CP_ACP);
            name.resize(std::min<size_t>(name.size(), 255));
            Put16(names, static_cast<uint32_t>(name.size()));
            for (char16_t c : name)
                Put16(names, c);
        }
    } else {
        Put16(names, 0);
        for (const TBookmark& bookmark : FBookmarks) {
            const std::string name = bookmark.Field->Instruction.substr(0, 255);
            names.push_back(static_cast<uint8_t>(name.size()));
            names.insert(names.end(), name.begin(), name.end());
        }
        names[0] = static_cast<uint8_t>(names.size());
        names[1] = static_cast<uint8_t>(names.size() >> 8);
    }
    WriteTable(kFibSttbfBkmk, names);

    TWordBytes starts;
    for (const TBookmark& bookmark : FBookmarks)
        Put32(starts, bookmark.Start);
    Put32(starts, closing);
    for (size_t i = 0; i < FBookmarks.size(); ++i)
        Put32(starts, endEntry[i]);
    WriteTable(kFibPlcfBkf, starts);

    TWordBytes ends;
    for (size_t i : byEnd)
        Put32(ends, FBookmarks[i].End);
    Put32(ends, closing);
    WriteTable(kFibPlcfBkl, ends);
}

void TWordWriter::WriteFieldTables()
{
    for (int s = 0; s < 4; ++s) {
        const std::vector<TWordFieldEntry>& entries = FFields[s];
        if (entries.empty())
            continue;
        TWordBytes plc;
        for (const TWordFieldEntry& entry : entries)
            Put32(plc, static_cast<uint32_t>(entry.Cp));
        Put32(plc, static_cast<uint32_t>(FCcp[s]));
        for (const TWordFieldEntry& entry : entries) {
            plc.push_back(entry.Code);
            plc.push_back(entry.Data);
        }
        WriteTable(kFibPlcffld[s], plc);
    }
}

// ---------------------------------------------------------------------------
// Pictures

TWordBytes TWordWriter::PictureBytes(TDocPicture& picture)
{
    TWordBytes blip;
    bool jpeg = false;
    std::vector<uint8_t> metafile;
    if (FWord97) {
        if (picture.DataKind == pdkJpeg) {
            blip = picture.Data;
            jpeg = true;
        } else if (picture.DataKind == pdkPng) {
            blip = picture.Data;
        } else {
            // Any other form goes out as a PNG of the picture: a metafile
            // rendered once, a bitmap compressed.
            picture.ObjectImage().BuildPngData();
            blip = picture.ObjectImage().RenderedPng;
        }
        if (blip.empty() && picture.Image && picture.Image->Graphic()) {
            jpeg = false;
            try {
                TPNGImage png;
                png.Assign(*picture.Image->Graphic());
                TMemoryStream stream;
                png.SaveToStream(stream);
                const auto* p = static_cast<const uint8_t*>(stream.Memory());
                blip.assign(p, p + stream.Size());
            } catch (const Exception&) {
                blip.clear();
            }
        }
        if (blip.empty())
            return {};
    } else {
        // Word 6.0/95 keeps Windows metafile bits.
        if (picture.DataKind != pdkWmf || picture.Data.empty())
            return {};
        metafile = picture.Data;
        if (metafile.size() >= 2 && metafile[0] == 0x78)
            metafile = Inflated(metafile);
    }

    TWordBytes out;
    const size_t header = FWord97 ? 0x44 : 0x3A;
    out.resize(header, 0);
    out[4] = static_cast<uint8_t>(header);
    out[6] = FWord97 ? 0x64 : 8;
    if (!FWord97) {
        out[8] = static_cast<uint8_t>(picture.SourceWidth);
        out[9] = static_cast<uint8_t>(picture.SourceWidth >> 8);
        out[10] = static_cast<uint8_t>(picture.SourceHeight);
        out[11] = static_cast<uint8_t>(picture.SourceHeight >> 8);
    }
    auto put16At = [&out](size_t at, int32_t value) {
        out[at] = static_cast<uint8_t>(value);
        out[at + 1] = static_cast<uint8_t>(value >> 8);
    };
    put16At(28, picture.Width);
    put16At(30, picture.Height);
    put16At(32, picture.ScaleX * 10);
    put16At(34, picture.ScaleY * 10);
    if (FWord97) {
        TWordBytes shape;
        Record(shape, 0x04B2, 0xF00A, 8);
        Put32(shape, 0);
        Put32(shape, 0x0A00);
        Record(shape, 2 << 4 | 3, 0xF00B, 12);
        Put16(shape, 0x4104);
        Put32(shape, 1);
        Put16(shape, 0x01FF);
        Put32(shape, 0x00080000);
        Record(shape, 0, 0xF010, 4);
        Put32(shape, 0);
        Record(out, 0x000F, 0xF004, static_cast<uint32_t>(shape.size()));
        out.insert(out.end(), shape.begin(), shape.end());
        const uint16_t blipType = jpeg ? 5 : 6;
        const uint32_t blipTotal = static_cast<uint32_t>(blip.size() + 25);
        Record(out, static_cast<uint16_t>(blipType << 4 | 2), 0xF007, 36 + blipTotal);
        TWordBytes bse(36, 0);
        bse[0] = static_cast<uint8_t>(blipType);
        bse[1] = static_cast<uint8_t>(blipType);
        Set32(bse, 20, blipTotal);
        out.insert(out.end(), bse.begin(), bse.end());
        Record(out, jpeg ? 0x46A0 : 0x6E00, jpeg ? 0xF01D : 0xF01E, static_cast<uint32_t>(blip.size() + 17));
        out.resize(out.size() + 17, 0);
        out.insert(out.end(), blip.begin(), blip.end());
    } else {
        out.insert(out.end(), metafile.begin(), metafile.end());
    }
    Set32(out, 0, static_cast<uint32_t>(out.size()));
    return out;
}

TDocPicture* TWordWriter::ShownPicture(TObjectHandle handle) const
{
    TDocObject* object = FDocument.Objects().GetDocObject(handle);
    if (auto* picture = dynamic_cast<TDocPicture*>(object))
        return picture;
    if (auto* ole = dynamic_cast<TDocOLEObject*>(object))
        return ole->ResultPicture.get();
    return nullptr;
}

int64_t TWordWriter::PlacePicture(TObjectHandle handle)
{
    TDocPicture* picture = ShownPicture(handle);
    if (!picture)
        return -1;
    if (!FWord97) {
        // Placed after the text; Windows metafile bits only.
        if (picture->DataKind != pdkWmf || picture->Data.empty())
            return -1;
        FHasPictures = true;
        return static_cast<int64_t>(handle);
    }
    const TWordBytes bytes = PictureBytes(*picture);
    if (bytes.empty())
        return -1;
    if (!FData)
        FData = &FFile.CreateStream(u"Data");
    FData->Seek(FData->Size());
    const int64_t at = FData->Position();
    FData->Write(bytes.data(), bytes.size());
    FHasPictures = true;
    return at;
}

void TWordWriter::PlaceWord6Pictures()
{
    // Every picture location in the finished character pages holds the
    // object's handle: the picture goes to the end of the main stream and
    // its position takes the handle's place.
    FinishPage(FChpPages, FChpPage, false);
    for (TWordPage& page : FChpPages) {
        uint8_t* b = page.Bytes;
        const int32_t runs = b[511];
        std::vector<int32_t> seen;
        for (int32_t r = 0; r < runs; ++r) {
            const int32_t offset = b[4 * (runs + 1) + r] * 2;
            if (offset == 0 || std::find(seen.begin(), seen.end(), offset) != seen.end())
                continue;
            seen.push_back(offset);
            const int32_t size = b[offset];
            int32_t pos = offset + 1;
            const int32_t end = std::min(offset + 1 + size, 511);
            while (pos < end) {
                const uint8_t code = b[pos];
                int32_t operand = Word6CharSprmSize(code);
                int32_t at = pos + 1;
                if (operand == 255) {
                    operand = b[pos + 1];
                    at = pos + 2;
                }
                if (code == 68 && operand == 4 && at + 4 <= end) {
                    const uint32_t handle = static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                                                  static_cast<uint32_t>(b[at + 3]) << 24);
                    uint32_t location = 0;
                    if (TDocPicture* picture = ShownPicture(handle)) {
                        const TWordBytes bytes = PictureBytes(*picture);
                        if (!bytes.empty()) {
                            FMain->Seek(FMain->Size());
                            location = static_cast<uint32_t>(FMain->Position());
                            FMain->Write(bytes.data(), bytes.size());
                        }
                    }
                    for (int i = 0; i < 4; ++i)
                        b[at + i] = static_cast<uint8_t>(location >> (8 * i));
                }
                pos = at + operand;
            }
        }
    }
}
