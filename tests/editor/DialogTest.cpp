// The bank-name and message dialogs, answered by a scripted modal driver.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/panel/TavroDialogs.h"
#include "winemu/WinEmu_Dialog.h"
#include "winemu/WinEmu_Window.h"

namespace {

struct ScopedDriver {
  explicit ScopedDriver(WinEmu_ModalDriver driver) { WinEmu_SetModalDriver(std::move(driver)); }
  ~ScopedDriver() { WinEmu_SetModalDriver(nullptr); }
};

// Listed when the module loads: this runs before any other test of the program opens
// a dialog.
TEST(Dialogs, TheRecordIsListedOnceAndBuildsItsControls) {
  int records = 0;
  for (auto* r = WinEmu_curmodule_dialogresource_head; r; r = r->next) records += r->resourceId == IDD_PATCH_SAVE;
  EXPECT_EQ(records, 1);
  std::vector<std::string> classes;
  ScopedDriver driver([&](HWND dialog) {
    for (int i = 0; i < WinEmu_GetChildCount(dialog); ++i)
      classes.push_back(WinEmu_GetClassName(WinEmu_GetChild(dialog, i)));
    RECT edit{};
    GetWindowRect(GetDlgItem(dialog, IDC_BANK_NAME), &edit);
    EXPECT_EQ(edit.right - edit.left, 360);  // 200 dialog units at 1.8
  });
  EXPECT_EQ(showPatchNameMessageBox(nullptr, nullptr, IDD_PATCH_SAVE, nullptr),
            2);  // the run cancels an unanswered dialog
  EXPECT_EQ(classes,
            (std::vector<std::string>{"__WINEMU_LABEL", "__WINEMU_EDIT", "__WINEMU_BUTTON", "__WINEMU_BUTTON"}));
}

TEST(Dialogs, BankNameDialogAnswers) {
  struct Case {
    const char* name;
    std::string typed;
    std::vector<unsigned long> commands;  // sent in turn
    int result;
    std::string name_;
    bool openAfterFirst;
  };
  const std::string long300(300, 'n');
  const Case cases[] = {
      {"300 characters read as 254", long300, {IDC_BANK_NAME_OK}, 1, long300.substr(0, 254), false},
      {"empty name still ends with OK", "", {IDC_BANK_NAME_OK}, 1, "", false},
      {"Return and other controls keep it open", "Pads", {IDOK, 4242, IDC_BANK_NAME_OK}, 1, "Pads", true},
      {"Cancel", "Pads", {IDCANCEL}, 2, "unchanged", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool openAfterFirst = false;
    ScopedDriver driver([&](HWND dialog) {
      SetDlgItemText(dialog, IDC_BANK_NAME, c.typed.c_str());
      for (size_t i = 0; i < c.commands.size(); ++i) {
        SendMessage(dialog, WM_COMMAND, c.commands[i], 0);
        if (i == 0) openAfterFirst = WinEmu_IsDialogRunning(dialog);
      }
    });
    std::string name = "unchanged";
    EXPECT_EQ(showPatchNameMessageBox(nullptr, nullptr, IDD_PATCH_SAVE, &name), c.result);
    EXPECT_EQ(name, c.name_);
    EXPECT_EQ(openAfterFirst, c.openAfterFirst);
  }
}

TEST(Dialogs, MessageDialogEndsOnlyWithOK) {
  bool openAfterOther = false;
  ScopedDriver driver([&](HWND dialog) {
    SendMessage(dialog, WM_COMMAND, IDC_BANK_NAME_OK, 0);
    openAfterOther = WinEmu_IsDialogRunning(dialog);
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(showMessageBox(nullptr, nullptr, IDD_PATCH_SAVE, nullptr), IDOK);
  EXPECT_TRUE(openAfterOther);
}

TEST(Dialogs, CenterDialogHalvesTowardZero) {
  const RECT parentRect{100, 50, 601, 352}, dialogRect{0, 0, 201, 101};
  HWND parent = WinEmu_CreateView(nullptr, &parentRect);
  HWND dialog = WinEmu_CreateView(nullptr, &dialogRect);
  centerDialog(parent, dialog);
  RECT moved{};
  GetWindowRect(dialog, &moved);
  EXPECT_EQ(moved.left, 100 + 250 - 100);
  EXPECT_EQ(moved.top, 50 + 151 - 50);
  EXPECT_EQ(moved.right - moved.left, 201);
  DestroyWindow(dialog);
  DestroyWindow(parent);
}

}  // namespace
