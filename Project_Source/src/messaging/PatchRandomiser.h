#pragma once
// The patch randomiser: gives one part slot a random sound from a table of random
// bytes, group by group, leaving alone every group whose lock switch is on.
//
// The table (the plug-in's `randomizerState`) is refilled from the plug-in's own random
// source at each press, so two presses in one second differ and no other object's
// draws are touched.
//
// threads: main (under the plug-in mutex: the kRandomize change handler).

#include <vector>

class Kit_RandomSource;

// What the randomiser reads of the plug-in's parameters to choose its draws.
class RandomiserParams {
public:
  virtual ~RandomiserParams() = default;
  // The index of a symbolic name (slot A's for a per-part name); -1 when there is none.
  virtual int IndexOf(const char* name) const = 0;
  virtual double Value(int index) const = 0;
};

constexpr int kRandomTableSize = 725;   // the size `randomizerState` keeps
constexpr int kRandomDraws = 360;       // entries each press rewrites
constexpr int kRandomSlotEntries = 80;  // entries of one part slot, from 80 x slot

// Refills entries 0..359 of `randomizerState` with bytes 0..255 drawn from `random`;
// a table shorter than the kept size is grown to it with zeros.
void randomGenerator(Kit_RandomSource& random, std::vector<int>& randomizerState);

// The value a table byte `value` (0..255) gives a parameter of that range: with M the
// maximum and R the range, each truncated, `value` less M (2 for a switch with M 1)
// as often as it lies above R. The parameter's own clamping brings the result into
// its range. A maximum below 1 would never end that subtraction: there the step is 1,
// so the result is `value` held to R.
int randomEntryInRange(double minimum, double maximum, int value);

// One parameter a randomisation sets (the slot's own index) and the table entry it takes.
struct RandomDraw {
  int paramIdx;
  int entry;
};

// What randomising part slot `slot` (0..3) sets, in order: the unlocked groups' parameters,
// then always its oscillator and unison modes. None for any other slot.
std::vector<RandomDraw> randomDraws(int slot, const RandomiserParams& params);
