#include "views/View_FrameBuffer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

void ViewFrameBuffer::Resize(int width, int height) {
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
  pixels_.assign(size_t(width_) * size_t(height_), PanelPixelFromRgb(0, 0, 0));
}

uint32_t ViewFrameBuffer::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return Row(y)[x];
}

void ViewFrameBuffer::CopyFrom(const uint32_t* src, int srcWidth, int srcHeight, int rowSpan, const ViewRect& area) {
  if (!src || rowSpan < srcWidth) return;
  const ViewRect r = ViewRectClip(ViewRectClip(area, width_, height_), srcWidth, srcHeight);
  for (int y = r.y; y < r.y + r.h; ++y)
    std::memcpy(MutableRow(y) + r.x, src + size_t(y) * size_t(rowSpan) + size_t(r.x), size_t(r.w) * sizeof(uint32_t));
}

namespace {

struct FileCloser {
  FILE* f;
  ~FileCloser() {
    if (f) std::fclose(f);
  }
};

// The picture through libpng, false when libpng gave up. On its own, so that the frame
// libpng's error jumps back into holds no string or vector a jump could leave behind.
bool WriteRgbRows(png_structp png, png_infop info, FILE* file, const ViewFrameBuffer& frame, png_byte* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(frame.Width()), png_uint_32(frame.Height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < frame.Height(); ++y) {
    const uint32_t* src = frame.Row(y);
    for (int x = 0; x < frame.Width(); ++x) {
      row[size_t(x) * 3] = PanelPixelRed(src[x]);
      row[size_t(x) * 3 + 1] = PanelPixelGreen(src[x]);
      row[size_t(x) * 3 + 2] = PanelPixelBlue(src[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

bool ViewFrameBuffer::SavePng(const std::string& path, std::string* error) const {
  if (width_ == 0 || height_ == 0) {
    if (error) *error = "nothing to save: the view is empty";
    return false;
  }
  FileCloser file{std::fopen(path.c_str(), "wb")};
  if (!file.f) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    if (error) *error = "out of memory writing " + path;
    return false;
  }
  std::vector<png_byte> row(size_t(width_) * 3);
  const bool written = WriteRgbRows(png, info, file.f, *this, row.data());
  png_destroy_write_struct(&png, &info);
  if (!written) {
    if (error) *error = "failed writing " + path;
    return false;
  }
  if (std::fflush(file.f) != 0) {
    if (error) *error = "failed writing " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}
