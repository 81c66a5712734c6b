// The progress overlay: the busy state of a transfer and its Cancel buttons.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "IControl.h"
#include "IParam.h"
#include "ProgressIndicator.h"
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
  EXPECT_TRUE(t.transferBusy);
  EXPECT_TRUE(t.progressLayer->IsShown());
  EXPECT_FALSE(t.progressIndicator->IsHidden());
  EXPECT_TRUE(t.cancelButtons[0]->IsHidden());  // over the librarian
  EXPECT_FALSE(t.cancelButtons[1]->IsHidden());
  EXPECT_FALSE(t.midiManager->sender()->cancelRequested());

  t.sysexInputSuspended = true;
  t.holdOutputWhileBusy = true;
  t.midiManager->transferInProgress = true;
  t.DisplayProcessingIndicator(false);
  EXPECT_FALSE(t.transferBusy);
  EXPECT_FALSE(t.sysexInputSuspended);
  EXPECT_FALSE(t.holdOutputWhileBusy);
  EXPECT_FALSE(t.midiManager->transferInProgress);
  EXPECT_FALSE(t.progressLayer->IsShown());
  EXPECT_TRUE(t.cancelButtons[1]->IsHidden());
}

TEST(Overlay, LibrarianRefreshDuringATransferClearsNoFlag) {
  OverlayFixture f;
  Tavro& t = *f.plug;
  t.DisplayProcessingIndicator(true);
  t.midiManager->transferInProgress = true;
  t.holdOutputWhileBusy = true;
  t.midiManager->sender()->requestCancel();
  t.refreshLibrarianMenus();
  EXPECT_TRUE(t.transferBusy);
  EXPECT_TRUE(t.midiManager->transferInProgress);
  EXPECT_TRUE(t.holdOutputWhileBusy);
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
  const IRECT button = f.plug->cancelButtons[1]->GetRECT();
  f.click((button.L + button.R) / 2, (button.T + button.B) / 2);
  ASSERT_FALSE(f.plug->changes.empty());
  int presses = 0;
  for (const auto& change : f.plug->changes) presses += change.first == kCancelDataRequest && change.second == 1.0;
  EXPECT_EQ(presses, 1);
  EXPECT_DOUBLE_EQ(f.plug->GetParam(kCancelDataRequest)->Value(), 0.0);
}

}  // namespace
