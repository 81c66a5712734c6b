#include "editor/midi/IMidiQueue.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

int RoundUp512(int n) { return (n + 511) / 512 * 512; }

}  // namespace

IMidiQueue::IMidiQueue(int capacity, int granularity)
    : buffer_(size_t(std::max(capacity, 0))), granularity_(granularity) {}

void IMidiQueue::Compact() {
  std::copy(buffer_.begin() + front_, buffer_.begin() + back_, buffer_.begin());
  back_ -= front_;
  front_ = 0;
}

IMidiMsg IMidiQueue::offsetFromNow(const Entry& entry) const {
  IMidiMsg msg = entry.msg;
  const int64_t offset = entry.due - now_.load(std::memory_order_acquire);
  msg.mOffset = int32_t(std::clamp<int64_t>(offset, 0, std::numeric_limits<int32_t>::max()));
  return msg;
}

void IMidiQueue::Add(IMidiMsg* msg) {
  std::lock_guard<std::mutex> hold(lock_);
  if (back_ >= int(buffer_.size())) {
    if (front_ > 0) {
      Compact();
    } else {
      if (granularity_ <= 0) return;
      try {
        buffer_.resize(size_t((int(buffer_.size()) / granularity_ + 1) * granularity_));
      } catch (const std::bad_alloc&) {
        return;
      }
    }
  }
  const int64_t due = now_.load(std::memory_order_acquire) + msg->mOffset;
  int at = back_;
  while (at > front_ && due < buffer_[size_t(at - 1)].due) --at;
  std::copy_backward(buffer_.begin() + at, buffer_.begin() + back_, buffer_.begin() + back_ + 1);
  buffer_[size_t(at)] = Entry{due, *msg};
  ++back_;
}

int IMidiQueue::TakeDue(int frames, IMidiMsg* out, int maxOut) {
  std::unique_lock<std::mutex> hold(lock_, std::try_to_lock);
  if (!hold.owns_lock()) return -1;
  const int64_t end = now_.load(std::memory_order_acquire) + frames;
  int taken = 0;
  while (front_ < back_ && taken < maxOut && buffer_[size_t(front_)].due < end)
    out[taken++] = offsetFromNow(buffer_[size_t(front_++)]);
  return taken;
}

void IMidiQueue::Resize(int blockSize) {
  std::lock_guard<std::mutex> hold(lock_);
  Compact();
  granularity_ = RoundUp512(std::max(blockSize, 0));
  const int capacity = std::max(granularity_, RoundUp512(back_));
  if (capacity == int(buffer_.size())) return;
  try {
    buffer_.resize(size_t(capacity));
  } catch (const std::bad_alloc&) {
    // The old buffer stays as it was.
  }
}

int IMidiQueue::size() const {
  std::lock_guard<std::mutex> hold(lock_);
  return back_ - front_;
}

int IMidiQueue::capacity() const {
  std::lock_guard<std::mutex> hold(lock_);
  return int(buffer_.size());
}

int IMidiQueue::granularity() const {
  std::lock_guard<std::mutex> hold(lock_);
  return granularity_;
}

std::vector<IMidiMsg> IMidiQueue::waiting() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<IMidiMsg> messages;
  for (int i = front_; i < back_; ++i) messages.push_back(offsetFromNow(buffer_[size_t(i)]));
  return messages;
}
