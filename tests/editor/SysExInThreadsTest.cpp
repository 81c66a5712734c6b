// The editor's SysEx input on midi-in while the host's main thread edits the panel:
// a taken dump makes every binding forget its last value without racing the edits
// that read and write it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "layout/ControlAction.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

constexpr int kSysEx = 6;  // the filter class

TEST(SysExInThreads, ADumpTakenWhileThePanelIsEditedResetsEveryBinding) {
  EditorFixture f;
  Tavro& t = *f.plug;
  t.setDeviceFilterBlocked(kSysEx, false);
  std::vector<uint8_t> dump(std::begin(kInitProgram), std::end(kInitProgram));
  constexpr int kRounds = 200;
  std::atomic<bool> done{false};
  std::thread midiIn([&] {
    for (int i = 0; i < kRounds; ++i) {
      t.midiManager->transferInProgress = true;
      ISysEx sysex(0, dump.data(), int32_t(dump.size()));
      t.ProcessSysEx(&sysex, true);
    }
    done = true;
  });
  for (int i = 0; !done; ++i) {
    Kit_MutexLock hold(t.pluginMutex());
    t.GetParam(kFilterCutoff)->Set(i % 128);
    t.OnParamChange(kFilterCutoff);
  }
  midiIn.join();

  t.midiManager->transferInProgress = true;
  ISysEx last(0, dump.data(), int32_t(dump.size()));
  t.ProcessSysEx(&last, true);
  const ControlAction* action = t.GetParam(kFilterCutoff)->GetControlAction();
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->lastValue, -1.0);
}

}  // namespace
