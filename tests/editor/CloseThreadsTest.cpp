// Closing the editor while a job waits, the MIDI clock runs and input streams in.
#include <gtest/gtest.h>

#include <dirent.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include <thread>

#include "EditorTestSupport.h"
#include "Kit_TimeSource.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// Live threads of this process named `name`.
int ThreadCount(const std::string& name) {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      const std::string task = std::string("/proc/self/task/") + e->d_name;
      std::string comm, stat;
      std::getline(std::ifstream(task + "/comm"), comm);
      std::getline(std::ifstream(task + "/stat"), stat);
      const size_t state = stat.rfind(')');
      const bool exiting =
          state != std::string::npos && state + 2 < stat.size() && (stat[state + 2] == 'Z' || stat[state + 2] == 'X');
      n += !exiting && comm == name;
    }
    closedir(d);
  }
  return n;
}

void WaitingJob(MIDIMessageSender& sender, const JobArgs&) { sender.pause(3600ull * 1000000); }
void ClockLoop(MIDIMessageSender& sender, const JobArgs&) {
  while (sender.pause(1000)) {
  }
}

TEST(Close, ReturnsWithAJobWaitingTheClockRunningAndInputStreaming) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  {
    Kit_VirtualClock::Participant still(clock);
    EditorFixture f("", false, {"Synth Out"});
    int in = 1;
    ASSERT_GT(f.plug->setExternalMIDIIn(in, "Synth Out"), 0);
    MIDIMessageSender* sender = f.plug->midiManager->sender();
    sender->setJob(kJobRequestArrangement, &WaitingJob);
    sender->setJob(kJobContinuousClock, &ClockLoop);
    f.plug->setMidiIOSet(true);
    // The render tick starts the clock loop (through tick-performer).
    double left[64] = {}, right[64] = {};
    double* outputs[] = {left, right};
    f.plug->setResetPending(false);
    f.plug->ProcessDoubleReplacing(nullptr, outputs, 64);
    f.plug->tickPerformer->flush();
    EXPECT_TRUE(f.plug->clockState().clockLoopStarted);
    JobArgs request;
    request.jobCode = kJobRequestArrangement;
    ASSERT_TRUE(f.plug->midiManager->startJob(request));

    std::atomic<bool> feeding{true};
    std::atomic<int> delivered{0};
    std::thread feeder([&] {
      while (feeding) delivered += int(f.ports->Deliver("Synth Out", {0xB0, 7, 100}));
    });
    while (delivered < 10) std::this_thread::yield();
    EXPECT_EQ(ThreadCount(MIDIMessageManager::kWorkerThreadName), 2);  // the request and the clock loop
    f.plug.reset();
    EXPECT_EQ(ThreadCount(MIDIMessageManager::kWorkerThreadName), 0);
    feeding = false;
    feeder.join();
    EXPECT_EQ(f.ports->InputsOpenOn("Synth Out"), 0u);
  }
  Kit_SetTimeSource(nullptr);
}

// Virtual time stands still while the test runs, so the notes off after a reset stay in
// their pause until the close ends it.
TEST(Close, EndsThePauseOfNotesOffTheTickLeft) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  {
    Kit_VirtualClock::Participant still(clock);
    EditorFixture f("", false, {}, {"Synth In"});
    int out = 1;
    ASSERT_GT(f.plug->setExternalMIDIOut(out, "Synth In"), 0);
    f.plug->setMidiIOSet(true);
    f.plug->Reset();
    double* outputs[] = {nullptr, nullptr};
    f.plug->ProcessDoubleReplacing(nullptr, outputs, 64);
    while (f.ports->Sent("Synth In").size() < 4 * 127) std::this_thread::yield();
    f.plug.reset();
  }
  Kit_SetTimeSource(nullptr);
}

// What was built goes (the sanitizer build checks the memory), and no worker runs.
TEST(Close, AConstructionFailingMidwayLeavesNothingBehind) {
  RegisterBuiltBundle();
  TempDataRoot data;
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  // A transport that refuses to be made fails the panel's port lists midway.
  struct Throwing : MidiTransportFactory {
    std::unique_ptr<MidiInputTransport> CreateInput(const std::string&, unsigned) override { throw std::bad_alloc(); }
    std::unique_ptr<MidiOutputTransport> CreateOutput(const std::string&) override { throw std::bad_alloc(); }
  };
  EXPECT_THROW(Tavro(info, std::make_shared<Throwing>()), std::bad_alloc);
  EXPECT_EQ(ThreadCount(MIDIMessageManager::kWorkerThreadName), 0);
#ifdef __SANITIZE_ADDRESS__
  // What the constructor built before the throw (librarian, panel, layout) is freed now,
  // not at exit: the leak checker finds nothing unreachable.
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

}  // namespace
