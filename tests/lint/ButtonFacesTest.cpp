// A switch's face is lit while what it names is open: "Perform" is 0 while the
// performance window shows, so its lit face is the first frame.

#include <gtest/gtest.h>

#include <memory>

#include "LintTestSupport.h"
#include "rasteriser/Raster_PNG.h"

namespace {

// The mean of red, green and blue over rows [top, top + height) of the picture.
double Brightness(Raster_IBitmap& picture, int top, int height) {
  double sum = 0;
  for (int y = top; y < top + height; ++y) {
    const unsigned int* row = picture.getBits() + size_t(y) * size_t(picture.getRowSpan());
    for (int x = 0; x < picture.getWidth(); ++x) {
      sum += ((row[x] >> 16) & 0xFF) + ((row[x] >> 8) & 0xFF) + (row[x] & 0xFF);
    }
  }
  return sum / (3.0 * height * picture.getWidth());
}

// How much brighter the lit frame of a two-frame switch picture is than the other.
double LitFrameLead(const std::string& file, int litFrame) {
  const std::string path = BuiltBundle() + "/Resources/" + file;
  std::unique_ptr<Raster_IBitmap> picture(Raster_LoadPNG(path.c_str(), nullptr));
  if (!picture) return -1000;
  const int frame = picture->getHeight() / 2;
  return Brightness(*picture, litFrame * frame, frame) - Brightness(*picture, (1 - litFrame) * frame, frame);
}

TEST(ButtonFaces, PerformIsLitWhileThePerformanceWindowShowsAndOtherSwitchesWhileOn) {
  EXPECT_GT(LitFrameLead("performanceSettingsSwitch-v2.png", 0), 10.0);
  // "Perfs" (the lists show performances) is an ordinary one: lit at 1.
  EXPECT_GT(LitFrameLead("btn-lib-display-multis.png", 1), 10.0);
}

}  // namespace
