// A raw value from a SysEx message into the panel control bound to it.

#include "Framework/IControl.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MessagingEditor.h"

void MIDIMessageManager::getNormalControl(int key1, int key2, int key3, int key4, int key5, int rawValue,
                                          bool fromHardware) {
  if (!plug_) return;
  if (IControl* control = plug_->getSysexControl(key1, key2, key3, key4, key5))
    processSysExToUI(control, rawValue, false, fromHardware);
}

void MIDIMessageManager::processSysExToUI(IControl* control, int rawValue, bool notify, bool fromHardware) {
  const IModuleBase* owner = control ? control->GetPlug() : nullptr;
  const IParam* param = owner ? owner->GetParam(control->ParamIdx()) : nullptr;
  if (!param) return;
  applyingHardwareValue = false;
  transferInProgress = false;
  // A parameter of one value gives 0/0: the control takes that as its low end.
  const double normalised = (rawValue - param->GetMin()) / (param->GetMax() - param->GetMin());
  if (fromHardware) applyingHardwareValue = true;
  control->SetValueFromHardware(normalised);
  if (notify && plug_) plug_->OnParamChange(kShowVelomap);
}
