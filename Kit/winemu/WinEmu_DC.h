#pragma once
// Drawing contexts: 32-bit pixels plus the selected font and text colour.
//
// The first member is the pixel context the view back ends read to show a frame
// (standing in for the platform's bitmap graphics context). Pixels are words
// A | R << 8 | G << 16 | B << 24, rows top to bottom, rowSpan pixels apart.
//
// threads: any (a context belongs to one thread at a time).

#include "winemu/WinEmu_Types.h"

struct WinEmu_PixelContext {
  unsigned int* bits;  // null while the context is 0 x 0
  int width;
  int height;
  int rowSpan;
};

struct HDC__ {
  WinEmu_PixelContext context;  // first member: read by the view back ends
  HGDIOBJ font;                 // selected font, or null
  unsigned int textPixel;       // text colour as a pixel word; its alpha is used
  bool ownsBits;                // the context allocated bits (WinEmu_CreateMemoryDC)
};

// A context wrapping pixels owned elsewhere (not to be passed to DeleteDC).
inline HDC__ WinEmu_WrapPixels(unsigned int* bits, int width, int height, int rowSpan) {
  return HDC__{{bits, width, height, rowSpan}, nullptr, 0xFFu, false};
}

// A context owning width x height zeroed pixels (row span = width). A 0 x 0 or
// negative request, or a failed allocation, gives a context of size 0 x 0; null
// only when the record itself cannot be allocated.
HDC WinEmu_CreateMemoryDC(int width, int height);
// Reallocates the pixels of a context made by WinEmu_CreateMemoryDC (contents
// zeroed). False, and size 0 x 0, when they cannot be allocated.
bool WinEmu_ResizeMemoryDC(HDC dc, int width, int height);
// Frees a context made by WinEmu_CreateMemoryDC; null is ignored.
BOOL DeleteDC(HDC dc);

// Selects a font into the context; returns the font selected before.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Sets the text colour (a pixel word, alpha included); returns the previous one.
unsigned int WinEmu_SetTextPixel(HDC dc, unsigned int pixel);
