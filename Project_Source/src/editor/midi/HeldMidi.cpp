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

// `held` starts what the note end `end` ends, on the same channel.
bool Starts(const IMidiMsg& held, const IMidiMsg& end) {
  if (held.Channel() != end.Channel()) return false;
  if (IsSustainChange(end)) return IsSustainChange(held) && held.mData2 >= IMidiMsg::kPedalDownFrom;
  if (held.StatusMsg() != IMidiMsg::kNoteOn || held.mData2 == 0) return false;
  return end.StatusMsg() == IMidiMsg::kControlChange || held.mData1 == end.mData1;
}
}  // namespace

bool HeldMidi::MayOvertake(const IMidiMsg& msg) const {
  if (!IsNoteEnd(msg)) return false;
  std::lock_guard<std::mutex> hold(lock_);
  const size_t count = count_.load();
  for (size_t i = 0; i < count; ++i)
    if (Starts(ring_[(head_ + i) % ring_.size()], msg)) return false;
  return true;
}

std::vector<IMidiMsg> HeldMidi::close() {
  std::lock_guard<std::mutex> hold(lock_);
  closed_ = true;
  // Each end once: a note let sound may have been struck again and held since, so an
  // end is sent whatever waits before it (one for a note that is not sounding does
  // nothing).
  constexpr int kSustainEnd = 128, kAllNotesEnd = 129;
  std::array<std::array<bool, 130>, 16> taken{};
  std::vector<IMidiMsg> ends;
  const size_t count = count_.load();
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    const IMidiMsg msg = ring_[(head_ + i) % ring_.size()];
    if (IsNoteEnd(msg)) {
      const int what = IsNoteOff(msg) ? (msg.mData1 & 0x7F) : IsSustainChange(msg) ? kSustainEnd : kAllNotesEnd;
      bool& once = taken[size_t(msg.Channel())][size_t(what)];
      if (!once) {
        once = true;
        ends.push_back(msg);
        continue;
      }
    }
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
