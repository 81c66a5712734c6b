// The host's window as a musician keeps it open, on a private X server and a private
// JACK server with the simulated unit: the transport and the MIDI clock run while the
// window is up, the window opens on the saved state and saves it when it closes, and
// a display that goes away still leaves the state saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "HostStateSupport.h"
#include "HostWindowSupport.h"
#include "JackClockSupport.h"
#include "JackTestServer.h"
#include "XvfbServer.h"

namespace {

constexpr const char* kHostWindowSimName = "Window Sim";

// One JACK server, one unit and one saved evening for the whole program: the ports
// chosen, a knob turned and both clock switches on, saved by a headless run.
class HostWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    shared_ = new Shared;
    Shared& s = *shared_;
    if (!s.server.Start() ||
        !s.sim.Start(kHostWindowSimName,
                     {"--device-id", std::to_string(kUnitId), "--wire-time", "--record", s.record()},
                     s.data.root() + "/sim.txt")) {
      s.error = "the JACK server or the unit did not start";
      return;
    }
    const auto knob = ControlCentre(kFilterCutoff);
    const std::string script = s.data.root() + "/setup.txt";
    std::ofstream(script) << ChoosePorts(kHostWindowSimName) << ClockSwitchesOn() << Drags(knob.first, knob.second);
    std::string output;
    if (RunTavroHost(s.data.root(), script, &output, {"--transport", "stop", "--state-out", s.state()}) != 0) {
      s.error = "the evening was not saved:\n" + output;
      return;
    }
    // The knob's last bytes may still be on the wire when the host has ended.
    const auto knobArrived = [&] {
      const std::vector<std::string> lines = SimProcess::Lines(s.record());
      return std::any_of(lines.begin(), lines.end(),
                         [](const std::string& line) { return line.rfind("B0 4A ", 0) == 0; });
    };
    if (!SimProcess::WaitFor(knobArrived)) {
      s.error = "the knob move did not reach the unit:\n" + output;
      return;
    }
    std::ofstream(script) << "render 1\n";
    RunTavroHost(s.data.root(), script, &output);
    s.idleThreads = ThreadsAfterClose(output);
    if (s.idleThreads <= 0) s.error = "an idle run said no threads after close:\n" + output;
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(shared_->error.empty()) << shared_->error;
    ASSERT_TRUE(x_.Ready()) << x_.Error();
    from_ = Received().size();
  }

  struct Shared {
    ~Shared() {
      sim.Stop();
      server.Stop();
    }
    std::string record() const { return data.root() + "/record.txt"; }
    std::string state() const { return data.root() + "/evening.plist"; }
    JackTestServer server;
    TempDataRoot data;
    SimProcess sim;
    std::string error;
    int idleThreads = -1;  // what a run that closed idle leaves
  };

  // What the unit received since the test began.
  std::vector<std::string> Received() const {
    std::vector<std::string> lines = SimProcess::Lines(shared_->record());
    lines.erase(lines.begin(), lines.begin() + std::min(from_, lines.size()));
    return lines;
  }
  // The host with its window on our server, restoring the saved evening.
  bool OpenWindow(BackgroundHost& host, const std::string& stateOut, std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--data-root", shared_->data.root(), "--panel", "--render-seconds", "0.5",
                                 "--state-in", shared_->state(), "--state-out", stateOut});
    return host.Start(x_.Name(), extra, shared_->data.root() + "/host.txt") && host.WindowShown();
  }
  // The same, once the restored ports carried the performance to the unit.
  void OpenWindowAndAwaitThePerformance(BackgroundHost& host, const std::string& stateOut) {
    ASSERT_TRUE(OpenWindow(host, stateOut, {"--transport", "stop"})) << host.Output();
    std::vector<std::string> lines;
    ASSERT_TRUE(SimProcess::WaitFor([&] { return Find(lines = Received(), 0, IsDump) != std::string::npos; }))
        << Tail(lines);
  }
  std::string Path(const std::string& name) const { return shared_->data.root() + "/" + name; }

  // The saved evening playing in the window on `display` (headless with --panel when
  // empty) is ended by `signal`, sent again `againAfter` later when given: the host
  // stops the transport and writes the state before it closes.
  void EndBySignalWhilePlaying(int signal, const std::string& display,
                               std::chrono::milliseconds againAfter = std::chrono::milliseconds(0)) {
    const std::string stateOut = Path("signalled-" + std::to_string(signal) + ".plist");
    BackgroundHost host;
    ASSERT_TRUE(host.Start(display,
                           {"--data-root", shared_->data.root(), "--panel", "--render-seconds", "600", "--tempo", "120",
                            "--transport", "play", "--state-in", shared_->state(), "--state-out", stateOut},
                           Path("host.txt")));
    if (!display.empty()) {
      ASSERT_TRUE(host.WindowShown()) << host.Output();
    }
    std::string output;
    ASSERT_NO_FATAL_FAILURE(SignalWhilePlaying(host, signal, againAfter, &output));
    const std::vector<uint8_t> written = StateChunk(stateOut);
    ASSERT_FALSE(written.empty()) << "no state written\n" << output;
    EXPECT_TRUE(WithoutPortPlaces(written) == WithoutPortPlaces(StateChunk(shared_->state()))) << output;
    EXPECT_EQ(ThreadsAfterClose(output), shared_->idleThreads) << output;
  }

  // Once the unit hears `host` play, `signal` (sent again `againAfter` later when
  // given) ends the host by that signal, and the unit heard one Start and one Stop.
  // *output: what the host printed.
  void SignalWhilePlaying(BackgroundHost& host, int signal, std::chrono::milliseconds againAfter, std::string* output) {
    ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).clocksWhilePlaying > 24; }))
        << host.Output() << Tail(Received());
    ASSERT_TRUE(host.Signal(signal));
    if (againAfter.count() > 0) {
      std::this_thread::sleep_for(againAfter);
      ASSERT_TRUE(host.Signal(signal));
    }
    EXPECT_EQ(host.Wait(), 128 + signal) << host.Output();
    *output = host.Output();
    // The Stop's bytes may still be on the wire when the host has ended.
    EXPECT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).stops > 0; }))
        << "the unit heard no Stop" << Tail(Received()) << *output;
    const ClockRecord clock(Received());
    EXPECT_EQ(clock.starts, 1) << Tail(Received());
    EXPECT_EQ(clock.stops, 1) << Tail(Received());
  }

  static Shared* shared_;
  XvfbServer x_;
  size_t from_ = 0;
};

HostWindow::Shared* HostWindow::shared_ = nullptr;

// Built with the sanitizers, the host reports nothing, to its end included.
void ExpectNoSanitizerReport(const std::string& output) {
  for (const char* report : {"Sanitizer", "runtime error:"})
    EXPECT_EQ(output.find(report), std::string::npos) << output;
}

TEST_F(HostWindow, WithTheWindowOpenThePlayingTransportSendsStartClocksAtTheTempoAndStop) {
  BackgroundHost host;
  ASSERT_TRUE(OpenWindow(host, Path("played.plist"), {"--tempo", "120", "--transport", "play"})) << host.Output();
  // Real time: four seconds with the window up.
  const auto samples = ClockSamples::Take(shared_->record(), from_, 4.0);
  ASSERT_TRUE(CloseEditorWindow(x_.Name()));
  EXPECT_EQ(host.Wait(), 0) << host.Output();
  EXPECT_NEAR(ClockSamples::Rate(samples, 1.5, 3.5), 48.0, 8.0) << "Clocks a second at 120 BPM";
  ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).stops > 0; })) << host.Output();
  const ClockRecord clock(Received());
  EXPECT_EQ(clock.starts, 1);
  EXPECT_EQ(clock.stops, 1) << "closing the window stops the transport";
  EXPECT_GT(clock.clocksWhilePlaying, 48 * 3);
  // Rendering beside the window's loop.
  ExpectNoSanitizerReport(host.Output());
}

TEST_F(HostWindow, TheWindowOpensOnTheSavedStateAndSavesItWhenClosed) {
  BackgroundHost host;
  OpenWindowAndAwaitThePerformance(host, Path("closed.plist"));
  if (HasFatalFailure()) return;
  ASSERT_TRUE(CloseEditorWindow(x_.Name()));
  ASSERT_EQ(host.Wait(), 0) << host.Output();
  const std::string output = host.Output();
  EXPECT_NE(output.find("state restored from " + shared_->state() + " into the panel's instance"), std::string::npos)
      << output;
  EXPECT_EQ(output.find("second instance"), std::string::npos) << "the window's instance is the only one";
  // The restored ports carried the performance to the unit once.
  const std::vector<std::string> lines = Received();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsDump), 1) << Tail(lines);
  const std::vector<uint8_t> saved = StateChunk(shared_->state());
  const std::vector<uint8_t> closed = StateChunk(Path("closed.plist"));
  ASSERT_FALSE(closed.empty());
  EXPECT_EQ(Occurrences(closed, kHostWindowSimName), 2) << "both ports named";
  EXPECT_EQ(ChunkParam(closed, kFilterCutoff), ChunkParam(saved, kFilterCutoff));
  EXPECT_EQ(ChunkParam(closed, kSendMIDIClockInfo), 1.0);
  EXPECT_TRUE(WithoutPortPlaces(closed) == WithoutPortPlaces(saved)) << "names, parameters and ports as saved";
}

TEST_F(HostWindow, ATempoChangeHalvesTheClockRateWithinABeat) {
  // The window has no tempo of its own to turn: the host's script moves it, on the
  // render thread as the window's transport does.
  const std::string script = Path("tempo.txt");
  std::ofstream(script) << ChoosePorts(kHostWindowSimName) << ClockSwitchesOn()
                        << "tempo 120\nrender 1\nplay\nrender 1\nwait 4000\ntempo 60\nrender 1\nwait 4000\nstop\n"
                           "render 1\nwait 500\n"
                        << ClockOff() << "render 1\n";
  BackgroundHost host;
  ASSERT_TRUE(host.Start("",
                         {"--data-root", shared_->data.root(), "--render-seconds", "0.2", "--fast", "--script", script,
                          "--transport", "stop"},
                         Path("host.txt")));
  const auto samples = ClockSamples::Take(shared_->record(), from_, 60.0);
  EXPECT_EQ(host.Wait(), 0) << host.Output();
  ASSERT_FALSE(samples.empty());
  ASSERT_TRUE(samples.back().stopped) << host.Output();
  const double stop = samples.back().seconds;
  // The change came four seconds before the Stop; a beat (half a second at 120)
  // after it the pace is 60 BPM's.
  EXPECT_NEAR(ClockSamples::Rate(samples, stop - 7.5, stop - 4.5), 48.0, 8.0);
  EXPECT_NEAR(ClockSamples::Rate(samples, stop - 3.5, stop - 0.5), 24.0, 5.0);
}

TEST_F(HostWindow, LosingTheDisplaySavesTheStateShownClosesThePlugInAndFails) {
  BackgroundHost host;
  OpenWindowAndAwaitThePerformance(host, Path("lost.plist"));
  if (HasFatalFailure()) return;
  x_.Stop();
  EXPECT_NE(host.Wait(), 0) << host.Output();
  const std::string output = host.Output();
  EXPECT_NE(output.find("the X display was lost; the plug-in is closed and its state saved"), std::string::npos)
      << output;
  EXPECT_EQ(ThreadsAfterClose(output), shared_->idleThreads) << output;
  ExpectNoSanitizerReport(output);
  const std::vector<uint8_t> lost = StateChunk(Path("lost.plist"));
  ASSERT_FALSE(lost.empty()) << output;
  EXPECT_TRUE(WithoutPortPlaces(lost) == WithoutPortPlaces(StateChunk(shared_->state())))
      << "the state the window showed";
}

// The evening reopened again and again while the transport plays: each opening sends
// the restored performance once and the Start once, and the close the Stop.
TEST_F(HostWindow, EachRestoredOpeningSendsThePerformanceAndTheStartOnce) {
  constexpr int kOpenings = 4;
  for (int opening = 0; opening < kOpenings; ++opening) {
    SCOPED_TRACE(opening);
    from_ = SimProcess::Lines(shared_->record()).size();
    BackgroundHost host;
    ASSERT_TRUE(OpenWindow(host, Path("reopened.plist"), {"--tempo", "120", "--transport", "play"})) << host.Output();
    ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).clocksWhilePlaying > 48; }))
        << host.Output() << Tail(Received());
    ASSERT_TRUE(CloseEditorWindow(x_.Name()));
    EXPECT_EQ(host.Wait(), 0) << host.Output();
    ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).stops > 0; })) << host.Output();
    const std::vector<std::string> lines = Received();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsDump), 1) << host.Output() << Tail(lines);
    EXPECT_EQ(ClockRecord(lines).starts, 1) << host.Output() << Tail(lines);
    EXPECT_EQ(ClockRecord(lines).stops, 1) << Tail(lines);
  }
}

TEST_F(HostWindow, CtrlCWithTheWindowOpenWhilePlayingStopsTheUnitAndWritesTheState) {
  EndBySignalWhilePlaying(SIGINT, x_.Name());
}

TEST_F(HostWindow, SigtermWithTheWindowOpenWhilePlayingStopsTheUnitAndWritesTheState) {
  EndBySignalWhilePlaying(SIGTERM, x_.Name());
}

TEST_F(HostWindow, CtrlCToTheHeadlessPanelWhilePlayingStopsTheUnitAndWritesTheState) {
  EndBySignalWhilePlaying(SIGINT, "");
}

TEST_F(HostWindow, SigtermToTheHeadlessPanelWhilePlayingStopsTheUnitAndWritesTheState) {
  EndBySignalWhilePlaying(SIGTERM, "");
}

// The terminal that runs the panel closed (SIGHUP), and Ctrl-\ (SIGQUIT).
TEST_F(HostWindow, SighupToTheHeadlessPanelWhilePlayingStopsTheUnitAndWritesTheState) {
  EndBySignalWhilePlaying(SIGHUP, "");
}

TEST_F(HostWindow, SigquitToTheHeadlessPanelWhilePlayingStopsTheUnitAndWritesTheState) {
  EndBySignalWhilePlaying(SIGQUIT, "");
}

// A second Ctrl-C while the host closes for the first never costs the state.
TEST_F(HostWindow, TwoCtrlCsFiftyMillisecondsApartStillStopTheUnitAndWriteTheState) {
  EndBySignalWhilePlaying(SIGINT, "", std::chrono::milliseconds(50));
}

// A host running a script, playing with the clock on, ended by the system: the script
// stops, the unit hears Stop and the state is written with the switches it set.
TEST_F(HostWindow, SigtermToAScriptedHostWhilePlayingStopsTheUnitAndWritesTheState) {
  const std::string script = Path("signalled-script.txt");
  const std::string stateOut = Path("signalled-script.plist");
  std::ofstream(script) << ChoosePorts(kHostWindowSimName) << ClockSwitchesOn()
                        << "tempo 120\nrender 1\nplay\nrender 1\nwait 600000\nprint-text 0 0\n";
  BackgroundHost host;
  ASSERT_TRUE(host.Start("",
                         {"--data-root", shared_->data.root(), "--render-seconds", "0.2", "--fast", "--transport",
                          "stop", "--script", script, "--state-out", stateOut},
                         Path("host.txt")));
  std::string output;
  ASSERT_NO_FATAL_FAILURE(SignalWhilePlaying(host, SIGTERM, std::chrono::milliseconds(0), &output));
  EXPECT_EQ(output.find("text 0 0"), std::string::npos) << "the script went on after the signal\n" << output;
  const std::vector<uint8_t> written = StateChunk(stateOut);
  ASSERT_FALSE(written.empty()) << "no state written\n" << output;
  EXPECT_EQ(ChunkParam(written, kSendMIDIClockInfo), 1.0) << output;
  EXPECT_EQ(ChunkParam(written, kSendMIDIClockPointer), 1.0) << output;
  ExpectNoSanitizerReport(output);
}

// The display goes while the transport plays with the clock on: the host stops the
// transport before it closes the plug-in, and the unit's sequencer stops.
TEST_F(HostWindow, LosingTheDisplayWhilePlayingSendsStop) {
  BackgroundHost host;
  ASSERT_TRUE(OpenWindow(host, Path("lost-playing.plist"), {"--tempo", "120", "--transport", "play"})) << host.Output();
  ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).clocksWhilePlaying > 48; }))
      << host.Output() << Tail(Received());
  x_.Stop();
  EXPECT_NE(host.Wait(), 0) << host.Output();
  EXPECT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(Received()).stops > 0; }))
      << "the unit heard no Stop" << Tail(Received()) << host.Output();
  EXPECT_EQ(ClockRecord(Received()).starts, 1);
}

}  // namespace
