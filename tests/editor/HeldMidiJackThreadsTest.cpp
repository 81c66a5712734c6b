// What the host plays during a transfer, end to end on a private JACK server: the test
// host plays notes and a controller while the librarian page asks the simulated unit
// (its answers 400 ms late) for a program, fetches a bank, and stores one. Every Note
// Off reaches the unit while the transfer runs; the controller waits for its end and
// arrives after.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <filesystem>
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "SynthSim.h"

namespace {

constexpr const char* kHeldMidiSimName = "Held Sim";

// The position of the first line at or after `from` that starts with `prefix`; -1 for none.
long FindFrom(const std::vector<std::string>& lines, long from, const std::string& prefix) {
  if (from < 0) return -1;
  for (size_t i = size_t(from); i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return long(i);
  return -1;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line.substr(0, 40) + "\n";
  return text;
}

// (Not note 60: the host plays it itself at the end of its run.)
// Script lines: a menu item of the bank menu chosen at `menu`, a note played before,
// then `during` ms into the transfer its Note Off and a controller, then `ending` (the
// transfer waited out, or cut short) and a render that lets what waited go.
std::string DuringTransfer(const Point& menu, const std::string& item, int note, int during,
                           const std::string& ending = "") {
  char on[16], off[16];
  std::snprintf(on, sizeof on, "90 %02X 64", note);
  std::snprintf(off, sizeof off, "80 %02X 00", note);
  return std::string("midi ") + on + "\nchoose " + item + "\nclick " + std::to_string(menu.x) + " " +
         std::to_string(menu.y) + "\nwait " + std::to_string(during) + "\nmidi " + off + "\nmidi B0 07 64\n" + ending +
         "wait-idle 60000\nrender 4\nwait 300\n";
}

// The Cancel button over the librarian page.
Point CancelButton() {
  LibrarianPage page(Banks{});
  return Centre(page.plug->keptControls().cancelButtons[0]->GetRECT());
}

TEST(HeldMidiJack, ANoteOffPlayedDuringARequestABankFetchAndAStoreReachesTheUnit) {
  const PagePoints points = ReadPagePoints(0);
  ASSERT_GE(points.pageSwitch.x, 0);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  std::filesystem::create_directories(data.folder() + "Patches");
  data.write("Patches/Bank A.syx", ProgramBank("Held "));
  const Point cancel = CancelButton();
  const std::string record = data.root() + "/record.txt";
  std::string output;
  {
    SimProcess sim;
    // Answers the enquiry, the program and three of the bank, then nothing: the fetch
    // ends on its wait.
    ASSERT_TRUE(sim.Start(kHeldMidiSimName,
                          {"--device-id", std::to_string(kDefaultUnitId), "--latency-ms", "400", "--silent-after", "5",
                           "--record", record},
                          data.root() + "/sim.txt"));
    const std::string script = data.root() + "/held.txt";
    std::ofstream(script)
        << ChoosePorts(kHeldMidiSimName) << "click " << points.pageSwitch.x << " " << points.pageSwitch.y
        << "\nexpect-param " << kShowLibrarian << " 1\n"
        << DuringTransfer(points.bankMenu, "Request Patch Data/from Active Slot to Librarian", 0x30, 150)
        << DuringTransfer(points.bankMenu, "Request Patch Data/All Programs from BANK 0 (RAM)", 0x32, 600)
        // 99 programs take 40 s: the store is cancelled after a few.
        << DuringTransfer(points.bankMenu, "Store Patch Data/All Current Programs to RAM 0 (A)", 0x34, 150,
                          "wait 1000\nclick " + std::to_string(cancel.x) + " " + std::to_string(cancel.y) + "\n");
    EXPECT_EQ(RunTavroHost(data.root(), script, &output), 0) << output;
    EXPECT_TRUE(SimProcess::WaitFor([&] { return FindFrom(SimProcess::Lines(record), 0, "80 34 00") >= 0; }));
    sim.Stop();
  }
  server.Stop();
  const std::vector<std::string> lines = SimProcess::Lines(record);
  struct Transfer {
    const char* what;
    std::string start, noteOff;
  };
  // The slot program request, the first request of the bank, the first stored program.
  const Transfer transfers[] = {{"program request", "F0 33 04 04 0A 00 F7", "80 30 00"},
                                {"bank fetch", "F0 33 04 04 0B 00 F7", "80 32 00"},
                                {"store", "F0 33 04 04 01 00 ", "80 34 00"}};
  long after = 0;
  for (const Transfer& t : transfers) {
    SCOPED_TRACE(t.what);
    const long start = FindFrom(lines, after, t.start);
    ASSERT_GE(start, 0) << output << "\nrecord:\n" << Joined(lines);
    const long off = FindFrom(lines, start, t.noteOff);
    EXPECT_GE(off, 0) << "the Note Off never reached the unit\n" << output;
    // The controller played after it waited for the transfer and followed it.
    const long controller = FindFrom(lines, off, "B0 07 64");
    EXPECT_GE(controller, 0) << output;
    after = std::max(after, std::max(off, controller));
  }
  EXPECT_EQ(output.find("message(s) lost"), std::string::npos) << output;
}

}  // namespace
