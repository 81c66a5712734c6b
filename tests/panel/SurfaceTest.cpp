#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "Framework/IControlBitmaps.h"
#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
// Records the events it receives.
class ProbeControl : public IControl {
public:
  ProbeControl(IModuleBase* plug, const IRECT& r, int paramIdx = -1) : IControl(plug, r, paramIdx) {}
  bool Draw(IGraphics*) override {
    ++draws;
    return true;
  }
  void OnMouseDown(int, int, IMouseMod*) override { ++downs; }
  void OnMouseUp(int, int, IMouseMod*) override { ++ups; }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override {
    drags.push_back({dX, dY});
    lastX = x;
    lastY = y;
  }
  void OnMouseDblClick(int, int, IMouseMod*) override { ++dbls; }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { wheel += d; }
  void OnMouseOver(int, int, IMouseMod*) override { ++overs; }
  void OnMouseOut() override { ++outs; }
  bool OnKeyDown(int, int, int key) override {
    keys.push_back(key);
    return true;
  }
  int draws = 0, downs = 0, ups = 0, dbls = 0, lastX = 0, lastY = 0, wheel = 0, overs = 0, outs = 0;
  std::vector<std::pair<int, int>> drags;
  std::vector<int> keys;
};

// Fills its rect with a half-transparent colour: drawn twice over the same
// pixels it would show.
class VeilControl : public IControl {
public:
  VeilControl(IModuleBase* plug, const IRECT& r) : IControl(plug, r) {}
  bool Draw(IGraphics* g) override {
    IColor veil(128, 255, 0, 0);
    IRECT r = mRECT;
    return g->FillIRect(&veil, &r);
  }
};

struct Surface : ::testing::Test {
  Surface() {
    surface->images["strip"] = [] { return MakeStrip(20, 20, 4); };
    plug().GetParam(3)->InitInt("Cutoff", 0, 0, 10);
  }
  PanelPlug& plug() { return *f.plug; }
  ControlLayer* ShownLayer(int id = 1) {
    auto* layer = new ControlLayer(id, "layer");
    surface->AttachLayer(layer);
    layer->Hide(false);
    return layer;
  }
  PanelFixture f;
  HeadlessSurface* surface = f.surface;
  IMouseMod left{true};
};
}  // namespace

TEST_F(Surface, AttachReturnsIndicesAndBackgroundGoesFirst) {
  auto* a = new ProbeControl(&plug(), IRECT(0, 0, 10, 10));
  EXPECT_EQ(surface->AttachControl(a), 0);
  EXPECT_EQ(surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 10, 10))), 1);
  surface->AttachPanelBackground(&COLOR_BLUE);
  EXPECT_EQ(surface->NControls(), 3);
  EXPECT_EQ(surface->GetControl(1), a);
  EXPECT_EQ(surface->GetControl(0)->GetRECT(), IRECT(0, 0, 200, 100));
  EXPECT_EQ(surface->GetControl(5), nullptr);
  EXPECT_EQ(surface->AttachLayer(new ControlLayer(1, "x")), 0);
}

TEST_F(Surface, ImageBackgroundTakesTheImageSize) {
  surface->images["bg"] = [] { return MakeFilled(40, 30, COLOR_GREEN); };
  surface->AttachBackground(7, "bg", 1.0);
  EXPECT_EQ(surface->GetControl(0)->GetRECT(), IRECT(0, 0, 40, 30));
  EXPECT_EQ(surface->GetControl(0)->ParamIdx(), -1);
}

TEST_F(Surface, LayerControlIsHitBeforeLaterTopLevelControl) {
  auto* under = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(under);
  ControlLayer* layer = ShownLayer();
  auto* inLayer = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  layer->AddControl(inLayer);
  layer->Hide(false);
  auto* over = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(over);

  surface->OnMouseDown(10, 10, &left);
  EXPECT_EQ(inLayer->downs, 1);
  EXPECT_EQ(over->downs, 0);
  layer->Hide(true);
  surface->OnMouseDown(10, 10, &left);
  EXPECT_EQ(over->downs, 1);
}

TEST_F(Surface, GreyedTopLevelIsSkippedButGreyedLayerControlIsHit) {
  auto* below = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  auto* above = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(below);
  surface->AttachControl(above);
  above->GrayOut(true);
  surface->OnMouseDown(5, 5, &left);
  EXPECT_EQ(below->downs, 1);
  EXPECT_EQ(above->downs, 0);

  ControlLayer* layer = ShownLayer();
  auto* greyedInLayer = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  layer->AddControl(greyedInLayer);
  layer->Hide(false);
  greyedInLayer->GrayOut(true);
  surface->OnMouseDown(5, 5, &left);
  EXPECT_EQ(greyedInLayer->downs, 1);
}

TEST_F(Surface, HiddenControlsAndEmptySpotsAreNotHit) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(c);
  c->Hide(true);
  surface->OnMouseDown(5, 5, &left);
  surface->OnMouseUp(5, 5, &left);
  surface->OnMouseDown(150, 80, &left);
  EXPECT_EQ(c->downs, 0);
  EXPECT_EQ(surface->GetMouseControlIdx(5, 5), nullptr);
}

TEST_F(Surface, ClickInformsTheHostAroundTheGesture) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(c);
  surface->OnMouseDown(5, 5, &left);
  EXPECT_EQ(plug().begun, std::vector<int>{3});
  EXPECT_EQ(surface->GetMouseControlIdx(150, 90), c);  // captured
  surface->OnMouseUp(150, 90, &left);                  // released anywhere
  EXPECT_EQ(c->ups, 1);
  EXPECT_EQ(plug().ended, std::vector<int>{3});
  EXPECT_EQ(surface->GetMouseControlIdx(150, 90), nullptr);
}

TEST_F(Surface, DragDeliversDeltasAndSkipsRepeatedPositions) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(c);
  surface->OnMouseDrag(10, 10, &left);  // nothing captured
  EXPECT_TRUE(c->drags.empty());
  surface->OnMouseDown(10, 10, &left);
  surface->OnMouseDrag(10, 10, &left);
  EXPECT_TRUE(c->drags.empty());
  surface->OnMouseDrag(12, 7, &left);
  surface->OnMouseDrag(80, 7, &left);  // outside the control: still captured
  ASSERT_EQ(c->drags.size(), 2u);
  EXPECT_EQ(c->drags[0], std::make_pair(2, -3));
  EXPECT_EQ(c->drags[1], std::make_pair(68, 0));
  EXPECT_EQ(c->lastX, 80);
}

TEST_F(Surface, AReleaseGoesWhereItsDoubleClickWasLetThrough) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(c);
  c->SetMouseDblAsSingleClick(true);
  const struct {
    const char* road;
    bool pressTaken, doubleClickTaken;
    int upsAfterDoubleClick;
  } roads[] = {{"first press refused, double click taken", false, true, 1},
               {"first press taken, double click refused", true, false, 0}};
  for (const auto& r : roads) {
    plug().allowsInput = r.pressTaken;
    surface->OnMouseDown(5, 5, &left);
    surface->OnMouseUp(5, 5, &left);
    const int upsBefore = c->ups;
    plug().allowsInput = r.doubleClickTaken;
    surface->OnMouseDblClick(5, 5, &left);
    surface->OnMouseUp(5, 5, &left);
    EXPECT_EQ(c->ups - upsBefore, r.upsAfterDoubleClick) << r.road;
  }
}

TEST_F(Surface, DoubleClickAsSingleClickCapturesWithoutHostGesture) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(c);
  c->SetMouseDblAsSingleClick(true);
  EXPECT_TRUE(surface->OnMouseDblClick(5, 5, &left));
  EXPECT_EQ(c->downs, 1);
  EXPECT_EQ(c->dbls, 0);
  EXPECT_TRUE(plug().begun.empty());
  surface->OnMouseUp(5, 5, &left);
  EXPECT_EQ(plug().ended, std::vector<int>{3});

  c->SetMouseDblAsSingleClick(false);
  EXPECT_FALSE(surface->OnMouseDblClick(5, 5, &left));
  EXPECT_EQ(c->dbls, 1);
  EXPECT_FALSE(surface->OnMouseDblClick(150, 90, &left));
}

TEST_F(Surface, KeysGoToTheControlUnderThePointElseTheCatcher) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(c);
  EXPECT_FALSE(surface->OnKeyDown(150, 90, 1));
  auto* catcher = new ProbeControl(&plug(), IRECT());
  surface->AttachKeyCatcher(catcher);
  EXPECT_TRUE(surface->OnKeyDown(150, 90, 2));
  EXPECT_TRUE(surface->OnKeyDown(5, 5, 3));
  EXPECT_EQ(catcher->keys, std::vector<int>{2});
  EXPECT_EQ(c->keys, std::vector<int>{3});
}

TEST_F(Surface, MouseOverIsOffUnlessEnabled) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  surface->AttachControl(c);
  EXPECT_FALSE(surface->OnMouseOver(5, 5, &left));
  surface->HandleMouseOver(true);
  EXPECT_TRUE(surface->OnMouseOver(5, 5, &left));
  EXPECT_TRUE(surface->OnMouseOver(150, 90, &left));
}

TEST_F(Surface, MouseOverMovesBetweenControlsAndReachesGreyedOnesThatAskForIt) {
  auto* a = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  auto* b = new ProbeControl(&plug(), IRECT(60, 0, 110, 50));
  surface->AttachControl(a);
  surface->AttachControl(b);
  surface->HandleMouseOver(true);
  surface->OnMouseOver(5, 5, &left);
  surface->OnMouseOver(6, 5, &left);
  EXPECT_EQ(a->overs, 2);
  EXPECT_EQ(a->outs, 0);
  surface->OnMouseOver(70, 5, &left);
  EXPECT_EQ(b->overs, 1);
  EXPECT_EQ(a->outs, 1);
  surface->OnMouseOver(150, 90, &left);  // over nothing: nothing changes
  EXPECT_EQ(b->outs, 0);

  a->GrayOut(true);
  surface->OnMouseOver(5, 5, &left);
  EXPECT_EQ(a->overs, 2);
  a->SetMOWhenGrayed(true);
  surface->OnMouseOver(5, 5, &left);
  EXPECT_EQ(a->overs, 3);
  EXPECT_EQ(b->outs, 1);
  surface->OnMouseOut();
  EXPECT_EQ(a->outs, 2);
  EXPECT_EQ(b->outs, 2);
}

TEST_F(Surface, WheelGoesToTheCapturedControlElseTheOneUnderThePointer) {
  auto* a = new ProbeControl(&plug(), IRECT(0, 0, 50, 50));
  auto* b = new ProbeControl(&plug(), IRECT(60, 0, 110, 50));
  surface->AttachControl(a);
  surface->AttachControl(b);
  surface->OnMouseWheel(70, 5, &left, 2);
  surface->OnMouseWheel(150, 90, &left, 5);
  EXPECT_EQ(b->wheel, 2);
  surface->OnMouseDown(5, 5, &left);
  surface->OnMouseWheel(70, 5, &left, -3);
  EXPECT_EQ(a->wheel, -3);
  EXPECT_EQ(b->wheel, 2);
}

TEST_F(Surface, AutomationParameterIsRememberedOnce) {
  surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3));
  EXPECT_EQ(surface->GetParamIdxForPTAutomation(5, 5), 3);
  EXPECT_EQ(surface->GetLastClickedParamForPTAutomation(), 3);
  EXPECT_EQ(surface->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(surface->GetParamIdxForPTAutomation(150, 90), -1);
}

TEST_F(Surface, NormalisedValueLeavesTheRecordAndPlainValueIsStored) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(c);
  surface->SetParameterFromPlug(3, 0.5, true);
  EXPECT_EQ(plug().GetParam(3)->Value(), 0.0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
  surface->SetParameterFromPlug(3, 3.0, false);
  EXPECT_DOUBLE_EQ(plug().GetParam(3)->Value(), 3.0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.3);
  EXPECT_TRUE(plug().fromGUI.empty());
}

TEST_F(Surface, ParameterOutsideThePlugInIsIgnored) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(c);
  surface->SetParameterFromPlug(999, 3.0, false);
  surface->SetParameterFromPlug(-4, 3.0, false);
  surface->ClampControl(999, 0.0, 1.0, false);
  surface->SetControlFromPlug(42, 0.5);
  surface->SetControlFromPlug(-1, 0.5);
  EXPECT_EQ(c->GetValue(), 0.0);
}

TEST_F(Surface, ClampNormalisesPlainBoundsForTopLevelControls) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(c);
  surface->ClampControl(3, 2.0, 5.0, false);
  double lo, hi;
  c->GetClamp(&lo, &hi);
  EXPECT_DOUBLE_EQ(lo, 0.2);
  EXPECT_DOUBLE_EQ(hi, 0.5);
  c->SetValue(0.9);
  c->SetDirty(false);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
}

TEST_F(Surface, HideAndGreyByParameterReachTopLevelOnly) {
  auto* top = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(top);
  ControlLayer* layer = ShownLayer();
  auto* inLayer = new ProbeControl(&plug(), IRECT(60, 0, 90, 50), 3);
  layer->AddControl(inLayer);
  surface->HideControl(3, true);
  surface->GrayOutControl(3, true);
  EXPECT_TRUE(top->IsHidden());
  EXPECT_TRUE(top->IsGrayed());
  EXPECT_FALSE(inLayer->IsHidden());
  EXPECT_FALSE(inLayer->IsGrayed());
}

TEST_F(Surface, ValueReachesControlsOfHiddenLayers) {
  auto* layer = new ControlLayer(1, "hidden");
  surface->AttachLayer(layer);
  auto* child = new ControlLayer(2, "child");
  layer->AddChildLayer(child);
  auto* deep = new ProbeControl(&plug(), IRECT(0, 0, 10, 10), 3);
  child->AddControl(deep);
  surface->SetParameterFromPlug(3, 7.0, false);
  EXPECT_DOUBLE_EQ(deep->GetValue(), 0.7);
}

TEST_F(Surface, BackgroundAloneIsNotDirtyButIsDrawnFirstInStrictMode) {
  auto* bg = new ProbeControl(&plug(), IRECT(0, 0, 200, 100));
  auto* c = new ProbeControl(&plug(), IRECT(10, 10, 20, 20));
  surface->AttachControl(bg);
  surface->AttachControl(c);
  c->SetClean();
  IRECT r;
  EXPECT_FALSE(surface->IsDirty(&r));
  c->SetDirty(false);
  EXPECT_TRUE(surface->IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 10, 20, 20));
  EXPECT_TRUE(surface->Draw(&r));
  EXPECT_EQ(bg->draws, 1);
  EXPECT_EQ(c->draws, 1);
  EXPECT_TRUE(bg->IsDirty());  // never marked clean
  EXPECT_FALSE(c->IsDirty());
  EXPECT_EQ(surface->screens.back(), r);
}

TEST_F(Surface, HiddenDirtyControlCountsOnlyWithIgnoreHidden) {
  surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 200, 100)));
  auto* c = new ProbeControl(&plug(), IRECT(10, 10, 20, 20));
  surface->AttachControl(c);
  c->Hide(true);
  IRECT vacated;
  ASSERT_TRUE(surface->IsDirty(&vacated));  // once, for the area it leaves
  IRECT r;
  EXPECT_FALSE(surface->IsDirty(&r));
  c->SetIgnoreHidden(true);
  EXPECT_TRUE(surface->IsDirty(&r));
}

// Hiding a control leaves its pixels on screen until its area is repainted: the
// next redraw covers that area once, and shows the panel as a full redraw would.
TEST_F(Surface, AControlHiddenSinceTheLastRedrawIsRepaintedAwayOnce) {
  surface->images["panel"] = [] { return MakeFilled(200, 100, COLOR_GRAY); };
  surface->AttachBackground(9, "panel", 1.0);
  IBitmap strip = surface->LoadIBitmap(1, "strip", 1.0, 4);
  auto* knob = new IBitmapControl(&plug(), 60, 30, 3, &strip);
  auto* neighbour = new ProbeControl(&plug(), IRECT(150, 10, 170, 30));
  surface->AttachControl(knob);
  surface->AttachControl(neighbour);
  surface->DrawAll();
  const std::vector<uint32_t> withKnob = surface->Pixels();
  neighbour->SetClean();

  knob->Hide(true);
  IRECT r;
  ASSERT_TRUE(surface->IsDirty(&r));
  EXPECT_EQ(r, IRECT(60, 30, 80, 50));
  surface->Draw(&r);
  const std::vector<uint32_t> afterHide = surface->Pixels();
  EXPECT_NE(afterHide, withKnob);
  IRECT again;
  EXPECT_FALSE(surface->IsDirty(&again));
  EXPECT_EQ(neighbour->draws, 1);

  surface->DrawAll();
  EXPECT_EQ(surface->Pixels(), afterHide);
}

// The same for a control whose layer (a tab page, a window) is hidden: the page it
// leaves is repainted once, its children's areas included.
TEST_F(Surface, ALayerHiddenSinceTheLastRedrawIsRepaintedAwayOnce) {
  surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 200, 100)));
  auto* page = new ControlLayer(1, "page");
  surface->AttachLayer(page);
  auto* child = new ControlLayer(2, "child");
  page->AddChildLayer(child);
  page->SetActiveChildID(2);
  page->AddControl(new ProbeControl(&plug(), IRECT(10, 10, 20, 20)));
  child->AddControl(new ProbeControl(&plug(), IRECT(50, 50, 60, 60)));
  page->Hide(false);
  surface->DrawAll();

  page->Hide(true);
  IRECT r;
  ASSERT_TRUE(surface->IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 10, 60, 60));
  surface->Draw(&r);
  IRECT again;
  EXPECT_FALSE(surface->IsDirty(&again));
}

TEST_F(Surface, DirtyControlWithEmptyRectIsDirtyWithoutGrowingTheRect) {
  surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 200, 100)));
  surface->AttachControl(new ProbeControl(&plug(), IRECT()));
  IRECT r;
  EXPECT_TRUE(surface->IsDirty(&r));
  EXPECT_TRUE(r.Empty());
}

// A translucent veil and translucent text lie over the knob: drawn without
// clipping they would be blended twice over the unchanged pixels around it.
TEST_F(Surface, StrictRedrawChangesOnlyPixelsInsideTheRectAndMatchesAFullRedraw) {
  surface->images["panel"] = [] { return MakeFilled(200, 100, COLOR_GRAY); };
  surface->AttachBackground(9, "panel", 1.0);
  IBitmap strip = surface->LoadIBitmap(1, "strip", 1.0, 4);
  auto* knob = new IBitmapControl(&plug(), 60, 30, 3, &strip);
  surface->AttachControl(knob);
  surface->AttachControl(new VeilControl(&plug(), IRECT(20, 10, 150, 70)));
  IText glassy(20, IColor(128, 255, 255, 255), "DejaVu Sans Mono");
  surface->AttachControl(new ITextControl(&plug(), IRECT(0, 25, 200, 55), &glassy, "MMMMMMMMMMMMMMM"));
  surface->DrawAll();
  const std::vector<uint32_t> before = surface->Pixels();

  knob->SetValueFromPlug(0.0);
  knob->SetValueFromPlug(1.0);
  IRECT dirty;
  ASSERT_TRUE(surface->IsDirty(&dirty));
  EXPECT_EQ(dirty, IRECT(60, 30, 80, 50));
  surface->Draw(&dirty);
  const std::vector<uint32_t> strict = surface->Pixels();

  int changedInside = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      const size_t i = size_t(y) * 200 + size_t(x);
      if (dirty.Contains(x, y))
        changedInside += strict[i] != before[i];
      else
        ASSERT_EQ(strict[i], before[i]) << "pixel outside the draw rect changed at " << x << "," << y;
    }
  EXPECT_EQ(changedInside, 20 * 20);

  surface->DrawAll();
  EXPECT_EQ(surface->Pixels(), strict);
}

// midi-in and worker may change a control after the timer tick asked
// IsDirty and before Draw marks the controls clean: the change must stay dirty
// for the next tick instead of being cleaned away unseen.
TEST_F(Surface, ChangesBetweenTheDirtyCheckAndTheDrawAreKeptForTheNextTick) {
  surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 200, 100)));
  auto* moved = new ProbeControl(&plug(), IRECT(10, 10, 20, 20), 3);
  IText style;
  auto* status = new ITextControl(&plug(), IRECT(100, 60, 190, 90), &style, "Ready");
  auto* greyed = new ProbeControl(&plug(), IRECT(150, 10, 170, 30), 4);
  auto* knob = new ProbeControl(&plug(), IRECT(40, 10, 60, 30), 5);
  for (auto* c : std::vector<IControl*>{moved, status, greyed, knob}) surface->AttachControl(c);
  knob->SetValueFromPlug(0.1);
  surface->DrawAll();
  surface->DrawAll();
  moved->SetDirty(false);
  IRECT r;
  ASSERT_TRUE(surface->IsDirty(&r));
  ASSERT_EQ(r, IRECT(10, 10, 20, 20));

  status->SetTextFromPlug("Dump received");
  greyed->GrayOut(true);
  knob->SetValueFromPlug(0.9);
  surface->Draw(&r);

  IRECT next;
  ASSERT_TRUE(surface->IsDirty(&next));
  EXPECT_EQ(next, IRECT(40, 10, 190, 90));
  surface->Draw(&next);
  EXPECT_EQ(greyed->draws, 3);
  EXPECT_EQ(knob->draws, 3);
}

// The draw on the main thread may mark a control clean right after midi-in marked it
// dirty for a new value: the value's redraw request, raised before the dirty flag,
// keeps the control dirty for the next tick.
TEST_F(Surface, AValueCleanedJustAfterItWasMarkedDirtyIsStillDrawn) {
  struct CleanedWhileMarked : ProbeControl {
    using ProbeControl::ProbeControl;
    void SetDirty(bool push) override {
      ProbeControl::SetDirty(push);
      if (cleanNow) SetClean();
      cleanNow = false;
    }
    bool cleanNow = false;
  };
  surface->AttachControl(new ProbeControl(&plug(), IRECT(0, 0, 200, 100)));
  auto* knob = new CleanedWhileMarked(&plug(), IRECT(40, 10, 60, 30), 3);
  surface->AttachControl(knob);
  knob->SetValueFromPlug(0.1);
  surface->DrawAll();
  surface->DrawAll();
  knob->cleanNow = true;
  knob->SetValueFromPlug(0.7);
  IRECT r;
  EXPECT_TRUE(surface->IsDirty(&r));
  EXPECT_EQ(r, IRECT(40, 10, 60, 30));
}

TEST_F(Surface, NonStrictRedrawDrawsTheDirtyControlAndItsNeighbours) {
  surface->SetStrictDrawing(false);
  auto* bg = new ProbeControl(&plug(), IRECT(0, 0, 200, 100));
  auto* a = new ProbeControl(&plug(), IRECT(10, 10, 30, 30));
  auto* b = new ProbeControl(&plug(), IRECT(25, 25, 40, 40));
  auto* far = new ProbeControl(&plug(), IRECT(100, 50, 120, 70));
  for (auto* c : {bg, a, b, far}) surface->AttachControl(c);
  // Everything dirty from construction: the background's rect is redrawn whole.
  surface->Draw(nullptr);
  EXPECT_EQ(surface->GetDrawRECT(), IRECT(0, 0, 200, 100));
  EXPECT_EQ(far->draws, 1);
  EXPECT_FALSE(a->IsDirty());

  bg->SetClean();
  a->SetDirty(false);
  surface->Draw(nullptr);
  EXPECT_EQ(surface->GetDrawRECT(), IRECT(10, 10, 30, 30));
  EXPECT_EQ(a->draws, 2);
  EXPECT_EQ(b->draws, 2);  // meets the draw rect
  EXPECT_EQ(far->draws, 1);
  EXPECT_EQ(bg->draws, 2);
}

TEST_F(Surface, PanelWithLayersButNoBackgroundDraws) {
  ControlLayer* layer = ShownLayer();
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 10, 10));
  layer->AddControl(c);
  IRECT all(0, 0, 200, 100);
  EXPECT_TRUE(surface->Draw(&all));
  EXPECT_EQ(c->draws, 1);
  surface->SetStrictDrawing(false);
  EXPECT_TRUE(surface->Draw(&all));
}

TEST_F(Surface, EmptyPanelDrawsNothing) {
  IRECT all(0, 0, 200, 100);
  EXPECT_TRUE(surface->Draw(&all));
  EXPECT_TRUE(surface->screens.empty());
}

TEST_F(Surface, ResizeRemakesTheFrameBufferAndTellsThePlugIn) {
  surface->Resize(300, 150);
  EXPECT_EQ(surface->GetDrawBitmap()->getWidth(), 300);
  EXPECT_EQ(surface->GetDrawBitmap()->getHeight(), 150);
  ASSERT_EQ(plug().resized.size(), 1u);
  EXPECT_EQ(plug().resized[0], std::make_pair(300, 150));
}

TEST_F(Surface, GUIParameterSetsTopLevelControlsAsUserInput) {
  auto* c = new ProbeControl(&plug(), IRECT(0, 0, 50, 50), 3);
  surface->AttachControl(c);
  surface->SetParameterFromGUI(3, 0.4);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.4);
  ASSERT_EQ(plug().fromGUI.size(), 1u);
}

TEST(SurfaceParameters, AllAtOnceLeaveEveryControlAsOneAtATimeDoes) {
  // Bindings: own parameter, then aux parameters (a repeated one takes only its first record).
  struct Binding {
    bool inLayer;
    int paramIdx;
    std::vector<int> aux;
  };
  const Binding bindings[] = {{false, 3, {}},          {false, -1, {5, 7}},      {true, 5, {5, 2, 5}},
                              {true, 15, {0, 16, -2}}, {false, 40, {15, 15, 1}}, {true, -1, {}}};
  std::vector<double> values(16);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 0.05 * double(i + 1);
  std::vector<std::vector<double>> seen[2];
  for (int allAtOnce = 0; allAtOnce < 2; ++allAtOnce) {
    PanelFixture f;
    auto* layer = new ControlLayer(1, "layer");
    f.surface->AttachLayer(layer);
    std::vector<IControl*> controls;
    for (const Binding& b : bindings) {
      auto* c = new ProbeControl(f.plug.get(), IRECT(0, 0, 10, 10), b.paramIdx);
      for (int aux : b.aux) c->AddAuxParam(aux);
      if (b.inLayer)
        layer->AddControl(c);
      else
        f.surface->AttachControl(c);
      controls.push_back(c);
    }
    if (allAtOnce) {
      f.surface->SetParametersFromPlug(values);
    } else {
      for (size_t i = 0; i < values.size(); ++i) f.surface->SetParameterFromPlug(int(i), values[i], true);
    }
    for (IControl* c : controls) {
      std::vector<double> state{c->GetValue()};
      for (int i = 0; i < c->NAuxParams(); ++i) state.push_back(c->GetAuxParam(i)->mValue.load());
      seen[allAtOnce].push_back(state);
    }
  }
  EXPECT_EQ(seen[1], seen[0]);
}
