#pragma once
// TChangeHyphenationOptionsOperation: the document's hyphenation settings
// (automatic hyphenation and the hyphenation of words in capitals on or off,
// the hyphenation zone in twips, the limit of consecutive hyphenated lines)
// exchanged with those the step stores. The whole document is laid out again.
#include "document/operations/SubOperation.h"

#include <cstdint>

// The flag bytes of the first word of the settings.
constexpr int32_t hofAutomatic = 0x0001;  // byte 0: automatic hyphenation
constexpr int32_t hofCapitals = 0x0100;   // byte 1: words in capitals hyphenated

// The settings as three 32-bit words; the first holds the two flag bytes.
struct THyphenationOptions {
    int32_t Flags = hofAutomatic | hofCapitals;
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
