#pragma once
// The Word reader: fills a freshly created document from a Word 6.0/95 or
// Word 97 binary document, whose compound file and "WordDocument" stream the
// open routine's format test left open in the load context.
class TDocLoadContext;

// True when the document was read. An encrypted document is refused with its
// message; any other failure (a stream that is missing or too short, a size or
// position beyond its stream) shows the open-failure message (unless the load
// is silent) and gives false, the document holding what was read so far. The
// compound file is released either way and the document's file is kept open
// again as the open routine keeps it.
bool ReadWordDocument(TDocLoadContext& context);
