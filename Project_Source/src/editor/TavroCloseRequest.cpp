// The window's close button with unsaved librarian changes: the editor's own
// message box (Yes saves, No discards, Cancel keeps the window).

#include "IGraphicsMac.h"
#include "Tavro.h"
#include "TavroLibrarianPanel.h"
#include "TavroParams.h"
#include "librarian/panel/BankEditPopupMenu.h"

namespace {

// The message box's answers (type 3: Yes, No, Cancel).
constexpr int kYesNoCancel = 3;
constexpr int kYes = 1;
constexpr int kNo = 7;

}  // namespace

bool Tavro::OnGUICloseRequest() {
  if (paramValue(TavroParam::kBankEditUnsaved) != 1.0 || !graphics || !librarian) return true;
  switch (graphics->ShowMessageBox(kUnsavedOnCloseText, kUnsavedOnCloseCaption, kYesNoCancel)) {
    case kYes:
      // A bank that could not be written keeps the window, its reason on the status line.
      return SaveUpperBankInPlace(*librarian, librarianPanel());
    case kNo:
      librarianPanel().discardLibrarianChanges();
      return true;
    default:
      return false;
  }
}
