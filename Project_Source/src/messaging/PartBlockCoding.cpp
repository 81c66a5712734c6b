#include "messaging/PartBlockCoding.h"

namespace {

bool IsFirstModel(const DumpParameters& params) { return params.Model() == 0; }

double StepPosition(int byte) { return byte >= 1 && byte <= 4 ? byte * 0.25 : 0.0; }

bool OnOctave(int semitones) { return semitones >= 0 && semitones <= 120 && semitones % 12 == 0; }

void SetOctaveLight(const DumpFieldIndices& indices, int slot, int semitones, DumpParameters& params) {
  const int light = indices.octaveLight + slot;
  const int lit = static_cast<int>(params.Value(light));
  if (OnOctave(semitones) && lit == 0) params.SetValue(light, 1);
  if (!OnOctave(semitones) && lit == 1) params.SetValue(light, 0);
}

bool HoldsLFO2(int destination) {
  return destination == 0 || destination == 1 || destination == 2 || destination == 5 || destination == 6;
}

}  // namespace

void EncodePartBlock(const DumpFieldIndices& indices, const DumpParameters& params, int slot, uint8_t* block) {
  const bool nl1 = IsFirstModel(params);
  for (const ResolvedPartField& f : indices.part) {
    const int param = (nl1 && f.nl1Param >= 0 ? f.nl1Param : f.param) + slot;
    EncodeField(f.coding, FieldValueOf(f.coding, params.Value(param)), block + f.offset);
  }
}

void DecodePartBlock(const DumpFieldIndices& indices, const uint8_t* block, int end, int slot, DumpParameters& params) {
  const bool nl1 = IsFirstModel(params);
  for (const ResolvedPartField& f : indices.part) {
    if (f.offset + FieldWidth(f.coding) > end) continue;
    if (f.lock >= 0 && params.Value(f.lock + slot) != 0) continue;
    const int value = FieldValueAt(f.coding, block + f.offset);
    const int param = (nl1 && f.nl1Param >= 0 ? f.nl1Param : f.param) + slot;
    switch (f.role) {
      case DumpFieldRole::kOsc2Semitones:
        SetOctaveLight(indices, slot, value, params);
        params.SetValue(param, value);
        break;
      case DumpFieldRole::kOsc2Waveform:
        params.SetValue(param, value);
        if (value == 3) params.SetValue(indices.octaveLight + slot, 0);
        break;
      case DumpFieldRole::kFilterDistortion:
        if (!nl1) params.SetValue(param, value);
        break;
      case DumpFieldRole::kLFO1Waveform:
        if (nl1) {
          params.SetValue(param, value);
        } else {
          params.SetStepValue(param, value, StepPosition(value));
        }
        break;
      case DumpFieldRole::kFourStep: params.SetStepValue(param, value, StepPosition(value)); break;
      case DumpFieldRole::kLFO2Destination:
        if (!nl1) params.SetValue(indices.lfo2Hold + slot, HoldsLFO2(value) ? 1 : 0);
        params.SetValue(f.param + slot, value);
        params.SetValue(indices.lfo2DestinationNL1 + slot, value);
        break;
      default: params.SetValue(param, value); break;
    }
  }
}
