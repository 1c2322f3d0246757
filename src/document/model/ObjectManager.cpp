#include "document/model/ObjectManager.h"

#include "document/model/VectorGrowth.h"
#include "platform/runtime/Exception.h"

#include <climits>
#include <string>

namespace {

// Takes an unpacked image out of the picture accounting.
void LeaveAccounting(TDocObject& object)
{
    TDocObjectImage& image = object.ObjectImage();
    TPictureMemory& memory = PictureMemory();
    if (!image.Packed) {
        memory.Count -= 1;
        memory.Sum -= image.UnpackedSize;
    }
    if (memory.LastDrawn == &object)
        memory.LastDrawn = nullptr;
}

// A picture read from a document file keeps its data as the file gave it;
// metafile and PNG data are also the stored form of its image, which is then
// drawn like any other (unpacked on first draw).
void TakeStoredForm(TDocObject& object)
{
    auto* picture = dynamic_cast<TDocPicture*>(&object);
    TDocObjectImage& image = object.ObjectImage();
    if (!picture || !image.Packed || !image.Data.empty() || image.Metafile || image.Bitmap || picture->Data.empty())
        return;
    switch (picture->DataKind) {
    case pdkEmf:
        image.Kind = 0;
        image.WindowsMetafile = 0;
        break;
    case pdkWmf:
        image.Kind = 0;
        image.WindowsMetafile = 1;
        image.MetafilePict.mm = picture->MappingMode > 0 ? picture->MappingMode : MM_ANISOTROPIC;
        image.MetafilePict.xExt = picture->SourceWidth;
        image.MetafilePict.yExt = picture->SourceHeight;
        break;
    case pdkPng: image.Kind = 1; break;
    default: return;
    }
    image.Zlib = 0;
    image.Data = picture->Data;
}

}  // namespace

TObjectManager::TObjectManager(TDocument* document) : FDocument(document)
{
    PictureMemory().Register(this);
}

TObjectManager::~TObjectManager()
{
    PictureMemory().Unregister(this);
    for (const auto& object : FObjects)
        LeaveAccounting(*object);
    while (!FObjects.empty())
        FObjects.pop_back();
}

TDocObject& TObjectManager::Objects(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
    return *FObjects[static_cast<size_t>(index)];
}

int32_t TObjectManager::IndexOf(const TDocObject* object) const
{
    for (size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].get() == object)
            return static_cast<int32_t>(i);
    return -1;
}

TDocObject& TObjectManager::AddObject(std::unique_ptr<TDocObject> object)
{
    if (!object)
        throw EInternalError("Objet absent ajouté au document");
    ReserveMore(FObjects, 1);
    object->SetDocument(FDocument);
    FObjects.push_back(std::move(object));
    TDocObject& added = *FObjects.back();
    TakeStoredForm(added);
    TDocObjectImage& image = added.ObjectImage();
    TPictureMemory& memory = PictureMemory();
    // Uncompressed metafile bits of the document past the threshold: this
    // picture's bits are compressed.
    if (image.Packed && image.Kind == 0 && !image.Zlib && !image.Data.empty()) {
        int64_t sum = 0;
        for (const auto& object : FObjects) {
            const TDocObjectImage& other = object->ObjectImage();
            if (other.Packed && other.Kind == 0 && !other.Zlib)
                sum += static_cast<int64_t>(other.Data.size());
        }
        if (sum > memory.CompressionThreshold) {
            try {
                std::vector<uint8_t> compressed = CompressMemoryBlock(image.Data, 1);
                image.UncompressedSize = static_cast<int32_t>(image.Data.size());
                image.Data = std::move(compressed);
                image.Zlib = 1;
            } catch (...) {
                // The bits stay uncompressed.
            }
        }
    }
    if (!image.Packed) {
        memory.Count += 1;
        image.UpdateUnpackedSize();
        memory.Sum += image.UnpackedSize;
        if (memory.IsFull())
            image.SetCompressed(true);
    }
    return added;
}

TDocObject* TObjectManager::FindLeastRecentImage(const TDocObject* except) const
{
    TDocObject* best = nullptr;
    int64_t bestCount = INT64_MAX;
    for (auto it = FObjects.rbegin(); it != FObjects.rend(); ++it) {
        TDocObject* object = it->get();
        if (object == except || object->ObjectImage().Packed)
            continue;
        if (object->ObjectImage().DrawCount < bestCount) {
            best = object;
            bestCount = object->ObjectImage().DrawCount;
        }
    }
    return best;
}

std::vector<std::unique_ptr<TDocObject>> TObjectManager::TakeObjects()
{
    for (const auto& object : FObjects)
        LeaveAccounting(*object);
    std::vector<std::unique_ptr<TDocObject>> taken;
    taken.swap(FObjects);
    return taken;
}

void TObjectManager::RemoveObject(TDocObject* object)
{
    const int32_t index = IndexOf(object);
    if (index >= 0)
        LeaveAccounting(*object);
    if (index >= 0)
        FObjects.erase(FObjects.begin() + index);
}
