// A text control keeps its text inside its own field: two port names side by side
// at the large panel size do not run together.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {

struct TextFit : ::testing::Test {
  TextFit() : f(420, 60) { surface->AttachPanelBackground(&COLOR_BLACK); }
  PanelFixture f;
  HeadlessSurface* surface = f.surface;
};

// Columns of the panel inked between x0 and x1 (exclusive), any row.
int InkedColumns(HeadlessSurface* surface, int x0, int x1) {
  int inked = 0;
  for (int x = x0; x < x1; ++x) {
    bool any = false;
    for (int y = 0; y < 60 && !any; ++y) any = !(surface->At(x, y) == COLOR_BLACK);
    inked += any ? 1 : 0;
  }
  return inked;
}

TEST_F(TextFit, APortNameWiderThanItsFieldIsDrawnSmallerInsideIt) {
  // The port captions' look at the large size: 25-pixel monospace in 187-pixel fields.
  const IText style(25, COLOR_WHITE, "NK57 Monospace");
  const IRECT out(10, 10, 197, 35), in(210, 10, 397, 35);
  IText measuring = style;
  IRECT wide = out;
  ASSERT_TRUE(surface->MeasureIText(&measuring, "NordSim-out:midi", &wide));
  ASSERT_GT(wide.W(), out.W()) << "the name must be too wide at its own size for this test";

  const IText fitted = FittedText(surface, style, "NordSim-out:midi", out);
  EXPECT_LT(fitted.size, style.size);
  EXPECT_GE(fitted.size, style.size * 2 / 3);
  IRECT taken = out;
  surface->MeasureIText(const_cast<IText*>(&fitted), "NordSim-out:midi", &taken);
  EXPECT_LE(taken.W(), out.W());

  surface->AttachControl(new ITextControl(f.plug.get(), out, &style, "NordSim-out:midi"));
  surface->AttachControl(new ITextControl(f.plug.get(), in, &style, "NordSim-in:midi"));
  surface->DrawAll();
  EXPECT_GT(InkedColumns(surface, out.L, out.R), 100);
  EXPECT_GT(InkedColumns(surface, in.L, in.R), 100);
  // Nothing in the gap between the two fields, nor left or right of them.
  EXPECT_EQ(InkedColumns(surface, out.R, in.L), 0);
  EXPECT_EQ(InkedColumns(surface, 0, out.L), 0);
  EXPECT_EQ(InkedColumns(surface, in.R, 420), 0);
}

// The drawn pixels of the panel inside `r`, row by row.
std::vector<IColor> PixelsIn(HeadlessSurface* surface, const IRECT& r) {
  std::vector<IColor> pixels;
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x) pixels.push_back(surface->At(x, y));
  return pixels;
}

TEST_F(TextFit, PortNamesTooWideEvenWhenSmallerAreCutInTheMiddleAndStillReadApart) {
  // One device's two ports, far wider than their 150-pixel fields even at two thirds.
  const IText style(20, COLOR_WHITE, "NK57 Monospace");
  const IRECT out(10, 10, 160, 30), in(210, 10, 360, 30);
  const char* outName = "NordSimulator Studio Rack-in:midi";
  const char* inName = "NordSimulator Studio Rack-out:midi";
  for (const auto& [rect, name] : {std::make_pair(out, outName), std::make_pair(in, inName)}) {
    auto* caption = new ITextControl(f.plug.get(), rect, &style, name);
    caption->SetFitToRect(true, true);
    surface->AttachControl(caption);
  }
  surface->DrawAll();
  EXPECT_GT(InkedColumns(surface, out.L, out.R), 120);
  EXPECT_GT(InkedColumns(surface, in.L, in.R), 120);
  EXPECT_EQ(InkedColumns(surface, 0, out.L), 0);
  EXPECT_EQ(InkedColumns(surface, out.R, in.L), 0);
  EXPECT_EQ(InkedColumns(surface, in.R, 420), 0);
  // Their starts are alike; their ends are drawn, so the two fields differ.
  EXPECT_NE(PixelsIn(surface, out), PixelsIn(surface, IRECT(in.L, in.T, in.L + out.W(), in.B)));
}

TEST_F(TextFit, CutAtTheEndTwoSuchNamesLookAlike) {
  // What the middle cut is for: cut at their ends, the two ports' captions are the same.
  const IText style(20, COLOR_WHITE, "NK57 Monospace");
  const IRECT out(10, 10, 160, 30), in(210, 10, 360, 30);
  for (const auto& [rect, name] : {std::make_pair(out, "NordSimulator Studio Rack-in:midi"),
                                   std::make_pair(in, "NordSimulator Studio Rack-out:midi")}) {
    auto* caption = new ITextControl(f.plug.get(), rect, &style, name);
    caption->SetFitToRect(true);
    surface->AttachControl(caption);
  }
  surface->DrawAll();
  EXPECT_GT(InkedColumns(surface, out.L, out.R), 120);
  EXPECT_EQ(PixelsIn(surface, out), PixelsIn(surface, in));
}

TEST_F(TextFit, ATextThatFitsKeepsItsSize) {
  const IText style(20, COLOR_WHITE, "NK57 Monospace");
  EXPECT_EQ(FittedText(surface, style, "OFF", IRECT(0, 0, 150, 20)).size, 20);
}

}  // namespace
