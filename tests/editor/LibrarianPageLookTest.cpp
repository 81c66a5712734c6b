// The librarian page as the editor lays it out and draws it: the list at the three
// panel sizes the UI settings file picks, the selected row on screen, and the menus
// remade over and over.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cmath>

#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "views/View_FrameBuffer.h"

namespace {

TEST(LibrarianPageLook, TheListFollowsTheSizeTheSettingsFilePicks) {
  struct Size {
    const char* settings;
    double scale;
    int width, height, columnStep, lowerOffset, font;
  };
  const Size sizes[] = {{"\nsmall\n", 0.75, 75, 12, 95, 228, 9},
                        {"\nnormal\n", 1.0, 100, 16, 127, 302, 13},
                        {"\nlarge\n", 1.25, 126, 20, 159, 378, 16}};
  IRECT normalFirst;
  for (const Size& s : sizes) {
    SCOPED_TRACE(s.scale);
    LibrarianPage page(Banks{{"Bank A.syx", "A"}}, std::nullopt, s.settings);
    LibrarianViewControl& list = page.list();
    const IRECT first = list.row(0, 0)->GetRECT(), second = list.row(0, 1)->GetRECT();
    const IRECT nextColumn = list.row(0, 16)->GetRECT(), lower = list.row(1, 0)->GetRECT();
    const IRECT last = list.row(1, 99)->GetRECT();
    EXPECT_EQ(first.W(), s.width);
    EXPECT_EQ(first.H(), s.height);
    EXPECT_EQ(second.T - first.T, s.height);
    EXPECT_EQ(nextColumn.L - first.L, s.columnStep);
    EXPECT_EQ(lower.T - first.T, s.lowerOffset);
    EXPECT_EQ(last.L - lower.L, 6 * s.columnStep);
    EXPECT_EQ(last.T - lower.T, 3 * s.height);
    EXPECT_EQ(list.row(0, 0)->GetText()->size, s.font);
    EXPECT_EQ(list.rowHeight(), s.height);
    if (s.scale == 1.0) normalFirst = first;
    if (s.scale != 1.0 && !normalFirst.Empty()) {
      EXPECT_LE(std::abs(first.L - normalFirst.L * s.scale), 1.0);
    }
    // Hits land on the row under the pointer at every size, in both panes.
    for (const auto& [side, row] : {std::pair{0, 0}, {0, 37}, {1, 99}, {1, 64}}) {
      page.click(side, row);
      EXPECT_EQ(page.list().currentRow, row) << side;
      EXPECT_EQ(side ? page.list().selectedLower.load() : page.list().selectedUpper.load(), row);
      EXPECT_EQ(page.list().activeSide.load(), side);
    }
    EXPECT_EQ(page.rowText(1, 64), "A64");
  }
}

TEST(LibrarianPageLook, TheSelectedRowIsALightBarWithBlackText) {
  LibrarianPage page;
  page.click(0, 3);
  page.backend.Tick();
  const ViewFrameBuffer& screen = page.backend.FrameBuffer();
  const IRECT selected = page.list().row(0, 3)->GetRECT(), plain = page.list().row(0, 4)->GetRECT();
  // Past the text: the bar, light grey, in the selected row only.
  const uint32_t bar = screen.Pixel(selected.R - 2, selected.T + 2);
  for (uint8_t channel : {PanelPixelRed(bar), PanelPixelGreen(bar), PanelPixelBlue(bar)}) EXPECT_GT(channel, 170);
  EXPECT_NE(PanelPixelRgb(screen.Pixel(plain.R - 2, plain.T + 2)), PanelPixelRgb(bar));
  // The name: black on the bar, white elsewhere.
  int dark = 0, bright = 0;
  for (int x = selected.L; x < selected.L + 30; ++x)
    for (int y = selected.T; y < selected.B; ++y) dark += PanelPixelRed(screen.Pixel(x, y)) < 60;
  for (int x = plain.L; x < plain.L + 30; ++x)
    for (int y = plain.T; y < plain.B; ++y) bright += PanelPixelRed(screen.Pixel(x, y)) > 180;
  EXPECT_GT(dark, 10);
  EXPECT_GT(bright, 10);
  // Another selection moves the bar.
  page.click(0, 4);
  page.backend.Tick();
  EXPECT_EQ(PanelPixelRgb(screen.Pixel(plain.R - 2, plain.T + 2)), PanelPixelRgb(bar));
  EXPECT_NE(PanelPixelRgb(screen.Pixel(selected.R - 2, selected.T + 2)), PanelPixelRgb(bar));
}

TEST(LibrarianPageLook, AThousandMenuRefreshesKeepMemoryAndMenusWhole) {
  LibrarianPage page({{"A/Sub/x.syx", "A"}, {"B/Sub/x.syx", "B"}, {"Top.syx", "T"}});
  for (int i = 0; i < 50; ++i) page.plug->refreshPopUpMenus();
  // Under the address sanitizer the counts stay zero; its leak check at exit speaks.
  const size_t before = mallinfo2().uordblks;
  for (int i = 0; i < 1000; ++i) page.plug->refreshPopUpMenus();
  const size_t after = mallinfo2().uordblks;
  EXPECT_LT(after, before + 64 * 1024) << "grew by " << (after - before) << " bytes";
  page.backend.ScriptPopupChoiceText("B/Sub/x.syx");
  page.clickMenu("LeftPatchPopupMenu", kLeftPatchMenu);
  ASSERT_EQ(page.backend.ShownMenus().size(), 1u);
  const auto& titles = page.backend.ShownMenus()[0].titles;
  EXPECT_EQ(std::count(titles.begin(), titles.end(), "B/Sub/x.syx"), 1);
  EXPECT_EQ(page.rowText(0, 4), "B4");
}

}  // namespace
