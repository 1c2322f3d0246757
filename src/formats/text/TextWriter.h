#pragma once
// Plain text out: the characters of a document range without formatting, in
// code page 1252 (the output stage converts DOS text when it flushes), with
// the special characters of the text model mapped to plain bytes.
#include <cstdint>

class TDocument;
class TOutputFile;
struct TDocWriteParams;

// The range of a write, resolved: paragraphs first..last, the first from
// firstOffset, the last up to lastOffset (exclusive).
struct TTextWriteRange {
    int32_t FirstParagraph = 0;
    int32_t FirstOffset = 0;
    int32_t LastParagraph = 0;
    int32_t LastOffset = 0;
    // The range ends where the body ends.
    bool EndsBody = false;
};

// Writes the range; 0 when it was written, 2 when an error (the silent abort
// of a cancelled write included) stopped it, the output holding what was
// written so far.
int32_t WriteText(TOutputFile& output, const TDocWriteParams& params, TTextWriteRange range);
// Writes characters from .. to - 1 of one paragraph.
void WriteTextParagraph(TOutputFile& output, const TDocWriteParams& params, int32_t paragraph, int32_t from,
                        int32_t to);

// The byte a special character kind becomes in text (-1: none or a line end),
// as written without the single-line flag.
int32_t TextByteOfSpecialChar(uint8_t kind);
