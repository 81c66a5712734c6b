// The test plug-in's panel, built into the bundle only: a plain panel over the
// plug-in's parameters, enough for a host to open, click and picture it.

#include "AUTestPlug.h"
#include "Framework/IControlKnobs.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"

namespace {

constexpr int kWidth = 320, kHeight = 200;

void MakeTestPanel(AUTestPlug* plug) {
  auto* graphics = new IGraphicsMac(plug, kWidth, kHeight, 25);
  graphics->SetBundleID(plug->GetBundleID());
  plug->AttachGraphics(graphics);

  const IColor face(255, 52, 58, 66);
  graphics->AttachPanelBackground(&face);
  IText title(16, IColor(255, 235, 235, 235));
  graphics->AttachControl(new ITextControl(plug, IRECT(10, 8, 310, 32), &title, "Tavro Editor (test panel)"));

  IText label(12, IColor(255, 200, 200, 200), nullptr, IText::kStyleNormal, IText::kAlignNear);
  IText value(12, IColor(255, 255, 214, 120));
  const struct {
    int param;
    const char* name;
  } rows[] = {{AUTestPlug::kMode, "Mode"}, {AUTestPlug::kGain, "Gain"}, {AUTestPlug::kChannel, "MIDI channel"}};
  int top = 48;
  for (const auto& row : rows) {
    graphics->AttachControl(new ITextControl(plug, IRECT(16, top, 130, top + 20), &label, row.name));
    auto* caption = new ICaptionControl(plug, IRECT(140, top, 230, top + 20), row.param, &value, true);
    caption->SetPromptDisabled(false);
    graphics->AttachControl(caption);
    top += 30;
  }
  const IColor knob(255, 255, 214, 120);
  graphics->AttachControl(new IKnobLineControl(plug, IRECT(250, 60, 300, 110), AUTestPlug::kGain, &knob));
  for (int i = 0; i < AUTestPlug::kNumParams; ++i) graphics->SetParameterFromPlug(i, plug->GetParam(i)->Value(), false);
}

struct Registration {
  Registration() { AUTestPlug::SetPanelMaker(&MakeTestPanel); }
} gRegistration;

}  // namespace
