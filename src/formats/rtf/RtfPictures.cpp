// Pictures inside RTF: the picture group's kind, sizes and data. The data is
// kept exactly as the file gave it; the picture classes registered for its
// form decode it for drawing. A form no registered class reads keeps its data
// and its size and is drawn as an empty frame.
#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "foundation/InlineControl.h"
#include "formats/rtf/RtfReaderState.h"
#include "platform/framework/Graphic.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Stream.h"

#include <algorithm>
#include <cstring>

namespace {

// Picture kinds that the control-word table does not name, recognised by
// their letters inside a picture group.
uint8_t OtherPictureKind(const TControlToken& token)
{
    const std::string_view letters(reinterpret_cast<const char*>(token.Text), static_cast<size_t>(token.Letters));
    if (letters == "dibitmap")
        return pdkDib;
    if (letters == "wbitmap")
        return pdkBitmap;
    if (letters == "macpict" || letters == "pmmetafile")
        return pdkOther;
    return pdkNone;
}

// The extension of the picture class that reads a data kind.
const char* ExtensionOfKind(uint8_t kind)
{
    switch (kind) {
    case pdkEmf: return "emf";
    case pdkWmf: return "wmf";
    case pdkJpeg: return "jpg";
    case pdkPng: return "png";
    case pdkDib: return "bmp";
    default: return nullptr;
    }
}

void PutLE32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLE32(const std::vector<uint8_t>& data, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | data[at + static_cast<size_t>(i)];
    return value;
}

// The file form of the data for its picture class: a DIB gets the 14-byte
// file header of a bitmap file, a Windows metafile is given as it stands.
std::vector<uint8_t> FileFormOf(const TDocPicture& picture)
{
    if (picture.DataKind != pdkDib || picture.Data.size() < 40)
        return picture.Data;
    const uint32_t headerSize = GetLE32(picture.Data, 0);
    const uint32_t bitCount = static_cast<uint32_t>(picture.Data[14] | picture.Data[15] << 8);
    uint32_t colors = headerSize >= 40 ? GetLE32(picture.Data, 32) : 0;
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    const uint32_t compression = headerSize >= 40 ? GetLE32(picture.Data, 16) : 0;
    const uint32_t masks = (compression == 3 && headerSize == 40) ? 12 : 0;
    const uint64_t offset = 14ull + headerSize + masks + static_cast<uint64_t>(std::min<uint32_t>(colors, 256)) * 4;
    std::vector<uint8_t> file(14 + picture.Data.size());
    file[0] = 'B';
    file[1] = 'M';
    PutLE32(file, 2, static_cast<uint32_t>(file.size()));
    PutLE32(file, 10, static_cast<uint32_t>(std::min<uint64_t>(offset, file.size())));
    std::memcpy(file.data() + 14, picture.Data.data(), picture.Data.size());
    return file;
}

// The picture decoded by the class registered for its form; null when there
// is none or it cannot read the data.
std::unique_ptr<TPicture> DecodePicture(const TDocPicture& picture)
{
    const char* extension = ExtensionOfKind(picture.DataKind);
    if (!extension)
        return nullptr;
    const std::optional<TGraphicClass> graphicClass = TPicture::FindGraphicClass(extension);
    if (!graphicClass || !graphicClass->Create)
        return nullptr;
    try {
        std::unique_ptr<TGraphic> graphic = graphicClass->Create();
        const std::vector<uint8_t> file = FileFormOf(picture);
        TMemoryStream stream;
        stream.Write(file.data(), static_cast<int32_t>(file.size()));
        stream.SetPosition(0);
        graphic->LoadFromStream(stream);
        if (graphic->Empty())
            return nullptr;
        auto image = std::make_unique<TPicture>();
        image->SetGraphic(std::move(graphic));
        return image;
    } catch (const std::exception&) {
        return nullptr;
    }
}

int32_t ClampSize(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 31680 * 10));
}

}  // namespace

void TRtfReader::ReadPictureProperties(TDocPicture& picture)
{
    for (;;) {
        Refill();
        if (AtEnd())
            return;
        const uint8_t b = Peek();
        if (b == '}') {
            Skip(1);
            return;
        }
        if (b != '{') {
            if (AtControlWord()) {
                TControlToken token;
                TakeControlWord(token);
            } else {
                Skip(b == '\\' ? std::min(2, Available()) : 1);
            }
            continue;
        }
        // {\sp{\sn name}{\sv value}}
        TControlToken token;
        if (!(Peek(1) == '\\' && AtControlWord(1))) {
            SkipGroup();
            continue;
        }
        ScanControlWord(Here() + 2, BufferEnd(), token);
        if (FindControlWord(token) != kwSp) {
            SkipGroup();
            continue;
        }
        Skip(2 + token.Length);
        std::string name;
        std::string value;
        for (;;) {
            Refill();
            if (AtEnd())
                break;
            const uint8_t c = Peek();
            if (c == '}') {
                Skip(1);
                break;
            }
            if (c == '{' && Peek(1) == '\\' && AtControlWord(1)) {
                TControlToken inner;
                ScanControlWord(Here() + 2, BufferEnd(), inner);
                const int32_t index = FindControlWord(inner);
                if (index == kwSn || index == kwSv) {
                    Skip(2 + inner.Length);
                    (index == kwSn ? name : value) = ReadTextDestination();
                    continue;
                }
            }
            if (c == '{') {
                SkipGroup();
                continue;
            }
            Skip(c == '\\' ? std::min(2, Available()) : 1);
        }
        if (name == "fLockAspectRatio") {
            char* end = nullptr;
            const long number = std::strtol(value.c_str(), &end, 10);
            picture.KeepAspectRatio = static_cast<uint8_t>(end == value.c_str() ? 1 : number != 0);
        }
    }
}

void TRtfReader::ReadPicture()
{
    std::unique_ptr<TDocPicture> picture =
        std::make_unique<TDocPicture>(FObject ? nullptr : &FDocument);
    uint8_t kind = pdkNone;
    int32_t goalWidth = 0;
    int32_t goalHeight = 0;
    int32_t scaleX = 100;
    int32_t scaleY = 100;
    for (;;) {
        Refill();
        if (AtEnd())
            break;
        const uint8_t b = Peek();
        if (b == '}') {
            Skip(1);
            break;
        }
        if (b == '{') {
            TControlToken token;
            if (PeekDestination(token) == kwPicprop) {
                Skip(static_cast<int32_t>(token.Text - Here()) + token.Length);
                ReadPictureProperties(*picture);
            } else {
                SkipGroup();
            }
            continue;
        }
        if (AtControlWord()) {
            TControlToken token;
            const int32_t index = TakeControlWord(token);
            const int32_t n = ControlWordParam(token);
            switch (index) {
            case kwEmfblip: kind = pdkEmf; break;
            case kwWmetafile:
                kind = pdkWmf;
                picture->MappingMode = n;
                break;
            case kwJpegblip: kind = pdkJpeg; break;
            case kwPngblip: kind = pdkPng; break;
            case kwPicw: picture->SourceWidth = n; break;
            case kwPich: picture->SourceHeight = n; break;
            case kwPicwgoal: goalWidth = n; break;
            case kwPichgoal: goalHeight = n; break;
            case kwPicscalex: scaleX = n; break;
            case kwPicscaley: scaleY = n; break;
            case -1:
                if (IsBinWord(token)) {
                    int64_t count = std::max(n, 0);
                    while (count > 0) {
                        Refill();
                        if (AtEnd())
                            break;
                        const int32_t step = static_cast<int32_t>(std::min<int64_t>(count, Available()));
                        picture->Data.insert(picture->Data.end(), Here(), Here() + step);
                        Skip(step);
                        count -= step;
                    }
                } else if (const uint8_t other = OtherPictureKind(token)) {
                    kind = other;
                }
                break;
            default: break;
            }
            continue;
        }
        if (HexDigitValue(b) != 255) {
            ReadHexData(picture->Data);
            break;
        }
        Skip(b == '\\' ? std::min(2, Available()) : 1);
    }
    if (picture->Data.empty())
        return;
    picture->DataKind = kind == pdkNone ? static_cast<uint8_t>(pdkOther) : kind;
    picture->Image = DecodePicture(*picture);
    // The size shown: the desired size in twips, else the picture's own size
    // (pixels at 96 dots per inch, metafiles in hundredths of a millimetre),
    // else the decoded picture's.
    const bool metafile = picture->DataKind == pdkEmf || picture->DataKind == pdkWmf;
    auto ownTwips = [metafile](int32_t value) -> int64_t {
        return metafile ? static_cast<int64_t>(value) * 1440 / 2540 : static_cast<int64_t>(value) * 15;
    };
    int64_t width = goalWidth > 0 ? goalWidth : ownTwips(picture->SourceWidth);
    int64_t height = goalHeight > 0 ? goalHeight : ownTwips(picture->SourceHeight);
    if ((width <= 0 || height <= 0) && picture->Image) {
        width = static_cast<int64_t>(picture->Image->Width()) * 15;
        height = static_cast<int64_t>(picture->Image->Height()) * 15;
    }
    picture->Width = ClampSize(width);
    picture->Height = ClampSize(height);
    picture->ScaleX = std::clamp(scaleX, 1, 1000);
    picture->ScaleY = std::clamp(scaleY, 1, 1000);
    if (FObject) {
        FObject->ResultPicture = std::move(picture);
        return;
    }
    if (FDiscard)
        return;
    TDocObject& added = FDocument.ObjectManager().AddObject(std::move(picture));
    AppendRecord(icPicture, added.Handle());
}
