#pragma once
// Parameters for the dump coders in tests: every value in a plain array, names and
// step positions kept, indices looked up in the layout's name table.

#include <map>
#include <string>
#include <vector>

#include "messaging/DumpParameters.h"
#include "messaging/tables/DumpFieldTable.h"

int ParamIndex(const std::string& name);

// The parameter a part block's field sets on model `model` (0 = NL1, which names some
// fields its own way).
inline std::string PartParam(const PartBlockField& f, int model) {
  return model == 0 && f.nl1Param ? f.nl1Param : f.param;
}

class PanelValues : public DumpParameters {
public:
  explicit PanelValues(int model);
  int Model() const override { return model_; }
  double Value(int index) const override { return values_.at(index); }
  void SetValue(int index, int value) override { values_.at(index) = value; }
  void SetStepValue(int index, int value, double position) override;
  void SetName(int index, const std::string& name) override { names[index] = name; }

  double& operator[](const std::string& name) { return values_.at(ParamIndex(name)); }
  double& At(const std::string& name, int slot) { return values_.at(ParamIndex(name) + slot); }

  std::map<int, std::string> names;
  std::map<int, double> stepPositions;

private:
  int model_;
  std::vector<double> values_;
};
