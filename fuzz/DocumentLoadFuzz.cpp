// Any bytes given to the open road: detected, read by whichever reader takes
// them, then laid out and paginated whole, as opening a file does. Inputs past
// 64 KB (large corpus files) are only read: their layout is the benchmarks'
// business, and the mutations stay below that size.
#include "FuzzSupport.h"

#include "document/model/Document.h"
#include "formats/CodingManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDocument document(true);
    if (FuzzLoad(document, data, size, ciDetect) && size <= 65536)
        document.PaginateAll();
    return 0;
}
