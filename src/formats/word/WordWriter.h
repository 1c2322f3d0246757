#pragma once
// The Word writer: a document as a Word binary document, coding 1 in the
// Word 6.0/95 layout, coding 2 in the Word 97 layout. The compound file is
// built whole in memory and goes to the file through the output stage, so a
// save takes the road of every other writer: into a new file that replaces
// the document's file only once it is complete.
#include <cstdint>
#include <vector>

class TDocument;
class TOutputFile;

// The document's file bytes in the coding (ciWord6 or ciWord97). Raises the
// silent abort or a stream error when a step fails; the document is left as
// it was (font and style numbers and style languages restored).
std::vector<uint8_t> BuildWordDocument(TDocument& document, int32_t coding);

// Writes the document through the output: 0 when it was written, 2 when a
// step failed (nothing is shown; the caller reports the result).
int32_t WriteWordDocument(TOutputFile& output);
