// The custom radio group: geometry from the image's halves, clicks, and the cells drawn.
#include <gtest/gtest.h>

#include "LayoutTestSupport.h"
#include "layout/ICustomRadioButtonsControl.h"

namespace {

// Pixel (x, y) of the image is coloured (x, y), so a drawn cell shows its source.
std::unique_ptr<Raster_IBitmap> Coordinates(int w, int h) {
  auto bm = std::make_unique<Raster_MemBitmap>(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bm->getBits()[y * bm->getRowSpan() + x] = IColor(255, x, y, 7).ToPixel();
  return bm;
}

struct RadioPanel {
  RadioPanel(int w, int h, bool horizontal, int buttons) : image(Coordinates(w, h)) {
    plug = std::make_unique<PanelPlug>(4);
    graphics = new IGraphicsMac(plug.get(), 300, 300, 25);
    plug->AttachGraphics(graphics);
    plug->GetParam(0)->InitEnum("Radio", 0, buttons);
    IBitmap bitmap(image.get(), w, h, 2, horizontal);
    const IRECT rect = horizontal ? IRECT(10, 20, 10 + w / 2, 20 + h) : IRECT(10, 20, 10 + w, 20 + h / 2);
    radio = new ICustomRadioButtonsControl(plug.get(), rect, 0, buttons, &bitmap, horizontal ? kVertical : kHorizontal);
    graphics->AttachControl(radio);
    graphics->PrepDraw();
  }
  void Click(int x, int y, bool right = false) {
    IMouseMod mod(!right, right);
    radio->OnMouseDown(x, y, &mod);
  }
  std::unique_ptr<Raster_IBitmap> image;
  std::unique_ptr<PanelPlug> plug;
  IGraphicsMac* graphics;
  ICustomRadioButtonsControl* radio;
};

TEST(Radio, StackedFramesLayButtonsSideBySide) {
  RadioPanel p(200, 60, false, 4);
  EXPECT_EQ(p.radio->CellWidth(), 50);
  EXPECT_EQ(p.radio->CellHeight(), 30);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.radio->GetButtonRECT(i), IRECT(10 + 50 * i, 20, 60 + 50 * i, 50));
  p.Click(115, 25);  // the third button
  EXPECT_DOUBLE_EQ(p.radio->GetValue(), 2.0 / 3.0);
  EXPECT_EQ(p.plug->GetParam(0)->Int(), 2);
  p.Click(115, 25, true);  // right: nothing selected
  p.Click(5, 5);           // outside every button
  p.radio->OnMouseDblClick(15, 25, nullptr);
  EXPECT_DOUBLE_EQ(p.radio->GetValue(), 2.0 / 3.0);

  p.radio->Draw(p.graphics);
  // Button i shows source (50 i, 0); the selected one its lower half (100, 30).
  const int sources[4][2] = {{0, 0}, {50, 0}, {100, 30}, {150, 0}};
  for (int i = 0; i < 4; ++i) {
    const IColor c = p.graphics->GetPoint(10 + 50 * i, 20);
    EXPECT_EQ(c.R, sources[i][0]) << i;
    EXPECT_EQ(c.G, sources[i][1]) << i;
  }
}

TEST(Radio, SideBySideFramesStackButtonsAndDrawingRoundsTheValue) {
  RadioPanel p(120, 100, true, 4);
  EXPECT_EQ(p.radio->GetRECT(), IRECT(10, 20, 70, 120));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.radio->GetButtonRECT(i), IRECT(10, 20 + 25 * i, 70, 45 + 25 * i));
  p.radio->SetValue(0.5);  // 1.5 + 0.5 draws button 2 selected
  p.radio->Draw(p.graphics);
  EXPECT_EQ(p.graphics->GetPoint(10, 70).R, 60);
  EXPECT_EQ(p.graphics->GetPoint(10, 70).G, 50);
  EXPECT_EQ(p.graphics->GetPoint(10, 45).R, 0);
  EXPECT_EQ(p.graphics->GetPoint(10, 45).G, 25);
}

TEST(Radio, FactoryRefusesGroupsOfFewerThanTwoAndSetsMeta) {
  for (int buttons : {-3, 0, 1, 4}) {
    SCOPED_TRACE(buttons);
    LayoutFixture f;
    f.Read(
        Layout("<radio name=\"T\" paramId=\"kQuickTab\" position=\"0,0\" imageId=\"BUTTON_PART_SELECTOR_ID\" "
               "buttons=\"" +
               std::to_string(buttons) + "\"/>"));
    EXPECT_EQ(f.First(794) != nullptr, buttons >= 2);
    EXPECT_EQ(f.plug->GetParam(794)->GetIsMeta(), buttons >= 2);
    EXPECT_EQ(f.Logged("a radio group needs 2 buttons or more"), buttons < 2);
  }
}

}  // namespace
