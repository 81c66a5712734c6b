#pragma once
// What the plug-in base needs of its panel. The panel surface (IGraphics) implements it;
// the base owns the panel once attached and deletes it through this interface.

#include <vector>

class IModulePanel {
public:
  virtual ~IModulePanel() = default;

  // Writes the value into every control bound to paramIdx. With normalized false the value
  // is plain: the panel also stores it into the parameter record. No change handler runs.
  // threads: main, midi-in, worker
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // As SetParameterFromPlug(i, normalized[i], true) for every i.
  // threads: main
  virtual void SetParametersFromPlug(const std::vector<double>& normalized) {
    for (size_t i = 0; i < normalized.size(); ++i) SetParameterFromPlug(int(i), normalized[i], true);
  }

  // Makes the drawing surfaces; called once when the panel is attached.
  virtual void PrepDraw() = 0;
};
