#pragma once
// Copying pixels between bitmaps: plain, scaled and rotated blits.
// Every routine clips to both bitmaps, accepts null bitmaps and any coordinates,
// and blends by mode and opacity as Raster_Blend.h writes down.
// A source and destination may be the same bitmap.
//
// threads: any (on bitmaps no other thread uses meanwhile; no shared state here).

#include "rasteriser/Raster_Bitmap.h"
#include "rasteriser/Raster_Blend.h"

// Copies the source rect (srcx, srcy, srcw, srch) to (dstx, dsty). Modes used:
// 0, 0x10000, 0x10001, 0x10002. A width or height of 0 or less draws nothing.
void Raster_Blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
                 float alpha, int mode);

// Scales the float source rect into the destination rect: bilinear with
// RASTER_MODE_FILTERED (0x100), nearest pixel centre without it.
void Raster_ScaledBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                       float srcy, float srcw, float srch, float alpha, int mode);

// Draws the source rect into the destination rect rotated clockwise by angle
// (radians) about the destination rect's centre moved by (rotxcent, rotycent); the
// matching point of the source rect (its centre, moved by the same amount scaled)
// stays put, so angle 0 is a plain scaled blit. With clipToSourceRect the samples come
// only from the source rect, otherwise from the whole source bitmap.
void Raster_RotatedBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                        float srcy, float srcw, float srch, float angle, bool clipToSourceRect, float alpha, int mode,
                        float rotxcent, float rotycent);

// Resizes dest to the source's size and copies every pixel. When dest cannot be
// resized it is left 0 x 0.
void Raster_Copy(Raster_IBitmap* dest, Raster_IBitmap* src);

// pixel = (pixel & mask) | orbits over the clipped rect.
void Raster_ClearRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int mask, unsigned int orbits);
