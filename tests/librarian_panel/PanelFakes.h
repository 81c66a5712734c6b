#pragma once
// What the librarian panel tests share: an editor that records what the list and
// menus ask of it (and stores delivered dumps as the real receiving end does), a
// headless surface whose popups are answered by item paths, and libraries made in
// memory.

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Framework/IMidiMsg.h"
#include "PanelTestSupport.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/LibrarianPanelEditor.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "librarian/panel/SlotMenus.h"

// Popups answered by index paths (sub-menu item, then item); every shown menu is
// recorded with its items, sub-menu items as "parent/child".
class MenuSurface : public HeadlessSurface {
public:
  using HeadlessSurface::HeadlessSurface;

  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT*) override {
    shown.push_back(Titles(*menu, ""));
    if (paths.empty()) return nullptr;
    const std::vector<int> path = paths.front();
    paths.pop_front();
    IPopupMenu* holder = menu;
    for (size_t i = 0; i + 1 < path.size() && holder; ++i)
      holder = holder->GetItem(path[i]) ? holder->GetItem(path[i])->GetSubmenu() : nullptr;
    if (path.empty() || !holder || !holder->GetItem(path.back()) || !holder->GetItem(path.back())->GetEnabled())
      return nullptr;
    holder->SetChosenItemIdx(path.back());
    return holder;
  }

  static std::vector<std::string> Titles(const IPopupMenu& menu, const std::string& parent) {
    std::vector<std::string> out;
    for (int i = 0; i < menu.GetNItems(); ++i) {
      const std::string text = parent + menu.GetItemText(i);
      out.push_back(text);
      if (IPopupMenu* sub = menu.GetItem(i)->GetSubmenu())
        for (const std::string& t : Titles(*sub, text + "/")) out.push_back(t);
    }
    return out;
  }

  std::deque<std::vector<int>> paths;
  std::vector<std::vector<std::string>> shown;
};

// A 149-byte program dump named `name` (cut or padded to ten bytes).
inline PatchSysexMessage ProgramDump(const std::string& name, int seed = 0) {
  PatchSysexMessage m;
  m.bytes = {0xF0, 0x33, 0x00, 0x04, 0x00, 0x00};
  for (int i = 6; i < 138; ++i) m.bytes.push_back(uint8_t((seed * 7 + i * 13) % 128));
  std::string field = name.substr(0, 10);
  field.resize(10, ' ');
  m.bytes.insert(m.bytes.end(), field.begin(), field.end());
  m.bytes.push_back(0xF7);
  return m;
}

inline LibrarianPatch Program(const std::string& name, int seed = 0) {
  return LibrarianPatch{name, {ProgramDump(name, seed)}};
}

// A bank in the folder chain (root first), with one named program per name.
inline std::unique_ptr<PatchFile> Bank(const std::string& fileName, const std::vector<std::string>& chain,
                                       const std::vector<std::string>& names, int type = 0) {
  auto bank = std::make_unique<PatchFile>();
  bank->type = type;
  bank->fileName = fileName;
  bank->folderChain = chain;
  bank->folderName = chain.back();
  for (size_t i = 0; i < names.size(); ++i) bank->patches.push_back(Program(names[i], int(i)));
  return bank;
}

// Adds banks to the librarian's lists and trees as a scan would.
inline void AddBanks(PatchLibrarian& librarian, std::vector<std::unique_ptr<PatchFile>> banks) {
  librarian.modify([&](PatchLibrary& library) {
    for (auto& bank : banks) {
      PatchFile* record = bank.get();
      library.filesOfType(record->type).push_back(std::move(bank));
      if (record->type == 0)
        library.createSingleFolderFilesStructure(record);
      else
        library.createMultiFolderFilesStructure(record);
    }
  });
}

class FakePanelEditor : public PanelPlug, public LibrarianPanelEditor, public LibrarianEditor {
public:
  static constexpr int kParams = 800;

  FakePanelEditor() : PanelPlug(kParams) {
    for (int i = 0; i < kParams; ++i) GetParam(i)->InitInt("p", 0, 0, 127);
    for (int s = 0; s < 4; ++s) GetParam(TavroParam::kPartMidiChannel + s)->InitInt("channel", 1, 1, 16);
    GetParam(TavroParam::kPatchSelectionListUpper)->InitInt("upper", 0, 0, 2000);
    GetParam(TavroParam::kPatchSelectionListLower)->InitInt("lower", 0, 0, 2000);
    GetParam(TavroParam::kDeviceOutSelection)->InitInt("out", 1, 0, 8);
    surface = new MenuSurface(this, 1200, 800);
    AttachGraphics(surface);
  }

  // LibrarianEditor
  std::string getDataFolder() const override { return "/tmp/"; }
  bool isLogEnabled() const override { return false; }
  void printDebugInfo(const std::string&) override {}
  bool isLibrarianPerformanceMode() const override { return performanceMode; }
  CurrentFilePair getLeftCurrentFile(bool performance) const override { return pairs[0][performance]; }
  void setLeftCurrentFile(bool performance, const CurrentFilePair& pair) override { pairs[0][performance] = pair; }
  std::string promptForSaveFile(const std::string&, const std::string&, const std::string&, const SaveRefusal&,
                                std::string*) override {
    return saveAnswer;
  }

  // LibrarianPanelEditor
  bool isLibraryMode() const override { return libraryMode; }
  bool isSearchMode() const override { return searchMode; }
  bool isLibrarianShown() const override { return true; }
  int hardwareModel() const override { return model; }
  int activeSlot() const override { return slot; }
  CurrentFilePair getCurrentFile(int pane, bool performance) const override { return pairs[pane][performance]; }
  void setCurrentFile(int pane, bool performance, const CurrentFilePair& pair) override {
    pairs[pane][performance] = pair;
  }
  void setRenameInactive(bool inactive) override { renameInactive = inactive; }
  void hideLayer(const char* name, bool hide) override { record(std::string(hide ? "hide " : "show ") + name); }
  void openRenameEntry() override { record("rename entry"); }
  void grayLayer(const char* name, bool grey) override { greyed = grey; }
  void setStatusText(const std::string& text) override { status.push_back(text); }
  bool mayChangeShownBank(bool) override {
    if (GetParam(TavroParam::kBankEditUnsaved)->Int() != 1) return true;
    status.push_back(kSaveOrDiscardText);
    return false;
  }
  void showFileEditMenu(int x, int y) override {
    record("edit menu");
    RunFileEditMenu(this, librarian, this, x, y);
  }
  void showFileCopyMenu(int x, int y) override {
    record("copy menu");
    RunFileCopyMenu(this, librarian, this, x, y);
  }
  void updateBankAndProgramMenuNames(bool programs) override { record(programs ? "names programs" : "names perfs"); }
  LibrarianViewControl* librarianView() override { return view; }
  void sendPatchToDeviceFromLibrarian(int row, int side) override {
    record("send " + std::to_string(row) + " " + std::to_string(side));
  }
  void SetLibrarianRequestActive(bool) override {}
  void SetLibrarianStatusUnsaved(bool unsaved) override { this->unsaved = unsaved; }
  // The receiving end: the dump goes into the librarian's selected slot.
  void ProcessLibrarianSysEx(const ISysEx* sysex) override {
    LibrarianPatch patch;
    patch.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(sysex->mData, sysex->mData + sysex->mSize)});
    if (sysex->mSize >= 149) patch.name.assign(sysex->mData + 138, sysex->mData + 148);
    librarian->setSysexDatatoSelectedSlot(&patch);
  }
  bool chooseOnUnit(int bank, int program) override {
    record("choose on unit " + std::to_string(bank) + " " + std::to_string(program));
    return true;
  }
  void BankChangeMessage(int msb, int lsb, int channel, int program) override {
    record("bank change " + std::to_string(msb) + " " + std::to_string(lsb) + " " + std::to_string(channel) + " " +
           std::to_string(program));
  }
  bool startTransferJob(const TransferJob& job) override {
    record("job " + std::to_string(job.code) + " slot " + std::to_string(job.slot) + " flag " +
           std::to_string(job.flag) + " bank " + std::to_string(job.bank) + (job.markTransfer ? " transfer" : "") +
           (job.keepWhenBusy ? " kept when busy" : ""));
    return true;
  }
  void armPerformanceReceiver() override { record("arm"); }
  void sendSinglePatchRequestSysexFromLibrarian(bool active, int bank) override {
    record("single request " + std::to_string(active));
  }
  void sendAllPatchRequestSysexFromLibrarian(int bank) override { record("all request " + std::to_string(bank)); }
  void SendSingleProgramFromLibrarian() override { record("store single"); }
  void SendAllProgramsFromLibrarian(int bank) override { record("store programs " + std::to_string(bank)); }
  void storeAllPatchesToDeviceFromLibrarian(int side, int bank) override {
    record("store perfs " + std::to_string(side) + " " + std::to_string(bank));
  }
  void refreshFolders() override { record("refresh"); }
  void discardLibrarianChanges() override { record("discard"); }
  bool saveImportedFile(bool midi) override {
    record(std::string("import ") + (midi ? "mid" : "syx"));
    return true;
  }
  void OpenDataDirectory(bool manual) override { record("data folder"); }
  void OpenHelpTopics(int topic) override { record("help " + std::to_string(topic)); }

  void record(const std::string& call) { calls.push_back(call); }
  // The calls since the last look, then forgets them.
  std::vector<std::string> takeCalls() { return std::exchange(calls, {}); }

  MenuSurface* surface;
  PatchLibrarian* librarian = nullptr;
  LibrarianViewControl* view = nullptr;
  bool performanceMode = false, libraryMode = false, searchMode = false;
  int model = 2, slot = 0;
  bool renameInactive = true, greyed = false, unsaved = false;
  CurrentFilePair pairs[2][2];
  std::string saveAnswer;
  std::vector<std::string> status;
  std::vector<std::string> calls;
};

// An editor with its librarian and the list attached to its panel at `scale`.
struct PanelRig {
  explicit PanelRig(double scale = 1.0, int x = 10, int y = 20) : librarian(&editor) {
    editor.librarian = &librarian;
    editor.surface->images["librarian"] = [] { return MakeFilled(900, 620, IColor(255, 10, 20, 40)); };
    IBitmap background = editor.surface->LoadIBitmap(5000, "librarian", scale);
    editor.view = static_cast<LibrarianViewControl*>(
        CreateLibrarianViewControl(&editor, x, y, TavroParam::kLibrarianArea, &background, IRECT(), &librarian, scale));
    editor.surface->AttachControl(editor.view);
  }
  // Panel events at a row's centre.
  IRECT rowRect(int side, int i) const { return editor.view->row(side, i)->GetRECT(); }
  void press(int side, int i, IMouseMod mod = IMouseMod(true)) {
    const IRECT r = rowRect(side, i);
    editor.surface->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
    editor.surface->OnMouseUp((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
  }

  FakePanelEditor editor;
  PatchLibrarian librarian;
};
