#include "FakeMessagingEditor.h"

#include "Kit_TimeSource.h"
#include "LibrarianDumpForm.h"
#include "MIDIMessageSender.h"
#include "SynthSim.h"

FakeMessagingEditor::FakeMessagingEditor(int model, Kit_TimeSource& time)
    : panel(model),
      time_(time),
      program_(ProgramDumpCoder::Create(ParamIndex)),
      performance_(PerformanceDumpCoder::Create(ParamIndex)) {}

void FakeMessagingEditor::DisplayProcessingIndicator(bool show) {
  overlayShown = show;
  if (!show) transferInProgress = false;
  if (sender_) sender_->clearCancel();
}

bool FakeMessagingEditor::checksumCheckAndSend(const unsigned char* bytes, int length) {
  if (!midiIOSet) {
    showStatus("Set MIDI I/O First!");
    return false;
  }
  Message message(bytes, bytes + length);
  if (message.empty() || message.front() != 0xF0) {
    message.insert(message.begin(), 0xF0);
    message.push_back(0xF7);
  }
  return SendMidiSysex2(message);
}

bool FakeMessagingEditor::SendMidiSysex2(std::vector<unsigned char> bytes) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    sent_.push_back(bytes);
  }
  if (sim_) sim_->Receive(bytes.data(), bytes.size());
  return true;
}

void FakeMessagingEditor::showStatus(const std::string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  statuses_.emplace_back(time_.NowMicros(), text);
}

void FakeMessagingEditor::SetLibrarianRequestActive(bool active) {
  std::lock_guard<std::mutex> hold(lock_);
  transferInProgress = !active;
  programArmed_ = active && !perfMode;
  performanceArmed_ = active && perfMode;
  dataProcessed = false;
}

void FakeMessagingEditor::SetLibrarianStatusUnsaved(bool value) {
  if (!value) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    transferInProgress = false;
    programArmed_ = performanceArmed_ = false;
    unsaved = true;
  }
  showStatus("Data received to slot(s)");
}

std::string FakeMessagingEditor::takePartNameForSend(int slot) {
  std::lock_guard<std::mutex> hold(lock_);
  if (renameActive) return renameText;
  const std::string name = partNames.at(slot);
  keptNames_.at(slot + 1) = name.empty() ? "Set Name" : name;
  return name;
}

void FakeMessagingEditor::feedSysExFromDevice(const uint8_t* bytes, size_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  if (size < 4 || bytes[1] != 0x33 || bytes[2] > 15 || bytes[3] > 4) return;
  const bool performanceSize = size >= 711 && size <= 765;
  if (programArmed_ || performanceArmed_) {
    const Message kept = programArmed_ ? LibrarianProgramForm(bytes, size, "Requested")
                                       : LibrarianPerformanceForm(bytes, size, "Requested");
    const int slot = selectedSlot;
    if (kept.empty() || slot < 0 || slot >= int(library_.size())) return;
    library_[size_t(slot)] = kept;
    dataProcessed = true;
  } else if (transferInProgress && size >= 130) {
    if (program_->Parse(bytes, size, panel) >= 0 || performance_->Parse(bytes, size, panel)) dataProcessed = true;
  } else if (enquiryPending) {
    deviceId = bytes[2];
    if (performanceSize) {
      enquiryPending = false;
      transferInProgress = false;
      dataProcessed = true;
    }
  }
}

std::vector<std::pair<uint64_t, std::string>> FakeMessagingEditor::Statuses() const {
  std::lock_guard<std::mutex> hold(lock_);
  return statuses_;
}

std::vector<std::string> FakeMessagingEditor::StatusTexts() const {
  std::vector<std::string> texts;
  for (const auto& status : Statuses()) texts.push_back(status.second);
  return texts;
}

std::vector<FakeMessagingEditor::Message> FakeMessagingEditor::Sent() const {
  std::lock_guard<std::mutex> hold(lock_);
  return sent_;
}

FakeMessagingEditor::Message FakeMessagingEditor::LibrarySlot(int slot) const {
  std::lock_guard<std::mutex> hold(lock_);
  return library_.at(size_t(slot));
}

std::string FakeMessagingEditor::KeptName(int entry) const {
  std::lock_guard<std::mutex> hold(lock_);
  return keptNames_.at(size_t(entry));
}
