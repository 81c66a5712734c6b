#pragma once
// The editor with a "Patches" folder of program banks written beforehand, a fake
// synthesizer port pair, a headless view for the popups, and the virtual clock.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IMidiMsg.h"
#include "Kit_TimeSource.h"
#include "RunProgram.h"
#include "SynthSimPorts.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "views/View_Backend.h"
#include "views/View_Headless.h"

// A 149-byte program dump named `name`; `seed` varies its data bytes.
inline std::vector<uint8_t> NamedProgramDump(const std::string& name, int seed) {
  std::vector<uint8_t> bytes = {0xF0, 0x33, 0x00, 0x04, 0x00, uint8_t(seed % 99)};
  for (int i = 6; i < 138; ++i) bytes.push_back(uint8_t((seed * 7 + i * 13) % 128));
  std::string field = name.substr(0, 10);
  field.resize(10, ' ');
  bytes.insert(bytes.end(), field.begin(), field.end());
  bytes.push_back(0xF7);
  return bytes;
}

// A raw bank of 99 programs named prefix + number.
inline std::string ProgramBank(const std::string& prefix) {
  std::string image;
  for (int p = 0; p < 99; ++p) {
    const std::vector<uint8_t> dump = NamedProgramDump(prefix + std::to_string(p), p);
    image.append(dump.begin(), dump.end());
  }
  return image;
}

// The position of the first message equal to `message` among those sent, or -1.
inline int Find(const std::vector<std::vector<unsigned char>>& sent, const std::vector<unsigned char>& message) {
  for (size_t i = 0; i < sent.size(); ++i)
    if (sent[i] == message) return int(i);
  return -1;
}

inline bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Each SysEx message Debian's python reads with mido from `path`, as hex, in file
// order; nullopt when mido is missing.
inline std::optional<std::vector<std::string>> MidoMessages(const std::string& path, bool midiFile) {
  if (RunProgram({"/usr/bin/python3", "-c", "import mido"}) != 0) return std::nullopt;
  const std::string read = midiFile ? "[m for t in mido.MidiFile(sys.argv[1]).tracks for m in t if m.type == \"sysex\"]"
                                    : "mido.read_syx_file(sys.argv[1])";
  std::vector<std::string> lines;
  std::string all;
  RunProgram({"/usr/bin/python3", "-c",
              "import sys, mido\nfor m in " + read + ": print(m.hex().replace(\" \", \"\").lower())", path},
             &all);
  std::istringstream stream(all);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Relative paths under "Patches" and the name prefix of their programs.
using Banks = std::vector<std::pair<std::string, std::string>>;

struct LibrarianPage {
  static constexpr const char* kSynthIn = "Synth In";

  // With `unit`, the simulated synthesizer's ports are there before the editor lists
  // its ports; plugIn() opens them. `uiSettings` is the UI settings file's text.
  explicit LibrarianPage(const Banks& banks = Banks{{"Bank A.syx", "A"}},
                         std::optional<SynthSimSettings> unit = std::nullopt, const std::string& uiSettings = "") {
    Kit_SetTimeSource(&clock);
    RegisterBuiltBundle();
    if (!uiSettings.empty()) data.write("Tavro Editor UI.txt", uiSettings);
    for (const auto& [path, prefix] : banks) write("Patches/" + path, ProgramBank(prefix));
    ports = std::make_shared<MidiPortFake>();
    ports->AddWritablePort(kSynthIn);
    if (unit) {
      scheduler = std::make_unique<SynthSimVirtualScheduler>(clock);
      synth = std::make_unique<SynthSimPorts>(*ports, *scheduler, *unit);
      synth->Open();
    }
    start();
  }
  ~LibrarianPage() {
    plug->graphics->CloseWindow();
    plug.reset();
    synth.reset();
    Kit_SetTimeSource(nullptr);
  }

  // A new editor on the same data folder and ports, its window open on the librarian page.
  void start() {
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    plug = std::make_unique<Tavro>(info, ports);
    auto* hostable = static_cast<ViewHostable*>(plug->graphics->OpenWindow(nullptr));
    hostable->AttachToBackend(&backend);
    // The librarian page, as its tab shows it.
    plug->GetParam(kShowLibrarian)->Set(1.0);
    plug->tabSwitch.mainTabSwitch(plug.get(), 1, plug->unitLink().nordModel, plug->panelMode().activeSlot);
  }
  // The editor closed and started again, as the host does between sessions.
  void restart() {
    plug->graphics->CloseWindow();
    plug.reset();
    start();
  }

  // Writes a file of the data folder, making its folders.
  void write(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(data.folder() + path.substr(0, path.rfind('/')));
    data.write(path, bytes);
  }

  // A file outside the data folder, picked in the next file prompt.
  std::string offer(const std::string& name, const std::string& bytes) {
    const std::string path = data.root() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    backend.ScriptFilePromptAnswer(path);
    return path;
  }
  // Renames upper row `row` as the rename box does when its text is committed.
  void renameRow(int row, const std::string& name) {
    plug->setRenameInactive(false);
    list().selectedUpper = row;
    plug->GetParam(kPatchRename)->SetDisplayText(0, name.c_str());
    plug->runLibrarianCommand(kPatchRename, 0.0, false);
  }

  // Opens the synthesizer's input port, as choosing it in the panel does.
  void connect() {
    int index = 1;
    ASSERT_GT(plug->setExternalMIDIOut(index, kSynthIn), 0);
    plug->GetParam(kDeviceOutSelection)->Set(index);
    plug->setMidiIOSet(true);
  }
  // Opens the simulator's ports in the editor and addresses the unit.
  void plugIn() {
    int in = 1, out = 1;
    ASSERT_GT(plug->setExternalMIDIIn(in, synth->MidiOutName().c_str()), 0);
    ASSERT_GT(plug->setExternalMIDIOut(out, synth->MidiInName().c_str()), 0);
    plug->GetParam(kDeviceOutSelection)->Set(out);
    plug->setPanelDeviceId(synth->Sim().Settings().deviceId);
    plug->setMidiIOSet(true);
  }
  std::vector<std::vector<unsigned char>> sent() const { return ports->Sent(kSynthIn); }

  LibrarianViewControl& list() { return *plug->librarianList(); }
  // The centre of row `i` of the upper (0) or lower (1) pane, panel pixels.
  std::pair<int, int> rowCentre(int side, int i) {
    const IRECT r = list().row(side, i)->GetRECT();
    return {(r.L + r.R) / 2, (r.T + r.B) / 2};
  }
  void click(int side, int i, IMouseMod mod = IMouseMod(true)) {
    const auto [x, y] = rowCentre(side, i);
    plug->graphics->OnMouseDown(x, y, &mod);
    plug->graphics->OnMouseUp(x, y, &mod);
  }
  // Clicks the menu control of a librarian menu layer (shown first).
  void clickMenu(const std::string& layerName, int index) {
    plug->showLayer(layerName, true);
    const IRECT r = plug->keptControls().librarianMenus[size_t(index)]->GetRECT();
    IMouseMod mod(true);
    plug->graphics->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
  }
  // Chooses the bank menu's item of that title ("parent/child" in a submenu).
  void chooseInBankMenu(const std::string& item) {
    backend.ScriptPopupChoiceText(item);
    clickMenu("BANKEDITMENU", kBankEditMenu);
  }
  Tavro::CommandResult command(int paramIdx, double value, bool beforeReadout) {
    plug->GetParam(paramIdx)->Set(value);
    return plug->runLibrarianCommand(paramIdx, value, beforeReadout);
  }
  // A row's name without the spaces that pad it to ten characters.
  std::string rowText(int side, int i) {
    std::string text = list().row(side, i)->GetTextString();
    return text.erase(text.find_last_not_of(' ') + 1);
  }
  std::string status() const { return plug->keptControls().statusText->GetTextString(); }
  // The librarian page's own status line; "(none)" when the layout has none.
  std::string librarianStatus() const {
    return plug->keptControls().librarianStatusText ? plug->keptControls().librarianStatusText->GetTextString()
                                                    : "(none)";
  }

  Kit_VirtualClock clock;
  Kit_VirtualClock::Participant self{clock};
  TempDataRoot data;
  std::shared_ptr<MidiPortFake> ports;
  HeadlessViewBackend backend;
  std::unique_ptr<Tavro> plug;
  std::unique_ptr<SynthSimVirtualScheduler> scheduler;
  std::unique_ptr<SynthSimPorts> synth;
};

// The librarian menu's item saving a bank in Tavro's own format.
constexpr const char* kSaveAsNl2 = "Save As.../Tavro Format (*.nl2) (with names)";

struct Point {
  int x = -1, y = -1;
};
inline Point Centre(const IRECT& r) { return {(r.L + r.R) / 2, (r.T + r.B) / 2}; }

// Where a host script clicks, read from a headless editor: the page's switch, row
// `row` of the upper list and the bank menu; where it reads: the page's status line;
// and the page's switch between programs and performances.
struct PagePoints {
  Point pageSwitch, row, bankMenu, statusLine, dataType;
};
inline PagePoints ReadPagePoints(int row) {
  LibrarianPage page(Banks{});
  PagePoints points;
  IControl* pageSwitch = page.plug->firstControl(kShowLibrarian);
  if (!pageSwitch) return points;
  points.pageSwitch = Centre(pageSwitch->GetRECT());
  points.row = Centre(page.list().row(0, row)->GetRECT());
  points.bankMenu = Centre(page.plug->keptControls().librarianMenus[kBankEditMenu]->GetRECT());
  if (page.plug->keptControls().librarianStatusText)
    points.statusLine = Centre(page.plug->keptControls().librarianStatusText->GetRECT());
  if (IControl* dataType = page.plug->keptControls().datatypeControl) points.dataType = Centre(dataType->GetRECT());
  return points;
}

// The program numbers of the unit's whole-bank requests in the record ("F0 33 id 04 TT NN F7").
inline std::set<std::string> RequestedPrograms(const std::vector<std::string>& record) {
  std::map<std::string, std::set<std::string>> byType;
  for (const std::string& line : record)
    if (line.size() == 20 && line.rfind("F0 33 ", 0) == 0 && line.substr(18) == "F7")
      byType[line.substr(12, 2)].insert(line.substr(15, 2));
  std::set<std::string> most;
  for (const auto& [type, numbers] : byType)
    if (numbers.size() > most.size()) most = numbers;
  return most;
}
