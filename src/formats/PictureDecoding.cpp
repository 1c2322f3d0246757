#include "formats/PictureDecoding.h"

#include "document/model/DocObject.h"
#include "platform/framework/Graphic.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Stream.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

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

}  // namespace

std::unique_ptr<TPicture> DecodeDocPicture(const TDocPicture& picture)
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

