#include "formats/write/WriteReader.h"

#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/ObjectManager.h"
#include "document/model/Paragraph.h"
#include "foundation/CharFormat.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/TabManager.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kPage = 128;
constexpr int32_t kTextStart = 128;
constexpr int32_t kCharPropSize = 6;
constexpr int32_t kParPropSize = 78;
constexpr int32_t kMaxTabs = 14;
constexpr int32_t kPictureHeaderSize = 40;
// Pictures kept as device bitmaps and embedded objects: their data is not read.
constexpr uint16_t kBitmapPicture = 0xE3;
constexpr uint16_t kObjectPicture = 0xE4;

using TCharProps = std::array<uint8_t, kCharPropSize>;
using TParProps = std::array<uint8_t, kParPropSize>;

constexpr TCharProps kDefaultCharProps = {1, 0, 24, 0, 0, 0};

TParProps DefaultParProps()
{
    TParProps props{};
    props[0] = 61;
    props[2] = 30;
    props[10] = 240 & 0xFF;
    props[11] = 240 >> 8;
    return props;
}

// A damaged file: the load ends with the reader's message.
[[noreturn]] void Damaged()
{
    throw Exception("fichier Write endommagé");
}

// The whole file in memory, every read checked against its size.
class TWriteFile {
public:
    explicit TWriteFile(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}

    int64_t Size() const { return static_cast<int64_t>(FBytes.size()); }
    bool Holds(int64_t offset, int64_t count) const { return offset >= 0 && count >= 0 && offset + count <= Size(); }
    uint8_t Byte(int64_t offset) const
    {
        if (!Holds(offset, 1))
            Damaged();
        return FBytes[static_cast<size_t>(offset)];
    }
    uint16_t Word(int64_t offset) const { return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8); }
    int16_t SignedWord(int64_t offset) const { return static_cast<int16_t>(Word(offset)); }
    uint32_t Long(int64_t offset) const { return Word(offset) | static_cast<uint32_t>(Word(offset + 2)) << 16; }
    const uint8_t* At(int64_t offset, int64_t count) const
    {
        if (!Holds(offset, count))
            Damaged();
        return FBytes.data() + offset;
    }

private:
    std::vector<uint8_t> FBytes;
};

// The property runs of one kind (character or paragraph): pages of run
// descriptors, one after another from a first page. Each run ends at a file
// offset and carries the properties laid over the defaults.
template <size_t N>
class TRunReader {
public:
    TRunReader(const TWriteFile& file, int64_t firstPage, const std::array<uint8_t, N>& defaults)
        : FFile(file), FNextPage(firstPage), FDefaults(defaults), FProps(defaults)
    {
    }

    const std::array<uint8_t, N>& Props() const { return FProps; }
    int64_t RunEnd() const { return FRunEnd; }

    // Loads the run that follows the current one. Past the last run page the
    // properties are the defaults up to the end of the file. A run that ends
    // before the one it follows is empty; the callers step over it.
    void Next()
    {
        if (FIndex >= FCount && !LoadPage()) {
            FProps = FDefaults;
            FRunEnd = INT64_MAX;
            return;
        }
        const int64_t page = FLoadedPage * kPage;
        const int64_t descriptor = page + 4 + static_cast<int64_t>(FIndex) * 6;
        FRunEnd = FFile.Long(descriptor);
        const uint16_t propOffset = FFile.Word(descriptor + 4);
        ++FIndex;
        FProps = FDefaults;
        if (propOffset == 0xFFFF)
            return;
        // The properties lie inside their page, before the descriptor count;
        // properties that would not are taken as the defaults.
        const int64_t props = page + 4 + propOffset;
        if (props >= page + kPage - 1)
            return;
        const uint8_t length = FFile.Byte(props);
        if (props + 1 + length > page + kPage - 1)
            return;
        std::memcpy(FProps.data(), FFile.At(props + 1, length), std::min<size_t>(length, N));
    }

private:
    bool LoadPage()
    {
        if (!FFile.Holds(FNextPage * kPage, kPage))
            return false;
        const uint8_t count = FFile.Byte(FNextPage * kPage + kPage - 1);
        // Descriptors of 6 bytes from offset 4 fill at most 20 slots.
        if (count == 0 || count > (kPage - 5) / 6)
            return false;
        FCount = count;
        FIndex = 0;
        FLoadedPage = FNextPage++;
        return true;
    }

    const TWriteFile& FFile;
    int64_t FNextPage;
    int64_t FLoadedPage = 0;
    int32_t FCount = 0;
    int32_t FIndex = 0;
    int64_t FRunEnd = 0;
    const std::array<uint8_t, N> FDefaults;
    std::array<uint8_t, N> FProps;
};

class TWriteReader {
public:
    TWriteReader(TDocLoadContext& context, std::vector<uint8_t> bytes)
        : FContext(context), FDocument(context.Document), FFile(std::move(bytes))
    {
    }

    void Read()
    {
        if (FFile.Size() < kPage)
            Damaged();
        FTextEnd = FFile.Long(0x0E);
        if (FTextEnd < kTextStart || FTextEnd > FFile.Size())
            Damaged();
        const int64_t parPage = FFile.Word(0x12);
        const int64_t fontPage = FFile.Word(0x1C);
        const int64_t pageCount = FFile.Word(0x60);
        if (fontPage < pageCount)
            ReadFontTable(fontPage);

        TRunReader<kCharPropSize> chars(FFile, (FTextEnd + kPage - 1) / kPage, kDefaultCharProps);
        TRunReader<kParPropSize> pars(FFile, parPage, DefaultParProps());
        FParagraph = &FDocument.Paragraphs(0);
        chars.Next();
        pars.Next();
        AdvanceRuns(chars, kTextStart);
        while (pars.RunEnd() <= kTextStart)
            pars.Next();
        FFormat = DefaultCharFormat();
        StartParagraph(chars.Props());
        FParFormat = ParFormatOf(pars.Props());

        int64_t pos = kTextStart;
        while (pos < FTextEnd) {
            // Running heads (dropped) and picture paragraphs (one picture).
            while (pos < FTextEnd && (pars.Props()[16] & 0x16) != 0) {
                if (pars.Props()[16] & 0x10)
                    InsertPicture(pos);
                pos = std::max(pos, pars.RunEnd());
                if (pos >= FTextEnd)
                    break;
                pars.Next();
                FParFormat = ParFormatOf(pars.Props());
                AdvanceRuns(chars, pos);
                FollowCharRun(chars);
            }
            if (pos >= FTextEnd)
                break;
            const uint8_t b = FFile.Byte(pos);
            if (b == 9) {
                AppendSpecial(scTab);
                ++pos;
            } else if (b == 12) {
                AppendSpecial(scPageBreak);
                ++pos;
            } else if (b == 13) {
                AppendSpecial(scParagraphMark);
                FinishParagraph();
                FParagraph = &FDocument.AppendParagraph(stBody);
                FText.Clear();
                // CR LF ends a paragraph; a CR alone keeps the byte after it.
                pos += pos + 1 < FTextEnd && FFile.Byte(pos + 1) == 10 ? 2 : 1;
                // The runs past the end of the text belong to other tables.
                if (pos >= FTextEnd)
                    break;
                while (pars.RunEnd() <= pos)
                    pars.Next();
                FParFormat = ParFormatOf(pars.Props());
                AdvanceRuns(chars, pos);
                StartParagraph(chars.Props());
                Progress(pos);
            } else if (b >= 32) {
                int64_t end = pos + 1;
                const int64_t limit = std::min(FTextEnd, chars.RunEnd());
                while (end < limit && FFile.Byte(end) >= 32)
                    ++end;
                FText.Append(FFile.At(pos, end - pos), static_cast<int32_t>(end - pos));
                FContext.CharacterCount += end - pos;
                pos = end;
            } else {
                ++pos;
            }
            if (pos >= chars.RunEnd() && pos < FTextEnd) {
                AdvanceRuns(chars, pos);
                FollowCharRun(chars);
            }
        }
        FinishParagraph();
    }

private:
    void ReadFontTable(int64_t page)
    {
        TFontManager* fonts = GetFontManager();
        int64_t at = page * kPage;
        const int32_t count = FFile.Word(at);
        at += 2;
        // A table cut short by the end of the file keeps the fonts read.
        while (static_cast<int32_t>(FFontMap.size()) < count && FFile.Holds(at, 2)) {
            const uint16_t size = FFile.Word(at);
            if (size == 0)
                break;
            if (size == 0xFFFF) {  // the table goes on at the next page
                at = (at / kPage + 1) * kPage;
                continue;
            }
            if (!FFile.Holds(at + 2, size))
                break;
            const uint8_t family = FFile.Byte(at + 2);
            const uint8_t* name = FFile.At(at + 3, size - 1);
            const std::string face(reinterpret_cast<const char*>(name), strnlen(reinterpret_cast<const char*>(name), size - 1));
            int32_t index = DefaultCharFormat()[cfFont];
            if (fonts) {
                const int32_t known = fonts->IndexOfFont(face);
                index = known >= 0 ? known : fonts->GetFontIndex(face, NotSet, false, family);
            }
            FFontMap.push_back(index);
            at += 2 + size;
        }
    }

    // Follows the character runs to the one that holds the position.
    static void AdvanceRuns(TRunReader<kCharPropSize>& chars, int64_t pos)
    {
        while (chars.RunEnd() <= pos)
            chars.Next();
    }

    TCharFormat CharFormatOf(const TCharProps& props) const
    {
        TCharFormat format = DefaultCharFormat();
        const size_t font = static_cast<size_t>((props[1] >> 2) + (props[4] & 7) * 64);
        if (font < FFontMap.size())
            format[cfFont] = FFontMap[font];
        format[cfSize] = props[2];
        format[cfBold] = props[1] & 1;
        format[cfItalic] = (props[1] >> 1) & 1;
        format[cfUnderline] = props[3] & 1;
        format[cfVerticalPosition] = props[5] == 0 ? 0 : props[5] < 128 ? 1 : 2;
        return format;
    }

    TParFormat ParFormatOf(const TParProps& props)
    {
        auto signedAt = [&](int i) { return static_cast<int32_t>(static_cast<int16_t>(props[i] | props[i + 1] << 8)); };
        TParFormat format = DefaultParFormat();
        format[pfAlignment] = props[1] & 3;
        format[pfRightIndent] = signedAt(4);
        format[pfLeftIndent] = signedAt(6);
        format[pfFirstIndent] = signedAt(8);
        format[pfLineSpacing] = signedAt(10);
        TTabTable tabs;
        for (int i = 0; i < kMaxTabs; ++i) {
            const int at = 22 + i * 4;
            const int32_t position = props[at] | props[at + 1] << 8;
            if (position == 0)
                break;
            tabs.AddTab(PackTabStop(position, (props[at + 2] & 7) == 0 ? tkLeft : tkDecimal, 0));
        }
        if (tabs.Count() > 0) {
            tabs.Sort();
            format[pfTabTable] = FDocument.TabManager().AddTable(tabs);
        }
        return format;
    }

    // A new paragraph's text starts with the codes of its first run that
    // differ from the program's default format.
    void StartParagraph(const TCharProps& props)
    {
        FText.Clear();
        FFormat = DefaultCharFormat();
        ApplyCharFormat(CharFormatOf(props));
    }

    // After a run boundary: the codes of the slots the new run changes.
    void FollowCharRun(const TRunReader<kCharPropSize>& chars) { ApplyCharFormat(CharFormatOf(chars.Props())); }

    void ApplyCharFormat(const TCharFormat& format)
    {
        for (int slot = icLastFormatCode; slot >= 0; --slot)
            if (format[slot] != FFormat[slot]) {
                AppendFormatCode(FText, static_cast<uint16_t>(slot), format[slot]);
                FFormat[slot] = format[slot];
            }
    }

    void AppendSpecial(uint8_t kind)
    {
        AppendFormatCode(FText, icSpecialChar, kind);
        ++FContext.CharacterCount;
    }

    // The picture at the start of a picture paragraph: a metafile after a
    // 40-byte header. Bitmaps and embedded objects are left out.
    void InsertPicture(int64_t pos)
    {
        if (!FFile.Holds(pos, kPictureHeaderSize))
            return;
        const uint16_t mappingMode = FFile.Word(pos);
        if (mappingMode == kBitmapPicture || mappingMode == kObjectPicture)
            return;
        const uint32_t size = FFile.Long(pos + 32);
        const int64_t data = pos + kPictureHeaderSize;
        // A picture whose data runs past the file is left out; the text stays.
        if (size == 0 || !FFile.Holds(data, size))
            return;
        auto picture = std::make_unique<TDocPicture>(&FDocument);
        picture->DataKind = pdkWmf;
        picture->MappingMode = mappingMode & 0x0F;
        picture->SourceWidth = FFile.SignedWord(pos + 2);
        picture->SourceHeight = FFile.SignedWord(pos + 4);
        picture->Data.assign(FFile.At(data, size), FFile.At(data, size) + size);
        picture->Width = std::max<int32_t>(0, FFile.SignedWord(pos + 10));
        picture->Height = std::max<int32_t>(0, FFile.SignedWord(pos + 12));
        // Scales in tenths of a percent; 0 means as it is.
        auto scale = [](uint16_t tenths) { return tenths == 0 ? 100 : std::clamp<int32_t>(tenths / 10, 1, 1000); };
        picture->ScaleX = scale(FFile.Word(pos + 36));
        picture->ScaleY = scale(FFile.Word(pos + 38));
        TDocObject& added = FDocument.ObjectManager().AddObject(std::move(picture));
        AppendFormatCode(FText, icPicture, static_cast<int32_t>(added.Handle()));
        ++FContext.CharacterCount;
    }

    void FinishParagraph()
    {
        FParagraph->SetText(FText.Data(), FText.Size());
        FParagraph->Format = FParFormat;
    }

    void Progress(int64_t pos)
    {
        if (!FContext.Silent())
            DocFileHost().ProgressStep(pos);
    }

    TDocLoadContext& FContext;
    TDocument& FDocument;
    TWriteFile FFile;
    int64_t FTextEnd = 0;
    std::vector<int32_t> FFontMap;
    TCharFormat FFormat{};
    TParFormat FParFormat{};
    TParagraph* FParagraph = nullptr;
    TMemory FText;
};

// The whole file through the load's read buffer.
std::vector<uint8_t> ReadWholeFile(TDocLoadContext& context)
{
    std::vector<uint8_t> bytes;
    if (context.FileSize > 0)
        bytes.reserve(static_cast<size_t>(context.FileSize));
    for (;;) {
        context.RefillReadBuffer();
        if (context.BufferPos >= context.BufferFill)
            break;
        bytes.insert(bytes.end(), context.ReadBuffer + context.BufferPos, context.ReadBuffer + context.BufferFill);
        context.BufferPos = context.BufferFill;
    }
    return bytes;
}

}  // namespace

bool ReadWriteDocument(TDocLoadContext& context)
{
    try {
        TWriteReader reader(context, ReadWholeFile(context));
        reader.Read();
        return true;
    } catch (const EAbort&) {
        throw;
    } catch (const Exception&) {
        return context.ReadFailed();
    }
}
