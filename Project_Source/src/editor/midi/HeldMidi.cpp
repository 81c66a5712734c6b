#include "editor/midi/HeldMidi.h"

namespace {
bool IsNoteOff(const IMidiMsg& msg) {
  return msg.StatusMsg() == IMidiMsg::kNoteOff || (msg.StatusMsg() == IMidiMsg::kNoteOn && msg.mData2 == 0);
}
}  // namespace

bool HeldMidi::MayPassTransfer(const IMidiMsg& msg) {
  switch (msg.StatusMsg()) {
    case IMidiMsg::kNoteOff:
    case IMidiMsg::kNoteOn:
    case IMidiMsg::kPolyAftertouch:
    case IMidiMsg::kChannelAftertouch:
    case IMidiMsg::kPitchWheel: return true;
    default: return false;
  }
}

bool HeldMidi::push(const IMidiMsg& msg) {
  std::lock_guard<std::mutex> hold(lock_);
  const size_t count = count_.load();
  const size_t limit = IsNoteOff(msg) ? ring_.size() : kCapacity;
  if (count >= limit) {
    ++refused_;
    return false;
  }
  ring_[(head_ + count) % ring_.size()] = msg;
  if (count == 0) frontMayPass_ = MayPassTransfer(msg);
  count_ = count + 1;
  return true;
}

bool HeldMidi::front(bool transferBusy, IMidiMsg* msg) {
  std::lock_guard<std::mutex> hold(lock_);
  if (count_.load() == 0 || (transferBusy && !frontMayPass_.load())) return false;
  *msg = ring_[head_];
  return true;
}

void HeldMidi::done() {
  std::lock_guard<std::mutex> hold(lock_);
  const size_t count = count_.load();
  if (count == 0) return;
  head_ = (head_ + 1) % ring_.size();
  frontMayPass_ = count > 1 && MayPassTransfer(ring_[head_]);
  count_ = count - 1;
}

bool HeldMidi::mayRelease(bool transferBusy) const {
  return count_.load() > 0 && (!transferBusy || frontMayPass_.load());
}

size_t HeldMidi::takeRefused() {
  std::lock_guard<std::mutex> hold(lock_);
  const size_t refused = refused_;
  refused_ = 0;
  return refused;
}
