#include "librarian/panel/SlotMenus.h"

#include "librarian/panel/LibrarianPanelEditor.h"
#include "librarian/panel/LibrarianViewControl.h"

namespace {
enum EditItem { kPaste = 0, kRename = 2, kInitialize = 4 };
}  // namespace

FileEditPopupMenu::FileEditPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianPanelEditor* editor)
    : LibrarianMenuControl(plug, librarian, rect, editor) {
  AddMenuItemsIn();
}

void FileEditPopupMenu::AddMenuItemsIn() {
  main_ = std::make_unique<IPopupMenu>();
  request_ = std::make_unique<IPopupMenu>();
  const bool performances = editor_->isLibrarianPerformanceMode();
  main_->AddItem("Paste", -1, 0);
  main_->AddSeparator(-1);
  main_->AddItem("Rename", -1, 0);
  main_->AddSeparator(-1);
  main_->AddItem("Initialize", -1, 0);
  if (performances) {
    request_->AddItem("from Temp Buffer to Librarian", -1, 0);
  } else {
    static const char* const kTempItems[] = {"Temp from HW Slot A", "Temp from HW Slot B", "Temp from HW Slot C",
                                             "Temp from HW Slot D"};
    const int slot = editor_->activeSlot();
    request_->AddItem(slot >= 0 && slot < 4 ? kTempItems[slot] : "", -1, 0);
  }
  request_->AddItem("from HW by Selected Slot Number", -1, 0);
  main_->AddItem(performances ? "Request Performance Data" : "Request Patch Data", request_.get());
}

void FileEditPopupMenu::doPopupMenu(int x, int y) {
  IPopupMenu* chosen = popUp(*main_, mRECT);
  const int item = chosen ? chosen->GetChosenItemIdx() : -1;
  const bool performances = editor_->isLibrarianPerformanceMode();
  LibrarianViewControl* view = editor_->librarianView();
  if (chosen == main_.get()) {
    if (item == kPaste && view) view->PasteSlotData(x, y);
    if (item == kRename && view) view->renameSlot(x, y);
    if (item == kInitialize) editor_->startTransferJob(TransferJob{performances ? 10 : 11, 0, 0, 0, true});
  } else if (chosen == request_.get()) {
    if (!performances && (item == 0 || item == 1)) editor_->sendSinglePatchRequestSysexFromLibrarian(item == 0, 0);
    if (performances && item == 0) editor_->startTransferJob(TransferJob{4, 0, 0, 0, false});
    if (performances && item == 1) {
      editor_->armPerformanceReceiver();
      editor_->startTransferJob(TransferJob{6, 0, 0, 0, false});
    }
  }
  main_->CheckItemAlone(-1);
  request_->CheckItemAlone(-1);
}

void FileEditPopupMenu::OnMouseDown(int x, int y, IMouseMod*) {
  doPopupMenu(x, y);
  redrawSelf();
}

FileCopyPopupMenu::FileCopyPopupMenu(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianPanelEditor* editor)
    : LibrarianMenuControl(plug, librarian, rect, editor) {
  main_.AddItem("Copy", -1, 0);
}

void FileCopyPopupMenu::doPopupMenu(int x, int y) {
  IPopupMenu* chosen = popUp(main_, mRECT);
  if (chosen == &main_ && chosen->GetChosenItemIdx() == 0)
    if (LibrarianViewControl* view = editor_->librarianView()) view->CopySlotData(x, y);
  main_.CheckItemAlone(-1);
}

void FileCopyPopupMenu::OnMouseDown(int x, int y, IMouseMod*) {
  doPopupMenu(x, y);
  redrawSelf();
}

void RunFileEditMenu(IModuleBase* plug, PatchLibrarian* librarian, LibrarianPanelEditor* editor, int x, int y) {
  FileEditPopupMenu menu(plug, librarian, IRECT(x, y, x, y), editor);
  menu.doPopupMenu(x, y);
}

void RunFileCopyMenu(IModuleBase* plug, PatchLibrarian* librarian, LibrarianPanelEditor* editor, int x, int y) {
  FileCopyPopupMenu menu(plug, librarian, IRECT(x, y, x, y), editor);
  menu.doPopupMenu(x, y);
}
