#pragma once
// A document's object table. Inline records of paragraph text (section
// breaks, pictures, embedded objects, range-object anchors) carry a 32-bit
// argument; where that argument names an object it is a handle of this table,
// never a pointer, so that records read the same in every build. Layout, the
// writers and the editing code resolve handles through the owning document.
//
// An object holds its handle from the moment it joins its document until it is
// freed (an object kept by undo stays registered), and a handle is not given
// again while the table can still hand out fresh ones, so a stale handle
// resolves to nothing rather than to another object. Handles are positive; 0
// (NoObjectHandle) names no object. Handles belong to one document: text moved
// to another document has its handles translated by whoever moves it.
#include "foundation/InlineControl.h"

#include <cstdint>
#include <unordered_map>

class TDocObject;
class TField;
class TSection;

enum class TObjectKind : uint8_t {
    None = 0,
    Section = 1,      // the argument of a section break (code 23)
    Picture = 2,      // a TDocPicture (code 24)
    OleObject = 3,    // a TDocOLEObject (code 25)
    RangeObject = 4,  // a TField (codes 26 and 27)
};

class TObjectTable {
public:
    TObjectTable() = default;
    TObjectTable(const TObjectTable&) = delete;
    TObjectTable& operator=(const TObjectTable&) = delete;

    // Registers an object and returns its new handle. The object kind of a
    // document object is its own (picture or embedded object).
    TObjectHandle Add(TSection* section);
    TObjectHandle Add(TDocObject* object);
    TObjectHandle Add(TField* field);
    // Forgets a handle; nothing happens for one that names nothing.
    void Remove(TObjectHandle handle);

    int32_t Count() const { return static_cast<int32_t>(FEntries.size()); }
    // TObjectKind::None for a handle that names nothing.
    TObjectKind KindOf(TObjectHandle handle) const;
    // The object of the handle, or null when the handle names nothing or an
    // object of another kind.
    TSection* GetSection(TObjectHandle handle) const;
    // A picture or an embedded object.
    TDocObject* GetDocObject(TObjectHandle handle) const;
    TField* GetField(TObjectHandle handle) const;

private:
    struct TEntry {
        TObjectKind Kind = TObjectKind::None;
        void* Object = nullptr;
    };
    TObjectHandle AddEntry(TObjectKind kind, void* object);
    const TEntry* Find(TObjectHandle handle) const;

    std::unordered_map<TObjectHandle, TEntry> FEntries;
    TObjectHandle FNext = 1;
};
