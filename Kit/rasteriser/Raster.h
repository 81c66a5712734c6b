#pragma once
// The rasteriser: software drawing into 32-bit bitmaps.

#include "rasteriser/Raster_Bitmap.h"
#include "rasteriser/Raster_Blend.h"
#include "rasteriser/Raster_Blit.h"
#include "rasteriser/Raster_Font.h"
#include "rasteriser/Raster_PNG.h"
#include "rasteriser/Raster_Shapes.h"
