// Edits and sends on the librarian page as the bytes on disk and the status line show
// them: a rename touches the name and nothing else, a name the unit cannot hold
// renames nothing, and a send or store with nothing to act on says why.
#include <gtest/gtest.h>

#include "LibrarianPageSupport.h"
#include "librarian/TavroParams.h"
#include "messaging/TransferJobSteps.h"

namespace {

using P = TavroParam;

constexpr size_t kPerformanceNameAt = 714;
constexpr size_t kNameSize = 10;

std::string Field(std::string text) {
  text.resize(kNameSize, ' ');
  return text;
}

// A performance dump named `name` with `parts` (none: the 725-byte form); `seed`
// varies its data bytes.
std::string PerformanceDump(const std::string& name, int seed, const std::vector<std::string>& parts) {
  std::string bytes = {'\xF0', '\x33', '\x00', '\x04', '\x1F', char(seed % 100)};
  for (size_t i = 6; i < kPerformanceNameAt; ++i) bytes.push_back(char((seed * 5 + int(i) * 11) % 128));
  bytes += Field(name);
  for (const std::string& part : parts) bytes += Field(part);
  bytes.push_back('\xF7');
  return bytes;
}

// 100 performances with parts "Pa00".."Pd99": row 0 in the 725-byte form, row 2's part
// names each starting with an F7 byte. Fills `at` with each row's offset.
std::string MixedFormPerformanceBank(std::vector<size_t>* at) {
  std::string image;
  for (int p = 0; p < 100; ++p) {
    at->push_back(image.size());
    const std::string n = (p < 10 ? "0" : "") + std::to_string(p);
    std::vector<std::string> parts;
    if (p != 0)
      for (const char slot : {'a', 'b', 'c', 'd'}) parts.push_back((p == 2 ? "\xF7" : "P") + std::string(1, slot) + n);
    image += PerformanceDump("Perf" + n, p, parts);
  }
  return image;
}

struct PerformancePage : LibrarianPage {
  PerformancePage() : LibrarianPage(Banks{{"Abank.nl2", "A"}}) {
    image = MixedFormPerformanceBank(&at);
    write("Patches/Perfs.nl2", image);
    command(P::kRefreshFolders, 1.0, false);
    command(kDatatype, 1.0, false);
  }
  std::string image;
  std::vector<size_t> at;
};

TEST(LibrarianRename, APerformanceRenamedAndSavedKeepsEveryByteButItsName) {
  PerformancePage page;
  ASSERT_EQ(page.rowText(0, 1), "Perf01");
  std::string expected = page.image;
  for (const int row : {0, 1, 2}) {
    const std::string name = "Renamed" + std::to_string(row);
    page.renameRow(row, name);
    EXPECT_EQ(page.librarianStatus(), "Renamed slot " + std::to_string(row + 1) + " to \"" + name + "\"");
    EXPECT_EQ(page.rowText(0, row), name);
    expected.replace(page.at[size_t(row)] + kPerformanceNameAt, kNameSize, Field(name));
  }
  page.chooseInBankMenu("Save (Overwrite current bank)");
  ASSERT_EQ(page.librarianStatus(), "Saved Perfs.nl2");
  const std::string saved = page.data.read("Patches/Perfs.nl2");
  ASSERT_EQ(saved.size(), expected.size());
  for (size_t i = 0; i < saved.size(); ++i) ASSERT_EQ(saved[i], expected[i]) << "byte " << i;
}

TEST(LibrarianRename, ANameOfLettersTheUnitCannotHoldRenamesNothingAndSaysWhy) {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}});
  for (const std::string typed : {"ΑλφαΒήτα", "é"}) {
    page.renameRow(2, typed);
    EXPECT_EQ(page.librarianStatus(), "Not renamed: \"" + typed + "\" has no letter the unit can hold");
    EXPECT_EQ(page.rowText(0, 2), "A2");
    EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
  }
  // Typed into the box, which takes none of them: the name stays, and the line says so.
  page.backend.ScriptPopupChoiceText("Rename");
  page.click(0, 2, IMouseMod(false, true));
  page.backend.TypeText("ΑλφαΒήτα\n");
  EXPECT_EQ(page.librarianStatus(),
            "Not renamed: slot 3 keeps \"A2\" (the name is unchanged; the box takes A-Z, a-z, 0-9 and signs)");
  EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
  // One letter it holds is a rename; the others stand as "?".
  page.renameRow(2, "Café");
  EXPECT_EQ(page.librarianStatus(), "Renamed slot 3 to \"Caf?\"");
}

// The name it has, or a blank one, renames nothing, and the line says which.
TEST(LibrarianRename, TheSameNameOrABlankOneRenamesNothingAndSaysWhy) {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}});
  page.renameRow(1, "A1");
  EXPECT_EQ(page.librarianStatus(),
            "Not renamed: slot 2 keeps \"A1\" (the name is unchanged; the box takes A-Z, a-z, 0-9 and signs)");
  for (const std::string blank : {"", "   "}) {
    page.renameRow(6, blank);
    EXPECT_EQ(page.librarianStatus(), "Not renamed: a blank name leaves slot 7 as it was");
    EXPECT_EQ(page.rowText(0, 6), "A6");
  }
  EXPECT_EQ(page.plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
}

// The box opens on the name as the list shows it: End and Home reach its ends, and a
// letter typed there lands next to the name (the unit's ten-byte padding is not text).
TEST(LibrarianRename, ALetterTypedAtEitherEndOfTheNameInTheBoxIsKept) {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}});
  const auto renameWith = [&page](int row, int caretKey, const std::string& typed) {
    page.backend.ScriptPopupChoiceText("Rename");
    page.click(0, row, IMouseMod(false, true));
    ViewKeyEvent key;
    key.keyCode = caretKey;
    page.backend.InjectKey(key);
    page.backend.TypeText(typed + "\n");
  };
  renameWith(2, kViewKeyEnd, "X");
  EXPECT_EQ(page.librarianStatus(), "Renamed slot 3 to \"A2X\"");
  EXPECT_EQ(page.rowText(0, 2), "A2X");
  renameWith(3, kViewKeyHome, "Y");
  EXPECT_EQ(page.librarianStatus(), "Renamed slot 4 to \"YA3\"");
  EXPECT_EQ(page.rowText(0, 3), "YA3");
}

// With a rename unsaved, a click on a pane's bank strip either opens its menu or says
// on the line why not, as Prev and Next do.
TEST(LibrarianRename, ABankStripClickedOverAnUnsavedRenameOpensItsMenuOrSaysWhy) {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}, {"Bbank.nl2", "B"}});
  for (const int menu : {int(kLeftPatchMenu), int(kRightPatchMenu)}) {
    SCOPED_TRACE(menu);
    const std::string name = std::string("Unsaved") + char('0' + menu);
    page.renameRow(1, name);
    ASSERT_EQ(page.librarianStatus(), "Renamed slot 2 to \"" + name + "\"");
    const size_t menusBefore = page.backend.ShownMenus().size();
    // Where the strip stands on the page, clicked as it is shown.
    const IRECT r = page.plug->keptControls().librarianMenus[size_t(menu)]->GetRECT();
    IMouseMod mod(true);
    page.plug->graphics->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
    if (page.backend.ShownMenus().size() == menusBefore) {
      EXPECT_EQ(page.librarianStatus(), "Save bank or Discard changes!");
    }
  }
}

// With performances shown and only a program bank in the folder, and without ports.
TEST(LibrarianSends, ASendOrStoreWithNothingToActOnSaysWhy) {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}});
  page.connect();
  page.command(kDatatype, 1.0, false);
  page.plug->showStatus(kDataProcessedReady);
  page.chooseInBankMenu("Store Performance Data/To Currently Selected Slot of Bank");
  EXPECT_EQ(page.librarianStatus(), "Not stored: no performance bank yet; Import Bank... adds one");
  page.chooseInBankMenu("Store Performance Data/All Performances from Current Bank");
  EXPECT_EQ(page.librarianStatus(), "Not stored: no performance bank yet; Import Bank... adds one");
  page.backend.ScriptPopupChoiceText("Rename");
  page.click(0, 3, IMouseMod(false, true));
  EXPECT_EQ(page.librarianStatus(), "Not renamed: no performance bank yet; Import Bank... adds one");
  EXPECT_TRUE(page.sent().empty());

  LibrarianPage unplugged(Banks{{"Abank.nl2", "A"}});
  for (const char* item : {"Store Patch Data/To Currently Selected Slot of Bank",
                           "Store Patch Data/All Current Programs to RAM 0 (A)", "Push Current Performance to HW"}) {
    SCOPED_TRACE(item);
    unplugged.plug->showStatus(kDataProcessedReady);
    unplugged.chooseInBankMenu(item);
    EXPECT_EQ(unplugged.librarianStatus(), kSetPortsFirst);
  }
}

}  // namespace

namespace {

// A search shown on the librarian page greys the synthesizer page's Perfs too.
TEST(LibrarianSearch, TheSynthesizerPagesGreyedPerfsSaysWhyWhenPressed) {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}});
  page.plug->GetParam(P::kPatchSearch)->Set(1.0);
  page.plug->OnParamChange(P::kPatchSearch);
  page.plug->GetParam(kShowLibrarian)->Set(0.0);
  page.plug->tabSwitch.mainTabSwitch(page.plug.get(), 2, page.plug->unitLink().nordModel, 0);
  IControl* perfs = page.plug->keptControls().datamodeControl;
  ASSERT_NE(perfs, nullptr);
  ASSERT_TRUE(perfs->IsGrayed());
  page.plug->showStatus("");
  const IRECT r = perfs->GetRECT();
  IMouseMod mod(true);
  page.plug->graphics->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
  page.plug->graphics->OnMouseUp((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
  EXPECT_EQ(page.status(), Tavro::kCloseSearchFirstText);
  EXPECT_EQ(page.plug->GetParam(kDatamode)->Value(), 0.0);
}

}  // namespace
