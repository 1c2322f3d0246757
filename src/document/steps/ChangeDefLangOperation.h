#pragma once
// TChangeDefLangOperation: the document's default language exchanged with
// the one the step stores.
#include "document/operations/SubOperation.h"

#include <cstdint>

class TChangeDefLangOperation : public TSubOperation {
public:
    TChangeDefLangOperation(TDocument* document, int32_t language);

    int64_t MemorySize() const override { return sizeof(TChangeDefLangOperation); }
    void Undo(TUpdateRange& update) override;

    int32_t Language() const { return FLanguage; }

private:
    int32_t FLanguage;
};
