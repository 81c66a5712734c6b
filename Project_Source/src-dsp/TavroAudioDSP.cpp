// The render tick and the host's reset. The plug-in makes no sound: the audio cycle
// is its clock for the transport, the MIDI clock and the queued MIDI output.

#include <sstream>

#include "IControlText.h"
#include "Tavro.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr const char* kStatusGreeting = "Vudidi Tavro Plug-in";
constexpr const char* kBuildDate = "10-Oct-2020";
constexpr int kClockLoopTempo = 120;

void ShowText(IControl* control, const std::string& text) {
  if (auto* textControl = dynamic_cast<ITextControl*>(control)) textControl->SetTextFromPlug(text.c_str());
}

}  // namespace

void Tavro::Reset() {
  Kit_MutexLock lock(GetMutex());
  if (sampleRate != GetSampleRate()) sampleRate = GetSampleRate();
  midiQueue.Resize(GetBlockSize());
  resetPending = true;
  if (midiOutDelay == 0) midiOutDelay = GetBlockSize();
  if (debugEnabled) {
    std::ostringstream rate;
    rate << sampleRate;
    printDebugInfo("RESET: Host sample rate " + rate.str() + "Hz");
  }
  char version[64] = {0};
  GetEffectVersionStr(version);
  printDebugInfo(std::string("RESET: plug-in ") + version);
  if (sysexInputSuspended) return;
  ShowText(statusText, kStatusGreeting);
  ShowText(valueText, debugEnabled ? std::string(version) + " - " + kBuildDate : std::string(version));
  ShowText(buildDisplay, version);
  ShowText(ccDisplay, "---");
}

void Tavro::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  for (int c = 0; c < NOutChannels(); ++c)
    if (outputs[c])
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = 0.0;
  GetTime(&timeInfo);
  if (!midiIOSet || !midiManager) return;

  JobArgs clock;
  if (timeInfo.mTransportIsRunning && !transportWasRunning) {
    transportWasRunning = true;
    if (!queueMidiOutput && !clockStarted) {
      clock.jobCode = kJobStartClock;
      midiManager->startJob(clock, false);
      clockStarted = true;
    }
  } else if (!timeInfo.mTransportIsRunning && transportWasRunning) {
    transportWasRunning = false;
    if (!queueMidiOutput && clockStarted) {
      clock.jobCode = kJobStopClock;
      midiManager->startJob(clock, false);
      clockStarted = false;
    }
  }
  if (!clockLoopStarted) {
    midiManager->sender()->resetContinuousClock(false);
    clock.jobCode = kJobContinuousClock;
    clock.clockTempo = kClockLoopTempo;
    midiManager->startJob(clock, false);
    clockLoopStarted = true;
  }
}
