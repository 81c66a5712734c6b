// The cycle buttons that step a sound parameter of their slot through its states, and
// the octave light of oscillator 2.

#include <cstring>

#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"
#include "editor/tables/PanelLookups.h"
#include "layout/UIConfigManager.h"

namespace TavroCommands {

namespace {

// How a button shows its new state: first through the panel as if the knob had moved
// (GUI), or by redrawing every control afterwards, or neither.
enum Shown { kPlain, kGui, kRedraw };

// The buttons that show their state other than plainly, on models 1 and 2 and on model 0.
struct ShownBy {
  const char* button;
  Shown models12, model0;
};
const ShownBy kShownBy[] = {
    {"kLFO1WaveTrig", kGui, kGui},         {"kLFO1DestTrig", kGui, kGui},         {"kLFO2DestTrig", kPlain, kGui},
    {"kModEnvDestTrig", kPlain, kGui},     {"kModWheelDestTrig", kGui, kGui},     {"kOsc2KbdTrkTrig", kRedraw, kRedraw},
    {"kFilterDistTrig", kRedraw, kRedraw}, {"kFilterVeloTrig", kRedraw, kRedraw}, {"kPortaAutoTrig", kRedraw, kRedraw},
    {"kUnisonModeTrig", kRedraw, kRedraw},
};

Shown ShownFor(const char* button, bool model0) {
  for (const ShownBy& row : kShownBy)
    if (std::strcmp(row.button, button) == 0) return model0 ? row.model0 : row.models12;
  return kPlain;
}

constexpr int kOctaveTop = 4;
constexpr int kLFO2DestinationAfterRelease = 8;

int StateOf(const Tavro& plug, int paramIdx) { return TruncToInt(plug.paramValue(paramIdx)); }

// The state after `state` of a parameter with `states` states; out of range starts over.
int NextState(int state, int states) { return state >= 0 && state < states - 1 ? state + 1 : 0; }

// Writes the state into the target (clamped to its range) and runs its change.
void ApplyState(Tavro& plug, int target, int state, Shown shown) {
  IParam* param = plug.GetParam(target);
  if (!param) return;
  if (shown == kGui) plug.SetParameterFromGUI(target, param->GetNormalized(state));
  param->SetClamped(state);
  plug.OnParamChange(target);
  if (shown == kRedraw) plug.RedrawParamControls();
}

// With the hold on: 0, 1, 2, 5, 6 round (3 goes to 4, 4 to 5). With it off: to 3 from
// 0, 2 and 7 up, 1 to 2, 3 to 4, 4-6 to 7; 7 up goes to 7 once after the hold was let go.
int NextLFO2Destination(Tavro& plug, int destination, bool hold) {
  if (hold) {
    if (destination > 5) return 0;
    return destination + 1 == 3 ? 5 : destination + 1;
  }
  switch (destination) {
    case 1: return 2;
    case 3: return 4;
    case 4:
    case 5:
    case 6: return 7;
    default: break;
  }
  if (destination >= 7 && plug.takeLfo2HoldReleased()) return 7;
  return 3;
}

void StepLFO2Hold(Tavro& plug, int slot, double value) {
  if (value == 0.0) {
    const int destination = kLFO2Destination + slot;
    plug.GetParam(destination)->SetClamped(plug.roadState().lfo2HoldReleased ? kLFO2DestinationAfterRelease : 0.0);
    plug.OnParamChange(destination);
    return;
  }
  const int hold = kLFO2Hold + slot;
  const int next = NextState(StateOf(plug, hold), 2);
  plug.setLfo2HoldReleased(next == 0);
  ApplyState(plug, hold, next, kRedraw);
}

void StepOctave(Tavro& plug, int slot, int step) {
  const int target = kOctaveSwitch + slot;
  const int octave = StateOf(plug, target);
  if ((step > 0 && octave >= kOctaveTop) || (step < 0 && octave <= 0)) return;
  ApplyState(plug, target, octave + step, kPlain);
}

}  // namespace

void cycleButton(Tavro& plug, int paramIdx, double value) {
  const int group = (paramIdx - kCycleButtonFirst) / kSlotCount;
  const int slot = (paramIdx - kCycleButtonFirst) % kSlotCount;
  const int button = kCycleButtonFirst + group * kSlotCount;
  if (button == kLFO2HoldTrig) return StepLFO2Hold(plug, slot, value);
  if (value == 0.0) return;
  if (button == kOctUpTrig) return StepOctave(plug, slot, +1);
  if (button == kOctDownTrig) return StepOctave(plug, slot, -1);
  const bool model0 = plug.unitLink().nordModel == 0;
  if (button == kLFO2DestTrig && !model0) {
    const int target = kLFO2Destination + slot;
    const bool hold = plug.paramValue(kLFO2Hold + slot) != 0.0;
    return ApplyState(plug, target, NextLFO2Destination(plug, StateOf(plug, target), hold), kPlain);
  }
  if (group >= kCycleButtonCount || !plug.uiConfig) return;
  const CycleButton& row = kCycleButtons[group];
  const int target = plug.uiConfig->getParamByName(model0 ? row.nl1Target : row.target);
  if (target < 0) return;
  const int states = model0 ? row.nl1States : row.states;
  ApplyState(plug, target + slot, NextState(StateOf(plug, target + slot), states), ShownFor(row.button, model0));
}

void octaveLight(Tavro& plug, int paramIdx, double value) {
  const int slot = paramIdx - kOsc2Semitones;
  const int light = kOscillator2OctaveLED + slot;
  const bool lit = StateOf(plug, light) == 1;
  if (plug.paramValue(kOsc2Waveform + slot) == 3.0) {
    if (lit) plug.setFromPlug(light, 0.0);
    return;
  }
  const int semitones = TruncToInt(value);
  const bool octave = semitones >= 0 && semitones <= 120 && semitones % 12 == 0;
  if (octave && StateOf(plug, light) == 0) plug.setFromPlug(light, 1.0);
  if (!octave && lit) plug.setFromPlug(light, 0.0);
}

}  // namespace TavroCommands
