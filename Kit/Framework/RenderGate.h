#pragma once
// Lets a close wait for the render in flight and turns away every render after it.
// A render counts itself in before it looks at the gate, and the close shuts the gate
// before it reads the count, so no render is inside once the close's wait returns.
// The close never waits long: a render never waits for anything.
// threads: render (Pass), main (ShutAndWait)

#include <atomic>
#include <thread>

class RenderGate {
public:
  // Held for one render: `Open()` says whether the render may run.
  class Pass {
  public:
    explicit Pass(RenderGate& gate) : gate_(gate) { gate_.inFlight_.fetch_add(1); }
    ~Pass() { gate_.inFlight_.fetch_sub(1); }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    bool Open() const { return !gate_.shut_.load(); }

  private:
    RenderGate& gate_;
  };

  void ShutAndWait() {
    shut_ = true;
    while (inFlight_.load() != 0) std::this_thread::yield();
  }

private:
  std::atomic<int> inFlight_{0};
  std::atomic<bool> shut_{false};
};
