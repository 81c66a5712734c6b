// The host's saved state on a private JACK server. Run 1 chooses the simulator's ports
// on the panel, turns a knob, switches the MIDI clock on, plays and saves. Run 2
// restores that file: the ports reopen by name, the simulator receives the performance
// once, then Start, clocks and Stop as the host plays and stops. Restored without the
// simulator, the state saves again with both port names.
#include <gtest/gtest.h>

#include <sstream>

#include "HostStateSupport.h"
#include "JackTestServer.h"
#include "editor/commands/TavroCommands.h"
#include "librarian/TavroParams.h"

namespace {

constexpr const char* kHostStateSimName = "Recall Sim";

TEST(HostStateJack, ARestoredProjectReopensItsPortsResendsThePerformanceAndRunsTheClock) {
  const auto knob = ControlCentre(kFilterCutoff);
  const auto openFilters = ControlCentre(kViewMIDIFilterSettings);
  const auto clockSwitch = ControlCentre(kSendMIDIClockInfo, 0, "midiFilterSettings");
  const auto startStopSwitch = ControlCentre(kSendMIDIClockPointer, 0, "midiFilterSettings");
  const auto closeFilters = ControlCentre(kCloseMIDIFilterSettings, 0, "midiFilterSettings");
  const auto status = ControlCentre(kControlDisplayName);
  for (const std::pair<int, int>& at : {knob, openFilters, clockSwitch, startStopSwitch, closeFilters, status})
    ASSERT_GE(at.first, 0);
  const std::string statusLine =
      "print-text " + std::to_string(status.first) + " " + std::to_string(status.second) + "\n";
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  const std::string state = data.root() + "/project.plist";
  // Plays for a while, then stops; every step renders so the editor's tick sees it.
  const std::string playAndStop = "play\nrender 20\nwait 1000\nrender 20\nstop\nrender 20\nwait 500\n";
  {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(kHostStateSimName, {"--record", data.root() + "/record1.txt"}, data.root() + "/sim1.txt"));
    const std::string script = data.root() + "/run1.txt";
    std::ofstream(script) << ChoosePorts(kHostStateSimName) << "drag " << knob.first << " " << knob.second << " 0 30\n"
                          << Click(openFilters) << Click(clockSwitch) << Click(startStopSwitch) << "expect-param "
                          << kSendMIDIClockInfo << " 1\nexpect-param " << kSendMIDIClockPointer << " 1\n"
                          << Click(closeFilters) << playAndStop << "print-param " << kDeviceOutSelection
                          << "\nprint-param " << kDeviceInSelection << "\n";
    std::string output;
    // The exit status also covers the host's own round trip into a second instance,
    // which the live simulator's answers may change: the written file is what counts.
    RunHost(data.root(), {"--transport", "stop", "--script", script, "--state-out", state}, &output);
    ASSERT_NE(output.find("state written to " + state), std::string::npos) << output;
    // Both menus name a port.
    int outPort = 0, inPort = 0;
    std::istringstream printed(output);
    for (std::string line; std::getline(printed, line);) {
      std::sscanf(line.c_str(), ("param " + std::to_string(kDeviceOutSelection) + " = %d").c_str(), &outPort);
      std::sscanf(line.c_str(), ("param " + std::to_string(kDeviceInSelection) + " = %d").c_str(), &inPort);
    }
    ASSERT_GT(outPort, 0) << output;
    ASSERT_GT(inPort, 0) << output;
  }
  {
    SimProcess sim;
    const std::string record = data.root() + "/record2.txt";
    ASSERT_TRUE(sim.Start(kHostStateSimName, {"--record", record}, data.root() + "/sim2.txt"));
    const std::string script = data.root() + "/run2.txt";
    // The resent performance goes first: the recall starts it before the script runs.
    // The line says what the restore did with the ports and the unit.
    std::ofstream(script) << "wait-idle 60000\n" << statusLine << playAndStop;
    std::string output;
    ASSERT_EQ(RunHost(data.root(), {"--transport", "stop", "--state-in", state, "--restore-script", script}, &output),
              0)
        << output;
    EXPECT_NE(output.find("= \"Restored: ports open, performance sent\""), std::string::npos) << output;
    std::vector<std::string> lines;
    EXPECT_TRUE(SimProcess::WaitFor([&] {
      lines = SimProcess::Lines(record);
      return Find(lines, 0, [](const std::string& l) { return l == "FC"; }) != std::string::npos;
    })) << "no Stop recorded: "
        << Tail(lines);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsDump), 1) << lines.size() << " lines recorded";
    const size_t dump = Find(lines, 0, IsDump);
    const size_t start =
        Find(lines, dump == std::string::npos ? 0 : dump, [](const std::string& l) { return l == "FA"; });
    ASSERT_NE(dump, std::string::npos);
    ASSERT_NE(start, std::string::npos) << "no Start after the performance";
    const size_t clock = Find(lines, start, [](const std::string& l) { return l == "F8"; });
    ASSERT_NE(clock, std::string::npos) << "no clock after Start";
    EXPECT_NE(Find(lines, clock, [](const std::string& l) { return l == "FC"; }), std::string::npos)
        << "no Stop after the clocks";
  }
  // No simulator: nothing to reopen, yet what the restored instance saves still names
  // both ports.
  const std::string resaved = data.root() + "/resaved.plist";
  const std::string script = data.root() + "/run3.txt";
  std::ofstream(script) << statusLine;
  std::string output;
  ASSERT_EQ(
      RunHost(data.root(), {"--state-in", state, "--restored-state-out", resaved, "--restore-script", script}, &output),
      0)
      << output;
  // Both ports named on the one line, each cut alike in its middle: their ends read.
  EXPECT_NE(output.find("= \"Not found: In Rec..t:midi, Out Rec..n:midi\""), std::string::npos) << output;
  // Each port's stored name begins with the simulator's client name.
  EXPECT_EQ(Occurrences(StateChunk(state), kHostStateSimName), 2);
  EXPECT_EQ(Occurrences(StateChunk(resaved), kHostStateSimName), 2);
  server.Stop();
}

}  // namespace
