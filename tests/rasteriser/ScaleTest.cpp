// Raster_ScaledBlit and Raster_RotatedBlit.
#include <gtest/gtest.h>

#include <cmath>

#include "RasterReference.h"
#include "rasteriser/Raster_Kernels.h"

namespace {

RefImage Uniform(int w, int h, uint32_t p) {
  RefImage image;
  image.width = w;
  image.height = h;
  image.pixels.assign(static_cast<size_t>(w) * h, p);
  return image;
}

// A panel image as the bitmap cache loads it: trunc(size x scale), filtered.
std::unique_ptr<Raster_MemBitmap> LoadScaled(Raster_IBitmap* src, double scale) {
  auto out = std::make_unique<Raster_MemBitmap>(static_cast<int>(src->getWidth() * scale),
                                                static_cast<int>(src->getHeight() * scale), 4);
  Raster_ScaledBlit(out.get(), src, 0, 0, out->getWidth(), out->getHeight(), 0, 0, static_cast<float>(src->getWidth()),
                    static_cast<float>(src->getHeight()), 1.0f, RASTER_MODE_FILTERED);
  return out;
}

TEST(ScaledBlit, UniformImageStaysUniformAtEveryScale) {
  for (uint32_t colour : {0xFF336699u, 0x80FFFFFFu, 0x00000000u}) {
    Raster_MemBitmap src;
    RefToBitmap(Uniform(100, 40, colour), &src);
    for (double scale : {0.75, 1.0, 1.25, 0.33, 2.7}) {
      auto out = LoadScaled(&src, scale);
      const RefImage got = RefFromBitmap(out.get());
      for (uint32_t p : got.pixels) ASSERT_EQ(p, colour) << scale;
    }
  }
}

TEST(ScaledBlit, HundredByFortyAtThreeQuartersIsSeventyFiveByThirtyFullyCovered) {
  Raster_MemBitmap src;
  RefToBitmap(Uniform(100, 40, 0xFF0000FF), &src);
  auto out = LoadScaled(&src, 0.75);
  EXPECT_EQ(out->getWidth(), 75);
  EXPECT_EQ(out->getHeight(), 30);
  EXPECT_EQ(Raster_GetPixel(out.get(), 74, 29), 0xFF0000FFu);
  EXPECT_EQ(Raster_GetPixel(out.get(), 0, 0), 0xFF0000FFu);
}

// A vertical strip of frames, each its own colour: after scaling, each frame's rows
// keep its colour, apart from at most one boundary row that mixes only the two
// neighbouring frames.
void CheckStrip(double scale) {
  const int frames = 5, frameH = 40, w = 12;
  const uint32_t colours[frames] = {Raster_Pixel(255, 255, 0, 0), Raster_Pixel(255, 0, 255, 0),
                                    Raster_Pixel(255, 0, 0, 255), Raster_Pixel(255, 255, 255, 255),
                                    Raster_Pixel(255, 128, 128, 128)};
  RefImage strip = Uniform(w, frames * frameH, 0);
  for (int y = 0; y < frames * frameH; ++y) {
    for (int x = 0; x < w; ++x) strip.at(x, y) = colours[y / frameH];
  }
  Raster_MemBitmap src;
  RefToBitmap(strip, &src);
  auto out = LoadScaled(&src, scale);
  const int scaledH = out->getHeight();
  ASSERT_EQ(scaledH, static_cast<int>(frames * frameH * scale));
  for (int f = 0; f < frames; ++f) {
    // The frame offset the panel uses to draw frame f + 1.
    const int start = static_cast<int>(f * scaledH / static_cast<double>(frames) + 0.5);
    const int end = static_cast<int>((f + 1) * scaledH / static_cast<double>(frames) + 0.5);
    for (int y = start + 1; y < end - 1; ++y) {
      ASSERT_EQ(Raster_GetPixel(out.get(), 5, y), colours[f]) << "scale " << scale << " row " << y;
    }
    for (int y : {start, end - 1}) {
      const uint32_t p = Raster_GetPixel(out.get(), 5, y);
      const bool fromNeighbours = p == colours[f] || (f > 0 && y == start) || (f < frames - 1 && y == end - 1);
      EXPECT_TRUE(fromNeighbours) << "scale " << scale << " row " << y;
    }
  }
}

TEST(ScaledBlit, FrameStripsKeepWholeFramesAtSmallAndLargeScale) {
  CheckStrip(0.75);
  CheckStrip(1.25);
}

TEST(ScaledBlit, ThreeQuartersOfWholeFramesIsExactWithNoBleeding) {
  // 40-pixel frames at 0.75 become 30-pixel frames whose every row is pure.
  const uint32_t blue = Raster_Pixel(255, 0, 0, 255), red = Raster_Pixel(255, 255, 0, 0);
  RefImage strip = Uniform(4, 80, blue);
  for (int y = 40; y < 80; ++y) {
    for (int x = 0; x < 4; ++x) strip.at(x, y) = red;
  }
  Raster_MemBitmap src;
  RefToBitmap(strip, &src);
  auto out = LoadScaled(&src, 0.75);
  for (int y = 0; y < 60; ++y) EXPECT_EQ(Raster_GetPixel(out.get(), 1, y), y < 30 ? blue : red);
}

TEST(ScaledBlit, TransparentNeighboursLendNoDarkFringe) {
  // An opaque red pixel among transparent black: every mixed pixel stays pure red.
  RefImage image = Uniform(5, 5, 0x00000000);
  image.at(2, 2) = Raster_Pixel(255, 255, 0, 0);
  Raster_MemBitmap src;
  RefToBitmap(image, &src);
  Raster_MemBitmap out(13, 13);
  Raster_ScaledBlit(&out, &src, 0, 0, 13, 13, 0, 0, 5, 5, 1.0f, RASTER_MODE_FILTERED);
  int partial = 0;
  for (uint32_t p : RefFromBitmap(&out).pixels) {
    if (Raster_Alpha(p) == 0) continue;
    EXPECT_EQ(p & 0xFFFFFF00u, Raster_Pixel(0, 255, 0, 0)) << std::hex << p;
    partial += Raster_Alpha(p) < 255;
  }
  EXPECT_GT(partial, 0);
}

// The bilinear result of the whole image scaled to dw x dh from the source rect, by
// its definition: pixel-centre mapping, taps clamped to the source area, 7-bit
// fractions taken from the 16.16 coordinate.
RefImage RefScaled(const RefImage& image, int dw, int dh, float sx, float sy, float sw, float sh) {
  auto taps = [](int i, double origin, double scale, int lo, int hi, int* a, int* b, int* f) {
    const double u = origin + (i + 0.5) * scale - 0.5;
    const double fixed = std::floor(u * 65536.0 + 0.5);
    const long base = static_cast<long>(std::floor(fixed / 65536.0));
    *f = static_cast<int>((static_cast<long>(fixed) >> 9) & 127);
    *a = static_cast<int>(std::clamp<long>(base, lo, hi));
    *b = static_cast<int>(std::clamp<long>(base + 1, lo, hi));
  };
  const int loX = std::max(0, static_cast<int>(std::floor(sx)));
  const int loY = std::max(0, static_cast<int>(std::floor(sy)));
  const int hiX = std::min(image.width - 1, static_cast<int>(std::ceil(static_cast<double>(sx) + sw)) - 1);
  const int hiY = std::min(image.height - 1, static_cast<int>(std::ceil(static_cast<double>(sy) + sh)) - 1);
  RefImage out = Uniform(dw, dh, 0);
  for (int y = 0; y < dh; ++y) {
    int y0, y1, fy;
    taps(y, sy, static_cast<double>(sh) / dh, loY, hiY, &y0, &y1, &fy);
    for (int x = 0; x < dw; ++x) {
      int x0, x1, fx;
      taps(x, sx, static_cast<double>(sw) / dw, loX, hiX, &x0, &x1, &fx);
      out.at(x, y) = RefBilinear(image.at(x0, y0), image.at(x1, y0), image.at(x0, y1), image.at(x1, y1), fx, fy);
    }
  }
  return out;
}

// Alpha patterns that steer rows to every path: one alpha for the whole image,
// anything per pixel, antialiased discs (transparent corners, opaque bodies, soft
// rims), opaque rows between rows of any alpha, opaque rows whose last pixel
// differs, and opaque and clear blocks in rows of several alphas.
enum class AlphaPattern { kOpaque, kHalf, kClear, kRandom, kDiscs, kStripes, kLastDiffers, kBlocks };

RefImage Patterned(AlphaPattern pattern, int w, int h, std::mt19937& rng) {
  RefImage image = RandomImage(rng, w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t& p = image.at(x, y);
      const uint32_t colour = p & 0xFFFFFF00u;
      switch (pattern) {
        case AlphaPattern::kOpaque: p = colour | 255; break;
        case AlphaPattern::kHalf: p = colour | 128; break;
        case AlphaPattern::kClear: p = colour; break;
        case AlphaPattern::kRandom: break;
        case AlphaPattern::kDiscs: {
          const double cover = std::clamp(5.5 - std::hypot(x % 12 - 5.5, y % 12 - 5.5), 0.0, 1.0);
          p = colour | static_cast<uint32_t>(cover * 255 + 0.5);
          break;
        }
        case AlphaPattern::kStripes:
          if (y % 2 == 0) p = colour | 255;
          break;
        case AlphaPattern::kLastDiffers: p = colour | (x == w - 1 && y % 3 == 0 ? 254 : 255); break;
        case AlphaPattern::kBlocks: p = colour | (x == 0 ? 77 : (x / 12) % 2 * 255); break;
      }
    }
  }
  return image;
}

TEST(ScaledBlit, FastPathsEqualTheDefinitionOverSizesScalesAndAlphas) {
  struct Case {
    int srcW, srcH;              // source image
    int dstx, dsty, dstw, dsth;  // into a 64 x 48 destination
    float sx, sy, sw, sh;        // source rect
  };
  const Case cases[] = {
      {40, 30, 0, 0, 30, 22, 0, 0, 40, 30},         // 0.75, whole image
      {40, 30, 3, 2, 50, 37, 0, 0, 40, 30},         // 1.25
      {40, 30, -7, -5, 50, 37, 2.5f, 1, 33, 25},    // sub-rect, partly outside
      {9, 7, 0, 0, 23, 5, 1.3f, 0.6f, 6.2f, 5.5f},  // fractional rect
      {37, 29, 0, 0, 100, 9, 0, 0, 37, 29},         // clipped at the right
      {64, 3, 1, 1, 17, 3, 0, 0, 64, 3},            // strong reduction
      {5, 5, 0, 0, 13, 13, -2, -2, 9, 9},           // rect beyond the image
      {40, 30, 0, 0, 1, 7, 0, 0, 40, 30},           // widths around the vector steps
      {40, 30, 0, 0, 7, 7, 0, 0, 40, 30},
      {40, 30, 0, 0, 9, 7, 0, 0, 40, 30},
      {40, 30, 0, 0, 17, 7, 0, 0, 40, 30},
      {40, 30, 3, 2, 40, 30, 0, 0, 40, 30},   // 1:1, clipped at the right and bottom
      {40, 30, 0, 0, 20, 30, 11, 0, 20, 30},  // 1:1 from a sub-rect
      {40, 30, 0, 0, 40, 15, 0, 0, 40, 30},   // 1:1 across only
      {40, 30, 0, 0, 20, 30, 0, 0, 40, 30},   // 1:1 down only
      {40, 30, 0, 0, 13, 10, 0, 0, 39, 30},   // 3:1, every tap on a pixel centre
  };
  const struct {
    float opacity;
    int mode;
  } blends[] = {{1.0f, RASTER_MODE_FILTERED}, {0.6f, RASTER_MODE_FILTERED | RASTER_MODE_SOURCE_ALPHA}};
  std::mt19937 rng(42);
  for (bool wide : {true, false}) {
    Raster_AllowWideVectors(wide);
    for (int pattern = 0; pattern <= static_cast<int>(AlphaPattern::kBlocks); ++pattern) {
      for (const Case& c : cases) {
        const RefImage image = Patterned(static_cast<AlphaPattern>(pattern), c.srcW, c.srcH, rng);
        const RefImage background = RandomImage(rng, 64, 48);
        const RefImage scaled = RefScaled(image, c.dstw, c.dsth, c.sx, c.sy, c.sw, c.sh);
        for (const auto& blend : blends) {
          RefImage expected = background;
          RefBlit(&expected, scaled, c.dstx, c.dsty, 0, 0, c.dstw, c.dsth, blend.opacity, blend.mode);
          Raster_MemBitmap src, out;
          RefToBitmap(image, &src);
          RefToBitmap(background, &out);
          Raster_ScaledBlit(&out, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.sx, c.sy, c.sw, c.sh, blend.opacity,
                            blend.mode);
          const RefImage got = RefFromBitmap(&out);
          for (size_t i = 0; i < got.pixels.size(); ++i) {
            ASSERT_EQ(got.pixels[i], expected.pixels[i])
                << "pixel " << i % 64 << "," << i / 64 << " pattern " << pattern << " wide " << wide << " case "
                << &c - cases << " opacity " << blend.opacity;
          }
        }
      }
    }
  }
  Raster_AllowWideVectors(true);
}

TEST(ScaledBlit, IntoItselfDrawsAsFromACopy) {
  struct Case {
    int dstx, dsty, dstw, dsth;
    float sx, sy, sw, sh;
    float opacity;
    int mode;
  };
  const Case cases[] = {
      {0, 0, 40, 30, 0, 0, 40, 30, 1.0f, RASTER_MODE_FILTERED},                             // in place
      {5, 3, 21, 10, 5, 3, 21, 10, 0.6f, RASTER_MODE_FILTERED | RASTER_MODE_SOURCE_ALPHA},  // in place, blended
      {-4, -2, 50, 40, -4, -2, 50, 40, 1.0f, RASTER_MODE_FILTERED},                         // in place, clipped
      {0, 0, 40, 30, 0, 0, 40, 30, 1.0f, RASTER_MODE_COPY},                                 // in place, nearest
      {2, 1, 40, 30, 0, 0, 40, 30, 1.0f, RASTER_MODE_FILTERED},                             // shifted: overlaps
      {0, 0, 20, 15, 0, 0, 40, 30, 1.0f, RASTER_MODE_FILTERED},                             // reduced
  };
  std::mt19937 rng(7);
  for (const Case& c : cases) {
    const RefImage image = Patterned(AlphaPattern::kRandom, 40, 30, rng);
    Raster_MemBitmap self, copy, expected;
    RefToBitmap(image, &self);
    RefToBitmap(image, &copy);
    RefToBitmap(image, &expected);
    Raster_ScaledBlit(&expected, &copy, c.dstx, c.dsty, c.dstw, c.dsth, c.sx, c.sy, c.sw, c.sh, c.opacity, c.mode);
    Raster_ScaledBlit(&self, &self, c.dstx, c.dsty, c.dstw, c.dsth, c.sx, c.sy, c.sw, c.sh, c.opacity, c.mode);
    EXPECT_EQ(RefFromBitmap(&self).pixels, RefFromBitmap(&expected).pixels) << "case " << &c - cases;
  }
}

TEST(ScaledBlit, EqualAlphaShortcutAgreesWithTheGeneralFormula) {
  std::mt19937 rng(8);
  std::uniform_int_distribution<uint32_t> word;
  for (int i = 0; i < 20000; ++i) {
    const uint32_t a = (i % 3 == 0) ? 255 : word(rng) & 0xFF;
    uint32_t p[4];
    for (uint32_t& v : p) v = (word(rng) & 0xFFFFFF00u) | a;
    const int fx = static_cast<int>(word(rng) % 128), fy = static_cast<int>(word(rng) % 128);
    // Four pixels of one alpha as a 2x2 image, sampled at the fraction's point.
    RefImage img = Uniform(2, 2, 0);
    img.at(0, 0) = p[0];
    img.at(1, 0) = p[1];
    img.at(0, 1) = p[2];
    img.at(1, 1) = p[3];
    Raster_MemBitmap src, out(1, 1);
    RefToBitmap(img, &src);
    // Destination pixel centre 0.5 maps to 0.5 + fx/128 - 0.5 with scale 1.
    Raster_ScaledBlit(&out, &src, 0, 0, 1, 1, fx / 128.0f, fy / 128.0f, 1, 1, 1.0f, RASTER_MODE_FILTERED);
    ASSERT_EQ(Raster_GetPixel(&out, 0, 0), RefBilinear(p[0], p[1], p[2], p[3], fx, fy));
  }
}

TEST(ScaledBlit, NearestSamplingAndClipping) {
  RefImage image = Uniform(4, 1, 0);
  for (int x = 0; x < 4; ++x) image.at(x, 0) = 0xFF000000u | static_cast<uint32_t>(x);
  Raster_MemBitmap src, out(8, 1);
  RefToBitmap(image, &src);
  Raster_ScaledBlit(&out, &src, 0, 0, 8, 1, 0, 0, 4, 1, 1.0f, 0);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(Raster_GetPixel(&out, x, 0), 0xFF000000u | static_cast<uint32_t>(x / 2));
  // Destination partly outside: the visible part keeps its mapping.
  Raster_MemBitmap out2(8, 1);
  Raster_ScaledBlit(&out2, &src, -4, 0, 8, 1, 0, 0, 4, 1, 1.0f, 0);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(Raster_GetPixel(&out2, x, 0), 0xFF000000u | static_cast<uint32_t>(2 + x / 2));
  EXPECT_EQ(Raster_GetPixel(&out2, 4, 0), 0u);
  // Nonsense rects draw nothing.
  Raster_MemBitmap out3(4, 4);
  Raster_ScaledBlit(&out3, &src, 0, 0, 4, 4, 0, 0, -4, 1, 1.0f, 0);
  Raster_ScaledBlit(&out3, &src, 0, 0, 4, 4, NAN, 0, 4, 1, 1.0f, 0);
  Raster_ScaledBlit(&out3, &src, 0, 0, 4, 4, 50, 0, 4, 1, 1.0f, 0);
  for (uint32_t p : RefFromBitmap(&out3).pixels) EXPECT_EQ(p, 0u);
  // A destination rect far wider than the bitmap: only the visible part is worked.
  Raster_ScaledBlit(&out3, &src, 0, 0, 2000000000, 4, 0, 0, 4, 1, 1.0f, 0);
  EXPECT_EQ(Raster_GetPixel(&out3, 3, 3), 0xFF000000u);
}

TEST(RotatedBlit, AngleZeroIsAPlainCopy) {
  std::mt19937 rng(4);
  const RefImage image = RandomImage(rng, 16, 10);
  Raster_MemBitmap src, out(16, 10);
  RefToBitmap(image, &src);
  Raster_RotatedBlit(&out, &src, 0, 0, 16, 10, 0, 0, 16, 10, 0.0f, true, 1.0f, 0, 0, 0);
  EXPECT_EQ(RefFromBitmap(&out).pixels, image.pixels);
  // Filtered: the same, except that fully transparent pixels carry no colour.
  Raster_RotatedBlit(&out, &src, 0, 0, 16, 10, 0, 0, 16, 10, 0.0f, true, 1.0f, RASTER_MODE_FILTERED, 0, 0);
  const RefImage got = RefFromBitmap(&out);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    ASSERT_EQ(got.pixels[i], Raster_Alpha(image.pixels[i]) ? image.pixels[i] : 0u) << i;
  }
}

TEST(RotatedBlit, QuarterTurnMovesTheTopToTheRight) {
  const uint32_t black = Raster_Pixel(255, 0, 0, 0);
  RefImage image = Uniform(9, 9, black);
  image.at(4, 0) = 0xFFFFFFFF;  // the knob's pointer, straight up
  Raster_MemBitmap src, out(9, 9);
  RefToBitmap(image, &src);
  for (int mode : {int{RASTER_MODE_FILTERED}, 0}) {
    Raster_RotatedBlit(&out, &src, 0, 0, 9, 9, 0, 0, 9, 9, static_cast<float>(M_PI / 2), false, 1.0f, mode, 0, 0);
    EXPECT_EQ(Raster_GetPixel(&out, 8, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Raster_GetPixel(&out, 4, 0), black);
    EXPECT_EQ(Raster_GetPixel(&out, 4, 8), black);
  }
}

TEST(RotatedBlit, OutsideTheSourceNothingIsDrawnAndEdgesFade) {
  Raster_MemBitmap src, out(20, 20);
  const uint32_t green = Raster_Pixel(255, 0, 255, 0), blue = Raster_Pixel(255, 0, 0, 255);
  RefToBitmap(Uniform(10, 10, green), &src);
  Raster_FillRect(&out, 0, 0, 20, 20, blue, 1.0f, 0);
  // 45 degrees of a 10x10 square drawn into a 20x20 rect (scaled by 0.5 back).
  Raster_RotatedBlit(&out, &src, 0, 0, 20, 20, 0, 0, 10, 10, static_cast<float>(M_PI / 4), true, 1.0f,
                     RASTER_MODE_FILTERED | RASTER_MODE_SOURCE_ALPHA, 0, 0);
  EXPECT_EQ(Raster_GetPixel(&out, 0, 0), blue);
  EXPECT_EQ(Raster_GetPixel(&out, 19, 19), blue);
  EXPECT_EQ(Raster_GetPixel(&out, 10, 10), green);
  // Somewhere along the diagonal edge the colours mix.
  bool mixed = false;
  for (int x = 0; x < 10; ++x) {
    const uint32_t p = Raster_GetPixel(&out, x, 2);
    mixed |= Raster_Green(p) > 0 && Raster_Green(p) < 255;
  }
  EXPECT_TRUE(mixed);
  // Huge, empty and NaN requests do nothing harmful.
  Raster_RotatedBlit(&out, &src, -2000000000, -2000000000, 2000000000, 2000000000, 0, 0, 10, 10, 1.0f, false, 1.0f,
                     RASTER_MODE_FILTERED, 0, 0);
  Raster_RotatedBlit(&out, &src, 0, 0, 20, 20, 0, 0, 10, 10, NAN, false, 1.0f, 0, 0, 0);
  Raster_RotatedBlit(&out, nullptr, 0, 0, 20, 20, 0, 0, 10, 10, 1, false, 1.0f, 0, 0, 0);
}

}  // namespace

namespace {

TEST(RotatedBlit, MaskedKnobPipelineShowsBaseOnlyUnderTheMask) {
  // The panel's rotated-mask drawing: base with alpha cleared, mask added with its
  // alpha, top copied over with its alpha, the result blitted with its alpha.
  const int w = 9, h = 9;
  const uint32_t baseColour = Raster_Pixel(255, 40, 40, 40), maskColour = Raster_Pixel(255, 100, 0, 0);
  Raster_MemBitmap base(w, h), mask(w, h), top(w, h), temp(0, 0, 4), frame(w, h);
  Raster_FillRect(&base, 0, 0, w, h, baseColour, 1.0f, 0);
  Raster_FillRect(&mask, 4, 0, 1, 5, maskColour, 1.0f, 0);                   // a pointer from the top to the centre
  Raster_FillRect(&top, 0, 8, w, 1, Raster_Pixel(255, 0, 0, 255), 1.0f, 0);  // a bottom bar
  Raster_FillRect(&frame, 0, 0, w, h, Raster_Pixel(255, 0, 200, 0), 1.0f, 0);

  Raster_Copy(&temp, &base);
  Raster_ClearRect(&temp, 0, 0, w, h, 0xFFFFFF00u, 0);
  Raster_RotatedBlit(&temp, &mask, 0, 0, w, h, 0, 0, w, h, 0.0f, true, 1.0f, 0x10101, -0.5f, 0);
  Raster_RotatedBlit(&temp, &top, 0, 0, w, h, 0, 0, w, h, 0.0f, true, 1.0f, 0x10100, -0.5f, 0);
  Raster_Blit(&frame, &temp, 0, 0, 0, 0, w, h, 1.0f, RASTER_MODE_SOURCE_ALPHA);

  // Under the pointer: base plus mask. Under the bar: the top. Elsewhere: the frame.
  EXPECT_EQ(Raster_GetPixel(&frame, 4, 2), Raster_Pixel(255, 140, 40, 40));
  EXPECT_EQ(Raster_GetPixel(&frame, 4, 8), Raster_Pixel(255, 0, 0, 255));
  EXPECT_EQ(Raster_GetPixel(&frame, 1, 2), Raster_Pixel(255, 0, 200, 0));
}

}  // namespace

TEST(ScaledBlit, HugeSourceRectsSampleTheEdgesAndStayInsideTheTarget) {
  const uint32_t colour = 0xFF336699u, background = 0xFF000000u;
  Raster_MemBitmap src;
  RefToBitmap(Uniform(8, 8, colour), &src);
  for (int mode : {0, static_cast<int>(RASTER_MODE_FILTERED)}) {
    for (float start : {0.0f, -1e30f}) {
      Raster_MemBitmap dest;
      RefToBitmap(Uniform(12, 12, background), &dest);
      Raster_ScaledBlit(&dest, &src, 2, 2, 8, 8, start, start, 3e30f, 3e30f, 1.0f, mode);
      Raster_RotatedBlit(&dest, &src, 2, 2, 8, 8, start, start, 3e30f, 3e30f, 0.0f, true, 1.0f,
                         mode | RASTER_MODE_SOURCE_ALPHA, 0.0f, 0.0f);
      for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
          const bool inside = x >= 2 && x < 10 && y >= 2 && y < 10;
          const uint32_t p = Raster_GetPixel(&dest, x, y);
          if (!inside)
            ASSERT_EQ(p, background) << x << "," << y;
          else
            ASSERT_TRUE(p == colour || p == background) << std::hex << p << " at " << x << "," << y;
        }
      }
      ASSERT_EQ(Raster_GetPixel(&dest, 5, 5), colour) << mode << " " << start;
    }
  }
}
