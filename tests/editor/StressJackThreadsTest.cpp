// A stress on a private JACK server, the real bundle in the test host beside the
// simulated synthesizer (unit 5, with its wire time): the simulator's front panel
// streams knob moves at nearly the wire's full rate, about 1,000 a second, on the four
// slots' channels and on two channels no slot listens on, for about half a minute.
// Meanwhile the panel drags the cutoff knobs of slots A to D (switching slots on the
// panel), stores a bank from the librarian into the unit, and drags them again. The
// store covers the panel while it runs, so the drags come before and after it; the
// simulator's stream runs through all of it.
//
// What is checked, per sender:
// - The simulator's knobs are reflected: a controller on a slot's channel that names a
//   parameter of that slot moves that parameter. Each stream ramps up, so the values
//   the host reads back now and then never fall (the editor keeps the stream's order),
//   and each ends at the last value sent. "Reflected" leaves out what the editor must
//   ignore: controllers on a channel no slot listens on (the global channel 6 and
//   channel 16; they must move no slot's parameter), and every channel message that
//   arrives while a transfer holds the panel (the store). So after its stream the
//   simulator sends its last values again every 250 ms, the ignored channels' too,
//   until the host has read them back. What the unit plays goes back to it while the
//   editor does not know its local control on (the evening checks that side).
// - Every panel edit arrives: the cutoff values the host prints after each drag reach
//   the unit as controller 74 on the slot's channel, all of them, in that order, and
//   nothing else. A drag that moved nothing is no edit.
// - The store's program dumps arrive in program order, each once, each the file's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>

#include "Framework/IControl.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "RoadTestSupport.h"
#include "SynthSim.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchTemplates.h"

namespace {

constexpr const char* kStressSimName = "Stress Sim";
constexpr int kSlots = 4;
constexpr int kCutoffController = 74;
constexpr std::array<int, 4> kStreamedControllers = {19, 42, 70, 73};  // plain knobs of every slot
constexpr std::array<int, 2> kIgnoredChannels = {kUnitId + 1, 16};
constexpr int kStreamStartMs = 2000;
constexpr int kStreamRounds = 1450;  // every stream once a round: to past the second drags
// A round of the 24 streams is 23 ms of wire (960 us a message at 31,250 baud): one
// every 24 ms keeps the wire nearly full and leaves the replies a way through.
constexpr int kRoundMs = 24;
constexpr int kRepeatEveryMs = 250;
constexpr int kRepeatForMs = 150000;  // beyond any host run; the simulator is stopped first
constexpr int kStoredPrograms = 40;   // RAM 0 of the four-bank model
constexpr const char* kStoreItem = "Store Patch Data/All Current Programs to RAM 0 (A)";
// The store paces each program by twice the 200 ms sync timer: 16 s; the script waits
// it out, giving up long after.
constexpr int kStoreWaitMs = 120000;

// Where the host clicks and which parameters the streamed controllers move, read from
// headless editors.
struct PanelMap {
  std::array<Point, kSlots> cutoffKnob, slotTab;
  std::array<std::array<int, kStreamedControllers.size()>, kSlots> streamedParam{};
  // Each one's value before the stream reaches it (the panel starts from its defaults).
  std::array<std::array<double, kStreamedControllers.size()>, kSlots> streamedStart{};
  Point pageSwitch, bankMenu;
};

PanelMap ReadPanelMap() {
  PanelMap map;
  {
    RoadFixture f;
    const IControl* tabs = f.plug->firstControl(kQuickTab);
    for (int slot = 0; slot < kSlots && tabs; ++slot) {
      const IRECT r = tabs->GetRECT();
      map.slotTab[size_t(slot)] = {int(r.L + (2 * slot + 1) * (r.R - r.L) / 8), (r.T + r.B) / 2};
      f.plug->setActiveSlot(slot);
      f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->unitLink().nordModel);
      const auto [x, y] = ShownCentre(f.action(kFilterCutoff + slot));
      map.cutoffKnob[size_t(slot)] = {x, y};
      for (size_t k = 0; k < kStreamedControllers.size(); ++k) {
        const IControl* c = f.plug->getCCControls(slot + 1, kStreamedControllers[k], 0);
        const IParam* param = c ? f.plug->GetParam(c->ParamIdx()) : nullptr;
        // Only a 0-127 knob shows the value sent as it is.
        const bool plain = param && param->GetMin() == 0.0 && param->GetMax() == 127.0;
        map.streamedParam[size_t(slot)][k] = plain ? c->ParamIdx() : -1;
        map.streamedStart[size_t(slot)][k] = plain ? param->Value() : -1;
      }
    }
  }
  LibrarianPage page(Banks{});
  if (IControl* pageSwitch = page.plug->firstControl(kShowLibrarian)) map.pageSwitch = Centre(pageSwitch->GetRECT());
  map.bankMenu = Centre(page.plug->keptControls().librarianMenus[kBankEditMenu]->GetRECT());
  return map;
}

// The bank file: 99 programs as the unit holds them, each its own cutoff.
std::vector<std::vector<uint8_t>> UnitPrograms() {
  Kit_VirtualClock clock;
  SynthSimVirtualScheduler scheduler(clock);
  SynthSim unit(SynthSimSettings{}, scheduler, [](const SynthSim::Message&) {});
  std::vector<std::vector<uint8_t>> programs;
  for (int n = 0; n < kProgramBankSize; ++n) {
    unit.SetValue("kFilterCutoff", 0, n);
    const SynthSim::Message data = unit.ProgramEditBuffer(0);
    std::vector<uint8_t> dump = {0xF0, 0x33, 0x00, 0x04, 0x00, uint8_t(n)};
    dump.insert(dump.end(), data.begin(), data.end());
    for (char c : std::string("Stress    ")) dump.push_back(uint8_t(c));
    dump.push_back(0xF7);
    programs.push_back(dump);
  }
  return programs;
}

// The simulator's front panel: one stream a (channel, controller), its values in turn.
struct Stream {
  int channel = 0;  // 1-16
  int controller = 0;
  int last = 0;  // the value it ends at
};

struct FrontPanel {
  std::vector<Stream> streams;
  std::string script;
  int streamed = 0;  // messages of the full-rate part
};

// The last value of slot `slot`'s controller `k`, and of the ignored channels': apart.
int SlotLast(int slot, size_t k) { return 10 + 20 * slot + 5 * int(k); }
int IgnoredLast(size_t k) { return 120 + int(k); }

FrontPanel StreamingFrontPanel() {
  FrontPanel panel;
  for (int slot = 0; slot < kSlots; ++slot)
    for (size_t k = 0; k < kStreamedControllers.size(); ++k)
      panel.streams.push_back({slot + 1, kStreamedControllers[k], SlotLast(slot, k)});
  for (int channel : kIgnoredChannels)
    for (size_t k = 0; k < kStreamedControllers.size(); ++k)
      panel.streams.push_back({channel, kStreamedControllers[k], IgnoredLast(k)});
  std::ostringstream script;
  const auto line = [&](int ms, const Stream& s, int value) {
    script << ms << " cc " << s.channel << " " << s.controller << " " << value << "\n";
  };
  // Each round played at once, the wire spacing its messages; each stream a ramp up to
  // its last value, so values read back in turn never fall while order is kept.
  for (int round = 0; round < kStreamRounds; ++round)
    for (const Stream& s : panel.streams)
      line(kStreamStartMs + round * kRoundMs, s, s.last * round / (kStreamRounds - 1));
  const int streamEndMs = kStreamStartMs + kStreamRounds * kRoundMs;
  for (const Stream& s : panel.streams) line(streamEndMs, s, s.last);
  panel.streamed = int((kStreamRounds + 1) * panel.streams.size());
  for (int ms = streamEndMs + kRepeatEveryMs; ms < streamEndMs + kRepeatForMs; ms += kRepeatEveryMs)
    for (const Stream& s : panel.streams) line(ms, s, s.last);
  panel.script = script.str();
  return panel;
}

// Drags of different lengths both ways; each followed by the value the panel made.
std::string DragsPrinting(const Point& knob, int slot, int round) {
  std::string lines = "print-param " + std::to_string(kFilterCutoff + slot) + "\n";
  for (int dy : {35, -20, 50, -15}) {
    lines += "drag " + std::to_string(knob.x) + " " + std::to_string(knob.y) + " 0 " +
             std::to_string(dy + 3 * round + slot) + "\nprint-param " + std::to_string(kFilterCutoff + slot) + "\n";
  }
  return lines;
}

// Prints every parameter the streams move.
std::string PrintStreamed(const PanelMap& map) {
  std::string lines;
  for (const auto& params : map.streamedParam)
    for (int param : params) lines += "print-param " + std::to_string(param) + "\n";
  return lines;
}

std::string EditAllSlots(const PanelMap& map, int round) {
  std::string lines;
  for (int slot = 0; slot < kSlots; ++slot) {
    const Point& tab = map.slotTab[size_t(slot)];
    lines += "click " + std::to_string(tab.x) + " " + std::to_string(tab.y) + "\nexpect-param " +
             std::to_string(kQuickTab) + " " + std::to_string(slot) + "\n" +
             DragsPrinting(map.cutoffKnob[size_t(slot)], slot, round) + PrintStreamed(map);
  }
  return lines;
}

std::string ClickPoint(const Point& p) { return "click " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n"; }

// The controller values a run of prints shows the panel making: each change, in order
// (a dragged knob sends its value's whole part).
std::vector<int> Changes(const std::vector<double>& printed) {
  std::vector<int> changes;
  for (size_t i = 1; i < printed.size(); ++i)
    if (int(printed[i]) != int(printed[i - 1])) changes.push_back(int(printed[i]));
  return changes;
}

// True when `got` is `made` with some left out: the same order, nothing else.
bool InOrderWithin(const std::vector<int>& got, const std::vector<int>& made) {
  size_t matched = 0;
  for (int value : made)
    if (matched < got.size() && got[matched] == value) ++matched;
  return matched == got.size();
}

// What reached the unit, by sender.
struct Record {
  explicit Record(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      const std::vector<uint8_t> b = RecordBytes(line);
      if (b.size() == 3 && (b[0] & 0xF0) == 0xB0) controllers[{(b[0] & 0x0F) + 1, b[1]}].push_back(b[2]);
      if (b.size() > 6 && b[0] == 0xF0 && b[1] == 0x33 && b[2] == kUnitId && b[3] == 0x04 && b[4] == 0x01)
        storeDumps.push_back(b);
    }
  }
  std::map<std::pair<int, int>, std::vector<int>> controllers;  // (channel 1-16, controller): values
  std::vector<std::vector<uint8_t>> storeDumps;                 // into RAM 0, in arrival order
};

TEST(StressJack, AStreamingUnitPanelEditsOnAllSlotsAndABankStoreLoseAndReorderNothing) {
  const PanelMap map = ReadPanelMap();
  ASSERT_GE(map.pageSwitch.x, 0);
  ASSERT_GE(map.bankMenu.x, 0);
  for (int slot = 0; slot < kSlots; ++slot) {
    ASSERT_GE(map.cutoffKnob[size_t(slot)].x, 0) << slot;
    for (int param : map.streamedParam[size_t(slot)]) ASSERT_GE(param, 0) << slot;
  }
  const FrontPanel front = StreamingFrontPanel();
  const std::vector<std::vector<uint8_t>> programs = UnitPrograms();

  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  std::filesystem::create_directories(data.folder() + "Patches");
  std::string bank;
  for (const auto& program : programs) bank.append(program.begin(), program.end());
  data.write("Patches/Stress Bank.syx", bank);
  const std::string record = data.root() + "/record.txt";
  const std::string frontPanel = data.root() + "/front-panel.txt";
  std::ofstream(frontPanel) << front.script;

  std::string script = ChoosePorts(kStressSimName) + EditAllSlots(map, 0) + ClickPoint(map.pageSwitch) +
                       "expect-param " + std::to_string(kShowLibrarian) + " 1\nchoose " + kStoreItem + "\n" +
                       ClickPoint(map.bankMenu) + "wait-idle " + std::to_string(kStoreWaitMs) + "\n" +
                       PrintStreamed(map) + ClickPoint(map.pageSwitch) + "expect-param " +
                       std::to_string(kShowLibrarian) + " 0\n" + EditAllSlots(map, 1);
  for (int slot = 0; slot < kSlots; ++slot)
    for (size_t k = 0; k < kStreamedControllers.size(); ++k)
      script += "wait-param " + std::to_string(map.streamedParam[size_t(slot)][k]) + " " +
                std::to_string(SlotLast(slot, k)) + " 60000\n";
  // Past a few rounds of repeats, the ignored channels' values included.
  script += "wait " + std::to_string(3 * kRepeatEveryMs) + "\n";
  script += PrintStreamed(map);
  const std::string scriptPath = data.root() + "/panel.txt";
  std::ofstream(scriptPath) << script;

  std::string output;
  double seconds = 0;
  {
    SimProcess sim;
    ASSERT_TRUE(
        sim.Start(kStressSimName,
                  {"--device-id", std::to_string(kUnitId), "--wire-time", "--record", record, "--script", frontPanel},
                  data.root() + "/sim.txt"));
    const auto start = std::chrono::steady_clock::now();
    const int status = RunTavroHost(data.root(), scriptPath, &output);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The exit status also covers the host's state round trip, not this run's.
    ASSERT_EQ(output.find("tavro-host: panel:"), std::string::npos) << "exit " << status << ": " << output;
  }
  const Record reached(SimProcess::Lines(record));
  const std::map<int, std::vector<double>> printed = PrintedParams(output);

  // The simulator's knobs: each slot's read back in order while they moved and at
  // its last value in the end, nothing from the ignored channels. The script does not
  // wait for the stream to begin (the store's and the drags' runs are what it times):
  // reads before it reaches the panel show the panel's own starting value.
  for (int slot = 0; slot < kSlots; ++slot)
    for (size_t k = 0; k < kStreamedControllers.size(); ++k) {
      const int param = map.streamedParam[size_t(slot)][k];
      ASSERT_EQ(printed.count(param), 1u) << param;
      std::vector<double> read = printed.at(param);
      const double start = map.streamedStart[size_t(slot)][k];
      read.erase(read.begin(), std::find_if(read.begin(), read.end(), [start](double v) { return v != start; }));
      ASSERT_FALSE(read.empty()) << param << " never moved";
      const std::string which =
          "slot " + std::to_string(slot) + ", controller " + std::to_string(kStreamedControllers[k]);
      EXPECT_TRUE(std::is_sorted(read.begin(), read.end())) << which << ": " << ::testing::PrintToString(read);
      EXPECT_EQ(read.back(), SlotLast(slot, k)) << which;
    }

  // The panel's edits and the store's dumps: in order and nothing else, each edit and
  // dump there but for what the host's JACK output said it lost to missed periods.
  int edits = 0, missing = 0;
  for (int slot = 0; slot < kSlots; ++slot) {
    ASSERT_EQ(printed.count(kFilterCutoff + slot), 1u);
    const std::vector<int> made = Changes(printed.at(kFilterCutoff + slot));
    const auto found = reached.controllers.find({slot + 1, kCutoffController});
    const std::vector<int> sent = found == reached.controllers.end() ? std::vector<int>{} : found->second;
    EXPECT_TRUE(InOrderWithin(sent, made)) << "slot " << slot << ": " << ::testing::PrintToString(sent)
                                           << " reached the unit, the panel made " << ::testing::PrintToString(made);
    edits += int(made.size());
    missing += int(made.size() - sent.size());
  }
  EXPECT_GE(edits, 2 * kSlots) << "the drags moved too little to prove anything";
  std::vector<int> stored;
  for (const std::vector<uint8_t>& dump : reached.storeDumps) {
    const int n = dump[5];
    ASSERT_LT(n, kStoredPrograms);
    ASSERT_EQ(dump.size(), 139u) << n;
    EXPECT_TRUE(std::equal(dump.begin() + 6, dump.end() - 1, programs[size_t(n)].begin() + 6)) << n;
    stored.push_back(n);
  }
  std::vector<int> bankOrder(kStoredPrograms);
  for (int n = 0; n < kStoredPrograms; ++n) bankOrder[size_t(n)] = n;
  EXPECT_TRUE(InOrderWithin(stored, bankOrder)) << ::testing::PrintToString(stored);
  missing += kStoredPrograms - int(stored.size());
  const int lost = ReportedLost(output);
  EXPECT_LE(missing, lost) << "missing at the unit: " << missing << ", lost on the way: " << lost;
  std::printf(
      "stress: %d messages streamed on %zu streams in %.1f s, %d panel edits, %zu program dumps; %d lost to "
      "missed JACK periods\n",
      front.streamed, front.streams.size(), seconds, edits, stored.size(), lost);
}

}  // namespace
