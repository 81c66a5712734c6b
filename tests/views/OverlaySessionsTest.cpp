#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "BankNameDialog.h"
#include "views/View_AlertSession.h"
#include "views/View_DialogSession.h"
#include "views/View_FilePromptRules.h"
#include "views/View_PathPromptSession.h"
#include "views/View_PopupSession.h"

namespace {

ViewMouseEvent Mouse(ViewMouseAction action, const ViewRect& r) {
  ViewMouseEvent e;
  e.action = action;
  e.x = r.x + r.w / 2;
  e.y = r.y + r.h / 2;
  return e;
}

ViewKeyEvent Key(int code, const char* chars = "") {
  ViewKeyEvent k;
  k.keyCode = code;
  k.characters = chars;
  return k;
}

ViewMenu Waves() {
  ViewMenu m;
  m.items.resize(4);
  m.items[0].title = "Sine";
  m.items[1].title = "Saw";
  m.items[1].enabled = false;
  m.items[2].separator = true;
  m.items[3].title = "More";
  m.items[3].submenu = std::make_unique<ViewMenu>();
  m.items[3].submenu->items.resize(2);
  m.items[3].submenu->items[0].title = "Noise";
  m.items[3].submenu->items[1].title = "Pulse";
  return m;
}

class Overlay : public ::testing::Test {
protected:
  ViewOverlayPainter painter;
};

TEST_F(Overlay, PainterMeasuresText) {
  EXPECT_GT(painter.LineHeight(), 5);
  EXPECT_GT(painter.TextWidth("WWWW"), painter.TextWidth("W"));
  EXPECT_EQ(painter.TextWidth(""), 0);
}

TEST_F(Overlay, PopupOpensAtTheAnchorAndClickChooses) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 20, 30, 400, 300, painter);
  ASSERT_EQ(s.LevelBoxes().size(), 1u);
  EXPECT_EQ(s.LevelBoxes()[0].x, 20);
  EXPECT_EQ(s.LevelBoxes()[0].y, 30);
  s.Mouse(Mouse(ViewMouseAction::Down, s.ItemRect(0, 0)));
  ASSERT_TRUE(s.Done());
  ASSERT_TRUE(s.Choice());
  EXPECT_EQ(s.Choice()->menu, &m);
  EXPECT_EQ(s.Choice()->index, 0);
}

TEST_F(Overlay, PopupDisabledItemAndSeparatorChooseNothing) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 0, 0, 400, 300, painter);
  s.Mouse(Mouse(ViewMouseAction::Down, s.ItemRect(0, 1)));
  s.Mouse(Mouse(ViewMouseAction::Down, s.ItemRect(0, 2)));
  EXPECT_FALSE(s.Done());
}

TEST_F(Overlay, PopupClickOutsideDismisses) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 0, 0, 400, 300, painter);
  ViewMouseEvent away;
  away.x = 399;
  away.y = 299;
  s.Mouse(away);
  EXPECT_TRUE(s.Done());
  EXPECT_FALSE(s.Choice());
}

TEST_F(Overlay, PopupReleaseOfTheOpeningClickChoosesNothing) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 0, 0, 400, 300, painter);
  s.Mouse(Mouse(ViewMouseAction::Up, s.ItemRect(0, 0)));
  EXPECT_FALSE(s.Done());
  s.Mouse(Mouse(ViewMouseAction::Move, s.ItemRect(0, 0)));
  s.Mouse(Mouse(ViewMouseAction::Up, s.ItemRect(0, 0)));
  EXPECT_TRUE(s.Done());
  EXPECT_EQ(s.Choice()->index, 0);
}

TEST_F(Overlay, PopupSubmenuOpensBesideAndItsItemIsChosenThere) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 0, 0, 400, 300, painter);
  s.Mouse(Mouse(ViewMouseAction::Move, s.ItemRect(0, 3)));
  ASSERT_EQ(s.LevelBoxes().size(), 2u);
  EXPECT_GE(s.LevelBoxes()[1].x, s.LevelBoxes()[0].x + s.LevelBoxes()[0].w - 2);
  s.Mouse(Mouse(ViewMouseAction::Down, s.ItemRect(1, 1)));
  ASSERT_TRUE(s.Choice());
  EXPECT_EQ(s.Choice()->menu, m.items[3].submenu.get());
  EXPECT_EQ(s.Choice()->index, 1);
}

TEST_F(Overlay, PopupKeysWalkSkipDisabledAndChoose) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 0, 0, 400, 300, painter);
  s.Key(Key(kViewKeyDown));   // Sine
  s.Key(Key(kViewKeyDown));   // Saw is disabled, the separator skipped: More
  s.Key(Key(kViewKeyRight));  // opens More, Noise highlighted
  ASSERT_EQ(s.LevelBoxes().size(), 2u);
  s.Key(Key(kViewKeyDown));  // Pulse
  s.Key(Key(kViewKeyReturn, "\r"));
  ASSERT_TRUE(s.Choice());
  EXPECT_EQ(s.Choice()->index, 1);
}

// A port menu opens on the chosen port: the arrows move from it.
TEST_F(Overlay, PopupKeysMoveFromTheCheckedItem) {
  const struct {
    int checked;
    std::vector<int> keys;
    int chosen;
  } cases[] = {
      {1, {kViewKeyDown, kViewKeyReturn}, 2},                            // the next port, never OFF
      {0, {kViewKeyDown, kViewKeyReturn}, 1},                            // from OFF, the first port
      {2, {kViewKeyUp, kViewKeyReturn}, 1},   {1, {kViewKeyReturn}, 1},  // Return alone keeps what is chosen
      {2, {kViewKeyDown, kViewKeyReturn}, 2},                            // the ends stop the arrows: no wrap to OFF
      {0, {kViewKeyUp, kViewKeyReturn}, 0},
  };
  for (const auto& c : cases) {
    ViewMenu ports;
    for (const char* name : {"OFF", "Nord In", "Other In"}) ports.items.emplace_back().title = name;
    ports.items[size_t(c.checked)].checked = true;
    ViewPopupSession s(ports, 0, 0, 400, 300, painter);
    for (int key : c.keys) s.Key(Key(key, key == kViewKeyReturn ? "\r" : ""));
    ASSERT_TRUE(s.Choice()) << c.checked;
    EXPECT_EQ(s.Choice()->index, c.chosen) << "checked " << c.checked;
  }
  // A menu of groups opens on the group holding the chosen item, and the group on it.
  ViewMenu programs;
  for (const char* group : {"01-10", "11-20"}) {
    ViewMenuItem& g = programs.items.emplace_back();
    g.title = group;
    g.submenu = std::make_unique<ViewMenu>();
    for (int p = 0; p < 10; ++p) g.submenu->items.emplace_back().title = std::to_string(p);
  }
  programs.items[1].submenu->items[3].checked = true;
  ViewPopupSession s(programs, 0, 0, 400, 300, painter);
  for (int key : {kViewKeyRight, kViewKeyDown, kViewKeyReturn}) s.Key(Key(key, key == kViewKeyReturn ? "\r" : ""));
  ASSERT_TRUE(s.Choice());
  EXPECT_EQ(s.Choice()->menu, programs.items[1].submenu.get());
  EXPECT_EQ(s.Choice()->index, 4);
}

TEST_F(Overlay, PopupEscapeDismissesAndLeftClosesASubmenu) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 0, 0, 400, 300, painter);
  s.Mouse(Mouse(ViewMouseAction::Move, s.ItemRect(0, 3)));
  s.Key(Key(kViewKeyLeft));
  EXPECT_EQ(s.LevelBoxes().size(), 1u);
  s.Key(Key(kViewKeyEscape));
  EXPECT_TRUE(s.Done());
  EXPECT_FALSE(s.Choice());
}

TEST_F(Overlay, PopupTallerThanThePanelUsesColumnsAndStaysInside) {
  ViewMenu m;
  m.items.resize(128);
  for (size_t i = 0; i < m.items.size(); ++i) m.items[i].title = "Patch " + std::to_string(i);
  ViewPopupSession s(m, 350, 250, 800, 600, painter);
  const ViewRect box = s.LevelBoxes()[0];
  EXPECT_LE(box.y + box.h, 600);
  EXPECT_LE(box.x + box.w, 800);
  EXPECT_GE(box.x, 0);
  EXPECT_GT(s.ItemRect(0, 127).x, s.ItemRect(0, 0).x);
  s.Mouse(Mouse(ViewMouseAction::Down, s.ItemRect(0, 127)));
  EXPECT_EQ(s.Choice()->index, 127);
}

TEST_F(Overlay, EmptyPopupIsDoneAtOnce) {
  ViewMenu empty;
  ViewPopupSession s(empty, 0, 0, 100, 100, painter);
  EXPECT_TRUE(s.Done());
  EXPECT_FALSE(s.Choice());
}

TEST_F(Overlay, PopupDrawsItsHighlight) {
  const ViewMenu m = Waves();
  ViewPopupSession s(m, 10, 10, 200, 150, painter);
  s.Mouse(Mouse(ViewMouseAction::Move, s.ItemRect(0, 0)));
  std::vector<uint32_t> px(200 * 150, PanelPixelFromRgb(0, 0, 0));
  ViewPixelsBitmap canvas(px.data(), 200, 150, 200);
  s.Draw(&canvas, painter);
  const ViewRect item = s.ItemRect(0, 0);
  EXPECT_EQ(PanelPixelRgb(px[size_t(item.y * 200 + item.x + 1)]), ViewOverlayColours::kHighlight);
  const ViewRect other = s.ItemRect(0, 1);
  EXPECT_EQ(PanelPixelRgb(px[size_t(other.y * 200 + other.x + 1)]), ViewOverlayColours::kFace);
  EXPECT_EQ(PanelPixelRgb(px[0]), 0u);  // nothing outside the box
}

ViewAlert YesNoCancel() {
  return {"Save?",
          "The bank has changed.\nSave it before leaving?",
          {{"Yes", ViewAlertButton::Role::Default},
           {"No", ViewAlertButton::Role::Alternate},
           {"Cancel", ViewAlertButton::Role::Other}}};
}

TEST_F(Overlay, AlertButtonsAnswerByRole) {
  ViewAlertSession s(YesNoCancel(), 400, 300, painter);
  EXPECT_GT(s.ButtonRect(0).x, s.ButtonRect(1).x);  // default rightmost
  EXPECT_GT(s.ButtonRect(1).x, s.ButtonRect(2).x);
  s.Mouse(Mouse(ViewMouseAction::Down, s.ButtonRect(1)));
  EXPECT_TRUE(s.Done());
  EXPECT_EQ(s.Response(), ViewAlertResponse::Alternate);
}

TEST_F(Overlay, AlertReturnAnswersDefaultAndStrayClicksNothing) {
  ViewAlertSession s(YesNoCancel(), 400, 300, painter);
  ViewMouseEvent stray;
  s.Mouse(stray);
  EXPECT_FALSE(s.Done());
  s.Key(Key(kViewKeyReturn, "\r"));
  EXPECT_EQ(s.Response(), ViewAlertResponse::Default);
  EXPECT_EQ(s.Lines().size(), 2u);
}

// Escape answers with the button that cancels, as Cancel; a box with none stays open.
TEST_F(Overlay, AlertEscapeAnswersAsItsCancelButton) {
  ViewAlert unsaved = YesNoCancel();
  unsaved.buttons[2].cancels = true;
  ViewAlertSession s(unsaved, 400, 300, painter);
  s.Key(Key(kViewKeyEscape, "\x1b"));
  ASSERT_TRUE(s.Done());
  EXPECT_EQ(s.Response(), ViewAlertResponse::Other);

  ViewAlertSession yesNo(
      {"Sure?", "", {{"Yes", ViewAlertButton::Role::Default}, {"No", ViewAlertButton::Role::Alternate}}}, 400, 300,
      painter);
  yesNo.Key(Key(kViewKeyEscape, "\x1b"));
  EXPECT_FALSE(yesNo.Done());
}

TEST_F(Overlay, AlertStaysInsideASmallPanel) {
  ViewAlertSession s(YesNoCancel(), 150, 100, painter);
  EXPECT_GE(s.Bounds().x, 0);
  EXPECT_GE(s.Bounds().y, 0);
}

TEST_F(Overlay, WrapBreaksAtBlanksAndKeepsLongWords) {
  const int w = painter.TextWidth("aaaa bbbb");
  const std::vector<std::string> lines = ViewWrapText("aaaa bbbb cccc\nverylongwordthatdoesnotfit", w, painter);
  EXPECT_EQ(lines, (std::vector<std::string>{"aaaa bbbb", "cccc", "verylongwordthatdoesnotfit"}));
}

TEST_F(Overlay, PathPromptStartsWithFolderAndName) {
  EXPECT_EQ(ViewPathPromptStartText("/tmp", "a.syx"), "/tmp/a.syx");
  EXPECT_EQ(ViewPathPromptStartText("/tmp/", "a.syx"), "/tmp/a.syx");
  EXPECT_EQ(ViewPathPromptStartText("", "a.syx"), "a.syx");
}

TEST_F(Overlay, PathPromptTitleNamesTheKindAndTheTypesOnce) {
  ViewFilePrompt p;
  p.save = true;
  EXPECT_EQ(ViewPromptTitle(p), "Save as:");
  p.types = {"mid"};
  EXPECT_EQ(ViewPromptTitle(p), "Save as: (mid)");
  p.save = false;
  p.types = {"nl2", "syx"};
  EXPECT_EQ(ViewPromptTitle(p), "Open file: (nl2 syx)");
}

void Type(ViewPathPromptSession& s, const std::string& text) {
  for (char c : text) {
    ViewKeyEvent k;
    k.characters = std::string(1, c);
    s.Key(k);
  }
}

TEST_F(Overlay, PathPromptSaveChecksTheExtension) {
  ViewFilePrompt p;
  p.save = true;
  p.folder = "/tmp";
  p.types = {"syx", "mid"};
  ViewPathPromptSession s(p, 400, 300, painter);
  Type(s, "bank.txt");
  s.Key(Key(kViewKeyReturn, "\r"));
  EXPECT_FALSE(s.Done());
  EXPECT_NE(s.Problem().find("syx mid"), std::string::npos);
  for (int i = 0; i < 3; ++i) s.Key(Key(kViewKeyBackspace, "\x08"));
  Type(s, "MID");
  s.Key(Key(kViewKeyReturn, "\r"));
  ASSERT_TRUE(s.Done());
  EXPECT_EQ(s.Path(), std::optional<std::string>("/tmp/bank.MID"));
}

TEST_F(Overlay, PathPromptOpenNeedsAnExistingFile) {
  const std::string existing = "/tmp/views_prompt_" + std::to_string(getpid()) + ".syx";
  std::ofstream(existing) << "x";
  ViewFilePrompt p;
  p.types = {"syx"};
  ViewPathPromptSession s(p, 400, 300, painter);
  Type(s, existing + ".missing.syx");
  s.Key(Key(kViewKeyReturn, "\r"));
  EXPECT_EQ(s.Problem(), "No such file.");
  ViewPathPromptSession ok(p, 400, 300, painter);
  Type(ok, existing);
  ok.Key(Key(kViewKeyEnter, "\x03"));
  EXPECT_EQ(ok.Path(), std::optional<std::string>(existing));
  unlink(existing.c_str());
}

TEST_F(Overlay, PathPromptEscapeCancelsAndAFolderIsNoFile) {
  ViewFilePrompt p;
  p.save = true;
  p.folder = "/tmp/";
  ViewPathPromptSession s(p, 400, 300, painter);
  s.Key(Key(kViewKeyReturn, "\r"));
  EXPECT_FALSE(s.Done());
  s.Key(Key(kViewKeyEscape, "\x1b"));
  EXPECT_TRUE(s.Done());
  EXPECT_FALSE(s.Path());
}

// A path typed relative to nothing the user sees lands in the folder the prompt offers,
// and a name to save without an extension takes the first one allowed.
TEST_F(Overlay, PathPromptTakesRelativePathsInItsFolderAndAddsTheExtension) {
  ViewFilePrompt p;
  p.save = true;
  p.folder = "/data/Patches/";
  p.types = {"nl2", "syx"};
  EXPECT_EQ(ViewCheckPromptPath(p, "justname.nl2").path, "/data/Patches/justname.nl2");
  EXPECT_EQ(ViewCheckPromptPath(p, "../escaped.nl2").path, "/data/escaped.nl2");
  EXPECT_EQ(ViewCheckPromptPath(p, "Sub/./Bank").path, "/data/Patches/Sub/Bank.nl2");
  EXPECT_EQ(ViewCheckPromptPath(p, "/x/../y/Old.SYX").path, "/y/Old.SYX");
  EXPECT_EQ(ViewCheckPromptPath(p, "/x/Bank.mid").problem, "The name must end in: nl2 syx");
  // A dot before what names no file type is part of the name.
  EXPECT_EQ(ViewCheckPromptPath(p, "Pads v1.2").path, "/data/Patches/Pads v1.2.nl2");
  EXPECT_EQ(ViewCheckPromptPath(p, "v2.0 Set").path, "/data/Patches/v2.0 Set.nl2");
  EXPECT_EQ(ViewCheckPromptPath(p, "Set.txt").problem, "The name must end in: nl2 syx");
  const std::string folder = "/tmp/views_prompt_" + std::to_string(getpid()) + ".nl2";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_EQ(ViewCheckPromptPath(p, folder).problem, "That is a folder.");
  rmdir(folder.c_str());
  EXPECT_EQ(ViewCheckPromptPath(p, "").problem, "Type a file name.");
  for (const char* typed : {".", "..", "Sub/.", "/x/.."})
    EXPECT_EQ(ViewCheckPromptPath(p, typed).problem, "That names a folder, not a file.") << typed;

  ViewPathPromptSession s(p, 400, 300, painter);
  for (int i = 0; i < 40; ++i) s.Key(Key(kViewKeyBackspace, "\x08"));
  Type(s, "Evening");
  s.Key(Key(kViewKeyReturn, "\r"));
  ASSERT_TRUE(s.Done());
  EXPECT_EQ(s.Path(), std::optional<std::string>("/data/Patches/Evening.nl2"));
}

// The caret stands after the last character: a text wider than its field shows its
// end, so the name being typed stays in view.
TEST_F(Overlay, ALongEntryShowsItsEndWithTheCaret) {
  const std::string path = "/home/someone/.local/share/Orvane/Vudidi Tavro Editor/Patches/Évening ";
  const int room = 120;
  const std::string shown = painter.ShownTail(path + "Pads.nl2", room);
  ASSERT_LT(shown.size(), path.size());
  EXPECT_LE(painter.TextWidth(shown), room);
  EXPECT_EQ(path.substr(path.size() - (shown.size() - 8)) + "Pads.nl2", shown) << "a whole end of the text";
  EXPECT_NE(static_cast<unsigned char>(shown[0]) & 0xC0, 0x80) << "no character cut in half";
  EXPECT_EQ(painter.ShownTail("Pads.nl2", room), "Pads.nl2");

  // Drawn: the end's last letters and the caret lie inside the field.
  std::vector<uint32_t> px(200 * 30, PanelPixelFromRgb(0, 0, 0));
  ViewPixelsBitmap canvas(px.data(), 200, 30, 200);
  ViewTextEntrySpec request;
  request.rect = {10, 5, room + 6, 20};
  request.background = 0x000000;
  request.foreground = 0xFFFFFF;
  request.text = path + "Pads.nl2";
  painter.Entry(&canvas, ViewTextEntry(request));
  int rightmostInk = -1;
  for (int y = 5; y < 25; ++y)
    for (int x = 0; x < 200; ++x)
      if (PanelPixelRgb(px[size_t(y * 200 + x)]) != 0u) rightmostInk = std::max(rightmostInk, x);
  EXPECT_GT(rightmostInk, 10 + room / 2) << "the text is drawn";
  EXPECT_LT(rightmostInk, 10 + room + 6) << "nothing beyond the field";
}

// The caret is drawn where it stands: before the text after Home, with the start of
// a long text in view; after it at the end.
TEST_F(Overlay, EntryDrawsTheCaretWhereItIs) {
  const auto caretColumn = [&](const ViewTextEntry& entry) {
    std::vector<uint32_t> px(300 * 30, PanelPixelFromRgb(0, 0, 0));
    ViewPixelsBitmap canvas(px.data(), 300, 30, 300);
    painter.Entry(&canvas, entry);
    // The caret is the one column inked from top to bottom of the field's inside.
    for (int x = 0; x < 300; ++x) {
      bool full = true;
      for (int y = 7; y < 23; ++y) full = full && PanelPixelRgb(px[size_t(y * 300 + x)]) == 0xFFFFFFu;
      if (full) return x;
    }
    return -1;
  };
  ViewTextEntrySpec request;
  request.rect = {10, 5, 200, 20};
  request.background = 0x000000;
  request.foreground = 0xFFFFFF;
  request.text = "WWWW";
  ViewTextEntry entry(request);
  const int atEnd = caretColumn(entry);
  EXPECT_EQ(atEnd, 10 + 2 + painter.TextWidth("WWWW") + 1);
  entry.HandleKey({kViewKeyHome, "", {}});
  EXPECT_EQ(caretColumn(entry), 10 + 2 + 1);
  entry.HandleKey({kViewKeyRight, "", {}});
  EXPECT_EQ(caretColumn(entry), 10 + 2 + painter.TextWidth("W") + 1);

  request.text = std::string(200, 'W');
  ViewTextEntry longer(request);
  EXPECT_EQ(caretColumn(longer), 10 + 2 + painter.TextWidth(painter.ShownTail(request.text, 200 - 6)) + 1)
      << "at the end, the end is in view";
  longer.HandleKey({kViewKeyHome, "", {}});
  EXPECT_EQ(caretColumn(longer), 10 + 2 + 1) << "after Home, the start is in view";
}

TEST_F(Overlay, EntryDrawsItsColoursAndSelection) {
  std::vector<uint32_t> px(100 * 40, PanelPixelFromRgb(0, 0, 0));
  ViewPixelsBitmap canvas(px.data(), 100, 40, 100);
  ViewTextEntrySpec request;
  request.rect = {10, 10, 80, 20};
  request.background = 0x204060;
  request.foreground = 0xFFFFFF;
  painter.Entry(&canvas, ViewTextEntry(request));
  EXPECT_EQ(PanelPixelRgb(px[size_t(11 * 100 + 80)]), 0x204060u);
  EXPECT_EQ(PanelPixelRgb(px[size_t(5 * 100 + 5)]), 0u);
  request.text = "WWW";
  request.selectAll = true;
  painter.Entry(&canvas, ViewTextEntry(request));
  bool sawHighlight = false;
  for (int x = 10; x < 90; ++x)
    sawHighlight |= PanelPixelRgb(px[size_t(12 * 100 + x)]) == ViewOverlayColours::kHighlight;
  EXPECT_TRUE(sawHighlight);
}

}  // namespace

namespace {

ViewRect ControlRect(HWND dialog, int id) {
  RECT r{0, 0, 0, 0};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string FieldText(HWND dialog) {
  char text[64];
  GetDlgItemText(dialog, BankNameDialog::kField, text, sizeof text);
  return text;
}

TEST(DialogSession, KeysEditTheFieldAndButtonsSendTheirIds) {
  ViewOverlayPainter painter;
  WinEmu_SetScreenSize(600, 400);
  WinEmu_SetModalDriver([&](HWND dialog) {
    ViewDialogSession session(dialog, painter);
    EXPECT_EQ(session.FocusedField(), GetDlgItem(dialog, BankNameDialog::kField));
    for (const char* typed : {"A", "b"}) session.Key(Key(kViewKeyNone, typed));
    session.Key(Key(kViewKeyBackspace));
    session.Key(Key(kViewKeyNone, "c"));
    EXPECT_EQ(FieldText(dialog), "Ac");
    session.Mouse(Mouse(ViewMouseAction::Down, ControlRect(dialog, 0)));  // the label
    session.Key(Key(kViewKeyTab));                                        // the only field keeps the keys
    session.Key(Key(kViewKeyReturn));
    EXPECT_FALSE(session.Done());
    std::vector<uint32_t> pixels(600 * 400, 0);
    ViewPixelsBitmap canvas(pixels.data(), 600, 400, 600);
    session.Draw(&canvas, painter);
    const ViewRect bounds = session.Bounds();
    EXPECT_EQ(PanelPixelRgb(pixels[size_t(bounds.y + 2) * 600 + size_t(bounds.x + 2)]), ViewOverlayColours::kHighlight);
    session.Mouse(Mouse(ViewMouseAction::Down, ControlRect(dialog, BankNameDialog::kOk)));
    EXPECT_TRUE(session.Done());
  });
  EXPECT_EQ(BankNameDialog::Run(), 1);
  WinEmu_SetModalDriver(nullptr);
  EXPECT_EQ(BankNameDialog::Outcome().name, "Ac");
  EXPECT_EQ(BankNameDialog::Outcome().commands, (std::vector<unsigned>{IDOK, BankNameDialog::kOk}));
}

TEST(DialogSession, ButtonLabelsLoseMnemonicMarksAndTrailingBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"&Cancel", "Cancel"}, {"&OK    ", "OK"}, {"Save && Quit", "Save & Quit"}, {"End&", "End&"}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(ViewDialogButtonLabel(c.first), c.second) << c.first;
}

}  // namespace
