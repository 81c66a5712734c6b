// Closing the editor while a job waits, the MIDI clock runs and input streams in.
#include <gtest/gtest.h>

#include <dirent.h>

#include <thread>

#include "EditorTestSupport.h"
#include "Kit_TimeSource.h"
#include "messaging/MIDIMessageManager.h"

namespace {

int ThreadCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
  }
  return n;
}

void WaitingJob(MIDIMessageSender& sender, const JobArgs&) { sender.pause(3600ull * 1000000); }
void ClockLoop(MIDIMessageSender& sender, const JobArgs&) {
  while (sender.clockRunning() && sender.pause(1000)) {
  }
}

TEST(Close, ReturnsWithAJobWaitingTheClockRunningAndInputStreaming) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  const int threadsBefore = ThreadCount();
  {
    Kit_VirtualClock::Participant still(clock);
    EditorFixture f("", false, {"Synth Out"});
    int in = 1;
    ASSERT_GT(f.plug->setExternalMIDIIn(in, "Synth Out"), 0);
    MIDIMessageSender* sender = f.plug->midiManager->sender();
    sender->setJob(kJobRequestArrangement, &WaitingJob);
    sender->setJob(kJobContinuousClock, &ClockLoop);
    f.plug->midiIOSet = true;
    // The render tick starts the clock loop.
    double left[64] = {}, right[64] = {};
    double* outputs[] = {left, right};
    f.plug->ProcessDoubleReplacing(nullptr, outputs, 64);
    EXPECT_TRUE(f.plug->clockLoopStarted);
    JobArgs request;
    request.jobCode = kJobRequestArrangement;
    ASSERT_TRUE(f.plug->midiManager->startJob(request));

    std::atomic<bool> feeding{true};
    std::atomic<int> delivered{0};
    std::thread feeder([&] {
      while (feeding) delivered += int(f.ports->Deliver("Synth Out", {0xB0, 7, 100}));
    });
    while (delivered < 10) std::this_thread::yield();
    f.plug.reset();
    feeding = false;
    feeder.join();
    EXPECT_EQ(f.ports->InputsOpenOn("Synth Out"), 0u);
  }
  Kit_SetTimeSource(nullptr);
  EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST(Close, AConstructionFailingMidwayLeavesNoThread) {
  const int threadsBefore = ThreadCount();
  RegisterBuiltBundle();
  TempDataRoot data;
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  // A transport that refuses to be made fails the panel's port lists midway.
  struct Throwing : MidiTransportFactory {
    std::unique_ptr<MidiInputTransport> CreateInput(const std::string&, unsigned) override {
      throw std::bad_alloc();
    }
    std::unique_ptr<MidiOutputTransport> CreateOutput(const std::string&) override { throw std::bad_alloc(); }
  };
  EXPECT_THROW(Tavro(info, std::make_shared<Throwing>()), std::bad_alloc);
  EXPECT_EQ(ThreadCount(), threadsBefore);
}

}  // namespace
