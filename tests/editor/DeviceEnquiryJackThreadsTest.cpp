// End to end on a private JACK server, the simulated synthesizer at device id 5 with
// its wire time: the test host chooses its ports by name on the panel and the editor
// finds it, the status line saying so after probing past that id.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "Framework/IControlText.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "RoadTestSupport.h"

namespace {

constexpr const char* kDeviceEnquirySimName = "Enquiry Sim";

// The centre of the status line, read from a headless editor.
std::pair<int, int> StatusLineCentre() {
  RoadFixture f;
  if (!f.plug->keptControls().statusText) return {-1, -1};
  const IRECT r = f.plug->keptControls().statusText->GetRECT();
  return {(r.L + r.R) / 2, (r.T + r.B) / 2};
}

// The time the host printed for `text` at the status line; negative when never shown.
double ShownAt(const std::string& output, const std::string& text) {
  std::istringstream printed(output);
  for (std::string line; std::getline(printed, line);) {
    const size_t at = line.find(" at "), quote = line.find(": \"");
    if (line.rfind("text ", 0) == 0 && at != std::string::npos && quote != std::string::npos &&
        line.substr(quote + 3) == text + "\"")
      return std::stod(line.substr(at + 4));
  }
  return -1;
}

TEST(DeviceEnquiryJack, ChoosingThePortsFindsTheSynthesizerAtItsDeviceId) {
  const auto [x, y] = StatusLineCentre();
  ASSERT_GE(x, 0);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  const std::string record = data.root() + "/record.txt";
  std::string output;
  {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(kDeviceEnquirySimName, {"--device-id", "5", "--wire-time", "--record", record},
                          data.root() + "/sim.txt"));
    const std::string script = data.root() + "/script.txt";
    // The editor's input first (menu at 590, 20): choosing its output (menu at 430,
    // 20) then starts the search with both ports open.
    std::ofstream(script) << "choose " << kDeviceEnquirySimName << "-out:midi\nclick 590 28\nchoose "
                          << kDeviceEnquirySimName << "-in:midi\nclick 430 28\nwait-text " << x << " " << y << " 60000 "
                          << kReady << "\n";
    RunTavroHost(data.root(), script, &output);
  }
  server.Stop();
  EXPECT_GE(ShownAt(output, "Connecting to Hardware"), 0.0) << output;
  EXPECT_GT(ShownAt(output, "Please wait, checking DeviceID 6"), 0.0) << output;
  EXPECT_GT(ShownAt(output, kReady), ShownAt(output, "Please wait, checking DeviceID 6")) << output;
  EXPECT_LT(ShownAt(output, "No response from Hardware!"), 0.0) << output;
  // The edit performance asked of id 5, which answered.
  const std::vector<std::string> lines = SimProcess::Lines(record);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "F0 33 05 04 28 00 F7"), lines.end());
}

}  // namespace
