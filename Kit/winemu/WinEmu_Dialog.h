#pragma once
// Dialogs built from resource records and run modally.
//
// threads: main only.

#include <functional>

#include "winemu/WinEmu_Types.h"

// Dialog resource record flags.
enum : int {
  WINEMU_DLG_CHILD = 1,
  WINEMU_DLG_RESIZABLE = 2,
  WINEMU_DLG_FLIPPED = 4,
  WINEMU_DLG_NO_SIZE_TO_FIT = 8,
};

struct WinEmu_DialogResourceIndex {
  int resourceId;
  const char* title;
  int flags;
  void (*createFunc)(HWND view, int flags);  // builds the controls into view
  int width;
  int height;
  WinEmu_DialogResourceIndex* next;
};

// Head of the module's list of dialog records (null while empty).
extern WinEmu_DialogResourceIndex* WinEmu_curmodule_dialogresource_head;

// One control of a dialog's control list.
struct WinEmu_DialogResourceItem {
  const char* className;  // "__WINEMU_LABEL", "__WINEMU_EDIT", "__WINEMU_BUTTON", ...
  int flag;               // for labels: -1 left-aligned
  const char* text;
  int id;
  int x;
  int y;
  int width;
  int height;
  int style;
};

// Finds the record with resourceId in the list from head, makes the dialog (its
// size from the record, centred over parent, or on the screen when parent is null),
// lets the record's create function build the controls, sends WM_INITDIALOG with
// param as lParam, runs it modally until EndDialog and returns that value.
// -1 when there is no such record or no procedure.
//
// The modal run belongs to the view back end: it is the modal driver's call (see
// WinEmu_SetModalDriver), made once after WM_INITDIALOG while the dialog has not
// ended. When the driver returns (or there is none, as when headless without a
// script) and the dialog is still open, the run sends WM_COMMAND IDCANCEL, as the
// Escape key would; a dialog that ignores even that gives -1.
int WinEmu_DialogBox(WinEmu_DialogResourceIndex* head, int resourceId, HWND parent, DLGPROC proc, long param);
// Ends the modal run of dialog with result; false when dialog is not running.
BOOL EndDialog(HWND dialog, int result);
// True while the dialog's modal run goes on (EndDialog not yet called).
bool WinEmu_IsDialogRunning(HWND dialog);

// The modal driver: the view back end's (or a test's) modal loop. It receives the
// open dialog and acts like the user (SetDlgItemText, SendMessage of WM_COMMAND),
// returning when the dialog has ended or it has nothing more to do. An empty
// function removes the driver. Returns the driver installed before.
using WinEmu_ModalDriver = std::function<void(HWND dialog)>;
WinEmu_ModalDriver WinEmu_SetModalDriver(WinEmu_ModalDriver driver);

// Control-creation parameters for WinEmu_GenerateDialogFromList: a control at item
// (x, y, width, height) is made at (x * xscale + xtrans, y * yscale + ytrans) with size
// (width * xscale, height * yscale), rounded to whole pixels, under parent. doauto (anchoring to the
// right edge) and dosizetofit (fitting native widgets to their text) are accepted;
// with no native widgets here, controls keep the list's scaled sizes.
void WinEmu_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent, bool doauto,
                            bool dosizetofit);
// Creates count controls from items under the current parent; nothing without one.
void WinEmu_GenerateDialogFromList(const WinEmu_DialogResourceItem* items, int count);

// What a back end needs to show a dialog's controls.
int WinEmu_GetChildCount(HWND window);
HWND WinEmu_GetChild(HWND window, int index);
// The class name a control was made with ("" for views and dialogs).
const char* WinEmu_GetClassName(HWND window);
int WinEmu_GetDlgCtrlID(HWND control);
// The flag word a control was made with (for labels, -1 is left-aligned).
int WinEmu_GetControlFlag(HWND control);
