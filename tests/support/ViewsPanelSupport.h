#pragma once
// A panel on the platform host shown through the headless back end: a plug-in,
// an IGraphicsMac with a grey background, and swatch controls whose colour shows
// their value.

#include <memory>

#include "Framework/IControl.h"
#include "Framework/IGraphicsCarbon.h"
#include "Framework/IGraphicsCocoa.h"
#include "Framework/IGraphicsMac.h"
#include "PanelTestSupport.h"
#include "views/View_Headless.h"

// Fills its rect with red = value x 255; the right button prompts; keys are kept.
class Swatch : public IControl {
public:
  Swatch(IModuleBase* plug, const IRECT& r, int paramIdx) : IControl(plug, r, paramIdx) { SetPromptDisabled(false); }
  bool Draw(IGraphics* g) override {
    const IColor c(255, int(GetValue() * 255.0 + 0.5), 40, 60);
    IRECT r = GetRECT();
    return g->FillIRect(&c, &r);
  }
  bool OnKeyDown(int x, int y, int key) override {
    keys.push_back({x, y, key});
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    downs.push_back({x, y});
    lastMod = *mod;
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { doubles.push_back({x, y}); }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override { wheels.push_back(d); }
  void TextFromTextEntry(const char* text) override { typed.push_back(text); }

  struct Key {
    int x, y, key;
  };
  std::vector<Key> keys;
  std::vector<std::pair<int, int>> downs, doubles;
  std::vector<int> wheels;
  std::vector<std::string> typed;
  IMouseMod lastMod;
};

struct MacPanel {
  static constexpr int kWidth = 200, kHeight = 120;

  explicit MacPanel(bool composited = true) : backend(composited) {
    plug = std::make_unique<PanelPlug>(16);
    graphics = new IGraphicsMac(plug.get(), kWidth, kHeight, 25);
    plug->AttachGraphics(graphics);
    const IColor grey(255, 128, 128, 128);
    graphics->AttachPanelBackground(&grey);
  }
  Swatch* AddSwatch(const IRECT& r, int paramIdx) {
    auto* s = new Swatch(plug.get(), r, paramIdx);
    graphics->AttachControl(s);
    return s;
  }
  IGraphicsCocoa_vTavro_au* OpenCocoa() {
    auto* hostable = static_cast<ViewHostable*>(graphics->OpenWindow(nullptr));
    hostable->AttachToBackend(&backend);
    return graphics->GetCocoaView();
  }
  IGraphicsCarbon* OpenCarbon() {
    graphics->OpenWindow(&backend, nullptr, 0, 0);
    return graphics->GetCarbonHost();
  }
  // Window pixels that reach panel point (x, y) through the views' offsets.
  static double WindowX(int x) { return x + 2; }
  static double WindowY(int y) { return y + 3; }

  HeadlessViewBackend backend;
  std::unique_ptr<PanelPlug> plug;
  IGraphicsMac* graphics;
};
