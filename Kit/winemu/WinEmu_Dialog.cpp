#include "winemu/WinEmu_Dialog.h"

#include <algorithm>
#include <cmath>

#include "winemu/WinEmu_Window.h"
#include "winemu/WinEmu_WindowRecord.h"

WinEmu_DialogResourceIndex* WinEmu_curmodule_dialogresource_head = nullptr;

namespace {

WinEmu_ModalDriver& Driver() {
  static WinEmu_ModalDriver driver;
  return driver;
}

struct CreationParms {
  float xscale = 1.0f;
  float yscale = 1.0f;
  float xtrans = 0.0f;
  float ytrans = 0.0f;
  HWND parent = nullptr;
};
CreationParms g_parms;

// A list longer than any module's is taken as a cycle.
constexpr int kMaxRecords = 100000;

WinEmu_DialogResourceIndex* FindRecord(WinEmu_DialogResourceIndex* head, int resourceId) {
  int visited = 0;
  for (auto* record = head; record && visited < kMaxRecords; record = record->next, ++visited) {
    if (record->resourceId == resourceId) return record;
  }
  return nullptr;
}

int Scaled(int v, float scale, float offset) {
  // Rounded: 1.8f is just below 1.8, and truncating would lose a pixel.
  const double scaled = std::floor(static_cast<double>(v) * scale + offset + 0.5);
  if (!(scaled > -1e9 && scaled < 1e9)) return 0;  // NaN or absurd: keep it on the page
  return static_cast<int>(scaled);
}

}  // namespace

int WinEmu_DialogBox(WinEmu_DialogResourceIndex* head, int resourceId, HWND parent, DLGPROC proc, long param) {
  WinEmu_DialogResourceIndex* record = FindRecord(head, resourceId);
  if (!record || !proc) return -1;

  const int width = std::max(record->width, 0), height = std::max(record->height, 0);
  int x = 0, y = 0;
  RECT over{0, 0, 0, 0};
  if (GetWindowRect(parent, &over)) {
    x = over.left + (over.right - over.left) / 2 - width / 2;
    y = over.top + (over.bottom - over.top) / 2 - height / 2;
  } else {
    int screenW = 0, screenH = 0;
    WinEmu_ScreenSize(&screenW, &screenH);
    x = (screenW - width) / 2;
    y = (screenH - height) / 2;
  }
  HWND dialog = WinEmu_NewWindow(nullptr, RECT{x, y, x + width, y + height});
  dialog->text = record->title ? record->title : "";
  WinEmu_ModalRun run;
  dialog->modal = &run;
  if (record->createFunc) record->createFunc(dialog, record->flags);
  dialog->proc = proc;

  SendMessage(dialog, WM_INITDIALOG, 0, param);
  if (!run.ended && Driver()) Driver()(dialog);
  if (!run.ended) SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  const int result = run.ended ? run.result : -1;
  if (WinEmu_IsWindow(dialog)) {
    dialog->modal = nullptr;
    DestroyWindow(dialog);
  }
  return result;
}

BOOL EndDialog(HWND dialog, int result) {
  if (!WinEmu_IsWindow(dialog) || !dialog->modal || dialog->modal->ended) return 0;
  dialog->modal->ended = true;
  dialog->modal->result = result;
  return 1;
}

bool WinEmu_IsDialogRunning(HWND dialog) { return WinEmu_IsWindow(dialog) && dialog->modal && !dialog->modal->ended; }

WinEmu_ModalDriver WinEmu_SetModalDriver(WinEmu_ModalDriver driver) {
  WinEmu_ModalDriver previous = std::move(Driver());
  Driver() = std::move(driver);
  return previous;
}

void WinEmu_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent, bool doauto,
                            bool dosizetofit) {
  g_parms = CreationParms{xscale, yscale, xtrans, ytrans, parent};
}

void WinEmu_GenerateDialogFromList(const WinEmu_DialogResourceItem* items, int count) {
  if (!items || !WinEmu_IsWindow(g_parms.parent)) return;
  for (int i = 0; i < count; ++i) {
    const WinEmu_DialogResourceItem& item = items[i];
    const int left = Scaled(item.x, g_parms.xscale, g_parms.xtrans);
    const int top = Scaled(item.y, g_parms.yscale, g_parms.ytrans);
    const int width = std::max(Scaled(item.width, g_parms.xscale, 0.0f), 0);
    const int height = std::max(Scaled(item.height, g_parms.yscale, 0.0f), 0);
    HWND control = WinEmu_NewWindow(g_parms.parent, RECT{left, top, left + width, top + height});
    control->className = item.className ? item.className : "";
    control->text = item.text ? item.text : "";
    control->id = item.id;
    control->flag = item.flag;
    control->style = item.style;
  }
}

int WinEmu_GetChildCount(HWND window) {
  return WinEmu_IsWindow(window) ? static_cast<int>(window->children.size()) : 0;
}

HWND WinEmu_GetChild(HWND window, int index) {
  if (index < 0 || index >= WinEmu_GetChildCount(window)) return nullptr;
  return window->children[static_cast<size_t>(index)];
}

const char* WinEmu_GetClassName(HWND window) { return WinEmu_IsWindow(window) ? window->className.c_str() : ""; }

int WinEmu_GetDlgCtrlID(HWND control) { return WinEmu_IsWindow(control) ? control->id : 0; }

int WinEmu_GetControlFlag(HWND control) { return WinEmu_IsWindow(control) ? control->flag : 0; }
