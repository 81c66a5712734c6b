#pragma once
// The dump coders over the panel's parameters and the INIT dumps as bytes, for the
// tests of dumps.
// threads: any

#include <cstdint>
#include <iterator>
#include <vector>

#include "PanelValues.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

inline const auto kProgram = ProgramDumpCoder::Create(ParamIndex);
inline const auto kPerformance = PerformanceDumpCoder::Create(ParamIndex);

inline std::vector<uint8_t> InitProgramBytes() {
  return std::vector<uint8_t>(std::begin(kInitProgram), std::end(kInitProgram));
}
inline std::vector<uint8_t> InitPerformanceBytes() {
  const auto init = InitPerformance();
  return std::vector<uint8_t>(init.begin(), init.end());
}
