// Transfer jobs against the simulated unit (wire time on) in real time, beside the
// same runs on the virtual clock, which takes exactly the pauses the jobs ask for plus
// the unit's latency and wire time. The ratio and the overhead per wait step show what
// threads, sleeps and the dispatch add.
//
// Usage: transfer_jobs_bench   (jobs 9, 1, 12, 3 and 2)

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "FakeMessagingEditor.h"
#include "Framework/IMidiMsg.h"
#include "Kit_TimeSource.h"
#include "SynthSim.h"
#include "librarian/LibrarianEditor.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kUnitId = 5;
constexpr int kStepMillis = 200;

// The editor as the jobs see it: requests to the unit, replies through the real
// dispatch into the panel or the librarian.
class BenchEditor : public FakeMessagingEditor, public LibrarianEditor {
public:
  BenchEditor() : librarian(this), manager(this, nullptr, &librarian, nullptr) {}
  void Connect(SynthSim* unit) { unit_ = unit; }

  bool checksumCheckAndSend(const unsigned char* bytes, int length) override {
    std::vector<unsigned char> message(bytes, bytes + length);
    if (message.front() != 0xF0) {
      message.insert(message.begin(), 0xF0);
      message.push_back(0xF7);
    }
    return SendMidiSysex2(message);
  }
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override {
    unit_->Receive(bytes.data(), bytes.size());
    return true;
  }
  void DisplayProcessingIndicator(bool show) override {
    if (!show) manager.transferInProgress = false;
    manager.sender()->clearCancel();
  }
  void OnParamChange2(int) override {}
  void SetLibrarianRequestActive(bool forLibrarian) override {
    manager.transferInProgress = !forLibrarian;
    if (forLibrarian)
      manager.armLibrarianReceiver(false);
    else
      manager.disarmLibrarianReceivers();
    dataProcessed = false;
    manager.dumpProcessed = false;
  }
  void SetLibrarianStatusUnsaved(bool) override { manager.disarmLibrarianReceivers(); }
  void processOwnSysEx(const unsigned char* bytes, int length) override { Receive(bytes, length); }
  void Receive(const uint8_t* bytes, int length) {
    ISysEx message(0, bytes, length);
    manager.ProcessSysEx(&message, true);
    if (manager.dumpProcessed) dataProcessed = true;
  }
  MIDIMessageManager* messageManager() override { return &manager; }
  bool isDataProcessed() const override { return dataProcessed; }

  std::string getDataFolder() const override { return "/nonexistent/"; }
  bool isLogEnabled() const override { return false; }
  bool isLibrarianPerformanceMode() const override { return false; }
  void printDebugInfo(const std::string&) override {}
  CurrentFilePair getLeftCurrentFile(bool) const override { return {}; }
  void setLeftCurrentFile(bool, const CurrentFilePair&) override {}
  std::string promptForSaveFile(const std::string&, const std::string&, const std::string&, const SaveRefusal&,
                                std::string*) override {
    return "";
  }

  std::atomic<bool> dataProcessed{false};
  PatchLibrarian librarian;
  MIDIMessageManager manager;

private:
  SynthSim* unit_ = nullptr;
};

struct JobRun {
  const char* name;
  int code;
  int editorId;  // the id the editor starts from
};

// A whole program dump of the unit's edit buffer, stored as number `n`.
PatchSysexMessage StoredProgram(SynthSim& unit, int n) {
  const SynthSim::Message data = unit.ProgramEditBuffer(0);
  PatchSysexMessage message;
  message.bytes = {0xF0, 0x33, 0x00, 0x04, 0x00, uint8_t(n)};
  message.bytes.insert(message.bytes.end(), data.begin(), data.end());
  const std::string name = "Bench     ";
  message.bytes.insert(message.bytes.end(), name.begin(), name.end());
  message.bytes.push_back(0xF7);
  return message;
}

// Microseconds the job took on the time source in force (or on the wall for real).
double RunJob(const JobRun& run, SynthSimScheduler& scheduler, bool real) {
  BenchEditor editor;
  editor.deviceId = run.editorId;
  SynthSimSettings settings;
  settings.deviceId = kUnitId;
  settings.wireTime = true;
  SynthSim unit(settings, scheduler,
                [&editor](const SynthSim::Message& m) { editor.Receive(m.data(), int(m.size())); });
  editor.Connect(&unit);
  // A bank of whole programs: what the store (job 3) and the send (job 2) take.
  auto file = std::make_unique<PatchFile>();
  file->patches.resize(99);
  for (int n = 0; n < 99; ++n) file->patches[size_t(n)].messages.push_back(StoredProgram(unit, n));
  JobArgs args;
  args.jobCode = run.code;
  args.storeBank = 2;
  args.slot = 2;
  args.librarianPatch = std::make_shared<const LibrarianPatch>(file->patches[9]);
  editor.librarian.modify([&file](PatchLibrary& library) { library.filesOfType(0).push_back(std::move(file)); });
  const auto wallStart = std::chrono::steady_clock::now();
  const uint64_t start = Kit_Time().NowMicros();
  editor.manager.startJob(args);
  while (editor.manager.isRunning(MIDIMessageManager::kTransferThread))
    std::this_thread::sleep_for(std::chrono::microseconds(real ? 1000 : 0));
  const double took =
      real ? std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - wallStart).count()
           : double(Kit_Time().NowMicros() - start);
  editor.manager.shutDown();
  return took;
}

}  // namespace

int main() {
  const JobRun runs[] = {
      {"job 9: 99 programs", kJobRequestAllPatches, kUnitId},
      {"job 1: one part", kJobSendPart, kUnitId},
      {"job 12: probing to id 5", kJobDeviceIdEnquiry, 0},
      {"job 3: 99 programs stored", kJobStoreAllPatches, kUnitId},
      {"job 2: one librarian program", kJobSendLibrarianPatch, kUnitId},
  };
  std::printf("%-26s %12s %12s %8s %14s\n", "run", "virtual ms", "real ms", "ratio", "overhead/step");
  for (const JobRun& run : runs) {
    double virtualMicros = 0;
    {
      Kit_VirtualClock clock(0);
      Kit_SetTimeSource(&clock);
      SynthSimVirtualScheduler scheduler(clock);
      virtualMicros = RunJob(run, scheduler, false);
      Kit_SetTimeSource(nullptr);
    }
    SynthSimThreadScheduler scheduler;
    const double realMicros = RunJob(run, scheduler, true);
    const double steps = virtualMicros / (kStepMillis * 1000.0);
    std::printf("%-26s %12.1f %12.1f %8.4f %11.3f ms\n", run.name, virtualMicros / 1000, realMicros / 1000,
                realMicros / virtualMicros, (realMicros - virtualMicros) / steps / 1000);
  }
  return 0;
}
