// The panel's command parameters through the parameter road, on the authored panel with
// fake ports and a virtual clock: switches, ports, the settings file, solo, model,
// cycle buttons, octave light and randomiser; and the synthesizer's road back.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "EditorTestSupport.h"
#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "Kit_AtomicFile.h"
#include "Kit_TimeSource.h"
#include "editor/PatchManager.h"
#include "editor/commands/TavroCommands.h"
#include "layout/ControlAction.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// 60 characters: longer than a port menu's display text holds.
const std::string kLongName = "Vudidi Nord Synthesizer USB MIDI Interface Port 2 (rear DIN)";
const std::string kSynthOut = "Synth Out";
constexpr int kFilterResonance = 4;  // + slot

// An editor whose port lists hold two synthesizer inputs and one output.
struct PortsEditor : EditorFixture {
  explicit PortsEditor(const std::string* uiSettings = nullptr)
      : EditorFixture(uiSettings ? *uiSettings : "", uiSettings != nullptr, {kSynthOut}, {kSynthIn, kLongName}) {}
};

IParam& ParamOf(Tavro& plug, int paramIdx) {
  IParam* param = plug.GetParam(paramIdx);
  if (!param) throw std::out_of_range("no parameter " + std::to_string(paramIdx));
  return *param;
}

class Commands : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Kit_SetTimeSource(&clock);
    editor = new PortsEditor();
    // The transfer jobs are tested against the simulator; here only their starts count,
    // and none may send while a case counts what was sent.
    for (int code = 0; code < kJobNothing; ++code) editor->plug->midiManager->sender()->setJob(code, nullptr);
  }
  static void TearDownTestSuite() {
    delete editor;
    editor = nullptr;
    Kit_SetTimeSource(nullptr);
  }
  void SetUp() override {
    closePorts();
    change(kNordModel, 1);
    change(kQuickTab, 0);
  }

  static Tavro& plug() { return *editor->plug; }
  static double value(int paramIdx) { return plug().paramValue(paramIdx); }
  static IParam& param(int paramIdx) { return ParamOf(plug(), paramIdx); }
  // A change as the panel makes it: the value, then the whole road.
  static void change(int paramIdx, double v) {
    param(paramIdx).Set(v);
    plug().OnParamChange(paramIdx);
  }
  static void press(int button) {
    change(button, 1.0);
    change(button, 0.0);
  }
  static int outputEntry(const std::string& name) {
    const IMidiPortNames* names = plug().getExternalMIDIOutNames();
    return int(std::find(names->begin(), names->end(), name) - names->begin());
  }
  static void openPorts() {
    change(kDeviceInSelection, 1);
    change(kDeviceOutSelection, outputEntry(kSynthIn));
  }
  static void closePorts() { change(kDeviceOutSelection, 0); }
  // Transfer jobs started so far, once worker (transfer) is idle and keeps nothing.
  static int jobsStarted() {
    MIDIMessageManager* manager = plug().midiManager;
    while (manager->isRunning(MIDIMessageManager::kTransferThread) || manager->pendingResends() > 0)
      std::this_thread::yield();
    return manager->jobsStarted(MIDIMessageManager::kTransferThread);
  }
  static size_t sentCount() { return editor->ports->Sent(kSynthIn).size(); }
  static std::string statusLine() { return plug().keptControls().statusText->GetTextString(); }
  static std::string valueLine() { return plug().keptControls().valueText->GetTextString(); }

  static Kit_VirtualClock clock;
  static PortsEditor* editor;
};

Kit_VirtualClock Commands::clock;
PortsEditor* Commands::editor = nullptr;

TEST_F(Commands, FilterSwitchesPassOnlyAtExactlyOne) {
  for (int paramIdx = kMIDIFilterDAWCCPassThrough; paramIdx <= kMIDIFilterTrackIncomingMIDI; ++paramIdx) {
    for (double v : {1.0, 0.0, 0.5, 2.0, -1.0, 1.0}) {
      change(paramIdx, v);
      const int k = paramIdx - kMIDIFilterDAWCCPassThrough;
      const bool passes = k < 7    ? !plug().midiFilters().hostFilterBlocked[size_t(k)]
                          : k < 14 ? !plug().midiFilters().deviceFilterBlocked[size_t(k - 7)]
                                   : plug().midiFilters().trackIncomingMidi.load();
      EXPECT_EQ(passes, v == 1.0) << paramIdx << " at " << v;
    }
  }
}

TEST_F(Commands, DirectAndQueuedOutputAreARadioPair) {
  struct Case {
    int paramIdx;
    double v;
    bool queued;
    double direct, buffer;
  };
  const Case cases[] = {{kMIDIFilterToDAWBuffer, 1, true, 0, 1},       {kMIDIFilterDirectToHardware, 0, true, 0, 1},
                        {kMIDIFilterDirectToHardware, 1, false, 1, 0}, {kMIDIFilterToDAWBuffer, 0, false, 1, 0},
                        {kMIDIFilterToDAWBuffer, 1, true, 0, 1},       {kMIDIFilterToDAWBuffer, 0.5, true, 0, 0.5}};
  for (const Case& c : cases) {
    change(c.paramIdx, c.v);
    EXPECT_EQ(plug().outputQueue().queueMidiOutput, c.queued) << c.paramIdx << " " << c.v;
    EXPECT_EQ(value(kMIDIFilterDirectToHardware), c.direct);
    EXPECT_EQ(value(kMIDIFilterToDAWBuffer), c.buffer);
  }
  change(kMIDIFilterDirectToHardware, 1);
}

TEST_F(Commands, ClockSwitchHandsTheLoopToTheNextRenderTick) {
  for (double v : {1.0, 0.0, 2.0, 1.0, 0.5}) {
    plug().setClockLoopStarted(true);
    change(kSendMIDIClockInfo, v);
    EXPECT_EQ(plug().clockState().sendMidiClock, v == 1.0) << v;
    EXPECT_FALSE(plug().clockState().clockLoopStarted);  // the next render tick starts the loop
  }

  change(kSendMIDIClockPointer, 1);
  EXPECT_TRUE(plug().clockState().sendClockPointer);
  change(kSendMIDIClockPointer, 0.5);
  EXPECT_FALSE(plug().clockState().sendClockPointer);
}

TEST_F(Commands, OutputPortOpensTheListEntryByItsFullName) {
  struct Case {
    int entry;  // -1: the long name's
    bool connected;
    size_t openOnSynthIn, openOnLong;
    const char* keptName;  // null: the long name
  };
  const Case cases[] = {
      {0, false, 0, 0, "OFF"},       {-1, true, 0, 1, nullptr},
      {1, true, 1, 0, "Synth In"},   {99, false, 0, 0, "Set Name"},  // outside the list: closed
      {-7, false, 0, 0, "Set Name"},
  };
  change(kDeviceInSelection, 1);  // the unit's answers are heard
  for (const Case& c : cases) {
    const int entry = c.entry == -1 ? outputEntry(kLongName) : c.entry;
    SCOPED_TRACE(entry);
    const int before = jobsStarted();
    change(kDeviceOutSelection, entry);
    EXPECT_EQ(plug().unitLink().midiIOSet, c.connected);
    EXPECT_EQ(editor->ports->OutputsOpenOn(kSynthIn), c.openOnSynthIn);
    EXPECT_EQ(editor->ports->OutputsOpenOn(kLongName), c.openOnLong);
    EXPECT_EQ(plug().patchManager->names[6], c.keptName ? c.keptName : kLongName);
    // The device-id enquiry starts with the port.
    EXPECT_EQ(jobsStarted() - before, c.connected ? 1 : 0);
  }
}

TEST_F(Commands, PortThatVanishedLeavesTheEditorUnconnected) {
  PortsEditor local;
  Tavro& p = *local.plug;
  local.ports->RemovePort(kLongName);
  const IMidiPortNames* names = p.getExternalMIDIOutNames();
  const int entry = int(std::find(names->begin(), names->end(), kLongName) - names->begin());
  ASSERT_LT(size_t(entry), names->size());  // still listed
  ParamOf(p, kDeviceOutSelection).Set(entry);
  p.OnParamChange(kDeviceOutSelection);
  EXPECT_FALSE(p.unitLink().midiIOSet);
  // The input list is its own: choosing it never connects the editor.
  ParamOf(p, kDeviceInSelection).Set(1);
  p.OnParamChange(kDeviceInSelection);
  EXPECT_EQ(local.ports->InputsOpenOn(kSynthOut), 1u);
  EXPECT_FALSE(p.unitLink().midiIOSet);
}

TEST_F(Commands, MasterKeyboardAndCancel) {
  change(kMasterKeyboard, 1);
  EXPECT_TRUE(plug().midiFilters().ignoreDeviceMidi);
  EXPECT_EQ(statusLine(), "UI updates when on plug-in channel");
  EXPECT_EQ(valueLine(), "Master KBD [ON]");
  change(kMasterKeyboard, 2);
  EXPECT_FALSE(plug().midiFilters().ignoreDeviceMidi);
  EXPECT_EQ(valueLine(), "Master KBD [OFF]");

  MIDIMessageSender* sender = plug().midiManager->sender();
  change(kCancelDataRequest, 0);
  EXPECT_FALSE(sender->cancelRequested());
  change(kCancelDataRequest, 1);
  EXPECT_TRUE(sender->cancelRequested());
  sender->clearCancel();
}

TEST_F(Commands, ClosingAWindowRedrawsWithoutEndingARunningTransfer) {
  for (int paramIdx : {int(kExitAboutWindow), int(kFirstRunExit), int(kCloseMIDIFilterSettings)}) {
    plug().DisplayProcessingIndicator(true);
    plug().midiManager->transferInProgress = true;
    plug().setHoldOutputWhileBusy(true);
    plug().midiManager->sender()->requestCancel();
    change(paramIdx, 1);
    EXPECT_TRUE(plug().transferState().transferBusy) << paramIdx;
    EXPECT_TRUE(plug().midiManager->transferInProgress);
    EXPECT_TRUE(plug().transferState().holdOutputWhileBusy);
    EXPECT_TRUE(plug().midiManager->sender()->cancelRequested());
    plug().DisplayProcessingIndicator(false);
  }
  EXPECT_FALSE(editor->shown("aboutWindow"));
  // The filter window's buttons show and hide it and spring back to 0.
  change(kViewMIDIFilterSettings, 1);
  EXPECT_TRUE(editor->shown("midiFilterSettings"));
  EXPECT_EQ(value(kViewMIDIFilterSettings), 0.0);
  change(kCloseMIDIFilterSettings, 1);
  EXPECT_FALSE(editor->shown("midiFilterSettings"));
  EXPECT_EQ(value(kCloseMIDIFilterSettings), 0.0);
  change(kDisplayAboutWindow, 1);
  EXPECT_TRUE(editor->shown("aboutWindow"));
  change(kExitAboutWindow, 1);
  EXPECT_FALSE(editor->shown("aboutWindow"));
}

TEST_F(Commands, SoloKeepsOneSlotAndResendsThePerformance) {
  openPorts();
  const int jobs = jobsStarted();
  const size_t sent = sentCount();
  change(kSlotSolo + 1, 1);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(plug().midiFilters().slotSolo[size_t(s)], s == 1) << s;
    EXPECT_EQ(value(kSlotSolo + s), s == 1 ? 1.0 : 0.0) << s;
    EXPECT_EQ(value(kPartMidiChannel + s), s + 1);
  }
  EXPECT_EQ(sentCount() - sent, 4u * 127u);  // notes off on the four channels
  EXPECT_EQ(jobsStarted() - jobs, 1);
  change(kSlotSolo + 1, 0);
  for (int s = 0; s < 4; ++s) EXPECT_FALSE(plug().midiFilters().slotSolo[size_t(s)]);

  change(kGlobalLink + 2, 1);
  EXPECT_TRUE(plug().midiFilters().globalLink[2]);
  change(kGlobalLink + 2, 0.5);
  EXPECT_FALSE(plug().midiFilters().globalLink[2]);
}

TEST_F(Commands, ModelChangeSetsTheDeviceIdAndTheTab) {
  struct Case {
    int model;
    double deviceBefore, deviceAfter;
    int page;
  };
  const Case cases[] = {{2, 4, 15, 2}, {0, 15, 4, 4}, {0, 9, 9, 4}, {1, 9, 4, 2}, {2, 4, 15, 2}, {1, 15, 4, 2}};
  for (const Case& c : cases) {
    param(kDeviceID).Set(c.deviceBefore);
    change(kNordModel, c.model);
    EXPECT_EQ(plug().unitLink().nordModel, c.model);
    EXPECT_EQ(value(kDeviceID), c.deviceAfter) << c.model;
    EXPECT_EQ(plug().layer("root")->GetActiveChildID(), c.page) << c.model;
  }
  EXPECT_EQ(plug().unitLink().deviceId, 4);
}

TEST_F(Commands, LibrarianAndVelocityMapTabsGreyEachOther) {
  change(kShowLibrarian, 1);
  EXPECT_TRUE(plug().keptControls().velomapControl->IsGrayed());
  EXPECT_EQ(plug().layer("root")->GetActiveChildID(), 1);
  change(kShowLibrarian, 0);
  EXPECT_FALSE(plug().keptControls().velomapControl->IsGrayed());
  EXPECT_EQ(plug().layer("root")->GetActiveChildID(), 2);
  change(kShowVelomap, 1);
  EXPECT_TRUE(plug().keptControls().showLibrarianControl->IsGrayed());
  EXPECT_EQ(plug().layer("root")->GetActiveChildID(), 3);
  change(kShowVelomap, 0);
  EXPECT_FALSE(plug().keptControls().showLibrarianControl->IsGrayed());
  change(kAllowPartChange, 1);
  EXPECT_EQ(value(kAllowPartChangeLED), 1.0);
  change(kAllowPartChange, 0);
  EXPECT_EQ(value(kAllowPartChangeLED), 0.0);
}

// Button, its target and number of states on models 1 and 2, and on model 0.
struct CycleCase {
  int button, target12, states12, target0, states0;
};
const CycleCase kCycles[] = {
    {693, 56, 5, 172, 3},  {697, 60, 5, 176, 4},  {701, 72, 2, 72, 2},   {705, -1, 0, 180, 7},  {709, 116, 4, 188, 3},
    {713, 120, 4, 184, 3}, {717, 124, 4, 124, 4}, {721, 128, 2, 128, 2}, {725, 132, 4, 192, 2}, {729, 156, 6, 200, 5},
    {733, 160, 2, 160, 2}, {737, 164, 4, 196, 2}, {741, 168, 2, 168, 2}, {745, 140, 2, 140, 2}, {749, 144, 3, 144, 3},
    {753, 148, 2, 148, 2}, {757, 136, 5, 136, 5},
};

TEST_F(Commands, CycleButtonsStepTheirTargetUntilItWraps) {
  for (int model : {1, 2, 0}) {
    change(kNordModel, model);
    for (const CycleCase& c : kCycles) {
      const int target = model == 0 ? c.target0 : c.target12;
      const int states = model == 0 ? c.states0 : c.states12;
      if (target < 0) continue;  // by rule: LFO2DestinationFollowsTheHold
      const int slot = (c.button / 4) % 4;
      SCOPED_TRACE(testing::Message() << "model " << model << " button " << c.button + slot);
      param(target + slot).Set(0);
      for (int step = 1; step <= states; ++step) {
        press(c.button + slot);
        EXPECT_EQ(value(target + slot), step % states) << "press " << step;
      }
    }
  }
  // A state beyond the range, either way, starts over.
  for (double beyond : {1e300, -7.0}) {
    param(kOsc2Waveform + 1).Set(beyond);
    press(717 + 1);
    EXPECT_EQ(value(kOsc2Waveform + 1), 0) << beyond;
  }
}

TEST_F(Commands, OctaveButtonsStopAtTheEnds) {
  const int slot = 3, octave = kOctaveSwitch + slot;
  struct Case {
    int button;
    double before, after;
  };
  const Case cases[] = {{kOctUpTrig, 3, 4},   {kOctUpTrig, 4, 4}, {kOctDownTrig, 1, 0},
                        {kOctDownTrig, 0, 0}, {kOctUpTrig, 0, 1}, {kOctDownTrig, 4, 3}};
  for (const Case& c : cases) {
    param(octave).Set(c.before);
    press(c.button + slot);
    EXPECT_EQ(value(octave), c.after) << c.button << " from " << c.before;
  }
}

TEST_F(Commands, LFO2DestinationFollowsTheHold) {
  const int slot = 2, destination = kLFO2Destination + slot, hold = kLFO2Hold + slot;
  struct Case {
    double hold, from, to;
  };
  const Case cases[] = {{1, 0, 1}, {1, 1, 2}, {1, 2, 5}, {1, 3, 4}, {1, 4, 5}, {1, 5, 6}, {1, 6, 0}, {0, 0, 3},
                        {0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 7}, {0, 5, 7}, {0, 6, 7}, {0, 7, 3}, {0, 8, 3}};
  // Switching the hold on starts with no release remembered.
  param(hold).Set(0);
  press(kLFO2HoldTrig + slot);
  for (const Case& c : cases) {
    param(hold).Set(c.hold);
    param(destination).Set(c.from);
    press(kLFO2DestTrig + slot);
    EXPECT_EQ(value(destination), c.to) << "hold " << c.hold << " from " << c.from;
  }
  // Letting the hold go puts the destination at 8; the next step gives 7 once.
  param(hold).Set(1);
  press(kLFO2HoldTrig + slot);
  EXPECT_EQ(value(hold), 0);
  EXPECT_EQ(value(destination), 8);
  for (double expected : {7, 3}) {
    param(destination).Set(8);
    press(kLFO2DestTrig + slot);
    EXPECT_EQ(value(destination), expected);
  }
  // Switching the hold on forgets it; the release then puts the destination at 0.
  press(kLFO2HoldTrig + slot);
  EXPECT_EQ(value(hold), 1);
  EXPECT_EQ(value(destination), 0);
}

TEST_F(Commands, OctaveLightFollowsTheSemitones) {
  const int slot = 1;
  struct Case {
    double waveform, semitones, after;
  };
  const Case cases[] = {{0, 24, 1},  {0, 25, 0}, {0, 0, 1},  {0, 120, 1}, {0, 121, 0},
                        {0, -12, 0}, {0, 36, 1}, {3, 36, 0}, {3, 24, 0}};
  for (const Case& c : cases) {
    param(kOsc2Waveform + slot).Set(c.waveform);
    change(kOsc2Semitones + slot, c.semitones);
    EXPECT_EQ(value(kOscillator2OctaveLED + slot), c.after) << c.waveform << " " << c.semitones;
  }
}

TEST_F(Commands, RandomiserGivesTheActiveSlotANewSoundAndSendsIt) {
  openPorts();
  change(kQuickTab, 2);
  plug().UseRandomSource(std::make_unique<Kit_SeededRandom>(7));
  const int jobs = jobsStarted();
  std::vector<double> before;
  for (int p = 0; p < 300; p += 4) before.push_back(value(p + 2));
  change(kRandomize, 1);
  int changed = 0;
  for (int p = 0, i = 0; p < 300; p += 4, ++i) changed += value(p + 2) != before[size_t(i)];
  EXPECT_GT(changed, 20);
  EXPECT_EQ(jobsStarted() - jobs, 1);
  EXPECT_EQ(statusLine(), "Slot Randomized");
  const std::vector<int> first = plug().randomizerState;
  change(kRandomize, 0);
  change(kRandomize, 1);
  EXPECT_NE(plug().randomizerState, first);  // a second press draws afresh
}

TEST_F(Commands, SlotTabFromThePanelAndFromTheSynthesizer) {
  openPorts();
  struct Case {
    bool fromSynth;
    double allow;
    bool ports;
    int slot;
    size_t notesOff;
    int jobs;
  };
  const Case cases[] = {
      {false, 1, true, 2, 4 * 127, 1}, {true, 1, true, 3, 4 * 127, 1}, {true, 0, true, 1, 0, 0},
      {true, 0.5, true, 2, 0, 0},      {true, 1, false, 0, 0, 0},      {false, 0, true, 3, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "synth " << c.fromSynth << " allow " << c.allow << " slot " << c.slot);
    if (!c.ports) closePorts();
    param(kAllowPartChange).Set(c.allow);
    const int jobs = jobsStarted();
    const size_t sent = sentCount();
    param(kQuickTab).Set(c.slot);
    if (c.fromSynth) {
      plug().OnParamChange2(kQuickTab);
    } else {
      plug().OnParamChange(kQuickTab);
    }
    EXPECT_EQ(plug().panelMode().activeSlot, c.slot);
    EXPECT_TRUE(editor->shown(std::string("layer") + char('A' + c.slot) + "Layer"));
    EXPECT_EQ(sentCount() - sent, c.notesOff);
    EXPECT_EQ(jobsStarted() - jobs, c.jobs);
    EXPECT_FALSE(plug().roadState().hardwareChangeActive);
    if (!c.ports) openPorts();
  }
  param(kAllowPartChange).Set(0);
}

// A value from the synthesizer moves the panel, the read-out and the slots linked on
// its channel, and sends nothing back, whatever the echo flags say.
TEST_F(Commands, ValueFromTheSynthesizerMovesPanelReadOutAndLinkedSlotsAndSendsNothing) {
  openPorts();
  param(kPartMidiChannel + 2).Set(1);  // slot C on slot A's channel
  IControl* cutoff = plug().firstControl(kFilterCutoff);
  ASSERT_NE(cutoff, nullptr);
  MIDIMessageManager* manager = plug().midiManager;
  int v = 10;
  for (int flags = 0; flags < 8; ++flags) {
    manager->applyingHardwareValue = flags & 1;
    plug().setLocalControl(flags & 2);
    manager->fromHost = flags & 4 ? 1 : 0;
    SCOPED_TRACE(flags);
    param(kFilterCutoff + 1).Set(3);
    param(kFilterCutoff + 2).Set(3);
    const size_t sent = sentCount();
    cutoff->SetValueFromHardware(param(kFilterCutoff).GetNormalized(++v));
    EXPECT_EQ(value(kFilterCutoff), v);
    EXPECT_EQ(value(kFilterCutoff + 2), v);
    EXPECT_EQ(value(kFilterCutoff + 1), 3);
    EXPECT_EQ(statusLine(), param(kFilterCutoff).GetNameForHost());
    EXPECT_NE(valueLine().find(std::to_string(v)), std::string::npos) << valueLine();
    EXPECT_EQ(sentCount(), sent);
    EXPECT_FALSE(plug().roadState().hardwareChangeActive);
  }
  param(kPartMidiChannel + 2).Set(3);
  manager->applyingHardwareValue = false;
  manager->fromHost = 1;
  plug().setLocalControl(false);
}

TEST_F(Commands, ParametersOutsideTheTableAreIgnoredOnTheHardwareRoads) {
  for (int paramIdx : {-1, int(kTavroParamCount), 100000}) {
    plug().OnParamChange2(paramIdx);
    plug().OnParamChange3(paramIdx, 5, 1, true);
    EXPECT_FALSE(plug().roadState().hardwareChangeActive);
  }
  // OnParamChange3 shows the given slot's tabs but leaves the active slot and the value.
  param(kFilterResonance + 2).Set(40);
  plug().OnParamChange3(kFilterResonance + 2, 90, 2, true);
  EXPECT_EQ(plug().panelMode().activeSlot, 0);
  EXPECT_TRUE(editor->shown("layerCLayer"));
  EXPECT_EQ(value(kFilterResonance + 2), 40);
}

// A control that fails whenever it is shown or hidden.
class FailingControl : public IControl {
public:
  explicit FailingControl(IModuleBase* plug) : IControl(plug, IRECT(0, 0, 1, 1)) {}
  bool Draw(IGraphics*) override { return true; }
  void Hide(bool) override { throw std::runtime_error("failing control"); }
};

// A change from the synthesizer that fails halfway leaves no trace on the panel's own
// road: the next knob edit still goes out.
TEST_F(Commands, AHardwareChangeThatFailsHalfwayLeavesPanelEditsSending) {
  openPorts();
  constexpr int kFailing = kFilterResonance + 3;
  ControlAction* action = param(kFailing).GetControlAction();
  ASSERT_NE(action, nullptr);
  ControlLayer selector(0, "failingSelector");
  ControlLayer* page = selector.AddChildLayer(new ControlLayer(0, "failingPage"));
  page->AddControl(new FailingControl(&plug()));
  ControlLayer* const kept = action->selectorLayer;
  action->selectorLayer = &selector;
  EXPECT_THROW(plug().OnParamChange2(kFailing), std::runtime_error);
  action->selectorLayer = kept;
  EXPECT_FALSE(plug().roadState().hardwareChangeActive);
  const size_t sent = sentCount();
  change(kFilterCutoff, value(kFilterCutoff) == 33 ? 34 : 33);
  EXPECT_EQ(sentCount(), sent + 1);
}

// A slot chosen on the synthesizer brings the librarian's selection to that slot's
// program, as a slot chosen on the panel does.
TEST_F(Commands, ASlotFromTheSynthesizerMovesTheLibrarySelectionToItsProgram) {
  plug().setLibraryControlOn(true);
  param(kCurrentProgram + 2).Set(17);
  param(kCurrentProgram + 0).Set(4);
  plug().librarian->selectedSlot = 4;
  param(kQuickTab).Set(2);
  plug().OnParamChange2(kQuickTab);
  EXPECT_EQ(plug().librarian->selectedSlot.load(), 17);
  plug().setLibraryControlOn(false);
}

// ---- the UI settings file ----

class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override { Kit_SetTimeSource(&clock); }
  void TearDown() override {
    Kit_SetAtomicFileCalls(nullptr);
    Kit_SetTimeSource(nullptr);
  }
  static void change(Tavro& plug, int paramIdx, double v) {
    ParamOf(plug, paramIdx).Set(v);
    plug.OnParamChange(paramIdx);
  }
  Kit_VirtualClock clock;
};

TEST_F(SettingsFile, RewritesThreeLinesWithoutATrailingBreak) {
  struct Case {
    const char* before;
    int paramIdx;
    double v;
    const char* after;
    double scale;
  };
  const Case cases[] = {
      {"v2\nnormal\nno\n", kUserInterfaceSize, 2, "v2\nlarge\nno", 1.25},
      {"v2\nlarge\nno", kUserInterfaceSize, 0, "v2\nsmall\nno", 0.75},
      {"v2\nsmall", kUserInterfaceSize, 7, "v2\nsmall\n", 0.75},
      {"v2\nnormal\nno", kFirstRunExit, 1, "v2\nnormal\nyes", 1.0},
      {"", kFirstRunExit, 1, "\n\nyes", 1.0},
  };
  for (const Case& c : cases) {
    const std::string before = c.before;
    PortsEditor editor(&before);
    change(*editor.plug, c.paramIdx, c.v);
    EXPECT_EQ(editor.data.read("Tavro Editor UI.txt"), c.after) << c.before;
    EXPECT_EQ(editor.plug->uiScale, c.scale) << c.before;
  }
}

TEST_F(SettingsFile, MissingFileIsReportedAndNotCreated) {
  for (int paramIdx : {int(kUserInterfaceSize), int(kFirstRunExit)}) {
    PortsEditor editor;
    change(*editor.plug, paramIdx, 1);
    EXPECT_EQ(editor.plug->keptControls().statusText->GetTextString(), "Tavro Editor UI.txt MISSING!");
    EXPECT_EQ(editor.plug->keptControls().valueText->GetTextString(), "Contact support");
    for (const std::string& path : editor.data.contents()) EXPECT_EQ(path.find("UI.txt"), std::string::npos) << path;
  }
}

// A disk that takes only a few bytes, as a full one does: no file may grow past
// `bytes` while it lasts (writes past that fail with EFBIG, the signal ignored).
class FileSizeCap {
public:
  explicit FileSizeCap(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldAction_ = signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{bytes, old_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &cap);
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldAction_);
  }

private:
  rlimit old_{};
  void (*oldAction_)(int) = nullptr;
};

TEST_F(SettingsFile, FailedWriteKeepsTheOldFileAndSaysSo) {
  const std::string before = "v2\nnormal\nno";
  PortsEditor editor(&before);
  {
    FileSizeCap full(4);
    change(*editor.plug, kUserInterfaceSize, 0);
  }
  EXPECT_EQ(editor.data.read("Tavro Editor UI.txt"), before);
  EXPECT_EQ(editor.plug->keptControls().statusText->GetTextString(), "Tavro Editor UI.txt NOT SAVED!");
}

}  // namespace
