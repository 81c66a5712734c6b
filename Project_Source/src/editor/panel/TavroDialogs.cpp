#include "editor/panel/TavroDialogs.h"

#include <cstring>

#include "winemu/WinEmu_Dialog.h"
#include "winemu/WinEmu_Window.h"

namespace {

constexpr int kBankNameLength = 255;  // buffer: 254 characters and the zero

// The first item is the list's empty head and is not passed on.
const WinEmu_DialogResourceItem kPatchSaveItems[] = {
    {nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
    {"__WINEMU_LABEL", -1, "Bank Name", 0, 10, 10, 200, 8, 0},
    {"__WINEMU_EDIT", 0, "", IDC_BANK_NAME, 10, 20, 200, 12, 0x10000},
    {"__WINEMU_BUTTON", 0, "&Cancel", IDCANCEL, 160, 60, 50, 14, 0},
    {"__WINEMU_BUTTON", 0, "&OK    ", IDC_BANK_NAME_OK, 100, 60, 50, 14, 0},
};

void WinEmu__dlg_cf__IDD_PATCH_SAVE(HWND view, int flags) {
  WinEmu_MakeSetCurParms(1.8f, 1.8f, 0, 0, view, false, !(flags & WINEMU_DLG_NO_SIZE_TO_FIT));
  WinEmu_GenerateDialogFromList(kPatchSaveItems + 1, 4);
}

WinEmu_DialogResourceIndex gPatchSaveRecord{IDD_PATCH_SAVE,
                                            "Enter Bank Name",
                                            WINEMU_DLG_FLIPPED | WINEMU_DLG_NO_SIZE_TO_FIT,
                                            WinEmu__dlg_cf__IDD_PATCH_SAVE,
                                            396,
                                            144,
                                            nullptr};

// The record goes to the front of the module's list when the module loads, before any
// dialog can be opened.
[[maybe_unused]] const bool gPatchSaveListed = [] {
  gPatchSaveRecord.next = WinEmu_curmodule_dialogresource_head;
  WinEmu_curmodule_dialogresource_head = &gPatchSaveRecord;
  return true;
}();

}  // namespace

long EnterPatchName(HWND dialog, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_INITDIALOG) {
    CenterWindow(dialog);
    SetWindowLong(dialog, GWL_USERDATA, lParam);
    return 1;
  }
  if (msg != WM_COMMAND) return 0;
  const unsigned int id = LOWORD(wParam);
  if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  } else if (id == IDC_BANK_NAME_OK) {
    char buffer[kBankNameLength];
    std::memset(buffer, 0, sizeof buffer);
    GetDlgItemText(dialog, IDC_BANK_NAME, buffer, kBankNameLength);
    if (auto* data = reinterpret_cast<BankNameDialogData*>(GetWindowLong(dialog, GWL_USERDATA))) data->name = buffer;
    EndDialog(dialog, 1);
  }
  // Any other control, Return included, leaves the dialog open.
  return 1;
}

long MessageBoxProg(HWND dialog, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_INITDIALOG) {
    CenterWindow(dialog);
    return 1;
  }
  if (msg != WM_COMMAND) return 0;
  if (LOWORD(wParam) == IDOK) EndDialog(dialog, IDOK);
  return 1;
}

int showMessageBox(HWND parent, Tavro* plug, int resourceId, void* extra) {
  return WinEmu_DialogBox(WinEmu_curmodule_dialogresource_head, resourceId, parent, &MessageBoxProg,
                          reinterpret_cast<long>(plug));
}

int showPatchNameMessageBox(HWND parent, Tavro* plug, int resourceId, std::string* bankName) {
  BankNameDialogData data;
  data.plug = plug;
  const int result = WinEmu_DialogBox(WinEmu_curmodule_dialogresource_head, resourceId, parent, &EnterPatchName,
                                      reinterpret_cast<long>(&data));
  if (result == 1 && bankName) *bankName = data.name;
  return result;
}

void centerDialog(HWND parent, HWND dialog) {
  RECT outer{}, inner{};
  GetWindowRect(parent, &outer);
  GetWindowRect(dialog, &inner);
  const int x = outer.left + (outer.right - outer.left) / 2 - (inner.right - inner.left) / 2;
  const int y = outer.top + (outer.bottom - outer.top) / 2 - (inner.bottom - inner.top) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
