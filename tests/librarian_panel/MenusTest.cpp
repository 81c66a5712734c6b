#include <gtest/gtest.h>

#include "Framework/IParam.h"
#include "PanelFakes.h"
#include "librarian/TavroParams.h"
#include "librarian/panel/BankEditPopupMenu.h"
#include "librarian/panel/SelectorMenus.h"

#include <sys/stat.h>

namespace {

using Calls = std::vector<std::string>;

std::vector<std::string> Texts(IPopupMenu& menu) {
  std::vector<std::string> out;
  for (int i = 0; i < menu.GetNItems(); ++i) out.push_back(menu.GetItemText(i));
  return out;
}

template <class Menu>
Calls Choose(PanelRig& rig, Menu& menu, std::vector<int> path) {
  rig.editor.takeCalls();
  rig.editor.surface->paths.push_back(std::move(path));
  IMouseMod left(true);
  menu.OnMouseDown(0, 0, &left);
  return rig.editor.takeCalls();
}

}  // namespace

TEST(BankMenu, ItemsFollowModeAndModel) {
  struct Case {
    bool performance;
    int model;
    size_t requestItems, storeItems;
    const char* lastRequest;
  };
  const Case table[] = {{false, 2, 14, 6, "All Programs from BANK 9 (ROM)"},
                        {false, 1, 8, 3, "All Programs from CARD 3 (RAM)"},
                        {true, 2, 8, 2, "All Performances from BANK 3 (ROM)"},
                        {true, 0, 6, 2, "All Performances from CARD 1 (RAM)"}};
  for (const Case& c : table) {
    SCOPED_TRACE(c.lastRequest);
    PanelRig rig;
    rig.editor.performanceMode = c.performance;
    rig.editor.model = c.model;
    BankEditPopupMenu menu(&rig.editor, &rig.librarian, IRECT(860, 45, 940, 62), &rig.editor);
    IPopupMenu& main = menu.mainMenu();
    ASSERT_EQ(main.GetNItems(), 15);
    EXPECT_STREQ(main.GetItemText(0), c.performance ? "Request Performance Data" : "Request Patch Data");
    EXPECT_EQ(size_t(main.GetItem(0)->GetSubmenu()->GetNItems()), c.requestItems);
    EXPECT_EQ(Texts(*main.GetItem(0)->GetSubmenu()).back(), c.lastRequest);
    EXPECT_EQ(size_t(main.GetItem(2)->GetSubmenu()->GetNItems()), c.storeItems);
    IPopupMenu& help = *main.GetItem(12)->GetSubmenu();
    EXPECT_EQ(Texts(help), (std::vector<std::string>{"Open Data Folder", "Open User Manual", "Open Support Ticket",
                                                     "Check for Updates", "DAW Setup Guides"}));
    EXPECT_FALSE(help.GetItem(1)->GetEnabled());
  }
}

TEST(BankMenu, ChoicesReachTheEditor) {
  struct Case {
    bool performance;
    int model;
    std::vector<int> path;
    Calls calls;
  };
  const Case table[] = {
      {false, 2, {0, 13}, {"all request 9"}},
      {false, 1, {0, 7}, {"all request 3"}},
      {false, 2, {0, 0}, {"job 5 slot 0 flag 1 bank 0 transfer"}},
      {false, 2, {0, 1}, {"single request 1"}},
      {false, 2, {2, 0}, {"store single"}},
      {false, 2, {2, 3}, {"store programs 1"}},
      {true, 0, {0, 5}, {"job 7 slot 0 flag 0 bank 1"}},
      {true, 2, {0, 1}, {"job 4 slot 0 flag 0 bank 0"}},
      {true, 2, {2, 1}, {"store perfs 0 0"}},
      {false, 2, {4}, {"job 4 slot 0 flag 1 bank 0 transfer"}},
      {false, 2, {5}, {"job 0 slot 0 flag 0 bank 0"}},
      {false, 2, {10, 0}, {"import mid"}},
      {false, 2, {11}, {"refresh"}},
      {false, 2, {12, 0}, {"data folder"}},
      {false, 2, {12, 1}, {}},  // the manual is disabled
      {false, 2, {12, 4}, {"help 2"}},
      {false, 2, {14}, {"show aboutWindow"}},
      {false, 2, {1}, {}},  // a separator
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.path[0] * 100 + c.path.back());
    PanelRig rig;
    rig.editor.performanceMode = c.performance;
    rig.editor.model = c.model;
    BankEditPopupMenu menu(&rig.editor, &rig.librarian, IRECT(860, 45, 940, 62), &rig.editor);
    EXPECT_EQ(Choose(rig, menu, c.path), c.calls);
  }
  // A programs choice after the editor switched to performances does nothing.
  PanelRig rig;
  BankEditPopupMenu menu(&rig.editor, &rig.librarian, IRECT(860, 45, 940, 62), &rig.editor);
  rig.editor.performanceMode = true;
  EXPECT_EQ(Choose(rig, menu, {0, 13}), Calls{});
}

TEST(BankMenu, SaveAsWritesAndReloadsAndAFailureSaysWhy) {
  PanelRig rig;
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("U.syx", {"Patches"}, {"one"}));
  AddBanks(rig.librarian, std::move(banks));
  BankEditPopupMenu menu(&rig.editor, &rig.librarian, IRECT(860, 45, 940, 62), &rig.editor);
  char folder[] = "/tmp/libpanelXXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  rig.editor.saveAnswer = std::string(folder) + "/Saved.nl2";
  EXPECT_EQ(Choose(rig, menu, {8, 1}), Calls{"discard"});
  EXPECT_EQ(std::remove(rig.editor.saveAnswer.c_str()), 0);
  // The rig's bank folder is /tmp/Patches: a folder beside it is listed nowhere.
  EXPECT_EQ(rig.editor.status, std::vector<std::string>{"Saved as Saved.nl2 outside Patches: not listed"});
  rig.editor.saveAnswer = std::string(folder) + "/missing/Saved.nl2";
  EXPECT_EQ(Choose(rig, menu, {8, 0}), Calls{});
  ASSERT_EQ(rig.editor.status.size(), 2u);
  EXPECT_EQ(rig.editor.status[1].rfind("Bank not saved: ", 0), 0u);
  rmdir(folder);
}

TEST(BankMenu, SaveInPlaceRefusesAnIncompleteBankAndSaveAsStaysOpen) {
  PanelRig rig;
  char folder[] = "/tmp/libpanelXXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("U.nl2", {"Patches"}, {"one"}));
  banks.back()->reservedPath = std::string(folder) + "/U.nl2";
  banks.back()->losses.unreadable = 1;
  AddBanks(rig.librarian, std::move(banks));
  BankEditPopupMenu menu(&rig.editor, &rig.librarian, IRECT(860, 45, 940, 62), &rig.editor);
  EXPECT_EQ(Choose(rig, menu, {7}), Calls{});
  ASSERT_EQ(rig.editor.status.size(), 1u);
  EXPECT_EQ(rig.editor.status[0],
            "Bank not saved: U.nl2 is incomplete (1 program unreadable, shown as init); use Save As");
  struct stat st;
  EXPECT_NE(::stat((std::string(folder) + "/U.nl2").c_str(), &st), 0);
  EXPECT_TRUE(menu.mainMenu().GetItem(8)->GetEnabled());
  rig.editor.saveAnswer = std::string(folder) + "/Saved.nl2";
  EXPECT_EQ(Choose(rig, menu, {8, 1}), Calls{"discard"});
  EXPECT_EQ(std::remove(rig.editor.saveAnswer.c_str()), 0);
  rmdir(folder);
}

TEST(SlotEditMenu, ItemsAndRequestsFollowModeAndSlot) {
  struct Case {
    bool performance;
    int slot;
    const char* first;
    std::vector<int> path;
    Calls calls;
  };
  const Case table[] = {
      {false, 2, "Request Patch Data/Temp from HW Slot C", {5, 0}, {"single request 1"}},
      {false, 7, "Request Patch Data/", {5, 1}, {"single request 0"}},
      {true,
       0,
       "Request Performance Data/from Temp Buffer to Librarian",
       {5, 1},
       {"arm", "job 6 slot 0 flag 0 bank 0"}},
      {true,
       0,
       "Request Performance Data/from Temp Buffer to Librarian",
       {4},
       {"job 10 slot 0 flag 0 bank 0 transfer"}},
      {false, 0, "Request Patch Data/Temp from HW Slot A", {4}, {"job 11 slot 0 flag 0 bank 0 transfer"}},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.first);
    PanelRig rig;
    rig.editor.performanceMode = c.performance;
    rig.editor.slot = c.slot;
    rig.editor.surface->paths.push_back(c.path);
    RunFileEditMenu(&rig.editor, &rig.librarian, &rig.editor, 0, 0);
    EXPECT_EQ(rig.editor.surface->shown[0][6], c.first);
    EXPECT_EQ(rig.editor.takeCalls(), c.calls);
  }
}

TEST(Selectors, BankAndProgramItemsFollowModeAndModel) {
  struct Case {
    bool performance;
    int model;
    std::vector<std::string> banks;
    int programs;
    const char* lastGroup;
    int ticked;
  };
  const Case table[] = {
      {false,
       2,
       {"Bank 0 (RAM)", "Bank 1 (RAM)", "Bank 2 (RAM)", "Bank 3 (RAM)", "Bank 4 (ROM)", "Bank 5 (ROM)", "Bank 6 (ROM)",
        "Bank 7 (ROM)", "Bank 8 (ROM)", "Bank 9 (ROM)"},
       99,
       "91-99",
       3},
      {false, 1, {"Bank 0 (RAM)", "Bank 1 (CARD)", "Bank 2 (CARD)", "Bank 3 (CARD)"}, 99, "91-99", 3},
      {true, 2, {"Bank 0 (RAM)", "Bank 1 (ROM)", "Bank 2 (ROM)", "Bank 3 (ROM)"}, 100, "91-100", -1},
      {true, 0, {"Bank 0 (RAM)", "Bank 1 (CARD)"}, 100, "91-100", -1},
      {false, 3, {}, 99, "91-99", -1},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.model * 10 + c.performance);
    PanelRig rig;
    rig.editor.performanceMode = c.performance;
    rig.editor.model = c.model;
    BankNumberPopupMenu banks(&rig.editor, &rig.librarian, IRECT(185, 470, 218, 488), &rig.editor);
    EXPECT_EQ(banks.refreshPatchNames(3), !c.performance);
    EXPECT_EQ(Texts(banks.bankList()), c.banks);
    int ticked = -1;
    for (int i = 0; i < banks.bankList().GetNItems(); ++i)
      if (banks.bankList().IsItemChecked(i)) ticked = i;
    EXPECT_EQ(ticked, c.ticked);
    ProgramNumberPopupMenu programs(&rig.editor, &rig.librarian, IRECT(218, 470, 253, 488), &rig.editor);
    int count = 0;
    for (int g = 0; g < 10; ++g) count += programs.group(g).GetNItems();
    EXPECT_EQ(count, c.programs);
    EXPECT_STREQ(programs.topMenu().GetItemText(9), c.lastGroup);
    EXPECT_STREQ(programs.group(0).GetItemText(0), "Program 01");
  }
}

TEST(Selectors, ProgramChoicesSendAndWrite) {
  PanelRig rig;
  rig.editor.GetParam(TavroParam::kCurrentBank2x)->InitInt("bank", 0, 0, 9);
  rig.editor.GetParam(TavroParam::kCurrentBank2x)->Set(5);
  rig.editor.GetParam(TavroParam::kPartMidiChannel)->Set(3);
  ProgramNumberPopupMenu programs(&rig.editor, &rig.librarian, IRECT(218, 470, 253, 488), &rig.editor);
  int index = 0;
  rig.editor.surface->paths.push_back({3, 4});
  EXPECT_EQ(programs.doPopupMenu(index), 4);
  EXPECT_EQ(index, 4);
  EXPECT_EQ(rig.editor.GetParam(TavroParam::kCurrentProgram)->Int(), 34);
  EXPECT_EQ(rig.editor.takeCalls(), (Calls{"choose on unit 5 34"}));
  EXPECT_TRUE(programs.group(3).IsItemChecked(4));

  rig.editor.performanceMode = true;
  programs.refreshPatchNames(0);
  rig.editor.surface->paths.push_back({9, 9});
  programs.doPopupMenu(index);
  EXPECT_EQ(rig.editor.takeCalls()[0], "choose on unit 0 99");

  // Library mode: the left bank's names, missing slots numbered; a choice sends the patch.
  rig.editor.performanceMode = false;
  rig.editor.libraryMode = true;
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("U.syx", {"Patches"}, {"zero", "one"}));
  AddBanks(rig.librarian, std::move(banks));
  programs.refreshPatchNames(1);
  EXPECT_STREQ(programs.group(0).GetItemText(1), "one");
  EXPECT_STREQ(programs.group(0).GetItemText(2), "Program 03");
  rig.editor.surface->paths.push_back({3, 4});
  programs.doPopupMenu(index);
  EXPECT_EQ(rig.editor.takeCalls(), Calls{"send 34 0"});
  EXPECT_EQ(rig.editor.view->selectedUpper, 34);
  EXPECT_EQ(rig.librarian.selectedSlot, 34);
}

TEST(Selectors, ABankChoiceSendsTheProgramThePanelShows) {
  PanelRig rig;
  rig.editor.model = 1;
  rig.editor.slot = 2;
  rig.editor.GetParam(TavroParam::kPartMidiChannel + 2)->Set(7);
  ProgramNumberPopupMenu programs(&rig.editor, &rig.librarian, IRECT(218, 470, 253, 488), &rig.editor);
  BankNumberPopupMenu bankMenu(&rig.editor, &rig.librarian, IRECT(185, 470, 218, 488), &rig.editor);
  // "Program 25": group "21-30", its fifth item.
  EXPECT_EQ(Choose(rig, programs, {2, 4}), (Calls{"choose on unit 0 24"}));
  EXPECT_EQ(rig.editor.GetParam(TavroParam::kCurrentProgram + 2)->Int(), 24);
  EXPECT_EQ(Choose(rig, bankMenu, {2}), (Calls{"choose on unit 2 24"}));
  EXPECT_EQ(rig.editor.GetParam(TavroParam::kCurrentBank + 2)->Int(), 2);

  // Performances: the performance program of the model.
  rig.editor.performanceMode = true;
  rig.editor.model = 2;
  rig.editor.GetParam(TavroParam::kCurrentPerfProgram2x + 2)->Set(61);
  bankMenu.refreshPatchNames(0);
  EXPECT_EQ(Choose(rig, bankMenu, {1})[0], "choose on unit 1 61");
}

TEST(Selectors, BankChoiceSendsBankSelectAndABankFileChoiceSendsTheCurrentRow) {
  PanelRig rig;
  rig.editor.model = 1;
  BankNumberPopupMenu bankMenu(&rig.editor, &rig.librarian, IRECT(185, 470, 218, 488), &rig.editor);
  EXPECT_EQ(Choose(rig, bankMenu, {2}), (Calls{"choose on unit 2 0"}));
  EXPECT_EQ(rig.editor.GetParam(TavroParam::kCurrentBank)->Int(), 2);

  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("a.syx", {"Patches"}, {"a0"}));
  banks.push_back(Bank("b.syx", {"Patches"}, {"b0"}));
  AddBanks(rig.librarian, std::move(banks));
  ProgBankNamePopupMenu files(&rig.editor, &rig.librarian, IRECT(185, 470, 218, 488), &rig.editor);
  rig.editor.view->currentRow = 0;
  EXPECT_EQ(Choose(rig, files, {1}), (Calls{"names programs", "send 0 0"}));
  EXPECT_EQ(rig.librarian.upperFileIndex, 1);
  EXPECT_EQ(rig.editor.view->row(0, 0)->GetTextString(), "b0");
  rig.editor.view->currentRow = -1;  // no row: nothing is sent
  EXPECT_EQ(Choose(rig, files, {0}), (Calls{"names programs"}));
}
