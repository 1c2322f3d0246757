// Any bytes read as an RTF document from memory, whatever they begin with,
// then the document freed.
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
    request.Coding = ciRtf;
    request.Buffer = data;
    request.BufferSize = static_cast<int32_t>(size);
    LoadFromFile(document, request);
    return 0;
}
