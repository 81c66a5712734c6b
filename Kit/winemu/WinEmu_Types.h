#pragma once
// Handle and record types of the Windows-API emulation, with the Win32 names.

struct HWND__;
typedef HWND__* HWND;  // a window: a dialog, one of its controls, or a view
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;  // a drawing object; fonts are the only kind
struct HDC__;
typedef HDC__* HDC;  // a drawing context (WinEmu_DC.h)

typedef int BOOL;

struct RECT {
  int left;
  int top;
  int right;
  int bottom;
};

// Messages a dialog procedure receives.
enum : unsigned int {
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
};

// Standard control ids.
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
};

// Dialog procedure: (dialog, message, wParam, lParam) -> handled.
typedef long (*DLGPROC)(HWND, unsigned int, unsigned long, long);

inline unsigned int LOWORD(unsigned long v) { return static_cast<unsigned int>(v & 0xFFFFu); }
inline unsigned int HIWORD(unsigned long v) { return static_cast<unsigned int>((v >> 16) & 0xFFFFu); }
