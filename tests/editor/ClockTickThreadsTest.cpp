// The render tick driving the MIDI clock jobs of the editor: Start and Stop on the
// host transport's edges, the clock loop at the host tempo, the tempo that never
// comes, switch-off and a port going away, on virtual time.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "EditorTestSupport.h"
#include "Framework/IControlText.h"
#include "Kit_TimeSource.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr uint64_t kSecond = 1000000;
const std::string kOtherIn = "Other Synth In";

// What the host reports to the tick.
struct HostTransport {
  Float64 tempo = 120.0;
  Boolean playing = false;
};

HostCallbackInfo CallbacksFor(HostTransport& t) {
  HostCallbackInfo callbacks{};
  callbacks.hostUserData = &t;
  callbacks.beatAndTempoProc = [](void* self, Float64* beat, Float64* tempo) -> OSStatus {
    *beat = 0;
    *tempo = static_cast<HostTransport*>(self)->tempo;
    return noErr;
  };
  callbacks.transportStateProc = [](void* self, Boolean* playing, Boolean*, Float64*, Boolean*, Float64*,
                                    Float64*) -> OSStatus {
    *playing = static_cast<HostTransport*>(self)->playing;
    return noErr;
  };
  return callbacks;
}

// An editor with its output on a fake synthesizer port and a host giving tempo and
// transport, on a virtual clock the test thread holds still between its steps.
class ClockTick : public ::testing::Test {
protected:
  struct Installed {
    explicit Installed(Kit_VirtualClock& clock) { Kit_SetTimeSource(&clock); }
    ~Installed() { Kit_SetTimeSource(nullptr); }
  };
  struct Editor {
    explicit Editor(HostTransport& host) : f("", false, {}, {kSynthIn, kOtherIn}) {
      int out = 1;
      EXPECT_GT(f.plug->setExternalMIDIOut(out, kSynthIn.c_str()), 0);
      const HostCallbackInfo callbacks = CallbacksFor(host);
      EXPECT_EQ(f.plug->SetProperty(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, sizeof callbacks,
                                    &callbacks),
                noErr);
      f.plug->setMidiIOSet(true);
      f.plug->setResetPending(false);  // no notes off pausing on the held clock
    }
    ~Editor() { f.plug.reset(); }
    // One render tick alone: what it leaves waits in the ring.
    void Render() {
      double left[64] = {}, right[64] = {};
      double* outputs[] = {left, right};
      f.plug->ProcessDoubleReplacing(nullptr, outputs, 64);
    }
    // One render tick, then what it started has run.
    void Tick() {
      Render();
      f.plug->tickPerformer->flush();
      for (auto worker : {MIDIMessageManager::kClockControlThread, MIDIMessageManager::kClockThread})
        while (f.plug->midiManager->isRunning(worker)) std::this_thread::yield();
    }
    // The real-time bytes the synthesizer's port received, Clocks apart.
    std::vector<uint8_t> StartsAndStops(const std::string& port = kSynthIn) const {
      std::vector<uint8_t> bytes;
      for (const MidiPortFake::Message& m : f.ports->Sent(port))
        if (m.size() == 1 && m[0] != 0xF8) bytes.push_back(m[0]);
      return bytes;
    }
    size_t Clocks() const {
      size_t n = 0;
      for (const MidiPortFake::Message& m : f.ports->Sent(kSynthIn)) n += m == MidiPortFake::Message{0xF8};
      return n;
    }
    // The clock switch through the panel's parameter road.
    void SwitchClock(bool on) {
      f.plug->GetParam(kSendMIDIClockInfo)->Set(on ? 1.0 : 0.0);
      f.plug->OnParamChange(kSendMIDIClockInfo);
    }
    EditorFixture f;
  };

  Kit_VirtualClock clock{5 * kSecond};
  Installed installed{clock};
  Kit_VirtualClock::Participant testThread{clock};
  HostTransport host;
};

TEST_F(ClockTick, OneStartAndOneStopPerTransportEdge) {
  struct Case {
    const char* what;
    bool pointer, queued;
    std::vector<uint8_t> sent;
  };
  for (const Case& c : {Case{"pointer on", true, false, {0xFA, 0xFC, 0xFA, 0xFC}},
                        Case{"pointer off", false, false, {}}, Case{"queued output", true, true, {}}}) {
    Editor e(host);
    e.f.plug->setSendClockPointer(c.pointer);
    e.f.plug->setQueueMidiOutput(c.queued);
    for (bool playing : {false, true, true, true, false, false, true, false}) {
      host.playing = playing;
      e.Tick();
    }
    EXPECT_EQ(e.StartsAndStops(), c.sent) << c.what;
    EXPECT_EQ(e.Clocks(), 0u) << c.what << ": the clock switch is off";
  }
}

// The output port chosen again: a unit that came back (its port gone and there again)
// is told the transport's state at the next tick, Start while the transport plays; the
// unit that never left hears no second Start. Stopped, a unit told nothing hears nothing.
TEST_F(ClockTick, AUnitReachedAgainGetsStartWhileTheTransportPlays) {
  for (bool playing : {true, false}) {
    for (bool left : {true, false}) {
      SCOPED_TRACE(std::string(playing ? "playing" : "stopped") + (left ? ", the unit left" : ", the unit stayed"));
      Editor e(host);
      e.f.plug->setSendClockPointer(true);
      host.playing = playing;
      e.Tick();
      // What the unit heard before it left: the port there again is a new record.
      std::vector<uint8_t> heard;
      if (left) {
        heard = e.StartsAndStops();
        e.f.ports->RemovePort(kSynthIn);
        e.f.ports->AddWritablePort(kSynthIn);
      }
      const auto startsAndStops = [&] {
        std::vector<uint8_t> all = heard;
        for (uint8_t byte : e.StartsAndStops()) all.push_back(byte);
        return all;
      };
      e.f.plug->GetParam(kDeviceOutSelection)->Set(1.0);
      e.f.plug->OnParamChange(kDeviceOutSelection);
      e.Tick();
      e.Tick();
      std::vector<uint8_t> started;
      if (playing) started = left ? std::vector<uint8_t>{0xFA, 0xFA} : std::vector<uint8_t>{0xFA};
      EXPECT_EQ(startsAndStops(), started);
      host.playing = false;
      e.Tick();
      started.push_back(0xFC);
      EXPECT_EQ(startsAndStops(), playing ? started : std::vector<uint8_t>()) << "one Stop for the run";
    }
  }
}

// The output moved to another unit while the transport plays: the unit left is told
// Stop before the port changes (it would run on alone), the unit reached hears Start.
TEST_F(ClockTick, TheUnitLeftWhilePlayingHearsStop) {
  Editor e(host);
  e.f.plug->setSendClockPointer(true);
  host.playing = true;
  e.Tick();
  e.f.plug->GetParam(kDeviceOutSelection)->Set(2.0);  // the list: OFF, Synth In, Other Synth In
  e.f.plug->OnParamChange(kDeviceOutSelection);
  e.Tick();
  e.Tick();
  EXPECT_EQ(e.StartsAndStops(kSynthIn), (std::vector<uint8_t>{0xFA, 0xFC}));
  EXPECT_EQ(e.StartsAndStops(kOtherIn), (std::vector<uint8_t>{0xFA}));
}

// How long a real thread may take before the test gives up on it.
constexpr std::chrono::seconds kPatience{60};

// A tick whose ring is full loses no transport edge: a later tick with room sends it,
// unless the transport has gone back meanwhile.
TEST_F(ClockTick, AnEdgeTheFullRingCouldNotTakeGoesWithALaterTick) {
  Editor e(host);
  e.f.plug->setSendClockPointer(true);
  Tavro& p = *e.f.plug;
  // The performer is held in the pause after a reset's notes off (time stands still
  // while this thread works), so the ring stays as full as the test makes it.
  const auto fillRing = [&p] {
    TickAction held;
    held.kind = TickAction::kAllSoundsOff;
    ASSERT_TRUE(p.tickActions.push(held));
    p.tickPerformer->wake();
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!p.tickActions.empty()) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "the performer never took the held action";
      std::this_thread::yield();
    }
    TickAction filler;
    filler.kind = TickAction::kTempoOutOfSync;
    while (p.tickActions.push(filler)) {
    }
  };
  const auto renderFull = [&] {
    e.Render();
    ASSERT_EQ(p.tickActions.freeSpace(), 0) << "the performer is held";
  };
  // Time moves on until the performer has passed its pause and emptied the ring.
  const auto performAgain = [&] {
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!p.tickActions.empty()) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "the performer is still held";
      clock.Advance(kSecond);
    }
    p.tickPerformer->flush();
  };
  MIDIMessageManager& m = *p.midiManager;

  fillRing();
  host.playing = true;
  renderFull();
  renderFull();
  performAgain();
  EXPECT_TRUE(e.StartsAndStops().empty());
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockThread), 0);
  e.Tick();
  EXPECT_EQ(e.StartsAndStops(), (std::vector<uint8_t>{kMidiStart}));
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockThread), 1) << "the clock loop waited too";
  e.Tick();
  EXPECT_EQ(e.StartsAndStops(), (std::vector<uint8_t>{kMidiStart}));

  // Stopped and playing again while the ring is full: the synthesizer is still running.
  fillRing();
  host.playing = false;
  renderFull();
  host.playing = true;
  renderFull();
  performAgain();
  e.Tick();
  EXPECT_EQ(e.StartsAndStops(), (std::vector<uint8_t>{kMidiStart}));

  // Stopped while full: the Stop goes with the first tick that has room, once.
  fillRing();
  host.playing = false;
  renderFull();
  performAgain();
  e.Tick();
  e.Tick();
  EXPECT_EQ(e.StartsAndStops(), (std::vector<uint8_t>{kMidiStart, kMidiStop}));
  EXPECT_EQ(m.jobsStarted(MIDIMessageManager::kClockThread), 1);
}

TEST_F(ClockTick, TheClockRunsAtTheHostTempoUntilSwitchedOff) {
  host.tempo = 120.9;  // whole beats per minute
  Editor e(host);
  e.SwitchClock(true);
  e.Tick();
  EXPECT_EQ(e.f.plug->getTempoValue(), 120);
  clock.Advance(kSecond - 1000);
  EXPECT_EQ(e.Clocks(), 48u);
  e.Tick();  // a later tick starts no second loop
  clock.Advance(kSecond);
  EXPECT_EQ(e.Clocks(), 96u);
  e.SwitchClock(false);
  e.Tick();
  clock.Advance(5 * kSecond);
  EXPECT_EQ(e.Clocks(), 96u);
  // On again: a fresh stream at once.
  e.SwitchClock(true);
  e.Tick();
  clock.Advance(kSecond - 1000);
  EXPECT_EQ(e.Clocks(), 96u + 48u);
}

TEST_F(ClockTick, TheSwitchTakesTheHostTempoBeforeAnyTick) {
  host.tempo = 100;
  Editor e(host);
  e.SwitchClock(true);
  EXPECT_EQ(e.f.plug->getTempoValue(), 100) << "no render tick yet";
  e.Tick();
  clock.Advance(kSecond - 1000);
  EXPECT_EQ(e.Clocks(), 40u);
}

TEST_F(ClockTick, ATempoChangeHalvesTheClockRateWithinABeat) {
  Editor e(host);
  e.SwitchClock(true);
  e.Tick();
  clock.Advance(kSecond - 1000);
  ASSERT_EQ(e.Clocks(), 48u);
  host.tempo = 60;
  e.Tick();
  EXPECT_EQ(e.f.plug->getTempoValue(), 60);
  // Within a beat (at the old tempo, half a second) the new pace holds: a second
  // later 24 more Clocks, not 48.
  clock.Advance(kSecond / 2);
  const size_t afterABeat = e.Clocks();
  EXPECT_LE(afterABeat, 48u + 24u);
  clock.Advance(kSecond);
  EXPECT_EQ(e.Clocks() - afterABeat, 24u);
}

TEST_F(ClockTick, WithoutAHostTempoTheClockGivesUpAndSaysSo) {
  host.tempo = 0;
  Editor e(host);
  e.SwitchClock(true);
  e.Tick();
  EXPECT_EQ(e.f.plug->getTempoValue(), 0);
  clock.Advance(10 * kSecond - 1);
  EXPECT_TRUE(e.f.plug->clockState().sendMidiClock) << "still polling";
  clock.Advance(2 * kSecond);
  EXPECT_FALSE(e.f.plug->clockState().sendMidiClock);
  EXPECT_EQ(e.f.plug->paramValue(kSendMIDIClockInfo), 0.0);
  ASSERT_NE(e.f.plug->keptControls().valueText, nullptr);
  EXPECT_EQ(e.f.plug->keptControls().valueText->GetTextString(), "Unable to get DAW Tempo");
  EXPECT_EQ(e.Clocks(), 0u);
}

// A tempo no host means is no tempo: the clock is not paced by it.
TEST_F(ClockTick, AnEndlessOrHugeHostTempoCountsAsNone) {
  for (const Float64 tempo : {Float64(INFINITY), Float64(1e300)}) {
    host.tempo = tempo;
    Editor e(host);
    e.SwitchClock(true);
    e.Tick();
    EXPECT_EQ(e.f.plug->getTempoValue(), 0) << tempo;
  }
}

TEST_F(ClockTick, SwitchOffWhilePollingEndsTheWait) {
  host.tempo = 0;
  Editor e(host);
  e.SwitchClock(true);
  e.Tick();
  clock.Advance(3 * kSecond);
  e.SwitchClock(false);
  host.tempo = 120;  // a tempo now must not revive the loop
  e.Tick();
  clock.Advance(20 * kSecond);
  EXPECT_EQ(e.Clocks(), 0u);
  EXPECT_FALSE(e.f.plug->midiManager->sender()->clock()->LoopRunning());
}

TEST_F(ClockTick, NoPortEndsTheLoopAndTwoEditorsKeepTheirOwnClocks) {
  Editor first(host), second(host);
  first.SwitchClock(true);
  second.SwitchClock(true);
  first.Tick();
  second.Tick();
  clock.Advance(kSecond / 2 + 5000);  // Clock 24 has gone
  first.f.plug->setMidiIOSet(false);
  clock.Advance(kSecond / 2 - 6000);
  EXPECT_FALSE(first.f.plug->midiManager->sender()->clock()->LoopRunning());
  EXPECT_EQ(first.Clocks(), 24u + 1u) << "the Clocks until the port went";
  EXPECT_EQ(second.Clocks(), 48u);
}

// The port set to OFF ends the clock loop; the port chosen again has the next tick
// start it anew.
TEST_F(ClockTick, TheClockRunsAgainOnceThePortIsChosenAgain) {
  Editor e(host);
  e.SwitchClock(true);
  e.Tick();
  clock.Advance(kSecond / 2 + 5000);
  const auto choosePort = [&e](double entry) {
    e.f.plug->GetParam(kDeviceOutSelection)->Set(entry);
    e.f.plug->OnParamChange(kDeviceOutSelection);
  };
  choosePort(0.0);
  clock.Advance(kSecond / 2);
  ASSERT_FALSE(e.f.plug->midiManager->sender()->clock()->LoopRunning());
  const size_t clocksWhileOff = e.Clocks();
  choosePort(1.0);
  e.Tick();
  clock.Advance(kSecond / 2 + 5000);
  EXPECT_EQ(e.Clocks() - clocksWhileOff, 24u + 1u) << "half a second at 120 BPM";
}

}  // namespace
