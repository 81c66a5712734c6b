// Other threads push values, texts and layer switches while the main thread
// draws; run under ThreadSanitizer in CI.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "FontconfigLeakSuppression.h"
#include "Framework/ControlLayer.h"
#include "Framework/IControlBitmaps.h"
#include "Framework/IControlKnobs.h"
#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
constexpr int kRounds = 20000;
// The writers keep going until the surface has drawn at least this often.
constexpr int kMinDraws = 300;

struct BusyPanel {
  BusyPanel() : f(160, 80, 8) {
    for (int p = 0; p < 4; ++p) f.plug->GetParam(p)->InitInt("p", 0, 0, 10);
    f.surface->images["knob"] = [] { return MakeStrip(20, 20, 11); };
    f.surface->AttachPanelBackground(&COLOR_BLACK);
    IBitmap strip = f.surface->LoadIBitmap(7001, "knob", 1.0, 11);
    for (int p = 0; p < 4; ++p) {
      knobs.push_back(new IKnobMultiControl(f.plug.get(), 20 * p, 0, p, &strip));
      f.surface->AttachControl(knobs.back());
    }
    IText style(12, COLOR_WHITE, "DejaVu Sans Mono");
    status = new ITextControl(f.plug.get(), IRECT(0, 30, 160, 50), &style, "Ready");
    f.surface->AttachControl(status);
    layer = new ControlLayer(1, "page");
    layerKnob = new IKnobMultiControl(f.plug.get(), 100, 50, 2, &strip);
    layer->AddControl(layerKnob);
    f.surface->AttachLayer(layer);
  }
  void DrawTick() {
    IRECT r;
    if (f.surface->IsDirty(&r)) f.surface->Draw(&r);
    ++draws;
  }
  bool Busy(int round) const { return round < kRounds || draws.load() < kMinDraws; }
  PanelFixture f;
  std::vector<IKnobMultiControl*> knobs;
  ITextControl* status;
  ControlLayer* layer;
  IKnobMultiControl* layerKnob;
  std::atomic<int> draws{0};
};
}  // namespace

TEST(PanelThreads, ValuesTextsAndLayersChangeWhileTheSurfaceDraws) {
  BusyPanel panel;
  panel.f.surface->DrawAll();  // as a view's first paint
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 0; panel.Busy(i); ++i) {
      panel.f.surface->SetParameterFromPlug(i % 4, double(i % 11), false);
      panel.knobs[i % 4]->SetValueFromHardware((i % 7) / 6.0);
    }
  });
  std::thread worker([&] {
    for (int i = 0; panel.Busy(i); ++i) {
      panel.status->SetTextFromPlug(i % 2 ? "Receiving dump..." : "CONNECTION TIMED OUT!");
      panel.status->SetTextColor(i % 2 ? COLOR_WHITE : COLOR_YELLOW);
      panel.layer->Hide(i % 3 == 0);
      panel.f.surface->GrayOutControl(1, i % 5 == 0);
    }
    done = true;
  });
  while (!done) panel.DrawTick();
  midi.join();
  worker.join();

  // Quiet again: one ordinary tick shows the last values, exactly as a full
  // redraw does (no change made during a draw was cleaned away unseen).
  panel.f.surface->SetParameterFromPlug(0, 10.0, false);
  panel.status->SetTextFromPlug("Done");
  panel.layer->Hide(false);
  panel.DrawTick();
  const std::vector<uint32_t> ticked = panel.f.surface->Pixels();
  panel.f.surface->DrawAll();
  EXPECT_EQ(ticked, panel.f.surface->Pixels());
  EXPECT_EQ(panel.status->GetTextString(), "Done");
  EXPECT_EQ(panel.f.surface->At(5, 5), FrameColor(11));
  EXPECT_DOUBLE_EQ(panel.f.plug->GetParam(0)->Value(), 10.0);
}

TEST(PanelThreads, TwoThreadsLoadingOneImageCacheItOnce) {
  PanelFixture f;
  std::atomic<int> loads{0};
  f.surface->images["shared"] = [&] {
    ++loads;
    return MakeFilled(30, 30, COLOR_RED);
  };
  IBitmap a, b;
  std::thread t1([&] { a = f.surface->LoadIBitmap(7002, "shared", 0.5); });
  std::thread t2([&] { b = f.surface->LoadIBitmap(7002, "shared", 0.5); });
  t1.join();
  t2.join();
  EXPECT_EQ(loads.load(), 1);
  EXPECT_EQ(a.data, b.data);
  EXPECT_EQ(a.W, 15);
}

TEST(PanelThreads, ReadOutsRefreshFromTheHardwarePathWhileDrawing) {
  BusyPanel panel;
  panel.knobs[3]->SetValDisplayControl(panel.status);
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 0; panel.Busy(i); ++i) panel.knobs[3]->SetValueFromHardware((i % 10) / 10.0);
    done = true;
  });
  while (!done) panel.DrawTick();
  midi.join();
  EXPECT_EQ(panel.status->GetTextString(), std::to_string(int(panel.f.plug->GetParam(3)->Value())));
}

TEST(PanelThreads, ProgramRenamedFromAnotherThreadIsReadWhole) {
  // Dump parsing renames the program (display text 0) while the panel shows it.
  BusyPanel panel;
  IParam* name = panel.f.plug->GetParam(3);
  name->InitText();
  const std::string names[2] = {"INIT", "Strings Section Layer With A Long Name"};
  name->SetDisplayText(0, names[0].c_str());
  IText style(12, COLOR_WHITE, "DejaVu Sans Mono");
  panel.f.surface->AttachControl(new ICaptionControl(panel.f.plug.get(), IRECT(0, 60, 160, 80), 3, &style, true));
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 0; panel.Busy(i); ++i) {
      name->SetDisplayText(0, names[i % 2].c_str());
      panel.f.surface->SetParameterFromPlug(3, 0.0, false);
    }
    done = true;
  });
  int torn = 0;
  while (!done) {
    panel.DrawTick();
    const std::string shown = name->GetDisplayText(0);
    torn += shown != names[0] && shown != names[1];
    char host[64];
    name->GetDisplayForHost(0.0, false, host, sizeof host);
    torn += host != names[0] && host != names[1];
  }
  midi.join();
  EXPECT_EQ(torn, 0);
}
