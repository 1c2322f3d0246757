#pragma once
// Display-scale conversions between layout units and the units of the view.
// Layout works in layout units; the view shows them either scaled by the
// document's percentages (a document with a scaled view) or at a fixed ratio of
// 8 layout units per view unit. Every hit test, caret position and painted
// coordinate goes through these four routines, so their rounding is fixed: in
// the unscaled case a value taken to the view and back lands where it started,
// and negative values are rounded by reflection (through 1 - v) so that the two
// sides of 0 meet without a gap.
#include <cstdint>

// What a document tells about its view. No scale at all (nullptr) counts as
// unscaled.
struct TViewScale {
    // The document has a scaled view.
    bool Scaled = false;
    // Percentage of the horizontal pair (the zoom).
    int32_t Zoom = 100;
    // Percentage of the vertical pair (the document's second scale).
    int32_t SecondZoom = 100;
};

// The fixed ratio of the unscaled view.
constexpr int32_t UnscaledViewRatio = 8;

int32_t ScaleToViewX(const TViewScale* scale, int32_t value);
int32_t ScaleFromViewX(const TViewScale* scale, int32_t value);
int32_t ScaleToViewY(const TViewScale* scale, int32_t value);
int32_t ScaleFromViewY(const TViewScale* scale, int32_t value);
