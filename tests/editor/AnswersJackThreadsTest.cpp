// Answers of the type asked for, end to end on a private JACK server: an NL1/NL2 panel
// on a simulated NL2x unit. Asked for CARD 3 with the type the NL2x reads as "send
// slot", the unit sends its four edit slots: none is loaded as a program of the bank,
// and the page names the other model. The other-model check's answer, late past the
// check's wait, comes during the next request: it is not loaded into the panel.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <filesystem>
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"

namespace {

constexpr const char* kAnswersSimName = "Answers Sim";
constexpr const char* kOtherModel = "Unit answers NL2x requests: check model!";
constexpr const char* kNoResponse = "No response from Hardware!";
constexpr int kFilterCutoffSlotA = 0;

// The lines of `output` that begin with `prefix`.
std::vector<std::string> Printed(const std::string& output, const std::string& prefix) {
  std::vector<std::string> found;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  return found;
}

class AnswersJack : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_GE(points.pageSwitch.x, 0);
    ASSERT_GE(points.statusLine.x, 0);
    ASSERT_TRUE(server.Start());
    std::filesystem::create_directories(data.folder() + "Patches");
    data.write("Patches/Bank A.syx", ProgramBank("Kept "));
  }
  void TearDown() override {
    sim.Stop();
    server.Stop();
  }
  // The NL2x unit, answering `latencyMs` late, slot A's cutoff 33.
  void StartUnit(int latencyMs) {
    ASSERT_TRUE(sim.Start(kAnswersSimName,
                          {"--device-id", std::to_string(kDefaultUnitId), "--model", "2", "--latency-ms",
                           std::to_string(latencyMs), "--set", "kFilterCutoff", "0", "33"},
                          data.root() + "/sim.txt"));
  }
  // Runs the host on the librarian page with the ports chosen, then `lines`.
  std::string Run(const std::string& lines) {
    const std::string script = data.root() + "/answers.txt";
    std::ofstream(script) << ChoosePorts(kAnswersSimName) << "click " << points.pageSwitch.x << " "
                          << points.pageSwitch.y << "\nexpect-param " << kShowLibrarian << " 1\n"
                          << lines;
    std::string output;
    EXPECT_EQ(RunTavroHost(data.root(), script, &output), 0) << output;
    return output;
  }
  // Script lines: a bank menu item chosen, then the page's line awaited showing `text`.
  std::string Choose(const std::string& item, int ms, const std::string& text) const {
    return "choose " + item + "\nclick " + std::to_string(points.bankMenu.x) + " " + std::to_string(points.bankMenu.y) +
           "\nwait 300\nwait-text " + std::to_string(points.statusLine.x) + " " + std::to_string(points.statusLine.y) +
           " " + std::to_string(ms) + " " + text + "\n";
  }

  const PagePoints points = ReadPagePoints(0);
  JackTestServer server;
  TempDataRoot data;
  SimProcess sim;
};

TEST_F(AnswersJack, TheOtherModelsEditSlotsAreNotLoadedAsCardThree) {
  StartUnit(1);
  const std::string output = Run(Choose("Request Patch Data/All Programs from CARD 3 (RAM)", 60000, kOtherModel) +
                                 "expect-param " + std::to_string(kBankEditUnsaved) + " 0\n");
  EXPECT_EQ(output.find("programs received"), std::string::npos) << output;
}

// The check's answer takes 1.8 s, the check waits 1 s: it arrives 0.8 s into the next
// request, which asks for what it looks like the answer to (slot A's program).
TEST_F(AnswersJack, TheChecksLateAnswerIsNotLoadedByTheNextRequest) {
  StartUnit(1800);
  const std::string request = "Request Patch Data/from Active Slot to Plug-in GUI";
  const std::string cutoff = "print-param " + std::to_string(kFilterCutoffSlotA) + "\n";
  const std::string output =
      Run(cutoff + Choose(request, 60000, kNoResponse) + Choose(request, 60000, kNoResponse) + cutoff);
  EXPECT_EQ(output.find("Data processed - Ready!"), std::string::npos) << output;
  const std::vector<std::string> shown = Printed(output, "param 0 = ");
  ASSERT_EQ(shown.size(), 2u) << output;
  EXPECT_EQ(shown[1], shown[0]) << "slot A's program was loaded\n" << output;
}

}  // namespace
