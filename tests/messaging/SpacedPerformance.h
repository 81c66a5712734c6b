#pragma once
// The 765-byte spaced performance form, which no unit sends, built from a 715-byte
// dump for the decoder that still reads it: part blocks 142 bytes apart, each followed
// by a ten-byte name, the settings split at 640 (534..640 at 574.., 641..713 at 691..).

#include <algorithm>
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> SpacedPerformance(const std::vector<uint8_t>& dump) {
  static const char kPartName[] = "Part Name ";
  constexpr int kHeader = 6, kBlock = 132, kName = 10;
  std::vector<uint8_t> spaced(765, 0);
  std::copy(dump.begin(), dump.begin() + kHeader, spaced.begin());
  for (int slot = 0; slot < 4; ++slot) {
    const int from = kHeader + kBlock * slot;
    const int to = kHeader + (kBlock + kName) * slot;
    std::copy(dump.begin() + from, dump.begin() + from + kBlock, spaced.begin() + to);
    std::copy(kPartName, kPartName + kName, spaced.begin() + to + kBlock);
  }
  std::copy(dump.begin() + 534, dump.begin() + 641, spaced.begin() + 574);
  std::copy(dump.begin() + 641, dump.begin() + 714, spaced.begin() + 691);
  spaced.back() = 0xF7;
  return spaced;
}
