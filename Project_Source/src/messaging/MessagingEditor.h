#pragma once
// What the transfer engine reads of and tells the editor. The editor implements it;
// tests use a fake.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DumpParameters;
class ProgramDumpCoder;

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

  // ==== commands ====

  // ==== sysexin ====

  // ==== jobs17 ====
  // What the transfer jobs read of the panel and the librarian, and how they report.
  // The part slots' sound as the dump coders read it (values, model).
  // threads: worker
  virtual const DumpParameters& dumpParameters() = 0;
  // The program dump's coder; null when the parameter table lacks one of its fields.
  virtual const ProgramDumpCoder* programDumpCoder() = 0;
  // The synthesizer's device id 0-15 and the active part slot 0-3.
  virtual int getDeviceId() const = 0;
  virtual int getActiveSlot() const = 0;
  // The wait step of the request jobs in milliseconds (200, 250, 300 or 350).
  virtual int getTimerValue() const = 0;
  // A reply or a fed dump was taken over since the destination was last armed.
  virtual bool isDataProcessed() const = 0;
  // The device-id enquiry is out (true) or over (false).
  virtual void setDeviceEnquiryPending(bool pending) = 0;
  // Incoming dumps go to the panel's parsers (true) or not.
  virtual void setTransferInProgress(bool inProgress) = 0;
  // Every dump parsed into the panel from now on re-selects the panel's tab.
  virtual void setTabRefreshPending() = 0;
  // Arms the librarian receiver of the current mode (true) or sends replies to the
  // panel (false); both clear the taken-over flags.
  virtual void SetLibrarianRequestActive(bool active) = 0;
  // Marks the librarian's bank unsaved after a received dump (true; false does nothing).
  virtual void SetLibrarianStatusUnsaved(bool unsaved) = 0;
  // The librarian slot a received dump is stored into (-1 none).
  virtual int librarianSelectedSlot() const = 0;
  virtual void setLibrarianSelectedSlot(int slot) = 0;
  // The name a part is sent with: the rename text while a librarian slot is renamed,
  // else the slot's name, which also becomes its kept name ("Set Name" when empty).
  // Taken under the plug-in mutex.
  virtual std::string takePartNameForSend(int slot) = 0;
  // Hands a dump to the editor's SysEx input as if the synthesizer had sent it.
  virtual void feedSysExFromDevice(const uint8_t* bytes, size_t size) = 0;
  // Sends the bytes as they stand to the synthesizer's port, whether or not the
  // ports were chosen.
  virtual bool SendMidiSysex2(std::vector<unsigned char> bytes) = 0;

  // ==== jobs18 ====

  // ==== incoming ====

  // ==== libpanel ====

};
