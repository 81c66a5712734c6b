// The Bank/Prog read-outs and the status line, with the simulated synthesizer on the
// editor's ports and the virtual clock: the menus, the arrows, the unit's and the
// host's program changes, a unit of another model answering, a request kept during a
// store, and ports set to OFF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "layout/ControlAction.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/SendOutcome.h"

namespace {

using P = TavroParam;
using Bytes = std::vector<unsigned char>;
constexpr int kHostProgramChangesPass = 593, kUnitProgramChangesPass = 600;

SynthSimSettings UnitAs(int id, int model) {
  SynthSimSettings settings;
  settings.deviceId = id;
  settings.model = model;
  return settings;
}

// The panel set to `panelModel`, on the ports of a unit of `unitModel` at id `id`
// (the panel addresses that id), hardware mode, program changes on.
struct UnitPage : LibrarianPage {
  UnitPage(int panelModel, int unitModel, int id) : LibrarianPage(Banks{{"Bank A.syx", "A"}}, UnitAs(id, unitModel)) {
    plug->GetParam(kNordModel)->Set(panelModel);
    plug->OnParamChange(kNordModel);
    plugIn();
    // As the enquiry's answer leaves it: the unit's id is the global channel.
    plug->GetParam(kDeviceID)->Set(id);
    edit(P::kGlobalProgChange, 1.0);
  }
  void edit(int paramIdx, double value) {
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }
  // Lets worker (transfer) run what it runs and keeps, on virtual time.
  void settle() {
    MIDIMessageManager& m = *plug->midiManager;
    while (m.isRunning(MIDIMessageManager::kTransferThread) || m.pendingResends() > 0) Kit_Time().SleepMicros(1000);
  }
  void chooseIn(int menu, const char* layer, const std::string& item) {
    backend.ScriptPopupChoiceText(item);
    clickMenu(layer, menu);
    settle();
  }
  int value(int paramIdx) const { return plug->GetParam(paramIdx)->Int(); }
  void showStatus(const std::string& text) { plug->showStatus(text); }
  // Later checks look at what is sent from now on.
  void markSent() { mark = synth->Sim().Received().size(); }
  // What the unit received since the mark.
  std::vector<Bytes> sentSinceMark() const {
    const auto all = synth->Sim().Received();
    return {all.begin() + long(std::min(mark, all.size())), all.end()};
  }
  // The requests the unit received, as "type number".
  std::vector<std::string> requests() {
    std::vector<std::string> found;
    for (const Bytes& m : sentSinceMark())
      if (m.size() == 7 && m[0] == 0xF0 && m[1] == 0x33)
        found.push_back(std::to_string(m[4]) + " " + std::to_string(m[5]));
    return found;
  }
  bool requested(int type, int number) {
    const auto all = requests();
    return std::find(all.begin(), all.end(), std::to_string(type) + " " + std::to_string(number)) != all.end();
  }
  // Whether `wanted` was sent in this order, other messages between.
  bool sentInOrder(const std::vector<Bytes>& wanted) {
    size_t at = 0;
    for (const Bytes& m : sentSinceMark())
      if (at < wanted.size() && m == wanted[at]) ++at;
    return at == wanted.size();
  }
  size_t mark = 0;
};

// The Bank/Prog read-out the panel shows: the shown selector layer's name and its two
// captions' texts ("1. 23").
struct Readout {
  std::string layer, text;
  int bankParam = -1, programParam = -1;
};

Readout Shown(UnitPage& page) {
  static const char* const kLayers[] = {"patchProgramControls1nl2",      "patchProgramControls2nl2",
                                        "patchProgramControls3nl2",      "patchProgramControls4nl2",
                                        "patchProgramControls1nl2x",     "patchProgramControls2nl2x",
                                        "patchProgramControls3nl2x",     "patchProgramControls4nl2x",
                                        "performanceProgramControlsNL2", "performanceProgramControlsNL2x"};
  Readout shown;
  for (const char* name : kLayers) {
    const ControlLayer* layer = page.plug->layer(name);
    if (!layer || !layer->IsShown()) continue;
    EXPECT_TRUE(shown.layer.empty()) << "two read-outs shown: " << shown.layer << ", " << name;
    shown.layer = name;
    if (layer->NControls() < 2) continue;
    shown.bankParam = layer->GetControl(0)->ParamIdx();
    shown.programParam = layer->GetControl(1)->ParamIdx();
    for (int param : {shown.bankParam, shown.programParam}) {
      const IParam* p = page.plug->GetParam(param);
      shown.text += (shown.text.empty() ? "" : " ") + std::string(p->GetDisplayText(p->Int()));
    }
  }
  return shown;
}

std::string BankItem(int model, int bank) {
  const bool ram = bank == 0 || (model == 2 && bank <= 3);
  return "Bank " + std::to_string(bank) + (ram ? " (RAM)" : model == 2 ? " (ROM)" : " (CARD)");
}

// The page put into performance mode shows the performance, and Prog Up steps from
// it on the global channel; on each model.
TEST(UnitReadouts, ThePerfSwitchShowsThePerformanceAndProgUpStepsFromIt) {
  for (int model : {0, kNL2, kNL2x}) {
    SCOPED_TRACE(model);
    const int id = 6;
    UnitPage page(model, model, id);
    page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS", BankItem(model, 1));
    page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "21-30/Program 23");
    Readout slot = Shown(page);
    EXPECT_EQ(slot.text, "1. 23");
    EXPECT_EQ(slot.layer, model == kNL2x ? "patchProgramControls1nl2x" : "patchProgramControls1nl2");
    page.edit(kDatatype, 1.0);
    page.settle();
    const Readout perf = Shown(page);
    EXPECT_EQ(perf.layer, model == kNL2x ? "performanceProgramControlsNL2x" : "performanceProgramControlsNL2");
    const int perfProgram = page.value(model == kNL2x ? P::kCurrentPerfProgram2x : P::kCurrentPerfProgram);
    const int perfBank = page.value(model == kNL2x ? P::kCurrentPerfBank2x : P::kCurrentPerfBank);
    EXPECT_EQ(perf.programParam, model == kNL2x ? int(P::kCurrentPerfProgram2x) : int(P::kCurrentPerfProgram));
    page.markSent();
    page.edit(kPatchUp, 1.0);
    page.settle();
    const unsigned char global = static_cast<unsigned char>(id);
    EXPECT_TRUE(
        page.sentInOrder({{static_cast<unsigned char>(0xB0 + global), 0x20, static_cast<unsigned char>(perfBank)},
                          {static_cast<unsigned char>(0xC0 + global), static_cast<unsigned char>(perfProgram + 1)}}));
    EXPECT_EQ(Shown(page).text,
              std::to_string(perfBank) + ". " + (perfProgram + 2 <= 9 ? " " : "") + std::to_string(perfProgram + 2));
  }
}

// Back in program mode after a performance was chosen, the read-out shows the slot's
// program again and Prog Down steps from what it shows.
TEST(UnitReadouts, LeavingPerformanceModeShowsTheSlotsProgramAndProgDownStepsFromIt) {
  UnitPage page(kNL2x, kNL2x, 9);
  page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS", "Bank 9 (ROM)");
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "01-10/Program 05");
  EXPECT_EQ(Shown(page).text, "9.  5");
  page.edit(kDatatype, 1.0);
  page.settle();
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "31-40/Program 38");
  EXPECT_EQ(Shown(page).text, "0. 38");
  page.edit(kDatatype, 0.0);
  page.settle();
  const Readout slot = Shown(page);
  EXPECT_EQ(slot.layer, "patchProgramControls1nl2x");
  const int bank = page.value(slot.bankParam), program = page.value(slot.programParam);
  page.markSent();
  page.edit(kPatchDown, 1.0);
  page.settle();
  const unsigned char down = static_cast<unsigned char>(program == 0 ? 98 : program - 1);
  EXPECT_TRUE(page.sentInOrder({{0xB0, 0x20, static_cast<unsigned char>(bank)}, {0xC0, down}})) << "from " << slot.text;
  EXPECT_EQ(page.value(slot.programParam), down);
}

// A performance stepped to with Prog Up leaves the slot's program as it was: back in
// program mode the read-out shows the slot's program and Prog Down steps from it.
TEST(UnitReadouts, ProgUpInPerformanceModeLeavesTheSlotsProgram) {
  for (int model : {0, kNL2, kNL2x}) {
    SCOPED_TRACE(model);
    UnitPage page(model, model, 6);
    page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS", BankItem(model, 1));
    page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "21-30/Program 23");
    ASSERT_EQ(Shown(page).text, "1. 23");
    page.edit(kDatatype, 1.0);
    page.settle();
    page.edit(kPatchUp, 1.0);
    page.settle();
    page.edit(kDatatype, 0.0);
    page.settle();
    EXPECT_EQ(Shown(page).text, "1. 23");
    page.markSent();
    page.edit(kPatchDown, 1.0);
    page.settle();
    EXPECT_TRUE(page.sentInOrder({{0xB0, 0x20, 1}, {0xC0, 21}}));
    EXPECT_EQ(Shown(page).text, "1. 22");
  }
}

// A performance chosen in performance mode whose reply comes only after the page has
// left that mode: the slots keep the choice they show out of performance mode.
TEST(UnitReadouts, APerformanceReplyAfterLeavingPerformanceModeLeavesTheSlotsChoice) {
  UnitPage page(kNL2x, kNL2x, 9);
  page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS", "Bank 9 (ROM)");
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "01-10/Program 05");
  ASSERT_EQ(Shown(page).text, "9.  5");
  page.edit(kDatatype, 1.0);
  page.settle();
  // The unit's performance holds other programs, and its reply takes its time.
  for (int s = 0; s < 4; ++s) {
    ASSERT_TRUE(page.synth->Sim().SetValue("kCurrentProgram", s, 30 + s));
    ASSERT_TRUE(page.synth->Sim().SetValue("kCurrentBank2x", s, 2));
  }
  SynthSimSettings slow = page.synth->Sim().Settings();
  slow.replyLatencyMicros = 600 * 1000;
  page.synth->Sim().SetSettings(slow);
  page.markSent();
  page.backend.ScriptPopupChoiceText("31-40/Program 38");
  page.clickMenu("PROGRAMNUMBERMENU", kProgramNumberMenu);
  MIDIMessageManager& manager = *page.plug->midiManager;
  while (manager.isRunning(MIDIMessageManager::kTransferThread) && !page.requested(0x28, 0))
    Kit_Time().SleepMicros(1000);
  ASSERT_TRUE(manager.isRunning(MIDIMessageManager::kTransferThread)) << "the reply came before the switch";
  page.edit(kDatatype, 0.0);
  page.settle();
  EXPECT_EQ(page.status(), "Data processed - Ready!") << "the reply was taken";
  EXPECT_EQ(Shown(page).text, "9.  5");
  EXPECT_EQ(page.value(P::kCurrentProgram2x), 4);
  EXPECT_EQ(page.value(P::kCurrentBank2x), 9);
}

// The unit's own performance change brings its performance in: the slot's program
// read-out of the ten-bank model shows the program the performance holds.
TEST(UnitReadouts, APerformanceArrivingOnAnNL2xMovesTheProgramReadout) {
  UnitPage page(kNL2x, kNL2x, 13);
  page.edit(kUnitProgramChangesPass, 1.0);
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "11-20/Program 14");
  EXPECT_EQ(Shown(page).text, "0. 14");
  for (int s = 0; s < 4; ++s) {
    ASSERT_TRUE(page.synth->Sim().SetValue("kCurrentProgram", s, 1 + s));
    ASSERT_TRUE(page.synth->Sim().SetValue("kCurrentBank2x", s, 2));
  }
  IMidiMsg global(0, 0xC0 + 13, 0x05, 0);
  page.plug->ProcessMidiMsg(&global, true);
  page.settle();
  ASSERT_TRUE(page.requested(0x28, 0));
  EXPECT_EQ(Shown(page).text, "2.  2") << "slot A holds program 1 of bank 2";
  for (int s = 0; s < 4; ++s) EXPECT_EQ(page.value(P::kCurrentProgram2x + s), 1 + s) << s;
}

// A host's bank or program past the model's reaches the unit as the read-out shows it.
TEST(UnitReadouts, HostValuesPastTheRangeAreSentAsTheReadoutShowsThem) {
  for (int model : {kNL2, kNL2x}) {
    SCOPED_TRACE(model);
    UnitPage page(model, model, 13);
    page.edit(kHostProgramChangesPass, 1.0);
    page.edit(kPartMidiChannel + 1, 9);  // slot B
    page.settle();
    page.markSent();
    for (const Bytes& message : {Bytes{0xB8, 0x20, 0x0C}, Bytes{0xC8, 0x7F}}) {
      IMidiMsg msg(0, message[0], message[1], message.size() > 2 ? message[2] : 0);
      Kit_MutexLock hold(page.plug->pluginMutex());
      page.plug->ProcessMidiMsg(&msg, false);
    }
    page.settle();
    const int lastBank = model == kNL2x ? 9 : 3;
    page.edit(kQuickTab, 1);
    page.settle();
    EXPECT_EQ(Shown(page).text, std::to_string(lastBank) + ". 99");
    int banks = 0, programs = 0;
    for (const Bytes& m : page.sentSinceMark()) {
      if (m.size() == 3 && m[0] == 0xB8 && m[1] == 0x20) {
        ++banks;
        EXPECT_EQ(m[2], lastBank);
      }
      if (m.size() == 2 && m[0] == 0xC8) {
        ++programs;
        EXPECT_EQ(m[1], 98);
      }
    }
    EXPECT_GE(banks, 1);
    EXPECT_GE(programs, 1);
  }
}

TEST(UnitReadouts, OnAnNL2xTheProgramReadoutFollowsTheMenusAndTheArrows) {
  UnitPage page(kNL2x, kNL2x, 9);
  page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS", "Bank 9 (ROM)");
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "91-99/Program 99");
  EXPECT_TRUE(page.sentInOrder({{0xB0, 0x00, 0x00}, {0xB0, 0x20, 0x09}, {0xC0, 0x62}}));
  // The layer of the ten-bank model shows these two.
  EXPECT_EQ(page.value(P::kCurrentBank2x), 9);
  EXPECT_EQ(page.value(P::kCurrentProgram2x), 98);
  EXPECT_EQ(page.plug->GetParam(P::kCurrentProgram2x)->GetDisplayText(98), std::string("99"));
  EXPECT_TRUE(page.requested(0x0E, 0));

  page.edit(kPatchUp, 1.0);
  page.settle();
  EXPECT_EQ(page.value(P::kCurrentProgram2x), 0) << "98 wraps to 0";
  EXPECT_TRUE(page.sentInOrder({{0xB0, 0x20, 0x09}, {0xC0, 0x00}}));
  page.edit(kPatchDown, 1.0);
  page.settle();
  EXPECT_EQ(page.value(P::kCurrentProgram2x), 98);

  // The read-out's own menu chooses on the unit as the other model's does.
  page.edit(P::kCurrentProgram2x, 41);
  page.settle();
  EXPECT_TRUE(page.sentInOrder({{0xB0, 0x20, 0x09}, {0xC0, 41}}));
  EXPECT_EQ(page.value(P::kCurrentProgram), 41);
}

TEST(UnitReadouts, PerformanceModesMenusChooseAPerformanceOnTheGlobalChannel) {
  for (int model : {kNL2, kNL2x}) {
    SCOPED_TRACE(model);
    const int id = model == kNL2 ? 7 : 13;
    UnitPage page(model, model, id);
    page.edit(kDatatype, 1.0);
    ASSERT_TRUE(page.plug->panelMode().perfMode);
    page.edit(kQuickTab, 2);  // slot C
    page.settle();
    page.markSent();
    page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS",
                  "Bank 1 (" + std::string(model == kNL2 ? "CARD)" : "ROM)"));
    page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "31-40/Program 37");
    const unsigned char global = static_cast<unsigned char>(id);
    EXPECT_TRUE(page.sentInOrder({{static_cast<unsigned char>(0xB0 + global), 0x00, 0x00},
                                  {static_cast<unsigned char>(0xB0 + global), 0x20, 0x01},
                                  {static_cast<unsigned char>(0xC0 + global), 36}}));
    for (const Bytes& m : page.sentSinceMark()) EXPECT_NE(m, (Bytes{0xC2, 36})) << "slot C's program changed instead";
    // The performance is requested, not a slot's program.
    EXPECT_TRUE(page.requested(0x28, 0));
    EXPECT_FALSE(page.requested(model == kNL2 ? 0x0A : 0x0E, 2));
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(page.value(P::kCurrentPerfProgram + s), 36) << s;
      EXPECT_EQ(page.value(P::kCurrentPerfProgram2x + s), 36) << s;
      EXPECT_EQ(page.value(P::kCurrentPerfBank2x + s), 1) << s;
    }
  }
}

TEST(UnitReadouts, HostProgramChangesMoveTheReadoutsOfTheSlotsTheyReach) {
  for (int model : {kNL2, kNL2x}) {
    SCOPED_TRACE(model);
    UnitPage page(model, model, 13);
    page.edit(kHostProgramChangesPass, 1.0);
    page.edit(kUnitProgramChangesPass, 1.0);
    // Slots B, C and D on part channels 5, 12 and 16.
    page.edit(kPartMidiChannel + 1, 5);
    page.edit(kPartMidiChannel + 2, 12);
    page.edit(kPartMidiChannel + 3, 16);
    page.settle();
    const int program = model == kNL2x ? P::kCurrentProgram2x : P::kCurrentProgram;
    const struct {
      Bytes change;
      int slot;
    } cases[] = {{{0xC4, 0x07}, 1}, {{0xCB, 0x08}, 2}, {{0xCF, 0x09}, 3}};
    for (const auto& c : cases) {
      IMidiMsg msg(0, c.change[0], c.change[1], 0);
      {
        Kit_MutexLock hold(page.plug->pluginMutex());
        page.plug->ProcessMidiMsg(&msg, false);
      }
      page.settle();
      EXPECT_EQ(page.value(program + c.slot), c.change[1]) << c.slot;
      EXPECT_EQ(page.value(P::kCurrentProgram + c.slot), c.change[1]) << c.slot;
      EXPECT_TRUE(page.requested(model == kNL2x ? 0x0E : 0x0A, c.slot)) << c.slot;
    }
    // The unit's own program change on a part channel, and on the global channel.
    IMidiMsg own(0, 0xCB, 0x11, 0);
    page.plug->ProcessMidiMsg(&own, true);
    page.settle();
    EXPECT_EQ(page.value(program + 2), 0x11);
    IMidiMsg global(0, 0xC0 + 13, 0x12, 0);
    page.plug->ProcessMidiMsg(&global, true);
    page.settle();
    for (int s = 0; s < 4; ++s) EXPECT_EQ(page.value(P::kCurrentPerfProgram + s), 0x12) << s;
  }
}

// Whether every panel control of the parameter shows its value (a plain write of the
// parameter leaves them showing the old one).
bool ControlsShow(UnitPage& page, int paramIdx) {
  const IParam* param = page.plug->GetParam(paramIdx);
  const ControlAction* action = param->GetControlAction();
  if (!action || action->boundControls.empty()) return false;
  for (const IControl* control : action->boundControls)
    if (std::abs(control->GetValue() - param->GetNormalized()) > 1e-9) return false;
  return true;
}

TEST(UnitReadouts, BankSelectsFromTheHostAndTheUnitMoveTheBankReadout) {
  for (int model : {kNL2, kNL2x}) {
    SCOPED_TRACE(model);
    UnitPage page(model, model, 13);
    page.edit(kHostProgramChangesPass, 1.0);
    page.edit(kPartMidiChannel + 1, 5);
    page.settle();
    const int bank = model == kNL2x ? P::kCurrentBank2x : P::kCurrentBank;
    const int perfBank = model == kNL2x ? P::kCurrentPerfBank2x : P::kCurrentPerfBank;
    // The host's bank select on slot B's part channel reaches the unit, then its program.
    for (const Bytes& message : {Bytes{0xB4, 0x20, 0x03}, Bytes{0xC4, 0x07}}) {
      IMidiMsg msg(0, message[0], message[1], message.size() > 2 ? message[2] : 0);
      Kit_MutexLock hold(page.plug->pluginMutex());
      page.plug->ProcessMidiMsg(&msg, false);
    }
    page.settle();
    EXPECT_EQ(page.value(bank + 1), 3);
    EXPECT_EQ(page.value(bank), 0) << "slot A's bank";
    // The unit's own bank select on the global channel moves the performance bank.
    IMidiMsg own(0, 0xB0 + 13, 0x20, 1);
    page.plug->ProcessMidiMsg(&own, true);
    page.settle();
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(page.value(perfBank + s), 1) << s;
      EXPECT_TRUE(ControlsShow(page, perfBank + s)) << s;
    }
    // A bank past the model's is held to its last.
    IMidiMsg far(0, 0xB4, 0x20, 120);
    page.plug->ProcessMidiMsg(&far, true);
    page.settle();
    EXPECT_EQ(page.value(bank + 1), int(page.plug->GetParam(bank + 1)->GetMax()));
    EXPECT_TRUE(ControlsShow(page, bank + 1));
  }
}

TEST(UnitReadouts, AStoredProgramAnsweringASlotRequestIsNotLoadedAndSaysWhatCame) {
  // The ten-bank panel asks type 0x0E, which a four-bank unit reads as bank 3.
  UnitPage page(kNL2x, kNL2, 9);
  const int cutoff = 0;  // slot A's filter cutoff, kept by a program dump
  page.plug->GetParam(cutoff)->Set(11);
  std::vector<uint8_t> stored = NamedProgramDump("Bank3Prog1", 77);
  stored[2] = 9;
  stored[4] = 4;  // bank 3
  stored[5] = 0;
  page.synth->Sim().Receive(stored.data(), stored.size());
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "01-10/Program 01");
  ASSERT_TRUE(page.requested(0x0E, 0));
  EXPECT_EQ(page.status(), "Bank 3 Prog 1 sent: check model!");
  EXPECT_EQ(page.plug->GetParam(cutoff)->Int(), 11) << "the stored program was loaded into slot A";
  EXPECT_NE(page.plug->nameText(kPatchName), "Bank3Prog1");
}

// A store of the forty programs of RAM 0 with "Program 25" chosen while it runs; with
// `cancelAfterMicros` the store is cancelled that long after it started.
std::string StoreWithAProgramChosen(UnitPage& page, uint64_t cancelAfterMicros, std::string* duringStore) {
  page.backend.ScriptPopupChoiceText("Store Patch Data/All Current Programs to RAM 0 (A)");
  page.clickMenu("BANKEDITMENU", kBankEditMenu);
  MIDIMessageManager& manager = *page.plug->midiManager;
  // Until the store's traffic has begun (All Notes Off on the 16 channels) and a few
  // programs are written.
  while (manager.isRunning(MIDIMessageManager::kTransferThread) && page.synth->Sim().ReceivedCount() < 16 + 5)
    Kit_Time().SleepMicros(1000);
  *duringStore = page.status();
  EXPECT_TRUE(manager.isRunning(MIDIMessageManager::kTransferThread));
  MIDIMessageSender* sender = manager.sender();
  if (cancelAfterMicros > 0) page.clock.ScheduleIn(cancelAfterMicros, [sender] { sender->requestCancel(); });
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "21-30/Program 25");
  return page.status();
}

TEST(StatusLine, ARequestKeptDuringAStoreSaysWhatItReceivedAfterTheStoresOutcome) {
  UnitPage page(kNL2, kNL2, 7);
  std::string during;
  EXPECT_EQ(StoreWithAProgramChosen(page, 0, &during), "Stored 40 programs / Program 25 received");
  // While the store ran only its progress showed, not an earlier step's text.
  EXPECT_EQ(during.rfind("Storing ", 0), 0u) << during;
  EXPECT_NE(during.find(" of 40"), std::string::npos) << during;
  EXPECT_TRUE(page.requested(0x0A, 0));
}

TEST(StatusLine, ARequestKeptDuringACancelledStoreLeavesTheCancelReadable) {
  UnitPage page(kNL2, kNL2, 9);
  std::string during;
  const std::string line = StoreWithAProgramChosen(page, 5000000, &during);
  // How many of the forty went before the cancel, as the unit counts them.
  int stored = 0;
  for (const Bytes& m : page.synth->Sim().Received()) stored += m.size() == 139 && m[0] == 0xF0 ? 1 : 0;
  ASSERT_GT(stored, 0);
  ASSERT_LT(stored, 40);
  EXPECT_EQ(line, "Data write CANCELLED! / " + std::to_string(stored) + " of 40 sent / Program 25 received");
  EXPECT_LT(page.synth->Sim().ReceivedCount(), 200u);
}

TEST(StatusLine, AKeptRequestLeftUnansweredSaysSoAfterTheStoresOutcome) {
  // The unit takes the store but answers no request.
  UnitPage page(kNL2, kNL2, 7);
  SynthSimSettings silent = page.synth->Sim().Settings();
  silent.silent = true;
  page.synth->Sim().SetSettings(silent);
  std::string during;
  EXPECT_EQ(StoreWithAProgramChosen(page, 0, &during), "Stored 40 programs / No response from Hardware!");
}

TEST(StatusLine, ABankFetchShowsOnlyItsProgress) {
  UnitPage page(kNL2, kNL2, 7);
  page.backend.ScriptPopupChoiceText("Request Patch Data/All Programs from BANK 0 (RAM)");
  page.clickMenu("BANKEDITMENU", kBankEditMenu);
  MIDIMessageManager& manager = *page.plug->midiManager;
  while (manager.isRunning(MIDIMessageManager::kTransferThread) && page.synth->Sim().ReceivedCount() < 3)
    Kit_Time().SleepMicros(1000);
  // Each dump taken meanwhile said "Data processed - Ready!" before.
  std::vector<std::string> seen;
  for (int look = 0; look < 5 && manager.isRunning(MIDIMessageManager::kTransferThread); ++look) {
    seen.push_back(page.status());
    Kit_Time().SleepMicros(330000);
  }
  page.settle();
  ASSERT_EQ(seen.size(), 5u);
  for (const std::string& line : seen) EXPECT_EQ(line.rfind("Receiving ", 0), 0u) << line;
  EXPECT_EQ(page.status(), "Data received to slot(s)");
}

TEST(StatusLine, ARequestUnderWayShowsNoEarlierOutcome) {
  UnitPage page(kNL2, kNL2, 7);
  SynthSimSettings slow = page.synth->Sim().Settings();
  slow.replyLatencyMicros = 600 * 1000;
  page.synth->Sim().SetSettings(slow);
  page.showStatus("Data processed - Ready!");
  page.markSent();
  page.backend.ScriptPopupChoiceText("01-10/Program 05");
  page.clickMenu("PROGRAMNUMBERMENU", kProgramNumberMenu);
  MIDIMessageManager& manager = *page.plug->midiManager;
  while (manager.isRunning(MIDIMessageManager::kTransferThread) && !page.requested(0x0A, 0))
    Kit_Time().SleepMicros(1000);
  Kit_Time().SleepMicros(100 * 1000);
  ASSERT_TRUE(manager.isRunning(MIDIMessageManager::kTransferThread));
  EXPECT_EQ(page.status(), "") << "the last request's outcome while this one waits";
  page.settle();
  EXPECT_EQ(page.status(), "Data processed - Ready!");
}

TEST(StatusLine, PortsSetToOffSaySo) {
  UnitPage page(kNL2x, kNL2x, 13);
  page.plug->GetParam(kDeviceInSelection)->Set(1);
  page.showStatus("Plug-in is ready to go!");
  page.edit(kDeviceOutSelection, 0);
  EXPECT_EQ(page.status(), "MIDI Out is OFF!");
  EXPECT_FALSE(page.plug->unitLink().midiIOSet);
  page.edit(kDeviceInSelection, 0);
  EXPECT_EQ(page.status(), "MIDI In and Out are OFF!");
}

TEST(StatusLine, TheUnitsPortsGoingIsSaidOnceAndTheCaptionsStay) {
  UnitPage page(kNL2, kNL2, 7);
  page.plug->GetParam(kDeviceInSelection)->Set(1);
  page.showStatus("Plug-in is ready to go!");
  page.plug->OnIdle();
  EXPECT_EQ(page.status(), "Plug-in is ready to go!") << "both ports are there";
  // The unit leaves; the MIDI system stays.
  page.ports->RemovePort(page.synth->MidiInName());
  page.ports->RemovePort(page.synth->MidiOutName());
  Kit_Time().SleepMicros(1100000);
  page.plug->OnIdle();
  EXPECT_EQ(page.status(), "MIDI In and Out gone: choose again to reconnect");
  EXPECT_GT(page.value(kDeviceOutSelection), 0) << "the caption still names the port";
  EXPECT_GT(page.value(kDeviceInSelection), 0);
  // Said once, not over what the page says next.
  page.showStatus("Slot Randomized");
  Kit_Time().SleepMicros(1100000);
  page.plug->OnIdle();
  EXPECT_EQ(page.status(), "Slot Randomized");
}

// The unit's port gone, Prog Up's program change cannot go: the line says the send
// failed, as a knob's move does, and no reply is waited for.
TEST(StatusLine, ProgUpWithThePortGoneSaysTheSendFailed) {
  UnitPage page(kNL2, kNL2, 7);
  page.ports->RemovePort(page.synth->MidiInName());
  page.markSent();
  page.edit(kPatchUp, 1.0);
  page.settle();
  EXPECT_EQ(page.status(), kMidiSendFailed);
  EXPECT_TRUE(page.sentSinceMark().empty());
  // The read-out shows what the unit was sent: nothing, so it stays.
  EXPECT_EQ(Shown(page).text, "0.  1");
  page.edit(kPatchDown, 1.0);
  page.settle();
  EXPECT_EQ(Shown(page).text, "0.  1");
  // Nor do the selector menus' choices.
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "21-30/Program 23");
  page.chooseIn(kBankNumberMenu, "BANKNUMBERMENUPROGRAMS", BankItem(kNL2, 1));
  EXPECT_EQ(Shown(page).text, "0.  1");
  // A knob says the same.
  page.showStatus("");
  page.edit(0, 40);  // slot A's filter cutoff
  EXPECT_EQ(page.status(), kMidiSendFailed);
}

// The unit killed and back under the same name, its port not chosen again: the open
// output refuses every send. Each request says its message did not go and how to
// reconnect, not that the unit did not answer.
TEST(StatusLine, ARequestThePortRefusesSaysTheSendFailedAndHowToReconnect) {
  const std::string said = std::string(kMidiSendFailed) + " MIDI Out: " + kChooseAgainToReconnect;
  for (const char* item :
       {"Sync Current Data from HW", "Request Patch Data/from Active Slot to Plug-in GUI",
        "Request Patch Data/from Active Slot to Librarian", "Request Patch Data/All Programs from BANK 0 (RAM)", ""}) {
    SCOPED_TRACE(item);
    UnitPage page(kNL2, kNL2, 7);
    page.ports->RemovePort(page.synth->MidiInName());
    page.ports->AddWritablePort(page.synth->MidiInName());
    if (*item)
      page.chooseIn(kBankEditMenu, "BANKEDITMENU", item);
    else
      page.plug->sendSysExInitialization();  // the device-id enquiry
    page.settle();
    EXPECT_EQ(page.status(), said);
  }
}

// A program or bank selector edited directly whose program change cannot go (the
// port gone, the slot's channel Off, no port chosen) shows again what the unit has,
// and the line says why.
TEST(StatusLine, ASelectorEditedDirectlyWhoseProgramChangeFailsShowsWhatTheUnitHas) {
  UnitPage page(kNL2, kNL2, 7);
  page.chooseIn(kProgramNumberMenu, "PROGRAMNUMBERMENU", "21-30/Program 23");
  ASSERT_EQ(Shown(page).text, "0. 23");
  const auto tryEach = [&page](const std::string& why) {
    for (int param : {int(P::kCurrentProgram), int(P::kCurrentBank)}) {
      SCOPED_TRACE(param);
      page.showStatus("");
      page.edit(param, 2);
      page.settle();
      EXPECT_EQ(page.status(), why);
      EXPECT_EQ(Shown(page).text, "0. 23");
    }
  };
  page.edit(kPartMidiChannel, 0);
  page.settle();
  page.markSent();
  tryEach("Program change: not sent, channel Off");
  page.edit(kPartMidiChannel, 1);
  page.settle();
  page.ports->RemovePort(page.synth->MidiInName());
  page.markSent();
  tryEach(kMidiSendFailed);
  page.edit(kDeviceOutSelection, 0);
  tryEach("Set MIDI I/O First!");
  EXPECT_TRUE(page.sentSinceMark().empty());
  EXPECT_TRUE(page.requests().empty());
}

// A slot whose Part MIDI Channel is Off: a knob's move and a program change are not
// sent, and the line says so and why.
TEST(StatusLine, AnEditOnASlotWhoseChannelIsOffSaysItWasNotSent) {
  UnitPage page(kNL2, kNL2, 7);
  page.edit(kPartMidiChannel, 0);
  page.settle();
  page.markSent();
  page.edit(0, 40);  // slot A's filter cutoff, controller 74
  EXPECT_EQ(page.status(), "[1] Filter Cutoff: not sent, channel Off");
  page.edit(kPatchUp, 1.0);
  page.settle();
  EXPECT_EQ(page.status(), "Program change: not sent, channel Off");
  EXPECT_TRUE(page.requests().empty()) << "a reply was waited for";
  for (const Bytes& m : page.sentSinceMark()) EXPECT_NE(m.size(), 3u) << "a channel message went";
}

TEST(StatusLine, WithoutAMidiSystemThePanelSaysThereIsNone) {
  RegisterBuiltBundle();
  TempDataRoot data;
  auto ports = std::make_shared<MidiPortFake>();
  ports->SetUnavailable(true);
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  Tavro plug(info, ports);
  plug.OnGUIOpen();
  EXPECT_EQ(plug.keptControls().statusText->GetTextString(), Tavro::kNoMidiSystemText);
  // With a system there, opening the panel says nothing of it.
  auto present = std::make_shared<MidiPortFake>();
  Tavro other(info, present);
  other.showStatus("Set MIDI In and MIDI Out");
  other.OnGUIOpen();
  EXPECT_EQ(other.keptControls().statusText->GetTextString(), "Set MIDI In and MIDI Out");
}

}  // namespace
