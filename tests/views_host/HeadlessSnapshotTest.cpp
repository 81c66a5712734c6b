#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "HostSnapshot.h"

namespace {

TEST(HostSnapshot, WithoutADisplayThePanelIsDrawnHeadlessAndWritten) {
  const std::string png = "/tmp/views_host_" + std::to_string(getpid()) + ".png";
  std::string output;
  ASSERT_EQ(RunHostSnapshot(png, "", &output), 0) << output;
  EXPECT_NE(output.find("drawn headless"), std::string::npos) << output;
  EXPECT_NE(output.find("snapshot: panel written to " + png), std::string::npos) << output;
  Picture picture;
  ASSERT_TRUE(ReadPicture(png, &picture));
  EXPECT_EQ(picture.width, 320u);
  EXPECT_EQ(picture.height, 200u);
  EXPECT_EQ(picture.At(2, 190), 0x343A42u);  // the panel's face colour
  // The title and the read-outs put text on it: more than a handful of colours.
  std::set<uint32_t> colours;
  for (unsigned y = 0; y < picture.height; ++y)
    for (unsigned x = 0; x < picture.width; ++x) colours.insert(picture.At(x, y));
  EXPECT_GT(colours.size(), 10u);
  unlink(png.c_str());
}

TEST(HostSnapshot, AnUnwritablePictureFailsTheRun) {
  std::string output;
  EXPECT_NE(RunHostSnapshot("/nonexistent-folder/panel.png", "", &output), 0);
  EXPECT_NE(output.find("/nonexistent-folder/panel.png"), std::string::npos) << output;
}

}  // namespace
