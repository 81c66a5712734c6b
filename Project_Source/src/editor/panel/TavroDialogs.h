#pragma once
// The editor's modal dialogs: the bank-name dialog and plain message dialogs, built
// from the Windows-API emulation's records and run by the view back end's modal
// driver.
//
// threads: main

#include <string>

#include "winemu/WinEmu_Types.h"

class Tavro;

enum TavroDialogID : int {
  IDD_PATCH_SAVE = 10014,
  IDC_BANK_NAME = 10013,
  IDC_BANK_NAME_OK = 10006,
};

// What a bank-name dialog gives back; its address is the dialog's parameter.
struct BankNameDialogData {
  Tavro* plug = nullptr;
  std::string name;  // at most 254 characters, set on OK
};

long EnterPatchName(HWND dialog, unsigned int msg, unsigned long wParam, long lParam);
long MessageBoxProg(HWND dialog, unsigned int msg, unsigned long wParam, long lParam);

// Runs dialog `resourceId` over parent with MessageBoxProg; its end value.
int showMessageBox(HWND parent, Tavro* plug, int resourceId, void* extra);
// Runs the bank-name dialog; 1 after OK (`bankName` then holds the name), 2 after Cancel.
int showPatchNameMessageBox(HWND parent, Tavro* plug, int resourceId, std::string* bankName);
// Moves dialog so that it is centred over parent, keeping its size.
void centerDialog(HWND parent, HWND dialog);
