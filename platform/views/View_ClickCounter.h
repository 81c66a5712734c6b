#pragma once
// Click counts from presses, for back ends whose system does not count them:
// a press of the same button within the double-click time and a few pixels of the
// previous one continues the run (2 = double click); anything else starts at 1.

#include <cstdint>

#include "views/View_Events.h"

class ViewClickCounter {
public:
  static constexpr uint32_t kDoubleClickMillis = 400;
  static constexpr int kSlopPixels = 4;

  // `timeMillis` is the event's own timestamp (wrapping 32-bit milliseconds).
  int Press(ViewMouseButton button, int x, int y, uint32_t timeMillis);

private:
  bool havePrevious_ = false;
  ViewMouseButton button_ = ViewMouseButton::Left;
  int x_ = 0, y_ = 0;
  uint32_t time_ = 0;
  int count_ = 0;
};
