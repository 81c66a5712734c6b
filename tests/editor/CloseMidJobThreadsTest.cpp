// Closing the editor while one of its own transfer jobs waits for the synthesizer:
// the close ends the wait, and no worker is left.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "Kit_ProcessStatus.h"
#include "Kit_TimeSource.h"
#include "messaging/MIDIMessageManager.h"

namespace {

TEST(CloseMidJob, AWaitingTransferEndsWithTheEditor) {
  for (int code : {kJobDeviceIdEnquiry, kJobRequestAllPatches, kJobRequestPart, kJobSendPart, kJobInitPatch}) {
    Kit_VirtualClock clock;
    Kit_SetTimeSource(&clock);
    {
      // Time stands still while this thread runs: the job waits until the close.
      Kit_VirtualClock::Participant still(clock);
      EditorFixture f;
      f.plug->setMidiIOSet(true);
      const long before = Kit_SettledThreadCount();
      JobArgs args;
      args.jobCode = code;
      args.toHardware = true;
      ASSERT_TRUE(f.plug->midiManager->startJob(args)) << code;
      f.plug.reset();
      EXPECT_LE(Kit_SettledThreadCount(), before) << code;
    }
    Kit_SetTimeSource(nullptr);
  }
}

}  // namespace
