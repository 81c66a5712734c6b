#include "Kit_TimeSource.h"

#include <sys/time.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

class Kit_RealClock : public Kit_TimeSource {
public:
  uint64_t NowMicros() override {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
  }
  uint64_t MicrosSinceEpoch() override {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return uint64_t(tv.tv_sec) * 1000000u + uint64_t(tv.tv_usec);
  }
  void SleepMicros(uint64_t micros) override { std::this_thread::sleep_for(std::chrono::microseconds(micros)); }
  void SleepUntilMicros(uint64_t deadlineMicros) override { std::this_thread::sleep_until(PointOf(deadlineMicros)); }
  bool WaitUntilMicros(uint64_t deadlineMicros, Kit_StopSignal& stop) override {
    std::unique_lock<std::mutex> hold(stop.lock_);
    return !stop.raised_.wait_until(hold, PointOf(deadlineMicros), [&] { return stop.StopRequested(); });
  }

private:
  // The steady clock's time point of a deadline; far deadlines stop short of overflow.
  static std::chrono::steady_clock::time_point PointOf(uint64_t micros) {
    constexpr uint64_t kFarthest = uint64_t(INT64_MAX) / 1000u;
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(std::min(micros, kFarthest)));
  }
};

namespace {

Kit_RealClock gRealClock;
std::atomic<Kit_TimeSource*> gSource{&gRealClock};

}  // namespace

Kit_TimeSource& Kit_Time() { return *gSource.load(std::memory_order_acquire); }

void Kit_SetTimeSource(Kit_TimeSource* source) {
  gSource.store(source ? source : &gRealClock, std::memory_order_release);
}
