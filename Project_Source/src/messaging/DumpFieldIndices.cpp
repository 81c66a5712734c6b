#include "messaging/DumpFieldIndices.h"

#include <cmath>
#include <cstring>

namespace {

DumpFieldRole PartRole(const char* name) {
  static const struct {
    const char* name;
    DumpFieldRole role;
  } kRoles[] = {
      {"kOsc2Semitones", DumpFieldRole::kOsc2Semitones},       {"kOsc2Waveform", DumpFieldRole::kOsc2Waveform},
      {"kFilterDistortion", DumpFieldRole::kFilterDistortion}, {"kLFO1Waveform", DumpFieldRole::kLFO1Waveform},
      {"kLFO1Destination", DumpFieldRole::kFourStep},          {"kModWheelDestination", DumpFieldRole::kFourStep},
      {"kLFO2Destination", DumpFieldRole::kLFO2Destination},
  };
  for (const auto& r : kRoles) {
    if (std::strcmp(r.name, name) == 0) return r.role;
  }
  return DumpFieldRole::kPlain;
}

DumpFieldRole PerformanceRole(const PerformanceField& field) {
  const std::string name = field.param;
  if (name == "kCurrentProgram") return DumpFieldRole::kUngated;
  if (name == "kPartMidiChannel") return DumpFieldRole::kChannel;
  if (name == "kQuickTab") return DumpFieldRole::kActiveSlot;
  if (name == "kMasterTune") return DumpFieldRole::kMasterTune;
  if (name == "kCurrentBank") return DumpFieldRole::kBank;
  if (name == "kCurrentBank2x") return DumpFieldRole::kBank2x;
  return DumpFieldRole::kPlain;
}

}  // namespace

std::shared_ptr<const DumpFieldIndices> DumpFieldIndices::Resolve(const ParamIndexOf& indexOf) {
  auto indices = std::make_shared<DumpFieldIndices>();
  bool complete = true;
  auto find = [&](const char* name) {
    if (!name) return -1;
    const int index = indexOf(name);
    if (index < 0) complete = false;
    return index;
  };
  for (int i = 0; i < kPartBlockFieldCount; ++i) {
    const PartBlockField& f = kPartBlockFields[i];
    indices->part.push_back({f.offset, find(f.param), find(f.nl1Param), find(f.lock), f.coding, PartRole(f.param)});
  }
  for (int i = 0; i < kPerformanceFieldCount; ++i) {
    const PerformanceField& f = kPerformanceFields[i];
    const bool program = std::strcmp(f.param, "kCurrentProgram") == 0;
    indices->performance.push_back({f.position, find(f.param) + f.slot, f.coding, PerformanceRole(f),
                                    program ? find("kCurrentProgram2x") + f.slot : -1});
  }
  indices->octaveLight = find("kOscillator2OctaveLED");
  indices->lfo2Hold = find("kLFO2Hold");
  indices->lfo2DestinationNL1 = find("kLFO2DestinationNL1");
  indices->patchName = find("kPatchName");
  indices->multiName = find("kMultiName");
  indices->globalLock = find("kGlobalLock");
  if (!complete) return nullptr;
  return indices;
}

int FieldValueOf(DumpCoding coding, double value) {
  const int maximum = FieldMaximum(coding);
  if (!(value >= 0)) return 0;  // negative or not a number
  if (value >= maximum) return maximum;
  return static_cast<int>(value);
}

int FieldValueAt(DumpCoding coding, const uint8_t* bytes) {
  const int value = DecodeField(coding, bytes);
  if (value < 0) return 0;
  const int maximum = FieldMaximum(coding);
  return value > maximum ? maximum : value;
}
