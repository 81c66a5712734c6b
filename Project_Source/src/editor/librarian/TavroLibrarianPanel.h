#pragma once
// The editor as the librarian's list control and menus see it. The list and the ten
// menus are made with this object as their editor; it answers from the editor's
// state and carries their requests to the editor's operations.
//
// threads: main (unless a function says otherwise).

#include "Framework/IGraphicsStructs.h"
#include "librarian/panel/LibrarianPanelEditor.h"

class IControl;
class IModuleBase;
class LibrarianPanelParts;
class PatchLibrarian;
class Tavro;

// The librarian menus in the order of their layers (ids 70-79).
enum LibrarianMenuIndex : int {
  kLeftPatchMenu = 0,
  kRightPatchMenu,
  kLeftPerformanceMenu,
  kRightPerformanceMenu,
  kBankEditMenu,
  kProgramNumberMenu,
  kBankNumberMenu,
  kRightSearchMenu,
  kPerformanceBankNameMenu,
  kProgramBankNameMenu
};

class TavroLibrarianPanel : public LibrarianPanelEditor {
public:
  explicit TavroLibrarianPanel(Tavro& plug) : plug_(plug) {}

  bool isLibrarianPerformanceMode() const override;
  bool isLibraryMode() const override;
  bool isSearchMode() const override;
  bool isLibrarianShown() const override;
  int hardwareModel() const override;
  int activeSlot() const override;
  CurrentFilePair getCurrentFile(int pane, bool performance) const override;
  void setCurrentFile(int pane, bool performance, const CurrentFilePair& pair) override;

  void setRenameInactive(bool inactive) override;
  void hideLayer(const char* name, bool hide) override;
  void openRenameEntry() override;
  void grayLayer(const char* name, bool grey) override;
  // threads: any
  void setStatusText(const std::string& text) override;
  bool mayChangeShownBank(bool ask) override;
  void showFileEditMenu(int x, int y) override;
  void showFileCopyMenu(int x, int y) override;
  void updateBankAndProgramMenuNames(bool keepBankMenu) override;
  LibrarianViewControl* librarianView() override;

  void sendPatchToDeviceFromLibrarian(int row, int side) override;
  // threads: main, worker, midi-in
  void SetLibrarianRequestActive(bool active) override;
  void SetLibrarianStatusUnsaved(bool unsaved) override;
  void ProcessLibrarianSysEx(const ISysEx* sysex) override;
  void BankChangeMessage(int msb, int lsb, int channel, int program) override;
  bool chooseOnUnit(int bank, int program) override;
  bool startTransferJob(const TransferJob& job) override;
  void armPerformanceReceiver() override;
  void sendSinglePatchRequestSysexFromLibrarian(bool activeSlot, int bank) override;
  void sendAllPatchRequestSysexFromLibrarian(int bank) override;
  void SendSingleProgramFromLibrarian() override;
  void SendAllProgramsFromLibrarian(int bank) override;
  void storeAllPatchesToDeviceFromLibrarian(int side, int bank) override;

  void refreshFolders() override;
  void discardLibrarianChanges() override;
  bool saveImportedFile(bool midiForm) override;
  void OpenDataDirectory(bool manual) override;
  void OpenHelpTopics(int topic) override;

private:
  // True with MIDI ports chosen; else says "Set MIDI I/O First!".
  bool portsOrSaySo();

  Tavro& plug_;
};

// The parts the start-up builds the librarian page with.
LibrarianPanelParts* TavroLibrarianPanelParts();

// The list control the layout's "patchBrowser" element makes in the editor's panel.
// threads: main (the layout reading)
IControl* MakeTavroLibrarianView(IModuleBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT bounds,
                                 PatchLibrarian* librarian, double scale);
