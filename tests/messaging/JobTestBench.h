#pragma once
// The job editor with every job of this side installed, a program bank and a
// performance bank in the librarian, and the time of each status text kept. Jobs run
// on the test's thread, so every pause moves virtual time at once.

#include <string>
#include <vector>

#include "JobEditorFake.h"
#include "messaging/TransferJobs.h"

class JobTestBench : public JobEditorFake {
public:
  explicit JobTestBench(int model = 1, SynthSimSettings settings = SynthSimSettings{}) : JobEditorFake(model) {
    settings.model = model;
    sim.SetSettings(settings);
    installTransferJobs(*manager.sender());
    AddBank(0, std::vector<LibrarianPatch>(99));
    AddBank(1, std::vector<LibrarianPatch>(100));
  }

  static JobArgs Job(int code) {
    JobArgs args;
    args.jobCode = code;
    return args;
  }
  using JobEditorFake::Run;
  void Run(int code) { Run(Job(code)); }

  // Received dumps go to the performance bank.
  void UsePerformances() {
    perfMode = true;
    librarian.patchType = 1;
  }
  // The stored bytes of a librarian slot of the current kind; empty when none.
  std::vector<uint8_t> Stored(int slot) const {
    const LibrarianPatch patch = Slot(perfMode ? 1 : 0, 0, slot);
    return patch.messages.empty() ? std::vector<uint8_t>() : patch.messages[0].bytes;
  }

  // The port frames a message that does not start with 0xF0, as requests are sent.
  bool checksumCheckAndSend(const unsigned char* bytes, int length) override {
    if (length <= 0 || bytes[0] == 0xF0) return JobEditorFake::checksumCheckAndSend(bytes, length);
    std::vector<unsigned char> framed(bytes, bytes + length);
    framed.insert(framed.begin(), 0xF0);
    framed.push_back(0xF7);
    return JobEditorFake::checksumCheckAndSend(framed.data(), int(framed.size()));
  }
  void showStatus(const std::string& text) override {
    JobEditorFake::showStatus(text);
    times.push_back(clock.NowMicros());
  }
  // The first time `text` was shown, in wait steps from the start; -1 for never.
  double StepsUntil(const std::string& text) const {
    for (size_t i = 0; i < statuses.size(); ++i)
      if (statuses[i] == text) return double(times[i]) / (timerMs * 1000.0);
    return -1;
  }

  std::vector<uint64_t> times;
};
