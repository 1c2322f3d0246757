#pragma once
// Conversions between bitmaps and enhanced metafiles, palette reduction of
// true-colour bitmaps, rotation and lightening: for pictures put into
// documents, on the clipboard or exported, and for the disabled look of images.
#include <cstdint>
#include <vector>

#include "platform/gdi/Metafile.h"
#include "platform/win/Geometry.h"

class TBitmap;
class TGraphic;
class TStream;

// Adds each distinct colour of a 24-bit bitmap to the list (0x00RRGGBB), row
// by row from the bottom row; stops after the first row at whose end the list
// holds more than 256 colours. For a transparent bitmap, white is then added
// when it is not in the list.
void CollectBitmapColors(TBitmap& bitmap, std::vector<uint32_t>& colors);
// Writes a DIB (header, colour table from the list, rows padded to 4 bytes)
// of 1, 4 or 8 bits per pixel, the fewest that hold the list's colours, every
// pixel replaced by the index of its colour. The list holds at most 256
// colours; a longer one is refused (nothing written, false).
bool BuildPalettedDIB(TBitmap& bitmap, const std::vector<uint32_t>& colors, TStream& stream);
// A 24-bit bitmap of at most 256 colours becomes a palette bitmap; any other
// bitmap stays as it is.
void ReduceBitmapColors(TBitmap& bitmap);
// Turns the bitmap by 90 degrees (8- and 24-bit pixels; others as 24 bits).
void RotateBitmap90(TBitmap& bitmap);
// Every channel c of a 24-bit bitmap becomes c + (255 - c) * 7 / 10.
void LightenBitmap(TBitmap& bitmap);
// Sizes the bitmap (to the metafile's frame in pixels of its reference
// device when size.cx is 0; never below 1 x 1), fills it white, plays the
// metafile into it and reduces its colours.
void MetafileToBitmap(HENHMETAFILE metafile, TBitmap& bitmap, TSize size);
// The same into a temporary bitmap, whose released handle is returned.
HBITMAP MetafileToBitmapHandle(HENHMETAFILE metafile, TSize size);
void AssignMetafileToGraphic(HENHMETAFILE metafile, TGraphic& graphic, TSize size);
// A metafile of the bitmap's size with the bitmap drawn on white, or drawn
// through its transparent colour when the bitmap is transparent.
HENHMETAFILE BitmapToMetafile(TBitmap& bitmap);
