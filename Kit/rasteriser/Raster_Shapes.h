#pragma once
// Points, lines, outlines and fills in one colour.
// Every routine clips to the bitmap, accepts null bitmaps and any coordinates, and
// its work is bounded by the bitmap's size. Blending as in Raster_Blend.h; with
// RASTER_MODE_SOURCE_ALPHA the colour's own alpha multiplies the opacity.
//
// Coordinates: integer (x, y) is the pixel at column x, row y; a float point
// (x, y) lies in pixel (floor(x), floor(y)), its centre at (x + 0.5, y + 0.5).
// Angles: radians, 0 pointing up, growing clockwise.
// antiAlias gives edges partial coverage; without it a pixel is in or out.
//
// threads: any (on bitmaps no other thread uses meanwhile; no shared state here).

#include "rasteriser/Raster_Bitmap.h"
#include "rasteriser/Raster_Blend.h"

void Raster_PutPixel(Raster_IBitmap* dest, int x, int y, unsigned int color, float alpha, int mode);
// The pixel, or 0 for a null bitmap or a point outside it.
unsigned int Raster_GetPixel(Raster_IBitmap* bm, int x, int y);

// Includes both end points. Antialiased lines are one pixel wide, coverage split
// between the two pixels nearest the ideal line.
void Raster_Line(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
                 bool antiAlias);

// Outlines one pixel wide, centred on the radius r about (cx, cy): without
// antialiasing the pixels whose centres lie at r - 0.5 < distance <= r + 0.5.
void Raster_Arc(Raster_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, unsigned int color,
                float alpha, int mode, bool antiAlias);
void Raster_Circle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                   bool antiAlias);
// Edges on columns x and x + w and rows y and y + h (like a rect drawn with four
// lines), corners quarter circles of cornerRadius (at most half the shorter side).
void Raster_RoundRect(Raster_IBitmap* dest, float x, float y, float w, float h, int cornerRadius, unsigned int color,
                      float alpha, int mode, bool antiAlias);

// Pixels x .. x + w - 1, y .. y + h - 1.
void Raster_FillRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode);
// Pixels whose centre lies within r of (cx, cy); antialiased edges fade over one pixel.
void Raster_FillCircle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                       bool antiAlias);
// Vertices are pixel positions; every pixel whose centre lies inside the shape or on
// its edges is filled (vertices included).
void Raster_FillTriangle(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color,
                         float alpha, int mode);
// Convex polygon of npoints (x[i], y[i]); a non-convex one fills each row from its
// leftmost to its rightmost edge crossing. Fewer than one point draws nothing.
void Raster_FillConvexPolygon(Raster_IBitmap* dest, const int* x, const int* y, int npoints, unsigned int color,
                              float alpha, int mode);
