#pragma once
// What a headless window shows, as pixels, and the comparison of two such screens.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "views/View_FrameBuffer.h"

inline std::vector<uint32_t> ScreenPixels(const ViewFrameBuffer& fb) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < fb.Height(); ++y) pixels.insert(pixels.end(), fb.Row(y), fb.Row(y) + fb.Width());
  return pixels;
}

// Success when equal; else how many pixels differ and where the first is.
inline ::testing::AssertionResult SameScreen(const std::vector<uint32_t>& shown, const std::vector<uint32_t>& expected,
                                             int width) {
  if (shown.size() != expected.size()) return ::testing::AssertionFailure() << "screens of different sizes";
  size_t differing = 0, first = expected.size();
  for (size_t i = 0; i < expected.size(); ++i)
    if (shown[i] != expected[i]) {
      ++differing;
      first = std::min(first, i);
    }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ, the first at x " << first % size_t(width)
                                       << " y " << first / size_t(width);
}
