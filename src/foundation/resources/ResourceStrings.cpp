#include "foundation/resources/ResourceStrings.h"

#include <cstring>

#include "platform/framework/Picture.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Stream.h"
#include "platform/runtime/StringList.h"

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// The number of entries whose ids and entry words lie inside the table.
uint32_t UsableCount(const TResourceData& table)
{
    if (!table.Data || table.Size < 4)
        return 0;
    const uint64_t n = ReadU32(table.Data);
    const uint64_t room = (table.Size - 4) / 8;
    return static_cast<uint32_t>(n <= room ? n : 0);
}

// The text of entry i; empty when its bytes lie outside the table.
std::string EntryText(const TResourceData& table, uint32_t n, uint32_t i)
{
    const uint32_t word = ReadU32(table.Data + 4 + 4 * static_cast<size_t>(n) + 4 * static_cast<size_t>(i));
    const size_t length = word & 0xFF;
    const size_t offset = word >> 8;
    if (offset > table.Size || length > table.Size - offset)
        return {};
    return std::string(reinterpret_cast<const char*>(table.Data) + offset, length);
}

} // namespace

TResourceData LoadResourceData(const std::string& name, const std::string& type)
{
    return FindResourceData(type, name);
}

std::string LookupIndexedString(const TResourceData& table, uint32_t id)
{
    const uint32_t n = UsableCount(table);
    uint32_t lo = 0, hi = n;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        const uint32_t at = ReadU32(table.Data + 4 + 4 * static_cast<size_t>(mid));
        if (at == id)
            return EntryText(table, n, mid);
        if (at < id)
            lo = mid + 1;
        else
            hi = mid;
    }
    return {};
}

void LoadIndexedStrings(const TResourceData& table, TStrings& list)
{
    list.Clear();
    const uint32_t n = UsableCount(table);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t id = ReadU32(table.Data + 4 + 4 * static_cast<size_t>(i));
        list.AddObject(EntryText(table, n, i), reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    }
}

bool SaveResourceToFile(const std::string& name, const std::string& type, const std::string& fileName)
{
    const TResourceData data = LoadResourceData(name, type);
    if (!data)
        return false;
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(data.Data, static_cast<int64_t>(data.Size));
    return true;
}

bool LoadJPEGResource(const std::string& name, TPicture& picture)
{
    const TResourceData data = LoadResourceData(name, "JPEG");
    if (!data)
        return false;
    const auto graphicClass = TPicture::FindGraphicClass("jpg");
    if (!graphicClass)
        return false;
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    TForeignMemoryStream stream(data.Data, static_cast<int64_t>(data.Size));
    graphic->LoadFromStream(stream);
    picture.SetGraphic(std::move(graphic));
    return true;
}
