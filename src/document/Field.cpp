#include "document/Field.h"

#include "document/Document.h"

const TFieldTypeSet& PageDependentFieldTypes()
{
    static const TFieldTypeSet types = [] {
        TFieldTypeSet set;
        set.set(26);
        set.set(33);
        set.set(65);
        set.set(66);
        return set;
    }();
    return types;
}

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
