#include "views/View_ClickCounter.h"

#include <cstdlib>

int ViewClickCounter::Press(ViewMouseButton button, int x, int y, uint32_t timeMillis) {
  const bool continues = havePrevious_ && button == button_ && uint32_t(timeMillis - time_) <= kDoubleClickMillis &&
                         std::abs(x - x_) <= kSlopPixels && std::abs(y - y_) <= kSlopPixels;
  count_ = continues ? count_ + 1 : 1;
  havePrevious_ = true;
  button_ = button;
  x_ = x;
  y_ = y;
  time_ = timeMillis;
  return count_;
}
