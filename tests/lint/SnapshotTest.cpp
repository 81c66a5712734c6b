// Pictures of the built panel: the panel's size at normal and large, and a
// different picture for each page.

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "LintTestSupport.h"
#include "PanelSnapshots.h"
#include "RemoveTree.h"
#include "rasteriser/Raster_PNG.h"

namespace {

TEST(Snapshots, MeasureThePanelAndDifferByPage) {
  const std::string dir = "/tmp/tavro_snapshots_" + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  for (double scale : {1.0, 1.25}) {
    LintPanel panel(BuiltBundle(), scale);
    std::set<std::string> pictures;
    for (const PanelView& view : PanelViews()) {
      const std::string path = dir + "/" + view.name + ".png";
      ASSERT_TRUE(SnapshotPanel(panel, view, path)) << path;
      std::unique_ptr<Raster_IBitmap> picture(Raster_LoadPNG(path.c_str(), nullptr));
      ASSERT_TRUE(picture) << path;
      EXPECT_EQ(picture->getWidth(), scale == 1.0 ? 1500 : 1875);
      EXPECT_EQ(picture->getHeight(), scale == 1.0 ? 667 : 833);
      EXPECT_TRUE(pictures.insert(ReadAll(path)).second) << view.name << " looks like another view";
    }
  }
  RemoveTree(dir);
}

}  // namespace
