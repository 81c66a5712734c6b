#include "winemu/WinEmu_Window.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "winemu/WinEmu_WindowRecord.h"

namespace {

std::unordered_set<HWND>& LiveWindows() {
  static std::unordered_set<HWND> windows;
  return windows;
}

int g_screenWidth = 1920;
int g_screenHeight = 1080;

int CopyText(const std::string& text, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  const int count = static_cast<int>(std::min<size_t>(text.size(), static_cast<size_t>(size - 1)));
  memcpy(buffer, text.data(), static_cast<size_t>(count));
  buffer[count] = '\0';
  return count;
}

}  // namespace

HWND WinEmu_NewWindow(HWND parent, const RECT& rect) {
  HWND window = new HWND__();
  window->parent = WinEmu_IsWindow(parent) ? parent : nullptr;
  window->rect = rect;
  if (window->parent) window->parent->children.push_back(window);
  LiveWindows().insert(window);
  return window;
}

bool WinEmu_IsWindow(HWND window) { return window && LiveWindows().count(window) != 0; }

void WinEmu_ScreenOrigin(HWND window, int* x, int* y) {
  *x = 0;
  *y = 0;
  for (HWND w = window; w; w = w->parent) {
    *x += w->rect.left;
    *y += w->rect.top;
  }
}

void WinEmu_ScreenSize(int* width, int* height) {
  *width = g_screenWidth;
  *height = g_screenHeight;
}

void WinEmu_SetScreenSize(int width, int height) {
  g_screenWidth = std::max(width, 0);
  g_screenHeight = std::max(height, 0);
}

HWND WinEmu_CreateView(HWND parent, const RECT* rect) {
  return WinEmu_NewWindow(parent, rect ? *rect : RECT{0, 0, 0, 0});
}

BOOL DestroyWindow(HWND window) {
  if (!WinEmu_IsWindow(window)) return 0;
  while (!window->children.empty()) DestroyWindow(window->children.back());
  if (window->parent) {
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
  }
  LiveWindows().erase(window);
  delete window;
  return 1;
}

long SetWindowLong(HWND window, int index, long value) {
  if (!WinEmu_IsWindow(window) || index != GWL_USERDATA) return 0;
  const long previous = window->userData;
  window->userData = value;
  return previous;
}

long GetWindowLong(HWND window, int index) {
  if (!WinEmu_IsWindow(window) || index != GWL_USERDATA) return 0;
  return window->userData;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (!WinEmu_IsWindow(window) || !rect) return 0;
  int x = 0, y = 0;
  WinEmu_ScreenOrigin(window, &x, &y);
  *rect = RECT{x, y, x + (window->rect.right - window->rect.left), y + (window->rect.bottom - window->rect.top)};
  return 1;
}

BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, int flags) {
  if (!WinEmu_IsWindow(window)) return 0;
  RECT& r = window->rect;
  const int width = (flags & SWP_NOSIZE) ? r.right - r.left : std::max(cx, 0);
  const int height = (flags & SWP_NOSIZE) ? r.bottom - r.top : std::max(cy, 0);
  if (!(flags & SWP_NOMOVE)) {
    r.left = x;
    r.top = y;
  }
  r.right = r.left + width;
  r.bottom = r.top + height;
  return 1;
}

void CenterWindow(HWND window) {
  if (!WinEmu_IsWindow(window)) return;
  const int width = window->rect.right - window->rect.left;
  const int height = window->rect.bottom - window->rect.top;
  int parentX = 0, parentY = 0;
  WinEmu_ScreenOrigin(window->parent, &parentX, &parentY);
  SetWindowPos(window, nullptr, (g_screenWidth - width) / 2 - parentX, (g_screenHeight - height) / 2 - parentY, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
}

HWND GetDlgItem(HWND dialog, int id) {
  if (!WinEmu_IsWindow(dialog)) return nullptr;
  for (HWND child : dialog->children) {
    if (child->id == id) return child;
  }
  return nullptr;
}

int GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return CopyText(std::string(), buffer, size);
  return CopyText(control->text, buffer, size);
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) { return SetWindowText(GetDlgItem(dialog, id), text); }

int GetWindowText(HWND window, char* buffer, int size) {
  if (!WinEmu_IsWindow(window)) return CopyText(std::string(), buffer, size);
  return CopyText(window->text, buffer, size);
}

BOOL SetWindowText(HWND window, const char* text) {
  if (!WinEmu_IsWindow(window)) return 0;
  window->text = text ? text : "";
  return 1;
}

long SendMessage(HWND window, unsigned int message, unsigned long wParam, long lParam) {
  if (!WinEmu_IsWindow(window) || !window->proc) return 0;
  return window->proc(window, message, wParam, lParam);
}
