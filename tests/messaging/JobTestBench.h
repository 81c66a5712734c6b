#pragma once
// The transfer engine with its jobs, the fake editor and a simulated unit, on virtual
// time: every pause of a job moves time at once, and the unit's replies arrive when
// their time comes. Run() starts a job and returns once it has ended.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "FakeMessagingEditor.h"
#include "Kit_TimeSource.h"
#include "MIDIMessageManager.h"
#include "SynthSim.h"

class JobTestBench {
public:
  explicit JobTestBench(int model = 1, SynthSimSettings settings = SynthSimSettings{}) : editor(model, clock) {
    settings.model = model;
    sim.SetSettings(settings);
    Kit_SetTimeSource(&clock);
    editor.Connect(&sim);
    editor.SetSender(manager.sender());
  }
  ~JobTestBench() {
    manager.shutDown();
    Kit_SetTimeSource(nullptr);
  }

  static JobArgs Job(int code) {
    JobArgs args;
    args.jobCode = code;
    return args;
  }
  // Starts the job and waits until its thread is idle again.
  void Run(const JobArgs& args) {
    ASSERT_TRUE(manager.startJob(args)) << "job " << args.jobCode;
    while (manager.isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
  }
  void Run(int code) { Run(Job(code)); }

  // The first time `text` was shown, in wait steps of `stepMillis` from the start.
  double StepsUntil(const std::string& text) const {
    for (const auto& status : editor.Statuses())
      if (status.second == text) return double(status.first) / (editor.stepMillis * 1000.0);
    return -1;
  }

  Kit_VirtualClock clock{0};
  SynthSimVirtualScheduler scheduler{clock};
  FakeMessagingEditor editor;
  SynthSim sim{SynthSimSettings{}, scheduler, [this](const SynthSim::Message& m) { editor.ReceiveFromDevice(m); }};
  MIDIMessageManager manager{&editor, nullptr, nullptr, nullptr};
};
