// The librarian page end to end on a private JACK server: the test host opens the
// page, double-clicks a program of the bank file in its data folder and requests the
// simulated synthesizer's whole bank 0; the simulator's record holds the program sent
// and every request of the bank, and the host ends with the bank unsaved.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "IControl.h"
#include "JackRoadSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "TavroLibrarianPanel.h"

namespace {

constexpr const char* kSimName = "Librarian Sim";
constexpr int kRow = 9;
constexpr int kBankSlots = 99;

struct Point {
  int x = -1, y = -1;
};
Point Centre(const IRECT& r) { return {(r.L + r.R) / 2, (r.T + r.B) / 2}; }

// Where the host clicks, read from a headless editor with the same data: the page's
// switch, the row, the bank menu (shown once the page is).
struct PagePoints {
  Point pageSwitch, row, bankMenu;
  bool menuShown = false;
};
PagePoints ReadPagePoints() {
  LibrarianPage page(Banks{});
  PagePoints points;
  IControl* pageSwitch = page.plug->firstControl(kShowLibrarian);
  if (!pageSwitch) return points;
  points.pageSwitch = Centre(pageSwitch->GetRECT());
  points.row = Centre(page.list().row(0, kRow)->GetRECT());
  points.bankMenu = Centre(page.plug->librarianMenus[kBankEditMenu]->GetRECT());
  points.menuShown = page.plug->layer("BANKEDITMENU")->IsShown();
  return points;
}

std::string HexLine(const std::vector<uint8_t>& bytes) {
  std::string text;
  char pair[4];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X ", b);
    text += pair;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

// The request numbers the record holds per request type ("F0 33 id 04 TT NN F7").
std::map<std::string, std::set<std::string>> Requests(const std::vector<std::string>& record) {
  std::map<std::string, std::set<std::string>> byType;
  for (const std::string& line : record)
    if (line.size() == 20 && line.rfind("F0 33 ", 0) == 0 && line.substr(18) == "F7")
      byType[line.substr(12, 2)].insert(line.substr(15, 2));
  return byType;
}

TEST(LibrarianJack, ADoubleClickSendsTheRowAndTheWholeBankRequestAsksForEveryProgram) {
  const PagePoints points = ReadPagePoints();
  ASSERT_GE(points.pageSwitch.x, 0);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  std::system(("mkdir -p '" + data.folder() + "Patches'").c_str());
  data.write("Patches/Bank A.syx", ProgramBank("A"));
  const std::string record = data.root() + "/record.txt";
  {
    SimProcess sim(kSimName);
    ASSERT_TRUE(sim.Start(record, data.root() + "/sim.txt"));
    const std::string script = data.root() + "/librarian.txt";
    std::ofstream out(script);
    // The port menus sit at (420, 20) and (580, 20); the enquiry's overlay holds the
    // panel until it ends.
    out << "choose " << kSimName << "-in:midi\nclick 430 28\n"
        << "choose " << kSimName << "-out:midi\nclick 590 28\nwait 3000\n"
        << "click " << points.pageSwitch.x << " " << points.pageSwitch.y << "\nexpect-param " << kShowLibrarian
        << " 1\n"
        << "double-click " << points.row.x << " " << points.row.y << "\nwait 1000\n"
        << "choose Request Patch Data/All Programs from BANK 0 (RAM)\n"
        << "click " << points.bankMenu.x << " " << points.bankMenu.y << "\n"
        << "wait-param " << kBankEditUnsaved << " 1 120000\n";
    out.close();
    std::string output;
    const int status = RunTavroHost(data.root(), script, &output);
    // The exit status also covers the host's state round trip, not this road's.
    EXPECT_EQ(output.find("tavro-host: panel:"), std::string::npos) << "exit " << status << ": " << output;

    // The program went out as a dump carrying the row's data.
    const std::vector<uint8_t> dump = NamedProgramDump("A9", kRow);
    const std::string data9 = HexLine({dump.begin() + 6, dump.begin() + 138});
    EXPECT_TRUE(SimProcess::WaitFor([&] {
      for (const std::string& line : SimProcess::Lines(record))
        if (line.find(data9) != std::string::npos) return true;
      return false;
    })) << "no dump of row " << kRow;
    const auto requests = Requests(SimProcess::Lines(record));
    size_t most = 0;
    for (const auto& [type, numbers] : requests) most = std::max(most, numbers.size());
    EXPECT_EQ(most, size_t(kBankSlots));
  }
  server.Stop();
}

}  // namespace
