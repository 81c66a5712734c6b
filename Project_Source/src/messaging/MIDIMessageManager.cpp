#include "messaging/MIDIMessageManager.h"

#include <pthread.h>

#include <algorithm>
#include <exception>
#include <thread>

#include "messaging/MessagingEditor.h"
#include "messaging/TransferJobs.h"

MIDIMessageManager::MIDIMessageManager(MessagingEditor* plug, PatchManager* patchManager, PatchLibrarian* librarian,
                                       IGraphics* graphics)
    : plug_(plug), patchManager_(patchManager), graphics_(graphics), librarian_(librarian), sender_(plug) {
  // Jobs need an editor to work for; an engine without one runs only what a caller installs.
  if (plug_) installTransferJobs(sender_);
  for (WorkerThread& worker : threads_) worker.thread.setName(kWorkerThreadName);
}

MIDIMessageManager::~MIDIMessageManager() { shutDown(); }

MIDIMessageManager::Worker MIDIMessageManager::workerFor(int jobCode) {
  switch (jobCode) {
    case kJobStartClock:
    case kJobStopClock: return kClockControlThread;
    case kJobContinuousClock: return kClockThread;
    default: return kTransferThread;
  }
}

bool MIDIMessageManager::startJob(const JobArgs& args, bool clearDumpProcessed) {
  return launch(args, clearDumpProcessed, workerFor(args.jobCode) == kClockControlThread);
}

bool MIDIMessageManager::startOrKeep(const JobArgs& args) { return launch(args, true, resendKind(args) >= 0); }

int MIDIMessageManager::pendingResends() {
  std::lock_guard<std::mutex> hold(launchLock_);
  int count = edges_.size();
  for (bool kept : kept_) count += kept;
  return count;
}

void MIDIMessageManager::EdgeQueue::push(const JobArgs& args) {
  if (count_ == 0) {
    first_ = args;
  } else if ((count_ % 2 == 1) == (args.jobCode == first_.jobCode)) {
    return;  // the same as the last edge kept
  }
  ++count_;
}

bool MIDIMessageManager::EdgeQueue::pop(JobArgs& args) {
  if (count_ == 0) return false;
  args = first_;
  first_.jobCode = first_.jobCode == kJobStartClock ? kJobStopClock : kJobStartClock;
  --count_;
  return true;
}

bool MIDIMessageManager::takeKept(Worker worker, JobArgs& args) {
  if (worker == kClockControlThread) return edges_.pop(args);
  if (worker != kTransferThread) return false;
  const auto next = std::find(kept_.begin(), kept_.end(), true);
  if (next == kept_.end()) return false;
  *next = false;
  args = pendingResends_[size_t(next - kept_.begin())];
  return true;
}

int MIDIMessageManager::resendKind(const JobArgs& args) {
  if (workerFor(args.jobCode) == kClockControlThread) return kClockControlKind;
  if (args.jobCode == kJobSendArrangement) return 0;
  if (args.jobCode == kJobSendLibrarianPatch) return kAuditionKind;
  const bool slotInRange = args.slot >= 0 && args.slot < kSlotKinds;
  if (args.jobCode == kJobSendPart && slotInRange) return 1 + args.slot;
  if (!args.toPanel) return -1;
  if (args.jobCode == kJobRequestArrangement) return kRequestKinds;
  if (args.jobCode == kJobRequestPart && slotInRange) return kRequestKinds + 1 + args.slot;
  return -1;
}

bool MIDIMessageManager::launch(const JobArgs& asked, bool clearDumpProcessed, bool keepWhenBusy) {
  // A request kept for later is still of the mode it was asked in.
  JobArgs args = asked;
  if (plug_) args.askedInPerformanceMode = plug_->isLibrarianPerformanceMode();
  const Worker worker = workerFor(args.jobCode);
  {
    std::lock_guard<std::mutex> hold(launchLock_);
    if (busy_[worker] && keepWhenBusy && !sender_.shuttingDown()) {
      const int kind = resendKind(args);
      if (kind == kClockControlKind) {
        edges_.push(args);
      } else {
        kept_[size_t(kind)] = true;
        pendingResends_[size_t(kind)] = args;
      }
      return true;
    }
    if (busy_[worker] || sender_.shuttingDown()) {
      dropped_[worker].fetch_add(1);
      return false;
    }
    busy_[worker] = true;
    // Running from here on, for those who ask before the thread is under way.
    running_[worker].store(args.jobCode);
  }
  if (clearDumpProcessed) dumpProcessed.store(false);
  const auto job = [this, worker, args]() { runJobThenResends(worker, args); };
  bool started = startThread(worker, job);
  // busy_ was clear, so a run still seen as running has done its work and is only
  // returning: it is gone within a few instructions, unless the threads were closed.
  while (!started && isRunning(worker) && !sender_.shuttingDown()) {
    std::this_thread::yield();
    started = startThread(worker, job);
  }
  if (!started) {
    std::lock_guard<std::mutex> hold(launchLock_);
    running_[worker].store(-1);
    busy_[worker] = false;
    dropped_[worker].fetch_add(1);
    return false;
  }
  started_[worker].fetch_add(1);
  return true;
}

void MIDIMessageManager::runJobThenResends(Worker worker, JobArgs args) {
  for (;;) {
    begun_[worker].fetch_add(1);
    sender_.run(args);
    std::lock_guard<std::mutex> hold(launchLock_);
    if (sender_.shuttingDown() || !takeKept(worker, args)) {
      running_[worker].store(-1);
      busy_[worker] = false;
      return;
    }
    running_[worker].store(args.jobCode);
    if (worker == kTransferThread && plug_) args.priorOutcome = plug_->statusShown();
    // The clock's Start and Stop wait for no dump.
    if (worker == kTransferThread) dumpProcessed.store(false);
    started_[worker].fetch_add(1);
  }
}

void MIDIMessageManager::shutDown() {
  sender_.shutDown();
  for (int worker = 0; worker < kWorkerCount; ++worker) closeThread(Worker(worker));
}

bool MIDIMessageManager::startThread(Worker worker, std::function<void()> work) {
  WorkerThread& own = threads_[worker];
  std::unique_lock<std::mutex> hold(own.lock, std::try_to_lock);
  if (!hold.owns_lock() || own.closed || own.running.load(std::memory_order_acquire)) return false;
  // The previous run has returned; its system thread is only left to reap.
  if (own.joinable) own.thread.join();
  own.joinable = false;
  own.running.store(true, std::memory_order_release);
  sender_.handOver(&own.thread, [&own, work = std::move(work)]() {
    // Poco keeps the name for itself; the system thread gets it here, before the job,
    // and from the starter below, so that it is named from the moment start returns.
    pthread_setname_np(pthread_self(), kWorkerThreadName);
    work();
    own.running.store(false, std::memory_order_release);
  });
  try {
    own.thread.start(sender_);
  } catch (const std::exception&) {
    // No thread to be had (the system is out of them): dropped like a busy start.
    own.running.store(false, std::memory_order_release);
    return false;
  }
  own.joinable = true;
  pthread_setname_np(own.thread.tid(), kWorkerThreadName);
  return true;
}

void MIDIMessageManager::closeThread(Worker worker) {
  WorkerThread& own = threads_[worker];
  std::lock_guard<std::mutex> hold(own.lock);
  own.closed = true;
  if (own.joinable) own.thread.join();
  own.joinable = false;
}
