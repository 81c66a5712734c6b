#include "editor/midi/HeldMidi.h"

namespace {
bool IsNoteOff(const IMidiMsg& msg) {
  return msg.StatusMsg() == IMidiMsg::kNoteOff || (msg.StatusMsg() == IMidiMsg::kNoteOn && msg.mData2 == 0);
}
bool IsSustainChange(const IMidiMsg& msg) {
  return msg.StatusMsg() == IMidiMsg::kControlChange && msg.mData1 == IMidiMsg::kSustainPedal;
}

bool IsNoteEnd(const IMidiMsg& msg) {
  return IsNoteOff(msg) || (IsSustainChange(msg) && msg.mData2 < IMidiMsg::kPedalDownFrom) ||
         (msg.StatusMsg() == IMidiMsg::kControlChange && msg.mData1 == IMidiMsg::kAllNotesOff);
}

// What the held messages so far start, channel by channel: a note end waits behind
// its own start.
class HeldStarts {
public:
  void add(const IMidiMsg& held) {
    const int channel = held.Channel();
    if (IsSustainChange(held) && held.mData2 >= IMidiMsg::kPedalDownFrom) sustain_[channel] = true;
    if (held.StatusMsg() != IMidiMsg::kNoteOn || held.mData2 == 0) return;
    notes_[channel][held.mData1 & 0x7F] = true;
    anyNote_[channel] = true;
  }
  bool starts(const IMidiMsg& end) const {
    const int channel = end.Channel();
    if (IsSustainChange(end)) return sustain_[channel];
    if (end.StatusMsg() == IMidiMsg::kControlChange) return anyNote_[channel];
    return notes_[channel][end.mData1 & 0x7F];
  }

private:
  std::array<std::array<bool, 128>, 16> notes_{};
  std::array<bool, 16> sustain_{}, anyNote_{};
};
}  // namespace

bool HeldMidi::MayOvertake(const IMidiMsg& msg) const {
  if (!IsNoteEnd(msg)) return false;
  std::lock_guard<std::mutex> hold(lock_);
  HeldStarts starts;
  const size_t count = count_.load();
  for (size_t i = 0; i < count; ++i) starts.add(ring_[(head_ + i) % ring_.size()]);
  return !starts.starts(msg);
}

std::vector<IMidiMsg> HeldMidi::close() {
  std::lock_guard<std::mutex> hold(lock_);
  closed_ = true;
  std::vector<IMidiMsg> ends;
  HeldStarts starts;
  const size_t count = count_.load();
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    const IMidiMsg msg = ring_[(head_ + i) % ring_.size()];
    if (IsNoteEnd(msg) && !starts.starts(msg)) {
      ends.push_back(msg);
      continue;
    }
    starts.add(msg);
    ring_[(head_ + kept++) % ring_.size()] = msg;
  }
  count_ = kept;
  frontMayPass_ = false;
  return ends;
}

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
  if (closed_ || count_.load() == 0 || (transferBusy && !frontMayPass_.load())) return false;
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
