// End to end on a private JACK server with the simulated synthesizer: what the panel's
// model, bank and program choices and the host's MIDI send reach the unit as the panel
// shows them. The test host clicks the panel; the simulator records what it receives.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

#include "Framework/ControlLayer.h"
#include "Framework/IControlText.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "RoadTestSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"

namespace {

constexpr const char* kUnitChoicesSimName = "Choices Sim";
constexpr int kCutoff = 0;  // slot A's filter cutoff (controller 74), + slot
constexpr int kGlobalProgChange = 312;

// Where the panel shows `paramIdx` once `setup` has run on a headless editor.
template <class Setup>
std::pair<int, int> CentreAfter(int paramIdx, Setup setup) {
  RoadFixture f;
  setup(f);
  return ShownCentre(f.action(paramIdx));
}

std::pair<int, int> CentreOf(int paramIdx) {
  return CentreAfter(paramIdx, [](RoadFixture&) {});
}

std::string ChooseAndClick(const std::string& item, std::pair<int, int> at) {
  return "choose " + item + "\nclick " + PointText(at) + "\n";
}

constexpr int kHostProgramChangesPass = 593, kUnitProgramChangesPass = 600;

// A switch of the MIDI filters window as a script turns it on: the window opened, the
// switch clicked and seen on, the window closed. Points from a headless editor.
struct FilterSwitch {
  int paramIdx;
  std::pair<int, int> open, at, close;

  bool Found() const { return open.first >= 0 && at.first >= 0 && close.first >= 0; }
  std::string TurnOn() const {
    return Click(open) + Click(at) + "expect-param " + std::to_string(paramIdx) + " 1\n" + Click(close);
  }
};

FilterSwitch FilterSwitchOf(int paramIdx) {
  const auto inFilters = [](RoadFixture& f) { f.edit(kViewMIDIFilterSettings, 1); };
  return {paramIdx, CentreOf(kViewMIDIFilterSettings), CentreAfter(paramIdx, inFilters),
          CentreAfter(kCloseMIDIFilterSettings, inFilters)};
}

// The program and bank menus below the slots, read from a headless editor.
std::pair<int, int> MenuCentre(int menu) {
  RoadFixture f;
  return Centre(f.plug->keptControls().librarianMenus[size_t(menu)]);
}

struct ChoicesJack : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(server.Start()); }
  void TearDown() override { server.Stop(); }
  // Runs the host by `body` after choosing the simulator's ports and waiting for the
  // enquiry to end, then waits while the unit still runs until `arrived` holds (what
  // the host sent last may still be on the wire); returns what the host printed.
  std::string Run(const std::string& body, const std::vector<std::string>& simOptions,
                  const std::function<bool()>& arrived = {}) {
    std::vector<std::string> options = simOptions;
    options.insert(options.end(), {"--wire-time", "--record", record()});
    // The unit at id 4 unless a test says otherwise: found at once, 4 is the global channel.
    if (std::find(options.begin(), options.end(), "--device-id") == options.end())
      options.insert(options.end(), {"--device-id", "4"});
    SimProcess sim;
    EXPECT_TRUE(sim.Start(kUnitChoicesSimName, options, data.root() + "/sim.txt"));
    const std::string script = data.root() + "/script.txt";
    std::ofstream(script) << ChoosePorts(kUnitChoicesSimName) << UntilReady() << body;
    std::string output;
    RunTavroHost(data.root(), script, &output);
    EXPECT_NE(output.find("script.txt done"), std::string::npos) << output;
    if (arrived) {
      EXPECT_TRUE(SimProcess::WaitFor(arrived)) << output << received();
    }
    return output;
  }
  std::string record() const { return data.root() + "/record.txt"; }
  std::vector<std::string> recorded() const { return SimProcess::Lines(record()); }
  // What the unit received but the notes off, for a failure's message.
  std::string received() const {
    std::string lines;
    for (const std::string& line : recorded())
      if (line.rfind("8", 0) != 0) lines += line.substr(0, 40) + "\n";
    return lines;
  }
  // Whether the unit received `line` and then the request of `slot`'s program.
  bool RequestedAfter(const std::string& line, int slot) const {
    const size_t at = Find(line);
    return at != std::string::npos && Find("F0 33 04 04 0A 0" + std::to_string(slot) + " F7", at) != std::string::npos;
  }
  // The index of the first recorded line `line` at or after `from`; npos when none.
  size_t Find(const std::string& line, size_t from = 0) const {
    const std::vector<std::string> lines = recorded();
    for (size_t i = from; i < lines.size(); ++i)
      if (lines[i] == line) return i;
    return std::string::npos;
  }

  JackTestServer server;
  TempDataRoot data;
};

// The program dumps the unit received (longer than any request), by device byte.
std::map<int, int> DumpsById(const std::vector<std::string>& lines) {
  std::map<int, int> byId;
  for (const std::string& line : lines) {
    const std::vector<uint8_t> bytes = RecordBytes(line);
    if (bytes.size() > 100 && bytes[0] == 0xF0 && bytes[1] == 0x33) ++byId[bytes[2]];
  }
  return byId;
}

// A unit of `simModel` found at id 6; the panel switched to `panelModel` on its
// menu; then Rand and a velocity knob of slot A.
void ModelSwitchKeepsTheUnitsId(ChoicesJack& run, int simModel, int panelModel, const std::string& modelItem) {
  const auto modelMenu = CentreOf(kNordModel);
  const auto rand = CentreOf(kRandomize);
  const auto velocityPage = CentreOf(kShowVelomap);
  RoadFixture names;
  const int velocityCutoff = names.plug->editorParamIndex("kVFilterCutoff");
  ASSERT_GE(velocityCutoff, 0);
  const auto velocityKnob = CentreAfter(velocityCutoff, [&](RoadFixture& f) {
    f.edit(kNordModel, panelModel);
    f.edit(kShowVelomap, 1);
  });
  for (const auto& at : {modelMenu, rand, velocityPage, velocityKnob}) ASSERT_GE(at.first, 0);
  const std::string output = run.Run(
      ChooseAndClick(modelItem, modelMenu) + "expect-param " + std::to_string(int(kNordModel)) + " " +
          std::to_string(panelModel) + "\nexpect-param " + std::to_string(int(kDeviceID)) + " 6\n" + Click(rand) +
          "wait-idle 60000\n" + Click(velocityPage) + "expect-param " + std::to_string(int(kShowVelomap)) + " 1\n" +
          Drags(velocityKnob.first, velocityKnob.second) + "wait-idle 60000\n",
      {"--device-id", "6", "--model", std::to_string(simModel)}, [&] { return DumpsById(run.recorded())[6] >= 2; });
  // Rand's dump and at least one of the knob's, all to the unit's own id.
  const std::map<int, int> dumps = DumpsById(run.recorded());
  EXPECT_GE(dumps.count(6) ? dumps.at(6) : 0, 2) << output;
  EXPECT_EQ(dumps.size(), dumps.count(6)) << "a dump to another id" << output;
}

TEST_F(ChoicesJack, AnNL1FoundAtItsIdKeepsItThroughTheModelSwitch) { ModelSwitchKeepsTheUnitsId(*this, 0, 0, "NL1"); }

TEST_F(ChoicesJack, AnNL2xFoundAtItsIdKeepsItThroughTheModelSwitch) { ModelSwitchKeepsTheUnitsId(*this, 2, 2, "NL2x"); }

TEST_F(ChoicesJack, Program25ThenBank2SendsProgram25) {
  const auto programs = MenuCentre(kProgramNumberMenu), banks = MenuCentre(kBankNumberMenu);
  ASSERT_GE(programs.first, 0);
  ASSERT_GE(banks.first, 0);
  const std::string output =
      Run(ChooseAndClick("21-30/Program 25", programs) + "wait-idle 60000\n" + ChooseAndClick("Bank 2 (CARD)", banks) +
              "wait-idle 60000\nexpect-param " + std::to_string(int(kCurrentProgram)) + " 24\nexpect-param " +
              std::to_string(int(kCurrentBank)) + " 2\n",
          {}, [&] { return RequestedAfter("B0 20 02", 0); });
  const size_t bank = Find("B0 20 02");
  ASSERT_NE(bank, std::string::npos) << output;
  const std::vector<std::string> lines = recorded();
  const auto change = std::find_if(lines.begin() + long(bank), lines.end(),
                                   [](const std::string& line) { return line.rfind("C0 ", 0) == 0; });
  ASSERT_NE(change, lines.end()) << output;
  EXPECT_EQ(*change, "C0 18");
  // And the slot's program asked for after it.
  EXPECT_NE(Find("F0 33 04 04 0A 00 F7", size_t(change - lines.begin())), std::string::npos) << received();
}

TEST_F(ChoicesJack, AProgramChosenDuringATabChangesDumpArrivesAndIsRequested) {
  const auto allowPartChange = CentreOf(kAllowPartChange);
  const auto programs = MenuCentre(kProgramNumberMenu);
  ASSERT_GE(allowPartChange.first, 0);
  ASSERT_GE(programs.first, 0);
  // With part changes allowed, slot B's tab sends the performance; the program is
  // chosen while that runs.
  const std::string output =
      Run(Click(allowPartChange) + "expect-param " + std::to_string(int(kAllowPartChange)) + " 1\n" + ClickSlotTab(1) +
              ChooseAndClick("21-30/Program 25", programs) + "wait-idle 60000\nexpect-param " +
              std::to_string(int(kCurrentProgram) + 1) + " 24\n",
          {}, [&] { return RequestedAfter("C1 18", 1); });
  const size_t change = Find("C1 18");
  ASSERT_NE(change, std::string::npos) << output << received();
  EXPECT_NE(Find("F0 33 04 04 0A 01 F7", change), std::string::npos) << received();
}

TEST_F(ChoicesJack, AGlobalProgramChangeOverThreeLinkedSlotsRequestsAllThree) {
  const auto linkAB = CentreOf(kGlobalLink), linkBC = CentreOf(kGlobalLink + 1);
  const FilterSwitch hostPrograms = FilterSwitchOf(kHostProgramChangesPass);
  for (const auto& at : {linkAB, linkBC}) ASSERT_GE(at.first, 0);
  ASSERT_TRUE(hostPrograms.Found());
  // The host's program changes let through (held back at first), A-B and B-C linked;
  // the global channel is the unit's id, 4 (channel 5).
  const std::string output =
      Run(hostPrograms.TurnOn() + Click(linkAB) + Click(linkBC) + "expect-param " + std::to_string(kGlobalProgChange) +
              " 1\nmidi C4 05\nrender 1\nwait-idle 60000\n",
          {}, [&] { return RequestedAfter("C0 05", 0) && RequestedAfter("C1 05", 1) && RequestedAfter("C2 05", 2); });
  for (int slot = 0; slot < 3; ++slot) {
    const std::string channel = "C" + std::to_string(slot) + " 05";
    const size_t change = Find(channel);
    EXPECT_NE(change, std::string::npos) << channel << output << received();
    EXPECT_NE(Find("F0 33 04 04 0A 0" + std::to_string(slot) + " F7", change == std::string::npos ? 0 : change),
              std::string::npos)
        << "slot " << slot << output;
  }
  EXPECT_EQ(Find("F0 33 04 04 0A 03 F7"), std::string::npos) << "slot D is not linked";
}

TEST_F(ChoicesJack, SlotCOnChannel7FollowsAHostControlChange) {
  const auto settings = CentreOf(kMultiSettings);
  const auto slotCChannel = CentreAfter(kPartMidiChannel + 2, [](RoadFixture& f) { f.edit(kMultiSettings, 0); });
  ASSERT_GE(settings.first, 0);
  ASSERT_GE(slotCChannel.first, 0);
  const std::string output = Run(Click(settings) + ChooseAndClick("7", slotCChannel) + "expect-param " +
                                     std::to_string(int(kPartMidiChannel) + 2) + " 7\nwait-idle 60000\nexpect-param " +
                                     std::to_string(kCutoff + 2) + " 127\nmidi B6 4A 05\nwait-param " +
                                     std::to_string(kCutoff + 2) + " 5 10000\n",
                                 {});
  EXPECT_NE(Find("B6 4A 05"), std::string::npos) << output;
}

// An NL2x at id 9: the panel's model menu, then Bank 9 and Program 99 from the menus and
// Prog Up: the ten-bank layer's read-out follows each choice, as the unit received it.
TEST_F(ChoicesJack, OnAnNL2xAt9TheProgramReadoutFollowsTheMenusAndTheArrow) {
  const auto modelMenu = CentreOf(kNordModel);
  const auto tenBanks = [](RoadFixture& f) { f.edit(kNordModel, 2); };
  const auto banks = MenuCentre(kBankNumberMenu), programs = MenuCentre(kProgramNumberMenu);
  const auto up = CentreAfter(kPatchUp, tenBanks);
  for (const auto& at : {modelMenu, banks, programs, up}) ASSERT_GE(at.first, 0);
  const auto expect = [](int paramIdx, int value) {
    return "expect-param " + std::to_string(paramIdx) + " " + std::to_string(value) + "\n";
  };
  const std::string output =
      Run(ChooseAndClick("NL2x", modelMenu) + expect(kNordModel, 2) + expect(kDeviceID, 9) +
              ChooseAndClick("Bank 9 (ROM)", banks) + "wait-idle 60000\n" +
              ChooseAndClick("91-99/Program 99", programs) + "wait-idle 60000\n" + expect(kCurrentProgram2x, 98) +
              expect(kCurrentBank2x, 9) + Click(up) + "wait-idle 60000\n" + expect(kCurrentProgram2x, 0),
          {"--device-id", "9", "--model", "2"}, [&] { return Find("C0 00", Find("C0 62")) != std::string::npos; });
  const size_t bank = Find("B0 20 09");
  ASSERT_NE(bank, std::string::npos) << output << received();
  EXPECT_NE(Find("C0 62", bank), std::string::npos) << received();
}

// The texts the host printed for its print-text lines at `at`, in order, without the
// blank a caption's empty label leaves at their end.
std::vector<std::string> PrintedTexts(const std::string& output, std::pair<int, int> at) {
  const std::string head = "text " + PointText(at) + " = \"";
  std::vector<std::string> texts;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(head, 0) != 0 || line.size() <= head.size()) continue;
    std::string text = line.substr(head.size(), line.size() - head.size() - 1);
    texts.push_back(text.erase(text.find_last_not_of(' ') + 1));
  }
  return texts;
}

// The Bank/Prog read-out through the host: a slot's program chosen on the menus, the
// Perf switch on (the read-out shows the performance, Prog Up steps from it on the
// global channel), then off (the slot's own program again, and Prog Down steps from it).
void ThePerfSwitchMovesTheReadout(ChoicesJack& t, int model, const std::string& modelItem) {
  const auto modelMenu = CentreOf(kNordModel), perfSwitch = CentreOf(kDatamode);
  const auto banks = MenuCentre(kBankNumberMenu), programs = MenuCentre(kProgramNumberMenu);
  const auto up = CentreOf(kPatchUp), down = CentreOf(kPatchDown);
  RoadFixture f;
  const ControlLayer* readout = f.plug->layer("patchProgramControls1nl2");
  ASSERT_NE(readout, nullptr);
  const auto bankAt = Centre(readout->GetControl(0)), programAt = Centre(readout->GetControl(1));
  for (const auto& at : {modelMenu, perfSwitch, banks, programs, up, down, bankAt, programAt}) ASSERT_GE(at.first, 0);
  const std::string look = "print-text " + PointText(bankAt) + "\nprint-text " + PointText(programAt) + "\n";
  const std::string bankItem = model == 2 ? "Bank 1 (RAM)" : "Bank 1 (CARD)";
  const std::string perfMode = "expect-param " + std::to_string(int(kDatamode));
  const std::string output =
      t.Run(ChooseAndClick(modelItem, modelMenu) + "expect-param " + std::to_string(int(kNordModel)) + " " +
                std::to_string(model) + "\nwait-idle 60000\n" + ChooseAndClick(bankItem, banks) + "wait-idle 60000\n" +
                ChooseAndClick("21-30/Program 23", programs) + "wait-idle 60000\n" + look + Click(perfSwitch) +
                perfMode + " 1\nwait-idle 60000\n" + look + Click(up) + "wait-idle 60000\n" + look + Click(perfSwitch) +
                perfMode + " 0\nwait-idle 60000\n" + look + Click(down) + "wait-idle 60000\n" + look,
            {"--model", std::to_string(model)}, [&] { return t.Find("C0 15", t.Find("C4 01")) != std::string::npos; });
  const std::vector<std::string> shownBanks = PrintedTexts(output, bankAt);
  const std::vector<std::string> shownPrograms = PrintedTexts(output, programAt);
  ASSERT_EQ(shownBanks.size(), 5u) << output;
  ASSERT_EQ(shownPrograms.size(), 5u) << output;
  const auto shown = [&](size_t i) { return shownBanks[i] + shownPrograms[i]; };
  EXPECT_EQ(shown(0), "1.23");
  // The performance the enquiry brought in is 1 of bank 0; Prog Up chose 2 on the
  // global channel (the unit's id 4), as the read-out says.
  EXPECT_EQ(shown(1), "0. 1") << output;
  EXPECT_NE(t.Find("C4 01"), std::string::npos) << t.received();
  EXPECT_EQ(shown(2), "0. 2") << output;
  // Back on the slot: its own program, which the performance did not take, and Prog
  // Down from there.
  EXPECT_EQ(shown(3), "1.23") << output;
  EXPECT_NE(t.Find("C0 15", t.Find("B0 20 01", t.Find("C4 01"))), std::string::npos) << t.received();
  EXPECT_EQ(shown(4), "1.22") << output;
}

TEST_F(ChoicesJack, ThePerfSwitchMovesTheReadoutOnAnNL1) { ThePerfSwitchMovesTheReadout(*this, 0, "NL1"); }
TEST_F(ChoicesJack, ThePerfSwitchMovesTheReadoutOnAnNL2) { ThePerfSwitchMovesTheReadout(*this, 1, "NL2"); }
TEST_F(ChoicesJack, ThePerfSwitchMovesTheReadoutOnAnNL2x) { ThePerfSwitchMovesTheReadout(*this, 2, "NL2x"); }

// The unit's own performance change at id 4 (channel 5), played on its front panel
// while the page shows slot A's program 14: the performance it loads holds program 1
// of bank 0 in slot A, and the ten-bank read-out shows that.
TEST_F(ChoicesJack, APerformanceArrivingOnAnNL2xMovesTheProgramReadout) {
  const auto modelMenu = CentreOf(kNordModel), programs = MenuCentre(kProgramNumberMenu);
  const FilterSwitch unitPrograms = FilterSwitchOf(kUnitProgramChangesPass);
  RoadFixture f;
  const ControlLayer* readout = f.plug->layer("patchProgramControls1nl2x");
  ASSERT_NE(readout, nullptr);
  const auto programAt = Centre(readout->GetControl(1));
  for (const auto& at : {modelMenu, programs, programAt}) ASSERT_GE(at.first, 0);
  ASSERT_TRUE(unitPrograms.Found());
  const std::string front = data.root() + "/front.txt";
  std::ofstream(front) << "15000 pc 5 3\n";
  const std::string output =
      Run(ChooseAndClick("NL2x", modelMenu) + "expect-param " + std::to_string(int(kNordModel)) +
              " 2\nwait-idle 60000\n" + unitPrograms.TurnOn() + ChooseAndClick("11-20/Program 14", programs) +
              "wait-idle 60000\nprint-text " + PointText(programAt) + "\nwait-param " +
              std::to_string(int(kCurrentPerfProgram2x)) + " 3 60000\nwait-idle 60000\nwait-param " +
              std::to_string(int(kCurrentProgram2x)) + " 0 10000\nprint-text " + PointText(programAt) + "\n",
          {"--model", "2", "--script", front});
  const std::vector<std::string> shown = PrintedTexts(output, programAt);
  ASSERT_EQ(shown.size(), 2u) << output;
  EXPECT_EQ(shown[0], "14");
  EXPECT_EQ(shown[1], " 1") << output;
  // Asked for after the enquiry's, when the unit changed its performance.
  const std::vector<std::string> lines = recorded();
  EXPECT_GE(std::count(lines.begin(), lines.end(), "F0 33 04 04 28 00 F7"), 2) << received();
}

// The host's bank 12 and program 128 for slot B on channel 9: the unit receives the
// last bank and program of its model, which the read-out shows.
TEST_F(ChoicesJack, HostValuesPastTheRangeReachTheUnitAsTheReadoutShowsThem) {
  const auto settings = CentreOf(kMultiSettings);
  const auto slotBChannel = CentreAfter(kPartMidiChannel + 1, [](RoadFixture& f) { f.edit(kMultiSettings, 0); });
  const FilterSwitch hostPrograms = FilterSwitchOf(kHostProgramChangesPass);
  RoadFixture f;
  const ControlLayer* readout = f.plug->layer("patchProgramControls2nl2");
  ASSERT_NE(readout, nullptr);
  const auto bankAt = Centre(readout->GetControl(0)), programAt = Centre(readout->GetControl(1));
  for (const auto& at : {settings, slotBChannel, bankAt, programAt}) ASSERT_GE(at.first, 0);
  ASSERT_TRUE(hostPrograms.Found());
  const std::string output =
      Run(Click(settings) + ChooseAndClick("9", slotBChannel) + "expect-param " +
              std::to_string(int(kPartMidiChannel) + 1) + " 9\nwait-idle 60000\n" + Click(settings) +
              hostPrograms.TurnOn() + "midi B8 20 0C\nmidi C8 7F\nrender 1\nwait-idle 60000\n" + ClickSlotTab(1) +
              "print-text " + PointText(bankAt) + "\nprint-text " + PointText(programAt) + "\n",
          {}, [&] { return RequestedAfter("C8 62", 1); });
  EXPECT_EQ(PrintedTexts(output, bankAt), std::vector<std::string>{"3."}) << output;
  EXPECT_EQ(PrintedTexts(output, programAt), std::vector<std::string>{"99"}) << output;
  EXPECT_NE(Find("B8 20 03"), std::string::npos) << received();
  for (const char* past : {"B8 20 0C", "C8 63", "C8 7F"})
    EXPECT_EQ(Find(past), std::string::npos) << past << received();
}

// A unit of the other models at id 9: what it makes of the panel's slot request is
// said on the status line, and nothing it sends is loaded into slot A.
struct OtherModelCase {
  int panelModel;
  const char* panelModelName;
  const char* unitModel;
  const char* request;  // the slot request the unit receives
  const char* text;
};

void AUnitOfAnotherModelIsNamed(ChoicesJack& t, const OtherModelCase& c) {
  const auto modelMenu = CentreOf(kNordModel), programs = MenuCentre(kProgramNumberMenu);
  for (const auto& at : {modelMenu, programs}) ASSERT_GE(at.first, 0);
  RoadFixture f;
  const std::string status = PointText(Centre(f.plug->keptControls().statusText));
  const std::string cutoff = std::to_string(kCutoff);
  const std::string output =
      t.Run(ChooseAndClick(c.panelModelName, modelMenu) + "expect-param " + std::to_string(int(kNordModel)) + " " +
                std::to_string(c.panelModel) + "\nwait-idle 60000\nexpect-param " + cutoff + " 127\n" +
                ChooseAndClick("01-10/Program 01", programs) + "wait-text " + status + " 60000 " + c.text +
                "\nwait-idle 60000\nexpect-param " + cutoff + " 127\n",
            {"--device-id", "9", "--model", c.unitModel, "--set", "kFilterCutoff", "0", "33"});
  EXPECT_NE(t.Find(c.request), std::string::npos) << output << t.received();
}

TEST_F(ChoicesJack, AnNL2xUnitLeavingTheNL2PanelsRequestUnansweredIsNamed) {
  AUnitOfAnotherModelIsNamed(*this,
                             {1, "NL2", "2", "F0 33 09 04 0A 00 F7", "Unit answers NL2x requests: check model!"});
}

TEST_F(ChoicesJack, AnNL1UnitAnsweringTheNL2xPanelsRequestWithAStoredProgramIsNamed) {
  AUnitOfAnotherModelIsNamed(*this, {2, "NL2x", "0", "F0 33 09 04 0E 00 F7", "Bank 3 Prog 1 sent: check model!"});
}

}  // namespace
