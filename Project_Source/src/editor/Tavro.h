#pragma once
// The editor: one object per plug-in instance. It owns the managers of the other
// subsystems, the panel and its named layers, the progress overlay and the librarian
// menu layers, and holds the state the whole editor shares.
//
// Threads:
// - main: construction, host selectors (under the plug-in mutex), the panel, the
//   tear-down (without the mutex);
// - render: the render tick (no lock, sleep, allocation or I/O);
// - midi-in: no lock at entry, may take the plug-in mutex;
// - worker: the transfer engine's three (transfer, clock-control, clock);
// - tick-performer: what the render tick may not do itself (sends, job starts, log lines).
// Lock order: plug-in mutex, librarian lock, then leaves (queue, MIDI output, text).
// A thread is never joined and the input never closed under the plug-in mutex.
// Values read on several threads are atomics. The state the whole editor shares is
// grouped in records by concern (EditorState.h: UnitLink, ClockState, TransferState,
// OutputQueue, MidiFilters, SlotTables, RoadState, KeptControls, PanelMode), each
// field saying which threads write and read it; a record is read through its const
// accessor and written through named setters, so a search for the setter finds every
// writer.
//
// The object is split by concern, one file each:
// - here: TavroStartup.cpp (the start-up stages and the log), TavroTearDown.cpp,
//   TavroFactory.cpp, TavroState.cpp (host state), TavroParamRoad.cpp (every
//   parameter change), TavroControlAction.cpp (its last step), TavroDumpParameters.cpp
//   (the parameters as the dump coders see them), TavroTransfers.cpp (busy state);
// - commands/: TavroCommands.cpp routes the panel's command parameters to the
//   functions of TavroCommands.h, which the TavroCommands*.cpp files implement;
// - librarian/: TavroLibrarian.cpp (what the librarian asks of it), TavroLibrarianPanel,
//   TavroLibrarianCommands, TavroLibrarianMenus, TavroLibrarianSelectors,
//   TavroLibrarianSends, TavroCloseRequest (unsaved changes), TavroDataFolder;
// - midi/: TavroIncoming (channel messages in), TavroSysExIn, TavroHardwareChange
//   (values from the synthesizer), TavroLookups, TavroMidiOut, TavroClock,
//   TavroPortWatch;
// - panel/: TavroLayers.cpp (named layers and menu layers); dialogs: TavroDialogs.h;
// - the render tick and reset: src-dsp/TavroAudioDSP.cpp.

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Framework/IGraphicsStructs.h"
#include "Framework/IModuleAU.h"
#include "Framework/RenderGate.h"
#include "Kit_StopSignal.h"
#include "editor/EditorState.h"
#include "editor/LinkManager.h"
#include "editor/TickActions.h"
#include "editor/UISettings.h"
#include "editor/commands/TabSwitchFunctions.h"
#include "editor/midi/HeldMidi.h"
#include "editor/midi/IMidiQueue.h"
#include "editor/midi/MidiWirePace.h"
#include "editor/panel/ControlDisplay.h"
#include "librarian/LibrarianEditor.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianPanelEditor.h"
#include "messaging/DumpParameters.h"
#include "messaging/MessagingEditor.h"

struct IMidiMsg;
class ControlAction;
class ControlLayer;
class IControl;
class IGraphicsMac;
class IParam;
class LibrarianViewControl;
class ITextControl;
class Kit_Mutex;
class Kit_RandomSource;
class MIDIClockLink;
class MIDIMessageManager;
class PatchLibrarian;
class PatchManager;
class TavroLibrarianPanel;
class ProgressIndicator;
class UIConfigManager;

// The panel for a plug-in, reading the editor's bundle.
IGraphicsMac* MakeGraphics(IModuleAU* plug, int width, int height, int fps);

// The status text for stored ports a recall did not find ("" for none): one line
// that shows both names, each cut in its middle (the longer gives way first) to the
// most that `readsWhole` still takes whole.
std::string MissingPortsText(const std::string& in, const std::string& out,
                             const std::function<bool(const std::string&)>& readsWhole);

class Tavro : public IModuleAU, public LibrarianEditor, public MessagingEditor {
public:
  static constexpr const char* kBundleID = "com.Orvane.audiounit.Tavro Editor";
  static constexpr int kPanelWidth = 1500;
  static constexpr int kPanelHeight = 667;
  static constexpr int kMenuCount = kLibrarianMenuCount;
  static constexpr int kNoAnswer = UnitLink::kNoAnswer;
  static constexpr int kSlotTableSize = SlotTables::kSize;

  // `transports` (tests: fake ports) replaces the system's MIDI before the panel
  // lists the ports.
  explicit Tavro(const IModuleInstanceInfo& info, std::shared_ptr<MidiTransportFactory> transports = nullptr);
  ~Tavro() override;

  // ---- host operations ----
  // threads: main (host selectors, under the plug-in mutex)
  void Reset() override;
  // threads: render
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // ---- host state (TavroState.cpp); threads: main (under the plug-in mutex) ----
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;
  // The full chunk (withPatchManager) or the short form.
  bool SerializeState2(ByteChunk* chunk, bool withPatchManager);
  // Applies a chunk only when it parses whole; otherwise changes nothing and gives -1.
  // Else the position after the last value read.
  int UnserializeState2(ByteChunk* chunk, int startPos, bool withPatchManager);
  // The MIDI port names (input, output) a recall did not find among the ports: saved
  // again in their place until the user chooses a port.
  std::array<std::string, 2> unmatchedPortNames;
  // What a recall said of ports not found, until a view shows it: a host restores
  // before it opens a view, and its reset puts the greeting on the status line.
  // threads: main
  std::string portStatusForView;
  // The port watch: when it next looks, and which chosen ports (bit 0 input, bit 1
  // output) it last found gone, so that their going is said once.
  uint64_t nextPortLookMicros = 0;
  int portsFoundGone = 0;

  // ---- data folder ----
  // The platform's data root + "/Orvane/Vudidi Tavro Editor/".
  std::string getDataFolder() const override;
  std::string getPatchesFolderStr() const { return getDataFolder() + "Patches"; }

  // ---- log ----
  bool isLogEnabled() const override { return debugEnabled; }
  // Writes the line only while logging is on.
  // threads: main, render, worker, tick-performer
  void printDebugInfo(const std::string& line) override;

  // ---- librarian ----
  bool isLibrarianPerformanceMode() const override { return panelMode_.perfMode.load(); }
  CurrentFilePair getLeftCurrentFile(bool performance) const override;
  void setLeftCurrentFile(bool performance, const CurrentFilePair& pair) override;
  std::string promptForSaveFile(const std::string& proposedName, const std::string& startFolder,
                                const std::string& extensions, const SaveRefusal& refuse,
                                std::string* refusal) override;

  // ---- transfers ----
  bool isMidiIOSet() const override { return unitLink_.midiIOSet.load(); }
  // threads: main, worker
  void DisplayProcessingIndicator(bool show) override;
  // A job runs on worker (transfer) (TavroTransfers.cpp).
  // threads: any
  bool IsTransferring() const override;
  // Shows the overlay picture while the librarian menus are rebuilt, then puts it
  // back as it was; no transfer flag changes, so a transfer under way keeps its state.
  // threads: main
  void refreshLibrarianMenus();

  // ---- parameter road ----
  // threads for all four: main (panel, host) or midi-in; each holds the plug-in mutex
  // (recursive) from entry to exit. The hardware roads send nothing back.
  // The panel's and the editor's own changes: commands, read-out, per-parameter rules,
  // then selector layer, linked slots and MIDI action (TavroParamRoad.cpp).
  void OnParamChange(int paramIdx) override;
  // A value that came from the synthesizer (TavroHardwareChange.cpp).
  void OnParamChange2(int paramIdx) override;
  // Escape in a text entry (TavroLibrarianCommands.cpp: the rename box closes).
  void OnTextEntryCancelled(int paramIdx) override;
  // A hardware change whose value is given, not read from the parameter (which it
  // leaves as it is): the read-out shows `value`, the tabs show slot `quickTab` (the
  // active slot stays), and the binding's action runs with `value`; no link follows and
  // nothing is sent back. `redraw` pushes every parameter to its controls afterwards
  // (TavroHardwareChange.cpp).
  void OnParamChange3(int paramIdx, int value, int quickTab, bool redraw);
  // The last step of every change: bound controls follow, then the binding's CC, or a
  // program or performance resend (TavroControlAction.cpp).
  void processControlAction(ControlAction* action, int paramIdx, double value);

  // What a panel command did with a change: not one of its parameters, handled and the
  // road goes on, or handled and the change ends there.
  enum class CommandResult { kNotMine, kGoOn, kEnd };
  // The panel's command parameters, before the read-out (beforeReadout) or after it
  // (TavroCommands*.cpp); the librarian's and program selection's (TavroLibrarianCommands*.cpp).
  // threads: main (as OnParamChange, under the plug-in mutex)
  CommandResult runPanelCommand(int paramIdx, double value, bool beforeReadout);
  CommandResult runLibrarianCommand(int paramIdx, double value, bool beforeReadout);

  // ---- MIDI to the synthesizer (TavroMidiOut.cpp) ----
  // The exit for the panel's own channel messages: dropped while a transfer holds the
  // output, queued for the render tick in queue mode, else sent now.
  // threads: main, midi-in, worker
  void MIDIOutRoutingSwitch(IMidiMsg* msg);
  // Sends one channel message to the hardware port now and lights its slot's light;
  // false when it did not go (said on the status line but for a message without a
  // channel, which its caller names).
  // threads: main, midi-in, worker, tick-performer
  bool sendMidiMsgAndLog(IMidiMsg* msg);
  // Sends one SysEx message unchanged (no checksum is made); false when no port is set.
  // threads: main, worker
  bool checksumCheckAndSend(const unsigned char* bytes, int length) override;
  // Note Off for notes 127 down to 1 on the slot's channel (every slot's with allSlots),
  // then a 100 ms pause. Blocks its caller.
  // threads: main, worker
  void AllSoundsOff(int slot, bool allSlots) override;
  // Notes off on `channel` (0-15), then bank select MSB, LSB and the program change,
  // paced 25, 25 and 50 ms. Blocks its caller. False when the program change did not
  // go out.
  // threads: main
  bool BankChangeMessage(int bankMsb, int bankLsb, int channel, int program);
  // Starts the device-id enquiry (job 12) and pauses 100 ms (TavroParamRoad.cpp).
  // threads: main
  void sendSysExInitialization();
  // Pauses the calling thread; a close ends the pause at once, so tear-down never
  // waits for notes off or a bank change under way.
  // threads: main, worker, tick-performer
  void pauseUnlessClosing(int ms);
  Kit_StopSignal closing;
  // The MIDI channel 1-16 of a slot's part, or 0 when it is unset or out of range.
  int slotChannel(int slot) const;
  // The status line's text.
  // threads: main, worker (the text control has its own lock)
  void showStatus(const std::string& text) override;
  std::string statusShown() const override;
  // Whether both status lines draw `text` whole at their own text size.
  // threads: main
  bool readsWholeOnStatusLines(const std::string& text) const;

  // Closing the window with unsaved librarian changes asks: save them (and close
  // once they are written), discard them and close, or keep the window
  // (TavroCloseRequest.cpp).
  // threads: main
  bool OnGUICloseRequest() override;
  // A press on the greyed Programs/Perfs switch says why it is greyed.
  // threads: main
  void OnGrayedControlClicked(int paramIdx) override;
  // The busy overlay's gate: while a transfer runs (overlay shown, or its job between
  // two of its steps) only the Cancel buttons and the program and bank selectors take
  // input, and the librarian's list while the row it sent is on the way (what the
  // overlay lets through); they act on the slot the page shows. Anything else is
  // refused and the status line names it (BusyGate.cpp).
  // threads: main
  bool PanelInputAllowed(IControl* control, int x, int y) override;
  // The number of the transfer run under way (the worker's jobsBegun count), -1 while
  // no transfer runs (see transferRuns).
  // threads: any
  int transferRunNumber() const;
  // Unsaved changes of the upper bank, before something would drop them: asks
  // `question` (save, discard, cancel), or without a window refuses with
  // kSaveOrDiscardText. True when nothing unsaved is left to lose.
  // threads: main
  bool settleUnsavedBank(const char* question);
  // The close nobody is asked about (a signal, a host that disposes the instance, a
  // script's end): unsaved changes of the upper bank go into a new file beside the
  // bank, whose own file stays as it is, and stderr and the log say where, or that
  // they could not be kept. Nothing when none are unsaved (saved, or discarded by No).
  // threads: main
  void keepUnsavedBankUnasked();
  // The gate every change of the bank the upper pane shows, and every reading of the
  // banks from disk, passes: over unsaved changes it asks as Refresh asks when `ask`,
  // else refuses with kSaveOrDiscardText. True when nothing unsaved is left to lose.
  // threads: main
  bool mayChangeShownBank(bool ask);
  // A view opened: it shows what a recall had to say of the ports, or that there is no
  // MIDI system to offer any (TavroPortWatch.cpp).
  // threads: main
  void OnGUIOpen() override;
  // The view's timer: a MIDI system gone from under the open ports turns both port
  // captions to OFF and says so on the status line; a chosen port that left the
  // system (the unit gone, the system still there) is said once, about once a second.
  // threads: main
  void OnIdle() override;
  int chosenPortsGone();
  static constexpr const char* kNoMidiSystemText = "No MIDI system found: ports are OFF";
  // Said after what a slot whose Part MIDI Channel is Off would have sent.
  static constexpr const char* kChannelOffText = ": not sent, channel Off";
  // "MIDI In and Out", "MIDI In" or "MIDI Out": the ports a status text speaks of.
  static std::string portsNamed(bool input, bool output);
  // The first-run notice asks for MIDI In and MIDI Out: once both are open (a restore,
  // or both chosen on the panel) it has nothing left to ask and is withdrawn.
  // threads: main
  void withdrawPortNoticeWhenOpen();
  static constexpr const char* kUnsavedOnCloseText =
      "The librarian's bank has unsaved changes. Save them before the window closes?";
  static constexpr const char* kUnsavedOnRefreshText =
      "The librarian's bank has unsaved changes. Save them before the folders are read again?";
  static constexpr const char* kUnsavedCaption = "Unsaved bank";
  static constexpr const char* kSaveOrDiscardText = LibrarianPanelEditor::kSaveOrDiscardText;
  static constexpr const char* kCloseSearchFirstText = "Close the search to switch programs and performances";

  // ---- layers and controls ----
  // The named layer kept at start-up, or null (logged) when the layout lacks it.
  ControlLayer* layer(const std::string& name) const;
  // Shows (hide false) or hides the named layer; a missing one is skipped.
  void showLayer(const std::string& name, bool show) const;
  // The first control bound to the parameter, or null (logged).
  IControl* firstControl(int paramIdx);
  // The value of a parameter; 0 for an index outside the table.
  double paramValue(int paramIdx) const;
  // The panel's value through its controls (SetParameterFromPlug, not normalized).
  void setFromPlug(int paramIdx, double value);

  // ---- the parameter road's own steps (TavroParamRoad.cpp, TavroControlAction.cpp) ----
  // threads: main (as OnParamChange, under the plug-in mutex)
  // The panel's handler, then the librarian's when the parameter is not the panel's.
  CommandResult runCommands(int paramIdx, double value, bool beforeReadout);
  // The dispatcher's own rules after the read-out (names, part channels, performance
  // settings, device id); false when none is the parameter's.
  bool runOwnRule(int paramIdx, int integerValue);
  // Notes off, then the slot's program (job 1) or the whole performance (job 0) to the
  // synthesizer. Without a port nothing is sent and the status line says to choose one:
  // false then.
  bool resendProgram(int slot);
  bool resendPerformance();
  // Starts a resend job, or keeps it until the running transfer ends.
  void startResend(int jobCode, int slot);
  // The binding's data byte as a control change, on the slot's channel, to the output
  // unless the value came from the synthesizer (TavroControlAction.cpp).
  void sendControlChange(const ControlAction* action, int paramIdx, int dataValue);

  // ---- control lookups and read-outs (TavroLookups.cpp) ----
  // The layout's tables, filled while the panel is built and only read afterwards.
  // threads: main, midi-in
  IControl* getCCControls(int channelKey, int cc, int modelGroup) const override;
  IControl* getSysexControl(int b0, int b1, int b2, int b3, int b4) const override;
  // Keyed channel, the three MSB/LSB keys and the model group.
  IControl* getMsbLsbControl(int channel, int key1, int key2, int key3, int modelGroup) const;
  // A value kept under three parts, outermost first: 0 when never set; a later set
  // replaces it.
  // threads: main only (no lock: it must not be read on another thread meanwhile)
  int getProgramValueByParts(int outer, int middle, int inner) const;
  void setProgramValueByParts(int outer, int middle, int inner, int value);
  // The read-out's name, value and CC lines at once; the build line.
  // threads: main, midi-in, worker (text controls have their own lock)
  void displayText(const std::string& name, const std::string& value, const std::string& cc);
  void displayBuild(const std::string& text);
  // The read-out's number format: "%.0f" of value.
  static std::string getValueString(double value) { return ControlDisplay::getValueString(value); }

  ControlDisplay valueReadout;
  LinkManager linkManager;
  std::map<int, std::map<int, std::map<int, int>>> programValues;

  // ---- incoming SysEx and the librarian's requests ----
  // The plug-in's SysEx input (TavroSysExIn.cpp): nothing while the input is suspended
  // or the side's SysEx filter holds it back; else the manager's dispatch, then the
  // panel follows: controls redrawn, every binding's last sent value forgotten, the
  // activity lights off, and "Data processed - Ready!" when a dump was taken over.
  // threads: midi-in (no lock at entry), main (host SysEx, under the plug-in mutex)
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;
  void processOwnSysEx(const unsigned char* bytes, int length) override;
  // threads: main, worker
  void SetLibrarianRequestActive(bool forLibrarian) override;
  void SetLibrarianStatusUnsaved(bool unsaved) override;
  // threads: main, midi-in, worker
  void setLibrarianViewDirty() override;
  void updatePatchLibrarianView(int which) override;
  int getTimerValue() const override;
  DumpParameters& panelParameters() override { return panelDumpParameters; }
  const ProgramDumpCoder* programDumpCoder() const override;
  const PerformanceDumpCoder* performanceDumpCoder() const override;
  bool isDeviceEnquiryPending() const override { return unitLink_.deviceEnquiryPending.load(); }
  // An enquiry going out forgets the id answered before: until it is answered, no unit
  // is known to be on the port.
  void setDeviceEnquiryPending(bool pending) override {
    if (pending) unitLink_.answeredDeviceId = kNoAnswer;
    unitLink_.deviceEnquiryPending = pending;
  }
  int getDeviceId() const override { return unitLink_.deviceId.load(); }
  // Only an answer to the enquiry sets the id this way.
  void setDeviceId(int id) override {
    unitLink_.deviceId = id;
    unitLink_.answeredDeviceId = id;
  }
  // The id the panel chose (its selector, a model change, recall, start-up): the unit
  // has not answered on it.
  void setPanelDeviceId(int id) { unitLink_.deviceId = id; }
  // The device id is the one the unit on the port answered on.
  bool deviceIdAnswered() const {
    return unitLink_.midiIOSet && unitLink_.answeredDeviceId.load() == unitLink_.deviceId.load();
  }

  // The panel's parameters as the dump coders see them (TavroDumpParameters.cpp):
  // values through the panel's controls, no change handler; the name displays and the
  // patch manager's names under the plug-in mutex.
  // threads: main, midi-in, worker
  class PanelDumpParameters : public DumpParameters {
  public:
    explicit PanelDumpParameters(Tavro* plug) : plug_(plug) {}
    int Model() const override;
    double Value(int index) const override;
    void SetValue(int index, int value) override;
    void SetStepValue(int index, int value, double controlPosition) override;
    void SetName(int index, const std::string& name) override;

  private:
    Tavro* plug_;
  };
  PanelDumpParameters panelDumpParameters{this};
  // What the SysEx input does once the message is let in.
  void takeSysEx(ISysEx* sysex, bool fromDevice);

  // ---- librarian sends and performance jobs ----
  // Librarian sends and the performance resend (TavroLibrarianSends.cpp).
  // Sends a slot of the upper (pane 0) or lower list through the panel to the
  // synthesizer (job 2, with its own copy of the slot); pads the bank to 99 first.
  // threads: main, midi-in (program changes); pauses 150 ms with a port set
  void sendPatchToDeviceFromLibrarian(int row, int pane);
  // The same send, whose refusals (no bank, no slot, an empty slot) begin with `refused`:
  // "Not sent" for a send, "Not stored" for the store menu's.
  void sendLibrarianSlot(int row, int pane, const std::string& refused);
  // Writes the bank file of a list (column 0 upper, 1 lower) into a synthesizer bank
  // (job 3). threads: main
  void storeAllPatchesToDeviceFromLibrarian(int column, int bank);
  // The selected slot of the selected column to the synthesizer, or that column's bank
  // file into a bank (the selected slot then goes back to 0). The lower column is the
  // selected one while the upper list has no selection. threads: main
  void SendSingleProgramFromLibrarian();
  void SendAllProgramsFromLibrarian(int bank);
  int selectedLibrarianColumn();
  // Resends one slot's program (job 1) when one of its sections is locked, or the
  // whole performance (job 0) when the first mod-wheel lock is on; pause up to 300 ms.
  // threads: main, midi-in
  void sendPartDataBackToHardware(int slot);
  void sendMultiDataBackToHardware();
  // What the librarian sends and the performance jobs read of the editor.
  // threads: main, midi-in, worker (each as MessagingEditor says)
  MIDIMessageManager* messageManager() override { return midiManager; }
  int getActiveSlot() const override { return panelMode_.activeSlot.load(); }
  std::string nameText(int paramIdx) const override;
  void keepPatchName(int entry, const std::string& name) override;
  bool searchResultsAreShown() const override { return panelMode_.searchResultsShown.load(); }
  bool librarianRenameActive() const override { return !panelMode_.renameInactive.load(); }
  bool isHardwareChangeActive() const override { return road_.hardwareChangeActive.load(); }
  bool isDataProcessed() const override { return transfer_.dataProcessed.load(); }
  void clearDataProcessed() override { transfer_.dataProcessed = false; }
  void selectLibrarianRow(int pane, int row) override;
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override { return IModuleAU::SendMidiSysex2(std::move(bytes)); }
  bool SendMidiMsg(IMidiMsg* msg) override { return IModuleAU::SendMidiMsg(msg); }
  uint64_t lostMidiOutput() override { return GetMidiPorts().LostOutputMessagesBesideRealTime(); }
  bool midiOutputSettled() override { return GetMidiPorts().OutputSettledBesideRealTime(); }

  // ---- incoming MIDI, MIDI clock and randomiser ----
  // MIDI in (TavroIncoming.cpp): the synthesizer's channel messages on a part channel
  // go to the MIDI manager; the host's go to the first slot on their channel, or are
  // spread over the keyboard zone of linked slots it belongs to.
  // While a transfer runs, or while earlier ones wait, a host message waits in the
  // hold (HeldMidi.h) instead of being dropped. The unit's messages are dropped while
  // a transfer shows: its knobs moved the unit already, and the panel follows the
  // moves that come after.
  // threads: midi-in (fromDevice, no lock at entry), main (host, under the plug-in mutex)
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  // Hands on, in order, what waits in the hold and may go now, and says what it had
  // to refuse. threads: main, tick-performer (under the plug-in mutex)
  void releaseHeldMidi();
  // At a close, while the ports are open: the hold lets nothing more go, and what ends
  // a note it let sound goes at once, so that no note is left sounding. threads: main
  void closeHeldMidi();
  // At a close: what the hold had not let go, and what it refused unsaid, is said.
  // threads: main (once tick-performer has ended)
  void sayHeldMidiUnsent();
  // A transfer shows its overlay or its worker runs.
  // threads: any
  bool transferRuns() const;
  // A host message spread over zone `mode` (0-6) of linked slots: one copy for each slot
  // of the zone (shrunk to its soloed slot), in the order A to D; nothing while the
  // ports are not set. threads: main (under the plug-in mutex)
  void DistributeMIDIMessages(IMidiMsg* msg, int mode, int statusWithoutChannel);
  // One slot's copy of a host message, status `statusWithoutChannel` + the slot's
  // channel - 1, to the MIDI manager; nothing for a slot without a channel.
  // threads: main (under the plug-in mutex)
  void CloneMIDIMessageAndProcess(IMidiMsg* msg, int slot, int statusWithoutChannel);
  // What the incoming handlers and the randomiser use (MessagingEditor).
  IParam* editorParam(int paramIdx) const override;
  int editorParamIndex(const char* name) const override;
  void showValueFromPlug(int paramIdx, double value) override { setFromPlug(paramIdx, value); }
  void runParamChange(int paramIdx) override { OnParamChange(paramIdx); }
  // (TavroLibrarianSelectors.cpp)
  void showUnitChoice(int slot, bool performance, int bank, int program) override;
  bool midiClassBlocked(bool fromDevice, int filterClass) const override;
  void lightIncomingMidi(int slot) override;
  // What the host or the unit played is no panel message of its own: a transfer's
  // hold of the panel's output does not drop it.
  void routeMidiToSynth(IMidiMsg* msg) override;
  void sendMidiToSynthNow(IMidiMsg* msg) override { sendMidiMsgAndLog(msg); }
  int synthModel() const override { return unitLink_.nordModel.load(); }
  void setLocalControl(bool on) override { midiFilters_.localControl = on; }
  bool isLocalControlOn() const override { return midiFilters_.localControl; }
  void sendLibrarianRowToSynth(int row) override;
  Kit_Mutex& pluginMutex() override;
  Kit_RandomSource& randomSource() override;
  std::vector<int>& randomTable() override { return randomizerState; }
  // MIDI clock (TavroClock.cpp). The host tempo in whole beats per minute as the
  // render tick or the tempo handler last saw it (0 while the host gives none), which
  // paces the clock.
  // threads: any
  int getTempoValue() const { return clockState_.hostTempo.load(); }
  // Gives the MIDI manager's sender this object's clock and installs jobs 14-16.
  // threads: main (at construction)
  void installClockJobs();
  // The render tick's first step: the host's time, and hostTempo from this tick's report.
  // threads: render
  void readHostTime();
  // The queue mode's delay: the block size and twice the DAW offset, shown on its
  // read-out at once. threads: main
  void setQueueDelay(int dawOffsetSamples);
  // hostTempo from the host's report now, for the tempo handler (620): a clock
  // switched on before the first render tick starts at the host's tempo.
  // threads: main
  void takeHostTempo();
  std::unique_ptr<MIDIClockLink> clockLink;

  // ---- librarian page ----
  // The editor as the librarian list and menus see it (TavroLibrarianPanel.cpp).
  TavroLibrarianPanel& librarianPanel();
  // The librarian list made by the layout, null before the panel is built.
  LibrarianViewControl* librarianList() const;

  // Makes `slot` the panel's active slot: the slot selector shows it and its change
  // runs (TavroLibrarianSelectors.cpp).
  void ChangeActiveSlotOnSoftware(int slot);

  // Librarian menus and patch type (TavroLibrarianMenus.cpp). dataType 0 programs,
  // 1 performances; listKind 0 program files, 2 performance files, 4 search results.
  void patchTypeChanged(int dataType, int listKind, bool discard);
  // Refills the bank lists' texts of the current data type, without a switch.
  void ResetPatchSelectionMenus();
  // The names of the files a bank list names, and its first file.
  struct ListedFiles {
    std::vector<std::string> names;
    CurrentFilePair first;
  };
  void refreshPopUpMenus();
  void updateBankAndProgramMenuNames(bool keepBankMenu);
  void showFileEditMenu(int x, int y);
  void showFileCopyMenu(int x, int y);

  // Data folder, import and help (TavroDataFolder.cpp).
  void OpenDataDirectory(bool manual);
  // Copies a bank the user picks into "Patches"; true when one was copied in.
  bool saveImportedFile(bool midiFile);
  void OpenHelpTopics(int topic);
  // "Slot A " .. "Slot D " before `text` for slots 0-3, else `text`; the characters
  // stay valid until the next call.
  const char* getPanelString(int slot, std::string text);
  int getPatchesFolderLength() const { return int(getPatchesFolderStr().size()); }
  // Libraries of the older editor are not read: nothing to import.
  void importJPLibFile(bool) {}

  // The right pane's current-file pairs (the left ones are above). The search results'
  // pair is apart, so the pane's program bank is shown again when the search ends.
  CurrentFilePair rightProgramFile, rightPerformanceFile, rightSearchFile;
  // The right pane's pair of the kind: the search results' while they are shown.
  CurrentFilePair& rightPaneFile(bool performance) {
    if (performance) return rightPerformanceFile;
    return panelMode_.searchResultsShown ? rightSearchFile : rightProgramFile;
  }
  std::shared_ptr<TavroLibrarianPanel> librarianPanel_;

  IGraphicsMac* graphics = nullptr;
  UIConfigManager* uiConfig = nullptr;
  PatchLibrarian* librarian = nullptr;
  PatchManager* patchManager = nullptr;
  MIDIMessageManager* midiManager = nullptr;
  ProgressIndicator* progressIndicator = nullptr;
  ControlLayer* progressLayer = nullptr;
  IBitmap progressImage;  // the overlay picture at panel size; released at tear-down
  TabSwitchFunctions tabSwitch;

  // ---- render tick (src-dsp/TavroAudioDSP.cpp) ----
  // What the tick left to tick-performer, done there in order.
  // threads: tick-performer
  void performTickAction(const TickAction& action);
  TickActionRing tickActions;
  std::unique_ptr<TickActionPerformer> tickPerformer;

  // ---- the link to the unit ----
  const UnitLink& unitLink() const { return unitLink_; }
  void setMidiIOSet(bool set) { unitLink_.midiIOSet = set; }
  void setNordModel(int model) { unitLink_.nordModel = model; }

  // ---- MIDI clock and the host's transport ----
  const ClockState& clockState() const { return clockState_; }
  void setClockLoopStarted(bool started) { clockState_.clockLoopStarted = started; }
  void resendTransport() { clockState_.transportToResend = true; }
  // Every change of the output port comes here (the menu, a restored state, a system
  // gone): a unit the clock may have running hears Stop before it is left, or it
  // would run on alone. The same port chosen again keeps its unit.
  // threads: main
  int setExternalMIDIOut(int& index, const char* name) override;
  void setSendClockPointer(bool on) { clockState_.sendClockPointer = on; }
  void setSendMidiClock(bool on) { clockState_.sendMidiClock = on; }

  // ---- transfers with the unit ----
  const TransferState& transferState() const { return transfer_; }
  void setTransferBusy(bool busy) { transfer_.transferBusy = busy; }
  void setHoldOutputWhileBusy(bool hold) { transfer_.holdOutputWhileBusy = hold; }
  void setSysexInputSuspended(bool suspended) { transfer_.sysexInputSuspended = suspended; }
  void setDataProcessed(bool processed) { transfer_.dataProcessed = processed; }

  // ---- the queue mode of the output ----
  const OutputQueue& outputQueue() const { return outputQueue_; }
  void setQueueMidiOutput(bool queued) { outputQueue_.queueMidiOutput = queued; }
  void setDawOffset(int samples) { outputQueue_.dawOffset = samples; }
  void setMidiOutDelay(int samples) { outputQueue_.midiOutDelay = samples; }
  void setResetPending(bool pending) { outputQueue_.resetPending = pending; }

  // ---- MIDI filters and routing ----
  const MidiFilters& midiFilters() const { return midiFilters_; }
  void setHostFilterBlocked(size_t filterClass, bool blocked) { midiFilters_.hostFilterBlocked[filterClass] = blocked; }
  void setDeviceFilterBlocked(size_t filterClass, bool blocked) {
    midiFilters_.deviceFilterBlocked[filterClass] = blocked;
  }
  void setSlotSolo(size_t slot, bool on) { midiFilters_.slotSolo[slot] = on; }
  void setGlobalLink(size_t link, bool on) { midiFilters_.globalLink[link] = on; }
  void setIgnoreDeviceMidi(bool on) { midiFilters_.ignoreDeviceMidi = on; }
  void setTrackIncomingMidi(bool on) { midiFilters_.trackIncomingMidi = on; }

  // ---- per-slot tables ----
  // Each field: who writes it (through its setter, the one writer) / who reads it.
  const SlotTables& slotTables() const { return slotTables_; }
  void setLedLit(size_t slot, int lit) { slotTables_.ledLit[slot] = lit; }
  void setLedOnTime(size_t slot, int ticks) { slotTables_.ledOnTimes[slot] = ticks; }
  void setSlotChannel(size_t slot, int channel) { slotTables_.slotChannels[slot] = channel; }

  // ---- the parameter road's own state ----
  const RoadState& roadState() const { return road_; }
  void setStartupComplete(bool complete) { road_.startupComplete = complete; }
  void setHardwareChangeActive(bool active) { road_.hardwareChangeActive = active; }
  void setLinkInProgress(bool linking) { road_.linkInProgress = linking; }
  void setLfo2HoldReleased(bool released) { road_.lfo2HoldReleased = released; }
  // Whether the hold was released, forgetting it.
  bool takeLfo2HoldReleased() { return road_.lfo2HoldReleased.exchange(false); }

  // ---- controls kept at start-up ----
  const KeptControls& keptControls() const { return kept_; }

  // ---- panel mode ----
  const PanelMode& panelMode() const { return panelMode_; }
  void setPerfMode(bool on) { panelMode_.perfMode = on; }
  // A performance taken into the panel writes the slots' program and bank selectors:
  // they are kept on the way into performance mode and put back on the way out, so
  // program mode shows and steps from the slots' own choice. (TavroLibrarianSelectors.cpp)
  void keepSlotChoiceAcross(bool performances);
  void setActiveSlot(int slot) { panelMode_.activeSlot = slot; }
  void setLibraryControlOn(bool on) { panelMode_.libraryControlOn = on; }
  void setSelectedProgram(int program) { panelMode_.selectedProgram = program; }
  void setSearchResultsShown(bool shown) { panelMode_.searchResultsShown = shown; }
  void setRenameInactive(bool inactive) { panelMode_.renameInactive = inactive; }
  void setKeepCurrentBank(bool keep) { panelMode_.keepCurrentBank = keep; }

  // ---- shared state ----
  IMidiQueue midiQueue{1024, 1024};
  // Short messages waiting for a transfer's end; a release is in the tick ring.
  HeldMidi heldMidi;
  std::atomic<bool> heldMidiReleaseQueued{false};
  // The hold is let go no faster than the cable to the unit carries it.
  MidiWirePace heldMidiPace;
  ITimeInfo timeInfo;
  double sampleRate = 0.0;
  double uiScale = 1.0;
  int uiConfigMode = 0;
  UISettings uiSettings;
  std::string logPath;
  std::string uiSettingsPath;
  bool debugEnabled = false;
  // What start-up found in the place of the log or the settings file and passed
  // over ("Tavro Editor UI.txt (a FIFO, not a file)"); empty when nothing was.
  std::string passedOverAtStart;
  // The same, until a view shows it ("Passed over: ..."). threads: main
  std::string passedOverForView;

  std::vector<int> randomizerState;
  std::array<int, kSlotTableSize> lastMidiData{};

  std::string panelString;  // the last text of getPanelString; threads: main
  std::string upperBankFile, upperBankText, lowerBankFile, lowerBankText;
  std::string upperPerfBankFile, upperPerfBankText, lowerPerfBankFile, lowerPerfBankText;
  CurrentFilePair leftProgramFile, leftPerformanceFile;

private:
  // One incoming short message on its way (TavroIncoming.cpp).
  void takeMidiMsg(IMidiMsg* msg, bool fromDevice);
  // Gives the bank lists of `listKind` one text per file (long names shortened and
  // logged) and has the two list controls draw them.
  ListedFiles fillFileLists(int listKind);
  // Start-up stages (TavroStartup.cpp).
  void readSettingsAndLog();
  void createManagers();
  void buildPanel();
  void keepLayers();
  void buildProgressOverlay();
  void keepControlSet1();
  void fillBankList(int paramIdx, const char* name, IControl** control, std::string* text, std::string* file);
  void buildMenuLayers();
  void keepControlSet2();
  // The read-out's name line and the librarian page's status line, told apart by layer.
  void keepStatusLines();
  void setStartValues();
  void setFilterStartValues();
  void pushParameterValues();
  // Recall (TavroState.cpp). True when the chunk holds a whole state from startPos.
  bool stateFits(ByteChunk* chunk, int startPos, bool withPatchManager) const;
  // What a restore says last: the ports it did not find, else what it did with the
  // ports and the unit.
  std::string restoreOutcome(const std::string& missing) const;
  // The patch manager's block, the ports found again by their stored names (what is
  // not there now into *missing) and the bank and program selection; the position after.
  int recallPortsAndSelection(ByteChunk* chunk, int pos, std::string* missing);
  void showRecalledNames();
  // The recalled performance and parts sent to the unit, after the recall's pause.
  void resendRecalledArrangement();
  // Reopens the stored port of `side`; the stored name when it is not there ("" when found).
  std::string reopenPort(int side);
  // Logs both port selectors' shown names: "PROJECT RECALL: MIDI In device " + when ...
  void logPortNames(const std::string& when);
  // The model's entry of the layout's "selectedModel" list; its number when it has none.
  std::string modelName(int model) const;
  // Sets the flags that follow the restored switches, sending nothing.
  void followRestoredSwitches();
  // Tear-down in the safe order; also what a construction failing midway runs.
  void tearDown();
  void logStage(const std::string& line) { printDebugInfo(line); }
  // Render tick steps: transport edges and the clock loop, the host tempo, the queued
  // messages, the notes off after a reset and the activity lights. `defer` is false
  // when the ring was full.
  void tick(double** outputs, int nFrames);
  void releaseWhatMayGo();
  void followTransport(int nFrames);
  void tellUnitTheTransport(int nFrames);
  void followHostTempo();
  void sendDueMessages(int nFrames);
  void darkenLights(bool transportRunning, int loopLength);
  bool defer(const TickAction& action);
  // The slot's activity light on (1) or off (0): its parameter and its one control,
  // without the panel-wide walk of SetParameterFromPlug (the tick may do this).
  void setActivityLight(int slot, double value);
  bool tickDeferred_ = false;
  int shownDelayMs_ = -1, shownDelayBlock_ = -1;
  double behindFrames_ = 0;  // frames the unit has been behind the host's transport
  bool wasBehind_ = false;   // it was behind at the last tick
  // Destroyed without the wrapper's close (which shuts its own gate first), tear-down
  // still waits for the tick inside and turns later ones away.
  // threads: render (the tick), main (tear-down)
  RenderGate tickGate_;

  PanelMode panelMode_;
  // The slots' selectors kept by keepSlotChoiceAcross, once it has kept them.
  // threads: main, midi-in (the data-type command, under the plug-in mutex)
  std::array<double, 4 * kSlotCount> slotChoiceKept_{};
  bool slotChoiceKeptValid_ = false;
  UnitLink unitLink_;
  ClockState clockState_;
  TransferState transfer_;
  OutputQueue outputQueue_;
  MidiFilters midiFilters_;
  // Under statusLock_: shows statusAsked_, with the refusals of the run under way, on
  // both status lines. Held while the lines are set, so they show the last line asked.
  // threads: main, worker
  void showAskedStatus();
  // The status line's text as last shown, for a job to read on its own thread. A leaf
  // lock but for the status lines' own text locks, taken under it.
  mutable std::mutex statusLock_;
  std::string statusShown_;  // guarded by statusLock_
  // The line as last asked for, and the controls the busy gate refused during the
  // transfer run numbered refusalsRun_: every line that run shows, its outcome
  // included, says them, so the next progress line cannot wipe a refusal unread.
  std::string statusAsked_;                    // guarded by statusLock_
  std::vector<std::string> transferRefusals_;  // guarded by statusLock_
  int refusalsRun_ = -1;                       // guarded by statusLock_
  SlotTables slotTables_;
  RoadState road_;
  KeptControls kept_;

  std::vector<std::pair<std::string, ControlLayer*>> namedLayers_;
};
