#pragma once
// The RTF writer: a document, or a range of it, in the program's own RTF
// dialect, to a file through the buffered output stage or into memory. The
// encrypted container is this RTF behind its header and through its cipher.
#include <cstdint>

class TOutputFile;
struct TDocWriteParams;
struct TTextWriteRange;

// Writes the range; 0 when it was written, 2 when an error (the silent abort
// of a cancelled write included) stopped it, the output holding what was
// written so far. No message is shown here.
int32_t WriteRtf(TOutputFile& output, const TDocWriteParams& params, const TTextWriteRange& range);
