#include "MidiPortCloser.h"

MidiPortCloser::MidiPortCloser() : thread_([this] { Run(); }) {}

MidiPortCloser::~MidiPortCloser() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void MidiPortCloser::Retire(std::unique_ptr<MidiInputTransport> input) {
  if (!input) return;
  input->StopDelivery();
  {
    std::lock_guard<std::mutex> hold(lock_);
    retired_.push_back(std::move(input));
  }
  changed_.notify_all();
}

void MidiPortCloser::Finish() {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return retired_.empty() && !closing_; });
}

void MidiPortCloser::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return stopping_ || !retired_.empty(); });
    if (retired_.empty()) return;  // stopping, and nothing left to close
    std::unique_ptr<MidiInputTransport> input = std::move(retired_.front());
    retired_.pop_front();
    closing_ = true;
    hold.unlock();
    input->ClosePort();
    input.reset();
    hold.lock();
    closing_ = false;
    changed_.notify_all();
  }
}
