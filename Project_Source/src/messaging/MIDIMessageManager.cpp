#include "messaging/MIDIMessageManager.h"

#include "messaging/TransferJobs.h"

MIDIMessageManager::MIDIMessageManager(MessagingEditor* plug, PatchManager* patchManager, PatchLibrarian* librarian,
                                       IGraphics* graphics)
    : plug_(plug), patchManager_(patchManager), graphics_(graphics), librarian_(librarian), sender_(plug) {
  // Jobs need an editor to work for; an engine without one runs only what a caller installs.
  if (plug_) installTransferJobs(sender_);
}

MIDIMessageManager::~MIDIMessageManager() { shutDown(); }

MIDIMessageManager::Worker MIDIMessageManager::workerFor(int jobCode) {
  switch (jobCode) {
    case kJobStartClock:
    case kJobStopClock:
      return kClockControlThread;
    case kJobContinuousClock:
      return kClockThread;
    default:
      return kTransferThread;
  }
}

bool MIDIMessageManager::startJob(const JobArgs& args, bool clearDumpProcessed) {
  const Worker worker = workerFor(args.jobCode);
  if (threads_[worker].IsRunning() || sender_.shuttingDown()) {
    dropped_[worker].fetch_add(1);
    return false;
  }
  if (clearDumpProcessed) dumpProcessed.store(false);
  if (!threads_[worker].Start([this, args]() { sender_.run(args); })) {
    dropped_[worker].fetch_add(1);
    return false;
  }
  started_[worker].fetch_add(1);
  return true;
}

void MIDIMessageManager::shutDown() {
  sender_.shutDown();
  for (WorkerThread& thread : threads_) thread.Close();
}
