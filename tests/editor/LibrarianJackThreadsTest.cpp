// The librarian page end to end on a private JACK server: the test host opens the
// page and double-clicks a program of the bank file in its data folder (the simulated
// synthesizer's record holds that program, sent to slot A's edit buffer), or asks the
// unit for a whole bank from the bank menu (the record holds a request for each program);
// requests nothing can keep, and a bank the unit stops sending, are said on the page.
// An arrow key sends a program while the MIDI clock runs beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "JackClockSupport.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "SynthSim.h"
#include "librarian/PatchTemplates.h"

namespace {

constexpr const char* kLibrarianSimName = "Librarian Sim";
constexpr int kRow = 9;
constexpr int kRowCutoff = 93;  // row kRow's, no other row's

// A bank file of whole programs as the unit holds them, row kRow's cutoff (93) apart
// from the others'.
std::string UnitBank() {
  Kit_VirtualClock clock;
  SynthSimVirtualScheduler scheduler(clock);
  SynthSim unit(SynthSimSettings{}, scheduler, [](const SynthSim::Message&) {});
  std::string image;
  for (int n = 0; n < kProgramBankSize; ++n) {
    unit.SetValue("kFilterCutoff", 0, n == kRow ? kRowCutoff : 20);
    const SynthSim::Message data = unit.ProgramEditBuffer(0);
    std::string dump = {'\xF0', '\x33', '\x00', '\x04', '\x00', char(n)};
    dump.append(data.begin(), data.end());
    dump += "Row       ";
    dump += '\xF7';
    image += dump;
  }
  return image;
}

// The cutoff a line of the record gives the unit when it is a program dump for slot
// A's edit buffer; -1 for any other line. The unit takes a dump only whole (139 or 149
// bytes), so a cutoff means the whole dump arrived.
int SlotACutoff(const std::string& line) {
  if (line.rfind("F0 33 04 04 00 00 ", 0) != 0) return -1;
  const std::vector<uint8_t> bytes = RecordBytes(line);
  Kit_VirtualClock clock;
  SynthSimVirtualScheduler scheduler(clock);
  SynthSimSettings settings;
  settings.deviceId = kDefaultUnitId;
  SynthSim unit(settings, scheduler, [](const SynthSim::Message&) {});
  unit.Receive(bytes.data(), bytes.size());
  return unit.Value("kFilterCutoff", 0);
}

// A private server, the unit at the editor's default id and a data folder holding a
// bank of the unit's programs; the host opens the librarian page first.
class LibrarianJack : public ::testing::Test {
protected:
  // `unitOptions` go to the simulator; without `withBank` the data folder is empty.
  explicit LibrarianJack(std::vector<std::string> unitOptions = {}, bool withBank = true)
      : unitOptions_(std::move(unitOptions)), withBank_(withBank) {}
  void SetUp() override {
    ASSERT_GE(points.pageSwitch.x, 0);
    ASSERT_TRUE(server.Start());
    std::filesystem::create_directories(data.folder() + "Patches");
    if (withBank_) data.write("Patches/Bank A.syx", UnitBank());
    std::vector<std::string> options = {"--device-id", std::to_string(kDefaultUnitId), "--record", record()};
    options.insert(options.end(), unitOptions_.begin(), unitOptions_.end());
    ASSERT_TRUE(sim.Start(kLibrarianSimName, options, data.root() + "/sim.txt"));
  }
  void TearDown() override {
    sim.Stop();
    server.Stop();
  }
  std::string record() const { return data.root() + "/record.txt"; }
  // Runs the host with the ports chosen, `before` on the main page, the librarian page
  // shown, then `lines`; `extra` are host options. What it printed.
  std::string RunOnThePage(const std::string& lines, const std::string& before = "",
                           const std::vector<std::string>& extra = {}) {
    const std::string script = data.root() + "/librarian.txt";
    std::ofstream(script) << ChoosePorts(kLibrarianSimName) << before << "click " << points.pageSwitch.x << " "
                          << points.pageSwitch.y << "\nexpect-param " << kShowLibrarian << " 1\n"
                          << lines;
    std::string output;
    const int status = RunTavroHost(data.root(), script, &output, extra);
    EXPECT_EQ(status, 0) << output;
    return output;
  }

  // Script lines: choose a bank menu item ("parent/child"), then wait up to `ms` for the
  // page's status line to show `text`.
  std::string Choose(const std::string& item, int ms, const std::string& text) const {
    return "choose " + item + "\nclick " + std::to_string(points.bankMenu.x) + " " + std::to_string(points.bankMenu.y) +
           "\nwait-text " + std::to_string(points.statusLine.x) + " " + std::to_string(points.statusLine.y) + " " +
           std::to_string(ms) + " " + text + "\n";
  }
  static std::string Unsaved(int value) {
    return "expect-param " + std::to_string(kBankEditUnsaved) + " " + std::to_string(value) + "\n";
  }
  std::string Click(const Point& p) const { return "click " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n"; }

  const PagePoints points = ReadPagePoints(kRow);
  JackTestServer server;
  TempDataRoot data;
  SimProcess sim;

private:
  std::vector<std::string> unitOptions_;
  bool withBank_;
};

TEST_F(LibrarianJack, ADoubleClickOnARowSendsItsProgramToTheSynthesizer) {
  RunOnThePage("double-click " + std::to_string(points.row.x) + " " + std::to_string(points.row.y) +
               "\nwait-idle 60000\n");
  // A program dump for slot A's edit buffer reached the unit; taken in, it gives the
  // row's cutoff, which no other row has.
  int cutoff = -1;
  EXPECT_TRUE(SimProcess::WaitFor([&] {
    for (const std::string& line : SimProcess::Lines(record())) {
      const int sent = SlotACutoff(line);
      if (sent >= 0) cutoff = sent;
      if (cutoff == kRowCutoff) return true;
    }
    return false;
  })) << "last cutoff sent "
      << cutoff;
}

// "Send MIDI Clock" ticked and the host's transport playing: a Clock is always on its
// way and now and then one is lost to a missed period, yet the program an arrow key
// sends (the row below the one clicked, to slot A) reaches the unit whole and the page
// says it was taken, not that the send failed. The Clocks go on around it.
TEST_F(LibrarianJack, AProgramSentByAnArrowKeyWhileTheClockRunsIsSaidSent) {
  constexpr const char* kTaken = "Data processed - Ready!";
  ASSERT_GE(points.statusLine.x, 0);
  const std::string statusLine = std::to_string(points.statusLine.x) + " " + std::to_string(points.statusLine.y);
  const std::string playing = ClockSwitchesOn() + "tempo 120\nrender 1\nplay\nrender 1\nwait 1000\n";
  const Point above = ReadPagePoints(kRow - 1).row;
  const std::string at = std::to_string(above.x) + " " + std::to_string(above.y);
  // The musician's pointer rests over the list, which takes the arrow keys.
  const std::string send = "click " + at + "\nmove " + at + "\nkey down\n";
  const std::string afterwards =
      "wait-idle 60000\nwait-text " + statusLine + " 5000 " + kTaken + "\nwait 1000\nstop\nrender 1\nwait 500\n";
  const std::string output = RunOnThePage(send + afterwards, playing, {"--transport", "stop"});
  // The job has ended when the text is looked for: a failure would stand there now. The
  // text may already stand there before the key (an earlier dump taken in), so
  // the record shows that the key sent the program.
  EXPECT_EQ(output.find("MIDI send FAILED!"), std::string::npos) << output;

  const std::vector<std::string> lines = SimProcess::Lines(record());
  const auto dump =
      std::find_if(lines.begin(), lines.end(), [](const std::string& line) { return SlotACutoff(line) == kRowCutoff; });
  ASSERT_NE(dump, lines.end()) << "row " << kRow << "'s program did not reach the unit whole\n" << output;
  // A second at 120 BPM is 48 Clocks, and more than a second and a half follows the
  // send; a loaded machine may hold some back.
  EXPECT_GT(std::count(lines.begin(), dump, "F8"), 24) << "the clock was not running when the program went";
  EXPECT_GT(std::count(dump, lines.end(), "F8"), 24) << "the Clocks stopped at the send";
}

TEST_F(LibrarianJack, AWholeBankRequestAsksTheUnitForEveryProgram) {
  const std::string output = RunOnThePage("choose Request Patch Data/All Programs from BANK 0 (RAM)\nclick " +
                                          std::to_string(points.bankMenu.x) + " " + std::to_string(points.bankMenu.y) +
                                          "\nwait-param " + std::to_string(kBankEditUnsaved) + " 1 120000\n");
  EXPECT_EQ(RequestedPrograms(SimProcess::Lines(record())).size(), size_t(kProgramBankSize)) << output;
}

// Requests the editor answered while the ports were chosen: the device-id enquiry.
constexpr int kAnsweredBeforeTheBank = 1;
constexpr int kProgramsBeforeTheCut = 8;

// The unit stops answering after eight programs of a bank.
class LibrarianJackCut : public LibrarianJack {
protected:
  LibrarianJackCut()
      : LibrarianJack({"--silent-after", std::to_string(kAnsweredBeforeTheBank + kProgramsBeforeTheCut)}) {}
};

// Every refusal and the cut bank are said on the page's own status line; only stored
// slots light the unsaved mark.
TEST_F(LibrarianJackCut, RefusalsAndACutBankAreSaidOnThePage) {
  ASSERT_GE(points.statusLine.x, 0);
  const Point row99 = ReadPagePoints(99).row;
  const std::string output = RunOnThePage(Click(row99) +
                                          Choose("Request Patch Data/from HW by Selected Slot Number", 5000,
                                                 "Not requested: selected row is outside the bank") +
                                          Unsaved(0) +
                                          // Performances: the folder holds only a program bank.
                                          Click(points.dataType) +
                                          Choose("Request Performance Data/from Temp Buffer to Librarian", 5000,
                                                 "Not requested: no performance bank yet; Import Bank... adds one") +
                                          Unsaved(0) + Click(points.dataType) +
                                          Choose("Request Patch Data/All Programs from BANK 0 (RAM)", 120000,
                                                 "CONNECTION TIMED OUT! / Only 8 of 99 programs received") +
                                          Unsaved(1));
  // Nothing was asked for the refused requests: the bank's eight and the one unanswered.
  EXPECT_EQ(RequestedPrograms(SimProcess::Lines(record())).size(), size_t(kProgramsBeforeTheCut + 1)) << output;
}

class LibrarianJackNoBank : public LibrarianJack {
protected:
  LibrarianJackNoBank() : LibrarianJack({}, false) {}
};

TEST_F(LibrarianJackNoBank, ARequestWithNoBankSaysSo) {
  RunOnThePage(Choose("Request Patch Data/from Active Slot to Librarian", 5000,
                      "Not requested: no program bank yet; Import Bank... adds one") +
               Unsaved(0));
}

}  // namespace
