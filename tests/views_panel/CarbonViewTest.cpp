#include <gtest/gtest.h>

#include "Framework/IControlText.h"
#include "ViewsPanelSupport.h"

namespace {

TEST(CarbonView, OpensInTheWindowAndNamesItsApi) {
  MacPanel p;
  EXPECT_STREQ(p.graphics->GetGUIAPI(), "Cocoa gui");
  IGraphicsCarbon* carbon = p.OpenCarbon();
  ASSERT_NE(carbon, nullptr);
  EXPECT_TRUE(p.graphics->WindowIsOpen());
  EXPECT_STREQ(p.graphics->GetGUIAPI(), "Carbon Composited gui");
  EXPECT_TRUE(p.backend.IsAttached());
  p.graphics->CloseWindow();
  EXPECT_FALSE(p.backend.IsAttached());
  EXPECT_FALSE(p.graphics->WindowIsOpen());
}

TEST(CarbonView, KeepsTheHostsControlAndOffsets) {
  MacPanel p;
  int hostControl = 0;
  auto* pane = static_cast<ViewHostable*>(p.graphics->OpenWindow(&p.backend, &hostControl, 3, 4));
  IGraphicsCarbon* carbon = p.graphics->GetCarbonHost();
  EXPECT_EQ(pane, static_cast<ViewHostable*>(carbon));
  EXPECT_EQ(carbon->Control(), &hostControl);
  EXPECT_EQ(carbon->LeftOffset(), 3);
  EXPECT_EQ(carbon->TopOffset(), 4);
  EXPECT_EQ(p.graphics->OpenWindow(nullptr, nullptr, 0, 0), nullptr);
  EXPECT_FALSE(p.graphics->WindowIsOpen());
}

TEST(CarbonView, NonCompositedWindowRedrawsTheWholePanel) {
  MacPanel p(false);
  Swatch* s = p.AddSwatch(IRECT(10, 20, 29, 39), 0);
  s->SetValueFromPlug(0.0);
  p.OpenCarbon();
  EXPECT_STREQ(p.graphics->GetGUIAPI(), "Carbon Non-Composited gui");
  while (!p.backend.Tick().IsEmpty()) {
  }
  s->SetValueFromPlug(1.0);
  p.backend.FireTimer();
  EXPECT_EQ(p.backend.InvalidArea(), (ViewRect{0, 0, 200, 120}));
}

TEST(CarbonView, CompositedWindowInvalidatesTheDirtyRectsOwnSize) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 29, 39), 0);
  s->SetValueFromPlug(0.0);
  p.OpenCarbon();
  while (!p.backend.Tick().IsEmpty()) {
  }
  s->SetValueFromPlug(1.0);
  p.backend.FireTimer();
  EXPECT_EQ(p.backend.InvalidArea(), (ViewRect{10, 20, 19, 19}));
  p.backend.FlushDraws();
  EXPECT_EQ(PanelPixelRgb(p.backend.FrameBuffer().Pixel(15, 25)), 0xFF283Cu);
}

TEST(CarbonView, CommandClickIsRightAndControlClickIsNot) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), -1);
  p.OpenCarbon();
  ViewModifiers cmd;
  cmd.command = true;
  p.backend.Click(MacPanel::WindowX(30), MacPanel::WindowY(40), ViewMouseButton::Left, cmd);
  ASSERT_EQ(s->downs.size(), 1u);
  EXPECT_EQ(s->downs[0], std::make_pair(30, 40));
  EXPECT_TRUE(s->lastMod.L);
  EXPECT_TRUE(s->lastMod.R);
  ViewModifiers ctl;
  ctl.control = true;
  p.backend.Click(30, 40, ViewMouseButton::Left, ctl);
  EXPECT_TRUE(s->lastMod.C);
  EXPECT_FALSE(s->lastMod.R);
}

TEST(CarbonView, HorizontalWheelIsNotHandled) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  p.OpenCarbon();
  p.backend.InjectWheel({30, 40, 1, 0, {}});
  EXPECT_TRUE(s->wheels.empty());
  p.backend.InjectWheel({30, 40, 0, -3, {}});
  EXPECT_EQ(s->wheels, (std::vector<int>{-3}));
}

TEST(CarbonView, KeysUseTheLastMovedPosition) {
  MacPanel p;
  Swatch* s = p.AddSwatch(IRECT(10, 20, 60, 60), 0);
  IGraphicsCarbon* carbon = p.OpenCarbon();
  ViewMouseEvent move;
  move.action = ViewMouseAction::Move;
  move.x = MacPanel::WindowX(20);
  move.y = MacPanel::WindowY(30);
  p.backend.InjectMouse(move);
  EXPECT_EQ(carbon->MouseX(), 20);
  p.backend.InjectKey({kViewKeyDown, "", {}});
  p.backend.TypeText("7");
  ASSERT_EQ(s->keys.size(), 2u);
  EXPECT_EQ(s->keys[0].key, 2);
  EXPECT_EQ(s->keys[1].key, 12);
  EXPECT_EQ(s->keys[1].y, 30);
}

struct CarbonEntryPanel : MacPanel {
  CarbonEntryPanel() {
    plug->GetParam(5)->InitInt("Level", 3, 0, 100);
    plug->GetParam(6)->InitDouble("Detune", 0.0, -10.0, 10.0, 0.1);
    level = AddSwatch(IRECT(10, 10, 60, 30), 5);
    detune = AddSwatch(IRECT(10, 40, 60, 60), 6);
    other = AddSwatch(IRECT(120, 60, 190, 110), -1);
    carbon = OpenCarbon();
  }
  void Prompt(Swatch* s, int param) {
    IRECT r = s->GetRECT();
    graphics->PromptUserInput(s, plug->GetParam(param), &r);
  }
  Swatch *level, *detune, *other;
  IGraphicsCarbon* carbon;
};

TEST(CarbonView, EntrySelectsItsTextSoTypingReplacesIt) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  ASSERT_TRUE(p.carbon->TextEntryOpen());
  EXPECT_TRUE(p.backend.LastEntrySpec()->selectAll);
  EXPECT_EQ(p.backend.LastEntrySpec()->rect, (ViewRect{10, 10, 50, 20}));
  p.backend.TypeText("42\n");
  EXPECT_FALSE(p.carbon->TextEntryOpen());
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 42);
  EXPECT_EQ(p.backend.ArrowCursorRequests(), 1);
}

TEST(CarbonView, PointIsSwallowedForIntAndTakenForDouble) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  p.backend.TypeText("1.5\n");
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 15);
  p.Prompt(p.detune, 6);
  p.backend.TypeText("-2.5\n");
  EXPECT_DOUBLE_EQ(p.plug->GetParam(6)->Value(), -2.5);
}

TEST(CarbonView, ClickElsewhereCommitsBeforeTheClickIsHandled) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  p.backend.TypeText("77");
  p.backend.Click(MacPanel::WindowX(150), MacPanel::WindowY(80));
  EXPECT_FALSE(p.carbon->TextEntryOpen());
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 77);
  EXPECT_EQ(p.other->downs.size(), 1u);
}

TEST(CarbonView, ClickInsideTheEntryStaysWithIt) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  p.backend.Click(20, 15);
  EXPECT_TRUE(p.carbon->TextEntryOpen());
  EXPECT_TRUE(p.level->downs.empty());
}

TEST(CarbonView, DeactivatingTheWindowDiscardsTheEntry) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  p.backend.TypeText("99");
  p.backend.InjectDeactivate();
  EXPECT_FALSE(p.carbon->TextEntryOpen());
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 3);
}

TEST(CarbonView, WheelDiscardsTheEntry) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  p.backend.TypeText("99");
  p.backend.InjectWheel({150, 80, 0, 1, {}});
  EXPECT_FALSE(p.carbon->TextEntryOpen());
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 3);
}

TEST(CarbonView, EntryStopsAtTheControlsLength) {
  CarbonEntryPanel p;
  p.other->SetTextEntryLength(4);
  IText style;
  p.carbon->CreateTextEntry(p.other, &style, const_cast<IRECT*>(&p.other->GetRECT()), "", nullptr);
  p.backend.TypeText("a_b.cdef\n");
  EXPECT_EQ(p.other->typed, (std::vector<std::string>{"a_b."}));
}

TEST(CarbonView, EscapeDiscardsTheEntryAndTellsThePlugIn) {
  CarbonEntryPanel p;
  p.Prompt(p.level, 5);
  p.backend.TypeText("9");
  p.backend.InjectKey({kViewKeyEscape, "\x1b", {}});
  EXPECT_FALSE(p.carbon->TextEntryOpen());
  EXPECT_EQ(p.plug->GetParam(5)->Int(), 3);
  EXPECT_EQ(p.plug->cancelledEntries, std::vector<int>{5});
}

TEST(CarbonView, NoEntryInANonCompositedWindow) {
  MacPanel p(false);
  Swatch* s = p.AddSwatch(IRECT(10, 10, 60, 30), -1);
  IGraphicsCarbon* carbon = p.OpenCarbon();
  IText style;
  carbon->CreateTextEntry(s, &style, const_cast<IRECT*>(&s->GetRECT()), "x", nullptr);
  EXPECT_FALSE(carbon->TextEntryOpen());
  EXPECT_FALSE(p.backend.IsTextEntryOpen());
}

TEST(CarbonView, SubmenuChoiceReturnsTheSubmenuWithItsIndex) {
  MacPanel p;
  IGraphicsCarbon* carbon = p.OpenCarbon();
  IPopupMenu top, sub;
  top.AddItem("One");
  top.AddItem("More", &sub);
  sub.AddItem("A");
  sub.AddItem("B");
  p.backend.ScriptPopupChoice({1, 1});
  IRECT r(10, 20, 30, 40);
  EXPECT_EQ(carbon->CreateIPopupMenu(&top, &r), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(top.GetChosenItemIdx(), -1);
  EXPECT_EQ(p.backend.ShownMenus()[0].x, 10);
  EXPECT_EQ(p.backend.ShownMenus()[0].y, 45);
}

TEST(CarbonView, CutTextKeepsWholeCharacters) {
  EXPECT_EQ(IGraphicsCarbon_CutText("abc", 64), "abc");
  EXPECT_EQ(IGraphicsCarbon_CutText(std::string(70, 'x'), 64), std::string(63, 'x'));
  const std::string euros = std::string(62, 'x') + "\xE2\x82\xAC";
  EXPECT_EQ(IGraphicsCarbon_CutText(euros, 64), std::string(62, 'x'));
  EXPECT_EQ(IGraphicsCarbon_CutText("abc", 0), "");
}

}  // namespace
