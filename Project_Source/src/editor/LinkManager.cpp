#include "editor/LinkManager.h"

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"

namespace {

// The slot-A cycle button of the LFO1 waveform: its press must stay on slot A.
constexpr int kNeverLinked = kCycleButtonFirst;
// Indices 0-171 are the per-part sound groups, four slots each, checked against the
// source slot's channel; the hold switch and the wheel destination are linked only
// through their layout link, like every parameter beyond.
constexpr int kLastGroupedParam = 171;
constexpr int kHoldSwitchGroup = 72;         // kLFO2Hold
constexpr int kWheelDestinationGroup = 136;  // kModWheelDestination

bool inGroupWithChannelCheck(int paramIdx) {
  if (paramIdx < 0 || paramIdx > kLastGroupedParam) return false;
  const int base = paramIdx - paramIdx % kSlotCount;
  return base != kHoldSwitchGroup && base != kWheelDestinationGroup;
}

constexpr int kPairs[][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

}  // namespace

void LinkManager::controlLinker(Tavro* plug, LinkInfo link, int paramIdx, int, double value) const {
  int channels[kSlotCount];
  for (int s = 0; s < kSlotCount; ++s) channels[s] = TruncToInt(plug->paramValue(kPartMidiChannel + s));
  const int active = plug->panelMode().activeSlot;
  for (const auto& pair : kPairs) {
    if (channels[pair[0]] != channels[pair[1]]) continue;
    if (active != pair[0] && active != pair[1]) continue;
    doControlLinkActions(plug, paramIdx, pair[0], pair[1], link, active, value);
  }
}

void LinkManager::doControlLinkActions(Tavro* plug, int paramIdx, int slotX, int slotY, LinkInfo link, int activeSlot,
                                       double value) const {
  if (paramIdx == kNeverLinked || paramIdx < 0 || paramIdx >= kTavroParamCount) return;
  if (activeSlot < 0 || activeSlot >= kSlotCount) return;
  int sourceSlot = activeSlot;
  if (inGroupWithChannelCheck(paramIdx)) {
    sourceSlot = paramIdx % kSlotCount;
    link.value = kPartMidiChannel + sourceSlot;
  }
  const int groupBase = paramIdx - sourceSlot;
  const int targetSlot = sourceSlot == slotY ? slotX : slotY;
  link.target = groupBase + targetSlot;
  multiLinker(plug, link, groupBase, value);
}

void LinkManager::multiLinker(Tavro* plug, LinkInfo link, int, double value) const {
  // The layout may leave a link without a check, or aim one outside the table or at a
  // parameter that binds nothing: such a link mirrors nothing.
  if (!plug->GetParam(link.value)) return;
  const IParam* target = plug->GetParam(link.target);
  ControlAction* action = target ? target->GetControlAction() : nullptr;
  if (!action) return;
  plug->setLinkInProgress(true);
  plug->processControlAction(action, link.target, value);
  plug->setLinkInProgress(false);
  for (IControl* control : action->boundControls) control->SetValueFromPlug(target->GetNormalized());
}
