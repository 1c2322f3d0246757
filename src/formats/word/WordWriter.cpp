#include "formats/word/WordWriter.h"

#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/managers/TabManager.h"
#include "formats/OutputFile.h"
#include "formats/word/PackedDateTime.h"
#include "formats/word/WordWriterState.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace {

constexpr size_t kTextBufferSize = 65536;

// FIB pairs (fc; the lcb follows 4 bytes after).
constexpr TFibPair kFibStshf{0xA2, 0x60};
constexpr TFibPair kFibPlcfSed{0xCA, 0x88};
constexpr TFibPair kFibPlcfHdd{0xF2, 0xB0};
constexpr TFibPair kFibPlcfBteChpx{0xFA, 0xB8};
constexpr TFibPair kFibPlcfBtePapx{0x102, 0xC0};
constexpr TFibPair kFibSttbfFfn{0x112, 0xD0};
constexpr TFibPair kFibDop{0x192, 0x150};
constexpr TFibPair kFibSttbfAssoc{0x19A, 0x158};
constexpr TFibPair kFibClx{0x1A2, 0x160};
constexpr TFibPair kFibPlcfBteLvc{0x34A, -1};
constexpr TFibPair kFibFcMin{0x18, 0x18};
constexpr TFibPair kFibFcMac{0x1C, 0x1C};
constexpr TFibPair kFibCbMac{0x40, 0x20};
constexpr TFibPair kFibCcp[4] = {{0x4C, 0x34}, {0x50, 0x38}, {0x54, 0x3C}, {0x60, 0x48}};
constexpr TFibPair kFibCpnBteChp{0x74, -1};
constexpr TFibPair kFibCpnBtePap{0x80, -1};
constexpr TFibPair kFibCpnBteLvc{0x8C, -1};
constexpr int32_t kWord6CpnBteChp = 0x18E;
constexpr int32_t kWord6CpnBtePap = 0x190;

void Put16(TWordBytes& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(TWordBytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The 16-bit characters of a byte in each code page, made on first use.
const std::array<char16_t, 256>& WideTable(uint32_t codePage)
{
    static std::map<uint32_t, std::array<char16_t, 256>> tables;
    auto it = tables.find(codePage);
    if (it != tables.end())
        return it->second;
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        char16_t c = static_cast<char16_t>(b);
        if (b >= 0x80) {
            try {
                c = ByteToWide(static_cast<uint8_t>(b), codePage);
            } catch (const Exception&) {
                c = u'?';
            }
        }
        table[static_cast<size_t>(b)] = c;
    }
    return tables.emplace(codePage, table).first->second;
}

// A font of the symbol character set keeps its bytes in the private area.
constexpr uint8_t kSymbolCharset = 2;

const TRegisteredFont* FindRegisteredFont(int32_t font)
{
    TFontManager* fonts = GetFontManager();
    if (!fonts || font < 0 || font >= fonts->RegisteredFontCount())
        return nullptr;
    return &fonts->RegisteredFonts(font);
}

}  // namespace

TWordWriter::TWordWriter(TDocument& document, bool word97) : FDocument(document), FWord97(word97)
{
    FFcMin = word97 ? 1024 : 768;
}

TWordWriter::~TWordWriter()
{
    // The styles' own languages come back, also after a failure.
    TStyleList& styles = FDocument.Styles();
    for (size_t i = 0; i < FSavedLanguages.size() && static_cast<int32_t>(i) < styles.Count(); ++i)
        styles[static_cast<int32_t>(i)].CharFormat[cfLanguage] = FSavedLanguages[i];
}

// ---------------------------------------------------------------------------
// FIB and tables

void TWordWriter::SetFib32(TFibPair field, uint32_t value)
{
    const int32_t at = FWord97 ? field.Word97 : field.Word6;
    if (at < 0)
        return;
    for (int i = 0; i < 4; ++i)
        FFib[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void TWordWriter::SetFib16(int32_t at, uint16_t value)
{
    FFib[at] = static_cast<uint8_t>(value);
    FFib[at + 1] = static_cast<uint8_t>(value >> 8);
}

void TWordWriter::WriteTable(TFibPair fc, const TWordBytes& bytes)
{
    TStorageWriteStream& table = Table();
    table.Seek(table.Size());
    SetFib32(fc, static_cast<uint32_t>(table.Position()));
    SetFib32({fc.Word97 < 0 ? -1 : fc.Word97 + 4, fc.Word6 < 0 ? -1 : fc.Word6 + 4},
             static_cast<uint32_t>(bytes.size()));
    table.Write(bytes.data(), bytes.size());
}

// ---------------------------------------------------------------------------
// Fonts and styles

void TWordWriter::NumberFonts()
{
    FFonts.clear();
    FFonts.push_back({"Times New Roman", "Times New Roman", 0});
    FFonts.push_back({"Symbol", "Symbol", kSymbolCharset});
    TFontManager* fonts = GetFontManager();
    if (!fonts)
        return;
    const int32_t times = fonts->TimesIndex();
    const int32_t symbol = fonts->SymbolIndex();
    for (int32_t i = 0; i < fonts->RegisteredFontCount(); ++i) {
        TRegisteredFont& font = fonts->RegisteredFonts(i);
        if (i == times) {
            font.WriterUsed = 1;
            font.WriterFontNumber = 0;
        } else if (i == symbol) {
            font.WriterUsed = 1;
            font.WriterFontNumber = 1;
        } else if (font.WriterUsed == 1) {
            font.WriterFontNumber = static_cast<int32_t>(FFonts.size());
            FFonts.push_back({font.GetFaceName(*fonts), font.FaceName, font.RequestedCharset});
        } else {
            font.WriterFontNumber = NotSet;
        }
    }
}

uint16_t TWordWriter::FontNumber(int32_t font) const
{
    const TRegisteredFont* entry = FindRegisteredFont(font);
    if (!entry || entry->WriterFontNumber == NotSet || entry->WriterFontNumber < 0)
        return 0;
    return static_cast<uint16_t>(entry->WriterFontNumber);
}

void TWordWriter::NumberStyles()
{
    TStyleList& styles = FDocument.Styles();
    const int32_t count = styles.Count();
    FIstd.assign(static_cast<size_t>(count), -1);
    std::vector<bool> taken(10, false);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t standard = styles[i].StandardNumber;
        if (standard >= 0 && standard <= 9 && !taken[static_cast<size_t>(standard)]) {
            FIstd[static_cast<size_t>(i)] = standard;
            taken[static_cast<size_t>(standard)] = true;
        }
    }
    int32_t next = 15;
    for (int32_t i = 0; i < count; ++i)
        if (FIstd[static_cast<size_t>(i)] < 0)
            FIstd[static_cast<size_t>(i)] = next++;

    // Every style in the program's default language for the write; the full
    // formats are taken afterwards.
    FSavedLanguages.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        FSavedLanguages[static_cast<size_t>(i)] = styles[i].CharFormat[cfLanguage];
        styles[i].CharFormat[cfLanguage] = DefaultCharFormat()[cfLanguage];
    }
    FStyleChar.resize(static_cast<size_t>(count));
    FStyleParFormat.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        styles[i].GetFullFormat(FStyleChar[static_cast<size_t>(i)], FStyleParFormat[static_cast<size_t>(i)], 0);
}

int32_t TWordWriter::IstdOf(int32_t styleIndex) const
{
    if (styleIndex < 0 || styleIndex >= static_cast<int32_t>(FIstd.size()))
        return FIstd.empty() ? 0 : FIstd[0];
    return FIstd[static_cast<size_t>(styleIndex)];
}

const TCharFormat& TWordWriter::StyleChar(int32_t styleIndex) const
{
    if (styleIndex < 0 || styleIndex >= static_cast<int32_t>(FStyleChar.size()))
        return DefaultCharFormat();
    return FStyleChar[static_cast<size_t>(styleIndex)];
}

const TParFormat& TWordWriter::StyleParFormat(int32_t styleIndex) const
{
    if (styleIndex < 0 || styleIndex >= static_cast<int32_t>(FStyleParFormat.size()))
        return DefaultParFormat();
    return FStyleParFormat[static_cast<size_t>(styleIndex)];
}

// ---------------------------------------------------------------------------
// Text

void TWordWriter::DecideUnicode()
{
    FUnicode = false;
    for (int32_t p = 0; p < FDocument.ParagraphCount(); ++p) {
        const TParFormat& own = FDocument.Paragraphs(p).Format;
        if (own[pfInternal] != 0 && own[pfInternal] != NotSet)
            FBullets = true;
    }
    for (int32_t i = 0; i < FDocument.Styles().Count(); ++i) {
        const int32_t bullet = FDocument.Styles()[i].ParFormat[pfInternal];
        if (bullet != 0 && bullet != NotSet)
            FBullets = true;
    }
    if (!FWord97)
        return;
    for (int32_t p = 0; p < FDocument.ParagraphCount(); ++p) {
        const TMemory& text = FDocument.Paragraphs(p).GetText();
        const uint8_t* data = text.Data();
        int32_t font = DefaultCharFormat()[cfFont];
        uint32_t codePage = 1252;
        auto pageOf = [](int32_t f) -> uint32_t {
            const TRegisteredFont* entry = FindRegisteredFont(f);
            if (!entry || entry->RequestedCharset == kSymbolCharset)
                return 1252;
            return CharsetToCodePage(entry->RequestedCharset);
        };
        codePage = pageOf(font);
        for (int32_t i = 0; i < text.Size();) {
            if (data[i] != InlineControlStartByte) {
                if (data[i] > 127 && (codePage != 1252 || data[i] == 0x80)) {
                    FUnicode = true;
                    return;
                }
                ++i;
                continue;
            }
            const TInlineControl record = ReadInlineControl(data + i);
            if (record.Code == cfFont && record.Argument != NotSet) {
                font = record.Argument;
                codePage = pageOf(font);
            }
            i += InlineControlSize;
        }
    }
}

void TWordWriter::FlushTextBuffer()
{
    if (FTextBuffer.empty())
        return;
    FMain->Write(FTextBuffer.data(), FTextBuffer.size());
    FTextBuffer.clear();
}

void TWordWriter::PutUnit(uint16_t unit)
{
    FTextBuffer.push_back(static_cast<uint8_t>(unit));
    if (FUnicode)
        FTextBuffer.push_back(static_cast<uint8_t>(unit >> 8));
    ++FCp;
    if (FTextBuffer.size() >= kTextBufferSize)
        FlushTextBuffer();
}

void TWordWriter::PutPlain(const uint8_t* chars, int32_t count, int32_t font)
{
    if (!FUnicode) {
        FTextBuffer.insert(FTextBuffer.end(), chars, chars + count);
        FCp += static_cast<uint32_t>(count);
        if (FTextBuffer.size() >= kTextBufferSize)
            FlushTextBuffer();
        return;
    }
    const TRegisteredFont* entry = FindRegisteredFont(font);
    const bool symbol = entry && entry->RequestedCharset == kSymbolCharset;
    const std::array<char16_t, 256>& table = WideTable(entry && !symbol ? CharsetToCodePage(entry->RequestedCharset)
                                                                        : 1252);
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t b = chars[i];
        PutUnit(symbol && b >= 0x80 ? static_cast<uint16_t>(0xF000 | b) : static_cast<uint16_t>(table[b]));
    }
}

void TWordWriter::SetRun(const TCharFormat& format, bool special, int64_t picture)
{
    if (FRunOpen && FRunStyle == FParStyle && FRunSpecial == special && FRunPicture == picture &&
        FRunFormat == format)
        return;
    CloseCharRun();
    FRunFormat = format;
    FRunSpecial = special;
    FRunPicture = picture;
    FRunStyle = FParStyle;
    FRunOpen = true;
    FRunStart = Fc();
    TCharFormat difference = format;
    DiffCharFormat(difference, StyleChar(FParStyle));
    BuildCharProps(difference, FRunProps);
    if (picture >= 0) {
        if (FWord97) {
            Put16(FRunProps, 0x6A03);
        } else {
            FRunProps.push_back(68);
            FRunProps.push_back(4);
        }
        Put32(FRunProps, static_cast<uint32_t>(picture));
    }
    if (special) {
        if (FWord97)
            Put16(FRunProps, 0x0855);
        else
            FRunProps.push_back(117);
        FRunProps.push_back(1);
    }
}

void TWordWriter::CloseCharRun()
{
    if (FRunOpen && Fc() > FRunStart)
        AddRun(FChpPages, FChpPage, false, FRunStart, Fc(), FRunProps);
    FRunOpen = false;
}

void TWordWriter::EndParagraphRun(const TWordBytes& papx)
{
    AddRun(FPapPages, FPapPage, true, FParStart, Fc(), papx);
    FParStart = Fc();
}

void TWordWriter::PutClosingMark()
{
    CloseCharRun();
    FRunProps.clear();
    FRunOpen = true;
    FRunStyle = -2;  // no style's run: the next run starts afresh
    FRunStart = Fc();
    PutUnit(0x0D);
    TWordBytes papx;
    Put16(papx, static_cast<uint16_t>(IstdOf(FLastStyle)));
    CloseCharRun();
    EndParagraphRun(papx);
}

void TWordWriter::WriteParagraph(int32_t index, int32_t story)
{
    TParagraph& paragraph = FDocument.Paragraphs(index);
    const TParFormat& own = paragraph.Format;
    int32_t style = own[pfStyle];
    if (style < 0 || style >= FDocument.Styles().Count())
        style = 0;
    FParStyle = style;
    FLastStyle = style;
    TWordBytes papx;
    {
        TParFormat difference = own;
        DiffParFormat(difference, StyleParFormat(style));
        // A paragraph without tabs of its own under a style with tabs
        // deletes them.
        if (own[pfTabTable] != NotSet && own[pfTabTable] < 0 && StyleParFormat(style)[pfTabTable] >= 0)
            difference[pfTabTable] = -1;
        BuildParProps(difference, IstdOf(style), papx, false, style);
    }
    TCharFormat format = DefaultCharFormat();
    FHasTextFormat = false;
    const uint8_t* data = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    bool ended = false;
    auto special = [&](uint16_t unit, bool isSpecial) {
        SetRun(format, isSpecial, -1);
        PutUnit(unit);
    };
    for (int32_t pos = 0; pos < size;) {
        if (data[pos] != InlineControlStartByte) {
            int32_t run = pos;
            while (run < size && data[run] != InlineControlStartByte)
                ++run;
            SetRun(format, false, -1);
            PutPlain(data + pos, run - pos, format[cfFont]);
            FTextFormat = format;
            FHasTextFormat = true;
            pos = run;
            continue;
        }
        const TInlineControl record = ReadInlineControl(data + pos);
        pos += InlineControlSize;
        if (IsFormatCode(record.Code)) {
            format[record.Code] = record.Argument;
            continue;
        }
        switch (record.Code) {
        case icSpecialChar:
            switch (SpecialCharKind(record.Argument)) {
            case scParagraphMark:
                special(0x0D, false);
                CloseCharRun();
                EndParagraphRun(papx);
                ended = true;
                break;
            case scColumnBreak: special(0x0E, false); break;
            case scLineBreak: special(0x0B, false); break;
            case scPageBreak: special(0x0C, false); break;
            case scTab: special(0x09, false); break;
            case scNonBreakingSpace: special(0xA0, false); break;
            case scNonBreakingHyphen: special(0x1E, false); break;
            case scEmDash: special(FUnicode ? 0x2014 : 0x97, false); break;
            case scEnDash: special(FUnicode ? 0x2013 : 0x96, false); break;
            case scOptionalHyphen: special(0x1F, false); break;
            case scReaderSpecial: special(0x02, true); break;
            default: break;
            }
            break;
        case icSectionBreak:
            special(index == FDocument.StoryLast(stBody) ? 0x0D : 0x0C, false);
            CloseCharRun();
            EndParagraphRun(papx);
            if (story == 0)
                FSectionEnds.push_back(FCp);
            ended = true;
            break;
        case icPicture:
        case icOleObject: {
            // A picture that cannot go into the file leaves no character.
            const int64_t location = PlacePicture(static_cast<TObjectHandle>(record.Argument));
            if (location < 0)
                break;
            SetRun(format, true, location);
            PutUnit(0x01);
            break;
        }
        case icRangeStart:
        case icRangeEnd:
            if (TField* field = FDocument.Objects().GetField(record.Argument)) {
                // Field characters take the format in force.
                if (record.Code == icRangeStart)
                    RangeStart(*field, format);
                else
                    RangeEnd(*field, format);
                if (field->Kind == rkField)
                    SetRun(format, false, -1);
            }
            break;
        default: break;
        }
    }
    if (!ended) {
        // A paragraph always ends with its mark in the file.
        SetRun(format, false, -1);
        PutUnit(0x0D);
        CloseCharRun();
        EndParagraphRun(papx);
    }
}

void TWordWriter::WriteStoryParagraphs(int32_t first, int32_t last, int32_t story)
{
    for (int32_t p = first; p <= last && p < FDocument.ParagraphCount(); ++p)
        WriteParagraph(p, story);
}

void TWordWriter::WriteText()
{
    FMain->Seek(FFcMin);
    FCp = 0;
    FParStart = Fc();
    FStory = 0;
    FStoryStart = 0;
    WriteStoryParagraphs(0, FDocument.StoryLast(stBody), 0);
    CloseCharRun();
    FCcp[0] = static_cast<int32_t>(FCp);
    if (FSectionEnds.empty() || FSectionEnds.back() != FCp)
        FSectionEnds.push_back(FCp);

    WriteNoteStory(0);
    WriteHeaderStory();
    WriteNoteStory(1);
    if (FCcp[1] != 0 || FCcp[2] != 0 || FCcp[3] != 0)
        PutClosingMark();
    CloseCharRun();
    // Characters after the last paragraph mark (a range end) take the last
    // paragraph's style.
    if (Fc() > FParStart) {
        TWordBytes papx;
        Put16(papx, static_cast<uint16_t>(IstdOf(FLastStyle)));
        EndParagraphRun(papx);
    }
    FlushTextBuffer();
    const uint32_t fcMac = Fc();
    SetFib32(kFibFcMac, fcMac);
    for (int k = 0; k < 4; ++k)
        SetFib32(kFibCcp[k], static_cast<uint32_t>(FCcp[k]));
    if (!FWord97 && FHasPictures)
        PlaceWord6Pictures();
    WritePages();
    WriteHeaderTable();
    WriteSections();
}

// ---------------------------------------------------------------------------
// Property pages

void TWordWriter::AddRun(std::vector<TWordPage>& pages, TWordFkp& page, bool paragraph, uint32_t start,
                         uint32_t end, const TWordBytes& props)
{
    if (end <= start)
        return;
    const size_t entrySize = paragraph ? (FWord97 ? 13 : 7) : 1;
    TWordBytes stored;
    if (!props.empty()) {
        if (paragraph) {
            const size_t words = (props.size() + 1) / 2;
            if (FWord97)
                stored.push_back(0);
            stored.push_back(static_cast<uint8_t>(words));
            stored.insert(stored.end(), props.begin(), props.end());
            if (props.size() & 1)
                stored.push_back(0);
        } else {
            stored.push_back(static_cast<uint8_t>(props.size()));
            stored.insert(stored.end(), props.begin(), props.end());
        }
        if (stored.size() > 480)
            Abort();
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const size_t runs = page.Offsets.size();
        const size_t header = 4 * (runs + 2) + (runs + 1) * entrySize;
        int32_t offset = 0;
        int32_t top = page.Top;
        bool found = stored.empty();
        if (!stored.empty()) {
            for (auto it = page.Stored.rbegin(); it != page.Stored.rend(); ++it)
                if (it->second == stored) {
                    offset = it->first;
                    found = true;
                    break;
                }
            if (!found) {
                top = (page.Top - static_cast<int32_t>(stored.size())) & ~1;
                offset = top;
            }
        }
        if (static_cast<int32_t>(header) <= top) {
            if (!found) {
                page.Stored.emplace_back(offset, stored);
                page.Top = top;
            }
            if (page.Fcs.empty())
                page.Fcs.push_back(start);
            page.Fcs.push_back(end);
            page.Offsets.push_back(static_cast<uint8_t>(offset / 2));
            return;
        }
        FinishPage(pages, page, paragraph);
    }
    Abort();
}

void TWordWriter::FinishPage(std::vector<TWordPage>& pages, TWordFkp& page, bool paragraph)
{
    if (page.Offsets.empty())
        return;
    TWordPage finished;
    uint8_t* b = finished.Bytes;
    const size_t runs = page.Offsets.size();
    for (size_t i = 0; i <= runs; ++i)
        for (int k = 0; k < 4; ++k)
            b[i * 4 + static_cast<size_t>(k)] = static_cast<uint8_t>(page.Fcs[i] >> (8 * k));
    const size_t entrySize = paragraph ? (FWord97 ? 13 : 7) : 1;
    for (size_t i = 0; i < runs; ++i)
        b[4 * (runs + 1) + i * entrySize] = page.Offsets[i];
    for (const auto& [offset, bytes] : page.Stored)
        std::memcpy(b + offset, bytes.data(), bytes.size());
    b[511] = static_cast<uint8_t>(runs);
    finished.FirstFc = page.Fcs.front();
    pages.push_back(finished);
    page = TWordFkp{};
}

void TWordWriter::WritePages()
{
    FinishPage(FChpPages, FChpPage, false);
    FinishPage(FPapPages, FPapPage, true);
    TStorageWriteStream& main = *FMain;
    const int64_t padded = (main.Size() + 511) / 512 * 512;
    if (padded > main.Size()) {
        main.Seek(padded - 1);
        main.WriteU8(0);
    }
    main.Seek(padded);
    const uint32_t fcMac = Fc();
    // All pages first, each on its 512-byte boundary, then their bin tables.
    auto writePages = [&](const std::vector<TWordPage>& pages) {
        TWordBytes table;
        std::vector<uint32_t> numbers;
        for (const TWordPage& page : pages) {
            numbers.push_back(static_cast<uint32_t>(main.Position() / 512));
            main.Write(page.Bytes, 512);
            Put32(table, page.FirstFc);
        }
        Put32(table, fcMac);
        for (uint32_t number : numbers) {
            if (FWord97)
                Put32(table, number);
            else
                Put16(table, static_cast<uint16_t>(number));
        }
        return table;
    };
    const TWordBytes chpBin = writePages(FChpPages);
    const TWordBytes papBin = writePages(FPapPages);
    TWordBytes lvcBin;
    if (FWord97) {
        // One empty list-level page.
        uint8_t page[512] = {};
        for (int k = 0; k < 4; ++k) {
            page[k] = static_cast<uint8_t>(FFcMin >> (8 * k));
            page[4 + k] = static_cast<uint8_t>(fcMac >> (8 * k));
        }
        page[511] = 1;
        const auto number = static_cast<uint32_t>(main.Position() / 512);
        main.Write(page, 512);
        Put32(lvcBin, FFcMin);
        Put32(lvcBin, fcMac);
        Put32(lvcBin, number);
    }
    WriteTable(kFibPlcfBteChpx, chpBin);
    WriteTable(kFibPlcfBtePapx, papBin);
    if (FWord97) {
        SetFib32(kFibCpnBteChp, static_cast<uint32_t>(FChpPages.size()));
        SetFib32(kFibCpnBtePap, static_cast<uint32_t>(FPapPages.size()));
        WriteTable(kFibPlcfBteLvc, lvcBin);
        SetFib32(kFibCpnBteLvc, 1);
    } else {
        SetFib16(kWord6CpnBteChp, static_cast<uint16_t>(FChpPages.size()));
        SetFib16(kWord6CpnBtePap, static_cast<uint16_t>(FPapPages.size()));
    }
}

// ---------------------------------------------------------------------------
// Sections, piece table, fonts, document properties

void TWordWriter::WriteSections()
{
    TWordBytes plc;
    Put32(plc, 0);
    const int32_t sections = FDocument.SectionCount();
    const size_t count = FSectionEnds.size();
    for (uint32_t end : FSectionEnds)
        Put32(plc, end);
    for (size_t i = 0; i < count; ++i) {
        const int32_t index = std::min(static_cast<int32_t>(i), sections - 1);
        TWordBytes sprms;
        if (index >= 0)
            BuildSectionProps(FDocument.Sections(index), index, sprms);
        FMain->Seek(FMain->Size());
        const auto fc = static_cast<uint32_t>(FMain->Position());
        FMain->WriteU16(static_cast<uint16_t>(sprms.size()));
        FMain->Write(sprms.data(), sprms.size());
        Put16(plc, 0);
        Put32(plc, fc);
        Put16(plc, 0);
        Put32(plc, 0xFFFFFFFFu);
    }
    WriteTable(kFibPlcfSed, plc);
}

void TWordWriter::WritePieceTable()
{
    const uint32_t length = FCp;
    TWordBytes clx;
    clx.push_back(2);
    Put32(clx, 16);
    Put32(clx, 0);
    Put32(clx, length);
    Put16(clx, 0);
    Put32(clx, FUnicode ? FFcMin : (FFcMin * 2) | 0x40000000u);
    Put16(clx, 0);
    WriteTable(kFibClx, clx);
}

void TWordWriter::WriteFontTable()
{
    TWordBytes table;
    if (FWord97) {
        Put32(table, static_cast<uint32_t>(FFonts.size()));
        for (const TFontEntry& font : FFonts) {
            const std::u16string name = ToWide(font.Name97, 1252);
            TWordBytes ffn(40, 0);
            ffn[0] = static_cast<uint8_t>(std::min<size_t>(2 * name.size() + 41, 255));
            ffn[4] = font.Charset;
            for (char16_t c : name)
                Put16(ffn, c);
            Put16(ffn, 0);
            ffn.resize(static_cast<size_t>(ffn[0]) + 1, 0);
            table.insert(table.end(), ffn.begin(), ffn.end());
        }
    } else {
        Put16(table, 0);
        for (const TFontEntry& font : FFonts) {
            const std::string name = font.Name6.substr(0, 200);
            TWordBytes ffn(6, 0);
            ffn[0] = static_cast<uint8_t>(name.size() + 6);
            ffn[4] = font.Charset;
            ffn.insert(ffn.end(), name.begin(), name.end());
            ffn.push_back(0);
            table.insert(table.end(), ffn.begin(), ffn.end());
        }
        table[0] = static_cast<uint8_t>(table.size());
        table[1] = static_cast<uint8_t>(table.size() >> 8);
    }
    WriteTable(kFibSttbfFfn, table);
}

void TWordWriter::WriteDop()
{
    TWordBytes dop(FWord97 ? 500 : 84, 0);
    TDocument& d = FDocument;
    const TPageParams& first = d.Sections(0).PageParams;
    auto put16 = [&dop](size_t at, uint32_t value) {
        dop[at] = static_cast<uint8_t>(value);
        dop[at + 1] = static_cast<uint8_t>(value >> 8);
    };
    auto put32 = [&dop](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            dop[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    };
    dop[0] = static_cast<uint8_t>((HasOddEvenHeaders(first) ? 1 : 0) | (d.FootnoteNumbering.Placement & 3) << 5);
    put16(2, static_cast<uint32_t>((d.FootnoteNumbering.Restart & 3) | (d.FootnoteNumbering.Start & 0x3FFF) << 2));
    dop[5] = static_cast<uint8_t>((d.HyphenateCapitals ? 0x08 : 0) | (d.AutoHyphenation ? 0x10 : 0));
    dop[6] = static_cast<uint8_t>(HasMirroredMargins(first) ? 0x20 : 0);
    // The document's own default tab interval, so that it survives the file.
    const int32_t interval = d.TabManager().DefaultInterval();
    put16(10, static_cast<uint32_t>(interval > 0 ? interval : 720));
    put16(14, static_cast<uint32_t>(d.HyphenationZone));
    put16(16, static_cast<uint32_t>(d.HyphenationLimit));
    put32(20, DateTimeToPackedDateTime(d.Properties.Created));
    put32(24, DateTimeToPackedDateTime(d.Properties.LastSaved));
    put32(28, DateTimeToPackedDateTime(d.Properties.LastPrinted));
    put16(52, static_cast<uint32_t>((d.EndnoteNumbering.Restart & 3) | (d.EndnoteNumbering.Start & 0x3FFF) << 2));
    uint32_t epc = static_cast<uint32_t>(d.EndnoteNumbering.Placement & 3);
    if (FWord97) {
        put16(492, static_cast<uint32_t>(d.FootnoteNumbering.Style));
        put16(494, static_cast<uint32_t>(d.EndnoteNumbering.Style));
    } else {
        epc |= static_cast<uint32_t>(d.FootnoteNumbering.Style & 0xF) << 2;
        epc |= static_cast<uint32_t>(d.EndnoteNumbering.Style & 0xF) << 6;
    }
    put16(54, epc);
    uint32_t zoomKind = 1;
    switch (d.ZoomKind) {
    case zkFixed: zoomKind = 0; break;
    case zkPageWidth: zoomKind = 2; break;
    case zkTextWidth: zoomKind = 3; break;
    default: zoomKind = 1; break;
    }
    put16(82, static_cast<uint32_t>((d.Zoom() & 0x1FF) << 3) | zoomKind << 12);
    WriteTable(kFibDop, dop);
}

void TWordWriter::WriteAssociatedStrings()
{
    const TDocProperties& p = FDocument.Properties;
    std::vector<std::string> strings(18);
    strings[2] = p.Title;
    strings[3] = p.Subject;
    strings[4] = p.Keywords;
    strings[5] = p.Comments;
    strings[6] = p.Author;
    strings[7] = p.LastAuthor == p.Author ? std::string() : p.LastAuthor;
    TWordBytes table;
    if (FWord97) {
        Put16(table, 0xFFFF);
        Put16(table, 18);
        Put16(table, 0);
        for (const std::string& s : strings) {
            std::u16string wide = ToWide(s, CP_ACP);
            if (wide.size() > 0xFFFF)
                wide.resize(0xFFFF);
            Put16(table, static_cast<uint16_t>(wide.size()));
            for (char16_t c : wide)
                Put16(table, c);
        }
    } else {
        Put16(table, 0);
        for (const std::string& s : strings) {
            const size_t length = std::min<size_t>(s.size(), 255);
            table.push_back(static_cast<uint8_t>(length));
            table.insert(table.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(length));
        }
        table[0] = static_cast<uint8_t>(table.size());
        table[1] = static_cast<uint8_t>(table.size() >> 8);
    }
    WriteTable(kFibSttbfAssoc, table);
}

// ---------------------------------------------------------------------------

std::vector<uint8_t> TWordWriter::Write()
{
    FMain = &FFile.CreateStream(u"WordDocument");
    if (FWord97)
        FTable = &FFile.CreateStream(u"1Table");

    SetFib16(0, FWord97 ? 0xA5EC : 0xA5DC);
    SetFib16(2, FWord97 ? 0x00C1 : 0x0068);
    SetFib16(6, 0x0409);
    SetFib16(12, 0x0065);
    SetFib16(10, FWord97 ? 0x1200 : 0);
    if (FWord97) {
        SetFib16(0x20, 14);
        SetFib16(0x3E, 22);
        SetFib16(0x98, 0x006C);
        SetFib16(0x3FA, 2);
        SetFib16(0x3FC, 0x00D9);
    }
    SetFib32(kFibFcMin, FFcMin);

    FDocument.RefreshRangeObjectPositions();
    NumberFonts();
    NumberStyles();
    DecideUnicode();

    if (FWord97) {
        WriteStyleSheet();
        WriteText();
    } else {
        WriteText();
        WriteStyleSheet();
    }
    WriteNoteTables();
    WriteBookmarks();
    WriteFieldTables();
    if (FWord97) {
        WriteListTables();
        WritePieceTable();
    }
    WriteFontTable();
    WriteDop();
    WriteAssociatedStrings();

    if (FHasPictures)
        FFib[10] |= 0x08;
    SetFib32(kFibCbMac, static_cast<uint32_t>(FMain->Size()));
    FMain->Seek(0);
    FMain->Write(FFib, FWord97 ? 1024 : 700);
    return FFile.Build();
}

std::vector<uint8_t> BuildWordDocument(TDocument& document, int32_t coding)
{
    bool noColor = false;
    MarkUsedFonts(document, coding, noColor);
    struct TClear {
        ~TClear() { ClearUsedFontMarks(); }
    } clear;
    TWordWriter writer(document, coding == ciWord97);
    return writer.Write();
}

int32_t WriteWordDocument(TOutputFile& output)
{
    try {
        const std::vector<uint8_t> bytes = BuildWordDocument(output.Document(), output.Coding());
        for (size_t at = 0; at < bytes.size(); at += 1 << 20) {
            const size_t count = std::min<size_t>(bytes.size() - at, 1 << 20);
            output.OutputWriteBytes(bytes.data() + at, static_cast<int32_t>(count));
        }
        output.OutputFlush();
        return 0;
    } catch (...) {
        return 2;
    }
}
