#pragma once
// Draws the back end's own widgets (popup menus, the text entry, message boxes, the
// path prompt) on top of the panel with the rasteriser: the platform's native
// widgets do not exist here.

#include <cstdint>
#include <string>

#include "rasteriser/Raster.h"
#include "views/View_Geometry.h"
#include "views/View_TextEntry.h"

// External pixels seen as a rasteriser bitmap (not resizable).
class ViewPixelsBitmap : public Raster_IBitmap {
public:
  ViewPixelsBitmap(uint32_t* bits, int width, int height, int rowSpan)
      : bits_(bits), width_(width), height_(height), rowSpan_(rowSpan) {}
  unsigned int* getBits() override { return bits_; }
  int getWidth() const override { return width_; }
  int getHeight() const override { return height_; }
  int getRowSpan() const override { return rowSpan_; }
  bool resize(int, int) override { return false; }

private:
  uint32_t* bits_;
  int width_, height_, rowSpan_;
};

// Colours of the widgets, 0xRRGGBB.
struct ViewOverlayColours {
  static constexpr uint32_t kFace = 0xF0F0F0;
  static constexpr uint32_t kFrame = 0x707070;
  static constexpr uint32_t kText = 0x000000;
  static constexpr uint32_t kDisabledText = 0x9A9A9A;
  static constexpr uint32_t kHighlight = 0x3875D7;
  static constexpr uint32_t kHighlightText = 0xFFFFFF;
};

class ViewOverlayPainter {
public:
  // The widgets' own font; a text entry asks for its face and size with SetFont.
  static constexpr const char* kFace = "Monaco";
  static constexpr int kSize = 12;

  ViewOverlayPainter() { SetFont(kFace, kSize); }
  ViewOverlayPainter(const ViewOverlayPainter&) = delete;
  ViewOverlayPainter& operator=(const ViewOverlayPainter&) = delete;

  void SetFont(const std::string& face, int size);
  // Line height of the font; at least 1, so layouts stay sane without a font.
  int LineHeight();
  int TextWidth(const std::string& utf8);

  void Fill(Raster_IBitmap* dest, const ViewRect& r, uint32_t rgb);
  void Frame(Raster_IBitmap* dest, const ViewRect& r, uint32_t rgb);
  // One line of text in r, vertically centred, clipped to r.
  void Text(Raster_IBitmap* dest, const ViewRect& r, const std::string& utf8, uint32_t rgb, ViewTextAlign align);
  // An open text entry: its colours, text, selection and caret. Set the entry's font first.
  void Entry(Raster_IBitmap* dest, const ViewTextEntry& entry);
  // Where the shown part of a text starts so that the text before `caret` fits in
  // `room` pixels: 0 while it fits, else the first whole character that lets it.
  size_t ShownFrom(const std::string& utf8, size_t caret, int room);
  // The end of the text that fits in `room` pixels: all of it when it fits.
  std::string ShownTail(const std::string& utf8, int room);

private:
  Raster_CachedFont font_;
};
