// Performance dumps into the panel.

#include "DumpParameters.h"
#include "MIDIMessageManager.h"
#include "MessagingEditor.h"
#include "PerformanceDumpCoder.h"

std::shared_ptr<const PerformanceDumpCoder> MIDIMessageManager::performanceCoder() {
  std::call_once(performanceCoderMade_, [this] {
    if (!plug_) return;
    MessagingEditor* plug = plug_;
    performanceCoder_ = PerformanceDumpCoder::Create([plug](const std::string& name) { return plug->paramIndexOf(name); });
  });
  return performanceCoder_;
}

void MIDIMessageManager::sysexPerformancePatchParse(const uint8_t* bytes, int size) {
  const auto coder = performanceCoder();
  if (!coder || size < 0 || !PerformanceDumpCoder::Accepts(bytes, size_t(size))) {
    sysexBusy = true;
    return;
  }
  dumpProcessed = false;
  if (plug_->isDeviceEnquiryPending()) {
    // The enquiry's reply: it found the unit, and its contents are not wanted.
    dumpProcessed = true;
    plug_->endDeviceEnquiry();
    transferInProgress = false;
    sysexBusy = true;
    return;
  }
  coder->Parse(bytes, size_t(size), plug_->panelParameters());
  dumpProcessed = true;
  sysexBusy = true;
}

void MIDIMessageManager::sysexPerformancePatchParseWN(const uint8_t* bytes, int size) {
  const auto coder = performanceCoder();
  if (!coder || size < 0 || !PerformanceDumpCoder::AcceptsSpaced(bytes, size_t(size))) {
    sysexBusy = true;
    return;
  }
  dumpProcessed = false;
  coder->ParseSpaced(bytes, size_t(size), plug_->panelParameters());
  dumpProcessed = true;
  sysexBusy = true;
}
