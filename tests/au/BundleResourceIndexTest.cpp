#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "BundleResourceIndex.h"
#include "RemoveTree.h"

namespace {

class ResourceIndex : public ::testing::Test {
protected:
  void SetUp() override {
    root = "/tmp/views_resources_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Make("");
  }
  void TearDown() override { RemoveTree(root); }
  void Make(const std::string& dir) { mkdir((root + "/" + dir).c_str(), 0755); }
  void Touch(const std::string& rel) { std::ofstream(root + "/" + rel) << rel; }
  std::string root;
};

TEST_F(ResourceIndex, FindsByBaseNameAndTypeAnywhereBelow) {
  Make("img");
  Touch("img/knob.png");
  Touch("uiconfig.tea");
  auto index = BundleResourceIndex::ForFolder(root);
  std::string path;
  EXPECT_EQ(index->Find("resources/knob.PNG", "png", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(path, root + "/img/knob.png");
  EXPECT_EQ(index->Find("uiconfig.tea", "tea", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(path, root + "/uiconfig.tea");
  EXPECT_EQ(index->FileCount(), 2u);
}

TEST_F(ResourceIndex, TypeAndBaseAreExact) {
  Touch("Knob.png");
  auto index = BundleResourceIndex::ForFolder(root);
  std::string path;
  EXPECT_EQ(index->Find("knob.png", "png", &path), BundleResourceIndex::Lookup::Missing);
  EXPECT_EQ(index->Find("Knob.png", "PNG", &path), BundleResourceIndex::Lookup::Missing);
  EXPECT_EQ(index->Find("", "png", &path), BundleResourceIndex::Lookup::Missing);
}

TEST_F(ResourceIndex, SameNameInTwoFoldersIsRefusedUnlessTheNameChooses) {
  Make("img-v2");
  Make("img-retina-quality");
  Touch("img-v2/knob.png");
  Touch("img-retina-quality/knob.png");
  auto index = BundleResourceIndex::ForFolder(root);
  std::string path;
  EXPECT_EQ(index->Find("knob.png", "png", &path), BundleResourceIndex::Lookup::Ambiguous);
  EXPECT_EQ(index->Find("resources/img-v2/knob.png", "png", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(path, root + "/img-v2/knob.png");
  EXPECT_EQ(index->Find("img-retina-quality/knob.png", "png", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(path, root + "/img-retina-quality/knob.png");
}

TEST_F(ResourceIndex, SymlinkedFolderLoopsAreNotFollowed) {
  Make("a");
  Touch("a/x.png");
  ASSERT_EQ(symlink(root.c_str(), (root + "/a/loop").c_str()), 0);
  auto index = BundleResourceIndex::ForFolder(root);
  std::string path;
  EXPECT_EQ(index->Find("x.png", "png", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(index->FileCount(), 1u);
}

// Reading a pipe or a device would block or never end: only regular files
// (also through a link) are resources.
TEST_F(ResourceIndex, OnlyRegularFilesAreIndexed) {
  Touch("real.tea");
  ASSERT_EQ(mkfifo((root + "/pipe.tea").c_str(), 0644), 0);
  ASSERT_EQ(symlink((root + "/pipe.tea").c_str(), (root + "/linked.tea").c_str()), 0);
  ASSERT_EQ(symlink("/dev/zero", (root + "/zero.tea").c_str()), 0);
  ASSERT_EQ(symlink((root + "/real.tea").c_str(), (root + "/alias.tea").c_str()), 0);
  auto index = BundleResourceIndex::ForFolder(root);
  std::string path;
  EXPECT_EQ(index->Find("pipe.tea", "tea", &path), BundleResourceIndex::Lookup::Missing);
  EXPECT_EQ(index->Find("linked.tea", "tea", &path), BundleResourceIndex::Lookup::Missing);
  EXPECT_EQ(index->Find("zero.tea", "tea", &path), BundleResourceIndex::Lookup::Missing);
  EXPECT_EQ(index->Find("alias.tea", "tea", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(index->Find("real.tea", "tea", &path), BundleResourceIndex::Lookup::Found);
  EXPECT_EQ(index->FileCount(), 2u);
}

TEST_F(ResourceIndex, MissingFolderIsAnEmptyIndex) {
  auto index = BundleResourceIndex::ForFolder(root + "/nope");
  std::string path;
  EXPECT_EQ(index->Find("x.png", "png", &path), BundleResourceIndex::Lookup::Missing);
}

TEST(ResourceNames, BaseAndExtension) {
  EXPECT_EQ(ViewResourceBaseName("a/b.c.png"), "b.c");
  EXPECT_EQ(ViewResourceExtension("a/b.c.png"), "png");
  EXPECT_EQ(ViewResourceExtension("a.d/readme"), "");
  EXPECT_EQ(ViewResourceBaseName("a.d/readme"), "readme");
}

}  // namespace
