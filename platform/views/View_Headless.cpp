#include "views/View_Headless.h"

#include "Kit_AsciiCase.h"
#include "views/View_PanelKeys.h"
#include "winemu/WinEmu_Window.h"

void HeadlessViewBackend::Click(double x, double y, ViewMouseButton button, ViewModifiers mods, int clickCount) {
  ViewMouseEvent e;
  e.x = x;
  e.y = y;
  e.button = button;
  e.mods = mods;
  e.clickCount = clickCount;
  e.action = ViewMouseAction::Down;
  DeliverMouse(e);
  e.action = ViewMouseAction::Up;
  DeliverMouse(e);
}

void HeadlessViewBackend::TypeText(const std::string& utf8) {
  for (char32_t c : Utf8Decode(utf8)) {
    ViewKeyEvent key;
    if (c == U'\n') {
      key.keyCode = kViewKeyReturn;
      key.characters = "\r";
    } else {
      key.keyCode = c == U' ' ? kViewKeySpace : kViewKeyNone;
      key.characters = Utf8Encode(c);
    }
    DeliverKey(key);
  }
}

ViewRect HeadlessViewBackend::Tick() {
  DeliverTimer();
  return DrawInvalidArea();
}

namespace {

void CollectTitles(const ViewMenu& menu, const std::string& prefix, std::vector<std::string>* out) {
  for (const ViewMenuItem& item : menu.items) {
    out->push_back(prefix + (item.separator ? std::string("-") : item.title));
    if (item.submenu) CollectTitles(*item.submenu, prefix + item.title + "/", out);
  }
}

// "offers "A", "B"": the choosable titles or labels, for a line saying what was missing.
std::string Offered(const std::vector<std::string>& titles) {
  std::string out;
  for (const std::string& title : titles) {
    if (title == "-" || (title.size() > 1 && title.compare(title.size() - 2, 2, "/-") == 0)) continue;
    out += (out.empty() ? "\"" : ", \"") + title + "\"";
  }
  return out.empty() ? "it offers nothing" : "it offers " + out;
}

// The index path of the first item titled `title` ("parent/child" inside submenus).
bool PathOfTitle(const ViewMenu& menu, const std::string& title, std::vector<int>* path) {
  for (size_t i = 0; i < menu.items.size(); ++i) {
    const ViewMenuItem& item = menu.items[i];
    if (item.separator) continue;
    path->push_back(int(i));
    if (!item.submenu && item.title == title) return true;
    const std::string prefix = item.title + "/";
    if (item.submenu && title.compare(0, prefix.size(), prefix) == 0 &&
        PathOfTitle(*item.submenu, title.substr(prefix.size()), path))
      return true;
    path->pop_back();
  }
  return false;
}

}  // namespace

std::optional<ViewMenuChoice> HeadlessViewBackend::RunPopupMenu(const ViewMenu& menu, int x, int y) {
  ShownMenu shown;
  CollectTitles(menu, "", &shown.titles);
  for (const ViewMenuItem& item : menu.items) {
    if (!item.checked) continue;
    shown.checked = item.title;
    break;
  }
  shown.x = x;
  shown.y = y;
  shownMenus_.push_back(std::move(shown));
  if (popupAnswers_.empty()) return std::nullopt;
  PopupAnswer answer = std::move(popupAnswers_.front());
  popupAnswers_.pop_front();
  std::vector<int> path = std::move(answer.path);
  if (!answer.title.empty() && !PathOfTitle(menu, answer.title, &path)) {
    scriptMisses_.push_back("no item \"" + answer.title + "\" in the menu; " + Offered(shownMenus_.back().titles));
    return std::nullopt;
  }
  ViewMenuChoice choice;
  if (!ViewMenuResolvePath(menu, path, &choice)) return std::nullopt;
  return choice;
}

ViewAlertResponse HeadlessViewBackend::ShowMessageBox(const ViewAlert& alert) {
  shownAlerts_.push_back(alert);
  if (alertAnswers_.empty()) return ViewAlertResponse::Dismissed;
  const AlertAnswer answer = alertAnswers_.front();
  alertAnswers_.pop_front();
  if (answer.response) return *answer.response;
  std::vector<std::string> labels;
  for (const ViewAlertButton& button : alert.buttons) {
    if (Kit_AsciiLower(button.label) == Kit_AsciiLower(answer.label)) {
      switch (button.role) {
        case ViewAlertButton::Role::Default: return ViewAlertResponse::Default;
        case ViewAlertButton::Role::Alternate: return ViewAlertResponse::Alternate;
        case ViewAlertButton::Role::Other: return ViewAlertResponse::Other;
      }
    }
    labels.push_back(button.label);
  }
  scriptMisses_.push_back("no button \"" + answer.label + "\" in the message box \"" + alert.caption + "\"; " +
                          Offered(labels));
  return ViewAlertResponse::Dismissed;
}

std::optional<std::string> HeadlessViewBackend::PromptForPath(const ViewFilePrompt& prompt) {
  shownPrompts_.push_back(prompt);
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

void HeadlessViewBackend::RunDialog(HWND dialog) {
  char title[256];
  GetWindowText(dialog, title, sizeof title);
  RECT r{0, 0, 0, 0};
  GetWindowRect(dialog, &r);
  shownDialogs_.push_back({title, {r.left, r.top, r.right - r.left, r.bottom - r.top}});
  if (dialogAnswers_.empty()) return;
  const DialogAnswer answer = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  for (const auto& field : answer.fields) SetDlgItemText(dialog, field.first, field.second.c_str());
  SendMessage(dialog, WM_COMMAND, unsigned(answer.pressed) & 0xFFFFu, 0);
}

bool HeadlessViewBackend::OpenURL(const std::string& target) {
  openedURLs_.push_back(target);
  return openURLResult_;
}

bool HeadlessViewBackend::HideCursor(int* x, int* y) {
  *x = cursorX_;
  *y = cursorY_;
  cursorHidden_ = true;
  return true;
}

bool HeadlessViewBackend::ShowCursor(int x, int y) {
  cursorX_ = x;
  cursorY_ = y;
  cursorHidden_ = false;
  return true;
}

void HeadlessViewBackend::OnEntryChanged() {
  if (const ViewTextEntry* entry = Entry()) lastEntry_ = entry->Request();
}
