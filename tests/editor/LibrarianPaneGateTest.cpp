// Every road that changes what the librarian's panes show, taken over an unsaved
// rename: the rename stays, the road is asked about or refused where it would move
// the upper pane or read the banks again, and the next Save writes the bank shown.
#include <gtest/gtest.h>

#include <functional>

#include "LibrarianPageSupport.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/BankEditPopupMenu.h"

namespace {

using P = TavroParam;

struct GatePage : LibrarianPage {
  GatePage() : LibrarianPage(Banks{{"Abank.nl2", "A"}, {"Bbank.nl2", "B"}}) {}
  void change(int paramIdx, double value) {
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }
  void chooseIn(const char* layer, int menu, const char* item) {
    backend.ScriptPopupChoiceText(item);
    clickMenu(layer, menu);
  }
};

enum class Gate { kPasses, kAsks, kRefuses };

struct Road {
  const char* name;
  Gate gate;
  std::function<void(GatePage&)> take;
};

TEST(LibrarianPaneGate, EveryRoadOverAnUnsavedRenameKeepsItAndTheNextSaveWritesTheBankShown) {
  const Road roads[] = {
      {"upper folder menu", Gate::kRefuses,
       [](GatePage& p) { p.chooseIn("LeftPatchPopupMenu", kLeftPatchMenu, "Bbank.nl2"); }},
      {"bank-file selector in library mode", Gate::kRefuses,
       [](GatePage& p) {
         p.plug->setLibraryControlOn(true);
         p.chooseIn("PROGBANKNAMEMENUPROGRAMS", kProgramBankNameMenu, "Bbank.nl2");
       }},
      {"upper Next", Gate::kRefuses, [](GatePage& p) { p.change(P::kLibUpperNextBank, 1.0); }},
      {"lower Next", Gate::kRefuses, [](GatePage& p) { p.change(P::kLibLowerNextBank, 1.0); }},
      {"lower folder menu", Gate::kPasses,
       [](GatePage& p) { p.chooseIn("RightPatchPopupMenu", kRightPatchMenu, "Bbank.nl2"); }},
      {"kind switch", Gate::kAsks, [](GatePage& p) { p.change(kDatamode, 1.0); }},
      {"greyed kind switch pressed", Gate::kAsks, [](GatePage& p) { p.plug->OnGrayedControlClicked(kDatatype); }},
      {"Refresh", Gate::kAsks, [](GatePage& p) { p.change(P::kRefreshFolders, 1.0); }},
      {"Import", Gate::kAsks,
       [](GatePage& p) {
         p.offer("Picked.syx", ProgramBank("I"));
         p.chooseInBankMenu("Import Bank.../SysEx (*.syx / *.nl2)");
       }},
      // The kind is not part of the song's state: the restore keeps the shown kind.
      {"state restore", Gate::kPasses,
       [](GatePage& p) {
         ByteChunk chunk;
         p.plug->GetParam(kDatatype)->Set(1.0);
         p.plug->SerializeState(&chunk);
         p.plug->GetParam(kDatatype)->Set(0.0);
         p.plug->UnserializeState(&chunk, 0);
       }},
      {"search", Gate::kPasses,
       [](GatePage& p) {
         p.plug->GetParam(P::kPatchSearchString)->SetDisplayText(0, "B1");
         p.plug->OnParamChange(P::kPatchSearchString);
       }},
      {"model switch", Gate::kPasses, [](GatePage& p) { p.change(kNordModel, 2.0); }},
      {"slot change, bank follows the slot", Gate::kPasses,
       [](GatePage& p) {
         p.change(kKeepCurrentBankOpen, 0.0);
         p.change(P::kQuickTab, 2.0);
       }},
      {"program change with library control", Gate::kPasses,
       [](GatePage& p) {
         p.connect();
         p.plug->setLibraryControlOn(true);
         p.change(P::kCurrentProgram, 5.0);
       }},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    GatePage page;
    page.renameRow(1, "Kept1");
    ASSERT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
    // Asked: the user cancels.
    page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
    road.take(page);
    EXPECT_EQ(page.backend.ShownAlerts().size(), road.gate == Gate::kAsks ? 1u : 0u);
    if (road.gate == Gate::kRefuses) {
      EXPECT_EQ(page.status(), "Save bank or Discard changes!");
    }
    EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
    EXPECT_EQ(page.rowText(0, 1), "Kept1");
    ASSERT_TRUE(SaveUpperBankInPlace(*page.plug->librarian, page.plug->librarianPanel()));
    EXPECT_EQ(page.status(), "Saved Abank.nl2");
    EXPECT_NE(page.data.read("Patches/Abank.nl2").find("Kept1"), std::string::npos);
    EXPECT_EQ(page.data.read("Patches/Bbank.nl2"), ProgramBank("B"));
  }
}

}  // namespace
