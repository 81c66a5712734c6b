// End to end on a private JACK server with the real bundle in the test host: the MIDI
// clock and the transport's Start and Stop reach the simulated synthesizer, a knob
// turned on the synthesizer reaches the editor's saved state, and a program travels
// both ways between slot B and a unit found at device id 5: requested into the panel
// and the saved state, sent from the panel as the panel shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "HostStateSupport.h"
#include "JackClockSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "ProgramFields.h"
#include "RoadTestSupport.h"
#include "SynthSim.h"
#include "editor/librarian/TavroLibrarianPanel.h"

namespace {

constexpr const char* kMessagingSimName = "Clock Sim";

struct JackRun : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(server.Start()); }
  void TearDown() override { server.Stop(); }
  // Runs the host by `body` (after choosing the simulator's ports) beside the
  // simulator started with `simOptions`; returns what the host printed.
  std::string Run(const std::string& body, const std::vector<std::string>& hostOptions,
                  const std::vector<std::string>& simOptions = {}) {
    std::vector<std::string> options = simOptions;
    options.insert(options.end(), {"--record", record()});
    SimProcess sim;
    EXPECT_TRUE(sim.Start(kMessagingSimName, options, data.root() + "/sim.txt"));
    const std::string script = data.root() + "/script.txt";
    std::ofstream(script) << ChoosePorts(kMessagingSimName) << body;
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
  // Clocks counted against the script's ten seconds: other runs' load would add some.
  const JackQuietTiming quiet(server);
  const std::string output =
      Run(ClockSwitchesOn() + PlayTenSecondsAt120() + ClockOff() + "render 1\n", {"--transport", "stop"});
  ASSERT_TRUE(SimProcess::WaitFor([&] { return ClockRecord(recorded()).stops > 0; })) << output;
  const ClockRecord clock(recorded());
  EXPECT_EQ(clock.starts, 1);
  EXPECT_EQ(clock.stops, 1);
  // 24 a beat, 2 beats a second: 480, give or take the script's own steps.
  EXPECT_NEAR(clock.clocksWhilePlaying, 480, 10);
}

TEST_F(JackRun, StartAndStopStayAwayWithThePointerOff) {
  Run("expect-param 609 0\ntempo 120\nplay\nrender 1\nwait 300\nstop\nrender 1\nwait 300\n", {"--transport", "stop"});
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
      Run("wait-param 0 100 20000\nprint-param 0\n", {"--state-out", state}, {"--script", simScript});
  int printed = -1;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) std::sscanf(line.c_str(), "param 0 = %d", &printed);
  EXPECT_EQ(printed, 100) << output;
  EXPECT_EQ(ChunkParam(StateChunk(state), kFilterCutoff), 100.0) << output;
}

// ---- a program both ways between slot B and a unit at device id 5

constexpr int kSlotB = 1;

struct Field {
  std::string name;
  int paramIdx;  // slot B's
};

// Read from a headless editor: slot B's parameter of every program field.
std::vector<Field> SlotBFields() {
  RoadFixture f;
  std::vector<Field> fields;
  for (const std::string& name : ProgramFieldNames())
    fields.push_back({name, f.plug->editorParamIndex(name.c_str()) + kSlotB});
  return fields;
}

int ParamOf(const std::vector<Field>& fields, const std::string& name) {
  for (const Field& field : fields)
    if (field.name == name) return field.paramIdx;
  return -1;
}

std::string PrintAll(const std::vector<Field>& fields) {
  std::string lines;
  for (const Field& field : fields) lines += "print-param " + std::to_string(field.paramIdx) + "\n";
  return lines;
}

// A unit of its own, for the values it holds: the INIT program in every slot, or
// what a dump it takes in brings.
struct LocalUnit {
  LocalUnit() {
    SynthSimSettings settings;
    settings.deviceId = kUnitId;
    unit = std::make_unique<SynthSim>(settings, scheduler, [](const SynthSim::Message&) {});
  }
  // Takes in a record line of hex bytes.
  void Receive(const std::string& line) {
    const std::vector<uint8_t> bytes = RecordBytes(line);
    unit->Receive(bytes.data(), bytes.size());
  }
  Kit_VirtualClock clock;
  SynthSimVirtualScheduler scheduler{clock};
  std::unique_ptr<SynthSim> unit;
};

TEST_F(JackRun, SlotBRequestedFromTheUnitReachesThePanelAndTheSavedState) {
  // The unit's slot B, away from the INIT program in fields of every coding; the
  // enquiry's reply sets nothing of the panel, so until the request it shows INIT.
  const std::map<std::string, int> unitValues = {{"kFilterCutoff", 93}, {"kOsc2Finetune", 41}, {"kModEnvDecay", 50},
                                                 {"kVAmpGain", 200},    {"kOscSync", 2},       {"kLFO2Destination", 6},
                                                 {"kFilterType", 3},    {"kMDB3", 77}};
  std::vector<std::string> simOptions = {"--device-id", std::to_string(kUnitId), "--wire-time"};
  for (const auto& [name, value] : unitValues)
    simOptions.insert(simOptions.end(), {"--set", name, std::to_string(kSlotB), std::to_string(value)});
  // The request: the bank menu of the librarian page, for the active slot.
  LibrarianPage page(Banks{});
  const auto pageSwitch = Centre(page.plug->firstControl(kShowLibrarian));
  const auto bankMenu = Centre(page.plug->keptControls().librarianMenus[kBankEditMenu]);
  ASSERT_GE(pageSwitch.first, 0);
  ASSERT_GE(bankMenu.first, 0);
  const std::vector<Field> fields = SlotBFields();
  // Each changing field waited for: the parser may still be writing later ones when
  // the first has arrived.
  std::string arrived;
  for (const auto& [name, value] : unitValues)
    arrived += "wait-param " + std::to_string(ParamOf(fields, name)) + " " + std::to_string(value) + " 20000\n";
  const std::string state = data.root() + "/state.plist";
  const std::string output = Run(UntilReady() + ClickSlotTab(kSlotB) + PrintAll(fields) + "click " +
                                     PointText(pageSwitch) + "\nexpect-param " + std::to_string(kShowLibrarian) +
                                     " 1\nchoose Request Patch Data/from Active Slot to Plug-in GUI\nclick " +
                                     PointText(bankMenu) + "\n" + arrived + PrintAll(fields),
                                 {"--state-out", state}, simOptions);
  const std::map<int, std::vector<double>> printed = PrintedParams(output);
  const std::vector<uint8_t> chunk = StateChunk(state);
  LocalUnit init;
  for (const Field& field : fields) {
    SCOPED_TRACE(field.name);
    const auto set = unitValues.find(field.name);
    const int want = set != unitValues.end() ? set->second : init.unit->Value(field.name, kSlotB);
    ASSERT_EQ(printed.count(field.paramIdx), 1u) << output;
    const std::vector<double>& values = printed.at(field.paramIdx);
    if (set != unitValues.end()) {
      EXPECT_NE(values.front(), want) << "in the panel before the request";
    }
    EXPECT_EQ(values.back(), want);
    EXPECT_EQ(ChunkParam(chunk, field.paramIdx), want);
  }
  // Asked of the unit's slot B at its id.
  const std::vector<std::string> lines = recorded();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "F0 33 05 04 0A 01 F7"), lines.end());
}

// The last program dump in `record` for slot B's edit buffer at id 5; empty for none.
std::string LastSlotBDump(const std::vector<std::string>& record) {
  constexpr size_t kProgramDumpLine = 3 * 139 - 1;
  const auto dump = std::find_if(record.rbegin(), record.rend(), [](const std::string& line) {
    return line.size() == kProgramDumpLine && line.rfind("F0 33 05 04 00 01 ", 0) == 0;
  });
  return dump == record.rend() ? "" : *dump;
}

TEST_F(JackRun, APartSentFromThePanelEqualsThePanel) {
  const std::vector<Field> fields = SlotBFields();
  // Knobs with control changes first. Osc Sync has none: moved, it sends slot B's
  // whole program, theirs with it. It has four positions on a strip 76 pixels tall, a
  // knob's whole travel four times its height (about 101 pixels a position), and
  // starts at 0: 210 pixels up take it to 2.
  const std::vector<std::string> ccKnobs = {"kFilterCutoff", "kFilterResonance", "kLFO1Rate"};
  std::string drags;
  for (const std::string& name : ccKnobs) {
    const auto knob = ControlCentre(ParamOf(fields, name), kSlotB);
    ASSERT_GE(knob.first, 0) << name;
    drags += Drags(knob.first, knob.second);
  }
  const auto sync = ControlCentre(ParamOf(fields, "kOscSync"), kSlotB);
  ASSERT_GE(sync.first, 0);
  const std::string oscSync = std::to_string(ParamOf(fields, "kOscSync"));
  drags += "drag " + PointText(sync) + " 0 -210\nexpect-param " + oscSync + " 2\n";
  // The job's dump leaves before the host closes the editor.
  const std::string output = Run(UntilReady() + ClickSlotTab(kSlotB) + drags + "wait-idle 60000\n" + PrintAll(fields),
                                 {}, {"--device-id", std::to_string(kUnitId), "--wire-time"});
  const std::map<int, std::vector<double>> printed = PrintedParams(output);
  const std::string dump = LastSlotBDump(recorded());
  ASSERT_FALSE(dump.empty()) << output;
  LocalUnit sent;
  sent.Receive(dump);
  // A knob stands between whole values; the read-out and the dump give the whole.
  const auto panel = [&printed](int paramIdx) { return std::trunc(printed.at(paramIdx).back()); };
  for (const Field& field : fields) {
    SCOPED_TRACE(field.name);
    ASSERT_EQ(printed.count(field.paramIdx), 1u) << output;
    EXPECT_EQ(sent.unit->Value(field.name, kSlotB), panel(field.paramIdx));
  }
  LocalUnit init;
  for (const std::string& name : ccKnobs)
    EXPECT_NE(panel(ParamOf(fields, name)), init.unit->Value(name, kSlotB)) << name << " did not move";
}

}  // namespace
