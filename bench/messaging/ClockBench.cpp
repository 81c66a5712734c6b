// MIDI clock in real time: how late each Clock leaves against its grid, how far the
// stream drifts and what worker (clock)'s loop costs, for the sleeping loop; beside it at
// the same time, as the peer for lateness, a bare thread sleeping to absolute
// deadlines; and after it, as the peer for cost, a loop that spins on the clock and
// times each Clock from the last send.
//
// Usage: clock_bench [seconds per run, default 10]

#include <sys/prctl.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "ClockGrid.h"
#include "messaging/MIDIClockOutput.h"

namespace {

int64_t Nanos(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Records each Clock's monotonic send time and the sending thread's CPU time.
class TimingLink : public MIDIClockLink {
public:
  TimingLink(int tempo, size_t expected) : tempo_(tempo) { sends_.reserve(expected); }
  bool outputSet() override { return true; }
  bool SendRealTime(uint8_t) override {
    sends_.push_back(Nanos(CLOCK_MONOTONIC));
    const int64_t cpu = Nanos(CLOCK_THREAD_CPUTIME_ID);
    if (sends_.size() == 1) firstCpu_ = cpu;
    lastCpu_ = cpu;
    return true;
  }
  int getTempoValue() override { return tempo_; }
  bool clockPointerOn() override { return false; }
  bool clockInfoOn() override { return clockInfo.load(); }
  void ClockTempoMissing(const char*) override {}

  std::atomic<bool> clockInfo{true};

  const std::vector<int64_t>& Sends() const { return sends_; }
  int64_t ThreadCpu() const { return lastCpu_ - firstCpu_; }

private:
  int tempo_;
  std::vector<int64_t> sends_;
  int64_t firstCpu_ = 0, lastCpu_ = 0;
};

// The sleeping loop, with the bare peer beside it at the same time: a thread that
// only sleeps to each absolute deadline of its own grid, so both meet the same load.
void RunSleepingLoop(TimingLink& link, TimingLink& bare, int tempo, double seconds) {
  std::atomic<bool> running{true};
  std::thread sleeper([&] {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // as worker (clock)'s loop asks
    const int64_t interval = MIDIClockOutput::ClockInterval(tempo);
    bare.SendRealTime(kMidiClock);
    const int64_t gridStart = Nanos(CLOCK_MONOTONIC);
    for (int64_t n = 1; running.load(std::memory_order_relaxed); ++n) {
      const int64_t due = gridStart + n * interval;
      const timespec at{time_t(due / 1000000000), long(due % 1000000000)};
      while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
      }
      bare.SendRealTime(kMidiClock);
    }
  });
  MIDIClockOutput output(link);
  output.StartContinuousClock();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  link.clockInfo = false;
  output.StopContinuousClock();
  running = false;
  sleeper.join();
}

// The spinning loop: reads the clock on every pass and measures each interval from
// the reading taken after the previous send.
void RunSpinningLoop(TimingLink& link, int tempo, double seconds) {
  std::atomic<bool> running{true};
  std::thread spinner([&] {
    const int64_t interval = MIDIClockOutput::ClockInterval(tempo);
    link.SendRealTime(kMidiClock);
    int64_t lastClock = Nanos(CLOCK_MONOTONIC);
    while (running.load(std::memory_order_relaxed)) {
      if (Nanos(CLOCK_MONOTONIC) - lastClock < interval) continue;
      link.SendRealTime(kMidiClock);
      lastClock = Nanos(CLOCK_MONOTONIC);
    }
  });
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  running = false;
  spinner.join();
}

double Percentile(std::vector<int64_t> sorted, double p) {
  std::sort(sorted.begin(), sorted.end());
  return double(sorted[size_t(p * double(sorted.size() - 1))]);
}

void Report(const char* loop, int tempo, const TimingLink& link) {
  const std::vector<int64_t>& sends = link.Sends();
  if (sends.size() < 2) {
    std::printf("%-9s %4d BPM: too few Clocks\n", loop, tempo);
    return;
  }
  const int64_t interval = MIDIClockOutput::ClockInterval(tempo);
  size_t regrids = 0;
  const std::vector<int64_t> lateness = GridLateness(sends, interval, &regrids);
  const double span = double(sends.back() - sends.front());
  // Drift: how much later the last tenth of the Clocks lie than the first tenth, on
  // average, so single late wake-ups do not count as drift.
  const size_t tenth = std::max<size_t>(1, lateness.size() / 10);
  double first = 0, last = 0;
  for (size_t i = 0; i < tenth; ++i) {
    first += double(lateness[i]);
    last += double(lateness[lateness.size() - 1 - i]);
  }
  const double drift = (last - first) / double(tenth);
  const double driftSpan = double(lateness.size() - tenth) * double(interval);
  std::printf(
      "%-9s %4d BPM %7zu Clocks  late p50 %8.1f us  p99 %8.1f us  max %9.1f us  drift %9.1f us "
      "(%8.1f ppm)  regrids %zu  cpu %6.2f %%\n",
      loop, tempo, sends.size(), Percentile(lateness, 0.5) / 1e3, Percentile(lateness, 0.99) / 1e3,
      double(*std::max_element(lateness.begin(), lateness.end())) / 1e3, drift / 1e3, drift / driftSpan * 1e6, regrids,
      100.0 * double(link.ThreadCpu()) / span);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: %s [seconds per run]\n", argv[0]);
    return 2;
  }
  for (int tempo : {120, 300}) {
    const size_t expected = size_t(seconds * tempo * 24 / 60) + 16;
    TimingLink sleeping(tempo, expected), bare(tempo, expected), spinning(tempo, expected);
    RunSleepingLoop(sleeping, bare, tempo, seconds);
    Report("sleeping", tempo, sleeping);
    Report("bare", tempo, bare);
    RunSpinningLoop(spinning, tempo, seconds);
    Report("spinning", tempo, spinning);
  }
  return 0;
}
