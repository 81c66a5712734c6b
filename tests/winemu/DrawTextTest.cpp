// WinEmu_DrawText on a memory context: measuring, placement and clipping.
#include <gtest/gtest.h>

#include <climits>

#include "winemu/WinEmu.h"

namespace {

int InkColumns(HDC dc, int* first, int* last) {
  *first = INT_MAX;
  *last = INT_MIN;
  int count = 0;
  for (int y = 0; y < dc->context.height; ++y) {
    for (int x = 0; x < dc->context.width; ++x) {
      if (dc->context.bits[y * dc->context.rowSpan + x] & 0xFF00u) {
        *first = std::min(*first, x);
        *last = std::max(*last, x);
        ++count;
      }
    }
  }
  return count;
}

TEST(DrawText, MeasureThenDrawPutsTheInkInTheBox) {
  HDC dc = WinEmu_CreateMemoryDC(120, 40);
  ASSERT_NE(dc, nullptr);
  HGDIOBJ font = CreateFont(18, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(SelectObject(dc, font), nullptr);
  WinEmu_SetTextPixel(dc, 0xFFFFFFFFu);
  RECT m{5, 5, 5, 5};
  const int height = WinEmu_DrawText(dc, "Tavro", -1, &m, DT_CALCRECT);
  EXPECT_EQ(height, WinEmu_GetFontLineHeight(font));
  EXPECT_EQ(m.left, 0);
  EXPECT_GT(m.right, 20);
  RECT box{0, 0, 120, 40};
  WinEmu_DrawText(dc, "Tavro", -1, &box, DT_RIGHT | DT_VCENTER);
  int first, last;
  ASSERT_GT(InkColumns(dc, &first, &last), 0);
  EXPECT_EQ(last, 119);
  EXPECT_EQ(first, 120 - m.right);
  EXPECT_EQ(WinEmu_DrawText(nullptr, "x", -1, &box, 0), 0);
  EXPECT_EQ(WinEmu_DrawText(dc, "x", -1, nullptr, 0), 0);
  RECT empty{0, 0, 0, 0};
  EXPECT_EQ(WinEmu_DrawText(dc, "", 0, &empty, DT_CALCRECT), height);
  EXPECT_EQ(empty.right, 0);
  SelectObject(dc, nullptr);
  DeleteObject(font);
  DeleteDC(dc);
}

TEST(DrawText, ContextsOfEverySize) {
  HDC none = WinEmu_CreateMemoryDC(0, 0);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->context.bits, nullptr);
  HGDIOBJ font = CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Consolas");
  SelectObject(none, font);
  RECT r{0, 0, 50, 50};
  EXPECT_GT(WinEmu_DrawText(none, "nothing to draw on", -1, &r, 0), 0);
  EXPECT_TRUE(WinEmu_ResizeMemoryDC(none, 8, 4));
  EXPECT_EQ(none->context.width, 8);
  EXPECT_FALSE(WinEmu_ResizeMemoryDC(none, 40000, 4));
  EXPECT_EQ(none->context.width, 0);
  SelectObject(none, nullptr);
  DeleteObject(font);
  DeleteDC(none);
  EXPECT_FALSE(DeleteDC(nullptr));
  HDC__ wrapped = WinEmu_WrapPixels(nullptr, 0, 0, 0);
  EXPECT_FALSE(DeleteDC(&wrapped));  // not ours to free
}

}  // namespace
