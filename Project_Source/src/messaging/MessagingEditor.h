#pragma once
// What the transfer engine reads of and tells the editor. The editor implements it;
// tests use a fake.

#include <string>
#include <vector>

class IControl;
class IParam;
class Kit_Mutex;
class Kit_RandomSource;
struct IMidiMsg;

class IControl;

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
  // ==== road ====

  // ==== readout ====
  // The panel control bound to a control change: channel key, controller number and
  // model group (1 the NL1 binding, 0 the common one); null when any level has no
  // entry. Allocates nothing, takes no lock.
  // threads: main, midi-in
  virtual IControl* getCCControls(int channelKey, int cc, int modelGroup) const = 0;
  // The panel control bound to the SysEx message with bytes 0-3 and a fifth key; null
  // when any level has no entry.
  // threads: main, midi-in
  virtual IControl* getSysexControl(int b0, int b1, int b2, int b3, int b4) const = 0;

  // ==== commands ====

  // ==== sysexin ====

  // ==== jobs17 ====

  // ==== jobs18 ====

  // ==== incoming ====
  // What the handlers of incoming short messages and the randomiser need of the
  // editor (TavroIncoming.cpp).
  // Parameter `paramIdx` (null outside the table): value and range; a plain write
  // holds the value to the range itself.
  // threads: any
  virtual IParam* editorParam(int paramIdx) const = 0;
  // The index of a parameter's symbolic name (slot A's for a per-part name); -1 for none.
  virtual int editorParamIndex(const char* name) const = 0;
  // A plain value into the parameter and onto every control bound to it; no change
  // handler runs and nothing is sent.
  // threads: midi-in, main
  virtual void showValueFromPlug(int paramIdx, double value) = 0;
  // The panel's own change handling of a parameter (the dispatcher).
  // threads: midi-in (under the plug-in mutex), main
  virtual void runParamChange(int paramIdx) = 0;
  // Whether a class of short message (0 CC, 1 program change, 2 note, 3 pitch bend,
  // 4 poly aftertouch, 5 channel pressure) from that side is held back.
  virtual bool midiClassBlocked(bool fromDevice, int filterClass) const = 0;
  // Lights the slot's activity light for MIDI arriving, when the lights follow
  // incoming MIDI and a panel is there; a lit light keeps its time.
  virtual void lightIncomingMidi(int slot) = 0;
  // The panel's exit towards the synthesizer (queued or sent, held while a transfer
  // holds the output), and the direct send.
  virtual void routeMidiToSynth(IMidiMsg* msg) = 0;
  virtual void sendMidiToSynthNow(IMidiMsg* msg) = 0;
  // 0 the first-generation model, 2 the ten-bank model.
  virtual int synthModel() const = 0;
  virtual void setLocalControl(bool on) = 0;
  virtual bool librarianShowsPerformances() const = 0;
  // Highlights row `row` of the upper librarian list and makes it the selected slot.
  virtual void selectLibrarianRow(int row) = 0;
  // Sends the patch at `row` of the librarian list's active column to the synthesizer.
  // threads: midi-in, main; pauses its caller
  virtual void sendLibrarianRowToSynth(int row) = 0;
  // The plug-in's recursive mutex: the synthesizer's CC road runs under it.
  virtual Kit_Mutex& pluginMutex() = 0;
  // The plug-in's own random source and randomiser table.
  // threads: main, under the plug-in mutex
  virtual Kit_RandomSource& randomSource() = 0;
  virtual std::vector<int>& randomTable() = 0;

  // ==== libpanel ====

};
