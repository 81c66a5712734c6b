#include "views/View_DialogSession.h"

#include <string>

#include "winemu/WinEmu_Dialog.h"
#include "winemu/WinEmu_Window.h"

namespace {

constexpr const char* kLabelClass = "__WINEMU_LABEL";
constexpr const char* kEditClass = "__WINEMU_EDIT";
constexpr const char* kButtonClass = "__WINEMU_BUTTON";

ViewRect RectOf(HWND window) {
  RECT r{0, 0, 0, 0};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string TextOf(HWND window) {
  // Longer than any field: GetWindowText cuts at the buffer.
  char text[1024];
  GetWindowText(window, text, sizeof text);
  return text;
}

bool IsClass(HWND control, const char* name) { return std::string(WinEmu_GetClassName(control)) == name; }

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (int i = 0, n = WinEmu_GetChildCount(dialog); i < n; ++i) children.push_back(WinEmu_GetChild(dialog, i));
  return children;
}

}  // namespace

std::string ViewDialogButtonLabel(const std::string& text) {
  std::string label;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    label += text[i];
    if (text[i] == '&') ++i;
  }
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

ViewDialogSession::ViewDialogSession(HWND dialog, ViewOverlayPainter& painter)
    : dialog_(dialog), titleHeight_(painter.LineHeight() + 8) {
  const std::vector<HWND> fields = Fields();
  if (!fields.empty()) Focus(fields.front());
}

bool ViewDialogSession::Done() const { return !WinEmu_IsDialogRunning(dialog_); }

ViewRect ViewDialogSession::DialogRect() const { return RectOf(dialog_); }

ViewRect ViewDialogSession::Bounds() const {
  const ViewRect r = DialogRect();
  return {r.x, r.y - titleHeight_, r.w, r.h + titleHeight_};
}

std::vector<HWND> ViewDialogSession::Fields() const {
  std::vector<HWND> fields;
  for (HWND child : Children(dialog_))
    if (IsClass(child, kEditClass)) fields.push_back(child);
  return fields;
}

void ViewDialogSession::Focus(HWND field) {
  focus_ = field;
  ViewTextEntrySpec request;
  request.rect = RectOf(field);
  request.text = TextOf(field);
  request.fontFace = ViewOverlayPainter::kFace;
  request.fontSize = ViewOverlayPainter::kSize;
  entry_.emplace(request);
}

void ViewDialogSession::Command(int id) { SendMessage(dialog_, WM_COMMAND, unsigned(id) & 0xFFFFu, 0); }

void ViewDialogSession::Mouse(const ViewMouseEvent& e) {
  if (Done() || e.action != ViewMouseAction::Down || e.button != ViewMouseButton::Left) return;
  for (HWND child : Children(dialog_)) {
    if (!RectOf(child).Contains(int(e.x), int(e.y))) continue;
    if (IsClass(child, kButtonClass)) Command(WinEmu_GetDlgCtrlID(child));
    if (IsClass(child, kEditClass) && child != focus_) Focus(child);
    return;
  }
}

void ViewDialogSession::Key(const ViewKeyEvent& key) {
  if (Done()) return;
  switch (key.keyCode) {
    case kViewKeyEscape: Command(IDCANCEL); return;
    case kViewKeyReturn:
    case kViewKeyEnter: Command(IDOK); return;
    case kViewKeyTab: {
      const std::vector<HWND> fields = Fields();
      for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i] == focus_) {
          Focus(fields[(i + 1) % fields.size()]);
          return;
        }
      return;
    }
    default:
      if (!entry_) return;
      entry_->HandleKey(key);
      SetWindowText(focus_, entry_->Text().c_str());
  }
}

void ViewDialogSession::Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) {
  const ViewRect all = Bounds();
  painter.Fill(dest, all, ViewOverlayColours::kFace);
  painter.Fill(dest, {all.x, all.y, all.w, titleHeight_}, ViewOverlayColours::kHighlight);
  painter.Text(dest, {all.x + 8, all.y, all.w - 16, titleHeight_}, TextOf(dialog_), ViewOverlayColours::kHighlightText,
               ViewTextAlign::Left);
  painter.Frame(dest, all, ViewOverlayColours::kFrame);
  for (HWND child : Children(dialog_)) {
    const ViewRect r = RectOf(child);
    if (IsClass(child, kEditClass)) {
      painter.Fill(dest, r, 0xFFFFFF);
      painter.Frame(dest, r, child == focus_ ? ViewOverlayColours::kHighlight : ViewOverlayColours::kFrame);
      if (child == focus_ && entry_) {
        entry_->SetRect({r.x + 1, r.y + 1, r.w - 2, r.h - 2});
        painter.Entry(dest, *entry_);
      } else {
        painter.Text(dest, {r.x + 3, r.y, r.w - 6, r.h}, TextOf(child), ViewOverlayColours::kText, ViewTextAlign::Left);
      }
    } else if (IsClass(child, kButtonClass)) {
      painter.Fill(dest, r, 0xFFFFFF);
      painter.Frame(dest, r, ViewOverlayColours::kFrame);
      painter.Text(dest, r, ViewDialogButtonLabel(TextOf(child)), ViewOverlayColours::kText, ViewTextAlign::Center);
    } else {
      // Labels (left-aligned for flag -1, else centred) and anything else, as text.
      const bool centred = IsClass(child, kLabelClass) && WinEmu_GetControlFlag(child) != -1;
      const ViewTextAlign align = centred ? ViewTextAlign::Center : ViewTextAlign::Left;
      painter.Text(dest, r, TextOf(child), ViewOverlayColours::kText, align);
    }
  }
}
