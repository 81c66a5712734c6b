// End to end on a private JACK server with the real bundle in the test host: the MIDI
// clock and the transport's Start and Stop reach the simulated synthesizer, and a
// knob turned on the synthesizer reaches the editor's saved state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "HostStateSupport.h"
#include "JackClockSupport.h"
#include "JackTestServer.h"

namespace {

constexpr const char* kSimName = "Clock Sim";
constexpr int kFilterCutoff = 0;  // slot A's; controller 74

struct JackRun : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(server.Start()); }
  void TearDown() override { server.Stop(); }
  // Runs the host by `body` (after choosing the simulator's ports) beside the
  // simulator started with `simOptions`; returns what the host printed.
  std::string Run(const std::string& body, const std::string& hostOptions,
                  const std::vector<std::string>& simOptions = {}) {
    std::vector<std::string> options = simOptions;
    options.insert(options.end(), {"--record", record()});
    SimProcess sim;
    EXPECT_TRUE(sim.Start(kSimName, options, data.root() + "/sim.txt"));
    const std::string script = data.root() + "/script.txt";
    std::ofstream(script) << ChoosePorts(kSimName) << body;
    std::string output;
    // The exit status also covers the host's state round trip in a second
    // instance, which is not what these runs look at.
    RunTavroHost(data.root(), script, &output, hostOptions);
    return output;
  }
  std::string record() const { return data.root() + "/record.txt"; }
  std::vector<std::string> recorded() const { return SimProcess::Lines(record()); }

  JackTestServer server;
  TempDataRoot data;
};

TEST_F(JackRun, PlayAndStopGiveOneStartAndOneStopAndTenSecondsAt120GiveTheirClocks) {
  const std::string output =
      Run(ClockSwitchesOn() + PlayTenSecondsAt120() + ClockOff() + "render 1\n", "--transport stop");
  ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(recorded()).stops > 0; })) << output;
  const ClockRecord clock(recorded());
  EXPECT_EQ(clock.starts, 1);
  EXPECT_EQ(clock.stops, 1);
  // 24 a beat, 2 beats a second: 480, give or take the script's own steps.
  EXPECT_NEAR(clock.clocksWhilePlaying, 480, 10);
}

TEST_F(JackRun, StartAndStopStayAwayWithThePointerOff) {
  Run("expect-param 609 0\ntempo 120\nplay\nrender 1\nwait 300\nstop\nrender 1\nwait 300\n", "--transport stop");
  // Nothing to wait for: the host has ended, and with it whatever it would send.
  const std::vector<std::string> lines = recorded();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "FA"), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "FC"), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "F8"), 0);
}

TEST_F(JackRun, AKnobTurnedOnTheSynthesizerReachesTheSavedState) {
  // The player turns slot A's cutoff (127 at first) to 100, and again every 250 ms:
  // whenever the host starts listening, the knob is there.
  std::string turns;
  for (int ms = 500; ms <= 60000; ms += 250) turns += std::to_string(ms) + " cc 1 74 100\n";
  const std::string simScript = data.root() + "/panel.txt";
  std::ofstream(simScript) << turns;
  const std::string state = data.root() + "/state.plist";
  const std::string output =
      Run("wait-param 0 100 20000\nprint-param 0\n", "--state-out '" + state + "'", {"--script", simScript});
  int printed = -1;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) std::sscanf(line.c_str(), "param 0 = %d", &printed);
  EXPECT_EQ(printed, 100) << output;
  EXPECT_EQ(ChunkParam(StateChunk(state), kFilterCutoff), 100.0) << output;
}

}  // namespace
