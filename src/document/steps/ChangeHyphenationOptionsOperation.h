#pragma once
// TChangeHyphenationOptionsOperation: the document's three hyphenation
// settings (automatic hyphenation on or off, the hyphenation zone in twips,
// the limit of consecutive hyphenated lines) exchanged with the three the step
// stores. The whole document is laid out again.
#include "document/operations/SubOperation.h"

#include <cstdint>

struct THyphenationOptions {
    int32_t Automatic = 1;
    int32_t Zone = 360;
    int32_t ConsecutiveLimit = 0;
};

class TChangeHyphenationOptionsOperation : public TSubOperation {
public:
    TChangeHyphenationOptionsOperation(TDocument* document, const THyphenationOptions& options);

    int64_t MemorySize() const override { return sizeof(TChangeHyphenationOptionsOperation); }
    void Undo(TUpdateRange& update) override;

    const THyphenationOptions& Options() const { return FOptions; }

private:
    THyphenationOptions FOptions;
};
