#include "RasterReference.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(uint32_t p, int index) { return static_cast<int>((p >> (8 * index)) & 0xFF); }
uint32_t Pack(const int c[4]) {
  uint32_t p = 0;
  for (int i = 0; i < 4; ++i) p |= static_cast<uint32_t>(c[i]) << (8 * i);
  return p;
}
int Mix(int d, int s, int w) { return static_cast<int>(std::lround((d * (255.0 - w) + s * w) / 255.0)); }

uint32_t BlendWeighted(uint32_t dst, uint32_t src, int w, int mode) {
  if (w == 0) return dst;
  const int op = mode & 0xFF;
  const bool plainCopy = (op != 1 && op != 2) && !(mode & RASTER_MODE_SOURCE_ALPHA);
  int out[4];
  out[0] = Mix(Channel(dst, 0), plainCopy ? Channel(src, 0) : 255, w);
  for (int i = 1; i < 4; ++i) {
    const int d = Channel(dst, i), s = Channel(src, i);
    if (op == 1) {
      out[i] = std::min(255, d + static_cast<int>(std::lround(s * w / 255.0)));
    } else if (op == 2) {
      const int t = s == 255 ? (d ? 255 : 0) : std::min(255, d * 255 / (255 - s));
      out[i] = Mix(d, t, w);
    } else {
      out[i] = Mix(d, s, w);
    }
  }
  return Pack(out);
}

}  // namespace

uint32_t RefOpacity(float alpha) {
  if (std::isnan(alpha) || alpha <= 0) return 0;
  if (alpha >= 1) return 255;
  return static_cast<uint32_t>(alpha * 255.0f + 0.5f);
}

uint32_t RefBlend(uint32_t dst, uint32_t src, float alpha, int mode) {
  const int o = static_cast<int>(RefOpacity(alpha));
  const int w = (mode & RASTER_MODE_SOURCE_ALPHA) ? static_cast<int>(std::lround(o * Channel(src, 0) / 255.0)) : o;
  return BlendWeighted(dst, src, w, mode);
}

uint32_t RefBlendColor(uint32_t dst, uint32_t color, float alpha, int mode) {
  return RefBlend(dst, color, alpha, mode);
}

void RefBlit(RefImage* dest, const RefImage& src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
             float alpha, int mode) {
  const RefImage source = src;  // a snapshot, so blitting an image into itself reads old pixels
  for (long j = 0; j < srch; ++j) {
    for (long i = 0; i < srcw; ++i) {
      const long sx = srcx + i, sy = srcy + j, dx = dstx + i, dy = dsty + j;
      if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height) continue;
      if (dx < 0 || dy < 0 || dx >= dest->width || dy >= dest->height) continue;
      uint32_t& d = dest->at(static_cast<int>(dx), static_cast<int>(dy));
      d = RefBlend(d, source.at(static_cast<int>(sx), static_cast<int>(sy)), alpha, mode);
    }
  }
}

uint32_t RefBilinear(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, int fx, int fy) {
  const uint32_t px[4] = {p00, p01, p10, p11};
  const long w[4] = {(128L - fx) * (128 - fy), 1L * fx * (128 - fy), (128L - fx) * fy, 1L * fx * fy};
  long asum = 0;
  for (int k = 0; k < 4; ++k) asum += w[k] * Channel(px[k], 0);
  if (asum == 0) return 0;
  int out[4];
  out[0] = static_cast<int>((asum + 8192) >> 14);
  for (int i = 1; i < 4; ++i) {
    long csum = 0;
    for (int k = 0; k < 4; ++k) csum += w[k] * Channel(px[k], 0) * Channel(px[k], i);
    out[i] = static_cast<int>((csum + asum / 2) / asum);
  }
  return Pack(out);
}

RefImage RefFromBitmap(Raster_IBitmap* bitmap) {
  RefImage image;
  image.width = bitmap->getWidth();
  image.height = bitmap->getHeight();
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.at(x, y) = bitmap->getBits()[static_cast<size_t>(y) * bitmap->getRowSpan() + x];
    }
  }
  return image;
}

void RefToBitmap(const RefImage& image, Raster_IBitmap* bitmap) {
  bitmap->resize(image.width, image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      bitmap->getBits()[static_cast<size_t>(y) * bitmap->getRowSpan() + x] = image.at(x, y);
    }
  }
}

RefImage RandomImage(std::mt19937& rng, int width, int height) {
  RefImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height);
  std::uniform_int_distribution<uint32_t> word;
  for (uint32_t& p : image.pixels) {
    p = word(rng);
    const uint32_t kind = p % 3;
    if (kind == 0) p |= 0xFF;
    if (kind == 1) p &= ~0xFFu;
  }
  return image;
}
