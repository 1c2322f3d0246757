#pragma once
// TFormatObjectOperation: the five format values of a picture or embedded
// object (natural width and height, horizontal and vertical scale, the plain
// picture flag) exchanged with the five the step stores; the paragraph that
// holds the object is laid out again.
#include "document/operations/SubOperation.h"

#include <cstdint>

class TDocObject;

struct TObjectFormat {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t ScaleX = 100;
    int32_t ScaleY = 100;
    int32_t PlainPicture = 1;
};

class TFormatObjectOperation : public TSubOperation {
public:
    TFormatObjectOperation(TDocument* document, TDocObject* object, int32_t paragraph);

    // The values the object takes when the step is first applied.
    TObjectFormat Values;

    int64_t MemorySize() const override { return sizeof(TFormatObjectOperation); }
    void Undo(TUpdateRange& update) override;

private:
    TDocObject* FObject;
    int32_t FParagraph;
};
