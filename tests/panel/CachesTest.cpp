#include <gtest/gtest.h>

#include "FontconfigLeakSuppression.h"
#include "Framework/IGraphicsCaches.h"
#include "PanelTestSupport.h"

namespace {
// Ids used here are unique to this file: the caches live for the whole process.
constexpr int kImageId = 9012;

struct Caches : ::testing::Test {
  Caches() {
    surface->images["knob"] = [] { return MakeFilled(100, 40, COLOR_BLUE); };
  }
  PanelFixture f;
  HeadlessSurface* surface = f.surface;
};
}  // namespace

TEST_F(Caches, SameImageAtTwoScalesGivesTwoSizes) {
  surface->SetImageScale(0.75);
  IBitmap small = surface->LoadIBitmap(kImageId, "knob", 0.75, 1);
  EXPECT_EQ(small.W, 75);
  EXPECT_EQ(small.H, 30);
  EXPECT_EQ(small.data->getWidth(), 75);
  EXPECT_EQ(surface->getImageById(kImageId).W, 75);

  // A second panel opened at another size gets its own scale.
  PanelFixture other(300, 200);
  other.surface->images["knob"] = [] { return MakeFilled(100, 40, COLOR_BLUE); };
  other.surface->SetImageScale(1.25);
  IBitmap large = other.surface->LoadIBitmap(kImageId, "knob", 1.25, 1);
  EXPECT_EQ(large.W, 125);
  EXPECT_EQ(large.H, 50);
  EXPECT_EQ(other.surface->getImageById(kImageId, 3, true).W, 125);
  EXPECT_EQ(other.surface->getImageById(kImageId, 3, true).N, 3);
  EXPECT_TRUE(other.surface->getImageById(kImageId, 3, true).framesHorizontal);
  EXPECT_EQ(surface->getImageById(kImageId).W, 75);

  // Cached: neither panel loads it again.
  const int loads = surface->bitmapLoads;
  IBitmap again = surface->LoadIBitmap(kImageId, "knob", 0.75, 2);
  EXPECT_EQ(again.data, small.data);
  EXPECT_EQ(again.N, 2);
  EXPECT_EQ(surface->bitmapLoads, loads);
}

TEST_F(Caches, AnImageLoadedAtAnotherScaleLeavesThePanelsScaleAlone) {
  // The progress overlay is loaded unscaled at start-up, after the panel's images.
  surface->images["overlay"] = [] { return MakeFilled(20, 20, COLOR_RED); };
  surface->SetImageScale(0.75);
  surface->LoadIBitmap(kImageId + 8, "knob", 0.75);
  surface->LoadIBitmap(kImageId + 9, "overlay", 1.0);
  EXPECT_DOUBLE_EQ(surface->GetImageScale(), 0.75);
  EXPECT_EQ(surface->getImageById(kImageId + 8).W, 75);
  EXPECT_EQ(surface->getImageById(kImageId + 9).data, nullptr);
  surface->SetImageScale(1.0);
  EXPECT_EQ(surface->getImageById(kImageId + 9).W, 20);
  EXPECT_EQ(surface->getImageById(kImageId + 8).data, nullptr);
}

TEST_F(Caches, ScaledImageKeepsItsColours) {
  IBitmap bm = surface->LoadIBitmap(kImageId + 1, "knob", 1.25, 1);
  ASSERT_NE(bm.data, nullptr);
  EXPECT_EQ(IColor::FromPixel(bm.data->getBits()[0]), COLOR_BLUE);
  EXPECT_EQ(IColor::FromPixel(bm.data->getBits()[bm.data->getRowSpan() * 49 + 124]), COLOR_BLUE);
}

TEST_F(Caches, TinyImageScalesByTruncation) {
  surface->images["dot"] = [] { return MakeFilled(3, 3, COLOR_RED); };
  IBitmap bm = surface->LoadIBitmap(kImageId + 2, "dot", 1.25, 1);
  EXPECT_EQ(bm.W, 3);
  EXPECT_EQ(bm.H, 3);
}

TEST_F(Caches, MissingImageAndUncachedIdGiveTheEmptyBitmap) {
  IBitmap missing = surface->LoadIBitmap(kImageId + 3, "no such png", 1.0, 4);
  EXPECT_EQ(missing.data, nullptr);
  EXPECT_EQ(missing.W, 0);
  EXPECT_EQ(missing.N, 1);
  IBitmap uncached = surface->getImageById(kImageId + 4, 2);
  EXPECT_EQ(uncached.data, nullptr);
  surface->images["zero"] = [] { return std::make_unique<Raster_MemBitmap>(0, 0, 4); };
  EXPECT_EQ(surface->LoadIBitmap(kImageId + 5, "zero", 1.0).data, nullptr);
  // Drawing the empty bitmap draws nothing and does not fail.
  IRECT r(0, 0, 10, 10);
  EXPECT_TRUE(surface->DrawBitmap(&missing, &r, 2, nullptr));
}

// Every control draws a loaded image from the cache: releasing what the load gave, or
// what a look-up gives, leaves it there and drawable (the sanitizer build sees a freed one).
TEST_F(Caches, ReleasingALoadedImageChangesNothingAndItStillDraws) {
  BitmapStorage& cache = BitmapCache();
  IBitmap first = surface->LoadIBitmap(kImageId + 6, "knob", 1.0, 1);
  ASSERT_NE(first.data, nullptr);
  const int size = cache.Size();
  Raster_MemBitmap stranger(4, 4, 4);
  IBitmap notCached(&stranger, 4, 4);
  surface->ReleaseBitmap(&notCached);
  surface->ReleaseBitmap(&first);
  IBitmap found = surface->getImageById(kImageId + 6);
  surface->ReleaseBitmap(&found);
  EXPECT_EQ(cache.Size(), size);
  EXPECT_EQ(surface->getImageById(kImageId + 6).data, first.data);
  EXPECT_EQ(surface->LoadIBitmap(kImageId + 6, "knob", 1.0, 1).data, first.data);

  IRECT r(0, 0, 100, 40);
  EXPECT_TRUE(surface->DrawBitmap(&first, &r, 1, nullptr));
  EXPECT_EQ(surface->At(50, 20), COLOR_BLUE);
}

TEST_F(Caches, RetainScaleAndCropAddUnnamedImages) {
  BitmapStorage& cache = BitmapCache();
  IBitmap bm = surface->LoadIBitmap(kImageId + 7, "knob", 1.0, 2);
  const int size = cache.Size();
  IBitmap scaled = surface->ScaleBitmap(&bm, 50, 10);
  EXPECT_EQ(scaled.W, 50);
  EXPECT_EQ(scaled.N, 2);
  IRECT part(10, 5, 30, 25);
  IBitmap cropped = surface->CropBitmap(&bm, &part);
  EXPECT_EQ(cropped.W, 20);
  EXPECT_EQ(cropped.H, 20);
  EXPECT_EQ(IColor::FromPixel(cropped.data->getBits()[0]), COLOR_BLUE);
  EXPECT_EQ(cache.Size(), size + 2);
  auto* own = new Raster_MemBitmap(2, 2, 4);
  IBitmap retained(own, 2, 2);
  surface->RetainBitmap(&retained);
  EXPECT_EQ(cache.Size(), size + 3);
  surface->ReleaseBitmap(&retained);  // deletes `own`
  surface->ReleaseBitmap(&scaled);
  surface->ReleaseBitmap(&cropped);
  EXPECT_EQ(cache.Size(), size);
  IRECT bad(5, 5, 5, 9);
  EXPECT_EQ(surface->CropBitmap(&bm, &bad).data, nullptr);
  EXPECT_EQ(surface->ScaleBitmap(&bm, 0, 10).data, nullptr);
}

TEST_F(Caches, RetainingACachedImageDoesNotOwnItTwice) {
  BitmapStorage& cache = BitmapCache();
  IBitmap bm = surface->LoadIBitmap(kImageId + 8, "knob", 1.0);
  const int size = cache.Size();
  surface->RetainBitmap(&bm);
  EXPECT_EQ(cache.Size(), size);
  // It stays a loaded image: a release leaves it.
  surface->ReleaseBitmap(&bm);
  EXPECT_EQ(cache.Size(), size);
  EXPECT_EQ(surface->getImageById(kImageId + 8).data, bm.data);
}

TEST_F(Caches, FontsAreSharedByColourAndSplitByOrientation) {
  IText red(13, COLOR_RED, "DejaVu Sans Mono");
  IText blue(13, COLOR_BLUE, "DejaVu Sans Mono");
  blue.quality = 0;
  IText turned = red;
  turned.orientation = 90;
  Raster_IFont* a = surface->CacheFont(&red);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(red.cachedFont, a);
  EXPECT_EQ(surface->CacheFont(&blue), a);
  Raster_IFont* b = surface->CacheFont(&turned);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(b, a);
  IText bold = red;
  bold.style = IText::kStyleBold;
  EXPECT_NE(surface->CacheFont(&bold), a);
  EXPECT_EQ(FontCache().Find(&blue), a);
}

TEST_F(Caches, FontHeightComesCloseToTheRequestedSize) {
  IText style(24, COLOR_BLACK, "DejaVu Sans Mono");
  Raster_IFont* font = surface->CacheFont(&style);
  ASSERT_NE(font, nullptr);
  EXPECT_NEAR(font->GetLineHeight(), 24, 3);
  IText tiny(1, COLOR_BLACK, "DejaVu Sans Mono");
  Raster_IFont* small = surface->CacheFont(&tiny);
  ASSERT_NE(small, nullptr);
  EXPECT_GT(small->GetLineHeight(), 0);
}
