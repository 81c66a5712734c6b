#include "TavroDumpParameters.h"

#include <algorithm>

#include "IGraphicsMac.h"
#include "IParam.h"
#include "Tavro.h"
#include "layout/tables/ParamNameTable.h"

int TavroDumpParameters::Model() const { return plug_.nordModel.load(); }

double TavroDumpParameters::Value(int index) const { return plug_.paramValue(index); }

void TavroDumpParameters::SetValue(int index, int value) { plug_.setFromPlug(index, value); }

void TavroDumpParameters::SetStepValue(int index, int value, double controlPosition) {
  IParam* param = plug_.GetParam(index);
  if (!param) return;
  param->Set(std::clamp(double(value), param->GetMin(), param->GetMax()));
  if (plug_.graphics) plug_.graphics->SetParameterFromPlug(index, controlPosition, true);
}

void TavroDumpParameters::SetName(int index, const std::string& name) {
  Kit_MutexLock hold(plug_.GetMutex());
  if (IParam* param = plug_.GetParam(index)) param->SetDisplayText(0, name.c_str());
}

int TavroParamIndexOf(const std::string& name) {
  for (int i = 0; i < kParamNameTableSize; ++i)
    if (name == kParamNameTable[i].name) return kParamNameTable[i].index;
  return -1;
}
