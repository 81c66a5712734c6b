#include "messaging/PatchRandomiser.h"

#include <algorithm>
#include <array>

#include "Kit_Random.h"
#include "messaging/tables/RandomisedParams.h"

namespace {

// The groups of kRandomisedParams in its order: the lock that guards each (none for
// the voice modes, always randomised) and how many parameters it holds.
struct RandomisedGroup {
  const char* lock;
  int count;
};
constexpr RandomisedGroup kGroups[] = {
    {"kOscLock", 16}, {"kFilterLock", 20}, {"kAmpLock", 8},      {"kLFO1Lock", 8},
    {"kLFO2Lock", 7}, {"kModEnvLock", 8},  {"kModWheelLock", 1}, {nullptr, 2},
};
constexpr int kGroupCount = sizeof kGroups / sizeof kGroups[0];

// Draws of a slot's 80 that no parameter takes: the parameters take the others in order.
constexpr std::array<int, 4> kUnusedDraws = {40, 45, 70, 71};

bool IsUnusedDraw(int k) {
  for (int unused : kUnusedDraws)
    if (unused == k) return true;
  return false;
}

// A lock guards its group only at exactly 0.0; a lock the plug-in lacks guards it.
bool GroupUnlocked(double lockValue) { return lockValue == 0.0; }

}  // namespace

void randomGenerator(Kit_RandomSource& random, std::vector<int>& randomizerState) {
  if (randomizerState.size() < size_t(kRandomTableSize)) randomizerState.resize(kRandomTableSize, 0);
  for (int i = 0; i < kRandomDraws; ++i) randomizerState[i] = int(random.Next() % 256);
}

int randomEntryInRange(double minimum, double maximum, int value) {
  const int m = int(maximum);
  const int range = int(maximum - minimum);
  if (m < 1) return std::min(value, range);
  const int step = m == 1 ? 2 : m;
  while (value > range) value -= step;
  return value;
}

std::vector<RandomDraw> randomDraws(int slot, const RandomiserParams& params) {
  std::vector<RandomDraw> draws;
  if (slot < 0 || slot > 3) return draws;
  // Every lock is read before any value changes.
  std::array<bool, kGroupCount> unlocked{};
  for (int g = 0; g < kGroupCount; ++g) {
    const int lock = kGroups[g].lock ? params.IndexOf(kGroups[g].lock) : -1;
    unlocked[g] = !kGroups[g].lock || (lock >= 0 && GroupUnlocked(params.Value(lock + slot)));
  }
  const int base = kRandomSlotEntries * slot;
  int param = 0;
  int k = 0;
  for (int g = 0; g < kGroupCount; ++g) {
    for (int row = 0; row < kGroups[g].count; ++row, ++param, ++k) {
      while (IsUnusedDraw(k)) ++k;
      const int index = params.IndexOf(kRandomisedParams[param]);
      if (unlocked[g] && index >= 0) draws.push_back({index + slot, base + k});
    }
  }
  return draws;
}
