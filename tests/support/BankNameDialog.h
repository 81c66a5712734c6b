#pragma once
// A dialog shaped like the editor's bank-name dialog, for the back ends' dialog
// tests: a label, an edit field (10013), Cancel (IDCANCEL) and OK (10006) at scale
// 1.8. Its procedure centres it, ends with 2 on Cancel and 1 on OK, reading the
// field, and records every command; Return (IDOK) leaves it open.

#include <string>
#include <vector>

#include "winemu/WinEmu.h"

struct BankNameDialog {
  static constexpr int kResourceId = 10014, kField = 10013, kOk = 10006;

  struct Seen {
    std::vector<unsigned> commands;
    std::string name;
  };
  static Seen& Outcome() {
    static Seen seen;
    return seen;
  }

  // Runs the dialog over no parent, as the editor does; its end value.
  static int Run() {
    static const WinEmu_DialogResourceItem items[] = {
        {"__WINEMU_LABEL", -1, "Bank Name", 0, 10, 10, 200, 8, 0},
        {"__WINEMU_EDIT", 0, "", kField, 10, 20, 200, 12, 0x10000},
        {"__WINEMU_BUTTON", 0, "&Cancel", IDCANCEL, 160, 60, 50, 14, 0},
        {"__WINEMU_BUTTON", 0, "&OK    ", kOk, 100, 60, 50, 14, 0},
    };
    static WinEmu_DialogResourceIndex record{kResourceId,
                                             "Enter Bank Name",
                                             12,
                                             [](HWND view, int flags) {
                                               WinEmu_MakeSetCurParms(1.8f, 1.8f, 0, 0, view, false,
                                                                      !(flags & WINEMU_DLG_NO_SIZE_TO_FIT));
                                               WinEmu_GenerateDialogFromList(items, 4);
                                             },
                                             396,
                                             144,
                                             nullptr};
    Outcome() = Seen{};
    return WinEmu_DialogBox(&record, kResourceId, nullptr, &Procedure, 0);
  }

  static long Procedure(HWND dlg, unsigned int msg, unsigned long wParam, long) {
    if (msg == WM_INITDIALOG) {
      CenterWindow(dlg);
      return 1;
    }
    if (msg != WM_COMMAND) return 0;
    Outcome().commands.push_back(LOWORD(wParam));
    if (LOWORD(wParam) == IDCANCEL) EndDialog(dlg, 2);
    if (LOWORD(wParam) == kOk) {
      char buffer[255] = "";
      GetDlgItemText(dlg, kField, buffer, sizeof buffer);
      Outcome().name = buffer;
      EndDialog(dlg, 1);
    }
    return 1;
  }
};
