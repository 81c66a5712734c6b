#include "Framework/MidiPortCloser.h"

MidiPortCloser::MidiPortCloser() {
  service_.Start([this] { Run(); });
}

MidiPortCloser::~MidiPortCloser() { service_.StopAndJoin(); }

void MidiPortCloser::Retire(std::unique_ptr<MidiInputTransport> input) {
  if (!input) return;
  input->StopDelivery();
  {
    std::lock_guard<std::mutex> hold(service_.Lock());
    retired_.push_back(std::move(input));
  }
  service_.Changed().notify_all();
}

void MidiPortCloser::Finish() {
  std::unique_lock<std::mutex> hold(service_.Lock());
  service_.Changed().wait(hold, [this] { return retired_.empty() && !closing_; });
}

void MidiPortCloser::Run() {
  std::unique_lock<std::mutex> hold(service_.Lock());
  for (;;) {
    service_.Changed().wait(hold, [this] { return service_.StopRequested() || !retired_.empty(); });
    if (retired_.empty()) return;  // stopping, and nothing left to close
    std::unique_ptr<MidiInputTransport> input = std::move(retired_.front());
    retired_.pop_front();
    closing_ = true;
    hold.unlock();
    input->ClosePort();
    input.reset();
    hold.lock();
    closing_ = false;
    service_.Changed().notify_all();
  }
}
