#pragma once
// An editor for the transfer jobs in tests: parameters in a PanelValues, a librarian
// of 100 slots, the status line kept with the virtual time of each text, and a SysEx
// input that sorts dumps as the editor's dispatch does (armed receiver, the panel's
// parsers during a transfer, the device-id enquiry). What the jobs send goes to a
// simulated synthesizer, whose replies come back into that input.
//
// threads: the jobs' worker and the test thread; every member is guarded.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "MessagingEditor.h"
#include "PanelValues.h"
#include "PerformanceDumpCoder.h"
#include "ProgramDumpCoder.h"

class Kit_TimeSource;
class MIDIMessageSender;
class SynthSim;

class FakeMessagingEditor : public MessagingEditor {
public:
  using Message = std::vector<uint8_t>;

  FakeMessagingEditor(int model, Kit_TimeSource& time);

  // Both must outlive every job.
  void Connect(SynthSim* sim) { sim_ = sim; }
  void SetSender(MIDIMessageSender* sender) { sender_ = sender; }
  // A message from the synthesizer's port.
  void ReceiveFromDevice(const Message& message) { feedSysExFromDevice(message.data(), message.size()); }

  bool isMidiIOSet() const override { return midiIOSet.load(); }
  void DisplayProcessingIndicator(bool show) override;
  bool checksumCheckAndSend(const unsigned char* bytes, int length) override;
  void AllSoundsOff(int, bool) override {}
  void showStatus(const std::string& text) override;

  const DumpParameters& dumpParameters() override { return panel; }
  const ProgramDumpCoder* programDumpCoder() override { return program_.get(); }
  int getDeviceId() const override { return deviceId.load(); }
  int getActiveSlot() const override { return activeSlot.load(); }
  int getTimerValue() const override { return stepMillis.load(); }
  bool isDataProcessed() const override { return dataProcessed.load(); }
  void setDeviceEnquiryPending(bool pending) override { enquiryPending = pending; }
  void setTransferInProgress(bool inProgress) override { transferInProgress = inProgress; }
  void setTabRefreshPending() override { tabRefreshPending = true; }
  void SetLibrarianRequestActive(bool active) override;
  void SetLibrarianStatusUnsaved(bool unsaved) override;
  int librarianSelectedSlot() const override { return selectedSlot.load(); }
  void setLibrarianSelectedSlot(int slot) override { selectedSlot = slot; }
  std::string takePartNameForSend(int slot) override;
  void feedSysExFromDevice(const uint8_t* bytes, size_t size) override;
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override;

  // What the test reads once the jobs have ended.
  std::vector<std::pair<uint64_t, std::string>> Statuses() const;
  std::vector<std::string> StatusTexts() const;
  std::vector<Message> Sent() const;
  Message LibrarySlot(int slot) const;
  std::string KeptName(int entry) const;
  // Parameters and names as the panel shows them; set before a job starts.
  PanelValues panel;
  std::vector<std::string> partNames = std::vector<std::string>(4);
  std::string renameText;
  bool renameActive = false;

  std::atomic<bool> midiIOSet{true};
  std::atomic<bool> perfMode{false};
  std::atomic<int> deviceId{0};
  std::atomic<int> activeSlot{0};
  std::atomic<int> stepMillis{200};
  std::atomic<int> selectedSlot{0};
  std::atomic<bool> dataProcessed{false};
  std::atomic<bool> enquiryPending{false};
  std::atomic<bool> transferInProgress{false};
  std::atomic<bool> tabRefreshPending{false};
  std::atomic<bool> overlayShown{false};
  std::atomic<bool> unsaved{false};

private:
  Kit_TimeSource& time_;
  SynthSim* sim_ = nullptr;
  MIDIMessageSender* sender_ = nullptr;
  std::unique_ptr<ProgramDumpCoder> program_;
  std::unique_ptr<PerformanceDumpCoder> performance_;
  mutable std::mutex lock_;  // guards everything below, the panel's parse and the names
  bool programArmed_ = false, performanceArmed_ = false;
  std::vector<std::pair<uint64_t, std::string>> statuses_;
  std::vector<Message> sent_;
  std::vector<Message> library_ = std::vector<Message>(100);
  std::vector<std::string> keptNames_ = std::vector<std::string>(5);
};
