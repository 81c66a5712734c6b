#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <vector>

#include "views/View_FrameBuffer.h"

namespace {

std::string TempPath(const char* name) {
  return std::string("/tmp/views_test_") + std::to_string(getpid()) + "_" + name;
}

std::vector<uint32_t> Gradient(int w, int h, int span) {
  std::vector<uint32_t> px(size_t(span) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px[size_t(y * span + x)] = PanelPixelFromRgb(uint8_t(x * 3), uint8_t(y * 5), uint8_t(x + y));
  return px;
}

TEST(ViewFrameBuffer, ResizeMakesBlackOpaquePixels) {
  ViewFrameBuffer fb;
  fb.Resize(3, 2);
  EXPECT_EQ(fb.Width(), 3);
  EXPECT_EQ(fb.Height(), 2);
  EXPECT_EQ(PanelPixelRgb(fb.Pixel(2, 1)), 0u);
  EXPECT_EQ(fb.Pixel(3, 0), 0u);
  EXPECT_EQ(fb.Pixel(-1, 0), 0u);
}

TEST(ViewFrameBuffer, CopyFromTakesOnlyTheClippedArea) {
  ViewFrameBuffer fb;
  fb.Resize(8, 6);
  const std::vector<uint32_t> src = Gradient(8, 6, 10);
  fb.CopyFrom(src.data(), 8, 6, 10, {6, 4, 10, 10});
  EXPECT_EQ(fb.Pixel(6, 4), src[4 * 10 + 6]);
  EXPECT_EQ(fb.Pixel(7, 5), src[5 * 10 + 7]);
  EXPECT_EQ(PanelPixelRgb(fb.Pixel(5, 4)), 0u);
  EXPECT_EQ(PanelPixelRgb(fb.Pixel(6, 3)), 0u);
}

TEST(ViewFrameBuffer, CopyFromASmallerSourceStopsAtItsEdge) {
  ViewFrameBuffer fb;
  fb.Resize(8, 6);
  const std::vector<uint32_t> src = Gradient(4, 3, 4);
  fb.CopyFrom(src.data(), 4, 3, 4, {0, 0, 8, 6});
  EXPECT_EQ(fb.Pixel(3, 2), src[2 * 4 + 3]);
  EXPECT_EQ(PanelPixelRgb(fb.Pixel(4, 2)), 0u);
  EXPECT_EQ(PanelPixelRgb(fb.Pixel(3, 3)), 0u);
}

TEST(ViewFrameBuffer, SavedPngReadsBackPixelForPixel) {
  ViewFrameBuffer fb;
  fb.Resize(17, 9);
  const std::vector<uint32_t> src = Gradient(17, 9, 20);
  fb.CopyFrom(src.data(), 17, 9, 20, {0, 0, 17, 9});
  const std::string path = TempPath("roundtrip.png");
  std::string error;
  ASSERT_TRUE(fb.SavePng(path, &error)) << error;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(image.width, 17u);
  ASSERT_EQ(image.height, 9u);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 17; ++x) {
      const uint32_t p = fb.Pixel(x, y);
      const uint8_t* q = &rgb[size_t(y * 17 + x) * 3];
      ASSERT_EQ(q[0], PanelPixelRed(p));
      ASSERT_EQ(q[1], PanelPixelGreen(p));
      ASSERT_EQ(q[2], PanelPixelBlue(p));
    }
  unlink(path.c_str());
}

TEST(ViewFrameBuffer, SaveFailsWithAReason) {
  ViewFrameBuffer fb;
  std::string error;
  EXPECT_FALSE(fb.SavePng(TempPath("empty.png"), &error));
  EXPECT_NE(error.find("empty"), std::string::npos);
  fb.Resize(2, 2);
  error.clear();
  EXPECT_FALSE(fb.SavePng("/nonexistent-folder/x.png", &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
}

TEST(PanelPixels, ChannelsSitWhereThePanelBitmapKeepsThem) {
  const uint32_t p = PanelPixelFromRgb(0x12, 0x34, 0x56);
  EXPECT_EQ(p, 0x563412FFu);
  EXPECT_EQ(PanelPixelRgb(p), 0x123456u);
}

}  // namespace
