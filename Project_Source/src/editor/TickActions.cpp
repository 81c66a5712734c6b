#include "editor/TickActions.h"

bool TickActionRing::push(const TickAction& action) {
  const uint64_t tail = tail_.load(std::memory_order_relaxed);
  if (tail - head_.load(std::memory_order_acquire) >= uint64_t(kCapacity)) return false;
  records_[size_t(tail % kCapacity)] = action;
  tail_.store(tail + 1, std::memory_order_release);
  return true;
}

bool TickActionRing::pop(TickAction* action) {
  const uint64_t head = head_.load(std::memory_order_relaxed);
  if (head == tail_.load(std::memory_order_acquire)) return false;
  *action = records_[size_t(head % kCapacity)];
  head_.store(head + 1, std::memory_order_release);
  return true;
}

int TickActionRing::freeSpace() const {
  return kCapacity - int(tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire));
}

bool TickActionRing::empty() const {
  return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
}

TickActionPerformer::TickActionPerformer(TickActionRing& ring, Perform perform)
    : ring_(ring), perform_(std::move(perform)) {
  sem_init(&wake_, 0, 0);
  thread_ = std::thread([this] { run(); });
}

TickActionPerformer::~TickActionPerformer() {
  stopping_.store(true, std::memory_order_release);
  sem_post(&wake_);
  thread_.join();
  sem_destroy(&wake_);
}

void TickActionPerformer::run() {
  for (;;) {
    while (sem_wait(&wake_) != 0) {
    }
    TickAction action;
    while (ring_.pop(&action)) {
      perform_(action);
      std::lock_guard<std::mutex> hold(doneLock_);
      ++performed_;
      done_.notify_all();
    }
    if (stopping_.load(std::memory_order_acquire)) return;
  }
}

void TickActionPerformer::flush() {
  const uint64_t target = ring_.pushed();
  sem_post(&wake_);
  std::unique_lock<std::mutex> hold(doneLock_);
  done_.wait(hold, [&] { return performed_ >= target; });
}
