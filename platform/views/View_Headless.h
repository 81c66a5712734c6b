#pragma once
// The back end without a screen: tests and the headless host drive it.
//
// Events are injected in window pixels; the timer fires when told; popups, message
// boxes, file prompts and dialogs take their answers from scripts given beforehand
// (an empty script dismisses or cancels); every such request and every URL is recorded.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "views/View_BackendCore.h"

class HeadlessViewBackend : public ViewBackendCore {
public:
  explicit HeadlessViewBackend(bool composited = true) : composited_(composited) {}

  bool IsComposited() const override { return composited_; }

  // --- injection ---
  void InjectMouse(const ViewMouseEvent& event) { DeliverMouse(event); }
  // A press and release of `button` at (x, y); clickCount 2 makes it the second of a double click.
  void Click(double x, double y, ViewMouseButton button = ViewMouseButton::Left, ViewModifiers mods = {},
             int clickCount = 1);
  void InjectWheel(const ViewWheelEvent& event) { DeliverWheel(event); }
  void InjectKey(const ViewKeyEvent& event) { DeliverKey(event); }
  // One key event per character (Return for '\n').
  void TypeText(const std::string& utf8);
  void InjectDeactivate() { DeliverDeactivated(); }
  // The user closes the window: the client is asked first, as the window's close
  // button asks; true when it closed.
  bool InjectClose() {
    if (!DeliverCloseRequest()) return false;
    DeliverClosed();
    return true;
  }
  void FireTimer() { DeliverTimer(); }
  // Repaints the invalid area; returns it (empty when nothing was invalid).
  ViewRect FlushDraws() { return DrawInvalidArea(); }
  // One turn of a real loop: the timer, then the repaint.
  ViewRect Tick();

  // --- scripts ---
  // The next popup chooses the item at this index path (see ViewMenuResolvePath).
  void ScriptPopupChoice(std::vector<int> path) { popupAnswers_.push_back({std::move(path), ""}); }
  // The next popup chooses the item titled `title` (a submenu item as "parent/child",
  // as ShownMenus lists it); it is dismissed when it has none.
  void ScriptPopupChoiceText(std::string title) { popupAnswers_.push_back({{}, std::move(title)}); }
  void ScriptPopupDismiss() { popupAnswers_.push_back({}); }
  void ScriptMessageBoxAnswer(ViewAlertResponse answer) { alertAnswers_.push_back({answer, ""}); }
  // The next message box is answered with its button of that label (any case); it is
  // dismissed when it has none.
  void ScriptMessageBoxAnswerText(std::string label) { alertAnswers_.push_back({{}, std::move(label)}); }
  // Scripted popup choices and message box answers no popup or box has taken yet.
  size_t PendingPopupAnswers() const { return popupAnswers_.size(); }
  size_t PendingMessageBoxAnswers() const { return alertAnswers_.size(); }
  // What scripted answers by title or label could not do, one line each ("no item
  // "X" in the menu; it offers "A", "B"), oldest first; taking them empties the list.
  std::vector<std::string> TakeScriptMisses() { return std::move(scriptMisses_); }
  void ScriptFilePromptAnswer(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
  void ScriptOpenURLResult(bool opened) { openURLResult_ = opened; }
  // The next dialog: each field's text is set, then the control `pressed` is
  // clicked (WM_COMMAND with its id; IDOK and IDCANCEL as Return and Escape give).
  struct DialogAnswer {
    std::vector<std::pair<int, std::string>> fields;  // control id, text
    int pressed = IDCANCEL;
  };
  void ScriptDialogAnswer(DialogAnswer answer) { dialogAnswers_.push_back(std::move(answer)); }

  // --- records ---
  struct ShownMenu {
    std::vector<std::string> titles;  // top level; submenu items as "parent/child"
    std::string checked;              // the top level's first checked item; "" for none
    int x = 0, y = 0;
  };
  const std::vector<ShownMenu>& ShownMenus() const { return shownMenus_; }
  const std::vector<ViewAlert>& ShownAlerts() const { return shownAlerts_; }
  const std::vector<ViewFilePrompt>& ShownPrompts() const { return shownPrompts_; }
  struct ShownDialog {
    std::string title;
    ViewRect rect;  // window pixels, as the dialog stood when shown
  };
  const std::vector<ShownDialog>& ShownDialogs() const { return shownDialogs_; }
  const std::vector<std::string>& OpenedURLs() const { return openedURLs_; }
  const std::vector<ViewRect>& PresentedAreas() const { return presented_; }
  const std::optional<ViewTextEntrySpec>& LastEntrySpec() const { return lastEntry_; }
  bool CursorHidden() const { return cursorHidden_; }
  int ArrowCursorRequests() const { return arrowCursorRequests_; }

  // --- ViewBackend ---
  std::optional<ViewMenuChoice> RunPopupMenu(const ViewMenu& menu, int x, int y) override;
  ViewAlertResponse ShowMessageBox(const ViewAlert& alert) override;
  std::optional<std::string> PromptForPath(const ViewFilePrompt& prompt) override;
  void RunDialog(HWND dialog) override;
  bool OpenURL(const std::string& target) override;
  bool HideCursor(int* x, int* y) override;
  bool ShowCursor(int x, int y) override;
  void SetArrowCursor() override { ++arrowCursorRequests_; }

private:
  void OnPresented(const ViewRect& area) override { presented_.push_back(area); }
  void OnEntryChanged() override;

  bool composited_;
  struct PopupAnswer {
    std::vector<int> path;
    std::string title;  // chosen by title when not empty
  };
  std::deque<PopupAnswer> popupAnswers_;
  struct AlertAnswer {
    std::optional<ViewAlertResponse> response;
    std::string label;  // answered by label when there is no response
  };
  std::deque<AlertAnswer> alertAnswers_;
  std::vector<std::string> scriptMisses_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::deque<DialogAnswer> dialogAnswers_;
  bool openURLResult_ = true;
  std::vector<ShownMenu> shownMenus_;
  std::vector<ViewAlert> shownAlerts_;
  std::vector<ViewFilePrompt> shownPrompts_;
  std::vector<ShownDialog> shownDialogs_;
  std::vector<std::string> openedURLs_;
  std::vector<ViewRect> presented_;
  std::optional<ViewTextEntrySpec> lastEntry_;
  bool cursorHidden_ = false;
  int cursorX_ = 0, cursorY_ = 0;
  int arrowCursorRequests_ = 0;
};
