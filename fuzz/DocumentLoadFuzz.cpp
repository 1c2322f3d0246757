// Any bytes given to the open road: detected, read by whichever reader takes
// them, then laid out and paginated whole, as opening a file does. Inputs past
// 64 KB (large corpus files) are only read: their layout is the benchmarks'
// business, and the mutations stay below that size.
#include "FuzzSupport.h"

#include "document/model/Document.h"
#include "formats/DocumentFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSetup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDocument document(true);
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Buffer = data;
    request.BufferSize = static_cast<int32_t>(size);
    if (LoadFromFile(document, request) && size <= 65536)
        document.PaginateAll();
    return 0;
}
