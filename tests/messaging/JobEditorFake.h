#pragma once
// An editor for the transfer jobs: the panel's parameters in a PanelValues, the
// librarian's receivers and the SysEx dispatch reduced to what the jobs rely on, and
// the synthesizer's port wired to an in-process simulator on a virtual clock. Jobs
// run on the test's own thread, so every pause moves virtual time at once and the
// simulator's replies fall due inside it.

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "Framework/IMidiMsg.h"
#include "Kit_Mutex.h"
#include "Kit_Random.h"
#include "Kit_TimeSource.h"
#include "PanelValues.h"
#include "SynthSim.h"
#include "librarian/LibrarianEditor.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MessagingEditor.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"

class JobEditorFake : public MessagingEditor, public LibrarianEditor {
public:
  static constexpr int kDeviceId = 5;

  explicit JobEditorFake(int model);
  ~JobEditorFake() override;

  // Runs one job on this thread to its end.
  void Run(const JobArgs& args);
  uint64_t Now() { return clock.NowMicros(); }
  // Adds a bank file of `type` holding `patches` to the library; its index.
  int AddBank(int type, std::vector<LibrarianPatch> patches, bool search = false);
  LibrarianPatch Slot(int type, int fileIndex, int slot) const;
  // Asks the simulator for its edit performance, as job 4 does, and lets the reply in.
  void RequestPerformance();
  bool Shown(const std::string& status) const;

  // ---- MessagingEditor ----
  bool isMidiIOSet() const override { return midiIOSet; }
  void DisplayProcessingIndicator(bool show) override;
  bool checksumCheckAndSend(const unsigned char* bytes, int length) override;
  void AllSoundsOff(int, bool) override {}
  void showStatus(const std::string& text) override { statuses.push_back(text); }
  DumpParameters& panelParameters() override { return panel; }
  const ProgramDumpCoder* programDumpCoder() const override { return programCoder.get(); }
  const PerformanceDumpCoder* performanceDumpCoder() const override { return performanceCoder.get(); }
  bool isDeviceEnquiryPending() const override { return enquiryPending; }
  void setDeviceEnquiryPending(bool pending) override { enquiryPending = pending; }
  int getDeviceId() const override { return deviceId; }
  void setDeviceId(int id) override { deviceId = id; }
  void OnParamChange2(int) override {}
  void OnParamChange(int) override {}
  void SetLibrarianRequestActive(bool forLibrarian) override;
  void SetLibrarianStatusUnsaved(bool unsaved) override;
  void setLibrarianViewDirty() override {}
  void updatePatchLibrarianView(int) override {}
  int getTimerValue() const override { return timerMs; }
  // The editor's SysEx input past the filters: the real dispatch.
  void processOwnSysEx(const unsigned char* bytes, int length) override;
  Kit_Mutex& pluginMutex() override { return mutex; }
  Kit_RandomSource& randomSource() override { return random; }
  std::vector<int>& randomTable() override { return table; }
  MIDIMessageManager* messageManager() override { return &manager; }
  int getActiveSlot() const override { return activeSlot; }
  std::string nameText(int paramIdx) const override;
  void keepPatchName(int entry, const std::string& name) override { patchManagerNames.at(size_t(entry)) = name; }
  bool isLibrarianPerformanceMode() const override { return perfMode; }
  bool searchResultsAreShown() const override { return searchShown; }
  bool librarianRenameActive() const override { return renameActive; }
  bool isHardwareChangeActive() const override { return hardwareChange; }
  bool isDataProcessed() const override { return dataProcessed; }
  void clearDataProcessed() override { dataProcessed = false; }
  void selectLibrarianRow(int pane, int row) override { selectedRows.push_back({pane, row}); }
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override;
  bool SendMidiMsg(IMidiMsg* msg) override;

  // ---- LibrarianEditor ----
  std::string getDataFolder() const override { return "/nonexistent/"; }
  bool isLogEnabled() const override { return false; }
  void printDebugInfo(const std::string& line) override { logged.push_back(line); }
  CurrentFilePair getLeftCurrentFile(bool) const override { return {}; }
  void setLeftCurrentFile(bool, const CurrentFilePair&) override {}
  std::string promptForSaveFile(const std::string&, const std::string&, const std::string&, const SaveRefusal&,
                                std::string*) override {
    return "";
  }

  // A message from the synthesizer's port, as the editor's SysEx input takes it.
  void Receive(const uint8_t* bytes, int length);

  Kit_VirtualClock clock{0};
  SynthSimVirtualScheduler scheduler{clock};
  SynthSim sim;
  PanelValues panel;
  Kit_Mutex mutex;
  Kit_SeededRandom random{7};
  std::vector<int> table;
  PatchLibrarian librarian{this};
  MIDIMessageManager manager{this, nullptr, &librarian, nullptr};
  std::unique_ptr<ProgramDumpCoder> programCoder = ProgramDumpCoder::Create(ParamIndex);
  std::unique_ptr<PerformanceDumpCoder> performanceCoder = PerformanceDumpCoder::Create(ParamIndex);

  bool midiIOSet = true, perfMode = false, searchShown = false, renameActive = false, hardwareChange = false,
       enquiryPending = false;
  bool inputDown = false;  // the SysEx input takes nothing
  int timerMs = 200, deviceId = kDeviceId, activeSlot = 0;
  // SysEx messages the port takes before it refuses every one (its server died); -1 all.
  int sysexTaken = -1;
  std::atomic<bool> dataProcessed{false};
  int overlayShown = 0, overlayHidden = 0, unsavedMarks = 0;
  bool overlayVisible = false;
  std::vector<std::string> statuses;
  std::vector<std::string> logged;  // printDebugInfo's lines
  std::array<std::string, 5> patchManagerNames;
  std::vector<std::pair<int, int>> selectedRows;
  std::vector<std::vector<uint8_t>> fed;
  std::vector<IMidiMsg> midiSent;
  std::vector<SynthSim::Message> replies;  // from the simulator, in order
};
