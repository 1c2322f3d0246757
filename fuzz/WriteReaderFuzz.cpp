// Any bytes read as a Windows Write document from memory, then the document
// freed.
#include "FuzzSupport.h"

#include "document/model/Document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDocument document(true);
    FuzzLoad(document, data, size, ciWrite);
    return 0;
}
