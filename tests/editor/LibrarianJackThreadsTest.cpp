// End to end on a private JACK server with the real bundle in the test host: a double
// click on a librarian row sends that program to the simulated synthesizer's part.
#include <gtest/gtest.h>

#include "JackRoadSupport.h"
#include "JackTestServer.h"
#include "LibrarianPageSupport.h"
#include "messaging/ProgramDumpCoder.h"

namespace {

constexpr const char* kSimName = "Librarian Sim";
constexpr int kFilterCutoff = 0;  // slot A's
constexpr int kRow = 9;

// A bank of 99 programs as the panel itself dumps them (so taking one over and
// sending it back changes nothing), program p with its cutoff at 20 + p; and the
// script lines that show the librarian and double click row `kRow` of its upper pane.
struct LibrarianRun {
  LibrarianRun() {
    LibrarianPage page;
    const ProgramDumpCoder& coder = *page.plug->programDumpCoder();
    for (int p = 0; p < 99; ++p) {
      page.plug->GetParam(kFilterCutoff)->Set(20 + p);
      programs.push_back(coder.Build(page.plug->panelParameters(), 0, 0));
      const std::vector<uint8_t> named = ProgramDumpCoder::WithName(programs.back(), "L" + std::to_string(p));
      bank.append(named.begin(), named.end());
    }
    const auto [x, y] = page.rowCentre(0, kRow);
    script = ClickOn(*page.plug->graphics, kShowLibrarian) + "expect-param 771 1\ndouble-click " + std::to_string(x) +
             " " + std::to_string(y) + "\nwait 3000\n";
  }
  std::vector<std::vector<uint8_t>> programs;  // 139 bytes each, to slot A
  std::string bank;
  std::string script;
};

// The record's lines as bytes, program dumps with their device id byte cleared
// (the editor's own id, whatever the simulator answers to).
std::vector<std::vector<uint8_t>> Messages(const std::vector<std::string>& lines) {
  std::vector<std::vector<uint8_t>> messages;
  for (const std::string& line : lines) {
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at + 1 < line.size(); at += 3) bytes.push_back(uint8_t(std::stoi(line.substr(at, 2), nullptr, 16)));
    if (bytes.size() == 139) bytes[2] = 0;
    messages.push_back(bytes);
  }
  return messages;
}

TEST(LibrarianJack, DoubleClickOnARowSendsItsProgramToTheSynthesizersPart) {
  const LibrarianRun run;
  ASSERT_EQ(run.programs[kRow].size(), 139u);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  std::system(("mkdir -p '" + data.folder() + "Patches'").c_str());
  data.write("Patches/Bank L.syx", run.bank);
  const std::string record = data.root() + "/record.txt";
  {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(kSimName, record, data.root() + "/sim.txt"));
    const std::string script = data.root() + "/script.txt";
    std::ofstream(script) << ChooseSimPorts(kSimName) << run.script;
    std::string output;
    // The exit status also covers the host's state round trip, not looked at here.
    RunTavroHost(data.root(), script, "", &output);
    const auto holds = [&](const std::vector<uint8_t>& program) {
      const auto messages = Messages(SimProcess::Lines(record));
      return std::find(messages.begin(), messages.end(), program) != messages.end();
    };
    EXPECT_TRUE(SimProcess::WaitFor([&] { return holds(run.programs[kRow]); })) << output;
    // Only that row went.
    EXPECT_FALSE(holds(run.programs[kRow - 1]));
    EXPECT_FALSE(holds(run.programs[kRow + 1]));
  }
  server.Stop();
}

}  // namespace
