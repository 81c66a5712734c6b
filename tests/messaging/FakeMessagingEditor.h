#pragma once
// The editor as the messaging side sees it, over a plain parameter array: it records
// what the dispatch and the jobs ask of it.

#include <atomic>
#include <string>
#include <vector>

#include "Kit_Mutex.h"
#include "Kit_Random.h"
#include "PanelValues.h"
#include "messaging/MessagingEditor.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"

class FakeMessagingEditor : public MessagingEditor {
public:
  explicit FakeMessagingEditor(int model = 1) : panel(model) {}

  bool isMidiIOSet() const override { return true; }
  void DisplayProcessingIndicator(bool) override {}
  bool checksumCheckAndSend(const unsigned char*, int) override { return true; }
  void AllSoundsOff(int, bool) override {}
  void showStatus(const std::string& text) override { status = text; }

  DumpParameters& panelParameters() override { return panel; }
  const ProgramDumpCoder* programDumpCoder() const override {
    static const auto coder = ProgramDumpCoder::Create(ParamIndex);
    return coder.get();
  }
  const PerformanceDumpCoder* performanceDumpCoder() const override {
    static const auto coder = PerformanceDumpCoder::Create(ParamIndex);
    return coder.get();
  }
  bool isDeviceEnquiryPending() const override { return enquiryPending; }
  void setDeviceEnquiryPending(bool pending) override { enquiryPending = pending; }
  int getDeviceId() const override { return deviceId; }
  void setDeviceId(int id) override { deviceId = id; }
  void OnParamChange2(int paramIdx) override { hardwareChanges.push_back(paramIdx); }
  void OnParamChange(int paramIdx) override { panelChanges.push_back(paramIdx); }
  void SetLibrarianRequestActive(bool) override {}
  void SetLibrarianStatusUnsaved(bool) override {}
  void setLibrarianViewDirty() override { ++viewRedraws; }
  void updatePatchLibrarianView(int which) override { viewReloads.push_back(which); }
  int getTimerValue() const override { return 200; }
  void processOwnSysEx(const unsigned char*, int) override {}
  Kit_Mutex& pluginMutex() override { return mutex; }
  Kit_RandomSource& randomSource() override { return random; }
  std::vector<int>& randomTable() override { return table; }

  PanelValues panel;
  std::atomic<bool> enquiryPending{false};
  std::atomic<int> deviceId{0};
  std::string status;
  std::vector<int> hardwareChanges;
  std::vector<int> panelChanges;
  std::vector<int> viewReloads;
  int viewRedraws = 0;
  Kit_Mutex mutex;
  Kit_SeededRandom random{7};
  std::vector<int> table;
};
