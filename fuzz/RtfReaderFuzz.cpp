// Any bytes read as an RTF document from memory, whatever they begin with,
// then the document freed.
#include "FuzzSupport.h"

#include "document/model/Document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDocument document(true);
    FuzzLoad(document, data, size, ciRtf);
    return 0;
}
