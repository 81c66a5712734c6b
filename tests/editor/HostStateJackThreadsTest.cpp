// The host's saved state on a private JACK server. Run 1 chooses the simulator's ports
// on the panel, turns a knob, switches the MIDI clock on, plays and saves. Run 2
// restores that file: the ports reopen by name, the simulator receives the performance
// once, then Start, clocks and Stop as the host plays and stops. Restored without the
// simulator, the state saves again with both port names.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "RoadTestSupport.h"
#include "TavroCommands.h"

namespace {

constexpr const char* kSimName = "Recall Sim";

// The centre of the shown control of `paramIdx` with slot `slot` active and layer
// `layer` (if any) open, read from a headless editor; (-1, -1) when none is shown.
std::pair<int, int> ControlCentre(int paramIdx, int slot = 0, const char* layer = nullptr) {
  RoadFixture f;
  f.plug->activeSlot = slot;
  f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->nordModel);
  if (layer) f.plug->showLayer(layer, true);
  return ShownCentre(f.action(paramIdx));
}

constexpr int kFilterCutoff = 0;
constexpr size_t kPerformanceDumpSize = 715;

std::string Click(std::pair<int, int> at) {
  return "click " + std::to_string(at.first) + " " + std::to_string(at.second) + "\n";
}

// Bytes in a record line of hex pairs.
size_t Size(const std::string& line) { return (line.size() + 1) / 3; }

bool IsDump(const std::string& line) { return line.rfind("F0 ", 0) == 0 && Size(line) == kPerformanceDumpSize; }

// The plug-in's chunk in a saved state file: the base64 text of its "data" entry.
std::string StateChunk(const std::string& plist) {
  std::ifstream in(plist);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t key = text.find("<key>data</key>");
  const size_t open = text.find("<data>", key == std::string::npos ? text.size() : key);
  const size_t close = text.find("</data>", open == std::string::npos ? text.size() : open);
  if (close == std::string::npos) return "";
  static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  unsigned bits = 0;
  int count = 0;
  for (size_t i = open + 6; i < close; ++i) {
    const size_t digit = kDigits.find(text[i]);
    if (digit == std::string::npos) continue;  // white space and padding
    bits = bits << 6 | unsigned(digit);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes.push_back(char(bits >> count & 0xFF));
    }
  }
  return bytes;
}

// The record's last lines, for a failure's message.
std::string Tail(const std::vector<std::string>& lines) {
  std::string tail;
  for (size_t i = lines.size() > 12 ? lines.size() - 12 : 0; i < lines.size(); ++i)
    tail += "\n" + lines[i].substr(0, 40);
  return tail;
}

// Index of the first line at or after `from` that `match` accepts; npos for none.
template <class Match>
size_t Find(const std::vector<std::string>& lines, size_t from, Match match) {
  for (size_t i = from; i < lines.size(); ++i)
    if (match(lines[i])) return i;
  return std::string::npos;
}

TEST(HostStateJack, ARestoredProjectReopensItsPortsResendsThePerformanceAndRunsTheClock) {
  const auto knob = ControlCentre(kFilterCutoff);
  const auto openFilters = ControlCentre(TavroCommands::kViewMIDIFilterSettings);
  const auto clockSwitch = ControlCentre(kSendMIDIClockInfo, 0, "midiFilterSettings");
  const auto startStopSwitch = ControlCentre(kSendMIDIClockPointer, 0, "midiFilterSettings");
  const auto closeFilters = ControlCentre(TavroCommands::kCloseMIDIFilterSettings, 0, "midiFilterSettings");
  for (const std::pair<int, int>& at : {knob, openFilters, clockSwitch, startStopSwitch, closeFilters})
    ASSERT_GE(at.first, 0);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  const std::string state = data.root() + "/project.plist";
  // Plays for a while, then stops; every step renders so the editor's tick sees it.
  const std::string playAndStop = "play\nrender 20\nwait 1000\nrender 20\nstop\nrender 20\nwait 500\n";
  {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(kSimName, {"--record", data.root() + "/record1.txt"}, data.root() + "/sim1.txt"));
    const std::string script = data.root() + "/run1.txt";
    std::ofstream(script) << ChoosePorts(kSimName) << "drag " << knob.first << " " << knob.second << " 0 30\n"
                          << Click(openFilters) << Click(clockSwitch) << Click(startStopSwitch) << "expect-param "
                          << kSendMIDIClockInfo << " 1\nexpect-param " << kSendMIDIClockPointer << " 1\n"
                          << Click(closeFilters) << playAndStop << "print-param " << kDeviceOutSelection
                          << "\nprint-param " << kDeviceInSelection << "\n";
    std::string output;
    // The exit status also covers the host's own round trip into a second instance,
    // which the live simulator's answers may change: the written file is what counts.
    RunHost(data.root(), "--transport stop --script '" + script + "' --state-out '" + state + "'", &output);
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
    ASSERT_TRUE(sim.Start(kSimName, {"--record", record}, data.root() + "/sim2.txt"));
    const std::string script = data.root() + "/run2.txt";
    // The resent performance goes first: the recall starts it before the script runs.
    std::ofstream(script) << "wait 3000\n" << playAndStop;
    std::string output;
    ASSERT_EQ(
        RunHost(data.root(), "--transport stop --state-in '" + state + "' --restore-script '" + script + "'", &output),
        0)
        << output;
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
  std::string output;
  ASSERT_EQ(RunHost(data.root(), "--state-in '" + state + "' --restored-state-out '" + resaved + "'", &output), 0)
      << output;
  // Each port's stored name begins with the simulator's client name.
  const auto names = [](const std::string& file) {
    const std::string chunk = StateChunk(file);
    int n = 0;
    for (size_t at = chunk.find(kSimName); at != std::string::npos; at = chunk.find(kSimName, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(names(state), 2);
  EXPECT_EQ(names(resaved), 2);
  server.Stop();
}

}  // namespace
