// The evening's librarian: bank 2 of the unit fetched into the librarian, one program
// renamed, the bank saved as a new file that Debian's python reads with mido, the
// name found by the search; then the program found sent to slot D by a double click
// and the bank stored into the unit, whose memory, written out when it ends, holds
// the file. The list's rows are the list's own drawing, which the host cannot read:
// the unit's slot D shows what the search found.
#include <filesystem>
#include <map>
#include <sstream>

#include "EveningSupport.h"
#include "LibrarianPageSupport.h"
#include "SynthSimPatches.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"

namespace {

constexpr int kFetchedBank = 2;
constexpr int kRow = 21;
constexpr const char* kNewName = "Evening 21";  // ten characters: no padding
constexpr const char* kSearchText = "Evening";
// A first-generation unit's RAM 0 takes the first 40 programs of a stored bank.
constexpr int kStoredPrograms = 40;
constexpr size_t kDataStart = 6, kDataSize = 132;

Point ControlCentre(Tavro& plug, int paramIdx) {
  IControl* control = plug.firstControl(paramIdx);
  return control ? Centre(control->GetRECT()) : Point{};
}

// Where the host clicks, read from a headless editor at the host's size.
struct EveningPoints {
  Point pageSwitch, bankMenu, row, firstResult, renameField, searchButton, searchField, slotD;
};
EveningPoints ReadEveningPoints() {
  LibrarianPage page(Banks{});
  Tavro& plug = *page.plug;
  EveningPoints points;
  points.pageSwitch = ControlCentre(plug, kShowLibrarian);
  points.bankMenu = Centre(plug.keptControls().librarianMenus[kBankEditMenu]->GetRECT());
  points.row = Centre(page.list().row(0, kRow)->GetRECT());
  points.firstResult = Centre(page.list().row(1, 0)->GetRECT());
  points.renameField = ControlCentre(plug, kPatchRename);
  points.searchButton = ControlCentre(plug, TavroParam::kPatchSearch);
  points.searchField = ControlCentre(plug, TavroParam::kPatchSearchString);
  // The active-slot radio's four buttons side by side; D is the last.
  if (IControl* radio = plug.firstControl(kQuickTab)) {
    const IRECT r = radio->GetRECT();
    points.slotD = {int(r.L + (r.R - r.L) * 7 / 8), int((r.T + r.B) / 2)};
  }
  return points;
}

std::string At(const char* command, Point p) {
  return std::string(command) + " " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n";
}
// Clears a text entry just opened on its field, then types `text` and commits it.
std::string Retype(Point field, const std::string& text) {
  std::string lines = At("click", field);
  for (int i = 0; i < 16; ++i) lines += "key backspace\n";
  return lines + "type " + text + "\nkey return\n";
}

std::string Script(const EveningPoints& p, const std::string& savedPath) {
  std::ostringstream s;
  s << ChoosePorts(Evening::kSimName) << At("click", p.pageSwitch) << "expect-param " << kShowLibrarian
    << " 1\n"
    // Step 5: the whole of bank 2 into the upper bank, one program renamed, saved as.
    << "choose Request Patch Data/All Programs from CARD " << kFetchedBank << " (RAM)\n"
    << At("click", p.bankMenu) << "wait-param " << kBankEditUnsaved << " 1 120000\n"
    << "choose Rename\n"
    << At("right-click", p.row) << Retype(p.renameField, kNewName) << "save-path " << savedPath << "\n"
    << "choose Save As.../Tavro Format (*.nl2) (with names)\n"
    << At("click", p.bankMenu) << "wait-param " << kBankEditUnsaved << " 0 10000\n"
    << At("click", p.searchButton)
    << Retype(p.searchField, kSearchText)
    // Step 6: what the search found to slot D (only the renamed program has its
    // data), then the upper bank, selected again, into the unit's RAM 0.
    << At("click", p.slotD) << "expect-param " << kQuickTab << " 3\n"
    << At("double-click", p.firstResult) << "wait-idle 60000\n"
    << At("click", p.row) << "choose Store Patch Data/All Current Programs to RAM 0 (A)\n"
    << At("click", p.bankMenu)
    // 40 programs, each followed by two sync-timer pauses of 200 ms: about 17 s.
    << "wait-idle 120000\n";
  return s.str();
}

// Each SysEx message of a raw bank file as mido reads it, as upper-case hex bytes.
std::vector<std::string> MidoMessages(const std::string& path, std::string* output) {
  const int status = RunProgram(
      {"/usr/bin/python3", "-c", "import sys, mido\nfor m in mido.read_syx_file(sys.argv[1]): print(m.hex())", path},
      output);
  std::vector<std::string> lines;
  if (status != 0) return lines;
  std::istringstream stream(*output);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string hex;
  char byte[4];
  for (uint8_t b : bytes) {
    std::snprintf(byte, sizeof byte, "%02X ", b);
    hex += byte;
  }
  return hex;
}
// A dump's data bytes in hex: a failure shows where they differ.
std::string DataOf(const std::vector<uint8_t>& dump) {
  if (dump.size() < kDataStart + kDataSize) return "";
  return Hex({dump.begin() + kDataStart, dump.begin() + kDataStart + kDataSize});
}

// The unit's memory file: its dumps by type and number.
std::map<std::pair<int, int>, std::vector<uint8_t>> MemoryByPlace(const std::string& path) {
  std::map<std::pair<int, int>, std::vector<uint8_t>> places;
  for (const std::string& line : SimProcess::Lines(path)) {
    const std::vector<uint8_t> dump = RecordBytes(line);
    if (dump.size() > kDataStart) places[{dump[4], dump[5]}] = dump;
  }
  return places;
}

}  // namespace

void EveningLibrarian(Evening& evening) {
  const EveningPoints points = ReadEveningPoints();
  ASSERT_GE(points.slotD.x, 0);
  ASSERT_GE(points.searchField.x, 0);
  // The unit again, writing its memory out when it ends.
  const std::string memory = evening.data().root() + "/unit-memory.txt";
  evening.StopUnit();
  ASSERT_TRUE(evening.StartUnit({"--memory-out", memory}));
  // A bank of the musician's own in the upper pane, to take the fetched one.
  std::filesystem::create_directories(evening.data().folder() + "Patches");
  evening.data().write("Patches/Evening Start.syx", ProgramBank("Start "));
  const std::string saved = evening.data().folder() + "Patches/Evening Bank 2.nl2";

  std::string output;
  const int status = evening.Run("librarian.txt", Script(points, saved), &output);
  // The exit status also covers the host's state round trip, whose stored port list
  // positions follow the ports JACK lists at the time: the script's end is this stage's.
  EXPECT_NE(output.find("librarian.txt done"), std::string::npos) << "exit " << status << ": " << output;
  for (const char* fault : {"tavro-host: panel:", "AddressSanitizer", "runtime error:"})
    EXPECT_EQ(output.find(fault), std::string::npos) << "exit " << status << ": " << output;

  // The file holds the unit's bank 2, one program renamed, and mido reads it.
  std::string midoOutput;
  const std::vector<std::string> messages = MidoMessages(saved, &midoOutput);
  ASSERT_EQ(messages.size(), size_t(kProgramBankSize)) << midoOutput;
  std::vector<std::vector<uint8_t>> file;
  for (int n = 0; n < kProgramBankSize; ++n) {
    file.push_back(RecordBytes(messages[size_t(n)]));
    EXPECT_EQ(DataOf(file.back()), Hex(SynthSimStoredProgramData(kFetchedBank, n))) << n;
  }
  const std::vector<uint8_t> renamed = file[kRow];
  ASSERT_EQ(renamed.size(), 149u);
  EXPECT_EQ(std::string(renamed.begin() + 138, renamed.begin() + 148), kNewName);

  // The unit's memory: slot D holds the renamed program the search found, RAM 0 the
  // file's first 40 programs and the unit's own after them.
  evening.StopUnit();
  auto places = MemoryByPlace(memory);
  EXPECT_EQ(DataOf(places[{0, 3}]), DataOf(renamed)) << "slot D";
  for (int n = 0; n < kProgramBankSize; ++n) {
    const std::string expected = n < kStoredPrograms ? DataOf(file[size_t(n)]) : Hex(SynthSimStoredProgramData(0, n));
    EXPECT_EQ(DataOf(places[{1, n}]), expected) << "RAM 0 program " << n;
  }
  ASSERT_TRUE(evening.StartUnit());
}
