#include "PanelValues.h"

#include "layout/tables/ParamNameTable.h"

int ParamIndex(const std::string& name) {
  for (int i = 0; i < kParamNameTableSize; ++i) {
    if (name == kParamNameTable[i].name) return kParamNameTable[i].index;
  }
  return -1;
}

PanelValues::PanelValues(int model) : model_(model), values_(kLayoutParamCount, 0.0) {}

void PanelValues::SetStepValue(int index, int value, double position) {
  values_.at(index) = value;
  stepPositions[index] = position;
}
