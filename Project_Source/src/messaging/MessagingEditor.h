#pragma once
// What the transfer engine reads of and tells the editor. The editor implements it;
// tests use a fake.

#include <cstdint>
#include <string>
#include <vector>

class DumpParameters;
class IControl;
class IParam;
class Kit_Mutex;
class Kit_RandomSource;
class MIDIMessageManager;
class PerformanceDumpCoder;
class ProgramDumpCoder;
struct IMidiMsg;

class MessagingEditor {
public:
  virtual ~MessagingEditor() = default;

  // Both hardware ports are chosen and open: jobs may talk to the synthesizer.
  // threads: any
  virtual bool isMidiIOSet() const = 0;
  // Starts (true) or ends (false) the busy state of a transfer: the overlay, the
  // transfer flags and the sender's cancel request.
  // threads: main, worker
  virtual void DisplayProcessingIndicator(bool show) = 0;
  // Sends one SysEx message to the synthesizer; false (and the status line says so)
  // when no port is set.
  // threads: main, worker
  virtual bool checksumCheckAndSend(const unsigned char* bytes, int length) = 0;
  // Note Off for every note but 0 on one slot's channel or all four, then a pause.
  // threads: main, worker
  virtual void AllSoundsOff(int slot, bool allSlots) = 0;
  // Shows a message on the panel's status line.
  // threads: main, worker
  virtual void showStatus(const std::string& text) = 0;
  // Writes the line to the log while logging is on.
  // threads: main, render, worker, tick-performer
  virtual void printDebugInfo(const std::string& line) {}
  // The text the status line shows now.
  // threads: any
  virtual std::string statusShown() const { return {}; }
  // ---- read-out, control lookups and part linking ----
  // The panel control bound to a control change: channel key, controller number and
  // model group (1 the NL1 binding, 0 the common one); null when any level has no
  // entry, or in an editor without a panel. Allocates nothing, takes no lock.
  // threads: main, midi-in
  virtual IControl* getCCControls(int channelKey, int cc, int modelGroup) const { return nullptr; }
  // The panel control bound to the SysEx message with bytes 0-3 and a fifth key; null
  // when any level has no entry, or in an editor without a panel.
  // threads: main, midi-in, worker
  virtual IControl* getSysexControl(int b0, int b1, int b2, int b3, int b4) const { return nullptr; }

  // ---- incoming SysEx and the librarian's requests ----
  // The panel's parameters as the dump coders read and write them: values through the
  // panel's controls (no change handler runs), name texts under the plug-in mutex.
  // threads: main, midi-in, worker
  virtual DumpParameters& panelParameters() = 0;
  // The coders of the two dump kinds; null when the layout lacks a field's parameter.
  // threads: any
  virtual const ProgramDumpCoder* programDumpCoder() const = 0;
  virtual const PerformanceDumpCoder* performanceDumpCoder() const = 0;
  // The device-id enquiry (job 12) is out: the next accepted message answers it.
  // threads: any
  virtual bool isDeviceEnquiryPending() const = 0;
  virtual void setDeviceEnquiryPending(bool pending) = 0;
  // The synthesizer's device id 0..15, written into every dump and request.
  // threads: any
  virtual int getDeviceId() const = 0;
  virtual void setDeviceId(int id) = 0;
  // The hardware-side change of a parameter (the tab for received data: kQuickTab).
  // threads: main, midi-in, worker; takes the plug-in mutex
  virtual void OnParamChange2(int paramIdx) = 0;
  // The panel's change of a parameter (kShowVelomap after a value from SysEx).
  // threads: main, midi-in; takes the plug-in mutex
  virtual void OnParamChange(int paramIdx) = 0;
  // Requested dumps go to the librarian's armed receiver (true) or to the panel (false);
  // both clear the data-processed flags.
  // threads: main, worker
  virtual void SetLibrarianRequestActive(bool forLibrarian) = 0;
  // True: the requests are over, the librarian's bank is marked unsaved; false: nothing.
  // threads: main, worker
  virtual void SetLibrarianStatusUnsaved(bool unsaved) = 0;
  // Redraws the librarian list; reloads the rows of the upper (0), lower (1) or both (2)
  // panes.
  // threads: main, midi-in, worker
  virtual void setLibrarianViewDirty() = 0;
  virtual void updatePatchLibrarianView(int which) = 0;
  // The wait step of the request jobs in milliseconds (kLibSyncTimer: 200..350).
  // threads: any
  virtual int getTimerValue() const = 0;
  // A dump of the editor's own (a job's, the librarian list's) into the incoming-SysEx
  // road as if the synthesizer had sent it, past the port's SysEx filter and the
  // input's suspension, which are about the port.
  // threads: main, worker
  virtual void processOwnSysEx(const unsigned char* bytes, int length) = 0;

  // ---- librarian sends and performance jobs ----
  // What the librarian sends and the performance jobs read of the editor and tell it;
  // an editor without a librarian keeps the defaults.
  // The transfer engine the jobs belong to.
  // threads: worker
  virtual MIDIMessageManager* messageManager() { return nullptr; }
  // The panel's active part slot 0-3.
  // threads: any
  virtual int getActiveSlot() const { return 0; }
  // Display text 0 of a name parameter (`kPatchName` + slot, `kMultiName`, `kPatchRename`).
  // threads: main, worker
  virtual std::string nameText(int paramIdx) const { return {}; }
  // Keeps a name in the patch manager (0 the performance, 1-4 parts A-D) and redraws
  // the librarian list.
  // threads: main, worker
  virtual void keepPatchName(int entry, const std::string& name) {}
  // threads: any
  virtual bool isLibrarianPerformanceMode() const { return false; }
  virtual bool searchResultsAreShown() const { return false; }
  virtual bool librarianRenameActive() const { return false; }
  virtual bool isHardwareChangeActive() const { return false; }
  // A dump fed to the SysEx input or received was taken over (set by the input).
  virtual bool isDataProcessed() const { return false; }
  virtual void clearDataProcessed() {}
  // Selects a row of the upper (pane 0) or lower list: its highlight and the selected slot.
  // threads: main, midi-in, worker
  virtual void selectLibrarianRow(int pane, int row) {}
  // To the synthesizer's port at once, whether or not the ports were chosen.
  // threads: worker
  virtual bool SendMidiSysex2(std::vector<unsigned char> bytes) { return false; }
  virtual bool SendMidiMsg(IMidiMsg* msg) { return false; }
  // Messages the port accepted and lost afterwards, since the editor opened; and
  // whether everything sent so far has gone out or been counted lost. Both leave the
  // clock's real-time bytes out: a job's outcome counts its own messages, and the
  // clock sends beside it on its own thread, always with a Clock on the way.
  // threads: worker
  virtual uint64_t lostMidiOutput() { return 0; }
  virtual bool midiOutputSettled() { return true; }

  // ---- incoming MIDI, MIDI clock and randomiser ----
  // What the handlers of incoming short messages and the randomiser need of the
  // editor (TavroIncoming.cpp); an editor without a panel keeps the defaults.
  // Parameter `paramIdx` (null outside the table): value and range; a plain write
  // holds the value to the range itself.
  // threads: any
  virtual IParam* editorParam(int paramIdx) const { return nullptr; }
  // The index of a parameter's symbolic name (slot A's for a per-part name); -1 for none.
  virtual int editorParamIndex(const char* name) const { return -1; }
  // A plain value into the parameter and onto every control bound to it; no change
  // handler runs and nothing is sent.
  // threads: midi-in, main
  virtual void showValueFromPlug(int paramIdx, double value) {}
  // The Bank/Prog read-outs follow a choice the unit made or was sent: slot `slot`'s
  // program (both models' selectors), or with `performance` the performance on every
  // slot's selectors; the bank too unless it is -1. No change handler runs.
  // threads: midi-in, main
  virtual void showUnitChoice(int slot, bool performance, int bank, int program) {}
  // The panel's own change handling of a parameter (the dispatcher).
  // threads: midi-in (under the plug-in mutex), main
  virtual void runParamChange(int paramIdx) {}
  // Whether a class of short message (0 CC, 1 program change, 2 note, 3 pitch bend,
  // 4 poly aftertouch, 5 channel pressure) from that side is held back.
  virtual bool midiClassBlocked(bool fromDevice, int filterClass) const { return false; }
  // Lights the slot's activity light for MIDI arriving, when the lights follow
  // incoming MIDI and a panel is there; a lit light keeps its time.
  virtual void lightIncomingMidi(int slot) {}
  // The panel's exit towards the synthesizer (queued or sent, held while a transfer
  // holds the output), and the direct send.
  virtual void routeMidiToSynth(IMidiMsg* msg) {}
  virtual void sendMidiToSynthNow(IMidiMsg* msg) {}
  // 0 the first-generation model, 2 the ten-bank model.
  virtual int synthModel() const { return 0; }
  virtual void setLocalControl(bool on) {}
  // The synthesizer's local control is on: its own keys and knobs sound without the
  // editor passing them back.
  virtual bool isLocalControlOn() const { return false; }
  // Sends the patch at `row` of the librarian list's active column to the synthesizer.
  // threads: midi-in, main; pauses its caller
  virtual void sendLibrarianRowToSynth(int row) {}
  // The plug-in's recursive mutex: the synthesizer's CC road runs under it.
  virtual Kit_Mutex& pluginMutex() = 0;
  // The plug-in's own random source and randomiser table.
  // threads: main (under the plug-in mutex)
  virtual Kit_RandomSource& randomSource() = 0;
  virtual std::vector<int>& randomTable() = 0;
};
