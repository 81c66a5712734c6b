#pragma once
// The editor on the parameter road: a headless instance on fake ports whose output
// reaches "Nord In" and whose input hears "Nord Out", time on a virtual clock (the pauses before resends cost nothing),
// and transfer jobs that only record that they ran.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IParam.h"
#include "HeldCall.h"
#include "Kit_TimeSource.h"
#include "layout/ControlAction.h"
#include "messaging/MIDIMessageManager.h"

// How long a helper waits for the editor's threads before it fails the test: generous,
// a guard against a hang that measures nothing.
constexpr std::chrono::seconds kRoadPatience{60};

// What the recording jobs saw: (job code, slot) in the order they ran. A job of code
// kJobRequestAllPatches started after ArmHold holds worker (transfer) until released.
class JobRecord {
public:
  static JobRecord& Get() {
    static JobRecord record;
    return record;
  }
  static void Record(MIDIMessageSender&, const JobArgs& args) {
    JobRecord& r = Get();
    std::lock_guard<std::mutex> hold(r.lock_);
    r.runs_.push_back({args.jobCode, args.slot});
  }
  static void Hold(MIDIMessageSender&, const JobArgs&) { Get().held_.Hold(); }
  void Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    runs_.clear();
  }
  std::vector<std::pair<int, int>> Runs() {
    std::lock_guard<std::mutex> hold(lock_);
    return runs_;
  }
  void ArmHold() { held_.Arm(); }
  // False when no job held worker (transfer) in time.
  bool WaitUntilHolding() { return held_.WaitInside(kRoadPatience); }
  void Release() { held_.Release(); }

private:
  std::mutex lock_;
  std::vector<std::pair<int, int>> runs_;
  HeldCall held_;
};

struct RoadFixture : VirtualTimeEditor {
  static constexpr const char* kSynthIn = "Nord In";
  static constexpr const char* kSynthOut = "Nord Out";

  RoadFixture() : VirtualTimeEditor(kSynthIn, {kSynthOut}) {
    MIDIMessageSender* sender = plug->midiManager->sender();
    for (int code : {kJobSendArrangement, kJobSendPart, kJobRequestPart, kJobDeviceIdEnquiry})
      sender->setJob(code, &JobRecord::Record);
    sender->setJob(kJobRequestAllPatches, &JobRecord::Hold);
    JobRecord::Get().Clear();
  }
  // Both ports open, as a panel with MIDI In and MIDI Out chosen: the unit's answers are
  // heard, so the unit is looked for.
  void openOutput() {
    int in = plug->getExternalMIDIInDevice(kSynthOut);
    ASSERT_GT(plug->setExternalMIDIIn(in, kSynthOut), 0);
    plug->GetParam(kDeviceInSelection)->Set(in);
    ASSERT_EQ(plug->GetParam(kDeviceInSelection)->Int(), in);
    int index = plug->getExternalMIDIOutDevice(kSynthIn);
    ASSERT_GT(plug->setExternalMIDIOut(index, kSynthIn), 0);
    plug->setMidiIOSet(true);
  }
  // Starts the job that holds worker (transfer) until JobRecord's Release.
  bool holdTransferThread() {
    JobArgs hold;
    hold.jobCode = kJobRequestAllPatches;
    JobRecord::Get().ArmHold();
    return plug->midiManager->startJob(hold) && JobRecord::Get().WaitUntilHolding();
  }
  // The panel's edit: the value through the parameter, then the dispatcher.
  void edit(int paramIdx, double value) {
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }
  std::vector<MidiPortFake::Message> sent() const { return ports->Sent(kSynthIn); }
  // Waits for worker (transfer) to finish what it runs and keeps; fails the test
  // when it has not within kRoadPatience.
  void settle() {
    MIDIMessageManager& m = *plug->midiManager;
    const auto giveUp = std::chrono::steady_clock::now() + kRoadPatience;
    while (m.isRunning(MIDIMessageManager::kTransferThread) || m.pendingResends() > 0) {
      if (std::chrono::steady_clock::now() > giveUp) {
        ADD_FAILURE() << "worker (transfer) still runs or keeps a resend";
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  int started() const { return plug->midiManager->jobsStarted(MIDIMessageManager::kTransferThread); }
  int dropped() const { return plug->midiManager->jobsDropped(MIDIMessageManager::kTransferThread); }
  ControlAction* action(int paramIdx) const { return plug->GetParam(paramIdx)->GetControlAction(); }
  // The first parameter of slot A bound as `kind` (none: -1).
  int firstOfKind(int kind, int except = -1) const {
    for (int p = 0; p < plug->NParams(); ++p) {
      const ControlAction* a = action(p);
      if (a && a->kind == kind && a->slot == 0 && p != except) return p;
    }
    return -1;
  }
};
