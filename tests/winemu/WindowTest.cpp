// Window records: user data, rectangles, positions and control texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "winemu/WinEmu.h"

namespace {

TEST(Window, UserDataIsPointerSized) {
  RECT r{0, 0, 10, 10};
  HWND w = WinEmu_CreateView(nullptr, &r);
  const long big = static_cast<long>(0x7FFF123456789ABCLL);
  EXPECT_EQ(SetWindowLong(w, GWL_USERDATA, big), 0);
  EXPECT_EQ(GetWindowLong(w, GWL_USERDATA), big);
  EXPECT_EQ(SetWindowLong(w, GWL_USERDATA, 5), big);
  EXPECT_EQ(GetWindowLong(w, -4), 0);  // other indices are not kept
  EXPECT_EQ(SetWindowLong(w, -4, 9), 0);
  EXPECT_EQ(GetWindowLong(w, GWL_USERDATA), 5);
  DestroyWindow(w);
  EXPECT_EQ(GetWindowLong(w, GWL_USERDATA), 0);
  EXPECT_EQ(GetWindowLong(nullptr, GWL_USERDATA), 0);
}

TEST(Window, SetWindowPosHonoursEachKeepFlag) {
  RECT r{10, 20, 110, 70};
  HWND w = WinEmu_CreateView(nullptr, &r);
  RECT got;
  SetWindowPos(w, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(w, &got);
  EXPECT_EQ(got.left, 5);
  EXPECT_EQ(got.top, 6);
  EXPECT_EQ(got.right, 105);
  EXPECT_EQ(got.bottom, 56);
  SetWindowPos(w, nullptr, 999, 999, 30, 40, SWP_NOMOVE);
  GetWindowRect(w, &got);
  EXPECT_EQ(got.left, 5);
  EXPECT_EQ(got.right, 35);
  EXPECT_EQ(got.bottom, 46);
  SetWindowPos(w, nullptr, 1, 2, 3, 4, 0);
  GetWindowRect(w, &got);
  EXPECT_EQ(got.left, 1);
  EXPECT_EQ(got.bottom, 6);
  EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 1, 2, 3, 4, 0));
  EXPECT_FALSE(GetWindowRect(w, nullptr));
  DestroyWindow(w);
}

TEST(Window, CentringOverAParentByTheEditorsRule) {
  // The editor's centerDialog: parent left + width / 2 - dialog width / 2.
  RECT p{100, 50, 901, 651}, d{0, 0, 397, 145};
  HWND parent = WinEmu_CreateView(nullptr, &p);
  HWND dialog = WinEmu_CreateView(nullptr, &d);
  RECT pr, dr;
  GetWindowRect(parent, &pr);
  GetWindowRect(dialog, &dr);
  SetWindowPos(dialog, nullptr, pr.left + (pr.right - pr.left) / 2 - (dr.right - dr.left) / 2,
               pr.top + (pr.bottom - pr.top) / 2 - (dr.bottom - dr.top) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(dialog, &dr);
  EXPECT_EQ(dr.left, 100 + 400 - 198);
  EXPECT_EQ(dr.top, 50 + 300 - 72);
  EXPECT_EQ(dr.right - dr.left, 397);
  WinEmu_SetScreenSize(1000, 800);
  CenterWindow(dialog);
  GetWindowRect(dialog, &dr);
  EXPECT_EQ(dr.left, (1000 - 397) / 2);
  EXPECT_EQ(dr.top, (800 - 145) / 2);
  // A child is centred on the screen too, whatever its parent's position.
  RECT c{0, 0, 100, 100};
  HWND child = WinEmu_CreateView(parent, &c);
  CenterWindow(child);
  GetWindowRect(child, &dr);
  EXPECT_EQ(dr.left, 450);
  EXPECT_EQ(dr.top, 350);
  WinEmu_SetScreenSize(1920, 1080);
  DestroyWindow(parent);  // takes the child with it
  EXPECT_FALSE(GetWindowRect(child, &dr));
  DestroyWindow(dialog);
}

TEST(Window, DialogItemTextIsCutAtSizeLessOneAndAlwaysTerminated) {
  RECT r{0, 0, 100, 100};
  HWND dlg = WinEmu_CreateView(nullptr, &r);
  const WinEmu_DialogResourceItem item{"__WINEMU_EDIT", 0, "abcdef", 77, 0, 0, 10, 10, 0};
  WinEmu_MakeSetCurParms(1, 1, 0, 0, dlg, false, true);
  WinEmu_GenerateDialogFromList(&item, 1);
  char buffer[8];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetDlgItemText(dlg, 77, buffer, 4), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], '#');
  EXPECT_EQ(GetDlgItemText(dlg, 77, buffer, 1), 0);
  EXPECT_STREQ(buffer, "");
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetDlgItemText(dlg, 77, buffer, 0), 0);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(GetDlgItemText(dlg, 77, buffer, -5), 0);
  EXPECT_EQ(GetDlgItemText(dlg, 77, nullptr, 8), 0);
  EXPECT_EQ(GetDlgItemText(dlg, 78, buffer, 8), 0);  // no such control
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetDlgItemText(dlg, 77, buffer, 8), 6);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_TRUE(SetDlgItemText(dlg, 77, nullptr));
  EXPECT_EQ(GetDlgItemText(dlg, 77, buffer, 8), 0);
  EXPECT_FALSE(SetDlgItemText(dlg, 78, "x"));
  DestroyWindow(dlg);
}

TEST(Window, GeneratingWithoutAParentOrItemsCreatesNothing) {
  const WinEmu_DialogResourceItem item{"__WINEMU_LABEL", -1, "x", 1, 0, 0, 1, 1, 0};
  WinEmu_MakeSetCurParms(1, 1, 0, 0, nullptr, false, false);
  WinEmu_GenerateDialogFromList(&item, 1);
  RECT r{0, 0, 10, 10};
  HWND dlg = WinEmu_CreateView(nullptr, &r);
  WinEmu_MakeSetCurParms(NAN, 1e30f, 0, 0, dlg, false, false);
  WinEmu_GenerateDialogFromList(nullptr, 3);
  EXPECT_EQ(WinEmu_GetChildCount(dlg), 0);
  WinEmu_GenerateDialogFromList(&item, 1);  // absurd scales: kept on the page, not broken
  ASSERT_EQ(WinEmu_GetChildCount(dlg), 1);
  EXPECT_EQ(WinEmu_GetChild(dlg, 5), nullptr);
  DestroyWindow(dlg);
  EXPECT_EQ(WinEmu_GetChildCount(dlg), 0);
  EXPECT_EQ(SendMessage(dlg, WM_COMMAND, 1, 0), 0);
}

}  // namespace
