#pragma once
// Resampling of 24-bit bitmaps with a separable filter (the Mitchell-Netravali
// cubic, or the triangle when the program-wide flag asks for speed), and the
// stretched drawing of pictures that uses it.
#include "platform/framework/Bitmap.h"

// The program-wide filter choice: false (the default) the cubic filter, true
// the triangle filter.
bool ResampleFastFilter();
void SetResampleFastFilter(bool fast);

// Fills target (its size already set; made 24 bits per pixel) from source,
// which is read at 24 bits per pixel and left as it is.
void ResampleBitmap(TBitmap& source, TBitmap& target);

// Draws a picture into a destination rectangle as the image control paints:
// at its own size when the rectangle has it; resampled when the rectangle is
// at least 2 x 2 pixels; otherwise at its own size at the rectangle's corner.
// The picture itself is never changed.
void DrawResampledPicture(TCanvas& canvas, const TRect& dest, TGraphic* picture);
