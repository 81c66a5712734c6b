// Unsaved librarian changes before something would throw them away (closing the
// window, reading the folders again, switching the kind): the editor's own message
// box (Yes saves, No discards, Cancel or no answer keeps them and stops what was asked).
// A close that cannot ask keeps them in a new file instead.

#include <cstdio>
#include <string>

#include "Framework/IGraphicsMac.h"
#include "editor/Tavro.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/BankEditPopupMenu.h"

namespace {

// The message box's answers (type 3: Yes, No, Cancel).
constexpr int kYesNoCancel = 3;
constexpr int kYes = 1;
constexpr int kNo = 7;

bool UpperBankUnsaved(const Tavro& plug) {
  return plug.paramValue(TavroParam::kBankEditUnsaved) == 1.0 && plug.librarian;
}

}  // namespace

bool Tavro::settleUnsavedBank(const char* question) {
  if (!UpperBankUnsaved(*this)) return true;
  if (!graphics || !graphics->WindowIsOpen()) {
    // Nobody to ask: the bank stays as it is.
    showStatus(kSaveOrDiscardText);
    return false;
  }
  switch (graphics->ShowMessageBox(question, kUnsavedCaption, kYesNoCancel)) {
    case kYes:
      // A bank that could not be written stays unsaved, its reason on the status line.
      return SaveUpperBankInPlace(*librarian, librarianPanel());
    case kNo: librarianPanel().discardLibrarianChanges(); return true;
    default:
      // Cancelled, or nobody answered: what was asked is not done, and the line says why.
      showStatus(kSaveOrDiscardText);
      return false;
  }
}

void Tavro::keepUnsavedBankUnasked() {
  if (!UpperBankUnsaved(*this)) return;
  std::string keptAt, error;
  const std::string line =
      librarian->keepUnsavedBank(&keptAt, &error)
          ? "Closed with unsaved bank changes: kept in \"" + keptAt + "\"; the bank file is unchanged"
          : "Closed with unsaved bank changes: lost, they could not be kept (" + error + ")";
  std::fprintf(stderr, "Tavro Editor: %s\n", line.c_str());
  printDebugInfo("LIBRARIAN: " + line);
}

bool Tavro::mayChangeShownBank(bool ask) {
  if (ask) return settleUnsavedBank(kUnsavedOnRefreshText);
  if (!UpperBankUnsaved(*this)) return true;
  showStatus(kSaveOrDiscardText);
  return false;
}

bool Tavro::OnGUICloseRequest() { return settleUnsavedBank(kUnsavedOnCloseText); }

void Tavro::OnGrayedControlClicked(int paramIdx) {
  if (paramIdx != TavroParam::kDatatype && paramIdx != TavroParam::kDatamode) return;
  // Asked as Refresh asks: once settled the switch is greyed no more and takes the press.
  if (paramValue(TavroParam::kBankEditUnsaved) == 1.0)
    mayChangeShownBank(true);
  else if (panelMode().searchResultsShown)
    showStatus(kCloseSearchFirstText);
}
