#pragma once
// The graphics layer as a whole.
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Printing.h"
#include "platform/gdi/Regions.h"
