#pragma once
// The transfer engine: one sender and three worker threads (Poco threads that run the
// sender as their Runnable, each start on a fresh system thread), and the flags that tell
// the incoming-SysEx dispatch and the MIDI input handlers what a transfer expects.
//
// Start protocol: a starter does its own preparation (it stays even when nothing
// starts), then startJob: when the job's thread runs, the start is dropped without a
// message (the clock's Start and Stop are kept instead, see startJob); otherwise the
// job runs there with the given arguments. The thread of each job is fixed: clock
// start and stop on clockControlThread, the clock loop on clockThread, everything else
// on transferThread. Starts and drops are counted; a kept job counts when it runs.
//
// A start on a worker first joins the run that finished there. Tear-down: shutDown()
// stops the clock loop, raises the cancel request, ends every wait and joins the three
// threads; the destructor does it when nobody did.
//
// threads: main, tick-performer, midi-in, worker (startJob); shutDown and the
// destructor on main, never under the plug-in mutex. Flags are atomics: written
// by starters and jobs, read by the dispatch on midi-in and worker threads.

#include <array>
#include <atomic>
#include <mutex>

#include "librarian/PatchLibrarian.h"
#include "messaging/LibrarianDumpReceivers.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/RequestLedger.h"

#include <Poco/Thread.h>

struct ISysEx;
class IControl;
class IGraphics;
struct IMidiMsg;
class MessagingEditor;
class PatchLibrarian;
class PatchManager;

class MIDIMessageManager {
public:
  enum Worker { kTransferThread = 0, kClockControlThread, kClockThread, kWorkerCount };
  // The system name of the worker threads, so debuggers and tests can tell them apart.
  static constexpr const char* kWorkerThreadName = "tavro-worker";

  MIDIMessageManager(MessagingEditor* plug, PatchManager* patchManager, PatchLibrarian* librarian, IGraphics* graphics);
  ~MIDIMessageManager();
  MIDIMessageManager(const MIDIMessageManager&) = delete;
  MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;

  // The thread a job code runs on.
  static Worker workerFor(int jobCode);
  // Starts args.jobCode on its thread; false (dropped) while that thread runs or
  // after shutDown. `clearDumpProcessed` clears dumpProcessed as most starters do.
  // The clock's Start and Stop (jobs 14 and 16) are never dropped for a busy thread:
  // those that find it running are kept, every edge once and in order (one equal to
  // the edge kept before it is no edge), and run there once the running job ends, so
  // the synthesizer hears each Play and Stop however quickly they follow each other.
  // True when started or kept.
  bool startJob(const JobArgs& args, bool clearDumpProcessed = true);
  bool isRunning(Worker worker) const { return threads_[worker].running.load(std::memory_order_acquire); }
  void shutDown();

  int jobsStarted(Worker worker) const { return started_[worker].load(); }
  int jobsDropped(Worker worker) const { return dropped_[worker].load(); }
  // How many jobs the worker has begun to run, counted on the worker before each job
  // (and each kept resend) runs: the number of the run under way tells it apart from
  // the one before it.
  // threads: any
  int jobsBegun(Worker worker) const { return begun_[worker].load(); }
  // The code of the job the worker runs now; -1 while it runs none.
  // threads: any
  int runningJob(Worker worker) const { return running_[worker].load(); }

  MIDIMessageSender* sender() { return &sender_; }
  MessagingEditor* plug() const { return plug_; }
  PatchManager* patchManager() const { return patchManager_; }
  IGraphics* graphics() const { return graphics_; }
  PatchLibrarian* librarian() const { return librarian_; }

  std::atomic<bool> transferInProgress{false};
  std::atomic<bool> tabRefreshPending{false};
  std::atomic<int> fromHost{1};
  std::atomic<bool> applyingHardwareValue{false};
  std::atomic<bool> sysexBusy{false};
  // The message the dispatch last handled was taken over; a stray one after a
  // transfer's end finds it down, so the transfer's outcome stays on the line.
  std::atomic<bool> dumpProcessed{false};
  // What became of the last dump a librarian receiver took since it was armed
  // (kNoBankOfKind until one is stored); read once dumpProcessed is up.
  std::atomic<SlotStore> librarianStore{SlotStore::kNoBankOfKind};
  // A message from the synthesizer came while a reply was awaited but could not be
  // read (a receiver or the panel's parsers refused it). Arming or disarming the
  // receivers, which every request does before it asks, clears it.
  std::atomic<bool> replyUnreadable{false};
  // The open output refused a message of the live request (the unit's connection went
  // while the port stayed chosen): no answer can come. Its first send clears it.
  std::atomic<bool> requestSendRefused{false};
  // The part slot whose edit-buffer program a request into the panel awaits (-1:
  // none). A program dump that is not it (a stored program, as a unit of another model
  // answers the request) is not loaded: its type and number byte are kept in
  // otherReply (type * 128 + number; -1 none) for the request to say what came.
  std::atomic<int> awaitedPanelProgram{-1};
  // While a request of the performance into the panel waits: the page's mode when it
  // was asked (1 performance mode, 0 program mode; -1 none). Its reply, come after the
  // page left performance mode, leaves the choice the slots show out of it.
  std::atomic<int> performanceAskedInMode{-1};
  std::atomic<int> otherReply{-1};
  // The requests sent and the answers still owed (RequestLedger.h).
  RequestLedger requests;

  // ---- parameter road ----
  // A program (job 1, per slot) or performance (job 0) resend, or a request of the
  // active performance (job 4) or of a slot's program (job 5) into the panel: started
  // as startJob does, or, while worker (transfer) runs, kept (one per kind, the later
  // replacing the earlier) and run on that thread as soon as the running job ends, the
  // resends before the requests, the librarian row sent (job 2) last. So the last edit
  // always reaches the synthesizer, a program chosen meanwhile still comes back, and the
  // unit ends on the row last highlighted. Other codes start as startJob. True when
  // started or kept.
  bool startOrKeep(const JobArgs& args);
  // Resends, requests and the clock's Start or Stop kept and not yet run.
  int pendingResends();

  // ---- incoming SysEx and the librarian's requests ----
  // Incoming SysEx (only from the synthesizer or as if from it): to the armed
  // librarian receiver (the performance one first), else to the panel's parsers while
  // a transfer is under way, else to the device-id enquiry; else it is dropped. A
  // message must name the manufacturer (0x33), a device id 0..15 and a model byte up
  // to 4; nothing of a message under 4 bytes is read.
  // threads: midi-in, worker (jobs' own dumps), main (the librarian list's paste)
  void ProcessSysEx(ISysEx* message, bool fromDevice);
  // A dump from the synthesizer's port that answers a request which has ended: true,
  // and it must not be loaded. Messages the editor feeds itself are not asked.
  // threads: midi-in
  bool refuseLateReply(const ISysEx* message);
  // A program dump into its slot of the panel: 139 or 149 bytes, slot byte 0..3.
  void sysexPartPatchParse(ISysEx* message);
  // A performance dump: the enquiry's reply while one is pending (nothing changes but
  // the flags), else into the panel.
  void sysexPerformancePatchParse(ISysEx* message);
  // Arms the receiver of the librarian's kind with an empty patch, disarming the other;
  // nothing is stored and no reply was unreadable yet.
  // threads: main, worker
  void armLibrarianReceiver(bool performance);
  void disarmLibrarianReceivers();
  // Arms the program receiver, then starts job 8 (one program) or 9 (a bank); when the
  // worker (transfer) is busy the receiver stays armed and no request goes out.
  // threads: main
  void sendSinglePatchRequestSysexFromLibrarian(bool useActiveSlot, int bank);
  void sendAllPatchRequestSysexFromLibrarian(int bank);

  // A raw value from a SysEx message into the control bound to its five key parts, or
  // into a control in hand (then, with notify, the velocity map's change follows).
  // Both lower transferInProgress; fromHardware leaves applyingHardwareValue raised.
  // A parameter of one value (no range) takes the value 0.
  // threads: midi-in, main
  void getNormalControl(int key1, int key2, int key3, int key4, int key5, int rawValue, bool fromHardware);
  void processSysExToUI(IControl* control, int rawValue, bool notify, bool fromHardware);

  LibraryPerformanceRequest performanceRequest;
  LibraryPatchRequest patchRequest;

  // ---- librarian sends and performance jobs ----
  // The performance form of exactly 765 bytes whose part blocks lie 142 bytes apart
  // into the panel; it answers no enquiry. Sets dumpProcessed when taken, sysexBusy always.
  // threads: midi-in, worker
  void sysexPerformancePatchParseWN(ISysEx* message);

  // ---- incoming MIDI, MIDI clock and randomiser ----
  // Short messages from the synthesizer and the host (MIDIMessageManagerCC.cpp).
  // From the synthesizer, on a part channel: its controllers move the panel (under
  // the plug-in mutex), its program changes request the program or drive the
  // librarian; notes and the rest go back to it only while its local control is off.
  // threads: midi-in (without the plug-in mutex)
  void ProcessMidiMsgFromDevice(IMidiMsg* msg);
  // From the host for part slot `slot` (0-3): filtered, moved onto the panel, turned
  // into requests, forwarded.
  // threads: main (under the plug-in mutex)
  void ProcessMidiMsgFromDAW(IMidiMsg* msg, int slot);
  // Puts a controller's value (0-127) into the control the layout bound to it, with
  // the synthesizer's own conventions for some controllers when `fromDevice`.
  // `channel` is the lookup key 1-16: the slot's number (1-4) for a message on a slot's
  // part channel, else the message's channel + 1.
  // threads: midi-in, main; under the plug-in mutex
  void getLegacyCCparam(int cc, int channel, int value, bool notify, bool fromDevice);
  // A program number 0-127 held to the librarian's banks: 99 at most for programs,
  // 100 for performances.
  int limitProgramNumber(int program) const;

  // The randomiser (MIDIMessageManagerRandomizer.cpp): fresh draws from the plug-in's
  // own source, then one part slot's unlocked groups, each parameter set to what its
  // entry of the table gives it (shown on the panel; nothing runs or is sent).
  // threads: main (under the plug-in mutex)
  void randomGenerator();
  // The value entry `entry` of the plug-in's table gives parameter `paramIdx`; an entry
  // outside the table reads as 0.
  int randomizer(int paramIdx, int entry);
  void randomizePartPatch(int slot);

private:
  // A controller from the synthesizer into its control, by the synthesizer's own
  // conventions for some controllers; true when the librarian view must follow it
  // whether or not the caller asked.
  // threads: midi-in, main (under the plug-in mutex)
  bool setFromDeviceController(IControl& control, int cc, int value, double scaled, bool laterModel);
  // Jobs kept while their thread is busy. On worker (transfer): the performance, the
  // program of slots A-D, then the same five requested into the panel. On the worker
  // (clock-control): the clock's Start and Stop, in a queue of their own.
  static constexpr int kSlotKinds = 4;
  static constexpr int kRequestKinds = 1 + kSlotKinds;  // the first request's kind
  // A librarian row sent to the unit (the list's audition): the latest row only.
  static constexpr int kAuditionKind = 2 * kRequestKinds;
  static constexpr int kResendKinds = kAuditionKind + 1;
  static constexpr int kClockControlKind = kResendKinds;
  // The kind of a kept job, or -1 for a job that is never kept.
  static int resendKind(const JobArgs& args);
  // The transport edges kept, oldest first. Kept edges alternate, so the oldest and
  // the count say them all, however many come.
  class EdgeQueue {
  public:
    void push(const JobArgs& args);
    bool pop(JobArgs& args);
    int size() const { return count_; }

  private:
    JobArgs first_;
    int count_ = 0;
  };
  // The next job kept for `worker`, taken off its queue (on worker (transfer) the
  // kinds in their order); false when none. Under launchLock_.
  bool takeKept(Worker worker, JobArgs& args);
  bool launch(const JobArgs& asked, bool clearDumpProcessed, bool keepWhenBusy);
  // ProcessSysEx's three takers. The librarian's armed receivers: true when one of
  // them answered for the message (taken, refused or passed over as a late reply).
  bool offerToLibrarianReceivers(const uint8_t* bytes, size_t size);
  // While a request is live, only a dump of the type it awaits goes on (true); the
  // other family's answer is kept aside as otherReply, and neither it nor a dump nobody
  // asked for is loaded.
  bool offerToLiveRequest(const uint8_t* bytes);
  // A dump while a transfer runs: into the panel, or kept aside as otherReply when a
  // program other than the awaited one.
  void takeIntoPanel(ISysEx* message);
  // The device-id enquiry's reply: the unit's id, and its performance into the panel.
  void takeEnquiryReply(ISysEx* message);
  // The panel parsers' one road: `read` has the bytes only when the coder is there and
  // the message, whose size must not be negative, is of the form `accepts` wants;
  // dumpProcessed rises after a read, sysexBusy always (SysExDispatch.cpp).
  template <class Coder, class Read>
  void parseDump(const Coder* coder, const ISysEx* message, bool (*accepts)(const uint8_t*, size_t), Read read);
  // Runs the job, then every resend kept meanwhile, on the worker's own thread.
  void runJobThenResends(Worker worker, JobArgs args);
  std::mutex launchLock_;  // a leaf: guards busy_, pendingResends_ and edges_
  bool busy_[kWorkerCount] = {};
  std::array<bool, kResendKinds> kept_{};
  std::array<JobArgs, kResendKinds> pendingResends_{};
  EdgeQueue edges_;

  MessagingEditor* plug_;
  PatchManager* patchManager_;
  IGraphics* graphics_;
  PatchLibrarian* librarian_;
  // One worker: idle, or running the sender once.
  struct WorkerThread {
    Poco::Thread thread;
    std::mutex lock;  // guards joinable and closed; a leaf, never waited on by a start
    bool joinable = false;
    bool closed = false;
    std::atomic<bool> running{false};
  };
  // Runs `work` on the worker's thread through the sender; false, starting nothing,
  // while it runs, while another start or the close holds it, after the close, or
  // when no thread can be made. Never throws.
  bool startThread(Worker worker, std::function<void()> work);
  // Refuses every later start and joins a run still going.
  void closeThread(Worker worker);

  // The sender outlives the threads that run it: declared first, destroyed last.
  MIDIMessageSender sender_;
  WorkerThread threads_[kWorkerCount];
  std::atomic<int> started_[kWorkerCount] = {};
  std::atomic<int> dropped_[kWorkerCount] = {};
  std::atomic<int> begun_[kWorkerCount] = {};
  std::atomic<int> running_[kWorkerCount] = {-1, -1, -1};  // -1: none
  static_assert(kWorkerCount == 3, "every worker starts with no job running");
};
