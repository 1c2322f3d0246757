#pragma once
// The RTF reader: fills a freshly created document from the text of an RTF
// file or memory block (the body of an encrypted container too) in one pass.
class TDocLoadContext;

// True when the whole text was read. After a failure the document holds what
// was read so far, the open-failure message has been shown (unless the source
// is a block in memory), and the result is false. The silent abort passes.
bool ReadRtf(TDocLoadContext& context);
