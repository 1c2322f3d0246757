#pragma once
// Pictures and embedded objects in a document's text. The text refers to an
// object through an inline record whose argument is the object's handle in
// its document's object table (code 24 for a TDocPicture, code 25 for a
// TDocOLEObject). The document's TObjectManager owns its objects. An object
// knows its document, its kind, its handle in the document's object table and
// its natural size.
#include "document/model/DocObjectImage.h"
#include "document/model/ObjectTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument;
class TPicture;

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

    // The picture in its stored and drawable forms (created with the object).
    TDocObjectImage& ObjectImage() const { return *FImage; }
    // The object's memory: its own and its image's.
    virtual int64_t MemorySize() const;
    // Draws the object in the rectangle the line painter gives.
    void Draw(const TObjectDrawInfo& info);
    // The natural size in layout units (unscaled).
    void GetScreenSize(TSize& size) const;

protected:
    TDocObject(TDocument* document, TObjectKind kind);

private:
    TDocument* FDocument = nullptr;
    TObjectHandle FHandle = NoObjectHandle;
    TObjectKind FKind;
    std::unique_ptr<TDocObjectImage> FImage;
};

// The form a picture's data is kept in, as the document file gave it.
enum TPictureDataKind : uint8_t {
    pdkNone = 0,
    pdkEmf = 1,      // enhanced metafile
    pdkWmf = 2,      // Windows metafile (without placeable header)
    pdkJpeg = 3,
    pdkPng = 4,
    pdkDib = 5,      // device-independent bitmap without file header
    pdkBitmap = 6,   // device-dependent bitmap
    pdkOther = 7,    // a form the program does not draw (Mac PICT, OS/2 metafile...)
};

// A picture: every picture inserted from a file or read from a document.
// The data is kept exactly as it came, so that a picture the program cannot
// draw (no picture class for its form) still keeps its content and size and
// is written back unchanged.
class TDocPicture : public TDocObject {
public:
    explicit TDocPicture(TDocument* document);
    ~TDocPicture() override;

    uint8_t DataKind = pdkNone;
    std::vector<uint8_t> Data;
    // The metafile's mapping mode (Windows metafiles).
    int32_t MappingMode = 0;
    // The picture's own size as the file gave it: pixels for bitmaps,
    // hundredths of a millimetre for metafiles.
    int32_t SourceWidth = 0;
    int32_t SourceHeight = 0;
    uint8_t KeepAspectRatio = 1;
    // The decoded picture for drawing; null when no picture class could read
    // the data (the picture then shows as an empty frame of its size).
    std::unique_ptr<TPicture> Image;
};

// An embedded (OLE) object.
class TDocOLEObject : public TDocObject {
public:
    explicit TDocOLEObject(TDocument* document) : TDocObject(document, TObjectKind::OleObject) {}

    // From the RTF object-type word: 1 objemb, 2 objlink, 3 objautlink,
    // 4 objsub, 5 objpub, 6 objicemb, 7 objhtml, 8 objocx.
    uint8_t ObjectType = 0;
    std::string ClassName;
    std::string ObjectName;
    // The object's native data as the file held it.
    std::vector<uint8_t> Data;
    // The picture shown for the object (not in the document's object table).
    std::unique_ptr<TDocPicture> ResultPicture;

    int64_t MemorySize() const override { return TDocObject::MemorySize() + static_cast<int64_t>(Data.size()); }
};
