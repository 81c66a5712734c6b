#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "Framework/IControlBitmaps.h"
#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
class CountingControl : public IControl {
public:
  CountingControl(IModuleBase* plug, const IRECT& r, int paramIdx = -1) : IControl(plug, r, paramIdx) {}
  bool Draw(IGraphics*) override {
    ++draws;
    return true;
  }
  int draws = 0;
};

// A parent with children 1, 2 and 3, each holding one control.
struct Tabs {
  explicit Tabs(IModuleBase* plug) : parent(new ControlLayer(0, "tabs")) {
    for (int id = 1; id <= 3; ++id) {
      auto* child = new ControlLayer(id, "tab" + std::to_string(id));
      children.push_back(child);
      controls.push_back(new CountingControl(plug, IRECT(10 * id, 0, 10 * id + 5, 5)));
      child->AddControl(controls.back());
      parent->AddChildLayer(child);
    }
  }
  ControlLayer* parent;
  std::vector<ControlLayer*> children;
  std::vector<CountingControl*> controls;
};
}  // namespace

TEST(Layer, NewLayerIsHiddenAndReportsNothing) {
  PanelPlug plug;
  ControlLayer layer(4, "fresh");
  auto* c = new CountingControl(&plug, IRECT(0, 0, 10, 10));
  layer.AddControl(c);
  EXPECT_FALSE(layer.IsShown());
  EXPECT_EQ(layer.GetName(), "fresh");
  EXPECT_EQ(layer.GetActiveChildID(), 0);
  IRECT r;
  EXPECT_TRUE(c->IsDirty());
  EXPECT_FALSE(layer.isDirty(&r));
  EXPECT_EQ(layer.isHit(5, 5), nullptr);
  EXPECT_EQ(layer.getControlFromParam(-1), nullptr);
}

TEST(Layer, ShowingAParentShowsOnlyItsActiveChild) {
  PanelPlug plug;
  Tabs tabs(&plug);
  std::unique_ptr<ControlLayer> owner(tabs.parent);
  tabs.parent->SetActiveChildID(3);
  tabs.parent->Hide(false);
  EXPECT_FALSE(tabs.children[0]->IsShown());
  EXPECT_FALSE(tabs.children[1]->IsShown());
  EXPECT_TRUE(tabs.children[2]->IsShown());
  EXPECT_FALSE(tabs.controls[2]->IsHidden());
  EXPECT_EQ(tabs.parent->isHit(32, 2), tabs.controls[2]);
  EXPECT_EQ(tabs.parent->isHit(12, 2), nullptr);

  tabs.parent->Hide(true);
  for (ControlLayer* child : tabs.children) EXPECT_FALSE(child->IsShown());
  for (CountingControl* c : tabs.controls) EXPECT_TRUE(c->IsHidden());
}

TEST(Layer, SwitchingTabsLeavesTheOthersHidden) {
  PanelPlug plug;
  Tabs tabs(&plug);
  std::unique_ptr<ControlLayer> owner(tabs.parent);
  tabs.parent->SetActiveChildID(1);
  tabs.parent->Hide(false);
  tabs.children[0]->Hide(true);
  tabs.parent->SetActiveChildID(2);
  tabs.children[1]->Hide(false);
  EXPECT_FALSE(tabs.children[0]->IsShown());
  EXPECT_TRUE(tabs.children[1]->IsShown());
  EXPECT_EQ(tabs.parent->getControlFromParam(-1), tabs.controls[1]);
}

TEST(Layer, IgnoreHiddenReportsOnlyTheFirstControlAndDrawCleansAll) {
  PanelPlug plug;
  HeadlessSurface surface(&plug, 100, 100);
  ControlLayer layer(1, "overlay");
  auto* first = new CountingControl(&plug, IRECT(0, 0, 10, 10));
  auto* second = new CountingControl(&plug, IRECT(20, 0, 30, 10));
  layer.AddControl(first);
  layer.AddControl(second);
  layer.Hide(true);
  layer.setIgnoreHiddenWhenUpdatingScreen(true);
  EXPECT_TRUE(first->GetIgnoreHidden());
  EXPECT_FALSE(second->GetIgnoreHidden());

  IRECT r;
  EXPECT_TRUE(layer.isDirty(&r));
  EXPECT_EQ(r, IRECT(0, 0, 10, 10));
  first->SetClean();
  first->SetClean();
  IRECT r2;
  EXPECT_FALSE(layer.isDirty(&r2));  // the second is dirty but hidden

  // Hidden controls are never drawn, but each Draw cleans them (the redraw
  // that hiding requested takes one more cycle).
  IRECT all(0, 0, 100, 100);
  layer.Draw(&surface, &all);
  layer.Draw(&surface, &all);
  EXPECT_EQ(first->draws + second->draws, 0);
  EXPECT_FALSE(first->IsDirty());
  EXPECT_FALSE(second->IsDirty());
}

// A tab switch hides one page and shows another: the hidden page's area must be
// repainted once, or pieces of it stay on screen where the new page draws nothing.
TEST(Layer, ASwitchReportsTheHiddenPagesAreaOnceAndANeverShownLayerNothing) {
  PanelPlug plug;
  Tabs tabs(&plug);
  std::unique_ptr<ControlLayer> owner(tabs.parent);
  tabs.parent->Hide(true);  // built hidden, as the layout does: nothing was on screen
  IRECT none;
  EXPECT_FALSE(tabs.parent->isDirty(&none));

  tabs.parent->SetActiveChildID(1);
  tabs.parent->Hide(false);
  IRECT shown;
  ASSERT_TRUE(tabs.parent->isDirty(&shown));
  EXPECT_EQ(shown, tabs.controls[0]->GetRECT());
  // Two redraws: the redraw that showing or hiding requests takes one more.
  const auto redrawTwice = [&] {
    for (int i = 0; i < 2; ++i)
      for (CountingControl* c : tabs.controls) c->SetClean();
  };
  redrawTwice();

  tabs.parent->ShowOnlyChild(3);
  IRECT switched;
  ASSERT_TRUE(tabs.parent->isDirty(&switched));
  EXPECT_EQ(switched, tabs.controls[0]->GetRECT().Union(tabs.controls[2]->GetRECT()));
  redrawTwice();
  IRECT after;
  EXPECT_FALSE(tabs.parent->isDirty(&after));

  // The whole page hidden: its area is reported once from below a hidden layer.
  tabs.parent->Hide(true);
  IRECT gone;
  ASSERT_TRUE(tabs.parent->isDirty(&gone));
  EXPECT_EQ(gone, tabs.controls[2]->GetRECT());
  IRECT later;
  EXPECT_FALSE(tabs.parent->isDirty(&later));
}

TEST(Layer, GreyedControlInAShownLayerIsHitHiddenIsNot) {
  PanelPlug plug;
  ControlLayer layer(1, "l");
  auto* greyed = new CountingControl(&plug, IRECT(0, 0, 10, 10));
  auto* hidden = new CountingControl(&plug, IRECT(20, 0, 30, 10));
  layer.AddControl(greyed);
  layer.AddControl(hidden);
  layer.Hide(false);
  greyed->GrayOut(true);
  hidden->Hide(true);
  EXPECT_EQ(layer.isHit(5, 5), greyed);
  EXPECT_EQ(layer.isHit(25, 5), nullptr);
}

TEST(Layer, ChildControlsCoverTheParentsOwn) {
  PanelPlug plug;
  ControlLayer parent(0, "p");
  auto* own = new CountingControl(&plug, IRECT(0, 0, 10, 10));
  parent.AddControl(own);
  auto* child = new ControlLayer(1, "c");
  auto* inChild = new CountingControl(&plug, IRECT(0, 0, 10, 10));
  child->AddControl(inChild);
  parent.AddChildLayer(child);
  parent.SetActiveChildID(1);
  parent.Hide(false);
  EXPECT_EQ(parent.isHit(5, 5), inChild);
}

// The text a reader finds at a point: the shown layer's topmost text control holding
// it, whatever other control lies above; nothing in a hidden layer or control.
TEST(Layer, TextAtAPointIsTheTopmostShownTextControls) {
  PanelPlug plug;
  ControlLayer parent(0, "p");
  auto* under = new ITextControl(&plug, IRECT(0, 0, 100, 10), nullptr, "under");
  auto* top = new ITextControl(&plug, IRECT(0, 0, 50, 10), nullptr, "top");
  parent.AddControl(under);
  parent.AddControl(top);
  parent.AddControl(new CountingControl(&plug, IRECT(0, 0, 100, 10)));
  auto* child = new ControlLayer(1, "c");
  auto* inChild = new ITextControl(&plug, IRECT(80, 0, 100, 10), nullptr, "child");
  child->AddControl(inChild);
  parent.AddChildLayer(child);
  EXPECT_EQ(parent.textControlAt(5, 5), nullptr);
  parent.Hide(false);
  EXPECT_EQ(parent.textControlAt(5, 5), top);
  EXPECT_EQ(parent.textControlAt(60, 5), under);
  EXPECT_EQ(parent.textControlAt(90, 5), under);  // the child is not the active one
  EXPECT_EQ(parent.textControlAt(5, 10), nullptr);
  parent.SetActiveChildID(1);
  parent.Hide(false);
  EXPECT_EQ(parent.textControlAt(90, 5), inChild);
  top->Hide(true);
  EXPECT_EQ(parent.textControlAt(5, 5), under);
}

TEST(Layer, CustomZoneAndUserArpGreying) {
  PanelPlug plug;
  ControlLayer zone(0, "zones");
  std::vector<ControlLayer*> kids;
  for (int id : {5, 12, 201, 230}) {
    auto* k = new ControlLayer(id, "k");
    k->AddControl(new CountingControl(&plug, IRECT(0, 0, 1, 1)));
    zone.AddChildLayer(k);
    kids.push_back(k);
  }
  zone.GrayOutCustomZone(true, 5);
  EXPECT_EQ(zone.GetActiveChildID(), 5);
  for (ControlLayer* k : kids) EXPECT_FALSE(k->GetControl(0)->IsGrayed());
  zone.GrayOutCustomZone(true, 12);
  EXPECT_TRUE(kids[1]->GetControl(0)->IsGrayed());
  EXPECT_FALSE(kids[0]->GetControl(0)->IsGrayed());

  zone.GrayOutUserArp(true, 201, 210);
  EXPECT_EQ(zone.GetActiveChildID(), 201);
  EXPECT_FALSE(kids[2]->GetControl(0)->IsGrayed());
  EXPECT_TRUE(kids[3]->GetControl(0)->IsGrayed());
  EXPECT_FALSE(kids[1]->GetControl(0)->IsGrayed());  // 12 <= limit
}

TEST(Layer, GreyingFollowsTheActiveChildWhenUngreyed) {
  PanelPlug plug;
  Tabs tabs(&plug);
  std::unique_ptr<ControlLayer> owner(tabs.parent);
  tabs.parent->SetActiveChildID(2);
  tabs.parent->GrayOut(true);
  for (CountingControl* c : tabs.controls) EXPECT_TRUE(c->IsGrayed());
  tabs.parent->GrayOut(false);
  EXPECT_TRUE(tabs.controls[0]->IsGrayed());
  EXPECT_FALSE(tabs.controls[1]->IsGrayed());
}

TEST(Layer, ValueSetWhileHiddenIsDrawnWhenShown) {
  PanelFixture f(100, 60);
  f.plug->GetParam(3)->InitInt("Mode", 0, 0, 3);
  f.surface->images["led"] = [] { return MakeStrip(10, 10, 4); };
  f.surface->AttachPanelBackground(&COLOR_BLACK);
  IBitmap strip = f.surface->LoadIBitmap(2, "led", 1.0, 4);
  auto* layer = new ControlLayer(1, "page");
  auto* led = new IBitmapControl(f.plug.get(), 40, 20, 3, &strip);
  layer->AddControl(led);
  f.surface->AttachLayer(layer);
  f.surface->DrawAll();
  EXPECT_EQ(f.surface->At(45, 25), COLOR_BLACK);

  f.surface->SetParameterFromPlug(3, 0.0, false);  // first value: the default
  f.surface->SetParameterFromPlug(3, 2.0, false);
  EXPECT_NEAR(led->GetValue(), 2.0 / 3.0, 1e-9);
  IRECT dirty;
  EXPECT_FALSE(f.surface->IsDirty(&dirty));  // hidden: nothing to draw

  layer->Hide(false);
  IRECT r;
  ASSERT_TRUE(f.surface->IsDirty(&r));
  f.surface->Draw(&r);
  EXPECT_EQ(f.surface->At(45, 25), FrameColor(3));
  EXPECT_EQ(f.surface->At(39, 25), COLOR_BLACK);
}

TEST(Layer, ParameterValuesReachAuxRecordsInEveryChild) {
  PanelPlug plug;
  ControlLayer root(0, "r");
  auto* child = new ControlLayer(1, "c");
  auto* c = new CountingControl(&plug, IRECT(0, 0, 5, 5), 2);
  c->AddAuxParam(6);
  child->AddControl(c);
  root.AddChildLayer(child);
  root.SetParameterFromPlug(6, 0.25, true);
  EXPECT_DOUBLE_EQ(c->GetAuxParam(0)->mValue.load(), 0.25);
  root.SetParameterFromPlug(2, 0.5, true);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
}
