// Dialogs built from resource records and run modally by a scripted driver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "winemu/WinEmu.h"

namespace {

// The bank-name dialog as the editor describes it.
const WinEmu_DialogResourceItem kBankNameItems[] = {
    {nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
    {"__WINEMU_LABEL", -1, "Bank Name", 0, 10, 10, 200, 8, 0},
    {"__WINEMU_EDIT", 0, "", 10013, 10, 20, 200, 12, 0x10000},
    {"__WINEMU_BUTTON", 0, "&Cancel", IDCANCEL, 160, 60, 50, 14, 0},
    {"__WINEMU_BUTTON", 0, "&OK    ", 10006, 100, 60, 50, 14, 0},
};

void CreateBankName(HWND view, int flags) {
  WinEmu_MakeSetCurParms(1.8f, 1.8f, 0, 0, view, false, !(flags & WINEMU_DLG_NO_SIZE_TO_FIT));
  WinEmu_GenerateDialogFromList(kBankNameItems + 1, 4);
}

WinEmu_DialogResourceIndex g_bankName{10014, "Enter Bank Name", 12, CreateBankName, 396, 144, nullptr};
WinEmu_DialogResourceIndex g_other{20000, "Other", 0, nullptr, 100, 50, &g_bankName};

struct Seen {
  long initParam = 0;
  int inits = 0;
  std::vector<unsigned long> commands;
  std::string name;
  long userDataOnOk = 0;
};
Seen g_seen;

long EnterName(HWND dlg, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_INITDIALOG) {
    ++g_seen.inits;
    g_seen.initParam = lParam;
    CenterWindow(dlg);
    SetWindowLong(dlg, GWL_USERDATA, lParam);
    return 1;
  }
  if (msg != WM_COMMAND) return 0;
  g_seen.commands.push_back(LOWORD(wParam));
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dlg, 2);
  } else if (LOWORD(wParam) == 10006) {
    char buffer[255];
    memset(buffer, 0, sizeof buffer);
    GetDlgItemText(dlg, 10013, buffer, 255);
    g_seen.name = buffer;
    g_seen.userDataOnOk = GetWindowLong(dlg, GWL_USERDATA);
    EndDialog(dlg, 1);
  }
  return 1;
}

long Stubborn(HWND, unsigned int, unsigned long, long) { return 1; }

class DialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_seen = Seen{};
    WinEmu_SetScreenSize(1920, 1080);
  }
  void TearDown() override { WinEmu_SetModalDriver(nullptr); }
};

TEST_F(DialogTest, ScriptedRunGetsItsParameterAndReturnsTheEndValue) {
  int object = 0;
  const long param = reinterpret_cast<long>(&object);  // a pointer, as the editor passes
  HWND seenDialog = nullptr;
  WinEmu_SetModalDriver([&](HWND dlg) {
    seenDialog = dlg;
    EXPECT_EQ(g_seen.inits, 1);
    EXPECT_TRUE(WinEmu_IsDialogRunning(dlg));
    char title[64];
    GetWindowText(dlg, title, sizeof title);
    EXPECT_STREQ(title, "Enter Bank Name");
    SetDlgItemText(dlg, 10013, "Pads");
    SendMessage(dlg, WM_COMMAND, 4242, 0);  // another control: stays open
    EXPECT_TRUE(WinEmu_IsDialogRunning(dlg));
    SendMessage(dlg, WM_COMMAND, 10006, 0);
  });
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, EnterName, param), 1);
  EXPECT_EQ(g_seen.initParam, param);
  EXPECT_EQ(g_seen.userDataOnOk, param);
  EXPECT_EQ(g_seen.name, "Pads");
  EXPECT_EQ(g_seen.commands, (std::vector<unsigned long>{4242, 10006}));
  // The dialog is gone once the run is over.
  EXPECT_FALSE(WinEmu_IsDialogRunning(seenDialog));
  EXPECT_EQ(GetWindowLong(seenDialog, GWL_USERDATA), 0);
}

TEST_F(DialogTest, CancelAndTheEscapeKeyOfAnUndrivenRunGiveTwo) {
  WinEmu_SetModalDriver([](HWND dlg) { SendMessage(dlg, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, EnterName, 0), 2);
  WinEmu_SetModalDriver(nullptr);
  g_seen = Seen{};
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, EnterName, 0), 2);
  EXPECT_EQ(g_seen.commands, (std::vector<unsigned long>{IDCANCEL}));
}

TEST_F(DialogTest, MissingRecordsAndProceduresAndStubbornDialogsGiveMinusOne) {
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 12345, nullptr, EnterName, 0), -1);
  EXPECT_EQ(WinEmu_DialogBox(nullptr, 10014, nullptr, EnterName, 0), -1);
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, nullptr, 0), -1);
  EXPECT_EQ(g_seen.inits, 0);
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 20000, nullptr, Stubborn, 0), -1);
  // A cyclic list ends the search instead of hanging.
  WinEmu_DialogResourceIndex a{1, "a", 0, nullptr, 1, 1, nullptr}, b{2, "b", 0, nullptr, 1, 1, &a};
  a.next = &b;
  EXPECT_EQ(WinEmu_DialogBox(&a, 3, nullptr, Stubborn, 0), -1);
}

TEST_F(DialogTest, ALongNameIsCutAtTheBufferSizeLessOne) {
  WinEmu_SetModalDriver([](HWND dlg) {
    SetDlgItemText(dlg, 10013, std::string(300, 'x').c_str());
    SendMessage(dlg, WM_COMMAND, 10006, 0);
  });
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, EnterName, 0), 1);
  EXPECT_EQ(g_seen.name, std::string(254, 'x'));
}

TEST_F(DialogTest, AnEmptyFieldStillEndsWithOne) {
  WinEmu_SetModalDriver([](HWND dlg) { SendMessage(dlg, WM_COMMAND, 10006, 0); });
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, EnterName, 0), 1);
  EXPECT_EQ(g_seen.name, "");
}

TEST_F(DialogTest, ControlsAreBuiltScaledFromTheListAndTheDialogIsCentred) {
  WinEmu_SetModalDriver([](HWND dlg) {
    ASSERT_EQ(WinEmu_GetChildCount(dlg), 4);
    EXPECT_STREQ(WinEmu_GetClassName(WinEmu_GetChild(dlg, 0)), "__WINEMU_LABEL");
    EXPECT_EQ(WinEmu_GetDlgCtrlID(WinEmu_GetChild(dlg, 3)), 10006);
    char text[32];
    EXPECT_EQ(GetWindowText(WinEmu_GetChild(dlg, 3), text, sizeof text), 7);
    EXPECT_STREQ(text, "&OK    ");
    RECT dialog, edit;
    ASSERT_TRUE(GetWindowRect(dlg, &dialog));
    EXPECT_EQ(dialog.left, (1920 - 396) / 2);
    EXPECT_EQ(dialog.top, (1080 - 144) / 2);
    EXPECT_EQ(dialog.right - dialog.left, 396);
    ASSERT_TRUE(GetWindowRect(GetDlgItem(dlg, 10013), &edit));
    // (10, 20, 200, 12) at 1.8: (18, 36) sized 360 x 21.6, rounded, in screen coordinates.
    EXPECT_EQ(edit.left, dialog.left + 18);
    EXPECT_EQ(edit.top, dialog.top + 36);
    EXPECT_EQ(edit.right - edit.left, 360);
    EXPECT_EQ(edit.bottom - edit.top, 22);
    EndDialog(dlg, 7);
    EXPECT_FALSE(EndDialog(dlg, 8));  // only the first end counts
  });
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, nullptr, EnterName, 0), 7);
}

TEST_F(DialogTest, ADialogOpensOverItsParentAndNestedRunsWork) {
  RECT panelRect{100, 200, 900, 600};
  HWND panel = WinEmu_CreateView(nullptr, &panelRect);
  int depth = 0;
  WinEmu_SetModalDriver([&](HWND dlg) {
    RECT r;
    GetWindowRect(dlg, &r);
    if (depth++ == 0) {
      // Before WM_INITDIALOG centres it on the screen, the dialog sat over the panel;
      // a nested dialog opened from here runs and ends on its own.
      EXPECT_EQ(WinEmu_DialogBox(&g_other, 20000, dlg, EnterName, 5), 2);
      EXPECT_TRUE(WinEmu_IsDialogRunning(dlg));
      SendMessage(dlg, WM_COMMAND, 10006, 0);
    } else {
      SendMessage(dlg, WM_COMMAND, IDCANCEL, 0);
    }
  });
  EXPECT_EQ(WinEmu_DialogBox(&g_other, 10014, panel, EnterName, 0), 1);
  EXPECT_EQ(depth, 2);
  DestroyWindow(panel);
}

}  // namespace
