// Raster_Blit and the blend kernels against the plain reference.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RasterReference.h"
#include "rasteriser/Raster_Kernels.h"
#include "winemu/WinEmu_PixelMix.h"

namespace {

const int kModes[] = {0, RASTER_MODE_SOURCE_ALPHA,    RASTER_MODE_SOURCE_ALPHA | 1, RASTER_MODE_SOURCE_ALPHA | 2, 1,
                      2, RASTER_MODE_SOURCE_ALPHA | 7};
const float kOpacities[] = {
    1.0f, 0.5f, 0.3f, 0.999f, 0.002f, 0.0f, 1.5f, -0.5f, std::numeric_limits<float>::quiet_NaN()};

void ExpectSame(const RefImage& expected, Raster_IBitmap* actual, const char* what) {
  const RefImage got = RefFromBitmap(actual);
  ASSERT_EQ(expected.width, got.width);
  for (size_t i = 0; i < expected.pixels.size(); ++i) {
    if (expected.pixels[i] != got.pixels[i]) {
      FAIL() << what << ": pixel " << i % expected.width << "," << i / expected.width << " expected " << std::hex
             << expected.pixels[i] << " got " << got.pixels[i];
    }
  }
}

TEST(BlendArithmetic, Div255MatchesRoundedDivisionEverywhere) {
  for (uint32_t x = 0; x <= 65025; ++x) {
    ASSERT_EQ(WinEmu_Div255(x), static_cast<uint32_t>(std::lround(x / 255.0))) << x;
  }
}

TEST(BlendArithmetic, EveryWeightAndChannelPairMatchesTheReference) {
  // All destination/source byte pairs through every weight, in all three operations.
  for (uint32_t w = 0; w < 256; w += 5) {
    for (uint32_t dv = 0; dv < 256; dv += 3) {
      for (uint32_t sv = 0; sv < 256; sv += 7) {
        const uint32_t dst = Raster_Pixel(dv, dv, 255 - dv, dv / 2);
        const uint32_t src = Raster_Pixel(w, sv, 255 - sv, sv);
        for (int mode : kModes) {
          Raster_MemBitmap d(1, 1), s(1, 1);
          d.getBits()[0] = dst;
          s.getBits()[0] = src;
          Raster_Blit(&d, &s, 0, 0, 0, 0, 1, 1, 0.8f, mode);
          ASSERT_EQ(d.getBits()[0], RefBlend(dst, src, 0.8f, mode))
              << std::hex << dst << " " << src << " mode " << mode;
        }
      }
    }
  }
}

TEST(BlendArithmetic, ColourPackingMasksEveryChannel) {
  EXPECT_EQ(Raster_Pixel(255, 0, 0, 200), 0xC80000FFu);
  EXPECT_EQ(Raster_Pixel(0x1FF, 0x180, 0, 0), 0x80FFu);
  EXPECT_EQ(Raster_Blue(Raster_Pixel(1, 2, 3, 255)), 255u);
}

// Runs a check with the eight-pixel (AVX2) path allowed and with it held back, so
// both vector paths and the scalar tail meet the reference.
template <typename Check>
void OnEveryVectorPath(Check check) {
  for (bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "eight-pixel path" : "four-pixel path");
    Raster_AllowWideVectors(wide);
    check();
  }
  Raster_AllowWideVectors(true);
}

TEST(Blit, RandomImagesMatchTheReferenceInEveryModeAndClip) {
  OnEveryVectorPath([] {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> size(1, 40), coord(-50, 60), extent(-3, 70);
    for (int round = 0; round < 400; ++round) {
      const RefImage src = RandomImage(rng, size(rng), size(rng));
      RefImage expected = RandomImage(rng, size(rng), size(rng));
      Raster_MemBitmap s(0, 0, 4), d(0, 0, 8);
      RefToBitmap(src, &s);
      RefToBitmap(expected, &d);
      const int mode = kModes[round % 7];
      const float alpha = kOpacities[(round / 7) % 9];
      const int dx = coord(rng), dy = coord(rng), sx = coord(rng) / 2, sy = coord(rng) / 2;
      const int w = extent(rng), h = extent(rng);
      Raster_Blit(&d, &s, dx, dy, sx, sy, w, h, alpha, mode);
      RefBlit(&expected, src, dx, dy, sx, sy, w, h, alpha, mode);
      ExpectSame(expected, &d, "random blit");
      if (::testing::Test::HasFailure()) return;
    }
  });
}

TEST(Blit, LongRowsExerciseTheVectorPathsAndTheirTails) {
  OnEveryVectorPath([] {
    std::mt19937 rng(99);
    for (int width : {1, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 31, 64, 67}) {
      for (int mode : {0, int{RASTER_MODE_SOURCE_ALPHA}}) {
        for (float alpha : {1.0f, 0.6f}) {
          const RefImage src = RandomImage(rng, width, 3);
          RefImage expected = RandomImage(rng, width + 2, 4);
          Raster_MemBitmap s, d;
          RefToBitmap(src, &s);
          RefToBitmap(expected, &d);
          Raster_Blit(&d, &s, 1, 1, 0, 0, width, 3, alpha, mode);
          RefBlit(&expected, src, 1, 1, 0, 0, width, 3, alpha, mode);
          ExpectSame(expected, &d, "row");
        }
      }
    }
  });
}

TEST(Blit, EveryEdgePartlyOutsideAndFullyOutside) {
  std::mt19937 rng(7);
  const RefImage src = RandomImage(rng, 10, 10);
  const int places[][2] = {{-5, 0}, {5, 0},   {0, -5}, {0, 5},   {-5, -5}, {5, 5},     {-9, 9},
                           {9, -9}, {-10, 0}, {10, 0}, {0, -10}, {0, 10},  {100, 100}, {-100, -100}};
  for (const auto& p : places) {
    RefImage expected = RandomImage(rng, 10, 10);
    Raster_MemBitmap s, d;
    RefToBitmap(src, &s);
    RefToBitmap(expected, &d);
    Raster_Blit(&d, &s, p[0], p[1], 0, 0, 10, 10, 1.0f, RASTER_MODE_SOURCE_ALPHA);
    RefBlit(&expected, src, p[0], p[1], 0, 0, 10, 10, 1.0f, RASTER_MODE_SOURCE_ALPHA);
    ExpectSame(expected, &d, "edge");
    // The same offsets on the source side.
    RefImage expected2 = RefFromBitmap(&d);
    Raster_Blit(&d, &s, 0, 0, p[0], p[1], 10, 10, 0.7f, 0);
    RefBlit(&expected2, src, 0, 0, p[0], p[1], 10, 10, 0.7f, 0);
    ExpectSame(expected2, &d, "source edge");
  }
}

TEST(Blit, HugeCoordinatesAndNullBitmapsDoNothingHarmful) {
  std::mt19937 rng(3);
  const RefImage src = RandomImage(rng, 8, 8);
  const RefImage before = RandomImage(rng, 8, 8);
  Raster_MemBitmap s, d, empty;
  RefToBitmap(src, &s);
  RefToBitmap(before, &d);
  const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
  Raster_Blit(&d, &s, big, big, 0, 0, 8, 8, 1, 0);
  Raster_Blit(&d, &s, small, small, 0, 0, big, big, 1, 0);
  Raster_Blit(&d, &s, 0, 0, big, small, big, big, 1, 0);
  Raster_Blit(&d, &s, 0, 0, 0, 0, 0, 8, 1, 0);
  Raster_Blit(&d, &s, 0, 0, 0, 0, -8, -8, 1, 0);
  Raster_Blit(nullptr, &s, 0, 0, 0, 0, 8, 8, 1, 0);
  Raster_Blit(&d, nullptr, 0, 0, 0, 0, 8, 8, 1, 0);
  Raster_Blit(&d, &empty, 0, 0, 0, 0, 8, 8, 1, 0);
  Raster_Blit(&empty, &s, 0, 0, 0, 0, 8, 8, 1, 0);
  ExpectSame(before, &d, "untouched");
  // Huge but overlapping: the whole source lands at the origin from far away.
  RefImage expected = before;
  Raster_Blit(&d, &s, small + 1, small + 1, small + 1, small + 1, big, big, 1, 0);
  RefBlit(&expected, src, 0, 0, 0, 0, 0, 0, 1, 0);
  ExpectSame(expected, &d, "far rect");
}

TEST(Blit, OverlappingBlitWithinOneBitmapReadsTheOldPixels) {
  std::mt19937 rng(11);
  for (const auto& shift : {std::pair<int, int>{3, 2}, {-3, -2}, {1, 0}, {0, 1}, {-1, 0}}) {
    RefImage expected = RandomImage(rng, 20, 20);
    Raster_MemBitmap d;
    RefToBitmap(expected, &d);
    Raster_Blit(&d, &d, 4 + shift.first, 4 + shift.second, 4, 4, 12, 12, 0.75f, RASTER_MODE_SOURCE_ALPHA);
    RefBlit(&expected, expected, 4 + shift.first, 4 + shift.second, 4, 4, 12, 12, 0.75f, RASTER_MODE_SOURCE_ALPHA);
    ExpectSame(expected, &d, "overlap");
  }
}

TEST(Blit, PaddingBeyondTheWidthIsNeverWritten) {
  Raster_MemBitmap d(5, 4, 8), s(9, 9, 4);
  ASSERT_EQ(d.getRowSpan(), 8);
  for (int i = 0; i < 8 * 4; ++i) d.getBits()[i] = 0x12345678;
  for (int i = 0; i < 9 * 9 + 3; ++i) s.getBits()[i] = 0xFFFFFFFF;
  Raster_Blit(&d, &s, -2, -2, 0, 0, 9, 9, 1.0f, 0);
  Raster_FillRect(&d, -3, -3, 100, 100, 0xFF, 0.5f, 0);
  Raster_ClearRect(&d, -3, -3, 100, 100, 0, 0x1);
  for (int y = 0; y < 4; ++y) {
    for (int x = 5; x < 8; ++x) EXPECT_EQ(d.getBits()[y * 8 + x], 0x12345678u);
  }
}

TEST(Copy, ResizesAndCopiesExactly) {
  std::mt19937 rng(5);
  const RefImage src = RandomImage(rng, 13, 7);
  Raster_MemBitmap s, d(0, 0, 4);
  RefToBitmap(src, &s);
  Raster_Copy(&d, &s);
  EXPECT_EQ(d.getWidth(), 13);
  EXPECT_EQ(d.getHeight(), 7);
  EXPECT_EQ(d.getRowSpan(), 16);
  ExpectSame(src, &d, "copy");
  Raster_MemBitmap empty;
  Raster_Copy(&d, &empty);
  EXPECT_EQ(d.getWidth(), 0);
  Raster_Copy(&d, nullptr);
  Raster_Copy(nullptr, &s);
}

TEST(ClearRect, MasksAndSetsBitsOnlyInsideTheClippedRect) {
  Raster_MemBitmap d(4, 3);
  for (int i = 0; i < 12; ++i) d.getBits()[i] = 0xAABBCCDD;
  Raster_ClearRect(&d, 2, -1, 10, 2, 0xFFFFFF00, 0x7);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 2 && y == 0;
      EXPECT_EQ(Raster_GetPixel(&d, x, y), inside ? 0xAABBCC07u : 0xAABBCCDDu) << x << "," << y;
    }
  }
}

TEST(Bitmaps, SizesSpansAndFailures) {
  Raster_MemBitmap a(10, 3, 4);
  EXPECT_EQ(a.getRowSpan(), 12);
  Raster_MemBitmap b(0, 0, 4);
  EXPECT_EQ(b.getBits(), nullptr);
  Raster_MemBitmap huge(Raster_MemBitmap::kMaxSide + 1, 2, 4);
  EXPECT_EQ(huge.getWidth(), 0);
  EXPECT_EQ(huge.getHeight(), 0);
  Raster_SysBitmap sys(30, 20);
  EXPECT_EQ(sys.getWidth(), 30);
  ASSERT_NE(sys.getDC(), nullptr);
  EXPECT_EQ(sys.getDC()->context.bits, sys.getBits());
  EXPECT_EQ(sys.getDC()->context.rowSpan, sys.getRowSpan());
  Raster_SysBitmap none(0, 0);
  EXPECT_EQ(none.getWidth(), 0);
  EXPECT_NE(none.getDC(), nullptr);
  Raster_SysBitmap negative(-5, 7);
  EXPECT_EQ(negative.getWidth(), 0);
  EXPECT_EQ(negative.getHeight(), 0);
}

TEST(Pixels, PutAndGetStayInside) {
  Raster_MemBitmap d(3, 3);
  Raster_PutPixel(&d, 1, 1, 0xFF0000FF, 1.0f, 0);
  Raster_PutPixel(&d, -1, 1, 0xFFFFFFFF, 1.0f, 0);
  Raster_PutPixel(&d, 3, 1, 0xFFFFFFFF, 1.0f, 0);
  Raster_PutPixel(nullptr, 0, 0, 0xFFFFFFFF, 1.0f, 0);
  EXPECT_EQ(Raster_GetPixel(&d, 1, 1), 0xFF0000FFu);
  EXPECT_EQ(Raster_GetPixel(&d, 3, 1), 0u);
  EXPECT_EQ(Raster_GetPixel(&d, 1, -1), 0u);
  EXPECT_EQ(Raster_GetPixel(nullptr, 0, 0), 0u);
  // Half opacity with the colour's own alpha: w = round(0.5 x 255 x 128 / 255).
  Raster_PutPixel(&d, 0, 0, Raster_Pixel(128, 200, 0, 0), 0.5f, RASTER_MODE_SOURCE_ALPHA);
  EXPECT_EQ(Raster_GetPixel(&d, 0, 0), RefBlendColor(0, Raster_Pixel(128, 200, 0, 0), 0.5f, RASTER_MODE_SOURCE_ALPHA));
}

}  // namespace

namespace {

TEST(BlendArithmetic, VectorPathMatchesTheReferenceForEveryByteTriple) {
  // Every (destination, source, source alpha) byte triple through rows of 256, so
  // the four-pixel path does the work; channels R, G and B carry different values.
  OnEveryVectorPath([] {
    Raster_MemBitmap d(256, 256), s(256, 256);
    ASSERT_EQ(d.getRowSpan(), 256);
    for (uint32_t sa = 0; sa < 256; ++sa) {
      for (uint32_t i = 0; i < 65536; ++i) {
        const uint32_t dv = i & 0xFF, sv = i >> 8;
        d.getBits()[i] = Raster_Pixel(dv ^ 0x5A, dv, 255 - dv, sv);
        s.getBits()[i] = Raster_Pixel(sa, sv, dv, 255 - sv);
      }
      const float alpha = (sa & 1) ? 1.0f : 0.7f;
      const int mode = (sa & 2) ? RASTER_MODE_SOURCE_ALPHA : 0;
      Raster_Blit(&d, &s, 0, 0, 0, 0, 256, 256, alpha, mode);
      for (uint32_t i = 0; i < 65536; ++i) {
        const uint32_t dv = i & 0xFF, sv = i >> 8;
        const uint32_t expected =
            RefBlend(Raster_Pixel(dv ^ 0x5A, dv, 255 - dv, sv), Raster_Pixel(sa, sv, dv, 255 - sv), alpha, mode);
        ASSERT_EQ(d.getBits()[i], expected) << "alpha " << sa << " i " << i;
      }
    }
  });
}

}  // namespace
