#include "MidiTransport/MidiPortJackQueue.h"

#include <cerrno>

MidiPortJackQueue::MidiPortJackQueue(Deliver deliver, size_t capacityBytes)
    : deliver_(std::move(deliver)), ring_(capacityBytes) {
  sem_init(&waiting_, 0, 0);
  thread_ = std::thread([this] { Run(); });
}

MidiPortJackQueue::~MidiPortJackQueue() {
  stopping_.store(true);
  sem_post(&waiting_);
  thread_.join();
  sem_destroy(&waiting_);
}

bool MidiPortJackQueue::Push(const unsigned char* bytes, size_t size) {
  if (size == 0) return true;
  if (size > UINT32_MAX || !ring_.Stage(bytes, static_cast<uint32_t>(size))) {
    dropped_.fetch_add(1);
    return false;
  }
  ++pushedThisCycle_;
  return true;
}

void MidiPortJackQueue::EndCycle(bool keep) {
  if (keep) {
    ring_.Publish();
    for (; pushedThisCycle_ > 0; --pushedThisCycle_) sem_post(&waiting_);
  } else {
    ring_.Abandon();
    dropped_.fetch_add(pushedThisCycle_);
    pushedThisCycle_ = 0;
  }
}

void MidiPortJackQueue::Run() {
  std::vector<unsigned char> message;
  for (;;) {
    while (sem_wait(&waiting_) != 0 && errno == EINTR) {
    }
    if (stopping_.load()) return;
    const uint32_t size = ring_.PeekSize();
    if (size == 0) continue;
    message.resize(size);
    ring_.Pop(message.data());
    deliver_(&message);
  }
}
