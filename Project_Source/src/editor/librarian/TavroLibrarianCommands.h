#pragma once
// The librarian and program-selection commands, one function per command; the
// table in TavroLibrarianCommands.cpp routes the parameters to them.
//
// threads: main (under the plug-in mutex, as the parameter road).

#include <functional>
#include <string>

#include "editor/Tavro.h"

class FolderPopupMenu;

namespace librarian_commands {

using Result = Tavro::CommandResult;

// Before the read-out.
Result bankStep(Tavro& plug, int paramIdx, double value);
Result keepBank(Tavro& plug, int paramIdx, double value);
Result search(Tavro& plug, int paramIdx, double value);
Result searchButton(Tavro& plug, int paramIdx, double value);
// After the read-out.
Result rename(Tavro& plug, int paramIdx, double value);
Result patchType(Tavro& plug, int paramIdx, double value);
Result libraryControl(Tavro& plug, int paramIdx, double value);
Result discard(Tavro& plug, int paramIdx, double value);
Result refresh(Tavro& plug, int paramIdx, double value);
// Reads the data folder again, ending a search; each pane keeps its bank when it is
// still there. Unsaved changes are the caller's.
void rescan(Tavro& plug);
Result overwrite(Tavro& plug, int paramIdx, double value);
Result syncFromHardware(Tavro& plug, int paramIdx, double value);
Result syncToHardware(Tavro& plug, int paramIdx, double value);
// TavroLibrarianSelectors.cpp
Result programSelector(Tavro& plug, int paramIdx, double value);
Result bankSelector(Tavro& plug, int paramIdx, double value);
Result programStep(Tavro& plug, int paramIdx, double value);
// The hardware selector menus' choice for the active slot, or the performance in
// performance mode: sent as the selectors send it, shown and requested back. False
// when the program change could not be sent.
bool chooseOnUnit(Tavro& plug, int bank, int program);

// The librarian menu at `index` (LibrarianMenuIndex) as its type, null when absent.
template <class Menu>
Menu* menuAt(Tavro& plug, int index) {
  return dynamic_cast<Menu*>(plug.keptControls().librarianMenus[size_t(index)]);
}

// Shows bank `index` of a pane's list (0 the upper, 1 the lower) as a bank step does.
void showPaneBank(Tavro& plug, int side, int index);
// Shows the bank of the pane's list with the pair's file name and folder key (its path
// from the bank folder) in that pane; false when the list has none.
bool showPaneBankOf(Tavro& plug, int side, const CurrentFilePair& pair);
// Runs `change`, which reads the folders again or switches the lists and so leaves the
// panes on their lists' first banks, then shows each pane's bank of the mode again
// (of both kinds, as they were before); a bank gone leaves its pane on the first.
void keepPanesOnTheirBanks(Tavro& plug, const std::function<void()>& change);
// Ends a search: the field empties, the kind switches work again, the lower pane shows its bank.
void endSearch(Tavro& plug);
// The word of the search the lower pane shows and its result bank; no word when none.
struct SearchShown {
  std::string word;
  CurrentFilePair resultBank;
};
SearchShown shownSearch(Tavro& plug);
// Finds the word again (in the banks as read now) and shows the same result bank,
// when it is still there; nothing without a word.
void searchAgain(Tavro& plug, const SearchShown& shown);
// Writes a parameter clamped into its range and shows it on its controls.
void writeParam(Tavro& plug, int paramIdx, double value);

}  // namespace librarian_commands
