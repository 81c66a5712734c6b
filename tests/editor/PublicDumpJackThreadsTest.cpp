// On a private JACK server with the real bundle in the test host: values of 16 and
// more chosen on the performance settings page reach the simulated synthesizer in the
// published form, each one number in two nybbles, low first. The unit's record is
// read with the hand-written table, not with the editor's field table.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Framework/IControlText.h"
#include "HostStateSupport.h"
#include "JackTestServer.h"
#include "Kit_TimeSource.h"
#include "PublicDumpFormat.h"
#include "SynthSim.h"

namespace {

constexpr const char* kPublicDumpSimName = "Nybble Sim";

// The hand table's row for `param` of `slot`.
HandValue Hand(const std::string& param, int slot) {
  for (const HandValue& v : HandPerformanceValues())
    if (param == v.param && v.slot == slot) return v;
  ADD_FAILURE() << param << " is not in the hand table";
  return {};
}

struct PublicDumpJack : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(server.Start()); }
  void TearDown() override { server.Stop(); }
  JackTestServer server;
  TempDataRoot data;
};

TEST_F(PublicDumpJack, SettingsOf16AndMoreReachTheUnitAsNybblePairs) {
  const HandValue channel = Hand("kFilterEnvChannel", 0);
  const HandValue aftertouch = Hand("kAfterTouchRcv", 1);
  int settingsSwitch = -1, channelParam = -1, aftertouchParam = -1;
  std::string ready;
  {
    RoadFixture f;
    settingsSwitch = f.plug->editorParamIndex("kMultiSettings");
    channelParam = f.plug->editorParamIndex(channel.param) + channel.slot;
    aftertouchParam = f.plug->editorParamIndex(aftertouch.param) + aftertouch.slot;
    const IRECT status = f.plug->keptControls().statusText->GetRECT();
    ready = "wait-text " + std::to_string(int((status.L + status.R) / 2)) + " " +
            std::to_string(int((status.T + status.B) / 2)) + " 60000 " + kReady + "\n";
  }
  const auto settings = ControlCentre(settingsSwitch);
  const auto channelMenu = ControlCentre(channelParam, 0, "performanceSettings");
  const auto aftertouchMenu = ControlCentre(aftertouchParam, 0, "performanceSettings");
  ASSERT_GE(settings.first, 0);
  ASSERT_GE(channelMenu.first, 0);
  ASSERT_GE(aftertouchMenu.first, 0);

  // Each choice resends the whole performance under the progress overlay, which takes
  // the clicks made meanwhile: the script waits out each resend.
  const std::string script =
      ChoosePorts(kPublicDumpSimName) + ready + Click(settings) + "expect-param " + std::to_string(settingsSwitch) +
      " 0\nchoose " + std::to_string(channel.value) + "\n" + Click(channelMenu) + "expect-param " +
      std::to_string(channelParam) + " " + std::to_string(channel.value) + "\nwait-idle 60000\nchoose " +
      std::to_string(aftertouch.value) + "\n" + Click(aftertouchMenu) + "expect-param " +
      std::to_string(aftertouchParam) + " " + std::to_string(aftertouch.value) + "\nwait-idle 60000\n";
  const std::string record = data.root() + "/record.txt";
  SimProcess sim;
  ASSERT_TRUE(sim.Start(kPublicDumpSimName, {"--device-id", std::to_string(kUnitId), "--record", record},
                        data.root() + "/sim.txt"));
  const std::string scriptPath = data.root() + "/script.txt";
  std::ofstream(scriptPath) << script;
  std::string output;
  RunTavroHost(data.root(), scriptPath, &output);
  sim.Stop();

  const std::vector<std::string> lines = SimProcess::Lines(record);
  const auto last = std::find_if(lines.rbegin(), lines.rend(), IsDump);
  ASSERT_NE(last, lines.rend()) << output << Tail(lines);
  EXPECT_EQ(output.find("tavro-host: panel:"), std::string::npos) << output;
  const std::vector<uint8_t> dump = RecordBytes(*last);
  ASSERT_EQ(dump.size(), kPerformanceDumpSize);
  for (const HandValue& v : {channel, aftertouch}) {
    SCOPED_TRACE(v.param);
    for (size_t b = 0; b < v.bytes.size(); ++b) EXPECT_EQ(int(dump[size_t(v.position) + b]), int(v.bytes[b]));
  }

  // The unit takes the dump in as those values.
  Kit_VirtualClock clock;
  SynthSimVirtualScheduler scheduler(clock);
  SynthSimSettings unitSettings;
  unitSettings.deviceId = kUnitId;
  SynthSim unit(unitSettings, scheduler, [](const SynthSim::Message&) {});
  unit.Receive(dump.data(), dump.size());
  EXPECT_EQ(unit.Value(channel.param, channel.slot), channel.value);
  EXPECT_EQ(unit.Value(aftertouch.param, aftertouch.slot), aftertouch.value);
}

}  // namespace
