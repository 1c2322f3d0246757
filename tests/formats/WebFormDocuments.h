#pragma once
// Documents for the window tests of the web-page dialog, which cannot see the
// document model's headers beside the class framework's (both name a
// TOperation): made and freed here.
#include <memory>
#include <string>

class TDocument;

struct TDocumentDeleter {
    void operator()(TDocument* document) const;
};
using TDocumentPtr = std::unique_ptr<TDocument, TDocumentDeleter>;

// A hidden document read from RTF text; null when the reader refused it.
TDocumentPtr ReadRtfDocument(const std::string& rtf);
