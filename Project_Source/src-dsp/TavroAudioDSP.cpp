// The render tick and the host's reset. The plug-in makes no sound: the audio cycle
// is its clock for the transport, the MIDI clock and the queued MIDI output.

#include <cmath>
#include <sstream>

#include "IControlText.h"
#include "Tavro.h"
#include "messaging/MIDIClockOutput.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr const char* kStatusGreeting = "Vudidi Tavro Plug-in";
constexpr const char* kBuildDate = "10-Oct-2020";
constexpr int kClockLoopTempo = 120;
// Above any tempo a host means; keeps the whole-BPM figure within an int.
constexpr double kTempoCeiling = 100000.0;

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
  readHostTime();
  if (!midiIOSet || !midiManager) return;

  // Starting a job creates its worker's thread here, on the render thread.
  ClockTransportState transport{transportWasRunning.load(), clockStarted.load()};
  const ClockTransportJob edge = FollowTransport(timeInfo.mTransportIsRunning, queueMidiOutput, transport);
  transportWasRunning = transport.transportWasRunning;
  clockStarted = transport.clockStarted;
  if (edge != ClockTransportJob::kNone) {
    JobArgs job;
    job.jobCode = edge == ClockTransportJob::kStart ? kJobStartClock : kJobStopClock;
    midiManager->startJob(job, false);
  }
  if (!clockLoopStarted) {
    JobArgs loop;
    loop.jobCode = kJobContinuousClock;
    loop.clockTempo = kClockLoopTempo;
    midiManager->startJob(loop, false);
    clockLoopStarted = true;
  }
}

void Tavro::readHostTime() {
  // The tempo is taken from this tick's report alone, so a host that gives none
  // leaves hostTempo at 0 (the clock then says so) while timeInfo keeps the last one.
  const double lastTempo = timeInfo.mTempo;
  timeInfo.mTempo = 0.0;
  GetTime(&timeInfo);
  const double tempo = timeInfo.mTempo;
  hostTempo = std::isfinite(tempo) && tempo >= 1.0 && tempo < kTempoCeiling ? int(tempo) : 0;
  if (!(tempo > 0.0)) timeInfo.mTempo = lastTempo;
}
