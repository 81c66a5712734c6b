// The librarian page end to end on a private JACK server: the test host opens the
// page and double-clicks a program of the bank file in its data folder (the simulated
// synthesizer's record holds that program, sent to slot A's edit buffer), or asks the
// unit for a whole bank from the bank menu (the record holds a request for each program).
#include <gtest/gtest.h>

#include <sstream>

#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "SynthSim.h"

namespace {

constexpr const char* kSimName = "Librarian Sim";
constexpr int kRow = 9;
constexpr int kBankSlots = 99;
constexpr int kDefaultUnitId = 4;  // the editor's id for its default model

// A bank file of whole programs as the unit holds them, row kRow's cutoff (93) apart
// from the others'.
std::string UnitBank() {
  Kit_VirtualClock clock;
  SynthSimVirtualScheduler scheduler(clock);
  SynthSim unit(SynthSimSettings{}, scheduler, [](const SynthSim::Message&) {});
  std::string image;
  for (int n = 0; n < kBankSlots; ++n) {
    unit.SetValue("kFilterCutoff", 0, n == kRow ? 93 : 20);
    const SynthSim::Message data = unit.ProgramEditBuffer(0);
    std::string dump = {'\xF0', '\x33', '\x00', '\x04', '\x00', char(n)};
    dump.append(data.begin(), data.end());
    dump += "Row       ";
    dump += '\xF7';
    image += dump;
  }
  return image;
}

// A private server, the unit at the editor's default id and a data folder holding a
// bank of the unit's programs; the host opens the librarian page first.
class LibrarianJack : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_GE(points.pageSwitch.x, 0);
    ASSERT_TRUE(server.Start());
    std::system(("mkdir -p '" + data.folder() + "Patches'").c_str());
    data.write("Patches/Bank A.syx", UnitBank());
    ASSERT_TRUE(sim.Start(kSimName, {"--device-id", std::to_string(kDefaultUnitId), "--record", record()},
                          data.root() + "/sim.txt"));
  }
  void TearDown() override {
    sim.Stop();
    server.Stop();
  }
  std::string record() const { return data.root() + "/record.txt"; }
  // Runs the host with the ports chosen, the page shown, then `lines`; what it printed.
  std::string RunOnThePage(const std::string& lines) {
    const std::string script = data.root() + "/librarian.txt";
    std::ofstream(script) << ChoosePorts(kSimName) << "click " << points.pageSwitch.x << " " << points.pageSwitch.y
                          << "\nexpect-param " << kShowLibrarian << " 1\n"
                          << lines;
    std::string output;
    const int status = RunTavroHost(data.root(), script, &output);
    EXPECT_EQ(status, 0) << output;
    return output;
  }

  const PagePoints points = ReadPagePoints(kRow);
  JackTestServer server;
  TempDataRoot data;
  SimProcess sim;
};

TEST_F(LibrarianJack, ADoubleClickOnARowSendsItsProgramToTheSynthesizer) {
  RunOnThePage("double-click " + std::to_string(points.row.x) + " " + std::to_string(points.row.y) + "\nwait 3000\n");
  // A program dump for slot A's edit buffer reached the unit; taken in, it gives the
  // row's cutoff, which no other row has.
  int cutoff = -1;
  EXPECT_TRUE(SimProcess::WaitFor([&] {
    for (const std::string& line : SimProcess::Lines(record())) {
      if (line.rfind("F0 33 04 04 00 00 ", 0) != 0) continue;
      const std::vector<uint8_t> bytes = RecordBytes(line);
      Kit_VirtualClock clock;
      SynthSimVirtualScheduler scheduler(clock);
      SynthSimSettings settings;
      settings.deviceId = kDefaultUnitId;
      SynthSim unit(settings, scheduler, [](const SynthSim::Message&) {});
      unit.Receive(bytes.data(), bytes.size());
      cutoff = unit.Value("kFilterCutoff", 0);
      if (cutoff == 93) return true;
    }
    return false;
  })) << "last cutoff sent "
      << cutoff;
}

TEST_F(LibrarianJack, AWholeBankRequestAsksTheUnitForEveryProgram) {
  const std::string output = RunOnThePage("choose Request Patch Data/All Programs from BANK 0 (RAM)\nclick " +
                                          std::to_string(points.bankMenu.x) + " " + std::to_string(points.bankMenu.y) +
                                          "\nwait-param " + std::to_string(kBankEditUnsaved) + " 1 120000\n");
  EXPECT_EQ(RequestedPrograms(SimProcess::Lines(record())).size(), size_t(kBankSlots)) << output;
}

}  // namespace
