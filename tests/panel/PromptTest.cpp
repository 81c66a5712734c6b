#include <gtest/gtest.h>

#include "Framework/IControlText.h"
#include "PanelTestSupport.h"

namespace {
class Field : public IControl {
public:
  Field(IModuleBase* plug, const IRECT& r, int paramIdx) : IControl(plug, r, paramIdx) { SetPromptDisabled(false); }
  bool Draw(IGraphics*) override { return true; }
};

struct Prompt : ::testing::Test {
  Prompt() {
    plug().GetParam(1)->InitBool("Gate", true);
    plug().GetParam(2)->InitEnum("Wave", 0, 3);
    plug().GetParam(2)->SetDisplayText(0, "Saw");
    plug().GetParam(2)->SetDisplayText(1, "Square");
    plug().GetParam(2)->SetDisplayText(2, "Sine");
    plug().GetParam(3)->InitDouble("Detune", 0.0, -10.0, 10.0, 0.1);
    plug().GetParam(3)->NegateDisplay(true);
    plug().GetParam(4)->InitEnum("Name", 0, 1);
    plug().GetParam(4)->InitText();
    plug().GetParam(4)->SetDisplayText(0, "INIT");
  }
  PanelPlug& plug() { return *f.plug; }
  Field* Attach(int paramIdx, IRECT r = IRECT(20, 20, 80, 40)) {
    auto* c = new Field(&plug(), r, paramIdx);
    surface->AttachControl(c);
    return c;
  }
  PanelFixture f;
  HeadlessSurface* surface = f.surface;
};
}  // namespace

TEST_F(Prompt, BoolMenuChecksTheCurrentTextAndTheChoiceSetsTheValue) {
  Field* c = Attach(1);
  c->SetValueFromPlug(1.0);
  surface->menuAnswers = {0};
  c->PromptUserInput();
  ASSERT_EQ(surface->menus.size(), 1u);
  EXPECT_EQ(surface->menus[0].texts, (std::vector<std::string>{"off", "on"}));
  EXPECT_EQ(surface->menus[0].checked, (std::vector<bool>{false, true}));
  EXPECT_EQ(surface->menus[0].rect, IRECT(20, 20, 80, 40));
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(plug().GetParam(1)->Value(), 0.0);
  EXPECT_TRUE(c->GetRedrawRequested());
}

TEST_F(Prompt, DismissedMenuChangesNothing) {
  Field* c = Attach(2);
  c->SetValueFromPlug(0.5);
  surface->menuAnswers = {-1};
  c->PromptUserInput();
  EXPECT_EQ(surface->menus.size(), 1u);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
  EXPECT_TRUE(plug().fromGUI.empty());
}

TEST_F(Prompt, ChosenIndexOutsideTheMenuIsIgnored) {
  Field* c = Attach(2);
  surface->menuAnswers = {7};
  c->PromptUserInput();
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  EXPECT_TRUE(plug().fromGUI.empty());
}

TEST_F(Prompt, EnumChoicePicksItsValue) {
  Field* c = Attach(2);
  surface->menuAnswers = {2};
  c->PromptUserInput();
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(plug().GetParam(2)->Value(), 2.0);
}

TEST_F(Prompt, NumericEntryIsASmallBoxAndHonoursNegateDisplay) {
  Field* c = Attach(3);
  surface->SetParameterFromPlug(3, 1.5, false);
  surface->entryAnswers = {"-2.5"};
  c->PromptUserInput();
  ASSERT_EQ(surface->entries.size(), 1u);
  EXPECT_EQ(surface->entries[0].rect, IRECT(35, 22, 65, 38));
  EXPECT_EQ(surface->entries[0].text, "-1.5");
  EXPECT_NEAR(plug().GetParam(3)->Value(), 2.5, 1e-9);
  surface->entryAnswers = {"abc"};
  c->PromptUserInput();
  EXPECT_NEAR(plug().GetParam(3)->Value(), 0.0, 1e-9);
}

TEST_F(Prompt, TypedChoiceTextMapsToItsValueOrZero) {
  Field* c = Attach(2);
  surface->SetFromStringAfterPrompt(c, plug().GetParam(2), "Sine");
  EXPECT_DOUBLE_EQ(plug().GetParam(2)->Value(), 2.0);
  surface->SetFromStringAfterPrompt(c, plug().GetParam(2), "Nope");
  EXPECT_DOUBLE_EQ(plug().GetParam(2)->Value(), 0.0);
}

TEST_F(Prompt, NameEntryStoresTheTextAndAlwaysTellsThePlugIn) {
  Field* c = Attach(4);
  surface->entryAnswers = {"Pad 7"};
  c->PromptUserInput();
  ASSERT_EQ(surface->entries.size(), 1u);
  EXPECT_EQ(surface->entries[0].text, "INIT");
  EXPECT_EQ(plug().GetParam(4)->GetDisplayText(0), "Pad 7");
  ASSERT_EQ(plug().fromGUI.size(), 2u);  // toggled to 1 and back to 0
  EXPECT_DOUBLE_EQ(plug().fromGUI[0].second, 1.0);
  EXPECT_DOUBLE_EQ(plug().fromGUI[1].second, 0.0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
}

TEST_F(Prompt, NothingHappensWithoutControlParameterOrRect) {
  Field* c = Attach(1);
  IRECT r(0, 0, 5, 5);
  surface->PromptUserInput(nullptr, plug().GetParam(1), &r);
  surface->PromptUserInput(c, nullptr, &r);
  surface->PromptUserInput(c, plug().GetParam(1), nullptr);
  surface->SetFromStringAfterPrompt(c, nullptr, "1");
  surface->SetFromStringAfterPrompt(nullptr, plug().GetParam(1), "on");
  EXPECT_TRUE(surface->menus.empty());
  EXPECT_TRUE(surface->entries.empty());
  Field* unbound = Attach(-1);
  unbound->PromptUserInput();
  EXPECT_TRUE(surface->menus.empty());
}

// The name fields of the panel: a caption over a one-text parameter with its
// prompt enabled. A click opens the entry over the caption with the current
// name; what is typed becomes the name the next tick draws.
TEST_F(Prompt, ClickedNameFieldEditsTheNameAndTheNextTickShowsIt) {
  IText style;
  auto* name = new ICaptionControl(&plug(), IRECT(10, 60, 110, 80), 4, &style, true);
  name->SetPromptDisabled(false);
  surface->AttachPanelBackground(&COLOR_BLACK);
  surface->AttachControl(name);
  surface->DrawAll();
  EXPECT_EQ(name->GetTextString(), "INIT ");

  surface->entryAnswers = {"Warm Pad"};
  IMouseMod left(true);
  surface->OnMouseDown(20, 70, &left);
  surface->OnMouseUp(20, 70, &left);
  ASSERT_EQ(surface->entries.size(), 1u);
  EXPECT_EQ(surface->entries[0].rect, IRECT(10, 60, 110, 80));
  EXPECT_EQ(surface->entries[0].text, "INIT");
  EXPECT_EQ(surface->entries[0].param, plug().GetParam(4));

  IRECT dirty;
  ASSERT_TRUE(surface->IsDirty(&dirty));
  surface->Draw(&dirty);
  EXPECT_EQ(name->GetTextString(), "Warm Pad ");
  EXPECT_DOUBLE_EQ(plug().GetParam(4)->Value(), 0.0);
}
