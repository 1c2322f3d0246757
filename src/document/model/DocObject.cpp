#include "document/model/DocObject.h"

#include "document/model/Document.h"
#include "platform/framework/Picture.h"

TDocObject::TDocObject(TDocument* document, TObjectKind kind)
    : FKind(kind), FImage(std::make_unique<TDocObjectImage>(this))
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

int64_t TDocObject::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TDocObject)) + FImage->MemorySize();
}

void TDocObject::Draw(const TObjectDrawInfo& info)
{
    FImage->Draw(info);
}

void TDocObject::GetScreenSize(TSize& size) const
{
    size = {0, 0};
    if (FDocument)
        size = {FDocument->TwipsToLayout(Width), FDocument->TwipsToLayout(Height)};
}

TDocPicture::TDocPicture(TDocument* document) : TDocObject(document, TObjectKind::Picture)
{
}

TDocPicture::~TDocPicture() = default;
