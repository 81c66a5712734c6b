#pragma once
// The editor's parameters as the dump coders read and write them: values through the
// panel (SetParameterFromPlug: no change handler runs, nothing is sent), name texts
// under the plug-in mutex.
//
// threads: worker, midi-in (no lock but for the names).

#include "messaging/DumpParameters.h"

class Tavro;

class TavroDumpParameters : public DumpParameters {
public:
  explicit TavroDumpParameters(Tavro& plug) : plug_(plug) {}
  int Model() const override;
  double Value(int index) const override;
  void SetValue(int index, int value) override;
  void SetStepValue(int index, int value, double controlPosition) override;
  void SetName(int index, const std::string& name) override;

private:
  Tavro& plug_;
};

// The index of a parameter's symbolic name in the layout's table, or -1.
int TavroParamIndexOf(const std::string& name);
