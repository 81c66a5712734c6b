#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Framework/IControlBitmaps.h"
#include "Framework/IControlFader.h"
#include "Framework/IControlFileAndURL.h"
#include "Framework/IControlKnobs.h"
#include "Framework/IControlSwitches.h"
#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
// A knob that only drags.
class DragKnob : public IKnobControl {
public:
  using IKnobControl::IKnobControl;
  bool Draw(IGraphics*) override { return true; }
};

struct Family : ::testing::Test {
  Family() : f(200, 100) {
    plug().GetParam(1)->InitInt("Step", 0, 0, 2);
    plug().GetParam(2)->InitBool("Gate", false);
    plug().GetParam(3)->InitDouble("Level", 0.0, 0.0, 1.0, 0.001);
    plug().GetParam(4)->InitInt("Choice", 0, 0, 3);
    surface->AttachPanelBackground(&COLOR_BLACK);
  }
  PanelPlug& plug() { return *f.plug; }
  IBitmap Strip(int id, int w, int h, int frames) {
    const std::string name = "strip" + std::to_string(id);
    surface->images[name] = [=] { return MakeStrip(w, h, frames); };
    return surface->LoadIBitmap(id, name.c_str(), 1.0, frames);
  }
  void Redraw() {
    IRECT r;
    surface->IsDirty(&r);
    surface->Draw(&r);
  }
  void Click(int x, int y, IMouseMod mod = IMouseMod(true)) {
    surface->OnMouseDown(x, y, &mod);
    surface->OnMouseUp(x, y, &mod);
  }

  PanelFixture f;
  HeadlessSurface* surface = f.surface;
};
}  // namespace

TEST_F(Family, BitmapControlTakesItsFrameSizeAndDrawsTheFrameOfItsValue) {
  IBitmap strip = Strip(10, 12, 8, 3);
  auto* c = new IBitmapControl(&plug(), 30, 40, 1, &strip);
  surface->AttachControl(c);
  EXPECT_EQ(c->GetRECT(), IRECT(30, 40, 42, 48));
  surface->SetParameterFromPlug(1, 0.0, false);
  surface->SetParameterFromPlug(1, 2.0, false);
  surface->DrawAll();
  EXPECT_EQ(surface->At(30, 40), FrameColor(3));
  EXPECT_EQ(surface->At(41, 47), FrameColor(3));
  EXPECT_EQ(surface->At(42, 47), COLOR_BLACK);
}

TEST(FrameFromValue, RoundsAndClampsIntoTheStrip) {
  EXPECT_EQ(FrameFromValue(0.7, 1), 1);
  EXPECT_EQ(FrameFromValue(0.7, 0), 1);
  EXPECT_EQ(FrameFromValue(0.0, 5), 1);
  EXPECT_EQ(FrameFromValue(0.5, 5), 3);
  EXPECT_EQ(FrameFromValue(1.0, 5), 5);
  EXPECT_EQ(FrameFromValue(7.0, 5), 5);
  EXPECT_EQ(FrameFromValue(-3.0, 5), 1);
  EXPECT_EQ(FrameFromValue(1e12, 5), 5);
  EXPECT_EQ(FrameFromValue(-1e12, 5), 1);
  EXPECT_EQ(FrameFromValue(std::nan(""), 5), 1);
}

// Normalised values handed in from outside are not checked on the way in: a
// control shows the nearest end of its range, never a position computed from
// an integer overflow.
TEST_F(Family, ValuesBeyondTheRangeShowTheNearestEnd) {
  IBitmap strip = Strip(25, 10, 10, 3);
  IBitmap radioBm = Strip(26, 10, 10, 2);
  IBitmap handle = Strip(27, 10, 10, 1);
  auto* led = new IBitmapControl(&plug(), 0, 0, 1, &strip);
  auto* radio = new IRadioButtonsControl(&plug(), IRECT(20, 0, 30, 50), 2, 3, &radioBm);
  auto* fader = new IFaderControl(&plug(), 40, 0, 60, 3, &handle);
  for (IControl* c : std::vector<IControl*>{led, radio, fader}) surface->AttachControl(c);
  for (int i = 1; i <= 3; ++i) surface->SetControlFromPlug(i, 1e12);
  surface->DrawAll();
  EXPECT_EQ(surface->At(5, 5), FrameColor(3));
  EXPECT_EQ(surface->At(25, 45), FrameColor(2));  // the last button is on
  EXPECT_EQ(surface->At(25, 5), FrameColor(1));
  EXPECT_EQ(fader->GetHandleRECT(), fader->GetHandleRECT(1.0));

  for (int i = 1; i <= 3; ++i) surface->SetControlFromPlug(i, std::nan(""));
  surface->DrawAll();
  EXPECT_EQ(surface->At(5, 5), FrameColor(1));
  EXPECT_EQ(surface->At(25, 5), FrameColor(2));
  EXPECT_EQ(fader->GetHandleRECT(), fader->GetHandleRECT(0.0));
}

TEST_F(Family, ThreeFrameSwitchStepsAndWrapsWithEachFrameDrawn) {
  IBitmap strip = Strip(11, 20, 20, 3);
  auto* sw = new ISwitchControl(&plug(), 10, 10, 1, &strip);
  surface->AttachControl(sw);
  surface->DrawAll();
  EXPECT_EQ(surface->At(15, 15), FrameColor(1));
  const double expected[] = {0.5, 1.0, 0.0};
  const int frames[] = {2, 3, 1};
  for (int i = 0; i < 3; ++i) {
    Click(15, 15);
    EXPECT_NEAR(sw->GetValue(), expected[i], 1e-9);
    EXPECT_NEAR(plug().fromGUI.back().second, expected[i], 1e-9);
    Redraw();
    EXPECT_EQ(surface->At(15, 15), FrameColor(frames[i])) << "click " << i;
  }
  EXPECT_DOUBLE_EQ(plug().GetParam(1)->Value(), 0.0);
}

TEST_F(Family, TwoFrameSwitchTogglesAndDoubleClickIsOneMoreClick) {
  IBitmap strip = Strip(12, 20, 20, 2);
  auto* sw = new ISwitchControl(&plug(), 10, 10, 2, &strip);
  surface->AttachControl(sw);
  Click(15, 15);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 1.0);
  IMouseMod left(true);
  surface->OnMouseDblClick(15, 15, &left);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.0);
  sw->GrayOut(true);
  surface->OnMouseDown(15, 15, &left);  // greyed top-level: not even hit
  sw->OnMouseDown(15, 15, &left);       // nor does it react directly
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.0);
}

TEST_F(Family, ContactPushesOneOnPressAndZeroOnRelease) {
  IBitmap strip = Strip(13, 20, 20, 2);
  auto* contact = new IContactControl(&plug(), 10, 10, 2, &strip);
  surface->AttachControl(contact);
  IMouseMod left(true);
  surface->OnMouseDown(15, 15, &left);
  EXPECT_DOUBLE_EQ(plug().fromGUI.back().second, 1.0);
  Redraw();
  EXPECT_EQ(surface->At(15, 15), FrameColor(2));
  surface->OnMouseUp(15, 15, &left);
  EXPECT_DOUBLE_EQ(plug().fromGUI.back().second, 0.0);
  EXPECT_EQ(plug().fromGUI.size(), 2u);
  Redraw();
  EXPECT_EQ(surface->At(15, 15), FrameColor(1));
}

TEST_F(Family, KnobDragFollowsGearingAndShiftAndShowsItsFrame) {
  IBitmap strip = Strip(14, 20, 50, 5);
  auto* knob = new IKnobMultiControl(&plug(), 100, 20, 3, &strip);
  surface->AttachControl(knob);
  EXPECT_EQ(knob->GetRECT(), IRECT(100, 20, 120, 70));
  IMouseMod left(true), shift(true, false, true);
  surface->OnMouseDown(110, 60, &left);
  surface->OnMouseDrag(110, 10, &left);  // 50 up
  EXPECT_NEAR(knob->GetValue(), 0.25, 1e-9);
  surface->OnMouseUp(110, 10, &left);
  Redraw();
  EXPECT_EQ(surface->At(110, 45), FrameColor(2));

  surface->OnMouseDown(110, 60, &shift);
  surface->OnMouseDrag(110, 10, &shift);
  EXPECT_NEAR(knob->GetValue(), 0.275, 1e-9);
  surface->OnMouseDrag(110, 60, &shift);  // back down
  EXPECT_NEAR(knob->GetValue(), 0.25, 1e-9);
  surface->OnMouseDrag(110, 500, &left);  // far down: clamped at 0
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  Redraw();
  EXPECT_EQ(surface->At(110, 45), FrameColor(1));
}

TEST_F(Family, HorizontalKnobUsesTheWidth) {
  DragKnob knob(&plug(), IRECT(0, 0, 40, 10), 3, kHorizontal, 2.0);
  IMouseMod left(true);
  knob.OnMouseDrag(0, 0, 20, 0, &left);
  EXPECT_NEAR(knob.GetValue(), 0.25, 1e-9);
}

TEST_F(Family, ZeroSizedKnobIgnoresDrags) {
  DragKnob flat(&plug(), IRECT(5, 5, 15, 5), 3);
  IMouseMod left(true);
  flat.SetValue(0.4);
  flat.OnMouseDrag(0, 0, 3, -20, &left);
  EXPECT_DOUBLE_EQ(flat.GetValue(), 0.4);
  DragKnob noGearing(&plug(), IRECT(0, 0, 10, 10), 3, kVertical, 0.0);
  noGearing.OnMouseDrag(0, 0, 0, -5, &left);
  EXPECT_FALSE(std::isnan(noGearing.GetValue()));
}

TEST_F(Family, RadioGroupValuePerButtonAndOnlyTheChosenDrawnOn) {
  IBitmap bm = Strip(15, 10, 10, 2);
  auto* radio = new IRadioButtonsControl(&plug(), IRECT(10, 10, 20, 70), 4, 4, &bm);
  surface->AttachControl(radio);
  EXPECT_EQ(radio->GetButtonRECT(0), IRECT(10, 10, 20, 20));
  EXPECT_EQ(radio->GetButtonRECT(1), IRECT(10, 26, 20, 36));
  EXPECT_EQ(radio->GetButtonRECT(3), IRECT(10, 58, 20, 68));
  const int ys[] = {15, 31, 47, 63};
  for (int i = 0; i < 4; ++i) {
    Click(15, ys[i]);
    EXPECT_NEAR(radio->GetValue(), i / 3.0, 1e-9);
    Redraw();
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(surface->At(15, ys[k]), FrameColor(k == i ? 2 : 1)) << "button " << k << " after " << i;
  }
  Click(15, 23);  // between buttons: the unchanged value is pushed again
  EXPECT_NEAR(plug().fromGUI.back().second, 1.0, 1e-9);
}

TEST_F(Family, ReversedHorizontalRadioStartsAtTheFarEnd) {
  IBitmap bm = Strip(16, 10, 10, 2);
  IRadioButtonsControl radio(&plug(), IRECT(0, 0, 50, 10), 4, 3, &bm, kHorizontal, true);
  EXPECT_EQ(radio.GetButtonRECT(0), IRECT(40, 0, 50, 10));
  EXPECT_EQ(radio.GetButtonRECT(1), IRECT(20, 0, 30, 10));
  EXPECT_EQ(radio.GetButtonRECT(2), IRECT(0, 0, 10, 10));
  EXPECT_EQ(radio.GetButtonRECT(3), IRECT());
}

TEST_F(Family, RadioGroupsWithFewerThanTwoButtonsStayFinite) {
  IBitmap bm = Strip(17, 10, 10, 2);
  for (int n : {0, 1}) {
    auto* radio = new IRadioButtonsControl(&plug(), IRECT(100, 10, 110, 40), 4, n, &bm);
    surface->AttachControl(radio);
    IMouseMod left(true);
    radio->OnMouseDown(105, 15, &left);
    EXPECT_DOUBLE_EQ(radio->GetValue(), 0.0) << n;
    surface->DrawAll();
  }
  EXPECT_EQ(surface->At(105, 15), FrameColor(2));  // the single button is on
}

TEST_F(Family, VerticalFaderHandleTravelsAndClickOnHandleKeepsIt) {
  IBitmap handle = Strip(18, 10, 10, 1);
  auto* fader = new IFaderControl(&plug(), 50, 10, 60, 3, &handle);
  surface->AttachControl(fader);
  EXPECT_EQ(fader->GetRECT(), IRECT(50, 10, 60, 70));
  EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(50, 10, 60, 20));
  EXPECT_EQ(fader->GetHandleRECT(0.0), IRECT(50, 60, 60, 70));

  Click(55, 15);  // centre of the handle at value 1... value starts at 0
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  Click(55, 15);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  Redraw();
  EXPECT_EQ(surface->At(55, 12), FrameColor(1));

  Click(55, 40);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.5);
  Redraw();
  EXPECT_EQ(fader->GetHandleRECT(), IRECT(50, 35, 60, 45));
  EXPECT_EQ(surface->At(55, 37), FrameColor(1));
  EXPECT_EQ(surface->At(55, 12), COLOR_BLACK);

  IMouseMod left(true);
  surface->OnMouseDown(55, 40, &left);
  surface->OnMouseDrag(55, 200, &left);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
}

TEST_F(Family, HorizontalHandleOnlyFaderIsHitOnlyOnItsHandle) {
  IBitmap handle = Strip(19, 8, 6, 1);
  IFaderControl fader(&plug(), 0, 0, 48, 3, &handle, kHorizontal, true);
  EXPECT_EQ(fader.GetRECT(), IRECT(0, 0, 48, 6));
  EXPECT_TRUE(fader.IsHit(3, 3));
  EXPECT_FALSE(fader.IsHit(30, 3));
  fader.SnapToMouse(24, 0);
  EXPECT_DOUBLE_EQ(fader.GetValue(), 0.5);
  EXPECT_EQ(fader.GetHandleRECT(), IRECT(20, 0, 28, 6));
}

TEST_F(Family, FaderWithoutTravelKeepsItsValue) {
  IBitmap handle = Strip(20, 10, 10, 1);
  IFaderControl fader(&plug(), 0, 0, 10, 3, &handle);
  fader.SetValue(0.3);
  IMouseMod left(true);
  fader.OnMouseDown(5, 2, &left);
  fader.OnMouseDrag(5, 8, 0, 6, &left);
  EXPECT_DOUBLE_EQ(fader.GetValue(), 0.3);
  EXPECT_EQ(fader.GetHandleRECT(), IRECT(0, 0, 10, 10));
}

TEST_F(Family, PopUpSwitchOpensThePromptThenPushes) {
  IBitmap strip = Strip(28, 20, 20, 2);
  auto* sw = new ISwitchPopUpControl(&plug(), 10, 10, 2, &strip);
  sw->SetPromptDisabled(false);
  surface->AttachControl(sw);
  surface->menuAnswers = {1};
  Click(15, 15);
  ASSERT_EQ(surface->menus.size(), 1u);
  EXPECT_EQ(surface->menus[0].texts, (std::vector<std::string>{"off", "on"}));
  EXPECT_DOUBLE_EQ(sw->GetValue(), 1.0);
  ASSERT_EQ(plug().fromGUI.size(), 2u);  // the choice, then the push after the prompt
  EXPECT_EQ(plug().fromGUI[1], std::make_pair(2, 1.0));
  Redraw();
  EXPECT_EQ(surface->At(15, 15), FrameColor(2));
}

namespace {
// Colours of two drawn pixels match within filtering error.
void ExpectNear(const IColor& a, const IColor& b) {
  EXPECT_NEAR(a.R, b.R, 2);
  EXPECT_NEAR(a.G, b.G, 2);
  EXPECT_NEAR(a.B, b.B, 2);
}
}  // namespace

TEST_F(Family, RotaterKnobTurnsItsImageAboutItsCentre) {
  IBitmap image = Strip(29, 20, 10, 2);  // top half colour 1, bottom half colour 2
  image.N = 1;
  auto* knob = new IKnobRotaterControl(&plug(), 10, 10, 3, &image, 0.0, kIGraphicsPi);
  surface->AttachControl(knob);
  EXPECT_EQ(knob->GetRECT(), IRECT(10, 10, 30, 30));
  surface->SetParameterFromPlug(3, 0.0, false);
  surface->DrawAll();
  ExpectNear(surface->At(20, 13), FrameColor(1));
  ExpectNear(surface->At(20, 26), FrameColor(2));
  surface->SetParameterFromPlug(3, 1.0, false);
  surface->DrawAll();
  ExpectNear(surface->At(20, 13), FrameColor(2));
  ExpectNear(surface->At(20, 26), FrameColor(1));
}

TEST_F(Family, RotatingMaskKnobTurnsTheTopOverItsBase) {
  surface->images["mbase"] = [] { return MakeFilled(10, 10, COLOR_RED); };
  surface->images["mmask"] = [] { return MakeFilled(10, 10, COLOR_TRANSPARENT); };
  IBitmap base = surface->LoadIBitmap(30, "mbase", 1.0);
  IBitmap mask = surface->LoadIBitmap(31, "mmask", 1.0);
  IBitmap top = Strip(32, 10, 5, 2);
  top.N = 1;
  auto* knob = new IKnobRotatingMaskControl(&plug(), 40, 20, 3, &base, &mask, &top, 0.0, 180.0);
  surface->AttachControl(knob);
  EXPECT_EQ(knob->GetRECT(), IRECT(40, 20, 50, 30));
  surface->SetParameterFromPlug(3, 0.0, false);
  surface->DrawAll();
  ExpectNear(surface->At(45, 21), FrameColor(1));
  ExpectNear(surface->At(45, 28), FrameColor(2));
  EXPECT_EQ(surface->At(51, 25), COLOR_BLACK);
  surface->SetParameterFromPlug(3, 1.0, false);
  surface->DrawAll();
  ExpectNear(surface->At(45, 21), FrameColor(2));
  ExpectNear(surface->At(45, 28), FrameColor(1));
}

TEST_F(Family, InvisibleSwitchTogglesAndDrawsNothing) {
  auto* sw = new IInvisibleSwitchControl(&plug(), IRECT(0, 0, 20, 20), 2);
  surface->AttachControl(sw);
  Click(5, 5);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 1.0);
  Click(5, 5);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.0);
  surface->DrawAll();
  EXPECT_EQ(surface->At(5, 5), COLOR_BLACK);
  EXPECT_EQ(sw->GetBlend().method, IChannelBlend::kBlendClobber);
}

TEST_F(Family, OverlayIsHitOnlyInItsAreaWhileOff) {
  IBitmap bm = Strip(21, 40, 40, 2);
  auto* overlay = new IBitmapOverlayControl(&plug(), 100, 40, 2, &bm, IRECT(100, 40, 110, 50));
  surface->AttachControl(overlay);
  surface->DrawAll();
  EXPECT_TRUE(overlay->IsHit(105, 45));
  EXPECT_FALSE(overlay->IsHit(130, 70));
  EXPECT_EQ(surface->At(130, 70), COLOR_BLACK);
  Click(105, 45);
  surface->DrawAll();
  EXPECT_TRUE(overlay->IsHit(130, 70));
  EXPECT_EQ(surface->At(130, 70), FrameColor(2));
}

TEST_F(Family, LineKnobDrawsItsPointer) {
  IColor white = COLOR_WHITE;
  auto* knob = new IKnobLineControl(&plug(), IRECT(0, 0, 40, 40), 3, &white, 0.0f, 15.0f, 0.0f, float(kIGraphicsPi));
  surface->AttachControl(knob);
  surface->DrawAll();
  EXPECT_EQ(surface->At(20, 10), COLOR_WHITE);  // value 0: pointing up
  EXPECT_EQ(surface->At(20, 30), COLOR_BLACK);
  surface->SetParameterFromPlug(3, 0.0, false);
  surface->SetParameterFromPlug(3, 1.0, false);
  surface->DrawAll();
  // Value 1: pointing down (the end point truncates to column 19 or 20).
  EXPECT_EQ(surface->At(20, 10), COLOR_BLACK);
  EXPECT_GT(std::max(surface->At(19, 30).R, surface->At(20, 30).R), 0x40);
}

TEST_F(Family, PanelControlFillsItsColourAtHalfWeightWhenGreyed) {
  IColor red = COLOR_RED;
  auto* panel = new IPanelControl(&plug(), IRECT(0, 0, 10, 10), &red);
  surface->AttachControl(panel);
  surface->DrawAll();
  EXPECT_EQ(surface->At(5, 5), COLOR_RED);
  panel->GrayOut(true);
  surface->DrawAll();
  const IColor half = surface->At(5, 5);
  EXPECT_NEAR(half.R, 128, 1);
  EXPECT_EQ(half.G, 0);
}

TEST_F(Family, GreyedBitmapIsDrawnAtHalfWeightWithItsAlpha) {
  surface->images["veiled"] = [] { return MakeFilled(10, 10, IColor(128, 0, 0, 255)); };
  surface->images["solid"] = [] { return MakeFilled(10, 10, COLOR_WHITE); };
  IBitmap veiled = surface->LoadIBitmap(33, "veiled", 1.0);
  IBitmap solid = surface->LoadIBitmap(34, "solid", 1.0);
  auto* a = new IBitmapControl(&plug(), 0, 0, -1, &veiled);
  auto* b = new IBitmapControl(&plug(), 20, 0, -1, &solid);
  surface->AttachControl(a);
  surface->AttachControl(b);
  a->GrayOut(true);
  b->GrayOut(true);
  surface->DrawAll();
  EXPECT_NEAR(surface->At(5, 5).B, 64, 2);  // alpha 0.5 times weight 0.5
  EXPECT_EQ(surface->At(5, 5).R, 0);
  EXPECT_NEAR(surface->At(25, 5).R, 128, 2);
  EXPECT_NEAR(surface->At(25, 5).B, 128, 2);
}

TEST_F(Family, ZeroFrameBitmapDrawsItsWholeImage) {
  IBitmap bm = Strip(22, 10, 10, 1);
  bm.N = 0;
  auto* c = new IBitmapControl(&plug(), 0, 0, 2, &bm);
  surface->AttachControl(c);
  EXPECT_EQ(c->GetRECT(), IRECT(0, 0, 10, 10));
  c->SetValue(1.0);
  surface->DrawAll();
  EXPECT_EQ(surface->At(5, 5), FrameColor(1));
}

TEST_F(Family, TextFromPlugMarksDirtyOnlyOnChange) {
  IText style;
  ITextControl text(&plug(), IRECT(0, 0, 50, 10), &style, "Ready");
  text.SetClean();
  text.SetTextFromPlug("Ready");
  EXPECT_FALSE(text.IsDirty());
  text.SetTextFromPlug("Set MIDI I/O First!");
  EXPECT_TRUE(text.IsDirty());
  EXPECT_EQ(text.GetTextString(), "Set MIDI I/O First!");
  text.SetTextFromPlug(nullptr);
  EXPECT_EQ(text.GetTextString(), "");
  EXPECT_EQ(text.ParamIdx(), -1);
}

TEST_F(Family, CaptionShowsTheDisplayTextAndLabel) {
  plug().GetParam(5)->InitInt("Octave", 0, 0, 4, "oct");
  IText style;
  auto* withLabel = new ICaptionControl(&plug(), IRECT(0, 0, 60, 12), 5, &style, true);
  auto* bare = new ICaptionControl(&plug(), IRECT(0, 20, 60, 32), 2, &style, false);
  auto* menuLabel = new ICaptionControl(&plug(), IRECT(0, 40, 60, 52), 2, &style, true);
  for (auto* c : {withLabel, bare, menuLabel}) surface->AttachControl(c);
  surface->SetParameterFromPlug(5, 3.0, false);
  surface->SetParameterFromPlug(2, 1.0, false);
  surface->DrawAll();
  EXPECT_EQ(withLabel->GetTextString(), "3 oct");
  EXPECT_EQ(bare->GetTextString(), "on");
  EXPECT_EQ(menuLabel->GetTextString(), "on ");  // the label is empty when a text exists
}

TEST_F(Family, CaptionOpensTheDisplayTextMenuOnClicks) {
  IText style;
  auto* caption = new ICaptionControl(&plug(), IRECT(0, 0, 60, 12), 2, &style, false);
  caption->SetPromptDisabled(false);
  surface->AttachControl(caption);
  surface->menuAnswers = {1, -1, 0};
  Click(5, 5);
  EXPECT_DOUBLE_EQ(caption->GetValue(), 1.0);
  IMouseMod right(false, true);
  surface->OnMouseDown(5, 5, &right);
  IMouseMod left(true);
  surface->OnMouseDblClick(5, 5, &left);
  EXPECT_EQ(surface->menus.size(), 3u);
  EXPECT_DOUBLE_EQ(caption->GetValue(), 0.0);
}

TEST_F(Family, BitmapTextDrawsCharactersFromTheFontStrip) {
  IBitmap font = Strip(23, 4, 6, 64);
  IText style;
  style.align = IText::kAlignNear;
  auto* text = new IBitmapTextControl(&plug(), IRECT(0, 0, 40, 10), &font, &style, "!#", 4, 6);
  surface->AttachControl(text);
  surface->DrawAll();
  // Left aligned with one cell of margin, centred vertically: top = 2.
  EXPECT_EQ(surface->At(5, 3), FrameColor('!' - 31));
  EXPECT_EQ(surface->At(9, 3), FrameColor('#' - 31));
  EXPECT_EQ(surface->At(1, 3), COLOR_BLACK);
}

TEST_F(Family, BitmapTextWithZeroCellDrawsNothing) {
  IBitmap font = Strip(24, 4, 6, 64);
  IText style;
  EXPECT_TRUE(DrawBitmapedText(surface, &font, IRECT(0, 0, 40, 10), style, nullptr, "abc", true, false, 0, 6));
  EXPECT_TRUE(DrawBitmapedText(surface, &font, IRECT(0, 0, 40, 10), style, nullptr, "abc", true, true, 4, 0));
  EXPECT_TRUE(DrawBitmapedText(surface, &font, IRECT(0, 0, 4, 10), style, nullptr, "abc", true, true, 4, 6));
}

TEST_F(Family, URLControlFallsBackToTheBackupAddress) {
  auto* url = new IURLControl(&plug(), IRECT(0, 0, 10, 10), "https://a", "https://b", "failed");
  surface->AttachControl(url);
  Click(5, 5);
  EXPECT_EQ(surface->urls, std::vector<std::string>{"https://a"});
  surface->urlOpens = false;
  Click(5, 5);
  EXPECT_EQ(surface->urls, (std::vector<std::string>{"https://a", "https://a", "https://b"}));
  IURLControl onlyBackup(&plug(), IRECT(0, 0, 10, 10), nullptr, "https://c");
  IMouseMod left(true);
  onlyBackup.OnMouseDown(1, 1, &left);
  EXPECT_EQ(surface->urls.back(), "https://c");
}

TEST_F(Family, FileSelectorPromptsFlipsAndReportsDirtyOnce) {
  auto* fs = new IFileSelectorControl(&plug(), IRECT(0, 0, 10, 10), 2, nullptr, kFileOpen, "/data", "mid nl2");
  surface->AttachControl(fs);
  surface->fileAnswer = "/data/bank.mid";
  Click(5, 5);
  Kit_String chosen;
  fs->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/data/bank.mid");
  EXPECT_DOUBLE_EQ(fs->GetValue(), 1.0);
  EXPECT_EQ(fs->GetState(), IFileSelectorControl::kFSDone);
  fs->SetClean();
  EXPECT_TRUE(fs->IsDirty());
  EXPECT_FALSE(fs->IsDirty());
  Click(5, 5);
  EXPECT_DOUBLE_EQ(fs->GetValue(), 0.0);
  fs->SetLastSelectedFileFromPlug("/x.syx");
  fs->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/x.syx");
}
