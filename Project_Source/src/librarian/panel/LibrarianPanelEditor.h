#pragma once
// What the librarian's list and menus read of and ask of the editor. The editor
// implements it (beside IModuleBase, so the list finds it from its plug); tests use
// a fake that records the calls.
//
// threads: main (unless a function says otherwise).

#include <string>

#include "librarian/LibrarianEditor.h"
#include "librarian/TavroParams.h"

struct ISysEx;
class LibrarianViewControl;

// A job of the hardware-messaging worker, with the arguments the menus give it.
struct TransferJob {
  int code = 0;
  int slot = 0;               // part slot (job 5)
  int flag = 0;               // the job's flag argument
  int bank = 0;               // bank (jobs 6, 7)
  bool markTransfer = false;  // set the transfer-in-progress flag first
  bool keepWhenBusy = false;  // a request into the panel: run once a running transfer ends
  const char* sentText = "";  // job 0: said once what it sent has gone out
};

class LibrarianPanelEditor {
public:
  virtual ~LibrarianPanelEditor() = default;

  // What a step away from the upper bank says while it has unsaved changes.
  static constexpr const char* kSaveOrDiscardText = "Save bank or Discard changes!";

  // --- State read by the menus ---
  virtual bool isLibrarianPerformanceMode() const = 0;
  // kControlLibrary on: the selectors work on librarian banks.
  virtual bool isLibraryMode() const = 0;
  // The lower pane shows search results.
  virtual bool isSearchMode() const = 0;
  virtual bool isLibrarianShown() const = 0;
  virtual int hardwareModel() const = 0;
  virtual int activeSlot() const = 0;
  // The current-file pair of the left (pane 0) or right (pane 1) pane per kind.
  virtual CurrentFilePair getCurrentFile(int pane, bool performance) const = 0;
  virtual void setCurrentFile(int pane, bool performance, const CurrentFilePair& pair) = 0;

  // The one gate of every change of the bank the upper pane shows (the bank a Save
  // writes) and of every reading of the banks from disk: over unsaved changes it asks
  // as Refresh asks (save, discard, cancel) when `ask`, else (or with no window to ask
  // in) it refuses with kSaveOrDiscardText. True when nothing unsaved is left to lose.
  virtual bool mayChangeShownBank(bool ask) = 0;

  // --- Panel ---
  // The rename lock: true while committed texts of kPatchRename rename nothing.
  virtual void setRenameInactive(bool inactive) = 0;
  virtual void hideLayer(const char* name, bool hide) = 0;
  // Opens the text entry of the rename box ("New Name"), so that typing goes there at once.
  virtual void openRenameEntry() = 0;
  virtual void grayLayer(const char* name, bool grey) = 0;
  // Status line text; threads: any.
  virtual void setStatusText(const std::string& text) = 0;
  virtual void showFileEditMenu(int x, int y) = 0;
  virtual void showFileCopyMenu(int x, int y) = 0;
  virtual void updateBankAndProgramMenuNames(bool programs) = 0;
  // The list made by the "patchBrowser" element, null before the panel is built.
  virtual LibrarianViewControl* librarianView() = 0;

  // --- Roads to the synthesizer ---
  virtual void sendPatchToDeviceFromLibrarian(int row, int side) = 0;
  virtual void SetLibrarianRequestActive(bool active) = 0;
  virtual void SetLibrarianStatusUnsaved(bool unsaved) = 0;
  // A message as if the synthesizer had sent it (the editor's ProcessSysEx with its
  // librarian flag; named apart so it does not hide IModuleBase's).
  virtual void ProcessLibrarianSysEx(const ISysEx* sysex) = 0;
  virtual void BankChangeMessage(int msb, int lsb, int channel, int program) = 0;
  // A bank and program chosen on the unit's selector menus: the active slot's program,
  // or in performance mode the performance, sent, shown on the read-outs and requested
  // back into the panel (once a running transfer ends). False when the program change
  // could not be sent: the read-outs stay.
  virtual bool chooseOnUnit(int bank, int program) = 0;
  // False when the worker's first thread is busy: nothing is started, unless the job
  // is to be kept, which then runs when the thread is free.
  virtual bool startTransferJob(const TransferJob& job) = 0;
  // Empties and arms the performance receiver, clears the data-processed flag.
  virtual void armPerformanceReceiver() = 0;
  virtual void sendSinglePatchRequestSysexFromLibrarian(bool activeSlot, int bank) = 0;
  virtual void sendAllPatchRequestSysexFromLibrarian(int bank) = 0;
  virtual void SendSingleProgramFromLibrarian() = 0;
  virtual void SendAllProgramsFromLibrarian(int bank) = 0;
  virtual void storeAllPatchesToDeviceFromLibrarian(int side, int bank) = 0;

  // --- Files ---
  // Rescans the data folder and refreshes the menus (kRefreshFolders).
  virtual void refreshFolders() = 0;
  // The Discard road: clears the unsaved state and reloads the library from disk; the
  // upper pane then shows its current file again (a save names the bank it wrote).
  virtual void discardLibrarianChanges() = 0;
  // Imports a bank chosen by the user and reads the folders again, unsaved changes of
  // the upper bank settled first (asked about, or refused); true when one was copied in.
  virtual bool saveImportedFile(bool midiForm) = 0;
  virtual void OpenDataDirectory(bool manual) = 0;
  // Help pages go through OpenURL (xdg-open under X11).
  virtual void OpenHelpTopics(int topic) = 0;
};
