// Any bytes read as ANSI and as DOS text.
#include "FuzzSupport.h"

#include "document/model/Document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (int32_t coding : {ciAnsiText, ciDosText}) {
        TDocument document(true);
        FuzzLoad(document, data, size, coding);
    }
    return 0;
}
