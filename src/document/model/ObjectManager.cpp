#include "document/model/ObjectManager.h"

#include "document/model/VectorGrowth.h"
#include "platform/runtime/Exception.h"

#include <string>

TObjectManager::TObjectManager(TDocument* document) : FDocument(document) {}

TObjectManager::~TObjectManager()
{
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
    return *FObjects.back();
}

void TObjectManager::RemoveObject(TDocObject* object)
{
    const int32_t index = IndexOf(object);
    if (index >= 0)
        FObjects.erase(FObjects.begin() + index);
}
