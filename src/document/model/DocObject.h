#pragma once
// Pictures and embedded objects in a document's text. The text refers to an
// object through an inline record whose argument is the object's handle in
// its document's object table (code 24 for a TDocPicture, code 25 for a
// TDocOLEObject). The document's TObjectManager owns its objects. An object
// knows its document, its kind, its handle in the document's object table and
// its natural size.
#include "document/model/ObjectTable.h"

#include <cstdint>

class TDocument;

class TDocObject {
public:
    virtual ~TDocObject();
    TDocObject(const TDocObject&) = delete;
    TDocObject& operator=(const TDocObject&) = delete;

    TDocument* GetDocument() const { return FDocument; }
    // Moves the object to another document (or to none): it leaves the old
    // document's object table and takes a handle in the new one.
    void SetDocument(TDocument* document);
    // The object's handle in its document's table; NoObjectHandle without a
    // document.
    TObjectHandle Handle() const { return FHandle; }
    TObjectKind Kind() const { return FKind; }

    int32_t Width = 0;         // natural width, twips
    int32_t Height = 0;        // natural height, twips
    int32_t ScaleX = 100;      // percent
    int32_t ScaleY = 100;      // percent
    uint8_t PlainPicture = 1;  // 0: the RTF writer also writes the picture's properties

protected:
    TDocObject(TDocument* document, TObjectKind kind);

private:
    TDocument* FDocument = nullptr;
    TObjectHandle FHandle = NoObjectHandle;
    TObjectKind FKind;
};

// A picture: every picture inserted from a file or read from a document.
class TDocPicture : public TDocObject {
public:
    explicit TDocPicture(TDocument* document) : TDocObject(document, TObjectKind::Picture) {}
};

// An embedded (OLE) object.
class TDocOLEObject : public TDocObject {
public:
    explicit TDocOLEObject(TDocument* document) : TDocObject(document, TObjectKind::OleObject) {}

    // From the RTF object-type word: 1 objemb, 2 objlink, 3 objautlink,
    // 4 objsub, 5 objpub, 6 objicemb, 7 objhtml, 8 objocx.
    uint8_t ObjectType = 0;
};
