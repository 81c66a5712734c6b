#include <gtest/gtest.h>

#include "Framework/IControlText.h"
#include "ViewsPanelSupport.h"

namespace {

uint32_t Shown(const MacPanel& p, int x, int y) { return PanelPixelRgb(p.backend.FrameBuffer().Pixel(x, y)); }

TEST(CocoaView, FirstTickDrawsTheWholePanel) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 30, 40), 0);
  s->SetValueFromPlug(0.0);
  p.OpenCocoa();
  EXPECT_EQ(p.backend.Tick(), (ViewRect{0, 0, 200, 120}));
  EXPECT_EQ(Shown(p, 5, 5), 0x808080u);
  EXPECT_EQ(Shown(p, 15, 25), 0x00283Cu);
}

TEST(CocoaView, TimerInvalidatesTheDirtyRectAndTheDrawShowsIt) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 29, 39), 0);
  s->SetValueFromPlug(0.0);
  p.OpenCocoa();
  p.backend.Tick();
  s->SetValueFromPlug(1.0);
  p.backend.FireTimer();
  // Dirty (10, 20, 29, 39) on a 120-high panel: view origin (10, 80), size (20, 20).
  EXPECT_EQ(p.backend.InvalidArea(), (ViewRect{10, 20, 20, 20}));
  EXPECT_EQ(Shown(p, 15, 25), 0x00283Cu);  // nothing drawn by the timer itself
  EXPECT_EQ(p.backend.FlushDraws(), (ViewRect{10, 20, 20, 20}));
  EXPECT_EQ(Shown(p, 15, 25), 0xFF283Cu);
  // A changed control asks for one more redraw, then the panel is clean.
  int ticks = 0;
  while (!p.backend.Tick().IsEmpty() && ticks < 5) ++ticks;
  EXPECT_LE(ticks, 1);
}

TEST(CocoaView, ClickReachesTheControlWithTheViewOffsets) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  p.OpenCocoa();
  p.backend.Click(MacPanel::WindowX(30), MacPanel::WindowY(40));
  ASSERT_EQ(s->downs.size(), 1u);
  EXPECT_EQ(s->downs[0], std::make_pair(30, 40));
  EXPECT_TRUE(s->lastMod.L);
  EXPECT_FALSE(s->lastMod.R);
}

TEST(CocoaView, SecondClickIsADoubleClickAndRightClicksNeverAre) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  p.OpenCocoa();
  p.backend.Click(30, 40, ViewMouseButton::Left, {}, 2);
  EXPECT_EQ(s->doubles.size(), 1u);
  p.backend.ScriptPopupDismiss();
  p.backend.Click(30, 40, ViewMouseButton::Right, {}, 2);
  EXPECT_EQ(s->doubles.size(), 1u);
  EXPECT_EQ(s->downs.size(), 1u);
  EXPECT_FALSE(s->lastMod.L);
  EXPECT_TRUE(s->lastMod.R);
}

TEST(CocoaView, KeysGoToTheControlUnderTheLastMousePosition) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  p.OpenCocoa();
  ViewMouseEvent move;
  move.action = ViewMouseAction::Move;
  move.x = MacPanel::WindowX(25);
  move.y = MacPanel::WindowY(35);
  p.backend.InjectMouse(move);
  p.backend.TypeText("aA+ ");
  ASSERT_EQ(s->keys.size(), 3u);  // "+" has no panel key
  EXPECT_EQ(s->keys[0].key, 15);
  EXPECT_EQ(s->keys[1].key, 15);
  EXPECT_EQ(s->keys[2].key, 0);
  EXPECT_EQ(s->keys[0].x, 25);
  EXPECT_EQ(s->keys[0].y, 35);
}

TEST(CocoaView, HalfALineOfWheelIsZero) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  p.OpenCocoa();
  p.backend.InjectWheel({30, 40, 0, 0.5, {}});
  p.backend.InjectWheel({30, 40, 0, -2.0, {}});
  EXPECT_EQ(s->wheels, (std::vector<int>{0, -2}));
}

struct CaptionPanel : MacPanel {
  CaptionPanel() {
    IParam* wave = plug->GetParam(2);
    wave->InitEnum("Wave", 0, 3);
    wave->SetDisplayText(0, "Saw");
    wave->SetDisplayText(1, "Square");
    wave->SetDisplayText(2, "Sine");
    IText style;
    caption = new ICaptionControl(plug.get(), IRECT(20, 30, 120, 50), 2, &style, false);
    caption->SetPromptDisabled(false);
    graphics->AttachControl(caption);
    graphics->SetParameterFromPlug(2, 0, false);
    OpenCocoa();
  }
  ICaptionControl* caption;
};

TEST(CocoaView, CaptionPopupChoosesAValue) {
  CaptionPanel p;
  p.backend.ScriptPopupChoice({2});
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  ASSERT_EQ(p.backend.ShownMenus().size(), 1u);
  EXPECT_EQ(p.backend.ShownMenus()[0].titles, (std::vector<std::string>{"Saw", "Square", "Sine"}));
  // Opens 5 pixels below the control's rect.
  EXPECT_EQ(p.backend.ShownMenus()[0].x, 20);
  EXPECT_EQ(p.backend.ShownMenus()[0].y, 55);
  EXPECT_EQ(p.plug->GetParam(2)->Int(), 2);
  ASSERT_FALSE(p.plug->fromGUI.empty());
  EXPECT_EQ(p.plug->fromGUI.back().first, 2);
}

TEST(CocoaView, DismissedCaptionPopupChangesNothing) {
  CaptionPanel p;
  p.backend.ScriptPopupDismiss();
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  EXPECT_EQ(p.backend.ShownMenus().size(), 1u);
  EXPECT_EQ(p.plug->GetParam(2)->Int(), 0);
  EXPECT_TRUE(p.plug->fromGUI.empty());
}

struct NamePanel : MacPanel {
  NamePanel() {
    IParam* name = plug->GetParam(4);
    name->InitEnum("Name", 0, 1);
    name->InitText();
    name->SetDisplayText(0, "INIT");
    IText style;
    field = new ICaptionControl(plug.get(), IRECT(20, 30, 120, 50), 4, &style, false);
    field->SetPromptDisabled(false);
    graphics->AttachControl(field);
    view = OpenCocoa();
  }
  ICaptionControl* field;
  IGraphicsCocoa_vTavro_au* view;
};

TEST(CocoaView, NameFieldCommitsTypedText) {
  NamePanel p;
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  ASSERT_TRUE(p.backend.IsTextEntryOpen());
  const ViewTextEntrySpec request = *p.backend.LastEntrySpec();
  EXPECT_EQ(request.text, "INIT");
  EXPECT_EQ(request.rect, (ViewRect{20, 30, 101, 21}));  // the converted rect grows by one
  EXPECT_EQ(request.fontSize, 10);
  EXPECT_TRUE(request.selectAll);  // as a field taking focus selects its text
  p.backend.TypeText("_");         // refused by the name formatter
  p.backend.TypeText("Pad 2\n");
  EXPECT_FALSE(p.backend.IsTextEntryOpen());
  EXPECT_FALSE(p.view->textEntryOpen());
  EXPECT_EQ(p.plug->GetParam(4)->GetDisplayText(0), "Pad 2");
  EXPECT_FALSE(p.plug->fromGUI.empty());
}

TEST(CocoaView, NameFieldRefusesTheSeventeenthCharacter) {
  NamePanel p;
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  p.backend.TypeText("ABCDEFGHIJKLMNOPQRS\n");
  EXPECT_EQ(p.plug->GetParam(4)->GetDisplayText(0), "ABCDEFGHIJKLMNOP");
}

TEST(CocoaView, WheelClosesAnOpenEntryWithoutCommitting) {
  NamePanel p;
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  p.backend.TypeText("X");
  p.backend.InjectWheel({190, 110, 0, 1, {}});  // over the background
  EXPECT_FALSE(p.backend.IsTextEntryOpen());
  EXPECT_FALSE(p.view->textEntryOpen());
  EXPECT_EQ(p.plug->GetParam(4)->GetDisplayText(0), "INIT");
  for (const auto& change : p.plug->fromGUI) EXPECT_NE(change.first, 4) << change.second;
}

TEST(CocoaView, ClickElsewhereEndsTheEntryAndCommitsIt) {
  NamePanel p;
  Swatch* s = p.AddSwatch(IRECT(130, 60, 190, 110), 0);
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  p.backend.TypeText("X");
  p.backend.Click(MacPanel::WindowX(150), MacPanel::WindowY(80));
  EXPECT_FALSE(p.backend.IsTextEntryOpen());
  EXPECT_EQ(p.plug->GetParam(4)->GetDisplayText(0), "X");
  EXPECT_EQ(s->downs.size(), 1u);
}

// Opens the Cocoa view and the text entry of an int parameter (5) showing `value`.
void OpenIntEntry(MacPanel& p, int value, int max) {
  p.plug->GetParam(5)->InitInt("Level", value, 0, max);
  Swatch* s = p.AddSwatch(IRECT(10, 10, 60, 30), 5);
  p.OpenCocoa();
  p.graphics->PromptUserInput(s, p.plug->GetParam(5), const_cast<IRECT*>(&s->GetRECT()));
}

TEST(CocoaView, EscapeClosesTheEntryAppliesNothingAndTellsThePlugIn) {
  NamePanel p;
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  p.backend.TypeText("X");
  p.backend.InjectKey({kViewKeyEscape, "\x1b", {}});
  EXPECT_FALSE(p.backend.IsTextEntryOpen());
  EXPECT_FALSE(p.view->textEntryOpen());
  EXPECT_EQ(p.plug->GetParam(4)->GetDisplayText(0), "INIT");
  for (const auto& change : p.plug->fromGUI) EXPECT_NE(change.first, 4) << change.second;
  EXPECT_EQ(p.plug->cancelledEntries, std::vector<int>{4});
}

// The entry shows 64; typing 70 gives 70, not 6470 held to the range.
TEST(CocoaView, TypingOverAShownNumberReplacesIt) {
  MacPanel p;
  OpenIntEntry(p, 64, 127);
  ASSERT_TRUE(p.backend.IsTextEntryOpen());
  EXPECT_EQ(p.backend.TextEntryText(), "64");
  p.backend.TypeText("70\n");
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 70);
}

TEST(CocoaView, DragsAreIgnoredWhileAnEntryIsOpen) {
  NamePanel p;
  Swatch* s = p.AddSwatch(IRECT(130, 60, 190, 110), 0);
  p.backend.Click(MacPanel::WindowX(50), MacPanel::WindowY(40));
  ASSERT_TRUE(p.backend.IsTextEntryOpen());
  ViewMouseEvent drag;
  drag.action = ViewMouseAction::Drag;
  drag.x = 150;
  drag.y = 80;
  p.backend.InjectMouse(drag);
  EXPECT_TRUE(s->downs.empty());
  EXPECT_TRUE(p.backend.IsTextEntryOpen());
}

TEST(CocoaView, IntEntryRefusesLetters) {
  MacPanel p;
  OpenIntEntry(p, 3, 100);
  ASSERT_TRUE(p.backend.IsTextEntryOpen());
  p.backend.InjectKey({kViewKeyBackspace, "\x08", {}});
  p.backend.TypeText("4x2\n");
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 42);
}

TEST(CocoaView, EntryWithoutParameterGoesToTheControl) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 10, 60, 30), -1);
  IGraphicsCocoa_vTavro_au* view = p.OpenCocoa();
  IText style;
  view->createTextEntry(s, nullptr, &style, "a_b", {10, 80, 40, 20});
  p.backend.InjectKey({kViewKeyRight, "", {}});  // keeps the shown text, drops its selection
  p.backend.TypeText("_\n");
  EXPECT_EQ(s->typed, (std::vector<std::string>{"a_b_"}));
}

TEST(CocoaView, DetachedViewIgnoresEverything) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  IGraphicsCocoa_vTavro_au* view = p.OpenCocoa();
  view->DetachFromBackend();
  EXPECT_FALSE(p.graphics->WindowIsOpen());
  EXPECT_FALSE(view->isOpaque());
  EXPECT_FALSE(p.backend.IsAttached());
  p.backend.Click(30, 40);
  EXPECT_TRUE(s->downs.empty());
  view->DetachFromBackend();  // a second removal is harmless
}

TEST(CocoaView, UserClosingTheWindowClosesThePanelsView) {
  MacPanel p;
  p.OpenCocoa();
  p.backend.InjectClose();
  EXPECT_FALSE(p.graphics->WindowIsOpen());
  EXPECT_EQ(p.graphics->GetWindow(), nullptr);
}

TEST(CocoaView, KillTimerStopsRedrawRequests) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  IGraphicsCocoa_vTavro_au* view = p.OpenCocoa();
  s->SetValueFromPlug(0.0);
  while (!p.backend.Tick().IsEmpty()) {
  }
  view->killTimer();
  s->SetValueFromPlug(1.0);
  p.backend.FireTimer();
  EXPECT_EQ(p.backend.InvalidArea(), ViewRect{});
}

}  // namespace
