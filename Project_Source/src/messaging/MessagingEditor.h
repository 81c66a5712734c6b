#pragma once
// What the transfer engine reads of and tells the editor. The editor implements it;
// tests use a fake.

#include <string>

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

  // ==== libpanel ====

};
