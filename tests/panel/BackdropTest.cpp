// The composed backdrop must never show: every redraw through it gives the pixels
// that blending every control in order gives, after whatever changed on the panel.
#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "Framework/IControlBitmaps.h"
#include "PanelTestSupport.h"

namespace {

// Fills its rect with a half-transparent colour, so what lies under it and what
// over it cannot be swapped unseen.
class CountingVeilControl : public IControl {
public:
  CountingVeilControl(IModuleBase* plug, const IRECT& r) : IControl(plug, r) {}
  bool Draw(IGraphics* g) override {
    ++draws;
    IColor veil(128, 255, 0, 0);
    IRECT r = mRECT;
    return g->FillIRect(&veil, &r);
  }
  int draws = 0;
};

// The image cache is the process's: ids no other test uses, released at the end.
enum : int { kPanelId = 901, kPageAId, kPageBId, kBadgeId, kStripId };

struct Backdrop : ::testing::Test {
  ~Backdrop() override {
    for (int id = kPanelId; id <= kStripId; ++id) {
      IBitmap image = surface->getImageById(id);
      surface->ReleaseBitmap(&image);
    }
  }
  Backdrop() {
    surface->images["panel"] = [] { return MakeStrip(200, 100, 1); };
    surface->images["pageA"] = [] { return MakeFilled(120, 80, IColor(100, 0, 0, 255)); };
    surface->images["pageB"] = [] { return MakeFilled(120, 80, IColor(160, 0, 255, 0)); };
    surface->images["badge"] = [] { return MakeFilled(30, 30, IColor(90, 255, 255, 0)); };
    surface->images["strip"] = [] { return MakeStrip(20, 20, 4); };
    f.plug->GetParam(3)->InitInt("Cutoff", 0, 0, 10);
    surface->AttachBackground(kPanelId, "panel", 1.0);
    veil = new CountingVeilControl(f.plug.get(), IRECT(20, 10, 150, 70));
    surface->AttachControl(veil);
    // A second veil over the first: the page's hole is the box around both overlaps.
    surface->AttachControl(new CountingVeilControl(f.plug.get(), IRECT(100, 50, 160, 95)));
    IBitmap strip = surface->LoadIBitmap(kStripId, "strip", 1.0, 4);
    knob = new IBitmapControl(f.plug.get(), 170, 5, 3, &strip);
    surface->AttachControl(knob);
    pageA = Page(kPageAId, "pageA");
    pageB = Page(kPageBId, "pageB");
    IBitmap badge = surface->LoadIBitmap(kBadgeId, "badge", 1.0);
    pageA->AddControl(new IBitmapControl(f.plug.get(), 160, 60, -1, &badge));
    pageA->Hide(false);
  }
  ControlLayer* Page(int id, const char* image) {
    auto* layer = new ControlLayer(id, image);
    surface->AttachLayer(layer);
    IBitmap bitmap = surface->LoadIBitmap(id, image, 1.0);
    layer->AddControl(new IBitmapControl(f.plug.get(), 10, 5, -1, &bitmap));
    return layer;
  }
  // As the window's timer draws: the dirty area only.
  void Tick() {
    IRECT dirty;
    if (surface->IsDirty(&dirty)) surface->Draw(&dirty);
  }
  // Every control blended in order over the whole panel, the composed path left on.
  std::vector<uint32_t> PlainFull() {
    surface->SetComposedBackdrop(false);
    surface->DrawAll();
    surface->SetComposedBackdrop(true);
    return surface->Pixels();
  }
  // What the panel shows now is what a plain full redraw of the same state shows.
  void ExpectPlainPixels() {
    const std::vector<uint32_t> shown = surface->Pixels();
    EXPECT_EQ(shown, PlainFull());
  }
  std::vector<uint32_t> ComposedFull() {
    surface->DrawAll();
    return surface->Pixels();
  }

  PanelFixture f;
  HeadlessSurface* surface = f.surface;
  CountingVeilControl* veil;
  IBitmapControl* knob;
  ControlLayer* pageA;
  ControlLayer* pageB;
};

}  // namespace

// The page's picture lies partly over the veils drawn before it: that part is left
// out of the backdrop and drawn after them, while the rest and the badge go in.
TEST_F(Backdrop, AFullRedrawGivesThePixelsOfThePlainOne) {
  const std::vector<uint32_t> composed = ComposedFull();
  EXPECT_EQ(composed, PlainFull());
  EXPECT_NE(composed, std::vector<uint32_t>(composed.size(), 0u));
}

TEST_F(Backdrop, TheFixedImagesAreComposedOnceAndCopiedAfterwards) {
  ComposedFull();
  // Painting into the background's pixels behind the panel's back: the composed
  // path keeps what it composed, the plain one blends the image again.
  IBitmap panel = surface->getImageById(kPanelId);
  ASSERT_NE(panel.data, nullptr);
  panel.data->getBits()[0] = IColor(255, 1, 2, 3).ToPixel();
  const std::vector<uint32_t> composed = ComposedFull();
  const std::vector<uint32_t> plain = PlainFull();
  EXPECT_NE(composed[0], plain[0]);
  EXPECT_EQ(plain[0], IColor(255, 1, 2, 3).ToPixel());
  EXPECT_EQ(veil->draws, 3);  // the veil is drawn on every redraw
}

TEST_F(Backdrop, AKnobMoveRedrawsOnlyItsAreaAsThePlainPathDoes) {
  ComposedFull();
  ComposedFull();  // the page shown at the start asked for one more
  knob->SetValueFromPlug(0.0);
  knob->SetValueFromPlug(1.0);
  Tick();
  EXPECT_EQ(surface->screens.back(), IRECT(170, 5, 190, 25));
  ExpectPlainPixels();
}

TEST_F(Backdrop, APageSwitchComposesTheNewPage) {
  ComposedFull();
  pageA->Hide(true);
  pageB->Hide(false);
  Tick();
  const std::vector<uint32_t> switched = surface->Pixels();
  EXPECT_EQ(switched, PlainFull());
  pageB->Hide(true);
  pageA->Hide(false);
  Tick();
  ExpectPlainPixels();
  EXPECT_NE(surface->Pixels(), switched);
}

TEST_F(Backdrop, AFixedImageShowingAnotherFrameIsComposedAgain) {
  IBitmap strip = surface->LoadIBitmap(kStripId, "strip", 1.0, 4);
  auto* lamp = new IBitmapControl(f.plug.get(), 135, 75, -1, &strip);
  const int idx = surface->AttachControl(lamp);
  ComposedFull();
  surface->SetControlFromPlug(idx, 0.0);
  surface->SetControlFromPlug(idx, 1.0);
  Tick();
  EXPECT_EQ(surface->At(140, 80), FrameColor(4));
  ExpectPlainPixels();
}

// Once the frame matches the backdrop, a redraw puts back only what was drawn over
// it: a control hidden since must still go.
TEST_F(Backdrop, AHiddenControlLeavesNothingBehind) {
  ComposedFull();
  ComposedFull();
  veil->Hide(true);
  Tick();
  ExpectPlainPixels();
  veil->Hide(false);
  Tick();
  Tick();
  ExpectPlainPixels();
}

// Whatever is drawn on the frame outside a redraw is painted over by the next
// full redraw, as the plain path does.
TEST_F(Backdrop, DrawingOutsideARedrawIsPaintedOver) {
  ComposedFull();
  ComposedFull();
  IRECT stain(0, 0, 10, 10);
  surface->FillIRect(&COLOR_WHITE, &stain);
  ASSERT_EQ(surface->At(5, 5), COLOR_WHITE);
  ComposedFull();
  EXPECT_NE(surface->At(5, 5), COLOR_WHITE);
  ExpectPlainPixels();
}

TEST_F(Backdrop, AGreyedFixedImageIsComposedAgain) {
  ComposedFull();
  pageA->GrayOut(true);
  Tick();
  ExpectPlainPixels();
}

TEST_F(Backdrop, AResizedPanelIsComposedAtItsNewSize) {
  ComposedFull();
  surface->Resize(300, 150);
  const std::vector<uint32_t> composed = ComposedFull();
  ASSERT_EQ(composed.size(), 300u * 150u);
  EXPECT_EQ(composed, PlainFull());
}

// Without strict drawing the dirty controls are drawn with their neighbours, as
// before; the backdrop plays no part.
TEST_F(Backdrop, NonStrictDrawingDrawsEveryControlItself) {
  surface->SetStrictDrawing(false);
  ComposedFull();
  const int before = veil->draws;
  veil->SetDirty(false);
  Tick();
  EXPECT_EQ(veil->draws, before + 1);
  surface->SetStrictDrawing(true);
  ComposedFull();
  ExpectPlainPixels();
}
