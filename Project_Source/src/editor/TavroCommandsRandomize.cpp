// The randomiser button: a new random sound for the active slot, sent to the synthesizer.

#include "IParam.h"
#include "Tavro.h"
#include "TavroCommands.h"
#include "layout/UIConfigManager.h"
#include "messaging/PatchRandomiser.h"

namespace TavroCommands {

namespace {

// The plug-in's parameters as the randomiser sees them.
class PlugRandomiserParams : public RandomiserParams {
public:
  explicit PlugRandomiserParams(Tavro& plug) : plug_(plug) {}
  int IndexOf(const char* name) const override { return plug_.uiConfig ? plug_.uiConfig->getParamByName(name) : -1; }
  double Minimum(int index) const override { return plug_.GetParam(index)->GetMin(); }
  double Maximum(int index) const override { return plug_.GetParam(index)->GetMax(); }
  double Value(int index) const override { return plug_.paramValue(index); }
  void SetParameterFromPlug(int index, double value) override { plug_.setFromPlug(index, value); }

private:
  Tavro& plug_;
};

}  // namespace

void randomize(Tavro& plug, int, double value) {
  if (TruncToInt(value) != 1) return;
  const int slot = plug.activeSlot;
  randomGenerator(plug.GetRandom(), plug.randomizerState);
  PlugRandomiserParams params(plug);
  randomizePartPatch(slot, plug.randomizerState, params);
  plug.tabSwitch.mainTabSwitch(&plug, plug.nordModel == 0 ? 4 : 2, plug.nordModel, slot);
  plug.resendProgram(slot);
  plug.showStatus("Slot Randomized");
}

}  // namespace TavroCommands
