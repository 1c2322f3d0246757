#include "document/model/ObjectTable.h"

#include "document/model/DocObject.h"
#include "platform/runtime/Exception.h"

#include <limits>

TObjectHandle TObjectTable::AddEntry(TObjectKind kind, void* object)
{
    if (!object)
        throw EInternalError("Objet absent inscrit dans la table des objets");
    // Fresh handles first; once they run out, the free ones are searched.
    if (FNext <= 0 || FEntries.count(FNext)) {
        if (FEntries.size() >= static_cast<size_t>(std::numeric_limits<TObjectHandle>::max()))
            throw EOutOfMemory();
        TObjectHandle candidate = FNext > 0 ? FNext : 1;
        while (FEntries.count(candidate))
            candidate = candidate == std::numeric_limits<TObjectHandle>::max() ? 1 : candidate + 1;
        FNext = candidate;
    }
    const TObjectHandle handle = FNext;
    FEntries.emplace(handle, TEntry{kind, object});
    FNext = handle == std::numeric_limits<TObjectHandle>::max() ? 1 : handle + 1;
    return handle;
}

TObjectHandle TObjectTable::Add(TSection* section)
{
    return AddEntry(TObjectKind::Section, section);
}

TObjectHandle TObjectTable::Add(TDocObject* object)
{
    if (!object)
        throw EInternalError("Objet absent inscrit dans la table des objets");
    return AddEntry(object->Kind(), object);
}

TObjectHandle TObjectTable::Add(TField* field)
{
    return AddEntry(TObjectKind::RangeObject, field);
}

void TObjectTable::Remove(TObjectHandle handle)
{
    FEntries.erase(handle);
}

const TObjectTable::TEntry* TObjectTable::Find(TObjectHandle handle) const
{
    const auto it = FEntries.find(handle);
    return it == FEntries.end() ? nullptr : &it->second;
}

TObjectKind TObjectTable::KindOf(TObjectHandle handle) const
{
    const TEntry* entry = Find(handle);
    return entry ? entry->Kind : TObjectKind::None;
}

TSection* TObjectTable::GetSection(TObjectHandle handle) const
{
    const TEntry* entry = Find(handle);
    return entry && entry->Kind == TObjectKind::Section ? static_cast<TSection*>(entry->Object) : nullptr;
}

TDocObject* TObjectTable::GetDocObject(TObjectHandle handle) const
{
    const TEntry* entry = Find(handle);
    if (!entry || (entry->Kind != TObjectKind::Picture && entry->Kind != TObjectKind::OleObject))
        return nullptr;
    return static_cast<TDocObject*>(entry->Object);
}

TField* TObjectTable::GetField(TObjectHandle handle) const
{
    const TEntry* entry = Find(handle);
    return entry && entry->Kind == TObjectKind::RangeObject ? static_cast<TField*>(entry->Object) : nullptr;
}
