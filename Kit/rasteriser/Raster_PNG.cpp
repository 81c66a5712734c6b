#include "rasteriser/Raster_PNG.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "rasteriser/Raster_Blend.h"

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the bytes A R G B are the pixel word in memory");

// Files above this are not panel images; refusing them keeps a bad path from
// filling memory.
constexpr long kMaxFileBytes = 256L * 1024 * 1024;

struct MemoryReader {
  const unsigned char* data;
  size_t size;
  size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->offset) png_error(png, "truncated");
  memcpy(out, reader->data + reader->offset, count);
  reader->offset += count;
}

// Whether every chunk up to IEND fits in the data. libpng allocates (and clears) a
// whole ancillary chunk before reading it, so a few bytes declaring a chunk of 2 GB
// would cost 2 GB; such a file cannot decode anyway, as the chunk is never there.
bool ChunksFit(const unsigned char* data, size_t size) {
  size_t offset = 8;
  while (size - offset >= 12) {
    const size_t length =
        static_cast<size_t>(data[offset]) << 24 | data[offset + 1] << 16 | data[offset + 2] << 8 | data[offset + 3];
    if (length > size - offset - 12) return false;
    if (memcmp(data + offset + 4, "IEND", 4) == 0) return true;
    offset += 12 + length;
  }
  return true;  // what is left is too short for a chunk: libpng refuses it
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Decodes into `pixels`, which it sizes. libpng's own transforms lay each pixel out
// as the bytes A R G B, which is the pixel word in memory, so no pass over the pixels
// follows. Only plain data lives in this frame: libpng leaves it with longjmp on any
// error.
bool Decode(MemoryReader* reader, Raster_MemBitmap* pixels, std::vector<png_bytep>* rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, reader, ReadFromMemory);
  png_set_user_limits(png, kRasterPNGMaxSide, kRasterPNGMaxSide);
  png_set_chunk_malloc_max(png, 8L * 1024 * 1024);
  png_read_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (static_cast<long>(width) * static_cast<long>(height) > kRasterPNGMaxPixels) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  const int colorType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  // R G B A becomes A R G B; an image without alpha gets an opaque one in front.
  if ((colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_swap_alpha(png);
  } else {
    png_set_add_alpha(png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "layout");

  const int w = static_cast<int>(width), h = static_cast<int>(height);
  if (!pixels->resize(w, h) || pixels->getWidth() != w || pixels->getHeight() != h) png_error(png, "memory");
  rows->resize(height);
  for (png_uint_32 y = 0; y < height; ++y) {
    (*rows)[y] = reinterpret_cast<png_bytep>(pixels->getBits() + static_cast<size_t>(y) * pixels->getRowSpan());
  }
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

Raster_IBitmap* Raster_LoadPNGFromMemory(const void* data, size_t size, Raster_IBitmap* bitmap) {
  if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
    return nullptr;
  }
  MemoryReader reader{static_cast<const unsigned char*>(data), size, 0};
  if (!ChunksFit(reader.data, size)) return nullptr;
  // Buffers live outside Decode so a longjmp out of libpng cannot skip their
  // destructors. A given bitmap is only touched once the whole image has decoded.
  auto decoded = std::make_unique<Raster_MemBitmap>(0, 0, 4);
  std::vector<png_bytep> rows;
  if (!Decode(&reader, decoded.get(), &rows)) return nullptr;
  if (!bitmap) return decoded.release();

  const int w = decoded->getWidth(), h = decoded->getHeight();
  if (!bitmap->resize(w, h) || bitmap->getWidth() != w || bitmap->getHeight() != h) return nullptr;
  for (int y = 0; y < h; ++y) {
    memcpy(bitmap->getBits() + static_cast<size_t>(y) * bitmap->getRowSpan(),
           decoded->getBits() + static_cast<size_t>(y) * decoded->getRowSpan(), static_cast<size_t>(w) * 4);
  }
  return bitmap;
}

Raster_IBitmap* Raster_LoadPNG(const char* path, Raster_IBitmap* bitmap) {
  if (!path) return nullptr;
  FILE* file = fopen(path, "rb");
  if (!file) return nullptr;
  std::vector<unsigned char> bytes;
  bool ok = fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? ftell(file) : -1;
  ok = ok && size > 0 && size <= kMaxFileBytes && fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  fclose(file);
  return ok ? Raster_LoadPNGFromMemory(bytes.data(), bytes.size(), bitmap) : nullptr;
}

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

void FlushNothing(png_structp) {}

// As Decode: only plain data in this frame, since libpng leaves it with longjmp.
bool Encode(std::vector<png_bytep>* rows, png_uint_32 width, png_uint_32 height, std::vector<unsigned char>* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, WriteToVector, FlushNothing);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows->data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool Raster_SavePNGToMemory(Raster_IBitmap* bitmap, std::vector<unsigned char>* out) {
  if (!bitmap || !out || !bitmap->getBits() || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) {
    return false;
  }
  const int w = bitmap->getWidth(), h = bitmap->getHeight();
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  const unsigned int* bits = bitmap->getBits();
  const long span = bitmap->getRowSpan();
  for (int y = 0; y < h; ++y) {
    unsigned char* row = rgba.data() + static_cast<size_t>(y) * w * 4;
    rows[static_cast<size_t>(y)] = row;
    for (int x = 0; x < w; ++x) {
      const unsigned int pixel = bits[span * y + x];
      row[4 * x] = static_cast<unsigned char>(Raster_Red(pixel));
      row[4 * x + 1] = static_cast<unsigned char>(Raster_Green(pixel));
      row[4 * x + 2] = static_cast<unsigned char>(Raster_Blue(pixel));
      row[4 * x + 3] = static_cast<unsigned char>(Raster_Alpha(pixel));
    }
  }
  out->clear();
  if (Encode(&rows, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), out)) return true;
  out->clear();
  return false;
}

bool Raster_SavePNG(const char* path, Raster_IBitmap* bitmap) {
  std::vector<unsigned char> bytes;
  if (!path || !Raster_SavePNGToMemory(bitmap, &bytes)) return false;
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && written;
}
