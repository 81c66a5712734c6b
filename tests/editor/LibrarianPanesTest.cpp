// Each pane of the librarian page shows the bank its caption names, through the
// roads that read the folders again or switch its list: Save, Save As, a search and its
// end, Refresh, Import, the switch between kinds (also to one of which no bank is open).
#include <gtest/gtest.h>

#include "Framework/ByteChunk.h"
#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "librarian/BankImage.h"
#include "librarian/TavroParams.h"

namespace {

using P = TavroParam;

struct PanesPage : LibrarianPage {
  using LibrarianPage::LibrarianPage;

  // The text the pane's bank caption shows.
  std::string caption(int side) const {
    const IParam* list = plug->GetParam(side == 0 ? kPatchSelectionListUpper : kPatchSelectionListLower);
    char shown[128];
    list->GetDisplayForHost(list->Value(), false, shown, sizeof shown, true);
    return shown;
  }
  CurrentFilePair pair(int side) const {
    const bool performance = plug->panelMode().perfMode;
    return plug->librarianPanel().getCurrentFile(side, performance);
  }
  // Chooses a bank in the folder menu over a pane ("X/xuniq.nl2").
  void open(int side, const std::string& item) {
    backend.ScriptPopupChoiceText(item);
    if (side == 0)
      clickMenu("LeftPatchPopupMenu", kLeftPatchMenu);
    else
      clickMenu("RightPatchPopupMenu", kRightPatchMenu);
  }
  void search(const std::string& word) {
    command(P::kPatchSearch, 1.0, true);
    plug->GetParam(P::kPatchSearchString)->SetDisplayText(0, word.c_str());
    command(P::kPatchSearchString, 0.0, true);
  }
  // The page's switch between programs and performances.
  void showKind(bool performances) {
    plug->GetParam(kDatatype)->Set(performances ? 1.0 : 0.0);
    plug->OnParamChange(kDatatype);
  }
  // The Refresh button of the page, as a click on it reaches the editor.
  void refreshButton() {
    plug->GetParam(P::kRefreshFolders)->Set(1.0);
    plug->OnParamChange(P::kRefreshFolders);
  }
  // The pane shows bank `name` in `folder` under its caption: its pair, its row 4.
  void expectPane(int side, const std::string& name, const std::string& folder, const std::string& row4) {
    SCOPED_TRACE(std::string(side == 0 ? "upper" : "lower") + " pane");
    EXPECT_EQ(caption(side), name);
    EXPECT_EQ(pair(side).fileName, name);
    EXPECT_EQ(pair(side).folderName, folder);
    EXPECT_EQ(rowText(side, 4), row4);
  }
};

// The names of the upper pane's bank in folder X and the lower pane's in folder Y.
struct TwoFolders {
  std::string upperName, lowerName;
};

void PrintTo(const TwoFolders& banks, std::ostream* out) { *out << banks.upperName << ", " << banks.lowerName; }

class LibrarianPanes : public ::testing::TestWithParam<TwoFolders> {};

TEST_P(LibrarianPanes, EachPaneKeepsItsBankThroughSaveSaveAsAndASearch) {
  const TwoFolders names = GetParam();
  PanesPage page(Banks{{"First.nl2", "F"}, {"X/" + names.upperName, "X"}, {"Y/" + names.lowerName, "Y"}});
  page.open(0, "X/" + names.upperName);
  page.open(1, "Y/" + names.lowerName);
  page.expectPane(0, names.upperName, "Patches/X", "X4");
  page.expectPane(1, names.lowerName, "Patches/Y", "Y4");

  page.chooseInBankMenu("Save (Overwrite current bank)");
  ASSERT_EQ(page.librarianStatus(), "Saved " + names.upperName);
  page.expectPane(0, names.upperName, "Patches/X", "X4");
  page.expectPane(1, names.lowerName, "Patches/Y", "Y4");

  page.backend.ScriptFilePromptAnswer(page.data.folder() + "Patches/X/copy.nl2");
  page.chooseInBankMenu("Save As.../Tavro Format (*.nl2) (with names)");
  ASSERT_EQ(page.librarianStatus(), "Saved as copy.nl2");
  page.expectPane(0, "copy.nl2", "Patches/X", "X4");
  page.expectPane(1, names.lowerName, "Patches/Y", "Y4");

  page.search("Y1");
  ASSERT_TRUE(page.plug->panelMode().searchResultsShown);
  EXPECT_EQ(page.rowText(1, 0), "Y1");
  page.expectPane(0, "copy.nl2", "Patches/X", "X4");
  // A save keeps the search shown, found again in the banks as saved.
  page.chooseInBankMenu("Save (Overwrite current bank)");
  ASSERT_EQ(page.librarianStatus(), "Saved copy.nl2");
  EXPECT_TRUE(page.plug->panelMode().searchResultsShown);
  EXPECT_EQ(page.plug->GetParam(P::kPatchSearchString)->GetDisplayText(0), "Y1");
  EXPECT_EQ(page.rowText(1, 0), "Y1");
  page.expectPane(0, "copy.nl2", "Patches/X", "X4");
  page.command(P::kPatchSearch, 0.0, true);
  page.expectPane(0, "copy.nl2", "Patches/X", "X4");
  page.expectPane(1, names.lowerName, "Patches/Y", "Y4");

  page.showKind(true);
  page.showKind(false);
  page.expectPane(0, "copy.nl2", "Patches/X", "X4");
  page.expectPane(1, names.lowerName, "Patches/Y", "Y4");

  page.offer("Picked.syx", ProgramBank("I"));
  page.chooseInBankMenu("Import Bank.../SysEx (*.syx / *.nl2)");
  ASSERT_EQ(page.librarianStatus(), "Imported as Picked.syx");
  page.expectPane(0, "copy.nl2", "Patches/X", "X4");
  page.expectPane(1, names.lowerName, "Patches/Y", "Y4");
}

INSTANTIATE_TEST_SUITE_P(Banks, LibrarianPanes,
                         ::testing::Values(TwoFolders{"xuniq.nl2", "yuniq.nl2"}, TwoFolders{"same.nl2", "same.nl2"}),
                         [](const ::testing::TestParamInfo<TwoFolders>& info) {
                           return info.param.upperName == info.param.lowerName ? "SameNames" : "OwnNames";
                         });

// Refresh ends a search: by the button, and by Yes at the question of an unsaved bank.
TEST(LibrarianPanesSearch, RefreshEndsTheSearchAndTheLowerPaneShowsItsBank) {
  for (const bool asked : {false, true}) {
    SCOPED_TRACE(asked ? "Yes at the question" : "the Refresh button");
    PanesPage page(Banks{{"First.nl2", "F"}, {"X/xuniq.nl2", "X"}, {"Y/yuniq.nl2", "Y"}});
    page.open(0, "X/xuniq.nl2");
    page.open(1, "Y/yuniq.nl2");
    page.search("F1");
    ASSERT_EQ(page.rowText(1, 0), "F1");
    ASSERT_TRUE(page.plug->keptControls().datatypeControl->IsGrayed());
    if (asked) {
      page.backend.ScriptPopupChoiceText("Copy");
      page.click(1, 0, IMouseMod(false, true));
      page.backend.ScriptPopupChoiceText("Paste");
      page.click(0, 6, IMouseMod(false, true));
      page.backend.ScriptMessageBoxAnswerText("Yes");
    }
    page.refreshButton();
    EXPECT_FALSE(page.plug->panelMode().searchResultsShown);
    EXPECT_EQ(page.plug->GetParam(P::kPatchSearch)->Value(), 0.0);
    EXPECT_EQ(page.plug->GetParam(P::kPatchSearchString)->GetDisplayText(0), "search...");
    EXPECT_FALSE(page.plug->keptControls().datatypeControl->IsGrayed());
    EXPECT_FALSE(page.plug->keptControls().datamodeControl->IsGrayed());
    page.expectPane(0, "xuniq.nl2", "Patches/X", "X4");
    page.expectPane(1, "yuniq.nl2", "Patches/Y", "Y4");
    EXPECT_EQ(page.rowText(0, 6), asked ? "F1" : "X6");
  }
}

// Performances shown with only program banks in the folder: no row of a program shows
// under the performance captions, and the line and a double click say how to open one.
TEST(LibrarianPanesPerformances, WithProgramBanksOnlyNoRowsShowAndTheLineSaysHowToOpenOne) {
  PanesPage page;
  page.connect();
  page.showKind(true);
  ASSERT_TRUE(page.plug->panelMode().perfMode);
  const std::string how = ": no performance bank yet; Import Bank... adds one";
  const std::string said = "Nothing shown" + how;
  EXPECT_EQ(page.librarianStatus(), said);
  for (int side = 0; side < 2; ++side) {
    for (int row : {0, 4, 98}) EXPECT_EQ(page.rowText(side, row), "") << side << " " << row;
    EXPECT_EQ(page.caption(side), "no performance bank") << side;
  }
  page.plug->showStatus("");
  const auto [x, y] = page.rowCentre(1, 4);
  IMouseMod mod(true);
  page.plug->graphics->OnMouseDblClick(x, y, &mod);
  EXPECT_EQ(page.librarianStatus(), "Not sent" + how);
  EXPECT_TRUE(page.sent().empty());

  page.plug->showStatus(said);
  page.showKind(false);
  EXPECT_EQ(page.librarianStatus(), "") << "said of performances only";
  EXPECT_EQ(page.rowText(0, 4), "A4");
  EXPECT_EQ(page.rowText(1, 4), "A4");
  EXPECT_EQ(page.caption(0), "Bank A.syx");
}

TEST(LibrarianPanesPerformances, WithNoBankAtAllTheCaptionsSaySoFromTheStart) {
  PanesPage page(Banks{});
  EXPECT_EQ(page.caption(0), "no program bank");
  EXPECT_EQ(page.caption(1), "no program bank");
}

// A MIDI file bank of 99 programs (it holds no names).
std::string MidiBank() {
  PatchFile bank;
  for (int p = 0; p < 99; ++p) {
    LibrarianPatch patch;
    patch.messages.push_back({NamedProgramDump("M" + std::to_string(p), p)});
    bank.patches.push_back(patch);
  }
  ByteChunk image(4096);
  if (!bankImage(bank, true, MidiHead::Rewrite, &image)) return std::string();
  return std::string(reinterpret_cast<const char*>(image.GetBytes()), size_t(image.Size()));
}

TEST(LibrarianPanesMid, AMidShownAtStartFollowsToTheNamedBankItsSaveWrites) {
  PanesPage page(Banks{});
  page.write("Patches/tempo map.mid", MidiBank());
  page.restart();
  // Both panes show it from the start, and say so as a choice in their menus would.
  page.expectPane(0, "tempo map.mid", "Patches", "Sound   05");
  page.expectPane(1, "tempo map.mid", "Patches", "Sound   05");
  page.renameRow(3, "Evening");
  page.chooseInBankMenu("Save (Overwrite current bank)");
  EXPECT_EQ(page.librarianStatus(), "Saved as new file tempo map.nl2 to keep the names (a .mid file holds none)");
  EXPECT_EQ(page.caption(0), "tempo map.nl2");
  EXPECT_EQ(page.rowText(0, 3), "Evening");
  page.renameRow(5, "Night");
  page.chooseInBankMenu("Save (Overwrite current bank)");
  EXPECT_EQ(page.librarianStatus(), "Saved tempo map.nl2");
  page.expectPane(0, "tempo map.nl2", "Patches", "Sound   05");
  EXPECT_EQ(page.rowText(0, 3), "Evening");
  EXPECT_EQ(page.rowText(0, 5), "Night");
  EXPECT_FALSE(Exists(page.data.folder() + "Patches/tempo map (2).nl2"));
  const std::string saved = page.data.read("Patches/tempo map.nl2");
  constexpr size_t kNamed = 149, kNameAt = 138;
  ASSERT_EQ(saved.size(), 99 * kNamed);
  EXPECT_EQ(saved.substr(3 * kNamed + kNameAt, 10), "Evening   ");
  EXPECT_EQ(saved.substr(5 * kNamed + kNameAt, 10), "Night     ");
  EXPECT_EQ(page.data.read("Patches/tempo map.mid"), MidiBank());
}

}  // namespace
