#pragma once
// The program-wide objects of the foundation, made in one step of start-up
// (CreateSharedManagers, after the options and the settings store exist and
// before the main frame) and freed in one step of shutdown
// (FreeSharedManagers, after the main frame is gone). A few are made on first
// use by their accessors and freed by the same shutdown step.
#include "platform/gdi/GdiTypes.h"

#include <cstdint>

class TCaretBitmap;
class TMemory;
class TServiceBitmap;

// Makes the scratch buffers, the two scratch bitmaps (the first one's context
// becomes the output context), sets the program's default character set and
// ANSI code page to the user locale's (CodePageRoutines.h),
// the caret bitmap, and the font, colour, kerning-pairs, measurements and
// style managers, in that order. Objects that already exist are kept.
void CreateSharedManagers();
// Frees all of them in the shutdown order; what was never made is skipped.
void FreeSharedManagers();

// Scratch memory buffers 1 to 5, 11 to 13 and 23 (the start-up table's
// numbering); null outside CreateSharedManagers and FreeSharedManagers.
TMemory* ScratchBuffer(int32_t number);
// The scratch bitmaps (1: the line painter's, 2: the second one).
TServiceBitmap* ServiceBitmap(int32_t number);
TCaretBitmap* CaretBitmap();
// The program-wide output device context all painters draw on: the first
// scratch bitmap's context on screen; printing and previews put another
// context in its place and restore it afterwards. Returns the previous one.
HDC OutputDC();
HDC SetOutputDC(HDC dc);

// A screen-compatible memory context holding the "PARFORMATATTRS" bitmap of
// the program's resources (the paragraph-attribute glyphs, 12 x 10 each,
// stacked), its rectangle (0, 0)-(12, 30) inverted once; made on first use.
// Null when the resource is missing or unreadable.
HDC GetParFormatAttrsDC();
