// The real panel drawn through its composed backdrop must show, on every page of
// every model at both sizes, exactly what blending every control in order shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "ShownEditor.h"

namespace {

class ComposedRedraw : public ::testing::TestWithParam<const char*>, protected ShownEditor {
protected:
  ComposedRedraw() : ShownEditor(std::string("\n") + GetParam() + "\nyes\n", true) {}

  // As a click on the switch does, then the window's timer draws the change.
  void Flip(int paramIdx, double value) {
    IControl* control = editor.plug->firstControl(paramIdx);
    ASSERT_NE(control, nullptr) << paramIdx;
    control->SetValueFromUserInput(editor.plug->GetParam(paramIdx)->GetNormalized(value));
    window.Tick();
  }
  std::vector<uint32_t> FullRedraw(bool composed) {
    editor.plug->graphics->SetComposedBackdrop(composed);
    std::vector<uint32_t> screen = Redrawn();
    editor.plug->graphics->SetComposedBackdrop(true);
    return screen;
  }
};

TEST_P(ComposedRedraw, EveryPageDrawsThePixelsOfThePlainPath) {
  const char* const models[] = {"NL1", "NL2", "NL2x"};
  int pages = 0;
  for (int model = 0; model < 3; ++model) {
    Flip(kNordModel, model);
    for (int librarian = 0; librarian < 2; ++librarian) {
      Flip(kShowLibrarian, librarian);
      for (int velocity = 0; velocity < 2; ++velocity) {
        Flip(kShowVelomap, velocity);
        for (int slot = 0; slot < 4; ++slot) {
          Flip(kQuickTab, slot);
          SCOPED_TRACE(std::string(models[model]) + " librarian " + std::to_string(librarian) + " velocity " +
                       std::to_string(velocity) + " slot " + std::to_string(slot));
          // The first puts back the whole backdrop, the second what the first drew over it.
          const std::vector<uint32_t> composed = FullRedraw(true);
          const std::vector<uint32_t> again = FullRedraw(true);
          const std::vector<uint32_t> plain = FullRedraw(false);
          EXPECT_TRUE(SameScreen(composed, plain, window.Width()));
          EXPECT_TRUE(SameScreen(again, plain, window.Width()));
          ++pages;
        }
      }
    }
  }
  EXPECT_EQ(pages, 48);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ComposedRedraw, ::testing::Values("normal", "large"));

}  // namespace
