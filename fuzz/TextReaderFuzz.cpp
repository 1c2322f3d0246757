// Any bytes read as ANSI and as DOS text.
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
    for (int32_t coding : {ciAnsiText, ciDosText}) {
        TDocument document(true);
        TDocLoadRequest request;
        request.Source = lsMemory;
        request.Buffer = data;
        request.BufferSize = static_cast<int32_t>(size);
        request.Coding = coding;
        LoadFromFile(document, request);
    }
    return 0;
}
