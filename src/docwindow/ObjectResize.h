#pragma once
// Resizing a picture or embedded object by one of its eight handles: the
// record the document window keeps while the mouse drags a handle, the frame
// that follows the mouse (each moving edge kept within the allowed sizes, a
// corner keeping the object's proportions when asked), and the scale the
// status bar shows.
#include "platform/win/Geometry.h"

#include <cstdint>
#include <string>

class TDocObject;
class TDocument;

struct TObjectResize {
    // The object: stored size in twips, scale in percent, proportions kept.
    int32_t StoredWidth = 0;
    int32_t StoredHeight = 0;
    int32_t ScaleX = 100;
    int32_t ScaleY = 100;
    bool KeepProportions = false;
    // 1 top-left, 2 top, 3 top-right, 4 left, 5 right, 6 bottom-left, 7 bottom, 8 bottom-right.
    uint8_t Handle = 0;
    // The object's rectangle when the drag began (document pixels).
    TRect StartRect{};
    int32_t MinWidth = 1;
    int32_t MinHeight = 1;
    int32_t MaxWidth = 0;
    int32_t MaxHeight = 0;
    TRect Frame{};
    TPoint GrabOffset{};
    bool FrameDrawn = false;
};

// Fills the record for a drag of the handle; false (nothing to drag) when the
// object has no stored size or no scale in either direction, since its
// proportions and scale could not be worked out.
bool BeginObjectResize(TObjectResize& resize, const TDocObject& object, uint8_t handle, const TRect& rect,
                       TSize minimum, TSize maximum, bool keepProportions);
// Moves the edges that the handle owns to the point (document pixels, the
// grab offset already added), each kept within the minimum and maximum
// distance to the opposite edge; a corner with proportions kept keeps the
// ratio of the scaled stored sizes.
void ResizeObjectFrame(TObjectResize& resize, TPoint point);
// "Échelle : largeur = w%, hauteur = h%" for the frame, against the stored size.
std::string ObjectScaleText(const TObjectResize& resize, const TDocument& document);
