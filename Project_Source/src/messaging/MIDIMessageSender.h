#pragma once
// The transfer engine's job runner, the one Runnable its three worker threads run. A
// starter fills a JobArgs record, and the worker thread it starts runs the job of that
// code with that record: each start keeps its own arguments, so two starts close
// together cannot run each other's job.
//
// Jobs wait through pause(): a wait ends early when the user cancels or the engine
// shuts down, so every job returns promptly at tear-down.
//
// threads: worker (the jobs), main (resetContinuousClock).

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <Poco/Runnable.h>

#include "Kit_StopSignal.h"
#include "messaging/MIDIClockOutput.h"

class MessagingEditor;
struct LibrarianPatch;
namespace Poco {
class Thread;
}

// Job codes; the comment names the thread that runs each.
enum JobCode : int {
  kJobSendArrangement = 0,     // transfer
  kJobSendPart = 1,            // transfer
  kJobSendLibrarianPatch = 2,  // transfer
  kJobStoreAllPatches = 3,     // transfer
  kJobRequestArrangement = 4,  // transfer
  kJobRequestPart = 5,         // transfer
  kJobRequestSingleMulti = 6,  // transfer
  kJobRequestAllMulti = 7,     // transfer
  kJobRequestSinglePatch = 8,  // transfer
  kJobRequestAllPatches = 9,   // transfer
  kJobInitPerformance = 10,    // transfer
  kJobInitPatch = 11,          // transfer
  kJobDeviceIdEnquiry = 12,    // transfer
  kJobNothing = 13,
  kJobStartClock = 14,       // clock control
  kJobContinuousClock = 15,  // clock
  kJobStopClock = 16,        // clock control
  kJobCount = 17
};

// One start's job and arguments; the comment names the jobs that read each field.
struct JobArgs {
  int jobCode = kJobNothing;
  std::shared_ptr<const LibrarianPatch> librarianPatch;  // 2: the starter's own copy
  int storePane = 0;                                     // 3: 0 upper list, 1 lower
  int slot = 0;                                          // 1, 2, 5
  bool toPanel = false;                                  // 4, 5
  bool askedInPerformanceMode = false;                   // 4: the page's mode when asked
  int storeBank = 0;                                     // 3
  int bank = 0;                                          // 6-9
  bool toLibrarian = false;                              // 0, 1
  bool useActiveSlot = false;                            // 8
  bool toHardware = false;                               // 10, 11
  int clockTempo = 0;                                    // 15 (not read by the loop)
  // 4, 5 run after another transfer (kept): the status text that transfer ended with,
  // which the request's own outcome follows rather than replaces. Empty otherwise.
  std::string priorOutcome;
  // 0: the status text once the performance has gone out (the menu's push); empty for
  // the resends, which say nothing.
  std::string sentText;
};

class MIDIMessageSender : public Poco::Runnable {
public:
  using Job = void (*)(MIDIMessageSender& sender, const JobArgs& args);

  explicit MIDIMessageSender(MessagingEditor* plug) : plug_(plug) {}
  MIDIMessageSender(const MIDIMessageSender&) = delete;
  MIDIMessageSender& operator=(const MIDIMessageSender&) = delete;

  // What a worker thread is to do when it next runs the sender: the start's job and
  // whatever its owner runs after it. Handed over before the thread starts; a second
  // hand-over to a thread that has not run replaces the first.
  // threads: main, tick-performer, midi-in, worker (the starter, before Poco::Thread::start)
  void handOver(const Poco::Thread* thread, std::function<void()> work);
  // The Runnable's entry: runs the work handed to the calling thread, once; a thread
  // that was handed nothing returns at once.
  // threads: worker
  void run() override;

  // The job switch: the job installed for args.jobCode; codes outside 0-16, 13 and
  // codes without a job return at once.
  // threads: worker
  void run(const JobArgs& args);
  // Installs the transfer function of a job code (0-16; others are ignored).
  // threads: main (before the first start)
  void setJob(int jobCode, Job job);

  // The plug-in object's MIDI clock, run by jobs 14-16; none until installed.
  // threads: main (setClock, before the first start), any (clock)
  void setClock(std::unique_ptr<MIDIClockOutput> clock) { clock_ = std::move(clock); }
  MIDIClockOutput* clock() const { return clock_.get(); }
  // true ends the clock loop, asleep or waiting for a tempo, before its next Clock.
  // false changes nothing: a loop runs while the plug-in's clock switch is on, and
  // the next job 15 starts a fresh one; a stopped run never comes back.
  // threads: main
  void resetContinuousClock(bool stop) {
    if (stop && clock_) clock_->StopContinuousClock();
  }

  // Pauses the job for `micros`; false when the wait was cut short by a cancel
  // request or the shutdown, which the job must then honour by returning.
  // threads: worker
  bool pause(uint64_t micros);
  // Ends every wait for good, and stops the clock loop for good and waits for it.
  // threads: main
  void shutDown();
  // threads: any
  bool shuttingDown() const { return shuttingDown_.load(std::memory_order_acquire); }

  // threads: any (fixed at construction)
  MessagingEditor* plug() const { return plug_; }

  // The user's "Cancel Data Request": ends the job's waits until cleared.
  // threads: main (request, clear), worker (clear, read)
  void requestCancel();
  void clearCancel();
  bool cancelRequested() const { return cancelRequested_.load(std::memory_order_acquire); }

  std::atomic<bool> timedOut{false};
  // The ports were set when the job running on this worker began: its waits end once
  // they close. Each worker runs one job at a time, so the answer is the thread's own.
  // threads: worker
  static bool portsSetAtJobStart();

private:
  // The signal the waits of now end on: raised by a cancel or the shutdown, replaced
  // by a fresh one when a cancel is cleared (never after the shutdown).
  std::shared_ptr<Kit_StopSignal> currentSignal();

  struct HandedOver {
    const Poco::Thread* thread;
    std::function<void()> work;
  };

  MessagingEditor* plug_;
  std::mutex handOverLock_;  // a leaf: guards handedOver_
  std::vector<HandedOver> handedOver_;
  std::array<Job, kJobCount> jobs_{};
  std::unique_ptr<MIDIClockOutput> clock_;
  std::atomic<bool> cancelRequested_{false};
  std::atomic<bool> shuttingDown_{false};
  std::mutex signalLock_;  // a leaf: guards signal_
  std::shared_ptr<Kit_StopSignal> signal_ = std::make_shared<Kit_StopSignal>();
};
