// The editor's own transfer jobs over its MIDI ports to the simulated synthesizer, in
// one process on the fake MIDI system and the virtual clock: the enquiry finds the
// unit's id, and a part goes out and comes back as the panel holds it.
#include <gtest/gtest.h>

#include <thread>

#include "EditorTestSupport.h"
#include "Framework/IControlText.h"
#include "Kit_TimeSource.h"
#include "SynthSimPorts.h"
#include "messaging/MIDIMessageManager.h"

namespace {

class TransferJobsRoad : public ::testing::Test {
protected:
  void SetUp() override {
    Kit_SetTimeSource(&clock_);
    SynthSimSettings settings;
    settings.deviceId = kUnitId;
    settings.wireTime = true;
    unit_ = std::make_unique<SynthSimPorts>(*f_.ports, scheduler_, settings);
    // The editor lists the ports when it is made: the unit's must be there first.
    f_.plug.reset();
    ASSERT_TRUE(unit_->Open());
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    f_.plug = std::make_unique<Tavro>(info, f_.ports);
    int in = 1, out = 1;
    ASSERT_GT(f_.plug->setExternalMIDIIn(in, unit_->MidiOutName().c_str()), 0);
    ASSERT_GT(f_.plug->setExternalMIDIOut(out, unit_->MidiInName().c_str()), 0);
    f_.plug->setMidiIOSet(true);
  }
  void TearDown() override {
    f_.plug.reset();
    unit_.reset();
    Kit_SetTimeSource(nullptr);
  }
  void Run(const JobArgs& args) {
    ASSERT_TRUE(f_.plug->midiManager->startJob(args));
    while (f_.plug->midiManager->isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
  }
  std::string Status() {
    return f_.plug->keptControls().statusText ? f_.plug->keptControls().statusText->GetTextString() : "";
  }

  Kit_VirtualClock clock_{0};
  SynthSimVirtualScheduler scheduler_{clock_};
  EditorFixture f_;
  std::unique_ptr<SynthSimPorts> unit_;
};

TEST_F(TransferJobsRoad, TheEnquiryFindsTheUnitsId) {
  f_.plug->setPanelDeviceId(0);
  JobArgs enquiry;
  enquiry.jobCode = kJobDeviceIdEnquiry;
  Run(enquiry);
  EXPECT_EQ(f_.plug->unitLink().deviceId, kUnitId);
  // The parameter is what a saved project keeps and its recall sends to.
  EXPECT_EQ(f_.plug->paramValue(kDeviceID), kUnitId);
  EXPECT_FALSE(f_.plug->unitLink().deviceEnquiryPending);
  EXPECT_EQ(Status(), "Plug-in is ready to go!");
}

TEST_F(TransferJobsRoad, APartSentAndRequestedBackEqualsThePanel) {
  f_.plug->setPanelDeviceId(kUnitId);
  f_.plug->setFromPlug(kFilterCutoff + 1, 93);
  JobArgs send;
  send.jobCode = kJobSendPart;
  send.slot = 1;
  Run(send);
  EXPECT_EQ(unit_->Sim().Value("kFilterCutoff", 1), 93);

  unit_->Sim().SetValue("kFilterCutoff", 1, 41);
  JobArgs request;
  request.jobCode = kJobRequestPart;
  request.slot = 1;
  request.toPanel = true;
  Run(request);
  EXPECT_EQ(f_.plug->paramValue(kFilterCutoff + 1), 41);
  EXPECT_EQ(Status(), "Data processed - Ready!");
}

}  // namespace
