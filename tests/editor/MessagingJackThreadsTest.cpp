// End to end on a private JACK server with the real bundle in the test host: the MIDI
// clock and the transport's Start and Stop reach the simulated synthesizer, and a
// knob turned on the synthesizer reaches the editor's saved state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "CoreFoundation.h"
#include "EditorTestSupport.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "PatchManager.h"

namespace {

constexpr const char* kSimName = "Clock Sim";
constexpr int kFilterCutoff = 0;       // slot A's; controller 74
constexpr int kStateHeaderBytes = 20;  // tag, slot tab and model
constexpr int kSelectorBytes = 32;     // port, bank and program selections

// Panel positions (layout units) as the panel lays them out: the MIDI filter page's
// opener and closer, and on the page the switches of the clock pointer (609: Start
// and Stop) and of the clock itself (610).
constexpr const char* kOpenFilters = "click 1435 632\n";
constexpr const char* kCloseFilters = "click 1139 139\n";
constexpr const char* kPointerSwitch = "click 770 442\n";
constexpr const char* kClockSwitch = "click 770 478\n";

std::string ClockSwitchesOn() {
  return std::string(kOpenFilters) + kPointerSwitch + kClockSwitch + "expect-param 609 1\nexpect-param 610 1\n" +
         kCloseFilters;
}

std::string ClockOff() { return std::string(kOpenFilters) + kClockSwitch + "expect-param 610 0\n"; }

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

// The record's real-time messages: Start, Stop and the Clocks between them.
struct ClockRecord {
  explicit ClockRecord(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (line == "FA") ++starts;
      if (line == "FC") ++stops;
      if (line == "F8" && starts == 1 && stops == 0) ++clocksWhilePlaying;
    }
  }
  int starts = 0, stops = 0, clocksWhilePlaying = 0;
};

TEST_F(JackRun, PlayAndStopGiveOneStartAndOneStopAndTenSecondsAt120GiveTheirClocks) {
  // Rendering moves only when the script says: one block hands each edge to the
  // editor, the clock runs on its own thread in real time meanwhile.
  const std::string output = Run(ClockSwitchesOn() +
                                     "tempo 120\nrender 1\nwait 500\nplay\nrender 1\nwait 10000\n"
                                     "stop\nrender 1\nwait 500\n" +
                                     ClockOff() + "render 1\n",
                                 "--transport stop");
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

// The chunk inside a state file the host wrote.
std::vector<uint8_t> StateChunk(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> bytes;
  CFDataRef xml = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size()));
  CFPropertyListRef list = CFPropertyListCreateWithData(kCFAllocatorDefault, xml, 0, nullptr, nullptr);
  CFRelease(xml);
  if (!list) return bytes;
  if (CFGetTypeID(list) == CFDictionaryGetTypeID()) {
    CFTypeRef data = CFDictionaryGetValue(static_cast<CFDictionaryRef>(list), CFSTR("data"));
    if (data && CFGetTypeID(data) == CFDataGetTypeID()) {
      const UInt8* p = CFDataGetBytePtr(static_cast<CFDataRef>(data));
      bytes.assign(p, p + CFDataGetLength(static_cast<CFDataRef>(data)));
    }
  }
  CFRelease(list);
  return bytes;
}

// A parameter's value in a saved chunk: the editor keeps none for the host to
// automate, so all follow the patch manager's block and the four selections.
double ChunkParam(const std::vector<uint8_t>& bytes, int paramIdx) {
  ByteChunk chunk;
  chunk.PutBytes(bytes.data(), int(bytes.size()));
  const int block = PatchManager::blockEnd(&chunk, kStateHeaderBytes);
  double value = -1;
  if (block > 0) chunk.GetDouble(&value, block + kSelectorBytes + 8 * paramIdx);
  return value;
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
