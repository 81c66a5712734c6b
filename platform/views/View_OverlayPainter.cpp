#include "views/View_OverlayPainter.h"

#include "views/View_FrameBuffer.h"

#include <algorithm>

namespace {

unsigned int Pixel(uint32_t rgb) { return PanelPixelFromRgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)); }

}  // namespace

void ViewOverlayPainter::SetFont(const std::string& face, int size) {
  const int pixels = size > 0 ? size : kSize;
  font_.SetFromHFont(CreateFont(-pixels, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, face.c_str()),
                     RASTER_FONT_OWNS_HANDLE);
}

int ViewOverlayPainter::LineHeight() {
  const int h = font_.GetLineHeight();
  return h > 0 ? h : 1;
}

int ViewOverlayPainter::TextWidth(const std::string& utf8) {
  if (utf8.empty()) return 0;
  uint32_t scratchPixel = 0;
  ViewPixelsBitmap scratch(&scratchPixel, 1, 1, 1);
  RECT r{0, 0, 1, 1};
  font_.DrawText(&scratch, utf8.c_str(), -1, &r, RASTER_DT_MEASURE);
  return r.right - r.left;
}

void ViewOverlayPainter::Fill(Raster_IBitmap* dest, const ViewRect& r, uint32_t rgb) {
  Raster_FillRect(dest, r.x, r.y, r.w, r.h, Pixel(rgb), 1.0f, 0);
}

void ViewOverlayPainter::Frame(Raster_IBitmap* dest, const ViewRect& r, uint32_t rgb) {
  if (r.IsEmpty()) return;
  Fill(dest, {r.x, r.y, r.w, 1}, rgb);
  Fill(dest, {r.x, r.y + r.h - 1, r.w, 1}, rgb);
  Fill(dest, {r.x, r.y, 1, r.h}, rgb);
  Fill(dest, {r.x + r.w - 1, r.y, 1, r.h}, rgb);
}

void ViewOverlayPainter::Text(Raster_IBitmap* dest, const ViewRect& r, const std::string& utf8, uint32_t rgb,
                              ViewTextAlign align) {
  if (utf8.empty() || r.IsEmpty()) return;
  RECT rect{r.x, r.y, r.x + r.w, r.y + r.h};
  unsigned int format = RASTER_DT_VCENTER;
  if (align == ViewTextAlign::Center) format |= RASTER_DT_CENTER;
  if (align == ViewTextAlign::Right) format |= RASTER_DT_RIGHT;
  font_.SetTextColor(Pixel(rgb));
  font_.DrawText(dest, utf8.c_str(), -1, &rect, format);
}

std::string ViewOverlayPainter::ShownTail(const std::string& utf8, int room) {
  size_t from = 0;
  while (from < utf8.size() && TextWidth(utf8.substr(from)) > room) {
    // One character off the front: its lead byte and its continuation bytes.
    ++from;
    while (from < utf8.size() && (static_cast<unsigned char>(utf8[from]) & 0xC0) == 0x80) ++from;
  }
  return utf8.substr(from);
}

void ViewOverlayPainter::Entry(Raster_IBitmap* dest, const ViewTextEntry& entry) {
  const ViewTextEntrySpec& request = entry.Request();
  const ViewRect& r = request.rect;
  Fill(dest, r, request.background);
  const ViewRect inner{r.x + 2, r.y, r.w - 4, r.h};
  // The caret stands after the last character: a text wider than the field shows
  // its end, as a field scrolls to keep the caret in view.
  const std::string shown = ShownTail(entry.Text(), inner.w - 2);
  const ViewTextAlign align = shown.size() < entry.Text().size() ? ViewTextAlign::Left : request.align;
  const int width = TextWidth(shown);
  int left = inner.x;
  if (align == ViewTextAlign::Center) left = inner.x + (inner.w - width) / 2;
  if (align == ViewTextAlign::Right) left = inner.x + inner.w - width;
  if (entry.AllSelected()) {
    Fill(dest, {left, r.y + 1, width, r.h - 2}, ViewOverlayColours::kHighlight);
    Text(dest, inner, shown, ViewOverlayColours::kHighlightText, align);
    return;
  }
  Text(dest, inner, shown, request.foreground, align);
  Fill(dest, {std::min(left + width + 1, r.x + r.w - 2), r.y + 2, 1, r.h - 4}, request.foreground);
}
