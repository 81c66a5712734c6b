#include <gtest/gtest.h>

#include "BankNameDialog.h"
#include "RecordingClient.h"
#include "views/View_Headless.h"

namespace {

class HeadlessBackend : public ::testing::Test {
protected:
  void SetUp() override { backend.Attach(&client, 120, 80, 0.04); }
  HeadlessViewBackend backend;
  RecordingClient client{&backend};
};

TEST_F(HeadlessBackend, AttachAsksForAFullFirstDraw) {
  EXPECT_EQ(backend.Tick(), (ViewRect{0, 0, 120, 80}));
  EXPECT_EQ(client.timers, 1);
  ASSERT_EQ(client.draws.size(), 1u);
  EXPECT_EQ(backend.Tick(), ViewRect{});
  EXPECT_EQ(client.draws.size(), 1u);
  EXPECT_EQ(client.timers, 2);
}

TEST_F(HeadlessBackend, InvalidAreasUniteClipAndReachTheFrameBuffer) {
  backend.FlushDraws();
  client.colour = PanelPixelFromRgb(200, 10, 10);
  backend.Invalidate({10, 10, 5, 5});
  backend.Invalidate({100, 70, 50, 50});
  EXPECT_EQ(backend.InvalidArea(), (ViewRect{10, 10, 110, 70}));
  EXPECT_EQ(backend.FlushDraws(), (ViewRect{10, 10, 110, 70}));
  EXPECT_EQ(backend.PresentedAreas().back(), (ViewRect{10, 10, 110, 70}));
  EXPECT_EQ(PanelPixelRgb(backend.FrameBuffer().Pixel(119, 79)), 0xC80A0Au);
}

// The client hands over its whole bitmap; the window takes only what it repaints.
TEST_F(HeadlessBackend, OnlyTheRepaintedAreaIsTakenFromTheBitmap) {
  backend.FlushDraws();
  const uint32_t before = backend.FrameBuffer().Pixel(0, 0);
  client.colour = PanelPixelFromRgb(200, 10, 10);
  ASSERT_NE(before, client.colour);
  backend.Invalidate({10, 10, 5, 5});
  backend.FlushDraws();
  EXPECT_EQ(backend.FrameBuffer().Pixel(10, 10), client.colour);
  EXPECT_EQ(backend.FrameBuffer().Pixel(14, 14), client.colour);
  EXPECT_EQ(backend.FrameBuffer().Pixel(15, 14), before);
  EXPECT_EQ(backend.FrameBuffer().Pixel(9, 10), before);
  EXPECT_EQ(backend.FrameBuffer().Pixel(0, 0), before);
}

TEST_F(HeadlessBackend, InvalidAreaOutsideTheViewDrawsNothing) {
  backend.FlushDraws();
  backend.Invalidate({500, 500, 10, 10});
  EXPECT_EQ(backend.FlushDraws(), ViewRect{});
  EXPECT_EQ(client.draws.size(), 1u);
}

TEST_F(HeadlessBackend, EventsReachTheClientAsInjected) {
  ViewModifiers shift;
  shift.shift = true;
  backend.Click(12.5, 30, ViewMouseButton::Right, shift, 2);
  ASSERT_EQ(client.mice.size(), 2u);
  EXPECT_EQ(client.mice[0].action, ViewMouseAction::Down);
  EXPECT_EQ(client.mice[1].action, ViewMouseAction::Up);
  EXPECT_EQ(client.mice[0].button, ViewMouseButton::Right);
  EXPECT_EQ(client.mice[0].clickCount, 2);
  EXPECT_TRUE(client.mice[0].mods.shift);
  EXPECT_DOUBLE_EQ(client.mice[0].x, 12.5);

  backend.InjectWheel({5, 6, 0, -1, {}});
  ASSERT_EQ(client.wheels.size(), 1u);
  EXPECT_EQ(client.wheels[0].deltaY, -1);

  backend.TypeText("a ");
  ASSERT_EQ(client.keys.size(), 2u);
  EXPECT_EQ(client.keys[1].keyCode, kViewKeySpace);
  backend.InjectDeactivate();
  EXPECT_EQ(client.deactivations, 1);
}

TEST_F(HeadlessBackend, OpenEntryTakesKeysAndItsOwnClicks) {
  ViewTextEntrySpec request;
  request.rect = {10, 10, 50, 16};
  request.text = "old";
  request.selectAll = true;
  backend.OpenTextEntry(request);
  backend.Click(20, 15);  // inside the entry
  EXPECT_TRUE(client.mice.empty());
  ViewMouseEvent drag;
  drag.action = ViewMouseAction::Down;
  drag.x = 90;
  drag.y = 60;
  backend.InjectMouse(drag);  // pressed outside, released inside: the client's
  drag.action = ViewMouseAction::Up;
  drag.x = 20;
  drag.y = 15;
  backend.InjectMouse(drag);
  EXPECT_EQ(client.mice.size(), 2u);
  client.mice.clear();
  backend.Click(90, 60);  // elsewhere
  EXPECT_EQ(client.mice.size(), 2u);
  backend.TypeText("Bass\n");
  EXPECT_TRUE(client.keys.empty());
  ASSERT_EQ(client.committed.size(), 1u);
  EXPECT_EQ(client.committed[0], "Bass");
  EXPECT_FALSE(backend.IsTextEntryOpen());
  backend.TypeText("x");
  EXPECT_EQ(client.keys.size(), 1u);
}

// The caret keys, Delete and select-all injected as a host script does reach the
// entry, none of them the panel.
TEST_F(HeadlessBackend, CaretKeysAndSelectAllReachTheOpenEntry) {
  ViewTextEntrySpec request;
  request.text = "Bass";
  backend.OpenTextEntry(request);
  backend.InjectKey({kViewKeyHome, "", {}});
  backend.InjectKey({kViewKeyForwardDelete, "", {}});
  backend.TypeText("P");
  backend.InjectKey({kViewKeyEnd, "", {}});
  backend.InjectKey({kViewKeyLeft, "", {}});
  backend.TypeText("t");
  EXPECT_EQ(backend.TextEntryText(), "Pasts");
  ViewKeyEvent selectAll{kViewKeyNone, "a", {}};
  selectAll.mods.control = true;
  backend.InjectKey(selectAll);
  backend.TypeText("Pad\n");
  ASSERT_EQ(client.committed.size(), 1u);
  EXPECT_EQ(client.committed[0], "Pad");
  EXPECT_TRUE(client.keys.empty());
}

TEST_F(HeadlessBackend, EscapeCancelsTheEntryAndReachesNoPanelKey) {
  ViewTextEntrySpec request;
  request.text = "Bass";
  backend.OpenTextEntry(request);
  backend.TypeText("y");
  ViewKeyEvent escape;
  escape.keyCode = kViewKeyEscape;
  escape.characters = "\x1b";
  backend.InjectKey(escape);
  EXPECT_EQ(client.cancels, 1);
  EXPECT_TRUE(client.committed.empty());
  EXPECT_TRUE(client.keys.empty());
  EXPECT_FALSE(backend.IsTextEntryOpen());
}

TEST_F(HeadlessBackend, ClosingTheEntryWithoutReturnCommitsNothing) {
  backend.OpenTextEntry({});
  backend.TypeText("abc");
  EXPECT_EQ(backend.TextEntryText(), "abc");
  backend.CloseTextEntry();
  EXPECT_TRUE(client.committed.empty());
  EXPECT_EQ(backend.TextEntryText(), "");
}

ViewMenu TwoLevelMenu() {
  ViewMenu m;
  m.items.resize(2);
  m.items[0].title = "Sine";
  m.items[1].title = "More";
  m.items[1].submenu = std::make_unique<ViewMenu>();
  m.items[1].submenu->items.resize(1);
  m.items[1].submenu->items[0].title = "Noise";
  return m;
}

TEST_F(HeadlessBackend, PopupAnswersComeFromTheScriptInOrder) {
  const ViewMenu m = TwoLevelMenu();
  backend.ScriptPopupChoice({1, 0});
  backend.ScriptPopupDismiss();
  std::optional<ViewMenuChoice> c = backend.RunPopupMenu(m, 4, 9);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->menu, m.items[1].submenu.get());
  EXPECT_EQ(c->index, 0);
  EXPECT_FALSE(backend.RunPopupMenu(m, 0, 0));
  EXPECT_FALSE(backend.RunPopupMenu(m, 0, 0));  // script used up: dismissed
  ASSERT_EQ(backend.ShownMenus().size(), 3u);
  EXPECT_EQ(backend.ShownMenus()[0].titles, (std::vector<std::string>{"Sine", "More", "More/Noise"}));
  EXPECT_EQ(backend.ShownMenus()[0].x, 4);
  EXPECT_EQ(backend.ShownMenus()[0].y, 9);
}

TEST_F(HeadlessBackend, PopupScriptNamingNothingChoosesNothing) {
  backend.ScriptPopupChoice({7});
  EXPECT_FALSE(backend.RunPopupMenu(TwoLevelMenu(), 0, 0));
}

TEST_F(HeadlessBackend, MessageBoxesAndFilePromptsAreScriptedAndRecorded) {
  backend.ScriptMessageBoxAnswer(ViewAlertResponse::Alternate);
  ViewAlert alert{"Caption", "Text", {{"Yes", ViewAlertButton::Role::Default}}};
  EXPECT_EQ(backend.ShowMessageBox(alert), ViewAlertResponse::Alternate);
  EXPECT_EQ(backend.ShowMessageBox(alert), ViewAlertResponse::Dismissed);
  ASSERT_EQ(backend.ShownAlerts().size(), 2u);
  EXPECT_EQ(backend.ShownAlerts()[0].caption, "Caption");

  backend.ScriptFilePromptAnswer(std::string("/tmp/a.syx"));
  ViewFilePrompt prompt;
  prompt.types = {"syx"};
  EXPECT_EQ(backend.PromptForPath(prompt), std::optional<std::string>("/tmp/a.syx"));
  EXPECT_EQ(backend.PromptForPath(prompt), std::nullopt);
  EXPECT_EQ(backend.ShownPrompts().size(), 2u);
}

// A script answers by title or label; one the menu or box lacks is dismissed and kept
// as a line naming what was offered, so a script can fail on it.
TEST_F(HeadlessBackend, AnswersByTitleOrLabelAndSaysWhatAMissOffered) {
  const ViewAlert question{"Unsaved bank",
                           "Save?",
                           {{"Yes", ViewAlertButton::Role::Default},
                            {"No", ViewAlertButton::Role::Alternate},
                            {"Cancel", ViewAlertButton::Role::Other, true}}};
  backend.ScriptMessageBoxAnswerText("no");
  backend.ScriptMessageBoxAnswerText("Cancel");
  backend.ScriptMessageBoxAnswerText("Replace");
  EXPECT_EQ(backend.PendingMessageBoxAnswers(), 3u);
  EXPECT_EQ(backend.ShowMessageBox(question), ViewAlertResponse::Alternate);
  EXPECT_EQ(backend.ShowMessageBox(question), ViewAlertResponse::Other);
  EXPECT_TRUE(backend.TakeScriptMisses().empty());
  EXPECT_EQ(backend.ShowMessageBox(question), ViewAlertResponse::Dismissed);
  EXPECT_EQ(backend.PendingMessageBoxAnswers(), 0u);
  EXPECT_EQ(backend.TakeScriptMisses(), (std::vector<std::string>{"no button \"Replace\" in the message box \"Unsaved "
                                                                  "bank\"; it offers \"Yes\", \"No\", \"Cancel\""}));

  backend.ScriptPopupChoiceText("More/Noise");
  backend.ScriptPopupChoiceText("Square");
  EXPECT_TRUE(backend.RunPopupMenu(TwoLevelMenu(), 0, 0));
  EXPECT_FALSE(backend.RunPopupMenu(TwoLevelMenu(), 0, 0));
  EXPECT_EQ(backend.PendingPopupAnswers(), 0u);
  EXPECT_EQ(backend.TakeScriptMisses(),
            (std::vector<std::string>{"no item \"Square\" in the menu; it offers \"Sine\", \"More\", "
                                      "\"More/Noise\""}));
  EXPECT_TRUE(backend.TakeScriptMisses().empty());
}

TEST_F(HeadlessBackend, UrlsAreRecordedWithTheScriptedResult) {
  EXPECT_TRUE(backend.OpenURL("http://example.org/"));
  backend.ScriptOpenURLResult(false);
  EXPECT_FALSE(backend.OpenURL("/tmp"));
  EXPECT_EQ(backend.OpenedURLs(), (std::vector<std::string>{"http://example.org/", "/tmp"}));
}

TEST_F(HeadlessBackend, CursorHidesAndReturnsToTheStoredPlace) {
  int x = -1, y = -1;
  EXPECT_TRUE(backend.ShowCursor(30, 40));
  EXPECT_TRUE(backend.HideCursor(&x, &y));
  EXPECT_TRUE(backend.CursorHidden());
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
}

TEST_F(HeadlessBackend, DetachStopsEveryCallAndDropsTheEntry) {
  backend.OpenTextEntry({});
  backend.Detach();
  EXPECT_FALSE(backend.IsAttached());
  EXPECT_FALSE(backend.IsTextEntryOpen());
  backend.Click(1, 1);
  backend.FireTimer();
  backend.Invalidate({0, 0, 5, 5});
  backend.FlushDraws();
  EXPECT_TRUE(client.mice.empty());
  EXPECT_EQ(client.timers, 0);
  EXPECT_TRUE(client.draws.empty());
}

TEST_F(HeadlessBackend, UserCloseDetachesBeforeTellingTheClient) {
  backend.InjectClose();
  EXPECT_EQ(client.closes, 1);
  EXPECT_FALSE(backend.IsAttached());
}

TEST_F(HeadlessBackend, ResizeAsksForAFullRedrawAtTheNewSize) {
  backend.FlushDraws();
  backend.Resize(60, 30);
  EXPECT_EQ(backend.FrameBuffer().Width(), 60);
  EXPECT_EQ(backend.FlushDraws(), (ViewRect{0, 0, 60, 30}));
}

}  // namespace

namespace {

TEST_F(HeadlessBackend, DialogRunsThroughTheScriptCentredOnThePanel) {
  backend.Attach(&client, 600, 400, 0.04);
  backend.ScriptDialogAnswer({{{BankNameDialog::kField, "Strings 2"}}, BankNameDialog::kOk});
  EXPECT_EQ(BankNameDialog::Run(), 1);
  EXPECT_EQ(BankNameDialog::Outcome().name, "Strings 2");
  ASSERT_EQ(backend.ShownDialogs().size(), 1u);
  EXPECT_EQ(backend.ShownDialogs()[0].title, "Enter Bank Name");
  EXPECT_EQ(backend.ShownDialogs()[0].rect, (ViewRect{102, 128, 396, 144}));
  // Without an answer the dialog is cancelled, as Escape would.
  EXPECT_EQ(BankNameDialog::Run(), 2);
  EXPECT_EQ(BankNameDialog::Outcome().commands, std::vector<unsigned>{IDCANCEL});
  EXPECT_EQ(backend.ShownDialogs().size(), 2u);
  // Detached, the back end shows no more dialogs.
  backend.Detach();
  EXPECT_EQ(BankNameDialog::Run(), 2);
  EXPECT_EQ(backend.ShownDialogs().size(), 2u);
}

}  // namespace
