#include "SynthSimMemoryFile.h"

#include <algorithm>
#include <cstdio>

#include "SynthSimPatches.h"

namespace {

SynthSim::Message Dump(int deviceId, int type, int number, const SynthSim::Message& data) {
  SynthSim::Message dump(SynthSimLayout::kHeaderSize + data.size() + 1, 0xF7);
  const uint8_t header[SynthSimLayout::kHeaderSize] = {
      0xF0,           SynthSimLayout::kManufacturer, uint8_t(deviceId), SynthSimLayout::kModelByte, uint8_t(type),
      uint8_t(number)};
  std::copy(header, header + SynthSimLayout::kHeaderSize, dump.begin());
  std::copy(data.begin(), data.end(), dump.begin() + SynthSimLayout::kHeaderSize);
  return dump;
}
}  // namespace

std::vector<SynthSim::Message> SynthSimMemoryDumps(const SynthSim& sim) {
  const SynthSimSettings settings = sim.Settings();
  const bool tenBanks = settings.model == 2;
  const int id = settings.deviceId;
  std::vector<SynthSim::Message> dumps;
  for (int slot = 0; slot < SynthSimLayout::kSlots; ++slot)
    dumps.push_back(Dump(id, 0, slot, sim.ProgramEditBuffer(slot)));
  dumps.push_back(Dump(id, SynthSimLayout::kPerformanceEditType, 0, sim.PerformanceEditBuffer()));
  for (int bank = 0; bank < (tenBanks ? SynthSimLayout::kProgramBanks : 4); ++bank)
    for (int number = 0; number < SynthSimLayout::kProgramsPerBank; ++number)
      dumps.push_back(Dump(id, bank + 1, number, sim.StoredProgram(bank, number)));
  for (int bank = 0; bank < (tenBanks ? SynthSimLayout::kPerformanceBanks : 1); ++bank)
    for (int number = 0; number < SynthSimLayout::kPerformancesPerBank; ++number)
      dumps.push_back(
          Dump(id, SynthSimLayout::kStoredPerformanceType + bank, number, sim.StoredPerformance(bank, number)));
  return dumps;
}

bool WriteSynthSimMemory(const SynthSim& sim, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return false;
  bool written = true;
  for (const SynthSim::Message& dump : SynthSimMemoryDumps(sim)) {
    for (size_t i = 0; i < dump.size(); ++i) written &= std::fprintf(file, i ? " %02X" : "%02X", dump[i]) > 0;
    written &= std::fputc('\n', file) != EOF;
  }
  return std::fclose(file) == 0 && written;
}
