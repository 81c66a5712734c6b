// Steps 1-4 of the evening in one host run, with the options of the README run
// command: the first run on a freshly installed data folder, the ports chosen by
// name, the performance requested into the panel and checked field by field against
// the unit's memory, then knobs on slots A and B, a link of B onto A's channel and
// slot C randomised, while the unit's player turns a knob of slot D.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "EveningSupport.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "RoadTestSupport.h"
#include "SynthSim.h"
#include "editor/commands/TavroCommands.h"
#include "layout/UIConfigManager.h"
#include "librarian/TavroParams.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

using ScriptPoint = std::pair<int, int>;
using Bytes = std::vector<uint8_t>;

constexpr int kSlots = 4;
constexpr int kSlotB = 1;
constexpr int kSlotC = 2;
constexpr const char* kRequestFromId5 = "F0 33 05 04 28 00 F7";
// The unit's player turns slot D's resonance (controller 42, channel 4) through
// values 20..99 while the panel edits, from well after the panel has the unit's
// local control (on) until after its edits; none of it may come back. The last value
// comes a few times, as one may arrive while a transfer holds the panel's input.
constexpr int kMovedSlot = 3;
constexpr int kMovedController = 42;
constexpr int kFirstMove = 20, kLastMove = 99, kLastMoveRepeats = 4;
constexpr int kMovesFromMs = 20000, kMoveEveryMs = 150, kLastMoveEveryMs = 1000;

// Where the script clicks, read from a headless editor as the panel lays it out.
struct PanelPlaces {
  ScriptPoint status{-1, -1}, firstRunExit, showLibrarian, requestFromSynth, performanceSettings, randomize,
      channelMenuB;
  ScriptPoint cutoff[kSlots], slotTab[kSlots], name[kSlots], performanceName;
};

PanelPlaces FindPlaces(RoadFixture& f) {
  PanelPlaces at;
  Tavro& plug = *f.plug;
  auto shown = [&](const char* name, int offset = 0) {
    return ShownCentre(f.action(plug.uiConfig->getParamByName(name) + offset));
  };
  if (!plug.keptControls().statusText) return at;  // the status line's place stays unknown: the stage stops
  const IRECT status = plug.keptControls().statusText->GetRECT();
  at.status = {int((status.L + status.R) / 2), int((status.T + status.B) / 2)};
  at.showLibrarian = shown("kShowLibrarian");
  at.performanceSettings = shown("kMultiSettings");
  at.randomize = shown("kRandomize");
  at.performanceName = shown("kMultiName");
  // The slot tabs: one control of four buttons side by side.
  const IRECT tabs = f.action(kQuickTab)->boundControls.at(0)->GetRECT();
  for (int s = 0; s < kSlots; ++s) {
    at.name[s] = shown("kPatchName", s);
    at.slotTab[s] = {int(tabs.L + (tabs.R - tabs.L) * (2 * s + 1) / (2 * kSlots)), int((tabs.T + tabs.B) / 2)};
    plug.setActiveSlot(s);
    plug.tabSwitch.quickTabSwitch(&plug, kQuickTab, s, plug.unitLink().nordModel);
    at.cutoff[s] = shown("kFilterCutoff", s);
  }
  plug.showLayer("firstRunNotification", true);
  at.firstRunExit = ShownCentre(f.action(kFirstRunExit));
  plug.showLayer("firstRunNotification", false);
  plug.showLayer("performanceSettings", true);
  at.channelMenuB = ShownCentre(f.action(kPartMidiChannel + kSlotB));
  plug.showLayer("performanceSettings", false);
  plug.tabSwitch.mainTabSwitch(&plug, 1, plug.unitLink().nordModel, 0);
  at.requestFromSynth = shown("kLibSyncFromHw");
  return at;
}

// One value of the unit's memory: its field's name and slot, and the panel's parameter.
struct Field {
  std::string name;
  int slot;
  int index;
};

// Every field of the four part blocks and of the performance block, by the names of
// the second-generation model the unit is.
std::vector<Field> MemoryFields(UIConfigManager& config) {
  std::vector<Field> fields;
  for (int s = 0; s < kSlots; ++s)
    for (int k = 0; k < kPartBlockFieldCount; ++k)
      fields.push_back({kPartBlockFields[k].param, s, config.getParamByName(kPartBlockFields[k].param) + s});
  for (int k = 0; k < kPerformanceFieldCount; ++k) {
    const PerformanceField& f = kPerformanceFields[k];
    fields.push_back({f.param, f.slot, config.getParamByName(f.param) + f.slot});
  }
  return fields;
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// The unit as its player set it up: every field a value of its own within what the
// panel's parameter holds, but for the slots' channels and switches, its addressing
// and the shown slot, which the evening plays on as the unit starts; local control on.
std::vector<std::pair<Field, int>> PlayersMemory(RoadFixture& f, const std::vector<Field>& fields) {
  std::vector<std::pair<Field, int>> values;
  int n = 0;
  for (const Field& field : fields) {
    ++n;
    if (IsOneOf(field.name,
                {"kPartMidiChannel", "kDeviceID", "kQuickTab", "kSlotAEnable", "kSlotBEnable", "kSlotCEnable",
                 "kSlotDEnable", "kGlobalCtrlChange", "kGlobalProgChange", "kLocalControl", "kCurrentBank2x"}))
      continue;
    const IParam* param = f.plug->GetParam(field.index);
    const int low = int(param->GetMin()), high = std::min(int(param->GetMax()), 255);
    values.push_back({field, low + (7 * n + 13 * field.slot + 5) % (high - low + 1)});
  }
  values.push_back({{"kLocalControl", 0, f.plug->uiConfig->getParamByName("kLocalControl")}, 1});
  return values;
}

// What the host printed: the parameter values in the order printed, the texts by place.
struct Printed {
  std::vector<double> params;
  std::map<std::string, std::string> texts;
};

// The name fields draw their text with a space after it.
std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

Printed ReadPrinted(const std::string& output) {
  Printed printed;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    int index = 0, x = 0, y = 0;
    double value = 0;
    char text[64] = {};
    if (std::sscanf(line.c_str(), "param %d = %lf", &index, &value) == 2) printed.params.push_back(value);
    if (std::sscanf(line.c_str(), "text %d %d = \"%63[^\"]\"", &x, &y, text) == 3)
      printed.texts[std::to_string(x) + " " + std::to_string(y)] = Trimmed(text);
  }
  return printed;
}

// The record in steps a reader can compare: a run of one controller on one channel
// ("cc B0 4A" with its last value), a sweep of Note Offs 127 down to 1 ("notes off
// 80"), a dump ("dump 1E 00" with its bytes); anything else as it stands.
struct Step {
  std::string what;
  int last = -1;
  Bytes dump;
};

std::vector<Step> Steps(const std::vector<std::string>& lines) {
  std::vector<Step> steps;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Bytes b = RecordBytes(lines[i]);
    if (b.size() == 3 && (b[0] & 0xF0) == 0xB0) {
      const std::string what = "cc " + lines[i].substr(0, 5);
      if (steps.empty() || steps.back().what != what) steps.push_back({what, -1, {}});
      steps.back().last = b[2];
      continue;
    }
    bool sweep = b.size() == 3 && (b[0] & 0xF0) == 0x80 && b[1] == 127 && i + 126 < lines.size();
    for (int k = 1; sweep && k < 127; ++k) {
      const Bytes next = RecordBytes(lines[i + size_t(k)]);
      sweep = next.size() == 3 && next[0] == b[0] && next[1] == 127 - k && next[2] == 0x40;
    }
    if (sweep) {
      steps.push_back({"notes off " + lines[i].substr(0, 2), -1, {}});
      i += 126;
    } else if (b.size() > 6 && b[0] == 0xF0) {
      steps.push_back({"dump " + lines[i].substr(12, 5), -1, b});
    } else {
      steps.push_back({lines[i], -1, {}});
    }
  }
  return steps;
}

std::string At(ScriptPoint p) { return std::to_string(p.first) + " " + std::to_string(p.second); }
std::string WaitText(ScriptPoint p, const std::string& text) { return "wait-text " + At(p) + " 60000 " + text + "\n"; }
std::string Print(int index) { return "print-param " + std::to_string(index) + "\n"; }
std::string Expect(int index, int value) {
  return "expect-param " + std::to_string(index) + " " + std::to_string(value) + "\n";
}

// A unit holding `memory`, into which the dumps the panel sent can be read back.
struct UnitModel {
  SynthSimThreadScheduler scheduler;
  SynthSim sim{Settings(), scheduler, [](const SynthSim::Message&) {}};
  static SynthSimSettings Settings() {
    SynthSimSettings settings;
    settings.deviceId = Evening::kUnitId;
    return settings;
  }
  // The value the unit's reply carries: its own id as the global channel.
  int Value(const Field& field) const {
    return field.name == "kDeviceID" ? Evening::kUnitId : sim.Value(field.name, field.slot);
  }
};

}  // namespace

void EveningFirstRun(Evening& evening) {
  RoadFixture headless;
  const PanelPlaces at = FindPlaces(headless);
  for (ScriptPoint p : {at.status, at.firstRunExit, at.showLibrarian, at.requestFromSynth, at.performanceSettings,
                        at.randomize, at.channelMenuB, at.cutoff[0], at.cutoff[kSlotB], at.performanceName})
    ASSERT_GE(p.first, 0);
  const std::vector<Field> fields = MemoryFields(*headless.plug->uiConfig);
  const std::vector<std::pair<Field, int>> memory = PlayersMemory(headless, fields);
  auto param = [&](const char* name) { return headless.plug->uiConfig->getParamByName(name); };
  const int cutoff = param("kFilterCutoff");
  const int movedKnob = param("kFilterResonance") + kMovedSlot;

  // The unit restarted as its player set it up, with the knob moves to come.
  const std::string root = evening.data().root();
  std::vector<std::string> unitOptions = {"--script", root + "/unit-moves.txt"};
  for (const auto& [field, value] : memory)
    unitOptions.insert(unitOptions.end(), {"--set", field.name, std::to_string(field.slot), std::to_string(value)});
  {
    std::ofstream moves(root + "/unit-moves.txt");
    auto move = [&](int ms, int value) {
      moves << ms << " cc " << kMovedSlot + 1 << " " << kMovedController << " " << value << "\n";
    };
    const int lastAt = kMovesFromMs + kMoveEveryMs * (kLastMove - kFirstMove);
    for (int v = kFirstMove; v < kLastMove; ++v) move(kMovesFromMs + kMoveEveryMs * (v - kFirstMove), v);
    for (int r = 0; r < kLastMoveRepeats; ++r) move(lastAt + kLastMoveEveryMs * r, kLastMove);
  }
  evening.StopUnit();
  ASSERT_TRUE(evening.StartUnit(unitOptions));
  UnitModel unit;
  for (const auto& [field, value] : memory) unit.sim.SetValue(field.name, field.slot, value);

  // The data folder as the run command installs it: the settings file asking for the
  // first-run notice, and the patch folder.
  evening.data().write("Tavro Editor UI.txt", "\nnormal\nno\n");
  std::filesystem::create_directories(evening.data().folder() + "Patches");

  // 1. The notice's button closes it; a knob turned before the ports are chosen.
  std::string script = Click(at.firstRunExit) + WaitText(at.status, "Set MIDI In and MIDI Out") +
                       Drags(at.cutoff[0].first, at.cutoff[0].second) + WaitText(at.status, "Set MIDI I/O First!");
  // 2. The ports by name; the enquiry finds the unit.
  script += ChoosePorts(Evening::kSimName) + WaitText(at.status, "Plug-in is ready to go!");
  // 3. The performance asked for on the librarian page; the last field set arriving
  // says it has. The overlay gone, back to the synthesizer page to read the panel.
  const auto& [lastField, lastValue] = memory.back();
  script += Click(at.showLibrarian) + Click(at.requestFromSynth) + "wait-param " + std::to_string(lastField.index) +
            " " + std::to_string(lastValue) + " 60000\nwait-idle 60000\n" + Click(at.showLibrarian) +
            Expect(param("kShowLibrarian"), 0);
  for (const Field& field : fields) script += Print(field.index);
  for (ScriptPoint name : at.name) script += "print-text " + At(name) + "\n";
  script += "print-text " + At(at.performanceName) + "\n";
  // 4. Knobs on A and B; B onto A's channel in the performance settings, and its knob
  // again; slot C randomised. The unit's last move arriving ends the run.
  script += Drags(at.cutoff[0].first, at.cutoff[0].second) + Print(cutoff) + Click(at.slotTab[kSlotB]) +
            Expect(kQuickTab, kSlotB) + Drags(at.cutoff[kSlotB].first, at.cutoff[kSlotB].second) +
            Print(cutoff + kSlotB);
  // The settings switch at 0 shows them; the link's resend holds the panel a while.
  script += Click(at.performanceSettings) + Expect(param("kMultiSettings"), 0) + "choose 1\n" + Click(at.channelMenuB) +
            Expect(kPartMidiChannel + kSlotB, 1) + "wait-idle 60000\n" + Click(at.performanceSettings) +
            Expect(param("kMultiSettings"), 1);
  script += Drags(at.cutoff[kSlotB].first, at.cutoff[kSlotB].second) + Print(cutoff) + Print(cutoff + kSlotB);
  script += Click(at.slotTab[kSlotC]) + Expect(kQuickTab, kSlotC) + Click(at.randomize) + "wait-idle 60000\n";
  for (int f = 0; f < kPartBlockFieldCount; ++f)
    script += Print(fields[size_t(kSlotC * kPartBlockFieldCount + f)].index);
  script += "wait-param " + std::to_string(movedKnob) + " " + std::to_string(kLastMove) + " 60000\n";

  std::string output;
  const std::vector<std::string> options{"--render-seconds",    "2",          "--state-out",
                                         root + "/state.plist", "--snapshot", root + "/panel.png"};
  // The exit status also covers the host's own save and restore after the script,
  // which the later steps of the evening look at; the script's end is what counts here.
  evening.Run("first-run.txt", script, &output, options);
  ASSERT_NE(output.find("first-run.txt done"), std::string::npos) << output;
  // Built with the sanitizers, the host reports nothing, to its close included.
  for (const char* report : {"Sanitizer", "runtime error:"})
    EXPECT_EQ(output.find(report), std::string::npos) << output;
  const Printed printed = ReadPrinted(output);
  const std::vector<std::string> received = evening.Received();

  // 1. The notice closed for good. The knob turned before the ports went nowhere: the
  // unit's first message is the enquiry's first ask, at the panel's own id 4.
  EXPECT_EQ(evening.data().read("Tavro Editor UI.txt"), "\nnormal\nyes");
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received[0], "F0 33 04 04 28 00 F7");

  // 2. The enquiry asked id after id for the edit performance until 5 answered; the
  // panel's own request followed.
  const size_t request = std::find(received.rbegin(), received.rend(), kRequestFromId5).base() - received.begin();
  ASSERT_GT(request, 1u);
  EXPECT_NE(std::find(received.begin(), received.begin() + long(request) - 1, kRequestFromId5),
            received.begin() + long(request) - 1);
  for (size_t i = 0; i < request; ++i)
    EXPECT_EQ(received[i].substr(9), "04 28 00 F7") << "before the request line " << i << ": " << received[i];

  // 3. Every field of the unit's memory in the panel. The moved knob is not compared:
  // the player may have started.
  ASSERT_GE(printed.params.size(), fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].index == movedKnob) continue;
    EXPECT_EQ(printed.params[i], unit.Value(fields[i])) << fields[i].name << " of slot " << fields[i].slot;
  }
  for (ScriptPoint name : at.name) EXPECT_EQ(printed.texts.at(At(name)), "PerfFromHW") << "a performance without names";
  EXPECT_EQ(printed.texts.at(At(at.performanceName)), "Perf Req.");

  // 4. From the request to the host's own MIDI after the script (controller 7 on
  // channel 1, then a note): the knob runs, the notes off and dumps of the link and
  // the randomiser, nothing of the unit's own moves.
  const std::vector<std::string> hostMidi = {"B0 07 64", "90 3C 64"};
  const auto end = std::search(received.begin() + long(request), received.end(), hostMidi.begin(), hostMidi.end());
  const std::vector<Step> steps = Steps(std::vector<std::string>(received.begin() + long(request), end));
  std::vector<std::string> kinds;
  for (const Step& step : steps) kinds.push_back(step.what);
  const std::vector<std::string> expected = {"cc B0 4A",     "cc B1 4A",     "notes off 80", "notes off 80",
                                             "notes off 82", "notes off 83", "dump 1E 00",   "cc B0 4A",
                                             "notes off 82", "dump 00 02"};
  ASSERT_EQ(kinds, expected);
  const std::vector<double>& knobs = printed.params;
  const size_t k = fields.size();
  ASSERT_GE(knobs.size(), k + 4);
  EXPECT_EQ(steps[0].last, int(knobs[k])) << "slot A's knob as the panel shows it";
  EXPECT_EQ(steps[1].last, int(knobs[k + 1])) << "slot B's knob";
  EXPECT_EQ(steps[7].last, int(knobs[k + 3])) << "slot B's knob, on channel 1";
  EXPECT_EQ(knobs[k + 2], knobs[k + 3]) << "slot A follows B on their channel";

  // The performance the link sent: the unit's memory with the two knobs, B's channel
  // and B shown (and no master tune, as every performance the editor sends).
  UnitModel linked;
  linked.sim.Receive(steps[6].dump.data(), steps[6].dump.size());
  for (const Field& field : fields) {
    int want = unit.Value(field);
    if (field.index == cutoff || field.index == cutoff + kSlotB) want = int(knobs[k + field.slot]);
    if (field.name == "kPartMidiChannel" && field.slot == kSlotB) want = 1;
    if (field.name == "kQuickTab") want = kSlotB;
    if (field.name == "kMasterTune") want = 99;  // a performance sent never carries the tune: 0
    if (field.index == movedKnob) continue;
    EXPECT_EQ(linked.Value(field), want) << field.name << " of slot " << field.slot;
  }
  // The randomised program of slot C as the panel printed it.
  UnitModel randomised;
  randomised.sim.Receive(steps[9].dump.data(), steps[9].dump.size());
  ASSERT_EQ(knobs.size(), k + 4 + kPartBlockFieldCount);
  for (int f = 0; f < kPartBlockFieldCount; ++f) {
    const Field& field = fields[size_t(kSlotC * kPartBlockFieldCount + f)];
    EXPECT_EQ(randomised.Value(field), int(knobs[k + 4 + size_t(f)])) << field.name;
  }
}
