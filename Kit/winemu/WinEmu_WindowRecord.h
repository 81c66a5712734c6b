#pragma once
// The record behind a window handle. Internal to the emulation.

#include <string>
#include <vector>

#include "winemu/WinEmu_Types.h"

// State of a running modal dialog; lives on WinEmu_DialogBox's stack.
struct WinEmu_ModalRun {
  bool ended = false;
  int result = 0;
};

struct HWND__ {
  HWND parent = nullptr;
  std::vector<HWND> children;
  RECT rect{0, 0, 0, 0};  // in the parent's coordinates (the screen's for top level)
  std::string className;
  std::string text;
  int id = 0;
  int flag = 0;
  int style = 0;
  long userData = 0;
  DLGPROC proc = nullptr;
  WinEmu_ModalRun* modal = nullptr;  // set while the dialog's modal run lasts
};

// Creates a window record under parent (null: top level) and registers it.
HWND WinEmu_NewWindow(HWND parent, const RECT& rect);
// True for a handle made here and not yet destroyed.
bool WinEmu_IsWindow(HWND window);
// The top-left corner of a window in screen coordinates.
void WinEmu_ScreenOrigin(HWND window, int* x, int* y);
// The screen size windows are centred on.
void WinEmu_ScreenSize(int* width, int* height);
