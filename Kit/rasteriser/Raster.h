#pragma once
// The rasteriser: software drawing into 32-bit bitmaps.

#include "Raster_Bitmap.h"
#include "Raster_Blend.h"
#include "Raster_Blit.h"
#include "Raster_Font.h"
#include "Raster_PNG.h"
#include "Raster_Shapes.h"
