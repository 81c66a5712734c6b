// The progress overlay: the busy state of a transfer and its Cancel buttons.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "editor/panel/ProgressIndicator.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// Records what the panel changes once the editor is built.
class RecordingTavro : public Tavro {
public:
  using Tavro::Tavro;
  void OnParamChange(int paramIdx) override { changes.push_back({paramIdx, GetParam(paramIdx)->Value()}); }
  std::vector<std::pair<int, double>> changes;
};

struct OverlayFixture {
  OverlayFixture() {
    RegisterBuiltBundle();
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    plug = std::make_unique<RecordingTavro>(info, std::make_shared<MidiPortFake>());
  }
  void click(int x, int y) {
    IMouseMod left(true);
    plug->graphics->OnMouseDown(x, y, &left);
    plug->graphics->OnMouseUp(x, y, &left);
  }
  std::vector<double> values() const {
    std::vector<double> v;
    for (int i = 0; i < plug->NParams(); ++i) v.push_back(plug->GetParam(i)->Value());
    return v;
  }
  TempDataRoot data;
  std::unique_ptr<RecordingTavro> plug;
};

TEST(Overlay, ShowingAndHidingSetsAndClearsTheBusyState) {
  OverlayFixture f;
  Tavro& t = *f.plug;
  t.midiManager->sender()->requestCancel();
  t.DisplayProcessingIndicator(true);
  EXPECT_TRUE(t.transferState().transferBusy);
  EXPECT_TRUE(t.progressLayer->IsShown());
  EXPECT_FALSE(t.progressIndicator->IsHidden());
  EXPECT_TRUE(t.keptControls().cancelButtons[0]->IsHidden());  // over the librarian
  EXPECT_FALSE(t.keptControls().cancelButtons[1]->IsHidden());
  EXPECT_FALSE(t.midiManager->sender()->cancelRequested());

  t.setSysexInputSuspended(true);
  t.setHoldOutputWhileBusy(true);
  t.midiManager->transferInProgress = true;
  t.DisplayProcessingIndicator(false);
  EXPECT_FALSE(t.transferState().transferBusy);
  EXPECT_FALSE(t.transferState().sysexInputSuspended);
  EXPECT_FALSE(t.transferState().holdOutputWhileBusy);
  EXPECT_FALSE(t.midiManager->transferInProgress);
  EXPECT_FALSE(t.progressLayer->IsShown());
  EXPECT_TRUE(t.keptControls().cancelButtons[1]->IsHidden());
}

TEST(Overlay, LibrarianRefreshDuringATransferClearsNoFlag) {
  OverlayFixture f;
  Tavro& t = *f.plug;
  t.DisplayProcessingIndicator(true);
  t.midiManager->transferInProgress = true;
  t.setHoldOutputWhileBusy(true);
  t.midiManager->sender()->requestCancel();
  t.refreshLibrarianMenus();
  EXPECT_TRUE(t.transferState().transferBusy);
  EXPECT_TRUE(t.midiManager->transferInProgress);
  EXPECT_TRUE(t.transferState().holdOutputWhileBusy);
  EXPECT_TRUE(t.midiManager->sender()->cancelRequested());
  EXPECT_TRUE(t.progressLayer->IsShown());
  t.DisplayProcessingIndicator(false);
  t.refreshLibrarianMenus();
  EXPECT_FALSE(t.progressLayer->IsShown());
}

TEST(Overlay, AClickBesideTheCancelButtonsChangesNothing) {
  OverlayFixture f;
  f.plug->DisplayProcessingIndicator(true);
  const std::vector<double> before = f.values();
  // The slot tab B and the About button lie under the overlay.
  f.click(1372, 70);
  f.click(830, 30);
  EXPECT_TRUE(f.plug->changes.empty());
  EXPECT_EQ(f.values(), before);
  f.plug->DisplayProcessingIndicator(false);
  f.click(1372, 70);
  EXPECT_FALSE(f.plug->changes.empty());
}

TEST(Overlay, CancelSetsItsParameterOnceAndFallsBack) {
  OverlayFixture f;
  f.plug->DisplayProcessingIndicator(true);
  const IRECT button = f.plug->keptControls().cancelButtons[1]->GetRECT();
  f.click((button.L + button.R) / 2, (button.T + button.B) / 2);
  ASSERT_FALSE(f.plug->changes.empty());
  int presses = 0;
  for (const auto& change : f.plug->changes) presses += change.first == kCancelDataRequest && change.second == 1.0;
  EXPECT_EQ(presses, 1);
  EXPECT_DOUBLE_EQ(f.plug->GetParam(kCancelDataRequest)->Value(), 0.0);
}

TEST(Overlay, TheProgramAndBankSelectorsTakeClicksThroughIt) {
  OverlayFixture f;
  Tavro& t = *f.plug;
  t.DisplayProcessingIndicator(true);
  for (int menu : {kProgramNumberMenu, kBankNumberMenu}) {
    IControl* selector = t.keptControls().librarianMenus[size_t(menu)];
    ASSERT_NE(selector, nullptr);
    const IRECT r = selector->GetRECT();
    const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
    // The overlay's layer, asked first, lets it through to the selector's.
    EXPECT_EQ(t.progressLayer->isHit(x, y), nullptr) << menu;
    EXPECT_EQ(t.keptControls().menuLayers[size_t(menu)]->isHit(x, y), selector) << menu;
    // Beside it the picture takes the click.
    EXPECT_EQ(t.progressLayer->isHit(r.L + 1, r.B + 8), t.progressIndicator) << menu;
  }
  // A selector not shown (library mode shows the bank-file menus there) is covered.
  t.showLayer("PROGRAMNUMBERMENU", false);
  const IRECT r = t.keptControls().librarianMenus[kProgramNumberMenu]->GetRECT();
  EXPECT_EQ(t.progressLayer->isHit((r.L + r.R) / 2, (r.T + r.B) / 2), t.progressIndicator);
}

// The shown controls of the panel under `rect`, the overlay's own and the pages'
// backgrounds (no parameter, far wider than `rect`, holding it whole) left out.
std::vector<IControl*> ShownUnder(Tavro& t, const IRECT& rect) {
  std::vector<IControl*> under;
  const auto visit = [&](IControl* c) {
    const IRECT r = c->GetRECT();
    const bool background =
        c->ParamIdx() < 0 && r.W() > 4 * rect.W() && r.L <= rect.L && r.R >= rect.R && r.T <= rect.T && r.B >= rect.B;
    if (r.Intersects(rect) && !background) under.push_back(c);
  };
  for (int i = 1; i < t.graphics->NControls(); ++i)
    if (!t.graphics->GetControl(i)->IsHidden()) visit(t.graphics->GetControl(i));
  for (int i = 0; i < t.graphics->NLayers(); ++i)
    if (t.graphics->GetLayer(i) != t.progressLayer) t.graphics->GetLayer(i)->VisitDrawn(visit);
  return under;
}

// On every synthesizer page the main panel's Cancel sits over the port menus only,
// which the overlay keeps from clicks during a transfer anyway; the selectors that
// take clicks through it stay clear of the button.
TEST(Overlay, TheMainPanelsCancelCoversNoControlThatTakesClicksDuringATransfer) {
  OverlayFixture f;
  Tavro& t = *f.plug;
  const IRECT cancel = t.keptControls().cancelButtons[1]->GetRECT();
  for (int model : {0, 1, 2}) {
    for (double velocity : {0.0, 1.0}) {
      t.setNordModel(model);
      t.GetParam(kShowVelomap)->Set(velocity);
      t.tabSwitch.mainTabSwitch(&t, velocity == 1.0 ? 3 : 2, model, 0);
      t.DisplayProcessingIndicator(true);
      ASSERT_FALSE(t.keptControls().cancelButtons[1]->IsHidden());
      const std::string page = "model " + std::to_string(model) + (velocity == 1.0 ? ", velocity page" : "");
      std::string under;
      for (IControl* c : ShownUnder(t, cancel)) {
        under += std::to_string(c->ParamIdx()) + " ";
        const IRECT r = c->GetRECT();
        // The overlay's layer, asked first, takes a click anywhere on the control.
        EXPECT_NE(t.progressLayer->isHit((r.L + r.R) / 2, (r.T + r.B) / 2), nullptr) << page;
      }
      EXPECT_EQ(under, std::to_string(kDeviceOutSelection) + " " + std::to_string(kDeviceInSelection) + " ") << page;
      for (int menu : {kProgramNumberMenu, kBankNumberMenu})
        EXPECT_FALSE(t.keptControls().librarianMenus[size_t(menu)]->GetRECT().Intersects(cancel)) << page;
      f.plug->changes.clear();
      f.click((cancel.L + cancel.R) / 2, (cancel.T + cancel.B) / 2);
      int presses = 0;
      for (const auto& change : f.plug->changes) presses += change.first == kCancelDataRequest && change.second == 1.0;
      EXPECT_EQ(presses, 1) << page;
      t.DisplayProcessingIndicator(false);
    }
  }
}

}  // namespace
