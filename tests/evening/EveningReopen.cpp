// Stage 8 of the evening: the host saves the project and a second host run reopens
// it: the ports by name, the panel as saved, the performance sent once to the unit's
// id. Reopened while the unit is away, the project loses nothing and still names the
// ports when saved again.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "EveningSupport.h"
#include "HostStateSupport.h"

namespace {

// Runs the host restoring `state` and playing `restoreScript` (written as `name`) on
// the restored instance; returns its exit status, its output in `output`.
int RunRestored(const Evening& evening, const std::string& state, const std::string& name,
                const std::string& restoreScript, std::string* output, std::vector<std::string> extra = {}) {
  const std::string path = evening.data().root() + "/" + name;
  std::ofstream(path) << restoreScript;
  extra.insert(extra.begin(), {"--state-in", state, "--restore-script", path});
  return RunHost(evening.data().root(), extra, output);
}

// Script lines failing unless parameters 0-620 of the panel hold what `chunk` saved.
std::string ExpectSavedPanel(const std::vector<uint8_t>& chunk) {
  std::string lines;
  char line[64];
  for (int i = 0; i <= PatchManager::kLastSnapshotParam; ++i) {
    // The host hands parameters over in single precision.
    std::snprintf(line, sizeof line, "expect-param %d %.9g\n", i, double(float(ChunkParam(chunk, i))));
    lines += line;
  }
  return lines;
}

// The value the host printed for parameter `paramIdx`; -1 when it printed none.
int PrintedValue(const std::string& output, int paramIdx) {
  int value = -1;
  const std::string format = "param " + std::to_string(paramIdx) + " = %d";
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) std::sscanf(line.c_str(), format.c_str(), &value);
  return value;
}

}  // namespace

void EveningReopen(Evening& evening) {
  const auto knob = ControlCentre(kFilterCutoff);
  ASSERT_GE(knob.first, 0);
  const std::string state = evening.data().root() + "/evening.plist";
  std::string output;
  // The knob makes the panel differ from the unit's memory: the reopened project
  // must bring the panel's value, not the unit's.
  evening.Run("save.txt", ChoosePorts(Evening::kSimName) + Drags(knob.first, knob.second), &output,
              {"--state-out", state});
  ASSERT_NE(output.find("state written to " + state), std::string::npos) << output;
  const std::vector<uint8_t> saved = StateChunk(state);
  ASSERT_EQ(Occurrences(saved, Evening::kSimName), 2) << "both ports named";
  EXPECT_EQ(ChunkParam(saved, kDeviceID), Evening::kUnitId);

  const size_t from = evening.Received().size();
  // The restore starts the resend before the script's first line.
  EXPECT_EQ(RunRestored(evening, state, "reopen.txt",
                        "wait-idle 60000\nprint-param " + std::to_string(kDeviceOutSelection) + "\nprint-param " +
                            std::to_string(kDeviceInSelection) + "\n" + ExpectSavedPanel(saved),
                        &output, {"--transport", "stop"}),
            0)
      << output;
  EXPECT_GT(PrintedValue(output, kDeviceOutSelection), 0) << output;
  EXPECT_GT(PrintedValue(output, kDeviceInSelection), 0) << output;
  std::vector<std::string> lines;
  size_t dump = std::string::npos;
  ASSERT_TRUE(SimProcess::WaitFor([&] {
    lines = evening.Received(from);
    return (dump = Find(lines, 0, IsDump)) != std::string::npos;
  })) << "no performance sent: "
      << Tail(lines);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsDump), 1) << Tail(lines);
  EXPECT_EQ(lines[dump].substr(0, 12), "F0 33 05 04 ") << "to the unit's id";

  // Away: nothing to reopen, nothing lost.
  evening.StopUnit();
  const std::string resaved = evening.data().root() + "/evening-resaved.plist";
  ASSERT_EQ(RunHost(evening.data().root(), {"--state-in", state, "--restored-state-out", resaved}, &output), 0)
      << output;
  const std::vector<uint8_t> again = StateChunk(resaved);
  EXPECT_EQ(Occurrences(again, Evening::kSimName), 2) << "both ports still named";
  EXPECT_TRUE(WithoutPortPlaces(again) == WithoutPortPlaces(saved)) << "the state kept whole";
  ASSERT_TRUE(evening.StartUnit());
}
