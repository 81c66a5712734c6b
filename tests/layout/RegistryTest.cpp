// The parameter-name and image registries, and the image cache shared by instances.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Framework/IGraphicsCaches.h"
#include "LayoutTestSupport.h"

namespace {

TEST(ParamNames, LookupsAndFirstRegistrationWins) {
  LayoutFixture f;
  f.Read("", "");
  UIConfigManager& m = *f.manager;
  const struct {
    const char* name;
    int index;
  } cases[] = {{"kPartMidiChannel", 204}, {"kNumAutomatedParams", 204}, {"kMDB53", -1},      {"kMDB54", 559},
               {"kfiltercutoff", -1},     {"kFilterCutoff+1", -1},      {"kRandomize", 797}, {"kMDB52", 558}};
  for (const auto& c : cases) EXPECT_EQ(m.getParamByName(c.name), c.index) << c.name;
  EXPECT_TRUE(f.Logged("parameter kMDB53 NOT FOUND!"));
  m.mapParamToString("kFilterCutoff", 9);
  EXPECT_EQ(m.getParamByName("kFilterCutoff"), 0);
  EXPECT_TRUE(f.Logged("parameter kFilterCutoff ALREADY EXISTS!"));
  // Every name of the table is registered under its index.
  for (int i = 0; i < kParamNameTableSize; ++i)
    EXPECT_EQ(m.getParamByName(kParamNameTable[i].name), kParamNameTable[i].index);
}

TEST(ParamNames, GroupTexts) {
  UIConfigManager m;
  EXPECT_STREQ(m.getParamGroup(0, "Filter"), "Part 1:Filter");
  EXPECT_STREQ(m.getParamGroup(3, ""), "Part 4");
  EXPECT_STREQ(m.getParamGroup(-1, "Global"), "Global");
  EXPECT_STREQ(m.getParamGroup(-1, ""), "");
}

// Every image of the table, with its frames, at the three panel scales.
TEST(Images, EveryRegisteredImageAtEachScale) {
  for (double scale : {0.75, 1.0, 1.25}) {
    SCOPED_TRACE(scale);
    LayoutFixture f;
    f.Read("", "", scale);
    EXPECT_EQ(f.manager->imageCount(), 76);
    for (int i = 0; i < kImageTableSize; ++i) {
      const ImageTableEntry& row = kImageTable[i];
      const IBitmap b = f.manager->getImageByName(f.graphics, row.name);
      ASSERT_NE(b.data, nullptr) << row.name;
      EXPECT_EQ(b.W, int(FixtureImageW(row) * scale)) << row.name;
      EXPECT_EQ(b.H, int(FixtureImageH(row) * scale)) << row.name;
      EXPECT_EQ(b.N, row.frames);
      EXPECT_EQ(b.framesHorizontal, row.horizontal);
    }
    // Two ids of one picture are two cached bitmaps.
    EXPECT_NE(f.manager->getImageByName(f.graphics, "BUTTON_VAAKA_HARM_ID").data,
              f.manager->getImageByName(f.graphics, "BUTTON_VAAKA_HARM2_ID").data);
    const IBitmap none = f.manager->getImageByName(f.graphics, "NO_SUCH_ID");
    EXPECT_EQ(none.data, nullptr);
    EXPECT_EQ(none.W, 0);
    EXPECT_EQ(none.N, 1);
    EXPECT_TRUE(f.Logged("Image NO_SUCH_ID MISSING!"));
  }
}

// The seventy standard images first, in their order, then the panel's own under ids
// no standard image takes; no id or name twice.
TEST(Images, StandardRowsFirstAndAddedImagesUnderIdsOfTheirOwn) {
  constexpr int kStandard = 70;
  ASSERT_EQ(kImageTableSize, kStandard + 6);
  const struct {
    int row, id;
    const char* name;
    const char* path;
  } spots[] = {
      {0, 102, "MANAGER_BG_ID2", "resources/img-v2/librarian-area-v2.png"},
      {6, 108, "BG_ID_MAIN2", "resources/img-v2/pro-1100x420.png"},
      {46, 431, "ID_SINGLE_LED_PROTECT", "resources/img-v2/pro-single-v2.png"},
      {47, 432, "ID_LEFT_LED_PROTECT", "resources/img-v2/pro-110x290.png"},
      {69, 996, "BUTTON_BANK_OVERWRITE_ID", "resources/img-v2/btn-overwrite-slot.png"},
  };
  for (const auto& s : spots) {
    EXPECT_EQ(kImageTable[s.row].id, s.id) << s.row;
    EXPECT_STREQ(kImageTable[s.row].name, s.name);
    EXPECT_STREQ(kImageTable[s.row].path, s.path);
  }
  std::set<int> ids, standardIds;
  std::set<std::string> names;
  for (int i = 0; i < kImageTableSize; ++i) {
    EXPECT_TRUE(ids.insert(kImageTable[i].id).second) << kImageTable[i].id;
    EXPECT_TRUE(names.insert(kImageTable[i].name).second) << kImageTable[i].name;
    if (i < kStandard) standardIds.insert(kImageTable[i].id);
  }
  for (int i = kStandard; i < kImageTableSize; ++i)
    EXPECT_EQ(standardIds.count(kImageTable[i].id), 0u) << kImageTable[i].name;
}

// A missing image is registered all the same and logs nothing of its own.
TEST(Images, AnImageThatFailsToLoadIsRegisteredWithoutALogLine) {
  LayoutFixture f(true, "KNOB_ID_257");
  f.Read("", "", 2.0);  // a scale no other test caches
  EXPECT_EQ(
      std::count_if(f.log.begin(), f.log.end(), [](const std::string& l) { return l.find("KNOB_ID_257") != l.npos; }),
      0);
  EXPECT_TRUE(f.manager->hasImage("KNOB_ID_257"));
  EXPECT_EQ(f.manager->getImageByName(f.graphics, "KNOB_ID_257").data, nullptr);
}

// Two instances share the cache: the first to clear must not free what the other draws.
TEST(Images, ClearImageCacheFreesOnlyWhatNoLivePanelHolds) {
  constexpr double kScale = 0.5;  // no other test caches this scale
  LayoutFixture a, b;
  a.Read("", "", kScale);
  b.Read("", "", kScale);
  const int id = kImageTable[0].id;
  auto cached = [&] { return BitmapCache().Find(id, kScale) != nullptr; };
  ASSERT_TRUE(cached());

  a.manager->ClearImageCache();  // a's panel still draws
  EXPECT_TRUE(a.Logged("image cache kept"));
  EXPECT_TRUE(cached());

  a.manager->panelDestroyed();
  a.manager->ClearImageCache();
  EXPECT_TRUE(cached());  // b holds it
  EXPECT_NE(b.manager->getImageByName(b.graphics, kImageTable[0].name).data, nullptr);

  b.manager->panelDestroyed();
  b.manager->ClearImageCache();
  EXPECT_FALSE(cached());
  for (int i = 0; i < kImageTableSize; ++i) EXPECT_EQ(BitmapCache().Find(kImageTable[i].id, kScale), nullptr);
  EXPECT_EQ(b.manager->imageCount(), 76);
}

}  // namespace
