// The progress overlay at every panel size: it covers the whole panel, and an editor
// opened after another one closed draws it the same (the picture they share survives
// the first one's tear-down).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShownEditor.h"

namespace {

TEST(OverlaySizes, CoversThePanelAndDrawsTheSameInTheNextEditor) {
  for (const char* size : {"small", "normal", "large"}) {
    SCOPED_TRACE(size);
    std::vector<uint32_t> first;
    for (int opening = 0; opening < 2; ++opening) {
      ShownEditor shown(std::string("\n") + size + "\nyes\n", true);
      Tavro& t = *shown.editor.plug;
      EXPECT_EQ(t.progressImage.W, shown.window.Width());
      EXPECT_EQ(t.progressImage.H, shown.window.Height());
      const std::vector<uint32_t> plain = shown.Redrawn();
      t.DisplayProcessingIndicator(true);
      const std::vector<uint32_t> covered = shown.Redrawn();
      // Dimmed near every corner, not only where the text stands.
      const int w = shown.window.Width(), h = shown.window.Height();
      for (const auto& [x, y] : {std::pair{3, h / 2}, std::pair{w - 4, h / 2}, std::pair{w / 2, h - 4}})
        EXPECT_NE(covered[size_t(y) * w + x], plain[size_t(y) * w + x]) << x << "," << y;
      if (opening == 0)
        first = covered;
      else
        EXPECT_TRUE(SameScreen(covered, first, w));
      t.DisplayProcessingIndicator(false);
    }
  }
}

}  // namespace
