#pragma once
// Windows: views, dialogs and their controls, as far as the program reaches them.
// Rectangles of top-level windows are in screen coordinates; a child's rect is
// kept relative to its parent and reported in screen coordinates.
// Every function accepts null or already destroyed handles and then does nothing
// (returning 0, false or an empty result).
//
// threads: main only.

#include "winemu/WinEmu_Types.h"

enum : int {
  GWL_USERDATA = -21,
};

// SetWindowPos flags, numbered as the program passes them.
enum : int {
  SWP_NOMOVE = 1,
  SWP_NOSIZE = 2,
  SWP_NOZORDER = 4,
};

// A plain window (the panel's view, for example) at rect under parent (null: a
// top-level window whose rect is in screen coordinates).
HWND WinEmu_CreateView(HWND parent, const RECT* rect);
// Destroys a window and its children.
BOOL DestroyWindow(HWND window);

// The size of the screen windows are centred on: 1920 x 1080 until a view back end
// sets it. The back ends show dialogs inside the panel and so set the panel's size.
void WinEmu_SetScreenSize(int width, int height);

// The user-data word (index GWL_USERDATA), pointer-sized; other indices give 0.
// SetWindowLong returns the previous value.
long SetWindowLong(HWND window, int index, long value);
long GetWindowLong(HWND window, int index);

BOOL GetWindowRect(HWND window, RECT* rect);
// Moves to (x, y) (in the parent's coordinates for a child) unless SWP_NOMOVE,
// sizes to (cx, cy) unless SWP_NOSIZE. Windows here have no stacking order, so
// `after` and SWP_NOZORDER change nothing.
BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, int flags);
// Centres a window on the screen.
void CenterWindow(HWND window);

// The control with that id among the window's children, or null.
HWND GetDlgItem(HWND dialog, int id);
// Copies at most size - 1 characters of control id's text and a terminating zero;
// returns the number copied (0, with an empty buffer, for a missing control).
int GetDlgItemText(HWND dialog, int id, char* buffer, int size);
BOOL SetDlgItemText(HWND dialog, int id, const char* text);
// The same on a window itself (a dialog's title, a control's text).
int GetWindowText(HWND window, char* buffer, int size);
BOOL SetWindowText(HWND window, const char* text);

// Calls the window's dialog procedure; 0 for windows without one.
long SendMessage(HWND window, unsigned int message, unsigned long wParam, long lParam);
