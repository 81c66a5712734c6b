#include <algorithm>
#include <limits>

#include "Kit_TimeSource.h"

namespace {

// The clock the calling thread registered with, if any.
thread_local const Kit_VirtualClock* tParticipantOf = nullptr;

}  // namespace

Kit_VirtualClock::Participant::Participant(Kit_VirtualClock& clock) : clock_(clock) {
  std::lock_guard<std::mutex> hold(clock_.lock_);
  ++clock_.participants_;
  tParticipantOf = &clock_;
}

Kit_VirtualClock::Participant::~Participant() {
  std::lock_guard<std::mutex> hold(clock_.lock_);
  --clock_.participants_;
  tParticipantOf = nullptr;
  // The others may all be pausing now.
  clock_.changed_.notify_all();
}

uint64_t Kit_VirtualClock::NowMicros() { return now_.load(std::memory_order_acquire); }

void Kit_VirtualClock::RaiseNow(uint64_t to) {
  if (to > now_.load(std::memory_order_relaxed)) now_.store(to, std::memory_order_release);
}

void Kit_VirtualClock::SleepMicros(uint64_t micros) {
  PauseUntil(NowMicros() + std::max<uint64_t>(micros, 1), nullptr);
}

void Kit_VirtualClock::SleepUntilMicros(uint64_t deadlineMicros) { PauseUntil(deadlineMicros, nullptr); }

bool Kit_VirtualClock::WaitUntilMicros(uint64_t deadlineMicros, Kit_StopSignal& stop) {
  return PauseUntil(deadlineMicros, &stop);
}

bool Kit_VirtualClock::PauseUntil(uint64_t deadlineMicros, Kit_StopSignal* stop) {
  if (stop) {
    std::lock_guard<std::mutex> hold(stop->lock_);
    if (stop->StopRequested()) return false;
    stop->clocks_.push_back(this);
  }
  bool reached = false;
  {
    std::unique_lock<std::mutex> hold(lock_);
    const bool participant = tParticipantOf == this;
    auto mine = pauses_.insert(pauses_.end(), Pause{deadlineMicros, stop, participant, false});
    if (participant) ++pausedParticipants_;
    for (;;) {
      reached = NowMicros() >= deadlineMicros;
      // A stop raised before the pause was listed has released nothing: look at it too.
      if (reached || mine->released || (stop && stop->StopRequested())) break;
      if (MayStep()) {
        Step(hold, *mine);
      } else {
        changed_.wait(hold);
      }
    }
    Release(*mine);
    pauses_.erase(mine);
  }
  if (stop) {
    std::lock_guard<std::mutex> hold(stop->lock_);
    stop->clocks_.erase(std::find(stop->clocks_.begin(), stop->clocks_.end(), this));
  }
  return reached;
}

bool Kit_VirtualClock::MayStep() const {
  const bool mayRun = stepping_ == std::thread::id() || stepping_ == std::this_thread::get_id();
  return mayRun && pausedParticipants_ == participants_;
}

void Kit_VirtualClock::Step(std::unique_lock<std::mutex>& hold, Pause& mine) {
  uint64_t next = std::numeric_limits<uint64_t>::max();
  for (const Pause& pause : pauses_) {
    if (!pause.released) next = std::min(next, pause.deadline);
  }
  if (due_.empty() || due_.begin()->first > next) {
    RaiseNow(next);
    for (Pause& pause : pauses_) {
      if (!pause.released && pause.deadline <= NowMicros()) Release(pause);
    }
    changed_.notify_all();
    return;
  }
  // One action at a time, so that actions scheduled by actions are seen.
  auto first = due_.begin();
  RaiseNow(first->first);
  std::function<void()> action = std::move(first->second.second);
  due_.erase(first);
  // While it runs this thread is busy, not pausing; only it may move time meanwhile.
  const bool wasCounted = mine.counted;
  if (wasCounted) {
    mine.counted = false;
    --pausedParticipants_;
  }
  const std::thread::id outer = stepping_;
  stepping_ = std::this_thread::get_id();
  hold.unlock();
  action();
  hold.lock();
  stepping_ = outer;
  if (wasCounted && !mine.released) {
    mine.counted = true;
    ++pausedParticipants_;
  }
  changed_.notify_all();
}

void Kit_VirtualClock::Release(Pause& pause) {
  if (pause.counted) --pausedParticipants_;
  pause.counted = false;
  pause.released = true;
}

void Kit_VirtualClock::ReleaseWaitsOn(const Kit_StopSignal* stop) {
  std::lock_guard<std::mutex> hold(lock_);
  for (Pause& pause : pauses_) {
    if (pause.stop == stop) Release(pause);
  }
  changed_.notify_all();
}

int Kit_VirtualClock::ScheduleAt(uint64_t atMicros, std::function<void()> action) {
  std::lock_guard<std::mutex> hold(lock_);
  return AddDue(atMicros, std::move(action));
}

int Kit_VirtualClock::ScheduleIn(uint64_t micros, std::function<void()> action) {
  std::lock_guard<std::mutex> hold(lock_);
  return AddDue(now_.load(std::memory_order_relaxed) + micros, std::move(action));
}

int Kit_VirtualClock::AddDue(uint64_t atMicros, std::function<void()> action) {
  const int id = nextId_++;
  due_.emplace(atMicros, std::make_pair(id, std::move(action)));
  return id;
}

void Kit_VirtualClock::Cancel(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  for (auto it = due_.begin(); it != due_.end(); ++it) {
    if (it->second.first == id) {
      due_.erase(it);
      return;
    }
  }
}
