// The render tick and the host's reset. The plug-in makes no sound: the audio cycle
// is its clock for the transport, the MIDI clock and the queued MIDI output.

#include <algorithm>
#include <cmath>
#include <sstream>

#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIClockOutput.h"
#include "messaging/MIDIMessageManager.h"
#include "winemu/WinEmu_Time.h"

namespace {

constexpr const char* kStatusGreeting = "Vudidi Tavro Plug-in";
constexpr const char* kBuildDate = "10-Oct-2020";
constexpr int kClockLoopTempo = 120;
// How often a unit that missed an edge is tried again while the clock does not run.
constexpr double kBehindRetrySeconds = 0.25;
constexpr double kFallbackRate = 44100.0;  // before the host has given its rate
constexpr int kTempoValueBase = 65;        // the synchronised value is the tempo less this
constexpr uint32_t kLightOnMs = 100;
// Above any tempo a host means; keeps the whole-BPM figure within an int.
constexpr double kTempoCeiling = 100000.0;

// The host tempo in whole beats per minute; 0 for none or one no host means.
int WholeTempo(double tempo) { return std::isfinite(tempo) && tempo >= 1.0 && tempo < kTempoCeiling ? int(tempo) : 0; }

void ShowText(IControl* control, const std::string& text) {
  if (auto* textControl = dynamic_cast<ITextControl*>(control)) textControl->SetTextFromPlug(text.c_str());
}

// The samples a queue-mode tick covers; a negative delay counts as one.
int DelaySamples(int delay) { return delay < 0 ? 1 : delay; }

// The delay in whole milliseconds at `rate`.
int DelayMs(int samples, double rate) { return samples > 0 && rate > 0 ? int(1000.0 / (rate / samples)) : 0; }

std::string DelayText(int ms, int block) { return std::to_string(ms) + "ms|" + std::to_string(block) + "bfr"; }

}  // namespace

void Tavro::Reset() {
  Kit_MutexLock lock(GetMutex());
  if (sampleRate != GetSampleRate()) sampleRate = GetSampleRate();
  midiQueue.Resize(GetBlockSize());
  setResetPending(true);
  if (outputQueue_.midiOutDelay == 0) setMidiOutDelay(GetBlockSize());
  if (debugEnabled) {
    std::ostringstream rate;
    rate << sampleRate;
    printDebugInfo("RESET: Host sample rate " + rate.str() + "Hz");
  }
  char version[64] = {0};
  GetEffectVersionStr(version);
  printDebugInfo(std::string("RESET: plug-in ") + version);
  if (transfer_.sysexInputSuspended) return;
  ShowText(kept_.statusText, kStatusGreeting);
  ShowText(kept_.valueText, debugEnabled ? std::string(version) + " - " + kBuildDate : std::string(version));
  ShowText(kept_.buildDisplay, version);
  ShowText(kept_.ccDisplay, "---");
}

void Tavro::setQueueDelay(int dawOffsetSamples) {
  const int block = GetBlockSize();
  setMidiOutDelay(block + 2 * dawOffsetSamples);
  if (graphics)
    ShowText(kept_.midiOutDelayDisplay, DelayText(DelayMs(DelaySamples(outputQueue_.midiOutDelay), sampleRate), block));
}

void Tavro::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  // Once tear-down began, nothing of the instance is touched, not even its channel list.
  RenderGate::Pass pass(tickGate_);
  if (pass.Open()) tick(outputs, nFrames);
}

void Tavro::tick(double** outputs, int nFrames) {
  for (int c = 0; c < NOutChannels(); ++c)
    if (outputs[c])
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = 0.0;
  readHostTime();
  if (!unitLink_.midiIOSet || !midiManager) return;
  tickDeferred_ = false;
  followTransport(nFrames);
  followHostTempo();
  sendDueMessages(nFrames);
  releaseWhatMayGo();
  if (tickDeferred_ && tickPerformer) tickPerformer->wake();
}

bool Tavro::defer(const TickAction& action) {
  const bool queued = tickActions.push(action);
  tickDeferred_ = tickDeferred_ || queued;
  return queued;
}

// What waited for a transfer is handed on by tick-performer, which may take the plug-in.
void Tavro::releaseWhatMayGo() {
  if (!heldMidi.mayRelease(transferRuns()) || heldMidiReleaseQueued.exchange(true)) return;
  TickAction release;
  release.kind = TickAction::kReleaseHeldMidi;
  if (!defer(release)) heldMidiReleaseQueued = false;
}

void Tavro::followTransport(int nFrames) {
  ClockTransportState transport{clockState_.transportWasRunning.load(), clockState_.clockStarted.load()};
  const ClockTransportJob edge = FollowTransport(timeInfo.mTransportIsRunning, outputQueue_.queueMidiOutput, transport);
  TickAction start;
  start.kind = TickAction::kStartJob;
  start.a = edge == ClockTransportJob::kStart ? kJobStartClock : kJobStopClock;
  // An edge the full ring could not take is not remembered: the next tick sees it again.
  if (edge == ClockTransportJob::kNone || defer(start)) {
    clockState_.transportWasRunning = transport.transportWasRunning;
    clockState_.clockStarted = transport.clockStarted;
  }
  tellUnitTheTransport(nFrames);
  if (!clockState_.clockLoopStarted) {
    start.a = kJobContinuousClock;
    setClockLoopStarted(defer(start));
  }
}

void Tavro::tellUnitTheTransport(int nFrames) {
  // A unit newly reached (its port chosen) is told the host's state at once; one that
  // fell behind (it missed an edge while away, or its connection came back from
  // outside) at once and then now and then until it is reached. The job tells it only
  // what it has not heard.
  const bool resend = clockState_.transportToResend.exchange(false);
  const MIDIClockOutput* clock = midiManager->sender()->clock();
  const bool behind = clock && clock->UnitBehindHost();
  behindFrames_ = behind ? behindFrames_ + std::max(nFrames, 0) : 0;
  const bool retry =
      behind && (!wasBehind_ || behindFrames_ >= (sampleRate > 0 ? sampleRate : kFallbackRate) * kBehindRetrySeconds);
  wasBehind_ = behind;
  if ((!resend && !retry) || outputQueue_.queueMidiOutput) return;
  TickAction start;
  start.kind = TickAction::kStartJob;
  start.a = clockState_.clockStarted ? kJobStartClock : kJobStopClock;
  if (defer(start)) {
    behindFrames_ = 0;
  } else if (resend) {
    clockState_.transportToResend = true;
  }
}

void Tavro::followHostTempo() {
  if (paramValue(kOverrideTempo) != 1.0) return;
  const double tempo = timeInfo.mTempo;
  const int bpm = std::isfinite(tempo) ? int(std::clamp(tempo, 0.0, kTempoCeiling)) : 0;
  const int value = bpm - kTempoValueBase;
  if (value != clockState_.tempoSyncValue) {
    clockState_.tempoSyncValue = value;
    clockState_.tempoSyncApplied = false;
    TickAction line;
    line.kind = TickAction::kTempoOutOfSync;
    defer(line);
  }
  if (clockState_.tempoSyncApplied) return;
  clockState_.tempoSyncApplied = true;
  TickAction line;
  line.kind = TickAction::kTempoSynced;
  line.a = bpm;
  defer(line);
  setFromPlug(kLFO2RateSlotA, value);
}

void Tavro::sendDueMessages(int nFrames) {
  const bool queued = outputQueue_.queueMidiOutput;
  int loopLength = nFrames;
  if (queued) {
    const int delay = DelaySamples(outputQueue_.midiOutDelay);
    loopLength = delay;
    const int block = GetBlockSize();
    const int ms = DelayMs(delay, sampleRate);
    if (graphics && (ms != shownDelayMs_ || block != shownDelayBlock_)) {
      TickAction text;
      text.kind = TickAction::kDelayText;
      text.a = ms;
      text.b = block;
      if (defer(text)) {
        shownDelayMs_ = ms;
        shownDelayBlock_ = block;
      }
    }
  }
  // What the ring cannot take now stays queued, due, for the next tick.
  constexpr int kBatch = 64;
  constexpr int kKeptFree = 8;  // room for the tick's other records
  IMidiMsg due[kBatch];
  for (;;) {
    const int room = std::min(kBatch, tickActions.freeSpace() - kKeptFree);
    if (room <= 0) break;
    const int taken = midiQueue.TakeDue(loopLength, due, room);
    for (int i = 0; i < taken && queued; ++i) {
      TickAction send;
      send.kind = TickAction::kSendMidi;
      send.msg = due[i];
      defer(send);
    }
    if (taken < room) break;
  }
  darkenLights(timeInfo.mTransportIsRunning, loopLength);
  midiQueue.Advance(loopLength);
}

void Tavro::darkenLights(bool transportRunning, int loopLength) {
  if (loopLength <= 0) return;
  if (!transportRunning && outputQueue_.resetPending) {
    TickAction off;
    off.kind = TickAction::kAllSoundsOff;
    if (defer(off)) {
      setResetPending(false);
      for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slotTables_.ledLit[size_t(slot)] != 1) continue;
        setActivityLight(slot, 0.0);
        setLedLit(size_t(slot), 0);
      }
    }
  }
  if (!graphics) return;
  const uint32_t now = GetTickCount();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (slotTables_.ledLit[size_t(slot)] != 1) continue;
    if (!Kit_TicksAtLeast(now, uint32_t(slotTables_.ledOnTimes[size_t(slot)].load()), kLightOnMs + 1)) continue;
    setLedLit(size_t(slot), 0);
    setActivityLight(slot, 0.0);
  }
}

void Tavro::setActivityLight(int slot, double value) {
  IParam* param = GetParam(kMIDILed + slot);
  if (!param) return;
  param->Set(value);
  if (IControl* light = kept_.activityLights[size_t(slot)]) light->SetValueFromPlug(param->GetNormalized());
}

void Tavro::performTickAction(const TickAction& action) {
  switch (action.kind) {
    case TickAction::kSendMidi: {
      IMidiMsg msg = action.msg;
      sendMidiMsgAndLog(&msg);
      break;
    }
    case TickAction::kAllSoundsOff: AllSoundsOff(0, true); break;
    case TickAction::kStartJob:
      if (midiManager) {
        JobArgs args;
        args.jobCode = action.a;
        if (action.a == kJobContinuousClock) args.clockTempo = kClockLoopTempo;
        midiManager->startJob(args, false);
      }
      break;
    case TickAction::kTempoOutOfSync: printDebugInfo("PROCESSOR: Host tempo is out of sync!"); break;
    case TickAction::kTempoSynced:
      printDebugInfo("PROCESSOR: Host tempo synced to " + std::to_string(action.a) + "BPM");
      break;
    case TickAction::kDelayText: ShowText(kept_.midiOutDelayDisplay, DelayText(action.a, action.b)); break;
    case TickAction::kReleaseHeldMidi: {
      heldMidiReleaseQueued = false;
      // Tear-down performs the ring's rest and may hold the plug-in while it waits.
      if (closing.StopRequested()) break;
      Kit_MutexLock hold(GetMutex());
      releaseHeldMidi();
      break;
    }
  }
}

void Tavro::readHostTime() {
  // The tempo is taken from this tick's report alone, so a host that gives none
  // leaves hostTempo at 0 (the clock then says so) while timeInfo keeps the last one.
  const double lastTempo = timeInfo.mTempo;
  timeInfo.mTempo = 0.0;
  GetTime(&timeInfo);
  const double tempo = timeInfo.mTempo;
  clockState_.hostTempo = WholeTempo(tempo);
  if (!(tempo > 0.0)) timeInfo.mTempo = lastTempo;
}

void Tavro::takeHostTempo() { clockState_.hostTempo = WholeTempo(HostTempoNow()); }
