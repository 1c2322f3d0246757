#pragma once
// What the document model asks of the file layer, which lies above it: a
// document read from a file or a memory block, and a range of a document
// written into memory in a coding. The file layer installs its filer at
// start-up. Without one, nothing can be read or written: the routines that
// need it (inserting a file, duplicating text, the clipboard) raise
// EInternalError saying so.
#include "document/model/TextPosition.h"

#include <cstdint>
#include <string>

class TDocument;
class TMemory;

class TDocumentFiler {
public:
    virtual ~TDocumentFiler() = default;
    // Fills an empty (hidden) document from a file, or from the bytes when
    // fromMemory is set, in the coding (-1: detect it). True when the reader
    // accepted the content; paragraphs receives the paragraph breaks it
    // delivered and coding the coding that was read.
    virtual bool Load(TDocument& document, const std::string& fileNameOrBytes, bool fromMemory, int32_t& coding,
                      int32_t& paragraphs) = 0;
    // Appends the range of the document written in the coding to out; false
    // when the writer failed.
    virtual bool WriteRange(TDocument& document, const TTextRange& range, int32_t coding, TMemory& out) = 0;
};

// The installed filer (null when none is); raises EInternalError when none is.
TDocumentFiler* GetDocumentFiler();
TDocumentFiler& DocumentFiler();
// Installs the filer (nullptr removes it); returns the previous one.
TDocumentFiler* SetDocumentFiler(TDocumentFiler* filer);
