// Changes whose value came from the synthesizer (or is given directly): the panel and
// the read-out follow, and nothing is sent back.

#include "Framework/ControlLayer.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"
#include "layout/ControlAction.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// Raises hardwareChangeActive for one hardware change and puts back what was there,
// also when an exception passes: a nested change must not clear its caller's flag,
// and a flag left raised would silence every later panel edit.
class HardwareChangeScope {
public:
  explicit HardwareChangeScope(std::atomic<bool>& flag) : flag_(flag), outer_(flag.exchange(true)) {}
  ~HardwareChangeScope() { flag_ = outer_; }
  HardwareChangeScope(const HardwareChangeScope&) = delete;
  HardwareChangeScope& operator=(const HardwareChangeScope&) = delete;

private:
  std::atomic<bool>& flag_;
  const bool outer_;
};

}  // namespace

void Tavro::OnParamChange2(int paramIdx) {
  Kit_MutexLock lock(GetMutex());
  IParam* param = paramIdx < kTavroParamCount ? GetParam(paramIdx) : nullptr;
  if (!param) return;
  {
    HardwareChangeScope hardware(road_.hardwareChangeActive);
    const double value = param->Value();
    if (graphics) valueReadout.controlDisplay(this, paramIdx, value, clockState_.transportWasRunning);
    const int integerValue = TruncToInt(value);
    if (paramIdx == kQuickTab) TavroCommands::switchToSlot(*this, integerValue);
    if (ControlAction* action = param->GetControlAction()) {
      if (action->selectorLayer) action->selectorLayer->ShowOnlyChild(integerValue);
      if (!road_.linkInProgress) {
        linkManager.controlLinker(this, action->link, paramIdx, integerValue, value);
        processControlAction(action, paramIdx, value);
      }
    }
    if (midiManager) midiManager->transferInProgress = false;
  }
}

void Tavro::OnParamChange3(int paramIdx, int value, int quickTab, bool redraw) {
  Kit_MutexLock lock(GetMutex());
  IParam* param = paramIdx < kTavroParamCount ? GetParam(paramIdx) : nullptr;
  if (!param) return;
  {
    HardwareChangeScope hardware(road_.hardwareChangeActive);
    if (graphics) valueReadout.controlDisplay(this, paramIdx, double(value), clockState_.transportWasRunning);
    tabSwitch.quickTabSwitch(this, kQuickTab, quickTab, unitLink_.nordModel);
    if (ControlAction* action = param->GetControlAction()) processControlAction(action, paramIdx, double(value));
    if (midiManager) midiManager->transferInProgress = false;
  }
  if (redraw) RedrawParamControls();
}
