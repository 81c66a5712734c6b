#pragma once
// Fonts and text output on FreeType and fontconfig.
//
// Faces the system names that Debian lacks ("NK57 Monospace", "Consolas",
// "Monaco") map to DejaVu Sans Mono, else to fontconfig's "monospace"; any other
// face goes to fontconfig, which picks its closest match.
//
// threads: any. Fonts may be made and drawn from several threads; each font handle
// locks its glyph cache while measuring or drawing.

#include "winemu/WinEmu_DC.h"

// Format bits of WinEmu_DrawText.
enum : unsigned int {
  DT_CALCRECT = 0x1,  // measure only: rect becomes (0, 0, width, height)
  DT_VCENTER = 0x2,
  DT_CENTER = 0x4,
  DT_BOTTOM = 0x10,
  DT_RIGHT = 0x20,
  DT_NOCLIP = 0x100,
};

// Win32 quality codes the panel passes.
enum : int {
  DEFAULT_QUALITY = 0,
  NONANTIALIASED_QUALITY = 3,
  ANTIALIASED_QUALITY = 4,
};

// A font whose line height (ascent + descent) is `height` pixels (a negative height
// asks for that em size instead). weight >= 700 picks the bold face, italic non-zero
// the italic face; escapement (tenths of a degree, anticlockwise as in Win32)
// rotates the text. Quality NONANTIALIASED_QUALITY draws without antialiasing.
// Width, orientation, underline, strike-out, character set, precisions and pitch
// are accepted and not used. Null when height is 0 or no font file can be opened.
HGDIOBJ CreateFont(int height, int width, int escapement, int orientation, int weight, char italic, char underline,
                   char strikeOut, char charSet, char outPrecision, char clipPrecision, char quality,
                   char pitchAndFamily, const char* face);
// Frees a font handle; null is ignored. The handle must not be selected anywhere.
BOOL DeleteObject(HGDIOBJ object);

// Line height in pixels (ascent + descent) of a font, 0 for null.
int WinEmu_GetFontLineHeight(HGDIOBJ font);

// Draws one line of UTF-8 text (bytes that are not UTF-8 read as Latin-1;
// length -1 runs to the terminator) with the context's font and text colour
// (alpha included; alpha 0 draws nothing).
// The text box: horizontally the glyphs' ink, from the leftmost to the rightmost
// inked column; vertically the font's line (ascent + descent), so texts of one
// font share a baseline. Rotated text uses the ink box both ways.
// The box is placed in rect: left, or centred (DT_CENTER), or right (DT_RIGHT);
// top, or centred (DT_VCENTER), or bottom (DT_BOTTOM). Drawing is clipped to rect
// unless DT_NOCLIP, and always to the pixels.
// DT_CALCRECT draws nothing and sets rect to (0, 0, box width, box height).
// Returns the box height, 0 when there is no context, font or rect.
int WinEmu_DrawText(HDC dc, const char* text, int length, RECT* rect, int format);
