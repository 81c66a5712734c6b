// Lines, outlines and fills: exact pixel sets, clipping and bounded work.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

#include "RasterReference.h"

namespace {

constexpr uint32_t kInk = Raster_Pixel(255, 255, 255, 255);

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Inked(Raster_IBitmap* bm) {
  PixelSet set;
  for (int y = 0; y < bm->getHeight(); ++y) {
    for (int x = 0; x < bm->getWidth(); ++x) {
      if (Raster_GetPixel(bm, x, y)) set.insert({x, y});
    }
  }
  return set;
}

TEST(Line, IncludesBothEndPointsInEveryDirection) {
  const int ends[][4] = {{2, 3, 17, 3}, {17, 3, 2, 3}, {5, 1, 5, 18}, {5, 18, 5, 1}, {1, 1, 18, 18}, {18, 1, 1, 18},
                         {3, 4, 15, 9}, {15, 9, 3, 4}, {4, 2, 9, 17}, {9, 17, 4, 2}, {7, 7, 7, 7}};
  for (const auto& e : ends) {
    for (bool aa : {false, true}) {
      Raster_MemBitmap bm(20, 20);
      Raster_Line(&bm, e[0], e[1], e[2], e[3], kInk, 1.0f, 0, aa);
      EXPECT_EQ(Raster_GetPixel(&bm, e[0], e[1]), kInk) << e[0] << "," << e[1] << " aa " << aa;
      EXPECT_EQ(Raster_GetPixel(&bm, e[2], e[3]), kInk) << e[2] << "," << e[3] << " aa " << aa;
      if (!aa) {
        // One pixel per step along the major axis, and nothing more.
        const int steps = std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1])) + 1;
        EXPECT_EQ(static_cast<int>(Inked(&bm).size()), steps);
      }
    }
  }
}

TEST(Line, ExactPixelsOfAShallowLine) {
  Raster_MemBitmap bm(10, 4);
  Raster_Line(&bm, 0, 0, 8, 2, kInk, 1.0f, 0, false);
  // y = round(x / 4) with halves rounding up.
  const PixelSet expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 2}};
  EXPECT_EQ(Inked(&bm), expected);
}

TEST(Line, ClippedLinesKeepTheirSlopeAndHugeOnesEndQuickly) {
  Raster_MemBitmap whole(40, 40), clipped(20, 20);
  Raster_Line(&whole, -10, -3, 35, 30, kInk, 1.0f, 0, false);
  Raster_Line(&clipped, -10, -3, 35, 30, kInk, 1.0f, 0, false);
  for (const auto& p : Inked(&clipped)) EXPECT_TRUE(Inked(&whole).count(p)) << p.first << "," << p.second;
  EXPECT_FALSE(Inked(&clipped).empty());
  // Extreme end points: the work is bounded by the bitmap, so this returns at once.
  Raster_MemBitmap bm(16, 16);
  Raster_Line(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kInk, 1.0f, 0, false);
  Raster_Line(&bm, INT_MIN, 5, INT_MAX, 5, kInk, 1.0f, 0, true);
  Raster_Line(&bm, INT_MAX, INT_MIN, INT_MIN, INT_MAX, kInk, 1.0f, 0, true);
  EXPECT_EQ(Raster_GetPixel(&bm, 0, 5), kInk);
  EXPECT_EQ(Raster_GetPixel(&bm, 15, 5), kInk);
  Raster_Line(nullptr, 0, 0, 5, 5, kInk, 1.0f, 0, false);
}

TEST(Line, AntialiasedCoverageSplitsBetweenTwoPixels) {
  Raster_MemBitmap bm(10, 4);
  Raster_Line(&bm, 0, 0, 8, 2, Raster_Pixel(255, 255, 255, 255), 1.0f, RASTER_MODE_SOURCE_ALPHA, true);
  // At x = 2 the ideal line is at y = 0.5: two half-covered pixels, the coverage
  // adding up to one.
  const uint32_t upper = Raster_Red(Raster_GetPixel(&bm, 2, 0));
  const uint32_t lower = Raster_Red(Raster_GetPixel(&bm, 2, 1));
  EXPECT_EQ(upper + lower, 255u);
  EXPECT_NEAR(static_cast<double>(upper), 127.5, 0.5);
  // At x = 4 the line passes through pixel centre (4, 1) exactly.
  EXPECT_EQ(Raster_GetPixel(&bm, 4, 1), kInk);
  EXPECT_EQ(Raster_GetPixel(&bm, 4, 0), 0u);
  EXPECT_EQ(Raster_GetPixel(&bm, 2, 2), 0u);
}

TEST(FillRect, CoversExactlyTheClippedRect) {
  Raster_MemBitmap bm(12, 9);
  Raster_FillRect(&bm, -3, 2, 7, 5, kInk, 1.0f, 0);
  PixelSet expected;
  for (int y = 2; y < 7; ++y) {
    for (int x = 0; x < 4; ++x) expected.insert({x, y});
  }
  EXPECT_EQ(Inked(&bm), expected);
  Raster_FillRect(&bm, INT_MAX, INT_MAX, INT_MAX, INT_MAX, kInk, 1.0f, 0);
  Raster_FillRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kInk, 1.0f, 0);
  Raster_FillRect(&bm, 0, 0, 0, 5, kInk, 1.0f, 0);
  EXPECT_EQ(Inked(&bm), expected);
}

TEST(FillRect, ColourAlphaWeightsOnlyWithTheSourceAlphaBit) {
  Raster_MemBitmap bm(2, 1);
  const uint32_t halfRed = Raster_Pixel(128, 255, 0, 0);
  Raster_FillRect(&bm, 0, 0, 1, 1, halfRed, 1.0f, RASTER_MODE_SOURCE_ALPHA);
  Raster_FillRect(&bm, 1, 0, 1, 1, halfRed, 1.0f, 0);
  EXPECT_EQ(Raster_GetPixel(&bm, 0, 0), RefBlendColor(0, halfRed, 1.0f, RASTER_MODE_SOURCE_ALPHA));
  EXPECT_EQ(Raster_Red(Raster_GetPixel(&bm, 0, 0)), 128u);
  EXPECT_EQ(Raster_GetPixel(&bm, 1, 0), halfRed);
}

TEST(FillCircle, CoversThePixelsWhoseCentresLieWithinTheRadius) {
  const float cases[][3] = {{10, 10, 6}, {10.5f, 9.25f, 4.7f}, {0, 0, 5}, {19.9f, 3, 8}, {8, 8, 0.5f}};
  for (const auto& c : cases) {
    Raster_MemBitmap bm(20, 20);
    Raster_FillCircle(&bm, c[0], c[1], c[2], kInk, 1.0f, 0, false);
    PixelSet expected;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        const double dx = x + 0.5 - c[0], dy = y + 0.5 - c[1];
        if (dx * dx + dy * dy <= static_cast<double>(c[2]) * c[2]) expected.insert({x, y});
      }
    }
    EXPECT_EQ(Inked(&bm), expected) << c[0] << "," << c[1] << " r " << c[2];
  }
}

TEST(FillCircle, AntialiasedEdgesFadeAndTheInsideIsSolid) {
  Raster_MemBitmap bm(30, 30);
  Raster_FillCircle(&bm, 15, 15, 10, kInk, 1.0f, RASTER_MODE_SOURCE_ALPHA, true);
  EXPECT_EQ(Raster_GetPixel(&bm, 15, 15), kInk);
  EXPECT_EQ(Raster_GetPixel(&bm, 0, 0), 0u);
  // Across the middle row, the edge fades at both ends; drawn without antialiasing,
  // nothing is partly covered.
  const auto partial = [](Raster_MemBitmap& drawn, int from, int to) {
    int count = 0;
    for (int x = from; x < to; ++x) {
      const uint32_t a = Raster_Alpha(Raster_GetPixel(&drawn, x, 15));
      count += a > 0 && a < 255;
    }
    return count;
  };
  EXPECT_GT(partial(bm, 0, 15), 0);
  EXPECT_GT(partial(bm, 15, 30), 0);
  Raster_MemBitmap hard(30, 30);
  Raster_FillCircle(&hard, 15, 15, 10, kInk, 1.0f, RASTER_MODE_SOURCE_ALPHA, false);
  EXPECT_EQ(Raster_GetPixel(&hard, 15, 15), kInk);
  EXPECT_EQ(partial(hard, 0, 30), 0);
  Raster_FillCircle(&bm, 1e30f, 0, 5, kInk, 1.0f, 0, true);
  Raster_FillCircle(&bm, 15, 15, 1e30f, kInk, 1.0f, 0, false);  // covers all, quickly
  Raster_FillCircle(&bm, NAN, 15, 5, kInk, 1.0f, 0, true);
  EXPECT_EQ(Raster_GetPixel(&bm, 0, 0), kInk);
}

TEST(Circle, RingIsOnePixelWideAroundTheRadius) {
  Raster_MemBitmap bm(30, 30);
  Raster_Circle(&bm, 15, 15, 8, kInk, 1.0f, 0, false);
  PixelSet expected;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      const double d = std::hypot(x + 0.5 - 15, y + 0.5 - 15);
      if (d > 7.5 && d <= 8.5) expected.insert({x, y});
    }
  }
  EXPECT_EQ(Inked(&bm), expected);
  // Every row it crosses has ink on both sides: no gaps.
  for (int y = 7; y <= 22; ++y) {
    bool left = false, right = false;
    for (int x = 0; x < 15; ++x) left |= Raster_GetPixel(&bm, x, y) != 0;
    for (int x = 15; x < 30; ++x) right |= Raster_GetPixel(&bm, x, y) != 0;
    EXPECT_TRUE(left && right) << y;
  }
}

TEST(Arc, DrawsOnlyBetweenItsAnglesClockwiseFromUp) {
  Raster_MemBitmap bm(30, 30);
  // A quarter from up (0) to right (pi/2).
  Raster_Arc(&bm, 15, 15, 10, 0.0f, static_cast<float>(M_PI / 2), kInk, 1.0f, 0, false);
  for (const auto& p : Inked(&bm)) {
    EXPECT_GE(p.first, 15) << p.first << "," << p.second;
    EXPECT_LE(p.second, 15) << p.first << "," << p.second;
  }
  EXPECT_EQ(Raster_GetPixel(&bm, 15, 5), kInk);   // top
  EXPECT_EQ(Raster_GetPixel(&bm, 24, 14), kInk);  // right
  EXPECT_EQ(Raster_GetPixel(&bm, 5, 15), 0u);     // left stays empty
}

TEST(RoundRect, EdgesOnBothSidesAndRoundedCorners) {
  Raster_MemBitmap bm(30, 20);
  Raster_RoundRect(&bm, 2, 3, 20, 12, 4, kInk, 1.0f, 0, false);
  EXPECT_EQ(Raster_GetPixel(&bm, 12, 3), kInk);   // top edge
  EXPECT_EQ(Raster_GetPixel(&bm, 12, 15), kInk);  // bottom edge at y + h
  EXPECT_EQ(Raster_GetPixel(&bm, 2, 9), kInk);    // left edge
  EXPECT_EQ(Raster_GetPixel(&bm, 22, 9), kInk);   // right edge at x + w
  EXPECT_EQ(Raster_GetPixel(&bm, 2, 3), 0u);      // the corner itself is cut
  EXPECT_EQ(Raster_GetPixel(&bm, 22, 15), 0u);
  // Half-transparent: no pixel is blended twice where corners meet edges.
  Raster_MemBitmap half(30, 20);
  Raster_RoundRect(&half, 2, 3, 20, 12, 4, kInk, 0.5f, 0, false);
  for (const auto& p : Inked(&half)) {
    EXPECT_EQ(Raster_GetPixel(&half, p.first, p.second), RefBlend(0, kInk, 0.5f, 0)) << p.first << "," << p.second;
  }
}

TEST(Polygon, TriangleCoversExactlyThePointsInsideOrOnItsEdges) {
  const int tris[][6] = {{2, 2, 17, 5, 6, 16}, {0, 0, 19, 0, 0, 19}, {10, -5, 25, 12, -4, 15}, {3, 3, 3, 3, 3, 3}};
  for (const auto& t : tris) {
    Raster_MemBitmap bm(20, 20);
    Raster_FillTriangle(&bm, t[0], t[1], t[2], t[3], t[4], t[5], kInk, 1.0f, 0);
    PixelSet expected;
    auto cross = [](long ax, long ay, long bx, long by, long px, long py) {
      return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        const long c1 = cross(t[0], t[1], t[2], t[3], x, y);
        const long c2 = cross(t[2], t[3], t[4], t[5], x, y);
        const long c3 = cross(t[4], t[5], t[0], t[1], x, y);
        const bool inside = (c1 >= 0 && c2 >= 0 && c3 >= 0) || (c1 <= 0 && c2 <= 0 && c3 <= 0);
        if (inside) expected.insert({x, y});
      }
    }
    if (t[0] == t[2] && t[2] == t[4] && t[1] == t[3]) expected = {{3, 3}};
    EXPECT_EQ(Inked(&bm), expected) << t[0] << "," << t[1];
  }
}

TEST(Polygon, ConvexPolygonRowsRunBetweenItsEdges) {
  Raster_MemBitmap fill(20, 20);
  const int xs[] = {3, 15, 18, 9, 1}, ys[] = {2, 1, 10, 18, 12};
  Raster_FillConvexPolygon(&fill, xs, ys, 5, kInk, 1.0f, 0);
  const PixelSet filled = Inked(&fill);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(filled.count({xs[i], ys[i]})) << i;
  // Row 10 crosses the edges (1,12)-(3,2) at x = 1.4 and (15,1)-(18,10) at x = 18:
  // pixels 2 to 18.
  for (int x = 0; x < 20; ++x) EXPECT_EQ(filled.count({x, 10}), x >= 2 && x <= 18 ? 1u : 0u) << x;
  EXPECT_EQ(filled.count({15, 0}), 0u);
  Raster_FillConvexPolygon(&fill, nullptr, ys, 5, kInk, 1.0f, 0);
  Raster_FillConvexPolygon(&fill, xs, ys, 0, kInk, 1.0f, 0);
  const int bigX[] = {INT_MIN, INT_MAX, 0}, bigY[] = {INT_MIN, 0, INT_MAX};
  Raster_FillConvexPolygon(&fill, bigX, bigY, 3, kInk, 1.0f, 0);
}

}  // namespace

TEST(Polygon, EdgesSpanningTheWholeIntegerRangeStillFillExactly) {
  // The diagonal from (INT_MIN, INT_MIN) to (INT_MAX, INT_MAX) is x = y; its
  // crossings need more than 64 bits of intermediate product.
  Raster_MemBitmap bm(20, 20);
  Raster_FillTriangle(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT_MAX, kInk, 1.0f, 0);
  PixelSet expected;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x <= y; ++x) expected.insert({x, y});
  }
  EXPECT_EQ(Inked(&bm), expected);
}
