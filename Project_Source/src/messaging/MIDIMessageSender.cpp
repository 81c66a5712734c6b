#include "MIDIMessageSender.h"

#include <algorithm>

#include "Kit_TimeSource.h"

namespace {

// Cancel requests are polled at this step while a job waits.
constexpr uint64_t kCancelPollMicros = 10000;

}  // namespace

void MIDIMessageSender::run(const JobArgs& args) {
  if (args.jobCode < 0 || args.jobCode >= kJobCount) return;
  if (Job job = jobs_[size_t(args.jobCode)]) job(*this, args);
}

void MIDIMessageSender::setJob(int jobCode, Job job) {
  if (jobCode >= 0 && jobCode < kJobCount && jobCode != kJobNothing) jobs_[size_t(jobCode)] = job;
}

bool MIDIMessageSender::pause(uint64_t micros) {
  Kit_TimeSource& time = Kit_Time();
  const uint64_t deadline = time.NowMicros() + micros;
  for (;;) {
    if (cancelRequested.load(std::memory_order_acquire) || shuttingDown()) return false;
    const uint64_t now = time.NowMicros();
    if (now >= deadline) return true;
    if (!time.WaitUntilMicros(std::min(deadline, now + kCancelPollMicros), shutdown_)) return false;
  }
}

void MIDIMessageSender::shutDown() {
  resetContinuousClock(true);
  shutdown_.RequestStop();
}
