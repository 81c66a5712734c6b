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

size_t ViewOverlayPainter::ShownFrom(const std::string& utf8, size_t caret, int room) {
  caret = std::min(caret, utf8.size());
  size_t from = 0;
  while (from < caret && TextWidth(utf8.substr(from, caret - from)) > room) {
    // One character off the front: its lead byte and its continuation bytes.
    ++from;
    while (from < caret && (static_cast<unsigned char>(utf8[from]) & 0xC0) == 0x80) ++from;
  }
  return from;
}

std::string ViewOverlayPainter::ShownTail(const std::string& utf8, int room) {
  return utf8.substr(ShownFrom(utf8, utf8.size(), room));
}

void ViewOverlayPainter::Entry(Raster_IBitmap* dest, const ViewTextEntry& entry) {
  const ViewTextEntrySpec& request = entry.Request();
  const ViewRect& r = request.rect;
  Fill(dest, r, request.background);
  const ViewRect inner{r.x + 2, r.y, r.w - 4, r.h};
  // A text wider than the field shows the part that holds the caret, as a field
  // scrolls to keep the caret in view; the text clips at the field's right edge.
  const std::string& text = entry.Text();
  const size_t from = ShownFrom(text, entry.Caret(), inner.w - 2);
  const std::string shown = text.substr(from);
  const int width = TextWidth(shown);
  const ViewTextAlign align = from > 0 || width > inner.w - 2 ? ViewTextAlign::Left : request.align;
  int left = inner.x;
  if (align == ViewTextAlign::Center) left = inner.x + (inner.w - width) / 2;
  if (align == ViewTextAlign::Right) left = inner.x + inner.w - width;
  if (entry.AllSelected()) {
    Fill(dest, {left, r.y + 1, std::min(width, inner.w), r.h - 2}, ViewOverlayColours::kHighlight);
    Text(dest, inner, shown, ViewOverlayColours::kHighlightText, align);
    return;
  }
  Text(dest, inner, shown, request.foreground, align);
  const int caretX = left + TextWidth(text.substr(from, entry.Caret() - from)) + 1;
  Fill(dest, {std::min(caretX, r.x + r.w - 2), r.y + 2, 1, r.h - 4}, request.foreground);
}
