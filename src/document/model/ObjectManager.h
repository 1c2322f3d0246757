#pragma once
// The list of a document's pictures and embedded objects, which it owns.
// Created by the document's constructor and freed with it.
#include "document/model/DocObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class TDocument;

class TObjectManager {
public:
    explicit TObjectManager(TDocument* document);
    // Frees the objects, the last first.
    ~TObjectManager();
    TObjectManager(const TObjectManager&) = delete;
    TObjectManager& operator=(const TObjectManager&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    int32_t Count() const { return static_cast<int32_t>(FObjects.size()); }
    // Raises EListError for an index outside the list.
    TDocObject& Objects(int32_t index) const;
    int32_t IndexOf(const TDocObject* object) const;

    // Appends the object, which becomes the document's (and takes a handle in
    // its object table); returns it.
    TDocObject& AddObject(std::unique_ptr<TDocObject> object);
    // Removes the object from the list and frees it; nothing for an object that
    // is not in the list. An unpacked image leaves the picture accounting.
    void RemoveObject(TDocObject* object);
    // Empties the list without freeing the objects, which leave the picture
    // accounting and go to the caller (another document takes them over).
    std::vector<std::unique_ptr<TDocObject>> TakeObjects();
    // The object other than except whose image is unpacked and least drawn
    // (the last of equals); null when there is none.
    TDocObject* FindLeastRecentImage(const TDocObject* except) const;

private:
    std::vector<std::unique_ptr<TDocObject>> FObjects;
    TDocument* FDocument;
};
