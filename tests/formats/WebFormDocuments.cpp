#include "formats/WebFormDocuments.h"

#include "document/model/Document.h"
#include "formats/DocumentFile.h"

void TDocumentDeleter::operator()(TDocument* document) const
{
    delete document;
}

TDocumentPtr ReadRtfDocument(const std::string& rtf)
{
    TDocumentPtr document(new TDocument(true));
    TDocLoadRequest request;
    request.Source = lsMemory;
    request.Coding = ciRtf;
    request.Buffer = reinterpret_cast<const uint8_t*>(rtf.data());
    request.BufferSize = static_cast<int32_t>(rtf.size());
    if (!LoadFromFile(*document, request))
        document.reset();
    return document;
}
