#include "document/Field.h"

#include "document/Document.h"

bool ClosesFormattedRun(uint8_t kind)
{
    return kind == rkField || kind == rkNoteReference;
}

TField::TField(TDocument* document, uint8_t kind) : Kind(kind), FDocument(document)
{
    if (FDocument)
        FHandle = FDocument->Objects().Add(this);
}

TField::~TField()
{
    if (FDocument)
        FDocument->Objects().Remove(FHandle);
}
