#pragma once
// What the transfer engine reads of and tells the editor. The editor implements it;
// tests use a fake.

#include <cstdint>
#include <string>
#include <vector>

class DumpParameters;
class MIDIMessageManager;
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
  // ==== road ====

  // ==== readout ====

  // ==== commands ====

  // ==== sysexin ====

  // ==== jobs17 ====

  // ==== jobs18 ====
  // The transfer engine the jobs belong to.
  virtual MIDIMessageManager* messageManager() = 0;
  // The panel's parameters as the dump coders read and write them; a value written
  // takes its side effects with it (slot channels, active slot, local control, names
  // into the patch manager).
  // threads: main, midi-in, worker
  virtual DumpParameters& panelParameters() = 0;
  // The index of a parameter by its symbolic name; -1 when there is none.
  // threads: any
  virtual int paramIndexOf(const std::string& name) const = 0;
  // Display text 0 of a name parameter (`kPatchName` + slot, `kMultiName`, `kPatchRename`).
  // threads: main, worker
  virtual std::string nameText(int paramIdx) const = 0;
  // Keeps a name in the patch manager (0 the performance, 1-4 parts A-D) and redraws
  // the librarian list.
  // threads: main, midi-in, worker
  virtual void keepPatchName(int entry, const std::string& name) = 0;
  // threads: any
  virtual int currentDeviceId() const = 0;
  virtual int currentActiveSlot() const = 0;
  virtual bool isLibrarianPerformanceMode() const = 0;
  virtual bool searchResultsAreShown() const = 0;
  virtual bool librarianRenameActive() const = 0;
  virtual bool isHardwareChangeActive() const = 0;
  // The librarian's wait step in milliseconds: 200, 250, 300 or 350.
  virtual int getTimerValue() = 0;
  // Set once a dump fed to the dispatch or received was taken over.
  virtual bool isDataProcessed() const = 0;
  virtual void clearDataProcessed() = 0;
  // The device-id enquiry waits for its reply; the reply ends it.
  virtual bool isDeviceEnquiryPending() const = 0;
  virtual void endDeviceEnquiry() = 0;
  // Highlights a row of the upper (pane 0) or lower list.
  // threads: main, worker
  virtual void selectLibrarianRow(int pane, int row) = 0;
  // Dumps to the librarian (true: the receiver of the current kind is armed) or to
  // the panel's parsers (false).
  // threads: main, midi-in, worker
  virtual void SetLibrarianRequestActive(bool forLibrarian) = 0;
  virtual void SetLibrarianStatusUnsaved(bool unsaved) = 0;
  // Hands a dump the editor made itself to the incoming-SysEx dispatch, as one from
  // the synthesizer but past the port's filters, and marks it processed when taken.
  // threads: worker
  virtual void feedSysExToDispatch(const uint8_t* bytes, int length) = 0;
  // Sends to the synthesizer's port at once, whether or not ports are chosen.
  // threads: worker
  virtual bool sendSysExNow(const std::vector<uint8_t>& bytes) = 0;
  virtual bool sendMidiNow(IMidiMsg* msg) = 0;

  // ==== incoming ====

  // ==== libpanel ====

};
