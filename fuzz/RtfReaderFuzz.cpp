// libFuzzer target: the bytes read as an RTF document from memory through the
// document file road, then freed.
#include "document/model/Document.h"
#include "formats/DocumentFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 24))
        return 0;
    TDocument document(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = data;
    request.BufferSize = static_cast<int32_t>(size);
    LoadFromFile(document, request);
    return 0;
}
