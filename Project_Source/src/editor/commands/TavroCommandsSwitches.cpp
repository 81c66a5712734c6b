// Switches of the panel: master keyboard, cancel, MIDI filters and routing, the clock
// switches, the filter-settings and about windows, solo and link zones.

#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"
#include "messaging/MIDIMessageManager.h"

namespace TavroCommands {

namespace {

// A switch counts as on only at exactly 1: any other value, 0.5 or 2 among them, is off.
bool SwitchOn(double value) { return value == 1.0; }

}  // namespace

void showMessages(Tavro& plug, const char* status, const char* value) {
  plug.showStatus(status);
  if (plug.keptControls().valueText) plug.keptControls().valueText->SetTextFromPlug(value);
}

void redrawPanel(Tavro& plug) {
  if (plug.graphics) plug.graphics->SetAllControlsDirty();
}

void masterKeyboard(Tavro& plug, int, double value) {
  const bool on = SwitchOn(value);
  if (on) {
    showMessages(plug, "UI updates when on plug-in channel", "Master KBD [ON]");
  } else {
    showMessages(plug, "UI updates on controller movement", "Master KBD [OFF]");
  }
  plug.setIgnoreDeviceMidi(on);
}

void cancelDataRequest(Tavro& plug, int, double value) {
  if (value != 0.0 && plug.midiManager) plug.midiManager->sender()->requestCancel();
}

void midiFilter(Tavro& plug, int paramIdx, double value) {
  const int k = paramIdx - kMIDIFilterDAWCCPassThrough;
  if (k < kFilterClassCount) {
    plug.setHostFilterBlocked(size_t(k), !SwitchOn(value));
  } else if (k < 2 * kFilterClassCount) {
    plug.setDeviceFilterBlocked(size_t(k - kFilterClassCount), !SwitchOn(value));
  } else {
    plug.setTrackIncomingMidi(SwitchOn(value));
  }
}

void outputRouting(Tavro& plug, int paramIdx, double value) {
  if (!SwitchOn(value)) return;
  const bool queued = paramIdx == kMIDIFilterToDAWBuffer;
  plug.setFromPlug(queued ? kMIDIFilterDirectToHardware : kMIDIFilterToDAWBuffer, 0.0);
  plug.setQueueMidiOutput(queued);
}

void clockPointer(Tavro& plug, int, double value) { plug.setSendClockPointer(SwitchOn(value)); }

void clockInfo(Tavro& plug, int, double value) {
  const bool on = SwitchOn(value);
  // The tempo handler takes the host's tempo afresh and shows it.
  if (on) plug.OnParamChange(kTempoInformation);
  plug.setSendMidiClock(on);
  if (plug.midiManager) plug.midiManager->sender()->resetContinuousClock(!on);
  // The render tick starts the loop job when it finds this clear and the clock on.
  plug.setClockLoopStarted(false);
}

void dawOffset(Tavro& plug, int, double value) {
  plug.setDawOffset(TruncToInt(value));
  plug.setQueueDelay(plug.outputQueue().dawOffset);
}

void filterSettingsWindow(Tavro& plug, int paramIdx, double value) {
  if (!SwitchOn(value)) return;
  plug.setFromPlug(paramIdx, 0.0);
  const bool open = paramIdx == kViewMIDIFilterSettings;
  plug.showLayer("midiFilterSettings", open);
  if (!open) redrawPanel(plug);
}

void aboutWindow(Tavro& plug, int paramIdx, double value) {
  if (value == 0.0) return;
  const bool open = paramIdx == kDisplayAboutWindow;
  plug.showLayer("aboutWindow", open);
  if (!open) redrawPanel(plug);
}

void slotSolo(Tavro& plug, int paramIdx, double value) {
  const int slot = paramIdx - kSlotSolo;
  for (size_t s = 0; s < kSlotCount; ++s) plug.setSlotSolo(s, false);
  if (SwitchOn(value)) {
    plug.setSlotSolo(size_t(slot), true);
    for (int other = 0; other < kSlotCount; ++other) {
      if (other == slot) continue;
      plug.GetParam(kSlotSolo + other)->SetClamped(0.0);
      plug.setFromPlug(kSlotSolo + other, 0.0);
    }
  }
  for (int s = 0; s < kSlotCount; ++s)
    plug.setFromPlug(kPartMidiChannel + s, plug.slotTables().slotChannels[size_t(s)]);
  plug.resendPerformance();
}

void globalLink(Tavro& plug, int paramIdx, double value) {
  plug.setGlobalLink(size_t(paramIdx - kGlobalLink), SwitchOn(value));
}

}  // namespace TavroCommands
