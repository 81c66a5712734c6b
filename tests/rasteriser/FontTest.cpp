// Raster_CachedFont over the emulation's FreeType text output.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "rasteriser/Raster.h"

namespace {

constexpr uint32_t kBlack = Raster_Pixel(255, 0, 0, 0);
constexpr uint32_t kWhite = Raster_Pixel(255, 255, 255, 255);

HGDIOBJ MakeFont(int height, const char* face, int weight = 400, int quality = 4, int escapement = 0) {
  return CreateFont(height, 0, escapement, escapement, weight, 0, 0, 0, 0, 0, 0, static_cast<char>(quality), 0, face);
}

struct Ink {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
  long sum = 0;
  bool any() const { return sum > 0; }
};

Ink InkOf(Raster_IBitmap* bm) {
  Ink ink;
  for (int y = 0; y < bm->getHeight(); ++y) {
    for (int x = 0; x < bm->getWidth(); ++x) {
      const uint32_t v = Raster_Red(Raster_GetPixel(bm, x, y));
      if (!v) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ink.sum += v;
    }
  }
  return ink;
}

class FontTest : public ::testing::Test {
protected:
  void SetUp() override {
    font_.SetFromHFont(MakeFont(16, "NK57 Monospace"), RASTER_FONT_OWNS_HANDLE | RASTER_FONT_NATIVE);
    ASSERT_GT(font_.GetLineHeight(), 0);
    font_.SetTextColor(kWhite);
    Raster_FillRect(&canvas_, 0, 0, 200, 60, kBlack, 1.0f, 0);
  }
  RECT Measure(const char* text) {
    RECT r{0, 0, 0, 0};
    font_.DrawText(&canvas_, text, -1, &r, RASTER_DT_MEASURE);
    return r;
  }
  Raster_CachedFont font_;
  Raster_MemBitmap canvas_{200, 60, 4};
};

TEST(FontCreation, LineHeightIsWithinOnePixelOfTheRequestedSize) {
  for (const char* face : {"NK57 Monospace", "Consolas", "Monaco", "DejaVu Sans", "Arial", ""}) {
    for (int size : {8, 11, 12, 16, 23, 40}) {
      Raster_CachedFont font;
      HGDIOBJ handle = MakeFont(size, face);
      ASSERT_NE(handle, nullptr) << face;
      font.SetFromHFont(handle, RASTER_FONT_OWNS_HANDLE);
      EXPECT_NEAR(font.GetLineHeight(), size, 1) << face << " " << size;
    }
  }
  EXPECT_EQ(MakeFont(0, "DejaVu Sans"), nullptr);
  Raster_CachedFont unbound;
  EXPECT_EQ(unbound.GetLineHeight(), 0);
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(unbound.DrawText(nullptr, "x", -1, &r, 0), 0);
}

TEST(FontCreation, SizesFreeTypeRefusesGiveNullAndLeaveFontsUsable) {
  // A refused size once left the font library locked: every later font hung.
  EXPECT_EQ(MakeFont(INT_MIN, "DejaVu Sans"), nullptr);
  EXPECT_EQ(MakeFont(100000, "Consolas"), nullptr);
  Raster_CachedFont font;
  font.SetFromHFont(MakeFont(12, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
  EXPECT_NEAR(font.GetLineHeight(), 12, 1);
}

TEST(FontCreation, SystemMonospacedFacesAreMonospaced) {
  for (const char* face : {"NK57 Monospace", "Consolas", "Monaco"}) {
    Raster_CachedFont font;
    font.SetFromHFont(MakeFont(14, face), RASTER_FONT_OWNS_HANDLE);
    Raster_MemBitmap bm(1, 1);
    RECT narrow{0, 0, 0, 0}, wide{0, 0, 0, 0};
    // Ink of "i|i" and "W|W" starts and ends at the same bars.
    font.DrawText(&bm, "|iiii|", -1, &narrow, RASTER_DT_MEASURE);
    font.DrawText(&bm, "|WWWW|", -1, &wide, RASTER_DT_MEASURE);
    EXPECT_EQ(narrow.right, wide.right) << face;
  }
}

TEST_F(FontTest, MeasuringReturnsTheInkWidthAndTheLineHeight) {
  const RECT m = Measure("ABC");
  EXPECT_EQ(m.left, 0);
  EXPECT_EQ(m.top, 0);
  EXPECT_EQ(m.bottom, font_.GetLineHeight());
  RECT at{10, 5, 190, 5 + m.bottom};
  EXPECT_EQ(font_.DrawText(&canvas_, "ABC", -1, &at, 0), m.bottom);
  const Ink ink = InkOf(&canvas_);
  ASSERT_TRUE(ink.any());
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.right, 10 + m.right - 1);
  EXPECT_GE(ink.top, 5);
  EXPECT_LT(ink.bottom, 5 + m.bottom);
  // Measuring draws nothing.
  Raster_FillRect(&canvas_, 0, 0, 200, 60, kBlack, 1.0f, 0);
  Measure("ABC");
  EXPECT_FALSE(InkOf(&canvas_).any());
}

TEST_F(FontTest, LengthLimitsTheText) {
  RECT whole{0, 0, 0, 0}, part{0, 0, 0, 0};
  font_.DrawText(&canvas_, "ABCDEF", -1, &whole, RASTER_DT_MEASURE);
  font_.DrawText(&canvas_, "ABCDEF", 3, &part, RASTER_DT_MEASURE);
  EXPECT_EQ(part.right, Measure("ABC").right);
  EXPECT_GT(whole.right, part.right);
}

TEST_F(FontTest, AlignmentBitsPlaceTheBox) {
  const RECT m = Measure("Wg");
  const RECT box{20, 10, 180, 50};
  struct Placement {
    unsigned int format;
    int left, top;
  } cases[] = {
      {0, 20, 10},
      {RASTER_DT_CENTER, 20 + (160 - m.right) / 2, 10},
      {RASTER_DT_RIGHT, 180 - m.right, 10},
      {RASTER_DT_VCENTER, 20, 10 + (40 - m.bottom) / 2},
      {RASTER_DT_BOTTOM, 20, 50 - m.bottom},
      {RASTER_DT_CENTER | RASTER_DT_VCENTER, 20 + (160 - m.right) / 2, 10 + (40 - m.bottom) / 2},
  };
  // The top of the ink relative to the box top, taken from the top-left case.
  int inkTopOffset = 0;
  for (const Placement& p : cases) {
    Raster_FillRect(&canvas_, 0, 0, 200, 60, kBlack, 1.0f, 0);
    RECT r = box;
    font_.DrawText(&canvas_, "Wg", -1, &r, p.format);
    const Ink ink = InkOf(&canvas_);
    ASSERT_TRUE(ink.any());
    EXPECT_EQ(ink.left, p.left) << p.format;
    EXPECT_EQ(ink.right, p.left + m.right - 1) << p.format;
    if (p.format == 0) inkTopOffset = ink.top - 10;
    EXPECT_EQ(ink.top, p.top + inkTopOffset) << p.format;
  }
}

TEST_F(FontTest, ColourAlphaZeroDrawsNothingAndAlphaIsOnlyUsedWhenAsked) {
  font_.SetTextColor(Raster_Pixel(0, 255, 255, 255));
  RECT r{0, 0, 200, 60};
  font_.DrawText(&canvas_, "Hello", -1, &r, RASTER_DT_USE_TEXT_ALPHA);
  EXPECT_FALSE(InkOf(&canvas_).any());
  // Without the bit the colour is drawn opaque.
  font_.DrawText(&canvas_, "Hello", -1, &r, 0);
  const Ink opaque = InkOf(&canvas_);
  EXPECT_TRUE(opaque.any());
  // Half alpha gives about half the ink.
  Raster_FillRect(&canvas_, 0, 0, 200, 60, kBlack, 1.0f, 0);
  font_.SetTextColor(Raster_Pixel(128, 255, 255, 255));
  font_.DrawText(&canvas_, "Hello", -1, &r, RASTER_DT_USE_TEXT_ALPHA);
  const Ink half = InkOf(&canvas_);
  EXPECT_NEAR(static_cast<double>(half.sum) / opaque.sum, 0.5, 0.02);
}

TEST_F(FontTest, ClippingToTheRectUnlessNoClip) {
  RECT r{50, 20, 60, 40};  // narrower than the text
  font_.DrawText(&canvas_, "WWWWWW", -1, &r, 0);
  const Ink clipped = InkOf(&canvas_);
  ASSERT_TRUE(clipped.any());
  EXPECT_GE(clipped.left, 50);
  EXPECT_LE(clipped.right, 59);
  Raster_FillRect(&canvas_, 0, 0, 200, 60, kBlack, 1.0f, 0);
  font_.DrawText(&canvas_, "WWWWWW", -1, &r, RASTER_DT_NOCLIP);
  EXPECT_GT(InkOf(&canvas_).right, 59);
  // Far outside the bitmap, and huge rects: nothing happens, nothing breaks.
  RECT far{INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 10};
  font_.DrawText(&canvas_, "WW", -1, &far, RASTER_DT_NOCLIP | RASTER_DT_RIGHT);
  RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  font_.DrawText(&canvas_, "WW", -1, &huge, RASTER_DT_CENTER | RASTER_DT_VCENTER);
  font_.DrawText(nullptr, "WW", -1, &huge, 0);
  font_.DrawText(&canvas_, nullptr, -1, &huge, 0);
}

TEST_F(FontTest, DrawsIntoASystemBitmapThroughItsContext) {
  Raster_SysBitmap sys(100, 30);
  RECT r{0, 0, 100, 30};
  font_.DrawText(&sys, "Sys", -1, &r, 0);
  EXPECT_TRUE(InkOf(&sys).any());
  // The context keeps no font or colour of ours afterwards.
  EXPECT_EQ(sys.getDC()->font, nullptr);
}

TEST(FontFaces, BoldCarriesMoreInkAndUnantialiasedInkIsSolid) {
  Raster_MemBitmap a(200, 40), b(200, 40);
  Raster_CachedFont regular, bold, sharp;
  regular.SetFromHFont(MakeFont(20, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
  bold.SetFromHFont(MakeFont(20, "DejaVu Sans", 700), RASTER_FONT_OWNS_HANDLE);
  sharp.SetFromHFont(MakeFont(20, "DejaVu Sans", 400, 3), RASTER_FONT_OWNS_HANDLE);
  regular.SetTextColor(kWhite);
  bold.SetTextColor(kWhite);
  sharp.SetTextColor(kWhite);
  RECT r{0, 0, 200, 40};
  regular.DrawText(&a, "Bold text", -1, &r, 0);
  bold.DrawText(&b, "Bold text", -1, &r, 0);
  EXPECT_GT(InkOf(&b).sum, InkOf(&a).sum * 11 / 10);
  Raster_MemBitmap c(200, 40);
  sharp.DrawText(&c, "Sharp text", -1, &r, 0);
  for (int i = 0; i < 200 * 40; ++i) {
    const uint32_t p = c.getBits()[i];
    ASSERT_TRUE(p == 0 || p == kWhite) << std::hex << p;
  }
}

TEST(FontFaces, RotatedTextStandsUpright) {
  Raster_CachedFont flat, turned;
  flat.SetFromHFont(MakeFont(16, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
  turned.SetFromHFont(MakeFont(16, "DejaVu Sans", 400, 4, 900), RASTER_FONT_OWNS_HANDLE);
  Raster_MemBitmap bm(1, 1);
  RECT f{0, 0, 0, 0}, t{0, 0, 0, 0};
  flat.DrawText(&bm, "Rotated", -1, &f, RASTER_DT_MEASURE);
  turned.DrawText(&bm, "Rotated", -1, &t, RASTER_DT_MEASURE);
  EXPECT_GT(f.right, f.bottom);
  EXPECT_GT(t.bottom, t.right);
  EXPECT_NEAR(t.bottom, f.right, 3);
}

TEST(FontFaces, Utf8AndLatin1BytesGiveTheSameGlyph) {
  Raster_CachedFont font;
  font.SetFromHFont(MakeFont(16, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
  Raster_MemBitmap bm(1, 1);
  RECT utf8{0, 0, 0, 0}, latin1{0, 0, 0, 0}, plain{0, 0, 0, 0};
  font.DrawText(&bm, "x\xC3\xA9x", -1, &utf8, RASTER_DT_MEASURE);
  font.DrawText(&bm, "x\xE9x", -1, &latin1, RASTER_DT_MEASURE);
  font.DrawText(&bm, "xex", -1, &plain, RASTER_DT_MEASURE);
  EXPECT_EQ(utf8.right, latin1.right);
  EXPECT_EQ(utf8.right, plain.right);
  // A truncated sequence at the end is read byte by byte, never past the length.
  RECT cut{0, 0, 0, 0};
  font.DrawText(&bm, "x\xC3", 2, &cut, RASTER_DT_MEASURE);
  EXPECT_GT(cut.right, 0);
}

TEST(FontOwnership, ReplacingAnOwnedHandleFreesIt) {
  // Run under LeakSanitizer: every handle made here is freed by the font.
  Raster_CachedFont font;
  font.SetFromHFont(MakeFont(12, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
  font.SetFromHFont(MakeFont(13, "DejaVu Sans"), RASTER_FONT_OWNS_HANDLE);
  EXPECT_NEAR(font.GetLineHeight(), 13, 1);
  HGDIOBJ borrowed = MakeFont(14, "DejaVu Sans");
  font.SetFromHFont(borrowed, 0);
  EXPECT_NEAR(font.GetLineHeight(), 14, 1);
  font.SetFromHFont(nullptr, 0);
  EXPECT_EQ(font.GetLineHeight(), 0);
  // A handle bound without ownership outlives the binding.
  EXPECT_NEAR(WinEmu_GetFontLineHeight(borrowed), 14, 1);
  DeleteObject(borrowed);
}

}  // namespace
