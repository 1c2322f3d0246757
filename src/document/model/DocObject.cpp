#include "document/model/DocObject.h"

#include "document/model/Document.h"
#include "platform/framework/Picture.h"

TDocObject::TDocObject(TDocument* document, TObjectKind kind) : FKind(kind)
{
    SetDocument(document);
}

TDocObject::~TDocObject()
{
    SetDocument(nullptr);
}

void TDocObject::SetDocument(TDocument* document)
{
    if (document == FDocument)
        return;
    TObjectHandle handle = NoObjectHandle;
    if (document)
        handle = document->Objects().Add(this);
    if (FDocument)
        FDocument->Objects().Remove(FHandle);
    FDocument = document;
    FHandle = handle;
}

TDocPicture::TDocPicture(TDocument* document) : TDocObject(document, TObjectKind::Picture)
{
}

TDocPicture::~TDocPicture() = default;
