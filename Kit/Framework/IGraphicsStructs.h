#pragma once
// Value types shared by the panel surface, its controls and the views:
// rectangles, colours, text styles, loaded images, blends and mouse modifiers.

#include <algorithm>
#include <cstdint>
#include <cstring>

class Raster_IBitmap;
class Raster_IFont;

// Colour as alpha, red, green, blue, each 0..255.
struct IColor {
  int A = 0, R = 0, G = 0, B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  constexpr bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  constexpr bool operator!=(const IColor& o) const { return !(*this == o); }

  // The rasteriser's pixel: A | R << 8 | G << 16 | B << 24. Every channel is
  // masked to 8 bits so an out-of-range alpha cannot spill into red.
  constexpr uint32_t ToPixel() const {
    return uint32_t(A & 0xFF) | uint32_t(R & 0xFF) << 8 | uint32_t(G & 0xFF) << 16 | uint32_t(B & 0xFF) << 24;
  }
  static constexpr IColor FromPixel(uint32_t p) {
    return IColor(int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF), int(p >> 24 & 0xFF));
  }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// Integer rectangle; left/top inclusive, right/bottom exclusive for hits.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  constexpr IRECT() = default;
  constexpr IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  constexpr int W() const { return R - L; }
  constexpr int H() const { return B - T; }
  // Empty means all four values are 0 (the panel's notion, not zero area).
  constexpr bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  constexpr bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  constexpr bool operator!=(const IRECT& o) const { return !(*this == o); }

  constexpr bool Contains(int x, int y) const { return x >= L && x < R && y >= T && y < B; }
  constexpr bool Intersects(const IRECT& o) const {
    return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
  }
  constexpr IRECT Union(const IRECT& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
  }
  constexpr IRECT Intersect(const IRECT& o) const {
    if (!Intersects(o)) return IRECT();
    return IRECT(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
  }
};

// How a control's drawing is blended: method and opacity 0..1.
struct IChannelBlend {
  enum EBlendMethod { kBlendNone = 0, kBlendClobber = 1, kBlendAdd = 2, kBlendColorDodge = 3 };
  int method = kBlendNone;
  float weight = 1.0f;

  constexpr IChannelBlend() = default;
  constexpr IChannelBlend(int m, float w = 1.0f) : method(m), weight(w) {}
};

// Text style. Colour and quality are not part of the font cache's key: styles
// that differ only in those share one font.
struct IText {
  static constexpr int kFontNameSize = 32;
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EVAlign { kVAlignTop = 0, kVAlignBottom = 1, kVAlignCenter = 2 };

  char font[kFontNameSize] = "Consolas";
  int size = 12;
  IColor color = DEFAULT_TEXT_COLOR;
  IColor textEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
  IColor textEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
  int style = kStyleNormal;
  int align = kAlignCenter;
  int valign = kVAlignCenter;
  int orientation = 0;  // degrees
  int quality = 3;
  // Set by the first draw; fonts live in the process-wide cache until exit.
  Raster_IFont* cachedFont = nullptr;

  IText() = default;
  IText(int sz, const IColor& col, const char* face = nullptr, int st = kStyleNormal, int al = kAlignCenter,
        int va = kVAlignCenter, int orient = 0, int qual = 3)
      : size(sz), color(col), style(st), align(al), valign(va), orientation(orient), quality(qual) {
    if (face) SetFont(face);
  }

  // Copies the face name, cut to fit the field.
  void SetFont(const char* face) {
    std::memset(font, 0, sizeof font);
    for (int i = 0; face && face[i] && i < kFontNameSize - 1; ++i) font[i] = face[i];
  }
};

// A loaded image: a strip of `frames` frames, stacked unless framesHorizontal.
// The pixels belong to the process-wide bitmap cache, never to the IBitmap.
struct IBitmap {
  Raster_IBitmap* data = nullptr;
  int W = 0;
  int H = 0;
  int N = 1;
  bool framesHorizontal = false;

  IBitmap() = default;
  IBitmap(Raster_IBitmap* d, int w, int h, int n = 1, bool horizontal = false)
      : data(d), W(w), H(h), N(n), framesHorizontal(horizontal) {}

  // Size of one frame; a strip claiming fewer than one frame counts as one.
  int FrameCount() const { return N < 1 ? 1 : N; }
  int FrameWidth() const { return framesHorizontal ? W / FrameCount() : W; }
  int FrameHeight() const { return framesHorizontal ? H : H / FrameCount(); }
};

// Mouse buttons and modifier keys as the views report them.
struct IMouseMod {
  bool L = false;  // left button
  bool R = false;  // right button, or Command with the left button
  bool S = false;  // Shift
  bool C = false;  // Control
  bool A = false;  // Alt

  constexpr IMouseMod() = default;
  constexpr IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};

// Angles of knobs and rotated images.
inline constexpr double kIGraphicsPi = 3.14159265358979323846;

enum EDirection { kVertical = 0, kHorizontal = 1 };
enum EFileAction { kFileOpen = 0, kFileSave = 1 };
