#include "MidiTransport/MidiPortSysExAssembler.h"

namespace {
constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kSysExEnd = 0xF7;
constexpr unsigned char kFirstRealTime = 0xF8;
}  // namespace

void MidiPortSysExAssembler::Feed(std::vector<unsigned char>* event, const Deliver& deliver) {
  if (!event || event->empty()) return;
  const unsigned char first = event->front();
  if (!pending_.empty()) {
    if (first >= kFirstRealTime) {
      deliver(event);
      return;
    }
    if (first < 0x80 || first == kSysExEnd) {
      pending_.insert(pending_.end(), event->begin(), event->end());
      if (pending_.size() > kLongestSysEx) {
        pending_.clear();
      } else if (pending_.back() == kSysExEnd) {
        deliver(&pending_);
        pending_.clear();
      }
      return;
    }
    pending_.clear();  // cut short by a new message
  }
  if (first == kSysExStart && event->back() != kSysExEnd) {
    pending_ = *event;
    return;
  }
  deliver(event);
}
