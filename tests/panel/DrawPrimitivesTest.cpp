#include <gtest/gtest.h>

#include "Framework/IControl.h"
#include "Framework/IGraphicsDraw.h"
#include "PanelTestSupport.h"

namespace {
// Runs a drawing script as its Draw.
class ScriptedControl : public IControl {
public:
  ScriptedControl(IModuleBase* plug, std::function<void(IGraphics*)> draw)
      : IControl(plug, IRECT(0, 0, 100, 60)), mDraw(std::move(draw)) {}
  bool Draw(IGraphics* g) override {
    mDraw(g);
    return true;
  }

private:
  std::function<void(IGraphics*)> mDraw;
};

struct Primitives : ::testing::Test {
  Primitives() : f(100, 60) { surface->AttachPanelBackground(&COLOR_BLACK); }
  // Paints the panel black, then runs `draw` in a strict redraw of `clip`.
  void DrawIn(const IRECT& clip, std::function<void(IGraphics*)> draw) {
    surface->DrawAll();
    auto* c = new ScriptedControl(f.plug.get(), std::move(draw));
    surface->AttachControl(c);
    IRECT r = clip;
    surface->Draw(&r);
    c->Hide(true);
  }
  IBitmap Strip(int id, int w, int h, int frames, bool horizontal = false) {
    const std::string name = "p" + std::to_string(id);
    surface->images[name] = [=] { return MakeStrip(w, h, frames, horizontal); };
    return surface->LoadIBitmap(4000 + id, name.c_str(), 1.0, frames, horizontal);
  }
  PanelFixture f;
  HeadlessSurface* surface = f.surface;
  const IRECT all{0, 0, 100, 60};
};
}  // namespace

TEST(BlendMapping, MethodsGiveTheRasteriserModes) {
  EXPECT_EQ(ToRasterBlend(nullptr).mode, 0x10000);
  EXPECT_FLOAT_EQ(ToRasterBlend(nullptr).opacity, 1.0f);
  IChannelBlend clobber(1, 0.3f), add(2, 0.4f), dodge(3), other(9, 0.7f);
  EXPECT_EQ(ToRasterBlend(&clobber).mode, 0);
  EXPECT_FLOAT_EQ(ToRasterBlend(&clobber).opacity, 0.3f);
  EXPECT_EQ(ToRasterBlend(&add).mode, 0x10001);
  EXPECT_EQ(ToRasterBlend(&dodge).mode, 0x10002);
  EXPECT_EQ(ToRasterBlend(&other).mode, 0x10000);
  EXPECT_FLOAT_EQ(ToRasterBlend(&other).opacity, 0.7f);
  EXPECT_EQ(ToRotatedRasterBlend(nullptr).mode, 0x10100);
  EXPECT_EQ(ToRotatedRasterBlend(&clobber).mode, 0x100);
  EXPECT_EQ(ToRotatedRasterBlend(&add).mode, 0x10101);
  EXPECT_EQ(ToRotatedRasterBlend(&other).mode, 0x10100);
}

TEST_F(Primitives, FrameThreeOfAFiveFrameStripStartsAtRow80) {
  IBitmap strip = Strip(1, 10, 40, 5);
  DrawIn(all, [&](IGraphics* g) {
    IRECT dest(0, 0, 10, 40);
    g->DrawBitmap(&strip, &dest, 3, nullptr);
  });
  EXPECT_EQ(surface->At(5, 0), FrameColor(3));
  EXPECT_EQ(surface->At(5, 39), FrameColor(3));
}

TEST_F(Primitives, HorizontalFramesOffsetTheColumn) {
  IBitmap strip = Strip(2, 8, 8, 4, true);
  DrawIn(all, [&](IGraphics* g) {
    IRECT dest(20, 20, 28, 28);
    g->DrawBitmap(&strip, &dest, 4, 0, 0, nullptr);
  });
  EXPECT_EQ(surface->At(20, 20), FrameColor(4));
}

TEST_F(Primitives, BitmapOutsideTheDrawRectCopiesNothing) {
  IBitmap strip = Strip(3, 10, 10, 1);
  DrawIn(IRECT(50, 30, 60, 40), [&](IGraphics* g) {
    IRECT dest(0, 0, 10, 10);
    g->DrawBitmap(&strip, &dest, 1, nullptr);
    IRECT half(45, 25, 55, 35);
    g->DrawBitmap(&strip, &half, 1, nullptr);
  });
  EXPECT_EQ(surface->At(5, 5), COLOR_BLACK);
  EXPECT_EQ(surface->At(52, 32), FrameColor(1));
  EXPECT_EQ(surface->At(47, 27), COLOR_BLACK);
}

TEST_F(Primitives, ClobberIgnoresAlphaAndNoBlendUsesIt) {
  // Not through the cache: filtered scaling would drop the colour of
  // fully transparent pixels.
  std::unique_ptr<Raster_IBitmap> pixels = MakeFilled(10, 10, IColor(0, 255, 255, 255));
  IBitmap clear(pixels.get(), 10, 10);
  DrawIn(all, [&](IGraphics* g) {
    IRECT a(0, 0, 10, 10), b(20, 0, 30, 10);
    IChannelBlend clobber(IChannelBlend::kBlendClobber);
    g->DrawBitmap(&clear, &a, 1, &clobber);
    g->DrawBitmap(&clear, &b, 1, nullptr);
  });
  EXPECT_EQ(surface->At(5, 5), IColor(0, 255, 255, 255));
  EXPECT_EQ(surface->At(25, 5), COLOR_BLACK);
}

TEST_F(Primitives, EveryShapeIsClippedToTheDrawRect) {
  const IColor red = COLOR_RED;
  DrawIn(IRECT(40, 20, 60, 40), [&](IGraphics* g) {
    IRECT big(0, 0, 100, 60);
    g->FillIRect(&red, &big);
    g->DrawLine(&red, 0, 5, 99, 5);
    g->FillCircle(&red, 10, 10, 8.0f);
    g->DrawRect(&red, &big);
    int xs[] = {0, 99, 0}, ys[] = {0, 0, 59};
    g->FillIConvexPolygon(&red, xs, ys, 3, nullptr);
    g->ForcePixel(&red, 2, 2);
  });
  EXPECT_EQ(surface->At(50, 30), COLOR_RED);
  int outside = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x)
      if (!IRECT(40, 20, 60, 40).Contains(x, y)) outside += surface->At(x, y) == COLOR_RED;
  EXPECT_EQ(outside, 0);
}

TEST_F(Primitives, LinesAtRelativePositionsClampIntoTheRect) {
  const IColor white = COLOR_WHITE;
  DrawIn(all, [&](IGraphics* g) {
    IRECT r(10, 10, 50, 40);
    g->DrawHorizontalLine(&white, &r, 1.5f);
    g->DrawHorizontalLine(&white, &r, -0.2f);
    g->DrawVerticalLine(&white, &r, 0.5f);
  });
  EXPECT_EQ(surface->At(20, 10), COLOR_WHITE);  // y = 1: the top
  EXPECT_EQ(surface->At(20, 40), COLOR_WHITE);  // y = 0: row B
  EXPECT_EQ(surface->At(30, 25), COLOR_WHITE);  // column L + 20
  EXPECT_EQ(surface->At(20, 25), COLOR_BLACK);
}

TEST_F(Primitives, ForcePixelIsBoundsCheckedAndUnblended) {
  const IColor seeThrough(10, 1, 2, 3);
  DrawIn(all, [&](IGraphics* g) {
    g->ForcePixel(&seeThrough, 3, 4);
    g->ForcePixel(&seeThrough, -1, 0);
    g->ForcePixel(&seeThrough, 100, 0);
    g->ForcePixel(&seeThrough, 0, 60);
    g->ForcePixel(&seeThrough, 99999, 99999);
  });
  EXPECT_EQ(surface->At(3, 4), seeThrough);
  EXPECT_EQ(surface->GetPoint(-5, -5), IColor(0, 0, 0, 0));
}

TEST_F(Primitives, PointAndRadialLineLandWhereAsked) {
  const IColor green = COLOR_GREEN;
  DrawIn(all, [&](IGraphics* g) {
    g->DrawPoint(&green, 70.6f, 10.2f);
    g->DrawRadialLine(&green, 30.0f, 30.0f, 1.5707963f, 5.0f, 15.0f);  // pointing right
  });
  EXPECT_EQ(surface->At(71, 10), COLOR_GREEN);
  EXPECT_EQ(surface->At(40, 30), COLOR_GREEN);
  EXPECT_EQ(surface->At(33, 30), COLOR_BLACK);
}

TEST_F(Primitives, FillRoundRectCoversTheCentreAndLeavesCorners) {
  const IColor blue = COLOR_BLUE;
  DrawIn(all, [&](IGraphics* g) {
    IRECT r(10, 10, 50, 40);
    g->FillRoundRect(&blue, &r, nullptr, 8, false);
  });
  EXPECT_EQ(surface->At(30, 25), COLOR_BLUE);
  EXPECT_EQ(surface->At(10, 10), COLOR_BLACK);
  EXPECT_EQ(surface->At(30, 10), COLOR_BLUE);
}

TEST_F(Primitives, RotatedBitmapAtZeroIsAPlainCopy) {
  surface->images["sq"] = [] { return MakeFilled(10, 10, COLOR_YELLOW); };
  IBitmap sq = surface->LoadIBitmap(4101, "sq", 1.0);
  DrawIn(all, [&](IGraphics* g) { g->DrawRotatedBitmap(&sq, 50, 30, 0.0, 0, nullptr); });
  EXPECT_EQ(surface->At(50, 30), COLOR_YELLOW);
  EXPECT_EQ(surface->At(46, 26), COLOR_YELLOW);
  EXPECT_EQ(surface->At(40, 30), COLOR_BLACK);
}

TEST_F(Primitives, RotatedMaskDrawsTheTopOverTheBase) {
  surface->images["base"] = [] { return MakeFilled(10, 10, COLOR_RED); };
  surface->images["mask"] = [] { return MakeFilled(10, 10, IColor(0, 0, 0, 0)); };
  surface->images["top"] = [] { return MakeFilled(10, 10, COLOR_WHITE); };
  IBitmap base = surface->LoadIBitmap(4102, "base", 1.0);
  IBitmap mask = surface->LoadIBitmap(4103, "mask", 1.0);
  IBitmap top = surface->LoadIBitmap(4104, "top", 1.0);
  DrawIn(all, [&](IGraphics* g) { g->DrawRotatedMask(&base, &mask, &top, 20, 20, 0.0, nullptr); });
  EXPECT_EQ(surface->At(25, 25), COLOR_WHITE);
  EXPECT_EQ(surface->At(35, 25), COLOR_BLACK);
}

TEST_F(Primitives, EmptyTextIsDrawnAsNothing) {
  IText style;
  IRECT r(0, 0, 50, 20);
  bool result = false;
  DrawIn(all, [&](IGraphics* g) { result = g->DrawIText(&style, "", &r); });
  EXPECT_TRUE(result);
  EXPECT_TRUE(surface->DrawIText(&style, nullptr, &r));
  EXPECT_EQ(style.cachedFont, nullptr);
}

TEST_F(Primitives, TextIsDrawnInsideItsRectAndClipped) {
  IText style(16, COLOR_WHITE, "DejaVu Sans Mono");
  DrawIn(IRECT(0, 0, 50, 60), [&](IGraphics* g) {
    IRECT r(0, 0, 100, 30);
    EXPECT_TRUE(g->DrawIText(&style, "WWWWWWWWWW", &r));
  });
  int lit = 0, litOutside = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool on = surface->At(x, y).R > 100;
      if (x < 50)
        lit += on;
      else
        litOutside += on;
    }
  EXPECT_GT(lit, 20);
  EXPECT_EQ(litOutside, 0);
}

TEST_F(Primitives, MeasuredTextIsPlacedByAlignment) {
  IText style(16, COLOR_BLACK, "DejaVu Sans Mono");
  style.align = IText::kAlignNear;
  IRECT near(10, 5, 200, 30);
  ASSERT_TRUE(surface->MeasureIText(&style, "ABC", &near));
  EXPECT_EQ(near.L, 10);
  EXPECT_GT(near.R, 10);
  EXPECT_EQ(near.T, 5);
  EXPECT_GT(near.B, 5);
  const int width = near.W();
  style.align = IText::kAlignCenter;
  IRECT centred(10, 5, 200, 30);
  surface->MeasureIText(&style, "ABC", &centred);
  EXPECT_EQ(centred.L, 105 - width / 2);
  EXPECT_EQ(centred.W(), width);
  style.align = IText::kAlignFar;
  IRECT far(10, 5, 200, 30);
  surface->MeasureIText(&style, "ABC", &far);
  EXPECT_EQ(far.R, 200);
  EXPECT_EQ(far.L, 200 - width);
}

TEST_F(Primitives, TranslucentTextColourStillDraws) {
  IText style(16, IColor(128, 255, 255, 255), "DejaVu Sans Mono");
  DrawIn(all, [&](IGraphics* g) {
    IRECT r(0, 0, 100, 30);
    g->DrawIText(&style, "HHHH", &r);
  });
  int lit = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) lit += surface->At(x, y).R > 30;
  EXPECT_GT(lit, 10);
}
