#pragma once
// What the dump coders read and write: parameter values by index, the model, and
// the name displays. The editor implements it over its parameters; tests over a map.
//
// Side effects the editor ties to a parameter (the active slot from `kQuickTab`, local
// control from `kLocalControl`, the slot channels from `kPartMidiChannel`) are its
// own: the coders only report values.
//
// threads: any (the coders keep no state between calls).

#include <functional>
#include <string>

class DumpParameters {
public:
  virtual ~DumpParameters() = default;
  // 0 is the first-generation model (NL1), whose own parameters some fields use.
  virtual int Model() const = 0;
  virtual double Value(int index) const = 0;
  // A decoded value, always within its field's range.
  virtual void SetValue(int index, int value) = 0;
  // A four-step field: `value` goes into the parameter as it stands (the editor holds
  // it to the parameter's range) while its controls show `controlPosition`
  // (0.25, 0.5, 0.75, 1.0 for 1..4, else 0).
  virtual void SetStepValue(int index, int value, double controlPosition) = 0;
  // A name display (`kPatchName` + slot, `kMultiName`): the dump's ten bytes as they
  // stand, zero bytes included, or a default text.
  virtual void SetName(int index, const std::string& name) = 0;
};

// The parameter index of a symbolic name, or -1 when there is none.
using ParamIndexOf = std::function<int(const std::string& name)>;
