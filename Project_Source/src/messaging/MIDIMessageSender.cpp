#include "messaging/MIDIMessageSender.h"

#include <Poco/Thread.h>

#include <algorithm>

#include "Kit_TimeSource.h"
#include "messaging/MessagingEditor.h"

void MIDIMessageSender::handOver(const Poco::Thread* thread, std::function<void()> work) {
  std::lock_guard<std::mutex> hold(handOverLock_);
  // A start that could not be made leaves its work behind: the next one replaces it.
  for (HandedOver& entry : handedOver_) {
    if (entry.thread == thread) {
      entry.work = std::move(work);
      return;
    }
  }
  handedOver_.push_back({thread, std::move(work)});
}

void MIDIMessageSender::run() {
  std::function<void()> work;
  {
    const Poco::Thread* self = Poco::Thread::current();
    std::lock_guard<std::mutex> hold(handOverLock_);
    const auto mine = std::find_if(handedOver_.begin(), handedOver_.end(),
                                   [self](const HandedOver& entry) { return entry.thread == self; });
    if (mine == handedOver_.end()) return;
    work = std::move(mine->work);
    handedOver_.erase(mine);
  }
  work();
}

namespace {
thread_local bool tPortsSetAtJobStart = false;
}  // namespace

bool MIDIMessageSender::portsSetAtJobStart() { return tPortsSetAtJobStart; }

void MIDIMessageSender::run(const JobArgs& args) {
  if (args.jobCode < 0 || args.jobCode >= kJobCount) return;
  Job job = jobs_[size_t(args.jobCode)];
  if (!job) return;
  tPortsSetAtJobStart = plug_ && plug_->isMidiIOSet();
  job(*this, args);
}

void MIDIMessageSender::setJob(int jobCode, Job job) {
  if (jobCode >= 0 && jobCode < kJobCount && jobCode != kJobNothing) jobs_[size_t(jobCode)] = job;
}

bool MIDIMessageSender::pause(uint64_t micros) {
  Kit_TimeSource& time = Kit_Time();
  const uint64_t deadline = time.NowMicros() + micros;
  std::shared_ptr<Kit_StopSignal> signal = currentSignal();
  if (cancelRequested() || shuttingDown()) return false;
  return time.WaitUntilMicros(deadline, *signal);
}

std::shared_ptr<Kit_StopSignal> MIDIMessageSender::currentSignal() {
  std::lock_guard<std::mutex> hold(signalLock_);
  return signal_;
}

void MIDIMessageSender::requestCancel() {
  cancelRequested_.store(true, std::memory_order_release);
  currentSignal()->RequestStop();
}

void MIDIMessageSender::clearCancel() {
  std::lock_guard<std::mutex> hold(signalLock_);
  cancelRequested_.store(false, std::memory_order_release);
  if (!shuttingDown() && signal_->StopRequested()) signal_ = std::make_shared<Kit_StopSignal>();
}

void MIDIMessageSender::shutDown() {
  shuttingDown_.store(true, std::memory_order_release);
  cancelRequested_.store(true, std::memory_order_release);
  currentSignal()->RequestStop();
  if (clock_) clock_->Close();
}
