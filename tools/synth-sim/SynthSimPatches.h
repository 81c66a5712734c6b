#pragma once
// The synthesizer's factory sounds and the layout of its dumps.

#include <cstdint>
#include <vector>

namespace SynthSimLayout {
constexpr uint8_t kManufacturer = 0x33;
constexpr uint8_t kModelByte = 0x04;
constexpr int kHeaderSize = 6;
constexpr int kProgramDumpSize = 139;       // header, 132 data bytes, F7
constexpr int kNamedProgramDumpSize = 149;  // with a ten-byte name before F7
constexpr int kProgramDataSize = 132;
constexpr int kPerformanceDumpSize = 715;  // header, 708 data bytes, F7
constexpr int kLongestPerformanceDump = 765;
constexpr int kPerformanceDataSize = 708;
constexpr int kSlots = 4;
constexpr int kProgramsPerBank = 99;
constexpr int kPerformancesPerBank = 100;
constexpr int kProgramBanks = 10;     // the ten-bank model; the others use four
constexpr int kPerformanceBanks = 4;  // the ten-bank model; the others use one
// The dump types of the performance edit buffer and of the first stored bank.
constexpr uint8_t kPerformanceEditType = 0x1E;
constexpr uint8_t kStoredPerformanceType = 0x1F;
}  // namespace SynthSimLayout

// The 132 data bytes of the INIT program.
std::vector<uint8_t> SynthSimInitProgramData();
// The 132 data bytes of stored program `number` of bank `bank` as the unit starts:
// the INIT program with the number as its filter cutoff and 100 less the bank as its
// amp gain, so a bank read back shows which program landed where.
std::vector<uint8_t> SynthSimStoredProgramData(int bank, int number);
// The 708 data bytes of the INIT performance (four INIT part blocks, then the
// performance block).
std::vector<uint8_t> SynthSimInitPerformanceData();
