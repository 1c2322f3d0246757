// Pictures inside RTF: the picture group's kind, sizes and data. The data is
// kept exactly as the file gave it; the picture classes registered for its
// form decode it for drawing. A form no registered class reads keeps its data
// and its size and is drawn as an empty frame.
#include "document/model/DocObject.h"
#include "document/model/ObjectManager.h"
#include "foundation/InlineControl.h"
#include "formats/PictureDecoding.h"
#include "formats/rtf/RtfReaderState.h"
#include "platform/framework/Picture.h"

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

int32_t ClampSize(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 31680 * 10));
}

}  // namespace

void TRtfReader::ReadPictureProperties(TDocPicture& picture)
{
    auto ignoreWord = [](int32_t, const TControlToken&) {};
    // {\sp{\sn name}{\sv value}}
    WalkGroup(
        [&] {
            TControlToken token;
            if (!(Peek(1) == '\\' && AtControlWord(1))) {
                SkipGroup();
                return;
            }
            ScanControlWord(Here() + 2, BufferEnd(), token);
            if (FindControlWord(token) != kwSp) {
                SkipGroup();
                return;
            }
            Skip(2 + token.Length);
            std::string name;
            std::string value;
            WalkGroup(
                [&] {
                    if (Peek(1) == '\\' && AtControlWord(1)) {
                        TControlToken inner;
                        ScanControlWord(Here() + 2, BufferEnd(), inner);
                        const int32_t index = FindControlWord(inner);
                        if (index == kwSn || index == kwSv) {
                            Skip(2 + inner.Length);
                            (index == kwSn ? name : value) = ReadTextDestination();
                            return;
                        }
                    }
                    SkipGroup();
                },
                ignoreWord);
            if (name == "fLockAspectRatio") {
                char* end = nullptr;
                const long number = std::strtol(value.c_str(), &end, 10);
                picture.KeepAspectRatio = static_cast<uint8_t>(end == value.c_str() ? 1 : number != 0);
            }
        },
        ignoreWord);
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
                if (IsBinWord(token))
                    TakeBinary(std::max(n, 0), picture->Data);
                else if (const uint8_t other = OtherPictureKind(token))
                    kind = other;
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
    picture->Image = DecodeDocPicture(*picture);
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
